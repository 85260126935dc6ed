// Classes: the byte-level driver of the binary component stream ("TPF0" format).
//
// Declares: TValueType (the value tags), TFilerFlags, TBinaryObjectReader and TBinaryObjectWriter.
// The driver knows bytes only: tags, integers, floats, strings, sets and record headers. What the values mean
// (which property, which class) is the business of TReader and TWriter, and of the text form conversion.
//
// Record layout: "TPF0", [filer-flags prefix], class name, component name, properties, 0, children, 0.
// A property is a short-string name, a tag byte and its payload. Every read is checked against the stream's
// end: truncated or malformed input raises EReadError naming what was being read, never reads past the data.
#pragma once

#include "framework/core/ClassesStreams.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Classes {

enum class TValueType : uint8_t {
    vaNull = 0,
    vaList = 1,
    vaInt8 = 2,
    vaInt16 = 3,
    vaInt32 = 4,
    vaExtended = 5,
    vaString = 6,
    vaIdent = 7,
    vaFalse = 8,
    vaTrue = 9,
    vaBinary = 10,
    vaSet = 11,
    vaLString = 12,
    vaNil = 13,
    vaCollection = 14,
    vaSingle = 15,
    vaCurrency = 16,
    vaDate = 17,
    vaWString = 18,
    vaInt64 = 19,
    vaUTF8String = 20,
    vaUString = 21,
    vaQWord = 22,
};
constexpr int vaLastTag = 22;

// The prefix byte before a record's class name: 0xF0 | flags.
enum TFilerFlag : uint8_t { ffInherited = 1, ffChildPos = 2, ffInline = 4 };
using TFilerFlags = uint8_t;

constexpr char FilerSignature[4] = {'T', 'P', 'F', '0'};

// The header of one component record.
struct TRecordHeader {
    TFilerFlags Flags = 0;
    int32_t ChildPos = -1; // valid when Flags has ffChildPos
    String ClassName;
    String Name;
};

class TBinaryObjectReader {
public:
    explicit TBinaryObjectReader(TStream& stream);

    // Peeks at the next tag without consuming it; EReadError on an unknown tag or at the end of the stream.
    TValueType NextValue();
    // Consumes one tag.
    TValueType ReadValue();
    // True at a 0 byte (end of a list), which is consumed; false otherwise (nothing consumed).
    bool EndOfList();

    void ReadSignature();                 // "TPF0" or EReadError "Invalid stream format"
    TRecordHeader ReadRecordHeader();     // prefix, class name, component name
    String ReadPropName();                // a short string
    String ReadShortString();

    // Payloads, after the tag was consumed by ReadValue (tag given where several layouts are possible).
    int64_t ReadIntegerPayload(TValueType tag); // vaInt8/16/32/64
    uint64_t ReadQWordPayload();
    long double ReadExtendedPayload();          // 10-byte x87 extended, decoded portably
    float ReadSinglePayload();
    int64_t ReadCurrencyPayload();              // value x 10000
    double ReadDatePayload();
    String ReadStringPayload(TValueType tag);   // vaString/vaLString/vaIdent bytes as they are;
                                                // vaWString/vaUString/vaUTF8String as UTF-8
    std::u16string ReadWideStringPayload(TValueType tag); // vaWString/vaUString as UTF-16 units
    std::vector<uint8_t> ReadBinaryPayload();
    std::vector<String> ReadSetPayload();       // member names until the empty name

    // Typed reads that consume tag and payload and check the tag.
    int64_t ReadInteger();                      // any integer tag
    String ReadIdent();                         // vaIdent, and vaFalse/vaTrue/vaNil/vaNull as their names
    String ReadString();                        // any string tag, as UTF-8

    // Skips one value of any kind, lists and collections included; SkipProperty skips name and value;
    // SkipComponent skips a whole record with its children (signature not included).
    void SkipValue();
    void SkipProperty();
    void SkipComponent(bool skipHeader = true);

    TStream& Stream() { return FStream; }
    int64_t Position() { return FStream.GetPosition(); }

private:
    void Need(uint64_t count, const char* what);
    void ReadBytes(void* dest, size_t count, const char* what);

    TStream& FStream;
    int64_t FSize;
};

class TBinaryObjectWriter {
public:
    explicit TBinaryObjectWriter(TStream& stream);

    void WriteSignature();
    void WriteRecordHeader(const TRecordHeader& header); // prefix only when flags are set
    void WriteListBegin();                                // vaList
    void WriteListEnd();                                  // 0
    void WritePropName(const String& name);               // short string; longer than 255: EWriteError

    // Each writes tag and payload, choosing the smallest encoding the framework's writer chooses.
    void WriteInteger(int64_t value);                     // vaInt8/16/32, else vaInt64
    void WriteQWord(uint64_t value);                      // vaQWord above INT64_MAX, else WriteInteger
    void WriteBoolean(bool value);                        // vaFalse/vaTrue
    void WriteFloat(long double value);                   // vaExtended
    void WriteSingle(float value);
    void WriteCurrency(int64_t valueTimes10000);
    void WriteDate(double value);
    void WriteString(const String& bytes);                // vaString up to 255 bytes, else vaLString
    void WriteWideString(std::u16string_view units);      // vaWString
    void WriteUnicodeString(std::u16string_view units);   // vaUString
    void WriteUTF8String(const String& utf8);             // vaUTF8String
    void WriteIdent(const String& ident);                 // vaIdent; "False"/"True"/"nil"/"Null" as their tags
    void WriteBinary(const void* data, size_t size);
    void WriteSet(const std::vector<String>& members);    // vaSet, names, empty name
    void WriteCollectionBegin();                          // vaCollection
    void WriteValue(TValueType tag);                      // a bare tag
    void WriteShortString(const String& s);

    TStream& Stream() { return FStream; }

private:
    TStream& FStream;
};

// The 10-byte x87 extended format, portable (the build machines' long double may not be 80-bit).
void EncodeExtended(long double value, uint8_t out[10]);
long double DecodeExtended(const uint8_t in[10]);

} // namespace Classes

// Classes: the byte-level driver of the binary component stream ("TPF0" format).
//
// Declares: TValueType (the value tags), TFilerFlags, TBinaryObjectReader and TBinaryObjectWriter.
// The driver knows bytes only: tags, integers, floats, strings, sets and record headers. What the values mean
// (which property, which class) is the business of TReader and TWriter, and of the text form conversion.
//
// Record layout: "TPF0", [filer-flags prefix], class name, component name, properties, 0, children, 0.
// A property is a short-string name, a tag byte and its payload. Every read is checked against the stream's
// end: truncated or malformed input raises EReadError naming what was being read and the byte offset
// ("Stream read error: property name truncated at offset 57", "Invalid stream format: unknown value type 23
// at offset 12"), never reads past the data and never allocates more than the stream still holds.
//
// Several records in a row (an edition file, ReadComponents): each record with its own "TPF0", then one 0.
//
//   TMemoryStream m;  TBinaryObjectWriter w(m);
//   w.WriteSignature(); w.WriteRecordHeader({0, -1, "TButton", "Button1"});
//   w.WritePropName("Left"); w.WriteInteger(-129);          // 04 "Left" 03 7F FF
//   w.WriteListEnd(); w.WriteListEnd();                      // end of properties, end of children
//   m.SetPosition(0);  TBinaryObjectReader r(m);
//   r.ReadSignature(); TRecordHeader h = r.ReadRecordHeader();
//   while (!r.EndOfList()) { String name = r.ReadPropName(); r.SkipValue(); }
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

// Reads from the stream's current position; the stream's size is taken once, when the reader is made, and
// bounds every read.
class TBinaryObjectReader {
public:
    explicit TBinaryObjectReader(TStream& stream);

    // Peeks at the next tag without consuming it; EReadError on an unknown tag or at the end of the stream.
    TValueType NextValue();
    // Consumes one tag.
    TValueType ReadValue();
    // True at a 0 byte (end of a list), which is consumed; false otherwise (nothing consumed).
    bool EndOfList();

    void ReadSignature();             // "TPF0" or EReadError "Invalid stream format"
    TRecordHeader ReadRecordHeader(); // prefix, class name, component name
    String ReadPropName();            // a short string
    String ReadShortString();

    // Payloads, after the tag was consumed by ReadValue (tag given where several layouts are possible).
    int64_t ReadIntegerPayload(TValueType tag); // vaInt8/16/32/64
    uint64_t ReadQWordPayload();
    long double ReadExtendedPayload(); // 10-byte x87 extended, decoded portably
    float ReadSinglePayload();
    int64_t ReadCurrencyPayload(); // value x 10000
    double ReadDatePayload();
    String ReadStringPayload(TValueType tag);             // vaString/vaLString/vaIdent bytes as they are;
                                                          // vaWString/vaUString/vaUTF8String as UTF-8
    std::u16string ReadWideStringPayload(TValueType tag); // vaWString/vaUString as UTF-16 units
    std::vector<uint8_t> ReadBinaryPayload();
    std::vector<String> ReadSetPayload(); // member names until the empty name

    // Typed reads that consume tag and payload and check the tag.
    int64_t ReadInteger(); // any integer tag
    String ReadIdent();    // vaIdent, and vaFalse/vaTrue/vaNil/vaNull as their names
    String ReadString();   // any string tag, as UTF-8

    // Skips one value of any kind, lists and collections included; SkipProperty skips name and value;
    // SkipComponent skips a whole record with its children (signature not included).
    void SkipValue();
    void SkipProperty();
    void SkipComponent(bool skipHeader = true);

    // The raw 10 bytes of a vaExtended payload (the text form prints them exactly, whatever long double is).
    void ReadExtendedBytes(uint8_t out[10]);
    // Reads the tag and payload of a collection item's optional order index (vaInt8/16/32) and returns true,
    // or returns false when the next tag is not an integer; then the item's vaList is due.
    bool ReadCollectionItemIndex(int64_t& index);

    TStream& Stream() { return FStream; }
    int64_t Position() { return FStream.GetPosition(); }

    // Lists, collections and children may nest this deep; deeper input raises EReadError. Each recursive
    // reader (the skip routines, the text form, TReader) holds a TNestingGuard per level it enters.
    static constexpr int MaxNesting = 1000;
    class TNestingGuard {
    public:
        explicit TNestingGuard(TBinaryObjectReader& reader);
        ~TNestingGuard() { --FReader.FDepth; }
        TNestingGuard(const TNestingGuard&) = delete;
        TNestingGuard& operator=(const TNestingGuard&) = delete;

    private:
        TBinaryObjectReader& FReader;
    };

private:
    void Need(uint64_t count, const char* what);
    void ReadBytes(void* dest, size_t count, const char* what);
    uint8_t ReadByte(const char* what);
    uint64_t ReadLE(int bytes, const char* what);
    String ReadShortString(const char* what);
    uint32_t ReadLength(uint64_t unitSize, const char* what); // a DWord count whose data must be there
    [[noreturn]] void Invalid(const String& what, int64_t offset);

    TStream& FStream;
    int64_t FSize;
    int FDepth = 0;
};

class TBinaryObjectWriter {
public:
    explicit TBinaryObjectWriter(TStream& stream);

    void WriteSignature();
    void WriteRecordHeader(const TRecordHeader& header); // prefix only when flags are set
    void WriteListBegin();                               // vaList
    void WriteListEnd();                                 // 0
    void WritePropName(const String& name);              // short string; longer than 255: EWriteError

    // Each writes tag and payload, choosing the smallest encoding the framework's writer chooses.
    void WriteInteger(int64_t value);   // vaInt8/16/32, else vaInt64
    void WriteQWord(uint64_t value);    // vaQWord above INT64_MAX, else WriteInteger
    void WriteBoolean(bool value);      // vaFalse/vaTrue
    void WriteFloat(long double value); // vaExtended
    void WriteSingle(float value);
    void WriteCurrency(int64_t valueTimes10000);
    void WriteDate(double value);
    void WriteString(const String& bytes);              // vaString up to 255 bytes, else vaLString
    void WriteWideString(std::u16string_view units);    // vaWString
    void WriteUnicodeString(std::u16string_view units); // vaUString
    void WriteUTF8String(const String& utf8);           // vaUTF8String
    void WriteIdent(const String& ident);               // vaIdent; "False"/"True"/"nil"/"Null" as their tags
    void WriteBinary(const void* data, size_t size);
    void WriteSet(const std::vector<String>& members); // vaSet, names, empty name
    void WriteCollectionBegin();                       // vaCollection
    void WriteValue(TValueType tag);                   // a bare tag
    void WriteShortString(const String& s);            // longer than 255 bytes: EWriteError
    void WriteExtendedBytes(const uint8_t bytes[10]);  // vaExtended with a raw payload

    TStream& Stream() { return FStream; }

private:
    void WriteByte(uint8_t b);
    void WriteLE(uint64_t value, int bytes);
    void WriteLength(size_t count);

    TStream& FStream;
};

// The 10-byte x87 extended format, portable (the build machines' long double may not be 80-bit): bytes 0-7
// the 64-bit mantissa with its explicit integer bit, bytes 8-9 the sign (bit 15) and the exponent (bias
// 16383). 1.5 -> 00 00 00 00 00 00 00 C0 FF 3F. Every double and every x87 long double is encoded exactly (a
// double denormal becomes a normal extended); infinity keeps its sign; every NaN is written as the one quiet
// NaN 00 00 00 00 00 00 00 C0 FF 7F. Decoding takes the value the bytes denote, also for the encodings the
// FPU itself never produces (an exponent with a clear integer bit is read as mantissa x 2^(exponent-16446));
// an exponent of 7FFF is infinity when the fraction is 0, else NaN. Results too small or large for long
// double round as the machine's ldexp rounds.
void EncodeExtended(long double value, uint8_t out[10]);
long double DecodeExtended(const uint8_t in[10]);

} // namespace Classes

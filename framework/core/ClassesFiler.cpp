// Classes: the byte-level driver of the binary component stream.
//
// Invariants:
//  1. No read goes past the stream's size as it was when the reader was made: every read first checks that
//     the bytes are there (Need), and a length read from the stream is checked against what remains before
//     anything is allocated or skipped.
//  2. Every error names what was being read and the offset where that item starts.
//  3. Recursion (lists, collections, children) is bounded by MaxNesting through TNestingGuard.
//  4. The writer writes only what the reader reads back: a prefix only for known, compatible flags, short
//     strings of at most 255 bytes, class names that cannot be mistaken for a prefix byte.
#include "framework/core/ClassesFiler.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

namespace Classes {

using SysUtils::IntToStr;
using SysUtils::SameText;

namespace {

[[noreturn]] void Truncated(const char* what, int64_t offset) {
    throw EReadError(String("Stream read error: ") + what + " truncated at offset " + IntToStr(offset));
}

String Hex2(uint8_t b) {
    static const char kHex[] = "0123456789ABCDEF";
    return String{kHex[b >> 4], kHex[b & 15]};
}

bool WideToUtf8(std::u16string_view units, String& out) {
    try {
        out = SysUtils::Utf16ToUtf8(units);
        return true;
    } catch (const SysUtils::EConvertError&) {
        return false;
    }
}

bool IsIntegerTag(TValueType t) {
    return t == TValueType::vaInt8 || t == TValueType::vaInt16 || t == TValueType::vaInt32 ||
           t == TValueType::vaInt64;
}

} // namespace

// ---- Reader
// ------------------------------------------------------------------------------------------------

TBinaryObjectReader::TBinaryObjectReader(TStream& stream) : FStream(stream), FSize(stream.GetSize()) {}

TBinaryObjectReader::TNestingGuard::TNestingGuard(TBinaryObjectReader& reader) : FReader(reader) {
    if (FReader.FDepth >= MaxNesting)
        FReader.Invalid("nesting deeper than " + IntToStr(MaxNesting) + " levels", FReader.Position());
    ++FReader.FDepth;
}

void TBinaryObjectReader::Invalid(const String& what, int64_t offset) {
    throw EReadError("Invalid stream format: " + what + " at offset " + IntToStr(offset));
}

// 1. The check before every read.
void TBinaryObjectReader::Need(uint64_t count, const char* what) {
    int64_t pos = Position();
    uint64_t left = pos < FSize ? uint64_t(FSize - pos) : 0;
    if (count > left) Truncated(what, pos);
}

void TBinaryObjectReader::ReadBytes(void* dest, size_t count, const char* what) {
    Need(count, what);
    FStream.ReadBuffer(dest, count);
}

uint8_t TBinaryObjectReader::ReadByte(const char* what) {
    uint8_t b;
    ReadBytes(&b, 1, what);
    return b;
}

uint64_t TBinaryObjectReader::ReadLE(int bytes, const char* what) {
    uint8_t buf[8];
    ReadBytes(buf, size_t(bytes), what);
    uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | buf[i];
    return v;
}

// A DWord count of units of unitSize bytes, checked against what remains (the offset named is the count's).
uint32_t TBinaryObjectReader::ReadLength(uint64_t unitSize, const char* what) {
    int64_t start = Position();
    uint32_t count = uint32_t(ReadLE(4, what));
    int64_t pos = Position();
    uint64_t left = pos < FSize ? uint64_t(FSize - pos) : 0;
    if (uint64_t(count) * unitSize > left) Truncated(what, start);
    return count;
}

TValueType TBinaryObjectReader::NextValue() {
    int64_t pos = Position();
    uint8_t b = ReadByte("value type");
    FStream.Seek(pos, soBeginning);
    if (b > vaLastTag) Invalid("unknown value type " + IntToStr(b), pos);
    return TValueType(b);
}

TValueType TBinaryObjectReader::ReadValue() {
    TValueType t = NextValue();
    FStream.Seek(1, soCurrent);
    return t;
}

bool TBinaryObjectReader::EndOfList() {
    int64_t pos = Position();
    if (ReadByte("list end") == 0) return true;
    FStream.Seek(pos, soBeginning);
    return false;
}

void TBinaryObjectReader::ReadSignature() {
    int64_t pos = Position();
    char sig[4];
    Need(4, "signature");
    FStream.ReadBuffer(sig, 4);
    if (std::memcmp(sig, FilerSignature, 4) != 0) Invalid("no \"TPF0\" signature", pos);
}

String TBinaryObjectReader::ReadShortString(const char* what) {
    int64_t start = Position();
    uint8_t len = ReadByte(what);
    int64_t pos = Position();
    if (int64_t(len) > FSize - pos) Truncated(what, start);
    String s(len, '\0');
    if (len) FStream.ReadBuffer(s.data(), len);
    return s;
}

String TBinaryObjectReader::ReadShortString() {
    return ReadShortString("short string");
}

TRecordHeader TBinaryObjectReader::ReadRecordHeader() {
    TRecordHeader h;
    int64_t pos = Position();
    uint8_t b = ReadByte("class name");
    if ((b & 0xF0) == 0xF0) {
        // A prefix: 0xF0 | flags. Flags beyond the three known ones, or inherited together with inline, are
        // nothing the writer produces and nothing the text form can say.
        h.Flags = b & 0x0F;
        if ((h.Flags & ~(ffInherited | ffChildPos | ffInline)) != 0 ||
            (h.Flags & (ffInherited | ffInline)) == (ffInherited | ffInline))
            Invalid("invalid filer flags $" + Hex2(b), pos);
        if (h.Flags & ffChildPos) {
            int64_t at = Position();
            TValueType t = ReadValue();
            if (t != TValueType::vaInt8 && t != TValueType::vaInt16 && t != TValueType::vaInt32)
                Invalid("child position of value type " + IntToStr(int(t)), at);
            h.ChildPos = int32_t(ReadIntegerPayload(t));
        }
    } else {
        FStream.Seek(pos, soBeginning);
    }
    int64_t at = Position();
    h.ClassName = ReadShortString("class name");
    if (h.ClassName.empty()) Invalid("empty class name", at);
    h.Name = ReadShortString("component name");
    return h;
}

String TBinaryObjectReader::ReadPropName() {
    return ReadShortString("property name");
}

int64_t TBinaryObjectReader::ReadIntegerPayload(TValueType tag) {
    switch (tag) {
    case TValueType::vaInt8:
        return int8_t(ReadLE(1, "integer"));
    case TValueType::vaInt16:
        return int16_t(ReadLE(2, "integer"));
    case TValueType::vaInt32:
        return int32_t(ReadLE(4, "integer"));
    case TValueType::vaInt64:
        return int64_t(ReadLE(8, "integer"));
    default:
        Invalid("value type " + IntToStr(int(tag)) + " where an integer was expected", Position() - 1);
    }
}

uint64_t TBinaryObjectReader::ReadQWordPayload() {
    return ReadLE(8, "unsigned integer");
}

void TBinaryObjectReader::ReadExtendedBytes(uint8_t out[10]) {
    ReadBytes(out, 10, "extended float");
}

long double TBinaryObjectReader::ReadExtendedPayload() {
    uint8_t b[10];
    ReadExtendedBytes(b);
    return DecodeExtended(b);
}

float TBinaryObjectReader::ReadSinglePayload() {
    return std::bit_cast<float>(uint32_t(ReadLE(4, "single float")));
}

int64_t TBinaryObjectReader::ReadCurrencyPayload() {
    return int64_t(ReadLE(8, "currency"));
}

double TBinaryObjectReader::ReadDatePayload() {
    return std::bit_cast<double>(ReadLE(8, "date"));
}

std::u16string TBinaryObjectReader::ReadWideStringPayload(TValueType tag) {
    if (tag != TValueType::vaWString && tag != TValueType::vaUString)
        Invalid("value type " + IntToStr(int(tag)) + " where a wide string was expected", Position() - 1);
    uint32_t count = ReadLength(2, "wide string");
    std::u16string units(count, u'\0');
    uint8_t buf[512];
    for (uint32_t done = 0; done < count;) {
        uint32_t n = std::min<uint32_t>(count - done, sizeof buf / 2);
        FStream.ReadBuffer(buf, n * 2);
        for (uint32_t i = 0; i < n; ++i)
            units[done + i] = char16_t(buf[2 * i] | (buf[2 * i + 1] << 8));
        done += n;
    }
    return units;
}

String TBinaryObjectReader::ReadStringPayload(TValueType tag) {
    switch (tag) {
    case TValueType::vaString:
    case TValueType::vaIdent:
        return ReadShortString("string");
    case TValueType::vaLString:
    case TValueType::vaUTF8String: {
        uint32_t len = ReadLength(1, "string");
        String s(len, '\0');
        if (len) FStream.ReadBuffer(s.data(), len);
        return s;
    }
    case TValueType::vaWString:
    case TValueType::vaUString: {
        int64_t start = Position();
        std::u16string units = ReadWideStringPayload(tag);
        String utf8;
        if (!WideToUtf8(units, utf8)) Invalid("unpaired surrogate in a wide string", start);
        return utf8;
    }
    default:
        Invalid("value type " + IntToStr(int(tag)) + " where a string was expected", Position() - 1);
    }
}

std::vector<uint8_t> TBinaryObjectReader::ReadBinaryPayload() {
    uint32_t len = ReadLength(1, "binary data");
    std::vector<uint8_t> data(len);
    if (len) FStream.ReadBuffer(data.data(), len);
    return data;
}

std::vector<String> TBinaryObjectReader::ReadSetPayload() {
    std::vector<String> members;
    for (;;) {
        String s = ReadShortString("set member");
        if (s.empty()) return members;
        members.push_back(std::move(s));
    }
}

int64_t TBinaryObjectReader::ReadInteger() {
    int64_t at = Position();
    TValueType t = ReadValue();
    if (!IsIntegerTag(t)) Invalid("value type " + IntToStr(int(t)) + " where an integer was expected", at);
    return ReadIntegerPayload(t);
}

String TBinaryObjectReader::ReadIdent() {
    int64_t at = Position();
    switch (ReadValue()) {
    case TValueType::vaIdent:
        return ReadShortString("identifier");
    case TValueType::vaFalse:
        return "False";
    case TValueType::vaTrue:
        return "True";
    case TValueType::vaNil:
        return "nil";
    case TValueType::vaNull:
        return "Null";
    default:
        Invalid("value where an identifier was expected", at);
    }
}

String TBinaryObjectReader::ReadString() {
    int64_t at = Position();
    TValueType t = ReadValue();
    switch (t) {
    case TValueType::vaString:
    case TValueType::vaLString:
    case TValueType::vaWString:
    case TValueType::vaUString:
    case TValueType::vaUTF8String:
        return ReadStringPayload(t);
    default:
        Invalid("value type " + IntToStr(int(t)) + " where a string was expected", at);
    }
}

bool TBinaryObjectReader::ReadCollectionItemIndex(int64_t& index) {
    TValueType t = NextValue();
    if (t != TValueType::vaInt8 && t != TValueType::vaInt16 && t != TValueType::vaInt32) return false;
    FStream.Seek(1, soCurrent);
    index = ReadIntegerPayload(t);
    return true;
}

// Lengths are checked against what remains before the position moves past the data.
void TBinaryObjectReader::SkipValue() {
    auto skip = [&](uint64_t count, const char* what) {
        Need(count, what);
        FStream.Seek(int64_t(count), soCurrent);
    };
    TValueType t = ReadValue();
    switch (t) {
    case TValueType::vaNull:
    case TValueType::vaFalse:
    case TValueType::vaTrue:
    case TValueType::vaNil:
        break;
    case TValueType::vaList: {
        TNestingGuard guard(*this);
        while (!EndOfList())
            SkipValue();
        break;
    }
    case TValueType::vaInt8:
        skip(1, "integer");
        break;
    case TValueType::vaInt16:
        skip(2, "integer");
        break;
    case TValueType::vaInt32:
    case TValueType::vaSingle:
        skip(4, t == TValueType::vaSingle ? "single float" : "integer");
        break;
    case TValueType::vaInt64:
    case TValueType::vaQWord:
    case TValueType::vaCurrency:
    case TValueType::vaDate:
        skip(8, "8-byte value");
        break;
    case TValueType::vaExtended:
        skip(10, "extended float");
        break;
    case TValueType::vaString:
    case TValueType::vaIdent:
        skip(ReadByte("string"), "string");
        break;
    case TValueType::vaLString:
    case TValueType::vaUTF8String:
    case TValueType::vaBinary:
        FStream.Seek(ReadLength(1, "string or binary data"), soCurrent);
        break;
    case TValueType::vaWString:
    case TValueType::vaUString:
        FStream.Seek(int64_t(ReadLength(2, "wide string")) * 2, soCurrent);
        break;
    case TValueType::vaSet:
        for (;;) {
            uint8_t len = ReadByte("set member");
            if (len == 0) break;
            skip(len, "set member");
        }
        break;
    case TValueType::vaCollection: {
        TNestingGuard guard(*this);
        while (!EndOfList()) {
            int64_t index;
            ReadCollectionItemIndex(index);
            int64_t itemAt = Position();
            if (ReadValue() != TValueType::vaList) Invalid("collection item without its list", itemAt);
            while (!EndOfList())
                SkipProperty();
        }
        break;
    }
    }
}

void TBinaryObjectReader::SkipProperty() {
    ReadPropName();
    SkipValue();
}

void TBinaryObjectReader::SkipComponent(bool skipHeader) {
    TNestingGuard guard(*this);
    if (skipHeader) ReadRecordHeader();
    while (!EndOfList())
        SkipProperty();
    while (!EndOfList())
        SkipComponent(true);
}

// ---- Writer
// ------------------------------------------------------------------------------------------------

TBinaryObjectWriter::TBinaryObjectWriter(TStream& stream) : FStream(stream) {}

void TBinaryObjectWriter::WriteByte(uint8_t b) {
    FStream.WriteBuffer(&b, 1);
}

void TBinaryObjectWriter::WriteLE(uint64_t value, int bytes) {
    uint8_t buf[8];
    for (int i = 0; i < bytes; ++i)
        buf[i] = uint8_t(value >> (8 * i));
    FStream.WriteBuffer(buf, size_t(bytes));
}

void TBinaryObjectWriter::WriteLength(size_t count) {
    if (uint64_t(count) > 0xFFFFFFFFu) throw EWriteError("Value too large for the component stream");
    WriteLE(count, 4);
}

void TBinaryObjectWriter::WriteSignature() {
    FStream.WriteBuffer(FilerSignature, 4);
}

void TBinaryObjectWriter::WriteRecordHeader(const TRecordHeader& header) {
    // 4. What ReadRecordHeader accepts, and nothing else.
    if ((header.Flags & ~(ffInherited | ffChildPos | ffInline)) != 0 ||
        (header.Flags & (ffInherited | ffInline)) == (ffInherited | ffInline))
        throw EWriteError("Invalid filer flags " + IntToStr(header.Flags) + " for " + header.Name);
    if (header.ClassName.empty()) throw EWriteError("Empty class name for component " + header.Name);
    if (header.ClassName.size() >= 0xF0) throw EWriteError("Class name too long: " + header.ClassName);
    if (header.Flags != 0) {
        WriteByte(uint8_t(0xF0 | header.Flags));
        if (header.Flags & ffChildPos) WriteInteger(header.ChildPos);
    }
    WriteShortString(header.ClassName);
    WriteShortString(header.Name);
}

void TBinaryObjectWriter::WriteListBegin() {
    WriteValue(TValueType::vaList);
}

void TBinaryObjectWriter::WriteListEnd() {
    WriteByte(0);
}

void TBinaryObjectWriter::WritePropName(const String& name) {
    WriteShortString(name);
}

void TBinaryObjectWriter::WriteShortString(const String& s) {
    if (s.size() > 255) throw EWriteError("Name longer than 255 bytes: " + s.substr(0, 40) + "...");
    WriteByte(uint8_t(s.size()));
    FStream.WriteBuffer(s.data(), s.size());
}

void TBinaryObjectWriter::WriteValue(TValueType tag) {
    WriteByte(uint8_t(tag));
}

void TBinaryObjectWriter::WriteInteger(int64_t value) {
    if (value >= -128 && value <= 127) {
        WriteValue(TValueType::vaInt8);
        WriteLE(uint64_t(value), 1);
    } else if (value >= -32768 && value <= 32767) {
        WriteValue(TValueType::vaInt16);
        WriteLE(uint64_t(value), 2);
    } else if (value >= INT32_MIN && value <= INT32_MAX) {
        WriteValue(TValueType::vaInt32);
        WriteLE(uint64_t(value), 4);
    } else {
        WriteValue(TValueType::vaInt64);
        WriteLE(uint64_t(value), 8);
    }
}

void TBinaryObjectWriter::WriteQWord(uint64_t value) {
    if (value > uint64_t(INT64_MAX)) {
        WriteValue(TValueType::vaQWord);
        WriteLE(value, 8);
    } else {
        WriteInteger(int64_t(value));
    }
}

void TBinaryObjectWriter::WriteBoolean(bool value) {
    WriteValue(value ? TValueType::vaTrue : TValueType::vaFalse);
}

void TBinaryObjectWriter::WriteFloat(long double value) {
    uint8_t b[10];
    EncodeExtended(value, b);
    WriteExtendedBytes(b);
}

void TBinaryObjectWriter::WriteExtendedBytes(const uint8_t bytes[10]) {
    WriteValue(TValueType::vaExtended);
    FStream.WriteBuffer(bytes, 10);
}

void TBinaryObjectWriter::WriteSingle(float value) {
    WriteValue(TValueType::vaSingle);
    WriteLE(std::bit_cast<uint32_t>(value), 4);
}

void TBinaryObjectWriter::WriteCurrency(int64_t valueTimes10000) {
    WriteValue(TValueType::vaCurrency);
    WriteLE(uint64_t(valueTimes10000), 8);
}

void TBinaryObjectWriter::WriteDate(double value) {
    WriteValue(TValueType::vaDate);
    WriteLE(std::bit_cast<uint64_t>(value), 8);
}

void TBinaryObjectWriter::WriteString(const String& bytes) {
    if (bytes.size() <= 255) {
        WriteValue(TValueType::vaString);
        WriteByte(uint8_t(bytes.size()));
    } else {
        WriteValue(TValueType::vaLString);
        WriteLength(bytes.size());
    }
    FStream.WriteBuffer(bytes.data(), bytes.size());
}

namespace {
void WriteUnits(TStream& stream, std::u16string_view units) {
    uint8_t buf[512];
    for (size_t done = 0; done < units.size();) {
        size_t n = std::min(units.size() - done, sizeof buf / 2);
        for (size_t i = 0; i < n; ++i) {
            buf[2 * i] = uint8_t(units[done + i]);
            buf[2 * i + 1] = uint8_t(units[done + i] >> 8);
        }
        stream.WriteBuffer(buf, n * 2);
        done += n;
    }
}
} // namespace

void TBinaryObjectWriter::WriteWideString(std::u16string_view units) {
    WriteValue(TValueType::vaWString);
    WriteLength(units.size());
    WriteUnits(FStream, units);
}

void TBinaryObjectWriter::WriteUnicodeString(std::u16string_view units) {
    WriteValue(TValueType::vaUString);
    WriteLength(units.size());
    WriteUnits(FStream, units);
}

void TBinaryObjectWriter::WriteUTF8String(const String& utf8) {
    WriteValue(TValueType::vaUTF8String);
    WriteLength(utf8.size());
    FStream.WriteBuffer(utf8.data(), utf8.size());
}

void TBinaryObjectWriter::WriteIdent(const String& ident) {
    // As the framework's writer does: the four special names, in any case, become their tags.
    if (SameText(ident, "False"))
        WriteValue(TValueType::vaFalse);
    else if (SameText(ident, "True"))
        WriteValue(TValueType::vaTrue);
    else if (SameText(ident, "nil"))
        WriteValue(TValueType::vaNil);
    else if (SameText(ident, "Null"))
        WriteValue(TValueType::vaNull);
    else {
        WriteValue(TValueType::vaIdent);
        WriteShortString(ident);
    }
}

void TBinaryObjectWriter::WriteBinary(const void* data, size_t size) {
    WriteValue(TValueType::vaBinary);
    WriteLength(size);
    FStream.WriteBuffer(data, size);
}

void TBinaryObjectWriter::WriteSet(const std::vector<String>& members) {
    WriteValue(TValueType::vaSet);
    for (const String& m : members) {
        if (m.empty()) throw EWriteError("Empty set member name");
        WriteShortString(m);
    }
    WriteByte(0);
}

void TBinaryObjectWriter::WriteCollectionBegin() {
    WriteValue(TValueType::vaCollection);
}

// ---- Extended ------------------------------------------------------------------------------------------

void EncodeExtended(long double value, uint8_t out[10]) {
    uint64_t mant = 0;
    unsigned exp = 0;
    bool negative = std::signbit(value);
    if (std::isnan(value)) {
        mant = uint64_t(1) << 63 | uint64_t(1) << 62;
        exp = 0x7FFF;
        negative = false;
    } else if (std::isinf(value)) {
        mant = uint64_t(1) << 63;
        exp = 0x7FFF;
    } else if (value != 0) {
        int e;
        long double m = std::frexp(std::fabs(value), &e); // |value| = m * 2^e, 0.5 <= m < 1
        mant = uint64_t(std::ldexp(m, 64));               // exact: long double has at most 64 bits
        int biased = e - 1 + 16383;
        if (biased <= 0) { // an x87 denormal: exponent field 0 stands for 2^-16382, no integer bit
            mant >>= (1 - biased);
            biased = 0;
        }
        exp = unsigned(biased);
    }
    for (int i = 0; i < 8; ++i)
        out[i] = uint8_t(mant >> (8 * i));
    unsigned se = exp | (negative ? 0x8000u : 0u);
    out[8] = uint8_t(se);
    out[9] = uint8_t(se >> 8);
}

long double DecodeExtended(const uint8_t in[10]) {
    uint64_t mant = 0;
    for (int i = 7; i >= 0; --i)
        mant = (mant << 8) | in[i];
    unsigned se = unsigned(in[8]) | unsigned(in[9]) << 8;
    bool negative = (se & 0x8000) != 0;
    int exp = int(se & 0x7FFF);
    long double v;
    if (exp == 0x7FFF) {
        v = (mant << 1) == 0 ? std::numeric_limits<long double>::infinity()
                             : std::numeric_limits<long double>::quiet_NaN();
    } else {
        // value = mantissa x 2^(exp - 16383 - 63); the exponent field 0 means 2^-16382 as for exponent 1.
        // Split the scaling so that no intermediate overflows or underflows before the final step.
        int scale = (exp == 0 ? 1 : exp) - 16383 - 63;
        v = std::ldexp(static_cast<long double>(mant), scale);
    }
    return negative ? -v : v;
}

} // namespace Classes

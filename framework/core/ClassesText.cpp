// Classes: conversion between the binary component stream and its text form.
//
// Binary to text follows the framework's printer line for line (indentation, the blanks it leaves after "<"
// and after an item's "end", the quoting of strings); text to binary follows the framework's parser, with
// the string rule and the extra value kinds described in ClassesText.h.
//
// Invariants:
//  1. Nothing is written to the output of a conversion that fails: each object is built in memory first.
//  2. Nesting (objects, lists, collections) is bounded in both directions: by the reader's TNestingGuard in
//     binary, by MaxTextNesting in text.
//  3. Every string value goes through one rule (StringValueKind) so that printing and parsing agree.
#include "framework/core/ClassesText.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

namespace Classes {

using SysUtils::IntToStr;
using SysUtils::SameText;

namespace {

const uint8_t kNanBytes[10] = {0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x7F};

bool IsValidUtf8(std::string_view s) {
    try {
        SysUtils::Utf8ToUtf16(s);
        return true;
    } catch (const SysUtils::EConvertError&) {
        return false;
    }
}

// UTF-8 to UTF-16 where the bytes are UTF-8; otherwise each byte as the unit of the same value.
std::u16string LenientUtf16(std::string_view s) {
    try {
        return SysUtils::Utf8ToUtf16(s);
    } catch (const SysUtils::EConvertError&) {
        return std::u16string(s.begin(), s.end());
    }
}

String ReadAll(TStream& input) {
    int64_t left = input.GetSize() - input.GetPosition();
    String s(size_t(std::max<int64_t>(left, 0)), '\0');
    if (!s.empty()) input.ReadBuffer(s.data(), s.size());
    return s;
}

void Append(TStream& output, const String& s) {
    output.WriteBuffer(s.data(), s.size());
}

// ---- Binary to text --------------------------------------------------------------------------------------

// A string as the framework quotes it: 32..126 inside quotes (the quote doubled), anything else as #n.
String Quote(const std::vector<uint32_t>& units) {
    if (units.empty()) return "''";
    String res;
    bool inString = false;
    for (uint32_t w : units) {
        bool printable = w == '\'' || (w >= 32 && w < 127);
        if (printable != inString) {
            res += '\'';
            inString = printable;
        }
        if (w == '\'')
            res += "''";
        else if (printable)
            res += char(w);
        else
            res += '#', res += IntToStr(w); // appended apart: GCC 12 misjudges "#" + temporary (-Wrestrict)
    }
    if (inString) res += '\'';
    return res;
}

String QuoteBytes(std::string_view bytes) {
    std::vector<uint32_t> units(bytes.begin(), bytes.end());
    for (uint32_t& u : units)
        u &= 0xFF;
    return Quote(units);
}

String QuoteUnits(std::u16string_view s) {
    return Quote(std::vector<uint32_t>(s.begin(), s.end()));
}

String CurrencyText(int64_t value) {
    uint64_t mag = value < 0 ? ~uint64_t(value) + 1 : uint64_t(value);
    String frac = std::to_string(mag % 10000);
    frac.insert(0, 4 - frac.size(), '0');
    return (value < 0 ? "-" : "") + std::to_string(mag / 10000) + "." + frac + "c";
}

// A single or double: finite values as the extended text with the suffix; the others as the extended's
// words with the suffix glued on ("+Infs", "Nand"), which the parser below reads back.
String SuffixedFloat(long double value, char suffix) {
    uint8_t b[10];
    EncodeExtended(value, b);
    String s = ExtendedToStr(b);
    if (!std::isfinite(value)) {
        size_t first = s.find_first_not_of(' ');
        s = s.substr(first);
    }
    return s + suffix;
}

// The recursive functions (Object, PropList, Value, List, Collection) keep their frames small, with the
// indentation as a count and the printing of single values apart, so that the deepest nesting the reader
// allows fits a thread's stack also in builds with large frames.
class TTextPrinter {
public:
    TTextPrinter(TBinaryObjectReader& reader, String& out) : R(reader), Out(out) {}

    void Object(size_t indent) {
        TBinaryObjectReader::TNestingGuard guard(R);
        Header(indent);
        PropList(indent + 2);
        while (!R.EndOfList())
            Object(indent + 2);
        Indent(indent);
        Out += "end\n";
    }

private:
    void Indent(size_t n) { Out.append(n, ' '); }

    [[gnu::noinline]] void Header(size_t indent) {
        TRecordHeader h = R.ReadRecordHeader();
        Indent(indent);
        Out += (h.Flags & ffInherited) ? "inherited" : (h.Flags & ffInline) ? "inline" : "object";
        Out += ' ';
        if (!h.Name.empty()) Out += h.Name, Out += ": ";
        Out += h.ClassName;
        if (h.Flags & ffChildPos) Out += '[', Out += IntToStr(h.ChildPos), Out += ']';
        Out += '\n';
    }

    [[gnu::noinline]] void PropName(size_t indent) {
        Indent(indent);
        Out += R.ReadPropName();
        Out += " = ";
    }

    void PropList(size_t indent) {
        while (!R.EndOfList()) {
            PropName(indent);
            Value(R.ReadValue(), indent);
        }
    }

    void Value(TValueType t, size_t indent) {
        if (t == TValueType::vaList)
            List(indent);
        else if (t == TValueType::vaCollection)
            Collection(indent);
        else
            Scalar(t, indent);
    }

    void List(size_t indent) {
        TBinaryObjectReader::TNestingGuard guard(R);
        Out += '(';
        bool first = true;
        while (!R.EndOfList()) {
            if (first) Out += '\n';
            first = false;
            Indent(indent + 2);
            Value(R.ReadValue(), indent + 2);
        }
        Indent(indent);
        Out += ")\n";
    }

    // Items: "<", then per item the indentation and a line end (the blanks the framework leaves), "item",
    // the properties, "end"; then ">".
    void Collection(size_t indent) {
        TBinaryObjectReader::TNestingGuard guard(R);
        Out += '<';
        while (!R.EndOfList()) {
            Indent(indent);
            Out += '\n';
            ItemHeader(indent + 2);
            PropList(indent + 4);
            Indent(indent + 2);
            Out += "end";
        }
        Out += ">\n";
    }

    [[gnu::noinline]] void ItemHeader(size_t indent) {
        Indent(indent);
        Out += "item";
        int64_t index;
        if (R.ReadCollectionItemIndex(index)) Out += '[', Out += IntToStr(index), Out += ']';
        int64_t at = R.Position();
        if (R.ReadValue() != TValueType::vaList)
            throw EReadError("Invalid stream format: collection item without its list at offset " +
                             IntToStr(at));
        Out += '\n';
    }

    [[gnu::noinline]] void Scalar(TValueType t, size_t indent) {
        switch (t) {
        case TValueType::vaInt8:
        case TValueType::vaInt16:
        case TValueType::vaInt32:
        case TValueType::vaInt64:
            Out += IntToStr(R.ReadIntegerPayload(t));
            break;
        case TValueType::vaQWord:
            Out += std::to_string(R.ReadQWordPayload());
            break;
        case TValueType::vaExtended: {
            uint8_t b[10];
            R.ReadExtendedBytes(b);
            Out += ExtendedToStr(b);
            break;
        }
        case TValueType::vaSingle:
            Out += SuffixedFloat(R.ReadSinglePayload(), 's');
            break;
        case TValueType::vaDate:
            Out += SuffixedFloat(R.ReadDatePayload(), 'd');
            break;
        case TValueType::vaCurrency:
            Out += CurrencyText(R.ReadCurrencyPayload());
            break;
        case TValueType::vaString:
        case TValueType::vaLString:
            Out += QuoteBytes(R.ReadStringPayload(t));
            break;
        case TValueType::vaWString:
        case TValueType::vaUString:
            Out += QuoteUnits(R.ReadWideStringPayload(t));
            break;
        case TValueType::vaUTF8String: {
            // Per UTF-16 unit when the bytes are UTF-8 (a character beyond U+FFFF as its two surrogates),
            // else per byte.
            String bytes = R.ReadStringPayload(t);
            Out += IsValidUtf8(bytes) ? QuoteUnits(SysUtils::Utf8ToUtf16(bytes)) : QuoteBytes(bytes);
            break;
        }
        case TValueType::vaIdent:
            Out += R.ReadStringPayload(t);
            break;
        case TValueType::vaFalse:
            Out += "False";
            break;
        case TValueType::vaTrue:
            Out += "True";
            break;
        case TValueType::vaNil:
            Out += "nil";
            break;
        case TValueType::vaNull:
            Out += "Null";
            break;
        case TValueType::vaBinary: {
            static const char kHex[] = "0123456789ABCDEF";
            std::vector<uint8_t> data = R.ReadBinaryPayload();
            Out += "{\n";
            for (size_t i = 0; i < data.size(); i += 32) {
                Indent(indent + 2);
                for (size_t j = i; j < std::min(data.size(), i + 32); ++j) {
                    Out += kHex[data[j] >> 4];
                    Out += kHex[data[j] & 15];
                }
                Out += '\n';
            }
            Indent(indent);
            Out += '}';
            break;
        }
        case TValueType::vaSet: {
            Out += '[';
            bool first = true;
            for (const String& m : R.ReadSetPayload()) {
                if (!first) Out += ", ";
                first = false;
                Out += m;
            }
            Out += ']';
            break;
        }
        case TValueType::vaList:
        case TValueType::vaCollection:
            break; // not single values: Value handles them
        }
        Out += '\n';
    }

    TBinaryObjectReader& R;
    String& Out;
};

// ---- Text to binary --------------------------------------------------------------------------------------

constexpr int MaxTextNesting = TBinaryObjectReader::MaxNesting;

enum class TTokenKind { Eof, Symbol, String, Integer, Float, Char };

struct TToken {
    TTokenKind Kind = TTokenKind::Eof;
    String Text;     // a symbol, a number (with its '-'), a character
    char Suffix = 0; // a number's s, c or d
    int Line = 1;
    size_t Start = 0; // offset in the text
    // A string: its bytes (quoted bytes as they are, #n up to 255 as the byte n), its UTF-16 units (quoted
    // parts decoded from UTF-8), whether some #n is above 127, whether some #n is above 255.
    String Bytes;
    std::u16string Units;
    bool High = false;
    bool Wide = false;
};

class TTextParser {
public:
    explicit TTextParser(std::string_view text) : FText(text) {
        if (FText.substr(0, 3) == "\xEF\xBB\xBF") FPos = 3;
        Next();
    }

    bool AtEof() const { return FTok.Kind == TTokenKind::Eof; }
    size_t TokenStart() const { return FTok.Kind == TTokenKind::Eof ? FText.size() : FTok.Start; }

    // The recursive functions (Object, Property, Value, List, Collection) keep their frames small: what
    // needs strings is done apart.
    void Object(TBinaryObjectWriter& w) {
        Nest nest(*this);
        Header(w);
        while (!(IsSymbol("end") || IsSymbol("object") || IsSymbol("inherited") || IsSymbol("inline")))
            Property(w);
        w.WriteListEnd();
        while (!IsSymbol("end"))
            Object(w);
        Next();
        w.WriteListEnd();
    }

private:
    // 2. One level of nesting.
    struct Nest {
        TTextParser& P;
        explicit Nest(TTextParser& p) : P(p) {
            if (P.FDepth >= MaxTextNesting) P.TooDeep();
            ++P.FDepth;
        }
        ~Nest() { --P.FDepth; }
    };

    [[noreturn]] void ErrorAt(int line, const String& msg) {
        throw EParserError("Line " + IntToStr(line) + ": " + msg);
    }
    [[noreturn]] void Error(const String& msg) { ErrorAt(FTok.Line, msg); }
    [[noreturn, gnu::noinline]] void TooDeep() {
        Error("Nesting deeper than " + IntToStr(MaxTextNesting) + " levels");
    }

    String Describe() const {
        switch (FTok.Kind) {
        case TTokenKind::Eof:
            return "end of file";
        case TTokenKind::Symbol:
            return "'" + FTok.Text + "'";
        case TTokenKind::String:
            return "a string";
        case TTokenKind::Integer:
        case TTokenKind::Float:
            return "number " + FTok.Text;
        case TTokenKind::Char:
            return FTok.Text[0] >= 32 && FTok.Text[0] < 127 ? "'" + FTok.Text + "'"
                                                            : "character #" + IntToStr(uint8_t(FTok.Text[0]));
        }
        return "";
    }
    [[noreturn]] void Expected(const String& what) { Error(what + " expected but " + Describe() + " found"); }

    bool IsSymbol(std::string_view s) const {
        return FTok.Kind == TTokenKind::Symbol && SameText(FTok.Text, s);
    }
    bool IsChar(char c) const { return FTok.Kind == TTokenKind::Char && FTok.Text[0] == c; }
    void ExpectChar(char c) {
        if (!IsChar(c)) Expected(String("'") + c + "'");
    }
    String SymbolText() {
        if (FTok.Kind != TTokenKind::Symbol) Expected("identifier");
        return FTok.Text;
    }

    // The writer's refusals (names too long) become errors at the line of the text that caused them.
    template <class F> void Guard(int line, F&& f) {
        try {
            f();
        } catch (const EWriteError& e) {
            ErrorAt(line, e.Message());
        }
    }

    // -- Tokens --

    char Peek(size_t ahead = 0) const { return FPos + ahead < FText.size() ? FText[FPos + ahead] : '\0'; }
    bool AtEnd() const { return FPos >= FText.size(); }
    static bool IsAlpha(char c) { return c == '_' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
    static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
    static bool IsHex(char c) { return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

    // Blanks, tabs and line ends (CR LF, LF or CR, each one line).
    void SkipWhitespace() {
        while (!AtEnd()) {
            char c = FText[FPos];
            if (c == ' ' || c == '\t') {
                ++FPos;
            } else if (c == '\r' || c == '\n') {
                ++FPos;
                if (c == '\r' && Peek() == '\n') ++FPos;
                ++FLine;
            } else {
                break;
            }
        }
    }

    void Next() {
        SkipWhitespace();
        FTok = TToken();
        FTok.Line = FLine;
        FTok.Start = FPos;
        if (AtEnd()) return;
        char c = FText[FPos];
        if (IsAlpha(c)) {
            FTok.Kind = TTokenKind::Symbol;
            while (IsAlpha(Peek()) || IsDigit(Peek()))
                FTok.Text += FText[FPos++];
        } else if (c == '$') {
            FTok.Kind = TTokenKind::Integer;
            FTok.Text = "$";
            ++FPos;
            while (IsHex(Peek()))
                FTok.Text += FText[FPos++];
            if (FTok.Text.size() == 1) Error("Invalid integer number: $");
        } else if (c == '-' && IsDigit(Peek(1))) {
            ++FPos;
            FTok.Text = "-"; // Number appends the digits
            Number();
        } else if (IsDigit(c)) {
            Number();
        } else if (c == '\'' || c == '#') {
            StringToken();
        } else {
            FTok.Kind = TTokenKind::Char;
            FTok.Text = String(1, c);
            ++FPos;
        }
    }

    // Digits, then a fraction and an exponent in the framework's order, then an optional s, c or d suffix.
    void Number() {
        FTok.Kind = TTokenKind::Integer;
        while (IsDigit(Peek()))
            FTok.Text += FText[FPos++];
        char c = Peek();
        if (c == '.' || c == 'e' || c == 'E') {
            FTok.Kind = TTokenKind::Float;
            bool dotAllowed = true, expAllowed = true;
            for (c = Peek(); c == '.' || c == 'e' || c == 'E' || IsDigit(c); c = Peek()) {
                if (c == '.') {
                    if (!dotAllowed) break;
                    dotAllowed = false;
                } else if (c == 'e' || c == 'E') {
                    if (!expAllowed) break;
                    dotAllowed = expAllowed = false;
                    FTok.Text += FText[FPos++];
                    if (Peek() == '+' || Peek() == '-') FTok.Text += FText[FPos++];
                    if (!IsDigit(Peek())) Error("Invalid floating point number: " + FTok.Text);
                }
                FTok.Text += FText[FPos++];
            }
        }
        c = Peek();
        if (c == 's' || c == 'S' || c == 'c' || c == 'C' || c == 'd' || c == 'D') {
            FTok.Kind = TTokenKind::Float;
            FTok.Suffix = char(c | 0x20);
            ++FPos;
        }
    }

    // Quoted parts and #n codes, with nothing between them.
    void StringToken() {
        FTok.Kind = TTokenKind::String;
        for (;;) {
            if (Peek() == '\'') {
                ++FPos;
                String part;
                for (;;) {
                    if (AtEnd() || Peek() == '\r' || Peek() == '\n') Error("Unterminated string");
                    char ch = FText[FPos++];
                    if (ch == '\'') {
                        if (Peek() != '\'') break;
                        ++FPos;
                    }
                    part += ch;
                }
                FTok.Bytes += part;
                FTok.Units += LenientUtf16(part);
            } else if (Peek() == '#' && !AtEnd()) {
                ++FPos;
                if (!IsDigit(Peek())) Error("Character code expected after '#'");
                uint32_t code = 0;
                String digits;
                while (IsDigit(Peek())) {
                    digits += FText[FPos++];
                    if (code <= 0xFFFF) code = code * 10 + uint32_t(digits.back() - '0');
                }
                if (code > 0xFFFF) Error("Character code out of range: #" + digits);
                if (code > 127) FTok.High = true;
                if (code > 255) FTok.Wide = true;
                FTok.Bytes += char(uint8_t(code));
                FTok.Units += char16_t(code);
            } else {
                break;
            }
        }
    }

    // -- Values --

    // An integer token's value; above the signed range (decimal, up to 2^64 - 1) only when allowed, as
    // the unsigned value's bit pattern with *unsignedOut set.
    int64_t IntegerValue(bool allowUnsigned, bool* unsignedOut = nullptr) {
        const String& t = FTok.Text;
        if (t[0] == '$') {
            uint64_t v = 0;
            size_t i = 1;
            while (i + 1 < t.size() && t[i] == '0')
                ++i;
            if (t.size() - i > 16) Error("Invalid integer number: " + t);
            for (; i < t.size(); ++i)
                v = v << 4 | uint64_t(IsDigit(t[i]) ? t[i] - '0' : (t[i] | 0x20) - 'a' + 10);
            return int64_t(v); // all 64 bits may be used, as "$FFFFFFFFFFFFFFFF" is -1
        }
        bool negative = t[0] == '-';
        uint64_t v = 0;
        for (size_t i = negative ? 1 : 0; i < t.size(); ++i) {
            unsigned d = unsigned(t[i] - '0');
            if (v > (UINT64_MAX - d) / 10) Error("Integer out of range: " + t);
            v = v * 10 + d;
        }
        if (negative) {
            if (v > uint64_t(INT64_MAX) + 1) Error("Integer out of range: " + t);
            return int64_t(~v + 1);
        }
        if (v > uint64_t(INT64_MAX)) {
            if (!allowUnsigned) Error("Integer out of range: " + t);
            *unsignedOut = true;
        }
        return int64_t(v);
    }

    // value x 10000 of a decimal number, exact, rounding any further digits to even.
    int64_t CurrencyValue() {
        const String& t = FTok.Text;
        size_t i = 0;
        bool negative = t[0] == '-';
        if (negative) ++i;
        String digits;
        int64_t exp10 = 0;
        for (; i < t.size() && IsDigit(t[i]); ++i)
            digits += t[i];
        if (i < t.size() && t[i] == '.')
            for (++i; i < t.size() && IsDigit(t[i]); ++i, --exp10)
                digits += t[i];
        if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
            ++i;
            bool en = i < t.size() && t[i] == '-';
            if (i < t.size() && (t[i] == '-' || t[i] == '+')) ++i;
            int64_t e = 0;
            for (; i < t.size(); ++i)
                e = std::min<int64_t>(e * 10 + (t[i] - '0'), 100000);
            exp10 += en ? -e : e;
        }
        exp10 += 4;
        digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
        bool roundUp = false;
        if (exp10 < 0) {
            size_t drop = size_t(std::min<int64_t>(-exp10, int64_t(digits.size()) + 1));
            String kept = drop >= digits.size() ? "" : digits.substr(0, digits.size() - drop);
            String gone = drop > digits.size() ? "0" + digits : digits.substr(digits.size() - drop);
            bool half = gone[0] == '5' && gone.find_first_not_of('0', 1) == String::npos;
            bool odd = !kept.empty() && ((kept.back() - '0') & 1);
            roundUp = gone[0] > '5' || (gone[0] == '5' && (!half || odd));
            digits = kept;
        } else if (!digits.empty()) {
            if (exp10 > 20) Error("Currency value out of range: " + t);
            digits.append(size_t(exp10), '0');
        }
        uint64_t v = 0;
        for (char d : digits) {
            if (v > (UINT64_MAX - unsigned(d - '0')) / 10) Error("Currency value out of range: " + t);
            v = v * 10 + unsigned(d - '0');
        }
        if (roundUp) ++v;
        if (v > uint64_t(INT64_MAX) + (negative ? 1 : 0)) Error("Currency value out of range: " + t);
        return negative ? int64_t(~v + 1) : int64_t(v);
    }

    void FloatValue(TBinaryObjectWriter& w) {
        if (FTok.Suffix == 'c') {
            w.WriteCurrency(CurrencyValue());
            return;
        }
        uint8_t b[10];
        if (!StrToExtended(FTok.Text, b)) Error("Invalid floating point number: " + FTok.Text);
        long double v = DecodeExtended(b);
        bool overflow = std::isinf(v);
        if (FTok.Suffix == 's') {
            overflow = overflow || std::fabs(v) > std::numeric_limits<float>::max();
            if (!overflow) w.WriteSingle(float(v));
        } else if (FTok.Suffix == 'd') {
            overflow = overflow || std::fabs(v) > std::numeric_limits<double>::max();
            if (!overflow) w.WriteDate(double(v));
        } else if (!overflow) {
            w.WriteExtendedBytes(b);
        }
        if (overflow) Error("Floating point number out of range: " + FTok.Text);
    }

    // "+Inf", "-Inf", "Nan", each also with an s or d suffix: the non-finite values.
    bool NonFinite(TBinaryObjectWriter& w, int sign, const String& word) {
        char suffix = 0;
        String base = word;
        if (word.size() == 4 && (word.back() == 's' || word.back() == 'd')) {
            suffix = word.back();
            base = word.substr(0, 3);
        }
        long double v;
        if (sign != 0 && base == "Inf")
            v = sign * std::numeric_limits<long double>::infinity();
        else if (sign == 0 && base == "Nan")
            v = std::numeric_limits<long double>::quiet_NaN();
        else
            return false;
        if (suffix == 's')
            w.WriteSingle(float(v));
        else if (suffix == 'd')
            w.WriteDate(double(v));
        else if (std::isnan(v))
            w.WriteExtendedBytes(kNanBytes);
        else
            w.WriteFloat(v);
        return true;
    }

    // 3. The one rule for string values (see ClassesText.h).
    void StringValue(TBinaryObjectWriter& w) {
        TToken s = FTok;
        Next();
        while (IsChar('+')) {
            Next();
            if (FTok.Kind != TTokenKind::String) Expected("string");
            s.Bytes += FTok.Bytes;
            s.Units += FTok.Units;
            s.High = s.High || FTok.High;
            s.Wide = s.Wide || FTok.Wide;
            Next();
        }
        if (!s.High || (!s.Wide && IsValidUtf8(s.Bytes)))
            w.WriteString(s.Bytes);
        else
            w.WriteWideString(s.Units);
    }

    void Value(TBinaryObjectWriter& w, bool inList) {
        if (IsChar('('))
            List(w);
        else if (IsChar('<'))
            Collection(w);
        else
            Scalar(w, inList);
    }

    void List(TBinaryObjectWriter& w) {
        Nest nest(*this);
        Next();
        w.WriteListBegin();
        while (!IsChar(')'))
            Value(w, true);
        w.WriteListEnd();
        Next();
    }

    void Collection(TBinaryObjectWriter& w) {
        Nest nest(*this);
        Next();
        w.WriteCollectionBegin();
        while (!IsChar('>')) {
            ItemHeader(w);
            while (!IsSymbol("end"))
                Property(w);
            Next();
            w.WriteListEnd();
        }
        w.WriteListEnd();
        Next();
    }

    // "item", an optional "[index]", then the item's list begins.
    [[gnu::noinline]] void ItemHeader(TBinaryObjectWriter& w) {
        if (!IsSymbol("item")) Expected("'item'");
        Next();
        if (IsChar('[')) {
            Next();
            if (FTok.Kind != TTokenKind::Integer) Expected("item index");
            int64_t index = IntegerValue(false);
            if (index < INT32_MIN || index > INT32_MAX) Error("Item index out of range: " + FTok.Text);
            w.WriteInteger(index);
            Next();
            ExpectChar(']');
            Next();
        }
        w.WriteListBegin();
    }

    [[gnu::noinline]] void Header(TBinaryObjectWriter& w) {
        TRecordHeader h;
        if (IsSymbol("object"))
            h.Flags = 0;
        else if (IsSymbol("inherited"))
            h.Flags = ffInherited;
        else if (IsSymbol("inline"))
            h.Flags = ffInline;
        else
            Expected("'object', 'inherited' or 'inline'");
        int line = FTok.Line;
        Next();
        h.ClassName = SymbolText();
        Next();
        if (IsChar(':')) {
            Next();
            h.Name = h.ClassName;
            h.ClassName = SymbolText();
            Next();
        }
        if (IsChar('[')) {
            Next();
            if (FTok.Kind != TTokenKind::Integer) Expected("child position");
            int64_t pos = IntegerValue(false);
            if (pos < INT32_MIN || pos > INT32_MAX) Error("Child position out of range: " + FTok.Text);
            h.ChildPos = int32_t(pos);
            h.Flags |= ffChildPos;
            Next();
            ExpectChar(']');
            Next();
        }
        Guard(line, [&] { w.WriteRecordHeader(h); });
    }

    [[gnu::noinline]] void Scalar(TBinaryObjectWriter& w, bool inList) {
        switch (FTok.Kind) {
        case TTokenKind::Integer: {
            bool isUnsigned = false;
            int64_t v = IntegerValue(true, &isUnsigned);
            if (isUnsigned)
                w.WriteQWord(uint64_t(v));
            else
                w.WriteInteger(v);
            Next();
            return;
        }
        case TTokenKind::Float:
            FloatValue(w);
            Next();
            return;
        case TTokenKind::String:
            StringValue(w);
            return;
        case TTokenKind::Symbol: {
            // A component reference may be dotted, with nothing between the parts.
            String ident = FTok.Text;
            while (Peek() == '.' && IsAlpha(Peek(1))) {
                ident += FText[FPos++];
                while (IsAlpha(Peek()) || IsDigit(Peek()))
                    ident += FText[FPos++];
            }
            if (Peek() == '.') {
                Next();
                Expected("identifier");
            }
            int line = FTok.Line;
            if (SameText(ident, "end")) Error("Property value expected but 'end' found");
            if (SameText(ident, "Null") && inList)
                Guard(line, [&] {
                    w.WriteValue(TValueType::vaIdent);
                    w.WriteShortString(ident);
                });
            else if (!NonFinite(w, 0, ident))
                Guard(line, [&] { w.WriteIdent(ident); });
            Next();
            return;
        }
        case TTokenKind::Char:
            break;
        case TTokenKind::Eof:
            Expected("property value");
        }
        char c = FTok.Text[0];
        if (c == '+' || c == '-') {
            Next();
            if (FTok.Kind != TTokenKind::Symbol || !NonFinite(w, c == '+' ? 1 : -1, FTok.Text))
                Expected("'Inf'");
            Next();
        } else if (c == '[') {
            Next();
            w.WriteValue(TValueType::vaSet);
            if (!IsChar(']')) {
                for (;;) {
                    int line = FTok.Line;
                    String member = SymbolText();
                    Guard(line, [&] { w.WriteShortString(member); });
                    Next();
                    if (IsChar(']')) break;
                    ExpectChar(',');
                    Next();
                }
            }
            w.WriteListEnd();
            Next();
        } else if (c == '{') {
            Binary(w);
        } else {
            Error("Invalid property value: " + Describe());
        }
    }

    // Pairs of hexadecimal digits, blanks and line ends between the pairs, then "}".
    void Binary(TBinaryObjectWriter& w) {
        std::vector<uint8_t> data;
        SkipWhitespace();
        while (IsHex(Peek())) {
            auto hex = [](char h) { return uint8_t(h <= '9' ? h - '0' : (h | 0x20) - 'a' + 10); };
            uint8_t hi = hex(FText[FPos++]);
            if (!IsHex(Peek())) {
                FTok.Line = FLine;
                Error("Unterminated byte value");
            }
            data.push_back(uint8_t(hi << 4 | hex(FText[FPos++])));
            SkipWhitespace();
        }
        Next();
        ExpectChar('}');
        Guard(FTok.Line, [&] { w.WriteBinary(data.data(), data.size()); });
        Next();
    }

    void Property(TBinaryObjectWriter& w) {
        PropName(w);
        Value(w, false);
    }

    // The dotted name, "=".
    [[gnu::noinline]] void PropName(TBinaryObjectWriter& w) {
        int line = FTok.Line;
        String name = SymbolText();
        for (;;) {
            Next();
            if (!IsChar('.')) break;
            Next();
            name += '.', name += SymbolText();
        }
        Guard(line, [&] { w.WritePropName(name); });
        ExpectChar('=');
        Next();
    }

    std::string_view FText;
    size_t FPos = 0;
    int FLine = 1;
    int FDepth = 0;
    TToken FTok;
};

} // namespace

void ObjectBinaryToText(TStream& input, TStream& output) {
    TBinaryObjectReader reader(input);
    reader.ReadSignature();
    String text;
    TTextPrinter(reader, text).Object(0);
    Append(output, text);
}

int ObjectSequenceBinaryToText(TStream& input, TStream& output) {
    int count = 0;
    for (;;) {
        int64_t pos = input.GetPosition();
        if (pos >= input.GetSize()) break;
        uint8_t b;
        input.ReadBuffer(&b, 1);
        if (b == 0) break; // the end of the sequence
        input.SetPosition(pos);
        ObjectBinaryToText(input, output);
        ++count;
    }
    return count;
}

void ObjectTextToBinary(TStream& input, TStream& output) {
    int64_t start = input.GetPosition();
    String text = ReadAll(input);
    TTextParser parser(text);
    TMemoryStream buffer;
    TBinaryObjectWriter writer(buffer);
    writer.WriteSignature();
    parser.Object(writer);
    buffer.SaveToStream(output);
    input.SetPosition(start + int64_t(parser.TokenStart()));
}

int ObjectSequenceTextToBinary(TStream& input, TStream& output) {
    String text = ReadAll(input);
    TTextParser parser(text);
    TMemoryStream buffer;
    TBinaryObjectWriter writer(buffer);
    int count = 0;
    while (!parser.AtEof()) {
        writer.WriteSignature();
        parser.Object(writer);
        ++count;
    }
    writer.WriteListEnd();
    buffer.SaveToStream(output);
    return count;
}

} // namespace Classes

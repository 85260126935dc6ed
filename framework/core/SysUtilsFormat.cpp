// SysUtils: Format and the text of floating-point numbers.
//
// Floats are formatted from the exact binary value of the double: its full decimal expansion (at most 767
// significant digits) is rounded once, half away from zero, at the digit the directive asks for. So 0.125
// with two decimals is "0.13" and 2.5 with none is "3", as the framework's float-to-text rounding gives, and
// the result is the same in both trees whatever the C runtime's printf does.
#include "framework/core/SysUtils.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <vector>

namespace SysUtils {

TFormatSettings FormatSettings;

namespace {

// A decimal number: value = 0.Digits x 10^Exponent, no trailing zeros in Digits; zero has no digits.
struct TDecimal {
    bool Negative = false;
    std::string Digits;
    int Exponent = 0;
};

TDecimal ExactDecimal(double value) {
    TDecimal d;
    d.Negative = std::signbit(value);
    value = std::fabs(value);
    if (value == 0) return d;
    // 780 digits after the point hold every finite double exactly ("d.ddd...e+XXX").
    char buf[800];
    auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 780);
    std::string_view text(buf, size_t(r.ptr - buf));
    size_t e = text.find('e');
    d.Digits.push_back(text[0]);
    d.Digits.append(text.substr(2, e - 2));
    int exp = 0;
    std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(), exp);
    d.Exponent = exp + 1;
    while (!d.Digits.empty() && d.Digits.back() == '0')
        d.Digits.pop_back();
    return d;
}

// Keeps the first `keep` significant digits, rounding half away from zero (the digits are exact, so a 5 at
// the cut means at least a half). keep <= 0 rounds to zero or to one unit of the first dropped place.
void RoundDigits(TDecimal& d, int keep) {
    if (keep >= int(d.Digits.size())) return;
    if (keep < 0) {
        d.Digits.clear();
    } else {
        bool up = d.Digits[size_t(keep)] >= '5';
        d.Digits.resize(size_t(keep));
        if (up) {
            int i = keep - 1;
            while (i >= 0 && d.Digits[size_t(i)] == '9')
                d.Digits[size_t(i--)] = '0';
            if (i >= 0) {
                ++d.Digits[size_t(i)];
            } else {
                d.Digits.insert(d.Digits.begin(), '1');
                ++d.Exponent;
            }
        }
    }
    while (!d.Digits.empty() && d.Digits.back() == '0')
        d.Digits.pop_back();
    if (d.Digits.empty()) d.Exponent = 0;
}

char DigitAt(const TDecimal& d, int i) {
    return i >= 0 && i < int(d.Digits.size()) ? d.Digits[size_t(i)] : '0';
}

String ExponentDigits(int exp, int minDigits) {
    String s = std::to_string(exp < 0 ? -exp : exp);
    if (int(s.size()) < minDigits) s.insert(0, size_t(minDigits) - s.size(), '0');
    return s;
}

// Fixed notation without sign: integer part (grouped by thousandSep when not 0) and `decimals` decimals.
String FixedText(TDecimal d, int decimals, char thousandSep, char decimalSep) {
    RoundDigits(d, d.Exponent + decimals);
    String intPart;
    for (int i = 0; i < d.Exponent; ++i)
        intPart.push_back(DigitAt(d, i));
    if (intPart.empty()) intPart.push_back('0');
    if (thousandSep) {
        for (int pos = int(intPart.size()) - 3; pos > 0; pos -= 3)
            intPart.insert(size_t(pos), 1, thousandSep);
    }
    if (decimals > 0) {
        intPart.push_back(decimalSep);
        for (int i = 0; i < decimals; ++i)
            intPart.push_back(DigitAt(d, d.Exponent + i));
    }
    return intPart;
}

// "d.ddd...E+ddd" with `precision` significant digits and at least three exponent digits.
String ExponentText(TDecimal d, int precision, char decimalSep) {
    RoundDigits(d, precision);
    String s(1, DigitAt(d, 0));
    if (precision > 1) {
        s.push_back(decimalSep);
        for (int i = 1; i < precision; ++i)
            s.push_back(DigitAt(d, i));
    }
    int exp = d.Digits.empty() ? 0 : d.Exponent - 1;
    s += exp < 0 ? "E-" : "E+";
    return s + ExponentDigits(exp, 3);
}

// The shortest of fixed and scientific notation with `precision` significant digits: scientific when the
// decimal exponent is at least the precision or below -5 ("1E20", "1.5E-7"), else fixed ("0.00001").
String GeneralText(TDecimal d, int precision, char decimalSep) {
    RoundDigits(d, precision);
    if (d.Digits.empty()) return "0";
    int exp = d.Exponent - 1;
    String s;
    if (exp >= precision || exp < -5) {
        s.push_back(d.Digits[0]);
        if (d.Digits.size() > 1) s += decimalSep + d.Digits.substr(1);
        return s + (exp < 0 ? "E-" : "E") + std::to_string(exp < 0 ? -exp : exp);
    }
    if (d.Exponent <= 0) {
        s.push_back('0');
        s.push_back(decimalSep);
        s.append(size_t(-d.Exponent), '0');
        return s.append(d.Digits);
    }
    for (int i = 0; i < d.Exponent; ++i)
        s.push_back(DigitAt(d, i));
    if (int(d.Digits.size()) > d.Exponent) s += decimalSep + d.Digits.substr(size_t(d.Exponent));
    return s;
}

String CurrencyText(const String& amount, bool negative, const TFormatSettings& fs) {
    const String& c = fs.CurrencyString;
    if (!negative) {
        switch (fs.CurrencyFormat) {
        case 1:
            return amount + c;
        case 2:
            return c + " " + amount;
        case 3:
            return amount + " " + c;
        default:
            return c + amount;
        }
    }
    switch (fs.NegCurrFormat) {
    case 1:
        return "-" + c + amount;
    case 2:
        return c + "-" + amount;
    case 3:
        return c + amount + "-";
    case 4:
        return "(" + amount + c + ")";
    case 5:
        return "-" + amount + c;
    case 6:
        return amount + "-" + c;
    case 7:
        return amount + c + "-";
    case 8:
        return "-" + amount + " " + c;
    case 9:
        return "-" + c + " " + amount;
    case 10:
        return amount + " " + c + "-";
    case 11:
        return c + " " + amount + "-";
    case 12:
        return c + " -" + amount;
    case 13:
        return amount + "- " + c;
    case 14:
        return "(" + c + " " + amount + ")";
    case 15:
        return "(" + amount + " " + c + ")";
    default:
        return "(" + c + amount + ")";
    }
}

// The text of one float directive (upper-case kind E, F, G, N or M); precision -1 means none given.
String FloatText(double value, char kind, int precision, const TFormatSettings& fs) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    TDecimal d = ExactDecimal(value);
    // A result that rounds to zero has no sign, as "-0.001" with two decimals gives "0.00".
    auto signed_ = [&](String text, int keep) {
        RoundDigits(d, keep);
        return d.Negative && !d.Digits.empty() ? "-" + text : text;
    };
    auto significant = [&] { return precision < 0 ? 15 : std::clamp(precision, 1, 18); };
    auto decimals = [&](int def) { return precision < 0 ? def : std::min(precision, 18); };
    switch (kind) {
    case 'E': {
        int p = significant();
        return signed_(ExponentText(d, p, fs.DecimalSeparator), p);
    }
    case 'G': {
        int p = significant();
        return signed_(GeneralText(d, p, fs.DecimalSeparator), p);
    }
    case 'F': {
        int n = decimals(2);
        return signed_(FixedText(d, n, 0, fs.DecimalSeparator), d.Exponent + n);
    }
    case 'N': {
        int n = decimals(2);
        return signed_(FixedText(d, n, fs.ThousandSeparator, fs.DecimalSeparator), d.Exponent + n);
    }
    default: { // 'M'
        int n = decimals(fs.CurrencyDecimals);
        String amount = FixedText(d, n, fs.ThousandSeparator, fs.DecimalSeparator);
        RoundDigits(d, d.Exponent + n);
        return CurrencyText(amount, d.Negative && !d.Digits.empty(), fs);
    }
    }
}

size_t CodePointCount(std::string_view s) {
    size_t n = 0;
    for (char c : s)
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

// The first `count` code points of s.
std::string_view CodePointPrefix(std::string_view s, size_t count) {
    size_t i = 0;
    for (size_t seen = 0; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80 && seen++ == count) break;
    }
    return s.substr(0, i);
}

// Zero-pads a decimal number (with its sign, if any) to `digits` digits.
String PadDigits(String s, int digits) {
    size_t sign = s[0] == '-' ? 1 : 0;
    if (digits > int(s.size() - sign)) s.insert(sign, size_t(digits) - (s.size() - sign), '0');
    return s;
}

// Width and precision beyond this are taken as a malformed format rather than a request for gigabytes.
constexpr int kMaxFieldSize = 1000000;

class TFormatter {
public:
    TFormatter(std::string_view fmt, TVarRecs args, const TFormatSettings& fs)
        : FFmt(fmt), FArgs(args.begin()), FArgCount(args.size()), FSettings(fs) {}

    String Run() {
        String result;
        while (FPos < FFmt.size()) {
            size_t pct = FFmt.find('%', FPos);
            if (pct == std::string_view::npos) pct = FFmt.size();
            result.append(FFmt.substr(FPos, pct - FPos));
            FPos = pct;
            if (FPos < FFmt.size()) result += Directive();
        }
        return result;
    }

private:
    std::string_view FFmt;
    const TVarRec* FArgs;
    size_t FArgCount;
    const TFormatSettings& FSettings;
    size_t FPos = 0;
    size_t FArgPos = 0; // the argument an unindexed directive takes next
    int FIndex = -1;    // the explicit index of the directive being read, -1 when none

    [[noreturn]] void Invalid() const {
        throw EConvertError("Format '" + String(FFmt) + "' invalid or incompatible with argument");
    }

    char Peek() const { return FPos < FFmt.size() ? FFmt[FPos] : '\0'; }

    // The argument for the next use: at the explicit index (which then moves on, for "*"), else the next one.
    const TVarRec& TakeArg() {
        size_t n = FIndex >= 0 ? size_t(FIndex) : FArgPos;
        if (n >= FArgCount) Invalid();
        FArgPos = n + 1;
        return FArgs[n];
    }

    // A decimal number or "*" (an integer argument); false when neither is there.
    bool ReadNumber(int& value) {
        if (Peek() == '*') {
            ++FPos;
            bool explicitIndex = FIndex >= 0;
            const TVarRec& arg = TakeArg();
            if (explicitIndex) ++FIndex;
            const auto* v = std::get_if<int64_t>(&arg.Get());
            const auto* u = std::get_if<uint64_t>(&arg.Get());
            if (v && *v >= INT_MIN && *v <= INT_MAX) {
                value = int(*v);
            } else if (u && *u <= uint64_t(INT_MAX)) {
                value = int(*u);
            } else {
                Invalid();
            }
            return true;
        }
        size_t start = FPos;
        int64_t n = 0;
        while (Peek() >= '0' && Peek() <= '9') {
            n = n * 10 + (Peek() - '0');
            if (n > kMaxFieldSize) Invalid();
            ++FPos;
        }
        value = int(n);
        return FPos > start;
    }

    // One directive, FPos at its '%': [index ":"] ["-"] [width] ["." precision] type.
    String Directive() {
        ++FPos;
        if (Peek() == '%') {
            ++FPos;
            return "%";
        }
        FIndex = -1;
        int width = 0, precision = -1, value = 0;
        bool left = false;
        bool haveValue = false;
        if (Peek() == ':') {
            FIndex = 0; // "%:s" is index 0
            ++FPos;
        } else {
            haveValue = ReadNumber(value);
            if (haveValue && Peek() == ':') {
                if (value < 0) Invalid();
                FIndex = value;
                haveValue = false;
                ++FPos;
            }
        }
        if (haveValue) {
            width = value;
        } else {
            if (Peek() == '-') {
                left = true;
                ++FPos;
            }
            if (!ReadNumber(width)) width = 0;
        }
        if (width < 0) {
            // A negative width from "*" left-justifies, as in C.
            left = true;
            width = width == INT_MIN ? INT_MAX : -width;
        }
        if (Peek() == '.') {
            ++FPos;
            if (!ReadNumber(precision)) precision = 0;
            if (precision < 0) precision = -1; // a negative "*" precision is none
        }
        if (width > kMaxFieldSize || precision > kMaxFieldSize) Invalid();
        char kind = Peek();
        if (kind >= 'a' && kind <= 'z') kind = char(kind - 'a' + 'A');
        if (FPos >= FFmt.size()) Invalid();
        ++FPos;

        String text = Convert(kind, precision);
        size_t len = CodePointCount(text);
        if (width > 0 && len < size_t(width)) {
            String pad(size_t(width) - len, ' ');
            text = left ? text + pad : pad + text;
        }
        return text;
    }

    String Convert(char kind, int precision) {
        switch (kind) {
        case 'D':
        case 'U':
        case 'X': {
            const TVarRec& arg = TakeArg();
            uint64_t bits;
            if (const auto* v = std::get_if<int64_t>(&arg.Get())) {
                if (kind == 'D') return PadDigits(std::to_string(*v), precision);
                bits = arg.Is32Bit() ? uint64_t(uint32_t(*v)) : uint64_t(*v);
            } else if (const auto* u = std::get_if<uint64_t>(&arg.Get())) {
                bits = *u;
            } else {
                Invalid();
            }
            return kind == 'X' ? IntToHex(bits, precision) : PadDigits(std::to_string(bits), precision);
        }
        case 'E':
        case 'F':
        case 'G':
        case 'N':
        case 'M': {
            const auto* v = std::get_if<double>(&TakeArg().Get());
            if (!v) Invalid();
            return FloatText(*v, kind, precision, FSettings);
        }
        case 'S': {
            const auto* v = std::get_if<String>(&TakeArg().Get());
            if (!v) Invalid();
            return precision >= 0 ? String(CodePointPrefix(*v, size_t(precision))) : *v;
        }
        case 'P': {
            const auto* v = std::get_if<const void*>(&TakeArg().Get());
            if (!v) Invalid();
            return IntToHex(uint64_t(reinterpret_cast<uintptr_t>(*v)), int(sizeof(void*) * 2));
        }
        default:
            Invalid();
        }
    }
};

} // namespace

String Format(std::string_view fmt, TVarRecs args, const TFormatSettings& settings) {
    return TFormatter(fmt, args, settings).Run();
}

String Format(std::string_view fmt, TVarRecs args) {
    return Format(fmt, args, FormatSettings);
}

String FloatToStr(double value) {
    return FloatText(value, 'G', 15, FormatSettings);
}

} // namespace SysUtils

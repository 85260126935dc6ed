// SysUtils: integer conversion and rounding.
#include "framework/core/SysUtils.h"

#include <cmath>

namespace SysUtils {

String IntToStr(int64_t value) {
    return std::to_string(value);
}

String IntToHex(uint64_t value, int digits) {
    static const char kHex[] = "0123456789ABCDEF";
    String s;
    do {
        s.insert(s.begin(), kHex[value & 15]);
        value >>= 4;
    } while (value);
    if (digits > int(s.size())) s.insert(0, size_t(digits) - s.size(), '0');
    return s;
}

namespace {

// Reads an integer of `bits` bits (32 or 64) as the framework's Val does: leading blanks, an optional sign,
// then decimal digits, or hexadecimal ones after "$", "x" or "0x". A decimal number must fit the signed
// range; a hexadecimal one may fill every bit and wraps ("$FFFFFFFF" is -1 in 32 bits).
bool ParseInteger(std::string_view s, int bits, int64_t& out) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    bool hex = false;
    if (i < s.size() && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
        hex = true, ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        hex = true, i += 2;
    }
    if (i == s.size()) return false;
    const uint64_t maxMagnitude =
        hex ? (bits == 64 ? UINT64_MAX : UINT32_MAX) : (uint64_t(1) << (bits - 1)) - (negative ? 0 : 1);
    const uint64_t base = hex ? 16 : 10;
    uint64_t value = 0;
    for (; i < s.size(); ++i) {
        char c = s[i];
        unsigned digit;
        if (c >= '0' && c <= '9') {
            digit = unsigned(c - '0');
        } else if (hex && c >= 'a' && c <= 'f') {
            digit = unsigned(c - 'a' + 10);
        } else if (hex && c >= 'A' && c <= 'F') {
            digit = unsigned(c - 'A' + 10);
        } else {
            return false;
        }
        if (value > (maxMagnitude - digit) / base) return false;
        value = value * base + digit;
    }
    if (negative) value = ~value + 1; // two's complement negation, also of a wrapped hexadecimal value
    out = bits == 32 ? int64_t(int32_t(uint32_t(value))) : int64_t(value);
    return true;
}

[[noreturn]] void NotAnInteger(std::string_view s) {
    throw EConvertError("'" + String(s) + "' is not a valid integer value");
}

} // namespace

bool TryStrToInt64(std::string_view s, int64_t& value) {
    return ParseInteger(s, 64, value);
}

bool TryStrToInt(std::string_view s, int& value) {
    int64_t v;
    if (!ParseInteger(s, 32, v)) return false;
    value = int(v);
    return true;
}

int64_t StrToInt64(std::string_view s) {
    int64_t v;
    if (!ParseInteger(s, 64, v)) NotAnInteger(s);
    return v;
}

int StrToInt(std::string_view s) {
    int v;
    if (!TryStrToInt(s, v)) NotAnInteger(s);
    return v;
}

int StrToIntDef(std::string_view s, int def) {
    int v;
    return TryStrToInt(s, v) ? v : def;
}

int64_t StrToInt64Def(std::string_view s, int64_t def) {
    int64_t v;
    return ParseInteger(s, 64, v) ? v : def;
}

int64_t Round(double value) {
    if (!std::isfinite(value)) throw ERangeError("Cannot round " + FloatToStr(value) + " to an integer");
    // Work on the magnitude: a - floor(a) is exact for a >= 0, so a half is recognised without tolerance.
    double a = std::fabs(value);
    double r = std::floor(a);
    double fraction = a - r;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(r, 2.0) != 0)) r += 1;
    if (value < 0) r = -r;
    if (r < -9223372036854775808.0 || r >= 9223372036854775808.0) {
        throw ERangeError("Cannot round " + FloatToStr(value) + " to an integer: out of the 64-bit range");
    }
    return int64_t(r);
}

} // namespace SysUtils

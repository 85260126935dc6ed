// SysUtils: case mapping, comparison and trimming of UTF-8 strings.
#include "framework/core/SysUtils.h"

#include <algorithm>

namespace SysUtils {

namespace {

// A byte that does not start a valid UTF-8 sequence is kept as it is; for comparison it counts as this
// value plus the byte, above every code point.
constexpr uint32_t kRawByte = 0x110000;

// Decodes the character at s[i] and advances i; a byte that is not valid UTF-8 comes back as kRawByte + byte.
uint32_t NextCodePoint(std::string_view s, size_t& i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    size_t len = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
    if (len == 1) return ++i, c;
    if (len == 0 || i + len > s.size()) return ++i, kRawByte + c;
    uint32_t cp = c & (0x7F >> len);
    for (size_t k = 1; k < len; ++k) {
        unsigned char cc = static_cast<unsigned char>(s[i + k]);
        if ((cc & 0xC0) != 0x80) return ++i, kRawByte + c;
        cp = (cp << 6) | (cc & 0x3F);
    }
    static const uint32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return ++i, kRawByte + c;
    i += len;
    return cp;
}

void AppendCodePoint(String& out, uint32_t cp) {
    if (cp >= kRawByte)
        out.push_back(char(cp - kRawByte));
    else
        AppendUtf8(out, cp);
}

// The letters with case that our code pages hold: ASCII, Latin-1 (ß has no capital there and stays), the
// 1252 extras Š Œ Ž Ÿ ƒ, and Cyrillic U+0400 to U+045F with Ґ.
uint32_t UpperCodePoint(uint32_t c) {
    if (c >= 'a' && c <= 'z') return c - 0x20;
    if (c < 0xE0) return c;
    if (c <= 0xFE) return c == 0xF7 ? c : c - 0x20;                         // à..þ except ÷
    if (c == 0xFF) return 0x178;                                            // ÿ -> Ÿ
    if (c == 0x153 || c == 0x161 || c == 0x17E || c == 0x192) return c - 1; // œ š ž ƒ
    if (c >= 0x430 && c <= 0x44F) return c - 0x20;                          // а..я
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;                          // ѐ..џ, with ё
    if (c == 0x491) return 0x490;                                           // ґ
    return c;
}

uint32_t LowerCodePoint(uint32_t c) {
    if (c >= 'A' && c <= 'Z') return c + 0x20;
    if (c < 0xC0) return c;
    if (c <= 0xDE) return c == 0xD7 ? c : c + 0x20; // À..Þ except ×
    if (c == 0x178) return 0xFF;
    if (c == 0x152 || c == 0x160 || c == 0x17D || c == 0x191) return c + 1;
    if (c >= 0x410 && c <= 0x42F) return c + 0x20;
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;
    if (c == 0x490) return 0x491;
    return c;
}

template <class Map> String MapCodePoints(std::string_view s, Map map) {
    String out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();)
        AppendCodePoint(out, map(NextCodePoint(s, i)));
    return out;
}

char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? char(c - 0x20) : c;
}

int Sign(int64_t v) {
    return v < 0 ? -1 : v > 0 ? 1 : 0;
}

} // namespace

String UpperCase(std::string_view s) {
    String out(s);
    for (char& c : out)
        c = AsciiUpper(c);
    return out;
}

String LowerCase(std::string_view s) {
    String out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = char(c + 0x20);
    }
    return out;
}

String AnsiUpperCase(std::string_view s) {
    return MapCodePoints(s, UpperCodePoint);
}
String AnsiLowerCase(std::string_view s) {
    return MapCodePoints(s, LowerCodePoint);
}

int CompareText(std::string_view a, std::string_view b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        int d = int(static_cast<unsigned char>(AsciiUpper(a[i]))) -
                int(static_cast<unsigned char>(AsciiUpper(b[i])));
        if (d) return d;
    }
    return Sign(int64_t(a.size()) - int64_t(b.size()));
}

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareText(a, b) == 0;
}

int AnsiCompareText(std::string_view a, std::string_view b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        uint32_t ca = UpperCodePoint(NextCodePoint(a, i));
        uint32_t cb = UpperCodePoint(NextCodePoint(b, j));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    return (i < a.size()) - (j < b.size());
}

bool AnsiSameText(std::string_view a, std::string_view b) {
    return AnsiCompareText(a, b) == 0;
}

int CompareStr(std::string_view a, std::string_view b) {
    return Sign(a.compare(b));
}

// Byte order of UTF-8 is code point order, so the plain comparison serves.
int AnsiCompareStr(std::string_view a, std::string_view b) {
    return Sign(a.compare(b));
}

String Trim(std::string_view s) {
    return TrimLeft(TrimRight(s));
}

String TrimLeft(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ')
        ++i;
    return String(s.substr(i));
}

String TrimRight(std::string_view s) {
    size_t n = s.size();
    while (n > 0 && static_cast<unsigned char>(s[n - 1]) <= ' ')
        --n;
    return String(s.substr(0, n));
}

} // namespace SysUtils

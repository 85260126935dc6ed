// SysUtils: the legacy code pages that our file formats carry (1251, 866, 1252), US-ASCII and UTF-8.
//
// Each single-byte table gives the UTF-16 value of bytes 0x80 to 0xFF (bytes below are ASCII) exactly as
// Windows' MultiByteToWideChar does; where a code page defines nothing, Windows (and so we) pass the C1
// control of the same value through, which keeps every byte round-tripping.
#include "framework/core/SysUtils.h"

#include <algorithm>
#include <array>
#include <utility>

namespace SysUtils {

namespace {

// Cyrillic (Windows). 0x98 is undefined.
const char16_t k1251[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // B8
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, // C0
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, // C8
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, // D0
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, // D8
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, // E0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, // E8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447, // F0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F, // F8
};

// Cyrillic (DOS).
const char16_t k866[128] = {
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, // 80
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, // 88
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, // 90
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, // 98
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, // A0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, // A8
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, // B0
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, // B8
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, // C0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, // C8
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, // D0
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580, // D8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447, // E0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F, // E8
    0x0401, 0x0451, 0x0404, 0x0454, 0x0407, 0x0457, 0x040E, 0x045E, // F0
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4, 0x25A0, 0x00A0, // F8
};

// Western European (Windows). 0x81, 0x8D, 0x8F, 0x90 and 0x9D are undefined.
const char16_t k1252[128] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98
    0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7, // A0
    0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF, // A8
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7, // B0
    0x00B8, 0x00B9, 0x00BA, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00BF, // B8
    0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7, // C0
    0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF, // C8
    0x00D0, 0x00D1, 0x00D2, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x00D7, // D0
    0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00DF, // D8
    0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7, // E0
    0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF, // E8
    0x00F0, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x00F7, // F0
    0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x00FF, // F8
};

const char16_t* HighHalf(unsigned codePage) {
    switch (codePage) {
    case 1251:
        return k1251;
    case 866:
        return k866;
    case 1252:
        return k1252;
    default:
        return nullptr;
    }
}

// The way back for one table: (UTF-16 value, byte) sorted by value, made on first use.
using TReverse = std::array<std::pair<char16_t, uint8_t>, 128>;

TReverse MakeReverse(const char16_t* table) {
    TReverse r;
    for (size_t i = 0; i < 128; ++i)
        r[i] = {table[i], uint8_t(0x80 + i)};
    std::sort(r.begin(), r.end());
    return r;
}

const TReverse& Reverse(unsigned codePage) {
    static const TReverse r1251 = MakeReverse(k1251), r866 = MakeReverse(k866), r1252 = MakeReverse(k1252);
    return codePage == 1251 ? r1251 : codePage == 866 ? r866 : r1252;
}

String Hex(uint32_t v, int digits) {
    return IntToHex(v, digits);
}

String Unsupported(unsigned codePage) {
    return "Code page " + std::to_string(codePage) + " is not supported";
}

void AppendUtf8(String& out, char16_t c) {
    if (c < 0x80) {
        out.push_back(char(c));
    } else if (c < 0x800) {
        out.push_back(char(0xC0 | (c >> 6)));
        out.push_back(char(0x80 | (c & 0x3F)));
    } else {
        out.push_back(char(0xE0 | (c >> 12)));
        out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(char(0x80 | (c & 0x3F)));
    }
}

// Converts UTF-8 to the code page; returns the error message, empty on success.
String Encode(std::string_view s, unsigned codePage, std::string& out) {
    if (!IsSupportedCodePage(codePage)) return Unsupported(codePage);
    std::u16string wide;
    try {
        wide = Utf8ToUtf16(s);
    } catch (const EConvertError& e) {
        return e.Message();
    }
    if (codePage == 65001) {
        out.assign(s);
        return {};
    }
    std::string bytes;
    bytes.reserve(wide.size());
    for (size_t i = 0; i < wide.size(); ++i) {
        char16_t c = wide[i];
        if (c < 0x80) {
            bytes.push_back(char(c));
            continue;
        }
        if (codePage != 20127) {
            const TReverse& r = Reverse(codePage);
            auto it = std::lower_bound(r.begin(), r.end(), std::pair<char16_t, uint8_t>(c, 0));
            if (it != r.end() && it->first == c) {
                bytes.push_back(char(it->second));
                continue;
            }
        }
        uint32_t cp = c;
        if (c >= 0xD800 && c <= 0xDBFF) cp = 0x10000 + ((c - 0xD800u) << 10) + (wide[i + 1] - 0xDC00u);
        return "Character U+" + Hex(cp, 4) + " cannot be represented in code page " +
               std::to_string(codePage);
    }
    out = std::move(bytes);
    return {};
}

} // namespace

bool IsSupportedCodePage(unsigned codePage) {
    return HighHalf(codePage) != nullptr || codePage == 20127 || codePage == 65001;
}

String CodePageToUtf8(std::string_view bytes, unsigned codePage) {
    if (!IsSupportedCodePage(codePage)) throw EConvertError(Unsupported(codePage));
    if (codePage == 65001) {
        Utf8ToUtf16(bytes); // validates: invalid UTF-8 raises
        return String(bytes);
    }
    const char16_t* high = HighHalf(codePage);
    String out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            out.push_back(char(b));
        } else if (high) {
            AppendUtf8(out, high[b - 0x80]);
        } else {
            throw EConvertError("Byte 0x" + Hex(b, 2) + " at " + std::to_string(i) +
                                " is not defined in code page " + std::to_string(codePage));
        }
    }
    return out;
}

std::string Utf8ToCodePage(std::string_view s, unsigned codePage) {
    std::string out;
    String error = Encode(s, codePage, out);
    if (!error.empty()) throw EConvertError(error);
    return out;
}

bool TryUtf8ToCodePage(std::string_view s, unsigned codePage, std::string& out) {
    return Encode(s, codePage, out).empty();
}

} // namespace SysUtils

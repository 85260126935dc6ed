// The text form of field values that `pdxtool dump` and `pxfixture dump` print, so that the two readers'
// output compares line for line: text with tab, newline and backslash escaped, numbers in their shortest
// exact form, dates and times in ISO form (day 1 is 1 January of year 1, proleptic Gregorian), bytes in hex.
#pragma once

#include <charconv>
#include <cstdio>
#include <string>

namespace DumpFormat {

inline std::string Escape(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '\t')
            out += "\\t";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\\')
            out += "\\\\";
        else
            out += c;
    }
    return out;
}

inline std::string Shortest(double v) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

inline std::string IsoDate(long long days) {
    long long z = days - 1 - 719162 + 719468; // days since 0000-03-01
    long long era = (z >= 0 ? z : z - 146096) / 146097;
    long long doe = z - era * 146097;
    long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long long y = yoe + era * 400, doy = doe - (365 * yoe + yoe / 4 - yoe / 100), mp = (5 * doy + 2) / 153;
    long long d = doy - (153 * mp + 2) / 5 + 1, m = mp < 10 ? mp + 3 : mp - 9;
    if (m <= 2) ++y;
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04lld-%02lld-%02lld", y, m, d);
    return buf;
}

inline std::string IsoTime(long long ms) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60);
    std::string s = buf;
    if (ms % 1000 != 0) {
        std::snprintf(buf, sizeof buf, ".%03lld", ms % 1000);
        s += buf;
    }
    return s;
}

inline std::string IsoTimestamp(double ms) {
    long long total = (long long)ms;
    return IsoDate(total / 86400000) + "T" + IsoTime(total % 86400000);
}

inline std::string Hex(const char* p, size_t n) {
    static const char* digits = "0123456789ABCDEF";
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        s += digits[(unsigned char)p[i] >> 4];
        s += digits[(unsigned char)p[i] & 15];
    }
    return s;
}

} // namespace DumpFormat

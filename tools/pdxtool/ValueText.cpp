// pdxtool: values to and from text.
#include "tools/pdxtool/ValueText.h"

#include "tools/common/DumpFormat.h"

#include <charconv>
#include <stdexcept>

namespace ValueText {

using namespace DumpFormat;

namespace {

[[noreturn]] void Bad(const std::string& text, const std::string& field, const char* kind) {
    throw std::runtime_error("field " + field + ": \"" + text + "\" is not " + kind);
}

// Days from 1 January of year 1 (day 1), proleptic Gregorian.
long long DaysFrom(long long y, long long m, long long d) {
    y -= m <= 2;
    long long era = (y >= 0 ? y : y - 399) / 400;
    long long yoe = y - era * 400;
    long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468 + 719162 + 1;
}

bool ParseDate(const std::string& t, long long& days) {
    int y = 0, m = 0, d = 0;
    char tail = 0;
    if (std::sscanf(t.c_str(), "%d-%d-%d%c", &y, &m, &d, &tail) != 3 || m < 1 || m > 12 || d < 1 || d > 31)
        return false;
    days = DaysFrom(y, m, d);
    return IsoDate(days) == t; // refuses 2023-02-30 and forms other than YYYY-MM-DD
}

bool ParseTime(const std::string& t, long long& ms) {
    int h = 0, mi = 0, s = 0, milli = 0;
    char tail = 0;
    int n = std::sscanf(t.c_str(), "%d:%d:%d.%3d%c", &h, &mi, &s, &milli, &tail);
    if ((n != 3 && n != 4) || h < 0 || h > 23 || mi < 0 || mi > 59 || s < 0 || s > 59 || milli < 0)
        return false;
    ms = ((h * 60LL + mi) * 60 + s) * 1000 + milli;
    return true;
}

std::string Unescape(const std::string& t) {
    std::string out;
    for (size_t i = 0; i < t.size(); ++i) {
        if (t[i] == '\\' && i + 1 < t.size()) {
            char c = t[++i];
            out += c == 't' ? '\t' : c == 'n' ? '\n' : c;
        } else {
            out += t[i];
        }
    }
    return out;
}

std::string Sized(char letter, int n) {
    std::string s(1, letter);
    s += std::to_string(n);
    return s;
}

} // namespace

std::string TypeName(int type, int size, int decimals) {
    switch (type) {
    case PDX_ALPHA:
        return Sized('A', size);
    case PDX_DATE:
        return "D";
    case PDX_SHORT:
        return "S";
    case PDX_LONG:
        return "I";
    case PDX_CURRENCY:
        return "$";
    case PDX_NUMBER:
        return "N";
    case PDX_LOGICAL:
        return "L";
    case PDX_MEMO:
        return Sized('M', size);
    case PDX_BLOB:
        return Sized('B', size);
    case PDX_FMTMEMO:
        return Sized('F', size);
    case PDX_OLE:
        return Sized('O', size);
    case PDX_GRAPHIC:
        return Sized('G', size);
    case PDX_TIME:
        return "T";
    case PDX_TIMESTAMP:
        return "@";
    case PDX_AUTOINC:
        return "+";
    case PDX_BCD:
        return Sized('#', decimals);
    case PDX_BYTES:
        return Sized('Y', size);
    default:
        return Sized('?', type);
    }
}

std::string Format(const PdxValue& v) {
    switch (v.kind) {
    case PDX_VALUE_NULL:
        return "NULL";
    case PDX_VALUE_INTEGER:
        return std::to_string(v.i);
    case PDX_VALUE_FLOAT:
        return Shortest(v.f);
    case PDX_VALUE_BOOLEAN:
        return v.i ? "true" : "false";
    case PDX_VALUE_STRING:
        return Escape(std::string(v.s, v.len));
    case PDX_VALUE_DATE:
        return IsoDate(v.i);
    case PDX_VALUE_TIME:
        return IsoTime(v.i);
    case PDX_VALUE_TIMESTAMP:
        return IsoTimestamp(v.f);
    default:
        return Hex(v.s, v.len);
    }
}

long long ParseInteger(const std::string& text, const std::string& what) {
    long long v = 0;
    auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size() || text.empty())
        Bad(text, what, "an integer");
    return v;
}

PdxValue Parse(int type, const std::string& text, const std::string& field, std::string& storage) {
    PdxValue v{};
    if (text == "NULL") return v;
    long long n = 0;
    switch (type) {
    case PDX_SHORT:
    case PDX_LONG:
    case PDX_AUTOINC:
        v.kind = PDX_VALUE_INTEGER;
        v.i = ParseInteger(text, field);
        return v;
    case PDX_NUMBER:
    case PDX_CURRENCY: {
        v.kind = PDX_VALUE_FLOAT;
        auto r = std::from_chars(text.data(), text.data() + text.size(), v.f);
        if (r.ec != std::errc() || r.ptr != text.data() + text.size() || text.empty())
            Bad(text, field, "a number");
        return v;
    }
    case PDX_LOGICAL:
        if (text != "true" && text != "false") Bad(text, field, "true or false");
        v.kind = PDX_VALUE_BOOLEAN;
        v.i = text == "true";
        return v;
    case PDX_DATE:
        if (!ParseDate(text, n)) Bad(text, field, "a date (YYYY-MM-DD)");
        v.kind = PDX_VALUE_DATE;
        v.i = n;
        return v;
    case PDX_TIME:
        if (!ParseTime(text, n)) Bad(text, field, "a time (HH:MM:SS[.mmm])");
        v.kind = PDX_VALUE_TIME;
        v.i = n;
        return v;
    case PDX_TIMESTAMP: {
        long long days = 0, ms = 0;
        size_t t = text.find('T');
        if (t == std::string::npos || !ParseDate(text.substr(0, t), days) ||
            !ParseTime(text.substr(t + 1), ms))
            Bad(text, field, "a timestamp (YYYY-MM-DDTHH:MM:SS)");
        v.kind = PDX_VALUE_TIMESTAMP;
        v.f = double(days) * 86400000.0 + double(ms);
        return v;
    }
    case PDX_BYTES:
        if (text.size() % 2 != 0) Bad(text, field, "hexadecimal bytes");
        storage.clear();
        for (size_t i = 0; i < text.size(); i += 2) {
            unsigned b = 0;
            auto r = std::from_chars(text.data() + i, text.data() + i + 2, b, 16);
            if (r.ec != std::errc() || r.ptr != text.data() + i + 2) Bad(text, field, "hexadecimal bytes");
            storage += char(b);
        }
        v.kind = PDX_VALUE_BYTES;
        v.s = storage.data();
        v.len = storage.size();
        return v;
    default: // text, BCD as a decimal, and whatever the engine decides about the rest
        storage = Unescape(text);
        v.kind = PDX_VALUE_STRING;
        v.s = storage.data();
        v.len = storage.size();
        return v;
    }
}

} // namespace ValueText

// Field values to and from their bytes in a record.
#include "engine/PdxCodePage.h"
#include "engine/PdxError.h"
#include "engine/PdxFormat.h"

#include <bit>
#include <cmath>
#include <cstring>

namespace Pdx {

namespace {

uint64_t BE(const uint8_t* p, int n) {
    uint64_t v = 0;
    for (int i = 0; i < n; ++i)
        v = (v << 8) | p[i];
    return v;
}

void PutBE(uint8_t* p, int n, uint64_t v) {
    for (int i = n - 1; i >= 0; --i, v >>= 8)
        p[i] = uint8_t(v);
}

double DecodeDouble(const uint8_t* p) {
    uint64_t v = BE(p, 8);
    v = (v & 0x8000000000000000ull) ? v & 0x7FFFFFFFFFFFFFFFull : ~v;
    return std::bit_cast<double>(v);
}

void EncodeDouble(uint8_t* p, double d) {
    uint64_t v = std::bit_cast<uint64_t>(d);
    v = (v & 0x8000000000000000ull) ? ~v : v | 0x8000000000000000ull;
    PutBE(p, 8, v);
}

bool AllZero(const uint8_t* p, int n) {
    for (int i = 0; i < n; ++i)
        if (p[i] != 0) return false;
    return true;
}

int Nibble(const uint8_t* p, int i) {
    return i % 2 ? p[i / 2] & 0x0F : p[i / 2] >> 4;
}

const char* KindName(int kind) {
    static const char* names[] = {"blank", "integer", "number",    "logical", "text",
                                  "date",  "time",    "timestamp", "bytes"};
    return kind >= 0 && kind <= 8 ? names[kind] : "unknown";
}

} // namespace

void DecodeField(const Field& f, const uint8_t* p, int codePage, std::string& storage, PdxValue& v,
                 const BlobReader* blobs) {
    v = PdxValue{};
    if (AllZero(p, f.size)) return;
    // An alpha value ends at its first zero byte; with none before it the value is blank, whatever other
    // programs left in the rest of the field.
    if (f.type == PDX_ALPHA && p[0] == 0) return;
    switch (f.type) {
    case PDX_ALPHA: {
        size_t n = 0;
        while (n < f.size && p[n] != 0)
            ++n;
        try {
            storage = CodePageToUtf8(std::string(reinterpret_cast<const char*>(p), n), codePage);
        } catch (const Error& e) {
            throw Error(PDX_E_FORMAT, "field " + f.name + ": " + e.what());
        }
        v.kind = PDX_VALUE_STRING;
        v.s = storage.data();
        v.len = storage.size();
        return;
    }
    case PDX_SHORT:
        v.kind = PDX_VALUE_INTEGER;
        v.i = int16_t(uint16_t(BE(p, 2) ^ 0x8000));
        return;
    case PDX_LONG:
    case PDX_AUTOINC:
    case PDX_DATE:
    case PDX_TIME:
        v.kind = f.type == PDX_DATE   ? PDX_VALUE_DATE
                 : f.type == PDX_TIME ? PDX_VALUE_TIME
                                      : PDX_VALUE_INTEGER;
        v.i = int32_t(uint32_t(BE(p, 4) ^ 0x80000000u));
        return;
    case PDX_NUMBER:
    case PDX_CURRENCY:
    case PDX_TIMESTAMP:
        v.kind = f.type == PDX_TIMESTAMP ? PDX_VALUE_TIMESTAMP : PDX_VALUE_FLOAT;
        v.f = DecodeDouble(p);
        return;
    case PDX_LOGICAL:
        v.kind = PDX_VALUE_BOOLEAN;
        v.i = (p[0] & 0x7F) != 0;
        return;
    case PDX_BCD: {
        // Byte 0: the sign (bit 7 set when positive; a negative value has every digit inverted); then 32
        // digits, the last `decimals` of them after the point.
        const bool negative = (p[0] & 0x80) == 0;
        const int flip = negative ? 0x0F : 0;
        storage.clear();
        if (negative) storage += '-';
        bool lead = true;
        for (int i = 2; i < 34 - f.decimals; ++i) {
            int d = Nibble(p, i) ^ flip;
            if (d > 9) throw Error(PDX_E_FORMAT, "field " + f.name + ": a BCD digit out of range");
            if (lead && d == 0) continue;
            lead = false;
            storage += char('0' + d);
        }
        if (lead) storage += '0';
        if (f.decimals > 0) {
            storage += '.';
            for (int i = 34 - f.decimals; i < 34; ++i) {
                int d = Nibble(p, i) ^ flip;
                if (d > 9) throw Error(PDX_E_FORMAT, "field " + f.name + ": a BCD digit out of range");
                storage += char('0' + d);
            }
        }
        v.kind = PDX_VALUE_STRING;
        v.s = storage.data();
        v.len = storage.size();
        return;
    }
    case PDX_MEMO:
    case PDX_FMTMEMO:
    case PDX_BLOB:
    case PDX_OLE:
    case PDX_GRAPHIC: {
        const int leader = f.size - 10;
        uint32_t length = LE32(p + leader + 4);
        if (length <= uint32_t(leader)) {
            storage.assign(reinterpret_cast<const char*>(p), length);
        } else if (blobs != nullptr) {
            storage = (*blobs)(LE32(p + leader), length);
        } else {
            throw Error(PDX_E_UNSUPPORTED, "field " + f.name + ": a value of " + std::to_string(length) +
                                               " bytes kept in the blob file");
        }
        if (f.type == PDX_MEMO || f.type == PDX_FMTMEMO) {
            storage = CodePageToUtf8(storage, codePage);
            v.kind = PDX_VALUE_STRING;
        } else {
            v.kind = PDX_VALUE_BYTES;
        }
        v.s = storage.data();
        v.len = storage.size();
        return;
    }
    default: // bytes, and field types the engine does not know: the raw bytes
        storage.assign(reinterpret_cast<const char*>(p), f.size);
        v.kind = PDX_VALUE_BYTES;
        v.s = storage.data();
        v.len = storage.size();
        return;
    }
}

void EncodeField(const Field& f, const PdxValue& v, int codePage, uint8_t* p) {
    std::memset(p, 0, f.size);
    if (v.kind == PDX_VALUE_NULL) return;
    auto refuse = [&](const std::string& why) { return Error(PDX_E_VALUE, "field " + f.name + ": " + why); };
    auto expect = [&](int kind) {
        if (v.kind != kind)
            throw refuse(std::string("takes a ") + KindName(kind) + " value, not a " + KindName(v.kind) +
                         " one");
    };
    auto range = [&](int64_t lo, int64_t hi) {
        if (v.i < lo || v.i > hi)
            throw refuse(std::to_string(v.i) + " is out of the range " + std::to_string(lo) + ".." +
                         std::to_string(hi));
    };
    switch (f.type) {
    case PDX_ALPHA: {
        expect(PDX_VALUE_STRING);
        std::string utf8(v.s ? v.s : "", v.len);
        if (utf8.find('\0') != std::string::npos) throw refuse("text holds a zero character");
        std::string bytes = Utf8ToCodePage(utf8, codePage, "field " + f.name);
        if (bytes.size() > f.size)
            throw refuse("text of " + std::to_string(bytes.size()) + " characters does not fit in " +
                         std::to_string(f.size));
        std::memcpy(p, bytes.data(), bytes.size());
        return;
    }
    case PDX_SHORT:
        expect(PDX_VALUE_INTEGER);
        range(-32767, 32767); // -32768 would be stored as a blank
        PutBE(p, 2, uint16_t(v.i) ^ 0x8000u);
        return;
    case PDX_LONG:
    case PDX_AUTOINC:
    case PDX_DATE:
    case PDX_TIME:
        expect(f.type == PDX_DATE ? PDX_VALUE_DATE : f.type == PDX_TIME ? PDX_VALUE_TIME : PDX_VALUE_INTEGER);
        if (f.type == PDX_TIME)
            range(0, 86399999);
        else if (f.type == PDX_DATE)
            range(1, 2147483647);
        else
            range(-2147483647, 2147483647);
        PutBE(p, 4, uint32_t(v.i) ^ 0x80000000u);
        return;
    case PDX_NUMBER:
    case PDX_CURRENCY:
    case PDX_TIMESTAMP:
        expect(f.type == PDX_TIMESTAMP ? PDX_VALUE_TIMESTAMP : PDX_VALUE_FLOAT);
        if (!std::isfinite(v.f)) throw refuse("a number that is not finite");
        EncodeDouble(p, v.f);
        return;
    case PDX_LOGICAL:
        expect(PDX_VALUE_BOOLEAN);
        p[0] = v.i ? 0x81 : 0x80;
        return;
    case PDX_BCD: {
        expect(PDX_VALUE_STRING);
        std::string s(v.s ? v.s : "", v.len);
        bool negative = !s.empty() && s[0] == '-';
        std::string digits = s.substr(negative || (!s.empty() && s[0] == '+') ? 1 : 0);
        size_t point = digits.find('.');
        std::string whole = digits.substr(0, point),
                    frac = point == std::string::npos ? "" : digits.substr(point + 1);
        if (whole.empty() && frac.empty()) throw refuse("\"" + s + "\" is not a decimal number");
        for (char c : whole + frac)
            if (c < '0' || c > '9') throw refuse("\"" + s + "\" is not a decimal number");
        if (int(frac.size()) > f.decimals)
            throw refuse("\"" + s + "\" has more decimals than " + std::to_string(f.decimals));
        if (int(whole.size()) > 32 - f.decimals) throw refuse("\"" + s + "\" has too many digits");
        frac.resize(size_t(f.decimals), '0');
        std::string all = std::string(size_t(32 - f.decimals) - whole.size(), '0') + whole + frac;
        const int flip = negative ? 0x0F : 0;
        p[0] = uint8_t((negative ? 0x00 : 0x80) | (f.decimals & 0x3F));
        for (int i = 2; i < 34; ++i) {
            int d = (all[size_t(i - 2)] - '0') ^ flip;
            p[i / 2] = uint8_t(i % 2 ? (p[i / 2] & 0xF0) | d : (p[i / 2] & 0x0F) | (d << 4));
        }
        return;
    }
    case PDX_BYTES:
        expect(PDX_VALUE_BYTES);
        if (v.len > f.size)
            throw refuse(std::to_string(v.len) + " bytes do not fit in " + std::to_string(f.size));
        if (v.len) std::memcpy(p, v.s, v.len);
        return;
    default:
        throw Error(PDX_E_UNSUPPORTED,
                    "field " + f.name + ": the engine writes only blank values of its type");
    }
}

} // namespace Pdx

// pxfixture: making tables with pxlib.
//
// pxlib always creates version 7 tables; version 5 is made by switching pxlib's header version before the
// first record and rewriting the header over zeros (the table name field is shorter, so the field names
// move), version 4 by patching the version bytes of a version 5 file after pxlib closed it. A keyed table's
// records are handed to pxlib in key order (pxlib appends, it never sorts) and its .PX is written by
// pxlib once all records are in.
#include "tools/pxfixture/Fixture.h"

// pxlib's header declares its functions without C linkage.
extern "C" {
#include <paradox.h>
}

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace Fixture {

namespace {

std::string gError;

void OnError(pxdoc_t*, int, const char* msg, void*) {
    if (gError.empty()) gError = msg;
}

std::string TakeError() {
    std::string e = gError.empty() ? "pxlib failed" : gError;
    gError.clear();
    return e;
}

struct Value {
    bool null = true;
    long l = 0;
    double d = 0;
    std::string s; // alpha, memo: code-page bytes; bytes: the bytes
};

using Row = std::vector<Value>;

bool HasCyrillic(int codePage) {
    return codePage == 1251 || codePage == 866;
}

bool IsText(char type) {
    return type == pxfAlpha || type == pxfMemoBLOb || type == pxfFmtMemoBLOb || type == pxfBytes;
}

bool IsBlob(char type) {
    return type == pxfMemoBLOb || type == pxfFmtMemoBLOb;
}

bool IsDouble(char type) {
    return type == pxfNumber || type == pxfCurrency || type == pxfTimestamp;
}

using DocPtr = std::unique_ptr<pxdoc_t, void (*)(pxdoc_t*)>;

DocPtr NewDoc() {
    PX_boot();
    pxdoc_t* d = PX_new2(OnError, nullptr, nullptr, nullptr);
    if (d == nullptr) throw std::runtime_error("pxlib cannot start");
    return DocPtr(d, [](pxdoc_t* p) { PX_delete(p); });
}

// pxlib keeps a field list it is given and frees it with its own allocator.
pxfield_t* FieldList(pxdoc_t* d, const std::vector<FieldSpec>& fields, size_t count) {
    auto* pxf = static_cast<pxfield_t*>(d->malloc(d, sizeof(pxfield_t) * count, "fields"));
    for (size_t i = 0; i < count; ++i) {
        pxf[i].px_fname = static_cast<char*>(d->malloc(d, fields[i].name.size() + 1, "field name"));
        std::memcpy(pxf[i].px_fname, fields[i].name.c_str(), fields[i].name.size() + 1);
        pxf[i].px_ftype = fields[i].type;
        pxf[i].px_flen = fields[i].size;
        pxf[i].px_fdc = fields[i].decimals;
    }
    return pxf;
}

// Key order as the stored bytes sort: numbers by value, text by its code-page bytes, blank first.
bool KeyLess(const Row& a, const Row& b, const std::vector<FieldSpec>& fields, int keyFields) {
    for (int k = 0; k < keyFields; ++k) {
        const Value &x = a[size_t(k)], &y = b[size_t(k)];
        if (x.null != y.null) return x.null;
        if (x.null) continue;
        const char t = fields[size_t(k)].type;
        if (IsDouble(t)) {
            if (x.d != y.d) return x.d < y.d;
        } else if (t == pxfAlpha || t == pxfBytes) {
            int c = std::memcmp(x.s.data(), y.s.data(), std::min(x.s.size(), y.s.size()));
            if (c != 0) return c < 0;
            if (x.s.size() != y.s.size()) return x.s.size() < y.s.size();
        } else if (IsText(t)) {
            throw std::runtime_error("field " + fields[size_t(k)].name + " cannot be a key field");
        } else if (x.l != y.l) {
            return x.l < y.l;
        }
    }
    return false;
}

void PatchVersion4(const std::string& path) {
    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "rb+"), std::fclose);
    static const unsigned char id = 0x09, verIds[4] = {0x09, 0x01, 0x09, 0x01};
    if (!f || std::fseek(f.get(), 0x39, SEEK_SET) != 0 || std::fwrite(&id, 1, 1, f.get()) != 1 ||
        std::fseek(f.get(), 0x58, SEEK_SET) != 0 || std::fwrite(verIds, 1, 4, f.get()) != 4)
        throw std::runtime_error(path + ": cannot patch the version bytes");
}

void WritePrimaryIndex(pxdoc_t* db, const TableSpec& spec, const std::vector<FieldSpec>& fields) {
    std::string px = spec.path.substr(0, spec.path.size() - 3) +
                     (spec.path.substr(spec.path.size() - 3) == ".DB" ? ".PX" : ".px");
    DocPtr idx = NewDoc();
    pxfield_t* pxf = FieldList(idx.get(), fields, size_t(spec.keyFields));
    if (PX_create_file(idx.get(), pxf, spec.keyFields, px.c_str(), pxfFileTypPrimIndex) < 0)
        throw std::runtime_error(px + ": " + TakeError());
    if (PX_write_primary_index(db, idx.get()) < 0) throw std::runtime_error(px + ": " + TakeError());
    PX_close(idx.get());
}

// Creates the table and inserts records; values(r, field) gives record r's value (from 1).
template <class F> void Write(const TableSpec& spec, const std::vector<FieldSpec>& fields, F values) {
    if (spec.version != 70 && spec.version != 50 && spec.version != 40)
        throw std::runtime_error("version " + std::to_string(spec.version) + " is not 70, 50 or 40");
    if (spec.keyFields < 0 || spec.keyFields > int(fields.size()))
        throw std::runtime_error("a key of " + std::to_string(spec.keyFields) + " fields");
    const bool hasBlob =
        std::any_of(fields.begin(), fields.end(), [](const FieldSpec& f) { return IsBlob(f.type); });
    if (spec.keyFields > 0 && spec.path.size() < 4)
        throw std::runtime_error(spec.path + ": a keyed table's name needs the extension .db");

    std::vector<Row> rows;
    for (int r = 1; r <= spec.records; ++r) {
        Row row;
        for (size_t k = 0; k < fields.size(); ++k)
            row.push_back(values(r, k));
        rows.push_back(std::move(row));
    }
    if (spec.keyFields > 0) {
        std::stable_sort(rows.begin(), rows.end(),
                         [&](const Row& a, const Row& b) { return KeyLess(a, b, fields, spec.keyFields); });
        for (size_t i = 1; i < rows.size(); ++i)
            if (!KeyLess(rows[i - 1], rows[i], fields, spec.keyFields))
                throw std::runtime_error("two records have the same key");
    }

    std::remove(spec.path.c_str());
    std::unique_ptr<FILE, int (*)(FILE*)> fp(std::fopen(spec.path.c_str(), "wb+"), std::fclose);
    if (!fp) throw std::runtime_error(spec.path + ": cannot create");
    DocPtr doc = NewDoc();
    pxdoc_t* d = doc.get();
    pxfield_t* pxf = FieldList(d, fields, fields.size());
    if (PX_create_fp(d, pxf, int(fields.size()), fp.get(),
                     spec.keyFields > 0 ? pxfFileTypIndexDB : pxfFileTypNonIndexDB) < 0)
        throw std::runtime_error(spec.path + ": " + TakeError());
    if (spec.keyFields > 0 && PX_set_value(d, "numprimkeys", float(spec.keyFields)) < 0)
        throw std::runtime_error(spec.path + ": " + TakeError());
    if (spec.version != 70) {
        // The version 5 header is rewritten over zeros: its field names start earlier than version 7's.
        d->px_head->px_fileversion = 50;
        std::vector<char> zeros(size_t(d->px_head->px_headersize), 0);
        if (std::fseek(fp.get(), 0, SEEK_SET) != 0 ||
            std::fwrite(zeros.data(), 1, zeros.size(), fp.get()) != zeros.size())
            throw std::runtime_error(spec.path + ": cannot rewrite the header");
        if (PX_set_tablename(d, "fixture") < 0) throw std::runtime_error(spec.path + ": " + TakeError());
    }
    if (PX_set_value(d, "codepage", float(spec.codePage)) < 0)
        throw std::runtime_error(spec.path + ": " + TakeError());
    if (spec.blockKiB > 0) d->px_head->px_maxtablesize = spec.blockKiB;
    if (hasBlob && PX_set_blob_file(d, BlobPath(spec.path).c_str()) < 0)
        throw std::runtime_error(BlobPath(spec.path) + ": " + TakeError());

    std::vector<pxval_t> vals(fields.size());
    std::vector<pxval_t*> ptrs(fields.size());
    int n = 0;
    for (Row& row : rows) {
        ++n;
        for (size_t k = 0; k < fields.size(); ++k) {
            pxval_t& v = vals[k];
            std::memset(&v, 0, sizeof v);
            v.type = fields[k].type;
            v.isnull = row[k].null ? 1 : 0;
            if (IsText(fields[k].type)) {
                if (fields[k].type == pxfAlpha && int(row[k].s.size()) > fields[k].size)
                    row[k].s.resize(size_t(fields[k].size));
                v.value.str.val = row[k].s.data();
                v.value.str.len = int(row[k].s.size());
            } else if (IsDouble(fields[k].type)) {
                v.value.dval = row[k].d;
            } else {
                v.value.lval = row[k].l;
            }
            ptrs[k] = &v;
        }
        if (PX_insert_record(d, ptrs.data()) < 0)
            throw std::runtime_error(spec.path + ": record " + std::to_string(n) + ": " + TakeError());
    }
    if (spec.keyFields > 0) WritePrimaryIndex(d, spec, fields);
    PX_close(d);
    doc.reset();
    fp.reset();
    if (spec.version == 40) PatchVersion4(spec.path);
}

Value Int(long v) {
    Value x;
    x.null = false;
    x.l = v;
    return x;
}

Value Text(const std::string& utf8, int codePage) {
    Value x;
    x.null = utf8.empty();
    x.s = ToCodePage(utf8, codePage);
    return x;
}

// The length of record r's memo or blob: one that fits a small leader, then ones that go to the blob
// file's shared blocks (below 2 KB) and ones that get blocks of their own.
size_t BlobLength(int r) {
    return r == 1 ? 5 : size_t(50 * r * r);
}

FieldSpec ParseField(const std::string& item) {
    size_t colon = item.find(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 >= item.size())
        throw std::runtime_error("field \"" + item + "\" is not Name:TYPE");
    const std::string name = item.substr(0, colon), type = item.substr(colon + 1);
    auto sized = [&](char code, int lo, int hi, int extra) {
        char* end = nullptr;
        long n = std::strtol(type.c_str() + 1, &end, 10);
        if (type.size() < 2 || *end != '\0' || n < lo || n > hi)
            throw std::runtime_error("size of " + name + " (" + type + ") not in " + std::to_string(lo) +
                                     ".." + std::to_string(hi));
        return FieldSpec{name, code, int(n) + extra, 0};
    };
    switch (type[0]) {
    case 'A':
        return sized(pxfAlpha, 1, 255, 0);
    case 'M':
        return sized(pxfMemoBLOb, 1, 240, 10);
    case 'F':
        return sized(pxfFmtMemoBLOb, 1, 240, 10);
    case 'Y':
        return sized(pxfBytes, 1, 255, 0);
    default:
        break;
    }
    if (type.size() == 1) {
        switch (type[0]) {
        case 'S':
            return {name, pxfShort, 2};
        case 'I':
            return {name, pxfLong, 4};
        case '+':
            return {name, pxfAutoInc, 4};
        case 'L':
            return {name, pxfLogical, 1};
        case 'N':
            return {name, pxfNumber, 8};
        case '$':
            return {name, pxfCurrency, 8};
        case 'D':
            return {name, pxfDate, 4};
        case 'T':
            return {name, pxfTime, 4};
        case '@':
            return {name, pxfTimestamp, 8};
        default:
            break;
        }
    }
    throw std::runtime_error("field type " + type + " of " + name + " is not one pxfixture makes");
}

} // namespace

void MakeTemplate(const TableSpec& spec, const std::string& omit) {
    const std::vector<FieldSpec> all = {
        {"Level", pxfShort, 2},       {"Name", pxfAlpha, 40},           {"FontName", pxfAlpha, 40},
        {"FontSize", pxfShort, 2},    {"FontColor", pxfLong, 4},        {"Bold", pxfLogical, 1},
        {"Italic", pxfLogical, 1},    {"Underline", pxfLogical, 1},     {"Align", pxfShort, 2},
        {"Bullets", pxfLogical, 1},   {"FirstInd", pxfShort, 2},        {"LeftInd", pxfShort, 2},
        {"RightInd", pxfShort, 2},    {"TabPos", pxfShort, 2},          {"SpaceBefore", pxfShort, 2},
        {"SpaceAfter", pxfShort, 2},  {"SpaceLine", pxfShort, 2},       {"BackColor", pxfLong, 4},
        {"PageBreak", pxfLogical, 1}, {"LineSpacingRule", pxfShort, 2}, {"NoControlChar", pxfLogical, 1}};
    std::vector<FieldSpec> fields;
    for (const FieldSpec& f : all)
        if (f.name != omit) fields.push_back(f);
    if (!omit.empty() && fields.size() == all.size())
        throw std::runtime_error("no field " + omit + " to omit");
    const int cp = spec.codePage;
    Write(spec, fields, [&](int r, size_t k) -> Value {
        const std::string& n = fields[k].name;
        if (n == "Level") return Int(r);
        if (n == "Name") return Text((HasCyrillic(cp) ? "Стиль " : "Style ") + std::to_string(r), cp);
        if (n == "FontName") return Text("Arial", cp);
        if (n == "FontSize") return Int(10 + r % 5);
        if (n == "FontColor") return Int(long(r) * 65536);
        if (n == "Bold") return Int(r % 2 == 1);
        if (n == "Italic") return Int(r % 3 == 0);
        if (n == "Align") return Int(r % 4);
        if (n == "FirstInd") return Int(r);
        if (n == "LeftInd") return Int(2 * r);
        if (n == "RightInd") return Int(3 * r);
        if (n == "TabPos") return Int(r % 7);
        if (n == "SpaceAfter") return Int(1);
        if (n == "SpaceLine") return Int(2);
        if (n == "BackColor") return Int(16777215);
        if (n == "NoControlChar") return Int(1);
        return Int(0); // SpaceBefore, LineSpacingRule, and false for Underline, Bullets, PageBreak
    });
}

void MakeTable(const TableSpec& spec, const std::string& list) {
    std::vector<FieldSpec> fields;
    size_t start = 0;
    while (start < list.size()) {
        size_t end = list.find(',', start);
        if (end == std::string::npos) end = list.size();
        fields.push_back(ParseField(list.substr(start, end - start)));
        start = end + 1;
    }
    if (fields.empty()) throw std::runtime_error("no fields given");
    const int cp = spec.codePage;
    Write(spec, fields, [&](int r, size_t k) -> Value {
        Value v;
        if (r % 10 == 0 && k > 0 && int(k) >= spec.keyFields) return v;
        const long kk = long(k) + 1;
        const FieldSpec& f = fields[k];
        v.null = false;
        switch (f.type) {
        case pxfAlpha:
            return Text(
                (HasCyrillic(cp) ? "Запись " : "Record ") + std::to_string(r) + "." + std::to_string(kk), cp);
        case pxfMemoBLOb:
        case pxfFmtMemoBLOb: {
            std::string unit = ToCodePage((HasCyrillic(cp) ? "Заметка " : "Memo ") + std::to_string(r) + "." +
                                              std::to_string(kk) + " ",
                                          cp);
            while (v.s.size() < BlobLength(r))
                v.s += unit;
            v.s.resize(BlobLength(r));
            return v;
        }
        case pxfBytes:
            for (int i = 0; i < f.size; ++i)
                v.s += char((r + kk + i) % 256);
            return v;
        case pxfShort:
            v.l = r * kk - 50;
            break;
        case pxfLong:
        case pxfAutoInc:
            v.l = r * 1000L + kk;
            break;
        case pxfLogical:
            v.l = r % 2;
            break;
        case pxfNumber:
            v.d = r + kk / 4.0;
            break;
        case pxfCurrency:
            v.d = r * 1.5;
            break;
        case pxfDate:
            v.l = 738000 + r;
            break;
        case pxfTime:
            v.l = r * 1000L + kk;
            break;
        case pxfTimestamp:
            v.d = (738000.0 + r) * 86400000.0 + r * 1000.0 + kk;
            break;
        }
        return v;
    });
}

} // namespace Fixture

// pxfixture: making tables with pxlib.
#include "tools/pxfixture/Fixture.h"

// pxlib's header declares its functions without C linkage.
extern "C" {
#include <paradox.h>
}

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
    std::string s; // alpha: code-page bytes
};

bool HasCyrillic(int codePage) {
    return codePage == 1251 || codePage == 866;
}

// Creates the table and inserts records; values(r, field) gives record r's value (from 1).
template <class F> void Write(const TableSpec& spec, const std::vector<FieldSpec>& fields, F values) {
    PX_boot();
    pxdoc_t* d = PX_new2(OnError, nullptr, nullptr, nullptr);
    if (d == nullptr) throw std::runtime_error("pxlib cannot start");
    std::unique_ptr<pxdoc_t, void (*)(pxdoc_t*)> guard(d, [](pxdoc_t* p) { PX_delete(p); });
    // pxlib keeps the field list and frees it with its own allocator.
    auto* pxf = static_cast<pxfield_t*>(d->malloc(d, sizeof(pxfield_t) * fields.size(), "fields"));
    for (size_t i = 0; i < fields.size(); ++i) {
        pxf[i].px_fname = static_cast<char*>(d->malloc(d, fields[i].name.size() + 1, "field name"));
        std::memcpy(pxf[i].px_fname, fields[i].name.c_str(), fields[i].name.size() + 1);
        pxf[i].px_ftype = fields[i].type;
        pxf[i].px_flen = fields[i].size;
        pxf[i].px_fdc = 0;
    }
    if (PX_create_file(d, pxf, int(fields.size()), spec.path.c_str(), pxfFileTypNonIndexDB) < 0)
        throw std::runtime_error(spec.path + ": " + TakeError());
    if (PX_set_value(d, "codepage", float(spec.codePage)) < 0)
        throw std::runtime_error(spec.path + ": " + TakeError());
    if (spec.blockKiB > 0) d->px_head->px_maxtablesize = spec.blockKiB;
    std::vector<pxval_t> vals(fields.size());
    std::vector<pxval_t*> ptrs(fields.size());
    for (int r = 1; r <= spec.records; ++r) {
        std::vector<Value> row;
        for (size_t k = 0; k < fields.size(); ++k)
            row.push_back(values(r, k));
        for (size_t k = 0; k < fields.size(); ++k) {
            pxval_t& v = vals[k];
            std::memset(&v, 0, sizeof v);
            v.type = fields[k].type;
            v.isnull = row[k].null ? 1 : 0;
            if (fields[k].type == pxfAlpha) {
                if (int(row[k].s.size()) > fields[k].size) row[k].s.resize(size_t(fields[k].size));
                v.value.str.val = row[k].s.data();
                v.value.str.len = int(row[k].s.size());
            } else if (fields[k].type == pxfNumber || fields[k].type == pxfCurrency ||
                       fields[k].type == pxfTimestamp) {
                v.value.dval = row[k].d;
            } else {
                v.value.lval = row[k].l;
            }
            ptrs[k] = &v;
        }
        if (PX_insert_record(d, ptrs.data()) < 0)
            throw std::runtime_error(spec.path + ": record " + std::to_string(r) + ": " + TakeError());
    }
    PX_close(d);
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
        std::string item = list.substr(start, end - start);
        size_t colon = item.find(':');
        if (colon == std::string::npos || colon + 1 >= item.size())
            throw std::runtime_error("field \"" + item + "\" is not Name:TYPE");
        std::string type = item.substr(colon + 1);
        FieldSpec f{item.substr(0, colon), 0, 0};
        switch (type[0]) {
        case 'A':
            f.type = pxfAlpha;
            f.size = std::atoi(type.c_str() + 1);
            if (f.size < 1 || f.size > 255)
                throw std::runtime_error("alpha size of " + f.name + " not in 1..255");
            break;
        case 'S':
            f = {f.name, pxfShort, 2};
            break;
        case 'I':
            f = {f.name, pxfLong, 4};
            break;
        case '+':
            f = {f.name, pxfAutoInc, 4};
            break;
        case 'L':
            f = {f.name, pxfLogical, 1};
            break;
        case 'N':
            f = {f.name, pxfNumber, 8};
            break;
        case '$':
            f = {f.name, pxfCurrency, 8};
            break;
        case 'D':
            f = {f.name, pxfDate, 4};
            break;
        case 'T':
            f = {f.name, pxfTime, 4};
            break;
        case '@':
            f = {f.name, pxfTimestamp, 8};
            break;
        default:
            throw std::runtime_error("field type " + type + " of " + f.name + " is not one pxfixture makes");
        }
        fields.push_back(f);
        start = end + 1;
    }
    if (fields.empty()) throw std::runtime_error("no fields given");
    const int cp = spec.codePage;
    Write(spec, fields, [&](int r, size_t k) -> Value {
        Value v;
        if (r % 10 == 0 && k > 0) return v;
        const long kk = long(k) + 1;
        v.null = false;
        switch (fields[k].type) {
        case pxfAlpha:
            return Text(
                (HasCyrillic(cp) ? "Запись " : "Record ") + std::to_string(r) + "." + std::to_string(kk), cp);
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

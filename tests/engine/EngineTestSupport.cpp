// The engine tests' shared helpers.
#include "tests/engine/EngineTestSupport.h"

#include "tools/pdxtool/ValueText.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#ifdef HAVE_PXLIB
#include "tools/pxfixture/Fixture.h"
// pxlib's header declares its functions without C linkage.
extern "C" {
#include <paradox.h>
}
#endif

namespace EngineTest {

std::string Utf8(const fs::path& p) {
    std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

fs::path FromUtf8(const std::string& s) {
    return fs::path(std::u8string(s.begin(), s.end()));
}

std::string ReadAll(const std::string& utf8Path) {
    std::ifstream in(FromUtf8(utf8Path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& utf8Path, const std::string& bytes) {
    std::ofstream out(FromUtf8(utf8Path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (!out) ADD_FAILURE() << "cannot write " << utf8Path;
}

int ProcessId() {
#ifdef _WIN32
    return int(GetCurrentProcessId());
#else
    return int(getpid());
#endif
}

TempFolder::TempFolder(const std::string& name) {
    FPath = fs::temp_directory_path() / ("pdx-engine-" + name + "-" + std::to_string(ProcessId()));
    std::error_code ec;
    fs::remove_all(FPath, ec);
    fs::create_directories(FPath);
}

TempFolder::~TempFolder() {
    std::error_code ec;
    for (auto& e : fs::recursive_directory_iterator(FPath, ec)) {
        fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
#ifdef _WIN32
        SetFileAttributesW(e.path().c_str(), FILE_ATTRIBUTE_NORMAL);
#endif
    }
    fs::remove_all(FPath, ec);
}

std::string TempFolder::File(const std::string& utf8Name) const {
    return Utf8(FPath / FromUtf8(utf8Name));
}

std::string TempFolder::CopyFixture(const std::string& fixture, const std::string& utf8Name) const {
    std::string to = File(utf8Name.empty() ? fixture + ".db" : utf8Name);
    std::string bytes = ReadAll(FixturePath(fixture));
    if (bytes.empty()) ADD_FAILURE() << "fixture " << fixture << " is missing or empty";
    WriteAll(to, bytes);
    return to;
}

std::string FixturePath(const std::string& name) {
#ifdef ENGINE_FIXTURES
    return std::string(ENGINE_FIXTURES) + "/" + name + ".db";
#else
    ADD_FAILURE() << "the tests were built without their fixtures (no pxfixture)";
    return name + ".db";
#endif
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> FixtureDump(const std::string& name) {
    return SplitLines(ReadAll(FixturePath(name) + ".dump"));
}

// ---------------------------------------------------------------------------------------------------------

namespace {

PdxValue Make(int kind) {
    PdxValue v{};
    v.kind = kind;
    return v;
}

} // namespace

PdxValue Null() {
    return Make(PDX_VALUE_NULL);
}

PdxValue Int(int64_t i) {
    PdxValue v = Make(PDX_VALUE_INTEGER);
    v.i = i;
    return v;
}

PdxValue Float(double f) {
    PdxValue v = Make(PDX_VALUE_FLOAT);
    v.f = f;
    return v;
}

PdxValue Bool(bool b) {
    PdxValue v = Make(PDX_VALUE_BOOLEAN);
    v.i = b ? 1 : 0;
    return v;
}

PdxValue Text(std::string_view s) {
    PdxValue v = Make(PDX_VALUE_STRING);
    v.s = s.data();
    v.len = s.size();
    return v;
}

PdxValue Date(int64_t days) {
    PdxValue v = Make(PDX_VALUE_DATE);
    v.i = days;
    return v;
}

PdxValue Time(int64_t ms) {
    PdxValue v = Make(PDX_VALUE_TIME);
    v.i = ms;
    return v;
}

PdxValue Stamp(double ms) {
    PdxValue v = Make(PDX_VALUE_TIMESTAMP);
    v.f = ms;
    return v;
}

PdxValue Bytes(std::string_view s) {
    PdxValue v = Make(PDX_VALUE_BYTES);
    v.s = s.data();
    v.len = s.size();
    return v;
}

std::string Format(const PdxValue& v) {
    return ValueText::Format(v);
}

std::vector<PdxValue> StyleValues(int level, std::string_view name) {
    return {
        Int(level), Text(name),      Text("Courier New"), Int(9), Int(-1),    Bool(true), Bool(false), Null(),
        Int(32767), Bool(false),     Int(-32767),         Int(0), Null(),     Int(-5),    Int(1),      Int(2),
        Int(3),     Int(2147483647), Bool(true),          Null(), Bool(false)};
}

std::string StyleLine(int level, const std::string& name) {
    return "Level=" + std::to_string(level) + "\tName=" + (name.empty() ? "NULL" : name) +
           "\tFontName=Courier New\tFontSize=9\tFontColor=-1\tBold=true\tItalic=false\tUnderline=NULL"
           "\tAlign=32767\tBullets=false\tFirstInd=-32767\tLeftInd=0\tRightInd=NULL\tTabPos=-5"
           "\tSpaceBefore=1\tSpaceAfter=2\tSpaceLine=3\tBackColor=2147483647\tPageBreak=true"
           "\tLineSpacingRule=NULL\tNoControlChar=false";
}

// ---------------------------------------------------------------------------------------------------------

EngineTable::EngineTable(const std::string& path, int mode) {
    FOpenStatus = Note(pdx_open(path.c_str(), mode, &FTable));
}

EngineTable::~EngineTable() {
    pdx_close(FTable);
}

PdxStatus EngineTable::Note(PdxStatus s) {
    if (s != PDX_OK) FError = pdx_last_error();
    return s;
}

PdxTableInfo EngineTable::Info() {
    PdxTableInfo info{};
    EXPECT_EQ(Note(pdx_table_info(FTable, &info)), PDX_OK) << FError;
    return info;
}

std::vector<std::string> EngineTable::FieldNames() {
    std::vector<std::string> names;
    for (int k = 0; k < Info().field_count; ++k) {
        PdxFieldInfo f{};
        EXPECT_EQ(Note(pdx_field_info(FTable, k, &f)), PDX_OK) << FError;
        names.push_back(f.name ? f.name : "");
    }
    return names;
}

uint32_t EngineTable::Refresh() {
    uint32_t n = 0;
    EXPECT_EQ(Refresh(n), PDX_OK) << FError;
    return n;
}

PdxStatus EngineTable::Refresh(uint32_t& count) {
    return Note(pdx_refresh(FTable, &count));
}

PdxStatus EngineTable::Value(uint32_t position, int field, PdxValue& v) {
    return Note(pdx_get_value(FTable, position, field, &v));
}

std::string EngineTable::Line(uint32_t position) {
    std::vector<std::string> names = FieldNames();
    std::string line;
    for (size_t k = 0; k < names.size(); ++k) {
        PdxValue v{};
        if (Value(position, int(k), v) != PDX_OK) {
            ADD_FAILURE() << "record " << position << " field " << k << ": " << FError;
            return line + "<error>";
        }
        if (k > 0) line += '\t';
        line += names[k] + "=" + Format(v);
    }
    return line;
}

std::vector<std::string> EngineTable::Dump() {
    std::vector<std::string> lines;
    uint32_t n = Refresh();
    for (uint32_t r = 0; r < n; ++r)
        lines.push_back(Line(r));
    return lines;
}

PdxStatus EngineTable::Insert(uint32_t position, const std::vector<PdxValue>& values, uint32_t* at) {
    return Note(pdx_insert(FTable, position, values.data(), int(values.size()), at));
}

// ---------------------------------------------------------------------------------------------------------

namespace {

int U16(const std::string& b, size_t at) {
    return uint8_t(b[at]) | (uint8_t(b[at + 1]) << 8);
}

uint32_t U32(const std::string& b, size_t at) {
    return uint32_t(U16(b, at)) | (uint32_t(U16(b, at + 2)) << 16);
}

} // namespace

int Layout::Walked() const {
    int n = 0;
    for (int r : records)
        n += r;
    return n;
}

Layout ReadLayout(const std::string& b) {
    Layout l;
    l.fileSize = b.size();
    if (b.size() < 0x58) {
        l.error = "shorter than a header";
        return l;
    }
    l.recordSize = U16(b, 0);
    l.headerSize = U16(b, 2);
    l.blockSize = uint8_t(b[5]) * 1024;
    l.numRecords = U32(b, 6);
    l.nextBlock = U16(b, 0x0A);
    l.fileBlocks = U16(b, 0x0C);
    l.firstBlock = U16(b, 0x0E);
    l.lastBlock = U16(b, 0x10);
    l.maxBlocks = U16(b, 0x3A);
    l.autoInc = U32(b, 0x49);
    if (l.recordSize == 0 || l.blockSize == 0 || size_t(l.headerSize) > b.size()) {
        l.error = "impossible sizes in the header";
        return l;
    }
    const size_t blocks = (b.size() - size_t(l.headerSize)) / size_t(l.blockSize);
    std::vector<bool> seen(blocks + 1);
    int prev = 0;
    for (int n = l.firstBlock; n != 0;) {
        if (size_t(n) > blocks) {
            l.error = "block " + std::to_string(n) + " beyond the end";
            return l;
        }
        if (seen[size_t(n)]) {
            l.error = "the chain loops at block " + std::to_string(n);
            return l;
        }
        seen[size_t(n)] = true;
        size_t at = size_t(l.headerSize) + size_t(n - 1) * size_t(l.blockSize);
        if (U16(b, at + 2) != prev) {
            l.error = "block " + std::to_string(n) + " does not point back to " + std::to_string(prev);
            return l;
        }
        int add = int16_t(uint16_t(U16(b, at + 4)));
        if (add < 0 || add % l.recordSize != 0 || add / l.recordSize + 1 > (l.blockSize - 6) / l.recordSize) {
            l.error = "block " + std::to_string(n) + " has addDataSize " + std::to_string(add);
            return l;
        }
        l.chain.push_back(n);
        l.records.push_back(add / l.recordSize + 1);
        prev = n;
        n = U16(b, at);
    }
    return l;
}

void ExpectConsistent(const std::string& path) {
    Layout l = ReadLayout(ReadAll(path));
    ASSERT_EQ(l.error, "") << path;
    EXPECT_EQ(uint32_t(l.Walked()), l.numRecords) << path << ": the header's record count";
    EXPECT_EQ(l.fileSize, uint64_t(l.headerSize) + uint64_t(l.fileBlocks) * uint64_t(l.blockSize))
        << path << ": the file size";
    EXPECT_LE(l.chain.size(), size_t(l.fileBlocks)) << path;
    EXPECT_EQ(l.nextBlock, l.fileBlocks) << path << ": header 0x0A";
    EXPECT_EQ(l.maxBlocks, l.fileBlocks) << path << ": header 0x3A";
    if (!l.chain.empty()) {
        EXPECT_EQ(l.chain.front(), l.firstBlock) << path;
        EXPECT_EQ(l.chain.back(), l.lastBlock) << path << ": the last block";
    }
}

void ExpectPxlibReads(const std::string& path, const std::vector<std::string>& expected) {
    ExpectConsistent(path);
#ifdef HAVE_PXLIB
    std::string error;
    std::vector<std::string> lines = PxlibDump(path, &error);
    EXPECT_EQ(error, "") << "pxlib cannot read " << path;
    EXPECT_EQ(lines, expected) << "pxlib's reading of " << path;
#else
    (void)expected;
#endif
}

// ---------------------------------------------------------------------------------------------------------

#ifdef HAVE_PXLIB

std::vector<std::string> PxlibDump(const std::string& path, std::string* error) {
    std::unique_ptr<FILE, int (*)(FILE*)> out(std::tmpfile(), std::fclose);
    if (!out) {
        ADD_FAILURE() << "no temporary file";
        return {};
    }
    try {
        Fixture::Dump(path, out.get());
    } catch (const std::exception& e) {
        if (error) *error = e.what();
        return {};
    }
    std::rewind(out.get());
    std::string text;
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, out.get())) > 0;)
        text.append(buf, n);
    return SplitLines(text);
}

PxValue PxInt(long l) {
    PxValue v;
    v.null = false;
    v.l = l;
    return v;
}

PxValue PxDouble(double d) {
    PxValue v;
    v.null = false;
    v.d = d;
    return v;
}

PxValue PxText(const std::string& utf8) {
    PxValue v;
    v.null = utf8.empty();
    v.text = utf8;
    return v;
}

namespace {

std::string gPxError;

void OnPxError(pxdoc_t*, int, const char* msg, void*) {
    if (gPxError.empty()) gPxError = msg;
}

} // namespace

void PxlibMake(const std::string& path, const PxTableSpec& spec,
               const std::vector<std::vector<PxValue>>& records) {
    auto fail = [&](const std::string& what) {
        std::string e = gPxError;
        gPxError.clear();
        throw std::runtime_error(path + ": " + what + ": " + e);
    };
    PX_boot();
    pxdoc_t* d = PX_new2(OnPxError, nullptr, nullptr, nullptr);
    std::unique_ptr<pxdoc_t, void (*)(pxdoc_t*)> guard(d, [](pxdoc_t* p) { PX_delete(p); });
    std::unique_ptr<FILE, int (*)(FILE*)> fp(std::fopen(path.c_str(), "w+b"), std::fclose);
    if (!fp) throw std::runtime_error(path + ": cannot create");
    const size_t n = spec.fields.size();
    auto* pxf = static_cast<pxfield_t*>(d->malloc(d, sizeof(pxfield_t) * n, "fields"));
    for (size_t i = 0; i < n; ++i) {
        pxf[i].px_fname = PX_strdup(d, spec.fields[i].name.c_str());
        pxf[i].px_ftype = spec.fields[i].type;
        pxf[i].px_flen = spec.fields[i].size;
        pxf[i].px_fdc = 0;
    }
    if (PX_create_fp(d, pxf, int(n), fp.get(), pxfFileTypNonIndexDB) < 0) fail("create");
    if (PX_set_value(d, "codepage", float(spec.codePage)) < 0) fail("code page");
    if (spec.blockKiB > 0) d->px_head->px_maxtablesize = spec.blockKiB;
    if (spec.version != 70) {
        // pxlib writes the version 5 layout (79-byte table name) when asked to rewrite its header; the v7
        // header it wrote first is longer, so it is cleared before.
        d->px_head->px_fileversion = 50;
        std::vector<char> zeros(0x800);
        std::fseek(fp.get(), 0, SEEK_SET);
        std::fwrite(zeros.data(), 1, zeros.size(), fp.get());
        if (PX_set_tablename(d, "table") < 0) fail("table name");
    }
    std::vector<pxval_t> vals(n);
    std::vector<pxval_t*> ptrs(n);
    std::vector<std::string> bytes(n);
    for (size_t r = 0; r < records.size(); ++r) {
        for (size_t k = 0; k < n; ++k) {
            const PxValue& x = records[r][k];
            pxval_t& v = vals[k];
            std::memset(&v, 0, sizeof v);
            v.type = spec.fields[k].type;
            v.isnull = x.null ? 1 : 0;
            if (v.type == pxfAlpha) {
                bytes[k] = Fixture::ToCodePage(x.text, spec.codePage);
                v.value.str.val = bytes[k].data();
                v.value.str.len = int(bytes[k].size());
            } else if (v.type == pxfNumber || v.type == pxfCurrency || v.type == pxfTimestamp) {
                v.value.dval = x.d;
            } else {
                v.value.lval = x.l;
            }
            ptrs[k] = &v;
        }
        if (PX_insert_record(d, ptrs.data()) < 0) fail("record " + std::to_string(r + 1));
    }
    PX_close(d);
    guard.reset();
    fp.reset();
    if (spec.version == 40) {
        // Version 4.x: the v5 layout with the version bytes of 4.x.
        std::string b = ReadAll(path);
        b[0x39] = 0x09;
        const char v4[] = {0x09, 0x01, 0x09, 0x01};
        std::memcpy(&b[0x58], v4, 4);
        WriteAll(path, b);
    }
}

#endif

} // namespace EngineTest

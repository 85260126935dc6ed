// The engine reading tables pxlib wrote: every field type pxlib writes, Cyrillic text in code pages 1251 and
// 866, block sizes of 1 to 16 KiB, file versions 7, 5 and 4, blank values, an empty table; each value
// compared with pxlib's reading of the same file. Also memo, blob and unknown field types made by patching a
// field's type code, and the interface's refusals of bad arguments.
#include "tests/engine/EngineTestSupport.h"

#include <cstring>

#ifdef HAVE_PXLIB
extern "C" {
#include <paradox.h>
}
#endif

using namespace EngineTest;

namespace {

const std::vector<std::string> kTemplateFields = {
    "Level",        "Name",      "FontName",  "FontSize",  "FontColor",
    "Bold",         "Italic",    "Underline", "Align",     "Bullets",
    "FirstInd",     "LeftInd",   "RightInd",  "TabPos",    "SpaceBefore",
    "SpaceAfter",   "SpaceLine", "BackColor", "PageBreak", "LineSpacingRule",
    "NoControlChar"};

std::string FieldText(EngineTable& t, uint32_t r, int k) {
    PdxValue v{};
    if (t.Value(r, k, v) != PDX_OK) return "<" + t.Error() + ">";
    return Format(v);
}

int KindOf(EngineTable& t, uint32_t r, int k) {
    PdxValue v{};
    EXPECT_EQ(t.Value(r, k, v), PDX_OK) << t.Error();
    return v.kind;
}

} // namespace

TEST(EngineRead, TemplateTablesInEachCodePageAsPxlibReadsThem) {
    struct Case {
        const char* fixture;
        int records, codePage;
        const char* firstName; // written by pxfixture: "Стиль r", or "Style r" without Cyrillic
    };
    for (const Case& c :
         {Case{"template3", 3, 1251, "Стиль 1"}, Case{"template43_1251", 43, 1251, "Стиль 1"},
          Case{"template43_866", 43, 866, "Стиль 1"}, Case{"template43_1252", 43, 1252, "Style 1"}}) {
        SCOPED_TRACE(c.fixture);
        EngineTable t(FixturePath(c.fixture));
        ASSERT_EQ(t.OpenStatus(), PDX_OK) << t.Error();
        PdxTableInfo info = t.Info();
        EXPECT_EQ(info.file_version, 70);
        EXPECT_EQ(info.keyed, 0);
        EXPECT_EQ(info.code_page, c.codePage);
        EXPECT_EQ(info.record_size, 116);
        EXPECT_EQ(info.block_size, 3072); // pxlib's choice for records of 80 to 139 bytes
        EXPECT_EQ(info.field_count, 21);
        EXPECT_EQ(info.header_records, uint32_t(c.records));
        EXPECT_EQ(t.FieldNames(), kTemplateFields);

        std::vector<std::string> pxlib = FixtureDump(c.fixture);
        ASSERT_EQ(pxlib.size(), size_t(c.records));
        EXPECT_EQ(t.Dump(), pxlib);

        // The decoded name itself, not only its agreement with pxlib.
        PdxValue v{};
        ASSERT_EQ(t.Value(0, 1, v), PDX_OK) << t.Error();
        ASSERT_EQ(v.kind, PDX_VALUE_STRING);
        EXPECT_EQ(std::string(v.s, v.len), c.firstName);
        EXPECT_EQ(FieldText(t, uint32_t(c.records - 1), 0), std::to_string(c.records));
    }
}

TEST(EngineRead, EveryFieldTypePxlibWritesWithBlanks) {
    const int types[] = {PDX_ALPHA,  PDX_SHORT,    PDX_LONG, PDX_AUTOINC, PDX_LOGICAL,
                         PDX_NUMBER, PDX_CURRENCY, PDX_DATE, PDX_TIME,    PDX_TIMESTAMP};
    const int sizes[] = {20, 2, 4, 4, 1, 8, 8, 4, 4, 8};
    const int kinds[] = {PDX_VALUE_STRING,  PDX_VALUE_INTEGER,  PDX_VALUE_INTEGER, PDX_VALUE_INTEGER,
                         PDX_VALUE_BOOLEAN, PDX_VALUE_FLOAT,    PDX_VALUE_FLOAT,   PDX_VALUE_DATE,
                         PDX_VALUE_TIME,    PDX_VALUE_TIMESTAMP};
    for (const char* fixture : {"types_1251", "types_866"}) {
        SCOPED_TRACE(fixture);
        EngineTable t(FixturePath(fixture));
        ASSERT_EQ(t.OpenStatus(), PDX_OK) << t.Error();
        ASSERT_EQ(t.Info().field_count, 10);
        for (int k = 0; k < 10; ++k) {
            PdxFieldInfo f{};
            ASSERT_EQ(pdx_field_info(t.Get(), k, &f), PDX_OK);
            EXPECT_EQ(f.type, types[k]) << f.name;
            EXPECT_EQ(f.size, sizes[k]) << f.name;
            EXPECT_EQ(KindOf(t, 0, k), kinds[k]) << f.name;
        }
        std::vector<std::string> pxlib = FixtureDump(fixture);
        ASSERT_EQ(pxlib.size(), 25u);
        EXPECT_EQ(t.Dump(), pxlib);

        // Record 1 as pxfixture describes it: S 1*2-50, I 1003, + 1004, L true, N 1+6/4, $ 1.5, D 738001,
        // T 1009 ms, @ day 738001 at 1010 ms.
        PdxValue v{};
        ASSERT_EQ(t.Value(0, 0, v), PDX_OK);
        EXPECT_EQ(std::string(v.s, v.len), "Запись 1.1");
        ASSERT_EQ(t.Value(0, 1, v), PDX_OK);
        EXPECT_EQ(v.i, -48);
        ASSERT_EQ(t.Value(0, 2, v), PDX_OK);
        EXPECT_EQ(v.i, 1003);
        ASSERT_EQ(t.Value(0, 3, v), PDX_OK);
        EXPECT_EQ(v.i, 1004);
        ASSERT_EQ(t.Value(0, 4, v), PDX_OK);
        EXPECT_EQ(v.i, 1);
        ASSERT_EQ(t.Value(0, 5, v), PDX_OK);
        EXPECT_EQ(v.f, 2.5);
        ASSERT_EQ(t.Value(0, 6, v), PDX_OK);
        EXPECT_EQ(v.f, 1.5);
        ASSERT_EQ(t.Value(0, 7, v), PDX_OK);
        EXPECT_EQ(v.i, 738001);
        ASSERT_EQ(t.Value(0, 8, v), PDX_OK);
        EXPECT_EQ(v.i, 1009);
        ASSERT_EQ(t.Value(0, 9, v), PDX_OK);
        EXPECT_EQ(v.f, 738001.0 * 86400000.0 + 1010.0);

        // Record 10: every field blank but the first (pxlib fills in a blank autoincrement itself).
        for (int k : {1, 2, 4, 5, 6, 7, 8, 9})
            EXPECT_EQ(KindOf(t, 9, k), PDX_VALUE_NULL) << "field " << k;
        EXPECT_EQ(KindOf(t, 9, 0), PDX_VALUE_STRING);
    }
}

TEST(EngineRead, BlockSizesOfOneToSixteenKiB) {
    struct Case {
        const char* fixture;
        int kib;
    };
    for (const Case& c : {Case{"template300_1k", 1}, Case{"template300_2k", 2}, Case{"template300_4k", 4},
                          Case{"template300_16k", 16}}) {
        SCOPED_TRACE(c.fixture);
        const int capacity = (c.kib * 1024 - 6) / 116;
        Layout l = ReadLayout(ReadAll(FixturePath(c.fixture)));
        ASSERT_EQ(l.error, "");
        ASSERT_EQ(l.blockSize, c.kib * 1024); // pxlib did write the block size asked for
        ASSERT_EQ(l.chain.size(), size_t((300 + capacity - 1) / capacity));

        EngineTable t(FixturePath(c.fixture));
        ASSERT_EQ(t.OpenStatus(), PDX_OK) << t.Error();
        EXPECT_EQ(t.Info().block_size, c.kib * 1024);
        EXPECT_EQ(t.Info().blocks, uint32_t(l.fileBlocks));
        std::vector<std::string> pxlib = FixtureDump(c.fixture);
        ASSERT_EQ(pxlib.size(), 300u);
        EXPECT_EQ(t.Dump(), pxlib);
    }
}

TEST(EngineRead, EmptyTable) {
    EngineTable t(FixturePath("empty"));
    ASSERT_EQ(t.OpenStatus(), PDX_OK) << t.Error();
    EXPECT_EQ(t.Refresh(), 0u);
    EXPECT_EQ(t.Info().header_records, 0u);
    EXPECT_EQ(t.Info().field_count, 21);
    EXPECT_EQ(t.FieldNames(), kTemplateFields);
    PdxValue v{};
    EXPECT_EQ(t.Value(0, 0, v), PDX_E_ARGUMENT);
    EXPECT_NE(t.Error(), "");
}

TEST(EngineRead, ArgumentsRefused) {
    EXPECT_EQ(pdx_api_version(), PDX_API_VERSION);
    PdxTable* table = reinterpret_cast<PdxTable*>(1);
    EXPECT_EQ(pdx_open(nullptr, PDX_OPEN_READ, &table), PDX_E_ARGUMENT);
    EXPECT_EQ(table, nullptr);
    EXPECT_EQ(pdx_open(FixturePath("template3").c_str(), PDX_OPEN_READ, nullptr), PDX_E_ARGUMENT);
    pdx_close(nullptr);

    TempFolder tmp("read-args");
    const std::string missing = tmp.File("missing.db");
    table = reinterpret_cast<PdxTable*>(1);
    EXPECT_EQ(pdx_open(missing.c_str(), PDX_OPEN_READ, &table), PDX_E_IO);
    EXPECT_EQ(table, nullptr);
    EXPECT_NE(std::string(pdx_last_error()).find("missing.db"), std::string::npos) << pdx_last_error();

    EngineTable t(FixturePath("template3"));
    ASSERT_EQ(t.OpenStatus(), PDX_OK) << t.Error();
    EXPECT_EQ(t.Refresh(), 3u);
    PdxValue v{};
    EXPECT_EQ(t.Value(3, 0, v), PDX_E_ARGUMENT);
    EXPECT_EQ(t.Value(0, -1, v), PDX_E_ARGUMENT);
    EXPECT_EQ(t.Value(0, 21, v), PDX_E_ARGUMENT);
    EXPECT_EQ(t.Value(2, 20, v), PDX_OK) << t.Error();
    EXPECT_EQ(pdx_get_value(t.Get(), 0, 0, nullptr), PDX_E_ARGUMENT);
    PdxFieldInfo f{};
    EXPECT_EQ(pdx_field_info(t.Get(), 21, &f), PDX_E_ARGUMENT);
    EXPECT_EQ(pdx_field_info(t.Get(), -1, &f), PDX_E_ARGUMENT);
    EXPECT_EQ(pdx_field_info(nullptr, 0, &f), PDX_E_ARGUMENT);
    EXPECT_EQ(pdx_table_info(t.Get(), nullptr), PDX_E_ARGUMENT);
    EXPECT_EQ(pdx_refresh(nullptr, nullptr), PDX_E_ARGUMENT);
    EXPECT_EQ(pdx_refresh(t.Get(), nullptr), PDX_OK); // the count is optional
}

TEST(EngineRead, PathInCyrillic) {
    TempFolder tmp("read-path");
    const std::string path = tmp.CopyFixture("template3", "Таблица стилей.db");
    EngineTable t(path);
    ASSERT_EQ(t.OpenStatus(), PDX_OK) << t.Error();
    EXPECT_EQ(t.Dump(), FixtureDump("template3"));
    // A failure names the file as it was given.
    const std::string missing = tmp.File("Нет такой.db");
    PdxTable* none = nullptr;
    EXPECT_EQ(pdx_open(missing.c_str(), PDX_OPEN_READ, &none), PDX_E_IO);
    EXPECT_NE(std::string(pdx_last_error()).find("Нет такой.db"), std::string::npos) << pdx_last_error();
}

// Memo, blob and unknown fields: the template's FontName (A40, bytes 42..81 of a record) given another type
// code. A memo of 40 bytes has a 30-byte leader followed by the .MB reference and the length (LE32 at 34);
// a value longer than the leader lives in the .MB file, which this table does not have.
TEST(EngineRead, MemoBlobAndUnknownFieldTypes) {
    TempFolder tmp("read-memo");
    const std::string path = tmp.CopyFixture("template3");
    const std::string original = ReadAll(path);
    const Layout l = ReadLayout(original);
    ASSERT_EQ(l.error, "");
    const size_t typeAt = 0x78 + 2 * 2; // field 3's (type, size) pair
    ASSERT_EQ(uint8_t(original[typeAt]), PDX_ALPHA);
    const size_t record0 = size_t(l.headerSize) + 6, font = record0 + 42;
    auto withLength = [&](uint8_t type, uint32_t length) {
        std::string b = original;
        b[typeAt] = char(type);
        for (int i = 0; i < 4; ++i)
            b[font + 34 + size_t(i)] = char(length >> (8 * i));
        WriteAll(path, b);
    };

    withLength(PDX_MEMO, 5);
    {
        EngineTable t(path);
        ASSERT_EQ(t.OpenStatus(), PDX_OK) << t.Error();
        PdxFieldInfo f{};
        ASSERT_EQ(pdx_field_info(t.Get(), 2, &f), PDX_OK);
        EXPECT_EQ(f.type, PDX_MEMO);
        EXPECT_EQ(FieldText(t, 0, 2), "Arial");
        EXPECT_EQ(FieldText(t, 0, 1), "Стиль 1"); // the fields around it unchanged
        EXPECT_EQ(FieldText(t, 0, 3), "11");
    }
    withLength(PDX_MEMO, 31); // longer than the leader: kept in the .MB file, and there is none
    {
        EngineTable t(path);
        ASSERT_EQ(t.OpenStatus(), PDX_OK) << t.Error();
        PdxValue v{};
        EXPECT_NE(t.Value(0, 2, v), PDX_OK);
        EXPECT_NE(t.Error().find("FontName"), std::string::npos) << t.Error();
        EXPECT_EQ(FieldText(t, 1, 1), "Стиль 2"); // other records still read
    }
    withLength(PDX_BLOB, 5);
    {
        EngineTable t(path);
        ASSERT_EQ(t.OpenStatus(), PDX_OK) << t.Error();
        EXPECT_EQ(KindOf(t, 0, 2), PDX_VALUE_BYTES);
        EXPECT_EQ(FieldText(t, 0, 2), "417269616C"); // "Arial"
    }
    withLength(0x30, 0); // a type code the engine does not know: its raw bytes
    {
        EngineTable t(path, PDX_OPEN_READ_WRITE);
        ASSERT_EQ(t.OpenStatus(), PDX_OK) << t.Error();
        EXPECT_EQ(FieldText(t, 0, 2), "417269616C" + std::string(70, '0'));
        // It is written blank; a value for it is refused and changes nothing.
        const std::string before = ReadAll(path);
        std::vector<PdxValue> values = StyleValues(7, "Новый");
        values[2] = Bytes("Arial");
        EXPECT_EQ(t.Insert(3, values), PDX_E_UNSUPPORTED);
        EXPECT_EQ(ReadAll(path), before);
        values[2] = Null();
        ASSERT_EQ(t.Insert(3, values), PDX_OK) << t.Error();
        EXPECT_EQ(t.Refresh(), 4u);
        EXPECT_EQ(KindOf(t, 3, 2), PDX_VALUE_NULL);
        EXPECT_EQ(FieldText(t, 3, 1), "Новый");
    }
}

#ifdef HAVE_PXLIB

// pxlib writes version 5 and 4 headers when asked to (the table name takes 79 bytes there, 261 in version 7,
// so the field names sit elsewhere).
TEST(EngineRead, FileVersionsSevenFiveAndFour) {
    PxTableSpec spec;
    spec.fields = {{"Name", pxfAlpha, 24},  {"Count", pxfShort, 2},   {"Total", pxfLong, 4},
                   {"Flag", pxfLogical, 1}, {"Amount", pxfNumber, 8}, {"Day", pxfDate, 4}};
    spec.codePage = 866;
    spec.blockKiB = 1;
    std::vector<std::vector<PxValue>> records;
    for (int r = 1; r <= 60; ++r) {
        if (r % 7 == 0) {
            records.push_back({PxText("Пустая " + std::to_string(r)), {}, {}, {}, {}, {}});
            continue;
        }
        records.push_back({PxText("Строка № " + std::to_string(r)), PxInt(r - 30), PxInt(r * 100000L),
                           PxInt(r % 2), PxDouble(r / 8.0), PxInt(730000 + r)});
    }
    TempFolder tmp("read-versions");
    for (int version : {70, 50, 40}) {
        SCOPED_TRACE(version);
        spec.version = version;
        const std::string path = tmp.File("v" + std::to_string(version) + ".db");
        PxlibMake(path, spec, records);
        const std::string bytes = ReadAll(path);
        ASSERT_EQ(uint8_t(bytes[0x39]), version == 70 ? 0x0C : version == 50 ? 0x0B : 0x09);

        std::string error;
        std::vector<std::string> pxlib = PxlibDump(path, &error);
        ASSERT_EQ(error, "");
        ASSERT_EQ(pxlib.size(), 60u);
        EngineTable t(path);
        ASSERT_EQ(t.OpenStatus(), PDX_OK) << t.Error();
        EXPECT_EQ(t.Info().file_version, version);
        EXPECT_EQ(t.Info().code_page, 866);
        EXPECT_EQ(t.Info().block_size, 1024);
        EXPECT_EQ(t.FieldNames(),
                  (std::vector<std::string>{"Name", "Count", "Total", "Flag", "Amount", "Day"}));
        EXPECT_EQ(t.Dump(), pxlib);
        EXPECT_EQ(FieldText(t, 0, 0), "Строка № 1");
        EXPECT_EQ(FieldText(t, 6, 1), "NULL");
    }
}

#endif

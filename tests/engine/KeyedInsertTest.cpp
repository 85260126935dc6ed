// Records inserted by the engine into keyed tables that pxlib made: key order kept through block splits, and
// a primary index that pxlib reads the table through.
#ifdef HAVE_PXLIB
#include "engine/PdxEngine.h"
#include "engine/PrimaryIndex.h"
#include "tests/engine/PxlibIndexSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A record of (Id S key, Name A250): the short in the data encoding, the name zero-padded.
std::vector<uint8_t> RawRecord(int id, const std::string& name) {
    std::vector<uint8_t> r(252, 0);
    uint16_t v = uint16_t(id) ^ 0x8000u;
    r[0] = uint8_t(v >> 8);
    r[1] = uint8_t(v);
    std::copy(name.begin(), name.end(), r.begin() + 2);
    return r;
}

std::vector<int> KeysReadByEngine(const std::string& db) {
    PdxTable* t = nullptr;
    EXPECT_EQ(pdx_open(db.c_str(), PDX_OPEN_READ, &t), PDX_OK) << pdx_last_error();
    uint32_t n = 0;
    EXPECT_EQ(pdx_refresh(t, &n), PDX_OK);
    std::vector<int> keys;
    for (uint32_t r = 0; r < n; ++r) {
        PdxValue v;
        EXPECT_EQ(pdx_get_value(t, r, 0, &v), PDX_OK);
        keys.push_back(int(v.i));
    }
    pdx_close(t);
    return keys;
}

} // namespace

TEST(KeyedInsert, KeyOrderAndAPrimaryIndexPxlibReadsThrough) {
    fs::path dir = fs::temp_directory_path() / ("keyed-insert-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string db = (dir / "T.DB").string(), px = (dir / "T.PX").string();
    PxKeyedTable table{{{0x03, 2}, {0x01, 250}}, 1, 1, {}};
    for (int k = 1; k <= 43; ++k)
        table.records.push_back(RawRecord(2 * k, "even " + std::to_string(2 * k)));
    MakeKeyedTableWithPxlib(table, db, px);

    // Odd keys in a scrambled order: inserts at the front, the back and between, splitting full blocks,
    // until the index needs a second level (a 2 KiB index block holds 255 entries of 8 bytes, a data block 4
    // records).
    std::vector<int> odd;
    for (int k = -701; k < 1100; k += 2)
        odd.push_back(k);
    for (size_t i = 0; i < odd.size(); ++i)
        std::swap(odd[i], odd[(i * 7919) % odd.size()]);
    PdxTable* t = nullptr;
    ASSERT_EQ(pdx_open(db.c_str(), PDX_OPEN_READ_WRITE, &t), PDX_OK) << pdx_last_error();
    for (int key : odd) {
        std::string name = "odd " + std::to_string(key);
        PdxValue values[2] = {};
        values[0].kind = PDX_VALUE_INTEGER;
        values[0].i = key;
        values[1].kind = PDX_VALUE_STRING;
        values[1].s = name.c_str();
        values[1].len = name.size();
        ASSERT_EQ(pdx_insert(t, 0, values, 2, nullptr), PDX_OK) << key << ": " << pdx_last_error();
    }
    // A key already there is refused, and neither file changes.
    std::vector<uint8_t> dbBefore = ReadFileBytes(db), pxBefore = ReadFileBytes(px);
    PdxValue dup[2] = {};
    dup[0].kind = PDX_VALUE_INTEGER;
    dup[0].i = 42;
    EXPECT_EQ(pdx_insert(t, 0, dup, 2, nullptr), PDX_E_VALUE);
    dup[0].kind = PDX_VALUE_NULL;
    EXPECT_EQ(pdx_insert(t, 0, dup, 2, nullptr), PDX_E_VALUE) << "a blank key";
    pdx_close(t);
    EXPECT_EQ(ReadFileBytes(db), dbBefore);
    EXPECT_EQ(ReadFileBytes(px), pxBefore);

    std::vector<int> expected;
    for (int k = 1; k <= 43; ++k)
        expected.push_back(2 * k);
    expected.insert(expected.end(), odd.begin(), odd.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(KeysReadByEngine(db), expected);

    // The index: ours parses against the table, its leaf level is the data blocks as they are, and pxlib
    // takes it and reads every record through it in key order.
    Pdx::IndexLayout layout{{{0x03, 2}}, 0, 0x0C, 0x62, uint32_t(expected.size()), "T.PX"};
    Pdx::ParsedIndex parsed = Pdx::ParsePrimaryIndex(ReadFileBytes(px), layout, "T.PX");
    EXPECT_EQ(parsed.leaf, DataBlocksOf(db, 2));
    EXPECT_GE(parsed.levels, 2);
    PxlibIndexView view = ReadIndexWithPxlib(db, px);
    EXPECT_TRUE(view.accepted) << view.messages;
    ASSERT_EQ(view.records.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const std::vector<uint8_t>& r = view.records[i];
        EXPECT_EQ(int16_t(uint16_t((r[0] << 8) | r[1]) ^ 0x8000u), expected[i]) << "record " << i + 1;
    }
    fs::remove_all(dir);
}
#endif

// The primary index image: built from data blocks, parsed back, damaged images refused; natively also
// against pxlib, which writes its own .PX for the same tables and must take ours.
#include "engine/PdxError.h"
#include "engine/PrimaryIndex.h"

#ifdef HAVE_PXLIB
#include "tests/engine/PxlibIndexSupport.h"

#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

using namespace Pdx;

namespace {

constexpr uint8_t Alpha = 0x01, Short = 0x03;

uint32_t Le16(const std::vector<uint8_t>& b, size_t at) {
    return b.at(at) | b.at(at + 1) << 8;
}
uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    return Le16(b, at) | Le16(b, at + 2) << 16;
}
void SetLe16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b.at(at) = uint8_t(v);
    b.at(at + 1) = uint8_t(v >> 8);
}
// A word in the data encoding: big-endian, top bit flipped.
uint32_t Word(const std::vector<uint8_t>& b, size_t at) {
    return (uint32_t(b.at(at)) << 8 | b.at(at + 1)) ^ 0x8000;
}
void SetWord(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b.at(at) = uint8_t((v ^ 0x8000) >> 8);
    b.at(at + 1) = uint8_t(v);
}

std::vector<uint8_t> ShortKey(int v) {
    return {uint8_t((v >> 8) ^ 0x80), uint8_t(v)};
}

std::vector<uint8_t> AlphaKey(const std::string& s, size_t size) {
    std::vector<uint8_t> k(size, 0);
    std::memcpy(k.data(), s.data(), std::min(s.size(), size));
    return k;
}

// `count` data blocks keyed by an A`keySize` field, numbered 1..count, each holding `records`.
std::vector<IndexEntry> AlphaBlocks(size_t count, size_t keySize, uint16_t records) {
    std::vector<IndexEntry> blocks;
    for (size_t i = 0; i < count; i++) {
        char name[16];
        std::snprintf(name, sizeof name, "k%06zu", i);
        blocks.push_back({AlphaKey(name, keySize), uint16_t(i + 1), records});
    }
    return blocks;
}

uint32_t Sum(const std::vector<IndexEntry>& blocks) {
    uint32_t n = 0;
    for (const IndexEntry& e : blocks)
        n += e.records;
    return n;
}

template <class F> Error Catch(F&& f) {
    try {
        f();
    } catch (const Error& e) {
        return e;
    }
    ADD_FAILURE() << "no Pdx::Error was thrown";
    return Error(PDX_OK, "");
}

// The block chain of an image: block numbers in chain order.
std::vector<uint32_t> Chain(const std::vector<uint8_t>& px) {
    std::vector<uint32_t> chain;
    size_t hs = Le16(px, 2), bs = size_t(px[5]) * 1024;
    for (uint32_t b = Le16(px, 0x0E); b != 0 && chain.size() < 70000; b = Le16(px, hs + (b - 1) * bs))
        chain.push_back(b);
    return chain;
}

} // namespace

TEST(PrimaryIndex, OneLevelImage) {
    // A table keyed on a short, 43 records in blocks of 9: what the index of it holds, byte by byte.
    IndexLayout layout{{{Short, 2}}, 0, 0x0C, 0x62, 43, "T.PX"};
    std::vector<IndexEntry> blocks;
    for (int b = 0; b < 5; b++)
        blocks.push_back({ShortKey(1 + 9 * b), uint16_t(b + 1), uint16_t(b < 4 ? 9 : 7)});
    std::vector<uint8_t> px = BuildPrimaryIndex(layout, blocks);

    ASSERT_EQ(px.size(), 0x800u + 2048u); // a 2 KiB block for 8-byte entries
    EXPECT_EQ(Le16(px, 0x00), 8u);        // key + block + count + 0
    EXPECT_EQ(Le16(px, 0x02), 0x800u);
    EXPECT_EQ(px[0x04], 1);
    EXPECT_EQ(px[0x05], 2);
    EXPECT_EQ(Le32(px, 0x06), 5u); // entries
    EXPECT_EQ(Le16(px, 0x0A), 1u);
    EXPECT_EQ(Le16(px, 0x0C), 1u);
    EXPECT_EQ(Le16(px, 0x0E), 1u);
    EXPECT_EQ(Le16(px, 0x10), 1u);
    EXPECT_EQ(Le16(px, 0x12), 17u);
    EXPECT_EQ(Le16(px, 0x1E), 1u); // root
    EXPECT_EQ(px[0x20], 1);        // levels
    EXPECT_EQ(Le16(px, 0x21), 1u); // key fields
    EXPECT_EQ(px[0x29], 0x62);
    EXPECT_EQ(px[0x39], 0x0C);
    EXPECT_EQ(Le32(px, 0x49), 1u);
    EXPECT_EQ(px[0x58], Short);
    EXPECT_EQ(px[0x59], 2);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&px[0x5E])), "T.PX");
    const uint8_t block1[] = {0,    0,    0,    0,    32,   0,                 // next, prev, (5 - 1) * 8
                              0x80, 0x01, 0x80, 0x01, 0x80, 0x09, 0x80, 0x00,  // key 1, block 1, 9 records
                              0x80, 0x0A, 0x80, 0x02, 0x80, 0x09, 0x80, 0x00}; // key 10, block 2
    EXPECT_EQ(std::vector<uint8_t>(px.begin() + 0x800, px.begin() + 0x800 + sizeof block1),
              std::vector<uint8_t>(block1, block1 + sizeof block1));
    EXPECT_EQ(Word(px, 0x800 + 6 + 4 * 8 + 2), 5u); // the last entry: block 5, 7 records
    EXPECT_EQ(Word(px, 0x800 + 6 + 4 * 8 + 4), 7u);

    ParsedIndex back = ParsePrimaryIndex(px, layout);
    EXPECT_EQ(back.levels, 1);
    EXPECT_EQ(back.leaf, blocks);
    EXPECT_EQ(back.totalRecords, 43u);

    // A version 5 table keeps a 79-byte name; an explicit block size is used as given.
    layout.fileVersionId = 0x0B;
    layout.blockSizeKiB = 1;
    std::vector<uint8_t> v5 = BuildPrimaryIndex(layout, blocks);
    EXPECT_EQ(v5.size(), 0x800u + 1024u);
    EXPECT_EQ(v5[0x39], 0x0B);
    EXPECT_EQ(Le16(v5, 0x51), 0x58u + 2 + 4 + 79);
    EXPECT_EQ(ParsePrimaryIndex(v5, layout).leaf, blocks);
}

TEST(PrimaryIndex, AsManyLevelsAsNeeded) {
    // An A100 key in 1 KiB blocks: 9 entries a block.
    IndexLayout layout{{{Alpha, 100}}, 1, 0x0C, 0x62, 0, ""};
    struct Case {
        size_t dataBlocks;
        int levels;
        size_t pxBlocks; // all levels
    };
    for (Case c : {Case{9, 1, 1}, Case{10, 2, 3}, Case{81, 2, 10}, Case{82, 3, 13}, Case{100, 3, 15},
                   Case{1000, 4, 1 + 2 + 13 + 112}}) {
        SCOPED_TRACE(c.dataBlocks);
        std::vector<IndexEntry> blocks = AlphaBlocks(c.dataBlocks, 100, 7);
        layout.tableRecords = Sum(blocks);
        std::vector<uint8_t> px = BuildPrimaryIndex(layout, blocks);
        EXPECT_EQ(px[0x20], c.levels);
        EXPECT_EQ(Le16(px, 0x0C), c.pxBlocks);
        EXPECT_EQ(px.size(), 0x800 + c.pxBlocks * 1024);
        EXPECT_EQ(Le16(px, 0x1E), 1u);
        // Every block is in one chain, root first, then each level from the top down.
        std::vector<uint32_t> chain = Chain(px);
        ASSERT_EQ(chain.size(), c.pxBlocks);
        for (size_t i = 0; i < chain.size(); i++)
            EXPECT_EQ(chain[i], i + 1);
        // The root's entries cover all records; its first key is the table's first key.
        const size_t rs = 106, root = 0x800;
        uint32_t rootEntries = Le16(px, root + 4) / rs + 1, covered = 0;
        for (uint32_t i = 0; i < rootEntries; i++)
            covered += Word(px, root + 6 + i * rs + 102);
        EXPECT_EQ(covered, layout.tableRecords);
        EXPECT_EQ(std::memcmp(&px[root + 6], blocks[0].key.data(), 100), 0);

        ParsedIndex back = ParsePrimaryIndex(px, layout);
        EXPECT_EQ(back.levels, c.levels);
        EXPECT_EQ(back.leaf, blocks);
        EXPECT_EQ(back.totalRecords, layout.tableRecords);
    }

    // Upper counts beyond a word: stored modulo 65536, the tree still checks out.
    std::vector<IndexEntry> big = AlphaBlocks(10, 100, 30000);
    layout.tableRecords = Sum(big);
    std::vector<uint8_t> px = BuildPrimaryIndex(layout, big);
    EXPECT_EQ(Word(px, 0x800 + 6 + 102), (9u * 30000) & 0xFFFF);
    ParsedIndex back = ParsePrimaryIndex(px, layout);
    EXPECT_EQ(back.totalRecords, 300000u);
    EXPECT_EQ(back.leaf, big);

    // An empty table: no blocks, no levels.
    layout.tableRecords = 0;
    std::vector<uint8_t> empty = BuildPrimaryIndex(layout, {});
    EXPECT_EQ(empty.size(), 0x800u);
    EXPECT_EQ(Le16(empty, 0x0C), 0u);
    EXPECT_EQ(Le16(empty, 0x0E), 0u);
    EXPECT_EQ(Le16(empty, 0x1E), 0u);
    EXPECT_EQ(empty[0x20], 0);
    back = ParsePrimaryIndex(empty, layout);
    EXPECT_EQ(back.levels, 0);
    EXPECT_TRUE(back.leaf.empty());
}

TEST(PrimaryIndex, BuildRefusesBadInput) {
    IndexLayout layout{{{Short, 2}, {Alpha, 10}}, 0, 0x0C, 0x62, 5, ""};
    std::vector<IndexEntry> good{{std::vector<uint8_t>(12, 0x80), 1, 5}};
    EXPECT_EQ(BuildPrimaryIndex(layout, good).size(), 0x1000u);

    auto code = [&](IndexLayout l, std::vector<IndexEntry> b) {
        return Catch([&] { BuildPrimaryIndex(l, b); }).Code();
    };
    std::vector<IndexEntry> bad = good;
    bad[0].key.pop_back();
    EXPECT_EQ(code(layout, bad), PDX_E_ARGUMENT); // key of the wrong size
    bad = good;
    bad[0].block = 0;
    EXPECT_EQ(code(layout, bad), PDX_E_ARGUMENT);
    bad = good;
    bad[0].records = 0;
    bad.push_back({std::vector<uint8_t>(12, 0x81), 2, 5});
    EXPECT_EQ(code(layout, bad), PDX_E_ARGUMENT); // an empty block
    IndexLayout l = layout;
    l.tableRecords = 6;
    EXPECT_EQ(code(l, good), PDX_E_ARGUMENT); // records that do not add up
    l = layout;
    l.keyFields.clear();
    EXPECT_EQ(code(l, good), PDX_E_ARGUMENT);
    l = layout;
    l.blockSizeKiB = 33;
    EXPECT_EQ(code(l, good), PDX_E_ARGUMENT);
    l = layout;
    l.fileVersionId = 2;
    EXPECT_EQ(code(l, good), PDX_E_ARGUMENT);
    // Two A255 keys and a short: a 518-byte entry fits a 1 KiB block once, which cannot make a tree.
    l = IndexLayout{{{Alpha, 255}, {Alpha, 255}, {Short, 2}}, 1, 0x0C, 0x62, 1, ""};
    EXPECT_EQ(code(l, {{std::vector<uint8_t>(512, 0x41), 1, 1}}), PDX_E_ARGUMENT);
    l.blockSizeKiB = 0; // 16 KiB blocks hold 31 of them
    EXPECT_EQ(BuildPrimaryIndex(l, {{std::vector<uint8_t>(512, 0x41), 1, 1}})[0x05], 16);
    // A BCD key field takes 17 bytes whatever its size byte (the decimals) says.
    l = IndexLayout{{{0x17, 2}}, 0, 0x0C, 0x62, 1, ""};
    EXPECT_EQ(Le16(BuildPrimaryIndex(l, {{std::vector<uint8_t>(17, 0xC0), 1, 1}}), 0), 23u);
    EXPECT_EQ(Catch([&] { ParsePrimaryIndex(BuildPrimaryIndex(layout, good), IndexLayout{}); }).Code(),
              PDX_E_ARGUMENT);
}

TEST(PrimaryIndex, DamagedImagesAreRefused) {
    // A three-level index (1 + 2 + 12 blocks over 100 data blocks) to damage one way at a time.
    IndexLayout layout{{{Alpha, 100}}, 1, 0x0C, 0x62, 0, "T.PX"};
    std::vector<IndexEntry> blocks = AlphaBlocks(100, 100, 7);
    layout.tableRecords = Sum(blocks);
    const std::vector<uint8_t> good = BuildPrimaryIndex(layout, blocks);
    ASSERT_EQ(good[0x20], 3);
    const size_t hs = 0x800, bs = 1024, rs = 106;
    auto block = [&](size_t b) { return hs + (b - 1) * bs; };
    auto entry = [&](size_t b, size_t i) { return block(b) + 6 + i * rs; };

    struct Damage {
        const char* what;
        const char* message; // a part of the message
        std::function<void(std::vector<uint8_t>&)> apply;
        IndexLayout layout;
    };
    IndexLayout other = layout;
    other.keyFields[0].size = 99;
    IndexLayout moreRecords = layout;
    moreRecords.tableRecords++;
    std::vector<Damage> damages{
        {"empty file", "shorter than a file header", [](auto& p) { p.clear(); }, layout},
        {"cut in the header", "shorter than a file header", [](auto& p) { p.resize(0x40); }, layout},
        {"cut in the blocks", "ends before its 15 blocks", [&](auto& p) { p.resize(p.size() - 1); }, layout},
        {"a table, not an index", "not a primary index (file type 0)", [](auto& p) { p[4] = 0; }, layout},
        {"other key fields", "key field 1 is (type 1, size 100) in the index but (type 1, size 99)",
         [](auto&) {}, other},
        {"two key fields", "the index has 2 key fields", [](auto& p) { SetLe16(p, 0x21, 2); }, layout},
        {"record size", "record size 107", [](auto& p) { SetLe16(p, 0, 107); }, layout},
        {"block size 0", "block size 0 KiB", [](auto& p) { p[5] = 0; }, layout},
        {"block size 40", "block size 40 KiB", [](auto& p) { p[5] = 40; }, layout},
        {"header size past the end", "header size 65535", [](auto& p) { SetLe16(p, 2, 0xFFFF); }, layout},
        {"more blocks than the file", "ends before its 16 blocks", [](auto& p) { SetLe16(p, 0x0C, 16); },
         layout},
        {"no first block", "the chain is empty", [](auto& p) { SetLe16(p, 0x0E, 0); }, layout},
        {"a loop in the chain", "loops at block 1", [&](auto& p) { SetLe16(p, block(15), 1); }, layout},
        {"a block past the end", "block 16 is past the end", [&](auto& p) { SetLe16(p, block(15), 16); },
         layout},
        {"a broken prev link", "block 3 links back to 7", [&](auto& p) { SetLe16(p, block(3) + 2, 7); },
         layout},
        {"an empty block", "block 2 in the chain is empty",
         [&](auto& p) { SetLe16(p, block(2) + 4, uint32_t(-106) & 0xFFFF); }, layout},
        {"a count off the record size", "block 4 has a bad record count",
         [&](auto& p) { SetLe16(p, block(4) + 4, 8 * rs + 1); }, layout},
        {"more entries than fit", "block 4 has a bad record count",
         [&](auto& p) { SetLe16(p, block(4) + 4, 9 * rs); }, layout},
        {"the header's entry count", "the header counts 113 entries, the blocks hold 114",
         [](auto& p) { SetLe16(p, 0x06, 113); }, layout},
        {"the chain's end", "the chain ends at block 15, the header says 14",
         [](auto& p) { SetLe16(p, 0x10, 14); }, layout},
        {"root 0", "root block 0", [](auto& p) { SetLe16(p, 0x1E, 0); }, layout},
        {"root past the end", "root block 16", [](auto& p) { SetLe16(p, 0x1E, 16); }, layout},
        {"no levels", "0 index levels", [](auto& p) { p[0x20] = 0; }, layout},
        {"too many levels", "200 index levels", [](auto& p) { p[0x20] = 200; }, layout},
        // With 2 levels the level-2 blocks are read as level 1: they name blocks 4..15 as data blocks,
        // which leaves the level-1 blocks unreached.
        {"one level too few", "is in the chain but not reached from the root", [](auto& p) { p[0x20] = 2; },
         layout},
        // With 4 levels the level-1 entries are read as naming index blocks; the first names block 1, the
        // root.
        {"one level too many", "block 1 is reached twice", [](auto& p) { p[0x20] = 4; }, layout},
        {"an upper count", "block 1 counts 566 records for block 2, which covers 567",
         [&](auto& p) { SetWord(p, entry(1, 0) + 102, 566); }, layout},
        {"an upper key", "the key of block 5 in block 2 is not the first key of that block",
         [&](auto& p) { p[entry(2, 1) + 5] ^= 1; }, layout},
        {"an upper entry naming its own block", "block 2 is reached twice",
         [&](auto& p) { SetWord(p, entry(2, 0) + 100, 2); }, layout},
        {"an upper entry past the end", "block 2 names index block 99 of 15",
         [&](auto& p) { SetWord(p, entry(2, 1) + 100, 99); }, layout},
        {"data block 0", "names data block 0", [&](auto& p) { SetWord(p, entry(4, 3) + 100, 0); }, layout},
        {"a data block twice", "data block 1 is indexed twice",
         [&](auto& p) { SetWord(p, entry(4, 3) + 100, 1); }, layout},
        {"a data block with no records", "data block 4 is indexed with 0 records",
         [&](auto& p) { SetWord(p, entry(4, 3) + 102, 0); }, layout},
        {"an index of another state of the table", "the index covers 700 records, but the table has 701",
         [](auto&) {}, moreRecords},
    };
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.what);
        std::vector<uint8_t> px = good;
        d.apply(px);
        Error e = Catch([&] { ParsePrimaryIndex(px, d.layout, "T.PX"); });
        EXPECT_EQ(e.Code(), PDX_E_FORMAT);
        EXPECT_EQ(std::string(e.what()).rfind("T.PX: ", 0), 0u) << e.what();
        EXPECT_NE(std::string(e.what()).find(d.message), std::string::npos) << e.what();
    }

    // Random damage (a fixed seed, so a failure repeats): every outcome is a result or a format error; under
    // the sanitizers no read goes outside the image. Bytes are changed where the structure is: the header,
    // and the first bytes of blocks and entries.
    std::mt19937 random(20240521);
    int refused = 0, accepted = 0;
    for (int round = 0; round < 4000; round++) {
        std::vector<uint8_t> px = good;
        int changes = 1 + int(random() % 4);
        for (int c = 0; c < changes; c++) {
            size_t at;
            switch (random() % 4) {
            case 0:
                at = random() % 0x60;
                break;
            case 1:
                at = block(1 + random() % 15) + random() % 6;
                break;
            default:
                at = entry(1 + random() % 15, random() % 9) + 100 + random() % 6;
            }
            px[at] = uint8_t(random());
        }
        if (random() % 8 == 0) px.resize(random() % px.size());
        ParsedIndex parsed;
        try {
            parsed = ParsePrimaryIndex(px, layout);
        } catch (const Error& e) {
            ASSERT_EQ(e.Code(), PDX_E_FORMAT) << e.what();
            refused++;
            continue;
        }
        // What passes is a consistent index of the table (a change in a byte nobody reads, or a key).
        accepted++;
        ASSERT_EQ(ParsePrimaryIndex(BuildPrimaryIndex(layout, parsed.leaf), layout).leaf, parsed.leaf);
    }
    std::printf("random damage: %d refused, %d accepted\n", refused, accepted);
}

#ifdef HAVE_PXLIB

namespace {

struct PxlibCase {
    const char* name;
    std::vector<PxField> fields;
    int keyFields;
    int records;
    int levels; // what pxlib writes
};

// Records in key order: key fields from the record number, then a text field.
std::vector<std::vector<uint8_t>> MakeRecords(const PxlibCase& c) {
    std::vector<std::vector<uint8_t>> records;
    for (int i = 0; i < c.records; i++) {
        std::vector<uint8_t> r;
        for (size_t f = 0; f < c.fields.size(); f++) {
            const PxField& field = c.fields[f];
            std::vector<uint8_t> v;
            if (field.type == Short) {
                // The second key field counts within groups of 10 of the first.
                v = ShortKey(c.keyFields == 2 && f == 1 ? i % 10 - 5 : i - 1000);
            } else {
                char text[40];
                std::snprintf(text, sizeof text, f == 0 ? "key %06d" : "record %d",
                              f == 0 && c.keyFields == 2 ? i / 10 : i);
                v = AlphaKey(text, size_t(field.length));
            }
            r.insert(r.end(), v.begin(), v.end());
        }
        records.push_back(std::move(r));
    }
    return records;
}

} // namespace

TEST(PrimaryIndexPxlib, SameIndexAsPxlibAndPxlibTakesOurs) {
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("pdx-index-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::vector<PxlibCase> cases{
        {"short key, 43 records", {{Short, 2}, {Alpha, 100}}, 1, 43, 1},
        {"alpha key, 43 records", {{Alpha, 20}, {Short, 2}, {Alpha, 80}}, 1, 43, 1},
        {"two key fields, 43 records", {{Alpha, 10}, {Short, 2}, {Alpha, 90}}, 2, 43, 1},
        {"short key, 3000 records", {{Short, 2}, {Alpha, 100}}, 1, 3000, 2},
        {"two key fields, 3000 records", {{Alpha, 10}, {Short, 2}, {Alpha, 90}}, 2, 3000, 2},
    };
    for (const PxlibCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string db = (dir / "T.DB").string(), theirs = (dir / "T.PX").string(),
                          ours = (dir / "OURS.PX").string();
        PxKeyedTable table{c.fields, c.keyFields, 1, MakeRecords(c)};
        MakeKeyedTableWithPxlib(table, db, theirs);

        IndexLayout layout;
        for (int k = 0; k < c.keyFields; k++)
            layout.keyFields.push_back({c.fields[size_t(k)].type, uint8_t(c.fields[size_t(k)].length)});
        layout.tableRecords = uint32_t(c.records);
        layout.tableName = theirs; // pxlib writes the path it was given
        const size_t keySize = IndexKeySize(layout);
        std::vector<IndexEntry> blocks = DataBlocksOf(db, keySize);
        ASSERT_EQ(Sum(blocks), uint32_t(c.records));

        // pxlib's index parses to the table's blocks.
        std::vector<uint8_t> pxlibImage = ReadFileBytes(theirs);
        ParsedIndex parsed = ParsePrimaryIndex(pxlibImage, layout, theirs);
        EXPECT_EQ(parsed.levels, c.levels);
        EXPECT_EQ(parsed.leaf, blocks);
        EXPECT_EQ(parsed.totalRecords, uint32_t(c.records));

        // Ours from the same blocks is the same file, apart from the run-time pointers pxlib leaves in the
        // header (0x30..0x37 and the table name pointer after the field list) and 0x55, which pxlib copies
        // from a field it never sets (zero in ours).
        std::vector<uint8_t> image = BuildPrimaryIndex(layout, blocks);
        ASSERT_EQ(image.size(), pxlibImage.size());
        std::vector<uint8_t> a = image, b = pxlibImage;
        for (std::vector<uint8_t>* v : {&a, &b}) {
            std::fill(v->begin() + 0x30, v->begin() + 0x38, 0);
            (*v)[0x55] = 0;
            size_t namePtr = 0x58 + 2 * size_t(c.keyFields);
            std::fill(v->begin() + long(namePtr), v->begin() + long(namePtr + 4), 0);
        }
        for (size_t i = 0; i < a.size(); i++)
            if (a[i] != b[i]) {
                ADD_FAILURE() << "first difference at 0x" << std::hex << i << ": ours " << int(a[i])
                              << ", pxlib's " << int(b[i]);
                break;
            }
        EXPECT_EQ(ParsePrimaryIndex(image, layout).leaf, blocks);

        // pxlib reads ours as it reads its own, and reads every record through it.
        WriteFileBytes(ours, image);
        PxlibIndexView own = ReadIndexWithPxlib(db, theirs), ourView = ReadIndexWithPxlib(db, ours);
        EXPECT_TRUE(own.accepted) << own.messages;
        EXPECT_TRUE(ourView.accepted) << ourView.messages;
        EXPECT_EQ(ourView.entries, own.entries);
        EXPECT_EQ(ourView.records, table.records);
        size_t level1 = 0;
        for (const PxlibIndexEntry& e : ourView.entries)
            level1 += e.level == 1;
        EXPECT_EQ(level1, blocks.size());
    }

    // pxlib refuses ours when the table has changed since (it checks only the record count).
    {
        PxlibCase c{"", {{Short, 2}, {Alpha, 100}}, 1, 43, 1};
        const std::string db = (dir / "T.DB").string(), ours = (dir / "OURS.PX").string();
        MakeKeyedTableWithPxlib(PxKeyedTable{c.fields, 1, 1, MakeRecords(c)}, db, (dir / "T.PX").string());
        std::vector<IndexEntry> blocks = DataBlocksOf(db, 2);
        blocks.back().records--;
        WriteFileBytes(ours, BuildPrimaryIndex(IndexLayout{{{Short, 2}}, 0, 0x0C, 0x62, 42, ""}, blocks));
        PxlibIndexView v = ReadIndexWithPxlib(db, ours);
        EXPECT_FALSE(v.accepted);
        EXPECT_NE(v.messages.find("42"), std::string::npos) << v.messages;
    }
    fs::remove_all(dir);
}

#endif

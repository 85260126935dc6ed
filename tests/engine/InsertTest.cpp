// The engine's positional insert into tables pxlib wrote: at the start, in the middle, at a block boundary,
// before the last record and at the end; into full blocks (a split) and at the end of a full last block (a
// new block); into an empty table; many inserts at scattered positions; every field type; autoincrement
// fields. Afterwards pxlib reads every record at its place (natively), the engine's own reading agrees, the
// header's counters agree with the block chain, and only the counters of the header changed.
#include "tests/engine/EngineTestSupport.h"

#include <algorithm>
#include <cstring>

using namespace EngineTest;

namespace {

const std::string kStyleName = "Тип позиции";

// "Тип позиции" in each code page.
std::string StyleNameBytes(int codePage) {
    return codePage == 866 ? "\x92\xA8\xAF\x20\xAF\xAE\xA7\xA8\xE6\xA8\xA8"
                           : "\xD2\xE8\xEF\x20\xEF\xEE\xE7\xE8\xF6\xE8\xE8";
}

// Bytes of the header that an insert may change: the counters, and the time of the last change.
bool IsCounterByte(size_t at) {
    return (at >= 0x06 && at < 0x12) || (at >= 0x3A && at < 0x3C) || (at >= 0x49 && at < 0x4D) ||
           (at >= 0x60 && at < 0x64);
}

void ExpectOnlyCountersChanged(const std::string& before, const std::string& after) {
    const size_t headerSize = size_t(uint8_t(before[2]) | (uint8_t(before[3]) << 8));
    ASSERT_GE(after.size(), headerSize);
    for (size_t i = 0; i < headerSize; ++i) {
        if (!IsCounterByte(i)) {
            EXPECT_EQ(uint8_t(before[i]), uint8_t(after[i]))
                << "header byte 0x" << std::hex << i << " changed";
        }
    }
}

std::vector<std::string> Inserted(std::vector<std::string> lines, size_t at, const std::string& line) {
    lines.insert(lines.begin() + std::ptrdiff_t(at), line);
    return lines;
}

} // namespace

TEST(EngineInsert, AtEachPlaceOfATemplateTable) {
    // 43 records of 116 bytes in 3 KiB blocks: 26 in block 1 (full), 17 in block 2. An insert into the
    // first block splits it half and half into a new block at the end of the file; one into the second
    // finds room there.
    for (int codePage : {1251, 866}) {
        const std::string fixture = "template43_" + std::to_string(codePage);
        const std::vector<std::string> before = FixtureDump(fixture);
        ASSERT_EQ(before.size(), 43u);
        for (uint32_t position : {0u, 20u, 26u, 30u, 42u, 43u}) {
            SCOPED_TRACE(fixture + " position " + std::to_string(position));
            TempFolder tmp("insert-place");
            const std::string path = tmp.CopyFixture(fixture);
            const std::string original = ReadAll(path);
            {
                EngineTable t(path, PDX_OPEN_READ_WRITE);
                ASSERT_EQ(t.OpenStatus(), PDX_OK) << t.Error();
                uint32_t at = 999;
                ASSERT_EQ(t.Insert(position, StyleValues(132, kStyleName), &at), PDX_OK) << t.Error();
                EXPECT_EQ(at, position);
                // The inserting handle is refreshed by the insert.
                EXPECT_EQ(t.Info().header_records, 44u);
                EXPECT_EQ(t.Line(position), StyleLine(132, kStyleName));
            }
            const std::vector<std::string> expected = Inserted(before, position, StyleLine(132, kStyleName));
            EngineTable reader(path);
            ASSERT_EQ(reader.OpenStatus(), PDX_OK) << reader.Error();
            EXPECT_EQ(reader.Dump(), expected);
            ExpectPxlibReads(path, expected);

            const std::string after = ReadAll(path);
            EXPECT_NE(after.find(StyleNameBytes(codePage)), std::string::npos) << "the name in the code page";
            ExpectOnlyCountersChanged(original, after);
            Layout l = ReadLayout(after);
            if (position < 26) {
                EXPECT_EQ(l.records, (std::vector<int>{14, 13, 17}));
                EXPECT_EQ(l.fileSize, original.size() + 3072);
            } else {
                EXPECT_EQ(l.records, (std::vector<int>{26, 18}));
                EXPECT_EQ(l.fileSize, original.size());
            }
        }
    }
}

// 16 records in 1 KiB blocks: two full blocks of 8.
TEST(EngineInsert, FullBlocksSplitHalfAndHalfAndAFullLastBlockGetsANewOne) {
    const std::vector<std::string> before = FixtureDump("template16_1k");
    ASSERT_EQ(before.size(), 16u);
    struct Case {
        uint32_t position;
        std::vector<int> chain;   // block numbers afterwards
        std::vector<int> records; // in each
    };
    for (const Case& c : {
             Case{3, {1, 3, 2}, {5, 4, 8}},  // block 1 split: the new block 3 follows it
             Case{7, {1, 3, 2}, {5, 4, 8}},  // the last slot of block 1
             Case{12, {1, 2, 3}, {8, 5, 4}}, // the last block split: an insert, not an append
             Case{15, {1, 2, 3}, {8, 5, 4}}, // before the last record
             Case{16, {1, 2, 3}, {8, 8, 1}}, // an append to the full last block: a block of its own
         }) {
        SCOPED_TRACE("position " + std::to_string(c.position));
        TempFolder tmp("insert-full");
        const std::string path = tmp.CopyFixture("template16_1k");
        const std::string original = ReadAll(path);
        {
            EngineTable t(path, PDX_OPEN_READ_WRITE);
            ASSERT_EQ(t.OpenStatus(), PDX_OK) << t.Error();
            ASSERT_EQ(t.Insert(c.position, StyleValues(500, "Разделитель")), PDX_OK) << t.Error();
        }
        const std::vector<std::string> expected = Inserted(before, c.position, StyleLine(500, "Разделитель"));
        EngineTable reader(path);
        EXPECT_EQ(reader.Dump(), expected);
        ExpectPxlibReads(path, expected);
        const std::string after = ReadAll(path);
        ExpectOnlyCountersChanged(original, after);
        Layout l = ReadLayout(after);
        EXPECT_EQ(l.chain, c.chain);
        EXPECT_EQ(l.records, c.records);
        EXPECT_EQ(l.fileBlocks, 3);
        EXPECT_EQ(after.size(), original.size() + 1024);
        // The blocks that did not change kept their bytes.
        const size_t block2 = size_t(l.headerSize) + 1024;
        if (c.position < 8) {
            // Block 2 now points back to block 3, otherwise unchanged.
            EXPECT_EQ(after.substr(block2, 2), original.substr(block2, 2)) << "block 2's next";
            EXPECT_EQ(after.substr(block2 + 4, 1020), original.substr(block2 + 4, 1020))
                << "block 2's records";
            EXPECT_EQ(uint8_t(after[block2 + 2]), 3) << "block 2's back link";
        } else {
            EXPECT_EQ(after.substr(size_t(l.headerSize), 1024), original.substr(size_t(l.headerSize), 1024))
                << "block 1";
        }
    }
}

TEST(EngineInsert, IntoAnEmptyTable) {
    TempFolder tmp("insert-empty");
    const std::string path = tmp.CopyFixture("empty");
    const std::string original = ReadAll(path);
    EngineTable t(path, PDX_OPEN_READ_WRITE);
    ASSERT_EQ(t.OpenStatus(), PDX_OK) << t.Error();
    EXPECT_EQ(t.Insert(1, StyleValues(1, "Первый")), PDX_E_ARGUMENT);
    EXPECT_EQ(ReadAll(path), original);
    ASSERT_EQ(t.Insert(0, StyleValues(1, "Первый")), PDX_OK) << t.Error();
    ASSERT_EQ(t.Insert(0, StyleValues(2, "Второй")), PDX_OK) << t.Error();
    ASSERT_EQ(t.Insert(2, StyleValues(3, "")), PDX_OK) << t.Error();
    const std::vector<std::string> expected = {StyleLine(2, "Второй"), StyleLine(1, "Первый"),
                                               StyleLine(3, "")};
    EXPECT_EQ(t.Dump(), expected);
    ExpectPxlibReads(path, expected);
    Layout l = ReadLayout(ReadAll(path));
    EXPECT_EQ(l.chain, std::vector<int>{1});
    EXPECT_EQ(l.records, std::vector<int>{3});
}

// Inserts at positions from a fixed pseudo-random sequence, with a model of the expected order; the table
// grows from 2 to 21 blocks of 1 KiB through splits and appends.
TEST(EngineInsert, ManyInsertsAtScatteredPositions) {
    TempFolder tmp("insert-many");
    const std::string path = tmp.CopyFixture("template16_1k");
    std::vector<std::string> model = FixtureDump("template16_1k");
    ASSERT_EQ(model.size(), 16u);
    EngineTable t(path, PDX_OPEN_READ_WRITE);
    ASSERT_EQ(t.OpenStatus(), PDX_OK) << t.Error();
    uint32_t seed = 12345;
    std::vector<std::string> names;
    for (int i = 1; i <= 150; ++i) {
        seed = seed * 1103515245u + 12345u;
        uint32_t position = (seed >> 8) % uint32_t(model.size() + 1);
        if (i % 10 == 0) position = uint32_t(model.size());     // appends too
        if (i % 10 == 5) position = uint32_t(model.size() - 1); // and before the last
        const std::string name = "Запись № " + std::to_string(i);
        ASSERT_EQ(t.Insert(position, StyleValues(1000 + i, name)), PDX_OK)
            << "insert " << i << ": " << t.Error();
        model.insert(model.begin() + position, StyleLine(1000 + i, name));
        if (i % 30 == 0) {
            EngineTable reader(path);
            ASSERT_EQ(reader.Dump(), model) << "after " << i << " inserts";
            ExpectConsistent(path);
        }
    }
    EXPECT_EQ(t.Dump(), model);
    ExpectPxlibReads(path, model);
    Layout l = ReadLayout(ReadAll(path));
    EXPECT_GE(l.chain.size(), 21u);
    for (int n : l.records)
        EXPECT_GE(n, 4) << "a split leaves at least half a block";
}

TEST(EngineInsert, EveryFieldType) {
    TempFolder tmp("insert-types");
    const std::string path = tmp.CopyFixture("types_866");
    std::vector<std::string> expected = FixtureDump("types_866");
    ASSERT_EQ(expected.size(), 25u);
    EngineTable t(path, PDX_OPEN_READ_WRITE);
    ASSERT_EQ(t.OpenStatus(), PDX_OK) << t.Error();
    // Fields: Name A20, Short S, Long I, Auto +, Flag L, Number N, Money $, Day D, At T, Stamp @.
    ASSERT_EQ(
        t.Insert(3, {Text("Новая запись"), Int(-32767), Int(2147483647), Int(5), Bool(false), Float(-0.125),
                     Float(1234.5), Date(730119), Time(86399999), Stamp(693593.0 * 86400000.0 + 21600000.0)}),
        PDX_OK)
        << t.Error();
    expected.insert(expected.begin() + 3,
                    "Name=Новая запись\tShort=-32767\tLong=2147483647\tAuto=5\tFlag=false\tNumber=-0.125"
                    "\tMoney=1234.5\tDay=1999-12-31\tAt=23:59:59.999\tStamp=1899-12-29T06:00:00");
    // The other ends of the ranges, zeros (which are not blank), and a record blank but for its name.
    ASSERT_EQ(t.Insert(0, {Text("Ноль"), Int(0), Int(-2147483647), Int(7), Bool(true), Float(0),
                           Float(-1e300), Date(1), Time(0), Stamp(86400000.0)}),
              PDX_OK)
        << t.Error();
    expected.insert(expected.begin(),
                    "Name=Ноль\tShort=0\tLong=-2147483647\tAuto=7\tFlag=true\tNumber=0\tMoney=-1e+300"
                    "\tDay=0001-01-01\tAt=00:00:00\tStamp=0001-01-01T00:00:00");
    ASSERT_EQ(
        t.Insert(27, {Text("Пусто"), Null(), Null(), Int(8), Null(), Null(), Null(), Null(), Null(), Null()}),
        PDX_OK)
        << t.Error();
    expected.push_back(
        "Name=Пусто\tShort=NULL\tLong=NULL\tAuto=8\tFlag=NULL\tNumber=NULL\tMoney=NULL\tDay=NULL"
        "\tAt=NULL\tStamp=NULL");
    EXPECT_EQ(t.Dump(), expected);
    ExpectPxlibReads(path, expected);
}

TEST(EngineInsert, BlankAutoincrementTakesTheNextValue) {
    TempFolder tmp("insert-autoinc");
    const std::string path = tmp.CopyFixture("autoinc");
    std::vector<std::string> expected = FixtureDump("autoinc");
    ASSERT_EQ(expected, (std::vector<std::string>{"Id=1001\tName=Запись 1.2", "Id=2001\tName=Запись 2.2",
                                                  "Id=3001\tName=Запись 3.2"}));
    {
        EngineTable t(path, PDX_OPEN_READ_WRITE);
        ASSERT_EQ(t.OpenStatus(), PDX_OK) << t.Error();
        ASSERT_EQ(t.Insert(0, {Null(), Text("Первая")}), PDX_OK) << t.Error(); // above every value
        ASSERT_EQ(t.Insert(4, {Int(10), Text("Своя")}), PDX_OK) << t.Error();  // given: kept
        ASSERT_EQ(t.Insert(2, {Null(), Text("Вторая")}), PDX_OK) << t.Error();
        expected.insert(expected.begin(), "Id=3002\tName=Первая");
        expected.push_back("Id=10\tName=Своя");
        expected.insert(expected.begin() + 2, "Id=3003\tName=Вторая");
        EXPECT_EQ(t.Dump(), expected);
    }
    ExpectPxlibReads(path, expected);
    EXPECT_EQ(ReadLayout(ReadAll(path)).autoInc, 3004u) << "the header holds the next value";

    // A header counter above every value in the table is the next value.
    std::string bytes = ReadAll(path);
    bytes[0x49] = char(0x88);
    bytes[0x4A] = char(0x13); // 5000
    bytes[0x4B] = bytes[0x4C] = 0;
    WriteAll(path, bytes);
    {
        EngineTable t(path, PDX_OPEN_READ_WRITE);
        ASSERT_EQ(t.Insert(6, {Null(), Text("Пять тысяч")}), PDX_OK) << t.Error();
        PdxValue v{};
        ASSERT_EQ(t.Value(6, 0, v), PDX_OK) << t.Error();
        EXPECT_EQ(v.i, 5000);
    }
    EXPECT_EQ(ReadLayout(ReadAll(path)).autoInc, 5001u);
}

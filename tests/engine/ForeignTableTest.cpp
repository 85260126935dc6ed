// Tables as other programs write them: leftover bytes after an alpha value's terminating zero (blank when
// the first byte is zero, otherwise the value ends there, also when keys are compared), and a table whose
// key is an autoincrement field, made by pxlib, taking records whose key the engine gives.
#include "tests/engine/EngineTestSupport.h"

#ifdef HAVE_PXLIB
#include "tests/engine/PxlibIndexSupport.h"
#endif

using namespace EngineTest;

namespace {

// Puts bytes into record r's field at offset within the record (the records of a one-block table).
void Patch(std::string& file, int r, int offset, const std::string& bytes) {
    const Layout l = ReadLayout(file);
    file.replace(size_t(l.headerSize) + 6 + size_t(r) * size_t(l.recordSize) + size_t(offset), bytes.size(),
                 bytes);
}

std::string Field(const std::string& line, const std::string& name) {
    const size_t at = line.find(name + "=");
    if (at == std::string::npos) return "<no " + name + ">";
    const size_t end = line.find('\t', at);
    return line.substr(at + name.size() + 1,
                       end == std::string::npos ? std::string::npos : end - at - name.size() - 1);
}

} // namespace

TEST(EngineForeign, AlphaLeftoversAfterTheTerminatingZero) {
    TempFolder tmp("foreign-alpha");
    const std::string path = tmp.CopyFixture("template3");
    std::string bytes = ReadAll(path);
    // Name (A40 at offset 2): record 1 blank with an older value's bytes behind the zero, record 2 "Ab" with
    // leftovers, record 3 a first zero and a single stray byte at the end of the field.
    Patch(bytes, 0, 2, std::string("\0ld name", 8));
    Patch(bytes, 1, 2, std::string("Ab\0 name", 8));
    Patch(bytes, 2, 2 + 39, std::string("\x01", 1));
    Patch(bytes, 2, 2, std::string("\0", 1));
    WriteAll(path, bytes);
    EngineTable t(path);
    ASSERT_EQ(t.OpenStatus(), PDX_OK) << t.Error();
    const std::vector<std::string> lines = t.Dump();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(Field(lines[0], "Name"), "NULL");
    EXPECT_EQ(Field(lines[1], "Name"), "Ab");
    EXPECT_EQ(Field(lines[2], "Name"), "NULL");
    PdxValue v{};
    ASSERT_EQ(t.Value(0, 1, v), PDX_OK);
    EXPECT_EQ(v.kind, PDX_VALUE_NULL);
    ExpectPxlibReads(path, lines);

#ifdef HAVE_PXLIB
    // In a key: "b" with leftovers is the key "b", so "b" is a duplicate and "ba" sorts after it.
    const std::string db = tmp.File("K.DB"), px = tmp.File("K.PX");
    auto record = [](const std::string& key, int n) {
        std::vector<uint8_t> r(12, 0);
        std::copy(key.begin(), key.end(), r.begin());
        r[10] = uint8_t((n ^ 0x8000) >> 8), r[11] = uint8_t(n);
        return r;
    };
    MakeKeyedTableWithPxlib(
        {{{0x01, 10}, {0x03, 2}}, 1, 1, {record("a", 1), record(std::string("b\0zzz", 5), 2)}}, db, px);
    EngineTable k(db, PDX_OPEN_READ_WRITE);
    ASSERT_EQ(k.OpenStatus(), PDX_OK) << k.Error();
    EXPECT_EQ(k.Insert(0, {Text("b"), Int(3)}), PDX_E_VALUE) << "a duplicate of \"b\"";
    EXPECT_EQ(k.Insert(0, {Text(""), Int(3)}), PDX_E_VALUE) << "an empty key is blank";
    uint32_t at = 9;
    ASSERT_EQ(k.Insert(0, {Text("ba"), Int(4)}), PDX_OK) << k.Error();
    ASSERT_EQ(k.Insert(0, {Text("az"), Int(5)}), PDX_OK) << k.Error();
    ASSERT_EQ(k.Insert(0, {Text("B"), Int(6)}, &at), PDX_OK) << k.Error();
    EXPECT_EQ(at, 0u) << "upper case sorts first, as the bytes do";
    EXPECT_EQ(k.Dump(), (std::vector<std::string>{"F1=B\tF2=6", "F1=a\tF2=1", "F1=az\tF2=5", "F1=b\tF2=2",
                                                  "F1=ba\tF2=4"}));
    PxlibIndexView view = ReadIndexWithPxlib(db, px);
    EXPECT_TRUE(view.accepted) << view.messages;
    EXPECT_EQ(view.records.size(), 5u);
#endif
}

// pxlib writes the autoincrement type into the key; a blank key field gets the next value before the key is
// checked, whether the table counts from its values or from the header's counter.
TEST(EngineForeign, AutoincrementKeyTakesTheNextValue) {
    TempFolder tmp("foreign-autoinc");
    const std::string db = tmp.CopyFixture("autoinc_key"), px = tmp.File("autoinc_key.px");
    WriteAll(px, ReadAll(FixturePath("autoinc_key").substr(0, FixturePath("autoinc_key").size() - 2) + "px"));
    std::vector<std::string> expected = FixtureDump("autoinc_key");
    ASSERT_EQ(expected, (std::vector<std::string>{"Id=1001\tName=Запись 1.2", "Id=2001\tName=Запись 2.2",
                                                  "Id=3001\tName=Запись 3.2"}));
    {
        EngineTable t(db, PDX_OPEN_READ_WRITE);
        ASSERT_EQ(t.OpenStatus(), PDX_OK) << t.Error();
        PdxTableInfo info = t.Info();
        EXPECT_EQ(info.keyed, 1);
        uint32_t at = 0;
        ASSERT_EQ(t.Insert(0, {Null(), Text("Новая")}, &at), PDX_OK) << t.Error();
        EXPECT_EQ(at, 3u);
        ASSERT_EQ(t.Insert(0, {Null(), Text("Ещё")}, &at), PDX_OK) << t.Error();
        EXPECT_EQ(at, 4u);
        ASSERT_EQ(t.Insert(0, {Int(1500), Text("Своя")}, &at), PDX_OK) << t.Error(); // given: kept, in order
        EXPECT_EQ(at, 1u);
        EXPECT_EQ(t.Insert(0, {Int(2001), Text("Дубль")}), PDX_E_VALUE) << "a duplicate given value";
        expected.insert(expected.begin() + 1, "Id=1500\tName=Своя");
        expected.push_back("Id=3002\tName=Новая");
        expected.push_back("Id=3003\tName=Ещё");
        EXPECT_EQ(t.Dump(), expected);
    }
    ExpectPxlibReads(db, expected);
    EXPECT_EQ(ReadLayout(ReadAll(db)).autoInc, 3004u) << "the header's counter moved on";

    // A counter above the values is the next value.
    std::string bytes = ReadAll(db);
    bytes[0x49] = char(0x10), bytes[0x4A] = char(0x27), bytes[0x4B] = bytes[0x4C] = 0; // 10000
    WriteAll(db, bytes);
    {
        EngineTable t(db, PDX_OPEN_READ_WRITE);
        uint32_t at = 0;
        ASSERT_EQ(t.Insert(0, {Null(), Text("Десятая")}, &at), PDX_OK) << t.Error();
        EXPECT_EQ(t.Line(at), "Id=10000\tName=Десятая");
    }
    EXPECT_EQ(ReadLayout(ReadAll(db)).autoInc, 10001u);
#ifdef HAVE_PXLIB
    PxlibIndexView view = ReadIndexWithPxlib(db, px);
    EXPECT_TRUE(view.accepted) << view.messages;
    EXPECT_EQ(view.records.size(), 7u);
#endif
}

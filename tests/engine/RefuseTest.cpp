// Inserts the engine refuses, each leaving the file byte for byte as it was: text the code page cannot hold,
// text too long for its field, numbers out of range (and a short's blank pattern), values of the wrong kind,
// wrong value counts and positions, a table opened for reading or a read-only file, and natively a write
// that fails for want of room (the file size limit) while the insert needs a new block.
#include "tests/engine/EngineTestSupport.h"

#include <cmath>
#include <limits>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#endif

using namespace EngineTest;

namespace {

struct Refusal {
    const char* what;
    int field;
    PdxValue value;
    PdxStatus status;
};

// Each refusal on a fresh handle; the file must not change, and the message must say which field.
void ExpectRefusals(const std::string& path, const std::vector<PdxValue>& good,
                    const std::vector<std::string>& names, const std::vector<Refusal>& refusals) {
    const std::string original = ReadAll(path);
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.what);
        EngineTable t(path, PDX_OPEN_READ_WRITE);
        ASSERT_EQ(t.OpenStatus(), PDX_OK) << t.Error();
        const uint32_t count = t.Refresh();
        std::vector<PdxValue> values = good;
        values[size_t(r.field)] = r.value;
        EXPECT_EQ(t.Insert(count, values), r.status) << t.Error();
        EXPECT_NE(t.Error().find(names[size_t(r.field)]), std::string::npos) << "message: " << t.Error();
        EXPECT_EQ(t.Refresh(), count);
        EXPECT_TRUE(ReadAll(path) == original) << "the file changed";
    }
}

const std::vector<std::string> kStyleFields = {"Level",        "Name",      "FontName",    "FontSize",
                                               "FontColor",    "Bold",      "Italic",      "Underline",
                                               "Align",        "Bullets",   "FirstInd",    "LeftInd",
                                               "RightInd",     "TabPos",    "SpaceBefore", "SpaceAfter",
                                               "SpaceLine",    "BackColor", "PageBreak",   "LineSpacingRule",
                                               "NoControlChar"};

} // namespace

TEST(EngineRefuse, ValuesATemplateFieldCannotHold) {
    static const std::string tooLong(41, 'x');
    static const std::string notUtf8 = "\xFF\xFE\xC3";
    static const std::string withZero("a\0b", 3);
    TempFolder tmp("refuse-template");
    for (int codePage : {866, 1251}) {
        SCOPED_TRACE(codePage);
        const std::string path = tmp.CopyFixture("template43_" + std::to_string(codePage));
        std::vector<Refusal> refusals = {
            {"a CJK character", 1, Text("Стиль 中"), PDX_E_VALUE},
            {"41 characters in A40", 2, Text(tooLong), PDX_E_VALUE},
            {"bytes that are not UTF-8", 1, Text(notUtf8), PDX_E_VALUE},
            {"a zero character", 1, Text(withZero), PDX_E_VALUE},
            {"a short of 32768", 3, Int(32768), PDX_E_VALUE},
            {"a short of -32768 (the blank pattern)", 0, Int(-32768), PDX_E_VALUE},
            {"a short of 100000", 13, Int(100000), PDX_E_VALUE},
            {"a long of 2^31", 4, Int(2147483648LL), PDX_E_VALUE},
            {"a long of -2^31 (the blank pattern)", 17, Int(-2147483648LL), PDX_E_VALUE},
            {"text for a short", 0, Text("1"), PDX_E_VALUE},
            {"an integer for text", 1, Int(5), PDX_E_VALUE},
            {"an integer for a logical", 5, Int(1), PDX_E_VALUE},
            {"a number for a long", 4, Float(1.0), PDX_E_VALUE},
            {"a date for a short", 8, Date(5), PDX_E_VALUE},
            {"an unknown kind", 10, PdxValue{42, 0, 0, nullptr, 0}, PDX_E_VALUE},
        };
        if (codePage == 866) refusals.push_back({"the euro sign in 866", 1, Text("Цена в €"), PDX_E_VALUE});
        ExpectRefusals(path, StyleValues(7, "Годный"), kStyleFields, refusals);
    }
}

TEST(EngineRefuse, ValuesOfOtherTypesTheFieldsCannotHold) {
    TempFolder tmp("refuse-types");
    const std::string path = tmp.CopyFixture("types_1251");
    const std::vector<std::string> names = {"Name",   "Short", "Long", "Auto", "Flag",
                                            "Number", "Money", "Day",  "At",   "Stamp"};
    const std::vector<PdxValue> good = {Text("x"), Int(1),   Int(1),  Null(),  Bool(true),
                                        Float(1),  Float(1), Date(1), Time(1), Stamp(1)};
    ExpectRefusals(path, good, names,
                   {
                       {"21 characters in A20", 0, Text("абвгдеёжзийклмнопрст!"), PDX_E_VALUE},
                       {"a number that is not a number", 5, Float(std::nan("")), PDX_E_VALUE},
                       {"an infinite amount", 6, Float(std::numeric_limits<double>::infinity()), PDX_E_VALUE},
                       {"a time of 24 hours", 8, Time(86400000), PDX_E_VALUE},
                       {"a negative time", 8, Time(-1), PDX_E_VALUE},
                       {"day 0", 7, Date(0), PDX_E_VALUE},
                       {"an integer for a date", 7, Int(730119), PDX_E_VALUE},
                       {"a number for a timestamp", 9, Float(1e9), PDX_E_VALUE},
                       {"a timestamp for a number", 5, Stamp(1e9), PDX_E_VALUE},
                       {"text for an autoincrement", 3, Text("1"), PDX_E_VALUE},
                       {"an autoincrement of 2^31", 3, Int(2147483648LL), PDX_E_VALUE},
                   });
}

// What the code page can hold goes in: 40 Cyrillic letters are 80 bytes of UTF-8 but 40 of the code page,
// and the euro sign is in 1251.
TEST(EngineRefuse, LengthCountsCodePageBytes) {
    TempFolder tmp("refuse-length");
    const std::string path = tmp.CopyFixture("template43_1251");
    std::string forty;
    for (int i = 0; i < 40; ++i)
        forty += "Ж";
    EngineTable t(path, PDX_OPEN_READ_WRITE);
    ASSERT_EQ(t.Insert(0, StyleValues(1, forty)), PDX_OK) << t.Error();
    ASSERT_EQ(t.Insert(0, StyleValues(2, "Цена в €")), PDX_OK) << t.Error();
    std::vector<std::string> expected = FixtureDump("template43_1251");
    expected.insert(expected.begin(), StyleLine(1, forty));
    expected.insert(expected.begin(), StyleLine(2, "Цена в €"));
    EXPECT_EQ(t.Dump(), expected);
    ExpectPxlibReads(path, expected);
}

TEST(EngineRefuse, CountsPositionsAndReadOnlyTables) {
    TempFolder tmp("refuse-args");
    const std::string path = tmp.CopyFixture("template43_1251");
    const std::string original = ReadAll(path);
    {
        EngineTable t(path, PDX_OPEN_READ_WRITE);
        std::vector<PdxValue> values = StyleValues(1, "x");
        values.pop_back();
        EXPECT_EQ(t.Insert(0, values), PDX_E_ARGUMENT);
        values = StyleValues(1, "x");
        values.push_back(Null());
        EXPECT_EQ(t.Insert(0, values), PDX_E_ARGUMENT);
        EXPECT_EQ(t.Insert(44, StyleValues(1, "x")), PDX_E_ARGUMENT);
        EXPECT_EQ(pdx_insert(t.Get(), 0, nullptr, 21, nullptr), PDX_E_ARGUMENT);
        EXPECT_EQ(pdx_insert(nullptr, 0, StyleValues(1, "x").data(), 21, nullptr), PDX_E_ARGUMENT);
    }
    {
        EngineTable t(path, PDX_OPEN_READ);
        EXPECT_EQ(t.Insert(0, StyleValues(1, "x")), PDX_E_READONLY);
        EXPECT_NE(t.Error().find("template43_1251.db"), std::string::npos) << t.Error();
    }
    EXPECT_TRUE(ReadAll(path) == original);

    // A file marked read-only opens for reading, not for writing.
#ifdef _WIN32
    ASSERT_TRUE(SetFileAttributesW(FromUtf8(path).c_str(), FILE_ATTRIBUTE_READONLY));
#else
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
#endif
    {
        EngineTable t(path, PDX_OPEN_READ_WRITE);
        EXPECT_EQ(t.OpenStatus(), PDX_E_READONLY);
        EXPECT_EQ(t.Get(), nullptr);
        EXPECT_NE(t.Error().find("template43_1251.db"), std::string::npos) << t.Error();
        EngineTable r(path, PDX_OPEN_READ);
        ASSERT_EQ(r.OpenStatus(), PDX_OK) << r.Error();
        EXPECT_EQ(r.Refresh(), 43u);
        EXPECT_EQ(r.Insert(43, StyleValues(1, "x")), PDX_E_READONLY);
        EXPECT_EQ(pdx_lock(r.Get()), PDX_OK) << "nobody may write it: there is nothing to lock";
    }
    EXPECT_TRUE(ReadAll(path) == original);
}

#ifndef _WIN32

// The file size limit lets the file grow by less than a block: the insert that needs a new block fails
// when it extends the file, and the file is left as it was; once the limit is lifted the same insert works.
TEST(EngineRefuse, AFailingWriteLeavesTheFileAsItWas) {
    for (uint32_t position : {16u, 3u}) { // an append to the full last block, a split of block 1
        SCOPED_TRACE(position);
        TempFolder tmp("refuse-write");
        const std::string path = tmp.CopyFixture("template16_1k");
        const std::string original = ReadAll(path);
        EngineTable t(path, PDX_OPEN_READ_WRITE);
        ASSERT_EQ(t.OpenStatus(), PDX_OK) << t.Error();

        struct rlimit saved {};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
        auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit tight = saved;
        tight.rlim_cur = rlim_t(original.size() + 100);
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
        const PdxStatus status = t.Insert(position, StyleValues(9, "Не влезет"));
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);

        EXPECT_EQ(status, PDX_E_IO) << t.Error();
        EXPECT_NE(t.Error().find("template16_1k.db"), std::string::npos) << t.Error();
        EXPECT_TRUE(ReadAll(path) == original) << "the file changed";
        EXPECT_EQ(t.Refresh(), 16u);
        EXPECT_EQ(t.Dump(), FixtureDump("template16_1k"));

        ASSERT_EQ(t.Insert(position, StyleValues(9, "Влезет")), PDX_OK) << t.Error();
        std::vector<std::string> expected = FixtureDump("template16_1k");
        expected.insert(expected.begin() + position, StyleLine(9, "Влезет"));
        ExpectPxlibReads(path, expected);
    }
}

#endif

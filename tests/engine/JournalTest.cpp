// The rollback journal's bytes (whole, torn at every length, damaged), a journal left beside a table put
// back by the next open, and one whose writer still holds the lock left alone; the write lock held across
// calls (pdx_lock), which makes a count and an insert one step for other users.
#include "tests/engine/EngineTestSupport.h"

#include "engine/File.h"
#include "engine/Journal.h"
#include "engine/PdxError.h"

using namespace EngineTest;

namespace {

std::vector<Pdx::JournalEntry> SampleImages() {
    return {{Pdx::JournalTarget::Table, 6144, {{2048, std::vector<uint8_t>(100, 0xAB)}, {0, {1, 2, 3}}}},
            {Pdx::JournalTarget::Index, 10, {{0, std::vector<uint8_t>(10, 7)}}}};
}

bool Same(const std::vector<Pdx::JournalEntry>& a, const std::vector<Pdx::JournalEntry>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].target != b[i].target || a[i].oldSize != b[i].oldSize ||
            a[i].ranges.size() != b[i].ranges.size())
            return false;
        for (size_t r = 0; r < a[i].ranges.size(); ++r)
            if (a[i].ranges[r].offset != b[i].ranges[r].offset ||
                a[i].ranges[r].bytes != b[i].ranges[r].bytes)
                return false;
    }
    return true;
}

} // namespace

TEST(EngineJournal, WholeTornAndDamagedJournals) {
    const std::vector<uint8_t> bytes = Pdx::EncodeJournal(SampleImages());
    ASSERT_EQ(bytes.size(), 24u + 1 + 2 * 13 + 3 * 12 + 100 + 3 + 10);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 7), "PDXJRNL");
    EXPECT_EQ(Pdx::Crc32(reinterpret_cast<const uint8_t*>("123456789"), 9),
              0xCBF43926u); // the zip check value
    auto back = Pdx::DecodeJournal(bytes, "j");
    ASSERT_TRUE(back.has_value());
    EXPECT_TRUE(Same(*back, SampleImages()));

    // Torn at every length, or with any one byte changed: ignored.
    for (size_t n = 0; n < bytes.size(); ++n)
        EXPECT_FALSE(
            Pdx::DecodeJournal(std::vector<uint8_t>(bytes.begin(), bytes.begin() + std::ptrdiff_t(n)), "j"))
            << "torn at " << n;
    for (size_t i = 0; i < bytes.size(); i += 7) {
        std::vector<uint8_t> changed = bytes;
        changed[i] ^= 0x20;
        EXPECT_FALSE(Pdx::DecodeJournal(changed, "j")) << "byte " << i << " changed";
    }

    // Whole (the checksums agree) but impossible: refused, naming the journal.
    struct Case {
        const char* what;
        std::vector<Pdx::JournalEntry> entries;
    };
    const std::vector<Case> impossible = {
        {"a range beyond the old size", {{Pdx::JournalTarget::Table, 10, {{8, {1, 2, 3}}}}}},
        {"an empty range", {{Pdx::JournalTarget::Table, 10, {{0, {}}}}}},
        {"a file named twice", {{Pdx::JournalTarget::Table, 10, {}}, {Pdx::JournalTarget::Table, 10, {}}}},
        {"no file", {}},
        {"a file beyond any table's size", {{Pdx::JournalTarget::Index, 1ull << 40, {}}}},
    };
    for (const Case& c : impossible) {
        SCOPED_TRACE(c.what);
        try {
            Pdx::DecodeJournal(Pdx::EncodeJournal(c.entries), "T.JNL");
            ADD_FAILURE() << "taken";
        } catch (const Pdx::Error& e) {
            EXPECT_EQ(e.Code(), PDX_E_FORMAT);
            EXPECT_NE(std::string(e.what()).find("T.JNL: the journal of an interrupted insert is damaged"),
                      std::string::npos)
                << e.what();
        }
    }
}

TEST(EngineJournal, ALeftJournalIsPutBackUnlessItsWriterHoldsTheLock) {
    TempFolder tmp("journal-left");
    const std::string path = tmp.CopyFixture("template43_1251"), journal = tmp.File("template43_1251.jnl");
    const std::string original = ReadAll(path);
    // An insert that died after it had written the header and a block and grown the file.
    std::string damaged = original;
    damaged.replace(6, 4, "\xFF\xFF\x00\x00", 4);
    damaged.replace(2048 + 3072, 50, std::string(50, 'x'));
    damaged += std::string(3072, 'y');
    Pdx::WriteJournal(journal,
                      {{Pdx::JournalTarget::Table,
                        original.size(),
                        {{0, std::vector<uint8_t>(original.begin(), original.begin() + 2048)},
                         {2048 + 3072, std::vector<uint8_t>(original.begin() + 2048 + 3072,
                                                            original.begin() + 2048 + 3072 + 50)}}}});
    WriteAll(path, damaged);
    {
        // Its writer still holds the lock: the open waits for it, then gives up and leaves everything.
        Pdx::File writer(path, Pdx::File::Mode::ReadWrite);
        ASSERT_TRUE(writer.TryLockWrite());
        EngineTable t(path);
        EXPECT_EQ(t.OpenStatus(), PDX_E_LOCKED) << t.Error();
        EXPECT_TRUE(fs::exists(FromUtf8(journal)));
        EXPECT_TRUE(ReadAll(path) == damaged);
    }
    {
        EngineTable t(path);
        ASSERT_EQ(t.OpenStatus(), PDX_OK) << t.Error();
        EXPECT_EQ(t.Dump(), FixtureDump("template43_1251"));
    }
    EXPECT_FALSE(fs::exists(FromUtf8(journal)));
    EXPECT_TRUE(ReadAll(path) == original) << "the before-images and the old size are back";

    // A torn journal is removed and the table left as it is; a damaged one refuses the open and stays; a
    // refresh of a table already open puts a journal back too.
    WriteAll(journal, "PDXJRNL");
    EXPECT_EQ(EngineTable(path).OpenStatus(), PDX_OK);
    EXPECT_FALSE(fs::exists(FromUtf8(journal)));
    const std::vector<uint8_t> bad = Pdx::EncodeJournal({{Pdx::JournalTarget::Table, 10, {{9, {1, 2}}}}});
    WriteAll(journal, std::string(bad.begin(), bad.end()));
    {
        EngineTable t(path);
        EXPECT_EQ(t.OpenStatus(), PDX_E_FORMAT);
        EXPECT_NE(t.Error().find("damaged"), std::string::npos) << t.Error();
    }
    EXPECT_TRUE(fs::exists(FromUtf8(journal)));
    Pdx::RemoveFile(journal);
    EngineTable open(path);
    Pdx::WriteJournal(
        journal,
        {{Pdx::JournalTarget::Table, original.size(), {{0, {original.begin(), original.begin() + 16}}}}});
    WriteAll(path, damaged.substr(0, 16) + original.substr(16) + std::string(3072, 'y'));
    EXPECT_EQ(open.Refresh(), 43u);
    EXPECT_TRUE(ReadAll(path).substr(0, 16) == original.substr(0, 16));
    EXPECT_EQ(ReadAll(path).size(), original.size());
}

TEST(EngineJournal, TheLockHeldAcrossCallsMakesCountAndInsertOneStep) {
    TempFolder tmp("journal-lock");
    const std::string path = tmp.CopyFixture("template43_866");
    EngineTable a(path, PDX_OPEN_READ_WRITE), reader(path);
    {
        EngineTable b(path, PDX_OPEN_READ_WRITE);
        // A table opened for reading keeps writers off too.
        ASSERT_EQ(pdx_lock(reader.Get()), PDX_OK) << pdx_last_error();
        EXPECT_EQ(a.Insert(0, StyleValues(1, "Ждёт")), PDX_E_LOCKED) << "after waiting 2 s";
        ASSERT_EQ(pdx_unlock(reader.Get()), PDX_OK);
        ASSERT_EQ(pdx_lock(a.Get()), PDX_OK) << pdx_last_error();
        EXPECT_EQ(pdx_lock(a.Get()), PDX_OK) << "taken twice";
        EXPECT_EQ(pdx_lock(b.Get()), PDX_E_LOCKED) << "after waiting 2 s";
        EXPECT_EQ(b.Insert(43, StyleValues(1, "Второй")), PDX_E_LOCKED) << b.Error();
        EXPECT_EQ(a.Refresh(), 43u);
        ASSERT_EQ(a.Insert(42, StyleValues(1, "Первый")), PDX_OK) << a.Error();
        EXPECT_EQ(reader.Refresh(), 44u) << "readers are never held up";
        ASSERT_EQ(pdx_unlock(a.Get()), PDX_OK);
        EXPECT_EQ(pdx_unlock(a.Get()), PDX_OK) << "without the lock: harmless";
        ASSERT_EQ(pdx_lock(b.Get()), PDX_OK) << pdx_last_error();
        EXPECT_EQ(b.Refresh(), 44u);
    } // closing releases it
    ASSERT_EQ(a.Insert(44, StyleValues(2, "Снова")), PDX_OK) << a.Error();
    std::vector<std::string> expected = FixtureDump("template43_866");
    expected.insert(expected.begin() + 42, StyleLine(1, "Первый"));
    expected.push_back(StyleLine(2, "Снова"));
    ExpectPxlibReads(path, expected);
}

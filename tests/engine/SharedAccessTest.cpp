// Tables shared between handles and processes: a second handle sees the first one's insert after
// pdx_refresh, an insert from a handle that missed another's insert loses nothing, and an insert waits for
// the write lock another holder keeps (a Pdx::File in this process, natively also a forked child) and then
// fails with PDX_E_LOCKED, leaving the file as it was.
#include "tests/engine/EngineTestSupport.h"

#include "engine/File.h"

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace EngineTest;

TEST(EngineShared, ASecondHandleSeesAnInsertAfterRefresh) {
    TempFolder tmp("shared-refresh");
    const std::string path = tmp.CopyFixture("template43_866");
    std::vector<std::string> expected = FixtureDump("template43_866");
    EngineTable writer(path, PDX_OPEN_READ_WRITE);
    EngineTable reader(path, PDX_OPEN_READ);
    EngineTable late(path, PDX_OPEN_READ_WRITE);
    ASSERT_EQ(writer.OpenStatus(), PDX_OK) << writer.Error();
    ASSERT_EQ(reader.OpenStatus(), PDX_OK) << reader.Error();
    ASSERT_EQ(late.OpenStatus(), PDX_OK) << late.Error();
    EXPECT_EQ(reader.Refresh(), 43u);
    EXPECT_EQ(late.Refresh(), 43u);

    ASSERT_EQ(writer.Insert(0, StyleValues(1, "От первого")), PDX_OK) << writer.Error();
    expected.insert(expected.begin(), StyleLine(1, "От первого"));
    PdxValue v{};
    EXPECT_EQ(reader.Value(43, 0, v), PDX_E_ARGUMENT)
        << "the reader still holds the count of its last refresh";
    EXPECT_EQ(reader.Refresh(), 44u);
    EXPECT_EQ(reader.Line(0), StyleLine(1, "От первого"));
    EXPECT_EQ(reader.Dump(), expected);

    // `late` has not refreshed since: its insert works on the table as it is now, before the last record.
    ASSERT_EQ(late.Insert(43, StyleValues(2, "От третьего")), PDX_OK) << late.Error();
    expected.insert(expected.begin() + 43, StyleLine(2, "От третьего"));
    EXPECT_EQ(late.Refresh(), 45u);
    EXPECT_EQ(reader.Refresh(), 45u);
    EXPECT_EQ(reader.Dump(), expected);
    EXPECT_EQ(writer.Dump(), expected);
    ExpectPxlibReads(path, expected);
}

TEST(EngineShared, AnInsertFailsWhileAnotherFileHoldsTheLock) {
    TempFolder tmp("shared-lock");
    const std::string path = tmp.CopyFixture("template43_1251");
    const std::string original = ReadAll(path);
    EngineTable t(path, PDX_OPEN_READ_WRITE);
    ASSERT_EQ(t.OpenStatus(), PDX_OK) << t.Error();
    {
        Pdx::File holder(path, Pdx::File::Mode::ReadWrite);
        ASSERT_TRUE(holder.TryLockWrite());
        EXPECT_EQ(t.Insert(43, StyleValues(1, "Заперто")), PDX_E_LOCKED);
        EXPECT_NE(t.Error().find("template43_1251.db"), std::string::npos) << t.Error();
        EXPECT_TRUE(ReadAll(path) == original) << "the file changed";
        // Reading goes on meanwhile.
        EXPECT_EQ(t.Refresh(), 43u);
        EXPECT_EQ(t.Dump(), FixtureDump("template43_1251"));
    }
    ASSERT_EQ(t.Insert(43, StyleValues(1, "Открыто")), PDX_OK) << t.Error();
    std::vector<std::string> expected = FixtureDump("template43_1251");
    expected.push_back(StyleLine(1, "Открыто"));
    ExpectPxlibReads(path, expected);
}

#ifndef _WIN32

// A child process takes the lock through its own File and keeps it until told to end; the end of the
// process releases it.
TEST(EngineShared, AnInsertFailsWhileAnotherProcessHoldsTheLock) {
    TempFolder tmp("shared-process");
    const std::string path = tmp.CopyFixture("template43_1251");
    const std::string original = ReadAll(path);
    int ready[2], release[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(release), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(ready[0]);
        close(release[1]); // else the child's read would never see the parent close its end
        char c = 0;
        int code = 1;
        try {
            Pdx::File f(path, Pdx::File::Mode::ReadWrite);
            c = f.TryLockWrite() ? 'L' : 'N';
            code = write(ready[1], &c, 1) == 1 && read(release[0], &c, 1) >= 0 ? 0 : 2;
        } catch (...) {
            c = 'E';
            code = write(ready[1], &c, 1) == 1 ? 3 : 4;
        }
        _exit(code);
    }
    close(ready[1]);
    close(release[0]);
    char got = 0;
    ASSERT_EQ(read(ready[0], &got, 1), 1);
    EXPECT_EQ(got, 'L') << "the child could not take the lock";

    EngineTable t(path, PDX_OPEN_READ_WRITE);
    ASSERT_EQ(t.OpenStatus(), PDX_OK) << t.Error();
    EXPECT_EQ(t.Insert(0, StyleValues(1, "Заперто")), PDX_E_LOCKED) << t.Error();
    EXPECT_TRUE(ReadAll(path) == original) << "the file changed";

    close(release[1]); // the child's read returns, and it ends without unlocking
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    close(ready[0]);

    ASSERT_EQ(t.Insert(0, StyleValues(1, "Открыто")), PDX_OK) << t.Error();
    std::vector<std::string> expected = FixtureDump("template43_1251");
    expected.insert(expected.begin(), StyleLine(1, "Открыто"));
    ExpectPxlibReads(path, expected);
}

#endif

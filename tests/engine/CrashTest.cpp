// Inserts killed at each of their writes in turn. The child is pdxtool on an engine with crash points
// (engine/File.h): with PDX_CRASH_AT_WRITE=N it is killed (SIGKILL, TerminateProcess) just before its Nth
// change to a file, or with PDX_CRASH_TORN=1 in the middle of it. After every such death the table opens in
// the engine (which puts the journal back), is byte for byte the table before the insert, with its .PX, no
// journal is left, pxlib reads it with the old records (natively), and it takes the insert. N runs up from 1
// until the child gets through: every write of a positional insert, a block split and a keyed insert with
// its .PX rewritten.
#include "tests/engine/EngineTestSupport.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

#ifdef HAVE_PXLIB
#include "tests/engine/PxlibIndexSupport.h"
#endif

using namespace EngineTest;

namespace {

enum class Ending { Killed, Finished, Failed };

// pdxtool_crash beside this test program.
fs::path CrashTool() {
#ifdef _WIN32
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    return fs::path(exe).parent_path() / "pdxtool_crash.exe";
#else
    return fs::read_symlink("/proc/self/exe").parent_path() / "pdxtool_crash";
#endif
}

// Runs pdxtool_crash with args, killed at its Nth change (torn: in the middle of it).
Ending RunKilledAt(const std::vector<std::string>& args, int n, bool torn) {
    const std::string at = std::to_string(n);
#ifdef _WIN32
    std::wstring cmd = L"\"" + CrashTool().wstring() + L"\"";
    for (const std::string& a : args)
        cmd += L" \"" + FromUtf8(a).wstring() + L"\"";
    SetEnvironmentVariableW(L"PDX_CRASH_AT_WRITE", std::wstring(at.begin(), at.end()).c_str());
    SetEnvironmentVariableW(L"PDX_CRASH_TORN", torn ? L"1" : L"0");
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const BOOL started =
        CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    SetEnvironmentVariableW(L"PDX_CRASH_AT_WRITE", nullptr);
    SetEnvironmentVariableW(L"PDX_CRASH_TORN", nullptr);
    if (!started) {
        ADD_FAILURE() << "CreateProcessW failed: " << GetLastError();
        return Ending::Failed;
    }
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code == 86 ? Ending::Killed : code == 0 ? Ending::Finished : Ending::Failed;
#else
    const std::string tool = CrashTool().string();
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "PDX_CRASH_", 10) != 0) env.push_back(*e);
    env.push_back("PDX_CRASH_AT_WRITE=" + at);
    env.push_back(std::string("PDX_CRASH_TORN=") + (torn ? "1" : "0"));
    std::vector<char*> argv{const_cast<char*>(tool.c_str())}, envp;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, tool.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0) {
        ADD_FAILURE() << "cannot start " << tool;
        return Ending::Failed;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) return Ending::Killed;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? Ending::Finished : Ending::Failed;
#endif
}

std::string Companion(const std::string& db, const std::string& ext) {
    return db.substr(0, db.size() - 2) + ext;
}

struct Scenario {
    const char* name;
    const char* fixture;
    std::vector<std::string> values; // pdxtool's insert arguments after the file
    uint32_t position;               // where the record lands
    std::string line;                // and how it reads
    int minChanges;                  // at least this many changes to files (journal, table, index, removal)
};

std::string TemplateLine(const std::string& level, const std::string& name) {
    std::string line = "Level=" + level + "\tName=" + name;
    for (const char* f : {"FontName", "FontSize", "FontColor", "Bold", "Italic", "Underline", "Align",
                          "Bullets", "FirstInd", "LeftInd", "RightInd", "TabPos", "SpaceBefore", "SpaceAfter",
                          "SpaceLine", "BackColor", "PageBreak", "LineSpacingRule", "NoControlChar"})
        line += std::string("\t") + f + "=NULL";
    return line;
}

} // namespace

TEST(EngineCrash, AnInsertKilledAtAnyWriteLeavesTheTableAsItWas) {
    const std::vector<Scenario> scenarios = {
        // Block 2 of 3 KiB has room: the block, the header.
        {"positional",
         "template43_1251",
         {"--before", "40", "Level=132", "Name=Тип позиции"},
         39,
         TemplateLine("132", "Тип позиции"),
         5},
        // Two full 1 KiB blocks: block 1 split into itself and a new block 3, block 2 linked back to it.
        {"split",
         "template16_1k",
         {"--before", "4", "Level=7", "Name=Разрез"},
         3,
         TemplateLine("7", "Разрез"),
         7},
        // Keyed on a short, 24 records to a full 1 KiB block: the smallest key splits block 1, and the .PX is
        // written anew.
        {"keyed", "keyed300_1k", {"Id=-100", "Name=Ключ"}, 0, "Id=-100\tName=Ключ", 8},
    };
    for (const Scenario& s : scenarios) {
        const std::vector<std::string> before = FixtureDump(s.fixture);
        std::vector<std::string> after = before;
        after.insert(after.begin() + s.position, s.line);
        const std::string dbFixture = FixturePath(s.fixture), pxFixture = Companion(dbFixture, "px");
        const bool keyed = std::string(s.name) == "keyed";
        for (bool torn : {false, true}) {
            int changes = 0, touched = 0;
            for (int n = 1; n < 40; ++n) {
                SCOPED_TRACE(std::string(s.name) + (torn ? " torn" : "") + " at change " + std::to_string(n));
                TempFolder tmp("crash");
                const std::string db = tmp.CopyFixture(s.fixture), px = Companion(db, "px");
                const std::string dbBytes = ReadAll(dbFixture), pxBytes = keyed ? ReadAll(pxFixture) : "";
                if (keyed) WriteAll(px, pxBytes);
                std::vector<std::string> args = {"insert", db};
                args.insert(args.end(), s.values.begin(), s.values.end());
                const Ending ending = RunKilledAt(args, n, torn);
                ASSERT_NE(ending, Ending::Failed) << "the child neither died nor finished";
                if (ending == Ending::Finished) {
                    changes = n - 1;
                    EXPECT_FALSE(fs::exists(FromUtf8(Companion(db, "jnl"))));
                    EXPECT_EQ(EngineTable(db).Dump(), after);
                    break;
                }
                if (ReadAll(db) != dbBytes || (keyed && ReadAll(px) != pxBytes)) ++touched;

                // Open for reading at odd N, for writing at even: either puts the journal back.
                {
                    EngineTable t(db, n % 2 ? PDX_OPEN_READ : PDX_OPEN_READ_WRITE);
                    ASSERT_EQ(t.OpenStatus(), PDX_OK) << t.Error();
                    EXPECT_EQ(t.Dump(), before);
                }
                EXPECT_FALSE(fs::exists(FromUtf8(Companion(db, "jnl")))) << "a journal is left";
                EXPECT_TRUE(ReadAll(db) == dbBytes) << "the .DB differs from before the insert";
                if (keyed) {
                    EXPECT_TRUE(ReadAll(px) == pxBytes) << "the .PX differs from before the insert";
                }
                ExpectPxlibReads(db, before);

                // The next insert goes through.
                {
                    EngineTable t(db, PDX_OPEN_READ_WRITE);
                    const std::string name = keyed ? "Ключ" : s.values[3].substr(5);
                    std::vector<PdxValue> values(keyed ? 2 : 21, Null());
                    values[0] = Int(keyed ? -100 : std::stoi(s.values[2].substr(6)));
                    values[1] = Text(name);
                    uint32_t at = 0;
                    ASSERT_EQ(t.Insert(s.position, values, &at), PDX_OK) << t.Error();
                    EXPECT_EQ(at, s.position);
                }
                ExpectPxlibReads(db, after);
#ifdef HAVE_PXLIB
                if (keyed) {
                    PxlibIndexView view = ReadIndexWithPxlib(db, px);
                    EXPECT_TRUE(view.accepted) << view.messages;
                    EXPECT_EQ(view.records.size(), after.size());
                }
#endif
            }
            SCOPED_TRACE(std::string(s.name) + (torn ? " torn" : ""));
            std::printf("%s%s: killed at each of %d changes, %d of them after the table was touched\n",
                        s.name, torn ? " (torn)" : "", changes, touched);
            EXPECT_GE(changes, s.minChanges) << "the insert made fewer changes than it must";
            // Deaths after the journal was written left changed files: the journal really put them back.
            EXPECT_GE(touched, changes - 3);
        }
    }
}

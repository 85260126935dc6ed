// The engine's file layer on real files: positional reads and writes, sizes, the error codes of missing,
// read-only and failing files, UTF-8 names, and the write lock between Files of one process and between
// processes (natively a forked child; under Wine this test program started again as a child, see LockProbe).
#include "engine/File.h"
#include "engine/PdxError.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;
using Pdx::File;

namespace {

std::string Utf8(const fs::path& p) {
    std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

fs::path FromUtf8(const std::string& s) {
    return fs::path(std::u8string(s.begin(), s.end()));
}

int ProcessId() {
#ifdef _WIN32
    return static_cast<int>(GetCurrentProcessId());
#else
    return static_cast<int>(getpid());
#endif
}

struct TempFolder {
    fs::path path;
    explicit TempFolder(const std::string& name) {
        path = fs::temp_directory_path() / ("pdx-file-" + name + "-" + std::to_string(ProcessId()));
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempFolder() {
        std::error_code ec;
        for (auto& e : fs::recursive_directory_iterator(path, ec))
            fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
#ifdef _WIN32
        for (auto& e : fs::recursive_directory_iterator(path, ec))
            SetFileAttributesW(e.path().c_str(), FILE_ATTRIBUTE_NORMAL);
#endif
        fs::remove_all(path, ec);
    }
    // A file holding bytes; returns its UTF-8 path.
    std::string Make(const std::string& utf8Name, const std::string& bytes) const {
        fs::path p = path / FromUtf8(utf8Name);
        std::ofstream(p, std::ios::binary) << bytes;
        return Utf8(p);
    }
};

std::string ReadAll(const std::string& utf8Path) {
    std::ifstream in(FromUtf8(utf8Path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

template <class F> Pdx::Error Catch(F&& f) {
    try {
        f();
    } catch (const Pdx::Error& e) {
        return e;
    }
    ADD_FAILURE() << "no Pdx::Error was thrown";
    return Pdx::Error(PDX_OK, "");
}

// ---------------------------------------------------------------------------------------------------------
// Lock probes in another process. The child opens the file itself and reports by its exit code:
//   try   take the lock and release it: ProbeGot or ProbeRefused
//   hold  take the lock, tell the parent, wait for its word, then end WITHOUT unlocking (the end of the
//         process must release it): ProbeGot, or ProbeRefused when the lock was not to be had
//   data  read 4 bytes at 0 and write them back reversed at 4, while the parent may hold the lock: ProbeGot
// Any engine error gives ProbeError.
enum { ProbeGot = 10, ProbeRefused = 11, ProbeError = 12, ProbeUsage = 13 };

int RunProbe(const std::string& mode, const std::string& path, const std::function<void()>& locked,
             const std::function<void()>& waitRelease) {
    try {
        File f(path, File::Mode::ReadWrite);
        if (mode == "try") {
            if (!f.TryLockWrite()) return ProbeRefused;
            f.UnlockWrite();
            return ProbeGot;
        }
        if (mode == "hold") {
            if (!f.TryLockWrite()) return ProbeRefused;
            locked();
            waitRelease();
            return ProbeGot; // the File is not destroyed: see the callers, which end the process at once
        }
        if (mode == "data") {
            char b[4];
            f.ReadAt(0, b, 4);
            std::swap(b[0], b[3]);
            std::swap(b[1], b[2]);
            f.WriteAt(4, b, 4);
            return ProbeGot;
        }
        return ProbeUsage;
    } catch (const Pdx::Error&) {
        return ProbeError;
    }
}

#ifdef _WIN32

// Under Windows the child is this program started again with the arguments
//   --pdx-lock-child <mode> <hex UTF-8 path> <event name prefix>
// A static initializer below recognises them before GoogleTest starts, runs the probe and ends the process,
// so the shared main of the test programs stays untouched.
const wchar_t ChildSwitch[] = L"--pdx-lock-child ";

std::string HexOf(const std::string& s) {
    static const char digits[] = "0123456789abcdef";
    std::string r;
    for (unsigned char c : s) {
        r += digits[c >> 4];
        r += digits[c & 15];
    }
    return r;
}

std::string FromHex(const std::wstring& h) {
    std::string r;
    for (size_t i = 0; i + 1 < h.size(); i += 2) {
        auto v = [](wchar_t c) { return c <= L'9' ? c - L'0' : c - L'a' + 10; };
        r += static_cast<char>(v(h[i]) * 16 + v(h[i + 1]));
    }
    return r;
}

const bool ChildRun = [] {
    std::wstring line = GetCommandLineW();
    size_t at = line.find(ChildSwitch);
    if (at == std::wstring::npos) return false;
    std::vector<std::wstring> words;
    std::wstring rest = line.substr(at + wcslen(ChildSwitch));
    size_t start = 0;
    while (start < rest.size()) {
        size_t end = rest.find(L' ', start);
        if (end == std::wstring::npos) end = rest.size();
        if (end > start) words.push_back(rest.substr(start, end - start));
        start = end + 1;
    }
    if (words.size() != 3) ExitProcess(ProbeUsage);
    std::string mode(words[0].begin(), words[0].end());
    HANDLE lockedEvent = OpenEventW(EVENT_MODIFY_STATE, FALSE, (words[2] + L"-locked").c_str());
    HANDLE releaseEvent = OpenEventW(SYNCHRONIZE, FALSE, (words[2] + L"-release").c_str());
    int code = RunProbe(
        mode, FromHex(words[1]), [&] { SetEvent(lockedEvent); },
        [&] { WaitForSingleObject(releaseEvent, 60000); });
    ExitProcess(static_cast<UINT>(code));
}();

class Child {
public:
    Child(const std::string& mode, const std::string& path) {
        static int counter = 0;
        std::wstring prefix = L"Local\\pdx-file-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(++counter);
        FLocked = CreateEventW(nullptr, TRUE, FALSE, (prefix + L"-locked").c_str());
        FRelease = CreateEventW(nullptr, TRUE, FALSE, (prefix + L"-release").c_str());
        wchar_t exe[MAX_PATH];
        GetModuleFileNameW(nullptr, exe, MAX_PATH);
        std::string hex = HexOf(path);
        std::wstring cmd = L"\"" + std::wstring(exe) + L"\" " + ChildSwitch +
                           std::wstring(mode.begin(), mode.end()) + L" " +
                           std::wstring(hex.begin(), hex.end()) + L" " + prefix;
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(exe, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
            ADD_FAILURE() << "CreateProcessW failed: " << GetLastError();
            return;
        }
        CloseHandle(pi.hThread);
        FProcess = pi.hProcess;
    }
    ~Child() {
        Release();
        Wait();
        CloseHandle(FLocked);
        CloseHandle(FRelease);
    }
    // True once the child holds the lock; false when it ended first.
    bool WaitLocked() {
        HANDLE both[2] = {FLocked, FProcess};
        return WaitForMultipleObjects(2, both, FALSE, 60000) == WAIT_OBJECT_0;
    }
    void Release() { SetEvent(FRelease); }
    int Wait() {
        if (FProcess) {
            if (WaitForSingleObject(FProcess, 60000) != WAIT_OBJECT_0) {
                TerminateProcess(FProcess, 99);
                WaitForSingleObject(FProcess, INFINITE);
            }
            DWORD code = 0;
            GetExitCodeProcess(FProcess, &code);
            CloseHandle(FProcess);
            FProcess = nullptr;
            FCode = static_cast<int>(code);
        }
        return FCode;
    }

private:
    HANDLE FProcess = nullptr, FLocked = nullptr, FRelease = nullptr;
    int FCode = -1;
};

#else

// Natively the child is a fork of this process; two pipes carry "locked" and "release".
class Child {
public:
    Child(const std::string& mode, const std::string& path) {
        if (pipe(FToParent) != 0 || pipe(FToChild) != 0) {
            ADD_FAILURE() << "pipe failed";
            return;
        }
        FPid = fork();
        if (FPid == 0) {
            close(FToParent[0]);
            close(FToChild[1]);
            int code = RunProbe(
                mode, path,
                [&] {
                    char c = 'L';
                    (void)!write(FToParent[1], &c, 1);
                },
                [&] {
                    char c;
                    (void)!read(FToChild[0], &c, 1);
                });
            _exit(code);
        }
        close(FToParent[1]);
        close(FToChild[0]);
        FToParent[1] = FToChild[0] = -1;
    }
    ~Child() {
        Release();
        Wait();
        if (FToParent[0] >= 0) close(FToParent[0]);
    }
    bool WaitLocked() {
        char c;
        ssize_t n;
        do
            n = read(FToParent[0], &c, 1);
        while (n < 0 && errno == EINTR);
        return n == 1;
    }
    void Release() {
        if (FToChild[1] >= 0) {
            close(FToChild[1]); // the child's read returns at end of file
            FToChild[1] = -1;
        }
    }
    int Wait() {
        if (FPid > 0) {
            int status = 0;
            while (waitpid(FPid, &status, 0) < 0 && errno == EINTR) {
            }
            FPid = -1;
            FCode = WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
        }
        return FCode;
    }

private:
    pid_t FPid = -1;
    int FToParent[2] = {-1, -1}, FToChild[2] = {-1, -1};
    int FCode = -1;
};

#endif

int ProbeOnce(const std::string& mode, const std::string& path) {
    Child c(mode, path);
    return c.Wait();
}

} // namespace

TEST(File, ReadsWritesAndResizes) {
    TempFolder dir("rw");
    std::string path = dir.Make("T.DB", "0123456789");
    {
        File f(path, File::Mode::ReadWrite);
        EXPECT_EQ(f.Path(), path);
        EXPECT_EQ(f.Size(), 10u);
        char b[4] = {};
        f.ReadAt(3, b, 4);
        EXPECT_EQ(std::string(b, 4), "3456");
        f.WriteAt(8, "abcd", 4); // past the end: the file grows
        EXPECT_EQ(f.Size(), 12u);
        f.WriteAt(0, "", 0);
        f.ReadAt(12, b, 0); // nothing to read at the very end is no error
        f.SetSize(20);      // extension reads as zeros
        char z[8];
        std::memset(z, 'x', sizeof z);
        f.ReadAt(12, z, 8);
        EXPECT_EQ(std::string(z, 8), std::string(8, '\0'));
        f.Flush();
        EXPECT_EQ(ReadAll(path), std::string("01234567abcd") + std::string(8, '\0'));
        f.SetSize(5);
        EXPECT_EQ(f.Size(), 5u);

        // Reading past the end is a damaged file, named as such; nothing is half-copied into a caller's
        // expectation of success.
        Pdx::Error e = Catch([&] { f.ReadAt(3, b, 4); });
        EXPECT_EQ(e.Code(), PDX_E_FORMAT);
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("unexpected end of file"), std::string::npos) << e.what();
        EXPECT_EQ(Catch([&] { f.ReadAt(100, b, 1); }).Code(), PDX_E_FORMAT);
    }
    EXPECT_EQ(ReadAll(path), "01234");

    // A File opened for reading reads, and refuses every change and the write lock.
    File r(path, File::Mode::Read);
    char b[5];
    r.ReadAt(0, b, 5);
    EXPECT_EQ(std::string(b, 5), "01234");
    EXPECT_EQ(Catch([&] { r.WriteAt(0, "x", 1); }).Code(), PDX_E_READONLY);
    EXPECT_EQ(Catch([&] { r.SetSize(0); }).Code(), PDX_E_READONLY);
    EXPECT_EQ(Catch([&] { r.TryLockWrite(); }).Code(), PDX_E_READONLY);
    r.Flush();
    EXPECT_EQ(ReadAll(path), "01234");
}

TEST(File, OpenErrors) {
    TempFolder dir("errors");
    std::string missing = Utf8(dir.path / "NOTHERE.DB");
    for (File::Mode mode : {File::Mode::Read, File::Mode::ReadWrite}) {
        Pdx::Error e = Catch([&] { File f(missing, mode); });
        EXPECT_EQ(e.Code(), PDX_E_IO);
        EXPECT_NE(std::string(e.what()).find(missing), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("does not exist"), std::string::npos) << e.what();
    }
    EXPECT_EQ(Catch([&] { File f(Utf8(dir.path / "NODIR" / "T.DB"), File::Mode::Read); }).Code(), PDX_E_IO);
    EXPECT_EQ(Catch([&] { File f(Utf8(dir.path), File::Mode::Read); }).Code(), PDX_E_IO);
    EXPECT_EQ(Catch([&] { File f("", File::Mode::Read); }).Code(), PDX_E_ARGUMENT);
#ifndef _WIN32
    // A FIFO under a table's name is refused at once instead of waiting for a writer.
    std::string fifo = Utf8(dir.path / "FIFO.DB");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0666), 0);
    EXPECT_EQ(Catch([&] { File f(fifo, File::Mode::Read); }).Code(), PDX_E_IO);
    EXPECT_FALSE(Pdx::Exists(fifo));
#endif

    EXPECT_FALSE(Pdx::Exists(missing));
    EXPECT_FALSE(Pdx::Exists(Utf8(dir.path))); // a folder is not a table file
    EXPECT_FALSE(Pdx::Exists(""));

    // A read-only file opens for reading, and for writing gives PDX_E_READONLY even to a process (root) that
    // the system would let write it.
    std::string ro = dir.Make("RO.DB", "data");
    EXPECT_TRUE(Pdx::Exists(ro));
#ifdef _WIN32
    ASSERT_TRUE(SetFileAttributesW(FromUtf8(ro).c_str(), FILE_ATTRIBUTE_READONLY));
#else
    ASSERT_EQ(chmod(ro.c_str(), 0444), 0);
#endif
    {
        File f(ro, File::Mode::Read);
        EXPECT_EQ(f.Size(), 4u);
    }
    Pdx::Error e = Catch([&] { File f(ro, File::Mode::ReadWrite); });
    EXPECT_EQ(e.Code(), PDX_E_READONLY);
    EXPECT_NE(std::string(e.what()).find(ro), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("read-only"), std::string::npos) << e.what();
    EXPECT_EQ(ReadAll(ro), "data");
}

TEST(File, Utf8Names) {
    TempFolder dir("utf8");
    fs::path folder = dir.path / FromUtf8("Таблицы");
    fs::create_directories(folder);
    std::string path = Utf8(folder / FromUtf8("Прайс №1.DB"));
    std::ofstream(FromUtf8(path), std::ios::binary) << "abc";
    EXPECT_TRUE(Pdx::Exists(path));
    EXPECT_FALSE(Pdx::Exists(Utf8(folder / FromUtf8("Прайс №2.DB"))));
    {
        File f(path, File::Mode::ReadWrite);
        f.WriteAt(3, "где", std::strlen("где"));
        EXPECT_TRUE(f.TryLockWrite());
    }
    EXPECT_EQ(ReadAll(path), "abcгде");
    // The name the system stored is the same text, not a code-page mangling of it.
    std::vector<std::string> names;
    for (auto& entry : fs::directory_iterator(folder))
        names.push_back(Utf8(entry.path().filename()));
    EXPECT_EQ(names, std::vector<std::string>{"Прайс №1.DB"});
#ifdef _WIN32
    // Not valid UTF-8: refused as an argument, never opened under a guessed name.
    EXPECT_EQ(Catch([&] { File f(Utf8(folder) + "\\\xff.DB", File::Mode::Read); }).Code(), PDX_E_ARGUMENT);
#endif
}

TEST(File, WriteFailuresAreReported) {
    TempFolder dir("full");
    std::string path = dir.Make("T.DB", "0123456789");
    File f(path, File::Mode::ReadWrite);

    // Far beyond what the file system holds (ext4: 16 TiB): the system refuses the write itself.
    Pdx::Error e = Catch([&] { f.WriteAt(uint64_t(1) << 62, "x", 1); });
    EXPECT_EQ(e.Code(), PDX_E_IO);
    EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("write error"), std::string::npos) << e.what();
    EXPECT_EQ(Catch([&] { f.SetSize(uint64_t(1) << 62); }).Code(), PDX_E_IO);
    EXPECT_EQ(f.Size(), 10u);

#ifndef _WIN32
    // A file-size limit makes the system refuse growth as on a full disk (EFBIG, SIGXFSZ ignored): the write
    // that crosses the limit fails, the write below it still works.
    struct rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    std::vector<char> block(1024, 'b');
    f.WriteAt(2048, block.data(), block.size());
    Pdx::Error full = Catch([&] { f.WriteAt(4096, block.data(), block.size()); });
    Pdx::Error grow = Catch([&] { f.SetSize(8192); });
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(full.Code(), PDX_E_IO);
    EXPECT_NE(std::string(full.what()).find(std::strerror(EFBIG)), std::string::npos) << full.what();
    EXPECT_EQ(grow.Code(), PDX_E_IO);
    EXPECT_EQ(f.Size(), 3072u);
#endif
}

TEST(File, WriteLockBetweenFilesOfOneProcess) {
    TempFolder dir("lock1");
    std::string path = dir.Make("T.DB", "abcdefgh");
    File a(path, File::Mode::ReadWrite);
    File b(path, File::Mode::ReadWrite);
    EXPECT_TRUE(a.TryLockWrite());
    EXPECT_TRUE(a.TryLockWrite()); // already held: no change
    EXPECT_TRUE(a.HoldsWriteLock());
    EXPECT_FALSE(b.TryLockWrite());
    EXPECT_FALSE(b.HoldsWriteLock());

    // The lock covers no data: the other handle reads and writes while it is held.
    b.WriteAt(0, "XY", 2);
    char buf[8];
    a.ReadAt(0, buf, 8);
    EXPECT_EQ(std::string(buf, 8), "XYcdefgh");
    b.ReadAt(6, buf, 2);
    EXPECT_EQ(std::string(buf, 2), "gh");
    EXPECT_EQ(a.Size(), 8u); // the lock did not grow the file

    // WriteLock gives up with the agreed error and message.
    Pdx::Error e = Catch([&] { Pdx::WriteLock lock(b, 60); });
    EXPECT_EQ(e.Code(), PDX_E_LOCKED);
    EXPECT_EQ(std::string(e.what()), path + ": the table is locked by another user");

    a.UnlockWrite();
    a.UnlockWrite(); // harmless
    EXPECT_TRUE(b.TryLockWrite());
    EXPECT_FALSE(a.TryLockWrite());
    b.UnlockWrite();

    // Released when the File goes away.
    {
        File c(path, File::Mode::ReadWrite);
        EXPECT_TRUE(c.TryLockWrite());
        EXPECT_FALSE(a.TryLockWrite());
    }
    EXPECT_TRUE(a.TryLockWrite());
    a.UnlockWrite();

    // Released when an exception leaves the scope of a WriteLock.
    try {
        Pdx::WriteLock lock(a);
        EXPECT_FALSE(b.TryLockWrite());
        throw Pdx::Error(PDX_E_VALUE, "a failed post");
    } catch (const Pdx::Error&) {
    }
    EXPECT_FALSE(a.HoldsWriteLock());
    EXPECT_TRUE(b.TryLockWrite());
    b.UnlockWrite();

    // A WriteLock on a File that already holds the lock leaves it held.
    ASSERT_TRUE(a.TryLockWrite());
    { Pdx::WriteLock lock(a); }
    EXPECT_TRUE(a.HoldsWriteLock());
    EXPECT_FALSE(b.TryLockWrite());
    a.UnlockWrite();

    // WriteLock waits for the holder to let go.
    std::atomic<bool> held{false};
    std::thread holder([&] {
        File h(path, File::Mode::ReadWrite);
        h.TryLockWrite();
        held = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
    });
    while (!held)
        std::this_thread::yield();
    {
        Pdx::WriteLock lock(b, 60000);
        EXPECT_TRUE(b.HoldsWriteLock());
    }
    holder.join();
    EXPECT_FALSE(b.HoldsWriteLock());
}

TEST(File, WriteLockBetweenProcesses) {
    TempFolder dir("lock2");
    std::string path = dir.Make("T.DB", "abcd....");
    File a(path, File::Mode::ReadWrite);

    EXPECT_EQ(ProbeOnce("try", path), ProbeGot);
    ASSERT_TRUE(a.TryLockWrite());
    EXPECT_EQ(ProbeOnce("try", path), ProbeRefused);
#ifndef _WIN32
    {
        // Opening and closing the file again in this process must not drop the lock (a classic fcntl lock
        // would be gone now).
        File other(path, File::Mode::Read);
    }
    EXPECT_EQ(ProbeOnce("try", path), ProbeRefused);
#endif
    // The other process reads and writes the data while the lock is held.
    EXPECT_EQ(ProbeOnce("data", path), ProbeGot);
    char buf[8];
    a.ReadAt(0, buf, 8);
    EXPECT_EQ(std::string(buf, 8), "abcddcba");
    a.UnlockWrite();
    EXPECT_EQ(ProbeOnce("try", path), ProbeGot);

    // Held by another process: refused here until that process ends, without unlocking.
    {
        Child c("hold", path);
        ASSERT_TRUE(c.WaitLocked());
        EXPECT_FALSE(a.TryLockWrite());
        File b(path, File::Mode::ReadWrite);
        EXPECT_EQ(Catch([&] { Pdx::WriteLock lock(b, 40); }).Code(), PDX_E_LOCKED);
        b.WriteAt(0, "ABCD", 4);
        c.Release();
        EXPECT_EQ(c.Wait(), ProbeGot);
    }
    EXPECT_TRUE(a.TryLockWrite());
    EXPECT_EQ(ReadAll(path), "ABCDdcba");
}

// Files opened shared, positional reads and writes, and the table's write lock: Win32 and POSIX.
#include "engine/File.h"

#include "engine/PdxError.h"

#include <chrono>
#include <cstdlib>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace Pdx {

namespace {

#ifdef PDX_CRASH_POINTS
// The crash points of test builds (see File.h). Returns true when this change is the torn one: the caller
// writes half of it and then calls Die().
long CrashSetting(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::strtol(v, nullptr, 10) : 0;
}

[[noreturn]] void Die() {
#ifdef _WIN32
    TerminateProcess(GetCurrentProcess(), 86);
#else
    ::kill(::getpid(), SIGKILL);
#endif
    for (;;) {
    }
}

bool CrashPoint() {
    static const long at = CrashSetting("PDX_CRASH_AT_WRITE");
    static const bool torn = CrashSetting("PDX_CRASH_TORN") == 1;
    static long changes = 0;
    if (at <= 0 || ++changes < at) return false;
    if (!torn) Die();
    return true;
}
#else
constexpr bool CrashPoint() {
    return false;
}
[[noreturn]] void Die() {
    std::abort();
}
#endif

[[noreturn]] void Fail(PdxStatus code, const std::string& path, const std::string& cause) {
    throw Error(code, path + ": " + cause);
}

#ifdef _WIN32

std::wstring Widen(const std::string& utf8) {
    if (utf8.empty()) return std::wstring();
    int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                                nullptr, 0);
    if (n <= 0) throw Error(PDX_E_ARGUMENT, utf8 + ": the file name is not valid UTF-8");
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                        wide.data(), n);
    return wide;
}

// The system's text for an error code, in UTF-8, without the trailing line break.
std::string SystemMessage(DWORD code) {
    wchar_t* text = nullptr;
    DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string result;
    if (n > 0 && text) {
        int len = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(n), nullptr, 0, nullptr, nullptr);
        result.resize(static_cast<size_t>(len));
        WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(n), result.data(), len, nullptr, nullptr);
    }
    if (text) LocalFree(text);
    while (!result.empty() &&
           (result.back() == '\n' || result.back() == '\r' || result.back() == ' ' || result.back() == '.'))
        result.pop_back();
    if (result.empty()) result = "system error " + std::to_string(code);
    return result;
}

HANDLE H(void* handle) {
    return static_cast<HANDLE>(handle);
}

OVERLAPPED At(uint64_t offset) {
    OVERLAPPED o{};
    o.Offset = static_cast<DWORD>(offset);
    o.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return o;
}

#else

std::string SystemMessage(int code) {
    return std::strerror(code);
}

bool NobodyMayWrite(const struct stat& st) {
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

#endif

} // namespace

#ifdef _WIN32

File::File(const std::string& utf8Path, Mode mode) : FPath(utf8Path), FMode(mode) {
    std::wstring wide = Widen(utf8Path);
    if (wide.empty()) throw Error(PDX_E_ARGUMENT, "the file name is empty");
    DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) Fail(PDX_E_IO, FPath, "this is a folder, not a file");
        if (mode != Mode::Read && (attributes & FILE_ATTRIBUTE_READONLY))
            Fail(PDX_E_READONLY, FPath, "the file is read-only");
    }
    if (mode == Mode::Create && CrashPoint()) Die();
    DWORD access = GENERIC_READ | (mode != Mode::Read ? GENERIC_WRITE : 0);
    HANDLE h =
        CreateFileW(wide.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    mode == Mode::Create ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        DWORD code = GetLastError();
        switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            Fail(PDX_E_IO, FPath, "the file does not exist");
        case ERROR_SHARING_VIOLATION:
            Fail(PDX_E_LOCKED, FPath, "the file is open exclusively in another program");
        case ERROR_WRITE_PROTECT:
            Fail(PDX_E_READONLY, FPath, "the disk is write-protected");
        case ERROR_ACCESS_DENIED:
            Fail(PDX_E_IO, FPath,
                 mode != Mode::Read ? "access denied (cannot open for writing)" : "access denied");
        default:
            Fail(PDX_E_IO, FPath, "cannot open: " + SystemMessage(code));
        }
    }
    FHandle = h;
    if (mode == Mode::Create) FMode = Mode::ReadWrite;
}

File::~File() {
    if (FLocked) UnlockWrite();
    CloseHandle(H(FHandle));
}

uint64_t File::Size() const {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(H(FHandle), &size))
        Fail(PDX_E_IO, FPath, "cannot get the size: " + SystemMessage(GetLastError()));
    return static_cast<uint64_t>(size.QuadPart);
}

void File::ReadAt(uint64_t offset, void* buffer, size_t count) const {
    auto* p = static_cast<uint8_t*>(buffer);
    while (count > 0) {
        DWORD chunk = count > 0x40000000u ? 0x40000000u : static_cast<DWORD>(count);
        OVERLAPPED o = At(offset);
        DWORD got = 0;
        if (!ReadFile(H(FHandle), p, chunk, &got, &o)) {
            DWORD code = GetLastError();
            if (code == ERROR_HANDLE_EOF)
                got = 0;
            else
                Fail(PDX_E_IO, FPath,
                     "read error at offset " + std::to_string(offset) + ": " + SystemMessage(code));
        }
        if (got == 0) Fail(PDX_E_FORMAT, FPath, "unexpected end of file at offset " + std::to_string(offset));
        p += got;
        offset += got;
        count -= got;
    }
}

void File::WriteAt(uint64_t offset, const void* data, size_t count) {
    if (FMode != Mode::ReadWrite) Fail(PDX_E_READONLY, FPath, "the file was opened for reading only");
    const auto* p = static_cast<const uint8_t*>(data);
    const bool torn = CrashPoint();
    if (torn) count /= 2;
    while (count > 0) {
        DWORD chunk = count > 0x40000000u ? 0x40000000u : static_cast<DWORD>(count);
        OVERLAPPED o = At(offset);
        DWORD put = 0;
        if (!WriteFile(H(FHandle), p, chunk, &put, &o))
            Fail(PDX_E_IO, FPath,
                 "write error at offset " + std::to_string(offset) + ": " + SystemMessage(GetLastError()));
        if (put == 0)
            Fail(PDX_E_IO, FPath,
                 "write error at offset " + std::to_string(offset) + ": nothing was written");
        p += put;
        offset += put;
        count -= put;
    }
    if (torn) Die();
}

void File::SetSize(uint64_t size) {
    if (FMode != Mode::ReadWrite) Fail(PDX_E_READONLY, FPath, "the file was opened for reading only");
    if (CrashPoint()) Die();
    FILE_END_OF_FILE_INFO info;
    info.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFileInformationByHandle(H(FHandle), FileEndOfFileInfo, &info, sizeof info))
        Fail(PDX_E_IO, FPath,
             "cannot set the size to " + std::to_string(size) + ": " + SystemMessage(GetLastError()));
}

void File::Flush() {
    if (FMode == Mode::ReadWrite && !FlushFileBuffers(H(FHandle)))
        Fail(PDX_E_IO, FPath, "cannot flush: " + SystemMessage(GetLastError()));
}

bool File::TryLockWrite() {
    if (FLocked) return true;
    if (FMode != Mode::ReadWrite)
        Fail(PDX_E_READONLY, FPath, "the table was opened for reading only and cannot be locked for writing");
    OVERLAPPED o = At(WriteLockOffset);
    if (!LockFileEx(H(FHandle), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &o)) {
        DWORD code = GetLastError();
        if (code == ERROR_LOCK_VIOLATION || code == ERROR_IO_PENDING) return false;
        Fail(PDX_E_IO, FPath, "cannot lock: " + SystemMessage(code));
    }
    FLocked = true;
    return true;
}

void File::UnlockWrite() {
    if (!FLocked) return;
    OVERLAPPED o = At(WriteLockOffset);
    UnlockFileEx(H(FHandle), 0, 1, 0, &o);
    FLocked = false;
}

bool Exists(const std::string& utf8Path) {
    std::wstring wide;
    try {
        wide = Widen(utf8Path);
    } catch (const Error&) {
        return false;
    }
    if (wide.empty()) return false;
    DWORD attributes = GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void RemoveFile(const std::string& utf8Path) {
    std::wstring wide = Widen(utf8Path);
    if (CrashPoint()) Die();
    if (!DeleteFileW(wide.c_str())) {
        DWORD code = GetLastError();
        if (code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND)
            Fail(PDX_E_IO, utf8Path, "cannot remove: " + SystemMessage(code));
    }
}

void FlushFolderOf(const std::string&) {
    // NTFS journals its folder entries; there is no handle to flush a folder through.
}

#else

File::File(const std::string& utf8Path, Mode mode) : FPath(utf8Path), FMode(mode) {
    if (utf8Path.empty()) throw Error(PDX_E_ARGUMENT, "the file name is empty");
    // O_NONBLOCK: a FIFO under the name must not block the open; it is refused below like any non-file.
    int flags = (mode == Mode::Read ? O_RDONLY : O_RDWR) | O_CLOEXEC | O_NONBLOCK;
    if (mode == Mode::Create) {
        flags |= O_CREAT | O_TRUNC;
        if (CrashPoint()) Die();
    }
    int fd;
    do
        fd = ::open(utf8Path.c_str(), flags, 0666);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        int code = errno;
        switch (code) {
        case ENOENT:
        case ENOTDIR:
            Fail(PDX_E_IO, FPath, "the file does not exist");
        case EISDIR:
            Fail(PDX_E_IO, FPath, "this is a folder, not a file");
        case EROFS:
            Fail(PDX_E_READONLY, FPath, "the file is on a read-only file system");
        case EACCES:
        case EPERM: {
            struct stat st;
            if (mode != Mode::Read && ::stat(utf8Path.c_str(), &st) == 0 && NobodyMayWrite(st))
                Fail(PDX_E_READONLY, FPath, "the file is read-only");
            Fail(PDX_E_IO, FPath,
                 mode != Mode::Read ? "access denied (cannot open for writing)" : "access denied");
        }
        default:
            Fail(PDX_E_IO, FPath, "cannot open: " + SystemMessage(code));
        }
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        Fail(PDX_E_IO, FPath, "this is not a regular file");
    }
    if (mode != Mode::Read && NobodyMayWrite(st)) {
        ::close(fd);
        Fail(PDX_E_READONLY, FPath, "the file is read-only");
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    FFd = fd;
    if (mode == Mode::Create) FMode = Mode::ReadWrite;
}

File::~File() {
    if (FLocked) UnlockWrite();
    ::close(FFd);
}

uint64_t File::Size() const {
    struct stat st;
    if (::fstat(FFd, &st) != 0) Fail(PDX_E_IO, FPath, "cannot get the size: " + SystemMessage(errno));
    return static_cast<uint64_t>(st.st_size);
}

void File::ReadAt(uint64_t offset, void* buffer, size_t count) const {
    auto* p = static_cast<uint8_t*>(buffer);
    while (count > 0) {
        ssize_t got = ::pread(FFd, p, count, static_cast<off_t>(offset));
        if (got < 0) {
            if (errno == EINTR) continue;
            Fail(PDX_E_IO, FPath,
                 "read error at offset " + std::to_string(offset) + ": " + SystemMessage(errno));
        }
        if (got == 0) Fail(PDX_E_FORMAT, FPath, "unexpected end of file at offset " + std::to_string(offset));
        p += got;
        offset += static_cast<uint64_t>(got);
        count -= static_cast<size_t>(got);
    }
}

void File::WriteAt(uint64_t offset, const void* data, size_t count) {
    if (FMode != Mode::ReadWrite) Fail(PDX_E_READONLY, FPath, "the file was opened for reading only");
    const auto* p = static_cast<const uint8_t*>(data);
    const bool torn = CrashPoint();
    if (torn) count /= 2;
    while (count > 0) {
        ssize_t put = ::pwrite(FFd, p, count, static_cast<off_t>(offset));
        if (put < 0) {
            if (errno == EINTR) continue;
            Fail(PDX_E_IO, FPath,
                 "write error at offset " + std::to_string(offset) + ": " + SystemMessage(errno));
        }
        if (put == 0)
            Fail(PDX_E_IO, FPath,
                 "write error at offset " + std::to_string(offset) + ": nothing was written");
        p += put;
        offset += static_cast<uint64_t>(put);
        count -= static_cast<size_t>(put);
    }
    if (torn) Die();
}

void File::SetSize(uint64_t size) {
    if (FMode != Mode::ReadWrite) Fail(PDX_E_READONLY, FPath, "the file was opened for reading only");
    if (CrashPoint()) Die();
    int rc;
    do
        rc = ::ftruncate(FFd, static_cast<off_t>(size));
    while (rc != 0 && errno == EINTR);
    if (rc != 0)
        Fail(PDX_E_IO, FPath, "cannot set the size to " + std::to_string(size) + ": " + SystemMessage(errno));
}

void File::Flush() {
    if (FMode != Mode::ReadWrite) return;
    int rc;
    do
        rc = ::fsync(FFd);
    while (rc != 0 && errno == EINTR);
    if (rc != 0) Fail(PDX_E_IO, FPath, "cannot flush: " + SystemMessage(errno));
}

bool File::TryLockWrite() {
    if (FLocked) return true;
    if (FMode != Mode::ReadWrite)
        Fail(PDX_E_READONLY, FPath, "the table was opened for reading only and cannot be locked for writing");
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(WriteLockOffset);
    fl.l_len = 1;
    fl.l_pid = 0; // required by open-file-description locks
    int rc;
    do
        rc = ::fcntl(FFd, F_OFD_SETLK, &fl);
    while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        if (errno == EAGAIN || errno == EACCES) return false;
        Fail(PDX_E_IO, FPath, "cannot lock: " + SystemMessage(errno));
    }
    FLocked = true;
    return true;
}

void File::UnlockWrite() {
    if (!FLocked) return;
    struct flock fl {};
    fl.l_type = F_UNLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(WriteLockOffset);
    fl.l_len = 1;
    fl.l_pid = 0;
    int rc;
    do
        rc = ::fcntl(FFd, F_OFD_SETLK, &fl);
    while (rc != 0 && errno == EINTR);
    FLocked = false;
}

bool Exists(const std::string& utf8Path) {
    struct stat st;
    return !utf8Path.empty() && ::stat(utf8Path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void RemoveFile(const std::string& utf8Path) {
    if (CrashPoint()) Die();
    if (::unlink(utf8Path.c_str()) != 0 && errno != ENOENT)
        Fail(PDX_E_IO, utf8Path, "cannot remove: " + SystemMessage(errno));
}

void FlushFolderOf(const std::string& utf8Path) {
    const size_t slash = utf8Path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : utf8Path.substr(0, slash);
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return; // nothing to flush through; the files themselves were flushed
    int rc;
    do
        rc = ::fsync(fd);
    while (rc != 0 && errno == EINTR);
    ::close(fd);
}

#endif

void File::LockWrite(int timeoutMs) {
    auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    while (!TryLockWrite()) {
        if (std::chrono::steady_clock::now() >= deadline)
            throw Error(PDX_E_LOCKED, FPath + ": the table is locked by another user");
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

WriteLock::WriteLock(File& file, int timeoutMs) : FFile(file) {
    if (file.HoldsWriteLock()) return;
    file.LockWrite(timeoutMs);
    FTaken = true;
}

WriteLock::~WriteLock() {
    if (FTaken) FFile.UnlockWrite();
}

} // namespace Pdx

// Classes: THandleStream, TFileStream and TResourceStream over the operating system's files and resources.
#include "framework/core/ClassesStreams.h"

#include <algorithm>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace Classes {

namespace {

#ifdef _WIN32
String SystemReason(DWORD code) {
    String reason = SysUtils::SysErrorMessage(code);
    return reason.empty() ? "system error " + SysUtils::IntToStr(code) : reason;
}

HANDLE AsHandle(intptr_t h) {
    return reinterpret_cast<HANDLE>(h);
}
#else
String SystemReason(int code) {
    return std::strerror(code);
}
#endif

} // namespace

size_t THandleStream::Read(void* buffer, size_t count) {
#ifdef _WIN32
    size_t total = 0;
    while (total < count) {
        DWORD chunk = DWORD(std::min<size_t>(count - total, 1u << 30)), got = 0;
        if (!ReadFile(AsHandle(FHandle), static_cast<char*>(buffer) + total, chunk, &got, nullptr) ||
            got == 0)
            break;
        total += got;
    }
    return total;
#else
    size_t total = 0;
    while (total < count) {
        ssize_t got = ::read(int(FHandle), static_cast<char*>(buffer) + total, count - total);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        total += size_t(got);
    }
    return total;
#endif
}

size_t THandleStream::Write(const void* buffer, size_t count) {
#ifdef _WIN32
    size_t total = 0;
    while (total < count) {
        DWORD chunk = DWORD(std::min<size_t>(count - total, 1u << 30)), put = 0;
        if (!WriteFile(AsHandle(FHandle), static_cast<const char*>(buffer) + total, chunk, &put, nullptr) ||
            put == 0)
            break;
        total += put;
    }
    return total;
#else
    size_t total = 0;
    while (total < count) {
        ssize_t put = ::write(int(FHandle), static_cast<const char*>(buffer) + total, count - total);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) break;
        total += size_t(put);
    }
    return total;
#endif
}

int64_t THandleStream::Seek(int64_t offset, TSeekOrigin origin) {
#ifdef _WIN32
    LARGE_INTEGER dist, result;
    dist.QuadPart = offset;
    DWORD method = origin == soBeginning ? FILE_BEGIN : origin == soCurrent ? FILE_CURRENT : FILE_END;
    if (!SetFilePointerEx(AsHandle(FHandle), dist, &result, method))
        throw EStreamError("Stream seek error: " + SystemReason(GetLastError()));
    return result.QuadPart;
#else
    int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
    off_t r = ::lseek(int(FHandle), off_t(offset), whence);
    if (r < 0) throw EStreamError("Stream seek error: " + SystemReason(errno));
    return int64_t(r);
#endif
}

void THandleStream::SetSize(int64_t newSize) {
    int64_t pos = GetPosition();
#ifdef _WIN32
    Seek(newSize, soBeginning);
    if (!SetEndOfFile(AsHandle(FHandle)))
        throw EStreamError("Stream size cannot be changed: " + SystemReason(GetLastError()));
#else
    if (::ftruncate(int(FHandle), off_t(newSize)) != 0)
        throw EStreamError("Stream size cannot be changed: " + SystemReason(errno));
#endif
    Seek(std::min(pos, newSize), soBeginning);
}

TFileStream::TFileStream(const String& fileName, uint16_t mode) : THandleStream(-1), FFileName(fileName) {
#ifdef _WIN32
    std::u16string wide = SysUtils::Utf8ToUtf16(fileName);
    auto name = reinterpret_cast<const wchar_t*>(wide.c_str());
    static const DWORD kShare[] = {FILE_SHARE_READ | FILE_SHARE_WRITE, 0, FILE_SHARE_READ, FILE_SHARE_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE};
    HANDLE h;
    if (mode == fmCreate) {
        h = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            throw EFCreateError("Cannot create file \"" + fileName + "\". " + SystemReason(GetLastError()));
    } else {
        static const DWORD kAccess[] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
        unsigned access = mode & 3, share = (mode & 0xF0) >> 4;
        if (access > 2 || share > 4) throw EFOpenError("Cannot open file \"" + fileName + "\". Invalid mode");
        h = CreateFileW(name, kAccess[access], kShare[share], nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                        nullptr);
        if (h == INVALID_HANDLE_VALUE)
            throw EFOpenError("Cannot open file \"" + fileName + "\". " + SystemReason(GetLastError()));
    }
    FHandle = reinterpret_cast<intptr_t>(h);
#else
    // Share modes have no POSIX meaning; an exclusive or deny-write share takes an advisory lock instead.
    int fd;
    if (mode == fmCreate) {
        fd = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) throw EFCreateError("Cannot create file \"" + fileName + "\". " + SystemReason(errno));
    } else {
        static const int kFlags[] = {O_RDONLY, O_WRONLY, O_RDWR};
        unsigned access = mode & 3;
        if (access > 2) throw EFOpenError("Cannot open file \"" + fileName + "\". Invalid mode");
        fd = ::open(fileName.c_str(), kFlags[access] | O_CLOEXEC);
        if (fd < 0) throw EFOpenError("Cannot open file \"" + fileName + "\". " + SystemReason(errno));
        struct stat st;
        if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
            ::close(fd);
            throw EFOpenError("Cannot open file \"" + fileName + "\". Is a directory");
        }
    }
    FHandle = fd;
#endif
}

TFileStream::~TFileStream() {
#ifdef _WIN32
    if (FHandle != -1) CloseHandle(AsHandle(FHandle));
#else
    if (FHandle >= 0) ::close(int(FHandle));
#endif
}

#ifdef _WIN32
TResourceStream::TResourceStream(void* instance, const String& resName, const wchar_t* resType) {
    std::u16string wide = SysUtils::Utf8ToUtf16(resName);
    HMODULE module = static_cast<HMODULE>(instance);
    HRSRC info = FindResourceW(module, reinterpret_cast<const wchar_t*>(wide.c_str()), resType);
    HGLOBAL block = info ? LoadResource(module, info) : nullptr;
    if (!block) throw EResNotFound("Resource " + resName + " not found");
    FData = static_cast<const uint8_t*>(LockResource(block));
    FSize = SizeofResource(module, info);
}

size_t TResourceStream::Read(void* buffer, size_t count) {
    if (FPosition >= FSize) return 0;
    size_t n = std::min(count, FSize - FPosition);
    std::memcpy(buffer, FData + FPosition, n);
    FPosition += n;
    return n;
}

size_t TResourceStream::Write(const void*, size_t) {
    throw EStreamError("Can't write to a read-only resource stream");
}

int64_t TResourceStream::Seek(int64_t offset, TSeekOrigin origin) {
    int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? int64_t(FPosition) : int64_t(FSize);
    int64_t pos = base + offset;
    if (pos < 0) throw EStreamError("Invalid stream operation");
    FPosition = size_t(pos);
    return pos;
}
#endif

} // namespace Classes

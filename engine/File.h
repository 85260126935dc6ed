// The engine's one file abstraction: a file opened shared, read and written at explicit offsets, and the
// table's write lock.
//
//   Pdx::File db(path, Pdx::File::Mode::ReadWrite); // path is UTF-8
//   {
//       Pdx::WriteLock lock(db);                     // waits up to 2 s, then throws PDX_E_LOCKED
//       db.WriteAt(offset, bytes.data(), bytes.size());
//       db.Flush();
//   }                                                // the lock is released here, also on an exception
//
// - A File is always opened shared: other programs (and other Files in this program) may read and write the
//   same file meanwhile. Every failure throws Pdx::Error naming the file and the cause: a missing or denied
//   file PDX_E_IO, a read-only file opened for writing PDX_E_READONLY, a read past the end PDX_E_FORMAT
//   ("unexpected end of file"), a failed write PDX_E_IO with the system's reason.
// - A file counts as read-only when Windows marks it so (FILE_ATTRIBUTE_READONLY) or, on POSIX, when nobody
// has
//   write permission (mode r--r--r--, which is also how Wine stores the read-only attribute); a process that
//   could write such a file anyway (root) is refused all the same.
// - The write lock is an exclusive byte-range lock on one byte at WriteLockOffset, far beyond any data a
//   Paradox file can hold, so it never blocks reading or writing the data itself. It is respected by every
//   other File on the same path, in this process or another. On POSIX it is an open-file-description lock
//   (F_OFD_SETLK), owned by the File, not by the process; on Windows a LockFileEx lock on the File's handle.
//   Closing the File (or the process ending) releases it. A File opened for reading cannot take it.
// - Mode::Create makes the file (or empties one that exists), for reading and writing.
// - Crash points (test builds only, PDX_CRASH_POINTS defined): every change to a file (WriteAt, SetSize,
//   Create, RemoveFile) counts, and when the environment variable PDX_CRASH_AT_WRITE is N, the process is
//   killed (SIGKILL, TerminateProcess) just before the Nth change, so that the changes before it are all on
//   file and none after it. With PDX_CRASH_TORN=1 the Nth change is a WriteAt of its first half only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Pdx {

// A Paradox file is at most a 64 KiB header plus 65535 blocks of 32 KiB: below 0x80010000 bytes. The lock
// byte sits just below 4 GiB, beyond that, and still fits the low 32 bits of a lock offset, which every
// file system and lock implementation handles.
constexpr uint64_t WriteLockOffset = 0xFFFFFFF0u;

class File {
public:
    enum class Mode { Read, ReadWrite, Create };

    File(const std::string& utf8Path, Mode mode);
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    const std::string& Path() const { return FPath; }
    Mode GetMode() const { return FMode; }
    uint64_t Size() const;

    // Reads exactly count bytes at offset, or throws (PDX_E_FORMAT when the file ends before).
    void ReadAt(uint64_t offset, void* buffer, size_t count) const;
    // Writes exactly count bytes at offset, extending the file when needed, or throws PDX_E_IO.
    void WriteAt(uint64_t offset, const void* data, size_t count);
    // Extends (with zero bytes) or truncates the file.
    void SetSize(uint64_t size);
    // Hands everything written so far to the disk.
    void Flush();

    // Takes the table's write lock without waiting; false when another File holds it. Taking it again while
    // this File holds it is true and changes nothing.
    bool TryLockWrite();
    // Takes it, retrying for up to timeoutMs; then throws Error(PDX_E_LOCKED, "<file>: the table is locked by
    // another user").
    void LockWrite(int timeoutMs = 2000);
    void UnlockWrite();
    bool HoldsWriteLock() const { return FLocked; }

private:
    std::string FPath;
    Mode FMode;
    bool FLocked = false;
#ifdef _WIN32
    void* FHandle = nullptr;
#else
    int FFd = -1;
#endif
};

// Holds the write lock of a File for its lifetime. Retries for up to timeoutMs, then throws
// Error(PDX_E_LOCKED, "<file>: the table is locked by another user").
class WriteLock {
public:
    explicit WriteLock(File& file, int timeoutMs = 2000);
    ~WriteLock();
    WriteLock(const WriteLock&) = delete;
    WriteLock& operator=(const WriteLock&) = delete;

private:
    File& FFile;
    bool FTaken = false; // false when the File already held the lock: then it stays held afterwards
};

// True when a regular file (not a directory) exists at the UTF-8 path.
bool Exists(const std::string& utf8Path);
// Removes a file; a file that is not there is no error. Throws PDX_E_IO.
void RemoveFile(const std::string& utf8Path);
// Hands the folder entry of a file (its creation or removal) to the disk; nothing to do on Windows.
void FlushFolderOf(const std::string& utf8Path);

} // namespace Pdx

// Classes: streams.
//
// Declares: TSeekOrigin, TStream (the abstract byte stream), TMemoryStream, THandleStream, TFileStream (with
// the framework's open modes and share modes) and, in the Windows tree, TResourceStream.
//
//   TFileStream f("table.db", fmOpenRead | fmShareDenyNone);
//   uint32_t sig; f.ReadBuffer(&sig, 4);          // EReadError "Stream read error" when short
#pragma once

#include "framework/core/ClassesErrors.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Classes {

enum TSeekOrigin { soBeginning = 0, soCurrent = 1, soEnd = 2 };

class TStream {
public:
    TStream() = default;
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;
    virtual ~TStream() = default;

    // Reads up to count bytes and returns how many were read (0 at the end).
    virtual size_t Read(void* buffer, size_t count) = 0;
    // Writes up to count bytes and returns how many were written.
    virtual size_t Write(const void* buffer, size_t count) = 0;
    // Moves the position and returns the new one; EStreamError when the origin or result is invalid.
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

    int64_t GetPosition() { return Seek(0, soCurrent); }
    void SetPosition(int64_t pos) { Seek(pos, soBeginning); }
    virtual int64_t GetSize();
    virtual void SetSize(int64_t newSize);

    // All or nothing: EReadError "Stream read error" / EWriteError "Stream write error".
    void ReadBuffer(void* buffer, size_t count);
    void WriteBuffer(const void* buffer, size_t count);
    // Copies count bytes from source (0: all of source, from its start); returns the count copied.
    int64_t CopyFrom(TStream& source, int64_t count);
};

// A stream over a growable block of memory.
class TMemoryStream : public TStream {
public:
    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t GetSize() override { return int64_t(FData.size()); }
    void SetSize(int64_t newSize) override;

    const uint8_t* Memory() const { return FData.data(); }
    uint8_t* Memory() { return FData.data(); }
    const std::vector<uint8_t>& Bytes() const { return FData; }
    void Clear();
    void LoadFromStream(TStream& source);
    void SaveToStream(TStream& dest);
    void LoadFromFile(const String& fileName);
    void SaveToFile(const String& fileName);

private:
    std::vector<uint8_t> FData;
    size_t FPosition = 0;
};

// Open modes and share modes of TFileStream, as the framework numbers them.
enum : uint16_t {
    fmCreate = 0xFFFF,
    fmOpenRead = 0x0000,
    fmOpenWrite = 0x0001,
    fmOpenReadWrite = 0x0002,
    fmShareCompat = 0x0000,
    fmShareExclusive = 0x0010,
    fmShareDenyWrite = 0x0020,
    fmShareDenyRead = 0x0030,
    fmShareDenyNone = 0x0040,
};

// A stream over an operating-system file handle: a HANDLE on Windows, a descriptor elsewhere.
class THandleStream : public TStream {
public:
    using THandle = intptr_t;
    explicit THandleStream(THandle handle) : FHandle(handle) {}
    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t newSize) override;
    THandle Handle() const { return FHandle; }

protected:
    THandle FHandle;
};

// A file opened (or created, with fmCreate) by name; closed by the destructor. Failures raise EFCreateError
// "Cannot create file %s" / EFOpenError "Cannot open file %s", with the system's reason appended.
class TFileStream : public THandleStream {
public:
    TFileStream(const String& fileName, uint16_t mode);
    ~TFileStream() override;
    const String& FileName() const { return FFileName; }

private:
    String FFileName;
};

#ifdef _WIN32
// The bytes of a resource of a module, read-only. EResNotFound "Resource %s not found" when missing.
class TResourceStream : public TStream {
public:
    TResourceStream(void* instance, const String& resName, const wchar_t* resType);
    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override; // EStreamError: a resource cannot be written
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;

private:
    const uint8_t* FData = nullptr;
    size_t FSize = 0;
    size_t FPosition = 0;
};
#endif

} // namespace Classes

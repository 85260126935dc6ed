// Classes: TStream and TMemoryStream. File, handle and resource streams live in ClassesFileStreams.cpp.
#include "framework/core/ClassesStreams.h"

#include <algorithm>
#include <cstring>

namespace Classes {

int64_t TStream::GetSize() {
    int64_t pos = Seek(0, soCurrent);
    int64_t size = Seek(0, soEnd);
    Seek(pos, soBeginning);
    return size;
}

void TStream::SetSize(int64_t) {
    throw EStreamError("Stream size cannot be changed");
}

void TStream::ReadBuffer(void* buffer, size_t count) {
    if (count != 0 && Read(buffer, count) != count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, size_t count) {
    if (count != 0 && Write(buffer, count) != count) throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.GetSize();
    }
    if (count < 0) throw EStreamError("Invalid stream operation");
    uint8_t buffer[8192];
    int64_t left = count;
    while (left > 0) {
        size_t n = size_t(std::min<int64_t>(left, sizeof buffer));
        source.ReadBuffer(buffer, n);
        WriteBuffer(buffer, n);
        left -= int64_t(n);
    }
    return count;
}

size_t TMemoryStream::Read(void* buffer, size_t count) {
    if (FPosition >= FData.size()) return 0;
    size_t n = std::min(count, FData.size() - FPosition);
    std::memcpy(buffer, FData.data() + FPosition, n);
    FPosition += n;
    return n;
}

size_t TMemoryStream::Write(const void* buffer, size_t count) {
    if (count == 0) return 0;
    if (FPosition + count > FData.size()) FData.resize(FPosition + count);
    std::memcpy(FData.data() + FPosition, buffer, count);
    FPosition += count;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    int64_t base = origin == soBeginning ? 0
                   : origin == soCurrent ? int64_t(FPosition)
                                         : int64_t(FData.size());
    int64_t pos = base + offset;
    if (pos < 0) throw EStreamError("Invalid stream operation");
    FPosition = size_t(pos); // beyond the end is allowed; a later write fills the gap with zeros
    return pos;
}

void TMemoryStream::SetSize(int64_t newSize) {
    if (newSize < 0) throw EStreamError("Invalid stream operation");
    FData.resize(size_t(newSize));
    FPosition = std::min(FPosition, FData.size());
}

void TMemoryStream::Clear() {
    FData.clear();
    FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream& source) {
    source.SetPosition(0);
    int64_t size = source.GetSize();
    FData.resize(size_t(size));
    FPosition = 0;
    source.ReadBuffer(FData.data(), FData.size());
}

void TMemoryStream::SaveToStream(TStream& dest) {
    dest.WriteBuffer(FData.data(), FData.size());
}

void TMemoryStream::LoadFromFile(const String& fileName) {
    TFileStream f(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(f);
}

void TMemoryStream::SaveToFile(const String& fileName) {
    TFileStream f(fileName, fmCreate);
    SaveToStream(f);
}

} // namespace Classes

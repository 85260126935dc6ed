// The rollback journal: its bytes, writing it, and putting it back.
#include "engine/Journal.h"

#include "engine/PdxBlob.h"
#include "engine/PdxError.h"
#include "engine/PdxFormat.h"

#include <algorithm>
#include <array>
#include <memory>

namespace Pdx {

namespace {

constexpr uint8_t Magic[8] = {'P', 'D', 'X', 'J', 'R', 'N', 'L', 0x1A};
constexpr uint32_t Format = 1;
constexpr size_t HeadSize = 24;
// The largest file a table or an index can be: a 64 KiB header and 65535 blocks of 32 KiB.
constexpr uint64_t MaxFileSize = 0x10000ull + 0xFFFFull * 0x8000ull;

void PutLE64(std::vector<uint8_t>& b, uint64_t v) {
    for (int i = 0; i < 8; ++i)
        b.push_back(uint8_t(v >> (8 * i)));
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.push_back(uint8_t(v >> (8 * i)));
}

// Reads the body front to back; running past its end is an impossible journal.
class BodyReader {
public:
    BodyReader(const std::vector<uint8_t>& b, const std::string& path) : FBytes(b), FPath(path) {}
    const uint8_t* Take(uint64_t n) {
        if (n > FBytes.size() - FAt) throw Damaged("the body ends early");
        const uint8_t* p = FBytes.data() + FAt;
        FAt += size_t(n);
        return p;
    }
    uint64_t U(int bytes) {
        const uint8_t* p = Take(uint64_t(bytes));
        uint64_t v = 0;
        for (int i = bytes - 1; i >= 0; --i)
            v = (v << 8) | p[i];
        return v;
    }
    bool AtEnd() const { return FAt == FBytes.size(); }
    Error Damaged(const std::string& why) const {
        return Error(PDX_E_FORMAT, FPath + ": the journal of an interrupted insert is damaged (" + why +
                                       "); the table is left as it is");
    }

private:
    const std::vector<uint8_t>& FBytes;
    const std::string& FPath;
    size_t FAt = HeadSize;
};

} // namespace

std::string JournalPath(const std::string& tablePath) {
    return CompanionPath(tablePath, "JNL");
}

uint32_t Crc32(const uint8_t* data, size_t size) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i)
        c = table[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

std::vector<uint8_t> EncodeJournal(const std::vector<JournalEntry>& entries) {
    std::vector<uint8_t> b(HeadSize, 0);
    b.push_back(uint8_t(entries.size()));
    for (const JournalEntry& e : entries) {
        b.push_back(uint8_t(e.target));
        PutLE64(b, e.oldSize);
        Put32(b, uint32_t(e.ranges.size()));
        for (const JournalRange& r : e.ranges) {
            PutLE64(b, r.offset);
            Put32(b, uint32_t(r.bytes.size()));
            b.insert(b.end(), r.bytes.begin(), r.bytes.end());
        }
    }
    std::copy(std::begin(Magic), std::end(Magic), b.begin());
    PutLE32(&b[8], Format);
    PutLE32(&b[12], uint32_t(b.size() - HeadSize));
    PutLE32(&b[16], Crc32(b.data() + HeadSize, b.size() - HeadSize));
    PutLE32(&b[20], Crc32(b.data(), 20));
    return b;
}

std::optional<std::vector<JournalEntry>> DecodeJournal(const std::vector<uint8_t>& b,
                                                       const std::string& path) {
    // Invariant 4: a wrong head or checksum is a torn journal.
    if (b.size() < HeadSize || !std::equal(std::begin(Magic), std::end(Magic), b.begin()) ||
        LE32(&b[20]) != Crc32(b.data(), 20) || LE32(&b[8]) != Format || LE32(&b[12]) != b.size() - HeadSize ||
        LE32(&b[16]) != Crc32(b.data() + HeadSize, b.size() - HeadSize))
        return std::nullopt;
    BodyReader in(b, path);
    const uint64_t files = in.U(1);
    if (files < 1 || files > 2) throw in.Damaged(std::to_string(files) + " files");
    std::vector<JournalEntry> entries;
    for (uint64_t k = 0; k < files; ++k) {
        JournalEntry e;
        const uint64_t target = in.U(1);
        if (target > 1) throw in.Damaged("unknown file " + std::to_string(target));
        e.target = JournalTarget(target);
        for (const JournalEntry& other : entries)
            if (other.target == e.target) throw in.Damaged("a file named twice");
        e.oldSize = in.U(8);
        if (e.oldSize > MaxFileSize) throw in.Damaged("an old size of " + std::to_string(e.oldSize));
        const uint64_t ranges = in.U(4);
        for (uint64_t r = 0; r < ranges; ++r) {
            JournalRange range;
            range.offset = in.U(8);
            const uint64_t length = in.U(4);
            if (length == 0 || range.offset > e.oldSize || length > e.oldSize - range.offset)
                throw in.Damaged("a range beyond the file's old size");
            const uint8_t* p = in.Take(length);
            range.bytes.assign(p, p + length);
            e.ranges.push_back(std::move(range));
        }
        entries.push_back(std::move(e));
    }
    if (!in.AtEnd()) throw in.Damaged("bytes after the last file");
    return entries;
}

void WriteJournal(const std::string& path, const std::vector<JournalEntry>& entries) {
    const std::vector<uint8_t> bytes = EncodeJournal(entries);
    File j(path, File::Mode::Create);
    j.WriteAt(0, bytes.data(), bytes.size());
    j.Flush();
    FlushFolderOf(path);
}

void PutBack(const std::vector<JournalEntry>& entries, File& table, File* index) {
    for (const JournalEntry& e : entries) {
        std::unique_ptr<File> made;
        File* f = &table;
        if (e.target == JournalTarget::Index) {
            if (index == nullptr) {
                made = std::make_unique<File>(CompanionPath(table.Path(), "PX"), File::Mode::Create);
                index = made.get();
            }
            f = index;
        }
        for (auto r = e.ranges.rbegin(); r != e.ranges.rend(); ++r)
            f->WriteAt(r->offset, r->bytes.data(), r->bytes.size());
        if (f->Size() != e.oldSize) f->SetSize(e.oldSize);
        f->Flush();
    }
}

bool RecoverJournal(File& db) {
    const std::string path = JournalPath(db.Path());
    if (!Exists(path)) return false;
    std::vector<uint8_t> bytes;
    {
        File j(path, File::Mode::Read);
        bytes.resize(size_t(std::min<uint64_t>(j.Size(), MaxFileSize * 2)));
        if (!bytes.empty()) j.ReadAt(0, bytes.data(), bytes.size());
    }
    std::optional<std::vector<JournalEntry>> entries = DecodeJournal(bytes, path);
    if (entries) {
        std::unique_ptr<File> index;
        const std::string pxPath = CompanionPath(db.Path(), "PX");
        if (Exists(pxPath)) index = std::make_unique<File>(pxPath, File::Mode::ReadWrite);
        PutBack(*entries, db, index.get());
    }
    RemoveFile(path);
    FlushFolderOf(path);
    return entries.has_value();
}

} // namespace Pdx

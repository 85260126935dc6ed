// One open table: reading the header and the block chain, records by position, and the insert.
#include "engine/PdxTable.h"

#include "engine/Journal.h"
#include "engine/PdxBlob.h"
#include "engine/PdxError.h"
#include "engine/PrimaryIndex.h"

#include <algorithm>
#include <cstring>
#include <ctime>

namespace Pdx {

Table::Table(const std::string& path, bool write)
    : FFile(path, write ? File::Mode::ReadWrite : File::Mode::Read) {
    RecoverInterrupted();
    Load();
}

void Table::RecoverInterrupted() {
    const std::string& path = FFile.Path();
    if (!Exists(JournalPath(path))) return;
    if (FFile.GetMode() == File::Mode::ReadWrite) {
        WriteLock lock(FFile); // held already within Insert
        RecoverJournal(FFile);
        return;
    }
    if (FLockHolder && FLockHolder->HoldsWriteLock()) {
        RecoverJournal(*FLockHolder);
        return;
    }
    // Opened for reading: the putting back needs a File that writes and holds the lock.
    std::unique_ptr<File> writer;
    try {
        writer = std::make_unique<File>(path, File::Mode::ReadWrite);
    } catch (const Error& e) {
        throw Error(e.Code(), path +
                                  ": an interrupted insert left its journal beside the table, and it cannot "
                                  "be put back: " +
                                  e.what());
    }
    WriteLock lock(*writer);
    RecoverJournal(*writer);
}

// An error about a value, with the table's file named first (unless it names a file already).
Error Table::InFile(const Error& e) const {
    const std::string what = e.what();
    if (what.find(FFile.Path()) != std::string::npos ||
        what.find(CompanionPath(FFile.Path(), "MB")) != std::string::npos)
        return e;
    return Error(e.Code(), FFile.Path() + ": " + what);
}

uint64_t Table::BlockOffset(uint16_t number) const {
    return uint64_t(FHeader.headerSize) + uint64_t(number - 1) * uint64_t(FHeader.blockSize);
}

std::vector<uint8_t> Table::ReadBlock(uint16_t number) const {
    std::vector<uint8_t> b(size_t(FHeader.blockSize));
    FFile.ReadAt(BlockOffset(number), b.data(), b.size());
    return b;
}

// Reads the header and walks the chain of data blocks from the first, checking every link, so that a damaged
// file is refused here and never read out of bounds or followed round a loop.
void Table::Load() {
    const std::string& path = FFile.Path();
    FFileSize = FFile.Size();
    uint8_t first[16];
    if (FFileSize < 0x58) throw Error(PDX_E_FORMAT, path + ": not a Paradox table (the file is too short)");
    FFile.ReadAt(0, first, sizeof first);
    const int headerSize = AnnouncedHeaderSize(first);
    if (headerSize < 0x58 || uint64_t(headerSize) > FFileSize)
        throw Error(PDX_E_FORMAT,
                    path + ": not a Paradox table (header size " + std::to_string(headerSize) + ")");
    std::vector<uint8_t> raw(static_cast<size_t>(headerSize));
    FFile.ReadAt(0, raw.data(), raw.size());
    Header h = ParseHeader(raw, path);
    auto broken = [&](const std::string& why) {
        return Error(PDX_E_FORMAT, path + ": damaged table (" + why + ")");
    };
    const uint64_t blocksInFile = (FFileSize - uint64_t(h.headerSize)) / uint64_t(h.blockSize);
    std::vector<Block> blocks;
    std::vector<bool> seen(size_t(std::min<uint64_t>(blocksInFile, 65535)) + 1);
    uint32_t count = 0;
    uint16_t prev = 0;
    const int capacity = h.Capacity();
    for (uint16_t b = h.firstBlock; b != 0;) {
        if (b > blocksInFile) throw broken("block " + std::to_string(b) + " lies beyond the end of the file");
        if (seen[b]) throw broken("the block chain runs in a loop at block " + std::to_string(b));
        seen[b] = true;
        uint8_t head[6];
        FFile.ReadAt(uint64_t(h.headerSize) + uint64_t(b - 1) * uint64_t(h.blockSize), head, sizeof head);
        if (LE16(head + 2) != prev)
            throw broken("block " + std::to_string(b) + " does not point back to block " +
                         std::to_string(prev));
        const int add = int16_t(LE16(head + 4));
        int records;
        if (add == -h.recordSize) {
            records = 0; // an empty block
        } else if (add < 0 || add % h.recordSize != 0 || add / h.recordSize + 1 > capacity) {
            throw broken("block " + std::to_string(b) + " claims an impossible record count");
        } else {
            records = add / h.recordSize + 1;
        }
        blocks.push_back({b, records, count});
        count += uint32_t(records);
        prev = b;
        b = LE16(head);
    }
    FHeader = std::move(h);
    FBlocks = std::move(blocks);
    FCount = count;
    FCached = -1;
}

void Table::Lock() {
    File* holder = &FFile;
    if (FFile.GetMode() != File::Mode::ReadWrite) {
        // Opened for reading: a File of its own holds the lock, keeping other users from writing. A file
        // nobody may write needs no lock.
        if (!FLockHolder) {
            try {
                FLockHolder = std::make_unique<File>(FFile.Path(), File::Mode::ReadWrite);
            } catch (const Error& e) {
                if (e.Code() == PDX_E_READONLY) return;
                throw;
            }
        }
        holder = FLockHolder.get();
    }
    holder->LockWrite();
    try {
        RecoverInterrupted();
    } catch (...) {
        holder->UnlockWrite();
        throw;
    }
}

void Table::Unlock() {
    FFile.UnlockWrite();
    FLockHolder.reset();
}

uint32_t Table::Refresh() {
    // Reads header and chain again every time: another user may have inserted records, and a damaged file
    // must be found here rather than read as if it were whole. The walk reads 6 bytes per block.
    RecoverInterrupted();
    Load();
    return FCount;
}

const uint8_t* Table::Record(uint32_t position) {
    if (position >= FCount)
        throw Error(PDX_E_ARGUMENT, FFile.Path() + ": record " + std::to_string(position + 1) + " of " +
                                        std::to_string(FCount) + " asked for");
    // Records are mostly read in order: the cached block first.
    if (FCached >= 0) {
        const Block& c = FBlocks[size_t(FCached)];
        if (position >= c.first && position - c.first < uint32_t(c.records))
            return FCache.data() + 6 + size_t(position - c.first) * size_t(FHeader.recordSize);
    }
    auto it = std::upper_bound(FBlocks.begin(), FBlocks.end(), position,
                               [](uint32_t p, const Block& b) { return p < b.first; });
    // upper_bound finds the first block starting after position; the record lies in the last non-empty
    // block before it.
    auto b = it;
    do {
        --b;
    } while (b->records == 0);
    const int index = int(b - FBlocks.begin());
    if (FCached != index) {
        FCache = ReadBlock(b->number);
        FCached = index;
    }
    return FCache.data() + 6 + size_t(position - b->first) * size_t(FHeader.recordSize);
}

void Table::ReadValue(uint32_t position, int field, PdxValue& value) {
    if (field < 0 || field >= int(FHeader.fields.size()))
        throw Error(PDX_E_ARGUMENT, FFile.Path() + ": no field " + std::to_string(field));
    const Field& f = FHeader.fields[size_t(field)];
    const BlobReader blobs = [this, &f](uint32_t pointer, uint32_t length) {
        if (!FBlobFile) {
            const std::string mb = CompanionPath(FFile.Path(), "MB");
            if (!Exists(mb)) throw Error(PDX_E_IO, mb + ": the blob file of field " + f.name + " is missing");
            FBlobFile = std::make_unique<File>(mb, File::Mode::Read);
        }
        return ReadBlob(*FBlobFile, pointer, length, f.name);
    };
    try {
        DecodeField(f, Record(position) + f.offset, FHeader.codePage, FStorage, value, &blobs);
    } catch (const Error& e) {
        throw InFile(e);
    }
}

// The position a record takes in key order: after every record whose key sorts before it. The key fields'
// bytes compare as stored (numbers are stored so that they do), an alpha value up to its first zero byte:
// other programs leave bytes of an older value after it.
uint32_t Table::KeyPosition(const std::vector<uint8_t>& record) {
    size_t keyBytes = 0;
    for (int k = 0; k < FHeader.keyFields; ++k)
        keyBytes += FHeader.fields[size_t(k)].size;
    std::vector<uint8_t> stored(keyBytes);
    uint32_t lo = 0, hi = FCount;
    while (lo < hi) {
        uint32_t mid = lo + (hi - lo) / 2;
        std::memcpy(stored.data(), Record(mid), keyBytes);
        for (int k = 0; k < FHeader.keyFields; ++k) {
            const Field& f = FHeader.fields[size_t(k)];
            if (f.type != PDX_ALPHA) continue;
            uint8_t* v = stored.data() + f.offset;
            uint8_t* end = static_cast<uint8_t*>(std::memchr(v, 0, f.size));
            if (end) std::memset(end, 0, size_t(v + f.size - end));
        }
        int c = std::memcmp(stored.data(), record.data(), keyBytes);
        if (c == 0)
            throw Error(PDX_E_VALUE, FFile.Path() + ": a record with this key is already in the table");
        if (c < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

// A blank autoincrement field, in the key or not, gets the next value: above every value in the table and
// the header's counter, which moves on past it.
void Table::FillAutoIncrements(std::vector<uint8_t>& record) {
    for (size_t k = 0; k < FHeader.fields.size(); ++k) {
        const Field& f = FHeader.fields[k];
        if (f.type != PDX_AUTOINC ||
            std::any_of(record.begin() + f.offset, record.begin() + f.offset + f.size,
                        [](uint8_t b) { return b; }))
            continue;
        int64_t next = std::max<int64_t>(FHeader.autoInc, 1);
        PdxValue v;
        for (uint32_t r = 0; r < FCount; ++r) {
            DecodeField(f, Record(r) + f.offset, FHeader.codePage, FStorage, v);
            if (v.kind == PDX_VALUE_INTEGER) next = std::max<int64_t>(next, v.i + 1);
        }
        PdxValue nv{};
        nv.kind = PDX_VALUE_INTEGER;
        nv.i = next;
        EncodeField(f, nv, FHeader.codePage, record.data() + f.offset);
        FHeader.autoInc = uint32_t(next + 1);
    }
}

// The block writes that put record at position, and the header they lead to.
std::vector<Table::Write> Table::PlanInsert(uint32_t position, const std::vector<uint8_t>& record,
                                            Header& h) {
    const size_t rs = size_t(h.recordSize);
    const int capacity = h.Capacity();
    std::vector<Write> writes;
    auto blockWrite = [&](uint16_t number, uint16_t next, uint16_t prev,
                          const std::vector<uint8_t>& records) {
        std::vector<uint8_t> b(size_t(h.blockSize), 0);
        PutLE16(&b[0], next);
        PutLE16(&b[2], prev);
        const int n = int(records.size() / rs);
        PutLE16(&b[4], uint16_t(int16_t((n - 1) * h.recordSize)));
        std::memcpy(&b[6], records.data(), records.size());
        writes.push_back({BlockOffset(number), std::move(b)});
    };
    const uint16_t newBlock = uint16_t(h.fileBlocks + 1);
    if (FBlocks.empty()) {
        if (h.fileBlocks == 65535) throw Error(PDX_E_VALUE, FFile.Path() + ": the table is full");
        blockWrite(newBlock, 0, 0, record);
        h.firstBlock = h.lastBlock = newBlock;
        h.fileBlocks = newBlock;
        return writes;
    }
    // The block that takes the record: the one holding the record now at position, or for an append the
    // last block of the chain.
    size_t bi = FBlocks.size() - 1;
    if (position < FCount) {
        bi = 0;
        while (FBlocks[bi].records == 0 || FBlocks[bi].first + uint32_t(FBlocks[bi].records) <= position)
            ++bi;
    }
    const Block& target = FBlocks[bi];
    std::vector<uint8_t> block = ReadBlock(target.number);
    const uint16_t next = LE16(&block[0]), prev = LE16(&block[2]);
    std::vector<uint8_t> records(block.begin() + 6,
                                 block.begin() + 6 + std::ptrdiff_t(size_t(target.records) * rs));
    const size_t slot = size_t(position - target.first);
    records.insert(records.begin() + std::ptrdiff_t(slot * rs), record.begin(), record.end());
    const int n = target.records + 1;
    if (n <= capacity) {
        blockWrite(target.number, next, prev, records);
        return writes;
    }
    // The block is full: a new block is linked in after it. An append at the end of the last block starts
    // the new block with the record alone; otherwise the records are shared out half and half.
    if (h.fileBlocks == 65535) throw Error(PDX_E_VALUE, FFile.Path() + ": the table is full");
    const int keep = (next == 0 && slot == size_t(target.records)) ? target.records : (n + 1) / 2;
    std::vector<uint8_t> head(records.begin(), records.begin() + std::ptrdiff_t(size_t(keep) * rs));
    std::vector<uint8_t> tail(records.begin() + std::ptrdiff_t(size_t(keep) * rs), records.end());
    blockWrite(target.number, newBlock, prev, head);
    blockWrite(newBlock, next, target.number, tail);
    if (next != 0) {
        std::vector<uint8_t> link(2);
        PutLE16(link.data(), newBlock);
        writes.push_back({BlockOffset(next) + 2, link});
    } else {
        h.lastBlock = newBlock;
    }
    h.fileBlocks = newBlock;
    return writes;
}

// Writes all or nothing, also when the process dies on the way: the before-images of every range and the
// old sizes of the .DB and the .PX go to the journal first (Journal.h, invariant 1); then the table is
// extended (a full disk fails there), written with its header last, the .PX rebuilt, both flushed, and the
// journal removed. A failure puts the before-images back at once; when even that fails, the journal stays
// and the next open puts them back.
void Table::Apply(const std::vector<Write>& writes, uint64_t newSize) {
    const std::string journal = JournalPath(FFile.Path());
    const std::string pxPath = CompanionPath(FFile.Path(), "PX");
    std::unique_ptr<File> px; // a keyed table without a .PX has none to keep
    if (FHeader.Keyed() && Exists(pxPath)) px = std::make_unique<File>(pxPath, File::Mode::ReadWrite);
    std::vector<JournalEntry> images(1);
    images[0] = {JournalTarget::Table, FFile.Size(), {}};
    for (const Write& w : writes) {
        if (w.offset >= images[0].oldSize) continue;
        JournalRange r{w.offset, std::vector<uint8_t>(size_t(
                                     std::min<uint64_t>(w.bytes.size(), images[0].oldSize - w.offset)))};
        FFile.ReadAt(r.offset, r.bytes.data(), r.bytes.size());
        images[0].ranges.push_back(std::move(r));
    }
    if (px) {
        JournalEntry index{JournalTarget::Index, px->Size(), {}};
        if (index.oldSize > 0) {
            index.ranges.push_back({0, std::vector<uint8_t>(size_t(index.oldSize))});
            px->ReadAt(0, index.ranges[0].bytes.data(), index.ranges[0].bytes.size());
        }
        images.push_back(std::move(index));
    }
    WriteJournal(journal, images);
    try {
        if (newSize > images[0].oldSize) FFile.SetSize(newSize);
        for (const Write& w : writes)
            FFile.WriteAt(w.offset, w.bytes.data(), w.bytes.size());
        if (px) WritePrimaryIndex(*px);
        FFile.Flush();
        if (px) px->Flush();
        RemoveFile(journal);
        FlushFolderOf(journal);
    } catch (...) {
        try {
            PutBack(images, FFile, px.get());
            RemoveFile(journal);
        } catch (...) {
            // The first error is the one to report; the journal puts the rest back on the next open.
        }
        throw;
    }
}

uint32_t Table::Insert(uint32_t position, const std::vector<PdxValue>& values) {
    const std::string& path = FFile.Path();
    if (FFile.GetMode() != File::Mode::ReadWrite)
        throw Error(PDX_E_READONLY, path + ": the table is open for reading only");
    if (values.size() != FHeader.fields.size())
        throw Error(PDX_E_ARGUMENT, path + ": " + std::to_string(values.size()) + " values for " +
                                        std::to_string(FHeader.fields.size()) + " fields");
    WriteLock lock(FFile);
    // Under the lock: an interrupted insert is put back, and another user may have changed the table.
    RecoverInterrupted();
    Load();
    std::vector<uint8_t> record(size_t(FHeader.recordSize), 0);
    try {
        for (size_t k = 0; k < values.size(); ++k)
            EncodeField(FHeader.fields[k], values[k], FHeader.codePage,
                        record.data() + FHeader.fields[k].offset);
    } catch (const Error& e) {
        throw InFile(e);
    }
    // Before the key is checked: an autoincrement key is given its value.
    FillAutoIncrements(record);
    if (FHeader.Keyed()) {
        for (int k = 0; k < FHeader.keyFields; ++k) {
            const Field& f = FHeader.fields[size_t(k)];
            if (record[size_t(f.offset)] == 0 &&
                (f.type == PDX_ALPHA ||
                 std::all_of(record.begin() + f.offset, record.begin() + f.offset + f.size,
                             [](uint8_t b) { return b == 0; })))
                throw Error(PDX_E_VALUE, path + ": key field " + f.name + " is blank");
        }
        position = KeyPosition(record);
    }
    if (position > FCount)
        throw Error(PDX_E_ARGUMENT, path + ": position " + std::to_string(position) + " beyond the " +
                                        std::to_string(FCount) + " records");
    Header h = FHeader;
    std::vector<Write> writes = PlanInsert(position, record, h);
    h.numRecords = FCount + 1;
    h.StoreCounters();
    if (h.HasDataHeader()) PutLE32(&h.raw[0x60], uint32_t(std::time(nullptr)));
    writes.push_back({0, h.raw}); // the header last: readers trust its counts
    Apply(writes, uint64_t(h.headerSize) + uint64_t(h.fileBlocks) * uint64_t(h.blockSize));
    Load();
    return position;
}

// Rewrites the .PX of a keyed table from its data blocks as they now stand (the .DB changes are written and
// not yet flushed). The journal holds its old bytes.
void Table::WritePrimaryIndex(File& px) {
    const std::string& pxPath = px.Path();
    Load();
    std::vector<uint8_t> old(16);
    if (px.Size() >= old.size()) px.ReadAt(0, old.data(), old.size());
    IndexLayout layout;
    size_t keyBytes = 0;
    for (int k = 0; k < FHeader.keyFields; ++k) {
        const Field& f = FHeader.fields[size_t(k)];
        layout.keyFields.push_back({f.type, uint8_t(f.type == PDX_BCD ? f.decimals : f.size)});
        keyBytes += f.size;
    }
    if (old.size() > 5 && old[5] >= 1 && old[5] <= 32) layout.blockSizeKiB = old[5]; // keep the index's own
    layout.fileVersionId = FHeader.versionId;
    layout.sortOrder = FHeader.raw[0x29];
    layout.tableRecords = FCount;
    const size_t slash = pxPath.find_last_of("/\\");
    layout.tableName = slash == std::string::npos ? pxPath : pxPath.substr(slash + 1);
    std::vector<IndexEntry> entries;
    for (const Block& b : FBlocks) {
        if (b.records == 0) continue;
        const uint8_t* first = Record(b.first);
        entries.push_back({std::vector<uint8_t>(first, first + keyBytes), b.number, uint16_t(b.records)});
    }
    std::vector<uint8_t> image = BuildPrimaryIndex(layout, entries);
    px.WriteAt(0, image.data(), image.size());
    if (image.size() != px.Size()) px.SetSize(image.size());
}

} // namespace Pdx

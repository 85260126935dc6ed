// Building and checking the primary index (.PX) image.
#include "engine/PrimaryIndex.h"

#include "engine/PdxError.h"

#include <algorithm>
#include <cstring>

namespace Pdx {

namespace {

constexpr size_t FixedHeader = 0x58; // the common header; a .PX has no data header after it
constexpr size_t BlockHeader = 6;    // next, prev, addDataSize
constexpr uint8_t BcdType = 0x17;    // its size byte holds the decimals, the field takes 17 bytes
constexpr size_t MaxBlocks = 0xFFFF; // block numbers are words
constexpr int MaxLevels = 32;        // two entries per block reach 65535 blocks in 16 levels

size_t FieldLength(const IndexKeyField& f) {
    return f.type == BcdType ? 17 : f.size;
}

size_t NameLength(int fileVersionId) {
    return fileVersionId >= 0x0C ? 261 : 79;
}

void PutLe16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void PutLe32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; i++)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
// A word in the data encoding of a short: big-endian with the top bit flipped.
void PutWord(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    uint16_t w = static_cast<uint16_t>(v) ^ 0x8000;
    b[at] = static_cast<uint8_t>(w >> 8);
    b[at + 1] = static_cast<uint8_t>(w);
}

void CheckLayout(const IndexLayout& layout) {
    if (layout.keyFields.empty() || layout.keyFields.size() > 255)
        throw Error(PDX_E_ARGUMENT, "primary index: a key has 1 to 255 fields, not " +
                                        std::to_string(layout.keyFields.size()));
    for (const IndexKeyField& f : layout.keyFields)
        if (FieldLength(f) == 0)
            throw Error(PDX_E_ARGUMENT,
                        "primary index: a key field of type " + std::to_string(f.type) + " has size 0");
    if (layout.blockSizeKiB < 0 || layout.blockSizeKiB > 32)
        throw Error(PDX_E_ARGUMENT,
                    "primary index: block size " + std::to_string(layout.blockSizeKiB) + " KiB (1 to 32)");
    if (layout.fileVersionId < 3 || layout.fileVersionId > 15)
        throw Error(PDX_E_ARGUMENT, "primary index: file version id " + std::to_string(layout.fileVersionId));
}

// An upper-level entry while building: counts are summed in full and stored modulo 65536.
struct Node {
    const std::vector<uint8_t>* key;
    uint64_t records;
    size_t child; // index of the block it names, in the level below
};

} // namespace

size_t IndexKeySize(const IndexLayout& layout) {
    size_t n = 0;
    for (const IndexKeyField& f : layout.keyFields)
        n += FieldLength(f);
    return n;
}

int IndexBlockSizeKiB(const IndexLayout& layout) {
    if (layout.blockSizeKiB > 0) return layout.blockSizeKiB;
    size_t recordSize = IndexKeySize(layout) + 6;
    return recordSize < 80 ? 2 : recordSize < 140 ? 3 : 16;
}

std::vector<uint8_t> BuildPrimaryIndex(const IndexLayout& layout, const std::vector<IndexEntry>& blocks) {
    CheckLayout(layout);
    const size_t keySize = IndexKeySize(layout);
    const size_t recordSize = keySize + 6;
    const size_t blockSize = static_cast<size_t>(IndexBlockSizeKiB(layout)) * 1024;
    if (recordSize > 0xFFFF)
        throw Error(PDX_E_ARGUMENT,
                    "primary index: the key is too long (" + std::to_string(keySize) + " bytes)");
    const size_t capacity = blockSize > BlockHeader ? (blockSize - BlockHeader) / recordSize : 0;
    if (capacity < 2)
        throw Error(PDX_E_ARGUMENT, "primary index: a " + std::to_string(blockSize / 1024) +
                                        " KiB block holds " + std::to_string(capacity) + " entries of " +
                                        std::to_string(recordSize) + " bytes; it needs room for two");

    uint64_t covered = 0;
    for (size_t i = 0; i < blocks.size(); i++) {
        const IndexEntry& e = blocks[i];
        if (e.key.size() != keySize)
            throw Error(PDX_E_ARGUMENT, "primary index: the key of data block " + std::to_string(e.block) +
                                            " has " + std::to_string(e.key.size()) +
                                            " bytes, the key fields " + std::to_string(keySize));
        if (e.block == 0) throw Error(PDX_E_ARGUMENT, "primary index: data block number 0");
        if (e.records == 0)
            throw Error(PDX_E_ARGUMENT, "primary index: data block " + std::to_string(e.block) +
                                            " holds no records (empty blocks are not indexed)");
        covered += e.records;
    }
    if (covered != layout.tableRecords)
        throw Error(PDX_E_ARGUMENT, "primary index: the blocks hold " + std::to_string(covered) +
                                        " records, the table " + std::to_string(layout.tableRecords));

    // levels[0] are the level-1 entries; each further level has one entry per block of the level below.
    std::vector<std::vector<Node>> levels;
    if (!blocks.empty()) {
        std::vector<Node> leaf;
        leaf.reserve(blocks.size());
        for (const IndexEntry& e : blocks)
            leaf.push_back({&e.key, e.records, 0});
        levels.push_back(std::move(leaf));
        while (levels.back().size() > capacity) {
            const std::vector<Node>& below = levels.back();
            std::vector<Node> up;
            for (size_t start = 0; start < below.size(); start += capacity) {
                uint64_t sum = 0;
                for (size_t i = start; i < below.size() && i < start + capacity; i++)
                    sum += below[i].records;
                up.push_back({below[start].key, sum, start / capacity});
            }
            levels.push_back(std::move(up));
        }
    }
    const int levelCount = static_cast<int>(levels.size());
    if (levelCount > MaxLevels)
        throw Error(PDX_E_UNSUPPORTED, "primary index: more than " + std::to_string(MaxLevels) + " levels");

    // Number the blocks top-down: the root is 1, then each level below in key order.
    std::vector<size_t> firstBlockOfLevel(levels.size());
    size_t blockCount = 0;
    uint64_t entryCount = 0;
    for (int lv = levelCount - 1; lv >= 0; lv--) {
        firstBlockOfLevel[lv] = blockCount + 1;
        blockCount += (levels[lv].size() + capacity - 1) / capacity;
        entryCount += levels[lv].size();
    }
    if (blockCount > MaxBlocks)
        throw Error(PDX_E_UNSUPPORTED,
                    "primary index: it would need " + std::to_string(blockCount) + " blocks (at most 65535)");

    const size_t nameLength = NameLength(layout.fileVersionId);
    const size_t realHeaderSize = FixedHeader + layout.keyFields.size() * 2 + 4 + nameLength;
    const size_t headerSize = (realHeaderSize + 0x7FF) / 0x800 * 0x800;
    std::vector<uint8_t> image(headerSize + blockCount * blockSize, 0);

    PutLe16(image, 0x00, static_cast<uint32_t>(recordSize));
    PutLe16(image, 0x02, static_cast<uint32_t>(headerSize));
    image[0x04] = 1; // primary index
    image[0x05] = static_cast<uint8_t>(blockSize / 1024);
    PutLe32(image, 0x06, static_cast<uint32_t>(entryCount));
    PutLe16(image, 0x0A, static_cast<uint32_t>(blockCount)); // next block to use: all are in use
    PutLe16(image, 0x0C, static_cast<uint32_t>(blockCount));
    PutLe16(image, 0x0E, blockCount ? 1 : 0);
    PutLe16(image, 0x10, static_cast<uint32_t>(blockCount)); // the chain ends at the last block
    PutLe16(image, 0x12, 17);                                // what .PX files carry here
    PutLe16(image, 0x1E, blockCount ? 1 : 0);                // the root
    image[0x20] = static_cast<uint8_t>(levelCount);
    PutLe16(image, 0x21, static_cast<uint32_t>(layout.keyFields.size()));
    image[0x29] = layout.sortOrder;
    image[0x2C] = 0x66;
    image[0x39] = static_cast<uint8_t>(layout.fileVersionId);
    PutLe16(image, 0x3A, static_cast<uint32_t>(blockCount));
    PutLe32(image, 0x49, 1);
    PutLe16(image, 0x51, static_cast<uint32_t>(realHeaderSize));
    size_t at = FixedHeader;
    for (const IndexKeyField& f : layout.keyFields) {
        image[at++] = f.type;
        image[at++] = f.size;
    }
    at += 4; // the table name pointer, a run-time value
    std::memcpy(&image[at], layout.tableName.data(), std::min(layout.tableName.size(), nameLength - 1));

    size_t block = 1;
    for (int lv = levelCount - 1; lv >= 0; lv--) {
        const std::vector<Node>& entries = levels[lv];
        for (size_t start = 0; start < entries.size(); start += capacity, block++) {
            size_t n = std::min(capacity, entries.size() - start);
            size_t base = headerSize + (block - 1) * blockSize;
            PutLe16(image, base, block < blockCount ? static_cast<uint32_t>(block + 1) : 0);
            PutLe16(image, base + 2, static_cast<uint32_t>(block - 1));
            PutLe16(image, base + 4, static_cast<uint32_t>((n - 1) * recordSize));
            for (size_t i = 0; i < n; i++) {
                const Node& e = entries[start + i];
                size_t r = base + BlockHeader + i * recordSize;
                std::memcpy(&image[r], e.key->data(), keySize);
                uint32_t target = lv == 0 ? blocks[start + i].block
                                          : static_cast<uint32_t>(firstBlockOfLevel[lv - 1] + e.child);
                PutWord(image, r + keySize, target);
                PutWord(image, r + keySize + 2, static_cast<uint32_t>(e.records));
                PutWord(image, r + keySize + 4, 0);
            }
        }
    }
    return image;
}

namespace {

class IndexReader {
public:
    IndexReader(const std::vector<uint8_t>& image, const IndexLayout& layout, const std::string& name)
        : FImage(image), FLayout(layout), FName(name) {}

    ParsedIndex Parse();

private:
    const std::vector<uint8_t>& FImage;
    const IndexLayout& FLayout;
    const std::string& FName;
    size_t FRecordSize = 0, FKeySize = 0, FBlockSize = 0, FHeaderSize = 0, FCapacity = 0, FFileBlocks = 0;
    std::vector<uint16_t> FCount;     // entries per block, from the chain walk (0: not in the chain)
    std::vector<bool> FUsed;          // reached from the root
    std::vector<bool> FDataBlockSeen; // data blocks named at level 1
    ParsedIndex FResult;

    [[noreturn]] void Fail(const std::string& cause) const {
        throw Error(PDX_E_FORMAT, FName + ": " + cause);
    }
    uint32_t Le16(size_t at) const { return FImage[at] | FImage[at + 1] << 8; }
    uint32_t Le32(size_t at) const { return Le16(at) | Le16(at + 2) << 16; }
    uint32_t Word(size_t at) const {
        return (static_cast<uint32_t>(FImage[at] << 8) | FImage[at + 1]) ^ 0x8000;
    }
    size_t BlockAt(size_t block) const { return FHeaderSize + (block - 1) * FBlockSize; }
    size_t RecordAt(size_t block, size_t i) const { return BlockAt(block) + BlockHeader + i * FRecordSize; }
    void WalkChain();
    uint64_t Visit(size_t block, int level);
};

ParsedIndex IndexReader::Parse() {
    if (FImage.size() < FixedHeader)
        Fail("shorter than a file header (" + std::to_string(FImage.size()) + " bytes)");
    if (FImage[0x04] != 1) Fail("not a primary index (file type " + std::to_string(FImage[0x04]) + ")");
    const size_t fields = Le16(0x21);
    if (fields != FLayout.keyFields.size())
        Fail("the index has " + std::to_string(fields) + " key fields, the table " +
             std::to_string(FLayout.keyFields.size()));
    FHeaderSize = Le16(0x02);
    if (FHeaderSize < FixedHeader + fields * 2 || FHeaderSize > FImage.size())
        Fail("header size " + std::to_string(FHeaderSize) + " does not fit the file");
    for (size_t i = 0; i < fields; i++) {
        const IndexKeyField& want = FLayout.keyFields[i];
        uint8_t type = FImage[FixedHeader + 2 * i], size = FImage[FixedHeader + 2 * i + 1];
        if (type != want.type || size != want.size)
            Fail("key field " + std::to_string(i + 1) + " is (type " + std::to_string(type) + ", size " +
                 std::to_string(size) + ") in the index but (type " + std::to_string(want.type) + ", size " +
                 std::to_string(want.size) + ") in the table");
    }
    FKeySize = IndexKeySize(FLayout);
    FRecordSize = Le16(0x00);
    if (FRecordSize != FKeySize + 6)
        Fail("record size " + std::to_string(FRecordSize) + ", expected " + std::to_string(FKeySize + 6));
    const unsigned kib = FImage[0x05];
    if (kib < 1 || kib > 32) Fail("block size " + std::to_string(kib) + " KiB");
    FBlockSize = kib * 1024;
    FCapacity = (FBlockSize - BlockHeader) / FRecordSize;
    if (FCapacity == 0) Fail("a block cannot hold one entry");
    FFileBlocks = Le16(0x0C);
    if (FImage.size() - FHeaderSize < FFileBlocks * FBlockSize)
        Fail("the file ends before its " + std::to_string(FFileBlocks) + " blocks");

    const uint32_t entries = Le32(0x06);
    const unsigned root = Le16(0x1E);
    FResult.levels = FImage[0x20];
    if (FFileBlocks == 0) {
        if (Le16(0x0E) != 0 || entries != 0 || FResult.levels != 0)
            Fail("no blocks, but a first block, entries or levels");
    } else {
        if (FResult.levels < 1 || FResult.levels > MaxLevels)
            Fail(std::to_string(FResult.levels) + " index levels");
        if (root < 1 || root > FFileBlocks)
            Fail("root block " + std::to_string(root) + " of " + std::to_string(FFileBlocks));
        WalkChain();
        uint64_t chainEntries = 0;
        for (uint16_t n : FCount)
            chainEntries += n;
        if (chainEntries != entries)
            Fail("the header counts " + std::to_string(entries) + " entries, the blocks hold " +
                 std::to_string(chainEntries));
        FUsed.assign(FFileBlocks + 1, false);
        FDataBlockSeen.assign(0x10000, false);
        Visit(root, FResult.levels);
        for (size_t b = 1; b <= FFileBlocks; b++)
            if (FCount[b] && !FUsed[b])
                Fail("block " + std::to_string(b) + " is in the chain but not reached from the root");
    }
    uint64_t total = 0;
    for (const IndexEntry& e : FResult.leaf)
        total += e.records;
    if (total != FLayout.tableRecords)
        Fail("the index covers " + std::to_string(total) + " records, but the table has " +
             std::to_string(FLayout.tableRecords));
    FResult.totalRecords = static_cast<uint32_t>(total);
    return std::move(FResult);
}

void IndexReader::WalkChain() {
    FCount.assign(FFileBlocks + 1, 0);
    size_t prev = 0, block = Le16(0x0E);
    if (block == 0) Fail("the chain is empty but the file has " + std::to_string(FFileBlocks) + " blocks");
    while (block != 0) {
        if (block > FFileBlocks)
            Fail("block " + std::to_string(block) + " is past the end (" + std::to_string(FFileBlocks) +
                 " blocks)");
        if (FCount[block]) Fail("the block chain loops at block " + std::to_string(block));
        size_t at = BlockAt(block);
        if (Le16(at + 2) != prev)
            Fail("block " + std::to_string(block) + " links back to " + std::to_string(Le16(at + 2)) +
                 ", not to " + std::to_string(prev));
        int16_t addDataSize = static_cast<int16_t>(Le16(at + 4));
        if (addDataSize < 0) Fail("block " + std::to_string(block) + " in the chain is empty");
        if (static_cast<size_t>(addDataSize) % FRecordSize != 0 ||
            static_cast<size_t>(addDataSize) / FRecordSize + 1 > FCapacity)
            Fail("block " + std::to_string(block) + " has a bad record count (" +
                 std::to_string(addDataSize) + " bytes after its first entry)");
        FCount[block] = static_cast<uint16_t>(addDataSize / FRecordSize + 1);
        prev = block;
        block = Le16(at);
    }
    if (Le16(0x10) != prev)
        Fail("the chain ends at block " + std::to_string(prev) + ", the header says " +
             std::to_string(Le16(0x10)));
}

// Checks the subtree of `block` at `level` and returns the records it covers (in full, not modulo 65536).
uint64_t IndexReader::Visit(size_t block, int level) {
    if (FUsed[block]) Fail("block " + std::to_string(block) + " is reached twice from the root");
    FUsed[block] = true;
    if (FCount[block] == 0)
        Fail("block " + std::to_string(block) + " is named in the index but is not in its chain");
    uint64_t covered = 0;
    for (size_t i = 0; i < FCount[block]; i++) {
        size_t r = RecordAt(block, i);
        uint32_t target = Word(r + FKeySize), records = Word(r + FKeySize + 2);
        if (level == 1) {
            if (target == 0) Fail("block " + std::to_string(block) + " names data block 0");
            if (records == 0) Fail("data block " + std::to_string(target) + " is indexed with 0 records");
            if (FDataBlockSeen[target]) Fail("data block " + std::to_string(target) + " is indexed twice");
            FDataBlockSeen[target] = true;
            IndexEntry e;
            e.key.assign(FImage.begin() + static_cast<std::ptrdiff_t>(r),
                         FImage.begin() + static_cast<std::ptrdiff_t>(r + FKeySize));
            e.block = static_cast<uint16_t>(target);
            e.records = static_cast<uint16_t>(records);
            FResult.leaf.push_back(std::move(e));
            covered += records;
        } else {
            if (target < 1 || target > FFileBlocks)
                Fail("block " + std::to_string(block) + " names index block " + std::to_string(target) +
                     " of " + std::to_string(FFileBlocks));
            if (FCount[target] && std::memcmp(&FImage[r], &FImage[RecordAt(target, 0)], FKeySize) != 0)
                Fail("the key of block " + std::to_string(target) + " in block " + std::to_string(block) +
                     " is not the first key of that block");
            uint64_t below = Visit(target, level - 1);
            if ((below & 0xFFFF) != records)
                Fail("block " + std::to_string(block) + " counts " + std::to_string(records) +
                     " records for block " + std::to_string(target) + ", which covers " +
                     std::to_string(below));
            covered += below;
        }
    }
    return covered;
}

} // namespace

ParsedIndex ParsePrimaryIndex(const std::vector<uint8_t>& image, const IndexLayout& layout,
                              const std::string& fileName) {
    if (layout.keyFields.empty()) throw Error(PDX_E_ARGUMENT, fileName + ": the table has no key");
    return IndexReader(image, layout, fileName).Parse();
}

} // namespace Pdx

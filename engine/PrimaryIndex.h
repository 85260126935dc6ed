// The primary index (.PX) of a keyed table, as bytes: built whole from the table's data blocks, and parsed
// back with every count and link checked.
//
//   Pdx::IndexLayout layout{keyFields, 0, dbHeader[0x39], dbHeader[0x29], recordCount, "CUSTOMER.PX"};
//   std::vector<Pdx::IndexEntry> blocks; // per data block in chain (= key) order: first key, number, records
//   std::vector<uint8_t> px = Pdx::BuildPrimaryIndex(layout, blocks);
//   Pdx::ParsedIndex back = Pdx::ParsePrimaryIndex(px, layout, "CUSTOMER.PX"); // back.leaf == blocks
//
// The .PX has the header and block structure of a table (file type 1, no data header, no field names). Its
// records are <key fields><block><record count><0>, the three words in the data encoding of a short
// (big-endian, top bit flipped). Level 1 holds one entry per data block: the block's first key, its number
// and its record count. Each higher level holds one entry per .PX block of the level below: that block's
// first key, its number, and the records it covers (the sum of its entries' counts, kept modulo 65536 because
// the word holds no more). Levels are added until one block, the root, remains. Header 0x1E names the root,
// 0x20 the number of levels, 0x06 the number of entries of all levels.
//
// Block order follows the one independent writer we can check against: the root is block 1, then each level
// from the top down, the blocks of a level in key order, all chained in that order. With one or two levels
// the result is byte for byte what that writer produces (apart from the run-time pointers it leaves in the
// header); it stops at two levels, this code builds as many as the table needs. An empty table gets a .PX
// with no blocks, root 0 and 0 levels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Pdx {

// A key field as the .DB header describes it. For BCD (type 0x17) the size byte is the number of decimals
// and the field takes 17 bytes.
struct IndexKeyField {
    uint8_t type;
    uint8_t size;
};

struct IndexLayout {
    std::vector<IndexKeyField> keyFields; // the table's first primaryKeyFields fields
    // The .PX block size in KiB (1..32); 0 picks it from the index record size as the independent writer
    // does: 2 below 80 bytes, 3 below 140, else 16.
    int blockSizeKiB = 0;
    int fileVersionId = 0x0C;  // byte 0x39 of the .DB (3..15); 0x0C and above reserve 261 bytes for the name
    uint8_t sortOrder = 0x62;  // byte 0x29 of the .DB
    uint32_t tableRecords = 0; // the records of the table: the index must cover exactly these
    std::string tableName; // written into the header's name field (usually the .PX file name); may be empty
};

// One index entry. key: the key bytes exactly as stored at the start of the record.
struct IndexEntry {
    std::vector<uint8_t> key;
    uint16_t block = 0;
    uint16_t records = 0;
    bool operator==(const IndexEntry&) const = default;
};

// Bytes of the key fields in a record, and of a .PX record (key + 6).
size_t IndexKeySize(const IndexLayout& layout);
// The .PX block size in KiB that BuildPrimaryIndex uses for this layout.
int IndexBlockSizeKiB(const IndexLayout& layout);

// The complete .PX image for a table whose data blocks, in chain (= key) order, are `blocks` (every one
// holding at least one record). Throws Error(PDX_E_ARGUMENT) for a bad layout, a key of the wrong size, block
// 0, an empty block, or records that do not add up to layout.tableRecords; PDX_E_UNSUPPORTED when the index
// would need more than 65535 blocks.
std::vector<uint8_t> BuildPrimaryIndex(const IndexLayout& layout, const std::vector<IndexEntry>& blocks);

struct ParsedIndex {
    int levels = 0;
    std::vector<IndexEntry> leaf; // the level-1 entries in key order
    uint32_t totalRecords = 0;    // the records they cover
};

// Parses a .PX image and checks it against the table: header, key fields, the block chain (no loop, no
// block past the end, prev links, counts within a block's capacity, the entry total of the header), the
// tree from the root (each block used once, each upper entry's key and count matching the block it names),
// distinct data blocks, and the records covered equal to layout.tableRecords. Any inconsistency throws
// Error(PDX_E_FORMAT, "<fileName>: <cause>"). Never reads outside the image.
ParsedIndex ParsePrimaryIndex(const std::vector<uint8_t>& image, const IndexLayout& layout,
                              const std::string& fileName = "primary index");

} // namespace Pdx

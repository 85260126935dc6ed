// pxlib as the independent writer and reader of keyed tables and their primary index, for the index tests
// (native tree only: HAVE_PXLIB).
//
//   PxKeyedTable t{fields, 1, 1, records};           // fields {type, length}, key = first field, 1 KiB
//   blocks MakeKeyedTableWithPxlib(t, dir + "/T.DB", dir + "/T.PX"); std::vector<Pdx::IndexEntry> blocks =
//   DataBlocksOf(dir + "/T.DB", keySize); // walked here, not by pxlib PxlibIndexView v =
//   ReadIndexWithPxlib(dir + "/T.DB", dir + "/T.PX");          // pxlib takes it or says why
#pragma once
#ifdef HAVE_PXLIB

#include "engine/PrimaryIndex.h"

#include <cstdint>
#include <string>
#include <vector>

struct PxField {
    uint8_t type;
    int length;
};

struct PxKeyedTable {
    std::vector<PxField> fields;
    int keyFields;
    int blockSizeKiB;                          // of the .DB
    std::vector<std::vector<uint8_t>> records; // raw records in key order
};

// Writes the .DB with pxlib (records appended in the order given) and lets pxlib write its .PX. Throws
// std::runtime_error with pxlib's messages on failure.
void MakeKeyedTableWithPxlib(const PxKeyedTable& table, const std::string& dbPath, const std::string& pxPath);

// The data blocks of a .DB in chain order: first key, number and record count, walked from the bytes.
std::vector<Pdx::IndexEntry> DataBlocksOf(const std::string& dbPath, size_t keySize);

struct PxlibIndexEntry {
    int level, block, records, inBlock;
    bool operator==(const PxlibIndexEntry&) const = default;
};

// What pxlib makes of a .DB with a .PX: whether PX_read_primary_index and PX_add_primary_index took the index
// (and pxlib's messages if not), the entries as it read them, and every record read through the index.
struct PxlibIndexView {
    bool accepted = false;
    std::string messages;
    std::vector<PxlibIndexEntry> entries;
    std::vector<std::vector<uint8_t>> records;
};
PxlibIndexView ReadIndexWithPxlib(const std::string& dbPath, const std::string& pxPath);

std::vector<uint8_t> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

#endif

// One open Paradox table: its header, the chain of its data blocks, records read by position, and records
// inserted all or nothing under the table's write lock, through the rollback journal (Journal.h): opening
// and refreshing first put back what an insert interrupted by the death of its process left behind.
//
//   Pdx::Table t(path, /*write=*/true);          // shared; PDX_E_FORMAT for a damaged file
//   uint32_t n = t.Refresh();                    // re-reads what another user changed; the walked count
//   PdxValue v; t.ReadValue(0, 1, v);            // text stays valid until the next ReadValue
//   t.Insert(n - 1, values);                     // before the last record (in key order when keyed)
//
// Errors are Pdx::Error with the C interface's status codes.
#pragma once

#include "engine/File.h"
#include "engine/PdxError.h"
#include "engine/PdxFormat.h"

#include <memory>

namespace Pdx {

class Table {
public:
    Table(const std::string& path, bool write);

    const Header& GetHeader() const { return FHeader; }
    uint32_t Count() const { return FCount; }
    uint32_t Refresh();
    void ReadValue(uint32_t position, int field, PdxValue& value);
    // Inserts one record (one value per field); returns the position it took.
    uint32_t Insert(uint32_t position, const std::vector<PdxValue>& values);
    // Holds the write lock across calls (waiting up to 2 s), so that what is read and what is inserted
    // meanwhile are one step for other users; Unlock or closing releases it. A table opened for reading
    // holds it through a File of its own; one on a file nobody may write needs none.
    void Lock();
    void Unlock();

private:
    struct Block {
        uint16_t number;
        int records;
        uint32_t first; // the position of its first record
    };
    struct Write {
        uint64_t offset;
        std::vector<uint8_t> bytes;
    };

    // Puts back the journal of an interrupted insert, if one is beside the table, under the write lock.
    void RecoverInterrupted();
    void Load();
    Error InFile(const Error& e) const;
    uint64_t BlockOffset(uint16_t number) const;
    std::vector<uint8_t> ReadBlock(uint16_t number) const;
    const uint8_t* Record(uint32_t position);
    uint32_t KeyPosition(const std::vector<uint8_t>& record);
    void FillAutoIncrements(std::vector<uint8_t>& record);
    std::vector<Write> PlanInsert(uint32_t position, const std::vector<uint8_t>& record, Header& header);
    // Writes all or nothing, through the journal, with the .PX of a keyed table rebuilt in the same step.
    void Apply(const std::vector<Write>& writes, uint64_t newSize);
    void WritePrimaryIndex(File& px);

    File FFile;
    Header FHeader;
    std::vector<Block> FBlocks;
    uint32_t FCount = 0;
    uint64_t FFileSize = 0;
    int FCached = -1; // index into FBlocks of the cached block
    std::vector<uint8_t> FCache;
    std::string FStorage;
    std::unique_ptr<File> FBlobFile;   // the .MB, opened when a value is first read from it
    std::unique_ptr<File> FLockHolder; // holds the lock for a table opened for reading (Lock)
};

} // namespace Pdx

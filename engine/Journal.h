// The rollback journal of a table: what makes an insert all or nothing even when the process dies in the
// middle of it.
//
//   std::vector<Pdx::JournalEntry> images = {{Pdx::JournalTarget::Table, db.Size(), {{0, oldHeader}, ...}}};
//   Pdx::WriteJournal(Pdx::JournalPath(db.Path()), images);  // complete and flushed: now change the files
//   ... write the .DB and the .PX, flush them ...
//   Pdx::RemoveFile(Pdx::JournalPath(db.Path()));            // the insert is done
//
//   Pdx::RecoverJournal(db);  // db open for writing and holding the write lock: a journal left behind is
//                             // put back into the .DB and the .PX, then removed
//
// Invariants:
//   1. The journal is complete and flushed (with its folder entry) before the first change to the table or
//      its index; it holds the before-image of every range that will change and each file's old size.
//   2. It is removed only after the table and the index are written and flushed, or put back.
//   3. A journal is read only under the table's write lock: the writer holds that lock from before the
//      journal is made until after it is removed, so a journal seen under the lock is one whose writer died.
//   4. A journal whose head or checksums are wrong was torn while it was written, before the table was
//      touched (1): it is ignored and removed. One that is whole but impossible (a range beyond the file's
//      old size) is refused with PDX_E_FORMAT and kept, since putting it back could damage the table.
//
// The file, NAME.JNL beside NAME.DB (.jnl beside .db), little-endian:
//   | off | size | meaning                                                        |
//   |   0 |    8 | "PDXJRNL" and 0x1A                                             |
//   |   8 |  u32 | format, 1                                                      |
//   |  12 |  u32 | length of the body that follows the head                       |
//   |  16 |  u32 | CRC-32 (the zip polynomial) of the body                        |
//   |  20 |  u32 | CRC-32 of bytes 0..19                                          |
//   |  24 |      | body: u8 file count (1 or 2), then per file:                   |
//   |     |      |   u8 target (0 the table, 1 its primary index), u64 old size,  |
//   |     |      |   u32 range count, then per range u64 offset, u32 length, bytes |
// Example: an insert that rewrites one 2 KiB block at 2048 and the header of a 6144-byte table journals
// 24 + 1 + 13 + 2 × 12 + 2048 + 2048 bytes: head, one file, two ranges, their old bytes.
#pragma once

#include "engine/File.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Pdx {

enum class JournalTarget : uint8_t { Table = 0, Index = 1 };

struct JournalRange {
    uint64_t offset = 0;
    std::vector<uint8_t> bytes;
};

struct JournalEntry {
    JournalTarget target = JournalTarget::Table;
    uint64_t oldSize = 0;
    std::vector<JournalRange> ranges; // in the order they were taken; put back in reverse
};

// The journal's path beside a table (or the path of its .DB).
std::string JournalPath(const std::string& tablePath);

uint32_t Crc32(const uint8_t* data, size_t size);

std::vector<uint8_t> EncodeJournal(const std::vector<JournalEntry>& entries);
// nullopt for a torn journal (invariant 4); Error(PDX_E_FORMAT, "<path>: ...") for an impossible one.
std::optional<std::vector<JournalEntry>> DecodeJournal(const std::vector<uint8_t>& bytes,
                                                       const std::string& path);

// Writes the journal in one piece and flushes it and its folder entry (invariant 1).
void WriteJournal(const std::string& path, const std::vector<JournalEntry>& entries);
// Puts the before-images back and each file's old size, and flushes. index may be null when no entry
// names it; when one does and the .PX is gone, it is made again.
void PutBack(const std::vector<JournalEntry>& entries, File& table, File* index);
// The recovery on opening: db is open for writing and holds the write lock. Returns true when a journal
// was put back, false when there was none or it was torn (and is removed).
bool RecoverJournal(File& db);

} // namespace Pdx

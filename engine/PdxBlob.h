// The blob file (.MB) beside a table: the memo and blob values too long for their field's leader.
//
//   Pdx::File mb(Pdx::CompanionPath(tablePath, "MB"), Pdx::File::Mode::Read);
//   std::string bytes = Pdx::ReadBlob(mb, LE32(field + leader), LE32(field + leader + 4), "Notes");
//
// A blob field in a record is a leader (the first bytes of the value) followed by 10 bytes, little-endian:
//   +0 u32  offset of the value's block in the .MB (low byte: the index in a shared block, FF for a block of
//           its own); 0 when the whole value is in the leader
//   +4 u32  length of the value
//   +8 u16  modification number
// The .MB is made of 4 KiB units. Every block starts with a type byte and a u16 count of units:
//   type 0  the file header (unit 0)
//   type 2  one value: +3 u32 length, +7 u16 modification number, the bytes from +9 (graphics: from +17,
//           the length counting 8 bytes more)
//   type 3  up to 64 short values in one unit: a 12-byte head, then 64 entries of 5 bytes at 12 + 5 × index:
//           +0 data offset / 16, +1 length / 16 rounded up, +2 u16 modification number, +4 length % 16
//           (16 for a multiple of 16; 0 for a deleted value)
//   type 4  free
// Every offset and length is checked against the file: a damaged or missing .MB is an error for the value,
// never bytes from elsewhere.
#pragma once

#include "engine/File.h"

#include <cstdint>
#include <string>

namespace Pdx {

// The path of a file beside a table with another extension ("MB", "PX"): in the case of the table's own
// extension, unless only the other case exists.
std::string CompanionPath(const std::string& tablePath, const std::string& extension);

// The value of a blob field kept in the .MB: pointer is the u32 after the leader, length the value's length.
// Throws PDX_E_FORMAT, naming the file and the field, when the pointer or the block is damaged.
std::string ReadBlob(File& mb, uint32_t pointer, uint32_t length, const std::string& fieldName,
                     bool graphic = false);

} // namespace Pdx

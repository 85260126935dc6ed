// The Paradox table format: the header of a .DB file and the encodings of its field values.
//
//   Header h = ParseHeader(bytes, path);     // validated: sizes, field list, version; throws PDX_E_FORMAT
//   PdxValue v; DecodeField(h.fields[k], record + h.fields[k].offset, h.codePage, storage, v);
//   EncodeField(h.fields[k], value, h.codePage, record + h.fields[k].offset);   // PDX_E_VALUE when refused
//
// Integers are stored big-endian with the sign bit flipped, numbers as big-endian doubles with the sign bit
// set (negative ones inverted), so that comparing the bytes sorts the values; all-zero bytes are blank.
#pragma once

#include "engine/PdxEngine.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Pdx {

struct Field {
    std::string name; // UTF-8
    uint8_t type = 0;
    uint8_t size = 0;   // bytes in the record (decimals for BCD in the header's size byte)
    int decimals = 0;   // BCD
    int offset = 0;     // in the record
    int sizeInfoAt = 0; // where the field's (type, size) pair sits in the header
};

struct Header {
    std::vector<uint8_t> raw; // the whole header as read, rewritten with the changed counters
    int recordSize = 0, headerSize = 0, blockSize = 0;
    uint8_t fileType = 0;  // 0 keyed, 2 not keyed
    uint8_t versionId = 0; // byte 0x39
    uint32_t numRecords = 0;
    uint16_t fileBlocks = 0, firstBlock = 0, lastBlock = 0;
    int keyFields = 0;
    int codePage = 0;
    uint32_t autoInc = 0;
    std::vector<Field> fields;

    int FileVersion() const; // 30, 35, 40, 50, 70
    int Capacity() const { return (blockSize - 6) / recordSize; }
    bool Keyed() const { return fileType == 0; }
    bool HasDataHeader() const { return versionId >= 5; }

    // Writes the counters back into raw.
    void StoreCounters();
};

Header ParseHeader(const std::vector<uint8_t>& bytes, const std::string& path);
// The header size the first bytes of a file announce (0x02), for reading the whole header.
int AnnouncedHeaderSize(const uint8_t* first16);

// Reads a value kept in the blob file (.MB): the blob pointer's offset and the value's length.
using BlobReader = std::function<std::string(uint32_t offset, uint32_t length)>;

// The value of one field of a record. Text goes into storage, which value.s then points into. A memo or
// blob value longer than the leader kept in the record comes from blobs (PDX_E_UNSUPPORTED without one).
void DecodeField(const Field& f, const uint8_t* data, int codePage, std::string& storage, PdxValue& value,
                 const BlobReader* blobs = nullptr);
// Stores a value in a record's field; a NULL value blanks it. Throws PDX_E_VALUE when the field cannot hold
// the value or its kind.
void EncodeField(const Field& f, const PdxValue& value, int codePage, uint8_t* data);

// Little-endian helpers for the header and block heads.
inline uint16_t LE16(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}
inline uint32_t LE32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline void PutLE16(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void PutLE32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

} // namespace Pdx

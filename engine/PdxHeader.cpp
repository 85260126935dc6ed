// The .DB header: read and validated field by field, and its counters written back.
#include "engine/PdxCodePage.h"
#include "engine/PdxError.h"
#include "engine/PdxFormat.h"

namespace Pdx {

namespace {

// The bytes a field of a known type takes in the record; 0 for a type whose size the header gives.
int FixedSize(uint8_t type) {
    switch (type) {
    case PDX_DATE:
    case PDX_LONG:
    case PDX_TIME:
    case PDX_AUTOINC:
        return 4;
    case PDX_SHORT:
        return 2;
    case PDX_CURRENCY:
    case PDX_NUMBER:
    case PDX_TIMESTAMP:
        return 8;
    case PDX_LOGICAL:
        return 1;
    case PDX_BCD:
        return 17;
    default:
        return 0;
    }
}

bool IsBlob(uint8_t type) {
    return type >= PDX_MEMO && type <= PDX_GRAPHIC;
}

} // namespace

int AnnouncedHeaderSize(const uint8_t* first16) {
    return LE16(first16 + 2);
}

int Header::FileVersion() const {
    if (versionId == 3) return 30;
    if (versionId == 4) return 35;
    if (versionId <= 9) return 40;
    if (versionId <= 0x0B) return 50;
    return 70;
}

Header ParseHeader(const std::vector<uint8_t>& b, const std::string& path) {
    auto bad = [&](const std::string& why) {
        return Error(PDX_E_FORMAT, path + ": not a Paradox table (" + why + ")");
    };
    if (b.size() < 0x58) throw bad("the file is shorter than a table header");
    Header h;
    h.raw = b;
    h.recordSize = LE16(&b[0]);
    h.headerSize = LE16(&b[2]);
    h.fileType = b[4];
    h.blockSize = int(b[5]) * 1024;
    h.numRecords = LE32(&b[6]);
    h.fileBlocks = LE16(&b[0x0C]);
    h.firstBlock = LE16(&b[0x0E]);
    h.lastBlock = LE16(&b[0x10]);
    const int numFields = LE16(&b[0x21]);
    h.keyFields = LE16(&b[0x23]);
    h.versionId = b[0x39];
    h.autoInc = LE32(&b[0x49]);
    if (h.fileType == 1 || (h.fileType >= 3 && h.fileType <= 8))
        throw bad("it is an index file, type " + std::to_string(h.fileType));
    if (h.fileType != 0 && h.fileType != 2) throw bad("unknown file type " + std::to_string(h.fileType));
    if (h.versionId < 3 || h.versionId > 15) throw bad("unknown file version " + std::to_string(h.versionId));
    if (b[5] < 1 || b[5] > 32) throw bad("block size of " + std::to_string(b[5]) + " KB");
    if (size_t(h.headerSize) != b.size()) throw bad("header size " + std::to_string(h.headerSize));
    if (h.recordSize < 1 || h.recordSize > h.blockSize - 6)
        throw bad("record size " + std::to_string(h.recordSize));
    if (numFields < 1 || numFields > 255) throw bad(std::to_string(numFields) + " fields");
    if (h.keyFields > numFields) throw bad("a key of more fields than the table has");
    if (h.fileType == 0 && h.keyFields == 0) throw bad("a keyed table without key fields");
    if (h.HasDataHeader()) {
        if (b.size() < 0x78) throw bad("the file is shorter than a table header");
        if (LE32(&b[0x5C]) != 0) throw Error(PDX_E_UNSUPPORTED, path + ": the table is encrypted");
        h.codePage = LE16(&b[0x6A]);
    } else if (LE32(&b[0x25]) != 0) {
        throw Error(PDX_E_UNSUPPORTED, path + ": the table is encrypted");
    }

    size_t at = h.HasDataHeader() ? 0x78 : 0x58;
    const size_t infoAt = at;
    if (infoAt + size_t(numFields) * 2 > b.size()) throw bad("the field list runs past the header");
    int offset = 0;
    for (int k = 0; k < numFields; ++k) {
        Field f;
        f.sizeInfoAt = int(infoAt + size_t(k) * 2);
        f.type = b[size_t(f.sizeInfoAt)];
        uint8_t sizeByte = b[size_t(f.sizeInfoAt) + 1];
        f.size = sizeByte;
        if (f.type == PDX_BCD) {
            f.decimals = sizeByte;
            f.size = 17;
            if (f.decimals > 32) throw bad("a BCD field of " + std::to_string(f.decimals) + " decimals");
        } else if (int fixed = FixedSize(f.type); fixed != 0 && fixed != sizeByte) {
            throw bad("field " + std::to_string(k + 1) + " of type " + std::to_string(f.type) + " has size " +
                      std::to_string(sizeByte));
        } else if (IsBlob(f.type) && sizeByte < 10) {
            throw bad("a blob field of " + std::to_string(sizeByte) + " bytes");
        } else if (sizeByte == 0) {
            throw bad("field " + std::to_string(k + 1) + " has no size");
        }
        f.offset = offset;
        offset += f.size;
        h.fields.push_back(f);
    }
    if (offset != h.recordSize)
        throw bad("the fields take " + std::to_string(offset) + " bytes, records " +
                  std::to_string(h.recordSize));
    at = infoAt + size_t(numFields) * 2 + 4 + size_t(numFields) * 4 + (h.versionId >= 0x0C ? 261 : 79);
    for (Field& f : h.fields) {
        size_t end = at;
        while (end < b.size() && b[end] != 0)
            ++end;
        if (end >= b.size()) throw bad("the field names run past the header");
        std::string name(reinterpret_cast<const char*>(&b[at]), end - at);
        try {
            f.name = CodePageToUtf8(name, h.codePage);
        } catch (const Error&) {
            f.name = name;
        }
        at = end + 1;
    }
    return h;
}

void Header::StoreCounters() {
    PutLE32(&raw[6], numRecords);
    PutLE16(&raw[0x0A], fileBlocks);
    PutLE16(&raw[0x0C], fileBlocks);
    PutLE16(&raw[0x0E], firstBlock);
    PutLE16(&raw[0x10], lastBlock);
    PutLE16(&raw[0x3A], fileBlocks);
    PutLE32(&raw[0x49], autoInc);
}

} // namespace Pdx

// Memo and blob values from the .MB file.
#include "engine/PdxBlob.h"

#include "engine/PdxError.h"
#include "engine/PdxFormat.h"

#include <cctype>

namespace Pdx {

namespace {

constexpr uint64_t Unit = 4096;

} // namespace

std::string CompanionPath(const std::string& tablePath, const std::string& extension) {
    size_t dot = tablePath.find_last_of('.');
    size_t sep = tablePath.find_last_of("/\\");
    const bool hasExt = dot != std::string::npos && (sep == std::string::npos || dot > sep);
    std::string base = hasExt ? tablePath.substr(0, dot) : tablePath;
    std::string upper = extension, lower = extension;
    for (char& c : upper)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    for (char& c : lower)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    const bool tableLower =
        hasExt && dot + 1 < tablePath.size() && std::islower(static_cast<unsigned char>(tablePath[dot + 1]));
    std::string preferred = base + "." + (tableLower ? lower : upper),
                other = base + "." + (tableLower ? upper : lower);
    if (!Exists(preferred) && Exists(other)) return other;
    return preferred;
}

std::string ReadBlob(File& mb, uint32_t where, uint32_t stated, const std::string& fieldName, bool graphic) {
    const uint64_t block = where & 0xFFFFFF00u;
    const unsigned index = where & 0xFFu;
    auto bad = [&](const std::string& why) {
        return Error(PDX_E_FORMAT, mb.Path() + ": field " + fieldName + ": " + why);
    };
    const uint64_t size = mb.Size();
    if (block == 0 || block % Unit != 0 || block + Unit > size)
        throw bad("the value's block at " + std::to_string(block) + " is not a block of the file");
    uint8_t head[12];
    mb.ReadAt(block, head, sizeof head);
    const uint64_t units = LE16(head + 1);
    if (head[0] == 2) {
        // 1. A block of its own: the length in the block must be the record's, and the bytes must lie inside
        //    the block and the file.
        const uint64_t skip = graphic ? 17 : 9;
        if (index != 0xFF) throw bad("a value's own block addressed with index " + std::to_string(index));
        if (LE32(head + 3) != stated)
            throw bad("the block holds " + std::to_string(LE32(head + 3)) + " bytes, the record says " +
                      std::to_string(stated));
        const uint64_t length = graphic ? (stated < 8 ? 0 : stated - 8) : stated;
        if (units == 0 || skip + length > units * Unit || block + skip + length > size)
            throw bad("the value runs past its block");
        std::string bytes(size_t(length), '\0');
        mb.ReadAt(block + skip, bytes.data(), bytes.size());
        return bytes;
    }
    if (head[0] == 3) {
        // 2. A shared block: the entry at the index gives offset and length in 16-byte steps.
        if (index >= 64) throw bad("index " + std::to_string(index) + " in a shared block of 64 values");
        uint8_t entry[5];
        mb.ReadAt(block + 12 + 5 * uint64_t(index), entry, sizeof entry);
        if (entry[4] == 0 || entry[4] > 16 || entry[1] == 0) throw bad("the value was deleted");
        const uint64_t length = (uint64_t(entry[1]) - 1) * 16 + entry[4];
        const uint64_t start = uint64_t(entry[0]) * 16;
        if (length != stated)
            throw bad("the block holds " + std::to_string(length) + " bytes, the record says " +
                      std::to_string(stated));
        if (start < 12 + 64 * 5 || start + length > Unit) throw bad("the value runs past its block");
        const uint64_t take = graphic ? (length < 8 ? 0 : length - 8) : length;
        std::string bytes(size_t(take), '\0');
        mb.ReadAt(block + start, bytes.data(), bytes.size());
        return bytes;
    }
    throw bad("the value's block is of type " + std::to_string(head[0]) + ", not a blob block");
}

} // namespace Pdx

// pxfixture: pxlib's reading of a table, printed as `pdxtool dump` prints it.
#include "tools/pxfixture/Fixture.h"

#include "tools/common/DumpFormat.h"

// pxlib's header declares its functions without C linkage.
extern "C" {
#include <paradox.h>
}

#include <charconv>
#include <cstdint>
#include <cstring>
#include <memory>

namespace Fixture {

using namespace DumpFormat;

namespace {

std::string gError;

void OnError(pxdoc_t*, int, const char* msg, void*) {
    if (gError.empty()) gError = msg;
}

uint16_t U16(const unsigned char* p) {
    return uint16_t(p[0] | (p[1] << 8));
}

// Follows the block chain before pxlib sees the file: pxlib would loop for ever on a cyclic chain and invent
// records after an empty block. Returns the number of records the blocks hold.
long WalkChain(const std::string& path, FILE* f) {
    auto fail = [&](const std::string& why) { return std::runtime_error(path + ": " + why); };
    unsigned char head[0x12];
    if (std::fseek(f, 0, SEEK_END) != 0) throw fail("cannot seek");
    long size = std::ftell(f);
    std::rewind(f);
    if (size < 0x12 || std::fread(head, 1, sizeof head, f) != sizeof head)
        throw fail("shorter than a header");
    const long recordSize = U16(head), headerSize = U16(head + 2), blockSize = long(head[5]) * 1024;
    if (recordSize == 0 || blockSize == 0 || headerSize == 0) throw fail("zero record, header or block size");
    if (size < headerSize) throw fail("shorter than its header");
    const long blocks = (size - headerSize) / blockSize;
    std::vector<bool> seen(size_t(blocks) + 1);
    long total = 0, prev = 0;
    for (long b = U16(head + 0x0E); b != 0;) {
        if (b > blocks) throw fail("block " + std::to_string(b) + " lies beyond the end of the file");
        if (seen[size_t(b)]) throw fail("the block chain loops at block " + std::to_string(b));
        seen[size_t(b)] = true;
        unsigned char bh[6];
        if (std::fseek(f, headerSize + (b - 1) * blockSize, SEEK_SET) != 0 || std::fread(bh, 1, 6, f) != 6)
            throw fail("cannot read block " + std::to_string(b));
        if (U16(bh + 2) != prev)
            throw fail("block " + std::to_string(b) + " does not point back to its predecessor");
        int16_t add = int16_t(U16(bh + 4));
        if (add < 0) throw fail("empty block " + std::to_string(b) + " in the chain (pxlib misreads it)");
        if (add % recordSize != 0 || add / recordSize + 1 > (blockSize - 6) / recordSize)
            throw fail("block " + std::to_string(b) + " claims an impossible record count");
        total += add / recordSize + 1;
        prev = b;
        b = U16(bh);
    }
    std::rewind(f);
    return total;
}

bool AllZero(const char* p, int n) {
    for (int i = 0; i < n; ++i)
        if (p[i] != 0) return false;
    return true;
}

uint32_t LE32(const char* p) {
    auto u = [&](int i) { return uint32_t(static_cast<unsigned char>(p[i])); };
    return u(0) | (u(1) << 8) | (u(2) << 16) | (u(3) << 24);
}

// A value kept in the blob file: a block of its own (type 2, data at +9) or an entry of a shared block
// (type 3, 5-byte entries from +12: offset / 16, length / 16 rounded up, modification, length % 16).
std::string ReadMbValue(const std::string& mb, uint32_t pointer, uint32_t length, const std::string& field) {
    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(mb.c_str(), "rb"), std::fclose);
    auto fail = [&](const std::string& why) {
        return std::runtime_error(mb + ": field " + field + ": " + why);
    };
    if (!f) throw fail("cannot open the blob file");
    const long block = long(pointer & 0xFFFFFF00u);
    char head[12];
    if (std::fseek(f.get(), block, SEEK_SET) != 0 || std::fread(head, 1, 12, f.get()) != 12)
        throw fail("no block");
    long at = 0;
    if (head[0] == 2) {
        at = block + 9;
    } else if (head[0] == 3) {
        unsigned char e[5];
        if (std::fseek(f.get(), block + 12 + long(pointer & 0xFF) * 5, SEEK_SET) != 0 ||
            std::fread(e, 1, 5, f.get()) != 5)
            throw fail("no entry");
        at = block + long(e[0]) * 16;
    } else {
        throw fail("a block of type " + std::to_string(int(head[0])));
    }
    std::string bytes(length, '\0');
    if (std::fseek(f.get(), at, SEEK_SET) != 0 || std::fread(bytes.data(), 1, length, f.get()) != length)
        throw fail("the value runs past the file");
    return bytes;
}

} // namespace

std::string BlobPath(const std::string& tablePath) {
    size_t dot = tablePath.find_last_of('.');
    size_t slash = tablePath.find_last_of('/');
    std::string base = dot == std::string::npos || (slash != std::string::npos && dot < slash)
                           ? tablePath
                           : tablePath.substr(0, dot);
    bool upper = dot != std::string::npos && dot + 1 < tablePath.size() && tablePath[dot + 1] == 'D';
    return base + (upper ? ".MB" : ".mb");
}

void Dump(const std::string& path, FILE* out) {
    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!f) throw std::runtime_error(path + ": cannot open");
    long walked = WalkChain(path, f.get());
    PX_boot();
    pxdoc_t* d = PX_new2(OnError, nullptr, nullptr, nullptr);
    std::unique_ptr<pxdoc_t, void (*)(pxdoc_t*)> guard(d, [](pxdoc_t* p) { PX_delete(p); });
    gError.clear();
    if (PX_open_fp(d, f.get()) < 0) throw std::runtime_error(path + ": " + gError);
    pxhead_t* h = d->px_head;
    if (h->px_numrecords != walked)
        throw std::runtime_error(path + ": the header counts " + std::to_string(h->px_numrecords) +
                                 " records, the blocks hold " + std::to_string(walked));
    const int codePage = h->px_doscodepage;
    // Memos and blobs longer than their leader live in the blob file beside the table.
    const std::string mb = BlobPath(path);
    auto text = [&](const std::string& bytes) {
        return Escape(codePage != 0 ? FromCodePage(bytes, codePage) : bytes);
    };
    std::vector<char> rec(size_t(h->px_recordsize));
    for (long r = 0; r < walked; ++r) {
        if (PX_get_record(d, int(r), rec.data()) == nullptr)
            throw std::runtime_error(path + ": record " + std::to_string(r + 1) + ": " + gError);
        std::string line;
        int off = 0;
        for (int k = 0; k < h->px_numfields; ++k) {
            const pxfield_t& fld = h->px_fields[k];
            char* p = rec.data() + off;
            off += fld.px_flen;
            if (k > 0) line += '\t';
            line += fld.px_fname;
            line += '=';
            // Blank: all zero, or an alpha value whose first byte is zero (other programs leave bytes of an
            // older value after it).
            if (AllZero(p, fld.px_flen) || (fld.px_ftype == pxfAlpha && p[0] == 0)) {
                line += "NULL";
                continue;
            }
            long l = 0;
            short s = 0;
            double v = 0;
            char c = 0;
            switch (fld.px_ftype) {
            case pxfAlpha: {
                int n = 0;
                while (n < fld.px_flen && p[n] != 0)
                    ++n;
                line += text(std::string(p, size_t(n)));
                break;
            }
            case pxfMemoBLOb:
            case pxfFmtMemoBLOb:
            case pxfBLOb:
            case pxfOLE:
            case pxfGraphic: {
                // pxlib 0.6.8 overruns a stack buffer when it opens a blob file for reading
                // (PX_open_blob_file), so the pointer after the leader is followed here.
                const int leader = fld.px_flen - 10;
                const uint32_t length = LE32(p + leader + 4);
                std::string bytes = length <= uint32_t(leader)
                                        ? std::string(p, length)
                                        : ReadMbValue(mb, LE32(p + leader), length, fld.px_fname);
                if (bytes.empty())
                    line += "NULL";
                else if (fld.px_ftype == pxfMemoBLOb || fld.px_ftype == pxfFmtMemoBLOb)
                    line += text(bytes);
                else
                    line += Hex(bytes.data(), bytes.size());
                break;
            }
            case pxfBCD: {
                char* bcd = nullptr;
                if (PX_get_data_bcd(d, reinterpret_cast<unsigned char*>(p), fld.px_fdc, &bcd) < 0 || !bcd) {
                    if (bcd) d->free(d, bcd);
                    throw std::runtime_error(path + ": record " + std::to_string(r + 1) + ", field " +
                                             fld.px_fname + ": not a BCD value");
                }
                std::string s = bcd;
                d->free(d, bcd);
                if (!s.empty() && s.back() == '.') s.pop_back(); // no decimals
                line += s;
                break;
            }
            case pxfShort:
                PX_get_data_short(d, p, fld.px_flen, &s);
                line += std::to_string(s);
                break;
            case pxfLong:
            case pxfAutoInc:
                PX_get_data_long(d, p, fld.px_flen, &l);
                line += std::to_string(l);
                break;
            case pxfLogical:
                PX_get_data_byte(d, p, fld.px_flen, &c);
                line += c != 0 ? "true" : "false";
                break;
            case pxfNumber:
            case pxfCurrency:
                PX_get_data_double(d, p, fld.px_flen, &v);
                line += Shortest(v);
                break;
            case pxfDate:
                PX_get_data_long(d, p, fld.px_flen, &l);
                line += IsoDate(l);
                break;
            case pxfTime:
                PX_get_data_long(d, p, fld.px_flen, &l);
                line += IsoTime(l);
                break;
            case pxfTimestamp: {
                PX_get_data_double(d, p, fld.px_flen, &v);
                line += IsoTimestamp(v);
                break;
            }
            default:
                line += Hex(p, size_t(fld.px_flen));
                break;
            }
        }
        std::fprintf(out, "%s\n", line.c_str());
    }
}

} // namespace Fixture

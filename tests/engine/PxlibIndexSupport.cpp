// pxlib as the independent writer and reader of keyed tables and their primary index.
#ifdef HAVE_PXLIB
#include "tests/engine/PxlibIndexSupport.h"

// pxlib's header declares its functions without C linkage.
extern "C" {
#include <paradox.h>
}

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>

namespace {

void CollectMessage(pxdoc_t*, int, const char* msg, void* data) {
    auto* messages = static_cast<std::string*>(data);
    if (!messages->empty()) *messages += "; ";
    *messages += msg;
}

using DocPtr = std::unique_ptr<pxdoc_t, void (*)(pxdoc_t*)>;
using FilePtr = std::unique_ptr<FILE, int (*)(FILE*)>;

DocPtr NewDoc(std::string* messages) {
    PX_boot();
    pxdoc_t* d = PX_new3(CollectMessage, nullptr, nullptr, nullptr, messages);
    if (d == nullptr) throw std::runtime_error("pxlib cannot start");
    return DocPtr(d, [](pxdoc_t* p) { PX_delete(p); });
}

// pxlib keeps the field list it is given and frees it with its own allocator.
pxfield_t* FieldList(pxdoc_t* d, const std::vector<PxField>& fields, size_t count) {
    auto* pxf = static_cast<pxfield_t*>(d->malloc(d, sizeof(pxfield_t) * count, "fields"));
    for (size_t i = 0; i < count; ++i) {
        std::string name = "F" + std::to_string(i + 1);
        pxf[i].px_fname = static_cast<char*>(d->malloc(d, name.size() + 1, "field name"));
        std::memcpy(pxf[i].px_fname, name.c_str(), name.size() + 1);
        pxf[i].px_ftype = static_cast<char>(fields[i].type);
        pxf[i].px_flen = fields[i].length;
        pxf[i].px_fdc = 0;
    }
    return pxf;
}

uint32_t Le16(const std::vector<uint8_t>& b, size_t at) {
    return b.at(at) | b.at(at + 1) << 8;
}

} // namespace

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error(path + ": cannot open");
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error(path + ": cannot write");
}

void MakeKeyedTableWithPxlib(const PxKeyedTable& table, const std::string& dbPath,
                             const std::string& pxPath) {
    std::string messages;
    std::remove(dbPath.c_str());
    std::remove(pxPath.c_str());
    DocPtr db = NewDoc(&messages);
    pxdoc_t* d = db.get();
    if (PX_create_file(d, FieldList(d, table.fields, table.fields.size()),
                       static_cast<int>(table.fields.size()), dbPath.c_str(), pxfFileTypIndexDB) < 0 ||
        PX_set_value(d, "numprimkeys", static_cast<float>(table.keyFields)) < 0)
        throw std::runtime_error(dbPath + ": " + messages);
    d->px_head->px_maxtablesize = table.blockSizeKiB;
    for (const std::vector<uint8_t>& r : table.records) {
        std::vector<char> record(r.begin(), r.end());
        if (static_cast<int>(record.size()) != d->px_head->px_recordsize)
            throw std::runtime_error(dbPath + ": a record of " + std::to_string(record.size()) + " bytes");
        if (PX_put_record(d, record.data()) < 0) throw std::runtime_error(dbPath + ": " + messages);
    }
    DocPtr px = NewDoc(&messages);
    if (PX_create_file(px.get(), FieldList(px.get(), table.fields, static_cast<size_t>(table.keyFields)),
                       table.keyFields, pxPath.c_str(), pxfFileTypPrimIndex) < 0 ||
        PX_write_primary_index(d, px.get()) < 0)
        throw std::runtime_error(pxPath + ": " + messages);
    PX_close(px.get());
    PX_close(d);
}

std::vector<Pdx::IndexEntry> DataBlocksOf(const std::string& dbPath, size_t keySize) {
    std::vector<uint8_t> b = ReadFileBytes(dbPath);
    const size_t recordSize = Le16(b, 0), headerSize = Le16(b, 2), blockSize = size_t(b.at(5)) * 1024;
    std::vector<Pdx::IndexEntry> blocks;
    std::vector<bool> seen(0x10000, false);
    for (size_t block = Le16(b, 0x0E); block != 0;) {
        if (seen[block]) throw std::runtime_error(dbPath + ": the chain loops");
        seen[block] = true;
        size_t at = headerSize + (block - 1) * blockSize;
        int16_t addDataSize = static_cast<int16_t>(Le16(b, at + 4));
        if (addDataSize >= 0) {
            Pdx::IndexEntry e;
            e.key.assign(b.begin() + static_cast<std::ptrdiff_t>(at + 6),
                         b.begin() + static_cast<std::ptrdiff_t>(at + 6 + keySize));
            e.block = static_cast<uint16_t>(block);
            e.records = static_cast<uint16_t>(static_cast<size_t>(addDataSize) / recordSize + 1);
            blocks.push_back(std::move(e));
        }
        block = Le16(b, at);
    }
    return blocks;
}

PxlibIndexView ReadIndexWithPxlib(const std::string& dbPath, const std::string& pxPath) {
    PxlibIndexView view;
    PX_boot();
    FilePtr dbFile(std::fopen(dbPath.c_str(), "rb"), std::fclose);
    FilePtr pxFile(std::fopen(pxPath.c_str(), "rb"), std::fclose);
    if (!dbFile || !pxFile) throw std::runtime_error("cannot open " + dbPath + " or " + pxPath);
    // The index is deleted after the table, which only borrows its entries; pxlib leaves each entry's key
    // copy to its caller.
    DocPtr px(PX_new3(CollectMessage, nullptr, nullptr, nullptr, &view.messages), [](pxdoc_t* p) {
        if (auto* entries = static_cast<pxpindex_t*>(p->px_data))
            for (int i = 0; i < p->px_datalen; i++)
                p->free(p, entries[i].data);
        PX_delete(p);
    });
    DocPtr db = NewDoc(&view.messages);
    if (PX_open_fp(db.get(), dbFile.get()) < 0 || PX_open_fp(px.get(), pxFile.get()) < 0 ||
        PX_read_primary_index(px.get()) < 0)
        return view;
    auto* data = static_cast<pxpindex_t*>(px->px_data);
    for (int i = 0; i < px->px_datalen; i++)
        view.entries.push_back(
            {data[i].level, data[i].blocknumber, data[i].numrecords, data[i].myblocknumber});
    // PX_open_fp built an index of its own for the keyed table; PX_add_primary_index would drop it unfreed.
    if (db->px_indexdata && !db->px_pindex) {
        db->free(db.get(), db->px_indexdata);
        db->px_indexdata = nullptr;
        db->px_indexdatalen = 0;
    }
    if (PX_add_primary_index(db.get(), px.get()) < 0) return view;
    view.accepted = true;
    std::vector<char> record(static_cast<size_t>(db->px_head->px_recordsize));
    for (int i = 0; i < PX_get_num_records(db.get()); i++) {
        if (PX_get_record(db.get(), i, record.data()) == nullptr) {
            view.accepted = false;
            view.messages += "; record " + std::to_string(i) + " not read through the index";
            break;
        }
        view.records.emplace_back(record.begin(), record.end());
    }
    return view;
}

#endif

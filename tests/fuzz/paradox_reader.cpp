// libFuzzer target: the database engine reading a table file (with a blob file beside it) that may be
// damaged in any way, and putting back the journal of an interrupted insert found beside it. Every value of
// every record is read; the engine must answer with an error status, never crash, hang or read out of
// bounds.
//
// The input is the table, and from the first "PDXJRNL" on, the journal: a journal left by an insert that
// was killed (the seeds hold some) is put back into the table when it is opened. When the journal's length
// is even its checksums are made to agree first, so that mutations reach the reading of its body and the
// putting back; odd lengths keep them as they are and reach the test for a torn journal.
#include "engine/Journal.h"
#include "engine/PdxEngine.h"
#include "engine/PdxFormat.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return;
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string dir = "/tmp/fuzz-paradox-" + std::to_string(getpid());
    static const bool made = [] { return mkdir(dir.c_str(), 0700) == 0 || errno == EEXIST; }();
    if (!made) return 0;
    const std::string db = dir + "/t.db", mb = dir + "/t.mb", jnl = dir + "/t.jnl";
    const size_t at = std::string_view(reinterpret_cast<const char*>(data), size).find("PDXJRNL");
    const size_t tableSize = at == std::string_view::npos ? size : at;
    // The table's last quarter doubles as the blob file, so that blob pointers lead somewhere.
    WriteFile(db, data, tableSize);
    WriteFile(mb, data + tableSize - tableSize / 4, tableSize / 4);
    unlink((dir + "/t.px").c_str()); // made again by a journal that holds an index
    if (at == std::string_view::npos) {
        unlink(jnl.c_str());
    } else {
        std::vector<uint8_t> journal(data + at, data + size);
        if (journal.size() >= 24 && journal.size() % 2 == 0) {
            Pdx::PutLE32(&journal[12], uint32_t(journal.size() - 24));
            Pdx::PutLE32(&journal[16], Pdx::Crc32(journal.data() + 24, journal.size() - 24));
            Pdx::PutLE32(&journal[20], Pdx::Crc32(journal.data(), 20));
        }
        WriteFile(jnl, journal.data(), journal.size());
    }
    PdxTable* t = nullptr;
    if (pdx_open(db.c_str(), PDX_OPEN_READ, &t) != PDX_OK) return 0;
    PdxTableInfo info;
    uint32_t records = 0;
    if (pdx_table_info(t, &info) == PDX_OK && pdx_refresh(t, &records) == PDX_OK) {
        PdxFieldInfo field;
        for (int k = 0; k < info.field_count; ++k)
            pdx_field_info(t, k, &field);
        // A damaged header may claim millions of records: the first thousand say enough.
        for (uint32_t r = 0; r < records && r < 1000; ++r)
            for (int k = 0; k < info.field_count; ++k) {
                PdxValue v;
                if (pdx_get_value(t, r, k, &v) == PDX_OK && v.len > 0) {
                    volatile char first = v.s[0], last = v.s[v.len - 1];
                    (void)first;
                    (void)last;
                }
            }
    }
    pdx_close(t);
    return 0;
}

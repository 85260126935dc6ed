// libFuzzer target: the database engine reading a table file (with a blob file beside it) that may be
// damaged in any way. Every value of every record is read; the engine must answer with an error status,
// never crash, hang or read out of bounds.
#include "engine/PdxEngine.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

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
    // The input is the table; its last quarter doubles as the blob file, so that blob pointers lead
    // somewhere.
    const std::string db = dir + "/t.db", mb = dir + "/t.mb";
    WriteFile(db, data, size);
    WriteFile(mb, data + size - size / 4, size / 4);
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

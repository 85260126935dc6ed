// Opening a table of 100,000 template records and counting them by walking them, as the table component's
// First/Next/Eof loop does (the engine reads each record's first field), beside pxlib doing the same with the
// same table in the same run. Prints the median of 5 runs of each and their ratio.
#include "engine/PdxEngine.h"
#include "tools/pxfixture/Fixture.h"

extern "C" {
#include <paradox.h>
}

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <vector>

namespace {

double MedianMs(const std::function<uint32_t()>& run, uint32_t& counted) {
    std::vector<double> times;
    for (int i = 0; i < 5; ++i) {
        auto start = std::chrono::steady_clock::now();
        counted = run();
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[2];
}

void Quiet(pxdoc_t*, int, const char*, void*) {}

} // namespace

int main() {
    const uint32_t kRecords = 100000;
    const std::string path = (std::filesystem::temp_directory_path() / "bench-table-walk.db").string();
    std::filesystem::remove(path);
    Fixture::TableSpec spec;
    spec.path = path;
    spec.records = int(kRecords);
    auto made = std::chrono::steady_clock::now();
    Fixture::MakeTemplate(spec, "");
    std::printf("table: %u template records of 116 bytes, %ju bytes, made by pxlib in %.0f ms\n", kRecords,
                std::uintmax_t(std::filesystem::file_size(path)),
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - made).count());

    uint32_t ours = 0, theirs = 0;
    double engine = MedianMs(
        [&] {
            PdxTable* t = nullptr;
            uint32_t n = 0, count = 0;
            if (pdx_open(path.c_str(), PDX_OPEN_READ_WRITE, &t) != PDX_OK || pdx_refresh(t, &n) != PDX_OK) {
                std::fprintf(stderr, "engine: %s\n", pdx_last_error());
                std::exit(1);
            }
            PdxValue v;
            for (uint32_t r = 0; r < n; ++r)
                if (pdx_get_value(t, r, 0, &v) == PDX_OK) ++count;
            pdx_close(t);
            return count;
        },
        ours);
    double pxlib = MedianMs(
        [&] {
            PX_boot();
            FILE* f = std::fopen(path.c_str(), "rb");
            pxdoc_t* d = PX_new2(Quiet, nullptr, nullptr, nullptr);
            uint32_t count = 0;
            if (PX_open_fp(d, f) >= 0) {
                std::vector<char> rec(size_t(d->px_head->px_recordsize));
                const int n = PX_get_num_records(d);
                for (int r = 0; r < n; ++r)
                    if (PX_get_record(d, r, rec.data()) != nullptr) ++count;
            }
            PX_delete(d);
            std::fclose(f);
            return count;
        },
        theirs);
    std::printf("engine: open and walk %u records: %.1f ms (median of 5)\n", ours, engine);
    std::printf("pxlib:  open and walk %u records: %.1f ms (median of 5)\n", theirs, pxlib);
    std::printf("ratio engine/pxlib: %.2f\n", engine / pxlib);
    std::filesystem::remove(path);
    return ours == kRecords && theirs == kRecords ? 0 : 1;
}

// The tools a person runs, as they run them: `pdxtool dump` (the engine) and `pxfixture dump` (pxlib) of a
// table of 100,000 template records, each a process of its own writing to a file, from the folder this
// benchmark is in (build/native/bin). Prints the median of 5 runs of each and their ratio; the target is
// pdxtool at most half of pxlib's time.
#include "tools/pxfixture/Fixture.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Runs tool with args, its output into out; the wall time in milliseconds, or a negative value on failure.
double RunMs(const fs::path& tool, const std::vector<std::string>& args, const fs::path& out) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> argv{const_cast<char*>(tool.c_str())};
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    int status = -1;
    if (posix_spawn(&pid, tool.c_str(), &actions, nullptr, argv.data(), environ) == 0)
        waitpid(pid, &status, 0);
    double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    posix_spawn_file_actions_destroy(&actions);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? ms : -1;
}

double MedianMs(const fs::path& tool, const std::vector<std::string>& args, const fs::path& out) {
    std::vector<double> times;
    for (int i = 0; i < 5; ++i) {
        double ms = RunMs(tool, args, out);
        if (ms < 0) {
            std::fprintf(stderr, "%s failed\n", tool.c_str());
            std::exit(1);
        }
        times.push_back(ms);
    }
    std::sort(times.begin(), times.end());
    return times[2];
}

std::string Contents(const fs::path& p) {
    std::string s;
    if (FILE* f = std::fopen(p.c_str(), "rb")) {
        char buf[65536];
        for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;)
            s.append(buf, n);
        std::fclose(f);
    }
    return s;
}

} // namespace

int main() {
    const fs::path bin = fs::read_symlink("/proc/self/exe").parent_path();
    const fs::path dir = fs::temp_directory_path() / ("bench-tool-dump-" + std::to_string(getpid()));
    fs::create_directories(dir);
    Fixture::TableSpec spec;
    spec.path = (dir / "styles.db").string();
    spec.records = 100000;
    Fixture::MakeTemplate(spec, "");
    std::printf("table: 100000 template records, %ju bytes, made by pxlib\n",
                std::uintmax_t(fs::file_size(spec.path)));
    const fs::path ours = dir / "pdxtool.txt", theirs = dir / "pxfixture.txt";
    const double engine = MedianMs(bin / "pdxtool", {"dump", spec.path}, ours);
    const double pxlib = MedianMs(bin / "pxfixture", {"dump", spec.path}, theirs);
    const std::string a = Contents(ours), b = Contents(theirs);
    std::printf("pdxtool dump:   %.0f ms (median of 5), %zu lines\n", engine,
                size_t(std::count(a.begin(), a.end(), '\n')));
    std::printf("pxfixture dump: %.0f ms (median of 5, pxlib), %s\n", pxlib,
                a == b ? "the same output" : "OUTPUT DIFFERS");
    std::printf("ratio pdxtool/pxlib: %.2f (target: at most 0.50)\n", engine / pxlib);
    fs::remove_all(dir);
    return a == b ? 0 : 1;
}

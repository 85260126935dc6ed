// pdxtool: a Paradox table inspector for people and scripts, on the database engine.
//
//   pdxtool info FILE                              version, type, code page, sizes, counts, fields
//   pdxtool count FILE                             the records found by walking the table
//   pdxtool dump FILE                              one line per record: Name=Value<TAB>Name=Value...
//   pdxtool insert FILE [--before N] Name=Value... one record (unnamed fields blank)
//
// Errors go to standard error with a non-zero exit code.
#include "engine/PdxEngine.h"
#include "tools/common/DumpFormat.h"
#include "tools/pdxtool/ValueText.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

namespace {

const char kUsage[] =
    "usage:\n"
    "  pdxtool info FILE\n"
    "  pdxtool count FILE\n"
    "  pdxtool dump FILE\n"
    "  pdxtool insert FILE [--before N] Name=Value ...\n"
    "Values are typed by their fields: integers, numbers (1.5), true/false, dates (2024-05-31),\n"
    "times (13:45:00), timestamps (2024-05-31T13:45:00), text (\\t, \\n and \\\\ escaped),\n"
    "hexadecimal bytes; NULL or an unnamed field is blank. --before N puts the record before\n"
    "record N (from 1) of a table without a key; without it the record goes at the end; a keyed\n"
    "table takes it in key order.\n";

struct EngineError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

void Check(PdxStatus s) {
    if (s != PDX_OK) throw EngineError(pdx_last_error());
}

// Closes the table however the command ends.
struct Open {
    PdxTable* t = nullptr;
    Open(const std::string& path, int mode) { Check(pdx_open(path.c_str(), mode, &t)); }
    ~Open() { pdx_close(t); }
};

void Out(const std::string& s) {
    std::fwrite(s.data(), 1, s.size(), stdout);
}

std::vector<PdxFieldInfo> Fields(PdxTable* t) {
    PdxTableInfo info;
    Check(pdx_table_info(t, &info));
    std::vector<PdxFieldInfo> fields(size_t(info.field_count));
    for (int k = 0; k < info.field_count; ++k)
        Check(pdx_field_info(t, k, &fields[size_t(k)]));
    return fields;
}

int Info(const std::string& path) {
    Open o(path, PDX_OPEN_READ);
    PdxTableInfo i;
    Check(pdx_table_info(o.t, &i));
    uint32_t walked = 0;
    Check(pdx_refresh(o.t, &walked));
    char buf[256];
    std::snprintf(buf, sizeof buf,
                  "file version: %d.%d\ntable type: %s\ncode page: %d\nrecord size: %d\nblock size: %d\n"
                  "records: %u\nblocks: %u\nfields: %d\n",
                  i.file_version / 10, i.file_version % 10, i.keyed ? "keyed" : "not keyed", i.code_page,
                  i.record_size, i.block_size, walked, i.blocks, i.field_count);
    Out(buf);
    if (i.keyed) {
        std::snprintf(buf, sizeof buf, "key fields: %d\n", i.key_fields);
        Out(buf);
    }
    int n = 0;
    for (const PdxFieldInfo& f : Fields(o.t)) {
        std::string type = ValueText::TypeName(f.type, f.size, f.decimals);
        std::snprintf(buf, sizeof buf, "  %3d %-24s %-6s %d bytes\n", ++n, f.name, type.c_str(),
                      f.type == PDX_BCD ? 17 : f.size);
        Out(buf);
    }
    return 0;
}

int Count(const std::string& path) {
    Open o(path, PDX_OPEN_READ);
    uint32_t n = 0;
    Check(pdx_refresh(o.t, &n));
    Out(std::to_string(n) + "\n");
    return 0;
}

int Dump(const std::string& path) {
    Open o(path, PDX_OPEN_READ);
    uint32_t n = 0;
    Check(pdx_refresh(o.t, &n));
    std::vector<PdxFieldInfo> fields = Fields(o.t);
    for (uint32_t r = 0; r < n; ++r) {
        std::string line;
        for (size_t k = 0; k < fields.size(); ++k) {
            PdxValue v;
            Check(pdx_get_value(o.t, r, int(k), &v));
            if (k > 0) line += '\t';
            line += fields[k].name;
            line += '=';
            line += ValueText::Format(v);
        }
        line += '\n';
        Out(line);
    }
    return 0;
}

int Insert(const std::string& path, const std::vector<std::string>& args) {
    Open o(path, PDX_OPEN_READ_WRITE);
    uint32_t n = 0;
    Check(pdx_refresh(o.t, &n));
    std::vector<PdxFieldInfo> fields = Fields(o.t);
    std::vector<PdxValue> values(fields.size(), PdxValue{});
    std::vector<std::string> storage(fields.size());
    uint32_t position = n;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--before") {
            if (i + 1 >= args.size()) throw std::runtime_error("--before needs a record number");
            long long before = ValueText::ParseInteger(args[++i], "--before");
            if (before < 1 || before > (long long)n + 1)
                throw std::runtime_error("--before " + args[i] + ": the table has " + std::to_string(n) +
                                         " records");
            position = uint32_t(before - 1);
            continue;
        }
        size_t eq = args[i].find('=');
        if (eq == std::string::npos) throw std::runtime_error("\"" + args[i] + "\" is not Name=Value");
        std::string name = args[i].substr(0, eq);
        size_t k = 0;
        while (k < fields.size() && name != fields[k].name)
            ++k;
        if (k == fields.size()) throw std::runtime_error("the table has no field " + name);
        values[k] = ValueText::Parse(fields[k].type, args[i].substr(eq + 1), name, storage[k]);
    }
    uint32_t at = 0;
    Check(pdx_insert(o.t, position, values.data(), int(values.size()), &at));
    Out("inserted as record " + std::to_string(at + 1) + "\n");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // UTF-8 goes out as bytes: the C runtime must not translate it.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    std::vector<std::string> args(argv + 1, argv + argc);
#ifdef _WIN32
    // The arguments as the user typed them (argv holds them in the ANSI code page), in UTF-8.
    args.clear();
    int wargc = 0;
    if (wchar_t** wargv = CommandLineToArgvW(GetCommandLineW(), &wargc)) {
        for (int i = 1; i < wargc; ++i) {
            int n = WideCharToMultiByte(CP_UTF8, 0, wargv[i], -1, nullptr, 0, nullptr, nullptr);
            std::string a(size_t(n > 0 ? n - 1 : 0), '\0');
            if (n > 1) WideCharToMultiByte(CP_UTF8, 0, wargv[i], -1, a.data(), n, nullptr, nullptr);
            args.push_back(a);
        }
        LocalFree(wargv);
    }
#endif
    if (args.size() < 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    try {
        const std::string& cmd = args[0];
        if (cmd == "info" && args.size() == 2) return Info(args[1]);
        if (cmd == "count" && args.size() == 2) return Count(args[1]);
        if (cmd == "dump" && args.size() == 2) return Dump(args[1]);
        if (cmd == "insert") return Insert(args[1], std::vector<std::string>(args.begin() + 2, args.end()));
        std::fputs(kUsage, stderr);
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "pdxtool: %s\n", e.what());
        return 1;
    }
}

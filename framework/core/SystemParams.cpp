// System: the program's command line, split as the framework splits it.
#include "framework/core/System.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fstream>
#include <iterator>
#include <unistd.h>
#endif

namespace System {

std::vector<String> SplitCommandLine(std::string_view s) {
    std::vector<String> params;
    size_t i = 0;
    for (;;) {
        while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ')
            ++i;
        if (i == s.size()) break;
        String param;
        while (i < s.size() && static_cast<unsigned char>(s[i]) > ' ') {
            if (s[i] == '"') {
                size_t end = s.find('"', i + 1);
                if (end == std::string_view::npos) end = s.size();
                param.append(s.substr(i + 1, end - i - 1));
                i = end < s.size() ? end + 1 : end;
            } else {
                param.push_back(s[i++]);
            }
        }
        params.push_back(std::move(param));
    }
    return params;
}

namespace {

#ifdef _WIN32
String ModuleFileName() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
        if (n == 0) return String();
        if (n < buffer.size()) {
            buffer.resize(n);
            break;
        }
        buffer.resize(buffer.size() * 2);
    }
    return SysUtils::Utf16ToUtf8(std::u16string(buffer.begin(), buffer.end()));
}
#endif

// The arguments after the program's name: on Windows from the command line the program was started with;
// elsewhere from the process's argument vector, which the system has split already.
const std::vector<String>& Arguments() {
    static const std::vector<String> args = [] {
#ifdef _WIN32
        const wchar_t* line = GetCommandLineW();
        std::wstring_view w(line);
        std::vector<String> all = SplitCommandLine(SysUtils::Utf16ToUtf8(std::u16string(w.begin(), w.end())));
#else
        std::ifstream in("/proc/self/cmdline", std::ios::binary);
        std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::vector<String> all;
        for (size_t start = 0; start < raw.size();) {
            size_t end = raw.find('\0', start);
            if (end == std::string::npos) end = raw.size();
            all.emplace_back(raw.substr(start, end - start));
            start = end + 1;
        }
#endif
        if (!all.empty()) all.erase(all.begin());
        return all;
    }();
    return args;
}

} // namespace

int ParamCount() {
    return int(Arguments().size());
}

String ParamStr(int Index) {
    if (Index == 0) {
#ifdef _WIN32
        return ModuleFileName();
#else
        char buffer[4096];
        ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer);
        return n > 0 ? String(buffer, size_t(n)) : String();
#endif
    }
    if (Index < 0 || Index > ParamCount()) return String();
    return Arguments()[size_t(Index - 1)];
}

} // namespace System

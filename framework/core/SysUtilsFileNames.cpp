// SysUtils: splitting and joining file names. Both '\' and '/' separate folders, so the same code serves
// Windows paths read from files and native paths in the Linux tree; ':' ends a drive ("C:").
#include "framework/core/SysUtils.h"

namespace SysUtils {

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// The position just after the last separator or drive colon, 0 when there is none.
size_t NameStart(std::string_view path) {
    size_t i = path.size();
    while (i > 0 && !IsSeparator(path[i - 1]) && path[i - 1] != ':')
        --i;
    return i;
}

} // namespace

String ExtractFileName(std::string_view path) {
    return String(path.substr(NameStart(path)));
}

String ExtractFilePath(std::string_view path) {
    return String(path.substr(0, NameStart(path)));
}

String ExtractFileExt(std::string_view path) {
    size_t start = NameStart(path);
    size_t dot = path.rfind('.');
    return dot != std::string_view::npos && dot >= start ? String(path.substr(dot)) : String();
}

String IncludeTrailingBackslash(std::string_view path) {
    String s(path);
    if (s.empty() || !IsSeparator(s.back())) s.push_back(PathDelim);
    return s;
}

String ExcludeTrailingBackslash(std::string_view path) {
    if (!path.empty() && IsSeparator(path.back())) path.remove_suffix(1);
    return String(path);
}

} // namespace SysUtils

// SysUtils: the directory search (FindFirst, FindNext, FindClose) on the system's own search calls.
#ifdef _WIN32
#include "framework/core/SysUtils.h"

#include <windows.h>

namespace SysUtils {

namespace {

String WideToUtf8(const wchar_t* w) {
    std::wstring_view v(w);
    return Utf16ToUtf8(std::u16string(v.begin(), v.end()));
}

// Steps over the entries the mask excludes and fills F from the first one it keeps; 0, or the system's
// error code when the search has no entry left.
int FindMatchingFile(TSearchRec& F, WIN32_FIND_DATAW& data) {
    HANDLE h = static_cast<HANDLE>(F.FindHandle);
    while ((data.dwFileAttributes & DWORD(F.ExcludeAttr)) != 0) {
        if (!FindNextFileW(h, &data)) return int(GetLastError());
    }
    FILETIME local;
    WORD date = 0, time = 0;
    if (FileTimeToLocalFileTime(&data.ftLastWriteTime, &local)) FileTimeToDosDateTime(&local, &date, &time);
    F.Time = int((uint32_t(date) << 16) | time);
    F.Size = int64_t((uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    F.Attr = int(data.dwFileAttributes);
    F.Name = WideToUtf8(data.cFileName);
    return 0;
}

} // namespace

int FindFirst(std::string_view Path, int Attr, TSearchRec& F) {
    constexpr int kExcludable = faHidden | faSysFile | faVolumeID | faDirectory;
    F.ExcludeAttr = ~Attr & kExcludable;
    std::u16string path;
    try {
        path = Utf8ToUtf16(Path);
    } catch (const EConvertError&) {
        F.FindHandle = nullptr;
        return ERROR_INVALID_NAME;
    }
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW(reinterpret_cast<const wchar_t*>(path.c_str()), &data);
    if (h == INVALID_HANDLE_VALUE) {
        F.FindHandle = nullptr;
        return int(GetLastError());
    }
    F.FindHandle = h;
    int result = FindMatchingFile(F, data);
    if (result != 0) FindClose(F);
    return result;
}

int FindNext(TSearchRec& F) {
    if (F.FindHandle == nullptr) return ERROR_NO_MORE_FILES;
    WIN32_FIND_DATAW data;
    if (!FindNextFileW(static_cast<HANDLE>(F.FindHandle), &data)) return int(GetLastError());
    return FindMatchingFile(F, data);
}

void FindClose(TSearchRec& F) {
    if (F.FindHandle != nullptr) {
        ::FindClose(static_cast<HANDLE>(F.FindHandle));
        F.FindHandle = nullptr;
    }
}

} // namespace SysUtils
#endif

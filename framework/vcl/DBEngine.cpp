// DBEngine: loading pdxengine.dll and binding its entries.
#include "framework/vcl/DBEngine.h"
#include "framework/vcl/DB.h"

#include <windows.h>

namespace DBEngine {

namespace {

struct TLoader {
    String LibraryName = DefaultEngineLibrary;
    HMODULE Module = nullptr;
    TEngine Engine;
    int Users = 0;
};

TLoader& Loader() {
    static TLoader loader;
    return loader;
}

std::wstring Wide(const String& s) {
    std::u16string u = SysUtils::Utf8ToUtf16(s);
    return std::wstring(u.begin(), u.end());
}

// The system's text for an error code, without the line break it ends with.
String SystemMessage(DWORD code) {
    String msg = SysUtils::SysErrorMessage(code);
    String codeText = "код " + SysUtils::IntToStr(int64_t(code));
    return msg.empty() ? codeText : msg + " (" + codeText + ")";
}

[[noreturn]] void LoadError(const String& name, const String& reason) {
    DB::DatabaseError("Не удается запустить ядро базы данных (" + name + "): " + reason);
}

// A bare name is first looked for beside the executable, so that a program finds its own engine before any
// other copy on the search path; a name with a folder is used as it is.
HMODULE LoadEngineLibrary(const String& name) {
    std::wstring wname = Wide(name);
    if (wname.find_first_of(L"\\/:") == std::wstring::npos) {
        wchar_t exe[MAX_PATH];
        DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
        if (n != 0 && n < MAX_PATH) {
            std::wstring path(exe, n);
            size_t slash = path.find_last_of(L"\\/");
            path = path.substr(0, slash == std::wstring::npos ? 0 : slash + 1) + wname;
            if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
                return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        }
    }
    return LoadLibraryW(wname.c_str());
}

template <class F> void Bind(HMODULE module, const String& name, const char* entry, F& target) {
    FARPROC p = GetProcAddress(module, entry);
    if (p == nullptr) {
        FreeLibrary(module);
        LoadError(name, String("в библиотеке нет функции ") + entry);
    }
    // Through the generic function pointer type, which converts to any other without a warning.
    target = reinterpret_cast<F>(reinterpret_cast<void (*)()>(p));
}

void Load(TLoader& l) {
    // No "cannot find the file" box from the system: the error goes to the caller.
    UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = LoadEngineLibrary(l.LibraryName);
    DWORD error = GetLastError();
    SetErrorMode(oldMode);
    if (module == nullptr) LoadError(l.LibraryName, SystemMessage(error));
    TEngine e;
    Bind(module, l.LibraryName, "pdx_api_version", e.ApiVersion);
    int version = e.ApiVersion();
    if (version != PDX_API_VERSION) {
        FreeLibrary(module);
        LoadError(l.LibraryName, "версия интерфейса " + SysUtils::IntToStr(version) + ", требуется " +
                                     SysUtils::IntToStr(PDX_API_VERSION));
    }
    Bind(module, l.LibraryName, "pdx_last_error", e.LastError);
    Bind(module, l.LibraryName, "pdx_open", e.Open);
    Bind(module, l.LibraryName, "pdx_close", e.Close);
    Bind(module, l.LibraryName, "pdx_table_info", e.TableInfo);
    Bind(module, l.LibraryName, "pdx_field_info", e.FieldInfo);
    Bind(module, l.LibraryName, "pdx_refresh", e.Refresh);
    Bind(module, l.LibraryName, "pdx_get_value", e.GetValue);
    Bind(module, l.LibraryName, "pdx_insert", e.Insert);
    Bind(module, l.LibraryName, "pdx_lock", e.Lock);
    Bind(module, l.LibraryName, "pdx_unlock", e.Unlock);
    l.Module = module;
    l.Engine = e;
}

} // namespace

const TEngine& AcquireEngine() {
    TLoader& l = Loader();
    if (l.Module == nullptr) Load(l);
    ++l.Users;
    return l.Engine;
}

void ReleaseEngine() {
    TLoader& l = Loader();
    if (l.Users > 0) --l.Users;
}

bool EngineLoaded() {
    return Loader().Module != nullptr;
}

void SetEngineLibraryName(const String& Name) {
    TLoader& l = Loader();
    if (l.Module != nullptr) {
        if (l.Users > 0) DB::DatabaseError("Нельзя сменить ядро базы данных, пока открыты таблицы");
        FreeLibrary(l.Module);
        l.Module = nullptr;
        l.Engine = TEngine{};
    }
    l.LibraryName = Name;
}

String GetEngineLibraryName() {
    return Loader().LibraryName;
}

} // namespace DBEngine

// SysInit: the units of a package, initialised and finalised in the order of its table, and its DllMain.
#include "framework/vcl/SysInit.h"

#include "framework/core/ClassesReaderWriter.h"
#include "framework/core/ClassesRegistry.h"
#include "framework/core/SysUtilsPackages.h"

#include <exception>
#include <string>

namespace SysInit {

using SysUtils::String;

namespace {

struct TBusy {
    bool& Flag;
    explicit TBusy(bool& flag) : Flag(flag) { Flag = true; }
    ~TBusy() { Flag = false; }
};

} // namespace

void TPackageUnits::Initialize() {
    if (FBusy || FDone == FTable.UnitCount) return; // invariant 2; initialised already
    TBusy busy(FBusy);
    try {
        while (FDone < FTable.UnitCount) {
            FTable.UnitInfo[FDone].Init();
            ++FDone; // invariant 1
        }
    } catch (...) {
        // Back to where the package was: the units done so far are finalised, their errors dropped in favour
        // of the one that stopped the initialization.
        while (FDone > 0) {
            --FDone;
            try {
                FTable.UnitInfo[FDone].FInit();
            } catch (...) {
            }
        }
        throw;
    }
}

void TPackageUnits::Finalize() {
    if (FBusy) return; // invariant 2
    TBusy busy(FBusy);
    std::exception_ptr first;
    while (FDone > 0) {
        --FDone; // invariant 1: counted as finalised before its entry runs, so it never runs twice
        try {
            FTable.UnitInfo[FDone].FInit();
        } catch (...) {
            if (!first) first = std::current_exception();
        }
    }
    if (first) std::rethrow_exception(first);
}

namespace {

void CallEntry(HMODULE Module, const char* Name) {
    auto* entry = reinterpret_cast<void*>(GetProcAddress(Module, Name));
    if (entry == nullptr)
        throw SysUtils::EPackageError(String("The module is not a package: it has no ") + Name);
    reinterpret_cast<void (*)()>(entry)();
}

} // namespace

void InitializePackage(HMODULE Module) {
    CallEntry(Module, "Initialize");
}

void FinalizePackage(HMODULE Module) {
    CallEntry(Module, "Finalize");
}

TLinkedPackage::TLinkedPackage(const wchar_t* Dll) : FModule(GetModuleHandleW(Dll)) {
    if (FModule == nullptr)
        throw SysUtils::EPackageError("The program does not link the package " +
                                      SysUtils::Utf16ToUtf8(reinterpret_cast<const char16_t*>(Dll)));
    InitializePackage(FModule);
}

TLinkedPackage::~TLinkedPackage() {
    try {
        FinalizePackage(FModule);
    } catch (...) {
    }
}

HMODULE LoadResourceModule(HMODULE Module) {
    wchar_t path[MAX_PATH * 2];
    DWORD n = GetModuleFileNameW(Module, path, DWORD(std::size(path)));
    if (n == 0 || n >= std::size(path)) return nullptr;
    std::wstring base(path, n);
    size_t dot = base.rfind(L'.'), slash = base.find_last_of(L"\\/");
    if (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash)) base.resize(dot);
    wchar_t lang[16] = {};
    if (GetLocaleInfoW(GetThreadLocale(), LOCALE_SABBREVLANGNAME, lang, int(std::size(lang))) == 0)
        return nullptr;
    for (std::wstring ext : {std::wstring(lang), std::wstring(lang).substr(0, 2)}) {
        std::wstring file = base + L"." + ext;
        if (GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
        if (HMODULE m = LoadLibraryExW(file.c_str(), nullptr,
                                       LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE))
            return m;
    }
    return nullptr;
}

BOOL PackageMain(TPackageUnits& Units, HINSTANCE Instance, DWORD Reason, LPVOID) {
    switch (Reason) {
    case DLL_PROCESS_ATTACH:
        DisableThreadLibraryCalls(Instance);
        try {
            Units.FResModule = LoadResourceModule(Instance);
            Classes::RegisterModule(Instance, Units.FResModule);
        } catch (...) {
            return FALSE;
        }
        return TRUE;
    case DLL_PROCESS_DETACH:
        // A package freed without Finalize finalises its units all the same: what they registered must not
        // stay behind pointing into memory that is about to go. Nothing may leave DllMain.
        try {
            Units.Finalize();
        } catch (...) {
        }
        try {
            Classes::UnRegisterModuleClasses(Instance);
            Classes::UnregisterModule(Instance);
        } catch (...) {
        }
        if (Units.FResModule) FreeLibrary(Units.FResModule);
        Units.FResModule = nullptr;
        return TRUE;
    }
    return TRUE;
}

} // namespace SysInit

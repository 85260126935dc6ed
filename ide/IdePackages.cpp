// Ide: TPackageManager, loading and unloading packages step by step (IdePackages.h).
#include "ide/IdePackages.h"

#include "framework/vcl/SysInit.h"

#include <algorithm>
#include <exception>

namespace Ide {

using namespace SysUtils;

namespace {

std::wstring W(const String& s) {
    std::u16string w = SysUtils::Utf8ToUtf16(s);
    return std::wstring(w.begin(), w.end());
}

String SystemError(DWORD code) {
    String text = SysUtils::SysErrorMessage(code);
    return "system error " + SysUtils::IntToStr(int64_t(code)) + (text.empty() ? "" : " (" + text + ")");
}

String MessageOf(std::exception_ptr e) {
    try {
        std::rethrow_exception(e);
    } catch (const SysUtils::Exception& x) {
        return x.Message();
    } catch (const std::exception& x) {
        return x.what();
    } catch (...) {
        return "an exception that is not an error object";
    }
}

// A module freed when the guard goes, unless released.
struct TModuleGuard {
    HMODULE Module;
    ~TModuleGuard() {
        if (Module) FreeLibrary(Module);
    }
    HMODULE Release() { return std::exchange(Module, nullptr); }
};

bool IsPackageUnit(const TPackageUnitInfo& u) {
    return !(u.Flags & (ufMainUnit | ufWeakUnit));
}

bool Requires(const TPackage& p, const String& name) {
    const auto& r = p.GetInfo().Requires;
    return std::any_of(r.begin(), r.end(), [&](const String& n) { return SysUtils::SameText(n, name); });
}

DsgnIntf::TRegistrationHost* PreviousHost = nullptr;

} // namespace

TPackageManager::TPackageManager() {
    PreviousHost = DsgnIntf::GetRegistrationHost();
    DsgnIntf::SetRegistrationHost(&FRegistrations);
}

TPackageManager::~TPackageManager() {
    while (!FPackages.empty()) {
        try {
            UnloadPackage(*FPackages.back());
        } catch (...) {
            // A package that does not finalise cleanly is gone all the same.
        }
    }
    if (DsgnIntf::GetRegistrationHost() == &FRegistrations) DsgnIntf::SetRegistrationHost(PreviousHost);
}

TPackage* TPackageManager::FindPackage(const String& Name) const {
    for (const auto& p : FPackages)
        if (SysUtils::SameText(p->GetName(), Name)) return p.get();
    return nullptr;
}

TPackage& TPackageManager::LoadPackage(const String& FileName) {
    std::unique_ptr<TPackage> p(new TPackage);
    wchar_t full[MAX_PATH * 2];
    DWORD n = GetFullPathNameW(W(FileName).c_str(), DWORD(std::size(full)), full, nullptr);
    p->FFileName =
        n && n < std::size(full) ? SysUtils::Utf16ToUtf8(std::u16string(full, full + n)) : FileName;
    ReadResources(*p);
    CheckLoadable(*p);
    Start(*p);
    FPackages.push_back(std::move(p));
    return *FPackages.back();
}

void TPackageManager::ReadResources(TPackage& p) {
    // 1. As data: nothing of the file runs before it is known to be a package.
    TModuleGuard data{LoadLibraryExW(W(p.FFileName).c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)};
    if (!data.Module)
        throw EPackageError("Cannot load package " + p.FFileName + ": " + SystemError(GetLastError()));
    auto resource = [&](const wchar_t* name, size_t& size) -> const uint8_t* {
        HRSRC r = FindResourceW(data.Module, name, MAKEINTRESOURCEW(10));
        HGLOBAL g = r ? LoadResource(data.Module, r) : nullptr;
        size = r ? SizeofResource(data.Module, r) : 0;
        return g ? static_cast<const uint8_t*>(LockResource(g)) : nullptr;
    };
    auto notPackage = [&](const String& why) {
        throw EPackageError(p.FFileName + " is not a package: " + why);
    };
    size_t size = 0;
    const uint8_t* info = resource(L"PACKAGEINFO", size);
    if (!info) notPackage("it has no package information");
    p.FInfo = ParsePackageInfo(info, size, "The package information of " + p.FFileName);
    if ((p.FInfo.Flags & pfModuleTypeMask) != pfPackageModule)
        notPackage("its package information is that of another kind of module");
    p.FName = p.FInfo.Contains[0].Name;
    const uint8_t* description = resource(L"DESCRIPTION", size);
    if (!description) notPackage("it has no description");
    p.FDescription = ParseDescription(description, size, "The description of " + p.FName);
    const uint8_t* options = resource(L"PACKAGEOPTIONS", size);
    if (!options) notPackage("it has no package options");
    p.FOptions = ParsePackageOptions(options, size, "The package options of " + p.FName);
}

void TPackageManager::CheckLoadable(const TPackage& p) const {
    // 2. What the package needs and what it must not collide with.
    if (FindPackage(p.FName)) throw EPackageError("Package " + p.FName + " is loaded already");
    if (p.FInfo.Flags & pfRunOnly)
        throw EPackageError("Package " + p.FName +
                            " is a run-time only package: the IDE installs design-time packages");
    for (const String& r : p.FInfo.Requires) {
        // The framework's runtime package is what the IDE itself runs on.
        bool loaded = FindPackage(r) || (SysUtils::SameText(r, "vcl30") && GetModuleHandleW(L"vcl30.dll"));
        if (!loaded)
            throw EPackageError("Package " + p.FName + " requires package " + r + ", which is not loaded");
    }
    for (const TPackageUnitInfo& u : p.FInfo.Contains) {
        if (u.Flags & ufWeakUnit) continue;
        for (const auto& q : FPackages)
            for (const TPackageUnitInfo& v : q->FInfo.Contains)
                if (!(v.Flags & ufWeakUnit) && SysUtils::SameText(u.Name, v.Name))
                    throw EPackageError("Package " + p.FName + " contains unit " + u.Name +
                                        ", which is also contained in package " + q->FName);
    }
}

void TPackageManager::Start(TPackage& p) {
    // 3. The module, its DLLs found beside it first.
    TModuleGuard module{LoadLibraryExW(W(p.FFileName).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)};
    if (!module.Module)
        throw EPackageError("Cannot load package " + p.FName + ": " + SystemError(GetLastError()));
    auto entry = [&](const String& name) {
        auto* f = reinterpret_cast<void*>(GetProcAddress(module.Module, name.c_str()));
        if (!f) throw EPackageError("Package " + p.FName + " lacks the export " + name);
        return f;
    };
    auto initialize = reinterpret_cast<void (*)()>(entry("Initialize"));
    auto finalize = reinterpret_cast<void (*)()>(entry("Finalize"));
    auto table = reinterpret_cast<const SysInit::TPackageInfoTable* (*)()>(entry("@GetPackageInfoTable"))();
    // Its table lists the units' own entries, in the order of the contains list.
    std::vector<SysInit::TPackageUnitEntry> units;
    for (const TPackageUnitInfo& u : p.FInfo.Contains)
        if (IsPackageUnit(u))
            units.push_back({reinterpret_cast<SysInit::TUnitProc>(entry(u.Name + "." + u.Name)),
                             reinterpret_cast<SysInit::TUnitProc>(entry(u.Name + ".Finalization"))});
    bool matches = table && table->UnitCount == int32_t(units.size());
    for (size_t i = 0; matches && i < units.size(); ++i)
        matches = table->UnitInfo[i].Init == units[i].Init && table->UnitInfo[i].FInit == units[i].FInit;
    if (!matches)
        throw EPackageError("The information table of package " + p.FName +
                            " does not list its units' entries in order");
    // 4. Initialize.
    try {
        initialize();
    } catch (...) {
        throw EPackageError("Cannot initialize package " + p.FName + ": " +
                            MessageOf(std::current_exception()));
    }
    // 5. Register, unit by unit; a failure takes back what the package registered.
    FRegistrations.SetCurrentPackage(&p);
    for (const TPackageUnitInfo& u : p.FInfo.Contains) {
        auto reg = reinterpret_cast<void (*)()>(
            reinterpret_cast<void*>(GetProcAddress(module.Module, (u.Name + ".Register").c_str())));
        if (!reg || !IsPackageUnit(u)) continue;
        try {
            reg();
        } catch (...) {
            String why = MessageOf(std::current_exception());
            FRegistrations.SetCurrentPackage(nullptr);
            FRegistrations.Forget(&p);
            try {
                finalize();
            } catch (...) {
            }
            throw EPackageError("Cannot register package " + p.FName + ": unit " + u.Name + ": " + why);
        }
    }
    FRegistrations.SetCurrentPackage(nullptr);
    p.FFinalize = finalize;
    p.FHandle = module.Release();
}

void TPackageManager::UnloadPackage(TPackage& Package) {
    auto it =
        std::find_if(FPackages.begin(), FPackages.end(), [&](const auto& p) { return p.get() == &Package; });
    if (it == FPackages.end()) throw EPackageError("Package " + Package.FName + " is not loaded");
    for (const auto& q : FPackages)
        if (q.get() != &Package && Requires(*q, Package.FName))
            throw EPackageError("Package " + Package.FName + " is required by package " + q->FName +
                                ": unload that first");
    FRegistrations.Forget(&Package);
    // The message is taken while the package is there: the error object's class may be the package's.
    String error;
    try {
        Package.FFinalize();
    } catch (...) {
        error = MessageOf(std::current_exception());
    }
    String name = Package.FName;
    FreeLibrary(Package.FHandle);
    FPackages.erase(it);
    if (!error.empty()) throw EPackageError("Package " + name + " did not finalize cleanly: " + error);
}

} // namespace Ide

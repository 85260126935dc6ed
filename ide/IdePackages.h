// Ide: loading component packages as the IDE does.
//
// Declares: TPackage (one loaded package: its file, name, description, information, options and module) and
// TPackageManager (the loaded packages and their registrations).
//
//   Ide::TPackageManager ide;                                  // the registration host from now on
//   Ide::TPackage& p = ide.LoadPackage("NEWQRV.dll");          // EPackageError when it cannot be
//   for (auto& page : ide.GetRegistrations().Pages()) ...      // "Umbrevale": TKTNEWQRVFrame
//   ide.UnloadPackage(p);                                      // Finalize; its registrations are gone
//
// LoadPackage: 1. the file's resources, read without running any of its code: a package has a valid
// "PACKAGEINFO" of a package module that is not run-time only, a "DESCRIPTION" and "PACKAGEOPTIONS";
// 2. its required packages are loaded (vcl30, the framework, always is), and none of its units is in a loaded
// package; 3. the module, loaded (the DLLs beside it first) with its exports Initialize, Finalize,
// @GetPackageInfoTable and each unit's entries, the table listing those entries in order; 4. Initialize;
// 5. the Register procedure of each contained unit that has one, in the order of the contains list. A step
// that fails undoes the ones before it and raises EPackageError naming the package and what was wrong.
// UnloadPackage refuses while another loaded package requires the package; the manager's destructor unloads
// them all, last loaded first.
#pragma once

#include "ide/IdeRegistrations.h"

#include <windows.h>

#include <memory>

namespace Ide {

using SysUtils::TPackageInfo;
using SysUtils::TPackageUnitInfo;

class TPackage {
public:
    TPackage(const TPackage&) = delete;
    TPackage& operator=(const TPackage&) = delete;

    // The file as given, made absolute.
    const String& GetFileName() const { return FFileName; }
    // The file's name without folder and extension: "NEWQRV".
    const String& GetName() const { return FName; }
    const String& GetDescription() const { return FDescription; }
    const TPackageInfo& GetInfo() const { return FInfo; }
    const std::vector<std::pair<String, String>>& GetOptions() const { return FOptions; }
    HMODULE GetHandle() const { return FHandle; }
    // An export of the package, or nullptr.
    FARPROC GetExport(const char* Name) const { return GetProcAddress(FHandle, Name); }

private:
    friend class TPackageManager;
    TPackage() = default;

    String FFileName;
    String FName;
    String FDescription;
    TPackageInfo FInfo;
    std::vector<std::pair<String, String>> FOptions;
    HMODULE FHandle = nullptr;
    void (*FFinalize)() = nullptr;
};

class TPackageManager {
public:
    // Installs its registrations as DsgnIntf's host, until it is destroyed.
    TPackageManager();
    ~TPackageManager();
    TPackageManager(const TPackageManager&) = delete;
    TPackageManager& operator=(const TPackageManager&) = delete;

    TPackage& LoadPackage(const String& FileName);
    void UnloadPackage(TPackage& Package);
    // The loaded packages, in the order they were loaded.
    const std::vector<std::unique_ptr<TPackage>>& GetPackages() const { return FPackages; }
    // A loaded package by name (ignoring case), or nullptr.
    TPackage* FindPackage(const String& Name) const;
    TRegistrations& GetRegistrations() { return FRegistrations; }
    const TRegistrations& GetRegistrations() const { return FRegistrations; }

private:
    void ReadResources(TPackage& Package);
    void CheckLoadable(const TPackage& Package) const;
    void Start(TPackage& Package);

    TRegistrations FRegistrations;
    std::vector<std::unique_ptr<TPackage>> FPackages;
};

} // namespace Ide

// SysInit: the start-up code every component package carries, and the information table of its units.
//
// Declares: TPackageUnitEntry and TPackageInfoTable (what a package's @GetPackageInfoTable returns: its
// units' initialization and finalization entries in initialization order), TPackageUnits (a package's units
// and how far they are initialised: its Initialize and Finalize), PackageMain (the package's DllMain) and
// InitializePackage / FinalizePackage and TLinkedPackage (what a program linking a package does) and
// LoadResourceModule (the language resource module of a module).
//
// The frame (cmake/Packages.cmake) writes each package's entries from its declaration:
//
//   constexpr SysInit::TPackageUnitEntry Units[] = {{&KTQRVNew::Initialization, &KTQRVNew::Finalization}};
//   constinit SysInit::TPackageUnits Package(Units);
//   extern "C" void PackageInitialize() { Package.Initialize(); }          // exported as Initialize
//   extern "C" BOOL WINAPI DllMain(HINSTANCE h, DWORD r, LPVOID p) { return SysInit::PackageMain(Package, h,
//   r, p); }
//
// A unit's initialization sets up what the unit holds (registers its classes with the streams, creates
// its global objects); its finalization undoes that. They run when the package is initialised and finalised,
// in an order the table makes explicit, not when the DLL happens to construct its static objects.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace SysInit {

using TUnitProc = void (*)();

struct TPackageUnitEntry {
    TUnitProc Init;  // the unit's initialization (exported as Unit.Unit)
    TUnitProc FInit; // its finalization (Unit.Finalization)
};

struct TPackageInfoTable {
    int32_t UnitCount;
    const TPackageUnitEntry* UnitInfo;
};

// Invariants:
//   1. The first FDone units are initialised, the others not; they are finalised last-first.
//   2. Initialize and Finalize do not run inside each other (a unit that calls one from its entry).
class TPackageUnits {
public:
    template <size_t N>
    constexpr explicit TPackageUnits(const TPackageUnitEntry (&Units)[N]) : FTable{int32_t(N), Units} {}
    TPackageUnits(const TPackageUnits&) = delete;
    TPackageUnits& operator=(const TPackageUnits&) = delete;

    const TPackageInfoTable* GetTable() const { return &FTable; }
    // Runs the initializations in order; a second call does nothing. When one raises, the units initialised
    // before it are finalised (last first) and the exception goes on: the package is as before the call.
    void Initialize();
    // Runs the finalizations of the initialised units, last first; a second call does nothing. One that
    // raises does not stop the others; the first exception goes on after all of them ran.
    void Finalize();
    // How many units are initialised.
    int GetInitializedCount() const { return FDone; }

    // The language resource module loaded for the package, or nullptr.
    HMODULE GetResourceModule() const { return FResModule; }

private:
    friend BOOL PackageMain(TPackageUnits&, HINSTANCE, DWORD, LPVOID);

    TPackageInfoTable FTable;
    int FDone = 0;
    bool FBusy = false;
    HMODULE FResModule = nullptr;
};

// The package's DllMain. Loading: the package registers itself with the framework as a module (its forms,
// bitmaps and cursors are found; Classes::RegisterModule) with its language resource module when one is
// beside it. Unloading: the units are finalised if Finalize was not called, the package's classes leave the
// class registry, the module is unregistered and the language module freed.
BOOL PackageMain(TPackageUnits& Units, HINSTANCE Instance, DWORD Reason, LPVOID Reserved);

// What a program that links a package (a test, an application on run-time packages) does before and after
// using it: the package's Initialize and Finalize. SysUtils::EPackageError when Module has no such entry.
void InitializePackage(HMODULE Module);
void FinalizePackage(HMODULE Module);
// The same for the run of a program: the package Dll (which the program links) initialised while the object
// lives; its finalization's errors, at the end of the run, are dropped.
class TLinkedPackage {
public:
    explicit TLinkedPackage(const wchar_t* Dll);
    ~TLinkedPackage();
    TLinkedPackage(const TLinkedPackage&) = delete;
    TLinkedPackage& operator=(const TLinkedPackage&) = delete;

private:
    HMODULE FModule;
};

// The language resource module of Module: the file beside it with the module's name and, as extension, the
// three-letter abbreviation of the user's language ("ENU", "RUS"), or else its first two letters ("EN"),
// loaded as resources only; nullptr when there is none.
HMODULE LoadResourceModule(HMODULE Module);

} // namespace SysInit

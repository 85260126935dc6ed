// pkgframe: the declaration of a component package, as add_component_package (cmake/Packages.cmake) writes
// it, and what follows from it: the names the package exports and the bytes of its resources.
//
// Declares: TUnitDecl, TPackageDecl, ReadDeclaration; TExport and ExportsOf (every unit-qualified export and
// the C++ entity behind it); PackageInfoBytes, PackageOptionsBytes, DescriptionBytes (the three resources).
//
// The declaration is a text of lines "keyword value", the unit's lines after its "unit" line:
//   package NEWQRV            description New QRV      flags 40000003      requires vcl30
//   version 1.0.0.0           manifest /abs/file.manifest
//   unit KTQRVNew             header smallpackages/KTQRVNew.h (relative to the repository root)
//   class TKTNEWQRVFrame      type TMeasureUnit        set TPageOptions TPageSetupFlags
//   method TPageDialog.Execute                         register
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace PkgFrame {

struct TUnitDecl {
    std::string Name;
    std::string Header;
    std::vector<std::string> Classes;
    std::vector<std::string> Types;                           // enumerations
    std::vector<std::pair<std::string, std::string>> Sets;    // the set, the enumeration of its members
    std::vector<std::pair<std::string, std::string>> Methods; // the class, the method
    bool HasRegister = false;
};

struct TPackageDecl {
    std::string Name;
    std::string Description;
    uint32_t Flags = 0;
    std::vector<std::string> Requires;
    std::vector<uint16_t> Version; // four numbers, or none
    std::string Manifest;
    std::vector<TUnitDecl> Units; // in initialization order
};

// Reads and checks a declaration; std::runtime_error "FILE:LINE: ..." for anything wrong in it.
TPackageDecl ReadDeclaration(const std::string& Path);

enum class TExportKind {
    Code,        // a function, by its demangled name with parameters: "KTQRVNew::Register()"
    Data,        // an object: "KTQRVNew::TKTNEWQRVFrame::ClassInfo"
    Method,      // a member function, by the demangled name up to its parameters: "U::TFoo::Execute"
    Constructor, // the complete-object constructor: "U::TFoo::TFoo"
    Destructor,  // the deleting destructor (the object is freed): "U::TFoo::~TFoo"
};

struct TExport {
    std::string Name; // the unit-qualified name: "KTQRVNew.TKTNEWQRVFrame"
    TExportKind Kind;
    std::string Entity; // the C++ entity, as above
};

// Every unit-qualified export of the package, unit by unit in the order of the declaration: the
// initialization and finalization entries, Register, the classes (class reference and type information),
// the enumerations and sets, the methods.
std::vector<TExport> ExportsOf(const TPackageDecl& Decl);

// "PACKAGEINFO" (framework/core/SysUtilsPackages.h). The units: the package itself (ufMainUnit), the declared
// units (ufPackageUnit), SysInit (ufWeakUnit | ufImplicitUnit: the start-up code every package carries).
std::vector<uint8_t> PackageInfoBytes(const TPackageDecl& Decl);
// "PACKAGEOPTIONS": UnitAliases, then Description.
std::vector<uint8_t> PackageOptionsBytes(const TPackageDecl& Decl);
// "DESCRIPTION": the description.
std::vector<uint8_t> DescriptionBytes(const TPackageDecl& Decl);

// The unit alias list every package carries in its options.
inline constexpr const char* UnitAliases =
    "WinTypes=Windows;WinProcs=Windows;DbiTypes=BDE;DbiProcs=BDE;DbiErrs=BDE;";

} // namespace PkgFrame

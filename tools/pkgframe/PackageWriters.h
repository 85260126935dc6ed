// pkgframe: the files written from a package's declaration.
//
// Declares: WriteResources (the resource script with DESCRIPTION, PACKAGEINFO, PACKAGEOPTIONS, the version
// resource and the manifest, and beside it the binary resources it names), WriteEntries (the source of the
// package's entries: the units' table, @GetPackageInfoTable, Initialize, Finalize and DllMain), WriteExports
// (the .def giving the declared entities their unit-qualified names). Files are rewritten only when their
// text changes; std::runtime_error for what cannot be done.
#pragma once

#include "tools/pkgframe/PackageDecl.h"

namespace PkgFrame {

void WriteResources(const TPackageDecl& Decl, const std::string& RcPath);
void WriteEntries(const TPackageDecl& Decl, const std::string& CppPath);
// Nm is the object files' nm; the symbols of Objects give each export its C++ symbol.
void WriteExports(const TPackageDecl& Decl, const std::string& DefPath, const std::string& Nm,
                  const std::vector<std::string>& Objects);

} // namespace PkgFrame

// pkgframe: writes the frame of a component package from its declaration (cmake/Packages.cmake).
//
//   pkgframe source DECL OUT.cpp             the package's entries: the units' table, @GetPackageInfoTable,
//                                            Initialize, Finalize, DllMain
//   pkgframe resources DECL OUT.rc           DESCRIPTION, PACKAGEINFO, PACKAGEOPTIONS, the version resource
//                                            and the manifest (binary resources beside OUT.rc)
//   pkgframe exports DECL OUT.def NM OBJ...  the unit-qualified export names of the entities in the objects
//
// Errors go to standard error with exit code 1; a wrong command line exits with 2.
#include "tools/pkgframe/PackageWriters.h"

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    bool ok = args.size() == 3 && (args[0] == "source" || args[0] == "resources");
    ok = ok || (args.size() >= 5 && args[0] == "exports");
    if (!ok) {
        std::fprintf(stderr, "usage: pkgframe source DECL OUT.cpp\n"
                             "       pkgframe resources DECL OUT.rc\n"
                             "       pkgframe exports DECL OUT.def NM OBJ...\n");
        return 2;
    }
    try {
        PkgFrame::TPackageDecl decl = PkgFrame::ReadDeclaration(args[1]);
        if (args[0] == "source")
            PkgFrame::WriteEntries(decl, args[2]);
        else if (args[0] == "resources")
            PkgFrame::WriteResources(decl, args[2]);
        else
            PkgFrame::WriteExports(decl, args[2], args[3],
                                   std::vector<std::string>(args.begin() + 4, args.end()));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "pkgframe: %s\n", e.what());
        return 1;
    }
    return 0;
}

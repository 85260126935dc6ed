// ide.exe: the IDE stand-in for people and scripts.
//
//   ide.exe palette PACKAGE.dll ...   loads the packages in that order (each one's required packages must
//                                     come before it) and prints their descriptions and flags, the palette
//                                     and the registered editors (IdePalette.h), then unloads them
//
// Errors (a file that is not a package, a missing export, a required package that is not loaded, a
// failing Register) go to standard error as "ide: <message>" with exit code 1; a wrong command line exits
// with 2.
#include "ide/IdePalette.h"

#include <cstdio>
#include <string>
#include <vector>

int wmain(int argc, wchar_t** argv) {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    std::vector<SysUtils::String> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(SysUtils::Utf16ToUtf8(std::u16string(argv[i], argv[i] + wcslen(argv[i]))));
    if (args.size() < 2 || args[0] != "palette") {
        std::fprintf(stderr, "usage: ide.exe palette PACKAGE.dll ...\n");
        return 2;
    }
    try {
        Ide::TPackageManager ide;
        for (size_t i = 1; i < args.size(); ++i)
            ide.LoadPackage(args[i]);
        SysUtils::String text = Ide::PaletteText(ide);
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fflush(stdout);
    } catch (const SysUtils::Exception& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "ide: %s\n", e.Message().c_str());
        return 1;
    }
    return 0;
}

// ide.exe: the IDE stand-in for people and scripts.
//
//   ide.exe palette PACKAGE.dll ...   loads the packages in that order (each one's required packages must
//                                     come before it) and prints their descriptions and flags, the palette
//                                     and the registered editors (IdePalette.h), then unloads them
//   ide.exe design FORM.dfm [PACKAGE.dll ...] [--select NAME] [--edit NAME.PROPERTY] [--open NAME]
//                  [--verb NAME INDEX] [--shots DIR]
//                                     a design session on the form (IdeSession.h); with --shots it saves
//                                     pictures of its windows into DIR and ends
//   ide.exe copy FORM.dfm [PACKAGE.dll ...] NAME ...
//                                     puts the named components of the form on the clipboard
//   ide.exe paste FORM.dfm [PACKAGE.dll ...]
//                                     pastes the clipboard's components into the form and saves it
//   ide.exe edition save|open ... / ide.exe generate ...
//                                     the menu designer's edition commands (IdeEditionCommands.h)
//
// Errors (a file that is not a package, a missing export, a required package that is not loaded, a
// failing Register, a form that cannot be read, an unknown component) go to standard error as
// "ide: <message>" with exit code 1; a wrong command line exits with 2.
#include "ide/IdeDesigner.h"
#include "ide/IdeEditionCommands.h"
#include "ide/IdePalette.h"
#include "ide/IdeSession.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

using SysUtils::String;

const char* const Usage = "usage: ide.exe palette PACKAGE.dll ...\n"
                          "       ide.exe design FORM.dfm [PACKAGE.dll ...] [--select NAME] "
                          "[--edit NAME.PROPERTY] [--open NAME] [--verb NAME INDEX] [--shots DIR]\n"
                          "       ide.exe copy FORM.dfm [PACKAGE.dll ...] NAME ...\n"
                          "       ide.exe paste FORM.dfm [PACKAGE.dll ...]\n"
                          "       ide.exe edition save FORM MENU OUT.vmn\n"
                          "       ide.exe edition open FORM MENU IN.vmn OUTFORM\n"
                          "       ide.exe generate FORM MENU SOURCEMENU OUTFORM\n";

bool IsPackageName(const String& Arg) {
    return Arg.size() > 4 && SysUtils::SameText(Arg.substr(Arg.size() - 4), ".dll");
}

int Copy(const std::vector<String>& Args) {
    Ide::TDesigner designer;
    designer.LoadFromFile(Args[1]);
    DsgnIntf::TComponentList list;
    for (size_t i = 2; i < Args.size(); ++i) {
        if (IsPackageName(Args[i])) continue;
        Classes::TComponent* c = designer.GetRoot()->FindComponent(Args[i]);
        if (c == nullptr) throw SysUtils::Exception("The form has no component named " + Args[i]);
        list.Add(c);
    }
    if (list.Count() == 0) throw SysUtils::Exception("No component named to copy");
    designer.CopyComponents(designer.GetRoot(), &list);
    return 0;
}

int Paste(const std::vector<String>& Args) {
    Ide::TDesigner designer;
    designer.LoadFromFile(Args[1]);
    if (!designer.CanPaste()) throw SysUtils::Exception("The clipboard holds no components");
    DsgnIntf::TComponentList list;
    designer.PasteComponents(designer.GetRoot(), designer.GetRoot(), &list);
    designer.SaveToFile(Args[1]);
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    std::vector<String> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(SysUtils::Utf16ToUtf8(std::u16string(argv[i], argv[i] + wcslen(argv[i]))));
    const String command = args.empty() ? String() : args[0];
    if (command == "edition" || command == "generate") return Ide::RunEditionCommand(args);
    bool known = command == "palette" || command == "design" || command == "copy" || command == "paste";
    if (!known || args.size() < 2) {
        std::fputs(Usage, stderr);
        return 2;
    }
    // The manager outlives the handler: an exception raised in a package's code is reported while the
    // package is still loaded (its destructor or type may live there).
    Ide::TPackageManager ide;
    try {
        if (command == "palette") {
            for (size_t i = 1; i < args.size(); ++i)
                ide.LoadPackage(args[i]);
            String text = Ide::PaletteText(ide);
            std::fwrite(text.data(), 1, text.size(), stdout);
            std::fflush(stdout);
            return 0;
        }
        if (command == "design") {
            Ide::TSessionOptions options;
            if (!Ide::ParseSessionOptions(args, options)) {
                std::fputs(Usage, stderr);
                return 2;
            }
            for (const String& p : options.Packages)
                ide.LoadPackage(p);
            return Ide::RunSession(ide, options);
        }
        for (size_t i = 2; i < args.size(); ++i)
            if (IsPackageName(args[i])) ide.LoadPackage(args[i]);
        return command == "copy" ? Copy(args) : Paste(args);
    } catch (const SysUtils::Exception& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "ide: %s\n", e.Message().c_str());
        return 1;
    }
}

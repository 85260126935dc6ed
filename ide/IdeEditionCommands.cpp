// Ide: ide.exe edition save|open and ide.exe generate.
#include "ide/IdeEditionCommands.h"

#include "ide/IdeDesigner.h"

#include "framework/core/ClassesRegistry.h"
#include "framework/core/SysUtils.h"

#include <cstdio>

namespace Ide {

namespace {

using TEditionCommand = void (*)(const String& Command, const String& Argument);

constexpr const char* Usage = "usage: ide.exe edition save FORM MENU OUT.vmn\n"
                              "       ide.exe edition open FORM MENU IN.vmn OUTFORM\n"
                              "       ide.exe generate FORM MENU SOURCEMENU OUTFORM\n";

String ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    DWORD n = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
    path.resize(n);
    String utf8 = SysUtils::Utf16ToUtf8(std::u16string(path.begin(), path.end()));
    return SysUtils::ExtractFilePath(utf8);
}

TEditionCommand FindEditionCommand(const TPackageManager& Manager) {
    for (const auto& p : Manager.GetPackages())
        if (FARPROC f = p->GetExport("VmDsgn.TVmDesignForm.EditionCommand"))
            return reinterpret_cast<TEditionCommand>(reinterpret_cast<void*>(f));
    throw SysUtils::Exception("The menus package (VeskMenus.dll) is not beside ide.exe");
}

} // namespace

int LoadPackagesBeside(TPackageManager& Manager, const String& Folder) {
    std::vector<String> files;
    SysUtils::TSearchRec rec;
    if (SysUtils::FindFirst(Folder + "*.dll", SysUtils::faArchive | SysUtils::faReadOnly, rec) == 0) {
        do
            files.push_back(Folder + rec.Name);
        while (SysUtils::FindNext(rec) == 0);
        SysUtils::FindClose(rec);
    }
    // A package whose required package is not loaded yet gets another pass once more are loaded.
    int loaded = 0;
    for (bool progress = true; progress;) {
        progress = false;
        for (auto it = files.begin(); it != files.end();) {
            try {
                Manager.LoadPackage(*it);
                ++loaded;
                progress = true;
                it = files.erase(it);
            } catch (const SysUtils::Exception&) {
                ++it;
            }
        }
    }
    return loaded;
}

int RunEditionCommand(const std::vector<String>& Args) {
    bool save = Args.size() == 5 && Args[0] == "edition" && Args[1] == "save";
    bool open = Args.size() == 6 && Args[0] == "edition" && Args[1] == "open";
    bool generate = Args.size() == 5 && Args[0] == "generate";
    if (!save && !open && !generate) {
        std::fputs(Usage, stderr);
        return 2;
    }
    const String& formFile = Args[generate ? 1 : 2];
    const String& menuName = Args[generate ? 2 : 3];
    // The message is taken while the packages are loaded: an exception their code threw lives in their
    // modules (its class's code), which are gone once the package manager is.
    String error;
    {
        TPackageManager ide;
        try {
            LoadPackagesBeside(ide, ProgramFolder());
            TEditionCommand command = FindEditionCommand(ide);
            TDesigner designer;
            try {
                designer.LoadFromFile(formFile);
            } catch (const SysUtils::Exception& e) {
                throw SysUtils::Exception("Cannot read the form " + formFile + ": " + e.Message());
            }
            TComponent* menu = designer.GetRoot()->FindComponent(menuName);
            System::TClass menuClass = Classes::GetClass("TVeskMenu");
            if (menu == nullptr || menuClass == nullptr || !menu->InheritsFrom(menuClass))
                throw SysUtils::Exception("The form " + formFile + " has no TVeskMenu named " + menuName);
            // The menu designer, as a person opens it: the component editor's verb.
            std::unique_ptr<DsgnIntf::TComponentEditor> editor = designer.MakeComponentEditor(menu);
            if (editor->GetVerbCount() < 1)
                throw SysUtils::Exception("The component editor of " + menuName + " has no verb");
            editor->ExecuteVerb(0);
            if (save) command("save", Args[4]);
            if (open) command("open", Args[4]);
            if (generate) command("generate", Args[3]);
            if (!save) designer.SaveToFile(Args.back());
        } catch (const std::exception& e) {
            auto* ex = dynamic_cast<const SysUtils::Exception*>(&e);
            error = ex != nullptr ? ex->Message() : String(e.what());
            if (error.empty()) error = "failed";
        }
    }
    if (!error.empty()) {
        std::fflush(stdout);
        std::fprintf(stderr, "ide: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

} // namespace Ide

// Our five packages as the IDE loads them: the palette, each DLL's exports (the PE export table) and
// imports, its resources (description, package information and options, version, manifest), and the
// stream of TKTNEWQRVFrame.
#include "ide/IdePalette.h"
#include "tests/support/FormText.h"
#include "tests/support/PackageTest.h"
#include "tests/support/WinTest.h"

#include "framework/core/ClassesRegistry.h"
#include "framework/core/SysUtilsPackages.h"
#include "framework/vcl/FormsScrolling.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

using namespace PackageTest;
using SysUtils::TPackageInfo;

namespace {

struct TUnitFacts {
    String Name;
    std::vector<String> Classes, Types;
    std::vector<std::pair<String, String>> Sets; // the set, its members' enumeration
    std::vector<String> Methods;
    bool Register;
};
struct TPackageFacts {
    String Name, Description;
    uint32_t Flags;
    std::vector<TUnitFacts> Units;
    bool Version, Manifest;
};

const std::vector<TPackageFacts> Packages = {
    {"VeskMenus",
     "VeskMenus Components",
     0x40000002,
     {{"VeskMenu",
       {"TShadowText", "TVeskMenuBar", "TVeskMenuItem", "TVeskMenu", "TVeskMenuForm"},
       {"TMenuOption", "TShadowOption", "TShadowPosition", "TBevelStyle", "TBevelType", "TCaptionAlign",
        "TTextAlign", "TRefreshAction", "SpaceInt"},
       {{"TMenuOptions", "TMenuOption"}, {"TShadowOptions", "TShadowOption"}},
       {"TVeskMenu.Create", "TVeskMenu.Destroy", "TVeskMenu.GetItem", "TVeskMenu.SetItem",
        "TVeskMenu.GetCount", "TVeskMenu.NewItem", "TVeskMenu.AddItem", "TVeskMenu.RemoveItem",
        "TVeskMenu.ExchangeItems", "TVeskMenu.FindItem", "TVeskMenu.Refresh", "TVeskMenu.AddImages",
        "TVeskMenu.AddBar", "TVeskMenu.RemoveBar", "TVeskMenu.RefreshBar", "TVeskMenu.GlobalSetParameters",
        "TVeskMenu.GlobalSetShadow", "TVeskMenu.RehookWnd"},
       false},
      {"VmDsgn", {"TVmDesignForm"}, {}, {}, {"TVmDesignForm.EditionCommand"}, false},
      {"VmBar",
       {"TVeskMenuBarForm"},
       {},
       {},
       {"TVeskMenuBarForm.SetInfo", "TVeskMenuBarForm.FormCreate", "TVeskMenuBarForm.FormActivate",
        "TVeskMenuBarForm.FormDestroy", "TVeskMenuBarForm.OKBtnClick"},
       false},
      {"SdText",
       {"TShadowTextForm"},
       {},
       {},
       {"TShadowTextForm.SetShadowText", "TShadowTextForm.FormCreate", "TShadowTextForm.FormActivate",
        "TShadowTextForm.FormDestroy", "TShadowTextForm.OKBtnClick", "TShadowTextForm.cbActiveClick"},
       false},
      {"Colorbtn",
       {"TColorButton", "TAboutColorButtonProperty"},
       {"TButtonState", "TButtonStyle", "TActivationEvent"},
       {},
       {"TColorButton.Create", "TColorButton.Destroy", "TColorButton.DoColorDialog"},
       true},
      {"VmReg", {"TVeskMenuEditor", "TVeskMenuBarEditor", "TShadowTextEditor"}, {}, {}, {}, true}},
     false,
     false},
    {"tessip",
     "Page Setup Dialog",
     0x40000002,
     {{"PageDialog",
       {"TPageDialog"},
       {"TMeasureUnit", "TPageSetupFlags"},
       {{"TPageOptions", "TPageSetupFlags"}},
       {"TPageDialog.Create", "TPageDialog.Destroy", "TPageDialog.Execute", "TPageDialog.SetMeasureUnits",
        "TPageDialog.SetPageOptions"},
       true}},
     false,
     false},
    {"NEWQRV",
     "New QRV",
     0x40000003,
     {{"KTQRVNew", {"TKTNEWQRVFrame", "TKTNEWQRVGraph"}, {}, {}, {}, true}},
     true,
     false},
    {"Ferrolin",
     "Ardento Components",
     0x40000002,
     {{"MasterFileSetting", {"TMasterFileSetting"}, {}, {}, {}, true}},
     false,
     false},
    {"Ocellon", "XP Styles", 0x40000000, {{"XPMan", {"TXPManifest"}, {}, {}, {}, true}}, true, true},
};

std::vector<uint8_t> Utf16z(const char* ascii) {
    std::vector<uint8_t> out;
    for (const char* p = ascii;; ++p) {
        out.push_back(uint8_t(*p));
        out.push_back(0);
        if (*p == 0) return out;
    }
}

std::wstring Path(const String& package) {
    return L"./" + std::wstring(package.begin(), package.end()) + L".dll";
}

template <class T> T* Export(HMODULE m, const String& name) {
    return reinterpret_cast<T*>(reinterpret_cast<void*>(GetProcAddress(m, name.c_str())));
}

std::vector<String> PropNames(System::TClass cls) {
    std::vector<String> out;
    for (const TypInfo::TPropInfo* p : TypInfo::GetPropList(cls))
        out.push_back(p->Name);
    return out;
}

} // namespace

TEST(OurPackages, PaletteOfAllFiveAndWhatTheyLeaveAfterUnloading) {
    System::TClass frame = nullptr, graph = nullptr;
    {
        Ide::TPackageManager ide;
        for (const TPackageFacts& p : Packages)
            ide.LoadPackage(p.Name + ".dll");
        EXPECT_EQ(Ide::PaletteText(ide),
                  "VeskMenus.dll: \"VeskMenus Components\", flags 40000002 (design-time only)\n"
                  "tessip.dll: \"Page Setup Dialog\", flags 40000002 (design-time only)\n"
                  "NEWQRV.dll: \"New QRV\", flags 40000003 (design-time only, never rebuilt)\n"
                  "Ferrolin.dll: \"Ardento Components\", flags 40000002 (design-time only)\n"
                  "Ocellon.dll: \"XP Styles\", flags 40000000 (design-time and run-time)\n"
                  "palette:\n"
                  "  Corvessa: TColorButton\n"
                  "  Custom: TVeskMenu\n"
                  "  Dialogs: TPageDialog\n"
                  "  Umbrevale: TKTNEWQRVFrame\n"
                  "  Ardento: TMasterFileSetting\n"
                  "  XP: TXPManifest\n"
                  "components without icon:\n"
                  "  TVeskMenuItem\n"
                  "component editors:\n"
                  "  TVeskMenu: TVeskMenuEditor\n"
                  "property editors:\n"
                  "  TAboutColorButtonProperty in TColorButton, property ABOUT: TAboutColorButtonProperty\n"
                  "  TVeskMenuBar in any component, any property: TVeskMenuBarEditor\n"
                  "  TShadowText in any component, any property: TShadowTextEditor\n");
        HMODULE newqrv = ide.FindPackage("NEWQRV")->GetHandle();
        frame = Export<const TypInfo::TClassInfo>(newqrv, "KTQRVNew.TKTNEWQRVFrame");
        graph = Export<const TypInfo::TClassInfo>(newqrv, "KTQRVNew.TKTNEWQRVGraph");
        // The frame is known to the designer's streams; the graph is available to code, not on the palette.
        EXPECT_EQ(Classes::GetClass("TKTNEWQRVFrame"), frame);
        EXPECT_EQ(Classes::GetClass("TKTNEWQRVGraph"), nullptr);
        EXPECT_FALSE(ide.GetRegistrations().IsComponentRegistered(graph));
        std::unique_ptr<Classes::TComponent> g(Classes::CreateComponent(graph, nullptr));
        EXPECT_TRUE(g->InheritsFrom(&Controls::TControl::ClassInfo));
        EXPECT_FALSE(g->InheritsFrom(&Controls::TWinControl::ClassInfo));
        EXPECT_EQ(PropNames(graph),
                  (std::vector<String>{"Name", "Tag", "Left", "Top", "Width", "Height", "Cursor", "Hint"}));
        for (const char* c : {"Ferrolin:MasterFileSetting.TMasterFileSetting", "Ocellon:XPMan.TXPManifest"}) {
            String s = c;
            HMODULE m = ide.FindPackage(s.substr(0, s.find(':')))->GetHandle();
            auto* cls = Export<const TypInfo::TClassInfo>(m, s.substr(s.find(':') + 1));
            EXPECT_EQ(PropNames(cls), (std::vector<String>{"Name", "Tag"})) << c;
            EXPECT_EQ(cls->Parent, &Classes::TComponent::ClassInfo);
        }
        EXPECT_EQ(frame->Parent, &Forms::TScrollingWinControl::ClassInfo);
    }
    // Unloaded: nothing of them is left in the class registry, and their modules are gone.
    for (const char* name :
         {"TKTNEWQRVFrame", "TPageDialog", "TVeskMenu", "TMasterFileSetting", "TXPManifest"})
        EXPECT_EQ(Classes::GetClass(name), nullptr) << name;
    for (const TPackageFacts& p : Packages)
        EXPECT_EQ(GetModuleHandleW(Path(p.Name).c_str() + 2), nullptr) << p.Name;
}

TEST(OurPackages, ExportTheirUnitsEntitiesByUnitQualifiedNames) {
    for (const TPackageFacts& p : Packages) {
        SCOPED_TRACE(p.Name);
        HMODULE m = LoadLibraryW(Path(p.Name).c_str());
        ASSERT_NE(m, nullptr);
        std::vector<String> expected = {"@GetPackageInfoTable", "Finalize", "Initialize"};
        auto table = Export<const SysInit::TPackageInfoTable*()>(m, "@GetPackageInfoTable")();
        ASSERT_EQ(table->UnitCount, int(p.Units.size()));
        for (size_t i = 0; i < p.Units.size(); ++i) {
            const TUnitFacts& u = p.Units[i];
            String q = u.Name + ".";
            // The unit's entries, in the table as exported.
            expected.insert(expected.end(), {q + u.Name, q + "Finalization"});
            EXPECT_EQ(reinterpret_cast<void*>(table->UnitInfo[i].Init), Export<void>(m, q + u.Name));
            EXPECT_EQ(reinterpret_cast<void*>(table->UnitInfo[i].FInit), Export<void>(m, q + "Finalization"));
            if (u.Register) expected.push_back(q + "Register");
            // Classes: the class reference and the type information, both the class's own, of this unit.
            for (const String& c : u.Classes) {
                expected.insert(expected.end(), {q + c, q + c + ".ClassInfo"});
                auto* cls = Export<const TypInfo::TClassInfo>(m, q + c);
                ASSERT_NE(cls, nullptr) << c;
                EXPECT_EQ(cls, Export<const TypInfo::TClassInfo>(m, q + c + ".ClassInfo"));
                EXPECT_EQ(String(cls->ClassName), c);
                EXPECT_EQ(String(cls->UnitName), u.Name);
            }
            for (const String& t : u.Types) {
                expected.push_back(q + t);
                auto* info = Export<const TypInfo::TTypeInfo>(m, q + t);
                ASSERT_NE(info, nullptr) << t;
                EXPECT_EQ(String(info->Name), t);
            }
            for (const auto& [set, member] : u.Sets) {
                expected.push_back(q + set);
                auto* info = Export<const TypInfo::TTypeInfo>(m, q + set);
                ASSERT_NE(info, nullptr) << set;
                EXPECT_EQ(info->Kind, TypInfo::tkSet);
                EXPECT_EQ(info->CompType, Export<const TypInfo::TTypeInfo>(m, q + member));
            }
            for (const String& method : u.Methods)
                expected.push_back(q + method);
        }
        std::vector<String> names = ExportNames(m);
        std::erase_if(names, [](const String& n) { return n.starts_with("_Z"); }); // the C++ names
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(names, expected);
        // The framework's runtime package and no other package.
        std::vector<String> imports = ImportNames(m);
        EXPECT_NE(std::find(imports.begin(), imports.end(), "vcl30.dll"), imports.end());
        for (const TPackageFacts& other : Packages)
            EXPECT_EQ(std::find(imports.begin(), imports.end(), SysUtils::LowerCase(other.Name) + ".dll"),
                      imports.end());
        FreeLibrary(m);
    }
}

TEST(OurPackages, CarryTheirDescriptionInformationOptionsVersionAndManifest) {
    for (const TPackageFacts& p : Packages) {
        SCOPED_TRACE(p.Name);
        HMODULE m = LoadLibraryExW(Path(p.Name).c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(ResourceBytes(m, L"DESCRIPTION"), Utf16z(p.Description.c_str()));
        std::vector<uint8_t> info = ResourceBytes(m, L"PACKAGEINFO");
        ASSERT_GE(info.size(), 14u);
        EXPECT_EQ(info[0] | info[1] << 8 | info[2] << 16 | uint32_t(info[3]) << 24, p.Flags);
        TPackageInfo parsed = SysUtils::ParsePackageInfo(info.data(), info.size(), p.Name);
        EXPECT_EQ(parsed.Flags, p.Flags);
        EXPECT_EQ(parsed.Requires, std::vector<String>{"vcl30"});
        // The package itself first, its units, and the start-up code every package carries.
        std::vector<std::pair<String, int>> contains = {{p.Name, SysUtils::ufMainUnit}};
        for (const TUnitFacts& u : p.Units)
            contains.push_back({u.Name, SysUtils::ufPackageUnit});
        contains.push_back({"SysInit", SysUtils::ufWeakUnit | SysUtils::ufImplicitUnit});
        std::vector<std::pair<String, int>> got;
        for (const auto& u : parsed.Contains)
            got.push_back({u.Name, u.Flags});
        EXPECT_EQ(got, contains);
        std::vector<uint8_t> options = ResourceBytes(m, L"PACKAGEOPTIONS");
        EXPECT_EQ(
            SysUtils::ParsePackageOptions(options.data(), options.size(), p.Name),
            (std::vector<std::pair<String, String>>{
                {"UnitAliases", "WinTypes=Windows;WinProcs=Windows;DbiTypes=BDE;DbiProcs=BDE;DbiErrs=BDE;"},
                {"Description", p.Description}}));

        // The version resource: 1.0.0.0, 32-bit Windows, file type 1, Russian in code page 1251, texts empty.
        DWORD size = GetFileVersionInfoSizeW(Path(p.Name).c_str(), nullptr);
        EXPECT_EQ(size != 0, p.Version);
        if (size) {
            std::vector<uint8_t> v(size);
            ASSERT_TRUE(GetFileVersionInfoW(Path(p.Name).c_str(), 0, size, v.data()));
            VS_FIXEDFILEINFO* fixed = nullptr;
            UINT len = 0;
            ASSERT_TRUE(VerQueryValueW(v.data(), L"\\", reinterpret_cast<void**>(&fixed), &len));
            EXPECT_EQ(
                std::vector<DWORD>({fixed->dwFileVersionMS, fixed->dwFileVersionLS, fixed->dwProductVersionMS,
                                    fixed->dwProductVersionLS, fixed->dwFileOS, fixed->dwFileType}),
                std::vector<DWORD>({0x10000, 0, 0x10000, 0, 4, 1}));
            WORD* translation = nullptr;
            ASSERT_TRUE(VerQueryValueW(v.data(), L"\\VarFileInfo\\Translation",
                                       reinterpret_cast<void**>(&translation), &len));
            EXPECT_EQ(len, 4u);
            EXPECT_EQ(translation[0], 1049);
            EXPECT_EQ(translation[1], 1251);
            for (const wchar_t* key :
                 {L"CompanyName", L"FileDescription", L"FileVersion", L"InternalName", L"LegalCopyright",
                  L"LegalTrademarks", L"OriginalFilename", L"ProductName", L"ProductVersion", L"Comments"}) {
                wchar_t* text = nullptr;
                std::wstring query = std::wstring(L"\\StringFileInfo\\041904E3\\") + key;
                ASSERT_TRUE(VerQueryValueW(v.data(), query.c_str(), reinterpret_cast<void**>(&text), &len))
                    << WinTest::Utf8(key);
                EXPECT_TRUE(len == 0 || text[0] == 0) << WinTest::Utf8(key);
            }
        }
        // The manifest, as written, only in Ocellon.
        std::vector<uint8_t> manifest = ResourceBytes(m, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
        EXPECT_EQ(!manifest.empty(), p.Manifest);
        if (!manifest.empty()) {
            std::ifstream file(OCELLON_MANIFEST, std::ios::binary);
            std::stringstream text;
            text << file.rdbuf();
            EXPECT_EQ(String(manifest.begin(), manifest.end()), text.str());
        }
        FreeLibrary(m);
    }
}

TEST(OurPackages, OcellonsManifestAsksForVersionSixOfTheCommonControls) {
    wchar_t path[MAX_PATH];
    GetFullPathNameW(L"Ocellon.dll", MAX_PATH, path, nullptr);
    ACTCTXW ctx{};
    ctx.cbSize = sizeof ctx;
    ctx.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    ctx.lpSource = path;
    ctx.lpResourceName = MAKEINTRESOURCEW(1);
    HANDLE context = CreateActCtxW(&ctx);
    ASSERT_NE(context, INVALID_HANDLE_VALUE) << "the platform does not take the manifest: " << GetLastError();
    ULONG_PTR cookie = 0;
    // In that context comctl32.dll is the common controls assembly of version 6 (the platform's own
    // identity of the assembly it resolved the dependency to).
    ACTCTX_SECTION_KEYED_DATA data{};
    data.cbSize = sizeof data;
    ASSERT_TRUE(ActivateActCtx(context, &cookie));
    ASSERT_TRUE(FindActCtxSectionStringW(FIND_ACTCTX_SECTION_KEY_RETURN_HACTCTX, nullptr,
                                         ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, L"comctl32.dll", &data));
    DeactivateActCtx(0, cookie);
    SIZE_T size = 0;
    DWORD index = data.ulAssemblyRosterIndex;
    QueryActCtxW(0, data.hActCtx, &index, AssemblyDetailedInformationInActivationContext, nullptr, 0, &size);
    std::vector<uint8_t> buffer(size);
    ASSERT_TRUE(QueryActCtxW(0, data.hActCtx, &index, AssemblyDetailedInformationInActivationContext,
                             buffer.data(), size, &size));
    auto* info = reinterpret_cast<const ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION*>(buffer.data());
    String identity = WinTest::Utf8(info->lpAssemblyEncodedAssemblyIdentity);
    EXPECT_NE(identity.find("Microsoft.Windows.Common-Controls"), String::npos) << identity;
    EXPECT_NE(identity.find("version=\"6."), String::npos) << identity;
    EXPECT_NE(identity.find("publicKeyToken=\"6595b64144ccf1df\""), String::npos) << identity;
    ReleaseActCtx(data.hActCtx);
    ReleaseActCtx(context);
}

TEST(KTQRVNew, TheFrameStreamsItsTwentySevenPropertiesWithTheirDefaults) {
    Ide::TPackageManager ide;
    HMODULE m = ide.LoadPackage("NEWQRV.dll").GetHandle();
    auto* cls = Export<const TypInfo::TClassInfo>(m, "KTQRVNew.TKTNEWQRVFrame");
    EXPECT_EQ(
        PropNames(cls),
        (std::vector<String>{
            "Name",    "Tag",         "Left",          "Top",           "Width",     "Height",     "Cursor",
            "Hint",    "HelpContext", "HorzScrollBar", "VertScrollBar", "Align",     "Enabled",    "ShowHint",
            "Visible", "Ctl3D",       "TabStop",       "TabOrder",      "OnKeyUp",   "OnEnter",    "OnExit",
            "OnClick", "OnDblClick",  "OnDragDrop",    "OnDragOver",    "OnEndDrag", "OnStartDrag"}));
    // Declared defaults (a stored predicate where the value may come from the parent).
    struct TDefault {
        const char* Name;
        bool HasDefault;
        int64_t Value;
        bool ByPredicate;
    } defaults[] = {
        {"Width", true, 100, false}, {"Height", true, 100, false},   {"Align", true, 0, false},
        {"Enabled", true, 1, false}, {"ShowHint", false, 0, true},   {"Visible", true, 1, false},
        {"Ctl3D", false, 0, true},   {"TabStop", true, 1, false},    {"TabOrder", true, -1, false},
        {"Cursor", true, 0, false},  {"HelpContext", true, 0, false}};
    for (const TDefault& d : defaults) {
        const TypInfo::TPropInfo* p = TypInfo::GetPropInfo(cls, d.Name);
        EXPECT_EQ(p->HasDefault, d.HasDefault) << d.Name;
        if (d.HasDefault) {
            EXPECT_EQ(p->OrdDefault, d.Value) << d.Name;
        }
        EXPECT_EQ(p->StoredFn != nullptr, d.ByPredicate) << d.Name;
    }

    auto make = [&](const char* name) {
        std::unique_ptr<Classes::TComponent> f(Classes::CreateComponent(cls, nullptr));
        f->SetName(name);
        return f;
    };
    auto set = [](Classes::TComponent* f, const char* prop, int64_t v) {
        TypInfo::SetOrdProp(f, TypInfo::GetPropInfo(f, prop), v);
    };
    // A new frame is 100 by 100 and a tab stop: its stream holds none of that.
    auto frame = make("Frame1");
    EXPECT_EQ(TestSupport::WriteFormText(frame.get()),
              "object Frame1: TKTNEWQRVFrame\n  Left = 0\n  Top = 0\nend\n");
    // Width 100 not stored, 120 stored; TabStop false stored; ShowHint and Ctl3D once set, not from the
    // parent.
    set(frame.get(), "Height", 120);
    set(frame.get(), "TabStop", 0);
    set(frame.get(), "ShowHint", 0);
    set(frame.get(), "Ctl3D", 1);
    set(frame.get(), "Cursor", Controls::crHandPoint);
    auto* bar = static_cast<Forms::TControlScrollBar*>(
        TypInfo::GetObjectProp(frame.get(), TypInfo::GetPropInfo(frame.get(), "VertScrollBar")));
    bar->SetIncrement(16);
    String text = TestSupport::WriteFormText(frame.get());
    EXPECT_EQ(text,
              "object Frame1: TKTNEWQRVFrame\n  Left = 0\n  Top = 0\n  Height = 120\n  Cursor = crHandPoint\n"
              "  VertScrollBar.Increment = 16\n  ShowHint = False\n  Ctl3D = True\n  TabStop = False\nend\n");
    // Read back: what was stored, and the defaults for what was not.
    auto back = TestSupport::ReadFormText(text);
    auto value = [&](const char* prop) {
        return TypInfo::GetOrdProp(back.get(), TypInfo::GetPropInfo(back.get(), prop));
    };
    EXPECT_EQ(back->ClassType(), cls);
    EXPECT_EQ(std::vector<int64_t>({value("Width"), value("Height"), value("TabStop"), value("ShowHint"),
                                    value("Ctl3D"), value("Cursor"), value("Visible"), value("Enabled")}),
              std::vector<int64_t>({100, 120, 0, 0, 1, Controls::crHandPoint, 1, 1}));
    EXPECT_EQ(TestSupport::WriteFormText(back.get()), text);
}

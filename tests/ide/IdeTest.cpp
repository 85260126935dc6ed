// The IDE's package loading on test packages of the same frame: the order of the units' initialization,
// registration and finalization, failures on the way undone, the registrations and the editors found for
// components and properties, what is refused (required packages, duplicate units, files that are not
// packages or are damaged), and the module registration with a language resource module.
#include "ide/IdePalette.h"
#include "tests/ide/OrderUnits.h"
#include "tests/support/PackageTest.h"
#include "tests/support/WinTest.h"

#include "framework/core/ClassesReaderWriter.h"
#include "framework/core/ClassesRegistry.h"
#include "framework/core/ClassesStreams.h"
#include "framework/core/SysUtilsPackages.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace PackageTest;
using namespace OrderSecond;
using Ide::TPackageManager;
using SysUtils::EPackageError;

namespace {

String TakeLog() {
    std::wstring w = OrderTest::Env(L"IDE_TEST_LOG");
    SetEnvironmentVariableW(L"IDE_TEST_LOG", nullptr);
    return SysUtils::Utf16ToUtf8(std::u16string(w.begin(), w.end()));
}

void Fail(const wchar_t* event) {
    SetEnvironmentVariableW(L"IDE_TEST_FAIL", event);
}

// The message of the EPackageError that Load raises.
template <class F> String ErrorOf(F Load) {
    try {
        Load();
    } catch (const EPackageError& e) {
        return e.Message();
    }
    return "(no error)";
}

std::filesystem::path TempDir(const char* name) {
    auto dir = std::filesystem::temp_directory_path() / "ide_tests" / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

// A copy of Source at Target with its resources replaced or added.
// (An existing resource is changed in its own language, so that the copy holds one resource of that name.)
void Doctor(const std::filesystem::path& Source, const std::filesystem::path& Target,
            const std::vector<std::pair<LPCWSTR, std::vector<uint8_t>>>& Resources) {
    std::filesystem::copy_file(Source, Target, std::filesystem::copy_options::overwrite_existing);
    std::vector<WORD> languages;
    HMODULE source = LoadLibraryExW(Source.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    for (const auto& [name, data] : Resources) {
        WORD lang = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
        EnumResourceLanguagesW(
            source, MAKEINTRESOURCEW(10), name,
            [](HMODULE, LPCWSTR, LPCWSTR, WORD l, LONG_PTR found) {
                return *reinterpret_cast<WORD*>(found) = l, FALSE;
            },
            LONG_PTR(&lang));
        languages.push_back(lang);
    }
    FreeLibrary(source);
    HANDLE update = BeginUpdateResourceW(Target.c_str(), FALSE);
    ASSERT_NE(update, nullptr);
    for (size_t i = 0; i < Resources.size(); ++i) {
        const auto& [name, data] = Resources[i];
        ASSERT_TRUE(UpdateResourceW(update, MAKEINTRESOURCEW(10), name, languages[i],
                                    const_cast<uint8_t*>(data.data()), DWORD(data.size())));
    }
    ASSERT_TRUE(EndUpdateResourceW(update, FALSE));
}

std::vector<uint8_t> InfoBytes(uint32_t Flags, const std::vector<std::pair<String, uint8_t>>& Units) {
    SysUtils::TPackageInfo info{Flags, {"vcl30"}, {}};
    for (const auto& [name, flags] : Units)
        info.Contains.push_back({name, flags});
    return SysUtils::PackageInfoBytes(info);
}

class TProbe : public Classes::TComponent {
    DECLARE_CLASS(TProbe, Classes::TComponent)
public:
    using TComponent::TComponent;
};
PUBLISHED(TProbe, "IdeTest");

std::vector<uint8_t> ProbeStream(int Tag) {
    TProbe probe(nullptr);
    probe.SetTag(Tag);
    Classes::TMemoryStream m;
    Classes::WriteComponentToStream(m, &probe);
    auto* p = static_cast<const uint8_t*>(m.Memory());
    return std::vector<uint8_t>(p, p + m.GetSize());
}

struct TIdeTest : testing::Test {
    void SetUp() override {
        TakeLog();
        Fail(nullptr);
    }
    void TearDown() override { Fail(nullptr); }
};

} // namespace

TEST_F(TIdeTest, UnitsInitialiseInOrderRegisterAndFinaliseInReverse) {
    {
        TPackageManager ide;
        Ide::TPackage& p = ide.LoadPackage("IdeTestOrder.dll");
        EXPECT_EQ(TakeLog(), "OrderFirst+ OrderSecond+ OrderThird+ OrderSecond.Register ");
        // A second Initialize does nothing; the package's classes are known to streams while it is loaded.
        reinterpret_cast<void (*)()>(reinterpret_cast<void*>(p.GetExport("Initialize")))();
        EXPECT_EQ(TakeLog(), "");
        EXPECT_NE(Classes::GetClass("TOrderThing"), nullptr);
        // A method export is the method itself.
        auto* cls = reinterpret_cast<const TypInfo::TClassInfo*>(p.GetExport("OrderSecond.TOrderComponent"));
        auto create = reinterpret_cast<void (*)(void*, Classes::TComponent*)>(
            reinterpret_cast<void*>(p.GetExport("OrderSecond.TOrderComponent.Create")));
        alignas(16) char storage[sizeof(TOrderComponent)];
        create(storage, nullptr); // the complete-object constructor, in place
        auto* c = reinterpret_cast<TOrderComponent*>(storage);
        EXPECT_EQ(c->ClassType(), cls);
        EXPECT_EQ(reinterpret_cast<int (*)(const TOrderComponent*)>(
                      reinterpret_cast<void*>(p.GetExport("OrderSecond.TOrderComponent.KindNumber")))(c),
                  40);
        c->~TOrderComponent();
        ide.UnloadPackage(p);
        EXPECT_EQ(TakeLog(), "OrderThird- OrderSecond- OrderFirst- ");
        EXPECT_EQ(Classes::GetClass("TOrderThing"), nullptr);
        EXPECT_TRUE(ide.GetRegistrations().Pages().empty());
    }
    // Freed without Finalize, the package still finalises its units and takes its classes out of the
    // registry, also those someone else registered for it.
    HMODULE m = LoadLibraryW(L"IdeTestOrder.dll");
    SysInit::InitializePackage(m);
    Classes::RegisterClasses(
        {reinterpret_cast<const TypInfo::TClassInfo*>(GetProcAddress(m, "OrderSecond.TOrderItem"))});
    EXPECT_NE(Classes::GetClass("TOrderItem"), nullptr);
    FreeLibrary(m);
    EXPECT_EQ(TakeLog(), "OrderFirst+ OrderSecond+ OrderThird+ OrderThird- OrderSecond- OrderFirst- ");
    EXPECT_EQ(Classes::GetClass("TOrderItem"), nullptr);
    EXPECT_EQ(GetModuleHandleW(L"IdeTestOrder.dll"), nullptr);
}

TEST_F(TIdeTest, AFailureOnTheWayUndoesWhatWasDone) {
    TPackageManager ide;
    struct TCase {
        const wchar_t* FailAt;
        const char* Error;
        const char* Log;
    } cases[] = {
        {L"OrderSecond+", "Cannot initialize package IdeTestOrder: OrderSecond+ failed",
         "OrderFirst+ OrderFirst- "},
        {L"OrderSecond.Register",
         "Cannot register package IdeTestOrder: unit OrderSecond: OrderSecond.Register failed",
         "OrderFirst+ OrderSecond+ OrderThird+ OrderThird- OrderSecond- OrderFirst- "},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Error);
        Fail(c.FailAt);
        EXPECT_EQ(ErrorOf([&] { ide.LoadPackage("IdeTestOrder.dll"); }), c.Error);
        EXPECT_EQ(TakeLog(), c.Log);
        EXPECT_TRUE(ide.GetPackages().empty());
        EXPECT_TRUE(ide.GetRegistrations().GetPalette().empty()); // what Register had registered is gone
        EXPECT_EQ(Classes::GetClass("TOrderComponent"), nullptr);
        EXPECT_EQ(GetModuleHandleW(L"IdeTestOrder.dll"), nullptr);
    }
    // A finalization that fails leaves the package unloaded, the other units finalised.
    Fail(nullptr);
    Ide::TPackage& p = ide.LoadPackage("IdeTestOrder.dll");
    TakeLog();
    Fail(L"OrderSecond-");
    EXPECT_EQ(ErrorOf([&] { ide.UnloadPackage(p); }),
              "Package IdeTestOrder did not finalize cleanly: OrderSecond- failed");
    EXPECT_EQ(TakeLog(), "OrderThird- OrderFirst- ");
    EXPECT_TRUE(ide.GetPackages().empty());
}

TEST_F(TIdeTest, RegistrationsAndTheEditorsTheyGiveComponentsAndProperties) {
    TPackageManager ide;
    ide.LoadPackage("IdeTestOrder.dll");
    const Ide::TRegistrations& r = ide.GetRegistrations();
    EXPECT_EQ(Ide::PaletteText(ide),
              "IdeTestOrder.dll: \"Unit order test\", flags 40000002 (design-time only)\n"
              "palette:\n  Order: TOrderComponent\n"
              "components without icon:\n  TOrderItem\n"
              "component editors:\n  TOrderComponent: TOrderEditor\n"
              "property editors:\n"
              "  TOrderKind in any component, any property: TOrderKindEditor\n"
              "  TOrderThing in any component, any property: TOrderThingEditor\n"
              "  TOrderThing in TOrderComponent, property OTHER: TOrderNamedEditor\n");
    ASSERT_EQ(r.GetClasses().size(), 1u);
    EXPECT_EQ(String(r.GetClasses()[0].Class->ClassName), "TOrderThing");
    // The package's classes, seen through the class registry the designer's streams use.
    auto cls = [](const char* name) { return Classes::FindClass(name); };
    EXPECT_EQ(String(r.ComponentEditorOf(cls("TOrderItem"))->ClassName), "TOrderEditor"); // an ancestor's
    EXPECT_EQ(r.ComponentEditorOf(&Classes::TComponent::ClassInfo), nullptr);
    struct TCase {
        const char* Component;
        const char* Property;
        const char* Editor;
    } cases[] = {
        {"TOrderComponent", "Kind", "TOrderKindEditor"},   {"TOrderComponent", "Kinds", nullptr},
        {"TOrderComponent", "Thing", "TOrderThingEditor"}, {"TOrderComponent", "Other", "TOrderNamedEditor"},
        {"TOrderItem", "Other", "TOrderNamedEditor"},      {"TOrderItem", "Name", nullptr}};
    for (const TCase& c : cases) {
        System::TClass editor =
            r.PropertyEditorOf(cls(c.Component), TypInfo::GetPropInfo(cls(c.Component), c.Property));
        EXPECT_EQ(editor ? String(editor->ClassName) : String("none"),
                  c.Editor ? String(c.Editor) : String("none"))
            << c.Component << "." << c.Property;
    }
    // One component on the palette once; what is not a component, or registered without an IDE, is refused.
    auto* host = DsgnIntf::GetRegistrationHost();
    EXPECT_EQ(ErrorOf([&] { DsgnIntf::RegisterComponents("Other", {cls("TOrderItem")}); }),
              "Component TOrderItem cannot be registered by the IDE: IdeTestOrder has registered it already");
    EXPECT_THROW(DsgnIntf::RegisterComponents("Order", {cls("TOrderThing")}), Classes::EComponentError);
    EXPECT_THROW(DsgnIntf::RegisterComponents("", {cls("TOrderItem")}), Classes::EComponentError);
    EXPECT_THROW(DsgnIntf::RegisterComponentEditor(cls("TOrderThing"), &TProbe::ClassInfo),
                 Classes::EComponentError);
    EXPECT_THROW(DsgnIntf::RegisterPropertyEditor(&TOrderKind_TypeInfo, nullptr, "", nullptr),
                 Classes::EComponentError);
    DsgnIntf::SetRegistrationHost(nullptr);
    EXPECT_THROW(DsgnIntf::RegisterNoIcon({&TProbe::ClassInfo}), Classes::EComponentError);
    DsgnIntf::RegisterClasses({&TProbe::ClassInfo}); // still known to streams
    EXPECT_EQ(Classes::GetClass("TProbe"), &TProbe::ClassInfo);
    DsgnIntf::SetRegistrationHost(host);
}

TEST_F(TIdeTest, RefusesWhatCannotBeLoaded) {
    auto dir = TempDir("refused");
    auto plain = std::filesystem::absolute("IdeTestPlain.dll"),
         ferrolin = std::filesystem::absolute("Ferrolin.dll");
    std::vector<uint8_t> description = SysUtils::DescriptionBytes("Doctored"),
                         options = SysUtils::PackageOptionsBytes({{"Description", "Doctored"}});
    auto ferrolinUnits = [](std::vector<std::pair<String, uint8_t>> more) {
        std::vector<std::pair<String, uint8_t>> u = {{"Ferrolin", SysUtils::ufMainUnit},
                                                     {"MasterFileSetting", SysUtils::ufPackageUnit}};
        u.insert(u.end(), more.begin(), more.end());
        return u;
    };
    std::vector<uint8_t> good = InfoBytes(0x40000002, ferrolinUnits({}));
    std::vector<uint8_t> badHash = good;
    badHash[8] ^= 1; // the hash of "vcl30"
    struct TCase {
        const char* File;
        std::filesystem::path Source;
        std::vector<std::pair<LPCWSTR, std::vector<uint8_t>>> Resources;
        const char*
            Error; // what follows the file's path, or the whole message ("*": the folder; "~": a prefix)
    } cases[] = {
        {"plain.dll", plain, {}, " is not a package: it has no package information"},
        {"cut.dll",
         ferrolin,
         {{L"PACKAGEINFO", std::vector<uint8_t>(good.begin(), good.begin() + 12)}},
         "The package information of *cut.dll is damaged: a name at byte 9 has no end"},
        {"hash.dll",
         ferrolin,
         {{L"PACKAGEINFO", badHash}},
         "The package information of *hash.dll is damaged: the hash of the name vcl30 is wrong"},
        {"kind.dll",
         ferrolin,
         {{L"PACKAGEINFO", InfoBytes(0x80000002, ferrolinUnits({}))}},
         " is not a package: its package information is that of another kind of module"},
        {"nodesc.dll",
         plain,
         {{L"PACKAGEINFO", InfoBytes(0x40000002, {{"NoDesc", SysUtils::ufMainUnit}})}},
         " is not a package: it has no description"},
        {"runtime.dll",
         ferrolin,
         {{L"PACKAGEINFO", InfoBytes(0x40000004, ferrolinUnits({}))}},
         "Package Ferrolin is a run-time only package: the IDE installs design-time packages"},
        {"ghost.dll",
         ferrolin,
         {{L"PACKAGEINFO", InfoBytes(0x40000002, ferrolinUnits({{"Ghost", SysUtils::ufPackageUnit}}))}},
         "Package Ferrolin lacks the export Ghost.Ghost"},
        {"noentries.dll",
         plain,
         {{L"PACKAGEINFO", InfoBytes(0x40000002, {{"NoEntries", SysUtils::ufMainUnit}})},
          {L"DESCRIPTION", description},
          {L"PACKAGEOPTIONS", options}},
         "Package NoEntries lacks the export Initialize"},
        {"missing.dll", "", {}, "Cannot load package *missing.dll: system error 2~"},
    };
    TPackageManager ide;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.File);
        auto file = dir / c.File;
        if (!c.Source.empty()) Doctor(c.Source, file, c.Resources);
        String error = ErrorOf([&] { ide.LoadPackage(file.string()); });
        String expected = c.Error;
        if (expected[0] == ' ') expected = SysUtils::Utf16ToUtf8(file.u16string()) + expected;
        size_t star = expected.find('*');
        if (star != String::npos) expected.replace(star, 1, SysUtils::Utf16ToUtf8(dir.u16string()) + "\\");
        if (expected.back() == '~') {
            expected.pop_back();
            error.resize(std::min(error.size(), expected.size()));
        }
        EXPECT_EQ(error, expected);
        EXPECT_TRUE(ide.GetPackages().empty());
    }
    // Required packages come first, and stay while a package that needs them is loaded.
    EXPECT_EQ(ErrorOf([&] { ide.LoadPackage("IdeTestNeeds.dll"); }),
              "Package IdeTestNeeds requires package IdeTestOrder, which is not loaded");
    Ide::TPackage& order = ide.LoadPackage("IdeTestOrder.dll");
    Ide::TPackage& needs = ide.LoadPackage("IdeTestNeeds.dll");
    EXPECT_EQ(ErrorOf([&] { ide.UnloadPackage(order); }),
              "Package IdeTestOrder is required by package IdeTestNeeds: unload that first");
    EXPECT_EQ(ErrorOf([&] { ide.LoadPackage("IdeTestOrder.dll"); }),
              "Package IdeTestOrder is loaded already");
    ide.UnloadPackage(needs);
    ide.UnloadPackage(order);
    EXPECT_EQ(TakeLog(), "OrderFirst+ OrderSecond+ OrderThird+ OrderSecond.Register NeedsUnit+ NeedsUnit- "
                         "OrderThird- OrderSecond- OrderFirst- ");
    // One unit in two packages.
    ide.LoadPackage("NEWQRV.dll");
    EXPECT_EQ(ErrorOf([&] { ide.LoadPackage("IdeTestDup.dll"); }),
              "Package IdeTestDup contains unit KTQRVNew, which is also contained in package NEWQRV");
}

TEST_F(TIdeTest, ALoadedPackageIsAModuleWithItsLanguageResourceModule) {
    // A copy of NEWQRV holding a form resource, and beside it a language module holding another version.
    wchar_t lang[16];
    ASSERT_GT(GetLocaleInfoW(GetThreadLocale(), LOCALE_SABBREVLANGNAME, lang, 16), 0);
    auto dir = TempDir("language");
    auto package = dir / "NEWQRV.dll";
    Doctor(std::filesystem::absolute("NEWQRV.dll"), package, {{L"TPROBE", ProbeStream(1)}});
    TProbe probe(nullptr);
    auto tagRead = [&]() -> int {
        probe.SetTag(0);
        return Classes::ReadComponentRes("TPROBE", &probe) ? probe.GetTag() : -1;
    };
    std::wstring full(lang), two = full.substr(0, 2);
    for (const std::wstring& ext : {std::wstring(), full, two}) {
        SCOPED_TRACE(WinTest::Utf8(ext.empty() ? L"none" : ext));
        std::filesystem::remove(dir / (L"NEWQRV." + full));
        std::filesystem::remove(dir / (L"NEWQRV." + two));
        if (!ext.empty())
            Doctor(std::filesystem::absolute("IdeTestPlain.dll"), dir / (L"NEWQRV." + ext),
                   {{L"TPROBE", ProbeStream(2)}});
        EXPECT_EQ(tagRead(), -1);
        {
            TPackageManager ide;
            HMODULE m = ide.LoadPackage(package.string()).GetHandle();
            // The package's class leads to its module, whose resources are looked for in the language
            // module first.
            EXPECT_EQ(Classes::FindClassHInstance(
                          reinterpret_cast<System::TClass>(GetProcAddress(m, "KTQRVNew.TKTNEWQRVFrame"))),
                      m);
            void* res = Classes::FindResourceHInstance(m);
            EXPECT_EQ(res != m, !ext.empty());
            EXPECT_EQ(tagRead(), ext.empty() ? 1 : 2);
        }
        EXPECT_EQ(tagRead(), -1); // unloaded: neither module is searched any more
    }
}

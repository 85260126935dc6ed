// Form resources (Windows): components read from RCDATA resources of registered modules. The module is a
// real DLL, copied and given resources with the system's own UpdateResource, then loaded as a data file.
#ifdef _WIN32
#include "framework/core/ClassesReaderWriter.h"
#include "framework/core/ClassesRegistry.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <map>

using namespace Classes;
using SysUtils::String;

namespace FormResourceTestUnit {

class TResPart : public TComponent {
    DECLARE_CLASS(TResPart, TComponent)
public:
    using TComponent::TComponent;
    String FCaption;
};
PUBLISHED(TResPart, "FormResourceTest", TypInfo::Prop<&TResPart::FCaption>("Caption"));

class TResForm : public TComponent {
    DECLARE_CLASS(TResForm, TComponent)
public:
    using TComponent::TComponent;
    int FLoadedCount = 0;

protected:
    void Loaded() override {
        inherited::Loaded();
        ++FLoadedCount;
    }
};
PUBLISHED(TResForm, "FormResourceTest");

class TResDerivedForm : public TResForm {
    DECLARE_CLASS(TResDerivedForm, TResForm)
public:
    using TResForm::TResForm;
};
PUBLISHED(TResDerivedForm, "FormResourceTest");

std::vector<uint8_t> Stream(const String& rootClass, std::initializer_list<std::vector<uint8_t>> children) {
    auto str = [](std::vector<uint8_t>& b, const String& s) {
        b.push_back(uint8_t(s.size()));
        b.insert(b.end(), s.begin(), s.end());
    };
    std::vector<uint8_t> b = {'T', 'P', 'F', '0'};
    str(b, rootClass);
    str(b, "Form1");
    b.push_back(0);
    for (const auto& c : children)
        b.insert(b.end(), c.begin(), c.end());
    b.push_back(0);
    return b;
}

std::vector<uint8_t> Part(uint8_t prefix, const String& name, const String& caption) {
    std::vector<uint8_t> b;
    if (prefix) b.push_back(prefix);
    for (const String& s : {String("TResPart"), name, String("Caption")}) {
        b.push_back(uint8_t(s.size()));
        b.insert(b.end(), s.begin(), s.end());
    }
    b.push_back(0x06);
    b.push_back(uint8_t(caption.size()));
    b.insert(b.end(), caption.begin(), caption.end());
    b.push_back(0);
    b.push_back(0);
    return b;
}

// A copy of a DLL of the test's own folder with the given RCDATA resources, loaded as a data file.
class TResourceModule {
public:
    explicit TResourceModule(const std::map<std::wstring, std::vector<uint8_t>>& resources) {
        wchar_t source[MAX_PATH], temp[MAX_PATH];
        GetModuleFileNameW(GetModuleHandleW(L"libwinpthread-1.dll"), source, MAX_PATH);
        GetTempPathW(MAX_PATH, temp);
        FPath = std::wstring(temp) + L"formres" + std::to_wstring(GetCurrentProcessId()) + L".dll";
        EXPECT_TRUE(CopyFileW(source, FPath.c_str(), FALSE));
        HANDLE update = BeginUpdateResourceW(FPath.c_str(), FALSE);
        EXPECT_NE(update, nullptr);
        for (const auto& [name, bytes] : resources)
            EXPECT_TRUE(UpdateResourceW(update, MAKEINTRESOURCEW(10), name.c_str(),
                                        MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                                        const_cast<uint8_t*>(bytes.data()), DWORD(bytes.size())));
        EXPECT_TRUE(EndUpdateResourceW(update, FALSE));
        FModule = LoadLibraryExW(FPath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        EXPECT_NE(FModule, nullptr);
    }
    ~TResourceModule() {
        FreeLibrary(FModule);
        DeleteFileW(FPath.c_str());
    }
    HMODULE Module() const { return FModule; }

private:
    std::wstring FPath;
    HMODULE FModule = nullptr;
};

} // namespace FormResourceTestUnit

using namespace FormResourceTestUnit;

TEST(FormResources, ReadFromTheRegisteredModulesTheProgramFirst) {
    RegisterClasses({&TResPart::ClassInfo});
    TResourceModule dll({{L"TRESFORM", Stream("TResForm", {Part(0, "Part1", "base")})},
                         {L"TRESDERIVEDFORM", Stream("TResDerivedForm", {Part(0xF1, "Part1", "changed"),
                                                                         Part(0, "Part2", "added")})},
                         {L"TENBYTES", Stream("TResForm", {})}});
    TResForm form(nullptr);
    // Not registered yet: nothing found, nothing read.
    EXPECT_EQ(ReadComponentRes("TRESFORM", &form), nullptr);
    RegisterModule(dll.Module());
    EXPECT_EQ(ReadComponentRes("TRESFORM", &form), &form);
    EXPECT_EQ(form.GetName(), "Form1");
    ASSERT_EQ(form.GetComponentCount(), 1);
    EXPECT_EQ(static_cast<TResPart*>(form.GetComponent(0))->FCaption, "base");
    EXPECT_EQ(form.FLoadedCount, 1);

    // An inherited form reads its ancestor's stream, then its own (which changes Part1 and adds Part2).
    TResDerivedForm derived(nullptr);
    EXPECT_TRUE(InitInheritedComponent(&derived, &TComponent::ClassInfo));
    ASSERT_EQ(derived.GetComponentCount(), 2);
    EXPECT_EQ(static_cast<TResPart*>(derived.FindComponent("Part1"))->FCaption, "changed");
    EXPECT_EQ(static_cast<TResPart*>(derived.FindComponent("Part2"))->FCaption, "added");
    TResDerivedForm below(nullptr); // classes at and above the root ancestor are not read
    EXPECT_FALSE(InitInheritedComponent(&below, &TResDerivedForm::ClassInfo));

    // The program comes first: its own TENBYTES (ten bytes, no component stream) is the one found.
    TResForm other(nullptr);
    EXPECT_THROW(ReadComponentRes("TENBYTES", &other), EReadError);
    UnregisterModule(dll.Module());
    EXPECT_EQ(ReadComponentRes("TRESFORM", &other), nullptr);
    UnRegisterClass(&TResPart::ClassInfo);
}
#endif

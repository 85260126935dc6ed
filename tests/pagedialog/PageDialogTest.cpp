// TPageDialog without its dialog: defaults, the two setters and their flags, the component stream (and a
// form stored in inches loaded with its margins intact), the registration, the package's exports and
// resources.
#include "tests/pagedialog/PageDialogTestSupport.h"

#include "framework/core/ClassesReaderWriter.h"
#include "framework/core/ClassesRegistry.h"
#include "framework/core/ClassesText.h"
#include "framework/vcl/DsgnIntf.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

using namespace PageDialog;
using namespace PageDialogTest;

namespace {

String StreamText(Classes::TStream& binary) {
    Classes::TMemoryStream out;
    binary.SetPosition(0);
    Classes::ObjectBinaryToText(binary, out);
    return String(reinterpret_cast<const char*>(out.Memory()), size_t(out.GetSize()));
}

void Binary(const String& text, Classes::TStream& binary) {
    Classes::TMemoryStream in;
    in.WriteBuffer(text.data(), text.size());
    in.SetPosition(0);
    Classes::ObjectTextToBinary(in, binary);
    binary.SetPosition(0);
}

std::vector<double> Margins(const TPageDialog& d) {
    return {d.GetMarginTop(), d.GetMarginLeft(), d.GetMarginBottom(), d.GetMarginRight()};
}

// A form whose stream binds the dialog's events by name.
class TPageForm : public Forms::TForm {
    DECLARE_CLASS(TPageForm, Forms::TForm)
public:
    using TForm::TForm;
    int Shown = 0;
    void DialogShow(System::TObject*) { ++Shown; }
};
PUBLISHED(TPageForm, "PageDialogTest", PUBLISHED_METHOD(TPageForm, DialogShow));

} // namespace

TEST(PageDialog, NewComponentHasItsDefaultsAndPublishesInStreamOrder) {
    TPageDialog d(nullptr);
    EXPECT_EQ(Margins(d), (std::vector<double>{25, 15, 25, 15}));
    EXPECT_EQ(d.GetMeasureUnits(), muMillimeters);
    EXPECT_EQ(d.GetPageOptions(), TPageOptions{poMargins});
    EXPECT_EQ(d.GetFlags(), 10u); // PSD_MARGINS 2 + PSD_INHUNDREDTHSOFMILLIMETERS 8
    std::vector<String> names;
    for (const TypInfo::TPropInfo* p : TypInfo::GetPropList(&d))
        names.push_back(p->Name);
    EXPECT_EQ(names, (std::vector<String>{"Name", "Tag", "MarginTop", "MarginBottom", "MarginRight",
                                          "MarginLeft", "MeasureUnits", "PageOptions", "OnClose", "OnShow"}));
    EXPECT_EQ(TypInfo::GetPropInfo(&d, "MarginTop")->Kind, TypInfo::tkFloat);
    EXPECT_EQ(TypInfo::GetEnumName(&TMeasureUnit_TypeInfo, muInches), "muInches");
    EXPECT_EQ(TypInfo::GetEnumName(&TPageSetupFlags_TypeInfo, poDisablePrinter), "poDisablePrinter");
}

TEST(PageDialog, MeasureUnitsConvertsTheMarginsAndSwapsTheUnitFlag) {
    TPageDialog d(nullptr);
    d.SetMeasureUnits(muInches);
    EXPECT_EQ(Margins(d), (std::vector<double>{0.984251968503937, 0.5905511811023622, 0.984251968503937,
                                               0.5905511811023622}));
    EXPECT_EQ(d.GetFlags(), 6u); // PSD_MARGINS 2 + PSD_INTHOUSANDTHSOFINCHES 4
    // The same unit again changes nothing.
    d.SetMeasureUnits(muInches);
    EXPECT_EQ(d.GetMarginTop(), 0.984251968503937);
    EXPECT_EQ(d.GetFlags(), 6u);
    d.SetMeasureUnits(muMillimeters);
    for (double m : Margins(d))
        EXPECT_NEAR(m, m > 20 ? 25 : 15, 1e-13);
    EXPECT_EQ(d.GetFlags(), 10u);
    // A margin is a plain field: assigning it converts nothing and leaves the flags.
    d.SetMarginLeft(7.5);
    EXPECT_EQ(d.GetMarginLeft(), 7.5);
    EXPECT_EQ(d.GetFlags(), 10u);
}

TEST(PageDialog, PageOptionsAreNormalisedAndGiveTheFlags) {
    struct TCase {
        TPageOptions In, Out;
        DWORD Millimetres; // flags in millimetres; in inches 8 becomes 4
    } cases[] = {
        {{poMargins}, {poMargins}, 2 + 8},
        {{poDisableMargins, poMargins}, {poDisableMargins}, 16 + 8},
        {{}, {}, 8},
        {{poDisableOrientation, poDisablePaper, poDisablePrinter},
         {poDisableOrientation, poDisablePaper, poDisablePrinter},
         256 + 512 + 32 + 8},
        {{poMargins, poDisablePaper}, {poMargins, poDisablePaper}, 2 + 512 + 8},
        {{poDisableMargins, poMargins, poDisableOrientation},
         {poDisableMargins, poDisableOrientation},
         16 + 256 + 8},
    };
    for (const TCase& c : cases)
        for (TMeasureUnit unit : {muMillimeters, muInches}) {
            SCOPED_TRACE(
                TypInfo::SetToString(TypInfo::GetPropInfo(&TPageDialog::ClassInfo, "PageOptions")->PropType,
                                     c.In.ToInt()) +
                (unit == muInches ? " in inches" : ""));
            TPageDialog d(nullptr);
            d.SetMeasureUnits(unit);
            d.SetPageOptions(c.In);
            EXPECT_EQ(d.GetPageOptions(), c.Out);
            DWORD flags = unit == muInches ? c.Millimetres - 8 + 4 : c.Millimetres;
            EXPECT_EQ(d.GetFlags(), flags);
            // The unit flag follows a later change of unit too: exactly one of the two.
            d.SetMeasureUnits(unit == muInches ? muMillimeters : muInches);
            EXPECT_EQ(d.GetFlags(), unit == muInches ? flags - 4 + 8 : flags - 8 + 4);
        }
}

TEST(PageDialog, StreamsItsPropertiesAndLoadsStoredInchesIntact) {
    // 1. A new component: every margin and the options (always stored), not the default unit.
    TPageDialog d(nullptr);
    d.SetName("PageDialog1");
    Classes::TMemoryStream written;
    Classes::WriteComponentToStream(written, &d);
    EXPECT_EQ(StreamText(written), "object PageDialog1: TPageDialog\n"
                                   "  MarginTop =  2.50000000000000000000E+0001\n"
                                   "  MarginBottom =  2.50000000000000000000E+0001\n"
                                   "  MarginRight =  1.50000000000000000000E+0001\n"
                                   "  MarginLeft =  1.50000000000000000000E+0001\n"
                                   "  PageOptions = [poMargins]\n"
                                   "end\n");
    // 2. As the IDE stores one set to inches: the margins (stored before the unit) are inches already.
    Classes::TMemoryStream stored;
    Binary("object PageDialog1: TPageDialog\n"
           "  MarginTop = 1.0\n  MarginBottom = 0.5\n  MarginRight = 0.75\n  MarginLeft = 0.25\n"
           "  MeasureUnits = muInches\n  PageOptions = [poMargins, poDisablePaper]\nend\n",
           stored);
    auto loaded = Classes::ReadComponentFromStream(stored);
    auto* l = dynamic_cast<TPageDialog*>(loaded.get());
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(Margins(*l), (std::vector<double>{1.0, 0.25, 0.5, 0.75}));
    EXPECT_EQ(l->GetMeasureUnits(), muInches);
    EXPECT_EQ(l->GetFlags(), 2u + 512 + 4);
    // Once loaded, a change of unit converts again.
    l->SetMeasureUnits(muMillimeters);
    EXPECT_EQ(Margins(*l), (std::vector<double>{25.4, 6.35, 12.7, 19.05}));

    // 3. A form holding a dialog in inches, with an event, written and read into another form.
    TPageForm form(nullptr);
    auto* dialog = new TPageDialog(&form);
    dialog->SetName("PageDialog1");
    dialog->SetMeasureUnits(muInches);
    dialog->SetMarginRight(0.1);
    dialog->SetPageOptions({poDisableMargins, poMargins, poDisablePrinter});
    dialog->SetOnShow(Classes::TNotifyEvent::Bind<&TPageForm::DialogShow>(&form));
    Classes::TMemoryStream formStream;
    Classes::WriteComponentToStream(formStream, &form);
    String text = StreamText(formStream);
    EXPECT_NE(
        text.find("    MeasureUnits = muInches\n    PageOptions = [poDisableMargins, poDisablePrinter]\n"
                  "    OnShow = DialogShow\n"),
        String::npos)
        << text;
    TPageForm again(nullptr);
    formStream.SetPosition(0);
    Classes::ReadComponentFromStream(formStream, &again);
    auto* back = dynamic_cast<TPageDialog*>(again.FindComponent("PageDialog1"));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(Margins(*back), Margins(*dialog));
    EXPECT_EQ(back->GetMeasureUnits(), muInches);
    EXPECT_EQ(back->GetPageOptions(), (TPageOptions{poDisableMargins, poDisablePrinter}));
    EXPECT_EQ(back->GetFlags(), dialog->GetFlags());
    back->GetOnShow()(back);
    EXPECT_EQ(again.Shown, 1);
}

TEST(PageDialog, RegistersOnTheDialogsPageAndExportsItsEntriesByUnitName) {
    // What Register hands the IDE, seen by a host of the test's own.
    struct THost : DsgnIntf::TRegistrationHost {
        std::vector<std::pair<String, size_t>> Seen;
        void RegisterComponents(const String& Page, const std::vector<System::TClass>& Classes) override {
            for (System::TClass c : Classes)
                Seen.push_back({Page, c == &TPageDialog::ClassInfo ? 1u : 0u});
        }
        void RegisterNoIcon(const std::vector<System::TClass>&) override { Seen.push_back({"no icon", 0}); }
        void RegisterClasses(const std::vector<System::TClass>&) override { Seen.push_back({"classes", 0}); }
        void RegisterComponentEditor(System::TClass, System::TClass) override {
            Seen.push_back({"editor", 0});
        }
        void RegisterPropertyEditor(const DsgnIntf::TPropertyType&, System::TClass, const String&,
                                    System::TClass) override {
            Seen.push_back({"property editor", 0});
        }
    } host;
    DsgnIntf::SetRegistrationHost(&host);
    HMODULE package = GetModuleHandleW(L"tessip.dll");
    ASSERT_NE(package, nullptr);
    auto entry = [&](const char* name) { return reinterpret_cast<void*>(GetProcAddress(package, name)); };
    Register();
    reinterpret_cast<void (*)()>(entry("PageDialog.Register"))();
    EXPECT_THROW(DsgnIntf::RegisterComponents("Dialogs", {&Classes::TPersistent::ClassInfo}),
                 Classes::EComponentError);
    DsgnIntf::SetRegistrationHost(nullptr);
    EXPECT_EQ(host.Seen, (std::vector<std::pair<String, size_t>>{{"Dialogs", 1}, {"Dialogs", 1}}));
    // The class is known to streams while the package is initialised (the test environment did that).
    EXPECT_EQ(Classes::GetClass("TPageDialog"), &TPageDialog::ClassInfo);

    // The unit-qualified exports are the unit's own entries and data.
    EXPECT_EQ(entry("PageDialog.TPageDialog"), &TPageDialog::ClassInfo);
    // (The type information of enumerations is the package's copy, as its class's properties name it.)
    auto type = [](const char* prop) {
        return TypInfo::GetPropInfo(&TPageDialog::ClassInfo, prop)->PropType;
    };
    EXPECT_EQ(entry("PageDialog.TMeasureUnit"), type("MeasureUnits"));
    EXPECT_EQ(entry("PageDialog.TPageOptions"), type("PageOptions"));
    EXPECT_EQ(entry("PageDialog.TPageSetupFlags"), type("PageOptions")->CompType);
    for (const char* name : {"PageDialog.TPageDialog.Execute", "PageDialog.TPageDialog.Create",
                             "PageDialog.TPageDialog.Destroy"})
        EXPECT_NE(entry(name), nullptr) << name;
    TPageDialog d(nullptr);
    reinterpret_cast<void (*)(TPageDialog*, TMeasureUnit)>(entry("PageDialog.TPageDialog.SetMeasureUnits"))(
        &d, muInches);
    reinterpret_cast<void (*)(TPageDialog*, TPageOptions)>(entry("PageDialog.TPageDialog.SetPageOptions"))(
        &d, {poDisablePaper});
    EXPECT_EQ(d.GetMeasureUnits(), muInches);
    EXPECT_EQ(d.GetFlags(), 512u + 4);
}

TEST(PageDialog, PackageCarriesItsDescriptionAndPaletteBitmap) {
    HMODULE package = GetModuleHandleW(L"tessip.dll");
    HRSRC res = FindResourceW(package, L"DESCRIPTION", reinterpret_cast<LPCWSTR>(RT_RCDATA));
    ASSERT_NE(res, nullptr);
    std::u16string expected = u"Page Setup Dialog";
    ASSERT_EQ(SizeofResource(package, res), (expected.size() + 1) * 2);
    EXPECT_EQ(
        std::memcmp(LockResource(LoadResource(package, res)), expected.c_str(), (expected.size() + 1) * 2),
        0);

    res = FindResourceW(package, L"TPAGEDIALOG", reinterpret_cast<LPCWSTR>(RT_BITMAP));
    ASSERT_NE(res, nullptr);
    auto* info = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(package, res)));
    EXPECT_EQ(info->biWidth, 24);
    EXPECT_EQ(info->biHeight, 24);
    EXPECT_EQ(info->biBitCount, 4);
    EXPECT_EQ(info->biClrUsed, 16u);
    // Loaded as the palette loads it: the lower left pixel is the transparent olive, and the sheet is there.
    HBITMAP bitmap =
        static_cast<HBITMAP>(LoadImageW(package, L"TPAGEDIALOG", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(bitmap, nullptr);
    WinTest::TDib dib(24, 24);
    {
        WinHandles::TMemoryDC dc;
        WinHandles::TSelectObject select(dc, bitmap);
        BitBlt(dib.DC(), 0, 0, 24, 24, dc, 0, 0, SRCCOPY);
    }
    DeleteObject(bitmap);
    EXPECT_EQ(dib.Pixel(0, 23), RGB(128, 128, 0));
    EXPECT_GT(dib.Count({3, 2, 15, 20}, RGB(255, 255, 255)), 100);
    EXPECT_GT(dib.Count({0, 0, 24, 24}, RGB(0, 0, 255)), 10);
}

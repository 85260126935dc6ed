// TPageDialog::Execute with the real system dialog under Wine, worked from a thread timer: what the package
// hands the dialog (read by a spy on its import), the centred dialog, the disabled task windows, the
// margins and printer after OK and after Cancel, the errors, a machine without printers, and the global
// memory blocks, which must all be gone afterwards.
#include "tests/pagedialog/PageDialogTestSupport.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <memory>

using namespace PageDialog;
using namespace PageDialogTest;
using Printers::TPrinter;

namespace {

double Number(const String& text) {
    double v = -1;
    std::from_chars(text.data(), text.data() + text.size(), v);
    return v;
}

// OnShow and OnClose, each with the number of dialog calls made when it fired.
class TEvents : public System::TObject {
public:
    std::vector<String> Log;
    void Show(System::TObject*) {
        Log.push_back("show " + SysUtils::IntToStr(int64_t(TDialogSpy::Calls.size())));
    }
    void Close(System::TObject*) {
        Log.push_back("close " + SysUtils::IntToStr(int64_t(TDialogSpy::Calls.size())));
    }
    void Attach(TPageDialog& d) {
        d.SetOnShow(Classes::TNotifyEvent::Bind<&TEvents::Show>(this));
        d.SetOnClose(Classes::TNotifyEvent::Bind<&TEvents::Close>(this));
    }
};

// Steps of the scripts.
TStep SetMargin(int Edit, const wchar_t* Text) {
    return {IsPageSetup, [=](HWND d) {
                SetDlgItemTextW(d, Edit, Text);
                SendMessageW(d, WM_COMMAND, MAKEWPARAM(Edit, EN_CHANGE), LPARAM(GetDlgItem(d, Edit)));
            }};
}
TStep Click(int Button) {
    return {IsPageSetup, [=](HWND d) { SendDlgItemMessageW(d, Button, BM_CLICK, 0, 0); }};
}
TStep ChoosePrinter(const String& Name) {
    return {IsPrintSetup, [=](HWND d) {
                std::u16string name = SysUtils::Utf8ToUtf16(Name);
                HWND list = GetDlgItem(d, cmb4);
                LRESULT i = SendMessageW(list, CB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(name.c_str()));
                SendMessageW(list, CB_SETCURSEL, WPARAM(i), 0);
                SendMessageW(d, WM_COMMAND, MAKEWPARAM(cmb4, CBN_SELCHANGE), LPARAM(list));
            }};
}
// Reads what the four margin edits show (left, top, right, bottom) into Shown.
TStep ReadMargins(std::vector<double>& Shown) {
    return {IsPageSetup, [&Shown](HWND d) {
                Shown.clear();
                for (int id : {edt4, edt5, edt6, edt7})
                    Shown.push_back(Number(WinTest::WindowText(GetDlgItem(d, id))));
            }};
}

class PageDialogExecute : public testing::Test {
protected:
    static void SetUpTestSuite() {
        TDialogSpy::Install();
        Forms::Application->Initialize();
        // The system's first page setup dialog leaves its caches behind (see LiveGlobalBlocks).
        TPageDialog warmUp(nullptr);
        TDialogScript script({Press(IDCANCEL)});
        warmUp.Execute();
    }
    void SetUp() override {
        // Each test starts from the default printer, its device mode made, with a visible form active.
        FSaved = Printers::SetPrinter(new TPrinter());
        FBefore = Current();
        FForm = std::make_unique<Forms::TForm>(nullptr);
        FForm->SetBounds(20, 20, 200, 100);
        FForm->SetVisible(true);
        SetActiveWindow(FForm->GetHandle());
        TDialogSpy::Calls.clear();
        TDialogSpy::Watched = {FForm->GetHandle()};
        FBlocks = LiveGlobalBlocks();
    }
    void TearDown() override {
        TDialogSpy::Watched.clear();
        FForm.reset();
        delete Printers::SetPrinter(FSaved);
    }
    // After every Execute, whatever happened: the windows enabled and active again, no block left.
    void ExpectRestored() {
        EXPECT_TRUE(IsWindowEnabled(FForm->GetHandle()));
        EXPECT_EQ(GetActiveWindow(), FForm->GetHandle());
        EXPECT_EQ(LiveGlobalBlocks(), FBlocks);
    }

    TPrinter* FSaved = nullptr;
    TCurrent FBefore;
    std::unique_ptr<Forms::TForm> FForm;
    int FBlocks = 0;
};

} // namespace

TEST_F(PageDialogExecute, HandsTheDialogItsMarginsFlagsPrinterAndOwnerAndTakesThemBackAfterOk) {
    struct TCase {
        TMeasureUnit Unit;
        RECT Sent; // left, top, right, bottom
        DWORD Flags;
        std::vector<double> Back; // top, left, bottom, right
    } cases[] = {{muMillimeters, {1500, 2500, 1500, 2500}, 8202, {25, 15, 25, 15}},
                 {muInches, {591, 984, 591, 984}, 8198, {0.984, 0.591, 0.984, 0.591}}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Unit == muInches ? "inches" : "millimetres");
        TDialogSpy::Calls.clear();
        TCurrent before = Current();
        std::vector<BYTE> mode = Bytes(before.Mode);
        TPageDialog d(nullptr);
        d.SetMeasureUnits(c.Unit);
        TEvents events;
        events.Attach(d);
        TDialogScript script({Press(IDOK)});
        EXPECT_TRUE(d.Execute());
        EXPECT_TRUE(script.Finished());
        ASSERT_EQ(TDialogSpy::Calls.size(), 1u);
        const TDialogCall& call = TDialogSpy::Calls[0];
        const PAGESETUPDLGW& r = call.Record;
        // The wide record at this platform's size (the 32-bit ANSI one has 84 bytes).
        EXPECT_EQ(r.lStructSize, sizeof(PAGESETUPDLGW));
        EXPECT_NE(r.lStructSize, 84u);
        EXPECT_EQ(r.Flags, c.Flags);
        EXPECT_TRUE(EqualRect(&r.rtMargin, &c.Sent));
        EXPECT_EQ(r.ptPaperSize.x | r.ptPaperSize.y | r.rtMinMargin.left | r.rtMinMargin.bottom, 0);
        EXPECT_EQ(r.hwndOwner, Forms::Application->GetHandle());
        EXPECT_NE(r.lpfnPageSetupHook, nullptr);
        // The device names in wide form, offsets in characters after the 4-character header.
        EXPECT_EQ(call.Driver, before.Driver);
        EXPECT_EQ(call.Device, TestPrinter);
        EXPECT_EQ(call.Port, before.Port);
        EXPECT_EQ(call.DriverOffset, 4);
        EXPECT_EQ(call.DeviceOffset, 4 + before.Driver.size() + 1);
        EXPECT_EQ(call.OutputOffset, call.DeviceOffset + TestPrinter.size() + 1);
        EXPECT_EQ(call.Default, 0);
        // A copy of the printer's device mode, which the printer holds after OK.
        EXPECT_NE(r.hDevMode, before.Mode);
        EXPECT_EQ(call.DevMode, mode);
        EXPECT_EQ(Current().Mode, r.hDevMode);
        EXPECT_EQ(Current().Device, TestPrinter);
        // Modal: the form disabled meanwhile; the dialog centred, a third of the free height above it.
        EXPECT_TRUE(call.Enabled.empty());
        RECT w = script.FirstRect;
        EXPECT_EQ(w.left, (GetSystemMetrics(SM_CXSCREEN) - (w.right - w.left)) / 2);
        EXPECT_EQ(w.top, (GetSystemMetrics(SM_CYSCREEN) - (w.bottom - w.top)) / 3);
        EXPECT_EQ(events.Log, (std::vector<String>{"show 0", "close 1"}));
        EXPECT_EQ((std::vector<double>{d.GetMarginTop(), d.GetMarginLeft(), d.GetMarginBottom(),
                                       d.GetMarginRight()}),
                  c.Back);
        ExpectRestored();
    }
}

TEST_F(PageDialogExecute, OkHandsTheChosenPrinterOrientationAndMarginsOver) {
    TPageDialog d(nullptr);
    std::vector<double> shown;
    {
        TDialogScript script({Press(psh3), ChoosePrinter(CyrillicPrinter), Press(IDOK, IsPrintSetup),
                              Click(rad2), SetMargin(edt5, L"20"), ReadMargins(shown), Press(IDOK)});
        EXPECT_TRUE(d.Execute());
        EXPECT_TRUE(script.Finished());
    }
    // The margins the dialog showed, in millimetres; the top one typed.
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[1], 20);
    EXPECT_EQ(
        (std::vector<double>{d.GetMarginLeft(), d.GetMarginTop(), d.GetMarginRight(), d.GetMarginBottom()}),
        shown);
    TCurrent now = Current();
    EXPECT_EQ(now.Device, CyrillicPrinter);
    EXPECT_EQ(now.Port, "FILE:");
    EXPECT_EQ(DeviceName(now.Mode), CyrillicPrinter);
    EXPECT_EQ(Orientation(now.Mode), DMORIENT_LANDSCAPE);
    EXPECT_EQ(Printers::Printer()->GetPrinters()->Get(Printers::Printer()->GetPrinterIndex()),
              CyrillicPrinter);
    ExpectRestored();
    // The next dialog gets the Cyrillic name back intact.
    TDialogScript script({Press(IDCANCEL)});
    EXPECT_FALSE(d.Execute());
    ASSERT_EQ(TDialogSpy::Calls.size(), 2u);
    EXPECT_EQ(TDialogSpy::Calls[1].Device, CyrillicPrinter);
    EXPECT_EQ(TDialogSpy::Calls[1].DevMode, Bytes(Current().Mode));
}

TEST_F(PageDialogExecute, CancelKeepsTheRoundedMarginsAndThePrinterWhateverWasChanged) {
    TPageDialog d(nullptr);
    d.SetMarginTop(0.35);     // 35 hundredths, back as 0.35 (a double 35 * 0.01 is 0.35000000000000003)
    d.SetMarginLeft(15.004);  // 1500.4: 1500
    d.SetMarginBottom(0.125); // 12.5: to the even 12
    d.SetMarginRight(0.375);  // 37.5: to the even 38
    TEvents events;
    events.Attach(d);
    std::vector<BYTE> mode = Bytes(FBefore.Mode);
    TDialogScript script({Press(psh3), ChoosePrinter(CyrillicPrinter), Press(IDOK, IsPrintSetup), Click(rad2),
                          SetMargin(edt5, L"40"), Press(IDCANCEL)});
    EXPECT_FALSE(d.Execute());
    EXPECT_TRUE(script.Finished());
    ASSERT_EQ(TDialogSpy::Calls.size(), 1u);
    RECT sent{1500, 35, 38, 12};
    EXPECT_TRUE(EqualRect(&TDialogSpy::Calls[0].Record.rtMargin, &sent));
    EXPECT_EQ(
        (std::vector<double>{d.GetMarginTop(), d.GetMarginLeft(), d.GetMarginBottom(), d.GetMarginRight()}),
        (std::vector<double>{0.35, 15.0, 0.12, 0.38}));
    EXPECT_EQ(events.Log, (std::vector<String>{"show 0", "close 1"}));
    // The printer object as it was: its own device mode, untouched.
    TCurrent now = Current();
    EXPECT_EQ(now.Device, TestPrinter);
    EXPECT_EQ(now.Mode, FBefore.Mode);
    EXPECT_EQ(Bytes(now.Mode), mode);
    EXPECT_EQ(Orientation(now.Mode), DMORIENT_PORTRAIT);
    ExpectRestored();
}

TEST_F(PageDialogExecute, OptionsSwitchTheDialogsSections) {
    struct TCase {
        TPageOptions Options;
        DWORD Flags;
        bool Sections; // margins, orientation, paper and printer enabled
    } cases[] = {{{poDisableMargins, poMargins, poDisableOrientation, poDisablePaper, poDisablePrinter},
                  16 + 256 + 512 + 32 + 8 + 8192,
                  false},
                 {{}, 8 + 8192, true}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Flags);
        TDialogSpy::Calls.clear();
        TPageDialog d(nullptr);
        d.SetPageOptions(c.Options);
        std::vector<int> enabled;
        std::vector<double> shown;
        TDialogScript script({{IsPageSetup,
                               [&](HWND dlg) {
                                   for (int id : {edt4, rad2, cmb2, psh3})
                                       enabled.push_back(IsWindowEnabled(GetDlgItem(dlg, id)) ? 1 : 0);
                               }},
                              ReadMargins(shown),
                              Press(IDOK)});
        EXPECT_TRUE(d.Execute());
        ASSERT_EQ(TDialogSpy::Calls.size(), 1u);
        EXPECT_EQ(TDialogSpy::Calls[0].Record.Flags, c.Flags);
        EXPECT_EQ(enabled, std::vector<int>(4, c.Sections ? 1 : 0));
        // Without poMargins the dialog starts from margins of its own, and those come back.
        if (c.Sections) {
            EXPECT_EQ((std::vector<double>{d.GetMarginLeft(), d.GetMarginTop(), d.GetMarginRight(),
                                           d.GetMarginBottom()}),
                      shown);
        }
        ExpectRestored();
    }
}

TEST_F(PageDialogExecute, ErrorsEndTheCallWithEverythingRestored) {
    TPageDialog d(nullptr);
    TEvents events;
    events.Attach(d);
    // 1. The dialog call fails: the windows come back, both blocks go, the printer keeps its own.
    TDialogSpy::ThrowNext = true;
    EXPECT_THROW(d.Execute(), std::runtime_error);
    ASSERT_EQ(TDialogSpy::Calls.size(), 1u);
    EXPECT_TRUE(TDialogSpy::Calls[0].Enabled.empty());
    EXPECT_EQ(events.Log, std::vector<String>{"show 0"});
    EXPECT_EQ(d.GetMarginTop(), 25);
    EXPECT_EQ(Current().Mode, FBefore.Mode);
    ExpectRestored();
    // 2. A margin the record cannot hold, and the printer object failing: before OnShow and the dialog.
    d.SetMarginTop(1e300);
    EXPECT_THROW(d.Execute(), SysUtils::ERangeError);
    d.SetMarginTop(std::nan(""));
    EXPECT_THROW(d.Execute(), SysUtils::ERangeError);
    d.SetMarginTop(25);
    Printers::Printer()->SetPrinter("Нет такого принтера", "winspool", "LPT9:", nullptr);
    FBlocks = LiveGlobalBlocks(); // the printer freed its device mode
    EXPECT_THROW(d.Execute(), Printers::EPrinter);
    EXPECT_EQ(TDialogSpy::Calls.size(), 1u);
    EXPECT_EQ(events.Log, std::vector<String>{"show 0"});
    ExpectRestored();
}

TEST_F(PageDialogExecute, WithoutAnyPrinterTheSystemSaysSoAndExecuteReturnsFalse) {
    TNoPrinters none;
    delete Printers::SetPrinter(new TPrinter());
    FBlocks = LiveGlobalBlocks();
    TPageDialog d(nullptr);
    TEvents events;
    events.Attach(d);
    WinTest::TBoxDriver boxes;
    EXPECT_FALSE(d.Execute());
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_EQ(boxes.Seen()[0].Text, "No default printer defined.");
    ASSERT_EQ(TDialogSpy::Calls.size(), 1u);
    EXPECT_EQ(TDialogSpy::Calls[0].Record.hDevNames, nullptr);
    EXPECT_EQ(TDialogSpy::Calls[0].Record.hDevMode, nullptr);
    EXPECT_EQ(events.Log, (std::vector<String>{"show 0", "close 1"}));
    EXPECT_EQ(d.GetMarginTop(), 25);
    TCurrent now = Current();
    EXPECT_EQ(now.Device, "");
    EXPECT_EQ(now.Mode, nullptr);
    ExpectRestored();
}

TEST_F(PageDialogExecute, HookCentresTheDialogWithoutResizingIt) {
    TPageDialog d(nullptr);
    TDialogScript script({Press(IDCANCEL)});
    d.Execute();
    ASSERT_EQ(TDialogSpy::Calls.size(), 1u);
    LPPAGESETUPHOOK hook = TDialogSpy::Calls[0].Record.lpfnPageSetupHook;
    if (GetSystemMetrics(SM_CXSCREEN) != 1024 || GetSystemMetrics(SM_CYSCREEN) != 768)
        GTEST_SKIP() << "the cases are worked out for the 1024 by 768 screen that ./x test provides";
    // Quotients toward zero: a window larger than the screen goes up and left by the truncated amount.
    struct TCase {
        int W, H, X, Y;
    } cases[] = {{400, 300, 312, 156}, {1100, 1000, -38, -77}, {1024, 768, 0, 0}, {1, 2, 511, 255}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(SysUtils::IntToStr(c.W) + "x" + SysUtils::IntToStr(c.H));
        HWND w =
            CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 5, 7, c.W, c.H, nullptr, nullptr, nullptr, nullptr);
        EXPECT_EQ(hook(w, WM_SIZE, 0, 0), 0u);
        RECT r;
        GetWindowRect(w, &r);
        EXPECT_EQ(r.left, 5);
        EXPECT_EQ(hook(w, WM_INITDIALOG, 0, 0), 1u);
        GetWindowRect(w, &r);
        EXPECT_EQ(r.left, c.X);
        EXPECT_EQ(r.top, c.Y);
        EXPECT_EQ(r.right - r.left, c.W);
        EXPECT_EQ(r.bottom - r.top, c.H);
        DestroyWindow(w);
    }
}

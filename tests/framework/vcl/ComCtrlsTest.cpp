// ComCtrls: the progress bar on the system's progress control: range and position as the window reports
// them (PBM_GETRANGE, PBM_GETPOS), kept across the window's end and remaking.
#include "tests/framework/vcl/VclTestSupport.h"

#include <commctrl.h>

#include <memory>

using namespace VclTest;
using Graphics::Rect;

namespace {

struct TRange {
    int Low, High;
};
TRange RangeOf(HWND h) {
    PBRANGE r{};
    SendMessageW(h, PBM_GETRANGE, FALSE, LPARAM(&r));
    return {r.iLow, r.iHigh};
}
int PosOf(HWND h) {
    return int(SendMessageW(h, PBM_GETPOS, 0, 0));
}

} // namespace

TEST(ProgressBar, RangeAndPositionLiveInTheSystemsControl) {
    auto form = std::unique_ptr<TVclTestForm>(Forms::TCustomForm::Create<TVclTestForm>(nullptr));
    ComCtrls::TProgressBar* bar = form->ProgressBar;
    HWND h = bar->GetHandle();
    wchar_t cls[32] = {};
    GetClassNameW(h, cls, 32);
    EXPECT_EQ(std::wstring(cls), L"TProgressBar"); // a subclass of PROGRESS_CLASS under the control's name
    EXPECT_EQ(RangeOf(h).Low, 0);
    EXPECT_EQ(RangeOf(h).High, 100);
    EXPECT_EQ(PosOf(h), 0);
    // The converter's positions for eight tables.
    for (int p : {12, 25, 38, 50, 62, 75, 88, 100}) {
        bar->SetPosition(p);
        EXPECT_EQ(PosOf(h), p);
        EXPECT_EQ(bar->GetPosition(), p);
    }
    // The system control keeps its position inside the range.
    bar->SetPosition(150);
    EXPECT_EQ(PosOf(h), 100);
    bar->SetPosition(-5);
    EXPECT_EQ(PosOf(h), 0);
    bar->SetMax(200);
    bar->SetMin(10);
    EXPECT_EQ(RangeOf(h).Low, 10);
    EXPECT_EQ(RangeOf(h).High, 200);
    bar->SetPosition(150);
    bar->StepIt(); // Step 10
    EXPECT_EQ(PosOf(h), 160);
    bar->StepBy(-20);
    EXPECT_EQ(bar->GetPosition(), 140);
    // The window goes and comes back with the same range and position.
    form->RecreateWnd();
    HWND again = bar->GetHandle();
    EXPECT_EQ(RangeOf(again).Low, 10);
    EXPECT_EQ(RangeOf(again).High, 200);
    EXPECT_EQ(PosOf(again), 140);
}

TEST(ProgressBar, ValuesSetBeforeTheWindowExistsReachIt) {
    auto form = std::make_unique<Forms::TForm>(nullptr);
    auto* bar = new ComCtrls::TProgressBar(form.get());
    bar->SetParent(form.get());
    bar->SetMax(8);
    bar->SetPosition(3);
    EXPECT_FALSE(bar->HandleAllocated());
    EXPECT_EQ(bar->GetPosition(), 3);
    HWND h = bar->GetHandle();
    EXPECT_EQ(RangeOf(h).High, 8);
    EXPECT_EQ(PosOf(h), 3);
    // Its text font is the control's (WM_SETFONT at creation).
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)), bar->GetFont()->GetHandle());
}

TEST(ProgressBar, PaintToDrawsTheSystemsBarInsideTheForm) {
    auto form = std::unique_ptr<TVclTestForm>(Forms::TCustomForm::Create<TVclTestForm>(nullptr));
    ComCtrls::TProgressBar* bar = form->ProgressBar;
    RECT client;
    GetClientRect(form->GetHandle(), &client);
    COLORREF fill = GetSysColor(COLOR_HIGHLIGHT);
    RECT inner = {bar->GetLeft() + 2, bar->GetTop() + 2, bar->GetLeft() + bar->GetWidth() - 2,
                  bar->GetTop() + bar->GetHeight() - 2};
    int area = (inner.right - inner.left) * (inner.bottom - inner.top);
    // Empty, then full: the system's bar colour fills the inside of the control, at its place in the form.
    bar->SetPosition(0);
    {
        TDib dib(client.right, client.bottom);
        form->PaintTo(dib.DC(), 0, 0);
        EXPECT_EQ(dib.Count(inner, fill), 0);
    }
    bar->SetPosition(100);
    {
        TDib dib(client.right, client.bottom);
        form->PaintTo(dib.DC(), 0, 0);
        EXPECT_GT(dib.Count(inner, fill), area * 3 / 4);
        EXPECT_EQ(dib.Count(Rect(0, 0, client.right, bar->GetTop()), fill), 0);
    }
}

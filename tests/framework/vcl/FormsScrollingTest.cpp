// Forms: the scrolling control on a real window: ranges from the children, the window's bars, the
// children moved by the position, and what the bars' messages do.
#include "framework/vcl/FormsScrolling.h"
#include "tests/framework/vcl/VclTestSupport.h"

using namespace VclTest;
using namespace Forms;

namespace {

SCROLLINFO BarInfo(HWND h, int bar) {
    SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(h, bar, &si);
    return si;
}

bool Shows(HWND h, DWORD style) {
    return (GetWindowLongPtrW(h, GWL_STYLE) & style) != 0;
}

} // namespace

TEST(ScrollingWinControl, RangesFollowTheChildrenAndThePositionMovesThem) {
    TCustomForm form(nullptr);
    form.SetBounds(0, 0, 400, 300);
    auto* box = new TScrollingWinControl(&form);
    box->SetParent(&form);
    box->SetBounds(10, 10, 100, 100);
    auto* child = new Controls::TWinControl(&form);
    child->SetParent(box);
    child->SetBounds(0, 250, 40, 20);
    HWND h = box->GetHandle();
    TControlScrollBar* v = box->GetVertScrollBar();
    TControlScrollBar* hz = box->GetHorzScrollBar();

    // AutoScroll: the child's bottom is the range; only the vertical bar is needed, and it takes the width.
    EXPECT_EQ(v->GetRange(), 270);
    EXPECT_EQ(hz->GetRange(), 40);
    EXPECT_TRUE(Shows(h, WS_VSCROLL));
    EXPECT_FALSE(Shows(h, WS_HSCROLL));
    SCROLLINFO si = BarInfo(h, SB_VERT);
    EXPECT_EQ(si.nMax, 269);
    EXPECT_EQ(si.nPage, 100u);
    EXPECT_EQ(box->GetClientRect().right, 100 - GetSystemMetrics(SM_CXVSCROLL));

    // The bar's messages; the page is the client height (100), the end is range - page (170).
    struct TStep {
        WPARAM WParam;
        int Position;
    } steps[] = {{SB_LINEDOWN, 8},
                 {SB_LINEDOWN, 16},
                 {SB_PAGEDOWN, 116},
                 {SB_BOTTOM, 170},
                 {SB_LINEDOWN, 170},
                 {SB_LINEUP, 162},
                 {SB_PAGEUP, 62},
                 {MAKEWPARAM(SB_THUMBPOSITION, 50), 50},
                 {MAKEWPARAM(SB_THUMBTRACK, 60), 50},
                 {SB_TOP, 0},
                 {MAKEWPARAM(SB_THUMBPOSITION, 999), 170}};
    for (const TStep& s : steps) {
        SCOPED_TRACE(s.WParam);
        SendMessageW(h, WM_VSCROLL, s.WParam, 0);
        EXPECT_EQ(v->GetPosition(), s.Position);
        EXPECT_EQ(BarInfo(h, SB_VERT).nPos, s.Position);
        EXPECT_EQ(child->GetTop(), 250 - s.Position);
    }
    v->SetTracking(true);
    SendMessageW(h, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 60), 0);
    EXPECT_EQ(v->GetPosition(), 60);

    // Moving or growing the child while scrolled: the range is where it stands at position 0, plus Margin.
    child->SetTop(child->GetTop() + 30); // 190 + 30: at position 0 it would stand at 280
    EXPECT_EQ(v->GetRange(), 300);
    v->SetMargin(10);
    EXPECT_EQ(v->GetRange(), 310);
    EXPECT_EQ(v->GetPosition(), 60);

    // A child beyond the right edge too: both bars, each taking room from the other.
    auto* wide = new Controls::TWinControl(&form);
    wide->SetParent(box);
    wide->SetBounds(0, 0, 95, 10); // 95 fits 100, not the 100 - bar width beside the vertical bar
    EXPECT_TRUE(Shows(h, WS_HSCROLL));
    EXPECT_EQ(BarInfo(h, SB_HORZ).nPage, UINT(100 - GetSystemMetrics(SM_CXVSCROLL)));
    EXPECT_EQ(BarInfo(h, SB_VERT).nPage, UINT(100 - GetSystemMetrics(SM_CYHSCROLL)));

    // Without AutoScroll the ranges are what is set; a range that fits hides the bar and scrolls back.
    box->SetAutoScroll(false);
    delete wide;
    v->SetRange(90);
    hz->SetRange(0);
    EXPECT_FALSE(Shows(h, WS_VSCROLL));
    EXPECT_FALSE(Shows(h, WS_HSCROLL));
    EXPECT_EQ(v->GetPosition(), 0);
    EXPECT_EQ(child->GetTop(), 280);
    v->SetRange(400);
    v->SetPosition(-5);
    EXPECT_EQ(v->GetPosition(), 0);
    v->SetPosition(1000);
    EXPECT_EQ(v->GetPosition(), 300);
    v->SetVisible(false); // a bar that may not show scrolls back
    EXPECT_FALSE(Shows(h, WS_VSCROLL));
    EXPECT_EQ(child->GetTop(), 280);
    v->SetIncrement(0);
    EXPECT_EQ(v->GetIncrement(), 1);
}

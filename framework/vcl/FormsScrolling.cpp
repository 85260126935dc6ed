// Forms: TControlScrollBar and TScrollingWinControl.
//
// Invariants:
//   1. A bar's Position is within 0 .. Range - extent while it is shown and 0 while it is hidden (except
//   while
//      the control is read from a stream: Loaded puts it right).
//   2. The child controls stand where they would at position 0, moved left (up) by Position.
//   3. FShown is what the window shows; SetScrollInfo has the bar's range, extent and position.
#include "framework/vcl/FormsScrolling.h"

#include <algorithm>

namespace Forms {

using namespace Messages;
using namespace TypInfo;
using Controls::TControl;

// ==== TControlScrollBar ====================================================================================

TControlScrollBar::TControlScrollBar(TScrollingWinControl* AControl, TScrollBarKind AKind)
    : FControl(AControl), FKind(AKind) {}

Classes::TPersistent* TControlScrollBar::GetOwner() const {
    return FControl;
}

void TControlScrollBar::Assign(Classes::TPersistent* Source) {
    if (auto* s = dynamic_cast<TControlScrollBar*>(Source)) {
        FMargin = s->FMargin;
        FIncrement = s->FIncrement;
        FRange = s->FRange;
        FTracking = s->FTracking;
        FVisible = s->FVisible;
        Update();
        SetPosition(s->FPosition);
        return;
    }
    inherited::Assign(Source);
}

void TControlScrollBar::SetMargin(uint16_t Value) {
    FMargin = Value;
    Update();
}

void TControlScrollBar::SetIncrement(TScrollBarInc Value) {
    FIncrement = std::clamp<TScrollBarInc>(Value, 1, 32767);
}

void TControlScrollBar::SetRange(int Value) {
    FRange = std::max(Value, 0);
    Update();
}

void TControlScrollBar::SetVisible(bool Value) {
    FVisible = Value;
    Update();
}

bool TControlScrollBar::IsScrollBarVisible() const {
    return FVisible && FRange > ControlSize();
}

bool TControlScrollBar::IsRangeStored() const {
    return !FControl->GetAutoScroll();
}

int TControlScrollBar::ControlSize() const {
    // The client area as it is: without the room of the bars the window shows.
    Graphics::TRect r = FControl->GetClientRect();
    return FKind == sbHorizontal ? r.right : r.bottom;
}

void TControlScrollBar::SetPosition(int Value) {
    if (FControl->GetComponentState().Contains(Classes::csLoading)) {
        FPosition = Value; // invariant 1: Loaded puts it right
        return;
    }
    // Invariant 1.
    int size = ControlSize();
    Value = FVisible && FRange > size ? std::clamp(Value, 0, FRange - size) : 0;
    if (Value == FPosition) return;
    int delta = FPosition - Value;
    FPosition = Value;
    // Invariant 2.
    if (FKind == sbHorizontal)
        FControl->ScrollBy(delta, 0);
    else
        FControl->ScrollBy(0, delta);
    if (FControl->HandleAllocated() && FShown)
        SetScrollPos(FControl->GetHandle(), FKind == sbHorizontal ? SB_HORZ : SB_VERT, FPosition, TRUE);
}

void TControlScrollBar::Update() {
    if (FControl) FControl->UpdateScrollBars();
}

void TControlScrollBar::ScrollMessage(WPARAM WParam) {
    int page = ControlSize();
    // The thumb's place: the message holds 16 bits of it, the bar all 32.
    int thumb = HIWORD(WParam);
    if (FRange > 0xFFFF) {
        SCROLLINFO si{sizeof si, SIF_TRACKPOS, 0, 0, 0, 0, 0};
        GetScrollInfo(FControl->GetHandle(), FKind == sbHorizontal ? SB_HORZ : SB_VERT, &si);
        thumb = si.nTrackPos;
    }
    switch (LOWORD(WParam)) {
    case SB_LINEUP:
        SetPosition(FPosition - FIncrement);
        break;
    case SB_LINEDOWN:
        SetPosition(FPosition + FIncrement);
        break;
    case SB_PAGEUP:
        SetPosition(FPosition - page);
        break;
    case SB_PAGEDOWN:
        SetPosition(FPosition + page);
        break;
    case SB_THUMBTRACK:
        if (FTracking) SetPosition(thumb);
        break;
    case SB_THUMBPOSITION:
        SetPosition(thumb);
        break;
    case SB_TOP:
        SetPosition(0);
        break;
    case SB_BOTTOM:
        SetPosition(FRange);
        break;
    }
}

PUBLISHED(TControlScrollBar, "Forms",
          Prop<&TControlScrollBar::GetMargin, &TControlScrollBar::SetMargin>("Margin").Default(0),
          Prop<&TControlScrollBar::GetIncrement, &TControlScrollBar::SetIncrement>("Increment").Default(8),
          Prop<&TControlScrollBar::GetRange, &TControlScrollBar::SetRange>("Range")
              .Default(0)
              .Stored<&TControlScrollBar::IsRangeStored>(),
          Prop<&TControlScrollBar::GetPosition, &TControlScrollBar::SetPosition>("Position").Default(0),
          Prop<&TControlScrollBar::GetTracking, &TControlScrollBar::SetTracking>("Tracking").Default(false),
          Prop<&TControlScrollBar::GetVisible, &TControlScrollBar::SetVisible>("Visible").Default(true));

// ==== TScrollingWinControl =================================================================================

TScrollingWinControl::TScrollingWinControl(TComponent* AOwner)
    : TWinControl(AOwner), FHorzScrollBar(std::make_unique<TControlScrollBar>(this, sbHorizontal)),
      FVertScrollBar(std::make_unique<TControlScrollBar>(this, sbVertical)) {}

TScrollingWinControl::~TScrollingWinControl() {
    // The children go in TWinControl's destructor; their moves must not reach the bars, which go first.
    FUpdating = 1;
    FHorzScrollBar->FControl = nullptr;
    FVertScrollBar->FControl = nullptr;
}

void TScrollingWinControl::SetAutoScroll(bool Value) {
    if (Value == FAutoScroll) return;
    FAutoScroll = Value;
    UpdateScrollBars();
}

void TScrollingWinControl::CalcAutoRange() {
    // The furthest edge of a visible child, where it stands at position 0, and the margin.
    int right = 0, bottom = 0;
    for (int i = 0; i < GetControlCount(); ++i) {
        TControl* c = GetControl(i);
        if (!c->GetVisible()) continue;
        right = std::max(right, c->GetLeft() + c->GetWidth() + FHorzScrollBar->FPosition);
        bottom = std::max(bottom, c->GetTop() + c->GetHeight() + FVertScrollBar->FPosition);
    }
    FHorzScrollBar->FRange = right > 0 ? right + FHorzScrollBar->FMargin : 0;
    FVertScrollBar->FRange = bottom > 0 ? bottom + FVertScrollBar->FMargin : 0;
}

void TScrollingWinControl::UpdateScrollBars() {
    if (FUpdating || GetComponentState().Contains(Classes::csLoading) ||
        GetComponentState().Contains(Classes::csDestroying))
        return;
    ++FUpdating;
    struct TDone {
        int& N;
        ~TDone() { --N; }
    } done{FUpdating};
    if (FAutoScroll) CalcAutoRange();
    // 1. Which bars show: each takes room from the other's extent, so decide twice.
    TControlScrollBar& h = *FHorzScrollBar;
    TControlScrollBar& v = *FVertScrollBar;
    Graphics::TRect r = GetClientRect();
    int cx = GetSystemMetrics(SM_CXVSCROLL), cy = GetSystemMetrics(SM_CYHSCROLL);
    int fullWidth = r.right + (v.FShown ? cx : 0), fullHeight = r.bottom + (h.FShown ? cy : 0);
    bool showH = false, showV = false;
    for (int pass = 0; pass < 2; ++pass) {
        showH = h.FVisible && h.FRange > fullWidth - (showV ? cx : 0);
        showV = v.FVisible && v.FRange > fullHeight - (showH ? cy : 0);
    }
    int width = fullWidth - (showV ? cx : 0), height = fullHeight - (showH ? cy : 0);
    // 2. The positions within the new extents (invariant 1), the children moved with them (invariant 2).
    int x = showH ? std::clamp(h.FPosition, 0, h.FRange - width) : 0;
    int y = showV ? std::clamp(v.FPosition, 0, v.FRange - height) : 0;
    int dx = h.FPosition - x, dy = v.FPosition - y;
    h.FPosition = x;
    v.FPosition = y;
    if (dx || dy) ScrollBy(dx, dy);
    // 3. The window's bars (invariant 3).
    if (!HandleAllocated()) return;
    HWND wnd = GetHandle();
    auto apply = [&](TControlScrollBar& bar, int bar_id, bool show, int extent) {
        if (show) {
            SCROLLINFO si{
                sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, bar.FRange - 1, UINT(extent), bar.FPosition, 0};
            SetScrollInfo(wnd, bar_id, &si, TRUE);
        }
        if (show != bar.FShown) ShowScrollBar(wnd, bar_id, show);
        bar.FShown = show;
    };
    apply(h, SB_HORZ, showH, width);
    apply(v, SB_VERT, showV, height);
}

void TScrollingWinControl::ScrollBy(int DeltaX, int DeltaY) {
    ++FUpdating;
    struct TDone {
        int& N;
        ~TDone() { --N; }
    } done{FUpdating};
    for (int i = 0; i < GetControlCount(); ++i) {
        TControl* c = GetControl(i);
        c->SetBounds(c->GetLeft() + DeltaX, c->GetTop() + DeltaY, c->GetWidth(), c->GetHeight());
    }
    Invalidate();
}

void TScrollingWinControl::ScrollInView(TControl* AControl) {
    if (AControl == nullptr || AControl->GetParent() != this) return;
    Graphics::TRect r = GetClientRect();
    auto bring = [](TControlScrollBar& bar, int from, int size, int extent) {
        if (from < 0)
            bar.SetPosition(bar.GetPosition() + from);
        else if (from + size > extent)
            bar.SetPosition(bar.GetPosition() + std::min(from, from + size - extent));
    };
    bring(*FHorzScrollBar, AControl->GetLeft(), AControl->GetWidth(), r.right);
    bring(*FVertScrollBar, AControl->GetTop(), AControl->GetHeight(), r.bottom);
}

void TScrollingWinControl::CreateWnd() {
    inherited::CreateWnd();
    FHorzScrollBar->FShown = false;
    FVertScrollBar->FShown = false;
    UpdateScrollBars();
}

void TScrollingWinControl::Loaded() {
    inherited::Loaded();
    UpdateScrollBars();
}

void TScrollingWinControl::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_HSCROLL:
    case WM_VSCROLL:
        // The window's own bars (a scroll bar control would name itself in LParam).
        if (Message.LParam == 0) {
            (Message.Msg == WM_HSCROLL ? FHorzScrollBar : FVertScrollBar)->ScrollMessage(Message.WParam);
            Message.Result = 0;
            return;
        }
        break;
    case WM_SIZE:
        inherited::WndProc(Message);
        UpdateScrollBars();
        return;
    case CM_CONTROLCHANGE:
        if (FAutoScroll) UpdateScrollBars();
        return;
    }
    inherited::WndProc(Message);
}

PUBLISHED(
    TScrollingWinControl, "Forms",
    Prop<&TScrollingWinControl::GetHorzScrollBar, &TScrollingWinControl::SetHorzScrollBar>("HorzScrollBar"),
    Prop<&TScrollingWinControl::GetVertScrollBar, &TScrollingWinControl::SetVertScrollBar>("VertScrollBar"));

} // namespace Forms

// Forms: the scrolling container control.
//
// Declares: TScrollBarKind, TScrollBarInc, TControlScrollBar (one scroll bar of a scrolling control: its
// range, position, increment, margin, tracking and visibility) and TScrollingWinControl (a windowed
// control whose client area scrolls over its child controls).
//
//   auto* box = new Forms::TScrollingWinControl(form);     // owned by the form
//   box->SetParent(form);
//   box->SetBounds(0, 0, 100, 100);
//   auto* big = new StdCtrls::TLabel(form); big->SetParent(box); big->SetBounds(0, 280, 40, 13);
//   // AutoScroll: the vertical range becomes 293 (the label's bottom), and the bar shows
//   box->GetVertScrollBar()->SetPosition(50);              // the label is now at 230
//
// A bar shows when it is Visible and its Range is larger than the client extent it scrolls; Position
// stays within 0 .. Range - extent and is 0 while the bar is hidden. Moving the position moves the child
// controls by the difference. With AutoScroll (the default) the ranges follow the child controls: the
// furthest right (bottom) edge of a visible child, at position 0, plus Margin; then Range is not stored.
// WM_HSCROLL and WM_VSCROLL of the window's own bars move the position by Increment (arrows), by the
// extent (the page), to the ends, or to the thumb (while it is dragged only with Tracking).
#pragma once

#include "framework/vcl/Controls.h"

namespace Forms {

enum TScrollBarKind : uint8_t { sbHorizontal, sbVertical };
using TScrollBarInc = int16_t; // 1 .. 32767

class TScrollingWinControl;

class TControlScrollBar : public Classes::TPersistent {
    DECLARE_CLASS(TControlScrollBar, Classes::TPersistent)
public:
    TControlScrollBar(TScrollingWinControl* AControl, TScrollBarKind AKind);
    void Assign(Classes::TPersistent* Source) override;
    Classes::TPersistent* GetOwner() const override;

    TScrollBarKind GetKind() const { return FKind; }
    uint16_t GetMargin() const { return FMargin; }
    void SetMargin(uint16_t Value);
    // Clamped to 1 .. 32767.
    TScrollBarInc GetIncrement() const { return FIncrement; }
    void SetIncrement(TScrollBarInc Value);
    int GetRange() const { return FRange; }
    void SetRange(int Value);
    int GetPosition() const { return FPosition; }
    void SetPosition(int Value);
    bool GetTracking() const { return FTracking; }
    void SetTracking(bool Value) { FTracking = Value; }
    bool GetVisible() const { return FVisible; }
    void SetVisible(bool Value);
    // Shown: Visible and a range beyond the extent.
    bool IsScrollBarVisible() const;
    bool IsRangeStored() const;

private:
    friend class TScrollingWinControl;
    // The client extent the bar scrolls: the width (height) of the client area as it is now.
    int ControlSize() const;
    void ScrollMessage(WPARAM WParam);
    void Update();

    TScrollingWinControl* FControl;
    TScrollBarKind FKind;
    uint16_t FMargin = 0;
    TScrollBarInc FIncrement = 8;
    int FRange = 0;
    int FPosition = 0;
    bool FTracking = false;
    bool FVisible = true;
    bool FShown = false; // whether the window shows the bar now
};

class TScrollingWinControl : public Controls::TWinControl {
    DECLARE_CLASS(TScrollingWinControl, Controls::TWinControl)
public:
    explicit TScrollingWinControl(TComponent* AOwner);
    ~TScrollingWinControl() override;

    TControlScrollBar* GetHorzScrollBar() const { return FHorzScrollBar.get(); }
    void SetHorzScrollBar(TControlScrollBar* Value) { FHorzScrollBar->Assign(Value); }
    TControlScrollBar* GetVertScrollBar() const { return FVertScrollBar.get(); }
    void SetVertScrollBar(TControlScrollBar* Value) { FVertScrollBar->Assign(Value); }
    bool GetAutoScroll() const { return FAutoScroll; }
    void SetAutoScroll(bool Value);
    // Moves the position so that AControl (a child) is wholly in view, as far as it fits.
    void ScrollInView(Controls::TControl* AControl);
    // Works out the ranges (AutoScroll) and shows, hides and sets the window's bars.
    void UpdateScrollBars();

    void WndProc(Messages::TMessage& Message) override;

protected:
    void CreateWnd() override;
    void Loaded() override;
    // Moves the child controls by (DeltaX, DeltaY): what a change of position does.
    void ScrollBy(int DeltaX, int DeltaY);

private:
    friend class TControlScrollBar;
    void CalcAutoRange();

    std::unique_ptr<TControlScrollBar> FHorzScrollBar;
    std::unique_ptr<TControlScrollBar> FVertScrollBar;
    bool FAutoScroll = true;
    int FUpdating = 0; // inside UpdateScrollBars or ScrollBy: the children's moves are ours
};

} // namespace Forms

// KTQRVNew: the unit of the NEWQRV package, a scrolling frame control and a plain control.
//
// Declares: TKTNEWQRVFrame (a windowed, scrolling container on the palette page "Umbrevale"),
// TKTNEWQRVGraph (a control without a window, for code only: not on the palette), and the unit's entries
// Initialization, Finalization and Register.
//
//   auto* frame = new KTQRVNew::TKTNEWQRVFrame(form);    // 100 by 100, a tab stop
//   frame->SetParent(form);
//   auto* child = new StdCtrls::TLabel(form); child->SetParent(frame); child->SetTop(300);
//   // the frame shows a vertical scroll bar (AutoScroll of the scrolling control)
//
// The frame publishes, after what the scrolling control publishes (Name, Tag, Left, Top, Width, Height,
// Cursor, Hint, HelpContext, HorzScrollBar, VertScrollBar; Width and Height with the default 100, in their
// places), Align, Enabled, ShowHint, Visible, Ctl3D, TabStop (default true), TabOrder and the events OnKeyUp,
// OnEnter, OnExit, OnClick, OnDblClick, OnDragDrop, OnDragOver, OnEndDrag and OnStartDrag: 27 properties.
// A new frame starts with the values its stream leaves out (100 by 100, TabStop true), so that what is
// written reads back the same.
#pragma once

#include "framework/vcl/FormsScrolling.h"

namespace KTQRVNew {

using Classes::TComponent;

class TKTNEWQRVFrame : public Forms::TScrollingWinControl {
    DECLARE_CLASS(TKTNEWQRVFrame, Forms::TScrollingWinControl)
public:
    explicit TKTNEWQRVFrame(TComponent* AOwner);
};

class TKTNEWQRVGraph : public Controls::TControl {
    DECLARE_CLASS(TKTNEWQRVGraph, Controls::TControl)
public:
    using TControl::TControl;
};

// The unit's initialization and finalization: it holds nothing, so they have nothing to do.
void Initialization();
void Finalization();
// TKTNEWQRVFrame on the palette page "Umbrevale".
void Register();

} // namespace KTQRVNew

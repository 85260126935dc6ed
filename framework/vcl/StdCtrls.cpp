// StdCtrls: TCustomLabel and TLabel (the windowed controls are in StdCtrlsButtons.cpp, StdCtrlsEdit.cpp and
// StdCtrlsLists.cpp).
#include "framework/vcl/StdCtrls.h"

#include "framework/core/ClassesRegistry.h"

namespace StdCtrls {

using namespace Messages;
using namespace TypInfo;
using Controls::TControl;

TCustomLabel::TCustomLabel(Classes::TComponent* AOwner) : TGraphicControl(AOwner) {
    FControlStyle += Controls::TControlStyle{Controls::csOpaque, Controls::csReplicatable};
    SetBounds(0, 0, 65, 17);
}

void TCustomLabel::SetAutoSize(bool Value) {
    if (Value == FAutoSize) return;
    FAutoSize = Value;
    AdjustBounds();
}

void TCustomLabel::SetAlignment(TAlignment Value) {
    if (Value == FAlignment) return;
    FAlignment = Value;
    Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool Value) {
    if (Value == FShowAccelChar) return;
    FShowAccelChar = Value;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetTransparent(bool Value) {
    if (Value == GetTransparent()) return;
    if (Value)
        FControlStyle.Exclude(Controls::csOpaque);
    else
        FControlStyle.Include(Controls::csOpaque);
    Invalidate();
}

void TCustomLabel::SetWordWrap(bool Value) {
    if (Value == FWordWrap) return;
    FWordWrap = Value;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetFocusControl(Controls::TWinControl* Value) {
    if (Value == FFocusControl) return;
    if (FFocusControl) FFocusControl->RemoveFreeNotification(this);
    FFocusControl = Value;
    if (Value) Value->FreeNotification(this);
}

void TCustomLabel::Notification(Classes::TComponent* AComponent, Classes::TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    if (Operation == Classes::opRemove && AComponent == FFocusControl) FFocusControl = nullptr;
}

void TCustomLabel::WndProc(TMessage& Message) {
    if (Message.Msg == CM_TEXTCHANGED || Message.Msg == CM_FONTCHANGED) AdjustBounds();
    if (Message.Msg == Controls::CM_DIALOGCHAR) {
        // The label's accelerator focuses its control.
        Message.Result = 0;
        if (FFocusControl && FShowAccelChar && GetEnabled() &&
            Controls::IsAccel(wchar_t(Message.WParam), GetCaption()) && FFocusControl->CanFocus()) {
            FFocusControl->SetFocus();
            Message.Result = 1;
        }
        return;
    }
    inherited::WndProc(Message);
}

void TCustomLabel::Loaded() {
    inherited::Loaded();
    AdjustBounds();
}

void TCustomLabel::DoDrawText(Graphics::TCanvas& Canvas, Graphics::TRect& Rect, UINT Flags) {
    String text = GetText();
    // An empty label is measured as one space: it keeps the height of a line.
    if ((Flags & DT_CALCRECT) && (text.empty() || (FShowAccelChar && text == "&"))) text += " ";
    if (!FShowAccelChar) Flags |= DT_NOPREFIX;
    Canvas.SetFont(GetFont());
    if (!GetEnabled()) {
        // Disabled: the text embossed, highlight one pixel down and right under the shadow.
        OffsetRect(&Rect, 1, 1);
        Canvas.GetFont()->SetColor(Graphics::clBtnHighlight);
        Canvas.DrawText(text, Rect, Flags);
        OffsetRect(&Rect, -1, -1);
        Canvas.GetFont()->SetColor(Graphics::clBtnShadow);
    }
    Canvas.DrawText(text, Rect, Flags);
}

void TCustomLabel::AdjustBounds() {
    if (!FAutoSize || GetComponentState().Contains(Classes::csLoading)) return;
    WinHandles::TWindowDC dc(nullptr);
    Graphics::TCanvas canvas; // declared after the DC: it lets the DC go first
    canvas.SetHandle(dc);
    Graphics::TRect r = GetClientRect();
    DoDrawText(canvas, r, DT_EXPANDTABS | DT_CALCRECT | (FWordWrap ? DT_WORDBREAK : 0));
    int x = GetLeft();
    if (FAlignment == Controls::taRightJustify) x += GetWidth() - r.right;
    SetBounds(x, GetTop(), r.right, r.bottom);
}

void TCustomLabel::Paint() {
    static constexpr UINT alignments[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    Graphics::TCanvas& canvas = *GetCanvas();
    Graphics::TRect r = GetClientRect();
    if (!GetTransparent()) {
        canvas.GetBrush()->SetColor(GetColor());
        canvas.GetBrush()->SetStyle(Graphics::bsSolid);
        canvas.FillRect(r);
    }
    canvas.GetBrush()->SetStyle(Graphics::bsClear);
    DoDrawText(canvas, r, DT_EXPANDTABS | (FWordWrap ? DT_WORDBREAK : 0) | alignments[FAlignment]);
}

PUBLISHED(TCustomLabel, "StdCtrls");
PUBLISHED(
    TLabel, "StdCtrls", Prop<&TControl::GetAlign, &TControl::SetAlign>("Align").Default(Controls::alNone),
    Prop<&TCustomLabel::GetAlignment, &TCustomLabel::SetAlignment>("Alignment")
        .Default(Controls::taLeftJustify),
    Prop<&TCustomLabel::GetAutoSize, &TCustomLabel::SetAutoSize>("AutoSize").Default(true),
    Prop<&TControl::GetCaption, &TControl::SetCaption>("Caption"),
    Prop<&TCustomLabel::GetFocusControl, &TCustomLabel::SetFocusControl>("FocusControl"),
    Prop<&TControl::GetColor, &TControl::SetColor>("Color")
        .Type(&Graphics::TColor_TypeInfo)
        .Stored<&TControl::IsColorStored>(),
    Prop<&TControl::GetEnabled, &TControl::SetEnabled>("Enabled").Default(true),
    Prop<&TControl::GetFont, &TControl::SetFont>("Font").Stored<&TControl::IsFontStored>(),
    Prop<&TControl::GetParentColor, &TControl::SetParentColor>("ParentColor").Default(true),
    Prop<&TControl::GetParentFont, &TControl::SetParentFont>("ParentFont").Default(true),
    Prop<&TCustomLabel::GetShowAccelChar, &TCustomLabel::SetShowAccelChar>("ShowAccelChar").Default(true),
    Prop<&TCustomLabel::GetTransparent, &TCustomLabel::SetTransparent>("Transparent").Default(false),
    Prop<&TControl::GetVisible, &TControl::SetVisible>("Visible").Default(true),
    Prop<&TCustomLabel::GetWordWrap, &TCustomLabel::SetWordWrap>("WordWrap").Default(false),
    Prop<&TControl::GetOnClick, &TControl::SetOnClick>("OnClick"),
    Prop<&TControl::GetOnDblClick, &TControl::SetOnDblClick>("OnDblClick"),
    Prop<&TControl::GetOnMouseDown, &TControl::SetOnMouseDown>("OnMouseDown"),
    Prop<&TControl::GetOnMouseMove, &TControl::SetOnMouseMove>("OnMouseMove"),
    Prop<&TControl::GetOnMouseUp, &TControl::SetOnMouseUp>("OnMouseUp"));

namespace {
struct TStdCtrlsUnit {
    TStdCtrlsUnit() {
        Classes::RegisterClasses({&TLabel::ClassInfo, &TEdit::ClassInfo, &TCheckBox::ClassInfo,
                                  &TComboBox::ClassInfo, &TButton::ClassInfo, &TGroupBox::ClassInfo,
                                  &TListBox::ClassInfo});
    }
} StdCtrlsUnit;
} // namespace

} // namespace StdCtrls

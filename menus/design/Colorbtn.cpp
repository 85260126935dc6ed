// Colorbtn: the colour button, its painting, input and colour dialog, and its About editor.
//
// States: FState is bsUp at rest and bsDown while a left press (mouse or Space) is held over the button;
// FTracking spans from the press to the release (or to the click that ends it).
#include "menus/design/Colorbtn.h"

#include "framework/core/ClassesRegistry.h"
#include "framework/vcl/Forms.h"

namespace Colorbtn {

using namespace TypInfo;
using Controls::TControl;
using Controls::TMouseButton;
using Controls::TShiftState;
using Controls::TWinControl;
using Graphics::TCanvas;

TColorButton::TColorButton(TComponent* AOwner)
    : TCustomControl(AOwner), FCustomColors(std::make_unique<Controls::TPersistentStrings>()) {
    SetBounds(GetLeft(), GetTop(), 44, 22);
    SetParentFont(true);
    SetTabStop(true);
}

TColorButton::~TColorButton() = default;

void TColorButton::SetStateColor(TColor Value) {
    FColor = Value;
    Invalidate();
}

void TColorButton::SetCustomColors(const Classes::TStrings* Value) {
    FCustomColors->Clear();
    if (Value != nullptr) FCustomColors->AddStrings(*Value);
}

void TColorButton::SetMargin(uint8_t Value) {
    if (Value < 2) FMargin = Value;
    Invalidate();
}

void TColorButton::SetState(TButtonState Value) {
    if (FState == Value) return;
    FState = Value;
    Invalidate();
}

// ---- Painting ---------------------------------------------------------------------------------------------

void TColorButton::DrawBevelLine(TCanvas& Canvas, const TRect& Rect, TColor TopLeft, TColor BottomRight) {
    Graphics::TPoint topRight{Rect.right, Rect.top}, bottomLeft{Rect.left, Rect.bottom};
    Canvas.GetPen()->SetColor(TopLeft);
    Canvas.Polyline({bottomLeft, {Rect.left, Rect.top}, topRight});
    Canvas.GetPen()->SetColor(BottomRight);
    // One pixel further left, so that the bottom line reaches the left edge's column.
    bottomLeft.x -= 1;
    Canvas.Polyline({topRight, {Rect.right, Rect.bottom}, bottomLeft});
}

void TColorButton::DrawBevel(TCanvas& Canvas, TRect& Rect, int N, TColor TopLeft, TColor BottomRight) {
    Canvas.GetPen()->SetWidth(1);
    Rect.right -= 1;
    Rect.bottom -= 1;
    for (int i = 0; i < N; ++i) {
        DrawBevelLine(Canvas, Rect, TopLeft, BottomRight);
        InflateRect(&Rect, -1, -1);
    }
    Rect.right += 1;
    Rect.bottom += 1;
}

TRect TColorButton::DrawButtonFace(TCanvas& Canvas, const TRect& Client, int BevelWidth, bool IsDown,
                                   bool IsFocused) {
    using namespace Graphics;
    // 1. The face.
    TRect r = Client;
    Canvas.GetPen()->SetColor(clBtnFace);
    Canvas.GetBrush()->SetColor(clBtnFace);
    Canvas.GetBrush()->SetStyle(bsSolid);
    Canvas.Rectangle(r.left, r.top, r.right, r.bottom);
    // 2.
    if (IsFocused) {
        InflateRect(&r, -1, -1);
        Canvas.GetBrush()->SetStyle(bsClear);
        Canvas.Rectangle(r.left, r.top, r.right, r.bottom);
    }
    // 3. The outer ring, then the inner one inside it.
    if (IsDown) {
        DrawBevel(Canvas, r, BevelWidth, clWindowFrame, clBtnHighlight);
        DrawBevel(Canvas, r, BevelWidth, clBtnShadow, clBtnFace);
    } else {
        DrawBevel(Canvas, r, BevelWidth, clBtnHighlight, clWindowFrame);
        DrawBevel(Canvas, r, BevelWidth, clBtnFace, clBtnShadow);
    }
    // 4.
    TRect result = Client;
    InflateRect(&result, -BevelWidth, -BevelWidth);
    if (IsDown) OffsetRect(&result, 1, 1);
    return result;
}

void TColorButton::Paint() {
    TCanvas& canvas = *GetCanvas();
    const TRect client = GetClientRect();
    const int width = client.right, height = client.bottom;
    const bool down = FState == bsDown || FState == bsExclusive;
    // 1. The swatch's size and its corner at margin 0 (44 x 22: 30 x 8 at (6, 6)).
    const int sw = width - 14, sh = height - 14;
    const int left0 = width / 2 - sw / 2 - 1, top0 = height / 2 - sh / 2 - 1;
    // 2.
    DrawButtonFace(canvas, client, 1, down, false);
    // 3.
    if (Focused()) {
        TRect focus{2, 2, width - 3, height - 3};
        if (FState == bsDown) OffsetRect(&focus, 1, 1);
        DrawFocusRect(canvas.GetHandle(), &focus);
    }
    // 4. The swatch, widened by the margin.
    TRect swatch{left0 - 2 * FMargin, top0 - 2 * FMargin, 0, 0};
    swatch.right = swatch.left + sw + 4 * FMargin;
    swatch.bottom = swatch.top + sh + 4 * FMargin;
    if (FState == bsDown) OffsetRect(&swatch, 1, 1);
    // 5. A one-pixel black frame (the face brush inside it).
    canvas.GetPen()->SetColor(Graphics::clBlack);
    canvas.Rectangle(swatch.left, swatch.top, swatch.right + 1, swatch.bottom + 1);
    // 6, 7. The inside of the frame.
    OffsetRect(&swatch, 1, 1);
    swatch.right -= 1;
    swatch.bottom -= 1;
    canvas.GetBrush()->SetStyle(Graphics::bsSolid);
    canvas.GetBrush()->SetColor(GetEnabled() ? FColor : Graphics::clBtnFace);
    canvas.FillRect(swatch);
}

// ---- Input ------------------------------------------------------------------------------------------------

void TColorButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    inherited::MouseDown(Button, Shift, X, Y);
    if (Button != Controls::mbLeft || !GetEnabled()) return;
    if (!Focused()) SetFocus();
    FState = bsDown;
    Invalidate();
    FTracking = true;
    if (FActivationEvent == aeMouseDown) {
        DoColorDialog();
        Click();
    }
}

void TColorButton::MouseMove(TShiftState Shift, int X, int Y) {
    inherited::MouseMove(Shift, X, Y);
    if (!FTracking) return;
    // Inside: the client rectangle, right and bottom excluded.
    bool inside = X >= 0 && X < GetClientWidth() && Y >= 0 && Y < GetClientHeight();
    SetState(inside ? bsDown : bsUp);
}

void TColorButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    inherited::MouseUp(Button, Shift, X, Y);
    if (!FTracking) return;
    FTracking = false;
    FState = bsUp;
    Invalidate();
}

void TColorButton::Click() {
    // A disabled button ignores input (the system sends it none; posted messages still arrive).
    if (!GetEnabled()) return;
    inherited::Click();
    // The look goes back up here as well: after a dialog opened by the press no release is tracked.
    SetState(bsUp);
    FTracking = false;
    if (FActivationEvent == aeClick) DoColorDialog();
}

void TColorButton::KeyDown(WORD& Key, TShiftState) {
    // The framework's handling is not run, so OnKeyDown does not fire.
    if (!GetEnabled()) return;
    if (Key == VK_SPACE && FState != bsDown) MouseDown(Controls::mbLeft, {}, 1, 1);
    if (Key == VK_RETURN) Click();
}

void TColorButton::KeyUp(WORD& Key, TShiftState Shift) {
    if (Key == VK_SPACE && GetEnabled()) {
        MouseUp(Controls::mbLeft, {}, 1, 1);
        Click();
    }
    inherited::KeyUp(Key, Shift);
}

void TColorButton::DoColorDialog() {
    // 1. The dialog is the button's while it runs, and goes in every case.
    {
        auto dialog = std::make_unique<Dialogs::TColorDialog>(this);
        dialog->SetColor(FColor);
        dialog->SetOptions(FOptions);
        dialog->SetCustomColors(FCustomColors.get());
        // 2. Stored directly; the swatch is repainted to show it.
        if (dialog->Execute()) {
            FColor = dialog->GetColor();
            Invalidate();
            FOnColorChange(this);
        }
    }
    // 3. The framework's click notification once more.
    inherited::Click();
}

void TColorButton::WndProc(Messages::TMessage& Message) {
    inherited::WndProc(Message);
    // The look follows the enabled state, the system colours, the size and the focus.
    switch (Message.Msg) {
    case Messages::CM_ENABLEDCHANGED:
    case WM_SYSCOLORCHANGE:
    case WM_SIZE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        Invalidate();
        break;
    default:
        break;
    }
}

// Stream defaults: a new button starts with ActivationEvent aeClick and TabStop on, and the declared stream
// defaults are those same values, so that a button set to aeMouseDown or without tab stop at design time
// is written with that value and reads back with it (a value equal to the default is not written, and
// reading sets only what was written).
PUBLISHED(
    TColorButton, "Colorbtn", Prop<&TColorButton::GetAbout, nullptr>("About"),
    Prop<&TColorButton::FActivationEvent, &TColorButton::SetActivationEvent>("ActivationEvent")
        .Default(aeClick),
    Prop<&TColorButton::GetColor, &TColorButton::SetStateColor>("Color").Type(&Graphics::TColor_TypeInfo),
    Prop<&TColorButton::FOptions, &TColorButton::SetOptions>("Options"),
    Prop<&TColorButton::FCustomColors>("CustomColors"),
    Prop<&TColorButton::FMargin, &TColorButton::SetMargin>("Margin").Default(1),
    Prop<&TColorButton::FOnColorChange, &TColorButton::SetOnColorChange>("OnColorChange"),
    Prop<&TControl::GetEnabled, &TControl::SetEnabled>("Enabled").Default(true),
    Prop<&TControl::GetParentShowHint, &TControl::SetParentShowHint>("ParentShowHint").Default(true),
    Prop<&TControl::GetShowHint, &TControl::SetShowHint>("ShowHint").Stored<&TControl::IsShowHintStored>(),
    Prop<&TWinControl::GetTabOrder, &TWinControl::SetTabOrder>("TabOrder").Default(-1),
    Prop<&TWinControl::GetTabStop, &TWinControl::SetTabStop>("TabStop").Default(true),
    Prop<&TControl::GetVisible, &TControl::SetVisible>("Visible").Default(true),
    Prop<&TControl::GetOnClick, &TControl::SetOnClick>("OnClick"),
    Prop<&TControl::GetOnDragDrop, &TControl::SetOnDragDrop>("OnDragDrop"),
    Prop<&TControl::GetOnDragOver, &TControl::SetOnDragOver>("OnDragOver"),
    Prop<&TControl::GetOnEndDrag, &TControl::SetOnEndDrag>("OnEndDrag"),
    Prop<&TWinControl::GetOnEnter, &TWinControl::SetOnEnter>("OnEnter"),
    Prop<&TWinControl::GetOnExit, &TWinControl::SetOnExit>("OnExit"),
    Prop<&TWinControl::GetOnKeyDown, &TWinControl::SetOnKeyDown>("OnKeyDown"),
    Prop<&TWinControl::GetOnKeyPress, &TWinControl::SetOnKeyPress>("OnKeyPress"),
    Prop<&TWinControl::GetOnKeyUp, &TWinControl::SetOnKeyUp>("OnKeyUp"),
    Prop<&TControl::GetOnMouseDown, &TControl::SetOnMouseDown>("OnMouseDown"),
    Prop<&TControl::GetOnMouseMove, &TControl::SetOnMouseMove>("OnMouseMove"),
    Prop<&TControl::GetOnMouseUp, &TControl::SetOnMouseUp>("OnMouseUp"));

// ==== TAboutColorButtonProperty ============================================================================

DsgnIntf::TPropertyAttributes TAboutColorButtonProperty::GetAttributes() {
    return {DsgnIntf::paDialog, DsgnIntf::paMultiSelect, DsgnIntf::paReadOnly};
}

String TAboutColorButtonProperty::GetValue() {
    return "Click on...for About box";
}

void TAboutColorButtonProperty::Edit() {
    Forms::Application->MessageBox("TColorButton 1.0\n\nA push button with a colour swatch that opens the "
                                   "colour dialog.\nPart of the VeskMenus Components.",
                                   "About TColorButton", MB_OK | MB_ICONINFORMATION);
}

PUBLISHED(TAboutColorButtonProperty, "Colorbtn");

// ==== The unit =============================================================================================

void Initialization() {
    Classes::RegisterClasses({&TColorButton::ClassInfo});
}

void Finalization() {
    Classes::UnRegisterClasses({&TColorButton::ClassInfo});
}

void Register() {
    DsgnIntf::RegisterComponents("Corvessa", {&TColorButton::ClassInfo});
    DsgnIntf::RegisterPropertyEditor(&TAboutColorButtonProperty::ClassInfo, &TColorButton::ClassInfo, "ABOUT",
                                     &TAboutColorButtonProperty::ClassInfo);
}

} // namespace Colorbtn

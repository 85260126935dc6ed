// Controls: TControl, TGraphicControl, TCustomControl and TControlCanvas (TWinControl is in
// ControlsWinControl.cpp, the window-procedure bridge in ControlsObjectInstance.cpp).
//
// Invariants:
//   1. FParent is set exactly while the control is in its parent's FControls (InsertControl/RemoveControl
//      keep both sides).
//   2. A control whose ParentFont (ParentColor, ParentShowHint) is true has its parent's font (colour, hint
//      setting): it copies it when it is inserted and on CM_PARENTFONTCHANGED (CM_PARENTCOLORCHANGED,
//      CM_PARENTSHOWHINTCHANGED), which a parent sends its children after each change of its own.
//   3. csClicked is set from a left button press over a control with csClickEvents until the release.
#include "framework/vcl/Controls.h"

#include <windowsx.h>

#include <algorithm>

namespace Controls {

using namespace Messages;
using namespace TypInfo;

// ==== TControl =============================================================================================

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), FFont(std::make_unique<Graphics::TFont>()) {
    FFont->OnChange = Classes::TNotifyEvent::Bind<&TControl::FontChanged>(this);
    FWindowProc = TWndMethod::Bind<&TControl::WndProc>(this);
}

TControl::~TControl() {
    ForgetDrag(this);
    // Invariant 1: the parent forgets the control before it goes.
    if (FParent) FParent->RemoveControl(this);
}

Classes::TComponent* TControl::GetParentComponent() const {
    return FParent;
}

void TControl::SetParentComponent(TComponent* Value) {
    if (Value == nullptr) {
        SetParent(nullptr);
        return;
    }
    auto* parent = dynamic_cast<TWinControl*>(Value);
    if (parent == nullptr)
        throw Classes::EInvalidOperation("Control '" + GetName() + "' cannot have " + Value->ClassName() +
                                         " as its parent");
    SetParent(parent);
}

void TControl::SetParent(TWinControl* AParent) {
    if (AParent == FParent) return;
    if (AParent == this) throw Classes::EInvalidOperation("A control cannot have itself as its parent");
    if (FParent) FParent->RemoveControl(this);
    if (AParent) AParent->InsertControl(this);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
    // The old place is repainted without the control, the new one with it.
    InvalidateControl(FVisible, false);
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
    InvalidateControl(FVisible, FControlStyle.Contains(csOpaque));
    if (FParent) FParent->Perform(CM_CONTROLCHANGE, WPARAM(this), 0);
}

TRect TControl::GetClientRect() {
    return {0, 0, FWidth, FHeight};
}

void TControl::SetClientWidth(int Value) {
    SetWidth(FWidth - GetClientWidth() + Value);
}

void TControl::SetClientHeight(int Value) {
    SetHeight(FHeight - GetClientHeight() + Value);
}

void TControl::SetAlign(TAlign Value) {
    if (Value != alNone)
        throw Classes::EInvalidOperation("Align " + GetEnumName(&TAlign_TypeInfo, Value) +
                                         " is not supported: controls keep the places they are given");
}

void TControl::SetVisible(bool Value) {
    if (Value == FVisible) return;
    FVisible = Value;
    Perform(CM_VISIBLECHANGED, Value, 0);
    if (FParent) FParent->Perform(CM_CONTROLCHANGE, WPARAM(this), 0);
}

void TControl::SetEnabled(bool Value) {
    if (Value == FEnabled) return;
    FEnabled = Value;
    Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::SetText(const String& Value) {
    if (Value == FText) return;
    FText = Value;
    Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::FontChanged(TObject*) {
    FParentFont = false;
    Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::SetParentFont(bool Value) {
    if (Value == FParentFont) return;
    FParentFont = Value;
    if (Value && FParent) Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TControl::SetColor(TColor Value) {
    if (Value == FColor && !FParentColor) return;
    FColor = Value;
    FParentColor = false;
    Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentColor(bool Value) {
    if (Value == FParentColor) return;
    FParentColor = Value;
    if (Value && FParent) Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

void TControl::SetCursor(TCursor Value) {
    if (Value == FCursor) return;
    FCursor = Value;
    Perform(CM_CURSORCHANGED, 0, 0);
}

void TControl::SetShowHint(bool Value) {
    FParentShowHint = false;
    if (Value == FShowHint) return;
    FShowHint = Value;
    Perform(CM_SHOWHINTCHANGED, 0, 0);
}

void TControl::SetParentShowHint(bool Value) {
    if (Value == FParentShowHint) return;
    FParentShowHint = Value;
    if (Value && FParent) Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
}

void TControl::CMParentShowHintChanged(TMessage&) {
    // Invariant 2.
    if (FParentShowHint && FParent) {
        SetShowHint(FParent->GetShowHint());
        FParentShowHint = true;
    }
}

void TControl::Click() {
    FOnClick(this);
}

void TControl::DblClick() {
    FOnDblClick(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    FOnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
    FOnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    FOnMouseUp(this, Button, Shift, X, Y);
}

void TControl::WMButtonDown(TMessage& Message, TMouseButton Button) {
    DefaultHandler(Message);
    TShiftState shift = MouseKeysToShiftState(Message.WParam);
    if (Message.Msg == WM_LBUTTONDBLCLK || Message.Msg == WM_RBUTTONDBLCLK || Message.Msg == WM_MBUTTONDBLCLK)
        shift.Include(ssDouble);
    MouseDown(Button, shift, GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
}

void TControl::WMButtonUp(TMessage& Message, TMouseButton Button) {
    DefaultHandler(Message);
    MouseUp(Button, MouseKeysToShiftState(Message.WParam), GET_X_LPARAM(Message.LParam),
            GET_Y_LPARAM(Message.LParam));
}

void TControl::WMMouseMove(TMessage& Message) {
    DefaultHandler(Message);
    MouseMove(MouseKeysToShiftState(Message.WParam), GET_X_LPARAM(Message.LParam),
              GET_Y_LPARAM(Message.LParam));
}

void TControl::WMLButtonDown(TMessage& Message) {
    if (FControlStyle.Contains(csClickEvents)) FControlState.Include(csClicked); // invariant 3
    if (auto* win = dynamic_cast<TWinControl*>(this); win && FControlStyle.Contains(csCaptureMouse))
        ::SetCapture(win->GetHandle());
    WMButtonDown(Message, mbLeft);
}

void TControl::WMLButtonUp(TMessage& Message) {
    bool clicked = FControlState.Contains(csClicked);
    FControlState.Exclude(csClicked);
    // Only the capture the control took (a list box holds its own until it has handled the release).
    if (auto* win = dynamic_cast<TWinControl*>(this);
        win && FControlStyle.Contains(csCaptureMouse) && ::GetCapture() == win->GetHandle())
        ReleaseCapture();
    DefaultHandler(Message);
    // A click is a press and a release over the control; MouseUp comes after it.
    POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
    TRect client = GetClientRect();
    if (clicked && PtInRect(&client, p)) Click();
    MouseUp(mbLeft, MouseKeysToShiftState(Message.WParam), p.x, p.y);
}

void TControl::WMLButtonDblClk(TMessage& Message) {
    WMButtonDown(Message, mbLeft);
    if (FControlStyle.Contains(csDoubleClicks)) DblClick();
}

void TControl::InvalidateControl(bool IsVisible, bool IsOpaque) {
    if (!IsVisible || FParent == nullptr || !FParent->HandleAllocated()) return;
    TRect r = GetBoundsRect();
    InvalidateRect(FParent->GetHandle(), &r, !IsOpaque);
}

void TControl::Invalidate() {
    InvalidateControl(FVisible, FControlStyle.Contains(csOpaque));
}

void TControl::Update() {
    if (FParent) FParent->Update();
}

void TControl::Repaint() {
    Invalidate();
    Update();
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
    TMessage message{Msg, WParam, LParam, 0};
    FWindowProc(message);
    return message.Result;
}

void TControl::WndProc(TMessage& Message) {
    if (DragMessage(Message)) return;
    switch (Message.Msg) {
    case WM_LBUTTONDOWN:
        WMLButtonDown(Message);
        return;
    case WM_LBUTTONUP:
        WMLButtonUp(Message);
        return;
    case WM_LBUTTONDBLCLK:
        WMLButtonDblClk(Message);
        return;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        WMButtonDown(Message, mbRight);
        return;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        WMButtonDown(Message, mbMiddle);
        return;
    case WM_RBUTTONUP:
        WMButtonUp(Message, mbRight);
        return;
    case WM_MBUTTONUP:
        WMButtonUp(Message, mbMiddle);
        return;
    case WM_MOUSEMOVE:
        WMMouseMove(Message);
        return;
    case CM_PARENTSHOWHINTCHANGED:
        CMParentShowHintChanged(Message);
        return;
    case CM_PARENTFONTCHANGED:
        CMParentFontChanged(Message);
        return;
    case CM_PARENTCOLORCHANGED:
        CMParentColorChanged(Message);
        return;
    case CM_VISIBLECHANGED:
        // A graphic control shows or hides by repainting its place.
        InvalidateControl(true, false);
        return;
    case CM_ENABLEDCHANGED:
    case CM_COLORCHANGED:
    case CM_FONTCHANGED:
    case CM_TEXTCHANGED:
        Invalidate();
        return;
    }
    DefaultHandler(Message);
}

void TControl::DefaultHandler(TMessage& Message) {
    Message.Result = 0;
}

void TControl::CMParentFontChanged(TMessage&) {
    // Invariant 2.
    if (FParentFont && FParent) {
        SetFont(FParent->GetFont());
        FParentFont = true;
    }
}

void TControl::CMParentColorChanged(TMessage&) {
    if (FParentColor && FParent) {
        SetColor(FParent->GetColor());
        FParentColor = true;
    }
}

void TControl::Loaded() {
    inherited::Loaded();
    // A control read before its parent's font or colour was final takes them now.
    if (FParent) {
        Perform(CM_PARENTCOLORCHANGED, 0, 0);
        Perform(CM_PARENTFONTCHANGED, 0, 0);
        Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
    }
}

PUBLISHED(
    TControl, "Controls", Prop<&TControl::GetLeft, &TControl::SetLeft>("Left"),
    Prop<&TControl::GetTop, &TControl::SetTop>("Top"),
    Prop<&TControl::GetWidth, &TControl::SetWidth>("Width"),
    Prop<&TControl::GetHeight, &TControl::SetHeight>("Height"),
    Prop<&TControl::GetCursor, &TControl::SetCursor>("Cursor").Type(&TCursor_TypeInfo).Default(crDefault),
    Prop<&TControl::GetHint, &TControl::SetHint>("Hint"));

TShiftState MouseKeysToShiftState(WPARAM Keys) {
    TShiftState shift;
    if (Keys & MK_SHIFT) shift.Include(ssShift);
    if (Keys & MK_CONTROL) shift.Include(ssCtrl);
    if (Keys & MK_LBUTTON) shift.Include(ssLeft);
    if (Keys & MK_RBUTTON) shift.Include(ssRight);
    if (Keys & MK_MBUTTON) shift.Include(ssMiddle);
    if (GetKeyState(VK_MENU) < 0) shift.Include(ssAlt);
    return shift;
}

bool IsAccel(wchar_t Key, const String& Caption) {
    std::u16string text = SysUtils::Utf8ToUtf16(Caption);
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != u'&') continue;
        if (text[i + 1] == u'&') { // "&&" is a literal "&"
            ++i;
            continue;
        }
        wchar_t a[2] = {wchar_t(text[i + 1]), 0}, b[2] = {Key, 0};
        CharUpperW(a);
        CharUpperW(b);
        return a[0] == b[0];
    }
    return false;
}

// ==== TControlCanvas =======================================================================================

namespace {

// Never freed: windows destroyed at exit (the application's forms) still release their canvases.
std::vector<TControlCanvas*>& CanvasList() {
    static auto* list = new std::vector<TControlCanvas*>;
    return *list;
}

} // namespace

TControlCanvas::~TControlCanvas() {
    FreeHandle();
}

void TControlCanvas::CreateHandle() {
    // 1. The window: the control's own, or a graphic control's parent's.
    auto* win = dynamic_cast<TWinControl*>(FControl);
    TWinControl* host = win ? win : FControl->GetParent();
    if (host == nullptr)
        throw Classes::EInvalidOperation("Control '" + FControl->GetName() + "' has no parent window");
    FWindow = host->GetHandle();
    FDeviceContext =
        WinHandles::Check(GetDCEx(FWindow, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS), "a window device context");
    // 2. A graphic control draws in its own coordinates, clipped to itself.
    if (!win) {
        SetViewportOrgEx(FDeviceContext, FControl->GetLeft(), FControl->GetTop(), nullptr);
        IntersectClipRect(FDeviceContext, 0, 0, FControl->GetWidth(), FControl->GetHeight());
    }
    SetHandle(FDeviceContext);
    CanvasList().push_back(this);
}

void TControlCanvas::FreeHandle() {
    if (FDeviceContext == nullptr) return;
    SetHandle(nullptr);
    // The cached DC goes back with its origin and clipping reset.
    SetViewportOrgEx(FDeviceContext, 0, 0, nullptr);
    SelectClipRgn(FDeviceContext, nullptr);
    ReleaseDC(FWindow, FDeviceContext);
    FDeviceContext = nullptr;
    FWindow = nullptr;
    auto& list = CanvasList();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void FreeDeviceContexts() {
    auto list = CanvasList();
    for (TControlCanvas* c : list)
        c->FreeHandle();
}

PUBLISHED(TControlCanvas, "Controls");

// ==== TGraphicControl ======================================================================================

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner), FCanvas(std::make_unique<TControlCanvas>(this)) {}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::WndProc(TMessage& Message) {
    if (Message.Msg == WM_PAINT && Message.WParam != 0) {
        // The parent's paint DC, moved and clipped to the control (TWinControl::PaintControls).
        FCanvas->FreeHandle();
        FCanvas->SetHandle(reinterpret_cast<HDC>(Message.WParam));
        struct TRelease {
            TControlCanvas* C;
            ~TRelease() { C->SetHandle(nullptr); }
        } release{FCanvas.get()};
        Paint();
        return;
    }
    inherited::WndProc(Message);
}

PUBLISHED(TGraphicControl, "Controls");

// ==== TCustomControl =======================================================================================

TCustomControl::TCustomControl(TComponent* AOwner)
    : TWinControl(AOwner), FCanvas(std::make_unique<TControlCanvas>(this)) {
    FControlState.Include(csCustomPaint);
}

TCustomControl::~TCustomControl() {
    FCanvas->FreeHandle();
}

void TCustomControl::PaintWindow(HDC DC) {
    FCanvas->FreeHandle();
    FCanvas->SetHandle(DC);
    struct TRelease {
        TControlCanvas* C;
        ~TRelease() { C->SetHandle(nullptr); }
    } release{FCanvas.get()};
    Paint();
}

void TCustomControl::DestroyWnd() {
    FCanvas->FreeHandle();
    inherited::DestroyWnd();
}

PUBLISHED(TCustomControl, "Controls");

} // namespace Controls

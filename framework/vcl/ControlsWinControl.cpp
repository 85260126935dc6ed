// Controls: TWinControl, the control with a window of its own.
//
// Invariants:
//   1. FHandle is set from the window's first message (InitWndProc) until its WM_NCDESTROY; while it is set,
//      the window's procedure is the control's object instance (or a hook someone placed above it) and the
//      window carries the control as a window property (FindControl).
//   2. FTabList holds exactly the windowed controls of FControls, in tab order.
//   3. A window is made after its parent's: CreateHandle asks the parent for its handle first, and a parent
//      that gets its window makes its windowed children's windows right after.
//   4. No exception leaves MainWndProc (it would unwind through the system's frames).
//   5. A control without parent holds in FFocusedControl the control inside it that had the focus last, or
//      nullptr; never a control that left it.
#include "framework/vcl/Controls.h"

#include "framework/vcl/Forms.h"

#include <algorithm>
#include <exception>
#include <utility>
#include <windowsx.h>

namespace Controls {

using namespace Messages;

namespace {

// The control whose CreateWindowExW call is under way: InitWndProc attaches the window to it.
TWinControl* CreationControl = nullptr;

// The graphic control that holds the mouse (its parent's window has the capture), or nullptr.
TControl* CaptureControl = nullptr;

// The character of a dialog key the form took (Tab, Enter, Esc), and the window it will come to: it goes no
// further.
HWND EatCharWindow = nullptr;
wchar_t EatChar = 0;

// The control whose WM_SETFOCUS is sending OnExit and OnEnter.
TWinControl* FocusChangingTo = nullptr;

// The window property that names a window's control; the module's handle in the name keeps two copies of
// the framework in one process (a program and a package) from taking each other's windows for their own.
// Never freed, for the windows destroyed at exit.
const std::u16string& ControlProp() {
    static const auto* name =
        new std::u16string(u"Controls.TWinControl." +
                           SysUtils::Utf8ToUtf16(SysUtils::IntToHex(uint64_t(FrameworkInstance()), 16)));
    return *name;
}
LPCWSTR ControlPropName() {
    return reinterpret_cast<LPCWSTR>(ControlProp().c_str());
}

std::u16string W(const String& s) {
    return SysUtils::Utf8ToUtf16(s);
}

} // namespace

TWinControl::TWinControl(TComponent* AOwner)
    : TControl(AOwner), FBrush(std::make_unique<Graphics::TBrush>()) {
    FObjectInstance = MakeObjectInstance(TWndMethod::Bind<&TWinControl::MainWndProc>(this));
    FBrush->SetColor(GetColor());
}

TWinControl::~TWinControl() {
    ForgetDrag(this);
    Destroying();
    // Out of the parent's lists while the control is still a windowed one (~TControl would find only a
    // TControl and leave it in the tab list).
    if (GetParent()) GetParent()->RemoveControl(this);
    DestroyHandle();
    // The framework's rule: a windowed control frees its child controls (they leave their owner's list).
    while (!FControls.empty()) {
        TControl* child = FControls.back();
        RemoveControl(child);
        delete child;
    }
    FreeObjectInstance(FObjectInstance);
}

// ---- The window ------------------------------------------------------------------------------------------

HWND TWinControl::GetHandle() {
    if (FHandle == nullptr) CreateHandle();
    return FHandle;
}

TWinControl* TWinControl::FindControl(HWND h) {
    if (h == nullptr) return nullptr;
    return static_cast<TWinControl*>(GetPropW(h, ControlPropName()));
}

bool TWinControl::GetShowing() const {
    return FHandle != nullptr && IsWindowVisible(FHandle);
}

bool TWinControl::IsSystemSubclass() const {
    return FDefWndProc != nullptr && FDefWndProc != &DefWindowProcW;
}

void TWinControl::CreateParams(TCreateParams& Params) {
    Params.Caption = GetText();
    Params.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (FControlStyle.Contains(csAcceptsControls)) Params.Style |= WS_CLIPCHILDREN;
    if (GetVisible()) Params.Style |= WS_VISIBLE;
    if (!GetEnabled()) Params.Style |= WS_DISABLED;
    if (FTabStop) Params.Style |= WS_TABSTOP;
    Params.X = GetLeft();
    Params.Y = GetTop();
    Params.Width = GetWidth();
    Params.Height = GetHeight();
    Params.WndParent = GetParent() ? GetParent()->GetHandle() : nullptr;
    Params.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    Params.WindowClass.lpfnWndProc = &DefWindowProcW;
    Params.WindowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    Params.WindowClass.hbrBackground = nullptr;
    Params.WindowClass.hInstance = FrameworkInstance();
    Params.WinClassName = ClassName();
}

void TWinControl::CreateSubClass(TCreateParams& Params, const wchar_t* ClassName) {
    WNDCLASSW system{};
    if (!GetClassInfoW(nullptr, ClassName, &system) &&
        !GetClassInfoW(FrameworkInstance(), ClassName, &system))
        throw Classes::EOutOfResources("Window class " +
                                       SysUtils::Utf16ToUtf8(reinterpret_cast<const char16_t*>(ClassName)) +
                                       " is not registered");
    HINSTANCE instance = Params.WindowClass.hInstance;
    Params.WindowClass = system;
    Params.WindowClass.hInstance = instance;
    Params.WindowClass.lpszClassName = nullptr;
    Params.WindowClass.lpszMenuName = nullptr;
    Params.WindowClass.style &= ~(CS_OWNDC | CS_CLASSDC | CS_PARENTDC | CS_GLOBALCLASS);
}

void TWinControl::CreateWnd() {
    TCreateParams params;
    CreateParams(params);
    if (params.WndParent == nullptr && (params.Style & WS_CHILD))
        throw Classes::EInvalidOperation("Control '" + GetName() + "' has no parent window");
    FDefWndProc = params.WindowClass.lpfnWndProc;
    // 1. The class, under the control's class name, starting with InitWndProc.
    std::u16string cls = W(params.WinClassName);
    auto clsName = reinterpret_cast<LPCWSTR>(cls.c_str());
    WNDCLASSW existing{};
    bool registered = GetClassInfoW(params.WindowClass.hInstance, clsName, &existing);
    if (!registered || existing.lpfnWndProc != &TWinControl::InitWndProc) {
        if (registered) UnregisterClassW(clsName, params.WindowClass.hInstance);
        WNDCLASSW wc = params.WindowClass;
        wc.lpfnWndProc = &TWinControl::InitWndProc;
        wc.lpszClassName = clsName;
        if (!RegisterClassW(&wc))
            throw Classes::EOutOfResources("Cannot register the window class " + params.WinClassName);
    }
    // 2. The window: InitWndProc attaches it on its first message (invariant 1).
    CreationControl = this;
    struct TClear {
        ~TClear() { CreationControl = nullptr; }
    } clear;
    CreateWindowHandle(params);
    if (FHandle == nullptr)
        throw Classes::EOutOfResources("Cannot create the window of " +
                                       (GetName().empty() ? String(ClassName()) : GetName()) +
                                       " (system error " + SysUtils::IntToStr(GetLastError()) + ")");
    // 3. A common control shows its text in the control's font.
    if (IsSystemSubclass()) SendFont(false);
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params) {
    std::u16string cls = W(Params.WinClassName), caption = W(Params.Caption);
    HWND h = CreateWindowExW(Params.ExStyle, reinterpret_cast<LPCWSTR>(cls.c_str()),
                             reinterpret_cast<LPCWSTR>(caption.c_str()), Params.Style, Params.X, Params.Y,
                             Params.Width, Params.Height, Params.WndParent, nullptr,
                             Params.WindowClass.hInstance, Params.Param);
    if (h != nullptr) FHandle = h;
}

LRESULT CALLBACK TWinControl::InitWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    TWinControl* control = CreationControl;
    if (control == nullptr) return DefWindowProcW(Wnd, Msg, WParam, LParam);
    CreationControl = nullptr;
    // Invariant 1: from now on every message goes through the control's object instance.
    control->FHandle = Wnd;
    SetPropW(Wnd, ControlPropName(), control);
    SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(control->FObjectInstance));
    return CallWindowProcW(control->FObjectInstance, Wnd, Msg, WParam, LParam);
}

void TWinControl::CreateHandle() {
    if (FHandle) return;
    // Invariant 3: the parent's window first; making it may have made this one too.
    if (GetParent()) GetParent()->HandleNeeded();
    if (FHandle) return;
    CreateWnd();
    for (TWinControl* child : std::vector<TWinControl*>(FTabList))
        child->HandleNeeded();
}

void TWinControl::DestroyHandle() {
    if (FHandle == nullptr) return;
    for (TWinControl* child : FTabList)
        child->DestroyHandle();
    DestroyWnd();
}

void TWinControl::DestroyWnd() {
    FreeDeviceContexts();
    DestroyWindowHandle();
}

void TWinControl::DestroyWindowHandle() {
    if (FHandle) DestroyWindow(FHandle);
    FHandle = nullptr; // WM_NCDESTROY cleared it already, unless the window was not ours to destroy
}

void TWinControl::RecreateWnd() {
    if (FHandle == nullptr) return;
    DestroyHandle();
    CreateHandle();
}

// ---- Children --------------------------------------------------------------------------------------------

TControl* TWinControl::GetControl(int Index) const {
    if (Index < 0 || Index >= int(FControls.size()))
        throw Classes::EListError("List index out of bounds (" + SysUtils::IntToStr(Index) + ")");
    return FControls[size_t(Index)];
}

void TWinControl::InsertControl(TControl* AControl) {
    if (AControl == nullptr || AControl->FParent == this) return;
    if (AControl->FParent) AControl->FParent->RemoveControl(AControl);
    FControls.push_back(AControl); // invariant 1 of Controls.cpp
    AControl->FParent = this;
    auto* win = dynamic_cast<TWinControl*>(AControl);
    if (win) FTabList.push_back(win); // invariant 2
    AControl->Perform(CM_PARENTCOLORCHANGED, 0, 0);
    AControl->Perform(CM_PARENTFONTCHANGED, 0, 0);
    AControl->Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
    if (win) win->Perform(CM_PARENTCTL3DCHANGED, 0, 0);
    if (win && FHandle)
        win->HandleNeeded();
    else
        AControl->Invalidate();
    Perform(CM_CONTROLCHANGE, WPARAM(AControl), 0);
}

void TWinControl::RemoveControl(TControl* AControl) {
    auto it = std::find(FControls.begin(), FControls.end(), AControl);
    if (it == FControls.end()) return;
    if (auto* win = dynamic_cast<TWinControl*>(AControl)) {
        // Invariant 5: the control that had the focus may be leaving with this one; the focus is then
        // within this control, which the system gives it to.
        TWinControl* root = this;
        while (root->GetParent())
            root = root->GetParent();
        for (TControl* c = root->FFocusedControl; c; c = c->GetParent())
            if (c == win) root->FFocusedControl = this == root ? nullptr : this;
        win->DestroyHandle();
        FTabList.erase(std::remove(FTabList.begin(), FTabList.end(), win), FTabList.end());
    } else {
        if (CaptureControl == AControl) {
            CaptureControl = nullptr;
            if (FHandle && ::GetCapture() == FHandle) ReleaseCapture();
        }
        AControl->InvalidateControl(AControl->GetVisible(), false);
    }
    FControls.erase(std::find(FControls.begin(), FControls.end(), AControl));
    AControl->FParent = nullptr;
    Perform(CM_CONTROLCHANGE, WPARAM(AControl), 0);
}

int TWinControl::GetTabOrder() const {
    if (GetParent() == nullptr) return -1;
    const auto& list = GetParent()->FTabList;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : int(it - list.begin());
}

void TWinControl::SetTabOrder(int Value) {
    if (GetParent() == nullptr) return;
    auto& list = GetParent()->FTabList;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end()) return;
    list.erase(it);
    // An order beyond the end (or negative) puts the control last, as the framework does.
    size_t at = Value < 0 || size_t(Value) > list.size() ? list.size() : size_t(Value);
    list.insert(list.begin() + ptrdiff_t(at), this);
}

void TWinControl::SetTabStop(bool Value) {
    if (Value == FTabStop) return;
    FTabStop = Value;
    if (FHandle) {
        LONG_PTR style = GetWindowLongPtrW(FHandle, GWL_STYLE);
        SetWindowLongPtrW(FHandle, GWL_STYLE, Value ? style | WS_TABSTOP : style & ~LONG_PTR(WS_TABSTOP));
    }
}

void TWinControl::SetCtl3D(bool Value) {
    FParentCtl3D = false;
    if (Value == FCtl3D) return;
    FCtl3D = Value;
    Perform(CM_CTL3DCHANGED, 0, 0);
    NotifyControls(CM_PARENTCTL3DCHANGED);
}

void TWinControl::SetParentCtl3D(bool Value) {
    if (Value == FParentCtl3D) return;
    FParentCtl3D = Value;
    if (Value && GetParent()) Perform(CM_PARENTCTL3DCHANGED, 0, 0);
}

void TWinControl::CMParentCtl3DChanged(TMessage&) {
    if (FParentCtl3D && GetParent()) {
        SetCtl3D(GetParent()->GetCtl3D());
        FParentCtl3D = true;
    }
}

void TWinControl::SetFocus() {
    ::SetFocus(GetHandle());
}

bool TWinControl::Focused() const {
    return FHandle != nullptr && GetFocus() == FHandle;
}

void TWinControl::GetChildren(const Classes::TGetChildProc& Proc, TComponent* Root) {
    for (TControl* c : FControls)
        if (c->GetOwner() == Root) Proc(c);
}

void TWinControl::NotifyControls(UINT Msg) {
    for (TControl* c : std::vector<TControl*>(FControls))
        c->Perform(Msg, 0, 0);
}

// ---- Geometry and painting -------------------------------------------------------------------------------

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    if (ALeft == GetLeft() && ATop == GetTop() && AWidth == GetWidth() && AHeight == GetHeight()) return;
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
    // The window reports where it went (WM_WINDOWPOSCHANGED reads it back).
    if (FHandle) SetWindowPos(FHandle, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    if (GetParent()) GetParent()->Perform(CM_CONTROLCHANGE, WPARAM(this), 0);
}

void TWinControl::UpdateBounds() {
    if (FHandle == nullptr) return;
    RECT r;
    GetWindowRect(FHandle, &r);
    if (GetWindowLongPtrW(FHandle, GWL_STYLE) & WS_CHILD)
        MapWindowPoints(nullptr, ::GetParent(FHandle), reinterpret_cast<POINT*>(&r), 2);
    FLeft = r.left;
    FTop = r.top;
    FWidth = r.right - r.left;
    FHeight = r.bottom - r.top;
}

TRect TWinControl::GetClientRect() {
    if (FHandle == nullptr) return inherited::GetClientRect();
    RECT r;
    ::GetClientRect(FHandle, &r);
    return r;
}

void TWinControl::Invalidate() {
    if (FHandle) InvalidateRect(FHandle, nullptr, !FControlStyle.Contains(csOpaque));
}

void TWinControl::Update() {
    if (FHandle) UpdateWindow(FHandle);
}

void TWinControl::PaintWindow(HDC DC) {
    // A common control paints itself into the DC it is given.
    if (IsSystemSubclass()) {
        TMessage m{WM_PAINT, WPARAM(DC), 0, 0};
        DefaultHandler(m);
    }
}

void TWinControl::PaintControls(HDC DC) {
    RECT clip;
    bool hasClip = GetClipBox(DC, &clip) != NULLREGION;
    for (TControl* c : std::vector<TControl*>(FControls)) {
        if (dynamic_cast<TWinControl*>(c) || !c->GetVisible()) continue;
        RECT bounds = c->GetBoundsRect(), common;
        if (!hasClip || !IntersectRect(&common, &bounds, &clip)) continue;
        // The graphic control paints in its own coordinates, clipped to itself.
        WinHandles::TSaveDC saved(DC);
        POINT origin;
        GetViewportOrgEx(DC, &origin);
        SetViewportOrgEx(DC, origin.x + bounds.left, origin.y + bounds.top, nullptr);
        IntersectClipRect(DC, 0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top);
        c->Perform(WM_PAINT, WPARAM(DC), 0);
    }
}

void TWinControl::PaintHandler(HDC DC) {
    PaintWindow(DC);
    PaintControls(DC);
}

void TWinControl::PaintTo(HDC DC, int X, int Y) {
    WinHandles::TSaveDC saved(DC);
    POINT origin;
    GetViewportOrgEx(DC, &origin);
    SetViewportOrgEx(DC, origin.x + X, origin.y + Y, nullptr);
    TRect client = GetClientRect();
    IntersectClipRect(DC, 0, 0, client.right, client.bottom);
    Perform(WM_ERASEBKGND, WPARAM(DC), 0);
    Perform(WM_PAINT, WPARAM(DC), 0);
    for (TWinControl* child : std::vector<TWinControl*>(FTabList))
        if (child->GetVisible()) child->PaintTo(DC, child->GetLeft(), child->GetTop());
}

// ---- Messages --------------------------------------------------------------------------------------------

void TWinControl::MainWndProc(TMessage& Message) {
    // Invariant 4.
    try {
        GetWindowProc()(Message);
    } catch (...) {
        if (Forms::Application) Forms::Application->HandleException(this);
    }
}

void TWinControl::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_PAINT:
        WMPaint(Message);
        return;
    case WM_PRINTCLIENT:
        WMPrintClient(Message);
        return;
    case WM_ERASEBKGND:
        WMEraseBkgnd(Message);
        return;
    case WM_NCDESTROY:
        WMNCDestroy(Message);
        return;
    case WM_WINDOWPOSCHANGED:
        WMWindowPosChanged(Message);
        return;
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
        WMReflect(Message, reinterpret_cast<HWND>(Message.LParam));
        return;
    case WM_NOTIFY:
        WMReflect(Message, reinterpret_cast<NMHDR*>(Message.LParam)->hwndFrom);
        return;
    case WM_DRAWITEM: {
        auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
        WMReflect(Message, dis->CtlType == ODT_MENU ? nullptr : dis->hwndItem);
        return;
    }
    case CM_VISIBLECHANGED:
        CMVisibleChanged(Message);
        return;
    case CM_ENABLEDCHANGED:
        CMEnabledChanged(Message);
        return;
    case CM_COLORCHANGED:
        CMColorChanged(Message);
        return;
    case CM_FONTCHANGED:
        CMFontChanged(Message);
        return;
    case CM_TEXTCHANGED:
        CMTextChanged(Message);
        return;
    case CM_PARENTCTL3DCHANGED:
        CMParentCtl3DChanged(Message);
        return;
    case CM_SHOWHINTCHANGED:
        NotifyControls(CM_PARENTSHOWHINTCHANGED);
        return;
    case CM_ENTER:
        DoEnter();
        return;
    case CM_EXIT:
        DoExit();
        return;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        WMKeyUp(Message);
        return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (DragMessage(Message)) return; // Esc ends a drag
        if (!KeyDownMessage(Message, FHandle)) DefaultHandler(Message);
        return;
    case WM_CHAR:
        if (!CharMessage(Message, FHandle, (Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS) != 0))
            DefaultHandler(Message);
        return;
    case WM_SYSCHAR:
        if (!SysCharMessage(Message)) DefaultHandler(Message);
        return;
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:
        CMDialogMessage(Message);
        return;
    case CM_WANTSPECIALKEY:
        CMWantSpecialKey(Message);
        return;
    case WM_SYSCOLORCHANGE:
        // Only top-level windows hear of it from the system.
        for (TControl* c : std::vector<TControl*>(FControls))
            c->Perform(WM_SYSCOLORCHANGE, Message.WParam, Message.LParam);
        DefaultHandler(Message);
        return;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
        if (MouseToGraphicChild(Message)) return;
        break;
    case WM_CAPTURECHANGED:
        if (CaptureControl && CaptureControl->GetParent() == this) CaptureControl = nullptr;
        break;
    case WM_SETFOCUS:
        WMSetFocus(Message);
        return;
    case WM_SETCURSOR:
        WMSetCursor(Message);
        return;
    case WM_HELP:
        WMHelp(Message);
        return;
    }
    inherited::WndProc(Message);
}

void TWinControl::DefaultHandler(TMessage& Message) {
    if (FHandle == nullptr || Message.Msg >= CM_BASE) {
        // The framework's own messages, and any message before the window exists, stop here.
        Message.Result = 0;
        return;
    }
    Message.Result = CallWindowProcW(FDefWndProc, FHandle, Message.Msg, Message.WParam, Message.LParam);
}

void TWinControl::WMPaint(TMessage& Message) {
    bool hasGraphicChildren = std::any_of(FControls.begin(), FControls.end(), [](TControl* c) {
        return dynamic_cast<TWinControl*>(c) == nullptr;
    });
    if (!hasGraphicChildren && !FControlState.Contains(csCustomPaint)) {
        // Nothing of ours to paint: the window procedure paints (a common control) or validates.
        DefaultHandler(Message);
        return;
    }
    if (Message.WParam != 0) {
        PaintHandler(reinterpret_cast<HDC>(Message.WParam));
    } else {
        WinHandles::TPaintDC dc(FHandle);
        PaintHandler(dc);
    }
}

void TWinControl::WMPrintClient(TMessage& Message) {
    bool hasGraphicChildren = std::any_of(FControls.begin(), FControls.end(), [](TControl* c) {
        return dynamic_cast<TWinControl*>(c) == nullptr;
    });
    if (IsSystemSubclass() && !hasGraphicChildren && !FControlState.Contains(csCustomPaint)) {
        DefaultHandler(Message);
        return;
    }
    PaintHandler(reinterpret_cast<HDC>(Message.WParam));
}

void TWinControl::WMEraseBkgnd(TMessage& Message) {
    TRect r = GetClientRect();
    FillRect(reinterpret_cast<HDC>(Message.WParam), &r, FBrush->GetHandle());
    Message.Result = 1;
}

void TWinControl::WMNCDestroy(TMessage& Message) {
    DefaultHandler(Message);
    RemovePropW(FHandle, ControlPropName());
    FHandle = nullptr; // invariant 1
}

void TWinControl::WMWindowPosChanged(TMessage& Message) {
    DefaultHandler(Message);
    UpdateBounds();
}

void TWinControl::WMReflect(TMessage& Message, HWND Child) {
    // What a child control owns (its commands, notifications, owner drawing) goes to the child first.
    TWinControl* control = Child && Child != FHandle ? FindControl(Child) : nullptr;
    if (control) {
        Message.Result = control->Perform(CN_BASE + Message.Msg, Message.WParam, Message.LParam);
        return;
    }
    DefaultHandler(Message);
}

void TWinControl::CMVisibleChanged(TMessage&) {
    if (FHandle)
        SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE |
                         (GetVisible() ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

void TWinControl::CMEnabledChanged(TMessage&) {
    if (FHandle) EnableWindow(FHandle, GetEnabled());
}

void TWinControl::CMColorChanged(TMessage&) {
    FBrush->SetColor(GetColor());
    NotifyControls(CM_PARENTCOLORCHANGED);
    Invalidate();
}

void TWinControl::CMFontChanged(TMessage&) {
    if (FHandle && IsSystemSubclass()) SendFont(true);
    NotifyControls(CM_PARENTFONTCHANGED);
    Invalidate();
}

void TWinControl::CMTextChanged(TMessage&) {
    if (FHandle) {
        std::u16string text = W(GetText());
        SetWindowTextW(FHandle, reinterpret_cast<LPCWSTR>(text.c_str()));
        // New text may need the font in another character set.
        if (IsSystemSubclass()) SendFont(true);
    }
}

void TWinControl::KeyUp(WORD& Key, TShiftState Shift) {
    FOnKeyUp(this, Key, Shift);
}

void TWinControl::KeyDown(WORD& Key, TShiftState Shift) {
    FOnKeyDown(this, Key, Shift);
}

void TWinControl::KeyPress(wchar_t& Key) {
    FOnKeyPress(this, Key);
}

bool TWinControl::MouseToGraphicChild(TMessage& Message) {
    // A drag under way has the mouse first.
    if (DragMessage(Message)) return true;
    POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
    TControl* target = nullptr;
    if (CaptureControl && CaptureControl->GetParent() == this) {
        target = CaptureControl;
    } else {
        for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
            TRect r = (*it)->GetBoundsRect();
            if (dynamic_cast<TWinControl*>(*it) || !(*it)->GetVisible() || !(*it)->GetEnabled() ||
                !PtInRect(&r, p))
                continue;
            target = *it;
            break;
        }
    }
    if (target == nullptr) return false;
    bool down = Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_RBUTTONDOWN ||
                Message.Msg == WM_MBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK ||
                Message.Msg == WM_RBUTTONDBLCLK || Message.Msg == WM_MBUTTONDBLCLK;
    if (down && target->GetControlStyle().Contains(csCaptureMouse) && HandleAllocated()) {
        CaptureControl = target;
        ::SetCapture(FHandle);
    }
    bool up = Message.Msg == WM_LBUTTONUP || Message.Msg == WM_RBUTTONUP || Message.Msg == WM_MBUTTONUP;
    LPARAM at = MAKELPARAM(p.x - target->GetLeft(), p.y - target->GetTop());
    Message.Result = target->Perform(Message.Msg, Message.WParam, at);
    // The last button up lets the mouse go.
    if (up && (Message.WParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0 && CaptureControl == target) {
        CaptureControl = nullptr;
        if (HandleAllocated() && ::GetCapture() == FHandle) ReleaseCapture();
    }
    return true;
}

void TWinControl::CMWantSpecialKey(TMessage& Message) {
    LRESULT code = Perform(WM_GETDLGCODE, 0, 0);
    LRESULT mask = 0;
    switch (Message.WParam) {
    case VK_TAB:
        mask = DLGC_WANTTAB | DLGC_WANTALLKEYS;
        break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
        mask = DLGC_WANTARROWS | DLGC_WANTALLKEYS;
        break;
    default:
        mask = DLGC_WANTALLKEYS;
    }
    Message.Result = (code & mask) != 0;
}

bool TWinControl::KeyDownMessage(TMessage& Message, HWND Window) {
    WORD key = WORD(Message.WParam);
    EatChar = 0;
    // 1. Tab, Enter and Esc are the form's unless the control claims them.
    if ((key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE) && Message.Msg == WM_KEYDOWN &&
        !GetComponentState().Contains(Classes::csDesigning) && Perform(CM_WANTSPECIALKEY, key, 0) == 0) {
        static constexpr wchar_t chars[] = {L'\t', L'\r', 0x1B};
        wchar_t ch = chars[key == VK_TAB ? 0 : key == VK_RETURN ? 1 : 2];
        if (GetRootControl()->Perform(CM_DIALOGKEY, key, Message.LParam) != 0) {
            EatCharWindow = Window;
            EatChar = ch;
            Message.Result = 0;
            return true;
        }
    }
    // 2. OnKeyDown; the window gets what is left.
    KeyDown(key, KeyDataToShiftState(Message.LParam));
    Message.WParam = key;
    Message.Result = 0;
    return key == 0;
}

bool TWinControl::CharMessage(TMessage& Message, HWND Window, bool TakesChars) {
    wchar_t key = wchar_t(Message.WParam);
    bool eat = EatChar != 0 && EatChar == key && EatCharWindow == Window;
    EatChar = 0;
    Message.Result = 0;
    // The character of a dialog key: the key did its work already.
    if (eat) return true;
    KeyPress(key);
    if (key == 0) return true;
    Message.WParam = WPARAM(uint16_t(key));
    // A character the control does not take may be an accelerator.
    return !GetComponentState().Contains(Classes::csDesigning) && key > L' ' && !TakesChars &&
           GetRootControl()->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam) != 0;
}

bool TWinControl::SysCharMessage(TMessage& Message) {
    // Alt and a letter: an accelerator of the form's controls, else the window's (the menu bar's).
    Message.Result = 0;
    return !GetComponentState().Contains(Classes::csDesigning) &&
           GetRootControl()->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam) != 0;
}

void TWinControl::CMDialogMessage(TMessage& Message) {
    for (TControl* c : std::vector<TControl*>(FControls)) {
        if (!c->GetVisible()) continue;
        if (c->Perform(Message.Msg, Message.WParam, Message.LParam) != 0) {
            Message.Result = 1;
            return;
        }
    }
    Message.Result = 0;
}

bool TWinControl::CanFocus() const {
    for (const TControl* c = this; c; c = c->GetParent())
        if (!c->GetVisible() || !c->GetEnabled()) return false;
    return true;
}

TWinControl* TWinControl::GetRootControl() {
    TWinControl* root = this;
    while (root->GetParent())
        root = root->GetParent();
    return root;
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                          bool CheckParent) {
    // Every windowed control inside this one, depth first in tab order.
    std::vector<TWinControl*> order;
    auto collect = [&](auto& self, TWinControl* parent) -> void {
        for (TWinControl* c : parent->FTabList) {
            order.push_back(c);
            if (!CheckParent) self(self, c);
        }
    };
    collect(collect, this);
    if (order.empty()) return nullptr;
    auto at = std::find(order.begin(), order.end(), CurControl);
    size_t n = order.size();
    size_t start = at == order.end() ? (GoForward ? n - 1 : 0) : size_t(at - order.begin());
    for (size_t step = 1; step <= n; ++step) {
        size_t i = GoForward ? (start + step) % n : (start + n - step) % n;
        TWinControl* c = order[i];
        if (c == CurControl) break;
        if (!c->CanFocus() || (CheckTabStop && !c->GetTabStop())) continue;
        // A control that holds others (a group box) passes the focus on to them.
        if (!c->FTabList.empty() && !c->GetTabStop()) continue;
        return c;
    }
    return nullptr;
}

bool TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
    TWinControl* next = FindNextControl(CurControl, GoForward, CheckTabStop, false);
    if (next == nullptr) return false;
    next->SetFocus();
    return true;
}

void TWinControl::DoEnter() {
    FOnEnter(this);
}

void TWinControl::DoExit() {
    FOnExit(this);
}

void TWinControl::WMKeyUp(TMessage& Message) {
    WORD key = WORD(Message.WParam);
    KeyUp(key, KeyDataToShiftState(Message.LParam));
    if (key == 0) {
        Message.Result = 0;
        return;
    }
    Message.WParam = key;
    DefaultHandler(Message);
}

void TWinControl::WMSetFocus(TMessage& Message) {
    DefaultHandler(Message);
    FocusArrived();
}

void TWinControl::FocusArrived() {
    // Invariant 5. CM_EXIT goes up from the control that had the focus and CM_ENTER down to this one, both
    // stopping below the control that holds the two.
    TWinControl* root = GetRootControl();
    TWinControl* old = root->FFocusedControl;
    // The focus coming back to this control while its own change is under way (a message box of an OnExit
    // handler closing) changes nothing.
    if (old == this || FocusChangingTo == this) return;
    auto holds = [](const TWinControl* outer, const TControl* inner) {
        for (const TControl* c = inner; c; c = c->GetParent())
            if (c == outer) return true;
        return false;
    };
    TWinControl* previousChange = std::exchange(FocusChangingTo, this);
    struct TRestore {
        TWinControl*& Changing;
        TWinControl* Previous;
        ~TRestore() { Changing = Previous; }
    } restore{FocusChangingTo, previousChange};
    // 1. OnExit. A handler may move the focus elsewhere (back to the control it checks): that move has done
    // what was to be done. One that raises still lets the focus arrive here; the error is reported after.
    std::exception_ptr failure;
    try {
        for (TWinControl* c = old; c && c != root && !holds(c, this); c = c->GetParent())
            c->Perform(CM_EXIT, 0, 0);
    } catch (...) {
        failure = std::current_exception();
    }
    HWND focus = ::GetFocus();
    if (root->FFocusedControl != old || FHandle == nullptr ||
        (focus != FHandle && !IsChild(FHandle, focus))) {
        if (failure) std::rethrow_exception(failure);
        return;
    }
    // 2. OnEnter, outermost first.
    root->FFocusedControl = this;
    std::vector<TWinControl*> entered;
    for (TWinControl* c = this; c && c != root && !(old && holds(c, old)); c = c->GetParent())
        entered.push_back(c);
    for (auto it = entered.rbegin(); it != entered.rend(); ++it)
        (*it)->Perform(CM_ENTER, 0, 0);
    if (failure) std::rethrow_exception(failure);
}

void TWinControl::WMSetCursor(TMessage& Message) {
    if (reinterpret_cast<HWND>(Message.WParam) == FHandle && LOWORD(Message.LParam) == HTCLIENT) {
        // The cursor of the graphic child under the mouse, else the control's own; crDefault: the window's.
        TCursor cursor = GetCursor();
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(FHandle, &p);
        for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
            TRect r = (*it)->GetBoundsRect();
            if (dynamic_cast<TWinControl*>(*it) || !(*it)->GetVisible() || !PtInRect(&r, p)) continue;
            if ((*it)->GetCursor() != crDefault) cursor = (*it)->GetCursor();
            break;
        }
        if (cursor != crDefault) {
            ::SetCursor(Forms::Screen ? Forms::Screen->GetCursors(cursor)
                                      : LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
            Message.Result = 1;
            return;
        }
    }
    DefaultHandler(Message);
}

void TWinControl::WMHelp(TMessage& Message) {
    // Without a topic of its own the control leaves the request to the window's procedure, which hands it
    // to the parent window.
    if (FHelpContext != 0 && Forms::Application) {
        Forms::Application->HelpContext(FHelpContext);
        Message.Result = 1;
        return;
    }
    DefaultHandler(Message);
}

TShiftState KeyDataToShiftState(LPARAM KeyData) {
    TShiftState shift;
    if (GetKeyState(VK_SHIFT) < 0) shift.Include(ssShift);
    if (GetKeyState(VK_CONTROL) < 0) shift.Include(ssCtrl);
    if (KeyData & (LPARAM(1) << 29)) shift.Include(ssAlt); // the context bit: Alt is down
    return shift;
}

bool TWinControl::TextFromWindow() {
    if (FHandle == nullptr) return false;
    std::u16string text(size_t(GetWindowTextLengthW(FHandle)) + 1, u'\0');
    int n = GetWindowTextW(FHandle, reinterpret_cast<LPWSTR>(text.data()), int(text.size()));
    text.resize(size_t(std::max(n, 0)));
    String value = SysUtils::Utf16ToUtf8(text);
    if (value == FText) return false;
    FText = value;
    return true;
}

void TWinControl::SendFont(bool Redraw) {
    HFONT font = GetFont()->GetHandleFor(W(GetText()));
    TMessage m{WM_SETFONT, WPARAM(font), LPARAM(Redraw), 0};
    DefaultHandler(m);
}

PUBLISHED(
    TWinControl, "Controls",
    TypInfo::Prop<&TWinControl::GetHelpContext, &TWinControl::SetHelpContext>("HelpContext").Default(0));

} // namespace Controls

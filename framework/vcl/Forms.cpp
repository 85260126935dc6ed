// Forms: TCustomForm, TForm and TApplication.
//
// Invariants:
//   1. While fsCreating is set (the form's resource is being read), Visible only records the wish
//      (fsVisible); InitForm shows the form after OnCreate.
//   2. A form's window is a top-level window owned by the application window; its client size is what
//      ClientWidth/ClientHeight asked for, whatever frame the border style gives (CreateWnd corrects the
//      window when the system's frame differs from the computed one).
//   3. Application->FMainForm is the first form CreateForm made and is cleared when that form goes.
#include "framework/vcl/Forms.h"

#include "framework/core/ClassesReaderWriter.h"
#include "framework/core/ClassesRegistry.h"

#include <algorithm>
#include <utility>

namespace Forms {

using namespace Messages;
using namespace TypInfo;
using Controls::TControl;
using Controls::TCreateParams;
using Controls::TWinControl;
using Graphics::TRect;

namespace {

std::u16string W(const String& s) {
    return SysUtils::Utf8ToUtf16(s);
}

// Every live form: where streams look up global names ("Form1"), so that a second instance of a form class
// is read as Form1_1 and does not clash with the first under one owner. Never freed: forms the application
// still owns at exit are freed by the unit's finalisation, after the other statics of this file are gone.
std::vector<TCustomForm*>& FormList() {
    static auto* list = new std::vector<TCustomForm*>;
    return *list;
}

Classes::TComponent* FindGlobalForm(const String& Name) {
    for (TCustomForm* f : FormList())
        if (SysUtils::SameText(f->GetName(), Name)) return f;
    return nullptr;
}

int ScreenPixelsPerInch() {
    WinHandles::TWindowDC screen(nullptr);
    return GetDeviceCaps(screen, LOGPIXELSY);
}

} // namespace

// ==== TCustomForm ==========================================================================================

TCustomForm::TCustomForm(TComponent* AOwner)
    : TWinControl(AOwner), FIcon(std::make_unique<Graphics::TIcon>()), FPixelsPerInch(ScreenPixelsPerInch()) {
    FControlStyle = {Controls::csAcceptsControls, Controls::csCaptureMouse, Controls::csClickEvents,
                     Controls::csSetCaption, Controls::csDoubleClicks};
    FIcon->OnChange = TNotifyEvent::Bind<&TCustomForm::IconChanged>(this);
    TControl::SetVisible(false);
    SetParentFont(false);
    SetColor(Graphics::clBtnFace);
    SetBounds(0, 0, 320, 240);
    FormList().push_back(this);
}

TCustomForm::~TCustomForm() {
    auto& list = FormList();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    DoDestroy();
    // The form's window goes while the form is still a form (its messages reach this class's WndProc).
    Destroying();
    DestroyHandle();
}

void TCustomForm::InitForm() {
    if (FInitialized) return;
    FInitialized = true;
    // 1. The resources of the form's classes below TForm (a plain TForm has none).
    if (ClassType() != &TForm::ClassInfo) {
        FFormState.Include(fsCreating);
        try {
            if (!Classes::InitInheritedComponent(this, &TForm::ClassInfo))
                throw Classes::EResNotFound("Resource " + ClassName() + " not found");
        } catch (...) {
            FFormState.Exclude(fsCreating);
            throw;
        }
        FFormState.Exclude(fsCreating);
        // Every published field stands for a component of the form: one the resource lacks (or holds in
        // another class) would leave it null.
        for (const TypInfo::TFieldInfo* field : TypInfo::GetFieldList(ClassType()))
            if (field->Get(this) == nullptr) FieldNotFound(field->Name, field->FieldClass->ClassName);
    }
    // 2. OnCreate, with every component read and loaded.
    DoCreate();
    // 3. Invariant 1: a form stored Visible is shown now.
    if (FFormState.Contains(fsVisible)) {
        FFormState.Exclude(fsVisible);
        SetVisible(true);
    }
}

void TCustomForm::FieldNotFound(std::string_view Name, const char* ClassName) const {
    throw Classes::EComponentError("Component " + String(Name) + " of class " + ClassName + " not found in " +
                                   GetName());
}

void TCustomForm::SetBorderStyle(TFormBorderStyle Value) {
    if (Value == FBorderStyle) return;
    FBorderStyle = Value;
    RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons Value) {
    if (Value == FBorderIcons) return;
    FBorderIcons = Value;
    RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle Value) {
    if (Value == FFormStyle) return;
    FFormStyle = Value;
    // A new window with the new style: the system does not always take WS_EX_TOPMOST back from an owned
    // window that has it (Wine keeps it through SetWindowPos(HWND_NOTOPMOST)).
    RecreateWnd();
}

void TCustomForm::SetPixelsPerInch(int Value) {
    // Forms are not scaled: a form designed at another resolution keeps its pixel sizes.
    if (Value > 0) FPixelsPerInch = Value;
}

int TCustomForm::GetTextHeight() const {
    WinHandles::TWindowDC screen(nullptr);
    WinHandles::TSelectObject font(screen, GetFont()->GetHandle());
    TEXTMETRICW tm{};
    GetTextMetricsW(screen, &tm);
    return tm.tmHeight;
}

void TCustomForm::SetClientWidth(int Value) {
    if (GetComponentState().Contains(Classes::csLoading)) {
        FClientWidth = Value;
        return;
    }
    TControl::SetClientWidth(Value);
}

void TCustomForm::SetClientHeight(int Value) {
    if (GetComponentState().Contains(Classes::csLoading)) {
        FClientHeight = Value;
        return;
    }
    TControl::SetClientHeight(Value);
}

void TCustomForm::Loaded() {
    inherited::Loaded();
    // The border style is known now: the window size follows from the client size.
    if (FClientWidth > 0) TControl::SetClientWidth(FClientWidth);
    if (FClientHeight > 0) TControl::SetClientHeight(FClientHeight);
    FClientWidth = FClientHeight = 0;
}

void TCustomForm::SetVisible(bool Value) {
    if (FFormState.Contains(fsCreating)) {
        // Invariant 1.
        if (Value)
            FFormState.Include(fsVisible);
        else
            FFormState.Exclude(fsVisible);
        return;
    }
    inherited::SetVisible(Value);
}

void TCustomForm::GetFrameStyles(DWORD& Style, DWORD& ExStyle) const {
    Style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    ExStyle = 0;
    TBorderIcons icons = FBorderIcons;
    switch (FBorderStyle) {
    case bsNone:
        Style |= WS_POPUP;
        icons = {};
        break;
    case bsSingle:
    case bsToolWindow:
        Style |= WS_CAPTION | WS_BORDER;
        break;
    case bsSizeable:
    case bsSizeToolWin:
        Style |= WS_CAPTION | WS_THICKFRAME;
        break;
    case bsDialog:
        // A dialog frame, not resizable; no minimise or maximise button.
        Style |= WS_POPUP | WS_CAPTION;
        ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
        icons = icons * TBorderIcons{biSystemMenu, biHelp};
        break;
    }
    if (FBorderStyle == bsToolWindow || FBorderStyle == bsSizeToolWin) ExStyle |= WS_EX_TOOLWINDOW;
    if (icons.Contains(biSystemMenu)) {
        Style |= WS_SYSMENU;
        if (icons.Contains(biMinimize)) Style |= WS_MINIMIZEBOX;
        if (icons.Contains(biMaximize)) Style |= WS_MAXIMIZEBOX;
        if (icons.Contains(biHelp) && !(Style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)))
            ExStyle |= WS_EX_CONTEXTHELP;
    }
    if (FFormStyle == fsStayOnTop) ExStyle |= WS_EX_TOPMOST;
}

TRect TCustomForm::GetClientRect() {
    if (HandleAllocated()) return inherited::GetClientRect();
    // Before the window exists: the window size less the frame that the styles give.
    DWORD style, exStyle;
    GetFrameStyles(style, exStyle);
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, style, FMenu != nullptr && GetParent() == nullptr, exStyle);
    return {0, 0, std::max<LONG>(0, GetWidth() - (frame.right - frame.left)),
            std::max<LONG>(0, GetHeight() - (frame.bottom - frame.top))};
}

void TCustomForm::CreateParams(TCreateParams& Params) {
    inherited::CreateParams(Params);
    if (GetParent() != nullptr) return;
    // Invariant 2: top-level, owned by the application window, shown by SetVisible.
    GetFrameStyles(Params.Style, Params.ExStyle);
    Params.WndParent = Application ? Application->GetHandle() : nullptr;
    if (FPosition == poDefault || FPosition == poDefaultPosOnly) Params.X = Params.Y = CW_USEDEFAULT;
}

void TCustomForm::ApplyPosition() {
    if (FPosition != poScreenCenter) return;
    // Centred on the screen with the whole window, never above or left of the screen's corner; the stored
    // Left and Top are overridden.
    int x = std::max(0, (GetSystemMetrics(SM_CXSCREEN) - GetWidth()) / 2);
    int y = std::max(0, (GetSystemMetrics(SM_CYSCREEN) - GetHeight()) / 2);
    SetBounds(x, y, GetWidth(), GetHeight());
}

void TCustomForm::CreateWnd() {
    TRect wanted = GetClientRect();
    if (GetParent() == nullptr) ApplyPosition();
    inherited::CreateWnd();
    HWND h = GetHandle();
    if (FMenu != nullptr && GetParent() == nullptr && FFormStyle != fsMDIChild) {
        ::SetMenu(h, FMenu->GetHandle());
        FMenu->SetWindowHandle(h);
    }
    CreateClientWindow();
    if (GetParent() == nullptr) {
        // Invariant 2: the system's frame may differ from AdjustWindowRectEx's; the client size wins.
        RECT got;
        ::GetClientRect(h, &got);
        int dx = wanted.right - got.right, dy = wanted.bottom - got.bottom;
        if (dx != 0 || dy != 0) {
            SetBounds(GetLeft(), GetTop(), GetWidth() + dx, GetHeight() + dy);
            ApplyPosition();
        }
    }
    if (!FIcon->GetEmpty()) SendMessageW(h, WM_SETICON, ICON_BIG, LPARAM(FIcon->GetHandle()));
    // A form whose window is remade while shown is shown again.
    if (FFormState.Contains(fsShowing)) ShowWindow(h, SW_SHOWNORMAL);
}

void TCustomForm::DestroyWindowHandle() {
    // A window destroys the menu bar it shows; the bar belongs to the menu component.
    if (FMenu != nullptr && HandleAllocated()) {
        ::SetMenu(GetHandle(), nullptr);
        FMenu->SetWindowHandle(nullptr);
    }
    // An MDI child is destroyed by its client window, which then activates the next child.
    if (FFormStyle == fsMDIChild && HandleAllocated())
        if (HWND client = ::GetParent(GetHandle()))
            SendMessageW(client, WM_MDIDESTROY, WPARAM(GetHandle()), 0);
    inherited::DestroyWindowHandle();
}

void TCustomForm::SetMenu(Menus::TMainMenu* Value) {
    if (Value == FMenu) return;
    if (FMenu != nullptr) {
        FMenu->SetWindowHandle(nullptr);
        FMenu->RemoveFreeNotification(this);
    }
    FMenu = Value;
    if (FMenu != nullptr) FMenu->FreeNotification(this);
    if (HandleAllocated() && GetParent() == nullptr) {
        ::SetMenu(GetHandle(), FMenu != nullptr ? FMenu->GetHandle() : nullptr);
        if (FMenu != nullptr) FMenu->SetWindowHandle(GetHandle());
    }
}

void TCustomForm::Notification(TComponent* AComponent, Classes::TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    if (Operation == Classes::opRemove && AComponent == FActiveControl) FActiveControl = nullptr;
    if (Operation == Classes::opRemove && AComponent == FMenu) {
        // The menu is going (it has taken its bar back already): only the link goes.
        FMenu = nullptr;
        if (HandleAllocated() && GetParent() == nullptr) ::SetMenu(GetHandle(), nullptr);
    }
}

void TCustomForm::IconChanged(TObject*) {
    if (HandleAllocated())
        SendMessageW(GetHandle(), WM_SETICON, ICON_BIG,
                     LPARAM(FIcon->GetEmpty() ? nullptr : FIcon->GetHandle()));
}

void TCustomForm::DoDestroy() {
    TNotifyEvent onDestroy = FOnDestroy;
    FOnDestroy = {};
    try {
        onDestroy(this);
    } catch (...) {
        if (Application) Application->HandleException(this);
    }
}

void TCustomForm::DoCreate() {
    FOnCreate(this);
}

void TCustomForm::DoShow() {
    FOnShow(this);
}

void TCustomForm::DoHide() {
    FOnHide(this);
}

void TCustomForm::DoClose(TCloseAction& Action) {
    FOnClose(this, Action);
}

bool TCustomForm::CloseQuery() {
    bool canClose = true;
    FOnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::Close() {
    if (FFormState.Contains(fsModal)) {
        FModalResult = mrCancel;
        return;
    }
    if (!CloseQuery()) return;
    TCloseAction action = caHide;
    DoClose(action);
    if (action == caNone) return;
    if (Application && Application->GetMainForm() == this) {
        Application->Terminate();
    } else if (action == caHide) {
        Hide();
    } else if (action == caMinimize) {
        if (HandleAllocated()) ShowWindow(GetHandle(), SW_MINIMIZE);
    } else {
        Release();
    }
}

void TCustomForm::Activate() {
    FOnActivate(this);
}

void TCustomForm::Deactivate() {
    FOnDeactivate(this);
}

bool TCustomForm::CloseModal(TCloseAction& Action) {
    Action = caHide;
    try {
        if (CloseQuery())
            DoClose(Action);
        else
            Action = caNone;
    } catch (...) {
        FModalResult = mrNone;
        throw;
    }
    if (Action == caNone) FModalResult = mrNone;
    return Action != caNone;
}

TModalResult TCustomForm::ShowModal() {
    if (GetVisible() || !GetEnabled() || FFormState.Contains(fsModal) || GetParent() != nullptr)
        throw Classes::EInvalidOperation("Cannot make a visible window modal");
    if (HWND capture = GetCapture()) {
        SendMessageW(capture, WM_CANCELMODE, 0, 0);
        ReleaseCapture();
    }
    HWND previous = GetActiveWindow();
    HandleNeeded();
    FFormState.Include(fsModal);
    FModalResult = mrNone;
    TTaskWindowList disabled = DisableTaskWindows(GetHandle());
    TCloseAction action = caHide;
    bool quit = false;
    try {
        Show();
        // 1. The messages, until something sets the result and OnCloseQuery and OnClose let the form go.
        while (true) {
            try {
                if (FModalResult == mrNone) Application->HandleMessage();
                if (Application->FTerminated) {
                    // The application is ending: the run ends, and so will the loop outside it.
                    Application->FTerminated = false;
                    quit = true;
                    FModalResult = mrCancel;
                    break;
                }
                if (FModalResult != mrNone && CloseModal(action)) break;
            } catch (...) {
                Application->HandleException(this);
            }
        }
    } catch (...) {
        FFormState.Exclude(fsModal);
        throw;
    }
    // 2. Hidden, the other windows back, the previous window active again.
    FFormState.Exclude(fsModal);
    if (HandleAllocated()) {
        // The owner is activated first, so that hiding does not hand the activation to a window of another
        // program.
        EnableTaskWindows(disabled);
        if (previous && IsWindow(previous)) SetActiveWindow(previous);
        Hide();
    }
    EnableTaskWindows(disabled); // when the window went meanwhile
    if (quit) PostQuitMessage(0);
    TModalResult result = FModalResult;
    if (action == caFree) Release();
    return result;
}

Controls::TWinControl* TCustomForm::FocusedInForm() const {
    // The nearest control of this framework at or above the window with the focus (a combo box's edit).
    for (HWND h = GetFocus(); h; h = ::GetParent(h))
        if (TWinControl* c = FindControl(h)) {
            return c != this && c->GetRootControl() == this ? c : nullptr;
        }
    return nullptr;
}

Controls::TWinControl* TCustomForm::GetActiveControl() const {
    if (TWinControl* focused = GetFocusedControl(); focused && focused != this) return focused;
    return FActiveControl;
}

void TCustomForm::SetActiveControl(Controls::TWinControl* Value) {
    if (Value == FActiveControl) return;
    bool loading = GetComponentState().Contains(Classes::csLoading);
    if (Value && !loading && (Value->GetRootControl() != this || !Value->CanFocus()))
        throw Classes::EInvalidOperation("Cannot focus a disabled or invisible window");
    if (FActiveControl) FActiveControl->RemoveFreeNotification(this);
    FActiveControl = Value;
    if (Value) Value->FreeNotification(this);
    if (Value && !loading && HandleAllocated() && GetActiveWindow() == GetHandle()) Value->SetFocus();
}

void TCustomForm::WMActivate(TMessage& Message) {
    // A window the form owns (a message box, a system dialog it opened) taking the activation for a while
    // is no deactivation of the form, and getting it back from one no activation.
    auto owned = [&](HWND Other) { return Other && GetWindow(Other, GW_OWNER) == GetHandle(); };
    if (LOWORD(Message.WParam) == WA_INACTIVE) {
        DefaultHandler(Message);
        FOwnedPopupActive = owned(reinterpret_cast<HWND>(Message.LParam));
        if (!FOwnedPopupActive) Deactivate();
        return;
    }
    if (HIWORD(Message.WParam) == 0 && FocusedInForm() == nullptr) {
        // The focus goes to the control that had it last, else ActiveControl, else the first in tab order.
        TWinControl* target = GetFocusedControl();
        if (target == this || (target && !target->CanFocus())) target = nullptr;
        if (target == nullptr && FActiveControl && FActiveControl->CanFocus()) target = FActiveControl;
        if (target == nullptr) target = FindNextControl(nullptr, true, true, false);
        if (target)
            target->SetFocus();
        else
            DefaultHandler(Message);
    }
    if (std::exchange(FOwnedPopupActive, false)) return;
    Activate();
}

void TCustomForm::Release() {
    PostMessageW(GetHandle(), CM_RELEASE, 0, 0);
}

void TCustomForm::GetChildren(const Classes::TGetChildProc& Proc, TComponent* Root) {
    // The controls, then (for the form itself) its components that have no parent: timers, tables.
    inherited::GetChildren(Proc, Root);
    if (Root == this)
        for (int i = 0; i < GetComponentCount(); ++i)
            if (!GetComponent(i)->HasParent()) Proc(GetComponent(i));
}

void TCustomForm::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_CLOSE:
        Close();
        return;
    case CM_RELEASE:
        delete this; // nothing of the form is touched after this
        return;
    case WM_ACTIVATE:
        WMActivate(Message);
        return;
    case Controls::CM_DIALOGKEY:
        // Tab and Shift+Tab (not with Ctrl) move the focus; the other keys go to the controls.
        if (Message.WParam == VK_TAB && GetKeyState(VK_CONTROL) >= 0) {
            SelectNext(FocusedInForm(), GetKeyState(VK_SHIFT) >= 0, true);
            Message.Result = 1;
            return;
        }
        break;
    case WM_COMMAND:
        // A command of the menu bar goes to its item.
        if (Message.LParam == 0 && HIWORD(Message.WParam) == 0 && FMenu != nullptr &&
            FMenu->DispatchCommand(LOWORD(Message.WParam)))
            return;
        break;
    case WM_INITMENUPOPUP:
        if (FMenu != nullptr) FMenu->DispatchPopup(reinterpret_cast<HMENU>(Message.WParam));
        break;
    case CM_VISIBLECHANGED:
        if (GetParent() != nullptr) break;
        if (GetVisible()) {
            // OnShow before the window appears, as the framework does.
            HandleNeeded();
            DoShow();
            ShowWindow(GetHandle(), SW_SHOWNORMAL);
            FFormState.Include(fsShowing);
        } else if (HandleAllocated()) {
            DoHide();
            ShowWindow(GetHandle(), SW_HIDE);
            FFormState.Exclude(fsShowing);
        }
        return;
    }
    inherited::WndProc(Message);
}

// The published properties of every form, in the framework's stream order. Width and Height are read but
// not written: a form stores its client size.
PUBLISHED(TCustomForm, "Forms");
PUBLISHED(
    TForm, "Forms", Prop<&TControl::GetWidth, &TControl::SetWidth>("Width").Stored(false),
    Prop<&TControl::GetHeight, &TControl::SetHeight>("Height").Stored(false),
    Prop<&TCustomForm::GetActiveControl, &TCustomForm::SetActiveControl>("ActiveControl"),
    Prop<&TCustomForm::GetBorderIcons, &TCustomForm::SetBorderIcons>("BorderIcons")
        .Default(TBorderIcons{biSystemMenu, biMinimize, biMaximize}),
    Prop<&TCustomForm::GetBorderStyle, &TCustomForm::SetBorderStyle>("BorderStyle").Default(bsSizeable),
    Prop<&TControl::GetCaption, &TControl::SetCaption>("Caption"),
    Prop<&TControl::GetClientHeight, &TCustomForm::SetClientHeight>("ClientHeight"),
    Prop<&TControl::GetClientWidth, &TCustomForm::SetClientWidth>("ClientWidth"),
    Prop<&TControl::GetColor, &TControl::SetColor>("Color").Type(&Graphics::TColor_TypeInfo),
    Prop<&TControl::GetEnabled, &TControl::SetEnabled>("Enabled").Default(true),
    Prop<&TControl::GetFont, &TControl::SetFont>("Font"),
    Prop<&TCustomForm::GetFormStyle, &TCustomForm::SetFormStyle>("FormStyle").Default(fsNormal),
    Prop<&TCustomForm::GetIcon, &TCustomForm::SetIcon>("Icon"),
    Prop<&TCustomForm::GetMenu, &TCustomForm::SetMenu>("Menu"),
    Prop<&TCustomForm::GetOldCreateOrder, &TCustomForm::SetOldCreateOrder>("OldCreateOrder").Default(false),
    Prop<&TCustomForm::GetPosition, &TCustomForm::SetPosition>("Position").Default(poDesigned),
    Prop<&TControl::GetVisible, &TCustomForm::SetVisible>("Visible").Default(false),
    Prop<&TCustomForm::GetOnActivate, &TCustomForm::SetOnActivate>("OnActivate"),
    Prop<&TCustomForm::GetOnClose, &TCustomForm::SetOnClose>("OnClose"),
    Prop<&TCustomForm::GetOnCloseQuery, &TCustomForm::SetOnCloseQuery>("OnCloseQuery"),
    Prop<&TCustomForm::GetOnCreate, &TCustomForm::SetOnCreate>("OnCreate"),
    Prop<&TCustomForm::GetOnDeactivate, &TCustomForm::SetOnDeactivate>("OnDeactivate"),
    Prop<&TCustomForm::GetOnDestroy, &TCustomForm::SetOnDestroy>("OnDestroy"),
    Prop<&TCustomForm::GetOnHide, &TCustomForm::SetOnHide>("OnHide"),
    Prop<&TCustomForm::GetOnShow, &TCustomForm::SetOnShow>("OnShow"),
    Prop<&TCustomForm::GetPixelsPerInch, &TCustomForm::SetPixelsPerInch>("PixelsPerInch"),
    Prop<&TCustomForm::GetTextHeight, &TCustomForm::SetTextHeight>("TextHeight"));

// ==== TApplication =========================================================================================

TApplication* Application = nullptr;

String ExceptionMessageText(const String& Message) {
    // The byte comparison of the framework ("!" 0x21 and ")" 0x29 sort before "." 0x2E; letters, digits and
    // every byte of a multi-byte character after it).
    if (!Message.empty() && static_cast<unsigned char>(Message.back()) > static_cast<unsigned char>('.'))
        return Message + ".";
    return Message;
}

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {}

TApplication::~TApplication() {
    Destroying();
    // The forms go first: their windows are owned by the application window.
    DestroyComponents();
    if (FHandle) DestroyWindow(FHandle);
    Controls::FreeObjectInstance(FObjectInstance);
}

void TApplication::Initialize() {
    GetHandle();
}

HWND TApplication::GetHandle() {
    if (FHandle == nullptr) {
        HINSTANCE instance = Controls::FrameworkInstance();
        Controls::RegisterPlainWindowClass(L"TApplication",
                                           LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)),
                                           "the application window class");
        std::u16string title = W(GetTitle());
        // Hidden, of no size, in the middle of the screen: the owner of every form's window.
        FHandle = WinHandles::Check(
            CreateWindowExW(0, L"TApplication", reinterpret_cast<LPCWSTR>(title.c_str()),
                            WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                            GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0,
                            nullptr, nullptr, instance, nullptr),
            "the application window");
        FObjectInstance =
            Controls::MakeObjectInstance(Messages::TWndMethod::Bind<&TApplication::WndProc>(this));
        SetWindowLongPtrW(FHandle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FObjectInstance));
    }
    return FHandle;
}

void TApplication::WndProc(TMessage& Message) {
    try {
        if (Message.Msg == WM_CLOSE && FMainForm) {
            FMainForm->Close();
            return;
        }
        Message.Result = DefWindowProcW(FHandle, Message.Msg, Message.WParam, Message.LParam);
    } catch (...) {
        HandleException(this);
    }
}

String TApplication::GetTitle() const {
    if (!FTitle.empty()) return FTitle;
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    String name = SysUtils::ExtractFileName(
        SysUtils::Utf16ToUtf8(std::u16string_view(reinterpret_cast<char16_t*>(path), n)));
    String ext = SysUtils::ExtractFileExt(name);
    return name.substr(0, name.size() - ext.size());
}

void TApplication::SetTitle(const String& Value) {
    FTitle = Value;
    if (FHandle) {
        std::u16string title = W(GetTitle());
        SetWindowTextW(FHandle, reinterpret_cast<LPCWSTR>(title.c_str()));
    }
}

void TApplication::FormCreated(TCustomForm* Form) {
    // Invariant 3.
    if (FMainForm == nullptr) {
        FMainForm = Form;
        Form->FreeNotification(this);
        Form->HandleNeeded();
    }
}

void TApplication::Notification(TComponent* AComponent, Classes::TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    if (Operation == Classes::opRemove && AComponent == FMainForm) {
        FMainForm = nullptr;
        // A program whose main form is gone has nothing left to run.
        if (FRunning) Terminate();
    }
}

bool TApplication::ProcessMessage() {
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
        FTerminated = true;
        return true;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    return true;
}

void TApplication::ProcessMessages() {
    while (ProcessMessage()) {
    }
}

void TApplication::HandleMessage() {
    if (!ProcessMessage()) {
        // Idle: the DCs control canvases took outside painting go back, then wait.
        Controls::FreeDeviceContexts();
        WaitMessage();
    }
}

void TApplication::Run() {
    FRunning = true;
    FTerminated = false;
    struct TStop {
        bool& Running;
        ~TStop() { Running = false; }
    } stop{FRunning};
    if (FMainForm == nullptr) return;
    try {
        if (FShowMainForm) FMainForm->SetVisible(true);
    } catch (...) {
        HandleException(this);
    }
    while (!FTerminated) {
        try {
            HandleMessage();
        } catch (...) {
            HandleException(this);
        }
    }
}

void TApplication::Terminate() {
    PostQuitMessage(0);
}

void TApplication::HandleException(TObject* Sender) {
    std::exception_ptr current = std::current_exception();
    if (!current) return;
    auto report = [&](SysUtils::Exception& e) {
        if (FOnException.Assigned())
            FOnException(Sender, &e);
        else
            ShowException(&e);
    };
    try {
        try {
            std::rethrow_exception(current);
        } catch (SysUtils::EAbort&) {
        } catch (SysUtils::Exception& e) {
            report(e);
        } catch (std::exception& e) {
            SysUtils::Exception wrapped(e.what());
            report(wrapped);
        } catch (...) {
            SysUtils::Exception wrapped("Unknown exception");
            report(wrapped);
        }
    } catch (SysUtils::Exception& e) {
        // OnException itself failed: that one is shown.
        try {
            ShowException(&e);
        } catch (...) {
        }
    } catch (...) {
    }
}

void TApplication::ShowException(SysUtils::Exception* E) {
    MessageBox(ExceptionMessageText(E->Message()), GetTitle(), MB_OK | MB_ICONERROR);
}

int TApplication::MessageBox(const String& Text, const String& Caption, UINT Flags) {
    // Owned by the window the user works in, so that it stays above it (above a stay-on-top form too).
    HWND owner = GetActiveWindow();
    if (owner == nullptr && FMainForm && FMainForm->GetShowing()) owner = FMainForm->GetHandle();
    if (owner == nullptr) owner = GetHandle();
    std::u16string text = W(Text), caption = W(Caption);
    return MessageBoxW(owner, reinterpret_cast<LPCWSTR>(text.c_str()),
                       reinterpret_cast<LPCWSTR>(caption.c_str()), Flags);
}

PUBLISHED(TApplication, "Forms");

// ==== TScreen ==============================================================================================
TScreen* Screen = nullptr;

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {}

HCURSOR TScreen::GetCursors(int Index) const {
    using namespace Controls;
    if (auto it = FCursors.find(Index); it != FCursors.end()) return it->second;
    static const std::pair<int, LPCSTR> standard[] = {
        {crArrow, IDC_ARROW},       {crCross, IDC_CROSS},     {crIBeam, IDC_IBEAM},
        {crSizeNESW, IDC_SIZENESW}, {crSizeNS, IDC_SIZENS},   {crSizeNWSE, IDC_SIZENWSE},
        {crSizeWE, IDC_SIZEWE},     {crUpArrow, IDC_UPARROW}, {crHourGlass, IDC_WAIT},
        {crNoDrop, IDC_NO},         {crNo, IDC_NO},           {crAppStart, IDC_APPSTARTING},
        {crHelp, IDC_HELP},         {crHandPoint, IDC_HAND},  {crSizeAll, IDC_SIZEALL},
        {crHSplit, IDC_SIZEWE},     {crVSplit, IDC_SIZENS},   {crDrag, IDC_ARROW},
        {crMultiDrag, IDC_ARROW},   {crSQLWait, IDC_WAIT}};
    if (Index == crNone) return nullptr;
    for (auto [index, id] : standard)
        if (index == Index) return LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(id));
    return LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
}

void TScreen::SetCursors(int Index, HCURSOR Value) {
    if (Value == nullptr)
        FCursors.erase(Index);
    else
        FCursors[Index] = Value;
}

TCustomForm* TScreen::GetActiveForm() const {
    HWND active = GetActiveWindow();
    if (active == nullptr) return nullptr;
    for (TCustomForm* form : FormList())
        if (form->HandleAllocated() && form->GetHandle() == active) return form;
    return nullptr;
}

int TScreen::GetFormCount() const {
    return int(FormList().size());
}

TCustomForm* TScreen::GetForm(int Index) const {
    if (Index < 0 || Index >= GetFormCount())
        throw Classes::EListError("List index out of bounds (" + SysUtils::IntToStr(Index) + ")");
    return FormList()[size_t(Index)];
}

PUBLISHED(TScreen, "Forms");

// ==== Task windows =========================================================================================

namespace {

struct TTaskWindowSearch {
    HWND ActiveWindow;
    std::vector<HWND>* Windows;
    bool Failed;
};

// Collects the windows to disable; no exception may cross the system's enumeration.
BOOL CALLBACK CollectTaskWindow(HWND Window, LPARAM Param) {
    auto* search = reinterpret_cast<TTaskWindowSearch*>(Param);
    if (Window != search->ActiveWindow && IsWindowVisible(Window) && IsWindowEnabled(Window)) {
        try {
            search->Windows->push_back(Window);
        } catch (...) {
            search->Failed = true;
            return FALSE;
        }
    }
    return TRUE;
}

} // namespace

TTaskWindowList::~TTaskWindowList() {
    EnableTaskWindows(*this);
}

TTaskWindowList DisableTaskWindows(HWND ActiveWindow) {
    TTaskWindowList list;
    TTaskWindowSearch search{ActiveWindow, &list.FWindows, false};
    EnumThreadWindows(GetCurrentThreadId(), CollectTaskWindow, reinterpret_cast<LPARAM>(&search));
    if (search.Failed) throw SysUtils::EOutOfMemory("Out of memory");
    for (HWND window : list.FWindows)
        EnableWindow(window, FALSE);
    return list;
}

void EnableTaskWindows(TTaskWindowList& WindowList) {
    for (HWND window : WindowList.FWindows)
        if (IsWindow(window)) EnableWindow(window, TRUE);
    WindowList.FWindows.clear();
}

// ==== Unit initialisation ==================================================================================

namespace {

struct TFormsUnit {
    TFormsUnit() {
        Classes::RegisterClasses({&TForm::ClassInfo});
        Classes::RegisterFindGlobalComponentProc(&FindGlobalForm);
        Application = new TApplication(nullptr);
        Screen = new TScreen(nullptr);
    }
    ~TFormsUnit() {
        delete Screen;
        Screen = nullptr;
        TApplication* app = Application;
        Application = nullptr;
        try {
            delete app;
        } catch (...) {
        }
        Classes::UnregisterFindGlobalComponentProc(&FindGlobalForm);
    }
} FormsUnit;

} // namespace

} // namespace Forms

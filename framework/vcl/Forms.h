// Forms: forms and the application object.
//
// Declares: TCustomForm and TForm (a top-level window read from its form resource: border style and icons,
// form style, position, client size, icon, menu bar, OnCreate/OnShow/OnHide/OnClose/OnCloseQuery, Close),
// their enumerations, TApplication with its global instance Application (title, the hidden application
// window, CreateForm, Run, ProcessMessages, Terminate, HandleException, MessageBox, OnException), and TScreen
// with its global instance Screen (the cursor table, the active form, the forms); and for modal runs of
// system dialogs, DisableTaskWindows and EnableTaskWindows with their TTaskWindowList.
//
// A program:
//
//   // OstrelFormUnit.h
//   class TOstrelForm : public Forms::TForm {
//       DECLARE_CLASS(TOstrelForm, Forms::TForm)
//   public:
//       using TForm::TForm;
//       StdCtrls::TLabel* PatternName = nullptr;                 // published field: set by name
//       void FormShow(TObject* Sender);                          // published: OnShow = FormShow
//   };
//   // OstrelFormUnit.cpp
//   PUBLISHED(TOstrelForm, "OstrelFormUnit", PUBLISHED_FIELD(TOstrelForm, PatternName),
//             PUBLISHED_METHOD(TOstrelForm, FormShow));
//   // main
//   Forms::Application->Initialize();
//   Forms::Application->SetTitle("Конвертер шаблонов оформления");
//   Forms::Application->CreateForm(OstrelForm);   // TOstrelForm* OstrelForm: the first form is the main one
//   Forms::Application->Run();                    // until the main form closes
//
// Creating a form from its resource: TCustomForm::Create<T>(Owner) (or Application->CreateForm) constructs
// the form, then InitForm reads the RCDATA resources named after its classes (TOSTRELFORM; an inherited
// form's ancestors first), which creates its components and sets their properties through the setters
// (handlers bound by name, published fields set as their components are made; EComponentError when the
// resource lacks the component of a field), calls Loaded on each, then fires OnCreate, and finally shows the
// form when the stream made it Visible. A C++ constructor runs before that: work that needs the form's
// components goes in Loaded (or FormCreate). The constructor alone (TForm(Owner)) makes an empty form, as
// CreateNew does.
//
// Exceptions: one that leaves a message handler is shown by Application->HandleException and the program goes
// on; so is one that leaves showing the main form in Run. Elsewhere (a direct call of Show, CreateForm and
// OnCreate) it reaches the caller, as any C++ exception does.
#pragma once

#include "framework/vcl/Controls.h"
#include "framework/vcl/Menus.h"

#include <map>

#include <string_view>
#include <vector>

namespace Forms {

using Classes::TComponent;
using Classes::TNotifyEvent;
using System::TObject;
using SysUtils::String;

PUBLISHED_ENUM(TFormBorderStyle, uint8_t, bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin)
PUBLISHED_ENUM(TBorderIcon, uint8_t, biSystemMenu, biMinimize, biMaximize, biHelp)
using TBorderIcons = System::TSet<TBorderIcon>;
PUBLISHED_ENUM(TFormStyle, uint8_t, fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop)
PUBLISHED_ENUM(TPosition, uint8_t, poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter)
PUBLISHED_ENUM(TCloseAction, uint8_t, caNone, caHide, caFree, caMinimize)

enum TFormStateItem : uint8_t { fsCreating, fsVisible, fsShowing, fsModal };
using TFormState = System::TSet<TFormStateItem>;

// What ended a modal run (ShowModal's result, a button's ModalResult): mrNone (0) keeps it going.
using TModalResult = int;
inline constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5,
                              mrYes = 6, mrNo = 7, mrAll = 8;

using TCloseEvent = System::TEvent<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = System::TEvent<void(TObject* Sender, bool& CanClose)>;
using TExceptionEvent = System::TEvent<void(TObject* Sender, SysUtils::Exception* E)>;
using THelpEvent = System::TEvent<bool(UINT Command, int Data, bool& CallHelp)>;

class TCustomForm : public Controls::TWinControl {
    DECLARE_CLASS(TCustomForm, Controls::TWinControl)
public:
    // An empty form with the framework's defaults (CreateNew): 320 by 240, sizeable, hidden, clBtnFace.
    explicit TCustomForm(TComponent* AOwner);
    ~TCustomForm() override;

    // A form of class T read from its resource (see the top). Owned by AOwner; without one, by the caller.
    template <class T> static T* Create(TComponent* AOwner) {
        std::unique_ptr<T> form(new T(AOwner));
        form->InitForm();
        return form.release();
    }
    // Reads the form's resources, fires OnCreate and shows the form if it was stored Visible; once.
    // Classes::EResNotFound "Resource %s not found" when the class has no resource.
    void InitForm();

    // ---- Properties.
    TFormBorderStyle GetBorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle Value);
    TBorderIcons GetBorderIcons() const { return FBorderIcons; }
    void SetBorderIcons(TBorderIcons Value);
    TFormStyle GetFormStyle() const { return FFormStyle; }
    void SetFormStyle(TFormStyle Value);
    TPosition GetPosition() const { return FPosition; }
    void SetPosition(TPosition Value) { FPosition = Value; }
    Graphics::TIcon* GetIcon() const { return FIcon.get(); }
    void SetIcon(Graphics::TIcon* Value) { FIcon->Assign(Value); }
    int GetPixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(int Value);
    // The height of the font's characters (tmHeight) on the screen.
    int GetTextHeight() const;
    void SetTextHeight(int Value) { FTextHeight = Value; }
    bool GetOldCreateOrder() const { return FOldCreateOrder; }
    void SetOldCreateOrder(bool Value) { FOldCreateOrder = Value; }
    // The client size; read from a stream it is applied once the border style is known (Loaded).
    void SetClientWidth(int Value);
    void SetClientHeight(int Value);
    void SetVisible(bool Value) override;
    Graphics::TRect GetClientRect() override;
    TFormState GetFormState() const { return FFormState; }
    // The menu bar: its commands and opening submenus reach its items through the form's window.
    Menus::TMainMenu* GetMenu() const { return FMenu; }
    void SetMenu(Menus::TMainMenu* Value);

    // ---- Multiple-document forms. An fsMDIForm frame holds the system's MDI client window (ClientHandle),
    // in which fsMDIChild forms live (the application's main form is their frame).
    HWND GetClientHandle() const { return FClientHandle; }
    int GetMDIChildCount() const;
    TCustomForm* GetMDIChild(int Index) const; // Classes::EListError outside
    // The child the client window calls active, or nullptr.
    TCustomForm* GetActiveMDIChild() const;
    void DefaultHandler(Messages::TMessage& Message) override;

    // ---- Events.
    const TNotifyEvent& GetOnCreate() const { return FOnCreate; }
    void SetOnCreate(const TNotifyEvent& Value) { FOnCreate = Value; }
    const TNotifyEvent& GetOnShow() const { return FOnShow; }
    void SetOnShow(const TNotifyEvent& Value) { FOnShow = Value; }
    const TNotifyEvent& GetOnHide() const { return FOnHide; }
    void SetOnHide(const TNotifyEvent& Value) { FOnHide = Value; }
    const TCloseEvent& GetOnClose() const { return FOnClose; }
    void SetOnClose(const TCloseEvent& Value) { FOnClose = Value; }
    const TCloseQueryEvent& GetOnCloseQuery() const { return FOnCloseQuery; }
    void SetOnCloseQuery(const TCloseQueryEvent& Value) { FOnCloseQuery = Value; }

    // Asks OnCloseQuery, then OnClose with caHide: the main form ends the application, another form hides
    // (caFree: Release; caMinimize: minimised; caNone: stays). A form shown modally only sets ModalResult to
    // mrCancel: its modal run does the rest.
    void Close();

    // ---- Modal runs. ShowModal disables the application's other top-level windows, shows the form and
    // handles messages until ModalResult is not mrNone (a button with a ModalResult, the close box or Esc on
    // a Cancel button: mrCancel; the application ending: mrCancel); then asks OnCloseQuery (false: the run
    // goes on) and OnClose (caNone: goes on; caFree: the form is released afterwards), hides the form,
    // enables the windows again, activates the window that was active before and returns ModalResult.
    // EInvalidOperation "Cannot make a visible window modal" for a visible or disabled form. Exceptions that
    // leave message handlers meanwhile are shown by the application, and the run goes on.
    TModalResult ShowModal();
    TModalResult GetModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult Value) { FModalResult = Value; }

    // ---- The focus. ActiveControl: the control that has the focus in the form (the one that had it last
    // while the form is not active), or the one set to get it: when the form is activated the focus goes to
    // the control it had last, else ActiveControl, else the first control in tab order. Setting it on an
    // active form moves the focus there; EInvalidOperation "Cannot focus a disabled or invisible window" for
    // a control of another form or one that cannot take the focus (not checked while the form is read).
    Controls::TWinControl* GetActiveControl() const;
    void SetActiveControl(Controls::TWinControl* Value);
    // Tab and Shift+Tab move the focus in tab order (TabStop controls, into group boxes); Enter and Esc go to
    // the buttons (the default and cancel ones, see StdCtrls::TButton).
    // OnActivate and OnDeactivate: the form's window becomes active, or stops being active; a window the
    // form owns (a message box or a system dialog it opened) taking the activation and giving it back fires
    // neither.
    const TNotifyEvent& GetOnActivate() const { return FOnActivate; }
    void SetOnActivate(const TNotifyEvent& Value) { FOnActivate = Value; }
    const TNotifyEvent& GetOnDeactivate() const { return FOnDeactivate; }
    void SetOnDeactivate(const TNotifyEvent& Value) { FOnDeactivate = Value; }
    // OnDestroy fires when the form is freed, before its components go. From this base's destructor the
    // form's own class is gone (its destructor has run), so a form whose handler uses the class's members
    // calls DoDestroy first in its own destructor: the handler then runs once, while they still exist.
    const TNotifyEvent& GetOnDestroy() const { return FOnDestroy; }
    void SetOnDestroy(const TNotifyEvent& Value) { FOnDestroy = Value; }
    // Fires OnDestroy, once in the form's life (an exception goes to the application's handler).
    void DoDestroy();
    bool CloseQuery();
    // Frees the form once the messages in the queue before this call are handled.
    void Release();

    void GetChildren(const Classes::TGetChildProc& Proc, TComponent* Root) override;
    void WndProc(Messages::TMessage& Message) override;

protected:
    void CreateParams(Controls::TCreateParams& Params) override;
    void CreateWnd() override;
    void CreateWindowHandle(const Controls::TCreateParams& Params) override;
    void DestroyWindowHandle() override;
    void Loaded() override;
    void Notification(TComponent* AComponent, Classes::TOperation Operation) override;
    virtual void DoCreate();
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& Action);
    virtual void Activate();
    virtual void Deactivate();
    // The styles the border style, border icons and form style give a top-level window.
    void GetFrameStyles(DWORD& Style, DWORD& ExStyle) const;

private:
    // The MDI client window of a frame, made with the frame's window.
    void CreateClientWindow();
    [[noreturn]] void FieldNotFound(std::string_view Name, const char* ClassName) const;
    void IconChanged(TObject* Sender);
    void ApplyPosition();
    // The end of a modal run once ModalResult is set: false when OnCloseQuery or OnClose keep the form.
    bool CloseModal(TCloseAction& Action);
    // WM_ACTIVATE: the focus into the form (see GetActiveControl), OnActivate / OnDeactivate.
    void WMActivate(Messages::TMessage& Message);
    // The control of this form whose window (or a window inside it) has the focus, or nullptr.
    Controls::TWinControl* FocusedInForm() const;

    TFormBorderStyle FBorderStyle = bsSizeable;
    TBorderIcons FBorderIcons{biSystemMenu, biMinimize, biMaximize};
    TFormStyle FFormStyle = fsNormal;
    TPosition FPosition = poDesigned;
    std::unique_ptr<Graphics::TIcon> FIcon;
    int FPixelsPerInch;
    int FTextHeight = 0;
    bool FOldCreateOrder = false;
    int FClientWidth = 0, FClientHeight = 0; // read from the stream, applied in Loaded
    bool FInitialized = false;
    TFormState FFormState;
    Menus::TMainMenu* FMenu = nullptr;
    HWND FClientHandle = nullptr;
    TNotifyEvent FOnCreate, FOnShow, FOnHide, FOnActivate, FOnDeactivate, FOnDestroy;
    TModalResult FModalResult = mrNone;
    Controls::TWinControl* FActiveControl = nullptr;
    bool FOwnedPopupActive = false; // a window the form owns has the activation
    TCloseEvent FOnClose;
    TCloseQueryEvent FOnCloseQuery;
};

// The form class programs derive from; its table publishes the form's properties.
class TForm : public TCustomForm {
    DECLARE_CLASS(TForm, TCustomForm)
public:
    using TCustomForm::TCustomForm;
};

class TApplication : public TComponent {
    DECLARE_CLASS(TApplication, TComponent)
public:
    explicit TApplication(TComponent* AOwner);
    ~TApplication() override;

    // Makes the application's window ready (programs call it first, as the framework's do).
    void Initialize();
    // The hidden application window: the owner of the forms' windows; its text is the title.
    HWND GetHandle();
    bool HandleAllocated() const { return FHandle != nullptr; }
    // The title: message boxes' caption. Without one set, the program's file name without extension.
    String GetTitle() const;
    void SetTitle(const String& Value);

    // Creates a form of class T from its resource, owned by the application; Reference is set before the
    // resource is read (OnCreate may use it). The first form created is the main form.
    template <class T> void CreateForm(T*& Reference) {
        std::unique_ptr<T> form(new T(this));
        Reference = form.get();
        try {
            form->InitForm();
        } catch (...) {
            Reference = nullptr;
            throw;
        }
        FormCreated(form.release());
    }
    TCustomForm* GetMainForm() const { return FMainForm; }
    bool GetShowMainForm() const { return FShowMainForm; }
    void SetShowMainForm(bool Value) { FShowMainForm = Value; }

    // Shows the main form and handles messages until Terminate (closing the main form calls it). Without a
    // main form it returns at once. It may run again after it returned.
    void Run();
    // Handles every message waiting in the queue, then returns.
    void ProcessMessages();
    // Handles one message, or waits for one when there is none.
    void HandleMessage();
    // Ends Run: posts WM_QUIT; Terminated is true once the loop has read it.
    void Terminate();
    bool GetTerminated() const { return FTerminated; }

    // Inside a catch block: shows the exception being handled (OnException, when assigned, instead). EAbort
    // is silent; an exception that is not an Exception shows its what() text. Never throws.
    void HandleException(TObject* Sender);
    // The message in a box titled with Title, error icon, OK: "." appended when the message is not empty and
    // its last byte (UTF-8) sorts after "." ("abc" -> "abc.", "abc!" and "abc." unchanged, Cyrillic text gets
    // one: its last byte is above 0x7F, as the letter's code in 1251 is).
    void ShowException(SysUtils::Exception* E);
    // MessageBoxW owned by the active window of this thread (or the application window).
    int MessageBox(const String& Text, const String& Caption, UINT Flags = MB_OK);

    const TExceptionEvent& GetOnException() const { return FOnException; }
    void SetOnException(const TExceptionEvent& Value) { FOnException = Value; }

    // The hint of what the mouse or the menu selection is on; OnHint after each change.
    const String& GetHint() const { return FHint; }
    void SetHint(const String& Value);
    const TNotifyEvent& GetOnHint() const { return FOnHint; }
    void SetOnHint(const TNotifyEvent& Value) { FOnHint = Value; }
    // Help: OnHelp is asked first (it may answer and clear CallHelp); then, with a HelpFile, the system's
    // help viewer is called (WinHelp). HelpContext is HelpCommand(HELP_CONTEXT, Context).
    const String& GetHelpFile() const { return FHelpFile; }
    void SetHelpFile(const String& Value) { FHelpFile = Value; }
    bool HelpCommand(UINT Command, int Data);
    bool HelpContext(int Context) { return HelpCommand(HELP_CONTEXT, Context); }
    const THelpEvent& GetOnHelp() const { return FOnHelp; }
    void SetOnHelp(const THelpEvent& Value) { FOnHelp = Value; }

protected:
    void Notification(TComponent* AComponent, Classes::TOperation Operation) override;

private:
    friend class TCustomForm; // a modal run reads and clears the end of the application's loop
    void FormCreated(TCustomForm* Form);
    bool ProcessMessage();
    void WndProc(Messages::TMessage& Message);

    HWND FHandle = nullptr;
    WNDPROC FObjectInstance = nullptr;
    String FTitle;
    TCustomForm* FMainForm = nullptr;
    bool FShowMainForm = true;
    bool FTerminated = false;
    bool FRunning = false;
    TExceptionEvent FOnException;
    String FHint, FHelpFile;
    TNotifyEvent FOnHint;
    THelpEvent FOnHelp;
};

// The application object: made when the unit initialises, freed (with the forms it owns) when it finalises.
extern TApplication* Application;

// The screen: the cursor table, the active form and the forms that exist.
class TScreen : public TComponent {
    DECLARE_CLASS(TScreen, TComponent)
public:
    explicit TScreen(TComponent* AOwner);
    // The cursor of Index: an application's own (SetCursors), a standard one (crArrow, crIBeam...), or the
    // default arrow for an index that holds none.
    HCURSOR GetCursors(int Index) const;
    // The table keeps the handle; cursors loaded from resources are shared, so none is ever destroyed.
    void SetCursors(int Index, HCURSOR Value);
    // The form whose window is the thread's active window, or nullptr.
    TCustomForm* GetActiveForm() const;
    int GetFormCount() const;
    TCustomForm* GetForm(int Index) const;
    int GetWidth() const { return GetSystemMetrics(SM_CXSCREEN); }
    int GetHeight() const { return GetSystemMetrics(SM_CYSCREEN); }

private:
    std::map<int, HCURSOR> FCursors;
};

extern TScreen* Screen;

// The "." rule of ShowException, on its own: Message with "." appended where the rule says so.
String ExceptionMessageText(const String& Message);

// ---- Task windows: what a modal run of a system dialog turns off -----------------------------------------
//
//   Forms::TTaskWindowList disabled = Forms::DisableTaskWindows(nullptr);
//   BOOL ok = PageSetupDlgW(&psd);              // the user cannot reach the program's other windows
//   Forms::EnableTaskWindows(disabled);
//
// The windows DisableTaskWindows disabled. EnableTaskWindows enables them again; so does the destructor when
// nobody did, so that the windows come back also when the modal run ends with an exception.
class TTaskWindowList {
public:
    TTaskWindowList() = default;
    TTaskWindowList(TTaskWindowList&& Other) noexcept : FWindows(std::move(Other.FWindows)) {
        Other.FWindows.clear();
    }
    TTaskWindowList& operator=(TTaskWindowList&&) = delete;
    ~TTaskWindowList();
    const std::vector<HWND>& Windows() const { return FWindows; }

private:
    friend TTaskWindowList DisableTaskWindows(HWND ActiveWindow);
    friend void EnableTaskWindows(TTaskWindowList& WindowList);
    std::vector<HWND> FWindows;
};

// Disables every visible and enabled top-level window of this thread except ActiveWindow (none: pass
// nullptr) and returns them. Windows that were disabled already are not in the list and stay disabled.
TTaskWindowList DisableTaskWindows(HWND ActiveWindow);
// Enables the windows of the list that still exist and empties it; a second call does nothing.
void EnableTaskWindows(TTaskWindowList& WindowList);

// A modal run of a system dialog, as a scope: while it lives the thread's other windows are disabled; at its
// end (also by an exception) they are enabled and the window that was active is activated again.
//
//   { Forms::TTaskModal modal; ok = ChooseColorW(&cc); }
class TTaskModal {
public:
    TTaskModal() : FActive(GetActiveWindow()), FDisabled(DisableTaskWindows(nullptr)) {}
    TTaskModal(const TTaskModal&) = delete;
    TTaskModal& operator=(const TTaskModal&) = delete;
    ~TTaskModal() {
        EnableTaskWindows(FDisabled);
        if (FActive && IsWindow(FActive)) SetActiveWindow(FActive);
    }

private:
    HWND FActive;
    TTaskWindowList FDisabled;
};

} // namespace Forms

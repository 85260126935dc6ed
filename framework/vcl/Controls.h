// Controls: visual components and their windows.
//
// Declares: TControl (position, size, parent, visibility, caption, font and colour, painting requests,
// Perform and the message dispatch WndProc -> DefaultHandler), TWinControl (a control with a window of its
// own: the HWND made on demand through CreateParams/CreateWnd, destroyed with DestroyWnd; its child
// controls, tab order and painting of graphic children), TGraphicControl (a control without a window,
// painted by its parent's WM_PAINT on its Canvas), TCustomControl (a windowed control that paints itself),
// TControlCanvas, TCreateParams, TAlignment, the cursor identifiers, the input and drag-and-drop events
// (TShiftState, TMouseButton, TMouseEvent, TMouseMoveEvent, TKeyEvent, TKeyPressEvent, TDragState,
// TDragObject, TDragDropEvent, TDragOverEvent, TEndDragEvent, TStartDragEvent), the keyboard messages between
// controls (CM_DIALOGKEY, CM_DIALOGCHAR, CM_WANTSPECIALKEY), and the window-procedure bridge
// MakeObjectInstance / FreeObjectInstance, AllocateHWnd / DeallocateHWnd.
//
//   auto* label = new StdCtrls::TLabel(form);          // owned by the form (it frees the label)
//   label->SetParent(form);                             // shown inside the form; the reader calls this
//   label->SetBounds(20, 20, 100, 13);                  // through SetParentComponent
//   HWND h = form->GetHandle();                         // the window exists from the first request
//   form->Perform(WM_CLOSE, 0, 0);                      // a message straight to WindowProc
//
// Windows and messages. A TWinControl's window class is registered under the control's class name with a
// start-up procedure that, on the window's first message, records the HWND and replaces itself with the
// control's object instance (MakeObjectInstance of MainWndProc). MainWndProc calls WindowProc (WndProc unless
// someone hooked it) inside a try block: an exception that leaves a message handler goes to
// Application->HandleException and never crosses a system frame. Whatever WndProc does not handle reaches
// DefaultHandler: the previous window procedure (DefWindowProc, or the common control's own procedure for a
// control made with CreateSubClass). At WM_NCDESTROY the control forgets its HWND.
//
// Ownership. The owner frees components; a windowed control also frees its child controls when it dies
// (the framework's rule), after destroying its window. A control keeps no pointer to a freed parent: the
// parent takes it out of its list first.
//
// MakeObjectInstance: we chose thunks, not GWLP_USERDATA. Each instance is a small block of executable memory
// that loads the instance pointer into the first argument register in place of the HWND and jumps to a
// common procedure, which calls the object's TWndMethod with a TMessage. A thunk needs no storage on the
// window, so two objects can hook the same window one above the other (a menu component hooks a form that
// is already the form's own object instance), and windows of other classes, whose USERDATA belongs to
// their owners, can be hooked as well. The blocks are never returned to the system; freed instances are
// reused.
#pragma once

#include "framework/core/ClassesLists.h"
#include "framework/vcl/Graphics.h"
#include "framework/vcl/Messages.h"

#include <memory>
#include <vector>

namespace Controls {

using Classes::TComponent;
using Graphics::TColor;
using Graphics::TRect;
using Messages::TMessage;
using Messages::TWndMethod;
using System::TObject;
using SysUtils::String;

// ---- The window-procedure bridge
// ---------------------------------------------------------------------------

// A real window procedure that calls Method with each message (Result goes back to the system). Exceptions
// are caught before they reach the system: handed to Application->HandleException.
WNDPROC MakeObjectInstance(const TWndMethod& Method);
void FreeObjectInstance(WNDPROC ObjectInstance);
// A hidden window (message-only) whose messages go to Method; DeallocateHWnd destroys it and frees the
// instance. Method must call DefWindowProcW for the messages it does not handle.
HWND AllocateHWnd(const TWndMethod& Method);
void DeallocateHWnd(HWND Wnd);

// The module whose window classes the framework registers.
HINSTANCE FrameworkInstance();
// Registers (once) a window class of that module whose procedure is DefWindowProcW: windows the framework
// subclasses with an object instance right after creating them. What names it in the error.
void RegisterPlainWindowClass(const wchar_t* ClassName, HCURSOR Cursor, const char* What);

// ---- Cursors ----------------------------------------------------------------------------------------------

// An index into Screen's cursor table: the standard cursors are negative, an application's own positive.
using TCursor = int16_t;
inline constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4,
                         crSizeNESW = -6, crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10,
                         crHourGlass = -11, crDrag = -12, crNoDrop = -13, crHSplit = -14, crVSplit = -15,
                         crMultiDrag = -16, crSQLWait = -17, crNo = -18, crAppStart = -19, crHelp = -20,
                         crHandPoint = -21, crSizeAll = -22;

// ---- Controls ---------------------------------------------------------------------------------------------

PUBLISHED_ENUM(TAlignment, uint8_t, taLeftJustify, taRightJustify, taCenter)
// Events. A control reports OnClick when the left button goes down and up again over it (controls whose
// window reports its clicks itself, a push button, leave csClickEvents out of their style), OnDblClick,
// OnMouseDown / OnMouseMove / OnMouseUp (the virtual MouseDown, MouseMove and MouseUp fire them; on a left
// release Click runs first, then MouseUp), OnKeyDown, OnKeyPress, OnKeyUp, and OnEnter / OnExit when the
// focus comes into it or one of its children from outside and when it leaves for outside (a form remembers
// the control that had the focus, so switching to another window and back reports nothing). Dragging:
// BeginDrag captures the mouse; while the mouse moves, the control under it is asked (DragOver: OnDragOver,
// with dsDragEnter, dsDragMove, dsDragLeave) whether it accepts what is dragged; releasing the button drops
// it on a control that accepted (DragDrop: OnDragDrop) and ends the drag (OnEndDrag, with the target or
// nullptr); Esc or a lost capture cancels it. ShowHint and Ctl3D are taken from the parent while
// ParentShowHint (ParentCtl3D) is true, as Font is.
//
// The mouse over graphic controls. A graphic control has no window: its parent's window gets the mouse
// messages and hands each to the topmost visible, enabled graphic child under the point (in the child's
// coordinates). A button pressed over one (with csCaptureMouse) captures the mouse for it: every mouse
// message goes to that child until the last button is released.
//
// Keys. WM_KEYDOWN and WM_SYSKEYDOWN reach KeyDown (OnKeyDown; a handler that sets Key to 0 keeps the key
// from the window), WM_CHAR KeyPress (OnKeyPress, likewise), WM_KEYUP KeyUp. Before that, Tab, Enter and Esc
// are dialog keys: unless the control claims the key (CM_WANTSPECIALKEY), the control's form (the control at
// the top of its parent chain) gets CM_DIALOGKEY, which it hands to its controls until one takes it (a
// default or cancel button clicks; the form moves the focus on Tab); a key taken there goes no further, and
// neither does the character it makes. Characters that the focused control does not take (WM_GETDLGCODE
// without DLGC_WANTCHARS), and every character typed with Alt (WM_SYSCHAR), go to the form as CM_DIALOGCHAR:
// a label or a button whose accelerator it is answers.
//
// Messages a descendant reacts to. A descendant overrides WndProc, handles what it wants and calls
// inherited::WndProc for the rest (or first, to keep the framework's handling): CM_ENABLEDCHANGED,
// CM_COLORCHANGED, WM_SIZE, WM_SETFOCUS, WM_KILLFOCUS, CM_WANTSPECIALKEY, CM_DIALOGKEY, CM_DIALOGCHAR, and
// WM_SYSCOLORCHANGE, which a control passes on to all its child controls (the system sends it to top-level
// windows only).

// Controls keep the places they are given: only alNone is supported (Align = alClient in a stream is an
// error).
PUBLISHED_ENUM(TAlign, uint8_t, alNone, alTop, alBottom, alLeft, alRight, alClient)

enum TControlStateItem : uint8_t {
    csLButtonDown,
    csClicked,
    csPalette,
    csReadingState,
    csFocusing,
    csCustomPaint
};
using TControlState = System::TSet<TControlStateItem>;

enum TControlStyleItem : uint8_t {
    csAcceptsControls,
    csCaptureMouse,
    csClickEvents,
    csFramed,
    csSetCaption,
    csOpaque,
    csDoubleClicks,
    csFixedWidth,
    csFixedHeight,
    csReplicatable,
};
using TControlStyle = System::TSet<TControlStyleItem>;

// The cursor identifiers of streams (Cursor = crHandPoint).
namespace Detail {
inline constexpr TypInfo::TIdentMapEntry CursorIdents[] = {
    {crDefault, "crDefault"},     {crNone, "crNone"},           {crArrow, "crArrow"},
    {crCross, "crCross"},         {crIBeam, "crIBeam"},         {crSizeNESW, "crSizeNESW"},
    {crSizeNS, "crSizeNS"},       {crSizeNWSE, "crSizeNWSE"},   {crSizeWE, "crSizeWE"},
    {crUpArrow, "crUpArrow"},     {crHourGlass, "crHourGlass"}, {crDrag, "crDrag"},
    {crNoDrop, "crNoDrop"},       {crHSplit, "crHSplit"},       {crVSplit, "crVSplit"},
    {crMultiDrag, "crMultiDrag"}, {crSQLWait, "crSQLWait"},     {crNo, "crNo"},
    {crAppStart, "crAppStart"},   {crHelp, "crHelp"},           {crHandPoint, "crHandPoint"},
    {crSizeAll, "crSizeAll"}};
} // namespace Detail
inline constexpr TypInfo::TTypeInfo TCursor_TypeInfo =
    TypInfo::IntegerType("TCursor", Detail::CursorIdents, std::size(Detail::CursorIdents));

// The position of a windowed control in its parent's tab order; -1 without a parent.
using TTabOrder = int;

// ---- Input and drag-and-drop events -----------------------------------------------------------------------

PUBLISHED_ENUM(TShiftStateItem, uint8_t, ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble)
using TShiftState = System::TSet<TShiftStateItem>;
// The keys held down with a key message (KeyData: its LParam).
TShiftState KeyDataToShiftState(LPARAM KeyData);
// The keys and buttons held down with a mouse message (Keys: its WParam, MK_*); Alt from the keyboard state.
TShiftState MouseKeysToShiftState(WPARAM Keys);

PUBLISHED_ENUM(TMouseButton, uint8_t, mbLeft, mbRight, mbMiddle)

// Keyboard messages between controls (see the top).
// To a control's form: WParam the key, LParam the key data; non-zero Result: taken.
inline constexpr UINT CM_DIALOGKEY = Messages::CM_BASE + 5;
// To a control's form: WParam the character (UTF-16), LParam the key data; non-zero Result: taken.
inline constexpr UINT CM_DIALOGCHAR = Messages::CM_BASE + 6;
// To the focused control: WParam the key (Tab, Enter, Esc or an arrow); non-zero Result: the control takes it
// itself. TWinControl answers from WM_GETDLGCODE (DLGC_WANTALLKEYS, DLGC_WANTTAB, DLGC_WANTARROWS).
inline constexpr UINT CM_WANTSPECIALKEY = Messages::CM_BASE + 39;
// Whether Key is the accelerator of Caption: the letter after a single "&", compared ignoring case.
bool IsAccel(wchar_t Key, const SysUtils::String& Caption);

PUBLISHED_ENUM(TDragState, uint8_t, dsDragEnter, dsDragLeave, dsDragMove)

class TControl;

// What is being dragged: by default the control the drag started from; OnStartDrag may give another one
// (the drag then hands that object to the targets as Source, and frees nothing of it).
class TDragObject : public TObject {
public:
    ~TDragObject() override = default;
};
class TDragControlObject : public TDragObject {
public:
    explicit TDragControlObject(TControl* AControl) : FControl(AControl) {}
    TControl* GetControl() const { return FControl; }

private:
    TControl* FControl;
};

using TKeyEvent = System::TEvent<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
using TKeyPressEvent = System::TEvent<void(TObject* Sender, wchar_t& Key)>;
using TMouseEvent =
    System::TEvent<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = System::TEvent<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TDragDropEvent = System::TEvent<void(TObject* Sender, TObject* Source, int X, int Y)>;
using TDragOverEvent =
    System::TEvent<void(TObject* Sender, TObject* Source, int X, int Y, TDragState State, bool& Accept)>;
using TEndDragEvent = System::TEvent<void(TObject* Sender, TObject* Target, int X, int Y)>;
using TStartDragEvent = System::TEvent<void(TObject* Sender, TDragObject*& DragObject)>;

// What CreateWnd passes to CreateWindowExW, prepared by CreateParams.
struct TCreateParams {
    String Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = nullptr;
    void* Param = nullptr;
    WNDCLASSW WindowClass{}; // lpfnWndProc: the procedure that messages not handled go to
    String WinClassName;
};

class TWinControl;
class TDragManager;

// A string list that is a property: streamed as Name.Strings, a list of strings (an ASCII string as a string,
// any other as a wide string), copied with Assign. Combo box and list box items and a colour dialog's custom
// colours are such lists.
class TPersistentStrings : public Classes::TPersistent, public Classes::TStringList {
    DECLARE_CLASS(TPersistentStrings, Classes::TPersistent)
public:
    TPersistentStrings() = default;
    // From another string list (a TPersistentStrings): its strings and objects.
    void Assign(Classes::TPersistent* Source) override;
    void Assign(const Classes::TStrings& Source);

protected:
    void DefineProperties(Classes::TFiler& Filer) override;
};

class TControl : public TComponent {
    DECLARE_CLASS(TControl, TComponent)
public:
    explicit TControl(TComponent* AOwner);
    ~TControl() override;

    // ---- Position and size, in the parent's client coordinates.
    int GetLeft() const { return FLeft; }
    void SetLeft(int Value) { SetBounds(Value, FTop, FWidth, FHeight); }
    int GetTop() const { return FTop; }
    void SetTop(int Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
    int GetWidth() const { return FWidth; }
    void SetWidth(int Value) { SetBounds(FLeft, FTop, Value, FHeight); }
    int GetHeight() const { return FHeight; }
    void SetHeight(int Value) { SetBounds(FLeft, FTop, FWidth, Value); }
    virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    TRect GetBoundsRect() const { return {FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }
    // The client area: the whole control, or a window's client rectangle.
    virtual TRect GetClientRect();
    int GetClientWidth() { return GetClientRect().right; }
    void SetClientWidth(int Value);
    int GetClientHeight() { return GetClientRect().bottom; }
    void SetClientHeight(int Value);

    // ---- Parent: the windowed control that shows this one.
    TWinControl* GetParent() const { return FParent; }
    virtual void SetParent(TWinControl* AParent);
    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* Value) override;

    // ---- State shown to the user.
    bool GetVisible() const { return FVisible; }
    virtual void SetVisible(bool Value);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool GetEnabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    // Caption and Text are one string (a label's caption, a window's text).
    String GetText() const { return FText; }
    void SetText(const String& Value);
    String GetCaption() const { return FText; }
    void SetCaption(const String& Value) { SetText(Value); }
    Graphics::TFont* GetFont() const { return FFont.get(); }
    void SetFont(Graphics::TFont* Value) { FFont->Assign(Value); }
    bool GetParentFont() const { return FParentFont; }
    void SetParentFont(bool Value);
    TColor GetColor() const { return FColor; }
    void SetColor(TColor Value);
    TAlign GetAlign() const { return alNone; }
    // EInvalidOperation for anything but alNone.
    void SetAlign(TAlign Value);
    bool GetParentColor() const { return FParentColor; }
    void SetParentColor(bool Value);
    TControlStyle GetControlStyle() const { return FControlStyle; }
    void SetControlStyle(TControlStyle Value) { FControlStyle = Value; }
    TControlState GetControlState() const { return FControlState; }
    // The cursor over the control (an index of Screen's cursor table); crDefault: the parent's.
    TCursor GetCursor() const { return FCursor; }
    void SetCursor(TCursor Value);
    const String& GetHint() const { return FHint; }
    void SetHint(const String& Value) { FHint = Value; }
    bool GetShowHint() const { return FShowHint; }
    void SetShowHint(bool Value);
    bool GetParentShowHint() const { return FParentShowHint; }
    void SetParentShowHint(bool Value);

    // ---- Events (see the top).
    const Classes::TNotifyEvent& GetOnClick() const { return FOnClick; }
    void SetOnClick(const Classes::TNotifyEvent& Value) { FOnClick = Value; }
    const Classes::TNotifyEvent& GetOnDblClick() const { return FOnDblClick; }
    void SetOnDblClick(const Classes::TNotifyEvent& Value) { FOnDblClick = Value; }
    const TDragDropEvent& GetOnDragDrop() const { return FOnDragDrop; }
    void SetOnDragDrop(const TDragDropEvent& Value) { FOnDragDrop = Value; }
    const TDragOverEvent& GetOnDragOver() const { return FOnDragOver; }
    void SetOnDragOver(const TDragOverEvent& Value) { FOnDragOver = Value; }
    const TEndDragEvent& GetOnEndDrag() const { return FOnEndDrag; }
    void SetOnEndDrag(const TEndDragEvent& Value) { FOnEndDrag = Value; }
    const TStartDragEvent& GetOnStartDrag() const { return FOnStartDrag; }
    void SetOnStartDrag(const TStartDragEvent& Value) { FOnStartDrag = Value; }
    const TMouseEvent& GetOnMouseDown() const { return FOnMouseDown; }
    void SetOnMouseDown(const TMouseEvent& Value) { FOnMouseDown = Value; }
    const TMouseMoveEvent& GetOnMouseMove() const { return FOnMouseMove; }
    void SetOnMouseMove(const TMouseMoveEvent& Value) { FOnMouseMove = Value; }
    const TMouseEvent& GetOnMouseUp() const { return FOnMouseUp; }
    void SetOnMouseUp(const TMouseEvent& Value) { FOnMouseUp = Value; }

    // ---- Dragging. Immediate: at once; otherwise when the mouse has moved 5 pixels with the button down.
    // The control must be shown on a window (EInvalidOperation otherwise); another drag is ended first.
    void BeginDrag(bool Immediate);
    // Ends the drag: Drop drops on the control under the mouse if it accepted, else the drag is cancelled.
    void EndDrag(bool Drop);
    bool Dragging() const;
    // Source dropped on the control at (X, Y), in the control's client coordinates: OnDragDrop.
    virtual void DragDrop(TObject* Source, int X, int Y);

    // ---- Painting requests.
    virtual void Invalidate();
    virtual void Update();
    void Repaint();
    void Refresh() { Repaint(); }

    // ---- Messages.
    // Sends a message straight to WindowProc (no window needed) and returns its Result.
    LRESULT Perform(UINT Msg, WPARAM WParam, LPARAM LParam);
    // The procedure messages go to: WndProc, unless someone hooked the control.
    const TWndMethod& GetWindowProc() const { return FWindowProc; }
    void SetWindowProc(const TWndMethod& Value) { FWindowProc = Value; }
    virtual void WndProc(TMessage& Message);
    // Messages nobody handled: a window's previous procedure; 0 for a control without one.
    virtual void DefaultHandler(TMessage& Message);

    // The stored predicates of the published Font, Color and ShowHint.
    bool IsFontStored() const { return !FParentFont; }
    bool IsColorStored() const { return !FParentColor; }
    bool IsShowHintStored() const { return !FParentShowHint; }

protected:
    void Loaded() override;
    virtual void Click();
    virtual void DblClick();
    // The mouse in the control's client coordinates: OnMouseDown, OnMouseMove, OnMouseUp.
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    // Whether the control accepts Source at (X, Y): false, unless OnDragOver says otherwise.
    virtual void DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept);
    virtual void DoEndDrag(TObject* Target, int X, int Y);
    virtual void DoStartDrag(TDragObject*& DragObject);
    // The mouse messages (a graphic control gets them from its parent, in its own coordinates).
    void WMLButtonDown(TMessage& Message);
    void WMLButtonUp(TMessage& Message);
    void WMLButtonDblClk(TMessage& Message);
    void WMButtonDown(TMessage& Message, TMouseButton Button);
    void WMButtonUp(TMessage& Message, TMouseButton Button);
    void WMMouseMove(TMessage& Message);
    // The mouse and key messages while the control is the source of a drag; true when one was taken.
    bool DragMessage(TMessage& Message);
    void CMParentShowHintChanged(TMessage& Message);
    // Invalidates the control's rectangle in its parent (erasing the background unless opaque).
    void InvalidateControl(bool IsVisible, bool IsOpaque);

    // Message handlers.
    void CMParentFontChanged(TMessage& Message);
    void CMParentColorChanged(TMessage& Message);

    TControlState FControlState;
    TControlStyle FControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};

    friend class TWinControl;
    friend class TDragManager;
    friend struct TControl_Published;

private:
    void FontChanged(TObject* Sender);
    // A control being freed stops being the source or the target of the drag under way.
    static void ForgetDrag(TControl* Control);

    TWinControl* FParent = nullptr;
    int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
    bool FVisible = true;
    bool FEnabled = true;
    bool FParentFont = true;
    bool FParentColor = true;
    bool FShowHint = false;
    bool FParentShowHint = true;
    TCursor FCursor = crDefault;
    TColor FColor = Graphics::clWindow;
    String FText;
    String FHint;
    std::unique_ptr<Graphics::TFont> FFont;
    TWndMethod FWindowProc;
    Classes::TNotifyEvent FOnClick;
    Classes::TNotifyEvent FOnDblClick;
    TDragDropEvent FOnDragDrop;
    TDragOverEvent FOnDragOver;
    TEndDragEvent FOnEndDrag;
    TStartDragEvent FOnStartDrag;
    TMouseEvent FOnMouseDown;
    TMouseMoveEvent FOnMouseMove;
    TMouseEvent FOnMouseUp;
};

class TWinControl : public TControl {
    DECLARE_CLASS(TWinControl, TControl)
public:
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;

    // ---- The window: made on the first request (the parent's first), EOutOfResources when it cannot be.
    HWND GetHandle();
    bool HandleAllocated() const { return FHandle != nullptr; }
    void HandleNeeded() { GetHandle(); }
    // The control whose window h is (a window of this framework), or nullptr.
    static TWinControl* FindControl(HWND h);
    // Visible on the screen: a window exists and is visible.
    bool GetShowing() const;

    // ---- Child controls, in z-order (creation order); the windowed ones also in tab order.
    int GetControlCount() const { return int(FControls.size()); }
    TControl* GetControl(int Index) const; // EListError "List index out of bounds (%d)"
    void InsertControl(TControl* AControl);
    void RemoveControl(TControl* AControl);
    // The position among the parent's windowed controls; -1 without a parent.
    int GetTabOrder() const;
    void SetTabOrder(int Value);
    bool GetTabStop() const { return FTabStop; }
    void SetTabStop(bool Value);
    Graphics::TBrush* GetBrush() const { return FBrush.get(); }
    // The help topic of the control; 0: its parent's. F1 (WM_HELP) asks the application for the topic.
    int32_t GetHelpContext() const { return FHelpContext; }
    void SetHelpContext(int32_t Value) { FHelpContext = Value; }
    bool GetCtl3D() const { return FCtl3D; }
    void SetCtl3D(bool Value);
    bool GetParentCtl3D() const { return FParentCtl3D; }
    void SetParentCtl3D(bool Value);
    bool IsCtl3DStored() const { return !FParentCtl3D; }
    // The focus: set to the control's window (which is made if needed). Focused: the window has it.
    // CanFocus: the control and all its parents are visible and enabled.
    virtual void SetFocus();
    bool Focused() const;
    bool CanFocus() const;
    // The control at the top of the parent chain (a form), this control itself without a parent.
    TWinControl* GetRootControl();
    // Of a control without parent: the control inside it that had the focus last, or nullptr.
    TWinControl* GetFocusedControl() const { return FFocusedControl; }
    // The next windowed control after CurControl (nullptr: from the start) in tab order, going into child
    // controls (depth first), wrapping around once; with CheckTabStop only controls with TabStop; with
    // CheckParent only direct children. Only controls that can take the focus count; nullptr when none does.
    TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                 bool CheckParent);
    // Moves the focus to the next (previous) control after CurControl in tab order; false when there is none.
    bool SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);

    const TKeyEvent& GetOnKeyUp() const { return FOnKeyUp; }
    void SetOnKeyUp(const TKeyEvent& Value) { FOnKeyUp = Value; }
    const TKeyEvent& GetOnKeyDown() const { return FOnKeyDown; }
    void SetOnKeyDown(const TKeyEvent& Value) { FOnKeyDown = Value; }
    const TKeyPressEvent& GetOnKeyPress() const { return FOnKeyPress; }
    void SetOnKeyPress(const TKeyPressEvent& Value) { FOnKeyPress = Value; }
    const Classes::TNotifyEvent& GetOnEnter() const { return FOnEnter; }
    void SetOnEnter(const Classes::TNotifyEvent& Value) { FOnEnter = Value; }
    const Classes::TNotifyEvent& GetOnExit() const { return FOnExit; }
    void SetOnExit(const Classes::TNotifyEvent& Value) { FOnExit = Value; }

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    TRect GetClientRect() override;
    void Invalidate() override;
    void Update() override;
    // Paints the control and its children into DC with the control's top-left corner at (X, Y): the
    // background, the control's own painting, its graphic children, then its windowed children.
    void PaintTo(HDC DC, int X, int Y);

    void GetChildren(const Classes::TGetChildProc& Proc, TComponent* Root) override;
    void WndProc(TMessage& Message) override;
    void DefaultHandler(TMessage& Message) override;
    // The target of the control's object instance: WindowProc inside a try block (see the top).
    void MainWndProc(TMessage& Message);

protected:
    virtual void CreateParams(TCreateParams& Params);
    // Makes the control a subclass of a system window class (a common control): its class's attributes, and
    // its window procedure as the one unhandled messages go to.
    void CreateSubClass(TCreateParams& Params, const wchar_t* ClassName);
    virtual void CreateWnd();
    virtual void CreateWindowHandle(const TCreateParams& Params);
    // Saves what the window holds before it goes (a progress bar's position), then destroys it.
    virtual void DestroyWnd();
    virtual void DestroyWindowHandle();
    void CreateHandle();
    void DestroyHandle();
    void RecreateWnd();
    // The control's own painting on DC: nothing for a plain window, the system's for a common control.
    virtual void PaintWindow(HDC DC);
    void PaintControls(HDC DC);
    void PaintHandler(HDC DC);
    // Sends Msg to every child control.
    void NotifyControls(UINT Msg);
    // Reads the window's position and size back into Left, Top, Width, Height.
    void UpdateBounds();
    bool IsSystemSubclass() const;
    // A common control gets the control's font (for its text: TFont::GetHandleFor).
    void SendFont(bool Redraw);
    // The text the window holds now (what the user typed into an edit), taken into Text without telling the
    // window; TextFromWindow returns whether it changed.
    bool TextFromWindow();
    // Text set to Value without telling the window (the window shows it already).
    void SetTextQuietly(const String& Value) { FText = Value; }

    // Message handlers.
    void WMPaint(TMessage& Message);
    void WMPrintClient(TMessage& Message);
    void WMEraseBkgnd(TMessage& Message);
    void WMNCDestroy(TMessage& Message);
    void WMWindowPosChanged(TMessage& Message);
    void WMReflect(TMessage& Message, HWND Child);
    void CMVisibleChanged(TMessage& Message);
    void CMEnabledChanged(TMessage& Message);
    void CMColorChanged(TMessage& Message);
    void CMFontChanged(TMessage& Message);
    void CMTextChanged(TMessage& Message);
    void CMParentCtl3DChanged(TMessage& Message);
    void WMKeyUp(TMessage& Message);
    // The key messages of the control's window, or of a window inside it (Window: a combo box's edit): true
    // when the message was taken (by the form, a handler's 0, an accelerator) and goes no further; else
    // Message holds what the window is to get.
    bool KeyDownMessage(TMessage& Message, HWND Window);
    bool CharMessage(TMessage& Message, HWND Window, bool TakesChars);
    bool SysCharMessage(TMessage& Message);
    // The focus came to the control's window or a window inside it: OnExit and OnEnter (see the top).
    void FocusArrived();
    // CM_DIALOGKEY and CM_DIALOGCHAR: offered to each child control in turn until one takes it.
    void CMDialogMessage(TMessage& Message);
    void CMWantSpecialKey(TMessage& Message);
    // The mouse messages of the window that belong to a graphic child (see the top); true when handed on.
    bool MouseToGraphicChild(TMessage& Message);
    void WMSetFocus(TMessage& Message);
    void WMSetCursor(TMessage& Message);
    void WMHelp(TMessage& Message);
    // OnKeyDown, OnKeyUp, OnKeyPress; a handler that sets Key to 0 keeps the key from the window's procedure.
    virtual void KeyDown(WORD& Key, TShiftState Shift);
    virtual void KeyUp(WORD& Key, TShiftState Shift);
    virtual void KeyPress(wchar_t& Key);
    virtual void DoEnter();
    virtual void DoExit();

private:
    // The first procedure of every window of a control: attaches the window to the control being created.
    static LRESULT CALLBACK InitWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);

    HWND FHandle = nullptr;
    WNDPROC FObjectInstance = nullptr;
    WNDPROC FDefWndProc = nullptr;
    std::vector<TControl*> FControls;
    std::vector<TWinControl*> FTabList;
    bool FTabStop = false;
    bool FCtl3D = true;
    bool FParentCtl3D = true;
    int32_t FHelpContext = 0;
    std::unique_ptr<Graphics::TBrush> FBrush;
    // A control without parent (a form): the control inside it that had the focus last (OnEnter/OnExit).
    TWinControl* FFocusedControl = nullptr;
    TKeyEvent FOnKeyUp;
    TKeyEvent FOnKeyDown;
    TKeyPressEvent FOnKeyPress;
    Classes::TNotifyEvent FOnEnter;
    Classes::TNotifyEvent FOnExit;
};

// A control's canvas. Inside Paint it draws on the paint DC the parent hands over; used outside painting it
// gets a DC of the control's window (a graphic control: of its parent, moved and clipped to the control),
// released by FreeHandle, FreeDeviceContexts, or the canvas's end.
class TControlCanvas : public Graphics::TCanvas {
    DECLARE_CLASS(TControlCanvas, Graphics::TCanvas)
public:
    explicit TControlCanvas(TControl* Control) : FControl(Control) {}
    ~TControlCanvas() override;
    TControl* GetControl() const { return FControl; }
    void FreeHandle();

protected:
    void CreateHandle() override;

private:
    TControl* FControl;
    HWND FWindow = nullptr;
    HDC FDeviceContext = nullptr;
};

// Releases the DCs that control canvases took outside painting (the application does this when idle).
void FreeDeviceContexts();

class TGraphicControl : public TControl {
    DECLARE_CLASS(TGraphicControl, TControl)
public:
    explicit TGraphicControl(TComponent* AOwner);
    ~TGraphicControl() override;
    Graphics::TCanvas* GetCanvas() const { return FCanvas.get(); }
    void WndProc(TMessage& Message) override;

protected:
    // Paints the control on Canvas, in the control's own coordinates.
    virtual void Paint() {}

private:
    std::unique_ptr<TControlCanvas> FCanvas;
};

class TCustomControl : public TWinControl {
    DECLARE_CLASS(TCustomControl, TWinControl)
public:
    explicit TCustomControl(TComponent* AOwner);
    ~TCustomControl() override;
    Graphics::TCanvas* GetCanvas() const { return FCanvas.get(); }

protected:
    virtual void Paint() {}
    void PaintWindow(HDC DC) override;
    void DestroyWnd() override;

private:
    std::unique_ptr<TControlCanvas> FCanvas;
};

} // namespace Controls

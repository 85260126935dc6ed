// StdCtrls: the check box, the push button and the group box (the system's BUTTON class).
#include "framework/vcl/StdCtrlsControls.h"

#include "framework/vcl/Forms.h"

namespace StdCtrls {

using namespace Messages;
using namespace TypInfo;
using Controls::TControl;
using Controls::TWinControl;

// ==== TCustomCheckBox ======================================================================================

TCustomCheckBox::TCustomCheckBox(Classes::TComponent* AOwner) : TStdWinControl(AOwner) {
    FControlStyle -= Controls::TControlStyle{Controls::csClickEvents, Controls::csDoubleClicks};
    SetBounds(0, 0, 97, 17);
    SetTabStop(true);
}

void TCustomCheckBox::CreateParams(Controls::TCreateParams& Params) {
    inherited::CreateParams(Params);
    CreateSubClass(Params, L"BUTTON");
    // The control decides the next state itself (AllowGrayed).
    Params.Style |= BS_3STATE;
}

void TCustomCheckBox::CreateWnd() {
    inherited::CreateWnd();
    SendMessageW(GetHandle(), BM_SETCHECK, WPARAM(FState), 0);
}

void TCustomCheckBox::SetState(TCheckBoxState Value) {
    if (Value == FState) return;
    FState = Value;
    if (HandleAllocated()) SendMessageW(GetHandle(), BM_SETCHECK, WPARAM(FState), 0);
    if (!GetComponentState().Contains(Classes::csLoading)) Click();
}

void TCustomCheckBox::Toggle() {
    switch (FState) {
    case cbUnchecked:
        SetState(cbChecked);
        break;
    case cbChecked:
        SetState(FAllowGrayed ? cbGrayed : cbUnchecked);
        break;
    case cbGrayed:
        SetState(cbUnchecked);
        break;
    }
}

void TCustomCheckBox::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case CN_COMMAND:
        if (HIWORD(Message.WParam) == BN_CLICKED) Toggle();
        return;
    case Controls::CM_DIALOGCHAR:
        Message.Result = 0;
        if (Controls::IsAccel(wchar_t(Message.WParam), GetCaption()) && CanFocus()) {
            SetFocus();
            Toggle();
            Message.Result = 1;
        }
        return;
    }
    inherited::WndProc(Message);
}

PUBLISHED(TCustomCheckBox, "StdCtrls");
PUBLISHED(
    TCheckBox, "StdCtrls",
    Prop<&TCustomCheckBox::GetAllowGrayed, &TCustomCheckBox::SetAllowGrayed>("AllowGrayed").Default(false),
    Prop<&TControl::GetCaption, &TControl::SetCaption>("Caption"),
    Prop<&TCustomCheckBox::GetChecked, &TCustomCheckBox::SetChecked>("Checked").Default(false),
    Prop<&TControl::GetParentColor, &TControl::SetParentColor>("ParentColor").Default(true),
    Prop<&TCustomCheckBox::GetState, &TCustomCheckBox::SetState>("State").Default(cbUnchecked),
    Prop<&TWinControl::GetTabStop, &TWinControl::SetTabStop>("TabStop").Default(true),
    STDCTRLS_WINCONTROL_PROPS);

// ==== TButton ==============================================================================================

TButton::TButton(Classes::TComponent* AOwner) : TStdWinControl(AOwner) {
    FControlStyle -= Controls::TControlStyle{Controls::csClickEvents, Controls::csDoubleClicks};
    SetBounds(0, 0, 75, 25);
    SetTabStop(true);
}

void TButton::CreateParams(Controls::TCreateParams& Params) {
    inherited::CreateParams(Params);
    CreateSubClass(Params, L"BUTTON");
    Params.Style |= FDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::SetDefault(bool Value) {
    if (Value == FDefault) return;
    FDefault = Value;
    if (HandleAllocated()) UpdateDefaultLook(GetFocus());
}

void TButton::Click() {
    // The modal result first: OnClick may set the form's back to mrNone (a check that failed).
    if (FModalResult != 0)
        if (auto* form = dynamic_cast<Forms::TCustomForm*>(GetRootControl()))
            form->SetModalResult(FModalResult);
    inherited::Click();
}

void TButton::UpdateDefaultLook(HWND Focused) {
    auto* focused = dynamic_cast<TButton*>(FindControl(Focused));
    auto walk = [&](auto& self, TWinControl* parent) -> void {
        for (int i = 0; i < parent->GetControlCount(); ++i) {
            auto* win = dynamic_cast<TWinControl*>(parent->GetControl(i));
            if (win == nullptr) continue;
            if (auto* b = dynamic_cast<TButton*>(win); b && b->HandleAllocated()) {
                bool def = focused ? b == focused : b->FDefault;
                LONG_PTR style = GetWindowLongPtrW(b->GetHandle(), GWL_STYLE);
                bool has = (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
                if (def != has)
                    SendMessageW(b->GetHandle(), BM_SETSTYLE, def ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
            }
            self(self, win);
        }
    };
    walk(walk, GetRootControl());
}

void TButton::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case CN_COMMAND:
        if (HIWORD(Message.WParam) == BN_CLICKED) Click();
        return;
    case WM_SETFOCUS:
        inherited::WndProc(Message);
        if (HandleAllocated()) UpdateDefaultLook(GetHandle());
        return;
    case WM_KILLFOCUS:
        inherited::WndProc(Message);
        if (HandleAllocated()) UpdateDefaultLook(reinterpret_cast<HWND>(Message.WParam));
        return;
    case Controls::CM_DIALOGKEY: {
        // Enter: the focused button, else the default one while no other button has the focus. Esc: the
        // cancel button.
        Message.Result = 0;
        if (!CanFocus()) return;
        if (Message.WParam == VK_RETURN) {
            auto* focused = dynamic_cast<TButton*>(FindControl(GetFocus()));
            if (focused == this || (FDefault && focused == nullptr)) {
                Click();
                Message.Result = 1;
            }
        } else if (Message.WParam == VK_ESCAPE && FCancel) {
            Click();
            Message.Result = 1;
        }
        return;
    }
    case Controls::CM_DIALOGCHAR:
        Message.Result = 0;
        if (Controls::IsAccel(wchar_t(Message.WParam), GetCaption()) && CanFocus()) {
            Click();
            Message.Result = 1;
        }
        return;
    }
    inherited::WndProc(Message);
}

PUBLISHED(TButton, "StdCtrls", Prop<&TButton::GetCancel, &TButton::SetCancel>("Cancel").Default(false),
          Prop<&TControl::GetCaption, &TControl::SetCaption>("Caption"),
          Prop<&TButton::GetDefault, &TButton::SetDefault>("Default").Default(false),
          Prop<&TButton::GetModalResult, &TButton::SetModalResult>("ModalResult").Default(0),
          Prop<&TControl::GetParentColor, &TControl::SetParentColor>("ParentColor").Default(true),
          Prop<&TWinControl::GetTabStop, &TWinControl::SetTabStop>("TabStop").Default(true),
          STDCTRLS_WINCONTROL_PROPS);

// ==== TGroupBox ============================================================================================

TGroupBox::TGroupBox(Classes::TComponent* AOwner) : TStdWinControl(AOwner) {
    FControlStyle.Include(Controls::csAcceptsControls);
    FControlStyle -= Controls::TControlStyle{Controls::csClickEvents, Controls::csDoubleClicks};
    SetBounds(0, 0, 185, 105);
}

void TGroupBox::CreateParams(Controls::TCreateParams& Params) {
    inherited::CreateParams(Params);
    CreateSubClass(Params, L"BUTTON");
    Params.Style |= BS_GROUPBOX | WS_CLIPCHILDREN;
    Params.ExStyle |= WS_EX_CONTROLPARENT;
}

void TGroupBox::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_NCHITTEST:
        // The system's group box lets the mouse through to its parent; ours keeps it (its graphic children).
        Message.Result = HTCLIENT;
        return;
    case Controls::CM_DIALOGCHAR:
        // Its accelerator: the first control inside.
        Message.Result = 0;
        if (Controls::IsAccel(wchar_t(Message.WParam), GetCaption()) && CanFocus())
            if (TWinControl* first = FindNextControl(nullptr, true, true, false)) {
                first->SetFocus();
                Message.Result = 1;
                return;
            }
        break; // the controls inside may answer
    }
    inherited::WndProc(Message);
}

PUBLISHED(TGroupBox, "StdCtrls", Prop<&TControl::GetCaption, &TControl::SetCaption>("Caption"),
          Prop<&TControl::GetParentColor, &TControl::SetParentColor>("ParentColor").Default(true),
          Prop<&TWinControl::GetTabStop, &TWinControl::SetTabStop>("TabStop").Default(false),
          STDCTRLS_WINCONTROL_PROPS);

} // namespace StdCtrls

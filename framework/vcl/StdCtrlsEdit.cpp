// StdCtrls: TStdWinControl and the edit.
#include "framework/vcl/StdCtrlsControls.h"

namespace StdCtrls {

using namespace Messages;
using namespace TypInfo;
using Controls::TControl;
using Controls::TWinControl;
using Detail::W;

// ==== TStdWinControl =======================================================================================

TStdWinControl::TStdWinControl(Classes::TComponent* AOwner) : TWinControl(AOwner) {
    // The system's controls track the mouse themselves.
    FControlStyle.Exclude(Controls::csCaptureMouse);
}

void TStdWinControl::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case CN_CTLCOLORSTATIC:
    case CN_BASE + WM_CTLCOLOREDIT:
    case CN_BASE + WM_CTLCOLORLISTBOX:
    case CN_BASE + WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        // From the parent (reflected), or from a window of the control's own (a combo box's edit and list).
        if (Message.Msg < CN_BASE && FindControl(reinterpret_cast<HWND>(Message.LParam)) != nullptr) break;
        {
            auto dc = reinterpret_cast<HDC>(Message.WParam);
            SetTextColor(dc, Graphics::ColorToRGB(GetFont()->GetColor()));
            SetBkColor(dc, Graphics::ColorToRGB(GetColor()));
            Message.Result = reinterpret_cast<LRESULT>(GetBrush()->GetHandle());
        }
        return;
    }
    inherited::WndProc(Message);
}

PUBLISHED(TStdWinControl, "StdCtrls");

// ==== TCustomEdit ==========================================================================================

TCustomEdit::TCustomEdit(Classes::TComponent* AOwner) : TStdWinControl(AOwner) {
    SetBounds(0, 0, 121, 21);
    SetTabStop(true);
    SetColor(Graphics::clWindow);
}

void TCustomEdit::CreateParams(Controls::TCreateParams& Params) {
    inherited::CreateParams(Params);
    CreateSubClass(Params, L"EDIT");
    Params.Style |= ES_AUTOHSCROLL | ES_LEFT;
    if (FReadOnly) Params.Style |= ES_READONLY;
    Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomEdit::CreateWnd() {
    inherited::CreateWnd();
    SendMessageW(GetHandle(), EM_LIMITTEXT, WPARAM(FMaxLength), 0);
}

void TCustomEdit::SetMaxLength(int Value) {
    FMaxLength = std::max(0, Value);
    if (HandleAllocated()) SendMessageW(GetHandle(), EM_LIMITTEXT, WPARAM(FMaxLength), 0);
}

void TCustomEdit::SetReadOnly(bool Value) {
    FReadOnly = Value;
    if (HandleAllocated()) SendMessageW(GetHandle(), EM_SETREADONLY, Value, 0);
}

int TCustomEdit::GetSelStart() {
    if (!HandleAllocated()) return 0;
    DWORD start = 0, end = 0;
    SendMessageW(GetHandle(), EM_GETSEL, WPARAM(&start), LPARAM(&end));
    return int(start);
}

void TCustomEdit::SetSelStart(int Value) {
    SendMessageW(GetHandle(), EM_SETSEL, WPARAM(Value), LPARAM(Value));
}

int TCustomEdit::GetSelLength() {
    if (!HandleAllocated()) return 0;
    DWORD start = 0, end = 0;
    SendMessageW(GetHandle(), EM_GETSEL, WPARAM(&start), LPARAM(&end));
    return int(end - start);
}

void TCustomEdit::SetSelLength(int Value) {
    int start = GetSelStart();
    SendMessageW(GetHandle(), EM_SETSEL, WPARAM(start), LPARAM(start + Value));
}

void TCustomEdit::SelectAll() {
    if (HandleAllocated()) SendMessageW(GetHandle(), EM_SETSEL, 0, -1);
}

void TCustomEdit::Change() {
    FOnChange(this);
}

void TCustomEdit::DoEnter() {
    // Into the edit by the keyboard (not by a click into the text): the whole text selected.
    if (FAutoSelect && GetKeyState(VK_LBUTTON) >= 0) SelectAll();
    inherited::DoEnter();
}

void TCustomEdit::WndProc(TMessage& Message) {
    if (Message.Msg == CN_COMMAND && HIWORD(Message.WParam) == EN_CHANGE) {
        // What the user typed (or SetText put there) becomes Text; OnChange when it differs from what was
        // reported last (the window also notifies of changes that change nothing).
        TextFromWindow();
        if (GetText() != FReported && !GetComponentState().Contains(Classes::csLoading)) {
            FReported = GetText();
            Change();
        }
        return;
    }
    inherited::WndProc(Message);
}

PUBLISHED(TCustomEdit, "StdCtrls");
PUBLISHED(TEdit, "StdCtrls",
          Prop<&TCustomEdit::GetAutoSelect, &TCustomEdit::SetAutoSelect>("AutoSelect").Default(true),
          Prop<&TCustomEdit::GetMaxLength, &TCustomEdit::SetMaxLength>("MaxLength").Default(0),
          Prop<&TControl::GetParentColor, &TControl::SetParentColor>("ParentColor").Default(false),
          Prop<&TCustomEdit::GetReadOnly, &TCustomEdit::SetReadOnly>("ReadOnly").Default(false),
          Prop<&TWinControl::GetTabStop, &TWinControl::SetTabStop>("TabStop").Default(true),
          Prop<&TControl::GetText, &TControl::SetText>("Text"),
          Prop<&TCustomEdit::GetOnChange, &TCustomEdit::SetOnChange>("OnChange"), STDCTRLS_WINCONTROL_PROPS);

} // namespace StdCtrls

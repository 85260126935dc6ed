// StdCtrls: the items of combo boxes and list boxes, the combo box and the list box.
//
// Invariant: while a control's window exists, it shows exactly the control's items, in their order (every
// change of TControlItems reaches the window item by item, or by filling it anew).
#include "framework/vcl/StdCtrlsControls.h"

namespace StdCtrls {

using namespace Messages;
using namespace TypInfo;
using Controls::TControl;
using Controls::TWinControl;
using Detail::W;

// ==== TControlItems ========================================================================================

LRESULT TControlItems::Send(UINT Msg, WPARAM WParam, LPARAM LParam) {
    if (!FControl->HandleAllocated()) return 0;
    return SendMessageW(FControl->GetHandle(), Msg, WParam, LParam);
}

namespace {
// Runs a change of the list that reaches the window item by item (Changed does not fill it anew).
template <class TChange> void Incremental(bool& Flag, TChange&& Change) {
    Flag = true;
    struct TReset {
        bool& Value;
        ~TReset() { Value = false; }
    } reset{Flag};
    Change();
}
} // namespace

void TControlItems::Clear() {
    Incremental(FIncremental, [&] { inherited::Clear(); });
    Send(FResetMsg, 0, 0);
}

void TControlItems::Delete(int index) {
    Incremental(FIncremental, [&] { inherited::Delete(index); });
    Send(FDeleteMsg, WPARAM(index), 0);
}

void TControlItems::InsertObject(int index, const String& s, void* object) {
    Incremental(FIncremental, [&] { inherited::InsertObject(index, s, object); });
    std::u16string text = W(s);
    Send(FInsertMsg, WPARAM(index), LPARAM(text.c_str()));
}

int TControlItems::AddObject(const String& s, void* object) {
    int count = GetCount();
    int index = 0;
    Incremental(FIncremental, [&] { index = inherited::AddObject(s, object); });
    if (GetCount() > count) {
        std::u16string text = W(s);
        Send(FInsertMsg, WPARAM(index), LPARAM(text.c_str()));
    }
    return index;
}

void TControlItems::Put(int index, const String& s) {
    Incremental(FIncremental, [&] { inherited::Put(index, s); });
    std::u16string text = W(s);
    Send(FDeleteMsg, WPARAM(index), 0);
    Send(FInsertMsg, WPARAM(index), LPARAM(text.c_str()));
}

void TControlItems::PutObject(int index, void* object) {
    Incremental(FIncremental, [&] { inherited::PutObject(index, object); });
}

void TControlItems::Fill() {
    if (!FControl->HandleAllocated()) return;
    Send(FResetMsg, 0, 0);
    for (int i = 0; i < GetCount(); ++i) {
        std::u16string text = W(Get(i));
        Send(FInsertMsg, WPARAM(i), LPARAM(text.c_str()));
    }
}

void TControlItems::Changed() {
    // A change the overrides did not follow (sorting, exchanging, moving): the window is filled anew.
    if (!FIncremental) Fill();
    inherited::Changed();
}

void TControlItems::SetUpdateState(bool updating) {
    Incremental(FIncremental, [&] { inherited::SetUpdateState(updating); });
    if (!FControl->HandleAllocated()) return;
    SendMessageW(FControl->GetHandle(), WM_SETREDRAW, !updating, 0);
    if (!updating) InvalidateRect(FControl->GetHandle(), nullptr, TRUE);
}

PUBLISHED(TControlItems, "StdCtrls");

// ==== TCustomComboBox ======================================================================================

TCustomComboBox::TCustomComboBox(Classes::TComponent* AOwner)
    : TStdWinControl(AOwner),
      FItems(std::make_unique<TControlItems>(this, CB_INSERTSTRING, CB_DELETESTRING, CB_RESETCONTENT)) {
    FControlStyle -= Controls::TControlStyle{Controls::csClickEvents, Controls::csDoubleClicks};
    SetBounds(0, 0, 145, 21);
    SetTabStop(true);
    SetColor(Graphics::clWindow);
}

TCustomComboBox::~TCustomComboBox() {
    // The window goes while the items can still be told (they do nothing without it).
    DestroyHandle();
    if (FEditInstance) Controls::FreeObjectInstance(FEditInstance);
}

void TCustomComboBox::EditWndProc(TMessage& Message) {
    auto passOn = [&] {
        Message.Result =
            CallWindowProcW(FEditDefProc, FEditHandle, Message.Msg, Message.WParam, Message.LParam);
    };
    switch (Message.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (!KeyDownMessage(Message, FEditHandle)) passOn();
        return;
    case WM_CHAR:
        if (!CharMessage(Message, FEditHandle, true)) passOn();
        return;
    case WM_SYSCHAR:
        if (!SysCharMessage(Message)) passOn();
        return;
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        WORD key = WORD(Message.WParam);
        KeyUp(key, Controls::KeyDataToShiftState(Message.LParam));
        Message.WParam = key;
        if (key != 0) passOn();
        return;
    }
    case WM_SETFOCUS:
        passOn();
        FocusArrived();
        return;
    case WM_NCDESTROY: {
        HWND edit = FEditHandle;
        passOn();
        if (edit == FEditHandle) FEditHandle = nullptr;
        return;
    }
    }
    passOn();
}

int TCustomComboBox::DroppedHeight() const {
    int item = FItemHeight > 0 ? FItemHeight : 16;
    int rows = std::clamp(FItems->GetCount(), 1, std::max(1, FDropDownCount));
    return GetHeight() + rows * item + 2;
}

void TCustomComboBox::CreateParams(Controls::TCreateParams& Params) {
    inherited::CreateParams(Params);
    CreateSubClass(Params, L"COMBOBOX");
    static constexpr DWORD styles[] = {CBS_DROPDOWN, CBS_SIMPLE, CBS_DROPDOWNLIST};
    Params.Style |= styles[FStyle] | CBS_AUTOHSCROLL | WS_VSCROLL | CBS_HASSTRINGS;
    // The window's height includes the dropped-down list.
    Params.Height = DroppedHeight();
}

void TCustomComboBox::CreateWnd() {
    inherited::CreateWnd();
    HWND h = GetHandle();
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (FStyle != csDropDownList && GetComboBoxInfo(h, &info) && info.hwndItem && info.hwndItem != h) {
        if (FEditInstance == nullptr)
            FEditInstance =
                Controls::MakeObjectInstance(TWndMethod::Bind<&TCustomComboBox::EditWndProc>(this));
        FEditHandle = info.hwndItem;
        FEditDefProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(FEditHandle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FEditInstance)));
    }
    FItems->Fill();
    if (FItemHeight > 0) SendMessageW(h, CB_SETITEMHEIGHT, 0, FItemHeight);
    if (FItemIndex >= 0) {
        SendMessageW(h, CB_SETCURSEL, WPARAM(FItemIndex), 0);
    } else if (FStyle != csDropDownList) {
        std::u16string text = W(GetText());
        SetWindowTextW(h, reinterpret_cast<LPCWSTR>(text.c_str()));
    }
}

void TCustomComboBox::DestroyWnd() {
    if (HandleAllocated()) FItemIndex = int(SendMessageW(GetHandle(), CB_GETCURSEL, 0, 0));
    // The edit's procedure back, unless someone placed another above ours.
    if (FEditHandle &&
        GetWindowLongPtrW(FEditHandle, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(FEditInstance))
        SetWindowLongPtrW(FEditHandle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FEditDefProc));
    FEditHandle = nullptr;
    inherited::DestroyWnd();
}

void TCustomComboBox::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    inherited::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (HandleAllocated())
        SetWindowPos(GetHandle(), nullptr, 0, 0, GetWidth(), DroppedHeight(),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TCustomComboBox::SetStyle(TComboBoxStyle Value) {
    if (Value == FStyle) return;
    FStyle = Value;
    RecreateWnd();
}

int TCustomComboBox::GetItemIndex() {
    if (!HandleAllocated()) return FItemIndex;
    return int(SendMessageW(GetHandle(), CB_GETCURSEL, 0, 0));
}

void TCustomComboBox::SetItemIndex(int Value) {
    if (Value < -1 || Value >= FItems->GetCount()) Value = -1;
    FItemIndex = Value;
    if (HandleAllocated()) {
        SendMessageW(GetHandle(), CB_SETCURSEL, WPARAM(Value), 0);
        TextFromWindow();
    } else if (Value >= 0) {
        SetTextQuietly(FItems->Get(Value));
    }
}

void TCustomComboBox::SetItemHeight(int Value) {
    FItemHeight = std::max(0, Value);
    if (HandleAllocated() && FItemHeight > 0) SendMessageW(GetHandle(), CB_SETITEMHEIGHT, 0, FItemHeight);
}

void TCustomComboBox::SetDropDownCount(int Value) {
    FDropDownCount = std::max(1, Value);
}

void TCustomComboBox::Change() {
    FOnChange(this);
}

void TCustomComboBox::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case CN_COMMAND:
        switch (HIWORD(Message.WParam)) {
        case CBN_SELCHANGE: {
            // The edit shows the new item only after this notification: Text is taken from the item.
            int index = int(SendMessageW(GetHandle(), CB_GETCURSEL, 0, 0));
            if (index >= 0 && index < FItems->GetCount()) SetTextQuietly(FItems->Get(index));
            Click();
            Change();
            return;
        }
        case CBN_EDITCHANGE:
            TextFromWindow();
            Change();
            return;
        }
        return;
    case CM_TEXTCHANGED:
        // A drop-down list shows only its items: the text selects the item it names.
        if (FStyle == csDropDownList) {
            int index = FItems->IndexOf(GetText());
            FItemIndex = index;
            if (HandleAllocated()) SendMessageW(GetHandle(), CB_SETCURSEL, WPARAM(index), 0);
            return;
        }
        break;
    case Controls::CM_WANTSPECIALKEY:
        // Enter and Esc close the dropped-down list.
        if ((Message.WParam == VK_RETURN || Message.WParam == VK_ESCAPE) && HandleAllocated() &&
            SendMessageW(GetHandle(), CB_GETDROPPEDSTATE, 0, 0)) {
            Message.Result = 1;
            return;
        }
        break;
    }
    inherited::WndProc(Message);
}

PUBLISHED(TCustomComboBox, "StdCtrls");
PUBLISHED(
    TComboBox, "StdCtrls",
    Prop<&TCustomComboBox::GetStyle, &TCustomComboBox::SetStyle>("Style").Default(csDropDown),
    Prop<&TCustomComboBox::GetDropDownCount, &TCustomComboBox::SetDropDownCount>("DropDownCount").Default(8),
    Prop<&TCustomComboBox::GetItemHeight, &TCustomComboBox::SetItemHeight>("ItemHeight").Default(0),
    Prop<&TCustomComboBox::GetItems, &TCustomComboBox::SetItems>("Items"),
    Prop<&TCustomComboBox::GetItemIndex, &TCustomComboBox::SetItemIndex>("ItemIndex").Default(-1),
    Prop<&TControl::GetParentColor, &TControl::SetParentColor>("ParentColor").Default(false),
    Prop<&TWinControl::GetTabStop, &TWinControl::SetTabStop>("TabStop").Default(true),
    Prop<&TControl::GetText, &TControl::SetText>("Text"),
    Prop<&TCustomComboBox::GetOnChange, &TCustomComboBox::SetOnChange>("OnChange"),
    STDCTRLS_WINCONTROL_PROPS);

// ==== TCustomListBox =======================================================================================

TCustomListBox::TCustomListBox(Classes::TComponent* AOwner)
    : TStdWinControl(AOwner),
      FItems(std::make_unique<TControlItems>(this, LB_INSERTSTRING, LB_DELETESTRING, LB_RESETCONTENT)) {
    // The window reports clicks (LBN_SELCHANGE) and double clicks (LBN_DBLCLK).
    FControlStyle -= Controls::TControlStyle{Controls::csClickEvents, Controls::csDoubleClicks};
    SetBounds(0, 0, 121, 97);
    SetTabStop(true);
    SetColor(Graphics::clWindow);
}

TCustomListBox::~TCustomListBox() {
    DestroyHandle();
}

void TCustomListBox::CreateParams(Controls::TCreateParams& Params) {
    inherited::CreateParams(Params);
    CreateSubClass(Params, L"LISTBOX");
    Params.Style |= LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL;
    if (FMultiSelect) Params.Style |= FExtendedSelect ? LBS_EXTENDEDSEL : LBS_MULTIPLESEL;
    Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListBox::CreateWnd() {
    inherited::CreateWnd();
    HWND h = GetHandle();
    FItems->Fill();
    if (FItemHeight > 0) SendMessageW(h, LB_SETITEMHEIGHT, 0, FItemHeight);
    if (FMultiSelect) {
        for (size_t i = 0; i < FSelection.size() && int(i) < FItems->GetCount(); ++i)
            if (FSelection[i]) SendMessageW(h, LB_SETSEL, TRUE, LPARAM(i));
        if (FItemIndex >= 0) SendMessageW(h, LB_SETCARETINDEX, WPARAM(FItemIndex), FALSE);
    } else if (FItemIndex >= 0) {
        SendMessageW(h, LB_SETCURSEL, WPARAM(FItemIndex), 0);
    }
    SendMessageW(h, LB_SETTOPINDEX, WPARAM(FTopIndex), 0);
}

void TCustomListBox::DestroyWnd() {
    if (HandleAllocated()) {
        // The selection and the top item wait for the next window.
        FItemIndex = GetItemIndex();
        FTopIndex = GetTopIndex();
        FSelection.assign(size_t(FItems->GetCount()), false);
        for (int i = 0; i < FItems->GetCount(); ++i)
            FSelection[size_t(i)] = GetSelected(i);
    }
    inherited::DestroyWnd();
}

void TCustomListBox::CheckIndex(int Index) const {
    if (Index < 0 || Index >= FItems->GetCount())
        throw Classes::EListError("List index out of bounds (" + SysUtils::IntToStr(Index) + ")");
}

int TCustomListBox::GetItemIndex() {
    if (!HandleAllocated()) return FItemIndex;
    return int(SendMessageW(GetHandle(), FMultiSelect ? LB_GETCARETINDEX : LB_GETCURSEL, 0, 0));
}

void TCustomListBox::SetItemIndex(int Value) {
    if (Value < -1 || Value >= FItems->GetCount()) Value = -1;
    FItemIndex = Value;
    if (!HandleAllocated()) return;
    if (FMultiSelect)
        SendMessageW(GetHandle(), LB_SETCARETINDEX, WPARAM(Value), FALSE);
    else
        SendMessageW(GetHandle(), LB_SETCURSEL, WPARAM(Value), 0);
}

void TCustomListBox::SetItemHeight(int Value) {
    FItemHeight = std::max(0, Value);
    if (HandleAllocated() && FItemHeight > 0) SendMessageW(GetHandle(), LB_SETITEMHEIGHT, 0, FItemHeight);
}

void TCustomListBox::SetMultiSelect(bool Value) {
    if (Value == FMultiSelect) return;
    // The selection goes over as it is (a single list keeps the item with the focus).
    if (HandleAllocated()) DestroyHandle();
    FMultiSelect = Value;
    if (!Value && FItemIndex >= 0 && size_t(FItemIndex) < FSelection.size() &&
        !FSelection[size_t(FItemIndex)])
        FItemIndex = -1;
    if (Value && FItemIndex >= 0) {
        FSelection.resize(std::max(FSelection.size(), size_t(FItemIndex) + 1));
        FSelection[size_t(FItemIndex)] = true;
    }
    if (GetParent() && GetParent()->HandleAllocated()) HandleNeeded();
}

void TCustomListBox::SetExtendedSelect(bool Value) {
    if (Value == FExtendedSelect) return;
    FExtendedSelect = Value;
    RecreateWnd();
}

bool TCustomListBox::GetSelected(int Index) {
    CheckIndex(Index);
    if (HandleAllocated()) {
        if (FMultiSelect) return SendMessageW(GetHandle(), LB_GETSEL, WPARAM(Index), 0) > 0;
        return SendMessageW(GetHandle(), LB_GETCURSEL, 0, 0) == Index;
    }
    if (FMultiSelect) return size_t(Index) < FSelection.size() && FSelection[size_t(Index)];
    return FItemIndex == Index;
}

void TCustomListBox::SetSelected(int Index, bool Value) {
    CheckIndex(Index);
    if (HandleAllocated()) {
        if (FMultiSelect)
            SendMessageW(GetHandle(), LB_SETSEL, Value, Index);
        else if (Value)
            SendMessageW(GetHandle(), LB_SETCURSEL, WPARAM(Index), 0);
        else if (GetSelected(Index))
            SendMessageW(GetHandle(), LB_SETCURSEL, WPARAM(-1), 0);
        return;
    }
    if (FMultiSelect) {
        FSelection.resize(std::max(FSelection.size(), size_t(Index) + 1));
        FSelection[size_t(Index)] = Value;
    } else if (Value) {
        FItemIndex = Index;
    } else if (FItemIndex == Index) {
        FItemIndex = -1;
    }
}

int TCustomListBox::GetSelCount() {
    if (HandleAllocated() && FMultiSelect) return int(SendMessageW(GetHandle(), LB_GETSELCOUNT, 0, 0));
    int n = 0;
    for (int i = 0; i < FItems->GetCount(); ++i)
        n += GetSelected(i);
    return n;
}

int TCustomListBox::GetTopIndex() {
    if (!HandleAllocated()) return FTopIndex;
    return int(SendMessageW(GetHandle(), LB_GETTOPINDEX, 0, 0));
}

void TCustomListBox::SetTopIndex(int Value) {
    FTopIndex = std::max(0, Value);
    if (HandleAllocated()) SendMessageW(GetHandle(), LB_SETTOPINDEX, WPARAM(FTopIndex), 0);
}

int TCustomListBox::ItemAtPos(int X, int Y) {
    LRESULT r = SendMessageW(GetHandle(), LB_ITEMFROMPOINT, 0, MAKELPARAM(X, Y));
    if (HIWORD(r) != 0 || LOWORD(r) >= FItems->GetCount()) return -1;
    return LOWORD(r);
}

void TCustomListBox::WndProc(TMessage& Message) {
    if (Message.Msg == CN_COMMAND) {
        // Only the user's changes of the selection are reported (the window says nothing of the program's).
        if (HIWORD(Message.WParam) == LBN_SELCHANGE) Click();
        if (HIWORD(Message.WParam) == LBN_DBLCLK) DblClick();
        return;
    }
    inherited::WndProc(Message);
}

PUBLISHED(TCustomListBox, "StdCtrls");
PUBLISHED(
    TListBox, "StdCtrls",
    Prop<&TCustomListBox::GetExtendedSelect, &TCustomListBox::SetExtendedSelect>("ExtendedSelect")
        .Default(true),
    Prop<&TCustomListBox::GetItemHeight, &TCustomListBox::SetItemHeight>("ItemHeight").Default(0),
    Prop<&TCustomListBox::GetItems, &TCustomListBox::SetItems>("Items"),
    Prop<&TCustomListBox::GetMultiSelect, &TCustomListBox::SetMultiSelect>("MultiSelect").Default(false),
    Prop<&TControl::GetParentColor, &TControl::SetParentColor>("ParentColor").Default(false),
    Prop<&TCustomListBox::GetSorted, &TCustomListBox::SetSorted>("Sorted").Default(false),
    Prop<&TWinControl::GetTabStop, &TWinControl::SetTabStop>("TabStop").Default(true),
    STDCTRLS_WINCONTROL_PROPS);

} // namespace StdCtrls

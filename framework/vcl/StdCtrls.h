// StdCtrls: the standard controls.
//
// Declares: TCustomLabel and TLabel (a graphic control showing its caption in its font; AutoSize, on by
// default, sizes it to its text; Transparent leaves the parent's background behind the text; FocusControl
// takes the focus on the label's accelerator), TEdit, TCheckBox, TComboBox, TButton, TGroupBox and TListBox
// over the system's EDIT, BUTTON, COMBOBOX and LISTBOX window classes, and TControlItems (the items of a
// combo box or list box).
//
//   auto* edit = new StdCtrls::TEdit(form);
//   edit->SetParent(form);
//   edit->SetText("12");                       // OnChange; the window's text while it exists
//   auto* ok = new StdCtrls::TButton(form);
//   ok->SetParent(form);
//   ok->SetDefault(true);                      // Enter clicks it (unless another button has the focus)
//   ok->SetModalResult(Forms::mrOk);           // a click ends the form's ShowModal with mrOk, then OnClick
//   auto* list = new StdCtrls::TListBox(form);
//   list->SetParent(form);
//   list->SetMultiSelect(true);
//   list->GetItems()->AddObject("File", item); // an object per row
//   list->SetSelected(0, true);
//
// Accelerators: "&F" in a caption makes Alt+F (and F alone when the focused control takes no characters)
// focus a label's FocusControl, click a button, and focus and toggle a check box; "&&" shows a literal "&".
// Colours: an edit, list box, combo box, check box or group box paints its background in its Color and its
// text in its font's colour (the parent's reflected WM_CTLCOLOR* messages).
//
//   auto* label = new StdCtrls::TLabel(form);
//   label->SetParent(form);
//   label->SetCaption("Завершено:");        // width and height follow the text in the label's font
//   label->SetTransparent(true);            // no background fill
//
// The size is DrawText's DT_CALCRECT extent of the caption (with DT_EXPANDTABS, DT_WORDBREAK when WordWrap,
// DT_NOPREFIX unless ShowAccelChar) on the screen's DC; an empty caption is measured as one space, so an
// empty label keeps the height of a line. A right-justified label keeps its right edge.
#pragma once

#include "framework/vcl/Controls.h"

#include <memory>
#include <vector>

namespace StdCtrls {

using Controls::TAlignment;
using SysUtils::String;

class TCustomLabel : public Controls::TGraphicControl {
    DECLARE_CLASS(TCustomLabel, Controls::TGraphicControl)
public:
    explicit TCustomLabel(Classes::TComponent* AOwner);

    bool GetAutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    TAlignment GetAlignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    bool GetShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool Value);
    bool GetTransparent() const { return !FControlStyle.Contains(Controls::csOpaque); }
    void SetTransparent(bool Value);
    bool GetWordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    // The control that the label's accelerator focuses; cleared when it goes.
    Controls::TWinControl* GetFocusControl() const { return FFocusControl; }
    void SetFocusControl(Controls::TWinControl* Value);

    void WndProc(Messages::TMessage& Message) override;

protected:
    void Loaded() override;
    void Notification(Classes::TComponent* AComponent, Classes::TOperation Operation) override;
    void Paint() override;
    // Sizes the label to its text (when AutoSize and not being read).
    void AdjustBounds();
    // The caption drawn (or measured, with DT_CALCRECT) in Rect on Canvas with the label's font.
    void DoDrawText(Graphics::TCanvas& Canvas, Graphics::TRect& Rect, UINT Flags);

private:
    bool FAutoSize = true;
    TAlignment FAlignment = Controls::taLeftJustify;
    bool FShowAccelChar = true;
    bool FWordWrap = false;
    Controls::TWinControl* FFocusControl = nullptr;
};

class TLabel : public TCustomLabel {
    DECLARE_CLASS(TLabel, TCustomLabel)
public:
    using TCustomLabel::TCustomLabel;
};

// ---- Windowed standard controls ---------------------------------------------------------------------------

// What the standard windowed controls share: the reflected WM_CTLCOLOR* messages answered with the control's
// colour and font colour.
class TStdWinControl : public Controls::TWinControl {
    DECLARE_CLASS(TStdWinControl, Controls::TWinControl)
public:
    explicit TStdWinControl(Classes::TComponent* AOwner);
    void WndProc(Messages::TMessage& Message) override;
};

class TCustomEdit : public TStdWinControl {
    DECLARE_CLASS(TCustomEdit, TStdWinControl)
public:
    explicit TCustomEdit(Classes::TComponent* AOwner);

    // 0: no limit (the system's).
    int GetMaxLength() const { return FMaxLength; }
    void SetMaxLength(int Value);
    bool GetReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    // The selection, in UTF-16 units of the text; only while the window exists (0 otherwise).
    int GetSelStart();
    void SetSelStart(int Value);
    int GetSelLength();
    void SetSelLength(int Value);
    void SelectAll();
    // Whether the whole text is selected when the focus comes in by the keyboard.
    bool GetAutoSelect() const { return FAutoSelect; }
    void SetAutoSelect(bool Value) { FAutoSelect = Value; }
    const Classes::TNotifyEvent& GetOnChange() const { return FOnChange; }
    void SetOnChange(const Classes::TNotifyEvent& Value) { FOnChange = Value; }

    void WndProc(Messages::TMessage& Message) override;

protected:
    void CreateParams(Controls::TCreateParams& Params) override;
    void CreateWnd() override;
    void DoEnter() override;
    virtual void Change();

private:
    int FMaxLength = 0;
    bool FReadOnly = false;
    bool FAutoSelect = true;
    String FReported; // the text OnChange reported last
    Classes::TNotifyEvent FOnChange;
};

class TEdit : public TCustomEdit {
    DECLARE_CLASS(TEdit, TCustomEdit)
public:
    using TCustomEdit::TCustomEdit;
};

PUBLISHED_ENUM(TCheckBoxState, uint8_t, cbUnchecked, cbChecked, cbGrayed)

class TCustomCheckBox : public TStdWinControl {
    DECLARE_CLASS(TCustomCheckBox, TStdWinControl)
public:
    explicit TCustomCheckBox(Classes::TComponent* AOwner);

    bool GetChecked() const { return FState == cbChecked; }
    void SetChecked(bool Value) { SetState(Value ? cbChecked : cbUnchecked); }
    // A change fires OnClick, as the user's does.
    TCheckBoxState GetState() const { return FState; }
    void SetState(TCheckBoxState Value);
    // Whether the user's clicks go through the grayed state (unchecked, checked, grayed).
    bool GetAllowGrayed() const { return FAllowGrayed; }
    void SetAllowGrayed(bool Value) { FAllowGrayed = Value; }

    void WndProc(Messages::TMessage& Message) override;

protected:
    void CreateParams(Controls::TCreateParams& Params) override;
    void CreateWnd() override;
    // The user's click: the next state.
    virtual void Toggle();

private:
    TCheckBoxState FState = cbUnchecked;
    bool FAllowGrayed = false;
};

class TCheckBox : public TCustomCheckBox {
    DECLARE_CLASS(TCheckBox, TCustomCheckBox)
public:
    using TCustomCheckBox::TCustomCheckBox;
};

class TButton : public TStdWinControl {
    DECLARE_CLASS(TButton, TStdWinControl)
public:
    explicit TButton(Classes::TComponent* AOwner);

    // Enter clicks the default button, unless another button has the focus (a focused button is the
    // default while it has it); Default may change at any time.
    bool GetDefault() const { return FDefault; }
    void SetDefault(bool Value);
    // Esc clicks the cancel button.
    bool GetCancel() const { return FCancel; }
    void SetCancel(bool Value) { FCancel = Value; }
    // A click sets the form's ModalResult to this (when not 0), then fires OnClick.
    int GetModalResult() const { return FModalResult; }
    void SetModalResult(int Value) { FModalResult = Value; }
    void Click() override;
    void WndProc(Messages::TMessage& Message) override;

protected:
    void CreateParams(Controls::TCreateParams& Params) override;

private:
    // The default look (BS_DEFPUSHBUTTON) for the button that Enter clicks when the focus is on Focused.
    void UpdateDefaultLook(HWND Focused);

    bool FDefault = false;
    bool FCancel = false;
    int FModalResult = 0;
};

class TGroupBox : public TStdWinControl {
    DECLARE_CLASS(TGroupBox, TStdWinControl)
public:
    explicit TGroupBox(Classes::TComponent* AOwner);
    void WndProc(Messages::TMessage& Message) override;

protected:
    void CreateParams(Controls::TCreateParams& Params) override;
};

// The items of a combo box or list box: the strings and their objects, kept by the control and shown by its
// window (every change reaches the window at once; between BeginUpdate and EndUpdate the window does not
// repaint).
class TControlItems : public Controls::TPersistentStrings {
    DECLARE_CLASS(TControlItems, Controls::TPersistentStrings)
public:
    // The window messages of the control's kind: LB_INSERTSTRING, LB_DELETESTRING, LB_RESETCONTENT (or
    // the CB_ ones).
    TControlItems(Controls::TWinControl* Control, UINT InsertMsg, UINT DeleteMsg, UINT ResetMsg)
        : FControl(Control), FInsertMsg(InsertMsg), FDeleteMsg(DeleteMsg), FResetMsg(ResetMsg) {}
    Classes::TPersistent* GetOwner() const override { return FControl; }

    void Clear() override;
    void Delete(int index) override;
    void InsertObject(int index, const String& s, void* object) override;
    int AddObject(const String& s, void* object) override;
    void Put(int index, const String& s) override;
    void PutObject(int index, void* object) override;
    // Puts every item into the control's window (a new window, or after a change made otherwise).
    void Fill();

protected:
    void Changed() override;
    void SetUpdateState(bool updating) override;

private:
    LRESULT Send(UINT Msg, WPARAM WParam, LPARAM LParam);
    Controls::TWinControl* FControl;
    UINT FInsertMsg, FDeleteMsg, FResetMsg;
    bool FIncremental = false; // a change that reached the window item by item
};

PUBLISHED_ENUM(TComboBoxStyle, uint8_t, csDropDown, csSimple, csDropDownList)

class TCustomComboBox : public TStdWinControl {
    DECLARE_CLASS(TCustomComboBox, TStdWinControl)
public:
    explicit TCustomComboBox(Classes::TComponent* AOwner);
    ~TCustomComboBox() override;

    TComboBoxStyle GetStyle() const { return FStyle; }
    void SetStyle(TComboBoxStyle Value);
    TControlItems* GetItems() const { return FItems.get(); }
    void SetItems(TControlItems* Value) { FItems->Assign(Value); }
    // The selected item; -1: none.
    int GetItemIndex();
    void SetItemIndex(int Value);
    // The height of the items in the drop-down list; 0: the font's.
    int GetItemHeight() const { return FItemHeight; }
    void SetItemHeight(int Value);
    int GetDropDownCount() const { return FDropDownCount; }
    void SetDropDownCount(int Value);
    // Text: the edit's text (csDropDown), the selected item's (csDropDownList).
    const Classes::TNotifyEvent& GetOnChange() const { return FOnChange; }
    void SetOnChange(const Classes::TNotifyEvent& Value) { FOnChange = Value; }
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void WndProc(Messages::TMessage& Message) override;

protected:
    void CreateParams(Controls::TCreateParams& Params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    virtual void Change();

private:
    int DroppedHeight() const;
    // The messages of the edit inside a csDropDown or csSimple combo box: its keys and its focus are the
    // combo box's.
    void EditWndProc(Messages::TMessage& Message);
    HWND FEditHandle = nullptr;
    WNDPROC FEditInstance = nullptr;
    WNDPROC FEditDefProc = nullptr;
    TComboBoxStyle FStyle = csDropDown;
    std::unique_ptr<TControlItems> FItems;
    int FItemIndex = -1; // while there is no window
    int FItemHeight = 0;
    int FDropDownCount = 8;
    Classes::TNotifyEvent FOnChange;
};

class TComboBox : public TCustomComboBox {
    DECLARE_CLASS(TComboBox, TCustomComboBox)
public:
    using TCustomComboBox::TCustomComboBox;
};

class TCustomListBox : public TStdWinControl {
    DECLARE_CLASS(TCustomListBox, TStdWinControl)
public:
    explicit TCustomListBox(Classes::TComponent* AOwner);
    ~TCustomListBox() override;

    TControlItems* GetItems() const { return FItems.get(); }
    void SetItems(TControlItems* Value) { FItems->Assign(Value); }
    // The selected item (with MultiSelect: the item with the focus rectangle); -1: none.
    int GetItemIndex();
    void SetItemIndex(int Value);
    int GetItemHeight() const { return FItemHeight; }
    void SetItemHeight(int Value);
    // MultiSelect: several items may be selected; ExtendedSelect (with it): Shift and Ctrl extend the
    // selection, else each click toggles an item. Changing either makes the window anew (the selection kept).
    bool GetMultiSelect() const { return FMultiSelect; }
    void SetMultiSelect(bool Value);
    bool GetExtendedSelect() const { return FExtendedSelect; }
    void SetExtendedSelect(bool Value);
    bool GetSorted() const { return FItems->GetSorted(); }
    void SetSorted(bool Value) { FItems->SetSorted(Value); }
    // Whether item Index is selected; EListError outside the items.
    bool GetSelected(int Index);
    void SetSelected(int Index, bool Value);
    // How many items are selected.
    int GetSelCount();
    int GetTopIndex();
    void SetTopIndex(int Value);
    void Clear() { FItems->Clear(); }
    // The item at the client point (X, Y); -1 when none is there.
    int ItemAtPos(int X, int Y);

    void WndProc(Messages::TMessage& Message) override;

protected:
    void CreateParams(Controls::TCreateParams& Params) override;
    void CreateWnd() override;
    void DestroyWnd() override;

private:
    void CheckIndex(int Index) const;
    std::unique_ptr<TControlItems> FItems;
    int FItemHeight = 0;
    bool FMultiSelect = false;
    bool FExtendedSelect = true;
    // While there is no window: the selection and the top item.
    int FItemIndex = -1;
    std::vector<bool> FSelection;
    int FTopIndex = 0;
};

class TListBox : public TCustomListBox {
    DECLARE_CLASS(TListBox, TCustomListBox)
public:
    using TCustomListBox::TCustomListBox;
};

} // namespace StdCtrls

// Menus: main menus, popup menus and their items.
//
// Declares: TMenuItem (one entry: Caption, Command, ShortCut, Break, Checked, Enabled, RadioItem, Default,
// Visible, Hint, HelpContext, GroupIndex, OnClick; its sub-items), TMenu (the item tree with its Windows
// menu, FindItem, DispatchCommand, DispatchPopup, IsShortCut, GetHelpContext), TMainMenu (a form's menu bar),
// TPopupMenu (Popup at a screen point), the shortcut helpers ShortCut, ShortCutToText, TextToShortCut.
//
//   auto* menu = new Menus::TMainMenu(form);
//   auto* file = new Menus::TMenuItem(form);   file->SetCaption("&File");   menu->GetItems()->Add(file);
//   auto* open = new Menus::TMenuItem(form);   open->SetCaption("&Open");   file->Add(open);
//   open->SetShortCut(Menus::ShortCut('O', {Menus::ssCtrl}));   // "Open\tCtrl+O" in the Windows menu
//   form->SetMenu(menu);                                         // the form's menu bar
//
// The Windows menus are built from the tree: an item with sub-items has a popup menu of its own (Handle),
// whose entries are made afresh from its visible sub-items whenever one of them changes (so flags that
// someone else set on an entry, owner-draw for instance, are gone after such a change). An entry that opens
// a submenu is identified by its submenu's handle; every other entry by its item's Command, a number unique
// in the process. Each rebuild of a main menu is reported to its form's window with CM_MENUCHANGED.
//
// Items are components owned by the form, streamed nested in their menu (HasParent); an item frees its
// sub-items when it goes.
#pragma once

#include "framework/vcl/Controls.h"

#include <vector>

namespace Menus {

using Classes::TComponent;
using Classes::TNotifyEvent;
using System::TObject;
using SysUtils::String;

VCL_EXCEPTION_CLASS(EMenuError, SysUtils::Exception);

PUBLISHED_ENUM(TMenuBreak, uint8_t, mbNone, mbBreak, mbBarBreak)
PUBLISHED_ENUM(TPopupAlignment, uint8_t, paLeft, paRight, paCenter)
enum TFindItemKind : uint8_t { fkCommand, fkHandle, fkShortCut };

// A shortcut: the virtual key in the low byte, and the modifier bits.
using TShortCut = uint16_t;
inline constexpr TShortCut scShift = 0x2000;
inline constexpr TShortCut scCtrl = 0x4000;
inline constexpr TShortCut scAlt = 0x8000;
inline constexpr TShortCut scNone = 0;
enum TShiftStateItem : uint8_t { ssShift, ssAlt, ssCtrl };
using TShiftState = System::TSet<TShiftStateItem>;

TShortCut ShortCut(WORD Key, TShiftState Shift);
// "Ctrl+O", "Shift+Ctrl+F5", "Del"; "" for no shortcut or a key without a name.
String ShortCutToText(TShortCut Value);
// The other way round, ignoring case ("ctrl+o"); 0 when the text names no shortcut.
TShortCut TextToShortCut(const String& Text);

// The framework's notice to a form that one of its menus changed.
inline constexpr UINT CM_MENUCHANGED = Messages::CM_BASE + 21;

class TMenu;

class TMenuItem : public TComponent {
    DECLARE_CLASS(TMenuItem, TComponent)
public:
    explicit TMenuItem(TComponent* AOwner);
    ~TMenuItem() override;

    // ---- Properties.
    const String& GetCaption() const { return FCaption; }
    void SetCaption(const String& Value);
    TMenuBreak GetBreak() const { return FBreak; }
    void SetBreak(TMenuBreak Value);
    bool GetChecked() const { return FChecked; }
    void SetChecked(bool Value);
    bool GetDefault() const { return FDefault; }
    void SetDefault(bool Value);
    bool GetEnabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    uint8_t GetGroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(uint8_t Value) { FGroupIndex = Value; }
    int32_t GetHelpContext() const { return FHelpContext; }
    void SetHelpContext(int32_t Value) { FHelpContext = Value; }
    const String& GetHint() const { return FHint; }
    void SetHint(const String& Value) { FHint = Value; }
    bool GetRadioItem() const { return FRadioItem; }
    void SetRadioItem(bool Value);
    TShortCut GetShortCut() const { return FShortCut; }
    void SetShortCut(TShortCut Value);
    bool GetVisible() const { return FVisible; }
    void SetVisible(bool Value);
    const TNotifyEvent& GetOnClick() const { return FOnClick; }
    void SetOnClick(const TNotifyEvent& Value) { FOnClick = Value; }

    // The entry's identifier in WM_COMMAND: unique in the process while the item lives.
    WORD GetCommand() const { return FCommand; }
    // The popup menu of the sub-items (a menu bar for the items of a main menu), made on first need.
    HMENU GetHandle();
    bool HandleAllocated() const { return FHandle != nullptr; }

    // ---- The tree.
    TMenuItem* GetParent() const { return FParent; }
    int GetCount() const { return int(FItems.size()); }
    TMenuItem* GetItem(int Index) const; // EMenuError "Menu index out of range"
    void Add(TMenuItem* Item);
    void Insert(int Index, TMenuItem* Item); // EMenuError "Menu inserted twice" for an item with a parent
    void Delete(int Index);                  // takes the item out; the caller frees it
    void Remove(TMenuItem* Item);
    void Clear(); // frees every sub-item
    int IndexOf(const TMenuItem* Item) const;
    int GetMenuIndex() const;
    void SetMenuIndex(int Value);
    // The menu whose tree holds the item, or nullptr.
    TMenu* GetParentMenu() const;

    // OnClick (the framework's items also do this when the user picks them).
    virtual void Click();

    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* Value) override;
    void GetChildren(const Classes::TGetChildProc& Proc, TComponent* Root) override;

protected:
    void SetChildOrder(TComponent* Child, int Order) override;

private:
    friend class TMenu;
    // The entry of this item appended to Menu.
    void AppendTo(HMENU Menu);
    // The entries of Handle made afresh from the visible sub-items, then the menu told.
    void RebuildHandle();
    // This item's entry changed: its parent's entries are made afresh.
    void Changed();
    TMenuItem* Find(UINT_PTR Value, TFindItemKind Kind);

    String FCaption;
    TMenuBreak FBreak = mbNone;
    bool FChecked = false;
    bool FDefault = false;
    bool FEnabled = true;
    bool FRadioItem = false;
    bool FVisible = true;
    uint8_t FGroupIndex = 0;
    int32_t FHelpContext = 0;
    TShortCut FShortCut = 0;
    String FHint;
    TNotifyEvent FOnClick;
    WORD FCommand;
    HMENU FHandle = nullptr;
    TMenuItem* FParent = nullptr;
    TMenu* FMenu = nullptr; // set on the root item of a menu only
    std::vector<TMenuItem*> FItems;
};

class TMenu : public TComponent {
    DECLARE_CLASS(TMenu, TComponent)
public:
    explicit TMenu(TComponent* AOwner);
    ~TMenu() override;

    // The unnamed root item: its sub-items are the menu's top level.
    TMenuItem* GetItems() const { return FItems; }
    // The Windows menu of the top level.
    HMENU GetHandle() { return FItems->GetHandle(); }
    // The window that shows the menu and gets its messages (a form's window for a main menu).
    HWND GetWindowHandle() const { return FWindowHandle; }
    void SetWindowHandle(HWND Value) { FWindowHandle = Value; }

    // An item of the tree by Command, by the Handle of its sub-items, or by ShortCut; nullptr if none.
    TMenuItem* FindItem(UINT_PTR Value, TFindItemKind Kind);
    // The item of Command clicked: true when there was one.
    bool DispatchCommand(WORD Command);
    // The item whose sub-items AMenu shows clicked (as a submenu opens): true when there was one.
    bool DispatchPopup(HMENU AMenu);
    // A WM_KEYDOWN (WParam the virtual key) with the shift keys now down: the enabled item with that
    // shortcut clicked, true; false when none has it.
    bool IsShortCut(Messages::TMessage& Message);
    // The help context of the item found by command (or by handle), or of the nearest parent item that has
    // one; 0 when none.
    int32_t GetHelpContext(UINT_PTR Value, bool ByCommand);

    void GetChildren(const Classes::TGetChildProc& Proc, TComponent* Root) override;

protected:
    friend class TMenuItem;
    // The entries of the tree changed (Source's entries were made afresh).
    virtual void MenuChanged(TMenuItem* Source);
    // The kind of Windows menu of the top level: a popup menu, or a menu bar for a main menu.
    virtual bool IsMenuBar() const { return false; }
    void SetChildOrder(TComponent* Child, int Order) override;

private:
    TMenuItem* FItems;
    HWND FWindowHandle = nullptr;
};

class TMainMenu : public TMenu {
    DECLARE_CLASS(TMainMenu, TMenu)
public:
    explicit TMainMenu(TComponent* AOwner);
    ~TMainMenu() override;
    bool GetAutoMerge() const { return FAutoMerge; }
    void SetAutoMerge(bool Value) { FAutoMerge = Value; }

protected:
    // The menu bar drawn again and the form told (CM_MENUCHANGED).
    void MenuChanged(TMenuItem* Source) override;
    bool IsMenuBar() const override { return true; }

private:
    bool FAutoMerge = false;
};

class TPopupMenu : public TMenu {
    DECLARE_CLASS(TPopupMenu, TMenu)
public:
    explicit TPopupMenu(TComponent* AOwner);
    ~TPopupMenu() override;

    TPopupAlignment GetAlignment() const { return FAlignment; }
    void SetAlignment(TPopupAlignment Value) { FAlignment = Value; }
    bool GetAutoPopup() const { return FAutoPopup; }
    void SetAutoPopup(bool Value) { FAutoPopup = Value; }
    int32_t GetHelpContext() const { return FHelpContext; }
    void SetHelpContext(int32_t Value) { FHelpContext = Value; }
    const TNotifyEvent& GetOnPopup() const { return FOnPopup; }
    void SetOnPopup(const TNotifyEvent& Value) { FOnPopup = Value; }
    TComponent* GetPopupComponent() const { return FPopupComponent; }
    void SetPopupComponent(TComponent* Value) { FPopupComponent = Value; }

    // OnPopup, then the menu at the screen point (X, Y), owned by the framework's popup window, which
    // routes the chosen command to its item. Returns when the menu has closed.
    virtual void Popup(int X, int Y);

protected:
    virtual void DoPopup();

private:
    TPopupAlignment FAlignment = paLeft;
    bool FAutoPopup = true;
    int32_t FHelpContext = 0;
    TNotifyEvent FOnPopup;
    TComponent* FPopupComponent = nullptr;
};

// The hidden window that owns the menus TPopupMenu::Popup shows, and routes their commands.
HWND PopupListWindow();

} // namespace Menus

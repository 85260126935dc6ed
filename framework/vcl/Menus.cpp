// Menus: TMenuItem, TMenu, TMainMenu, TPopupMenu and the shortcut helpers.
//
// Invariants:
//   1. An item is in its parent's FItems exactly while its FParent points at that parent.
//   2. When an item has a Handle, its entries are those of its visible sub-items in order (RebuildHandle
//      after every change); an entry with a submenu holds the sub-item's Handle, so a submenu is destroyed
//      only after it has been taken out of its parent's entries (a menu destroys the submenus of its
//      entries).
//   3. Commands: each live item holds one number from 1 to 0xFFFF that no other live item holds.
#include "framework/vcl/Menus.h"

#include "framework/core/ClassesRegistry.h"

#include <algorithm>

namespace Menus {

using namespace TypInfo;

namespace {

// ---- Commands

std::vector<bool>& CommandPool() {
    static std::vector<bool> pool(1, true); // 0 is never given: WM_MENUSELECT uses it for "closed"
    return pool;
}

WORD UniqueCommand() {
    auto& pool = CommandPool();
    auto free = std::find(pool.begin(), pool.end(), false);
    size_t n = size_t(free - pool.begin());
    if (n > 0xFFFF) throw EMenuError("Too many menu items");
    if (free == pool.end())
        pool.push_back(true);
    else
        *free = true;
    return WORD(n);
}

void ReleaseCommand(WORD Command) {
    auto& pool = CommandPool();
    if (Command < pool.size()) pool[Command] = false;
}

// ---- Key names of shortcuts

const char* SpecialKeyName(WORD Key) {
    switch (Key) {
    case VK_BACK:
        return "BkSp";
    case VK_TAB:
        return "Tab";
    case VK_RETURN:
        return "Enter";
    case VK_ESCAPE:
        return "Esc";
    case VK_SPACE:
        return "Space";
    case VK_PRIOR:
        return "PgUp";
    case VK_NEXT:
        return "PgDn";
    case VK_END:
        return "End";
    case VK_HOME:
        return "Home";
    case VK_LEFT:
        return "Left";
    case VK_UP:
        return "Up";
    case VK_RIGHT:
        return "Right";
    case VK_DOWN:
        return "Down";
    case VK_INSERT:
        return "Ins";
    case VK_DELETE:
        return "Del";
    default:
        return nullptr;
    }
}

String KeyName(WORD Key) {
    if (const char* name = SpecialKeyName(Key)) return name;
    if ((Key >= '0' && Key <= '9') || (Key >= 'A' && Key <= 'Z')) return String(1, char(Key));
    if (Key >= VK_NUMPAD0 && Key <= VK_NUMPAD9) return String(1, char('0' + Key - VK_NUMPAD0));
    if (Key >= VK_F1 && Key <= VK_F24) {
        String name = "F";
        name.append(SysUtils::IntToStr(Key - VK_F1 + 1));
        return name;
    }
    // Any other key: the keyboard layout's name of it.
    UINT scan = MapVirtualKeyW(Key, MAPVK_VK_TO_VSC);
    if (scan == 0) return "";
    wchar_t text[64];
    int n = GetKeyNameTextW(LONG(scan << 16), text, 64);
    return n > 0 ? SysUtils::Utf16ToUtf8(
                       std::u16string_view(reinterpret_cast<const char16_t*>(text), size_t(n)))
                 : String();
}

std::vector<TPopupMenu*>& PopupMenus() {
    static std::vector<TPopupMenu*> list;
    return list;
}

} // namespace

TShortCut ShortCut(WORD Key, TShiftState Shift) {
    if (Key & 0xFF00) return 0;
    TShortCut result = TShortCut(Key);
    if (Shift.Contains(ssShift)) result |= scShift;
    if (Shift.Contains(ssCtrl)) result |= scCtrl;
    if (Shift.Contains(ssAlt)) result |= scAlt;
    return result;
}

String ShortCutToText(TShortCut Value) {
    String name = KeyName(WORD(Value & 0xFF));
    if (name.empty()) return "";
    String result;
    if (Value & scShift) result += "Shift+";
    if (Value & scCtrl) result += "Ctrl+";
    if (Value & scAlt) result += "Alt+";
    result.append(name);
    return result;
}

TShortCut TextToShortCut(const String& Text) {
    std::string_view rest = Text;
    TShortCut shift = 0;
    // The modifiers, in any order, each once.
    static constexpr std::pair<std::string_view, TShortCut> modifiers[] = {
        {"Shift+", scShift}, {"Ctrl+", scCtrl}, {"Alt+", scAlt}};
    for (bool found = true; found;) {
        found = false;
        for (auto [p, bit] : modifiers) {
            if (rest.size() > p.size() && SysUtils::SameText(rest.substr(0, p.size()), p) && !(shift & bit)) {
                shift |= bit;
                rest.remove_prefix(p.size());
                found = true;
            }
        }
    }
    if (rest.empty()) return 0;
    for (WORD key = 8; key <= 0xFF; ++key)
        if (SysUtils::SameText(KeyName(key), rest)) return TShortCut(key | shift);
    return 0;
}

// ==== TMenuItem ============================================================================================

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner), FCommand(UniqueCommand()) {}

TMenuItem::~TMenuItem() {
    // Invariant 2: out of the parent's entries first, then the sub-items, then the own menu.
    if (FParent != nullptr) FParent->Remove(this);
    if (FHandle != nullptr)
        while (GetMenuItemCount(FHandle) > 0)
            if (!RemoveMenu(FHandle, 0, MF_BYPOSITION)) break;
    while (!FItems.empty()) {
        TMenuItem* item = FItems.back();
        FItems.pop_back();
        item->FParent = nullptr;
        delete item;
    }
    if (FHandle != nullptr) DestroyMenu(FHandle);
    ReleaseCommand(FCommand);
}

HMENU TMenuItem::GetHandle() {
    if (FHandle == nullptr) {
        bool bar = FMenu != nullptr && FMenu->IsMenuBar();
        FHandle = WinHandles::Check(bar ? CreateMenu() : CreatePopupMenu(), "a menu");
        for (TMenuItem* item : FItems)
            if (item->FVisible) item->AppendTo(FHandle);
    }
    return FHandle;
}

void TMenuItem::AppendTo(HMENU Menu) {
    std::u16string text = SysUtils::Utf8ToUtf16(FCaption);
    if (FShortCut != 0) {
        text.push_back(u'\t');
        text.append(SysUtils::Utf8ToUtf16(ShortCutToText(FShortCut)));
    }
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_STATE;
    bool separator = FCaption == "-";
    info.fType = separator ? MFT_SEPARATOR : MFT_STRING;
    if (FBreak == mbBreak) info.fType |= MFT_MENUBREAK;
    if (FBreak == mbBarBreak) info.fType |= MFT_MENUBARBREAK;
    if (FRadioItem) info.fType |= MFT_RADIOCHECK;
    info.fState = (FChecked ? MFS_CHECKED : 0) | (FEnabled ? 0 : MFS_GRAYED) | (FDefault ? MFS_DEFAULT : 0);
    if (!separator) {
        info.fMask |= MIIM_STRING;
        info.dwTypeData = reinterpret_cast<LPWSTR>(text.data());
    }
    if (!FItems.empty()) {
        // Identified by its submenu, as entries with a submenu are.
        info.fMask |= MIIM_SUBMENU;
        info.hSubMenu = GetHandle();
    } else {
        info.fMask |= MIIM_ID;
        info.wID = FCommand;
    }
    InsertMenuItemW(Menu, UINT(-1), TRUE, &info);
}

void TMenuItem::RebuildHandle() {
    if (FHandle == nullptr) return;
    while (GetMenuItemCount(FHandle) > 0)
        if (!RemoveMenu(FHandle, 0, MF_BYPOSITION)) break;
    for (TMenuItem* item : FItems)
        if (item->FVisible) item->AppendTo(FHandle);
    TMenu* menu = GetParentMenu();
    Classes::TComponentState busy{Classes::csLoading, Classes::csDestroying};
    if (menu != nullptr && (menu->GetComponentState() * busy).Empty() && (GetComponentState() * busy).Empty())
        menu->MenuChanged(this);
}

void TMenuItem::Changed() {
    if (FParent != nullptr) FParent->RebuildHandle();
}

void TMenuItem::SetCaption(const String& Value) {
    if (FCaption == Value) return;
    FCaption = Value;
    Changed();
}

void TMenuItem::SetBreak(TMenuBreak Value) {
    if (FBreak == Value) return;
    FBreak = Value;
    Changed();
}

void TMenuItem::SetChecked(bool Value) {
    if (FChecked == Value) return;
    FChecked = Value;
    Changed();
}

void TMenuItem::SetDefault(bool Value) {
    if (FDefault == Value) return;
    FDefault = Value;
    Changed();
}

void TMenuItem::SetEnabled(bool Value) {
    if (FEnabled == Value) return;
    FEnabled = Value;
    Changed();
}

void TMenuItem::SetRadioItem(bool Value) {
    if (FRadioItem == Value) return;
    FRadioItem = Value;
    Changed();
}

void TMenuItem::SetShortCut(TShortCut Value) {
    if (FShortCut == Value) return;
    FShortCut = Value;
    Changed();
}

void TMenuItem::SetVisible(bool Value) {
    if (FVisible == Value) return;
    FVisible = Value;
    Changed();
}

TMenuItem* TMenuItem::GetItem(int Index) const {
    if (Index < 0 || Index >= GetCount()) throw EMenuError("Menu index out of range");
    return FItems[size_t(Index)];
}

void TMenuItem::Add(TMenuItem* Item) {
    Insert(GetCount(), Item);
}

void TMenuItem::Insert(int Index, TMenuItem* Item) {
    if (Item == nullptr) return;
    if (Item->FParent != nullptr) throw EMenuError("Menu inserted twice");
    if (Index < 0 || Index > GetCount()) throw EMenuError("Menu index out of range");
    for (TMenuItem* p = this; p != nullptr; p = p->FParent)
        if (p == Item) throw EMenuError("Sub-menu is not in menu");
    bool first = FItems.empty();
    FItems.insert(FItems.begin() + Index, Item);
    Item->FParent = this;
    RebuildHandle();
    // The first sub-item makes this entry one that opens a submenu.
    if (first) Changed();
}

void TMenuItem::Delete(int Index) {
    TMenuItem* item = GetItem(Index);
    FItems.erase(FItems.begin() + Index);
    item->FParent = nullptr;
    RebuildHandle();
    if (FItems.empty()) Changed();
}

void TMenuItem::Remove(TMenuItem* Item) {
    int index = IndexOf(Item);
    if (index < 0) throw EMenuError("Sub-menu is not in menu");
    Delete(index);
}

void TMenuItem::Clear() {
    while (!FItems.empty())
        delete FItems.back(); // each one leaves the list (invariant 1)
}

int TMenuItem::IndexOf(const TMenuItem* Item) const {
    auto it = std::find(FItems.begin(), FItems.end(), Item);
    return it == FItems.end() ? -1 : int(it - FItems.begin());
}

int TMenuItem::GetMenuIndex() const {
    return FParent != nullptr ? FParent->IndexOf(this) : -1;
}

void TMenuItem::SetMenuIndex(int Value) {
    if (FParent == nullptr) return;
    TMenuItem* parent = FParent;
    int count = parent->GetCount();
    Value = std::clamp(Value, 0, count - 1);
    int current = GetMenuIndex();
    if (Value == current) return;
    parent->FItems.erase(parent->FItems.begin() + current);
    parent->FItems.insert(parent->FItems.begin() + Value, this);
    parent->RebuildHandle();
}

TMenu* TMenuItem::GetParentMenu() const {
    const TMenuItem* item = this;
    while (item->FParent != nullptr)
        item = item->FParent;
    return item->FMenu;
}

void TMenuItem::Click() {
    FOnClick(this);
}

TComponent* TMenuItem::GetParentComponent() const {
    if (FParent != nullptr && FParent->FMenu != nullptr) return FParent->FMenu;
    return FParent;
}

void TMenuItem::SetParentComponent(TComponent* Value) {
    if (FParent != nullptr) FParent->Remove(this);
    if (auto* menu = dynamic_cast<TMenu*>(Value))
        menu->GetItems()->Add(this);
    else if (auto* item = dynamic_cast<TMenuItem*>(Value))
        item->Add(this);
}

void TMenuItem::GetChildren(const Classes::TGetChildProc& Proc, TComponent*) {
    for (TMenuItem* item : FItems)
        Proc(item);
}

void TMenuItem::SetChildOrder(TComponent* Child, int Order) {
    if (auto* item = dynamic_cast<TMenuItem*>(Child); item != nullptr && item->FParent == this)
        item->SetMenuIndex(Order);
}

TMenuItem* TMenuItem::Find(UINT_PTR Value, TFindItemKind Kind) {
    for (TMenuItem* item : FItems) {
        bool match = false;
        switch (Kind) {
        case fkCommand:
            match = item->FCommand == Value;
            break;
        case fkHandle:
            match = item->FHandle != nullptr && UINT_PTR(item->FHandle) == Value;
            break;
        case fkShortCut:
            match = item->FShortCut != 0 && item->FShortCut == Value;
            break;
        }
        if (match) return item;
        if (TMenuItem* found = item->Find(Value, Kind)) return found;
    }
    return nullptr;
}

PUBLISHED(TMenuItem, "Menus", Prop<&TMenuItem::GetBreak, &TMenuItem::SetBreak>("Break").Default(mbNone),
          Prop<&TMenuItem::GetCaption, &TMenuItem::SetCaption>("Caption"),
          Prop<&TMenuItem::GetChecked, &TMenuItem::SetChecked>("Checked").Default(false),
          Prop<&TMenuItem::GetDefault, &TMenuItem::SetDefault>("Default").Default(false),
          Prop<&TMenuItem::GetEnabled, &TMenuItem::SetEnabled>("Enabled").Default(true),
          Prop<&TMenuItem::GetGroupIndex, &TMenuItem::SetGroupIndex>("GroupIndex").Default(0),
          Prop<&TMenuItem::GetHelpContext, &TMenuItem::SetHelpContext>("HelpContext").Default(0),
          Prop<&TMenuItem::GetHint, &TMenuItem::SetHint>("Hint"),
          Prop<&TMenuItem::GetRadioItem, &TMenuItem::SetRadioItem>("RadioItem").Default(false),
          Prop<&TMenuItem::GetShortCut, &TMenuItem::SetShortCut>("ShortCut").Default(0),
          Prop<&TMenuItem::GetVisible, &TMenuItem::SetVisible>("Visible").Default(true),
          Prop<&TMenuItem::GetOnClick, &TMenuItem::SetOnClick>("OnClick"));

// ==== TMenu ================================================================================================

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), FItems(new TMenuItem(this)) {
    FItems->FMenu = this;
}

TMenu::~TMenu() = default; // the root item is one of the menu's components

TMenuItem* TMenu::FindItem(UINT_PTR Value, TFindItemKind Kind) {
    return FItems->Find(Value, Kind);
}

bool TMenu::DispatchCommand(WORD Command) {
    TMenuItem* item = FindItem(Command, fkCommand);
    if (item == nullptr) return false;
    item->Click();
    return true;
}

bool TMenu::DispatchPopup(HMENU AMenu) {
    TMenuItem* item = FindItem(UINT_PTR(AMenu), fkHandle);
    if (item == nullptr) return false;
    item->Click();
    return true;
}

bool TMenu::IsShortCut(Messages::TMessage& Message) {
    TShiftState shift;
    if (GetKeyState(VK_SHIFT) < 0) shift.Include(ssShift);
    if (GetKeyState(VK_CONTROL) < 0) shift.Include(ssCtrl);
    if (GetKeyState(VK_MENU) < 0) shift.Include(ssAlt);
    TShortCut shortCut = ShortCut(WORD(Message.WParam & 0xFF), shift);
    if (shortCut == 0) return false;
    TMenuItem* item = FindItem(shortCut, fkShortCut);
    if (item == nullptr) return false;
    // An item counts only when it and every item above it are enabled.
    for (TMenuItem* p = item; p != nullptr; p = p->GetParent())
        if (!p->GetEnabled()) return false;
    item->Click();
    return true;
}

int32_t TMenu::GetHelpContext(UINT_PTR Value, bool ByCommand) {
    TMenuItem* item = FindItem(Value, ByCommand ? fkCommand : fkHandle);
    while (item != nullptr && item->GetHelpContext() == 0)
        item = item->GetParent();
    return item != nullptr ? item->GetHelpContext() : 0;
}

void TMenu::GetChildren(const Classes::TGetChildProc& Proc, TComponent* Root) {
    FItems->GetChildren(Proc, Root);
}

void TMenu::SetChildOrder(TComponent* Child, int Order) {
    FItems->SetChildOrder(Child, Order);
}

void TMenu::MenuChanged(TMenuItem*) {}

PUBLISHED(TMenu, "Menus");

// ==== TMainMenu ============================================================================================

TMainMenu::TMainMenu(TComponent* AOwner) : TMenu(AOwner) {}

TMainMenu::~TMainMenu() {
    // A window destroys the menu bar it shows: the bar is taken back before the items destroy it.
    HWND wnd = GetWindowHandle();
    if (wnd != nullptr && IsWindow(wnd) && GetItems()->HandleAllocated() && ::GetMenu(wnd) == GetHandle())
        ::SetMenu(wnd, nullptr);
}

void TMainMenu::MenuChanged(TMenuItem*) {
    HWND wnd = GetWindowHandle();
    if (wnd == nullptr || !IsWindow(wnd)) return;
    DrawMenuBar(wnd);
    SendMessageW(wnd, CM_MENUCHANGED, 0, 0);
}

PUBLISHED(TMainMenu, "Menus",
          Prop<&TMainMenu::GetAutoMerge, &TMainMenu::SetAutoMerge>("AutoMerge").Default(false));

// ==== TPopupMenu ===========================================================================================

namespace {

// The owner of the menus Popup shows: their commands and opening submenus reach the popup menus here.
class TPopupList : public TObject {
public:
    HWND Window() {
        if (FWindow == nullptr) {
            HINSTANCE instance = Controls::FrameworkInstance();
            Controls::RegisterPlainWindowClass(L"TPopupListWindow", nullptr, "the popup list window class");
            // A hidden top-level window: a message-only window cannot own a menu.
            FWindow = WinHandles::Check(CreateWindowExW(WS_EX_TOOLWINDOW, L"TPopupListWindow", L"", WS_POPUP,
                                                        0, 0, 0, 0, nullptr, nullptr, instance, nullptr),
                                        "the popup list window");
            FInstance = Controls::MakeObjectInstance(Messages::TWndMethod::Bind<&TPopupList::WndProc>(this));
            FDefProc = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrW(FWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FInstance)));
        }
        return FWindow;
    }
    ~TPopupList() override {
        if (FWindow != nullptr) {
            SetWindowLongPtrW(FWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FDefProc));
            DestroyWindow(FWindow);
            Controls::FreeObjectInstance(FInstance);
        }
    }

private:
    void WndProc(Messages::TMessage& Message) {
        switch (Message.Msg) {
        case WM_COMMAND:
            for (TPopupMenu* menu : std::vector<TPopupMenu*>(PopupMenus()))
                if (menu->DispatchCommand(LOWORD(Message.WParam))) return;
            break;
        case WM_INITMENUPOPUP:
            for (TPopupMenu* menu : std::vector<TPopupMenu*>(PopupMenus()))
                if (menu->DispatchPopup(reinterpret_cast<HMENU>(Message.WParam))) return;
            break;
        }
        Message.Result = CallWindowProcW(FDefProc, FWindow, Message.Msg, Message.WParam, Message.LParam);
    }

    HWND FWindow = nullptr;
    WNDPROC FInstance = nullptr;
    WNDPROC FDefProc = nullptr;
};

TPopupList& PopupList() {
    static TPopupList list;
    return list;
}

} // namespace

HWND PopupListWindow() {
    return PopupList().Window();
}

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {
    PopupMenus().push_back(this);
}

TPopupMenu::~TPopupMenu() {
    auto& list = PopupMenus();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void TPopupMenu::DoPopup() {
    FOnPopup(this);
}

void TPopupMenu::Popup(int X, int Y) {
    DoPopup();
    static constexpr UINT alignments[] = {TPM_LEFTALIGN, TPM_RIGHTALIGN, TPM_CENTERALIGN};
    HWND owner = PopupListWindow();
    SetWindowHandle(owner);
    TrackPopupMenu(GetHandle(), alignments[FAlignment] | TPM_RIGHTBUTTON, X, Y, 0, owner, nullptr);
}

PUBLISHED(TPopupMenu, "Menus",
          Prop<&TPopupMenu::GetAlignment, &TPopupMenu::SetAlignment>("Alignment").Default(paLeft),
          Prop<&TPopupMenu::GetAutoPopup, &TPopupMenu::SetAutoPopup>("AutoPopup").Default(true),
          Prop<&TPopupMenu::GetHelpContext, &TPopupMenu::SetHelpContext>("HelpContext").Default(0),
          Prop<&TPopupMenu::GetOnPopup, &TPopupMenu::SetOnPopup>("OnPopup"));

namespace {

struct TMenusUnit {
    TMenusUnit() {
        Classes::RegisterClasses({&TMenuItem::ClassInfo, &TMainMenu::ClassInfo, &TPopupMenu::ClassInfo});
    }
} MenusUnit;

} // namespace

} // namespace Menus

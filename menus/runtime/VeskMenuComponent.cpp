// VeskMenu: TVeskMenu, the menu component with its item list, images and refresh steps.
//
// Invariants:
//   1. An item is in FItems exactly while its FParent is this component (TVeskMenuItem::SetParent and
//      SetItem keep both in step).
//   2. FImages and FDisabledImages are live image lists with the component's change link registered, or
//      null: a list that is freed clears its link and the property (Notification).
#include "menus/runtime/VeskMenu.h"

#include <algorithm>

namespace VeskMenu {

using namespace TypInfo;
using ImgList::TCustomImageList;

namespace {

[[noreturn]] void IndexError(int Index) {
    throw Classes::EListError("List index out of bounds (" + SysUtils::IntToStr(Index) + ")");
}

// The Windows flags of a linked menu item's entry, without MF_OWNERDRAW.
UINT EntryFlags(const Menus::TMenuItem& Item) {
    UINT flags = Item.GetCaption() == "-" ? MF_SEPARATOR : MF_STRING;
    if (Item.GetBreak() == Menus::mbBreak) flags |= MF_MENUBREAK;
    if (Item.GetBreak() == Menus::mbBarBreak) flags |= MF_MENUBARBREAK;
    if (!Item.GetEnabled()) flags |= MF_DISABLED | MF_GRAYED;
    if (Item.GetChecked()) flags |= MF_CHECKED;
    if (Item.GetRadioItem()) flags |= MFT_RADIOCHECK;
    if (Item.GetDefault()) flags |= MFS_DEFAULT;
    return flags;
}

// The system does not take the default state from ModifyMenu's flags everywhere: it is set on its own.
void MarkDefault(Menus::TMenuItem& Item) {
    if (Item.GetDefault() && Item.GetParent() != nullptr)
        SetMenuDefaultItem(Item.GetParent()->GetHandle(), Item.GetCommand(), FALSE);
}

} // namespace

TVeskMenu::TVeskMenu(TComponent* AOwner)
    : TComponent(AOwner), FWallpaper(std::make_unique<Graphics::TBitmap>()),
      FSelWallpaper(std::make_unique<Graphics::TBitmap>()), BarBitmap(std::make_unique<Graphics::TBitmap>()),
      FMenuBar(std::make_unique<TVeskMenuBar>()), FImagesLink(std::make_unique<ImgList::TChangeLink>()),
      FDisabledImagesLink(std::make_unique<ImgList::TChangeLink>()) {
    if (dynamic_cast<Controls::TWinControl*>(AOwner) == nullptr)
        throw Classes::EInvalidOperation(
            "A menu component needs a form or another windowed control as owner");
    FImagesLink->OnChange = TNotifyEvent::Bind<&TVeskMenu::ImagesChanged>(this);
    FDisabledImagesLink->OnChange = TNotifyEvent::Bind<&TVeskMenu::DisabledImagesChanged>(this);
    FMenuBar->OnChanged = TNotifyEvent::Bind<&TVeskMenu::RefreshBar>(this);
    Hook(); // last: from now on the owner's menu messages pass through WndProc
}

TVeskMenu::~TVeskMenu() {
    // Every decorated entry a plain string entry again, before anything goes.
    Refresh(this, RA_RESTORE);
    Unhook();
    while (!FItems.empty())
        delete FItems.back(); // each item leaves the list as it goes (invariant 1)
    if (FImages != nullptr) FImages->UnRegisterChanges(FImagesLink.get());
    if (FDisabledImages != nullptr) FDisabledImages->UnRegisterChanges(FDisabledImagesLink.get());
    FWallpaper.reset();
    FSelWallpaper.reset();
    BarBitmap.reset();
    FMenuBar.reset();
    FDisabledImagesLink.reset();
    FImagesLink.reset();
}

HWND TVeskMenu::OwnerHandle() const {
    auto* owner = dynamic_cast<Controls::TWinControl*>(GetOwner());
    return owner != nullptr && owner->HandleAllocated() ? owner->GetHandle() : nullptr;
}

// ---- Items ------------------------------------------------------------------------------------------------

TVeskMenuItem* TVeskMenu::GetItem(int Index) const {
    if (Index < 0 || Index >= GetCount()) IndexError(Index);
    return FItems[size_t(Index)];
}

void TVeskMenu::SetItem(int Index, TVeskMenuItem* Value) {
    TVeskMenuItem* old = GetItem(Index);
    if (old == Value) return;
    // Value leaves the list it was in (perhaps this one) before it takes the freed item's place.
    if (Value != nullptr) Value->SetParent(nullptr);
    Index = int(std::find(FItems.begin(), FItems.end(), old) - FItems.begin());
    delete old;
    if (Value == nullptr) return;
    FItems.insert(FItems.begin() + Index, Value);
    Value->FParent = this;
}

TVeskMenuItem* TVeskMenu::NewItem() {
    auto* item = new TVeskMenuItem(GetOwner());
    item->SetParent(this);
    return item;
}

int TVeskMenu::AddItem(TVeskMenuItem* Item) {
    FItems.push_back(Item);
    Item->FParent = this;
    return GetCount() - 1;
}

void TVeskMenu::RemoveItem(TVeskMenuItem* Item, bool FreeIt) {
    auto it = std::find(FItems.begin(), FItems.end(), Item);
    if (it == FItems.end()) return;
    FItems.erase(it);
    if (FreeIt) delete Item;
}

void TVeskMenu::ExchangeItems(int Index1, int Index2) {
    if (Index1 < 0 || Index1 >= GetCount()) IndexError(Index1);
    if (Index2 < 0 || Index2 >= GetCount()) IndexError(Index2);
    std::swap(FItems[size_t(Index1)], FItems[size_t(Index2)]);
}

TVeskMenuItem* TVeskMenu::FindItem(Menus::TMenu* Menu, Menus::TMenuItem* MenuItem) const {
    for (TVeskMenuItem* item : FItems)
        if (item->FMenu == Menu && item->FMenuItem == MenuItem) return item;
    return nullptr;
}

void TVeskMenu::GetChildren(const Classes::TGetChildProc& Proc, TComponent*) {
    for (TVeskMenuItem* item : std::vector<TVeskMenuItem*>(FItems))
        Proc(item);
}

void TVeskMenu::SetChildOrder(TComponent* Child, int Order) {
    auto it = std::find(FItems.begin(), FItems.end(), Child);
    if (it == FItems.end()) return;
    auto* item = *it;
    FItems.erase(it);
    Order = std::clamp(Order, 0, GetCount());
    FItems.insert(FItems.begin() + Order, item);
}

void TVeskMenu::Loaded() {
    inherited::Loaded();
    if (FActive) Refresh(this, RA_REFRESH);
}

// ---- Properties -------------------------------------------------------------------------------------------

void TVeskMenu::SetActive(bool Value) {
    Refresh(this, Value ? RA_REFRESH : RA_RESTORE);
    FActive = Value;
}

void TVeskMenu::SwitchList(TCustomImageList*& List, ImgList::TChangeLink& Link, TCustomImageList* Value,
                           bool Disabled) {
    if (List != nullptr) {
        List->UnRegisterChanges(&Link);
        TCustomImageList* other = Disabled ? FImages : FDisabledImages;
        if (List != Value && List != other) List->RemoveFreeNotification(this);
        for (TVeskMenuItem* item : FItems)
            Disabled ? item->SetDisabledPicture(nullptr) : item->SetPicture(nullptr);
    }
    List = Value;
    if (Value != nullptr) {
        Value->RegisterChanges(&Link);
        Value->FreeNotification(this);
        AddImages(Disabled ? nullptr : Value, Disabled ? Value : nullptr, true);
    }
}

void TVeskMenu::SetImages(TCustomImageList* Value) {
    SwitchList(FImages, *FImagesLink, Value, false);
}

void TVeskMenu::SetDisabledImages(TCustomImageList* Value) {
    SwitchList(FDisabledImages, *FDisabledImagesLink, Value, true);
}

void TVeskMenu::ImagesChanged(TObject* Sender) {
    SetImages(dynamic_cast<TCustomImageList*>(Sender));
}

void TVeskMenu::DisabledImagesChanged(TObject* Sender) {
    SetDisabledImages(dynamic_cast<TCustomImageList*>(Sender));
}

void TVeskMenu::Notification(TComponent* AComponent, Classes::TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    if (Operation != Classes::opRemove) return;
    // The list is being destroyed and has let the links go: only the references are cleared.
    if (AComponent == FImages) FImages = nullptr;
    if (AComponent == FDisabledImages) FDisabledImages = nullptr;
}

// ---- Images -----------------------------------------------------------------------------------------------

void TVeskMenu::AddImages(TCustomImageList* Images, TCustomImageList* DisabledImages, bool SkipSeparators) {
    int n = std::max(Images != nullptr ? Images->GetCount() : 0,
                     DisabledImages != nullptr ? DisabledImages->GetCount() : 0);
    int shift = 0;
    for (int i = 0; i < n; ++i) {
        if (i >= GetCount() || !FItems[size_t(i)]->IsAssigned()) continue;
        if (SkipSeparators && FItems[size_t(i)]->FMenuItem->GetCaption() == "-") ++shift;
        if (i + shift >= GetCount()) return;
        TVeskMenuItem* target = FItems[size_t(i + shift)];
        if (Images != nullptr) {
            Graphics::TBitmap* bitmap = target->FPicture->GetBitmap();
            Images->GetBitmap(i, bitmap);
            target->SetImageIndex(i);
            if (bitmap->GetWidth() > 0 && bitmap->GetHeight() > 0)
                target->FTrColor = bitmap->GetCanvas()->GetPixel(0, bitmap->GetHeight() - 1);
        }
        if (DisabledImages != nullptr) {
            DisabledImages->GetBitmap(i, target->FPicture->GetBitmap());
            target->SetImageIndex(i);
        }
    }
}

// ---- Refresh ----------------------------------------------------------------------------------------------

void TVeskMenu::Refresh(TObject* Sender, TRefreshAction Action) {
    switch (Action) {
    case RA_NONE:
        return;
    case RA_REFRESH:
    case RA_RESTORE: {
        auto step = Action == RA_REFRESH ? &TVeskMenu::OwnerDraw : &TVeskMenu::Restore;
        if (auto* item = dynamic_cast<TVeskMenuItem*>(Sender)) {
            (this->*step)(item);
            return;
        }
        for (TVeskMenuItem* item : std::vector<TVeskMenuItem*>(FItems))
            (this->*step)(item);
        return;
    }
    case RA_REFRESHWITHBAR:
        Refresh(Sender, RA_REFRESH);
        if (HWND owner = OwnerHandle()) DrawMenuBar(owner);
        return;
    }
}

void TVeskMenu::OwnerDraw(TVeskMenuItem* Item) {
    if (!Item->IsAssigned()) return;
    if (Item->FOptions.Contains(omAlwaysDefFont)) SetMenuFont(*Item->FFont);
    if (Item->FOptions.Contains(omAlwaysDefFontSize)) {
        Graphics::TFont menuFont;
        Item->FFont->SetHeight(SetMenuFont(menuFont));
    }
    Menus::TMenu& menu = *Item->FMenu;
    Menus::TMenuItem& menuItem = *Item->FMenuItem;
    WORD command = menuItem.GetCommand();
    ModifyMenuW(menu.GetHandle(), command, EntryFlags(menuItem) | MF_OWNERDRAW, command, nullptr);
    MarkDefault(menuItem);
    // An entry of the menu's top level (the menu bar) can stand at the right edge.
    if (menuItem.GetParent() != nullptr && menuItem.GetParent()->GetHandle() == menu.GetHandle())
        SetRightJustify(menu, menuItem, Item->FOptions.Contains(omRightJustified));
}

void TVeskMenu::Restore(TVeskMenuItem* Item) {
    if (!Item->IsAssigned()) return;
    Menus::TMenuItem& menuItem = *Item->FMenuItem;
    // The whole caption, a tab and the shortcut's text (empty without one).
    std::u16string text =
        SysUtils::Utf8ToUtf16(menuItem.GetCaption() + "\t" + Menus::ShortCutToText(menuItem.GetShortCut()));
    WORD command = menuItem.GetCommand();
    ModifyMenuW(Item->FMenu->GetHandle(), command, EntryFlags(menuItem), command,
                reinterpret_cast<LPCWSTR>(text.c_str()));
    MarkDefault(menuItem);
}

PUBLISHED(TVeskMenu, "VeskMenu", Prop<&TVeskMenu::GetMenuBar, &TVeskMenu::SetMenuBar>("MenuBar"),
          Prop<&TVeskMenu::GetWallpaper, &TVeskMenu::SetWallpaper>("Wallpaper"),
          Prop<&TVeskMenu::GetSelWallpaper, &TVeskMenu::SetSelWallpaper>("SelWallpaper"),
          Prop<&TVeskMenu::GetActive, &TVeskMenu::SetActive>("Active").Default(true),
          Prop<&TVeskMenu::FMenuRefresh>("MenuRefresh").Default(RA_REFRESH),
          Prop<&TVeskMenu::FCursor>("Cursor").Default(0),
          Prop<&TVeskMenu::GetShowBar, &TVeskMenu::SetShowBar>("ShowBar").Default(false),
          Prop<&TVeskMenu::FHSpace>("HSpace").Type(&SpaceInt_TypeInfo).Default(5),
          Prop<&TVeskMenu::FVSpace>("VSpace").Type(&SpaceInt_TypeInfo).Default(2),
          Prop<&TVeskMenu::GetImages, &TVeskMenu::SetImages>("Images"),
          Prop<&TVeskMenu::GetDisabledImages, &TVeskMenu::SetDisabledImages>("DisabledImages"),
          Prop<&TVeskMenu::OnPopup>("OnPopup"), Prop<&TVeskMenu::OnMeasure>("OnMeasure"),
          Prop<&TVeskMenu::OnItemSelect>("OnItemSelect"));

} // namespace VeskMenu

// VeskMenu: the appearance model (TShadowText, TVeskMenuBar, TVeskMenuItem).
#include "menus/runtime/VeskMenu.h"

#include "framework/core/ClassesReaderWriter.h"
#include "menus/runtime/VeskMenuImageCache.h"

namespace VeskMenu {

using namespace TypInfo;
using Graphics::TBitmap;

// ==== TShadowText ==========================================================================================

void TShadowText::Assign(TPersistent* Source) {
    if (auto* source = dynamic_cast<TShadowText*>(Source)) {
        FActive = source->FActive;
        FShadowColor = source->FShadowColor;
        FSelShadowColor = source->FSelShadowColor;
        FShadowSize = source->FShadowSize;
        FSelShadowSize = source->FSelShadowSize;
        FShadowPos = source->FShadowPos;
        FSelShadowPos = source->FSelShadowPos;
        FOptions = source->FOptions;
        return;
    }
    inherited::Assign(Source);
}

PUBLISHED(TShadowText, "VeskMenu", Prop<&TShadowText::FActive>("Active").Default(false),
          Prop<&TShadowText::FOptions>("Options").Default(TShadowOptions{soNoShadowIfSel}),
          Prop<&TShadowText::FShadowColor>("ShadowColor")
              .Type(&Graphics::TColor_TypeInfo)
              .Default(Graphics::clBtnHighlight),
          Prop<&TShadowText::FSelShadowColor>("SelShadowColor")
              .Type(&Graphics::TColor_TypeInfo)
              .Default(Graphics::clBtnHighlight),
          Prop<&TShadowText::FShadowSize>("ShadowSize").Default(1),
          Prop<&TShadowText::FSelShadowSize>("SelShadowSize").Default(1),
          Prop<&TShadowText::FShadowPos>("ShadowPos").Default(spLeftTop),
          Prop<&TShadowText::FSelShadowPos>("SelShadowPos").Default(spLeftTop));

// ==== TVeskMenuBar =========================================================================================

void TVeskMenuBar::Assign(TPersistent* Source) {
    if (auto* source = dynamic_cast<TVeskMenuBar*>(Source)) {
        FCaption = source->FCaption;
        FSize = source->FSize;
        FSpace = source->FSpace;
        FBackFrom = source->FBackFrom;
        FBackTo = source->FBackTo;
        FFore = source->FFore;
        FIsSerif = source->FIsSerif;
        FIsGradient = source->FIsGradient;
        FIsSeparator = source->FIsSeparator;
        FCaptionAlign = source->FCaptionAlign;
        OnChanged = source->OnChanged;
        return;
    }
    inherited::Assign(Source);
}

void TVeskMenuBar::Changed() {
    OnChanged(this);
}

// The setters store and report, whatever the old value was: a bar change repaints the bar.
#define BAR_SETTER(Name, Type)                                                                               \
    void TVeskMenuBar::Set##Name(Type Value) {                                                               \
        F##Name = Value;                                                                                     \
        Changed();                                                                                           \
    }
BAR_SETTER(Caption, const String&)
BAR_SETTER(Size, int32_t)
BAR_SETTER(Space, uint16_t)
BAR_SETTER(BackFrom, TColor)
BAR_SETTER(BackTo, TColor)
BAR_SETTER(Fore, TColor)
BAR_SETTER(IsSerif, bool)
BAR_SETTER(IsGradient, bool)
BAR_SETTER(IsSeparator, bool)
BAR_SETTER(CaptionAlign, TCaptionAlign)
#undef BAR_SETTER

void TVeskMenuBar::AddItem(const TVeskBarCaptionData& Data) {
    FItems.push_back(std::make_unique<TVeskBarCaptionData>(Data));
    Changed();
}

void TVeskMenuBar::RemoveItem(const String& Caption) {
    String wanted = SysUtils::AnsiUpperCase(Caption);
    for (auto it = FItems.begin(); it != FItems.end(); ++it)
        if (*it && SysUtils::AnsiUpperCase((*it)->Caption) == wanted) {
            FItems.erase(it);
            break;
        }
    Changed();
}

void TVeskMenuBar::DeleteItem(int Index) {
    if (Index < 0) throw Classes::EListError("List index out of bounds (" + SysUtils::IntToStr(Index) + ")");
    if (Index < GetItemCount()) FItems.erase(FItems.begin() + Index);
    Changed();
}

bool TVeskMenuBar::GetItem(int Index, TVeskBarCaptionData& Data) const {
    if (Index < 0 || Index >= GetItemCount() || !FItems[size_t(Index)]) return false;
    Data = *FItems[size_t(Index)];
    return true;
}

bool TVeskMenuBar::SetItem(int Index, const TVeskBarCaptionData& Data) {
    bool done = false;
    if (Index >= 0 && Index < GetItemCount()) {
        auto& slot = FItems[size_t(Index)];
        if (!slot) slot = std::make_unique<TVeskBarCaptionData>();
        *slot = Data;
        done = true;
    }
    Changed();
    return done;
}

void TVeskMenuBar::Clear() {
    while (!FItems.empty())
        DeleteItem(0);
    Changed();
}

PUBLISHED(
    TVeskMenuBar, "VeskMenu", Prop<&TVeskMenuBar::GetCaption, &TVeskMenuBar::SetCaption>("Caption"),
    Prop<&TVeskMenuBar::GetSize, &TVeskMenuBar::SetSize>("Size").Default(11),
    Prop<&TVeskMenuBar::GetSpace, &TVeskMenuBar::SetSpace>("Space").Default(0),
    Prop<&TVeskMenuBar::GetBackFrom, &TVeskMenuBar::SetBackFrom>("BackFrom")
        .Type(&Graphics::TColor_TypeInfo)
        .Default(Graphics::clBlack),
    Prop<&TVeskMenuBar::GetBackTo, &TVeskMenuBar::SetBackTo>("BackTo")
        .Type(&Graphics::TColor_TypeInfo)
        .Default(Graphics::clBlue),
    Prop<&TVeskMenuBar::GetFore, &TVeskMenuBar::SetFore>("Fore")
        .Type(&Graphics::TColor_TypeInfo)
        .Default(Graphics::clWhite),
    Prop<&TVeskMenuBar::GetIsSerif, &TVeskMenuBar::SetIsSerif>("IsSerif").Default(true),
    Prop<&TVeskMenuBar::GetIsGradient, &TVeskMenuBar::SetIsGradient>("IsGradient").Default(false),
    Prop<&TVeskMenuBar::GetIsSeparator, &TVeskMenuBar::SetIsSeparator>("IsSeparator").Default(true),
    Prop<&TVeskMenuBar::GetCaptionAlign, &TVeskMenuBar::SetCaptionAlign>("CaptionAlign").Default(alDown),
    Prop<&TVeskMenuBar::OnChanged>("OnChanged"));

// ==== TVeskMenuItem ========================================================================================

namespace {

// The colour of a bitmap's bottom-left pixel, or Fallback for an empty bitmap.
TColor BottomLeftPixel(TBitmap& Bitmap, TColor Fallback) {
    if (Bitmap.GetWidth() <= 0 || Bitmap.GetHeight() <= 0) return Fallback;
    return Bitmap.GetCanvas()->GetPixel(0, Bitmap.GetHeight() - 1);
}

void LoadPackageBitmap(TBitmap& Bitmap, const char* Name) {
    Bitmap.LoadFromResourceName(PackageInstance(), Name);
}

} // namespace

TVeskMenuItem::TVeskMenuItem(TComponent* AOwner)
    : TComponent(AOwner), FPicture(std::make_unique<Graphics::TPicture>()),
      FDisabledPicture(std::make_unique<Graphics::TPicture>()), FWorkBitmap(std::make_unique<TBitmap>()),
      FCheckBitmap(std::make_unique<TBitmap>()), FRadioBitmap(std::make_unique<TBitmap>()),
      FShadow(std::make_unique<TShadowText>()) {
    FFont = std::make_unique<Graphics::TFont>();
    LoadPackageBitmap(*FCheckBitmap, "BMP_CHECK");
    LoadPackageBitmap(*FRadioBitmap, "BMP_RADIO");
    FLayout.CheckWidth = LOWORD(GetMenuCheckMarkDimensions());
    SetMenuFont(*FFont);
    FPicture->OnChange = TNotifyEvent::Bind<&TVeskMenuItem::PictureChanged>(this);
    FDisabledPicture->OnChange = TNotifyEvent::Bind<&TVeskMenuItem::PictureChanged>(this);
}

TVeskMenuItem::~TVeskMenuItem() {
    SetParent(nullptr);
}

void TVeskMenuItem::SetParent(TVeskMenu* Value) {
    if (Value == FParent) return;
    if (FParent != nullptr) FParent->RemoveItem(this);
    if (Value != nullptr) Value->AddItem(this);
    FParent = Value;
}

void TVeskMenuItem::SetPicture(Graphics::TPicture* Value) {
    FPicture->Assign(Value);
    if (auto* bitmap = dynamic_cast<TBitmap*>(FPicture->GetGraphic()))
        FTrColor = BottomLeftPixel(*bitmap, FTrColor);
}

void TVeskMenuItem::SetOptions(TMenuOptions Value) {
    const TMenuOptions watched{omRightJustified, omNoImageAttached};
    bool refresh = false;
    if (!((FOptions + Value) * watched).Empty() && FParent != nullptr) {
        if (Value.Contains(omNoImageAttached)) FParent->SetHSpace(3);
        refresh = true;
    }
    FOptions = Value;
    if (refresh) FParent->Refresh(this, RA_REFRESHWITHBAR);
}

void TVeskMenuItem::SetMenu(Menus::TMenu* Value) {
    if (Value == FMenu) return;
    if (FMenu != nullptr) FMenu->RemoveFreeNotification(this);
    FMenu = Value;
    if (FMenu != nullptr) FMenu->FreeNotification(this);
}

void TVeskMenuItem::SetMenuItem(Menus::TMenuItem* Value) {
    if (FMenuItem != nullptr && FParent != nullptr) FParent->Refresh(this, RA_RESTORE);
    if (FMenuItem != nullptr && FMenuItem != Value) FMenuItem->RemoveFreeNotification(this);
    FMenuItem = Value;
    if (Value == nullptr) return;
    Value->FreeNotification(this);
    // The menu that holds the item: the first of the item's owner's menus whose tree has its command.
    if (TComponent* owner = Value->GetOwner())
        for (int i = 0; i < owner->GetComponentCount(); ++i)
            if (auto* menu = dynamic_cast<Menus::TMenu*>(owner->GetComponent(i)))
                if (menu->FindItem(Value->GetCommand(), Menus::fkCommand) != nullptr) {
                    SetMenu(menu);
                    break;
                }
}

void TVeskMenuItem::SetImageIndex(int32_t Value) {
    // A negative index is "no image": it is stored, nothing is copied.
    if (FParent != nullptr && Value >= 0) {
        if (ImgList::TCustomImageList* images = FParent->GetImages()) {
            if (Value > images->GetCount() - 1) throw SysUtils::Exception("Index out of bounds");
            TBitmap* bitmap = FPicture->GetBitmap();
            images->GetBitmap(Value, bitmap);
            FTrColor = BottomLeftPixel(*bitmap, FTrColor);
        }
        if (ImgList::TCustomImageList* images = FParent->GetDisabledImages()) {
            if (Value > images->GetCount() - 1) throw SysUtils::Exception("Index out of bounds");
            images->GetBitmap(Value, FDisabledPicture->GetBitmap());
        }
    }
    FImageIndex = Value;
}

bool TVeskMenuItem::IsAssigned() const {
    return FMenuItem != nullptr && FMenu != nullptr;
}

void TVeskMenuItem::Erase() {
    if (FMenuItem != nullptr && FParent != nullptr) FParent->Refresh(this, RA_RESTORE);
    SetParent(nullptr);
}

TComponent* TVeskMenuItem::GetParentComponent() const {
    return FParent;
}

void TVeskMenuItem::SetParentComponent(TComponent* Value) {
    if (auto* menu = dynamic_cast<TVeskMenu*>(Value)) SetParent(menu);
}

void TVeskMenuItem::Notification(TComponent* AComponent, Classes::TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    if (Operation != Classes::opRemove) return;
    if (AComponent == FMenu) FMenu = nullptr;
    if (AComponent == FMenuItem) FMenuItem = nullptr;
}

void TVeskMenuItem::ReadState(Classes::TReader& Reader) {
    if (auto* menu = dynamic_cast<TVeskMenu*>(Reader.GetParent())) SetParent(menu);
    inherited::ReadState(Reader);
}

PUBLISHED(
    TVeskMenuItem, "VeskMenu", Prop<&TVeskMenuItem::GetFont, &TVeskMenuItem::SetFont>("Font"),
    Prop<&TVeskMenuItem::GetPicture, &TVeskMenuItem::SetPicture>("Picture"),
    Prop<&TVeskMenuItem::GetDisabledPicture, &TVeskMenuItem::SetDisabledPicture>("DisabledPicture"),
    Prop<&TVeskMenuItem::FTrColor>("TrColor").Type(&Graphics::TColor_TypeInfo).Default(Graphics::clNone),
    Prop<&TVeskMenuItem::FSelColor>("SelColor")
        .Type(&Graphics::TColor_TypeInfo)
        .Default(Graphics::clHighlight),
    Prop<&TVeskMenuItem::FNormColor>("NormColor").Type(&Graphics::TColor_TypeInfo).Default(Graphics::clMenu),
    Prop<&TVeskMenuItem::FTextAlign>("TextAlign").Type(&TTextAlign_TypeInfo).Default(Controls::alRight),
    Prop<&TVeskMenuItem::GetOptions, &TVeskMenuItem::SetOptions>("Options").Default(DefaultMenuOptions),
    Prop<&TVeskMenuItem::FCustomImgSize>("CustomImgSize").Default(16),
    Prop<&TVeskMenuItem::GetMenu, &TVeskMenuItem::SetMenu>("Menu"),
    Prop<&TVeskMenuItem::GetMenuItem, &TVeskMenuItem::SetMenuItem>("MenuItem"),
    Prop<&TVeskMenuItem::FBevelInner>("BevelInner").Default(ExtCtrls::bvNone),
    Prop<&TVeskMenuItem::FBevelOuter>("BevelOuter").Default(ExtCtrls::bvNone),
    Prop<&TVeskMenuItem::FBevelStyle>("BevelStyle").Default(bsBevelBoth),
    Prop<&TVeskMenuItem::FBevelType>("BevelType").Default(btRectangle),
    Prop<&TVeskMenuItem::FSeparatorText>("SeparatorText"),
    Prop<&TVeskMenuItem::GetImageIndex, &TVeskMenuItem::SetImageIndex>("ImageIndex"),
    Prop<&TVeskMenuItem::FSelTextColor>("SelTextColor")
        .Type(&Graphics::TColor_TypeInfo)
        .Default(Graphics::clHighlightText),
    Prop<&TVeskMenuItem::GetShadow, &TVeskMenuItem::SetShadow>("Shadow"));

PUBLISHED(TVeskMenuForm, "VeskMenu");

} // namespace VeskMenu

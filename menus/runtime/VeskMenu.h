// VeskMenu: owner-drawn menus for the menus of a form.
//
// Declares: the appearance model (TShadowText: how item text is shadowed; TVeskMenuBar: the vertical side
// bar of a popup with its caption entries; TVeskMenuItem: the look of one framework TMenuItem), the menu
// component TVeskMenu (its items, wallpapers, side bar, image lists and spacing; it switches the Windows
// entries behind its items between owner-drawn and plain form), their enumerations, sets, records and event
// types, and the painting routines they share (colour bytes, the unit's fonts, GradientFill,
// GraphicToBitmap, MakeDisabledImage, DrawRoundBevel, SetRightJustify).
//
//   auto* vm = new VeskMenu::TVeskMenu(form);           // owned by the form, decorates the form's menus
//   VeskMenu::TVeskMenuItem* item = vm->NewItem();       // owned by the form, in vm's list
//   item->SetMenuItem(OpenItem);                         // finds the TMenu holding OpenItem: assigned
//   item->SetSelColor(Graphics::clNavy);
//   vm->Refresh(vm, VeskMenu::RA_REFRESH);               // OpenItem's entry becomes owner-drawn
//
// Items are owned by the form (so names are the form's) but listed, streamed and freed by their menu
// component: in a form stream they are its children. An item is in its component's list exactly while its
// Parent is that component.
#pragma once

#include "framework/vcl/ExtCtrls.h"
#include "framework/vcl/Forms.h"
#include "framework/vcl/Graphics.h"
#include "framework/vcl/ImgList.h"
#include "framework/vcl/Menus.h"

#include <memory>
#include <string_view>
#include <vector>

namespace VeskMenu {

using Classes::TComponent;
using Classes::TNotifyEvent;
using Classes::TPersistent;
using ExtCtrls::TPanelBevel;
using Graphics::TColor;
using Graphics::TRect;
using System::TObject;
using SysUtils::String;

// ---- Enumerations, sets and records -----------------------------------------------------------------------

PUBLISHED_ENUM(TMenuOption, uint8_t, omAlwaysDefFont, omAlwaysDefFontColor, omAlwaysDefFontSize,
               omFixedImgSize, omDrawBarIfNeeded, omPaintWallpaper, omPaintSelWallpaper, omTileWallpaper,
               omTileSelWallpaper, omBevelOnlyIfSel, omNoHighlightImage, omNoHighlightDisabled,
               omNoHighlightEnabled, omNoHighlightEnabledButDoText, omNoHighlightEnabledButDoRoundRect,
               omRightJustified, omNoImageAttached)
using TMenuOptions = System::TSet<TMenuOption>;
inline constexpr TMenuOptions DefaultMenuOptions{omFixedImgSize, omTileWallpaper, omTileSelWallpaper};

PUBLISHED_ENUM(TShadowOption, uint8_t, soNoShadowIfNormal, soNoShadowIfSel)
using TShadowOptions = System::TSet<TShadowOption>;
PUBLISHED_ENUM(TShadowPosition, uint8_t, spLeftTop, spLeftBottom, spRightBottom, spRightTop)
PUBLISHED_ENUM(TBevelStyle, uint8_t, bsBevelBoth, bsBevelOnlyImage, bsBevelOnlyText)
PUBLISHED_ENUM(TBevelType, uint8_t, btRectangle, btRoundedRect)
PUBLISHED_ENUM(TCaptionAlign, uint8_t, alUp, alDown, alCenter)
PUBLISHED_ENUM(TRefreshAction, uint8_t, RA_NONE, RA_REFRESH, RA_REFRESHWITHBAR, RA_RESTORE)

// On which side of the image the text stands: alTop..alRight of the framework's TAlign.
using TTextAlign = Controls::TAlign;
inline constexpr TypInfo::TTypeInfo TTextAlign_TypeInfo =
    TypInfo::SubrangeType("TTextAlign", Controls::TAlign_TypeInfo, Controls::alTop, Controls::alRight);

// The spacing of HSpace and VSpace: 0..5.
using SpaceInt = uint8_t;
inline constexpr TypInfo::TTypeInfo SpaceInt_TypeInfo = [] {
    TypInfo::TTypeInfo t;
    t.Kind = TypInfo::tkInteger;
    t.Name = "SpaceInt";
    t.MinValue = 0;
    t.MaxValue = 5;
    return t;
}();

class TVeskMenu;
class TVeskMenuItem;

// The message of the chain of hooks on one window: WParam the procedure the leaving component replaced,
// LParam the leaving component's own; the answer is 1 when a member of the chain took it out.
inline constexpr UINT WM_MENUUNHOOK = WM_USER + 101;
// Shared by every component of the process: the popup the last WM_INITMENUPOPUP announced, and the cursor
// that was current before the menu cursor was put up.
extern HMENU CurrentPopupHandle;
extern HCURSOR SavedCursor;
// The position of Item in Parent's Windows menu: the visible items before it (all visible ones when Item is
// not among them).
int VisiblePosition(Menus::TMenuItem* Parent, Menus::TMenuItem* Item);

using TMenuEvent = System::TEvent<void(TObject* Sender, HMENU MenuHandle, int Value)>;
using TRefreshEvent = System::TEvent<void(TObject* Sender, TRefreshAction Action)>;
using TMsgOccurs = System::TEvent<void(Messages::TMessage& Msg)>;

// One caption entry of the side bar.
struct TVeskBarCaptionData {
    String Caption;
    int32_t Size = 0; // points
    bool IsSerif = false;
    TColor Color = Graphics::clBlack;
};

// The parameter block of TVeskMenu::GlobalSetParameters.
struct TGlobalParameters {
    Graphics::TFont* Font = nullptr;
    TColor NormColor = Graphics::clMenu;
    TColor SelColor = Graphics::clHighlight;
    TColor TrColor = Graphics::clNone;
    TMenuOptions Options = DefaultMenuOptions;
    TTextAlign TextAlign = Controls::alRight;
    int32_t CustomImgSize = 16;
    TPanelBevel BevelInner = ExtCtrls::bvNone;
    TPanelBevel BevelOuter = ExtCtrls::bvNone;
    TBevelStyle BevelStyle = bsBevelBoth;
    String SeparatorText;
};

// The parameter block of TVeskMenu::GlobalSetShadow (the positions come before the sizes).
struct TGlobalShadowParameters {
    bool Active = false;
    TColor ShadowColor = Graphics::clBtnHighlight;
    TColor SelShadowColor = Graphics::clBtnHighlight;
    TShadowPosition ShadowPos = spLeftTop;
    TShadowPosition SelShadowPos = spLeftTop;
    uint8_t ShadowSize = 1;
    uint8_t SelShadowSize = 1;
    TShadowOptions Options{soNoShadowIfSel};
};

// The geometry of one item, written by measuring and read by the drawing that follows.
struct TItemLayout {
    int32_t ImageLeft = 0, ImageTop = 0;   // image cell in the item's device context
    int32_t TextLeft = 0, TextTop = 0;     // text position
    int32_t TextWidth = 0, TextHeight = 0; // caption extent (the width widened to the popup's widest)
    int32_t ImageSize = 0;                 // side of the square image cell
    int32_t ItemHeight = 0;                // the height the last measuring gave the system
    int32_t ItemWidth = 0;                 // full width, alTop and alBottom items only
    int32_t ShortCutWidth = 0;             // widened to the popup's widest shortcut
    int32_t CheckWidth = 0;                // the system's check mark width
};

// ---- TShadowText ------------------------------------------------------------------------------------------

class TShadowText : public TPersistent {
    DECLARE_CLASS(TShadowText, TPersistent)
public:
    TShadowText() = default;
    void Assign(TPersistent* Source) override;

    // Text drawn with DrawTextW in Rect with Format, with its shadow first when one is due (Active, and
    // not excluded by Options for the selected or normal state): the shadow in the shadow colour on the
    // side that the position names, the text moved away from the rectangle's origin for the left and top
    // positions. Returns the last DrawTextW's result.
    int DrawShadowText(HDC DC, std::u16string_view Text, bool Selected, UINT Format, TRect Rect) const;

    bool GetActive() const { return FActive; }
    void SetActive(bool Value) { FActive = Value; }
    TColor GetShadowColor() const { return FShadowColor; }
    void SetShadowColor(TColor Value) { FShadowColor = Value; }
    TColor GetSelShadowColor() const { return FSelShadowColor; }
    void SetSelShadowColor(TColor Value) { FSelShadowColor = Value; }
    uint8_t GetShadowSize() const { return FShadowSize; }
    void SetShadowSize(uint8_t Value) { FShadowSize = Value; }
    uint8_t GetSelShadowSize() const { return FSelShadowSize; }
    void SetSelShadowSize(uint8_t Value) { FSelShadowSize = Value; }
    TShadowPosition GetShadowPos() const { return FShadowPos; }
    void SetShadowPos(TShadowPosition Value) { FShadowPos = Value; }
    TShadowPosition GetSelShadowPos() const { return FSelShadowPos; }
    void SetSelShadowPos(TShadowPosition Value) { FSelShadowPos = Value; }
    TShadowOptions GetOptions() const { return FOptions; }
    void SetOptions(TShadowOptions Value) { FOptions = Value; }

private:
    bool FActive = false;
    TColor FShadowColor = Graphics::clBtnHighlight;
    TColor FSelShadowColor = Graphics::clBtnHighlight;
    uint8_t FShadowSize = 1;
    uint8_t FSelShadowSize = 1;
    TShadowPosition FShadowPos = spLeftTop;
    TShadowPosition FSelShadowPos = spLeftTop;
    TShadowOptions FOptions{soNoShadowIfSel};
};

// ---- TVeskMenuBar -----------------------------------------------------------------------------------------

class TVeskMenuBar : public TPersistent {
    DECLARE_CLASS(TVeskMenuBar, TPersistent)
public:
    TVeskMenuBar() = default;
    // Copies the values and the OnChanged handler; not the caption entries; no OnChanged.
    void Assign(TPersistent* Source) override;
    virtual void Changed();

    // Every setter stores and calls Changed, also when the value is the same.
    const String& GetCaption() const { return FCaption; }
    void SetCaption(const String& Value);
    int32_t GetSize() const { return FSize; }
    void SetSize(int32_t Value);
    uint16_t GetSpace() const { return FSpace; }
    void SetSpace(uint16_t Value);
    TColor GetBackFrom() const { return FBackFrom; }
    void SetBackFrom(TColor Value);
    TColor GetBackTo() const { return FBackTo; }
    void SetBackTo(TColor Value);
    TColor GetFore() const { return FFore; }
    void SetFore(TColor Value);
    bool GetIsSerif() const { return FIsSerif; }
    void SetIsSerif(bool Value);
    bool GetIsGradient() const { return FIsGradient; }
    void SetIsGradient(bool Value);
    bool GetIsSeparator() const { return FIsSeparator; }
    void SetIsSeparator(bool Value);
    TCaptionAlign GetCaptionAlign() const { return FCaptionAlign; }
    void SetCaptionAlign(TCaptionAlign Value);
    TNotifyEvent OnChanged;

    // The caption entries. Each operation ends with Changed (GetItem excepted).
    int GetItemCount() const { return int(FItems.size()); }
    void AddItem(const TVeskBarCaptionData& Data);
    // The first entry whose caption equals Caption ignoring case goes.
    void RemoveItem(const String& Caption);
    // Classes::EListError for a negative index; nothing (but Changed) at or beyond the count.
    void DeleteItem(int Index);
    bool GetItem(int Index, TVeskBarCaptionData& Data) const;
    bool SetItem(int Index, const TVeskBarCaptionData& Data);
    void Clear();

private:
    std::vector<std::unique_ptr<TVeskBarCaptionData>> FItems;
    String FCaption;
    int32_t FSize = 11;
    uint16_t FSpace = 0;
    TColor FBackFrom = Graphics::clBlack;
    TColor FBackTo = Graphics::clBlue;
    TColor FFore = Graphics::clWhite;
    bool FIsSerif = true;
    bool FIsGradient = false;
    bool FIsSeparator = true;
    TCaptionAlign FCaptionAlign = alDown;
};

// ---- TVeskMenuItem ----------------------------------------------------------------------------------------

class TVeskMenuItem : public TComponent {
    DECLARE_CLASS(TVeskMenuItem, TComponent)
public:
    explicit TVeskMenuItem(TComponent* AOwner);
    ~TVeskMenuItem() override;
    TVeskMenuItem(const TVeskMenuItem&) = delete;
    TVeskMenuItem& operator=(const TVeskMenuItem&) = delete;

    TVeskMenu* Root() const { return FParent; }
    TVeskMenu* GetParent() const { return FParent; }
    // Leaves the old component's list and joins the new one's (the only path that changes either).
    void SetParent(TVeskMenu* Value);

    Graphics::TFont* GetFont() const { return FFont.get(); }
    void SetFont(Graphics::TFont* Value) { FFont->Assign(Value); }
    Graphics::TPicture* GetPicture() const { return FPicture.get(); }
    // A copy of Value; a bitmap's bottom-left pixel becomes TrColor.
    void SetPicture(Graphics::TPicture* Value);
    Graphics::TPicture* GetDisabledPicture() const { return FDisabledPicture.get(); }
    void SetDisabledPicture(Graphics::TPicture* Value) { FDisabledPicture->Assign(Value); }
    TColor GetTrColor() const { return FTrColor; }
    void SetTrColor(TColor Value) { FTrColor = Value; }
    TColor GetSelColor() const { return FSelColor; }
    void SetSelColor(TColor Value) { FSelColor = Value; }
    TColor GetSelTextColor() const { return FSelTextColor; }
    void SetSelTextColor(TColor Value) { FSelTextColor = Value; }
    TColor GetNormColor() const { return FNormColor; }
    void SetNormColor(TColor Value) { FNormColor = Value; }
    TColor GetBarColor() const { return FBarColor; }
    TTextAlign GetTextAlign() const { return FTextAlign; }
    void SetTextAlign(TTextAlign Value) { FTextAlign = Value; }
    TMenuOptions GetOptions() const { return FOptions; }
    // A change of omRightJustified or omNoImageAttached refreshes the parent's entries with the bar (and
    // omNoImageAttached makes the parent's HSpace 3).
    void SetOptions(TMenuOptions Value);
    int32_t GetCustomImgSize() const { return FCustomImgSize; }
    void SetCustomImgSize(int32_t Value) { FCustomImgSize = Value; }
    Menus::TMenu* GetMenu() const { return FMenu; }
    void SetMenu(Menus::TMenu* Value);
    Menus::TMenuItem* GetMenuItem() const { return FMenuItem; }
    // Restores the old entry's plain form, links Value and finds the owner's TMenu that holds it.
    void SetMenuItem(Menus::TMenuItem* Value);
    TPanelBevel GetBevelInner() const { return FBevelInner; }
    void SetBevelInner(TPanelBevel Value) { FBevelInner = Value; }
    TPanelBevel GetBevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TPanelBevel Value) { FBevelOuter = Value; }
    TBevelStyle GetBevelStyle() const { return FBevelStyle; }
    void SetBevelStyle(TBevelStyle Value) { FBevelStyle = Value; }
    TBevelType GetBevelType() const { return FBevelType; }
    void SetBevelType(TBevelType Value) { FBevelType = Value; }
    const String& GetSeparatorText() const { return FSeparatorText; }
    void SetSeparatorText(const String& Value) { FSeparatorText = Value; }
    int32_t GetImageIndex() const { return FImageIndex; }
    // Copies image Value of the parent's Images into Picture and of its DisabledImages into
    // DisabledPicture; SysUtils::Exception "Index out of bounds" beyond a list. Without a parent only the
    // index is stored.
    void SetImageIndex(int32_t Value);
    TShadowText* GetShadow() const { return FShadow.get(); }
    void SetShadow(TShadowText* Value) { FShadow->Assign(Value); }

    TItemLayout& GetLayout() { return FLayout; }
    Graphics::TBitmap* GetCheckBitmap() const { return FCheckBitmap.get(); }
    Graphics::TBitmap* GetRadioBitmap() const { return FRadioBitmap.get(); }
    Graphics::TBitmap* GetWorkBitmap() const { return FWorkBitmap.get(); }

    // The entry's size for the system (WM_MEASUREITEM's record in Message.LParam): the item's layout
    // measured, the component's maxima of the popup widened, so that the popup's entries line up.
    // Caption is the menu item's caption, ShortCut the text of its shortcut ("" without one).
    void MeasureItem(Messages::TMessage& Message, const String& Caption, const String& ShortCut);
    // Paints the entry (WM_DRAWITEM's record in Message.LParam); a suppressed highlight clears the record's
    // ODS_SELECTED bit.
    void DrawItem(Messages::TMessage& Message, const String& Caption, const String& ShortCut);
    // A top-level entry of a main menu's bar (every other entry is a popup entry).
    bool IsMenuBarItem() const;
    // The width of the component's side bar beside this item: 0 without a bar or omDrawBarIfNeeded.
    int BarOffset() const;

    // Both MenuItem and Menu are set: only such items are drawn.
    virtual bool IsAssigned() const;
    // Gives the entry its plain form back and leaves the parent.
    virtual void Erase();

    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* Value) override;

protected:
    void Notification(TComponent* AComponent, Classes::TOperation Operation) override;
    void ReadState(Classes::TReader& Reader) override;

private:
    friend class TVeskMenu;
    friend struct TVeskMenuItem_Published;
    struct TImageCache;
    // Draws Bitmap scaled into the cell with TrColor transparent, through a mask and a cut-out kept for it
    // until the picture or the colour changes (so that a highlight change costs two blits).
    void DrawTransparent(HDC DC, const TRect& Cell, Graphics::TBitmap& Bitmap, TColor TrColor, bool Keep);
    void PictureChanged(TObject* Sender);

    std::unique_ptr<Graphics::TFont> FFont;
    std::unique_ptr<Graphics::TPicture> FPicture;
    std::unique_ptr<Graphics::TPicture> FDisabledPicture;
    TColor FSelColor = Graphics::clHighlight;
    TColor FSelTextColor = Graphics::clHighlightText;
    TColor FNormColor = Graphics::clMenu;
    TColor FTrColor = Graphics::clNone;
    TColor FBarColor = Graphics::clBlack; // behind the side bar slice: the bar's BackFrom (AddBar)
    TItemLayout FLayout;
    TTextAlign FTextAlign = Controls::alRight;
    TMenuOptions FOptions = DefaultMenuOptions;
    TVeskMenu* FParent = nullptr;
    int32_t FCustomImgSize = 16;
    Menus::TMenu* FMenu = nullptr;
    Menus::TMenuItem* FMenuItem = nullptr;
    std::unique_ptr<Graphics::TBitmap> FWorkBitmap;
    std::unique_ptr<Graphics::TBitmap> FCheckBitmap;
    std::unique_ptr<Graphics::TBitmap> FRadioBitmap;
    TPanelBevel FBevelInner = ExtCtrls::bvNone;
    TPanelBevel FBevelOuter = ExtCtrls::bvNone;
    TBevelStyle FBevelStyle = bsBevelBoth;
    TBevelType FBevelType = btRectangle;
    String FSeparatorText;
    int32_t FImageIndex = 0;
    std::unique_ptr<TShadowText> FShadow;
    std::unique_ptr<TImageCache> FImageCache;
};

// ---- TVeskMenu --------------------------------------------------------------------------------------------

class TVeskMenu : public TComponent {
    DECLARE_CLASS(TVeskMenu, TComponent)
public:
    // AOwner must be a windowed control (the form): EInvalidOperation otherwise.
    explicit TVeskMenu(TComponent* AOwner);
    ~TVeskMenu() override;

    // ---- The item list.
    TVeskMenuItem* GetItem(int Index) const; // Classes::EListError outside the list
    // Frees the item at Index and puts Value there (out of its previous list first), its parent this one.
    void SetItem(int Index, TVeskMenuItem* Value);
    int GetCount() const { return int(FItems.size()); }
    // A new item owned by the component's owner, in this list.
    TVeskMenuItem* NewItem();
    // Appends Item (TVeskMenuItem::SetParent calls these two; they keep only the list).
    int AddItem(TVeskMenuItem* Item);
    void RemoveItem(TVeskMenuItem* Item, bool FreeIt = false);
    void ExchangeItems(int Index1, int Index2);
    // The first item linked to both Menu and MenuItem, or nullptr.
    TVeskMenuItem* FindItem(Menus::TMenu* Menu, Menus::TMenuItem* MenuItem) const;

    // ---- Published properties.
    TVeskMenuBar* GetMenuBar() const { return FMenuBar.get(); }
    void SetMenuBar(TVeskMenuBar* Value) { FMenuBar->Assign(Value); }
    Graphics::TBitmap* GetWallpaper() const { return FWallpaper.get(); }
    void SetWallpaper(Graphics::TBitmap* Value) { FWallpaper->Assign(Value); }
    Graphics::TBitmap* GetSelWallpaper() const { return FSelWallpaper.get(); }
    void SetSelWallpaper(Graphics::TBitmap* Value) { FSelWallpaper->Assign(Value); }
    bool GetActive() const { return FActive; }
    // Owner-drawn entries (True) or plain ones (False); the refresh runs also when the value is the same.
    void SetActive(bool Value);
    TRefreshAction GetMenuRefresh() const { return FMenuRefresh; }
    void SetMenuRefresh(TRefreshAction Value) { FMenuRefresh = Value; }
    Controls::TCursor GetCursor() const { return FCursor; }
    void SetCursor(Controls::TCursor Value) { FCursor = Value; }
    bool GetShowBar() const { return FShowBar; }
    void SetShowBar(bool Value);
    SpaceInt GetHSpace() const { return FHSpace; }
    void SetHSpace(SpaceInt Value) { FHSpace = Value; }
    SpaceInt GetVSpace() const { return FVSpace; }
    void SetVSpace(SpaceInt Value) { FVSpace = Value; }
    ImgList::TCustomImageList* GetImages() const { return FImages; }
    void SetImages(ImgList::TCustomImageList* Value);
    ImgList::TCustomImageList* GetDisabledImages() const { return FDisabledImages; }
    void SetDisabledImages(ImgList::TCustomImageList* Value);
    TMenuEvent OnPopup, OnMeasure, OnItemSelect;

    // ---- Operations.
    // Switches entries between owner-drawn and plain form: for one item when Sender is an item, else for
    // all; RA_REFRESHWITHBAR also draws the owner's menu bar again.
    virtual void Refresh(TObject* Sender, TRefreshAction Action);
    // Hands image I of the lists to the I-th assigned item (separators skipped when asked).
    void AddImages(ImgList::TCustomImageList* Images, ImgList::TCustomImageList* DisabledImages,
                   bool SkipSeparators);
    // The side bar: painted from MenuBar into BarBitmap, emptied, and painted afresh after a bar change.
    void AddBar();
    void RemoveBar();
    void RefreshBar(TObject* Sender);
    // The hook of the owner's window: made again at the head of the chain (also after the window was
    // made anew, which lost the old hook).
    virtual void RehookWnd();
    // The menu messages of the owner's window: measuring, drawing, cursor, mnemonics, hints, help, popup
    // commands and shortcuts; everything else goes on down the chain.
    virtual void WndProc(Messages::TMessage& Message);

    // The same appearance values for every item (Flags 0: all, else one bit a value).
    virtual void GlobalSetParameters(TGlobalParameters Params, int Flags);
    virtual void GlobalSetShadow(TGlobalShadowParameters Params, int Flags);

    Graphics::TBitmap* GetBarBitmap() const { return BarBitmap.get(); }

    // The measuring accumulators of the popup being measured.
    int32_t MaxItemWidth = 0;
    int32_t MaxTextWidth = 0;
    int32_t TotalHeight = 0;
    int32_t MaxShortCutWidth = 0;

    void GetChildren(const Classes::TGetChildProc& Proc, TComponent* Root) override;

protected:
    void Loaded() override;
    void Notification(TComponent* AComponent, Classes::TOperation Operation) override;
    void SetChildOrder(TComponent* Child, int Order) override;

private:
    friend struct TVeskMenu_Published;
    // Images and DisabledImages: the old list's pictures cleared and its link let go, the new one's
    // linked and handed out.
    void SwitchList(ImgList::TCustomImageList*& List, ImgList::TChangeLink& Link,
                    ImgList::TCustomImageList* Value, bool Disabled);
    void ImagesChanged(TObject* Sender);
    void DisabledImagesChanged(TObject* Sender);
    // The owner-draw and restore steps for one item.
    void OwnerDraw(TVeskMenuItem* Item);
    void Restore(TVeskMenuItem* Item);
    HWND OwnerHandle() const;
    // The hook (VeskMenuHook.cpp).
    void Hook();
    void Unhook();
    HWND HookedWindow() const;
    // Handles Message (true) or leaves it to be passed on (false).
    bool Dispatch(Messages::TMessage& Message);
    void Forward(Messages::TMessage& Message);
    // The active MDI child's answer when the owner is a frame and the child has a menu component, else 0.
    LRESULT ForwardToMDIChild(Messages::TMessage& Message);

    SpaceInt FHSpace = 5;
    SpaceInt FVSpace = 2;
    bool FNeedBar = false;
    bool FCursorSet = false;
    bool FMeasured = false;
    std::vector<TVeskMenuItem*> FItems;
    std::unique_ptr<Graphics::TBitmap> FWallpaper;
    std::unique_ptr<Graphics::TBitmap> FSelWallpaper;
    std::unique_ptr<Graphics::TBitmap> BarBitmap;
    bool FShowBar = false;
    bool FActive = true;
    std::unique_ptr<TVeskMenuBar> FMenuBar;
    WNDPROC FObjectInstance = nullptr; // what the owner's window calls: WndProc
    WNDPROC FOldWndProc = nullptr;     // the procedure below this one in the window's chain
    TRefreshAction FMenuRefresh = RA_REFRESH;
    Controls::TCursor FCursor = 0;
    std::unique_ptr<ImgList::TChangeLink> FImagesLink;
    std::unique_ptr<ImgList::TChangeLink> FDisabledImagesLink;
    ImgList::TCustomImageList* FImages = nullptr;
    ImgList::TCustomImageList* FDisabledImages = nullptr;
};

// A form class of the unit, with no members of its own.
class TVeskMenuForm : public Forms::TForm {
    DECLARE_CLASS(TVeskMenuForm, Forms::TForm)
public:
    using TForm::TForm;
};

// ---- Painting routines ------------------------------------------------------------------------------------

inline constexpr uint8_t RedOf(uint32_t Color) {
    return uint8_t(Color & 0xFF);
}
inline constexpr uint8_t GreenOf(uint32_t Color) {
    return uint8_t((Color >> 8) & 0xFF);
}
inline constexpr uint8_t BlueOf(uint32_t Color) {
    return uint8_t((Color >> 16) & 0xFF);
}
inline constexpr TColor MakeRGB(uint8_t Red, uint8_t Green, uint8_t Blue) {
    return TColor(Red + Green * 256 + Blue * 65536);
}
// The complementary RGB value of the colour (system colours first turned into RGB).
TColor InverseColor(TColor Color);
// Gives Font the system's menu font and returns that font's height.
int SetMenuFont(Graphics::TFont& Font);
// A bold font running bottom to top (Times New Roman when Serif, else Arial); the caller owns it.
HFONT CreateBarFont(int Height, bool Serif);
// Steps + 1 bands, the lowest in FromColor, moving towards ToColor upwards (bands measured from 0).
void GradientFill(Graphics::TCanvas& Canvas, const TRect& Rect, TColor FromColor, TColor ToColor, int Steps);
// Bitmap becomes the graphic drawn at (0, 0) on BackColor, at the graphic's size.
void GraphicToBitmap(Graphics::TBitmap& Bitmap, Graphics::TGraphic& Graphic, TColor BackColor);
// Bitmap becomes its engraved image: a highlight copy one pixel down and right (left out for a selected
// entry of a silver menu) under a ShadowColor copy, on BackColor. Nothing for a null bitmap.
void MakeDisabledImage(Graphics::TBitmap* Bitmap, TColor BackColor, TColor ShadowColor, UINT State);
// A bevel frame with rounded corners; InnerEdge and OuterEdge are DrawEdge's BDR_ codes.
void DrawRoundBevel(Graphics::TCanvas& Canvas, const TRect& Rect, TColor FillColor, TColor HighlightColor,
                    TColor ShadowColor, int Radius, UINT InnerEdge, UINT OuterEdge);
// Adds MFT_RIGHTJUSTIFY to the entry of Item when RightJustify (never takes it away).
void SetRightJustify(Menus::TMenu& Menu, Menus::TMenuItem& Item, bool RightJustify);

// The module that holds the package's resources (its bitmaps and its cursor): the package's language
// resource module when it has one, else the package.
HINSTANCE PackageInstance();
// Where entries are measured and fonts looked at: a memory DC of the screen's kind, made once.
HDC MeasureDC();

// The unit's initialisation (its classes known to streams, the menu cursor in Screen's table) and
// finalisation.
void Initialization();
void Finalization();

} // namespace VeskMenu

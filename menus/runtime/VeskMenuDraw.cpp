// VeskMenu: drawing an owner-drawn entry, phase by phase: layout, background (plain, wallpaper, inverted or
// selected wallpaper), highlight fill, bevel, separator or caption and shortcut, the side bar slice, the
// image. What a call selects into the system's DC or creates is given back or freed in the same call, also
// when an exception leaves it.
#include "menus/runtime/VeskMenu.h"

#include "framework/vcl/WinHandles.h"
#include "menus/runtime/VeskMenuImageCache.h"

namespace VeskMenu {

using Graphics::ColorToRGB;
using Graphics::TBitmap;
using Graphics::TCanvas;

namespace {

constexpr COLORREF kSilver = 0xC0C0C0;
constexpr COLORREF kGrey = 0x808080;
constexpr TColor kCheckBackground = Graphics::clMaroon; // the check and radio marks' transparent colour

COLORREF Rgb(TColor Color) {
    return COLORREF(ColorToRGB(Color));
}

// Copies Bitmap's pixels from (SX, SY) to (X, Y) of DC through a memory DC holding it.
void CopyBitmap(HDC DC, TBitmap& Bitmap, int X, int Y, int W, int H, int SX, int SY, DWORD Rop) {
    HBITMAP handle = Bitmap.GetHandle();
    if (handle == nullptr) return;
    WinHandles::TMemoryDC source(DC);
    WinHandles::TSelectObject select(source, handle);
    BitBlt(DC, X, Y, W, H, source, SX, SY, Rop);
}

// Tiles Bitmap over Area from its top-left corner, each tile from the bitmap's (0, 0).
void TileBitmap(HDC DC, TBitmap& Bitmap, const TRect& Area) {
    int bw = Bitmap.GetWidth(), bh = Bitmap.GetHeight();
    HBITMAP handle = Bitmap.GetHandle();
    if (bw <= 0 || bh <= 0 || handle == nullptr) return;
    WinHandles::TMemoryDC source(DC);
    WinHandles::TSelectObject select(source, handle);
    for (int y = Area.top; y < Area.bottom; y += bh)
        for (int x = Area.left; x < Area.right; x += bw)
            BitBlt(DC, x, y, bw, y + bh < Area.bottom ? bh : Area.bottom - y, source, 0, 0, SRCCOPY);
}

constexpr UINT InnerEdges[] = {0, BDR_SUNKENINNER, BDR_RAISEDINNER, 0}; // by TPanelBevel
constexpr UINT OuterEdges[] = {0, BDR_SUNKENOUTER, BDR_RAISEDOUTER, 0};

} // namespace

void TVeskMenuItem::PictureChanged(TObject*) {
    if (FImageCache) FImageCache->Source = nullptr; // made again at the next drawing
}

void TVeskMenuItem::DrawTransparent(HDC DC, const TRect& Cell, TBitmap& Bitmap, TColor TrColor, bool Keep) {
    if (!FImageCache) FImageCache = std::make_unique<TImageCache>();
    TImageCache& c = *FImageCache;
    if (!Keep || c.Source != &Bitmap || c.TrColor != TrColor || c.Width != Bitmap.GetWidth() ||
        c.Height != Bitmap.GetHeight())
        c.Make(Bitmap, TrColor);
    // The destination cleared where the image stands, then the image put in.
    COLORREF oldText = SetTextColor(DC, 0), oldBk = SetBkColor(DC, 0xFFFFFF);
    int oldMode = SetStretchBltMode(DC, COLORONCOLOR);
    int w = Cell.right - Cell.left, h = Cell.bottom - Cell.top;
    StretchBlt(DC, Cell.left, Cell.top, w, h, c.MaskDC, 0, 0, c.Width, c.Height, SRCAND);
    StretchBlt(DC, Cell.left, Cell.top, w, h, c.CutDC, 0, 0, c.Width, c.Height, SRCPAINT);
    SetStretchBltMode(DC, oldMode);
    SetTextColor(DC, oldText);
    SetBkColor(DC, oldBk);
    if (!Keep) c.Release();
}

void TVeskMenuItem::DrawItem(Messages::TMessage& Message, const String& Caption, const String& ShortCut) {
    // An item is drawn by its component, for its linked menu item.
    if (FParent == nullptr || FMenuItem == nullptr) return;
    auto& record = *reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
    TVeskMenu& menu = *FParent;
    const Menus::TMenuItem& menuItem = *FMenuItem;
    const bool enabled = menuItem.GetEnabled(), checked = menuItem.GetChecked();
    const bool isDefault = menuItem.GetDefault(), separator = Caption == "-";
    const TRect r = record.rcItem;
    const int h = menu.GetHSpace(), v = menu.GetVSpace(), w = FLayout.CheckWidth;
    TItemLayout& l = FLayout;
    auto has = [&](TMenuOption o) { return FOptions.Contains(o); };

    // 1. The colours that outlive the suppression of the highlight.
    const bool arrivedSelected = (record.itemState & ODS_SELECTED) != 0;
    COLORREF doTextColor = 0, doRoundRectColor = 0;
    if (has(omNoHighlightEnabledButDoText) && arrivedSelected)
        doTextColor = FSelTextColor == Graphics::clHighlightText ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                                                                 : Rgb(FSelTextColor);
    if (has(omNoHighlightEnabledButDoRoundRect) && arrivedSelected) doRoundRectColor = Rgb(FSelColor);
    // 2. The highlight suppressed: the caller sees the cleared bit.
    if (arrivedSelected &&
        ((has(omNoHighlightDisabled) && !enabled) || (has(omNoHighlightEnabled) && enabled)))
        record.itemState &= ~UINT(ODS_SELECTED);
    const bool selected = (record.itemState & ODS_SELECTED) != 0;

    // 3. The frame; 9. its release, whatever happens in between.
    HDC dc = record.hDC;
    TCanvas canvas;
    canvas.SetHandle(dc);
    const COLORREF savedBk = GetBkColor(dc);
    const Graphics::TFontStyles savedStyle = FFont->GetStyle();
    if (isDefault) FFont->SetStyle(savedStyle + Graphics::TFontStyles{Graphics::fsBold});
    const std::u16string caption = SysUtils::Utf8ToUtf16(Caption), shortCut = SysUtils::Utf8ToUtf16(ShortCut);
    // The font for the caption's letters (the same font in their character set when its face lacks them).
    HGDIOBJ oldFont = SelectObject(dc, FFont->GetHandleFor(MeasureDC(), caption));
    bool fillBackground = true, restoreColors = true, textSaved = false;
    COLORREF savedText = 0;
    auto setTextColor = [&](COLORREF c) {
        COLORREF old = SetTextColor(dc, c);
        if (!textSaved) savedText = old, textSaved = true;
    };
    struct TRelease {
        std::function<void()> Run;
        ~TRelease() { Run(); }
    } release{[&] {
        canvas.SetHandle(nullptr);
        SelectObject(dc, oldFont);
        if (isDefault) FFont->SetStyle(savedStyle);
        if (restoreColors) {
            if (textSaved) SetTextColor(dc, savedText);
            SetBkColor(dc, savedBk);
        }
    }};

    // 4. The bar offset; 5. the layout.
    const int b = BarOffset();
    const bool menuBarItem = IsMenuBarItem();
    const bool centred = has(omFixedImgSize) && !separator;
    switch (FTextAlign) {
    case Controls::alTop:
        l.TextLeft = l.ItemWidth / 2 - l.TextWidth / 2 + b;
        l.TextTop = r.top + v;
        l.ImageLeft = l.ItemWidth / 2 - l.ImageSize / 2 + b;
        l.ImageTop = l.TextTop + l.ImageSize + v;
        break;
    case Controls::alBottom:
        l.ImageLeft = l.ItemWidth / 2 - l.ImageSize / 2 + r.left + b;
        l.ImageTop = r.top + v;
        l.TextLeft = l.ItemWidth / 2 - l.TextWidth / 2 + r.left + b;
        l.TextTop = l.ImageTop + l.ImageSize + v;
        break;
    case Controls::alLeft:
        l.TextLeft = r.left + h + b;
        l.TextTop = centred ? r.top + l.ItemHeight / 2 - l.TextHeight / 2 - 1 : r.top + v;
        l.ImageLeft = l.TextLeft + l.TextWidth + h;
        l.ImageTop = r.top + v;
        break;
    default:
        l.ImageTop = r.top + v;
        l.ImageLeft = r.left + h + b;
        l.TextLeft = !has(omNoImageAttached) ? l.ImageLeft + l.ImageSize + h
                     : menuBarItem           ? l.ImageLeft + h
                                             : l.ImageLeft + w;
        l.TextTop = centred ? r.top + l.ItemHeight / 2 - l.TextHeight / 2 - 1 : l.ImageTop;
        break;
    }

    // 6. The background.
    const TRect area{r.left + b, r.top, r.right, r.bottom};
    const int areaWidth = area.right - area.left, areaHeight = area.bottom - area.top;
    TBitmap* wallpaper = menu.GetWallpaper();
    TBitmap* selWallpaper = menu.GetSelWallpaper();
    if (selected) {
        canvas.GetBrush()->SetColor(FSelColor);
        setTextColor(FSelTextColor == Graphics::clHighlightText ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                                                                : Rgb(FSelTextColor));
        if (has(omPaintWallpaper) && !wallpaper->GetEmpty() && !has(omTileWallpaper)) {
            // The wallpaper inverted, with the text in the inverse of the font's colour.
            CopyBitmap(dc, *wallpaper, area.left, area.top, areaWidth, areaHeight, area.left, area.top,
                       NOTSRCCOPY);
            setTextColor(FSelTextColor == Graphics::clHighlightText ? Rgb(InverseColor(FFont->GetColor()))
                                                                    : Rgb(FSelTextColor));
            fillBackground = false;
        }
        if (has(omPaintSelWallpaper) && !selWallpaper->GetEmpty()) {
            if (has(omTileSelWallpaper))
                TileBitmap(dc, *selWallpaper, area);
            else
                CopyBitmap(dc, *selWallpaper, area.left, area.top, areaWidth, areaHeight, 0, 0, SRCCOPY);
            fillBackground = false;
        }
    } else {
        canvas.GetBrush()->SetColor(FNormColor);
        if (has(omPaintWallpaper) && !wallpaper->GetEmpty()) {
            if (has(omTileWallpaper))
                TileBitmap(dc, *wallpaper, area);
            else
                CopyBitmap(dc, *wallpaper, area.left, area.top, areaWidth, areaHeight, area.left, area.top,
                           SRCCOPY);
            fillBackground = false;
        }
        if (has(omAlwaysDefFontColor)) FFont->SetColor(TColor(GetSysColor(COLOR_MENUTEXT)));
        if (!has(omAlwaysDefFont)) setTextColor(Rgb(FFont->GetColor()));
        if (doTextColor != 0) setTextColor(doTextColor);
        restoreColors = false;
    }

    // 7. The highlight fill, where no wallpaper was painted.
    const bool hasImage = FPicture->GetGraphic() != nullptr || checked;
    const bool bevelSet = FBevelInner != ExtCtrls::bvNone || FBevelOuter != ExtCtrls::bvNone;
    if (fillBackground) {
        TRect fill{r.left + b, r.top, r.right, r.bottom + 1};
        if (has(omNoHighlightImage) && hasImage) {
            if (FTextAlign != Controls::alLeft && FTextAlign != Controls::alRight)
                throw SysUtils::Exception("Advanced features available only for horisontal aligned items");
            const bool right = FTextAlign == Controls::alRight;
            const int split = right ? l.TextLeft - 1 : l.ImageLeft - 1;
            auto normalFill = [&](const TRect& rect) {
                TColor saved = canvas.GetBrush()->GetColor();
                canvas.GetBrush()->SetColor(FNormColor);
                canvas.FillRect(rect);
                canvas.GetBrush()->SetColor(saved);
            };
            if (bevelSet && FBevelStyle == bsBevelOnlyImage)
                normalFill(right ? TRect{r.left + b, r.top, split + b, r.bottom + 1}
                                 : TRect{split, r.top, r.right, r.bottom + 1});
            if (bevelSet && FBevelStyle == bsBevelBoth)
                normalFill(TRect{r.left + b, r.top, r.right, r.bottom + 1});
            // The highlight covers the text side: right of the image for alRight, left of it for alLeft.
            fill = right ? TRect{split, r.top, r.right, r.bottom + 1}
                         : TRect{r.left + b, r.top, split, r.bottom + 1};
        }
        canvas.FillRect(fill);
    }

    // 8. The bevel.
    if ((enabled && has(omBevelOnlyIfSel) && selected) || (!has(omBevelOnlyIfSel) && !separator)) {
        TRect q{r.left + b, r.top + 1, r.right, r.bottom};
        if (FBevelStyle != bsBevelBoth && hasImage) {
            if (FBevelStyle == bsBevelOnlyImage) {
                q = {l.ImageLeft, l.ImageTop, l.ImageLeft + l.ImageSize, l.ImageTop + l.ImageSize};
                InflateRect(&q, v, v);
            } else if (FTextAlign == Controls::alRight) {
                q = {l.ImageLeft + l.ImageSize + 4, r.top, r.right, r.bottom};
            } else if (FTextAlign == Controls::alLeft) {
                q = {r.left, r.top, l.ImageLeft, r.bottom};
            } else {
                q = {l.TextLeft - h, l.TextTop - 1, l.TextLeft + h + l.TextWidth,
                     l.TextTop + l.ImageSize + 1};
            }
        }
        const UINT inner = InnerEdges[FBevelInner & 3], outer = OuterEdges[FBevelOuter & 3];
        if (FBevelType == btRectangle) {
            DrawEdge(dc, &q, inner | outer, BF_RECT);
        } else {
            TColor face =
                has(omNoHighlightEnabled) && has(omNoHighlightEnabledButDoRoundRect) && doRoundRectColor != 0
                    ? TColor(doRoundRectColor)
                    : canvas.GetBrush()->GetColor();
            DrawRoundBevel(canvas, q, face, Graphics::clBtnHighlight, Graphics::clBtnShadow, 18, inner,
                           outer);
        }
    }

    // 10. The separator line and its text, or the caption and the shortcut.
    if (separator) {
        const int y = r.top + l.ItemHeight / 2;
        for (auto [colour, dy] : {std::pair{kGrey, 0}, {GetSysColor(COLOR_BTNHIGHLIGHT), 1}}) {
            canvas.GetPen()->SetColor(TColor(colour));
            canvas.MoveTo(r.left + b, y + dy);
            canvas.LineTo(r.right, y + dy);
        }
        if (!FSeparatorText.empty()) {
            std::u16string text = SysUtils::Utf8ToUtf16(FSeparatorText);
            WinHandles::TFontHandle font(CreateFontW(10, 10, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                                     DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                                                     PROOF_QUALITY, VARIABLE_PITCH | FF_SWISS, L"MS Serif"));
            HDC target = canvas.GetHandle();
            WinHandles::TSelectObject select(target, font);
            SetBkMode(target, OPAQUE);
            SetBkColor(target, Rgb(FNormColor));
            SetTextColor(target, has(omAlwaysDefFont) || has(omAlwaysDefFontColor)
                                     ? GetSysColor(COLOR_MENUTEXT)
                                     : Rgb(FFont->GetColor()));
            // As wide as the text in the separator's own font.
            SIZE extent{};
            GetTextExtentPoint32W(target, reinterpret_cast<LPCWSTR>(text.c_str()), int(text.size()), &extent);
            RECT rect{l.TextLeft, l.TextTop - 1, l.TextLeft + extent.cx, l.TextTop + 8};
            DrawTextW(target, reinterpret_cast<LPCWSTR>(text.c_str()), int(text.size()), &rect, DT_NOCLIP);
        }
    } else {
        HDC target = canvas.GetHandle();
        SetBkMode(target, TRANSPARENT);
        TRect t{l.TextLeft, l.TextTop, l.TextLeft + l.TextWidth, l.TextTop + l.ImageSize};
        UINT stateFlags = 0;
        if (!enabled) {
            setTextColor(GetSysColor(COLOR_GRAYTEXT));
            stateFlags = !selected || has(omNoHighlightDisabled) ? DSS_DISABLED
                         : GetSysColor(COLOR_MENU) == kSilver    ? 0
                                                                 : DSS_UNION;
        }
        auto drawText = [&](const std::u16string& text, const TRect& rect) {
            if (enabled)
                FShadow->DrawShadowText(target, text, selected, DT_NOCLIP, rect);
            else
                DrawStateW(target, nullptr, nullptr, LPARAM(text.c_str()), WPARAM(text.size()), rect.left,
                           rect.top, 0, 0, stateFlags | DST_PREFIXTEXT);
        };
        drawText(caption, t);
        if (!shortCut.empty()) {
            t.left = r.right - l.ShortCutWidth - l.CheckWidth;
            t.right = r.right;
            drawText(shortCut, t);
        }
    }

    // 11. The item's slice of the side bar: the rows of the bar bitmap beside the entry. The bitmap starts
    // at the popup's first entry, which the system may inset from the window's corner by a border as wide
    // as the entries' left edge.
    if (b > 0) {
        TColor saved = canvas.GetBrush()->GetColor();
        canvas.GetBrush()->SetColor(FBarColor);
        TRect z{r.left, r.top - 10, r.left + b, r.top + r.bottom + 10};
        TRect source = z;
        OffsetRect(&source, -r.left, -r.left);
        canvas.CopyRect(z, menu.GetBarBitmap()->GetCanvas(), source);
        canvas.GetBrush()->SetColor(saved);
    }

    // 12. The background of icons and disabled images.
    if (has(omNoHighlightImage)) canvas.GetBrush()->SetColor(TColor(GetSysColor(COLOR_MENU)));

    // 13. The image: the picture, the check or radio mark, or the engraved picture of a disabled entry.
    // The graphics are drawn where they are: nothing is copied for a highlight change.
    Graphics::TGraphic* graphic = nullptr;
    auto takeMark = [&] {
        if (!checked) return;
        graphic = menuItem.GetRadioItem() ? FRadioBitmap.get() : FCheckBitmap.get();
        FTrColor = kCheckBackground;
    };
    if (enabled) {
        graphic = FPicture->GetGraphic();
        if (!separator) takeMark();
    } else if (FDisabledPicture->GetGraphic() != nullptr) {
        graphic = FDisabledPicture->GetGraphic();
    } else if (FPicture->GetGraphic() != nullptr) {
        graphic = FPicture->GetGraphic();
        takeMark();
        if (dynamic_cast<Graphics::TMetafile*>(graphic) != nullptr)
            throw SysUtils::Exception("Metafile can't be attached to disabled menu item");
        if (auto* bitmap = dynamic_cast<TBitmap*>(graphic))
            FWorkBitmap->Assign(bitmap);
        else
            GraphicToBitmap(*FWorkBitmap, *graphic, FTrColor);
        UINT state = record.itemState;
        TColor shadow = Graphics::clBtnShadow;
        if (selected && !has(omNoHighlightDisabled) && !has(omNoHighlightImage))
            shadow = TColor(kGrey);
        else
            state &= ~UINT(ODS_SELECTED);
        MakeDisabledImage(FWorkBitmap.get(), canvas.GetBrush()->GetColor(), shadow, state);
        graphic = FWorkBitmap.get();
    }

    // 14. The image drawn in its cell, scaled to it; a bitmap straight from its own canvas, in one call.
    const int size = l.ImageSize;
    if (auto* icon = dynamic_cast<Graphics::TIcon*>(graphic)) {
        DrawIconEx(canvas.GetHandle(), l.ImageLeft, l.ImageTop, icon->GetHandle(), size, size, 0,
                   canvas.GetBrush()->GetHandle(), DI_NORMAL);
    } else if (auto* bitmap = dynamic_cast<TBitmap*>(graphic); bitmap != nullptr && !bitmap->GetEmpty()) {
        HDC target = canvas.GetHandle();
        HDC source = bitmap->GetCanvas()->GetHandle();
        if (FTrColor != Graphics::clNone) {
            // The engraved image is made anew for each call: nothing of it is kept.
            DrawTransparent(target, TRect{l.ImageLeft, l.ImageTop, l.ImageLeft + size, l.ImageTop + size},
                            *bitmap, FTrColor, bitmap != FWorkBitmap.get());
        } else {
            int oldMode = SetStretchBltMode(target, COLORONCOLOR);
            StretchBlt(target, l.ImageLeft, l.ImageTop, size, size, source, 0, 0, bitmap->GetWidth(),
                       bitmap->GetHeight(), SRCCOPY);
            SetStretchBltMode(target, oldMode);
        }
    } else if (graphic != nullptr && !graphic->GetEmpty()) {
        canvas.StretchDraw(TRect{l.ImageLeft, l.ImageTop, l.ImageLeft + size, l.ImageTop + size}, graphic);
        if (dynamic_cast<Graphics::TMetafile*>(FPicture->GetGraphic()) != nullptr)
            if (auto* owner = dynamic_cast<Controls::TControl*>(menu.GetOwner())) owner->Invalidate();
    }
}

} // namespace VeskMenu

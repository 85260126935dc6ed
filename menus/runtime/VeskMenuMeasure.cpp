// VeskMenu: measuring an owner-drawn entry. All entries of one popup line up: each caption column is as wide
// as the popup's widest caption, each shortcut column as its widest shortcut, each entry as its widest
// entry (the component's accumulators carry the maxima through the popup's measuring pass).
#include "menus/runtime/VeskMenu.h"

#include "framework/vcl/WinHandles.h"

namespace VeskMenu {

HDC MeasureDC() {
    // A memory DC of the screen's kind: text measures as on the screen, without the cost of the screen's
    // own DC at every entry (a popup asks for each entry once it has measured all of them).
    static WinHandles::TMemoryDC dc{WinHandles::TWindowDC(nullptr)};
    return dc;
}

bool TVeskMenuItem::IsMenuBarItem() const {
    return FMenu != nullptr && FMenuItem != nullptr && dynamic_cast<Menus::TPopupMenu*>(FMenu) == nullptr &&
           FMenuItem->GetParent() != nullptr && FMenuItem->GetParent()->GetHandle() == FMenu->GetHandle();
}

int TVeskMenuItem::BarOffset() const {
    Graphics::TBitmap* bar = FParent != nullptr ? FParent->GetBarBitmap() : nullptr;
    return bar != nullptr && !bar->GetEmpty() && FOptions.Contains(omDrawBarIfNeeded) ? bar->GetWidth() : 0;
}

void TVeskMenuItem::MeasureItem(Messages::TMessage& Message, const String& Caption, const String& ShortCut) {
    // Without a component there are no spacing and no maxima to measure with: the system's answer stands.
    if (FParent == nullptr) return;
    auto& record = *reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
    TVeskMenu& menu = *FParent;
    TItemLayout& l = FLayout;
    Graphics::TCanvas canvas;
    canvas.SetHandle(MeasureDC());
    struct TRelease {
        Graphics::TCanvas& Canvas;
        ~TRelease() { Canvas.SetHandle(nullptr); }
    } release{canvas};
    canvas.GetFont()->Assign(FFont.get());
    if (FMenuItem != nullptr && FMenuItem->GetDefault())
        canvas.GetFont()->SetStyle(canvas.GetFont()->GetStyle() + Graphics::TFontStyles{Graphics::fsBold});

    const Graphics::TSize extent = canvas.TextExtent(Caption);
    l.TextHeight = extent.cy;
    l.TextWidth = extent.cx;
    l.ShortCutWidth = ShortCut.empty() ? 0 : canvas.TextWidth(ShortCut);
    bool bar = IsMenuBarItem();
    if (!bar) {
        if (menu.MaxTextWidth >= l.TextWidth)
            l.TextWidth = menu.MaxTextWidth;
        else
            menu.MaxTextWidth = l.TextWidth;
    }
    l.ImageSize = FOptions.Contains(omFixedImgSize) ? FCustomImgSize : l.TextHeight;
    const int w = l.CheckWidth, h = menu.GetHSpace(), v = menu.GetVSpace();
    int width, height;
    if (FTextAlign == Controls::alTop || FTextAlign == Controls::alBottom) {
        height = 2 * l.ImageSize + 3 * v;
        width = l.TextWidth + w;
        l.ItemWidth = width + w;
    } else {
        height = l.ImageSize + 2 * v;
        if (FOptions.Contains(omNoImageAttached))
            width = bar ? l.TextWidth : l.TextWidth + 2 * h + w;
        else if (bar)
            width = l.TextWidth + l.ImageSize + v;
        else
            width =
                l.TextWidth + l.ImageSize + (FMenuItem != nullptr && FMenuItem->GetCount() > 0 ? 2 * w : w);
    }
    width += BarOffset();
    if (Caption == "-") height = canvas.TextHeight("-");
    if (width > menu.MaxItemWidth) menu.MaxItemWidth = width;
    if (menu.MaxShortCutWidth >= l.ShortCutWidth)
        l.ShortCutWidth = menu.MaxShortCutWidth;
    else
        menu.MaxShortCutWidth = l.ShortCutWidth;
    if (!bar) width = menu.MaxItemWidth + menu.MaxShortCutWidth + h;
    record.itemWidth = UINT(std::max(width, 0));
    record.itemHeight = UINT(std::max(height, 0));
    l.ItemHeight = height;
    menu.TotalHeight += height;
}

} // namespace VeskMenu

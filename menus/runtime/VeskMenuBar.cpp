// VeskMenu: the side bar (its bitmap, painted from the bar description) and the bulk setters.
#include "menus/runtime/VeskMenu.h"

#include "framework/vcl/WinHandles.h"

namespace VeskMenu {

using Graphics::TBitmap;
using Graphics::TCanvas;

namespace {

// A font size in points as a height in pixels on the screen; 0 when it cannot be computed.
int BarFontHeight(int Points) {
    try {
        WinHandles::TWindowDC screen(nullptr);
        return MulDiv(Points, GetDeviceCaps(screen, LOGPIXELSY), 72);
    } catch (const std::exception&) {
        return 0;
    }
}

void SelectBarFont(TCanvas& Canvas, int Points, bool Serif, TColor Color) {
    Canvas.GetFont()->SetColor(Color);
    Canvas.GetFont()->SetHandle(CreateBarFont(BarFontHeight(Points), Serif));
}

// The bitmap lies on its side: its height runs along the menu, the caption reads from bottom to top.
void PaintBarBitmap(TVeskMenu& Menu, TBitmap& Bitmap, const TVeskMenuBar& Bar) {
    TCanvas& canvas = *Bitmap.GetCanvas();
    canvas.GetBrush()->SetColor(Bar.GetBackFrom());
    std::vector<TVeskBarCaptionData> entries;
    for (int i = 0; i < Bar.GetItemCount(); ++i)
        if (TVeskBarCaptionData data; Bar.GetItem(i, data)) entries.push_back(data);
    bool entryMode = !entries.empty();
    // 1. The size: as long as the longest text + 8 or the popup, as wide as the tallest text + 4.
    int length = 0, width = 0;
    if (!entryMode) {
        SelectBarFont(canvas, Bar.GetSize(), Bar.GetIsSerif(), Bar.GetFore());
        length = canvas.TextWidth(Bar.GetCaption()) + 8;
        width = canvas.TextHeight(Bar.GetCaption()) + 4;
    } else {
        for (const TVeskBarCaptionData& entry : entries) {
            SelectBarFont(canvas, entry.Size, entry.IsSerif, entry.Color);
            width = std::max(width, canvas.TextHeight(entry.Caption) + 4);
            length = std::max(length, canvas.TextWidth(entry.Caption) + 8);
        }
    }
    length = std::max(length, Menu.TotalHeight);
    Bitmap.SetHeight(length);
    Bitmap.SetWidth(width);
    // 2. The background.
    int w = Bitmap.GetWidth(), h = Bitmap.GetHeight();
    if (Bar.GetIsGradient()) {
        GradientFill(canvas, TRect{0, 0, w, h}, Bar.GetBackFrom(), Bar.GetBackTo(), 32);
        canvas.GetBrush()->SetStyle(Graphics::bsClear); // the texts stand on the gradient
        SetBkMode(canvas.GetHandle(), TRANSPARENT);
    } else {
        canvas.GetBrush()->SetStyle(Graphics::bsSolid);
        canvas.GetBrush()->SetColor(Bar.GetBackFrom());
        canvas.FillRect(TRect{0, 0, w, h});
    }
    // 3. The texts, on their baselines from the bottom up, offset along the bar by the alignment.
    SetTextAlign(canvas.GetHandle(), TA_BASELINE);
    TCaptionAlign align = Bar.GetCaptionAlign();
    int margin = align == alUp ? -int(Bar.GetSpace()) : int(Bar.GetSpace());
    auto offset = [&] {
        int t = canvas.TextWidth(Bar.GetCaption());
        return align == alUp ? h - t - 8 : align == alCenter ? (h - t - 8) / 2 : 0;
    };
    int x = w - w / 4;
    if (!entryMode) {
        canvas.TextOut(x, h - margin - offset() - 4, Bar.GetCaption());
    } else {
        int along = 0;
        for (const TVeskBarCaptionData& entry : entries) {
            SelectBarFont(canvas, entry.Size, entry.IsSerif, entry.Color);
            canvas.TextOut(x, h - along - margin - offset() - 4, entry.Caption);
            along += canvas.TextWidth(entry.Caption);
        }
    }
    SetTextAlign(canvas.GetHandle(), TA_LEFT | TA_TOP);
    // 4. The etched strip that parts the bar from the items.
    if (Bar.GetIsSeparator()) {
        Bitmap.SetWidth(w + 6);
        w = Bitmap.GetWidth();
        canvas.GetBrush()->SetStyle(Graphics::bsSolid);
        canvas.GetBrush()->SetColor(TColor(GetSysColor(COLOR_MENU)));
        canvas.FillRect(TRect{w - 6, 0, w, h});
        canvas.GetPen()->SetColor(TColor(0x808080));
        canvas.MoveTo(w - 4, 0);
        canvas.LineTo(w - 4, h);
        canvas.GetPen()->SetColor(TColor(GetSysColor(COLOR_BTNHIGHLIGHT)));
        canvas.MoveTo(w - 3, 0);
        canvas.LineTo(w - 3, h);
    }
}

} // namespace

void TVeskMenu::SetShowBar(bool Value) {
    FShowBar = Value;
    if (!Value) RemoveBar();
    if (FActive) Refresh(this, RA_REFRESH);
}

void TVeskMenu::AddBar() {
    PaintBarBitmap(*this, *BarBitmap, *FMenuBar);
    for (TVeskMenuItem* item : FItems)
        if (item->FOptions.Contains(omDrawBarIfNeeded)) item->FBarColor = FMenuBar->GetBackFrom();
}

void TVeskMenu::RemoveBar() {
    BarBitmap->Assign(nullptr);
}

void TVeskMenu::RefreshBar(TObject* Sender) {
    RemoveBar();
    if (FShowBar) AddBar();
    if (!FActive) return;
    if (auto* parent = dynamic_cast<Menus::TMenuItem*>(Sender)) {
        for (TVeskMenuItem* item : std::vector<TVeskMenuItem*>(FItems))
            if (item->FMenuItem != nullptr && item->FMenuItem->GetParent() == parent)
                Refresh(item, RA_REFRESH);
    } else {
        Refresh(this, RA_REFRESH);
    }
}

void TVeskMenu::GlobalSetParameters(TGlobalParameters Params, int Flags) {
    auto on = [&](int bit) { return Flags == 0 || (Flags & bit) != 0; };
    for (TVeskMenuItem* item : std::vector<TVeskMenuItem*>(FItems)) {
        if (on(0x1)) item->FFont->Assign(Params.Font);
        if (on(0x2)) item->FNormColor = Params.NormColor;
        if (on(0x4)) item->FSelColor = Params.SelColor;
        if (on(0x8)) item->FTrColor = Params.TrColor;
        if (on(0x20)) item->FTextAlign = Params.TextAlign;
        if (on(0x40)) item->FCustomImgSize = Params.CustomImgSize;
        if (on(0x80)) item->SetOptions(Params.Options);
        if (Flags != 0 && (Flags & 0x100)) item->SetOptions(item->FOptions + Params.Options);
        if (Flags != 0 && (Flags & 0x200)) item->SetOptions(item->FOptions - Params.Options);
        if (on(0x400)) item->FBevelInner = Params.BevelInner;
        if (on(0x800)) item->FBevelOuter = Params.BevelOuter;
        if (on(0x1000)) item->FBevelStyle = Params.BevelStyle;
        if (on(0x2000)) item->FSeparatorText = Params.SeparatorText;
    }
    if (FActive) Refresh(this, RA_REFRESH);
}

void TVeskMenu::GlobalSetShadow(TGlobalShadowParameters Params, int Flags) {
    auto on = [&](int bit) { return Flags == 0 || (Flags & bit) != 0; };
    for (TVeskMenuItem* item : FItems) {
        TShadowText& shadow = *item->FShadow;
        if (on(0x1)) shadow.SetActive(Params.Active);
        if (on(0x2)) shadow.SetShadowColor(Params.ShadowColor);
        if (on(0x4)) shadow.SetSelShadowColor(Params.SelShadowColor);
        if (on(0x8)) shadow.SetShadowPos(Params.ShadowPos);
        if (on(0x10)) shadow.SetSelShadowPos(Params.SelShadowPos);
        if (on(0x20)) shadow.SetShadowSize(Params.ShadowSize);
        if (on(0x40)) shadow.SetSelShadowSize(Params.SelShadowSize);
        if (on(0x80)) shadow.SetOptions(Params.Options);
        if (Flags != 0 && (Flags & 0x100)) shadow.SetOptions(shadow.GetOptions() + Params.Options);
        if (Flags != 0 && (Flags & 0x200)) shadow.SetOptions(shadow.GetOptions() - Params.Options);
    }
    if (FActive) Refresh(this, RA_REFRESH);
}

} // namespace VeskMenu

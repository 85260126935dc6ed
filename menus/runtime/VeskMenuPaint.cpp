// VeskMenu: the painting routines that item drawing, the component and the side bar share.
#include "menus/runtime/VeskMenu.h"

#include "framework/core/ClassesReaderWriter.h"
#include "framework/vcl/WinHandles.h"

namespace VeskMenu {

using Graphics::ColorToRGB;
using Graphics::TBitmap;
using Graphics::TCanvas;

namespace {

constexpr DWORD kMaskPaint = 0x00E20746; // the brush where the mask is black, the destination where white

// Paints the canvas's brush through a monochrome mask at (X, Y): BitBlt of Mask with kMaskPaint.
void PaintThroughMask(TCanvas& Dest, TBitmap& Mask, int X, int Y, TColor BrushColor) {
    Dest.GetBrush()->SetColor(BrushColor);
    HDC dc = Dest.GetHandle();
    WinHandles::TSelectObject brush(dc, Dest.GetBrush()->GetHandle());
    SetTextColor(dc, 0);
    SetBkColor(dc, 0xFFFFFF);
    BitBlt(dc, X, Y, Mask.GetWidth(), Mask.GetHeight(), Mask.GetCanvas()->GetHandle(), 0, 0, kMaskPaint);
}

} // namespace

HINSTANCE PackageInstance() {
    return static_cast<HINSTANCE>(
        Classes::FindResourceHInstance(Classes::FindClassHInstance(&TVeskMenu::ClassInfo)));
}

TColor InverseColor(TColor Color) {
    uint32_t rgb = uint32_t(ColorToRGB(Color));
    return TColor(16777215 - RedOf(rgb) - GreenOf(rgb) * 256 - BlueOf(rgb) * 65536);
}

int SetMenuFont(Graphics::TFont& Font) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    // Captions in any script: a menu font described in the Western set is asked for in the default set,
    // so that letters its face lacks are drawn in the same font of their own set.
    if (metrics.lfMenuFont.lfCharSet == ANSI_CHARSET) metrics.lfMenuFont.lfCharSet = DEFAULT_CHARSET;
    Font.SetHandle(WinHandles::Check(CreateFontIndirectW(&metrics.lfMenuFont), "the menu font"));
    return metrics.lfMenuFont.lfHeight;
}

HFONT CreateBarFont(int Height, bool Serif) {
    return CreateFontW(Height, 0, 900, 900, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_PRECIS,
                       CLIP_DEFAULT_PRECIS, PROOF_QUALITY,
                       Serif ? (VARIABLE_PITCH | FF_ROMAN) : (VARIABLE_PITCH | FF_SWISS),
                       Serif ? L"Times New Roman" : L"Arial");
}

void GradientFill(TCanvas& Canvas, const TRect& Rect, TColor FromColor, TColor ToColor, int Steps) {
    uint32_t from = uint32_t(ColorToRGB(FromColor)), to = uint32_t(ColorToRGB(ToColor));
    int r0 = RedOf(from), g0 = GreenOf(from), b0 = BlueOf(from);
    int dr = RedOf(to) - r0, dg = GreenOf(to) - g0, db = BlueOf(to) - b0;
    Canvas.GetPen()->SetStyle(Graphics::psSolid);
    Canvas.GetPen()->SetMode(Graphics::pmCopy);
    int h = Rect.bottom - Rect.top, w = Rect.right - Rect.left;
    if (Steps <= 0) return;
    // Steps + 1 bands from the bottom up; the top one lies above the rectangle. Bands are measured from 0.
    for (int i = Steps; i >= 0; --i) {
        int k = Steps - i;
        int top = MulDiv(i - 1, h, Steps), bottom = MulDiv(i, h, Steps);
        auto channel = [&](int c0, int d) {
            return Steps > 1 ? uint8_t((c0 + MulDiv(k, d, Steps)) & 0xFF) : uint8_t(c0);
        };
        Canvas.GetBrush()->SetColor(MakeRGB(channel(r0, dr), channel(g0, dg), channel(b0, db)));
        HDC dc = Canvas.GetHandle();
        WinHandles::TSelectObject brush(dc, Canvas.GetBrush()->GetHandle());
        PatBlt(dc, Rect.left, top, w, bottom - top, PATCOPY);
    }
}

void GraphicToBitmap(TBitmap& Bitmap, Graphics::TGraphic& Graphic, TColor BackColor) {
    Bitmap.SetWidth(Graphic.GetWidth());
    Bitmap.SetHeight(Graphic.GetHeight());
    TCanvas& canvas = *Bitmap.GetCanvas();
    canvas.GetBrush()->SetColor(BackColor);
    canvas.FillRect(TRect{0, 0, Bitmap.GetWidth(), Bitmap.GetHeight()});
    canvas.Draw(0, 0, &Graphic);
}

void MakeDisabledImage(TBitmap* Bitmap, TColor BackColor, TColor ShadowColor, UINT State) {
    if (Bitmap == nullptr) return;
    int w = Bitmap->GetWidth(), h = Bitmap->GetHeight();
    TBitmap result;
    result.SetWidth(w);
    result.SetHeight(h);
    // The mask: dark pixels of the source black, light ones white.
    TBitmap mask;
    mask.Assign(Bitmap);
    mask.SetHandleType(Graphics::bmDDB);
    mask.GetCanvas()->GetBrush()->SetColor(Graphics::clBlack);
    mask.SetWidth(w);
    if (mask.GetMonochrome()) {
        mask.GetCanvas()->GetFont()->SetColor(Graphics::clWhite);
        mask.SetMonochrome(false);
        mask.GetCanvas()->GetBrush()->SetColor(Graphics::clWhite);
    }
    mask.SetMonochrome(true);

    TCanvas& canvas = *result.GetCanvas();
    canvas.GetBrush()->SetColor(BackColor);
    canvas.FillRect(TRect{0, 0, w, h});
    // A selected entry of a silver menu gets no highlight copy: it would vanish into the highlight.
    bool silverSelected = (State & 1) != 0 && GetSysColor(COLOR_MENU) == 0xC0C0C0;
    if (!silverSelected) PaintThroughMask(canvas, mask, 1, 1, Graphics::clBtnHighlight);
    PaintThroughMask(canvas, mask, 0, 0, ShadowColor);
    Bitmap->Assign(&result);
}

void DrawRoundBevel(TCanvas& Canvas, const TRect& Rect, TColor FillColor, TColor HighlightColor,
                    TColor ShadowColor, int Radius, UINT InnerEdge, UINT OuterEdge) {
    int l = Rect.left, t = Rect.top, r = Rect.right, b = Rect.bottom;
    Canvas.GetBrush()->SetStyle(Graphics::bsClear);
    Canvas.GetBrush()->SetColor(FillColor);
    Canvas.GetPen()->SetWidth(1);
    auto frame = [&](TColor pen, int x1, int y1, int x2, int y2) {
        Canvas.GetPen()->SetColor(pen);
        Canvas.RoundRect(x1, y1, x2, y2, Radius, Radius);
    };
    if (InnerEdge == BDR_RAISEDINNER) frame(HighlightColor, l, t, r - 2, b - 2);
    if (InnerEdge == BDR_SUNKENINNER) frame(ShadowColor, l, t, r - 2, b - 2);
    if (OuterEdge == BDR_SUNKENOUTER) frame(HighlightColor, l + 1, t + 1, r - 1, b - 1);
    if (OuterEdge == BDR_RAISEDOUTER) frame(ShadowColor, l + 1, t + 1, r - 1, b - 1);
    frame(FillColor, l + 1, t + 1, r - 2, b - 2);
}

void SetRightJustify(Menus::TMenu& Menu, Menus::TMenuItem& Item, bool RightJustify) {
    // Only the type flags travel (MIIM_FTYPE): a round trip of the text through a buffer would cut long
    // captions.
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE;
    if (!GetMenuItemInfoW(Menu.GetHandle(), Item.GetCommand(), FALSE, &info)) return;
    if (RightJustify) info.fType |= MFT_RIGHTJUSTIFY;
    SetMenuItemInfoW(Menu.GetHandle(), Item.GetCommand(), FALSE, &info);
}

int TShadowText::DrawShadowText(HDC DC, std::u16string_view Text, bool Selected, UINT Format,
                                TRect Rect) const {
    auto* text = reinterpret_cast<LPCWSTR>(Text.data());
    int length = int(Text.size());
    RECT textRect = Rect;
    bool shadow = FActive && !(Selected && FOptions.Contains(soNoShadowIfSel)) &&
                  !(!Selected && FOptions.Contains(soNoShadowIfNormal));
    if (shadow) {
        RECT shadowRect = Rect;
        COLORREF old = SetTextColor(DC, COLORREF(ColorToRGB(Selected ? FSelShadowColor : FShadowColor)));
        TShadowPosition pos = Selected ? FSelShadowPos : FShadowPos;
        int d = Selected ? FSelShadowSize : FShadowSize;
        switch (pos) {
        case spLeftTop:
            OffsetRect(&textRect, d, d);
            break;
        case spLeftBottom:
            OffsetRect(&textRect, d, 0);
            OffsetRect(&shadowRect, 0, d);
            break;
        case spRightBottom:
            OffsetRect(&shadowRect, d, d);
            break;
        case spRightTop:
            OffsetRect(&textRect, 0, d);
            OffsetRect(&shadowRect, d, 0);
            break;
        }
        DrawTextW(DC, text, length, &shadowRect, Format);
        SetTextColor(DC, old);
    }
    return DrawTextW(DC, text, length, &textRect, Format);
}

} // namespace VeskMenu

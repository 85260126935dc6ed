// VeskMenu, inside the unit: the kept mask and cut-out of an item's transparent image.
#pragma once

#include "menus/runtime/VeskMenu.h"

#include "framework/vcl/WinHandles.h"

#include <utility>

namespace VeskMenu {

using Graphics::TBitmap;

// The mask (white where the bitmap has the transparent colour) and the cut-out (the bitmap, black there) of
// the last bitmap drawn with a transparent colour, each selected into a memory DC of its own.
struct TVeskMenuItem::TImageCache {
    const TBitmap* Source = nullptr;
    TColor TrColor = Graphics::clNone;
    int Width = 0, Height = 0;
    WinHandles::TBitmapHandle Mask, Cut; // destroyed after the DCs, which let them go first
    WinHandles::TMemoryDC MaskDC, CutDC;
    HGDIOBJ OldMask = nullptr, OldCut = nullptr;

    void Make(TBitmap& Bitmap, TColor Colour) {
        HDC source = Bitmap.GetCanvas()->GetHandle();
        int w = Bitmap.GetWidth(), h = Bitmap.GetHeight();
        WinHandles::TBitmapHandle mask(WinHandles::Check(CreateBitmap(w, h, 1, 1, nullptr), "an image mask"));
        WinHandles::TBitmapHandle cut(WinHandles::Check(CreateCompatibleBitmap(source, w, h), "an image"));
        Release();
        OldMask = SelectObject(MaskDC, mask);
        OldCut = SelectObject(CutDC, cut);
        Mask = std::move(mask);
        Cut = std::move(cut);
        COLORREF oldBk = SetBkColor(source, COLORREF(Graphics::ColorToRGB(Colour)));
        BitBlt(MaskDC, 0, 0, w, h, source, 0, 0, SRCCOPY); // the colour's pixels white, the others black
        SetBkColor(source, oldBk);
        BitBlt(CutDC, 0, 0, w, h, source, 0, 0, SRCCOPY);
        SetTextColor(CutDC, 0);
        SetBkColor(CutDC, 0xFFFFFF);
        BitBlt(CutDC, 0, 0, w, h, MaskDC, 0, 0, 0x00220326); // black where the mask is white
        Source = &Bitmap;
        TrColor = Colour;
        Width = w;
        Height = h;
    }
    void Release() {
        if (OldMask) SelectObject(MaskDC, std::exchange(OldMask, nullptr));
        if (OldCut) SelectObject(CutDC, std::exchange(OldCut, nullptr));
        Mask.Reset();
        Cut.Reset();
        Source = nullptr;
    }
    ~TImageCache() { Release(); }
};

} // namespace VeskMenu

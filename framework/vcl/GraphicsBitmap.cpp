// Graphics: TBitmap, its handle, canvas, changes of size and layout, and drawing (the bitmap file format is
// in GraphicsBitmapFile.cpp).
//
// Invariants:
//   1. FHandle is selected into no DC but its canvas's (TBitmapCanvas) or a TSourceDC's for the length of
//      one call; whatever reads it with GetDIBits, replaces it or hands it out calls FreeContext first.
//   2. FImage holds the file bytes of exactly the picture FHandle holds, or is empty; whatever may change the
//      pixels empties it first (Changing, Adopt).
//   3. FWidth, FHeight, FHandleType and FFormat describe FHandle (while dormant: the picture in FImage).
//   4. FMaskHandle is the mask of the current pixels and transparent colour, or null.
#include "framework/vcl/Graphics.h"

#include <algorithm>
#include <optional>

namespace Graphics {

using Detail::Stride;
using Detail::TBitmapInfo;
using Detail::TDibFormat;

namespace {

constexpr COLORREF Black = RGB(0, 0, 0), White = RGB(255, 255, 255);

int ScreenBits() {
    static const int bits = [] {
        WinHandles::TWindowDC screen(nullptr);
        return GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
    }();
    return bits;
}

TDibFormat MonoFormat() {
    TDibFormat f;
    f.Bits = 1;
    f.Palette = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    return f;
}

// A DDB of the screen's depth (16 bits: 5-6-5), or a monochrome one.
TDibFormat DeviceFormat(int Bits) {
    if (Bits == 1) return MonoFormat();
    TDibFormat f;
    f.Bits = Bits;
    if (Bits == 16) {
        f.Compression = BI_BITFIELDS;
        f.Masks[0] = 0xF800;
        f.Masks[1] = 0x07E0;
        f.Masks[2] = 0x001F;
    }
    return f;
}

bool IsBlackAndWhite(const std::vector<RGBQUAD>& Palette) {
    auto is = [](const RGBQUAD& q, BYTE v) { return q.rgbRed == v && q.rgbGreen == v && q.rgbBlue == v; };
    return Palette.size() == 2 && is(Palette[0], 0) && is(Palette[1], 255);
}

// The colour tables of the palette depths: the 16 VGA colours, and at 8 bits those 16 followed by a
// 6 x 6 x 6 colour cube and greys.
std::vector<RGBQUAD> StandardPalette(int Bits) {
    static const BYTE vga[16][3] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                    {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                    {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                    {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
    std::vector<RGBQUAD> p;
    for (const auto& c : vga)
        p.push_back({c[2], c[1], c[0], 0});
    if (Bits == 8) {
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    p.push_back({BYTE(b * 51), BYTE(g * 51), BYTE(r * 51), 0});
        for (int i = 1; p.size() < 256; ++i)
            p.push_back({BYTE(i * 255 / 25), BYTE(i * 255 / 25), BYTE(i * 255 / 25), 0});
    }
    return p;
}

TDibFormat FormatOf(TPixelFormat Value) {
    TDibFormat f;
    switch (Value) {
    case pf1bit:
        return MonoFormat();
    case pf4bit:
    case pf8bit:
        f.Bits = Value == pf4bit ? 4 : 8;
        f.Palette = StandardPalette(f.Bits);
        return f;
    case pf15bit:
        f.Bits = 16;
        return f;
    case pf16bit:
        return DeviceFormat(16);
    case pf24bit:
        f.Bits = 24;
        return f;
    default:
        f.Bits = 32;
        return f;
    }
}

// Writes top-down pixels into Handle: COLORREFs (GDI takes them to the handle's depth), or for a monochrome
// handle bits: 1 where the pixel is white.
void WritePixels(HBITMAP Handle, const std::vector<COLORREF>& Pixels, bool Mono, int Width, int Height) {
    WinHandles::TWindowDC screen(nullptr);
    if (Mono) {
        TBitmapInfo bi(Width, -Height, 1);
        bi.Colors[1] = {255, 255, 255, 0};
        size_t stride = Stride(Width, 1);
        std::vector<uint8_t> bits(stride * size_t(Height));
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Width; ++x)
                if (Pixels[size_t(y) * size_t(Width) + size_t(x)] == White)
                    bits[size_t(y) * stride + size_t(x / 8)] |= uint8_t(0x80 >> (x % 8));
        SetDIBits(screen, Handle, 0, UINT(Height), bits.data(), bi.Get(), DIB_RGB_COLORS);
        return;
    }
    TBitmapInfo bi(Width, -Height, 32);
    std::vector<uint32_t> bits(Pixels.size());
    for (size_t i = 0; i < Pixels.size(); ++i)
        bits[i] =
            uint32_t(GetRValue(Pixels[i])) << 16 | uint32_t(GetGValue(Pixels[i])) << 8 | GetBValue(Pixels[i]);
    SetDIBits(screen, Handle, 0, UINT(Height), bits.data(), bi.Get(), DIB_RGB_COLORS);
}

} // namespace

// ==== TBitmapCanvas ========================================================================================

// The canvas of a bitmap: a memory DC made when drawing starts, holding the bitmap (invariant 1).
class TBitmapCanvas : public TCanvas {
public:
    explicit TBitmapCanvas(TBitmap* Bitmap) : FBitmap(Bitmap) {}
    ~TBitmapCanvas() override { FreeContext(); }

    void FreeContext() {
        if (!FDC) return;
        SetHandle(nullptr);
        if (FOldBitmap) SelectObject(FDC, FOldBitmap);
        DeleteDC(FDC);
        FDC = nullptr;
        FOldBitmap = nullptr;
    }

protected:
    void CreateHandle() override {
        FBitmap->HandleNeeded();
        HDC dc = WinHandles::Check(CreateCompatibleDC(nullptr), "a memory device context");
        if (FBitmap->FHandle) {
            FOldBitmap = SelectObject(dc, FBitmap->FHandle);
            if (!FOldBitmap) {
                DeleteDC(dc);
                throw Classes::EInvalidOperation("The bitmap is selected into another device context");
            }
        }
        FDC = dc;
        SetHandle(dc);
    }

private:
    TBitmap* FBitmap;
    HDC FDC = nullptr;
    HGDIOBJ FOldBitmap = nullptr;
};

// A DC holding the bitmap for reading during one call: its canvas's when that has one, else a memory DC of
// its own.
class TBitmap::TSourceDC {
public:
    explicit TSourceDC(TBitmap& Bitmap) {
        Bitmap.HandleNeeded();
        if (Bitmap.FCanvas && Bitmap.FCanvas->HandleAllocated()) {
            FDC = Bitmap.FCanvas->GetHandle();
        } else {
            FMemory.emplace();
            FSelect.emplace(*FMemory, Bitmap.FHandle);
            FDC = *FMemory;
        }
    }
    operator HDC() const { return FDC; }

private:
    std::optional<WinHandles::TMemoryDC> FMemory;
    std::optional<WinHandles::TSelectObject> FSelect;
    HDC FDC = nullptr;
};

// ==== TBitmap ==============================================================================================

TBitmap::TBitmap() {
    FFormat = DeviceFormat(ScreenBits());
}

TBitmap::~TBitmap() = default; // the canvas, declared last, lets the bitmap go first (invariant 1)

bool TBitmap::GetEmpty() const {
    return !FHandle && FImage.empty();
}

TCanvas* TBitmap::GetCanvas() {
    if (!FCanvas) {
        FCanvas = std::make_unique<TBitmapCanvas>(this);
        FCanvas->OnChanging = TNotifyEvent::Bind<&TBitmap::CanvasChanging>(this);
        FCanvas->OnChange = TNotifyEvent::Bind<&TBitmap::CanvasChanged>(this);
    }
    return FCanvas.get();
}

void TBitmap::FreeContext() {
    if (FCanvas) FCanvas->FreeContext();
}

void TBitmap::Changing() {
    FImage.clear();
    FreeMask();
}

void TBitmap::FreeMask() {
    FMaskHandle.Reset();
}

void TBitmap::CanvasChanging(TObject*) {
    Changing();
}

void TBitmap::CanvasChanged(TObject*) {
    Changed();
}

void TBitmap::HandleNeeded() {
    if (FHandle || FImage.empty()) return;
    // Awake from Dormant: the kept bytes make a DIB; a DDB becomes one again, the bytes still describing it.
    TBitmapHandleType type = FHandleType;
    TDibFormat format = FFormat;
    std::vector<uint8_t> image = FImage;
    LoadImage(image);
    if (type == bmDDB) {
        Rebuild(bmDDB, format, FWidth, FHeight);
        FImage = std::move(image);
    }
}

void TBitmap::Adopt(HBITMAP Handle, TBitmapHandleType Type, TDibFormat Format, int AWidth, int AHeight) {
    FreeContext();
    Changing();
    FHandle.Reset(Handle);
    FHandleType = Type;
    FFormat = std::move(Format);
    FWidth = AWidth;
    FHeight = AHeight;
}

HBITMAP TBitmap::CreateHandle(TBitmapHandleType Type, const TDibFormat& Format, int AWidth, int AHeight) {
    if (Type == bmDDB) {
        if (Format.Bits == 1)
            return WinHandles::Check(CreateBitmap(AWidth, AHeight, 1, 1, nullptr), "a bitmap");
        WinHandles::TWindowDC screen(nullptr);
        return WinHandles::Check(CreateCompatibleBitmap(screen, AWidth, AHeight), "a bitmap");
    }
    TBitmapInfo bi(AWidth, AHeight, Format.Bits, Format.Compression);
    if (Format.Compression == BI_BITFIELDS) {
        std::copy(Format.Masks, Format.Masks + 3, reinterpret_cast<DWORD*>(bi.Colors));
    } else {
        bi.Header.biClrUsed = DWORD(Format.Palette.size());
        std::copy(Format.Palette.begin(), Format.Palette.end(), bi.Colors);
    }
    void* bits = nullptr;
    return WinHandles::Check(CreateDIBSection(nullptr, bi.Get(), DIB_RGB_COLORS, &bits, nullptr, 0),
                             "a bitmap");
}

std::vector<COLORREF> TBitmap::ReadPixels() {
    HandleNeeded();
    FreeContext(); // invariant 1
    std::vector<COLORREF> pixels(size_t(FWidth) * size_t(FHeight));
    if (!FHandle) return pixels;
    WinHandles::TWindowDC screen(nullptr);
    if (GetMonochrome()) {
        TBitmapInfo bi(FWidth, -FHeight, 1);
        size_t stride = Stride(FWidth, 1);
        std::vector<uint8_t> bits(stride * size_t(FHeight));
        GetDIBits(screen, FHandle, 0, UINT(FHeight), bits.data(), bi.Get(), DIB_RGB_COLORS);
        // The colour table GetDIBits gives says which bit value is white.
        uint8_t whiteBit = bi.Colors[0].rgbRed == 255 ? 0 : 1;
        for (int y = 0; y < FHeight; ++y)
            for (int x = 0; x < FWidth; ++x) {
                uint8_t bit = (bits[size_t(y) * stride + size_t(x / 8)] >> (7 - x % 8)) & 1;
                pixels[size_t(y) * size_t(FWidth) + size_t(x)] = bit == whiteBit ? White : Black;
            }
        return pixels;
    }
    TBitmapInfo bi(FWidth, -FHeight, 32);
    std::vector<uint32_t> bits(pixels.size());
    GetDIBits(screen, FHandle, 0, UINT(FHeight), bits.data(), bi.Get(), DIB_RGB_COLORS);
    for (size_t i = 0; i < bits.size(); ++i)
        pixels[i] = RGB((bits[i] >> 16) & 0xFF, (bits[i] >> 8) & 0xFF, bits[i] & 0xFF);
    return pixels;
}

void TBitmap::Rebuild(TBitmapHandleType Type, const TDibFormat& Format, int AWidth, int AHeight) {
    HandleNeeded();
    AWidth = std::max(AWidth, 0);
    AHeight = std::max(AHeight, 0);
    if (AWidth == 0 || AHeight == 0) {
        Adopt(nullptr, Type, Format, AWidth, AHeight);
        return;
    }
    // 1. The new picture, top row first: the old one where it fits, the brush colour around it. Between
    //    colour and monochrome: pixels of the brush colour become white and the others black; black becomes
    //    the font colour and white the brush colour.
    TCanvas* canvas = GetCanvas();
    COLORREF brush = COLORREF(ColorToRGB(canvas->GetBrush()->GetColor()));
    COLORREF font = COLORREF(ColorToRGB(canvas->GetFont()->GetColor()));
    bool fromMono = FHandle && GetMonochrome();
    bool toMono = Format.Bits == 1 && (Type == bmDDB || IsBlackAndWhite(Format.Palette));
    auto nearer = [](COLORREF c) {
        return GetRValue(c) + GetGValue(c) + GetBValue(c) >= 383 ? White : Black;
    };
    std::vector<COLORREF> pixels(size_t(AWidth) * size_t(AHeight), toMono ? nearer(brush) : brush);
    if (FHandle) {
        std::vector<COLORREF> old = ReadPixels();
        for (int y = 0; y < std::min(AHeight, FHeight); ++y)
            for (int x = 0; x < std::min(AWidth, FWidth); ++x) {
                COLORREF c = old[size_t(y) * size_t(FWidth) + size_t(x)];
                if (toMono && !fromMono)
                    c = c == brush ? White : Black;
                else if (fromMono && !toMono)
                    c = c == Black ? font : brush;
                pixels[size_t(y) * size_t(AWidth) + size_t(x)] = c;
            }
    }
    // 2. Into a new handle of the layout asked for.
    WinHandles::TBitmapHandle fresh(CreateHandle(Type, Format, AWidth, AHeight));
    WritePixels(fresh, pixels, toMono, AWidth, AHeight);
    Adopt(fresh.Release(), Type, Format, AWidth, AHeight);
}

void TBitmap::SetWidth(int Value) {
    SetSize(Value, FHeight);
}

void TBitmap::SetHeight(int Value) {
    SetSize(FWidth, Value);
}

void TBitmap::SetSize(int AWidth, int AHeight) {
    if (AWidth == FWidth && AHeight == FHeight) return;
    Rebuild(FHandleType, FFormat, AWidth, AHeight);
    Changed();
}

bool TBitmap::GetMonochrome() const {
    return FFormat.Bits == 1 && (FHandleType == bmDDB || IsBlackAndWhite(FFormat.Palette));
}

void TBitmap::SetMonochrome(bool Value) {
    if (Value == GetMonochrome()) return;
    TDibFormat format = Value                  ? MonoFormat()
                        : FHandleType == bmDDB ? DeviceFormat(ScreenBits())
                                               : FormatOf(pf24bit);
    Rebuild(FHandleType, format, FWidth, FHeight);
    Changed();
}

void TBitmap::SetHandleType(TBitmapHandleType Value) {
    if (Value == FHandleType) return;
    // A DDB keeps only the depth: the screen's, or monochrome; a DIB made from a DDB has its depth.
    TDibFormat format = Value == bmDDB ? DeviceFormat(GetMonochrome() ? 1 : ScreenBits()) : FFormat;
    Rebuild(Value, format, FWidth, FHeight);
    Changed();
}

TPixelFormat TBitmap::GetPixelFormat() const {
    if (FHandleType == bmDDB) return pfDevice;
    const TDibFormat& f = FFormat;
    auto masks = [&](DWORD r, DWORD g, DWORD b) {
        return f.Compression == BI_RGB || (f.Masks[0] == r && f.Masks[1] == g && f.Masks[2] == b);
    };
    switch (f.Bits) {
    case 1:
        return pf1bit;
    case 4:
        return pf4bit;
    case 8:
        return pf8bit;
    case 16:
        return masks(0x7C00, 0x03E0, 0x001F)                                          ? pf15bit
               : f.Masks[0] == 0xF800 && f.Masks[1] == 0x07E0 && f.Masks[2] == 0x001F ? pf16bit
                                                                                      : pfCustom;
    case 24:
        return pf24bit;
    case 32:
        return masks(0xFF0000, 0xFF00, 0xFF) ? pf32bit : pfCustom;
    default:
        return pfCustom;
    }
}

void TBitmap::SetPixelFormat(TPixelFormat Value) {
    if (Value == GetPixelFormat()) return;
    if (Value == pfCustom) throw EInvalidGraphicOperation("A bitmap cannot be given a custom pixel format");
    if (Value == pfDevice)
        Rebuild(bmDDB, DeviceFormat(ScreenBits()), FWidth, FHeight);
    else
        Rebuild(bmDIB, FormatOf(Value), FWidth, FHeight);
    Changed();
}

HBITMAP TBitmap::GetHandle() {
    FreeContext(); // invariant 1: the caller may select it elsewhere
    HandleNeeded();
    Changing(); // and may change its pixels
    return FHandle;
}

void TBitmap::SetHandle(HBITMAP Value) {
    if (Value == FHandle.Get() && Value) return;
    if (Value == nullptr) {
        Adopt(nullptr, bmDDB, DeviceFormat(ScreenBits()), 0, 0);
        Changed();
        return;
    }
    DIBSECTION ds{};
    int size = GetObjectType(Value) == OBJ_BITMAP ? GetObjectW(Value, sizeof(ds), &ds) : 0;
    if (size == sizeof(DIBSECTION)) {
        TDibFormat format;
        format.Bits = ds.dsBmih.biBitCount;
        format.Compression = ds.dsBmih.biCompression == BI_BITFIELDS ? BI_BITFIELDS : BI_RGB;
        if (format.Compression == BI_BITFIELDS) std::copy(ds.dsBitfields, ds.dsBitfields + 3, format.Masks);
        if (format.Bits <= 8) {
            WinHandles::TMemoryDC dc;
            WinHandles::TSelectObject sel(dc, Value);
            RGBQUAD colors[256];
            UINT n = GetDIBColorTable(dc, 0, 256, colors);
            format.Palette.assign(colors, colors + n);
        }
        Adopt(Value, bmDIB, std::move(format), ds.dsBm.bmWidth, std::abs(ds.dsBm.bmHeight));
    } else if (size >= int(sizeof(BITMAP))) {
        Adopt(Value, bmDDB, DeviceFormat(ds.dsBm.bmBitsPixel * ds.dsBm.bmPlanes), ds.dsBm.bmWidth,
              ds.dsBm.bmHeight);
    } else {
        throw EInvalidGraphic("The handle given to a bitmap is not a bitmap");
    }
    Changed();
}

HBITMAP TBitmap::ReleaseHandle() {
    FreeContext();
    HandleNeeded();
    HBITMAP h = FHandle.Release();
    Adopt(nullptr, FHandleType, FFormat, 0, 0);
    Changed();
    return h;
}

void TBitmap::Assign(TPersistent* Source) {
    if (Source == nullptr) {
        Adopt(nullptr, bmDDB, DeviceFormat(ScreenBits()), 0, 0);
        Changed();
        return;
    }
    auto* b = dynamic_cast<TBitmap*>(Source);
    if (b == nullptr) {
        inherited::Assign(Source);
        return;
    }
    if (b == this) return;
    b->HandleNeeded();
    std::vector<uint8_t> image = b->FImage;
    HBITMAP copy = nullptr;
    if (b->FHandle) {
        // The same layout, pixel for pixel: a copy of an identical format changes no colour.
        WinHandles::TBitmapHandle fresh(CreateHandle(b->FHandleType, b->FFormat, b->FWidth, b->FHeight));
        {
            TSourceDC source(*b);
            WinHandles::TMemoryDC dc;
            WinHandles::TSelectObject sel(dc, fresh);
            BitBlt(dc, 0, 0, b->FWidth, b->FHeight, source, 0, 0, SRCCOPY);
        }
        copy = fresh.Release();
    }
    Adopt(copy, b->FHandleType, b->FFormat, b->FWidth, b->FHeight);
    FImage = std::move(image);
    FTransparentColor = b->FTransparentColor;
    FTransparentMode = b->FTransparentMode;
    FTransparent = b->FTransparent;
    Changed();
}

TColor TBitmap::GetTransparentColor() {
    if (FTransparentMode == tmFixed) return FTransparentColor;
    if (GetEmpty() || FWidth == 0 || FHeight == 0) return clDefault;
    return GetCanvas()->GetPixel(0, FHeight - 1);
}

void TBitmap::SetTransparentColor(TColor Value) {
    FTransparentColor = Value;
    FTransparentMode = Value == clDefault ? tmAuto : tmFixed;
    FreeMask();
    Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode Value) {
    if (Value == FTransparentMode) return;
    if (Value == tmAuto) FTransparentColor = clDefault;
    FTransparentMode = Value;
    FreeMask();
    Changed();
}

HBITMAP TBitmap::GetMaskHandle() {
    if (FMaskHandle || GetEmpty()) return FMaskHandle;
    COLORREF transparent = COLORREF(ColorToRGB(GetTransparentColor()));
    std::vector<COLORREF> pixels = ReadPixels();
    for (COLORREF& c : pixels)
        c = c == transparent ? White : Black;
    WinHandles::TBitmapHandle mask(CreateHandle(bmDDB, MonoFormat(), FWidth, FHeight));
    WritePixels(mask, pixels, true, FWidth, FHeight);
    FMaskHandle = std::move(mask);
    return FMaskHandle;
}

void TBitmap::Draw(TCanvas* ACanvas, const TRect& Rect) {
    HandleNeeded();
    if (!FHandle) return;
    // The mask first: making it takes the bitmap out of its canvas's DC, which may be ACanvas's.
    HBITMAP mask = GetTransparent() ? GetMaskHandle() : nullptr;
    HDC dc = ACanvas->GetHandle();
    TSourceDC source(*this);
    WinHandles::TSaveDC save(dc);
    SetStretchBltMode(dc, COLORONCOLOR);
    // A monochrome bitmap shows black and white; the mask below turns the same way (white: transparent).
    SetTextColor(dc, Black);
    SetBkColor(dc, White);
    int x = Rect.left, y = Rect.top, w = Rect.right - Rect.left, h = Rect.bottom - Rect.top;
    if (!mask) {
        StretchBlt(dc, x, y, w, h, source, 0, 0, FWidth, FHeight, ACanvas->GetCopyMode());
        return;
    }
    // Transparent: the destination cleared where the mask is black, then the source's pixels, black where
    // the mask is white, put in with OR. No step leaves a colour between the two, so a destination with a
    // colour table gets the source's colours too.
    WinHandles::TMemoryDC maskDC, cutDC;
    WinHandles::TSelectObject selMask(maskDC, mask);
    TBitmapInfo bi(FWidth, FHeight, 32);
    void* bits = nullptr;
    WinHandles::TBitmapHandle cut(
        WinHandles::Check(CreateDIBSection(nullptr, bi.Get(), DIB_RGB_COLORS, &bits, nullptr, 0), "a bitmap"));
    WinHandles::TSelectObject selCut(cutDC, cut);
    SetTextColor(cutDC, Black);
    SetBkColor(cutDC, White);
    constexpr DWORD DSna = 0x00220326;
    BitBlt(cutDC, 0, 0, FWidth, FHeight, source, 0, 0, SRCCOPY);
    BitBlt(cutDC, 0, 0, FWidth, FHeight, maskDC, 0, 0, DSna);
    StretchBlt(dc, x, y, w, h, maskDC, 0, 0, FWidth, FHeight, SRCAND);
    StretchBlt(dc, x, y, w, h, cutDC, 0, 0, FWidth, FHeight, SRCPAINT);
}

void TBitmap::Dormant() {
    if (!FHandle) return;
    std::vector<uint8_t> image = ImageBytes();
    Adopt(nullptr, FHandleType, FFormat, FWidth, FHeight); // deletes the handle and the mask
    FImage = std::move(image);
}

void TBitmap::FreeImage() {
    HandleNeeded();
    if (FHandle) FImage.clear();
}

PUBLISHED(TBitmap, "Graphics");

} // namespace Graphics

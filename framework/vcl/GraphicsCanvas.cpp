// Graphics: the canvas, drawing on a device context with the current font, pen and brush.
//
// Invariants:
//   1. The canvas selects an object only through RequiredState and remembers the DC's original one (and the
//      DC's raster operation) the first time; DeselectHandles puts exactly those back.
//   2. A font, pen or brush that changes while selected is taken out of the DC in its OnChange handler,
//      before its old handle dies (Graphics.cpp keeps the old handle alive until then).
//   3. Every call that draws runs between Changing and Changed, so a bitmap's canvas tells its bitmap.
#include "framework/vcl/Graphics.h"

namespace Graphics {

using Classes::EInvalidOperation;

namespace {

constexpr int Rop2Of(TPenMode Mode) {
    // pmBlack ... pmNotXor: the binary raster operations of the same names.
    constexpr int rops[] = {R2_BLACK,       R2_WHITE,      R2_NOP,         R2_NOT,
                            R2_COPYPEN,     R2_NOTCOPYPEN, R2_MERGEPENNOT, R2_MASKPENNOT,
                            R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN,    R2_NOTMERGEPEN,
                            R2_MASKPEN,     R2_NOTMASKPEN, R2_XORPEN,      R2_NOTXORPEN};
    return rops[Mode];
}

// Changing on construction, Changed on destruction (also when the drawing call throws: the pixels may have
// changed in part).
class TDrawing {
public:
    TDrawing(TNotifyEvent& Changing, TNotifyEvent& Changed, TObject* Sender)
        : FChanged(Changed), FSender(Sender) {
        Changing(Sender);
    }
    TDrawing(const TDrawing&) = delete;
    TDrawing& operator=(const TDrawing&) = delete;
    ~TDrawing() { FChanged(FSender); }

private:
    TNotifyEvent& FChanged;
    TObject* FSender;
};

} // namespace

TCanvas::TCanvas()
    : FFont(std::make_unique<TFont>()), FPen(std::make_unique<TPen>()), FBrush(std::make_unique<TBrush>()) {
    FFont->OnChange = TNotifyEvent::Bind<&TCanvas::FontChanged>(this);
    FPen->OnChange = TNotifyEvent::Bind<&TCanvas::PenChanged>(this);
    FBrush->OnChange = TNotifyEvent::Bind<&TCanvas::BrushChanged>(this);
}

TCanvas::~TCanvas() {
    SetHandle(nullptr);
}

HDC TCanvas::GetHandle() {
    RequiredState(csHandleValid);
    return FHandle;
}

void TCanvas::SetHandle(HDC Value) {
    if (Value == FHandle) return;
    if (FHandle) DeselectHandles();
    FHandle = Value;
    FState = Value ? csHandleValid : 0;
}

void TCanvas::CreateHandle() {
    throw EInvalidOperation("Canvas does not allow drawing");
}

void TCanvas::Changing() {
    OnChanging(this);
}

void TCanvas::Changed() {
    OnChange(this);
}

void TCanvas::RequiredState(uint8_t State) {
    uint8_t needed = State & ~FState;
    if (needed == 0) return;
    if (needed & csHandleValid) {
        CreateHandle();
        if (!FHandle) throw EInvalidOperation("Canvas does not allow drawing");
        FState |= csHandleValid;
    }
    // Invariant 1: the DC's own object is remembered the first time only.
    if (needed & csFontValid) {
        HGDIOBJ old = SelectObject(FHandle, FFont->GetHandle());
        if (!FOldFont) FOldFont = old;
        SetTextColor(FHandle, COLORREF(ColorToRGB(FFont->GetColor())));
        FState |= csFontValid;
    }
    if (needed & csPenValid) {
        HGDIOBJ old = SelectObject(FHandle, FPen->GetHandle());
        if (!FOldPen) FOldPen = old;
        int rop = SetROP2(FHandle, Rop2Of(FPen->GetMode()));
        if (!FOldRop2) FOldRop2 = rop;
        FState |= csPenValid;
    }
    if (needed & csBrushValid) {
        HBRUSH brush = FBrush->GetHandle();
        UnrealizeObject(brush);
        HGDIOBJ old = SelectObject(FHandle, brush);
        if (!FOldBrush) FOldBrush = old;
        SetBkColor(FHandle, COLORREF(ColorToRGB(FBrush->GetColor())));
        SetBkMode(FHandle, FBrush->GetStyle() == bsSolid ? OPAQUE : TRANSPARENT);
        FState |= csBrushValid;
    }
}

void TCanvas::DeselectHandles() {
    if (FHandle) {
        if (FOldFont) SelectObject(FHandle, FOldFont);
        if (FOldPen) SelectObject(FHandle, FOldPen);
        if (FOldBrush) SelectObject(FHandle, FOldBrush);
        if (FOldRop2) SetROP2(FHandle, FOldRop2);
    }
    FOldFont = FOldPen = FOldBrush = nullptr;
    FOldRop2 = 0;
    FState &= csHandleValid;
}

// Invariant 2.
void TCanvas::FontChanged(TObject*) {
    if (FState & csFontValid) {
        SelectObject(FHandle, FOldFont);
        FState &= ~csFontValid;
    }
}

void TCanvas::PenChanged(TObject*) {
    if (FState & csPenValid) {
        SelectObject(FHandle, FOldPen);
        FState &= ~csPenValid;
    }
}

void TCanvas::BrushChanged(TObject*) {
    if (FState & csBrushValid) {
        SelectObject(FHandle, FOldBrush);
        FState &= ~csBrushValid;
    }
}

void TCanvas::SelectFontFor(std::u16string_view Text) {
    RequiredState(csHandleValid | csFontValid);
    SelectObject(FHandle, FFont->GetHandleFor(FHandle, Text));
}

void TCanvas::TextOut(int X, int Y, const String& Text) {
    TDrawing drawing(OnChanging, OnChange, this); // invariant 3, for every drawing call below
    RequiredState(csHandleValid | csFontValid | csBrushValid);
    std::u16string w = SysUtils::Utf8ToUtf16(Text);
    SelectFontFor(w);
    ExtTextOutW(FHandle, X, Y, 0, nullptr, reinterpret_cast<LPCWSTR>(w.c_str()), UINT(w.size()), nullptr);
    MoveToEx(FHandle, X + TextWidth(Text), Y, nullptr);
}

void TCanvas::TextRect(const TRect& Rect, int X, int Y, const String& Text) {
    TDrawing drawing(OnChanging, OnChange, this);
    RequiredState(csHandleValid | csFontValid | csBrushValid);
    std::u16string w = SysUtils::Utf8ToUtf16(Text);
    SelectFontFor(w);
    UINT options = ETO_CLIPPED | (FBrush->GetStyle() != bsClear ? ETO_OPAQUE : 0);
    ExtTextOutW(FHandle, X, Y, options, &Rect, reinterpret_cast<LPCWSTR>(w.c_str()), UINT(w.size()), nullptr);
}

TSize TCanvas::TextExtent(const String& Text) {
    RequiredState(csHandleValid | csFontValid);
    std::u16string w = SysUtils::Utf8ToUtf16(Text);
    SelectFontFor(w);
    TSize size{0, 0};
    GetTextExtentPoint32W(FHandle, reinterpret_cast<LPCWSTR>(w.c_str()), int(w.size()), &size);
    return size;
}

int TCanvas::DrawText(const String& Text, TRect& Rect, UINT Format) {
    TDrawing drawing(OnChanging, OnChange, this);
    RequiredState(csHandleValid | csFontValid | csBrushValid);
    std::u16string w = SysUtils::Utf8ToUtf16(Text);
    SelectFontFor(w);
    return DrawTextW(FHandle, reinterpret_cast<LPCWSTR>(w.c_str()), int(w.size()), &Rect, Format);
}

void TCanvas::FillRect(const TRect& Rect) {
    TDrawing drawing(OnChanging, OnChange, this);
    RequiredState(csHandleValid | csBrushValid);
    ::FillRect(FHandle, &Rect, FBrush->GetHandle());
}

void TCanvas::FrameRect(const TRect& Rect) {
    TDrawing drawing(OnChanging, OnChange, this);
    RequiredState(csHandleValid | csBrushValid);
    ::FrameRect(FHandle, &Rect, FBrush->GetHandle());
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
    TDrawing drawing(OnChanging, OnChange, this);
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    ::Rectangle(FHandle, X1, Y1, X2, Y2);
}

void TCanvas::RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3) {
    TDrawing drawing(OnChanging, OnChange, this);
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    ::RoundRect(FHandle, X1, Y1, X2, Y2, X3, Y3);
}

void TCanvas::Ellipse(int X1, int Y1, int X2, int Y2) {
    TDrawing drawing(OnChanging, OnChange, this);
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    ::Ellipse(FHandle, X1, Y1, X2, Y2);
}

void TCanvas::MoveTo(int X, int Y) {
    RequiredState(csHandleValid);
    MoveToEx(FHandle, X, Y, nullptr);
}

void TCanvas::LineTo(int X, int Y) {
    TDrawing drawing(OnChanging, OnChange, this);
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    ::LineTo(FHandle, X, Y);
}

void TCanvas::Polyline(std::initializer_list<TPoint> Points) {
    TDrawing drawing(OnChanging, OnChange, this);
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    ::Polyline(FHandle, Points.begin(), int(Points.size()));
}

TPoint TCanvas::GetPenPos() {
    RequiredState(csHandleValid);
    TPoint p{0, 0};
    GetCurrentPositionEx(FHandle, &p);
    return p;
}

TColor TCanvas::GetPixel(int X, int Y) {
    RequiredState(csHandleValid);
    return TColor(::GetPixel(FHandle, X, Y));
}

void TCanvas::SetPixel(int X, int Y, TColor Color) {
    TDrawing drawing(OnChanging, OnChange, this);
    RequiredState(csHandleValid | csPenValid);
    ::SetPixel(FHandle, X, Y, COLORREF(ColorToRGB(Color)));
}

void TCanvas::Draw(int X, int Y, TGraphic* Graphic) {
    if (Graphic == nullptr || Graphic->GetEmpty()) return;
    StretchDraw(Bounds(X, Y, Graphic->GetWidth(), Graphic->GetHeight()), Graphic);
}

void TCanvas::StretchDraw(const TRect& Rect, TGraphic* Graphic) {
    if (Graphic == nullptr || Graphic->GetEmpty()) return;
    TDrawing drawing(OnChanging, OnChange, this);
    RequiredState(csHandleValid | csBrushValid); // the brush for copy modes with a pattern
    Graphic->Draw(this, Rect);
}

void TCanvas::CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source) {
    TDrawing drawing(OnChanging, OnChange, this);
    RequiredState(csHandleValid | csFontValid | csBrushValid);
    HDC source = Canvas->GetHandle();
    StretchBlt(FHandle, Dest.left, Dest.top, Dest.right - Dest.left, Dest.bottom - Dest.top, source,
               Source.left, Source.top, Source.right - Source.left, Source.bottom - Source.top, FCopyMode);
}

PUBLISHED(TCanvas, "Graphics");

} // namespace Graphics

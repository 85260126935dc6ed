// Graphics: colours, fonts, pens, brushes, the canvas, and icons.
//
// Declares: TColor with the clXxx constants (a value with the top bit set names a system colour by index),
// ColorToRGB, the geometry types TPoint/TRect/TSize; TGraphicsObject (a persistent object with OnChange),
// TFont, TPen, TBrush; TCanvas (drawing on a device context with the current font, pen and brush);
// TGraphic and TIcon (an icon read from .ico bytes, a form stream's Icon.Data, or an ICON resource).
//
//   Graphics::TCanvas& c = *Label->GetCanvas();       // or a TCanvas given a DC with SetHandle(dc)
//   c.GetFont()->SetColor(clRed);
//   c.GetBrush()->SetStyle(bsClear);                   // text without a background
//   c.TextOut(2, 2, "Конвертер");                      // UTF-8 in, the W functions underneath
//   c.GetPen()->SetColor(clBtnShadow); c.MoveTo(0, 10); c.LineTo(50, 10);
//
// Win32 objects are made when first needed and remade after a change: a TFont creates its HFONT on the first
// GetHandle. A canvas selects the handles of its font, pen and brush into its DC only when a call needs them
// and puts the DC's original objects back when it lets the DC go (SetHandle(nullptr)) or when one of them
// changes, so no object is ever deleted while selected. Fonts share their HFONT after Assign (the framework's
// font resources): a change gives the changed font a handle of its own, and the old handle lives as long as
// another font (or a canvas's copy of it) still uses it.
#pragma once

#include "framework/core/ClassesComponent.h"
#include "framework/core/ClassesStreams.h"
#include "framework/vcl/WinHandles.h"

#include <functional>
#include <iterator>
#include <memory>
#include <string_view>
#include <vector>
#include <windows.h>

namespace Graphics {

using Classes::TNotifyEvent;
using Classes::TPersistent;
using System::TObject;
using SysUtils::String;

// ---- Colours ----------------------------------------------------------------------------------------------

// Red, green and blue in the low, middle and high byte; with the top bit set, the system colour with the
// index in the low byte (clBtnFace = 0x8000000F is COLOR_BTNFACE).
using TColor = int32_t;

inline constexpr TColor SystemColor(int index) {
    return TColor(0x80000000u | uint32_t(index));
}

inline constexpr TColor clScrollBar = SystemColor(COLOR_SCROLLBAR);
inline constexpr TColor clBackground = SystemColor(COLOR_BACKGROUND);
inline constexpr TColor clActiveCaption = SystemColor(COLOR_ACTIVECAPTION);
inline constexpr TColor clInactiveCaption = SystemColor(COLOR_INACTIVECAPTION);
inline constexpr TColor clMenu = SystemColor(COLOR_MENU);
inline constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
inline constexpr TColor clWindowFrame = SystemColor(COLOR_WINDOWFRAME);
inline constexpr TColor clMenuText = SystemColor(COLOR_MENUTEXT);
inline constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);
inline constexpr TColor clCaptionText = SystemColor(COLOR_CAPTIONTEXT);
inline constexpr TColor clActiveBorder = SystemColor(COLOR_ACTIVEBORDER);
inline constexpr TColor clInactiveBorder = SystemColor(COLOR_INACTIVEBORDER);
inline constexpr TColor clAppWorkSpace = SystemColor(COLOR_APPWORKSPACE);
inline constexpr TColor clHighlight = SystemColor(COLOR_HIGHLIGHT);
inline constexpr TColor clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT);
inline constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
inline constexpr TColor clBtnShadow = SystemColor(COLOR_BTNSHADOW);
inline constexpr TColor clGrayText = SystemColor(COLOR_GRAYTEXT);
inline constexpr TColor clBtnText = SystemColor(COLOR_BTNTEXT);
inline constexpr TColor clInactiveCaptionText = SystemColor(COLOR_INACTIVECAPTIONTEXT);
inline constexpr TColor clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT);
inline constexpr TColor cl3DDkShadow = SystemColor(COLOR_3DDKSHADOW);
inline constexpr TColor cl3DLight = SystemColor(COLOR_3DLIGHT);
inline constexpr TColor clInfoText = SystemColor(COLOR_INFOTEXT);
inline constexpr TColor clInfoBk = SystemColor(COLOR_INFOBK);

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clPurple = 0x800080;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clLtGray = 0xC0C0C0;
inline constexpr TColor clDkGray = 0x808080;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;

namespace Detail {
inline constexpr TypInfo::TIdentMapEntry ColorIdents[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clScrollBar, "clScrollBar"},
    {clBackground, "clBackground"},
    {clActiveCaption, "clActiveCaption"},
    {clInactiveCaption, "clInactiveCaption"},
    {clMenu, "clMenu"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clMenuText, "clMenuText"},
    {clWindowText, "clWindowText"},
    {clCaptionText, "clCaptionText"},
    {clActiveBorder, "clActiveBorder"},
    {clInactiveBorder, "clInactiveBorder"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clBtnFace, "clBtnFace"},
    {clBtnShadow, "clBtnShadow"},
    {clGrayText, "clGrayText"},
    {clBtnText, "clBtnText"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clBtnHighlight, "clBtnHighlight"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clInfoText, "clInfoText"},
    {clInfoBk, "clInfoBk"},
    {clNone, "clNone"},
    {clDefault, "clDefault"},
};

inline constexpr TypInfo::TIdentMapEntry CharsetIdents[] = {
    {ANSI_CHARSET, "ANSI_CHARSET"},
    {DEFAULT_CHARSET, "DEFAULT_CHARSET"},
    {SYMBOL_CHARSET, "SYMBOL_CHARSET"},
    {MAC_CHARSET, "MAC_CHARSET"},
    {SHIFTJIS_CHARSET, "SHIFTJIS_CHARSET"},
    {HANGEUL_CHARSET, "HANGEUL_CHARSET"},
    {JOHAB_CHARSET, "JOHAB_CHARSET"},
    {GB2312_CHARSET, "GB2312_CHARSET"},
    {CHINESEBIG5_CHARSET, "CHINESEBIG5_CHARSET"},
    {GREEK_CHARSET, "GREEK_CHARSET"},
    {TURKISH_CHARSET, "TURKISH_CHARSET"},
    {VIETNAMESE_CHARSET, "VIETNAMESE_CHARSET"},
    {HEBREW_CHARSET, "HEBREW_CHARSET"},
    {ARABIC_CHARSET, "ARABIC_CHARSET"},
    {BALTIC_CHARSET, "BALTIC_CHARSET"},
    {RUSSIAN_CHARSET, "RUSSIAN_CHARSET"},
    {THAI_CHARSET, "THAI_CHARSET"},
    {EASTEUROPE_CHARSET, "EASTEUROPE_CHARSET"},
    {OEM_CHARSET, "OEM_CHARSET"},
};
} // namespace Detail

// The colour's identifiers for streams ("clBtnFace"); other values are written as numbers.
inline constexpr TypInfo::TTypeInfo TColor_TypeInfo =
    TypInfo::IntegerType("TColor", Detail::ColorIdents, std::size(Detail::ColorIdents));

// A system colour becomes the system's current value of it; other colours pass unchanged (clNone too).
TColor ColorToRGB(TColor Color);
bool ColorToIdent(TColor Color, String& Ident);
bool IdentToColor(std::string_view Ident, TColor& Color);

// ---- Geometry ---------------------------------------------------------------------------------------------

using TPoint = POINT;
using TRect = RECT;
using TSize = SIZE;
inline TPoint Point(int X, int Y) {
    return TPoint{X, Y};
}
inline TRect Rect(int Left, int Top, int Right, int Bottom) {
    return TRect{Left, Top, Right, Bottom};
}

// ---- Fonts, pens and brushes ------------------------------------------------------------------------------

PUBLISHED_ENUM(TFontStyle, uint8_t, fsBold, fsItalic, fsUnderline, fsStrikeOut)
using TFontStyles = System::TSet<TFontStyle>;
PUBLISHED_ENUM(TFontPitch, uint8_t, fpDefault, fpVariable, fpFixed)
PUBLISHED_ENUM(TPenStyle, uint8_t, psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame)
PUBLISHED_ENUM(TBrushStyle, uint8_t, bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal,
               bsCross, bsDiagCross)

// A character set (DEFAULT_CHARSET, RUSSIAN_CHARSET...), streamed under the system's names.
using TFontCharset = uint8_t;
inline constexpr TypInfo::TTypeInfo TFontCharset_TypeInfo =
    TypInfo::IntegerType("TFontCharset", Detail::CharsetIdents, std::size(Detail::CharsetIdents));

// The base of fonts, pens and brushes: OnChange after each change of a property.
class TGraphicsObject : public TPersistent {
    DECLARE_CLASS(TGraphicsObject, TPersistent)
public:
    TNotifyEvent OnChange;

protected:
    virtual void Changed();
};

class TFont : public TGraphicsObject {
    DECLARE_CLASS(TFont, TGraphicsObject)
public:
    TFont();
    ~TFont() override;
    void Assign(TPersistent* Source) override;

    // The HFONT, made on first need; it stays valid until the font changes or dies.
    HFONT GetHandle();
    // The handle to draw Text with: the font's own, or, when the font's character set is DEFAULT_CHARSET and
    // the face the system gives for it has no glyphs for some of Text's characters, the same font asked for
    // in the character set of those characters (RUSSIAN_CHARSET for Cyrillic, GREEK_CHARSET for Greek...),
    // if that one has them. So Russian text shows in its own letters whatever the system's ANSI code page is
    // (on a 1252 system "MS Sans Serif" is a raster font of the Western letters only). DC is where the glyphs
    // are looked up; its selection is left as it was. Without a DC: the screen's.
    HFONT GetHandleFor(HDC DC, std::u16string_view Text);
    HFONT GetHandleFor(std::u16string_view Text);
    TColor GetColor() const { return FColor; }
    void SetColor(TColor Value);
    int GetHeight() const;
    void SetHeight(int Value);
    // Points at the screen's pixels per inch: Size = -Height * 72 / PixelsPerInch, rounded.
    int GetSize() const;
    void SetSize(int Value);
    String GetName() const;
    void SetName(const String& Value);
    TFontStyles GetStyle() const;
    void SetStyle(TFontStyles Value);
    TFontPitch GetPitch() const;
    void SetPitch(TFontPitch Value);
    TFontCharset GetCharset() const;
    void SetCharset(TFontCharset Value);
    int GetPixelsPerInch() const { return FPixelsPerInch; }

private:
    struct TResource;
    HFONT Create(TFontCharset Charset) const;
    void Change(const std::function<void(TResource&)>& edit);

    std::shared_ptr<TResource> FResource;
    TColor FColor;
    int FPixelsPerInch;
};

class TPen : public TGraphicsObject {
    DECLARE_CLASS(TPen, TGraphicsObject)
public:
    TPen();
    void Assign(TPersistent* Source) override;
    HPEN GetHandle();
    TColor GetColor() const { return FColor; }
    void SetColor(TColor Value);
    TPenStyle GetStyle() const { return FStyle; }
    void SetStyle(TPenStyle Value);
    int GetWidth() const { return FWidth; }
    void SetWidth(int Value);

protected:
    void Changed() override;

private:
    TColor FColor = clBlack;
    TPenStyle FStyle = psSolid;
    int FWidth = 1;
    WinHandles::TPen FHandle;
};

class TBrush : public TGraphicsObject {
    DECLARE_CLASS(TBrush, TGraphicsObject)
public:
    TBrush();
    void Assign(TPersistent* Source) override;
    // bsClear gives the stock hollow brush (never deleted).
    HBRUSH GetHandle();
    TColor GetColor() const { return FColor; }
    void SetColor(TColor Value);
    TBrushStyle GetStyle() const { return FStyle; }
    void SetStyle(TBrushStyle Value);

protected:
    void Changed() override;

private:
    TColor FColor = clWhite;
    TBrushStyle FStyle = bsSolid;
    WinHandles::TBrush FHandle;
};

// ---- Canvas -----------------------------------------------------------------------------------------------

class TCanvas : public TPersistent {
    DECLARE_CLASS(TCanvas, TPersistent)
public:
    TCanvas();
    ~TCanvas() override;

    // The DC drawn on. A plain canvas draws only on a DC it is given (EInvalidOperation "Canvas does not
    // allow drawing" otherwise); a control's canvas gets one itself (Controls::TControlCanvas). The DC is a
    // view: the canvas never releases it, it only puts its original objects back.
    HDC GetHandle();
    void SetHandle(HDC Value);
    bool HandleAllocated() const { return FHandle != nullptr; }

    TFont* GetFont() { return FFont.get(); }
    void SetFont(TFont* Value) { FFont->Assign(Value); }
    TPen* GetPen() { return FPen.get(); }
    void SetPen(TPen* Value) { FPen->Assign(Value); }
    TBrush* GetBrush() { return FBrush.get(); }
    void SetBrush(TBrush* Value) { FBrush->Assign(Value); }

    // Text in the font and its colour; behind it the brush colour, or nothing when the brush is bsClear.
    void TextOut(int X, int Y, const String& Text);
    TSize TextExtent(const String& Text);
    int TextWidth(const String& Text) { return TextExtent(Text).cx; }
    int TextHeight(const String& Text) { return TextExtent(Text).cy; }
    // DrawText of the Win32 API with the canvas's font (DT_CALCRECT measures into Rect).
    int DrawText(const String& Text, TRect& Rect, UINT Format);
    void FillRect(const TRect& Rect);
    void FrameRect(const TRect& Rect);
    void Rectangle(int X1, int Y1, int X2, int Y2);
    void MoveTo(int X, int Y);
    void LineTo(int X, int Y);
    void Polyline(std::initializer_list<TPoint> Points);
    TPoint GetPenPos();

protected:
    // Gets a DC when drawing starts and there is none.
    virtual void CreateHandle();
    enum TState : uint8_t { csHandleValid = 1, csFontValid = 2, csPenValid = 4, csBrushValid = 8 };
    void RequiredState(uint8_t State);
    // Puts the DC's own font, pen and brush back.
    void DeselectHandles();

private:
    // Selects the font's handle for Text (TFont::GetHandleFor).
    void SelectFontFor(std::u16string_view Text);
    void FontChanged(TObject* Sender);
    void PenChanged(TObject* Sender);
    void BrushChanged(TObject* Sender);

    HDC FHandle = nullptr;
    uint8_t FState = 0;
    HGDIOBJ FOldFont = nullptr, FOldPen = nullptr, FOldBrush = nullptr;
    std::unique_ptr<TFont> FFont;
    std::unique_ptr<TPen> FPen;
    std::unique_ptr<TBrush> FBrush;
};

// ---- Graphics ---------------------------------------------------------------------------------------------

// A picture that streams as the binary property Data (a form's Icon.Data).
class TGraphic : public TPersistent {
    DECLARE_CLASS(TGraphic, TPersistent)
public:
    virtual bool GetEmpty() const = 0;
    virtual int GetWidth() const = 0;
    virtual int GetHeight() const = 0;
    virtual void LoadFromStream(Classes::TStream& Stream) = 0;
    virtual void SaveToStream(Classes::TStream& Stream) = 0;
    TNotifyEvent OnChange;

protected:
    void DefineProperties(Classes::TFiler& Filer) override;
    virtual void Changed();
};

// An icon: the bytes of an .ico file (one or more images) and an HICON of the image that suits the
// system's large icon size, made on first need. Malformed bytes raise EInvalidGraphic.
VCL_EXCEPTION_CLASS(EInvalidGraphic, SysUtils::Exception);

class TIcon : public TGraphic {
    DECLARE_CLASS(TIcon, TGraphic)
public:
    TIcon();
    ~TIcon() override;
    void Assign(TPersistent* Source) override;

    bool GetEmpty() const override { return FData.empty(); }
    int GetWidth() const override;
    int GetHeight() const override;
    // The whole stream from its position is the .ico file.
    void LoadFromStream(Classes::TStream& Stream) override;
    void SaveToStream(Classes::TStream& Stream) override;
    // An icon group resource (RT_GROUP_ICON) of a module, with its images (RT_ICON).
    void LoadFromResourceName(HINSTANCE Instance, const String& ResName);
    void LoadFromResourceID(HINSTANCE Instance, int ResID);
    HICON GetHandle();
    const std::vector<uint8_t>& GetData() const { return FData; }

private:
    void LoadFromResource(HINSTANCE Instance, const wchar_t* Name, const String& Shown);
    void SetData(std::vector<uint8_t> Data);
    void FreeHandle();

    std::vector<uint8_t> FData;
    int FImage = -1; // the entry the handle is made from
    HICON FHandle = nullptr;
};

} // namespace Graphics

// Graphics: colours, fonts, pens, brushes, the canvas, and the graphics: icons, bitmaps, metafiles, pictures.
//
// Declares: TColor with the clXxx constants (a value with the top bit set names a system colour by index),
// ColorToRGB, the geometry types TPoint/TRect/TSize; TGraphicsObject (a persistent object with OnChange),
// TFont, TPen (with its raster operation TPenMode), TBrush; TCanvas (drawing on a device context with the
// current font, pen and brush, copying with TCopyMode, drawing graphics); TGraphic, the base of TIcon (an
// icon read from .ico bytes, a form stream's Icon.Data, or an ICON resource), TBitmap (DDB or DIB section,
// the bitmap file format, TBitmapHandleType, TPixelFormat, TTransparentMode), TMetafile (an enhanced
// metafile) with TMetafileCanvas to record one; TPicture (one graphic of any registered class, streamed as
// Data with its class name); EInvalidGraphic and EInvalidGraphicOperation.
//
//   Graphics::TCanvas& c = *Label->GetCanvas();       // or a TCanvas given a DC with SetHandle(dc)
//   c.GetFont()->SetColor(clRed);
//   c.GetBrush()->SetStyle(bsClear);                   // text without a background
//   c.TextOut(2, 2, "Конвертер");                      // UTF-8 in, the W functions underneath
//   c.GetPen()->SetColor(clBtnShadow); c.MoveTo(0, 10); c.LineTo(50, 10);
//   c.StretchDraw(Rect(0, 0, 16, 16), item->GetPicture()->GetGraphic());
//
// Win32 objects are made when first needed and remade after a change: a TFont creates its HFONT on the first
// GetHandle. A canvas selects the handles of its font, pen and brush into its DC only when a call needs them
// and puts the DC's original objects back when it lets the DC go (SetHandle(nullptr)) or when one of them
// changes, so no object is ever deleted while selected. Fonts share their HFONT after Assign (the framework's
// font resources): a change gives the changed font a handle of its own, and the old handle lives as long as
// another font (or a canvas's copy of it) still uses it. Graphics never share handles: Assign copies.
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
inline constexpr TColor clHotLight = SystemColor(COLOR_HOTLIGHT);
inline constexpr TColor clGradientActiveCaption = SystemColor(COLOR_GRADIENTACTIVECAPTION);
inline constexpr TColor clGradientInactiveCaption = SystemColor(COLOR_GRADIENTINACTIVECAPTION);
inline constexpr TColor clMenuHighlight = SystemColor(COLOR_MENUHILIGHT);
inline constexpr TColor clMenuBar = SystemColor(COLOR_MENUBAR);

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
    {clHotLight, "clHotLight"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clMenuHighlight, "clMenuHighlight"},
    {clMenuBar, "clMenuBar"},
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

inline TRect Bounds(int Left, int Top, int Width, int Height) {
    return TRect{Left, Top, Left + Width, Top + Height};
}

// ---- Fonts, pens and brushes ------------------------------------------------------------------------------

PUBLISHED_ENUM(TFontStyle, uint8_t, fsBold, fsItalic, fsUnderline, fsStrikeOut)
using TFontStyles = System::TSet<TFontStyle>;
PUBLISHED_ENUM(TFontPitch, uint8_t, fpDefault, fpVariable, fpFixed)
PUBLISHED_ENUM(TPenStyle, uint8_t, psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame)
// How the pen's colour meets the pixels under it (the binary raster operations, R2_BLACK ... R2_NOTXORPEN).
PUBLISHED_ENUM(TPenMode, uint8_t, pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot,
               pmMaskPenNot, pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor,
               pmNotXor)
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
    // Takes the font over (the TFont deletes it): Name, Height, Style, Charset and Pitch become those of its
    // LOGFONT, and GetHandle gives this very handle, with everything else it was made with (a rotated bar
    // font keeps its escapement), until a property changes. Null makes a handle from the properties again.
    // A handle that is not a font raises EInvalidGraphicOperation and stays the caller's.
    void SetHandle(HFONT Value);
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
    void Replace(std::shared_ptr<TResource> Next);

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
    // Applied to the DC (SetROP2) while the pen is selected into a canvas.
    TPenMode GetMode() const { return FMode; }
    void SetMode(TPenMode Value);
    TPenStyle GetStyle() const { return FStyle; }
    void SetStyle(TPenStyle Value);
    int GetWidth() const { return FWidth; }
    void SetWidth(int Value);

protected:
    void Changed() override;

private:
    TColor FColor = clBlack;
    TPenMode FMode = pmCopy;
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
    // A colour makes a clear brush solid again (the framework's rule: "brush style clear, then a colour"
    // paints with that colour).
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

// The raster operation of CopyRect and of opaque bitmap drawing (BitBlt's dwRop).
using TCopyMode = DWORD;
inline constexpr TCopyMode cmBlackness = BLACKNESS;
inline constexpr TCopyMode cmDstInvert = DSTINVERT;
inline constexpr TCopyMode cmMergeCopy = MERGECOPY;
inline constexpr TCopyMode cmMergePaint = MERGEPAINT;
inline constexpr TCopyMode cmNotSrcCopy = NOTSRCCOPY;
inline constexpr TCopyMode cmNotSrcErase = NOTSRCERASE;
inline constexpr TCopyMode cmPatCopy = PATCOPY;
inline constexpr TCopyMode cmPatInvert = PATINVERT;
inline constexpr TCopyMode cmPatPaint = PATPAINT;
inline constexpr TCopyMode cmSrcAnd = SRCAND;
inline constexpr TCopyMode cmSrcCopy = SRCCOPY;
inline constexpr TCopyMode cmSrcErase = SRCERASE;
inline constexpr TCopyMode cmSrcInvert = SRCINVERT;
inline constexpr TCopyMode cmSrcPaint = SRCPAINT;
inline constexpr TCopyMode cmWhiteness = WHITENESS;

class TGraphic;

class TCanvas : public TPersistent {
    DECLARE_CLASS(TCanvas, TPersistent)
public:
    TCanvas();
    ~TCanvas() override;

    // The DC drawn on. A plain canvas draws only on a DC it is given (EInvalidOperation "Canvas does not
    // allow drawing" otherwise); a control's canvas gets one itself (Controls::TControlCanvas), a bitmap's
    // canvas a memory DC holding the bitmap. The DC is a view: the canvas never releases it, it only puts
    // its original objects (and the pen's raster operation) back.
    HDC GetHandle();
    void SetHandle(HDC Value);
    bool HandleAllocated() const { return FHandle != nullptr; }

    TFont* GetFont() { return FFont.get(); }
    void SetFont(TFont* Value) { FFont->Assign(Value); }
    TPen* GetPen() { return FPen.get(); }
    void SetPen(TPen* Value) { FPen->Assign(Value); }
    TBrush* GetBrush() { return FBrush.get(); }
    void SetBrush(TBrush* Value) { FBrush->Assign(Value); }
    TCopyMode GetCopyMode() const { return FCopyMode; }
    void SetCopyMode(TCopyMode Value) { FCopyMode = Value; }

    // Text in the font and its colour; behind it the brush colour, or nothing when the brush is bsClear.
    void TextOut(int X, int Y, const String& Text);
    // Text at (X, Y) clipped to Rect; with a solid brush Rect is filled behind it.
    void TextRect(const TRect& Rect, int X, int Y, const String& Text);
    TSize TextExtent(const String& Text);
    int TextWidth(const String& Text) { return TextExtent(Text).cx; }
    int TextHeight(const String& Text) { return TextExtent(Text).cy; }
    // DrawText of the Win32 API with the canvas's font (DT_CALCRECT measures into Rect).
    int DrawText(const String& Text, TRect& Rect, UINT Format);
    void FillRect(const TRect& Rect);
    void FrameRect(const TRect& Rect);
    // Shapes outlined with the pen and filled with the brush; right and bottom are excluded, as in GDI.
    void Rectangle(int X1, int Y1, int X2, int Y2);
    // Corners rounded with ellipses X3 wide and Y3 high.
    void RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3);
    void Ellipse(int X1, int Y1, int X2, int Y2);
    void MoveTo(int X, int Y);
    void LineTo(int X, int Y);
    void Polyline(std::initializer_list<TPoint> Points);
    TPoint GetPenPos();
    // The framework's Pixels[X, Y]: the colour as red, green and blue (-1 outside the DC's picture), and a
    // pixel set to ColorToRGB(Color).
    TColor GetPixel(int X, int Y);
    void SetPixel(int X, int Y, TColor Color);

    // A graphic at its own size with its top-left corner at (X, Y), or scaled into Rect. Bitmaps are copied
    // with CopyMode, or, when Transparent, without the pixels of their TransparentColor. Nothing for an
    // empty graphic or nullptr.
    void Draw(int X, int Y, TGraphic* Graphic);
    void StretchDraw(const TRect& Rect, TGraphic* Graphic);
    // Source of Canvas scaled into Dest of this canvas with CopyMode (and this canvas's brush, for the
    // operations that use a pattern).
    void CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source);

    // OnChanging before and OnChange after each drawing call (a bitmap learns that its pixels changed).
    // Code that draws on GetHandle() itself brackets its drawing with Changing and Changed likewise.
    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;
    virtual void Changing();
    virtual void Changed();

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
    int FOldRop2 = 0;
    TCopyMode FCopyMode = cmSrcCopy;
    std::unique_ptr<TFont> FFont;
    std::unique_ptr<TPen> FPen;
    std::unique_ptr<TBrush> FBrush;
};

// ---- Graphics ---------------------------------------------------------------------------------------------

VCL_EXCEPTION_CLASS(EInvalidGraphic, SysUtils::Exception);
VCL_EXCEPTION_CLASS(EInvalidGraphicOperation, SysUtils::Exception);

// A picture: a bitmap, an icon or a metafile. It streams as the binary property Data (a form's Icon.Data, a
// published bitmap's Data) through ReadData and WriteData, which TPicture also uses; a canvas draws it
// through Draw.
class TGraphic : public TPersistent {
    DECLARE_CLASS(TGraphic, TPersistent)
public:
    virtual bool GetEmpty() const = 0;
    virtual int GetWidth() const = 0;
    virtual int GetHeight() const = 0;
    virtual void SetWidth(int Value) = 0;
    virtual void SetHeight(int Value) = 0;
    virtual bool GetTransparent() const { return FTransparent; }
    virtual void SetTransparent(bool Value);
    // Set by every change (Changed); cleared by SetModified(false) only.
    bool GetModified() const { return FModified; }
    void SetModified(bool Value) { FModified = Value; }
    virtual void LoadFromStream(Classes::TStream& Stream) = 0;
    virtual void SaveToStream(Classes::TStream& Stream) = 0;
    // The file's format is the graphic's own (a .bmp file for a bitmap, whatever its name).
    void LoadFromFile(const String& FileName);
    void SaveToFile(const String& FileName);
    TNotifyEvent OnChange;

protected:
    void DefineProperties(Classes::TFiler& Filer) override;
    virtual void Changed();
    // The bytes of Data: by default those of SaveToStream.
    virtual void ReadData(Classes::TStream& Stream);
    virtual void WriteData(Classes::TStream& Stream);
    // Paints the graphic scaled into Rect of ACanvas (TCanvas::Draw and StretchDraw come here).
    virtual void Draw(TCanvas* ACanvas, const TRect& Rect) = 0;

    bool FTransparent = false;
    bool FModified = false;

    friend class TCanvas;
    friend class TPicture;
};

// An icon: the bytes of an .ico file (one or more images) and an HICON of the image that suits the
// system's large icon size, made on first need. Malformed bytes raise EInvalidGraphic. An icon is drawn with
// its mask (DrawIconEx), scaled to the rectangle; its size cannot be set.
class TIcon : public TGraphic {
    DECLARE_CLASS(TIcon, TGraphic)
public:
    TIcon();
    ~TIcon() override;
    void Assign(TPersistent* Source) override;

    bool GetEmpty() const override { return FData.empty(); }
    int GetWidth() const override;
    int GetHeight() const override;
    void SetWidth(int Value) override;  // EInvalidGraphicOperation
    void SetHeight(int Value) override; // EInvalidGraphicOperation
    bool GetTransparent() const override { return true; }
    // The whole stream from its position is the .ico file.
    void LoadFromStream(Classes::TStream& Stream) override;
    void SaveToStream(Classes::TStream& Stream) override;
    // An icon group resource (RT_GROUP_ICON) of a module, with its images (RT_ICON).
    void LoadFromResourceName(HINSTANCE Instance, const String& ResName);
    void LoadFromResourceID(HINSTANCE Instance, int ResID);
    HICON GetHandle();
    // Takes the icon over (the TIcon destroys it); its .ico bytes are one 32-bit image made from it.
    // EInvalidGraphic (the handle stays the caller's) when it is not an icon. Null empties the icon.
    void SetHandle(HICON Value);
    // Gives the handle away (the caller destroys it); the icon keeps its bytes and makes another on need.
    HICON ReleaseHandle();
    const std::vector<uint8_t>& GetData() const { return FData; }

protected:
    void Draw(TCanvas* ACanvas, const TRect& Rect) override;

private:
    void LoadFromResource(HINSTANCE Instance, const wchar_t* Name, const String& Shown);
    void SetData(std::vector<uint8_t> Data);
    void FreeHandle();

    std::vector<uint8_t> FData;
    int FImage = -1; // the entry the handle is made from
    WinHandles::TIconHandle FHandle;
};

// ---- Bitmaps ----------------------------------------------------------------------------------------------

PUBLISHED_ENUM(TBitmapHandleType, uint8_t, bmDIB, bmDDB)
// pfDevice: a device-dependent bitmap of the screen's depth; pf1bit...pf32bit: a DIB section of that
// depth (pf15bit 5-5-5, pf16bit 5-6-5); pfCustom: a DIB of another layout (16 or 32 bits with other masks).
PUBLISHED_ENUM(TPixelFormat, uint8_t, pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit,
               pfCustom)
// tmAuto: the transparent colour is the bottom-left pixel; tmFixed: TransparentColor as it was set.
PUBLISHED_ENUM(TTransparentMode, uint8_t, tmAuto, tmFixed)

namespace Detail {
// Little-endian numbers of the file formats (.ico, .bmp, metafiles).
inline uint16_t U16(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}
inline uint32_t U32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline void PutU16(std::vector<uint8_t>& b, uint16_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
inline void PutU32(std::vector<uint8_t>& b, uint32_t v) {
    PutU16(b, uint16_t(v));
    PutU16(b, uint16_t(v >> 16));
}
// The rest of Stream from its position; more than 256 MiB raises EInvalidGraphic ("<What> is too large").
std::vector<uint8_t> ReadRest(Classes::TStream& Stream, const char* What);
// LOGPIXELSY of the screen, read once.
int ScreenPixelsPerInch();
// "#12": a resource identifier as messages show it.
String ResourceIdText(int Id);

// The layout of a bitmap's pixels: bits per pixel, BI_RGB or BI_BITFIELDS with its masks, the colour table.
struct TDibFormat {
    int Bits = 32;
    DWORD Compression = BI_RGB;
    DWORD Masks[3] = {};
    std::vector<RGBQUAD> Palette;
};
// A BITMAPINFO with room for any colour table or the three masks.
struct TBitmapInfo {
    BITMAPINFOHEADER Header{};
    RGBQUAD Colors[256]{};

    TBitmapInfo(int Width, int Height, int Bits, DWORD Compression = BI_RGB) {
        Header.biSize = sizeof(Header);
        Header.biWidth = Width;
        Header.biHeight = Height;
        Header.biPlanes = 1;
        Header.biBitCount = WORD(Bits);
        Header.biCompression = Compression;
    }
    BITMAPINFO* Get() { return reinterpret_cast<BITMAPINFO*>(this); }
};
// The bytes of one row of pixels, padded to four.
inline size_t Stride(int Width, int Bits) {
    return size_t((int64_t(Width) * Bits + 31) / 32 * 4);
}
} // namespace Detail

class TBitmapCanvas;

// A bitmap: an HBITMAP, device-dependent (bmDDB) or a DIB section (bmDIB), made on first need.
//
//   Graphics::TBitmap b;                         // empty: bmDDB, pfDevice, 0 x 0
//   b.SetWidth(16); b.SetHeight(16);             // white (the canvas brush's colour)
//   b.GetCanvas()->SetPixel(0, 15, clFuchsia);   // drawn through a memory DC holding the bitmap
//   b.SetTransparent(true);                      // tmAuto: fuchsia, the bottom-left pixel
//   form->GetCanvas()->Draw(4, 4, &b);           // the fuchsia pixels leave the form as it was
//
// Size, handle type, monochrome and pixel format can change at any time; the picture is kept where it fits
// and new space is filled with the canvas brush's colour. Going monochrome, pixels of the canvas brush's
// colour become white and all others black (GDI's colour-to-monochrome rule with the brush colour as the
// background); leaving it, black becomes the canvas font's colour and white the brush's. A DIB of a
// smaller depth takes the nearest colours of its colour table (the 16 VGA colours at 4 bits, a uniform
// palette at 8).
//
// The bitmap is selected into at most one DC: its canvas's. GetHandle takes it out of that DC (the canvas
// selects it again when it next draws), so the caller may select the handle elsewhere. A bitmap read from a
// stream keeps the bytes it was read from and writes them back unchanged until its pixels change.
class TBitmap : public TGraphic {
    DECLARE_CLASS(TBitmap, TGraphic)
public:
    TBitmap();
    ~TBitmap() override;
    // From a TBitmap: a copy of its pixels in the same layout, its handle type, transparency settings and
    // stream bytes (no handle is shared); from nullptr: empty.
    void Assign(TPersistent* Source) override;

    bool GetEmpty() const override;
    int GetWidth() const override { return FWidth; }
    int GetHeight() const override { return FHeight; }
    void SetWidth(int Value) override;
    void SetHeight(int Value) override;
    void SetSize(int AWidth, int AHeight);

    TCanvas* GetCanvas();
    // The bitmap (nullptr while empty); taken out of the canvas's DC. The pixels may be changed through it.
    HBITMAP GetHandle();
    // Takes the bitmap over (TBitmap deletes it); its kind, size and depth are read from it. Null empties.
    // EInvalidGraphic when it is not a bitmap (the handle stays the caller's).
    void SetHandle(HBITMAP Value);
    // Gives the handle away (the caller deletes it); the bitmap is empty afterwards.
    HBITMAP ReleaseHandle();
    bool HandleAllocated() const { return bool(FHandle); }
    // A monochrome bitmap of the same size, white where the pixel has the transparent colour and black
    // elsewhere (the mask convention of GDI and the image lists); owned by the bitmap, made again after a
    // change.
    HBITMAP GetMaskHandle();
    TBitmapHandleType GetHandleType() const { return FHandleType; }
    void SetHandleType(TBitmapHandleType Value);
    bool GetMonochrome() const;
    void SetMonochrome(bool Value);
    TPixelFormat GetPixelFormat() const;
    // pfCustom raises EInvalidGraphicOperation.
    void SetPixelFormat(TPixelFormat Value);
    // tmAuto: the bottom-left pixel (clDefault while empty); tmFixed: the colour set. Setting a colour makes
    // the mode tmFixed, clDefault makes it tmAuto.
    TColor GetTransparentColor();
    void SetTransparentColor(TColor Value);
    TTransparentMode GetTransparentMode() const { return FTransparentMode; }
    void SetTransparentMode(TTransparentMode Value);

    // The bitmap file format: BITMAPFILEHEADER ("BM"), an info header (or an OS/2 core header), masks,
    // colour table and bits. Reads 1, 4, 8, 16, 24 and 32 bits, BI_RGB, BI_BITFIELDS and RLE4/RLE8, bottom-
    // up or top-down, into a DIB of the file's own depth; writes the handle's own depth (a DDB at the
    // screen's). LoadFromStream takes the rest of the stream. Malformed data raises EInvalidGraphic and
    // leaves the bitmap as it was; an empty stream empties it. An empty bitmap writes nothing.
    void LoadFromStream(Classes::TStream& Stream) override;
    void SaveToStream(Classes::TStream& Stream) override;
    // A bitmap resource (RT_BITMAP) of a module, as a DIB of the resource's own depth.
    void LoadFromResourceName(HINSTANCE Instance, const String& ResName);
    void LoadFromResourceID(HINSTANCE Instance, int ResID);
    // Dormant: keeps the picture as file bytes and frees the GDI objects (made again on need). FreeImage:
    // drops the kept file bytes, keeping the handle.
    void Dormant();
    void FreeImage();

protected:
    void Draw(TCanvas* ACanvas, const TRect& Rect) override;
    // Data: the size of the file image as a 32-bit little-endian number, then the file image ("BM...").
    void ReadData(Classes::TStream& Stream) override;
    void WriteData(Classes::TStream& Stream) override;

private:
    friend class TBitmapCanvas;
    class TSourceDC;
    void HandleNeeded();
    // Takes the bitmap out of the canvas's DC and deletes that DC.
    void FreeContext();
    // The pixels are about to change through the canvas or the handle: the kept bytes and the mask go.
    void Changing();
    void FreeMask();
    void CanvasChanging(TObject* Sender);
    void CanvasChanged(TObject* Sender);
    // A new handle of the type, layout and size given, holding the old picture where it fits.
    void Rebuild(TBitmapHandleType Type, const Detail::TDibFormat& Format, int AWidth, int AHeight);
    void Adopt(HBITMAP Handle, TBitmapHandleType Type, Detail::TDibFormat Format, int AWidth, int AHeight);
    void LoadImage(std::vector<uint8_t> Image);
    void LoadFromResource(HINSTANCE Instance, const wchar_t* Name, const String& Shown);
    // The file image: the kept bytes, or made from the handle.
    std::vector<uint8_t> ImageBytes();
    // The pixels, top row first, as COLORREF (a monochrome bitmap's as black and white).
    std::vector<COLORREF> ReadPixels();
    static HBITMAP CreateHandle(TBitmapHandleType Type, const Detail::TDibFormat& Format, int AWidth,
                                int AHeight);

    WinHandles::TBitmapHandle FHandle;
    WinHandles::TBitmapHandle FMaskHandle;
    TBitmapHandleType FHandleType = bmDDB;
    Detail::TDibFormat FFormat; // for a DDB, Bits is the device's depth (1: monochrome)
    int FWidth = 0, FHeight = 0;
    std::vector<uint8_t> FImage; // the file bytes the picture came from, while they still hold it
    TColor FTransparentColor = clDefault;
    TTransparentMode FTransparentMode = tmAuto;
    std::unique_ptr<TBitmapCanvas> FCanvas; // last: it lets the bitmap go before the handles die
};

// ---- Metafiles --------------------------------------------------------------------------------------------

// An enhanced metafile (HENHMETAFILE). Width and Height are in screen pixels, kept as the picture's frame in
// hundredths of a millimetre (MMWidth, MMHeight). LoadFromStream reads an EMF image or a placeable WMF,
// converted to an EMF (Enhanced then says false); SaveToStream writes the EMF image. Malformed data raises
// EInvalidGraphic and leaves the metafile as it was.
class TMetafile : public TGraphic {
    DECLARE_CLASS(TMetafile, TGraphic)
public:
    TMetafile();
    ~TMetafile() override;
    // A copy of the records (CopyEnhMetaFile) and the frame; from nullptr: empty.
    void Assign(TPersistent* Source) override;
    void Clear();

    bool GetEmpty() const override { return !FHandle; }
    int GetWidth() const override;
    int GetHeight() const override;
    void SetWidth(int Value) override;
    void SetHeight(int Value) override;
    int GetMMWidth() const { return FMMWidth; }
    void SetMMWidth(int Value);
    int GetMMHeight() const { return FMMHeight; }
    void SetMMHeight(int Value);
    bool GetTransparent() const override { return true; }
    // False when the records came from a Windows metafile.
    bool GetEnhanced() const { return FEnhanced; }

    HENHMETAFILE GetHandle() const { return FHandle.Get(); }
    // Takes the metafile over; the frame becomes the one in its header. Null empties.
    void SetHandle(HENHMETAFILE Value);
    HENHMETAFILE ReleaseHandle();

    void LoadFromStream(Classes::TStream& Stream) override;
    void SaveToStream(Classes::TStream& Stream) override;

protected:
    // PlayEnhMetaFile scaled into Rect.
    void Draw(TCanvas* ACanvas, const TRect& Rect) override;

private:
    void Take(HENHMETAFILE Value, bool Enhanced);

    WinHandles::TEnhMetafileHandle FHandle;
    int FMMWidth = 0, FMMHeight = 0;
    bool FEnhanced = true;
};

// Records drawing into a metafile: the canvas draws on an enhanced-metafile DC made for the reference
// device (the screen when null) with the metafile's frame (when it has one, else the extent of the
// drawing); when the canvas dies the recording becomes the metafile's handle.
//
//   Graphics::TMetafile mf;  mf.SetWidth(32);  mf.SetHeight(32);
//   { Graphics::TMetafileCanvas c(&mf, nullptr);  c.GetBrush()->SetColor(clRed);  c.FillRect(Rect(0, 0, 32,
//   32)); }
class TMetafileCanvas : public TCanvas {
    DECLARE_CLASS(TMetafileCanvas, TCanvas)
public:
    TMetafileCanvas(TMetafile* AMetafile, HDC ReferenceDevice);
    ~TMetafileCanvas() override;

private:
    TMetafile* FMetafile;
    HDC FDC;
};

// ---- Pictures ---------------------------------------------------------------------------------------------

// Holds one graphic of any registered class (or none) and owns it.
//
// Data streams the graphic: its class name as a short string (a length byte and the name), then the
// graphic's own data (a bitmap: 32-bit size and the "BM" file image; an icon: the .ico bytes; a metafile:
// the EMF bytes). An unknown class name or damaged data raises EInvalidGraphic (which the form reader
// reports as EReadError) and leaves the picture as it was.
class TPicture : public TPersistent {
    DECLARE_CLASS(TPicture, TPersistent)
public:
    TPicture();
    ~TPicture() override;

    TGraphic* GetGraphic() const { return FGraphic.get(); }
    // A copy: a new graphic of Value's class, assigned from Value; nullptr empties the picture.
    void SetGraphic(TGraphic* Value);
    // The graphic as that class: when the picture holds another kind (or none), it is replaced by a new,
    // empty one of the class asked for.
    TBitmap* GetBitmap();
    TIcon* GetIcon();
    TMetafile* GetMetafile();
    void SetBitmap(TBitmap* Value) { SetGraphic(Value); }
    void SetIcon(TIcon* Value) { SetGraphic(Value); }
    void SetMetafile(TMetafile* Value) { SetGraphic(Value); }
    int GetWidth() const;
    int GetHeight() const;

    // From a TPicture or a TGraphic (a copy), or nullptr (empty).
    void Assign(TPersistent* Source) override;
    // By the file's extension (.bmp, .ico, .emf, .wmf, and those registered): EInvalidGraphic "Unknown
    // picture file extension (.xyz)" for others. The picture changes only when the file was read.
    void LoadFromFile(const String& FileName);
    // In the graphic's own format; nothing for an empty picture.
    void SaveToFile(const String& FileName);

    // After every change of the graphic: another graphic, or a change made through it (its canvas, its
    // size...).
    TNotifyEvent OnChange;

    // The graphic classes pictures know, by file extension (without the dot) and by class name.
    static void RegisterFileFormat(const String& Extension, const String& Description,
                                   System::TClass Graphic);
    static void UnregisterGraphicClass(System::TClass Graphic);
    // The registered graphic class of that name (ignoring case), or nullptr.
    static System::TClass FindGraphicClass(std::string_view ClassName);

protected:
    // To a TGraphic: the graphic assigns itself from this picture's graphic.
    void AssignTo(TPersistent* Dest) override;
    void DefineProperties(Classes::TFiler& Filer) override;
    virtual void Changed(TObject* Sender);

private:
    template <class T> T* Force();
    void Take(std::unique_ptr<TGraphic> Graphic);
    void ReadData(Classes::TStream& Stream);
    void WriteData(Classes::TStream& Stream);

    std::unique_ptr<TGraphic> FGraphic;
};

} // namespace Graphics

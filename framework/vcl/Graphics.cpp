// Graphics: colours, fonts, pens and brushes (the canvas, the graphics and pictures are in the other
// Graphics*.cpp sources).
//
// Invariant 1: a GDI object is never deleted while a canvas has it selected: a font, pen or brush keeps its
// old handle alive until OnChange has run (the canvas puts the DC's own object back in its handler).
#include "framework/vcl/Graphics.h"

#include "framework/core/ClassesReaderWriter.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace Graphics {

using namespace TypInfo;

// ==== Colours ==============================================================================================

int Detail::ScreenPixelsPerInch() {
    static const int ppi = [] {
        WinHandles::TWindowDC screen(nullptr);
        return GetDeviceCaps(screen, LOGPIXELSY);
    }();
    return ppi;
}

TColor ColorToRGB(TColor Color) {
    if (Color < 0) return TColor(GetSysColor(Color & 0xFF));
    return Color;
}

bool ColorToIdent(TColor Color, String& Ident) {
    return IntToIdent(Color, Ident, Detail::ColorIdents, std::size(Detail::ColorIdents));
}

bool IdentToColor(std::string_view Ident, TColor& Color) {
    return IdentToInt(Ident, Color, Detail::ColorIdents, std::size(Detail::ColorIdents));
}

// ==== TGraphicsObject ======================================================================================

void TGraphicsObject::Changed() {
    OnChange(this);
}

PUBLISHED(TGraphicsObject, "Graphics");

// ==== TFont ================================================================================================

// What an HFONT is made of, shared by fonts assigned from one another.
struct TFont::TResource {
    int Height = 0;
    TFontPitch Pitch = fpDefault;
    TFontStyles Style;
    TFontCharset Charset = DEFAULT_CHARSET;
    String Name = "MS Sans Serif";
    // Everything the handle was made with, for a handle given by SetHandle (escapement, weight, quality...).
    std::optional<LOGFONTW> Log;
    WinHandles::TFontHandle Handle;
    // The same font in other character sets (GetHandleFor), made on first need.
    std::vector<std::pair<TFontCharset, WinHandles::TFontHandle>> Variants;

    std::shared_ptr<TResource> Copy() const {
        auto r = std::make_shared<TResource>();
        r->Height = Height;
        r->Pitch = Pitch;
        r->Style = Style;
        r->Charset = Charset;
        r->Name = Name;
        return r;
    }
};

TFont::TFont()
    : FResource(std::make_shared<TResource>()), FColor(clWindowText),
      FPixelsPerInch(Detail::ScreenPixelsPerInch()) {
    // 8 points at the screen's resolution: -11 at 96 pixels per inch.
    FResource->Height = -MulDiv(8, FPixelsPerInch, 72);
}

TFont::~TFont() = default;

void TFont::Assign(TPersistent* Source) {
    if (auto* f = dynamic_cast<TFont*>(Source)) {
        if (f == this) return;
        // Invariant 1: the old resource (perhaps selected in a canvas) outlives OnChange.
        std::shared_ptr<TResource> old = std::move(FResource);
        FResource = f->FResource;
        FColor = f->FColor;
        Changed();
        return;
    }
    inherited::Assign(Source);
}

void TFont::Change(const std::function<void(TResource&)>& edit) {
    std::shared_ptr<TResource> next = FResource->Copy();
    edit(*next);
    Replace(std::move(next));
}

void TFont::Replace(std::shared_ptr<TResource> Next) {
    std::shared_ptr<TResource> old = std::move(FResource); // invariant 1
    FResource = std::move(Next);
    Changed();
}

void TFont::SetHandle(HFONT Value) {
    if (Value == nullptr) {
        Replace(FResource->Copy());
        return;
    }
    if (Value == FResource->Handle.Get()) return;
    LOGFONTW lf{};
    if (GetObjectType(Value) != OBJ_FONT || GetObjectW(Value, sizeof(lf), &lf) == 0)
        throw EInvalidGraphicOperation("The handle given to a font is not a font");
    auto next = std::make_shared<TResource>();
    next->Height = lf.lfHeight;
    next->Style = {};
    if (lf.lfWeight >= FW_BOLD) next->Style.Include(fsBold);
    if (lf.lfItalic) next->Style.Include(fsItalic);
    if (lf.lfUnderline) next->Style.Include(fsUnderline);
    if (lf.lfStrikeOut) next->Style.Include(fsStrikeOut);
    next->Charset = lf.lfCharSet;
    int pitch = lf.lfPitchAndFamily & 3;
    next->Pitch = pitch == VARIABLE_PITCH ? fpVariable : pitch == FIXED_PITCH ? fpFixed : fpDefault;
    lf.lfFaceName[LF_FACESIZE - 1] = 0;
    next->Name = SysUtils::Utf16ToUtf8(reinterpret_cast<const char16_t*>(lf.lfFaceName));
    next->Log = lf;
    next->Handle.Reset(Value);
    Replace(std::move(next));
}

HFONT TFont::Create(TFontCharset Charset) const {
    const TResource& r = *FResource;
    if (r.Log) {
        LOGFONTW lf = *r.Log;
        lf.lfCharSet = Charset;
        return WinHandles::Check(CreateFontIndirectW(&lf), "a font");
    }
    LOGFONTW lf{};
    lf.lfHeight = r.Height;
    lf.lfWeight = r.Style.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = r.Style.Contains(fsItalic);
    lf.lfUnderline = r.Style.Contains(fsUnderline);
    lf.lfStrikeOut = r.Style.Contains(fsStrikeOut);
    lf.lfCharSet = Charset;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = r.Pitch == fpVariable ? VARIABLE_PITCH
                          : r.Pitch == fpFixed  ? FIXED_PITCH
                                                : DEFAULT_PITCH;
    std::u16string face = SysUtils::Utf8ToUtf16(r.Name);
    face.resize(std::min<size_t>(face.size(), LF_FACESIZE - 1));
    std::memcpy(lf.lfFaceName, face.data(), face.size() * sizeof(char16_t));
    return WinHandles::Check(CreateFontIndirectW(&lf), "a font");
}

HFONT TFont::GetHandle() {
    if (!FResource->Handle) FResource->Handle.Reset(Create(FResource->Charset));
    return FResource->Handle;
}

namespace {

// The first character of Text that the font selected in DC has no glyph for, or 0. Control characters
// (tabs, line ends) and surrogates are not looked at: no character set would bring them.
char16_t FirstMissingGlyph(HDC DC, std::u16string_view Text) {
    auto considered = [](char16_t c) { return c >= 0x20 && (c < 0xD800 || c > 0xDFFF); };
    if (Text.empty()) return 0;
    std::vector<WORD> glyphs(Text.size());
    if (GetGlyphIndicesW(DC, reinterpret_cast<LPCWSTR>(Text.data()), int(Text.size()), glyphs.data(),
                         GGI_MARK_NONEXISTING_GLYPHS) != GDI_ERROR) {
        for (size_t i = 0; i < Text.size(); ++i)
            if (glyphs[i] == 0xFFFF && considered(Text[i])) return Text[i];
        return 0;
    }
    // A font the glyph lookup does not serve: what its character set's code page cannot hold is missing.
    CHARSETINFO info{};
    if (!TranslateCharsetInfo(reinterpret_cast<DWORD*>(uintptr_t(GetTextCharset(DC))), &info, TCI_SRCCHARSET))
        return 0;
    for (char16_t c : Text) {
        if (!considered(c)) continue;
        char bytes[8];
        BOOL usedDefault = FALSE;
        WideCharToMultiByte(info.ciACP, WC_NO_BEST_FIT_CHARS, reinterpret_cast<LPCWCH>(&c), 1, bytes,
                            sizeof(bytes), nullptr, &usedDefault);
        if (usedDefault) return c;
    }
    return 0;
}

// The character set that holds c, or DEFAULT_CHARSET when no single one is known to.
TFontCharset CharsetOf(char16_t c) {
    if (c >= 0x0400 && c <= 0x052F) return RUSSIAN_CHARSET;
    if (c >= 0x0370 && c <= 0x03FF) return GREEK_CHARSET;
    if (c >= 0x0100 && c <= 0x017F) return EASTEUROPE_CHARSET;
    if (c >= 0x0590 && c <= 0x05FF) return HEBREW_CHARSET;
    if (c >= 0x0600 && c <= 0x06FF) return ARABIC_CHARSET;
    if (c >= 0x0E00 && c <= 0x0E7F) return THAI_CHARSET;
    // Kana and the ideographs: a Japanese font shows both (and the ideographs of Chinese texts).
    if ((c >= 0x3040 && c <= 0x30FF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3000 && c <= 0x303F))
        return SHIFTJIS_CHARSET;
    if (c >= 0xAC00 && c <= 0xD7AF) return HANGEUL_CHARSET;
    return DEFAULT_CHARSET;
}

} // namespace

HFONT TFont::GetHandleFor(HDC DC, std::u16string_view Text) {
    HFONT base = GetHandle();
    TResource& r = *FResource;
    if (r.Charset != DEFAULT_CHARSET) return base;
    char16_t missing;
    {
        WinHandles::TSelectObject sel(DC, base);
        missing = FirstMissingGlyph(DC, Text);
    }
    TFontCharset charset = missing ? CharsetOf(missing) : TFontCharset(DEFAULT_CHARSET);
    if (charset == DEFAULT_CHARSET) return base;
    auto it =
        std::find_if(r.Variants.begin(), r.Variants.end(), [&](const auto& v) { return v.first == charset; });
    if (it == r.Variants.end()) {
        r.Variants.emplace_back(charset, WinHandles::TFontHandle(Create(charset)));
        it = r.Variants.end() - 1;
    }
    // The other set's font is used only if it does have the character.
    WinHandles::TSelectObject sel(DC, it->second);
    return FirstMissingGlyph(DC, std::u16string_view(&missing, 1)) ? base : it->second.Get();
}

HFONT TFont::GetHandleFor(std::u16string_view Text) {
    WinHandles::TWindowDC screen(nullptr);
    return GetHandleFor(screen, Text);
}

void TFont::SetColor(TColor Value) {
    if (Value == FColor) return;
    FColor = Value;
    Changed();
}

int TFont::GetHeight() const {
    return FResource->Height;
}

void TFont::SetHeight(int Value) {
    if (Value != FResource->Height) Change([&](TResource& r) { r.Height = Value; });
}

int TFont::GetSize() const {
    return -MulDiv(FResource->Height, 72, FPixelsPerInch);
}

void TFont::SetSize(int Value) {
    SetHeight(-MulDiv(Value, FPixelsPerInch, 72));
}

String TFont::GetName() const {
    return FResource->Name;
}

void TFont::SetName(const String& Value) {
    if (!Value.empty() && Value != FResource->Name) Change([&](TResource& r) { r.Name = Value; });
}

TFontStyles TFont::GetStyle() const {
    return FResource->Style;
}

void TFont::SetStyle(TFontStyles Value) {
    if (!(Value == FResource->Style)) Change([&](TResource& r) { r.Style = Value; });
}

TFontPitch TFont::GetPitch() const {
    return FResource->Pitch;
}

void TFont::SetPitch(TFontPitch Value) {
    if (Value != FResource->Pitch) Change([&](TResource& r) { r.Pitch = Value; });
}

TFontCharset TFont::GetCharset() const {
    return FResource->Charset;
}

void TFont::SetCharset(TFontCharset Value) {
    if (Value != FResource->Charset) Change([&](TResource& r) { r.Charset = Value; });
}

PUBLISHED(TFont, "Graphics",
          Prop<&TFont::GetCharset, &TFont::SetCharset>("Charset").Type(&TFontCharset_TypeInfo),
          Prop<&TFont::GetColor, &TFont::SetColor>("Color").Type(&TColor_TypeInfo),
          Prop<&TFont::GetHeight, &TFont::SetHeight>("Height"),
          Prop<&TFont::GetName, &TFont::SetName>("Name"),
          Prop<&TFont::GetPitch, &TFont::SetPitch>("Pitch").Default(fpDefault),
          Prop<&TFont::GetSize, &TFont::SetSize>("Size").Stored(false),
          Prop<&TFont::GetStyle, &TFont::SetStyle>("Style"));

// ==== TPen and TBrush ======================================================================================

TPen::TPen() = default;

void TPen::Assign(TPersistent* Source) {
    if (auto* p = dynamic_cast<TPen*>(Source)) {
        FColor = p->FColor;
        FMode = p->FMode;
        FStyle = p->FStyle;
        FWidth = p->FWidth;
        Changed();
        return;
    }
    inherited::Assign(Source);
}

void TPen::Changed() {
    WinHandles::TPen old = std::move(FHandle); // invariant 1
    inherited::Changed();
}

HPEN TPen::GetHandle() {
    if (!FHandle) {
        static constexpr int styles[] = {PS_SOLID,      PS_DASH, PS_DOT,        PS_DASHDOT,
                                         PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
        FHandle.Reset(
            WinHandles::Check(CreatePen(styles[FStyle], FWidth, COLORREF(ColorToRGB(FColor))), "a pen"));
    }
    return FHandle;
}

void TPen::SetColor(TColor Value) {
    if (Value == FColor) return;
    FColor = Value;
    Changed();
}

void TPen::SetMode(TPenMode Value) {
    if (Value == FMode) return;
    FMode = Value;
    Changed();
}

void TPen::SetStyle(TPenStyle Value) {
    if (Value == FStyle) return;
    FStyle = Value;
    Changed();
}

void TPen::SetWidth(int Value) {
    if (Value == FWidth || Value < 0) return;
    FWidth = Value;
    Changed();
}

PUBLISHED(TPen, "Graphics",
          Prop<&TPen::GetColor, &TPen::SetColor>("Color").Type(&TColor_TypeInfo).Default(clBlack),
          Prop<&TPen::GetMode, &TPen::SetMode>("Mode").Default(pmCopy),
          Prop<&TPen::GetStyle, &TPen::SetStyle>("Style").Default(psSolid),
          Prop<&TPen::GetWidth, &TPen::SetWidth>("Width").Default(1));

TBrush::TBrush() = default;

void TBrush::Assign(TPersistent* Source) {
    if (auto* b = dynamic_cast<TBrush*>(Source)) {
        FColor = b->FColor;
        FStyle = b->FStyle;
        Changed();
        return;
    }
    inherited::Assign(Source);
}

void TBrush::Changed() {
    WinHandles::TBrush old = std::move(FHandle); // invariant 1
    inherited::Changed();
}

HBRUSH TBrush::GetHandle() {
    if (FStyle == bsClear) return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    if (!FHandle) {
        COLORREF rgb = COLORREF(ColorToRGB(FColor));
        if (FStyle == bsSolid) {
            FHandle.Reset(WinHandles::Check(CreateSolidBrush(rgb), "a brush"));
        } else {
            static constexpr int hatches[] = {
                0, 0, HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL, HS_BDIAGONAL, HS_CROSS, HS_DIAGCROSS};
            FHandle.Reset(WinHandles::Check(CreateHatchBrush(hatches[FStyle], rgb), "a brush"));
        }
    }
    return FHandle;
}

void TBrush::SetColor(TColor Value) {
    // A colour given to a clear brush means it is to paint again, as the framework has it.
    if (Value == FColor && FStyle != bsClear) return;
    FColor = Value;
    if (FStyle == bsClear) FStyle = bsSolid;
    Changed();
}

void TBrush::SetStyle(TBrushStyle Value) {
    if (Value == FStyle) return;
    FStyle = Value;
    Changed();
}

PUBLISHED(TBrush, "Graphics",
          Prop<&TBrush::GetColor, &TBrush::SetColor>("Color").Type(&TColor_TypeInfo).Default(clWhite),
          Prop<&TBrush::GetStyle, &TBrush::SetStyle>("Style").Default(bsSolid));

} // namespace Graphics

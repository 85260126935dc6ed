// Graphics: colours, fonts, pens, brushes, the canvas and icons.
//
// Invariants:
//   1. A GDI object is never deleted while a canvas has it selected: a font, pen or brush keeps its old
//      handle alive until OnChange has run (the canvas puts the DC's own object back in its handler).
//   2. A canvas selects an object only through RequiredState and remembers the DC's original one the first
//      time; DeselectHandles puts exactly those back.
#include "framework/vcl/Graphics.h"

#include "framework/core/ClassesReaderWriter.h"

#include <algorithm>
#include <cstring>

namespace Graphics {

using namespace TypInfo;
using Classes::EInvalidOperation;

// ==== Colours ==============================================================================================

namespace {

int ScreenPixelsPerInch() {
    static const int ppi = [] {
        WinHandles::TWindowDC screen(nullptr);
        return GetDeviceCaps(screen, LOGPIXELSY);
    }();
    return ppi;
}

} // namespace

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
    : FResource(std::make_shared<TResource>()), FColor(clWindowText), FPixelsPerInch(ScreenPixelsPerInch()) {
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
    std::shared_ptr<TResource> old = std::move(FResource); // invariant 1
    FResource = std::move(next);
    Changed();
}

HFONT TFont::Create(TFontCharset Charset) const {
    const TResource& r = *FResource;
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
    if (Value == FColor) return;
    FColor = Value;
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

// ==== TCanvas ==============================================================================================

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

void TCanvas::RequiredState(uint8_t State) {
    uint8_t needed = State & ~FState;
    if (needed == 0) return;
    if (needed & csHandleValid) {
        CreateHandle();
        if (!FHandle) throw EInvalidOperation("Canvas does not allow drawing");
        FState |= csHandleValid;
    }
    // Invariant 2: the DC's own object is remembered the first time only.
    if (needed & csFontValid) {
        HGDIOBJ old = SelectObject(FHandle, FFont->GetHandle());
        if (!FOldFont) FOldFont = old;
        SetTextColor(FHandle, COLORREF(ColorToRGB(FFont->GetColor())));
        FState |= csFontValid;
    }
    if (needed & csPenValid) {
        HGDIOBJ old = SelectObject(FHandle, FPen->GetHandle());
        if (!FOldPen) FOldPen = old;
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
    }
    FOldFont = FOldPen = FOldBrush = nullptr;
    FState &= csHandleValid;
}

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
    RequiredState(csHandleValid | csFontValid | csBrushValid);
    std::u16string w = SysUtils::Utf8ToUtf16(Text);
    SelectFontFor(w);
    ExtTextOutW(FHandle, X, Y, 0, nullptr, reinterpret_cast<LPCWSTR>(w.c_str()), UINT(w.size()), nullptr);
    MoveToEx(FHandle, X + TextWidth(Text), Y, nullptr);
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
    RequiredState(csHandleValid | csFontValid | csBrushValid);
    std::u16string w = SysUtils::Utf8ToUtf16(Text);
    SelectFontFor(w);
    return DrawTextW(FHandle, reinterpret_cast<LPCWSTR>(w.c_str()), int(w.size()), &Rect, Format);
}

void TCanvas::FillRect(const TRect& Rect) {
    RequiredState(csHandleValid | csBrushValid);
    ::FillRect(FHandle, &Rect, FBrush->GetHandle());
}

void TCanvas::FrameRect(const TRect& Rect) {
    RequiredState(csHandleValid | csBrushValid);
    ::FrameRect(FHandle, &Rect, FBrush->GetHandle());
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    ::Rectangle(FHandle, X1, Y1, X2, Y2);
}

void TCanvas::MoveTo(int X, int Y) {
    RequiredState(csHandleValid);
    MoveToEx(FHandle, X, Y, nullptr);
}

void TCanvas::LineTo(int X, int Y) {
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    ::LineTo(FHandle, X, Y);
}

void TCanvas::Polyline(std::initializer_list<TPoint> Points) {
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    ::Polyline(FHandle, Points.begin(), int(Points.size()));
}

TPoint TCanvas::GetPenPos() {
    RequiredState(csHandleValid);
    TPoint p{0, 0};
    GetCurrentPositionEx(FHandle, &p);
    return p;
}

PUBLISHED(TCanvas, "Graphics");

// ==== TGraphic =============================================================================================

void TGraphic::DefineProperties(Classes::TFiler& Filer) {
    Filer.DefineBinaryProperty(
        "Data", [this](Classes::TStream& s) { LoadFromStream(s); },
        [this](Classes::TStream& s) { SaveToStream(s); }, !GetEmpty());
}

void TGraphic::Changed() {
    OnChange(this);
}

PUBLISHED(TGraphic, "Graphics");

// ==== TIcon ================================================================================================

namespace {

// The .ico layout (all little-endian):
//   offset 0  u16 reserved = 0, u16 type = 1, u16 count
//   offset 6  count entries of 16 bytes: u8 width (0 = 256), u8 height, u8 colours, u8 reserved,
//             u16 planes, u16 bits per pixel, u32 bytes of the image, u32 offset of the image in the file
// A resource group (RT_GROUP_ICON) has the same header with 14-byte entries: the last field is the u16 id
// of the RT_ICON resource instead of the u32 offset.
struct TIconEntry {
    int Width, Height, Bits;
    size_t Offset, Size;
};

uint16_t U16(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}
uint32_t U32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
void PutU16(std::vector<uint8_t>& b, uint16_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void PutU32(std::vector<uint8_t>& b, uint32_t v) {
    PutU16(b, uint16_t(v));
    PutU16(b, uint16_t(v >> 16));
}

std::vector<TIconEntry> ParseIcon(const std::vector<uint8_t>& d) {
    auto bad = [] { return EInvalidGraphic("Invalid icon: the data is not an icon file"); };
    if (d.size() < 6 || U16(&d[0]) != 0 || U16(&d[2]) != 1) throw bad();
    size_t count = U16(&d[4]);
    if (count == 0 || d.size() < 6 + 16 * count) throw bad();
    std::vector<TIconEntry> entries;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* e = &d[6 + 16 * i];
        TIconEntry entry{e[0] ? e[0] : 256, e[1] ? e[1] : 256, U16(e + 6), U32(e + 12), U32(e + 8)};
        if (entry.Size == 0 || entry.Offset > d.size() || entry.Size > d.size() - entry.Offset) throw bad();
        entries.push_back(entry);
    }
    return entries;
}

} // namespace

TIcon::TIcon() = default;

TIcon::~TIcon() {
    FreeHandle();
}

void TIcon::FreeHandle() {
    if (FHandle) DestroyIcon(FHandle);
    FHandle = nullptr;
    FImage = -1;
}

void TIcon::SetData(std::vector<uint8_t> Data) {
    if (!Data.empty()) ParseIcon(Data); // malformed data is refused before anything changes
    FreeHandle();
    FData = std::move(Data);
    Changed();
}

void TIcon::Assign(TPersistent* Source) {
    if (Source == nullptr) {
        SetData({});
        return;
    }
    if (auto* i = dynamic_cast<TIcon*>(Source)) {
        if (i != this) SetData(i->FData);
        return;
    }
    inherited::Assign(Source);
}

int TIcon::GetWidth() const {
    if (FData.empty()) return 0;
    return ParseIcon(FData)[size_t(std::max(FImage, 0))].Width;
}

int TIcon::GetHeight() const {
    if (FData.empty()) return 0;
    return ParseIcon(FData)[size_t(std::max(FImage, 0))].Height;
}

void TIcon::LoadFromStream(Classes::TStream& Stream) {
    int64_t size = Stream.GetSize() - Stream.GetPosition();
    std::vector<uint8_t> data(size_t(std::max<int64_t>(size, 0)));
    if (!data.empty()) Stream.ReadBuffer(data.data(), data.size());
    SetData(std::move(data));
}

void TIcon::SaveToStream(Classes::TStream& Stream) {
    if (!FData.empty()) Stream.WriteBuffer(FData.data(), FData.size());
}

void TIcon::LoadFromResourceName(HINSTANCE Instance, const String& ResName) {
    std::u16string name = SysUtils::Utf8ToUtf16(ResName);
    LoadFromResource(Instance, reinterpret_cast<const wchar_t*>(name.c_str()), ResName);
}

void TIcon::LoadFromResourceID(HINSTANCE Instance, int ResID) {
    String shown = SysUtils::IntToStr(ResID);
    shown.insert(shown.begin(), '#');
    LoadFromResource(Instance, MAKEINTRESOURCEW(ResID), shown);
}

void TIcon::LoadFromResource(HINSTANCE Instance, const wchar_t* Name, const String& Shown) {
    auto bytesOf = [&](const wchar_t* name, const wchar_t* type, DWORD& size) -> const uint8_t* {
        HRSRC res = FindResourceW(Instance, name, type);
        if (!res) throw Classes::EResNotFound("Resource " + Shown + " not found");
        HGLOBAL mem = LoadResource(Instance, res);
        size = SizeofResource(Instance, res);
        auto* p = static_cast<const uint8_t*>(LockResource(mem));
        if (!p) throw Classes::EResNotFound("Resource " + Shown + " not found");
        return p;
    };
    // 1. The group: the images' sizes and the ids of their RT_ICON resources.
    DWORD groupSize = 0;
    const uint8_t* group = bytesOf(Name, MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */, groupSize);
    if (groupSize < 6) throw EInvalidGraphic("Invalid icon: the group resource is too short");
    size_t count = U16(group + 4);
    if (count == 0 || groupSize < 6 + 14 * count)
        throw EInvalidGraphic("Invalid icon: the group resource is too short");
    // 2. An .ico file: the header, one 16-byte entry per image, then the images.
    std::vector<uint8_t> ico;
    PutU16(ico, 0);
    PutU16(ico, 1);
    PutU16(ico, uint16_t(count));
    std::vector<std::pair<const uint8_t*, DWORD>> images;
    uint32_t offset = uint32_t(6 + 16 * count);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* e = group + 6 + 14 * i;
        DWORD size = 0;
        const uint8_t* image =
            bytesOf(MAKEINTRESOURCEW(U16(e + 12)), MAKEINTRESOURCEW(3) /* RT_ICON */, size);
        ico.insert(ico.end(), e, e + 8);
        PutU32(ico, size);
        PutU32(ico, offset);
        offset += size;
        images.emplace_back(image, size);
    }
    for (auto& [p, size] : images)
        ico.insert(ico.end(), p, p + size);
    SetData(std::move(ico));
}

HICON TIcon::GetHandle() {
    if (!FHandle && !FData.empty()) {
        // The image of the system's large icon size with the most colours, else the first one.
        std::vector<TIconEntry> entries = ParseIcon(FData);
        int want = GetSystemMetrics(SM_CXICON), best = 0;
        for (size_t i = 0; i < entries.size(); ++i) {
            const TIconEntry& e = entries[i];
            const TIconEntry& b = entries[size_t(best)];
            bool fits = e.Width == want, bestFits = b.Width == want;
            if ((fits && !bestFits) || (fits == bestFits && fits && e.Bits > b.Bits)) best = int(i);
        }
        const TIconEntry& e = entries[size_t(best)];
        HICON icon = CreateIconFromResourceEx(const_cast<uint8_t*>(FData.data() + e.Offset), DWORD(e.Size),
                                              TRUE, 0x00030000, e.Width, e.Height, LR_DEFAULTCOLOR);
        if (!icon) throw EInvalidGraphic("Invalid icon: the image cannot be made into an icon");
        FHandle = icon;
        FImage = best;
    }
    return FHandle;
}

PUBLISHED(TIcon, "Graphics");

} // namespace Graphics

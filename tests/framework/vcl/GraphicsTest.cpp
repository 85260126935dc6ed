// Graphics: colours, fonts and their handles, the canvas on a real DIB section, icons from .ico bytes and
// from the program's icon resource.
#include "tests/framework/vcl/VclTestSupport.h"

#include <fstream>
#include <iterator>

using namespace VclTest;
using namespace Graphics;

namespace {

// The test icon beside this source (32 x 32, 16 colours): frame yellow, centre red, the rest blue, the
// top-left 2 x 2 pixels transparent.
std::vector<uint8_t> TestIconFile() {
    // Beside this file; found from the tests' data folder (__FILE__ is relative when ccache rewrites paths).
    String path = String("Z:") + TEST_DATA_DIR + "/../framework/vcl/VclTest.ico";
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WarmUp() {
    WinHandles::TWindowDC screen(nullptr);
    WinHandles::TMemoryDC mem(screen);
    TDib dib(4, 4);
}

// Counts the OnChanging and OnChange calls of what it is bound to.
struct TCounter : System::TObject {
    int Changing = 0, Changed = 0;
    void CountChanging(System::TObject*) { ++Changing; }
    void CountChanged(System::TObject*) { ++Changed; }
    Classes::TNotifyEvent OnChanging() { return Classes::TNotifyEvent::Bind<&TCounter::CountChanging>(this); }
    Classes::TNotifyEvent OnChange() { return Classes::TNotifyEvent::Bind<&TCounter::CountChanged>(this); }
};

} // namespace

TEST(Graphics, SystemColoursResolveToTheSystemsValuesAndHaveIdentifiers) {
    struct {
        TColor Color;
        int Index;
        const char* Ident;
    } rows[] = {{clBtnFace, COLOR_BTNFACE, "clBtnFace"},
                {clBtnShadow, COLOR_BTNSHADOW, "clBtnShadow"},
                {clBtnHighlight, COLOR_BTNHIGHLIGHT, "clBtnHighlight"},
                {clWindowText, COLOR_WINDOWTEXT, "clWindowText"},
                {clHighlight, COLOR_HIGHLIGHT, "clHighlight"},
                {clMenu, COLOR_MENU, "clMenu"}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.Ident);
        EXPECT_EQ(uint32_t(r.Color), 0x80000000u | uint32_t(r.Index));
        EXPECT_EQ(COLORREF(ColorToRGB(r.Color)), GetSysColor(r.Index));
        String ident;
        EXPECT_TRUE(ColorToIdent(r.Color, ident));
        EXPECT_EQ(ident, r.Ident);
        TColor back = 0;
        EXPECT_TRUE(IdentToColor(r.Ident, back));
        EXPECT_EQ(back, r.Color);
    }
    // Plain colours and clNone pass unchanged; red is in the low byte.
    EXPECT_EQ(ColorToRGB(clRed), TColor(RGB(255, 0, 0)));
    EXPECT_EQ(ColorToRGB(0x123456), 0x123456);
    EXPECT_EQ(ColorToRGB(clNone), clNone);
    String ident;
    EXPECT_FALSE(ColorToIdent(0x123456, ident));
}

TEST(Font, HandleCarriesTheFontsProperties) {
    TFont f;
    EXPECT_EQ(f.GetName(), "MS Sans Serif");
    EXPECT_EQ(f.GetHeight(), -11);
    EXPECT_EQ(f.GetCharset(), DEFAULT_CHARSET);
    EXPECT_EQ(f.GetColor(), clWindowText);
    f.SetName("Arial");
    f.SetSize(12); // 12 points at 96 pixels per inch
    EXPECT_EQ(f.GetHeight(), -16);
    f.SetStyle({fsBold, fsItalic});
    f.SetCharset(RUSSIAN_CHARSET);
    LOGFONTW lf{};
    ASSERT_EQ(GetObjectW(f.GetHandle(), sizeof(lf), &lf), int(sizeof(lf)));
    EXPECT_EQ(lf.lfHeight, -16);
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_TRUE(lf.lfItalic);
    EXPECT_FALSE(lf.lfUnderline);
    EXPECT_EQ(lf.lfCharSet, RUSSIAN_CHARSET);
    EXPECT_EQ(std::wstring(lf.lfFaceName), L"Arial");
    WinHandles::TWindowDC screen(nullptr);
    WinHandles::TSelectObject sel(screen, f.GetHandle());
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(screen, LF_FACESIZE, face);
    EXPECT_EQ(std::wstring(face), L"Arial");
}

TEST(Font, AssignSharesTheHandleAndAChangeGivesTheChangedFontItsOwn) {
    WarmUp();
    int base = TestSupport::LiveGdiObjects();
    {
        TCounter counter;
        int& changes = counter.Changed;
        TFont a, b;
        b.OnChange = counter.OnChange();
        a.SetHeight(-20);
        HFONT ha = a.GetHandle();
        b.Assign(&a);
        EXPECT_EQ(changes, 1);
        EXPECT_EQ(b.GetHandle(), ha);
        EXPECT_EQ(TestSupport::LiveGdiObjects(), base + 1);
        // a changes: it gets a new handle; b keeps the old one, still alive.
        a.SetHeight(-30);
        HFONT ha2 = a.GetHandle();
        EXPECT_NE(ha2, ha);
        EXPECT_EQ(GetObjectType(ha), DWORD(OBJ_FONT));
        EXPECT_EQ(b.GetHeight(), -20);
        EXPECT_EQ(TestSupport::LiveGdiObjects(), base + 2);
        // Setting a value it already has changes nothing.
        b.SetHeight(-20);
        EXPECT_EQ(changes, 1);
        b.SetHeight(-21);
        EXPECT_EQ(changes, 2);
        EXPECT_EQ(GetObjectType(ha), 0u); // the last user of the old handle let it go
    }
    EXPECT_EQ(TestSupport::LiveGdiObjects(), base);
}

TEST(Font, TextInLettersTheFaceLacksGetsTheFontOfTheirCharacterSet) {
    WarmUp();
    int base = TestSupport::LiveGdiObjects();
    {
        TFont f; // MS Sans Serif, DEFAULT_CHARSET: on a 1252 system a raster face of Western letters
        HFONT own = f.GetHandle();
        EXPECT_EQ(f.GetHandleFor(u"PatternName"), own);
        bool ownHasCyrillic;
        {
            WinHandles::TWindowDC screen(nullptr);
            WinHandles::TSelectObject sel(screen, own);
            WORD g[2] = {};
            GetGlyphIndicesW(screen, L"Жя", 2, g, GGI_MARK_NONEXISTING_GLYPHS);
            ownHasCyrillic = g[0] != 0xFFFF && g[1] != 0xFFFF;
        }
        HFONT ru = f.GetHandleFor(u"Конвертер: table.db");
        if (ownHasCyrillic) {
            EXPECT_EQ(ru, own);
        } else {
            ASSERT_NE(ru, own);
            LOGFONTW lf{};
            GetObjectW(ru, sizeof(lf), &lf);
            EXPECT_EQ(lf.lfCharSet, RUSSIAN_CHARSET);
            EXPECT_EQ(std::wstring(lf.lfFaceName), L"MS Sans Serif");
            EXPECT_EQ(lf.lfHeight, -11);
            WinHandles::TWindowDC screen(nullptr);
            WinHandles::TSelectObject sel(screen, ru);
            WORD g[2] = {};
            GetGlyphIndicesW(screen, L"Жя", 2, g, GGI_MARK_NONEXISTING_GLYPHS);
            EXPECT_NE(g[0], 0xFFFF);
            EXPECT_NE(g[1], 0xFFFF);
            EXPECT_EQ(f.GetHandleFor(u"Ж"), ru); // made once
        }
        // A font asked for in a character set of its own keeps it.
        TFont western;
        western.SetCharset(ANSI_CHARSET);
        EXPECT_EQ(western.GetHandleFor(u"Конвертер"), western.GetHandle());
        // A change of the font drops its variants with its handle.
        f.SetHeight(-12);
        EXPECT_EQ(GetObjectType(ru), ownHasCyrillic ? DWORD(OBJ_FONT) : 0u);
        f.GetHandleFor(u"Ж");
    }
    EXPECT_EQ(TestSupport::LiveGdiObjects(), base);
}

TEST(Canvas, DrawsWithItsFontPenAndBrushAndGivesTheDcItsObjectsBack) {
    WarmUp();
    int base = TestSupport::LiveGdiObjects();
    {
        TDib dib(80, 40, RGB(255, 255, 255));
        HGDIOBJ font0 = GetCurrentObject(dib.DC(), OBJ_FONT), pen0 = GetCurrentObject(dib.DC(), OBJ_PEN),
                brush0 = GetCurrentObject(dib.DC(), OBJ_BRUSH);
        int baseWithDib = TestSupport::LiveGdiObjects();
        {
            TCanvas c;
            c.SetHandle(dib.DC());
            // Brush: a filled rectangle, right and bottom excluded.
            c.GetBrush()->SetColor(clRed);
            c.FillRect(Rect(0, 0, 10, 10));
            EXPECT_EQ(dib.Count(Rect(0, 0, 10, 10), RGB(255, 0, 0)), 100);
            EXPECT_EQ(dib.Pixel(10, 10), RGB(255, 255, 255));
            // A brush changed while selected: the next fill uses the new colour.
            c.GetBrush()->SetColor(clBlue);
            c.FillRect(Rect(10, 0, 12, 2));
            EXPECT_EQ(dib.Pixel(10, 0), RGB(0, 0, 255));
            // Pen: a line leaves out its last point.
            c.GetPen()->SetColor(clLime);
            c.MoveTo(0, 20);
            c.LineTo(20, 20);
            EXPECT_EQ(dib.Count(Rect(0, 20, 20, 21), RGB(0, 255, 0)), 20);
            EXPECT_EQ(dib.Pixel(20, 20), RGB(255, 255, 255));
            EXPECT_EQ(c.GetPenPos().x, 20);
            // Frame: the brush's colour round the rectangle, inside untouched.
            c.GetBrush()->SetColor(clFuchsia);
            c.FrameRect(Rect(30, 0, 40, 10));
            EXPECT_EQ(dib.Count(Rect(30, 0, 40, 10), RGB(255, 0, 255)), 36);
            EXPECT_EQ(dib.Pixel(35, 5), RGB(255, 255, 255));
            // Rectangle: outlined with the pen, filled with the brush, right and bottom excluded.
            c.GetPen()->SetColor(clBlack);
            c.GetBrush()->SetColor(clYellow);
            c.Rectangle(0, 24, 8, 30);
            EXPECT_EQ(dib.Count(Rect(0, 24, 8, 30), RGB(0, 0, 0)), 2 * 8 + 2 * 4);
            EXPECT_EQ(dib.Count(Rect(1, 25, 7, 29), RGB(255, 255, 0)), 6 * 4);
            EXPECT_EQ(dib.Pixel(8, 24), RGB(255, 255, 255));
            // Text: transparent over the white, in the font's colour, within its extent.
            c.GetFont()->SetColor(clBlack);
            c.GetBrush()->SetStyle(bsClear);
            TSize ext = c.TextExtent("Шаблон");
            c.TextOut(42, 2, "Шаблон");
            int ink = dib.Count(Rect(42, 2, 42 + ext.cx, 2 + ext.cy), RGB(0, 0, 0));
            EXPECT_GT(ink, 10);
            EXPECT_EQ(dib.Count(Rect(42, 2, 80, 40), RGB(0, 0, 0)), ink);
            // The extent is the system's for the canvas's font.
            SIZE sys = SystemExtent(c.GetFont(), L"Шаблон");
            EXPECT_EQ(ext.cx, sys.cx);
            EXPECT_EQ(ext.cy, sys.cy);
            c.SetHandle(nullptr);
            EXPECT_EQ(GetCurrentObject(dib.DC(), OBJ_FONT), font0);
            EXPECT_EQ(GetCurrentObject(dib.DC(), OBJ_PEN), pen0);
            EXPECT_EQ(GetCurrentObject(dib.DC(), OBJ_BRUSH), brush0);
            // Without a DC a plain canvas cannot draw.
            EXPECT_THROW(c.FillRect(Rect(0, 0, 1, 1)), Classes::EInvalidOperation);
        }
        EXPECT_EQ(TestSupport::LiveGdiObjects(), baseWithDib);
    }
    EXPECT_EQ(TestSupport::LiveGdiObjects(), base);
}

TEST(Icon, ReadsIcoBytesAndTheProgramsIconResource) {
    std::vector<uint8_t> file = TestIconFile();
    ASSERT_EQ(file.size(), 766u);
    // From the resource (an icon group and its image), rebuilt into the very bytes of the .ico file.
    TIcon icon;
    EXPECT_TRUE(icon.GetEmpty());
    icon.LoadFromResourceName(GetModuleHandleW(nullptr), "VCLTESTICON");
    EXPECT_EQ(icon.GetData(), file);
    EXPECT_EQ(icon.GetWidth(), 32);
    EXPECT_EQ(icon.GetHeight(), 32);
    // Copies and streams keep the bytes.
    TIcon copy;
    copy.Assign(&icon);
    EXPECT_EQ(copy.GetData(), file);
    Classes::TMemoryStream saved;
    copy.SaveToStream(saved);
    EXPECT_EQ(saved.Bytes(), file);
    // Bad bytes and a missing resource are clear errors that change nothing.
    Classes::TMemoryStream junk;
    junk.WriteBuffer("0123456789", 10);
    junk.SetPosition(0);
    EXPECT_THROW(copy.LoadFromStream(junk), EInvalidGraphic);
    std::vector<uint8_t> lying = file;
    lying[14] = 0xFF; // the image's size runs past the end
    Classes::TMemoryStream bad;
    bad.WriteBuffer(lying.data(), lying.size());
    bad.SetPosition(0);
    EXPECT_THROW(copy.LoadFromStream(bad), EInvalidGraphic);
    EXPECT_EQ(copy.GetData(), file);
    EXPECT_THROW(copy.LoadFromResourceName(GetModuleHandleW(nullptr), "NOSUCHICON"), Classes::EResNotFound);
    // The form stream's Icon.Data holds the same file.
    auto form = std::unique_ptr<TVclTestForm>(Forms::TCustomForm::Create<TVclTestForm>(nullptr));
    EXPECT_EQ(form->GetIcon()->GetData(), file);
}

TEST(Font, SetHandleTakesTheFontWithEverythingItWasMadeWith) {
    WarmUp();
    int base = TestSupport::LiveGdiObjects();
    {
        // A rotated bold italic face, as the side bar's caption font is made.
        HFONT bar =
            CreateFontW(-20, 0, 900, 900, FW_BOLD, TRUE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_PRECIS,
                        CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, VARIABLE_PITCH | FF_SWISS, L"Arial");
        TFont f;
        TCounter counter;
        f.OnChange = counter.OnChange();
        f.SetHandle(bar);
        EXPECT_EQ(counter.Changed, 1);
        EXPECT_EQ(f.GetHandle(), bar);
        EXPECT_EQ(f.GetName(), "Arial");
        EXPECT_EQ(f.GetHeight(), -20);
        EXPECT_EQ(f.GetStyle(), TFontStyles({fsBold, fsItalic}));
        EXPECT_EQ(f.GetPitch(), fpVariable);
        EXPECT_EQ(f.GetCharset(), DEFAULT_CHARSET);
        // Drawn through a canvas, the text runs upwards: its ink is taller than wide.
        {
            TDib dib(60, 120, RGB(255, 255, 255));
            TCanvas c;
            c.SetHandle(dib.DC());
            c.SetFont(&f);
            c.GetBrush()->SetStyle(bsClear);
            c.TextOut(20, 110, "Menu");
            RECT ink{60, 120, 0, 0};
            for (int y = 0; y < 120; ++y)
                for (int x = 0; x < 60; ++x)
                    if (dib.Pixel(x, y) != RGB(255, 255, 255))
                        ink = {std::min<LONG>(ink.left, x), std::min<LONG>(ink.top, y),
                               std::max<LONG>(ink.right, x), std::max<LONG>(ink.bottom, y)};
            EXPECT_GT(ink.bottom - ink.top, 2 * (ink.right - ink.left));
        }
        // A variant for other letters keeps the escapement.
        HFONT ru = f.GetHandleFor(u"Меню");
        LOGFONTW lf{};
        GetObjectW(ru, sizeof(lf), &lf);
        EXPECT_EQ(lf.lfEscapement, 900);
        // A change of a property makes a font of the properties; the taken handle is deleted.
        f.SetSize(12);
        EXPECT_NE(f.GetHandle(), bar);
        EXPECT_EQ(GetObjectType(bar), 0u);
        GetObjectW(f.GetHandle(), sizeof(lf), &lf);
        EXPECT_EQ(lf.lfEscapement, 0);
        EXPECT_EQ(std::wstring(lf.lfFaceName), L"Arial");
        // Something that is not a font stays the caller's.
        WinHandles::TBrush brush(CreateSolidBrush(0));
        EXPECT_THROW(f.SetHandle(reinterpret_cast<HFONT>(brush.Get())), EInvalidGraphicOperation);
        EXPECT_EQ(GetObjectType(brush), DWORD(OBJ_BRUSH));
        f.SetHandle(nullptr);
        EXPECT_EQ(f.GetHeight(), -16);
    }
    EXPECT_EQ(TestSupport::LiveGdiObjects(), base);
}

TEST(Canvas, ShapesPixelsPenModesCopyRectAndTextRect) {
    TDib dib(40, 40, RGB(255, 255, 255));
    HDC dc = dib.DC();
    int rop0 = GetROP2(dc);
    TCounter counter;
    {
        TCanvas c;
        c.OnChanging = counter.OnChanging();
        c.OnChange = counter.OnChange();
        c.SetHandle(dc);
        // RoundRect: the corners are cut, the middle of each side is pen, inside is brush.
        c.GetPen()->SetColor(clBlue);
        c.GetBrush()->SetColor(clYellow);
        c.RoundRect(0, 0, 20, 20, 10, 10);
        EXPECT_EQ(dib.Pixel(0, 0), RGB(255, 255, 255));
        EXPECT_EQ(dib.Pixel(10, 0), RGB(0, 0, 255));
        EXPECT_EQ(dib.Pixel(19, 10), RGB(0, 0, 255));
        EXPECT_EQ(dib.Pixel(10, 10), RGB(255, 255, 0));
        EXPECT_EQ(dib.Pixel(1, 1), RGB(255, 255, 255));
        // Ellipse in the square (20, 0)-(40, 20).
        c.Ellipse(20, 0, 40, 20);
        EXPECT_EQ(dib.Pixel(30, 10), RGB(255, 255, 0));
        EXPECT_EQ(dib.Pixel(21, 1), RGB(255, 255, 255));
        EXPECT_EQ(dib.Pixel(30, 0), RGB(0, 0, 255));
        // Pixels, in and outside the DC's picture.
        c.SetPixel(5, 30, clFuchsia);
        EXPECT_EQ(c.GetPixel(5, 30), clFuchsia);
        EXPECT_EQ(c.GetPixel(500, 30), -1);
        EXPECT_EQ(c.GetPixel(6, 30), clWhite);
        // Pen modes: XOR of red over white is aqua, over it again white; Not inverts whatever is there.
        c.GetPen()->SetColor(clRed);
        c.GetPen()->SetMode(pmXor);
        c.MoveTo(0, 25), c.LineTo(10, 25);
        EXPECT_EQ(dib.Pixel(3, 25), RGB(0, 255, 255));
        c.MoveTo(0, 25), c.LineTo(10, 25);
        EXPECT_EQ(dib.Pixel(3, 25), RGB(255, 255, 255));
        c.GetPen()->SetMode(pmNot);
        c.MoveTo(0, 26), c.LineTo(10, 26);
        EXPECT_EQ(dib.Pixel(3, 26), RGB(0, 0, 0));
        c.GetPen()->SetMode(pmCopy);
        // CopyRect: the source scaled, with the copy mode; the brush for pattern operations.
        TDib src(2, 1);
        SetPixel(src.DC(), 0, 0, RGB(255, 0, 0));
        SetPixel(src.DC(), 1, 0, RGB(0, 255, 0));
        TCanvas from;
        from.SetHandle(src.DC());
        c.CopyRect(Rect(0, 32, 8, 36), &from, Rect(0, 0, 2, 1));
        EXPECT_EQ(dib.Count(Rect(0, 32, 4, 36), RGB(255, 0, 0)), 16);
        EXPECT_EQ(dib.Count(Rect(4, 32, 8, 36), RGB(0, 255, 0)), 16);
        c.SetCopyMode(cmMergeCopy); // source AND brush (yellow)
        c.CopyRect(Rect(8, 32, 10, 33), &from, Rect(0, 0, 2, 1));
        EXPECT_EQ(dib.Pixel(8, 32), RGB(255, 0, 0));
        EXPECT_EQ(dib.Pixel(9, 32), RGB(0, 255, 0));
        c.GetBrush()->SetColor(clBlue);
        c.CopyRect(Rect(8, 33, 10, 34), &from, Rect(0, 0, 2, 1));
        EXPECT_EQ(dib.Pixel(8, 33), RGB(0, 0, 0));
        c.SetCopyMode(cmNotSrcCopy);
        c.CopyRect(Rect(10, 32, 12, 33), &from, Rect(0, 0, 2, 1));
        EXPECT_EQ(dib.Pixel(10, 32), RGB(0, 255, 255));
        // TextRect: clipped to the rectangle, which a solid brush fills.
        c.GetBrush()->SetColor(clLime);
        c.GetFont()->SetColor(clBlack);
        c.TextRect(Rect(20, 24, 30, 30), 22, 22, "WWWWWW");
        EXPECT_EQ(dib.Count(Rect(20, 24, 30, 30), RGB(0, 255, 0)) + dib.Count(Rect(20, 24, 30, 30), 0), 60);
        EXPECT_GT(dib.Count(Rect(20, 24, 30, 30), 0), 0);
        EXPECT_EQ(dib.Count(Rect(30, 20, 40, 40), 0), 0);
        EXPECT_EQ(dib.Count(Rect(20, 20, 30, 24), 0), 0);
        EXPECT_EQ(counter.Changing, 11); // every call above that draws, once
        EXPECT_EQ(counter.Changed, 11);
    }
    EXPECT_EQ(GetROP2(dc), rop0); // the DC's raster operation is put back
}

TEST(Icon, TakesAHandleDrawsScaledAndRefusesASize) {
    TIcon file;
    file.LoadFromResourceName(GetModuleHandleW(nullptr), "VCLTESTICON");
    TIcon icon;
    HICON h = CopyIcon(file.GetHandle());
    icon.SetHandle(h);
    EXPECT_EQ(icon.GetHandle(), h);
    EXPECT_EQ(icon.GetWidth(), 32);
    EXPECT_THROW(icon.SetWidth(16), EInvalidGraphicOperation);
    // Its bytes are an .ico file of one 32-bit image that draws as the original.
    TIcon back;
    Classes::TMemoryStream m;
    icon.SaveToStream(m);
    m.SetPosition(0);
    back.LoadFromStream(m);
    TDib dib(96, 32, RGB(10, 20, 30));
    TCanvas c;
    c.SetHandle(dib.DC());
    c.Draw(0, 0, &back);
    c.StretchDraw(Rect(32, 0, 48, 16), &icon); // half size
    // The centre red, the body blue, the frame yellow, the masked corner leaves the background.
    EXPECT_EQ(dib.Pixel(16, 16), RGB(255, 0, 0));
    EXPECT_EQ(dib.Pixel(4, 4), RGB(0, 0, 255));
    EXPECT_EQ(dib.Pixel(0, 31), RGB(255, 255, 0));
    EXPECT_EQ(dib.Pixel(0, 0), RGB(10, 20, 30));
    EXPECT_EQ(dib.Pixel(1, 1), RGB(10, 20, 30));
    EXPECT_EQ(dib.Pixel(40, 8), RGB(255, 0, 0));
    EXPECT_EQ(dib.Pixel(34, 2), RGB(0, 0, 255));
    EXPECT_EQ(dib.Pixel(47, 8), RGB(255, 255, 0));
    EXPECT_EQ(dib.Pixel(40, 20), RGB(10, 20, 30));
    // Not an icon: refused, and the icon keeps what it had.
    WinHandles::TBrush brush(CreateSolidBrush(0));
    EXPECT_THROW(icon.SetHandle(reinterpret_cast<HICON>(brush.Get())), EInvalidGraphic);
    EXPECT_EQ(icon.GetHandle(), h);
    HICON given = icon.ReleaseHandle();
    EXPECT_EQ(given, h);
    EXPECT_NE(icon.GetHandle(), h); // made again from the bytes
    DestroyIcon(given);
}

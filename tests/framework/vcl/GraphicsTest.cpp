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
    String path = __FILE__;
    path = "Z:" + path.substr(0, path.find_last_of("/\\") + 1) + "VclTest.ico";
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WarmUp() {
    WinHandles::TWindowDC screen(nullptr);
    WinHandles::TMemoryDC mem(screen);
    TDib dib(4, 4);
}

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
        int changes = 0;
        class TCounter : public System::TObject {
        public:
            int* N;
            void Changed(System::TObject*) { ++*N; }
        } counter;
        counter.N = &changes;
        TFont a, b;
        b.OnChange = Classes::TNotifyEvent::Bind<&TCounter::Changed>(&counter);
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
    // Drawn: the centre red, the body blue, the frame yellow, the masked corner leaves the background.
    {
        TDib dib(32, 32, RGB(10, 20, 30));
        ASSERT_TRUE(DrawIconEx(dib.DC(), 0, 0, icon.GetHandle(), 32, 32, 0, nullptr, DI_NORMAL));
        EXPECT_EQ(dib.Pixel(16, 16), RGB(255, 0, 0));
        EXPECT_EQ(dib.Pixel(4, 4), RGB(0, 0, 255));
        EXPECT_EQ(dib.Pixel(0, 31), RGB(255, 255, 0));
        EXPECT_EQ(dib.Pixel(31, 5), RGB(255, 255, 0));
        EXPECT_EQ(dib.Pixel(0, 0), RGB(10, 20, 30));
        EXPECT_EQ(dib.Pixel(1, 1), RGB(10, 20, 30));
    }
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

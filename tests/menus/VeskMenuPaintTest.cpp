// The menus package's painting routines at their pixels, and the owner-draw and restore steps on the
// Windows menu itself.
#include "tests/menus/MenusTestSupport.h"

using namespace MenusTest;
using namespace VeskMenu;
using Graphics::TBitmap;
using Graphics::TCanvas;
using WinTest::TDib;

namespace {

// The bounding box of the pixels of one colour.
RECT BoxOf(const TDib& dib, COLORREF c) {
    RECT r{dib.Width(), dib.Height(), -1, -1};
    for (int y = 0; y < dib.Height(); ++y)
        for (int x = 0; x < dib.Width(); ++x)
            if (dib.Pixel(x, y) == c) {
                r.left = std::min<LONG>(r.left, x);
                r.top = std::min<LONG>(r.top, y);
                r.right = std::max<LONG>(r.right, x + 1);
                r.bottom = std::max<LONG>(r.bottom, y + 1);
            }
    return r;
}

} // namespace

TEST(VeskMenuPaint, ColourBytesAndTheGradientsBands) {
    EXPECT_EQ(InverseColor(Graphics::clWhite), 0);
    EXPECT_EQ(InverseColor(Graphics::clBlack), 0xFFFFFF);
    EXPECT_EQ(InverseColor(Graphics::clHighlight), TColor(0xFFFFFF - GetSysColor(COLOR_HIGHLIGHT)));
    EXPECT_EQ(MakeRGB(1, 2, 3), 0x030201);
    EXPECT_EQ(RedOf(0x030201) + GreenOf(0x030201) * 10 + BlueOf(0x030201) * 100, 321);

    TDib dib(8, 64);
    TCanvas canvas;
    canvas.SetHandle(dib.DC());
    const TColor from = MakeRGB(200, 10, 0), to = MakeRGB(8, 250, 64);
    GradientFill(canvas, Graphics::Rect(0, 0, 8, 64), from, to, 32);
    EXPECT_EQ(dib.Pixel(3, 63), Rgb(from));
    EXPECT_EQ(dib.Pixel(3, 62), Rgb(from));
    auto step = [&](int k) {
        return RGB((200 + MulDiv(k, 8 - 200, 32)) & 0xFF, (10 + MulDiv(k, 240, 32)) & 0xFF,
                   MulDiv(k, 64, 32));
    };
    EXPECT_EQ(dib.Pixel(3, 0), step(31));
    EXPECT_EQ(dib.Pixel(3, 1), step(31));
    EXPECT_EQ(dib.Pixel(3, 31), step(16)); // band 16 covers rows 30 and 31
    for (int y = 0; y < 64; y += 2)
        EXPECT_EQ(dib.Pixel(0, y), dib.Pixel(7, y + 1)) << y; // 2-row bands
    // One step: two bands of FromColor, none of ToColor.
    GradientFill(canvas, Graphics::Rect(0, 0, 8, 64), to, from, 1);
    EXPECT_EQ(dib.Count({0, 0, 8, 64}, Rgb(to)), 8 * 64);
    canvas.SetHandle(nullptr);
}

TEST(VeskMenuPaint, DisabledImagesAreEngraved) {
    // A black 4 x 4 square on white, engraved on a silver and on another menu colour.
    auto engraved = [](UINT state) {
        TBitmap b;
        b.SetWidth(8);
        b.SetHeight(8);
        b.GetCanvas()->GetBrush()->SetColor(Graphics::clWhite);
        b.GetCanvas()->FillRect(Graphics::Rect(0, 0, 8, 8));
        b.GetCanvas()->GetBrush()->SetColor(Graphics::clBlack);
        b.GetCanvas()->FillRect(Graphics::Rect(2, 2, 6, 6));
        MakeDisabledImage(&b, Graphics::clMenu, Graphics::clBtnShadow, state);
        return std::vector<TColor>{b.GetCanvas()->GetPixel(0, 0), b.GetCanvas()->GetPixel(3, 3),
                                   b.GetCanvas()->GetPixel(6, 6), b.GetCanvas()->GetPixel(6, 3)};
    };
    for (COLORREF menu : {RGB(192, 192, 192), RGB(240, 230, 200)}) {
        TMenuColour colour(menu);
        const TColor back = TColor(menu), shadow = TColor(GetSysColor(COLOR_BTNSHADOW)),
                     light = TColor(GetSysColor(COLOR_BTNHIGHLIGHT));
        // Not selected: the shadow copy over the highlight copy one pixel down and right.
        EXPECT_EQ(engraved(0), (std::vector<TColor>{back, shadow, light, light})) << menu;
        // Selected: on silver no highlight copy.
        bool silver = menu == RGB(192, 192, 192);
        EXPECT_EQ(engraved(ODS_SELECTED),
                  (std::vector<TColor>{back, shadow, silver ? back : light, silver ? back : light}))
            << menu;
    }
    MakeDisabledImage(nullptr, 0, 0, 0); // nothing to do
}

TEST(VeskMenuPaint, RoundBevelsAndShadowedText) {
    TDib dib(40, 30, RGB(9, 9, 9));
    TCanvas canvas;
    canvas.SetHandle(dib.DC());
    const TColor fill = Graphics::clRed, light = Graphics::clWhite, dark = Graphics::clNavy;
    DrawRoundBevel(canvas, Graphics::Rect(0, 0, 20, 12), fill, light, dark, 4, BDR_RAISEDINNER,
                   BDR_RAISEDOUTER);
    EXPECT_EQ(dib.Pixel(10, 0), Rgb(light));  // the inner edge's top, at the rectangle's top
    EXPECT_EQ(dib.Pixel(0, 6), Rgb(light));   // and its left
    EXPECT_EQ(dib.Pixel(10, 10), Rgb(dark));  // the outer edge's bottom, one row in
    EXPECT_EQ(dib.Pixel(18, 6), Rgb(dark));   // and its right
    EXPECT_EQ(dib.Pixel(10, 5), Rgb(fill));   // the face
    EXPECT_EQ(dib.Pixel(0, 0), RGB(9, 9, 9)); // the rounded corner leaves the background
    EXPECT_EQ(dib.Pixel(10, 11), RGB(9, 9, 9));
    DrawRoundBevel(canvas, Graphics::Rect(20, 0, 40, 12), fill, light, dark, 4, BDR_SUNKENINNER,
                   BDR_SUNKENOUTER);
    EXPECT_EQ(dib.Pixel(30, 0), Rgb(dark));
    EXPECT_EQ(dib.Pixel(30, 10), Rgb(light));
    canvas.SetHandle(nullptr);

    // Shadowed text: where text and shadow stand for each position, found from the text drawn alone.
    WinHandles::TFontHandle font(CreateFontW(-16, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                                             NONANTIALIASED_QUALITY, 0, L"Arial"));
    auto draw = [&](TShadowText& s, bool selected, TDib& d) {
        WinHandles::TSelectObject sel(d.DC(), font);
        SetBkMode(d.DC(), TRANSPARENT);
        SetTextColor(d.DC(), RGB(0, 0, 0));
        RECT r{4, 4, 60, 30};
        return s.DrawShadowText(d.DC(), u"Il", selected, DT_NOCLIP, r);
    };
    TShadowText plain;
    TDib alone(64, 32, RGB(255, 255, 255));
    EXPECT_GT(draw(plain, false, alone), 0);
    RECT text = BoxOf(alone, RGB(0, 0, 0));
    ASSERT_LT(text.left, text.right);
    struct {
        TShadowPosition Pos;
        int Tx, Ty, Sx, Sy;
    } cases[] = {{spLeftTop, 2, 2, 0, 0},
                 {spLeftBottom, 2, 0, 0, 2},
                 {spRightBottom, 0, 0, 2, 2},
                 {spRightTop, 0, 2, 2, 0}};
    for (auto& c : cases) {
        TShadowText s;
        s.SetActive(true);
        s.SetOptions({});
        s.SetSelShadowPos(c.Pos);
        s.SetSelShadowSize(2);
        s.SetSelShadowColor(Graphics::clRed);
        s.SetShadowColor(Graphics::clBlue); // the normal state's, unused when selected
        TDib d(64, 32, RGB(255, 255, 255));
        draw(s, true, d);
        RECT got = BoxOf(d, RGB(0, 0, 0));
        EXPECT_EQ(got.left, text.left + c.Tx) << c.Pos;
        EXPECT_EQ(got.top, text.top + c.Ty) << c.Pos;
        RECT both;
        RECT red = BoxOf(d, RGB(255, 0, 0));
        UnionRect(&both, &got, &red);
        EXPECT_EQ(both.left, text.left + std::min(c.Tx, c.Sx)) << c.Pos;
        EXPECT_EQ(both.bottom, text.bottom + std::max(c.Ty, c.Sy)) << c.Pos;
        EXPECT_EQ(d.Count({0, 0, 64, 32}, RGB(0, 0, 255)), 0);
    }
    // No shadow while inactive, nor when the options exclude the state.
    TShadowText s;
    s.SetShadowColor(Graphics::clRed);
    TDib d1(64, 32, RGB(255, 255, 255));
    draw(s, false, d1);
    EXPECT_EQ(d1.Count({0, 0, 64, 32}, RGB(255, 0, 0)), 0);
    s.SetActive(true);
    s.SetSelShadowColor(Graphics::clRed); // soNoShadowIfSel by default
    TDib d2(64, 32, RGB(255, 255, 255));
    draw(s, true, d2);
    EXPECT_EQ(d2.Count({0, 0, 64, 32}, RGB(255, 0, 0)), 0);
    EXPECT_EQ(BoxOf(d2, RGB(0, 0, 0)).left, text.left);
    TDib d3(64, 32, RGB(255, 255, 255));
    draw(s, false, d3);
    EXPECT_GT(d3.Count({0, 0, 64, 32}, RGB(255, 0, 0)), 0);
}

TEST(VeskMenuPaint, RefreshSwitchesTheEntriesOnTheWindowsMenu) {
    TMenuForm f;
    f.Vm->SetMenuRefresh(RA_NONE); // only the refreshes asked for here
    f.Form->HandleNeeded();
    TVeskMenuItem* items[] = {f.Link(f.New, "I1"), f.Link(f.Separator, "I2"), f.Link(f.Open, "I3"),
                              f.Link(f.Save, "I4"), f.Link(f.Help, "I5")};
    f.Open->SetBreak(Menus::mbBreak);
    f.New->SetRadioItem(true);
    f.New->SetChecked(true);
    f.New->SetDefault(true);
    String longCaption(300, 'x');
    longCaption += "Конец";
    f.Help->SetCaption(longCaption);
    items[4]->SetOptions(items[4]->GetOptions() + TMenuOptions{omRightJustified});
    f.Vm->Refresh(f.Vm, RA_NONE);
    EXPECT_EQ(EntryType(*items[0]) & MFT_OWNERDRAW, 0u);
    f.Vm->SetActive(true);
    struct {
        int Item;
        UINT Type, State;
    } drawn[] = {
        {0, MFT_OWNERDRAW | MFT_RADIOCHECK, MFS_CHECKED | MFS_DEFAULT},
        {1, MFT_OWNERDRAW | MFT_SEPARATOR, ~0u}, // a separator's state is the system's
        {2, MFT_OWNERDRAW | MFT_MENUBREAK, 0},
        {3, MFT_OWNERDRAW, MFS_GRAYED | MFS_CHECKED},
        {4, MFT_OWNERDRAW | MFT_RIGHTJUSTIFY, 0},
    };
    for (auto& d : drawn) {
        MENUITEMINFOW info = EntryInfo(f.Main, items[d.Item]->GetMenuItem());
        EXPECT_EQ(info.fType & d.Type, d.Type) << d.Item;
        if (d.State != ~0u) {
            EXPECT_EQ(info.fState & (MFS_CHECKED | MFS_GRAYED | MFS_DEFAULT), d.State) << d.Item;
        }
    }
    // Restored: the whole caption, a tab and the shortcut; the flags kept.
    f.Vm->SetActive(false);
    EXPECT_FALSE(f.Vm->GetActive());
    EXPECT_EQ(EntryText(f.Main, f.New), "&New\t");
    EXPECT_EQ(EntryText(f.Main, f.Open), "&Open\tCtrl+O");
    EXPECT_EQ(EntryText(f.Main, f.Help), longCaption + "\t");
    MENUITEMINFOW save = EntryInfo(f.Main, f.Save);
    EXPECT_EQ(save.fType & MFT_OWNERDRAW, 0u);
    EXPECT_EQ(save.fState & (MFS_GRAYED | MFS_CHECKED), UINT(MFS_GRAYED | MFS_CHECKED));
    EXPECT_EQ(EntryInfo(f.Main, f.Separator).fType & MFT_SEPARATOR, UINT(MFT_SEPARATOR));
    // One item alone; an item without its links is left alone; a menu bar entry that opens a submenu
    // keeps its string form.
    f.Vm->Refresh(items[2], RA_REFRESH);
    EXPECT_EQ(EntryType(*items[2]) & MFT_OWNERDRAW, UINT(MFT_OWNERDRAW));
    EXPECT_EQ(EntryType(*items[0]) & MFT_OWNERDRAW, 0u);
    TVeskMenuItem* fileItem = f.Link(f.File, "I6");
    f.Vm->Refresh(f.Vm, RA_REFRESHWITHBAR);
    MENUITEMINFOW file{};
    file.cbSize = sizeof(file);
    file.fMask = MIIM_FTYPE | MIIM_SUBMENU;
    ASSERT_TRUE(GetMenuItemInfoW(f.Main->GetHandle(), 0, TRUE, &file));
    EXPECT_EQ(file.fType & MFT_OWNERDRAW, 0u);
    EXPECT_EQ(file.hSubMenu, f.File->GetHandle());
    TVeskMenuItem* loose = f.Vm->NewItem();
    f.Vm->Refresh(loose, RA_REFRESH);
    (void)fileItem;
    // The system's fonts for the options that ask for them.
    items[0]->GetFont()->SetHeight(-30);
    items[0]->SetOptions(TMenuOptions{omAlwaysDefFontSize});
    f.Vm->Refresh(items[0], RA_REFRESH);
    Graphics::TFont menuFont;
    EXPECT_EQ(items[0]->GetFont()->GetHeight(), SetMenuFont(menuFont));
    // A change of the menu (its entries made afresh) is followed by the component's refresh.
    f.Vm->SetActive(true);
    f.Vm->SetMenuRefresh(RA_REFRESH);
    f.Save->SetCaption("Save &as");
    EXPECT_EQ(EntryInfo(f.Main, f.Save).fType & MFT_OWNERDRAW, UINT(MFT_OWNERDRAW));
    // SetRightJustify with false adds nothing and takes nothing away.
    SetRightJustify(*f.Main, *f.Help, false);
    EXPECT_EQ(EntryInfo(f.Main, f.Help).fType & MFT_RIGHTJUSTIFY, UINT(MFT_RIGHTJUSTIFY));
}

// Drawing owner-drawn entries into real device contexts: layout, backgrounds, highlight, bevels, texts,
// marks and images, at their pixels; and the GDI objects a long run of drawing leaves behind.
#include "tests/menus/MenusTestSupport.h"

using namespace MenusTest;
using namespace VeskMenu;
using Graphics::TBitmap;
using WinTest::TDib;

namespace {

// Measures then draws Item into Dib at Rect in State, as the component does; returns the record's state.
UINT Draw(TVeskMenuItem& Item, TDib& Dib, RECT Rect, UINT State = 0) {
    Menus::TMenuItem* mi = Item.GetMenuItem();
    String caption = mi->GetCaption(), shortCut = Menus::ShortCutToText(mi->GetShortCut());
    MEASUREITEMSTRUCT mis{ODT_MENU, 0, mi->GetCommand(), 0, 0, 0};
    Messages::TMessage measure{WM_MEASUREITEM, 0, LPARAM(&mis), 0};
    Item.MeasureItem(measure, caption, shortCut);
    DRAWITEMSTRUCT dis{ODT_MENU, 0, mi->GetCommand(), ODA_DRAWENTIRE, State, nullptr, Dib.DC(), Rect, 0};
    Messages::TMessage draw{WM_DRAWITEM, 0, LPARAM(&dis), 0};
    Item.DrawItem(draw, caption, shortCut);
    return dis.itemState;
}

TBitmap* Solid(TBitmap& b, int W, int H, TColor C) {
    b.SetWidth(W);
    b.SetHeight(H);
    b.GetCanvas()->GetBrush()->SetColor(C);
    b.GetCanvas()->FillRect(Graphics::Rect(0, 0, W, H));
    return &b;
}

// The items of these tests draw in a raster font: its glyphs are never smoothed, so colours are exact.
TVeskMenuItem* Raster(TVeskMenuItem* Item) {
    Item->GetFont()->SetName("MS Sans Serif");
    return Item;
}

} // namespace

TEST(VeskMenuDraw, TheLayoutForEachTextAlign) {
    TMenuForm f;
    TVeskMenuItem* item = Raster(f.Link(f.New, "I1"));
    const int w = item->GetLayout().CheckWidth, h = 5, v = 2;
    const RECT r{10, 5, 190, 25};
    TDib dib(200, 60);
    TItemLayout& l = item->GetLayout();
    struct {
        Controls::TAlign Align;
        bool NoImage;
    } cases[] = {{Controls::alRight, false},
                 {Controls::alRight, true},
                 {Controls::alLeft, false},
                 {Controls::alTop, false},
                 {Controls::alBottom, false}};
    for (auto& c : cases) {
        item->SetTextAlign(c.Align);
        item->SetOptions(c.NoImage ? DefaultMenuOptions + TMenuOptions{omNoImageAttached}
                                   : DefaultMenuOptions);
        f.Vm->SetHSpace(h);
        f.Vm->MaxTextWidth = 0;
        Draw(*item, dib, r);
        const int centredTop = r.top + l.ItemHeight / 2 - l.TextHeight / 2 - 1;
        switch (c.Align) {
        case Controls::alRight:
            EXPECT_EQ(l.ImageLeft, r.left + h);
            EXPECT_EQ(l.ImageTop, r.top + v);
            EXPECT_EQ(l.TextLeft, c.NoImage ? l.ImageLeft + w : l.ImageLeft + 16 + h);
            EXPECT_EQ(l.TextTop, centredTop);
            break;
        case Controls::alLeft:
            EXPECT_EQ(l.TextLeft, r.left + h);
            EXPECT_EQ(l.ImageLeft, l.TextLeft + l.TextWidth + h);
            EXPECT_EQ(l.TextTop, centredTop);
            break;
        case Controls::alTop: // these two positions do not add the entry's left edge
            EXPECT_EQ(l.TextLeft, l.ItemWidth / 2 - l.TextWidth / 2);
            EXPECT_EQ(l.TextTop, r.top + v);
            EXPECT_EQ(l.ImageTop, l.TextTop + 16 + v);
            break;
        default:
            EXPECT_EQ(l.ImageLeft, l.ItemWidth / 2 - 8 + r.left);
            EXPECT_EQ(l.ImageTop, r.top + v);
            EXPECT_EQ(l.TextTop, l.ImageTop + 16 + v);
        }
    }
}

TEST(VeskMenuDraw, BackgroundsWallpapersAndTheHighlight) {
    TMenuForm f;
    TVeskMenuItem* item = Raster(f.Link(f.New, "I1"));
    item->SetNormColor(Graphics::clTeal);
    item->SetSelColor(Graphics::clNavy);
    item->SetSelTextColor(Graphics::clYellow);
    item->GetFont()->SetColor(Graphics::clRed);
    TDib dib(200, 120);
    const RECT r{0, 0, 150, 20};
    EXPECT_EQ(Draw(*item, dib, r), 0u);
    EXPECT_EQ(dib.Pixel(140, 10), Rgb(Graphics::clTeal));
    EXPECT_GT(dib.Count(r, Rgb(Graphics::clRed)), 10);    // the caption in the font's colour
    EXPECT_EQ(dib.Pixel(100, 20), Rgb(Graphics::clTeal)); // the fill runs one row below the entry
    EXPECT_EQ(Draw(*item, dib, r, ODS_SELECTED), UINT(ODS_SELECTED));
    EXPECT_EQ(dib.Pixel(140, 10), Rgb(Graphics::clNavy));
    EXPECT_GT(dib.Count(r, Rgb(Graphics::clYellow)), 10);
    EXPECT_EQ(dib.Count(r, Rgb(Graphics::clRed)), 0);

    // A suppressed highlight: drawn as normal, the record's selected bit cleared; DoText still applies,
    // except for a black SelTextColor.
    item->SetOptions(DefaultMenuOptions + TMenuOptions{omNoHighlightEnabled, omNoHighlightEnabledButDoText});
    EXPECT_EQ(Draw(*item, dib, r, ODS_SELECTED), 0u);
    EXPECT_EQ(dib.Pixel(140, 10), Rgb(Graphics::clTeal));
    EXPECT_GT(dib.Count(r, Rgb(Graphics::clYellow)), 10);
    item->SetSelTextColor(Graphics::clBlack);
    Draw(*item, dib, r, ODS_SELECTED);
    EXPECT_GT(dib.Count(r, Rgb(Graphics::clRed)), 10);

    // A 40-pixel wallpaper tiled over a 25- and a 100-pixel entry, anchored at each entry's corner.
    TBitmap wall;
    Solid(wall, 8, 40, Graphics::clGreen)->GetCanvas()->GetPen()->SetColor(Graphics::clFuchsia);
    wall.GetCanvas()->MoveTo(0, 0);
    wall.GetCanvas()->LineTo(8, 0);
    f.Vm->SetWallpaper(&wall);
    item->SetOptions(DefaultMenuOptions + TMenuOptions{omPaintWallpaper});
    for (int height : {25, 100}) {
        TDib d(200, 120, RGB(1, 1, 1));
        Draw(*item, d, {0, 10, 150, 10 + height});
        for (int y = 0; y < height; ++y)
            EXPECT_EQ(d.Pixel(145, 10 + y), Rgb(y % 40 == 0 ? Graphics::clFuchsia : Graphics::clGreen)) << y;
        EXPECT_EQ(d.Pixel(145, 10 + height), RGB(1, 1, 1)); // no fill below the entry
    }
    // Selected, not tiled and no selected wallpaper: the wallpaper inverted, the text in the inverse colour.
    TBitmap plain;
    Solid(plain, 200, 100, MakeRGB(10, 200, 30));
    f.Vm->SetWallpaper(&plain);
    item->SetSelTextColor(Graphics::clHighlightText);
    item->SetOptions(TMenuOptions{omPaintWallpaper, omFixedImgSize});
    Draw(*item, dib, r, ODS_SELECTED);
    EXPECT_EQ(dib.Pixel(140, 10), RGB(245, 55, 225));
    EXPECT_GT(dib.Count(r, Rgb(InverseColor(Graphics::clRed))), 10);
    // A selected wallpaper, copied from its corner.
    TBitmap sel;
    Solid(sel, 200, 50, Graphics::clOlive);
    f.Vm->SetSelWallpaper(&sel);
    item->SetOptions(TMenuOptions{omPaintSelWallpaper, omFixedImgSize});
    Draw(*item, dib, r, ODS_SELECTED);
    EXPECT_EQ(dib.Pixel(140, 10), Rgb(Graphics::clOlive));
}

TEST(VeskMenuDraw, BevelsSeparatorsAndTexts) {
    TMenuForm f;
    TVeskMenuItem* item = Raster(f.Link(f.Open, "I1"));
    TVeskMenuItem* line = Raster(f.Link(f.Separator, "I2"));
    TVeskMenuItem* save = Raster(f.Link(f.Save, "I3"));
    for (TVeskMenuItem* i : {item, line, save})
        i->SetNormColor(Graphics::clSilver);
    TDib dib(200, 60);
    const RECT r{0, 0, 160, 20};
    // No bevel: nothing drawn on the second row; raised and raised: DrawEdge's colours around (0, 1)-(160,
    // 20).
    Draw(*item, dib, r);
    EXPECT_EQ(dib.Pixel(80, 1), Rgb(Graphics::clSilver));
    item->SetBevelInner(ExtCtrls::bvRaised);
    item->SetBevelOuter(ExtCtrls::bvRaised);
    Draw(*item, dib, r);
    EXPECT_EQ(dib.Pixel(80, 1), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(dib.Pixel(80, 19), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(dib.Pixel(80, 2), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(dib.Pixel(159, 10), GetSysColor(COLOR_3DDKSHADOW));
    // Only when selected: not now.
    item->SetOptions(DefaultMenuOptions + TMenuOptions{omBevelOnlyIfSel});
    Draw(*item, dib, r);
    EXPECT_EQ(dib.Pixel(80, 1), Rgb(Graphics::clSilver));
    Draw(*item, dib, r, ODS_SELECTED);
    EXPECT_EQ(dib.Pixel(80, 1), GetSysColor(COLOR_3DLIGHT));

    // Around the image only (it has one): the image cell grown by VSpace.
    Graphics::TPicture square;
    Solid(*square.GetBitmap(), 16, 16, Graphics::clTeal);
    item->SetPicture(&square);
    item->SetOptions(DefaultMenuOptions);
    item->SetBevelStyle(bsBevelOnlyImage);
    Draw(*item, dib, r);
    const TItemLayout& il = item->GetLayout();
    EXPECT_EQ(dib.Pixel(il.ImageLeft + 8, il.ImageTop - 2), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(dib.Pixel(il.ImageLeft + 8, il.ImageTop + 16 + 1), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(dib.Pixel(il.TextLeft + 60, 1), Rgb(Graphics::clSilver)); // the text side has none
    item->SetPicture(nullptr);
    item->SetBevelStyle(bsBevelBoth);

    // The shortcut's left edge lines up at R.Right - ShortCutWidth - CheckWidth.
    TDib text(200, 30, RGB(255, 255, 255));
    item->SetOptions(DefaultMenuOptions);
    item->SetBevelInner(ExtCtrls::bvNone);
    item->SetBevelOuter(ExtCtrls::bvNone);
    item->SetNormColor(Graphics::clWhite);
    Draw(*item, text, r);
    const TItemLayout& l = item->GetLayout();
    int shortcutLeft = 200;
    for (int x = l.TextLeft + 40; x < 160; ++x)
        for (int y = 0; y < 20; ++y)
            if (text.Pixel(x, y) != RGB(255, 255, 255)) shortcutLeft = std::min(shortcutLeft, x);
    EXPECT_NEAR(shortcutLeft, 160 - l.ShortCutWidth - l.CheckWidth, 2);

    // A separator: its two lines, no bevel, and its text on an opaque normal-colour ground.
    line->SetBevelInner(ExtCtrls::bvRaised);
    line->SetSeparatorText("Part");
    line->GetFont()->SetColor(Graphics::clBlue);
    TDib sep(200, 30, RGB(255, 255, 255));
    Draw(*line, sep, {0, 0, 160, 9});
    const TItemLayout& sl = line->GetLayout();
    EXPECT_EQ(sep.Pixel(150, sl.ItemHeight / 2), RGB(128, 128, 128));
    EXPECT_EQ(sep.Pixel(150, sl.ItemHeight / 2 + 1), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(sep.Pixel(150, 1), Rgb(Graphics::clSilver));
    int bluish = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = sl.TextLeft; x < sl.TextLeft + 60; ++x)
            if (GetBValue(sep.Pixel(x, y)) > GetRValue(sep.Pixel(x, y)) + 40) ++bluish;
    EXPECT_GT(bluish, 5); // the text, in the font's colour
    EXPECT_EQ(sep.Pixel(sl.TextLeft, sl.TextTop - 1), Rgb(Graphics::clSilver)); // on an opaque ground

    // A disabled caption: embossed while not selected, dithered (no highlight copy) when selected on a menu
    // colour other than silver.
    TMenuColour colour(RGB(230, 230, 210));
    TDib off(200, 30);
    Draw(*save, off, r);
    EXPECT_GT(off.Count(r, GetSysColor(COLOR_3DHILIGHT)), 5);
    save->SetSelColor(Graphics::clNavy);
    TDib on(200, 30);
    Draw(*save, on, r, ODS_SELECTED);
    EXPECT_EQ(on.Count(r, GetSysColor(COLOR_3DHILIGHT)), 0);
    EXPECT_GT(20 * 160 - on.Count(r, Rgb(Graphics::clNavy)), 5); // the caption is there, dithered
}

TEST(VeskMenuDraw, MarksPicturesAndEngravedImages) {
    TMenuForm f;
    TVeskMenuItem* item = Raster(f.Link(f.New, "I1"));
    item->SetNormColor(Graphics::clWhite);
    Graphics::TPicture blue;
    Solid(*blue.GetBitmap(), 16, 16, Graphics::clBlue);
    item->SetPicture(&blue);
    EXPECT_EQ(item->GetTrColor(), Graphics::clBlue); // its bottom-left pixel: the whole square would vanish
    item->SetTrColor(Graphics::clNone);
    TDib dib(200, 30);
    const RECT r{0, 0, 150, 20};
    Draw(*item, dib, r);
    const TItemLayout& l = item->GetLayout();
    const RECT cell{l.ImageLeft, l.ImageTop, l.ImageLeft + 16, l.ImageTop + 16};
    EXPECT_EQ(dib.Count(cell, Rgb(Graphics::clBlue)), 256);
    // Checked: the tick instead of the picture, its maroon ground transparent, and TrColor maroon for good.
    f.New->SetChecked(true);
    Draw(*item, dib, r);
    EXPECT_EQ(dib.Count(cell, Rgb(Graphics::clBlue)), 0);
    EXPECT_GT(dib.Count(cell, Rgb(Graphics::clRed)), 10);
    EXPECT_EQ(dib.Count(cell, Rgb(Graphics::clMaroon)), 0);
    EXPECT_EQ(item->GetTrColor(), Graphics::clMaroon);
    f.New->SetRadioItem(true);
    Draw(*item, dib, r);
    EXPECT_GT(dib.Count(cell, RGB(0, 0, 0)), 10); // the ring
    // Disabled and checked without pictures: no mark at all.
    item->SetPicture(nullptr);
    f.New->SetEnabled(false);
    Draw(*item, dib, r);
    EXPECT_EQ(dib.Count(cell, Rgb(Graphics::clRed)), 0);
    // Disabled with a bitmap: engraved in the shadow colour with the highlight copy.
    f.New->SetChecked(false);
    Graphics::TPicture square;
    Solid(*square.GetBitmap(), 16, 16, Graphics::clWhite)
        ->GetCanvas()
        ->GetBrush()
        ->SetColor(Graphics::clBlack);
    square.GetBitmap()->GetCanvas()->FillRect(Graphics::Rect(4, 4, 12, 12));
    item->SetPicture(&square);
    item->SetTrColor(Graphics::clNone);
    item->SetNormColor(Graphics::clSilver);
    Draw(*item, dib, r);
    EXPECT_GT(dib.Count(cell, GetSysColor(COLOR_BTNSHADOW)), 20);
    EXPECT_GT(dib.Count(cell, GetSysColor(COLOR_BTNHIGHLIGHT)), 5);
    EXPECT_EQ(dib.Count(cell, RGB(0, 0, 0)), 0);
    // An icon is drawn at the cell's size; a metafile cannot be engraved.
    Graphics::TPicture icon;
    icon.GetIcon()->SetHandle(CopyIcon(LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION))));
    item->SetPicture(&icon);
    f.New->SetEnabled(true);
    TDib before(200, 30);
    Draw(*item, before, r);
    EXPECT_LT(before.Count(cell, Rgb(Graphics::clSilver)), 256);
    Graphics::TPicture meta;
    meta.GetMetafile()->SetWidth(16);
    meta.GetMetafile()->SetHeight(16);
    {
        Graphics::TMetafileCanvas c(meta.GetMetafile(), nullptr);
        c.GetBrush()->SetColor(Graphics::clLime);
        c.FillRect(Graphics::Rect(0, 0, 16, 16));
    }
    item->SetPicture(&meta);
    Draw(*item, dib, r);
    EXPECT_GT(dib.Count(cell, Rgb(Graphics::clLime)), 100);
    f.New->SetEnabled(false);
    HGDIOBJ font = GetCurrentObject(dib.DC(), OBJ_FONT);
    try {
        Draw(*item, dib, r);
        ADD_FAILURE() << "no exception";
    } catch (const SysUtils::Exception& e) {
        EXPECT_EQ(e.Message(), "Metafile can't be attached to disabled menu item");
    }
    EXPECT_EQ(GetCurrentObject(dib.DC(), OBJ_FONT), font); // released on the way out
    // The image side kept out of the highlight needs side-by-side text and image.
    f.New->SetEnabled(true);
    item->SetTextAlign(Controls::alTop);
    item->SetOptions(DefaultMenuOptions + TMenuOptions{omNoHighlightImage});
    EXPECT_THROW(Draw(*item, dib, r), SysUtils::Exception);
    EXPECT_EQ(GetCurrentObject(dib.DC(), OBJ_FONT), font);
}

TEST(VeskMenuDraw, TenThousandEntriesLeaveNoGdiObjectBehind) {
    TMenuForm f;
    TVeskMenuItem* items[] = {Raster(f.Link(f.New, "I1")), Raster(f.Link(f.Separator, "I2")),
                              Raster(f.Link(f.Open, "I3")), Raster(f.Link(f.Save, "I4")),
                              Raster(f.Link(f.Help, "I5"))};
    items[1]->SetSeparatorText("Group");
    Graphics::TPicture picture;
    Solid(*picture.GetBitmap(), 16, 16, Graphics::clBlue);
    items[0]->SetPicture(&picture);
    items[3]->SetPicture(&picture);
    items[2]->SetBevelInner(ExtCtrls::bvRaised);
    items[2]->SetBevelType(btRoundedRect);
    items[2]->GetShadow()->SetActive(true);
    f.New->SetChecked(true);
    TBitmap wall;
    Solid(wall, 30, 30, Graphics::clGreen);
    f.Vm->SetWallpaper(&wall);
    items[4]->SetOptions(DefaultMenuOptions + TMenuOptions{omPaintWallpaper, omDrawBarIfNeeded});
    f.Vm->TotalHeight = 100;
    f.Vm->SetShowBar(true);
    f.Vm->GetMenuBar()->SetCaption("Bar");
    TDib dib(200, 30);
    for (TVeskMenuItem* i : items)
        Draw(*i, dib, {0, 0, 150, 20}); // warm up
    const int before = TestSupport::LiveGdiObjects();
    for (int n = 0; n < 2000; ++n)
        for (TVeskMenuItem* i : items)
            Draw(*i, dib, {0, 0, 150, 20}, n % 2 ? ODS_SELECTED : 0);
    EXPECT_EQ(TestSupport::LiveGdiObjects(), before);
}

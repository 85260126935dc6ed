// Measuring owner-drawn entries: the worked sizes, the common columns of a popup, menu-bar entries,
// separators and default items; the side bar bitmap; the bulk setters.
#include "tests/menus/MenusTestSupport.h"

using namespace MenusTest;
using namespace VeskMenu;

namespace {

// Measures Item as the component does for its linked menu item; returns the record's width and height.
SIZE Measure(TVeskMenuItem& Item) {
    MEASUREITEMSTRUCT record{};
    record.CtlType = ODT_MENU;
    Messages::TMessage m{WM_MEASUREITEM, 0, LPARAM(&record), 0};
    Menus::TMenuItem* mi = Item.GetMenuItem();
    Item.MeasureItem(m, mi->GetCaption(), Menus::ShortCutToText(mi->GetShortCut()));
    return {LONG(record.itemWidth), LONG(record.itemHeight)};
}

// The width of Text in the system's menu font, measured here independently of the package.
int MenuTextWidth(const std::wstring& Text, bool Bold = false) {
    NONCLIENTMETRICSW m{};
    m.cbSize = sizeof(m);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(m), &m, 0);
    if (Bold) m.lfMenuFont.lfWeight = FW_BOLD;
    WinHandles::TFontHandle font(CreateFontIndirectW(&m.lfMenuFont));
    WinHandles::TWindowDC screen(nullptr);
    WinHandles::TSelectObject select(screen, font);
    SIZE size{};
    GetTextExtentPoint32W(screen, Text.c_str(), int(Text.size()), &size);
    return size.cx;
}

// A caption exactly Width pixels wide in the menu font (letters of several widths, chosen greedily).
std::wstring CaptionOfWidth(int Width) {
    std::wstring text;
    for (wchar_t c : std::wstring(L"WMmwHNdoeslij.")) {
        while (MenuTextWidth(text + c) <= Width)
            text += c;
        if (MenuTextWidth(text) == Width) return text;
    }
    return text;
}

} // namespace

TEST(VeskMenuMeasure, TheWorkedSizesAndTheCommonColumnsOfAPopup) {
    TMenuForm f;
    std::wstring fifty = CaptionOfWidth(50);
    ASSERT_EQ(MenuTextWidth(fifty), 50);
    f.New->SetCaption(WinTest::Utf8(fifty));
    TVeskMenuItem* item = f.Link(f.New, "I1");
    const int w = item->GetLayout().CheckWidth;
    // alRight, a fixed 16-pixel image, VSpace 2, HSpace 5, no submenu, shortcut or bar, on a fresh popup.
    SIZE s = Measure(*item);
    EXPECT_EQ(s.cy, 20);
    EXPECT_EQ(f.Vm->MaxItemWidth, 50 + 16 + w);
    EXPECT_EQ(s.cx, 50 + 16 + w + 5);
    if (w == 13) {
        EXPECT_EQ(s.cx, 84);
    }
    EXPECT_EQ(item->GetLayout().ItemHeight, 20);
    EXPECT_EQ(f.Vm->TotalHeight, 20);
    f.Vm->MaxItemWidth = f.Vm->MaxTextWidth = f.Vm->MaxShortCutWidth = f.Vm->TotalHeight = 0;
    item->SetOptions(item->GetOptions() + TMenuOptions{omNoImageAttached});
    f.Vm->SetHSpace(5);
    Measure(*item);
    EXPECT_EQ(f.Vm->MaxItemWidth, 50 + 10 + w);
    if (w == 13) {
        EXPECT_EQ(f.Vm->MaxItemWidth, 73);
    }

    // Two entries of one popup: the caption, shortcut and entry columns take the widest.
    f.Vm->MaxItemWidth = f.Vm->MaxTextWidth = f.Vm->MaxShortCutWidth = f.Vm->TotalHeight = 0;
    item->SetOptions(DefaultMenuOptions);
    f.Open->SetCaption(WinTest::Utf8(CaptionOfWidth(70)));
    TVeskMenuItem* open = f.Link(f.Open, "I2");
    SIZE first = Measure(*item), second = Measure(*open);
    const int ctrlO = MenuTextWidth(L"Ctrl+O");
    EXPECT_EQ(item->GetLayout().TextWidth, 50);
    EXPECT_EQ(open->GetLayout().TextWidth, 70);
    EXPECT_EQ(open->GetLayout().ShortCutWidth, ctrlO);
    EXPECT_EQ(f.Vm->MaxTextWidth, 70);
    EXPECT_EQ(second.cx, 70 + 16 + w + ctrlO + 5);
    EXPECT_EQ(first.cx, 50 + 16 + w + 0 + 5);
    SIZE again = Measure(*item);
    EXPECT_EQ(item->GetLayout().TextWidth, 70);
    EXPECT_EQ(item->GetLayout().ShortCutWidth, ctrlO);
    EXPECT_EQ(again.cx, second.cx);
    EXPECT_EQ(f.Vm->TotalHeight, 60);

    // An entry with a submenu takes twice the check width; a stacked one its own rule.
    TVeskMenuItem* file = f.Link(f.File, "I3");
    f.Vm->MaxItemWidth = f.Vm->MaxTextWidth = f.Vm->MaxShortCutWidth = 0;
    Menus::TMenuItem* sub = AddMenuItem(f.Form.get(), f.Open, "Sub1", "x");
    (void)sub;
    Measure(*open);
    EXPECT_EQ(f.Vm->MaxItemWidth, 70 + 16 + 2 * w);
    open->SetTextAlign(Controls::alTop);
    SIZE stacked = Measure(*open);
    EXPECT_EQ(stacked.cy, 2 * 16 + 3 * 2);
    EXPECT_EQ(open->GetLayout().ItemWidth, 70 + 2 * w);

    // A menu-bar entry keeps its own width: no common column, no spacing added at the end.
    f.Vm->MaxItemWidth = f.Vm->MaxTextWidth = f.Vm->MaxShortCutWidth = 0;
    f.Vm->MaxTextWidth = 500;
    TVeskMenuItem* help = f.Link(f.Help, "I4");
    SIZE bar = Measure(*help);
    const int helpWidth = MenuTextWidth(L"&Help");
    EXPECT_TRUE(help->IsMenuBarItem());
    EXPECT_FALSE(open->IsMenuBarItem());
    EXPECT_EQ(help->GetLayout().TextWidth, helpWidth);
    EXPECT_EQ(bar.cx, helpWidth + 16 + 2);
    EXPECT_EQ(f.Vm->MaxItemWidth, bar.cx); // the maxima still follow
    (void)file;

    // A separator is as high as "-" in the item's font; a default item is measured bold.
    TVeskMenuItem* separator = f.Link(f.Separator, "I5");
    SIZE line = Measure(*separator);
    WinHandles::TWindowDC screen(nullptr);
    Graphics::TCanvas probe;
    probe.SetHandle(screen);
    probe.GetFont()->Assign(separator->GetFont());
    EXPECT_EQ(line.cy, probe.TextHeight("-"));
    probe.SetHandle(nullptr);
    f.New->SetCaption("Default entry");
    f.New->SetDefault(true);
    f.Vm->MaxTextWidth = 0;
    Measure(*item);
    EXPECT_EQ(item->GetLayout().TextWidth, MenuTextWidth(L"Default entry", true));
    EXPECT_GT(MenuTextWidth(L"Default entry", true), MenuTextWidth(L"Default entry"));

    // Without a component an item measures nothing.
    TVeskMenuItem* orphan = f.Link(f.Save, "I6");
    orphan->SetParent(nullptr);
    MEASUREITEMSTRUCT untouched{ODT_MENU, 0, 0, 77, 33, 0};
    Messages::TMessage m{WM_MEASUREITEM, 0, LPARAM(&untouched), 0};
    orphan->MeasureItem(m, "Save", "");
    EXPECT_EQ(untouched.itemWidth, 77u);
}

TEST(VeskMenuMeasure, TheSideBarBitmapIsPaintedFromTheBar) {
    TMenuForm f;
    TVeskMenuItem* item = f.Link(f.New, "I1");
    item->SetOptions(item->GetOptions() + TMenuOptions{omDrawBarIfNeeded});
    TVeskMenuBar* bar = f.Vm->GetMenuBar();
    f.Vm->TotalHeight = 200;
    f.Vm->SetShowBar(true);
    EXPECT_TRUE(f.Vm->GetBarBitmap()->GetEmpty()); // painted at the next popup or bar change
    bar->SetBackFrom(Graphics::clNavy);            // a bar change paints it
    Graphics::TBitmap* b = f.Vm->GetBarBitmap();
    ASSERT_FALSE(b->GetEmpty());
    EXPECT_EQ(item->GetBarColor(), Graphics::clNavy);

    // Caption "Menu" of 11 points, no entries, with the separator strip, on a popup 200 pixels high.
    bar->SetCaption("Menu");
    Graphics::TCanvas probe;
    WinHandles::TWindowDC screen(nullptr);
    probe.SetHandle(screen);
    probe.GetFont()->SetHandle(CreateBarFont(MulDiv(11, GetDeviceCaps(screen, LOGPIXELSY), 72), true));
    const int textWidth = probe.TextWidth("Menu"), textHeight = probe.TextHeight("Menu");
    probe.SetHandle(nullptr);
    EXPECT_EQ(b->GetHeight(), 200);
    EXPECT_EQ(b->GetWidth(), textHeight + 4 + 6);
    const int width = b->GetWidth(), height = b->GetHeight();
    Graphics::TCanvas& c = *b->GetCanvas();
    const TColor menu = TColor(GetSysColor(COLOR_MENU));
    for (int y : {0, 100, 199}) {
        EXPECT_EQ(c.GetPixel(width - 6, y), menu);
        EXPECT_EQ(c.GetPixel(width - 5, y), menu);
        EXPECT_EQ(c.GetPixel(width - 4, y), TColor(0x808080));
        EXPECT_EQ(c.GetPixel(width - 3, y), TColor(GetSysColor(COLOR_BTNHIGHLIGHT)));
        EXPECT_EQ(c.GetPixel(width - 1, y), menu);
        EXPECT_EQ(c.GetPixel(0, y), Graphics::clNavy);
    }
    // Where the caption stands along the bar, for each alignment.
    auto textRows = [&] {
        std::pair<int, int> rows{height, -1};
        Graphics::TCanvas& cc = *f.Vm->GetBarBitmap()->GetCanvas();
        for (int y = 0; y < f.Vm->GetBarBitmap()->GetHeight(); ++y)
            for (int x = 0; x < f.Vm->GetBarBitmap()->GetWidth() - 6; ++x)
                if (cc.GetPixel(x, y) == Graphics::clWhite) {
                    rows.first = std::min(rows.first, y);
                    rows.second = std::max(rows.second, y);
                }
        return rows;
    };
    bar->SetSpace(10);
    auto down = textRows();
    EXPECT_NEAR(down.second, height - 14, 2); // its lower end Space + 4 above the bottom
    EXPECT_NEAR(down.second - down.first, textWidth, 3);
    bar->SetCaptionAlign(alUp);
    auto up = textRows();
    EXPECT_NEAR(up.first, 14, 3); // its upper end Space + 4 below the top
    bar->SetSpace(0);
    bar->SetCaptionAlign(alCenter);
    auto centre = textRows();
    EXPECT_NEAR(centre.second, (height + textWidth) / 2, 3);
    bar->SetSpace(1);
    EXPECT_EQ(textRows().second, centre.second - 1); // each pixel of Space moves it up
    // A caption longer than the popup makes the bitmap longer.
    bar->SetCaption(String(60, 'W'));
    EXPECT_GT(f.Vm->GetBarBitmap()->GetHeight(), 200);

    // Entry mode: each entry in its own size and colour, from the bottom up, first the first.
    bar->SetCaptionAlign(alDown);
    bar->SetSpace(0);
    bar->SetIsSeparator(false);
    bar->AddItem({"Big", 20, true, Graphics::clYellow});
    bar->AddItem({"small", 12, false, Graphics::clLime});
    Graphics::TBitmap* e = f.Vm->GetBarBitmap();
    Graphics::TCanvas& ec = *e->GetCanvas();
    int bigTop = e->GetHeight(), bigBottom = -1, smallBottom = -1;
    for (int y = 0; y < e->GetHeight(); ++y)
        for (int x = 0; x < e->GetWidth(); ++x) {
            TColor p = ec.GetPixel(x, y);
            if (p == Graphics::clYellow) bigTop = std::min(bigTop, y), bigBottom = std::max(bigBottom, y);
            if (p == Graphics::clLime) smallBottom = std::max(smallBottom, y);
        }
    EXPECT_NEAR(bigBottom, e->GetHeight() - 4, 4); // the glyph's own bearing
    EXPECT_LT(smallBottom, bigTop + 3);
    EXPECT_GT(smallBottom, 0);
    // ShowBar False empties the bitmap at once.
    f.Vm->SetShowBar(false);
    EXPECT_TRUE(f.Vm->GetBarBitmap()->GetEmpty());
    EXPECT_EQ(f.Vm->GetBarBitmap()->GetWidth(), 0);
}

TEST(VeskMenuMeasure, BulkSettersApplyTheirFlagWords) {
    TMenuForm f;
    TVeskMenuItem* items[] = {f.Link(f.New, "I1"), f.Link(f.Open, "I2"), f.Vm->NewItem()};
    TGlobalParameters p;
    Graphics::TFont font;
    font.SetName("Arial");
    font.SetHeight(-20);
    p.Font = &font;
    p.NormColor = Graphics::clYellow;
    p.SelColor = Graphics::clGreen;
    p.Options = TMenuOptions{omDrawBarIfNeeded};
    p.TextAlign = Controls::alLeft;
    p.SeparatorText = "Part";
    f.Vm->GlobalSetParameters(p, 0x100); // options added
    for (TVeskMenuItem* i : items)
        EXPECT_EQ(i->GetOptions(), DefaultMenuOptions + p.Options);
    EXPECT_EQ(EntryType(*items[0]) & MFT_OWNERDRAW, UINT(MFT_OWNERDRAW)); // refreshed afterwards
    f.Vm->GlobalSetParameters(p, 0x200);                                  // taken away
    for (TVeskMenuItem* i : items)
        EXPECT_EQ(i->GetOptions(), DefaultMenuOptions);
    f.Vm->GlobalSetParameters(p, 0x10); // nothing
    EXPECT_EQ(items[1]->GetNormColor(), Graphics::clMenu);
    f.Vm->GlobalSetParameters(p, 0x2 | 0x2000 | 0x8000);
    EXPECT_EQ(items[1]->GetNormColor(), Graphics::clYellow);
    EXPECT_EQ(items[1]->GetSeparatorText(), "Part");
    EXPECT_EQ(items[1]->GetSelColor(), Graphics::clHighlight);
    f.Vm->GlobalSetParameters(p, 0); // everything
    EXPECT_EQ(items[2]->GetFont()->GetName(), "Arial");
    EXPECT_EQ(items[2]->GetSelColor(), Graphics::clGreen);
    EXPECT_EQ(items[2]->GetTextAlign(), Controls::alLeft);
    EXPECT_EQ(items[2]->GetOptions(), p.Options);

    TGlobalShadowParameters s;
    s.Active = true;
    s.ShadowSize = 3;
    s.SelShadowPos = spRightTop;
    s.Options = {soNoShadowIfNormal};
    f.Vm->GlobalSetShadow(s, 0x20);
    for (TVeskMenuItem* i : items) {
        EXPECT_EQ(i->GetShadow()->GetShadowSize(), 3);
        EXPECT_FALSE(i->GetShadow()->GetActive());
    }
    f.Vm->GlobalSetShadow(s, 0x100);
    EXPECT_EQ(items[0]->GetShadow()->GetOptions(), (TShadowOptions{soNoShadowIfSel, soNoShadowIfNormal}));
    f.Vm->GlobalSetShadow(s, 0x200);
    EXPECT_EQ(items[0]->GetShadow()->GetOptions(), TShadowOptions{soNoShadowIfSel});
    f.Vm->GlobalSetShadow(s, 0);
    EXPECT_TRUE(items[2]->GetShadow()->GetActive());
    EXPECT_EQ(items[2]->GetShadow()->GetSelShadowPos(), spRightTop);
    EXPECT_EQ(items[2]->GetShadow()->GetOptions(), TShadowOptions{soNoShadowIfNormal});
}

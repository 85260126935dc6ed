// The showcase of the menus package: a main menu and two popup menus decorated by one TVeskMenu, using every
// feature: the side bar with a gradient and several caption entries, tiled and stretched wallpapers, a
// selected wallpaper, images from an image list and from pictures (an icon, a metafile), engraved disabled
// images and greyed text, check and radio marks, separators with text, shadowed captions, rectangular and
// rounded bevels, a default entry, a right-justified menu bar entry, shortcuts, Cyrillic and Japanese text.
#include "examples/menushow/MenuShowForm.h"

namespace MenuShow {

using namespace VeskMenu;
using Graphics::TBitmap;
using Graphics::TCanvas;
using Graphics::TColor;

namespace {

constexpr TColor kTransparent = Graphics::clFuchsia;

// A 16 x 16 glyph on the transparent colour, drawn by Paint.
template <class F> void AddGlyph(ImgList::TImageList& List, F&& Paint) {
    TBitmap glyph;
    glyph.SetWidth(16);
    glyph.SetHeight(16);
    TCanvas& c = *glyph.GetCanvas();
    c.GetBrush()->SetColor(kTransparent);
    c.FillRect(Graphics::Rect(0, 0, 16, 16));
    Paint(c);
    List.AddMasked(&glyph, kTransparent);
}

void Box(TCanvas& C, TColor Fill, TColor Frame, int L, int T, int R, int B) {
    C.GetBrush()->SetColor(Fill);
    C.GetPen()->SetColor(Frame);
    C.Rectangle(L, T, R, B);
}

ImgList::TImageList* MakeGlyphs(Classes::TComponent* Owner) {
    auto* list = new ImgList::TImageList(Owner);
    list->SetName("Glyphs");
    AddGlyph(*list, [](TCanvas& c) { // a new sheet
        Box(c, Graphics::clWhite, Graphics::clBlack, 3, 1, 13, 15);
        c.GetPen()->SetColor(Graphics::clNavy);
        for (int y = 5; y < 13; y += 2)
            c.MoveTo(5, y), c.LineTo(11, y);
    });
    AddGlyph(*list, [](TCanvas& c) { // a folder
        Box(c, Graphics::clYellow, Graphics::clOlive, 1, 4, 15, 14);
        Box(c, Graphics::clYellow, Graphics::clOlive, 1, 2, 7, 5);
    });
    AddGlyph(*list, [](TCanvas& c) { // a disk
        Box(c, Graphics::clNavy, Graphics::clBlack, 1, 1, 15, 15);
        Box(c, Graphics::clWhite, Graphics::clWhite, 4, 2, 12, 7);
        Box(c, Graphics::clSilver, Graphics::clSilver, 5, 10, 11, 15);
    });
    AddGlyph(*list, [](TCanvas& c) { // scissors
        c.GetPen()->SetColor(Graphics::clMaroon);
        c.GetPen()->SetWidth(2);
        c.MoveTo(3, 2), c.LineTo(12, 11);
        c.MoveTo(12, 2), c.LineTo(3, 11);
        c.GetBrush()->SetColor(Graphics::clRed);
        c.Ellipse(1, 10, 6, 15);
        c.Ellipse(10, 10, 15, 15);
    });
    AddGlyph(*list, [](TCanvas& c) { // two sheets
        Box(c, Graphics::clWhite, Graphics::clGray, 1, 1, 10, 12);
        Box(c, Graphics::clWhite, Graphics::clBlack, 6, 4, 15, 15);
    });
    AddGlyph(*list, [](TCanvas& c) { // a question mark
        c.GetBrush()->SetColor(Graphics::clBlue);
        c.GetPen()->SetColor(Graphics::clNavy);
        c.Ellipse(1, 1, 15, 15);
        c.GetFont()->SetColor(Graphics::clWhite);
        c.GetFont()->SetStyle({Graphics::fsBold});
        c.GetBrush()->SetStyle(Graphics::bsClear);
        c.TextOut(5, 1, "?");
    });
    return list;
}

// Stripes for a tiled wallpaper, a soft gradient for a stretched one, a bright band for the selected entry.
void PaintTile(TBitmap& B) {
    B.SetWidth(24);
    B.SetHeight(24);
    TCanvas& c = *B.GetCanvas();
    c.GetBrush()->SetColor(MakeRGB(246, 243, 232));
    c.FillRect(Graphics::Rect(0, 0, 24, 24));
    c.GetPen()->SetColor(MakeRGB(230, 222, 200));
    for (int d = -24; d < 24; d += 6)
        c.MoveTo(d, 24), c.LineTo(d + 24, 0);
}

void PaintGradient(TBitmap& B, int W, int H, TColor From, TColor To) {
    B.SetWidth(W);
    B.SetHeight(H);
    GradientFill(*B.GetCanvas(), Graphics::Rect(0, 0, W, H), From, To, 32);
}

struct TBuilder {
    TMenuShowForm& Form;
    TVeskMenu* Vm;
    int Count = 0;

    Menus::TMenuItem* Item(Menus::TMenuItem* Parent, const String& Caption, Menus::TShortCut Key = 0) {
        auto* mi = new Menus::TMenuItem(&Form);
        mi->SetName("mi" + SysUtils::IntToStr(++Count));
        mi->SetCaption(Caption);
        mi->SetShortCut(Key);
        Parent->Add(mi);
        return mi;
    }
    // The look of an entry: a TVeskMenuItem linked to it, with the bar beside it in popups.
    TVeskMenuItem* Look(Menus::TMenuItem* Mi, int Image = -1) {
        TVeskMenuItem* v = Vm->NewItem();
        v->SetName("vm" + SysUtils::IntToStr(Count));
        v->SetMenuItem(Mi);
        if (Image >= 0) v->SetImageIndex(Image); // from the component's image list
        return v;
    }
};

Menus::TShortCut Ctrl(char Key) {
    return Menus::ShortCut(WORD(Key), {Menus::ssCtrl});
}

} // namespace

std::unique_ptr<TMenuShowForm> BuildShowcase() {
    auto form = std::make_unique<TMenuShowForm>(nullptr);
    form->SetName("Showcase");
    form->SetCaption("VeskMenus showcase — right click for the popup menus");
    form->SetClientWidth(520);
    form->SetClientHeight(300);
    form->SetColor(MakeRGB(236, 240, 246));
    auto* main = new Menus::TMainMenu(form.get());
    main->SetName("MainMenu1");
    auto* barPopup = new Menus::TPopupMenu(form.get());
    barPopup->SetName("PopupMenu1");
    auto* stackedPopup = new Menus::TPopupMenu(form.get());
    stackedPopup->SetName("PopupMenu2");
    auto* vm = new TVeskMenu(form.get());
    vm->SetName("VeskMenu1");
    ImgList::TImageList* glyphs = MakeGlyphs(form.get());
    vm->SetImages(glyphs);
    TBuilder b{*form, vm};

    // The side bar: a gradient, and three caption entries in their own sizes and colours.
    TVeskMenuBar* bar = vm->GetMenuBar();
    bar->SetIsGradient(true);
    bar->SetBackFrom(MakeRGB(10, 30, 110));
    bar->SetBackTo(MakeRGB(90, 150, 230));
    bar->AddItem({"Vesk", 18, true, Graphics::clWhite});
    bar->AddItem({"Menus", 12, false, Graphics::clYellow});
    bar->AddItem({"3", 9, false, MakeRGB(255, 160, 60)});
    vm->SetShowBar(true);
    // The wallpapers: a stripe tile, a stretched gradient, and a band behind the selected entry.
    TBitmap tile, stretched, selected;
    PaintTile(tile);
    PaintGradient(stretched, 400, 400, MakeRGB(255, 250, 235), MakeRGB(215, 230, 250));
    PaintGradient(selected, 400, 24, MakeRGB(255, 200, 80), MakeRGB(255, 240, 190));
    vm->SetWallpaper(&tile);
    vm->SetSelWallpaper(&selected);

    // &Файл: images, a default entry, shortcuts, a separator with text, marks, disabled entries.
    Menus::TMenuItem* file = b.Item(main->GetItems(), "&Файл");
    b.Look(file);
    b.Look(b.Item(file, "&New", Ctrl('N')), 0);
    Menus::TMenuItem* open = b.Item(file, "&Open...", Ctrl('O'));
    open->SetDefault(true);
    TVeskMenuItem* openLook = b.Look(open);
    openLook->GetPicture()->GetIcon()->SetHandle(
        CopyIcon(LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_INFORMATION))));
    b.Look(b.Item(file, "&Save", Ctrl('S')), 2);
    b.Look(b.Item(file, "-"))->SetSeparatorText("Recent");
    b.Look(b.Item(file, "1 Отчёт за квартал.doc"), 4);
    b.Look(b.Item(file, "2 日本語の文書.txt"), 4);
    b.Look(b.Item(file, "-"));
    Menus::TMenuItem* check = b.Item(file, "Show &toolbar");
    check->SetChecked(true);
    b.Look(check);
    Menus::TMenuItem* locked = b.Item(file, "&Print (no printer)", Ctrl('P'));
    locked->SetEnabled(false);
    b.Look(locked, 1); // engraved
    Menus::TMenuItem* grey = b.Item(file, "Send by mail");
    grey->SetEnabled(false);
    b.Look(grey); // greyed text
    b.Look(b.Item(file, "-"));
    TVeskMenuItem* quit = b.Look(b.Item(file, "E&xit", Menus::ShortCut(VK_F4, {Menus::ssAlt})));
    quit->SetBevelOuter(ExtCtrls::bvRaised);
    quit->SetBevelType(btRoundedRect);
    quit->SetBevelStyle(bsBevelBoth);
    quit->SetOptions(quit->GetOptions() + TMenuOptions{omBevelOnlyIfSel});

    // &Edit: the tiled wallpaper and the selected one, radio marks, shadowed captions, rectangular bevels.
    Menus::TMenuItem* edit = b.Item(main->GetItems(), "&Edit");
    b.Look(edit);
    for (auto [caption, image, key] : {std::tuple{"Cu&t", 3, 'X'}, {"&Copy", 4, 'C'}, {"&Paste", 1, 'V'}}) {
        TVeskMenuItem* v = b.Look(b.Item(edit, caption, Ctrl(key)), image);
        v->SetOptions(v->GetOptions() + TMenuOptions{omPaintWallpaper, omPaintSelWallpaper});
        v->GetShadow()->SetActive(true);
        v->GetShadow()->SetShadowColor(MakeRGB(200, 190, 160));
        v->GetShadow()->SetShadowPos(spRightBottom);
    }
    b.Look(b.Item(edit, "-"))->SetSeparatorText("Zoom");
    for (const char* zoom : {"&Small", "&Medium", "&Large"}) {
        Menus::TMenuItem* r = b.Item(edit, zoom);
        r->SetRadioItem(true);
        r->SetGroupIndex(1);
        r->SetChecked(String(zoom) == "&Medium");
        TVeskMenuItem* v = b.Look(r);
        v->SetOptions(v->GetOptions() + TMenuOptions{omPaintWallpaper});
        v->SetBevelInner(ExtCtrls::bvRaised);
        v->SetBevelStyle(bsBevelOnlyImage);
    }

    // &View: decorated by a second component on the same form (its hook joins the first one's), with a
    // stretched wallpaper, inverted behind the selected entry.
    Menus::TMenuItem* view = b.Item(main->GetItems(), "&View");
    b.Look(view);
    auto* second = new TVeskMenu(form.get());
    second->SetName("VeskMenu2");
    second->SetImages(glyphs);
    second->SetWallpaper(&stretched);
    b.Vm = second;
    for (const char* caption : {"&Icons", "&List", "&Details"}) {
        TVeskMenuItem* v = b.Look(b.Item(view, caption), caption[1] == 'I' ? 0 : caption[1] == 'L' ? 4 : 2);
        v->SetOptions((v->GetOptions() - TMenuOptions{omTileWallpaper}) + TMenuOptions{omPaintWallpaper});
        v->GetFont()->SetColor(MakeRGB(20, 60, 120));
    }
    b.Vm = vm;
    // The menu bar's last entry stands at the right edge.
    Menus::TMenuItem* help = b.Item(main->GetItems(), "&Help!");
    TVeskMenuItem* helpLook = b.Look(help);
    helpLook->SetOptions(helpLook->GetOptions() + TMenuOptions{omRightJustified});

    // PopupMenu1: the side bar beside every entry, shadowed text, a highlight kept off the images.
    for (auto [caption, image] : {std::pair{"&Отменить", 3},
                                  {"&Повторить", 4},
                                  {"-", -1},
                                  {"Вырезать", 3},
                                  {"Копировать", 4},
                                  {"Вставить", 1},
                                  {"-", -1},
                                  {"Выделить всё", -1}}) {
        TVeskMenuItem* v = b.Look(b.Item(barPopup->GetItems(), caption), image);
        v->SetOptions(v->GetOptions() + TMenuOptions{omDrawBarIfNeeded, omNoHighlightImage});
        v->GetShadow()->SetActive(true);
        v->GetShadow()->SetOptions({});
        v->GetShadow()->SetSelShadowColor(MakeRGB(0, 0, 80));
        v->SetSelColor(MakeRGB(49, 106, 197));
    }
    // PopupMenu2: images stacked over their text, rounded bevels, a selected colour of its own.
    for (auto [caption, image] : {std::pair{"New", 0}, {"Open", 1}, {"Save", 2}, {"Help", 5}}) {
        TVeskMenuItem* v = b.Look(b.Item(stackedPopup->GetItems(), caption), image);
        v->SetTextAlign(Controls::alBottom);
        v->SetCustomImgSize(24);
        v->SetBevelOuter(ExtCtrls::bvRaised);
        v->SetBevelType(btRoundedRect);
        v->SetSelColor(MakeRGB(255, 230, 160));
        v->SetSelTextColor(Graphics::clBlack);
    }

    form->SetMenu(main);
    vm->Refresh(vm, RA_REFRESHWITHBAR);
    second->Refresh(second, RA_REFRESHWITHBAR);
    return form;
}

} // namespace MenuShow

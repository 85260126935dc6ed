// StdCtrls: the label's automatic size against the system's text extent, and its pixels when the form is
// painted through its real window procedure (WM_PRINTCLIENT into a DIB section).
#include "tests/framework/vcl/VclTestSupport.h"

#include <memory>

using namespace VclTest;
using namespace Graphics;

namespace {

std::unique_ptr<TVclTestForm> NewTestForm() {
    return std::unique_ptr<TVclTestForm>(Forms::TCustomForm::Create<TVclTestForm>(nullptr));
}

// The form's client area as its window procedure paints it: background, then the controls.
void PaintForm(Forms::TCustomForm* form, TDib& dib) {
    HWND h = form->GetHandle();
    SendMessageW(h, WM_ERASEBKGND, WPARAM(dib.DC()), 0);
    SendMessageW(h, WM_PRINTCLIENT, WPARAM(dib.DC()), PRF_CLIENT);
}

} // namespace

TEST(Label, AutoSizeIsTheTextExtentInTheFontTheTextIsDrawnIn) {
    auto form = NewTestForm();
    StdCtrls::TLabel* label = form->PatternName;
    TFont* font = form->GetFont();
    ASSERT_EQ(font->GetName(), "MS Sans Serif");
    // Read from the stream (Width 62), the label took its text's size once loaded.
    SIZE patternName = SystemExtent(font, L"PatternName");
    EXPECT_EQ(label->GetWidth(), patternName.cx);
    EXPECT_EQ(label->GetHeight(), 13); // the font's line height, as the stream has it
    struct TCase {
        String Caption;
        std::wstring Measured; // what the system measures: "&" marks the next letter, "" is one space
        bool ShowAccelChar;
    } cases[] = {{"Обновляется шаблон оформления:", L"Обновляется шаблон оформления:", true},
                 {"Завершено:", L"Завершено:", true},
                 {"", L" ", true},
                 {"Da&ta", L"Data", true},
                 {"Da&ta", L"Da&ta", false},
                 {"kit 43.db", L"kit 43.db", true}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Caption);
        label->SetShowAccelChar(c.ShowAccelChar);
        label->SetCaption(c.Caption);
        SIZE want = SystemExtent(font, c.Measured);
        EXPECT_EQ(label->GetWidth(), want.cx);
        EXPECT_EQ(label->GetHeight(), want.cy);
        EXPECT_EQ(label->GetLeft(), 20);
    }
    // A right-justified label keeps its right edge; a label that does not size itself keeps its size.
    label->SetShowAccelChar(true);
    label->SetCaption("PatternName");
    label->SetAlignment(Controls::taRightJustify);
    int right = label->GetLeft() + label->GetWidth();
    label->SetCaption("A");
    EXPECT_EQ(label->GetLeft() + label->GetWidth(), right);
    label->SetAutoSize(false);
    label->SetCaption("PatternName");
    EXPECT_EQ(label->GetWidth(), SystemExtent(font, L"A").cx);
    // A bigger font of the form: the labels that follow it grow.
    label->SetAutoSize(true);
    label->SetAlignment(Controls::taLeftJustify);
    int before = form->Label3->GetWidth();
    form->GetFont()->SetHeight(-16);
    EXPECT_GT(form->Label3->GetWidth(), before);
    EXPECT_EQ(form->Label3->GetWidth(), SystemExtent(form->GetFont(), L"Завершено:").cx);
}

TEST(Label, RussianCaptionIsDrawnInLettersOfItsOwn) {
    auto form = NewTestForm();
    StdCtrls::TLabel* label = form->Label3; // "Завершено:"
    RECT b = label->GetBoundsRect();
    RECT client;
    GetClientRect(form->GetHandle(), &client);
    COLORREF face = GetSysColor(COLOR_BTNFACE), text = GetSysColor(COLOR_WINDOWTEXT);
    TDib painted(client.right, client.bottom);
    PaintForm(form.get(), painted);
    // The oracle: the system draws the caption with the font chosen from the LOGFONT, on the face colour.
    TDib expected(b.right - b.left, b.bottom - b.top, face);
    WinHandles::TFontHandle font = SystemFontFor(label->GetFont(), L"Завершено:");
    {
        WinHandles::TSelectObject sel(expected.DC(), font);
        SetBkMode(expected.DC(), TRANSPARENT);
        SetTextColor(expected.DC(), text);
        ExtTextOutW(expected.DC(), 0, 0, 0, nullptr, L"Завершено:", 10, nullptr);
    }
    int differ = 0, ink = 0;
    for (int y = 0; y < expected.Height(); ++y)
        for (int x = 0; x < expected.Width(); ++x) {
            if (painted.Pixel(b.left + x, b.top + y) != expected.Pixel(x, y)) ++differ;
            if (expected.Pixel(x, y) == text) ++ink;
        }
    EXPECT_EQ(differ, 0);
    EXPECT_GT(ink, 40); // ten letters' worth of strokes, not blanks
}

TEST(Label, PaintsItsTextInsideItsBoundsOverItsColourOrTransparently) {
    auto form = NewTestForm();
    RECT client;
    GetClientRect(form->GetHandle(), &client);
    COLORREF face = GetSysColor(COLOR_BTNFACE), text = GetSysColor(COLOR_WINDOWTEXT);
    ASSERT_NE(face, text);
    StdCtrls::TLabel* label = form->PatternName;
    RECT bounds = label->GetBoundsRect();
    {
        TDib dib(client.right, client.bottom);
        PaintForm(form.get(), dib);
        // The caption's ink lies inside the label; the band between the first two labels is bare.
        int ink = dib.Count(bounds, text);
        EXPECT_GT(ink, 20);
        EXPECT_EQ(dib.Count(bounds, face) + ink, (bounds.right - bounds.left) * (bounds.bottom - bounds.top));
        EXPECT_EQ(dib.Count(Rect(bounds.left, 34, 300, 40), face), (300 - bounds.left) * 6);
        EXPECT_EQ(dib.Count(Rect(bounds.right, bounds.top, bounds.right + 20, bounds.bottom), text), 0);
    }
    // An opaque label of its own colour fills its bounds with it, behind the text.
    label->SetColor(clYellow);
    {
        TDib dib(client.right, client.bottom);
        PaintForm(form.get(), dib);
        int ink = dib.Count(bounds, text);
        EXPECT_GT(ink, 20);
        EXPECT_EQ(dib.Count(bounds, RGB(255, 255, 0)) + ink,
                  (bounds.right - bounds.left) * (bounds.bottom - bounds.top));
        EXPECT_EQ(dib.Count(Rect(bounds.left - 1, bounds.top, bounds.left, bounds.bottom), RGB(255, 255, 0)),
                  0);
    }
    // Transparent: the form's background shows through.
    label->SetTransparent(true);
    {
        TDib dib(client.right, client.bottom);
        PaintForm(form.get(), dib);
        EXPECT_EQ(dib.Count(bounds, RGB(255, 255, 0)), 0);
        EXPECT_GT(dib.Count(bounds, text), 20);
    }
    // Disabled: embossed in the highlight and shadow colours, no text colour.
    label->SetEnabled(false);
    {
        TDib dib(client.right, client.bottom);
        PaintForm(form.get(), dib);
        EXPECT_EQ(dib.Count(bounds, text), 0);
        EXPECT_GT(dib.Count(Rect(bounds.left, bounds.top, bounds.right + 1, bounds.bottom + 1),
                            GetSysColor(COLOR_BTNHIGHLIGHT)),
                  20);
        EXPECT_GT(dib.Count(bounds, GetSysColor(COLOR_BTNSHADOW)), 20);
    }
}

TEST(Label, ANewCaptionIsRepaintedByTheNextMessages) {
    auto form = NewTestForm();
    HWND h = form->GetHandle();
    Forms::Application->ProcessMessages();
    ASSERT_FALSE(GetUpdateRect(h, nullptr, FALSE));
    // The converter's step: a new table name, then one round of messages.
    form->PatternName->SetCaption("kit 1.db");
    RECT pending;
    ASSERT_TRUE(GetUpdateRect(h, &pending, FALSE));
    RECT label = form->PatternName->GetBoundsRect(), common;
    EXPECT_TRUE(IntersectRect(&common, &pending, &label));
    EXPECT_GE(pending.right,
              20 + SystemExtent(form->GetFont(), L"PatternName").cx); // the old text's place too
    Forms::Application->ProcessMessages();
    EXPECT_FALSE(GetUpdateRect(h, nullptr, FALSE));
}

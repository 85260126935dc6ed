// The colour button on a real window under Wine: its pixels, mouse and keys, the colour dialog, streaming,
// and its registration with the About editor.
#include "menus/design/Colorbtn.h"
#include "tests/menus/dialogs/DialogDriver.h"
#include "tests/support/FormText.h"
#include "tests/support/GdiCount.h"

#include <gtest/gtest.h>

#include <colordlg.h>

#include <memory>

using Colorbtn::TColorButton;
using DialogsTest::PressButton;
using DialogsTest::TDialogDriver;
using SysUtils::String;
using WinTest::TDib;

namespace {

COLORREF Sys(int Index) {
    return GetSysColor(Index);
}

// A shown form holding one colour button at (10, 10), with counters of its events.
struct TButtonForm : System::TObject {
    std::unique_ptr<Forms::TForm> Form;
    TColorButton* Button;
    int Clicks = 0, ColorChanges = 0, KeyDowns = 0, KeyUps = 0;

    TButtonForm() : Form(std::make_unique<Forms::TForm>(nullptr)) {
        Forms::Application->Initialize();
        Form->SetBounds(50, 50, 200, 120);
        Button = new TColorButton(Form.get());
        Button->SetParent(Form.get());
        Button->SetLeft(10);
        Button->SetTop(10);
        Button->SetOnClick(Classes::TNotifyEvent::Bind<&TButtonForm::Clicked>(this));
        Button->SetOnColorChange(Classes::TNotifyEvent::Bind<&TButtonForm::ColorChanged>(this));
        Button->SetOnKeyDown(Controls::TKeyEvent::Bind<&TButtonForm::KeyDown>(this));
        Button->SetOnKeyUp(Controls::TKeyEvent::Bind<&TButtonForm::KeyUp>(this));
        Form->Show();
        Forms::Application->ProcessMessages();
    }
    void Clicked(System::TObject*) { ++Clicks; }
    void ColorChanged(System::TObject*) { ++ColorChanges; }
    void KeyDown(System::TObject*, WORD&, Controls::TShiftState) { ++KeyDowns; }
    void KeyUp(System::TObject*, WORD&, Controls::TShiftState) { ++KeyUps; }

    HWND Handle() { return Button->GetHandle(); }
    void Mouse(UINT Msg, int X, int Y) {
        SendMessageW(Handle(), Msg, Msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(X, Y));
    }
    void Key(UINT Msg, WORD Vk) { SendMessageW(Handle(), Msg, Vk, Msg == WM_KEYUP ? 0xC0000001 : 1); }
    std::unique_ptr<TDib> Shot() {
        auto dib = std::make_unique<TDib>(Button->GetWidth(), Button->GetHeight());
        Button->PaintTo(dib->DC(), 0, 0);
        return dib;
    }
    void Reset() { Clicks = ColorChanges = KeyDowns = KeyUps = 0; }
};

// The face's bevel pixels: outer ring at the edge, inner ring one pixel in (44 x 22 unless given).
void ExpectBevel(const TDib& dib, bool Down, int W = 44, int H = 22) {
    COLORREF outerTL = Sys(Down ? COLOR_WINDOWFRAME : COLOR_BTNHIGHLIGHT);
    COLORREF outerBR = Sys(Down ? COLOR_BTNHIGHLIGHT : COLOR_WINDOWFRAME);
    COLORREF innerTL = Sys(Down ? COLOR_BTNSHADOW : COLOR_BTNFACE);
    COLORREF innerBR = Sys(Down ? COLOR_BTNFACE : COLOR_BTNSHADOW);
    EXPECT_EQ(dib.Pixel(0, 0), outerTL);
    EXPECT_EQ(dib.Pixel(0, H - 2), outerTL);
    EXPECT_EQ(dib.Pixel(W - 2, 0), outerTL);
    // The bottom-right pen also draws the top-right and bottom-left corners.
    EXPECT_EQ(dib.Pixel(W - 1, 0), outerBR);
    EXPECT_EQ(dib.Pixel(0, H - 1), outerBR);
    EXPECT_EQ(dib.Pixel(W - 1, H - 1), outerBR);
    EXPECT_EQ(dib.Pixel(1, 1), innerTL);
    EXPECT_EQ(dib.Pixel(1, H - 3), innerTL);
    EXPECT_EQ(dib.Pixel(W - 2, 1), innerBR);
    EXPECT_EQ(dib.Pixel(1, H - 2), innerBR);
    EXPECT_EQ(dib.Pixel(W - 2, H - 2), innerBR);
}

} // namespace

TEST(ColorButton, SwatchFrameAndBevelPixels) {
    TButtonForm f;
    EXPECT_EQ(f.Button->GetWidth(), 44);
    EXPECT_EQ(f.Button->GetHeight(), 22);
    EXPECT_EQ(f.Button->GetColor(), Graphics::clWhite);
    f.Button->SetColor(Graphics::TColor(RGB(200, 10, 20)));
    const COLORREF swatch = RGB(200, 10, 20), black = RGB(0, 0, 0), face = Sys(COLOR_BTNFACE);
    struct TCase {
        uint8_t Margin;
        bool Down;
        RECT Frame; // the black frame, right and bottom excluded
    };
    const TCase cases[] = {{1, false, {4, 4, 39, 17}},
                           {1, true, {5, 5, 40, 18}},
                           {0, false, {6, 6, 37, 15}},
                           {0, true, {7, 7, 38, 16}}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "margin " << int(c.Margin) << (c.Down ? " down" : " up"));
        f.Button->SetMargin(c.Margin);
        if (c.Down) f.Mouse(WM_LBUTTONDOWN, 20, 10);
        ASSERT_EQ(f.Button->GetState(), c.Down ? Colorbtn::bsDown : Colorbtn::bsUp);
        auto dib = f.Shot();
        ExpectBevel(*dib, c.Down);
        RECT inside{c.Frame.left + 1, c.Frame.top + 1, c.Frame.right - 1, c.Frame.bottom - 1};
        int fw = c.Frame.right - c.Frame.left, fh = c.Frame.bottom - c.Frame.top;
        EXPECT_EQ(dib->Count(c.Frame, black), 2 * fw + 2 * (fh - 2));
        EXPECT_EQ(dib->Count(inside, swatch), (fw - 2) * (fh - 2));
        EXPECT_EQ(dib->Count({0, 0, 44, 22}, swatch), (fw - 2) * (fh - 2));
        // Just outside the frame: the face.
        EXPECT_EQ(dib->Pixel(c.Frame.left - 1, c.Frame.top), face);
        EXPECT_EQ(dib->Pixel(c.Frame.right, c.Frame.bottom - 1), face);
        if (c.Down) {
            f.Mouse(WM_MOUSEMOVE, 200, 200);
            f.Mouse(WM_LBUTTONUP, 200, 200);
        }
    }
    // Margins of 2 and more are ignored.
    f.Button->SetMargin(2);
    EXPECT_EQ(f.Button->GetMargin(), 0);
    EXPECT_EQ(f.Clicks, 0);

    // Disabled: an empty swatch; a wider button keeps the rules (60 x 30: swatch 46 x 16 at (6, 6), so the
    // frame runs from (4, 4) to (55, 25)).
    f.Button->SetMargin(1);
    f.Button->SetEnabled(false);
    auto disabled = f.Shot();
    EXPECT_EQ(disabled->Count({0, 0, 44, 22}, swatch), 0);
    EXPECT_EQ(disabled->Count({5, 5, 38, 16}, face), 33 * 11);
    f.Button->SetEnabled(true);
    f.Button->SetBounds(10, 10, 60, 30);
    auto wide = f.Shot();
    ExpectBevel(*wide, false, 60, 30);
    EXPECT_EQ(wide->Count({5, 5, 54, 24}, swatch), 49 * 19);
    EXPECT_EQ(wide->Count({4, 4, 55, 25}, black), 2 * 51 + 2 * 19);

    // The focus rectangle (2, 2)-(41, 19) is drawn while focused: dotted, so some of its pixels differ from
    // the face; without the focus row 2 is all face.
    f.Button->SetBounds(10, 10, 44, 22);
    f.Form->SetFocus();
    EXPECT_EQ(f.Shot()->Count({2, 2, 41, 3}, face), 39);
    f.Button->SetFocus();
    ASSERT_TRUE(f.Button->Focused());
    EXPECT_LT(f.Shot()->Count({2, 2, 41, 3}, face), 39);
    EXPECT_LT(f.Shot()->Count({2, 2, 3, 19}, face), 17);

    // Painting leaves no GDI object behind.
    TDib target(44, 22);
    f.Button->PaintTo(target.DC(), 0, 0);
    int before = TestSupport::LiveGdiObjects();
    for (int i = 0; i < 200; ++i)
        f.Button->PaintTo(target.DC(), 0, 0);
    EXPECT_EQ(TestSupport::LiveGdiObjects(), before);
}

TEST(ColorButton, MouseDragClickAndTheColourDialog) {
    TButtonForm f;
    const COLORREF face = Sys(COLOR_BTNFACE);
    // 1. Press, drag out (raised), back in (pressed), out again and release outside: no click, no dialog.
    {
        TDialogDriver driver([](HWND h) { PressButton(h, IDCANCEL); });
        f.Mouse(WM_LBUTTONDOWN, 5, 5);
        EXPECT_TRUE(f.Button->GetTracking());
        EXPECT_TRUE(f.Button->Focused());
        const struct {
            int X, Y;
            Colorbtn::TButtonState State;
        } moves[] = {{44, 5, Colorbtn::bsUp}, {43, 21, Colorbtn::bsDown}, {-1, 5, Colorbtn::bsUp},
                     {5, 22, Colorbtn::bsUp}, {0, 0, Colorbtn::bsDown},   {20, -3, Colorbtn::bsUp}};
        for (const auto& m : moves) {
            SCOPED_TRACE(testing::Message() << m.X << "," << m.Y);
            f.Mouse(WM_MOUSEMOVE, m.X, m.Y);
            EXPECT_EQ(f.Button->GetState(), m.State);
            auto dib = f.Shot();
            ExpectBevel(*dib, m.State == Colorbtn::bsDown);
            // The frame follows the look: (4, 4) raised, (5, 5) pressed.
            EXPECT_EQ(dib->Pixel(4, 4), m.State == Colorbtn::bsDown ? face : RGB(0, 0, 0));
        }
        f.Mouse(WM_LBUTTONUP, 20, -3);
        Forms::Application->ProcessMessages();
        EXPECT_EQ(driver.Count(), 0);
        EXPECT_EQ(f.Clicks, 0);
        EXPECT_FALSE(f.Button->GetTracking());
        EXPECT_EQ(f.Button->GetState(), Colorbtn::bsUp);
    }
    // 2. A click inside opens the dialog on the colour; OK takes the colour chosen: OnColorChange once,
    // OnClick for the click and again when the dialog closes. Cancel changes nothing and fires no
    // OnColorChange. Confirming the same colour still fires it.
    struct TCase {
        int Press;
        COLORREF Pick;
        COLORREF After;
        int ColorChanges;
    };
    f.Button->SetColor(Graphics::TColor(RGB(1, 2, 3)));
    const TCase cases[] = {{IDOK, RGB(12, 34, 56), RGB(12, 34, 56), 1},
                           {IDCANCEL, RGB(90, 90, 90), RGB(12, 34, 56), 0},
                           {IDOK, RGB(12, 34, 56), RGB(12, 34, 56), 1}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Press);
        f.Reset();
        COLORREF shown = 0;
        TDialogDriver driver([&](HWND h) {
            shown = RGB(GetDlgItemInt(h, COLOR_RED, nullptr, FALSE),
                        GetDlgItemInt(h, COLOR_GREEN, nullptr, FALSE),
                        GetDlgItemInt(h, COLOR_BLUE, nullptr, FALSE));
            SetDlgItemInt(h, COLOR_RED, GetRValue(c.Pick), FALSE);
            SetDlgItemInt(h, COLOR_GREEN, GetGValue(c.Pick), FALSE);
            SetDlgItemInt(h, COLOR_BLUE, GetBValue(c.Pick), FALSE);
            PressButton(h, c.Press);
        });
        COLORREF before = COLORREF(f.Button->GetColor());
        f.Mouse(WM_LBUTTONDOWN, 20, 10);
        f.Mouse(WM_LBUTTONUP, 20, 10);
        EXPECT_EQ(driver.Count(), 1);
        EXPECT_EQ(shown, before);
        EXPECT_EQ(COLORREF(f.Button->GetColor()), c.After);
        EXPECT_EQ(f.ColorChanges, c.ColorChanges);
        EXPECT_EQ(f.Clicks, 2);
        EXPECT_EQ(f.Button->GetState(), Colorbtn::bsUp);
        auto dib = f.Shot();
        EXPECT_EQ(dib->Pixel(20, 10), c.After);
    }
    // 3. aeMouseDown: the press opens the dialog; the release then clicks without a dialog.
    f.Button->SetActivationEvent(Colorbtn::aeMouseDown);
    f.Reset();
    {
        int openDuringPress = -1;
        TDialogDriver driver([&](HWND h) {
            openDuringPress = f.Button->GetTracking() ? 1 : 0;
            PressButton(h, IDCANCEL);
        });
        f.Mouse(WM_LBUTTONDOWN, 20, 10);
        EXPECT_EQ(driver.Count(), 1);
        EXPECT_EQ(openDuringPress, 1);
        EXPECT_EQ(f.Button->GetState(), Colorbtn::bsUp); // the look came back up after the dialog
        f.Mouse(WM_LBUTTONUP, 20, 10);
        EXPECT_EQ(driver.Count(), 1);
        EXPECT_EQ(f.ColorChanges, 0);
    }
    // 4. The right button does nothing of the button's own.
    f.Button->SetActivationEvent(Colorbtn::aeClick);
    f.Reset();
    SendMessageW(f.Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 10));
    EXPECT_EQ(f.Button->GetState(), Colorbtn::bsUp);
    SendMessageW(f.Handle(), WM_RBUTTONUP, 0, MAKELPARAM(20, 10));
    EXPECT_EQ(f.Clicks, 0);
}

TEST(ColorButton, KeysAndTheDisabledButton) {
    TButtonForm f;
    f.Button->SetFocus();
    // Space pushes the button in and its release opens the dialog; Enter opens it at once. OnKeyDown never
    // fires (the button keeps its keys); OnKeyUp does.
    struct TCase {
        WORD Key;
        bool Enabled;
        int Dialogs;
    };
    const TCase cases[] = {{VK_SPACE, true, 1},
                           {VK_RETURN, true, 1},
                           {'A', true, 0},
                           {VK_SPACE, false, 0},
                           {VK_RETURN, false, 0}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Key << (c.Enabled ? "" : " disabled"));
        f.Button->SetEnabled(c.Enabled);
        f.Reset();
        Colorbtn::TButtonState duringPress = Colorbtn::bsExclusive;
        TDialogDriver driver([](HWND h) { PressButton(h, IDCANCEL); });
        f.Key(WM_KEYDOWN, c.Key);
        duringPress = f.Button->GetState();
        f.Key(WM_KEYUP, c.Key);
        EXPECT_EQ(driver.Count(), c.Dialogs);
        EXPECT_EQ(f.KeyDowns, 0);
        EXPECT_EQ(f.KeyUps, 1);
        EXPECT_EQ(f.Button->GetState(), Colorbtn::bsUp);
        if (c.Key == VK_SPACE) {
            EXPECT_EQ(duringPress, c.Enabled ? Colorbtn::bsDown : Colorbtn::bsUp);
        }
        EXPECT_EQ(f.Clicks, c.Dialogs == 0 ? 0 : 2);
    }
    // Disabled: presses are ignored, but size and system colour changes still repaint it.
    f.Button->SetEnabled(false);
    f.Mouse(WM_LBUTTONDOWN, 20, 10);
    EXPECT_EQ(f.Button->GetState(), Colorbtn::bsUp);
    EXPECT_FALSE(f.Button->GetTracking());
    f.Mouse(WM_LBUTTONUP, 20, 10);
    Forms::Application->ProcessMessages();
    for (UINT msg : {UINT(WM_SYSCOLORCHANGE), UINT(WM_SIZE), UINT(Messages::CM_ENABLEDCHANGED)}) {
        SCOPED_TRACE(msg);
        ValidateRect(f.Handle(), nullptr);
        ASSERT_FALSE(GetUpdateRect(f.Handle(), nullptr, FALSE));
        SendMessageW(f.Handle(), msg, 0, MAKELPARAM(44, 22));
        EXPECT_TRUE(GetUpdateRect(f.Handle(), nullptr, FALSE));
    }
    EXPECT_EQ(f.Clicks, 0);
}

TEST(ColorButton, DesignTimeValuesSurviveStoringAndReadingAForm) {
    Forms::Application->Initialize();
    Colorbtn::Initialization();
    struct TCase {
        Colorbtn::TActivationEvent Event;
        bool TabStop;
        uint8_t Margin;
        const char* Written; // what the stream holds for the three, in order
    };
    const TCase cases[] = {
        {Colorbtn::aeClick, true, 1, ""},
        {Colorbtn::aeMouseDown, true, 1, "ActivationEvent = aeMouseDown"},
        {Colorbtn::aeClick, false, 0, "Margin = 0"},
        {Colorbtn::aeMouseDown, false, 0, "TabStop = False"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Written);
        Forms::TForm form(nullptr);
        form.SetName("Form1");
        auto* button = new TColorButton(&form);
        button->SetName("ColorButton1");
        button->SetParent(&form);
        button->SetActivationEvent(c.Event);
        button->SetTabStop(c.TabStop);
        button->SetMargin(c.Margin);
        button->SetColor(Graphics::clNavy);
        button->SetOptions({Dialogs::cdFullOpen});
        button->GetCustomColors()->Add("ColorA=\u0444FF");
        String text = TestSupport::WriteFormText(&form);
        EXPECT_NE(text.find(c.Written), String::npos) << text;
        EXPECT_EQ(text.find("ActivationEvent") != String::npos, c.Event != Colorbtn::aeClick) << text;
        EXPECT_EQ(text.find("TabStop") != String::npos, !c.TabStop) << text;
        EXPECT_EQ(text.find("Margin") != String::npos, c.Margin != 1) << text;
        EXPECT_EQ(text.find("About"), String::npos) << text;
        EXPECT_NE(text.find("Color = clNavy"), String::npos) << text;
        auto back = TestSupport::ReadFormText(text);
        auto* read = dynamic_cast<TColorButton*>(back->FindComponent("ColorButton1"));
        ASSERT_NE(read, nullptr);
        EXPECT_EQ(read->GetActivationEvent(), c.Event);
        EXPECT_EQ(read->GetTabStop(), c.TabStop);
        EXPECT_EQ(read->GetMargin(), c.Margin);
        EXPECT_EQ(read->GetColor(), Graphics::clNavy);
        EXPECT_TRUE(read->GetOptions().Contains(Dialogs::cdFullOpen));
        EXPECT_EQ(read->GetCustomColors()->GetText(), "ColorA=\u0444FF\r\n") << text;
    }
}

namespace {

// Records what a unit's Register hands to the IDE.
struct TRecordingHost : DsgnIntf::TRegistrationHost {
    std::vector<String> Seen;
    void RegisterComponents(const String& Page,
                            const std::vector<Classes::TComponentClass>& Classes) override {
        for (auto* c : Classes)
            Seen.push_back("page " + Page + " " + c->ClassName);
    }
    void RegisterNoIcon(const std::vector<Classes::TComponentClass>&) override { Seen.push_back("noicon"); }
    void RegisterClasses(const std::vector<Classes::TPersistentClass>&) override {
        Seen.push_back("classes");
    }
    void RegisterComponentEditor(Classes::TComponentClass, System::TClass) override {
        Seen.push_back("editor");
    }
    void RegisterPropertyEditor(const DsgnIntf::TPropertyType& Type, Classes::TComponentClass Class,
                                const String& Name, System::TClass Editor) override {
        Seen.push_back(String("property ") + (Type.Class ? Type.Class->ClassName : "?") + " " +
                       Class->ClassName + " " + Name + " " + Editor->ClassName);
    }
};

} // namespace

TEST(ColorButton, RegisterAndTheAboutEditor) {
    TRecordingHost host;
    DsgnIntf::SetRegistrationHost(&host);
    Colorbtn::Register();
    DsgnIntf::SetRegistrationHost(nullptr);
    ASSERT_EQ(host.Seen.size(), 2u);
    EXPECT_EQ(host.Seen[0], "page Corvessa TColorButton");
    EXPECT_EQ(host.Seen[1],
              "property TAboutColorButtonProperty TColorButton ABOUT TAboutColorButtonProperty");

    Colorbtn::TAboutColorButtonProperty about;
    EXPECT_EQ(about.GetValue(), "Click on...for About box");
    EXPECT_EQ(
        about.GetAttributes().ToInt(),
        (DsgnIntf::TPropertyAttributes{DsgnIntf::paDialog, DsgnIntf::paMultiSelect, DsgnIntf::paReadOnly}
             .ToInt()));
    // The About row is published (so the Object Inspector shows it), read-only and always empty.
    const TypInfo::TPropInfo* row = TypInfo::GetPropInfo(&TColorButton::ClassInfo, "About");
    ASSERT_NE(row, nullptr);
    EXPECT_TRUE(row->IsReadOnly());
    EXPECT_EQ(row->PropClass, &Colorbtn::TAboutColorButtonProperty::ClassInfo);
    // Edit shows a message box about the control.
    WinTest::TBoxDriver boxes;
    about.Edit();
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_NE(boxes.Seen()[0].Text.find("TColorButton"), String::npos);
}

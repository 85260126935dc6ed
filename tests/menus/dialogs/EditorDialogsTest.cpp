// The bar and shadow editor dialogs, read from their form resources in VeskMenus.dll and run modally under
// Wine, driven by posted keys and clicks; the messages of their checks are read from the application's
// message boxes.
#include "menus/design/SdText.h"
#include "menus/design/VmBar.h"
#include "tests/menus/dialogs/DialogDriver.h"

#include <gtest/gtest.h>

#include <colordlg.h>

#include <memory>

using DialogsTest::FindMessageBox;
using DialogsTest::PostKey;
using DialogsTest::PressButton;
using DialogsTest::TScript;
using SysUtils::String;

namespace {

HWND FindColorDialog() {
    for (HWND h : DialogsTest::ThreadDialogs())
        if (GetDlgItem(h, COLOR_RED) != nullptr) return h;
    return nullptr;
}

// A step that waits for the application's message box, records its text and closes it.
TScript::TStep CloseBox(std::vector<String>& Texts) {
    return [&Texts] {
        HWND box = FindMessageBox();
        if (box == nullptr) return false;
        Texts.push_back(DialogsTest::BoxText(box));
        PressButton(box, IDOK);
        return true;
    };
}

// A step that waits until no system dialog is open, then runs Then.
TScript::TStep WhenNoDialog(std::function<void()> Then) {
    return [Then] {
        if (!DialogsTest::ThreadDialogs().empty()) return false;
        Then();
        return true;
    };
}

} // namespace

TEST(BarEditorDialog, FillsFromTheCopyChecksTheNumbersAndWritesOnOk) {
    Forms::Application->Initialize();
    Forms::Application->SetTitle("Bar test");
    VeskMenu::TVeskMenuBar bar;
    bar.SetCaption("\u0411\u0430\u0440 \u65e5\u672c");
    bar.SetSize(20);
    bar.SetSpace(3);
    bar.SetCaptionAlign(VeskMenu::alUp);
    bar.SetBackTo(Graphics::clGreen);
    bar.SetIsGradient(true);
    bar.SetIsSerif(false);
    std::unique_ptr<VmBar::TVeskMenuBarForm> dialog(
        Forms::TCustomForm::Create<VmBar::TVeskMenuBarForm>(nullptr));
    dialog->SetInfo(&bar);
    VmBar::TVeskMenuBarForm& d = *dialog;

    // The form as its resource made it, with the three buttons below their labels.
    EXPECT_EQ(d.GetCaption(), "MenuBar");
    EXPECT_EQ(d.GetClientWidth(), 337);
    EXPECT_EQ(d.GetClientHeight(), 214);
    EXPECT_EQ(d.cmbAlign->GetItems()->GetCommaText(), "alDown,alUp,alCenter");
    const struct {
        Colorbtn::TColorButton* Button;
        StdCtrls::TLabel* Label;
        int Top;
    } buttons[] = {
        {d.btnBackFrom, d.lbBackFrom, 40}, {d.btnBackTo, d.lbBackTo, 89}, {d.btnFore, d.lbFore, 135}};
    for (const auto& b : buttons) {
        EXPECT_EQ(b.Button->GetBoundsRect().left, b.Label->GetLeft());
        EXPECT_EQ(b.Button->GetTop(), b.Top);
        EXPECT_EQ(b.Button->GetWidth(), 65);
        EXPECT_EQ(b.Button->GetHeight(), 25);
        EXPECT_TRUE(b.Button->GetTabStop());
        EXPECT_EQ(b.Label->GetFocusControl(), b.Button);
        EXPECT_EQ(b.Button->GetOwner(), &d);
    }

    std::vector<String> boxes;
    HWND focusAtStart = nullptr;
    bool defaultWhileOnButton = true, openAfterColour = false, defaultOnEdit = false;
    String sizeAfter, spaceAfter;
    TScript script({
                       // 1. Filled from the copy; the focus on the first colour button, where Enter opens the
                       // colour dialog.
                       [&] {
                           if (!d.GetShowing()) return false;
                           focusAtStart = GetFocus();
                           defaultWhileOnButton = d.OKBtn->GetDefault();
                           PostKey(GetFocus(), VK_RETURN);
                           return true;
                       },
                       [&] {
                           HWND colour = FindColorDialog();
                           if (colour == nullptr) return false;
                           SetDlgItemInt(colour, COLOR_RED, 10, FALSE);
                           SetDlgItemInt(colour, COLOR_GREEN, 20, FALSE);
                           SetDlgItemInt(colour, COLOR_BLUE, 30, FALSE);
                           PressButton(colour, IDOK);
                           return true;
                       },
                       // 2. Back in the bar dialog, still open; "x" in Size and Enter (OK).
                       WhenNoDialog([&] {
                           openAfterColour = d.GetShowing();
                           d.edtSize->SetFocus();
                           defaultOnEdit = d.OKBtn->GetDefault();
                           d.edtSize->SetText("x");
                           PostKey(d.edtSize->GetHandle(), VK_RETURN);
                       }),
                       CloseBox(boxes),
                       // 3. 70000 does not fit Space.
                       WhenNoDialog([&] {
                           sizeAfter = d.edtSize->GetText();
                           d.edtSpace->SetFocus();
                           d.edtSpace->SetText("70000");
                           PostKey(d.edtSpace->GetHandle(), VK_RETURN);
                       }),
                       CloseBox(boxes),
                       // 4. Another placement and caption, then OK.
                       WhenNoDialog([&] {
                           spaceAfter = d.edtSpace->GetText();
                           d.cmbAlign->SetItemIndex(0);
                           d.edtCaption->SetText("\u041d\u043e\u0432\u044b\u0439");
                           d.edtSize->SetText("-4");
                           PostKey(d.edtSpace->GetHandle(), VK_RETURN);
                       }),
                   },
                   [&] { d.SetModalResult(Forms::mrAbort); });
    // Filled on activation.
    int result = d.ShowModal();
    EXPECT_TRUE(script.Finished()) << script.Done();
    EXPECT_EQ(result, Forms::mrOk);
    EXPECT_EQ(focusAtStart, d.btnBackFrom->GetHandle());
    EXPECT_FALSE(defaultWhileOnButton);
    EXPECT_TRUE(openAfterColour);
    EXPECT_TRUE(defaultOnEdit);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0], "'x' is not a valid integer value.");
    EXPECT_EQ(boxes[1], "'70000' is not a valid Space value: it takes 0 to 65535.");
    EXPECT_EQ(sizeAfter, "20");
    EXPECT_EQ(spaceAfter, "3");

    // The working copy holds the controls; the bar handed in is untouched.
    VeskMenu::TVeskMenuBar* out = d.GetBar();
    EXPECT_EQ(out->GetCaptionAlign(), VeskMenu::alDown);
    EXPECT_EQ(out->GetCaption(), "\u041d\u043e\u0432\u044b\u0439");
    EXPECT_EQ(out->GetSize(), -4);
    EXPECT_EQ(out->GetSpace(), 3);
    EXPECT_EQ(out->GetBackFrom(), Graphics::TColor(RGB(10, 20, 30)));
    EXPECT_EQ(out->GetBackTo(), Graphics::clGreen);
    EXPECT_EQ(out->GetFore(), Graphics::clWhite);
    EXPECT_TRUE(out->GetIsGradient());
    EXPECT_FALSE(out->GetIsSerif());
    EXPECT_TRUE(out->GetIsSeparator());
    EXPECT_EQ(bar.GetCaptionAlign(), VeskMenu::alUp);
    EXPECT_EQ(bar.GetBackFrom(), Graphics::clBlack);
}

TEST(BarEditorDialog, EachPlacementShownAndCancelKeepsTheCopy) {
    Forms::Application->Initialize();
    const struct {
        VeskMenu::TCaptionAlign Align;
        const char* Text;
        int Index;
    } aligns[] = {
        {VeskMenu::alUp, "alUp", 1}, {VeskMenu::alDown, "alDown", 0}, {VeskMenu::alCenter, "alCenter", 2}};
    for (const auto& a : aligns) {
        SCOPED_TRACE(a.Text);
        VeskMenu::TVeskMenuBar bar;
        bar.SetCaptionAlign(a.Align);
        std::unique_ptr<VmBar::TVeskMenuBarForm> dialog(
            Forms::TCustomForm::Create<VmBar::TVeskMenuBarForm>(nullptr));
        dialog->SetInfo(&bar);
        String shown;
        int index = -1;
        TScript script({[&] {
                           if (!dialog->GetShowing()) return false;
                           index = dialog->cmbAlign->GetItemIndex();
                           if (index >= 0) shown = dialog->cmbAlign->GetItems()->Get(index);
                           // What the box shows.
                           shown += '|';
                           shown += WinTest::WindowText(dialog->cmbAlign->GetHandle());
                           dialog->edtCaption->SetText("changed");
                           PostKey(GetFocus(), VK_ESCAPE);
                           return true;
                       }},
                       [&] { dialog->SetModalResult(Forms::mrAbort); });
        EXPECT_EQ(dialog->ShowModal(), Forms::mrCancel);
        EXPECT_EQ(shown, String(a.Text) + '|' + String(a.Text));
        EXPECT_EQ(index, a.Index);
        EXPECT_EQ(dialog->GetBar()->GetCaption(), "");
        EXPECT_EQ(dialog->GetBar()->GetCaptionAlign(), a.Align);
    }
}

TEST(ShadowEditorDialog, GreyedWhileInactiveOptionsRoundTripAndByteChecks) {
    Forms::Application->Initialize();
    Forms::Application->SetTitle("Shadow test");
    VeskMenu::TShadowText shadow; // inactive, Options = [soNoShadowIfSel]
    shadow.SetShadowPos(VeskMenu::spRightBottom);
    shadow.SetSelShadowPos(VeskMenu::spRightTop);
    shadow.SetShadowSize(2);
    shadow.SetSelShadowSize(3);
    shadow.SetSelShadowColor(Graphics::clRed);
    std::unique_ptr<SdText::TShadowTextForm> dialog(
        Forms::TCustomForm::Create<SdText::TShadowTextForm>(nullptr));
    dialog->SetShadowText(&shadow);
    SdText::TShadowTextForm& d = *dialog;
    EXPECT_EQ(d.GetCaption(), "Shadow");
    EXPECT_EQ(d.cmbShadowPos->GetItems()->Get(0), "spLeftTop ");
    EXPECT_EQ(d.cmbSelShadowPos->GetItems()->Count(), 4);
    // The colour buttons come before the two size edits in the tab order.
    EXPECT_EQ(d.btnShadowColor->GetTabOrder(), 3);
    EXPECT_EQ(d.btnSelShadowColor->GetTabOrder(), 4);
    EXPECT_GT(d.edtShadowSize->GetTabOrder(), 4);
    EXPECT_EQ(d.labelShadowColor->GetFocusControl(), d.btnShadowColor);
    EXPECT_EQ(d.btnShadowColor->GetTop(), 17 + 13 + 4);

    Controls::TControl* const greyed[] = {d.gbOptions,
                                          d.cmbShadowPos,
                                          d.cmbSelShadowPos,
                                          d.btnShadowColor,
                                          d.btnSelShadowColor,
                                          d.edtShadowSize,
                                          d.edtSelShadowSize,
                                          d.labelShadowPos,
                                          d.labelSelShadowPos,
                                          d.labelShadowColor,
                                          d.labelSelShadowColor,
                                          d.labelShadowSize,
                                          d.labelSelShadowSize,
                                          d.cbOpt1,
                                          d.cbOpt2};
    auto enabledCount = [&] {
        int n = 0;
        for (Controls::TControl* c : greyed)
            n += c->GetEnabled() ? 1 : 0;
        return n;
    };
    int enabledWhileInactive = -1, enabledAfterTick = -1;
    HWND focusWhileInactive = nullptr;
    bool othersEnabled = false, opt1 = true, opt2 = false;
    int pos = -1, selPos = -1;
    std::vector<String> boxes;
    String restored;
    TScript script({
                       [&] {
                           if (!d.GetShowing()) return false;
                           enabledWhileInactive = enabledCount();
                           focusWhileInactive = GetFocus();
                           othersEnabled = d.cbActive->GetEnabled() && d.OKBtn->GetEnabled() &&
                                           d.CancelBtn->GetEnabled() && IsWindowEnabled(d.OKBtn->GetHandle());
                           opt1 = d.cbOpt1->GetChecked();
                           opt2 = d.cbOpt2->GetChecked();
                           pos = d.cmbShadowPos->GetItemIndex();
                           selPos = d.cmbSelShadowPos->GetItemIndex();
                           // Ticking Active enables them (a click on the box).
                           PostMessageW(d.cbActive->GetHandle(), BM_CLICK, 0, 0);
                           return true;
                       },
                       [&] {
                           if (!d.cbActive->GetChecked()) return false;
                           enabledAfterTick = enabledCount();
                           d.edtShadowSize->SetFocus();
                           d.edtShadowSize->SetText("abc");
                           PostKey(d.edtShadowSize->GetHandle(), VK_TAB); // leaving the edit checks it
                           return true;
                       },
                       CloseBox(boxes),
                       WhenNoDialog([&] {
                           restored = d.edtShadowSize->GetText();
                           d.edtShadowSize->SetText("300");
                           PostKey(d.edtShadowSize->GetHandle(), VK_RETURN);
                       }),
                       CloseBox(boxes),
                       WhenNoDialog([&] { PostKey(d.edtShadowSize->GetHandle(), VK_RETURN); }),
                   },
                   [&] { d.SetModalResult(Forms::mrAbort); });
    EXPECT_EQ(d.ShowModal(), Forms::mrOk);
    EXPECT_TRUE(script.Finished()) << script.Done();
    EXPECT_EQ(enabledWhileInactive, 0);
    EXPECT_EQ(focusWhileInactive, d.cbActive->GetHandle());
    EXPECT_TRUE(othersEnabled);
    EXPECT_EQ(enabledAfterTick, int(std::size(greyed)));
    EXPECT_FALSE(opt1);
    EXPECT_TRUE(opt2);
    EXPECT_EQ(pos, 2);
    EXPECT_EQ(selPos, 3);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0], "'abc' is not a valid byte value.");
    EXPECT_EQ(boxes[1], "'300' is not a valid ShadowSize value: it takes 0 to 255.");
    EXPECT_EQ(restored, "2");

    // OK without other changes writes the same settings back, now active.
    VeskMenu::TShadowText* out = d.GetShadow();
    EXPECT_TRUE(out->GetActive());
    EXPECT_EQ(out->GetOptions().ToInt(), VeskMenu::TShadowOptions{VeskMenu::soNoShadowIfSel}.ToInt());
    EXPECT_EQ(out->GetShadowPos(), VeskMenu::spRightBottom);
    EXPECT_EQ(out->GetSelShadowPos(), VeskMenu::spRightTop);
    EXPECT_EQ(out->GetShadowSize(), 2);
    EXPECT_EQ(out->GetSelShadowSize(), 3);
    EXPECT_EQ(out->GetShadowColor(), Graphics::clBtnHighlight);
    EXPECT_EQ(out->GetSelShadowColor(), Graphics::clRed);
    EXPECT_FALSE(shadow.GetActive());
}

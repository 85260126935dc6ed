// The framework's common dialogs and message boxes, on the real system dialogs under Wine.
#include "framework/vcl/Dialogs.h"
#include "framework/vcl/Forms.h"
#include "tests/menus/dialogs/DialogDriver.h"
#include "tests/support/FormText.h"

#include <gtest/gtest.h>

#include <colordlg.h>
#include <commdlg.h>
#include <dlgs.h>

#include <filesystem>
#include <fstream>

using namespace Dialogs;
using DialogsTest::PressButton;
using DialogsTest::TDialogDriver;
using SysUtils::String;

namespace {

void SetRGB(HWND Dialog, int R, int G, int B) {
    SetDlgItemInt(Dialog, COLOR_RED, UINT(R), FALSE);
    SetDlgItemInt(Dialog, COLOR_GREEN, UINT(G), FALSE);
    SetDlgItemInt(Dialog, COLOR_BLUE, UINT(B), FALSE);
}

std::filesystem::path TempFolder() {
    wchar_t path[MAX_PATH];
    GetTempPathW(MAX_PATH, path);
    auto folder = std::filesystem::path(path) / L"dialogs-test-\u0444\u0430\u0439\u043b";
    std::filesystem::create_directories(folder);
    return folder;
}

String Utf8(const std::filesystem::path& p) {
    auto u = p.u16string();
    return SysUtils::Utf16ToUtf8(u);
}

} // namespace

TEST(ColorDialog, ExecuteTakesTheChosenColourAndCancelKeepsEverything) {
    Forms::Application->Initialize();
    TColorDialog dialog(nullptr);
    dialog.SetColor(Graphics::clBtnFace); // a system colour goes in as its red, green and blue
    dialog.GetCustomColors()->Add("ColorB=336699");
    struct TCase {
        TColorDialogOptions Options;
        bool Ok;
    };
    const TCase cases[] = {{{cdFullOpen}, true}, {{}, true}, {{cdFullOpen, cdSolidColor}, false}};
    COLORREF initial = 0;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Ok);
        dialog.SetOptions(c.Options);
        TColor before = dialog.GetColor();
        String customBefore = dialog.GetCustomColors()->GetText();
        TDialogDriver driver([&](HWND h) {
            initial = RGB(GetDlgItemInt(h, COLOR_RED, nullptr, FALSE),
                          GetDlgItemInt(h, COLOR_GREEN, nullptr, FALSE),
                          GetDlgItemInt(h, COLOR_BLUE, nullptr, FALSE));
            SetRGB(h, 12, 34, 56);
            PressButton(h, c.Ok ? IDOK : IDCANCEL);
        });
        EXPECT_EQ(dialog.Execute(), c.Ok);
        EXPECT_EQ(driver.Count(), 1);
        EXPECT_EQ(initial, COLORREF(Graphics::ColorToRGB(before)));
        if (c.Ok) {
            EXPECT_EQ(dialog.GetColor(), TColor(RGB(12, 34, 56)));
            // The sixteen lines as the dialog left them: the one given, the others white.
            ASSERT_EQ(dialog.GetCustomColors()->Count(), 16);
            EXPECT_EQ(dialog.GetCustomColors()->Get(0), "ColorA=FFFFFF");
            EXPECT_EQ(dialog.GetCustomColors()->GetValue("ColorB"), "336699");
            EXPECT_EQ(dialog.GetCustomColors()->Get(15), "ColorP=FFFFFF");
        } else {
            EXPECT_EQ(dialog.GetColor(), before);
            EXPECT_EQ(dialog.GetCustomColors()->GetText(), customBefore);
        }
    }
    // The owner is the application's window when no form is active, and it is enabled again afterwards.
    EXPECT_TRUE(IsWindowEnabled(Forms::Application->GetHandle()));
}

TEST(ColorDialog, CustomColoursOptionsAndStream) {
    struct TLine {
        const char* Text;
        COLORREF Slot0;
        bool Valid;
    };
    const TLine lines[] = {{"ColorA=FF0000", RGB(255, 0, 0), true},
                           {"ColorA=0000ff", RGB(0, 0, 255), true},
                           {"ColorA=", RGB(255, 255, 255), true},
                           {"ColorA= 12 ", RGB(0, 0, 0x12), true},
                           {"ColorA=12345G", 0, false},
                           {"ColorA=1234567", 0, false}};
    for (const TLine& l : lines) {
        SCOPED_TRACE(l.Text);
        Classes::TStringList list;
        list.Add(l.Text);
        COLORREF colors[16];
        if (!l.Valid) {
            EXPECT_THROW(TColorDialog::CustomColorsToRGB(list, colors), SysUtils::EConvertError);
            continue;
        }
        TColorDialog::CustomColorsToRGB(list, colors);
        EXPECT_EQ(colors[0], l.Slot0);
        EXPECT_EQ(colors[15], RGB(255, 255, 255));
        Classes::TStringList back;
        TColorDialog::RGBToCustomColors(colors, back);
        EXPECT_EQ(back.Count(), 16);
        COLORREF again[16];
        TColorDialog::CustomColorsToRGB(back, again);
        EXPECT_EQ(again[0], l.Slot0);
    }
    EXPECT_EQ(TColorDialog::OptionFlags({}), 0u);
    EXPECT_EQ(
        TColorDialog::OptionFlags({cdFullOpen, cdPreventFullOpen, cdShowHelp, cdSolidColor, cdAnyColor}),
        DWORD(CC_FULLOPEN | CC_PREVENTFULLOPEN | CC_SHOWHELP | CC_SOLIDCOLOR | CC_ANYCOLOR));

    // Streamed from a form file: the values stored, and the defaults left out when written back.
    auto form = TestSupport::ReadFormText("object Form1: TForm\n"
                                          "  object ColorDialog1: TColorDialog\n"
                                          "    Color = clRed\n"
                                          "    Options = [cdFullOpen, cdAnyColor]\n"
                                          "    CustomColors.Strings = (\n"
                                          "      'ColorA=FF0000'\n"
                                          "      'ColorC=00FF00')\n"
                                          "  end\n"
                                          "  object OpenDialog1: TOpenDialog\n"
                                          "    DefaultExt = 'vmn'\n"
                                          "    Filter = 'Editions (*.vmn)|*.vmn'\n"
                                          "    FilterIndex = 2\n"
                                          "    Options = [ofOverwritePrompt, ofPathMustExist]\n"
                                          "    Title = 'Open an edition'\n"
                                          "  end\n"
                                          "  object SaveDialog1: TSaveDialog\n"
                                          "  end\n"
                                          "end\n");
    auto* color = dynamic_cast<TColorDialog*>(form->FindComponent("ColorDialog1"));
    auto* open = dynamic_cast<TOpenDialog*>(form->FindComponent("OpenDialog1"));
    auto* save = dynamic_cast<TSaveDialog*>(form->FindComponent("SaveDialog1"));
    ASSERT_TRUE(color && open && save);
    EXPECT_EQ(color->GetColor(), Graphics::clRed);
    EXPECT_EQ(color->GetOptions().ToInt(), (TColorDialogOptions{cdFullOpen, cdAnyColor}.ToInt()));
    EXPECT_EQ(color->GetCustomColors()->GetValue("ColorC"), "00FF00");
    EXPECT_EQ(open->GetDefaultExt(), "vmn");
    EXPECT_EQ(open->GetFilterIndex(), 2);
    EXPECT_EQ(open->GetTitle(), "Open an edition");
    EXPECT_EQ(open->GetOptions().ToInt(), (TOpenOptions{ofOverwritePrompt, ofPathMustExist}.ToInt()));
    EXPECT_EQ(save->GetOptions().ToInt(), TOpenOptions{ofHideReadOnly}.ToInt());
    EXPECT_EQ(save->GetFilterIndex(), 1);
    String text = TestSupport::WriteFormText(form.get());
    EXPECT_NE(text.find("Options = [ofOverwritePrompt, ofPathMustExist]"), String::npos) << text;
    EXPECT_NE(text.find("object SaveDialog1: TSaveDialog\n  end"), String::npos) << text;
    EXPECT_NE(text.find("CustomColors.Strings = (\n      'ColorA=FF0000'\n      'ColorC=00FF00'"),
              String::npos)
        << text;
}

TEST(FileDialogs, OpenAndSaveOnTheSystemDialogs) {
    Forms::Application->Initialize();
    std::filesystem::path folder = TempFolder();
    std::ofstream(folder / L"existing.vmn") << "x";

    struct TCase {
        bool Save;
        const wchar_t* Typed;
        TOpenOptions Options;
        bool Ok;
        const wchar_t* Expected; // the file name in the folder, or nullptr for unchanged
        bool Different;
    };
    const TCase cases[] = {
        {false, L"existing.vmn", {ofFileMustExist}, true, L"existing.vmn", false},
        {true, L"\u041c\u0435\u043d\u044e", {}, true, L"\u041c\u0435\u043d\u044e.vmn", false},
        {true, L"new.txt", {ofOverwritePrompt}, true, L"new.txt", true},
        {true, L"new", {}, true, L"new.vmn", false},
        {false, L"whatever.vmn", {}, false, nullptr, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(SysUtils::Utf16ToUtf8(reinterpret_cast<const char16_t*>(c.Typed)));
        std::unique_ptr<TOpenDialog> dialog(c.Save ? new TSaveDialog(nullptr) : new TOpenDialog(nullptr));
        dialog->SetInitialDir(Utf8(folder));
        dialog->SetFilter("Editions (*.vmn)|*.vmn|All files|*.*");
        dialog->SetFilterIndex(1);
        dialog->SetDefaultExt("vmn");
        dialog->SetTitle("\u0412\u044b\u0431\u043e\u0440 title");
        dialog->SetOptions(c.Options);
        dialog->SetFileName("before");
        String title;
        TDialogDriver driver([&](HWND h) {
            title = WinTest::WindowText(h);
            SendMessageW(h, CDM_SETCONTROLTEXT, cmb13, LPARAM(c.Typed));
            PressButton(h, c.Ok ? IDOK : IDCANCEL);
        });
        EXPECT_EQ(dialog->Execute(), c.Ok);
        EXPECT_EQ(title, "\u0412\u044b\u0431\u043e\u0440 title");
        if (c.Expected == nullptr) {
            EXPECT_EQ(dialog->GetFileName(), "before");
            continue;
        }
        EXPECT_EQ(dialog->GetFileName(), Utf8(folder / c.Expected));
        EXPECT_EQ(dialog->GetFilterIndex(), 1);
        EXPECT_EQ(dialog->GetOptions().Contains(ofExtensionDifferent), c.Different);
    }
    EXPECT_TRUE(IsWindowEnabled(Forms::Application->GetHandle()));

    struct TFilter {
        const char* Filter;
        std::u16string System;
    };
    const TFilter filters[] = {{"", u""},
                               {"Text|*.txt", std::u16string(u"Text\0*.txt\0\0", 12)},
                               {"A|*.a;*.b|B", std::u16string(u"A\0*.a;*.b\0B\0*.*\0\0", 17)}};
    for (const TFilter& f : filters)
        EXPECT_EQ(TOpenDialog::SystemFilter(f.Filter), f.System) << f.Filter;
    EXPECT_EQ(TOpenDialog::OptionFlags({ofOverwritePrompt, ofFileMustExist}),
              DWORD(OFN_EXPLORER | OFN_ENABLESIZING | OFN_OVERWRITEPROMPT | OFN_FILEMUSTEXIST));
}

TEST(MessageDlg, ButtonsIconsTitleAndResult) {
    Forms::Application->Initialize();
    Forms::Application->SetTitle("\u0422\u0435\u0441\u0442 dialogs");
    struct TCase {
        TMsgDlgType Type;
        TMsgDlgButtons Buttons;
        UINT Flags;
        int Press;
    };
    const TCase cases[] = {
        {mtConfirmation, {mbYes, mbNo, mbCancel}, MB_YESNOCANCEL | MB_ICONQUESTION, IDNO},
        {mtConfirmation, {mbYes, mbNo}, MB_YESNO | MB_ICONQUESTION, IDYES},
        {mtWarning, {mbOK, mbCancel}, MB_OKCANCEL | MB_ICONWARNING, IDCANCEL},
        {mtError, {mbOK}, MB_OK | MB_ICONERROR, IDOK},
        {mtInformation, {mbOK, mbHelp}, MB_OK | MB_ICONINFORMATION | MB_HELP, IDOK},
        {mtCustom, {mbAbort, mbRetry, mbIgnore}, MB_ABORTRETRYIGNORE, IDRETRY},
        {mtCustom, {mbRetry, mbCancel}, MB_RETRYCANCEL, IDCANCEL},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Flags);
        EXPECT_EQ(MessageDlgFlags(c.Type, c.Buttons), c.Flags);
        String caption, text;
        TDialogDriver driver([&](HWND h) {
            caption = WinTest::WindowText(h);
            text = DialogsTest::BoxText(h);
            PressButton(h, c.Press);
        });
        EXPECT_EQ(MessageDlg("\u0421\u043e\u0445\u0440\u0430\u043d\u0438\u0442\u044c?", c.Type, c.Buttons, 7),
                  c.Press);
        EXPECT_EQ(caption, "\u0422\u0435\u0441\u0442 dialogs");
        EXPECT_EQ(text, "\u0421\u043e\u0445\u0440\u0430\u043d\u0438\u0442\u044c?");
    }
    static_assert(mrYes == IDYES && mrNo == IDNO && mrCancel == IDCANCEL && mrOk == IDOK);
    for (TMsgDlgButtons bad : {TMsgDlgButtons{}, TMsgDlgButtons{mbYes}, TMsgDlgButtons{mbOK, mbYes}})
        EXPECT_THROW(MessageDlgFlags(mtInformation, bad), Classes::EInvalidOperation);
}

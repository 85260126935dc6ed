// Answers the modal dialogs a test provokes, in order: message boxes with a chosen button, file dialogs with
// a file name typed into their name box (or cancelled); each one's title and text are kept.
#pragma once

#include "tests/menus/dialogs/DialogDriver.h"

#include <deque>

namespace DesignerTest {

using SysUtils::String;

struct TAnswer {
    int Button;      // IDOK, IDCANCEL, IDYES, IDNO
    String FileName; // typed into a file dialog's name box before the button
};
struct TSeenDialog {
    String Title, Text;
};

class TAnswers {
public:
    explicit TAnswers(std::deque<TAnswer> Answers)
        : FAnswers(std::move(Answers)), FDriver([this](HWND Dialog) { Answer(Dialog); }) {}
    const std::vector<TSeenDialog>& Seen() const { return FSeen; }

private:
    void Answer(HWND Dialog) {
        FSeen.push_back({WinTest::WindowText(Dialog), DialogsTest::BoxText(Dialog)});
        if (FAnswers.empty()) return;
        TAnswer answer = FAnswers.front();
        FAnswers.pop_front();
        if (!answer.FileName.empty()) {
            std::u16string name = SysUtils::Utf8ToUtf16(answer.FileName);
            // The name box of the explorer-style dialog (a combo box, cmb13), or the older edit (edt1).
            HWND box = GetDlgItem(Dialog, 0x47C);
            if (box == nullptr) box = GetDlgItem(Dialog, 0x480);
            SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
        }
        DialogsTest::PressButton(Dialog, answer.Button);
    }

    std::deque<TAnswer> FAnswers;
    std::vector<TSeenDialog> FSeen;
    DialogsTest::TDialogDriver FDriver;
};

} // namespace DesignerTest

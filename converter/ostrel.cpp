// ostrel: the template converter. Adds the style record "Тип позиции" to every template table of a folder
// that holds exactly 43 styles, showing its progress in a small window that closes itself.
//
//   ostrel.exe [FOLDER]      the folder of the *.db tables; without it, the program's own folder
//
// Exit code: 0 when the run went through to its end; 1 when it did not (an error stopped it and its message
// was shown, or the window was closed before the end); 2 when the program could not start (no window, no
// form resource). Scripts that run the converter unattended can tell these apart.
#include "converter/OstrelFormUnit.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace Forms;
    enum { RunFinished = 0, RunStopped = 1, StartFailed = 2 };
    const char* title = "Конвертер шаблонов оформления";
    try {
        Application->Initialize();
        Application->SetTitle(title);
        Application->CreateForm(OstrelFormUnit::OstrelForm);
        Application->Run();
    } catch (const std::exception& e) {
        // Start-up failed (no window, no form resource): say so rather than vanish.
        std::u16string text = SysUtils::Utf8ToUtf16(e.what()), caption = SysUtils::Utf8ToUtf16(title);
        MessageBoxW(nullptr, reinterpret_cast<LPCWSTR>(text.c_str()),
                    reinterpret_cast<LPCWSTR>(caption.c_str()), MB_ICONERROR | MB_OK);
        return StartFailed;
    }
    return OstrelFormUnit::OstrelForm != nullptr && OstrelFormUnit::OstrelForm->GetRunFinished() ? RunFinished
                                                                                                 : RunStopped;
}

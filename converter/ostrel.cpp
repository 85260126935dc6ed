// ostrel: the template converter. Adds the style record "Тип позиции" to every template table of a folder
// that holds exactly 43 styles, showing its progress in a small window that closes itself.
//
//   ostrel.exe [FOLDER]      the folder of the *.db tables; without it, the program's own folder
#include "converter/OstrelFormUnit.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace Forms;
    const char* title = "Конвертер шаблонов оформления";
    try {
        Application->Initialize();
        Application->SetTitle(title);
        Application->CreateForm(OstrelFormUnit::OstrelForm);
        Application->Run();
    } catch (const std::exception& e) {
        // Start-up failed (no window, no form resource): say so rather than vanish.
        std::u16string text = SysUtils::Utf8ToUtf16(e.what()), caption = SysUtils::Utf8ToUtf16(title);
        MessageBoxW(nullptr, reinterpret_cast<LPCWSTR>(text.c_str()), reinterpret_cast<LPCWSTR>(caption.c_str()),
                    MB_ICONERROR | MB_OK);
    }
    return 0;
}

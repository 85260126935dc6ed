// ostrel: the template converter. Adds the style record "Тип позиции" to every template table of a folder
// that holds exactly 43 styles, showing its progress in a small window that closes itself.
//
//   ostrel.exe [FOLDER]      the folder of the *.db tables; without it, the program's own folder
#include "converter/OstrelFormUnit.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace Forms;
    Application->Initialize();
    Application->SetTitle("Конвертер шаблонов оформления");
    Application->CreateForm(OstrelFormUnit::OstrelForm);
    Application->Run();
    return 0;
}

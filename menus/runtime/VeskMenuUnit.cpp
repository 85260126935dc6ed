// VeskMenu: the unit's initialisation and finalisation.
#include "menus/runtime/VeskMenu.h"

#include "framework/core/ClassesRegistry.h"

namespace VeskMenu {

namespace {

// The screen's cursor 5 is the package's menu cursor (TVeskMenu::Cursor = 5 shows it while a menu is open).
constexpr int kMenuCursor = 5;

} // namespace

void Initialization() {
    Classes::RegisterClasses({&TVeskMenu::ClassInfo, &TVeskMenuItem::ClassInfo, &TVeskMenuForm::ClassInfo});
    if (Forms::Screen != nullptr)
        Forms::Screen->SetCursors(kMenuCursor, LoadCursorW(PackageInstance(), L"CUR_MENU"));
}

void Finalization() {
    if (Forms::Screen != nullptr) Forms::Screen->SetCursors(kMenuCursor, nullptr);
    Classes::UnRegisterClasses({&TVeskMenu::ClassInfo, &TVeskMenuItem::ClassInfo, &TVeskMenuForm::ClassInfo});
}

} // namespace VeskMenu

// MenuShowForm: the window of menushow.exe. It shows the showcase of the menus package, or any form read from
// a text form file, and opens its menus as a person would, or as a script asks for, taking pictures.
//
//   auto form = MenuShow::TMenuShowForm::FromFile("Form1.dfm");   // or MenuShow::BuildShowcase()
//   form->Show();
//   form->ShootPopup(form->FindPopup("PopupMenu1"), 2, "popup.png"); // entry 2 highlighted, then a picture
//
// Menus open with the form's window as their owner window, so that the form's TVeskMenu components decorate
// them: a right click opens the form's first popup menu (the showcase: the second one on the right half).
#pragma once

#include "menus/runtime/VeskMenu.h"

#include <memory>

namespace MenuShow {

using SysUtils::String;

class TMenuShowForm : public Forms::TForm {
    DECLARE_CLASS(TMenuShowForm, Forms::TForm)
public:
    using TForm::TForm;

    // A form read from a text form file; its event handlers are left out (there is no code behind them).
    // SysUtils::Exception naming the file for a missing or damaged one.
    static std::unique_ptr<TMenuShowForm> FromFile(const String& FileName);

    Menus::TPopupMenu* FindPopup(const String& Name) const;
    std::vector<Menus::TPopupMenu*> Popups() const;

    // Opens Popup at the form's client origin (TrackPopupMenu, the form's window as owner), moves the
    // highlight to entry Select (from 0, -1 for none) as the keyboard would, saves a PNG of the menu's
    // window when Shot is not empty, and closes the menu. False when the menu did not open.
    bool ShootPopup(Menus::TPopupMenu* Popup, int Select, const String& Shot);
    // The same for the drop-down of the main menu's top-level entry Index (from 0).
    bool ShootBar(int Index, int Select, const String& Shot);

    void WndProc(Messages::TMessage& Message) override;
};

// The showcase: a form with a main menu and two popup menus that use every feature of TVeskMenu.
std::unique_ptr<TMenuShowForm> BuildShowcase();

} // namespace MenuShow

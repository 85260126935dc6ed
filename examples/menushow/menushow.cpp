// menushow.exe: the menus package's showcase, and a preview of any form's menus without writing code.
//
//   menushow.exe                              the showcase (right click for its popup menus)
//   menushow.exe FORM.dfm                     the form of a text (or binary) form file, created for real
//   ... --popup NAME [--select K] [--shot FILE.png]   open the popup menu NAME at the form's client origin
//   ... --bar N [--select K] [--shot FILE.png]        open the drop-down of the main menu's entry N (from 0)
//   ... --shots DIR                           pictures of every menu (the showcase: its chosen set)
//
// With --shot the picture of the open menu's window is saved, the menu closed and the program ends with 0.
// Errors are a message on standard error and exit code 1 (2 for a wrong command line).
#include "examples/common/WindowShot.h"
#include "examples/menushow/MenuShowForm.h"
#include "framework/vcl/SysInit.h"

#include <cstdio>

using namespace MenuShow;
using SysUtils::String;

namespace {

struct TOptions {
    String Form, Popup, Shot, Shots;
    int Bar = -1, Select = -1;
};

[[noreturn]] void Usage(const String& Problem) {
    std::fprintf(stderr,
                 "menushow: %s\nusage: menushow.exe [FORM.dfm] [--popup NAME | --bar N] [--select K] "
                 "[--shot FILE.png] [--shots DIR]\n",
                 Problem.c_str());
    std::exit(2);
}

int Number(const String& Option, const String& Text) {
    int value = 0;
    if (!SysUtils::TryStrToInt(Text, value) || value < 0)
        Usage(Option + " needs a number from 0, not '" + Text + "'");
    return value;
}

TOptions Parse() {
    TOptions o;
    int n = System::ParamCount();
    for (int i = 1; i <= n; ++i) {
        String a = System::ParamStr(i);
        auto value = [&]() -> String {
            if (i == n) Usage(a + " needs a value");
            return System::ParamStr(++i);
        };
        if (a == "--popup")
            o.Popup = value();
        else if (a == "--bar")
            o.Bar = Number(a, value());
        else if (a == "--select")
            o.Select = Number(a, value());
        else if (a == "--shot")
            o.Shot = value();
        else if (a == "--shots")
            o.Shots = value();
        else if (a.rfind("--", 0) == 0)
            Usage("unknown option " + a);
        else if (o.Form.empty())
            o.Form = a;
        else
            Usage("one form file at a time");
    }
    if (!o.Popup.empty() && o.Bar >= 0) Usage("--popup and --bar open one menu each: give one of them");
    if (!o.Shot.empty() && o.Popup.empty() && o.Bar < 0) Usage("--shot needs --popup or --bar");
    return o;
}

String Join(const String& Dir, const String& Name) {
    return Dir.empty() || Dir.back() == '\\' || Dir.back() == '/' ? Dir + Name : Dir + "\\" + Name;
}

// The showcase's pictures, or one of every menu of another form.
void WriteShots(TMenuShowForm& Form, const String& Dir, bool Showcase) {
    CreateDirectoryW(reinterpret_cast<LPCWSTR>(SysUtils::Utf8ToUtf16(Dir).c_str()), nullptr);
    if (Showcase) {
        Form.ShootBar(0, 2, Join(Dir, "menu-file.png"));
        Form.ShootBar(1, 1, Join(Dir, "menu-edit.png"));
        Form.ShootBar(2, 2, Join(Dir, "menu-view.png"));
        Form.ShootPopup(Form.FindPopup("PopupMenu1"), 3, Join(Dir, "popup-bar.png"));
        Form.ShootPopup(Form.FindPopup("PopupMenu2"), 1, Join(Dir, "popup-stacked.png"));
        Examples::SaveScreenShot(Form.GetHandle(), Join(Dir, "showcase-window.png"));
        return;
    }
    for (Menus::TPopupMenu* p : Form.Popups())
        Form.ShootPopup(p, -1, Join(Dir, "popup-" + p->GetName() + ".png"));
    if (Menus::TMainMenu* main = Form.GetMenu())
        for (int i = 0; i < main->GetItems()->GetCount(); ++i)
            if (main->GetItems()->GetItem(i)->GetCount() > 0)
                Form.ShootBar(i, -1, Join(Dir, "bar-" + SysUtils::IntToStr(i) + ".png"));
}

// Exceptions that leave the menus' handlers: on standard error, and the run fails.
struct TErrors : System::TObject {
    int Count = 0;
    void Show(System::TObject*, SysUtils::Exception* E) {
        std::fprintf(stderr, "menushow: %s\n", E->Message().c_str());
        ++Count;
    }
};

} // namespace

int main() {
    // The program links the menus package: it is initialised (its classes known to form files) for the run.
    SysInit::TLinkedPackage package(L"VeskMenus.dll");
    TOptions o = Parse();
    TErrors errors;
    bool scripted = !o.Shot.empty() || !o.Shots.empty();
    try {
        Forms::Application->Initialize();
        Forms::Application->SetTitle("menushow");
        if (scripted)
            Forms::Application->SetOnException(Forms::TExceptionEvent::Bind<&TErrors::Show>(&errors));
        std::unique_ptr<TMenuShowForm> form =
            o.Form.empty() ? BuildShowcase() : TMenuShowForm::FromFile(o.Form);
        Menus::TPopupMenu* popup = nullptr;
        if (!o.Popup.empty() && (popup = form->FindPopup(o.Popup)) == nullptr)
            throw SysUtils::Exception("The form has no popup menu named " + o.Popup);
        form->Show();
        Forms::Application->ProcessMessages();
        if (!o.Shots.empty()) {
            WriteShots(*form, o.Shots, o.Form.empty());
            return errors.Count == 0 ? 0 : 1;
        }
        bool opened = true;
        if (popup != nullptr) opened = form->ShootPopup(popup, o.Select, o.Shot);
        if (o.Bar >= 0) opened = form->ShootBar(o.Bar, o.Select, o.Shot);
        if (!opened) throw SysUtils::Exception("The menu did not open");
        if (!o.Shot.empty()) return errors.Count == 0 ? 0 : 1;
        // For a person: the form stays until it is closed.
        while (form->GetShowing())
            Forms::Application->HandleMessage();
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "menushow: %s\n", e.what());
        return 1;
    }
}

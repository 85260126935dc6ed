// MenuShowForm: reading a form file, opening its menus, and the menu scripts behind the --shot options.
#include "examples/menushow/MenuShowForm.h"

#include "examples/common/WindowShot.h"
#include "framework/core/ClassesReaderWriter.h"
#include "framework/core/ClassesText.h"

#include <windowsx.h>

namespace MenuShow {

namespace {

// What a running menu script is to do; its steps run from a thread timer inside the menu's own loop.
struct TScript {
    HWND Form = nullptr;
    int Bar = -1;     // open the drop-down of this menu bar entry first (keyboard), or -1 for a popup
    int DownKeys = 0; // the keys that move the highlight to the entry asked for
    String Shot;
    int Step = 0;
    int Idle = 0;
    bool Opened = false, Done = false;
    String Error;
};
TScript* Running = nullptr;

void CALLBACK ScriptTick(HWND, UINT, UINT_PTR, DWORD) {
    TScript& s = *Running;
    if (s.Done) return;
    HWND menu = Examples::OpenMenuWindow();
    if (menu == nullptr) {
        if (s.Bar >= 0 && s.Step == 0) {
            // The bar is highlighted (SC_KEYMENU): move to the entry and open its drop-down.
            HWND focus = GetFocus() != nullptr ? GetFocus() : s.Form;
            for (int i = 0; i < s.Bar; ++i)
                PostMessageW(focus, WM_KEYDOWN, VK_RIGHT, 0);
            PostMessageW(focus, WM_KEYDOWN, VK_DOWN, 0);
            s.Step = 1;
            return;
        }
        if (++s.Idle > 30) { // three seconds and no menu: it did not open
            s.Error = "the menu did not open";
            s.Done = true;
            EndMenu();
        }
        return;
    }
    s.Opened = true;
    if (s.Step <= 1) {
        for (int i = 0; i < s.DownKeys; ++i)
            PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
        s.Step = 2;
        return;
    }
    if (s.Step == 2) { // one more tick, so that the highlight has been drawn
        s.Step = 3;
        return;
    }
    try {
        if (!s.Shot.empty()) Examples::SaveWindowShot(menu, s.Shot);
    } catch (const std::exception& e) {
        s.Error = e.what();
    }
    s.Done = true;
    EndMenu();
}

// The number of down-arrow keys from no highlight to entry Select of Menu (separators are skipped by the
// keyboard); SysUtils::Exception when the entry is beyond the menu or a separator.
int DownKeysTo(HMENU Menu, int Select) {
    if (Select < 0) return 0;
    int count = GetMenuItemCount(Menu);
    if (Select >= count)
        throw SysUtils::Exception("The menu has no entry " + SysUtils::IntToStr(Select) + " (it has " +
                                  SysUtils::IntToStr(count) + ")");
    int keys = 0;
    for (int i = 0; i <= Select; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE;
        GetMenuItemInfoW(Menu, UINT(i), TRUE, &info);
        bool separator = (info.fType & MFT_SEPARATOR) != 0;
        if (i == Select && separator)
            throw SysUtils::Exception("Entry " + SysUtils::IntToStr(Select) +
                                      " is a separator: it cannot be highlighted");
        if (!separator) ++keys;
    }
    return keys;
}

// Handles messages until Done, for at most ten seconds.
bool PumpUntil(const std::function<bool()>& Done) {
    ULONGLONG deadline = GetTickCount64() + 10000;
    MSG msg;
    while (!Done() && GetTickCount64() < deadline) {
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return Done();
}

} // namespace

std::unique_ptr<TMenuShowForm> TMenuShowForm::FromFile(const String& FileName) {
    Classes::TMemoryStream file;
    try {
        file.LoadFromFile(FileName);
    } catch (const std::exception& e) {
        throw SysUtils::Exception("Cannot open " + FileName + ": " + e.what());
    }
    auto form = std::make_unique<TMenuShowForm>(nullptr);
    try {
        Classes::TMemoryStream binary;
        const auto& bytes = file.Bytes();
        bool isBinary = bytes.size() >= 4 && std::equal(bytes.begin(), bytes.begin() + 4, "TPF0");
        if (isBinary) {
            binary.LoadFromStream(file);
        } else {
            file.SetPosition(0);
            Classes::ObjectTextToBinary(file, binary);
        }
        binary.SetPosition(0);
        Classes::TReader reader(binary);
        reader.OnFindMethod = [](const String&, bool& Error) { Error = false; };
        reader.ReadRootComponent(form.get());
    } catch (const std::exception& e) {
        throw SysUtils::Exception("Cannot read the form " + FileName + ": " + e.what());
    }
    return form;
}

std::vector<Menus::TPopupMenu*> TMenuShowForm::Popups() const {
    std::vector<Menus::TPopupMenu*> popups;
    for (int i = 0; i < GetComponentCount(); ++i)
        if (auto* p = dynamic_cast<Menus::TPopupMenu*>(GetComponent(i))) popups.push_back(p);
    return popups;
}

Menus::TPopupMenu* TMenuShowForm::FindPopup(const String& Name) const {
    return dynamic_cast<Menus::TPopupMenu*>(FindComponent(Name));
}

bool TMenuShowForm::ShootPopup(Menus::TPopupMenu* Popup, int Select, const String& Shot) {
    TScript script;
    script.Form = GetHandle();
    script.DownKeys = DownKeysTo(Popup->GetHandle(), Select);
    script.Shot = Shot;
    Running = &script;
    SetForegroundWindow(GetHandle());
    UINT_PTR timer = SetTimer(nullptr, 0, 100, &ScriptTick);
    POINT origin{0, 0};
    ClientToScreen(GetHandle(), &origin);
    TrackPopupMenu(Popup->GetHandle(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, origin.x, origin.y, 0,
                   GetHandle(), nullptr);
    KillTimer(nullptr, timer);
    Running = nullptr;
    Forms::Application->ProcessMessages();
    if (!script.Error.empty())
        throw SysUtils::Exception("Cannot take the picture of the popup menu: " + script.Error);
    return script.Opened;
}

bool TMenuShowForm::ShootBar(int Index, int Select, const String& Shot) {
    Menus::TMainMenu* menu = GetMenu();
    if (menu == nullptr) throw SysUtils::Exception("The form has no main menu");
    HMENU bar = menu->GetHandle();
    HMENU dropDown = GetSubMenu(bar, Index);
    if (Index < 0 || dropDown == nullptr)
        throw SysUtils::Exception("The main menu has no drop-down at entry " + SysUtils::IntToStr(Index) +
                                  " (it has " + SysUtils::IntToStr(GetMenuItemCount(bar)) + " entries)");
    TScript script;
    script.Form = GetHandle();
    script.Bar = Index;
    script.DownKeys = DownKeysTo(dropDown, Select);
    // The keyboard opens a drop-down with its first selectable entry highlighted.
    if (script.DownKeys > 0) --script.DownKeys;
    script.Shot = Shot;
    Running = &script;
    SetForegroundWindow(GetHandle());
    ::SetFocus(GetHandle());
    UINT_PTR timer = SetTimer(nullptr, 0, 100, &ScriptTick);
    PostMessageW(GetHandle(), WM_SYSCOMMAND, SC_KEYMENU, 0);
    bool finished = PumpUntil([&] { return script.Done; });
    KillTimer(nullptr, timer);
    Running = nullptr;
    if (!finished) EndMenu();
    Forms::Application->ProcessMessages();
    if (!script.Error.empty())
        throw SysUtils::Exception("Cannot take the picture of the drop-down: " + script.Error);
    return script.Opened;
}

void TMenuShowForm::WndProc(Messages::TMessage& Message) {
    if (Message.Msg == WM_CONTEXTMENU) {
        std::vector<Menus::TPopupMenu*> popups = Popups();
        if (!popups.empty()) {
            POINT at{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
            if (at.x == -1 && at.y == -1) { // from the keyboard: at the client origin
                at = {0, 0};
                ClientToScreen(GetHandle(), &at);
            }
            // Two popups: the second one on the right half of the form.
            POINT client = at;
            ScreenToClient(GetHandle(), &client);
            Menus::TPopupMenu* popup =
                popups.size() > 1 && client.x > GetClientWidth() / 2 ? popups[1] : popups[0];
            TrackPopupMenu(popup->GetHandle(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0,
                           GetHandle(), nullptr);
            return;
        }
    }
    inherited::WndProc(Message);
}

PUBLISHED(TMenuShowForm, "MenuShowForm");

} // namespace MenuShow

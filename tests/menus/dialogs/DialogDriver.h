// Driving the system's modal dialogs from the test's own thread: a thread timer, dispatched inside the
// dialog's modal loop, finds each new visible dialog window (#32770) of the thread and hands it to the
// test's action, which fills it in and presses a button.
#pragma once

#include "tests/support/WinTest.h"

#include <windows.h>

#include <functional>
#include <vector>

namespace DialogsTest {

using SysUtils::String;

// The thread's visible dialog windows, topmost first.
inline std::vector<HWND> ThreadDialogs() {
    std::vector<HWND> found;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND h, LPARAM lp) -> BOOL {
            wchar_t cls[16] = {};
            GetClassNameW(h, cls, 16);
            if (IsWindowVisible(h) && wcscmp(cls, L"#32770") == 0)
                reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// The static text of a message box.
inline String BoxText(HWND Box) {
    HWND text = GetDlgItem(Box, 0xFFFF);
    return text ? WinTest::WindowText(text) : String();
}

inline void PressButton(HWND Dialog, int Id) {
    PostMessageW(Dialog, WM_COMMAND, MAKEWPARAM(Id, BN_CLICKED), LPARAM(GetDlgItem(Dialog, Id)));
}

// While it lives, every new dialog of the thread goes to Action (once), in the order they appear.
class TDialogDriver {
public:
    using TAction = std::function<void(HWND Dialog)>;
    explicit TDialogDriver(TAction Action) : FAction(std::move(Action)) {
        Current() = this;
        FTimer = SetTimer(nullptr, 0, 50, &Tick);
    }
    ~TDialogDriver() {
        KillTimer(nullptr, FTimer);
        Current() = nullptr;
    }
    TDialogDriver(const TDialogDriver&) = delete;
    TDialogDriver& operator=(const TDialogDriver&) = delete;
    // How many dialogs were handed to the action.
    int Count() const { return int(FSeen.size()); }

private:
    static TDialogDriver*& Current() {
        static TDialogDriver* current = nullptr;
        return current;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        TDialogDriver* self = Current();
        if (self == nullptr || self->FBusy) return;
        for (HWND h : ThreadDialogs()) {
            bool seen = false;
            for (HWND s : self->FSeen)
                seen = seen || s == h;
            if (seen) continue;
            self->FSeen.push_back(h);
            self->FBusy = true;
            self->FAction(h);
            self->FBusy = false;
            return;
        }
    }

    TAction FAction;
    UINT_PTR FTimer = 0;
    bool FBusy = false;
    std::vector<HWND> FSeen;
};

// A scenario run from a thread timer, so that it goes on inside modal loops (a dialog's ShowModal, the
// message boxes and colour dialogs it opens): each tick runs the current step, which returns true when it is
// done; the next tick runs the next one. A step acts by posting input and waits by returning false.
//
// A watchdog ends a scenario that went astray instead of letting it wait for ever: after WatchdogMs it
// cancels every system dialog of the thread and runs Abandon (which ends the test's own modal run) on each
// tick. Not a timing assertion: a correct program never meets it, and the test then fails on Finished().
class TScript {
public:
    using TStep = std::function<bool()>;
    explicit TScript(std::vector<TStep> Steps, std::function<void()> Abandon = {}, DWORD WatchdogMs = 20000)
        : FSteps(std::move(Steps)), FAbandon(std::move(Abandon)), FDeadline(GetTickCount() + WatchdogMs) {
        Current() = this;
        FTimer = SetTimer(nullptr, 0, 50, &Tick);
    }
    ~TScript() {
        KillTimer(nullptr, FTimer);
        Current() = nullptr;
    }
    TScript(const TScript&) = delete;
    TScript& operator=(const TScript&) = delete;
    // How many steps are done.
    size_t Done() const { return FIndex; }
    bool Finished() const { return FIndex == FSteps.size(); }

private:
    static TScript*& Current() {
        static TScript* current = nullptr;
        return current;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        TScript* self = Current();
        if (self == nullptr) return;
        // Also while a step is stuck in a modal loop it opened.
        if (!self->Finished() && int(GetTickCount() - self->FDeadline) > 0) {
            for (HWND h : ThreadDialogs())
                PressButton(h, GetDlgItem(h, IDCANCEL) ? IDCANCEL : IDOK);
            if (self->FAbandon) self->FAbandon();
            return;
        }
        if (self->FBusy || self->Finished()) return;
        self->FBusy = true;
        if (self->FSteps[self->FIndex]()) ++self->FIndex;
        self->FBusy = false;
    }

    std::vector<TStep> FSteps;
    std::function<void()> FAbandon;
    DWORD FDeadline;
    size_t FIndex = 0;
    UINT_PTR FTimer = 0;
    bool FBusy = false;
};

// The thread's message box (a dialog with the static text 0xFFFF), or nullptr.
inline HWND FindMessageBox() {
    for (HWND h : ThreadDialogs())
        if (GetDlgItem(h, 0xFFFF) != nullptr) return h;
    return nullptr;
}

inline void PostKey(HWND Window, WORD Vk) {
    PostMessageW(Window, WM_KEYDOWN, Vk, 1);
    PostMessageW(Window, WM_KEYUP, Vk, 0xC0000001);
}

} // namespace DialogsTest

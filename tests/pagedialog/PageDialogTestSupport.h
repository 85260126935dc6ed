// Helpers of the page setup tests: a count of live global memory blocks, a spy on the package's call of the
// system's page setup dialog, a script that works the real dialog from a thread timer, and a guard that
// takes the prefix's printers away for a while.
#pragma once

#include "framework/vcl/Forms.h"
#include "framework/vcl/Printers.h"
#include "pagedialog/PageDialog.h"
#include "tests/support/WinTest.h"

#include <commdlg.h>
#include <dlgs.h>
#include <winspool.h>

#include <functional>
#include <stdexcept>
#include <vector>

namespace PageDialogTest {

using SysUtils::String;
using WinTest::Utf8;

// The moveable global memory blocks the process holds. Wine keeps their handles in a table that its
// KernelBaseGetGlobalData points at (16-byte entries, flag 1 on a live one). Every page setup dialog of a
// process leaves five blocks of its own behind the first time (the system's caches): warm up first.
int LiveGlobalBlocks();

// What the package handed the system dialog, read when the call came, and what the call did.
struct TDialogCall {
    PAGESETUPDLGW Record{}; // as passed in
    WORD DriverOffset = 0, DeviceOffset = 0, OutputOffset = 0, Default = 0;
    String Driver, Device, Port; // the device-names block's strings
    std::vector<BYTE> DevMode;   // the device mode block's bytes
    std::vector<HWND> Enabled;   // the watched windows enabled while the dialog was open
    BOOL Result = FALSE;
};

// Replaces tessip.dll's import of PageSetupDlgW, so every call is recorded before the real dialog runs (or,
// with ThrowNext, fails with an exception instead, as a failing dialog call would).
class TDialogSpy {
public:
    static void Install();
    static std::vector<TDialogCall> Calls;
    static std::vector<HWND> Watched;
    static bool ThrowNext;
};

// One action on a dialog of this thread, done when a dialog of its kind is the enabled one on top.
struct TStep {
    bool (*Which)(HWND Dialog);
    std::function<void(HWND Dialog)> Do;
};
bool IsPageSetup(HWND Dialog);  // has the margin edits
bool IsPrintSetup(HWND Dialog); // the printer dialog behind "Printer...": has the printer list, no margins
bool IsAnyDialog(HWND Dialog);
// Presses a button of the dialog.
TStep Press(int Button, bool (*Which)(HWND) = IsPageSetup);

// Runs the steps, one per tick, on the dialogs this thread shows while it lives, and records the page
// setup dialog's rectangle when it first shows. A script that is still not through after its watchdog
// cancels every dialog it finds, so that a broken test fails instead of hanging.
class TDialogScript {
public:
    explicit TDialogScript(std::vector<TStep> Steps);
    ~TDialogScript();
    TDialogScript(const TDialogScript&) = delete;
    TDialogScript& operator=(const TDialogScript&) = delete;
    bool Finished() const { return FNext == FSteps.size(); }
    RECT FirstRect{};

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    std::vector<TStep> FSteps;
    size_t FNext = 0;
    int FTicks = 0;
    UINT_PTR FTimer = 0;
};

// Deletes every printer of the prefix and puts them back (the default one default again) when it goes.
class TNoPrinters {
public:
    TNoPrinters();
    ~TNoPrinters();
    TNoPrinters(const TNoPrinters&) = delete;
    TNoPrinters& operator=(const TNoPrinters&) = delete;

private:
    std::vector<BYTE> FSaved;
    DWORD FCount = 0;
    std::wstring FDefault;
};

// The names the prefix's printers have (tools/wine/addprn.c).
inline const String TestPrinter = "TestPS";
inline const String CyrillicPrinter = "Принтер бухгалтерии";

// The device mode's printer name and orientation, and a block's bytes.
String DeviceName(HGLOBAL DevMode);
short Orientation(HGLOBAL DevMode);
std::vector<BYTE> Bytes(HGLOBAL Block);

// What a printer object's GetPrinter gives.
struct TCurrent {
    String Device, Driver, Port;
    HGLOBAL Mode = nullptr;
};
TCurrent Current(Printers::TPrinter& Printer = *Printers::Printer());

} // namespace PageDialogTest

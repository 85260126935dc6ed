// Helpers of the page setup tests.
#include "tests/pagedialog/PageDialogTestSupport.h"

#include "tests/support/PackageTest.h"

#include <cstring>
#include <string>

namespace PageDialogTest {

// The tests link the package: it is initialised before them and finalised after them.
[[maybe_unused]] testing::Environment* const LinkedPackage =
    testing::AddGlobalTestEnvironment(new PackageTest::TLinkedPackage(L"tessip.dll"));

int LiveGlobalBlocks() {
    struct TEntry {
        WORD Flags;
        BYTE Lock;
        BYTE Pad[5];
        void* Ptr;
    };
    struct TGlobalData {
        TEntry *First, *End;
    };
    using TGet = TGlobalData*(WINAPI*)();
    auto get = reinterpret_cast<TGet>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernelbase.dll"), "KernelBaseGetGlobalData")));
    TGlobalData* data = get ? get() : nullptr;
    if (data == nullptr) return -1;
    int n = 0;
    for (TEntry* e = data->First; e && e < data->End; ++e)
        if (e->Flags & 1) ++n;
    return n;
}

std::vector<BYTE> Bytes(HGLOBAL Block) {
    std::vector<BYTE> out(GlobalSize(Block));
    WinHandles::TGlobalMemory::Lock lock(Block);
    if (lock.Get()) std::memcpy(out.data(), lock.Get(), out.size());
    return out;
}

String DeviceName(HGLOBAL DevMode) {
    WinHandles::TGlobalMemory::Lock lock(DevMode);
    auto* mode = static_cast<const DEVMODEW*>(lock.Get());
    return mode ? Utf8(std::wstring(mode->dmDeviceName, wcsnlen(mode->dmDeviceName, CCHDEVICENAME))) : "";
}

short Orientation(HGLOBAL DevMode) {
    WinHandles::TGlobalMemory::Lock lock(DevMode);
    auto* mode = static_cast<const DEVMODEW*>(lock.Get());
    return mode ? mode->dmOrientation : 0;
}

TCurrent Current(Printers::TPrinter& Printer) {
    TCurrent c;
    Printer.GetPrinter(c.Device, c.Driver, c.Port, c.Mode);
    return c;
}

// ==== TDialogSpy ===========================================================================================

std::vector<TDialogCall> TDialogSpy::Calls;
std::vector<HWND> TDialogSpy::Watched;
bool TDialogSpy::ThrowNext = false;

namespace {

using TPageSetupDlg = BOOL(WINAPI*)(LPPAGESETUPDLGW);
TPageSetupDlg RealPageSetupDlg = nullptr;

BOOL WINAPI SpyPageSetupDlg(LPPAGESETUPDLGW Record) {
    TDialogCall call;
    call.Record = *Record;
    if (Record->hDevNames) {
        WinHandles::TGlobalMemory::Lock lock(Record->hDevNames);
        auto* names = static_cast<const DEVNAMES*>(lock.Get());
        auto* text = reinterpret_cast<const wchar_t*>(names);
        call.DriverOffset = names->wDriverOffset;
        call.DeviceOffset = names->wDeviceOffset;
        call.OutputOffset = names->wOutputOffset;
        call.Default = names->wDefault;
        call.Driver = Utf8(text + names->wDriverOffset);
        call.Device = Utf8(text + names->wDeviceOffset);
        call.Port = Utf8(text + names->wOutputOffset);
    }
    if (Record->hDevMode) call.DevMode = Bytes(Record->hDevMode);
    for (HWND h : TDialogSpy::Watched)
        if (IsWindowEnabled(h)) call.Enabled.push_back(h);
    TDialogSpy::Calls.push_back(call);
    if (std::exchange(TDialogSpy::ThrowNext, false)) throw std::runtime_error("the dialog failed");
    TDialogSpy::Calls.back().Result = RealPageSetupDlg(Record);
    return TDialogSpy::Calls.back().Result;
}

// The slot of Module's import table through which it calls Function of Dll.
void** ImportSlot(HMODULE Module, const char* Dll, const char* Function) {
    auto* base = reinterpret_cast<BYTE*>(Module);
    auto* nt =
        reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const auto& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); imp->Name;
         ++imp) {
        if (_stricmp(reinterpret_cast<char*>(base + imp->Name), Dll) != 0) continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<char*>(byName->Name), Function) == 0)
                return reinterpret_cast<void**>(&slots->u1.Function);
        }
    }
    return nullptr;
}

} // namespace

void TDialogSpy::Install() {
    if (RealPageSetupDlg) return;
    void** slot = ImportSlot(GetModuleHandleW(L"tessip.dll"), "comdlg32.dll", "PageSetupDlgW");
    if (slot == nullptr) throw std::runtime_error("tessip.dll does not import PageSetupDlgW");
    DWORD old;
    VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &old);
    RealPageSetupDlg = reinterpret_cast<TPageSetupDlg>(*slot);
    *slot = reinterpret_cast<void*>(&SpyPageSetupDlg);
    VirtualProtect(slot, sizeof(void*), old, &old);
}

// ==== TDialogScript ========================================================================================

namespace {

TDialogScript* CurrentScript = nullptr;

BOOL CALLBACK FindTopDialog(HWND h, LPARAM lp) {
    wchar_t cls[16] = {};
    GetClassNameW(h, cls, 16);
    if (IsWindowVisible(h) && IsWindowEnabled(h) && wcscmp(cls, L"#32770") == 0) {
        *reinterpret_cast<HWND*>(lp) = h;
        return FALSE;
    }
    return TRUE;
}

} // namespace

bool IsPageSetup(HWND Dialog) {
    return GetDlgItem(Dialog, edt4) != nullptr;
}
bool IsPrintSetup(HWND Dialog) {
    return GetDlgItem(Dialog, cmb4) != nullptr && !IsPageSetup(Dialog);
}
bool IsAnyDialog(HWND) {
    return true;
}

TStep Press(int Button, bool (*Which)(HWND)) {
    return {Which, [Button](HWND d) {
                PostMessageW(d, WM_COMMAND, MAKEWPARAM(Button, BN_CLICKED), LPARAM(GetDlgItem(d, Button)));
            }};
}

TDialogScript::TDialogScript(std::vector<TStep> Steps) : FSteps(std::move(Steps)) {
    CurrentScript = this;
    FTimer = SetTimer(nullptr, 0, 40, &Tick);
}

TDialogScript::~TDialogScript() {
    KillTimer(nullptr, FTimer);
    CurrentScript = nullptr;
}

void CALLBACK TDialogScript::Tick(HWND, UINT, UINT_PTR, DWORD) {
    TDialogScript* self = CurrentScript;
    if (self == nullptr) return;
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindTopDialog, reinterpret_cast<LPARAM>(&dialog));
    if (dialog == nullptr) return;
    if (IsPageSetup(dialog) && self->FirstRect.right == 0) GetWindowRect(dialog, &self->FirstRect);
    // The watchdog (20 s): not a timing assertion; a correct test is through in a fraction of it.
    if (++self->FTicks > 500) {
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    if (self->Finished() || !self->FSteps[self->FNext].Which(dialog)) return;
    self->FSteps[self->FNext++].Do(dialog);
}

// ==== TNoPrinters ==========================================================================================

TNoPrinters::TNoPrinters() {
    DWORD needed = 0;
    EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &FCount);
    FSaved.resize(needed);
    if (needed == 0 ||
        !EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, FSaved.data(), needed, &needed, &FCount))
        FCount = 0;
    wchar_t name[256];
    DWORD size = 256;
    if (GetDefaultPrinterW(name, &size)) FDefault = name;
    auto* info = reinterpret_cast<PRINTER_INFO_2W*>(FSaved.data());
    for (DWORD i = 0; i < FCount; ++i) {
        PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ALL_ACCESS};
        HANDLE h = nullptr;
        if (!OpenPrinterW(info[i].pPrinterName, &h, &access)) continue;
        DeletePrinter(h);
        ClosePrinter(h);
    }
}

TNoPrinters::~TNoPrinters() {
    auto* info = reinterpret_cast<PRINTER_INFO_2W*>(FSaved.data());
    for (DWORD i = 0; i < FCount; ++i) {
        PRINTER_INFO_2W pi = info[i];
        pi.pDevMode = nullptr;
        pi.pSecurityDescriptor = nullptr;
        if (HANDLE h = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&pi))) ClosePrinter(h);
    }
    if (!FDefault.empty()) SetDefaultPrinterW(FDefault.c_str());
}

} // namespace PageDialogTest

// Printers: TPrinter and the global printer object.
//
// Invariants:
//   1. FDeviceMode is owned: freed exactly once, when it is replaced or with the object; a handle that
//      GetPrinter returned stays valid until the next SetPrinter, SetPrinterIndex or the object's end.
//   2. FNames and FDevices hold the same printers in the same order.
//   3. FPrinterIndex is -1 (not chosen: the default printer, resolved on first need) or an index of FDevices.
#include "framework/vcl/Printers.h"

#include "framework/vcl/WinHandles.h"

#include <winspool.h>

#include <algorithm>
#include <iterator>
#include <utility>

namespace Printers {

namespace {

std::u16string W(const String& s) {
    return SysUtils::Utf8ToUtf16(s);
}
String U(const wchar_t* s) {
    return s ? SysUtils::Utf16ToUtf8(reinterpret_cast<const char16_t*>(s)) : String();
}
LPWSTR WPtr(std::u16string& s) {
    return reinterpret_cast<LPWSTR>(s.data());
}

// OpenPrinterW/ClosePrinter.
class TPrinterHandle {
public:
    explicit TPrinterHandle(std::u16string& Name) {
        if (!OpenPrinterW(WPtr(Name), &FHandle, nullptr)) FHandle = nullptr;
    }
    TPrinterHandle(const TPrinterHandle&) = delete;
    TPrinterHandle& operator=(const TPrinterHandle&) = delete;
    ~TPrinterHandle() {
        if (FHandle) ClosePrinter(FHandle);
    }
    operator HANDLE() const { return FHandle; }

private:
    HANDLE FHandle = nullptr;
};

TPrinter* GlobalPrinter = nullptr;

} // namespace

TPrinter::TPrinter() = default;

TPrinter::~TPrinter() {
    ReplaceDeviceMode(nullptr);
}

void TPrinter::PrintersNeeded() {
    if (FListed) return;
    DWORD needed = 0, count = 0;
    const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    EnumPrintersW(flags, nullptr, 2, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed);
    if (needed == 0 || !EnumPrintersW(flags, nullptr, 2, buffer.data(), needed, &needed, &count)) count = 0;
    const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
    // Invariant 2.
    for (DWORD i = 0; i < count; ++i) {
        FDevices.push_back({U(info[i].pPrinterName), U(info[i].pDriverName), U(info[i].pPortName)});
        FNames.Add(FDevices.back().Device);
    }
    FListed = true;
}

int TPrinter::DefaultPrinterIndex() const {
    if (FDevices.empty()) return -1;
    DWORD size = 0;
    GetDefaultPrinterW(nullptr, &size);
    std::vector<wchar_t> name(size + 1, L'\0');
    if (size > 0 && GetDefaultPrinterW(name.data(), &size)) {
        int index = FNames.IndexOf(U(name.data()));
        if (index >= 0) return index;
    }
    return 0;
}

Classes::TStrings* TPrinter::GetPrinters() {
    PrintersNeeded();
    return &FNames;
}

int TPrinter::GetPrinterIndex() {
    PrintersNeeded();
    // Invariant 3: the default printer, once it is asked for.
    if (FPrinterIndex < 0) FPrinterIndex = DefaultPrinterIndex();
    return FPrinterIndex;
}

void TPrinter::SetPrinterIndex(int Value) {
    PrintersNeeded();
    if (Value == -1) Value = DefaultPrinterIndex();
    if (Value < -1 || Value >= int(FDevices.size())) throw EPrinter("Printer index out of range");
    if (Value == FPrinterIndex) return;
    ReplaceDeviceMode(nullptr);
    FPrinterIndex = Value;
}

void TPrinter::ReplaceDeviceMode(HGLOBAL DeviceMode) {
    // Invariant 1: the same handle handed back is kept, not freed.
    if (DeviceMode == FDeviceMode) return;
    if (FDeviceMode) GlobalFree(FDeviceMode);
    FDeviceMode = DeviceMode;
}

HGLOBAL TPrinter::MakeDeviceMode(const TPrinterDevice& Printer) const {
    std::u16string name = W(Printer.Device);
    TPrinterHandle handle(name);
    LONG size = handle ? DocumentPropertiesW(nullptr, handle, WPtr(name), nullptr, nullptr, 0) : -1;
    if (size <= 0) throw EPrinter("Printer selected is not valid");
    WinHandles::TGlobalMemory block(GMEM_MOVEABLE | GMEM_ZEROINIT, SIZE_T(size));
    {
        WinHandles::TGlobalMemory::Lock lock(block.Get());
        auto* mode = static_cast<DEVMODEW*>(lock.Get());
        if (mode == nullptr ||
            DocumentPropertiesW(nullptr, handle, WPtr(name), mode, nullptr, DM_OUT_BUFFER) != IDOK)
            throw EPrinter("Printer selected is not valid");
        // The device mode names its printer in full: a driver that works in a narrow code page (Wine's
        // PostScript driver) hands back "???????" for letters outside it.
        size_t n = std::min(name.size(), size_t(CCHDEVICENAME - 1));
        std::fill(std::begin(mode->dmDeviceName), std::end(mode->dmDeviceName), L'\0');
        std::copy(name.begin(), name.begin() + ptrdiff_t(n), mode->dmDeviceName);
    }
    return block.Release();
}

void TPrinter::GetPrinter(String& Device, String& Driver, String& Port, HGLOBAL& DeviceMode) {
    int index = GetPrinterIndex();
    if (index < 0) {
        Device.clear();
        Driver.clear();
        Port.clear();
        DeviceMode = nullptr;
        return;
    }
    const TPrinterDevice& printer = FDevices[size_t(index)];
    if (FDeviceMode == nullptr) FDeviceMode = MakeDeviceMode(printer);
    Device = printer.Device;
    Driver = printer.Driver;
    Port = printer.Port;
    DeviceMode = FDeviceMode;
}

void TPrinter::SetPrinter(const String& Device, const String& Driver, const String& Port,
                          HGLOBAL DeviceMode) {
    ReplaceDeviceMode(DeviceMode);
    PrintersNeeded();
    if (Device.empty()) throw EPrinter("Printer selected is not valid");
    int index = FNames.IndexOf(Device);
    if (index < 0) {
        // A printer the system did not list (a connection made since): it joins the list. Invariant 2.
        FDevices.push_back({Device, Driver, Port});
        try {
            index = FNames.Add(Device);
        } catch (...) {
            FDevices.pop_back();
            throw;
        }
    }
    FPrinterIndex = index;
}

TPrinter* Printer() {
    if (GlobalPrinter == nullptr) GlobalPrinter = new TPrinter();
    return GlobalPrinter;
}

TPrinter* SetPrinter(TPrinter* NewPrinter) {
    return std::exchange(GlobalPrinter, NewPrinter);
}

namespace {
struct TPrintersUnit {
    ~TPrintersUnit() { delete std::exchange(GlobalPrinter, nullptr); }
} PrintersUnit;
} // namespace

} // namespace Printers

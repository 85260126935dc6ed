// Printers: the printer object.
//
// Declares: TPrinter (the printers installed on the system, the current one with its device, driver and port
// names and its device mode), EPrinter, and the global printer object: Printer(), and SetPrinter to put
// another one in its place.
//
//   String device, driver, port;
//   HGLOBAL mode;
//   Printers::Printer()->GetPrinter(device, driver, port, mode);   // mode stays the printer object's
//   ...                                                           // a dialog edits a copy of mode
//   Printers::Printer()->SetPrinter(device, driver, port, copy);   // the object takes copy over
//
// The printer list is read on first need (every local and connected printer, by name, as the system lists
// them). Until a program chooses one, the current printer is the system's default printer (the first one
// when there is no default). A device mode (DEVMODEW in a moveable global memory block) is the printer's
// settings: paper, orientation, copies. The object owns its device mode: it makes it from the current
// printer's defaults on first need, frees it when the current printer changes, when SetPrinter hands it
// another one, and when the object goes. A machine without any printer is not an error: GetPrinter gives
// empty names and no device mode.
//
// Errors raise EPrinter: "Printer index out of range", "Printer selected is not valid" (a printer the system
// cannot open, found when its device mode is made).
#pragma once

#include "framework/core/ClassesLists.h"
#include "framework/core/System.h"

#include <windows.h>

#include <memory>
#include <vector>

namespace Printers {

using SysUtils::String;

VCL_EXCEPTION_CLASS(EPrinter, SysUtils::Exception);

class TPrinter : public System::TObject {
public:
    TPrinter();
    ~TPrinter() override;

    // The printers' names (their device names), in the system's order; printers that SetPrinter named and
    // the system did not list come after them.
    Classes::TStrings* GetPrinters();
    // The current printer's index in GetPrinters(); -1 only when there is no printer at all.
    int GetPrinterIndex();
    // -1 chooses the system's default printer. A different printer drops the device mode: the next read
    // makes it from the new printer's defaults.
    void SetPrinterIndex(int Value);

    // The current printer's names and its device mode, made first when there is none yet. DeviceMode remains
    // the printer object's: copy it to change it. No printer: empty names and nullptr.
    void GetPrinter(String& Device, String& Driver, String& Port, HGLOBAL& DeviceMode);
    // Makes Device the current printer (added to the list when the system does not list it) and takes
    // DeviceMode over: the object frees it when it is replaced. With nullptr the printer's defaults are made
    // on the next read. DeviceMode is taken over first, so it belongs to the object even when this raises.
    void SetPrinter(const String& Device, const String& Driver, const String& Port, HGLOBAL DeviceMode);

private:
    struct TPrinterDevice {
        String Device, Driver, Port;
    };
    void PrintersNeeded();
    int DefaultPrinterIndex() const;
    void ReplaceDeviceMode(HGLOBAL DeviceMode);
    HGLOBAL MakeDeviceMode(const TPrinterDevice& Printer) const;

    bool FListed = false;
    std::vector<TPrinterDevice> FDevices;
    Classes::TStringList FNames;
    int FPrinterIndex = -1; // -1: not chosen yet, the default printer
    HGLOBAL FDeviceMode = nullptr;
};

// The global printer object, made on first use and freed when the framework unloads.
TPrinter* Printer();
// Puts NewPrinter in place of the global printer object and returns the previous one, which the caller
// then owns (nullptr when none was made yet).
TPrinter* SetPrinter(TPrinter* NewPrinter);

} // namespace Printers

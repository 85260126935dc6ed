// PageDialog: TPageDialog.
//
// Invariants:
//   1. FFlags holds the flags of the current options plus exactly one unit flag, the current unit's.
//   2. Between calls the component holds no memory block: whatever block the record names during Execute
//      belongs to that call until the printer object takes the device mode, and is freed on every other way
//      out (the device names always).
#include "pagedialog/PageDialog.h"

#include "framework/core/ClassesRegistry.h"
#include "framework/vcl/DsgnIntf.h"
#include "framework/vcl/Forms.h"
#include "framework/vcl/Printers.h"
#include "framework/vcl/WinHandles.h"

#include <climits>
#include <cstring>
#include <utility>

namespace PageDialog {

using namespace TypInfo;
using SysUtils::String;

namespace {

// The unit factors, held in extended precision as the framework's constants are: 1/25.4, and the record's
// units (hundredths of a millimetre, thousandths of an inch) to the component's and back. An extended
// product of an integer and 0.01L rounds to the same double as the exact quotient, which a double 0.01
// does not (35 * 0.01 is 0.35000000000000003).
constexpr long double InchesPerMillimetre = 0.0393700787401574803L;
constexpr long double MillimetresPerInch = 25.4L;

long double RecordUnitsPerUnit(TMeasureUnit Unit) {
    return Unit == muMillimeters ? 100.0L : 1000.0L;
}
long double UnitsPerRecordUnit(TMeasureUnit Unit) {
    return Unit == muMillimeters ? 0.01L : 0.001L;
}

// A margin in the record's unit: nearest, halves to even; a value the record cannot hold is an error.
LONG ToRecord(double Margin, TMeasureUnit Unit) {
    int64_t v = SysUtils::Round(double(Margin * RecordUnitsPerUnit(Unit)));
    if (v < LONG_MIN || v > LONG_MAX)
        throw SysUtils::ERangeError("Margin " + SysUtils::FloatToStr(Margin) +
                                    " is out of the dialog's range");
    return LONG(v);
}

double FromRecord(LONG Value, TMeasureUnit Unit) {
    return double(Value * UnitsPerRecordUnit(Unit));
}

// A device-names block in the wide form the wide dialog reads: the DEVNAMES header, offsets counted in
// characters, then driver, device and port, each ended by a zero character. The default flag stays 0.
HGLOBAL MakeDevNames(const String& Driver, const String& Device, const String& Port) {
    std::u16string strings[] = {SysUtils::Utf8ToUtf16(Driver), SysUtils::Utf8ToUtf16(Device),
                                SysUtils::Utf8ToUtf16(Port)};
    const size_t header = sizeof(DEVNAMES) / sizeof(wchar_t);
    size_t chars = header;
    for (const auto& s : strings)
        chars += s.size() + 1;
    if (chars > 0xFFFF) throw Printers::EPrinter("Printer selected is not valid");
    WinHandles::TGlobalMemory block(GMEM_MOVEABLE | GMEM_ZEROINIT, chars * sizeof(wchar_t));
    {
        WinHandles::TGlobalMemory::Lock lock(block.Get());
        auto* names = static_cast<DEVNAMES*>(lock.Get());
        if (names == nullptr) throw Classes::EOutOfResources("Cannot lock a global memory block");
        auto* text = reinterpret_cast<char16_t*>(names);
        WORD* offsets[] = {&names->wDriverOffset, &names->wDeviceOffset, &names->wOutputOffset};
        size_t at = header;
        for (int i = 0; i < 3; ++i) {
            *offsets[i] = WORD(at);
            std::memcpy(text + at, strings[i].data(), strings[i].size() * sizeof(char16_t));
            at += strings[i].size() + 1;
        }
    }
    return block.Release();
}

// The string at a device-names offset, cut at the block's end should its zero be missing.
String DevNamesString(const char16_t* Text, size_t Chars, WORD Offset) {
    if (Offset >= Chars) return String();
    size_t n = 0;
    while (Offset + n < Chars && Text[Offset + n] != 0)
        ++n;
    return SysUtils::Utf16ToUtf8(std::u16string_view(Text + Offset, n));
}

// A new moveable, zeroed block of Source's size with Source's bytes; nullptr for nullptr or when no block
// can be had (the dialog then starts from the printer's defaults).
HGLOBAL CopyBlock(HGLOBAL Source) {
    if (Source == nullptr) return nullptr;
    SIZE_T size = GlobalSize(Source);
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (copy == nullptr) return nullptr;
    WinHandles::TGlobalMemory::Lock from(Source), to(copy);
    if (from.Get() && to.Get()) std::memcpy(to.Get(), from.Get(), size);
    return copy;
}

// The dialog's hook: on its initialisation, the dialog centred horizontally, a third of the free height
// from the top (quotients toward zero); everything else is left to the dialog.
UINT_PTR CALLBACK CentringHook(HWND Wnd, UINT Msg, WPARAM, LPARAM) {
    if (Msg != WM_INITDIALOG) return 0;
    RECT r;
    GetWindowRect(Wnd, &r);
    int x = (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 3;
    SetWindowPos(Wnd, nullptr, x, y, 0, 0, SWP_NOACTIVATE | SWP_NOSIZE | SWP_NOZORDER);
    return 1;
}

// Invariant 2: the record's blocks, freed when the call ends unless handed over first.
struct TRecordBlocks {
    PAGESETUPDLGW& Record;
    explicit TRecordBlocks(PAGESETUPDLGW& R) : Record(R) {}
    TRecordBlocks(const TRecordBlocks&) = delete;
    TRecordBlocks& operator=(const TRecordBlocks&) = delete;
    ~TRecordBlocks() {
        if (HGLOBAL h = std::exchange(Record.hDevMode, nullptr)) GlobalFree(h);
        if (HGLOBAL h = std::exchange(Record.hDevNames, nullptr)) GlobalFree(h);
    }
};

// The modal run: the program's windows disabled while the dialog is open, then (also when the call raises)
// enabled again and the window that was active activated again.
bool RunModal(PAGESETUPDLGW& Record) {
    Forms::TTaskModal modal;
    return PageSetupDlgW(&Record) != FALSE;
}

} // namespace

TPageDialog::TPageDialog(TComponent* AOwner) : TComponent(AOwner) {}

TPageDialog::~TPageDialog() = default;

void TPageDialog::SetPageOptions(TPageOptions Value) {
    FPageOptions = Value;
    FFlags = 0;
    // 2, 3. poDisableMargins wins: it takes poMargins out before poMargins is looked at.
    if (FPageOptions.Contains(poDisableMargins)) {
        FFlags |= PSD_DISABLEMARGINS;
        FPageOptions.Exclude(poMargins);
    }
    if (FPageOptions.Contains(poMargins)) {
        FFlags |= PSD_MARGINS;
        FPageOptions.Exclude(poDisableMargins);
    }
    // 4.
    if (FPageOptions.Contains(poDisableOrientation)) FFlags |= PSD_DISABLEORIENTATION;
    if (FPageOptions.Contains(poDisablePaper)) FFlags |= PSD_DISABLEPAPER;
    if (FPageOptions.Contains(poDisablePrinter)) FFlags |= PSD_DISABLEPRINTER;
    // 5. Invariant 1.
    FFlags |= FMeasureUnits == muMillimeters ? PSD_INHUNDREDTHSOFMILLIMETERS : PSD_INTHOUSANDTHSOFINCHES;
}

void TPageDialog::SetMeasureUnits(TMeasureUnit Value) {
    if (Value == FMeasureUnits) return;
    FMeasureUnits = Value;
    // A stream stores the margins in its own unit, and before the unit: converting them while they are read
    // would convert stored inches once more.
    if (!GetComponentState().Contains(Classes::csReading)) {
        long double factor = Value == muInches ? InchesPerMillimetre : MillimetresPerInch;
        FMarginTop = double(FMarginTop * factor);
        FMarginBottom = double(FMarginBottom * factor);
        FMarginLeft = double(FMarginLeft * factor);
        FMarginRight = double(FMarginRight * factor);
    }
    // Invariant 1.
    FFlags &= ~DWORD(PSD_INHUNDREDTHSOFMILLIMETERS | PSD_INTHOUSANDTHSOFINCHES);
    FFlags |= Value == muInches ? PSD_INTHOUSANDTHSOFINCHES : PSD_INHUNDREDTHSOFMILLIMETERS;
}

bool TPageDialog::Execute() {
    // 1. A fresh record; its blocks are this call's until handed over (invariant 2).
    FPageSetup = PAGESETUPDLGW{};
    FPageSetup.lStructSize = sizeof(FPageSetup);
    TRecordBlocks blocks(FPageSetup);
    // 2. The current printer. Its errors end the call here, before OnShow and the dialog.
    String device, driver, port;
    Printers::Printer()->GetPrinter(device, driver, port, FDevMode);
    if (FDevMode) FPageSetup.hDevNames = MakeDevNames(driver, device, port);
    // 3. The dialog edits a copy: the printer keeps its own device mode until the copy is handed to it.
    FPageSetup.hDevMode = CopyBlock(FDevMode);
    // 4. The margins in the record's unit; paper size and minimum margins stay zero.
    const RECT sent{ToRecord(FMarginLeft, FMeasureUnits), ToRecord(FMarginTop, FMeasureUnits),
                    ToRecord(FMarginRight, FMeasureUnits), ToRecord(FMarginBottom, FMeasureUnits)};
    FPageSetup.rtMargin = sent;
    // 5.
    FPageSetup.Flags = FFlags | PSD_ENABLEPAGESETUPHOOK;
    FPageSetup.hwndOwner = Forms::Application->GetHandle();
    FPageSetup.lpfnPageSetupHook = &CentringHook;
    // 6 to 8.
    FOnShow(this);
    bool result = RunModal(FPageSetup);
    FOnClose(this);
    // 9. The margins back in either case: after Cancel those that went in, so that they come back rounded
    // to the record's unit and nothing else. The dialog writes what the user typed (and the margins of an
    // orientation clicked) into the record also when the user then cancels.
    const RECT& back = result ? FPageSetup.rtMargin : sent;
    FMarginLeft = FromRecord(back.left, FMeasureUnits);
    FMarginTop = FromRecord(back.top, FMeasureUnits);
    FMarginRight = FromRecord(back.right, FMeasureUnits);
    FMarginBottom = FromRecord(back.bottom, FMeasureUnits);
    // 10. After OK the printer takes the dialog's printer and device mode over; without device names it
    // stays as it was. After Cancel it stays too: the dialog leaves a printer and settings chosen in it in
    // the record even then, so the record's blocks are only freed (invariant 2).
    if (result && FPageSetup.hDevNames) {
        WinHandles::TGlobalMemory::Lock lock(FPageSetup.hDevNames);
        if (const auto* names = static_cast<const DEVNAMES*>(lock.Get())) {
            const auto* text = reinterpret_cast<const char16_t*>(names);
            size_t chars = GlobalSize(FPageSetup.hDevNames) / sizeof(char16_t);
            Printers::Printer()->SetPrinter(DevNamesString(text, chars, names->wDeviceOffset),
                                            DevNamesString(text, chars, names->wDriverOffset),
                                            DevNamesString(text, chars, names->wOutputOffset),
                                            std::exchange(FPageSetup.hDevMode, nullptr));
        }
    }
    return result;
}

PUBLISHED(
    TPageDialog, "PageDialog", Prop<&TPageDialog::FMarginTop>("MarginTop").NoDefault(),
    Prop<&TPageDialog::FMarginBottom>("MarginBottom").NoDefault(),
    Prop<&TPageDialog::FMarginRight>("MarginRight").NoDefault(),
    Prop<&TPageDialog::FMarginLeft>("MarginLeft").NoDefault(),
    Prop<&TPageDialog::FMeasureUnits, &TPageDialog::SetMeasureUnits>("MeasureUnits").Default(muMillimeters),
    Prop<&TPageDialog::FPageOptions, &TPageDialog::SetPageOptions>("PageOptions"),
    Prop<&TPageDialog::FOnClose>("OnClose"), Prop<&TPageDialog::FOnShow>("OnShow"));

void Register() {
    DsgnIntf::RegisterComponents("Dialogs", {&TPageDialog::ClassInfo});
}

// The class is known to streams while the unit is initialised.
void Initialization() {
    Classes::RegisterClasses({&TPageDialog::ClassInfo});
}

void Finalization() {
    Classes::UnRegisterClasses({&TPageDialog::ClassInfo});
}

} // namespace PageDialog

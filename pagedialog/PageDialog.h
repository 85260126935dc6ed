// PageDialog: the page setup dialog component of the tessip package.
//
// Declares: TPageDialog (a non-visual component showing the system's page setup dialog: paper, orientation,
// printer and four margins held in millimetres or inches), its types TMeasureUnit, TPageSetupFlags and
// TPageOptions, and the unit's entries Initialization, Finalization and Register (the component on the
// palette page "Dialogs").
//
//   auto* dialog = new PageDialog::TPageDialog(form);        // margins 25, 25, 15, 15 mm
//   dialog->SetMeasureUnits(PageDialog::muInches);           // converted: 0.984251968503937 ... inches
//   dialog->SetPageOptions({PageDialog::poMargins, PageDialog::poDisablePrinter});
//   if (dialog->Execute())                                   // modal; the other windows are disabled
//       Layout(dialog->GetMarginTop(), dialog->GetMarginLeft());
//   // Printers::Printer() now has the printer, paper and orientation the user chose.
//
// Execute hands the dialog the framework printer's names and a copy of its device mode and the margins
// rounded to hundredths of a millimetre (thousandths of an inch), and centres the dialog on the screen (a
// third of the free height above it). After OK it takes the dialog's margins and hands its printer and
// device mode to the printer object; after Cancel the margins come back as they went in (so rounded) and
// the printer stays as it was, whatever was typed or chosen in the dialog. No memory block is left behind.
// The names travel as UTF-16, so printers named in any script survive the round trip.
//
// Published, in stream order: MarginTop, MarginBottom, MarginRight, MarginLeft (always stored, in the unit of
// MeasureUnits), MeasureUnits (default muMillimeters), PageOptions (always stored), OnClose, OnShow.
// Setting a margin converts nothing. Setting MeasureUnits converts the four margins, except while the
// component is read from a stream: the stored margins are in the stored unit already.
#pragma once

#include "framework/core/ClassesComponent.h"

#include <windows.h>

#include <commdlg.h>

namespace PageDialog {

using Classes::TComponent;
using Classes::TNotifyEvent;

PUBLISHED_ENUM(TMeasureUnit, uint8_t, muMillimeters, muInches)
PUBLISHED_ENUM(TPageSetupFlags, uint8_t, poDisableMargins, poMargins, poDisableOrientation, poDisablePaper,
               poDisablePrinter)
using TPageOptions = System::TSet<TPageSetupFlags>;

class TPageDialog : public TComponent {
    DECLARE_CLASS(TPageDialog, TComponent)
public:
    explicit TPageDialog(TComponent* AOwner);
    ~TPageDialog() override;

    // Shows the dialog modally: true after OK, false after Cancel or when the dialog failed (no printer:
    // the system says so first). Errors raised before the dialog shows reach the caller before OnShow: the
    // printer object's (Printers::EPrinter), and SysUtils::ERangeError for a margin the dialog cannot take
    // (not finite, or beyond 2^31 - 1 hundredths of a millimetre or thousandths of an inch).
    bool Execute();

    double GetMarginTop() const { return FMarginTop; }
    void SetMarginTop(double Value) { FMarginTop = Value; }
    double GetMarginLeft() const { return FMarginLeft; }
    void SetMarginLeft(double Value) { FMarginLeft = Value; }
    double GetMarginBottom() const { return FMarginBottom; }
    void SetMarginBottom(double Value) { FMarginBottom = Value; }
    double GetMarginRight() const { return FMarginRight; }
    void SetMarginRight(double Value) { FMarginRight = Value; }
    TMeasureUnit GetMeasureUnits() const { return FMeasureUnits; }
    void SetMeasureUnits(TMeasureUnit Value);
    // poDisableMargins wins over poMargins: [poDisableMargins, poMargins] reads back as [poDisableMargins].
    TPageOptions GetPageOptions() const { return FPageOptions; }
    void SetPageOptions(TPageOptions Value);
    // The system dialog's flags (PSD_...) the options and the unit give; Execute adds the hook's flag.
    DWORD GetFlags() const { return FFlags; }

    const TNotifyEvent& GetOnShow() const { return FOnShow; }
    void SetOnShow(const TNotifyEvent& Value) { FOnShow = Value; }
    const TNotifyEvent& GetOnClose() const { return FOnClose; }
    void SetOnClose(const TNotifyEvent& Value) { FOnClose = Value; }

private:
    PAGESETUPDLGW FPageSetup{};
    HGLOBAL FDevMode = nullptr; // the printer object's device mode as Execute last read it; not ours
    double FMarginTop = 25.0;
    double FMarginLeft = 15.0;
    double FMarginBottom = 25.0;
    double FMarginRight = 15.0;
    TMeasureUnit FMeasureUnits = muMillimeters;
    DWORD FFlags = PSD_MARGINS | PSD_INHUNDREDTHSOFMILLIMETERS;
    TPageOptions FPageOptions{poMargins};
    TNotifyEvent FOnClose;
    TNotifyEvent FOnShow;
};

// The unit's initialization (TPageDialog known to streams), its finalization, and its registration:
// TPageDialog on the palette page "Dialogs".
void Initialization();
void Finalization();
void Register();

} // namespace PageDialog

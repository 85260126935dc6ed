// Dialogs: the system's common dialogs as components, and message boxes.
//
// Declares: TCommonDialog (the base: a non-visual component whose Execute runs a system dialog modally),
// TColorDialog (the colour picker: Color, Options, CustomColors), TOpenDialog and TSaveDialog (the file
// dialogs: Title, Filter, FilterIndex, DefaultExt, FileName, InitialDir, Options), their option sets, and
// MessageDlg with TMsgDlgType and TMsgDlgButtons.
//
//   auto* dialog = new Dialogs::TColorDialog(form);     // owned by the form
//   dialog->SetColor(Graphics::clRed);
//   dialog->GetCustomColors()->Add("ColorA=336699");    // the first custom colour: red 33, green 66, blue 99
//   if (dialog->Execute()) Swatch->SetColor(dialog->GetColor());
//
//   auto* open = new Dialogs::TOpenDialog(form);
//   open->SetFilter("Edition files (*.vmn)|*.vmn|All files (*.*)|*.*");
//   open->SetDefaultExt("vmn");
//   if (open->Execute()) Load(open->GetFileName());     // the full path the user chose
//
//   if (Dialogs::MessageDlg("Save the changes?", Dialogs::mtConfirmation,
//                           {Dialogs::mbYes, Dialogs::mbNo, Dialogs::mbCancel}, 0) == Dialogs::mrYes) ...
//
// Execute is modal: the other windows of the program are disabled while the dialog is open, its owner is the
// active form (or the application's window), and when it returns the window that was active is active
// again. It returns true after OK and false after Cancel; a dialog the system cannot show raises
// EInvalidOperation with the system's error number. Texts travel as UTF-16, so any script works.
//
// Custom colours are up to sixteen lines "ColorA=RRGGBB" .. "ColorP=RRGGBB" (hexadecimal red, green, blue,
// as written by people: "ColorA=FF0000" is red). A missing or empty line is white. After OK the list holds
// the sixteen lines as the dialog left them; after Cancel it is left alone.
#pragma once

#include "framework/core/ClassesComponent.h"
#include "framework/core/ClassesLists.h"
#include "framework/vcl/Controls.h"
#include "framework/vcl/Graphics.h"

#include <functional>
#include <memory>

namespace Dialogs {

using Classes::TComponent;
using Classes::TNotifyEvent;
using Graphics::TColor;
using SysUtils::String;

// The results of MessageDlg: the numbers of the system's message box buttons (IDOK ...), as the forms'
// modal results use them.
inline constexpr int mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6,
                     mrNo = 7;

// ---- TCommonDialog ----------------------------------------------------------------------------------------

class TCommonDialog : public TComponent {
    DECLARE_CLASS(TCommonDialog, TComponent)
public:
    explicit TCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}
    // Shows the dialog modally: true after OK.
    virtual bool Execute() = 0;

    // The help topic of the dialog's Help button (0: none).
    int32_t GetHelpContext() const { return FHelpContext; }
    void SetHelpContext(int32_t Value) { FHelpContext = Value; }
    const TNotifyEvent& GetOnShow() const { return FOnShow; }
    void SetOnShow(const TNotifyEvent& Value) { FOnShow = Value; }
    const TNotifyEvent& GetOnClose() const { return FOnClose; }
    void SetOnClose(const TNotifyEvent& Value) { FOnClose = Value; }

protected:
    // The window that owns the dialog: the active form's, else the application's.
    static HWND OwnerWindow();
    // Runs Dialog (a call of the system's dialog function) modally, with OnShow before and OnClose after;
    // the task windows disabled meanwhile and the active window restored, also when it raises. A false
    // result with a non-zero CommDlgExtendedError (the dialog could not be shown) raises EInvalidOperation.
    bool TaskModalDialog(const std::function<BOOL()>& Dialog);

private:
    int32_t FHelpContext = 0;
    TNotifyEvent FOnShow, FOnClose;
};

// ---- TColorDialog -----------------------------------------------------------------------------------------

PUBLISHED_ENUM(TColorDialogOption, uint8_t, cdFullOpen, cdPreventFullOpen, cdShowHelp, cdSolidColor,
               cdAnyColor)
using TColorDialogOptions = System::TSet<TColorDialogOption>;

class TColorDialog : public TCommonDialog {
    DECLARE_CLASS(TColorDialog, TCommonDialog)
public:
    explicit TColorDialog(TComponent* AOwner);
    ~TColorDialog() override;

    // Opens on Color (a system colour is turned into its red, green and blue first); after OK, Color is what
    // the user chose, as red, green and blue.
    bool Execute() override;

    TColor GetColor() const { return FColor; }
    void SetColor(TColor Value) { FColor = Value; }
    TColorDialogOptions GetOptions() const { return FOptions; }
    void SetOptions(TColorDialogOptions Value) { FOptions = Value; }
    // The custom colours (see the top), streamed as CustomColors.Strings. The dialog owns its list;
    // SetCustomColors copies the lines.
    Controls::TPersistentStrings* GetCustomColors() const { return FCustomColors.get(); }
    void SetCustomColors(const Classes::TStrings* Value);

    // The sixteen custom colours of Lines as the system dialog takes them (COLORREF), and back as lines.
    // EConvertError "'%s' is not a valid custom colour" for a value that is not six hexadecimal digits.
    static void CustomColorsToRGB(const Classes::TStrings& Lines, COLORREF (&Colors)[16]);
    static void RGBToCustomColors(const COLORREF (&Colors)[16], Classes::TStrings& Lines);
    // The system dialog's flags (CC_...) of the options.
    static DWORD OptionFlags(TColorDialogOptions Options);

private:
    TColor FColor = Graphics::clBlack;
    TColorDialogOptions FOptions;
    std::unique_ptr<Controls::TPersistentStrings> FCustomColors;
};

// ---- TOpenDialog and TSaveDialog --------------------------------------------------------------------------

PUBLISHED_ENUM(TOpenOption, uint8_t, ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofShowHelp,
               ofNoValidate, ofExtensionDifferent, ofPathMustExist, ofFileMustExist, ofCreatePrompt,
               ofNoReadOnlyReturn, ofNoTestFileCreate)
using TOpenOptions = System::TSet<TOpenOption>;

class TOpenDialog : public TCommonDialog {
    DECLARE_CLASS(TOpenDialog, TCommonDialog)
public:
    explicit TOpenDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}

    // The file open dialog. After OK: FileName is the full path, FilterIndex the filter chosen, and the
    // options ofReadOnly (the read-only box was ticked) and ofExtensionDifferent (the name's extension is
    // not DefaultExt) tell what the dialog reported.
    bool Execute() override;

    const String& GetTitle() const { return FTitle; }
    void SetTitle(const String& Value) { FTitle = Value; }
    // Pairs of description and patterns, separated by "|": "Text files (*.txt)|*.txt;*.log|All|*.*".
    const String& GetFilter() const { return FFilter; }
    void SetFilter(const String& Value) { FFilter = Value; }
    // 1 for the first pair of Filter.
    int GetFilterIndex() const { return FFilterIndex; }
    void SetFilterIndex(int Value) { FFilterIndex = Value; }
    // Appended (after a ".") to a name typed without extension.
    const String& GetDefaultExt() const { return FDefaultExt; }
    void SetDefaultExt(const String& Value) { FDefaultExt = Value; }
    const String& GetFileName() const { return FFileName; }
    void SetFileName(const String& Value) { FFileName = Value; }
    const String& GetInitialDir() const { return FInitialDir; }
    void SetInitialDir(const String& Value) { FInitialDir = Value; }
    TOpenOptions GetOptions() const { return FOptions; }
    void SetOptions(TOpenOptions Value) { FOptions = Value; }

    // The system dialog's flags (OFN_...) of the options, OFN_EXPLORER included.
    static DWORD OptionFlags(TOpenOptions Options);
    // Filter as the system dialog takes it: the parts separated by NULs, two NULs at the end ("" when
    // empty). A description without patterns gets "*.*".
    static std::u16string SystemFilter(const String& Filter);

protected:
    // Runs GetOpenFileNameW (or, for the save dialog, GetSaveFileNameW) with the properties.
    bool DoExecute(BOOL(WINAPI* Function)(LPOPENFILENAMEW));

private:
    String FTitle, FFilter, FDefaultExt, FFileName, FInitialDir;
    int FFilterIndex = 1;
    TOpenOptions FOptions{ofHideReadOnly};
};

// The file save dialog: the same properties; ofOverwritePrompt asks before an existing file is chosen.
class TSaveDialog : public TOpenDialog {
    DECLARE_CLASS(TSaveDialog, TOpenDialog)
public:
    using TOpenDialog::TOpenDialog;
    bool Execute() override;
};

// ---- Message boxes ----------------------------------------------------------------------------------------

PUBLISHED_ENUM(TMsgDlgType, uint8_t, mtWarning, mtError, mtInformation, mtConfirmation, mtCustom)
PUBLISHED_ENUM(TMsgDlgBtn, uint8_t, mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbHelp)
using TMsgDlgButtons = System::TSet<TMsgDlgBtn>;

// The message in the system's message box titled with the application's title, with the icon of DlgType
// (none for mtCustom) and the buttons (the system's sets: OK; OK, Cancel; Yes, No; Yes, No, Cancel; Retry,
// Cancel; Abort, Retry, Ignore; mbHelp adds Help, which asks the application for topic HelpCtx). Returns the
// button pressed (mrOk ... mrNo); Esc or the close box give mrCancel where the box has Cancel. Other button
// sets raise EInvalidOperation "No message box has these buttons".
int MessageDlg(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int32_t HelpCtx);
// The system's flags (MB_...) of a type and a button set; EInvalidOperation as above.
UINT MessageDlgFlags(TMsgDlgType DlgType, TMsgDlgButtons Buttons);

} // namespace Dialogs

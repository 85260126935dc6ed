// VmBar: the bar editor dialog, which edits every setting of a menu's side bar (TVeskMenuBar) at once.
//
// Declares: TVeskMenuBarForm (read from its form resource; three colour buttons made at run time), the
// global VeskMenuBarForm, the unit's Initialization and Finalization, and the helpers the package's editor
// dialogs share (PlaceColorButton, CheckNumberEdit).
//
//   std::unique_ptr<VmBar::TVeskMenuBarForm> dialog(
//       Forms::TCustomForm::Create<VmBar::TVeskMenuBarForm>(Forms::Application));
//   dialog->SetInfo(menu->GetMenuBar());                  // the dialog works on a copy
//   if (dialog->ShowModal() == Forms::mrOk) menu->SetMenuBar(dialog->GetBar());   // copied again
//
// The dialog fills its controls from the copy when it is first activated, and writes them into the copy
// when OK is pressed. Size and Space are checked when their edits lose the focus and again on OK: text that
// is not an integer ("'12a' is not a valid integer value"), or a Space outside 0 to 65535 (the bar holds it
// in 16 bits: "'70000' is not a valid Space value: it takes 0 to 65535"), puts the previous text back,
// keeps the focus in the edit and the dialog open, and the message is shown. While a colour button has the
// focus, OK is not the default button, so Enter opens the colour dialog instead of closing this one.
#pragma once

#include "framework/vcl/ExtCtrls.h"
#include "framework/vcl/Forms.h"
#include "framework/vcl/StdCtrls.h"
#include "menus/design/Colorbtn.h"
#include "menus/runtime/VeskMenu.h"

#include <memory>

namespace VmBar {

using System::TObject;
using SysUtils::String;

class TVeskMenuBarForm : public Forms::TForm {
    DECLARE_CLASS(TVeskMenuBarForm, Forms::TForm)
public:
    using TForm::TForm;
    ~TVeskMenuBarForm() override;

    // Copies Value into the working copy (before the dialog is shown).
    void SetInfo(VeskMenu::TVeskMenuBar* Value);
    // The working copy, written by OK; the dialog keeps it.
    VeskMenu::TVeskMenuBar* GetBar() const { return FBar.get(); }

    // The form's controls: published fields, set as the form resource is read.
    ExtCtrls::TBevel* Bevel1 = nullptr;
    StdCtrls::TLabel* lbBackFrom = nullptr;
    StdCtrls::TLabel* lbBackTo = nullptr;
    StdCtrls::TLabel* lbFore = nullptr;
    StdCtrls::TLabel* lbCaption = nullptr;
    StdCtrls::TLabel* lbSize = nullptr;
    StdCtrls::TLabel* lbSpace = nullptr;
    StdCtrls::TLabel* lbCaptionAlign = nullptr;
    StdCtrls::TEdit* edtCaption = nullptr;
    StdCtrls::TEdit* edtSize = nullptr;
    StdCtrls::TEdit* edtSpace = nullptr;
    StdCtrls::TComboBox* cmbAlign = nullptr;
    StdCtrls::TCheckBox* cbIsGradient = nullptr;
    StdCtrls::TCheckBox* cbIsSerif = nullptr;
    StdCtrls::TCheckBox* cbIsSeparator = nullptr;
    StdCtrls::TButton* OKBtn = nullptr;
    StdCtrls::TButton* CancelBtn = nullptr;
    // Made by FormCreate, owned by the dialog.
    Colorbtn::TColorButton* btnBackFrom = nullptr;
    Colorbtn::TColorButton* btnBackTo = nullptr;
    Colorbtn::TColorButton* btnFore = nullptr;

    // Published handlers, bound by name from the form resource.
    void FormCreate(TObject* Sender);
    void FormActivate(TObject* Sender);
    void FormDestroy(TObject* Sender);
    void OKBtnClick(TObject* Sender);
    void edtSizeEnter(TObject* Sender);
    void edtSizeExit(TObject* Sender);
    void edtSpaceEnter(TObject* Sender);
    void edtSpaceExit(TObject* Sender);
    // The colour buttons' OnEnter and OnExit: OK stops being the default button while one has the focus.
    void SetDefaultOff(TObject* Sender);
    void SetDefaultOn(TObject* Sender);

private:
    String FOldSpace; // the edits' texts when they last got the focus
    String FOldSize;
    std::unique_ptr<VeskMenu::TVeskMenuBar> FBar;
    bool FFilled = false; // the controls were filled from FBar
};

extern TVeskMenuBarForm* VeskMenuBarForm;

// ---- Shared by the package's editor dialogs ---------------------------------------------------------------

// A colour button owned by Form below Label (left aligned with it, 4 pixels under it, 65 x 25), with Color,
// no colour dialog options, a tab stop, and Label's accelerator focusing it. TabOrder (>= 0) is given
// before the button is placed on Form when TabOrderFirst (the form then decides its final place), after
// it otherwise.
Colorbtn::TColorButton* PlaceColorButton(Forms::TForm* Form, StdCtrls::TLabel* Label, Graphics::TColor Color,
                                         int TabOrder, bool TabOrderFirst,
                                         const Classes::TNotifyEvent& OnEnter,
                                         const Classes::TNotifyEvent& OnExit);

// The integer in Edit, when it is one between Min and Max; otherwise the edit gets OldText back and the
// focus, Form's modal result becomes none, and EConvertError is raised: "'%s' is not a valid <Kind>
// value" for text that is not an integer of that kind, and for one outside Min..Max,
// "'%s' is not a valid <Name> value: it takes <Min> to <Max>" (Name: the property's name).
int64_t CheckNumberEdit(Forms::TForm* Form, StdCtrls::TEdit* Edit, const String& OldText, const char* Kind,
                        const char* Name, int64_t Min, int64_t Max);

void Initialization();
void Finalization();

} // namespace VmBar

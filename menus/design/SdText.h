// SdText: the shadow text editor dialog, which edits every setting of a menu item's shadowed text
// (TShadowText) at once.
//
// Declares: TShadowTextForm (read from its form resource; two colour buttons made at run time), the global
// ShadowTextForm, and the unit's Initialization and Finalization.
//
//   std::unique_ptr<SdText::TShadowTextForm> dialog(
//       Forms::TCustomForm::Create<SdText::TShadowTextForm>(Forms::Application));
//   dialog->SetShadowText(item->GetShadow());              // the dialog works on a copy
//   if (dialog->ShowModal() == Forms::mrOk) item->SetShadow(dialog->GetShadow());
//
// The dialog fills its controls from the copy when it is first activated (every setting but Active greyed
// while the shadow is inactive, the focus then on Active; ticking Active enables them), and writes them into
// the copy when OK is pressed. The two sizes are bytes: text that is not an integer ("'2x' is not a valid
// byte value"), or a number outside 0 to 255 ("'300' is not a valid ShadowSize value: it takes 0 to 255"),
// puts the previous text back, keeps the focus in the edit and the dialog open, and the message is shown.
#pragma once

#include "framework/vcl/ExtCtrls.h"
#include "framework/vcl/Forms.h"
#include "framework/vcl/StdCtrls.h"
#include "menus/design/Colorbtn.h"
#include "menus/runtime/VeskMenu.h"

#include <memory>

namespace SdText {

using System::TObject;
using SysUtils::String;

class TShadowTextForm : public Forms::TForm {
    DECLARE_CLASS(TShadowTextForm, Forms::TForm)
public:
    using TForm::TForm;
    ~TShadowTextForm() override;

    // Copies Value into the working copy (before the dialog is shown).
    void SetShadowText(VeskMenu::TShadowText* Value);
    // The working copy, written by OK; the dialog keeps it.
    VeskMenu::TShadowText* GetShadow() const { return FShadow.get(); }

    // The form's controls: published fields, set as the form resource is read.
    ExtCtrls::TBevel* Bevel1 = nullptr;
    StdCtrls::TLabel* labelShadowPos = nullptr;
    StdCtrls::TLabel* labelSelShadowPos = nullptr;
    StdCtrls::TLabel* labelShadowColor = nullptr;
    StdCtrls::TLabel* labelSelShadowColor = nullptr;
    StdCtrls::TLabel* labelShadowSize = nullptr;
    StdCtrls::TLabel* labelSelShadowSize = nullptr;
    StdCtrls::TComboBox* cmbShadowPos = nullptr;
    StdCtrls::TComboBox* cmbSelShadowPos = nullptr;
    StdCtrls::TGroupBox* gbOptions = nullptr;
    StdCtrls::TCheckBox* cbOpt1 = nullptr;
    StdCtrls::TCheckBox* cbOpt2 = nullptr;
    StdCtrls::TEdit* edtShadowSize = nullptr;
    StdCtrls::TEdit* edtSelShadowSize = nullptr;
    StdCtrls::TButton* OKBtn = nullptr;
    StdCtrls::TButton* CancelBtn = nullptr;
    StdCtrls::TCheckBox* cbActive = nullptr;
    // Made by FormCreate, owned by the dialog.
    Colorbtn::TColorButton* btnShadowColor = nullptr;
    Colorbtn::TColorButton* btnSelShadowColor = nullptr;

    // Published handlers, bound by name from the form resource.
    void FormCreate(TObject* Sender);
    void FormActivate(TObject* Sender);
    void FormDestroy(TObject* Sender);
    void OKBtnClick(TObject* Sender);
    void cbActiveClick(TObject* Sender);
    void edtShadowSizeEnter(TObject* Sender);
    void edtShadowSizeExit(TObject* Sender);
    void edtSelShadowSizeEnter(TObject* Sender);
    void edtSelShadowSizeExit(TObject* Sender);
    // The colour buttons' OnEnter and OnExit: OK stops being the default button while one has the focus.
    void SetDefaultOff(TObject* Sender);
    void SetDefaultOn(TObject* Sender);

private:
    String FOldShadowSize; // the edits' texts when they last got the focus
    String FOldSelShadowSize;
    std::unique_ptr<VeskMenu::TShadowText> FShadow;
    bool FFilled = false; // the controls were filled from FShadow
};

extern TShadowTextForm* ShadowTextForm;

void Initialization();
void Finalization();

} // namespace SdText

// VmBar: the bar editor dialog and the helpers the editor dialogs share.
#include "menus/design/VmBar.h"

#include "framework/core/ClassesRegistry.h"

namespace VmBar {

using Classes::TNotifyEvent;
using VeskMenu::TCaptionAlign;

TVeskMenuBarForm* VeskMenuBarForm = nullptr;

namespace {

// The combo box lists the placements by meaning, not in the enumeration's order.
constexpr TCaptionAlign AlignOfIndex[] = {VeskMenu::alDown, VeskMenu::alUp, VeskMenu::alCenter};

int IndexOfAlign(TCaptionAlign Align) {
    for (int i = 0; i < 3; ++i)
        if (AlignOfIndex[i] == Align) return i;
    return -1;
}

} // namespace

// ==== Shared helpers =======================================================================================

Colorbtn::TColorButton* PlaceColorButton(Forms::TForm* Form, StdCtrls::TLabel* Label, Graphics::TColor Color,
                                         int TabOrder, bool TabOrderFirst, const TNotifyEvent& OnEnter,
                                         const TNotifyEvent& OnExit) {
    auto* button = new Colorbtn::TColorButton(Form);
    button->SetBounds(Label->GetLeft(), Label->GetTop() + Label->GetHeight() + 4, 65, 25);
    button->SetColor(Color);
    button->SetOptions({});
    if (TabOrderFirst) button->SetTabOrder(TabOrder);
    button->SetTabStop(true);
    button->SetParent(Form);
    if (!TabOrderFirst) button->SetTabOrder(TabOrder);
    button->SetOnEnter(OnEnter);
    button->SetOnExit(OnExit);
    Label->SetFocusControl(button);
    return button;
}

int64_t CheckNumberEdit(Forms::TForm* Form, StdCtrls::TEdit* Edit, const String& OldText, const char* Kind,
                        const char* Name, int64_t Min, int64_t Max) {
    const String text = Edit->GetText();
    int64_t value = 0;
    String message;
    if (!SysUtils::TryStrToInt64(text, value))
        message = "'" + text + "' is not a valid " + Kind + " value";
    else if (value < Min || value > Max)
        message = "'" + text + "' is not a valid " + Name + " value: it takes " + SysUtils::IntToStr(Min) +
                  " to " + SysUtils::IntToStr(Max);
    if (message.empty()) return value;
    // The previous text back, the focus in the edit, and a pending OK cancelled.
    Edit->SetText(OldText);
    Edit->SetFocus();
    Form->SetModalResult(Forms::mrNone);
    throw SysUtils::EConvertError(message);
}

// ==== TVeskMenuBarForm =====================================================================================

// FormDestroy frees the working copy, a member of this class: it runs while the class is whole.
TVeskMenuBarForm::~TVeskMenuBarForm() {
    DoDestroy();
}

void TVeskMenuBarForm::SetInfo(VeskMenu::TVeskMenuBar* Value) {
    if (!FBar) FBar = std::make_unique<VeskMenu::TVeskMenuBar>();
    FBar->Assign(Value);
}

void TVeskMenuBarForm::FormCreate(TObject*) {
    // 1.
    FBar = std::make_unique<VeskMenu::TVeskMenuBar>();
    // 2, 3. The colour buttons, in tab order 0, 1, 2 before they join the dialog.
    auto enter = TNotifyEvent::Bind<&TVeskMenuBarForm::SetDefaultOff>(this);
    auto exit = TNotifyEvent::Bind<&TVeskMenuBarForm::SetDefaultOn>(this);
    btnBackFrom = PlaceColorButton(this, lbBackFrom, Graphics::clBlack, 0, true, enter, exit);
    btnBackTo = PlaceColorButton(this, lbBackTo, Graphics::clBlue, 1, true, enter, exit);
    btnFore = PlaceColorButton(this, lbFore, Graphics::clWhite, 2, true, enter, exit);
}

void TVeskMenuBarForm::FormActivate(TObject*) {
    // Filled once: the dialog is activated again when the colour dialog or a message box closes, and the
    // user's edits must survive that.
    if (FFilled) return;
    FFilled = true;
    edtCaption->SetText(FBar->GetCaption());
    edtSize->SetText(SysUtils::IntToStr(FBar->GetSize()));
    edtSpace->SetText(SysUtils::IntToStr(FBar->GetSpace()));
    btnBackFrom->SetColor(FBar->GetBackFrom());
    btnBackTo->SetColor(FBar->GetBackTo());
    btnFore->SetColor(FBar->GetFore());
    cbIsGradient->SetChecked(FBar->GetIsGradient());
    cbIsSeparator->SetChecked(FBar->GetIsSeparator());
    cbIsSerif->SetChecked(FBar->GetIsSerif());
    cmbAlign->SetItemIndex(IndexOfAlign(FBar->GetCaptionAlign()));
    btnBackFrom->SetFocus();
}

void TVeskMenuBarForm::FormDestroy(TObject*) {
    FBar.reset();
}

void TVeskMenuBarForm::edtSizeEnter(TObject*) {
    FOldSize = edtSize->GetText();
}

void TVeskMenuBarForm::edtSizeExit(TObject*) {
    CheckNumberEdit(this, edtSize, FOldSize, "integer", "Size", INT32_MIN, INT32_MAX);
}

void TVeskMenuBarForm::edtSpaceEnter(TObject*) {
    FOldSpace = edtSpace->GetText();
}

void TVeskMenuBarForm::edtSpaceExit(TObject*) {
    CheckNumberEdit(this, edtSpace, FOldSpace, "integer", "Space", 0, UINT16_MAX);
}

void TVeskMenuBarForm::SetDefaultOff(TObject*) {
    OKBtn->SetDefault(false);
}

void TVeskMenuBarForm::SetDefaultOn(TObject*) {
    OKBtn->SetDefault(true);
}

void TVeskMenuBarForm::OKBtnClick(TObject*) {
    // 1. A failure raises here and keeps the dialog open.
    edtSizeExit(this);
    edtSpaceExit(this);
    // 2. In this order: each setter raises the bar's change notice.
    FBar->SetCaption(edtCaption->GetText());
    FBar->SetSize(int32_t(SysUtils::StrToInt64(edtSize->GetText())));
    FBar->SetSpace(uint16_t(SysUtils::StrToInt64(edtSpace->GetText())));
    FBar->SetBackFrom(btnBackFrom->GetColor());
    FBar->SetBackTo(btnBackTo->GetColor());
    FBar->SetFore(btnFore->GetColor());
    FBar->SetIsGradient(cbIsGradient->GetChecked());
    FBar->SetIsSeparator(cbIsSeparator->GetChecked());
    FBar->SetIsSerif(cbIsSerif->GetChecked());
    int index = cmbAlign->GetItemIndex();
    if (index >= 0 && index < 3) FBar->SetCaptionAlign(AlignOfIndex[index]);
}

PUBLISHED(TVeskMenuBarForm, "VmBar", PUBLISHED_FIELD(TVeskMenuBarForm, Bevel1),
          PUBLISHED_FIELD(TVeskMenuBarForm, lbBackFrom), PUBLISHED_FIELD(TVeskMenuBarForm, lbBackTo),
          PUBLISHED_FIELD(TVeskMenuBarForm, lbFore), PUBLISHED_FIELD(TVeskMenuBarForm, lbCaption),
          PUBLISHED_FIELD(TVeskMenuBarForm, lbSize), PUBLISHED_FIELD(TVeskMenuBarForm, lbSpace),
          PUBLISHED_FIELD(TVeskMenuBarForm, lbCaptionAlign), PUBLISHED_FIELD(TVeskMenuBarForm, edtCaption),
          PUBLISHED_FIELD(TVeskMenuBarForm, edtSize), PUBLISHED_FIELD(TVeskMenuBarForm, edtSpace),
          PUBLISHED_FIELD(TVeskMenuBarForm, cmbAlign), PUBLISHED_FIELD(TVeskMenuBarForm, cbIsGradient),
          PUBLISHED_FIELD(TVeskMenuBarForm, cbIsSerif), PUBLISHED_FIELD(TVeskMenuBarForm, cbIsSeparator),
          PUBLISHED_FIELD(TVeskMenuBarForm, OKBtn), PUBLISHED_FIELD(TVeskMenuBarForm, CancelBtn),
          PUBLISHED_METHOD(TVeskMenuBarForm, FormCreate), PUBLISHED_METHOD(TVeskMenuBarForm, FormActivate),
          PUBLISHED_METHOD(TVeskMenuBarForm, FormDestroy), PUBLISHED_METHOD(TVeskMenuBarForm, OKBtnClick),
          PUBLISHED_METHOD(TVeskMenuBarForm, edtSizeEnter), PUBLISHED_METHOD(TVeskMenuBarForm, edtSizeExit),
          PUBLISHED_METHOD(TVeskMenuBarForm, edtSpaceEnter),
          PUBLISHED_METHOD(TVeskMenuBarForm, edtSpaceExit));

// ==== The unit =============================================================================================

void Initialization() {
    Classes::RegisterClasses({&TVeskMenuBarForm::ClassInfo});
}

void Finalization() {
    Classes::UnRegisterClasses({&TVeskMenuBarForm::ClassInfo});
}

} // namespace VmBar

// SdText: the shadow text editor dialog.
#include "menus/design/SdText.h"

#include "framework/core/ClassesRegistry.h"
#include "menus/design/VmBar.h"

namespace SdText {

using Classes::TNotifyEvent;
using VeskMenu::TShadowPosition;

TShadowTextForm* ShadowTextForm = nullptr;

TShadowTextForm::~TShadowTextForm() {
    DoDestroy(); // FormDestroy frees the working copy, a member of this class
}

void TShadowTextForm::SetShadowText(VeskMenu::TShadowText* Value) {
    if (!FShadow) FShadow = std::make_unique<VeskMenu::TShadowText>();
    FShadow->Assign(Value);
}

void TShadowTextForm::FormCreate(TObject*) {
    // 1.
    FShadow = std::make_unique<VeskMenu::TShadowText>();
    // 2, 3. Tab order 3 and 4 given once the buttons are on the dialog: before the two size edits.
    auto enter = TNotifyEvent::Bind<&TShadowTextForm::SetDefaultOff>(this);
    auto exit = TNotifyEvent::Bind<&TShadowTextForm::SetDefaultOn>(this);
    btnShadowColor =
        VmBar::PlaceColorButton(this, labelShadowColor, Graphics::clBtnHighlight, 3, false, enter, exit);
    btnSelShadowColor =
        VmBar::PlaceColorButton(this, labelSelShadowColor, Graphics::clBtnHighlight, 4, false, enter, exit);
}

void TShadowTextForm::FormActivate(TObject* Sender) {
    // Filled once: the dialog is activated again when the colour dialog or a message box closes, and the
    // user's edits must survive that.
    if (FFilled) return;
    FFilled = true;
    if (FShadow->GetShadowPos() <= VeskMenu::spRightTop) cmbShadowPos->SetItemIndex(FShadow->GetShadowPos());
    if (FShadow->GetSelShadowPos() <= VeskMenu::spRightTop)
        cmbSelShadowPos->SetItemIndex(FShadow->GetSelShadowPos());
    cbOpt1->SetChecked(FShadow->GetOptions().Contains(VeskMenu::soNoShadowIfNormal));
    cbOpt2->SetChecked(FShadow->GetOptions().Contains(VeskMenu::soNoShadowIfSel));
    btnShadowColor->SetColor(FShadow->GetShadowColor());
    btnSelShadowColor->SetColor(FShadow->GetSelShadowColor());
    edtShadowSize->SetText(SysUtils::IntToStr(FShadow->GetShadowSize()));
    edtSelShadowSize->SetText(SysUtils::IntToStr(FShadow->GetSelShadowSize()));
    cbActive->SetChecked(FShadow->GetActive());
    cmbShadowPos->SetFocus();
    cbActiveClick(Sender);
    // An inactive shadow greys the list out, and a disabled window loses the focus: Active takes it, so
    // that the keys (Tab, Enter, Esc) still reach the dialog.
    if (!cbActive->GetChecked()) cbActive->SetFocus();
}

void TShadowTextForm::FormDestroy(TObject*) {
    FShadow.reset();
}

void TShadowTextForm::cbActiveClick(TObject*) {
    const bool active = cbActive->GetChecked();
    Controls::TControl* const controls[] = {gbOptions,
                                            cmbShadowPos,
                                            cmbSelShadowPos,
                                            btnShadowColor,
                                            btnSelShadowColor,
                                            edtShadowSize,
                                            edtSelShadowSize,
                                            labelShadowPos,
                                            labelSelShadowPos,
                                            labelShadowColor,
                                            labelSelShadowColor,
                                            labelShadowSize,
                                            labelSelShadowSize,
                                            cbOpt1,
                                            cbOpt2};
    for (Controls::TControl* control : controls)
        control->SetEnabled(active);
}

void TShadowTextForm::edtShadowSizeEnter(TObject*) {
    FOldShadowSize = edtShadowSize->GetText();
}

void TShadowTextForm::edtShadowSizeExit(TObject*) {
    VmBar::CheckNumberEdit(this, edtShadowSize, FOldShadowSize, "byte", "ShadowSize", 0, 255);
}

void TShadowTextForm::edtSelShadowSizeEnter(TObject*) {
    FOldSelShadowSize = edtSelShadowSize->GetText();
}

void TShadowTextForm::edtSelShadowSizeExit(TObject*) {
    VmBar::CheckNumberEdit(this, edtSelShadowSize, FOldSelShadowSize, "byte", "SelShadowSize", 0, 255);
}

void TShadowTextForm::SetDefaultOff(TObject*) {
    OKBtn->SetDefault(false);
}

void TShadowTextForm::SetDefaultOn(TObject*) {
    OKBtn->SetDefault(true);
}

void TShadowTextForm::OKBtnClick(TObject*) {
    // 1. A failure raises here and keeps the dialog open.
    edtShadowSizeExit(this);
    edtSelShadowSizeExit(this);
    // 2. In this order.
    int pos = cmbShadowPos->GetItemIndex(), selPos = cmbSelShadowPos->GetItemIndex();
    if (pos >= 0 && pos <= 3) FShadow->SetShadowPos(TShadowPosition(pos));
    if (selPos >= 0 && selPos <= 3) FShadow->SetSelShadowPos(TShadowPosition(selPos));
    VeskMenu::TShadowOptions options = FShadow->GetOptions();
    if (cbOpt1->GetChecked())
        options.Include(VeskMenu::soNoShadowIfNormal);
    else
        options.Exclude(VeskMenu::soNoShadowIfNormal);
    if (cbOpt2->GetChecked())
        options.Include(VeskMenu::soNoShadowIfSel);
    else
        options.Exclude(VeskMenu::soNoShadowIfSel);
    FShadow->SetOptions(options);
    FShadow->SetShadowColor(btnShadowColor->GetColor());
    FShadow->SetSelShadowColor(btnSelShadowColor->GetColor());
    FShadow->SetShadowSize(uint8_t(SysUtils::StrToInt64(edtShadowSize->GetText())));
    FShadow->SetSelShadowSize(uint8_t(SysUtils::StrToInt64(edtSelShadowSize->GetText())));
    FShadow->SetActive(cbActive->GetChecked());
}

PUBLISHED(
    TShadowTextForm, "SdText", PUBLISHED_FIELD(TShadowTextForm, Bevel1),
    PUBLISHED_FIELD(TShadowTextForm, labelShadowPos), PUBLISHED_FIELD(TShadowTextForm, labelSelShadowPos),
    PUBLISHED_FIELD(TShadowTextForm, labelShadowColor), PUBLISHED_FIELD(TShadowTextForm, labelSelShadowColor),
    PUBLISHED_FIELD(TShadowTextForm, labelShadowSize), PUBLISHED_FIELD(TShadowTextForm, labelSelShadowSize),
    PUBLISHED_FIELD(TShadowTextForm, cmbShadowPos), PUBLISHED_FIELD(TShadowTextForm, cmbSelShadowPos),
    PUBLISHED_FIELD(TShadowTextForm, gbOptions), PUBLISHED_FIELD(TShadowTextForm, cbOpt1),
    PUBLISHED_FIELD(TShadowTextForm, cbOpt2), PUBLISHED_FIELD(TShadowTextForm, edtShadowSize),
    PUBLISHED_FIELD(TShadowTextForm, edtSelShadowSize), PUBLISHED_FIELD(TShadowTextForm, OKBtn),
    PUBLISHED_FIELD(TShadowTextForm, CancelBtn), PUBLISHED_FIELD(TShadowTextForm, cbActive),
    PUBLISHED_METHOD(TShadowTextForm, FormCreate), PUBLISHED_METHOD(TShadowTextForm, FormActivate),
    PUBLISHED_METHOD(TShadowTextForm, FormDestroy), PUBLISHED_METHOD(TShadowTextForm, OKBtnClick),
    PUBLISHED_METHOD(TShadowTextForm, cbActiveClick), PUBLISHED_METHOD(TShadowTextForm, edtShadowSizeEnter),
    PUBLISHED_METHOD(TShadowTextForm, edtShadowSizeExit),
    PUBLISHED_METHOD(TShadowTextForm, edtSelShadowSizeEnter),
    PUBLISHED_METHOD(TShadowTextForm, edtSelShadowSizeExit));

// ==== The unit =============================================================================================

void Initialization() {
    Classes::RegisterClasses({&TShadowTextForm::ClassInfo});
}

void Finalization() {
    Classes::UnRegisterClasses({&TShadowTextForm::ClassInfo});
}

} // namespace SdText

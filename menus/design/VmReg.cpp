// VmReg: the component editor of TVeskMenu and the package's registration.
#include "menus/design/VmReg.h"

#include "menus/design/SdText.h"
#include "menus/design/VmBar.h"

namespace VmReg {

using namespace TypInfo;
using VeskMenu::TVeskMenu;
using VmDsgn::TVmDesignForm;
using VmDsgn::VmDesignForm;

int TVeskMenuEditor::GetVerbCount() {
    return 1;
}

String TVeskMenuEditor::GetVerb(int Index) {
    return Index == 0 ? "V&M Designer..." : "";
}

void TVeskMenuEditor::ExecuteVerb(int) {
    // 1. to 5.
    if (VmDesignForm == nullptr) VmDesignForm = Forms::TCustomForm::Create<TVmDesignForm>(Forms::Application);
    VmDesignForm->SetDesigner(Designer());
    VmDesignForm->SetVeskMenuComp(dynamic_cast<TVeskMenu*>(Component()));
    VmDesignForm->Show();
    VmDesignForm->UpdateSelection();
}

PUBLISHED(TVeskMenuEditor, "VmReg");

namespace {

// 1. to 4.: the dialog made, given the current object, run; its working copy handed to every selected
// component on OK; freed in every case.
template <class TDialog, class TValue>
void EditOnCopy(DsgnIntf::TClassProperty& Editor, void (TDialog::*Give)(TValue*),
                TValue* (TDialog::*Take)() const) {
    std::unique_ptr<TDialog> dialog(Forms::TCustomForm::Create<TDialog>(Forms::Application));
    (dialog.get()->*Give)(reinterpret_cast<TValue*>(Editor.GetOrdValue()));
    if (dialog->ShowModal() == Forms::mrOk)
        Editor.SetOrdValue(reinterpret_cast<intptr_t>((dialog.get()->*Take)()));
}

} // namespace

DsgnIntf::TPropertyAttributes TVeskMenuBarEditor::GetAttributes() {
    return TClassProperty::GetAttributes() + DsgnIntf::TPropertyAttributes{DsgnIntf::paDialog};
}

void TVeskMenuBarEditor::Edit() {
    EditOnCopy(*this, &VmBar::TVeskMenuBarForm::SetInfo, &VmBar::TVeskMenuBarForm::GetBar);
}

PUBLISHED(TVeskMenuBarEditor, "VmReg");

DsgnIntf::TPropertyAttributes TShadowTextEditor::GetAttributes() {
    return TClassProperty::GetAttributes() + DsgnIntf::TPropertyAttributes{DsgnIntf::paDialog};
}

void TShadowTextEditor::Edit() {
    EditOnCopy(*this, &SdText::TShadowTextForm::SetShadowText, &SdText::TShadowTextForm::GetShadow);
}

PUBLISHED(TShadowTextEditor, "VmReg");

void Register() {
    DsgnIntf::RegisterComponents("Custom", {&TVeskMenu::ClassInfo});
    DsgnIntf::RegisterClasses({&VeskMenu::TVeskMenuItem::ClassInfo, &TVeskMenu::ClassInfo,
                               &VeskMenu::TVeskMenuBar::ClassInfo, &VeskMenu::TShadowText::ClassInfo});
    DsgnIntf::RegisterNoIcon({&VeskMenu::TVeskMenuItem::ClassInfo});
    DsgnIntf::RegisterComponentEditor(&TVeskMenu::ClassInfo, &TVeskMenuEditor::ClassInfo);
    DsgnIntf::RegisterPropertyEditor(&VeskMenu::TVeskMenuBar::ClassInfo, nullptr, "",
                                     &TVeskMenuBarEditor::ClassInfo);
    DsgnIntf::RegisterPropertyEditor(&VeskMenu::TShadowText::ClassInfo, nullptr, "",
                                     &TShadowTextEditor::ClassInfo);
}

void Initialization() {}

void Finalization() {}

} // namespace VmReg

// VmReg: the component editor of TVeskMenu and the package's registration.
#include "menus/design/VmReg.h"

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

void Register() {
    DsgnIntf::RegisterComponents("Custom", {&TVeskMenu::ClassInfo});
    DsgnIntf::RegisterClasses({&VeskMenu::TVeskMenuItem::ClassInfo, &TVeskMenu::ClassInfo,
                               &VeskMenu::TVeskMenuBar::ClassInfo, &VeskMenu::TShadowText::ClassInfo});
    DsgnIntf::RegisterNoIcon({&VeskMenu::TVeskMenuItem::ClassInfo});
    DsgnIntf::RegisterComponentEditor(&TVeskMenu::ClassInfo, &TVeskMenuEditor::ClassInfo);
}

void Initialization() {}

void Finalization() {}

} // namespace VmReg

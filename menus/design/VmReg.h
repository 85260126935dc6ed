// VmReg: what the IDE sees of the menus package at design time.
//
// Declares: TVeskMenuEditor (the component editor of TVeskMenu: the verb "V&M Designer..." opens the menu
// designer on the menu), TVeskMenuBarEditor and TShadowTextEditor (the Object Inspector's "..." of every
// TVeskMenuBar and TShadowText property: the bar and shadow dialogs on a copy, the result written into every
// selected component) and Register (the palette, the classes streams create by name, the editors).
#pragma once

#include "menus/design/VmDsgn.h"

namespace VmReg {

using SysUtils::String;

class TVeskMenuEditor : public DsgnIntf::TComponentEditor {
    DECLARE_CLASS(TVeskMenuEditor, DsgnIntf::TComponentEditor)
public:
    int GetVerbCount() override;
    String GetVerb(int Index) override;
    // Makes the one designer window when there is none (owned by the application), gives it this editor's
    // designer, binds it to the component, shows it and hands its selection to the host.
    void ExecuteVerb(int Index) override;
};

// The bar dialog on the first selected component's bar; on OK its working copy goes through the property's
// setter of every selected component (each setter copies it).
class TVeskMenuBarEditor : public DsgnIntf::TClassProperty {
    DECLARE_CLASS(TVeskMenuBarEditor, DsgnIntf::TClassProperty)
public:
    DsgnIntf::TPropertyAttributes GetAttributes() override;
    void Edit() override;
};

// The shadow dialog likewise, for TShadowText properties.
class TShadowTextEditor : public DsgnIntf::TClassProperty {
    DECLARE_CLASS(TShadowTextEditor, DsgnIntf::TClassProperty)
public:
    DsgnIntf::TPropertyAttributes GetAttributes() override;
    void Edit() override;
};

void Register();

void Initialization();
void Finalization();

} // namespace VmReg

// MasterFileSetting: the unit of the Ferrolin package, a non-visual component on the palette page "Ardento".
//
// Declares: TMasterFileSetting (publishes only Name and Tag; the settings it holds are private and nothing
// in the package reads or writes them) and the unit's entries Initialization, Finalization and Register.
#pragma once

#include "framework/core/ClassesComponent.h"

namespace MasterFileSetting {

using Classes::TComponent;
using SysUtils::String;

class TMasterFileSetting : public TComponent {
    DECLARE_CLASS(TMasterFileSetting, TComponent)
public:
    using TComponent::TComponent;

private:
    String FMasterFileName; // the master file the settings come from
    String FSettingName;    // the setting within it
    int32_t FOptions = 0;
};

// The unit's initialization and finalization: it holds nothing, so they have nothing to do.
void Initialization();
void Finalization();
// TMasterFileSetting on the palette page "Ardento".
void Register();

} // namespace MasterFileSetting

// MasterFileSetting: the component's type information and the unit's registration.
#include "smallpackages/MasterFileSetting.h"

#include "framework/vcl/DsgnIntf.h"

namespace MasterFileSetting {

PUBLISHED(TMasterFileSetting, "MasterFileSetting");

void Initialization() {}

void Finalization() {}

void Register() {
    DsgnIntf::RegisterComponents("Ardento", {&TMasterFileSetting::ClassInfo});
}

} // namespace MasterFileSetting

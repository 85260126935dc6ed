// XPMan: the component's type information and the unit's registration.
#include "smallpackages/XPMan.h"

#include "framework/vcl/DsgnIntf.h"

namespace XPMan {

PUBLISHED(TXPManifest, "XPMan");

void Initialization() {}

void Finalization() {}

void Register() {
    DsgnIntf::RegisterComponents("XP", {&TXPManifest::ClassInfo});
}

} // namespace XPMan

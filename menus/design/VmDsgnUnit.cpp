// VmDsgn: the unit's initialisation and finalisation.
#include "menus/design/VmDsgn.h"

namespace VmDsgn {

void Initialization() {}

void Finalization() {}

} // namespace VmDsgn

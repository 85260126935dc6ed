// VmDsgn: the unit's initialisation and finalisation.
#include "menus/design/VmDsgn.h"

namespace VmDsgn {

void Initialization() {}

// The designer window runs this package's code: it does not outlive the package.
void Finalization() {
    delete VmDesignForm;
    VmDesignForm = nullptr;
}

} // namespace VmDsgn

// VmDsgn: the menu designer of the menus package, and its edition files.
//
// Declares: the unit's entries; the edition files and naming rules are in VmDsgnEdition.h.
#pragma once

#include "menus/design/VmDsgnEdition.h"

namespace VmDsgn {

void Initialization();
void Finalization();

} // namespace VmDsgn

// Ide: the text `ide.exe palette` prints of what the loaded packages registered.
//
// Declares: PaletteText.
//
//   NEWQRV.dll: "New QRV", flags 40000003 (design-time only, never rebuilt)
//   palette:
//     Umbrevale: TKTNEWQRVFrame
//   components without icon: none
//   component editors: none
//   property editors:
//     TVeskMenuBar in any component, any property: TVeskMenuBarEditor
//
// Packages in the order they were loaded; pages in the order they first appeared, each with its components
// in the order they were registered; "none" for an empty list.
#pragma once

#include "ide/IdePackages.h"

namespace Ide {

String PaletteText(const TPackageManager& Manager);

} // namespace Ide

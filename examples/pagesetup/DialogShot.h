// DialogShot: a picture of a window as a PNG file.
//
//   DialogShot::SaveWindowPng(dialog, "pagesetup.png");   // the window with its frame, as on the screen
//
// The window is painted first (with its children), then read back from the screen where it lies, so it
// must be the visible window on top there. Failures raise SysUtils::Exception naming the step and the file.
#pragma once

#include "framework/core/SysUtils.h"

#include <windows.h>

namespace DialogShot {

void SaveWindowPng(HWND Window, const SysUtils::String& FileName);

} // namespace DialogShot

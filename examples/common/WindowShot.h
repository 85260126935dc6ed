// WindowShot: the pixels of a window, exactly its window rectangle, saved as a PNG file through the
// platform's imaging codecs (WIC), for the example programs' --shot options.
//
//   Examples::SaveWindowShot(menuWindow, "menu.png");   // SysUtils::Exception naming the file on failure
//   Examples::SaveScreenShot(dialog, "dialog.png");     // what the screen shows of a window on top
//
// SaveWindowShot has the window paint itself into a bitmap (PrintWindow), so windows above it do not
// matter; SaveScreenShot reads the screen after the window and its children have painted, for windows
// whose children paint only on the screen (common dialogs).
#pragma once

#include "framework/core/SysUtils.h"

#include <cstdint>
#include <vector>
#include <windows.h>

namespace Examples {

// The window's pixels, top row first, as 0xAARRGGBB with the alpha byte set; Width and Height its size.
std::vector<uint32_t> CaptureWindow(HWND Window, int& Width, int& Height);
std::vector<uint32_t> CaptureScreen(HWND Window, int& Width, int& Height);
// Writes the pixels (top row first, 0xAARRGGBB) as an 8-bit RGBA PNG file.
void SavePng(const std::vector<uint32_t>& Pixels, int Width, int Height, const SysUtils::String& FileName);
void SaveWindowShot(HWND Window, const SysUtils::String& FileName);
void SaveScreenShot(HWND Window, const SysUtils::String& FileName);

// The visible menu window (class #32768) of this thread, or nullptr.
HWND OpenMenuWindow();

} // namespace Examples

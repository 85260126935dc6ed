// Ide: the command lines of the menus package's designer, for scripts that use its tools without a design
// session.
//
// Declares: RunEditionCommand, and LoadPackagesBeside (every package in a folder, in an order that puts
// required packages first).
//
//   ide.exe edition save FORM MENU OUT.vmn          the items of the TVeskMenu MENU of FORM as an edition
//   ide.exe edition open FORM MENU IN.vmn OUTFORM   FORM with the edition opened onto MENU, as a text form
//   ide.exe generate FORM MENU SOURCEMENU OUTFORM   FORM with MENU's items generated for SOURCEMENU
//
// FORM is a text or binary form file. The packages beside ide.exe are loaded; the form is read by the IDE's
// designer; the menu's component editor opens the menu designer on MENU (its verb), and the designer runs the
// command (VmDsgn.TVmDesignForm.EditionCommand, looked up in the package that exports it). OUTFORM is
// written only when everything before succeeded.
#pragma once

#include "ide/IdePackages.h"

#include <vector>

namespace Ide {

// Args as ide.exe got them ("edition", "save", ...). Returns the exit code: 0, 1 after an error (the
// message on standard error as "ide: <message>"), 2 for a wrong command line (the usage).
int RunEditionCommand(const std::vector<String>& Args);

// Loads every package DLL in Folder that can be loaded, required packages first; DLLs that are not
// packages or cannot be loaded are left out. Returns how many were loaded.
int LoadPackagesBeside(TPackageManager& Manager, const String& Folder);

} // namespace Ide

// VmDsgn: edition files (*.vmn), the names the designer gives new components, and the walk that generates
// items for a plain menu. The designer window (VmDsgn.h) is built on these; they need no window.
//
// Declares: WriteEdition, SaveEdition, ReadEdition, UniqueComponentName, ForEachEntry.
//
// An edition is the item records of one menu, each with its own "TPF0", closed by one 0 byte:
//
//   VmDsgn::SaveEdition("main.vmn", *menu);                       // "TPF0" item, "TPF0" item, 00
//   Classes::TFileStream in("main.vmn", Classes::fmOpenRead | Classes::fmShareDenyWrite);
//   VmDsgn::ReadEdition(in, *menu, removeCurrentItems, addRow);   // all of it, or nothing changes
//
// Reading never costs the menu its items on bad input: the whole edition is checked first (its layout, that
// every record is an item, the values, names free on the form) and only then are the current items removed
// and the new ones created, owned by the menu's owner and attached to the menu.
#pragma once

#include "menus/runtime/VeskMenu.h"

#include <cstdint>
#include <functional>

namespace VmDsgn {

using Classes::TComponent;
using SysUtils::String;
using VeskMenu::TVeskMenu;
using VeskMenu::TVeskMenuItem;

// The menu's items in list order, references relative to the menu's owner.
void WriteEdition(Classes::TStream& Stream, TVeskMenu& Menu);
// The edition made in memory, then written to the file (created or truncated): a failure while the items
// are written leaves an existing file as it was. Classes::EFCreateError when the file cannot be made.
void SaveEdition(const String& FileName, TVeskMenu& Menu);

// Reads the edition from the stream's position onto Menu. RemoveItems is called once the whole edition was
// read and found sound (it takes the menu's current items away); then each new item, attached to the menu,
// goes to AddLoadedItem in file order. On any failure before RemoveItems nothing has changed: the exception
// (Classes::EReadError, EClassNotFound, EComponentError) says what is wrong.
void ReadEdition(Classes::TStream& Stream, TVeskMenu& Menu, const std::function<void()>& RemoveItems,
                 const std::function<void(TVeskMenuItem*)>& AddLoadedItem);

// The name a new component gets: its class name without the leading "T", then the lowest number from 1 that
// no component of its owner has (ignoring case); 1 without an owner. SysUtils::Exception "Cannot create
// unique name for %s." when the numbers up to Limit - 1 are all taken.
String UniqueComponentName(TComponent* Component, int64_t Limit = int64_t(1) << 31);

// Every entry of Menu's tree, depth first, a parent before its children.
void ForEachEntry(Menus::TMenu& Menu, const std::function<void(Menus::TMenuItem*)>& Proc);

} // namespace VmDsgn

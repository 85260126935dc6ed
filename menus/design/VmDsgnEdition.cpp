// VmDsgn: edition files, new components' names and the entry walk.
//
// Reading an edition, in this order (a failure at steps 1 to 4 leaves menu and form untouched):
//   1. The bytes are taken into memory (a file that cannot be read fails here).
//   2. The layout is walked without creating anything: every record is "TPF0", a TVeskMenuItem (or a
//      descendant) without filer flags, its properties, no children; the edition ends with its 0 byte.
//   3. The records are read into items owned by a scratch owner and attached to no menu: every value is
//      checked by the reader itself, and the names are unique within the edition.
//   4. Each name must be free on the form, apart from the menu's own items, which are about to go.
//   5. RemoveItems, then the records are read again, now owned by the form and attached to the menu, with
//      their references resolved among the form's components.
#include "menus/design/VmDsgnEdition.h"

#include "framework/core/ClassesReaderWriter.h"
#include "framework/core/ClassesRegistry.h"

#include <algorithm>
#include <memory>
#include <set>

namespace VmDsgn {

using Classes::EReadError;
using Classes::TMemoryStream;

void WriteEdition(Classes::TStream& Stream, TVeskMenu& Menu) {
    Classes::TWriter writer(Stream);
    writer.SetRoot(Menu.GetOwner());
    for (int i = 0; i < Menu.GetCount(); ++i) {
        writer.WriteSignature();
        writer.WriteComponent(Menu.GetItem(i));
    }
    writer.WriteListEnd();
}

void SaveEdition(const String& FileName, TVeskMenu& Menu) {
    TMemoryStream edition;
    WriteEdition(edition, Menu);
    Classes::TFileStream file(FileName, Classes::fmCreate);
    file.WriteBuffer(edition.Memory(), size_t(edition.GetSize()));
}

namespace {

// Step 2: the layout, record by record, up to the closing 0 byte.
void CheckLayout(TMemoryStream& Edition) {
    Classes::TBinaryObjectReader driver(Edition);
    // EndOfList consumes the closing 0; at the stream's end it raises the driver's read error.
    while (!driver.EndOfList()) {
        int64_t at = driver.Position();
        driver.ReadSignature();
        Classes::TRecordHeader header = driver.ReadRecordHeader();
        Classes::TPersistentClass cls = Classes::GetClass(header.ClassName);
        if (cls == nullptr) throw Classes::EClassNotFound("Class " + header.ClassName + " not found");
        if (!cls->InheritsFrom(&TVeskMenuItem::ClassInfo))
            throw EReadError("The edition holds a " + header.ClassName + " at offset " +
                             SysUtils::IntToStr(int(at)) + ": only menu items belong in an edition");
        if (header.Flags != 0)
            throw EReadError("The edition's record of " + header.Name + " is marked as inherited or placed");
        while (!driver.EndOfList())
            driver.SkipProperty();
        if (!driver.EndOfList())
            throw EReadError("The edition's record of " + header.Name + " holds components of its own");
    }
}

} // namespace

void ReadEdition(Classes::TStream& Stream, TVeskMenu& Menu, const std::function<void()>& RemoveItems,
                 const std::function<void(TVeskMenuItem*)>& AddLoadedItem) {
    TComponent* form = Menu.GetOwner();
    // 1.
    TMemoryStream edition;
    if (int64_t left = Stream.GetSize() - Stream.GetPosition(); left > 0) edition.CopyFrom(Stream, left);
    // 2.
    edition.SetPosition(0);
    CheckLayout(edition);
    // 3. and 4.
    {
        TComponent scratch(nullptr);
        std::vector<String> names;
        edition.SetPosition(0);
        Classes::TReader reader(edition);
        reader.ReadComponents(&scratch, nullptr, [&](TComponent* c) { names.push_back(c->GetName()); });
        for (const String& name : names) {
            TComponent* other = form != nullptr ? form->FindComponent(name) : nullptr;
            auto* item = dynamic_cast<TVeskMenuItem*>(other);
            if (other != nullptr && (item == nullptr || item->GetParent() != &Menu))
                throw Classes::EComponentError("A component named " + name + " already exists");
        }
    }
    // 5.
    RemoveItems();
    edition.SetPosition(0);
    Classes::TReader reader(edition);
    reader.ReadComponents(form, &Menu, [&](TComponent* c) { AddLoadedItem(static_cast<TVeskMenuItem*>(c)); });
}

String UniqueComponentName(TComponent* Component, int64_t Limit) {
    String className = Component->ClassName();
    String base =
        !className.empty() && (className[0] == 'T' || className[0] == 't') ? className.substr(1) : className;
    TComponent* owner = Component->GetOwner();
    if (owner == nullptr) return base + "1";
    for (int64_t i = 1; i < Limit; ++i) {
        String name = base + std::to_string(i);
        if (owner->FindComponent(name) == nullptr) return name;
    }
    throw SysUtils::Exception("Cannot create unique name for " + className + ".");
}

void ForEachEntry(Menus::TMenu& Menu, const std::function<void(Menus::TMenuItem*)>& Proc) {
    std::function<void(Menus::TMenuItem*)> walk = [&](Menus::TMenuItem* Parent) {
        for (int i = 0; i < Parent->GetCount(); ++i) {
            Menus::TMenuItem* entry = Parent->GetItem(i);
            Proc(entry);
            walk(entry);
        }
    };
    walk(Menu.GetItems());
}

} // namespace VmDsgn

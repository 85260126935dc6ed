// Classes: TPersistent, the base of every class that has published properties and can be copied.
//
// Declares: TPersistent (Assign/AssignTo, DefineProperties for data that is not a property, GetNamePath,
// GetOwner), TPersistentClass and TNotifyEvent.
//
//   void TShadow::Assign(TPersistent* Source) {
//       if (auto* s = dynamic_cast<TShadow*>(Source)) { FSize = s->FSize; return; }
//       inherited::Assign(Source);   // EConvertError "Cannot assign a TFont to a TShadow"
//   }
#pragma once

#include "framework/core/ClassesErrors.h"
#include "framework/core/TypInfo.h"

namespace Classes {

using System::TClass;
using System::TObject;
using TPersistentClass = System::TClass;
using TNotifyEvent = System::TEvent<void(System::TObject* Sender)>;

class TFiler;
class TReader;
class TWriter;

class TPersistent : public System::TObject {
    DECLARE_CLASS(TPersistent, System::TObject)
public:
    // Copies Source into this object. The default asks Source (AssignTo); nobody knowing how raises
    // EConvertError "Cannot assign a %s to a %s" (Source's class or "nil", then this class).
    virtual void Assign(TPersistent* Source);
    // The name the IDE shows: the owner's name path, ".", the class name (components: their Name).
    virtual String GetNamePath() const;
    // The object that owns this one (a sub-object's component, an item's collection), or nullptr.
    virtual TPersistent* GetOwner() const;

protected:
    // Copies this object into Dest; the default reports that it cannot.
    virtual void AssignTo(TPersistent* Dest);
    // Values streamed beside the published properties (TFiler::DefineProperty, DefineBinaryProperty).
    virtual void DefineProperties(TFiler& Filer);
    [[noreturn]] void AssignError(TPersistent* Source);

    friend class TReader;
    friend class TWriter;
};

} // namespace Classes

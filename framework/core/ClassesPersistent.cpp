// Classes: TPersistent.
#include "framework/core/ClassesPersistent.h"

namespace Classes {

using namespace TypInfo;

PUBLISHED(TPersistent, "Classes");

void TPersistent::Assign(TPersistent* Source) {
    if (Source != nullptr)
        Source->AssignTo(this);
    else
        AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* Dest) {
    Dest->AssignError(this);
}

void TPersistent::AssignError(TPersistent* Source) {
    String sourceName = Source != nullptr ? Source->ClassName() : String("nil");
    throw SysUtils::EConvertError("Cannot assign a " + sourceName + " to a " + ClassName());
}

void TPersistent::DefineProperties(TFiler&) {}

TPersistent* TPersistent::GetOwner() const {
    return nullptr;
}

String TPersistent::GetNamePath() const {
    String result = ClassName();
    if (TPersistent* owner = GetOwner()) {
        String ownerName = owner->GetNamePath();
        if (!ownerName.empty()) result = ownerName + "." + result;
    }
    return result;
}

} // namespace Classes

// Ide: the registrations of the loaded packages.
#include "ide/IdeRegistrations.h"

#include "ide/IdePackages.h"

#include "framework/core/ClassesRegistry.h"

#include <algorithm>

namespace Ide {

namespace {

String NameOf(const TPackage* p) {
    return p ? p->GetName() : String("the IDE");
}

// How far up from Class the class Ancestor is: 0 for Class itself; -1 when it is no ancestor.
int Distance(TClass Class, TClass Ancestor) {
    int n = 0;
    for (TClass c = Class; c; c = c->Parent, ++n)
        if (c == Ancestor) return n;
    return -1;
}

template <class E> void DropPackage(std::vector<E>& list, const TPackage* p) {
    std::erase_if(list, [&](const E& e) { return e.Package == p; });
}

} // namespace

void TRegistrations::CheckNew(TComponentClass ComponentClass) const {
    auto clash = [&](const TPackage* p) {
        throw EPackageError("Component " + String(ComponentClass->ClassName) + " cannot be registered by " +
                            NameOf(FCurrent) + ": " + NameOf(p) + " has registered it already");
    };
    for (const TPaletteEntry& e : FPalette)
        if (e.ComponentClass == ComponentClass ||
            SysUtils::SameText(e.ComponentClass->ClassName, ComponentClass->ClassName))
            clash(e.Package);
    for (const TClassEntry& e : FNoIcon)
        if (e.Class == ComponentClass || SysUtils::SameText(e.Class->ClassName, ComponentClass->ClassName))
            clash(e.Package);
}

void TRegistrations::RegisterComponents(const String& Page,
                                        const std::vector<TComponentClass>& ComponentClasses) {
    for (TComponentClass c : ComponentClasses)
        CheckNew(c);
    for (TComponentClass c : ComponentClasses) {
        Classes::RegisterClasses({c});
        FPalette.push_back({Page, c, FCurrent});
    }
}

void TRegistrations::RegisterNoIcon(const std::vector<TComponentClass>& ComponentClasses) {
    for (TComponentClass c : ComponentClasses)
        CheckNew(c);
    for (TComponentClass c : ComponentClasses) {
        Classes::RegisterClasses({c});
        FNoIcon.push_back({c, FCurrent});
    }
}

void TRegistrations::RegisterClasses(const std::vector<TPersistentClass>& AClasses) {
    for (TPersistentClass c : AClasses)
        FClasses.push_back({c, FCurrent});
}

void TRegistrations::RegisterComponentEditor(TComponentClass ComponentClass, TClass ComponentEditor) {
    FComponentEditors.push_back({ComponentClass, ComponentEditor, FCurrent});
}

void TRegistrations::RegisterPropertyEditor(const TPropertyType& PropertyType, TComponentClass ComponentClass,
                                            const String& PropertyName, TClass EditorClass) {
    FPropertyEditors.push_back({PropertyType, ComponentClass, PropertyName, EditorClass, FCurrent});
}

void TRegistrations::Forget(const TPackage* Package) {
    // The classes registered for the designer's streams go with their components.
    for (const TPaletteEntry& e : FPalette)
        if (e.Package == Package) Classes::UnRegisterClasses({e.ComponentClass});
    for (const TClassEntry& e : FNoIcon)
        if (e.Package == Package) Classes::UnRegisterClasses({e.Class});
    DropPackage(FPalette, Package);
    DropPackage(FNoIcon, Package);
    DropPackage(FClasses, Package);
    DropPackage(FComponentEditors, Package);
    DropPackage(FPropertyEditors, Package);
}

std::vector<TPalettePage> TRegistrations::Pages() const {
    std::vector<TPalettePage> pages;
    for (const TPaletteEntry& e : FPalette) {
        auto it = std::find_if(pages.begin(), pages.end(),
                               [&](const TPalettePage& p) { return SysUtils::SameText(p.Name, e.Page); });
        if (it == pages.end()) it = pages.insert(pages.end(), TPalettePage{e.Page, {}});
        it->Components.push_back(e.ComponentClass);
    }
    return pages;
}

bool TRegistrations::IsComponentRegistered(TComponentClass ComponentClass) const {
    return std::any_of(FPalette.begin(), FPalette.end(),
                       [&](const TPaletteEntry& e) { return e.ComponentClass == ComponentClass; }) ||
           std::any_of(FNoIcon.begin(), FNoIcon.end(),
                       [&](const TClassEntry& e) { return e.Class == ComponentClass; });
}

TClass TRegistrations::ComponentEditorOf(TComponentClass ComponentClass) const {
    // The nearest class wins; among editors of one class, the later.
    TClass best = nullptr;
    int bestDistance = -1;
    for (const TComponentEditorEntry& e : FComponentEditors) {
        int d = Distance(ComponentClass, e.ComponentClass);
        if (d >= 0 && (bestDistance < 0 || d <= bestDistance)) {
            best = e.Editor;
            bestDistance = d;
        }
    }
    return best;
}

TClass TRegistrations::PropertyEditorOf(TComponentClass ComponentClass,
                                        const TypInfo::TPropInfo* Prop) const {
    // Rank: the property's name given (2), a component class given (1); then the nearest type and class;
    // among equals, the later registration.
    TClass best = nullptr;
    int bestRank = -1, bestTypeDistance = 0, bestClassDistance = 0;
    for (const TPropertyEditorEntry& e : FPropertyEditors) {
        int typeDistance = 0;
        if (e.PropertyType.Info) {
            if (!Prop->IsOrdinal() || Prop->PropType != e.PropertyType.Info) continue;
        } else {
            if (Prop->PropClass == nullptr ||
                (typeDistance = Distance(Prop->PropClass, e.PropertyType.Class)) < 0)
                continue;
        }
        int classDistance = 0;
        if (e.ComponentClass && (classDistance = Distance(ComponentClass, e.ComponentClass)) < 0) continue;
        if (!e.PropertyName.empty() && !SysUtils::SameText(e.PropertyName, Prop->Name)) continue;
        int rank = (e.PropertyName.empty() ? 0 : 2) + (e.ComponentClass ? 1 : 0);
        bool better =
            rank > bestRank ||
            (rank == bestRank && (typeDistance < bestTypeDistance ||
                                  (typeDistance == bestTypeDistance && classDistance <= bestClassDistance)));
        if (better) {
            best = e.Editor;
            bestRank = rank;
            bestTypeDistance = typeDistance;
            bestClassDistance = classDistance;
        }
    }
    return best;
}

} // namespace Ide

// Ide: what the packages registered: the palette, the classes, the components without icon, the component
// editors and the property editors, each remembered with the package that registered it.
//
// Declares: TRegistrations (the IDE's TRegistrationHost: DsgnIntf's procedures arrive here), its entries and
// its queries (Pages, ComponentEditorOf, PropertyEditorOf).
//
// A component class is on the palette once: registering it again (on any page, from any package) raises
// EPackageError naming the package that has it. Components on the palette and without icon are also
// registered with the framework's class registry, so that the forms the designer reads find them.
// Editors: the one registered for the nearest class wins (a property editor: one naming the property
// beats one naming the component class beats one for any; among equals, the later); Forget(Package)
// drops everything a package registered, and takes its components out of the class registry.
#pragma once

#include "framework/core/SysUtilsPackages.h"
#include "framework/vcl/DsgnIntf.h"

namespace Ide {

using Classes::TComponentClass;
using Classes::TPersistentClass;
using DsgnIntf::TPropertyType;
using System::TClass;
using SysUtils::EPackageError;
using SysUtils::String;

class TPackage;

struct TPaletteEntry {
    String Page;
    TComponentClass ComponentClass;
    const TPackage* Package;
};
struct TClassEntry {
    TPersistentClass Class;
    const TPackage* Package;
};
struct TComponentEditorEntry {
    TComponentClass ComponentClass;
    TClass Editor;
    const TPackage* Package;
};
struct TPropertyEditorEntry {
    TPropertyType PropertyType;
    TComponentClass ComponentClass; // nullptr: any
    String PropertyName;            // "": any
    TClass Editor;
    const TPackage* Package;
};
struct TPalettePage {
    String Name;
    std::vector<TComponentClass> Components; // in the order they were registered
};

class TRegistrations : public DsgnIntf::TRegistrationHost {
public:
    // The package whose Register procedures run now: what arrives is remembered as its.
    void SetCurrentPackage(const TPackage* Package) { FCurrent = Package; }
    const TPackage* GetCurrentPackage() const { return FCurrent; }
    // Drops what Package registered.
    void Forget(const TPackage* Package);

    void RegisterComponents(const String& Page,
                            const std::vector<TComponentClass>& ComponentClasses) override;
    void RegisterNoIcon(const std::vector<TComponentClass>& ComponentClasses) override;
    void RegisterClasses(const std::vector<TPersistentClass>& AClasses) override;
    void RegisterComponentEditor(TComponentClass ComponentClass, TClass ComponentEditor) override;
    void RegisterPropertyEditor(const TPropertyType& PropertyType, TComponentClass ComponentClass,
                                const String& PropertyName, TClass EditorClass) override;

    const std::vector<TPaletteEntry>& GetPalette() const { return FPalette; }
    const std::vector<TClassEntry>& GetNoIcon() const { return FNoIcon; }
    const std::vector<TClassEntry>& GetClasses() const { return FClasses; }
    const std::vector<TComponentEditorEntry>& GetComponentEditors() const { return FComponentEditors; }
    const std::vector<TPropertyEditorEntry>& GetPropertyEditors() const { return FPropertyEditors; }
    // The palette by page, pages in the order they first appeared.
    std::vector<TPalettePage> Pages() const;
    // Whether a component class is known: on the palette or without icon.
    bool IsComponentRegistered(TComponentClass ComponentClass) const;
    // The editor class for a component of class ComponentClass, or nullptr.
    TClass ComponentEditorOf(TComponentClass ComponentClass) const;
    // The editor class for the property Prop of a component of class ComponentClass, or nullptr.
    TClass PropertyEditorOf(TComponentClass ComponentClass, const TypInfo::TPropInfo* Prop) const;
    // The same for the editors DsgnIntf makes.
    TClass FindComponentEditor(TComponentClass ComponentClass) const override {
        return ComponentEditorOf(ComponentClass);
    }
    TClass FindPropertyEditor(TClass ComponentClass, const TypInfo::TPropInfo* Prop) const override {
        return PropertyEditorOf(ComponentClass, Prop);
    }

private:
    void CheckNew(TComponentClass ComponentClass) const;

    const TPackage* FCurrent = nullptr;
    std::vector<TPaletteEntry> FPalette;
    std::vector<TClassEntry> FNoIcon;
    std::vector<TClassEntry> FClasses;
    std::vector<TComponentEditorEntry> FComponentEditors;
    std::vector<TPropertyEditorEntry> FPropertyEditors;
};

} // namespace Ide

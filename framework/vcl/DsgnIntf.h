// DsgnIntf: the design-time interface between component packages and the IDE that loads them.
//
// Declares: the registration procedures a unit's Register calls (RegisterComponents, RegisterNoIcon,
// RegisterClasses, RegisterComponentEditor, RegisterPropertyEditor), TPropertyType (what a property editor is
// registered for) and TRegistrationHost (the IDE's side, which the IDE installs with SetRegistrationHost).
// The editor classes and the designer's interfaces come with it (DsgnIntfEditors.h, DsgnIntfDesigner.h).
//
//   void Register() {                                               // a unit of a package
//       DsgnIntf::RegisterComponents("Umbrevale", {&TKTNEWQRVFrame::ClassInfo});
//       DsgnIntf::RegisterNoIcon({&TVeskMenuItem::ClassInfo});
//       DsgnIntf::RegisterPropertyEditor(&TVeskMenuBar::ClassInfo, nullptr, "",
//       &TVeskMenuBarEditor::ClassInfo);
//   }
//
// The procedures check what they are given (EComponentError "Invalid component registration": a class that
// is not a component where one must be, a missing class) and hand it to the host. Registration means
// something only in the IDE: without a host they raise EComponentError, except RegisterClasses, which
// registers with the framework's class registry in any case (so streams find the classes by name).
#pragma once

#include "framework/core/ClassesComponent.h"
#include "framework/vcl/DsgnIntfDesigner.h"
#include "framework/vcl/DsgnIntfEditors.h"

#include <initializer_list>
#include <vector>

namespace DsgnIntf {

using Classes::TComponentClass;
using Classes::TPersistentClass;
using System::TClass;
using SysUtils::String;

// The type of the properties a property editor edits: an ordinal type (its type information: an
// enumeration, a set) or a class (properties holding objects of that class or a descendant).
struct TPropertyType {
    const TypInfo::TTypeInfo* Info = nullptr;
    TClass Class = nullptr;
    TPropertyType(const TypInfo::TTypeInfo* AInfo) : Info(AInfo) {}
    TPropertyType(TClass AClass) : Class(AClass) {}
};

// The IDE's registrations. Classes of editors are class references (their editor base classes come with the
// designer).
class TRegistrationHost {
public:
    virtual ~TRegistrationHost() = default;
    virtual void RegisterComponents(const String& Page,
                                    const std::vector<TComponentClass>& ComponentClasses) = 0;
    virtual void RegisterNoIcon(const std::vector<TComponentClass>& ComponentClasses) = 0;
    virtual void RegisterClasses(const std::vector<TPersistentClass>& AClasses) = 0;
    virtual void RegisterComponentEditor(TComponentClass ComponentClass, TClass ComponentEditor) = 0;
    // ComponentClass nullptr: in any component; PropertyName "": any property of the type.
    virtual void RegisterPropertyEditor(const TPropertyType& PropertyType, TComponentClass ComponentClass,
                                        const String& PropertyName, TClass EditorClass) = 0;
    // The editors registered for a component of class ComponentClass and for its property Prop (for
    // sub-properties: the class of the sub-object), or nullptr: the framework's defaults apply.
    virtual TClass FindComponentEditor(TComponentClass ComponentClass) const;
    virtual TClass FindPropertyEditor(TClass ComponentClass, const TypInfo::TPropInfo* Prop) const;
};

// The host that registrations go to (nullptr: none). The IDE installs itself while it loads packages.
void SetRegistrationHost(TRegistrationHost* Host);
TRegistrationHost* GetRegistrationHost();

// Components on the palette page Page.
void RegisterComponents(const String& Page, std::initializer_list<TComponentClass> ComponentClasses);
// Components the IDE knows without a palette icon (created by their own editors).
void RegisterNoIcon(std::initializer_list<TComponentClass> ComponentClasses);
// Classes streams create by name: the framework's class registry, and the IDE's list of them.
void RegisterClasses(std::initializer_list<TPersistentClass> AClasses);
// The component editor of ComponentClass and its descendants.
void RegisterComponentEditor(TComponentClass ComponentClass, TClass ComponentEditor);
// The property editor of the properties of PropertyType, in ComponentClass and its descendants (nullptr:
// any), named PropertyName (ignoring case; "": any name).
void RegisterPropertyEditor(const TPropertyType& PropertyType, TComponentClass ComponentClass,
                            const String& PropertyName, TClass EditorClass);

} // namespace DsgnIntf

// DsgnIntf: the registration procedures, checked and handed to the IDE's host.
#include "framework/vcl/DsgnIntf.h"

#include "framework/core/ClassesRegistry.h"

namespace DsgnIntf {

namespace {

TRegistrationHost* Host = nullptr;

bool IsComponentClass(TClass c) {
    return c != nullptr && c->InheritsFrom(&Classes::TComponent::ClassInfo);
}

[[noreturn]] void Invalid() {
    throw Classes::EComponentError("Invalid component registration");
}

TRegistrationHost& TheHost() {
    if (Host == nullptr)
        throw Classes::EComponentError(
            "Components and editors are registered only while the IDE loads a package");
    return *Host;
}

std::vector<TComponentClass> ComponentClassesOf(std::initializer_list<TComponentClass> list) {
    for (TComponentClass c : list)
        if (!IsComponentClass(c)) Invalid();
    return std::vector<TComponentClass>(list);
}

} // namespace

TClass TRegistrationHost::FindComponentEditor(TComponentClass) const {
    return nullptr;
}

TClass TRegistrationHost::FindPropertyEditor(TClass, const TypInfo::TPropInfo*) const {
    return nullptr;
}

void SetRegistrationHost(TRegistrationHost* AHost) {
    Host = AHost;
}

TRegistrationHost* GetRegistrationHost() {
    return Host;
}

void RegisterComponents(const String& Page, std::initializer_list<TComponentClass> ComponentClasses) {
    std::vector<TComponentClass> classes = ComponentClassesOf(ComponentClasses);
    if (Page.empty()) Invalid();
    TheHost().RegisterComponents(Page, classes);
}

void RegisterNoIcon(std::initializer_list<TComponentClass> ComponentClasses) {
    std::vector<TComponentClass> classes = ComponentClassesOf(ComponentClasses);
    TheHost().RegisterNoIcon(classes);
}

void RegisterClasses(std::initializer_list<TPersistentClass> AClasses) {
    Classes::RegisterClasses(AClasses);
    if (Host) Host->RegisterClasses(std::vector<TPersistentClass>(AClasses));
}

void RegisterComponentEditor(TComponentClass ComponentClass, TClass ComponentEditor) {
    if (!IsComponentClass(ComponentClass) || ComponentEditor == nullptr) Invalid();
    TheHost().RegisterComponentEditor(ComponentClass, ComponentEditor);
}

void RegisterPropertyEditor(const TPropertyType& PropertyType, TComponentClass ComponentClass,
                            const String& PropertyName, TClass EditorClass) {
    if ((PropertyType.Info == nullptr && PropertyType.Class == nullptr) || EditorClass == nullptr ||
        (ComponentClass != nullptr && !IsComponentClass(ComponentClass)))
        Invalid();
    TheHost().RegisterPropertyEditor(PropertyType, ComponentClass, PropertyName, EditorClass);
}

} // namespace DsgnIntf

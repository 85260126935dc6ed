// Classes: the class registry.
#include "framework/core/ClassesRegistry.h"

#include "framework/core/ClassesComponent.h"

#include <algorithm>
#include <vector>

namespace Classes {

namespace {

// The registry lives in the framework's module; asked for, it is made on first use, so that the units that
// register their classes while the program starts up find it ready.
std::vector<TPersistentClass>& ClassList() {
    static std::vector<TPersistentClass> list;
    return list;
}

std::vector<TComponentRegistration>& Registrations() {
    static std::vector<TComponentRegistration> list;
    return list;
}

} // namespace

void RegisterClass(TPersistentClass AClass) {
    if (AClass == nullptr || !AClass->InheritsFrom(&TPersistent::ClassInfo))
        throw EFilerError("Only persistent classes can be registered");
    auto& list = ClassList();
    // 1. The class, then each ancestor, up to TPersistent; stop at the first one already there.
    for (TPersistentClass c = AClass; c != nullptr; c = c->Parent) {
        if (std::find(list.begin(), list.end(), c) != list.end()) return;
        if (GetClass(c->ClassName) != nullptr)
            throw EFilerError("A class named " + String(c->ClassName) + " already exists");
        list.push_back(c);
        if (c == &TPersistent::ClassInfo) return;
    }
}

void RegisterClasses(std::initializer_list<TPersistentClass> AClasses) {
    for (TPersistentClass c : AClasses)
        RegisterClass(c);
}

void UnRegisterClass(TPersistentClass AClass) {
    auto& list = ClassList();
    list.erase(std::remove(list.begin(), list.end(), AClass), list.end());
}

void UnRegisterClasses(std::initializer_list<TPersistentClass> AClasses) {
    for (TPersistentClass c : AClasses)
        UnRegisterClass(c);
}

TPersistentClass GetClass(std::string_view AClassName) {
    for (TPersistentClass c : ClassList())
        if (SysUtils::SameText(c->ClassName, AClassName)) return c;
    return nullptr;
}

TPersistentClass FindClass(std::string_view AClassName) {
    TPersistentClass c = GetClass(AClassName);
    if (c == nullptr) throw EClassNotFound("Class " + String(AClassName) + " not found");
    return c;
}

TRegisterComponentsProc RegisterComponentsProc = nullptr;

void RegisterComponents(const String& Page, std::initializer_list<TPersistentClass> ComponentClasses) {
    for (TPersistentClass c : ComponentClasses)
        if (c == nullptr || !c->InheritsFrom(&TComponent::ClassInfo))
            throw EComponentError("Invalid component registration");
    for (TPersistentClass c : ComponentClasses)
        Registrations().push_back({Page, c});
    if (RegisterComponentsProc) RegisterComponentsProc(Page, std::vector<TPersistentClass>(ComponentClasses));
}

std::vector<TComponentRegistration> RegisteredComponents() {
    return Registrations();
}

} // namespace Classes

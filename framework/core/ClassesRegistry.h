// Classes: the class registry, where streams find classes by the names they store.
//
// Declares: RegisterClass, RegisterClasses, UnRegisterClass, GetClass, FindClass; and the palette hook
// RegisterComponents (with RegisterComponentsProc and RegisteredComponents).
//
//   Classes::RegisterClasses({&TVeskMenuItem::ClassInfo, &TShadowText::ClassInfo});
//   TClass cls = Classes::FindClass("TVeskMenuItem");   // EClassNotFound "Class TFoo not found"
//
// Registering a class registers its ancestors up to TPersistent, as the framework does. Names compare
// ignoring case. A different class under a name already registered raises EFilerError "A class named %s
// already exists"; registering the same class again does nothing.
#pragma once

#include "framework/core/ClassesPersistent.h"

#include <initializer_list>
#include <string_view>
#include <vector>

namespace Classes {

void RegisterClass(TPersistentClass AClass);
void RegisterClasses(std::initializer_list<TPersistentClass> AClasses);
// Takes the class itself (not its ancestors) out of the registry.
void UnRegisterClass(TPersistentClass AClass);
void UnRegisterClasses(std::initializer_list<TPersistentClass> AClasses);
// A registered class by name, or nullptr.
TPersistentClass GetClass(std::string_view AClassName);
// A registered class by name; EClassNotFound "Class %s not found" when there is none.
TPersistentClass FindClass(std::string_view AClassName);

// ---- The IDE's component palette. A unit's Register procedure puts its components on a palette page:
//   Classes::RegisterComponents("Dialogs", {&TPageDialog::ClassInfo});
// The IDE receives them through RegisterComponentsProc, which it installs; every registration is also
// recorded, in order, so that what a package registers can be read without the IDE. A class that is not a
// component raises EComponentError "Invalid component registration" and nothing is recorded.
using TRegisterComponentsProc = void (*)(const String& Page, const std::vector<TPersistentClass>& Classes);
extern TRegisterComponentsProc RegisterComponentsProc;
void RegisterComponents(const String& Page, std::initializer_list<TPersistentClass> ComponentClasses);
struct TComponentRegistration {
    String Page;
    TPersistentClass ComponentClass;
};
std::vector<TComponentRegistration> RegisteredComponents();

} // namespace Classes

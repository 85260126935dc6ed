// Classes: the class registry, where streams find classes by the names they store.
//
// Declares: RegisterClass, RegisterClasses, UnRegisterClass, UnRegisterModuleClasses, GetClass, FindClass.
// (A unit's Register puts its components on the IDE's palette through DsgnIntf, framework/vcl/DsgnIntf.h.)
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

namespace Classes {

void RegisterClass(TPersistentClass AClass);
void RegisterClasses(std::initializer_list<TPersistentClass> AClasses);
// Takes the class itself (not its ancestors) out of the registry.
void UnRegisterClass(TPersistentClass AClass);
void UnRegisterClasses(std::initializer_list<TPersistentClass> AClasses);
#ifdef _WIN32
// Takes every class defined in Module (an HMODULE: a package being unloaded) out of the registry.
void UnRegisterModuleClasses(void* Module);
#endif
// A registered class by name, or nullptr.
TPersistentClass GetClass(std::string_view AClassName);
// A registered class by name; EClassNotFound "Class %s not found" when there is none.
TPersistentClass FindClass(std::string_view AClassName);

} // namespace Classes

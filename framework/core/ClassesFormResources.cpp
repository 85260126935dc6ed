// Classes: form resources (Windows): the module list and reading a component from an RCDATA (10) resource.
#ifdef _WIN32
#include "framework/core/ClassesReaderWriter.h"

#include <windows.h>

#include <algorithm>

namespace Classes {

namespace {

// The modules searched for resources: the program first, then the packages as they registered.
std::vector<void*>& Modules() {
    static std::vector<void*> modules = {GetModuleHandleW(nullptr)};
    return modules;
}

void* ModuleWith(const String& ResName) {
    std::u16string name = SysUtils::Utf8ToUtf16(ResName);
    for (void* m : Modules())
        if (FindResourceW(static_cast<HMODULE>(m), reinterpret_cast<const wchar_t*>(name.c_str()),
                          MAKEINTRESOURCEW(10)))
            return m;
    return nullptr;
}

} // namespace

void RegisterModule(void* Module) {
    auto& modules = Modules();
    if (Module != nullptr && std::find(modules.begin(), modules.end(), Module) == modules.end())
        modules.push_back(Module);
}

void UnregisterModule(void* Module) {
    auto& modules = Modules();
    modules.erase(std::remove(modules.begin(), modules.end(), Module), modules.end());
}

TComponent* ReadComponentRes(const String& ResName, TComponent* Instance) {
    void* module = ModuleWith(ResName);
    if (module == nullptr) return nullptr;
    TResourceStream stream(module, ResName, MAKEINTRESOURCEW(10));
    return ReadComponentFromStream(stream, Instance);
}

bool InitInheritedComponent(TComponent* Instance, TComponentClass RootAncestor) {
    // The classes between RootAncestor and the instance's own, the most basic first: an inherited form's
    // stream holds only what it changes.
    std::vector<TComponentClass> chain;
    for (TComponentClass c = Instance->ClassType();
         c != nullptr && c != RootAncestor && c != &TComponent::ClassInfo; c = c->Parent)
        chain.push_back(c);
    bool found = false;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        if (ReadComponentRes(SysUtils::UpperCase((*it)->ClassName), Instance) != nullptr) found = true;
    return found;
}

} // namespace Classes
#endif

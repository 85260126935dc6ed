// Classes: form resources (Windows): the module list (each module with its language resource module) and
// reading a component from an RCDATA (10) resource.
#ifdef _WIN32
#include "framework/core/ClassesReaderWriter.h"

#include <windows.h>

#include <algorithm>

namespace Classes {

namespace {

struct TModule {
    void* Module;
    void* ResModule; // its language resource module, or nullptr
};

// The modules searched for resources: the program first, then the packages as they registered.
std::vector<TModule>& Modules() {
    static std::vector<TModule> modules = {{GetModuleHandleW(nullptr), nullptr}};
    return modules;
}

bool HasForm(void* module, const std::u16string& name) {
    return module && FindResourceW(static_cast<HMODULE>(module),
                                   reinterpret_cast<const wchar_t*>(name.c_str()), MAKEINTRESOURCEW(10));
}

void* ModuleWith(const String& ResName) {
    std::u16string name = SysUtils::Utf8ToUtf16(ResName);
    for (const TModule& m : Modules()) {
        if (HasForm(m.ResModule, name)) return m.ResModule;
        if (HasForm(m.Module, name)) return m.Module;
    }
    return nullptr;
}

} // namespace

void RegisterModule(void* Module, void* ResModule) {
    auto& modules = Modules();
    if (Module == nullptr) return;
    for (TModule& m : modules)
        if (m.Module == Module) {
            m.ResModule = ResModule;
            return;
        }
    modules.push_back({Module, ResModule});
}

void UnregisterModule(void* Module) {
    auto& modules = Modules();
    std::erase_if(modules, [&](const TModule& m) { return m.Module == Module; });
}

void* FindResourceHInstance(void* Module) {
    for (const TModule& m : Modules())
        if (m.Module == Module && m.ResModule) return m.ResModule;
    return Module;
}

void* FindClassHInstance(TClass Class) {
    HMODULE module = nullptr;
    if (Class == nullptr || !GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                                    GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                                reinterpret_cast<LPCWSTR>(Class), &module))
        return GetModuleHandleW(nullptr);
    return module;
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

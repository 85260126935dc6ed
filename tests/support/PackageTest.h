// Helpers of the tests of component packages: what a DLL exports (read from its PE export table) and
// imports, its resources' bytes, and the test environment of a program that links a package.
#pragma once
#ifdef _WIN32

#include "framework/core/SysUtils.h"
#include "framework/vcl/SysInit.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace PackageTest {

using SysUtils::String;

inline const IMAGE_DATA_DIRECTORY& Directory(HMODULE Module, int Entry) {
    auto* base = reinterpret_cast<const uint8_t*>(Module);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    return nt->OptionalHeader.DataDirectory[Entry];
}

// The names a loaded module exports, in the table's (sorted) order.
inline std::vector<String> ExportNames(HMODULE Module) {
    auto* base = reinterpret_cast<const uint8_t*>(Module);
    auto* dir = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(
        base + Directory(Module, IMAGE_DIRECTORY_ENTRY_EXPORT).VirtualAddress);
    auto* names = reinterpret_cast<const DWORD*>(base + dir->AddressOfNames);
    std::vector<String> out;
    for (DWORD i = 0; i < dir->NumberOfNames; ++i)
        out.emplace_back(reinterpret_cast<const char*>(base + names[i]));
    return out;
}

// The names of the DLLs a loaded module imports, in lower case.
inline std::vector<String> ImportNames(HMODULE Module) {
    auto* base = reinterpret_cast<const uint8_t*>(Module);
    std::vector<String> out;
    for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
             base + Directory(Module, IMAGE_DIRECTORY_ENTRY_IMPORT).VirtualAddress);
         d->Name != 0; ++d)
        out.push_back(SysUtils::LowerCase(reinterpret_cast<const char*>(base + d->Name)));
    return out;
}

// The bytes of a resource; empty when the module has none of that name.
inline std::vector<uint8_t> ResourceBytes(HMODULE Module, LPCWSTR Name, LPCWSTR Type = MAKEINTRESOURCEW(10)) {
    HRSRC r = FindResourceW(Module, Name, Type);
    if (r == nullptr) return {};
    auto* p = static_cast<const uint8_t*>(LockResource(LoadResource(Module, r)));
    return std::vector<uint8_t>(p, p + SizeofResource(Module, r));
}

// A test program that links a package initialises it before the tests and finalises it after them, as
// any program that links a package does.
class TLinkedPackage : public testing::Environment {
public:
    explicit TLinkedPackage(const wchar_t* Dll) : FDll(Dll) {}
    void SetUp() override {
        ASSERT_NE(GetModuleHandleW(FDll), nullptr) << "the program does not link the package";
        SysInit::InitializePackage(GetModuleHandleW(FDll));
    }
    void TearDown() override { SysInit::FinalizePackage(GetModuleHandleW(FDll)); }

private:
    const wchar_t* FDll;
};

} // namespace PackageTest

#endif

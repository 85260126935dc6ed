// SysUtils: the resources that describe a component package, as the package frame writes them and the IDE
// reads them.
//
// Declares: the package flags (pf...) and unit flags (uf...), TPackageUnitInfo, TPackageInfo and the bytes of
// "PACKAGEINFO" both ways, the bytes of "PACKAGEOPTIONS" and "DESCRIPTION" both ways, PackageNameHash,
// PackageFlagsText, and EPackageError.
//
// "PACKAGEINFO", little-endian: uint32 flags; int32 required count, each an uint8 hash and a zero-terminated
// name; int32 contained count, each an uint8 unit flags, an uint8 hash and a zero-terminated name, the
// package itself first. The hash is the low byte of the ELF hash of the upper-case name. Worked example,
// Ferrolin (60 bytes): 02 00 00 40 | 01 00 00 00 | 60 "vcl30" 00 | 03 00 00 00 | 01 7E "Ferrolin" 00 |
// 02 07 "MasterFileSetting" 00 | 14 B4 "SysInit" 00.
// "PACKAGEOPTIONS": zero-terminated UTF-16 strings "Name=Value", ended by an empty one.
// "DESCRIPTION": one zero-terminated UTF-16 string.
// The readers check every byte: EPackageError "<What> is damaged: <why>" for what is not as above.
#pragma once

#include "framework/core/SysUtils.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace SysUtils {

VCL_EXCEPTION_CLASS(EPackageError, Exception);

inline constexpr uint32_t pfNeverBuild = 0x01;
inline constexpr uint32_t pfDesignOnly = 0x02;
inline constexpr uint32_t pfRunOnly = 0x04;
inline constexpr uint32_t pfModuleTypeMask = 0xC0000000;
inline constexpr uint32_t pfPackageModule = 0x40000000;

inline constexpr uint8_t ufMainUnit = 0x01;     // the package itself
inline constexpr uint8_t ufPackageUnit = 0x02;  // a unit the package declares
inline constexpr uint8_t ufWeakUnit = 0x04;     // every module carries its own copy (SysInit)
inline constexpr uint8_t ufImplicitUnit = 0x10; // put in by the frame, not declared

struct TPackageUnitInfo {
    String Name;
    uint8_t Flags = 0;
};

struct TPackageInfo {
    uint32_t Flags = 0;
    std::vector<String> Requires;
    std::vector<TPackageUnitInfo> Contains;
};

uint8_t PackageNameHash(std::string_view Name);

std::vector<uint8_t> PackageInfoBytes(const TPackageInfo& Info);
TPackageInfo ParsePackageInfo(const uint8_t* Data, size_t Size, const String& What);
std::vector<uint8_t> PackageOptionsBytes(const std::vector<std::pair<String, String>>& Options);
std::vector<std::pair<String, String>> ParsePackageOptions(const uint8_t* Data, size_t Size,
                                                           const String& What);
std::vector<uint8_t> DescriptionBytes(const String& Description);
String ParseDescription(const uint8_t* Data, size_t Size, const String& What);

// "design-time only, never rebuilt", "design-time and run-time", "run-time only".
String PackageFlagsText(uint32_t Flags);

} // namespace SysUtils

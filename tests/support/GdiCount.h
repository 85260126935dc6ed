// LiveGdiObjects(): the number of GDI objects the process holds, for tests that prove they leak nothing.
//
// Wine's GetGuiResources is a stub (it returns 0), so this reads Wine's shared GDI handle table, which the
// process environment block points at (x64: offset 0xF8; 24-byte entries, a non-zero type byte is live).
// The first DCs and the first GetDC create objects once: take the baseline after a warm-up.
#pragma once

#include <cstdint>
#include <windows.h>

namespace TestSupport {

inline int LiveGdiObjects() {
    struct GdiEntry {
        uint64_t Object;
        uint16_t Pid, Count, Unique;
        uint8_t Type, Flags;
        uint64_t User;
    };
    const BYTE* peb; // gs:[0x60] on x64; the intrinsic trips a false array-bounds warning in GCC 12
    asm("movq %%gs:0x60, %0" : "=r"(peb));
    auto table = *reinterpret_cast<GdiEntry* const*>(peb + 0xF8);
    if (!table) return -1;
    int n = 0;
    for (int i = 0; i < 0x10000; i++)
        if (table[i].Type) n++;
    return n;
}

} // namespace TestSupport

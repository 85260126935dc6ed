// WinHandles: RAII guards for the Win32 handles the framework's Windows layer uses.
//
// Declares: THandleT<T, Free> and its GDI form TGdiObjectT<T, Owned> (TBrush, TPen, TFontHandle,
// TBitmapHandle, TRegion and their views), TEnhMetafileHandle, TIconHandle, the device-context pairings
// (TWindowDC, TMemoryDC, TPaintDC), TSelectObject, TSaveDC, TGlobalMemory.
//
// Every handle type has an owning form, which frees the handle in its destructor, and a view form, which
// never does; a DC the system hands us (WM_PAINT, WM_DRAWITEM) is always wrapped as a view. Each acquire has
// its release in a destructor, so nothing leaks on an exception path. Creation failures throw EOutOfResources
// with a message naming the object, so no null handle escapes.
//
// GDI rules the guards keep: an object selected into a DC is never deleted while selected (TSelectObject puts
// the previous one back first: declare the object before its selection); a bitmap is selected into one DC at
// a time.
#pragma once

#include "framework/core/ClassesErrors.h"

#include <utility>
#include <windows.h>

namespace WinHandles {

using Classes::EOutOfResources;

// Throws EOutOfResources "Cannot create <what>" (with the system's error code) when handle is null.
template <class H> H Check(H handle, const char* what) {
    if (!handle)
        throw EOutOfResources(SysUtils::String("Cannot create ") + what + " (system error " +
                              SysUtils::IntToStr(GetLastError()) + ")");
    return handle;
}

namespace Detail {
inline void DeleteGdiObject(HGDIOBJ handle) {
    DeleteObject(handle);
}
inline void DeleteEnhancedMetafile(HENHMETAFILE handle) {
    DeleteEnhMetaFile(handle);
}
inline void DestroyIconHandle(HICON handle) {
    DestroyIcon(handle);
}
} // namespace Detail

// A handle freed by Free on destruction (and on Reset), or only viewed when Free is null.
template <class T, auto Free> class THandleT {
public:
    THandleT() = default;
    explicit THandleT(T handle) : FHandle(handle) {}
    THandleT(const THandleT&) = delete;
    THandleT& operator=(const THandleT&) = delete;
    THandleT(THandleT&& other) noexcept : FHandle(std::exchange(other.FHandle, nullptr)) {}
    THandleT& operator=(THandleT&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.FHandle, nullptr));
        return *this;
    }
    ~THandleT() { Reset(); }

    T Get() const { return FHandle; }
    operator T() const { return FHandle; }
    explicit operator bool() const { return FHandle != nullptr; }
    T Release() { return std::exchange(FHandle, nullptr); }
    void Reset(T handle = nullptr) {
        if constexpr (Free != nullptr)
            if (FHandle && FHandle != handle) Free(FHandle);
        FHandle = handle;
    }

private:
    T FHandle = nullptr;
};

// A GDI object (pen, brush, font, bitmap, region): owned (DeleteObject on destruction) or viewed.
template <class T, bool Owned> using TGdiObjectT = THandleT<T, Owned ? &Detail::DeleteGdiObject : nullptr>;

using TBrush = TGdiObjectT<HBRUSH, true>;
using TPen = TGdiObjectT<HPEN, true>;
using TFontHandle = TGdiObjectT<HFONT, true>;
using TBitmapHandle = TGdiObjectT<HBITMAP, true>;
using TRegion = TGdiObjectT<HRGN, true>;
using TBrushView = TGdiObjectT<HBRUSH, false>;
using TFontView = TGdiObjectT<HFONT, false>;
using TBitmapView = TGdiObjectT<HBITMAP, false>;
using TEnhMetafileHandle = THandleT<HENHMETAFILE, &Detail::DeleteEnhancedMetafile>;
using TIconHandle = THandleT<HICON, &Detail::DestroyIconHandle>;

// GetDC/ReleaseDC (a window's client DC, or the screen's with hwnd null).
class TWindowDC {
public:
    explicit TWindowDC(HWND hwnd) : FWnd(hwnd), FDC(Check(GetDC(hwnd), "a window device context")) {}
    TWindowDC(const TWindowDC&) = delete;
    TWindowDC& operator=(const TWindowDC&) = delete;
    ~TWindowDC() { ReleaseDC(FWnd, FDC); }
    operator HDC() const { return FDC; }

private:
    HWND FWnd;
    HDC FDC;
};

// CreateCompatibleDC/DeleteDC.
class TMemoryDC {
public:
    explicit TMemoryDC(HDC compatible = nullptr)
        : FDC(Check(CreateCompatibleDC(compatible), "a memory device context")) {}
    TMemoryDC(const TMemoryDC&) = delete;
    TMemoryDC& operator=(const TMemoryDC&) = delete;
    ~TMemoryDC() { DeleteDC(FDC); }
    operator HDC() const { return FDC; }

private:
    HDC FDC;
};

// BeginPaint/EndPaint.
class TPaintDC {
public:
    explicit TPaintDC(HWND hwnd) : FWnd(hwnd) {
        FDC = Check(BeginPaint(hwnd, &FPaint), "a paint device context");
    }
    TPaintDC(const TPaintDC&) = delete;
    TPaintDC& operator=(const TPaintDC&) = delete;
    ~TPaintDC() { EndPaint(FWnd, &FPaint); }
    operator HDC() const { return FDC; }
    const PAINTSTRUCT& Paint() const { return FPaint; }

private:
    HWND FWnd;
    PAINTSTRUCT FPaint{};
    HDC FDC;
};

// SelectObject, and the previous object back on destruction.
class TSelectObject {
public:
    TSelectObject(HDC dc, HGDIOBJ obj) : FDC(dc), FOld(SelectObject(dc, obj)) {}
    TSelectObject(const TSelectObject&) = delete;
    TSelectObject& operator=(const TSelectObject&) = delete;
    ~TSelectObject() {
        if (FOld && FOld != HGDI_ERROR) SelectObject(FDC, FOld);
    }

private:
    HDC FDC;
    HGDIOBJ FOld;
};

// SaveDC/RestoreDC: every selection, mode and colour set meanwhile is undone.
class TSaveDC {
public:
    explicit TSaveDC(HDC dc) : FDC(dc), FSaved(SaveDC(dc)) {}
    TSaveDC(const TSaveDC&) = delete;
    TSaveDC& operator=(const TSaveDC&) = delete;
    ~TSaveDC() {
        if (FSaved) RestoreDC(FDC, FSaved);
    }

private:
    HDC FDC;
    int FSaved;
};

// GlobalAlloc/GlobalFree, with a lock scoped to Lock's lifetime.
class TGlobalMemory {
public:
    TGlobalMemory() = default;
    TGlobalMemory(UINT flags, SIZE_T size)
        : FHandle(Check(GlobalAlloc(flags, size), "a global memory block")) {}
    TGlobalMemory(const TGlobalMemory&) = delete;
    TGlobalMemory& operator=(const TGlobalMemory&) = delete;
    ~TGlobalMemory() {
        if (FHandle) GlobalFree(FHandle);
    }
    HGLOBAL Get() const { return FHandle; }
    HGLOBAL Release() { return std::exchange(FHandle, nullptr); }

    class Lock {
    public:
        explicit Lock(HGLOBAL h) : FHandle(h), FPtr(GlobalLock(h)) {}
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;
        ~Lock() {
            if (FPtr) GlobalUnlock(FHandle);
        }
        void* Get() const { return FPtr; }

    private:
        HGLOBAL FHandle;
        void* FPtr;
    };

private:
    HGLOBAL FHandle = nullptr;
};

} // namespace WinHandles

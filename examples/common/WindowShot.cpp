// WindowShot: window pixels through PrintWindow, PNG files through WIC.
#include "examples/common/WindowShot.h"

#include "framework/vcl/WinHandles.h"

#include <wincodec.h>

namespace Examples {

namespace {

// A COM interface pointer released on destruction.
template <class T> struct TCom {
    T* P = nullptr;
    ~TCom() {
        if (P) P->Release();
    }
    T* operator->() const { return P; }
    T** operator&() { return &P; }
};

void Check(HRESULT hr, const char* What, const SysUtils::String& FileName) {
    if (FAILED(hr))
        throw SysUtils::Exception("Cannot write " + FileName + ": " + What + " failed (HRESULT 0x" +
                                  SysUtils::IntToHex(uint32_t(hr), 8) + ")");
}

} // namespace

namespace {

// The window's rectangle into a 32-bit top-down DIB, by Paint(dc, rect); the pixels made opaque.
template <class F> std::vector<uint32_t> Capture(HWND Window, int& Width, int& Height, F&& Paint) {
    RECT r;
    if (!GetWindowRect(Window, &r)) throw SysUtils::Exception("The window to capture does not exist");
    Width = r.right - r.left;
    Height = r.bottom - r.top;
    if (Width <= 0 || Height <= 0) throw SysUtils::Exception("The window to capture is empty");
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), Width, -Height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    WinHandles::TMemoryDC dc;
    void* bits = nullptr;
    WinHandles::TBitmapHandle dib(
        WinHandles::Check(CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0), "a capture bitmap"));
    {
        WinHandles::TSelectObject select(dc, dib);
        Paint(HDC(dc), r);
        GdiFlush();
    }
    std::vector<uint32_t> pixels(static_cast<uint32_t*>(bits),
                                 static_cast<uint32_t*>(bits) + size_t(Width) * Height);
    for (uint32_t& p : pixels)
        p |= 0xFF000000u; // GDI leaves the alpha byte 0, which PNG would read as transparent
    return pixels;
}

void FromScreen(HDC DC, const RECT& R) {
    WinHandles::TWindowDC screen(nullptr);
    BitBlt(DC, 0, 0, R.right - R.left, R.bottom - R.top, screen, R.left, R.top, SRCCOPY);
}

} // namespace

std::vector<uint32_t> CaptureWindow(HWND Window, int& Width, int& Height) {
    return Capture(Window, Width, Height, [&](HDC dc, const RECT& r) {
        // What the screen shows of the window, when it cannot paint itself into another DC.
        if (!PrintWindow(Window, dc, 0)) FromScreen(dc, r);
    });
}

std::vector<uint32_t> CaptureScreen(HWND Window, int& Width, int& Height) {
    RedrawWindow(Window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    return Capture(Window, Width, Height, [](HDC dc, const RECT& r) { FromScreen(dc, r); });
}

void SavePng(const std::vector<uint32_t>& Pixels, int Width, int Height, const SysUtils::String& FileName) {
    HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    struct TUninit {
        bool Needed;
        ~TUninit() {
            if (Needed) CoUninitialize();
        }
    } uninit{SUCCEEDED(init)};
    std::u16string name = SysUtils::Utf8ToUtf16(FileName);
    TCom<IWICImagingFactory> factory;
    Check(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory.P)),
          "the imaging factory", FileName);
    TCom<IWICStream> stream;
    Check(factory->CreateStream(&stream), "a stream", FileName);
    Check(stream->InitializeFromFilename(reinterpret_cast<LPCWSTR>(name.c_str()), GENERIC_WRITE),
          "opening the file", FileName);
    TCom<IWICBitmapEncoder> encoder;
    Check(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder), "the PNG encoder", FileName);
    Check(encoder->Initialize(stream.P, WICBitmapEncoderNoCache), "the encoder", FileName);
    TCom<IWICBitmapFrameEncode> frame;
    Check(encoder->CreateNewFrame(&frame, nullptr), "a frame", FileName);
    Check(frame->Initialize(nullptr), "the frame", FileName);
    Check(frame->SetSize(UINT(Width), UINT(Height)), "the size", FileName);
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    Check(frame->SetPixelFormat(&format), "the pixel format", FileName);
    UINT stride = UINT(Width) * 4;
    Check(frame->WritePixels(UINT(Height), stride, stride * UINT(Height),
                             reinterpret_cast<BYTE*>(const_cast<uint32_t*>(Pixels.data()))),
          "writing the pixels", FileName);
    Check(frame->Commit(), "the frame's end", FileName);
    Check(encoder->Commit(), "the file's end", FileName);
}

void SaveWindowShot(HWND Window, const SysUtils::String& FileName) {
    int w = 0, h = 0;
    std::vector<uint32_t> pixels = CaptureWindow(Window, w, h);
    SavePng(pixels, w, h, FileName);
}

void SaveScreenShot(HWND Window, const SysUtils::String& FileName) {
    int w = 0, h = 0;
    std::vector<uint32_t> pixels = CaptureScreen(Window, w, h);
    SavePng(pixels, w, h, FileName);
}

HWND OpenMenuWindow() {
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM lp) -> BOOL {
            wchar_t cls[16] = {};
            GetClassNameW(w, cls, 16);
            if (wcscmp(cls, L"#32768") == 0 && IsWindowVisible(w)) {
                *reinterpret_cast<HWND*>(lp) = w;
                return FALSE;
            }
            return TRUE;
        },
        LPARAM(&found));
    return found;
}

} // namespace Examples

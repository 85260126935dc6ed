// DialogShot: the window's pixels from the screen into a bitmap, and through the platform's imaging codecs
// into a PNG file.
#include "examples/pagesetup/DialogShot.h"

#include "framework/vcl/WinHandles.h"

#include <wincodec.h>

namespace DialogShot {

using SysUtils::String;

namespace {

// A COM interface pointer, released when it goes.
template <class T> class TCom {
public:
    TCom() = default;
    TCom(const TCom&) = delete;
    TCom& operator=(const TCom&) = delete;
    ~TCom() {
        if (FPtr) FPtr->Release();
    }
    T** operator&() { return &FPtr; }
    T* operator->() const { return FPtr; }
    T* Get() const { return FPtr; }

private:
    T* FPtr = nullptr;
};

void Check(HRESULT hr, const char* step, const String& file) {
    if (FAILED(hr))
        throw SysUtils::Exception(String("Cannot save ") + file + ": " + step + " failed (0x" +
                                  SysUtils::IntToHex(uint32_t(hr), 8) + ")");
}

} // namespace

void SaveWindowPng(HWND Window, const String& FileName) {
    // 1. Every pending paint of the window and its controls done, then its rectangle read from the screen.
    RedrawWindow(Window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    RECT r;
    GetWindowRect(Window, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    if (width <= 0 || height <= 0)
        throw SysUtils::Exception("Cannot save " + FileName + ": the window is empty");
    WinHandles::TWindowDC screen(nullptr);
    WinHandles::TMemoryDC dc(screen);
    WinHandles::TBitmapHandle bitmap(
        WinHandles::Check(CreateCompatibleBitmap(screen, width, height), "a bitmap of the window"));
    {
        WinHandles::TSelectObject select(dc, bitmap);
        BitBlt(dc, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    }
    // 2. The platform's PNG encoder, on the bitmap's colours without its fourth byte (the screen leaves it
    // zero, which PNG would read as transparent).
    HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    struct TUninit {
        bool Done;
        ~TUninit() {
            if (Done) CoUninitialize();
        }
    } uninit{SUCCEEDED(init)};
    std::u16string path = SysUtils::Utf8ToUtf16(FileName);
    TCom<IWICImagingFactory> factory;
    Check(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                           reinterpret_cast<void**>(&factory)),
          "making the imaging factory", FileName);
    TCom<IWICBitmap> source;
    Check(factory->CreateBitmapFromHBITMAP(bitmap, nullptr, WICBitmapIgnoreAlpha, &source),
          "reading the bitmap", FileName);
    TCom<IWICStream> stream;
    Check(factory->CreateStream(&stream), "making a stream", FileName);
    Check(stream->InitializeFromFilename(reinterpret_cast<LPCWSTR>(path.c_str()), GENERIC_WRITE),
          "creating the file", FileName);
    TCom<IWICBitmapEncoder> encoder;
    Check(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder), "making the encoder", FileName);
    Check(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache), "starting the encoder", FileName);
    TCom<IWICBitmapFrameEncode> frame;
    Check(encoder->CreateNewFrame(&frame, nullptr), "making a frame", FileName);
    Check(frame->Initialize(nullptr), "starting the frame", FileName);
    Check(frame->SetSize(UINT(width), UINT(height)), "sizing the frame", FileName);
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    Check(frame->SetPixelFormat(&format), "setting the pixel format", FileName);
    Check(frame->WriteSource(source.Get(), nullptr), "writing the pixels", FileName);
    Check(frame->Commit(), "finishing the frame", FileName);
    Check(encoder->Commit(), "finishing the file", FileName);
}

} // namespace DialogShot

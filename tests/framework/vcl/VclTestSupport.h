// Helpers of the framework's Windows-layer tests: a 32-bit DIB to paint into and read pixels from, a
// message pump with a watchdog, a driver for the message boxes a test provokes on its own thread, and the
// test form read from forms/VclTestForm.dfm.
#pragma once

#include "framework/vcl/ComCtrls.h"
#include "framework/vcl/ExtCtrls.h"
#include "framework/vcl/Forms.h"
#include "framework/vcl/StdCtrls.h"
#include "tests/support/GdiCount.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace VclTest {

using SysUtils::String;

inline String Utf8(const std::wstring& w) {
    return SysUtils::Utf16ToUtf8(std::u16string(w.begin(), w.end()));
}

inline String WindowText(HWND h) {
    std::wstring s(size_t(GetWindowTextLengthW(h)) + 1, L'\0');
    s.resize(size_t(GetWindowTextW(h, s.data(), int(s.size()))));
    return Utf8(s);
}

// The font the system should draw text in for font: the font's own when the face it gets has glyphs for
// every letter of the text, else the same LOGFONT in RUSSIAN_CHARSET (the test texts are Latin or Cyrillic).
// Made here from the font's LOGFONT, independently of the framework's choice.
inline WinHandles::TFontHandle SystemFontFor(Graphics::TFont* font, const std::wstring& text) {
    LOGFONTW lf{};
    GetObjectW(font->GetHandle(), sizeof(lf), &lf);
    WinHandles::TFontHandle own(CreateFontIndirectW(&lf));
    WinHandles::TWindowDC screen(nullptr);
    WinHandles::TSelectObject sel(screen, own);
    std::vector<WORD> glyphs(text.size() + 1);
    GetGlyphIndicesW(screen, text.c_str(), int(text.size()), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
    for (size_t i = 0; i < text.size(); ++i)
        if (glyphs[i] == 0xFFFF && text[i] >= 0x20) {
            lf.lfCharSet = RUSSIAN_CHARSET;
            return WinHandles::TFontHandle(CreateFontIndirectW(&lf));
        }
    return own;
}

// GetTextExtentPoint32W of text in the font the system should draw it in.
inline SIZE SystemExtent(Graphics::TFont* font, const std::wstring& text) {
    WinHandles::TFontHandle f = SystemFontFor(font, text);
    WinHandles::TWindowDC screen(nullptr);
    WinHandles::TSelectObject sel(screen, f);
    SIZE size{};
    GetTextExtentPoint32W(screen, text.c_str(), int(text.size()), &size);
    return size;
}

// A top-down 32-bit DIB section selected into a memory DC; Pixel gives a COLORREF (red in the low byte), as
// GetSysColor does.
class TDib {
public:
    TDib(int Width, int Height, COLORREF Fill = RGB(1, 2, 3)) : FWidth(Width), FHeight(Height) {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = Width;
        bi.bmiHeader.biHeight = -Height;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        FBitmap.Reset(CreateDIBSection(FDC, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
        FBits = static_cast<uint32_t*>(bits);
        FOld = SelectObject(FDC, FBitmap);
        for (int i = 0; i < Width * Height; ++i)
            FBits[i] = (GetRValue(Fill) << 16) | (GetGValue(Fill) << 8) | GetBValue(Fill);
    }
    ~TDib() { SelectObject(FDC, FOld); }
    HDC DC() const { return FDC; }
    COLORREF Pixel(int x, int y) const {
        GdiFlush();
        uint32_t v = FBits[y * FWidth + x];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    // How many pixels of rect (right and bottom excluded) have colour c.
    int Count(RECT r, COLORREF c) const {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if (Pixel(x, y) == c) ++n;
        return n;
    }

private:
    int FWidth, FHeight;
    WinHandles::TMemoryDC FDC;
    WinHandles::TBitmapHandle FBitmap;
    uint32_t* FBits = nullptr;
    HGDIOBJ FOld = nullptr;
};

// Handles messages until Done() is true; a watchdog of WatchdogMs (a thread timer) ends a wait that would
// otherwise never end, and the result says so. Not a timing assertion: a correct program never meets it.
inline bool PumpUntil(const std::function<bool()>& Done, UINT WatchdogMs = 20000) {
    static bool expired;
    expired = false;
    UINT_PTR watchdog = SetTimer(nullptr, 0, WatchdogMs, [](HWND, UINT, UINT_PTR, DWORD) { expired = true; });
    MSG msg;
    while (!Done() && !expired) {
        if (!GetMessageW(&msg, nullptr, 0, 0)) break;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    KillTimer(nullptr, watchdog);
    return Done();
}

// What a message box showed, read by TBoxDriver.
struct TSeenBox {
    String Caption, Text;
    bool StopIcon = false;
    bool HasOk = false, HasCancel = false;
};

// Answers the message boxes shown on this thread while it lives: a thread timer (dispatched inside the box's
// modal loop) finds the thread's visible dialog, reads caption, text, icon and buttons, and presses OK.
class TBoxDriver {
public:
    TBoxDriver() {
        Current() = this;
        FTimer = SetTimer(nullptr, 0, 30, &Tick);
    }
    ~TBoxDriver() {
        KillTimer(nullptr, FTimer);
        Current() = nullptr;
    }
    TBoxDriver(const TBoxDriver&) = delete;
    TBoxDriver& operator=(const TBoxDriver&) = delete;
    const std::vector<TSeenBox>& Seen() const { return FSeen; }

private:
    static TBoxDriver*& Current() {
        static TBoxDriver* current = nullptr;
        return current;
    }
    static BOOL CALLBACK FindBox(HWND h, LPARAM lp) {
        wchar_t cls[16] = {};
        GetClassNameW(h, cls, 16);
        if (IsWindowVisible(h) && wcscmp(cls, L"#32770") == 0) {
            *reinterpret_cast<HWND*>(lp) = h;
            return FALSE;
        }
        return TRUE;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        TBoxDriver* self = Current();
        if (self == nullptr) return;
        HWND box = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), FindBox, reinterpret_cast<LPARAM>(&box));
        if (box == nullptr || box == self->FLastBox) return;
        self->FLastBox = box;
        TSeenBox seen;
        seen.Caption = WindowText(box);
        if (HWND text = GetDlgItem(box, 0xFFFF)) seen.Text = WindowText(text);
        HICON stop = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_HAND));
        for (HWND c = GetWindow(box, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT))
            if (reinterpret_cast<HICON>(SendMessageW(c, STM_GETICON, 0, 0)) == stop) seen.StopIcon = true;
        HWND ok = GetDlgItem(box, IDOK), cancel = GetDlgItem(box, IDCANCEL);
        seen.HasOk = ok != nullptr && IsWindowVisible(ok);
        seen.HasCancel = cancel != nullptr && IsWindowVisible(cancel);
        self->FSeen.push_back(seen);
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), LPARAM(ok));
    }

    UINT_PTR FTimer = 0;
    HWND FLastBox = nullptr;
    std::vector<TSeenBox> FSeen;
};

// The test form: forms/VclTestForm.dfm, laid out as the template converter's progress window.
class TVclTestForm : public Forms::TForm {
    DECLARE_CLASS(TVclTestForm, Forms::TForm)
public:
    using TForm::TForm;

    ExtCtrls::TBevel* Bevel1 = nullptr;
    StdCtrls::TLabel* Label1 = nullptr;
    StdCtrls::TLabel* PatternName = nullptr;
    StdCtrls::TLabel* Label3 = nullptr;
    ComCtrls::TProgressBar* ProgressBar = nullptr;
    ExtCtrls::TTimer* TickTimer = nullptr;

    std::vector<String> Log;
    std::function<void()> OnTick; // what a test does on each tick of TickTimer

    void FormCreate(System::TObject* Sender);
    void FormShow(System::TObject* Sender);
    void TickTimerTimer(System::TObject* Sender);
    using TForm::RecreateWnd;

protected:
    void Loaded() override;
};

} // namespace VclTest

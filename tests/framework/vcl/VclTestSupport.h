// Helpers of the framework's Windows-layer tests: a 32-bit DIB to paint into and read pixels from, a
// message pump with a watchdog, a driver for the message boxes a test provokes on its own thread, and the
// test form read from forms/VclTestForm.dfm.
#pragma once

#include "framework/vcl/ComCtrls.h"
#include "framework/vcl/ExtCtrls.h"
#include "framework/vcl/Forms.h"
#include "framework/vcl/StdCtrls.h"
#include "tests/support/GdiCount.h"
#include "tests/support/WinTest.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace VclTest {

using SysUtils::String;
// The helpers every Windows test program shares (tests/support/WinTest.h).
using WinTest::PumpUntil;
using WinTest::TBoxDriver;
using WinTest::TDib;
using WinTest::TSeenBox;
using WinTest::Utf8;
using WinTest::WindowText;

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

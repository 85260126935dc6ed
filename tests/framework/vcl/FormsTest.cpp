// Forms: a form read from its resource (forms/VclTestForm.dfm), its real window, and the application's
// message loop.
#include "tests/framework/vcl/VclTestSupport.h"

#include "framework/core/ClassesReaderWriter.h"
#include "framework/core/ClassesText.h"

#include <cstring>
#include <memory>

using namespace VclTest;
using namespace Forms;

namespace {

std::unique_ptr<TVclTestForm> NewTestForm() {
    return std::unique_ptr<TVclTestForm>(TCustomForm::Create<TVclTestForm>(nullptr));
}

LONG_PTR Style(HWND h) {
    return GetWindowLongPtrW(h, GWL_STYLE);
}
LONG_PTR ExStyle(HWND h) {
    return GetWindowLongPtrW(h, GWL_EXSTYLE);
}

} // namespace

TEST(Forms, ReadsTheFormFromItsResource) {
    auto form = NewTestForm();
    // Components made by class name, fields bound in Loaded, handlers bound by name and called in order:
    // the stream made the form Visible, so it is shown after OnCreate.
    ASSERT_NE(form->PatternName, nullptr);
    EXPECT_EQ(form->GetName(), "VclTestForm");
    EXPECT_EQ(form->Log, (std::vector<String>{"loaded", "create", "show"}));
    EXPECT_EQ(form->GetControlCount(), 5);
    EXPECT_EQ(form->GetComponentCount(), 6);
    EXPECT_EQ(form->Label1->GetParent(), form.get());
    EXPECT_EQ(form->TickTimer->GetOnTimer().Name(), String("TickTimerTimer"));
    EXPECT_FALSE(form->TickTimer->GetEnabled());
    EXPECT_EQ(form->TickTimer->GetInterval(), 1000u);

    // Properties as the stream set them.
    EXPECT_EQ(form->GetBorderStyle(), bsDialog);
    EXPECT_TRUE(form->GetBorderIcons().Empty());
    EXPECT_EQ(form->GetFormStyle(), fsStayOnTop);
    EXPECT_EQ(form->GetPosition(), poScreenCenter);
    EXPECT_EQ(form->GetCaption(), "Конвертер шаблонов оформления");
    EXPECT_EQ(form->GetFont()->GetName(), "MS Sans Serif");
    EXPECT_EQ(form->GetFont()->GetHeight(), -11);
    EXPECT_EQ(form->GetFont()->GetSize(), 8);
    EXPECT_EQ(form->GetFont()->GetColor(), Graphics::clWindowText);
    EXPECT_EQ(form->GetColor(), Graphics::clBtnFace);
    EXPECT_EQ(form->GetPixelsPerInch(), 96);
    EXPECT_EQ(form->GetTextHeight(), 13);
    EXPECT_EQ(form->ProgressBar->GetTabOrder(), 0);
    EXPECT_EQ(form->ProgressBar->GetMax(), 100);

    // The real window: a visible top-level window owned by the application window, with a dialog frame
    // that cannot be resized, no system menu or buttons, on top of others.
    HWND h = form->GetHandle();
    ASSERT_TRUE(IsWindow(h));
    EXPECT_TRUE(IsWindowVisible(h));
    EXPECT_EQ(GetWindow(h, GW_OWNER), Application->GetHandle());
    EXPECT_EQ(Style(h) & WS_CHILD, 0);
    EXPECT_EQ(Style(h) & WS_CAPTION, WS_CAPTION);
    EXPECT_EQ(Style(h) & WS_THICKFRAME, 0);
    EXPECT_EQ(Style(h) & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
    EXPECT_NE(ExStyle(h) & WS_EX_DLGMODALFRAME, 0);
    EXPECT_NE(ExStyle(h) & WS_EX_TOPMOST, 0);
    wchar_t caption[64] = {};
    GetWindowTextW(h, caption, 64);
    EXPECT_EQ(std::wstring(caption), L"Конвертер шаблонов оформления");
    wchar_t cls[32] = {};
    GetClassNameW(h, cls, 32);
    EXPECT_EQ(std::wstring(cls), L"TVclTestForm");

    // The client area exactly as stored, whatever the frame.
    RECT client;
    GetClientRect(h, &client);
    EXPECT_EQ(client.right, 332);
    EXPECT_EQ(client.bottom, 99);
    EXPECT_EQ(form->GetClientWidth(), 332);
    EXPECT_EQ(form->GetClientHeight(), 99);

    // Centred on the screen with the whole window; the stored Left 233 and Top 165 are overridden.
    RECT w;
    GetWindowRect(h, &w);
    EXPECT_EQ(w.left, (GetSystemMetrics(SM_CXSCREEN) - (w.right - w.left)) / 2);
    EXPECT_EQ(w.top, (GetSystemMetrics(SM_CYSCREEN) - (w.bottom - w.top)) / 2);
    EXPECT_EQ(form->GetLeft(), w.left);
    EXPECT_EQ(form->GetWidth(), w.right - w.left);
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_TRUE(w.left >= work.left && w.right <= work.right && w.top >= work.top && w.bottom <= work.bottom);

    // The icon: the stream's 32 x 32 image, set on the window.
    auto icon = reinterpret_cast<HICON>(SendMessageW(h, WM_GETICON, ICON_BIG, 0));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon, form->GetIcon()->GetHandle());
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP bm{};
    GetObjectW(info.hbmColor, sizeof(bm), &bm);
    EXPECT_EQ(bm.bmWidth, 32);
    EXPECT_EQ(bm.bmHeight, 32);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);

    // The windowed child: a real progress bar window inside the form, with the stream's range.
    HWND bar = form->ProgressBar->GetHandle();
    EXPECT_EQ(GetParent(bar), h);
    EXPECT_NE(Style(bar) & WS_CHILD, 0);
    EXPECT_EQ(Controls::TWinControl::FindControl(bar), form->ProgressBar);
    RECT barRect;
    GetWindowRect(bar, &barRect);
    MapWindowPoints(nullptr, h, reinterpret_cast<POINT*>(&barRect), 2);
    EXPECT_EQ(barRect.left, 84);
    EXPECT_EQ(barRect.top, 64);
    EXPECT_EQ(barRect.right - barRect.left, 233);
    EXPECT_EQ(barRect.bottom - barRect.top, 13);
}

TEST(Forms, WritesItselfBackAsItsFormFileHasIt) {
    auto form = NewTestForm();
    // What the window and the labels' automatic sizes changed goes back to the stored values.
    form->SetBounds(233, 165, form->GetWidth(), form->GetHeight());
    form->Label1->SetBounds(20, 20, 178, 13);
    form->PatternName->SetBounds(20, 40, 62, 13);
    form->Label3->SetBounds(20, 64, 60, 13);
    auto text = [](Classes::TStream& binary) {
        Classes::TMemoryStream out;
        Classes::ObjectBinaryToText(binary, out);
        return String(reinterpret_cast<const char*>(out.Memory()), size_t(out.GetSize()));
    };
    Classes::TMemoryStream written;
    Classes::WriteComponentToStream(written, form.get());
    written.SetPosition(0);
    // The form file as compiled into the program, less what the writer leaves out as defaults.
    Classes::TResourceStream resource(GetModuleHandleW(nullptr), "TVCLTESTFORM", MAKEINTRESOURCEW(10));
    String stored = text(resource);
    for (const char* line : {"    Min = 0\n", "    Max = 100\n"}) {
        size_t at = stored.find(line);
        ASSERT_NE(at, String::npos) << line;
        stored.erase(at, std::strlen(line));
    }
    EXPECT_EQ(text(written), stored);
}

TEST(Forms, EveryBorderStyleGivesItsFrameAndTheAskedClientSize) {
    struct TCase {
        TFormBorderStyle Border;
        TBorderIcons Icons;
        LONG_PTR StyleOn, StyleOff, ExOn;
    } cases[] = {
        {bsSizeable,
         {biSystemMenu, biMinimize, biMaximize},
         WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX,
         0,
         0},
        {bsSingle,
         {biSystemMenu},
         WS_CAPTION | WS_SYSMENU,
         WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX,
         0},
        {bsSingle, {biMinimize}, WS_CAPTION, WS_SYSMENU | WS_MINIMIZEBOX, 0}, // no buttons without the menu
        {bsDialog,
         {biSystemMenu, biMinimize, biMaximize},
         WS_CAPTION | WS_SYSMENU,
         WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX,
         WS_EX_DLGMODALFRAME},
        {bsNone, {biSystemMenu}, WS_POPUP, WS_CAPTION | WS_THICKFRAME | WS_SYSMENU, 0},
        {bsToolWindow, {biSystemMenu}, WS_CAPTION | WS_SYSMENU, WS_THICKFRAME, WS_EX_TOOLWINDOW},
        {bsSizeToolWin, {}, WS_CAPTION | WS_THICKFRAME, WS_SYSMENU, WS_EX_TOOLWINDOW},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(TypInfo::GetEnumName(&TFormBorderStyle_TypeInfo, c.Border) + " " +
                     SysUtils::IntToStr(c.Icons.ToInt()));
        auto form = std::make_unique<TForm>(nullptr);
        form->SetBorderStyle(c.Border);
        form->SetBorderIcons(c.Icons);
        form->SetBounds(30, 40, 100, 100);
        form->SetClientWidth(200);
        form->SetClientHeight(120);
        // Designed position: where Left and Top say.
        HWND h = form->GetHandle();
        EXPECT_EQ(Style(h) & c.StyleOn, c.StyleOn);
        EXPECT_EQ(Style(h) & c.StyleOff, 0);
        EXPECT_EQ(ExStyle(h) & c.ExOn, c.ExOn);
        EXPECT_EQ(ExStyle(h) & WS_EX_TOPMOST, 0);
        RECT client, w;
        GetClientRect(h, &client);
        GetWindowRect(h, &w);
        EXPECT_EQ(client.right, 200);
        EXPECT_EQ(client.bottom, 120);
        EXPECT_EQ(w.left, 30);
        EXPECT_EQ(w.top, 40);
        // Changed while the window exists: the client size still comes out exact.
        form->SetClientWidth(150);
        GetClientRect(h, &client);
        EXPECT_EQ(client.right, 150);
        EXPECT_EQ(form->GetClientWidth(), 150);
    }
}

TEST(Forms, StyleChangesReachTheShownWindow) {
    auto form = std::make_unique<TForm>(nullptr);
    // The defaults of a form made without a resource.
    EXPECT_EQ(form->GetBorderStyle(), bsSizeable);
    EXPECT_EQ(form->GetBorderIcons(), (TBorderIcons{biSystemMenu, biMinimize, biMaximize}));
    EXPECT_EQ(form->GetFormStyle(), fsNormal);
    EXPECT_EQ(form->GetPosition(), poDesigned);
    EXPECT_FALSE(form->GetVisible());
    EXPECT_EQ(form->GetColor(), Graphics::clBtnFace);
    EXPECT_EQ(form->GetFont()->GetName(), "MS Sans Serif");
    EXPECT_EQ(form->GetFont()->GetHeight(), -11);
    EXPECT_EQ(form->GetWidth(), 320);
    EXPECT_EQ(form->GetHeight(), 240);
    form->SetCaption("Окно");
    form->Show();
    HWND h = form->GetHandle();
    EXPECT_TRUE(IsWindowVisible(h));
    // Stay-on-top and back: a new window each time, shown again, the form's state kept.
    form->SetFormStyle(fsStayOnTop);
    HWND top = form->GetHandle();
    EXPECT_FALSE(IsWindow(h));
    EXPECT_NE(ExStyle(top) & WS_EX_TOPMOST, 0);
    EXPECT_TRUE(IsWindowVisible(top));
    form->SetFormStyle(fsNormal);
    h = form->GetHandle();
    EXPECT_EQ(ExStyle(h) & WS_EX_TOPMOST, 0);
    EXPECT_TRUE(IsWindowVisible(h));
    // A new border style needs a new window too: it comes back shown, with its caption and, as in the
    // framework, its outer size (the client area is what the new frame leaves).
    RECT before;
    GetWindowRect(h, &before);
    form->SetBorderStyle(bsDialog);
    HWND again = form->GetHandle();
    EXPECT_FALSE(IsWindow(h));
    EXPECT_TRUE(IsWindowVisible(again));
    EXPECT_EQ(Style(again) & WS_THICKFRAME, 0);
    EXPECT_EQ(WindowText(again), "Окно");
    RECT after, client;
    GetWindowRect(again, &after);
    GetClientRect(again, &client);
    EXPECT_EQ(after.right - after.left, before.right - before.left);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
    EXPECT_EQ(form->GetClientWidth(), client.right);
    form->Hide();
    EXPECT_FALSE(IsWindowVisible(again));
}

// ExtCtrls: the bevel's lines at their pixels (the form painted through its window procedure) and the timer
// on the thread's message loop.
#include "tests/framework/vcl/VclTestSupport.h"

#include <algorithm>
#include <memory>

using namespace VclTest;
using namespace Graphics;
using namespace ExtCtrls;

namespace {

std::unique_ptr<TVclTestForm> NewTestForm() {
    return std::unique_ptr<TVclTestForm>(Forms::TCustomForm::Create<TVclTestForm>(nullptr));
}

void PaintForm(Forms::TCustomForm* form, TDib& dib) {
    HWND h = form->GetHandle();
    SendMessageW(h, WM_ERASEBKGND, WPARAM(dib.DC()), 0);
    SendMessageW(h, WM_PRINTCLIENT, WPARAM(dib.DC()), PRF_CLIENT);
}

// The colour every pixel of a row (y, x0..x1) or column (x, y0..y1) has, or CLR_INVALID when they differ.
COLORREF Row(const TDib& dib, int y, int x0, int x1) {
    COLORREF c = dib.Pixel(x0, y);
    for (int x = x0; x <= x1; ++x)
        if (dib.Pixel(x, y) != c) return CLR_INVALID;
    return c;
}
COLORREF Column(const TDib& dib, int x, int y0, int y1) {
    COLORREF c = dib.Pixel(x, y0);
    for (int y = y0; y <= y1; ++y)
        if (dib.Pixel(x, y) != c) return CLR_INVALID;
    return c;
}

} // namespace

TEST(Bevel, LoweredBoxHasItsShadowTopLeftAndItsHighlightBottomRight) {
    auto form = NewTestForm();
    TBevel* bevel = form->Bevel1;
    EXPECT_EQ(bevel->GetShape(), bsBox);
    EXPECT_EQ(bevel->GetStyle(), bsLowered);
    // Bevel1 is at (8, 8), 321 x 81: its box runs from x 8 to 328 and from y 8 to 88.
    const int l = 8, t = 8, r = 8 + 321 - 1, b = 8 + 81 - 1;
    COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), light = GetSysColor(COLOR_BTNHIGHLIGHT),
             face = GetSysColor(COLOR_BTNFACE);
    ASSERT_TRUE(shadow != light && shadow != face && light != face);
    RECT client;
    GetClientRect(form->GetHandle(), &client);
    {
        TDib dib(client.right, client.bottom);
        PaintForm(form.get(), dib);
        // Each polyline leaves out its last point: the top row ends one short of the right edge, the bottom
        // row starts one after the left edge.
        EXPECT_EQ(Row(dib, t, l, r - 1), shadow);
        EXPECT_EQ(Column(dib, l, t, b), shadow);
        EXPECT_EQ(Column(dib, r, t, b), light);
        EXPECT_EQ(Row(dib, b, l + 1, r), light);
        // Outside and just inside the box: the form's face colour.
        EXPECT_EQ(Row(dib, t - 1, l - 1, r + 1), face);
        EXPECT_EQ(Row(dib, b + 1, l - 1, r + 1), face);
        EXPECT_EQ(Column(dib, l - 1, t, b), face);
        EXPECT_EQ(Column(dib, r + 1, t, b), face);
        EXPECT_EQ(Row(dib, t + 1, l + 1, r - 1), face);
        EXPECT_EQ(Column(dib, l + 1, t + 1, 19), face);
    }
    // Raised: the same lines, the colours swapped.
    bevel->SetStyle(bsRaised);
    {
        TDib dib(client.right, client.bottom);
        PaintForm(form.get(), dib);
        EXPECT_EQ(Row(dib, t, l, r - 1), light);
        EXPECT_EQ(Column(dib, l, t, b), light);
        EXPECT_EQ(Column(dib, r, t, b), shadow);
        EXPECT_EQ(Row(dib, b, l + 1, r), shadow);
    }
    // A top line: two rows across the whole width, shadow over highlight (lowered).
    bevel->SetStyle(bsLowered);
    bevel->SetShape(bsTopLine);
    {
        TDib dib(client.right, client.bottom);
        PaintForm(form.get(), dib);
        EXPECT_EQ(Row(dib, t, l, r), shadow);
        EXPECT_EQ(Row(dib, t + 1, l, r), light);
        EXPECT_EQ(Column(dib, l, t + 2, b), face);
    }
    // Hidden: nothing.
    bevel->SetVisible(false);
    {
        TDib dib(client.right, client.bottom);
        PaintForm(form.get(), dib);
        EXPECT_EQ(Row(dib, t, l, r), face);
    }
}

TEST(Timer, TicksWhileEnabledAndStopsWhenDisabled) {
    class TClock : public System::TObject {
    public:
        TTimer* Timer = nullptr;
        int Ticks = 0, StopAt = 0;
        void Tick(System::TObject* Sender) {
            EXPECT_EQ(Sender, Timer);
            if (++Ticks == StopAt) Timer->SetEnabled(false);
        }
    } clock;
    auto owner = std::make_unique<Classes::TComponent>(nullptr);
    auto* timer = new TTimer(owner.get());
    clock.Timer = timer;
    EXPECT_TRUE(timer->GetEnabled());
    EXPECT_EQ(timer->GetInterval(), 1000u);
    // Enabled, but nothing to call: no timer runs; assigning OnTimer starts it.
    timer->SetInterval(5);
    clock.StopAt = 3;
    timer->SetOnTimer(Classes::TNotifyEvent::Bind<&TClock::Tick>(&clock));
    EXPECT_TRUE(PumpUntil([&] { return clock.Ticks == 3; }));
    EXPECT_FALSE(timer->GetEnabled());
    // Stopped: a second timer that ticks ten times sees no further tick of the first.
    auto* other = new TTimer(owner.get());
    class TCount : public System::TObject {
    public:
        int N = 0;
        void Tick(System::TObject*) { ++N; }
    } count;
    other->SetInterval(5);
    other->SetOnTimer(Classes::TNotifyEvent::Bind<&TCount::Tick>(&count));
    EXPECT_TRUE(PumpUntil([&] { return count.N >= 10; }));
    EXPECT_EQ(clock.Ticks, 3);
    // Enabled again it goes on; an interval of 0 stops it as well.
    clock.StopAt = 5;
    timer->SetEnabled(true);
    EXPECT_TRUE(PumpUntil([&] { return clock.Ticks == 5; }));
    timer->SetEnabled(true);
    timer->SetInterval(0);
    int seen = count.N;
    EXPECT_TRUE(PumpUntil([&] { return count.N >= seen + 10; }));
    EXPECT_EQ(clock.Ticks, 5);
    // A timer freed with ticks pending goes quietly (the owner frees both).
}

TEST(Timer, ReadFromTheFormStreamDisabledWithItsHandlerBoundByName) {
    auto form = NewTestForm();
    TTimer* timer = form->TickTimer;
    EXPECT_FALSE(timer->GetEnabled());
    EXPECT_EQ(timer->GetInterval(), 1000u);
    EXPECT_EQ(timer->GetDesignInfo(), (8 << 16) | 200); // Left 200, Top 8 of the designer
    int ticks = 0;
    form->OnTick = [&] {
        if (++ticks == 2) form->TickTimer->SetEnabled(false);
    };
    timer->SetInterval(5);
    timer->SetEnabled(true);
    EXPECT_TRUE(PumpUntil([&] { return ticks == 2; }));
    EXPECT_EQ(std::count(form->Log.begin(), form->Log.end(), "tick"), 2);
}

// Benchmark (Windows, run under Wine by `./x bench`): drawing owner-drawn menu entries.
//   1. TVeskMenuItem::DrawItem of one plain entry beside a minimal owner-draw of the same entry (a fill and
//      DrawTextW of caption and shortcut), both into one 32-bit DIB section;
//   2. a whole popup of 30 entries of mixed kinds (pictures, check marks, separators with text, bevels,
//      shadowed captions, disabled entries, a side bar), measured then drawn, as the system asks for it.
// Prints the median time of several runs of each.
#include "menus/runtime/VeskMenu.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace VeskMenu;
using Clock = std::chrono::steady_clock;

namespace {

template <class F> double MedianMicroseconds(int Runs, int Repeats, F&& Work) {
    std::vector<double> times;
    for (int r = 0; r < Runs; ++r) {
        auto start = Clock::now();
        for (int i = 0; i < Repeats; ++i)
            Work();
        times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count() / Repeats);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

struct TTarget {
    HDC DC = CreateCompatibleDC(nullptr);
    HBITMAP Bitmap;
    HGDIOBJ Old;
    TTarget() {
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 400, -800, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        Bitmap = CreateDIBSection(DC, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        Old = SelectObject(DC, Bitmap);
    }
    ~TTarget() {
        SelectObject(DC, Old);
        DeleteObject(Bitmap);
        DeleteDC(DC);
    }
};

} // namespace

int main() {
    Forms::TForm form(nullptr);
    auto* main = new Menus::TMainMenu(&form);
    auto* popup = new Menus::TMenuItem(&form);
    popup->SetCaption("&Popup");
    main->GetItems()->Add(popup);
    auto* vm = new TVeskMenu(&form);
    Graphics::TPicture picture;
    Graphics::TBitmap* b = picture.GetBitmap();
    b->SetWidth(16);
    b->SetHeight(16);
    b->GetCanvas()->GetBrush()->SetColor(Graphics::clBlue);
    b->GetCanvas()->FillRect(Graphics::Rect(2, 2, 14, 14));
    std::vector<TVeskMenuItem*> items;
    for (int i = 0; i < 30; ++i) {
        auto* mi = new Menus::TMenuItem(&form);
        mi->SetCaption(i % 7 == 3 ? String("-") : "Entry &" + SysUtils::IntToStr(i));
        if (i % 4 == 1) mi->SetShortCut(Menus::ShortCut(WORD('A' + i % 26), {Menus::ssCtrl}));
        if (i % 5 == 2) mi->SetChecked(true);
        if (i % 6 == 5) mi->SetEnabled(false);
        popup->Add(mi);
        TVeskMenuItem* item = vm->NewItem();
        item->SetMenuItem(mi);
        if (i % 3 == 0) item->SetPicture(&picture);
        if (i % 7 == 3) item->SetSeparatorText("Group");
        if (i % 8 == 4) item->SetBevelOuter(ExtCtrls::bvRaised);
        if (i % 9 == 6) item->GetShadow()->SetActive(true);
        item->SetOptions(item->GetOptions() + TMenuOptions{omDrawBarIfNeeded});
        items.push_back(item);
    }
    vm->GetMenuBar()->SetCaption("Benchmark");
    vm->GetMenuBar()->SetIsGradient(true);
    vm->TotalHeight = 30 * 20;
    vm->SetShowBar(true);

    TTarget target;
    auto draw = [&](TVeskMenuItem& item, RECT rect, UINT state) {
        Menus::TMenuItem* mi = item.GetMenuItem();
        DRAWITEMSTRUCT dis{ODT_MENU, 0, mi->GetCommand(), ODA_DRAWENTIRE, state, nullptr, target.DC, rect, 0};
        Messages::TMessage m{WM_DRAWITEM, 0, LPARAM(&dis), 0};
        item.DrawItem(m, mi->GetCaption(), Menus::ShortCutToText(mi->GetShortCut()));
    };
    auto measureAll = [&] {
        vm->MaxItemWidth = vm->MaxTextWidth = vm->MaxShortCutWidth = vm->TotalHeight = 0;
        for (TVeskMenuItem* item : items) {
            Menus::TMenuItem* mi = item->GetMenuItem();
            MEASUREITEMSTRUCT mis{ODT_MENU, 0, mi->GetCommand(), 0, 0, 0};
            Messages::TMessage m{WM_MEASUREITEM, 0, LPARAM(&mis), 0};
            item->MeasureItem(m, mi->GetCaption(), Menus::ShortCutToText(mi->GetShortCut()));
        }
    };
    measureAll();

    // 1. One plain entry, and the least an owner-drawn entry can do.
    TVeskMenuItem& plain = *items[1];
    RECT rect{0, 0, 200, 20};
    HFONT font = plain.GetFont()->GetHandle();
    const std::wstring caption = L"Entry &1", shortCut = L"Ctrl+B";
    HBRUSH brush = CreateSolidBrush(GetSysColor(COLOR_MENU));
    auto minimal = [&] {
        HGDIOBJ old = SelectObject(target.DC, font);
        FillRect(target.DC, &rect, brush);
        SetBkMode(target.DC, TRANSPARENT);
        RECT text{30, 3, 200, 20};
        DrawTextW(target.DC, caption.c_str(), int(caption.size()), &text, DT_NOCLIP);
        RECT keys{150, 3, 200, 20};
        DrawTextW(target.DC, shortCut.c_str(), int(shortCut.size()), &keys, DT_NOCLIP);
        SelectObject(target.DC, old);
    };
    double ours = MedianMicroseconds(7, 2000, [&] { draw(plain, rect, 0); });
    double least = MedianMicroseconds(7, 2000, minimal);
    DeleteObject(brush);
    std::printf("DrawItem, one plain entry:        %8.2f us\n", ours);
    std::printf(
        "minimal owner-draw (fill + text): %8.2f us   (DrawItem is %.2f times that; target at most 3)\n",
        least, ours / least);

    // 2. A whole popup of 30 entries: the measuring pass, then every entry drawn once.
    double whole = MedianMicroseconds(7, 50, [&] {
        measureAll();
        int y = 0;
        for (size_t i = 0; i < items.size(); ++i) {
            int height = items[i]->GetLayout().ItemHeight;
            draw(*items[i], RECT{0, y, 200, y + height}, i == 5 ? ODS_SELECTED : 0);
            y += height;
        }
    });
    std::printf("30-entry popup, measured and drawn: %8.3f ms   (target under 2 ms)\n", whole / 1000.0);
    return 0;
}

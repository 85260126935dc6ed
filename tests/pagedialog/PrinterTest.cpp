// The framework pieces the page setup dialog stands on: the printer object over the prefix's two printers
// (one named in Cyrillic) and its device modes, and the task windows a modal run disables.
#include "tests/pagedialog/PageDialogTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>

using namespace PageDialogTest;
using Printers::EPrinter;
using Printers::TPrinter;

namespace {

bool Freed(HGLOBAL h) {
    return GlobalFlags(h) == GMEM_INVALID_HANDLE;
}

} // namespace

TEST(Printer, ListsThePrintersAndKeepsOneValidDeviceModeForTheCurrentOne) {
    int blocks = LiveGlobalBlocks();
    ASSERT_GE(blocks, 0);
    {
        TPrinter p;
        Classes::TStrings* names = p.GetPrinters();
        ASSERT_EQ(names->Count(), 2);
        int test = names->IndexOf(TestPrinter), cyrillic = names->IndexOf(CyrillicPrinter);
        ASSERT_GE(test, 0);
        ASSERT_GE(cyrillic, 0);
        // 1. Nothing chosen: the default printer, its device mode made on first read and kept.
        EXPECT_EQ(p.GetPrinterIndex(), test);
        TCurrent first = Current(p);
        EXPECT_EQ(first.Device, TestPrinter);
        EXPECT_EQ(first.Driver, "TestPS");
        EXPECT_EQ(first.Port, "FILE:");
        ASSERT_NE(first.Mode, nullptr);
        EXPECT_EQ(DeviceName(first.Mode), TestPrinter);
        EXPECT_EQ(Current(p).Mode, first.Mode);
        EXPECT_EQ(LiveGlobalBlocks(), blocks + 1);
        // 2. Another printer: the old device mode goes at once, the new one names the new printer.
        p.SetPrinterIndex(cyrillic);
        EXPECT_TRUE(Freed(first.Mode));
        TCurrent second = Current(p);
        EXPECT_EQ(second.Device, CyrillicPrinter);
        EXPECT_EQ(DeviceName(second.Mode), CyrillicPrinter);
        p.SetPrinterIndex(cyrillic); // the same printer again keeps its settings
        EXPECT_EQ(Current(p).Mode, second.Mode);
        // 3. SetPrinter takes a block over, frees the one it replaces, and keeps a block handed back.
        HGLOBAL mine = GlobalAlloc(GMEM_MOVEABLE, GlobalSize(second.Mode));
        p.SetPrinter(TestPrinter, "TestPS", "FILE:", mine);
        EXPECT_TRUE(Freed(second.Mode));
        EXPECT_EQ(p.GetPrinterIndex(), test);
        EXPECT_EQ(Current(p).Mode, mine);
        p.SetPrinter(TestPrinter, "TestPS", "FILE:", mine);
        EXPECT_FALSE(Freed(mine));
        EXPECT_EQ(LiveGlobalBlocks(), blocks + 1);
        // 4. A printer the system does not list joins the list; without a device mode it cannot make one.
        p.SetPrinter("Нет такого принтера", "winspool", "LPT9:", nullptr);
        EXPECT_TRUE(Freed(mine));
        EXPECT_EQ(names->Count(), 3);
        EXPECT_EQ(p.GetPrinterIndex(), 2);
        String device, driver, port;
        HGLOBAL mode = nullptr;
        EXPECT_THROW(p.GetPrinter(device, driver, port, mode), EPrinter);
        EXPECT_THROW(p.SetPrinterIndex(3), EPrinter);
        EXPECT_THROW(p.SetPrinterIndex(-2), EPrinter);
        EXPECT_THROW(p.SetPrinter("", "", "", nullptr), EPrinter);
        // 5. Back to the default, with a device mode of its own again.
        p.SetPrinterIndex(-1);
        EXPECT_EQ(p.GetPrinterIndex(), test);
        EXPECT_EQ(DeviceName(Current(p).Mode), TestPrinter);
    }
    // The object frees its device mode when it goes.
    EXPECT_EQ(LiveGlobalBlocks(), blocks);
    // The counter itself sees one block more and one less.
    HGLOBAL probe = GlobalAlloc(GMEM_MOVEABLE, 16);
    EXPECT_EQ(LiveGlobalBlocks(), blocks + 1);
    GlobalFree(probe);
    EXPECT_EQ(LiveGlobalBlocks(), blocks);
}

TEST(Printer, GlobalObjectIsMadeOnFirstUseAndCanBeReplaced) {
    TPrinter* global = Printers::Printer();
    EXPECT_EQ(Printers::Printer(), global);
    auto mine = std::make_unique<TPrinter>();
    EXPECT_EQ(Printers::SetPrinter(mine.get()), global);
    EXPECT_EQ(Printers::Printer(), mine.get());
    EXPECT_EQ(Printers::SetPrinter(global), mine.get());
    // Without any printer there is nothing to read, and that is not an error.
    TNoPrinters none;
    TPrinter empty;
    EXPECT_EQ(empty.GetPrinters()->Count(), 0);
    EXPECT_EQ(empty.GetPrinterIndex(), -1);
    TCurrent c = Current(empty);
    EXPECT_EQ(c.Device, "");
    EXPECT_EQ(c.Mode, nullptr);
}

TEST(TaskWindows, ModalRunDisablesTheVisibleEnabledWindowsAndEnablesThemAgain) {
    std::vector<std::unique_ptr<Forms::TForm>> forms;
    for (int i = 0; i < 4; ++i) {
        forms.push_back(std::make_unique<Forms::TForm>(nullptr));
        forms.back()->SetBounds(10 + 20 * i, 10, 100, 80);
    }
    HWND open1 = forms[0]->GetHandle(), open2 = forms[1]->GetHandle(), off = forms[2]->GetHandle();
    HWND hidden = forms[3]->GetHandle();
    for (int i = 0; i < 3; ++i)
        forms[size_t(i)]->SetVisible(true);
    EnableWindow(off, FALSE);
    auto enabled = [&] {
        std::vector<HWND> on;
        for (HWND h : {open1, open2, off, hidden})
            if (IsWindowEnabled(h)) on.push_back(h);
        return on;
    };
    {
        Forms::TTaskWindowList list = Forms::DisableTaskWindows(nullptr);
        EXPECT_EQ(enabled(), std::vector<HWND>{hidden}); // a hidden window is no task window
        std::vector<HWND> named = list.Windows();
        std::sort(named.begin(), named.end());
        std::vector<HWND> expected{open1, open2};
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(named, expected);
        Forms::EnableTaskWindows(list);
        EXPECT_EQ(enabled(), (std::vector<HWND>{open1, open2, hidden})); // the disabled one stays so
        Forms::EnableTaskWindows(list);
    }
    // The window a dialog is about to own stays enabled; leaving the scope through an exception enables the
    // others again.
    try {
        Forms::TTaskWindowList list = Forms::DisableTaskWindows(open1);
        EXPECT_EQ(enabled(), (std::vector<HWND>{open1, hidden}));
        throw std::runtime_error("the modal run failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(enabled(), (std::vector<HWND>{open1, open2, hidden}));
    // A window gone meanwhile is skipped.
    Forms::TTaskWindowList list = Forms::DisableTaskWindows(nullptr);
    forms[1].reset();
    Forms::EnableTaskWindows(list);
    EXPECT_EQ(enabled(), (std::vector<HWND>{open1, hidden}));
}

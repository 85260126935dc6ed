// The converter's form run in this process on real template tables (made by pxlib at build time), with the
// pauses shortened: the window, the two passes, the 43-record rule, the bar, and every way a run can stop.
#include "converter/OstrelFormUnit.h"
#include "tests/support/WinTest.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <commctrl.h>

namespace fs = std::filesystem;
using namespace OstrelFormUnit;
using SysUtils::String;

namespace {

const char* const kTitle = "Конвертер шаблонов оформления";

fs::path PathOf(const String& utf8) {
    std::u16string w = SysUtils::Utf8ToUtf16(utf8);
    return fs::path(std::wstring(w.begin(), w.end()));
}
String Utf8Of(const fs::path& p) {
    return SysUtils::Utf16ToUtf8(p.u16string());
}

// A fresh folder under the temporary folder, emptied and removed by the destructor.
struct Folder {
    fs::path path;
    explicit Folder(const char* name) {
        path = fs::temp_directory_path() /
               (std::string("ostrel-") + name + "-" + std::to_string(GetCurrentProcessId()));
        Clear();
        fs::create_directories(path);
    }
    ~Folder() { Clear(); }
    void Clear() {
        if (!fs::exists(path)) return;
        for (auto& e : fs::recursive_directory_iterator(path))
            SetFileAttributesW(e.path().c_str(), FILE_ATTRIBUTE_NORMAL);
        fs::remove_all(path);
    }
    // Copies a fixture table in under a name, with the given attributes.
    void Add(const char* fixture, const String& name, DWORD attributes = 0) const {
        fs::copy_file(PathOf(String(CONVERTER_FIXTURES) + "/" + fixture + ".db"), path / PathOf(name));
        if (attributes != 0) SetFileAttributesW((path / PathOf(name)).c_str(), attributes);
    }
    String Utf8() const { return Utf8Of(path); }
};

// Reads a table through the table component: its record count and one record's fields as text.
struct TableReading {
    int count = 0;
    std::vector<std::vector<std::pair<String, String>>> records;
};
TableReading ReadTable(const String& folder, const String& name) {
    DBTables::TTable table(nullptr);
    table.SetDatabaseName(SysUtils::IncludeTrailingBackslash(folder));
    table.SetTableName(name);
    table.Open();
    TableReading r;
    for (table.First(); !table.GetEof(); table.Next()) {
        std::vector<std::pair<String, String>> fields;
        for (int i = 0; i < table.GetFieldCount(); ++i)
            fields.emplace_back(table.GetFields(i)->GetFieldName(), table.GetFields(i)->GetAsString());
        r.records.push_back(std::move(fields));
        ++r.count;
    }
    table.Close();
    return r;
}
int CountOf(const Folder& folder, const String& name) {
    return ReadTable(folder.Utf8(), name).count;
}

// The order in which the directory search returns a folder's tables.
std::vector<String> SearchOrder(const Folder& folder) {
    std::vector<String> names;
    SysUtils::TSearchRec rec;
    for (int r = SysUtils::FindFirst(folder.Utf8() + "\\*.db", SysUtils::faArchive, rec); r == 0;
         r = SysUtils::FindNext(rec))
        names.push_back(rec.Name);
    SysUtils::FindClose(rec);
    return names;
}

// What a run showed: the label and the bar each time the bar was set, the message boxes, and how it ended.
struct RunResult {
    std::vector<std::pair<String, int>> steps;
    std::vector<WinTest::TSeenBox> boxes;
    bool closed = false; // the form closed itself
    String patternDir;
    bool updateTimerEnabled = false, closeTimerEnabled = false;
    bool finished = false; // what the program's exit code tells
    String label;
};

// Records every PBM_SETPOS sent to the form's progress bar, with the label's caption at that moment.
TOstrelForm* gForm = nullptr;
RunResult* gResult = nullptr;
LRESULT CALLBACK WatchBar(int code, WPARAM wp, LPARAM lp) {
    auto* msg = reinterpret_cast<CWPSTRUCT*>(lp);
    if (code == HC_ACTION && gForm && msg->message == PBM_SETPOS && gForm->ProgressBar->HandleAllocated() &&
        msg->hwnd == gForm->ProgressBar->GetHandle())
        gResult->steps.emplace_back(gForm->PatternName->GetCaption(), int(msg->wParam));
    return CallNextHookEx(nullptr, code, wp, lp);
}

// Creates the form from its resource as the program does, points it at folder and lets it run with short
// pauses until it closes itself, or until an error box has been answered and the window has stayed open.
RunResult RunConverter(const String& folder) {
    RunResult result;
    WinTest::TBoxDriver boxes;
    std::unique_ptr<TOstrelForm> form(Forms::TCustomForm::Create<TOstrelForm>(nullptr));
    form->SetPatternDir(folder);
    form->ConvertPause = 0;
    form->UpdateTimer->SetInterval(10);
    form->CloseTimer->SetInterval(10);
    gForm = form.get();
    gResult = &result;
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, WatchBar, nullptr, GetCurrentThreadId());
    HWND window = form->GetHandle();
    bool ended = WinTest::PumpUntil([&] { return !IsWindowVisible(window) || !boxes.Seen().empty(); });
    if (!boxes.Seen().empty()) {
        // After an error the window stays: give the timers time to fire, were they still running.
        DWORD until = GetTickCount() + 300;
        WinTest::PumpUntil([&] { return GetTickCount() >= until; });
    }
    UnhookWindowsHookEx(hook);
    gForm = nullptr;
    EXPECT_TRUE(ended) << "the run neither ended nor stopped with an error";
    result.boxes = boxes.Seen();
    result.closed = !IsWindowVisible(window);
    result.patternDir = form->GetPatternDir();
    result.updateTimerEnabled = form->UpdateTimer->GetEnabled();
    result.closeTimerEnabled = form->CloseTimer->GetEnabled();
    result.label = form->PatternName->GetCaption();
    result.finished = form->GetRunFinished();
    return result;
}

class ConverterTest : public testing::Test {
protected:
    static void SetUpTestSuite() { Forms::Application->SetTitle(kTitle); }
};

} // namespace

TEST_F(ConverterTest, WindowAsTheFormResourceDescribesIt) {
    std::unique_ptr<TOstrelForm> form(Forms::TCustomForm::Create<TOstrelForm>(nullptr));
    form->UpdateTimer->SetEnabled(false); // no run in this test
    HWND h = form->GetHandle();
    EXPECT_TRUE(IsWindowVisible(h));
    EXPECT_EQ(WinTest::WindowText(h), kTitle);
    RECT client;
    GetClientRect(h, &client);
    EXPECT_EQ(client.right, 332);
    EXPECT_EQ(client.bottom, 99);
    LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE), ex = GetWindowLongPtrW(h, GWL_EXSTYLE);
    EXPECT_EQ(style & WS_SYSMENU, 0) << "no system menu, so no close, minimise or maximise button";
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
    EXPECT_NE(style & WS_CAPTION, 0);
    EXPECT_NE(ex & WS_EX_DLGMODALFRAME, 0);
    EXPECT_NE(ex & WS_EX_TOPMOST, 0);
    RECT window;
    GetWindowRect(h, &window);
    int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_LE(std::abs((window.left + window.right) / 2 - screenW / 2), 1);
    EXPECT_LE(std::abs((window.top + window.bottom) / 2 - screenH / 2), 1);

    EXPECT_EQ(form->Label1->GetCaption(), "Обновляется шаблон оформления:");
    EXPECT_EQ(form->PatternName->GetCaption(), "PatternName");
    EXPECT_EQ(form->Label3->GetCaption(), "Завершено:");
    EXPECT_EQ(form->Label1->GetLeft(), 20);
    EXPECT_EQ(form->Label1->GetTop(), 20);
    EXPECT_EQ(form->PatternName->GetTop(), 40);
    EXPECT_EQ(form->Label3->GetTop(), 64);
    // The labels size themselves to their text in the form's font. The designed widths come from the
    // Cyrillic "MS Sans Serif"; the face that draws the Cyrillic letters here measures a few pixels off, but
    // a label of missing glyphs (boxes of 3 pixels each) would be far narrower.
    EXPECT_NEAR(form->Label1->GetWidth(), 178, 6);
    EXPECT_EQ(form->PatternName->GetWidth(), 62);
    EXPECT_NEAR(form->Label3->GetWidth(), 60, 3);
    EXPECT_NEAR(form->Label1->GetHeight(), 13, 1);
    EXPECT_EQ(form->Bevel1->GetWidth(), 321);
    EXPECT_EQ(form->Bevel1->GetHeight(), 81);
    HWND bar = form->ProgressBar->GetHandle();
    RECT barRect;
    GetWindowRect(bar, &barRect);
    MapWindowPoints(nullptr, h, reinterpret_cast<POINT*>(&barRect), 2);
    EXPECT_EQ(barRect.left, 84);
    EXPECT_EQ(barRect.top, 64);
    EXPECT_EQ(barRect.right - barRect.left, 233);
    EXPECT_EQ(barRect.bottom - barRect.top, 13);
    EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 100);
    EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, TRUE, 0), 0);
    // Both timers keep the default interval; showing the form started the run's timer.
    EXPECT_EQ(form->UpdateTimer->GetInterval(), 1000u);
    EXPECT_EQ(form->CloseTimer->GetInterval(), 1000u);
    EXPECT_FALSE(form->CloseTimer->GetEnabled());
    EXPECT_EQ(form->Table->GetDatabaseName(), "");
    EXPECT_FALSE(form->Table->GetExclusive());
    EXPECT_FALSE(form->Table->GetReadOnly());
}

TEST_F(ConverterTest, OnlyThe43RecordTableGetsTheStyleAndASecondRunChangesNothing) {
    Folder dir("mixed");
    dir.Add("t42", "t42.db");
    dir.Add("t43", "t43.db");
    dir.Add("t44", "t44.db");
    dir.Add("empty", "empty.db");
    TableReading before = ReadTable(dir.Utf8(), "t43.db");

    RunResult run = RunConverter(dir.Utf8());
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_TRUE(run.closed);
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(run.patternDir, dir.Utf8() + "\\");
    ASSERT_EQ(run.steps.size(), 2u);
    EXPECT_EQ(run.steps[0], (std::pair<String, int>("", 0)));
    EXPECT_EQ(run.steps[1], (std::pair<String, int>("t43.db", 100)));
    EXPECT_EQ(run.label, "t43.db");

    EXPECT_EQ(CountOf(dir, "t42.db"), 42);
    EXPECT_EQ(CountOf(dir, "t44.db"), 44);
    EXPECT_EQ(CountOf(dir, "empty.db"), 0);
    TableReading after = ReadTable(dir.Utf8(), "t43.db");
    ASSERT_EQ(after.count, 44);
    for (int i = 0; i < 42; ++i)
        EXPECT_EQ(after.records[size_t(i)], before.records[size_t(i)]) << "record " << i + 1;
    EXPECT_EQ(after.records[43], before.records[42]) << "the old last record stays last";
    const std::vector<std::pair<String, String>> expected = {
        {"Level", "132"},       {"Name", "Тип позиции"},  {"FontName", "Times New Roman"},
        {"FontSize", "12"},     {"FontColor", "0"},       {"Bold", "False"},
        {"Italic", "False"},    {"Underline", "False"},   {"Align", "12"},
        {"Bullets", "False"},   {"FirstInd", "0"},        {"LeftInd", "0"},
        {"RightInd", "152"},    {"TabPos", "0"},          {"SpaceBefore", "0"},
        {"SpaceAfter", "0"},    {"SpaceLine", "0"},       {"BackColor", "16777215"},
        {"PageBreak", "False"}, {"LineSpacingRule", "0"}, {"NoControlChar", "True"}};
    EXPECT_EQ(after.records[42], expected);

    // The converted table now holds 44 records: nothing qualifies any more.
    RunResult second = RunConverter(dir.Utf8());
    EXPECT_TRUE(second.closed);
    EXPECT_EQ(second.steps, (std::vector<std::pair<String, int>>{{"", 0}}));
    EXPECT_EQ(CountOf(dir, "t43.db"), 44);
    EXPECT_EQ(ReadTable(dir.Utf8(), "t43.db").records, after.records);
}

TEST_F(ConverterTest, FolderWithOrWithoutTrailingBackslashAndOtherCodePages) {
    for (bool slash : {false, true}) {
        Folder dir(slash ? "slash" : "noslash");
        dir.Add("t43_866", "styles.db");
        RunResult run = RunConverter(dir.Utf8() + (slash ? "\\" : ""));
        EXPECT_TRUE(run.closed);
        EXPECT_EQ(run.patternDir, dir.Utf8() + "\\");
        TableReading t = ReadTable(dir.Utf8(), "styles.db");
        ASSERT_EQ(t.count, 44);
        EXPECT_EQ(t.records[42][1].second, "Тип позиции") << "in code page 866";
    }
}

TEST_F(ConverterTest, ThreeQualifyingTablesMoveTheBarTo33_67_100) {
    Folder dir("three");
    for (const char* name : {"a.db", "b.db", "c.db"})
        dir.Add("t43", name);
    dir.Add("t42", "d.db");
    RunResult run = RunConverter(dir.Utf8());
    std::vector<String> order;
    for (const String& n : SearchOrder(dir))
        if (n != "d.db") order.push_back(n);
    ASSERT_EQ(order.size(), 3u);
    EXPECT_EQ(run.steps, (std::vector<std::pair<String, int>>{
                             {"", 0}, {order[0], 33}, {order[1], 67}, {order[2], 100}}));
    for (const char* name : {"a.db", "b.db", "c.db"})
        EXPECT_EQ(CountOf(dir, name), 44);
}

TEST_F(ConverterTest, HiddenSystemAndDirectoryEntriesAreSkippedReadOnlyTablesFound) {
    Folder dir("attributes");
    dir.Add("t43", "hidden.db", FILE_ATTRIBUTE_HIDDEN);
    dir.Add("t43", "system.db", FILE_ATTRIBUTE_SYSTEM);
    fs::create_directory(dir.path / "folder.db");
    dir.Add("t42", "readonly.db", FILE_ATTRIBUTE_READONLY);
    dir.Add("t43", "plain.db", FILE_ATTRIBUTE_ARCHIVE);
    RunResult run = RunConverter(dir.Utf8());
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_TRUE(run.closed);
    EXPECT_EQ(run.steps, (std::vector<std::pair<String, int>>{{"", 0}, {"plain.db", 100}}));
    EXPECT_EQ(CountOf(dir, "hidden.db"), 43);
    EXPECT_EQ(CountOf(dir, "system.db"), 43);
    EXPECT_EQ(CountOf(dir, "readonly.db"), 42);
    EXPECT_EQ(CountOf(dir, "plain.db"), 44);

    // A read-only table is found and read; when it qualifies, writing it fails and the run stops there.
    Folder ro("readonly43");
    ro.Add("t43", "locked.db", FILE_ATTRIBUTE_READONLY);
    RunResult stopped = RunConverter(ro.Utf8());
    ASSERT_EQ(stopped.boxes.size(), 1u);
    EXPECT_NE(stopped.boxes[0].Text.find("locked.db"), String::npos) << stopped.boxes[0].Text;
    EXPECT_FALSE(stopped.closed);
    EXPECT_EQ(CountOf(ro, "locked.db"), 43);
}

TEST_F(ConverterTest, MissingFieldStopsTheRunAndKeepsEarlierConversions) {
    Folder dir("tabpos");
    for (const char* name : {"a.db", "b.db", "c.db", "d.db"})
        dir.Add("t43", name);
    dir.Add("notabpos", "nofield.db");
    std::vector<String> order = SearchOrder(dir);
    RunResult run = RunConverter(dir.Utf8());

    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].Caption, kTitle);
    EXPECT_EQ(run.boxes[0].Text, "Table: Поле 'TabPos' не найдено.");
    EXPECT_TRUE(run.boxes[0].StopIcon);
    EXPECT_TRUE(run.boxes[0].HasOk);
    EXPECT_FALSE(run.closed) << "the window stays open after an error";
    EXPECT_FALSE(run.finished);
    EXPECT_FALSE(run.updateTimerEnabled);
    EXPECT_FALSE(run.closeTimerEnabled);
    EXPECT_EQ(run.label, "nofield.db");

    bool beforeBad = true;
    for (const String& name : order) {
        if (name == "nofield.db") {
            beforeBad = false;
            EXPECT_EQ(CountOf(dir, name), 43) << "the table without TabPos gets no record";
        } else {
            EXPECT_EQ(CountOf(dir, name), beforeBad ? 44 : 43) << name;
        }
    }
}

TEST_F(ConverterTest, AFileThatIsNotATableStopsTheRunWithItsError) {
    Folder dir("junk");
    std::ofstream(dir.path / "junk.db") << "This is not a Paradox table, only some text.\n";
    RunResult run = RunConverter(dir.Utf8());
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].Caption, kTitle);
    EXPECT_NE(run.boxes[0].Text.find("junk.db"), String::npos) << run.boxes[0].Text;
    EXPECT_NE(run.boxes[0].Text.find("не является таблицей Paradox"), String::npos) << run.boxes[0].Text;
    EXPECT_FALSE(run.closed);
    EXPECT_EQ(run.steps, (std::vector<std::pair<String, int>>{{"", 0}}));
}

TEST_F(ConverterTest, FolderWithoutTablesOrMissingEndsNormally) {
    Folder dir("none");
    std::ofstream(dir.path / "notes.txt") << "x";
    for (const String& folder : {dir.Utf8(), dir.Utf8() + "\\missing"}) {
        RunResult run = RunConverter(folder);
        EXPECT_TRUE(run.boxes.empty());
        EXPECT_TRUE(run.closed);
        EXPECT_EQ(run.label, "");
        EXPECT_EQ(run.steps, (std::vector<std::pair<String, int>>{{"", 0}}));
    }
}

TEST(ConverterRules, ProgressRoundsHalvesToEvenAndNeverPasses100) {
    std::vector<int> eight;
    for (int i = 1; i <= 8; ++i)
        eight.push_back(ProgressPercent(i, 8));
    EXPECT_EQ(eight, (std::vector<int>{12, 25, 38, 50, 62, 75, 88, 100}));
    EXPECT_EQ(ProgressPercent(1, 3), 33);
    EXPECT_EQ(ProgressPercent(2, 3), 67);
    // The folder gained tables between the passes: the bar stays full, and no division by zero.
    EXPECT_EQ(ProgressPercent(3, 2), 100);
    EXPECT_EQ(ProgressPercent(1, 0), 100);
    EXPECT_EQ(ProgressPercent(0, 0), 0);
}

TEST(ConverterRules, FolderFromTheCommandLine) {
    EXPECT_EQ(FolderFromCommandLine(1, R"(D:\Шаблоны)", R"(C:\Prog\ostrel.exe)"), R"(D:\Шаблоны)");
    EXPECT_EQ(FolderFromCommandLine(2, "", R"(C:\Prog\ostrel.exe)"), "") << "an empty argument stays empty";
    EXPECT_EQ(FolderFromCommandLine(0, "", R"(C:\Prog\ostrel.exe)"), R"(C:\Prog\)");
}

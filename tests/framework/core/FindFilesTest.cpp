// The directory search on a real folder under Wine: which entries a mask keeps.
#ifdef _WIN32
#include "framework/core/SysUtils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <windows.h>

namespace fs = std::filesystem;
using namespace SysUtils;

namespace {

std::vector<String> Search(const String& pattern, int attr, int* firstResult = nullptr) {
    std::vector<String> names;
    TSearchRec f;
    int r = FindFirst(pattern, attr, f);
    if (firstResult) *firstResult = r;
    while (r == 0) {
        names.push_back(f.Name);
        r = FindNext(f);
    }
    if (!names.empty()) {
        EXPECT_EQ(r, ERROR_NO_MORE_FILES);
    }
    FindClose(f);
    FindClose(f); // harmless twice
    std::sort(names.begin(), names.end());
    return names;
}

struct TempFolder {
    fs::path path;
    TempFolder() {
        path = fs::temp_directory_path() / ("find-test-" + std::to_string(GetCurrentProcessId()));
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempFolder() {
        for (auto& e : fs::recursive_directory_iterator(path))
            SetFileAttributesW(e.path().c_str(), FILE_ATTRIBUTE_NORMAL);
        fs::remove_all(path);
    }
    void File(const std::wstring& name, DWORD attributes = 0) {
        std::ofstream(path / name) << "x";
        if (attributes) {
            ASSERT_TRUE(SetFileAttributesW((path / name).c_str(), attributes));
        }
    }
    String Utf8() const { return Utf16ToUtf8(path.u16string()) + "\\"; }
};

} // namespace

TEST(FindFiles, ArchiveMaskSkipsDirectoriesHiddenAndSystemEntries) {
    TempFolder dir;
    dir.File(L"plain.db");
    dir.File(L"readonly.db", FILE_ATTRIBUTE_READONLY);
    dir.File(L"archive.db", FILE_ATTRIBUTE_ARCHIVE);
    dir.File(L"hidden.db", FILE_ATTRIBUTE_HIDDEN);
    dir.File(L"system.db", FILE_ATTRIBUTE_SYSTEM);
    dir.File(L"Шаблон.db");
    dir.File(L"other.dbf");
    fs::create_directory(dir.path / L"folder.db");

    EXPECT_EQ(Search(dir.Utf8() + "*.db", faArchive),
              (std::vector<String>{"archive.db", "plain.db", "readonly.db", "Шаблон.db"}));
    // Naming an attribute in the mask lets those entries through.
    EXPECT_EQ(Search(dir.Utf8() + "*.db", faArchive | faHidden | faSysFile | faDirectory).size(), 7u);

    TSearchRec f;
    ASSERT_EQ(FindFirst(dir.Utf8() + "readonly.db", faArchive, f), 0);
    EXPECT_EQ(f.Size, 1);
    EXPECT_NE(f.Attr & faReadOnly, 0);
    EXPECT_NE(f.Time, 0);
    FindClose(f);
}

TEST(FindFiles, NothingFoundGivesTheSystemsErrorCode) {
    TempFolder dir;
    int first = 0;
    EXPECT_TRUE(Search(dir.Utf8() + "*.db", faArchive, &first).empty());
    EXPECT_EQ(first, ERROR_FILE_NOT_FOUND);
    // Only excluded entries: the search ends without an entry.
    dir.File(L"hidden.db", FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(Search(dir.Utf8() + "*.db", faArchive, &first).empty());
    EXPECT_EQ(first, ERROR_NO_MORE_FILES);
    EXPECT_TRUE(Search(dir.Utf8() + "missing\\*.db", faArchive, &first).empty());
    EXPECT_EQ(first, ERROR_PATH_NOT_FOUND);
}
#endif

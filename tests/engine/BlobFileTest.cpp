// Memo values written by pxlib into a table and its blob file, read back by the engine: short ones inside
// the record, small ones sharing a block of the .MB, long ones in blocks of their own.
#ifdef HAVE_PXLIB
#include "engine/PdxEngine.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

extern "C" {
#include <paradox.h>
}

namespace fs = std::filesystem;

namespace {

void Quiet(pxdoc_t*, int, const char*, void*) {}

// A table of (Id S, Note M15) with one record per text, written by pxlib with its blob file.
void MakeMemoTable(const std::string& db, const std::string& mb, const std::vector<std::string>& texts) {
    PX_boot();
    pxdoc_t* d = PX_new2(Quiet, nullptr, nullptr, nullptr);
    auto* f = static_cast<pxfield_t*>(d->malloc(d, sizeof(pxfield_t) * 2, "fields"));
    const char* names[] = {"Id", "Note"};
    for (int i = 0; i < 2; ++i) {
        f[i].px_fname = static_cast<char*>(d->malloc(d, 8, "name"));
        std::strcpy(f[i].px_fname, names[i]);
        f[i].px_fdc = 0;
    }
    f[0].px_ftype = pxfShort;
    f[0].px_flen = 2;
    f[1].px_ftype = pxfMemoBLOb;
    f[1].px_flen = 15;
    ASSERT_GE(PX_create_file(d, f, 2, db.c_str(), pxfFileTypNonIndexDB), 0);
    ASSERT_GE(PX_set_blob_file(d, mb.c_str()), 0);
    for (size_t r = 0; r < texts.size(); ++r) {
        pxval_t id{}, note{};
        pxval_t* row[2] = {&id, &note};
        id.type = pxfShort;
        id.value.lval = long(r + 1);
        note.type = pxfMemoBLOb;
        std::string text = texts[r];
        note.value.str.val = text.data();
        note.value.str.len = int(text.size());
        ASSERT_GE(PX_insert_record(d, row), 0);
    }
    PX_close(d);
    PX_delete(d);
}

std::string Pattern(size_t n, int seed) {
    std::string s;
    for (size_t i = 0; i < n; ++i)
        s += char('a' + (i * 7 + size_t(seed)) % 26);
    return s;
}

} // namespace

TEST(BlobFile, MemosInTheRecordInSharedBlocksAndInTheirOwnBlocks) {
    fs::path dir = fs::temp_directory_path() / ("blob-test-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string db = (dir / "memo.db").string(), mb = (dir / "memo.mb").string();
    const std::vector<std::string> texts = {Pattern(3, 1),    Pattern(5, 2),     Pattern(40, 3),
                                            Pattern(300, 4),  Pattern(16, 5),    Pattern(4095, 6),
                                            Pattern(5000, 7), Pattern(20000, 8), Pattern(17, 9)};
    MakeMemoTable(db, mb, texts);

    PdxTable* t = nullptr;
    ASSERT_EQ(pdx_open(db.c_str(), PDX_OPEN_READ, &t), PDX_OK) << pdx_last_error();
    uint32_t n = 0;
    ASSERT_EQ(pdx_refresh(t, &n), PDX_OK);
    ASSERT_EQ(n, texts.size());
    for (uint32_t r = 0; r < n; ++r) {
        PdxValue v;
        ASSERT_EQ(pdx_get_value(t, r, 1, &v), PDX_OK) << pdx_last_error();
        EXPECT_EQ(v.kind, PDX_VALUE_STRING);
        EXPECT_EQ(std::string(v.s, v.len), texts[r])
            << "record " << r + 1 << ", " << texts[r].size() << " bytes";
    }
    pdx_close(t);

    // A damaged blob file: the values it held are refused, those inside the record still read.
    fs::resize_file(mb, 4096 + 64);
    ASSERT_EQ(pdx_open(db.c_str(), PDX_OPEN_READ, &t), PDX_OK);
    ASSERT_EQ(pdx_refresh(t, &n), PDX_OK);
    PdxValue v;
    EXPECT_EQ(pdx_get_value(t, 0, 1, &v), PDX_OK);
    EXPECT_EQ(pdx_get_value(t, 7, 1, &v), PDX_E_FORMAT);
    EXPECT_NE(std::string(pdx_last_error()).find("Note"), std::string::npos) << pdx_last_error();
    pdx_close(t);
    // Without its blob file.
    fs::remove(mb);
    ASSERT_EQ(pdx_open(db.c_str(), PDX_OPEN_READ, &t), PDX_OK);
    ASSERT_EQ(pdx_refresh(t, &n), PDX_OK);
    EXPECT_EQ(pdx_get_value(t, 3, 1, &v), PDX_E_IO);
    EXPECT_NE(std::string(pdx_last_error()).find("memo.mb"), std::string::npos) << pdx_last_error();
    pdx_close(t);
    fs::remove_all(dir);
}
#endif

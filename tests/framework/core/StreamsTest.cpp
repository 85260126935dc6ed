#include "framework/core/ClassesStreams.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using namespace Classes;

TEST(MemoryStream, ReadsWhatWasWrittenAndReportsShortReads) {
    TMemoryStream s;
    s.WriteBuffer("abcdef", 6);
    EXPECT_EQ(s.GetSize(), 6);
    s.SetPosition(2);
    char buf[8] = {};
    EXPECT_EQ(s.Read(buf, 8), 4u);
    EXPECT_STREQ(buf, "cdef");
    s.SetPosition(4);
    EXPECT_THROW(s.ReadBuffer(buf, 3), EReadError);
    EXPECT_THROW(s.Seek(-1, soBeginning), EStreamError);
}

TEST(MemoryStream, WritingBeyondTheEndFillsTheGapWithZeros) {
    TMemoryStream s;
    s.Seek(3, soBeginning);
    s.WriteBuffer("x", 1);
    ASSERT_EQ(s.GetSize(), 4);
    EXPECT_EQ(s.Bytes()[0], 0);
    EXPECT_EQ(s.Bytes()[3], 'x');
}

namespace {
// A file name in the temporary folder, removed when the test ends.
struct TempFile {
    std::string Path;
    explicit TempFile(const char* name) : Path(testing::TempDir() + name) { std::remove(Path.c_str()); }
    ~TempFile() { std::remove(Path.c_str()); }
};
} // namespace

TEST(FileStream, CreatesOpensAndReportsFailuresWithTheFileName) {
    TempFile tmp("filestream_test.bin");
    {
        TFileStream out(tmp.Path, fmCreate);
        out.WriteBuffer("hello world", 11);
        out.SetSize(5); // truncates
    }
    {
        TFileStream in(tmp.Path, fmOpenRead | fmShareDenyNone);
        EXPECT_EQ(in.GetSize(), 5);
        char buf[8] = {};
        in.ReadBuffer(buf, 5);
        EXPECT_STREQ(buf, "hello");
        EXPECT_THROW(in.WriteBuffer("x", 1), EWriteError); // opened for reading only
        TMemoryStream copy;
        EXPECT_EQ(copy.CopyFrom(in, 0), 5);
        EXPECT_EQ(copy.GetSize(), 5);
    }
    try {
        TFileStream missing(tmp.Path + ".missing", fmOpenRead);
        FAIL() << "opened a missing file";
    } catch (const EFOpenError& e) {
        EXPECT_NE(e.Message().find("filestream_test.bin.missing"), std::string::npos) << e.Message();
    }
}

#ifdef _WIN32
TEST(FileStream, ShareModesAreHonoured) {
    TempFile tmp("filestream_share.bin");
    { TFileStream(tmp.Path, fmCreate).WriteBuffer("x", 1); }
    TFileStream exclusive(tmp.Path, fmOpenReadWrite | fmShareExclusive);
    EXPECT_THROW(TFileStream(tmp.Path, fmOpenRead | fmShareDenyNone), EFOpenError);
}
#endif

#include "framework/core/ClassesStreams.h"

#include <gtest/gtest.h>

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

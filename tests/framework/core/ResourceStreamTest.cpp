#ifdef _WIN32
#include "framework/core/ClassesStreams.h"

#include <gtest/gtest.h>
#include <windows.h>

using namespace Classes;

TEST(ResourceStream, ReadsTheResourceBytesAndRefusesWrites) {
    // The name is looked up as the system does: case does not matter.
    TResourceStream s(GetModuleHandleW(nullptr), "TenBytes", MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    ASSERT_EQ(s.GetSize(), 10);
    char buf[16] = {};
    s.SetPosition(7);
    EXPECT_EQ(s.Read(buf, sizeof buf), 3u);
    EXPECT_STREQ(buf, "hij");
    EXPECT_THROW(s.WriteBuffer("x", 1), EStreamError);
    EXPECT_THROW(TResourceStream(GetModuleHandleW(nullptr), "NOSUCH", MAKEINTRESOURCEW(10)), EResNotFound);
}
#endif

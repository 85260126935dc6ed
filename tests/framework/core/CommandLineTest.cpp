#include "framework/core/System.h"

#include <gtest/gtest.h>

using System::SplitCommandLine;
using Args = std::vector<System::String>;

TEST(CommandLine, SplitsAtBlanksWithQuotedParts) {
    EXPECT_EQ(SplitCommandLine(R"(ostrel.exe C:\Templates\)"), (Args{"ostrel.exe", R"(C:\Templates\)"}));
    // A backslash before the closing quote is part of the folder, not an escape.
    EXPECT_EQ(SplitCommandLine(R"("C:\Program Files\ostrel.exe" "C:\My Templates\")"),
              (Args{R"(C:\Program Files\ostrel.exe)", R"(C:\My Templates\)"}));
    // Quotes open and close anywhere inside an argument; tabs and runs of blanks separate.
    EXPECT_EQ(SplitCommandLine("a\t\t b\"c d\"e   f"), (Args{"a", "bc de", "f"}));
    // A quoted empty argument is an argument; an unclosed quote runs to the end.
    EXPECT_EQ(SplitCommandLine(R"(p.exe "" x)"), (Args{"p.exe", "", "x"}));
    EXPECT_EQ(SplitCommandLine(R"(p.exe "a b)"), (Args{"p.exe", "a b"}));
    EXPECT_EQ(SplitCommandLine("   "), Args{});
    EXPECT_EQ(SplitCommandLine("p.exe Шаблоны"), (Args{"p.exe", "Шаблоны"}));
}

TEST(CommandLine, ParamStrOfThisProgram) {
    System::String self = System::ParamStr(0);
    EXPECT_NE(self.find("framework_core_tests"), System::String::npos) << self;
    EXPECT_EQ(System::ParamStr(System::ParamCount() + 1), "");
    EXPECT_EQ(System::ParamStr(-1), "");
}

// The dfm tool, as the build uses it: text form files to form resources and edition files, and back to
// text; its bytes checked against Free Pascal's converter, its failures against their exit codes.
#include "tests/framework/fpc/FpcOracle.h"

#include <gtest/gtest.h>

namespace {

TFpcResult Dfm(const std::string& arguments) {
    return RunCommand(ShellQuoted(DFM_PATH) + " " + arguments);
}

const char kEdition[] = "object vmiAdd: TVeskMenuItem\n"
                        "  Font.Color = clWindowText\n"
                        "  Font.Height = -13\n"
                        "  Font.Name = 'System'\n"
                        "  Font.Style = []\n"
                        "  Picture.Data = {\n"
                        "    07544269746D6170\n"
                        "  }\n"
                        "  TrColor = clFuchsia\n"
                        "  Options = [omAlwaysDefFont, omFixedImgSize, omTileWallpaper, omTileSelWallpaper]\n"
                        "  Menu = pupMenu\n"
                        "  MenuItem = miAdd\n"
                        "end\n"
                        "object vmiDelete: TVeskMenuItem\n"
                        "  SeparatorText = 'Delete the selected items'\n"
                        "end\n";

} // namespace

TEST(DfmTool, CompilesFormsAndEditionsAsFreePascalDoes) {
    TTempFile text(".dfm"), form(".bin"), edition(".vmn");
    text.Write(kEdition);
    TFpcResult fpc = FpcToBinary(kEdition);
    ASSERT_EQ(fpc.ExitCode, 0) << fpc.Err;

    // An edition: every object, then the closing 0.
    TFpcResult r = Dfm("tobinary --edition " + ShellQuoted(text.Path()) + " " + ShellQuoted(edition.Path()));
    ASSERT_EQ(r.ExitCode, 0) << r.Err;
    EXPECT_TRUE(edition.Read() == fpc.Out + std::string(1, '\0'));

    // Back to text: the text Free Pascal prints for the same edition.
    r = Dfm("totext " + ShellQuoted(edition.Path()));
    ASSERT_EQ(r.ExitCode, 0) << r.Err;
    TFpcResult fpcText = RunFpcStream("totext " + ShellQuoted(edition.Path()));
    ASSERT_EQ(fpcText.ExitCode, 0) << fpcText.Err;
    EXPECT_EQ(r.Out, fpcText.Out);
    EXPECT_EQ(r.Out, kEdition);

    // A form resource is one object; a file with two needs --edition.
    std::string one(kEdition, std::string(kEdition).find("object vmiDelete"));
    text.Write(one);
    r = Dfm("tobinary " + ShellQuoted(text.Path()) + " " + ShellQuoted(form.Path()));
    ASSERT_EQ(r.ExitCode, 0) << r.Err;
    EXPECT_TRUE(form.Read() == FpcToBinary(one).Out);
    text.Write(kEdition);
    r = Dfm("tobinary " + ShellQuoted(text.Path()) + " " + ShellQuoted(form.Path()));
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_NE(r.Err.find("--edition"), std::string::npos) << r.Err;
}

TEST(DfmTool, ReportsBadInputAndBadCommandLines) {
    TTempFile text(".dfm"), out(".bin"), bin(".bin");
    // Bad text: exit 1, the line on standard error, no output file.
    text.Write("object A: TA\n  X = 1\n  Y = 'open\nend\n");
    TFpcResult r = Dfm("tobinary " + ShellQuoted(text.Path()) + " " + ShellQuoted(out.Path()));
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_NE(r.Err.find("Line 3: Unterminated string"), std::string::npos) << r.Err;
    EXPECT_EQ(RunCommand("test -e " + ShellQuoted(out.Path())).ExitCode, 1);

    // Bad bytes: exit 1 with the offset; trailing bytes after the closing 0 are an error too.
    bin.Write(std::string("TPF0\x01T\x01"
                          "A\x01X\x17",
                          11));
    r = Dfm("totext " + ShellQuoted(bin.Path()));
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_NE(r.Err.find("unknown value type 23 at offset 10"), std::string::npos) << r.Err;
    bin.Write(std::string("TPF0\x01T\x00\x00\x00\x00!", 11));
    r = Dfm("totext " + ShellQuoted(bin.Path()));
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_NE(r.Err.find("after the end of the record sequence at offset 10"), std::string::npos) << r.Err;
    r = Dfm("totext " + ShellQuoted(bin.Path() + ".missing"));
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_NE(r.Err.find("Cannot open file"), std::string::npos) << r.Err;

    // Command lines: exit 2 with the usage.
    for (const char* args : {"", "tobinary", "tobinary a", "totext", "totext a b", "convert a b",
                             "totext --edition a", "tobinary --fast a b"}) {
        r = Dfm(args);
        EXPECT_EQ(r.ExitCode, 2) << args;
        EXPECT_NE(r.Err.find("usage: dfm"), std::string::npos) << args;
    }
}

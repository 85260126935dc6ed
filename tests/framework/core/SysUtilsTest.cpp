// SysUtils: Format, integer conversion, Round, case mapping, comparison, Trim and file names.
#include "framework/core/SysUtils.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>

using namespace SysUtils;

namespace {

struct FormatCase {
    const char* Fmt;
    TVarRecs Args;
    const char* Expected;
};

const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

} // namespace

TEST(Format, IntegerDirectives) {
    const FormatCase cases[] = {
        {"%d", {42}, "42"},
        {"%5d|", {42}, "   42|"},
        {"%-5d|", {42}, "42   |"},
        {"%2d", {12345}, "12345"},
        {"%.5d", {-12}, "-00012"}, // the precision counts digits, the sign comes before the zeros
        {"%.3d", {12345}, "12345"},
        {"%8.4d|", {7}, "    0007|"},
        {"%d", {LLONG_MIN}, "-9223372036854775808"},
        {"%d", {4000000000u}, "4000000000"},
        {"%D", {1}, "1"},
        {"%u", {-1}, "4294967295"}, // an Integer is read as its 32 bits
        {"%u", {-1LL}, "18446744073709551615"},
        {"%.4u", {12u}, "0012"},
        {"%x", {255}, "FF"},
        {"%.4x", {255}, "00FF"},
        {"%x", {-1}, "FFFFFFFF"},
        {"%x", {-1LL}, "FFFFFFFFFFFFFFFF"},
        {"%x", {4000000000u}, "EE6B2800"},
        {"%x", {0}, "0"},
        {"%6.3X|", {10}, "   00A|"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Fmt);
        EXPECT_EQ(Format(c.Fmt, c.Args), c.Expected);
    }
}

TEST(Format, StringsPointersPercentAndIndexes) {
    const FormatCase cases[] = {
        {"%s", {"abc"}, "abc"},
        {"<%5s>", {"ab"}, "<   ab>"},
        {"<%-5s>", {"ab"}, "<ab   >"},
        {"%.2s", {"abcdef"}, "ab"},
        {"<%5.1s>", {"xyz"}, "<    x>"},
        {"<%5s>", {"Тип"}, "<  Тип>"}, // width and precision count characters, not UTF-8 bytes
        {"%.2s", {"Тип"}, "Ти"},
        {"%s%s", {'A', String("b")}, "Ab"},
        {"%s", {""}, ""},
        {"100%%", {}, "100%"},
        {"%d%%", {5}, "5%"},
        {"%1:s %0:s", {"a", "b"}, "b a"},
        {"%1:s %s", {"a", "b", "c"}, "b c"}, // an unindexed directive continues after the index
        {"%s %0:s %s", {"a", "b"}, "a a b"},
        {"%:s", {"z"}, "z"}, // an empty index is 0
        {"%*d|", {5, 42}, "   42|"},
        {"%-*d|", {4, 7}, "7   |"},
        {"%*d|", {-4, 7}, "7   |"}, // a negative width from the arguments left-justifies
        {"%.*f", {3, 2.5}, "2.500"},
        {"%*.*f|", {8, 1, 3.14159}, "     3.1|"},
        {"%1:*d|", {0, 3, 9}, "  9|"}, // "*" takes the indexed argument, the value the next one
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Fmt);
        EXPECT_EQ(Format(c.Fmt, c.Args), c.Expected);
    }
    // %p: all the digits of a pointer, upper case.
    EXPECT_EQ(Format("%p", {static_cast<const void*>(nullptr)}), String(sizeof(void*) * 2, '0'));
    EXPECT_EQ(Format("%p", {reinterpret_cast<const void*>(uintptr_t(0xABC123))}),
              String(sizeof(void*) * 2 - 6, '0') + "ABC123");
}

TEST(Format, FloatDirectivesRoundTheExactValueHalfAwayFromZero) {
    const FormatCase cases[] = {
        {"%e", {1234.56789}, "1.23456789000000E+003"}, // 15 significant digits by default
        {"%.3e", {1234.56789}, "1.23E+003"},
        {"%.1e", {5.0}, "5E+000"},
        {"%.4e", {9.99999}, "1.000E+001"},
        {"%.2e", {-0.000123}, "-1.2E-004"},
        {"%e", {0.0}, "0.00000000000000E+000"},
        {"%e", {1e300}, "1.00000000000000E+300"},
        {"%.0e", {7.0}, "7E+000"},
        {"%f", {3.14159}, "3.14"}, // two decimals by default
        {"%.0f", {2.5}, "3"},
        {"%.0f", {-2.5}, "-3"},
        {"%.2f", {0.125}, "0.13"},   // an exact half
        {"%.2f", {2.675}, "2.67"},   // the double is 2.67499999999999982...
        {"%.1f", {0.05}, "0.1"},     // the double is 0.05000000000000000277...
        {"%.3f", {0.0005}, "0.001"}, // 0.00050000000000000001...
        {"%.2f", {-0.001}, "0.00"},  // a result of zero has no sign
        {"%f", {1e20}, "100000000000000000000.00"},
        {"%.20f", {0.1}, "0.100000000000000006"}, // at most 18 decimals: 0.1000000000000000055511...
        {"%8.3f|", {-1.5}, "  -1.500|"},
        {"%.0f", {0.4}, "0"},
        {"%g", {1e20}, "1E20"},
        {"%g", {0.1}, "0.1"},
        {"%g", {1234.5}, "1234.5"},
        {"%g", {100.0}, "100"},
        {"%g", {1e-5}, "0.00001"},
        {"%g", {1.5e-7}, "1.5E-7"},
        {"%g", {1e14}, "100000000000000"},
        {"%g", {1e15}, "1E15"},
        {"%g", {123456789012345678.0}, "1.23456789012346E17"},
        {"%g", {2.0 / 3.0}, "0.666666666666667"},
        {"%.3g", {1234.0}, "1.23E3"},
        {"%g", {-0.0}, "0"},
        {"%g", {-2.5}, "-2.5"},
        {"%n", {1234567.891}, "1,234,567.89"},
        {"%.0n", {-1234.5}, "-1,235"},
        {"%n", {999.999}, "1,000.00"},
        {"%n", {12.0}, "12.00"},
        {"%n", {-123.0}, "-123.00"},
        {"%m", {1234.5}, "$1,234.50"},
        {"%m", {-1234.5}, "($1,234.50)"},
        {"%.0m", {-0.4}, "$0"},
        {"%m", {0.0}, "$0.00"},
        {"%f", {kInf}, "INF"},
        {"%g", {-kInf}, "-INF"},
        {"%e", {kNaN}, "NAN"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Fmt);
        EXPECT_EQ(Format(c.Fmt, c.Args), c.Expected);
    }
}

TEST(Format, SettingsChangeSeparatorsAndCurrency) {
    TFormatSettings ru;
    ru.ThousandSeparator = ' ';
    ru.DecimalSeparator = ',';
    ru.CurrencyString = "р.";
    ru.CurrencyFormat = 3;
    ru.NegCurrFormat = 8;
    EXPECT_EQ(Format("%n", {1234.5}, ru), "1 234,50");
    EXPECT_EQ(Format("%m", {1234.5}, ru), "1 234,50 р.");
    EXPECT_EQ(Format("%m", {-1234.5}, ru), "-1 234,50 р.");
    EXPECT_EQ(Format("%e", {1.5}, ru), "1,50000000000000E+000");
    EXPECT_EQ(Format("%g", {1.5e30}, ru), "1,5E30");
    // The global settings are what Format uses when given none.
    TFormatSettings saved = FormatSettings;
    FormatSettings.DecimalSeparator = ',';
    EXPECT_EQ(Format("%.1f", {2.25}), "2,3");
    EXPECT_EQ(FloatToStr(2.25), "2,25");
    FormatSettings = saved;
}

TEST(Format, BadDirectiveOrArgumentRaisesConvertErrorNamingTheFormat) {
    const FormatCase cases[] = {
        {"%d", {"x"}, nullptr},        {"%s", {1}, nullptr},         {"%f", {1}, nullptr},
        {"%d", {1.5}, nullptr},        {"%x", {1.0}, nullptr},       {"%p", {1}, nullptr},
        {"%s", {1.0}, nullptr},        {"%d", {}, nullptr},          {"%s %s", {"a"}, nullptr},
        {"%2:s", {"a", "b"}, nullptr}, {"abc%", {}, nullptr},        {"%5", {1}, nullptr},
        {"%y", {1}, nullptr},          {"%5-d", {1}, nullptr},       {"%*d", {"a", 1}, nullptr},
        {"%*d", {1.0, 1}, nullptr},    {"%99999999d", {1}, nullptr}, {"%.", {1}, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Fmt);
        try {
            Format(c.Fmt, c.Args);
            ADD_FAILURE() << "no exception";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), "Format '" + String(c.Fmt) + "' invalid or incompatible with argument");
        }
    }
    // Exceptions format their message the same way.
    EConvertError e("Value %d of %s", {5, "x"});
    EXPECT_EQ(e.Message(), "Value 5 of x");
    EXPECT_STREQ(e.ClassName(), "EConvertError");
}

TEST(FloatToStr, ShortestGeneralForm) {
    EXPECT_EQ(FloatToStr(0.1), "0.1");
    EXPECT_EQ(FloatToStr(1e20), "1E20");
    EXPECT_EQ(FloatToStr(1.0 / 3.0), "0.333333333333333");
    EXPECT_EQ(FloatToStr(-1.5), "-1.5");
    EXPECT_EQ(FloatToStr(100.0), "100");
    EXPECT_EQ(FloatToStr(0.0), "0");
}

TEST(IntToHex, PadsToTheDigitsAndNeverCuts) {
    EXPECT_EQ(IntToHex(255, 4), "00FF");
    EXPECT_EQ(IntToHex(0, 0), "0");
    EXPECT_EQ(IntToHex(0xDEADBEEF, 2), "DEADBEEF");
    EXPECT_EQ(IntToHex(UINT64_MAX, 1), "FFFFFFFFFFFFFFFF");
    EXPECT_EQ(IntToHex(10, -3), "A");
    EXPECT_EQ(IntToStr(-9223372036854775807LL - 1), "-9223372036854775808");
}

TEST(StrToInt, AcceptsSignBlanksAndHexadecimal) {
    struct Case {
        const char* Text;
        int Value;
    };
    const Case cases[] = {
        {"123", 123},
        {"  42", 42},
        {"-17", -17},
        {"+5", 5},
        {"007", 7},
        {"$FF", 255},
        {"0x1f", 31},
        {"X10", 16},
        {"-$10", -16},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"$7FFFFFFF", INT_MAX},
        {"$FFFFFFFF", -1}, // a hexadecimal number may fill all 32 bits
        {"$80000000", INT_MIN},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        EXPECT_EQ(StrToInt(c.Text), c.Value);
        int v = 0;
        EXPECT_TRUE(TryStrToInt(c.Text, v));
        EXPECT_EQ(v, c.Value);
        EXPECT_EQ(StrToInt64(c.Text), c.Text[0] == '$' && c.Value < 0 ? int64_t(uint32_t(c.Value)) : c.Value);
    }
    EXPECT_EQ(StrToInt64("9223372036854775807"), INT64_MAX);
    EXPECT_EQ(StrToInt64("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(StrToInt64("$FFFFFFFFFFFFFFFF"), -1);
    EXPECT_EQ(StrToInt64("4294967296"), 4294967296LL);
    EXPECT_EQ(StrToInt64Def("9223372036854775808", 3), 3);
    EXPECT_EQ(StrToIntDef("x", 7), 7);
    EXPECT_EQ(StrToIntDef("8", 7), 8);
}

TEST(StrToInt, RejectsAnythingElseWithTheFrameworkMessage) {
    const char* bad[] = {"",   " ",   "-",   "$",          "12 ",         "1.5",        "1e3",     "12a",
                         "0x", "--1", "+-1", "2147483648", "-2147483649", "$100000000", "\xD0\x96"};
    for (const char* text : bad) {
        SCOPED_TRACE(text);
        int v = 99;
        EXPECT_FALSE(TryStrToInt(text, v));
        try {
            StrToInt(text);
            ADD_FAILURE() << "no exception";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), "'" + String(text) + "' is not a valid integer value");
        }
    }
    // An embedded zero byte is text like any other, not an end.
    EXPECT_THROW(StrToInt(std::string_view("12\0", 3)), EConvertError);
    EXPECT_THROW(StrToInt64("9223372036854775808"), EConvertError);
    EXPECT_THROW(StrToInt64("$10000000000000000"), EConvertError);
}

TEST(Round, HalvesGoToTheEvenNeighbour) {
    struct Case {
        double Value;
        int64_t Expected;
    };
    const Case cases[] = {
        {0.5, 0},
        {1.5, 2},
        {2.5, 2},
        {3.5, 4},
        {-0.5, 0},
        {-1.5, -2},
        {-2.5, -2},
        {2.4, 2},
        {2.6, 3},
        {-2.6, -3},
        {0.49999999999999994, 0}, // floor(x + 0.5) would give 1
        {2.4999999999999996, 2},
        {2.5000000000000004, 3},
        {4503599627370497.0, 4503599627370497}, // 2^52 + 1: x + 0.5 is not representable
        {-4503599627370497.0, -4503599627370497},
        {1e15 + 0.5, 1000000000000000},
        {1e15 + 1.5, 1000000000000002},
        {-0.0, 0},
        {9223372036854774784.0, 9223372036854774784LL}, // the largest double below 2^63
        {-9223372036854775808.0, INT64_MIN},
        {59.0551181102362 * 10, 591}, // a margin of 15 mm in thousandths of an inch
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Value);
        EXPECT_EQ(Round(c.Value), c.Expected);
    }
    EXPECT_THROW(Round(9223372036854775808.0), ERangeError);
    EXPECT_THROW(Round(-9223372036854777856.0), ERangeError);
    EXPECT_THROW(Round(kNaN), ERangeError);
    EXPECT_THROW(Round(kInf), ERangeError);
    EXPECT_THROW(Round(-kInf), EIntError);
}

TEST(CaseMapping, AsciiFormsLeaveOtherBytesAlone) {
    EXPECT_EQ(UpperCase("abcXYZ 09 ёж é"), "ABCXYZ 09 ёж é");
    EXPECT_EQ(LowerCase("ABCxyz @[ ЁЖ É"), "abcxyz @[ ЁЖ É");
}

TEST(CaseMapping, AnsiFormsMapLatinAndCyrillicLetters) {
    EXPECT_EQ(AnsiUpperCase("привет, ёлка! àéîõü ÿ šœžƒ ґ ß ÷ µ"), "ПРИВЕТ, ЁЛКА! ÀÉÎÕÜ Ÿ ŠŒŽƑ Ґ ß ÷ µ");
    EXPECT_EQ(AnsiLowerCase("ПРИВЕТ, ЁЛКА! ÀÉÎÕÜ Ÿ ŠŒŽ Ґ × ABC"), "привет, ёлка! àéîõü ÿ šœž ґ × abc");
    EXPECT_EQ(AnsiUpperCase("ђѓєѕіїјљњћќѝўџѐ"), "ЂЃЄЅІЇЈЉЊЋЌЍЎЏЀ");
    EXPECT_EQ(AnsiLowerCase("ЂЃЄЅІЇЈЉЊЋЌЍЎЏЀ"), "ђѓєѕіїјљњћќѝўџѐ");
    // Bytes that are not UTF-8 pass through; the letters around them are still mapped.
    EXPECT_EQ(AnsiUpperCase("a\xFF"
                            "b\xC3"),
              "A\xFF"
              "B\xC3");
    EXPECT_EQ(AnsiLowerCase("\xE0\x80Я"), "\xE0\x80я");
    // Every mapping is one half of a pair: lowering an upper-cased letter gives the letter back.
    for (uint32_t cp = 0x20; cp < 0x500; ++cp) {
        String ch = Utf16ToUtf8(std::u16string(1, char16_t(cp)));
        String up = AnsiUpperCase(ch);
        if (up != ch) {
            SCOPED_TRACE(cp);
            EXPECT_EQ(AnsiLowerCase(up), ch);
            EXPECT_EQ(AnsiUpperCase(AnsiLowerCase(up)), up);
        }
    }
}

TEST(CompareText, AsciiAndAnsiFormsIgnoreCase) {
    EXPECT_EQ(CompareText("abc", "ABC"), 0);
    EXPECT_LT(CompareText("a", "b"), 0);
    EXPECT_LT(CompareText("ab", "abc"), 0);
    EXPECT_GT(CompareText("_", "a"), 0); // both sides go to upper case: '_' is above 'A'
    EXPECT_NE(CompareText("ёж", "ЁЖ"), 0);
    EXPECT_TRUE(SameText("Hello", "hELLO"));
    EXPECT_FALSE(SameText("ё", "Ё"));
    EXPECT_FALSE(SameText("a", "ab"));

    EXPECT_EQ(AnsiCompareText("абв", "АБВ"), 0);
    EXPECT_EQ(AnsiCompareText("ёлка", "ЁЛКА"), 0);
    EXPECT_EQ(AnsiCompareText("Ölçü", "öLÇÜ"), 0);
    EXPECT_LT(AnsiCompareText("а", "Б"), 0);
    EXPECT_LT(AnsiCompareText("z", "а"), 0);
    EXPECT_LT(AnsiCompareText("Ё", "а"), 0); // code point order: U+0401 comes before U+0410
    EXPECT_GT(AnsiCompareText("_", "a"), 0);
    EXPECT_GT(AnsiCompareText("a", ""), 0);
    EXPECT_EQ(AnsiCompareText("", ""), 0);
    EXPECT_TRUE(AnsiSameText("Тип позиции", "ТИП ПОЗИЦИИ"));

    EXPECT_GT(CompareStr("a", "B"), 0);
    EXPECT_LT(AnsiCompareStr("а", "б"), 0);
    EXPECT_GT(AnsiCompareStr("а", "А"), 0);
    EXPECT_LT(AnsiCompareStr("я", "ё"), 0);
}

TEST(Trim, DropsControlsAndBlanksOnly) {
    EXPECT_EQ(Trim("  a b \t\r\n"), "a b");
    EXPECT_EQ(Trim("\x01x\x1F"), "x");
    EXPECT_EQ(Trim(""), "");
    EXPECT_EQ(Trim("   "), "");
    EXPECT_EQ(Trim(" ё "), "ё");
    EXPECT_EQ(Trim("\xC2\xA0x"), "\xC2\xA0x"); // a no-break space is a character, not a blank
    EXPECT_EQ(TrimLeft("  x  "), "x  ");
    EXPECT_EQ(TrimRight("  x  "), "  x");
}

TEST(FileNames, SplitAtBackslashSlashAndDrive) {
    struct Case {
        const char* Path;
        const char* Name;
        const char* Dir;
        const char* Ext;
    };
    const Case cases[] = {
        {"C:\\dir\\file.txt", "file.txt", "C:\\dir\\", ".txt"},
        {"C:file.txt", "file.txt", "C:", ".txt"},
        {"/usr/lib/x.so.1", "x.so.1", "/usr/lib/", ".1"},
        {"dir.d\\file", "file", "dir.d\\", ""},
        {"file.", "file.", "", "."},
        {".hidden", ".hidden", "", ".hidden"},
        {"a/b\\c.db", "c.db", "a/b\\", ".db"},
        {"", "", "", ""},
        {"\\\\server\\share\\", "", "\\\\server\\share\\", ""},
        {"Шаблоны\\Тип.db", "Тип.db", "Шаблоны\\", ".db"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Path);
        EXPECT_EQ(ExtractFileName(c.Path), c.Name);
        EXPECT_EQ(ExtractFilePath(c.Path), c.Dir);
        EXPECT_EQ(ExtractFileExt(c.Path), c.Ext);
    }
    const String sep(1, PathDelim);
    EXPECT_EQ(IncludeTrailingBackslash("C:\\dir"), "C:\\dir" + sep);
    EXPECT_EQ(IncludeTrailingBackslash("C:\\dir\\"), "C:\\dir\\");
    EXPECT_EQ(IncludeTrailingBackslash("a/"), "a/");
    EXPECT_EQ(IncludeTrailingBackslash(""), sep);
    EXPECT_EQ(ExcludeTrailingBackslash("C:\\dir\\"), "C:\\dir");
    EXPECT_EQ(ExcludeTrailingBackslash("a/"), "a");
    EXPECT_EQ(ExcludeTrailingBackslash("a"), "a");
    EXPECT_EQ(ExcludeTrailingBackslash("\\"), "");
}

#ifdef _WIN32
#include <windows.h>

// Windows' own case mapping is the oracle for every character of the code pages our files use.
TEST(CaseMapping, MatchesWindowsForEveryCharacterOfOurCodePages) {
    for (unsigned cp : {1251u, 1252u, 866u}) {
        for (unsigned b = 0x20; b < 256; ++b) {
            String ch = CodePageToUtf8(std::string(1, char(b)), cp);
            std::u16string up = Utf8ToUtf16(ch), low = up;
            CharUpperBuffW(reinterpret_cast<wchar_t*>(up.data()), DWORD(up.size()));
            CharLowerBuffW(reinterpret_cast<wchar_t*>(low.data()), DWORD(low.size()));
            SCOPED_TRACE(testing::Message() << "code page " << cp << ", byte 0x" << std::hex << b);
            EXPECT_EQ(AnsiUpperCase(ch), Utf16ToUtf8(up));
            EXPECT_EQ(AnsiLowerCase(ch), Utf16ToUtf8(low));
        }
    }
}
#endif

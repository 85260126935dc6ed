// SysUtils: the code page tables, checked byte by byte against the system's own converter (glibc's iconv in
// the native tree, MultiByteToWideChar and WideCharToMultiByte under Windows), and the conversion errors.
#include "framework/core/SysUtils.h"

#include <gtest/gtest.h>

#include <set>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

using namespace SysUtils;

namespace {

const unsigned kTableCodePages[] = {1251, 866, 1252};

#ifndef _WIN32
// One byte through glibc's iconv; false when iconv has no character for it.
bool SystemDecode(unsigned codePage, unsigned char byte, String& utf8) {
    String name = "CP" + std::to_string(codePage);
    iconv_t cd = iconv_open("UTF-8", name.c_str());
    if (cd == iconv_t(-1)) throw std::runtime_error("iconv cannot convert from " + name);
    char in[1] = {char(byte)};
    char out[8];
    char* inPtr = in;
    char* outPtr = out;
    size_t inLeft = 1, outLeft = sizeof out;
    size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (r == size_t(-1)) return false;
    utf8.assign(out, size_t(outPtr - out));
    return true;
}
#else
// One byte through MultiByteToWideChar with its default flags, as programs reading the files use it.
bool SystemDecode(unsigned codePage, unsigned char byte, String& utf8) {
    char in = char(byte);
    wchar_t out[4];
    int n = MultiByteToWideChar(codePage, 0, &in, 1, out, 4);
    if (n <= 0) return false;
    utf8 = Utf16ToUtf8(std::u16string(reinterpret_cast<const char16_t*>(out), size_t(n)));
    return true;
}

// The byte WideCharToMultiByte gives for a character, without best-fit substitutes; -1 when there is none.
int SystemEncode(unsigned codePage, const String& utf8) {
    std::u16string w = Utf8ToUtf16(utf8);
    char out[4];
    BOOL usedDefault = FALSE;
    int n = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, reinterpret_cast<const wchar_t*>(w.data()),
                                int(w.size()), out, 4, nullptr, &usedDefault);
    return n == 1 && !usedDefault ? static_cast<unsigned char>(out[0]) : -1;
}
#endif

} // namespace

TEST(CodePages, EveryByteDecodesAsTheSystemDecodesIt) {
    // Bytes a code page leaves undefined: Windows passes the C1 control of the same value; iconv refuses
    // them.
    const std::set<unsigned> undefined1251 = {0x98}, undefined1252 = {0x81, 0x8D, 0x8F, 0x90, 0x9D};
    for (unsigned cp : kTableCodePages) {
        std::set<unsigned> refused;
        for (unsigned b = 0; b < 256; ++b) {
            SCOPED_TRACE(testing::Message() << "code page " << cp << ", byte 0x" << std::hex << b);
            String ours = CodePageToUtf8(std::string(1, char(b)), cp);
            String system;
            if (SystemDecode(cp, static_cast<unsigned char>(b), system)) {
                EXPECT_EQ(ours, system);
            } else {
                refused.insert(b);
                EXPECT_EQ(Utf8ToUtf16(ours), std::u16string(1, char16_t(b)));
            }
            // And back: every byte survives the round trip.
            EXPECT_EQ(Utf8ToCodePage(ours, cp), std::string(1, char(b)));
#ifdef _WIN32
            EXPECT_EQ(SystemEncode(cp, ours), int(b));
#endif
        }
#ifdef _WIN32
        EXPECT_TRUE(refused.empty()) << "MultiByteToWideChar maps every byte";
#else
        EXPECT_EQ(refused, cp == 1251   ? undefined1251
                           : cp == 1252 ? undefined1252
                                        : std::set<unsigned>())
            << "code page " << cp;
#endif
    }
}

TEST(CodePages, RussianTextInBothCyrillicCodePages) {
    const String text = "Тип позиции Ёё";
    EXPECT_EQ(Utf8ToCodePage(text, 1251), "\xD2\xE8\xEF \xEF\xEE\xE7\xE8\xF6\xE8\xE8 \xA8\xB8");
    EXPECT_EQ(Utf8ToCodePage(text, 866), "\x92\xA8\xAF \xAF\xAE\xA7\xA8\xE6\xA8\xA8 \xF0\xF1");
    EXPECT_EQ(CodePageToUtf8(Utf8ToCodePage(text, 866), 866), text);
    EXPECT_EQ(Utf8ToCodePage("€", 1251), "\x88");
    EXPECT_EQ(Utf8ToCodePage("€ Œ ÿ", 1252), "\x80 \x8C \xFF");
}

TEST(CodePages, UnrepresentableCharacterRaisesNamingItAndTheCodePage) {
    struct Case {
        const char* Text;
        unsigned CodePage;
        const char* Message;
    };
    const Case cases[] = {
        {"café", 1251, "Character U+00E9 cannot be represented in code page 1251"},
        {"Жук", 1252, "Character U+0416 cannot be represented in code page 1252"},
        {"a😀", 866, "Character U+1F600 cannot be represented in code page 866"},
        {"€", 866, "Character U+20AC cannot be represented in code page 866"},
        {"é", 20127, "Character U+00E9 cannot be represented in code page 20127"},
        {"x", 437, "Code page 437 is not supported"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        try {
            Utf8ToCodePage(c.Text, c.CodePage);
            ADD_FAILURE() << "no exception";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), c.Message);
        }
        std::string out = "untouched";
        EXPECT_FALSE(TryUtf8ToCodePage(c.Text, c.CodePage, out));
        EXPECT_EQ(out, "untouched");
    }
    std::string out;
    EXPECT_TRUE(TryUtf8ToCodePage("Ёж", 1251, out));
    EXPECT_EQ(out, "\xA8\xE6");
    // Input that is not UTF-8 is an error too, never a '?'.
    EXPECT_THROW(Utf8ToCodePage("ab\xFF", 1251), EConvertError);
    EXPECT_FALSE(TryUtf8ToCodePage("\xC3", 1252, out));
}

TEST(CodePages, AsciiAndUtf8AreValidated) {
    EXPECT_TRUE(IsSupportedCodePage(65001));
    EXPECT_TRUE(IsSupportedCodePage(20127));
    EXPECT_FALSE(IsSupportedCodePage(437));
    EXPECT_FALSE(IsSupportedCodePage(0));
    EXPECT_EQ(CodePageToUtf8("plain", 20127), "plain");
    try {
        CodePageToUtf8("ab\x80", 20127);
        ADD_FAILURE() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Byte 0x80 at 2 is not defined in code page 20127");
    }
    EXPECT_EQ(CodePageToUtf8("жёлтый", 65001), "жёлтый");
    EXPECT_EQ(Utf8ToCodePage("жёлтый", 65001), "жёлтый");
    EXPECT_THROW(CodePageToUtf8("\xD0", 65001), EConvertError);
    EXPECT_THROW(CodePageToUtf8("\xC0\xAF", 65001), EConvertError); // an overlong '/'
    EXPECT_THROW(CodePageToUtf8("x", 437), EConvertError);
    EXPECT_EQ(CodePageToUtf8("", 1251), "");
    EXPECT_EQ(Utf8ToCodePage("", 866), "");
}

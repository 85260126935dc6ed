// The text form of the component stream: the layout the framework prints, exact round trips of what our
// writer produces, the exact decimal form of the extended, the parser's rules and its errors.
#include "framework/core/ClassesText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <random>

using namespace Classes;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Build(const std::function<void(TBinaryObjectWriter&)>& fn) {
    TMemoryStream m;
    TBinaryObjectWriter w(m);
    fn(w);
    return m.Bytes();
}

void Load(TMemoryStream& m, const void* data, size_t size) {
    if (size) m.WriteBuffer(data, size);
    m.SetPosition(0);
}

std::string ToText(const Bytes& b) {
    TMemoryStream in, out;
    Load(in, b.data(), b.size());
    ObjectSequenceBinaryToText(in, out);
    EXPECT_EQ(in.GetPosition(), in.GetSize());
    return std::string(out.Bytes().begin(), out.Bytes().end());
}

Bytes ToBinary(const std::string& text) {
    TMemoryStream in, out;
    Load(in, text.data(), text.size());
    ObjectSequenceTextToBinary(in, out);
    return out.Bytes();
}

// The bytes of one object's text (signature, record), without the sequence's closing 0.
Bytes OneObject(const std::string& text) {
    TMemoryStream in, out;
    Load(in, text.data(), text.size());
    ObjectTextToBinary(in, out);
    return out.Bytes();
}

std::string ParserError(const std::string& text) {
    try {
        OneObject(text);
    } catch (const EParserError& e) {
        return e.Message();
    }
    return "(no error)";
}

std::string Hex(const uint8_t b[10]) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string s;
    for (int i = 0; i < 10; ++i) {
        if (i) s += ' ';
        s += kHex[b[i] >> 4];
        s += kHex[b[i] & 15];
    }
    return s;
}

std::string Parsed(const char* text) {
    uint8_t b[10];
    if (!StrToExtended(text, b)) return "(invalid)";
    return Hex(b);
}

// A sequence of two records using every value kind and header form our writer has.
Bytes EverythingOurWriterWrites() {
    return Build([](TBinaryObjectWriter& w) {
        w.WriteSignature();
        w.WriteRecordHeader({0, -1, "TForm1", "Form1"});
        int n = 0;
        auto prop = [&](const char* base) { w.WritePropName(std::string(base) + std::to_string(n++)); };
        for (int64_t v : {int64_t(0), int64_t(-129), int64_t(128), int64_t(-32769), int64_t(INT32_MAX),
                          int64_t(2147483648LL), INT64_MIN, INT64_MAX}) {
            prop("Int");
            w.WriteInteger(v);
        }
        for (uint64_t v : {uint64_t(INT64_MAX) + 1, UINT64_MAX}) {
            prop("QWord");
            w.WriteQWord(v);
        }
        for (const std::string& s :
             {std::string(), std::string("It's"), std::string(255, 'a'), std::string(256, 'b'),
              std::string("tab\t\r\n\0end", 10), std::string("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"),
              std::string(300, 'z') + "\xC3\xA9"}) {
            prop("Str");
            w.WriteString(s);
        }
        for (const std::u16string& s : {std::u16string(u"caf\u00E9"), std::u16string(u"\u20AC"),
                                        std::u16string(u"\U0001F600"), std::u16string(u"a\u00FFb\u0100")}) {
            prop("Wide");
            w.WriteWideString(s);
        }
        for (long double v :
             {1.5L, -0.25L, 0.1L, 0.0L, -0.0L, 1e-4950L, 1e4931L,
              std::numeric_limits<long double>::infinity(), -std::numeric_limits<long double>::infinity(),
              std::numeric_limits<long double>::quiet_NaN()}) {
            prop("Ext");
            w.WriteFloat(v);
        }
        for (float v : {2.25f, -0.1f, std::numeric_limits<float>::denorm_min(),
                        std::numeric_limits<float>::max(), std::numeric_limits<float>::infinity(),
                        -std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()}) {
            prop("Single");
            w.WriteSingle(v);
        }
        for (int64_t v : {int64_t(0), int64_t(123400), int64_t(-5), INT64_MIN, INT64_MAX}) {
            prop("Currency");
            w.WriteCurrency(v);
        }
        for (double v : {45000.5, -1.0 / 3, std::numeric_limits<double>::denorm_min(),
                         std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()}) {
            prop("Date");
            w.WriteDate(v);
        }
        for (const char* id : {"clRed", "Form2.PopupMenu2", "True", "false", "nil", "Null"}) {
            prop("Ident");
            w.WriteIdent(id);
        }
        prop("Set");
        w.WriteSet({});
        prop("Set");
        w.WriteSet({"akLeft", "akTop"});
        prop("Bin");
        w.WriteBinary("", 0);
        prop("Bin");
        std::string data(70, '\0');
        for (size_t i = 0; i < data.size(); ++i)
            data[i] = char(i * 11);
        w.WriteBinary(data.data(), data.size());
        prop("List");
        w.WriteListBegin();
        w.WriteInteger(1);
        w.WriteListBegin();
        w.WriteListEnd();
        w.WriteString("x");
        w.WriteValue(TValueType::vaIdent); // "Null" inside a list is an identifier: vaNull would end the list
        w.WriteShortString("Null");
        w.WriteListEnd();
        prop("Items");
        w.WriteCollectionBegin();
        w.WriteListBegin();
        w.WritePropName("Caption");
        w.WriteString("one");
        w.WriteListEnd();
        w.WriteInteger(5);
        w.WriteListBegin();
        w.WritePropName("Sub");
        w.WriteCollectionBegin();
        w.WriteListEnd();
        w.WriteListEnd();
        w.WriteListEnd();
        w.WriteListEnd();
        w.WriteRecordHeader({ffChildPos, 2, "TButton", "Button1"});
        w.WriteListEnd();
        w.WriteRecordHeader({ffChildPos, -40000, "TComponent", ""});
        w.WriteListEnd();
        w.WriteListEnd();
        w.WriteListEnd();
        w.WriteRecordHeader({ffInherited | ffChildPos, 0, "TComponent", "B"});
        w.WriteListEnd();
        w.WriteListEnd();
        w.WriteRecordHeader({ffInline, -1, "TFrame1", "Frame1"});
        w.WriteListEnd();
        w.WriteListEnd();
        w.WriteListEnd();
        w.WriteSignature();
        w.WriteRecordHeader({ffInherited, -1, "TForm2", "Form2"});
        w.WriteListEnd();
        w.WriteListEnd();
        w.WriteListEnd();
    });
}

} // namespace

TEST(ComponentText, PrintsTheFrameworksLayout) {
    Bytes b = Build([](TBinaryObjectWriter& w) {
        w.WriteSignature();
        w.WriteRecordHeader({0, -1, "TForm1", "Form1"});
        w.WritePropName("Left");
        w.WriteInteger(-129);
        w.WritePropName("Caption");
        w.WriteString("It's\tcaf\xC3\xA9");
        w.WritePropName("Wide");
        w.WriteWideString(u"caf\u00E9\u20AC\U0001F600");
        w.WritePropName("Empty");
        w.WriteString("");
        w.WritePropName("Ratio");
        w.WriteFloat(1.5L);
        w.WritePropName("Anchors");
        w.WriteSet({"akLeft", "akTop"});
        w.WritePropName("Picture.Data");
        w.WriteBinary("\xDE\xAD\xBE\xEF", 4);
        w.WritePropName("Items");
        w.WriteCollectionBegin();
        w.WriteListBegin();
        w.WritePropName("Caption");
        w.WriteString("one");
        w.WriteListEnd();
        w.WriteInteger(5);
        w.WriteListBegin();
        w.WriteListEnd();
        w.WriteListEnd();
        w.WritePropName("List");
        w.WriteListBegin();
        w.WriteInteger(1);
        w.WriteString("two");
        w.WriteListEnd();
        w.WritePropName("None");
        w.WriteListBegin();
        w.WriteListEnd();
        w.WritePropName("OnClick");
        w.WriteIdent("Button1Click");
        w.WritePropName("Sg");
        w.WriteSingle(2.25f);
        w.WritePropName("Cy");
        w.WriteCurrency(-123400);
        w.WritePropName("Q");
        w.WriteQWord(UINT64_MAX);
        w.WritePropName("X");
        w.WriteIdent("Null");
        w.WritePropName("Inf");
        w.WriteFloat(-std::numeric_limits<long double>::infinity());
        w.WriteListEnd();
        w.WriteRecordHeader({ffChildPos, 2, "TButton", "Button1"});
        w.WriteListEnd();
        w.WriteListEnd();
        w.WriteRecordHeader({ffInherited | ffChildPos, 0, "TComponent", "B"});
        w.WriteListEnd();
        w.WriteListEnd();
        w.WriteRecordHeader({ffInline, -1, "TFrame1", "Frame1"});
        w.WriteListEnd();
        w.WriteRecordHeader({0, -1, "TTimer", ""});
        w.WriteListEnd();
        w.WriteListEnd();
        w.WriteListEnd();
        w.WriteListEnd();
    });
    // Pinned to the framework's printer, trailing blanks after "<" and after an item's "end" included.
    const std::string expected = "object Form1: TForm1\n"
                                 "  Left = -129\n"
                                 "  Caption = 'It''s'#9'caf'#195#169\n"
                                 "  Wide = 'caf'#233#8364#55357#56832\n"
                                 "  Empty = ''\n"
                                 "  Ratio =  1.50000000000000000000E+0000\n"
                                 "  Anchors = [akLeft, akTop]\n"
                                 "  Picture.Data = {\n"
                                 "    DEADBEEF\n"
                                 "  }\n"
                                 "  Items = <  \n"
                                 "    item\n"
                                 "      Caption = 'one'\n"
                                 "    end  \n"
                                 "    item[5]\n"
                                 "    end>\n"
                                 "  List = (\n"
                                 "    1\n"
                                 "    'two'\n"
                                 "  )\n"
                                 "  None = (  )\n"
                                 "  OnClick = Button1Click\n"
                                 "  Sg =  2.25000000000000000000E+0000s\n"
                                 "  Cy = -12.3400c\n"
                                 "  Q = 18446744073709551615\n"
                                 "  X = Null\n"
                                 "  Inf =                          -Inf\n"
                                 "  object Button1: TButton[2]\n"
                                 "  end\n"
                                 "  inherited B: TComponent[0]\n"
                                 "  end\n"
                                 "  inline Frame1: TFrame1\n"
                                 "    object TTimer\n"
                                 "    end\n"
                                 "  end\n"
                                 "end\n";
    EXPECT_EQ(ToText(b), expected);
    EXPECT_EQ(OneObject(expected), b);
}

TEST(ComponentText, RoundTripsEveryStreamOurWriterProduces) {
    Bytes b = EverythingOurWriterWrites();
    std::string text = ToText(b);
    EXPECT_EQ(ToBinary(text), b) << text;
    EXPECT_EQ(ToText(ToBinary(text)), text);

    // Random records: every value kind, random names, random nesting.
    std::mt19937_64 rng(42);
    auto pick = [&](int n) { return int(rng() % uint64_t(n)); };
    auto ident = [&] {
        std::string s = "Q"; // never a word the text gives a meaning (True, nil, Null, Nan, end...)
        for (int k = pick(8); k > 0; --k)
            s += char('a' + pick(26));
        return s;
    };
    // (Built by appending: GCC 12 misjudges "." + temporary with -Wrestrict.)
    auto dotted = [&](bool twoParts) {
        std::string s = ident();
        if (twoParts) s += '.', s += ident();
        return s;
    };
    std::function<void(TBinaryObjectWriter&, int)> value = [&](TBinaryObjectWriter& w, int depth) {
        switch (pick(depth > 2 ? 12 : 15)) {
        case 0:
            w.WriteInteger(int64_t(rng()) >> pick(64));
            break;
        case 1: {
            uint8_t e[10];
            uint64_t m = rng() | uint64_t(1) << 63;
            unsigned x = unsigned(1 + pick(0x7FFE)) | unsigned(pick(2)) << 15;
            for (int k = 0; k < 8; ++k)
                e[k] = uint8_t(m >> (8 * k));
            e[8] = uint8_t(x);
            e[9] = uint8_t(x >> 8);
            w.WriteExtendedBytes(e);
            break;
        }
        case 2: {
            // Valid UTF-8 of random characters, any length, any code point.
            std::u16string u;
            for (int k = pick(3) == 0 ? 200 + pick(100) : pick(10); k > 0; --k) {
                char32_t c = char32_t(pick(4) == 0 ? 0x80 + pick(0x10FF80) : pick(0x80));
                if (c >= 0xD800 && c <= 0xDFFF) c = 'x';
                if (c >= 0x10000) {
                    u += char16_t(0xD800 + ((c - 0x10000) >> 10));
                    u += char16_t(0xDC00 + ((c - 0x10000) & 0x3FF));
                } else {
                    u += char16_t(c);
                }
            }
            w.WriteString(SysUtils::Utf16ToUtf8(u));
            break;
        }
        case 3: {
            std::u16string u(size_t(1 + pick(5)), u'\u0416'); // wide strings that need to be wide
            u[0] = char16_t(256 + pick(0xD000));
            w.WriteWideString(u);
            break;
        }
        case 4:
            w.WriteIdent(dotted(pick(2)));
            break;
        case 5:
            w.WriteBoolean(pick(2));
            break;
        case 6:
            w.WriteSet(std::vector<std::string>(size_t(pick(3)), ident()));
            break;
        case 7: {
            std::string d(size_t(pick(100)), '\0');
            for (char& c : d)
                c = char(rng());
            w.WriteBinary(d.data(), d.size());
            break;
        }
        case 8:
            w.WriteSingle(std::bit_cast<float>(uint32_t(rng()) & 0x7F7FFFFFu));
            break;
        case 9:
            w.WriteCurrency(int64_t(rng()));
            break;
        case 10:
            w.WriteDate(std::bit_cast<double>(rng() & 0x7FEFFFFFFFFFFFFFull));
            break;
        case 11:
            w.WriteQWord(rng() | uint64_t(1) << 63);
            break;
        case 12:
            w.WriteListBegin();
            for (int k = pick(4); k > 0; --k)
                value(w, depth + 1);
            w.WriteListEnd();
            break;
        default:
            w.WriteCollectionBegin();
            for (int k = pick(3); k > 0; --k) {
                if (pick(3) == 0) w.WriteInteger(pick(1000));
                w.WriteListBegin();
                for (int p = pick(3); p > 0; --p) {
                    w.WritePropName(ident());
                    value(w, depth + 1);
                }
                w.WriteListEnd();
            }
            w.WriteListEnd();
            break;
        }
    };
    Bytes random = Build([&](TBinaryObjectWriter& w) {
        for (int r = 0; r < 60; ++r) {
            w.WriteSignature();
            w.WriteRecordHeader(
                {uint8_t(pick(2) ? ffChildPos : 0), int32_t(rng()), std::string(1, 'T') += ident(), ident()});
            for (int p = pick(12); p > 0; --p) {
                w.WritePropName(dotted(pick(3) == 0));
                value(w, 0);
            }
            w.WriteListEnd();
            w.WriteListEnd();
        }
        w.WriteListEnd();
    });
    std::string randomText = ToText(random);
    EXPECT_TRUE(ToBinary(randomText) == random);
}

TEST(ComponentText, ExtendedDecimalFormIsExact) {
    struct Row {
        long double Value;
        const char* Text;
    };
    const long double two64 = 18446744073709551616.0L;
    const Row rows[] = {
        {1.5L, " 1.50000000000000000000E+0000"},
        {-0.25L, "-2.50000000000000000000E-0001"},
        {0.1L, " 1.00000000000000000001E-0001"},
        {0.1, " 1.00000000000000005551E-0001"},
        {0.0L, " 0.00000000000000000000E+0000"},
        {-0.0L, "-0.00000000000000000000E+0000"},
        {1e21L, " 1.00000000000000000000E+0021"},
        {(two64 - 3) / 8, " 2.30584300921369395162E+0018"}, // exactly halfway: to the even digit 2
        {(two64 - 1) / 8, " 2.30584300921369395188E+0018"}, // exactly halfway: to the even digit 8
        {std::numeric_limits<long double>::infinity(), "                         +Inf"},
        {-std::numeric_limits<long double>::infinity(), "                         -Inf"},
        {std::numeric_limits<long double>::quiet_NaN(), "                          Nan"},
    };
    for (const Row& row : rows) {
        uint8_t b[10], back[10];
        EncodeExtended(row.Value, b);
        EXPECT_EQ(ExtendedToStr(b), row.Text);
        std::string t = row.Text;
        t.erase(0, t.find_first_not_of(' '));
        if (std::isfinite(row.Value)) {
            ASSERT_TRUE(StrToExtended(t, back)) << t;
            EXPECT_EQ(Hex(back), Hex(b)) << t;
        }
    }
    // The extremes of the format, from the bytes.
    const uint8_t minDenormal[10] = {1, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const uint8_t maxValue[10] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0x7F};
    EXPECT_EQ(ExtendedToStr(minDenormal), " 3.64519953188247460253E-4951");
    EXPECT_EQ(ExtendedToStr(maxValue), " 1.18973149535723176502E+4932");

    // Reading: nearest, ties to even, overflow to infinity, underflow through denormals to zero.
    EXPECT_EQ(Parsed("1.5"), "00 00 00 00 00 00 00 C0 FF 3F");
    EXPECT_EQ(Parsed("0.1"), "CD CC CC CC CC CC CC CC FB 3F");
    EXPECT_EQ(Parsed("1E3"), "00 00 00 00 00 00 00 FA 08 40");
    EXPECT_EQ(Parsed("-0"), "00 00 00 00 00 00 00 00 00 80");
    EXPECT_EQ(Parsed("000.000e+99999"), "00 00 00 00 00 00 00 00 00 00");
    // 1 + 2^-64 is halfway between 1 and the next extended: to even, 1. A little more: the next one.
    EXPECT_EQ(Parsed("1.0000000000000000000542101086242752217003726400434970855712890625"),
              "00 00 00 00 00 00 00 80 FF 3F");
    EXPECT_EQ(Parsed("1.0000000000000000000542101086242752217003726400434970855712890626"),
              "01 00 00 00 00 00 00 80 FF 3F");
    // 1 + 3 x 2^-64 is halfway between odd and even mantissas: up, to even.
    EXPECT_EQ(Parsed("1.0000000000000000001626303258728256651011179201304912567138671875"),
              "02 00 00 00 00 00 00 80 FF 3F");
    EXPECT_EQ(Parsed("3.64519953188247460253E-4951"), "01 00 00 00 00 00 00 00 00 00");
    EXPECT_EQ(Parsed("1.8E-4951"), "00 00 00 00 00 00 00 00 00 00"); // below half the smallest: zero
    EXPECT_EQ(Parsed("1.9E-4951"), "01 00 00 00 00 00 00 00 00 00"); // above half: the smallest
    EXPECT_EQ(Parsed("1.18973149535723176502E+4932"), "FF FF FF FF FF FF FF FF FE 7F");
    EXPECT_EQ(Parsed("1.2E+4932"), "00 00 00 00 00 00 00 80 FF 7F");
    EXPECT_EQ(Parsed("1E99999999999"), "00 00 00 00 00 00 00 80 FF 7F");
    EXPECT_EQ(Parsed(("0." + std::string(30000, '0') + "1").c_str()), "00 00 00 00 00 00 00 00 00 00");
    for (const char* bad : {"", ".", "-", "1e", "1e+", "1.5x", "--1", "1..2", "e5", "1 "})
        EXPECT_EQ(Parsed(bad), "(invalid)") << bad;

    // Every finite value prints and reads back to the same bytes: random bit patterns over the whole range.
    std::mt19937_64 rng(7);
    for (int i = 0; i < 3000; ++i) {
        uint8_t b[10], back[10];
        uint64_t mant = rng();
        unsigned exp = i % 4 == 0 ? 0 : unsigned(1 + rng() % 0x7FFE);
        if (exp)
            mant |= uint64_t(1) << 63;
        else
            mant >>= 1 + rng() % 63; // a denormal: integer bit clear
        exp |= unsigned(rng() & 1) << 15;
        for (int k = 0; k < 8; ++k)
            b[k] = uint8_t(mant >> (8 * k));
        b[8] = uint8_t(exp);
        b[9] = uint8_t(exp >> 8);
        std::string t = ExtendedToStr(b);
        ASSERT_TRUE(StrToExtended(t.substr(t[0] == ' ' ? 1 : 0), back)) << t;
        ASSERT_EQ(Hex(back), Hex(b)) << t;
    }
}

TEST(ComponentText, ReadsTheFrameworksTextForms) {
    // Hexadecimal and joined strings, keywords in any case, CR LF, a byte-order mark, spaces in a dotted
    // name, a child position on an object without a name, item indexes.
    const std::string text = "\xEF\xBB\xBF"
                             "OBJECT Form1 : TForm1\r\n"
                             "  Color = $FF\r\n"
                             "  All = $FFFFFFFFFFFFFFFF\r\n"
                             "  S = 'a' + #66 +\r\n"
                             "    'c'\r\n"
                             "  Font . Size = -8\r\n"
                             "  F = 1.5s\r\n"
                             "  B = TRUE\r\n"
                             "  Items = < item [ 3 ] end >\r\n"
                             "  Opts = [ a , b ]\r\n"
                             "  Bin = { 0a\r\n Ff }\r\n"
                             "  object TTimer[4] End\r\n"
                             "end";
    const Bytes expected = {
        'T',  'P',  'F', '0', 6,   'T',  'F', 'o', 'r', 'm', '1', 5,   'F',  'o', 'r', 'm', '1', 5,    'C',
        'o',  'l',  'o', 'r', 3,   0xFF, 0,   3,   'A', 'l', 'l', 2,   0xFF, 1,   'S', 6,   3,   'a',  'B',
        'c',  9,    'F', 'o', 'n', 't',  '.', 'S', 'i', 'z', 'e', 2,   0xF8, 1,   'F', 15,  0,   0,    0xC0,
        0x3F, 1,    'B', 9,   5,   'I',  't', 'e', 'm', 's', 14,  2,   3,    1,   0,   0,   4,   'O',  'p',
        't',  's',  11,  1,   'a', 1,    'b', 0,   3,   'B', 'i', 'n', 10,   2,   0,   0,   0,   0x0A, 0xFF,
        0,    0xF2, 2,   4,   6,   'T',  'T', 'i', 'm', 'e', 'r', 0,   0,    0,   0};
    EXPECT_EQ(OneObject(text), expected);

    // Several objects: each call converts one and leaves the input at the next; a sequence adds the 0.
    const std::string two = "object A: TA\nend\n\n  inherited B: TB\nend\n";
    TMemoryStream in, out;
    Load(in, two.data(), two.size());
    ObjectTextToBinary(in, out);
    EXPECT_EQ(in.GetPosition(), int64_t(two.find("inherited")));
    ObjectTextToBinary(in, out);
    EXPECT_EQ(in.GetPosition(), int64_t(two.size()));
    Bytes sequence = ToBinary(two);
    EXPECT_EQ(sequence.size(), out.Bytes().size() + 1);
    EXPECT_TRUE(std::equal(out.Bytes().begin(), out.Bytes().end(), sequence.begin()));
    EXPECT_EQ(sequence.back(), 0);
    EXPECT_EQ(ToBinary(" \n\t\r\n"), Bytes{0}); // an edition with no items

    // Reading the sequence back stops at the 0 and leaves the input after it; the bytes after are not read.
    Bytes withTail = sequence;
    withTail.push_back(0xEE);
    TMemoryStream bin, text2;
    Load(bin, withTail.data(), withTail.size());
    EXPECT_EQ(ObjectSequenceBinaryToText(bin, text2), 2);
    EXPECT_EQ(bin.GetPosition(), int64_t(sequence.size()));
    EXPECT_EQ(std::string(text2.Bytes().begin(), text2.Bytes().end()),
              "object A: TA\nend\ninherited B: TB\nend\n");
    // Without the 0 (a form resource) the objects read as well.
    TMemoryStream bin2, text3;
    Load(bin2, sequence.data(), sequence.size() - 1);
    EXPECT_EQ(ObjectSequenceBinaryToText(bin2, text3), 2);
}

TEST(ComponentText, BadTextGivesParserErrorWithTheLine) {
    struct Row {
        std::string Text;
        const char* Message;
    };
    const Row rows[] = {
        {"", "Line 1: 'object', 'inherited' or 'inline' expected but end of file found"},
        {"object A: TA\n  X = 'abc\nend", "Line 2: Unterminated string"},
        {"object A: TA\r\n\r\n  X 1\r\nend", "Line 3: '=' expected but number 1 found"},
        {"object A: TA\n  X = \nend", "Line 3: Property value expected but 'end' found"},
        {"object A: TA\n  X = ]\nend", "Line 2: Invalid property value: ']'"},
        {"object A: TA\n  X = { 0A Q }\nend", "Line 2: '}' expected but 'Q' found"},
        {"object A: TA\n  X = {\n 0A\n A }\nend", "Line 4: Unterminated byte value"},
        {"object A: TA\n  X = 'a'#\nend", "Line 2: Character code expected after '#'"},
        {"object A: TA\n  X = #128512\nend", "Line 2: Character code out of range: #128512"},
        {"object A: TA\n  X = 99999999999999999999\nend",
         "Line 2: Integer out of range: 99999999999999999999"},
        {"object A: TA\n  X = -9223372036854775809\nend",
         "Line 2: Integer out of range: -9223372036854775809"},
        {"object A: TA\n  X = $10000000000000000\nend", "Line 2: Invalid integer number: $10000000000000000"},
        {"object A: TA\n  X = 1e\nend", "Line 2: Invalid floating point number: 1e"},
        {"object A: TA\n  X = 1e5000\nend", "Line 2: Floating point number out of range: 1e5000"},
        {"object A: TA\n  X = 1e39s\nend", "Line 2: Floating point number out of range: 1e39"},
        {"object A: TA\n  X = 99999999999999999c\nend",
         "Line 2: Currency value out of range: 99999999999999999"},
        {"object A: TA\n  X = 'a' + 1\nend", "Line 2: string expected but number 1 found"},
        {"object A: TA\n  X = [a, 1]\nend", "Line 2: identifier expected but number 1 found"},
        {"object A: TA\n  X = < thing end >\nend", "Line 2: 'item' expected but 'thing' found"},
        {"object A: TA\n  X = +1\nend", "Line 2: 'Inf' expected but number 1 found"},
        {"object A: TA\n  X = Form1.\nend", "Line 2: identifier expected but '.' found"},
        {"object A: TA\n  X = 1\n", "Line 3: identifier expected but end of file found"},
        {"object A: TA\n  object B: TB\n  X = 1\nend",
         "Line 4: 'object', 'inherited' or 'inline' expected but end of file found"},
        {"object A: TA[x]\nend", "Line 1: child position expected but 'x' found"},
        {"object A: TA[3000000000]\nend", "Line 1: Child position out of range: 3000000000"},
        {"object 1\nend", "Line 1: identifier expected but number 1 found"},
        {"thing A: TA\nend", "Line 1: 'object', 'inherited' or 'inline' expected but 'thing' found"},
        {"object A: TA\n  " + std::string(256, 'n') + " = 1\nend",
         "Line 2: Name longer than 255 bytes: nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn..."},
        {"object A: " + std::string(240, 'T') + "\nend", ""},
        {"object A: TA\n  X = " + std::string(1001, '(') + std::string(1001, ')') + "\nend",
         "Line 2: Nesting deeper than 1000 levels"},
        {"object A: TA\n  X = 1\n\x01", "Line 3: identifier expected but character #1 found"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Text.substr(0, 60));
        std::string msg = ParserError(row.Text);
        if (*row.Message)
            EXPECT_EQ(msg, row.Message);
        else
            EXPECT_EQ(msg.rfind("Line 1: Class name too long", 0), 0u) << msg;
    }
    // Nothing is written when the text is bad.
    TMemoryStream in, out;
    std::string bad = "object A: TA\n  X = 1\n  Y =\nend";
    Load(in, bad.data(), bad.size());
    EXPECT_THROW(ObjectTextToBinary(in, out), EParserError);
    EXPECT_EQ(out.GetSize(), 0);
}

TEST(ComponentText, BadBytesGiveReadErrorAndWriteNothing) {
    Bytes b = EverythingOurWriterWrites();
    size_t firstObject = b.size();
    {
        // Where the first record ends: the second signature.
        for (size_t i = 4; i + 4 <= b.size(); ++i)
            if (std::memcmp(&b[i], "TPF0", 4) == 0) {
                firstObject = i;
                break;
            }
    }
    for (size_t cut = 0; cut < firstObject; ++cut) {
        TMemoryStream in, out;
        Load(in, b.data(), cut);
        EXPECT_THROW(ObjectBinaryToText(in, out), EReadError) << cut;
        ASSERT_EQ(out.GetSize(), 0) << cut;
    }
    // An unknown tag, a damaged signature, trailing garbage after an object read as a sequence.
    for (const Bytes& bad :
         {Bytes{'T', 'P', 'F', '0', 1, 'T', 0, 1, 'X', 23, 0, 0}, Bytes{'T', 'P', 'F', '1', 1, 'T', 0, 0, 0},
          Bytes{'T', 'P', 'F', '0', 1, 'T', 0, 0, 0, 'x'}}) {
        TMemoryStream in, out;
        Load(in, bad.data(), bad.size());
        EXPECT_THROW(ObjectSequenceBinaryToText(in, out), EReadError);
    }
}

TEST(ComponentText, NestingIsBoundedInBothDirections) {
    // Collections inside collection items, as deep as the reader allows (1000 levels with the object), then
    // one more. Each level's frames must fit the main thread's stack in both build trees.
    auto collections = [](int depth) {
        Bytes b = {'T', 'P', 'F', '0', 1, 'T', 0, 1, 'L'};
        for (int i = 0; i < depth; ++i)
            b.insert(b.end(), {0x0E, 0x01, 1, 'P'});
        b.insert(b.end(), {0x0E, 0x00});
        for (int i = 0; i < depth; ++i)
            b.insert(b.end(), {0x00, 0x00});
        b.insert(b.end(), {0x00, 0x00});
        return b;
    };
    Bytes deepest = collections(998);
    TMemoryStream in, out;
    Load(in, deepest.data(), deepest.size());
    ObjectBinaryToText(in, out);
    std::string text(out.Bytes().begin(), out.Bytes().end());
    EXPECT_EQ(OneObject(text), deepest);

    Bytes tooDeep = collections(999);
    TMemoryStream in2, out2;
    Load(in2, tooDeep.data(), tooDeep.size());
    EXPECT_THROW(ObjectBinaryToText(in2, out2), EReadError);
    // The same depth in text, built from the deepest text by one more level.
    size_t at = text.find("P = <");
    std::string deeper = text.substr(0, at) + "P = < item P = " + text.substr(at + 4) + " end>";
    std::string msg = ParserError(deeper);
    EXPECT_EQ(msg.rfind("Line ", 0), 0u) << msg;
    EXPECT_NE(msg.find(": Nesting deeper than 1000 levels"), std::string::npos) << msg;

    // Objects inside objects.
    auto objects = [](int depth) {
        std::string t;
        for (int i = 0; i < depth; ++i)
            t += "object A: TA\n";
        for (int i = 0; i < depth; ++i)
            t += "end\n";
        return t;
    };
    Bytes b = OneObject(objects(1000));
    EXPECT_EQ(ToText(b), [&] {
        std::string t;
        for (int i = 0; i < 1000; ++i)
            t += std::string(size_t(2 * i), ' ') + "object A: TA\n";
        for (int i = 999; i >= 0; --i)
            t += std::string(size_t(2 * i), ' ') + "end\n";
        return t;
    }());
    EXPECT_EQ(ParserError(objects(1001)), "Line 1001: Nesting deeper than 1000 levels");
}

// The byte level of the binary component stream: encodings as the framework's writer chooses them, the
// reader's bounds checks on damaged input, and the skip routine of every value kind.
#include "framework/core/ClassesFiler.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <functional>
#include <limits>
#include <random>

using namespace Classes;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes B(std::initializer_list<int> v) {
    Bytes b;
    for (int x : v)
        b.push_back(uint8_t(x));
    return b;
}

Bytes Str(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// Runs fn on a writer and returns what it wrote.
Bytes Written(const std::function<void(TBinaryObjectWriter&)>& fn) {
    TMemoryStream m;
    TBinaryObjectWriter w(m);
    fn(w);
    return m.Bytes();
}

struct Input {
    TMemoryStream Stream;
    explicit Input(const Bytes& b) {
        if (!b.empty()) Stream.WriteBuffer(b.data(), b.size());
        Stream.SetPosition(0);
    }
};

std::string ReadError(const Bytes& b, const std::function<void(TBinaryObjectReader&)>& fn) {
    Input in(b);
    TBinaryObjectReader r(in.Stream);
    try {
        fn(r);
    } catch (const EReadError& e) {
        return e.Message();
    }
    return "(no error)";
}

} // namespace

TEST(ComponentStream, IntegersTakeTheSmallestTag) {
    struct Row {
        int64_t Value;
        Bytes Expected;
    };
    const Row rows[] = {
        {0, B({0x02, 0x00})},
        {-100, B({0x02, 0x9C})},
        {127, B({0x02, 0x7F})},
        {-128, B({0x02, 0x80})},
        {128, B({0x03, 0x80, 0x00})},
        {-129, B({0x03, 0x7F, 0xFF})},
        {32767, B({0x03, 0xFF, 0x7F})},
        {-32768, B({0x03, 0x00, 0x80})},
        {32768, B({0x04, 0x00, 0x80, 0x00, 0x00})},
        {-32769, B({0x04, 0xFF, 0x7F, 0xFF, 0xFF})},
        {100000, B({0x04, 0xA0, 0x86, 0x01, 0x00})},
        {INT32_MAX, B({0x04, 0xFF, 0xFF, 0xFF, 0x7F})},
        {INT32_MIN, B({0x04, 0x00, 0x00, 0x00, 0x80})},
        {2147483648LL, B({0x13, 0x00, 0x00, 0x00, 0x80, 0x00, 0x00, 0x00, 0x00})},
        {-2147483649LL, B({0x13, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0xFF})},
        {INT64_MIN, B({0x13, 0, 0, 0, 0, 0, 0, 0, 0x80})},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Value);
        Bytes b = Written([&](TBinaryObjectWriter& w) { w.WriteInteger(row.Value); });
        EXPECT_EQ(b, row.Expected);
        Input in(b);
        TBinaryObjectReader r(in.Stream);
        EXPECT_EQ(r.ReadInteger(), row.Value);
        EXPECT_EQ(in.Stream.GetPosition(), int64_t(b.size()));
    }
    // Unsigned 64-bit values take vaQWord only above the signed range.
    EXPECT_EQ(Written([](TBinaryObjectWriter& w) { w.WriteQWord(5); }), B({0x02, 0x05}));
    EXPECT_EQ(Written([](TBinaryObjectWriter& w) { w.WriteQWord(UINT64_MAX); }),
              B({0x16, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    Input q(B({0x16, 1, 0, 0, 0, 0, 0, 0, 0x80}));
    TBinaryObjectReader r(q.Stream);
    ASSERT_EQ(r.ReadValue(), TValueType::vaQWord);
    EXPECT_EQ(r.ReadQWordPayload(), 0x8000000000000001ull);
}

TEST(ComponentStream, ExtendedEncodingMatchesTheX87Layout) {
    struct Row {
        long double Value;
        Bytes Expected;
    };
    const Row rows[] = {
        {1.5L, B({0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x3F})},
        {-0.25L, B({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFD, 0xBF})},
        {1E3L, B({0, 0, 0, 0, 0, 0, 0, 0xFA, 0x08, 0x40})},
        {0.1L, B({0xCD, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xFB, 0x3F})},
        // The double nearest 0.1 differs from the extended one in the low mantissa bytes.
        {(long double)0.1, B({0x00, 0xD0, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xFB, 0x3F})},
        {0.0L, B({0, 0, 0, 0, 0, 0, 0, 0, 0, 0})},
        {-0.0L, B({0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80})},
        {std::numeric_limits<long double>::infinity(), B({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F})},
        {-std::numeric_limits<long double>::infinity(), B({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0xFF})},
        {std::numeric_limits<long double>::quiet_NaN(), B({0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x7F})},
        {-std::numeric_limits<long double>::quiet_NaN(), B({0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x7F})},
        // The smallest double denormal, 2^-1074, is a normal extended: exponent 16383 - 1074 = 0x3BCD.
        {(long double)std::numeric_limits<double>::denorm_min(), B({0, 0, 0, 0, 0, 0, 0, 0x80, 0xCD, 0x3B})},
        {(long double)DBL_MAX, B({0, 0xF8, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0x43})},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << (double)row.Value);
        uint8_t out[10];
        EncodeExtended(row.Value, out);
        EXPECT_EQ(Bytes(out, out + 10), row.Expected);
        long double back = DecodeExtended(row.Expected.data());
        if (std::isnan(row.Value)) {
            EXPECT_TRUE(std::isnan(back));
        } else {
            EXPECT_EQ(back, row.Value);
            EXPECT_EQ(std::signbit(back), std::signbit(row.Value));
        }
    }
    Bytes b = Written([](TBinaryObjectWriter& w) { w.WriteFloat(1.5L); });
    EXPECT_EQ(b, Cat({B({0x05}), rows[0].Expected}));

    // Where long double is the x87 type (both build trees), its own extremes are exact too: the smallest
    // denormal is exponent 0 with mantissa 1.
    if (LDBL_MANT_DIG == 64) {
        uint8_t out[10];
        EncodeExtended(std::numeric_limits<long double>::denorm_min(), out);
        EXPECT_EQ(Bytes(out, out + 10), B({1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
        EXPECT_EQ(DecodeExtended(out), std::numeric_limits<long double>::denorm_min());
        EncodeExtended(LDBL_MAX, out);
        EXPECT_EQ(Bytes(out, out + 10), B({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0x7F}));
        EXPECT_EQ(DecodeExtended(out), LDBL_MAX);
    }
    // Encodings the FPU never produces still mean their value: an unnormal (integer bit clear) and a
    // pseudo-denormal (exponent 0, integer bit set).
    EXPECT_EQ(DecodeExtended(B({0, 0, 0, 0, 0, 0, 0, 0x40, 0xFF, 0x3F}).data()), 0.5L);
    EXPECT_TRUE(std::isnan(DecodeExtended(B({1, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F}).data())));
}

TEST(ComponentStream, EveryDoubleSurvivesTheExtendedEncoding) {
    std::mt19937_64 rng(20240611);
    for (int i = 0; i < 200000; ++i) {
        double d = std::bit_cast<double>(rng());
        if (std::isnan(d)) continue;
        uint8_t out[10];
        EncodeExtended(d, out);
        double back = double(DecodeExtended(out));
        ASSERT_EQ(std::bit_cast<uint64_t>(back), std::bit_cast<uint64_t>(d)) << d;
    }
}

TEST(ComponentStream, StringsSetsAndOtherValuesHaveTheirByteLayout) {
    EXPECT_EQ(Written([](TBinaryObjectWriter& w) { w.WriteString(""); }), B({0x06, 0x00}));
    EXPECT_EQ(Written([](TBinaryObjectWriter& w) { w.WriteString("caf\xC3\xA9"); }),
              B({0x06, 0x05, 'c', 'a', 'f', 0xC3, 0xA9}));
    Bytes s255 = Written([](TBinaryObjectWriter& w) { w.WriteString(std::string(255, 'x')); });
    EXPECT_EQ(Bytes(s255.begin(), s255.begin() + 2), B({0x06, 0xFF}));
    EXPECT_EQ(s255.size(), 257u);
    Bytes s256 = Written([](TBinaryObjectWriter& w) { w.WriteString(std::string(256, 'x')); });
    EXPECT_EQ(Bytes(s256.begin(), s256.begin() + 5), B({0x0C, 0x00, 0x01, 0x00, 0x00}));
    EXPECT_EQ(s256.size(), 261u);
    EXPECT_EQ(Written([](TBinaryObjectWriter& w) { w.WriteWideString(u"caf\u00E9\u20AC"); }),
              B({0x12, 0x05, 0, 0, 0, 'c', 0, 'a', 0, 'f', 0, 0xE9, 0, 0xAC, 0x20}));
    EXPECT_EQ(Written([](TBinaryObjectWriter& w) { w.WriteUnicodeString(u"\u00E9"); }),
              B({0x15, 0x01, 0, 0, 0, 0xE9, 0}));
    EXPECT_EQ(Written([](TBinaryObjectWriter& w) { w.WriteUTF8String("\xC3\xA9"); }),
              B({0x14, 0x02, 0, 0, 0, 0xC3, 0xA9}));
    EXPECT_EQ(Written([](TBinaryObjectWriter& w) {
                  w.WriteSet({"akLeft", "akTop"});
              }),
              Cat({B({0x0B, 0x06}), Str("akLeft"), B({0x05}), Str("akTop"), B({0x00})}));
    EXPECT_EQ(Written([](TBinaryObjectWriter& w) { w.WriteSet({}); }), B({0x0B, 0x00}));
    EXPECT_EQ(Written([](TBinaryObjectWriter& w) { w.WriteIdent("clFuchsia"); }),
              Cat({B({0x07, 0x09}), Str("clFuchsia")}));
    EXPECT_EQ(Written([](TBinaryObjectWriter& w) {
                  w.WriteIdent("false");
                  w.WriteIdent("TRUE");
                  w.WriteIdent("Nil");
                  w.WriteIdent("null");
                  w.WriteBoolean(true);
              }),
              B({0x08, 0x09, 0x0D, 0x00, 0x09}));
    EXPECT_EQ(Written([](TBinaryObjectWriter& w) {
                  const uint8_t data[] = {0xDE, 0xAD, 0xBE, 0xEF};
                  w.WriteBinary(data, 4);
              }),
              B({0x0A, 0x04, 0, 0, 0, 0xDE, 0xAD, 0xBE, 0xEF}));
    EXPECT_EQ(Written([](TBinaryObjectWriter& w) { w.WriteSingle(2.25f); }),
              B({0x0F, 0x00, 0x00, 0x10, 0x40}));
    EXPECT_EQ(Written([](TBinaryObjectWriter& w) { w.WriteCurrency(123400); }),
              B({0x10, 0x08, 0xE2, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(Written([](TBinaryObjectWriter& w) { w.WriteDate(45000.5); }),
              B({0x11, 0x00, 0x00, 0x00, 0x00, 0x10, 0xF9, 0xE5, 0x40}));

    // Reading them back: every string kind comes out as UTF-8.
    Bytes all = Written([](TBinaryObjectWriter& w) {
        w.WriteString("caf\xC3\xA9");
        w.WriteString(std::string(300, 'y'));
        w.WriteWideString(u"caf\u00E9\u20AC\U0001F600");
        w.WriteUnicodeString(u"\u0416");
        w.WriteUTF8String("\xE2\x82\xAC");
        w.WriteSet({"a", "bb"});
        w.WriteSingle(2.25f);
        w.WriteCurrency(-123400);
        w.WriteDate(45000.5);
        w.WriteIdent("Null");
    });
    Input in(all);
    TBinaryObjectReader r(in.Stream);
    EXPECT_EQ(r.ReadString(), "caf\xC3\xA9");
    EXPECT_EQ(r.ReadString(), std::string(300, 'y'));
    EXPECT_EQ(r.ReadString(), "caf\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(r.ReadString(), "\xD0\x96");
    EXPECT_EQ(r.ReadString(), "\xE2\x82\xAC");
    ASSERT_EQ(r.ReadValue(), TValueType::vaSet);
    EXPECT_EQ(r.ReadSetPayload(), (std::vector<String>{"a", "bb"}));
    ASSERT_EQ(r.ReadValue(), TValueType::vaSingle);
    EXPECT_EQ(r.ReadSinglePayload(), 2.25f);
    ASSERT_EQ(r.ReadValue(), TValueType::vaCurrency);
    EXPECT_EQ(r.ReadCurrencyPayload(), -123400);
    ASSERT_EQ(r.ReadValue(), TValueType::vaDate);
    EXPECT_EQ(r.ReadDatePayload(), 45000.5);
    EXPECT_EQ(r.ReadIdent(), "Null");
    EXPECT_EQ(in.Stream.GetPosition(), in.Stream.GetSize());
}

TEST(ComponentStream, RecordHeadersCarryTheFilerFlagsPrefix) {
    struct Row {
        TRecordHeader Header;
        Bytes Expected;
    };
    const Row rows[] = {
        {{0, -1, "TForm1", "Form1"}, Cat({B({6}), Str("TForm1"), B({5}), Str("Form1")})},
        {{0, -1, "TComponent", ""}, Cat({B({10}), Str("TComponent"), B({0})})},
        {{ffInherited, -1, "T", "A"}, B({0xF1, 1, 'T', 1, 'A'})},
        {{ffInherited | ffChildPos, 0, "T", "B"}, B({0xF3, 0x02, 0x00, 1, 'T', 1, 'B'})},
        {{ffChildPos, 2, "T", "C"}, B({0xF2, 0x02, 0x02, 1, 'T', 1, 'C'})},
        {{ffChildPos, 1000, "T", "D"}, B({0xF2, 0x03, 0xE8, 0x03, 1, 'T', 1, 'D'})},
        {{ffInline, -1, "TFrameClass", "Frame1"},
         Cat({B({0xF4, 11}), Str("TFrameClass"), B({6}), Str("Frame1")})},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Header.Name);
        Bytes b = Written([&](TBinaryObjectWriter& w) { w.WriteRecordHeader(row.Header); });
        EXPECT_EQ(b, row.Expected);
        Input in(b);
        TBinaryObjectReader r(in.Stream);
        TRecordHeader h = r.ReadRecordHeader();
        EXPECT_EQ(h.Flags, row.Header.Flags);
        if (h.Flags & ffChildPos) {
            EXPECT_EQ(h.ChildPos, row.Header.ChildPos);
        }
        EXPECT_EQ(h.ClassName, row.Header.ClassName);
        EXPECT_EQ(h.Name, row.Header.Name);
    }
    // A prefix without flags reads as no prefix; the writer never writes one.
    Input f0(B({0xF0, 1, 'T', 0}));
    TBinaryObjectReader r(f0.Stream);
    EXPECT_EQ(r.ReadRecordHeader().Flags, 0);

    // The writer refuses what could not be read back: unknown or contradictory flags, an empty class name, a
    // class name whose length byte would read as a prefix, names over 255 bytes.
    auto refuses = [](TRecordHeader h) {
        EXPECT_THROW(Written([&](TBinaryObjectWriter& w) { w.WriteRecordHeader(h); }), EWriteError) << h.Name;
    };
    refuses({ffInherited | ffInline, -1, "T", "both"});
    refuses({8, -1, "T", "flag8"});
    refuses({0, -1, "", "noclass"});
    refuses({0, -1, std::string(240, 'T'), "long"});
    refuses({0, -1, "T", std::string(256, 'n')});
    EXPECT_THROW(Written([](TBinaryObjectWriter& w) { w.WritePropName(std::string(256, 'p')); }),
                 EWriteError);
    EXPECT_NO_THROW(Written([](TBinaryObjectWriter& w) { w.WritePropName(std::string(255, 'p')); }));
}

namespace {

// One record with a property of every value kind, each followed in the stream by the next property, and two
// children; skipping must land exactly on each next name.
Bytes EveryKindRecord() {
    return Written([](TBinaryObjectWriter& w) {
        w.WriteSignature();
        w.WriteRecordHeader({0, -1, "TThing", "Thing1"});
        w.WritePropName("I8");
        w.WriteInteger(-5);
        w.WritePropName("I16");
        w.WriteInteger(-129);
        w.WritePropName("I32");
        w.WriteInteger(100000);
        w.WritePropName("I64");
        w.WriteInteger(INT64_MAX);
        w.WritePropName("Q");
        w.WriteQWord(UINT64_MAX);
        w.WritePropName("E");
        w.WriteFloat(1.5L);
        w.WritePropName("Sg");
        w.WriteSingle(2.25f);
        w.WritePropName("Cy");
        w.WriteCurrency(5);
        w.WritePropName("Dt");
        w.WriteDate(1.0);
        w.WritePropName("S");
        w.WriteString("abc");
        w.WritePropName("LS");
        w.WriteString(std::string(300, 'z'));
        w.WritePropName("WS");
        w.WriteWideString(u"wide");
        w.WritePropName("US");
        w.WriteUnicodeString(u"uni");
        w.WritePropName("U8");
        w.WriteUTF8String("utf8");
        w.WritePropName("Id");
        w.WriteIdent("clRed");
        w.WritePropName("F");
        w.WriteBoolean(false);
        w.WritePropName("T");
        w.WriteBoolean(true);
        w.WritePropName("N");
        w.WriteIdent("nil");
        w.WritePropName("Nl");
        w.WriteIdent("Null");
        w.WritePropName("Bin");
        w.WriteBinary("\x01\x02\x03", 3);
        w.WritePropName("Set");
        w.WriteSet({"a", "b"});
        w.WritePropName("L");
        w.WriteListBegin();
        w.WriteInteger(1);
        w.WriteListBegin();
        w.WriteString("nested");
        w.WriteSet({});
        w.WriteListEnd();
        w.WriteListEnd();
        w.WritePropName("Items");
        w.WriteCollectionBegin();
        w.WriteListBegin();
        w.WritePropName("Caption");
        w.WriteString("one");
        w.WriteListEnd();
        w.WriteInteger(7); // an order index before the item, as older writers put it
        w.WriteListBegin();
        w.WritePropName("Sub");
        w.WriteCollectionBegin();
        w.WriteListEnd();
        w.WriteListEnd();
        w.WriteListEnd();
        w.WriteListEnd(); // end of properties
        w.WriteRecordHeader({ffChildPos, 3, "TChild", "Child1"});
        w.WritePropName("X");
        w.WriteInteger(1);
        w.WriteListEnd();
        w.WriteRecordHeader({0, -1, "TGrandChild", ""});
        w.WriteListEnd();
        w.WriteListEnd();
        w.WriteListEnd(); // end of Child1's children
        w.WriteListEnd(); // end of children
    });
}

} // namespace

TEST(ComponentStream, SkipsEveryValueKindExactly) {
    Bytes b = EveryKindRecord();
    Input in(b);
    TBinaryObjectReader r(in.Stream);
    r.ReadSignature();
    TRecordHeader h = r.ReadRecordHeader();
    EXPECT_EQ(h.ClassName, "TThing");
    const char* names[] = {"I8", "I16", "I32", "I64", "Q", "E", "Sg", "Cy",  "Dt",  "S", "LS",   "WS",
                           "US", "U8",  "Id",  "F",   "T", "N", "Nl", "Bin", "Set", "L", "Items"};
    for (const char* name : names) {
        ASSERT_FALSE(r.EndOfList());
        ASSERT_EQ(r.ReadPropName(), name);
        r.SkipValue();
    }
    EXPECT_TRUE(r.EndOfList());
    ASSERT_FALSE(r.EndOfList());
    r.SkipComponent(true);
    EXPECT_TRUE(r.EndOfList());
    EXPECT_EQ(in.Stream.GetPosition(), int64_t(b.size()));

    // The same record skipped whole.
    in.Stream.SetPosition(4);
    r.SkipComponent(true);
    EXPECT_EQ(in.Stream.GetPosition(), int64_t(b.size()));
}

TEST(ComponentStream, DamagedInputRaisesReadErrorNamingWhatAndWhere) {
    // Every cut of a record holding every kind of value fails with EReadError, never reads past the data.
    Bytes b = EveryKindRecord();
    for (size_t cut = 0; cut < b.size(); ++cut) {
        Bytes part(b.begin(), b.begin() + cut);
        std::string msg = ReadError(part, [](TBinaryObjectReader& r) {
            r.ReadSignature();
            r.SkipComponent(true);
        });
        ASSERT_NE(msg, "(no error)") << cut;
        ASSERT_NE(msg.find("at offset"), std::string::npos) << msg;
    }

    const Bytes header = Cat({Str("TPF0"), B({1, 'T', 1, 'A'})});
    auto skipRecord = [](TBinaryObjectReader& r) {
        r.ReadSignature();
        r.SkipComponent(true);
    };
    EXPECT_EQ(ReadError(Cat({header, B({4, 'L', 'e'})}), skipRecord),
              "Stream read error: property name truncated at offset 8");
    EXPECT_EQ(ReadError(Cat({header, B({1, 'X', 23})}), skipRecord),
              "Invalid stream format: unknown value type 23 at offset 10");
    EXPECT_EQ(ReadError(Cat({header, B({1, 'X', 255})}), skipRecord),
              "Invalid stream format: unknown value type 255 at offset 10");
    EXPECT_EQ(ReadError(Str("TPF1"), skipRecord), "Invalid stream format: no \"TPF0\" signature at offset 0");
    EXPECT_EQ(ReadError(Str("TP"), skipRecord), "Stream read error: signature truncated at offset 0");
    EXPECT_EQ(ReadError(Cat({header, B({1, 'X', 0x0C, 0xFF, 0xFF, 0xFF, 0xFF, 'a'})}), skipRecord),
              "Stream read error: string or binary data truncated at offset 11");
    EXPECT_EQ(ReadError(Cat({header, B({1, 'X', 0x05, 0, 0, 0})}), skipRecord),
              "Stream read error: extended float truncated at offset 11");
    EXPECT_EQ(ReadError(Cat({Str("TPF0"), B({0xF8, 1, 'T', 0, 0, 0})}), skipRecord),
              "Invalid stream format: invalid filer flags $F8 at offset 4");
    EXPECT_EQ(ReadError(Cat({Str("TPF0"), B({0xF5, 1, 'T', 0, 0, 0})}), skipRecord),
              "Invalid stream format: invalid filer flags $F5 at offset 4");
    EXPECT_EQ(
        ReadError(Cat({Str("TPF0"), B({0xF2, 0x13, 0, 0, 0, 0, 0, 0, 0, 0, 1, 'T', 0, 0, 0})}), skipRecord),
        "Invalid stream format: child position of value type 19 at offset 5");
    EXPECT_EQ(ReadError(Cat({Str("TPF0"), B({0, 1, 'A', 0, 0})}), skipRecord),
              "Invalid stream format: empty class name at offset 4");
    EXPECT_EQ(ReadError(Cat({header, B({1, 'X', 0x0E, 0x06, 0})}), skipRecord),
              "Invalid stream format: collection item without its list at offset 11");

    // Huge lengths of every length-prefixed kind fail before anything is allocated.
    for (int tag : {0x0A, 0x0C, 0x12, 0x14, 0x15}) {
        Bytes huge = B({tag, 0xFF, 0xFF, 0xFF, 0x7F, 1, 2});
        EXPECT_NE(ReadError(huge, [](TBinaryObjectReader& r) { r.SkipValue(); }), "(no error)") << tag;
        EXPECT_NE(ReadError(huge,
                            [&](TBinaryObjectReader& r) {
                                TValueType t = r.ReadValue();
                                if (t == TValueType::vaBinary)
                                    r.ReadBinaryPayload();
                                else
                                    r.ReadStringPayload(t);
                            }),
                  "(no error)")
            << tag;
    }
    // A wide string whose count times two overflows 32 bits.
    EXPECT_NE(
        ReadError(B({0x12, 0x00, 0x00, 0x00, 0x80, 'a', 0}), [](TBinaryObjectReader& r) { r.SkipValue(); }),
        "(no error)");
    // An unpaired surrogate cannot become UTF-8.
    EXPECT_EQ(ReadError(B({0x12, 1, 0, 0, 0, 0x00, 0xD8}), [](TBinaryObjectReader& r) { r.ReadString(); }),
              "Invalid stream format: unpaired surrogate in a wide string at offset 1");
    // Typed reads check the tag.
    EXPECT_NE(ReadError(B({0x06, 0}), [](TBinaryObjectReader& r) { r.ReadInteger(); }), "(no error)");
    EXPECT_NE(ReadError(B({0x02, 0}), [](TBinaryObjectReader& r) { r.ReadString(); }), "(no error)");
    EXPECT_NE(ReadError(B({0x06, 0}), [](TBinaryObjectReader& r) { r.ReadIdent(); }), "(no error)");
    EXPECT_EQ(ReadError(B({}), [](TBinaryObjectReader& r) { r.EndOfList(); }),
              "Stream read error: list end truncated at offset 0");
}

TEST(ComponentStream, NestingIsBoundedWithoutExhaustingTheStack) {
    auto nested = [](int depth, uint8_t open) {
        Bytes b(size_t(depth), open);
        b.insert(b.end(), size_t(depth), 0x00);
        return b;
    };
    // Lists inside lists: 1000 levels are allowed, 1001 are not.
    EXPECT_EQ(ReadError(nested(TBinaryObjectReader::MaxNesting, 0x01),
                        [](TBinaryObjectReader& r) { r.SkipValue(); }),
              "(no error)");
    EXPECT_EQ(ReadError(nested(TBinaryObjectReader::MaxNesting + 1, 0x01),
                        [](TBinaryObjectReader& r) { r.SkipValue(); }),
              "Invalid stream format: nesting deeper than 1000 levels at offset 1001");
    // A million nested lists: the guard stops the descent long before the stack is in danger.
    EXPECT_NE(ReadError(nested(1000000, 0x01), [](TBinaryObjectReader& r) { r.SkipValue(); }), "(no error)");
    // Children inside children.
    Bytes deep;
    for (int i = 0; i < 2000; ++i)
        deep.insert(deep.end(), {1, 'T', 0, 0});
    deep.insert(deep.end(), 2000, 0);
    EXPECT_NE(ReadError(deep, [](TBinaryObjectReader& r) { r.SkipComponent(true); }), "(no error)");
}

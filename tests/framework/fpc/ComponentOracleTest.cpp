// Our component writer and reader against Free Pascal's Classes unit: streams written by our TWriter are
// printed by Free Pascal's ObjectBinaryToText with the values we set, and converted back by its
// ObjectTextToBinary to the same bytes; text forms that Free Pascal turns into binary are read by our TReader
// into components holding the values the text says.
#include "framework/core/ClassesCollection.h"
#include "framework/core/ClassesReaderWriter.h"
#include "framework/core/ClassesRegistry.h"
#include "tests/framework/fpc/FpcOracle.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace Classes;
using namespace TypInfo;
using SysUtils::String;
using Bytes = std::vector<uint8_t>;

namespace ComponentOracleUnit {

PUBLISHED_ENUM(TOracleShape, uint8_t, shCircle, shSquare, shTriangle)
using TOracleShapes = System::TSet<TOracleShape>;
PUBLISHED_ENUM(TOracleFontStyle, uint8_t, fsBold, fsItalic, fsUnderline, fsStrikeOut)
using TOracleFontStyles = System::TSet<TOracleFontStyle>;

constexpr int32_t clBlack = 0, clFuchsia = 0xFF00FF, clWhite = 0xFFFFFF, clWindowText = int32_t(0x80000008);
constexpr TIdentMapEntry ColorIdents[] = {
    {clBlack, "clBlack"}, {clFuchsia, "clFuchsia"}, {clWhite, "clWhite"}, {clWindowText, "clWindowText"}};
inline constexpr TTypeInfo TColor_TypeInfo = IntegerType("TColor", ColorIdents, std::size(ColorIdents));

class TOracleFont : public TPersistent {
    DECLARE_CLASS(TOracleFont, TPersistent)
public:
    void Assign(TPersistent* Source) override {
        if (auto* f = dynamic_cast<TOracleFont*>(Source)) {
            FColor = f->FColor;
            FHeight = f->FHeight;
            FName = f->FName;
            FStyle = f->FStyle;
            return;
        }
        inherited::Assign(Source);
    }
    int32_t FColor = clWindowText;
    int FHeight = -11;
    String FName = "MS Sans Serif";
    TOracleFontStyles FStyle;
};
PUBLISHED(TOracleFont, "ComponentOracleTest",
          Prop<&TOracleFont::FColor>("Color").Type(&TColor_TypeInfo).Default(clWindowText),
          Prop<&TOracleFont::FHeight>("Height"), Prop<&TOracleFont::FName>("Name"),
          Prop<&TOracleFont::FStyle>("Style").Default(TOracleFontStyles{}));

class TOracleItem : public TCollectionItem {
    DECLARE_CLASS(TOracleItem, TCollectionItem)
public:
    using TCollectionItem::TCollectionItem;
    String FCaption;
    int FWidth = 1;
};
PUBLISHED(TOracleItem, "ComponentOracleTest", Prop<&TOracleItem::FCaption>("Caption"),
          Prop<&TOracleItem::FWidth>("Width").Default(1));

class TOracleProbe : public TComponent {
    DECLARE_CLASS(TOracleProbe, TComponent)
public:
    explicit TOracleProbe(TComponent* AOwner) : TComponent(AOwner), FItems(this, &TOracleItem::ClassInfo) {}
    void SetFont(TOracleFont* Value) { FFont->Assign(Value); }
    TOwnedCollection* GetItems() { return &FItems; }
    void SetItems(TOwnedCollection* Value) { FItems.Assign(Value); }

    bool FFlag = false;
    int FCount = 0;
    int32_t FColor = clBlack;
    int64_t FBig = 0;
    TOracleShape FShape = shCircle;
    TOracleShapes FShapes;
    double FRatio = 0;
    String FCaption;
    String FHint;
    std::unique_ptr<TOracleFont> FFont = std::make_unique<TOracleFont>();
    Bytes FData;
    TOracleProbe* FBuddy = nullptr;
    TNotifyEvent FOnChange;
    TOwnedCollection FItems;

protected:
    void DefineProperties(TFiler& Filer) override {
        inherited::DefineProperties(Filer);
        Filer.DefineBinaryProperty(
            "Data",
            [this](TStream& s) {
                FData.resize(size_t(s.GetSize()));
                s.ReadBuffer(FData.data(), FData.size());
            },
            [this](TStream& s) { s.WriteBuffer(FData.data(), FData.size()); }, !FData.empty());
    }
};
PUBLISHED(TOracleProbe, "ComponentOracleTest", Prop<&TOracleProbe::FFlag>("Flag").Default(false),
          Prop<&TOracleProbe::FCount>("Count"),
          Prop<&TOracleProbe::FColor>("Color").Type(&TColor_TypeInfo).Default(clBlack),
          Prop<&TOracleProbe::FBig>("Big").Default(0), Prop<&TOracleProbe::FShape>("Shape").Default(shCircle),
          Prop<&TOracleProbe::FShapes>("Shapes").Default(TOracleShapes{}),
          Prop<&TOracleProbe::FRatio>("Ratio"), Prop<&TOracleProbe::FCaption>("Caption"),
          Prop<&TOracleProbe::FHint>("Hint").Wide(),
          Prop<&TOracleProbe::FFont, &TOracleProbe::SetFont>("Font"), Prop<&TOracleProbe::FBuddy>("Buddy"),
          Prop<&TOracleProbe::FOnChange>("OnChange"),
          Prop<&TOracleProbe::GetItems, &TOracleProbe::SetItems>("Items"));

class TOracleRoot : public TComponent {
    DECLARE_CLASS(TOracleRoot, TComponent)
public:
    using TComponent::TComponent;
    void GetChildren(const TGetChildProc& Proc, TComponent*) override {
        for (int i = 0; i < GetComponentCount(); ++i)
            Proc(GetComponent(i));
    }
    void ButtonClick(TObject*) { ++FClicks; }
    int FClicks = 0;
};
PUBLISHED(TOracleRoot, "ComponentOracleTest", PUBLISHED_METHOD(TOracleRoot, ButtonClick));

Bytes Written(TComponent* root) {
    TMemoryStream m;
    WriteComponentToStream(m, root);
    return m.Bytes();
}

void Load(TMemoryStream& m, const std::string& bytes) {
    m.Clear();
    m.WriteBuffer(bytes.data(), bytes.size());
    m.SetPosition(0);
}

class ComponentOracle : public testing::Test {
protected:
    void SetUp() override {
        static bool registered = false;
        if (!registered) RegisterClasses({&TOracleProbe::ClassInfo, &TOracleRoot::ClassInfo});
        registered = true;
    }
};

} // namespace ComponentOracleUnit

using namespace ComponentOracleUnit;

TEST_F(ComponentOracle, FreePascalPrintsWhatOurWriterWrote) {
    TOracleRoot root(nullptr);
    root.SetName("Form1");
    auto* p1 = new TOracleProbe(&root);
    p1->SetName("Probe1");
    auto* p2 = new TOracleProbe(&root);
    p2->SetName("Probe2");
    p1->SetTag(-129);
    p1->FFlag = true;
    p1->FCount = 100000;
    p1->FColor = clFuchsia;
    p1->FBig = int64_t(1) << 31;
    p1->FShape = shTriangle;
    p1->FShapes = {shCircle, shTriangle};
    p1->FRatio = 1.5;
    p1->FCaption = "It's\there, caf\xC3\xA9";
    p1->FHint = "caf\xC3\xA9\xE2\x82\xAC";
    p1->FFont->FColor = 0x123456;
    p1->FFont->FStyle = {fsBold, fsItalic};
    p1->FData = {0xDE, 0xAD, 0xBE, 0xEF};
    p1->FBuddy = p2;
    p1->FOnChange = TNotifyEvent::Bind<&TOracleRoot::ButtonClick>(&root);
    static_cast<TOracleItem*>(p1->FItems.Add())->FCaption = "one";
    static_cast<TOracleItem*>(p1->FItems.Add())->FWidth = 4;
    p1->SetDesignInfo(16 | (24 << 16));
    p2->FBuddy = p2; // a reference may name the component itself
    p2->FCount = 7;

    Bytes ours = Written(&root);
    TFpcResult text = FpcToText(ours);
    ASSERT_EQ(text.ExitCode, 0) << text.Err;
    // Free Pascal prints floats with Str (a leading blank), bytes above 127 of a string as #n, a wide string
    // per UTF-16 unit, blanks after "<" and after each item's "end" (its indentation).
    const std::string expected = "object Form1: TOracleRoot\n"
                                 "  object Probe1: TOracleProbe\n"
                                 "    Tag = -129\n"
                                 "    Flag = True\n"
                                 "    Count = 100000\n"
                                 "    Color = clFuchsia\n"
                                 "    Big = 2147483648\n"
                                 "    Shape = shTriangle\n"
                                 "    Shapes = [shCircle, shTriangle]\n"
                                 "    Ratio =  1.50000000000000000000E+0000\n"
                                 "    Caption = 'It''s'#9'here, caf'#195#169\n"
                                 "    Hint = 'caf'#233#8364\n"
                                 "    Font.Color = 1193046\n"
                                 "    Font.Height = -11\n"
                                 "    Font.Name = 'MS Sans Serif'\n"
                                 "    Font.Style = [fsBold, fsItalic]\n"
                                 "    Buddy = Probe2\n"
                                 "    OnChange = ButtonClick\n"
                                 "    Items = <    \n"
                                 "      item\n"
                                 "        Caption = 'one'\n"
                                 "      end    \n"
                                 "      item\n"
                                 "        Width = 4\n"
                                 "      end>\n"
                                 "    Left = 16\n"
                                 "    Top = 24\n"
                                 "    Data = {\n"
                                 "      DEADBEEF\n"
                                 "    }\n"
                                 "  end\n"
                                 "  object Probe2: TOracleProbe\n"
                                 "    Count = 7\n"
                                 "    Font.Height = -11\n"
                                 "    Font.Name = 'MS Sans Serif'\n"
                                 "    Buddy = Probe2\n"
                                 "    Items = <>\n"
                                 "  end\n"
                                 "end\n";
    EXPECT_EQ(text.Out, expected);
}

TEST_F(ComponentOracle, FreePascalConvertsOurStreamsBackToTheSameBytes) {
    // ASCII strings, and no wide ones: the text form does not tell a wide string from another, and Free
    // Pascal makes any string with a character above 127 wide.
    TOracleRoot root(nullptr);
    root.SetName("Form1");
    for (int i = 0; i < 3; ++i) {
        auto* p = new TOracleProbe(&root);
        p->SetName("Probe" + SysUtils::IntToStr(i));
        p->FCount = i * 1000 - 1000;
        p->FRatio = i * 0.1;
        p->FShapes = i == 1 ? TOracleShapes{} : TOracleShapes{shSquare};
        p->FCaption = String(size_t(100 * i), 'a' + char(i)); // 200 bytes: a vaString still; 0: not written
        p->FFont->FColor = i == 2 ? clWhite : 0x00FF00;
        p->FData = Bytes(size_t(40 * i), uint8_t(i)); // several lines of hex for 80 bytes
        p->FBuddy = static_cast<TOracleProbe*>(root.GetComponent(0));
        p->FOnChange = TNotifyEvent::Bind<&TOracleRoot::ButtonClick>(&root);
        static_cast<TOracleItem*>(p->FItems.Add())->FWidth = i;
    }
    static_cast<TOracleProbe*>(root.GetComponent(1))->FCaption = String(300, 'z'); // a vaLString
    Bytes ours = Written(&root);
    TFpcResult text = FpcToText(ours);
    ASSERT_EQ(text.ExitCode, 0) << text.Err;
    TFpcResult binary = FpcToBinary(text.Out);
    ASSERT_EQ(binary.ExitCode, 0) << binary.Err;
    Bytes back(binary.Out.begin(), binary.Out.end());
    auto diff = std::mismatch(back.begin(), back.end(), ours.begin(), ours.end());
    EXPECT_EQ(back, ours) << "first difference at " << (diff.first - back.begin()) << "\n" << text.Out;
}

TEST_F(ComponentOracle, OurReaderReadsWhatFreePascalMadeOfAText) {
    const std::string form = "object Form1: TOracleRoot\n"
                             "  object Probe1: TOracleProbe\n"
                             "    Tag = 3\n"
                             "    Flag = True\n"
                             "    Count = -2147483648\n"
                             "    Color = clFuchsia\n"
                             "    Big = 4294967296\n"
                             "    Shape = shSquare\n"
                             "    Shapes = [shCircle, shTriangle]\n"
                             "    Ratio = 0.1\n"
                             "    Caption = 'It''s'#9'here'\n"
                             "    Hint = 'caf'#233#8364\n"
                             "    Font.Color = clWhite\n"
                             "    Font.Height = -13\n"
                             "    Font.Name = 'System'\n"
                             "    Font.Style = [fsBold]\n"
                             "    Buddy = Probe2\n"
                             "    OnChange = ButtonClick\n"
                             "    Items = <\n"
                             "      item\n"
                             "        Caption = 'one'\n"
                             "      end\n"
                             "      item\n"
                             "        Width = 4\n"
                             "      end>\n"
                             "    Left = 16\n"
                             "    Top = 24\n"
                             "    Data = {\n"
                             "      DEADBEEF\n"
                             "    }\n"
                             "  end\n"
                             "  object Probe2: TOracleProbe\n"
                             "    Count = 1\n"
                             "    Buddy = Owner.Probe1\n"
                             "  end\n"
                             "end\n";
    TFpcResult binary = FpcToBinary(form);
    ASSERT_EQ(binary.ExitCode, 0) << binary.Err;
    TOracleRoot root(nullptr);
    TMemoryStream m;
    Load(m, binary.Out);
    ReadComponentFromStream(m, &root);
    EXPECT_EQ(root.GetName(), "Form1");
    auto* p1 = dynamic_cast<TOracleProbe*>(root.FindComponent("Probe1"));
    auto* p2 = dynamic_cast<TOracleProbe*>(root.FindComponent("Probe2"));
    ASSERT_TRUE(p1 && p2);
    EXPECT_EQ(p1->GetTag(), 3);
    EXPECT_TRUE(p1->FFlag);
    EXPECT_EQ(p1->FCount, INT32_MIN);
    EXPECT_EQ(p1->FColor, clFuchsia);
    EXPECT_EQ(p1->FBig, int64_t(1) << 32);
    EXPECT_EQ(p1->FShape, shSquare);
    EXPECT_EQ(p1->FShapes, (TOracleShapes{shCircle, shTriangle}));
    EXPECT_EQ(p1->FRatio, 0.1);
    EXPECT_EQ(p1->FCaption, "It's\there");
    EXPECT_EQ(p1->FHint, "caf\xC3\xA9\xE2\x82\xAC");
    EXPECT_EQ(p1->FFont->FColor, clWhite);
    EXPECT_EQ(p1->FFont->FHeight, -13);
    EXPECT_EQ(p1->FFont->FName, "System");
    EXPECT_EQ(p1->FFont->FStyle, (TOracleFontStyles{fsBold}));
    EXPECT_EQ(p1->FBuddy, p2);
    EXPECT_EQ(p2->FBuddy, p1);
    p1->FOnChange(p1);
    EXPECT_EQ(root.FClicks, 1);
    ASSERT_EQ(p1->FItems.GetCount(), 2);
    EXPECT_EQ(static_cast<TOracleItem*>(p1->FItems.GetItem(0))->FCaption, "one");
    EXPECT_EQ(static_cast<TOracleItem*>(p1->FItems.GetItem(1))->FWidth, 4);
    EXPECT_EQ(p1->GetDesignInfo(), 16 | (24 << 16));
    EXPECT_EQ(p1->FData, (Bytes{0xDE, 0xAD, 0xBE, 0xEF}));
    EXPECT_EQ(p2->FCount, 1);
}

TEST_F(ComponentOracle, OurReaderReadsAnEditionFreePascalMade) {
    // Free Pascal writes the records one after the other without the closing 0: a sequence cut at a record
    // boundary, which reads as complete. References name components of the form that reads them.
    const std::string edition = "object Item1: TOracleProbe\n"
                                "  Caption = 'first'\n"
                                "  Buddy = Existing\n"
                                "end\n"
                                "object Item2: TOracleProbe\n"
                                "  Buddy = Item1\n"
                                "  OnChange = ButtonClick\n"
                                "end\n";
    TFpcResult binary = FpcToBinary(edition);
    ASSERT_EQ(binary.ExitCode, 0) << binary.Err;
    TOracleRoot form(nullptr);
    auto* existing = new TOracleProbe(&form);
    existing->SetName("Existing");
    std::vector<String> names;
    for (bool closed : {false, true}) {
        SCOPED_TRACE(closed);
        form.DestroyComponents();
        existing = new TOracleProbe(&form);
        existing->SetName("Existing");
        names.clear();
        TMemoryStream m;
        Load(m, binary.Out + (closed ? std::string(1, '\0') : std::string()));
        TReader reader(m);
        reader.ReadComponents(&form, nullptr, [&](TComponent* c) { names.push_back(c->GetName()); });
        EXPECT_EQ(names, (std::vector<String>{"Item1", "Item2"}));
        auto* item1 = static_cast<TOracleProbe*>(form.FindComponent("Item1"));
        auto* item2 = static_cast<TOracleProbe*>(form.FindComponent("Item2"));
        EXPECT_EQ(item1->FCaption, "first");
        EXPECT_EQ(item1->FBuddy, existing);
        EXPECT_EQ(item2->FBuddy, item1);
        item2->FOnChange(item2);
        EXPECT_EQ(form.FClicks, closed ? 2 : 1);
    }
}

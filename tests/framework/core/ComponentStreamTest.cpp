// The component writer and reader: what is written (and what not), byte layouts, round trips of every
// property kind, edition-style sequences, references, events, children, Loaded, and damaged input.
#include "framework/core/ClassesCollection.h"
#include "framework/core/ClassesReaderWriter.h"
#include "framework/core/ClassesRegistry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace Classes;
using namespace TypInfo;
using SysUtils::String;
using Bytes = std::vector<uint8_t>;

namespace StreamTestUnit {

int& LiveComponents() {
    static int n = 0;
    return n;
}

std::vector<String>& Log() {
    static std::vector<String> log;
    return log;
}

String StateOf(const TComponent* c) {
    String s;
    if (c->GetComponentState().Contains(csLoading)) s += " loading";
    if (c->GetComponentState().Contains(csReading)) s += " reading";
    return s;
}

PUBLISHED_ENUM(TShape, uint8_t, shCircle, shSquare, shTriangle)
using TShapes = System::TSet<TShape>;
PUBLISHED_ENUM(TFontStyle, uint8_t, fsBold, fsItalic, fsUnderline, fsStrikeOut)
using TFontStyles = System::TSet<TFontStyle>;

constexpr int32_t clBlack = 0, clFuchsia = 0xFF00FF, clWhite = 0xFFFFFF, clWindowText = int32_t(0x80000008);
constexpr TIdentMapEntry ColorIdents[] = {
    {clBlack, "clBlack"}, {clFuchsia, "clFuchsia"}, {clWhite, "clWhite"}, {clWindowText, "clWindowText"}};
inline constexpr TTypeInfo TColor_TypeInfo = IntegerType("TColor", ColorIdents, std::size(ColorIdents));

// A counted component: every test checks that what the reader made is gone again.
class TCounted : public TComponent {
    DECLARE_CLASS(TCounted, TComponent)
public:
    explicit TCounted(TComponent* AOwner) : TComponent(AOwner) { ++LiveComponents(); }
    ~TCounted() override { --LiveComponents(); }

protected:
    void Loaded() override {
        inherited::Loaded();
        Log().push_back("loaded " + GetName() + StateOf(this));
    }
};
PUBLISHED(TCounted, "StreamTest");

class TFont : public TPersistent {
    DECLARE_CLASS(TFont, TPersistent)
public:
    void Assign(TPersistent* Source) override {
        if (auto* f = dynamic_cast<TFont*>(Source)) {
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
    TFontStyles FStyle;
};
PUBLISHED(TFont, "StreamTest", Prop<&TFont::FColor>("Color").Type(&TColor_TypeInfo).Default(clWindowText),
          Prop<&TFont::FHeight>("Height"), Prop<&TFont::FName>("Name"),
          Prop<&TFont::FStyle>("Style").Default(TFontStyles{}));

// Data that is not a property: a block of bytes.
class TPicture : public TPersistent {
    DECLARE_CLASS(TPicture, TPersistent)
public:
    Bytes FData;

protected:
    void DefineProperties(TFiler& Filer) override {
        Filer.DefineBinaryProperty(
            "Data",
            [this](TStream& s) {
                FData.resize(size_t(s.GetSize()));
                s.ReadBuffer(FData.data(), FData.size());
            },
            [this](TStream& s) { s.WriteBuffer(FData.data(), FData.size()); }, !FData.empty());
    }
};
PUBLISHED(TPicture, "StreamTest");

class TProbe;

class TLine : public TCollectionItem {
    DECLARE_CLASS(TLine, TCollectionItem)
public:
    using TCollectionItem::TCollectionItem;
    String FText;
    int FWidth = 1;
    TProbe* FLink = nullptr;
};

// A component with a property of every kind.
class TProbe : public TCounted {
    DECLARE_CLASS(TProbe, TCounted)
public:
    explicit TProbe(TComponent* AOwner) : TCounted(AOwner), FItems(this, &TLine::ClassInfo) {}

    void SetCaption(const String& Value) {
        FCaption = Value;
        Log().push_back("caption " + GetName() + StateOf(this));
    }
    void SetFont(TFont* Value) { FFont->Assign(Value); }
    void SetBuddy(TProbe* Value) {
        if (FBuddy != nullptr) FBuddy->RemoveFreeNotification(this);
        FBuddy = Value;
        if (Value != nullptr) Value->FreeNotification(this);
    }
    TOwnedCollection* GetItems() { return &FItems; }
    void SetItems(TOwnedCollection* Value) { FItems.Assign(Value); }

    bool FFlag = false;
    int FCount = 0;
    uint8_t FSmall = 1;
    int32_t FColor = clBlack;
    int64_t FBig = 0;
    TShape FShape = shCircle;
    TShapes FShapes{shSquare};
    double FRatio = 0;
    double FMargin = 0;
    String FCaption;
    String FHint;
    std::unique_ptr<TFont> FFont = std::make_unique<TFont>();
    std::unique_ptr<TPicture> FPicture = std::make_unique<TPicture>();
    TProbe* FBuddy = nullptr;
    TNotifyEvent FOnChange;
    TOwnedCollection FItems;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override {
        inherited::Notification(AComponent, Operation);
        if (Operation == opRemove && AComponent == FBuddy) FBuddy = nullptr;
    }
    void Loaded() override {
        inherited::Loaded();
        Log().push_back("buddy " + (FBuddy ? FBuddy->GetName() : String("nil")));
    }
};
PUBLISHED(TProbe, "StreamTest", Prop<&TProbe::FFlag>("Flag").Default(false), Prop<&TProbe::FCount>("Count"),
          Prop<&TProbe::FSmall>("Small").Default(1),
          Prop<&TProbe::FColor>("Color").Type(&TColor_TypeInfo).Default(clBlack),
          Prop<&TProbe::FBig>("Big").Default(0), Prop<&TProbe::FShape>("Shape").Default(shCircle),
          Prop<&TProbe::FShapes>("Shapes").Default(TShapes{shSquare}), Prop<&TProbe::FRatio>("Ratio"),
          Prop<&TProbe::FMargin>("Margin").NoDefault(),
          Prop<&TProbe::FCaption, &TProbe::SetCaption>("Caption"), Prop<&TProbe::FHint>("Hint").Wide(),
          Prop<&TProbe::FFont, &TProbe::SetFont>("Font"), Prop<&TProbe::FPicture>("Picture"),
          Prop<&TProbe::FBuddy, &TProbe::SetBuddy>("Buddy"), Prop<&TProbe::FOnChange>("OnChange"),
          Prop<&TProbe::GetItems, &TProbe::SetItems>("Items"));

PUBLISHED(TLine, "StreamTest", Prop<&TLine::FText>("Text"), Prop<&TLine::FWidth>("Width").Default(1),
          Prop<&TLine::FLink>("Link"));

class TBoxed;

// A parent that streams its children inside its own record (they are owned by the root).
class TBox : public TCounted {
    DECLARE_CLASS(TBox, TCounted)
public:
    using TCounted::TCounted;
    ~TBox() override;
    void GetChildren(const TGetChildProc& Proc, TComponent*) override;
    std::vector<TBoxed*> FChildren;

protected:
    void SetChildOrder(TComponent* Child, int Order) override;
};
PUBLISHED(TBox, "StreamTest");

class TBoxed : public TCounted {
    DECLARE_CLASS(TBoxed, TCounted)
public:
    using TCounted::TCounted;
    ~TBoxed() override { SetParent(nullptr); }
    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override { return FParent; }
    void SetParentComponent(TComponent* Value) override { SetParent(dynamic_cast<TBox*>(Value)); }
    void SetParent(TBox* Value) {
        if (FParent != nullptr)
            FParent->FChildren.erase(std::find(FParent->FChildren.begin(), FParent->FChildren.end(), this));
        FParent = Value;
        if (Value != nullptr) Value->FChildren.push_back(this);
    }
    TBox* FParent = nullptr;
    int FValue = 0;
};
PUBLISHED(TBoxed, "StreamTest", Prop<&TBoxed::FValue>("Value").Default(0));

TBox::~TBox() {
    while (!FChildren.empty())
        FChildren.back()->SetParent(nullptr);
}
void TBox::GetChildren(const TGetChildProc& Proc, TComponent*) {
    for (TBoxed* c : std::vector<TBoxed*>(FChildren))
        Proc(c);
}
void TBox::SetChildOrder(TComponent* Child, int Order) {
    Log().push_back("order " + Child->GetName() + " " + SysUtils::IntToStr(Order));
    auto* c = static_cast<TBoxed*>(Child);
    FChildren.erase(std::find(FChildren.begin(), FChildren.end(), c));
    FChildren.insert(FChildren.begin() + std::min<size_t>(size_t(Order), FChildren.size()), c);
}

// A form-like root: streams the components it owns that have no parent, publishes handlers.
class TStreamRoot : public TCounted {
    DECLARE_CLASS(TStreamRoot, TCounted)
public:
    using TCounted::TCounted;
    void GetChildren(const TGetChildProc& Proc, TComponent*) override {
        for (int i = 0; i < GetComponentCount(); ++i)
            if (!GetComponent(i)->HasParent()) Proc(GetComponent(i));
    }
    void Clicked(TObject* Sender) {
        ++FClicks;
        FLastSender = Sender;
    }
    void Other(TObject*) {}
    void WrongSig(int) {}
    int FClicks = 0;
    TObject* FLastSender = nullptr;
};
PUBLISHED(TStreamRoot, "StreamTest", PUBLISHED_METHOD(TStreamRoot, Clicked),
          PUBLISHED_METHOD(TStreamRoot, Other), PUBLISHED_METHOD(TStreamRoot, WrongSig));

// Global roots, for "Root2.Q1" references.
std::vector<TComponent*>& GlobalRoots() {
    static std::vector<TComponent*> roots;
    return roots;
}
TComponent* FindRoot(const String& Name) {
    for (TComponent* c : GlobalRoots())
        if (SysUtils::SameText(c->GetName(), Name)) return c;
    return nullptr;
}

// ---- Helpers ----------------------------------------------------------------------------------------------

struct TBytes {
    Bytes B;
    TBytes& Raw(std::initializer_list<int> bytes) {
        for (int b : bytes)
            B.push_back(uint8_t(b));
        return *this;
    }
    TBytes& Str(const String& s) {
        B.push_back(uint8_t(s.size()));
        B.insert(B.end(), s.begin(), s.end());
        return *this;
    }
    TBytes& Sig() { return Raw({'T', 'P', 'F', '0'}); }
    TBytes& Zeros(int n) {
        B.insert(B.end(), size_t(n), 0);
        return *this;
    }
};

Bytes Written(TComponent* root) {
    TMemoryStream m;
    WriteComponentToStream(m, root);
    return m.Bytes();
}

void Load(TMemoryStream& m, const Bytes& b) {
    m.Clear();
    if (!b.empty()) m.WriteBuffer(b.data(), b.size());
    m.SetPosition(0);
}

// The bytes after the (length-prefixed) property name, or an empty vector when the name is not there.
Bytes After(const Bytes& stream, const String& name, size_t count) {
    TBytes key;
    key.Str(name);
    auto it = std::search(stream.begin(), stream.end(), key.B.begin(), key.B.end());
    if (it == stream.end()) return {};
    it += ptrdiff_t(key.B.size());
    return Bytes(it, it + ptrdiff_t(std::min<size_t>(count, size_t(stream.end() - it))));
}

ptrdiff_t PositionOf(const Bytes& stream, const String& name) {
    TBytes key;
    key.Str(name);
    auto it = std::search(stream.begin(), stream.end(), key.B.begin(), key.B.end());
    return it == stream.end() ? -1 : it - stream.begin();
}

bool Has(const Bytes& stream, const String& name) {
    return PositionOf(stream, name) >= 0;
}

} // namespace StreamTestUnit

using namespace StreamTestUnit;

class ComponentStreamTest : public testing::Test {
protected:
    void SetUp() override {
        static bool registered = false;
        if (!registered) {
            RegisterClasses({&TProbe::ClassInfo, &TBox::ClassInfo, &TBoxed::ClassInfo,
                             &TStreamRoot::ClassInfo, &TCounted::ClassInfo});
            registered = true;
        }
        Log().clear();
        FLiveAtStart = LiveComponents();
        RegisterFindGlobalComponentProc(&FindRoot);
    }
    void TearDown() override {
        UnregisterFindGlobalComponentProc(&FindRoot);
        GlobalRoots().clear();
    }
    // Components made during the test that are still alive.
    int Live() const { return LiveComponents() - FLiveAtStart; }

    // A root with two probes, P1 holding a non-default value of every kind.
    std::unique_ptr<TStreamRoot> MakeFullRoot() {
        auto root = std::make_unique<TStreamRoot>(nullptr);
        root->SetName("Root");
        auto* p1 = new TProbe(root.get());
        p1->SetName("P1");
        auto* p2 = new TProbe(root.get());
        p2->SetName("P2");
        p1->SetTag(5);
        p1->FFlag = true;
        p1->FCount = -129;
        p1->FSmall = 200;
        p1->FColor = clFuchsia;
        p1->FBig = int64_t(1) << 40;
        p1->FShape = shTriangle;
        p1->FShapes = {shCircle, shTriangle};
        p1->FRatio = 1.5;
        p1->FMargin = -0.25;
        p1->FCaption = "caf\xC3\xA9";
        p1->FHint = "\xE2\x82\xAC"; // the euro sign
        p1->FFont->FColor = clWhite;
        p1->FFont->FHeight = -13;
        p1->FFont->FName = "System";
        p1->FFont->FStyle = {fsBold};
        p1->FPicture->FData = {0xDE, 0xAD, 0xBE, 0xEF};
        p1->SetBuddy(p2);
        p1->FOnChange = TNotifyEvent::Bind<&TStreamRoot::Clicked>(root.get());
        auto* line = static_cast<TLine*>(p1->FItems.Add());
        line->FText = "first";
        line->FLink = p2;
        static_cast<TLine*>(p1->FItems.Add())->FWidth = 3;
        p1->SetDesignInfo(16 | (8 << 16));
        p2->FColor = 0x123456;
        p2->FShapes = {};
        p2->FCaption = String(300, 'x');
        return root;
    }

    int FLiveAtStart = 0;
};

TEST_F(ComponentStreamTest, DefaultsAreNotWritten) {
    TStreamRoot root(nullptr);
    root.SetName("Root");
    (new TProbe(&root))->SetName("P1");
    TBytes expected;
    expected.Sig().Str("TStreamRoot").Str("Root").Raw({0});
    expected.Str("TProbe").Str("P1");
    // Declared without a default: always written, even at 0.
    expected.Str("Count").Raw({0x02, 0x00});
    expected.Str("Margin").Raw({0x05}).Zeros(10);
    expected.Str("Font.Height").Raw({0x02, 0xF5});
    // A non-empty string is written; Font.Color and Font.Style hold their defaults.
    expected.Str("Font.Name").Raw({0x06}).Str("MS Sans Serif");
    // A collection is written also when empty, as the framework writes "Items = <>".
    expected.Str("Items").Raw({0x0E, 0x00});
    expected.Raw({0x00, 0x00}); // end of P1's properties and children
    expected.Raw({0x00});       // end of the root's children
    EXPECT_EQ(Written(&root), expected.B);
}

TEST_F(ComponentStreamTest, ValuesHaveTheFrameworksEncoding) {
    auto root = MakeFullRoot();
    Bytes s = Written(root.get());
    struct Row {
        const char* Name;
        Bytes Value;
    } rows[] = {
        {"Tag", {0x02, 0x05}},
        {"Flag", {0x09}},
        {"Count", {0x03, 0x7F, 0xFF}}, // -129 needs 16 bits
        {"Small", {0x03, 0xC8, 0x00}}, // 200 does not fit a signed byte
        {"Color", TBytes().Raw({0x07}).Str("clFuchsia").B},
        {"Big", {0x13, 0, 0, 0, 0, 0, 1, 0, 0}},
        {"Shape", TBytes().Raw({0x07}).Str("shTriangle").B},
        {"Shapes", TBytes().Raw({0x0B}).Str("shCircle").Str("shTriangle").Raw({0}).B},
        {"Ratio", {0x05, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x3F}},
        {"Margin", {0x05, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFD, 0xBF}},
        {"Caption", {0x06, 0x05, 'c', 'a', 'f', 0xC3, 0xA9}},
        {"Hint", {0x12, 0x01, 0x00, 0x00, 0x00, 0xAC, 0x20}},
        {"Font.Color", TBytes().Raw({0x07}).Str("clWhite").B},
        {"Font.Height", {0x02, 0xF3}},
        {"Font.Style", TBytes().Raw({0x0B}).Str("fsBold").Raw({0}).B},
        {"Picture.Data", {0x0A, 0x04, 0x00, 0x00, 0x00, 0xDE, 0xAD, 0xBE, 0xEF}},
        {"Buddy", TBytes().Raw({0x07}).Str("P2").B},
        {"OnChange", TBytes().Raw({0x07}).Str("Clicked").B},
        {"Items", TBytes()
                      .Raw({0x0E, 0x01})
                      .Str("Text")
                      .Raw({0x06})
                      .Str("first")
                      .Str("Link")
                      .Raw({0x07})
                      .Str("P2")
                      .Raw({0x00, 0x01})
                      .Str("Width")
                      .Raw({0x02, 0x03, 0x00, 0x00})
                      .B},
        {"Left", {0x02, 0x10}},
        {"Top", {0x02, 0x08}},
    };
    ptrdiff_t previous = -1;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Name);
        EXPECT_EQ(After(s, row.Name, row.Value.size()), row.Value);
        // In table order: the ancestors' properties first, DefineProperties last.
        ptrdiff_t at = PositionOf(s, row.Name);
        EXPECT_GT(at, previous);
        previous = at;
    }
    // P2: a colour without a name is a number, the empty set is written (its default is not empty), a
    // long string is a vaLString.
    size_t p2 = size_t(PositionOf(s, "P2") + 3);
    Bytes rest(s.begin() + ptrdiff_t(p2), s.end());
    EXPECT_EQ(After(rest, "Color", 5), (Bytes{0x04, 0x56, 0x34, 0x12, 0x00}));
    EXPECT_EQ(After(rest, "Shapes", 2), (Bytes{0x0B, 0x00}));
    EXPECT_EQ(After(rest, "Caption", 6), (Bytes{0x0C, 0x2C, 0x01, 0x00, 0x00, 'x'}));
}

TEST_F(ComponentStreamTest, EveryKindRoundTrips) {
    {
        auto root = MakeFullRoot();
        Bytes s = Written(root.get());
        TStreamRoot copy(nullptr);
        TMemoryStream m;
        Load(m, s);
        ReadComponentFromStream(m, &copy);
        EXPECT_EQ(m.GetPosition(), m.GetSize());
        EXPECT_EQ(copy.GetName(), "Root");
        ASSERT_EQ(copy.GetComponentCount(), 2);
        auto* p1 = dynamic_cast<TProbe*>(copy.FindComponent("P1"));
        auto* orig = static_cast<TProbe*>(root->FindComponent("P1"));
        ASSERT_NE(p1, nullptr);
        for (const TPropInfo* prop : GetPropList(p1)) {
            SCOPED_TRACE(prop->Name);
            switch (prop->Kind) {
            case tkFloat:
                EXPECT_EQ(GetFloatProp(p1, prop), GetFloatProp(orig, prop));
                break;
            case tkString:
            case tkWString:
                EXPECT_EQ(GetStrProp(p1, prop), GetStrProp(orig, prop));
                break;
            case tkComponent:
                EXPECT_EQ(static_cast<TComponent*>(GetObjectProp(p1, prop))->GetName(),
                          static_cast<TComponent*>(GetObjectProp(orig, prop))->GetName());
                break;
            case tkMethod:
                EXPECT_STREQ(GetMethodProp(p1, prop).Name, GetMethodProp(orig, prop).Name);
                EXPECT_EQ(GetMethodProp(p1, prop).Data, &copy);
                break;
            case tkClass:
                break;
            default:
                EXPECT_EQ(GetOrdProp(p1, prop), GetOrdProp(orig, prop));
            }
        }
        EXPECT_EQ(p1->FBuddy, copy.FindComponent("P2"));
        EXPECT_EQ(p1->FFont->FColor, clWhite);
        EXPECT_EQ(p1->FFont->FHeight, -13);
        EXPECT_EQ(p1->FFont->FName, "System");
        EXPECT_EQ(p1->FFont->FStyle, (TFontStyles{fsBold}));
        EXPECT_EQ(p1->FPicture->FData, (Bytes{0xDE, 0xAD, 0xBE, 0xEF}));
        EXPECT_EQ(p1->GetDesignInfo(), 16 | (8 << 16));
        ASSERT_EQ(p1->FItems.GetCount(), 2);
        auto* line = static_cast<TLine*>(p1->FItems.GetItem(0));
        EXPECT_EQ(line->FText, "first");
        EXPECT_EQ(line->FLink, copy.FindComponent("P2"));
        EXPECT_EQ(static_cast<TLine*>(p1->FItems.GetItem(1))->FWidth, 3);
        // The event calls the new root's handler.
        p1->FOnChange(p1);
        EXPECT_EQ(copy.FClicks, 1);
        EXPECT_EQ(copy.FLastSender, p1);
        auto* p2 = static_cast<TProbe*>(copy.FindComponent("P2"));
        EXPECT_EQ(p2->FCaption, String(300, 'x'));
        EXPECT_TRUE(p2->FShapes.Empty());
        // And the copy writes the same bytes.
        EXPECT_EQ(Written(&copy), s);
    }
    EXPECT_EQ(Live(), 0);
}

TEST_F(ComponentStreamTest, ReadingSetsLoadingStateAndCallsLoadedAtTheEnd) {
    auto root = MakeFullRoot();
    Bytes s = Written(root.get());
    Log().clear();
    TStreamRoot copy(nullptr);
    TMemoryStream m;
    Load(m, s);
    ReadComponentFromStream(m, &copy);
    // Setters run while csLoading and csReading are set; Loaded runs for the root first, then for each
    // component in the order it was read, after all references are resolved (P1 sees its buddy).
    std::vector<String> expected = {"caption P1 loading reading",
                                    "caption P2 loading reading",
                                    "loaded Root",
                                    "loaded P1",
                                    "buddy P2",
                                    "loaded P2",
                                    "buddy nil"};
    EXPECT_EQ(Log(), expected);
    for (int i = 0; i < copy.GetComponentCount(); ++i)
        EXPECT_EQ(StateOf(copy.GetComponent(i)), "");
    EXPECT_EQ(StateOf(&copy), "");
}

TEST_F(ComponentStreamTest, EditionSequenceEndsWithOneZero) {
    TStreamRoot form(nullptr);
    form.SetName("Form1");
    auto* a = new TProbe(&form);
    a->SetName("ItemA");
    auto* b = new TProbe(&form);
    b->SetName("ItemB");
    a->FCaption = "A";
    a->SetBuddy(b); // a reference to a record that comes later
    b->FCount = 7;

    auto record = [&](TComponent* c) {
        TMemoryStream m;
        TWriter w(m);
        w.SetRoot(&form);
        w.WriteComponent(c);
        return m.Bytes();
    };
    TMemoryStream file;
    {
        TWriter w(file);
        w.SetRoot(&form);
        for (TComponent* c : {static_cast<TComponent*>(a), static_cast<TComponent*>(b)}) {
            w.WriteSignature();
            w.WriteComponent(c);
        }
        w.WriteListEnd();
    }
    Bytes recordA = record(a), recordB = record(b);
    TBytes expected;
    expected.Sig();
    expected.B.insert(expected.B.end(), recordA.begin(), recordA.end());
    expected.Sig();
    expected.B.insert(expected.B.end(), recordB.begin(), recordB.end());
    expected.Raw({0});
    ASSERT_EQ(file.Bytes(), expected.B);

    // Read into another form, with a callback per record; the reference is resolved after the last one.
    auto readAll = [&](const Bytes& bytes, TStreamRoot& target, std::vector<String>& seen) {
        TMemoryStream m;
        Load(m, bytes);
        TReader r(m);
        r.ReadComponents(&target, nullptr, [&](TComponent* c) {
            seen.push_back(c->GetName() + (static_cast<TProbe*>(c)->FBuddy ? " linked" : ""));
        });
        return m.GetPosition();
    };
    {
        TStreamRoot target(nullptr);
        std::vector<String> seen;
        EXPECT_EQ(readAll(file.Bytes(), target, seen), int64_t(file.Bytes().size()));
        EXPECT_EQ(seen, (std::vector<String>{"ItemA", "ItemB"}));
        auto* ra = static_cast<TProbe*>(target.GetComponent(0));
        EXPECT_EQ(ra->FCaption, "A");
        EXPECT_EQ(ra->FBuddy, target.GetComponent(1));
        EXPECT_EQ(static_cast<TProbe*>(target.GetComponent(1))->FCount, 7);
        EXPECT_EQ(StateOf(ra), "");
    }
    {
        // Cut at the record boundary before the final 0: still two components.
        TStreamRoot target(nullptr);
        std::vector<String> seen;
        Bytes cut(file.Bytes().begin(), file.Bytes().end() - 1);
        readAll(cut, target, seen);
        EXPECT_EQ(target.GetComponentCount(), 2);
        // The single 0 byte is an empty edition.
        TStreamRoot empty(nullptr);
        readAll(Bytes{0}, empty, seen);
        EXPECT_EQ(empty.GetComponentCount(), 0);
    }
    {
        // Cut inside the second record: the first stays, complete and loaded; nothing of the second.
        TStreamRoot target(nullptr);
        std::vector<String> seen;
        size_t inside = 4 + recordA.size() + 22; // in ItemB's Count, after ItemB was made
        Bytes cut(file.Bytes().begin(), file.Bytes().begin() + ptrdiff_t(inside));
        Log().clear();
        EXPECT_THROW(readAll(cut, target, seen), EReadError);
        EXPECT_EQ(seen, (std::vector<String>{"ItemA"}));
        ASSERT_EQ(target.GetComponentCount(), 1);
        EXPECT_EQ(StateOf(target.GetComponent(0)), "");
        EXPECT_EQ(Log(), (std::vector<String>{"caption ItemA loading reading", "loaded ItemA", "buddy nil"}));
    }
    EXPECT_EQ(Live(), 3); // the form and its two items
}

TEST_F(ComponentStreamTest, ReferencesAreRelativeToTheRoot) {
    TStreamRoot app(nullptr); // an unnamed owner of roots, as the application is
    auto* root1 = new TStreamRoot(&app);
    root1->SetName("Root1");
    auto* p1 = new TProbe(root1);
    p1->SetName("P1");
    auto* p2 = new TProbe(root1);
    p2->SetName("P2");
    auto* root2 = new TStreamRoot(&app);
    root2->SetName("Root2");
    auto* q1 = new TProbe(root2);
    q1->SetName("Q1");
    TStreamRoot root3(nullptr); // a root without owner
    root3.SetName("Root3");
    GlobalRoots() = {root1, root2, &root3};

    auto written = [&](TComponent* writerRoot, TProbe* buddy) {
        p1->SetBuddy(buddy);
        TMemoryStream m;
        TWriter w(m);
        w.SetRoot(writerRoot);
        w.WriteComponent(p1);
        return After(m.Bytes(), "Buddy", 16);
    };
    auto ident = [](const String& s) { return TBytes().Raw({0x07}).Str(s).B; };
    auto trimmed = [](Bytes b, size_t n) { return Bytes(b.begin(), b.begin() + ptrdiff_t(n)); };
    EXPECT_EQ(trimmed(written(root1, p2), 4), ident("P2"));
    EXPECT_EQ(trimmed(written(root1, q1), 10), ident("Root2.Q1"));
    // A probe standing for a root: the root itself, another root with an owner, one without.
    auto* rootProbe = new TProbe(&app);
    rootProbe->SetName("Lone");
    EXPECT_EQ(trimmed(written(root1, rootProbe), 6), ident("Lone"));
    TProbe orphan(nullptr);
    orphan.SetName("Orphan");
    EXPECT_EQ(trimmed(written(root1, &orphan), 14), ident("Orphan.Owner"));
    EXPECT_EQ(trimmed(written(nullptr, p2), 10), ident("Root1.P2"));
    EXPECT_EQ(trimmed(written(p2, p2), 7), ident("Owner"));
    // A component named like one of the four value tags cannot be named in a stream: it is left out.
    auto* nilNamed = new TProbe(root1);
    nilNamed->SetName("nil");
    EXPECT_TRUE(written(root1, nilNamed).empty());
    p1->SetBuddy(nullptr);

    // Reading: within the root, "Owner", another root by the global lookup, and what stays nil.
    TBytes s;
    s.Sig().Str("TStreamRoot").Str("Root1").Raw({0});
    auto probe = [&](const String& name, const String& buddy) {
        s.Str("TProbe").Str(name).Str("Buddy").Raw({0x07}).Str(buddy).Raw({0, 0});
    };
    probe("A", "B"); // B comes later
    probe("B", "Root2.Q1");
    probe("C", "Nowhere.X");
    probe("D", "E"); // E is no TProbe: the reference stays nil
    s.Str("TCounted").Str("E").Raw({0, 0});
    s.Raw({0});
    TStreamRoot target(nullptr);
    TMemoryStream m;
    Load(m, s.B);
    ReadComponentFromStream(m, &target);
    // Root1 is a global component already: the new root gets a name of its own.
    EXPECT_EQ(target.GetName(), "Root1_1");
    auto probeOf = [&](const char* n) { return static_cast<TProbe*>(target.FindComponent(n)); };
    EXPECT_EQ(probeOf("A")->FBuddy, probeOf("B"));
    EXPECT_EQ(probeOf("B")->FBuddy, q1);
    EXPECT_EQ(probeOf("C")->FBuddy, nullptr);
    EXPECT_EQ(probeOf("D")->FBuddy, nullptr);
    // A reference to another root is followed by free notification: it goes when that root's probe goes.
    delete q1;
    EXPECT_EQ(probeOf("B")->FBuddy, nullptr);

    // "Owner" is the root itself; only TProbe-typed references are taken, so check through a TLine link.
    TBytes o;
    o.Sig().Str("TStreamRoot").Str("R").Raw({0}).Str("TProbe").Str("P").Str("Items").Raw({0x0E, 0x01});
    o.Str("Link").Raw({0x07}).Str("Owner.P").Raw({0, 0}).Raw({0, 0}).Raw({0});
    TStreamRoot r(nullptr);
    Load(m, o.B);
    ReadComponentFromStream(m, &r);
    auto* p = static_cast<TProbe*>(r.FindComponent("P"));
    EXPECT_EQ(static_cast<TLine*>(p->FItems.GetItem(0))->FLink, p);
}

TEST_F(ComponentStreamTest, EventsBindToTheRootsPublishedMethods) {
    auto record = [](const String& handler) {
        TBytes s;
        s.Sig().Str("TStreamRoot").Str("Root").Raw({0}).Str("TProbe").Str("P1");
        s.Str("OnChange").Raw({0x07}).Str(handler).Raw({0, 0, 0});
        return s.B;
    };
    {
        TStreamRoot root(nullptr);
        TMemoryStream m;
        Load(m, record("CLICKED"));
        ReadComponentFromStream(m, &root);
        auto* p1 = static_cast<TProbe*>(root.FindComponent("P1"));
        p1->FOnChange(p1);
        EXPECT_EQ(root.FClicks, 1);
        EXPECT_STREQ(p1->FOnChange.Name(), "Clicked");
    }
    for (const char* bad : {"Nope", "WrongSig"}) {
        SCOPED_TRACE(bad);
        TStreamRoot root(nullptr);
        TMemoryStream m;
        Load(m, record(bad));
        try {
            ReadComponentFromStream(m, &root);
            FAIL();
        } catch (const EReadError& e) {
            EXPECT_EQ(e.Message(), "Error reading P1.OnChange: Invalid property value");
        }
        EXPECT_EQ(root.GetComponentCount(), 0);
    }
    // Written only when the root publishes the method: a handler of another object's unpublished method,
    // or a method the writer's root does not have, is not.
    TStreamRoot root(nullptr);
    auto* p1 = new TProbe(&root);
    p1->SetName("P1");
    p1->FOnChange = TNotifyEvent::Bind<&TStreamRoot::Other>(&root);
    EXPECT_TRUE(Has(Written(&root), "OnChange"));
    TCounted stranger(nullptr);
    TMemoryStream m;
    TWriter w(m);
    w.SetRoot(&stranger);
    w.WriteComponent(p1);
    EXPECT_FALSE(Has(m.Bytes(), "OnChange"));
}

TEST_F(ComponentStreamTest, ChildrenAreStreamedInsideTheirParent) {
    TStreamRoot root(nullptr);
    root.SetName("Root");
    auto* box = new TBox(&root);
    box->SetName("Box");
    for (const char* name : {"C1", "C2", "C3"}) {
        auto* c = new TBoxed(&root);
        c->SetName(name);
        c->SetParent(box);
        c->FValue = name[1] - '0';
    }
    TBytes expected;
    expected.Sig().Str("TStreamRoot").Str("Root").Raw({0}).Str("TBox").Str("Box").Raw({0});
    for (const char* name : {"C1", "C2", "C3"})
        expected.Str("TBoxed").Str(name).Str("Value").Raw({0x02, name[1] - '0', 0, 0});
    expected.Raw({0, 0}); // end of the box's children, of the root's children
    Bytes s = Written(&root);
    EXPECT_EQ(s, expected.B);

    TStreamRoot copy(nullptr);
    TMemoryStream m;
    Load(m, s);
    ReadComponentFromStream(m, &copy);
    auto* box2 = static_cast<TBox*>(copy.FindComponent("Box"));
    ASSERT_EQ(box2->FChildren.size(), 3u);
    EXPECT_EQ(box2->FChildren[2]->GetName(), "C3");
    EXPECT_EQ(box2->FChildren[2]->GetOwner(), &copy); // owned by the root, parented by the box
    EXPECT_EQ(copy.GetComponentCount(), 4);

    // A child position (ffChildPos) reaches SetChildOrder after the child is read.
    TBytes moved;
    moved.Sig().Str("TStreamRoot").Str("Root").Raw({0}).Str("TBox").Str("Box").Raw({0});
    moved.Str("TBoxed").Str("X").Raw({0, 0});
    moved.Raw({0xF2, 0x02, 0x00}).Str("TBoxed").Str("Y").Raw({0, 0});
    moved.Raw({0, 0});
    TStreamRoot third(nullptr);
    Load(m, moved.B);
    Log().clear();
    ReadComponentFromStream(m, &third);
    EXPECT_EQ(Log().front(), "order Y 0");
    EXPECT_EQ(static_cast<TBox*>(third.FindComponent("Box"))->FChildren.front()->GetName(), "Y");

    // An inherited record (ffInherited) reads into the component that exists already.
    TBytes inherited;
    inherited.Sig().Str("TStreamRoot").Str("Root").Raw({0});
    inherited.Raw({0xF1}).Str("TBoxed").Str("C2").Str("Value").Raw({0x02, 0x09, 0, 0, 0});
    Load(m, inherited.B);
    ReadComponentFromStream(m, &copy);
    EXPECT_EQ(static_cast<TBoxed*>(copy.FindComponent("C2"))->FValue, 9);
    EXPECT_EQ(copy.GetComponentCount(), 4);
    inherited.B[inherited.B.size() - 13] = 'X'; // now it names a component that does not exist
    Load(m, inherited.B);
    try {
        ReadComponentFromStream(m, &copy);
        FAIL();
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "Ancestor for 'X2' not found");
    }
}

TEST_F(ComponentStreamTest, ReadsTheRootByItsClassName) {
    auto root = MakeFullRoot();
    Bytes s = Written(root.get());
    TMemoryStream m;
    Load(m, s);
    std::unique_ptr<TComponent> made = ReadComponentFromStream(m);
    ASSERT_EQ(made->ClassType(), &TStreamRoot::ClassInfo);
    EXPECT_EQ(made->GetName(), "Root");
    EXPECT_EQ(made->GetComponentCount(), 2);
    EXPECT_EQ(Written(made.get()), s);
    made.reset();
    root.reset();
    EXPECT_EQ(Live(), 0);
}

TEST_F(ComponentStreamTest, BadInputRaisesTheRightErrorAndLeavesNothingBehind) {
    auto record = [](std::initializer_list<Bytes> props, const String& cls = "TProbe") {
        TBytes s;
        s.Sig().Str("TStreamRoot").Str("Root").Raw({0});
        s.Str("TProbe").Str("Good").Raw({0, 0}); // a complete child before the failing one
        s.Str(cls).Str("P1");
        for (const Bytes& p : props)
            s.B.insert(s.B.end(), p.begin(), p.end());
        s.Raw({0, 0, 0});
        return s.B;
    };
    auto prop = [](const String& name, std::initializer_list<int> value) {
        return TBytes().Str(name).Raw(value).B;
    };
    auto identProp = [](const String& name, const String& ident) {
        return TBytes().Str(name).Raw({0x07}).Str(ident).B;
    };
    struct Row {
        const char* Case;
        Bytes Stream;
        String Message;
    } rows[] = {
        {"unknown class", record({}, "TNope"), "Class TNope not found"},
        {"class that is no component", record({}, "TFont"), "Class TFont not found"},
        {"unknown property", record({prop("Nope", {0x02, 1})}),
         "Error reading P1.Nope: Property Nope does not exist"},
        {"unknown sub-property", record({prop("Font.Nope", {0x02, 1})}),
         "Error reading P1.Font.Nope: Property Nope does not exist"},
        {"path through a non-object", record({prop("Count.X", {0x02, 1})}),
         "Error reading P1.Count.X: Invalid property path"},
        {"string for an integer", record({prop("Count", {0x06, 1, 'x'})}),
         "Error reading P1.Count: Invalid property value"},
        {"64-bit value for an Integer", record({prop("Count", {0x13, 0, 0, 0, 0, 0, 0, 0, 0})}),
         "Error reading P1.Count: Invalid property value"},
        {"unknown identifier", record({identProp("Color", "clPurple")}),
         "Error reading P1.Color: Invalid property value"},
        {"unknown enumeration member", record({identProp("Shape", "shOval")}),
         "Error reading P1.Shape: Invalid property value"},
        {"integer for a Boolean", record({prop("Flag", {0x02, 1})}),
         "Error reading P1.Flag: Invalid property value"},
        {"unknown set member", record({TBytes().Str("Shapes").Raw({0x0B}).Str("shOval").Raw({0}).B}),
         "Error reading P1.Shapes: Invalid property value"},
        {"integer for a set", record({prop("Shapes", {0x02, 1})}),
         "Error reading P1.Shapes: Invalid property value"},
        {"string for a reference", record({prop("Buddy", {0x06, 1, 'x'})}),
         "Error reading P1.Buddy: Invalid property value"},
        {"nil for a sub-object", record({prop("Font", {0x0D})}),
         "Error reading P1.Font: Cannot assign a nil to a TFont"},
        {"string for binary data", record({prop("Picture.Data", {0x06, 1, 'x'})}),
         "Error reading P1.Picture.Data: Invalid property value"},
        {"collection of a non-collection", record({prop("Font", {0x0E, 0})}),
         "Error reading P1.Font: Invalid property value"},
        {"item without its list", record({prop("Items", {0x0E, 0x02, 1})}),
         "Error reading P1.Items: Invalid property value"},
        {"unknown item property", record({prop("Items", {0x0E, 0x01, 4, 'N', 'o', 'p', 'e', 0x02, 1, 0, 0})}),
         "Error reading P1.Items: Error reading TLine.Nope: Property Nope does not exist"},
        {"duplicate name", record({}, "TProbe") /* patched below */, "A component named Good already exists"},
        {"truncated value", record({prop("Caption", {0x06, 9, 'a'})}),
         // The length byte of the string: 4 + 12 + 5 + 1 (root) + 7 + 5 + 2 (Good) + 7 + 3 + 8 + 1.
         "Error reading P1.Caption: Stream read error: string truncated at offset 55"},
    };
    // The duplicate: the failing record is named like the good one.
    Bytes& dup = rows[18].Stream;
    auto at = std::search(dup.begin(), dup.end(), std::begin("\x02P1"), std::begin("\x02P1") + 3);
    dup.erase(at, at + 3);
    Bytes good = TBytes().Str("Good").B;
    dup.insert(at, good.begin(), good.end());

    for (const Row& row : rows) {
        SCOPED_TRACE(row.Case);
        TStreamRoot root(nullptr);
        TMemoryStream m;
        Load(m, row.Stream);
        try {
            ReadComponentFromStream(m, &root);
            ADD_FAILURE() << "no exception";
        } catch (const SysUtils::Exception& e) {
            EXPECT_EQ(e.Message(), row.Message);
        }
        // Everything created for the root went, and the root is not left loading.
        EXPECT_EQ(root.GetComponentCount(), 0);
        EXPECT_EQ(Live(), 1);
        EXPECT_EQ(StateOf(&root), "");
    }
    EXPECT_EQ(Live(), 0);

    // Cut anywhere: a read error, nothing left over. The same bytes in a sequence keep the complete records.
    auto full = MakeFullRoot();
    Bytes s = Written(full.get());
    full.reset();
    for (size_t n = 0; n < s.size(); ++n) {
        SCOPED_TRACE(n);
        TStreamRoot root(nullptr);
        TMemoryStream m;
        Load(m, Bytes(s.begin(), s.begin() + ptrdiff_t(n)));
        EXPECT_THROW(ReadComponentFromStream(m, &root), EReadError);
        EXPECT_EQ(root.GetComponentCount(), 0);
        EXPECT_EQ(Live(), 1);
    }
    // A class name in a record of a sequence that is not registered: the records before it stay.
    TBytes seq;
    seq.Sig().Str("TProbe").Str("A").Raw({0, 0}).Sig().Str("TNope").Str("B").Raw({0, 0}).Raw({0});
    TStreamRoot owner(nullptr);
    TMemoryStream m;
    Load(m, seq.B);
    TReader r(m);
    EXPECT_THROW(r.ReadComponents(&owner, nullptr, nullptr), EClassNotFound);
    EXPECT_EQ(owner.GetComponentCount(), 1);
}

TEST_F(ComponentStreamTest, ACollectionReadTwiceDropsTheFirstItemsReferences) {
    TBytes s;
    s.Sig().Str("TStreamRoot").Str("Root").Raw({0}).Str("TProbe").Str("P1");
    for (int round = 0; round < 2; ++round) {
        s.Str("Items").Raw({0x0E, 0x01}).Str("Link").Raw({0x07}).Str(round == 0 ? "P1" : "P2").Raw({0, 0});
    }
    s.Raw({0, 0}).Str("TProbe").Str("P2").Raw({0, 0}).Raw({0});
    TStreamRoot root(nullptr);
    TMemoryStream m;
    Load(m, s.B);
    ReadComponentFromStream(m, &root);
    auto* p1 = static_cast<TProbe*>(root.FindComponent("P1"));
    ASSERT_EQ(p1->FItems.GetCount(), 1);
    EXPECT_EQ(static_cast<TLine*>(p1->FItems.GetItem(0))->FLink, root.FindComponent("P2"));
}

TEST_F(ComponentStreamTest, NarrowStringsReachWidePropertiesAsText) {
    // UTF-8 bytes stay as they are; other bytes are taken one per character, as the framework widens them.
    for (auto [bytes, text] :
         {std::pair<String, String>{"caf\xC3\xA9", "caf\xC3\xA9"}, {"caf\xE9", "caf\xC3\xA9"}}) {
        TBytes s;
        s.Sig().Str("TStreamRoot").Str("Root").Raw({0}).Str("TProbe").Str("P1");
        s.Str("Hint").Raw({0x06}).Str(bytes).Raw({0, 0, 0});
        TStreamRoot root(nullptr);
        TMemoryStream m;
        Load(m, s.B);
        ReadComponentFromStream(m, &root);
        EXPECT_EQ(static_cast<TProbe*>(root.FindComponent("P1"))->FHint, text);
    }
}

TEST_F(ComponentStreamTest, NestingIsBoundedAndFitsTheStack) {
    // Records nested inside records, each a child of the one before; the driver's bound is 1000 levels.
    auto nested = [](int depth) {
        TBytes s;
        s.Sig().Str("TStreamRoot").Str("Root").Raw({0});
        for (int i = 0; i < depth; ++i)
            s.Str("TCounted").Str(String("C").append(SysUtils::IntToStr(i))).Raw({0});
        for (int i = 0; i < depth + 1; ++i)
            s.Raw({0});
        return s.B;
    };
    {
        TStreamRoot root(nullptr);
        TMemoryStream m;
        Load(m, nested(990));
        ReadComponentFromStream(m, &root);
        EXPECT_EQ(root.GetComponentCount(), 990); // all owned by the root
    }
    EXPECT_EQ(Live(), 0);
    TStreamRoot root(nullptr);
    TMemoryStream m;
    Load(m, nested(1001));
    EXPECT_THROW(ReadComponentFromStream(m, &root), EReadError);
    EXPECT_EQ(root.GetComponentCount(), 0);
    EXPECT_EQ(Live(), 1);
}

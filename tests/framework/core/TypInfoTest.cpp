// Type information: property tables, kinds, access through fields and setters, enumerations and sets as
// text, identifiers of integers, closures and published methods.
#include "framework/core/ClassesComponent.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace TypInfo;
using Classes::TComponent;
using Classes::TNotifyEvent;
using Classes::TPersistent;
using System::TObject;

namespace TypInfoTestUnit {

PUBLISHED_ENUM(TFruit, uint8_t, frApple, frBanana, frCherry, frDate)
using TFruits = System::TSet<TFruit>;
inline constexpr TTypeInfo TMidFruit_TypeInfo =
    SubrangeType("TMidFruit", TFruit_TypeInfo, frBanana, frCherry);

constexpr int32_t clHighlight = int32_t(0x8000000D);
constexpr TIdentMapEntry ColourIdents[] = {
    {0x000000, "clBlack"}, {0xFF00FF, "clFuchsia"}, {clHighlight, "clHighlight"}};
inline constexpr TTypeInfo TColour_TypeInfo = IntegerType("TColour", ColourIdents, std::size(ColourIdents));

class TSub : public TPersistent {
    DECLARE_CLASS(TSub, TPersistent)
public:
    int FValue = 0;
    void Assign(TPersistent* Source) override {
        if (auto* s = dynamic_cast<TSub*>(Source)) {
            FValue = s->FValue;
            return;
        }
        inherited::Assign(Source);
    }
};
PUBLISHED(TSub, "TypInfoTest", Prop<&TSub::FValue>("Value").Default(0));

class TOther : public TPersistent {
    DECLARE_CLASS(TOther, TPersistent)
};
PUBLISHED(TOther, "TypInfoTest");

class TRef : public TComponent {
    DECLARE_CLASS(TRef, TComponent)
public:
    using TComponent::TComponent;
};
PUBLISHED(TRef, "TypInfoTest");

class TAll : public TPersistent {
    DECLARE_CLASS(TAll, TPersistent)
public:
    int GetCount() const { return FCount; }
    void SetCount(int v) {
        FCount = v;
        ++FSetCalls;
    }
    int GetReadOnly() const { return 42; }
    bool IsTextStored() const { return FText != "skip"; }
    void Handler(TObject* Sender) {
        ++FHandled;
        FLastSender = Sender;
    }
    void Unpublished(TObject*) {}
    int Twice(int v) { return 2 * v; }

    bool FFlag = false;
    int FCount = 0;
    int FSetCalls = 0;
    uint8_t FByte = 7;
    uint32_t FColour = uint32_t(clHighlight);
    int64_t FBig = 0;
    TFruit FFruit = frApple;
    TFruit FMid = frBanana;
    TFruits FBasket{frApple};
    double FRatio = 0;
    String FText;
    String FWide;
    std::unique_ptr<TSub> FSub = std::make_unique<TSub>();
    TRef* FRef = nullptr;
    TNotifyEvent FOnChange;
    int FHandled = 0;
    TObject* FLastSender = nullptr;
};
PUBLISHED(TAll, "TypInfoTest", Prop<&TAll::FFlag>("Flag").Default(false),
          Prop<&TAll::GetCount, &TAll::SetCount>("Count"), Prop<&TAll::FByte>("Byte").Default(7),
          Prop<&TAll::FColour>("Colour").Type(&TColour_TypeInfo).Default(clHighlight),
          Prop<&TAll::FBig>("Big").Default(0), Prop<&TAll::FFruit>("Fruit").Default(frApple),
          Prop<&TAll::FMid>("Mid").Type(&TMidFruit_TypeInfo).Default(frBanana),
          Prop<&TAll::FBasket>("Basket").Default(TFruits{frApple}), Prop<&TAll::FRatio>("Ratio"),
          Prop<&TAll::FText>("Text").Stored<&TAll::IsTextStored>(), Prop<&TAll::FWide>("Wide").Wide(),
          Prop<&TAll::FSub>("Sub"), Prop<&TAll::FRef>("Ref"), Prop<&TAll::FOnChange>("OnChange"),
          Prop<&TAll::GetReadOnly>("ReadOnly"), PUBLISHED_METHOD(TAll, Handler));

// Redeclares Byte with another default (it keeps its place) and adds one property.
class TAllDerived : public TAll {
    DECLARE_CLASS(TAllDerived, TAll)
public:
    int FExtra = 0;
};
PUBLISHED(TAllDerived, "TypInfoTest", Prop<&TAllDerived::FByte>("BYTE").Default(9),
          Prop<&TAllDerived::FExtra>("Extra").Default(0));

class TAbstract : public TPersistent {
    DECLARE_CLASS(TAbstract, TPersistent)
public:
    virtual void Pure() = 0;
};
PUBLISHED(TAbstract, "TypInfoTest");

} // namespace TypInfoTestUnit

using namespace TypInfoTestUnit;

static std::vector<String> Names(const std::vector<const TPropInfo*>& list) {
    std::vector<String> names;
    for (const TPropInfo* p : list)
        names.push_back(p->Name);
    return names;
}

TEST(TypInfo, KindsFollowTheCppTypes) {
    struct Row {
        const char* Name;
        TTypeKind Kind;
    } rows[] = {{"Flag", tkBool},     {"Count", tkInteger},     {"Byte", tkInteger},    {"Colour", tkInteger},
                {"Big", tkInt64},     {"Fruit", tkEnumeration}, {"Mid", tkEnumeration}, {"Basket", tkSet},
                {"Ratio", tkFloat},   {"Text", tkString},       {"Wide", tkWString},    {"Sub", tkClass},
                {"Ref", tkComponent}, {"OnChange", tkMethod},   {"ReadOnly", tkInteger}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Name);
        const TPropInfo* p = GetPropInfo(&TAll::ClassInfo, row.Name);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->Kind, row.Kind);
    }
    EXPECT_EQ(GetPropInfo(&TAll::ClassInfo, "Sub")->PropClass, &TSub::ClassInfo);
    EXPECT_EQ(GetPropInfo(&TAll::ClassInfo, "Ref")->PropClass, &TRef::ClassInfo);
    EXPECT_EQ(GetPropInfo(&TAll::ClassInfo, "Flag")->PropType, &BooleanTypeInfo);
    EXPECT_EQ(GetPropInfo(&TAll::ClassInfo, "Basket")->PropType->CompType, &TFruit_TypeInfo);
    EXPECT_TRUE(GetPropInfo(&TAll::ClassInfo, "ReadOnly")->IsReadOnly());
    EXPECT_FALSE(GetPropInfo(&TAll::ClassInfo, "Count")->IsReadOnly());
    // Ordinals without a declared default are always written; other kinds default to empty.
    EXPECT_FALSE(GetPropInfo(&TAll::ClassInfo, "Count")->HasDefault);
    EXPECT_TRUE(GetPropInfo(&TAll::ClassInfo, "Ratio")->HasDefault);
    EXPECT_EQ(GetPropInfo(&TAll::ClassInfo, "Colour")->OrdDefault, int64_t(clHighlight));
    EXPECT_EQ(GetPropInfo(&TAll::ClassInfo, "Basket")->OrdDefault, 1);
}

TEST(TypInfo, PropListPutsAncestorsFirstAndRedeclaredInPlace) {
    std::vector<String> base = {"Flag",  "Count", "Byte", "Colour", "Big", "Fruit",    "Mid",     "Basket",
                                "Ratio", "Text",  "Wide", "Sub",    "Ref", "OnChange", "ReadOnly"};
    EXPECT_EQ(Names(GetPropList(&TAll::ClassInfo)), base);
    std::vector<String> derived = base;
    derived[2] = "BYTE";
    derived.push_back("Extra");
    EXPECT_EQ(Names(GetPropList(&TAllDerived::ClassInfo)), derived);
    // The most derived declaration answers a lookup, whatever the case of the name.
    EXPECT_EQ(GetPropInfo(&TAllDerived::ClassInfo, "byte")->OrdDefault, 9);
    EXPECT_EQ(GetPropInfo(&TAll::ClassInfo, "byte")->OrdDefault, 7);
    EXPECT_EQ(GetPropInfo(&TAll::ClassInfo, "Extra"), nullptr);
    // TComponent publishes Name (not stored: the record header carries it) and Tag.
    EXPECT_EQ(Names(GetPropList(&TRef::ClassInfo)), (std::vector<String>{"Name", "Tag"}));
}

TEST(TypInfo, OrdinalAccessGoesThroughFieldsAndSetters) {
    TAll a;
    SetOrdProp(&a, "Count", 12);
    EXPECT_EQ(a.FCount, 12);
    EXPECT_EQ(a.FSetCalls, 1);
    EXPECT_EQ(GetOrdProp(&a, "count"), 12);

    // An unsigned 32-bit colour travels as the signed Integer the stream holds.
    EXPECT_EQ(GetOrdProp(&a, "Colour"), -2147483635);
    SetOrdProp(&a, "Colour", 0xFF00FF);
    EXPECT_EQ(a.FColour, 0xFF00FFu);
    SetOrdProp(&a, "Colour", -1);
    EXPECT_EQ(a.FColour, 0xFFFFFFFFu);

    SetOrdProp(&a, "Byte", 300); // a Byte keeps its low 8 bits, as the framework's setters store them
    EXPECT_EQ(a.FByte, 44);
    SetOrdProp(&a, "Big", int64_t(1) << 40);
    EXPECT_EQ(a.FBig, int64_t(1) << 40);
    SetOrdProp(&a, "Flag", 1);
    EXPECT_TRUE(a.FFlag);
    EXPECT_EQ(GetOrdProp(&a, "ReadOnly"), 42);
}

TEST(TypInfo, EnumerationsAndSetsAsText) {
    EXPECT_EQ(GetEnumName(&TFruit_TypeInfo, 2), "frCherry");
    EXPECT_EQ(GetEnumName(&TFruit_TypeInfo, 4), "");
    EXPECT_EQ(GetEnumValue(&TFruit_TypeInfo, "FRDATE"), 3);
    EXPECT_EQ(GetEnumValue(&TFruit_TypeInfo, "frFig"), -1);
    EXPECT_EQ(GetEnumValue(&BooleanTypeInfo, "true"), 1);
    // A subrange has only its own members.
    EXPECT_EQ(GetEnumValue(&TMidFruit_TypeInfo, "frApple"), -1);
    EXPECT_EQ(GetEnumValue(&TMidFruit_TypeInfo, "frCherry"), 2);
    EXPECT_EQ(GetEnumName(&TMidFruit_TypeInfo, 3), "");

    TAll a;
    SetEnumProp(&a, "Fruit", "frdate");
    EXPECT_EQ(a.FFruit, frDate);
    EXPECT_EQ(GetEnumProp(&a, "Fruit"), "frDate");
    EXPECT_EQ(GetEnumProp(&a, "Flag"), "False");
    EXPECT_THROW(SetEnumProp(&a, "Mid", "frDate"), EPropertyError);
    // The field could not hold anything but a member.
    EXPECT_THROW(SetOrdProp(&a, "Fruit", 4), SysUtils::ERangeError);
    EXPECT_THROW(SetOrdProp(&a, "Mid", 0), SysUtils::ERangeError);

    a.FBasket = {frApple, frCherry};
    EXPECT_EQ(GetSetProp(&a, "Basket"), "frApple,frCherry");
    EXPECT_EQ(GetSetProp(&a, "Basket", true), "[frApple,frCherry]");
    SetSetProp(&a, "Basket", "[ frDate , frbanana ]");
    EXPECT_EQ(a.FBasket, (TFruits{frBanana, frDate}));
    SetSetProp(&a, "Basket", "[]");
    EXPECT_TRUE(a.FBasket.Empty());
    EXPECT_THROW(SetSetProp(&a, "Basket", "frFig"), EPropertyError);
    // Bits beyond the members are dropped.
    SetOrdProp(&a, "Basket", 0xFF);
    EXPECT_EQ(a.FBasket.ToInt(), 0x0Fu);
}

TEST(TypInfo, IntegersWithIdentifiers) {
    String ident;
    EXPECT_TRUE(IntToIdent(0xFF00FF, ident, ColourIdents, std::size(ColourIdents)));
    EXPECT_EQ(ident, "clFuchsia");
    EXPECT_FALSE(IntToIdent(0x123456, ident, ColourIdents, std::size(ColourIdents)));
    int32_t value = 0;
    EXPECT_TRUE(IdentToInt("CLHIGHLIGHT", value, ColourIdents, std::size(ColourIdents)));
    EXPECT_EQ(value, clHighlight);
    EXPECT_FALSE(IdentToInt("clPurple", value, ColourIdents, std::size(ColourIdents)));
}

TEST(TypInfo, StringsFloatsAndObjects) {
    TAll a;
    SetStrProp(&a, "Text", "héllo");
    EXPECT_EQ(a.FText, "héllo");
    SetStrProp(&a, "Wide", "wide");
    EXPECT_EQ(GetStrProp(&a, "Wide"), "wide");
    SetFloatProp(&a, "Ratio", 0.1);
    EXPECT_EQ(GetFloatProp(&a, "Ratio"), 0.1);

    // A sub-object held in a field is set by copying: the object stays, its value changes.
    TSub* own = a.FSub.get();
    TSub other;
    other.FValue = 5;
    SetObjectProp(&a, "Sub", &other);
    EXPECT_EQ(a.FSub.get(), own);
    EXPECT_EQ(own->FValue, 5);
    EXPECT_EQ(GetObjectProp(&a, "Sub"), own);
    TOther wrong;
    EXPECT_THROW(SetObjectProp(&a, "Sub", &wrong), EPropertyError);
    EXPECT_EQ(own->FValue, 5);

    // A reference is just stored.
    TRef ref(nullptr);
    SetObjectProp(&a, "Ref", &ref);
    EXPECT_EQ(a.FRef, &ref);
    SetObjectProp(&a, "Ref", nullptr);
    EXPECT_EQ(a.FRef, nullptr);
    TComponent plain(nullptr);
    EXPECT_THROW(SetObjectProp(&a, "Ref", &plain), EPropertyError);
}

TEST(TypInfo, AccessChecksKindNameAndWritability) {
    TAll a;
    try {
        GetOrdProp(&a, "Text");
        FAIL();
    } catch (const EPropertyError& e) {
        EXPECT_EQ(e.Message(), "Property Text is not of this kind");
    }
    try {
        SetOrdProp(&a, "ReadOnly", 1);
        FAIL();
    } catch (const EPropertyError& e) {
        EXPECT_EQ(e.Message(), "Property ReadOnly is read-only");
    }
    try {
        GetStrProp(&a, "Nope");
        FAIL();
    } catch (const EPropertyError& e) {
        EXPECT_EQ(e.Message(), "Unknown property: Nope");
    }
    EXPECT_THROW(GetFloatProp(&a, "Count"), EPropertyError);
    EXPECT_THROW(GetObjectProp(&a, "Count"), EPropertyError);
    EXPECT_THROW(GetMethodProp(&a, "Count"), EPropertyError);
    EXPECT_THROW(GetSetProp(&a, "Fruit"), EPropertyError);
    EXPECT_TRUE(IsPublishedProp(&a, "onchange"));
    EXPECT_FALSE(IsPublishedProp(&a, "FText"));
}

TEST(TypInfo, StoredPredicate) {
    TAll a;
    const TPropInfo* text = GetPropInfo(&a, "Text");
    EXPECT_TRUE(IsStoredProp(&a, text));
    a.FText = "skip";
    EXPECT_FALSE(IsStoredProp(&a, text));
    EXPECT_FALSE(IsStoredProp(&a, GetPropInfo(&TRef::ClassInfo, "Name")));
    EXPECT_TRUE(IsStoredProp(&a, GetPropInfo(&a, "Flag")));
}

TEST(TypInfo, ClassInformation) {
    TAllDerived d;
    TPersistent* p = &d;
    EXPECT_EQ(p->ClassName(), "TAllDerived");
    EXPECT_EQ(p->ClassType(), &TAllDerived::ClassInfo);
    EXPECT_TRUE(p->InheritsFrom(&TAll::ClassInfo));
    EXPECT_TRUE(p->Is<TPersistent>());
    EXPECT_TRUE(p->Is<TObject>());
    EXPECT_FALSE(p->Is<TComponent>());
    EXPECT_EQ(TAllDerived::ClassInfo.Parent, &TAll::ClassInfo);
    EXPECT_STREQ(TAllDerived::ClassInfo.UnitName, "TypInfoTest");
    EXPECT_EQ(TPersistent::ClassInfo.Parent, &TObject::ClassInfo);
    EXPECT_EQ(TObject::ClassInfo.Parent, nullptr);
    // The factory makes the most derived class; abstract classes have none.
    std::unique_ptr<TObject> made(TAllDerived::ClassInfo.Create(nullptr));
    EXPECT_EQ(made->ClassName(), "TAllDerived");
    EXPECT_EQ(TAbstract::ClassInfo.Create, nullptr);
    std::unique_ptr<TObject> ref(TRef::ClassInfo.Create(nullptr));
    EXPECT_EQ(ref->ClassType(), &TRef::ClassInfo);
}

TEST(Closures, BindCallCompareAndName) {
    TAll a, b;
    TNotifyEvent none;
    none(&a); // unassigned: nothing happens
    EXPECT_FALSE(none.Assigned());

    TNotifyEvent e = TNotifyEvent::Bind<&TAll::Handler>(&a);
    ASSERT_TRUE(e);
    e(&b);
    EXPECT_EQ(a.FHandled, 1);
    EXPECT_EQ(a.FLastSender, &b);
    EXPECT_STREQ(e.Name(), "Handler"); // from the published-methods table
    EXPECT_EQ(e.Data(), &a);

    EXPECT_TRUE(e == TNotifyEvent::Bind<&TAll::Handler>(&a));
    EXPECT_FALSE(e == TNotifyEvent::Bind<&TAll::Handler>(&b));
    EXPECT_FALSE(e == TNotifyEvent::Bind<&TAll::Unpublished>(&a));
    EXPECT_EQ(TNotifyEvent::Bind<&TAll::Unpublished>(&a).Name(), nullptr);

    using TIntEvent = System::TEvent<int(int)>;
    TIntEvent twice = TIntEvent::Bind<&TAll::Twice>(&a);
    EXPECT_EQ(twice(21), 42);
    EXPECT_EQ(TIntEvent()(21), 0); // unassigned: a value-initialised result
}

TEST(Closures, MethodPropertiesAndPublishedMethods) {
    TAll a, b;
    const TMethodInfo* m = FindMethod(&TAllDerived::ClassInfo, "HANDLER"); // inherited, any case
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(FindMethod(&TAll::ClassInfo, "Unpublished"), nullptr);

    SetMethodProp(&a, "OnChange", MethodOf(&b, *m));
    a.FOnChange(&a);
    EXPECT_EQ(b.FHandled, 1);
    TMethod got = GetMethodProp(&a, "OnChange");
    EXPECT_STREQ(got.Name, "Handler");
    EXPECT_EQ(got.Data, &b);
    EXPECT_EQ(got, TNotifyEvent::Bind<&TAll::Handler>(&b).GetMethod());

    // A closure of another signature is refused.
    auto twice = System::TEvent<int(int)>::Bind<&TAll::Twice>(&a);
    EXPECT_THROW(SetMethodProp(&a, "OnChange", twice.GetMethod()), EPropertyError);
    SetMethodProp(&a, "OnChange", TMethod());
    EXPECT_FALSE(a.FOnChange.Assigned());
    EXPECT_STREQ(MethodNameOf(&TAll::ClassInfo, got.Code), "Handler");
}

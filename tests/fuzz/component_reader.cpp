// Fuzz target: the component reader (TReader) on arbitrary bytes, with a few registered classes that have a
// property of every kind, a sub-object, binary data, a collection whose items hold references, and children
// streamed inside a parent.
//
// Each input is read (1) into an existing root, (2) as a root created by its class name, (3) as a sequence
// of records (an edition) owned by a root with a parent for them. Bad input must end in an exception of the
// framework's family (SysUtils::Exception); a crash, a sanitizer report (a leak included), a hang or another
// exception is a finding. Beyond that, these properties trap when broken:
//   - whatever the reader accepted, the writer writes, and what it wrote reads back and writes the same
//   bytes;
//   - after each input every component made is gone again, and a root that failed to read owns nothing.
//
// Seeds in component_reader/: forms and editions compiled with dfm from small text forms, and damaged copies.
#include "framework/core/ClassesCollection.h"
#include "framework/core/ClassesReaderWriter.h"
#include "framework/core/ClassesRegistry.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace Classes;
using namespace TypInfo;
using SysUtils::String;

namespace FuzzUnit {

int Live = 0;

PUBLISHED_ENUM(TFuzzShape, uint8_t, shCircle, shSquare, shTriangle)
using TFuzzShapes = System::TSet<TFuzzShape>;

constexpr TIdentMapEntry ColorIdents[] = {
    {0, "clBlack"}, {0xFF00FF, "clFuchsia"}, {int32_t(0x80000008), "clWindowText"}};
inline constexpr TTypeInfo TColor_TypeInfo = IntegerType("TColor", ColorIdents, std::size(ColorIdents));

class TFuzzFont : public TPersistent {
    DECLARE_CLASS(TFuzzFont, TPersistent)
public:
    void Assign(TPersistent* Source) override {
        if (auto* f = dynamic_cast<TFuzzFont*>(Source)) {
            FColor = f->FColor;
            FName = f->FName;
            FStyle = f->FStyle;
            return;
        }
        inherited::Assign(Source);
    }
    int32_t FColor = 0;
    String FName;
    TFuzzShapes FStyle;
};
PUBLISHED(TFuzzFont, "Fuzz", Prop<&TFuzzFont::FColor>("Color").Type(&TColor_TypeInfo).Default(0),
          Prop<&TFuzzFont::FName>("Name"), Prop<&TFuzzFont::FStyle>("Style").Default(TFuzzShapes{}));

class TFuzzProbe;

class TFuzzLine : public TCollectionItem {
    DECLARE_CLASS(TFuzzLine, TCollectionItem)
public:
    using TCollectionItem::TCollectionItem;
    String FText;
    TFuzzProbe* FLink = nullptr;
};

class TFuzzProbe : public TComponent {
    DECLARE_CLASS(TFuzzProbe, TComponent)
public:
    explicit TFuzzProbe(TComponent* AOwner) : TComponent(AOwner), FItems(this, &TFuzzLine::ClassInfo) {
        ++Live;
    }
    ~TFuzzProbe() override { --Live; }
    void SetFont(TFuzzFont* Value) { FFont->Assign(Value); }
    void SetBuddy(TFuzzProbe* Value) {
        if (FBuddy != nullptr) FBuddy->RemoveFreeNotification(this);
        FBuddy = Value;
        if (Value != nullptr) Value->FreeNotification(this);
    }
    TOwnedCollection* GetItems() { return &FItems; }
    void SetItems(TOwnedCollection* Value) { FItems.Assign(Value); }

    bool FFlag = false;
    int FCount = 0;
    uint8_t FSmall = 1;
    int32_t FColor = 0;
    int64_t FBig = 0;
    TFuzzShape FShape = shCircle;
    TFuzzShapes FShapes{shSquare};
    double FRatio = 0;
    String FCaption;
    String FHint;
    std::unique_ptr<TFuzzFont> FFont = std::make_unique<TFuzzFont>();
    std::vector<uint8_t> FData;
    TFuzzProbe* FBuddy = nullptr;
    TNotifyEvent FOnChange;
    TOwnedCollection FItems;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override {
        inherited::Notification(AComponent, Operation);
        if (Operation == opRemove && AComponent == FBuddy) FBuddy = nullptr;
    }
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
PUBLISHED(TFuzzProbe, "Fuzz", Prop<&TFuzzProbe::FFlag>("Flag").Default(false),
          Prop<&TFuzzProbe::FCount>("Count"), Prop<&TFuzzProbe::FSmall>("Small").Default(1),
          Prop<&TFuzzProbe::FColor>("Color").Type(&TColor_TypeInfo).Default(0),
          Prop<&TFuzzProbe::FBig>("Big").Default(0), Prop<&TFuzzProbe::FShape>("Shape").Default(shCircle),
          Prop<&TFuzzProbe::FShapes>("Shapes").Default(TFuzzShapes{shSquare}),
          Prop<&TFuzzProbe::FRatio>("Ratio"), Prop<&TFuzzProbe::FCaption>("Caption"),
          Prop<&TFuzzProbe::FHint>("Hint").Wide(), Prop<&TFuzzProbe::FFont, &TFuzzProbe::SetFont>("Font"),
          Prop<&TFuzzProbe::FBuddy, &TFuzzProbe::SetBuddy>("Buddy"), Prop<&TFuzzProbe::FOnChange>("OnChange"),
          Prop<&TFuzzProbe::GetItems, &TFuzzProbe::SetItems>("Items"));

PUBLISHED(TFuzzLine, "Fuzz", Prop<&TFuzzLine::FText>("Text"), Prop<&TFuzzLine::FLink>("Link"));

class TFuzzBoxed;

class TFuzzBox : public TComponent {
    DECLARE_CLASS(TFuzzBox, TComponent)
public:
    explicit TFuzzBox(TComponent* AOwner) : TComponent(AOwner) { ++Live; }
    ~TFuzzBox() override;
    void GetChildren(const TGetChildProc& Proc, TComponent*) override;
    std::vector<TFuzzBoxed*> FChildren;

protected:
    void SetChildOrder(TComponent* Child, int Order) override;
};
PUBLISHED(TFuzzBox, "Fuzz");

class TFuzzBoxed : public TComponent {
    DECLARE_CLASS(TFuzzBoxed, TComponent)
public:
    explicit TFuzzBoxed(TComponent* AOwner) : TComponent(AOwner) { ++Live; }
    ~TFuzzBoxed() override {
        SetParent(nullptr);
        --Live;
    }
    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override { return FParent; }
    void SetParentComponent(TComponent* Value) override { SetParent(dynamic_cast<TFuzzBox*>(Value)); }
    void SetParent(TFuzzBox* Value) {
        if (FParent != nullptr) std::erase(FParent->FChildren, this);
        FParent = Value;
        if (Value != nullptr) Value->FChildren.push_back(this);
    }
    TFuzzBox* FParent = nullptr;
    int FValue = 0;
};
PUBLISHED(TFuzzBoxed, "Fuzz", Prop<&TFuzzBoxed::FValue>("Value").Default(0));

TFuzzBox::~TFuzzBox() {
    while (!FChildren.empty())
        FChildren.back()->SetParent(nullptr);
    --Live;
}
void TFuzzBox::GetChildren(const TGetChildProc& Proc, TComponent*) {
    for (TFuzzBoxed* c : std::vector<TFuzzBoxed*>(FChildren))
        Proc(c);
}
void TFuzzBox::SetChildOrder(TComponent* Child, int Order) {
    auto* c = static_cast<TFuzzBoxed*>(Child);
    if (c->FParent != this) return;
    std::erase(FChildren, c);
    size_t at = Order < 0 ? 0 : std::min<size_t>(size_t(Order), FChildren.size());
    FChildren.insert(FChildren.begin() + ptrdiff_t(at), c);
}

class TFuzzRoot : public TComponent {
    DECLARE_CLASS(TFuzzRoot, TComponent)
public:
    explicit TFuzzRoot(TComponent* AOwner) : TComponent(AOwner) { ++Live; }
    ~TFuzzRoot() override { --Live; }
    void GetChildren(const TGetChildProc& Proc, TComponent*) override {
        for (int i = 0; i < GetComponentCount(); ++i)
            if (!GetComponent(i)->HasParent()) Proc(GetComponent(i));
    }
    void Click(TObject*) {}
    void Other(TObject*) {}
};
PUBLISHED(TFuzzRoot, "Fuzz", PUBLISHED_METHOD(TFuzzRoot, Click), PUBLISHED_METHOD(TFuzzRoot, Other));

void Check(bool condition) {
    if (!condition) std::abort();
}

void Load(TMemoryStream& m, const void* data, size_t size) {
    m.Clear();
    if (size) m.WriteBuffer(data, size);
    m.SetPosition(0);
}

std::vector<uint8_t> Written(TComponent* root) {
    TMemoryStream m;
    WriteComponentToStream(m, root);
    return m.Bytes();
}

// What the reader accepted, the writer writes; that reads back and writes the same bytes.
void CheckRewrite(TComponent* root) {
    std::vector<uint8_t> first;
    try {
        first = Written(root);
    } catch (const SysUtils::Exception&) {
        std::abort();
    }
    TFuzzRoot again(nullptr);
    TMemoryStream m;
    Load(m, first.data(), first.size());
    try {
        ReadComponentFromStream(m, &again);
    } catch (const SysUtils::Exception&) {
        std::abort();
    }
    Check(Written(&again) == first);
}

} // namespace FuzzUnit

using namespace FuzzUnit;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    RegisterClasses(
        {&TFuzzRoot::ClassInfo, &TFuzzProbe::ClassInfo, &TFuzzBox::ClassInfo, &TFuzzBoxed::ClassInfo});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMemoryStream m;
    // 1. Into an existing root.
    {
        TFuzzRoot root(nullptr);
        Load(m, data, size);
        bool ok = true;
        try {
            ReadComponentFromStream(m, &root);
        } catch (const SysUtils::Exception&) {
            ok = false;
        }
        if (ok)
            CheckRewrite(&root);
        else
            Check(root.GetComponentCount() == 0 && !root.GetComponentState().Contains(csLoading));
    }
    Check(Live == 0);
    // 2. A root made by the class named in the stream.
    {
        Load(m, data, size);
        try {
            std::unique_ptr<TComponent> root = ReadComponentFromStream(m);
            if (root->ClassType() == &TFuzzRoot::ClassInfo) CheckRewrite(root.get());
        } catch (const SysUtils::Exception&) {
        }
    }
    Check(Live == 0);
    // 3. A sequence of records owned by a root, with a box as their parent.
    {
        TFuzzRoot owner(nullptr);
        auto* box = new TFuzzBox(&owner);
        box->SetName("Parent");
        Load(m, data, size);
        std::vector<TComponent*> handed;
        try {
            TReader reader(m);
            reader.ReadComponents(&owner, box, [&](TComponent* c) { handed.push_back(c); });
        } catch (const SysUtils::Exception&) {
        }
        // Every record handed over stays, owned by the owner, loaded (the failing one went with its record).
        for (TComponent* c : handed)
            Check(c->GetOwner() == &owner && !c->GetComponentState().Contains(csLoading));
        CheckRewrite(&owner);
    }
    Check(Live == 0);
    return 0;
}

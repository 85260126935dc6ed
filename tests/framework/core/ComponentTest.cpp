// Components: ownership, the destruction order, free notification, names, Assign, collections.
#include "framework/core/ClassesCollection.h"
#include "framework/core/ClassesComponent.h"

#include <gtest/gtest.h>

#include <memory>

using namespace Classes;
using SysUtils::String;

namespace ComponentTestUnit {

std::vector<String>& Log() {
    static std::vector<String> log;
    return log;
}

String Flag(const TComponent* c) {
    return c->GetComponentState().Contains(csDestroying) ? " [destroying]" : "";
}

// Logs its notifications and its destruction (with whether it is marked csDestroying by then).
class TLogged : public TComponent {
    DECLARE_CLASS(TLogged, TComponent)
public:
    explicit TLogged(TComponent* AOwner, const String& Name = "") : TComponent(AOwner) { SetName(Name); }
    ~TLogged() override { Log().push_back("destroy " + GetName() + Flag(this)); }

    using TComponent::Loaded;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override {
        Log().push_back(GetName() + (Operation == opInsert ? " insert " : " remove ") +
                        AComponent->GetName() + Flag(AComponent));
        inherited::Notification(AComponent, Operation);
    }
};
PUBLISHED(TLogged, "ComponentTest");

class TFoo : public TPersistent {
    DECLARE_CLASS(TFoo, TPersistent)
};
PUBLISHED(TFoo, "ComponentTest");

class TBar : public TPersistent {
    DECLARE_CLASS(TBar, TPersistent)
public:
    explicit TBar(TPersistent* Owner = nullptr) : FOwner(Owner) {}
    TPersistent* GetOwner() const override { return FOwner; }
    TPersistent* FOwner;
};
PUBLISHED(TBar, "ComponentTest");

class TItem : public TCollectionItem {
    DECLARE_CLASS(TItem, TCollectionItem)
public:
    using TCollectionItem::TCollectionItem;
    void Assign(TPersistent* Source) override {
        if (auto* s = dynamic_cast<TItem*>(Source)) {
            FValue = s->FValue;
            return;
        }
        inherited::Assign(Source);
    }
    void Touch() { Changed(false); }
    int FValue = 0;
};
PUBLISHED(TItem, "ComponentTest", TypInfo::Prop<&TItem::FValue>("Value").Default(0));

class TCountingCollection : public TOwnedCollection {
    DECLARE_CLASS(TCountingCollection, TOwnedCollection)
public:
    using TOwnedCollection::TOwnedCollection;
    int FUpdates = 0;
    TCollectionItem* FLastUpdated = nullptr;

protected:
    void Update(TCollectionItem* Item) override {
        ++FUpdates;
        FLastUpdated = Item;
    }
};
PUBLISHED(TCountingCollection, "ComponentTest");

class THolder : public TComponent {
    DECLARE_CLASS(THolder, TComponent)
public:
    explicit THolder(TComponent* AOwner) : TComponent(AOwner), FItems(this, &TItem::ClassInfo) {}
    TCountingCollection* GetItems() { return &FItems; }
    void SetItems(TCountingCollection* Value) { FItems.Assign(Value); }

private:
    TCountingCollection FItems;
};
PUBLISHED(THolder, "ComponentTest", TypInfo::Prop<&THolder::GetItems, &THolder::SetItems>("Items"));

// A root with published fields for two of its components.
class TRoot : public TComponent {
    DECLARE_CLASS(TRoot, TComponent)
public:
    using TComponent::TComponent;
    TLogged* Button1 = nullptr;
    TLogged* Timer1 = nullptr;
};
PUBLISHED(TRoot, "ComponentTest", PUBLISHED_FIELD(TRoot, Button1), PUBLISHED_FIELD(TRoot, Timer1));

} // namespace ComponentTestUnit

using namespace ComponentTestUnit;

class ComponentLog : public testing::Test {
protected:
    void SetUp() override { Log().clear(); }
};

TEST_F(ComponentLog, DestroyFollowsTheFrameworksOrder) {
    TLogged g(nullptr, "G");
    auto* o = new TLogged(&g, "O");
    new TLogged(&g, "P");
    auto* a = new TLogged(o, "A");
    auto* b = new TLogged(o, "B");
    new TLogged(o, "C");
    (void)a;
    auto s = std::make_unique<TLogged>(nullptr, "S");
    auto t = std::make_unique<TLogged>(nullptr, "T");
    o->FreeNotification(s.get());
    b->FreeNotification(t.get());
    Log().clear();

    delete o;
    std::vector<String> expected = {
        // The derived destructor runs first, as the framework's Destroy before its inherited one.
        "destroy O",
        // 1. The subtree is marked, 2. the subscriber told (it already sees O and its components destroying).
        "S remove O [destroying]",
        // 3. Owned components go last-created first; each tells its own subscribers.
        "destroy C [destroying]",
        "destroy B [destroying]",
        "T remove B [destroying]",
        "destroy A [destroying]",
        // 4. O leaves its owner, which tells its components (O itself answers with TComponent's version).
        "G remove O [destroying]",
        "P remove O [destroying]",
    };
    EXPECT_EQ(Log(), expected);
    EXPECT_EQ(g.GetComponentCount(), 1);
    // Nobody holds a link to the freed ones: the subscribers go without telling anybody.
    Log().clear();
    s.reset();
    t.reset();
    EXPECT_EQ(Log(), (std::vector<String>{"destroy S", "destroy T"}));
}

TEST_F(ComponentLog, InsertAndRemoveNotifyTheOwnerAndItsComponents) {
    TLogged g(nullptr, "G");
    new TLogged(&g, "P");
    auto x = std::make_unique<TLogged>(nullptr, "X");
    Log().clear();
    g.InsertComponent(x.get());
    TLogged* owned = x.release();
    EXPECT_EQ(Log(), (std::vector<String>{"G insert X", "X insert X", "P insert X"}));
    EXPECT_EQ(owned->GetOwner(), &g);
    EXPECT_EQ(owned->GetComponentIndex(), 1);

    Log().clear();
    g.RemoveComponent(owned); // given up, not freed: the caller owns it now
    std::unique_ptr<TLogged> back(owned);
    EXPECT_EQ(Log(), (std::vector<String>{"G remove X", "X remove X", "P remove X"}));
    EXPECT_EQ(back->GetOwner(), nullptr);
    EXPECT_EQ(g.GetComponentCount(), 1);
}

TEST_F(ComponentLog, FreeNotificationIsMutualAndUndone) {
    auto x = std::make_unique<TLogged>(nullptr, "X");
    auto y = std::make_unique<TLogged>(nullptr, "Y");
    x->FreeNotification(y.get());
    x->FreeNotification(y.get()); // once only
    // Y goes first: X hears of it and forgets Y, so X's own end tells nobody.
    y.reset();
    EXPECT_EQ(Log(), (std::vector<String>{"destroy Y", "X remove Y [destroying]"}));
    Log().clear();
    x.reset();
    EXPECT_EQ(Log(), (std::vector<String>{"destroy X"}));

    // Removed subscriptions are not told.
    auto p = std::make_unique<TLogged>(nullptr, "P");
    auto q = std::make_unique<TLogged>(nullptr, "Q");
    p->FreeNotification(q.get());
    q->RemoveFreeNotification(p.get());
    EXPECT_FALSE(p->GetComponentState().Contains(csFreeNotification));
    Log().clear();
    p.reset();
    EXPECT_EQ(Log(), (std::vector<String>{"destroy P"}));

    // A component does not subscribe to its own owner: the owner tells it anyway.
    TLogged owner(nullptr, "O");
    auto* child = new TLogged(&owner, "C");
    child->FreeNotification(&owner);
    EXPECT_FALSE(child->GetComponentState().Contains(csFreeNotification));
}

TEST(Component, NamesAreIdentifiersUniquePerOwnerIgnoringCase) {
    TComponent owner(nullptr);
    auto* a = new TComponent(&owner);
    auto* b = new TComponent(&owner);
    for (const char* bad : {"1abc", "a b", "caf\xC3\xA9", "a.b", "-"}) {
        SCOPED_TRACE(bad);
        try {
            a->SetName(bad);
            FAIL();
        } catch (const EComponentError& e) {
            EXPECT_EQ(e.Message(), "'" + String(bad) + "' is not a valid component name");
        }
    }
    a->SetName("Button1");
    try {
        b->SetName("BUTTON1");
        FAIL();
    } catch (const EComponentError& e) {
        EXPECT_EQ(e.Message(), "A component named BUTTON1 already exists");
    }
    EXPECT_EQ(b->GetName(), "");
    a->SetName("button1"); // its own name in another case
    EXPECT_EQ(a->GetName(), "button1");
    b->SetName("_Second2");
    new TComponent(&owner); // unnamed components may repeat
    new TComponent(&owner);
    EXPECT_EQ(owner.FindComponent("BUTTON1"), a);
    EXPECT_EQ(owner.FindComponent("_second2"), b);
    EXPECT_EQ(owner.FindComponent(""), nullptr);
    EXPECT_EQ(owner.FindComponent("Nope"), nullptr);
    // Lookups follow renames and removals.
    a->SetName("Renamed");
    EXPECT_EQ(owner.FindComponent("button1"), nullptr);
    EXPECT_EQ(owner.FindComponent("RENAMED"), a);
    a->SetName("button1");

    // Inserting a component whose name is taken fails and leaves it where it was.
    auto stray = std::make_unique<TComponent>(nullptr);
    stray->SetName("Button1");
    EXPECT_THROW(owner.InsertComponent(stray.get()), EComponentError);
    EXPECT_EQ(stray->GetOwner(), nullptr);
    EXPECT_EQ(owner.GetComponentCount(), 4);

    // A component moves from one owner to another.
    TComponent other(nullptr);
    other.InsertComponent(b);
    EXPECT_EQ(b->GetOwner(), &other);
    EXPECT_EQ(owner.GetComponentCount(), 3);
    EXPECT_EQ(owner.FindComponent("_Second2"), nullptr);
    EXPECT_EQ(other.FindComponent("_SECOND2"), b);
    b->SetName("");
    EXPECT_EQ(other.FindComponent("_Second2"), nullptr);
    EXPECT_EQ(b->GetNamePath(), "");
}

TEST(Component, PublishedFieldsFollowTheirComponentsByName) {
    TRoot root(nullptr);
    auto* a = new TLogged(&root, "button1"); // names match ignoring case
    EXPECT_EQ(root.Button1, a);
    EXPECT_EQ(root.Timer1, nullptr);
    a->SetName("Other");
    EXPECT_EQ(root.Button1, nullptr);
    auto* t = new TLogged(&root);
    EXPECT_EQ(root.Timer1, nullptr); // no name yet
    t->SetName("Timer1");
    EXPECT_EQ(root.Timer1, t);
    a->SetName("Button1");
    EXPECT_EQ(root.Button1, a);
    // A component of another class never lands in a field.
    TRoot wrongOwner(nullptr);
    auto* foreign = new TRoot(&wrongOwner);
    foreign->SetName("Button1");
    EXPECT_EQ(wrongOwner.Button1, nullptr);
    // Leaving the owner or dying clears the field.
    root.RemoveComponent(a);
    EXPECT_EQ(root.Button1, nullptr);
    delete a;
    delete t;
    EXPECT_EQ(root.Timer1, nullptr);
    ASSERT_NE(TypInfo::FindField(&TRoot::ClassInfo, "TIMER1"), nullptr);
    EXPECT_EQ(TypInfo::FindField(&TRoot::ClassInfo, "Timer1")->FieldClass, &TLogged::ClassInfo);
    EXPECT_EQ(TypInfo::GetFieldList(&TRoot::ClassInfo).size(), 2u);
}

TEST(Component, IndexDesigningAndCreationByClass) {
    TComponent owner(nullptr);
    auto* a = new TComponent(&owner);
    auto* b = new TComponent(&owner);
    auto* c = new TComponent(&owner);
    b->SetComponentIndex(0);
    EXPECT_EQ(owner.GetComponent(0), b);
    c->SetComponentIndex(-5); // clamped
    EXPECT_EQ(owner.GetComponent(0), c);
    a->SetComponentIndex(99);
    EXPECT_EQ(owner.GetComponent(2), a);
    try {
        owner.GetComponent(3);
        FAIL();
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message(), "List index out of bounds (3)");
    }

    owner.SetDesigning(true);
    EXPECT_TRUE(a->GetComponentState().Contains(csDesigning));
    auto* d = new TComponent(&owner); // inserted into a designed owner
    EXPECT_TRUE(d->GetComponentState().Contains(csDesigning));
    owner.RemoveComponent(d);
    std::unique_ptr<TComponent> dd(d);
    EXPECT_FALSE(d->GetComponentState().Contains(csDesigning));

    // The virtual constructor.
    TComponent* made = CreateComponent(&TLogged::ClassInfo, &owner);
    EXPECT_EQ(made->ClassType(), &TLogged::ClassInfo);
    EXPECT_EQ(made->GetOwner(), &owner);
    EXPECT_THROW(CreateComponent(&TFoo::ClassInfo, &owner), EComponentError);
    EXPECT_THROW(CreateComponent(nullptr, &owner), EComponentError);

    owner.DestroyComponents();
    EXPECT_EQ(owner.GetComponentCount(), 0);
}

TEST(Component, NestedAndGlobalLookup) {
    TComponent root(nullptr);
    root.SetName("Root");
    auto* panel = new TComponent(&root);
    panel->SetName("Panel");
    auto* button = new TComponent(panel);
    button->SetName("Button");
    EXPECT_EQ(FindNestedComponent(&root, "panel.BUTTON"), button);
    EXPECT_EQ(FindNestedComponent(&root, "Owner"), &root);
    EXPECT_EQ(FindNestedComponent(&root, "Panel.Owner"), panel);
    EXPECT_EQ(FindNestedComponent(&root, "Panel.Nope"), nullptr);
    EXPECT_EQ(FindNestedComponent(&root, ""), nullptr);

    static TComponent* registered;
    registered = &root;
    auto proc = [](const String& name) -> TComponent* {
        return SysUtils::SameText(name, registered->GetName()) ? registered : nullptr;
    };
    EXPECT_EQ(FindGlobalComponent("Root"), nullptr);
    RegisterFindGlobalComponentProc(proc);
    EXPECT_EQ(FindGlobalComponent("ROOT"), &root);
    UnregisterFindGlobalComponentProc(proc);
    EXPECT_EQ(FindGlobalComponent("Root"), nullptr);
}

TEST(Persistent, AssignErrorsNameBothClasses) {
    TFoo foo;
    TBar bar;
    try {
        foo.Assign(&bar);
        FAIL();
    } catch (const SysUtils::EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a TBar to a TFoo");
    }
    try {
        bar.Assign(nullptr);
        FAIL();
    } catch (const SysUtils::EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a nil to a TBar");
    }
    // The name path follows the owners.
    TComponent owner(nullptr);
    owner.SetName("Form1");
    TBar sub(&owner);
    EXPECT_EQ(sub.GetNamePath(), "Form1.TBar");
    EXPECT_EQ(bar.GetNamePath(), "TBar");
}

TEST(Collection, ItemsAreOwnedNumberedAndCopied) {
    THolder holder(nullptr);
    holder.SetName("Holder");
    TCountingCollection* items = holder.GetItems();
    auto* first = static_cast<TItem*>(items->Add());
    auto* second = static_cast<TItem*>(items->Add());
    auto* third = static_cast<TItem*>(items->Insert(0));
    EXPECT_EQ(items->GetCount(), 3);
    EXPECT_EQ(items->GetItem(0), third);
    EXPECT_EQ(first->GetID(), 0);
    EXPECT_EQ(third->GetID(), 2);
    EXPECT_EQ(items->FindItemID(1), second);
    EXPECT_EQ(second->GetIndex(), 2);
    EXPECT_EQ(second->GetNamePath(), "Holder.Items[2]");
    EXPECT_EQ(second->GetOwner(), items);

    // Updates: one per change, none inside BeginUpdate/EndUpdate but one at its end.
    items->FUpdates = 0;
    second->Touch();
    EXPECT_EQ(items->FUpdates, 1);
    EXPECT_EQ(items->FLastUpdated, second);
    items->BeginUpdate();
    second->Touch();
    items->Add();
    items->EndUpdate();
    EXPECT_EQ(items->FUpdates, 2);
    EXPECT_EQ(items->FLastUpdated, nullptr);

    delete second; // leaves its collection
    EXPECT_EQ(items->GetCount(), 3);
    items->Delete(0);
    EXPECT_EQ(items->GetItem(0), first);
    EXPECT_THROW(items->GetItem(5), EListError);

    first->FValue = 7;
    THolder copy(nullptr);
    copy.SetItems(items);
    ASSERT_EQ(copy.GetItems()->GetCount(), 2);
    EXPECT_EQ(static_cast<TItem*>(copy.GetItems()->GetItem(0))->FValue, 7);
    EXPECT_NE(copy.GetItems()->GetItem(0), first);
    items->Clear();
    EXPECT_EQ(items->GetCount(), 0);

    EXPECT_THROW(TCollection{&TFoo::ClassInfo}, SysUtils::EInvalidCast);
    TBar bar;
    EXPECT_THROW(items->Assign(&bar), SysUtils::EConvertError);
}

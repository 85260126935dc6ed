// OrderSecond: the registrations of every kind.
#include "tests/ide/OrderUnits.h"

#include "framework/vcl/DsgnIntf.h"

namespace OrderSecond {

using namespace TypInfo;

TOrderComponent::TOrderComponent(Classes::TComponent* AOwner)
    : TComponent(AOwner), FThing(std::make_unique<TOrderThing>()), FOther(std::make_unique<TOrderThing>()) {}

TOrderComponent::~TOrderComponent() = default;

int TOrderComponent::KindNumber() const {
    return 40 + FKind;
}

PUBLISHED(TOrderThing, "OrderSecond");
PUBLISHED(TOrderComponent, "OrderSecond", Prop<&TOrderComponent::FKind>("Kind").Default(okOne),
          Prop<&TOrderComponent::FKinds>("Kinds"), Prop<&TOrderComponent::FThing>("Thing"),
          Prop<&TOrderComponent::FOther>("Other"));
PUBLISHED(TOrderItem, "OrderSecond");
PUBLISHED(TOrderEditor, "OrderSecond");
PUBLISHED(TOrderKindEditor, "OrderSecond");
PUBLISHED(TOrderThingEditor, "OrderSecond");
PUBLISHED(TOrderNamedEditor, "OrderSecond");

void Initialization() {
    OrderTest::Log(L"OrderSecond+");
}

void Finalization() {
    OrderTest::Log(L"OrderSecond-");
}

void Register() {
    DsgnIntf::RegisterComponents("Order", {&TOrderComponent::ClassInfo});
    DsgnIntf::RegisterNoIcon({&TOrderItem::ClassInfo});
    DsgnIntf::RegisterClasses({&TOrderThing::ClassInfo});
    DsgnIntf::RegisterComponentEditor(&TOrderComponent::ClassInfo, &TOrderEditor::ClassInfo);
    DsgnIntf::RegisterPropertyEditor(&TOrderKind_TypeInfo, nullptr, "", &TOrderKindEditor::ClassInfo);
    DsgnIntf::RegisterPropertyEditor(&TOrderThing::ClassInfo, nullptr, "", &TOrderThingEditor::ClassInfo);
    DsgnIntf::RegisterPropertyEditor(&TOrderThing::ClassInfo, &TOrderComponent::ClassInfo, "OTHER",
                                     &TOrderNamedEditor::ClassInfo);
    OrderTest::Log(L"OrderSecond.Register");
}

} // namespace OrderSecond

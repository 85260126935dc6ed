// OrderFirst: its classes known to streams while it is initialised.
#include "tests/ide/OrderUnits.h"

#include "framework/core/ClassesRegistry.h"

namespace OrderFirst {

void Initialization() {
    OrderTest::Log(L"OrderFirst+");
    Classes::RegisterClasses({&OrderSecond::TOrderThing::ClassInfo});
}

void Finalization() {
    Classes::UnRegisterClasses({&OrderSecond::TOrderThing::ClassInfo});
    OrderTest::Log(L"OrderFirst-");
}

} // namespace OrderFirst

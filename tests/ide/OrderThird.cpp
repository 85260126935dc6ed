// OrderThird and NeedsUnit: units that only log.
#include "tests/ide/OrderUnits.h"

namespace OrderThird {

void Initialization() {
    OrderTest::Log(L"OrderThird+");
}

void Finalization() {
    OrderTest::Log(L"OrderThird-");
}

} // namespace OrderThird

namespace NeedsUnit {

void Initialization() {
    OrderTest::Log(L"NeedsUnit+");
}

void Finalization() {
    OrderTest::Log(L"NeedsUnit-");
}

} // namespace NeedsUnit

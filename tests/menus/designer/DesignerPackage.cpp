// The designer tests link the package: it is initialised before them and finalised after them.
#include "tests/support/PackageTest.h"

[[maybe_unused]] static testing::Environment* const LinkedPackage =
    testing::AddGlobalTestEnvironment(new PackageTest::TLinkedPackage(L"VeskMenus.dll"));

// The class registry: registration with ancestors, lookup by name, removal, conflicts.
#include "framework/core/ClassesComponent.h"
#include "framework/core/ClassesRegistry.h"

#include <gtest/gtest.h>

using namespace Classes;

namespace RegistryTestA {
class TRegBase : public TComponent {
    DECLARE_CLASS(TRegBase, TComponent)
public:
    using TComponent::TComponent;
};
PUBLISHED(TRegBase, "RegistryTest");
class TRegDerived : public TRegBase {
    DECLARE_CLASS(TRegDerived, TRegBase)
public:
    using TRegBase::TRegBase;
};
PUBLISHED(TRegDerived, "RegistryTest");
class TRegTwin : public TPersistent {
    DECLARE_CLASS(TRegTwin, TPersistent)
};
PUBLISHED(TRegTwin, "RegistryTest");
} // namespace RegistryTestA

namespace RegistryTestB {
// Another class with the same name, from another unit.
class TRegTwin : public TPersistent {
    DECLARE_CLASS(TRegTwin, TPersistent)
};
PUBLISHED(TRegTwin, "RegistryTest2");
} // namespace RegistryTestB

using namespace RegistryTestA;

TEST(Registry, RegistersAncestorsAndFindsByNameIgnoringCase) {
    EXPECT_EQ(GetClass("TRegDerived"), nullptr);
    EXPECT_EQ(GetClass("TRegBase"), nullptr);
    RegisterClass(&TRegDerived::ClassInfo);
    EXPECT_EQ(GetClass("tregderived"), &TRegDerived::ClassInfo);
    EXPECT_EQ(GetClass("TREGBASE"), &TRegBase::ClassInfo); // its ancestors come with it
    EXPECT_EQ(GetClass("TComponent"), &TComponent::ClassInfo);
    EXPECT_EQ(GetClass("TPersistent"), &TPersistent::ClassInfo);
    EXPECT_EQ(GetClass("TObject"), nullptr); // up to TPersistent only
    RegisterClass(&TRegDerived::ClassInfo);  // again: nothing happens

    // Found, a registered class makes components by name.
    TComponent owner(nullptr);
    TComponent* made = CreateComponent(FindClass("TRegDerived"), &owner);
    EXPECT_EQ(made->ClassType(), &TRegDerived::ClassInfo);

    try {
        FindClass("TNope");
        FAIL();
    } catch (const EClassNotFound& e) {
        EXPECT_EQ(e.Message(), "Class TNope not found");
    }

    // Unregistering takes the class itself out, not its ancestors.
    UnRegisterClass(&TRegDerived::ClassInfo);
    EXPECT_EQ(GetClass("TRegDerived"), nullptr);
    EXPECT_EQ(GetClass("TRegBase"), &TRegBase::ClassInfo);
    UnRegisterClasses({&TRegBase::ClassInfo});
    EXPECT_EQ(GetClass("TRegBase"), nullptr);
    EXPECT_THROW(FindClass("TRegDerived"), EClassNotFound);
}

TEST(Registry, RefusesNameConflictsAndNonPersistentClasses) {
    RegisterClasses({&RegistryTestA::TRegTwin::ClassInfo});
    try {
        RegisterClass(&RegistryTestB::TRegTwin::ClassInfo);
        FAIL();
    } catch (const EFilerError& e) {
        EXPECT_EQ(e.Message(), "A class named TRegTwin already exists");
    }
    EXPECT_EQ(GetClass("TRegTwin"), &RegistryTestA::TRegTwin::ClassInfo);
    UnRegisterClass(&RegistryTestA::TRegTwin::ClassInfo);
    RegisterClass(&RegistryTestB::TRegTwin::ClassInfo); // the name is free again
    EXPECT_EQ(GetClass("TRegTwin"), &RegistryTestB::TRegTwin::ClassInfo);
    UnRegisterClass(&RegistryTestB::TRegTwin::ClassInfo);

    EXPECT_THROW(RegisterClass(&System::TObject::ClassInfo), EFilerError);
    EXPECT_THROW(RegisterClass(nullptr), EFilerError);
}

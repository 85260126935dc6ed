// The units of the IDE's test packages. IdeTestOrder holds OrderFirst, OrderSecond and OrderThird, which
// log their initialization, finalization and registration into the process's environment (IDE_TEST_LOG,
// which outlives the package) and fail where IDE_TEST_FAIL names the event; OrderSecond registers
// components, classes and editors of every kind. IdeTestNeeds holds NeedsUnit and requires IdeTestOrder.
#pragma once

#include "framework/core/ClassesComponent.h"

#include <windows.h>

#include <string>

namespace OrderTest {

inline std::wstring Env(const wchar_t* Name) {
    wchar_t buffer[4096];
    DWORD n = GetEnvironmentVariableW(Name, buffer, DWORD(std::size(buffer)));
    return n && n < std::size(buffer) ? std::wstring(buffer, n) : std::wstring();
}

// Appends "Event " to the log; raises "Event failed" instead when IDE_TEST_FAIL is Event.
inline void Log(const wchar_t* Event) {
    if (Env(L"IDE_TEST_FAIL") == Event) {
        std::wstring e(Event);
        throw SysUtils::Exception(SysUtils::Utf16ToUtf8(std::u16string(e.begin(), e.end())) + " failed");
    }
    SetEnvironmentVariableW(L"IDE_TEST_LOG", (Env(L"IDE_TEST_LOG") + Event + L" ").c_str());
}

} // namespace OrderTest

namespace OrderFirst {
void Initialization();
void Finalization();
} // namespace OrderFirst

namespace OrderSecond {

PUBLISHED_ENUM(TOrderKind, uint8_t, okOne, okTwo)
using TOrderKinds = System::TSet<TOrderKind>;

class TOrderThing : public Classes::TPersistent {
    DECLARE_CLASS(TOrderThing, Classes::TPersistent)
};
// A component with a property of each kind an editor is registered for.
class TOrderComponent : public Classes::TComponent {
    DECLARE_CLASS(TOrderComponent, Classes::TComponent)
public:
    explicit TOrderComponent(Classes::TComponent* AOwner);
    ~TOrderComponent() override;
    int KindNumber() const; // 40 + Kind

private:
    TOrderKind FKind = okOne;
    TOrderKinds FKinds;
    std::unique_ptr<TOrderThing> FThing, FOther;
};
class TOrderItem : public TOrderComponent {
    DECLARE_CLASS(TOrderItem, TOrderComponent)
public:
    using TOrderComponent::TOrderComponent;
};
// Stand-ins for editor classes.
class TOrderEditor : public Classes::TPersistent {
    DECLARE_CLASS(TOrderEditor, Classes::TPersistent)
};
class TOrderKindEditor : public TOrderEditor {
    DECLARE_CLASS(TOrderKindEditor, TOrderEditor)
};
class TOrderThingEditor : public TOrderEditor {
    DECLARE_CLASS(TOrderThingEditor, TOrderEditor)
};
class TOrderNamedEditor : public TOrderEditor {
    DECLARE_CLASS(TOrderNamedEditor, TOrderEditor)
};

void Initialization();
void Finalization();
void Register();

} // namespace OrderSecond

namespace OrderThird {
void Initialization();
void Finalization();
} // namespace OrderThird

namespace NeedsUnit {
void Initialization();
void Finalization();
} // namespace NeedsUnit

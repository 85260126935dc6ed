// System: the root of the object model.
//
// Declares: TObject (the base of every framework class: a virtual destructor and its class information),
// TClass (a class reference: a pointer to the class's type information) and TSet (a set of up to 32 members
// of an enumeration, stored as a bit mask, as the framework's small sets are).
//
//   class TFoo : public Classes::TPersistent { DECLARE_CLASS(TFoo, Classes::TPersistent) ... };
//   obj->ClassName();                        // "TFoo": the class of the object, not of the pointer
//   obj->InheritsFrom(&TFoo::ClassInfo);     // or obj->Is<TFoo>()
//
// A class gets its own class information with DECLARE_CLASS (TypInfo.h); a class without one reports the
// nearest ancestor that has it. Objects are not copyable: they have identity, as the framework's objects do.
#pragma once

#include "framework/core/SysUtils.h"

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace TypInfo {
struct TClassInfo;
}

namespace System {

using SysUtils::String;

// A class reference: the type information of a class (its name, parent, published properties, factory).
using TClass = const TypInfo::TClassInfo*;

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;

    // The class information of TObject itself; every DECLARE_CLASS adds one for its class.
    static const TypInfo::TClassInfo ClassInfo;

    // The class of the object. While a constructor or destructor of a base runs, the class of that base
    // (C++ builds and tears down an object one base at a time).
    virtual TClass ClassType() const { return &ClassInfo; }
    String ClassName() const;
    bool InheritsFrom(TClass cls) const;
    template <class T> bool Is() const { return InheritsFrom(&T::ClassInfo); }
};

// A set of members of the enumeration E (ordinal values 0 to 31), as a bit mask: bit n is member n.
template <class E> class TSet {
public:
    using TMember = E;
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> members) {
        for (E e : members)
            FBits |= Bit(e);
    }
    static constexpr TSet FromInt(uint32_t bits) {
        TSet s;
        s.FBits = bits;
        return s;
    }
    constexpr uint32_t ToInt() const { return FBits; }

    constexpr bool Contains(E e) const { return (FBits & Bit(e)) != 0; }
    constexpr bool Empty() const { return FBits == 0; }
    constexpr TSet& Include(E e) {
        FBits |= Bit(e);
        return *this;
    }
    constexpr TSet& Exclude(E e) {
        FBits &= ~Bit(e);
        return *this;
    }

    friend constexpr TSet operator+(TSet a, TSet b) { return FromInt(a.FBits | b.FBits); }
    friend constexpr TSet operator-(TSet a, TSet b) { return FromInt(a.FBits & ~b.FBits); }
    friend constexpr TSet operator*(TSet a, TSet b) { return FromInt(a.FBits & b.FBits); }
    friend constexpr bool operator==(TSet a, TSet b) { return a.FBits == b.FBits; }
    friend constexpr bool operator<=(TSet a, TSet b) { return (a.FBits & ~b.FBits) == 0; } // subset
    TSet& operator+=(TSet b) { return *this = *this + b; }
    TSet& operator-=(TSet b) { return *this = *this - b; }

private:
    static constexpr uint32_t Bit(E e) {
        auto n = static_cast<uint32_t>(e);
        return n < 32 ? uint32_t(1) << n : 0;
    }
    uint32_t FBits = 0;
};

// The command line. ParamStr(0) is the program's full path; ParamStr(1) ... ParamStr(ParamCount()) are its
// arguments, split at blanks; a double quote starts and ends a quoted part, which may hold blanks, and is
// not itself part of the argument. A backslash has no special meaning, so "C:\\dir\\" stays C:\\dir\\.
// A quoted empty argument ("") counts as an argument. ParamStr beyond ParamCount is "".
int ParamCount();
String ParamStr(int Index);
// The splitting rule above applied to a whole command line, the program's name included (testable anywhere).
std::vector<String> SplitCommandLine(std::string_view CommandLine);

} // namespace System

// TypInfo: type information of classes, their published properties and published methods.
//
// Declares: TTypeKind, TTypeInfo (integer, enumeration, set types), TPropInfo (one published property),
// TMethodInfo (one published method), TClassInfo (one class); the macros DECLARE_CLASS, PUBLISHED,
// PUBLISHED_ENUM and ENUM_TYPEINFO; and the property access functions that the component reader and writer,
// the text-form converter and the IDE's Object Inspector use (GetPropList, GetPropInfo, GetOrdProp, ...).
//
// A class declares its published properties once, in stream order, in a table beside the class:
//
//   // TShadow.h
//   PUBLISHED_ENUM(TShadowPosition, uint8_t, spLeftTop, spLeftBottom, spRightBottom, spRightTop)
//   class TShadow : public Classes::TPersistent {
//       DECLARE_CLASS(TShadow, Classes::TPersistent)
//   public:
//       void SetSize(int value);
//   private:
//       bool FActive = false;
//       int FSize = 1;
//       TShadowPosition FPos = spLeftTop;
//   };
//   // TShadow.cpp (inside the class's namespace)
//   using namespace TypInfo;
//   PUBLISHED(TShadow, "Shadows",
//       Prop<&TShadow::FActive>("Active").Default(false),             // a field, read and written
//       Prop<&TShadow::FSize, &TShadow::SetSize>("Size").Default(1),  // read the field, write through a
//       setter Prop<&TShadow::FPos>("Position").Default(spLeftTop));
//
// The kind of a property follows from its C++ type: bool, integers (up to 32 bits, or 64), enumerations with
// type information (PUBLISHED_ENUM), System::TSet of such, double, String (.Wide() writes it as a wide
// string), a pointer (or std::unique_ptr) to a TPersistent (a sub-object, streamed under dotted names; a
// field sub-object is set by Assign), a pointer to a TComponent (a reference to another component), a
// System::TEvent (an event). Ordinal properties without .Default(...) are always written, as in the
// framework; strings, floats, references and events are written when not empty, zero or unassigned
// (.NoDefault(): always). .Stored(false) or .Stored<&T::IsXStored>() decides per instance; .Type(&info) gives
// an integer identifiers (colours) or makes an integer field an enumeration or set.
//
// A redeclared property (the same name in a descendant's table) replaces the inherited one at its position.
// Published methods (for events bound by name from streams) go in the same list: Method<&TForm1::X>("X"), or
// PUBLISHED_METHOD(TForm1, X). So do the fields of a form that stand for its components:
// Field<&TForm1::Button1>("Button1"), or PUBLISHED_FIELD(TForm1, Button1); a component of that name sets
// the field when it joins the form (the reader creating it) and clears it when it leaves or is renamed.
#pragma once

#include "framework/core/SystemClosures.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <type_traits>
#include <typeinfo>
#include <vector>

namespace Classes {
class TPersistent;
class TComponent;
class TCollection;
class TCollectionItem;
} // namespace Classes

namespace TypInfo {

using System::TClass;
using System::TMethod;
using System::TObject;
using SysUtils::String;

VCL_EXCEPTION_CLASS(EPropertyError, SysUtils::Exception);

enum TTypeKind : uint8_t {
    tkUnknown,
    tkInteger, // up to 32 bits, written as the smallest integer (or as an identifier, see TTypeInfo::Idents)
    tkInt64,   // 64 bits
    tkEnumeration, // written as the member's name
    tkBool,        // written as False/True
    tkSet,         // written as the member names
    tkFloat,       // double, written as an 80-bit extended
    tkString,      // UTF-8 String
    tkWString,     // UTF-8 String, written as UTF-16
    tkClass,       // an owned TPersistent sub-object: its properties are written under "Name."
    tkComponent,   // a reference to a component, written as its name
    tkMethod,      // an event, written as the name of a published method of the root
};

// One named value of an integer type (clFuchsia = 0xFF00FF).
struct TIdentMapEntry {
    int32_t Value;
    const char* Name;
};

// Identifiers of an integer value, case-insensitive: false when there is none.
bool IntToIdent(int32_t value, String& ident, const TIdentMapEntry* map, size_t count);
bool IdentToInt(std::string_view ident, int32_t& value, const TIdentMapEntry* map, size_t count);

// The type of an ordinal property.
struct TTypeInfo {
    TTypeKind Kind = tkUnknown;
    const char* Name = "";
    // tkEnumeration, tkBool: member names by ordinal value; the type has the members MinValue..MaxValue.
    const std::string_view* Names = nullptr;
    int32_t MinValue = 0;
    int32_t MaxValue = -1;
    // tkSet: the type of the members.
    const TTypeInfo* CompType = nullptr;
    // tkInteger: named values, written as identifiers.
    const TIdentMapEntry* Idents = nullptr;
    size_t IdentCount = 0;
};

extern const TTypeInfo BooleanTypeInfo; // False, True
extern const TTypeInfo IntegerTypeInfo;
extern const TTypeInfo Int64TypeInfo;

constexpr TTypeInfo IntegerType(const char* name, const TIdentMapEntry* idents, size_t count) {
    TTypeInfo t;
    t.Kind = tkInteger;
    t.Name = name;
    t.Idents = idents;
    t.IdentCount = count;
    return t;
}
constexpr TTypeInfo EnumType(const char* name, const std::string_view* names, size_t count) {
    TTypeInfo t;
    t.Kind = tkEnumeration;
    t.Name = name;
    t.Names = names;
    t.MinValue = 0;
    t.MaxValue = int32_t(count) - 1;
    return t;
}
// The members first..last of an enumeration, as a type of its own ("alTop..alRight").
constexpr TTypeInfo SubrangeType(const char* name, const TTypeInfo& base, int32_t first, int32_t last) {
    TTypeInfo t = base;
    t.Name = name;
    t.MinValue = first;
    t.MaxValue = last;
    return t;
}
constexpr TTypeInfo SetType(const char* name, const TTypeInfo* members) {
    TTypeInfo t;
    t.Kind = tkSet;
    t.Name = name;
    t.CompType = members;
    return t;
}

// Names of enumeration members: GetEnumName gives "" outside the type, GetEnumValue -1 for an unknown name
// (compared ignoring case).
String GetEnumName(const TTypeInfo* type, int64_t value);
int GetEnumValue(const TTypeInfo* type, std::string_view name);
// A set as its member names, "omA,omB" (brackets: "[omA,omB]"), and back (brackets and blanks optional;
// EPropertyError "Unknown set member: %s" for a name that is not a member).
String SetToString(const TTypeInfo* setType, uint32_t value, bool brackets = false);
uint32_t StringToSet(const TTypeInfo* setType, std::string_view text);

struct TPropInfo;

namespace Detail {
template <class V> constexpr int64_t OrdOf(V v);
template <auto Fn> bool StoredThunk(TObject* obj);
} // namespace Detail

// One published property. Rows are made by Prop<...>("Name") and refined by the modifiers below.
struct TPropInfo {
    const char* Name = nullptr;
    TTypeKind Kind = tkUnknown;
    const TTypeInfo* PropType = nullptr;       // ordinal kinds
    TClass PropClass = nullptr;                // tkClass, tkComponent: the class of the value
    const std::type_info* Signature = nullptr; // tkMethod: R(A...) of the event

    // Accessors, generated from the member pointers; those of the property's kind are set. No setter: the
    // property is read-only (the writer skips it, the reader rejects it).
    int64_t (*GetOrd)(TObject*) = nullptr;
    void (*SetOrd)(TObject*, int64_t) = nullptr;
    double (*GetFloat)(TObject*) = nullptr;
    void (*SetFloat)(TObject*, double) = nullptr;
    String (*GetStr)(TObject*) = nullptr;
    void (*SetStr)(TObject*, const String&) = nullptr;
    TObject* (*GetObject)(TObject*) = nullptr;
    void (*SetObject)(TObject*, TObject*) = nullptr;
    TMethod (*GetMethod)(TObject*) = nullptr;
    void (*SetMethod)(TObject*, const TMethod&) = nullptr;

    // The declared default. Without one an ordinal is always written; other kinds default to empty/0/nil.
    bool HasDefault = false;
    int64_t OrdDefault = 0;
    double FloatDefault = 0;

    // Stored: a constant, or a predicate of the instance.
    bool StoredConst = true;
    bool (*StoredFn)(TObject*) = nullptr;

    bool IsOrdinal() const { return Kind >= tkInteger && Kind <= tkSet; }
    bool IsReadOnly() const { return !(SetOrd || SetFloat || SetStr || SetObject || SetMethod); }

    template <class V> constexpr TPropInfo Default(V value) const {
        TPropInfo r = *this;
        r.HasDefault = true;
        if constexpr (std::is_arithmetic_v<V> && !std::is_same_v<V, bool>) {
            if (Kind == tkFloat) {
                r.FloatDefault = double(value);
                return r;
            }
        }
        if constexpr (std::is_floating_point_v<V>) {
            throw "a floating-point default for a property that is not a float";
        } else {
            if (!IsOrdinalKind(Kind)) throw "only ordinal and float properties have a declared default";
            r.OrdDefault = Detail::OrdOf(value);
            if (Kind == tkInteger) r.OrdDefault = int64_t(int32_t(r.OrdDefault));
        }
        return r;
    }
    constexpr TPropInfo NoDefault() const {
        TPropInfo r = *this;
        r.HasDefault = false;
        return r;
    }
    constexpr TPropInfo Stored(bool stored) const {
        TPropInfo r = *this;
        r.StoredConst = stored;
        r.StoredFn = nullptr;
        return r;
    }
    template <auto Fn> constexpr TPropInfo Stored() const {
        TPropInfo r = *this;
        r.StoredFn = &Detail::StoredThunk<Fn>;
        return r;
    }
    // The type of an ordinal property: identifiers of an integer, or an integer field as enumeration/set.
    constexpr TPropInfo Type(const TTypeInfo* type) const {
        if (!IsOrdinalKind(Kind) || !IsOrdinalKind(type->Kind))
            throw "Type() applies to ordinal properties and ordinal types";
        TPropInfo r = *this;
        r.PropType = type;
        r.Kind = type->Kind;
        return r;
    }
    // A string written as UTF-16 (vaWString).
    constexpr TPropInfo Wide() const {
        if (Kind != tkString) throw "Wide() applies to string properties";
        TPropInfo r = *this;
        r.Kind = tkWString;
        return r;
    }

private:
    static constexpr bool IsOrdinalKind(TTypeKind k) { return k >= tkInteger && k <= tkSet; }
};

// One published method: a handler that streams bind by name.
struct TMethodInfo {
    const char* Name = nullptr;
    System::TCodePointer (*Code)() = nullptr;
    const std::type_info* Signature = nullptr;
};

// One published field: a member of a root class (a form) that points to one of its components, set when a
// component of that name joins the root and cleared when it leaves or is renamed, as the framework does.
struct TFieldInfo {
    const char* Name = nullptr;
    TClass FieldClass = nullptr;
    // Stores value (nullptr clears) and returns true, or returns false when value is not of FieldClass.
    bool (*Set)(TObject* root, TObject* value) = nullptr;
    TObject* (*Get)(TObject* root) = nullptr;
};

using TFactory = TObject* (*)(TObject* owner);

// One class. Unique per class (defined once, by PUBLISHED); compared by address.
struct TClassInfo {
    const char* ClassName;
    TClass Parent;
    const char* UnitName;
    // Makes an instance: components get owner as their owner (a TComponent), collection items their
    // collection; nullptr for abstract classes and those without such a constructor.
    TFactory Create;
    const TPropInfo* Props; // this class's own rows, in stream order
    size_t PropCount;
    const TMethodInfo* Methods;
    size_t MethodCount;
    const TFieldInfo* Fields = nullptr; // the component fields of a form class, bound by name
    size_t FieldCount = 0;

    bool InheritsFrom(TClass cls) const;
};

// ---- Property access --------------------------------------------------------------------------------------

// The published properties of a class, ancestors first, each in its declared order; a redeclared property
// takes the place of the inherited one.
std::vector<const TPropInfo*> GetPropList(TClass cls);
std::vector<const TPropInfo*> GetPropList(const TObject* obj);
// A property by name, ignoring case; nullptr when the class has none.
const TPropInfo* GetPropInfo(TClass cls, std::string_view name);
const TPropInfo* GetPropInfo(const TObject* obj, std::string_view name);
bool IsPublishedProp(const TObject* obj, std::string_view name);

// Typed access. A property of another kind raises EPropertyError "Property %s is not of this kind"; setting a
// read-only one "Property %s is read-only"; the name forms raise "Unknown property: %s" for a missing name.
int64_t GetOrdProp(TObject* obj, const TPropInfo* prop); // every ordinal kind; a set as its bits
void SetOrdProp(TObject* obj, const TPropInfo* prop, int64_t value);
double GetFloatProp(TObject* obj, const TPropInfo* prop);
void SetFloatProp(TObject* obj, const TPropInfo* prop, double value);
String GetStrProp(TObject* obj, const TPropInfo* prop);
void SetStrProp(TObject* obj, const TPropInfo* prop, const String& value);
TObject* GetObjectProp(TObject* obj, const TPropInfo* prop);
// A value of the wrong class raises EPropertyError "Invalid class typecast" (sub-objects are copied by
// Assign).
void SetObjectProp(TObject* obj, const TPropInfo* prop, TObject* value);
TMethod GetMethodProp(TObject* obj, const TPropInfo* prop);
// A closure of another signature raises EPropertyError "Incompatible method for property %s".
void SetMethodProp(TObject* obj, const TPropInfo* prop, const TMethod& value);
// Enumerations (and Booleans) and sets as text.
String GetEnumProp(TObject* obj, const TPropInfo* prop);
void SetEnumProp(TObject* obj, const TPropInfo* prop, std::string_view value); // EPropertyError when unknown
String GetSetProp(TObject* obj, const TPropInfo* prop, bool brackets = false);
void SetSetProp(TObject* obj, const TPropInfo* prop, std::string_view value);
// Whether the writer considers the property at all (its stored constant or predicate).
bool IsStoredProp(TObject* obj, const TPropInfo* prop);

int64_t GetOrdProp(TObject* obj, std::string_view name);
void SetOrdProp(TObject* obj, std::string_view name, int64_t value);
double GetFloatProp(TObject* obj, std::string_view name);
void SetFloatProp(TObject* obj, std::string_view name, double value);
String GetStrProp(TObject* obj, std::string_view name);
void SetStrProp(TObject* obj, std::string_view name, const String& value);
TObject* GetObjectProp(TObject* obj, std::string_view name);
void SetObjectProp(TObject* obj, std::string_view name, TObject* value);
TMethod GetMethodProp(TObject* obj, std::string_view name);
void SetMethodProp(TObject* obj, std::string_view name, const TMethod& value);
String GetEnumProp(TObject* obj, std::string_view name);
void SetEnumProp(TObject* obj, std::string_view name, std::string_view value);
String GetSetProp(TObject* obj, std::string_view name, bool brackets = false);
void SetSetProp(TObject* obj, std::string_view name, std::string_view value);

// ---- Published methods
// -------------------------------------------------------------------------------------

// A published method by name (ignoring case), searched in cls and its ancestors; nullptr if none.
const TMethodInfo* FindMethod(TClass cls, std::string_view name);
// A closure of the published method m of obj.
TMethod MethodOf(TObject* obj, const TMethodInfo& m);

// A published field by name (ignoring case), searched in cls and its ancestors; nullptr if none.
const TFieldInfo* FindField(TClass cls, std::string_view name);
// Every published field of cls and its ancestors.
std::vector<const TFieldInfo*> GetFieldList(TClass cls);

// ---- Building the tables
// -----------------------------------------------------------------------------------

namespace Detail {

template <class T> inline constexpr bool AlwaysFalse = false;
template <class T, class U> struct TDependent { using Type = U; };

template <class T> struct TIsSet : std::false_type {};
template <class E> struct TIsSet<System::TSet<E>> : std::true_type {};
template <class T> struct TIsEvent : std::false_type {};
template <class S> struct TIsEvent<System::TEvent<S>> : std::true_type { using Signature = S; };
template <class T> struct TUnwrap {
    using Type = T;
    static constexpr bool Owned = false;
};
template <class P, class D> struct TUnwrap<std::unique_ptr<P, D>> {
    using Type = P*;
    static constexpr bool Owned = true;
};

// What a member pointer reads or writes: Class, Value, Arity (-1 a field, 0 a getter, 1 a setter).
template <class M> struct TAccessor;
template <class C, class V>
requires(!std::is_function_v<V>) struct TAccessor<V C::*> {
    using Class = C;
    using Value = std::remove_cv_t<V>;
    static constexpr int Arity = -1;
};
template <class C, class R> struct TAccessor<R (C::*)() const> {
    using Class = C;
    using Value = std::remove_cvref_t<R>;
    static constexpr int Arity = 0;
};
template <class C, class R> struct TAccessor<R (C::*)() const noexcept> : TAccessor<R (C::*)() const> {};
template <class C, class R> struct TAccessor<R (C::*)()> : TAccessor<R (C::*)() const> {};
template <class C, class R, class P> struct TAccessor<R (C::*)(P)> {
    using Class = C;
    using Value = std::remove_cvref_t<P>;
    static constexpr int Arity = 1;
};

// The (unwrapped) value type of an accessor.
template <auto A> using TValueOf = typename TUnwrap<typename TAccessor<decltype(A)>::Value>::Type;

template <auto Set> constexpr bool IsSetter() {
    if constexpr (std::is_null_pointer_v<decltype(Set)>)
        return false;
    else
        return TAccessor<decltype(Set)>::Arity != 0;
}

// Type information of an enumeration: the PUBLISHED_ENUM / ENUM_TYPEINFO hook, found by argument-dependent
// lookup; this fallback makes a missing one a compile-time error.
void TypeInfoOf(...);
template <class E> constexpr const TTypeInfo* EnumTypeInfo() {
    using R = decltype(TypeInfoOf(static_cast<E*>(nullptr)));
    static_assert(!std::is_void_v<R>,
                  "the enumeration has no type information: declare it with PUBLISHED_ENUM");
    return TypeInfoOf(static_cast<E*>(nullptr));
}
template <class E> inline constexpr TTypeInfo SetTypeInfoOf = SetType("", EnumTypeInfo<E>());

template <class V> constexpr TTypeKind KindOf() {
    if constexpr (std::is_same_v<V, bool>)
        return tkBool;
    else if constexpr (std::is_enum_v<V>)
        return tkEnumeration;
    else if constexpr (TIsSet<V>::value)
        return tkSet;
    else if constexpr (std::is_integral_v<V>)
        return sizeof(V) <= 4 ? tkInteger : tkInt64;
    else if constexpr (std::is_floating_point_v<V>)
        return tkFloat;
    else if constexpr (std::is_same_v<V, String>)
        return tkString;
    else if constexpr (TIsEvent<V>::value)
        return tkMethod;
    else if constexpr (std::is_pointer_v<V> && std::is_class_v<std::remove_pointer_t<V>>) {
        using P = std::remove_cv_t<std::remove_pointer_t<V>>;
        if constexpr (std::is_base_of_v<Classes::TComponent, P>)
            return tkComponent;
        else if constexpr (std::is_base_of_v<Classes::TPersistent, P>)
            return tkClass;
        else
            return tkUnknown;
    } else
        return tkUnknown;
}

template <class V> constexpr const TTypeInfo* OrdTypeOf() {
    if constexpr (std::is_same_v<V, bool>)
        return &BooleanTypeInfo;
    else if constexpr (std::is_enum_v<V>)
        return EnumTypeInfo<V>();
    else if constexpr (TIsSet<V>::value)
        return &SetTypeInfoOf<typename V::TMember>;
    else if constexpr (std::is_integral_v<V>)
        return sizeof(V) <= 4 ? &IntegerTypeInfo : &Int64TypeInfo;
    else
        return nullptr;
}

// Ordinal values travel as int64_t: 32-bit integers as signed 32-bit patterns (so an unsigned TColor with the
// top bit set is the negative Integer the stream holds), sets as their bit masks.
template <class V> constexpr int64_t OrdOf(V v) {
    if constexpr (std::is_same_v<V, bool>)
        return v ? 1 : 0;
    else if constexpr (std::is_enum_v<V>)
        return OrdOf(static_cast<std::underlying_type_t<V>>(v));
    else if constexpr (TIsSet<V>::value)
        return int64_t(v.ToInt());
    else if constexpr (std::is_integral_v<V>) {
        if constexpr (sizeof(V) == 4)
            return int64_t(int32_t(v));
        else
            return int64_t(v);
    } else
        static_assert(AlwaysFalse<V>, "not an ordinal type");
}
template <class V> constexpr V FromOrd(int64_t n) {
    if constexpr (std::is_same_v<V, bool>)
        return n != 0;
    else if constexpr (std::is_enum_v<V>)
        return static_cast<V>(static_cast<std::underlying_type_t<V>>(n));
    else if constexpr (TIsSet<V>::value)
        return V::FromInt(uint32_t(n));
    else
        return static_cast<V>(n);
}

// Reading and writing through a field or an accessor function.
template <auto Get> TValueOf<Get> Read(TObject* obj) {
    using A = TAccessor<decltype(Get)>;
    auto* self = static_cast<typename A::Class*>(obj);
    if constexpr (A::Arity < 0) {
        if constexpr (TUnwrap<typename A::Value>::Owned)
            return (self->*Get).get();
        else
            return self->*Get;
    } else
        return (self->*Get)();
}
template <auto Set, class V> void Write(TObject* obj, const V& value) {
    using A = TAccessor<decltype(Set)>;
    auto* self = static_cast<typename A::Class*>(obj);
    if constexpr (A::Arity < 0)
        self->*Set = value;
    else
        (self->*Set)(value);
}

template <auto Get> int64_t GetOrdThunk(TObject* obj) {
    return OrdOf(Read<Get>(obj));
}
template <auto Set> void SetOrdThunk(TObject* obj, int64_t v) {
    Write<Set>(obj, FromOrd<TValueOf<Set>>(v));
}
template <auto Get> double GetFloatThunk(TObject* obj) {
    return double(Read<Get>(obj));
}
template <auto Set> void SetFloatThunk(TObject* obj, double v) {
    Write<Set>(obj, TValueOf<Set>(v));
}
template <auto Get> String GetStrThunk(TObject* obj) {
    return Read<Get>(obj);
}
template <auto Set> void SetStrThunk(TObject* obj, const String& v) {
    Write<Set>(obj, v);
}
template <auto Get> TObject* GetObjectThunk(TObject* obj) {
    return Read<Get>(obj);
}
template <auto Set> void SetObjectThunk(TObject* obj, TObject* value) {
    using A = TAccessor<decltype(Set)>;
    using P = std::remove_pointer_t<TValueOf<Set>>;
    P* p = nullptr;
    if (value != nullptr) {
        p = dynamic_cast<P*>(value);
        if (p == nullptr) throw EPropertyError("Invalid class typecast");
    }
    if constexpr (A::Arity < 0 && KindOf<P*>() == tkClass) {
        // A sub-object held in a field is owned: it takes a copy of the value, as its setter would.
        auto* self = static_cast<typename A::Class*>(obj);
        auto& field = self->*Set;
        if (field == nullptr) throw EPropertyError("The property's object does not exist");
        field->Assign(p);
    } else {
        static_assert(!TUnwrap<typename A::Value>::Owned, "an owned component field needs a setter");
        Write<Set>(obj, p);
    }
}
template <auto Get> TMethod GetMethodThunk(TObject* obj) {
    return Read<Get>(obj).GetMethod();
}
template <auto Set> void SetMethodThunk(TObject* obj, const TMethod& m) {
    Write<Set>(obj, TValueOf<Set>::FromMethod(m));
}
template <auto Fn> bool StoredThunk(TObject* obj) {
    using A = TAccessor<decltype(Fn)>;
    return (static_cast<typename A::Class*>(obj)->*Fn)();
}

template <class... R> constexpr auto PropsOf(const R&... rows) {
    std::array<TPropInfo, (size_t(std::is_same_v<R, TPropInfo>) + ... + 0)> out{};
    size_t i = 0;
    auto take = [&](const auto& row) {
        if constexpr (std::is_same_v<std::remove_cvref_t<decltype(row)>, TPropInfo>) out[i++] = row;
    };
    (take(rows), ...);
    (void)take;
    (void)i;
    return out;
}
template <class... R> constexpr auto MethodsOf(const R&... rows) {
    std::array<TMethodInfo, (size_t(std::is_same_v<R, TMethodInfo>) + ... + 0)> out{};
    size_t i = 0;
    auto take = [&](const auto& row) {
        if constexpr (std::is_same_v<std::remove_cvref_t<decltype(row)>, TMethodInfo>) out[i++] = row;
    };
    (take(rows), ...);
    (void)take;
    (void)i;
    return out;
}

template <class... R> constexpr auto FieldsOf(const R&... rows) {
    std::array<TFieldInfo, (size_t(std::is_same_v<R, TFieldInfo>) + ... + 0)> out{};
    size_t i = 0;
    auto take = [&](const auto& row) {
        if constexpr (std::is_same_v<std::remove_cvref_t<decltype(row)>, TFieldInfo>) out[i++] = row;
    };
    (take(rows), ...);
    (void)take;
    (void)i;
    return out;
}

template <auto F> bool SetFieldThunk(TObject* root, TObject* value) {
    using A = TAccessor<decltype(F)>;
    using P = std::remove_pointer_t<typename A::Value>;
    P* p = nullptr;
    if (value != nullptr) {
        p = dynamic_cast<P*>(value);
        if (p == nullptr) return false;
    }
    static_cast<typename A::Class*>(root)->*F = p;
    return true;
}
template <auto F> TObject* GetFieldThunk(TObject* root) {
    using A = TAccessor<decltype(F)>;
    return static_cast<typename A::Class*>(root)->*F;
}

template <class T> TObject* CreateComponent(TObject* owner) {
    using C = typename TDependent<T, Classes::TComponent>::Type;
    return new T(static_cast<C*>(owner));
}
template <class T> TObject* CreateItem(TObject* owner) {
    using C = typename TDependent<T, Classes::TCollection>::Type;
    return new T(static_cast<C*>(owner));
}
template <class T> TObject* CreateDefault(TObject*) {
    return new T();
}

template <class T> constexpr TFactory FactoryOf() {
    using Comp = typename TDependent<T, Classes::TComponent>::Type;
    using Coll = typename TDependent<T, Classes::TCollection>::Type;
    if constexpr (std::is_abstract_v<T>)
        return nullptr;
    else if constexpr (std::is_base_of_v<Classes::TComponent, T>) {
        if constexpr (std::is_constructible_v<T, Comp*>)
            return &CreateComponent<T>;
        else
            return nullptr;
    } else if constexpr (std::is_base_of_v<Classes::TCollectionItem, T>) {
        if constexpr (std::is_constructible_v<T, Coll*>)
            return &CreateItem<T>;
        else
            return nullptr;
    } else if constexpr (std::is_default_constructible_v<T>)
        return &CreateDefault<T>;
    else
        return nullptr;
}

// Enumeration names from the stringified member list "a, b, c" (an initialiser "= n" is cut off).
constexpr std::string_view TrimName(std::string_view s) {
    if (auto eq = s.find('='); eq != std::string_view::npos) s = s.substr(0, eq);
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\n' || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\n' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}
constexpr size_t CountNames(std::string_view list) {
    size_t n = 0;
    while (true) {
        size_t comma = list.find(',');
        if (!TrimName(list.substr(0, comma)).empty()) ++n;
        if (comma == std::string_view::npos) return n;
        list.remove_prefix(comma + 1);
    }
}
template <size_t N> constexpr std::array<std::string_view, N> SplitNames(std::string_view list) {
    std::array<std::string_view, N> out{};
    size_t i = 0;
    while (i < N) {
        size_t comma = list.find(',');
        std::string_view name = TrimName(list.substr(0, comma));
        if (!name.empty()) out[i++] = name;
        if (comma == std::string_view::npos) break;
        list.remove_prefix(comma + 1);
    }
    return out;
}
// The members must be 0, 1, 2...: the names are looked up by ordinal value.
template <class E, size_t N> constexpr bool Sequential(const E (&values)[N]) {
    for (size_t i = 0; i < N; ++i)
        if (static_cast<size_t>(values[i]) != i) return false;
    return true;
}

} // namespace Detail

// A property row: Prop<field>("Name"), Prop<getter, setter>("Name"), Prop<getter, nullptr>("Name")
// (read-only). One accessor that is a getter function makes a read-only property too.
template <auto Get, auto Set = Get> constexpr TPropInfo Prop(const char* name) {
    using V = Detail::TValueOf<Get>;
    constexpr TTypeKind kind = Detail::KindOf<V>();
    static_assert(kind != tkUnknown, "this C++ type cannot be a published property");
    static_assert(Detail::TAccessor<decltype(Get)>::Arity != 1, "the first accessor must read the property");
    constexpr bool hasSetter = Detail::IsSetter<Set>();
    if constexpr (hasSetter)
        static_assert(Detail::KindOf<Detail::TValueOf<Set>>() == kind,
                      "getter and setter types do not match");

    TPropInfo p;
    p.Name = name;
    p.Kind = kind;
    if constexpr (kind >= tkInteger && kind <= tkSet) {
        p.PropType = Detail::OrdTypeOf<V>();
        p.GetOrd = &Detail::GetOrdThunk<Get>;
        if constexpr (hasSetter) p.SetOrd = &Detail::SetOrdThunk<Set>;
    } else {
        p.HasDefault = true; // empty, zero, nil
        if constexpr (kind == tkFloat) {
            p.GetFloat = &Detail::GetFloatThunk<Get>;
            if constexpr (hasSetter) p.SetFloat = &Detail::SetFloatThunk<Set>;
        } else if constexpr (kind == tkString) {
            p.GetStr = &Detail::GetStrThunk<Get>;
            if constexpr (hasSetter) p.SetStr = &Detail::SetStrThunk<Set>;
        } else if constexpr (kind == tkClass || kind == tkComponent) {
            p.PropClass = &std::remove_cv_t<std::remove_pointer_t<V>>::ClassInfo;
            p.GetObject = &Detail::GetObjectThunk<Get>;
            if constexpr (hasSetter) p.SetObject = &Detail::SetObjectThunk<Set>;
        } else if constexpr (kind == tkMethod) {
            p.Signature = &typeid(typename Detail::TIsEvent<V>::Signature);
            p.GetMethod = &Detail::GetMethodThunk<Get>;
            if constexpr (hasSetter) p.SetMethod = &Detail::SetMethodThunk<Set>;
        }
    }
    return p;
}

// A published-field row: Field<&TForm1::Button1>("Button1"), for a pointer to a component.
template <auto F> constexpr TFieldInfo Field(const char* name) {
    using A = Detail::TAccessor<decltype(F)>;
    static_assert(A::Arity < 0 && std::is_pointer_v<typename A::Value>,
                  "a published field points to a component");
    using P = std::remove_cv_t<std::remove_pointer_t<typename A::Value>>;
    static_assert(std::is_base_of_v<Classes::TComponent, P>, "a published field points to a component");
    TFieldInfo f;
    f.Name = name;
    f.FieldClass = &P::ClassInfo;
    f.Set = &Detail::SetFieldThunk<F>;
    f.Get = &Detail::GetFieldThunk<F>;
    return f;
}
#define PUBLISHED_FIELD(Class, Name) ::TypInfo::Field<&Class::Name>(#Name)

// A published-method row.
template <auto M> constexpr TMethodInfo Method(const char* name) {
    TMethodInfo m;
    m.Name = name;
    m.Code = &System::Detail::CodeOf<M>;
    m.Signature = &typeid(typename System::Detail::TMethodThunk<M>::Signature);
    return m;
}

} // namespace TypInfo

// Inside a class body, first: the class's type information (ClassInfo), ClassType(), `inherited`, and access
// for its PUBLISHED table. Leaves the access at private, as at the opening of a class body.
#define DECLARE_CLASS(Class, Base)                                                                           \
public:                                                                                                      \
    using inherited = Base;                                                                                  \
    static const ::TypInfo::TClassInfo ClassInfo;                                                            \
    ::System::TClass ClassType() const override {                                                            \
        return &ClassInfo;                                                                                   \
    }                                                                                                        \
                                                                                                             \
private:                                                                                                     \
    friend struct Class##_Published;

// In the class's source, inside the class's namespace: the unit name and the published rows (properties in
// stream order, and published methods). Defines Class::ClassInfo.
#define PUBLISHED(Class, Unit, ...)                                                                          \
    struct Class##_Published {                                                                               \
        static constexpr auto Props = ::TypInfo::Detail::PropsOf(__VA_ARGS__);                               \
        static constexpr auto Methods = ::TypInfo::Detail::MethodsOf(__VA_ARGS__);                           \
        static constexpr auto Fields = ::TypInfo::Detail::FieldsOf(__VA_ARGS__);                             \
    };                                                                                                       \
    const ::TypInfo::TClassInfo Class::ClassInfo {                                                           \
#Class, &Class::inherited::ClassInfo, Unit, ::TypInfo::Detail::FactoryOf < Class>(),                 \
            Class##_Published::Props.data(), Class##_Published::Props.size(),                                \
            Class##_Published::Methods.data(), Class##_Published::Methods.size(),                            \
            Class##_Published::Fields.data(), Class##_Published::Fields.size()                               \
    }

#define PUBLISHED_METHOD(Class, Name) ::TypInfo::Method<&Class::Name>(#Name)

// At namespace scope: an enumeration with its type information (member names for streams), members 0, 1, ...
//   PUBLISHED_ENUM(TBevelType, uint8_t, btRectangle, btRoundedRect)
#define PUBLISHED_ENUM(Name, Underlying, ...)                                                                \
    enum Name : Underlying { __VA_ARGS__ };                                                                  \
    ENUM_TYPEINFO(Name, __VA_ARGS__)

// Type information for an enumeration declared elsewhere (with a fixed underlying type), members listed in
// order; beside the enumeration, in its namespace.
#define ENUM_TYPEINFO(Name, ...)                                                                             \
    inline constexpr auto Name##_Names =                                                                     \
        ::TypInfo::Detail::SplitNames<::TypInfo::Detail::CountNames(#__VA_ARGS__)>(#__VA_ARGS__);            \
    inline constexpr ::TypInfo::TTypeInfo Name##_TypeInfo =                                                  \
        ::TypInfo::EnumType(#Name, Name##_Names.data(), Name##_Names.size());                                \
    constexpr const ::TypInfo::TTypeInfo* TypeInfoOf(Name*) {                                                \
        constexpr Name values[] = {__VA_ARGS__};                                                             \
        static_assert(::TypInfo::Detail::Sequential(values), #Name ": members must be 0, 1, 2, ...");        \
        static_assert(std::size(values) == Name##_Names.size(), #Name ": cannot read the member names");     \
        return &Name##_TypeInfo;                                                                             \
    }

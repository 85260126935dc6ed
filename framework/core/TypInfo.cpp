// TypInfo: class information of TObject, the built-in ordinal types, and property access by table.
#include "framework/core/TypInfo.h"

#include <algorithm>

namespace System {

const TypInfo::TClassInfo TObject::ClassInfo{"TObject", nullptr, "System", nullptr, nullptr, 0, nullptr, 0};

String TObject::ClassName() const {
    return ClassType()->ClassName;
}

bool TObject::InheritsFrom(TClass cls) const {
    return ClassType()->InheritsFrom(cls);
}

} // namespace System

namespace TypInfo {

namespace {

constexpr std::string_view BooleanNames[] = {"False", "True"};

[[noreturn]] void KindError(const TPropInfo* prop) {
    throw EPropertyError("Property " + String(prop->Name) + " is not of this kind");
}

[[noreturn]] void ReadOnlyError(const TPropInfo* prop) {
    throw EPropertyError("Property " + String(prop->Name) + " is read-only");
}

const TPropInfo* NeedProp(TObject* obj, std::string_view name) {
    const TPropInfo* prop = GetPropInfo(obj, name);
    if (prop == nullptr) throw EPropertyError("Unknown property: " + String(name));
    return prop;
}

bool IsSetMember(const TTypeInfo* members, int n) {
    return n >= 0 && n < 32 && members != nullptr && n >= members->MinValue && n <= members->MaxValue;
}

} // namespace

static constexpr TTypeInfo WithKind(TTypeInfo t, TTypeKind kind) {
    t.Kind = kind;
    return t;
}

constinit const TTypeInfo BooleanTypeInfo = WithKind(EnumType("Boolean", BooleanNames, 2), tkBool);
constinit const TTypeInfo IntegerTypeInfo = IntegerType("Integer", nullptr, 0);
constinit const TTypeInfo Int64TypeInfo = WithKind(IntegerType("Int64", nullptr, 0), tkInt64);

bool TClassInfo::InheritsFrom(TClass cls) const {
    for (TClass c = this; c != nullptr; c = c->Parent)
        if (c == cls) return true;
    return false;
}

// ---- Identifiers, enumerations, sets ----------------------------------------------------------------------

bool IntToIdent(int32_t value, String& ident, const TIdentMapEntry* map, size_t count) {
    for (size_t i = 0; i < count; ++i)
        if (map[i].Value == value) {
            ident = map[i].Name;
            return true;
        }
    return false;
}

bool IdentToInt(std::string_view ident, int32_t& value, const TIdentMapEntry* map, size_t count) {
    for (size_t i = 0; i < count; ++i)
        if (SysUtils::SameText(map[i].Name, ident)) {
            value = map[i].Value;
            return true;
        }
    return false;
}

String GetEnumName(const TTypeInfo* type, int64_t value) {
    if (type == nullptr || type->Names == nullptr || value < type->MinValue || value > type->MaxValue)
        return String();
    return String(type->Names[value]);
}

int GetEnumValue(const TTypeInfo* type, std::string_view name) {
    if (type == nullptr || type->Names == nullptr) return -1;
    for (int32_t v = type->MinValue; v <= type->MaxValue; ++v)
        if (SysUtils::SameText(type->Names[v], name)) return v;
    return -1;
}

String SetToString(const TTypeInfo* setType, uint32_t value, bool brackets) {
    String s;
    const TTypeInfo* members = setType ? setType->CompType : nullptr;
    for (int n = 0; n < 32; ++n)
        if ((value & (uint32_t(1) << n)) != 0 && IsSetMember(members, n)) {
            if (!s.empty()) s += ',';
            s += members->Names[n];
        }
    return brackets ? "[" + s + "]" : s;
}

uint32_t StringToSet(const TTypeInfo* setType, std::string_view text) {
    const TTypeInfo* members = setType ? setType->CompType : nullptr;
    String t = SysUtils::Trim(text);
    std::string_view s = t;
    if (!s.empty() && s.front() == '[') s.remove_prefix(1);
    if (!s.empty() && s.back() == ']') s.remove_suffix(1);
    uint32_t bits = 0;
    while (!s.empty()) {
        size_t comma = s.find(',');
        String name = SysUtils::Trim(s.substr(0, comma));
        if (!name.empty()) {
            int n = GetEnumValue(members, name);
            if (!IsSetMember(members, n)) throw EPropertyError("Unknown set member: " + name);
            bits |= uint32_t(1) << n;
        }
        if (comma == std::string_view::npos) break;
        s.remove_prefix(comma + 1);
    }
    return bits;
}

// ---- Property lists ---------------------------------------------------------------------------------------

std::vector<const TPropInfo*> GetPropList(TClass cls) {
    std::vector<TClass> chain;
    for (TClass c = cls; c != nullptr; c = c->Parent)
        chain.push_back(c);
    std::vector<const TPropInfo*> list;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        for (size_t i = 0; i < (*it)->PropCount; ++i) {
            const TPropInfo* row = &(*it)->Props[i];
            auto same = std::find_if(list.begin(), list.end(), [&](const TPropInfo* p) {
                return SysUtils::SameText(p->Name, row->Name);
            });
            if (same != list.end())
                *same = row; // redeclared: keeps the inherited position
            else
                list.push_back(row);
        }
    return list;
}

std::vector<const TPropInfo*> GetPropList(const TObject* obj) {
    return GetPropList(obj->ClassType());
}

const TPropInfo* GetPropInfo(TClass cls, std::string_view name) {
    // The most derived declaration wins.
    for (TClass c = cls; c != nullptr; c = c->Parent)
        for (size_t i = 0; i < c->PropCount; ++i)
            if (SysUtils::SameText(c->Props[i].Name, name)) return &c->Props[i];
    return nullptr;
}

const TPropInfo* GetPropInfo(const TObject* obj, std::string_view name) {
    return obj ? GetPropInfo(obj->ClassType(), name) : nullptr;
}

bool IsPublishedProp(const TObject* obj, std::string_view name) {
    return GetPropInfo(obj, name) != nullptr;
}

// ---- Typed access -----------------------------------------------------------------------------------------

int64_t GetOrdProp(TObject* obj, const TPropInfo* prop) {
    if (!prop->IsOrdinal()) KindError(prop);
    return prop->GetOrd(obj);
}

void SetOrdProp(TObject* obj, const TPropInfo* prop, int64_t value) {
    if (!prop->IsOrdinal()) KindError(prop);
    if (prop->SetOrd == nullptr) ReadOnlyError(prop);
    if (prop->Kind == tkEnumeration || prop->Kind == tkBool) {
        // An enumeration holds only its members: the C++ field could not represent anything else.
        if (value < prop->PropType->MinValue || value > prop->PropType->MaxValue)
            throw SysUtils::ERangeError("Range check error: " + SysUtils::IntToStr(value) + " for property " +
                                        prop->Name);
    } else if (prop->Kind == tkSet) {
        uint32_t bits = 0;
        for (int n = 0; n < 32; ++n)
            if ((uint64_t(value) & (uint64_t(1) << n)) != 0 && IsSetMember(prop->PropType->CompType, n))
                bits |= uint32_t(1) << n;
        value = bits;
    } else if (prop->Kind == tkInteger) {
        value = int64_t(int32_t(value));
    }
    prop->SetOrd(obj, value);
}

double GetFloatProp(TObject* obj, const TPropInfo* prop) {
    if (prop->Kind != tkFloat) KindError(prop);
    return prop->GetFloat(obj);
}

void SetFloatProp(TObject* obj, const TPropInfo* prop, double value) {
    if (prop->Kind != tkFloat) KindError(prop);
    if (prop->SetFloat == nullptr) ReadOnlyError(prop);
    prop->SetFloat(obj, value);
}

String GetStrProp(TObject* obj, const TPropInfo* prop) {
    if (prop->Kind != tkString && prop->Kind != tkWString) KindError(prop);
    return prop->GetStr(obj);
}

void SetStrProp(TObject* obj, const TPropInfo* prop, const String& value) {
    if (prop->Kind != tkString && prop->Kind != tkWString) KindError(prop);
    if (prop->SetStr == nullptr) ReadOnlyError(prop);
    prop->SetStr(obj, value);
}

TObject* GetObjectProp(TObject* obj, const TPropInfo* prop) {
    if (prop->Kind != tkClass && prop->Kind != tkComponent) KindError(prop);
    return prop->GetObject(obj);
}

void SetObjectProp(TObject* obj, const TPropInfo* prop, TObject* value) {
    if (prop->Kind != tkClass && prop->Kind != tkComponent) KindError(prop);
    if (prop->SetObject == nullptr) ReadOnlyError(prop);
    if (value != nullptr && !value->InheritsFrom(prop->PropClass))
        throw EPropertyError("Invalid class typecast");
    prop->SetObject(obj, value);
}

TMethod GetMethodProp(TObject* obj, const TPropInfo* prop) {
    if (prop->Kind != tkMethod) KindError(prop);
    return prop->GetMethod(obj);
}

void SetMethodProp(TObject* obj, const TPropInfo* prop, const TMethod& value) {
    if (prop->Kind != tkMethod) KindError(prop);
    if (prop->SetMethod == nullptr) ReadOnlyError(prop);
    if (value.Code != nullptr && (value.Signature == nullptr || *value.Signature != *prop->Signature))
        throw EPropertyError("Incompatible method for property " + String(prop->Name));
    prop->SetMethod(obj, value);
}

String GetEnumProp(TObject* obj, const TPropInfo* prop) {
    if (prop->Kind != tkEnumeration && prop->Kind != tkBool) KindError(prop);
    return GetEnumName(prop->PropType, prop->GetOrd(obj));
}

void SetEnumProp(TObject* obj, const TPropInfo* prop, std::string_view value) {
    if (prop->Kind != tkEnumeration && prop->Kind != tkBool) KindError(prop);
    int v = GetEnumValue(prop->PropType, value);
    if (v < 0) throw EPropertyError("Invalid enumeration value: " + String(value));
    SetOrdProp(obj, prop, v);
}

String GetSetProp(TObject* obj, const TPropInfo* prop, bool brackets) {
    if (prop->Kind != tkSet) KindError(prop);
    return SetToString(prop->PropType, uint32_t(prop->GetOrd(obj)), brackets);
}

void SetSetProp(TObject* obj, const TPropInfo* prop, std::string_view value) {
    if (prop->Kind != tkSet) KindError(prop);
    SetOrdProp(obj, prop, StringToSet(prop->PropType, value));
}

bool IsStoredProp(TObject* obj, const TPropInfo* prop) {
    if (prop->StoredFn != nullptr) return prop->StoredFn(obj);
    return prop->StoredConst;
}

int64_t GetOrdProp(TObject* obj, std::string_view name) {
    return GetOrdProp(obj, NeedProp(obj, name));
}
void SetOrdProp(TObject* obj, std::string_view name, int64_t value) {
    SetOrdProp(obj, NeedProp(obj, name), value);
}
double GetFloatProp(TObject* obj, std::string_view name) {
    return GetFloatProp(obj, NeedProp(obj, name));
}
void SetFloatProp(TObject* obj, std::string_view name, double value) {
    SetFloatProp(obj, NeedProp(obj, name), value);
}
String GetStrProp(TObject* obj, std::string_view name) {
    return GetStrProp(obj, NeedProp(obj, name));
}
void SetStrProp(TObject* obj, std::string_view name, const String& value) {
    SetStrProp(obj, NeedProp(obj, name), value);
}
TObject* GetObjectProp(TObject* obj, std::string_view name) {
    return GetObjectProp(obj, NeedProp(obj, name));
}
void SetObjectProp(TObject* obj, std::string_view name, TObject* value) {
    SetObjectProp(obj, NeedProp(obj, name), value);
}
TMethod GetMethodProp(TObject* obj, std::string_view name) {
    return GetMethodProp(obj, NeedProp(obj, name));
}
void SetMethodProp(TObject* obj, std::string_view name, const TMethod& value) {
    SetMethodProp(obj, NeedProp(obj, name), value);
}
String GetEnumProp(TObject* obj, std::string_view name) {
    return GetEnumProp(obj, NeedProp(obj, name));
}
void SetEnumProp(TObject* obj, std::string_view name, std::string_view value) {
    SetEnumProp(obj, NeedProp(obj, name), value);
}
String GetSetProp(TObject* obj, std::string_view name, bool brackets) {
    return GetSetProp(obj, NeedProp(obj, name), brackets);
}
void SetSetProp(TObject* obj, std::string_view name, std::string_view value) {
    SetSetProp(obj, NeedProp(obj, name), value);
}

// ---- Published methods ------------------------------------------------------------------------------------

const TMethodInfo* FindMethod(TClass cls, std::string_view name) {
    for (TClass c = cls; c != nullptr; c = c->Parent)
        for (size_t i = 0; i < c->MethodCount; ++i)
            if (SysUtils::SameText(c->Methods[i].Name, name)) return &c->Methods[i];
    return nullptr;
}

TMethod MethodOf(TObject* obj, const TMethodInfo& m) {
    TMethod method;
    method.Code = m.Code();
    method.Data = obj;
    method.Name = m.Name;
    method.Signature = m.Signature;
    return method;
}

// ---- Published fields -------------------------------------------------------------------------------------

const TFieldInfo* FindField(TClass cls, std::string_view name) {
    for (TClass c = cls; c != nullptr; c = c->Parent)
        for (size_t i = 0; i < c->FieldCount; ++i)
            if (SysUtils::SameText(c->Fields[i].Name, name)) return &c->Fields[i];
    return nullptr;
}

std::vector<const TFieldInfo*> GetFieldList(TClass cls) {
    std::vector<const TFieldInfo*> out;
    for (TClass c = cls; c != nullptr; c = c->Parent)
        for (size_t i = 0; i < c->FieldCount; ++i)
            out.push_back(&c->Fields[i]);
    return out;
}

const char* MethodNameOf(TClass cls, System::TCodePointer code) {
    if (code == nullptr) return nullptr;
    for (TClass c = cls; c != nullptr; c = c->Parent)
        for (size_t i = 0; i < c->MethodCount; ++i)
            if (c->Methods[i].Code() == code) return c->Methods[i].Name;
    return nullptr;
}

} // namespace TypInfo

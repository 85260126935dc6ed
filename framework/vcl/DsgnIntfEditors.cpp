// DsgnIntf: the property editor base, the default property editors and how editors are made.
#include "framework/vcl/DsgnIntf.h"

#include "framework/vcl/DsgnIntfRequest.h"

#include "framework/vcl/Graphics.h"

#include <charconv>

namespace DsgnIntf {

using namespace TypInfo;

PUBLISHED(TPropertyEditor, "DsgnIntf");
PUBLISHED(TOrdinalProperty, "DsgnIntf");
PUBLISHED(TIntegerProperty, "DsgnIntf");
PUBLISHED(TEnumProperty, "DsgnIntf");
PUBLISHED(TSetProperty, "DsgnIntf");
PUBLISHED(TSetElementProperty, "DsgnIntf");
PUBLISHED(TStringProperty, "DsgnIntf");
PUBLISHED(TFloatProperty, "DsgnIntf");
PUBLISHED(TColorProperty, "DsgnIntf");
PUBLISHED(TClassProperty, "DsgnIntf");
PUBLISHED(TComponentProperty, "DsgnIntf");
PUBLISHED(TMethodProperty, "DsgnIntf");

namespace {

// The request MakePropertyEditor serves: the editor's default constructor takes it (once).
struct TPropertyRequest {
    TFormDesigner* Designer;
    const std::vector<TPersistent*>* Components;
    std::vector<const TPropInfo*> Props;
};
thread_local TPropertyRequest* PendingProperty = nullptr;

bool IsObjectKind(const TPropInfo* p) {
    return p->Kind == tkClass || p->Kind == tkComponent;
}

[[noreturn]] void InvalidValue() {
    throw EPropertyError("Invalid property value");
}

} // namespace

// ==== TPropertyEditor ======================================================================================

TPropertyEditor::TPropertyEditor() {
    if (TPropertyRequest* r = PendingProperty) {
        PendingProperty = nullptr;
        FDesigner = r->Designer;
        FComponents = *r->Components;
        FProps = std::move(r->Props);
    }
}

TPropertyEditor::~TPropertyEditor() = default;

TPersistent* TPropertyEditor::GetComponent(int Index) const {
    if (Index < 0 || Index >= GetPropCount())
        throw Classes::EListError(SysUtils::Format("List index out of bounds (%d)", {Index}));
    return FComponents[size_t(Index)];
}

const TPropInfo* TPropertyEditor::GetPropInfo(int Index) const {
    GetComponent(Index);
    return FProps[size_t(Index)];
}

String TPropertyEditor::GetName() const {
    return GetPropInfo() ? String(GetPropInfo()->Name) : String();
}

TPropertyAttributes TPropertyEditor::GetAttributes() {
    return {paRevertable};
}

String TPropertyEditor::GetValue() {
    return "(Unknown)";
}

void TPropertyEditor::SetValue(const String&) {}

void TPropertyEditor::Edit() {}

void TPropertyEditor::GetValues(const TGetStrProc&) {}

void TPropertyEditor::GetProperties(const TGetPropEditProc&) {}

bool TPropertyEditor::AllEqual() {
    return GetPropCount() <= 1;
}

String TPropertyEditor::GetVisualValue() {
    return AllEqual() ? GetValue() : String();
}

intptr_t TPropertyEditor::GetOrdValueAt(int Index) const {
    TPersistent* c = GetComponent(Index);
    const TPropInfo* p = FProps[size_t(Index)];
    if (IsObjectKind(p)) return reinterpret_cast<intptr_t>(GetObjectProp(c, p));
    return intptr_t(GetOrdProp(c, p));
}

void TPropertyEditor::SetOrdValueAt(int Index, intptr_t Value) {
    TPersistent* c = GetComponent(Index);
    const TPropInfo* p = FProps[size_t(Index)];
    if (IsObjectKind(p))
        SetObjectProp(c, p, reinterpret_cast<TObject*>(Value));
    else
        SetOrdProp(c, p, int64_t(Value));
}

void TPropertyEditor::SetOrdValue(intptr_t Value) {
    for (int i = 0; i < GetPropCount(); ++i)
        SetOrdValueAt(i, Value);
    Modified();
}

String TPropertyEditor::GetStrValueAt(int Index) const {
    return GetStrProp(GetComponent(Index), FProps[size_t(Index)]);
}

void TPropertyEditor::SetStrValue(const String& Value) {
    for (int i = 0; i < GetPropCount(); ++i)
        SetStrProp(FComponents[size_t(i)], FProps[size_t(i)], Value);
    Modified();
}

double TPropertyEditor::GetFloatValueAt(int Index) const {
    return GetFloatProp(GetComponent(Index), FProps[size_t(Index)]);
}

void TPropertyEditor::SetFloatValue(double Value) {
    for (int i = 0; i < GetPropCount(); ++i)
        SetFloatProp(FComponents[size_t(i)], FProps[size_t(i)], Value);
    Modified();
}

String TPropertyEditor::GetMethodValue() const {
    auto* c = dynamic_cast<TComponent*>(GetComponent(0));
    return FDesigner && c ? FDesigner->GetEventName(c, FProps[0]) : String();
}

void TPropertyEditor::SetMethodValue(const String& Value) {
    if (!Value.empty() && !Classes::IsValidIdent(Value))
        throw EPropertyError(SysUtils::Format("'%s' is not a valid method name", {Value}));
    if (FDesigner == nullptr) return;
    for (int i = 0; i < GetPropCount(); ++i)
        if (auto* c = dynamic_cast<TComponent*>(FComponents[size_t(i)]))
            FDesigner->SetEventName(c, FProps[size_t(i)], Value);
    Modified();
}

void TPropertyEditor::Modified() {
    if (FDesigner) FDesigner->Modified();
}

// ==== Ordinal properties ===================================================================================

TPropertyAttributes TOrdinalProperty::GetAttributes() {
    return {paMultiSelect, paRevertable};
}

bool TOrdinalProperty::AllEqual() {
    for (int i = 1; i < GetPropCount(); ++i)
        if (GetOrdValueAt(i) != GetOrdValue()) return false;
    return true;
}

String TIntegerProperty::GetValue() {
    return SysUtils::IntToStr(GetOrdValue());
}

void TIntegerProperty::SetValue(const String& Value) {
    int64_t v = SysUtils::StrToInt64(Value);
    const TPropInfo* p = GetPropInfo();
    int64_t lo = INT32_MIN, hi = INT32_MAX;
    if (p->Kind == tkInt64) {
        lo = INT64_MIN;
        hi = INT64_MAX;
    } else if (p->PropType && p->PropType->MinValue <= p->PropType->MaxValue) {
        lo = p->PropType->MinValue;
        hi = p->PropType->MaxValue;
    }
    if (v < lo || v > hi) throw EPropertyError(SysUtils::Format("Value must be between %d and %d", {lo, hi}));
    SetOrdValue(intptr_t(v));
}

TPropertyAttributes TEnumProperty::GetAttributes() {
    return {paMultiSelect, paValueList, paSortList, paRevertable};
}

String TEnumProperty::GetValue() {
    return GetEnumName(GetPropInfo()->PropType, GetOrdValue());
}

void TEnumProperty::SetValue(const String& Value) {
    const TTypeInfo* t = GetPropInfo()->PropType;
    int v = GetEnumValue(t, SysUtils::Trim(Value));
    if (v < t->MinValue || v > t->MaxValue) InvalidValue();
    SetOrdValue(v);
}

void TEnumProperty::GetValues(const TGetStrProc& Proc) {
    const TTypeInfo* t = GetPropInfo()->PropType;
    for (int v = t->MinValue; v <= t->MaxValue; ++v)
        Proc(GetEnumName(t, v));
}

TPropertyAttributes TSetProperty::GetAttributes() {
    return {paMultiSelect, paSubProperties, paReadOnly, paRevertable};
}

String TSetProperty::GetValue() {
    return SetToString(GetPropInfo()->PropType, uint32_t(GetOrdValue()), true);
}

void TSetProperty::SetValue(const String& Value) {
    SetOrdValue(intptr_t(StringToSet(GetPropInfo()->PropType, Value)));
}

void TSetProperty::GetProperties(const TGetPropEditProc& Proc) {
    const TTypeInfo* members = GetPropInfo()->PropType->CompType;
    for (int v = members->MinValue; v <= members->MaxValue && v < 32; ++v) {
        std::unique_ptr<TPropertyEditor> e =
            MakePropertyEditor(&TSetElementProperty::ClassInfo, FDesigner, FComponents, GetPropInfo());
        static_cast<TSetElementProperty*>(e.get())->FElement = v;
        Proc(std::move(e));
    }
}

TPropertyAttributes TSetElementProperty::GetAttributes() {
    return {paMultiSelect, paValueList, paSortList};
}

String TSetElementProperty::GetName() const {
    return GetEnumName(GetPropInfo()->PropType->CompType, FElement);
}

String TSetElementProperty::GetValue() {
    return (uint32_t(GetOrdValue()) >> FElement) & 1 ? "True" : "False";
}

void TSetElementProperty::SetValue(const String& Value) {
    int v = GetEnumValue(&BooleanTypeInfo, SysUtils::Trim(Value));
    if (v < 0) InvalidValue();
    // Each component keeps its other members.
    for (int i = 0; i < GetPropCount(); ++i) {
        uint32_t bits = uint32_t(GetOrdValueAt(i));
        bits = v ? bits | (1u << FElement) : bits & ~(1u << FElement);
        SetOrdValueAt(i, intptr_t(bits));
    }
    Modified();
}

void TSetElementProperty::GetValues(const TGetStrProc& Proc) {
    Proc("False");
    Proc("True");
}

bool TSetElementProperty::AllEqual() {
    for (int i = 1; i < GetPropCount(); ++i)
        if (((uint32_t(GetOrdValueAt(i)) ^ uint32_t(GetOrdValue())) >> FElement) & 1) return false;
    return true;
}

// ==== Strings and numbers ==================================================================================

TPropertyAttributes TStringProperty::GetAttributes() {
    return {paMultiSelect, paRevertable};
}

String TStringProperty::GetValue() {
    return GetStrValue();
}

void TStringProperty::SetValue(const String& Value) {
    SetStrValue(Value);
}

bool TStringProperty::AllEqual() {
    for (int i = 1; i < GetPropCount(); ++i)
        if (GetStrValueAt(i) != GetStrValue()) return false;
    return true;
}

TPropertyAttributes TFloatProperty::GetAttributes() {
    return {paMultiSelect, paRevertable};
}

String TFloatProperty::GetValue() {
    return SysUtils::FloatToStr(GetFloatValue());
}

void TFloatProperty::SetValue(const String& Value) {
    String text = SysUtils::Trim(Value);
    double v = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, v);
    if (text.empty() || ec != std::errc() || ptr != end)
        throw SysUtils::EConvertError(SysUtils::Format("'%s' is not a valid floating point value", {Value}));
    SetFloatValue(v);
}

bool TFloatProperty::AllEqual() {
    for (int i = 1; i < GetPropCount(); ++i)
        if (GetFloatValueAt(i) != GetFloatValue()) return false;
    return true;
}

TPropertyAttributes TColorProperty::GetAttributes() {
    return {paMultiSelect, paValueList, paRevertable};
}

String TColorProperty::GetValue() {
    auto c = Graphics::TColor(GetOrdValue());
    String ident;
    if (Graphics::ColorToIdent(c, ident)) return ident;
    String text = "$";
    text +=
        SysUtils::IntToHex(uint32_t(c), 8); // appended apart: GCC 12 misjudges "$" + temporary (-Wrestrict)
    return text;
}

void TColorProperty::SetValue(const String& Value) {
    Graphics::TColor c{};
    if (!Graphics::IdentToColor(SysUtils::Trim(Value), c)) {
        // A number: also the unsigned form of a system colour ("$8000000F").
        int64_t v = SysUtils::StrToInt64(Value);
        if (v < INT32_MIN || v > int64_t(UINT32_MAX))
            throw EPropertyError(SysUtils::Format("Value must be between %d and %d",
                                                  {int64_t(INT32_MIN), int64_t(UINT32_MAX)}));
        c = Graphics::TColor(uint32_t(v));
    }
    SetOrdValue(intptr_t(int32_t(c)));
}

void TColorProperty::GetValues(const TGetStrProc& Proc) {
    const TTypeInfo& t = Graphics::TColor_TypeInfo;
    for (size_t i = 0; i < t.IdentCount; ++i)
        Proc(t.Idents[i].Name);
}

// ==== Objects ==============================================================================================

TPropertyAttributes TClassProperty::GetAttributes() {
    return {paMultiSelect, paSubProperties, paReadOnly};
}

String TClassProperty::GetValue() {
    String text = "(";
    text += GetPropInfo()->PropClass->ClassName;
    return text += ")";
}

bool TClassProperty::AllEqual() {
    return true;
}

void TClassProperty::GetProperties(const TGetPropEditProc& Proc) {
    std::vector<TPersistent*> objects;
    for (int i = 0; i < GetPropCount(); ++i) {
        auto* o = dynamic_cast<TPersistent*>(reinterpret_cast<TObject*>(GetOrdValueAt(i)));
        if (o == nullptr) return;
        objects.push_back(o);
    }
    for (const TPropInfo* p : TypInfo::GetPropList(objects[0])) {
        bool everywhere = true;
        for (TPersistent* o : objects)
            everywhere = everywhere && TypInfo::GetPropInfo(o, p->Name) != nullptr;
        if (everywhere) Proc(MakePropertyEditor(nullptr, FDesigner, objects, p));
    }
}

TPropertyAttributes TComponentProperty::GetAttributes() {
    return {paMultiSelect, paValueList, paSortList, paRevertable};
}

String TComponentProperty::GetValue() {
    auto* c = reinterpret_cast<TComponent*>(GetOrdValue());
    if (c == nullptr) return "";
    TComponent* root = FDesigner ? FDesigner->GetRoot() : nullptr;
    if (c->GetOwner() && c->GetOwner() != root) return c->GetOwner()->GetName() + "." + c->GetName();
    return c->GetName();
}

void TComponentProperty::SetValue(const String& Value) {
    String name = SysUtils::Trim(Value);
    if (name.empty()) {
        SetOrdValue(0);
        return;
    }
    TComponent* root = FDesigner ? FDesigner->GetRoot() : nullptr;
    TComponent* c = root ? Classes::FindNestedComponent(root, name) : nullptr;
    if (c == nullptr || !c->InheritsFrom(GetPropInfo()->PropClass)) InvalidValue();
    SetOrdValue(reinterpret_cast<intptr_t>(c));
}

void TComponentProperty::GetValues(const TGetStrProc& Proc) {
    TComponent* root = FDesigner ? FDesigner->GetRoot() : nullptr;
    if (root == nullptr) return;
    for (int i = 0; i < root->GetComponentCount(); ++i) {
        TComponent* c = root->GetComponent(i);
        if (c->InheritsFrom(GetPropInfo()->PropClass) && !c->GetName().empty()) Proc(c->GetName());
    }
}

bool TComponentProperty::AllEqual() {
    for (int i = 1; i < GetPropCount(); ++i)
        if (GetOrdValueAt(i) != GetOrdValue()) return false;
    return true;
}

TPropertyAttributes TMethodProperty::GetAttributes() {
    return {paMultiSelect, paValueList, paSortList};
}

String TMethodProperty::GetValue() {
    return GetMethodValue();
}

void TMethodProperty::SetValue(const String& Value) {
    SetMethodValue(SysUtils::Trim(Value));
}

bool TMethodProperty::AllEqual() {
    if (FDesigner == nullptr) return GetPropCount() <= 1;
    String first = GetMethodValue();
    for (int i = 1; i < GetPropCount(); ++i) {
        auto* c = dynamic_cast<TComponent*>(FComponents[size_t(i)]);
        if (c == nullptr || FDesigner->GetEventName(c, FProps[size_t(i)]) != first) return false;
    }
    return true;
}

// ==== Making editors =======================================================================================

TClass DefaultPropertyEditorClass(const TPropInfo* Prop) {
    switch (Prop->Kind) {
    case tkInteger:
        if (Prop->PropType == &Graphics::TColor_TypeInfo ||
            (Prop->PropType && SysUtils::SameText(Prop->PropType->Name, "TColor")))
            return &TColorProperty::ClassInfo;
        return &TIntegerProperty::ClassInfo;
    case tkInt64:
        return &TIntegerProperty::ClassInfo;
    case tkEnumeration:
    case tkBool:
        return &TEnumProperty::ClassInfo;
    case tkSet:
        return &TSetProperty::ClassInfo;
    case tkFloat:
        return &TFloatProperty::ClassInfo;
    case tkString:
    case tkWString:
        return &TStringProperty::ClassInfo;
    case tkClass:
        return &TClassProperty::ClassInfo;
    case tkComponent:
        return &TComponentProperty::ClassInfo;
    case tkMethod:
        return &TMethodProperty::ClassInfo;
    case tkUnknown:
        break;
    }
    return &TPropertyEditor::ClassInfo;
}

std::unique_ptr<TPropertyEditor> MakePropertyEditor(TClass EditorClass, TFormDesigner* Designer,
                                                    const std::vector<TPersistent*>& Components,
                                                    const TPropInfo* Prop) {
    if (EditorClass == nullptr && !Components.empty())
        if (TRegistrationHost* host = GetRegistrationHost())
            EditorClass = host->FindPropertyEditor(Components[0]->ClassType(), Prop);
    if (EditorClass == nullptr) EditorClass = DefaultPropertyEditorClass(Prop);
    if (!EditorClass->InheritsFrom(&TPropertyEditor::ClassInfo) || EditorClass->Create == nullptr)
        throw Classes::EComponentError(
            SysUtils::Format("Invalid property editor class %s", {String(EditorClass->ClassName)}));
    TPropertyRequest request{Designer, &Components, {}};
    for (TPersistent* c : Components) {
        const TPropInfo* p = TypInfo::GetPropInfo(c, Prop->Name);
        if (p == nullptr)
            throw EPropertyError(SysUtils::Format("Unknown property: %s", {String(Prop->Name)}));
        request.Props.push_back(p);
    }
    std::unique_ptr<TObject> object = Detail::CreateServing(EditorClass, PendingProperty, request);
    return std::unique_ptr<TPropertyEditor>(static_cast<TPropertyEditor*>(object.release()));
}

} // namespace DsgnIntf

// Classes: TComponent.
//
// Invariants:
//   1. A component is in its owner's FComponents exactly while its FOwner points at that owner.
//   2. Free notification is mutual: A is in B's FFreeNotifies iff B is in A's, except that a component never
//      subscribes to its own owner (the owner tells its components anyway).
//   3. Names of the components of one owner are unique ignoring case; "" may repeat.
//   4. FNameIndex maps the upper-case name of every named owned component to it (FName changes only in
//      ChangeName, which keeps the owner's index up to date).
#include "framework/core/ClassesComponent.h"

#include "framework/core/ClassesReaderWriter.h"

#include <algorithm>

namespace Classes {

using namespace TypInfo;

PUBLISHED(TComponent, "Classes", Prop<&TComponent::GetName, &TComponent::SetName>("Name").Stored(false),
          Prop<&TComponent::FTag>("Tag").Default(0));

namespace {

void EraseLast(std::vector<TComponent*>& list, TComponent* item) {
    auto it = std::find(list.rbegin(), list.rend(), item);
    if (it != list.rend()) list.erase(std::next(it).base());
}

} // namespace

bool IsValidIdent(std::string_view Ident) {
    if (Ident.empty()) return false;
    auto alpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
    if (!alpha(Ident[0])) return false;
    return std::all_of(Ident.begin() + 1, Ident.end(),
                       [&](char c) { return alpha(c) || (c >= '0' && c <= '9'); });
}

TComponent::TComponent(TComponent* AOwner) {
    if (AOwner != nullptr) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
    // 1. Mark the whole subtree, so that nothing in it reacts as if it were staying.
    Destroying();
    // 2. Tell the subscribers, each taken off the list before it is told (invariant 2 is restored by its
    //    Notification, which removes us from its own list).
    while (!FFreeNotifies.empty()) {
        TComponent* c = FFreeNotifies.back();
        FFreeNotifies.pop_back();
        c->Notification(this, opRemove);
    }
    FComponentState.Exclude(csFreeNotification);
    // 3. Free the owned components, last-created first.
    DestroyComponents();
    // 4. Leave the owner.
    if (FOwner != nullptr) FOwner->RemoveComponent(this);
}

TComponent* TComponent::GetComponent(int Index) const {
    if (Index < 0 || Index >= GetComponentCount())
        throw EListError("List index out of bounds (" + SysUtils::IntToStr(Index) + ")");
    return FComponents[size_t(Index)];
}

int TComponent::GetComponentIndex() const {
    if (FOwner == nullptr) return -1;
    auto& list = FOwner->FComponents;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : int(it - list.begin());
}

void TComponent::SetComponentIndex(int Value) {
    int current = GetComponentIndex();
    if (current < 0) return;
    auto& list = FOwner->FComponents;
    Value = std::clamp(Value, 0, int(list.size()) - 1);
    if (Value != current) {
        list.erase(list.begin() + current);
        list.insert(list.begin() + Value, this);
    }
}

void TComponent::Insert(TComponent* AComponent) {
    FComponents.push_back(AComponent);
    AComponent->FOwner = this;
    IndexName(AComponent);
    AComponent->SetReference(true);
}

void TComponent::Remove(TComponent* AComponent) {
    AComponent->SetReference(false);
    UnindexName(AComponent, AComponent->FName);
    AComponent->FOwner = nullptr;
    EraseLast(FComponents, AComponent);
}

void TComponent::IndexName(TComponent* AComponent) {
    if (AComponent->FName.empty()) return;
    auto [it, added] = FNameIndex.emplace(SysUtils::UpperCase(AComponent->FName), AComponent);
    if (!added && it->second != AComponent) FNameIndexExact = false;
}

void TComponent::UnindexName(TComponent* AComponent, const String& Name) {
    if (Name.empty()) return;
    auto it = FNameIndex.find(SysUtils::UpperCase(Name));
    if (it != FNameIndex.end() && it->second == AComponent) FNameIndex.erase(it);
}

void TComponent::InsertComponent(TComponent* AComponent) {
    if (AComponent->FOwner != nullptr) AComponent->FOwner->RemoveComponent(AComponent);
    AComponent->ValidateContainer(this);
    ValidateRename(AComponent, "", AComponent->FName);
    Insert(AComponent);
    if (FComponentState.Contains(csDesigning)) AComponent->SetDesigning(true);
    Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
    Notification(AComponent, opRemove);
    Remove(AComponent);
    AComponent->SetDesigning(false);
    ValidateRename(AComponent, AComponent->FName, "");
}

void TComponent::DestroyComponents() {
    while (!FComponents.empty()) {
        TComponent* c = FComponents.back();
        Remove(c);
        delete c;
    }
}

void TComponent::Destroying() {
    if (FComponentState.Contains(csDestroying)) return;
    FComponentState.Include(csDestroying);
    for (TComponent* c : FComponents)
        c->Destroying();
}

TComponent* TComponent::FindComponent(std::string_view AName) const {
    if (AName.empty()) return nullptr;
    if (FNameIndexExact) {
        auto it = FNameIndex.find(SysUtils::UpperCase(AName));
        return it == FNameIndex.end() ? nullptr : it->second;
    }
    for (TComponent* c : FComponents)
        if (SysUtils::SameText(c->FName, AName)) return c;
    return nullptr;
}

void TComponent::SetName(const String& NewName) {
    if (FName == NewName) return;
    if (!NewName.empty() && !IsValidIdent(NewName))
        throw EComponentError("'" + NewName + "' is not a valid component name");
    if (FOwner != nullptr)
        FOwner->ValidateRename(this, FName, NewName);
    else
        ValidateRename(nullptr, FName, NewName);
    ChangeName(NewName);
}

void TComponent::ChangeName(const String& NewName) {
    String oldName = FName;
    SetReference(false);
    FName = NewName;
    if (FOwner != nullptr) {
        FOwner->UnindexName(this, oldName);
        FOwner->IndexName(this);
    }
    SetReference(true);
}

void TComponent::SetReference(bool Enable) {
    // While the owner is being destroyed its class is already its base's, whose table has none of the
    // fields of the class that is gone.
    if (FOwner == nullptr || FName.empty()) return;
    if (const TFieldInfo* field = FindField(FOwner->ClassType(), FName))
        field->Set(FOwner, Enable ? this : nullptr);
}

void TComponent::ValidateRename(TComponent* AComponent, const String& CurName, const String& NewName) {
    // Also for a component about to be inserted, which has no owner yet.
    if (AComponent != nullptr && !SysUtils::SameText(CurName, NewName) && FindComponent(NewName) != nullptr)
        throw EComponentError("A component named " + NewName + " already exists");
    // While designing, names are unique in the whole tree of the designed root.
    if (FComponentState.Contains(csDesigning) && FOwner != nullptr)
        FOwner->ValidateRename(AComponent, CurName, NewName);
}

void TComponent::ValidateContainer(TComponent* AComponent) {
    AComponent->ValidateInsert(this);
}

void TComponent::ValidateInsert(TComponent*) {}

void TComponent::SetDesigning(bool Value, bool SetChildren) {
    if (Value)
        FComponentState.Include(csDesigning);
    else
        FComponentState.Exclude(csDesigning);
    if (SetChildren)
        for (TComponent* c : FComponents)
            c->SetDesigning(Value);
}

void TComponent::SetInline(bool Value) {
    if (Value)
        FComponentState.Include(csInline);
    else
        FComponentState.Exclude(csInline);
}

void TComponent::SetAncestor(bool Value) {
    if (Value)
        FComponentState.Include(csAncestor);
    else
        FComponentState.Exclude(csAncestor);
    for (TComponent* c : FComponents)
        c->SetAncestor(Value);
}

void TComponent::Updating() {
    FComponentState.Include(csUpdating);
}

void TComponent::Updated() {
    FComponentState.Exclude(csUpdating);
}

void TComponent::FreeNotification(TComponent* AComponent) {
    if (AComponent == nullptr || (FOwner != nullptr && AComponent == FOwner)) return;
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end()) {
        FFreeNotifies.push_back(AComponent);
        FComponentState.Include(csFreeNotification);
        AComponent->FreeNotification(this);
    }
}

void TComponent::RemoveNotification(TComponent* AComponent) {
    EraseLast(FFreeNotifies, AComponent);
    if (FFreeNotifies.empty()) FComponentState.Exclude(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
    RemoveNotification(AComponent);
    AComponent->RemoveNotification(this);
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == opRemove) RemoveFreeNotification(AComponent);
    // Last to first; a component may leave the list while it is told.
    int i = int(FComponents.size()) - 1;
    while (i >= 0) {
        FComponents[size_t(i)]->Notification(AComponent, Operation);
        --i;
        if (i >= int(FComponents.size())) i = int(FComponents.size()) - 1;
    }
}

void TComponent::Loaded() {
    FComponentState.Exclude(csLoading);
}

bool TComponent::HasParent() const {
    return false;
}

TComponent* TComponent::GetParentComponent() const {
    return nullptr;
}

void TComponent::SetParentComponent(TComponent*) {}

void TComponent::GetChildren(const TGetChildProc&, TComponent*) {}

void TComponent::SetChildOrder(TComponent*, int) {}

TComponent* TComponent::GetChildOwner() {
    return nullptr;
}

TComponent* TComponent::GetChildParent() {
    return this;
}

String TComponent::GetNamePath() const {
    return FName;
}

void TComponent::ReadState(TReader& Reader) {
    Reader.ReadData(this);
}

void TComponent::WriteState(TWriter& Writer) {
    Writer.WriteComponentData(this);
}

void TComponent::DefineProperties(TFiler& Filer) {
    // The designer's position of a non-visual component, 16 bits each.
    Filer.DefineProperty(
        "Left",
        [this](TReader& r) {
            FDesignInfo = int32_t((uint32_t(FDesignInfo) & 0xFFFF0000u) | uint16_t(r.ReadInteger()));
        },
        [this](TWriter& w) { w.WriteInteger(uint32_t(FDesignInfo) & 0xFFFF); },
        (uint32_t(FDesignInfo) & 0xFFFF) != 0);
    Filer.DefineProperty(
        "Top",
        [this](TReader& r) {
            FDesignInfo =
                int32_t((uint32_t(FDesignInfo) & 0xFFFF) | (uint32_t(uint16_t(r.ReadInteger())) << 16));
        },
        [this](TWriter& w) { w.WriteInteger(uint32_t(FDesignInfo) >> 16); },
        (uint32_t(FDesignInfo) >> 16) != 0);
}

TComponent* CreateComponent(TComponentClass cls, TComponent* AOwner) {
    if (cls == nullptr || !cls->InheritsFrom(&TComponent::ClassInfo))
        throw EComponentError(String(cls ? cls->ClassName : "nil") + " is not a component class");
    if (cls->Create == nullptr)
        throw EComponentError("Cannot create an instance of " + String(cls->ClassName));
    return static_cast<TComponent*>(cls->Create(AOwner));
}

TComponent* FindNestedComponent(TComponent* Root, std::string_view Path) {
    if (Path.empty()) return nullptr;
    TComponent* result = Root;
    while (!Path.empty() && result != nullptr) {
        size_t dot = Path.find('.');
        std::string_view name = Path.substr(0, dot);
        Path = dot == std::string_view::npos ? std::string_view() : Path.substr(dot + 1);
        TComponent* c = result->FindComponent(name);
        if (c == nullptr && SysUtils::SameText(name, "Owner")) c = result;
        result = c;
    }
    return result;
}

namespace {

std::vector<TFindGlobalComponent>& GlobalProcs() {
    static std::vector<TFindGlobalComponent> procs;
    return procs;
}

} // namespace

void RegisterFindGlobalComponentProc(TFindGlobalComponent Proc) {
    auto& procs = GlobalProcs();
    if (std::find(procs.begin(), procs.end(), Proc) == procs.end()) procs.push_back(Proc);
}

void UnregisterFindGlobalComponentProc(TFindGlobalComponent Proc) {
    auto& procs = GlobalProcs();
    procs.erase(std::remove(procs.begin(), procs.end(), Proc), procs.end());
}

TComponent* FindGlobalComponent(const String& Name) {
    auto& procs = GlobalProcs();
    for (auto it = procs.rbegin(); it != procs.rend(); ++it)
        if (TComponent* c = (*it)(Name)) return c;
    return nullptr;
}

} // namespace Classes

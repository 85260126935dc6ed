// Classes: TCollection and TCollectionItem.
#include "framework/core/ClassesCollection.h"

#include <algorithm>

namespace Classes {

using namespace TypInfo;

PUBLISHED(TCollectionItem, "Classes");
PUBLISHED(TCollection, "Classes");
PUBLISHED(TOwnedCollection, "Classes");

// ---- TCollectionItem --------------------------------------------------------------------------------------

TCollectionItem::TCollectionItem(TCollection* Collection) {
    SetCollection(Collection);
}

TCollectionItem::~TCollectionItem() {
    SetCollection(nullptr);
}

void TCollectionItem::SetCollection(TCollection* Value) {
    if (Value == FCollection) return;
    if (FCollection != nullptr) FCollection->RemoveItem(this);
    if (Value != nullptr) Value->InsertItem(this);
}

int TCollectionItem::GetIndex() const {
    if (FCollection == nullptr) return -1;
    auto& items = FCollection->FItems;
    return int(std::find(items.begin(), items.end(), this) - items.begin());
}

void TCollectionItem::SetIndex(int Value) {
    int current = GetIndex();
    if (current < 0 || current == Value) return;
    auto& items = FCollection->FItems;
    Value = std::clamp(Value, 0, int(items.size()) - 1);
    items.erase(items.begin() + current);
    items.insert(items.begin() + Value, this);
    Changed(true);
}

String TCollectionItem::GetDisplayName() const {
    return ClassName();
}

String TCollectionItem::GetNamePath() const {
    if (FCollection == nullptr) return ClassName();
    return FCollection->GetNamePath() + "[" + SysUtils::IntToStr(GetIndex()) + "]";
}

TPersistent* TCollectionItem::GetOwner() const {
    return FCollection;
}

void TCollectionItem::Changed(bool AllItems) {
    if (FCollection != nullptr && FCollection->FUpdateCount == 0)
        FCollection->Update(AllItems ? nullptr : this);
}

// ---- TCollection ------------------------------------------------------------------------------------------

TCollection::TCollection(TClass ItemClass) : FItemClass(ItemClass) {
    if (ItemClass == nullptr || !ItemClass->InheritsFrom(&TCollectionItem::ClassInfo))
        throw SysUtils::EInvalidCast("A collection holds TCollectionItem descendants");
}

TCollection::~TCollection() {
    FUpdateCount = 1; // no Update while the items go
    while (!FItems.empty())
        delete FItems.back();
}

TCollectionItem* TCollection::Add() {
    if (FItemClass->Create == nullptr)
        throw EInvalidOperation("Cannot create an item of class " + String(FItemClass->ClassName));
    // The item puts itself into this collection, which owns it from then on.
    return static_cast<TCollectionItem*>(FItemClass->Create(this));
}

TCollectionItem* TCollection::Insert(int Index) {
    TCollectionItem* item = Add();
    item->SetIndex(Index);
    return item;
}

void TCollection::Delete(int Index) {
    delete GetItem(Index);
}

void TCollection::Clear() {
    if (FItems.empty()) return;
    BeginUpdate();
    while (!FItems.empty())
        delete FItems.back();
    EndUpdate();
}

TCollectionItem* TCollection::GetItem(int Index) const {
    if (Index < 0 || Index >= GetCount())
        throw EListError("List index out of bounds (" + SysUtils::IntToStr(Index) + ")");
    return FItems[size_t(Index)];
}

void TCollection::SetItem(int Index, TCollectionItem* Value) {
    GetItem(Index)->Assign(Value);
}

TCollectionItem* TCollection::FindItemID(int ID) const {
    for (TCollectionItem* item : FItems)
        if (item->FID == ID) return item;
    return nullptr;
}

void TCollection::BeginUpdate() {
    ++FUpdateCount;
}

void TCollection::EndUpdate() {
    if (FUpdateCount > 0) --FUpdateCount;
    if (FUpdateCount == 0) Changed();
}

void TCollection::Assign(TPersistent* Source) {
    if (auto* source = dynamic_cast<TCollection*>(Source)) {
        BeginUpdate();
        try {
            Clear();
            for (TCollectionItem* item : source->FItems)
                Add()->Assign(item);
        } catch (...) {
            EndUpdate();
            throw;
        }
        EndUpdate();
        return;
    }
    inherited::Assign(Source);
}

String TCollection::GetNamePath() const {
    TPersistent* owner = GetOwner();
    if (owner != nullptr) {
        // The property of the owner that holds this collection.
        for (const TPropInfo* prop : GetPropList(owner))
            if (prop->Kind == tkClass && prop->GetObject(owner) == this) {
                String ownerPath = owner->GetNamePath();
                return ownerPath.empty() ? String(prop->Name) : ownerPath + "." + prop->Name;
            }
    }
    return ClassName();
}

void TCollection::Update(TCollectionItem*) {}

void TCollection::Changed() {
    if (FUpdateCount == 0) Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* Item) {
    FItems.push_back(Item);
    Item->FCollection = this;
    Item->FID = FNextID++;
    Changed();
}

void TCollection::RemoveItem(TCollectionItem* Item) {
    auto it = std::find(FItems.rbegin(), FItems.rend(), Item);
    if (it != FItems.rend()) FItems.erase(std::next(it).base());
    Item->FCollection = nullptr;
    Changed();
}

} // namespace Classes

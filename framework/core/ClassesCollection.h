// Classes: TCollection and TCollectionItem, a list of owned items of one class, streamed as a property value.
//
// Declares: TCollectionItem, TCollection, TOwnedCollection.
//
//   class TColumn : public Classes::TCollectionItem {
//       DECLARE_CLASS(TColumn, Classes::TCollectionItem)
//   public:
//       using TCollectionItem::TCollectionItem;   // TColumn(TCollection*) makes it creatable by Add
//   ...
//   TOwnedCollection columns(grid, &TColumn::ClassInfo);
//   auto* c = static_cast<TColumn*>(columns.Add());
//
// In a stream a collection is vaCollection, then per item vaList, the item's properties and 0, then 0.
// The collection owns its items: deleting an item takes it out of its collection.
#pragma once

#include "framework/core/ClassesPersistent.h"

#include <vector>

namespace Classes {

class TCollection;

class TCollectionItem : public TPersistent {
    DECLARE_CLASS(TCollectionItem, TPersistent)
public:
    explicit TCollectionItem(TCollection* Collection);
    ~TCollectionItem() override;

    TCollection* GetCollection() const { return FCollection; }
    void SetCollection(TCollection* Value);
    int GetIndex() const;
    virtual void SetIndex(int Value);
    int GetID() const { return FID; }
    virtual String GetDisplayName() const;
    String GetNamePath() const override;
    TPersistent* GetOwner() const override;

protected:
    // Tells the collection that this item (AllItems: all of them) changed.
    void Changed(bool AllItems);

private:
    friend class TCollection;
    TCollection* FCollection = nullptr;
    int FID = 0;
};

class TCollection : public TPersistent {
    DECLARE_CLASS(TCollection, TPersistent)
public:
    // ItemClass: a TCollectionItem class constructible from a TCollection*.
    explicit TCollection(TClass ItemClass);
    ~TCollection() override;

    TCollectionItem* Add();
    TCollectionItem* Insert(int Index);
    void Delete(int Index);
    void Clear();
    int GetCount() const { return int(FItems.size()); }
    TCollectionItem* GetItem(int Index) const;       // EListError "List index out of bounds (%d)"
    void SetItem(int Index, TCollectionItem* Value); // copies Value into the item (Assign)
    TCollectionItem* FindItemID(int ID) const;
    TClass GetItemClass() const { return FItemClass; }

    void BeginUpdate();
    void EndUpdate();
    int GetUpdateCount() const { return FUpdateCount; }

    // Another collection: its items are copied into new items of this one.
    void Assign(TPersistent* Source) override;
    // The owner's name path and the property that holds the collection ("Grid1.Columns").
    String GetNamePath() const override;

protected:
    // An item (nullptr: the whole collection) changed, outside BeginUpdate/EndUpdate.
    virtual void Update(TCollectionItem* Item);
    void Changed();

private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem* Item);
    void RemoveItem(TCollectionItem* Item);

    TClass FItemClass;
    std::vector<TCollectionItem*> FItems;
    int FUpdateCount = 0;
    int FNextID = 0;
};

// A collection that names its owner (the component or sub-object that holds it).
class TOwnedCollection : public TCollection {
    DECLARE_CLASS(TOwnedCollection, TCollection)
public:
    TOwnedCollection(TPersistent* AOwner, TClass ItemClass) : TCollection(ItemClass), FOwner(AOwner) {}
    TPersistent* GetOwner() const override { return FOwner; }

private:
    TPersistent* FOwner;
};

} // namespace Classes

// Classes: lists.
//
// Declares: TList (a list of untyped pointers), TStrings (the abstract list of strings, each string carrying
// an object pointer) and TStringList (the string list proper: sorting, duplicates, change events).
//
//   TStringList names;                         // compares ignoring case, as AnsiCompareText does
//   names.SetText("Name=Тип\r\nLevel=132\r\n");
//   names.GetValue("level");                   // "132"
//   names.Get(5);                              // EStringListError "List index out of bounds (5)"
//
// The lists own neither their pointers nor the objects attached to strings.
#pragma once

#include "framework/core/ClassesStreams.h"

#include <functional>
#include <vector>

namespace Classes {

enum TListNotification { lnAdded, lnExtracted, lnDeleted };

// Orders two items: negative, zero or positive.
using TListSortCompare = int (*)(void* item1, void* item2);

// A list of pointers. Index errors raise EListError "List index out of bounds (%d)".
class TList {
public:
    TList() = default;
    TList(const TList&) = delete;
    TList& operator=(const TList&) = delete;
    // Frees the storage only: Notify is not called from here, so a list that must see its items go clears
    // itself in its own destructor.
    virtual ~TList() = default;

    int Add(void* item);
    void Insert(int index, void* item);
    void Delete(int index);
    int Remove(void* item);    // the index the item had, -1 when absent
    void* Extract(void* item); // removes without deleting: the item, or nullptr when absent
    int IndexOf(void* item) const;
    void Exchange(int index1, int index2);
    void Move(int curIndex, int newIndex);
    virtual void Clear();                // deletes every item, last first, and releases the storage
    void Pack();                         // removes the nil items
    void Sort(TListSortCompare compare); // stable; an exception from compare leaves the list as it was
    void* First() const { return Get(0); }
    void* Last() const { return Get(Count() - 1); }

    void* Get(int index) const;
    void Put(int index, void* item);
    void* operator[](int index) const { return Get(index); }
    int Count() const { return int(FList.size()); }
    void SetCount(int newCount); // grows with nil items, shrinks by deleting from the end
    int Capacity() const { return FCapacity; }
    void SetCapacity(int newCapacity);

    std::vector<void*>::const_iterator begin() const { return FList.begin(); }
    std::vector<void*>::const_iterator end() const { return FList.end(); }

protected:
    // Told about every non-nil item that enters or leaves the list (not about Move and Exchange).
    virtual void Notify(void* item, TListNotification action);
    [[noreturn]] static void Error(const char* msg, int data);

private:
    std::vector<void*> FList;
    int FCapacity = 0;
    void CheckIndex(int index) const;
    void Grow();
};

enum TDuplicates { dupIgnore, dupAccept, dupError };

// An ordered list of strings, each with an object pointer; "Name=Value" lines give Names and Values. A
// concrete list provides Get, GetCount, Clear, Delete and Insert (and Objects/PutObject to keep objects);
// everything else is built on them. Strings are compared through CompareStrings, ignoring case by default.
// TPersistent attaches here: TStrings will derive from it and gain Assign.
class TStrings {
public:
    TStrings() = default;
    TStrings(const TStrings&) = delete;
    TStrings& operator=(const TStrings&) = delete;
    virtual ~TStrings() = default;

    virtual String Get(int index) const = 0;
    virtual int GetCount() const = 0;
    virtual void Clear() = 0;
    virtual void Delete(int index) = 0;
    virtual void Insert(int index, const String& s) = 0;

    virtual void Put(int index, const String& s);
    // The object of a string. (Not GetObject: <windows.h> defines that name as a macro.)
    virtual void* Objects(int index) const;
    virtual void PutObject(int index, void* object);
    virtual int Add(const String& s);
    virtual int AddObject(const String& s, void* object);
    virtual void InsertObject(int index, const String& s, void* object);
    void Append(const String& s) { Add(s); }
    void AddStrings(const TStrings& strings);
    virtual int IndexOf(const String& s) const;
    int IndexOfName(const String& name) const;
    int IndexOfObject(void* object) const;
    virtual void Exchange(int index1, int index2);
    virtual void Move(int curIndex, int newIndex); // nothing changes when either index is out of range
    bool Equals(const TStrings& other) const;      // the same strings in the same order, case counting

    int Count() const { return GetCount(); }
    String operator[](int index) const { return Get(index); }
    virtual int GetCapacity() const { return GetCount(); }
    virtual void SetCapacity(int) {}

    // "Name=Value": the name of line index ("" without '='), and the value of the first line with that name
    // ("" when none). Setting a value to "" deletes its line; setting one that is absent adds a line.
    String GetName(int index) const;
    String GetValue(const String& name) const;
    void SetValue(const String& name, const String& value);

    // Every string followed by CR LF. Setting splits at CR LF, LF or CR; a final line break adds no line.
    virtual String GetText() const;
    virtual void SetText(std::string_view text);
    // Comma-separated; strings with blanks, commas or quotes are double-quoted, quotes doubled inside.
    String GetCommaText() const;
    void SetCommaText(std::string_view text);

    // Between BeginUpdate and the matching EndUpdate, change notifications are held back (see TStringList).
    void BeginUpdate();
    void EndUpdate();

    // The text's bytes as they are, no byte-order mark or code page added or removed.
    void LoadFromFile(const String& fileName);
    void SaveToFile(const String& fileName) const;
    virtual void LoadFromStream(TStream& stream); // from the stream's position to its end
    virtual void SaveToStream(TStream& stream) const;

protected:
    virtual void SetUpdateState(bool updating);
    virtual int CompareStrings(const String& s1, const String& s2) const;
    int UpdateCount() const { return FUpdateCount; }
    [[noreturn]] static void Error(const char* msg, int data); // EStringListError

private:
    int FUpdateCount = 0;
};

class TStringList;
// Orders the strings at two indexes of the list: negative, zero or positive.
using TStringListSortCompare = int (*)(TStringList& list, int index1, int index2);

// The string list. Sorted keeps the strings in CompareStrings order (Add inserts in place, Insert, Put,
// Exchange and Move raise EStringListError "Operation not allowed on sorted string list"); Duplicates says
// what Add does with a string already in a sorted list (dupError: "String list does not allow duplicates").
// OnChanging and OnChange run before and after each change, once around a BeginUpdate/EndUpdate block.
class TStringList : public TStrings {
public:
    TStringList() = default;
    ~TStringList() override;

    String Get(int index) const override;
    int GetCount() const override { return int(FList.size()); }
    void Clear() override;
    void Delete(int index) override;
    void Insert(int index, const String& s) override;
    void InsertObject(int index, const String& s, void* object) override;
    void Put(int index, const String& s) override;
    void* Objects(int index) const override;
    void PutObject(int index, void* object) override;
    int Add(const String& s) override;
    int AddObject(const String& s, void* object) override;
    int IndexOf(const String& s) const override;
    void Exchange(int index1, int index2) override;
    void Move(int curIndex, int newIndex) override;
    int GetCapacity() const override { return int(FList.capacity()); }
    void SetCapacity(int newCapacity) override; // at least this many without reallocating

    // Binary search by CompareStrings: true when found; index is the first match or where s would go.
    bool Find(const String& s, int& index) const;
    void Sort();
    void CustomSort(TStringListSortCompare compare); // stable

    bool GetSorted() const { return FSorted; }
    void SetSorted(bool value);
    TDuplicates GetDuplicates() const { return FDuplicates; }
    void SetDuplicates(TDuplicates value) { FDuplicates = value; }
    bool GetCaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool value); // a sorted list sorts itself again

    std::function<void(TStrings&)> OnChange;
    std::function<void(TStrings&)> OnChanging;

protected:
    virtual void Changed();
    virtual void Changing();
    void SetUpdateState(bool updating) override;
    int CompareStrings(const String& s1, const String& s2) const override;

private:
    struct TStringItem {
        String FString;
        void* FObject;
    };
    std::vector<TStringItem> FList;
    TDuplicates FDuplicates = dupIgnore;
    bool FSorted = false;
    bool FCaseSensitive = false;

    void CheckIndex(int index) const;
    void CheckUnsorted() const;
    void InsertItem(int index, const String& s, void* object);
    void SortItems(const std::function<int(int, int)>& compare);
};

} // namespace Classes

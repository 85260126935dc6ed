// Classes: TList, TStrings and TStringList.
//
// Invariants:
//   1. Every index is checked before it is used, and checked again after an OnChanging handler has run,
//      because the handler may have changed the list.
//   2. Sorting is a bottom-up merge sort that touches only positions inside the list, whatever the compare
//      function answers; it sorts a copy, so an exception from the compare function leaves the list as it
//      was.
//   3. A sorted TStringList is in CompareStrings order after every public call.
#include "framework/core/ClassesLists.h"

#include <algorithm>
#include <numeric>

namespace Classes {

namespace {

// The framework's limit on list sizes; it also keeps a bad count from asking for gigabytes.
constexpr int kMaxListSize = 134217727;

const char* const SListIndexError = "List index out of bounds (%d)";
const char* const SListCapacityError = "List capacity out of bounds (%d)";
const char* const SListCountError = "List count out of bounds (%d)";
const char* const SSortedListError = "Operation not allowed on sorted string list";
const char* const SDuplicateString = "String list does not allow duplicates";

// Stable: of two equal items the earlier stays first. compare(a, b) < 0 means a goes before b.
template <class T, class Compare> void MergeSort(std::vector<T>& items, Compare compare) {
    const size_t n = items.size();
    std::vector<T> buffer(n);
    for (size_t width = 1; width < n; width *= 2) {
        for (size_t lo = 0; lo < n; lo += 2 * width) {
            size_t mid = std::min(lo + width, n), hi = std::min(lo + 2 * width, n);
            size_t i = lo, j = mid, k = lo;
            while (i < mid && j < hi)
                buffer[k++] = compare(items[j], items[i]) < 0 ? items[j++] : items[i++];
            while (i < mid)
                buffer[k++] = items[i++];
            while (j < hi)
                buffer[k++] = items[j++];
        }
        items.swap(buffer);
    }
}

// Holds change notifications back for a block, and lets them go even when the block raises.
template <class Body> void InUpdate(TStrings& list, Body body) {
    list.BeginUpdate();
    try {
        body();
    } catch (...) {
        list.EndUpdate();
        throw;
    }
    list.EndUpdate();
}

} // namespace

// ---- TList

void TList::Error(const char* msg, int data) {
    throw EListError(msg, {data});
}

void TList::Notify(void*, TListNotification) {}

void TList::CheckIndex(int index) const {
    if (index < 0 || index >= Count()) Error(SListIndexError, index);
}

void TList::Grow() {
    int delta = FCapacity > 64 ? FCapacity / 4 : FCapacity > 8 ? 16 : 4;
    SetCapacity(std::min(FCapacity + delta, kMaxListSize));
}

int TList::Add(void* item) {
    int index = Count();
    Insert(index, item);
    return index;
}

void TList::Insert(int index, void* item) {
    if (index < 0 || index > Count()) Error(SListIndexError, index);
    if (Count() == FCapacity) {
        if (FCapacity == kMaxListSize) Error(SListCountError, FCapacity + 1);
        Grow();
    }
    FList.insert(FList.begin() + index, item);
    if (item) Notify(item, lnAdded);
}

void TList::Delete(int index) {
    CheckIndex(index);
    void* item = FList[size_t(index)];
    FList.erase(FList.begin() + index);
    if (item) Notify(item, lnDeleted);
}

int TList::Remove(void* item) {
    int index = IndexOf(item);
    if (index >= 0) Delete(index);
    return index;
}

void* TList::Extract(void* item) {
    int index = IndexOf(item);
    if (index < 0) return nullptr;
    FList[size_t(index)] = nullptr; // so that Delete does not report it deleted
    Delete(index);
    Notify(item, lnExtracted);
    return item;
}

int TList::IndexOf(void* item) const {
    auto it = std::find(FList.begin(), FList.end(), item);
    return it == FList.end() ? -1 : int(it - FList.begin());
}

void TList::Exchange(int index1, int index2) {
    CheckIndex(index1);
    CheckIndex(index2);
    std::swap(FList[size_t(index1)], FList[size_t(index2)]);
}

void TList::Move(int curIndex, int newIndex) {
    if (curIndex == newIndex) return;
    CheckIndex(curIndex);
    CheckIndex(newIndex);
    void* item = FList[size_t(curIndex)];
    FList.erase(FList.begin() + curIndex);
    FList.insert(FList.begin() + newIndex, item);
}

void TList::Clear() {
    SetCount(0);
    SetCapacity(0);
}

void TList::Pack() {
    for (int i = Count() - 1; i >= 0; --i) {
        if (i < Count() && !FList[size_t(i)]) Delete(i);
    }
}

void TList::Sort(TListSortCompare compare) {
    std::vector<void*> items = FList;
    MergeSort(items, compare);
    FList.swap(items);
}

void* TList::Get(int index) const {
    CheckIndex(index);
    return FList[size_t(index)];
}

void TList::Put(int index, void* item) {
    CheckIndex(index);
    void* old = FList[size_t(index)];
    if (old == item) return;
    FList[size_t(index)] = item;
    if (old) Notify(old, lnDeleted);
    if (item) Notify(item, lnAdded);
}

void TList::SetCount(int newCount) {
    if (newCount < 0 || newCount > kMaxListSize) Error(SListCountError, newCount);
    if (newCount > FCapacity) SetCapacity(newCount);
    if (newCount > Count()) {
        FList.resize(size_t(newCount), nullptr);
    } else {
        // Last first, as the items were added; a Notify that deletes more only shortens the walk.
        while (Count() > newCount)
            Delete(Count() - 1);
    }
}

void TList::SetCapacity(int newCapacity) {
    if (newCapacity < Count() || newCapacity > kMaxListSize) Error(SListCapacityError, newCapacity);
    if (newCapacity < int(FList.capacity())) {
        std::vector<void*> shrunk;
        shrunk.reserve(size_t(newCapacity));
        shrunk.assign(FList.begin(), FList.end());
        FList.swap(shrunk);
    } else {
        FList.reserve(size_t(newCapacity));
    }
    FCapacity = newCapacity;
}

// ---- TStrings

void TStrings::Error(const char* msg, int data) {
    throw EStringListError(msg, {data});
}

void TStrings::Put(int index, const String& s) {
    void* object = Objects(index);
    Delete(index);
    InsertObject(index, s, object);
}

void* TStrings::Objects(int) const {
    return nullptr;
}

void TStrings::PutObject(int, void*) {}

int TStrings::Add(const String& s) {
    int index = GetCount();
    Insert(index, s);
    return index;
}

int TStrings::AddObject(const String& s, void* object) {
    int index = Add(s);
    PutObject(index, object);
    return index;
}

void TStrings::InsertObject(int index, const String& s, void* object) {
    Insert(index, s);
    PutObject(index, object);
}

void TStrings::AddStrings(const TStrings& strings) {
    InUpdate(*this, [&] {
        int n = strings.GetCount(); // fixed first: the list may be adding itself
        for (int i = 0; i < n; ++i)
            AddObject(strings.Get(i), strings.Objects(i));
    });
}

int TStrings::IndexOf(const String& s) const {
    for (int i = 0, n = GetCount(); i < n; ++i) {
        if (CompareStrings(Get(i), s) == 0) return i;
    }
    return -1;
}

int TStrings::IndexOfName(const String& name) const {
    for (int i = 0, n = GetCount(); i < n; ++i) {
        String s = Get(i);
        size_t eq = s.find('=');
        if (eq != String::npos && CompareStrings(s.substr(0, eq), name) == 0) return i;
    }
    return -1;
}

int TStrings::IndexOfObject(void* object) const {
    for (int i = 0, n = GetCount(); i < n; ++i) {
        if (Objects(i) == object) return i;
    }
    return -1;
}

void TStrings::Exchange(int index1, int index2) {
    InUpdate(*this, [&] {
        String s1 = Get(index1), s2 = Get(index2);
        void *o1 = Objects(index1), *o2 = Objects(index2);
        Put(index1, s2);
        PutObject(index1, o2);
        Put(index2, s1);
        PutObject(index2, o1);
    });
}

void TStrings::Move(int curIndex, int newIndex) {
    if (curIndex == newIndex) return;
    // Both indexes first: once the string is deleted, a bad target would lose it.
    if (curIndex < 0 || curIndex >= GetCount()) Error(SListIndexError, curIndex);
    if (newIndex < 0 || newIndex >= GetCount()) Error(SListIndexError, newIndex);
    InUpdate(*this, [&] {
        String s = Get(curIndex);
        void* object = Objects(curIndex);
        Delete(curIndex);
        InsertObject(newIndex, s, object);
    });
}

bool TStrings::Equals(const TStrings& other) const {
    int n = GetCount();
    if (n != other.GetCount()) return false;
    for (int i = 0; i < n; ++i) {
        if (Get(i) != other.Get(i)) return false;
    }
    return true;
}

String TStrings::GetName(int index) const {
    String s = Get(index);
    size_t eq = s.find('=');
    return eq == String::npos ? String() : s.substr(0, eq);
}

String TStrings::GetValue(const String& name) const {
    int index = IndexOfName(name);
    if (index < 0) return {};
    String s = Get(index);
    return s.substr(s.find('=') + 1);
}

void TStrings::SetValue(const String& name, const String& value) {
    int index = IndexOfName(name);
    if (!value.empty()) {
        if (index < 0) index = Add("");
        Put(index, name + "=" + value);
    } else if (index >= 0) {
        Delete(index);
    }
}

String TStrings::GetText() const {
    String text;
    for (int i = 0, n = GetCount(); i < n; ++i) {
        text += Get(i);
        text += "\r\n";
    }
    return text;
}

void TStrings::SetText(std::string_view text) {
    InUpdate(*this, [&] {
        Clear();
        size_t i = 0;
        while (i < text.size()) {
            size_t end = text.find_first_of("\r\n", i);
            if (end == std::string_view::npos) end = text.size();
            Add(String(text.substr(i, end - i)));
            i = end;
            if (i < text.size() && text[i] == '\r') ++i;
            if (i < text.size() && text[i] == '\n') ++i;
        }
    });
}

String TStrings::GetCommaText() const {
    int n = GetCount();
    if (n == 1 && Get(0).empty()) return "\"\"";
    String text;
    for (int i = 0; i < n; ++i) {
        String s = Get(i);
        bool quote = std::any_of(s.begin(), s.end(), [](char c) {
            return static_cast<unsigned char>(c) <= ' ' || c == '"' || c == ',';
        });
        if (quote) {
            String q = "\"";
            for (char c : s) {
                q.push_back(c);
                if (c == '"') q.push_back('"');
            }
            s = q + "\"";
        }
        if (i > 0) text.push_back(',');
        text += s;
    }
    return text;
}

void TStrings::SetCommaText(std::string_view text) {
    // Blanks are the control characters and the space; a zero byte is one of them, not an end.
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    InUpdate(*this, [&] {
        Clear();
        size_t i = 0;
        while (i < text.size() && blank(text[i]))
            ++i;
        while (i < text.size()) {
            String s;
            if (text[i] == '"') {
                // Up to the closing quote, a doubled quote standing for one; an unclosed one takes the rest.
                ++i;
                while (i < text.size()) {
                    if (text[i] == '"') {
                        if (i + 1 < text.size() && text[i + 1] == '"') {
                            s.push_back('"');
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    s.push_back(text[i++]);
                }
            } else {
                size_t start = i;
                while (i < text.size() && static_cast<unsigned char>(text[i]) > ' ' && text[i] != ',')
                    ++i;
                s.assign(text.substr(start, i - start));
            }
            Add(s);
            while (i < text.size() && blank(text[i]))
                ++i;
            if (i < text.size() && text[i] == ',') {
                do {
                    ++i;
                } while (i < text.size() && blank(text[i]));
            }
        }
    });
}

// The count is 0 while SetUpdateState runs, so that the notifications it sends go out.
void TStrings::BeginUpdate() {
    if (FUpdateCount == 0) SetUpdateState(true);
    ++FUpdateCount;
}

void TStrings::EndUpdate() {
    if (FUpdateCount == 0) return;
    if (--FUpdateCount == 0) SetUpdateState(false);
}

void TStrings::SetUpdateState(bool) {}

int TStrings::CompareStrings(const String& s1, const String& s2) const {
    return SysUtils::AnsiCompareText(s1, s2);
}

void TStrings::LoadFromFile(const String& fileName) {
    TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(stream);
}

void TStrings::SaveToFile(const String& fileName) const {
    TFileStream stream(fileName, fmCreate);
    SaveToStream(stream);
}

void TStrings::LoadFromStream(TStream& stream) {
    String text;
    char buffer[4096];
    while (size_t n = stream.Read(buffer, sizeof buffer))
        text.append(buffer, n);
    SetText(text);
}

void TStrings::SaveToStream(TStream& stream) const {
    String text = GetText();
    stream.WriteBuffer(text.data(), text.size());
}

// ---- TStringList

TStringList::~TStringList() {
    // Nobody is told about the strings going with the list.
    OnChange = nullptr;
    OnChanging = nullptr;
}

void TStringList::CheckIndex(int index) const {
    if (index < 0 || index >= GetCount()) Error(SListIndexError, index);
}

void TStringList::CheckUnsorted() const {
    if (FSorted) Error(SSortedListError, 0);
}

void TStringList::Changed() {
    if (UpdateCount() == 0 && OnChange) OnChange(*this);
}

void TStringList::Changing() {
    if (UpdateCount() == 0 && OnChanging) OnChanging(*this);
}

void TStringList::SetUpdateState(bool updating) {
    if (updating) {
        Changing();
    } else {
        Changed();
    }
}

int TStringList::CompareStrings(const String& s1, const String& s2) const {
    return FCaseSensitive ? SysUtils::AnsiCompareStr(s1, s2) : SysUtils::AnsiCompareText(s1, s2);
}

String TStringList::Get(int index) const {
    CheckIndex(index);
    return FList[size_t(index)].FString;
}

void* TStringList::Objects(int index) const {
    CheckIndex(index);
    return FList[size_t(index)].FObject;
}

void TStringList::Clear() {
    if (FList.empty()) return;
    Changing();
    FList.clear();
    FList.shrink_to_fit();
    Changed();
}

void TStringList::Delete(int index) {
    CheckIndex(index);
    Changing();
    CheckIndex(index); // (1)
    FList.erase(FList.begin() + index);
    Changed();
}

void TStringList::InsertItem(int index, const String& s, void* object) {
    Changing();
    if (index < 0 || index > GetCount()) Error(SListIndexError, index); // (1)
    if (GetCount() >= kMaxListSize) Error(SListCountError, GetCount() + 1);
    FList.insert(FList.begin() + index, TStringItem{s, object});
    Changed();
}

void TStringList::Insert(int index, const String& s) {
    InsertObject(index, s, nullptr);
}

void TStringList::InsertObject(int index, const String& s, void* object) {
    CheckUnsorted();
    if (index < 0 || index > GetCount()) Error(SListIndexError, index);
    InsertItem(index, s, object);
}

void TStringList::Put(int index, const String& s) {
    CheckUnsorted();
    CheckIndex(index);
    Changing();
    CheckIndex(index); // (1)
    FList[size_t(index)].FString = s;
    Changed();
}

void TStringList::PutObject(int index, void* object) {
    CheckIndex(index);
    Changing();
    CheckIndex(index); // (1)
    FList[size_t(index)].FObject = object;
    Changed();
}

int TStringList::Add(const String& s) {
    return AddObject(s, nullptr);
}

int TStringList::AddObject(const String& s, void* object) {
    int index = GetCount();
    if (FSorted && Find(s, index)) {
        if (FDuplicates == dupIgnore) return index;
        if (FDuplicates == dupError) Error(SDuplicateString, 0);
    }
    InsertItem(index, s, object);
    return index;
}

int TStringList::IndexOf(const String& s) const {
    if (!FSorted) return TStrings::IndexOf(s);
    int index;
    return Find(s, index) ? index : -1;
}

void TStringList::Exchange(int index1, int index2) {
    CheckUnsorted();
    CheckIndex(index1);
    CheckIndex(index2);
    Changing();
    CheckIndex(index1); // (1)
    CheckIndex(index2);
    std::swap(FList[size_t(index1)], FList[size_t(index2)]);
    Changed();
}

void TStringList::Move(int curIndex, int newIndex) {
    if (curIndex != newIndex) CheckUnsorted();
    TStrings::Move(curIndex, newIndex);
}

void TStringList::SetCapacity(int newCapacity) {
    if (newCapacity < GetCount() || newCapacity > kMaxListSize) Error(SListCapacityError, newCapacity);
    FList.reserve(size_t(newCapacity));
}

bool TStringList::Find(const String& s, int& index) const {
    bool found = false;
    int lo = 0, hi = GetCount() - 1;
    while (lo <= hi) {
        int mid = lo + (hi - lo) / 2;
        int c = CompareStrings(FList[size_t(mid)].FString, s);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0) found = true; // go on left: the first of equal strings
        }
    }
    index = lo;
    return found;
}

void TStringList::SortItems(const std::function<int(int, int)>& compare) {
    const size_t n = FList.size();
    if (n < 2) return;
    Changing();
    std::vector<int> order(n);
    std::iota(order.begin(), order.end(), 0);
    MergeSort(order, compare);                                 // (2)
    if (FList.size() != n) Error(SListCountError, GetCount()); // the compare function changed the list
    std::vector<TStringItem> sorted;
    sorted.reserve(n);
    for (int i : order)
        sorted.push_back(std::move(FList[size_t(i)]));
    FList.swap(sorted);
    Changed();
}

void TStringList::Sort() {
    if (!FSorted)
        SortItems([this](int a, int b) {
            return CompareStrings(FList[size_t(a)].FString, FList[size_t(b)].FString);
        });
}

void TStringList::CustomSort(TStringListSortCompare compare) {
    if (!FSorted) SortItems([this, compare](int a, int b) { return compare(*this, a, b); });
}

void TStringList::SetSorted(bool value) {
    if (value == FSorted) return;
    if (value) Sort(); // (3)
    FSorted = value;
}

void TStringList::SetCaseSensitive(bool value) {
    if (value == FCaseSensitive) return;
    FCaseSensitive = value;
    if (FSorted) {
        FSorted = false; // (3): re-sort in the new order
        Sort();
        FSorted = true;
    }
}

} // namespace Classes

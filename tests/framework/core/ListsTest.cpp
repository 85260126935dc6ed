// Classes: TList, TStrings and TStringList.
#include "framework/core/ClassesLists.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <utility>
#include <vector>

using namespace Classes;

namespace {

// Distinct addresses to put in lists, printed as letters.
int gItems[8];
void* P(int i) {
    return &gItems[i];
}

std::vector<void*> Items(const TList& list) {
    return std::vector<void*>(list.begin(), list.end());
}

std::vector<String> Strings(const TStrings& list) {
    std::vector<String> v;
    for (int i = 0; i < list.Count(); ++i)
        v.push_back(list[i]);
    return v;
}

template <class E, class F> void ExpectError(F f, const String& message) {
    try {
        f();
        ADD_FAILURE() << "no exception, expected: " << message;
    } catch (const E& e) {
        EXPECT_EQ(e.Message(), message);
    }
}

// A list that records what it is told.
class TRecordingList : public TList {
public:
    std::vector<std::pair<void*, TListNotification>> Log;

protected:
    void Notify(void* item, TListNotification action) override { Log.emplace_back(item, action); }
};

// A list that owns heap integers, as an object list owns its objects: it frees what is deleted.
class TOwningList : public TList {
public:
    static inline int Alive = 0;
    ~TOwningList() override { Clear(); }
    void AddNew(int v) {
        ++Alive;
        Add(new int(v));
    }

protected:
    void Notify(void* item, TListNotification action) override {
        if (action == lnDeleted) {
            delete static_cast<int*>(item);
            --Alive;
        }
    }
};

// The five primitives over a vector, nothing more: what TStrings builds on them must work.
class TPlainStrings : public TStrings {
public:
    std::vector<String> FItems;
    String Get(int index) const override { return FItems.at(size_t(index)); }
    int GetCount() const override { return int(FItems.size()); }
    void Clear() override { FItems.clear(); }
    void Delete(int index) override {
        if (index < 0 || index >= GetCount()) Error("List index out of bounds (%d)", index);
        FItems.erase(FItems.begin() + index);
    }
    void Insert(int index, const String& s) override {
        if (index < 0 || index > GetCount()) Error("List index out of bounds (%d)", index);
        FItems.insert(FItems.begin() + index, s);
    }
};

struct TempFile {
    std::string Path;
    explicit TempFile(const char* name) : Path(testing::TempDir() + name) { std::remove(Path.c_str()); }
    ~TempFile() { std::remove(Path.c_str()); }
};

} // namespace

TEST(List, AddInsertDeleteRemoveKeepOrder) {
    TList list;
    EXPECT_EQ(list.Add(P(1)), 0);
    EXPECT_EQ(list.Add(P(2)), 1);
    list.Insert(0, P(0));
    list.Insert(3, P(3));
    EXPECT_EQ(Items(list), (std::vector<void*>{P(0), P(1), P(2), P(3)}));
    EXPECT_EQ(list.First(), P(0));
    EXPECT_EQ(list.Last(), P(3));
    EXPECT_EQ(list.IndexOf(P(2)), 2);
    EXPECT_EQ(list.IndexOf(P(7)), -1);
    list.Delete(1);
    EXPECT_EQ(list.Remove(P(3)), 2);
    EXPECT_EQ(list.Remove(P(3)), -1);
    EXPECT_EQ(Items(list), (std::vector<void*>{P(0), P(2)}));
    list.Put(1, P(5));
    EXPECT_EQ(list[1], P(5));
    EXPECT_EQ(list.Extract(P(0)), P(0));
    EXPECT_EQ(list.Extract(P(0)), nullptr);
    EXPECT_EQ(list.Count(), 1);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Capacity(), 0);
}

TEST(List, MoveExchangePackAndCount) {
    TList list;
    for (int i = 0; i < 4; ++i)
        list.Add(P(i));
    list.Move(0, 2);
    EXPECT_EQ(Items(list), (std::vector<void*>{P(1), P(2), P(0), P(3)}));
    list.Move(3, 0);
    EXPECT_EQ(Items(list), (std::vector<void*>{P(3), P(1), P(2), P(0)}));
    list.Exchange(0, 3);
    EXPECT_EQ(Items(list), (std::vector<void*>{P(0), P(1), P(2), P(3)}));
    list.SetCount(6); // grows with nil items
    list.Put(1, nullptr);
    EXPECT_EQ(list.Count(), 6);
    EXPECT_GE(list.Capacity(), 6);
    list.Pack();
    EXPECT_EQ(Items(list), (std::vector<void*>{P(0), P(2), P(3)}));
    list.SetCount(1);
    EXPECT_EQ(Items(list), (std::vector<void*>{P(0)}));
}

TEST(List, IndexAndSizeErrorsNameTheValue) {
    TList list;
    ExpectError<EListError>([&] { list.First(); }, "List index out of bounds (0)");
    ExpectError<EListError>([&] { list.Last(); }, "List index out of bounds (-1)");
    list.Add(P(0));
    list.Add(P(1));
    ExpectError<EListError>([&] { list.Get(2); }, "List index out of bounds (2)");
    ExpectError<EListError>([&] { list.Get(-1); }, "List index out of bounds (-1)");
    ExpectError<EListError>([&] { list.Put(2, P(0)); }, "List index out of bounds (2)");
    ExpectError<EListError>([&] { list.Insert(3, P(0)); }, "List index out of bounds (3)");
    ExpectError<EListError>([&] { list.Delete(5); }, "List index out of bounds (5)");
    ExpectError<EListError>([&] { list.Exchange(0, 9); }, "List index out of bounds (9)");
    ExpectError<EListError>([&] { list.Move(0, 2); }, "List index out of bounds (2)");
    ExpectError<EListError>([&] { list.SetCapacity(1); }, "List capacity out of bounds (1)");
    ExpectError<EListError>([&] { list.SetCount(-1); }, "List count out of bounds (-1)");
    ExpectError<EListError>([&] { list.SetCount(1 << 30); }, "List count out of bounds (1073741824)");
    EXPECT_EQ(Items(list), (std::vector<void*>{P(0), P(1)})); // nothing changed by the failed calls
}

TEST(List, SortIsStableAndSurvivesAnyCompareFunction) {
    // Sort by the value pointed at; items 2 and 6 hold equal values and keep their order.
    for (int i = 0; i < 8; ++i)
        gItems[i] = i % 4;
    TList list;
    for (int i : {3, 6, 1, 2, 5, 0})
        list.Add(P(i));
    list.Sort([](void* a, void* b) { return *static_cast<int*>(a) - *static_cast<int*>(b); });
    EXPECT_EQ(Items(list), (std::vector<void*>{P(0), P(1), P(5), P(6), P(2), P(3)}));

    // An exception from the compare function leaves the list as it was.
    std::vector<void*> before = Items(list);
    EXPECT_THROW(list.Sort([](void*, void*) -> int { throw EListError("compare failed"); }), EListError);
    EXPECT_EQ(Items(list), before);

    // A compare function that contradicts itself gives some order of the same items, never a crash.
    TList big;
    for (int i = 0; i < 1000; ++i)
        big.Add(P(i % 8));
    big.Sort([](void*, void*) {
        static std::mt19937 random(7);
        return int(random() % 3) - 1;
    });
    std::vector<int> counts(8);
    for (void* p : big)
        ++counts[size_t(static_cast<int*>(p) - gItems)];
    EXPECT_EQ(counts, std::vector<int>(8, 125));
}

TEST(List, NotifiesEveryItemThatEntersOrLeaves) {
    TRecordingList list;
    list.Add(P(0));
    list.Add(nullptr); // nil items are not reported
    list.Add(P(1));
    list.Put(1, P(2));
    list.Put(0, P(3));
    list.Move(0, 2);     // not reported
    list.Exchange(0, 1); // not reported
    list.Extract(P(3));
    list.Remove(P(1));
    list.Add(P(4));
    list.Clear();
    using V = std::vector<std::pair<void*, TListNotification>>;
    EXPECT_EQ(list.Log, (V{{P(0), lnAdded},
                           {P(1), lnAdded},
                           {P(2), lnAdded},
                           {P(0), lnDeleted},
                           {P(3), lnAdded},
                           {P(3), lnExtracted},
                           {P(1), lnDeleted},
                           {P(4), lnAdded},
                           {P(4), lnDeleted}, // Clear deletes the last item first
                           {P(2), lnDeleted}}));

    {
        TOwningList owning;
        for (int i = 0; i < 5; ++i)
            owning.AddNew(i);
        owning.Delete(0);
        EXPECT_EQ(TOwningList::Alive, 4);
    }
    EXPECT_EQ(TOwningList::Alive, 0); // its destructor cleared it
}

TEST(StringList, AddInsertDeleteWithObjects) {
    TStringList list;
    EXPECT_EQ(list.Add("тип"), 0);
    EXPECT_EQ(list.AddObject("Level", P(1)), 1);
    list.InsertObject(0, "First", P(0));
    list.Insert(3, "Last");
    EXPECT_EQ(Strings(list), (std::vector<String>{"First", "тип", "Level", "Last"}));
    EXPECT_EQ(list.Objects(0), P(0));
    EXPECT_EQ(list.Objects(1), nullptr);
    EXPECT_EQ(list.IndexOfObject(P(1)), 2);
    list.PutObject(3, P(3));
    list.Put(3, "Final"); // keeps the object
    EXPECT_EQ(list.Objects(3), P(3));
    EXPECT_EQ(list.IndexOf("ТИП"), 1); // ignoring case, Cyrillic too
    EXPECT_EQ(list.IndexOf("level"), 2);
    EXPECT_EQ(list.IndexOf("missing"), -1);
    list.SetCaseSensitive(true);
    EXPECT_EQ(list.IndexOf("ТИП"), -1);
    list.Delete(0);
    EXPECT_EQ(Strings(list), (std::vector<String>{"тип", "Level", "Final"}));
    list.Move(0, 2);
    EXPECT_EQ(Strings(list), (std::vector<String>{"Level", "Final", "тип"}));
    list.Exchange(0, 1);
    EXPECT_EQ(Strings(list), (std::vector<String>{"Final", "Level", "тип"}));
    EXPECT_EQ(list.Objects(0), P(3));
    list.Add("Level"); // an unsorted list takes duplicates whatever Duplicates says
    EXPECT_EQ(list.Count(), 4);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST(StringList, IndexErrorsNameTheIndexAndChangeNothing) {
    TStringList list;
    ExpectError<EStringListError>([&] { list.Delete(0); }, "List index out of bounds (0)");
    list.SetText("a\r\nb\r\nc");
    ExpectError<EStringListError>([&] { list.Get(3); }, "List index out of bounds (3)");
    ExpectError<EStringListError>([&] { list.Objects(-1); }, "List index out of bounds (-1)");
    ExpectError<EStringListError>([&] { list.Put(5, "x"); }, "List index out of bounds (5)");
    ExpectError<EStringListError>([&] { list.PutObject(5, nullptr); }, "List index out of bounds (5)");
    ExpectError<EStringListError>([&] { list.Insert(4, "x"); }, "List index out of bounds (4)");
    ExpectError<EStringListError>([&] { list.Exchange(0, 3); }, "List index out of bounds (3)");
    ExpectError<EStringListError>([&] { list.Move(0, 3); }, "List index out of bounds (3)");
    ExpectError<EStringListError>([&] { list.Move(-2, 0); }, "List index out of bounds (-2)");
    ExpectError<EStringListError>([&] { list.GetName(7); }, "List index out of bounds (7)");
    ExpectError<EStringListError>([&] { list.SetCapacity(2); }, "List capacity out of bounds (2)");
    EXPECT_EQ(Strings(list), (std::vector<String>{"a", "b", "c"}));
}

TEST(StringList, SortedListKeepsOrderAndRefusesPositionalChanges) {
    TStringList list;
    for (const char* s : {"b", "A", "c", "а", "Ё", "x", "X"})
        list.Add(s);
    list.SetSorted(true);
    // Code points after upper-casing: A < B < C < X < Ё (U+0401) < А (U+0410); x stays before X (stable).
    EXPECT_EQ(Strings(list), (std::vector<String>{"A", "b", "c", "x", "X", "Ё", "а"}));
    int index = -1;
    EXPECT_TRUE(list.Find("B", index));
    EXPECT_EQ(index, 1);
    EXPECT_TRUE(list.Find("X", index));
    EXPECT_EQ(index, 3); // the first of the equal strings
    EXPECT_FALSE(list.Find("bb", index));
    EXPECT_EQ(index, 2);
    EXPECT_EQ(list.IndexOf("ё"), 5);
    EXPECT_EQ(list.Add("d"), 3); // in place
    EXPECT_EQ(list.Get(3), "d");

    const String sortedError = "Operation not allowed on sorted string list";
    std::vector<String> before = Strings(list);
    ExpectError<EStringListError>([&] { list.Insert(0, "z"); }, sortedError);
    ExpectError<EStringListError>([&] { list.Put(0, "z"); }, sortedError);
    ExpectError<EStringListError>([&] { list.Exchange(0, 1); }, sortedError);
    ExpectError<EStringListError>([&] { list.Move(0, 1); }, sortedError);
    EXPECT_EQ(Strings(list), before);

    list.SetCaseSensitive(true); // sorts again, by code point
    EXPECT_EQ(Strings(list), (std::vector<String>{"A", "X", "b", "c", "d", "x", "Ё", "а"}));
    list.SetSorted(false);
    list.Insert(0, "z");
    EXPECT_EQ(list.Get(0), "z");
}

TEST(StringList, DuplicatesDecideWhatAddDoesInASortedList) {
    TStringList list;
    list.SetSorted(true);
    list.AddObject("b", P(0));
    list.Add("a");
    // dupIgnore: the index of the string already there; its object stays.
    EXPECT_EQ(list.AddObject("B", P(1)), 1);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Objects(1), P(0));
    // dupAccept: inserted before the equal ones.
    list.SetDuplicates(dupAccept);
    EXPECT_EQ(list.AddObject("B", P(1)), 1);
    EXPECT_EQ(Strings(list), (std::vector<String>{"a", "B", "b"}));
    // dupError
    list.SetDuplicates(dupError);
    ExpectError<EStringListError>([&] { list.Add("A"); }, "String list does not allow duplicates");
    EXPECT_EQ(list.Count(), 3);
    // Case-sensitive, "A" is another string.
    list.SetCaseSensitive(true);
    EXPECT_EQ(list.Add("A"), 0);

    // Find answers the first of several equal strings; dupAccept inserts each new one there.
    TStringList many;
    many.SetSorted(true);
    many.SetDuplicates(dupAccept);
    many.Add("a");
    many.Add("z");
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(many.AddObject("m", P(i)), 1);
    int index = -1;
    EXPECT_TRUE(many.Find("M", index));
    EXPECT_EQ(index, 1);
    EXPECT_EQ(many.IndexOf("m"), 1);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(many.Objects(1 + i), P(4 - i));
}

TEST(StringList, CustomSortIsStableAndUnsortedListsOnly) {
    TStringList list;
    list.SetCommaText("ccc,a,bb,dd,e");
    list.CustomSort([](TStringList& l, int a, int b) { return int(l.Get(a).size()) - int(l.Get(b).size()); });
    EXPECT_EQ(Strings(list), (std::vector<String>{"a", "e", "bb", "dd", "ccc"}));
    list.SetSorted(true);
    list.CustomSort([](TStringList&, int, int) { return 0; }); // a sorted list stays in its own order
    EXPECT_EQ(Strings(list), (std::vector<String>{"a", "bb", "ccc", "dd", "e"}));
}

TEST(StringList, TextSplitsAtEveryKindOfLineBreak) {
    struct Case {
        std::string Text;
        std::vector<String> Lines;
    };
    const Case cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\nb\r\n", {"a", "b"}}, // a final break adds no line
        {"a\nb\rc\r\nd", {"a", "b", "c", "d"}},
        {"\r\n", {""}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"a\n\rb", {"a", "", "b"}}, // LF then CR is two breaks
        {"\r\r", {"", ""}},
        {std::string("x\0y", 3), {std::string("x\0y", 3)}}, // a zero byte is text
        {"  spaced  \r\n", {"  spaced  "}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        TStringList list;
        list.Add("old");
        list.SetText(c.Text);
        EXPECT_EQ(Strings(list), c.Lines);
    }
    TStringList list;
    EXPECT_EQ(list.GetText(), "");
    list.Add("");
    EXPECT_EQ(list.GetText(), "\r\n");
    list.SetText("a\nб");
    EXPECT_EQ(list.GetText(), "a\r\nб\r\n");
}

TEST(StringList, CommaTextQuotesWhatNeedsIt) {
    struct Case {
        std::vector<String> Lines;
        const char* Text;
    };
    const Case written[] = {
        {{"a", "b"}, "a,b"},
        {{"a b", "c"}, "\"a b\",c"},
        {{"say \"hi\""}, "\"say \"\"hi\"\"\""},
        {{"x,y"}, "\"x,y\""},
        {{""}, "\"\""},
        {{"a", "", "b"}, "a,,b"},
        {{"Тип", "позиции"}, "Тип,позиции"},
        {{"tab\there"}, "\"tab\there\""},
        {{}, ""},
    };
    for (const auto& c : written) {
        SCOPED_TRACE(c.Text);
        TStringList list;
        for (const auto& s : c.Lines)
            list.Add(s);
        EXPECT_EQ(list.GetCommaText(), c.Text);
        TStringList back;
        back.SetCommaText(list.GetCommaText());
        EXPECT_EQ(Strings(back), c.Lines);
    }
    const Case read[] = {
        {{"a", "b"}, " a , b "},
        {{"a", "b"}, "a b"}, // a blank separates too
        {{"a"}, "a,"},       // a final empty string is lost, as in the framework
        {{"unclosed"}, "\"unclosed"},
        {{"a", "b", "c"}, "\"a\"b,c"},
        {{"", "x"}, ",x"},
        {{}, "  "},
    };
    for (const auto& c : read) {
        SCOPED_TRACE(c.Text);
        TStringList list;
        list.SetCommaText(c.Text);
        EXPECT_EQ(Strings(list), c.Lines);
    }
}

TEST(StringList, NamesAndValues) {
    TStringList list;
    list.SetText("Name=Тип позиции\r\nLevel=132\r\nNoEquals\r\n=x\r\nИмя=a=b");
    EXPECT_EQ(list.GetName(0), "Name");
    EXPECT_EQ(list.GetName(2), "");
    EXPECT_EQ(list.GetName(3), "");
    EXPECT_EQ(list.GetValue("level"), "132");
    EXPECT_EQ(list.GetValue("ИМЯ"), "a=b");
    EXPECT_EQ(list.GetValue("missing"), "");
    EXPECT_EQ(list.GetValue("NoEquals"), "");
    EXPECT_EQ(list.IndexOfName("NAME"), 0);
    EXPECT_EQ(list.IndexOfName(""), 3);
    list.SetValue("Level", "133");
    list.SetValue("New", "1");
    list.SetValue("Name", "");
    list.SetValue("Absent", "");
    EXPECT_EQ(list.GetText(), "Level=133\r\nNoEquals\r\n=x\r\nИмя=a=b\r\nNew=1\r\n");
}

TEST(StringList, ChangeEventsRunAroundEachChangeOnceAroundAnUpdate) {
    TStringList list;
    std::vector<String> log;
    list.OnChanging = [&](TStrings& s) { log.push_back("changing " + std::to_string(s.Count())); };
    list.OnChange = [&](TStrings& s) { log.push_back("change " + std::to_string(s.Count())); };
    list.Add("a");
    list.Put(0, "b");
    list.Clear();
    list.Clear(); // an empty list does not change
    EXPECT_EQ(log, (std::vector<String>{"changing 0", "change 1", "changing 1", "change 1", "changing 1",
                                        "change 0"}));
    log.clear();
    list.BeginUpdate();
    list.BeginUpdate();
    list.Add("x");
    list.Add("y");
    list.EndUpdate();
    list.SetText("1\r\n2\r\n3");
    list.EndUpdate();
    EXPECT_EQ(log, (std::vector<String>{"changing 0", "change 3"}));

    // An exception inside an update still ends it.
    list.SetSorted(true);
    list.SetDuplicates(dupError);
    log.clear();
    EXPECT_THROW(list.SetText("a\r\nA"), EStringListError);
    EXPECT_EQ(log, (std::vector<String>{"changing 3", "change 1"}));
    log.clear();
    list.Add("b");
    EXPECT_EQ(log, (std::vector<String>{"changing 1", "change 2"}));
}

TEST(StringList, AHandlerThatEmptiesTheListCannotMakeAChangeReadOutside) {
    TStringList list;
    list.SetText("a\r\nb");
    bool busy = false;
    list.OnChanging = [&](TStrings& s) {
        if (busy) return;
        busy = true;
        s.Clear();
        busy = false;
    };
    ExpectError<EStringListError>([&] { list.Delete(1); }, "List index out of bounds (1)");
    list.SetText("a\r\nb");
    ExpectError<EStringListError>([&] { list.Put(1, "x"); }, "List index out of bounds (1)");
    EXPECT_EQ(list.Count(), 0);
}

TEST(StringList, AddStringsEqualsAndCapacity) {
    TStringList list;
    list.AddObject("a", P(0));
    list.Add("b");
    list.AddStrings(list); // adds its own two strings once
    EXPECT_EQ(Strings(list), (std::vector<String>{"a", "b", "a", "b"}));
    EXPECT_EQ(list.Objects(2), P(0));
    TStringList other;
    other.SetCommaText("a,b,a,b");
    EXPECT_TRUE(list.Equals(other));
    other.Put(0, "A");
    EXPECT_FALSE(list.Equals(other)); // case counts
    list.SetCapacity(100);
    EXPECT_GE(list.GetCapacity(), 100);
}

TEST(StringList, FilesAndStreamsKeepTheBytesAsTheyAre) {
    TempFile tmp("stringlist_test.txt");
    TStringList list;
    list.SetText("\xEF\xBB\xBFПервая\nвторая\r\nthird");
    list.SaveToFile(tmp.Path);
    {
        TFileStream in(tmp.Path, fmOpenRead);
        std::string bytes(size_t(in.GetSize()), '\0');
        in.ReadBuffer(bytes.data(), bytes.size());
        EXPECT_EQ(bytes, "\xEF\xBB\xBFПервая\r\nвторая\r\nthird\r\n"); // the byte-order mark stays text
    }
    TStringList loaded;
    loaded.LoadFromFile(tmp.Path);
    EXPECT_TRUE(loaded.Equals(list));

    // From the stream's position to its end.
    TMemoryStream stream;
    stream.WriteBuffer("skip|one\rtwo", 12);
    stream.SetPosition(5);
    loaded.LoadFromStream(stream);
    EXPECT_EQ(Strings(loaded), (std::vector<String>{"one", "two"}));
    TMemoryStream out;
    loaded.SaveToStream(out);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(out.Memory()), size_t(out.GetSize())),
              "one\r\ntwo\r\n");

    EXPECT_THROW(loaded.LoadFromFile(tmp.Path + ".missing"), EFOpenError);
    EXPECT_EQ(loaded.Count(), 2); // a failed load leaves the list alone
}

TEST(Strings, GenericOperationsNeedOnlyTheFivePrimitives) {
    TPlainStrings list;
    list.SetText("Name=a\r\nb\r\nc");
    list.Put(1, "B");
    list.Exchange(0, 2);
    EXPECT_EQ(list.FItems, (std::vector<String>{"c", "B", "Name=a"}));
    list.Move(2, 0);
    EXPECT_EQ(list.FItems, (std::vector<String>{"Name=a", "c", "B"}));
    EXPECT_EQ(list.IndexOf("b"), 2);
    EXPECT_EQ(list.GetValue("NAME"), "a");
    list.SetValue("name", "z");
    EXPECT_EQ(list.GetCommaText(), "name=z,c,B");
    EXPECT_EQ(list.Objects(0), nullptr);
    EXPECT_EQ(list.AddObject("d", P(0)), 3); // the object is dropped: this list keeps none
    ExpectError<EStringListError>([&] { list.Move(0, 4); }, "List index out of bounds (4)");
    EXPECT_EQ(list.Count(), 4);
}

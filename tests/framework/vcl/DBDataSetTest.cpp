// The DB unit without an engine: the field conversions and their messages, and the dataset's states and
// cursor, over a storage held in memory (rows of values), so that every field class and every state change
// is reached with exactly the rows the test put there.
#include "framework/vcl/DB.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace DB;
using SysUtils::String;

namespace DBDataSetTestUnit {

struct TColumn {
    const char* Name;
    TFieldType Type;
    int Size;
};

// A dataset over rows in memory. InternalInsert puts the row where the dataset asks, as a table without a
// key does; FailInserts makes the storage refuse records.
class TListDataSet : public TDataSet {
public:
    TListDataSet(std::vector<TColumn> Columns, const char* Name = "Data")
        : TDataSet(nullptr), FColumns(Columns) {
        if (*Name) SetName(Name);
    }
    ~TListDataSet() override { InternalClose(); }

    std::vector<std::vector<TFieldValue>> Rows;
    bool FailInserts = false;
    int Loads = 0;

protected:
    void InternalOpen() override {
        int no = 0;
        for (const TColumn& c : FColumns) {
            std::unique_ptr<TField> f;
            switch (c.Type) {
            case ftString:
                f = std::make_unique<TStringField>(nullptr);
                break;
            case ftSmallint:
                f = std::make_unique<TSmallintField>(nullptr);
                break;
            case ftInteger:
                f = std::make_unique<TIntegerField>(nullptr);
                break;
            case ftAutoInc:
                f = std::make_unique<TAutoIncField>(nullptr);
                break;
            case ftBoolean:
                f = std::make_unique<TBooleanField>(nullptr);
                break;
            case ftFloat:
                f = std::make_unique<TFloatField>(nullptr);
                break;
            case ftCurrency:
                f = std::make_unique<TCurrencyField>(nullptr);
                break;
            case ftBCD:
                f = std::make_unique<TBCDField>(nullptr);
                break;
            case ftDate:
                f = std::make_unique<TDateField>(nullptr);
                break;
            case ftTime:
                f = std::make_unique<TTimeField>(nullptr);
                break;
            case ftDateTime:
                f = std::make_unique<TDateTimeField>(nullptr);
                break;
            case ftBytes:
                f = std::make_unique<TBytesField>(nullptr);
                break;
            default:
                f = std::make_unique<TMemoField>(nullptr);
                break;
            }
            f->SetFieldName(c.Name);
            AddField(std::move(f), ++no, c.Type, c.Size);
        }
    }
    void InternalClose() override {}
    int InternalRefresh() override { return int(Rows.size()); }
    void InternalLoadRecord(int RecNo, std::vector<TFieldValue>& Buffer) override {
        ++Loads;
        Buffer = Rows.at(size_t(RecNo));
    }
    int InternalInsert(int Position, const std::vector<TFieldValue>& Buffer) override {
        if (FailInserts) DatabaseError("refused by the storage", this);
        Rows.insert(Rows.begin() + Position, Buffer);
        return Position;
    }

private:
    std::vector<TColumn> FColumns;
};

// The message of the EDatabaseError that f raises ("" when it raises none).
String ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EDatabaseError& e) {
        return e.Message();
    }
    return "";
}

const std::vector<TColumn> StyleColumns = {
    {"Level", ftSmallint, 0}, {"Name", ftString, 10},   {"FontColor", ftInteger, 0}, {"Bold", ftBoolean, 0},
    {"Ratio", ftFloat, 0},    {"Price", ftCurrency, 0}, {"Amount", ftBCD, 2},        {"Day", ftDate, 0},
    {"At", ftTime, 0},        {"Stamp", ftDateTime, 0}, {"Counter", ftAutoInc, 0},   {"Raw", ftBytes, 4},
    {"Notes", ftMemo, 0},
};

// A dataset of the style columns, open and inserting a blank record.
struct TInserting {
    TListDataSet Data{StyleColumns};
    TInserting() {
        Data.Open();
        Data.Insert();
    }
    TField* F(const char* name) { return Data.FieldByName(name); }
};

} // namespace DBDataSetTestUnit

using namespace DBDataSetTestUnit;

TEST(DBField, IntegerFieldsTakeDigitsAndKeepToTheirRange) {
    TInserting t;
    TField* color = t.F("FontColor");
    TField* level = t.F("Level");
    EXPECT_EQ(color->ClassName(), "TIntegerField");
    EXPECT_EQ(level->ClassName(), "TSmallintField");
    EXPECT_TRUE(color->GetIsNull());
    EXPECT_EQ(color->GetAsString(), "");
    EXPECT_EQ(color->GetAsInteger(), 0);

    color->SetAsString("12");
    EXPECT_EQ(color->GetAsInteger(), 12);
    EXPECT_FALSE(color->GetIsNull());
    color->SetAsString("-2147483648");
    EXPECT_EQ(color->GetAsInteger(), INT32_MIN);
    color->SetAsInteger(16777215);
    EXPECT_EQ(color->GetAsString(), "16777215");
    EXPECT_DOUBLE_EQ(color->GetAsFloat(), 16777215.0);
    // Floats are rounded, a half to the even neighbour.
    color->SetAsFloat(2.5);
    EXPECT_EQ(color->GetAsInteger(), 2);
    color->SetAsFloat(3.5);
    EXPECT_EQ(color->GetAsInteger(), 4);
    color->SetAsString("");
    EXPECT_TRUE(color->GetIsNull());

    for (const char* bad : {"abc", "12abc", "1.5", "2147483648", " "})
        EXPECT_EQ(ErrorOf([&] { color->SetAsString(bad); }),
                  String("'") + bad + "' не является допустимым целым значением для поля 'FontColor'")
            << bad;
    EXPECT_TRUE(color->GetIsNull()) << "a refused value leaves the field as it was";

    level->SetAsInteger(32767);
    level->SetAsInteger(-32768);
    EXPECT_EQ(level->GetAsInteger(), -32768);
    EXPECT_EQ(ErrorOf([&] { level->SetAsInteger(32768); }),
              "Значение 32768 вне диапазона (-32768..32767) для поля 'Level'");
    EXPECT_EQ(ErrorOf([&] { level->SetAsString("-40000"); }),
              "Значение -40000 вне диапазона (-32768..32767) для поля 'Level'");
    EXPECT_EQ(ErrorOf([&] { level->SetAsFloat(1e10); }),
              "Значение 10000000000 вне диапазона (-32768..32767) для поля 'Level'");
    EXPECT_EQ(level->GetAsInteger(), -32768);

    // Integers are not booleans or dates.
    EXPECT_EQ(ErrorOf([&] { level->SetAsBoolean(true); }),
              "Нельзя обратиться к полю 'Level' как к типу Boolean");
    EXPECT_EQ(ErrorOf([&] { (void)level->GetAsBoolean(); }),
              "Нельзя обратиться к полю 'Level' как к типу Boolean");
    EXPECT_EQ(ErrorOf([&] { level->SetAsDateTime(1.0); }),
              "Нельзя обратиться к полю 'Level' как к типу DateTime");

    // The table numbers an autoincrement field itself.
    EXPECT_EQ(ErrorOf([&] { t.F("Counter")->SetAsInteger(5); }), "Поле 'Counter' не может быть изменено");
}

TEST(DBField, StringFieldsTakeNumbersAsTextAndKeepSizeCharacters) {
    TInserting t;
    TField* name = t.F("Name");
    EXPECT_EQ(name->ClassName(), "TStringField");
    EXPECT_EQ(name->GetSize(), 10);
    name->SetAsInteger(132);
    EXPECT_EQ(name->GetAsString(), "132");
    EXPECT_EQ(name->GetAsInteger(), 132);
    name->SetAsFloat(1.5);
    EXPECT_EQ(name->GetAsString(), "1.5");
    EXPECT_DOUBLE_EQ(name->GetAsFloat(), 1.5);
    name->SetAsBoolean(true);
    EXPECT_EQ(name->GetAsString(), "T");
    EXPECT_TRUE(name->GetAsBoolean());
    name->SetAsBoolean(false);
    EXPECT_EQ(name->GetAsString(), "F");
    EXPECT_FALSE(name->GetAsBoolean());
    name->SetAsString("yes");
    EXPECT_TRUE(name->GetAsBoolean());

    // Cut to 10 characters, not bytes: each Cyrillic letter is one character of the table's code page.
    name->SetAsString("Тип позиции");
    EXPECT_EQ(name->GetAsString(), "Тип позици");
    name->SetAsString("0123456789ABC");
    EXPECT_EQ(name->GetAsString(), "0123456789");
    name->SetAsString("");
    EXPECT_TRUE(name->GetIsNull());

    name->SetAsString("abc");
    EXPECT_EQ(ErrorOf([&] { (void)name->GetAsInteger(); }),
              "'abc' не является допустимым целым значением для поля 'Name'");
    EXPECT_EQ(ErrorOf([&] { (void)name->GetAsFloat(); }),
              "'abc' не является допустимым числом для поля 'Name'");
    EXPECT_EQ(ErrorOf([&] { name->SetAsDateTime(0); }),
              "Нельзя обратиться к полю 'Name' как к типу DateTime");
}

TEST(DBField, BooleanFieldsReadTrueFalseAndRefuseNumbers) {
    TInserting t;
    TField* bold = t.F("Bold");
    EXPECT_EQ(bold->GetAsString(), "");
    bold->SetAsBoolean(true);
    EXPECT_EQ(bold->GetAsString(), "True");
    bold->SetAsBoolean(false);
    EXPECT_EQ(bold->GetAsString(), "False");

    struct {
        const char* Text;
        bool Value;
    } const accepted[] = {{"True", true},   {"t", true},  {"TRU", true},    {"Y", true},  {"yes", true},
                          {"False", false}, {"F", false}, {"fAlSe", false}, {"N", false}, {"no", false}};
    for (const auto& a : accepted) {
        bold->SetAsBoolean(!a.Value);
        bold->SetAsString(a.Text);
        EXPECT_EQ(bold->GetAsBoolean(), a.Value) << a.Text;
    }
    bold->SetAsString("");
    EXPECT_TRUE(bold->GetIsNull());
    for (const char* bad : {"Truee", "1", "0", "Да", "x"})
        EXPECT_EQ(ErrorOf([&] { bold->SetAsString(bad); }),
                  String("'") + bad + "' не является допустимым логическим значением для поля 'Bold'")
            << bad;

    EXPECT_EQ(ErrorOf([&] { bold->SetAsInteger(1); }), "Нельзя обратиться к полю 'Bold' как к типу Integer");
    EXPECT_EQ(ErrorOf([&] { (void)bold->GetAsInteger(); }),
              "Нельзя обратиться к полю 'Bold' как к типу Integer");
    EXPECT_EQ(ErrorOf([&] { bold->SetAsFloat(1); }), "Нельзя обратиться к полю 'Bold' как к типу Float");
    EXPECT_TRUE(bold->GetIsNull());
}

TEST(DBField, FloatCurrencyAndBcdFieldsConvertNumbersAndText) {
    TInserting t;
    TField* ratio = t.F("Ratio");
    ratio->SetAsString("1.25");
    EXPECT_DOUBLE_EQ(ratio->GetAsFloat(), 1.25);
    EXPECT_EQ(ratio->GetAsString(), "1.25");
    ratio->SetAsString(" -2.5E2 ");
    EXPECT_DOUBLE_EQ(ratio->GetAsFloat(), -250.0);
    ratio->SetAsInteger(7);
    EXPECT_EQ(ratio->GetAsString(), "7");
    ratio->SetAsFloat(2.5);
    EXPECT_EQ(ratio->GetAsInteger(), 2) << "a half goes to the even neighbour";
    for (const char* bad : {"abc", "1,5", "INF", "1e999", "."})
        EXPECT_EQ(ErrorOf([&] { ratio->SetAsString(bad); }),
                  String("'") + bad + "' не является допустимым числом для поля 'Ratio'")
            << bad;
    EXPECT_EQ(ErrorOf([&] { ratio->SetAsBoolean(true); }),
              "Нельзя обратиться к полю 'Ratio' как к типу Boolean");

    auto* price = dynamic_cast<TFloatField*>(t.F("Price"));
    ASSERT_NE(price, nullptr);
    EXPECT_TRUE(price->GetCurrency());
    price->SetAsString("19.99");
    EXPECT_DOUBLE_EQ(price->GetAsFloat(), 19.99);

    TField* amount = t.F("Amount");
    EXPECT_EQ(amount->GetSize(), 2);
    amount->SetAsFloat(1.5);
    EXPECT_EQ(amount->GetAsString(), "1.50");
    amount->SetAsString("12345678901234567890.25");
    EXPECT_EQ(amount->GetAsString(), "12345678901234567890.25") << "decimal text keeps every digit";
    amount->SetAsInteger(-3);
    EXPECT_EQ(amount->GetAsInteger(), -3);
    EXPECT_EQ(ErrorOf([&] { amount->SetAsString("1.2.3"); }),
              "'1.2.3' не является допустимым числом для поля 'Amount'");
}

TEST(DBField, DateAndTimeFieldsReadAndTakeDatesAndText) {
    TInserting t;
    TField* day = t.F("Day");
    TField* at = t.F("At");
    TField* stamp = t.F("Stamp");

    // 31 December 1999 is day 36525 after 30 December 1899.
    day->SetAsString("31.12.1999");
    EXPECT_DOUBLE_EQ(day->GetAsDateTime(), 36525.0);
    EXPECT_EQ(day->GetAsString(), "31.12.1999");
    day->SetAsDateTime(36526.75); // a date field keeps the day
    EXPECT_EQ(day->GetAsString(), "01.01.2000");
    day->SetAsString("29.02.2000");
    EXPECT_EQ(day->GetAsString(), "29.02.2000");
    day->SetAsString("1.1.1");
    EXPECT_DOUBLE_EQ(day->GetAsDateTime(), 1.0 - DateDelta);
    EXPECT_EQ(day->GetAsString(), "01.01.0001");

    at->SetAsString("12:30:15");
    EXPECT_NEAR(at->GetAsDateTime(), (12 * 3600 + 30 * 60 + 15) / 86400.0, 1e-12);
    EXPECT_EQ(at->GetAsString(), "12:30:15");
    at->SetAsDateTime(36526.25); // a time field keeps the time of day
    EXPECT_EQ(at->GetAsString(), "06:00:00");

    stamp->SetAsString("01.01.2000 06:00");
    EXPECT_DOUBLE_EQ(stamp->GetAsDateTime(), 36526.25);
    EXPECT_EQ(stamp->GetAsString(), "01.01.2000 06:00:00");
    stamp->SetAsFloat(36526.0);
    EXPECT_EQ(stamp->GetAsString(), "01.01.2000");
    // Before 30 December 1899 the fraction still counts forward from midnight: -1.25 is 29.12.1899 06:00.
    stamp->SetAsString("29.12.1899 06:00:00");
    EXPECT_DOUBLE_EQ(stamp->GetAsDateTime(), -1.25);

    for (const char* bad : {"31.02.2000", "32.01.2000", "12:60", "24:00", "2000-01-01", "x", "01.01.2000 7"})
        EXPECT_EQ(ErrorOf([&] { stamp->SetAsString(bad); }),
                  String("'") + bad + "' не является допустимой датой или временем для поля 'Stamp'")
            << bad;
    EXPECT_EQ(ErrorOf([&] { day->SetAsInteger(1); }), "Нельзя обратиться к полю 'Day' как к типу Integer");
    EXPECT_EQ(ErrorOf([&] { day->SetAsBoolean(true); }), "Нельзя обратиться к полю 'Day' как к типу Boolean");

    int y = 0, m = 0, d = 0;
    DecodeDate(2958465.0, y, m, d);
    EXPECT_EQ(y * 10000 + m * 100 + d, 99991231);
    EXPECT_NE(ErrorOf([&] { stamp->SetAsDateTime(2958466.0); }), "") << "after 31.12.9999";
}

TEST(DBField, BytesAndMemoFieldsHoldTheirBytes) {
    TInserting t;
    TField* raw = t.F("Raw");
    raw->SetAsString(String("\x01\x00\x02\x03\x04\x05", 6));
    EXPECT_EQ(raw->GetAsString(), String("\x01\x00\x02\x03", 4));
    TField* notes = t.F("Notes");
    EXPECT_EQ(notes->ClassName(), "TMemoField");
    notes->SetAsString("Первая строка\r\nвторая");
    EXPECT_EQ(notes->GetAsString(), "Первая строка\r\nвторая");
    EXPECT_EQ(ErrorOf([&] { notes->SetAsInteger(1); }),
              "Нельзя обратиться к полю 'Notes' как к типу Integer");
}

TEST(DBDataSet, FieldsAreFoundByNameIgnoringCaseAndMissingOnesNameTheComponent) {
    TListDataSet data(StyleColumns);
    // A closed dataset has no fields.
    EXPECT_EQ(ErrorOf([&] { data.FieldByName("Level"); }), "Data: Поле 'Level' не найдено");
    data.Open();
    EXPECT_EQ(data.GetFieldCount(), int(StyleColumns.size()));
    EXPECT_EQ(data.FieldByName("level"), data.GetFields(0));
    EXPECT_EQ(data.FindField("FONTCOLOR"), data.GetFields(2));
    EXPECT_EQ(data.GetFields(2)->GetFieldNo(), 3);
    EXPECT_EQ(data.FindField("TabPos"), nullptr);
    EXPECT_EQ(ErrorOf([&] { data.FieldByName("TabPos"); }), "Data: Поле 'TabPos' не найдено");
    EXPECT_EQ(ErrorOf([&] { data.GetFields(13); }), "Data: Индекс поля 13 вне допустимых пределов");

    TListDataSet unnamed(StyleColumns, "");
    unnamed.Open();
    EXPECT_EQ(ErrorOf([&] { unnamed.FieldByName("TabPos"); }), "Поле 'TabPos' не найдено");

    data.Close();
    EXPECT_EQ(data.GetFieldCount(), 0) << "fields exist while the dataset is open";
}

namespace DBDataSetTestUnit {

// A dataset of one integer column holding the given values.
struct TNumbers {
    TListDataSet Data{{{"N", ftInteger, 0}}};
    explicit TNumbers(std::initializer_list<int> values) {
        for (int v : values)
            Data.Rows.push_back({TFieldValue(int64_t(v))});
        Data.Open();
    }
    int Current() { return Data.FieldByName("N")->GetAsInteger(); }
    std::vector<int> Stored() const {
        std::vector<int> out;
        for (const auto& r : Data.Rows)
            out.push_back(std::holds_alternative<int64_t>(r[0]) ? int(std::get<int64_t>(r[0])) : -1);
        return out;
    }
};

} // namespace DBDataSetTestUnit

TEST(DBDataSet, CursorWalksFromFirstToEofAndBack) {
    TNumbers t{10, 20, 30};
    EXPECT_EQ(t.Data.GetState(), dsBrowse);
    EXPECT_TRUE(t.Data.GetBof());
    EXPECT_FALSE(t.Data.GetEof());
    EXPECT_EQ(t.Data.GetRecordCount(), 3);
    std::vector<int> seen;
    for (t.Data.First(); !t.Data.GetEof(); t.Data.Next())
        seen.push_back(t.Current());
    EXPECT_EQ(seen, (std::vector<int>{10, 20, 30}));
    // At Eof the last record stays current.
    EXPECT_EQ(t.Current(), 30);
    EXPECT_EQ(t.Data.GetRecNo(), 3);
    t.Data.Next();
    EXPECT_EQ(t.Current(), 30);

    t.Data.Last();
    EXPECT_TRUE(t.Data.GetEof());
    EXPECT_FALSE(t.Data.GetBof());
    EXPECT_EQ(t.Current(), 30);
    t.Data.Prior();
    EXPECT_FALSE(t.Data.GetEof());
    EXPECT_EQ(t.Current(), 20);
    t.Data.Prior();
    t.Data.Prior();
    EXPECT_TRUE(t.Data.GetBof());
    EXPECT_EQ(t.Current(), 10);

    // Walking reads no values; the record is read when a field asks, once.
    TNumbers walk{1, 2, 3, 4};
    int n = 0;
    for (walk.Data.First(); !walk.Data.GetEof(); walk.Data.Next())
        ++n;
    EXPECT_EQ(n, 4);
    EXPECT_EQ(walk.Data.Loads, 0);
    (void)walk.Current();
    (void)walk.Current();
    EXPECT_EQ(walk.Data.Loads, 1);
}

TEST(DBDataSet, EmptyDatasetIsBofAndEofAtOnce) {
    TNumbers t{};
    EXPECT_TRUE(t.Data.GetEof());
    EXPECT_TRUE(t.Data.GetBof());
    t.Data.First();
    EXPECT_TRUE(t.Data.GetEof());
    t.Data.Last();
    EXPECT_TRUE(t.Data.GetEof());
    EXPECT_TRUE(t.Data.GetBof());
    EXPECT_EQ(t.Data.GetRecNo(), 0);
    EXPECT_TRUE(t.Data.FieldByName("N")->GetIsNull());
    // An insert into an empty dataset makes its first record.
    t.Data.Insert();
    t.Data.FieldByName("N")->SetAsInteger(5);
    t.Data.Post();
    EXPECT_EQ(t.Stored(), (std::vector<int>{5}));
    EXPECT_FALSE(t.Data.GetEof());
}

TEST(DBDataSet, InsertTakesTheCurrentPlaceAndPostLeavesTheCursorOnIt) {
    TNumbers t{10, 20, 30};
    t.Data.Last();
    t.Data.Insert();
    EXPECT_EQ(t.Data.GetState(), dsInsert);
    EXPECT_EQ(t.Data.GetRecNo(), 0);
    EXPECT_TRUE(t.Data.FieldByName("N")->GetIsNull()) << "the new record starts blank";
    t.Data.FieldByName("N")->SetAsInteger(25);
    EXPECT_TRUE(t.Data.GetModified());
    EXPECT_EQ(t.Data.GetRecordCount(), 3) << "counted once posted";
    t.Data.Post();
    EXPECT_EQ(t.Data.GetState(), dsBrowse);
    // After Last the new record becomes the next-to-last.
    EXPECT_EQ(t.Stored(), (std::vector<int>{10, 20, 25, 30}));
    EXPECT_EQ(t.Data.GetRecordCount(), 4);
    EXPECT_EQ(t.Data.GetRecNo(), 3);
    EXPECT_EQ(t.Current(), 25);
    EXPECT_FALSE(t.Data.GetEof());
    t.Data.Next();
    EXPECT_EQ(t.Current(), 30);

    t.Data.First();
    t.Data.Insert();
    t.Data.FieldByName("N")->SetAsInteger(5);
    t.Data.Post();
    EXPECT_EQ(t.Stored(), (std::vector<int>{5, 10, 20, 25, 30}));

    t.Data.Append();
    t.Data.FieldByName("N")->SetAsInteger(99);
    t.Data.Post();
    EXPECT_EQ(t.Stored().back(), 99);
    EXPECT_EQ(t.Data.GetRecNo(), 6);
}

TEST(DBDataSet, CancelCloseAndMovingEndAnInsert) {
    TNumbers t{10, 20};
    // Cancel drops the record and the cursor is where it was.
    t.Data.Last();
    t.Data.Insert();
    t.Data.FieldByName("N")->SetAsInteger(15);
    t.Data.Cancel();
    EXPECT_EQ(t.Data.GetState(), dsBrowse);
    EXPECT_EQ(t.Stored(), (std::vector<int>{10, 20}));
    EXPECT_EQ(t.Current(), 20);

    // Close drops it too; closing twice is harmless.
    t.Data.Insert();
    t.Data.FieldByName("N")->SetAsInteger(15);
    t.Data.Close();
    t.Data.Close();
    EXPECT_EQ(t.Data.GetState(), dsInactive);
    EXPECT_EQ(t.Stored(), (std::vector<int>{10, 20}));

    // Moving posts a record with a field set and drops an untouched one.
    t.Data.Open();
    t.Data.Insert();
    t.Data.Next();
    EXPECT_EQ(t.Stored(), (std::vector<int>{10, 20}));
    t.Data.First();
    t.Data.Insert();
    t.Data.FieldByName("N")->SetAsInteger(1);
    t.Data.Last();
    EXPECT_EQ(t.Data.GetState(), dsBrowse);
    EXPECT_EQ(t.Stored(), (std::vector<int>{1, 10, 20}));
}

TEST(DBDataSet, RefusedPostKeepsTheInsertAndWritingNeedsInsertState) {
    TNumbers t{10, 20};
    EXPECT_EQ(ErrorOf([&] { t.Data.FieldByName("N")->SetAsInteger(1); }),
              "Data: Набор данных не находится в режиме редактирования или вставки");
    EXPECT_EQ(ErrorOf([&] { t.Data.Post(); }),
              "Data: Набор данных не находится в режиме редактирования или вставки");

    t.Data.Insert();
    t.Data.FieldByName("N")->SetAsInteger(15);
    t.Data.FailInserts = true;
    EXPECT_EQ(ErrorOf([&] { t.Data.Post(); }), "Data: refused by the storage");
    EXPECT_EQ(t.Data.GetState(), dsInsert);
    EXPECT_EQ(t.Current(), 15) << "the values are kept for another try";
    t.Data.FailInserts = false;
    t.Data.Post();
    EXPECT_EQ(t.Stored(), (std::vector<int>{15, 10, 20}));

    t.Data.Close();
    for (auto op : std::vector<std::function<void()>>{[&] { t.Data.First(); }, [&] { t.Data.Next(); },
                                                      [&] { t.Data.Insert(); }, [&] { t.Data.Post(); },
                                                      [&] { (void)t.Data.GetRecordCount(); }})
        EXPECT_EQ(ErrorOf(op), "Data: Невозможно выполнить эту операцию на закрытом наборе данных");
}

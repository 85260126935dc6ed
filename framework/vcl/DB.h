// DB: the data-access layer's base: datasets, their states and their typed fields.
//
// Declares: EDatabaseError and DatabaseError (the layer's error, prefixed with the component's name),
// TDataSetState, TFieldType, TDateTime, TField and the field classes of the Paradox types (TStringField,
// TSmallintField, TIntegerField, TAutoIncField, TFloatField, TCurrencyField, TBCDField, TBooleanField,
// TDateField, TTimeField, TDateTimeField, TBytesField, TBlobField, TMemoField), and TDataSet, the cursor
// and record-buffer logic that a storage class (DBTables::TTable) completes with its Internal* methods.
//
//   table->Open();                                       // dsBrowse, on the first record
//   for (table->First(); !table->GetEof(); table->Next()) ++n;
//   table->Last();
//   table->Insert();                                     // dsInsert: a blank record at the current one
//   table->FieldByName("Level")->SetAsInteger(132);      // "%s: Поле '%s' не найдено" when there is none
//   table->FieldByName("Name")->SetAsString("Тип позиции");
//   table->Post();                                       // written in the current record's place
//
// Fields exist while the dataset is open; Close frees them, so a TField* must not outlive the Open it came
// from. Every error of this layer is an EDatabaseError with a Russian message (the people who read them use
// Russian programs); where the engine says more, its English detail follows on a second line.
//
// The field conversions are those of the framework's field classes:
//   - an integer field takes a string of digits ("12"), refuses other text and values outside its range;
//   - a string field takes an integer or a float as text, a boolean as "T"/"F", and keeps at most Size
//     characters (the rest is cut off, as the framework's string field does); an empty string is blank
//     (NULL), as a Paradox alpha field stores it;
//   - a boolean field reads as "True"/"False" and takes, ignoring case, a beginning of "True", "False",
//     "Yes" or "No" ("T", "f", "Y", "n"...), and "" for blank; it refuses integers and floats;
//   - a float field takes integers and numeric text; AsInteger rounds (halves to the even neighbour);
//   - date and time fields read and take TDateTime (days since 30 December 1899) and the text
//     "dd.mm.yyyy", "hh:nn:ss", "dd.mm.yyyy hh:nn:ss";
//   - whatever a class does not take is refused with "Нельзя обратиться к полю '%s' как к типу %s"
//     (the field's name and the kind: Integer, String, Boolean, Float, DateTime).
// A blank field reads as 0, false, "" or 0.0. Text the table's code page cannot hold is refused by the
// engine when the record is posted, never replaced.
//
// The messages (Russian; the component prefix "%s: " appears where a dataset raises them):
//   "Невозможно выполнить эту операцию на открытом наборе данных"     (SDataSetOpen)
//   "Невозможно выполнить эту операцию на закрытом наборе данных"     (SDataSetClosed)
//   "Набор данных не находится в режиме редактирования или вставки"   (SNotEditing)
//   "Поле '%s' не найдено"                                            (SFieldNotFound)
//   "Индекс поля %d вне допустимых пределов"                          (SFieldIndexError)
//   "Нельзя обратиться к полю '%s' как к типу %s"                     (SFieldAccessError)
//   "Значение %d вне диапазона (%d..%d) для поля '%s'"                (SFieldRangeError)
//   "'%s' не является допустимым целым значением для поля '%s'"       (SInvalidIntegerValue)
//   "'%s' не является допустимым числом для поля '%s'"                (SInvalidFloatValue)
//   "'%s' не является допустимым логическим значением для поля '%s'"  (SInvalidBoolValue)
//   "'%s' не является допустимой датой или временем для поля '%s'"    (SInvalidDateTimeValue)
//   "Поле '%s' не может быть изменено"                                (SFieldReadOnly)
#pragma once

#include "framework/core/ClassesComponent.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <variant>
#include <vector>

namespace DB {

using SysUtils::String;

VCL_EXCEPTION_CLASS(EDatabaseError, SysUtils::Exception);

// The layer's messages (listed above).
namespace Msg {
inline constexpr const char* SDataSetOpen = "Невозможно выполнить эту операцию на открытом наборе данных";
inline constexpr const char* SDataSetClosed = "Невозможно выполнить эту операцию на закрытом наборе данных";
inline constexpr const char* SNotEditing = "Набор данных не находится в режиме редактирования или вставки";
inline constexpr const char* SFieldNotFound = "Поле '%s' не найдено";
inline constexpr const char* SFieldIndexError = "Индекс поля %d вне допустимых пределов";
inline constexpr const char* SFieldAccessError = "Нельзя обратиться к полю '%s' как к типу %s";
inline constexpr const char* SFieldRangeError = "Значение %d вне диапазона (%d..%d) для поля '%s'";
inline constexpr const char* SInvalidIntegerValue =
    "'%s' не является допустимым целым значением для поля '%s'";
inline constexpr const char* SInvalidFloatValue = "'%s' не является допустимым числом для поля '%s'";
inline constexpr const char* SInvalidBoolValue =
    "'%s' не является допустимым логическим значением для поля '%s'";
inline constexpr const char* SInvalidDateTimeValue =
    "'%s' не является допустимой датой или временем для поля '%s'";
inline constexpr const char* SFieldReadOnly = "Поле '%s' не может быть изменено";
} // namespace Msg

// Raises EDatabaseError with Message, prefixed "Name: " when Component is given and has a name.
[[noreturn]] void DatabaseError(const String& Message, const Classes::TComponent* Component = nullptr);
[[noreturn]] void DatabaseErrorFmt(std::string_view Message, SysUtils::TVarRecs Args,
                                   const Classes::TComponent* Component = nullptr);

enum TDataSetState : uint8_t { dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields };

enum TFieldType : uint8_t {
    ftUnknown,
    ftString,
    ftSmallint,
    ftInteger,
    ftWord,
    ftBoolean,
    ftFloat,
    ftCurrency,
    ftBCD,
    ftDate,
    ftTime,
    ftDateTime,
    ftBytes,
    ftVarBytes,
    ftAutoInc,
    ftBlob,
    ftMemo,
    ftGraphic,
    ftFmtMemo,
    ftParadoxOle,
    ftDBaseOle,
    ftTypedBinary,
};

// Days since 30 December 1899; the fraction is the time of day.
using TDateTime = double;

// Days between 1 January of year 1 (day 1) and 30 December 1899 (TDateTime 0).
inline constexpr int32_t DateDelta = 693594;
inline constexpr int32_t MSecsPerDay = 86400000;

// Calendar conversion (the proleptic Gregorian calendar, as the framework's): false for a date that does not
// exist.
bool TryEncodeDate(int Year, int Month, int Day, TDateTime& Date);
void DecodeDate(TDateTime Date, int& Year, int& Month, int& Day);
void DecodeTime(TDateTime Time, int& Hour, int& Min, int& Sec, int& MSec);

// One field's value in a record buffer: blank, an integer (integer, boolean and small-integer fields), a
// number (float, currency, date and time fields as TDateTime) or text and bytes (string, BCD as decimal
// text, memo, blob).
using TFieldValue = std::variant<std::monostate, int64_t, double, String>;

class TDataSet;

// A field of the open dataset: its name, type and size, and typed access to its value in the active record
// (the current one in dsBrowse, the new one in dsInsert). Setting a value needs dsInsert.
class TField : public Classes::TComponent {
    DECLARE_CLASS(TField, Classes::TComponent)
public:
    explicit TField(Classes::TComponent* AOwner);

    TDataSet* GetDataSet() const { return FDataSet; }
    const String& GetFieldName() const { return FFieldName; }
    void SetFieldName(const String& Value) { FFieldName = Value; }
    TFieldType GetDataType() const { return FDataType; }
    // Characters of a string field, bytes of a bytes field, decimals of a BCD field; 0 for the others.
    int GetSize() const { return FSize; }
    void SetSize(int Value) { FSize = Value; }
    // The field's position in the table, from 1.
    int GetFieldNo() const { return FFieldNo; }
    bool GetReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }

    bool GetIsNull() const;
    void Clear();

    virtual String GetAsString() const;
    virtual void SetAsString(const String& Value);
    virtual int32_t GetAsInteger() const;
    virtual void SetAsInteger(int32_t Value);
    virtual bool GetAsBoolean() const;
    virtual void SetAsBoolean(bool Value);
    virtual double GetAsFloat() const;
    virtual void SetAsFloat(double Value);
    virtual TDateTime GetAsDateTime() const;
    virtual void SetAsDateTime(TDateTime Value);

protected:
    // Raises "Нельзя обратиться к полю '%s' как к типу %s".
    [[noreturn]] void AccessError(const char* TypeName) const;
    // The value in the active record buffer, and setting it there (checks the dataset's state and
    // ReadOnly).
    const TFieldValue& GetValue() const;
    void SetValue(TFieldValue Value);
    void SetDataType(TFieldType Value) { FDataType = Value; }

private:
    friend class TDataSet;
    TDataSet* FDataSet = nullptr;
    int FIndex = -1; // in the dataset's record buffer
    int FFieldNo = 0;
    String FFieldName;
    TFieldType FDataType = ftUnknown;
    int FSize = 0;
    bool FReadOnly = false;
};

// Text of up to Size characters.
class TStringField : public TField {
    DECLARE_CLASS(TStringField, TField)
public:
    explicit TStringField(Classes::TComponent* AOwner);
    String GetAsString() const override;
    void SetAsString(const String& Value) override;
    int32_t GetAsInteger() const override;
    void SetAsInteger(int32_t Value) override;
    bool GetAsBoolean() const override;
    void SetAsBoolean(bool Value) override;
    double GetAsFloat() const override;
    void SetAsFloat(double Value) override;
};

// A 32-bit integer; descendants narrow the range.
class TIntegerField : public TField {
    DECLARE_CLASS(TIntegerField, TField)
public:
    explicit TIntegerField(Classes::TComponent* AOwner);
    String GetAsString() const override;
    void SetAsString(const String& Value) override;
    int32_t GetAsInteger() const override;
    void SetAsInteger(int32_t Value) override;
    double GetAsFloat() const override;
    void SetAsFloat(double Value) override;

protected:
    void SetRange(int64_t Min, int64_t Max) {
        FMinRange = Min;
        FMaxRange = Max;
    }
    void CheckRange(int64_t Value) const;

private:
    int64_t FMinRange = INT32_MIN;
    int64_t FMaxRange = INT32_MAX;
};

// -32768..32767.
class TSmallintField : public TIntegerField {
    DECLARE_CLASS(TSmallintField, TIntegerField)
public:
    explicit TSmallintField(Classes::TComponent* AOwner);
};

// Numbered by the table itself: read-only.
class TAutoIncField : public TIntegerField {
    DECLARE_CLASS(TAutoIncField, TIntegerField)
public:
    explicit TAutoIncField(Classes::TComponent* AOwner);
};

class TFloatField : public TField {
    DECLARE_CLASS(TFloatField, TField)
public:
    explicit TFloatField(Classes::TComponent* AOwner);
    String GetAsString() const override;
    void SetAsString(const String& Value) override;
    int32_t GetAsInteger() const override;
    void SetAsInteger(int32_t Value) override;
    double GetAsFloat() const override;
    void SetAsFloat(double Value) override;
    bool GetCurrency() const { return FCurrency; }
    void SetCurrency(bool Value) { FCurrency = Value; }

private:
    bool FCurrency = false;
};

class TCurrencyField : public TFloatField {
    DECLARE_CLASS(TCurrencyField, TFloatField)
public:
    explicit TCurrencyField(Classes::TComponent* AOwner);
};

// A decimal number with Size decimals, held as its decimal text.
class TBCDField : public TField {
    DECLARE_CLASS(TBCDField, TField)
public:
    explicit TBCDField(Classes::TComponent* AOwner);
    String GetAsString() const override;
    void SetAsString(const String& Value) override;
    int32_t GetAsInteger() const override;
    void SetAsInteger(int32_t Value) override;
    double GetAsFloat() const override;
    void SetAsFloat(double Value) override;
};

class TBooleanField : public TField {
    DECLARE_CLASS(TBooleanField, TField)
public:
    explicit TBooleanField(Classes::TComponent* AOwner);
    String GetAsString() const override;
    void SetAsString(const String& Value) override;
    bool GetAsBoolean() const override;
    void SetAsBoolean(bool Value) override;
};

// Date, time and timestamp fields: the value is a TDateTime.
class TDateTimeField : public TField {
    DECLARE_CLASS(TDateTimeField, TField)
public:
    explicit TDateTimeField(Classes::TComponent* AOwner);
    String GetAsString() const override;
    void SetAsString(const String& Value) override;
    double GetAsFloat() const override;
    void SetAsFloat(double Value) override;
    TDateTime GetAsDateTime() const override;
    void SetAsDateTime(TDateTime Value) override;
};

class TDateField : public TDateTimeField {
    DECLARE_CLASS(TDateField, TDateTimeField)
public:
    explicit TDateField(Classes::TComponent* AOwner);
};

class TTimeField : public TDateTimeField {
    DECLARE_CLASS(TTimeField, TDateTimeField)
public:
    explicit TTimeField(Classes::TComponent* AOwner);
};

// Raw bytes of a fixed Size; AsString is the bytes as they are.
class TBytesField : public TField {
    DECLARE_CLASS(TBytesField, TField)
public:
    explicit TBytesField(Classes::TComponent* AOwner);
    String GetAsString() const override;
    void SetAsString(const String& Value) override;
};

// A blob (binary, OLE, graphic): AsString is its bytes.
class TBlobField : public TField {
    DECLARE_CLASS(TBlobField, TField)
public:
    explicit TBlobField(Classes::TComponent* AOwner);
    String GetAsString() const override;
    void SetAsString(const String& Value) override;
    // ftBlob, ftGraphic, ftParadoxOle...: the storage's kind of blob.
    void SetBlobType(TFieldType Value) { SetDataType(Value); }
};

// A memo: a blob of text.
class TMemoField : public TBlobField {
    DECLARE_CLASS(TMemoField, TBlobField)
public:
    explicit TMemoField(Classes::TComponent* AOwner);
};

// The dataset: state, cursor, fields and the record buffer. A storage class opens its storage, creates the
// fields (AddField) and reads and writes records through the Internal* methods.
//
// The cursor (dsBrowse): a current record RecNo (0-based) when the dataset has records; Bof is set by First
// and by Prior on the first record, Eof by Last and by Next on the last record (the current record stays the
// last one). An empty dataset is Bof and Eof at once. Moving while a record is inserted posts it when a
// field was set and cancels it otherwise.
class TDataSet : public Classes::TComponent {
    DECLARE_CLASS(TDataSet, Classes::TComponent)
public:
    explicit TDataSet(Classes::TComponent* AOwner);
    ~TDataSet() override;

    bool GetActive() const { return FState != dsInactive; }
    // While the component is read from a stream, opening waits for Loaded.
    void SetActive(bool Value);
    void Open() { SetActive(true); }
    // Harmless when closed; a record being inserted is discarded.
    void Close() { SetActive(false); }
    TDataSetState GetState() const { return FState; }

    void First();
    void Next();
    void Prior();
    void Last();
    bool GetEof() const { return FEof; }
    bool GetBof() const { return FBof; }
    // The number of records in the storage (a record being inserted counts once posted).
    int GetRecordCount() const;
    // The current record's number from 1; 0 without a current record and while inserting.
    int GetRecNo() const;

    // A blank record at the current record's position (an insert: the current record and those after it
    // move down on Post) or after the last one (Append).
    void Insert();
    void Append();
    // Writes the inserted record; the cursor is then on it. On failure the dataset stays in dsInsert.
    void Post();
    // Drops the inserted record.
    void Cancel();
    // A field was set since Insert.
    bool GetModified() const { return FModified; }

    int GetFieldCount() const { return int(FFields.size()); }
    TField* GetFields(int Index) const;
    // By name, ignoring case; nullptr when there is none.
    TField* FindField(std::string_view FieldName) const;
    // As FindField, raising "%s: Поле '%s' не найдено" (the component's name, the field name).
    TField* FieldByName(std::string_view FieldName) const;

protected:
    // Opens the storage and adds the fields; on an exception the dataset stays closed.
    virtual void InternalOpen() = 0;
    virtual void InternalClose() = 0;
    // Re-reads the number of records (another user may have changed it).
    virtual int InternalRefresh() = 0;
    // Reads record RecNo into Buffer (one value per field, in field order).
    virtual void InternalLoadRecord(int RecNo, std::vector<TFieldValue>& Buffer) = 0;
    // Writes Buffer as a new record at Position (Position == record count appends) and returns the position
    // the record took (a keyed storage puts it in key order). All or nothing: on an exception the storage
    // is as it was.
    virtual int InternalInsert(int Position, const std::vector<TFieldValue>& Buffer) = 0;

    // Adds a field created by InternalOpen (the dataset owns it) and returns it.
    TField* AddField(std::unique_ptr<TField> Field, int FieldNo, TFieldType DataType, int Size);
    void CheckActive() const;   // SDataSetClosed
    void CheckInactive() const; // SDataSetOpen
    void Loaded() override;

private:
    friend class TField;
    const TFieldValue& FieldValue(int Index) const;
    void SetFieldValue(int Index, TFieldValue Value);
    void CheckBrowseMode();
    void BeginInsert(int Position);
    void DestroyFields();

    TDataSetState FState = dsInactive;
    std::vector<std::unique_ptr<TField>> FFields;
    int FRecordCount = 0;
    int FRecNo = -1; // the current record, -1 when there is none
    bool FBof = true;
    bool FEof = true;
    bool FModified = false;
    bool FStreamedActive = false;
    int FInsertPos = 0;
    // The active record: the current one (loaded on first use, FBufferRecNo tells which) or the new one.
    mutable std::vector<TFieldValue> FBuffer;
    mutable int FBufferRecNo = -1;
};

} // namespace DB

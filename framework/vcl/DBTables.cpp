// DBTables: TTable over the database engine: opening, the fields of the table's columns, reading a record,
// inserting one.
//
// Values cross between the record buffer and the engine as follows (buffer: see DB::TFieldValue):
//   SHORT, LONG, AUTOINC   int64           <-> PDX_VALUE_INTEGER
//   LOGICAL                int64 0 / 1     <-> PDX_VALUE_BOOLEAN
//   NUMBER, CURRENCY       double          <-> PDX_VALUE_FLOAT
//   DATE                   TDateTime       <-> PDX_VALUE_DATE, days from 1 January of year 1 (day 1)
//   TIME                   TDateTime       <-> PDX_VALUE_TIME, milliseconds since midnight
//   TIMESTAMP              TDateTime       <-> PDX_VALUE_TIMESTAMP, days * 86400000 + milliseconds
//   ALPHA, MEMO, FMTMEMO   UTF-8 text      <-> PDX_VALUE_STRING
//   BCD                    decimal text    <-> PDX_VALUE_STRING
//   BYTES, BLOB, OLE, GRAPHIC  bytes       <-> PDX_VALUE_BYTES
// A column of a type the engine only carries along gets no field and is written blank.
#include "framework/vcl/DBTables.h"
#include "framework/core/ClassesRegistry.h"
#include "framework/vcl/DBEngine.h"

#include <cmath>

namespace DBTables {

using namespace DB;

TTable::TTable(Classes::TComponent* AOwner) : TDataSet(AOwner) {}

TTable::~TTable() {
    // ~TDataSet cannot reach InternalClose any more: close the engine's table here.
    InternalClose();
}

void TTable::SetDatabaseName(const String& Value) {
    CheckInactive();
    FDatabaseName = Value;
}

void TTable::SetTableName(const String& Value) {
    CheckInactive();
    FTableName = Value;
}

void TTable::SetTableType(TTableType Value) {
    CheckInactive();
    FTableType = Value;
}

void TTable::SetExclusive(bool Value) {
    CheckInactive();
    FExclusive = Value;
}

void TTable::SetReadOnly(bool Value) {
    CheckInactive();
    FReadOnly = Value;
}

String TTable::GetTablePath() const {
    String name = FTableName;
    if (!name.empty() && SysUtils::ExtractFileExt(name).empty()) name += ".db";
    if (FDatabaseName.empty()) return name;
    return SysUtils::IncludeTrailingBackslash(FDatabaseName) + name;
}

void TTable::EngineError(int Status) const {
    const char* text;
    switch (Status) {
    case PDX_E_IO:
        text = "Не удается открыть таблицу '%s': файл не найден или недоступен";
        break;
    case PDX_E_FORMAT:
        text = "Файл '%s' не является таблицей Paradox или поврежден";
        break;
    case PDX_E_LOCKED:
        text = "Таблица '%s' занята другим пользователем";
        break;
    case PDX_E_READONLY:
        text = "Таблица '%s' открыта только для чтения";
        break;
    case PDX_E_UNSUPPORTED:
        text = "Таблица '%s' использует возможность, которую ядро не поддерживает";
        break;
    case PDX_E_MEMORY:
        text = "Недостаточно памяти для работы с таблицей '%s'";
        break;
    case PDX_E_VALUE:
        text = "Значение не может быть записано в таблицу '%s'";
        break;
    default:
        text = "Ошибка ядра базы данных при работе с таблицей '%s'";
        break;
    }
    String message = SysUtils::Format(text, {SysUtils::ExtractFileName(GetTablePath())});
    const char* detail = FEngine != nullptr ? FEngine->LastError() : nullptr;
    if (detail != nullptr && *detail != '\0') message += String("\n") + detail;
    DatabaseError(message, this);
}

void TTable::InternalOpen() {
    // 1. What to open: a Paradox table, shared.
    if (FTableName.empty()) DatabaseError("Не задано имя таблицы", this);
    if (FTableType == ttDBase || FTableType == ttASCII)
        DatabaseErrorFmt("Тип таблицы '%s' не поддерживается",
                         {TypInfo::GetEnumName(&TTableType_TypeInfo, FTableType)}, this);
    String ext = SysUtils::ExtractFileExt(FTableName);
    if (FTableType == ttDefault && !ext.empty() && !SysUtils::SameText(ext, ".db"))
        DatabaseErrorFmt("Тип таблицы '%s' не поддерживается", {ext}, this);
    if (FExclusive) DatabaseError("Монопольное открытие таблицы не поддерживается", this);

    // 2. The engine; a failure here leaves nothing to undo.
    FEngine = &DBEngine::AcquireEngine();
    const DBEngine::TEngine& e = *FEngine;

    // 3. The table (InternalClose undoes everything from here on if a later step fails).
    PdxTable* handle = nullptr;
    int status = e.Open(GetTablePath().c_str(), FReadOnly ? PDX_OPEN_READ : PDX_OPEN_READ_WRITE, &handle);
    // A read-only file still opens for reading, as a table on a read-only medium does: it can be walked,
    // and only a Post into it fails ("открыта только для чтения").
    if (status == PDX_E_READONLY) status = e.Open(GetTablePath().c_str(), PDX_OPEN_READ, &handle);
    if (status != PDX_OK) EngineError(status);
    FHandle = handle;
    PdxTableInfo info{};
    status = e.TableInfo(FHandle, &info);
    if (status != PDX_OK) EngineError(status);
    FCodePage = info.code_page;

    // 4. A field for each column of a type the layer knows.
    FColumnType.assign(size_t(info.field_count), 0);
    FColumnField.assign(size_t(info.field_count), -1);
    for (int i = 0; i < info.field_count; ++i) {
        PdxFieldInfo fi{};
        status = e.FieldInfo(FHandle, i, &fi);
        if (status != PDX_OK) EngineError(status);
        FColumnType[size_t(i)] = fi.type;
        std::unique_ptr<TField> f;
        TFieldType type = ftUnknown;
        int size = 0;
        switch (fi.type) {
        case PDX_ALPHA:
            f = std::make_unique<TStringField>(nullptr), type = ftString, size = fi.size;
            break;
        case PDX_SHORT:
            f = std::make_unique<TSmallintField>(nullptr), type = ftSmallint;
            break;
        case PDX_LONG:
            f = std::make_unique<TIntegerField>(nullptr), type = ftInteger;
            break;
        case PDX_AUTOINC:
            f = std::make_unique<TAutoIncField>(nullptr), type = ftAutoInc;
            break;
        case PDX_NUMBER:
            f = std::make_unique<TFloatField>(nullptr), type = ftFloat;
            break;
        case PDX_CURRENCY:
            f = std::make_unique<TCurrencyField>(nullptr), type = ftCurrency;
            break;
        case PDX_BCD:
            f = std::make_unique<TBCDField>(nullptr), type = ftBCD, size = fi.decimals;
            break;
        case PDX_LOGICAL:
            f = std::make_unique<TBooleanField>(nullptr), type = ftBoolean;
            break;
        case PDX_DATE:
            f = std::make_unique<TDateField>(nullptr), type = ftDate;
            break;
        case PDX_TIME:
            f = std::make_unique<TTimeField>(nullptr), type = ftTime;
            break;
        case PDX_TIMESTAMP:
            f = std::make_unique<TDateTimeField>(nullptr), type = ftDateTime;
            break;
        case PDX_BYTES:
            f = std::make_unique<TBytesField>(nullptr), type = ftBytes, size = fi.size;
            break;
        case PDX_MEMO:
            f = std::make_unique<TMemoField>(nullptr), type = ftMemo, size = fi.size;
            break;
        case PDX_FMTMEMO:
            f = std::make_unique<TBlobField>(nullptr), type = ftFmtMemo, size = fi.size;
            break;
        case PDX_BLOB:
            f = std::make_unique<TBlobField>(nullptr), type = ftBlob, size = fi.size;
            break;
        case PDX_OLE:
            f = std::make_unique<TBlobField>(nullptr), type = ftParadoxOle, size = fi.size;
            break;
        case PDX_GRAPHIC:
            f = std::make_unique<TBlobField>(nullptr), type = ftGraphic, size = fi.size;
            break;
        default:
            continue; // carried along by the engine, blank in new records
        }
        f->SetFieldName(fi.name != nullptr ? fi.name : "");
        FColumnField[size_t(i)] = GetFieldCount();
        AddField(std::move(f), i + 1, type, size);
    }
}

void TTable::InternalClose() {
    if (FHandle != nullptr) {
        FEngine->Close(FHandle);
        FHandle = nullptr;
    }
    if (FEngine != nullptr) {
        DBEngine::ReleaseEngine();
        FEngine = nullptr;
    }
    FColumnType.clear();
    FColumnField.clear();
    FCodePage = 0;
}

void TTable::LockTable(TLockType LockType) {
    CheckActive();
    if (LockType != ltWriteLock) DatabaseError("Блокировка таблицы для чтения не поддерживается", this);
    int status = FEngine->Lock(FHandle);
    if (status != PDX_OK) EngineError(status);
}

void TTable::UnlockTable(TLockType LockType) {
    CheckActive();
    if (LockType != ltWriteLock) return;
    int status = FEngine->Unlock(FHandle);
    if (status != PDX_OK) EngineError(status);
}

int TTable::InternalRefresh() {
    uint32_t records = 0;
    int status = FEngine->Refresh(FHandle, &records);
    if (status != PDX_OK) EngineError(status);
    return int(records);
}

void TTable::InternalLoadRecord(int RecNo, std::vector<TFieldValue>& Buffer) {
    const DBEngine::TEngine& e = *FEngine;
    for (size_t col = 0; col < FColumnField.size(); ++col) {
        int index = FColumnField[col];
        if (index < 0) continue;
        PdxValue v{};
        int status = e.GetValue(FHandle, uint32_t(RecNo), int(col), &v);
        if (status != PDX_OK) EngineError(status);
        TFieldValue& out = Buffer[size_t(index)];
        switch (v.kind) {
        case PDX_VALUE_INTEGER:
        case PDX_VALUE_BOOLEAN:
            out = v.i;
            break;
        case PDX_VALUE_FLOAT:
            out = v.f;
            break;
        case PDX_VALUE_DATE:
            out = double(v.i - DateDelta);
            break;
        case PDX_VALUE_TIME:
            out = double(v.i) / MSecsPerDay;
            break;
        case PDX_VALUE_TIMESTAMP: {
            // Whole days and the time of day; before 1899 the time still counts forward within its day.
            double days = std::floor(v.f / MSecsPerDay);
            double time = (v.f - days * MSecsPerDay) / MSecsPerDay;
            double date = days - DateDelta;
            out = date < 0 ? date - time : date + time;
            break;
        }
        case PDX_VALUE_STRING:
        case PDX_VALUE_BYTES:
            out = String(v.s != nullptr ? v.s : "", v.s != nullptr ? v.len : 0);
            break;
        default:
            out = std::monostate{};
            break;
        }
    }
}

int TTable::InternalInsert(int Position, const std::vector<TFieldValue>& Buffer) {
    // 1. One value per column, in the table's order; blank where no field was set.
    std::vector<PdxValue> values(FColumnField.size());
    for (size_t col = 0; col < FColumnField.size(); ++col) {
        PdxValue& v = values[col];
        v.kind = PDX_VALUE_NULL;
        int index = FColumnField[col];
        if (index < 0) continue;
        const TFieldValue& in = Buffer[size_t(index)];
        if (std::holds_alternative<std::monostate>(in)) continue;
        switch (FColumnType[col]) {
        case PDX_SHORT:
        case PDX_LONG:
        case PDX_AUTOINC:
            v.kind = PDX_VALUE_INTEGER, v.i = std::get<int64_t>(in);
            break;
        case PDX_LOGICAL:
            v.kind = PDX_VALUE_BOOLEAN, v.i = std::get<int64_t>(in) != 0 ? 1 : 0;
            break;
        case PDX_NUMBER:
        case PDX_CURRENCY:
            v.kind = PDX_VALUE_FLOAT, v.f = std::get<double>(in);
            break;
        case PDX_DATE:
            v.kind = PDX_VALUE_DATE, v.i = int64_t(std::trunc(std::get<double>(in))) + DateDelta;
            break;
        case PDX_TIME: {
            double t = std::get<double>(in);
            v.kind = PDX_VALUE_TIME, v.i = std::llround(std::fabs(t - std::trunc(t)) * MSecsPerDay);
            if (v.i >= MSecsPerDay) v.i = MSecsPerDay - 1;
            break;
        }
        case PDX_TIMESTAMP: {
            double t = std::get<double>(in);
            double days = std::trunc(t) + DateDelta;
            double ms = double(std::llround(std::fabs(t - std::trunc(t)) * MSecsPerDay));
            if (ms >= MSecsPerDay) ms = MSecsPerDay - 1;
            v.kind = PDX_VALUE_TIMESTAMP, v.f = days * MSecsPerDay + ms;
            break;
        }
        case PDX_BYTES:
        case PDX_BLOB:
        case PDX_OLE:
        case PDX_GRAPHIC:
            v.kind = PDX_VALUE_BYTES, v.s = std::get<String>(in).data(), v.len = std::get<String>(in).size();
            break;
        default: // ALPHA, MEMO, FMTMEMO, BCD
            v.kind = PDX_VALUE_STRING, v.s = std::get<String>(in).data(), v.len = std::get<String>(in).size();
            break;
        }
    }
    // 2. The engine writes all of it or nothing.
    uint32_t at = 0;
    int status = FEngine->Insert(FHandle, uint32_t(Position), values.data(), int(values.size()), &at);
    if (status != PDX_OK) EngineError(status);
    return int(at);
}

using namespace TypInfo;
PUBLISHED(TTable, "DBTables",
          Prop<&TTable::GetStreamActive, &TTable::SetStreamActive>("Active").Default(false),
          Prop<&TTable::FDatabaseName, &TTable::SetDatabaseName>("DatabaseName"),
          Prop<&TTable::FExclusive, &TTable::SetExclusive>("Exclusive").Default(false),
          Prop<&TTable::FReadOnly, &TTable::SetReadOnly>("ReadOnly").Default(false),
          Prop<&TTable::FTableName, &TTable::SetTableName>("TableName"),
          Prop<&TTable::FTableType, &TTable::SetTableType>("TableType").Default(ttDefault));

namespace {
// The unit's initialization: form streams find TTable by its name.
struct TDBTablesUnit {
    TDBTablesUnit() { Classes::RegisterClass(&TTable::ClassInfo); }
} DBTablesUnit;
} // namespace

} // namespace DBTables

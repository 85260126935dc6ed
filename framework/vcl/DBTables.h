// DBTables: TTable, the dataset of one Paradox table, read and written through the database engine.
//
// Declares: TTableType and TTable. TTable is registered with the class registry, so a form stream can hold
//   object Table: TTable
//     DatabaseName = 'C:\Templates\'
//     TableName = 'normal.db'
//   end
//
//   table->Close();                              // harmless when closed; drops an unposted insert
//   table->SetDatabaseName(folder);              // only while closed
//   table->SetTableName("normal.db");
//   table->Open();                               // shared, read and write; the fields of the table
//   for (table->First(); !table->GetEof(); table->Next()) ...
//   table->Last(); table->Insert();              // the new record goes before the last one
//   table->FieldByName("Level")->SetAsInteger(132);
//   table->Post();                               // one value per field, blank where none was set
//
//   table->LockTable(ltWriteLock);               // waits up to 2 s for another user
//   ... count, insert: one step for other users ...
//   table->UnlockTable(ltWriteLock);             // Close releases it too
//
// The engine (pdxengine.dll, see DBEngine.h) is loaded by the first Open. The table's file is DatabaseName
// (a folder; empty: the current one) joined with TableName. TableType ttDefault takes the kind from the
// extension: ".db", or none (".db" is added), is Paradox; any other is refused. ttParadox takes the name as
// it is (adding ".db" when it has no extension). The engine opens tables shared only, so Exclusive must stay
// false. A file marked read-only opens for reading, as with ReadOnly: it can be walked, and Post fails.
//
// Messages (besides those of DB.h; the component's name and ": " come first):
//   "Не задано имя таблицы"                                              (TableName empty)
//   "Тип таблицы '%s' не поддерживается"                                 (an extension other than .db)
//   "Монопольное открытие таблицы не поддерживается"                     (Exclusive)
//   "Не удается открыть таблицу '%s': файл не найден или недоступен"     (PDX_E_IO)
//   "Файл '%s' не является таблицей Paradox или поврежден"               (PDX_E_FORMAT)
//   "Таблица '%s' занята другим пользователем"                           (PDX_E_LOCKED)
//   "Таблица '%s' открыта только для чтения"                             (PDX_E_READONLY)
//   "Таблица '%s' использует возможность, которую ядро не поддерживает"  (PDX_E_UNSUPPORTED)
//   "Недостаточно памяти для работы с таблицей '%s'"                     (PDX_E_MEMORY)
//   "Значение не может быть записано в таблицу '%s'"                     (PDX_E_VALUE)
//   "Ошибка ядра базы данных при работе с таблицей '%s'"                 (any other status)
//   "Блокировка таблицы для чтения не поддерживается"                    (LockTable(ltReadLock))
// each followed, on a second line, by the engine's own detail (which names the file and the cause).
#pragma once

#include "framework/vcl/DB.h"

struct PdxTable;
namespace DBEngine {
struct TEngine;
}

namespace DBTables {

using SysUtils::String;

PUBLISHED_ENUM(TTableType, uint8_t, ttDefault, ttParadox, ttDBase, ttASCII)

// A write lock keeps other users from writing the table (their inserts and locks wait) while it is held;
// the engine has no read lock.
enum TLockType : uint8_t { ltReadLock, ltWriteLock };

class TTable : public DB::TDataSet {
    DECLARE_CLASS(TTable, DB::TDataSet)
public:
    explicit TTable(Classes::TComponent* AOwner);
    ~TTable() override;

    // Properties that name the table may change only while it is closed (SDataSetOpen).
    const String& GetDatabaseName() const { return FDatabaseName; }
    void SetDatabaseName(const String& Value);
    const String& GetTableName() const { return FTableName; }
    void SetTableName(const String& Value);
    TTableType GetTableType() const { return FTableType; }
    void SetTableType(TTableType Value);
    bool GetExclusive() const { return FExclusive; }
    void SetExclusive(bool Value);
    bool GetReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);

    // The file the table is read from: DatabaseName joined with TableName (and ".db" where it is added).
    String GetTablePath() const;
    // The table's code page (1251, 866...; 0 when the file has none); 0 while closed.
    int GetCodePage() const { return FCodePage; }

    // The table's write lock, held from LockTable to UnlockTable or Close: other users cannot write the table
    // meanwhile (reading goes on). Taking it twice changes nothing; a table opened for reading takes it too,
    // and a read-only file needs none. LockTable fails with "занята другим пользователем" when another user
    // holds it for 2 s.
    void LockTable(TLockType LockType);
    void UnlockTable(TLockType LockType);

protected:
    void InternalOpen() override;
    void InternalClose() override;
    int InternalRefresh() override;
    void InternalLoadRecord(int RecNo, std::vector<DB::TFieldValue>& Buffer) override;
    int InternalInsert(int Position, const std::vector<DB::TFieldValue>& Buffer) override;

private:
    [[noreturn]] void EngineError(int Status) const;
    bool GetStreamActive() const { return GetActive(); }
    void SetStreamActive(bool Value) { SetActive(Value); }

    String FDatabaseName;
    String FTableName;
    TTableType FTableType = ttDefault;
    bool FExclusive = false;
    bool FReadOnly = false;

    // While open: the engine's table, the engine's type of every column (fields exist for the known ones:
    // FColumnField maps a column to its field index, -1 for none).
    const DBEngine::TEngine* FEngine = nullptr; // held from the engine's acquisition to InternalClose
    PdxTable* FHandle = nullptr;
    int FCodePage = 0;
    std::vector<int> FColumnType;
    std::vector<int> FColumnField;
};

} // namespace DBTables

// DB: the layer's error and TDataSet, the state machine, cursor and record buffer over a storage.
//
// States: dsInactive (no fields) -> Open -> dsBrowse (cursor on a record, or Bof and Eof when there is
// none) -> Insert/Append -> dsInsert (the buffer holds the new record) -> Post (written, cursor on it) or
// Cancel (dropped) -> dsBrowse; Close from any state -> dsInactive, dropping an unposted record.
//
// Invariants:
//  1. FFields is empty exactly when FState is dsInactive.
//  2. In dsBrowse, FRecNo is -1 when FRecordCount is 0 (then Bof and Eof), else 0 <= FRecNo < FRecordCount.
//  3. FBuffer holds the record FBufferRecNo in dsBrowse (-1: not loaded yet) and the new record in dsInsert.
#include "framework/vcl/DB.h"

#include <algorithm>

namespace DB {

void DatabaseError(const String& Message, const Classes::TComponent* Component) {
    if (Component != nullptr && !Component->GetName().empty())
        throw EDatabaseError(Component->GetName() + ": " + Message);
    throw EDatabaseError(Message);
}

void DatabaseErrorFmt(std::string_view Message, SysUtils::TVarRecs Args,
                      const Classes::TComponent* Component) {
    DatabaseError(SysUtils::Format(Message, Args), Component);
}

TDataSet::TDataSet(Classes::TComponent* AOwner) : TComponent(AOwner) {}

TDataSet::~TDataSet() {
    // The storage class has closed its storage in its own destructor; drop what is left here.
    DestroyFields();
    FState = dsInactive;
}

void TDataSet::SetActive(bool Value) {
    if (GetComponentState().Contains(Classes::csReading) ||
        GetComponentState().Contains(Classes::csLoading)) {
        FStreamedActive = Value;
        return;
    }
    if (Value == GetActive()) return;
    if (Value) {
        try {
            InternalOpen();
            FRecordCount = InternalRefresh();
        } catch (...) {
            DestroyFields();
            try {
                InternalClose();
            } catch (...) {
            }
            throw;
        }
        FBuffer.assign(FFields.size(), TFieldValue{});
        FState = dsBrowse;
        FModified = false;
        FRecNo = FRecordCount > 0 ? 0 : -1;
        FBof = true;
        FEof = FRecordCount == 0;
        FBufferRecNo = -1;
    } else {
        // An unposted record is dropped, as Cancel would; the storage never saw it.
        FState = dsInactive;
        FModified = false;
        DestroyFields();
        FBuffer.clear();
        FBufferRecNo = -1;
        FRecordCount = 0;
        FRecNo = -1;
        FBof = FEof = true;
        InternalClose();
    }
}

void TDataSet::Loaded() {
    inherited::Loaded();
    if (FStreamedActive) {
        FStreamedActive = false;
        SetActive(true);
    }
}

void TDataSet::CheckActive() const {
    if (FState == dsInactive) DatabaseError(Msg::SDataSetClosed, this);
}

void TDataSet::CheckInactive() const {
    if (FState != dsInactive) DatabaseError(Msg::SDataSetOpen, this);
}

// Leaves dsInsert before the cursor moves: a record with a field set is posted, an untouched one dropped.
void TDataSet::CheckBrowseMode() {
    CheckActive();
    if (FState == dsInsert) {
        if (FModified)
            Post();
        else
            Cancel();
    }
}

void TDataSet::First() {
    CheckBrowseMode();
    FRecordCount = InternalRefresh();
    FRecNo = FRecordCount > 0 ? 0 : -1;
    FBof = true;
    FEof = FRecordCount == 0;
    FBufferRecNo = -1;
}

void TDataSet::Last() {
    CheckBrowseMode();
    FRecordCount = InternalRefresh();
    FRecNo = FRecordCount - 1;
    FBof = FRecordCount == 0;
    FEof = true;
    FBufferRecNo = -1;
}

void TDataSet::Next() {
    CheckBrowseMode();
    if (FEof) return;
    if (FRecNo + 1 < FRecordCount) {
        ++FRecNo;
        FBof = false;
    } else {
        FEof = true;
    }
}

void TDataSet::Prior() {
    CheckBrowseMode();
    if (FBof) return;
    if (FRecNo > 0) {
        --FRecNo;
        FEof = false;
    } else {
        FBof = true;
    }
}

int TDataSet::GetRecordCount() const {
    CheckActive();
    return FRecordCount;
}

int TDataSet::GetRecNo() const {
    if (FState != dsBrowse || FRecNo < 0) return 0;
    return FRecNo + 1;
}

void TDataSet::BeginInsert(int Position) {
    FInsertPos = Position;
    FBuffer.assign(FFields.size(), TFieldValue{});
    FBufferRecNo = -1;
    FModified = false;
    FState = dsInsert;
}

void TDataSet::Insert() {
    CheckBrowseMode();
    // The new record takes the current one's place; with no records it is the first.
    BeginInsert(FRecNo < 0 ? 0 : FRecNo);
}

void TDataSet::Append() {
    CheckBrowseMode();
    BeginInsert(FRecordCount);
}

void TDataSet::Post() {
    CheckActive();
    if (FState != dsInsert) DatabaseError(Msg::SNotEditing, this);
    // On failure the storage is as it was and the dataset stays in dsInsert with the values set.
    int newRecNo = InternalInsert(FInsertPos, FBuffer);
    // The record is written: whatever follows, the dataset is back in dsBrowse on it, so that no second
    // Post writes it again.
    FState = dsBrowse;
    FModified = false;
    FRecNo = newRecNo;
    FRecordCount = std::max(FRecordCount + 1, newRecNo + 1);
    FBof = FEof = false;
    FBufferRecNo = -1;
    // Others may have added records meanwhile.
    FRecordCount = InternalRefresh();
}

void TDataSet::Cancel() {
    if (FState != dsInsert) return;
    FState = dsBrowse;
    FModified = false;
    FBufferRecNo = -1;
}

TField* TDataSet::GetFields(int Index) const {
    if (Index < 0 || Index >= int(FFields.size())) DatabaseErrorFmt(Msg::SFieldIndexError, {Index}, this);
    return FFields[size_t(Index)].get();
}

TField* TDataSet::FindField(std::string_view FieldName) const {
    for (const auto& f : FFields)
        if (SysUtils::AnsiSameText(f->GetFieldName(), FieldName)) return f.get();
    return nullptr;
}

TField* TDataSet::FieldByName(std::string_view FieldName) const {
    TField* f = FindField(FieldName);
    if (f == nullptr) DatabaseErrorFmt(Msg::SFieldNotFound, {FieldName}, this);
    return f;
}

TField* TDataSet::AddField(std::unique_ptr<TField> Field, int FieldNo, TFieldType DataType, int Size) {
    Field->FDataSet = this;
    Field->FIndex = int(FFields.size());
    Field->FFieldNo = FieldNo;
    Field->FDataType = DataType;
    Field->FSize = Size;
    FFields.push_back(std::move(Field));
    return FFields.back().get();
}

void TDataSet::DestroyFields() {
    // Last-created first, as owned components go.
    while (!FFields.empty())
        FFields.pop_back();
}

const TFieldValue& TDataSet::FieldValue(int Index) const {
    static const TFieldValue blank;
    if (FState == dsBrowse && FRecNo >= 0 && FBufferRecNo != FRecNo) {
        // The current record is read when a field first asks for it: walking a table reads no values.
        const_cast<TDataSet*>(this)->InternalLoadRecord(FRecNo, FBuffer);
        FBufferRecNo = FRecNo;
    }
    if (FState == dsBrowse && FRecNo < 0) return blank;
    return FBuffer[size_t(Index)];
}

void TDataSet::SetFieldValue(int Index, TFieldValue Value) {
    if (FState != dsInsert) DatabaseError(Msg::SNotEditing, this);
    FBuffer[size_t(Index)] = std::move(Value);
    FModified = true;
}

PUBLISHED(TDataSet, "DB");

} // namespace DB

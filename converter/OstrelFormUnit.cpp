// OstrelFormUnit: the progress window and the conversion run.
#include "converter/OstrelFormUnit.h"

#include "framework/core/TypInfo.h"

#include <windows.h>

namespace OstrelFormUnit {

using namespace SysUtils;

TOstrelForm* OstrelForm = nullptr;

namespace {

// The record a template table of 43 styles lacks. The fields are set in this order, each with the setter
// its value is written with; the field converts the value to its own type.
void SetStyleFields(DBTables::TTable& table) {
    auto integer = [&](const char* name, int value) { table.FieldByName(name)->SetAsInteger(value); };
    auto boolean = [&](const char* name, bool value) { table.FieldByName(name)->SetAsBoolean(value); };
    integer("Level", 132);
    table.FieldByName("Name")->SetAsString("Тип позиции");
    table.FieldByName("FontName")->SetAsString("Times New Roman");
    integer("FontSize", 12);
    integer("FontColor", 0);
    boolean("Bold", false);
    boolean("Italic", false);
    boolean("Underline", false);
    integer("Align", 12);
    boolean("Bullets", false);
    integer("FirstInd", 0);
    integer("LeftInd", 0);
    integer("RightInd", 152);
    integer("TabPos", 0);
    integer("SpaceBefore", 0);
    integer("SpaceAfter", 0);
    integer("SpaceLine", 0);
    integer("BackColor", 0xFFFFFF);
    boolean("PageBreak", false);
    integer("LineSpacingRule", 0);
    boolean("NoControlChar", true);
}

constexpr int kStyleCount = 43;

// Closes a directory search however the pass ends.
struct SearchGuard {
    TSearchRec& rec;
    ~SearchGuard() { FindClose(rec); }
};

} // namespace

String FolderFromCommandLine(int ParamCount, const String& FirstParam, const String& ProgramPath) {
    return ParamCount >= 1 ? FirstParam : ExtractFilePath(ProgramPath);
}

int ProgressPercent(int Converted, int Qualifying) {
    if (Qualifying <= 0 || Converted >= Qualifying) return Converted > 0 ? 100 : 0;
    return int(Round(double(Converted) / double(Qualifying) * 100.0));
}

void TOstrelForm::FormCreate(System::TObject*) {
    PatternDir = FolderFromCommandLine(System::ParamCount(), System::ParamStr(1), System::ParamStr(0));
}

void TOstrelForm::FormShow(System::TObject*) {
    UpdateTimer->SetEnabled(true);
}

void TOstrelForm::CloseTimerTimer(System::TObject*) {
    CloseTimer->SetEnabled(false);
    Close();
}

void TOstrelForm::OpenTable(const String& FileName) {
    Table->Close();
    Table->SetDatabaseName(PatternDir);
    Table->SetTableName(FileName);
    Table->Open();
}

int TOstrelForm::CountRecords() {
    int n = 0;
    for (Table->First(); !Table->GetEof(); Table->Next())
        ++n;
    return n;
}

void TOstrelForm::AddStyleRecord() {
    Table->Last();
    Table->Insert();
    SetStyleFields(*Table);
    Table->Post();
}

void TOstrelForm::UpdateTimerTimer(System::TObject*) {
    UpdateTimer->SetEnabled(false);
    if (PatternDir.empty() || PatternDir.back() != '\\') PatternDir += '\\';
    PatternName->SetCaption("");
    ProgressBar->SetPosition(0);
    const String pattern = PatternDir + "*.db";
    try {
        int qualifying = 0;
        {
            TSearchRec rec;
            SearchGuard guard{rec};
            for (int r = FindFirst(pattern, faArchive, rec); r == 0; r = FindNext(rec)) {
                OpenTable(rec.Name);
                int n = CountRecords();
                Table->Close();
                if (n == kStyleCount) ++qualifying;
            }
        }
        int converted = 0;
        {
            TSearchRec rec;
            SearchGuard guard{rec};
            for (int r = FindFirst(pattern, faArchive, rec); r == 0; r = FindNext(rec)) {
                OpenTable(rec.Name);
                // The count and the insert are one step for other programs: another converter on this
                // folder waits here, then counts 44 and leaves the table alone.
                Table->LockTable(DBTables::ltWriteLock);
                int n = CountRecords();
                if (n == kStyleCount) {
                    ++converted;
                    PatternName->SetCaption(Table->GetTableName());
                    ProgressBar->SetPosition(ProgressPercent(converted, qualifying));
                    Forms::Application->ProcessMessages();
                    AddStyleRecord();
                }
                Table->UnlockTable(DBTables::ltWriteLock);
                if (n == kStyleCount) ::Sleep(ConvertPause);
                Table->Close();
            }
        }
    } catch (...) {
        // The table being handled is closed (an unposted record is discarded); the error ends the run and
        // is shown by the application. CloseTimer stays off, so the window stays open.
        Table->Close();
        throw;
    }
    FRunFinished = true;
    CloseTimer->SetEnabled(true);
}

using namespace TypInfo;
PUBLISHED(TOstrelForm, "OstrelFormUnit", PUBLISHED_FIELD(TOstrelForm, Label1),
          PUBLISHED_FIELD(TOstrelForm, PatternName), PUBLISHED_FIELD(TOstrelForm, Bevel1),
          PUBLISHED_FIELD(TOstrelForm, ProgressBar), PUBLISHED_FIELD(TOstrelForm, Label3),
          PUBLISHED_FIELD(TOstrelForm, Table), PUBLISHED_FIELD(TOstrelForm, CloseTimer),
          PUBLISHED_FIELD(TOstrelForm, UpdateTimer), PUBLISHED_METHOD(TOstrelForm, FormCreate),
          PUBLISHED_METHOD(TOstrelForm, FormShow), PUBLISHED_METHOD(TOstrelForm, CloseTimerTimer),
          PUBLISHED_METHOD(TOstrelForm, UpdateTimerTimer));

} // namespace OstrelFormUnit

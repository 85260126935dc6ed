// OstrelFormUnit: the converter's one form. It shows which template table is being updated and how far the
// run has got, and does the whole run inside one tick of UpdateTimer:
//
//   Forms::Application->CreateForm(OstrelForm);   // read from its form resource; FormCreate sets the folder
//   Forms::Application->Run();                    // FormShow starts UpdateTimer; CloseTimer ends the program
//
// A run counts the records of every *.db table of PatternDir, then gives each table of exactly 43 records
// one more style record, "Тип позиции", inserted before the last record. The second pass counts and
// inserts under the table's write lock, so that another converter on the same folder, started at the same
// time, waits and then counts 44 and leaves the table alone.
#pragma once

#include "framework/vcl/ComCtrls.h"
#include "framework/vcl/DBTables.h"
#include "framework/vcl/ExtCtrls.h"
#include "framework/vcl/Forms.h"
#include "framework/vcl/StdCtrls.h"

namespace OstrelFormUnit {

using SysUtils::String;

class TOstrelForm : public Forms::TForm {
    DECLARE_CLASS(TOstrelForm, Forms::TForm)
public:
    using TForm::TForm;

    // The form's controls and components: published fields, set as the form resource is read.
    StdCtrls::TLabel* Label1 = nullptr;
    StdCtrls::TLabel* PatternName = nullptr;
    ExtCtrls::TBevel* Bevel1 = nullptr;
    ComCtrls::TProgressBar* ProgressBar = nullptr;
    StdCtrls::TLabel* Label3 = nullptr;
    DBTables::TTable* Table = nullptr;
    ExtCtrls::TTimer* CloseTimer = nullptr;
    ExtCtrls::TTimer* UpdateTimer = nullptr;

    // Published handlers, bound by name from the form resource.
    void FormCreate(System::TObject* Sender);
    void FormShow(System::TObject* Sender);
    void CloseTimerTimer(System::TObject* Sender);
    void UpdateTimerTimer(System::TObject* Sender);

    const String& GetPatternDir() const { return PatternDir; }
    void SetPatternDir(const String& Value) { PatternDir = Value; }
    // The pause after each converted table, in milliseconds: 1000 in the program; tests shorten it.
    unsigned ConvertPause = 1000;
    // Whether a run went through to its end (CloseTimer was enabled); false after an error stopped it.
    bool GetRunFinished() const { return FRunFinished; }

private:
    // Opens the found table.
    void OpenTable(const String& FileName);
    // Counts the open table's records by walking them.
    int CountRecords();
    void AddStyleRecord();

    String PatternDir;
    bool FRunFinished = false;
};

// The folder a run searches: the first argument as it is, or the program's own folder, "\" included.
String FolderFromCommandLine(int ParamCount, const String& FirstParam, const String& ProgramPath);

// The bar's position after Converted of Qualifying tables, in percent: rounded, halves to the even
// neighbour, never above 100 (the folder may have gained tables since the first pass).
int ProgressPercent(int Converted, int Qualifying);

extern TOstrelForm* OstrelForm;

} // namespace OstrelFormUnit

// Ide: a person's design session (ide.exe design) and its windows.
//
// Declares: TSessionOptions and ParseSessionOptions (the command line), TObjectInspector (the window titled
// "Object Inspector": the selection's published properties through their editors), RunSession.
//
// The session shows the designed form under its own caption (non-visual components as small labelled
// icons at their designer positions), the palette ("Component Palette": the pages and components of the
// loaded packages; a double-click puts one on the form; Save writes the form file back as text) and the
// Object Inspector. On the form, a click selects a component (Shift adds to the selection), a right click
// shows its component editor's verbs (and Copy, Paste, Delete), a double-click runs the editor's Edit (on
// a plain TMainMenu or TPopupMenu: the framework's menu designer, a window titled owner name "." menu
// name); Delete, Ctrl+C and Ctrl+V act on the selection. In the Object Inspector a value is edited in
// place (Enter applies it, Escape restores it), a double-click steps through a value list or expands and
// folds sub-properties ("+" and "-"), and "..." runs the editor's dialog.
//
// --select NAME selects a component first; --edit NAME.PROPERTY runs that property's editor (Edit, as
// "..." does); --open NAME double-clicks the component; --verb NAME INDEX runs a verb of its component
// editor. A modal window opened by them is photographed and cancelled. With --shots DIR the session makes
// its pictures and ends: form.png, inspector.png, palette.png, the dialog an --edit opens as dialog.png and
// the Object Inspector after it as inspector-edited.png, every window --open or --verb opens as open-N.png
// or verb-N.png (N from 1); each picture's file name and its window's title are printed ("form.png: Form1
// caption"). Exit code 0; a component, property or verb that does not exist is an error.
#pragma once

#include "ide/IdeDesigner.h"
#include "ide/IdePackages.h"

namespace Ide {

struct TSessionOptions {
    String FormFile;
    std::vector<String> Packages;
    String Select;                      // --select NAME
    String EditComponent, EditProperty; // --edit NAME.PROPERTY
    String Open;                        // --open NAME: a double-click on the component
    String VerbComponent;               // --verb NAME INDEX
    int VerbIndex = -1;
    String Shots; // --shots DIR
};

// Args as ide.exe got them ("design", FORM, ...); false for a malformed command line.
bool ParseSessionOptions(const std::vector<String>& Args, TSessionOptions& Options);

// The Object Inspector of one designer: rows of the selection's property editors, refreshed when the
// selection changes or the form is modified.
class TObjectInspector : public Forms::TForm {
public:
    TObjectInspector(TDesigner* ADesigner);
    ~TObjectInspector() override;

    // Builds the rows anew from the designer's selection.
    void Refresh();
    // The rows as text: "Name\tValue", sub-properties indented by two blanks, "+"/"-" before expandable ones.
    std::vector<String> RowTexts() const;
    // Finds a row by name path ("Font.Size", expanding on the way) and gives its editor, or nullptr.
    DsgnIntf::TPropertyEditor* FindEditor(const String& Path);
    // Runs the editor's Edit (the "..." button) as the window does.
    void EditRow(DsgnIntf::TPropertyEditor* Editor);

    void WndProc(Messages::TMessage& Message) override;

private:
    struct TRow {
        std::unique_ptr<DsgnIntf::TPropertyEditor> Editor;
        int Depth;
        bool Expanded;
        String Path;
    };
    void Fill();
    void Expand(size_t Row);
    void Collapse(size_t Row);
    void RowSelected();
    void RowDoubleClicked();
    void ApplyEdit();
    void Layout();
    String RowText(const TRow& Row) const;
    static LRESULT CALLBACK EditProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    // Runs an editor's operation; a new selection arriving meanwhile is shown once it returns (the rows,
    // and the editor running, stay until then). Errors are shown.
    template <class F> void RunEditor(F Fn);

    TDesigner* FDesigner;
    int FBusy = 0;
    bool FPending = false;
    std::vector<TRow> FRows;
    HWND FList = nullptr, FEdit = nullptr, FButton = nullptr;
    bool FFilling = false;
};

class TSessionImpl;

// A session: its windows open from construction to destruction.
class TDesignSession {
public:
    // Reads the form (errors as TDesigner::LoadFromFile) and opens the windows.
    TDesignSession(TPackageManager& Ide, const TSessionOptions& Options);
    ~TDesignSession();
    // The options' actions (--select, --edit, --open, --verb, --shots); then, without --shots, the
    // messages until the form or the Object Inspector is closed. The exit code.
    int Run();
    // The designer's share of a message for the designed form (clicks, keys): true when it was handled
    // there and must not be dispatched.
    bool HandleMessage(const MSG& Message);
    TDesigner& GetDesigner();
    TObjectInspector& GetInspector();
    // The icon window of a non-visual component on the form, or nullptr.
    HWND IconWindow(Classes::TComponent* AComponent) const;

private:
    std::unique_ptr<TSessionImpl> FImpl;
};

// Runs a session until its windows are closed (or, with --shots, until its pictures are made).
int RunSession(TPackageManager& Ide, const TSessionOptions& Options);

} // namespace Ide

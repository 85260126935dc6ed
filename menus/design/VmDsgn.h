// VmDsgn: the menu designer of the menus package, and its edition files.
//
// Declares: TVmDesignForm (the designer window of one TVeskMenu on a form being designed: its item list in
// step with the host's selection, add, delete, move, the clipboard, "Generate VM for", the edition files, the
// jumps to the host's windows and the host's notifications), the one window VmDesignForm, and the unit's
// entries; the edition files and naming rules themselves are in VmDsgnEdition.h.
//
//   using Forms::TCustomForm;
//   if (!VmDesignForm) VmDesignForm = TCustomForm::Create<TVmDesignForm>(Forms::Application);
//   VmDesignForm->SetDesigner(designer);   // the host designer of the menu's form
//   VmDesignForm->SetVeskMenuComp(menu);   // caption "Form1.VeskMenu1", one row per item
//   VmDesignForm->Show();
//   VmDesignForm->UpdateSelection();       // the marked rows (or the menu) become the host selection
//
// The window is made from its form resource (TVMDESIGNFORM). Its own popup is drawn by its own TVeskMenu
// (pupVM), which hooks the window.
#pragma once

#include "menus/design/VmDsgnEdition.h"

#include "framework/vcl/Buttons.h"
#include "framework/vcl/Dialogs.h"
#include "framework/vcl/DsgnIntf.h"
#include "framework/vcl/ExtCtrls.h"
#include "framework/vcl/StdCtrls.h"

namespace VmDsgn {

using DsgnIntf::TComponentList;
using Menus::TMenuItem;
using System::TObject;

class TVmDesignForm : public DsgnIntf::TDesignWindow {
    DECLARE_CLASS(TVmDesignForm, DsgnIntf::TDesignWindow)
public:
    explicit TVmDesignForm(TComponent* AOwner);
    ~TVmDesignForm() override;

    // ---- The form's controls and components (set by name as the resource is read).
    StdCtrls::TListBox* lbItems = nullptr;
    Buttons::TSpeedButton* SpeedButton1 = nullptr;
    Buttons::TSpeedButton* SpeedButton2 = nullptr;
    ExtCtrls::TImage* Image = nullptr;
    Menus::TPopupMenu* pupMenu = nullptr;
    TMenuItem *miAdd = nullptr, *miDelete = nullptr, *miSelect = nullptr, *miSeparator1 = nullptr,
              *miOpen = nullptr, *miSave = nullptr, *miSaveAs = nullptr, *miSeparator2 = nullptr,
              *miCut = nullptr, *miCopy = nullptr, *miPaste = nullptr, *miSeparator3 = nullptr,
              *miSwitch = nullptr, *miFormDsgn = nullptr, *miMenuDsgn = nullptr, *miSeparator4 = nullptr,
              *miObjInsMenu = nullptr, *miObjInsItem = nullptr, *miGenerate = nullptr;
    Dialogs::TOpenDialog* OpenDialog1 = nullptr;
    Dialogs::TSaveDialog* SaveDialog1 = nullptr;
    TVeskMenu* pupVM = nullptr;

    // ---- Binding and the host selection.
    TVeskMenu* GetVeskMenuComp() const { return FVeskMenuComp; }
    // Binds to Value (nothing when it is bound already): caption owner "." menu, one row per item.
    void SetVeskMenuComp(TVeskMenu* Value);
    // Marks exactly the rows named Item's name (ignoring case); nullptr unmarks all. The host's selection
    // is not touched.
    void SelectItem(TVeskMenuItem* Item);
    void ClearSelection();
    void SelectAdd(TComponent* Item);
    // Hands the list being built to the host as its selection.
    void FinishSelection();
    void SelectOne(TComponent* Item);
    void ReleaseSelection();
    // The marked rows' items, or else the menu itself, become the host selection.
    void UpdateSelection();
    void DoSelectAll();
    // Appends the items of the marked rows of ListBox to List.
    void CopyFromList(TComponentList* List, StdCtrls::TListBox* ListBox);

    // ---- Editing.
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();
    void DeleteSelection();
    // The warning of a paste that holds Component, once per paste.
    void PasteError(TComponent* Component);
    // Items for every entry of the form's plain menu named MenuName (exactly), depth first; Classes::
    // EComponentError when the form has no such menu.
    void GenerateFor(const String& MenuName);

    // ---- Edition files.
    void SaveToFile(const String& FileName);
    // Open without the question and the dialog: reads FileName onto the menu (all of it or nothing).
    void OpenFile(const String& FileName);
    void AddLoadedItem(TComponent* Component);
    bool GetModified() const { return FModified; }
    const String& GetFileName() const { return FFileName; }

    // ---- The host's notifications.
    String UniqueName(TComponent* AComponent) override;
    void ComponentDeleted(TComponent* AComponent) override;
    DsgnIntf::TEditState GetEditState() override;
    void EditAction(DsgnIntf::TEditAction Action) override;
    void FormClosed(Forms::TCustomForm* Form) override;
    void FormModified() override;
    void SelectionChanged(TComponentList* Selection) override;

    // ---- Handlers (published: the resource binds them by name).
    void FormCreate(TObject* Sender);
    void FormMouseUp(TObject* Sender, Controls::TMouseButton Button, Controls::TShiftState Shift, int X,
                     int Y);
    void lbItemsClick(TObject* Sender);
    void lbItemsKeyDown(TObject* Sender, WORD& Key, Controls::TShiftState Shift);
    void lbItemsMouseUp(TObject* Sender, Controls::TMouseButton Button, Controls::TShiftState Shift, int X,
                        int Y);
    void SpeedButton1Click(TObject* Sender);
    void SpeedButton2Click(TObject* Sender);
    void miAddClick(TObject* Sender);
    void miDeleteClick(TObject* Sender);
    void miSelectClick(TObject* Sender);
    void miOpenClick(TObject* Sender);
    void miSaveClick(TObject* Sender);
    void miSaveAsClick(TObject* Sender);
    void miCutClick(TObject* Sender);
    void miCopyClick(TObject* Sender);
    void miPasteClick(TObject* Sender);
    void miFormDsgnClick(TObject* Sender);
    void miMenuDsgnClick(TObject* Sender);
    void miObjInsMenuClick(TObject* Sender);
    void miObjInsItemClick(TObject* Sender);
    void pupVMPopup(TObject* Sender, HMENU MenuHandle, int Value);
    void GenerateClick(TObject* Sender);

    // What ide.exe's edition commands run on the one window (made and bound by the menu's component editor):
    // "save" FILE, "open" FILE, "generate" MENU. Classes::EComponentError when there is no window bound to a
    // menu, or for an unknown command; the command's own exceptions otherwise.
    static void EditionCommand(const String& Command, const String& Argument);

    // A top-level window titled exactly Title is activated; true when there was one.
    static bool ActivateWindow(const String& Title);
    bool HasMenuDesignerWindow() const;

protected:
    void Activated() override;
    void Notification(TComponent* AComponent, Classes::TOperation Operation) override;

private:
    void FillList();
    void AddRow(TVeskMenuItem* Item);
    int RowCount() const;
    TVeskMenuItem* RowItem(int Row) const;
    bool Marked(int Row) const;
    int MarkedCount() const;
    // The one marked row's item, or nullptr unless exactly one row is marked.
    TVeskMenuItem* OnlyMarked() const;
    void ResetCaption();
    void Moved(int Row, int Other);
    // A new item of the bound menu with its unique name.
    TVeskMenuItem* NewNamedItem();
    void AddItemFor(Menus::TMenu* Menu, TMenuItem* Entry);
    void AddSubItemsFor(Menus::TMenu* Menu, TMenuItem* Entry);
    void Modified();

    TVeskMenu* FVeskMenuComp = nullptr;
    bool FPasteErrorShown = false;
    bool FModified = false;
    bool FSelectionSet = false;
    // The list being built (this window's until FinishSelection hands it to the host), or the one handed
    // over (the host's), or nullptr.
    TComponentList* FSelection = nullptr;
    bool FSelectionHanded = false;
    String FFileName;
};

// The one designer window, or nullptr.
extern TVmDesignForm* VmDesignForm;

void Initialization();
void Finalization();

} // namespace VmDsgn

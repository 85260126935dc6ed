// Ide: the designer of one form being designed: the IDE's TFormDesigner.
//
// Declares: TDesigner (the form read from a form file, its selection, the form-modified notice, the
// component clipboard, unique names, the handlers' names, the editors of its components and of the
// selection's properties, deleting and writing back).
//
//   Ide::TPackageManager ide;  ide.LoadPackage("VeskMenus.dll");   // the editors the packages register
//   Ide::TDesigner d;
//   d.LoadFromFile("Form1.dfm");              // every component csDesigning; the form of class TForm
//   d.SelectComponent(d.GetDesignForm()->FindComponent("VeskMenu1"));
//   for (auto& e : d.SelectionEditors()) e->GetName(), e->GetValue();
//   d.SaveToFile("Form1.dfm");                // the text form, with the form's own class name
//
// The form's own class is unknown to the IDE: it is read into a TForm, and its class name is kept to be
// written back. Handlers are not bound (the code is not ours): the names the stream gives them are kept
// per component and event, shown by the event editors and written back.
//
// Notifications: Modified() tells every live design window (FormModified) and OnModified; a new selection
// goes to every design window (SelectionChanged, with the designer's own list) and OnSelectionChanged; a
// component of the form that is destroyed (by the designer or by anyone) leaves the selection, and every
// design window hears ComponentDeleted; when the designer goes, every design window hears FormClosed and
// those working with it lose their designer.
//
// The clipboard: CopyComponents puts a record sequence of the component stream (each record with "TPF0",
// closed by one 0 byte) under the clipboard format "Ide Components", and the text form of the same records
// as CF_UNICODETEXT. PasteComponents reads them back in any process: a name already taken in the owner
// becomes the class name without "T" and the lowest free number; references name components of the owner.
#pragma once

#include "framework/vcl/DsgnIntf.h"
#include "framework/vcl/Forms.h"

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace Ide {

using Classes::TComponent;
using Classes::TComponentClass;
using DsgnIntf::TComponentList;
using SysUtils::String;

class TDesignedForm;

class TDesigner : public DsgnIntf::TFormDesigner {
public:
    TDesigner();
    ~TDesigner() override;

    // Reads a form file (text, or binary form: the stream, with or without a resource header), replacing the
    // form held so far. EClassNotFound for a
    // component class no package registered; EParserError, EReadError for a damaged file.
    void LoadFromFile(const String& FileName);
    void LoadFromStream(Classes::TStream& Stream);
    // Starts an empty form of that name and class name.
    void NewForm(const String& Name, const String& ClassName);
    // The form as text (the form file), with its own class name and the handlers' names.
    String FormText() const;
    void SaveToFile(const String& FileName);

    Forms::TForm* GetDesignForm() const;
    const String& GetFormClassName() const { return FFormClassName; }
    bool IsModified() const { return FModified; }

    // ---- TFormDesigner.
    TComponent* GetRoot() const override;
    void Modified() override;
    void SelectComponent(TComponent* AComponent) override;
    void SetSelections(TComponentList* List) override;
    void GetSelections(TComponentList* List) const override;
    void CopyComponents(TComponent* Root, const TComponentList* List) override;
    void PasteComponents(TComponent* Owner, TComponent* Parent, TComponentList* List) override;
    bool CanPaste() const override;
    // "Cannot create unique name for %s." when every number up to 2^31 - 1 is taken.
    String UniqueName(const String& BaseName) const override;
    String GetEventName(TComponent* Instance, const TypInfo::TPropInfo* Prop) const override;
    void SetEventName(TComponent* Instance, const TypInfo::TPropInfo* Prop, const String& Name) override;

    // The current selection (the root when nothing else is selected).
    const TComponentList& GetSelection() const { return *FSelection; }
    // A new component of class ComponentClass on the form (Parent: its container, or nullptr), named
    // uniquely, at Left, Top (a control's position; a non-visual component's designer position), selected.
    TComponent* CreateComponent(TComponentClass ComponentClass, TComponent* Parent, int Left, int Top);
    // Frees a component of the form (the notifications follow) and tells Modified().
    void DeleteComponent(TComponent* AComponent);
    // The component editor of AComponent (the registered one, or the default editor).
    std::unique_ptr<DsgnIntf::TComponentEditor> MakeComponentEditor(TComponent* AComponent);
    // The editors of the properties every selected component publishes (with several selected: those
    // whose editors allow several, and not Name), in the first component's order.
    std::vector<std::unique_ptr<DsgnIntf::TPropertyEditor>> SelectionEditors();

    std::function<void()> OnModified;
    std::function<void()> OnSelectionChanged;

private:
    friend class TDesignedForm;
    void ComponentRemoved(TComponent* AComponent);
    void SelectionChangedNotify();
    // The handlers' names, by component and upper-case event name.
    using TEventNames = std::map<std::pair<const TComponent*, String>, String>;
    static TEventNames ReadEventNames(TComponent* Root, const String& Text);
    // Form becomes the designed form (the one before it closes).
    void TakeForm(std::unique_ptr<TDesignedForm> Form, const String& ClassName, TEventNames Events);
    // A copy of the live design windows, each asked whether it still lives before it is called.
    template <class F> void EachWindow(F Fn);

    std::unique_ptr<TDesignedForm> FForm;
    String FFormClassName;
    std::unique_ptr<TComponentList> FSelection;
    TEventNames FEvents;
    bool FModified = false;
};

// The clipboard format of components ("Ide Components").
unsigned ComponentClipboardFormat();

// One of the host's Edit commands for the active design window: run (EditAction) when the window's edit
// state allows it (GetEditState: esCanCopy for eaCopy, esCanZOrder for eaBringToFront...); false when not.
bool RunEditAction(DsgnIntf::TDesignWindow* Window, DsgnIntf::TEditAction Action);
// The Edit command of a key with Ctrl held (C copy, X cut, V paste, A select all, Z undo, Y redo).
bool EditActionOfKey(unsigned Key, DsgnIntf::TEditAction& Action);

} // namespace Ide

// DsgnIntf: the IDE's designer of a form being designed, as the design-time tools of packages see it.
//
// Declares: TComponentList (a list of components that does not own them), TFormDesigner (the host's designer
// of one form: its selection, the form-modified notice, the component clipboard, unique names), the edit
// states and actions of the host's Edit commands, and TDesignWindow (the base of a package's tool window
// that works beside the host's designer and hears its notifications).
//
//   class TMyDesignWindow : public DsgnIntf::TDesignWindow {       // in a package
//       DECLARE_CLASS(TMyDesignWindow, DsgnIntf::TDesignWindow)
//   public:
//       using TDesignWindow::TDesignWindow;
//       void ComponentDeleted(Classes::TComponent* AComponent) override;
//   };
//   auto* list = new DsgnIntf::TComponentList;                    // in a method of the window
//   list->Add(item);
//   SetSelection(list);           // the designer takes the list over; SelectionChanged(list) follows
//
// Ownership: the designer owns its current selection list. A list handed to SetSelections (or
// TDesignWindow::SetSelection) becomes the designer's and is freed by it when another selection replaces
// it; SelectionChanged passes that same list object, so a window can tell its own selection from another's.
// The host keeps the live design windows (every TDesignWindow joins the list on construction and leaves it
// on destruction) and calls their notifications on its user-interface thread.
#pragma once

#include "framework/vcl/Forms.h"

#include <vector>

namespace DsgnIntf {

using Classes::TComponent;
using SysUtils::String;

// A list of components. It owns neither them nor their names: a component that goes must be removed from
// the lists that hold it (the host does so for its selection).
class TComponentList : public System::TObject {
    DECLARE_CLASS(TComponentList, System::TObject)
public:
    TComponentList() = default;
    // The index of the new entry (a component may be listed more than once).
    int Add(TComponent* Item);
    int Count() const { return int(FItems.size()); }
    // Classes::EListError "List index out of bounds (%d)" outside 0..Count-1.
    TComponent* Items(int Index) const;
    TComponent* operator[](int Index) const { return Items(Index); }
    int IndexOf(const TComponent* Item) const; // -1 when absent
    int Remove(const TComponent* Item);        // the index it had (first occurrence), -1 when absent
    void Delete(int Index);
    void Clear() { FItems.clear(); }
    bool Equals(const TComponentList& Other) const { return FItems == Other.FItems; }

    std::vector<TComponent*>::const_iterator begin() const { return FItems.begin(); }
    std::vector<TComponent*>::const_iterator end() const { return FItems.end(); }

private:
    std::vector<TComponent*> FItems;
};

// The host's designer of one form being designed (the root and every component it owns).
class TFormDesigner {
public:
    TFormDesigner() = default;
    TFormDesigner(const TFormDesigner&) = delete;
    TFormDesigner& operator=(const TFormDesigner&) = delete;
    virtual ~TFormDesigner() = default;

    // The form (or other root) being designed.
    virtual TComponent* GetRoot() const = 0;
    // The form was modified: the host marks it and tells the design windows (FormModified) and the Object
    // Inspector.
    virtual void Modified() = 0;
    // Makes AComponent alone the selection (nullptr: the root).
    virtual void SelectComponent(TComponent* AComponent) = 0;
    // Makes the listed components the selection; the designer takes List over (nullptr: the root alone).
    virtual void SetSelections(TComponentList* List) = 0;
    // Appends the current selection to List (the caller's).
    virtual void GetSelections(TComponentList* List) const = 0;
    // Puts the listed components (owned by Root, or by a component Root owns) on the system clipboard: in
    // the component stream under the host's own clipboard format, and their text form as text.
    virtual void CopyComponents(TComponent* Root, const TComponentList* List) = 0;
    // Creates the components on the clipboard, owned by Owner, with Parent as their container (a control's
    // parent, or the component they are streamed inside), their names made unique in Owner; appends each
    // new component to List. Nothing on the clipboard: nothing happens.
    virtual void PasteComponents(TComponent* Owner, TComponent* Parent, TComponentList* List) = 0;
    // Whether the system clipboard holds components.
    virtual bool CanPaste() const = 0;
    // A name no component of the root bears: BaseName followed by the lowest free number from 1
    // (BaseName "Button": "Button1", "Button2", ...), compared ignoring case.
    virtual String UniqueName(const String& BaseName) const = 0;

    // Events of a designed form: its own class is not ours, so the designer keeps the handlers' names (the
    // closures stay unset). "" when none.
    virtual String GetEventName(TComponent* Instance, const TypInfo::TPropInfo* Prop) const = 0;
    virtual void SetEventName(TComponent* Instance, const TypInfo::TPropInfo* Prop, const String& Name) = 0;
};

// What the host's Edit commands may do now in a design window.
enum TEditStateItem : uint8_t {
    esCanUndo,
    esCanRedo,
    esCanCut,
    esCanCopy,
    esCanPaste,
    esCanDelete,
    esCanZOrder,
    esCanAlignGrid,
    esCanEditOle,
    esCanTabOrder,
    esCanCreationOrder,
    esCanPrint,
    esCanSelectAll,
};
using TEditState = System::TSet<TEditStateItem>;

enum TEditAction : uint8_t {
    eaUndo,
    eaRedo,
    eaCut,
    eaCopy,
    eaPaste,
    eaDelete,
    eaSelectAll,
    eaPrint,
    eaBringToFront,
    eaSendToBack,
    eaAlignToGrid,
};

// A tool window that works beside the host's designer (a package's own designer of a component).
class TDesignWindow : public Forms::TForm {
    DECLARE_CLASS(TDesignWindow, Forms::TForm)
public:
    explicit TDesignWindow(TComponent* AOwner);
    ~TDesignWindow() override;

    TFormDesigner* GetDesigner() const { return FDesigner; }
    void SetDesigner(TFormDesigner* Value) { FDesigner = Value; }

    // ---- The host's notifications.
    // A name for a new component: by default the designer's unique name for its class name without the
    // leading "T" (the component's own name when there is no designer).
    virtual String UniqueName(TComponent* AComponent);
    // AComponent of some designed form is being destroyed.
    virtual void ComponentDeleted(TComponent* AComponent);
    // What the host's Edit commands may do while this window is active (default: nothing).
    virtual TEditState GetEditState();
    // One of the host's Edit commands, chosen while this window is active.
    virtual void EditAction(TEditAction Action);
    // The designed form Form is closing; its designer goes with it.
    virtual void FormClosed(Forms::TCustomForm* Form);
    // A designed form was modified (a property edited, a component renamed, added or deleted).
    virtual void FormModified();
    // The selection of a designer is now Selection (the designer's own list).
    virtual void SelectionChanged(TComponentList* Selection);

    void WndProc(Messages::TMessage& Message) override;

protected:
    // The window was activated (after the framework's own handling).
    virtual void Activated();
    // Hands List to the designer as its selection (the designer takes it over); without a designer the
    // list is freed.
    void SetSelection(TComponentList* List);

private:
    TFormDesigner* FDesigner = nullptr;
};

// The live design windows, oldest first (the host calls their notifications).
const std::vector<TDesignWindow*>& DesignWindows();

} // namespace DsgnIntf

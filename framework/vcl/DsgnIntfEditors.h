// DsgnIntf: the editors the IDE runs for components and their properties.
//
// Declares: TPropertyEditor (one property of the selected components, as the Object Inspector shows and
// edits it) with its attributes, the default property editors (ordinal, integer, enumeration, set and set
// element, string, float, colour, class, component reference, event), TComponentEditor (the verbs of a
// component's context menu and its double-click) with TDefaultEditor, and how the host makes an editor
// from the class reference that was registered.
//
// Making editors: an editor class declares DECLARE_CLASS and a PUBLISHED table (usually empty) and no
// constructor of its own; its type information's factory makes it with the default constructor, which
// takes its component (or components and property) and designer from the host's request. The host calls
// MakeComponentEditor / MakePropertyEditor with the registered class reference, so an editor's own
// constructor already sees Component() and Designer().
//
//   class TVeskMenuEditor : public DsgnIntf::TComponentEditor {   // in a package
//       DECLARE_CLASS(TVeskMenuEditor, DsgnIntf::TComponentEditor)
//   public:
//       int GetVerbCount() override { return 1; }
//       String GetVerb(int Index) override;
//       void ExecuteVerb(int Index) override;
//   };
//   PUBLISHED(TVeskMenuEditor, "VmReg");                           // in its source
//   RegisterComponentEditor(&TVeskMenu::ClassInfo, &TVeskMenuEditor::ClassInfo);   // in Register
//
// Property editors likewise (class TVeskMenuBarEditor : public DsgnIntf::TClassProperty, registered with
// RegisterPropertyEditor(&TVeskMenuBar::ClassInfo, nullptr, "", &TVeskMenuBarEditor::ClassInfo)).
// Values read from an editor are those of the first selected component; values written go to every
// selected component, then the designer hears Modified(). Ordinal values are as wide as a pointer: a class
// or component property's value is its object.
#pragma once

#include "framework/vcl/DsgnIntfDesigner.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace DsgnIntf {

using Classes::TPersistent;
using System::TClass;
using TypInfo::TPropInfo;

enum TPropertyAttribute : uint8_t {
    paValueList,     // the value is one of a list (GetValues)
    paSubProperties, // the property expands into sub-properties (GetProperties)
    paDialog,        // an ellipsis button runs Edit
    paMultiSelect,   // shown when several components are selected
    paAutoUpdate,    // SetValue on every change of the text, not only on Enter
    paSortList,      // the value list is shown sorted
    paReadOnly,      // the text cannot be edited in place
    paRevertable,    // the value may be reverted to the inherited one
};
using TPropertyAttributes = System::TSet<TPropertyAttribute>;

class TPropertyEditor;
using TGetStrProc = std::function<void(const String& S)>;
using TGetPropEditProc = std::function<void(std::unique_ptr<TPropertyEditor> Prop)>;

// One property of the selected components. A descendant of TPersistent, so that a component can publish a
// pseudo-property whose type is an editor class (an About row).
class TPropertyEditor : public TPersistent {
    DECLARE_CLASS(TPropertyEditor, TPersistent)
public:
    // The host's request (MakePropertyEditor) being served, or nothing: an editor without components.
    TPropertyEditor();
    ~TPropertyEditor() override;

    TFormDesigner* GetDesigner() const { return FDesigner; }
    TFormDesigner* Designer() const { return FDesigner; }
    // The selected components (for sub-properties: their sub-objects), 0..GetPropCount()-1.
    int GetPropCount() const { return int(FComponents.size()); }
    TPersistent* GetComponent(int Index) const; // Classes::EListError outside
    const TPropInfo* GetPropInfo() const { return FProps.empty() ? nullptr : FProps[0]; }
    const TPropInfo* GetPropInfo(int Index) const;
    // The row's name: the property's (a set element: the member's).
    virtual String GetName() const;

    virtual TPropertyAttributes GetAttributes();
    // The value as the Object Inspector shows it (that of the first component).
    virtual String GetValue();
    // Sets the value from text in every component; EPropertyError or EConvertError for text it cannot hold.
    virtual void SetValue(const String& Value);
    // The dialog of paDialog (the default does nothing).
    virtual void Edit();
    // The values of paValueList.
    virtual void GetValues(const TGetStrProc& Proc);
    // The sub-properties of paSubProperties, each a new editor for the same components.
    virtual void GetProperties(const TGetPropEditProc& Proc);
    // Whether every component has the same value (else the Object Inspector shows an empty value).
    virtual bool AllEqual();
    // GetValue when AllEqual, else "".
    String GetVisualValue();

    // ---- Typed access: Get... from the FIRST component, Set... into EVERY component, then Modified().
    intptr_t GetOrdValue() const { return GetOrdValueAt(0); }
    intptr_t GetOrdValueAt(int Index) const;
    void SetOrdValue(intptr_t Value);
    String GetStrValue() const { return GetStrValueAt(0); }
    String GetStrValueAt(int Index) const;
    void SetStrValue(const String& Value);
    double GetFloatValue() const { return GetFloatValueAt(0); }
    double GetFloatValueAt(int Index) const;
    void SetFloatValue(double Value);
    // Events: the handler's name the designer keeps.
    String GetMethodValue() const;
    void SetMethodValue(const String& Value);
    // Tells the designer that the form was modified.
    void Modified();

protected:
    // Into the component Index only (no Modified()).
    void SetOrdValueAt(int Index, intptr_t Value);

    TFormDesigner* FDesigner = nullptr;
    std::vector<TPersistent*> FComponents;
    std::vector<const TPropInfo*> FProps; // the property as each component's class declares it

    friend std::unique_ptr<TPropertyEditor>
    MakePropertyEditor(TClass, TFormDesigner*, const std::vector<TPersistent*>&, const TPropInfo*);
};

// Ordinal properties: AllEqual compares the ordinal values.
class TOrdinalProperty : public TPropertyEditor {
    DECLARE_CLASS(TOrdinalProperty, TPropertyEditor)
public:
    TPropertyAttributes GetAttributes() override;
    bool AllEqual() override;
};

// Integers in decimal; a value outside the property's type raises EPropertyError "Value must be between
// %d and %d".
class TIntegerProperty : public TOrdinalProperty {
    DECLARE_CLASS(TIntegerProperty, TOrdinalProperty)
public:
    String GetValue() override;
    void SetValue(const String& Value) override;
};

// Enumerations and Booleans by member name (ignoring case on input).
class TEnumProperty : public TOrdinalProperty {
    DECLARE_CLASS(TEnumProperty, TOrdinalProperty)
public:
    TPropertyAttributes GetAttributes() override;
    String GetValue() override;
    void SetValue(const String& Value) override;
    void GetValues(const TGetStrProc& Proc) override;
};

// Sets as "[a,b]"; each member is a sub-property (TSetElementProperty).
class TSetProperty : public TOrdinalProperty {
    DECLARE_CLASS(TSetProperty, TOrdinalProperty)
public:
    TPropertyAttributes GetAttributes() override;
    String GetValue() override;
    void SetValue(const String& Value) override;
    void GetProperties(const TGetPropEditProc& Proc) override;
};

// One member of a set property: "True" when the set holds it.
class TSetElementProperty : public TPropertyEditor {
    DECLARE_CLASS(TSetElementProperty, TPropertyEditor)
public:
    TPropertyAttributes GetAttributes() override;
    String GetValue() override;
    void SetValue(const String& Value) override;
    void GetValues(const TGetStrProc& Proc) override;
    bool AllEqual() override;
    String GetName() const override;
    // The member's ordinal value.
    int GetElement() const { return FElement; }

private:
    int FElement = 0;
    friend class TSetProperty;
};

class TStringProperty : public TPropertyEditor {
    DECLARE_CLASS(TStringProperty, TPropertyEditor)
public:
    TPropertyAttributes GetAttributes() override;
    String GetValue() override;
    void SetValue(const String& Value) override;
    bool AllEqual() override;
};

// Floating-point numbers in the shortest form ("0.1"); input with "." as the decimal separator.
class TFloatProperty : public TPropertyEditor {
    DECLARE_CLASS(TFloatProperty, TPropertyEditor)
public:
    TPropertyAttributes GetAttributes() override;
    String GetValue() override;
    void SetValue(const String& Value) override;
    bool AllEqual() override;
};

// Colours by name where they have one ("clRed", "clBtnFace"), else as "$00BBGGRR" (a system colour
// "$800000nn"); input either way, or decimal.
class TColorProperty : public TIntegerProperty {
    DECLARE_CLASS(TColorProperty, TIntegerProperty)
public:
    TPropertyAttributes GetAttributes() override;
    String GetValue() override;
    void SetValue(const String& Value) override;
    void GetValues(const TGetStrProc& Proc) override;
};

// A sub-object: "(TFont)", read-only, its published properties as sub-properties.
class TClassProperty : public TPropertyEditor {
    DECLARE_CLASS(TClassProperty, TPropertyEditor)
public:
    TPropertyAttributes GetAttributes() override;
    String GetValue() override;
    void GetProperties(const TGetPropEditProc& Proc) override;
    bool AllEqual() override;
};

// A reference to another component of the designed form, by name ("" for none).
class TComponentProperty : public TPropertyEditor {
    DECLARE_CLASS(TComponentProperty, TPropertyEditor)
public:
    TPropertyAttributes GetAttributes() override;
    String GetValue() override;
    void SetValue(const String& Value) override;
    void GetValues(const TGetStrProc& Proc) override;
    bool AllEqual() override;
};

// An event, by the name of its handler (the designer keeps the names).
class TMethodProperty : public TPropertyEditor {
    DECLARE_CLASS(TMethodProperty, TPropertyEditor)
public:
    TPropertyAttributes GetAttributes() override;
    String GetValue() override;
    void SetValue(const String& Value) override;
    bool AllEqual() override;
};

// The editor the framework provides for a property without a registered one, by its kind (colours:
// TColorProperty).
TClass DefaultPropertyEditorClass(const TPropInfo* Prop);

// Makes an editor of class EditorClass (a TPropertyEditor descendant with a factory; nullptr: the one the
// registration host finds for the first component's class, else the default editor of the property) for
// property Prop of Components, each of which must have a property of that name (their classes may declare it
// anew). EComponentError "Invalid property editor class %s" for a class that is no property editor or cannot
// be made; EPropertyError "Unknown property: %s" for a component without the property.
std::unique_ptr<TPropertyEditor> MakePropertyEditor(TClass EditorClass, TFormDesigner* Designer,
                                                    const std::vector<TPersistent*>& Components,
                                                    const TPropInfo* Prop);

// The verbs of a component's context menu in the designer, and its double-click.
class TComponentEditor : public System::TObject {
    DECLARE_CLASS(TComponentEditor, System::TObject)
public:
    // The host's request (MakeComponentEditor) being served, or nothing.
    TComponentEditor();
    TComponentEditor(TComponent* AComponent, TFormDesigner* ADesigner);

    TComponent* GetComponent() const { return FComponent; }
    TComponent* Component() const { return FComponent; }
    TFormDesigner* GetDesigner() const { return FDesigner; }
    TFormDesigner* Designer() const { return FDesigner; }

    virtual int GetVerbCount();
    virtual String GetVerb(int Index);
    virtual void ExecuteVerb(int Index);
    // The double-click: the first verb when there is one.
    virtual void Edit();
    // The component was copied to the clipboard (an editor may add formats of its own).
    virtual void Copy();

private:
    TComponent* FComponent = nullptr;
    TFormDesigner* FDesigner = nullptr;
};

// The editor of components without a registered one: no verbs; the double-click selects the component.
class TDefaultEditor : public TComponentEditor {
    DECLARE_CLASS(TDefaultEditor, TComponentEditor)
public:
    void Edit() override;
};

// Makes a component editor of class EditorClass (a TComponentEditor descendant with a factory; nullptr: the
// one the registration host finds for the component's class, else TDefaultEditor) for AComponent.
// EComponentError "Invalid component editor class %s" otherwise.
std::unique_ptr<TComponentEditor> MakeComponentEditor(TClass EditorClass, TComponent* AComponent,
                                                      TFormDesigner* Designer);

} // namespace DsgnIntf

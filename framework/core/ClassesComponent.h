// Classes: TComponent, the base of everything that lives on a form and is streamed with it.
//
// Declares: TComponent (ownership, names, component state, free notification, the streaming hooks), its
// enumerations (TComponentStateItem, TOperation), CreateComponent (the virtual constructor by class),
// FindNestedComponent and the global component lookup used to resolve "Form2.Button1" references.
//
//   auto form = std::make_unique<TForm1>(nullptr);   // a component without owner: held by its creator
//   auto* timer = new TTimer(form.get());            // owned: the form frees it
//   timer->SetName("Timer1");                        // unique per owner, ignoring case
//   other->FreeNotification(timer);                  // other->Notification(timer, opRemove) when it goes
//
// Destruction follows the framework's order: mark the subtree csDestroying, tell every free-notification
// subscriber (taking it off the list first, so nobody is told twice), free the owned components last-created
// first, then leave the owner. C++ runs the destructors of derived classes first, as the framework runs their
// Destroy before the inherited one; while ~TComponent runs, virtual calls on the dying component reach
// TComponent's own versions. Likewise the owner's opInsert notification reaches a component that is still
// being constructed: it is a TComponent at that moment, nothing more. A destructor that must see csDestroying
// on itself calls Destroying() first.
#pragma once

#include "framework/core/ClassesPersistent.h"

#include <functional>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace Classes {

enum TComponentStateItem : uint8_t {
    csLoading,
    csReading,
    csWriting,
    csDestroying,
    csDesigning,
    csAncestor,
    csUpdating,
    csFixups,
    csFreeNotification,
    csInline,
    csDesignInstance,
};
using TComponentState = System::TSet<TComponentStateItem>;

enum TOperation : uint8_t { opInsert, opRemove };

class TComponent;
using TComponentClass = System::TClass;
using TGetChildProc = std::function<void(TComponent* Child)>;

class TComponent : public TPersistent {
    DECLARE_CLASS(TComponent, TPersistent)
public:
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;

    // ---- Ownership: the owner owns and frees; Components are in insertion order.
    TComponent* GetOwner() const override { return FOwner; }
    int GetComponentCount() const { return int(FComponents.size()); }
    TComponent* GetComponent(int Index) const; // EListError "List index out of bounds (%d)"
    int GetComponentIndex() const;
    void SetComponentIndex(int Value);
    // Takes AComponent over (from its previous owner, if any); duplicate name: EComponentError.
    void InsertComponent(TComponent* AComponent);
    // Gives AComponent up without freeing it: the caller now owns it.
    void RemoveComponent(TComponent* AComponent);
    // Frees every owned component, last-created first.
    void DestroyComponents();
    // An owned component by name, ignoring case; nullptr for "" or none.
    TComponent* FindComponent(std::string_view AName) const;

    // ---- Name ("'%s' is not a valid component name", "A component named %s already exists"), Tag.
    const String& GetName() const { return FName; }
    virtual void SetName(const String& NewName);
    int32_t GetTag() const { return FTag; }
    void SetTag(int32_t Value) { FTag = Value; }
    // The designer's position of a non-visual component: Left in the low word, Top in the high word.
    int32_t GetDesignInfo() const { return FDesignInfo; }
    void SetDesignInfo(int32_t Value) { FDesignInfo = Value; }

    // ---- State
    TComponentState GetComponentState() const { return FComponentState; }
    void SetDesigning(bool Value, bool SetChildren = true);
    void SetInline(bool Value);
    void SetAncestor(bool Value);
    // Marks this component and everything it owns csDestroying (once).
    void Destroying();

    // ---- Free notification: both sides are told when the other goes.
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);

    // ---- Streaming hooks: a component streamed inside another one (a menu item inside its menu).
    virtual bool HasParent() const;
    virtual TComponent* GetParentComponent() const;
    virtual void SetParentComponent(TComponent* Value);
    // Calls Proc for each child to stream inside this component (a root: the components it owns and that
    // have no parent of their own).
    virtual void GetChildren(const TGetChildProc& Proc, TComponent* Root);
    virtual TComponent* GetChildOwner();
    virtual TComponent* GetChildParent();

    String GetNamePath() const override;

protected:
    // AComponent was inserted into or removed from the owner's tree, or a subscription fired.
    virtual void Notification(TComponent* AComponent, TOperation Operation);
    // After a stream was read, when all references are resolved: clears csLoading.
    virtual void Loaded();
    virtual void ReadState(TReader& Reader);
    virtual void WriteState(TWriter& Writer);
    virtual void SetChildOrder(TComponent* Child, int Order);
    virtual void ValidateRename(TComponent* AComponent, const String& CurName, const String& NewName);
    virtual void ValidateContainer(TComponent* AComponent);
    virtual void ValidateInsert(TComponent* AComponent);
    virtual void ChangeName(const String& NewName);
    void DefineProperties(TFiler& Filer) override; // Left and Top from DesignInfo
    void Updating();
    void Updated();

    friend class TReader;
    friend class TWriter;

private:
    void Insert(TComponent* AComponent);
    void Remove(TComponent* AComponent);
    // Sets (or clears) the owner's published field of this component's name, when the owner has one.
    void SetReference(bool Enable);
    void RemoveNotification(TComponent* AComponent);
    void IndexName(TComponent* AComponent);
    void UnindexName(TComponent* AComponent, const String& Name);

    TComponent* FOwner = nullptr;
    String FName;
    int32_t FTag = 0;
    int32_t FDesignInfo = 0;
    TComponentState FComponentState;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
    // The owned components by upper-case name, so that FindComponent (every name given while a form with
    // thousands of components is read) does not walk the list. Should two ever share a name (a
    // ValidateRename override allowing it), FindComponent walks the list again, as the framework does.
    std::unordered_map<String, TComponent*> FNameIndex;
    bool FNameIndexExact = true;
};

// True for a valid component name: a letter or "_", then letters, digits or "_".
bool IsValidIdent(std::string_view Ident);

// The virtual constructor: an instance of the component class cls, owned by AOwner (without an owner the
// caller owns it: wrap it in a std::unique_ptr). EComponentError when cls is not a component class that can
// be created.
TComponent* CreateComponent(TComponentClass cls, TComponent* AOwner);

// Follows a dotted path of names from Root ("Panel1.Button1"); "Owner" names the component reached so far.
TComponent* FindNestedComponent(TComponent* Root, std::string_view Path);

// Global components (forms, data modules): where "Form2.Button1" references in streams are looked up. The
// procedures are asked last-registered first.
using TFindGlobalComponent = TComponent* (*)(const String& Name);
void RegisterFindGlobalComponentProc(TFindGlobalComponent Proc);
void UnregisterFindGlobalComponentProc(TFindGlobalComponent Proc);
TComponent* FindGlobalComponent(const String& Name);

} // namespace Classes

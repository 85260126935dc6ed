// Classes: the component reader and writer, driven by the type-information tables.
//
// Declares: TFiler (DefineProperty, DefineBinaryProperty), TWriter, TReader, the stream helpers
// WriteComponentToStream / ReadComponentFromStream, and in the Windows tree the form-resource functions
// (RegisterModule, FindResourceHInstance, FindClassHInstance, ReadComponentRes, InitInheritedComponent).
//
//   TMemoryStream m;
//   { TWriter w(m); w.WriteRootComponent(form); }     // "TPF0", the form, its children
//   m.SetPosition(0);
//   TReader r(m); r.ReadRootComponent(otherForm);      // properties set through the setters, by name
//
// An edition file (several records, each with its own "TPF0", ended by one 0 byte):
//   TWriter w(file); w.SetRoot(form);
//   for (item : items) { w.WriteSignature(); w.WriteComponent(item); }
//   w.WriteListEnd();
//   TReader r(file); r.ReadComponents(form, menu, [&](TComponent* c) { ... });
//
// The writer writes the published properties ancestors first, each only when it differs from its declared
// default; sub-objects under dotted names ("Font.Height"); references as names relative to the root;
// events as the names of the root's published methods; then DefineProperties; then the children that
// GetChildren names, each inside its parent.
//
// The reader creates components by registered class name (EClassNotFound "Class %s not found"), sets
// csLoading and csReading while it reads, sets each property through its setter, resolves references once
// the root (or the whole sequence) is read (unresolved ones stay nil) and then calls Loaded on every
// component it loaded. Errors while reading a property raise EReadError "Error reading Name.Path: ..."
// ("Property %s does not exist", "Invalid property value", ...). A failure frees every component created for
// the record that failed, so nothing is leaked and nothing is left half-read.
#pragma once

#include "framework/core/ClassesComponent.h"
#include "framework/core/ClassesFiler.h"

#include <functional>
#include <memory>
#include <vector>

namespace Classes {

class TCollection;

class TFiler {
public:
    using TReaderProc = std::function<void(TReader& Reader)>;
    using TWriterProc = std::function<void(TWriter& Writer)>;
    using TStreamProc = std::function<void(TStream& Stream)>;

    TFiler() = default;
    TFiler(const TFiler&) = delete;
    TFiler& operator=(const TFiler&) = delete;
    virtual ~TFiler() = default;

    // A value streamed beside the published properties, under Name (prefixed with the sub-object's path):
    // the writer calls WriteData when HasData; the reader calls ReadData when the stream holds Name.
    virtual void DefineProperty(const String& Name, const TReaderProc& ReadData, const TWriterProc& WriteData,
                                bool HasData) = 0;
    // The same for a block of bytes (vaBinary), such as Picture.Data.
    virtual void DefineBinaryProperty(const String& Name, const TStreamProc& ReadData,
                                      const TStreamProc& WriteData, bool HasData) = 0;

    TComponent* GetRoot() const { return FRoot; }
    TComponent* GetLookupRoot() const { return FLookupRoot; }

protected:
    TComponent* FRoot = nullptr;
    TComponent* FLookupRoot = nullptr;
};

class TWriter : public TFiler {
public:
    explicit TWriter(TStream& Stream);

    // The component that references and event handlers are relative to.
    void SetRoot(TComponent* ARoot);

    void WriteSignature();
    // Root set to ARoot, then "TPF0" and the component with its children.
    void WriteRootComponent(TComponent* ARoot);
    // One record (without "TPF0"): WriteState, then the end of its children.
    void WriteComponent(TComponent* Component);
    // The record's header, properties and children: what TComponent::WriteState does.
    void WriteComponentData(TComponent* Instance);
    void WriteProperties(TPersistent* Instance);
    void WriteProperty(TPersistent* Instance, const TypInfo::TPropInfo* Prop);
    void WriteCollection(TCollection* Value);

    // Values, for DefineProperty writers.
    void WriteListBegin();
    void WriteListEnd();
    void WriteInteger(int64_t Value);
    void WriteBoolean(bool Value);
    void WriteFloat(double Value);
    void WriteString(const String& Value);
    void WriteWideString(const String& Value); // UTF-8 in, UTF-16 (vaWString) out
    void WriteIdent(const String& Ident);

    void DefineProperty(const String& Name, const TReaderProc& ReadData, const TWriterProc& WriteData,
                        bool HasData) override;
    void DefineBinaryProperty(const String& Name, const TStreamProc& ReadData, const TStreamProc& WriteData,
                              bool HasData) override;

    TBinaryObjectWriter& Driver() { return FDriver; }

private:
    void WriteChildren(TComponent* Component);
    String ReferenceName(TComponent* Component) const;

    TBinaryObjectWriter FDriver;
    String FPropPath; // "Font." while a sub-object's properties are written
};

class TReader : public TFiler {
public:
    using TReadComponentsProc = std::function<void(TComponent* Component)>;

    explicit TReader(TStream& Stream);
    ~TReader() override;

    void ReadSignature();
    // Creates the root from the class named in the stream (a registered class) and reads it.
    std::unique_ptr<TComponent> ReadRootComponent();
    // Reads the stream into ARoot (a form reading its own resource) and returns it. Unless designing, the
    // root is renamed Name_1, Name_2... when FindGlobalComponent knows another component by its name.
    TComponent* ReadRootComponent(TComponent* ARoot);
    // Records, each with its own "TPF0", until a 0 byte (or the stream's end at a record boundary): each
    // created with AOwner as owner (and Root), AParent as parent, then handed to Proc. References are
    // resolved and Loaded called after the last record. Without an owner, Proc takes the components over.
    // When a record fails, the records before it stay, resolved and loaded.
    void ReadComponents(TComponent* AOwner, TComponent* AParent, const TReadComponentsProc& Proc);
    // One record (without "TPF0"), created (or, given, read into Component).
    TComponent* ReadComponent(TComponent* Component);
    // Properties and children of Instance: what TComponent::ReadState does.
    void ReadData(TComponent* Instance);
    void ReadProperty(TPersistent* Instance);
    void ReadCollection(TCollection* Collection);

    // Values, for DefineProperty readers and ReadState overrides. A value of another kind raises EReadError
    // "Invalid property value".
    TValueType NextValue();
    TValueType ReadValue();
    bool EndOfList(); // the next value is vaNull (not consumed)
    void ReadListBegin();
    void ReadListEnd();
    int32_t ReadInteger();
    int64_t ReadInt64();
    bool ReadBoolean();
    double ReadFloat();
    String ReadString();
    String ReadIdent();

    void DefineProperty(const String& Name, const TReaderProc& ReadData, const TWriterProc& WriteData,
                        bool HasData) override;
    void DefineBinaryProperty(const String& Name, const TStreamProc& ReadData, const TStreamProc& WriteData,
                              bool HasData) override;

    // Asked for an event handler the root does not publish (a form previewed without its code); clearing
    // Error leaves the event unassigned instead of failing the read.
    std::function<void(const String& MethodName, bool& Error)> OnFindMethod;

    // The owner and parent of the components being created (a ReadState override attaches to the parent).
    TComponent* GetOwner() const { return FOwner; }
    TComponent* GetParent() const { return FParent; }
    TBinaryObjectReader& Driver() { return FDriver; }

private:
    struct TFixup {
        TPersistent* Instance;
        const TypInfo::TPropInfo* Prop;
        TComponent* Root;
        String Name;
    };
    struct TMark {
        size_t Created, Loaded, Fixups;
    };

    void ReadRoot(TComponent* ARoot);
    void ReadPropValue(TPersistent* Instance, const TypInfo::TPropInfo* Prop);
    void DropFixupsOf(TCollection* Collection);
    TComponentClass FindComponentClass(const String& ClassName) const;
    void DoFixupReferences();
    void CallLoaded();
    TMark Mark() const { return {FCreated.size(), FLoaded.size(), FFixups.size()}; }
    void Undo(const TMark& mark);

    TBinaryObjectReader FDriver;
    TComponent* FOwner = nullptr;
    TComponent* FParent = nullptr;
    String FPropName;                  // the property being read, until DefineProperty claims it
    std::vector<TComponent*> FCreated; // components created by this reader, in creation order
    std::vector<TComponent*> FLoaded;  // components to call Loaded on, in order
    std::vector<TFixup> FFixups;       // references waiting for the rest of the stream
};

// A component as a stream of its own ("TPF0" and the record), as the framework's TStream.WriteComponent.
void WriteComponentToStream(TStream& Stream, TComponent* Instance);
// Reads the stream into Instance, or creates the root named in the stream.
TComponent* ReadComponentFromStream(TStream& Stream, TComponent* Instance);
std::unique_ptr<TComponent> ReadComponentFromStream(TStream& Stream);

#ifdef _WIN32
// Form resources: RCDATA named after the form's class in upper case, looked up in the registered modules
// (the program first, then the packages in the order they registered), each in its language resource module
// first when it has one. A package registers itself when it is loaded (SysInit::PackageMain).
void RegisterModule(void* Module, void* ResModule = nullptr); // HMODULEs
void UnregisterModule(void* Module);
// Where the resources of Module are looked for first: its language resource module, or Module itself.
void* FindResourceHInstance(void* Module);
// The module that holds the class (the package that defines it, or the program).
void* FindClassHInstance(TClass Class);
// Reads the resource ResName into Instance; nullptr (nothing read) when no module has it.
TComponent* ReadComponentRes(const String& ResName, TComponent* Instance);
// Reads the resources of Instance's classes below RootAncestor, the most basic first (an inherited form gets
// its ancestor's stream, then its own); true when at least one was found. Instance->ClassType() must be its
// final class: call it from the most derived constructor (or later), not from a base's constructor.
bool InitInheritedComponent(TComponent* Instance, TComponentClass RootAncestor);
#endif

} // namespace Classes

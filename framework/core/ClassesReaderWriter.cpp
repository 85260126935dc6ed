// Classes: TWriter and TReader.
//
// Invariants of the reader:
//   1. FCreated lists, in creation order, every component this reader created that is still alive; a failing
//      record deletes the ones created since it began, newest first, so that an owned component always goes
//      before its owner and nothing is deleted twice.
//   2. FLoaded and FFixups never name a component that was deleted: they are cut back with FCreated.
//   3. csReading is set on a component exactly while its ReadState runs; csLoading from its creation (or the
//      start of the read) until Loaded.
#include "framework/core/ClassesReaderWriter.h"

#include "framework/core/ClassesCollection.h"
#include "framework/core/ClassesRegistry.h"

#include <algorithm>

namespace Classes {

using namespace TypInfo;

namespace {

[[noreturn]] void InvalidValue() {
    throw EReadError("Invalid property value");
}

// Restores a value when the scope ends, also by an exception.
template <class T> class TRestore {
public:
    explicit TRestore(T& ref) : FRef(ref), FSaved(ref) {}
    ~TRestore() { FRef = FSaved; }
    TRestore(const TRestore&) = delete;
    TRestore& operator=(const TRestore&) = delete;

private:
    T& FRef;
    T FSaved;
};

// The next byte without consuming it; -1 at the end of the stream.
int PeekByte(TStream& stream) {
    int64_t pos = stream.GetPosition();
    uint8_t b;
    if (stream.Read(&b, 1) != 1) return -1;
    stream.Seek(pos, soBeginning);
    return b;
}

bool IsUtf8(const String& s) {
    try {
        SysUtils::Utf8ToUtf16(s);
        return true;
    } catch (const SysUtils::EConvertError&) {
        return false;
    }
}

String Latin1ToUtf8(const String& bytes) {
    std::u16string units(bytes.size(), u'\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        units[i] = char16_t(uint8_t(bytes[i]));
    return SysUtils::Utf16ToUtf8(units);
}

// The driver writes these four as their value tags (vaFalse, vaTrue, vaNil, vaNull), so a reference or a
// handler with such a name cannot be stored: it is left out, as an unnamed component is.
bool IsReservedIdent(const String& name) {
    for (const char* reserved : {"False", "True", "nil", "Null"})
        if (SysUtils::SameText(name, reserved)) return true;
    return false;
}

bool IsIntTag(TValueType t) {
    return t == TValueType::vaInt8 || t == TValueType::vaInt16 || t == TValueType::vaInt32;
}

} // namespace

// ==== TWriter ==============================================================================================

TWriter::TWriter(TStream& Stream) : FDriver(Stream) {}

void TWriter::SetRoot(TComponent* ARoot) {
    FRoot = ARoot;
    FLookupRoot = ARoot;
}

void TWriter::WriteSignature() {
    FDriver.WriteSignature();
}

void TWriter::WriteRootComponent(TComponent* ARoot) {
    SetRoot(ARoot);
    WriteSignature();
    WriteComponent(ARoot);
}

void TWriter::WriteComponent(TComponent* Component) {
    Component->FComponentState.Include(csWriting);
    try {
        Component->WriteState(*this);
        FDriver.WriteListEnd(); // end of the children
    } catch (...) {
        Component->FComponentState.Exclude(csWriting);
        throw;
    }
    Component->FComponentState.Exclude(csWriting);
}

void TWriter::WriteComponentData(TComponent* Instance) {
    TRecordHeader header;
    if (Instance->GetComponentState().Contains(csInline)) header.Flags = ffInline;
    header.ClassName = Instance->ClassName();
    header.Name = Instance->GetName();
    FDriver.WriteRecordHeader(header);
    WriteProperties(Instance);
    FDriver.WriteListEnd();
    WriteChildren(Instance);
}

void TWriter::WriteChildren(TComponent* Component) {
    // An inline component (a frame) is the root of its own children.
    TRestore<TComponent*> savedRoot(FRoot);
    if (Component->GetComponentState().Contains(csInline)) FRoot = Component;
    Component->GetChildren([this](TComponent* child) { WriteComponent(child); }, FRoot);
}

void TWriter::WriteProperties(TPersistent* Instance) {
    for (const TPropInfo* prop : GetPropList(Instance))
        if (IsStoredProp(Instance, prop)) WriteProperty(Instance, prop);
    Instance->DefineProperties(*this);
}

void TWriter::WriteProperty(TPersistent* Instance, const TPropInfo* Prop) {
    // A property that cannot be read back is not written.
    if (Prop->IsReadOnly()) return;
    String name = FPropPath + Prop->Name;
    switch (Prop->Kind) {
    case tkInteger:
    case tkInt64:
    case tkEnumeration:
    case tkBool:
    case tkSet: {
        int64_t value = Prop->GetOrd(Instance);
        if (Prop->HasDefault && value == Prop->OrdDefault) return;
        FDriver.WritePropName(name);
        if (Prop->Kind == tkInteger) {
            String ident;
            const TTypeInfo* type = Prop->PropType;
            if (type != nullptr && IntToIdent(int32_t(value), ident, type->Idents, type->IdentCount))
                FDriver.WriteIdent(ident);
            else
                FDriver.WriteInteger(value);
        } else if (Prop->Kind == tkInt64) {
            FDriver.WriteInteger(value);
        } else if (Prop->Kind == tkBool) {
            FDriver.WriteBoolean(value != 0);
        } else if (Prop->Kind == tkEnumeration) {
            String ident = GetEnumName(Prop->PropType, value);
            if (ident.empty())
                throw EWriteError("Property " + name + " holds " + SysUtils::IntToStr(value) +
                                  ", which is no member of " + Prop->PropType->Name);
            FDriver.WriteIdent(ident);
        } else {
            std::vector<String> members;
            const TTypeInfo* type = Prop->PropType->CompType;
            for (int n = 0; n < 32; ++n)
                if ((uint64_t(value) & (uint64_t(1) << n)) != 0) {
                    String member = GetEnumName(type, n);
                    if (!member.empty()) members.push_back(member);
                }
            FDriver.WriteSet(members);
        }
        break;
    }
    case tkFloat: {
        double value = Prop->GetFloat(Instance);
        if (Prop->HasDefault && value == Prop->FloatDefault) return;
        FDriver.WritePropName(name);
        FDriver.WriteFloat(value);
        break;
    }
    case tkString:
    case tkWString: {
        String value = Prop->GetStr(Instance);
        if (Prop->HasDefault && value.empty()) return;
        FDriver.WritePropName(name);
        if (Prop->Kind == tkString)
            FDriver.WriteString(value);
        else
            FDriver.WriteWideString(SysUtils::Utf8ToUtf16(value));
        break;
    }
    case tkMethod: {
        // Only a published method of the root can be found again when the stream is read.
        TMethod method = Prop->GetMethod(Instance);
        if (method.Code == nullptr || method.Name == nullptr || FLookupRoot == nullptr) return;
        const TMethodInfo* published = FindMethod(FLookupRoot->ClassType(), method.Name);
        if (published == nullptr || published->Code() != method.Code || IsReservedIdent(published->Name))
            return;
        FDriver.WritePropName(name);
        FDriver.WriteIdent(published->Name);
        break;
    }
    case tkComponent: {
        auto* component = static_cast<TComponent*>(Prop->GetObject(Instance));
        if (component == nullptr) return;
        String reference = ReferenceName(component);
        if (reference.empty() || IsReservedIdent(reference)) return;
        FDriver.WritePropName(name);
        FDriver.WriteIdent(reference);
        break;
    }
    case tkClass: {
        auto* object = dynamic_cast<TPersistent*>(Prop->GetObject(Instance));
        if (object == nullptr) return;
        {
            TRestore<String> savedPath(FPropPath);
            FPropPath = name + ".";
            WriteProperties(object);
        }
        if (auto* collection = dynamic_cast<TCollection*>(object)) {
            FDriver.WritePropName(name);
            TRestore<String> savedPath(FPropPath);
            FPropPath.clear();
            WriteCollection(collection);
        }
        break;
    }
    case tkUnknown:
        break;
    }
}

// The name that finds Component again from the root: see the table of references in the stream notes.
String TWriter::ReferenceName(TComponent* Component) const {
    String name;
    TComponent* c = Component;
    while (c != nullptr && !c->GetName().empty()) {
        if (!name.empty()) name = "." + name;
        if (c->GetOwner() == FLookupRoot) {
            name = c->GetName() + name;
            break;
        }
        if (c == FLookupRoot) {
            name = "Owner" + name;
            break;
        }
        name = c->GetName() + name;
        c = c->GetOwner();
    }
    // A root without owner: the framework's writer names it "Form2.Owner".
    if (c == nullptr && Component->GetOwner() == nullptr && !name.empty()) name += ".Owner";
    return name;
}

void TWriter::WriteCollection(TCollection* Value) {
    FDriver.WriteCollectionBegin();
    for (int i = 0; i < Value->GetCount(); ++i) {
        FDriver.WriteListBegin();
        WriteProperties(Value->GetItem(i));
        FDriver.WriteListEnd();
    }
    FDriver.WriteListEnd();
}

void TWriter::WriteListBegin() {
    FDriver.WriteListBegin();
}
void TWriter::WriteListEnd() {
    FDriver.WriteListEnd();
}
void TWriter::WriteInteger(int64_t Value) {
    FDriver.WriteInteger(Value);
}
void TWriter::WriteBoolean(bool Value) {
    FDriver.WriteBoolean(Value);
}
void TWriter::WriteFloat(double Value) {
    FDriver.WriteFloat(Value);
}
void TWriter::WriteString(const String& Value) {
    FDriver.WriteString(Value);
}
void TWriter::WriteWideString(const String& Value) {
    FDriver.WriteWideString(SysUtils::Utf8ToUtf16(Value));
}
void TWriter::WriteIdent(const String& Ident) {
    FDriver.WriteIdent(Ident);
}

void TWriter::DefineProperty(const String& Name, const TReaderProc&, const TWriterProc& WriteData,
                             bool HasData) {
    if (HasData && WriteData) {
        FDriver.WritePropName(FPropPath + Name);
        WriteData(*this);
    }
}

void TWriter::DefineBinaryProperty(const String& Name, const TStreamProc&, const TStreamProc& WriteData,
                                   bool HasData) {
    if (HasData && WriteData) {
        // The length comes first in the stream, so the data is gathered before it is written.
        TMemoryStream buffer;
        WriteData(buffer);
        FDriver.WritePropName(FPropPath + Name);
        FDriver.WriteBinary(buffer.Memory(), size_t(buffer.GetSize()));
    }
}

// ==== TReader ==============================================================================================

TReader::TReader(TStream& Stream) : FDriver(Stream) {}

TReader::~TReader() = default;

void TReader::ReadSignature() {
    FDriver.ReadSignature();
}

TComponentClass TReader::FindComponentClass(const String& ClassName) const {
    TPersistentClass cls = GetClass(ClassName);
    if (cls == nullptr || !cls->InheritsFrom(&TComponent::ClassInfo))
        throw EClassNotFound("Class " + ClassName + " not found");
    return cls;
}

void TReader::Undo(const TMark& mark) {
    // Invariant 1: newest first.
    while (FCreated.size() > mark.Created) {
        TComponent* c = FCreated.back();
        FCreated.pop_back();
        delete c;
    }
    FLoaded.resize(std::min(FLoaded.size(), mark.Loaded));
    FFixups.resize(std::min(FFixups.size(), mark.Fixups));
}

std::unique_ptr<TComponent> TReader::ReadRootComponent() {
    FDriver.ReadSignature();
    TRecordHeader header = FDriver.ReadRecordHeader();
    TPersistentClass cls = FindClass(header.ClassName);
    if (!cls->InheritsFrom(&TComponent::ClassInfo))
        throw EClassNotFound("Class " + header.ClassName + " not found");
    std::unique_ptr<TComponent> root(CreateComponent(cls, nullptr));
    root->SetName(header.Name);
    ReadRoot(root.get());
    return root;
}

TComponent* TReader::ReadRootComponent(TComponent* ARoot) {
    FDriver.ReadSignature();
    TRecordHeader header = FDriver.ReadRecordHeader();
    if (!ARoot->GetComponentState().Contains(csDesigning)) {
        // A unique name among the global components: Form1, Form1_1, Form1_2...
        String name = header.Name;
        for (int i = 1;; ++i) {
            TComponent* other = FindGlobalComponent(name);
            if (other == nullptr || other == ARoot) break;
            name = header.Name + "_" + SysUtils::IntToStr(i);
        }
        ARoot->SetName(name);
    }
    ReadRoot(ARoot);
    return ARoot;
}

void TReader::ReadRoot(TComponent* ARoot) {
    TComponentState savedState = ARoot->GetComponentState();
    FRoot = ARoot;
    FLookupRoot = ARoot;
    FOwner = ARoot;
    FParent = nullptr;
    FLoaded.assign(1, ARoot);
    ARoot->FComponentState += TComponentState{csLoading, csReading};
    try {
        ARoot->ReadState(*this); // the root's references are resolved at the end of its data
        ARoot->FComponentState.Exclude(csReading);
        CallLoaded();
    } catch (...) {
        // Everything created for the root goes; the root keeps what was set and its state as before.
        Undo({0, 0, 0});
        FLoaded.clear();
        ARoot->FComponentState -= TComponentState{csLoading, csReading};
        ARoot->FComponentState += savedState * TComponentState{csLoading, csReading};
        throw;
    }
    FCreated.clear();
}

void TReader::ReadComponents(TComponent* AOwner, TComponent* AParent, const TReadComponentsProc& Proc) {
    FRoot = AOwner;
    FLookupRoot = AOwner;
    FOwner = AOwner;
    FParent = AParent;
    FLoaded.clear();
    try {
        for (;;) {
            // A sequence ends with one 0 byte; a stream that stops at a record boundary ends it too.
            int next = PeekByte(FDriver.Stream());
            if (next < 0) break;
            if (next == 0) {
                FDriver.Stream().Seek(1, soCurrent);
                break;
            }
            FDriver.ReadSignature();
            TComponent* component = ReadComponent(nullptr);
            if (Proc) Proc(component);
        }
    } catch (...) {
        // The failing record is gone (ReadComponent undid it); the ones before it are complete: resolve their
        // references and let them finish loading, then report the failure.
        try {
            DoFixupReferences();
            CallLoaded();
        } catch (const std::exception&) {
            FLoaded.clear();
        }
        FCreated.clear();
        throw;
    }
    DoFixupReferences();
    CallLoaded();
    FCreated.clear();
}

void TReader::CallLoaded() {
    std::vector<TComponent*> loaded;
    loaded.swap(FLoaded);
    for (TComponent* c : loaded)
        c->Loaded();
}

TComponent* TReader::ReadComponent(TComponent* Component) {
    TBinaryObjectReader::TNestingGuard depth(FDriver);
    TRecordHeader header = FDriver.ReadRecordHeader();
    TRestore<TComponent*> savedParent(FParent);
    TRestore<TComponent*> savedLookupRoot(FLookupRoot);
    TMark mark = Mark();
    TComponent* result = Component;
    try {
        if (result == nullptr) {
            if (header.Flags & ffInherited) {
                // 1. Inherited: the component exists already (made by the ancestor's stream).
                result = FLookupRoot != nullptr ? FLookupRoot->FindComponent(header.Name) : nullptr;
                if (result == nullptr) throw EReadError("Ancestor for '" + header.Name + "' not found");
                FParent = result->GetParentComponent();
                if (FParent == nullptr) FParent = FRoot;
            } else {
                // 2. New: made by the class's virtual constructor, owned by the reader's owner.
                TComponentClass cls = FindComponentClass(header.ClassName);
                result = CreateComponent(cls, FOwner);
                FCreated.push_back(result);
                if (header.Flags & ffInline) result->SetInline(true);
            }
        }
        result->FComponentState.Include(csLoading);
        if (!(header.Flags & ffInherited)) {
            result->SetParentComponent(FParent);
            result->SetName(header.Name);
        }
        if (result->GetComponentState().Contains(csInline)) FLookupRoot = result;

        result->FComponentState.Include(csReading);
        result->ReadState(*this);
        result->FComponentState.Exclude(csReading);

        if ((header.Flags & ffChildPos) && FParent != nullptr)
            FParent->SetChildOrder(result, header.ChildPos);

        bool once = (header.Flags & ffInherited) || result->GetComponentState().Contains(csInline);
        if (!once || std::find(FLoaded.begin(), FLoaded.end(), result) == FLoaded.end())
            FLoaded.push_back(result);
    } catch (...) {
        bool created = mark.Created < FCreated.size();
        Undo(mark);
        if (!created && result != nullptr) result->FComponentState.Exclude(csReading);
        throw;
    }
    return result;
}

void TReader::ReadData(TComponent* Instance) {
    // 1. Properties, up to their 0.
    while (!FDriver.EndOfList())
        ReadProperty(Instance);
    // 2. Children, owned by the instance's child owner (else the root), up to their 0.
    {
        TRestore<TComponent*> savedOwner(FOwner);
        TRestore<TComponent*> savedParent(FParent);
        FOwner = Instance->GetChildOwner();
        if (FOwner == nullptr) FOwner = FRoot;
        FParent = Instance->GetChildParent();
        while (!FDriver.EndOfList())
            ReadComponent(nullptr);
    }
    // 3. The root's references, now that all its components exist.
    if (Instance == FRoot) DoFixupReferences();
}

void TReader::ReadProperty(TPersistent* AInstance) {
    String path = FDriver.ReadPropName();
    try {
        // 1. Walk the dotted path: every step is a property holding a persistent object.
        TPersistent* instance = AInstance;
        std::string_view rest = path;
        for (size_t dot; (dot = rest.find('.')) != std::string_view::npos; rest.remove_prefix(dot + 1)) {
            String step(rest.substr(0, dot));
            const TPropInfo* prop = GetPropInfo(instance, step);
            if (prop == nullptr) throw EReadError("Property " + step + " does not exist");
            TPersistent* object = nullptr;
            if (prop->Kind == tkClass || prop->Kind == tkComponent)
                object = dynamic_cast<TPersistent*>(prop->GetObject(instance));
            if (object == nullptr) throw EReadError("Invalid property path");
            instance = object;
        }
        // 2. The property itself, or a value that DefineProperties claims.
        FPropName = String(rest);
        if (const TPropInfo* prop = GetPropInfo(instance, FPropName)) {
            ReadPropValue(instance, prop);
        } else {
            instance->DefineProperties(*this);
            if (!FPropName.empty()) throw EReadError("Property " + FPropName + " does not exist");
        }
    } catch (const SysUtils::Exception& e) {
        String name;
        if (auto* component = dynamic_cast<TComponent*>(AInstance)) name = component->GetName();
        if (name.empty()) name = AInstance->ClassName();
        throw EReadError("Error reading " + name + "." + path + ": " + e.Message());
    }
}

void TReader::ReadPropValue(TPersistent* Instance, const TPropInfo* Prop) {
    if (Prop->IsReadOnly() && !(Prop->Kind == tkClass && NextValue() == TValueType::vaCollection))
        throw EReadError("Property is read-only");
    switch (Prop->Kind) {
    case tkInteger:
        if (NextValue() == TValueType::vaIdent) {
            int32_t value;
            String ident = ReadIdent();
            const TTypeInfo* type = Prop->PropType;
            if (type == nullptr || !IdentToInt(ident, value, type->Idents, type->IdentCount)) InvalidValue();
            SetOrdProp(Instance, Prop, value);
        } else {
            SetOrdProp(Instance, Prop, ReadInteger());
        }
        break;
    case tkInt64:
        SetOrdProp(Instance, Prop, ReadInt64());
        break;
    case tkBool:
        SetOrdProp(Instance, Prop, ReadBoolean() ? 1 : 0);
        break;
    case tkEnumeration: {
        int value = GetEnumValue(Prop->PropType, ReadIdent());
        if (value < 0) InvalidValue();
        SetOrdProp(Instance, Prop, value);
        break;
    }
    case tkSet: {
        if (ReadValue() != TValueType::vaSet) InvalidValue();
        uint32_t bits = 0;
        const TTypeInfo* members = Prop->PropType->CompType;
        for (const String& name : FDriver.ReadSetPayload()) {
            int n = GetEnumValue(members, name);
            if (n < 0 || n > 31) InvalidValue();
            bits |= uint32_t(1) << n;
        }
        SetOrdProp(Instance, Prop, bits);
        break;
    }
    case tkFloat:
        SetFloatProp(Instance, Prop, ReadFloat());
        break;
    case tkString:
        SetStrProp(Instance, Prop, ReadString());
        break;
    case tkWString: {
        // A narrow string that is not UTF-8 is taken byte for code unit, as the framework widens it; so a
        // wide property always holds text that can be written again.
        bool narrow = NextValue() != TValueType::vaWString && NextValue() != TValueType::vaUString;
        String value = ReadString();
        if (narrow && !IsUtf8(value)) value = Latin1ToUtf8(value);
        SetStrProp(Instance, Prop, value);
        break;
    }
    case tkClass:
        switch (NextValue()) {
        case TValueType::vaNil:
            ReadValue();
            SetObjectProp(Instance, Prop, nullptr);
            break;
        case TValueType::vaCollection: {
            auto* collection = dynamic_cast<TCollection*>(Prop->GetObject(Instance));
            if (collection == nullptr) InvalidValue();
            ReadValue();
            ReadCollection(collection);
            break;
        }
        default:
            InvalidValue();
        }
        break;
    case tkComponent:
        switch (NextValue()) {
        case TValueType::vaNil:
            ReadValue();
            SetObjectProp(Instance, Prop, nullptr);
            break;
        case TValueType::vaIdent:
            // Resolved once the rest of the stream is read: the component may come later.
            FFixups.push_back({Instance, Prop, FRoot, ReadIdent()});
            break;
        default:
            InvalidValue();
        }
        break;
    case tkMethod:
        if (NextValue() == TValueType::vaNil) {
            ReadValue();
            SetMethodProp(Instance, Prop, TMethod());
        } else {
            // A published method of the root, with the event's parameters.
            String name = ReadIdent();
            const TMethodInfo* method = FRoot != nullptr ? FindMethod(FRoot->ClassType(), name) : nullptr;
            if (method == nullptr || *method->Signature != *Prop->Signature) {
                // A handler the root does not have: an error, unless OnFindMethod lets the event go unset.
                bool error = true;
                if (OnFindMethod) OnFindMethod(name, error);
                if (error) InvalidValue();
                break;
            }
            SetMethodProp(Instance, Prop, MethodOf(FRoot, *method));
        }
        break;
    case tkUnknown:
        InvalidValue();
    }
}

void TReader::ReadCollection(TCollection* Collection) {
    TBinaryObjectReader::TNestingGuard depth(FDriver);
    Collection->BeginUpdate();
    try {
        if (!EndOfList()) {
            DropFixupsOf(Collection);
            Collection->Clear();
        }
        while (!EndOfList()) {
            // An item may carry an order index before its list (the framework's writer never writes one).
            int64_t index;
            FDriver.ReadCollectionItemIndex(index);
            ReadListBegin();
            TCollectionItem* item = Collection->Add();
            while (!FDriver.EndOfList())
                ReadProperty(item);
        }
        ReadListEnd();
    } catch (...) {
        Collection->EndUpdate();
        throw;
    }
    Collection->EndUpdate();
}

// References waiting in items that are about to go (a collection read twice) must not outlive them.
void TReader::DropFixupsOf(TCollection* Collection) {
    auto inCollection = [&](const TFixup& f) {
        for (TPersistent* p = f.Instance; p != nullptr; p = p->GetOwner())
            if (auto* item = dynamic_cast<TCollectionItem*>(p); item && item->GetCollection() == Collection)
                return true;
        return false;
    };
    FFixups.erase(std::remove_if(FFixups.begin(), FFixups.end(), inCollection), FFixups.end());
}

void TReader::DoFixupReferences() {
    std::vector<TFixup> fixups;
    fixups.swap(FFixups);
    for (const TFixup& f : fixups) {
        TComponent* c = FindNestedComponent(f.Root, f.Name);
        if (c == nullptr) {
            // "Form2.Button1": a component of another root, found through the global components.
            size_t dot = f.Name.find('.');
            if (dot != String::npos)
                if (TComponent* root = FindGlobalComponent(f.Name.substr(0, dot)))
                    c = FindNestedComponent(root, std::string_view(f.Name).substr(dot + 1));
        }
        // Unresolved, or a component of the wrong class: the reference stays nil.
        if (c != nullptr && c->InheritsFrom(f.Prop->PropClass)) f.Prop->SetObject(f.Instance, c);
    }
}

TValueType TReader::NextValue() {
    return FDriver.NextValue();
}

TValueType TReader::ReadValue() {
    return FDriver.ReadValue();
}

bool TReader::EndOfList() {
    return FDriver.NextValue() == TValueType::vaNull;
}

void TReader::ReadListBegin() {
    if (ReadValue() != TValueType::vaList) InvalidValue();
}

void TReader::ReadListEnd() {
    if (ReadValue() != TValueType::vaNull) InvalidValue();
}

int32_t TReader::ReadInteger() {
    TValueType t = NextValue();
    if (!IsIntTag(t)) InvalidValue();
    ReadValue();
    return int32_t(FDriver.ReadIntegerPayload(t));
}

int64_t TReader::ReadInt64() {
    TValueType t = NextValue();
    if (!IsIntTag(t) && t != TValueType::vaInt64) InvalidValue();
    ReadValue();
    return FDriver.ReadIntegerPayload(t);
}

bool TReader::ReadBoolean() {
    TValueType t = NextValue();
    if (t != TValueType::vaTrue && t != TValueType::vaFalse) InvalidValue();
    ReadValue();
    return t == TValueType::vaTrue;
}

double TReader::ReadFloat() {
    switch (NextValue()) {
    case TValueType::vaExtended:
        ReadValue();
        return double(FDriver.ReadExtendedPayload());
    case TValueType::vaSingle:
        ReadValue();
        return FDriver.ReadSinglePayload();
    case TValueType::vaDate:
        ReadValue();
        return FDriver.ReadDatePayload();
    case TValueType::vaCurrency:
        ReadValue();
        return double(FDriver.ReadCurrencyPayload()) / 10000.0;
    default:
        return double(ReadInt64());
    }
}

String TReader::ReadString() {
    switch (NextValue()) {
    case TValueType::vaString:
    case TValueType::vaLString:
    case TValueType::vaWString:
    case TValueType::vaUString:
    case TValueType::vaUTF8String:
        return FDriver.ReadString();
    default:
        InvalidValue();
    }
}

String TReader::ReadIdent() {
    switch (NextValue()) {
    case TValueType::vaIdent:
    case TValueType::vaFalse:
    case TValueType::vaTrue:
    case TValueType::vaNil:
    case TValueType::vaNull:
        return FDriver.ReadIdent();
    default:
        InvalidValue();
    }
}

void TReader::DefineProperty(const String& Name, const TReaderProc& ReadData, const TWriterProc&, bool) {
    if (ReadData && !FPropName.empty() && SysUtils::SameText(Name, FPropName)) {
        ReadData(*this);
        FPropName.clear();
    }
}

void TReader::DefineBinaryProperty(const String& Name, const TStreamProc& ReadData, const TStreamProc&,
                                   bool) {
    if (ReadData && !FPropName.empty() && SysUtils::SameText(Name, FPropName)) {
        if (NextValue() != TValueType::vaBinary) InvalidValue();
        ReadValue();
        std::vector<uint8_t> bytes = FDriver.ReadBinaryPayload();
        TMemoryStream buffer;
        if (!bytes.empty()) buffer.WriteBuffer(bytes.data(), bytes.size());
        buffer.SetPosition(0);
        FPropName.clear();
        ReadData(buffer);
    }
}

// ==== Stream helpers =======================================================================================

void WriteComponentToStream(TStream& Stream, TComponent* Instance) {
    TWriter writer(Stream);
    writer.WriteRootComponent(Instance);
}

TComponent* ReadComponentFromStream(TStream& Stream, TComponent* Instance) {
    TReader reader(Stream);
    return reader.ReadRootComponent(Instance);
}

std::unique_ptr<TComponent> ReadComponentFromStream(TStream& Stream) {
    TReader reader(Stream);
    return reader.ReadRootComponent();
}

} // namespace Classes

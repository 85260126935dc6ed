// Ide: the designer of a form being designed: the form, its selection, the notifications and the editors.
#include "ide/IdeDesigner.h"

#include "framework/core/ClassesReaderWriter.h"
#include "framework/core/ClassesRegistry.h"
#include "framework/core/ClassesText.h"
#include "framework/vcl/StdCtrls.h"

#include <algorithm>

namespace Ide {

using DsgnIntf::TDesignWindow;

// The root of a designed form: a plain form that reports the components leaving it to its designer.
class TDesignedForm : public Forms::TForm {
public:
    TDesignedForm(TDesigner* ADesigner) : TForm(nullptr), FDesigner(ADesigner) {}
    // Until it becomes the designer's form (while it is read), nothing is reported.
    bool FActive = false;

protected:
    void Notification(TComponent* AComponent, Classes::TOperation Operation) override {
        TForm::Notification(AComponent, Operation);
        if (FActive && Operation == Classes::opRemove && AComponent != this &&
            !GetComponentState().Contains(Classes::csDestroying))
            FDesigner->ComponentRemoved(AComponent);
    }

private:
    TDesigner* FDesigner;
};

namespace {

String Upper(std::string_view s) {
    return SysUtils::UpperCase(s);
}

// The lines of a text, without their line ends.
std::vector<String> SplitLines(const String& Text) {
    std::vector<String> lines;
    size_t start = 0;
    while (start < Text.size()) {
        size_t end = Text.find('\n', start);
        if (end == String::npos) end = Text.size();
        String line = Text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

size_t Indent(const String& Line) {
    return Line.find_first_not_of(' ');
}

// "object Name: TClass" (also inherited/inline, the name optional): the name, or nothing.
bool ObjectLine(const String& Line, String& Name) {
    String t = SysUtils::Trim(Line);
    for (const char* keyword : {"object ", "inherited ", "inline "}) {
        if (t.rfind(keyword, 0) != 0) continue;
        String rest = SysUtils::Trim(t.substr(std::char_traits<char>::length(keyword)));
        size_t colon = rest.find(':');
        Name = colon == String::npos ? String() : SysUtils::Trim(rest.substr(0, colon));
        return true;
    }
    return false;
}

String TextOfBinary(Classes::TMemoryStream& Binary) {
    Classes::TMemoryStream text;
    Binary.SetPosition(0);
    Classes::ObjectBinaryToText(Binary, text);
    return String(reinterpret_cast<const char*>(text.Memory()), size_t(text.GetSize()));
}

} // namespace

TDesigner::TDesigner() {
    // The framework's controls that forms hold (its other units register their classes themselves).
    Classes::RegisterClasses({&StdCtrls::TLabel::ClassInfo});
    NewForm("Form1", "TForm1");
}

TDesigner::~TDesigner() {
    Forms::TCustomForm* form = FForm.get();
    EachWindow([&](TDesignWindow* w) { w->FormClosed(form); });
    EachWindow([&](TDesignWindow* w) {
        if (w->GetDesigner() == this) w->SetDesigner(nullptr);
    });
    FSelection.reset();
    FForm.reset();
}

template <class F> void TDesigner::EachWindow(F Fn) {
    std::vector<TDesignWindow*> windows = DsgnIntf::DesignWindows();
    for (TDesignWindow* w : windows) {
        const auto& live = DsgnIntf::DesignWindows();
        if (std::find(live.begin(), live.end(), w) != live.end()) Fn(w);
    }
}

void TDesigner::NewForm(const String& Name, const String& ClassName) {
    auto form = std::make_unique<TDesignedForm>(this);
    form->SetDesigning(true);
    form->SetName(Name);
    TakeForm(std::move(form), ClassName, {});
}

void TDesigner::TakeForm(std::unique_ptr<TDesignedForm> Form, const String& ClassName, TEventNames Events) {
    std::unique_ptr<TDesignedForm> old = std::move(FForm);
    FForm = std::move(Form);
    FForm->FActive = true;
    FEvents = std::move(Events);
    FFormClassName = ClassName;
    FModified = false;
    FSelection = std::make_unique<TComponentList>();
    FSelection->Add(FForm.get());
    if (old) {
        Forms::TCustomForm* closed = old.get();
        EachWindow([&](TDesignWindow* w) { w->FormClosed(closed); });
        old.reset();
        SelectionChangedNotify();
    }
}

void TDesigner::LoadFromFile(const String& FileName) {
    Classes::TFileStream file(FileName, Classes::fmOpenRead | Classes::fmShareDenyWrite);
    LoadFromStream(file);
}

void TDesigner::LoadFromStream(Classes::TStream& Stream) {
    Classes::TMemoryStream input;
    input.LoadFromStream(Stream);
    Classes::TMemoryStream binary;
    const uint8_t* p = input.Memory();
    size_t size = size_t(input.GetSize());
    size_t start = 0;
    if (size >= 3 && p[0] == 0xFF && p[1] == 0x0A && p[2] == 0x00) {
        // A binary form file with the resource header before its stream: 0xFF, the type 10 (RCDATA), the
        // name up to a 0 byte, the flags (2 bytes) and the size (4 bytes).
        size_t end = 3;
        while (end < size && p[end] != 0)
            ++end;
        start = end + 7;
    }
    if (size >= start + 4 && std::equal(p + start, p + start + 4, "TPF0")) {
        binary.WriteBuffer(p + start, size - start);
    } else {
        // The text form (a byte order mark before it is skipped).
        input.SetPosition(size >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF ? 3 : 0);
        Classes::ObjectTextToBinary(input, binary);
    }
    String text = TextOfBinary(binary);
    std::vector<String> lines = SplitLines(text);
    String name, className = "TForm";
    if (!lines.empty() && ObjectLine(lines[0], name) && lines[0].find(':') != String::npos)
        className = SysUtils::Trim(lines[0].substr(lines[0].find(':') + 1));
    // Read into a new form first: the one held so far stays when the file cannot be read.
    auto form = std::make_unique<TDesignedForm>(this);
    form->SetDesigning(true);
    form->SetName(name);
    binary.SetPosition(0);
    Classes::TReader reader(binary);
    reader.OnFindMethod = [](const String&, bool& Error) { Error = false; };
    reader.ReadRootComponent(form.get());
    TEventNames events = ReadEventNames(form.get(), text);
    TakeForm(std::move(form), className, std::move(events));
}

TDesigner::TEventNames TDesigner::ReadEventNames(TComponent* Root, const String& Text) {
    TEventNames events;
    std::vector<TComponent*> stack;
    for (const String& line : SplitLines(Text)) {
        String name;
        if (ObjectLine(line, name)) {
            stack.push_back(stack.empty() ? Root : Root->FindComponent(name));
            continue;
        }
        String t = SysUtils::Trim(line);
        if (t == "end") {
            if (!stack.empty()) stack.pop_back();
            continue;
        }
        size_t eq = t.find(" = ");
        if (stack.empty() || stack.back() == nullptr || eq == String::npos) continue;
        String prop = t.substr(0, eq), value = SysUtils::Trim(t.substr(eq + 3));
        const TypInfo::TPropInfo* info = TypInfo::GetPropInfo(stack.back(), prop);
        if (info && info->Kind == TypInfo::tkMethod && Classes::IsValidIdent(value) &&
            !SysUtils::SameText(value, "nil"))
            events[{stack.back(), Upper(info->Name)}] = value;
    }
    return events;
}

String TDesigner::FormText() const {
    Classes::TMemoryStream binary;
    {
        Classes::TWriter writer(binary);
        writer.WriteRootComponent(FForm.get());
    }
    std::vector<String> lines = SplitLines(TextOfBinary(binary));
    // The form's own class, and the handlers' names at the end of each object's properties.
    struct TOpen {
        const TComponent* Component;
        size_t Indent;
        bool Done;
    };
    std::vector<TOpen> open;
    String out;
    auto flush = [&](TOpen& o) {
        if (o.Done) return;
        o.Done = true;
        if (o.Component == nullptr) return;
        for (const TypInfo::TPropInfo* p : TypInfo::GetPropList(o.Component))
            if (p->Kind == TypInfo::tkMethod) {
                auto it = FEvents.find({o.Component, Upper(p->Name)});
                if (it != FEvents.end())
                    out += String(o.Indent + 2, ' ') + p->Name + " = " + it->second + "\n";
            }
    };
    for (size_t i = 0; i < lines.size(); ++i) {
        String line = lines[i], name;
        if (ObjectLine(line, name)) {
            if (!open.empty()) flush(open.back());
            if (i == 0) line = line.substr(0, line.find(':') + 1) + " " + FFormClassName;
            open.push_back({open.empty() ? FForm.get() : FForm->FindComponent(name), Indent(line), false});
        } else if (!open.empty() && SysUtils::Trim(line) == "end" && Indent(line) == open.back().Indent) {
            flush(open.back());
            open.pop_back();
        }
        out += line + "\n";
    }
    return out;
}

void TDesigner::SaveToFile(const String& FileName) {
    String text = FormText();
    Classes::TFileStream file(FileName, Classes::fmCreate);
    file.WriteBuffer(text.data(), text.size());
    FModified = false;
}

Forms::TForm* TDesigner::GetDesignForm() const {
    return FForm.get();
}

TComponent* TDesigner::GetRoot() const {
    return FForm.get();
}

void TDesigner::Modified() {
    FModified = true;
    EachWindow([](TDesignWindow* w) { w->FormModified(); });
    if (OnModified) OnModified();
}

void TDesigner::SelectComponent(TComponent* AComponent) {
    auto* list = new TComponentList;
    list->Add(AComponent ? AComponent : FForm.get());
    SetSelections(list);
}

void TDesigner::SetSelections(TComponentList* List) {
    std::unique_ptr<TComponentList> list(List ? List : new TComponentList);
    if (list->Count() == 0) list->Add(FForm.get());
    if (list.get() != FSelection.get())
        FSelection = std::move(list);
    else
        list.release();
    SelectionChangedNotify();
}

void TDesigner::SelectionChangedNotify() {
    TComponentList* selection = FSelection.get();
    EachWindow([&](TDesignWindow* w) { w->SelectionChanged(selection); });
    if (OnSelectionChanged) OnSelectionChanged();
}

void TDesigner::GetSelections(TComponentList* List) const {
    for (TComponent* c : *FSelection)
        List->Add(c);
}

String TDesigner::UniqueName(const String& BaseName) const {
    for (int64_t i = 1; i < 2147483648LL; ++i) {
        String name = BaseName + SysUtils::IntToStr(i);
        if (FForm->FindComponent(name) == nullptr && !SysUtils::SameText(name, FForm->GetName())) return name;
    }
    throw Classes::EComponentError(SysUtils::Format("Cannot create unique name for %s.", {BaseName}));
}

String TDesigner::GetEventName(TComponent* Instance, const TypInfo::TPropInfo* Prop) const {
    auto it = FEvents.find({Instance, Upper(Prop->Name)});
    return it == FEvents.end() ? String() : it->second;
}

void TDesigner::SetEventName(TComponent* Instance, const TypInfo::TPropInfo* Prop, const String& Name) {
    if (Name.empty())
        FEvents.erase({Instance, Upper(Prop->Name)});
    else
        FEvents[{Instance, Upper(Prop->Name)}] = Name;
}

void TDesigner::ComponentRemoved(TComponent* AComponent) {
    std::erase_if(FEvents, [&](const auto& e) { return e.first.first == AComponent; });
    EachWindow([&](TDesignWindow* w) { w->ComponentDeleted(AComponent); });
    if (FSelection && FSelection->IndexOf(AComponent) >= 0) {
        while (FSelection->Remove(AComponent) >= 0) {
        }
        if (FSelection->Count() == 0) FSelection->Add(FForm.get());
        SelectionChangedNotify();
    }
}

TComponent* TDesigner::CreateComponent(TComponentClass ComponentClass, TComponent* Parent, int Left,
                                       int Top) {
    TComponent* c = Classes::CreateComponent(ComponentClass, FForm.get());
    try {
        String base = ComponentClass->ClassName;
        if (!base.empty() && (base[0] == 'T' || base[0] == 't')) base.erase(0, 1);
        c->SetName(UniqueName(base));
        if (auto* control = dynamic_cast<Controls::TControl*>(c)) {
            auto* parent = dynamic_cast<Controls::TWinControl*>(Parent);
            control->SetLeft(Left);
            control->SetTop(Top);
            control->SetParent(parent ? parent : FForm.get());
        } else {
            if (Parent) c->SetParentComponent(Parent);
            c->SetDesignInfo(int32_t((uint32_t(Top) << 16) | (uint32_t(Left) & 0xFFFF)));
        }
    } catch (...) {
        delete c;
        throw;
    }
    SelectComponent(c);
    Modified();
    return c;
}

void TDesigner::DeleteComponent(TComponent* AComponent) {
    if (AComponent == nullptr || AComponent == FForm.get()) return;
    delete AComponent;
    Modified();
}

std::unique_ptr<DsgnIntf::TComponentEditor> TDesigner::MakeComponentEditor(TComponent* AComponent) {
    return DsgnIntf::MakeComponentEditor(nullptr, AComponent, this);
}

std::vector<std::unique_ptr<DsgnIntf::TPropertyEditor>> TDesigner::SelectionEditors() {
    std::vector<std::unique_ptr<DsgnIntf::TPropertyEditor>> editors;
    std::vector<Classes::TPersistent*> components(FSelection->begin(), FSelection->end());
    if (components.empty()) return editors;
    for (const TypInfo::TPropInfo* p : TypInfo::GetPropList(components[0])) {
        bool everywhere = true;
        for (Classes::TPersistent* c : components)
            everywhere = everywhere && TypInfo::GetPropInfo(c, p->Name) != nullptr;
        // Names are one component's each.
        if (!everywhere || (components.size() > 1 && SysUtils::SameText(p->Name, "Name"))) continue;
        std::unique_ptr<DsgnIntf::TPropertyEditor> e =
            DsgnIntf::MakePropertyEditor(nullptr, this, components, p);
        if (components.size() > 1 && !e->GetAttributes().Contains(DsgnIntf::paMultiSelect)) continue;
        editors.push_back(std::move(e));
    }
    return editors;
}

bool RunEditAction(DsgnIntf::TDesignWindow* Window, DsgnIntf::TEditAction Action) {
    using namespace DsgnIntf;
    static constexpr TEditStateItem Needs[] = {esCanUndo,   esCanRedo,   esCanCut,       esCanCopy,
                                               esCanPaste,  esCanDelete, esCanSelectAll, esCanPrint,
                                               esCanZOrder, esCanZOrder, esCanAlignGrid};
    if (size_t(Action) >= std::size(Needs) || !Window->GetEditState().Contains(Needs[Action])) return false;
    Window->EditAction(Action);
    return true;
}

bool EditActionOfKey(unsigned Key, DsgnIntf::TEditAction& Action) {
    using namespace DsgnIntf;
    switch (Key) {
    case 'C':
        Action = eaCopy;
        return true;
    case 'X':
        Action = eaCut;
        return true;
    case 'V':
        Action = eaPaste;
        return true;
    case 'A':
        Action = eaSelectAll;
        return true;
    case 'Z':
        Action = eaUndo;
        return true;
    case 'Y':
        Action = eaRedo;
        return true;
    default:
        return false;
    }
}

} // namespace Ide

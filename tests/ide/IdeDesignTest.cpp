// The IDE's design services on their own: the editors found through the registrations and made from their
// class references, the default property editors both ways, a property editor writing an edited copy into
// every selected component, the component clipboard on the real system clipboard (also from and to another
// process: ide.exe copy / paste), unique names on paste, the designed form (csDesigning, its class and
// handlers' names written back) and the notifications of the design windows.
#include "ide/IdeDesigner.h"
#include "ide/IdeRegistrations.h"
#include "ide/IdeSession.h"
#include "tests/support/WinTest.h"

#include "framework/core/ClassesRegistry.h"
#include "framework/core/ClassesStreams.h"
#include "framework/core/ClassesText.h"
#include "framework/vcl/ExtCtrls.h"
#include "framework/vcl/Graphics.h"
#include "framework/vcl/Menus.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

using namespace DsgnIntf;
using Classes::TComponent;
using Classes::TPersistent;
using SysUtils::String;

namespace DesignTest {

PUBLISHED_ENUM(TShade, uint8_t, shLight, shDark, shNone)
using TShades = System::TSet<TShade>;

class TLook : public TPersistent {
    DECLARE_CLASS(TLook, TPersistent)
public:
    void Assign(TPersistent* Source) override {
        if (auto* s = dynamic_cast<TLook*>(Source)) {
            FSize = s->FSize;
            FTitle = s->FTitle;
            return;
        }
        inherited::Assign(Source);
    }
    int FSize = 1;
    String FTitle;
};

using TPingEvent = System::TEvent<void(System::TObject* Sender)>;

class TWidget : public TComponent {
    DECLARE_CLASS(TWidget, TComponent)
public:
    explicit TWidget(TComponent* AOwner) : TComponent(AOwner), FLook(std::make_unique<TLook>()) {}
    TLook* GetLook() const { return FLook.get(); }
    void SetLook(TLook* Value) {
        FLook->Assign(Value);
        ++FLookSets;
    }
    int FCount = 0;
    TShade FShade = shLight;
    TShades FShades;
    double FRatio = 0;
    String FText;
    Graphics::TColor FColor = Graphics::clWhite;
    bool FFlag = false;
    int64_t FBig = 0;
    TWidget* FBuddy = nullptr;
    TPingEvent FOnPing;
    std::unique_ptr<TLook> FLook;
    int FLookSets = 0;
};
class TGadget : public TWidget {
    DECLARE_CLASS(TGadget, TWidget)
public:
    using TWidget::TWidget;
};

// The look's dialog: an edited copy of the first component's look goes to every selected one.
class TLookEditor : public TClassProperty {
    DECLARE_CLASS(TLookEditor, TClassProperty)
public:
    TPropertyAttributes GetAttributes() override {
        return TClassProperty::GetAttributes() + TPropertyAttributes{paDialog};
    }
    void Edit() override {
        TLook copy;
        copy.Assign(reinterpret_cast<TLook*>(GetOrdValue()));
        copy.FSize += 10;
        copy.FTitle = "edited";
        SetOrdValue(reinterpret_cast<intptr_t>(&copy));
    }
};
class TCountEditor : public TIntegerProperty {
    DECLARE_CLASS(TCountEditor, TIntegerProperty)
};
class TShadeEditor : public TEnumProperty {
    DECLARE_CLASS(TShadeEditor, TEnumProperty)
};
class TGadgetTextEditor : public TStringProperty {
    DECLARE_CLASS(TGadgetTextEditor, TStringProperty)
};
class TWidgetEditor : public TComponentEditor {
    DECLARE_CLASS(TWidgetEditor, TComponentEditor)
public:
    // The request's component is there while the editor is made.
    TWidgetEditor() : FSeen(GetComponent()) {}
    int GetVerbCount() override { return 2; }
    String GetVerb(int Index) override { return Index == 0 ? "&Grow" : "Shrink"; }
    void ExecuteVerb(int Index) override {
        static_cast<TWidget*>(GetComponent())->FCount += Index == 0 ? 1 : -1;
    }
    TComponent* FSeen;
};
class TGadgetEditor : public TWidgetEditor {
    DECLARE_CLASS(TGadgetEditor, TWidgetEditor)
};

// A design window that writes down what it hears.
class TRecordingWindow : public TDesignWindow {
    DECLARE_CLASS(TRecordingWindow, TDesignWindow)
public:
    using TDesignWindow::TDesignWindow;
    void ComponentDeleted(TComponent* C) override { Log += "deleted " + C->GetName() + ";"; }
    void FormClosed(Forms::TCustomForm* F) override { Log += "closed " + F->GetName() + ";"; }
    void FormModified() override { Log += "modified;"; }
    void SelectionChanged(TComponentList* S) override {
        Last = S;
        Log += "selection";
        for (TComponent* c : *S)
            Log += " " + c->GetName();
        Log += ";";
    }
    TEditState GetEditState() override { return {esCanCopy, esCanPaste}; }
    void EditAction(TEditAction A) override { Log += "action " + SysUtils::IntToStr(int(A)) + ";"; }
    void Activated() override { Log += "activated;"; }
    void Hand(TComponentList* L) { SetSelection(L); }
    String Log;
    TComponentList* Last = nullptr;
};

using namespace TypInfo;
PUBLISHED(TLook, "DesignTest", Prop<&TLook::FSize>("Size").Default(1), Prop<&TLook::FTitle>("Title"));
PUBLISHED(TWidget, "DesignTest", Prop<&TWidget::FCount>("Count").Default(0),
          Prop<&TWidget::FShade>("Shade").Default(shLight),
          Prop<&TWidget::FShades>("Shades").Default(TShades{}), Prop<&TWidget::FRatio>("Ratio"),
          Prop<&TWidget::FText>("Text"),
          Prop<&TWidget::FColor>("Color").Type(&Graphics::TColor_TypeInfo).Default(Graphics::clWhite),
          Prop<&TWidget::FFlag>("Flag").Default(false), Prop<&TWidget::FBig>("Big").Default(0),
          Prop<&TWidget::FBuddy>("Buddy"), Prop<&TWidget::GetLook, &TWidget::SetLook>("Look"),
          Prop<&TWidget::FOnPing>("OnPing"));
PUBLISHED(TGadget, "DesignTest");
PUBLISHED(TLookEditor, "DesignTest");
PUBLISHED(TCountEditor, "DesignTest");
PUBLISHED(TShadeEditor, "DesignTest");
PUBLISHED(TGadgetTextEditor, "DesignTest");
PUBLISHED(TWidgetEditor, "DesignTest");
PUBLISHED(TGadgetEditor, "DesignTest");
PUBLISHED(TRecordingWindow, "DesignTest");

} // namespace DesignTest

using namespace DesignTest;

namespace {

// The registrations of this test, installed as the host while a test runs.
struct TDesignFixture : ::testing::Test {
    Ide::TRegistrations Regs;
    TRegistrationHost* Saved = nullptr;
    void SetUp() override {
        Saved = GetRegistrationHost();
        SetRegistrationHost(&Regs);
        Classes::RegisterClasses({&TWidget::ClassInfo, &TGadget::ClassInfo});
        RegisterComponentEditor(&TWidget::ClassInfo, &TWidgetEditor::ClassInfo);
        RegisterComponentEditor(&TGadget::ClassInfo, &TGadgetEditor::ClassInfo);
        RegisterPropertyEditor(&TLook::ClassInfo, nullptr, "", &TLookEditor::ClassInfo);
        RegisterPropertyEditor(&IntegerTypeInfo, &TWidget::ClassInfo, "count", &TCountEditor::ClassInfo);
        RegisterPropertyEditor(&TShade_TypeInfo, &TWidget::ClassInfo, "", &TShadeEditor::ClassInfo);
    }
    void TearDown() override { SetRegistrationHost(Saved); }
};

TWidget* AddWidget(Ide::TDesigner& D, const String& Name, TComponentClass Class = &TWidget::ClassInfo) {
    auto* w = static_cast<TWidget*>(Classes::CreateComponent(Class, D.GetRoot()));
    w->SetName(Name);
    return w;
}

String ClassOf(const std::unique_ptr<TPropertyEditor>& E) {
    return E->ClassName();
}

std::unique_ptr<TPropertyEditor> EditorOf(Ide::TDesigner& D, std::vector<TPersistent*> Components,
                                          const char* Name) {
    return MakePropertyEditor(nullptr, &D, Components, GetPropInfo(Components[0], Name));
}

String ClipboardText() {
    String text;
    if (!OpenClipboard(nullptr)) return "(not opened)";
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
        auto* w = static_cast<const char16_t*>(GlobalLock(h));
        text = SysUtils::Utf16ToUtf8(w);
        GlobalUnlock(h);
    }
    CloseClipboard();
    return text;
}

// ide.exe (beside this test) with Args; its exit code.
int RunIde(const std::wstring& Args) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::filesystem::path exe = std::filesystem::path(self).parent_path() / L"ide.exe";
    std::wstring line = L"\"" + exe.wstring() + L"\" " + Args;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return int(code);
}

std::filesystem::path TempFile(const wchar_t* Name) {
    auto dir = std::filesystem::temp_directory_path() / "ide_design_tests";
    std::filesystem::create_directories(dir);
    return dir / Name;
}

void WriteText(const std::filesystem::path& P, const String& Text) {
    std::ofstream(P, std::ios::binary) << Text;
}

String ReadText(const std::filesystem::path& P) {
    std::ifstream in(P, std::ios::binary);
    return String(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST_F(TDesignFixture, EditorsFoundThroughTheRegistrationsAndMade) {
    Ide::TDesigner d;
    TWidget* w = AddWidget(d, "Widget1");
    auto* g = static_cast<TGadget*>(AddWidget(d, "Gadget1", &TGadget::ClassInfo));
    // By type (enumeration, class), by component class (nearest wins), by name ignoring case, else default.
    RegisterPropertyEditor(&TShade_TypeInfo, nullptr, "", &TEnumProperty::ClassInfo);
    struct TCase {
        TPersistent* Component;
        const char* Property;
        const char* Editor;
    } cases[] = {{w, "Look", "TLookEditor"},
                 {g, "Look", "TLookEditor"},
                 {w, "Shade", "TShadeEditor"},
                 {g, "Shade", "TShadeEditor"},
                 {w, "Count", "TCountEditor"},
                 {w, "Shades", "TSetProperty"},
                 {w, "Ratio", "TFloatProperty"},
                 {w, "Text", "TStringProperty"},
                 {w, "Color", "TColorProperty"},
                 {w, "Flag", "TEnumProperty"},
                 {w, "Big", "TIntegerProperty"},
                 {w, "Buddy", "TComponentProperty"},
                 {w, "OnPing", "TMethodProperty"},
                 {w->GetLook(), "Size", "TIntegerProperty"},
                 {w->GetLook(), "Title", "TStringProperty"},
                 {w, "Name", "TStringProperty"}};
    for (const TCase& c : cases)
        EXPECT_EQ(ClassOf(EditorOf(d, {c.Component}, c.Property)), c.Editor) << c.Property;
    // A registration naming the property (in any case) beats the nearer component class without a name.
    RegisterPropertyEditor(&TShade_TypeInfo, &TWidget::ClassInfo, "shade", &TEnumProperty::ClassInfo);
    RegisterPropertyEditor(&TShade_TypeInfo, &TGadget::ClassInfo, "Shade", &TShadeEditor::ClassInfo);
    EXPECT_EQ(ClassOf(EditorOf(d, {w}, "Shade")), "TEnumProperty");
    EXPECT_EQ(ClassOf(EditorOf(d, {g}, "Shade")), "TShadeEditor");
    // Component editors: the nearest class's, made with the component and designer already in place.
    struct TEditorCase {
        TComponent* Component;
        const char* Editor;
        int Verbs;
    } editors[] = {{w, "TWidgetEditor", 2}, {g, "TGadgetEditor", 2}, {d.GetRoot(), "TDefaultEditor", 0}};
    for (const TEditorCase& c : editors) {
        auto e = d.MakeComponentEditor(c.Component);
        EXPECT_EQ(e->ClassName(), c.Editor);
        EXPECT_EQ(e->GetComponent(), c.Component);
        EXPECT_EQ(e->GetDesigner(), &d);
        EXPECT_EQ(e->GetVerbCount(), c.Verbs);
        if (auto* we = dynamic_cast<TWidgetEditor*>(e.get())) {
            EXPECT_EQ(we->FSeen, c.Component);
        }
    }
    auto e = d.MakeComponentEditor(w);
    EXPECT_EQ(e->GetVerb(0), "&Grow");
    e->Edit(); // the first verb
    e->ExecuteVerb(0);
    e->ExecuteVerb(1);
    EXPECT_EQ(w->FCount, 1);
    // Classes that are no editors, or cannot be made, are refused by name.
    EXPECT_THROW(MakeComponentEditor(&TLookEditor::ClassInfo, w, &d), Classes::EComponentError);
    EXPECT_THROW(MakePropertyEditor(&TWidgetEditor::ClassInfo, &d, {w}, GetPropInfo(w, "Count")),
                 Classes::EComponentError);
    EXPECT_THROW(MakePropertyEditor(nullptr, &d, {w, w->GetLook()}, GetPropInfo(w, "Count")), EPropertyError);
}

TEST_F(TDesignFixture, DefaultEditorsBothWays) {
    Ide::TDesigner d;
    TWidget* w = AddWidget(d, "Widget1");
    TWidget* other = AddWidget(d, "Widget2");
    new Menus::TMainMenu(d.GetRoot()); // no name: not offered as a reference
    int modified = 0;
    d.OnModified = [&] { ++modified; };
    struct TCase {
        const char* Property;
        const char* Input;
        const char* Shown; // nullptr: refused, the value stays
    } cases[] = {
        {"Count", "42", "42"},
        {"Count", " -7", "-7"},
        {"Count", "$10", "16"},
        {"Count", "2147483648", nullptr},
        {"Count", "x", nullptr},
        {"Shade", "shdark", "shDark"},
        {"Shade", "shNone", "shNone"},
        {"Shade", "shBright", nullptr},
        {"Shades", "[shLight, shNone]", "[shLight,shNone]"},
        {"Shades", "[]", "[]"},
        {"Shades", "[shOther]", nullptr},
        {"Ratio", "0.1", "0.1"},
        {"Ratio", "1e3", "1000"},
        {"Ratio", "-2.5", "-2.5"},
        {"Ratio", "abc", nullptr},
        {"Ratio", "1,5", nullptr},
        {"Text", "Привет, 世界", "Привет, 世界"},
        {"Text", "", ""},
        {"Color", "clRed", "clRed"},
        {"Color", "clbtnface", "clBtnFace"},
        {"Color", "$00123456", "$00123456"},
        {"Color", "255", "clRed"},
        {"Color", "clPink", nullptr},
        {"Color", "$80000040", "$80000040"},
        {"Color", "$8000000F", "clBtnFace"},
        {"Color", "$100000000", nullptr},
        {"Flag", "true", "True"},
        {"Flag", "maybe", nullptr},
        {"Big", "9000000000", "9000000000"},
        {"Buddy", "widget2", "Widget2"},
        {"Buddy", "", ""},
        {"Buddy", "Nobody", nullptr},
        {"OnPing", "Widget1Ping", "Widget1Ping"},
        {"OnPing", "1Ping", nullptr},
    };
    for (const TCase& c : cases) {
        auto e = EditorOf(d, {w}, c.Property);
        String before = e->GetValue();
        int before_modified = modified;
        if (c.Shown) {
            e->SetValue(c.Input);
            EXPECT_EQ(e->GetValue(), c.Shown) << c.Property << " = " << c.Input;
            EXPECT_EQ(modified, before_modified + 1) << c.Property;
        } else {
            EXPECT_THROW(e->SetValue(c.Input), SysUtils::Exception) << c.Property << " = " << c.Input;
            EXPECT_EQ(e->GetValue(), before) << c.Property;
        }
    }
    EXPECT_EQ(w->FBuddy, nullptr);
    EXPECT_EQ(d.GetEventName(w, GetPropInfo(w, "OnPing")), "Widget1Ping");
    EXPECT_FALSE(w->FOnPing); // the handler's code is not ours: only the name is kept
    // Value lists and attributes.
    std::vector<String> values;
    EditorOf(d, {w}, "Shade")->GetValues([&](const String& s) { values.push_back(s); });
    EXPECT_EQ(values, (std::vector<String>{"shLight", "shDark", "shNone"}));
    values.clear();
    EditorOf(d, {w}, "Buddy")->GetValues([&](const String& s) { values.push_back(s); });
    EXPECT_EQ(values, (std::vector<String>{"Widget1", "Widget2"}));
    values.clear();
    EditorOf(d, {w}, "Color")->GetValues([&](const String& s) { values.push_back(s); });
    EXPECT_TRUE(std::find(values.begin(), values.end(), "clFuchsia") != values.end());
    auto look = EditorOf(d, {w}, "Look");
    EXPECT_EQ(look->GetValue(), "(TLook)");
    EXPECT_EQ(look->GetAttributes(),
              (TPropertyAttributes{paMultiSelect, paSubProperties, paReadOnly, paDialog}));
    EXPECT_EQ(EditorOf(d, {w}, "Shades")->GetAttributes(),
              (TPropertyAttributes{paMultiSelect, paSubProperties, paReadOnly, paRevertable}));
    // Sub-properties: the look's own properties, written into the look of every component.
    std::vector<std::unique_ptr<TPropertyEditor>> subs;
    EditorOf(d, {w, other}, "Look")->GetProperties([&](std::unique_ptr<TPropertyEditor> p) {
        subs.push_back(std::move(p));
    });
    ASSERT_EQ(subs.size(), 2u);
    EXPECT_EQ(subs[1]->GetName(), "Title");
    subs[1]->SetValue("both");
    EXPECT_EQ(w->GetLook()->FTitle, "both");
    EXPECT_EQ(other->GetLook()->FTitle, "both");
    // Set elements keep each component's other members.
    w->FShades = {shLight};
    other->FShades = {shNone};
    std::vector<std::unique_ptr<TPropertyEditor>> elements;
    auto shades = EditorOf(d, {w, other}, "Shades");
    EXPECT_FALSE(shades->AllEqual());
    EXPECT_EQ(shades->GetVisualValue(), "");
    shades->GetProperties([&](std::unique_ptr<TPropertyEditor> p) { elements.push_back(std::move(p)); });
    ASSERT_EQ(elements.size(), 3u);
    EXPECT_EQ(elements[1]->GetName(), "shDark");
    EXPECT_EQ(elements[0]->GetValue(), "True");
    EXPECT_FALSE(elements[0]->AllEqual());
    elements[1]->SetValue("True");
    EXPECT_EQ(w->FShades, (TShades{shLight, shDark}));
    EXPECT_EQ(other->FShades, (TShades{shDark, shNone}));
}

TEST_F(TDesignFixture, ClassPropertyWritesAnEditedCopyIntoEverySelectedComponent) {
    Ide::TDesigner d;
    std::vector<TWidget*> widgets;
    auto* list = new TComponentList;
    for (const char* name : {"Widget1", "Widget2", "Widget3"}) {
        widgets.push_back(AddWidget(d, name));
        list->Add(widgets.back());
    }
    widgets[0]->GetLook()->FSize = 5;
    widgets[1]->GetLook()->FSize = 7;
    d.SetSelections(list);
    EXPECT_EQ(&d.GetSelection(), list);
    int modified = 0;
    d.OnModified = [&] { ++modified; };
    // The Object Inspector's rows for three components: only those that allow several; Look among them.
    std::vector<std::unique_ptr<TPropertyEditor>> rows = d.SelectionEditors();
    auto look = std::find_if(rows.begin(), rows.end(), [](auto& e) { return e->GetName() == "Look"; });
    ASSERT_NE(look, rows.end());
    EXPECT_TRUE(std::none_of(rows.begin(), rows.end(), [](auto& e) { return e->GetName() == "Name"; }));
    EXPECT_EQ((*look)->GetPropCount(), 3);
    EXPECT_EQ(ClassOf(*look), "TLookEditor");
    EXPECT_TRUE((*look)->GetAttributes().Contains(paDialog));
    (*look)->Edit();
    for (TWidget* w : widgets) {
        EXPECT_EQ(w->GetLook()->FSize, 15) << w->GetName(); // the first component's value, edited
        EXPECT_EQ(w->GetLook()->FTitle, "edited");
        EXPECT_EQ(w->FLookSets, 1); // through the setter, once each
    }
    EXPECT_NE(widgets[0]->GetLook(), widgets[1]->GetLook()); // each keeps its own object
    EXPECT_EQ(modified, 1);
    // Ordinals likewise: one value into all three.
    auto count = std::find_if(rows.begin(), rows.end(), [](auto& e) { return e->GetName() == "Count"; });
    (*count)->SetOrdValue(9);
    for (TWidget* w : widgets)
        EXPECT_EQ(w->FCount, 9);
    EXPECT_TRUE((*count)->AllEqual());
    widgets[2]->FCount = 1;
    EXPECT_EQ((*count)->GetVisualValue(), "");
}

TEST_F(TDesignFixture, FormReadDesignedAndWrittenBack) {
    auto file = TempFile(L"Designed.dfm");
    const String text = "object MainForm: TMainForm\n"
                        "  Caption = 'Главная'\n"
                        "  OnCreate = FormCreate\n"
                        "  object Widget1: TWidget\n"
                        "    Count = 3\n"
                        "    Buddy = Gadget1\n"
                        "    Look.Size = 4\n"
                        "    OnPing = Widget1Ping\n"
                        "  end\n"
                        "  object Gadget1: TGadget\n"
                        "    OnPing = Widget1Ping\n"
                        "  end\n"
                        "end\n";
    WriteText(file, text);
    Ide::TDesigner d;
    d.LoadFromFile(file.string());
    EXPECT_EQ(d.GetFormClassName(), "TMainForm");
    EXPECT_EQ(d.GetDesignForm()->GetName(), "MainForm");
    EXPECT_EQ(d.GetDesignForm()->ClassName(), "TForm");
    ASSERT_EQ(d.GetDesignForm()->GetComponentCount(), 2);
    for (TComponent* c : {static_cast<TComponent*>(d.GetDesignForm()), d.GetDesignForm()->GetComponent(0),
                          d.GetDesignForm()->GetComponent(1)})
        EXPECT_TRUE(c->GetComponentState().Contains(Classes::csDesigning)) << c->GetName();
    auto* w = static_cast<TWidget*>(d.GetDesignForm()->FindComponent("Widget1"));
    EXPECT_EQ(w->FBuddy, d.GetDesignForm()->FindComponent("Gadget1"));
    EXPECT_EQ(EditorOf(d, {w}, "OnPing")->GetValue(), "Widget1Ping");
    EXPECT_EQ(EditorOf(d, {d.GetDesignForm()}, "OnCreate")->GetValue(), "FormCreate");
    // Written back: the form's class, the handlers' names, what was read (the form's own properties too).
    String written = d.FormText();
    for (const char* line : {"object MainForm: TMainForm\n", "  OnCreate = FormCreate\n", "    Count = 3\n",
                             "    Buddy = Gadget1\n    Look.Size = 4\n    OnPing = Widget1Ping\n  end\n",
                             "  object Gadget1: TGadget\n    OnPing = Widget1Ping\n  end\nend\n"})
        EXPECT_NE(written.find(line), String::npos) << line << written;
    Ide::TDesigner again;
    Classes::TMemoryStream copy;
    copy.WriteBuffer(written.data(), written.size());
    copy.SetPosition(0);
    again.LoadFromStream(copy);
    EXPECT_EQ(again.FormText(), written);
    EXPECT_EQ(again.GetDesignForm()->GetCaption(), "Главная");
    // Binary form files too; a damaged one or an unknown class is an error and the form stays.
    Classes::TMemoryStream in, binary;
    in.WriteBuffer(text.data(), text.size());
    in.SetPosition(0);
    Classes::ObjectTextToBinary(in, binary);
    binary.SetPosition(0);
    Ide::TDesigner b;
    b.LoadFromStream(binary);
    EXPECT_EQ(b.FormText(), written);
    // With the resource header of a binary form file before the stream.
    Classes::TMemoryStream withHeader;
    const uint8_t header[] = {0xFF, 0x0A, 0x00, 'M',  'A',  'I', 'N', 'F', 'O',
                              'R',  'M',  0,    0x30, 0x10, 0,   0,   0,   0};
    withHeader.WriteBuffer(header, sizeof(header));
    withHeader.WriteBuffer(binary.Memory(), size_t(binary.GetSize()));
    withHeader.SetPosition(0);
    Ide::TDesigner h;
    h.LoadFromStream(withHeader);
    EXPECT_EQ(h.FormText(), written);
    WriteText(file, "object F: TF\n  object X: TNoSuchClass\n  end\nend\n");
    EXPECT_THROW(b.LoadFromFile(file.string()), Classes::EClassNotFound);
    WriteText(file, "object F: TF\n  Caption = \n");
    EXPECT_THROW(b.LoadFromFile(file.string()), Classes::EParserError);
    EXPECT_EQ(b.GetDesignForm()->GetName(), "MainForm");
    // Deleting a component drops its handler's name; the saved file reads back.
    w->FBuddy = nullptr;
    d.DeleteComponent(d.GetDesignForm()->FindComponent("Gadget1"));
    d.SaveToFile(file.string());
    EXPECT_FALSE(d.IsModified());
    String saved = ReadText(file);
    EXPECT_EQ(saved.find("Gadget1"), String::npos);
    EXPECT_NE(saved.find("    OnPing = Widget1Ping\n"), String::npos);
}

TEST_F(TDesignFixture, ClipboardCopyAndPasteWithUniqueNames) {
    Ide::TDesigner d;
    TWidget* w1 = AddWidget(d, "Widget1");
    TWidget* w2 = AddWidget(d, "widget2");
    w1->FText = "Ünïcödé ✓";
    w1->FCount = 12;
    w1->FBuddy = w2;
    w1->GetLook()->FSize = 33;
    d.SetEventName(w1, GetPropInfo(w1, "OnPing"), "Widget1Ping");
    TComponentList list;
    list.Add(w1);
    list.Add(w2);
    d.CopyComponents(d.GetRoot(), &list);
    EXPECT_TRUE(d.CanPaste());
    String text = ClipboardText();
    EXPECT_NE(text.find("object Widget1: TWidget\r\n"), String::npos) << text;
    EXPECT_NE(text.find("object widget2: TWidget\r\n"), String::npos);
    // Pasted into the same form: names taken become the lowest free numbers, compared ignoring case.
    AddWidget(d, "WIDGET3");
    TComponentList pasted;
    d.PasteComponents(d.GetRoot(), d.GetRoot(), &pasted);
    ASSERT_EQ(pasted.Count(), 2);
    EXPECT_EQ(pasted[0]->GetName(), "Widget4");
    EXPECT_EQ(pasted[1]->GetName(), "Widget5");
    auto* p = static_cast<TWidget*>(pasted[0]);
    EXPECT_EQ(p->FText, "Ünïcödé ✓");
    EXPECT_EQ(p->FCount, 12);
    EXPECT_EQ(p->GetLook()->FSize, 33);
    EXPECT_EQ(p->FBuddy, w2); // a reference names a component of the owner
    EXPECT_EQ(p->GetOwner(), d.GetRoot());
    EXPECT_TRUE(p->GetComponentState().Contains(Classes::csDesigning));
    // Into another form, the names are free.
    Ide::TDesigner other;
    TComponentList again;
    other.PasteComponents(other.GetRoot(), other.GetRoot(), &again);
    ASSERT_EQ(again.Count(), 2);
    EXPECT_EQ(again[0]->GetName(), "Widget1");
    EXPECT_EQ(static_cast<TWidget*>(again[0])->FBuddy, again[1]);
    // Unique names the designer gives.
    EXPECT_EQ(d.UniqueName("Widget"), "Widget6");
    EXPECT_EQ(Ide::TDesigner().UniqueName("Form"), "Form2"); // the root's own name is taken too
    EXPECT_EQ(d.UniqueName("Gadget"), "Gadget1");
    // A class this process does not know: the records before it are pasted, then the error.
    Classes::TMemoryStream text2, foreign;
    String records = "object Widget1: TWidget\nend\nobject Alien1: TAlien\nend\n";
    text2.WriteBuffer(records.data(), records.size());
    text2.SetPosition(0);
    Classes::ObjectSequenceTextToBinary(text2, foreign);
    OpenClipboard(nullptr);
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size_t(foreign.GetSize()));
    std::memcpy(GlobalLock(block), foreign.Memory(), size_t(foreign.GetSize()));
    GlobalUnlock(block);
    SetClipboardData(Ide::ComponentClipboardFormat(), block);
    CloseClipboard();
    TComponentList partly;
    EXPECT_THROW(d.PasteComponents(d.GetRoot(), d.GetRoot(), &partly), Classes::EClassNotFound);
    ASSERT_EQ(partly.Count(), 1);
    EXPECT_EQ(partly[0]->GetName(), "Widget6");
    // Text on the clipboard is not components.
    OpenClipboard(nullptr);
    EmptyClipboard();
    CloseClipboard();
    EXPECT_FALSE(d.CanPaste());
    TComponentList none;
    d.PasteComponents(d.GetRoot(), d.GetRoot(), &none);
    EXPECT_EQ(none.Count(), 0);
}

TEST_F(TDesignFixture, ClipboardBetweenTwoProcesses) {
    // ide.exe copies from a form file in its own process; this process pastes, and the other way round.
    auto source = TempFile(L"CopyFrom.dfm");
    WriteText(source, "object Source: TSource\n"
                      "  object Timer1: TTimer\n"
                      "    Interval = 250\n"
                      "    OnTimer = Timer1Timer\n"
                      "  end\n"
                      "  object MainMenu1: TMainMenu\n"
                      "    object File1: TMenuItem\n"
                      "      Caption = '&Файл'\n"
                      "      object Open1: TMenuItem\n"
                      "        Caption = '開く'\n"
                      "      end\n"
                      "    end\n"
                      "  end\n"
                      "end\n");
    ASSERT_EQ(RunIde(L"copy \"" + source.wstring() + L"\" Timer1 MainMenu1"), 0);
    Ide::TDesigner d;
    auto* existing = new ExtCtrls::TTimer(d.GetRoot());
    existing->SetName("Timer1");
    ASSERT_TRUE(d.CanPaste());
    TComponentList pasted;
    d.PasteComponents(d.GetRoot(), d.GetRoot(), &pasted);
    ASSERT_EQ(pasted.Count(), 2);
    EXPECT_EQ(pasted[0]->GetName(), "Timer2");
    EXPECT_EQ(static_cast<ExtCtrls::TTimer*>(pasted[0])->GetInterval(), 250u);
    auto* menu = dynamic_cast<Menus::TMainMenu*>(pasted[1]);
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->GetItems()->GetCount(), 1);
    EXPECT_EQ(menu->GetItems()->GetItem(0)->GetCaption(), "&Файл");
    EXPECT_EQ(menu->GetItems()->GetItem(0)->GetItem(0)->GetCaption(), "開く");
    EXPECT_EQ(d.GetRoot()->FindComponent("Open1")->GetOwner(), d.GetRoot());
    // Back: this process copies, ide.exe pastes into a form file and saves it.
    TComponentList list;
    list.Add(menu);
    d.CopyComponents(d.GetRoot(), &list);
    auto target = TempFile(L"PasteInto.dfm");
    WriteText(target, "object Target: TTarget\n  object MainMenu1: TMainMenu\n  end\nend\n");
    ASSERT_EQ(RunIde(L"paste \"" + target.wstring() + L"\""), 0);
    String saved = ReadText(target);
    EXPECT_NE(saved.find("object Target: TTarget\n"), String::npos) << saved;
    EXPECT_NE(saved.find("  object MainMenu2: TMainMenu\n"), String::npos) << saved;
    EXPECT_NE(saved.find("Caption = #233#150#139#227#129#143\n"), String::npos) << saved; // 開く, as UTF-8
}

TEST_F(TDesignFixture, DesignWindowNotifications) {
    auto* d = new Ide::TDesigner;
    d->GetRoot()->SetName("Form7");
    TWidget* w1 = AddWidget(*d, "Widget1");
    TWidget* w2 = AddWidget(*d, "Widget2");
    auto window = std::make_unique<TRecordingWindow>(nullptr);
    window->SetDesigner(d);
    EXPECT_EQ(DesignWindows().back(), window.get());
    // A window's own selection reaches it back as the same list; another's is another list.
    auto* mine = new TComponentList;
    mine->Add(w1);
    mine->Add(w2);
    window->Hand(mine);
    EXPECT_EQ(window->Last, mine);
    d->SelectComponent(w2);
    EXPECT_NE(window->Last, mine);
    d->Modified();
    d->DeleteComponent(w2);
    EXPECT_EQ(window->Log,
              "selection Widget1 Widget2;selection Widget2;modified;deleted Widget2;selection Form7;"
              "modified;");
    EXPECT_EQ(d->GetSelection().Count(), 1);
    // The default unique name: the designer's, from the class name without "T".
    window->Log.clear();
    EXPECT_EQ(window->TDesignWindow::UniqueName(w1), "Widget2");
    // The host's Edit commands go to the window as far as its edit state allows.
    struct TActionCase {
        unsigned Key;
        bool Run;
    } actions[] = {{'C', true}, {'V', true}, {'X', false}, {'A', false}, {'Q', false}};
    for (const TActionCase& c : actions) {
        TEditAction a{};
        bool known = Ide::EditActionOfKey(c.Key, a);
        EXPECT_EQ(known && Ide::RunEditAction(window.get(), a), c.Run) << char(c.Key);
    }
    EXPECT_EQ(window->Log, "action 3;action 4;");
    window->Log.clear();
    // Activation of its window.
    window->SetBounds(10, 10, 100, 60);
    window->Show();
    SendMessageW(window->GetHandle(), WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_NE(window->Log.find("activated;"), String::npos);
    // The designer goes: the window hears the form close and loses its designer.
    window->Log.clear();
    delete d;
    EXPECT_EQ(window->Log, "closed Form7;");
    EXPECT_EQ(window->GetDesigner(), nullptr);
    window.reset();
    for (TDesignWindow* w : DesignWindows())
        EXPECT_NE(w->ClassName(), "TRecordingWindow");
}

TEST_F(TDesignFixture, ObjectInspectorRowsAndEditingInPlace) {
    Ide::TDesigner d;
    TWidget* w = AddWidget(d, "Widget1");
    d.SelectComponent(w);
    Ide::TObjectInspector inspector(&d);
    inspector.Show();
    EXPECT_EQ(WinTest::WindowText(inspector.GetHandle()), "Object Inspector");
    HWND list = FindWindowExW(inspector.GetHandle(), nullptr, L"LISTBOX", nullptr);
    HWND edit = FindWindowExW(inspector.GetHandle(), nullptr, L"EDIT", nullptr);
    HWND button = FindWindowExW(inspector.GetHandle(), nullptr, L"BUTTON", nullptr);
    auto rowOf = [&](const String& Prefix) {
        std::vector<String> rows = inspector.RowTexts();
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i].rfind(Prefix, 0) == 0) return int(i);
        return -1;
    };
    auto pick = [&](int Row, WORD Notification) {
        SendMessageW(list, LB_SETCURSEL, WPARAM(Row), 0);
        SendMessageW(inspector.GetHandle(), WM_COMMAND, MAKEWPARAM(0, Notification), LPARAM(list));
    };
    // The rows: every published property through its editor; sub-properties marked "+".
    for (const char* row : {"Name\tWidget1", "Count\t0", "Shade\tshLight", "+Shades\t[]", "Color\tclWhite",
                            "Flag\tFalse", "+Look\t(TLook)", "OnPing\t"})
        EXPECT_GE(rowOf(row), 0) << row;
    EXPECT_EQ(int(SendMessageW(list, LB_GETCOUNT, 0, 0)), int(inspector.RowTexts().size()));
    // In place: the edit box over the value, Enter applies; read-only rows get none, dialog rows "...".
    pick(rowOf("Count\t"), LBN_SELCHANGE);
    EXPECT_TRUE(IsWindowVisible(edit));
    SetWindowTextW(edit, L"77");
    SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(w->FCount, 77);
    EXPECT_GE(rowOf("Count\t77"), 0);
    {
        WinTest::TBoxDriver boxes;
        SetWindowTextW(edit, L"many");
        SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
        ASSERT_EQ(boxes.Seen().size(), 1u);
        EXPECT_EQ(boxes.Seen()[0].Text, "'many' is not a valid integer value.");
    }
    EXPECT_EQ(w->FCount, 77);
    pick(rowOf("+Look"), LBN_SELCHANGE);
    EXPECT_FALSE(IsWindowVisible(edit));
    EXPECT_TRUE(IsWindowVisible(button));
    // A double-click steps through a value list, expands and folds sub-properties.
    pick(rowOf("Shade\t"), LBN_DBLCLK);
    EXPECT_EQ(w->FShade, shDark);
    pick(rowOf("+Look"), LBN_DBLCLK);
    EXPECT_GE(rowOf("-Look"), 0);
    EXPECT_GE(rowOf("  Size\t1"), 0);
    pick(rowOf("  Size"), LBN_SELCHANGE);
    SetWindowTextW(edit, L"8");
    SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(w->GetLook()->FSize, 8);
    pick(rowOf("-Look"), LBN_DBLCLK);
    EXPECT_LT(rowOf("  Size"), 0);
    // "..." runs the dialog; a sub-property is found by its path.
    pick(rowOf("+Look"), LBN_SELCHANGE);
    SendMessageW(inspector.GetHandle(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), LPARAM(button));
    EXPECT_EQ(w->GetLook()->FTitle, "edited");
    ASSERT_NE(inspector.FindEditor("Look.Title"), nullptr);
    EXPECT_EQ(inspector.FindEditor("Look.Title")->GetValue(), "edited");
    EXPECT_EQ(inspector.FindEditor("Look.Nothing"), nullptr);
    // A new selection, new rows.
    d.SelectComponent(AddWidget(d, "Widget2"));
    inspector.Refresh();
    EXPECT_GE(rowOf("Name\tWidget2"), 0);
}

TEST_F(TDesignFixture, SessionClicksKeysAndWindows) {
    auto file = TempFile(L"Session.dfm");
    WriteText(
        file,
        "object SessionForm: TSessionForm\n"
        "  Left = 320\n  Top = 40\n  Caption = 'Session form'\n  ClientHeight = 160\n  ClientWidth = 300\n"
        "  object Label1: TLabel\n    Left = 100\n    Top = 100\n    Caption = 'A label'\n  end\n"
        "  object Button1: TButton\n    Left = 10\n    Top = 60\n    Width = 75\n    Height = 25\n"
        "    Caption = 'Press'\n  end\n"
        "  object Timer1: TTimer\n    Left = 8\n    Top = 8\n  end\n"
        "  object MainMenu1: TMainMenu\n    Left = 80\n    Top = 8\n"
        "    object File1: TMenuItem\n      Caption = '&File'\n    end\n  end\n"
        "end\n");
    Ide::TPackageManager ide;
    Ide::TSessionOptions options;
    ASSERT_TRUE(
        Ide::ParseSessionOptions({"design", file.string(), "--select", "Timer1", "--shots", "x"}, options));
    EXPECT_EQ(options.Select, "Timer1");
    EXPECT_FALSE(Ide::ParseSessionOptions({"design", file.string(), "--verb", "Timer1", "one"}, options));
    options = {};
    options.FormFile = file.string();
    Ide::TDesignSession s(ide, options);
    Ide::TDesigner& d = s.GetDesigner();
    TComponent* root = d.GetRoot();
    HWND form = d.GetDesignForm()->GetHandle();
    EXPECT_EQ(WinTest::WindowText(form), "Session form");
    for (const wchar_t* title : {L"Object Inspector", L"Component Palette", L"Session form"})
        EXPECT_NE(FindWindowW(nullptr, title), nullptr);
    auto message = [](HWND h, UINT m, WPARAM w, int x = 0, int y = 0) {
        MSG r{};
        r.hwnd = h;
        r.message = m;
        r.wParam = w;
        r.lParam = MAKELPARAM(x, y);
        return r;
    };
    auto selected = [&] {
        String names;
        for (TComponent* c : d.GetSelection())
            names += (names.empty() ? "" : " ") + c->GetName();
        return names;
    };
    auto* button = static_cast<Controls::TWinControl*>(root->FindComponent("Button1"));
    TComponent* timer = root->FindComponent("Timer1");
    TComponent* menu = root->FindComponent("MainMenu1");
    // Clicks select: a graphic control on the form's window, a control's own window (Shift adds), an icon.
    EXPECT_NE(s.IconWindow(timer), nullptr);
    EXPECT_EQ(s.IconWindow(button), nullptr);
    EXPECT_TRUE(s.HandleMessage(message(form, WM_LBUTTONDOWN, 0, 105, 103)));
    EXPECT_EQ(selected(), "Label1");
    EXPECT_TRUE(s.HandleMessage(message(button->GetHandle(), WM_LBUTTONDOWN, MK_SHIFT, 3, 3)));
    EXPECT_EQ(selected(), "Label1 Button1");
    EXPECT_TRUE(s.HandleMessage(message(form, WM_LBUTTONDOWN, 0, 250, 150)));
    EXPECT_EQ(selected(), "SessionForm");
    EXPECT_TRUE(s.HandleMessage(message(s.IconWindow(timer), WM_LBUTTONDOWN, 0, 5, 5)));
    EXPECT_EQ(selected(), "Timer1");
    std::vector<String> rows = s.GetInspector().RowTexts();
    EXPECT_NE(std::find(rows.begin(), rows.end(), "Interval\t1000"), rows.end());
    // Keys on the form: Ctrl+C and Ctrl+V paste a copy (selected), Delete deletes the selection.
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    EXPECT_TRUE(s.HandleMessage(message(form, WM_KEYDOWN, 'C')));
    EXPECT_TRUE(s.HandleMessage(message(form, WM_KEYDOWN, 'V')));
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(selected(), "Timer2");
    TComponent* copy = root->FindComponent("Timer2");
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(s.IconWindow(copy), nullptr);
    EXPECT_TRUE(s.HandleMessage(message(form, WM_KEYDOWN, VK_DELETE)));
    EXPECT_EQ(root->FindComponent("Timer2"), nullptr);
    EXPECT_EQ(selected(), "SessionForm");
    // A double-click on a plain menu opens the framework's menu designer, titled owner "." menu.
    EXPECT_TRUE(s.HandleMessage(message(s.IconWindow(menu), WM_LBUTTONDBLCLK, 0, 5, 5)));
    HWND menuDesigner = FindWindowW(nullptr, L"SessionForm.MainMenu1");
    ASSERT_NE(menuDesigner, nullptr);
    EXPECT_TRUE(IsWindowVisible(menuDesigner));
    // Messages of other windows pass; deleting the menu closes its designer.
    EXPECT_FALSE(
        s.HandleMessage(message(FindWindowW(nullptr, L"Object Inspector"), WM_LBUTTONDOWN, 0, 5, 5)));
    d.SelectComponent(menu);
    EXPECT_TRUE(s.HandleMessage(message(form, WM_KEYDOWN, VK_DELETE)));
    EXPECT_EQ(FindWindowW(nullptr, L"SessionForm.MainMenu1"), nullptr);
    EXPECT_TRUE(d.IsModified());
}

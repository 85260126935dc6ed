// The menu designer window driven as a person drives it, in a design session of the IDE's designer: the
// verb opens it, keys and buttons edit the list, the host's notices reach it, the clipboard goes through the
// host, editions are saved and opened through the real dialogs and questions, and its popup is drawn.
#include "menus/design/SdText.h"
#include "menus/design/VmBar.h"
#include "menus/design/VmReg.h"
#include "tests/menus/designer/DialogDriver.h"

#include "examples/common/WindowShot.h"
#include "ide/IdeDesigner.h"
#include "ide/IdePackages.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using Classes::TComponent;
using DesignerTest::TAnswer;
using DesignerTest::TAnswers;
using SysUtils::String;
using VeskMenu::TVeskMenu;
using VeskMenu::TVeskMenuItem;
using VmDsgn::TVmDesignForm;

const char* const FormText = R"(object Form1: TForm1
  Caption = 'Form1'
  object MainMenu1: TMainMenu
    object A: TMenuItem
      Caption = 'A'
      object A1: TMenuItem
        Caption = 'A1'
      end
      object A2: TMenuItem
        Caption = 'A2'
      end
    end
    object B: TMenuItem
      Caption = 'B'
    end
  end
  object VeskMenu1: TVeskMenu
    object VeskMenuItem1: TVeskMenuItem
      MenuItem = A
    end
    object veskmenuitem2: TVeskMenuItem
      MenuItem = B
    end
  end
  object VeskMenu2: TVeskMenu
    object Other1: TVeskMenuItem
      MenuItem = A1
    end
  end
  object Timer1: TTimer
  end
  object Timer2: TTimer
  end
end
)";

String TempPath(const String& Name) {
    return (std::filesystem::temp_directory_path() / Name).string();
}

// A design session of Form1 with the package's editors registered, and the designer window opened on
// VeskMenu1 by the menu's verb.
struct TSession {
    Ide::TPackageManager Ide; // the registration host
    Ide::TDesigner Designer;
    int Modifications = 0;
    TVmDesignForm* Window = nullptr;

    TSession() {
        VmReg::Register();
        String file = TempPath("vmdsgn-form.dfm");
        std::ofstream(file, std::ios::binary) << FormText;
        Designer.LoadFromFile(file);
        Designer.OnModified = [this] { ++Modifications; };
        Window = Open("VeskMenu1");
    }
    ~TSession() { delete VmDsgn::VmDesignForm; }
    TComponent* Find(const char* Name) const { return Designer.GetRoot()->FindComponent(Name); }
    TVeskMenu* Menu(const char* Name) const { return dynamic_cast<TVeskMenu*>(Find(Name)); }
    TVmDesignForm* Open(const char* MenuName) {
        auto editor = Designer.MakeComponentEditor(Find(MenuName));
        EXPECT_EQ(editor->GetVerbCount(), 1);
        EXPECT_EQ(editor->GetVerb(0), "V&M Designer...");
        editor->ExecuteVerb(0);
        return VmDsgn::VmDesignForm;
    }
    std::vector<String> Rows() const {
        std::vector<String> out;
        for (int i = 0; i < Window->lbItems->GetItems()->GetCount(); ++i)
            out.push_back(Window->lbItems->GetItems()->Get(i));
        return out;
    }
    std::vector<String> Items(const char* MenuName = "VeskMenu1") const {
        std::vector<String> out;
        for (int i = 0; i < Menu(MenuName)->GetCount(); ++i)
            out.push_back(Menu(MenuName)->GetItem(i)->GetName());
        return out;
    }
    std::vector<String> Selection() const {
        std::vector<String> out;
        for (TComponent* c : Designer.GetSelection())
            out.push_back(c->GetName());
        return out;
    }
    std::vector<int> Marked() const {
        std::vector<int> out;
        for (int i = 0; i < Window->lbItems->GetItems()->GetCount(); ++i)
            if (Window->lbItems->GetSelected(i)) out.push_back(i);
        return out;
    }
    void Mark(std::initializer_list<int> Rows) {
        for (int i = 0; i < Window->lbItems->GetItems()->GetCount(); ++i)
            Window->lbItems->SetSelected(i, std::find(Rows.begin(), Rows.end(), i) != Rows.end());
        Window->lbItemsClick(Window->lbItems);
    }
    // A left click on a graphic control: the mouse goes to its parent, the window.
    void Press(Controls::TControl* Control) {
        HWND form = Window->GetHandle();
        LPARAM at = MAKELPARAM(Control->GetLeft() + Control->GetWidth() / 2,
                               Control->GetTop() + Control->GetHeight() / 2);
        SendMessageW(form, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(form, WM_LBUTTONUP, 0, at);
    }
    // A key pressed in the list, as the window gets it.
    void Key(WORD VirtualKey) {
        HWND list = Window->lbItems->GetHandle();
        SendMessageW(list, WM_KEYDOWN, VirtualKey, 0);
        SendMessageW(list, WM_KEYUP, VirtualKey, LPARAM(0xC0000000));
    }
};

TEST(Designer, OpensOnTheVerbAddsDeletesAndMovesRows) {
    TSession s;
    EXPECT_EQ(WinTest::WindowText(s.Window->GetHandle()), "Form1.VeskMenu1");
    EXPECT_TRUE(IsWindowVisible(s.Window->GetHandle()));
    EXPECT_EQ(s.Rows(), (std::vector<String>{"VeskMenuItem1", "veskmenuitem2"}));
    EXPECT_EQ(s.Selection(), std::vector<String>{"VeskMenu1"}) << "nothing marked: the menu is the selection";

    // Ins: a new item named past the two taken names (compared ignoring case), marked and selected.
    s.Key(VK_INSERT);
    EXPECT_EQ(s.Rows(), (std::vector<String>{"VeskMenuItem1", "veskmenuitem2", "VeskMenuItem3"}));
    EXPECT_EQ(s.Items(), s.Rows());
    EXPECT_EQ(s.Marked(), std::vector<int>{2});
    EXPECT_EQ(s.Selection(), std::vector<String>{"VeskMenuItem3"});
    EXPECT_EQ(s.Find("VeskMenuItem3")->GetOwner(), s.Designer.GetRoot());
    EXPECT_TRUE(s.Window->GetModified());

    // Moves: the first row up, the last row down and two marked rows change nothing but tell the designer.
    struct TMove {
        std::initializer_list<int> Marked;
        bool Up;
        std::vector<String> After;
    };
    const TMove moves[] = {
        {{0}, true, {"VeskMenuItem1", "veskmenuitem2", "VeskMenuItem3"}},
        {{2}, false, {"VeskMenuItem1", "veskmenuitem2", "VeskMenuItem3"}},
        {{0, 1}, false, {"VeskMenuItem1", "veskmenuitem2", "VeskMenuItem3"}},
        {{0}, false, {"veskmenuitem2", "VeskMenuItem1", "VeskMenuItem3"}},
        {{2}, true, {"veskmenuitem2", "VeskMenuItem3", "VeskMenuItem1"}},
    };
    for (const TMove& m : moves) {
        s.Mark(m.Marked);
        int before = s.Modifications;
        s.Press(m.Up ? s.Window->SpeedButton1 : s.Window->SpeedButton2);
        EXPECT_EQ(s.Rows(), m.After);
        EXPECT_EQ(s.Items(), m.After);
        EXPECT_EQ(s.Modifications, before + 1);
    }
    EXPECT_EQ(s.Marked(), std::vector<int>{1}) << "the moved row stays marked";

    // Del of the last two rows selects the row before them; of every row, the menu.
    s.Mark({1, 2});
    s.Key(VK_DELETE);
    EXPECT_EQ(s.Rows(), std::vector<String>{"veskmenuitem2"});
    EXPECT_EQ(s.Items(), s.Rows());
    EXPECT_EQ(s.Find("VeskMenuItem1"), nullptr);
    EXPECT_EQ(s.Selection(), std::vector<String>{"veskmenuitem2"});
    EXPECT_EQ(s.Marked(), std::vector<int>{0});
    s.Mark({0});
    s.Window->DeleteSelection();
    EXPECT_TRUE(s.Rows().empty());
    EXPECT_EQ(s.Selection(), std::vector<String>{"VeskMenu1"});
}

TEST(Designer, HearsRenamesSelectionsElsewhereAndTheMenuGoing) {
    TSession s;
    // A rename in the Object Inspector shows on the next form-modified notice.
    s.Find("veskmenuitem2")->SetName("Renamed");
    EXPECT_EQ(s.Rows()[1], "veskmenuitem2");
    s.Find("VeskMenu1")->SetName("Menu9");
    s.Designer.Modified();
    EXPECT_EQ(s.Rows(), (std::vector<String>{"VeskMenuItem1", "Renamed"}));
    EXPECT_EQ(WinTest::WindowText(s.Window->GetHandle()), "Form1.Menu9");
    s.Find("Menu9")->SetName("VeskMenu1");
    // An item of the other menu selected elsewhere: the window turns to that menu and marks its row.
    s.Designer.SelectComponent(s.Find("Other1"));
    EXPECT_EQ(WinTest::WindowText(s.Window->GetHandle()), "Form1.VeskMenu2");
    EXPECT_EQ(s.Rows(), std::vector<String>{"Other1"});
    EXPECT_EQ(s.Marked(), std::vector<int>{0});
    // The verb on the first menu again binds the same window to it.
    EXPECT_EQ(s.Open("VeskMenu1"), s.Window);
    EXPECT_EQ(s.Rows(), (std::vector<String>{"VeskMenuItem1", "Renamed"}));
    // Host edit states follow the marked rows.
    s.Mark({});
    EXPECT_FALSE(s.Window->GetEditState().Contains(DsgnIntf::esCanDelete));
    s.Mark({0});
    EXPECT_TRUE(s.Window->GetEditState().Contains(DsgnIntf::esCanCopy));
    // An item deleted in the designer leaves its row; the menu deleted unbinds the window (then released).
    s.Designer.DeleteComponent(s.Find("Renamed"));
    EXPECT_EQ(s.Rows(), std::vector<String>{"VeskMenuItem1"});
    s.Designer.DeleteComponent(s.Find("VeskMenu1"));
    EXPECT_EQ(s.Window->GetVeskMenuComp(), nullptr);
    EXPECT_TRUE(s.Rows().empty());
}

TEST(Designer, GeneratesItemsForAPlainMenuParentsFirst) {
    TSession s;
    s.Window->GenerateFor("MainMenu1");
    EXPECT_EQ(s.Rows(), (std::vector<String>{"VeskMenuItem1", "veskmenuitem2", "VeskMenuItem3",
                                             "VeskMenuItem4", "VeskMenuItem5", "VeskMenuItem6"}));
    std::vector<String> linked;
    for (int i = 2; i < 6; ++i)
        linked.push_back(s.Menu("VeskMenu1")->GetItem(i)->GetMenuItem()->GetName());
    EXPECT_EQ(linked, (std::vector<String>{"A", "A1", "A2", "B"}));
    EXPECT_EQ(s.Menu("VeskMenu1")->GetItem(5)->GetMenu(), s.Find("MainMenu1"));
    EXPECT_EQ(s.Selection(), std::vector<String>{"VeskMenuItem6"});
    EXPECT_THROW(s.Window->GenerateFor("mainmenu1"), SysUtils::Exception) << "the name exactly";
}

TEST(Designer, PastesOnlyItemsWithOneWarning) {
    TSession s;
    DsgnIntf::TComponentList list;
    for (const char* name : {"Timer1", "Other1", "Timer2"})
        list.Add(s.Find(name));
    s.Designer.CopyComponents(s.Designer.GetRoot(), &list);
    int components = s.Designer.GetRoot()->GetComponentCount();
    WinTest::TBoxDriver boxes;
    s.Window->PasteFromClipboard();
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_EQ(boxes.Seen()[0].Text, "Can not paste a TTimer component here");
    EXPECT_EQ(s.Rows(), (std::vector<String>{"VeskMenuItem1", "veskmenuitem2", "VeskMenuItem3"}));
    EXPECT_EQ(s.Items(), s.Rows());
    EXPECT_EQ(s.Designer.GetRoot()->GetComponentCount(), components + 1);
    EXPECT_EQ(s.Marked(), std::vector<int>{2});
    EXPECT_EQ(s.Selection(), std::vector<String>{"VeskMenuItem3"});
}

TEST(Designer, CutsPastesAndSelectsAllThroughTheHostsEditCommands) {
    TSession s;
    s.Mark({0});
    EXPECT_TRUE(s.Window->GetEditState().Contains(DsgnIntf::esCanCut));
    s.Window->EditAction(DsgnIntf::eaCut);
    EXPECT_EQ(s.Rows(), std::vector<String>{"veskmenuitem2"});
    EXPECT_EQ(s.Find("VeskMenuItem1"), nullptr);
    EXPECT_TRUE(s.Window->GetEditState().Contains(DsgnIntf::esCanPaste));
    s.Window->EditAction(DsgnIntf::eaPaste);
    EXPECT_EQ(s.Rows(), (std::vector<String>{"veskmenuitem2", "VeskMenuItem1"}));
    EXPECT_EQ(s.Items(), s.Rows());
    EXPECT_EQ(s.Menu("VeskMenu1")->GetItem(1)->GetMenuItem(), s.Find("A"));
    // Pasted again: the name is taken now, so the copy gets the next free one.
    s.Window->EditAction(DsgnIntf::eaPaste);
    EXPECT_EQ(s.Rows().back(), "VeskMenuItem3");
    s.Window->EditAction(DsgnIntf::eaSelectAll);
    EXPECT_EQ(s.Marked(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(s.Selection(), (std::vector<String>{"veskmenuitem2", "VeskMenuItem1", "VeskMenuItem3"}));
    // A selection made elsewhere; activating the window hands its own back.
    s.Designer.SelectComponent(s.Find("Timer1"));
    EXPECT_EQ(s.Selection(), std::vector<String>{"Timer1"});
    SendMessageW(s.Window->GetHandle(), WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(s.Selection(), (std::vector<String>{"veskmenuitem2", "VeskMenuItem1", "VeskMenuItem3"}));
}

TEST(Designer, SavesAndOpensEditionsThroughTheDialogsAndTheQuestion) {
    TSession s;
    String a = TempPath("vmdsgn-a.vmn"), b = TempPath("vmdsgn-b.vmn");
    std::filesystem::remove(a);
    std::filesystem::remove(b);
    {
        // Save without a name asks for one, then tells.
        TAnswers d({{IDOK, a}, {IDOK, ""}});
        s.Window->miSaveClick(nullptr);
        ASSERT_EQ(d.Seen().size(), 2u);
        EXPECT_EQ(d.Seen()[0].Title, "Save VeskMenus edition");
        EXPECT_EQ(d.Seen()[1].Text, "Edition vmdsgn-a.vmn saved");
    }
    EXPECT_EQ(SysUtils::UpperCase(s.Window->GetFileName()), SysUtils::UpperCase(a));
    EXPECT_FALSE(s.Window->GetModified());
    {
        // Save As, cancelled: the name is forgotten; the next Save asks again.
        TAnswers d({{IDCANCEL, ""}, {IDCANCEL, ""}});
        s.Window->miSaveAsClick(nullptr);
        EXPECT_EQ(s.Window->GetFileName(), "");
        s.Window->miSaveClick(nullptr);
        EXPECT_EQ(d.Seen().size(), 2u);
        EXPECT_EQ(d.Seen()[1].Title, "Save VeskMenus edition");
    }
    s.Key(VK_INSERT);
    std::vector<String> three = s.Rows();
    {
        // Unsaved changes: Cancel leaves everything; No opens the edition without saving.
        TAnswers d({{IDCANCEL, ""}});
        s.Window->miOpenClick(nullptr);
        EXPECT_EQ(d.Seen().at(0).Text, "Do you want to save current?");
        EXPECT_EQ(s.Rows(), three);
        EXPECT_TRUE(s.Window->GetModified());
    }
    {
        TAnswers d({{IDNO, ""}, {IDOK, a}});
        s.Window->miOpenClick(nullptr);
        ASSERT_EQ(d.Seen().size(), 2u);
        EXPECT_EQ(d.Seen()[1].Title, "Open VeskMenus edition");
    }
    EXPECT_EQ(s.Rows(), (std::vector<String>{"VeskMenuItem1", "veskmenuitem2"}));
    EXPECT_EQ(s.Items(), s.Rows());
    EXPECT_FALSE(s.Window->GetModified());
    EXPECT_EQ(s.Find("VeskMenuItem3"), nullptr);
    EXPECT_EQ(s.Menu("VeskMenu1")->GetItem(1)->GetMenuItem(), s.Find("B"));
    EXPECT_EQ(s.Selection(), std::vector<String>{"veskmenuitem2"}) << "the last item read";

    // A damaged edition costs nothing: truncated, or holding a component of another kind.
    std::vector<TVeskMenuItem*> before = {s.Menu("VeskMenu1")->GetItem(0), s.Menu("VeskMenu1")->GetItem(1)};
    std::ifstream in(a, std::ios::binary);
    String bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    String foreign = bytes;
    foreign.replace(foreign.find("\x0DTVeskMenuItem\x0DVeskMenuItem1"), 28, "\x09TMenuItem\x0DVeskMenuItem1");
    for (const String& damaged : {bytes.substr(0, bytes.size() - 5), foreign}) {
        std::ofstream(b, std::ios::binary) << damaged;
        EXPECT_THROW(s.Window->OpenFile(b), SysUtils::Exception);
        EXPECT_EQ(s.Rows(), (std::vector<String>{"VeskMenuItem1", "veskmenuitem2"}));
        EXPECT_EQ(s.Menu("VeskMenu1")->GetItem(0), before[0]);
        EXPECT_EQ(s.Menu("VeskMenu1")->GetItem(1), before[1]);
        EXPECT_EQ(SysUtils::UpperCase(s.Window->GetFileName()), SysUtils::UpperCase(a));
    }
}

TEST(Designer, ItsPopupIsDrawnByItsOwnMenuComponent) {
    TSession s;
    s.Mark({0});
    HWND list = s.Window->lbItems->GetHandle();
    struct TShot {
        int Green = 0;
        std::vector<String> Generate;
        TVmDesignForm* Window;
    } shot{0, {}, s.Window};
    static TShot* current;
    current = &shot;
    // Inside the popup's loop: count the add glyph's green plus in the menu's pixels, then close it.
    UINT_PTR timer = SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR id, DWORD) {
        HWND menu = Examples::OpenMenuWindow();
        if (menu == nullptr) return;
        KillTimer(nullptr, id);
        int w = 0, h = 0;
        std::vector<uint32_t> pixels = Examples::CaptureWindow(menu, w, h);
        for (uint32_t p : pixels)
            current->Green += (p & 0xFFFFFF) == 0x008000 ? 1 : 0;
        for (int i = 0; i < current->Window->miGenerate->GetCount(); ++i)
            current->Generate.push_back(current->Window->miGenerate->GetItem(i)->GetCaption());
        EndMenu();
    });
    SendMessageW(list, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 5));
    SendMessageW(list, WM_RBUTTONUP, 0, MAKELPARAM(10, 5));
    KillTimer(nullptr, timer);
    EXPECT_GE(shot.Green, 20) << "the green plus of \"&Add Item\"";
    EXPECT_EQ(shot.Generate, std::vector<String>{"MainMenu1"});
    // The generated entry's item: the window's Image picture, purple as its transparent colour.
    TVeskMenuItem* generated = s.Window->pupVM->FindItem(s.Window->pupMenu, s.Window->miGenerate->GetItem(0));
    ASSERT_NE(generated, nullptr);
    EXPECT_EQ(generated->GetPicture()->GetWidth(), 16);
    EXPECT_EQ(generated->GetTrColor(), Graphics::clPurple);
    EXPECT_EQ(s.Window->pupVM->FindItem(s.Window->pupMenu, s.Window->miAdd)->GetTrColor(),
              Graphics::clFuchsia);
}

} // namespace

namespace {

// A top-level window of the host, found by its title.
struct THostWindow {
    HWND Handle;
    explicit THostWindow(const wchar_t* Title)
        : Handle(CreateWindowExW(0, L"STATIC", Title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 400, 10, 200, 100,
                                 nullptr, nullptr, nullptr, nullptr)) {}
    ~THostWindow() { DestroyWindow(Handle); }
};

// A key with Shift or Ctrl held, as the list reads the keyboard's state.
void KeyWith(TSession& S, BYTE Modifier, WORD VirtualKey) {
    BYTE state[256] = {};
    GetKeyboardState(state);
    BYTE saved = state[Modifier];
    state[Modifier] = 0x80;
    SetKeyboardState(state);
    S.Key(VirtualKey);
    state[Modifier] = saved;
    SetKeyboardState(state);
}

TEST(Designer, JumpsToTheHostsWindowsByTheirTitles) {
    TSession s;
    THostWindow inspector(L"Object Inspector"), menuDesigner(L"Form1.MainMenu1");
    s.Mark({0}); // VeskMenuItem1: entry A of MainMenu1
    struct TJump {
        BYTE Modifier;
        WORD Key;
        const char* Selected;
        HWND Active;
    };
    const TJump jumps[] = {
        {VK_SHIFT, VK_F11, "A", inspector.Handle},
        {VK_CONTROL, VK_F11, "MainMenu1", inspector.Handle},
        {VK_SHIFT, VK_F9, "A", menuDesigner.Handle},
    };
    for (const TJump& j : jumps) {
        SCOPED_TRACE(j.Selected);
        SetForegroundWindow(s.Window->GetHandle());
        KeyWith(s, j.Modifier, j.Key);
        EXPECT_EQ(s.Selection(), std::vector<String>{j.Selected});
        EXPECT_EQ(GetForegroundWindow(), j.Active);
    }
    EXPECT_TRUE(s.Window->HasMenuDesignerWindow());
    // Two rows marked: the jumps do nothing; without the windows, nothing happens either.
    s.Mark({0, 1});
    KeyWith(s, VK_SHIFT, VK_F11);
    EXPECT_EQ(s.Selection(), (std::vector<String>{"VeskMenuItem1", "veskmenuitem2"}));
    DestroyWindow(menuDesigner.Handle);
    EXPECT_FALSE(s.Window->HasMenuDesignerWindow());
    s.Mark({1});
    KeyWith(s, VK_SHIFT, VK_F9);
    EXPECT_EQ(s.Selection(), std::vector<String>{"B"});
}

TEST(Designer, GoesWhenItsFormCloses) {
    auto s = std::make_unique<TSession>();
    ASSERT_NE(VmDsgn::VmDesignForm, nullptr);
    s->Designer.NewForm("Form2", "TForm2"); // the designed form goes, and with it the menu
    EXPECT_EQ(s->Window->GetVeskMenuComp(), nullptr);
    WinTest::PumpUntil([] { return VmDsgn::VmDesignForm == nullptr; }, 5000);
    EXPECT_EQ(VmDsgn::VmDesignForm, nullptr) << "released";
}

} // namespace

namespace {

// The open form of class T among the screen's forms, once it is visible.
template <class T> T* OpenDialog() {
    for (int i = 0; i < Forms::Screen->GetFormCount(); ++i)
        if (auto* f = dynamic_cast<T*>(Forms::Screen->GetForm(i)); f && IsWindowVisible(f->GetHandle()))
            return f;
    return nullptr;
}

// The editor of the selection's property Name, as the Object Inspector makes it.
std::unique_ptr<DsgnIntf::TPropertyEditor>
SelectionEditor(TSession& S, std::initializer_list<const char*> Names, const char* Property) {
    auto* list = new DsgnIntf::TComponentList;
    for (const char* n : Names)
        list->Add(S.Find(n));
    S.Designer.SetSelections(list);
    for (auto& e : S.Designer.SelectionEditors())
        if (e->GetName() == Property) return std::move(e);
    return nullptr;
}

TEST(Registration, TheBarAndShadowEditorsWriteTheDialogsCopyIntoEverySelectedComponent) {
    TSession s;
    TVeskMenu *one = s.Menu("VeskMenu1"), *two = s.Menu("VeskMenu2");
    auto bar = SelectionEditor(s, {"VeskMenu1", "VeskMenu2"}, "MenuBar");
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->ClassName(), "TVeskMenuBarEditor");
    EXPECT_TRUE(bar->GetAttributes().Contains(DsgnIntf::paDialog));
    EXPECT_TRUE(bar->GetAttributes().Contains(DsgnIntf::paSubProperties));
    // Cancel leaves the bars; OK gives each menu an equal copy of the dialog's.
    for (int button : {IDCANCEL, IDOK}) {
        DialogsTest::TScript script({[button] {
            auto* d = OpenDialog<VmBar::TVeskMenuBarForm>();
            if (d == nullptr) return false;
            d->edtCaption->SetText("Side");
            PostMessageW((button == IDOK ? d->OKBtn : d->CancelBtn)->GetHandle(), BM_CLICK, 0, 0);
            return true;
        }});
        int before = s.Modifications;
        bar->Edit();
        EXPECT_TRUE(script.Finished());
        String expected = button == IDOK ? "Side" : "";
        EXPECT_EQ(one->GetMenuBar()->GetCaption(), expected);
        EXPECT_EQ(two->GetMenuBar()->GetCaption(), expected);
        EXPECT_EQ(s.Modifications > before, button == IDOK);
    }
    EXPECT_NE(one->GetMenuBar(), two->GetMenuBar());
    // The shadow of two items of two menus.
    auto shadow = SelectionEditor(s, {"VeskMenuItem1", "Other1"}, "Shadow");
    ASSERT_NE(shadow, nullptr);
    EXPECT_EQ(shadow->ClassName(), "TShadowTextEditor");
    DialogsTest::TScript script({[] {
        auto* d = OpenDialog<SdText::TShadowTextForm>();
        if (d == nullptr) return false;
        d->cbActive->SetChecked(true);
        d->edtShadowSize->SetText("3");
        PostMessageW(d->OKBtn->GetHandle(), BM_CLICK, 0, 0);
        return true;
    }});
    shadow->Edit();
    for (const char* name : {"VeskMenuItem1", "Other1"}) {
        auto* item = dynamic_cast<TVeskMenuItem*>(s.Find(name));
        EXPECT_TRUE(item->GetShadow()->GetActive()) << name;
        EXPECT_EQ(item->GetShadow()->GetShadowSize(), 3) << name;
    }
}

} // namespace

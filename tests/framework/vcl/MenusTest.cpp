// Menus: the Windows menus built from the item tree, commands, shortcuts, help contexts, popups, streaming.
#include "framework/vcl/Menus.h"
#include "tests/framework/vcl/VclTestSupport.h"
#include "tests/support/FormText.h"

#include <set>

namespace {

using namespace Menus;
using VclTest::String;

// What the Windows menu holds at Pos: type, state, id, submenu and text.
struct TEntry {
    UINT Type = 0, State = 0, Id = 0;
    HMENU SubMenu = nullptr;
    String Text;
};
TEntry EntryAt(HMENU Menu, UINT Pos) {
    wchar_t text[512] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 511;
    EXPECT_TRUE(GetMenuItemInfoW(Menu, Pos, TRUE, &info)) << Pos;
    return {info.fType, info.fState, info.wID, info.hSubMenu, VclTest::Utf8(text)};
}

TMenuItem* NewItem(Classes::TComponent* Owner, TMenuItem* Parent, const String& Caption) {
    auto* item = new TMenuItem(Owner);
    item->SetCaption(Caption);
    if (Parent != nullptr) Parent->Add(item);
    return item;
}

// Counts the menu-changed notices that reach a form.
struct TNoticeCounter : System::TObject {
    Forms::TForm* Form;
    Messages::TWndMethod Old;
    int Count = 0;
    explicit TNoticeCounter(Forms::TForm* AForm) : Form(AForm), Old(AForm->GetWindowProc()) {
        Form->SetWindowProc(Messages::TWndMethod::Bind<&TNoticeCounter::Proc>(this));
    }
    ~TNoticeCounter() override { Form->SetWindowProc(Old); }
    void Proc(Messages::TMessage& M) {
        if (M.Msg == CM_MENUCHANGED) ++Count;
        Old(M);
    }
};

} // namespace

TEST(Menus, TheMenuBarIsBuiltFromTheTreeAndRebuiltOnChanges) {
    auto form = std::make_unique<Forms::TForm>(nullptr);
    auto* menu = new TMainMenu(form.get());
    TMenuItem* file = NewItem(form.get(), menu->GetItems(), "&File");
    TMenuItem* open = NewItem(form.get(), file, "&Open");
    open->SetShortCut(ShortCut('O', {ssCtrl}));
    open->SetDefault(true);
    NewItem(form.get(), file, "-");
    TMenuItem* hidden = NewItem(form.get(), file, "Hidden");
    hidden->SetVisible(false);
    TMenuItem* exitItem = NewItem(form.get(), file, "E&xit");
    exitItem->SetEnabled(false);
    exitItem->SetChecked(true);
    exitItem->SetBreak(mbBarBreak);
    TMenuItem* radio = NewItem(form.get(), menu->GetItems(), "Радио 日本");
    radio->SetRadioItem(true);
    radio->SetChecked(true);
    form->SetMenu(menu);
    HWND wnd = form->GetHandle();
    ASSERT_EQ(GetMenu(wnd), menu->GetHandle());
    EXPECT_EQ(menu->GetWindowHandle(), wnd);

    HMENU bar = menu->GetHandle();
    ASSERT_EQ(GetMenuItemCount(bar), 2);
    TEntry fileEntry = EntryAt(bar, 0);
    EXPECT_EQ(fileEntry.SubMenu, file->GetHandle());
    EXPECT_EQ(fileEntry.Text, "&File");
    EXPECT_EQ(fileEntry.Id, 0u); // an entry with a submenu is known by its submenu
    TEntry radioEntry = EntryAt(bar, 1);
    EXPECT_EQ(radioEntry.Text, "Радио 日本");
    EXPECT_EQ(radioEntry.Type & MFT_RADIOCHECK, UINT(MFT_RADIOCHECK));
    EXPECT_EQ(radioEntry.State & MFS_CHECKED, UINT(MFS_CHECKED));
    EXPECT_EQ(radioEntry.Id, radio->GetCommand());

    HMENU sub = file->GetHandle();
    ASSERT_EQ(GetMenuItemCount(sub), 3); // the invisible item has no entry
    TEntry o = EntryAt(sub, 0), s = EntryAt(sub, 1), x = EntryAt(sub, 2);
    EXPECT_EQ(o.Text, "&Open\tCtrl+O");
    EXPECT_EQ(o.State & MFS_DEFAULT, UINT(MFS_DEFAULT));
    EXPECT_EQ(o.Id, open->GetCommand());
    EXPECT_EQ(s.Type & MFT_SEPARATOR, UINT(MFT_SEPARATOR));
    EXPECT_EQ(x.Text, "E&xit");
    EXPECT_EQ(x.State & (MFS_GRAYED | MFS_CHECKED), UINT(MFS_GRAYED | MFS_CHECKED));
    EXPECT_EQ(x.Type & MFT_MENUBARBREAK, UINT(MFT_MENUBARBREAK));

    // A change makes the parent's entries afresh (taking away flags others set) and tells the form.
    TNoticeCounter notices(form.get());
    ModifyMenuW(sub, open->GetCommand(), MF_BYCOMMAND | MF_OWNERDRAW, open->GetCommand(), nullptr);
    hidden->SetVisible(true);
    ASSERT_EQ(GetMenuItemCount(sub), 4);
    EXPECT_EQ(EntryAt(sub, 0).Type & MFT_OWNERDRAW, 0u);
    EXPECT_EQ(EntryAt(sub, 2).Text, "Hidden");
    exitItem->SetCaption("Quit");
    EXPECT_EQ(EntryAt(sub, 3).Text, "Quit");
    open->SetMenuIndex(3);
    EXPECT_EQ(EntryAt(sub, 3).Text, "&Open\tCtrl+O");
    EXPECT_EQ(notices.Count, 3);
    // Setting a value to what it is changes nothing.
    exitItem->SetCaption("Quit");
    EXPECT_EQ(notices.Count, 3);

    // Items by command, by handle and by shortcut; commands are unique.
    EXPECT_EQ(menu->FindItem(open->GetCommand(), fkCommand), open);
    EXPECT_EQ(menu->FindItem(UINT_PTR(file->GetHandle()), fkHandle), file);
    EXPECT_EQ(menu->FindItem(ShortCut('O', {ssCtrl}), fkShortCut), open);
    EXPECT_EQ(menu->FindItem(0xFFFF, fkCommand), nullptr);
    std::set<WORD> commands{file->GetCommand(), open->GetCommand(), hidden->GetCommand(),
                            exitItem->GetCommand(), radio->GetCommand()};
    EXPECT_EQ(commands.size(), 5u);
    EXPECT_EQ(commands.count(0), 0u);

    // The last sub-item gone, the entry is a plain command again.
    delete open;
    EXPECT_EQ(file->GetCount(), 3);
    file->Clear();
    EXPECT_EQ(EntryAt(bar, 0).SubMenu, nullptr);
    EXPECT_EQ(EntryAt(bar, 0).Id, file->GetCommand());
    EXPECT_THROW(file->GetItem(0), EMenuError);
    EXPECT_THROW(radio->Add(menu->GetItems()), EMenuError); // no item holds an item above it
    EXPECT_THROW(file->Add(radio), EMenuError);             // nor one that has a parent

    // Freeing the menu takes the bar back from the window first.
    delete menu;
    EXPECT_EQ(form->GetMenu(), nullptr);
    EXPECT_EQ(GetMenu(wnd), nullptr);
}

TEST(Menus, CommandsShortcutsAndHelpReachTheirItems) {
    auto form = std::make_unique<Forms::TForm>(nullptr);
    auto* menu = new TMainMenu(form.get());
    TMenuItem* edit = NewItem(form.get(), menu->GetItems(), "&Edit");
    edit->SetHelpContext(40);
    TMenuItem* copy = NewItem(form.get(), edit, "&Copy");
    copy->SetShortCut(ShortCut('C', {ssCtrl}));
    TMenuItem* paste = NewItem(form.get(), edit, "&Paste");
    paste->SetShortCut(ShortCut(VK_INSERT, {ssShift}));
    paste->SetHelpContext(7);
    std::vector<String> clicks;
    struct TSink : System::TObject {
        std::vector<String>* Log;
        void Click(System::TObject* Sender) { Log->push_back(static_cast<TMenuItem*>(Sender)->GetCaption()); }
    } sink;
    sink.Log = &clicks;
    for (TMenuItem* i : {edit, copy, paste})
        i->SetOnClick(Classes::TNotifyEvent::Bind<&TSink::Click>(&sink));
    form->SetMenu(menu);

    // A WM_COMMAND of the bar reaches the form's window and its item; a submenu opening clicks its parent.
    SendMessageW(form->GetHandle(), WM_COMMAND, copy->GetCommand(), 0);
    SendMessageW(form->GetHandle(), WM_INITMENUPOPUP, WPARAM(edit->GetHandle()), 0);
    EXPECT_EQ(clicks, (std::vector<String>{"&Copy", "&Edit"}));
    EXPECT_FALSE(menu->DispatchCommand(0xFFF0));

    // Shortcuts with the shift keys of the thread's keyboard state.
    auto press = [&](WORD key, std::initializer_list<int> down) {
        BYTE keys[256] = {};
        for (int k : down)
            keys[k] = 0x80;
        SetKeyboardState(keys);
        Messages::TMessage m{WM_KEYDOWN, key, 0, 0};
        bool r = menu->IsShortCut(m);
        BYTE none[256] = {};
        SetKeyboardState(none);
        return r;
    };
    clicks.clear();
    EXPECT_TRUE(press('C', {VK_CONTROL}));
    EXPECT_FALSE(press('C', {}));
    EXPECT_TRUE(press(VK_INSERT, {VK_SHIFT}));
    edit->SetEnabled(false); // an item under a disabled one does not count
    EXPECT_FALSE(press('C', {VK_CONTROL}));
    EXPECT_EQ(clicks, (std::vector<String>{"&Copy", "&Paste"}));

    // Help contexts: the item's own, else the nearest parent's.
    EXPECT_EQ(menu->GetHelpContext(paste->GetCommand(), true), 7);
    EXPECT_EQ(menu->GetHelpContext(copy->GetCommand(), true), 40);
    EXPECT_EQ(menu->GetHelpContext(UINT_PTR(edit->GetHandle()), false), 40);
    EXPECT_EQ(menu->GetHelpContext(0xFFF0, true), 0);
}

TEST(Menus, ShortcutTexts) {
    struct {
        TShortCut Value;
        const char* Text;
    } cases[] = {
        {ShortCut('O', {ssCtrl}), "Ctrl+O"},
        {ShortCut(VK_F5, {ssShift, ssCtrl}), "Shift+Ctrl+F5"},
        {ShortCut(VK_DELETE, {ssAlt}), "Alt+Del"},
        {ShortCut(VK_BACK, {}), "BkSp"},
        {ShortCut(VK_RETURN, {ssCtrl}), "Ctrl+Enter"},
        {ShortCut(VK_ESCAPE, {}), "Esc"},
        {ShortCut(VK_SPACE, {ssShift}), "Shift+Space"},
        {ShortCut(VK_PRIOR, {}), "PgUp"},
        {ShortCut(VK_NEXT, {}), "PgDn"},
        {ShortCut(VK_INSERT, {ssShift}), "Shift+Ins"},
        {ShortCut('0', {ssCtrl}), "Ctrl+0"},
        {ShortCut(VK_F12, {}), "F12"},
        {ShortCut(VK_LEFT, {ssAlt}), "Alt+Left"},
    };
    for (auto& c : cases) {
        EXPECT_EQ(ShortCutToText(c.Value), c.Text);
        EXPECT_EQ(TextToShortCut(c.Text), c.Value) << c.Text;
    }
    EXPECT_EQ(ShortCut(VK_NUMPAD7, {}), TShortCut(VK_NUMPAD7));
    EXPECT_EQ(ShortCutToText(ShortCut(VK_NUMPAD7, {})), "7");
    EXPECT_EQ(ShortCutToText(0), "");
    EXPECT_EQ(TextToShortCut("ctrl+o"), ShortCut('O', {ssCtrl}));
    EXPECT_EQ(TextToShortCut("Ctrl+"), 0);
    EXPECT_EQ(TextToShortCut("Ctrl+Ctrl+O"), 0);
    EXPECT_EQ(TextToShortCut("Nothing"), 0);
    EXPECT_EQ(ShortCut(0x1234, {}), 0); // not a key
}

TEST(Menus, MenusStreamNestedInTheirForm) {
    auto root = TestSupport::ReadFormText(R"(object Form1: TForm
  Menu = MainMenu1
  object MainMenu1: TMainMenu
    object File1: TMenuItem
      Caption = '&File'
      HelpContext = 3
      object Open1: TMenuItem
        Caption = '&Open...'
        ShortCut = 16463
      end
      object N1: TMenuItem
        Caption = '-'
      end
      object Exit1: TMenuItem
        Caption = 'E&xit'
        Enabled = False
        Hint = 'Leaves'
      end
    end
  end
  object PopupMenu1: TPopupMenu
    Alignment = paRight
    AutoPopup = False
    object Cut1: TMenuItem
      Caption = 'Cu&t'
      RadioItem = True
      Checked = True
      Break = mbBreak
      Default = True
      GroupIndex = 2
      Visible = False
    end
  end
end
)");
    auto* form = static_cast<Forms::TForm*>(root.get());
    auto* menu = static_cast<TMainMenu*>(form->FindComponent("MainMenu1"));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(form->GetMenu(), menu);
    ASSERT_EQ(menu->GetItems()->GetCount(), 1);
    TMenuItem* file = menu->GetItems()->GetItem(0);
    EXPECT_EQ(file->GetName(), "File1");
    ASSERT_EQ(file->GetCount(), 3);
    EXPECT_EQ(file->GetItem(0)->GetShortCut(), ShortCut('O', {ssCtrl}));
    EXPECT_EQ(file->GetItem(0)->GetParentComponent(), file);
    EXPECT_EQ(file->GetParentComponent(), menu);
    EXPECT_EQ(file->GetItem(2)->GetHint(), "Leaves");
    EXPECT_EQ(file->GetItem(1)->GetParentMenu(), menu);
    auto* popup = static_cast<TPopupMenu*>(form->FindComponent("PopupMenu1"));
    EXPECT_EQ(popup->GetAlignment(), paRight);
    EXPECT_FALSE(popup->GetAutoPopup());
    TMenuItem* cut = popup->GetItems()->GetItem(0);
    EXPECT_TRUE(cut->GetRadioItem() && cut->GetChecked() && cut->GetDefault() && !cut->GetVisible());
    EXPECT_EQ(cut->GetBreak(), mbBreak);
    EXPECT_EQ(cut->GetGroupIndex(), 2);

    // Written back and read again: the same tree in the same order, the form's text the same.
    String text = TestSupport::WriteFormText(form);
    auto again = TestSupport::ReadFormText(text);
    EXPECT_EQ(TestSupport::WriteFormText(again.get()), text);
    auto* menu2 = static_cast<TMainMenu*>(again->FindComponent("MainMenu1"));
    ASSERT_EQ(menu2->GetItems()->GetItem(0)->GetCount(), 3);
    EXPECT_EQ(menu2->GetItems()->GetItem(0)->GetItem(2)->GetName(), "Exit1");
    EXPECT_NE(text.find("Menu = MainMenu1"), String::npos) << text;
    EXPECT_NE(text.find("ShortCut = 16463"), String::npos) << text;
    EXPECT_EQ(text.find("Visible = True"), String::npos) << text; // defaults are not written
}

TEST(Menus, APopupRoutesTheChosenCommandToItsItem) {
    auto form = std::make_unique<Forms::TForm>(nullptr);
    auto* popup = new TPopupMenu(form.get());
    NewItem(form.get(), popup->GetItems(), "First");
    TMenuItem* second = NewItem(form.get(), popup->GetItems(), "Second");
    int popups = 0, clicks = 0;
    struct TSink : System::TObject {
        int *Popups, *Clicks;
        void Popup(System::TObject*) { ++*Popups; }
        void Click(System::TObject*) { ++*Clicks; }
    } sink;
    sink.Popups = &popups;
    sink.Clicks = &clicks;
    popup->SetOnPopup(Classes::TNotifyEvent::Bind<&TSink::Popup>(&sink));
    second->SetOnClick(Classes::TNotifyEvent::Bind<&TSink::Click>(&sink));
    // Inside the menu's loop a timer picks the second entry with the keyboard.
    static HWND owner;
    owner = PopupListWindow();
    SetTimer(owner, 1, 100, [](HWND h, UINT, UINT_PTR id, DWORD) {
        KillTimer(h, id);
        HWND menuWnd = nullptr;
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND w, LPARAM lp) -> BOOL {
                wchar_t c[16];
                GetClassNameW(w, c, 16);
                if (!wcscmp(c, L"#32768") && IsWindowVisible(w)) {
                    *reinterpret_cast<HWND*>(lp) = w;
                    return FALSE;
                }
                return TRUE;
            },
            LPARAM(&menuWnd));
        for (WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN})
            PostMessageW(menuWnd, WM_KEYDOWN, key, 0);
    });
    popup->Popup(100, 100);
    EXPECT_TRUE(VclTest::PumpUntil([&] { return clicks > 0; }, 5000));
    EXPECT_EQ(popups, 1);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(popup->GetWindowHandle(), owner);
}

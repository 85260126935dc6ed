// The hook of the owner's window procedure and the menu messages' dispatch, on real windows and menus.
#include "tests/menus/MenusTestSupport.h"

#include "examples/common/WindowShot.h"

using namespace MenusTest;
using namespace VeskMenu;

namespace {

// Records the events of the components it is attached to, by name.
struct TLog : System::TObject {
    std::vector<String> Events;
    void Popup(System::TObject* Sender, HMENU, int) { Events.push_back("popup " + Name(Sender)); }
    void Select(System::TObject* Sender, HMENU, int Value) {
        Events.push_back("select " + Name(Sender) + " " + SysUtils::IntToStr(Value));
    }
    void Measure(System::TObject* Sender, HMENU, int Value) {
        Events.push_back("measure " + Name(Sender) + " " + SysUtils::IntToStr(Value));
    }
    void Click(System::TObject* Sender) { Events.push_back("click " + Name(Sender)); }
    void Throw(System::TObject*, HMENU, int) { throw SysUtils::Exception("Handler failed"); }
    static String Name(System::TObject* O) { return static_cast<Classes::TComponent*>(O)->GetName(); }
    void Attach(TVeskMenu* Vm) { Vm->OnPopup = TMenuEvent::Bind<&TLog::Popup>(this); }
};

// "V" + 2 without the string operators that trip GCC's overlap warning at -O3.
String Named(const char* Prefix, int Number) {
    String s = Prefix;
    s.append(SysUtils::IntToStr(Number));
    return s;
}

LRESULT Send(Forms::TForm& Form, UINT Msg, WPARAM W, LPARAM L) {
    return SendMessageW(Form.GetHandle(), Msg, W, L);
}

WNDPROC WindowProcOf(Forms::TForm& Form) {
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(Form.GetHandle(), GWLP_WNDPROC));
}

} // namespace

TEST(VeskMenuHook, TheChainOfHooksUnwindsInEveryOrder) {
    TLog log;
    for (const std::vector<int>& order :
         std::vector<std::vector<int>>{{0, 1}, {1, 0}, {0, 1, 2}, {1, 0, 2}, {2, 1, 0}, {1, 2, 0}}) {
        auto form = std::make_unique<Forms::TForm>(nullptr);
        form->HandleNeeded();
        WNDPROC original = WindowProcOf(*form);
        std::vector<TVeskMenu*> vms;
        for (size_t i = 0; i < order.size(); ++i) {
            vms.push_back(new TVeskMenu(form.get()));
            vms.back()->SetName(Named("V", int(i)));
            log.Attach(vms.back());
        }
        EXPECT_NE(WindowProcOf(*form), original);
        // Every member sees the message, the newest first.
        log.Events.clear();
        Send(*form, WM_INITMENUPOPUP, 0, 0);
        std::vector<String> expected;
        for (size_t i = order.size(); i-- > 0;)
            expected.push_back(Named("popup V", int(i)));
        EXPECT_EQ(log.Events, expected);
        // Freed one by one in the given order: the others keep receiving, in their order.
        std::vector<bool> alive(order.size(), true);
        for (int k : order) {
            delete vms[size_t(k)];
            alive[size_t(k)] = false;
            log.Events.clear();
            Send(*form, WM_INITMENUPOPUP, 0, 0);
            expected.clear();
            for (size_t i = order.size(); i-- > 0;)
                if (alive[i]) expected.push_back(Named("popup V", int(i)));
            EXPECT_EQ(log.Events, expected);
        }
        EXPECT_EQ(WindowProcOf(*form), original);
    }
}

TEST(VeskMenuHook, RehookingMovesToTheHeadAndSurvivesANewWindow) {
    TLog log;
    auto form = std::make_unique<Forms::TForm>(nullptr);
    WNDPROC original = (form->HandleNeeded(), WindowProcOf(*form));
    TVeskMenu* vms[3];
    for (int i = 0; i < 3; ++i) {
        vms[i] = new TVeskMenu(form.get());
        vms[i]->SetName(Named("V", i));
        log.Attach(vms[i]);
    }
    auto order = [&] {
        log.Events.clear();
        Send(*form, WM_INITMENUPOPUP, 0, 0);
        return log.Events;
    };
    vms[2]->RehookWnd(); // the head stays the head
    EXPECT_EQ(order(), (std::vector<String>{"popup V2", "popup V1", "popup V0"}));
    vms[0]->RehookWnd(); // lower down: to the head
    EXPECT_EQ(order(), (std::vector<String>{"popup V0", "popup V2", "popup V1"}));
    // A new window (another border style) has no hooks until they are made again.
    form->SetBorderStyle(Forms::bsDialog);
    EXPECT_EQ(order(), std::vector<String>{});
    for (TVeskMenu* v : vms)
        v->RehookWnd();
    EXPECT_EQ(order(), (std::vector<String>{"popup V2", "popup V1", "popup V0"}));
    delete vms[1];
    delete vms[2];
    delete vms[0];
    EXPECT_EQ(order(), std::vector<String>{});
    EXPECT_EQ(WindowProcOf(*form), original); // the form's own procedure, on its new window too
    // A component whose window was made anew and not hooked again leaves the new window alone.
    auto* lost = new TVeskMenu(form.get());
    WNDPROC hooked = WindowProcOf(*form);
    form->SetBorderStyle(Forms::bsSingle);
    WNDPROC fresh = WindowProcOf(*form);
    EXPECT_NE(fresh, hooked);
    delete lost;
    EXPECT_EQ(WindowProcOf(*form), fresh);
}

TEST(VeskMenuHook, MnemonicsCursorsHintsAndSelection) {
    TMenuForm f;
    f.Form->HandleNeeded();
    TVeskMenuItem* items[] = {f.Link(f.New, "I1"), f.Link(f.Separator, "I2"), f.Link(f.Open, "I3"),
                              f.Link(f.Save, "I4")};
    (void)items;
    HMENU fileMenu = f.File->GetHandle();
    f.Save->SetCaption("Save");
    f.Save->SetEnabled(true);
    auto menuChar = [&](char16_t key, HMENU menu) {
        return Send(*f.Form, WM_MENUCHAR, MAKEWPARAM(key, MF_POPUP), LPARAM(menu));
    };
    EXPECT_EQ(menuChar(u'o', fileMenu), (LRESULT(MNC_EXECUTE) << 16) | 2);
    EXPECT_EQ(menuChar(u'O', fileMenu), (LRESULT(MNC_EXECUTE) << 16) | 2);
    EXPECT_EQ(menuChar(u's', fileMenu), (LRESULT(MNC_EXECUTE) << 16) | 3); // no ampersand: the first letter
    f.Separator->SetVisible(false); // invisible entries have no position
    EXPECT_EQ(menuChar(u's', fileMenu), (LRESULT(MNC_EXECUTE) << 16) | 2);
    EXPECT_EQ(VisiblePosition(f.File, f.Save), 2);
    EXPECT_EQ(VisiblePosition(f.File, f.Help), 3); // not among them: all visible ones
    f.Save->SetEnabled(false);
    EXPECT_EQ(menuChar(u's', fileMenu), 0);
    EXPECT_EQ(menuChar(u'o', f.Main->GetHandle()), 0); // another menu
    f.New->SetCaption("&Новый");
    EXPECT_EQ(menuChar(u'н', fileMenu), (LRESULT(MNC_EXECUTE) << 16) | 0);
    EXPECT_EQ(menuChar(u'Н', fileMenu), (LRESULT(MNC_EXECUTE) << 16) | 0);

    // The menu cursor while the window is in menu mode, the earlier one back after it, not passed on.
    HCURSOR arrow = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    SetCursor(arrow);
    f.Vm->SetCursor(5);
    EXPECT_EQ(Send(*f.Form, WM_SETCURSOR, WPARAM(f.Form->GetHandle()), MAKELPARAM(HTMENU, 0)), 0);
    EXPECT_EQ(GetCursor(), Forms::Screen->GetCursors(5));
    EXPECT_NE(GetCursor(), arrow);
    Send(*f.Form, WM_SETCURSOR, WPARAM(f.Form->GetHandle()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), arrow);
    f.Vm->SetCursor(0);
    Send(*f.Form, WM_SETCURSOR, WPARAM(f.Form->GetHandle()), MAKELPARAM(HTMENU, 0));
    EXPECT_EQ(GetCursor(), arrow);

    // Selection in a popup: OnItemSelect once for each assigned item the scan visits, and the hint.
    TLog log;
    f.Vm->OnItemSelect = TMenuEvent::Bind<&TLog::Select>(&log);
    Menus::TMenuItem* cut = f.PopupItem;
    cut->SetHint("Cuts the selection");
    auto* second = AddMenuItem(f.Form.get(), f.Popup->GetItems(), "Copy1", "Copy");
    f.Link(cut, "P1");
    f.Link(second, "P2");
    Forms::Application->SetHint("old");
    Send(*f.Form, WM_MENUSELECT, MAKEWPARAM(0xFFF0, MF_HILITE), LPARAM(f.Popup->GetHandle()));
    EXPECT_EQ(log.Events.size(), 6u); // six assigned items, no match
    EXPECT_EQ(Forms::Application->GetHint(), "");
    log.Events.clear();
    Send(*f.Form, WM_MENUSELECT, MAKEWPARAM(cut->GetCommand(), MF_HILITE), LPARAM(f.Popup->GetHandle()));
    EXPECT_EQ(log.Events.size(), 5u); // up to the match
    EXPECT_EQ(Forms::Application->GetHint(), "Cuts the selection");
    f.Vm->SetActive(false);
    Send(*f.Form, WM_MENUSELECT, MAKEWPARAM(cut->GetCommand(), MF_HILITE), LPARAM(f.Popup->GetHandle()));
    EXPECT_EQ(Forms::Application->GetHint(), "");
    EXPECT_EQ(log.Events.size(), 5u);
}

TEST(VeskMenuHook, InactiveComponentsLeaveDrawingToTheSystemButRouteCommands) {
    TMenuForm f;
    f.Form->HandleNeeded();
    TVeskMenuItem* cut = f.Link(f.PopupItem, "P1");
    TLog log;
    f.Vm->OnPopup = TMenuEvent::Bind<&TLog::Popup>(&log);
    f.PopupItem->SetOnClick(Classes::TNotifyEvent::Bind<&TLog::Click>(&log));
    f.Vm->SetActive(false);
    MEASUREITEMSTRUCT mis{ODT_MENU, 0, f.PopupItem->GetCommand(), 77, 33, 0};
    Send(*f.Form, WM_MEASUREITEM, 0, LPARAM(&mis));
    EXPECT_EQ(mis.itemWidth, 77u);
    Send(*f.Form, WM_INITMENUPOPUP, WPARAM(f.Popup->GetHandle()), 0);
    EXPECT_EQ(CurrentPopupHandle, f.Popup->GetHandle());
    Send(*f.Form, WM_COMMAND, f.PopupItem->GetCommand(), 0);
    EXPECT_EQ(log.Events, (std::vector<String>{"popup VeskMenu1", "click Cut1"}));
    // Active: measured by the item, after one measuring pass of the popup.
    f.Vm->SetActive(true);
    f.Vm->OnMeasure = TMenuEvent::Bind<&TLog::Measure>(&log);
    log.Events.clear();
    Send(*f.Form, WM_INITMENUPOPUP, WPARAM(f.Popup->GetHandle()), 0);
    Send(*f.Form, WM_MEASUREITEM, 0, LPARAM(&mis));
    Send(*f.Form, WM_MEASUREITEM, 0, LPARAM(&mis));
    EXPECT_EQ(int(mis.itemHeight), cut->GetLayout().ItemHeight);
    EXPECT_EQ(log.Events,
              (std::vector<String>{"popup VeskMenu1",
                                   "measure VeskMenu1 " + SysUtils::IntToStr(cut->GetLayout().ItemHeight)}));
    // An exception in a handler is shown by the application, and the program goes on.
    f.Vm->OnPopup = TMenuEvent::Bind<&TLog::Throw>(&log);
    {
        WinTest::TBoxDriver boxes;
        Send(*f.Form, WM_INITMENUPOPUP, WPARAM(f.Popup->GetHandle()), 0);
        ASSERT_EQ(boxes.Seen().size(), 1u);
        EXPECT_EQ(boxes.Seen()[0].Text, "Handler failed.");
    }
    EXPECT_EQ(CurrentPopupHandle, f.Popup->GetHandle());
}

TEST(VeskMenuHook, ShortcutKeysAndHelpOfPopupsAreRoutedByTheComponent) {
    TMenuForm f;
    f.Form->Show();
    f.Link(f.PopupItem, "P1");
    f.PopupItem->SetShortCut(Menus::ShortCut('K', {Menus::ssCtrl}));
    f.PopupItem->SetHelpContext(77);
    TLog log;
    f.PopupItem->SetOnClick(Classes::TNotifyEvent::Bind<&TLog::Click>(&log));
    BYTE keys[256] = {};
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    EXPECT_EQ(Send(*f.Form, WM_KEYDOWN, 'K', 0), 0);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(log.Events, std::vector<String>{"click Cut1"});
    // Help on a popup entry: its context, through the application (the active form has no help button).
    struct THelp : System::TObject {
        std::vector<std::pair<UINT, int>> Asked;
        bool Help(UINT Command, int Data, bool& CallHelp) {
            Asked.push_back({Command, Data});
            CallHelp = false;
            return true;
        }
    } help;
    Forms::Application->SetOnHelp(Forms::THelpEvent::Bind<&THelp::Help>(&help));
    SetActiveWindow(f.Form->GetHandle());
    HELPINFO info{sizeof(info), HELPINFO_MENUITEM, int(f.PopupItem->GetCommand()), f.Popup->GetHandle(), 0,
                  {0, 0}};
    EXPECT_EQ(Send(*f.Form, WM_HELP, 0, LPARAM(&info)), 0);
    Forms::Application->SetOnHelp({});
    EXPECT_EQ(Forms::Screen->GetActiveForm(), f.Form.get());
    EXPECT_EQ(help.Asked, (std::vector<std::pair<UINT, int>>{{HELP_CONTEXT, 77}}));
}

TEST(VeskMenuHook, TheActiveMDIChildsComponentAnswersWhatTheFrameDoesNotKnow) {
    auto frame = std::make_unique<Forms::TForm>(nullptr);
    frame->SetFormStyle(Forms::fsMDIForm);
    frame->HandleNeeded();
    auto* frameVm = new TVeskMenu(frame.get());
    (void)frameVm;
    auto child = std::make_unique<Forms::TForm>(nullptr);
    child->SetFormStyle(Forms::fsMDIChild);
    child->Show();
    auto* popup = new Menus::TPopupMenu(child.get());
    Menus::TMenuItem* item = AddMenuItem(child.get(), popup->GetItems(), "Child1", "&Child entry");
    auto* childVm = new TVeskMenu(child.get());
    TVeskMenuItem* look = childVm->NewItem();
    look->SetMenuItem(item);
    ASSERT_EQ(frame->GetActiveMDIChild(), child.get());
    MEASUREITEMSTRUCT mis{ODT_MENU, 0, item->GetCommand(), 0, 0, 0};
    SendMessageW(frame->GetHandle(), WM_MEASUREITEM, 0, LPARAM(&mis));
    EXPECT_GT(mis.itemWidth, 0u);
    EXPECT_EQ(int(mis.itemHeight), look->GetLayout().ItemHeight);
    // Mnemonics too: the child's answer comes back through the frame.
    LRESULT r =
        SendMessageW(frame->GetHandle(), WM_MENUCHAR, MAKEWPARAM(u'c', MF_POPUP), LPARAM(popup->GetHandle()));
    EXPECT_EQ(r, LRESULT(MNC_EXECUTE) << 16);
    child.reset();
}

TEST(VeskMenuHook, APopupOpenedByTheSystemIsDrawnAndRoutesItsCommand) {
    TMenuForm f;
    f.Form->Show();
    TVeskMenuItem* cut = f.Link(f.PopupItem, "P1");
    cut->SetNormColor(Graphics::clLime);
    auto* copy = AddMenuItem(f.Form.get(), f.Popup->GetItems(), "Copy1", "&Copy");
    f.Link(copy, "P2")->SetNormColor(Graphics::clLime);
    TLog log;
    copy->SetOnClick(Classes::TNotifyEvent::Bind<&TLog::Click>(&log));
    f.Vm->OnMeasure = TMenuEvent::Bind<&TLog::Measure>(&log);
    static COLORREF seen;
    seen = 0;
    SetTimer(f.Form->GetHandle(), 7, 200, [](HWND h, UINT, UINT_PTR id, DWORD) {
        KillTimer(h, id);
        HWND menu = Examples::OpenMenuWindow();
        if (menu == nullptr) return;
        int w = 0, hh = 0;
        std::vector<uint32_t> pixels = Examples::CaptureWindow(menu, w, hh);
        seen = pixels[size_t(8 * w + w - 8)] & 0xFFFFFF; // inside the first entry, right of its text
        for (WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN})
            PostMessageW(menu, WM_KEYDOWN, key, 0);
    });
    TrackPopupMenu(f.Popup->GetHandle(), TPM_LEFTALIGN | TPM_TOPALIGN, 100, 100, 0, f.Form->GetHandle(),
                   nullptr);
    EXPECT_TRUE(
        WinTest::PumpUntil([&] { return !log.Events.empty() && log.Events.back() == "click Copy1"; }, 5000));
    ASSERT_GE(log.Events.size(), 2u);
    EXPECT_EQ(log.Events[0].rfind("measure VeskMenu1 ", 0), 0u) << log.Events[0];
    EXPECT_EQ(seen, 0x00FF00u); // lime, as 0x00RRGGBB
}

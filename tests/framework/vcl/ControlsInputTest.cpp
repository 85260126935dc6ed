// Controls: the input events of windowed controls on real windows (click, double click, key up, the focus
// coming in and going out), the settings taken from the parent, the cursor and help of a control, and
// dragging one control onto another with the mouse.
#include "tests/framework/vcl/VclTestSupport.h"

#include <memory>

using namespace VclTest;
using namespace Controls;
using System::TObject;

namespace {

// Logs every event of the controls it is bound to, with the control's name.
class TEventLog : public System::TObject {
public:
    std::vector<String> Log;
    bool AcceptDrops = true;
    TDragObject* GiveObject = nullptr;

    void Bind(TWinControl* c) {
        c->SetOnClick(Classes::TNotifyEvent::Bind<&TEventLog::Click>(this));
        c->SetOnDblClick(Classes::TNotifyEvent::Bind<&TEventLog::DblClick>(this));
        c->SetOnKeyUp(TKeyEvent::Bind<&TEventLog::KeyUp>(this));
        c->SetOnEnter(Classes::TNotifyEvent::Bind<&TEventLog::Enter>(this));
        c->SetOnExit(Classes::TNotifyEvent::Bind<&TEventLog::Exit>(this));
        c->SetOnDragOver(TDragOverEvent::Bind<&TEventLog::DragOver>(this));
        c->SetOnDragDrop(TDragDropEvent::Bind<&TEventLog::DragDrop>(this));
        c->SetOnEndDrag(TEndDragEvent::Bind<&TEventLog::EndDrag>(this));
        c->SetOnStartDrag(TStartDragEvent::Bind<&TEventLog::StartDrag>(this));
        c->SetOnKeyDown(TKeyEvent::Bind<&TEventLog::KeyDown>(this));
        c->SetOnKeyPress(TKeyPressEvent::Bind<&TEventLog::KeyPress>(this));
        BindMouse(c);
    }
    void BindMouse(TControl* c) {
        c->SetOnMouseDown(TMouseEvent::Bind<&TEventLog::MouseDown>(this));
        c->SetOnMouseMove(TMouseMoveEvent::Bind<&TEventLog::MouseMove>(this));
        c->SetOnMouseUp(TMouseEvent::Bind<&TEventLog::MouseUp>(this));
        c->SetOnClick(Classes::TNotifyEvent::Bind<&TEventLog::Click>(this));
    }
    static String Mouse(TShiftState Shift, int X, int Y) {
        String s = SysUtils::IntToStr(X) + "," + SysUtils::IntToStr(Y);
        static const char* names[] = {"shift", "alt", "ctrl", "left", "right", "middle", "double"};
        for (int i = ssShift; i <= ssDouble; ++i)
            if (Shift.Contains(TShiftStateItem(i))) s += String(" ") + names[i];
        return s;
    }
    void MouseDown(TObject* s, TMouseButton B, TShiftState Shift, int X, int Y) {
        Log.push_back(N(s) + " down" + SysUtils::IntToStr(B) + " " + Mouse(Shift, X, Y));
    }
    void MouseMove(TObject* s, TShiftState Shift, int X, int Y) {
        Log.push_back(N(s) + " move " + Mouse(Shift, X, Y));
    }
    void MouseUp(TObject* s, TMouseButton B, TShiftState Shift, int X, int Y) {
        Log.push_back(N(s) + " up" + SysUtils::IntToStr(B) + " " + Mouse(Shift, X, Y));
    }
    void KeyDown(TObject* s, WORD& Key, TShiftState) {
        Log.push_back(N(s) + " keydown " + SysUtils::IntToStr(Key));
        if (Key == VK_F3) Key = 0;
    }
    void KeyPress(TObject* s, wchar_t& Key) {
        Log.push_back(N(s) + " keypress " + SysUtils::IntToStr(int(Key)));
        if (Key == L'q') Key = 0;
    }
    static String N(TObject* o) {
        auto* c = dynamic_cast<Classes::TComponent*>(o);
        return c ? c->GetName() : o ? String("object") : String("nil");
    }
    void Click(TObject* s) { Log.push_back(N(s) + " click"); }
    void DblClick(TObject* s) { Log.push_back(N(s) + " dblclick"); }
    void Enter(TObject* s) { Log.push_back(N(s) + " enter"); }
    void Exit(TObject* s) { Log.push_back(N(s) + " exit"); }
    void KeyUp(TObject* s, WORD& Key, TShiftState Shift) {
        Log.push_back(N(s) + " keyup " + SysUtils::IntToStr(Key) + (Shift.Contains(ssAlt) ? " alt" : ""));
        if (Key == VK_F2) Key = 0;
    }
    void DragOver(TObject* s, TObject* Source, int X, int Y, TDragState State, bool& Accept) {
        static const char* states[] = {"enter", "leave", "move"};
        Log.push_back(N(s) + " over " + states[State] + " " + N(Source) + " " + SysUtils::IntToStr(X) + "," +
                      SysUtils::IntToStr(Y));
        Accept = AcceptDrops;
    }
    void DragDrop(TObject* s, TObject* Source, int X, int Y) {
        Log.push_back(N(s) + " drop " + N(Source) + " " + SysUtils::IntToStr(X) + "," +
                      SysUtils::IntToStr(Y));
    }
    void EndDrag(TObject* s, TObject* Target, int X, int Y) {
        Log.push_back(N(s) + " end " + N(Target) + " " + SysUtils::IntToStr(X) + "," + SysUtils::IntToStr(Y));
    }
    void StartDrag(TObject* s, TDragObject*& Object) {
        Log.push_back(N(s) + " start");
        Object = GiveObject;
    }
    std::vector<String> Take() { return std::exchange(Log, {}); }
};

struct TScene {
    Forms::TCustomForm Form{nullptr};
    TWinControl* A;
    TWinControl* A1;
    TWinControl* B;
    TEventLog Events;

    TScene() {
        Form.SetBounds(100, 100, 400, 200);
        A = Add("A", &Form, 10, 10, 150, 150);
        A1 = Add("A1", A, 10, 10, 50, 50);
        B = Add("B", &Form, 200, 10, 150, 150);
        Form.Show();
    }
    TWinControl* Add(const char* name, TWinControl* parent, int x, int y, int w, int h) {
        auto* c = new TWinControl(&Form);
        c->SetName(name);
        c->SetParent(parent);
        c->SetBounds(x, y, w, h);
        Events.Bind(c);
        return c;
    }
    // A client point of the control From, where the screen point (X, Y) of the control To is.
    static LPARAM At(TWinControl* From, TWinControl* To, int X, int Y) {
        POINT p{X, Y};
        MapWindowPoints(To->GetHandle(), From->GetHandle(), &p, 1);
        return MAKELPARAM(p.x, p.y);
    }
};

} // namespace

TEST(ControlInput, ClicksKeysAndTheFocusComingAndGoing) {
    TScene s;
    HWND a = s.A->GetHandle();
    SendMessageW(a, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(a, WM_LBUTTONUP, 0, MAKELPARAM(6, 7));
    SendMessageW(a, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(a, WM_LBUTTONUP, 0, MAKELPARAM(300, 7)); // released outside: no click
    SendMessageW(a, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));   // a release without a press: no click
    SendMessageW(a, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(GetCapture(), nullptr);
    s.A->SetControlStyle(s.A->GetControlStyle() - TControlStyle{csClickEvents, csDoubleClicks});
    s.A->SetOnMouseDown(nullptr);
    s.A->SetOnMouseUp(nullptr);
    SendMessageW(a, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(a, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    SendMessageW(a, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(a, WM_KEYUP, VK_F5, 1 | (1 << 30) | (1u << 31));
    SendMessageW(a, WM_SYSKEYUP, 'X', 1 | (1 << 29) | (1 << 30) | (1u << 31));
    SendMessageW(a, WM_KEYUP, VK_F2, 1 | (1 << 30) | (1u << 31)); // the handler eats it
    EXPECT_EQ(s.Events.Take(),
              (std::vector<String>{"A down0 5,5 left", "A click", "A up0 6,7", "A down0 5,5 left",
                                   "A up0 300,7", "A up0 5,5", "A down0 5,5 left double", "A dblclick",
                                   "A keyup 116", "A keyup 88 alt", "A keyup 113"}));

    // The focus: into A1 enters A, then A1; over to B leaves A1, then A; within A only what changes.
    s.A1->SetFocus();
    s.B->SetFocus();
    s.A->SetFocus();
    s.A1->SetFocus();
    s.A->SetFocus();
    EXPECT_TRUE(s.A->Focused());
    EXPECT_EQ(s.Events.Take(), (std::vector<String>{"A enter", "A1 enter", "A1 exit", "A exit", "B enter",
                                                    "B exit", "A enter", "A1 enter", "A1 exit"}));
    // A control that had the focus and goes leaves it within its parent, which has not lost it.
    s.A1->SetFocus();
    s.Events.Take();
    delete s.A1;
    s.A->SetFocus();
    s.B->SetFocus();
    EXPECT_EQ(s.Events.Take(), (std::vector<String>{"A exit", "B enter"}));
}

TEST(ControlInput, SettingsFromTheParentCursorAndHelp) {
    TScene s;
    // ShowHint and Ctl3D follow the parent until set; setting one stops following.
    s.Form.SetShowHint(true);
    EXPECT_TRUE(s.A->GetShowHint());
    EXPECT_TRUE(s.A1->GetShowHint());
    s.A->SetShowHint(false);
    EXPECT_FALSE(s.A->GetParentShowHint());
    EXPECT_FALSE(s.A1->GetShowHint());
    s.Form.SetCtl3D(false);
    EXPECT_FALSE(s.B->GetCtl3D());
    EXPECT_TRUE(s.B->GetParentCtl3D());
    EXPECT_FALSE(s.B->IsCtl3DStored());
    s.B->SetCtl3D(false);
    EXPECT_TRUE(s.B->IsCtl3DStored());
    s.B->SetParentCtl3D(true);
    s.Form.SetCtl3D(true);
    EXPECT_TRUE(s.B->GetCtl3D());

    // The cursor of a control over its client area; crDefault leaves it to the window.
    s.A->SetCursor(crHandPoint);
    EXPECT_EQ(SendMessageW(s.A->GetHandle(), WM_SETCURSOR, WPARAM(s.A->GetHandle()),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              1);
    EXPECT_EQ(GetCursor(), Forms::Screen->GetCursors(crHandPoint));
    EXPECT_EQ(SendMessageW(s.B->GetHandle(), WM_SETCURSOR, WPARAM(s.B->GetHandle()),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              0);

    // Help: the nearest control with a topic answers for its children.
    struct THelpLog : TObject {
        std::vector<int> Topics;
        bool Help(UINT Command, int Data, bool& CallHelp) {
            if (Command == HELP_CONTEXT) Topics.push_back(Data);
            CallHelp = false;
            return true;
        }
    } help;
    Forms::Application->SetOnHelp(Forms::THelpEvent::Bind<&THelpLog::Help>(&help));
    s.A->SetHelpContext(77);
    HELPINFO hi{sizeof hi, HELPINFO_WINDOW, 0, s.A1->GetHandle(), 0, {0, 0}};
    SendMessageW(s.A1->GetHandle(), WM_HELP, 0, LPARAM(&hi));
    s.A1->SetHelpContext(5);
    SendMessageW(s.A1->GetHandle(), WM_HELP, 0, LPARAM(&hi));
    Forms::Application->SetOnHelp(nullptr);
    EXPECT_EQ(help.Topics, (std::vector<int>{77, 5}));
}

TEST(ControlInput, DraggingOntoAnotherControl) {
    TScene s;
    SetCursorPos(0, 0); // the drag starts where no control of ours is
    HWND a = s.A->GetHandle();
    // 1. Dropped on B, which accepts: B hears it arrive, move and drop; A hears where it ended.
    s.A->BeginDrag(true);
    EXPECT_TRUE(s.A->Dragging());
    EXPECT_EQ(GetCapture(), a);
    SendMessageW(a, WM_MOUSEMOVE, 0, TScene::At(s.A, s.B, 20, 30));
    SendMessageW(a, WM_MOUSEMOVE, 0, TScene::At(s.A, s.B, 21, 33));
    SendMessageW(a, WM_LBUTTONUP, 0, TScene::At(s.A, s.B, 21, 33));
    EXPECT_FALSE(s.A->Dragging());
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(s.Events.Take(), (std::vector<String>{"A start", "B over enter A 20,30", "B over move A 21,33",
                                                    "B drop A 21,33", "A end B 21,33"}));
    // 2. Over A1 and on to B, which refuses: A1 hears it leave; nothing is dropped.
    s.Events.AcceptDrops = false;
    s.A->BeginDrag(true);
    SendMessageW(a, WM_MOUSEMOVE, 0, TScene::At(s.A, s.A1, 4, 4));
    SendMessageW(a, WM_MOUSEMOVE, 0, TScene::At(s.A, s.B, 5, 6));
    SendMessageW(a, WM_LBUTTONUP, 0, TScene::At(s.A, s.B, 5, 6));
    EXPECT_EQ(s.Events.Take(),
              (std::vector<String>{"A start", "A1 over enter A 4,4", "A1 over leave A 4,4",
                                   "B over enter A 5,6", "B over leave A 5,6", "A end nil 0,0"}));
    // 3. Esc cancels; the object OnStartDrag gives is what the targets are handed.
    s.Events.AcceptDrops = true;
    TDragObject given;
    s.Events.GiveObject = &given;
    s.A->BeginDrag(true);
    SendMessageW(a, WM_MOUSEMOVE, 0, TScene::At(s.A, s.B, 1, 2));
    SendMessageW(a, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(s.Events.Take(), (std::vector<String>{"A start", "B over enter object 1,2",
                                                    "B over leave object 1,2", "A end nil 0,0"}));
    s.Events.GiveObject = nullptr;
    // 4. Not at once: a press that moves less than 5 pixels is a click; a target freed on the way is
    // forgotten.
    POINT p{2, 2};
    ClientToScreen(a, &p);
    SetCursorPos(p.x, p.y);
    s.A->BeginDrag(false);
    SendMessageW(a, WM_MOUSEMOVE, 0, MAKELPARAM(5, 6));
    SendMessageW(a, WM_LBUTTONUP, 0, MAKELPARAM(5, 6));
    SetCursorPos(0, 0);
    s.A->BeginDrag(true);
    SendMessageW(a, WM_MOUSEMOVE, 0, TScene::At(s.A, s.B, 7, 7));
    delete s.B;
    SendMessageW(a, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(s.Events.Take(), (std::vector<String>{"A start", "A end nil 0,0", "A up0 5,6", "A start",
                                                    "B over enter A 7,7", "A end nil 0,0"}));
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST(ControlInput, MouseOfGraphicControlsAndKeys) {
    TScene s;
    // Two graphic controls on the form, G2 above G1 where they overlap; a third one disabled.
    auto graphic = [&](const char* name, int x, int y) {
        auto* g = new TGraphicControl(&s.Form);
        g->SetName(name);
        g->SetParent(&s.Form);
        g->SetBounds(x, y, 20, 20);
        s.Events.BindMouse(g);
        return g;
    };
    graphic("G1", 170, 10);
    TGraphicControl* g2 = graphic("G2", 180, 20);
    graphic("G3", 170, 100)->SetEnabled(false);
    HWND f = s.Form.GetHandle();
    struct TMove {
        UINT Msg;
        WPARAM Keys;
        int X, Y;
    };
    // The press captures the mouse for G2: moves and the release outside it still go to G2 (no click).
    const TMove moves[] = {{WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, 185, 25},
                           {WM_MOUSEMOVE, MK_LBUTTON, 300, 150},
                           {WM_LBUTTONUP, 0, 300, 150},
                           {WM_MOUSEMOVE, 0, 175, 15},
                           {WM_RBUTTONDOWN, MK_RBUTTON, 185, 25},
                           {WM_RBUTTONUP, 0, 186, 26},
                           {WM_LBUTTONDOWN, MK_LBUTTON, 181, 21},
                           {WM_LBUTTONUP, 0, 182, 22},
                           {WM_LBUTTONDOWN, MK_LBUTTON, 175, 105},
                           {WM_LBUTTONUP, 0, 175, 105}};
    for (const TMove& m : moves) {
        SendMessageW(f, m.Msg, m.Keys, MAKELPARAM(m.X, m.Y));
        if (m.Msg == WM_LBUTTONDOWN && m.X == 185) {
            EXPECT_EQ(GetCapture(), f);
        }
    }
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(s.Events.Take(),
              (std::vector<String>{"G2 down0 5,5 shift left", "G2 move 120,130 left", "G2 up0 120,130",
                                   "G1 move 5,5", "G2 down1 5,5 right", "G2 up1 6,6", "G2 down0 1,1 left",
                                   "G2 click", "G2 up0 2,2"}));
    // A graphic control freed while it holds the mouse is forgotten.
    SendMessageW(f, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(185, 25));
    delete g2;
    EXPECT_EQ(GetCapture(), nullptr);
    SendMessageW(f, WM_LBUTTONUP, 0, MAKELPARAM(300, 150));
    EXPECT_EQ(s.Events.Take(), (std::vector<String>{"G2 down0 5,5 left"}));

    // Keys: OnKeyDown and OnKeyPress, a handler's 0 keeps the key from the window.
    HWND a = s.A->GetHandle();
    SendMessageW(a, WM_KEYDOWN, VK_F5, 1);
    SendMessageW(a, WM_KEYDOWN, VK_F3, 1);
    SendMessageW(a, WM_CHAR, L'ж', 1);
    SendMessageW(a, WM_CHAR, L'q', 1);
    // Tab, Enter and Esc go to the form first; nothing there takes them, so the control gets them.
    SendMessageW(a, WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_EQ(s.Events.Take(), (std::vector<String>{"A keydown 116", "A keydown 114", "A keypress 1078",
                                                    "A keypress 113", "A keydown 13"}));
    // WM_SYSCOLORCHANGE reaches every control of the form, graphic ones too.
    struct TSysColors : TObject {
        std::vector<String> Seen;
        TControl* C;
        Messages::TWndMethod Old;
        void Proc(Messages::TMessage& m) {
            if (m.Msg == WM_SYSCOLORCHANGE) Seen.push_back(C->GetName());
            Old(m);
        }
    } a1, g1;
    a1.C = s.A1;
    g1.C = s.Form.FindComponent("G1") ? static_cast<TControl*>(s.Form.FindComponent("G1")) : nullptr;
    ASSERT_NE(g1.C, nullptr);
    for (TSysColors* t : {&a1, &g1}) {
        t->Old = t->C->GetWindowProc();
        t->C->SetWindowProc(Messages::TWndMethod::Bind<&TSysColors::Proc>(t));
    }
    SendMessageW(f, WM_SYSCOLORCHANGE, 0, 0);
    for (TSysColors* t : {&a1, &g1})
        t->C->SetWindowProc(t->Old);
    EXPECT_EQ(a1.Seen, std::vector<String>{"A1"});
    EXPECT_EQ(g1.Seen, std::vector<String>{"G1"});
    EXPECT_FALSE(IsAccel(L'a', "&&a"));
    EXPECT_TRUE(IsAccel(L'b', "&&a&B"));
    EXPECT_TRUE(IsAccel(L'д', "&Да"));
    EXPECT_FALSE(IsAccel(L'a', "a&"));
}

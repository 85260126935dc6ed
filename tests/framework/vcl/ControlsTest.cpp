// Controls: the window-procedure bridge on real windows, the control's window made on demand and its
// messages, children, parent font and colour, reflection, and who frees whom.
#include "framework/core/ClassesReaderWriter.h"
#include "framework/core/ClassesText.h"
#include "tests/framework/vcl/VclTestSupport.h"

#include <memory>

using namespace VclTest;
using namespace Controls;
using Messages::TMessage;

namespace {

// A window of a plain class (DefWindowProcW), made and destroyed by the test.
class TPlainWindow {
public:
    TPlainWindow() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VclTestPlainWindow";
        RegisterClassW(&wc); // fails harmlessly when it exists
        FHandle = CreateWindowExW(0, L"VclTestPlainWindow", L"plain", WS_POPUP, 0, 0, 10, 10, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    ~TPlainWindow() {
        if (IsWindow(FHandle)) DestroyWindow(FHandle);
    }
    HWND Handle() const { return FHandle; }

private:
    HWND FHandle;
};

// An object that hooks a window: logs what it sees and passes everything to the procedure it replaced.
class THook : public System::TObject {
public:
    THook(String Name, std::vector<String>& Log) : FName(std::move(Name)), FLog(Log) {}
    void Attach(HWND h) {
        FWnd = h;
        FInstance = MakeObjectInstance(Messages::TWndMethod::Bind<&THook::WndProc>(this));
        FPrevious = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(h, GWLP_WNDPROC, LONG_PTR(FInstance)));
    }
    // Restores the previous procedure only if the window still calls ours (someone may be above us).
    bool Detach() {
        if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(FWnd, GWLP_WNDPROC)) != FInstance) return false;
        SetWindowLongPtrW(FWnd, GWLP_WNDPROC, LONG_PTR(FPrevious));
        FreeObjectInstance(FInstance);
        FInstance = nullptr;
        return true;
    }
    void WndProc(TMessage& Message) {
        if (Message.Msg >= WM_APP) FLog.push_back(FName + " " + SysUtils::IntToStr(Message.Msg - WM_APP));
        if (Message.Msg == WM_APP + 7) {
            Message.Result = 77; // handled here; not passed on
            return;
        }
        Message.Result = CallWindowProcW(FPrevious, FWnd, Message.Msg, Message.WParam, Message.LParam);
    }
    WNDPROC Instance() const { return FInstance; }

private:
    String FName;
    std::vector<String>& FLog;
    HWND FWnd = nullptr;
    WNDPROC FInstance = nullptr;
    WNDPROC FPrevious = nullptr;
};

// A windowed control that logs the framework messages it gets and the notifications reflected to it.
class TLoggingControl : public TWinControl {
    DECLARE_CLASS(TLoggingControl, TWinControl)
public:
    using TWinControl::TWinControl;
    std::vector<String> Log;
    void WndProc(TMessage& Message) override {
        if (Message.Msg == Messages::CN_COMMAND) {
            Log.push_back("CN_COMMAND " + SysUtils::IntToStr(HIWORD(Message.WParam)));
            Message.Result = 5;
            return;
        }
        if (Message.Msg == WM_NCCREATE) Log.push_back("WM_NCCREATE");
        if (Message.Msg == WM_NCDESTROY) Log.push_back("WM_NCDESTROY");
        inherited::WndProc(Message);
    }
    using TWinControl::CreateParams;
    using TWinControl::RecreateWnd;
};
PUBLISHED(TLoggingControl, "ControlsTest");

// A component that learns when another one is freed.
class TFreeWatch : public Classes::TComponent {
public:
    explicit TFreeWatch(Classes::TComponent* Watched) : TComponent(nullptr), FWatched(Watched) {
        Watched->FreeNotification(this);
    }
    bool Freed = false;

protected:
    void Notification(Classes::TComponent* AComponent, Classes::TOperation Operation) override {
        TComponent::Notification(AComponent, Operation);
        if (AComponent == FWatched && Operation == Classes::opRemove) Freed = true;
    }

private:
    Classes::TComponent* FWatched;
};

} // namespace

TEST(ObjectInstance, HooksStackOnOneWindowAndUnhookInOrder) {
    TPlainWindow window;
    std::vector<String> log;
    THook lower("lower", log), upper("upper", log);
    lower.Attach(window.Handle());
    upper.Attach(window.Handle());
    // Two objects, one window: the upper hook sees the message first and passes it down.
    EXPECT_EQ(SendMessageW(window.Handle(), WM_APP + 1, 0, 0), 0);
    EXPECT_EQ(log, (std::vector<String>{"upper 1", "lower 1"}));
    // A message the upper hook keeps stops there, with its result.
    log.clear();
    EXPECT_EQ(SendMessageW(window.Handle(), WM_APP + 7, 0, 0), 77);
    EXPECT_EQ(log, (std::vector<String>{"upper 7"}));
    // The lower one cannot leave while the upper one sits on it; after the upper one, it can.
    EXPECT_FALSE(lower.Detach());
    WNDPROC lowerInstance = lower.Instance();
    EXPECT_NE(lowerInstance, upper.Instance());
    EXPECT_TRUE(upper.Detach());
    log.clear();
    SendMessageW(window.Handle(), WM_APP + 2, 0, 0);
    EXPECT_EQ(log, (std::vector<String>{"lower 2"}));
    EXPECT_TRUE(lower.Detach());
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window.Handle(), GWLP_WNDPROC)), &DefWindowProcW);
    // The instance freed last is the next one made.
    WNDPROC again = MakeObjectInstance(Messages::TWndMethod::Bind<&THook::WndProc>(&lower));
    EXPECT_EQ(again, lowerInstance);
    FreeObjectInstance(again);
}

TEST(ObjectInstance, AllocateHWndSendsTheWindowsMessagesToTheMethod) {
    std::vector<String> log;
    class TReceiver : public System::TObject {
    public:
        std::vector<String>* Log;
        HWND Wnd = nullptr;
        void WndProc(TMessage& Message) {
            if (Message.Msg >= WM_APP) {
                Log->push_back(SysUtils::IntToStr(Message.Msg - WM_APP) + ":" +
                               SysUtils::IntToStr(Message.WParam) + ":" + SysUtils::IntToStr(Message.LParam));
                Message.Result = Message.WParam + Message.LParam;
                return;
            }
            Message.Result = DefWindowProcW(Wnd, Message.Msg, Message.WParam, Message.LParam);
        }
    } receiver;
    receiver.Log = &log;
    HWND h = AllocateHWnd(Messages::TWndMethod::Bind<&TReceiver::WndProc>(&receiver));
    receiver.Wnd = h;
    ASSERT_TRUE(IsWindow(h));
    EXPECT_EQ(SendMessageW(h, WM_APP + 3, 40, 2), 42);
    PostMessageW(h, WM_APP + 4, 1, 1);
    Forms::Application->ProcessMessages();
    EXPECT_EQ(log, (std::vector<String>{"3:40:2", "4:1:1"}));
    DeallocateHWnd(h);
    EXPECT_FALSE(IsWindow(h));
}

TEST(WinControl, WindowIsMadeOnDemandParentFirstAndForgottenWhenDestroyed) {
    auto form = std::make_unique<Forms::TForm>(nullptr);
    auto* control = new TLoggingControl(form.get());
    control->SetParent(form.get());
    control->SetBounds(5, 6, 70, 20);
    control->SetCaption("Текст");
    // Nothing has a window until one is asked for; the child's request makes the parent's first.
    EXPECT_FALSE(form->HandleAllocated());
    EXPECT_FALSE(control->HandleAllocated());
    HWND h = control->GetHandle();
    ASSERT_TRUE(form->HandleAllocated());
    EXPECT_EQ(GetParent(h), form->GetHandle());
    EXPECT_EQ(control->Log.front(), "WM_NCCREATE"); // the very first message already reached the control
    EXPECT_EQ(WindowText(h), "Текст");
    EXPECT_EQ(TWinControl::FindControl(h), control);
    RECT r;
    GetWindowRect(h, &r);
    MapWindowPoints(nullptr, form->GetHandle(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 5);
    EXPECT_EQ(r.top, 6);
    EXPECT_EQ(r.right - r.left, 70);
    // Moving the window by hand is seen by the control; moving the control moves the window.
    SetWindowPos(h, nullptr, 9, 10, 30, 40, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(control->GetLeft(), 9);
    EXPECT_EQ(control->GetHeight(), 40);
    control->SetBounds(1, 2, 3, 4);
    GetWindowRect(h, &r);
    EXPECT_EQ(r.right - r.left, 3);
    // A caption set later reaches the window.
    control->SetCaption("Другой");
    EXPECT_EQ(WindowText(h), "Другой");
    // Someone else destroys the window: the control forgets it and makes a new one when asked.
    DestroyWindow(h);
    EXPECT_FALSE(control->HandleAllocated());
    EXPECT_EQ(control->Log.back(), "WM_NCDESTROY");
    HWND again = control->GetHandle();
    EXPECT_TRUE(IsWindow(again));
    EXPECT_EQ(WindowText(again), "Другой");
    // Recreating keeps what the control holds.
    control->RecreateWnd();
    EXPECT_NE(control->GetHandle(), nullptr);
    EXPECT_EQ(control->GetLeft(), 1);
    // Hiding and disabling reach the window.
    control->SetVisible(false);
    EXPECT_FALSE(IsWindowVisible(control->GetHandle()));
    control->SetEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(control->GetHandle()));
}

TEST(WinControl, ChildNotificationsAreReflectedToTheChild) {
    auto form = std::make_unique<Forms::TForm>(nullptr);
    auto* control = new TLoggingControl(form.get());
    control->SetParent(form.get());
    HWND h = control->GetHandle();
    // A child's WM_COMMAND to its parent reaches the child as CN_COMMAND, with the child's result.
    LRESULT r = SendMessageW(form->GetHandle(), WM_COMMAND, MAKEWPARAM(12, BN_CLICKED), LPARAM(h));
    EXPECT_EQ(r, 5);
    EXPECT_EQ(control->Log.back(), "CN_COMMAND " + SysUtils::IntToStr(BN_CLICKED));
    // A command of no child of ours (a menu) stays with the parent.
    size_t before = control->Log.size();
    SendMessageW(form->GetHandle(), WM_COMMAND, MAKEWPARAM(12, 0), 0);
    EXPECT_EQ(control->Log.size(), before);
}

TEST(WinControl, WindowProcCanBeHooked) {
    auto form = std::make_unique<Forms::TForm>(nullptr);
    class TSpy : public System::TObject {
    public:
        Controls::TControl* Target;
        Messages::TWndMethod Old;
        int Seen = 0;
        void Hook(TMessage& Message) {
            if (Message.Msg == WM_APP + 9) {
                ++Seen;
                Message.Result = 9;
                return;
            }
            Old(Message);
        }
    } spy;
    spy.Target = form.get();
    spy.Old = form->GetWindowProc();
    form->SetWindowProc(Messages::TWndMethod::Bind<&TSpy::Hook>(&spy));
    EXPECT_EQ(SendMessageW(form->GetHandle(), WM_APP + 9, 0, 0), 9);
    EXPECT_EQ(form->Perform(WM_APP + 9, 0, 0), 9);
    EXPECT_EQ(spy.Seen, 2);
    // Everything else still reaches the form (its caption, for one).
    form->SetCaption("hooked");
    EXPECT_EQ(WindowText(form->GetHandle()), "hooked");
    form->SetWindowProc(spy.Old);
}

TEST(Control, ParentFontAndColourFollowTheParentUntilSetOwnValues) {
    auto form = std::make_unique<Forms::TForm>(nullptr);
    auto* a = new StdCtrls::TLabel(form.get());
    auto* b = new StdCtrls::TLabel(form.get());
    a->SetParent(form.get());
    b->SetParent(form.get());
    EXPECT_EQ(a->GetFont()->GetName(), "MS Sans Serif");
    EXPECT_EQ(a->GetColor(), Graphics::clBtnFace);
    // b gets a font and a colour of its own.
    b->GetFont()->SetName("Arial");
    b->SetColor(Graphics::clRed);
    EXPECT_FALSE(b->GetParentFont());
    EXPECT_FALSE(b->GetParentColor());
    form->GetFont()->SetHeight(-16);
    form->GetFont()->SetStyle({Graphics::fsBold});
    form->SetColor(Graphics::clAqua);
    EXPECT_EQ(a->GetFont()->GetHeight(), -16);
    EXPECT_TRUE(a->GetFont()->GetStyle().Contains(Graphics::fsBold));
    EXPECT_EQ(a->GetFont()->GetHandle(), form->GetFont()->GetHandle()); // one HFONT for both
    EXPECT_TRUE(a->GetParentFont());
    EXPECT_EQ(a->GetColor(), Graphics::clAqua);
    EXPECT_EQ(b->GetFont()->GetName(), "Arial");
    EXPECT_EQ(b->GetFont()->GetHeight(), -11);
    EXPECT_EQ(b->GetColor(), Graphics::clRed);
    // ParentFont set again takes the parent's at once.
    b->SetParentFont(true);
    EXPECT_EQ(b->GetFont()->GetName(), "MS Sans Serif");
    EXPECT_EQ(b->GetFont()->GetHeight(), -16);
}

TEST(Control, AParentFreesItsChildrenAndAFreedChildLeavesItsParent) {
    auto form = std::make_unique<Forms::TForm>(nullptr);
    auto* panel = new TLoggingControl(nullptr); // no owner: its parent frees it
    panel->SetParent(form.get());
    auto* inner = new StdCtrls::TLabel(form.get());
    inner->SetParent(panel);
    auto* gone = new StdCtrls::TLabel(form.get());
    gone->SetParent(panel);
    EXPECT_EQ(panel->GetControlCount(), 2);
    delete gone;
    EXPECT_EQ(panel->GetControlCount(), 1);
    EXPECT_EQ(panel->GetControl(0), inner);
    EXPECT_THROW(panel->GetControl(1), Classes::EListError);
    TFreeWatch watchPanel(panel), watchInner(inner);
    HWND h = panel->GetHandle();
    delete panel;
    EXPECT_TRUE(watchPanel.Freed);
    EXPECT_TRUE(watchInner.Freed); // freed by its parent, and gone from its owner's list
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(form->GetControlCount(), 0);
    EXPECT_EQ(form->GetComponentCount(), 0);
    // Gone from the tab order too: the next windowed control is the first.
    auto* next = new TLoggingControl(form.get());
    next->SetParent(form.get());
    EXPECT_EQ(next->GetTabOrder(), 0);
    EXPECT_TRUE(IsWindow(next->GetHandle()));
}

TEST(Control, TabOrderIsThePlaceAmongTheParentsWindowedControls) {
    auto form = std::make_unique<Forms::TForm>(nullptr);
    TWinControl* c[3];
    for (auto& x : c) {
        x = new TLoggingControl(form.get());
        x->SetParent(form.get());
    }
    auto* label = new StdCtrls::TLabel(form.get()); // not windowed: no tab order
    label->SetParent(form.get());
    EXPECT_EQ(c[0]->GetTabOrder(), 0);
    EXPECT_EQ(c[2]->GetTabOrder(), 2);
    c[2]->SetTabOrder(0);
    EXPECT_EQ(c[2]->GetTabOrder(), 0);
    EXPECT_EQ(c[0]->GetTabOrder(), 1);
    EXPECT_EQ(c[1]->GetTabOrder(), 2);
    c[2]->SetTabOrder(99); // beyond the end: last
    EXPECT_EQ(c[2]->GetTabOrder(), 2);
    EXPECT_EQ(form->GetTabOrder(), -1);
}

TEST(Control, OnlyAlignNoneIsAcceptedFromAStream) {
    auto read = [](const String& text) {
        Classes::TMemoryStream in, binary;
        in.WriteBuffer(text.data(), text.size());
        in.SetPosition(0);
        Classes::ObjectTextToBinary(in, binary);
        binary.SetPosition(0);
        return Classes::ReadComponentFromStream(binary);
    };
    auto label = read("object Probe: TLabel\n  Align = alNone\n  Caption = 'x'\nend\n");
    EXPECT_EQ(static_cast<StdCtrls::TLabel*>(label.get())->GetAlign(), alNone);
    try {
        read("object Probe: TLabel\n  Align = alClient\nend\n");
        ADD_FAILURE() << "alClient was accepted";
    } catch (const Classes::EReadError& e) {
        EXPECT_NE(e.Message().find("Align alClient is not supported"), String::npos) << e.Message();
    }
}

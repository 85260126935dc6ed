// Forms: the application object: its window and title, the message loop, and what happens to an exception
// that leaves an event handler (a message box titled with the title, error icon, OK; the program goes on).
#include "tests/framework/vcl/VclTestSupport.h"

#include <commctrl.h>

#include <memory>
#include <stdexcept>

using namespace VclTest;
using namespace Forms;

namespace {

// Restores the application's title and event, and frees the forms a test made (the main form with them).
class ApplicationTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Application->GetMainForm(), nullptr) << "a test left a main form behind";
        FTitle = Application->GetTitle();
    }
    void TearDown() override {
        Application->SetTitle(FTitle);
        Application->SetOnException(nullptr);
        while (Application->GetComponentCount() > 0)
            delete Application->GetComponent(Application->GetComponentCount() - 1);
        Application->ProcessMessages();
        EXPECT_EQ(Application->GetMainForm(), nullptr);
    }
    String FTitle;
};

// Throws E from inside a catch block's reach, then lets the application show it.
template <class E> void Raise(const E& e) {
    try {
        throw e;
    } catch (...) {
        Application->HandleException(nullptr);
    }
}

// A windowed control whose handler of WM_APP fails.
class TFailingControl : public Controls::TWinControl {
    DECLARE_CLASS(TFailingControl, Controls::TWinControl)
public:
    using TWinControl::TWinControl;
    int Handled = 0;
    void WndProc(Messages::TMessage& Message) override {
        if (Message.Msg == WM_APP) {
            ++Handled;
            throw Classes::EInvalidOperation("Операция невозможна");
        }
        inherited::WndProc(Message);
    }
};
PUBLISHED(TFailingControl, "ApplicationTest");

// Learns that a component was freed (free notification).
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

// A collector for OnException.
class TExceptionLog : public System::TObject {
public:
    std::vector<String> Messages;
    std::vector<System::TObject*> Senders;
    void Handle(System::TObject* Sender, SysUtils::Exception* E) {
        Senders.push_back(Sender);
        Messages.push_back(String(E->ClassName()) + ": " + E->Message());
    }
};

} // namespace

TEST_F(ApplicationTest, TitleIsTheHiddenApplicationWindowsText) {
    Application->Initialize();
    HWND h = Application->GetHandle();
    ASSERT_TRUE(IsWindow(h));
    EXPECT_FALSE(IsWindowVisible(h));
    // Without a title of its own: the program's file name without its extension.
    Application->SetTitle("");
    EXPECT_EQ(Application->GetTitle(), "framework_vcl_tests");
    Application->SetTitle("Конвертер шаблонов оформления");
    EXPECT_EQ(WindowText(h), "Конвертер шаблонов оформления");
    EXPECT_EQ(Application->GetTitle(), "Конвертер шаблонов оформления");
}

TEST_F(ApplicationTest, HandleExceptionShowsAnErrorBoxAndAppendsAFullStopByTheByteRule) {
    Application->SetTitle("Конвертер шаблонов оформления");
    // "!" (0x21) and ")" (0x29) sort before "." (0x2E), "/" (0x2F), digits and letters after it; the last
    // byte of a Cyrillic letter in UTF-8 (0x80..0xBF) is above it, as the letter's 1251 code is.
    struct TCase {
        String Message, Shown;
    } cases[] = {{"abc", "abc."},
                 {"abc.", "abc."},
                 {"abc!", "abc!"},
                 {"", ""},
                 {"(abc)", "(abc)"},
                 {"a/", "a/."},
                 {"Table: Поле 'TabPos' не найдено", "Table: Поле 'TabPos' не найдено."},
                 {"x 1", "x 1."}};
    ASSERT_LT('!', '.');
    ASSERT_LT(')', '.');
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Message);
        TBoxDriver boxes;
        Raise(Classes::EReadError(c.Message));
        ASSERT_EQ(boxes.Seen().size(), 1u);
        const TSeenBox& box = boxes.Seen()[0];
        EXPECT_EQ(box.Caption, "Конвертер шаблонов оформления");
        EXPECT_EQ(box.Text, c.Shown);
        EXPECT_TRUE(box.StopIcon);
        EXPECT_TRUE(box.HasOk);
        EXPECT_FALSE(box.HasCancel);
    }
    // Not an Exception: its what() text; EAbort: nothing at all.
    {
        TBoxDriver boxes;
        Raise(std::runtime_error("disk full"));
        Raise(SysUtils::EAbort("silent"));
        ASSERT_EQ(boxes.Seen().size(), 1u);
        EXPECT_EQ(boxes.Seen()[0].Text, "disk full.");
    }
    // Outside a catch block there is nothing to handle.
    TBoxDriver boxes;
    Application->HandleException(nullptr);
    Application->ProcessMessages();
    EXPECT_TRUE(boxes.Seen().empty());
}

TEST_F(ApplicationTest, OnExceptionReplacesTheBox) {
    TExceptionLog log;
    Application->SetOnException(Forms::TExceptionEvent::Bind<&TExceptionLog::Handle>(&log));
    TBoxDriver boxes;
    Raise(SysUtils::EConvertError("'x' is not a valid integer value"));
    Raise(std::runtime_error("plain"));
    Raise(SysUtils::EAbort("still silent"));
    EXPECT_TRUE(boxes.Seen().empty());
    EXPECT_EQ(log.Messages,
              (std::vector<String>{"EConvertError: 'x' is not a valid integer value", "Exception: plain"}));
}

TEST_F(ApplicationTest, ExceptionsLeavingMessageHandlersAreShownAndTheProgramGoesOn) {
    Application->SetTitle("Handlers");
    TBoxDriver boxes;
    // 1. A window message: SendMessageW returns normally, the box has been shown meanwhile.
    auto parent = std::make_unique<TForm>(nullptr);
    auto* control = new TFailingControl(parent.get());
    control->SetParent(parent.get());
    SendMessageW(control->GetHandle(), WM_APP, 0, 0);
    SendMessageW(control->GetHandle(), WM_APP, 0, 0);
    EXPECT_EQ(control->Handled, 2);
    // 2. A timer tick, twice: the timer stops itself before it fails (its ticks would go on inside the box's
    // own message loop), and works again when enabled after the box.
    auto form = std::unique_ptr<TVclTestForm>(TCustomForm::Create<TVclTestForm>(nullptr));
    int ticks = 0;
    form->OnTick = [&] {
        form->TickTimer->SetEnabled(false);
        throw SysUtils::EConvertError("tick " + SysUtils::IntToStr(++ticks));
    };
    form->TickTimer->SetInterval(10);
    form->TickTimer->SetEnabled(true);
    EXPECT_TRUE(PumpUntil([&] { return boxes.Seen().size() == 3; }));
    form->TickTimer->SetEnabled(true);
    EXPECT_TRUE(PumpUntil([&] { return boxes.Seen().size() == 4; }));
    EXPECT_EQ(ticks, 2);
    ASSERT_EQ(boxes.Seen().size(), 4u);
    EXPECT_EQ(boxes.Seen()[0].Text, "Операция невозможна.");
    EXPECT_EQ(boxes.Seen()[1].Text, "Операция невозможна.");
    EXPECT_EQ(boxes.Seen()[2].Text, "tick 1.");
    EXPECT_EQ(boxes.Seen()[3].Text, "tick 2.");
    for (const TSeenBox& b : boxes.Seen())
        EXPECT_EQ(b.Caption, "Handlers");
    // The windows are still there and still work.
    EXPECT_TRUE(IsWindow(control->GetHandle()));
    EXPECT_EQ(SendMessageW(form->ProgressBar->GetHandle(), PBM_SETPOS, 40, 0), 0);
    EXPECT_EQ(form->ProgressBar->GetPosition(), 40);
}

TEST_F(ApplicationTest, RunEndsWhenTheMainFormClosesFromATimer) {
    TVclTestForm* form = nullptr;
    Application->CreateForm(form);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(Application->GetMainForm(), form);
    EXPECT_EQ(form->GetOwner(), Application);
    // A second form is not the main form.
    TVclTestForm* second = nullptr;
    Application->CreateForm(second);
    EXPECT_EQ(Application->GetMainForm(), form);
    EXPECT_EQ(second->GetName(), "VclTestForm_1"); // two forms of one class under one owner
    delete second;

    int ticks = 0;
    form->OnTick = [&] {
        form->PatternName->SetCaption("tick " + SysUtils::IntToStr(++ticks));
        if (ticks == 3) form->Close();
    };
    form->TickTimer->SetInterval(20);
    form->TickTimer->SetEnabled(true);
    Application->Run();
    EXPECT_TRUE(Application->GetTerminated());
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(form->PatternName->GetCaption(), "tick 3");
    // Closing the main form ends the loop and leaves the form to the application.
    EXPECT_EQ(Application->GetMainForm(), form);
    form->TickTimer->SetEnabled(false);
}

TEST_F(ApplicationTest, RunShowsTheMainFormAndAnExceptionInOnShowDoesNotStopIt) {
    Application->SetTitle("Show");
    // The main form hidden again after its creation: Run shows it.
    TVclTestForm* main = nullptr;
    Application->CreateForm(main);
    main->Hide();
    EXPECT_FALSE(IsWindowVisible(main->GetHandle()));
    class TShowFails : public System::TObject {
    public:
        void Show(System::TObject*) { throw SysUtils::EInOutError("no disk"); }
    } fails;
    main->SetOnShow(Classes::TNotifyEvent::Bind<&TShowFails::Show>(&fails));
    // The timer closes the form once the box has been answered (a WM_QUIT would end the box's loop too).
    TBoxDriver boxes;
    main->OnTick = [&] {
        if (!boxes.Seen().empty()) main->Close();
    };
    main->TickTimer->SetInterval(20);
    main->TickTimer->SetEnabled(true);
    Application->Run();
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_EQ(boxes.Seen()[0].Text, "no disk.");
    EXPECT_EQ(boxes.Seen()[0].Caption, "Show");
    main->TickTimer->SetEnabled(false);
}

TEST_F(ApplicationTest, CloseHidesOrFreesAFormThatIsNotTheMainOne) {
    class TCloser : public System::TObject {
    public:
        Forms::TCloseAction Action = caHide;
        bool CanClose = true;
        int Asked = 0;
        void Close(System::TObject*, Forms::TCloseAction& A) { A = Action; }
        void Query(System::TObject*, bool& C) {
            ++Asked;
            C = CanClose;
        }
    } closer;
    auto form = std::unique_ptr<TVclTestForm>(TCustomForm::Create<TVclTestForm>(nullptr));
    form->SetOnClose(Forms::TCloseEvent::Bind<&TCloser::Close>(&closer));
    form->SetOnCloseQuery(Forms::TCloseQueryEvent::Bind<&TCloser::Query>(&closer));
    HWND h = form->GetHandle();
    // OnCloseQuery says no: nothing happens.
    closer.CanClose = false;
    SendMessageW(h, WM_CLOSE, 0, 0);
    EXPECT_EQ(closer.Asked, 1);
    EXPECT_TRUE(IsWindowVisible(h));
    // caHide (the default): hidden, the window stays.
    closer.CanClose = true;
    SendMessageW(h, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindowVisible(h));
    EXPECT_FALSE(form->GetVisible());
    EXPECT_TRUE(IsWindow(h));
    // caFree: the form frees itself once the queue gets to it.
    TFreeWatch watch(form.get());
    form->Show();
    closer.Action = caFree;
    form->Close();
    EXPECT_TRUE(IsWindow(h));
    EXPECT_FALSE(watch.Freed);
    form.release(); // the form's own now
    Application->ProcessMessages();
    EXPECT_TRUE(watch.Freed);
    EXPECT_FALSE(IsWindow(h));
}

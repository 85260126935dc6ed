// Multiple-document forms, and the application's hint and help.
#include "tests/framework/vcl/VclTestSupport.h"

using namespace Forms;

TEST(FormsMDI, ChildrenLiveInTheFramesClientWindow) {
    EXPECT_THROW(
        {
            TForm orphan(nullptr);
            orphan.SetFormStyle(fsMDIChild);
            orphan.HandleNeeded();
        },
        Classes::EInvalidOperation);
    auto frame = std::make_unique<TForm>(nullptr);
    frame->SetFormStyle(fsMDIForm);
    frame->SetBounds(0, 0, 500, 400);
    frame->HandleNeeded();
    HWND client = frame->GetClientHandle();
    ASSERT_NE(client, nullptr);
    wchar_t cls[32] = {};
    GetClassNameW(client, cls, 32);
    EXPECT_STREQ(cls, L"MDIClient");
    EXPECT_EQ(GetParent(client), frame->GetHandle());
    EXPECT_EQ(frame->GetMDIChildCount(), 0);
    EXPECT_EQ(frame->GetActiveMDIChild(), nullptr);
    std::vector<std::unique_ptr<TForm>> children;
    for (int i = 0; i < 2; ++i) {
        children.push_back(std::make_unique<TForm>(nullptr));
        children.back()->SetFormStyle(fsMDIChild);
        children.back()->SetCaption("Child " + SysUtils::IntToStr(i));
        children.back()->SetBounds(10 * i, 10 * i, 200, 150);
        children.back()->Show();
    }
    EXPECT_EQ(frame->GetMDIChildCount(), 2);
    EXPECT_EQ(GetParent(children[0]->GetHandle()), client);
    EXPECT_EQ(frame->GetMDIChild(1), children[1].get());
    SendMessageW(client, WM_MDIACTIVATE, WPARAM(children[0]->GetHandle()), 0);
    EXPECT_EQ(frame->GetActiveMDIChild(), children[0].get());
    EXPECT_THROW(frame->GetMDIChild(2), Classes::EListError);
    children[0].reset();
    EXPECT_EQ(frame->GetMDIChildCount(), 1);
    EXPECT_EQ(frame->GetActiveMDIChild(), children[1].get());
}

TEST(FormsMDI, HintsAndHelpGoThroughTheApplication) {
    int hints = 0;
    struct TSink : System::TObject {
        int* Hints;
        std::vector<std::pair<UINT, int>> Asked;
        void Hint(System::TObject*) { ++*Hints; }
        bool Help(UINT Command, int Data, bool& CallHelp) {
            Asked.push_back({Command, Data});
            CallHelp = false;
            return true;
        }
    } sink;
    sink.Hints = &hints;
    Application->SetOnHint(Classes::TNotifyEvent::Bind<&TSink::Hint>(&sink));
    Application->SetHint("Opens a file");
    Application->SetHint("Opens a file");
    EXPECT_EQ(Application->GetHint(), "Opens a file");
    EXPECT_EQ(hints, 1);
    Application->SetHint("");
    Application->SetOnHint({});
    EXPECT_FALSE(Application->HelpContext(12)); // no file, nobody listening
    Application->SetOnHelp(THelpEvent::Bind<&TSink::Help>(&sink));
    EXPECT_TRUE(Application->HelpContext(12));
    EXPECT_TRUE(Application->HelpCommand(HELP_CONTEXTPOPUP, 7));
    Application->SetOnHelp({});
    EXPECT_EQ(sink.Asked, (std::vector<std::pair<UINT, int>>{{HELP_CONTEXT, 12}, {HELP_CONTEXTPOPUP, 7}}));
}

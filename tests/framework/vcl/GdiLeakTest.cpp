// The window layer leaks no GDI object: forms with their controls made, shown, painted, changed and freed
// many times leave the process's GDI object count where it was.
#include "tests/framework/vcl/VclTestSupport.h"

#include <memory>

using namespace VclTest;

namespace {

// One life of the test form: read, shown, painted through its window and by PaintTo, its texts, fonts,
// colours and icon changed, its window remade, then freed.
void OneLife(int i) {
    auto form = std::unique_ptr<TVclTestForm>(Forms::TCustomForm::Create<TVclTestForm>(nullptr));
    RECT client;
    GetClientRect(form->GetHandle(), &client);
    TDib dib(client.right, client.bottom);
    form->PatternName->SetCaption("table" + SysUtils::IntToStr(i) + ".db");
    form->ProgressBar->SetPosition(i % 101);
    SendMessageW(form->GetHandle(), WM_PRINTCLIENT, WPARAM(dib.DC()), PRF_CLIENT);
    form->GetFont()->SetHeight(-11 - i % 3); // the labels follow with fonts of their own handles
    form->Label1->SetColor(Graphics::clYellow);
    form->PatternName->GetCanvas()->TextWidth("x"); // a canvas that takes a DC of its own
    form->PaintTo(dib.DC(), 0, 0);
    form->Label3->SetTransparent(i % 2 == 0);
    form->Bevel1->SetStyle(ExtCtrls::bsRaised);
    InvalidateRect(form->GetHandle(), nullptr, TRUE);
    UpdateWindow(form->GetHandle());
    if (i % 5 == 0) form->RecreateWnd();
    if (i % 7 == 0) form->GetIcon()->Assign(nullptr);
    Forms::Application->ProcessMessages();
}

} // namespace

TEST(GdiLeaks, FormsWithControlsComeAndGoWithoutLeavingObjects) {
    // The first life makes what the system keeps for good (DC caches, stock objects, class brushes).
    OneLife(0);
    OneLife(1);
    int base = TestSupport::LiveGdiObjects();
    ASSERT_GT(base, 0) << "the GDI handle table was not found";
    for (int i = 2; i < 52; ++i)
        OneLife(i);
    EXPECT_EQ(TestSupport::LiveGdiObjects(), base);
}

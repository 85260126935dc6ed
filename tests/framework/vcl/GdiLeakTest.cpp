// The window layer leaks no GDI object: forms with their controls made, shown, painted, changed and freed
// many times leave the process's GDI object count where it was.
#include "tests/framework/vcl/VclTestSupport.h"

#include "framework/core/ClassesReaderWriter.h"
#include "framework/vcl/ImgList.h"

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

namespace {

// One round of the graphics the menus use: bitmaps changed in every way, drawn and streamed, a picture
// through its Data, a metafile recorded and played, an image list filled, read, drawn and streamed, icons
// in and out, fonts taken over.
void GraphicsRound(int i) {
    using namespace Graphics;
    TDib dib(64, 32);
    TCanvas on;
    on.SetHandle(dib.DC());
    TBitmap b;
    b.SetSize(16 + i % 3, 16);
    b.GetCanvas()->GetBrush()->SetColor(clFuchsia);
    b.GetCanvas()->FillRect(Rect(0, 0, 4, 4));
    b.GetCanvas()->Ellipse(2, 2, 12, 12);
    b.GetCanvas()->SetPixel(0, 15, clRed);
    b.SetTransparent(i % 2 == 0);
    on.Draw(0, 0, &b);
    on.StretchDraw(Rect(20, 0, 52, 32), &b);
    b.GetMaskHandle();
    b.SetPixelFormat(i % 2 ? pf4bit : pf24bit);
    b.SetHandleType(bmDDB);
    b.SetMonochrome(true);
    b.SetMonochrome(false);
    on.CopyRect(Rect(0, 0, 8, 8), b.GetCanvas(), Rect(0, 0, 8, 8));
    b.Dormant();
    TPicture p;
    p.SetGraphic(&b);
    Classes::TMemoryStream m;
    b.SaveToStream(m);
    m.SetPosition(0);
    p.GetBitmap()->LoadFromStream(m);
    TMetafile mf;
    mf.SetWidth(16);
    mf.SetHeight(16);
    {
        TMetafileCanvas c(&mf, nullptr);
        c.Rectangle(0, 0, 16, 16);
    }
    on.Draw(40, 0, &mf);
    p.SetGraphic(&mf);
    ImgList::TImageList list(nullptr);
    list.AddMasked(&b, clDefault);
    TIcon icon;
    list.GetIcon(0, &icon);
    list.AddIcon(&icon);
    list.GetBitmap(1, p.GetBitmap());
    list.Draw(&on, 0, 0, 0, i % 2 == 0);
    ImgList::TImageList copy(nullptr);
    Classes::TMemoryStream listStream;
    {
        Classes::TWriter w(listStream);
        w.WriteRootComponent(&list);
    }
    listStream.SetPosition(0);
    Classes::ReadComponentFromStream(listStream, &copy);
    TFont font;
    font.SetHandle(CreateFontW(-12, 0, 900, 900, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, L"Arial"));
    on.SetFont(&font);
    on.TextOut(0, 30, "Menu");
}

} // namespace

TEST(GdiLeaks, GraphicsComeAndGoWithoutLeavingObjects) {
    GraphicsRound(0);
    GraphicsRound(1);
    int base = TestSupport::LiveGdiObjects();
    for (int i = 2; i < 42; ++i)
        GraphicsRound(i);
    EXPECT_EQ(TestSupport::LiveGdiObjects(), base);
}

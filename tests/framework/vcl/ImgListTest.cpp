// Image lists: a masked strip cut into images, images read back and drawn (normal, on a colour, disabled),
// the other operations and their refusals, and change links (the Bitmap property in form streams is tested
// with the other streamed graphics, in GraphicsPictureTest.cpp).
#include "tests/framework/vcl/VclTestSupport.h"

#include "framework/vcl/ImgList.h"

using namespace VclTest;
using namespace Graphics;
using ImgList::TChangeLink;
using ImgList::TImageList;

namespace {

// Count images of Size x Size side by side: fuchsia, with a square of colors[i] from 4 to Size - 4.
void Strip(TBitmap& strip, int Size, std::initializer_list<TColor> Colors) {
    strip.SetSize(Size * int(Colors.size()), Size);
    TCanvas* c = strip.GetCanvas();
    c->GetBrush()->SetColor(clFuchsia);
    c->FillRect(Rect(0, 0, strip.GetWidth(), Size));
    int i = 0;
    for (TColor color : Colors) {
        c->GetBrush()->SetColor(color);
        c->FillRect(Rect(i * Size + 4, 4, i * Size + Size - 4, Size - 4));
        ++i;
    }
}

struct TLog : System::TObject {
    std::vector<String> Lines;
    void A(System::TObject* Sender) { Lines.push_back(Sender ? "a" : "a without sender"); }
    void B(System::TObject*) { Lines.push_back("b"); }
    void List(System::TObject*) { Lines.push_back("list"); }
};

} // namespace

TEST(ImageList, CutsAStripReadsImagesBackAndDrawsThem) {
    TImageList list(nullptr);
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.GetWidth(), 16);
    EXPECT_EQ(list.GetHeight(), 16);
    EXPECT_TRUE(list.GetMasked());
    EXPECT_EQ(list.GetBkColor(), clNone);
    TBitmap strip;
    Strip(strip, 16, {clRed, clLime, clBlue});
    EXPECT_EQ(list.AddMasked(&strip, clFuchsia), 0);
    EXPECT_EQ(list.AddMasked(&strip, clDefault), 3); // the strip's bottom-left colour: fuchsia again
    EXPECT_EQ(list.GetCount(), 6);
    EXPECT_EQ(strip.GetCanvas()->GetPixel(0, 0), clFuchsia); // the strip is left as it was
    // GetBitmap: the image on the bitmap's brush colour (white), or on BkColor.
    TBitmap image;
    list.GetBitmap(4, &image);
    ASSERT_EQ(image.GetWidth(), 16);
    ASSERT_EQ(image.GetHeight(), 16);
    EXPECT_EQ(image.GetCanvas()->GetPixel(8, 8), clLime);
    EXPECT_EQ(image.GetCanvas()->GetPixel(0, 15), clWhite);
    EXPECT_EQ(image.GetCanvas()->GetPixel(3, 3), clWhite);
    list.SetBkColor(clYellow);
    list.GetBitmap(2, &image);
    EXPECT_EQ(image.GetCanvas()->GetPixel(8, 8), clBlue);
    EXPECT_EQ(image.GetCanvas()->GetPixel(0, 0), clYellow);
    list.SetBkColor(clNone);
    list.GetBitmap(6, &image); // outside the list: nothing happens
    list.GetBitmap(-1, &image);
    list.GetBitmap(0, nullptr);
    EXPECT_EQ(image.GetCanvas()->GetPixel(8, 8), clBlue);
    EXPECT_EQ(image.GetCanvas()->GetPixel(0, 0), clYellow);
    // Draw: transparent where the mask says; disabled, the shape in the shadow colour over the highlight
    // colour one pixel down and right.
    TDib dib(40, 20, RGB(1, 2, 3));
    TCanvas c;
    c.SetHandle(dib.DC());
    list.Draw(&c, 0, 0, 0);
    EXPECT_EQ(dib.Pixel(8, 8), RGB(255, 0, 0));
    EXPECT_EQ(dib.Pixel(0, 0), RGB(1, 2, 3));
    list.Draw(&c, 20, 0, 1, false);
    EXPECT_EQ(dib.Pixel(28, 8), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(dib.Pixel(24, 4), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(dib.Pixel(32, 12), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(dib.Pixel(23, 3), RGB(1, 2, 3));
    EXPECT_EQ(dib.Pixel(33, 13), RGB(1, 2, 3));
    list.Draw(&c, 0, 0, 99); // nothing
    // An explicit mask, an icon, icons out, replacing and deleting.
    TBitmap aqua, mask;
    aqua.GetCanvas()->GetBrush()->SetColor(clAqua);
    aqua.SetSize(16, 16);
    mask.SetMonochrome(true);
    mask.SetSize(16, 16); // white: transparent
    mask.GetCanvas()->GetBrush()->SetColor(clBlack);
    mask.GetCanvas()->FillRect(Rect(0, 0, 8, 8));
    EXPECT_EQ(list.Add(&aqua, &mask), 6);
    list.GetBitmap(6, &image);
    EXPECT_EQ(image.GetCanvas()->GetPixel(2, 2), clAqua);
    EXPECT_EQ(image.GetCanvas()->GetPixel(12, 12), clWhite);
    TIcon icon;
    icon.LoadFromResourceName(GetModuleHandleW(nullptr), "VCLTESTICON");
    EXPECT_EQ(list.AddIcon(&icon), 7);
    list.GetBitmap(7, &image); // the 32 x 32 icon at 16 x 16: the red centre, the blue body
    EXPECT_EQ(image.GetCanvas()->GetPixel(8, 8), clRed);
    EXPECT_EQ(image.GetCanvas()->GetPixel(2, 2), clBlue);
    TIcon out;
    list.GetIcon(0, &out);
    EXPECT_EQ(out.GetWidth(), 16);
    TDib iconDib(16, 16, RGB(1, 2, 3));
    DrawIconEx(iconDib.DC(), 0, 0, out.GetHandle(), 16, 16, 0, nullptr, DI_NORMAL);
    EXPECT_EQ(iconDib.Pixel(8, 8), RGB(255, 0, 0));
    EXPECT_EQ(iconDib.Pixel(1, 1), RGB(1, 2, 3));
    list.Replace(0, &aqua, nullptr);
    list.GetBitmap(0, &image);
    EXPECT_EQ(image.GetCanvas()->GetPixel(0, 0), clAqua);
    list.Delete(0);
    EXPECT_EQ(list.GetCount(), 7);
    EXPECT_THROW(list.Delete(7), Classes::EInvalidOperation);
    EXPECT_THROW(list.Replace(-1, &aqua, nullptr), Classes::EInvalidOperation);
    EXPECT_THROW(list.Add(nullptr, nullptr), Classes::EInvalidOperation);
    EXPECT_THROW(list.SetHeight(0), Classes::EInvalidOperation);
    // Unmasked, the images stay, their transparent pixels black; a new size empties the list.
    list.SetMasked(false);
    EXPECT_EQ(list.GetCount(), 7);
    list.GetBitmap(0, &image);
    EXPECT_EQ(image.GetCanvas()->GetPixel(8, 8), clLime);
    EXPECT_EQ(image.GetCanvas()->GetPixel(0, 0), clBlack);
    list.SetWidth(24);
    EXPECT_EQ(list.GetCount(), 0);
}

TEST(ImageList, ChangeLinksHearEveryChangeAndNeverDangle) {
    TLog log;
    auto list = std::make_unique<TImageList>(nullptr);
    list->OnChange = Classes::TNotifyEvent::Bind<&TLog::List>(&log);
    TChangeLink a, b;
    a.OnChange = Classes::TNotifyEvent::Bind<&TLog::A>(&log);
    b.OnChange = Classes::TNotifyEvent::Bind<&TLog::B>(&log);
    list->RegisterChanges(&a);
    list->RegisterChanges(&b);
    list->RegisterChanges(&a); // once only
    EXPECT_EQ(a.GetSender(), list.get());
    TBitmap strip;
    Strip(strip, 16, {clRed, clLime});
    list->AddMasked(&strip, clFuchsia);
    EXPECT_EQ(log.Lines, (std::vector<String>{"a", "b", "list"}));
    log.Lines.clear();
    list->Delete(0);
    list->SetBkColor(clRed);
    list->Clear();
    EXPECT_EQ(log.Lines.size(), 9u);
    log.Lines.clear();
    list->BeginUpdate();
    list->AddMasked(&strip, clFuchsia);
    list->SetHeight(20);
    list->EndUpdate();
    EXPECT_EQ(log.Lines, (std::vector<String>{"a", "b", "list"}));
    list->UnRegisterChanges(&b);
    EXPECT_EQ(b.GetSender(), nullptr);
    {
        TChangeLink c; // dies registered: it takes itself off the list
        list->RegisterChanges(&c);
    }
    log.Lines.clear();
    list->Clear();
    EXPECT_EQ(log.Lines, (std::vector<String>{"a", "list"}));
    // The list dies first: the link is left without a Sender, and dies later without harm.
    list.reset();
    EXPECT_EQ(a.GetSender(), nullptr);
}

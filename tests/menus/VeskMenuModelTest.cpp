// The menus package's appearance model and component: defaults, streaming, the bar's caption entries, the
// item setters' side effects, the image hand-out and the package's own resources.
#include "tests/menus/MenusTestSupport.h"

#include "framework/core/ClassesRegistry.h"
#include "framework/core/TypInfo.h"

using namespace MenusTest;
using namespace VeskMenu;
using Graphics::TBitmap;

TEST(VeskMenuModel, NewObjectsHoldTheirDefaults) {
    TMenuForm f;
    TVeskMenuItem* item = f.Vm->NewItem();
    EXPECT_EQ(item->GetOwner(), f.Form.get());
    EXPECT_EQ(item->GetParent(), f.Vm);
    EXPECT_EQ(item->GetTrColor(), Graphics::clNone);
    EXPECT_EQ(item->GetSelColor(), Graphics::clHighlight);
    EXPECT_EQ(item->GetSelTextColor(), Graphics::clHighlightText);
    EXPECT_EQ(item->GetNormColor(), Graphics::clMenu);
    EXPECT_EQ(item->GetTextAlign(), Controls::alRight);
    EXPECT_EQ(item->GetOptions().ToInt(), 392u);
    EXPECT_EQ(item->GetCustomImgSize(), 16);
    EXPECT_EQ(item->GetBevelStyle(), bsBevelBoth);
    EXPECT_EQ(item->GetBevelType(), btRectangle);
    EXPECT_FALSE(item->IsAssigned());
    TItemLayout& l = item->GetLayout();
    EXPECT_EQ(l.CheckWidth, int(LOWORD(GetMenuCheckMarkDimensions())));
    EXPECT_EQ(l.ImageLeft + l.ImageTop + l.TextLeft + l.TextTop + l.TextWidth + l.TextHeight + l.ImageSize +
                  l.ItemHeight + l.ItemWidth + l.ShortCutWidth,
              0);
    // The font is the system's menu font.
    NONCLIENTMETRICSW m{};
    m.cbSize = sizeof(m);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(m), &m, 0);
    EXPECT_EQ(item->GetFont()->GetHeight(), m.lfMenuFont.lfHeight);
    EXPECT_EQ(item->GetFont()->GetName(), WinTest::Utf8(m.lfMenuFont.lfFaceName));
    TShadowText* s = item->GetShadow();
    EXPECT_FALSE(s->GetActive());
    EXPECT_EQ(s->GetOptions(), TShadowOptions{soNoShadowIfSel});
    EXPECT_EQ(s->GetShadowColor(), Graphics::clBtnHighlight);
    EXPECT_EQ(s->GetSelShadowSize(), 1);
    EXPECT_EQ(s->GetShadowPos(), spLeftTop);
    TVeskMenuBar* bar = f.Vm->GetMenuBar();
    EXPECT_EQ(bar->GetSize(), 11);
    EXPECT_EQ(bar->GetBackFrom(), Graphics::clBlack);
    EXPECT_EQ(bar->GetBackTo(), Graphics::clBlue);
    EXPECT_EQ(bar->GetFore(), Graphics::clWhite);
    EXPECT_TRUE(bar->GetIsSerif() && bar->GetIsSeparator() && !bar->GetIsGradient());
    EXPECT_EQ(bar->GetCaptionAlign(), alDown);
    EXPECT_TRUE(f.Vm->GetActive());
    EXPECT_EQ(f.Vm->GetMenuRefresh(), RA_REFRESH);
    EXPECT_EQ(f.Vm->GetHSpace(), 5);
    EXPECT_EQ(f.Vm->GetVSpace(), 2);
    EXPECT_FALSE(f.Vm->GetShowBar());
    EXPECT_TRUE(f.Vm->GetBarBitmap()->GetEmpty());
    // The owner must be a windowed control.
    Classes::TComponent plain(nullptr);
    EXPECT_THROW(TVeskMenu{&plain}, Classes::EInvalidOperation);
}

TEST(VeskMenuModel, ItemsStreamNestedInTheirComponentInOrder) {
    TMenuForm f;
    TVeskMenuItem* a = f.Link(f.Open, "VeskMenuItem1");
    TVeskMenuItem* b = f.Link(f.Save, "VeskMenuItem2");
    a->SetSelColor(Graphics::clNavy);
    a->SetOptions(TMenuOptions{omDrawBarIfNeeded, omFixedImgSize});
    a->GetShadow()->SetActive(true);
    a->GetShadow()->SetShadowPos(spRightBottom);
    a->SetSeparatorText("Группа 日本");
    a->SetTextAlign(Controls::alTop);
    b->SetBevelOuter(ExtCtrls::bvRaised);
    b->SetBevelType(btRoundedRect);
    f.Vm->GetMenuBar()->SetCaption("Side");
    f.Vm->SetHSpace(4);
    f.Vm->ExchangeItems(0, 1);
    String text = TestSupport::WriteFormText(f.Form.get());
    // The items are children of the component, in list order, and only what differs is written.
    size_t vm = text.find("object VeskMenu1: TVeskMenu"),
           i2 = text.find("object VeskMenuItem2: TVeskMenuItem"),
           i1 = text.find("object VeskMenuItem1: TVeskMenuItem");
    ASSERT_NE(vm, String::npos) << text;
    EXPECT_LT(vm, i2);
    EXPECT_LT(i2, i1) << text;
    EXPECT_NE(text.find("Options = [omFixedImgSize, omDrawBarIfNeeded]"), String::npos) << text;
    EXPECT_NE(text.find("MenuItem = Open1"), String::npos) << text;
    EXPECT_NE(text.find("TextAlign = alTop"), String::npos) << text;
    EXPECT_NE(text.find("MenuBar.Caption = 'Side'"), String::npos) << text;
    EXPECT_EQ(text.find("CustomImgSize"), String::npos) << text;
    EXPECT_EQ(text.find("OnChanged"), String::npos) << text;

    auto again = TestSupport::ReadFormText(text);
    auto* vm2 = static_cast<TVeskMenu*>(again->FindComponent("VeskMenu1"));
    ASSERT_NE(vm2, nullptr);
    ASSERT_EQ(vm2->GetCount(), 2);
    TVeskMenuItem* b2 = vm2->GetItem(0);
    TVeskMenuItem* a2 = vm2->GetItem(1);
    EXPECT_EQ(a2->GetName(), "VeskMenuItem1");
    EXPECT_EQ(a2->GetParent(), vm2);
    EXPECT_EQ(a2->GetOwner(), again.get());
    EXPECT_EQ(a2->GetMenuItem(), again->FindComponent("Open1"));
    EXPECT_EQ(a2->GetMenu(), again->FindComponent("MainMenu1"));
    EXPECT_TRUE(a2->IsAssigned());
    EXPECT_EQ(a2->GetSelColor(), Graphics::clNavy);
    EXPECT_EQ(a2->GetOptions(), (TMenuOptions{omDrawBarIfNeeded, omFixedImgSize}));
    EXPECT_TRUE(a2->GetShadow()->GetActive());
    EXPECT_EQ(a2->GetShadow()->GetShadowPos(), spRightBottom);
    EXPECT_EQ(a2->GetSeparatorText(), "Группа 日本");
    EXPECT_EQ(b2->GetBevelOuter(), ExtCtrls::bvRaised);
    EXPECT_EQ(b2->GetBevelType(), btRoundedRect);
    EXPECT_EQ(vm2->GetHSpace(), 4);
    EXPECT_EQ(vm2->GetMenuBar()->GetCaption(), "Side");
    // Read with Active, the entries are owner-drawn by Loaded.
    EXPECT_EQ(EntryType(*vm2->GetItem(1)) & MFT_OWNERDRAW, UINT(MFT_OWNERDRAW));
    EXPECT_EQ(TestSupport::WriteFormText(again.get()), text);
}

TEST(VeskMenuModel, TheBarsCaptionEntriesAndItsChangeNotice) {
    TVeskMenuBar bar;
    int changes = 0;
    TCounter counter(&changes);
    bar.OnChanged = Classes::TNotifyEvent::Bind<&TCounter::Count>(&counter);
    bar.SetSize(11); // the same value still reports
    bar.SetCaption("x");
    EXPECT_EQ(changes, 2);
    TVeskBarCaptionData abc{"ABC", 20, true, Graphics::clRed}, small{"small", 8, false, Graphics::clLime};
    bar.AddItem(abc);
    bar.AddItem(small);
    bar.AddItem(abc);
    bar.RemoveItem("abc"); // the first of the two only
    EXPECT_EQ(bar.GetItemCount(), 2);
    TVeskBarCaptionData got;
    ASSERT_TRUE(bar.GetItem(0, got));
    EXPECT_EQ(got.Caption, "small");
    EXPECT_TRUE(bar.GetItem(1, got));
    EXPECT_EQ(got.Size, 20);
    bar.RemoveItem("none"); // reports also when nothing matched
    EXPECT_EQ(changes, 2 + 4 + 1);
    EXPECT_FALSE(bar.SetItem(2, abc)); // at the count: refused, reported
    EXPECT_FALSE(bar.GetItem(2, got));
    EXPECT_TRUE(bar.SetItem(0, abc));
    EXPECT_EQ(changes, 9);
    EXPECT_THROW(bar.DeleteItem(-1), Classes::EListError);
    bar.DeleteItem(5); // beyond: nothing but the notice
    EXPECT_EQ(bar.GetItemCount(), 2);
    EXPECT_EQ(changes, 10);
    // A copy takes the values and the handler, not the entries, and reports nothing.
    TVeskMenuBar copy;
    copy.Assign(&bar);
    EXPECT_EQ(copy.GetCaption(), "x");
    EXPECT_EQ(copy.GetItemCount(), 0);
    EXPECT_EQ(changes, 10);
    copy.SetFore(Graphics::clRed);
    EXPECT_EQ(changes, 11);
    bar.Clear();
    EXPECT_EQ(bar.GetItemCount(), 0);
    Graphics::TFont font;
    EXPECT_THROW(bar.Assign(&font), SysUtils::EConvertError);
}

TEST(VeskMenuModel, SettersOfTheItemHaveTheirSideEffects) {
    TMenuForm f;
    TVeskMenuItem* item = f.Link(f.Open, "VeskMenuItem1");
    // A bitmap picture gives TrColor its bottom-left pixel; an icon leaves it.
    Graphics::TPicture picture;
    TBitmap* bitmap = picture.GetBitmap();
    bitmap->SetWidth(4);
    bitmap->SetHeight(4);
    bitmap->GetCanvas()->SetPixel(0, 3, Graphics::clFuchsia);
    item->SetPicture(&picture);
    EXPECT_EQ(item->GetTrColor(), Graphics::clFuchsia);
    EXPECT_EQ(item->GetPicture()->GetWidth(), 4);
    Graphics::TPicture iconPicture;
    iconPicture.GetIcon()->SetHandle(
        CopyIcon(LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION))));
    item->SetTrColor(Graphics::clTeal);
    item->SetPicture(&iconPicture);
    EXPECT_EQ(item->GetTrColor(), Graphics::clTeal);
    // omNoImageAttached: the parent's HSpace becomes 3 and the entry is made owner-drawn with the bar.
    EXPECT_EQ(EntryType(*item) & MFT_OWNERDRAW, 0u);
    item->SetOptions(item->GetOptions() + TMenuOptions{omNoImageAttached});
    EXPECT_EQ(f.Vm->GetHSpace(), 3);
    EXPECT_EQ(EntryType(*item) & MFT_OWNERDRAW, UINT(MFT_OWNERDRAW));
    // Without a parent only the options change, and item operations do not fail.
    item->SetParent(nullptr);
    EXPECT_EQ(f.Vm->GetCount(), 0);
    f.Vm->SetHSpace(5);
    item->SetOptions(TMenuOptions{omNoImageAttached});
    EXPECT_EQ(f.Vm->GetHSpace(), 5);
    item->SetImageIndex(7);
    EXPECT_EQ(item->GetImageIndex(), 7);
    item->Erase();
    // Linking a menu item: its menu is found; one that no menu holds leaves Menu as it was.
    item->SetParent(f.Vm);
    EXPECT_EQ(item->GetMenu(), f.Main);
    auto* loose = new Menus::TMenuItem(f.Form.get());
    item->SetMenuItem(loose);
    EXPECT_EQ(item->GetMenu(), f.Main);
    item->SetMenuItem(f.PopupItem);
    EXPECT_EQ(item->GetMenu(), f.Popup);
    // Freeing the linked menu item or menu clears the link.
    delete f.PopupItem;
    EXPECT_EQ(item->GetMenuItem(), nullptr);
    EXPECT_FALSE(item->IsAssigned());
    delete f.Popup;
    EXPECT_EQ(item->GetMenu(), nullptr);
}

TEST(VeskMenuModel, ImagesAreHandedOutAndListsWatched) {
    TMenuForm f;
    f.Link(f.New, "I1");
    f.Link(f.Separator, "I2");
    f.Link(f.Open, "I3");
    f.Link(f.Save, "I4");
    auto* images = MakeImageList(f.Form.get(), {Graphics::clRed, Graphics::clLime, Graphics::clBlue});
    auto colourOf = [&](int i) {
        TBitmap* b = f.Vm->GetItem(i)->GetPicture()->GetBitmap();
        return b->GetWidth() > 0 ? b->GetCanvas()->GetPixel(8, 8) : Graphics::clNone;
    };
    f.Vm->SetImages(images); // hands out with separators skipped
    EXPECT_EQ(colourOf(0), Graphics::clRed);
    EXPECT_EQ(colourOf(2), Graphics::clLime);
    EXPECT_EQ(colourOf(3), Graphics::clBlue);
    EXPECT_EQ(f.Vm->GetItem(3)->GetImageIndex(), 2);
    EXPECT_EQ(f.Vm->GetItem(3)->GetTrColor(), Graphics::clBlue); // its bottom-left pixel
    for (int i = 0; i < 4; ++i)
        f.Vm->GetItem(i)->SetPicture(nullptr);
    f.Vm->AddImages(images, nullptr, false);
    EXPECT_EQ(colourOf(1), Graphics::clLime);
    EXPECT_EQ(colourOf(2), Graphics::clBlue);
    // Beyond the list: "Index out of bounds", the index kept.
    try {
        f.Vm->GetItem(0)->SetImageIndex(3);
        ADD_FAILURE() << "no exception";
    } catch (const SysUtils::Exception& e) {
        EXPECT_EQ(e.Message(), "Index out of bounds");
    }
    EXPECT_EQ(f.Vm->GetItem(0)->GetImageIndex(), 0);
    // A change of the list reaches the component through its change link: pictures are made afresh.
    f.Vm->GetItem(0)->SetPicture(nullptr);
    AddSquare(*images, Graphics::clYellow);
    EXPECT_EQ(colourOf(0), Graphics::clRed);
    // A list freed while set leaves nothing dangling.
    delete images;
    EXPECT_EQ(f.Vm->GetImages(), nullptr);
    auto* other = MakeImageList(f.Form.get(), {Graphics::clWhite});
    f.Vm->SetDisabledImages(other);
    EXPECT_EQ(f.Vm->GetItem(0)->GetDisabledPicture()->GetBitmap()->GetCanvas()->GetPixel(8, 8),
              Graphics::clWhite);
    delete other;
    EXPECT_EQ(f.Vm->GetDisabledImages(), nullptr);
    f.Vm->AddImages(nullptr, nullptr, true); // changes nothing
}

TEST(VeskMenuModel, TheItemListStaysInStepWithTheItemsParents) {
    TMenuForm f;
    TVeskMenuItem* a = f.Link(f.New, "A");
    TVeskMenuItem* b = f.Link(f.Open, "B");
    auto* other = new TVeskMenu(f.Form.get());
    TVeskMenuItem* c = other->NewItem();
    EXPECT_EQ(f.Vm->FindItem(f.Main, f.Open), b);
    EXPECT_EQ(f.Vm->FindItem(f.Main, f.Save), nullptr);
    // The item put at index 0 leaves its own list; the old one is freed; the others keep their places.
    f.Vm->SetItem(0, c);
    EXPECT_EQ(other->GetCount(), 0);
    EXPECT_EQ(c->GetParent(), f.Vm);
    ASSERT_EQ(f.Vm->GetCount(), 2);
    EXPECT_EQ(f.Vm->GetItem(0), c);
    EXPECT_EQ(f.Vm->GetItem(1), b);
    EXPECT_EQ(f.Form->FindComponent("A"), nullptr);
    (void)a;
    // An item moved within the list keeps one entry.
    f.Vm->SetItem(0, b);
    ASSERT_EQ(f.Vm->GetCount(), 1);
    EXPECT_EQ(f.Vm->GetItem(0), b);
    EXPECT_THROW(f.Vm->GetItem(1), Classes::EListError);
    EXPECT_THROW(f.Vm->ExchangeItems(0, 1), Classes::EListError);
    // Freeing the component frees its items and gives the entries their strings back.
    f.Vm->Refresh(f.Vm, RA_REFRESH);
    EXPECT_EQ(EntryType(*b) & MFT_OWNERDRAW, UINT(MFT_OWNERDRAW));
    delete f.Vm;
    f.Vm = nullptr;
    EXPECT_EQ(f.Form->FindComponent("B"), nullptr);
    EXPECT_EQ(EntryText(f.Main, f.Open), "&Open\tCtrl+O");
}

TEST(VeskMenuModel, ThePackageCarriesItsMarksAndCursor) {
    TMenuForm f;
    TVeskMenuItem* item = f.Vm->NewItem();
    for (TBitmap* b : {item->GetCheckBitmap(), item->GetRadioBitmap()}) {
        ASSERT_EQ(b->GetWidth(), 16);
        ASSERT_EQ(b->GetHeight(), 16);
        EXPECT_EQ(b->GetPixelFormat(), Graphics::pf4bit);
        EXPECT_EQ(b->GetCanvas()->GetPixel(0, 15), Graphics::clMaroon);
        EXPECT_EQ(b->GetCanvas()->GetPixel(0, 0), Graphics::clMaroon);
        EXPECT_EQ(b->GetCanvas()->GetPixel(7, 10),
                  Graphics::clRed); // the stroke of the tick, the dot of the ring
    }
    HCURSOR menuCursor = LoadCursorW(PackageInstance(), L"CUR_MENU");
    ASSERT_NE(menuCursor, nullptr);
    EXPECT_EQ(Forms::Screen->GetCursors(5), menuCursor);
    EXPECT_EQ(Classes::GetClass("TVeskMenuItem"), &TVeskMenuItem::ClassInfo);
}

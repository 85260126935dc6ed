// Helpers of the menus package's tests: a form with a main menu, a popup menu and a TVeskMenu, the Windows
// entries read back, image lists of plain squares.
#pragma once

#include "menus/runtime/VeskMenu.h"
#include "tests/support/FormText.h"
#include "tests/support/GdiCount.h"
#include "tests/support/WinTest.h"

#include <gtest/gtest.h>

#include <memory>

namespace MenusTest {

using SysUtils::String;

inline Menus::TMenuItem* AddMenuItem(Classes::TComponent* Owner, Menus::TMenuItem* Parent, const char* Name,
                                     const String& Caption) {
    auto* item = new Menus::TMenuItem(Owner);
    item->SetName(Name);
    item->SetCaption(Caption);
    Parent->Add(item);
    return item;
}

// Form1 with MainMenu1 (File1: New1, N1 "-", Open1 Ctrl+O, Save1 disabled and checked; Help1, a command on
// the bar), PopupMenu1 (Cut1) and VeskMenu1.
struct TMenuForm {
    std::unique_ptr<Forms::TForm> Form;
    Menus::TMainMenu* Main;
    Menus::TPopupMenu* Popup;
    Menus::TMenuItem *File, *New, *Separator, *Open, *Save, *Help, *PopupItem;
    VeskMenu::TVeskMenu* Vm;

    TMenuForm() : Form(std::make_unique<Forms::TForm>(nullptr)) {
        Form->SetName("Form1");
        Main = new Menus::TMainMenu(Form.get());
        Main->SetName("MainMenu1");
        File = AddMenuItem(Form.get(), Main->GetItems(), "File1", "&File");
        New = AddMenuItem(Form.get(), File, "New1", "&New");
        Separator = AddMenuItem(Form.get(), File, "N1", "-");
        Open = AddMenuItem(Form.get(), File, "Open1", "&Open");
        Open->SetShortCut(Menus::ShortCut('O', {Menus::ssCtrl}));
        Save = AddMenuItem(Form.get(), File, "Save1", "&Save");
        Save->SetEnabled(false);
        Save->SetChecked(true);
        Help = AddMenuItem(Form.get(), Main->GetItems(), "Help1", "&Help");
        Popup = new Menus::TPopupMenu(Form.get());
        Popup->SetName("PopupMenu1");
        PopupItem = AddMenuItem(Form.get(), Popup->GetItems(), "Cut1", "Cu&t");
        Form->SetMenu(Main);
        Vm = new VeskMenu::TVeskMenu(Form.get());
        Vm->SetName("VeskMenu1");
    }
    // A new item of Vm named Name, linked to Item.
    VeskMenu::TVeskMenuItem* Link(Menus::TMenuItem* Item, const char* Name) {
        VeskMenu::TVeskMenuItem* v = Vm->NewItem();
        v->SetName(Name);
        v->SetMenuItem(Item);
        return v;
    }
};

// The Windows entry behind a menu item, found by command in its menu's tree.
inline MENUITEMINFOW EntryInfo(Menus::TMenu* Menu, Menus::TMenuItem* Item, wchar_t* Text = nullptr,
                               UINT Size = 0) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_STATE | (Text != nullptr ? MIIM_STRING : 0u);
    info.dwTypeData = Text;
    info.cch = Size;
    EXPECT_TRUE(GetMenuItemInfoW(Menu->GetHandle(), Item->GetCommand(), FALSE, &info)) << Item->GetName();
    return info;
}
inline UINT EntryType(VeskMenu::TVeskMenuItem& Item) {
    return EntryInfo(Item.GetMenu(), Item.GetMenuItem()).fType;
}
inline String EntryText(Menus::TMenu* Menu, Menus::TMenuItem* Item) {
    std::wstring text(2048, L'\0');
    EntryInfo(Menu, Item, text.data(), UINT(text.size() - 1));
    text.resize(wcslen(text.c_str()));
    return WinTest::Utf8(text);
}

inline COLORREF Rgb(Graphics::TColor c) {
    return COLORREF(Graphics::ColorToRGB(c));
}

// Changes the menu colour of the session for the life of the object (the tests run alone).
struct TMenuColour {
    COLORREF Old = GetSysColor(COLOR_MENU);
    explicit TMenuColour(COLORREF c) {
        INT e = COLOR_MENU;
        SetSysColors(1, &e, &c);
    }
    ~TMenuColour() {
        INT e = COLOR_MENU;
        SetSysColors(1, &e, &Old);
    }
};

// Counts notices.
struct TCounter : System::TObject {
    int* N;
    explicit TCounter(int* Count) : N(Count) {}
    void Count(System::TObject*) { ++*N; }
};

// A 16 x 16 image of one colour appended to List (no transparent colour).
inline void AddSquare(ImgList::TCustomImageList& List, Graphics::TColor Colour) {
    Graphics::TBitmap square;
    square.SetWidth(16);
    square.SetHeight(16);
    square.GetCanvas()->GetBrush()->SetColor(Colour);
    square.GetCanvas()->FillRect(Graphics::Rect(0, 0, 16, 16));
    List.Add(&square, nullptr);
}
inline ImgList::TImageList* MakeImageList(Classes::TComponent* Owner,
                                          std::initializer_list<Graphics::TColor> Colours) {
    auto* list = new ImgList::TImageList(Owner);
    for (Graphics::TColor c : Colours)
        AddSquare(*list, c);
    return list;
}

} // namespace MenusTest

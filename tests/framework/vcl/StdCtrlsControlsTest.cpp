// StdCtrls, Buttons and ExtCtrls on real windows under Wine: the edit, check box, combo box, buttons and
// group box; the list box with several items selected; the speed button's pixels and its group; the image.
#include "framework/vcl/Buttons.h"
#include "tests/framework/vcl/VclTestSupport.h"

#include <memory>

using namespace VclTest;
using System::TObject;

namespace {

struct TLog : TObject {
    std::vector<String> Lines;
    static String N(TObject* o) { return static_cast<Classes::TComponent*>(o)->GetName(); }
    void Click(TObject* s) { Lines.push_back(N(s) + " click"); }
    void Enter(TObject* s) { Lines.push_back(N(s) + " enter"); }
    void Exit(TObject* s) { Lines.push_back(N(s) + " exit"); }
    void Change(TObject* s) {
        Lines.push_back(N(s) + " change " + static_cast<Controls::TControl*>(s)->GetText());
    }
    void MouseUp(TObject* s, Controls::TMouseButton, Controls::TShiftState, int X, int Y) {
        Lines.push_back(N(s) + " up " + SysUtils::IntToStr(X) + "," + SysUtils::IntToStr(Y));
    }
    void KeyDown(TObject* s, WORD& Key, Controls::TShiftState) {
        Lines.push_back(N(s) + " keydown " + SysUtils::IntToStr(Key));
    }
    std::vector<String> Take() { return std::exchange(Lines, {}); }
};

template <class T>
T* Add(Forms::TCustomForm& form, Controls::TWinControl* parent, const char* name, int x, int y, int w, int h,
       TLog& log) {
    auto* c = new T(&form);
    c->SetName(name);
    c->SetParent(parent);
    c->SetBounds(x, y, w, h);
    c->SetOnClick(Classes::TNotifyEvent::Bind<&TLog::Click>(&log));
    return c;
}

// A control that takes Enter for itself when Claims (as a colour button does), and logs its keys.
class TKeyTaker : public Controls::TCustomControl {
public:
    using TCustomControl::TCustomControl;
    bool Claims = false;
    TLog* Log = nullptr;
    void WndProc(Messages::TMessage& m) override {
        if (m.Msg == Controls::CM_WANTSPECIALKEY && m.WParam == VK_RETURN && Claims) {
            m.Result = 1;
            return;
        }
        inherited::WndProc(m);
    }

protected:
    void KeyDown(WORD& Key, Controls::TShiftState) override {
        Log->Lines.push_back(GetName() + " keydown " + SysUtils::IntToStr(Key));
    }
};

void Paint(Forms::TCustomForm& form, TDib& dib) {
    form.PaintTo(dib.DC(), 0, 0);
}

} // namespace

TEST(StdCtrlsControls, EditCheckBoxComboBoxButtonsAndGroupBox) {
    Forms::TForm form(nullptr);
    TLog log;
    form.SetBounds(50, 50, 400, 300);
    auto* edit = Add<StdCtrls::TEdit>(form, &form, "Edit", 10, 10, 100, 21, log);
    edit->SetOnChange(Classes::TNotifyEvent::Bind<&TLog::Change>(&log));
    auto* check = Add<StdCtrls::TCheckBox>(form, &form, "Check", 10, 40, 100, 17, log);
    auto* combo = Add<StdCtrls::TComboBox>(form, &form, "Combo", 10, 70, 100, 21, log);
    combo->SetOnChange(Classes::TNotifyEvent::Bind<&TLog::Change>(&log));
    auto* group = Add<StdCtrls::TGroupBox>(form, &form, "Group", 200, 10, 150, 100, log);
    auto* b1 = Add<StdCtrls::TButton>(form, group, "B1", 10, 20, 60, 25, log);
    auto* b2 = Add<StdCtrls::TButton>(form, group, "B2", 10, 60, 60, 25, log);
    form.Show();

    // 1. The edit: typed text is Text, OnChange each time; MaxLength and ReadOnly hold typing back.
    edit->SetText("ab");
    HWND e = edit->GetHandle();
    SendMessageW(e, EM_SETSEL, 2, 2);
    SendMessageW(e, WM_CHAR, L'в', 1);
    edit->SetMaxLength(3);
    SendMessageW(e, WM_CHAR, L'x', 1);
    edit->SetReadOnly(true);
    SendMessageW(e, EM_SETSEL, 0, -1);
    SendMessageW(e, WM_CHAR, L'y', 1);
    edit->SetReadOnly(false);
    EXPECT_EQ(edit->GetText(), "abв");
    edit->SelectAll();
    EXPECT_EQ(edit->GetSelStart(), 0);
    EXPECT_EQ(edit->GetSelLength(), 3);
    edit->SetSelStart(1);
    edit->SetSelLength(1);
    EXPECT_EQ(edit->GetSelStart() * 10 + edit->GetSelLength(), 11);
    EXPECT_EQ(log.Take(), (std::vector<String>{"Edit change ab", "Edit change abв"}));

    // 2. The check box: the user's clicks go round (through grayed with AllowGrayed); setting it reports too.
    HWND c = check->GetHandle();
    SendMessageW(c, BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageW(c, BM_GETCHECK, 0, 0), BST_CHECKED);
    check->SetAllowGrayed(true);
    SendMessageW(c, BM_CLICK, 0, 0);
    EXPECT_EQ(check->GetState(), StdCtrls::cbGrayed);
    EXPECT_EQ(SendMessageW(c, BM_GETCHECK, 0, 0), BST_INDETERMINATE);
    SendMessageW(c, BM_CLICK, 0, 0);
    check->SetChecked(true);
    check->SetChecked(true);
    EXPECT_EQ(log.Take(), (std::vector<String>{"Check click", "Check click", "Check click", "Check click"}));

    // 3. The combo box: items in the window, the user's choice is Text (OnClick, OnChange); a new window
    // keeps items and choice.
    combo->SetStyle(StdCtrls::csDropDownList);
    combo->GetItems()->SetCommaText("alDown,alUp,alCenter");
    combo->SetItemIndex(1);
    EXPECT_EQ(combo->GetText(), "alUp");
    SendMessageW(combo->GetHandle(), WM_KEYDOWN, VK_DOWN, 1);
    EXPECT_EQ(combo->GetItemIndex(), 2);
    EXPECT_EQ(combo->GetText(), "alCenter");
    combo->GetItems()->Delete(0);
    combo->GetItems()->Insert(0, "первый");
    combo->GetItems()->Exchange(1, 2);
    EXPECT_EQ(SendMessageW(combo->GetHandle(), CB_GETCOUNT, 0, 0), 3);
    wchar_t item[32] = {};
    SendMessageW(combo->GetHandle(), CB_GETLBTEXT, 1, LPARAM(item));
    EXPECT_EQ(std::wstring(item), L"alCenter");
    combo->SetText("первый"); // a drop-down list selects the item named
    EXPECT_EQ(combo->GetItemIndex(), 0);
    combo->SetStyle(StdCtrls::csDropDown);
    EXPECT_EQ(combo->GetItemIndex(), 0);
    EXPECT_EQ(SendMessageW(combo->GetHandle(), CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(log.Take(), (std::vector<String>{"Combo click", "Combo change alCenter"}));
    // The edit inside a drop-down combo box: its focus and keys are the combo box's (Tab goes on).
    combo->SetOnEnter(Classes::TNotifyEvent::Bind<&TLog::Enter>(&log));
    combo->SetOnExit(Classes::TNotifyEvent::Bind<&TLog::Exit>(&log));
    combo->SetFocus();
    HWND inner = GetFocus();
    EXPECT_TRUE(IsChild(combo->GetHandle(), inner));
    SendMessageW(inner, WM_CHAR, L'q', 1);
    SendMessageW(inner, WM_KEYDOWN, VK_TAB, 1);
    EXPECT_EQ(GetFocus(), b1->GetHandle());
    EXPECT_EQ(log.Take(), (std::vector<String>{"Combo enter", "Combo change q", "Combo exit"}));

    // 4. The default look: the default button, or the focused button while it has the focus.
    auto def = [](StdCtrls::TButton* b) {
        return (GetWindowLongPtrW(b->GetHandle(), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    };
    b1->SetDefault(true);
    edit->SetFocus();
    std::vector<bool> looks{def(b1), def(b2)};
    b2->SetFocus();
    looks.insert(looks.end(), {def(b1), def(b2)});
    edit->SetFocus();
    looks.insert(looks.end(), {def(b1), def(b2)});
    // Enter on a control: the default button's, unless the control claims it.
    auto* taker = new TKeyTaker(&form);
    taker->SetName("Taker");
    taker->SetParent(&form);
    taker->SetBounds(10, 100, 40, 20);
    taker->Log = &log;
    SendMessageW(taker->GetHandle(), WM_KEYDOWN, VK_RETURN, 1);
    taker->Claims = true;
    SendMessageW(taker->GetHandle(), WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_EQ(log.Take(), (std::vector<String>{"B1 click", "Taker keydown 13"}));
    b1->SetDefault(false);
    looks.insert(looks.end(), {def(b1), def(b2)});
    EXPECT_EQ(looks, (std::vector<bool>{true, false, false, true, true, false, false, false}));
    // A button's click and its accelerator (Alt+letter, and the letter alone outside an edit).
    b2->SetCaption("&Go");
    SendMessageW(b2->GetHandle(), BM_CLICK, 0, 0);
    SendMessageW(edit->GetHandle(), WM_SYSCHAR, L'g', 1 << 29);
    SendMessageW(check->GetHandle(), WM_CHAR, L'G', 1);
    SendMessageW(edit->GetHandle(), WM_CHAR, L'g', 1); // the edit takes it
    EXPECT_EQ(log.Take(), (std::vector<String>{"B2 click", "B2 click", "B2 click", "Edit change g"}));

    // 5. The group box paints its own colour behind its controls.
    group->SetColor(Graphics::clRed);
    TDib dib(400, 300);
    Paint(form, dib);
    EXPECT_EQ(dib.Pixel(200 + 120, 10 + 50), RGB(255, 0, 0));
    EXPECT_EQ(dib.Pixel(150, 150), Graphics::ColorToRGB(Graphics::clBtnFace));
}

TEST(StdCtrlsControls, ListBoxWithSeveralItemsSelected) {
    Forms::TForm form(nullptr);
    TLog log;
    form.SetBounds(50, 50, 300, 300);
    auto* list = Add<StdCtrls::TListBox>(form, &form, "List", 10, 10, 150, 200, log);
    list->SetOnMouseUp(Controls::TMouseEvent::Bind<&TLog::MouseUp>(&log));
    list->SetOnKeyDown(Controls::TKeyEvent::Bind<&TLog::KeyDown>(&log));
    list->SetItemHeight(16);
    list->SetMultiSelect(true);
    int objects[6] = {};
    // Before the window: items, objects and the selection wait for it.
    for (int i = 0; i < 6; ++i)
        list->GetItems()->AddObject("item " + SysUtils::IntToStr(i), &objects[i]);
    list->SetSelected(1, true);
    list->SetSelected(4, true);
    EXPECT_EQ(list->GetSelCount(), 2);
    form.Show();
    HWND h = list->GetHandle();
    EXPECT_EQ(SendMessageW(h, LB_GETCOUNT, 0, 0), 6);
    EXPECT_EQ(list->GetSelCount(), 2);
    EXPECT_TRUE(list->GetSelected(4));
    EXPECT_EQ(list->GetItems()->Objects(4), &objects[4]);
    EXPECT_THROW(list->GetSelected(6), Classes::EListError);

    // The user: Ctrl+click adds an item, a plain click selects only its item; each reports a click.
    int y2 = 2 * 16 + 5, y5 = 5 * 16 + 5;
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, MAKELPARAM(20, y2));
    SendMessageW(h, WM_LBUTTONUP, MK_CONTROL, MAKELPARAM(20, y2));
    std::vector<bool> sel;
    for (int i = 0; i < 6; ++i)
        sel.push_back(list->GetSelected(i));
    EXPECT_EQ(sel, (std::vector<bool>{false, true, true, false, true, false}));
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, y5));
    SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(20, y5));
    EXPECT_EQ(list->GetSelCount(), 1);
    EXPECT_TRUE(list->GetSelected(5));
    EXPECT_EQ(list->GetItemIndex(), 5);
    EXPECT_EQ(list->ItemAtPos(20, y2), 2);
    SendMessageW(h, WM_KEYDOWN, VK_UP, 1);
    EXPECT_EQ(list->GetItemIndex(), 4);
    // The program's changes report nothing.
    list->SetSelected(0, true);
    list->SetItemIndex(0);
    EXPECT_EQ(log.Take(),
              (std::vector<String>{"List click", "List up 20," + SysUtils::IntToStr(y2), "List click",
                                   "List up 20," + SysUtils::IntToStr(y5), "List keydown 38", "List click"}));

    // A new window (ExtendedSelect off) keeps the selection and the top item.
    for (int i = 6; i < 20; ++i)
        list->GetItems()->Add("item " + SysUtils::IntToStr(i));
    list->SetSelected(2, true);
    list->SetTopIndex(1);
    list->SetExtendedSelect(false);
    EXPECT_NE(h, list->GetHandle());
    h = list->GetHandle();
    EXPECT_EQ(GetWindowLongPtrW(h, GWL_STYLE) & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL), LBS_MULTIPLESEL);
    sel.clear();
    for (int i = 0; i < 6; ++i)
        sel.push_back(list->GetSelected(i));
    EXPECT_EQ(sel, (std::vector<bool>{true, false, true, false, true, false}));
    EXPECT_EQ(list->GetTopIndex(), 1);

    // BeginUpdate holds the painting back (WM_SETREDRAW) until EndUpdate.
    struct TRedraw : TObject {
        Controls::TControl* C;
        Messages::TWndMethod Old;
        std::vector<WPARAM> Seen;
        void Proc(Messages::TMessage& m) {
            if (m.Msg == WM_SETREDRAW) Seen.push_back(m.WParam);
            Old(m);
        }
    } redraw;
    redraw.C = list;
    redraw.Old = list->GetWindowProc();
    list->SetWindowProc(Messages::TWndMethod::Bind<&TRedraw::Proc>(&redraw));
    list->GetItems()->BeginUpdate();
    list->GetItems()->Add("late");
    list->GetItems()->Add("later");
    list->GetItems()->Delete(21);
    list->GetItems()->EndUpdate();
    list->SetWindowProc(redraw.Old);
    EXPECT_EQ(redraw.Seen, (std::vector<WPARAM>{0, 1}));
    EXPECT_EQ(SendMessageW(h, LB_GETCOUNT, 0, 0), 21);
    // A single-selection list: one item at most; Clear empties window and selection.
    list->SetMultiSelect(false);
    list->SetSelected(3, true);
    list->SetSelected(6, true);
    EXPECT_EQ(list->GetSelCount(), 1);
    EXPECT_EQ(list->GetItemIndex(), 6);
    list->SetSelected(6, false);
    EXPECT_EQ(list->GetItemIndex(), -1);
    // Sorted: the window shows the new order.
    list->GetItems()->Put(0, "zzz");
    list->SetSorted(true);
    wchar_t text[32] = {};
    SendMessageW(list->GetHandle(), LB_GETTEXT, 20, LPARAM(text));
    EXPECT_EQ(std::wstring(text), L"zzz");
    EXPECT_EQ(list->GetItems()->Get(19), "late");
    list->Clear();
    EXPECT_EQ(SendMessageW(list->GetHandle(), LB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(list->GetSelCount(), 0);
}

TEST(StdCtrlsControls, SpeedButtonsAndImage) {
    Forms::TForm form(nullptr);
    TLog log;
    form.SetBounds(50, 50, 300, 200);
    form.SetColor(Graphics::clWhite);
    // A 16 x 16 glyph: fuchsia (its bottom-left colour: transparent) with a black square at (4, 4)-(12, 12).
    Graphics::TBitmap glyph;
    glyph.SetSize(16, 16);
    glyph.GetCanvas()->GetBrush()->SetColor(Graphics::clFuchsia);
    glyph.GetCanvas()->FillRect(Graphics::Rect(0, 0, 16, 16));
    glyph.GetCanvas()->GetBrush()->SetColor(Graphics::clBlack);
    glyph.GetCanvas()->FillRect(Graphics::Rect(4, 4, 12, 12));
    auto button = [&](const char* name, int x) {
        auto* b = new Buttons::TSpeedButton(&form);
        b->SetName(name);
        b->SetParent(&form);
        b->SetBounds(x, 10, 24, 24);
        b->SetGlyph(&glyph);
        b->SetOnClick(Classes::TNotifyEvent::Bind<&TLog::Click>(&log));
        return b;
    };
    Buttons::TSpeedButton* s1 = button("S1", 10);
    Buttons::TSpeedButton* s2 = button("S2", 40);
    form.Show();
    HWND f = form.GetHandle();
    const COLORREF face = Graphics::ColorToRGB(Graphics::clBtnFace), black = RGB(0, 0, 0);
    // Up: the glyph at (4, 4) of the button, its fuchsia left out; pressed: one pixel right and down.
    auto look = [&](int dx) {
        TDib dib(300, 200);
        Paint(form, dib);
        // Inside the square, on the glyph's fuchsia, and (16, 16): black only when pressed.
        return std::vector<COLORREF>{dib.Pixel(10 + 8 + dx, 10 + 8 + dx), dib.Pixel(10 + 5 + dx, 10 + 5 + dx),
                                     dib.Pixel(10 + 16, 10 + 16)};
    };
    EXPECT_EQ(look(0), (std::vector<COLORREF>{black, face, face}));
    SendMessageW(f, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
    EXPECT_TRUE(s1->Pressed());
    EXPECT_EQ(look(1), (std::vector<COLORREF>{black, face, black}));
    // Dragged out: up again, no click on release outside; back in and released: a click.
    SendMessageW(f, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(100, 100));
    EXPECT_FALSE(s1->Pressed());
    SendMessageW(f, WM_LBUTTONUP, 0, MAKELPARAM(100, 100));
    SendMessageW(f, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
    SendMessageW(f, WM_LBUTTONUP, 0, MAKELPARAM(21, 21));
    EXPECT_FALSE(s1->Pressed());
    // A group: the clicked one stays down, the other goes up; AllowAllUp lets the down one up.
    s1->SetGroupIndex(1);
    s2->SetGroupIndex(1);
    SendMessageW(f, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
    SendMessageW(f, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
    std::vector<bool> downs{s1->GetDown(), s2->GetDown()};
    SendMessageW(f, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 20));
    SendMessageW(f, WM_LBUTTONUP, 0, MAKELPARAM(50, 20));
    downs.insert(downs.end(), {s1->GetDown(), s2->GetDown()});
    s2->SetAllowAllUp(true);
    SendMessageW(f, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 20));
    SendMessageW(f, WM_LBUTTONUP, 0, MAKELPARAM(50, 20));
    downs.push_back(s2->GetDown());
    EXPECT_EQ(downs, (std::vector<bool>{true, false, false, true, false}));
    EXPECT_EQ(log.Take(), (std::vector<String>{"S1 click", "S1 click", "S2 click", "S2 click"}));
    // Disabled: the glyph embossed (shadow where it is black), and presses ignored.
    s1->SetDown(false);
    s1->SetEnabled(false);
    EXPECT_EQ(look(0)[0], Graphics::ColorToRGB(Graphics::clBtnShadow));
    SendMessageW(f, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
    SendMessageW(f, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
    EXPECT_TRUE(log.Take().empty());

    // The image: AutoSize takes the picture's size; stretched it fills the control; centred; transparent.
    auto* image = new ExtCtrls::TImage(&form);
    image->SetParent(&form);
    image->SetBounds(100, 50, 40, 20);
    Graphics::TBitmap red;
    red.SetSize(10, 10);
    red.GetCanvas()->GetBrush()->SetColor(Graphics::clRed);
    red.GetCanvas()->FillRect(Graphics::Rect(0, 0, 10, 10));
    red.GetCanvas()->SetPixel(0, 9, Graphics::clLime);
    image->GetPicture()->SetBitmap(&red);
    struct TImageCase {
        bool AutoSize, Stretch, Center, Transparent;
        int W, H;
        POINT Red, Outside, Corner;
        COLORREF CornerColor;
    };
    const TImageCase cases[] = {
        {false, false, false, false, 40, 20, {5, 5}, {15, 5}, {0, 9}, RGB(0, 255, 0)},
        {false, true, false, false, 40, 20, {35, 15}, {-1, -1}, {0, 19}, RGB(0, 255, 0)},
        {false, false, true, false, 40, 20, {20, 10}, {5, 5}, {15, 14}, RGB(0, 255, 0)},
        {false, false, false, true, 40, 20, {5, 5}, {15, 5}, {0, 9}, RGB(255, 255, 255)},
        {true, false, false, false, 10, 10, {9, 0}, {-1, -1}, {0, 9}, RGB(0, 255, 0)},
    };
    for (const TImageCase& c : cases) {
        image->SetStretch(c.Stretch);
        image->SetCenter(c.Center);
        image->SetTransparent(c.Transparent);
        image->SetAutoSize(c.AutoSize);
        EXPECT_EQ(image->GetWidth() * 1000 + image->GetHeight(), c.W * 1000 + c.H);
        TDib dib(300, 200);
        Paint(form, dib);
        EXPECT_EQ(dib.Pixel(100 + c.Red.x, 50 + c.Red.y), RGB(255, 0, 0));
        if (c.Outside.x >= 0) {
            EXPECT_EQ(dib.Pixel(100 + c.Outside.x, 50 + c.Outside.y), RGB(255, 255, 255));
        }
        EXPECT_EQ(dib.Pixel(100 + c.Corner.x, 50 + c.Corner.y), c.CornerColor);
    }
}

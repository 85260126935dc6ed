// Ide: the Object Inspector window.
#include "ide/IdeSession.h"

#include <commctrl.h>

namespace Ide {

using DsgnIntf::TPropertyAttributes;
using DsgnIntf::TPropertyEditor;

namespace {

constexpr int ValueColumn = 110; // pixels from the list's left edge

std::wstring Wide(const String& s) {
    std::u16string w = SysUtils::Utf8ToUtf16(s);
    return std::wstring(w.begin(), w.end());
}

String WindowString(HWND h) {
    std::wstring s(size_t(GetWindowTextLengthW(h)) + 1, L'\0');
    s.resize(size_t(GetWindowTextW(h, s.data(), int(s.size()))));
    return SysUtils::Utf16ToUtf8(std::u16string(s.begin(), s.end()));
}

HWND Child(HWND Parent, const wchar_t* Class, DWORD Style, const wchar_t* Text = L"") {
    HWND h = CreateWindowExW(0, Class, Text, WS_CHILD | WS_CLIPSIBLINGS | Style, 0, 0, 10, 10, Parent,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(h, WM_SETFONT, WPARAM(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    return h;
}

} // namespace

template <class F> void TObjectInspector::RunEditor(F Fn) {
    ++FBusy;
    try {
        Fn();
    } catch (...) {
        Forms::Application->HandleException(nullptr);
    }
    if (--FBusy == 0 && FPending) {
        FPending = false;
        Refresh();
    }
}

void TObjectInspector::EditRow(TPropertyEditor* Editor) {
    RunEditor([&] { Editor->Edit(); });
    Fill();
}

TObjectInspector::TObjectInspector(TDesigner* ADesigner) : TForm(nullptr), FDesigner(ADesigner) {
    SetCaption("Object Inspector");
    SetBounds(8, 8, 280, 360);
    HWND form = GetHandle();
    FList = Child(form, L"LISTBOX",
                  WS_VISIBLE | WS_VSCROLL | WS_BORDER | LBS_NOTIFY | LBS_USETABSTOPS | LBS_NOINTEGRALHEIGHT);
    int stops[] = {ValueColumn * 4 / LOWORD(GetDialogBaseUnits())};
    SendMessageW(FList, LB_SETTABSTOPS, 1, LPARAM(stops));
    FEdit = Child(form, L"EDIT", ES_AUTOHSCROLL | WS_BORDER);
    FButton = Child(form, L"BUTTON", BS_PUSHBUTTON, L"...");
    SetWindowSubclass(FEdit, &TObjectInspector::EditProc, 1, DWORD_PTR(this));
    Layout();
    Refresh();
}

TObjectInspector::~TObjectInspector() {
    if (FEdit) RemoveWindowSubclass(FEdit, &TObjectInspector::EditProc, 1);
}

void TObjectInspector::Layout() {
    RECT r;
    ::GetClientRect(GetHandle(), &r);
    MoveWindow(FList, 0, 0, r.right, r.bottom, TRUE);
    RowSelected();
}

String TObjectInspector::RowText(const TRow& Row) const {
    String value;
    try {
        value = Row.Editor->GetVisualValue();
    } catch (const SysUtils::Exception&) {
        value = "(error)";
    }
    bool sub = Row.Editor->GetAttributes().Contains(DsgnIntf::paSubProperties);
    return String(size_t(Row.Depth) * 2, ' ') + (sub ? (Row.Expanded ? "-" : "+") : "") +
           Row.Editor->GetName() + "\t" + value;
}

std::vector<String> TObjectInspector::RowTexts() const {
    std::vector<String> texts;
    for (const TRow& row : FRows)
        texts.push_back(RowText(row));
    return texts;
}

void TObjectInspector::Refresh() {
    if (FBusy > 0) {
        FPending = true;
        return;
    }
    FRows.clear();
    for (auto& e : FDesigner->SelectionEditors()) {
        String path = e->GetName();
        FRows.push_back({std::move(e), 0, false, path});
    }
    Fill();
}

void TObjectInspector::Fill() {
    int selected = int(SendMessageW(FList, LB_GETCURSEL, 0, 0));
    int top = int(SendMessageW(FList, LB_GETTOPINDEX, 0, 0));
    FFilling = true;
    SendMessageW(FList, WM_SETREDRAW, FALSE, 0);
    SendMessageW(FList, LB_RESETCONTENT, 0, 0);
    for (const TRow& row : FRows)
        SendMessageW(FList, LB_ADDSTRING, 0, LPARAM(Wide(RowText(row)).c_str()));
    if (selected >= 0 && selected < int(FRows.size())) SendMessageW(FList, LB_SETCURSEL, WPARAM(selected), 0);
    SendMessageW(FList, LB_SETTOPINDEX, WPARAM(top), 0);
    SendMessageW(FList, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(FList, nullptr, TRUE);
    FFilling = false;
    RowSelected();
}

void TObjectInspector::Expand(size_t Row) {
    std::vector<TRow> subs;
    FRows[Row].Editor->GetProperties([&](std::unique_ptr<TPropertyEditor> p) {
        String path = FRows[Row].Path + "." + p->GetName();
        subs.push_back({std::move(p), FRows[Row].Depth + 1, false, path});
    });
    FRows[Row].Expanded = true;
    FRows.insert(FRows.begin() + std::ptrdiff_t(Row) + 1, std::make_move_iterator(subs.begin()),
                 std::make_move_iterator(subs.end()));
}

void TObjectInspector::Collapse(size_t Row) {
    size_t end = Row + 1;
    while (end < FRows.size() && FRows[end].Depth > FRows[Row].Depth)
        ++end;
    FRows.erase(FRows.begin() + std::ptrdiff_t(Row) + 1, FRows.begin() + std::ptrdiff_t(end));
    FRows[Row].Expanded = false;
}

TPropertyEditor* TObjectInspector::FindEditor(const String& Path) {
    for (size_t i = 0; i < FRows.size(); ++i) {
        const String& p = FRows[i].Path;
        if (SysUtils::SameText(p, Path)) {
            SendMessageW(FList, LB_SETCURSEL, WPARAM(i), 0);
            RowSelected();
            return FRows[i].Editor.get();
        }
        // Expand on the way to a sub-property.
        if (Path.size() > p.size() && Path[p.size()] == '.' &&
            SysUtils::SameText(Path.substr(0, p.size()), p) && !FRows[i].Expanded &&
            FRows[i].Editor->GetAttributes().Contains(DsgnIntf::paSubProperties)) {
            Expand(i);
            Fill();
        }
    }
    return nullptr;
}

void TObjectInspector::RowSelected() {
    int i = int(SendMessageW(FList, LB_GETCURSEL, 0, 0));
    if (FFilling || i < 0 || i >= int(FRows.size())) {
        ShowWindow(FEdit, SW_HIDE);
        ShowWindow(FButton, SW_HIDE);
        return;
    }
    TPropertyEditor* e = FRows[size_t(i)].Editor.get();
    TPropertyAttributes a = e->GetAttributes();
    RECT item;
    SendMessageW(FList, LB_GETITEMRECT, WPARAM(i), LPARAM(&item));
    MapWindowPoints(FList, GetHandle(), reinterpret_cast<POINT*>(&item), 2);
    int button = a.Contains(DsgnIntf::paDialog) ? item.bottom - item.top + 4 : 0;
    int height = item.bottom - item.top + 2;
    if (!a.Contains(DsgnIntf::paReadOnly)) {
        SetWindowTextW(FEdit, Wide(e->GetVisualValue()).c_str());
        SetWindowPos(FEdit, HWND_TOP, item.left + ValueColumn, item.top - 1,
                     item.right - item.left - ValueColumn - button, height, SWP_SHOWWINDOW);
    } else {
        ShowWindow(FEdit, SW_HIDE);
    }
    if (button)
        SetWindowPos(FButton, HWND_TOP, item.right - button, item.top - 1, button, height, SWP_SHOWWINDOW);
    else
        ShowWindow(FButton, SW_HIDE);
}

void TObjectInspector::ApplyEdit() {
    int i = int(SendMessageW(FList, LB_GETCURSEL, 0, 0));
    if (i < 0 || i >= int(FRows.size()) || !IsWindowVisible(FEdit)) return;
    TPropertyEditor* e = FRows[size_t(i)].Editor.get();
    String text = WindowString(FEdit);
    if (text == e->GetVisualValue()) return;
    RunEditor([&] { e->SetValue(text); });
    Fill();
}

void TObjectInspector::RowDoubleClicked() {
    int i = int(SendMessageW(FList, LB_GETCURSEL, 0, 0));
    if (i < 0 || i >= int(FRows.size())) return;
    TPropertyEditor* e = FRows[size_t(i)].Editor.get();
    TPropertyAttributes a = e->GetAttributes();
    if (a.Contains(DsgnIntf::paSubProperties)) {
        if (FRows[size_t(i)].Expanded)
            Collapse(size_t(i));
        else
            RunEditor([&] { Expand(size_t(i)); });
    } else if (a.Contains(DsgnIntf::paValueList) && !a.Contains(DsgnIntf::paReadOnly)) {
        std::vector<String> values;
        e->GetValues([&](const String& s) { values.push_back(s); });
        if (!values.empty()) {
            auto it = std::find(values.begin(), values.end(), e->GetVisualValue());
            String next = it == values.end() || it + 1 == values.end() ? values.front() : *(it + 1);
            RunEditor([&] { e->SetValue(next); });
        }
    } else if (a.Contains(DsgnIntf::paDialog)) {
        RunEditor([&] { e->Edit(); });
    }
    Fill();
}

LRESULT CALLBACK TObjectInspector::EditProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                            DWORD_PTR self) {
    auto* inspector = reinterpret_cast<TObjectInspector*>(self);
    if (msg == WM_KEYDOWN && wp == VK_RETURN) {
        inspector->ApplyEdit();
        return 0;
    }
    if (msg == WM_KEYDOWN && wp == VK_ESCAPE) {
        inspector->RowSelected();
        return 0;
    }
    if (msg == WM_CHAR && (wp == L'\r' || wp == 27)) return 0;
    if (msg == WM_KILLFOCUS) inspector->ApplyEdit();
    return DefSubclassProc(h, msg, wp, lp);
}

void TObjectInspector::WndProc(Messages::TMessage& Message) {
    if (Message.Msg == WM_COMMAND && HWND(Message.LParam) == FList) {
        if (Message.WParamHi() == LBN_SELCHANGE) RowSelected();
        if (Message.WParamHi() == LBN_DBLCLK) RowDoubleClicked();
        return;
    }
    if (Message.Msg == WM_COMMAND && HWND(Message.LParam) == FButton && Message.WParamHi() == BN_CLICKED) {
        int i = int(SendMessageW(FList, LB_GETCURSEL, 0, 0));
        if (i >= 0 && i < int(FRows.size())) EditRow(FRows[size_t(i)].Editor.get());
        return;
    }
    TForm::WndProc(Message);
    if (Message.Msg == WM_SIZE && FList) Layout();
}

} // namespace Ide

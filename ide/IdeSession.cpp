// Ide: the design session: the designed form, the palette, the framework's menu designer, the pictures.
#include "ide/IdeSession.h"

#include "examples/common/WindowShot.h"
#include "framework/vcl/Menus.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>

namespace Ide {

using Classes::TComponent;
using DsgnIntf::TComponentList;

bool ParseSessionOptions(const std::vector<String>& Args, TSessionOptions& Options) {
    if (Args.size() < 2 || Args[0] != "design") return false;
    Options.FormFile = Args[1];
    for (size_t i = 2; i < Args.size(); ++i) {
        const String& a = Args[i];
        bool more = i + 1 < Args.size();
        if (a == "--select" && more) {
            Options.Select = Args[++i];
        } else if (a == "--edit" && more) {
            String v = Args[++i];
            size_t dot = v.find('.');
            if (dot == String::npos || dot == 0 || dot + 1 == v.size()) return false;
            Options.EditComponent = v.substr(0, dot);
            Options.EditProperty = v.substr(dot + 1);
        } else if (a == "--verb" && i + 2 < Args.size()) {
            Options.VerbComponent = Args[++i];
            if (!SysUtils::TryStrToInt(Args[++i], Options.VerbIndex) || Options.VerbIndex < 0) return false;
        } else if (a == "--open" && more) {
            Options.Open = Args[++i];
        } else if (a == "--shots" && more) {
            Options.Shots = Args[++i];
        } else if (a.rfind("--", 0) == 0) {
            return false;
        } else {
            Options.Packages.push_back(a);
        }
    }
    return true;
}

namespace {

std::wstring Wide(const String& s) {
    std::u16string w = SysUtils::Utf8ToUtf16(s);
    return std::wstring(w.begin(), w.end());
}

HWND Child(HWND Parent, const wchar_t* Class, DWORD Style, const wchar_t* Text = L"") {
    HWND h = CreateWindowExW(0, Class, Text, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | Style, 0, 0, 10, 10,
                             Parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(h, WM_SETFONT, WPARAM(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    return h;
}

template <class F> void Guarded(F Fn) {
    try {
        Fn();
    } catch (...) {
        Forms::Application->HandleException(nullptr);
    }
}

// Handles the messages that arrive within Milliseconds.
void Pump(int Milliseconds) {
    DWORD until = GetTickCount() + DWORD(Milliseconds);
    do {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
        Sleep(10);
    } while (int(until - GetTickCount()) > 0);
}

std::set<HWND> VisibleThreadWindows() {
    std::set<HWND> windows;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND h, LPARAM p) -> BOOL {
            if (IsWindowVisible(h)) reinterpret_cast<std::set<HWND>*>(p)->insert(h);
            return TRUE;
        },
        LPARAM(&windows));
    return windows;
}

String WindowTitle(HWND h) {
    std::wstring s(size_t(GetWindowTextLengthW(h)) + 1, L'\0');
    s.resize(size_t(GetWindowTextW(h, s.data(), int(s.size()))));
    return SysUtils::Utf16ToUtf8(std::u16string(s.begin(), s.end()));
}

// What the screen shows of the window (its child windows paint only there), brought to the top first; the
// picture's file name and the window's title go to standard output.
void Shoot(HWND Window, const String& Dir, const String& Name) {
    SetWindowPos(Window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    RedrawWindow(Window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    Pump(100);
    Examples::SaveScreenShot(Window, SysUtils::IncludeTrailingBackslash(Dir) + Name + ".png");
    String line = Name + ".png: " + WindowTitle(Window) + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
}

// The framework's own menu designer of a plain menu: its entries, indented by level.
class TMenuDesigner : public Forms::TForm {
public:
    TMenuDesigner(TDesigner* ADesigner, Menus::TMenu* AMenu)
        : TForm(nullptr), FDesigner(ADesigner), FMenu(AMenu) {
        SetBounds(320, 420, 220, 200);
        FList = Child(GetHandle(), L"LISTBOX", WS_VSCROLL | WS_BORDER | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT);
        Refill();
    }
    Menus::TMenu* GetMenuComponent() const { return FMenu; }
    void Refill() {
        SetCaption(FMenu->GetOwner()->GetName() + "." + FMenu->GetName());
        FItems.clear();
        SendMessageW(FList, LB_RESETCONTENT, 0, 0);
        Add(FMenu->GetItems(), 0);
    }
    void WndProc(Messages::TMessage& Message) override {
        if (Message.Msg == WM_COMMAND && HWND(Message.LParam) == FList &&
            Message.WParamHi() == LBN_SELCHANGE) {
            int i = int(SendMessageW(FList, LB_GETCURSEL, 0, 0));
            if (i >= 0 && i < int(FItems.size()))
                Guarded([&] { FDesigner->SelectComponent(FItems[size_t(i)]); });
            return;
        }
        TForm::WndProc(Message);
        if (Message.Msg == WM_SIZE && FList) {
            RECT r;
            ::GetClientRect(GetHandle(), &r);
            MoveWindow(FList, 0, 0, r.right, r.bottom, TRUE);
        }
    }

private:
    void Add(Menus::TMenuItem* Item, int Depth) {
        for (int i = 0; i < Item->GetCount(); ++i) {
            Menus::TMenuItem* c = Item->GetItem(i);
            String text =
                String(size_t(Depth) * 4, ' ') + (c->GetCaption().empty() ? c->GetName() : c->GetCaption());
            SendMessageW(FList, LB_ADDSTRING, 0, LPARAM(Wide(text).c_str()));
            FItems.push_back(c);
            Add(c, Depth + 1);
        }
    }
    TDesigner* FDesigner;
    Menus::TMenu* FMenu;
    HWND FList = nullptr;
    std::vector<Menus::TMenuItem*> FItems;
};

// The palette: the pages and their components; a double-click puts one on the form; Save.
class TPaletteWindow : public Forms::TForm {
public:
    TPaletteWindow(TPackageManager& Ide, TDesigner* ADesigner) : TForm(nullptr), FDesigner(ADesigner) {
        SetCaption("Component Palette");
        SetBounds(8, 376, 280, 220);
        FList = Child(GetHandle(), L"LISTBOX", WS_VSCROLL | WS_BORDER | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT);
        FSave = Child(GetHandle(), L"BUTTON", BS_PUSHBUTTON, L"&Save");
        for (const TPalettePage& page : Ide.GetRegistrations().Pages()) {
            SendMessageW(FList, LB_ADDSTRING, 0, LPARAM(Wide(page.Name).c_str()));
            FClasses.push_back(nullptr);
            for (Classes::TComponentClass c : page.Components) {
                SendMessageW(FList, LB_ADDSTRING, 0, LPARAM(Wide("    " + String(c->ClassName)).c_str()));
                FClasses.push_back(c);
            }
        }
        if (FClasses.empty()) SendMessageW(FList, LB_ADDSTRING, 0, LPARAM(L"(no packages loaded)"));
        Layout();
    }
    std::function<void()> OnSave;
    std::function<void(Classes::TComponentClass)> OnAdd;
    void WndProc(Messages::TMessage& Message) override {
        if (Message.Msg == WM_COMMAND && HWND(Message.LParam) == FList && Message.WParamHi() == LBN_DBLCLK) {
            int i = int(SendMessageW(FList, LB_GETCURSEL, 0, 0));
            if (i >= 0 && i < int(FClasses.size()) && FClasses[size_t(i)]) OnAdd(FClasses[size_t(i)]);
            return;
        }
        if (Message.Msg == WM_COMMAND && HWND(Message.LParam) == FSave && Message.WParamHi() == BN_CLICKED) {
            OnSave();
            return;
        }
        TForm::WndProc(Message);
        if (Message.Msg == WM_SIZE && FList) Layout();
    }

private:
    void Layout() {
        RECT r;
        ::GetClientRect(GetHandle(), &r);
        MoveWindow(FList, 0, 0, r.right, r.bottom - 30, TRUE);
        MoveWindow(FSave, 4, r.bottom - 26, 72, 22, TRUE);
    }
    TDesigner* FDesigner;
    HWND FList = nullptr, FSave = nullptr;
    std::vector<Classes::TComponentClass> FClasses;
};

// Hears the designer's notifications for the session's windows (never shown).
class TSessionListener : public DsgnIntf::TDesignWindow {
public:
    TSessionListener() : TDesignWindow(nullptr) {}
    std::function<void(TComponent*)> OnDeleted;
    std::function<void()> OnChanged;
    void ComponentDeleted(TComponent* C) override { OnDeleted(C); }
    void FormModified() override { OnChanged(); }
    void SelectionChanged(TComponentList*) override { OnChanged(); }
};

const wchar_t IconClass[] = L"IdeComponentIcon";
TSessionImpl* Session = nullptr;
constexpr int IconWidth = 64, IconHeight = 44;

} // namespace

class TSessionImpl {
    friend class TDesignSession;

public:
    TSessionImpl(TPackageManager& Ide, const TSessionOptions& Options) : FIde(Ide), FOptions(Options) {
        Session = this;
        WNDCLASSW wc{};
        wc.lpfnWndProc = &TSessionImpl::IconProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        wc.lpszClassName = IconClass;
        wc.style = CS_DBLCLKS;
        RegisterClassW(&wc);
        FDesigner.LoadFromFile(Options.FormFile);
        FListener = std::make_unique<TSessionListener>();
        FListener->SetDesigner(&FDesigner);
        FListener->OnDeleted = [this](TComponent* C) { Deleted(C); };
        FListener->OnChanged = [this] { Changed(); };
        FInspector = std::make_unique<TObjectInspector>(&FDesigner);
        FPalette = std::make_unique<TPaletteWindow>(Ide, &FDesigner);
        FPalette->OnSave = [this] { Save(); };
        FPalette->OnAdd = [this](Classes::TComponentClass C) {
            Guarded([&] { FDesigner.CreateComponent(C, nullptr, 8, 8); });
        };
        Forms::TForm* form = FDesigner.GetDesignForm();
        form->SetLeft(std::max(form->GetLeft(), 300));
        form->SetTop(std::max(form->GetTop(), 8));
        ShowWindow(form->GetHandle(), SW_SHOWNORMAL);
        FInspector->Show();
        FPalette->Show();
        SyncIcons();
    }
    ~TSessionImpl() {
        FMenuDesigners.clear();
        for (HWND h : FHandles)
            DestroyWindow(h);
        for (auto& [h, c] : FIcons)
            DestroyWindow(h);
        FIcons.clear();
        FListener.reset();
        Session = nullptr;
    }

    int Run() {
        Pump(200);
        if (!FOptions.Select.empty()) FDesigner.SelectComponent(Find(FOptions.Select));
        bool shots = !FOptions.Shots.empty();
        if (shots) {
            std::error_code error; // a folder that cannot be made shows as the first picture's error
            std::filesystem::create_directories(std::filesystem::path(Wide(FOptions.Shots)), error);
            Pump(200);
            Shoot(FDesigner.GetDesignForm()->GetHandle(), FOptions.Shots, "form");
            Shoot(FInspector->GetHandle(), FOptions.Shots, "inspector");
            Shoot(FPalette->GetHandle(), FOptions.Shots, "palette");
        }
        if (!FOptions.EditComponent.empty()) {
            FDesigner.SelectComponent(Find(FOptions.EditComponent));
            DsgnIntf::TPropertyEditor* e = FInspector->FindEditor(FOptions.EditProperty);
            if (e == nullptr)
                throw SysUtils::Exception("The component " + FOptions.EditComponent + " has no property " +
                                          FOptions.EditProperty);
            WatchDialogs("dialog");
            FInspector->EditRow(e);
            StopWatching();
            Pump(100);
            if (shots) Shoot(FInspector->GetHandle(), FOptions.Shots, "inspector-edited");
        }
        if (!FOptions.Open.empty()) {
            TComponent* c = Find(FOptions.Open);
            std::set<HWND> before = VisibleThreadWindows();
            WatchDialogs("open");
            DoubleClick(c);
            StopWatching();
            Pump(300);
            if (shots)
                for (HWND h : VisibleThreadWindows())
                    if (!before.contains(h) && !FKnown.contains(h))
                        Shoot(h, FOptions.Shots, "open-" + SysUtils::IntToStr(++FOpenShots));
        }
        if (!FOptions.VerbComponent.empty()) {
            TComponent* c = Find(FOptions.VerbComponent);
            auto editor = FDesigner.MakeComponentEditor(c);
            if (FOptions.VerbIndex >= editor->GetVerbCount())
                throw SysUtils::Exception("The component editor of " + FOptions.VerbComponent +
                                          " has no verb " + SysUtils::IntToStr(FOptions.VerbIndex));
            std::set<HWND> before = VisibleThreadWindows();
            WatchDialogs("verb");
            editor->ExecuteVerb(FOptions.VerbIndex);
            StopWatching();
            Pump(300);
            if (shots)
                for (HWND h : VisibleThreadWindows())
                    if (!before.contains(h) && !FKnown.contains(h))
                        Shoot(h, FOptions.Shots, "verb-" + SysUtils::IntToStr(++FVerbShots));
        }
        if (shots) return 0;
        // A person's session: until the form or the Object Inspector is closed.
        MSG m;
        while (IsWindowVisible(FDesigner.GetDesignForm()->GetHandle()) &&
               IsWindowVisible(FInspector->GetHandle())) {
            if (GetMessageW(&m, nullptr, 0, 0) <= 0) break;
            if (Filter(m)) continue;
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
        return 0;
    }

private:
    TComponent* Find(const String& Name) {
        TComponent* root = FDesigner.GetRoot();
        TComponent* c = SysUtils::SameText(Name, root->GetName()) ? root : root->FindComponent(Name);
        if (c == nullptr) throw SysUtils::Exception("The form has no component named " + Name);
        return c;
    }

    // While an editor or a verb runs: a modal window that opens is photographed and cancelled.
    void WatchDialogs(const String& Prefix) {
        FWatchPrefix = Prefix;
        FKnown = VisibleThreadWindows();
        FSeen = nullptr;
        FTimer = SetTimer(nullptr, 0, 150, &TSessionImpl::WatchTick);
    }
    void StopWatching() {
        if (FTimer) KillTimer(nullptr, FTimer);
        FTimer = 0;
    }
    static void CALLBACK WatchTick(HWND, UINT, UINT_PTR, DWORD) {
        TSessionImpl* s = Session;
        if (s == nullptr) return;
        for (HWND h : VisibleThreadWindows()) {
            if (s->FKnown.contains(h)) continue;
            if (s->FSeen != h) {
                s->FSeen = h; // photographed on the next tick, once it has painted
                return;
            }
            s->FKnown.insert(h);
            if (!s->FOptions.Shots.empty()) {
                int n = s->FWatchPrefix == "verb"   ? ++s->FVerbShots
                        : s->FWatchPrefix == "open" ? ++s->FOpenShots
                                                    : ++s->FDialogShots;
                String name = s->FWatchPrefix != "dialog" || n > 1
                                  ? s->FWatchPrefix + "-" + SysUtils::IntToStr(n)
                                  : s->FWatchPrefix;
                Guarded([&] { Shoot(h, s->FOptions.Shots, name); });
            }
            PostMessageW(h, WM_COMMAND, IDCANCEL, 0);
            PostMessageW(h, WM_CLOSE, 0, 0);
            return;
        }
    }

    void Save() {
        Guarded([&] { FDesigner.SaveToFile(FOptions.FormFile); });
    }

    // ---- The designed form's icons of non-visual components.
    static bool ShowsIcon(TComponent* C) {
        // A component being destroyed is still in its owner's list while the owner hears of it.
        if (C->GetComponentState().Contains(Classes::csDestroying)) return false;
        return dynamic_cast<Controls::TControl*>(C) == nullptr && C->GetParentComponent() == nullptr;
    }
    void SyncIcons() {
        TComponent* root = FDesigner.GetRoot();
        HWND form = FDesigner.GetDesignForm()->GetHandle();
        std::set<TComponent*> present;
        int automatic = 0;
        for (int i = 0; i < root->GetComponentCount(); ++i) {
            TComponent* c = root->GetComponent(i);
            if (!ShowsIcon(c)) continue;
            present.insert(c);
            HWND icon = IconOf(c);
            if (icon == nullptr) {
                icon =
                    CreateWindowExW(0, IconClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0,
                                    IconWidth, IconHeight, form, nullptr, GetModuleHandleW(nullptr), nullptr);
                FIcons[icon] = c;
            }
            int32_t info = c->GetDesignInfo();
            int left = int16_t(info & 0xFFFF), top = int16_t(uint32_t(info) >> 16);
            if (info == 0) {
                left = 8 + (automatic % 4) * (IconWidth + 4);
                top = 8 + (automatic / 4) * (IconHeight + 4);
                ++automatic;
            }
            SetWindowPos(icon, HWND_TOP, left, top, 0, 0, SWP_NOSIZE);
            InvalidateRect(icon, nullptr, TRUE);
        }
        for (auto it = FIcons.begin(); it != FIcons.end();) {
            if (!present.contains(it->second)) {
                DestroyWindow(it->first);
                it = FIcons.erase(it);
            } else {
                ++it;
            }
        }
    }
    HWND IconOf(TComponent* C) const {
        for (const auto& [h, c] : FIcons)
            if (c == C) return h;
        return nullptr;
    }
    static LRESULT CALLBACK IconProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_PAINT && Session) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, &ps);
            auto it = Session->FIcons.find(h);
            if (it != Session->FIcons.end()) Session->PaintIcon(h, dc, it->second);
            EndPaint(h, &ps);
            return 0;
        }
        return DefWindowProcW(h, msg, wp, lp);
    }
    void PaintIcon(HWND H, HDC DC, TComponent* C) {
        RECT r;
        GetClientRect(H, &r);
        FillRect(DC, &r, GetSysColorBrush(COLOR_BTNFACE));
        RECT box{(r.right - 24) / 2, 2, (r.right + 24) / 2, 26};
        FillRect(DC, &box, GetSysColorBrush(COLOR_WINDOW));
        DrawEdge(DC, &box, EDGE_RAISED, BF_RECT);
        SetBkMode(DC, TRANSPARENT);
        HGDIOBJ old = SelectObject(DC, GetStockObject(DEFAULT_GUI_FONT));
        String cls = C->ClassName();
        String initials = cls.substr(cls.size() > 1 && (cls[0] == 'T' || cls[0] == 't') ? 1 : 0, 2);
        std::wstring w = Wide(initials);
        DrawTextW(DC, w.c_str(), int(w.size()), &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        RECT label{0, 27, r.right, r.bottom};
        std::wstring name = Wide(C->GetName());
        DrawTextW(DC, name.c_str(), int(name.size()), &label, DT_CENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
        SelectObject(DC, old);
        if (FDesigner.GetSelection().IndexOf(C) >= 0) {
            HBRUSH b = GetSysColorBrush(COLOR_HIGHLIGHT);
            FrameRect(DC, &r, b);
            RECT inner{1, 1, r.right - 1, r.bottom - 1};
            FrameRect(DC, &inner, b);
        }
    }

    // ---- Notifications.
    void Deleted(TComponent* C) {
        for (auto it = FIcons.begin(); it != FIcons.end(); ++it)
            if (it->second == C) {
                DestroyWindow(it->first);
                FIcons.erase(it);
                break;
            }
        std::erase_if(FMenuDesigners, [&](const auto& d) { return d->GetMenuComponent() == C; });
    }
    // Four small black squares at the corners of each selected control.
    void SyncHandles() {
        for (HWND h : FHandles)
            DestroyWindow(h);
        FHandles.clear();
        for (TComponent* c : FDesigner.GetSelection()) {
            auto* control = dynamic_cast<Controls::TControl*>(c);
            if (control == nullptr || c == FDesigner.GetRoot() || control->GetParent() == nullptr) continue;
            RECT b = control->GetBoundsRect();
            for (POINT p : {POINT{b.left, b.top}, POINT{b.right, b.top}, POINT{b.left, b.bottom},
                            POINT{b.right, b.bottom}}) {
                HWND h = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_BLACKRECT, p.x - 2,
                                         p.y - 2, 5, 5, control->GetParent()->GetHandle(), nullptr,
                                         GetModuleHandleW(nullptr), nullptr);
                SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
                FHandles.push_back(h);
            }
        }
    }
    void Changed() {
        SyncHandles();
        SyncIcons();
        FInspector->Refresh();
        for (auto& d : FMenuDesigners)
            d->Refill();
        InvalidateRect(FDesigner.GetDesignForm()->GetHandle(), nullptr, TRUE);
    }

    // ---- Mouse and keys on the designed form.
    bool InForm(HWND H) const {
        HWND form = FDesigner.GetDesignForm()->GetHandle();
        return H == form || IsChild(form, H);
    }
    TComponent* ComponentAt(const MSG& M) {
        auto icon = FIcons.find(M.hwnd);
        if (icon != FIcons.end()) return icon->second;
        HWND h = M.hwnd;
        Controls::TWinControl* wc = nullptr;
        while (h && (wc = Controls::TWinControl::FindControl(h)) == nullptr)
            h = GetParent(h);
        if (wc == nullptr) return FDesigner.GetRoot();
        POINT p{short(LOWORD(M.lParam)), short(HIWORD(M.lParam))};
        MapWindowPoints(M.hwnd, wc->GetHandle(), &p, 1);
        TComponent* found = wc;
        for (int i = wc->GetControlCount() - 1; i >= 0; --i) {
            Controls::TControl* c = wc->GetControl(i);
            RECT b = c->GetBoundsRect();
            if (dynamic_cast<Controls::TWinControl*>(c) == nullptr && c->GetVisible() && PtInRect(&b, p)) {
                found = c;
                break;
            }
        }
        // The component of the form that the window belongs to.
        while (found && found != FDesigner.GetRoot() && found->GetOwner() != FDesigner.GetRoot())
            found = found->GetOwner();
        return found ? found : FDesigner.GetRoot();
    }
    void Select(TComponent* C, bool Add) {
        auto* list = new TComponentList;
        if (Add)
            for (TComponent* s : FDesigner.GetSelection())
                if (s != FDesigner.GetRoot() && s != C) list->Add(s);
        if (!Add || FDesigner.GetSelection().IndexOf(C) < 0) list->Add(C);
        FDesigner.SetSelections(list);
    }
    void DoubleClick(TComponent* C) {
        if (C == FDesigner.GetRoot()) return;
        auto editor = FDesigner.MakeComponentEditor(C);
        auto* menu = dynamic_cast<Menus::TMenu*>(C);
        if (menu && editor->ClassType() == &DsgnIntf::TDefaultEditor::ClassInfo) {
            for (auto& d : FMenuDesigners)
                if (d->GetMenuComponent() == menu) {
                    d->Show();
                    return;
                }
            FMenuDesigners.push_back(std::make_unique<TMenuDesigner>(&FDesigner, menu));
            FMenuDesigners.back()->Show();
            return;
        }
        editor->Edit();
    }
    void ContextMenu(TComponent* C, POINT Screen) {
        auto editor = FDesigner.MakeComponentEditor(C);
        HMENU menu = CreatePopupMenu();
        int verbs = editor->GetVerbCount();
        for (int i = 0; i < verbs; ++i)
            AppendMenuW(menu, MF_STRING, UINT_PTR(i + 1), Wide(editor->GetVerb(i)).c_str());
        if (verbs) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu, MF_STRING, 1001, L"&Copy");
        AppendMenuW(menu, MF_STRING | (FDesigner.CanPaste() ? 0 : MF_GRAYED), 1002, L"&Paste");
        AppendMenuW(menu, MF_STRING | (C == FDesigner.GetRoot() ? MF_GRAYED : 0), 1003, L"&Delete");
        int cmd = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, Screen.x, Screen.y, 0,
                                 FDesigner.GetDesignForm()->GetHandle(), nullptr);
        DestroyMenu(menu);
        if (cmd >= 1 && cmd <= verbs) editor->ExecuteVerb(cmd - 1);
        if (cmd == 1001) Copy();
        if (cmd == 1002) Paste();
        if (cmd == 1003) DeleteSelection();
    }
    void Copy() {
        TComponentList list;
        FDesigner.GetSelections(&list);
        list.Remove(FDesigner.GetRoot());
        if (list.Count()) FDesigner.CopyComponents(FDesigner.GetRoot(), &list);
    }
    void Paste() {
        auto* list = new TComponentList;
        try {
            FDesigner.PasteComponents(FDesigner.GetRoot(), FDesigner.GetRoot(), list);
        } catch (...) {
            delete list;
            throw;
        }
        FDesigner.SetSelections(list);
    }
    void DeleteSelection() {
        TComponentList list;
        FDesigner.GetSelections(&list);
        for (TComponent* c : list)
            if (c != FDesigner.GetRoot() && FDesigner.GetRoot()->GetComponentIndex() >= -1 &&
                c->GetOwner() == FDesigner.GetRoot())
                FDesigner.DeleteComponent(c);
    }
    // True when the message was the designer's (and is not dispatched).
    bool Filter(const MSG& M) {
        bool control = GetKeyState(VK_CONTROL) < 0;
        if (M.message == WM_KEYDOWN && control && M.wParam == 'S') {
            Save();
            return true;
        }
        // The Edit commands of the host for an active design window of a package.
        DsgnIntf::TEditAction action;
        if (M.message == WM_KEYDOWN && control && EditActionOfKey(unsigned(M.wParam), action)) {
            HWND top = GetAncestor(M.hwnd, GA_ROOT);
            for (DsgnIntf::TDesignWindow* w : DsgnIntf::DesignWindows())
                if (w != FListener.get() && w->HandleAllocated() && w->GetHandle() == top) {
                    bool done = false;
                    Guarded([&] { done = RunEditAction(w, action); });
                    return done;
                }
        }
        if (!InForm(M.hwnd)) return false;
        bool handled = true;
        Guarded([&] {
            switch (M.message) {
            case WM_LBUTTONDOWN:
                Select(ComponentAt(M), (M.wParam & MK_SHIFT) != 0);
                break;
            case WM_LBUTTONDBLCLK:
                DoubleClick(ComponentAt(M));
                break;
            case WM_RBUTTONUP: {
                TComponent* c = ComponentAt(M);
                if (FDesigner.GetSelection().IndexOf(c) < 0) Select(c, false);
                POINT p{short(LOWORD(M.lParam)), short(HIWORD(M.lParam))};
                ClientToScreen(M.hwnd, &p);
                ContextMenu(c, p);
                break;
            }
            case WM_LBUTTONUP:
            case WM_RBUTTONDOWN:
            case WM_RBUTTONDBLCLK:
            case WM_MBUTTONDOWN:
            case WM_MBUTTONUP:
            case WM_CHAR:
            case WM_KEYUP:
                break;
            case WM_KEYDOWN:
                if (M.wParam == VK_DELETE) DeleteSelection();
                if (control && M.wParam == 'C') Copy();
                if (control && M.wParam == 'X') {
                    Copy();
                    DeleteSelection();
                }
                if (control && M.wParam == 'V') Paste();
                break;
            default:
                handled = false;
            }
        });
        return handled;
    }

    TPackageManager& FIde;
    TSessionOptions FOptions;
    TDesigner FDesigner;
    std::unique_ptr<TSessionListener> FListener;
    std::unique_ptr<TObjectInspector> FInspector;
    std::unique_ptr<TPaletteWindow> FPalette;
    std::vector<std::unique_ptr<TMenuDesigner>> FMenuDesigners;
    std::map<HWND, TComponent*> FIcons;
    std::vector<HWND> FHandles;
    String FWatchPrefix;
    std::set<HWND> FKnown;
    HWND FSeen = nullptr;
    UINT_PTR FTimer = 0;
    int FVerbShots = 0, FDialogShots = 0, FOpenShots = 0;
};

TDesignSession::TDesignSession(TPackageManager& Ide, const TSessionOptions& Options)
    : FImpl(std::make_unique<TSessionImpl>(Ide, Options)) {}

TDesignSession::~TDesignSession() = default;

int TDesignSession::Run() {
    return FImpl->Run();
}

bool TDesignSession::HandleMessage(const MSG& Message) {
    return FImpl->Filter(Message);
}

TDesigner& TDesignSession::GetDesigner() {
    return FImpl->FDesigner;
}

TObjectInspector& TDesignSession::GetInspector() {
    return *FImpl->FInspector;
}

HWND TDesignSession::IconWindow(TComponent* AComponent) const {
    return FImpl->IconOf(AComponent);
}

int RunSession(TPackageManager& Ide, const TSessionOptions& Options) {
    TDesignSession session(Ide, Options);
    return session.Run();
}

} // namespace Ide

// VeskMenu: the hook of the owner's window procedure and the dispatch of the menu messages.
//
// Several components may hook one window: each one's FOldWndProc is the next procedure down, the window's
// current procedure is the head. A component that leaves sends WM_MENUUNHOOK (its FOldWndProc, its own
// procedure) into the chain: the one just above it splices it out and answers 1; when nobody answers, the
// leaving one is the head and puts its FOldWndProc back, but only while the window's procedure is still its
// own (a window made anew has a chain of its own).
#include "menus/runtime/VeskMenu.h"

#include "framework/core/SysUtils.h"

namespace VeskMenu {

HMENU CurrentPopupHandle = nullptr;
HCURSOR SavedCursor = nullptr;

namespace {

// The mnemonic of a caption: the character after its first "&", else its first character; 0 for none.
char16_t Mnemonic(const String& Caption) {
    std::u16string text = SysUtils::Utf8ToUtf16(Caption);
    if (text.empty()) return 0;
    size_t amp = text.find(u'&');
    if (amp == std::u16string::npos) return text[0];
    return amp + 1 < text.size() ? text[amp + 1] : 0;
}

// Lower case of one UTF-16 character, for any script the system knows.
char16_t Lower(char16_t c) {
    wchar_t w = wchar_t(c);
    CharLowerBuffW(&w, 1);
    return char16_t(w);
}

} // namespace

int VisiblePosition(Menus::TMenuItem* Parent, Menus::TMenuItem* Item) {
    int position = 0;
    for (int i = 0; i < Parent->GetCount(); ++i) {
        Menus::TMenuItem* sibling = Parent->GetItem(i);
        if (sibling == Item) break;
        if (sibling->GetVisible()) ++position;
    }
    return position;
}

HWND TVeskMenu::HookedWindow() const {
    auto* owner = dynamic_cast<Controls::TWinControl*>(GetOwner());
    return owner != nullptr && owner->HandleAllocated() ? owner->GetHandle() : nullptr;
}

void TVeskMenu::Hook() {
    auto* owner = dynamic_cast<Controls::TWinControl*>(GetOwner());
    HWND wnd = owner->GetHandle(); // makes the owner's window when it has none yet
    FObjectInstance = Controls::MakeObjectInstance(Messages::TWndMethod::Bind<&TVeskMenu::WndProc>(this));
    FOldWndProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FObjectInstance)));
}

void TVeskMenu::Unhook() {
    if (FObjectInstance == nullptr) return;
    if (HWND wnd = HookedWindow()) {
        LRESULT spliced = SendMessageW(wnd, WM_MENUUNHOOK, WPARAM(FOldWndProc), LPARAM(FObjectInstance));
        if (spliced == 0 &&
            reinterpret_cast<WNDPROC>(GetWindowLongPtrW(wnd, GWLP_WNDPROC)) == FObjectInstance)
            SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FOldWndProc));
    }
    Controls::FreeObjectInstance(FObjectInstance);
    FObjectInstance = nullptr;
    FOldWndProc = nullptr;
}

void TVeskMenu::RehookWnd() {
    if (dynamic_cast<Controls::TWinControl*>(GetOwner()) == nullptr) return;
    Unhook();
    Hook();
}

void TVeskMenu::Forward(Messages::TMessage& Message) {
    HWND wnd = HookedWindow();
    Message.Result = FOldWndProc != nullptr && wnd != nullptr
                         ? CallWindowProcW(FOldWndProc, wnd, Message.Msg, Message.WParam, Message.LParam)
                         : 0;
}

LRESULT TVeskMenu::ForwardToMDIChild(Messages::TMessage& Message) {
    auto* form = dynamic_cast<Forms::TCustomForm*>(GetOwner());
    if (form == nullptr || form->GetFormStyle() != Forms::fsMDIForm || form->GetMDIChildCount() <= 0)
        return 0;
    Forms::TCustomForm* child = form->GetActiveMDIChild();
    if (child == nullptr) return 0;
    for (int i = 0; i < child->GetComponentCount(); ++i)
        if (dynamic_cast<TVeskMenu*>(child->GetComponent(i)) != nullptr)
            return SendMessageW(child->GetHandle(), Message.Msg, Message.WParam, Message.LParam);
    return 0;
}

namespace {

bool IsPopupItem(const TVeskMenuItem& Item) {
    return Item.IsAssigned() && dynamic_cast<Menus::TPopupMenu*>(Item.GetMenu()) != nullptr;
}

String ShortCutText(const TVeskMenuItem& Item) {
    return Menus::ShortCutToText(Item.GetMenuItem()->GetShortCut());
}

} // namespace

void TVeskMenu::WndProc(Messages::TMessage& Message) {
    try {
        if (Dispatch(Message)) return;
        Forward(Message);
    } catch (...) {
        // Shown by the application; the message is not passed on and keeps the result it had.
        if (Forms::Application != nullptr) Forms::Application->HandleException(this);
    }
}

bool TVeskMenu::Dispatch(Messages::TMessage& Message) {
    // The items a scan visits: a copy, since a handler may change the list.
    std::vector<TVeskMenuItem*> assigned;
    for (TVeskMenuItem* item : FItems)
        if (item->IsAssigned()) assigned.push_back(item);
    auto byCommand = [&](UINT id) -> TVeskMenuItem* {
        for (TVeskMenuItem* item : assigned)
            if (item->GetMenuItem()->GetCommand() == WORD(id)) return item;
        return nullptr;
    };

    switch (Message.Msg) {
    case WM_SYSCOLORCHANGE:
    case Menus::CM_MENUCHANGED:
        if (FActive) {
            if (GetComponentState().Contains(Classes::csDesigning))
                Refresh(this, RA_REFRESH);
            else if (FMenuRefresh != RA_NONE)
                Refresh(this, FMenuRefresh);
        }
        ForwardToMDIChild(Message);
        return false;

    case WM_SETCURSOR:
        if (!FActive || FCursor == 0 || FCursor == -2) return false;
        if (HIWORD(Message.LParam) == 0) { // the window is in menu mode
            SavedCursor = ::SetCursor(Forms::Screen->GetCursors(FCursor));
            FCursorSet = true;
            return true;
        }
        if (FCursorSet) {
            ::SetCursor(SavedCursor);
            FCursorSet = false;
            return true;
        }
        return false;

    case WM_DRAWITEM: {
        auto& record = *reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
        if (FActive && record.CtlType == ODT_MENU)
            if (TVeskMenuItem* item = byCommand(record.itemID)) {
                item->DrawItem(Message, item->GetMenuItem()->GetCaption(), ShortCutText(*item));
                return true;
            }
        ForwardToMDIChild(Message);
        return false;
    }

    case WM_MEASUREITEM: {
        auto& record = *reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
        if (!FActive || record.CtlType != ODT_MENU) return false;
        if (!FMeasured) {
            // The whole popup once, so that its entries line up; then the bar for its height.
            MaxItemWidth = MaxTextWidth = TotalHeight = MaxShortCutWidth = 0;
            for (TVeskMenuItem* item : assigned) {
                Menus::TMenuItem* mi = item->GetMenuItem();
                if (mi->GetParent() == nullptr || mi->GetParent()->GetHandle() != CurrentPopupHandle ||
                    !mi->GetVisible())
                    continue;
                item->MeasureItem(Message, mi->GetCaption(), ShortCutText(*item));
                if (item->GetOptions().Contains(omDrawBarIfNeeded) && FShowBar) FNeedBar = true;
            }
            OnMeasure(this, CurrentPopupHandle, TotalHeight);
            if (FShowBar && FNeedBar) {
                AddBar();
                FNeedBar = false;
            }
            FMeasured = true;
        }
        if (TVeskMenuItem* item = byCommand(record.itemID)) {
            item->MeasureItem(Message, item->GetMenuItem()->GetCaption(), ShortCutText(*item));
            return true;
        }
        ForwardToMDIChild(Message);
        return false;
    }

    case WM_HELP: {
        auto& info = *reinterpret_cast<HELPINFO*>(Message.LParam);
        for (TVeskMenuItem* item : assigned) {
            if (!IsPopupItem(*item) || HANDLE(item->GetMenu()->GetHandle()) != info.hItemHandle) continue;
            Menus::TMenu& menu = *item->GetMenu();
            int32_t context = menu.GetHelpContext(UINT_PTR(info.iCtrlId), true);
            if (context == 0) context = menu.GetHelpContext(UINT_PTR(info.hItemHandle), false);
            if (Forms::TCustomForm* active = Forms::Screen->GetActiveForm()) {
                if (active->GetBorderIcons().Contains(Forms::biHelp))
                    Forms::Application->HelpCommand(HELP_CONTEXTPOPUP, context);
                else
                    Forms::Application->HelpContext(context);
            }
            return true;
        }
        return false;
    }

    case WM_KEYDOWN:
        for (TVeskMenuItem* item : assigned)
            if (IsPopupItem(*item) && item->GetMenu()->IsShortCut(Message)) return true;
        return false;

    case WM_COMMAND:
        for (TVeskMenuItem* item : assigned)
            if (IsPopupItem(*item) && item->GetMenu()->DispatchCommand(LOWORD(Message.WParam))) return true;
        return false;

    case WM_INITMENUPOPUP:
        FMeasured = false;
        if (HIWORD(Message.LParam) == 0) // not the window menu
            OnPopup(this, reinterpret_cast<HMENU>(Message.WParam), int(int16_t(LOWORD(Message.LParam))));
        CurrentPopupHandle = reinterpret_cast<HMENU>(Message.WParam);
        ForwardToMDIChild(Message);
        return false;

    case WM_MENUSELECT:
        if (FActive) {
            const WORD id = LOWORD(Message.WParam), flags = HIWORD(Message.WParam);
            auto menu = reinterpret_cast<HMENU>(Message.LParam);
            for (TVeskMenuItem* item : assigned) {
                OnItemSelect(this, menu, int(id));
                if (!IsPopupItem(*item)) continue;
                Menus::TMenuItem* mi = item->GetMenuItem();
                // An entry that opens a submenu is reported by its position in its menu, the others by
                // their command.
                bool match = (flags & MF_POPUP)
                                 ? mi->GetParent() != nullptr && mi->GetParent()->GetHandle() == menu &&
                                       mi->GetCount() > 0 && VisiblePosition(mi->GetParent(), mi) == id
                                 : mi->GetCommand() == id;
                if (match) {
                    Forms::Application->SetHint(mi->GetHint());
                    return true;
                }
            }
        }
        Forms::Application->SetHint("");
        return false;

    case WM_MENUCHAR: {
        const char16_t key = Lower(char16_t(LOWORD(Message.WParam)));
        if (FActive)
            for (TVeskMenuItem* item : assigned) {
                Menus::TMenuItem* mi = item->GetMenuItem();
                char16_t mnemonic = Mnemonic(mi->GetCaption());
                if (mnemonic == 0 || Lower(mnemonic) != key) continue;
                if (mi->GetParent() == nullptr ||
                    mi->GetParent()->GetHandle() != reinterpret_cast<HMENU>(Message.LParam))
                    continue;
                if (!mi->GetEnabled() || !mi->GetVisible()) continue;
                Message.Result = (LRESULT(MNC_EXECUTE) << 16) | VisiblePosition(mi->GetParent(), mi);
                return true;
            }
        LRESULT r = ForwardToMDIChild(Message);
        if (r == 0) return false;
        if (HIWORD(r) == MNC_EXECUTE) Message.Result = r;
        return true;
    }

    case WM_ENTERMENULOOP:
        if (FActive && FMenuRefresh != RA_NONE)
            for (TVeskMenuItem* item : assigned)
                if (IsPopupItem(*item)) Refresh(item, FMenuRefresh);
        return false;

    case WM_MENUUNHOOK:
        if (FOldWndProc == reinterpret_cast<WNDPROC>(Message.LParam)) {
            // The leaving component is the next one down: it is spliced out here.
            FOldWndProc = reinterpret_cast<WNDPROC>(Message.WParam);
            Message.Result = 1;
            return true;
        }
        Message.Result = 0;
        return false;
    }
    return false;
}

} // namespace VeskMenu

// VmDsgn: TVmDesignForm's popup, "Generate VM for", the jumps to the host's windows, the keys, the edition
// commands, and the form's published table.
#include "menus/design/VmDsgn.h"

namespace VmDsgn {

using namespace TypInfo;
using Controls::TControl;

namespace {

constexpr const char* ObjectInspector = "Object Inspector";

struct TFindTitle {
    std::u16string Title;
    HWND Found = nullptr;
};

BOOL CALLBACK FindTitle(HWND Window, LPARAM Data) {
    auto* find = reinterpret_cast<TFindTitle*>(Data);
    int length = GetWindowTextLengthW(Window);
    if (length != int(find->Title.size())) return TRUE;
    std::u16string text(size_t(length) + 1, u'\0');
    GetWindowTextW(Window, reinterpret_cast<wchar_t*>(text.data()), length + 1);
    text.resize(size_t(length));
    if (text != find->Title) return TRUE;
    find->Found = Window;
    return FALSE;
}

HWND FindTopLevel(const String& Title) {
    TFindTitle find{SysUtils::Utf8ToUtf16(Title)};
    EnumWindows(FindTitle, reinterpret_cast<LPARAM>(&find));
    return find.Found;
}

// The file's full path, as the file dialogs give it.
String FullPath(const String& FileName) {
    std::u16string name = SysUtils::Utf8ToUtf16(FileName);
    std::u16string full(MAX_PATH * 4, u'\0');
    DWORD n = GetFullPathNameW(reinterpret_cast<LPCWSTR>(name.c_str()), DWORD(full.size()),
                               reinterpret_cast<LPWSTR>(full.data()), nullptr);
    if (n == 0 || n >= full.size()) return FileName;
    full.resize(n);
    return SysUtils::Utf16ToUtf8(full);
}

void Enable(TMenuItem* Entry, bool Value) {
    Entry->SetEnabled(Value);
}

} // namespace

bool TVmDesignForm::ActivateWindow(const String& Title) {
    HWND window = FindTopLevel(Title);
    if (window == nullptr) return false;
    if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(window);
    SetActiveWindow(window);
    return true;
}

bool TVmDesignForm::HasMenuDesignerWindow() const {
    if (FVeskMenuComp == nullptr || FVeskMenuComp->GetOwner() == nullptr) return false;
    TComponent* form = FVeskMenuComp->GetOwner();
    for (int i = 0; i < form->GetComponentCount(); ++i)
        if (auto* menu = dynamic_cast<Menus::TMenu*>(form->GetComponent(i)))
            if (FindTopLevel(form->GetName() + "." + menu->GetName()) != nullptr) return true;
    return false;
}

// ---- The popup --------------------------------------------------------------------------------------------

void TVmDesignForm::FormMouseUp(TObject*, Controls::TMouseButton Button, Controls::TShiftState, int X,
                                int Y) {
    if (Button != Controls::mbRight) return;
    TrackPopupMenu(pupMenu->GetHandle(), 0, X + GetLeft(), Y + GetTop(), 0, GetHandle(), nullptr);
}

void TVmDesignForm::lbItemsMouseUp(TObject* Sender, Controls::TMouseButton Button,
                                   Controls::TShiftState Shift, int X, int Y) {
    FormMouseUp(Sender, Button, Shift, X, Y);
}

void TVmDesignForm::pupVMPopup(TObject*, HMENU MenuHandle, int) {
    if (MenuHandle == pupMenu->GetHandle()) {
        // 1. The entries of the last popup go, with their items.
        for (int i = miGenerate->GetCount() - 1; i >= 0; --i) {
            TMenuItem* entry = miGenerate->GetItem(i);
            delete pupVM->FindItem(pupMenu, entry);
            delete entry;
        }
        // 2. One entry per plain menu of the bound menu's form, in component order.
        if (FVeskMenuComp != nullptr && FVeskMenuComp->GetOwner() != nullptr) {
            TComponent* form = FVeskMenuComp->GetOwner();
            for (int i = 0; i < form->GetComponentCount(); ++i) {
                auto* menu = dynamic_cast<Menus::TMenu*>(form->GetComponent(i));
                if (menu == nullptr) continue;
                auto* entry = new TMenuItem(this);
                entry->SetCaption(menu->GetName());
                entry->SetOnClick(Classes::TNotifyEvent::Bind<&TVmDesignForm::GenerateClick>(this));
                miGenerate->Add(entry);
                TVeskMenuItem* item = pupVM->NewItem();
                item->SetPicture(Image->GetPicture());
                item->SetOptions(item->GetOptions() + VeskMenu::TMenuOptions{VeskMenu::omAlwaysDefFont});
                item->SetTrColor(Graphics::clPurple);
                item->SetMenu(pupMenu);
                item->SetMenuItem(entry);
            }
        }
        // 3.
        int rows = RowCount(), marked = MarkedCount();
        Enable(miAdd, FVeskMenuComp != nullptr);
        for (TMenuItem* e : {miDelete, miCut, miCopy})
            Enable(e, marked > 0);
        Enable(miPaste, GetDesigner() != nullptr && GetDesigner()->CanPaste());
        for (TMenuItem* e : {miSelect, miSave, miSaveAs})
            Enable(e, rows > 0);
        Enable(miGenerate, miGenerate->GetCount() > 0);
        // 4.
        pupVM->Refresh(this, VeskMenu::RA_REFRESH);
    } else if (MenuHandle == miSwitch->GetHandle()) {
        bool one = MarkedCount() == 1;
        Enable(miObjInsMenu, one);
        Enable(miObjInsItem, one);
        Enable(miMenuDsgn, one && HasMenuDesignerWindow());
    }
}

// ---- Generate ---------------------------------------------------------------------------------------------

void TVmDesignForm::AddItemFor(Menus::TMenu* Menu, TMenuItem* Entry) {
    TVeskMenuItem* item = NewNamedItem();
    item->SetMenu(Menu);
    item->SetMenuItem(Entry);
    AddRow(item);
    SelectOne(item);
    SelectItem(item);
    FModified = true;
}

void TVmDesignForm::AddSubItemsFor(Menus::TMenu* Menu, TMenuItem* Entry) {
    for (int i = 0; i < Entry->GetCount(); ++i) {
        AddItemFor(Menu, Entry->GetItem(i));
        AddSubItemsFor(Menu, Entry->GetItem(i));
    }
}

void TVmDesignForm::GenerateFor(const String& MenuName) {
    if (FVeskMenuComp == nullptr || FVeskMenuComp->GetOwner() == nullptr)
        throw Classes::EComponentError("The menu designer is not bound to a menu");
    TComponent* form = FVeskMenuComp->GetOwner();
    Menus::TMenu* menu = nullptr;
    for (int i = 0; i < form->GetComponentCount() && menu == nullptr; ++i)
        if (form->GetComponent(i)->GetName() == MenuName)
            menu = dynamic_cast<Menus::TMenu*>(form->GetComponent(i));
    if (menu == nullptr) throw Classes::EComponentError("The form has no menu named " + MenuName);
    Menus::TMenuItem* top = menu->GetItems();
    for (int j = 0; j < top->GetCount(); ++j) {
        AddItemFor(menu, top->GetItem(j));
        AddSubItemsFor(menu, top->GetItem(j));
    }
    Modified(); // the form has new components
    if (FVeskMenuComp->GetActive()) FVeskMenuComp->Refresh(this, VeskMenu::RA_REFRESHWITHBAR);
}

void TVmDesignForm::GenerateClick(TObject* Sender) {
    if (auto* entry = dynamic_cast<TMenuItem*>(Sender)) GenerateFor(entry->GetCaption());
}

// ---- The host's windows -----------------------------------------------------------------------------------

void TVmDesignForm::miObjInsItemClick(TObject*) {
    TVeskMenuItem* item = OnlyMarked();
    if (item == nullptr || item->GetMenuItem() == nullptr) return;
    if (GetDesigner() != nullptr) GetDesigner()->SelectComponent(item->GetMenuItem());
    ActivateWindow(ObjectInspector);
}

void TVmDesignForm::miObjInsMenuClick(TObject*) {
    TVeskMenuItem* item = OnlyMarked();
    if (item == nullptr || item->GetMenu() == nullptr) return;
    if (GetDesigner() != nullptr) GetDesigner()->SelectComponent(item->GetMenu());
    ActivateWindow(ObjectInspector);
}

void TVmDesignForm::miMenuDsgnClick(TObject*) {
    TVeskMenuItem* item = OnlyMarked();
    if (item == nullptr || item->GetMenuItem() == nullptr || item->GetMenu() == nullptr) return;
    String title = (item->GetOwner() != nullptr ? item->GetOwner()->GetName() : String()) + "." +
                   item->GetMenu()->GetName();
    if (GetDesigner() != nullptr) GetDesigner()->SelectComponent(item->GetMenuItem());
    ActivateWindow(ObjectInspector);
    ActivateWindow(title);
}

void TVmDesignForm::miFormDsgnClick(TObject*) {
    ActivateWindow(ObjectInspector);
    if (FVeskMenuComp == nullptr) return;
    if (auto* form = dynamic_cast<Forms::TCustomForm*>(FVeskMenuComp->GetOwner()))
        ActivateWindow(form->GetCaption());
}

void TVmDesignForm::lbItemsKeyDown(TObject* Sender, WORD& Key, Controls::TShiftState Shift) {
    using Controls::ssCtrl;
    using Controls::ssShift;
    if (Shift == Controls::TShiftState{} && Key == VK_INSERT)
        miAddClick(Sender);
    else if (Shift == Controls::TShiftState{} && Key == VK_DELETE)
        miDeleteClick(Sender);
    else if (Shift == Controls::TShiftState{ssShift} && Key == VK_F9)
        miMenuDsgnClick(Sender);
    else if (Shift == Controls::TShiftState{ssShift} && Key == VK_F11)
        miObjInsItemClick(Sender);
    else if (Shift == Controls::TShiftState{ssCtrl} && Key == VK_F11)
        miObjInsMenuClick(Sender);
}

// ---- Edition files ----------------------------------------------------------------------------------------

void TVmDesignForm::SaveToFile(const String& FileName) {
    if (FVeskMenuComp == nullptr) throw Classes::EComponentError("The menu designer is not bound to a menu");
    SaveEdition(FileName, *FVeskMenuComp);
}

void TVmDesignForm::miSaveClick(TObject*) {
    // 1. and 2.
    if (!FFileName.empty()) {
        SaveToFile(FFileName);
    } else {
        if (!SaveDialog1->Execute()) return;
        SaveToFile(SaveDialog1->GetFileName());
        FFileName = SaveDialog1->GetFileName();
    }
    // 3. and 4.
    Dialogs::MessageDlg("Edition " + SysUtils::ExtractFileName(FFileName) + " saved", Dialogs::mtInformation,
                        {Dialogs::mbOK}, 0);
    FModified = false;
}

void TVmDesignForm::miSaveAsClick(TObject* Sender) {
    if (!FFileName.empty()) {
        SaveDialog1->SetFileName(SysUtils::ExtractFileName(FFileName));
        FFileName.clear();
    }
    miSaveClick(Sender);
}

void TVmDesignForm::miOpenClick(TObject* Sender) {
    // 1.
    if (FModified) {
        int answer = Dialogs::MessageDlg("Do you want to save current?", Dialogs::mtConfirmation,
                                         {Dialogs::mbYes, Dialogs::mbNo, Dialogs::mbCancel}, 0);
        if (answer == Dialogs::mrCancel) return;
        if (answer == Dialogs::mrYes) miSaveClick(Sender);
    }
    // 2.
    OpenDialog1->SetFileName("*.vmn");
    if (!OpenDialog1->Execute()) return;
    OpenFile(OpenDialog1->GetFileName());
}

void TVmDesignForm::OpenFile(const String& FileName) {
    if (FVeskMenuComp == nullptr) throw Classes::EComponentError("The menu designer is not bound to a menu");
    // 3. to 6. The current items go only once the whole edition has been read (VmDsgnEdition.cpp).
    {
        Classes::TFileStream in(FileName, Classes::fmOpenRead | Classes::fmShareDenyWrite);
        ReadEdition(
            in, *FVeskMenuComp,
            [this] {
                for (int i = 0; i < RowCount(); ++i)
                    lbItems->SetSelected(i, true);
                DeleteSelection();
            },
            [this](TVeskMenuItem* Item) { AddLoadedItem(Item); });
    }
    // 7.
    FFileName = FullPath(FileName);
    FModified = false;
    if (FVeskMenuComp->GetActive()) FVeskMenuComp->Refresh(this, VeskMenu::RA_REFRESH);
}

void TVmDesignForm::AddLoadedItem(TComponent* Component) {
    auto* item = static_cast<TVeskMenuItem*>(Component);
    AddRow(item);
    SelectItem(item);
    SelectOne(item);
}

void TVmDesignForm::EditionCommand(const String& Command, const String& Argument) {
    if (VmDesignForm == nullptr || VmDesignForm->GetVeskMenuComp() == nullptr)
        throw Classes::EComponentError("The menu designer is not open on a menu");
    if (Command == "save") {
        VmDesignForm->SaveToFile(Argument);
        VmDesignForm->FFileName = FullPath(Argument);
        VmDesignForm->FModified = false;
    } else if (Command == "open") {
        VmDesignForm->OpenFile(Argument);
    } else if (Command == "generate") {
        VmDesignForm->GenerateFor(Argument);
    } else {
        throw Classes::EComponentError("Unknown edition command " + Command);
    }
}

// The window's mouse event, which the framework's form leaves unpublished.
PUBLISHED(TVmDesignForm, "VmDsgn", Prop<&TControl::GetOnMouseUp, &TControl::SetOnMouseUp>("OnMouseUp"),
          PUBLISHED_FIELD(TVmDesignForm, lbItems), PUBLISHED_FIELD(TVmDesignForm, SpeedButton1),
          PUBLISHED_FIELD(TVmDesignForm, SpeedButton2), PUBLISHED_FIELD(TVmDesignForm, Image),
          PUBLISHED_FIELD(TVmDesignForm, pupMenu), PUBLISHED_FIELD(TVmDesignForm, miAdd),
          PUBLISHED_FIELD(TVmDesignForm, miDelete), PUBLISHED_FIELD(TVmDesignForm, miSelect),
          PUBLISHED_FIELD(TVmDesignForm, miSeparator1), PUBLISHED_FIELD(TVmDesignForm, miOpen),
          PUBLISHED_FIELD(TVmDesignForm, miSave), PUBLISHED_FIELD(TVmDesignForm, miSaveAs),
          PUBLISHED_FIELD(TVmDesignForm, miSeparator2), PUBLISHED_FIELD(TVmDesignForm, miCut),
          PUBLISHED_FIELD(TVmDesignForm, miCopy), PUBLISHED_FIELD(TVmDesignForm, miPaste),
          PUBLISHED_FIELD(TVmDesignForm, miSeparator3), PUBLISHED_FIELD(TVmDesignForm, miSwitch),
          PUBLISHED_FIELD(TVmDesignForm, miFormDsgn), PUBLISHED_FIELD(TVmDesignForm, miMenuDsgn),
          PUBLISHED_FIELD(TVmDesignForm, miSeparator4), PUBLISHED_FIELD(TVmDesignForm, miObjInsMenu),
          PUBLISHED_FIELD(TVmDesignForm, miObjInsItem), PUBLISHED_FIELD(TVmDesignForm, miGenerate),
          PUBLISHED_FIELD(TVmDesignForm, OpenDialog1), PUBLISHED_FIELD(TVmDesignForm, SaveDialog1),
          PUBLISHED_FIELD(TVmDesignForm, pupVM), PUBLISHED_METHOD(TVmDesignForm, FormCreate),
          PUBLISHED_METHOD(TVmDesignForm, FormMouseUp), PUBLISHED_METHOD(TVmDesignForm, lbItemsClick),
          PUBLISHED_METHOD(TVmDesignForm, lbItemsKeyDown), PUBLISHED_METHOD(TVmDesignForm, lbItemsMouseUp),
          PUBLISHED_METHOD(TVmDesignForm, SpeedButton1Click),
          PUBLISHED_METHOD(TVmDesignForm, SpeedButton2Click), PUBLISHED_METHOD(TVmDesignForm, miAddClick),
          PUBLISHED_METHOD(TVmDesignForm, miDeleteClick), PUBLISHED_METHOD(TVmDesignForm, miSelectClick),
          PUBLISHED_METHOD(TVmDesignForm, miOpenClick), PUBLISHED_METHOD(TVmDesignForm, miSaveClick),
          PUBLISHED_METHOD(TVmDesignForm, miSaveAsClick), PUBLISHED_METHOD(TVmDesignForm, miCutClick),
          PUBLISHED_METHOD(TVmDesignForm, miCopyClick), PUBLISHED_METHOD(TVmDesignForm, miPasteClick),
          PUBLISHED_METHOD(TVmDesignForm, miFormDsgnClick), PUBLISHED_METHOD(TVmDesignForm, miMenuDsgnClick),
          PUBLISHED_METHOD(TVmDesignForm, miObjInsMenuClick),
          PUBLISHED_METHOD(TVmDesignForm, miObjInsItemClick), PUBLISHED_METHOD(TVmDesignForm, pupVMPopup),
          PUBLISHED_METHOD(TVmDesignForm, GenerateClick));

} // namespace VmDsgn

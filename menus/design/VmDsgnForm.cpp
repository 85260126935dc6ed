// VmDsgn: TVmDesignForm's list, binding, host selection, editing and the host's notifications.
//
// Invariants:
//   1. Each row's object is a TVeskMenuItem of the bound menu, rows in the menu's item order (moves
//      exchange both); an item that goes while listed takes its row with it (ComponentDeleted).
//   2. FSelection is this window's own list until FinishSelection hands it to the host (FSelectionHanded);
//      a handed list is the host's and is only forgotten, never freed here.
//   3. The bound menu is watched for destruction (free notification): a menu that goes unbinds the window.
#include "menus/design/VmDsgn.h"

namespace VmDsgn {

using namespace TypInfo;

TVmDesignForm* VmDesignForm = nullptr;

TVmDesignForm::TVmDesignForm(TComponent* AOwner) : TDesignWindow(AOwner) {}

TVmDesignForm::~TVmDesignForm() {
    if (VmDesignForm == this) VmDesignForm = nullptr;
    if (FVeskMenuComp != nullptr) FVeskMenuComp->RemoveFreeNotification(this);
    FVeskMenuComp = nullptr;
    if (!FSelectionHanded) delete FSelection;
    FSelection = nullptr;
}

void TVmDesignForm::Notification(TComponent* AComponent, Classes::TOperation Operation) {
    inherited::Notification(AComponent, Operation);
    if (Operation == Classes::opRemove && AComponent == FVeskMenuComp) {
        FVeskMenuComp = nullptr; // invariant 3
        if (lbItems != nullptr && !GetComponentState().Contains(Classes::csDestroying))
            lbItems->GetItems()->Clear();
    }
}

// ---- Rows -------------------------------------------------------------------------------------------------

int TVmDesignForm::RowCount() const {
    return lbItems->GetItems()->GetCount();
}

TVeskMenuItem* TVmDesignForm::RowItem(int Row) const {
    return static_cast<TVeskMenuItem*>(lbItems->GetItems()->Objects(Row));
}

bool TVmDesignForm::Marked(int Row) const {
    return lbItems->GetSelected(Row);
}

int TVmDesignForm::MarkedCount() const {
    int n = 0;
    for (int i = 0; i < RowCount(); ++i)
        n += Marked(i) ? 1 : 0;
    return n;
}

TVeskMenuItem* TVmDesignForm::OnlyMarked() const {
    if (MarkedCount() != 1) return nullptr;
    for (int i = 0; i < RowCount(); ++i)
        if (Marked(i)) return RowItem(i);
    return nullptr;
}

void TVmDesignForm::AddRow(TVeskMenuItem* Item) {
    lbItems->GetItems()->AddObject(Item->GetName(), Item);
}

void TVmDesignForm::Modified() {
    if (DsgnIntf::TFormDesigner* designer = GetDesigner()) designer->Modified();
}

// ---- Binding ----------------------------------------------------------------------------------------------

void TVmDesignForm::ResetCaption() {
    if (FVeskMenuComp == nullptr) return;
    TComponent* owner = FVeskMenuComp->GetOwner();
    SetCaption((owner != nullptr ? owner->GetName() : String()) + "." + FVeskMenuComp->GetName());
}

void TVmDesignForm::SetVeskMenuComp(TVeskMenu* Value) {
    if (Value == FVeskMenuComp) return;
    if (FVeskMenuComp != nullptr) FVeskMenuComp->RemoveFreeNotification(this);
    FVeskMenuComp = Value;
    if (Value != nullptr) {
        Value->FreeNotification(this);
        ResetCaption();
    }
    lbItems->GetItems()->Clear();
    FillList();
}

void TVmDesignForm::FillList() {
    if (FVeskMenuComp != nullptr) {
        ClearSelection();
        for (int i = 0; i < FVeskMenuComp->GetCount(); ++i)
            AddRow(FVeskMenuComp->GetItem(i));
    }
    FModified = false;
    FFileName.clear();
}

void TVmDesignForm::FormCreate(TObject*) {
    FillList();
}

// ---- The host selection -----------------------------------------------------------------------------------

void TVmDesignForm::SelectItem(TVeskMenuItem* Item) {
    String wanted = Item != nullptr ? SysUtils::AnsiUpperCase(Item->GetName()) : String();
    for (int i = 0; i < RowCount(); ++i)
        lbItems->SetSelected(i, Item != nullptr &&
                                    SysUtils::AnsiUpperCase(lbItems->GetItems()->Get(i)) == wanted);
}

void TVmDesignForm::ClearSelection() {
    if (!FSelectionHanded) delete FSelection; // invariant 2
    FSelection = new TComponentList;
    FSelectionHanded = false;
}

void TVmDesignForm::SelectAdd(TComponent* Item) {
    if (FSelection == nullptr || FSelectionHanded) ClearSelection();
    FSelection->Add(Item);
}

void TVmDesignForm::FinishSelection() {
    if (FSelection == nullptr || FSelectionHanded) ClearSelection();
    // Set first: the host answers with SelectionChanged of this very list.
    FSelectionHanded = true;
    FSelectionSet = true;
    SetSelection(FSelection);
}

void TVmDesignForm::SelectOne(TComponent* Item) {
    ClearSelection();
    SelectAdd(Item);
    FinishSelection();
}

void TVmDesignForm::ReleaseSelection() {
    if (!FSelectionHanded) delete FSelection;
    FSelection = nullptr;
    FSelectionHanded = false;
    FSelectionSet = false;
}

void TVmDesignForm::UpdateSelection() {
    if (MarkedCount() > 0)
        lbItemsClick(this);
    else if (FVeskMenuComp != nullptr)
        SelectOne(FVeskMenuComp);
}

void TVmDesignForm::DoSelectAll() {
    for (int i = 0; i < RowCount(); ++i)
        lbItems->SetSelected(i, true);
    lbItemsClick(this);
}

void TVmDesignForm::CopyFromList(TComponentList* List, StdCtrls::TListBox* ListBox) {
    for (int i = 0; i < ListBox->GetItems()->GetCount(); ++i)
        if (ListBox->GetSelected(i)) List->Add(static_cast<TComponent*>(ListBox->GetItems()->Objects(i)));
}

void TVmDesignForm::lbItemsClick(TObject*) {
    ClearSelection();
    for (int i = 0; i < RowCount(); ++i)
        if (Marked(i)) SelectAdd(RowItem(i));
    FinishSelection();
}

// ---- Editing ----------------------------------------------------------------------------------------------

TVeskMenuItem* TVmDesignForm::NewNamedItem() {
    // An item that cannot be named does not stay.
    TVeskMenuItem* item = FVeskMenuComp->NewItem();
    try {
        item->SetName(UniqueName(item));
    } catch (...) {
        delete item;
        throw;
    }
    return item;
}

void TVmDesignForm::miAddClick(TObject*) {
    if (FVeskMenuComp == nullptr) return;
    // 1. to 4.
    TVeskMenuItem* item = NewNamedItem();
    AddRow(item);
    SelectOne(item);
    SelectItem(item);
    FModified = true;
    Modified(); // the form has a component more
}

void TVmDesignForm::DeleteSelection() {
    // 1. No repainting per row; undone in every case.
    Classes::TStrings& rows = *lbItems->GetItems();
    rows.BeginUpdate();
    int last = -1;
    try {
        // 2. The row goes before its item, so that the host's notice of the item finds no row of it.
        for (int i = RowCount() - 1; i >= 0; --i) {
            if (!Marked(i)) continue;
            TVeskMenuItem* item = RowItem(i);
            rows.Delete(i);
            item->Erase();
            delete item;
            last = i;
        }
    } catch (...) {
        rows.EndUpdate();
        throw;
    }
    rows.EndUpdate();
    // 3. and 4.
    if (last == RowCount()) --last;
    if (last >= 0) {
        SelectOne(RowItem(last));
        SelectItem(RowItem(last));
    } else if (FVeskMenuComp != nullptr) {
        SelectOne(FVeskMenuComp);
    }
    // 5.
    Modified();
    FModified = true;
}

void TVmDesignForm::miDeleteClick(TObject*) {
    DeleteSelection();
}

void TVmDesignForm::miSelectClick(TObject*) {
    DoSelectAll();
}

void TVmDesignForm::Moved(int Row, int Other) {
    lbItems->GetItems()->Exchange(Row, Other);
    lbItems->SetSelected(Row, false);
    lbItems->SetSelected(Other, true);
    FVeskMenuComp->ExchangeItems(Row, Other);
    FModified = true;
}

void TVmDesignForm::SpeedButton1Click(TObject*) {
    if (OnlyMarked() != nullptr)
        for (int i = 1; i < RowCount(); ++i)
            if (Marked(i)) {
                Moved(i, i - 1);
                break;
            }
    Modified(); // also when nothing moved
}

void TVmDesignForm::SpeedButton2Click(TObject*) {
    if (OnlyMarked() != nullptr)
        for (int i = 0; i + 1 < RowCount(); ++i)
            if (Marked(i)) {
                Moved(i, i + 1);
                break;
            }
    Modified();
}

void TVmDesignForm::CopyToClipboard() {
    if (FVeskMenuComp == nullptr || GetDesigner() == nullptr) return;
    TComponentList list;
    CopyFromList(&list, lbItems);
    GetDesigner()->CopyComponents(FVeskMenuComp->GetOwner(), &list);
    FModified = true;
}

void TVmDesignForm::CutToClipboard() {
    CopyToClipboard();
    DeleteSelection();
    FModified = true;
}

void TVmDesignForm::PasteFromClipboard() {
    if (FVeskMenuComp == nullptr || GetDesigner() == nullptr) return;
    // 1. and 2.
    FPasteErrorShown = false;
    TComponentList list;
    GetDesigner()->PasteComponents(FVeskMenuComp->GetOwner(), FVeskMenuComp, &list);
    // 3. The pasted items are the marked rows afterwards, so that the host shows them.
    ClearSelection();
    SelectItem(nullptr);
    for (TComponent* c : list) {
        if (auto* item = dynamic_cast<TVeskMenuItem*>(c)) {
            item->SetParent(FVeskMenuComp);
            AddRow(item);
            lbItems->SetSelected(RowCount() - 1, true);
            SelectAdd(item);
        } else {
            PasteError(c);
            delete c; // out of its owner, and nobody else would free it
        }
    }
    // 4. and 5.
    if (FSelection->Count() > 0) {
        FinishSelection();
        UpdateSelection();
    } else {
        ReleaseSelection();
    }
    FModified = true;
    if (FVeskMenuComp->GetActive()) FVeskMenuComp->Refresh(this, VeskMenu::RA_REFRESH);
}

void TVmDesignForm::PasteError(TComponent* Component) {
    if (FPasteErrorShown) return;
    FPasteErrorShown = true;
    MessageBeep(MB_ICONEXCLAMATION);
    Dialogs::MessageDlg("Can not paste a " + Component->ClassName() + " component here", Dialogs::mtWarning,
                        {Dialogs::mbOK}, 0);
}

void TVmDesignForm::miCutClick(TObject*) {
    CutToClipboard();
}

void TVmDesignForm::miCopyClick(TObject*) {
    CopyToClipboard();
}

void TVmDesignForm::miPasteClick(TObject*) {
    PasteFromClipboard();
}

// ---- The host's notifications -----------------------------------------------------------------------------

String TVmDesignForm::UniqueName(TComponent* AComponent) {
    return UniqueComponentName(AComponent);
}

void TVmDesignForm::ComponentDeleted(TComponent* AComponent) {
    if (AComponent == nullptr) return;
    if (AComponent == FVeskMenuComp) {
        SetVeskMenuComp(nullptr);
        Release();
        return;
    }
    // Invariant 1: an item deleted elsewhere (the host's own delete) leaves the list.
    for (int i = RowCount() - 1; i >= 0; --i)
        if (RowItem(i) == AComponent) lbItems->GetItems()->Delete(i);
}

DsgnIntf::TEditState TVmDesignForm::GetEditState() {
    DsgnIntf::TEditState state;
    if (FVeskMenuComp == nullptr) return state;
    if (GetDesigner() != nullptr && GetDesigner()->CanPaste()) state.Include(DsgnIntf::esCanPaste);
    if (MarkedCount() > 0)
        state += DsgnIntf::TEditState{DsgnIntf::esCanCut, DsgnIntf::esCanCopy, DsgnIntf::esCanDelete};
    return state;
}

void TVmDesignForm::EditAction(DsgnIntf::TEditAction Action) {
    switch (Action) {
    case DsgnIntf::eaCut:
        CutToClipboard();
        break;
    case DsgnIntf::eaCopy:
        CopyToClipboard();
        break;
    case DsgnIntf::eaPaste:
        PasteFromClipboard();
        break;
    case DsgnIntf::eaDelete:
        DeleteSelection();
        break;
    case DsgnIntf::eaSelectAll:
        DoSelectAll();
        break;
    default:
        break;
    }
}

void TVmDesignForm::FormClosed(Forms::TCustomForm* Form) {
    if (FVeskMenuComp == nullptr || Form != FVeskMenuComp->GetOwner()) return;
    // Freed once the host's round of notifications is over (it walks the list of design windows).
    SetVeskMenuComp(nullptr);
    Release();
}

void TVmDesignForm::FormModified() {
    Classes::TStrings& rows = *lbItems->GetItems();
    for (int i = 0; i < RowCount(); ++i) {
        const String& name = RowItem(i)->GetName();
        if (rows.Get(i) == name) continue;
        bool marked = Marked(i);
        rows.Put(i, name);
        lbItems->SetSelected(i, marked);
    }
    if (FVeskMenuComp == nullptr) return;
    ResetCaption();
    if (FVeskMenuComp->GetActive()) FVeskMenuComp->Refresh(this, VeskMenu::RA_REFRESH);
}

void TVmDesignForm::SelectionChanged(TComponentList* Selection) {
    if (Selection != FSelection) FSelectionSet = false;
    if (!FSelectionSet) {
        if (!FSelectionHanded) delete FSelection;
        FSelection = nullptr;
        FSelectionHanded = false;
    }
    if (FSelectionSet || Selection == nullptr || Selection->Count() != 1) return;
    auto* item = dynamic_cast<TVeskMenuItem*>(Selection->Items(0));
    if (item == nullptr || item->Root() == nullptr) return;
    SetVeskMenuComp(item->Root());
    SelectItem(item);
}

void TVmDesignForm::Activated() {
    if (!FSelectionSet) UpdateSelection();
    inherited::Activated();
}

} // namespace VmDsgn

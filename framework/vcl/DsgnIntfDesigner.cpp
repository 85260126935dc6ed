// DsgnIntf: the component list and the design window base.
#include "framework/vcl/DsgnIntfDesigner.h"

#include <algorithm>

namespace DsgnIntf {

using namespace TypInfo;

PUBLISHED(TComponentList, "DsgnIntf");
PUBLISHED(TDesignWindow, "DsgnIntf");

// ==== TComponentList =======================================================================================

int TComponentList::Add(TComponent* Item) {
    FItems.push_back(Item);
    return int(FItems.size()) - 1;
}

TComponent* TComponentList::Items(int Index) const {
    if (Index < 0 || Index >= Count())
        throw Classes::EListError(SysUtils::Format("List index out of bounds (%d)", {Index}));
    return FItems[size_t(Index)];
}

int TComponentList::IndexOf(const TComponent* Item) const {
    auto it = std::find(FItems.begin(), FItems.end(), Item);
    return it == FItems.end() ? -1 : int(it - FItems.begin());
}

int TComponentList::Remove(const TComponent* Item) {
    int i = IndexOf(Item);
    if (i >= 0) FItems.erase(FItems.begin() + i);
    return i;
}

void TComponentList::Delete(int Index) {
    Items(Index);
    FItems.erase(FItems.begin() + Index);
}

// ==== TDesignWindow ========================================================================================

namespace {

std::vector<TDesignWindow*>& TheWindows() {
    static std::vector<TDesignWindow*> windows;
    return windows;
}

} // namespace

const std::vector<TDesignWindow*>& DesignWindows() {
    return TheWindows();
}

TDesignWindow::TDesignWindow(TComponent* AOwner) : TForm(AOwner) {
    TheWindows().push_back(this);
}

TDesignWindow::~TDesignWindow() {
    std::erase(TheWindows(), this);
}

String TDesignWindow::UniqueName(TComponent* AComponent) {
    String base = AComponent->ClassName();
    if (!base.empty() && (base[0] == 'T' || base[0] == 't')) base.erase(0, 1);
    if (FDesigner == nullptr) return AComponent->GetName();
    return FDesigner->UniqueName(base);
}

void TDesignWindow::ComponentDeleted(TComponent*) {}

TEditState TDesignWindow::GetEditState() {
    return {};
}

void TDesignWindow::EditAction(TEditAction) {}

void TDesignWindow::FormClosed(Forms::TCustomForm*) {}

void TDesignWindow::FormModified() {}

void TDesignWindow::SelectionChanged(TComponentList*) {}

void TDesignWindow::Activated() {}

void TDesignWindow::WndProc(Messages::TMessage& Message) {
    inherited::WndProc(Message);
    if (Message.Msg == WM_ACTIVATE && Message.WParamLo() != WA_INACTIVE) Activated();
}

void TDesignWindow::SetSelection(TComponentList* List) {
    if (FDesigner)
        FDesigner->SetSelections(List);
    else
        delete List;
}

} // namespace DsgnIntf

// DsgnIntf: the component editor base, the default editor and how component editors are made.
#include "framework/vcl/DsgnIntf.h"

#include "framework/vcl/DsgnIntfRequest.h"

namespace DsgnIntf {

using namespace TypInfo;

PUBLISHED(TComponentEditor, "DsgnIntf");
PUBLISHED(TDefaultEditor, "DsgnIntf");

namespace {

// The request MakeComponentEditor serves: the editor's default constructor takes it (once).
struct TComponentRequest {
    TComponent* Component;
    TFormDesigner* Designer;
};
thread_local TComponentRequest* PendingComponent = nullptr;

} // namespace

TComponentEditor::TComponentEditor() {
    if (TComponentRequest* r = PendingComponent) {
        PendingComponent = nullptr;
        FComponent = r->Component;
        FDesigner = r->Designer;
    }
}

TComponentEditor::TComponentEditor(TComponent* AComponent, TFormDesigner* ADesigner)
    : FComponent(AComponent), FDesigner(ADesigner) {}

int TComponentEditor::GetVerbCount() {
    return 0;
}

String TComponentEditor::GetVerb(int) {
    return "";
}

void TComponentEditor::ExecuteVerb(int) {}

void TComponentEditor::Edit() {
    if (GetVerbCount() > 0) ExecuteVerb(0);
}

void TComponentEditor::Copy() {}

void TDefaultEditor::Edit() {
    if (GetDesigner()) GetDesigner()->SelectComponent(GetComponent());
}

std::unique_ptr<TComponentEditor> MakeComponentEditor(TClass EditorClass, TComponent* AComponent,
                                                      TFormDesigner* Designer) {
    if (EditorClass == nullptr)
        if (TRegistrationHost* host = GetRegistrationHost())
            EditorClass = host->FindComponentEditor(AComponent->ClassType());
    if (EditorClass == nullptr) EditorClass = &TDefaultEditor::ClassInfo;
    if (!EditorClass->InheritsFrom(&TComponentEditor::ClassInfo) || EditorClass->Create == nullptr)
        throw Classes::EComponentError(
            SysUtils::Format("Invalid component editor class %s", {String(EditorClass->ClassName)}));
    TComponentRequest request{AComponent, Designer};
    std::unique_ptr<TObject> object = Detail::CreateServing(EditorClass, PendingComponent, request);
    return std::unique_ptr<TComponentEditor>(static_cast<TComponentEditor*>(object.release()));
}

} // namespace DsgnIntf

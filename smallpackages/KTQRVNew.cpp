// KTQRVNew: the frame's published properties and the unit's registration.
#include "smallpackages/KTQRVNew.h"

#include "framework/vcl/DsgnIntf.h"

namespace KTQRVNew {

using namespace TypInfo;
using Controls::TControl;
using Controls::TWinControl;

TKTNEWQRVFrame::TKTNEWQRVFrame(TComponent* AOwner) : TScrollingWinControl(AOwner) {
    FControlStyle.Include(Controls::csAcceptsControls);
    SetBounds(GetLeft(), GetTop(), 100, 100);
    SetTabStop(true);
}

PUBLISHED(
    TKTNEWQRVFrame, "KTQRVNew", Prop<&TControl::GetWidth, &TControl::SetWidth>("Width").Default(100),
    Prop<&TControl::GetHeight, &TControl::SetHeight>("Height").Default(100),
    Prop<&TControl::GetAlign, &TControl::SetAlign>("Align").Default(Controls::alNone),
    Prop<&TControl::GetEnabled, &TControl::SetEnabled>("Enabled").Default(true),
    Prop<&TControl::GetShowHint, &TControl::SetShowHint>("ShowHint").Stored<&TControl::IsShowHintStored>(),
    Prop<&TControl::GetVisible, &TControl::SetVisible>("Visible").Default(true),
    Prop<&TWinControl::GetCtl3D, &TWinControl::SetCtl3D>("Ctl3D").Stored<&TWinControl::IsCtl3DStored>(),
    Prop<&TWinControl::GetTabStop, &TWinControl::SetTabStop>("TabStop").Default(true),
    Prop<&TWinControl::GetTabOrder, &TWinControl::SetTabOrder>("TabOrder").Default(-1),
    Prop<&TWinControl::GetOnKeyUp, &TWinControl::SetOnKeyUp>("OnKeyUp"),
    Prop<&TWinControl::GetOnEnter, &TWinControl::SetOnEnter>("OnEnter"),
    Prop<&TWinControl::GetOnExit, &TWinControl::SetOnExit>("OnExit"),
    Prop<&TControl::GetOnClick, &TControl::SetOnClick>("OnClick"),
    Prop<&TControl::GetOnDblClick, &TControl::SetOnDblClick>("OnDblClick"),
    Prop<&TControl::GetOnDragDrop, &TControl::SetOnDragDrop>("OnDragDrop"),
    Prop<&TControl::GetOnDragOver, &TControl::SetOnDragOver>("OnDragOver"),
    Prop<&TControl::GetOnEndDrag, &TControl::SetOnEndDrag>("OnEndDrag"),
    Prop<&TControl::GetOnStartDrag, &TControl::SetOnStartDrag>("OnStartDrag"));

PUBLISHED(TKTNEWQRVGraph, "KTQRVNew");

void Initialization() {}

void Finalization() {}

void Register() {
    DsgnIntf::RegisterComponents("Umbrevale", {&TKTNEWQRVFrame::ClassInfo});
}

} // namespace KTQRVNew

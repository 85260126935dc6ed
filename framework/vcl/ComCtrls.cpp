// ComCtrls: TProgressBar.
#include "framework/vcl/ComCtrls.h"

#include "framework/core/ClassesRegistry.h"

#include <commctrl.h>

namespace ComCtrls {

using namespace TypInfo;
using Controls::TControl;
using Controls::TWinControl;

void InitCommonControl(DWORD Classes) {
    static DWORD done = 0;
    if ((done & Classes) == Classes) return;
    INITCOMMONCONTROLSEX icc{sizeof(icc), Classes};
    if (InitCommonControlsEx(&icc)) done |= Classes;
}

TProgressBar::TProgressBar(TComponent* AOwner) : TWinControl(AOwner) {
    InitCommonControl(ICC_PROGRESS_CLASS);
    SetBounds(0, 0, 150, GetSystemMetrics(SM_CYVSCROLL));
}

void TProgressBar::CreateParams(Controls::TCreateParams& Params) {
    inherited::CreateParams(Params);
    CreateSubClass(Params, PROGRESS_CLASSW);
}

void TProgressBar::CreateWnd() {
    inherited::CreateWnd();
    HWND h = GetHandle();
    SendMessageW(h, PBM_SETRANGE32, WPARAM(FMin), LPARAM(FMax));
    SendMessageW(h, PBM_SETSTEP, WPARAM(FStep), 0);
    SendMessageW(h, PBM_SETPOS, WPARAM(FPosition), 0);
}

void TProgressBar::DestroyWnd() {
    // What the window holds stays with the component.
    FPosition = GetPosition();
    inherited::DestroyWnd();
}

int TProgressBar::GetMin() const {
    return FMin;
}

int TProgressBar::GetMax() const {
    return FMax;
}

void TProgressBar::SetRange(int AMin, int AMax) {
    FMin = AMin;
    FMax = AMax;
    if (HandleAllocated())
        SendMessageW(const_cast<TProgressBar*>(this)->GetHandle(), PBM_SETRANGE32, WPARAM(AMin),
                     LPARAM(AMax));
}

void TProgressBar::SetMin(int Value) {
    if (Value != FMin) SetRange(Value, FMax);
}

void TProgressBar::SetMax(int Value) {
    if (Value != FMax) SetRange(FMin, Value);
}

int TProgressBar::GetPosition() const {
    if (!HandleAllocated()) return FPosition;
    return int(SendMessageW(const_cast<TProgressBar*>(this)->GetHandle(), PBM_GETPOS, 0, 0));
}

void TProgressBar::SetPosition(int Value) {
    if (HandleAllocated())
        SendMessageW(GetHandle(), PBM_SETPOS, WPARAM(Value), 0);
    else
        FPosition = Value;
}

void TProgressBar::SetStep(int Value) {
    FStep = Value;
    if (HandleAllocated()) SendMessageW(GetHandle(), PBM_SETSTEP, WPARAM(Value), 0);
}

void TProgressBar::StepIt() {
    if (HandleAllocated())
        SendMessageW(GetHandle(), PBM_STEPIT, 0, 0);
    else
        FPosition += FStep;
}

void TProgressBar::StepBy(int Delta) {
    if (HandleAllocated())
        SendMessageW(GetHandle(), PBM_DELTAPOS, WPARAM(Delta), 0);
    else
        FPosition += Delta;
}

PUBLISHED(TProgressBar, "ComCtrls",
          Prop<&TControl::GetAlign, &TControl::SetAlign>("Align").Default(Controls::alNone),
          Prop<&TControl::GetEnabled, &TControl::SetEnabled>("Enabled").Default(true),
          Prop<&TProgressBar::GetMin, &TProgressBar::SetMin>("Min").Default(0),
          Prop<&TProgressBar::GetMax, &TProgressBar::SetMax>("Max").Default(100),
          Prop<&TProgressBar::GetPosition, &TProgressBar::SetPosition>("Position").Default(0),
          Prop<&TProgressBar::GetStep, &TProgressBar::SetStep>("Step").Default(10),
          Prop<&TWinControl::GetTabOrder, &TWinControl::SetTabOrder>("TabOrder").Default(-1),
          Prop<&TWinControl::GetTabStop, &TWinControl::SetTabStop>("TabStop").Default(false),
          Prop<&TControl::GetVisible, &TControl::SetVisible>("Visible").Default(true));

namespace {
struct TComCtrlsUnit {
    TComCtrlsUnit() { Classes::RegisterClasses({&TProgressBar::ClassInfo}); }
} ComCtrlsUnit;
} // namespace

} // namespace ComCtrls

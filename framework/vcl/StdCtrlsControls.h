// StdCtrls: what the units of the windowed standard controls share (not part of the interface).
#pragma once

#include "framework/vcl/StdCtrls.h"

#include "framework/core/TypInfo.h"

namespace StdCtrls::Detail {

// The published properties every windowed standard control has, after its own.
#define STDCTRLS_WINCONTROL_PROPS                                                                            \
    Prop<&Controls::TControl::GetEnabled, &Controls::TControl::SetEnabled>("Enabled").Default(true),         \
        Prop<&Controls::TControl::GetColor, &Controls::TControl::SetColor>("Color")                          \
            .Type(&Graphics::TColor_TypeInfo)                                                                \
            .Stored<&Controls::TControl::IsColorStored>(),                                                   \
        Prop<&Controls::TWinControl::GetCtl3D, &Controls::TWinControl::SetCtl3D>("Ctl3D")                    \
            .Stored<&Controls::TWinControl::IsCtl3DStored>(),                                                \
        Prop<&Controls::TControl::GetFont, &Controls::TControl::SetFont>("Font")                             \
            .Stored<&Controls::TControl::IsFontStored>(),                                                    \
        Prop<&Controls::TWinControl::GetParentCtl3D, &Controls::TWinControl::SetParentCtl3D>("ParentCtl3D")  \
            .Default(true),                                                                                  \
        Prop<&Controls::TControl::GetParentFont, &Controls::TControl::SetParentFont>("ParentFont")           \
            .Default(true),                                                                                  \
        Prop<&Controls::TControl::GetParentShowHint, &Controls::TControl::SetParentShowHint>(                \
            "ParentShowHint")                                                                                \
            .Default(true),                                                                                  \
        Prop<&Controls::TControl::GetShowHint, &Controls::TControl::SetShowHint>("ShowHint")                 \
            .Stored<&Controls::TControl::IsShowHintStored>(),                                                \
        Prop<&Controls::TWinControl::GetTabOrder, &Controls::TWinControl::SetTabOrder>("TabOrder")           \
            .Default(-1),                                                                                    \
        Prop<&Controls::TControl::GetVisible, &Controls::TControl::SetVisible>("Visible").Default(true),     \
        Prop<&Controls::TControl::GetOnClick, &Controls::TControl::SetOnClick>("OnClick"),                   \
        Prop<&Controls::TControl::GetOnDblClick, &Controls::TControl::SetOnDblClick>("OnDblClick"),          \
        Prop<&Controls::TControl::GetOnDragDrop, &Controls::TControl::SetOnDragDrop>("OnDragDrop"),          \
        Prop<&Controls::TControl::GetOnDragOver, &Controls::TControl::SetOnDragOver>("OnDragOver"),          \
        Prop<&Controls::TControl::GetOnEndDrag, &Controls::TControl::SetOnEndDrag>("OnEndDrag"),             \
        Prop<&Controls::TWinControl::GetOnEnter, &Controls::TWinControl::SetOnEnter>("OnEnter"),             \
        Prop<&Controls::TWinControl::GetOnExit, &Controls::TWinControl::SetOnExit>("OnExit"),                \
        Prop<&Controls::TWinControl::GetOnKeyDown, &Controls::TWinControl::SetOnKeyDown>("OnKeyDown"),       \
        Prop<&Controls::TWinControl::GetOnKeyPress, &Controls::TWinControl::SetOnKeyPress>("OnKeyPress"),    \
        Prop<&Controls::TWinControl::GetOnKeyUp, &Controls::TWinControl::SetOnKeyUp>("OnKeyUp"),             \
        Prop<&Controls::TControl::GetOnMouseDown, &Controls::TControl::SetOnMouseDown>("OnMouseDown"),       \
        Prop<&Controls::TControl::GetOnMouseMove, &Controls::TControl::SetOnMouseMove>("OnMouseMove"),       \
        Prop<&Controls::TControl::GetOnMouseUp, &Controls::TControl::SetOnMouseUp>("OnMouseUp"),             \
        Prop<&Controls::TControl::GetOnStartDrag, &Controls::TControl::SetOnStartDrag>("OnStartDrag")

// The UTF-16 text of a window message.
inline std::u16string W(const SysUtils::String& s) {
    return SysUtils::Utf8ToUtf16(s);
}

} // namespace StdCtrls::Detail

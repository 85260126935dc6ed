// Buttons: TSpeedButton.
#include "framework/vcl/Buttons.h"

#include "framework/core/ClassesRegistry.h"

#include <algorithm>

namespace Buttons {

using namespace Graphics;
using namespace TypInfo;
using Controls::TControl;

TSpeedButton::TSpeedButton(TComponent* AOwner)
    : TGraphicControl(AOwner), FGlyph(std::make_unique<TBitmap>()) {
    FGlyph->OnChange = Classes::TNotifyEvent::Bind<&TSpeedButton::GlyphChanged>(this);
    FControlStyle.Exclude(Controls::csDoubleClicks);
    SetBounds(0, 0, 23, 22);
}

TSpeedButton::~TSpeedButton() = default;

void TSpeedButton::GlyphChanged(TObject*) {
    Invalidate();
}

void TSpeedButton::SetNumGlyphs(int Value) {
    if (Value < 1 || Value > 4 || Value == FNumGlyphs) return;
    FNumGlyphs = Value;
    Invalidate();
}

void TSpeedButton::SetFlat(bool Value) {
    if (Value == FFlat) return;
    FFlat = Value;
    Invalidate();
}

void TSpeedButton::SetLayout(TButtonLayout Value) {
    if (Value == FLayout) return;
    FLayout = Value;
    Invalidate();
}

void TSpeedButton::SetGroupIndex(int Value) {
    FGroupIndex = std::max(0, Value);
    if (FGroupIndex == 0 && FDown) SetDown(false);
}

void TSpeedButton::SetDown(bool Value) {
    if (FGroupIndex == 0) Value = false;
    if (Value == FDown) return;
    FDown = Value;
    Invalidate();
    // The group's other buttons (same parent, same group) go up.
    if (Value && GetParent())
        for (int i = 0; i < GetParent()->GetControlCount(); ++i)
            if (auto* other = dynamic_cast<TSpeedButton*>(GetParent()->GetControl(i));
                other && other != this && other->FGroupIndex == FGroupIndex && other->FDown) {
                other->FDown = false;
                other->Invalidate();
            }
}

void TSpeedButton::MouseDown(Controls::TMouseButton Button, Controls::TShiftState Shift, int X, int Y) {
    inherited::MouseDown(Button, Shift, X, Y);
    if (Button != Controls::mbLeft || !GetEnabled()) return;
    FTracking = true;
    FPressed = true;
    Invalidate();
}

void TSpeedButton::MouseMove(Controls::TShiftState Shift, int X, int Y) {
    inherited::MouseMove(Shift, X, Y);
    if (!FTracking) return;
    bool inside = X >= 0 && X < GetWidth() && Y >= 0 && Y < GetHeight();
    if (inside != FPressed) {
        FPressed = inside;
        Invalidate();
    }
}

void TSpeedButton::MouseUp(Controls::TMouseButton Button, Controls::TShiftState Shift, int X, int Y) {
    inherited::MouseUp(Button, Shift, X, Y);
    if (Button != Controls::mbLeft || !FTracking) return;
    FTracking = false;
    FPressed = false;
    Invalidate();
}

void TSpeedButton::Click() {
    // A group's button: the click puts it down (or, with AllowAllUp, a down one up) before OnClick.
    if (FGroupIndex > 0) SetDown(!FDown || !FAllowAllUp);
    FTracking = false;
    FPressed = false;
    Invalidate();
    inherited::Click();
}

void TSpeedButton::WndProc(Messages::TMessage& Message) {
    // A disabled button is drawn anew; a press on it is not followed.
    if (Message.Msg == Messages::CM_ENABLEDCHANGED) FTracking = FPressed = false;
    inherited::WndProc(Message);
}

void TSpeedButton::DrawGlyph(TCanvas& Canvas, int Index, int X, int Y) {
    int w = FGlyph->GetWidth() / FNumGlyphs, h = FGlyph->GetHeight();
    if (w <= 0 || h <= 0) return;
    TColor transparent = ColorToRGB(FGlyph->GetCanvas()->GetPixel(0, h - 1));
    TBitmap image;
    image.SetSize(w, h);
    TCanvas& ic = *image.GetCanvas();
    if (Index < FNumGlyphs) {
        ic.CopyRect(Rect(0, 0, w, h), FGlyph->GetCanvas(), Rect(Index * w, 0, Index * w + w, h));
    } else if (Index == 1) {
        // Disabled and no image of its own: the first one embossed, highlight under shadow.
        ic.GetBrush()->SetColor(transparent);
        ic.FillRect(Rect(0, 0, w, h));
        TCanvas& gc = *FGlyph->GetCanvas();
        for (int pass = 0; pass < 2; ++pass)
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    if (ColorToRGB(gc.GetPixel(x, y)) != transparent) {
                        if (pass == 0 && x + 1 < w && y + 1 < h)
                            ic.SetPixel(x + 1, y + 1, ColorToRGB(clBtnHighlight));
                        if (pass == 1) ic.SetPixel(x, y, ColorToRGB(clBtnShadow));
                    }
    } else {
        ic.CopyRect(Rect(0, 0, w, h), FGlyph->GetCanvas(), Rect(0, 0, w, h));
    }
    image.SetTransparentColor(transparent);
    image.SetTransparent(true);
    Canvas.Draw(X, Y, &image);
}

void TSpeedButton::Paint() {
    TCanvas& c = *GetCanvas();
    TRect r = Rect(0, 0, GetWidth(), GetHeight());
    bool pressed = Pressed();
    // 1. The face and its edge.
    c.GetBrush()->SetColor(clBtnFace);
    c.GetBrush()->SetStyle(bsSolid);
    c.FillRect(r);
    if (!FFlat || pressed) {
        TRect edge = r;
        DrawEdge(c.GetHandle(), &edge, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    }
    // 2. The glyph and the caption, centred together by the layout.
    int index = !GetEnabled() ? 1 : FTracking && FPressed ? 2 : FDown ? 3 : 0;
    int gw = FGlyph->GetEmpty() ? 0 : FGlyph->GetWidth() / FNumGlyphs;
    int gh = FGlyph->GetEmpty() ? 0 : FGlyph->GetHeight();
    String caption = GetCaption();
    c.SetFont(GetFont());
    SIZE ts = caption.empty() ? SIZE{0, 0} : c.TextExtent(caption);
    int spacing = gw > 0 && ts.cx > 0 ? 4 : 0;
    bool horizontal = FLayout == blGlyphLeft || FLayout == blGlyphRight;
    int totalW = horizontal ? gw + spacing + ts.cx : std::max<int>(gw, ts.cx);
    int totalH = horizontal ? std::max<int>(gh, ts.cy) : gh + spacing + ts.cy;
    int x = (GetWidth() - totalW) / 2 + (pressed ? 1 : 0), y = (GetHeight() - totalH) / 2 + (pressed ? 1 : 0);
    int gx = x, gy = y, tx = x, ty = y;
    switch (FLayout) {
    case blGlyphLeft:
        gy = y + (totalH - gh) / 2;
        tx = x + gw + spacing;
        ty = y + (totalH - ts.cy) / 2;
        break;
    case blGlyphRight:
        gx = x + ts.cx + spacing;
        gy = y + (totalH - gh) / 2;
        ty = y + (totalH - ts.cy) / 2;
        break;
    case blGlyphTop:
        gx = x + (totalW - gw) / 2;
        tx = x + (totalW - ts.cx) / 2;
        ty = y + gh + spacing;
        break;
    case blGlyphBottom:
        gx = x + (totalW - gw) / 2;
        gy = y + ts.cy + spacing;
        tx = x + (totalW - ts.cx) / 2;
        break;
    }
    if (gw > 0) DrawGlyph(c, index, gx, gy);
    if (!caption.empty()) {
        c.GetBrush()->SetStyle(bsClear);
        TRect tr = Rect(tx, ty, tx + ts.cx, ty + ts.cy);
        if (!GetEnabled()) {
            OffsetRect(&tr, 1, 1);
            c.GetFont()->SetColor(clBtnHighlight);
            c.DrawText(caption, tr, DT_SINGLELINE | DT_NOCLIP);
            OffsetRect(&tr, -1, -1);
            c.GetFont()->SetColor(clBtnShadow);
        }
        c.DrawText(caption, tr, DT_SINGLELINE | DT_NOCLIP);
    }
}

PUBLISHED(
    TSpeedButton, "Buttons",
    Prop<&TSpeedButton::GetAllowAllUp, &TSpeedButton::SetAllowAllUp>("AllowAllUp").Default(false),
    Prop<&TSpeedButton::GetGroupIndex, &TSpeedButton::SetGroupIndex>("GroupIndex").Default(0),
    Prop<&TSpeedButton::GetDown, &TSpeedButton::SetDown>("Down").Default(false),
    Prop<&TControl::GetCaption, &TControl::SetCaption>("Caption"),
    Prop<&TControl::GetEnabled, &TControl::SetEnabled>("Enabled").Default(true),
    Prop<&TSpeedButton::GetFlat, &TSpeedButton::SetFlat>("Flat").Default(false),
    Prop<&TControl::GetFont, &TControl::SetFont>("Font").Stored<&TControl::IsFontStored>(),
    Prop<&TSpeedButton::GetGlyph, &TSpeedButton::SetGlyph>("Glyph"),
    Prop<&TSpeedButton::GetLayout, &TSpeedButton::SetLayout>("Layout").Default(blGlyphLeft),
    Prop<&TSpeedButton::GetNumGlyphs, &TSpeedButton::SetNumGlyphs>("NumGlyphs").Default(1),
    Prop<&TControl::GetParentFont, &TControl::SetParentFont>("ParentFont").Default(true),
    Prop<&TControl::GetParentShowHint, &TControl::SetParentShowHint>("ParentShowHint").Default(true),
    Prop<&TControl::GetShowHint, &TControl::SetShowHint>("ShowHint").Stored<&TControl::IsShowHintStored>(),
    Prop<&TControl::GetVisible, &TControl::SetVisible>("Visible").Default(true),
    Prop<&TControl::GetOnClick, &TControl::SetOnClick>("OnClick"),
    Prop<&TControl::GetOnDblClick, &TControl::SetOnDblClick>("OnDblClick"),
    Prop<&TControl::GetOnMouseDown, &TControl::SetOnMouseDown>("OnMouseDown"),
    Prop<&TControl::GetOnMouseMove, &TControl::SetOnMouseMove>("OnMouseMove"),
    Prop<&TControl::GetOnMouseUp, &TControl::SetOnMouseUp>("OnMouseUp"));

namespace {
struct TButtonsUnit {
    TButtonsUnit() { Classes::RegisterClasses({&TSpeedButton::ClassInfo}); }
} ButtonsUnit;
} // namespace

} // namespace Buttons

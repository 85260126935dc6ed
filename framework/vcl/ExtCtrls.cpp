// ExtCtrls: TBevel, TImage and TTimer.
#include "framework/vcl/ExtCtrls.h"

#include "framework/core/ClassesRegistry.h"
#include "framework/vcl/Forms.h"

namespace ExtCtrls {

using namespace Graphics;
using namespace TypInfo;
using Controls::TControl;

// ==== TBevel ===============================================================================================

TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner) {
    FControlStyle.Include(Controls::csReplicatable);
    SetBounds(0, 0, 50, 50);
}

void TBevel::SetShape(TBevelShape Value) {
    if (Value == FShape) return;
    FShape = Value;
    Invalidate();
}

void TBevel::SetStyle(TBevelStyle Value) {
    if (Value == FStyle) return;
    FStyle = Value;
    Invalidate();
}

void TBevel::Paint() {
    TCanvas& c = *GetCanvas();
    TColor color1 = FStyle == bsLowered ? clBtnShadow : clBtnHighlight;
    TColor color2 = FStyle == bsLowered ? clBtnHighlight : clBtnShadow;
    int w = GetWidth(), h = GetHeight();
    c.GetPen()->SetWidth(1);
    // Two polylines: the first colour up the left and along the top, the second down the right and back
    // along the bottom; a polyline leaves out its last point.
    auto bevelRect = [&](TRect r, TColor a, TColor b) {
        c.GetPen()->SetColor(a);
        c.Polyline({Point(r.left, r.bottom), Point(r.left, r.top), Point(r.right, r.top)});
        c.GetPen()->SetColor(b);
        c.Polyline({Point(r.right, r.top), Point(r.right, r.bottom), Point(r.left, r.bottom)});
    };
    auto bevelLine = [&](TColor color, int x1, int y1, int x2, int y2) {
        c.GetPen()->SetColor(color);
        c.MoveTo(x1, y1);
        c.LineTo(x2, y2);
    };
    switch (FShape) {
    case bsBox:
        bevelRect(Rect(0, 0, w - 1, h - 1), color1, color2);
        break;
    case bsFrame:
        bevelRect(Rect(1, 1, w - 1, h - 1), color2, color2);
        bevelRect(Rect(0, 0, w - 2, h - 2), color1, color1);
        break;
    case bsTopLine:
        bevelLine(color1, 0, 0, w, 0);
        bevelLine(color2, 0, 1, w, 1);
        break;
    case bsBottomLine:
        bevelLine(color1, 0, h - 2, w, h - 2);
        bevelLine(color2, 0, h - 1, w, h - 1);
        break;
    case bsLeftLine:
        bevelLine(color1, 0, 0, 0, h);
        bevelLine(color2, 1, 0, 1, h);
        break;
    case bsRightLine:
        bevelLine(color1, w - 2, 0, w - 2, h);
        bevelLine(color2, w - 1, 0, w - 1, h);
        break;
    case bsSpacer:
        break;
    }
}

PUBLISHED(TBevel, "ExtCtrls",
          Prop<&TControl::GetAlign, &TControl::SetAlign>("Align").Default(Controls::alNone),
          Prop<&TBevel::GetShape, &TBevel::SetShape>("Shape").Default(bsBox),
          Prop<&TBevel::GetStyle, &TBevel::SetStyle>("Style").Default(bsLowered),
          Prop<&TControl::GetVisible, &TControl::SetVisible>("Visible").Default(true));

// ==== TTimer ===============================================================================================

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {
    FWindowHandle = Controls::AllocateHWnd(Messages::TWndMethod::Bind<&TTimer::WndProc>(this));
}

TTimer::~TTimer() {
    FEnabled = false;
    UpdateTimer();
    Controls::DeallocateHWnd(FWindowHandle);
}

void TTimer::UpdateTimer() {
    KillTimer(FWindowHandle, 1); // also drops a tick already in the queue
    if (FInterval != 0 && FEnabled && FOnTimer.Assigned())
        if (SetTimer(FWindowHandle, 1, FInterval, nullptr) == 0)
            throw Classes::EOutOfResources("Not enough timers available");
}

void TTimer::SetEnabled(bool Value) {
    if (Value == FEnabled) return;
    FEnabled = Value;
    UpdateTimer();
}

void TTimer::SetInterval(uint32_t Value) {
    if (Value == FInterval) return;
    FInterval = Value;
    UpdateTimer();
}

void TTimer::SetOnTimer(const TNotifyEvent& Value) {
    FOnTimer = Value;
    UpdateTimer();
}

void TTimer::Timer() {
    FOnTimer(this);
}

void TTimer::WndProc(Messages::TMessage& Message) {
    if (Message.Msg == WM_TIMER) {
        try {
            Timer();
        } catch (...) {
            if (Forms::Application) Forms::Application->HandleException(this);
        }
        return;
    }
    Message.Result = DefWindowProcW(FWindowHandle, Message.Msg, Message.WParam, Message.LParam);
}

// ==== TImage ===============================================================================================

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), FPicture(std::make_unique<TPicture>()) {
    FPicture->OnChange = Classes::TNotifyEvent::Bind<&TImage::PictureChanged>(this);
    SetBounds(0, 0, 105, 105);
}

TImage::~TImage() = default;

void TImage::PictureChanged(TObject*) {
    if (TGraphic* g = FPicture->GetGraphic(); g && !g->GetEmpty()) {
        if (g->GetTransparent() != FTransparent && dynamic_cast<TBitmap*>(g)) g->SetTransparent(FTransparent);
        if (FAutoSize && !GetComponentState().Contains(Classes::csLoading))
            SetBounds(GetLeft(), GetTop(), g->GetWidth(), g->GetHeight());
    }
    Invalidate();
}

void TImage::Loaded() {
    inherited::Loaded();
    PictureChanged(this);
}

void TImage::SetAutoSize(bool Value) {
    FAutoSize = Value;
    if (Value) PictureChanged(this);
}

void TImage::SetStretch(bool Value) {
    if (Value == FStretch) return;
    FStretch = Value;
    Invalidate();
}

void TImage::SetCenter(bool Value) {
    if (Value == FCenter) return;
    FCenter = Value;
    Invalidate();
}

void TImage::SetTransparent(bool Value) {
    if (Value == FTransparent) return;
    FTransparent = Value;
    PictureChanged(this);
}

TRect TImage::DestRect() {
    int w = FPicture->GetWidth(), h = FPicture->GetHeight();
    if (FStretch) return Rect(0, 0, GetWidth(), GetHeight());
    if (FCenter) {
        int x = (GetWidth() - w) / 2, y = (GetHeight() - h) / 2;
        return Rect(x, y, x + w, y + h);
    }
    return Rect(0, 0, w, h);
}

TCanvas* TImage::GetImageCanvas() {
    TGraphic* g = FPicture->GetGraphic();
    if (g == nullptr || g->GetEmpty()) {
        TBitmap bitmap;
        bitmap.SetSize(GetWidth(), GetHeight());
        FPicture->SetGraphic(&bitmap);
        g = FPicture->GetGraphic();
    }
    auto* bitmap = dynamic_cast<TBitmap*>(g);
    if (bitmap == nullptr)
        throw Classes::EInvalidOperation("Can only modify an image if it contains a bitmap");
    return bitmap->GetCanvas();
}

void TImage::Paint() {
    TGraphic* g = FPicture->GetGraphic();
    if (g == nullptr || g->GetEmpty()) return;
    GetCanvas()->StretchDraw(DestRect(), g);
}

PUBLISHED(TImage, "ExtCtrls",
          Prop<&TControl::GetAlign, &TControl::SetAlign>("Align").Default(Controls::alNone),
          Prop<&TImage::GetAutoSize, &TImage::SetAutoSize>("AutoSize").Default(false),
          Prop<&TImage::GetCenter, &TImage::SetCenter>("Center").Default(false),
          Prop<&TImage::GetPicture, &TImage::SetPicture>("Picture"),
          Prop<&TImage::GetStretch, &TImage::SetStretch>("Stretch").Default(false),
          Prop<&TImage::GetTransparent, &TImage::SetTransparent>("Transparent").Default(false),
          Prop<&TControl::GetVisible, &TControl::SetVisible>("Visible").Default(true),
          Prop<&TControl::GetOnClick, &TControl::SetOnClick>("OnClick"),
          Prop<&TControl::GetOnDblClick, &TControl::SetOnDblClick>("OnDblClick"),
          Prop<&TControl::GetOnMouseDown, &TControl::SetOnMouseDown>("OnMouseDown"),
          Prop<&TControl::GetOnMouseMove, &TControl::SetOnMouseMove>("OnMouseMove"),
          Prop<&TControl::GetOnMouseUp, &TControl::SetOnMouseUp>("OnMouseUp"));

PUBLISHED(TTimer, "ExtCtrls", Prop<&TTimer::GetEnabled, &TTimer::SetEnabled>("Enabled").Default(true),
          Prop<&TTimer::GetInterval, &TTimer::SetInterval>("Interval").Default(1000),
          Prop<&TTimer::GetOnTimer, &TTimer::SetOnTimer>("OnTimer"));

namespace {
struct TExtCtrlsUnit {
    TExtCtrlsUnit() {
        Classes::RegisterClasses({&TBevel::ClassInfo, &TImage::ClassInfo, &TTimer::ClassInfo});
    }
} ExtCtrlsUnit;
} // namespace

} // namespace ExtCtrls

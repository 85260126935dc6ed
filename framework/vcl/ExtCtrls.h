// ExtCtrls: the bevel, the image and the timer.
//
// Declares: TBevel (a graphic control drawing a lowered or raised box, frame or line in the button shadow
// and highlight colours; bsBox and bsLowered by default), TImage (a graphic control showing a picture: at its
// top-left corner, centred, or stretched over the control; AutoSize makes the control as large as the
// picture; Transparent draws a bitmap without the pixels of its transparent colour) and TTimer (a non-visual
// component firing OnTimer every Interval milliseconds while Enabled; Enabled true and Interval 1000 by
// default).
//
//   auto* timer = new ExtCtrls::TTimer(form);
//   timer->SetInterval(250);
//   timer->SetOnTimer(Classes::TNotifyEvent::Bind<&TForm1::TickTimer>(form));   // runs from now on
//   timer->SetEnabled(false);                                                   // stops; no tick is left
//
// A timer is a window-message timer (SetTimer) on a hidden window of its own, made with AllocateHWnd, so its
// ticks arrive through the thread's message loop (Run, ProcessMessages, or a modal loop such as a message
// box's). Setting Enabled, Interval or OnTimer restarts it; it runs only while all three allow it. An
// exception that leaves OnTimer goes to Application->HandleException and the timer goes on ticking.
#pragma once

#include "framework/vcl/Controls.h"

#include <memory>

namespace ExtCtrls {

using Classes::TComponent;
using Classes::TNotifyEvent;

PUBLISHED_ENUM(TBevelStyle, uint8_t, bsLowered, bsRaised)
// The bevels of a panel (and of anything drawn like one).
PUBLISHED_ENUM(TPanelBevel, uint8_t, bvNone, bvLowered, bvRaised, bvSpace)
PUBLISHED_ENUM(TBevelShape, uint8_t, bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine,
               bsSpacer)

class TBevel : public Controls::TGraphicControl {
    DECLARE_CLASS(TBevel, Controls::TGraphicControl)
public:
    explicit TBevel(TComponent* AOwner);
    TBevelShape GetShape() const { return FShape; }
    void SetShape(TBevelShape Value);
    TBevelStyle GetStyle() const { return FStyle; }
    void SetStyle(TBevelStyle Value);

protected:
    // Lowered: the shadow colour on the top and left edges, the highlight on the bottom and right (raised:
    // the other way round). A box of Width x Height has its shadow on row 0 (x 0..Width-2) and column 0
    // (all rows), its highlight on column Width-1 (all rows) and row Height-1 (x 1..Width-1).
    void Paint() override;

private:
    TBevelShape FShape = bsBox;
    TBevelStyle FStyle = bsLowered;
};

class TImage : public Controls::TGraphicControl {
    DECLARE_CLASS(TImage, Controls::TGraphicControl)
public:
    explicit TImage(TComponent* AOwner);
    ~TImage() override;

    Graphics::TPicture* GetPicture() const { return FPicture.get(); }
    void SetPicture(Graphics::TPicture* Value) { FPicture->Assign(Value); }
    bool GetAutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    bool GetStretch() const { return FStretch; }
    void SetStretch(bool Value);
    bool GetCenter() const { return FCenter; }
    void SetCenter(bool Value);
    bool GetTransparent() const { return FTransparent; }
    void SetTransparent(bool Value);
    // The picture's bitmap canvas to draw on (an empty picture gets a bitmap of the control's size first);
    // EInvalidOperation "Can only modify an image if it contains a bitmap" for an icon or a metafile.
    Graphics::TCanvas* GetImageCanvas();
    // Where the picture is drawn, in the control's coordinates.
    Graphics::TRect DestRect();

protected:
    void Paint() override;
    void Loaded() override;

private:
    void PictureChanged(TObject* Sender);
    std::unique_ptr<Graphics::TPicture> FPicture;
    bool FAutoSize = false;
    bool FStretch = false;
    bool FCenter = false;
    bool FTransparent = false;
};

class TTimer : public TComponent {
    DECLARE_CLASS(TTimer, TComponent)
public:
    explicit TTimer(TComponent* AOwner);
    ~TTimer() override;

    bool GetEnabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    uint32_t GetInterval() const { return FInterval; }
    void SetInterval(uint32_t Value);
    const TNotifyEvent& GetOnTimer() const { return FOnTimer; }
    void SetOnTimer(const TNotifyEvent& Value);

protected:
    // Fires OnTimer.
    virtual void Timer();

private:
    void UpdateTimer();
    void WndProc(Messages::TMessage& Message);

    bool FEnabled = true;
    uint32_t FInterval = 1000;
    TNotifyEvent FOnTimer;
    HWND FWindowHandle = nullptr;
};

} // namespace ExtCtrls

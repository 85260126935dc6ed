// Buttons: the speed button.
//
// Declares: TSpeedButton (a graphic control: a button face with a glyph and an optional caption, pressed
// while the left button is held over it, sticky in a group of buttons with the same GroupIndex) and
// TButtonLayout.
//
//   auto* b = new Buttons::TSpeedButton(form);
//   b->SetParent(form);
//   b->SetBounds(8, 8, 25, 25);
//   b->GetGlyph()->LoadFromFile("open.bmp");   // its bottom-left pixel's colour is transparent
//   b->SetNumGlyphs(2);                        // the glyph holds the up and the disabled image side by side
//   b->SetOnClick(...);
//
// The glyph holds NumGlyphs images of equal width side by side: up, disabled, down, held down (a group's
// button that stays down). An image that is missing is made from the first: the disabled one embossed in the
// button highlight and shadow colours, the others the same as the first. Pixels of the glyph's bottom-left
// colour are not drawn. The face: button face colour with a raised edge, sunken while pressed or down
// (the glyph then one pixel right and down); Flat leaves the edge out unless the button is pressed or
// down. A click is a left press and release over the button (OnClick); with GroupIndex > 0 the click also
// puts the button down and the group's other buttons up (AllowAllUp: a click on the down button puts it
// up).
#pragma once

#include "framework/vcl/Controls.h"

#include <memory>

namespace Buttons {

using Classes::TComponent;

PUBLISHED_ENUM(TButtonLayout, uint8_t, blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom)

class TSpeedButton : public Controls::TGraphicControl {
    DECLARE_CLASS(TSpeedButton, Controls::TGraphicControl)
public:
    explicit TSpeedButton(TComponent* AOwner);
    ~TSpeedButton() override;

    Graphics::TBitmap* GetGlyph() const { return FGlyph.get(); }
    void SetGlyph(Graphics::TBitmap* Value) { FGlyph->Assign(Value); }
    // 1 to 4; other values are ignored.
    int GetNumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(int Value);
    bool GetFlat() const { return FFlat; }
    void SetFlat(bool Value);
    // Down only stays with GroupIndex > 0; putting one down puts the group's others up.
    bool GetDown() const { return FDown; }
    void SetDown(bool Value);
    int GetGroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int Value);
    bool GetAllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool Value) { FAllowAllUp = Value; }
    TButtonLayout GetLayout() const { return FLayout; }
    void SetLayout(TButtonLayout Value);
    // Whether the button looks pressed now (held, or down).
    bool Pressed() const { return FPressed || FDown; }

    void WndProc(Messages::TMessage& Message) override;

protected:
    void Paint() override;
    void MouseDown(Controls::TMouseButton Button, Controls::TShiftState Shift, int X, int Y) override;
    void MouseMove(Controls::TShiftState Shift, int X, int Y) override;
    void MouseUp(Controls::TMouseButton Button, Controls::TShiftState Shift, int X, int Y) override;
    void Click() override;

private:
    void GlyphChanged(TObject* Sender);
    // Image Index of the glyph (made from the first when the glyph has fewer), transparent, drawn at (X, Y).
    void DrawGlyph(Graphics::TCanvas& Canvas, int Index, int X, int Y);

    std::unique_ptr<Graphics::TBitmap> FGlyph;
    int FNumGlyphs = 1;
    bool FFlat = false;
    bool FDown = false;
    int FGroupIndex = 0;
    bool FAllowAllUp = false;
    TButtonLayout FLayout = blGlyphLeft;
    bool FTracking = false; // a left press is being followed
    bool FPressed = false;  // shown pressed while tracked over the button
};

} // namespace Buttons

// Colorbtn: the colour button of the menus package's design-time tools.
//
// Declares: TColorButton (a small focusable push button showing a colour swatch; activated, it opens the
// system colour dialog, and the colour chosen becomes the button's Color and fires OnColorChange), its
// enumerations TButtonState, TButtonStyle and TActivationEvent, TAboutColorButtonProperty (the Object
// Inspector's editor of the button's About row), and the unit's entries Initialization, Finalization and
// Register (TColorButton on the palette page "Corvessa").
//
//   auto* button = new Colorbtn::TColorButton(dialog);      // 44 x 22, white, activated by a click
//   button->SetParent(dialog);
//   button->SetColor(Graphics::clBlue);
//   button->SetOnColorChange(Classes::TNotifyEvent::Bind<&TMyForm::ColorChanged>(form));
//
// Looks: a raised (pressed: sunken) button face with a two-pixel bevel, a black frame around the swatch in
// the middle, the swatch filled with Color (with the button face colour while disabled), and the focus
// rectangle while focused. Margin (0 or 1) widens the swatch by two pixels per unit on each side.
//
// Input: a left press (or Space) pushes the button in; moving out with the button held raises it, moving
// back pushes it in again; releasing inside clicks it. With ActivationEvent aeClick the click opens the
// colour dialog (so does Enter); with aeMouseDown the press itself does. OnClick fires for the click and
// once more when the dialog closes.
#pragma once

#include "framework/core/ClassesLists.h"
#include "framework/vcl/Controls.h"
#include "framework/vcl/Dialogs.h"
#include "framework/vcl/DsgnIntf.h"

#include <memory>

namespace Colorbtn {

using Classes::TComponent;
using Classes::TNotifyEvent;
using Graphics::TColor;
using Graphics::TRect;
using SysUtils::String;

PUBLISHED_ENUM(TButtonState, uint8_t, bsUp, bsDisabled, bsDown, bsExclusive)
// Declared for users of the unit; the button does not use it.
PUBLISHED_ENUM(TButtonStyle, uint8_t, bsAutoDetect, bsWin31, bsNew)
PUBLISHED_ENUM(TActivationEvent, uint8_t, aeClick, aeMouseDown)

class TAboutColorButtonProperty;

class TColorButton : public Controls::TCustomControl {
    DECLARE_CLASS(TColorButton, Controls::TCustomControl)
public:
    explicit TColorButton(TComponent* AOwner);
    ~TColorButton() override;

    TAboutColorButtonProperty* GetAbout() const { return FAbout; }
    TActivationEvent GetActivationEvent() const { return FActivationEvent; }
    void SetActivationEvent(TActivationEvent Value) { FActivationEvent = Value; }
    // The swatch's colour (this hides the control's background colour, which the button does not use).
    TColor GetColor() const { return FColor; }
    void SetColor(TColor Value) { SetStateColor(Value); }
    void SetStateColor(TColor Value);
    Dialogs::TColorDialogOptions GetOptions() const { return FOptions; }
    void SetOptions(Dialogs::TColorDialogOptions Value) { FOptions = Value; }
    // Streamed as CustomColors.Strings.
    Controls::TPersistentStrings* GetCustomColors() const { return FCustomColors.get(); }
    // Copies the lines of Value.
    void SetCustomColors(const Classes::TStrings* Value);
    uint8_t GetMargin() const { return FMargin; }
    // Values of 2 and more are ignored (the margin keeps its value); the button repaints in any case.
    void SetMargin(uint8_t Value);
    const TNotifyEvent& GetOnColorChange() const { return FOnColorChange; }
    void SetOnColorChange(const TNotifyEvent& Value) { FOnColorChange = Value; }

    TButtonState GetState() const { return FState; }
    bool GetTracking() const { return FTracking; }

    // Runs the colour dialog on Color, Options and a copy of CustomColors; after OK Color is the colour
    // chosen and OnColorChange fires (also for the same colour). Then OnClick fires.
    void DoColorDialog();
    // Paints the face on Rect: the face colour, then two bevel rings BevelWidth wide (raised, or sunken
    // when IsDown), inside a clear rectangle when IsFocused. The face inside the bevels is returned, moved
    // by one pixel right and down when IsDown.
    static TRect DrawButtonFace(Graphics::TCanvas& Canvas, const TRect& Client, int BevelWidth, bool IsDown,
                                bool IsFocused);
    void WndProc(Messages::TMessage& Message) override;

protected:
    void Paint() override;
    void Click() override;
    void MouseDown(Controls::TMouseButton Button, Controls::TShiftState Shift, int X, int Y) override;
    void MouseMove(Controls::TShiftState Shift, int X, int Y) override;
    void MouseUp(Controls::TMouseButton Button, Controls::TShiftState Shift, int X, int Y) override;
    void KeyDown(WORD& Key, Controls::TShiftState Shift) override;
    void KeyUp(WORD& Key, Controls::TShiftState Shift) override;

private:
    // N rings inward from Rect (which ends N pixels smaller on every side): top and left in TopLeft, bottom
    // and right in BottomRight.
    static void DrawBevel(Graphics::TCanvas& Canvas, TRect& Rect, int N, TColor TopLeft, TColor BottomRight);
    static void DrawBevelLine(Graphics::TCanvas& Canvas, const TRect& Rect, TColor TopLeft,
                              TColor BottomRight);
    void SetState(TButtonState Value);

    TAboutColorButtonProperty* FAbout = nullptr; // never set: it gives the Object Inspector its About row
    bool FTracking = false;
    TColor FColor = Graphics::clWhite;
    TButtonState FState = bsUp;
    Dialogs::TColorDialogOptions FOptions;
    std::unique_ptr<Controls::TPersistentStrings> FCustomColors;
    TNotifyEvent FOnColorChange;
    uint8_t FMargin = 1;
    TActivationEvent FActivationEvent = aeClick;
};

// The editor of the About row: an ellipsis button that shows a few lines about the control.
class TAboutColorButtonProperty : public DsgnIntf::TPropertyEditor {
    DECLARE_CLASS(TAboutColorButtonProperty, DsgnIntf::TPropertyEditor)
public:
    DsgnIntf::TPropertyAttributes GetAttributes() override;
    String GetValue() override;
    void Edit() override;
};

// TColorButton known to streams; Register puts it on the palette page "Corvessa" with its About editor.
void Initialization();
void Finalization();
void Register();

} // namespace Colorbtn

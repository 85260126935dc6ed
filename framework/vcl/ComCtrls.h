// ComCtrls: controls of the common-control library. For now the progress bar.
//
// Declares: TProgressBar (the system's PROGRESS_CLASS control: Min, Max, Position, Step, StepIt, StepBy)
// and InitCommonControl (registers one class group of the library, once).
//
//   auto* bar = new ComCtrls::TProgressBar(form);
//   bar->SetParent(form);
//   bar->SetBounds(84, 64, 233, 13);
//   bar->SetPosition(38);          // PBM_SETPOS when the window exists, kept until it does otherwise
//
// The range and position live in the window while it exists (the control keeps a position inside the
// range, as the system control does) and in the component otherwise; DestroyWnd saves them back.
#pragma once

#include "framework/vcl/Controls.h"

namespace ComCtrls {

using Classes::TComponent;

// InitCommonControlsEx for the class group Classes (ICC_PROGRESS_CLASS...), once per group.
void InitCommonControl(DWORD Classes);

class TProgressBar : public Controls::TWinControl {
    DECLARE_CLASS(TProgressBar, Controls::TWinControl)
public:
    explicit TProgressBar(TComponent* AOwner);

    int GetMin() const;
    void SetMin(int Value);
    int GetMax() const;
    void SetMax(int Value);
    int GetPosition() const;
    void SetPosition(int Value);
    int GetStep() const { return FStep; }
    void SetStep(int Value);
    // Moves the position by Step (StepIt) or by Delta (StepBy).
    void StepIt();
    void StepBy(int Delta);

protected:
    void CreateParams(Controls::TCreateParams& Params) override;
    void CreateWnd() override;
    void DestroyWnd() override;

private:
    void SetRange(int AMin, int AMax);

    int FMin = 0;
    int FMax = 100;
    int FPosition = 0;
    int FStep = 10;
};

} // namespace ComCtrls

// StdCtrls: standard controls. For now the label.
//
// Declares: TCustomLabel and TLabel (a graphic control showing its caption in its font; AutoSize, on by
// default, sizes it to its text; Transparent leaves the parent's background behind the text).
//
//   auto* label = new StdCtrls::TLabel(form);
//   label->SetParent(form);
//   label->SetCaption("Завершено:");        // width and height follow the text in the label's font
//   label->SetTransparent(true);            // no background fill
//
// The size is DrawText's DT_CALCRECT extent of the caption (with DT_EXPANDTABS, DT_WORDBREAK when WordWrap,
// DT_NOPREFIX unless ShowAccelChar) on the screen's DC; an empty caption is measured as one space, so an
// empty label keeps the height of a line. A right-justified label keeps its right edge.
#pragma once

#include "framework/vcl/Controls.h"

namespace StdCtrls {

using Controls::TAlignment;
using SysUtils::String;

class TCustomLabel : public Controls::TGraphicControl {
    DECLARE_CLASS(TCustomLabel, Controls::TGraphicControl)
public:
    explicit TCustomLabel(Classes::TComponent* AOwner);

    bool GetAutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    TAlignment GetAlignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    bool GetShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool Value);
    bool GetTransparent() const { return !FControlStyle.Contains(Controls::csOpaque); }
    void SetTransparent(bool Value);
    bool GetWordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);

    void WndProc(Messages::TMessage& Message) override;

protected:
    void Loaded() override;
    void Paint() override;
    // Sizes the label to its text (when AutoSize and not being read).
    void AdjustBounds();
    // The caption drawn (or measured, with DT_CALCRECT) in Rect on Canvas with the label's font.
    void DoDrawText(Graphics::TCanvas& Canvas, Graphics::TRect& Rect, UINT Flags);

private:
    bool FAutoSize = true;
    TAlignment FAlignment = Controls::taLeftJustify;
    bool FShowAccelChar = true;
    bool FWordWrap = false;
};

class TLabel : public TCustomLabel {
    DECLARE_CLASS(TLabel, TCustomLabel)
public:
    using TCustomLabel::TCustomLabel;
};

} // namespace StdCtrls

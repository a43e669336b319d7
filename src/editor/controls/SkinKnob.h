// The panel's knobs: a filmstrip of frames stacked vertically, dragged linearly or around.
#pragma once

#include "editor/controls/LinearDrag.h"
#include "gui/Controls.h"

namespace vexo {

// Knob pointer sweep, clockwise from 3 o'clock: 0 sits at 7 o'clock, 1 just past 5 o'clock.
constexpr double kKnobStartDegrees = -240.0;
constexpr double kKnobSweepDegrees = 310.0;
// Pixels of combined drag movement for the whole range in linear mode.
constexpr float kKnobLinearRangePixels = 200.0f;

// Vertical pixel offset of the frame that shows normalized (0..1) in a strip of frameCount
// frames: the product truncated, then lowered to a whole frame; 0 at or below 0, the last
// frame at or above 1.
int knobFrameOffset(float normalized, int frameCount, int frameHeight);
// The unclamped knob value (0..1 on the sweep) of a pointer direction in degrees, clockwise
// from 3 o'clock; the gap at the bottom splits halfway between its ends.
float knobValueAtAngle(double degrees);

class SkinKnob : public CKnob {
public:
    // frameHeight 0: the control's height.
    SkinKnob(const CRect& size, CControlListener* listener, std::int32_t tag, SharedBitmap background, int frameCount,
             int frameHeight = 0);

    void draw(CDrawContext& context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;

    // Stepped mode shows only steps positions; the editor leaves it off.
    virtual void setStepped(bool state);
    virtual bool isStepped() const { return stepped_; }
    virtual void setSteps(float steps);

    void setInverted(bool state);
    bool isInverted() const { return inverted_; }
    // Kept for skins that ask for it; no trail is drawn.
    void setTrail(bool state) { trail_ = state; }
    bool getTrail() const { return trail_; }

    int getFrameCount() const { return frameCount_; }
    int getFrameHeight() const { return frameHeight_; }

private:
    bool linearDragWanted(CButtonState buttons) const;
    float linearPerPixel(CButtonState buttons) const;
    // The value for the pointer at where in circular mode, before the gap check.
    float circularValueAt(const CPoint& where) const;
    void trackCircular(const CPoint& where);
    // Sets value (clamped), redraws and tells the listener when it changed.
    void changeValue(float value);
    void drawWithoutImage(CDrawContext& context, float normalized);

    int frameCount_;
    int frameHeight_;
    bool inverted_ = false;
    bool stepped_ = false;
    float steps_ = 24.0f;
    bool trail_ = false;

    bool linearDrag_ = false;
    LinearDrag linear_;
    float lastAccepted_ = 0.0f;  // circular drag: the last value the gap check let through
};

}  // namespace vexo

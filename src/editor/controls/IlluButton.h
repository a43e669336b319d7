// An illuminated momentary key: its image holds four states stacked vertically (unlit
// released, unlit pressed, lit released, lit pressed), and its light can cross-fade.
#pragma once

#include "gui/Control.h"

namespace vexo {

// The image row for a state. Images of only two rows hold unlit and lit (no pressed look),
// a single row always shows.
int illuRow(bool lit, bool pressed, int rowsInImage);

class IlluButton : public CControl {
public:
    // heightOfOneImage 0: the control's height.
    IlluButton(const CRect& size, CControlListener* listener, std::int32_t tag, int heightOfOneImage,
               SharedBitmap background, const CPoint& offset = {});

    void draw(CDrawContext& context) override;
    // 1 while pressed with the pointer inside, 0 otherwise; every change is notified.
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;

    virtual void setLight(bool on);
    virtual bool getLight() const { return lit_; }
    // Cross-fade position: 0 shows the unlit row, 1 the lit row.
    virtual void setFadeLevel(float level);
    virtual float getFadeLevel() const { return fadeLevel_; }
    virtual void setFade(bool enabled);
    virtual bool getFade() const { return fade_; }
    // One step of the cross-fade towards the light (the editor calls it once per idle); true
    // when the level moved and the key was marked for redraw.
    virtual bool fadeStep();

private:
    void drawRow(CDrawContext& context, int row, int alpha) const;
    void drawWithoutImage(CDrawContext& context, bool pressed) const;
    void setPressed(bool pressed);

    int heightOfOneImage_;
    CPoint offset_;
    bool lit_ = false;
    float fadeLevel_ = 0.0f;
    float fadeSpeed_ = 0.5f;  // fraction of the remaining distance per step
    bool fade_ = false;
    bool tracking_ = false;
};

}  // namespace vexo

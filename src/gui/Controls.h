// The standard controls: knob, momentary and toggle buttons, filmstrip, rocker, text field.
#pragma once

#include <string>

#include "gui/Control.h"

namespace vexo {

// Knob modes, as hosts set them (effSetEditKnobMode).
enum KnobMode { kCircularMode = 0, kRelativCircularMode = 1, kLinearMode = 2 };

// A rotary control: draws its background and a pointer; dragging changes the value. Linear
// drags (the frame's knob mode kLinearMode) move the value by the range per 200 pixels of
// movement right or up, the zoom factor times finer with Shift; in the circular modes the value
// follows the pointer's angle around the centre.
class CKnob : public CControl {
public:
    CKnob(const CRect& size, CControlListener* listener, std::int32_t tag, SharedBitmap background,
          SharedBitmap handle = nullptr, const CPoint& offset = {});

    void draw(CDrawContext& context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;

    void setZoomFactor(float factor) { zoomFactor_ = factor; }
    float getZoomFactor() const { return zoomFactor_; }

protected:
    // Value of the pointer's angle at where (0 = 7 o'clock, 1 = 5 o'clock), unclamped.
    float valueFromPoint(const CPoint& where) const;

    SharedBitmap handle_;
    CPoint offset_;
    float zoomFactor_ = 1.5f;
    CPoint dragStart_;
    float dragStartValue_ = 0.0f;
    CButtonState dragModifiers_ = 0;
    bool dragging_ = false;
    bool circularDrag_ = false;
};

// A momentary button: max while pressed (with the pointer inside), min otherwise.
// The image holds two states stacked, released on top.
class CKickButton : public CControl {
public:
    CKickButton(const CRect& size, CControlListener* listener, std::int32_t tag, int heightOfOneImage,
                SharedBitmap background, const CPoint& offset = {});
    void draw(CDrawContext& context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;

private:
    int heightOfOneImage_;
    CPoint offset_;
    bool tracking_ = false;
};

// A toggle: each click swaps min and max. The image holds off on top of on.
class COnOffButton : public CControl {
public:
    COnOffButton(const CRect& size, CControlListener* listener, std::int32_t tag, SharedBitmap background);
    void draw(CDrawContext& context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
};

// A filmstrip without mouse input: the value picks one of count images stacked vertically.
class CMovieBitmap : public CControl {
public:
    CMovieBitmap(const CRect& size, CControlListener* listener, std::int32_t tag, int subPixmaps, int heightOfOneImage,
                 SharedBitmap background, const CPoint& offset = {});
    void draw(CDrawContext& context) override;
    // The frame shown for value (0..count-1).
    int frameIndex() const;

private:
    int subPixmaps_;
    int heightOfOneImage_;
    CPoint offset_;
};

// A vertical three-state rocker: -1 while its upper half is pressed, +1 for the lower half,
// back to 0 on release. The image holds three states stacked: upper pressed, rest, lower
// pressed.
class CRockerSwitch : public CControl {
public:
    CRockerSwitch(const CRect& size, CControlListener* listener, std::int32_t tag, int heightOfOneImage,
                  SharedBitmap background, const CPoint& offset = {});
    void draw(CDrawContext& context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;

private:
    // -1 over the upper half, +1 over the lower half, 0 outside the control.
    float valueAt(const CPoint& where) const;

    int heightOfOneImage_;
    CPoint offset_;
    bool tracking_ = false;
};

// A line of text on a background; clicking starts no editing (the panel only displays).
class CTextEdit : public CControl {
public:
    CTextEdit(const CRect& size, CControlListener* listener, std::int32_t tag, const std::string& text = {},
              SharedBitmap background = nullptr);
    virtual void setText(const std::string& text);
    const std::string& getText() const { return text_; }
    void setFontColor(const CColor& color) { fontColor_ = color; }
    void setBackColor(const CColor& color) { backColor_ = color; }
    void setHoriAlign(CHoriTxtAlign align) { align_ = align; }
    // Text height in pixels (the small font unless set).
    void setFontHeight(double pixels) { fontHeight_ = pixels; }
    void draw(CDrawContext& context) override;

private:
    std::string text_;
    CColor fontColor_ = kWhiteCColor;
    CColor backColor_ = kTransparentCColor;
    CHoriTxtAlign align_ = CHoriTxtAlign::kLeftText;
    double fontHeight_ = kSmallFontHeight;
};

}  // namespace vexo

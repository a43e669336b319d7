// The image-based standard controls: kick button, on/off button, filmstrip, rocker and the
// text line.
#include <algorithm>
#include <cmath>

#include "gui/Controls.h"

namespace vexo {
namespace {

// Row of a two-state image: 1 (the lower image) when the value is nearer max than min.
int upperOrLowerRow(float value, float min, float max) {
    return value > (min + max) / 2.0f ? 1 : 0;
}

constexpr int kTextInsetPixels = 2;

}  // namespace

CKickButton::CKickButton(const CRect& size, CControlListener* listener, std::int32_t tag, int heightOfOneImage,
                         SharedBitmap background, const CPoint& offset)
    : CControl(size, listener, tag, std::move(background)), heightOfOneImage_(heightOfOneImage), offset_(offset) {}

void CKickButton::draw(CDrawContext& context) {
    if (getBackground()) {
        const int row = upperOrLowerRow(value_, min_, max_);
        context.drawBitmap(*getBackground(), getViewSize(), {offset_.x, offset_.y + row * heightOfOneImage_});
    }
}

CMouseEventResult CKickButton::onMouseDown(CPoint& /*where*/, const CButtonState& buttons) {
    if ((buttons & kLButton) == 0) {
        return CMouseEventResult::kMouseEventNotHandled;
    }
    if (modifierClickTaken(buttons)) {
        return CMouseEventResult::kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    }
    beginEdit();
    tracking_ = true;
    changeValueByMouse(max_);
    return CMouseEventResult::kMouseEventHandled;
}

CMouseEventResult CKickButton::onMouseMoved(CPoint& where, const CButtonState& /*buttons*/) {
    if (!tracking_) {
        return CMouseEventResult::kMouseEventNotHandled;
    }
    // Pressed only while the pointer is over the button: moving off and releasing cancels.
    changeValueByMouse(getViewSize().pointInside(where) ? max_ : min_);
    return CMouseEventResult::kMouseEventHandled;
}

CMouseEventResult CKickButton::onMouseUp(CPoint& /*where*/, const CButtonState& /*buttons*/) {
    if (!tracking_) {
        return CMouseEventResult::kMouseEventNotHandled;
    }
    tracking_ = false;
    changeValueByMouse(min_);
    endEdit();
    return CMouseEventResult::kMouseEventHandled;
}

COnOffButton::COnOffButton(const CRect& size, CControlListener* listener, std::int32_t tag, SharedBitmap background)
    : CControl(size, listener, tag, std::move(background)) {}

void COnOffButton::draw(CDrawContext& context) {
    if (getBackground()) {
        const int row = upperOrLowerRow(value_, min_, max_);
        context.drawBitmap(*getBackground(), getViewSize(), {0, row * getViewSize().height()});
    }
}

CMouseEventResult COnOffButton::onMouseDown(CPoint& /*where*/, const CButtonState& buttons) {
    if ((buttons & kLButton) == 0) {
        return CMouseEventResult::kMouseEventNotHandled;
    }
    if (!modifierClickTaken(buttons)) {
        beginEdit();
        changeValueByMouse(upperOrLowerRow(value_, min_, max_) == 1 ? min_ : max_);
        endEdit();
    }
    return CMouseEventResult::kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

CMovieBitmap::CMovieBitmap(const CRect& size, CControlListener* listener, std::int32_t tag, int subPixmaps,
                           int heightOfOneImage, SharedBitmap background, const CPoint& offset)
    : CControl(size, listener, tag, std::move(background)),
      subPixmaps_(subPixmaps),
      heightOfOneImage_(heightOfOneImage),
      offset_(offset) {}

int CMovieBitmap::frameIndex() const {
    if (subPixmaps_ <= 1 || max_ == min_) {
        return 0;
    }
    const float fraction = std::clamp((value_ - min_) / (max_ - min_), 0.0f, 1.0f);
    return static_cast<int>(std::lround(fraction * static_cast<float>(subPixmaps_ - 1)));
}

void CMovieBitmap::draw(CDrawContext& context) {
    if (getBackground()) {
        context.drawBitmap(*getBackground(), getViewSize(), {offset_.x, offset_.y + frameIndex() * heightOfOneImage_});
    }
}

CRockerSwitch::CRockerSwitch(const CRect& size, CControlListener* listener, std::int32_t tag, int heightOfOneImage,
                             SharedBitmap background, const CPoint& offset)
    : CControl(size, listener, tag, std::move(background)), heightOfOneImage_(heightOfOneImage), offset_(offset) {
    min_ = -1.0f;
    max_ = 1.0f;
    default_ = 0.0f;
}

float CRockerSwitch::valueAt(const CPoint& where) const {
    const CRect& rect = getViewSize();
    if (!rect.pointInside(where)) {
        return 0.0f;
    }
    return where.y < rect.top + rect.height() / 2 ? -1.0f : 1.0f;
}

void CRockerSwitch::draw(CDrawContext& context) {
    if (getBackground()) {
        const int row = value_ < 0.0f ? 0 : (value_ > 0.0f ? 2 : 1);
        context.drawBitmap(*getBackground(), getViewSize(), {offset_.x, offset_.y + row * heightOfOneImage_});
    }
}

CMouseEventResult CRockerSwitch::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if ((buttons & kLButton) == 0) {
        return CMouseEventResult::kMouseEventNotHandled;
    }
    if (modifierClickTaken(buttons)) {
        return CMouseEventResult::kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    }
    beginEdit();
    tracking_ = true;
    changeValueByMouse(valueAt(where));
    return CMouseEventResult::kMouseEventHandled;
}

CMouseEventResult CRockerSwitch::onMouseMoved(CPoint& where, const CButtonState& /*buttons*/) {
    if (!tracking_) {
        return CMouseEventResult::kMouseEventNotHandled;
    }
    changeValueByMouse(valueAt(where));
    return CMouseEventResult::kMouseEventHandled;
}

CMouseEventResult CRockerSwitch::onMouseUp(CPoint& /*where*/, const CButtonState& /*buttons*/) {
    if (!tracking_) {
        return CMouseEventResult::kMouseEventNotHandled;
    }
    tracking_ = false;
    changeValueByMouse(0.0f);
    endEdit();
    return CMouseEventResult::kMouseEventHandled;
}

CTextEdit::CTextEdit(const CRect& size, CControlListener* listener, std::int32_t tag, const std::string& text,
                     SharedBitmap background)
    : CControl(size, listener, tag, std::move(background)), text_(text) {}

void CTextEdit::setText(const std::string& text) {
    if (text != text_) {
        text_ = text;
        setDirty(true);
    }
}

void CTextEdit::draw(CDrawContext& context) {
    const CRect& rect = getViewSize();
    if (getBackground()) {
        context.drawBitmap(*getBackground(), rect);
    } else if (backColor_.alpha > 0) {
        context.setFillColor(backColor_);
        context.drawRect(rect, CDrawStyle::kDrawFilled);
    }
    context.setFont(fontHeight_);
    context.setFontColor(fontColor_);
    const int inset = align_ == CHoriTxtAlign::kCenterText ? 0 : kTextInsetPixels;
    context.drawString(text_, CRect(rect.left + inset, rect.top, rect.right - inset, rect.bottom), align_);
}

}  // namespace vexo

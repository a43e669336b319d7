#include "editor/controls/IlluButton.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace vexo {

namespace {

enum IlluRow { kUnlitReleased = 0, kUnlitPressed = 1, kLitReleased = 2, kLitPressed = 3 };
constexpr int kFourStateRows = 4;
constexpr int kTwoStateRows = 2;
// The fade has arrived once the level is this close to its target.
constexpr float kFadeSettledDifference = 0.01f;

constexpr CColor kPlainFrameColor{30, 30, 30, 255};
constexpr CColor kPlainLitColor{220, 40, 30, 255};

}  // namespace

int illuRow(bool lit, bool pressed, int rowsInImage) {
    if (rowsInImage >= kFourStateRows) {
        if (lit) {
            return pressed ? kLitPressed : kLitReleased;
        }
        return pressed ? kUnlitPressed : kUnlitReleased;
    }
    if (rowsInImage >= kTwoStateRows) {
        return lit ? 1 : 0;
    }
    return 0;
}

IlluButton::IlluButton(const CRect& size, CControlListener* listener, std::int32_t tag, int heightOfOneImage,
                       SharedBitmap background, const CPoint& offset)
    : CControl(size, listener, tag, std::move(background)),
      heightOfOneImage_(heightOfOneImage > 0 ? heightOfOneImage : size.height()),
      offset_(offset) {}

void IlluButton::setLight(bool on) {
    if (!fade_) {
        if (on != lit_) {
            lit_ = on;
            setDirty();
        }
        return;
    }
    if (on && lit_ && fadeLevel_ != 1.0f) {
        fadeLevel_ = 1.0f;
        setDirty();
    }
    lit_ = on;
}

void IlluButton::setFadeLevel(float level) {
    fadeLevel_ = std::clamp(level, 0.0f, 1.0f);
    if (fade_) {
        setDirty();
    }
}

void IlluButton::setFade(bool enabled) {
    if (enabled != fade_) {
        fade_ = enabled;
        setDirty();
    }
}

bool IlluButton::fadeStep() {
    if (!fade_) {
        return false;
    }
    const float difference = (lit_ ? 1.0f : 0.0f) - fadeLevel_;
    if (std::fabs(difference) <= kFadeSettledDifference) {
        return false;
    }
    fadeLevel_ += difference * fadeSpeed_;
    setDirty();
    return true;
}

void IlluButton::drawRow(CDrawContext& context, int row, int alpha) const {
    if (alpha <= 0) {
        return;
    }
    const CPoint source(offset_.x, offset_.y + row * heightOfOneImage_);
    context.drawBitmap(*getBackground(), getViewSize(), source, alpha);
}

void IlluButton::drawWithoutImage(CDrawContext& context, bool pressed) const {
    const CRect& rect = getViewSize();
    const bool lit = fade_ ? fadeLevel_ >= 0.5f : lit_;
    context.setLineWidth(1.0);
    context.setFrameColor(kPlainFrameColor);
    context.setFillColor(kPlainLitColor);
    context.drawRect(rect, lit ? CDrawStyle::kDrawFilledAndStroked : CDrawStyle::kDrawStroked);
    if (pressed) {
        context.drawLine(rect.topLeft(), CPoint(rect.right - 1, rect.bottom - 1));
        context.drawLine(CPoint(rect.right - 1, rect.top), CPoint(rect.left, rect.bottom - 1));
    }
}

void IlluButton::draw(CDrawContext& context) {
    const bool pressed = value_ != 0.0f;
    const SharedBitmap& image = getBackground();
    if (!image) {
        drawWithoutImage(context, pressed);
    } else {
        const int rows = heightOfOneImage_ > 0 ? (image->getHeight() - offset_.y) / heightOfOneImage_ : 1;
        if (!fade_) {
            drawRow(context, illuRow(lit_, pressed, rows), 255);
        } else {
            const int litAlpha = static_cast<int>(std::lround(fadeLevel_ * 255.0f));
            drawRow(context, illuRow(false, pressed, rows), 255 - litAlpha);
            drawRow(context, illuRow(true, pressed, rows), litAlpha);
        }
    }
    setDirty(false);
}

void IlluButton::setPressed(bool pressed) {
    changeValueByMouse(pressed ? 1.0f : 0.0f);
}

CMouseEventResult IlluButton::onMouseDown(CPoint& /*where*/, const CButtonState& buttons) {
    if (!(buttons & kLButton)) {
        return CMouseEventResult::kMouseEventNotHandled;
    }
    tracking_ = true;
    setPressed(true);
    return CMouseEventResult::kMouseEventHandled;
}

CMouseEventResult IlluButton::onMouseMoved(CPoint& where, const CButtonState& /*buttons*/) {
    if (!tracking_) {
        return CMouseEventResult::kMouseEventNotHandled;
    }
    setPressed(getViewSize().pointInside(where));
    return CMouseEventResult::kMouseEventHandled;
}

CMouseEventResult IlluButton::onMouseUp(CPoint& /*where*/, const CButtonState& /*buttons*/) {
    if (!tracking_) {
        return CMouseEventResult::kMouseEventNotHandled;
    }
    tracking_ = false;
    setPressed(false);
    return CMouseEventResult::kMouseEventHandled;
}

}  // namespace vexo

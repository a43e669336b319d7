#include "editor/controls/DigitDisplay.h"

#include <algorithm>
#include <utility>

namespace vexo {

namespace {

constexpr float kWheelShiftFactor = 0.1f;

long largestShown(int count) {
    long largest = 1;
    for (int i = 0; i < count; ++i) {
        largest *= 10;
    }
    return largest - 1;
}

}  // namespace

std::array<int, kMaxDisplayDigits> splitDigits(float value, int count) {
    std::array<int, kMaxDisplayDigits> digits{};
    count = std::clamp(count, 1, kMaxDisplayDigits);
    long number = 0;
    if (value > 0.0f) {
        const double largest = static_cast<double>(largestShown(count));
        number = static_cast<long>(std::min(static_cast<double>(value), largest));
    }
    for (int i = count - 1; i >= 0; --i) {
        digits[i] = static_cast<int>(number % 10);
        number /= 10;
    }
    return digits;
}

DigitDisplay::DigitDisplay(const CRect& size, CControlListener* listener, std::int32_t tag, int digitCount)
    : CControl(size, listener, tag), digitCount_(std::clamp(digitCount, 1, kMaxDisplayDigits)) {
    setMin(0.0f);
    setMax(static_cast<float>(largestShown(digitCount_)));
    setDefaultValue(0.0f);
}

void DigitDisplay::setDigit(int index, const CRect& rect, SharedBitmap strip, const CPoint& stripOffset) {
    if (index < 0 || index >= digitCount_) {
        return;
    }
    digits_[index] = {rect, std::move(strip), stripOffset};
    // The display redraws and takes the mouse over all of its digits.
    const CRect covered = getViewSize().united(rect);
    if (covered == getViewSize()) {
        setDirty();
    } else {
        setViewSize(covered);
    }
}

void DigitDisplay::draw(CDrawContext& context) {
    const std::array<int, kMaxDisplayDigits> shown = splitDigits(value_, digitCount_);
    for (int i = 0; i < digitCount_; ++i) {
        const Digit& digit = digits_[i];
        if (!digit.strip) {
            continue;
        }
        const CPoint source(digit.stripOffset.x, digit.stripOffset.y + shown[i] * digit.rect.height());
        context.drawBitmap(*digit.strip, digit.rect, source);
    }
    setDirty(false);
}

float DigitDisplay::perPixel(CButtonState buttons) const {
    float pixels = kDigitDragRangePixels;
    if (buttons & kShift) {
        pixels *= kDigitFineDragFactor;
    }
    return (max_ - min_) / pixels;
}

void DigitDisplay::changeValue(float value) {
    changeValueByMouse(std::clamp(value, std::min(min_, max_), std::max(min_, max_)));
}

CMouseEventResult DigitDisplay::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (!(buttons & kLButton)) {
        return CMouseEventResult::kMouseEventNotHandled;
    }
    if (checkDefaultValue(buttons)) {
        return CMouseEventResult::kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    }
    dragging_ = true;
    dragModifiers_ = buttons & kModifierMask;
    drag_.begin(where, value_, perPixel(buttons));
    return CMouseEventResult::kMouseEventHandled;
}

CMouseEventResult DigitDisplay::onMouseMoved(CPoint& where, const CButtonState& buttons) {
    if (!dragging_) {
        return CMouseEventResult::kMouseEventNotHandled;
    }
    const CButtonState modifiers = buttons & kModifierMask;
    if (modifiers != dragModifiers_) {
        drag_.rebase(where, perPixel(buttons));
        dragModifiers_ = modifiers;
    }
    changeValue(drag_.valueAt(where));
    return CMouseEventResult::kMouseEventHandled;
}

CMouseEventResult DigitDisplay::onMouseUp(CPoint& /*where*/, const CButtonState& /*buttons*/) {
    if (!dragging_) {
        return CMouseEventResult::kMouseEventNotHandled;
    }
    dragging_ = false;
    return CMouseEventResult::kMouseEventHandled;
}

bool DigitDisplay::onWheel(const CPoint& /*where*/, float distance, const CButtonState& buttons) {
    const float step = (buttons & kShift) ? distance * kWheelShiftFactor * wheelInc_ : distance;
    changeValue(value_ + step);
    return true;
}

}  // namespace vexo

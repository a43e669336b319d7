#include "editor/controls/SkinKnob.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

#include "gui/Frame.h"

namespace vexo {

namespace {

constexpr CColor kKnobArcColor{90, 90, 90, 255};
constexpr CColor kKnobPointerColor{20, 20, 20, 255};
constexpr double kKnobPointerWidthPixels = 2.0;

// Direction in the middle of the gap between the sweep's ends, in degrees.
constexpr double kKnobGapCentreDegrees = kKnobStartDegrees + kKnobSweepDegrees + (360.0 - kKnobSweepDegrees) / 2.0;

double degreesToRadians(double degrees) {
    return degrees * std::numbers::pi / 180.0;
}

}  // namespace

int knobFrameOffset(float normalized, int frameCount, int frameHeight) {
    if (frameCount <= 1 || frameHeight <= 0 || !(normalized > 0.0f)) {
        return 0;
    }
    const float clamped = std::min(normalized, 1.0f);
    const int pixels = static_cast<int>(clamped * static_cast<float>(frameCount - 1) * static_cast<float>(frameHeight));
    return pixels - pixels % frameHeight;
}

float knobValueAtAngle(double degrees) {
    const double gapStart = kKnobGapCentreDegrees - 360.0;
    double fromGap = std::fmod(degrees - gapStart, 360.0);
    if (fromGap < 0.0) {
        fromGap += 360.0;
    }
    return static_cast<float>((gapStart + fromGap - kKnobStartDegrees) / kKnobSweepDegrees);
}

SkinKnob::SkinKnob(const CRect& size, CControlListener* listener, std::int32_t tag, SharedBitmap background,
                   int frameCount, int frameHeight)
    : CKnob(size, listener, tag, std::move(background)),
      frameCount_(std::max(frameCount, 1)),
      frameHeight_(frameHeight > 0 ? frameHeight : size.height()) {}

void SkinKnob::setStepped(bool state) {
    stepped_ = state;
    setDirty();
}

void SkinKnob::setSteps(float steps) {
    steps_ = steps;
    setDirty();
}

void SkinKnob::setInverted(bool state) {
    inverted_ = state;
    setDirty();
}

void SkinKnob::draw(CDrawContext& context) {
    const float range = max_ - min_;
    float normalized = range != 0.0f ? (value_ - min_) / range : 0.0f;
    if (inverted_) {
        normalized = 1.0f - normalized;
    }
    if (stepped_ && steps_ >= 2.0f) {
        normalized = std::round(normalized * (steps_ - 1.0f)) / (steps_ - 1.0f);
    }
    const CRect& rect = getViewSize();
    if (const SharedBitmap& image = getBackground()) {
        const CPoint source(offset_.x, offset_.y + knobFrameOffset(normalized, frameCount_, frameHeight_));
        context.drawBitmap(*image, rect, source);
    } else {
        drawWithoutImage(context, normalized);
    }
    setDirty(false);
}

void SkinKnob::drawWithoutImage(CDrawContext& context, float normalized) {
    const CRect& rect = getViewSize();
    context.setLineWidth(1.0);
    context.setFrameColor(kKnobArcColor);
    context.drawArc(rect, kKnobStartDegrees, kKnobStartDegrees + kKnobSweepDegrees);

    const double angle = degreesToRadians(normalized * kKnobSweepDegrees + kKnobStartDegrees);
    const double length = rect.width() / 2.0;
    const double centreX = rect.left + rect.width() / 2.0;
    const double centreY = rect.top + rect.height() / 2.0;
    const CPoint centre(static_cast<int>(std::lround(centreX)), static_cast<int>(std::lround(centreY)));
    const CPoint tip(static_cast<int>(std::lround(centreX + std::cos(angle) * length)),
                     static_cast<int>(std::lround(centreY + std::sin(angle) * length)));
    context.setLineWidth(kKnobPointerWidthPixels);
    context.setFrameColor(kKnobPointerColor);
    context.drawLine(centre, tip);
}

bool SkinKnob::linearDragWanted(CButtonState buttons) const {
    const CFrame* frame = getFrame();
    const int mode = frame ? frame->getKnobMode() : kLinearMode;
    const bool alt = (buttons & kAlt) != 0;
    return mode == kLinearMode ? !alt : alt;
}

float SkinKnob::linearPerPixel(CButtonState buttons) const {
    float pixels = kKnobLinearRangePixels;
    if (buttons & kShift) {
        pixels *= zoomFactor_;
    }
    return (max_ - min_) / pixels;
}

float SkinKnob::circularValueAt(const CPoint& where) const {
    const CRect& rect = getViewSize();
    const double dx = where.x - (rect.left + rect.width() / 2.0);
    const double dy = where.y - (rect.top + rect.height() / 2.0);
    float normalized = std::clamp(knobValueAtAngle(std::atan2(dy, dx) * 180.0 / std::numbers::pi), 0.0f, 1.0f);
    if (inverted_) {
        normalized = 1.0f - normalized;
    }
    return min_ + normalized * (max_ - min_);
}

void SkinKnob::trackCircular(const CPoint& where) {
    float value = circularValueAt(where);
    const float halfRange = (max_ - min_) * 0.5f;
    // Crossing the gap between the ends would flip the value: it stays at the end instead.
    if (value - lastAccepted_ > halfRange) {
        value = min_;
    } else if (lastAccepted_ - value > halfRange) {
        value = max_;
    } else {
        lastAccepted_ = value;
    }
    changeValue(value);
}

void SkinKnob::changeValue(float value) {
    changeValueByMouse(std::clamp(value, std::min(min_, max_), std::max(min_, max_)));
}

CMouseEventResult SkinKnob::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (!(buttons & kLButton) || !getMouseEnabled()) {
        return CMouseEventResult::kMouseEventNotHandled;
    }
    if (modifierClickTaken(buttons)) {
        return CMouseEventResult::kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    }
    if (checkDefaultValue(buttons)) {
        return CMouseEventResult::kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    }
    beginEdit();
    dragging_ = true;
    dragModifiers_ = buttons & kModifierMask;
    linearDrag_ = linearDragWanted(buttons);
    if (linearDrag_) {
        linear_.begin(where, value_, linearPerPixel(buttons));
    } else {
        // The knob turns to the pointer at once.
        lastAccepted_ = circularValueAt(where);
        changeValue(lastAccepted_);
    }
    return CMouseEventResult::kMouseEventHandled;
}

CMouseEventResult SkinKnob::onMouseMoved(CPoint& where, const CButtonState& buttons) {
    if (!dragging_) {
        return CMouseEventResult::kMouseEventNotHandled;
    }
    if (linearDrag_) {
        const CButtonState modifiers = buttons & kModifierMask;
        if (modifiers != dragModifiers_) {
            linear_.rebase(where, linearPerPixel(buttons));
            dragModifiers_ = modifiers;
        }
        changeValue(linear_.valueAt(where));
    } else {
        trackCircular(where);
    }
    return CMouseEventResult::kMouseEventHandled;
}

CMouseEventResult SkinKnob::onMouseUp(CPoint& /*where*/, const CButtonState& /*buttons*/) {
    if (!dragging_) {
        return CMouseEventResult::kMouseEventNotHandled;
    }
    dragging_ = false;
    endEdit();
    return CMouseEventResult::kMouseEventHandled;
}

}  // namespace vexo

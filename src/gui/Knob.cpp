#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "gui/Controls.h"
#include "gui/Frame.h"

namespace vexo {
namespace {

// The pointer sweeps 300 degrees clockwise from 7 o'clock (value 0) to 5 o'clock (value 1);
// angles count clockwise from 3 o'clock, as on the screen.
constexpr double kStartDegrees = 120.0;
constexpr double kSweepDegrees = 300.0;
// Linear drags: pixels of movement for the whole range.
constexpr float kLinearRangePixels = 200.0f;

constexpr CColor kBodyColor{43, 43, 46, 255};
constexpr CColor kBodyEdgeColor{18, 18, 20, 255};
constexpr CColor kTrackColor{80, 80, 86, 255};
constexpr CColor kValueArcColor{232, 163, 61, 255};
constexpr CColor kPointerColor{250, 250, 250, 255};

double radians(double degrees) {
    return degrees * std::numbers::pi / 180.0;
}

void strokeRound(cairo_t* cr, const CColor& color, double width) {
    cairo_set_source_rgba(cr, color.red / 255.0, color.green / 255.0, color.blue / 255.0, color.alpha / 255.0);
    cairo_set_line_width(cr, width);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_stroke(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

}  // namespace

CKnob::CKnob(const CRect& size, CControlListener* listener, std::int32_t tag, SharedBitmap background,
             SharedBitmap handle, const CPoint& offset)
    : CControl(size, listener, tag, std::move(background)), handle_(std::move(handle)), offset_(offset) {}

void CKnob::draw(CDrawContext& context) {
    const CRect& rect = getViewSize();
    if (getBackground()) {
        context.drawBitmap(*getBackground(), rect, offset_);
    }
    const float range = max_ - min_;
    const double fraction = range != 0.0f ? std::clamp((value_ - min_) / range, 0.0f, 1.0f) : 0.0;
    const double angle = radians(kStartDegrees + fraction * kSweepDegrees);
    const double centreX = rect.left + rect.width() / 2.0;
    const double centreY = rect.top + rect.height() / 2.0;
    const double radius = std::min(rect.width(), rect.height()) / 2.0;

    if (handle_) {
        // The handle image rides on a circle inside the rectangle, centred on the pointer's end.
        const double handleRadius =
            radius - std::max(handle_->getWidth(), handle_->getHeight()) / 2.0 - std::max(0.0, radius * 0.1);
        const int x =
            static_cast<int>(std::lround(centreX + std::cos(angle) * handleRadius - handle_->getWidth() / 2.0));
        const int y =
            static_cast<int>(std::lround(centreY + std::sin(angle) * handleRadius - handle_->getHeight() / 2.0));
        context.drawBitmap(*handle_, CRect::fromSize(x, y, handle_->getWidth(), handle_->getHeight()));
        return;
    }

    cairo_t* cr = context.cairo();
    if (!getBackground() && radius > 4.0) {
        // Our own knob: a dark body inside a track ring that fills with the value.
        const double ringWidth = std::max(2.0, radius * 0.12);
        const double ringRadius = radius - ringWidth / 2.0 - 0.5;
        cairo_new_path(cr);
        cairo_arc(cr, centreX, centreY, ringRadius, radians(kStartDegrees), radians(kStartDegrees + kSweepDegrees));
        strokeRound(cr, kTrackColor, ringWidth);
        if (fraction > 0.0) {
            cairo_new_path(cr);
            cairo_arc(cr, centreX, centreY, ringRadius, radians(kStartDegrees), angle);
            strokeRound(cr, kValueArcColor, ringWidth);
        }
        context.setFillColor(kBodyColor);
        context.setFrameColor(kBodyEdgeColor);
        context.setLineWidth(1.0);
        const int bodyInset = static_cast<int>(std::ceil(ringWidth + 2.0));
        context.drawEllipse(
            CRect(rect.left + bodyInset, rect.top + bodyInset, rect.right - bodyInset, rect.bottom - bodyInset),
            CDrawStyle::kDrawFilledAndStroked);
    }
    const double inner = getBackground() ? radius * 0.3 : radius * 0.15;
    const double outer = getBackground() ? radius * 0.85 : radius * 0.62;
    cairo_new_path(cr);
    cairo_move_to(cr, centreX + std::cos(angle) * inner, centreY + std::sin(angle) * inner);
    cairo_line_to(cr, centreX + std::cos(angle) * outer, centreY + std::sin(angle) * outer);
    strokeRound(cr, kPointerColor, std::max(1.5, radius * 0.09));
}

float CKnob::valueFromPoint(const CPoint& where) const {
    const CRect& rect = getViewSize();
    const double dx = where.x - (rect.left + rect.width() / 2.0);
    const double dy = where.y - (rect.top + rect.height() / 2.0);
    double degrees = std::atan2(dy, dx) * 180.0 / std::numbers::pi - kStartDegrees;
    degrees = std::fmod(degrees + 720.0, 360.0);
    // In the gap below the centre, each half belongs to the nearer end.
    if (degrees > kSweepDegrees + (360.0 - kSweepDegrees) / 2.0) {
        degrees -= 360.0;
    }
    return static_cast<float>(degrees / kSweepDegrees);
}

CMouseEventResult CKnob::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if ((buttons & kLButton) == 0) {
        return CMouseEventResult::kMouseEventNotHandled;
    }
    if (modifierClickTaken(buttons) || checkDefaultValue(buttons)) {
        return CMouseEventResult::kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    }
    const CFrame* frame = getFrame();
    circularDrag_ = frame != nullptr && frame->getKnobMode() != kLinearMode;
    beginEdit();
    dragging_ = true;
    dragStart_ = where;
    dragStartValue_ = value_;
    dragModifiers_ = buttons & kModifierMask;
    if (circularDrag_) {
        // The pointer jumps to the clicked angle; only later moves are kept from crossing the gap.
        const float range = max_ - min_;
        changeValueByMouse(min_ + std::clamp(valueFromPoint(where), 0.0f, 1.0f) * range);
    }
    return CMouseEventResult::kMouseEventHandled;
}

CMouseEventResult CKnob::onMouseMoved(CPoint& where, const CButtonState& buttons) {
    if (!dragging_) {
        return CMouseEventResult::kMouseEventNotHandled;
    }
    const float range = max_ - min_;
    const float low = std::min(min_, max_);
    const float high = std::max(min_, max_);
    if (circularDrag_) {
        float value = min_ + std::clamp(valueFromPoint(where), 0.0f, 1.0f) * range;
        // Crossing the gap between the ends would flip the value from one end to the other.
        if (value - value_ < -std::abs(range) / 2.0f) {
            value = high;
        } else if (value - value_ > std::abs(range) / 2.0f) {
            value = low;
        }
        changeValueByMouse(value);
        return CMouseEventResult::kMouseEventHandled;
    }
    if ((buttons & kModifierMask) != dragModifiers_) {
        // A changed modifier starts a new drag from here, so the value does not jump.
        dragStart_ = where;
        dragStartValue_ = value_;
        dragModifiers_ = buttons & kModifierMask;
    }
    const int movedPixels = (where.x - dragStart_.x) + (dragStart_.y - where.y);
    const float perPixel = range / kLinearRangePixels / ((buttons & kShift) != 0 ? zoomFactor_ : 1.0f);
    const float wanted = dragStartValue_ + movedPixels * perPixel;
    const float value = std::clamp(wanted, low, high);
    if (value != wanted) {
        // Past an end: turning back moves the value at once, not after the overshoot.
        dragStart_ = where;
        dragStartValue_ = value;
    }
    changeValueByMouse(value);
    return CMouseEventResult::kMouseEventHandled;
}

CMouseEventResult CKnob::onMouseUp(CPoint& /*where*/, const CButtonState& /*buttons*/) {
    if (!dragging_) {
        return CMouseEventResult::kMouseEventNotHandled;
    }
    dragging_ = false;
    endEdit();
    return CMouseEventResult::kMouseEventHandled;
}

bool CKnob::onWheel(const CPoint& /*where*/, float distance, const CButtonState& buttons) {
    if (!getMouseEnabled()) {
        return false;
    }
    const float step = distance * wheelInc_ * ((buttons & kShift) != 0 ? 0.1f : 1.0f);
    beginEdit();
    changeValueByMouse(std::clamp(value_ + step, std::min(min_, max_), std::max(min_, max_)));
    endEdit();
    return true;
}

}  // namespace vexo

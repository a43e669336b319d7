// Push buttons, check boxes and radio buttons, and what every dialog control shares.
#include <cairo.h>

#include <algorithm>
#include <numbers>

#include "gui/dialog/DialogTheme.h"
#include "gui/dialog/DialogWidgets.h"

namespace vexo {

namespace {

// Every widget leaves this margin inside its rectangle for the focus ring.
constexpr int kRingMargin = 2;
constexpr int kBoxSize = 14;
constexpr int kLabelGap = 7;

CRect inset(const CRect& rect, int by) {
    return CRect(rect.left + by, rect.top + by, rect.right - by, rect.bottom - by);
}

// The box of a check box or radio button: at the left, centred vertically.
CRect indicatorRect(const CRect& size) {
    const int top = size.top + (size.height() - kBoxSize) / 2;
    return CRect::fromSize(size.left + kRingMargin, top, kBoxSize, kBoxSize);
}

CRect indicatorLabelRect(const CRect& size) {
    return CRect(size.left + kRingMargin + kBoxSize + kLabelGap, size.top, size.right, size.bottom);
}

bool isLeftClick(CButtonState buttons) {
    return (buttons & kLButton) != 0;
}

}  // namespace

// --- DialogControl

DialogControl::DialogControl(const CRect& size, CControlListener* listener, std::int32_t tag)
    : CControl(size, listener, tag) {}

void DialogControl::setEnabled(bool enabled) {
    if (enabled_ == enabled) {
        return;
    }
    enabled_ = enabled;
    if (!enabled && hasFocus()) {
        dialogFrameOf(*this)->setFocus(nullptr);
    }
    setDirty(true);
}

void DialogControl::focusChanged(bool /*focused*/) {
    invalid();
}

bool DialogControl::hasFocus() const {
    const DialogFrame* frame = dialogFrameOf(*this);
    return frame != nullptr && frame->focusedView() == this;
}

bool DialogControl::isHovered() const {
    const DialogFrame* frame = dialogFrameOf(*this);
    return frame != nullptr && frame->hoveredView() == this;
}

void DialogControl::takeFocus() {
    if (DialogFrame* frame = dialogFrameOf(*this)) {
        frame->setFocus(this);
    }
}

void DialogControl::notify(float value) {
    setValue(value);
    invalid();
    valueChanged();
}

// --- PushButton

PushButton::PushButton(const CRect& size, CControlListener* listener, std::int32_t tag, std::string title)
    : DialogControl(size, listener, tag), title_(std::move(title)) {}

void PushButton::setTitle(std::string title) {
    title_ = std::move(title);
    setDirty(true);
}

void PushButton::setDefault(bool state) {
    default_ = state;
    setDirty(true);
}

void PushButton::activate() {
    if (!isEnabled()) {
        return;
    }
    notify(1.0f);
    // The listener may have closed the dialog; the button itself still exists (views stay).
    setValue(0.0f);
}

void PushButton::draw(CDrawContext& context) {
    const CRect face = inset(getViewSize(), kRingMargin);
    const bool pressed = pressed_ && tracking_;
    if (default_ && isEnabled()) {
        theme::fillRounded(context, face, theme::kCornerRadius, pressed ? theme::kAccentDark : theme::kAccent);
        theme::strokeRounded(context, face, theme::kCornerRadius, theme::kAccentDark);
        theme::drawText(context, title_, face, theme::kAccentText, CHoriTxtAlign::kCenterText);
    } else {
        theme::drawFace(context, face, pressed, isHovered(), isEnabled());
        theme::drawText(context, title_, face, isEnabled() ? theme::kText : theme::kDisabledText,
                        CHoriTxtAlign::kCenterText);
    }
    if (hasFocus()) {
        theme::drawFocusRing(context, face);
    }
}

CMouseEventResult PushButton::onMouseDown(CPoint& /*where*/, const CButtonState& buttons) {
    if (!isEnabled() || !isLeftClick(buttons)) {
        return CMouseEventResult::kMouseEventNotHandled;
    }
    takeFocus();
    tracking_ = true;
    pressed_ = true;
    invalid();
    return CMouseEventResult::kMouseEventHandled;
}

CMouseEventResult PushButton::onMouseMoved(CPoint& where, const CButtonState& /*buttons*/) {
    if (tracking_ && pressed_ != getViewSize().pointInside(where)) {
        pressed_ = !pressed_;
        invalid();
    }
    return CMouseEventResult::kMouseEventHandled;
}

CMouseEventResult PushButton::onMouseUp(CPoint& where, const CButtonState& /*buttons*/) {
    const bool clicked = tracking_ && getViewSize().pointInside(where);
    tracking_ = false;
    pressed_ = false;
    invalid();
    if (clicked) {
        activate();
    }
    return CMouseEventResult::kMouseEventHandled;
}

bool PushButton::focusedKeyDown(const VstKeyCode& key) {
    if (key.virt == kVirtKeySpace) {
        activate();
        return true;
    }
    return false;
}

// --- CheckBox

CheckBox::CheckBox(const CRect& size, CControlListener* listener, std::int32_t tag, std::string title)
    : DialogControl(size, listener, tag), title_(std::move(title)) {}

void CheckBox::setChecked(bool state) {
    setValue(state ? 1.0f : 0.0f);
}

void CheckBox::draw(CDrawContext& context) {
    const CRect box = indicatorRect(getViewSize());
    cairo_t* cr = context.cairo();
    if (isChecked() && isEnabled()) {
        theme::fillRounded(context, box, theme::kCornerRadius, theme::kAccent);
        theme::strokeRounded(context, box, theme::kCornerRadius, theme::kAccentDark);
        // The tick, from the lower left up to the right.
        cairo_new_path(cr);
        cairo_move_to(cr, box.left + 3.5, box.top + 7.5);
        cairo_line_to(cr, box.left + 6.0, box.top + 10.0);
        cairo_line_to(cr, box.left + 10.5, box.top + 4.0);
        cairo_set_source_rgb(cr, 1.0, 1.0, 1.0);
        cairo_set_line_width(cr, 2.0);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_stroke(cr);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
    } else {
        theme::fillRounded(context, box, theme::kCornerRadius, isEnabled() ? theme::kFieldBackground : theme::kWindow);
        theme::strokeRounded(context, box, theme::kCornerRadius,
                             !isEnabled()  ? theme::kGroupLine
                             : isHovered() ? theme::kBorderHover
                                           : theme::kBorder);
        if (isChecked()) {
            theme::drawText(context, "x", box, theme::kDisabledText, CHoriTxtAlign::kCenterText);
        }
    }
    theme::drawText(context, title_, indicatorLabelRect(getViewSize()),
                    isEnabled() ? theme::kText : theme::kDisabledText);
    if (hasFocus()) {
        theme::drawFocusRing(context, box);
    }
}

CMouseEventResult CheckBox::onMouseDown(CPoint& /*where*/, const CButtonState& buttons) {
    if (!isEnabled() || !isLeftClick(buttons)) {
        return CMouseEventResult::kMouseEventNotHandled;
    }
    takeFocus();
    tracking_ = true;
    return CMouseEventResult::kMouseEventHandled;
}

CMouseEventResult CheckBox::onMouseUp(CPoint& where, const CButtonState& /*buttons*/) {
    if (tracking_ && getViewSize().pointInside(where)) {
        notify(isChecked() ? 0.0f : 1.0f);
    }
    tracking_ = false;
    return CMouseEventResult::kMouseEventHandled;
}

bool CheckBox::focusedKeyDown(const VstKeyCode& key) {
    if (key.virt == kVirtKeySpace) {
        notify(isChecked() ? 0.0f : 1.0f);
        return true;
    }
    return false;
}

// --- RadioGroup and RadioButton

void RadioGroup::select(RadioButton* button) {
    for (RadioButton* member : buttons_) {
        const float value = member == button ? 1.0f : 0.0f;
        if (member->getValue() != value) {
            member->setValue(value);
            member->invalid();
        }
    }
}

RadioButton* RadioGroup::selected() const {
    for (RadioButton* member : buttons_) {
        if (member->isSelected()) {
            return member;
        }
    }
    return nullptr;
}

RadioButton::RadioButton(const CRect& size, CControlListener* listener, std::int32_t tag, std::string title,
                         std::shared_ptr<RadioGroup> group)
    : DialogControl(size, listener, tag), title_(std::move(title)), group_(std::move(group)) {
    group_->add(this);
}

void RadioButton::setSelected(bool state) {
    if (state) {
        group_->select(this);
    } else if (isSelected()) {
        group_->select(nullptr);
    }
}

void RadioButton::choose() {
    group_->select(this);
    notify(1.0f);
}

void RadioButton::draw(CDrawContext& context) {
    const CRect box = indicatorRect(getViewSize());
    const bool on = isSelected();
    if (on && isEnabled()) {
        context.setFillColor(theme::kAccent);
        context.setFrameColor(theme::kAccentDark);
        context.drawEllipse(box, CDrawStyle::kDrawFilledAndStroked);
        CRect dot = inset(box, 4);
        context.setFillColor(theme::kFieldBackground);
        context.drawEllipse(dot, CDrawStyle::kDrawFilled);
    } else {
        context.setFillColor(isEnabled() ? theme::kFieldBackground : theme::kWindow);
        context.setFrameColor(!isEnabled() ? theme::kGroupLine : isHovered() ? theme::kBorderHover : theme::kBorder);
        context.drawEllipse(box, CDrawStyle::kDrawFilledAndStroked);
        if (on) {
            context.setFillColor(theme::kDisabledText);
            context.drawEllipse(inset(box, 4), CDrawStyle::kDrawFilled);
        }
    }
    theme::drawText(context, title_, indicatorLabelRect(getViewSize()),
                    isEnabled() ? theme::kText : theme::kDisabledText);
    if (hasFocus()) {
        theme::drawFocusRing(context, box, kBoxSize / 2.0);
    }
}

CMouseEventResult RadioButton::onMouseDown(CPoint& /*where*/, const CButtonState& buttons) {
    if (!isEnabled() || !isLeftClick(buttons)) {
        return CMouseEventResult::kMouseEventNotHandled;
    }
    takeFocus();
    tracking_ = true;
    return CMouseEventResult::kMouseEventHandled;
}

CMouseEventResult RadioButton::onMouseUp(CPoint& where, const CButtonState& /*buttons*/) {
    if (tracking_ && getViewSize().pointInside(where)) {
        choose();
    }
    tracking_ = false;
    return CMouseEventResult::kMouseEventHandled;
}

bool RadioButton::focusedKeyDown(const VstKeyCode& key) {
    if (key.virt == kVirtKeySpace) {
        choose();
        return true;
    }
    int step = 0;
    if (key.virt == kVirtKeyDown || key.virt == kVirtKeyRight) {
        step = 1;
    } else if (key.virt == kVirtKeyUp || key.virt == kVirtKeyLeft) {
        step = -1;
    }
    if (step == 0) {
        return false;
    }
    // The next enabled button of the group, wrapping around, takes the focus and is chosen.
    const std::vector<RadioButton*>& members = group_->buttons();
    const auto self = std::find(members.begin(), members.end(), this);
    const int count = static_cast<int>(members.size());
    int index = static_cast<int>(self - members.begin());
    for (int tried = 1; tried < count; ++tried) {
        index = (index + step + count) % count;
        RadioButton* next = members[static_cast<std::size_t>(index)];
        if (next->acceptsFocus()) {
            if (DialogFrame* frame = dialogFrameOf(*this)) {
                frame->setFocus(next);
            }
            next->choose();
            break;
        }
    }
    return true;
}

}  // namespace vexo

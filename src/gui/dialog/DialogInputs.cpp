// The slider, the edit field, the drop-down list and the number with up-down arrows.
#include <cairo.h>

#include <algorithm>
#include <cmath>

#include "gui/Frame.h"
#include "gui/dialog/DialogTheme.h"
#include "gui/dialog/DialogWidgets.h"

namespace vexo {

namespace {

constexpr int kRingMargin = 2;
constexpr int kTrackHeight = 4;
constexpr int kDropArrowWidth = 22;

CRect inset(const CRect& rect, int by) {
    return CRect(rect.left + by, rect.top + by, rect.right - by, rect.bottom - by);
}

bool isLeftClick(CButtonState buttons) {
    return (buttons & kLButton) != 0;
}

// The value a wheel turn moves by: at least one step either way.
int wheelSteps(float distance) {
    const int steps = static_cast<int>(std::lround(distance));
    return steps != 0 ? steps : (distance > 0.0f ? 1 : -1);
}

}  // namespace

// --- Slider

Slider::Slider(const CRect& size, CControlListener* listener, std::int32_t tag, int minimum, int maximum)
    : DialogControl(size, listener, tag), minimum_(minimum), maximum_(std::max(maximum, minimum)) {
    setMin(static_cast<float>(minimum_));
    setMax(static_cast<float>(maximum_));
    setValue(static_cast<float>(minimum_));
}

void Slider::setPosition(int position) {
    setValue(static_cast<float>(std::clamp(position, minimum_, maximum_)));
}

int Slider::thumbCentre() const {
    const CRect& size = getViewSize();
    const int from = size.left + kRingMargin + kThumbDiameter / 2;
    const int to = size.right - kRingMargin - kThumbDiameter / 2;
    const int span = std::max(maximum_ - minimum_, 1);
    return from + static_cast<int>(std::lround(static_cast<double>(position() - minimum_) * (to - from) / span));
}

int Slider::positionAt(int x) const {
    const CRect& size = getViewSize();
    const int from = size.left + kRingMargin + kThumbDiameter / 2;
    const int to = size.right - kRingMargin - kThumbDiameter / 2;
    if (to <= from) {
        return minimum_;
    }
    const double fraction = std::clamp(static_cast<double>(x - from) / (to - from), 0.0, 1.0);
    return minimum_ + static_cast<int>(std::lround(fraction * (maximum_ - minimum_)));
}

void Slider::moveTo(int position) {
    position = std::clamp(position, minimum_, maximum_);
    if (position != this->position()) {
        notify(static_cast<float>(position));
    }
}

void Slider::showDragTooltip() {
    DialogFrame* frame = dialogFrameOf(*this);
    if (frame == nullptr) {
        return;
    }
    const std::string text = frame->tooltipOf(this);
    const std::string number = std::to_string(position());
    frame->showTooltip(*this, text.empty() ? number : text + ": " + number);
}

void Slider::draw(CDrawContext& context) {
    const CRect& size = getViewSize();
    const int centreY = size.top + size.height() / 2;
    const int from = size.left + kRingMargin + kThumbDiameter / 2;
    const int to = size.right - kRingMargin - kThumbDiameter / 2;
    const int thumbX = thumbCentre();
    const CRect track(from - 2, centreY - kTrackHeight / 2, to + 2, centreY + kTrackHeight / 2);
    theme::fillRounded(context, track, kTrackHeight / 2.0, theme::kTrack);
    if (isEnabled()) {
        theme::fillRounded(context, CRect(track.left, track.top, thumbX, track.bottom), kTrackHeight / 2.0,
                           theme::kAccent);
    }
    const CRect thumb =
        CRect::fromSize(thumbX - kThumbDiameter / 2, centreY - kThumbDiameter / 2, kThumbDiameter, kThumbDiameter);
    context.setFillColor(dragging_ ? theme::kFacePressed : theme::kFieldBackground);
    context.setFrameColor(!isEnabled()               ? theme::kGroupLine
                          : isHovered() || dragging_ ? theme::kBorderHover
                                                     : theme::kBorder);
    context.drawEllipse(thumb, CDrawStyle::kDrawFilledAndStroked);
    if (hasFocus()) {
        theme::drawFocusRing(context, thumb, kThumbDiameter / 2.0);
    }
}

CMouseEventResult Slider::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (!isEnabled() || !isLeftClick(buttons)) {
        return CMouseEventResult::kMouseEventNotHandled;
    }
    takeFocus();
    const int centre = thumbCentre();
    if (std::abs(where.x - centre) <= kThumbDiameter / 2) {
        grabOffset_ = where.x - centre;
    } else {
        grabOffset_ = 0;
        moveTo(positionAt(where.x));
    }
    dragging_ = true;
    invalid();
    showDragTooltip();
    return CMouseEventResult::kMouseEventHandled;
}

CMouseEventResult Slider::onMouseMoved(CPoint& where, const CButtonState& /*buttons*/) {
    if (dragging_) {
        moveTo(positionAt(where.x - grabOffset_));
        showDragTooltip();
    }
    return CMouseEventResult::kMouseEventHandled;
}

CMouseEventResult Slider::onMouseUp(CPoint& /*where*/, const CButtonState& /*buttons*/) {
    dragging_ = false;
    invalid();
    if (DialogFrame* frame = dialogFrameOf(*this)) {
        frame->hideTooltip();
    }
    return CMouseEventResult::kMouseEventHandled;
}

bool Slider::onWheel(const CPoint& /*where*/, float distance, const CButtonState& /*buttons*/) {
    if (!isEnabled()) {
        return false;
    }
    moveTo(position() + wheelSteps(distance));
    return true;
}

bool Slider::focusedKeyDown(const VstKeyCode& key) {
    const int page = std::max((maximum_ - minimum_) / 10, 1);
    switch (key.virt) {
        case kVirtKeyLeft:
        case kVirtKeyDown:
            moveTo(position() - 1);
            return true;
        case kVirtKeyRight:
        case kVirtKeyUp:
            moveTo(position() + 1);
            return true;
        case kVirtKeyPageDown:
            moveTo(position() - page);
            return true;
        case kVirtKeyPageUp:
            moveTo(position() + page);
            return true;
        case kVirtKeyHome:
            moveTo(minimum_);
            return true;
        case kVirtKeyEnd:
            moveTo(maximum_);
            return true;
        default:
            return false;
    }
}

// --- EditField

EditField::EditField(const CRect& size, CControlListener* listener, std::int32_t tag, bool numeric,
                     std::size_t maxLength)
    : DialogControl(size, listener, tag), numeric_(numeric), maxLength_(maxLength) {}

void EditField::setText(const std::string& text) {
    if (text == text_) {
        return;
    }
    text_ = text.substr(0, maxLength_);
    caret_ = anchor_ = text_.size();
    keepCaretVisible();
    setDirty(true);
}

void EditField::selectAll() {
    anchor_ = 0;
    caret_ = text_.size();
    keepCaretVisible();
    invalid();
}

bool EditField::accepts(char c) const {
    if (numeric_) {
        return (c >= '0' && c <= '9') || c == '-';
    }
    return static_cast<unsigned char>(c) >= 0x20 && c != 0x7f;
}

void EditField::replaceSelection(const std::string& inserted) {
    const std::size_t from = std::min(anchor_, caret_);
    const std::size_t to = std::max(anchor_, caret_);
    std::string changed = text_.substr(0, from) + inserted + text_.substr(to);
    if (changed.size() > maxLength_) {
        return;
    }
    const bool differs = changed != text_;
    text_ = std::move(changed);
    caret_ = anchor_ = from + inserted.size();
    keepCaretVisible();
    invalid();
    if (differs) {
        valueChanged();
    }
}

std::size_t EditField::caretAt(int x) const {
    const int textX = getViewSize().left + kRingMargin + kPadding - scroll_;
    std::size_t best = 0;
    double bestDistance = std::abs(x - textX);
    for (std::size_t i = 1; i <= text_.size(); ++i) {
        const double distance = std::abs(x - (textX + theme::textWidth(text_.substr(0, i))));
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

void EditField::keepCaretVisible() {
    const int visible = getViewSize().width() - 2 * (kRingMargin + kPadding);
    const int caretX = static_cast<int>(std::ceil(theme::textWidth(text_.substr(0, caret_))));
    const int fullWidth = static_cast<int>(std::ceil(theme::textWidth(text_)));
    if (fullWidth <= visible) {
        scroll_ = 0;
    } else if (caretX - scroll_ > visible) {
        scroll_ = caretX - visible;
    } else if (caretX < scroll_) {
        scroll_ = caretX;
    }
}

void EditField::draw(CDrawContext& context) {
    const CRect field = inset(getViewSize(), kRingMargin);
    theme::drawField(context, field, isEnabled());
    const CRect inner(field.left + kPadding - 1, field.top + 1, field.right - kPadding + 1, field.bottom - 1);
    context.pushClip(inner);
    const int textX = field.left + kPadding - scroll_;
    const bool focused = hasFocus();
    context.setFont(theme::kFontHeight);
    if (focused && hasSelection()) {
        const std::size_t from = std::min(anchor_, caret_);
        const std::size_t to = std::max(anchor_, caret_);
        const int left = textX + static_cast<int>(std::lround(context.stringWidth(text_.substr(0, from))));
        const int right = textX + static_cast<int>(std::lround(context.stringWidth(text_.substr(0, to))));
        context.setFillColor(theme::kSelectionInactive);
        context.drawRect(CRect(left, field.top + 4, right, field.bottom - 4), CDrawStyle::kDrawFilled);
    }
    theme::drawText(context, text_, CRect(textX, field.top, field.right + 4096, field.bottom),
                    isEnabled() ? theme::kText : theme::kDisabledText);
    if (focused) {
        const int x = textX + static_cast<int>(std::lround(context.stringWidth(text_.substr(0, caret_))));
        context.setFrameColor(theme::kText);
        context.setLineWidth(1.0);
        context.drawLine(CPoint(x, field.top + 5), CPoint(x, field.bottom - 6));
    }
    context.popClip();
    if (focused) {
        theme::drawFocusRing(context, field, 2.0);
    }
}

CMouseEventResult EditField::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (!isEnabled() || !isLeftClick(buttons)) {
        return CMouseEventResult::kMouseEventNotHandled;
    }
    takeFocus();
    if ((buttons & kDoubleClick) != 0) {
        selectAll();
        return CMouseEventResult::kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    }
    caret_ = caretAt(where.x);
    if ((buttons & kShift) == 0) {
        anchor_ = caret_;
    }
    selecting_ = true;
    invalid();
    return CMouseEventResult::kMouseEventHandled;
}

CMouseEventResult EditField::onMouseMoved(CPoint& where, const CButtonState& /*buttons*/) {
    if (selecting_) {
        const std::size_t caret = caretAt(where.x);
        if (caret != caret_) {
            caret_ = caret;
            keepCaretVisible();
            invalid();
        }
    }
    return CMouseEventResult::kMouseEventHandled;
}

CMouseEventResult EditField::onMouseUp(CPoint& /*where*/, const CButtonState& /*buttons*/) {
    selecting_ = false;
    return CMouseEventResult::kMouseEventHandled;
}

bool EditField::focusedKeyDown(const VstKeyCode& key) {
    const bool control = (key.modifier & kControl) != 0;
    const bool shift = (key.modifier & kShift) != 0;
    if (key.character != 0 && !control && (key.modifier & kAlt) == 0) {
        const char c = static_cast<char>(key.character);
        if (accepts(c)) {
            replaceSelection(std::string(1, c));
        }
        return true;  // refused characters are swallowed too
    }
    if (control && (key.character == 'a' || key.character == 'A')) {
        selectAll();
        return true;
    }
    const auto moveCaret = [&](std::size_t to) {
        caret_ = std::min(to, text_.size());
        if (!shift) {
            anchor_ = caret_;
        }
        keepCaretVisible();
        invalid();
    };
    switch (key.virt) {
        case kVirtKeyBack:
            if (!hasSelection() && caret_ > 0) {
                anchor_ = caret_ - 1;
            }
            replaceSelection("");
            return true;
        case kVirtKeyDelete:
            if (!hasSelection() && caret_ < text_.size()) {
                anchor_ = caret_ + 1;
            }
            replaceSelection("");
            return true;
        case kVirtKeyLeft:
            moveCaret(!shift && hasSelection() ? std::min(anchor_, caret_) : (caret_ > 0 ? caret_ - 1 : 0));
            return true;
        case kVirtKeyRight:
            moveCaret(!shift && hasSelection() ? std::max(anchor_, caret_) : caret_ + 1);
            return true;
        case kVirtKeyHome:
            moveCaret(0);
            return true;
        case kVirtKeyEnd:
            moveCaret(text_.size());
            return true;
        default:
            return false;
    }
}

void EditField::focusChanged(bool focused) {
    if (focused) {
        selectAll();
    } else {
        anchor_ = caret_;
    }
    invalid();
}

// --- DropDownList

DropDownList::DropDownList(const CRect& size, CControlListener* listener, std::int32_t tag)
    : COptionMenu(size, listener, tag) {}

void DropDownList::setEnabled(bool enabled) {
    enabled_ = enabled;
    setDirty(true);
}

void DropDownList::focusChanged(bool /*focused*/) {
    invalid();
}

void DropDownList::openList() {
    for (int i = 0; i < getNbEntries(); ++i) {
        checkEntry(i, i == getCurrent());
    }
    popup();
}

void DropDownList::draw(CDrawContext& context) {
    const CRect face = inset(getViewSize(), kRingMargin);
    const DialogFrame* frame = dialogFrameOf(*this);
    const bool hovered = frame != nullptr && frame->hoveredView() == this;
    const bool open = frame != nullptr && frame->openPopup() != nullptr && frame->openPopup()->showsMenu(this);
    theme::drawFace(context, face, open, hovered, enabled_);
    const CRect text(face.left + 8, face.top, face.right - kDropArrowWidth, face.bottom);
    theme::drawText(context, getEntry(getCurrent()), text, enabled_ ? theme::kText : theme::kDisabledText);
    theme::drawChevron(context, CRect(face.right - kDropArrowWidth, face.top, face.right - 4, face.bottom), false,
                       enabled_ ? theme::kText : theme::kDisabledText);
    if (frame != nullptr && frame->focusedView() == this) {
        theme::drawFocusRing(context, face);
    }
}

CMouseEventResult DropDownList::onMouseDown(CPoint& /*where*/, const CButtonState& buttons) {
    if (!enabled_ || !isLeftClick(buttons)) {
        return CMouseEventResult::kMouseEventNotHandled;
    }
    if (DialogFrame* frame = dialogFrameOf(*this)) {
        frame->setFocus(this);
    }
    openList();
    invalid();
    return CMouseEventResult::kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

bool DropDownList::focusedKeyDown(const VstKeyCode& key) {
    const int last = getNbEntries() - 1;
    int target = -1;
    switch (key.virt) {
        case kVirtKeyUp:
            target = std::max(getCurrent() - 1, 0);
            break;
        case kVirtKeyDown:
            if ((key.modifier & kAlt) != 0) {
                openList();
                return true;
            }
            target = std::min(getCurrent() + 1, last);
            break;
        case kVirtKeyHome:
            target = 0;
            break;
        case kVirtKeyEnd:
            target = last;
            break;
        case kVirtKeySpace:
            openList();
            return true;
        default:
            return false;
    }
    if (target >= 0 && target != getCurrent()) {
        choose(target);
        invalid();
    }
    return true;
}

// --- UpDownNumber

UpDownNumber::UpDownNumber(const CRect& size, CControlListener* listener, std::int32_t tag, int minimum, int maximum)
    : DialogControl(size, listener, tag), minimum_(minimum), maximum_(std::max(maximum, minimum)) {
    setValue(static_cast<float>(minimum_));
}

void UpDownNumber::setNumber(int number) {
    setValue(static_cast<float>(std::clamp(number, minimum_, maximum_)));
}

void UpDownNumber::step(int delta) {
    const int next = std::clamp(number() + delta, minimum_, maximum_);
    if (next != number()) {
        notify(static_cast<float>(next));
    }
}

CRect UpDownNumber::arrowRect(bool up) const {
    const CRect face = inset(getViewSize(), kRingMargin);
    const int middle = face.top + face.height() / 2;
    return up ? CRect(face.right - kArrowWidth, face.top, face.right, middle)
              : CRect(face.right - kArrowWidth, middle, face.right, face.bottom);
}

void UpDownNumber::draw(CDrawContext& context) {
    const CRect face = inset(getViewSize(), kRingMargin);
    const CRect field(face.left, face.top, face.right - kArrowWidth + 1, face.bottom);
    theme::drawField(context, field, isEnabled());
    theme::drawText(context, std::to_string(number()), CRect(field.left + 4, field.top, field.right - 6, field.bottom),
                    isEnabled() ? theme::kText : theme::kDisabledText, CHoriTxtAlign::kRightText);
    for (const bool up : {true, false}) {
        const CRect arrow = arrowRect(up);
        const bool atEnd = up ? number() >= maximum_ : number() <= minimum_;
        theme::drawFace(context, arrow, pressedArrow_ == (up ? 1 : -1), false, isEnabled());
        theme::drawChevron(context, arrow, up, isEnabled() && !atEnd ? theme::kText : theme::kDisabledText);
    }
    if (hasFocus()) {
        theme::drawFocusRing(context, field, 2.0);
    }
}

CMouseEventResult UpDownNumber::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (!isEnabled() || !isLeftClick(buttons)) {
        return CMouseEventResult::kMouseEventNotHandled;
    }
    takeFocus();
    for (const bool up : {true, false}) {
        if (arrowRect(up).pointInside(where)) {
            pressedArrow_ = up ? 1 : -1;
            invalid();
            step(pressedArrow_);
        }
    }
    return CMouseEventResult::kMouseEventHandled;
}

CMouseEventResult UpDownNumber::onMouseUp(CPoint& /*where*/, const CButtonState& /*buttons*/) {
    pressedArrow_ = 0;
    invalid();
    return CMouseEventResult::kMouseEventHandled;
}

bool UpDownNumber::onWheel(const CPoint& /*where*/, float distance, const CButtonState& /*buttons*/) {
    if (!isEnabled()) {
        return false;
    }
    step(wheelSteps(distance));
    return true;
}

bool UpDownNumber::focusedKeyDown(const VstKeyCode& key) {
    if (key.virt == kVirtKeyUp) {
        step(1);
        return true;
    }
    if (key.virt == kVirtKeyDown) {
        step(-1);
        return true;
    }
    return false;
}

}  // namespace vexo

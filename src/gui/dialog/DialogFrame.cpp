#include "gui/dialog/DialogFrame.h"

#include <algorithm>
#include <cmath>

#include "gui/dialog/DialogTheme.h"
#include "gui/dialog/DialogWidgets.h"

namespace vexo {

namespace {

constexpr int kTooltipGap = 4;

}  // namespace

DialogFrame::DialogFrame(const CRect& size) : CFrame(size, nullptr) {
    setBackgroundColor(theme::kWindow);
}

DialogFrame::~DialogFrame() = default;

void DialogFrame::pointerDown(CPoint where, CButtonState buttons) {
    if (!inputEnabled_) {
        return;
    }
    hideTooltip();
    updateHover(where);
    hoverRestarted_ = true;
    const bool popupWasOpen = openPopup() != nullptr;
    handleMouseDown(where, buttons);
    repaintAfterPopup(popupWasOpen);
}

void DialogFrame::pointerMoved(CPoint where, CButtonState buttons) {
    if (!inputEnabled_) {
        return;
    }
    updateHover(where);
    handleMouseMoved(where, buttons);
}

void DialogFrame::pointerUp(CPoint where, CButtonState buttons) {
    // A drag that began before the input went off still ends.
    if (!inputEnabled_ && mouseCapture() == nullptr) {
        return;
    }
    const bool popupWasOpen = openPopup() != nullptr;
    handleMouseUp(where, buttons);
    repaintAfterPopup(popupWasOpen);
    updateHover(where);
    hoverRestarted_ = true;
}

void DialogFrame::pointerLeft() {
    if (mouseCapture() == nullptr) {
        updateHover(CPoint(-1, -1));
    }
}

void DialogFrame::wheel(CPoint where, float distance, CButtonState buttons) {
    if (inputEnabled_) {
        handleWheel(where, distance, buttons);
    }
}

bool DialogFrame::keyDown(VstKeyCode key) {
    if (!inputEnabled_) {
        return true;
    }
    if (openPopup() != nullptr) {
        handleKeyDown(key);
        repaintAfterPopup(true);
        return true;
    }
    hideTooltip();
    if (auto* focusable = dynamic_cast<Focusable*>(focused_)) {
        if (focusable->focusedKeyDown(key)) {
            return true;
        }
    }
    switch (key.virt) {
        case kVirtKeyTab:
            focusNext((key.modifier & kShift) != 0);
            return true;
        case kVirtKeyReturn: {
            auto* button = dynamic_cast<PushButton*>(focused_);
            if (button == nullptr || !button->isEnabled()) {
                button = default_;
            }
            if (button != nullptr && button->isEnabled() && button->isVisible()) {
                button->activate();
            }
            return true;
        }
        case kVirtKeyEscape:
            cancel();
            return true;
        default:
            return false;
    }
}

void DialogFrame::repaintAfterPopup(bool popupWasOpen) {
    if (popupWasOpen && openPopup() == nullptr) {
        // The drop-down list that opened it drew itself open.
        invalidRect(getViewSize());
    }
}

void DialogFrame::setFocus(CView* view) {
    auto* focusable = dynamic_cast<Focusable*>(view);
    if (view != nullptr && (focusable == nullptr || !focusable->acceptsFocus())) {
        return;
    }
    if (view == focused_) {
        return;
    }
    CView* previous = focused_;
    focused_ = view;
    if (auto* old = dynamic_cast<Focusable*>(previous)) {
        old->focusChanged(false);
    }
    if (focusable != nullptr) {
        focusable->focusChanged(true);
    }
}

Focusable* DialogFrame::focusableAt(int index) const {
    auto* focusable = dynamic_cast<Focusable*>(getView(index));
    return focusable != nullptr && focusable->acceptsFocus() ? focusable : nullptr;
}

void DialogFrame::focusNext(bool backwards) {
    const int count = getNbViews();
    int current = -1;
    for (int i = 0; i < count; ++i) {
        if (getView(i) == focused_) {
            current = i;
        }
    }
    const int step = backwards ? count - 1 : 1;
    int index = current >= 0 ? current : (backwards ? 0 : count - 1);
    for (int tried = 0; tried < count; ++tried) {
        index = (index + step) % count;
        if (focusableAt(index) != nullptr) {
            setFocus(getView(index));
            return;
        }
    }
}

void DialogFrame::cancel() {
    if (inputEnabled_ && cancel_ != nullptr && cancel_->isEnabled()) {
        cancel_->activate();
    }
}

void DialogFrame::updateHover(const CPoint& where) {
    CView* view = getViewSize().pointInside(where) ? findViewAt(where) : nullptr;
    if (view == tooltip_) {
        view = nullptr;
    }
    if (view == hovered_) {
        return;
    }
    if (hovered_ != nullptr) {
        hovered_->invalid();
    }
    hovered_ = view;
    if (hovered_ != nullptr) {
        hovered_->invalid();
    }
    hoverRestarted_ = true;
    if (!tooltipFromDrag_) {
        hideTooltip();
    }
}

void DialogFrame::setTooltip(const CView* view, std::string text) {
    tooltips_[view] = std::move(text);
}

std::string DialogFrame::tooltipOf(const CView* view) const {
    const auto found = tooltips_.find(view);
    return found != tooltips_.end() ? found->second : std::string();
}

void DialogFrame::showTooltip(const CView& owner, const std::string& text) {
    if (tooltip_ == nullptr) {
        // Added on first use, after every widget: drawn above them all.
        tooltip_ = new TooltipView(CRect());
        addView(tooltip_);
    }
    const CRect frame = getViewSize();
    const CRect anchor = owner.getViewSize();
    const int width =
        std::min(static_cast<int>(std::ceil(theme::textWidth(text))) + 2 * TooltipView::kPadding, frame.width() - 4);
    const int height = TooltipView::kHeight;
    int left = std::clamp(anchor.left, 2, std::max(2, frame.right - width - 2));
    int top = anchor.bottom + kTooltipGap;
    if (top + height > frame.bottom - 2) {
        top = anchor.top - kTooltipGap - height;
    }
    tooltip_->invalid();
    tooltip_->setText(text);
    tooltip_->setViewSize(CRect::fromSize(left, top, width, height));
    tooltip_->setVisible(true);
    tooltip_->invalid();
    tooltipOwner_ = &owner;
    tooltipFromDrag_ = mouseCapture() == &owner;
}

void DialogFrame::hideTooltip() {
    if (tooltip_ != nullptr && tooltip_->isVisible()) {
        tooltip_->setVisible(false);
    }
    tooltipOwner_ = nullptr;
    tooltipFromDrag_ = false;
}

std::string DialogFrame::visibleTooltip() const {
    return tooltip_ != nullptr && tooltip_->isVisible() ? tooltip_->text() : std::string();
}

void DialogFrame::tick(std::uint32_t nowMs) {
    if (hoverRestarted_) {
        hoverRestarted_ = false;
        hoverStartMs_ = nowMs;
        return;
    }
    if (hovered_ == nullptr || tooltipOwner_ == hovered_ || mouseCapture() != nullptr || openPopup() != nullptr ||
        nowMs - hoverStartMs_ < kTooltipDelayMs) {
        return;
    }
    if (const std::string text = tooltipOf(hovered_); !text.empty()) {
        showTooltip(*hovered_, text);
    }
}

DialogFrame* dialogFrameOf(const CView& view) {
    return dynamic_cast<DialogFrame*>(view.getFrame());
}

}  // namespace vexo

// The scroll bar and the list, group boxes, labels and the tooltip box.
#include <cairo.h>

#include <algorithm>
#include <cmath>

#include "gui/dialog/DialogTheme.h"
#include "gui/dialog/DialogWidgets.h"

namespace vexo {

namespace {

constexpr int kRingMargin = 2;
constexpr int kMinThumbLength = 18;
constexpr int kWheelRows = 3;
constexpr int kIconColumn = 24;
constexpr CColor kFolderColor{226, 178, 72, 255};
constexpr CColor kFolderEdge{176, 130, 40, 255};

CRect inset(const CRect& rect, int by) {
    return CRect(rect.left + by, rect.top + by, rect.right - by, rect.bottom - by);
}

void setSource(cairo_t* cr, const CColor& color) {
    cairo_set_source_rgba(cr, color.red / 255.0, color.green / 255.0, color.blue / 255.0, color.alpha / 255.0);
}

// A folder: a tab on the left of a wider body, 14 x 11 pixels from left, top.
void drawFolderIcon(cairo_t* cr, double left, double top) {
    cairo_new_path(cr);
    cairo_move_to(cr, left + 0.5, top + 1.5);
    cairo_line_to(cr, left + 5.5, top + 1.5);
    cairo_line_to(cr, left + 7.0, top + 3.0);
    cairo_line_to(cr, left + 13.5, top + 3.0);
    cairo_line_to(cr, left + 13.5, top + 11.5);
    cairo_line_to(cr, left + 0.5, top + 11.5);
    cairo_close_path(cr);
    setSource(cr, kFolderColor);
    cairo_fill_preserve(cr);
    setSource(cr, kFolderEdge);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
}

// A page with a folded corner, 11 x 13 pixels from left, top.
void drawFileIcon(cairo_t* cr, double left, double top, const CColor& edge) {
    cairo_new_path(cr);
    cairo_move_to(cr, left + 0.5, top + 0.5);
    cairo_line_to(cr, left + 7.5, top + 0.5);
    cairo_line_to(cr, left + 10.5, top + 3.5);
    cairo_line_to(cr, left + 10.5, top + 12.5);
    cairo_line_to(cr, left + 0.5, top + 12.5);
    cairo_close_path(cr);
    cairo_set_source_rgb(cr, 1.0, 1.0, 1.0);
    cairo_fill_preserve(cr);
    setSource(cr, edge);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    cairo_move_to(cr, left + 7.5, top + 0.5);
    cairo_line_to(cr, left + 7.5, top + 3.5);
    cairo_line_to(cr, left + 10.5, top + 3.5);
    cairo_stroke(cr);
}

}  // namespace

// --- ScrollBar

ScrollBar::ScrollBar(const CRect& size, CControlListener* listener, std::int32_t tag)
    : DialogControl(size, listener, tag) {
    focusable_ = false;
}

int ScrollBar::maxPosition() const {
    return std::max(total_ - visible_, 0);
}

void ScrollBar::setRange(int total, int visible) {
    total_ = std::max(total, 0);
    visible_ = std::max(visible, 1);
    setPosition(position());
    setDirty(true);
}

void ScrollBar::setPosition(int position) {
    setValue(static_cast<float>(std::clamp(position, 0, maxPosition())));
}

void ScrollBar::userScroll(int position) {
    position = std::clamp(position, 0, maxPosition());
    if (position == this->position()) {
        return;
    }
    notify(static_cast<float>(position));
    if (handler_) {
        handler_(position);
    }
}

void ScrollBar::scrollBy(int rows) {
    userScroll(position() + rows);
}

CRect ScrollBar::trackRect() const {
    const CRect& size = getViewSize();
    return CRect(size.left, size.top + kWidth, size.right, size.bottom - kWidth);
}

CRect ScrollBar::thumbRect() const {
    const CRect track = trackRect();
    if (total_ <= visible_ || track.height() <= 0) {
        return {};
    }
    const int length = std::max(kMinThumbLength, track.height() * visible_ / total_);
    const int travel = track.height() - length;
    const int top = track.top + (maxPosition() > 0 ? travel * position() / maxPosition() : 0);
    return CRect(track.left + 3, top, track.right - 3, top + length);
}

void ScrollBar::draw(CDrawContext& context) {
    const CRect& size = getViewSize();
    context.setFillColor(theme::kWindow);
    context.drawRect(size, CDrawStyle::kDrawFilled);
    const bool active = isEnabled() && total_ > visible_;
    const CColor arrowColor = active ? theme::kText : theme::kDisabledText;
    theme::drawChevron(context, CRect(size.left, size.top, size.right, size.top + kWidth), true, arrowColor);
    theme::drawChevron(context, CRect(size.left, size.bottom - kWidth, size.right, size.bottom), false, arrowColor);
    const CRect thumb = thumbRect();
    if (active && !thumb.isEmpty()) {
        theme::fillRounded(context, thumb, thumb.width() / 2.0,
                           dragOffset_ >= 0 || isHovered() ? theme::kBorderHover : theme::kBorder);
    }
}

CMouseEventResult ScrollBar::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (!isEnabled() || (buttons & kLButton) == 0) {
        return CMouseEventResult::kMouseEventNotHandled;
    }
    const CRect& size = getViewSize();
    const CRect thumb = thumbRect();
    if (where.y < size.top + kWidth) {
        scrollBy(-1);
    } else if (where.y >= size.bottom - kWidth) {
        scrollBy(1);
    } else if (!thumb.isEmpty() && where.y >= thumb.top && where.y < thumb.bottom) {
        dragOffset_ = where.y - thumb.top;
        invalid();
    } else if (!thumb.isEmpty()) {
        scrollBy(where.y < thumb.top ? -visible_ : visible_);
    }
    return CMouseEventResult::kMouseEventHandled;
}

CMouseEventResult ScrollBar::onMouseMoved(CPoint& where, const CButtonState& /*buttons*/) {
    if (dragOffset_ < 0) {
        return CMouseEventResult::kMouseEventHandled;
    }
    const CRect track = trackRect();
    const int length = thumbRect().height();
    const int travel = track.height() - length;
    if (travel > 0) {
        const double fraction = std::clamp(static_cast<double>(where.y - dragOffset_ - track.top) / travel, 0.0, 1.0);
        userScroll(static_cast<int>(std::lround(fraction * maxPosition())));
    }
    return CMouseEventResult::kMouseEventHandled;
}

CMouseEventResult ScrollBar::onMouseUp(CPoint& /*where*/, const CButtonState& /*buttons*/) {
    dragOffset_ = -1;
    invalid();
    return CMouseEventResult::kMouseEventHandled;
}

bool ScrollBar::onWheel(const CPoint& /*where*/, float distance, const CButtonState& /*buttons*/) {
    scrollBy(distance > 0.0f ? -kWheelRows : kWheelRows);
    return true;
}

// --- ListBox

ListBox::ListBox(const CRect& size, CControlListener* listener, std::int32_t tag)
    : DialogControl(size, listener, tag) {}

void ListBox::setItems(std::vector<Item> items) {
    items_ = std::move(items);
    selected_.assign(items_.size(), false);
    caret_ = anchor_ = -1;
    top_ = 0;
    if (bar_ != nullptr) {
        bar_->setRange(static_cast<int>(items_.size()), visibleRows());
        bar_->setPosition(0);
    }
    setDirty(true);
}

std::vector<int> ListBox::selection() const {
    std::vector<int> rows;
    for (std::size_t i = 0; i < selected_.size(); ++i) {
        if (selected_[i]) {
            rows.push_back(static_cast<int>(i));
        }
    }
    return rows;
}

void ListBox::select(int row) {
    std::fill(selected_.begin(), selected_.end(), false);
    if (row >= 0 && row < static_cast<int>(items_.size())) {
        selected_[static_cast<std::size_t>(row)] = true;
        caret_ = anchor_ = row;
        scrollIntoView(row);
    } else {
        caret_ = anchor_ = -1;
    }
    setDirty(true);
}

void ListBox::setScrollBar(ScrollBar* bar) {
    bar_ = bar;
    if (bar_ == nullptr) {
        return;
    }
    const CRect field = inset(getViewSize(), kRingMargin);
    bar_->setViewSize(CRect(field.right - 1 - ScrollBar::kWidth, field.top + 1, field.right - 1, field.bottom - 1));
    bar_->setRange(static_cast<int>(items_.size()), visibleRows());
    bar_->setScrollHandler([this](int position) {
        top_ = position;
        invalid();
    });
}

int ListBox::visibleRows() const {
    return std::max((getViewSize().height() - 2 * kRingMargin - 2) / kItemHeight, 1);
}

int ListBox::rowAt(const CPoint& where) const {
    const CRect field = inset(getViewSize(), kRingMargin);
    if (!field.pointInside(where)) {
        return -1;
    }
    const int row = top_ + (where.y - field.top - 1) / kItemHeight;
    return row >= 0 && row < static_cast<int>(items_.size()) ? row : -1;
}

void ListBox::scrollTo(int top) {
    const int maxTop = std::max(static_cast<int>(items_.size()) - visibleRows(), 0);
    top = std::clamp(top, 0, maxTop);
    if (top == top_) {
        return;
    }
    top_ = top;
    if (bar_ != nullptr) {
        bar_->setPosition(top_);
        bar_->setDirty(true);
    }
    setDirty(true);
}

void ListBox::scrollIntoView(int row) {
    if (row < top_) {
        scrollTo(row);
    } else if (row >= top_ + visibleRows()) {
        scrollTo(row - visibleRows() + 1);
    }
}

void ListBox::clickRow(int row, CButtonState buttons) {
    if (multiple_ && (buttons & kControl) != 0) {
        const auto index = static_cast<std::size_t>(row);
        selected_[index] = !selected_[index];
        caret_ = anchor_ = row;
    } else if (multiple_ && (buttons & kShift) != 0 && anchor_ >= 0) {
        std::fill(selected_.begin(), selected_.end(), false);
        for (int i = std::min(anchor_, row); i <= std::max(anchor_, row); ++i) {
            selected_[static_cast<std::size_t>(i)] = true;
        }
        caret_ = row;
    } else {
        std::fill(selected_.begin(), selected_.end(), false);
        selected_[static_cast<std::size_t>(row)] = true;
        caret_ = anchor_ = row;
    }
    invalid();
    notify(static_cast<float>(row));
}

void ListBox::moveCaret(int row) {
    if (items_.empty()) {
        return;
    }
    row = std::clamp(row, 0, static_cast<int>(items_.size()) - 1);
    select(row);
    invalid();
    notify(static_cast<float>(row));
}

void ListBox::draw(CDrawContext& context) {
    const CRect field = inset(getViewSize(), kRingMargin);
    theme::drawField(context, field, isEnabled());
    const int right = field.right - 1 - (bar_ != nullptr ? ScrollBar::kWidth : 0);
    const CRect rows(field.left + 1, field.top + 1, right, field.bottom - 1);
    context.pushClip(rows);
    cairo_t* cr = context.cairo();
    const bool focused = hasFocus();
    for (int row = top_; row < static_cast<int>(items_.size()) && row < top_ + visibleRows() + 1; ++row) {
        const CRect line = CRect::fromSize(rows.left, rows.top + (row - top_) * kItemHeight, rows.width(), kItemHeight);
        const bool isSelected = selected_[static_cast<std::size_t>(row)];
        if (isSelected) {
            context.setFillColor(focused ? theme::kSelection : theme::kSelectionInactive);
            context.drawRect(line, CDrawStyle::kDrawFilled);
        }
        const Item& item = items_[static_cast<std::size_t>(row)];
        const double iconTop = line.top + (kItemHeight - 13) / 2.0;
        if (item.folder) {
            drawFolderIcon(cr, line.left + 6, iconTop);
        } else {
            drawFileIcon(cr, line.left + 7, iconTop, theme::kBorder);
        }
        theme::drawText(context, item.text, CRect(line.left + kIconColumn, line.top, line.right - 4, line.bottom),
                        isSelected && focused ? theme::kAccentText : theme::kText);
    }
    context.popClip();
    if (focused) {
        theme::drawFocusRing(context, field, 2.0);
    }
}

CMouseEventResult ListBox::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (!isEnabled() || (buttons & kLButton) == 0) {
        return CMouseEventResult::kMouseEventNotHandled;
    }
    takeFocus();
    const int row = rowAt(where);
    if (row >= 0) {
        clickRow(row, buttons);
        if ((buttons & kDoubleClick) != 0 && activate_) {
            activate_(row);
        }
    }
    return CMouseEventResult::kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

bool ListBox::onWheel(const CPoint& /*where*/, float distance, const CButtonState& /*buttons*/) {
    scrollTo(top_ + (distance > 0.0f ? -kWheelRows : kWheelRows));
    return true;
}

bool ListBox::focusedKeyDown(const VstKeyCode& key) {
    const int page = std::max(visibleRows() - 1, 1);
    switch (key.virt) {
        case kVirtKeyUp:
            moveCaret(caret_ < 0 ? 0 : caret_ - 1);
            return true;
        case kVirtKeyDown:
            moveCaret(caret_ + 1);
            return true;
        case kVirtKeyPageUp:
            moveCaret(caret_ - page);
            return true;
        case kVirtKeyPageDown:
            moveCaret(caret_ + page);
            return true;
        case kVirtKeyHome:
            moveCaret(0);
            return true;
        case kVirtKeyEnd:
            moveCaret(static_cast<int>(items_.size()) - 1);
            return true;
        default:
            return false;
    }
}

// --- GroupBox

GroupBox::GroupBox(const CRect& size, std::string title) : CView(size), title_(std::move(title)) {
    setMouseEnabled(false);
}

void GroupBox::draw(CDrawContext& context) {
    const CRect& size = getViewSize();
    constexpr int kTitleHeight = 16;
    constexpr int kTitleInset = 10;
    constexpr int kTitlePadding = 4;
    const int lineTop = size.top + kTitleHeight / 2;
    theme::strokeRounded(context, CRect(size.left, lineTop, size.right, size.bottom), 4.0, theme::kGroupLine);
    if (title_.empty()) {
        return;
    }
    const int width = static_cast<int>(std::ceil(theme::textWidth(title_, true)));
    const CRect titleRect = CRect::fromSize(size.left + kTitleInset, size.top, width + 2 * kTitlePadding, kTitleHeight);
    context.setFillColor(theme::kWindow);
    context.drawRect(titleRect, CDrawStyle::kDrawFilled);
    theme::drawText(context, title_, titleRect, theme::kText, CHoriTxtAlign::kCenterText, true);
}

// --- Label

Label::Label(const CRect& size, std::string text, CHoriTxtAlign align, bool wrap)
    : CView(size), text_(std::move(text)), align_(align), wrap_(wrap) {
    setMouseEnabled(false);
}

void Label::setText(std::string text) {
    if (text != text_) {
        text_ = std::move(text);
        setDirty(true);
    }
}

void Label::setEnabled(bool state) {
    enabled_ = state;
    setDirty(true);
}

std::vector<std::string> Label::wrapLines(const std::string& text, int width) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string paragraph = text.substr(start, end - start);
        std::string line;
        std::size_t word = 0;
        while (word < paragraph.size()) {
            const std::size_t space = std::min(paragraph.find(' ', word), paragraph.size());
            const std::string next = paragraph.substr(word, space - word);
            const std::string candidate = line.empty() ? next : line + " " + next;
            if (!line.empty() && theme::textWidth(candidate) > width) {
                lines.push_back(line);
                line = next;
            } else {
                line = candidate;
            }
            word = space + 1;
        }
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

void Label::draw(CDrawContext& context) {
    const CRect& size = getViewSize();
    const CColor color = enabled_ ? theme::kText : theme::kDisabledText;
    if (!wrap_) {
        theme::drawText(context, text_, size, color, align_, bold_);
        return;
    }
    int top = size.top;
    for (const std::string& line : wrapLines(text_, size.width())) {
        theme::drawText(context, line, CRect::fromSize(size.left, top, size.width(), kLineHeight), color, align_,
                        bold_);
        top += kLineHeight;
    }
}

// --- TooltipView

void TooltipView::draw(CDrawContext& context) {
    const CRect& size = getViewSize();
    context.setFillColor(theme::kTooltipBackground);
    context.setFrameColor(theme::kTooltipBorder);
    context.drawRect(size, CDrawStyle::kDrawFilledAndStroked);
    theme::drawText(context, text_, CRect(size.left + kPadding, size.top, size.right - kPadding, size.bottom),
                    theme::kText);
}

}  // namespace vexo

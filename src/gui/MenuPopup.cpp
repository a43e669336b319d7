#include "gui/MenuPopup.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "gui/OptionMenu.h"

namespace vexo {
namespace {

// Column layout, pixels: the check mark's column, the text, the submenu arrow's column.
constexpr double kPi = std::numbers::pi;
constexpr int kCheckColumnWidth = 22;
constexpr int kArrowColumnWidth = 22;
constexpr int kMinColumnWidth = 120;
constexpr int kMaxColumnWidth = 420;
constexpr int kSeparatorInset = 8;
constexpr int kHighlightInset = 2;

constexpr CColor kPanelColor{248, 248, 249, 255};
constexpr CColor kBorderColor{146, 148, 155, 255};
constexpr CColor kDividerColor{224, 225, 229, 255};
constexpr CColor kSeparatorColor{212, 213, 218, 255};
constexpr CColor kTextColor{28, 29, 33, 255};
constexpr CColor kDisabledTextColor{150, 151, 156, 255};
constexpr CColor kHighlightColor{47, 111, 214, 255};
constexpr CColor kHighlightTextColor{255, 255, 255, 255};

void setSource(cairo_t* cr, const CColor& color) {
    cairo_set_source_rgba(cr, color.red / 255.0, color.green / 255.0, color.blue / 255.0, color.alpha / 255.0);
}

// A submenu without entries is shown greyed and does not open.
bool opensEmptySubmenu(const COptionMenu& menu, int index) {
    const COptionMenu* submenu = menu.getSubMenu(index);
    return submenu != nullptr && submenu->getNbEntries() == 0;
}

}  // namespace

MenuPopup::MenuPopup(COptionMenu& menu, const CRect& anchor, const CRect& screen) : anchor_(anchor), screen_(screen) {
    Level first = layout(menu);
    place(first, anchor, nullptr);
    levels_.push_back(std::move(first));
}

MenuPopup::Level MenuPopup::layout(COptionMenu& menu) const {
    Level level;
    level.menu = &menu;

    cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    cairo_t* cr = cairo_create(scratch);
    double widestText = 0.0;
    {
        CDrawContext measure(cr);
        measure.setFont(kFontHeight);
        for (int i = 0; i < menu.getNbEntries(); ++i) {
            if (!menu.isSeparator(i)) {
                widestText = std::max(widestText, measure.stringWidth(menu.getEntry(i)));
            }
        }
    }
    cairo_destroy(cr);
    cairo_surface_destroy(scratch);

    int columnWidth = static_cast<int>(std::ceil(widestText)) + kCheckColumnWidth + kArrowColumnWidth;
    columnWidth = std::clamp(columnWidth, kMinColumnWidth, kMaxColumnWidth);
    if (levels_.empty()) {
        // The first level is at least as wide as the control that opened it.
        columnWidth = std::max(columnWidth, std::min(anchor_.width(), kMaxColumnWidth));
    }
    level.columnWidth = columnWidth;

    // Entries run down a column until the next would pass the column height, then on in a new
    // column. The height is the screen's, lowered as far as the number of columns allows, so
    // that the columns come out even.
    const auto entryHeight = [&menu](int i) { return menu.isSeparator(i) ? kSeparatorHeight : kEntryHeight; };
    const auto columnsFor = [&](int columnHeight) {
        int columns = 1;
        int y = 0;
        for (int i = 0; i < menu.getNbEntries(); ++i) {
            if (y > 0 && y + entryHeight(i) > columnHeight) {
                ++columns;
                y = 0;
            }
            y += entryHeight(i);
        }
        return columns;
    };
    const int screenHeight = std::max(screen_.height() - 2 * kBorder, kEntryHeight);
    const int columns = columnsFor(screenHeight);
    int low = kEntryHeight;
    int high = screenHeight;
    while (low < high) {
        const int middle = (low + high) / 2;
        if (columnsFor(middle) <= columns) {
            high = middle;
        } else {
            low = middle + 1;
        }
    }
    const int columnHeight = high;

    int column = 0;
    int y = 0;
    int tallest = 0;
    for (int i = 0; i < menu.getNbEntries(); ++i) {
        const int height = entryHeight(i);
        if (y > 0 && y + height > columnHeight) {
            ++column;
            y = 0;
        }
        const int left = kBorder + column * columnWidth;
        level.entries.push_back(CRect(left, kBorder + y, left + columnWidth, kBorder + y + height));
        y += height;
        tallest = std::max(tallest, y);
    }
    level.columns = column + 1;
    level.rect = CRect(0, 0, level.columns * columnWidth + 2 * kBorder, std::max(tallest, kEntryHeight) + 2 * kBorder);
    return level;
}

void MenuPopup::place(Level& level, const CRect& beside, const Level* parent) const {
    const int width = level.rect.width();
    const int height = level.rect.height();
    int x = 0;
    int y = 0;
    if (parent == nullptr) {
        x = beside.left;
        y = beside.bottom;
        if (y + height > screen_.bottom) {
            // No room below: above the anchor, else as low as the screen allows.
            y = beside.top - height >= screen_.top ? beside.top - height : screen_.bottom - height;
        }
    } else {
        x = beside.right;
        y = beside.top - kBorder;
        if (x + width > screen_.right) {
            x = parent->rect.left - width;
        }
        if (y + height > screen_.bottom) {
            y = screen_.bottom - height;
        }
    }
    x = std::max(std::min(x, screen_.right - width), screen_.left);
    y = std::max(std::min(y, screen_.bottom - height), screen_.top);
    level.rect.offset(x, y);
    for (CRect& entry : level.entries) {
        entry.offset(x, y);
    }
}

CRect MenuPopup::entryRect(int level, int index) const {
    if (level < 0 || level >= levelCount()) {
        return {};
    }
    const Level& shown = levels_[static_cast<std::size_t>(level)];
    return index >= 0 && index < static_cast<int>(shown.entries.size()) ? shown.entries[static_cast<std::size_t>(index)]
                                                                        : CRect();
}

CRect MenuPopup::area() const {
    CRect all;
    for (const Level& level : levels_) {
        all = all.united(level.rect);
    }
    return all;
}

bool MenuPopup::showsMenu(const COptionMenu* menu) const {
    for (const Level& level : levels_) {
        for (const COptionMenu* shown = level.menu; shown != nullptr; shown = shown->getParentMenu()) {
            if (shown == menu) {
                return true;
            }
        }
    }
    return false;
}

MenuPopup::Hit MenuPopup::hitTest(const CPoint& where) const {
    for (int level = levelCount() - 1; level >= 0; --level) {
        const Level& shown = levels_[static_cast<std::size_t>(level)];
        if (!shown.rect.pointInside(where)) {
            continue;
        }
        for (int i = 0; i < static_cast<int>(shown.entries.size()); ++i) {
            if (shown.entries[static_cast<std::size_t>(i)].pointInside(where)) {
                return {level, i};
            }
        }
        return {level, -1};
    }
    return {};
}

bool MenuPopup::selectable(const Level& level, int index) const {
    // The menu may have changed since the layout: only entries present in both count.
    return index >= 0 && index < static_cast<int>(level.entries.size()) && index < level.menu->getNbEntries() &&
           !level.menu->isSeparator(index) && !opensEmptySubmenu(*level.menu, index);
}

void MenuPopup::highlight(int level, int index) {
    int& current = levels_[static_cast<std::size_t>(level)].highlighted;
    if (current != index) {
        current = index;
        ++revision_;
    }
}

void MenuPopup::closeLevelsAfter(int level) {
    if (levelCount() > level + 1) {
        levels_.resize(static_cast<std::size_t>(level + 1));
        ++revision_;
    }
}

void MenuPopup::openSubmenu(int level, int index) {
    COptionMenu* submenu = levels_[static_cast<std::size_t>(level)].menu->getSubMenu(index);
    if (levelCount() > level + 1 && levels_[static_cast<std::size_t>(level + 1)].menu == submenu) {
        return;
    }
    closeLevelsAfter(level);
    if (submenu == nullptr || submenu->getNbEntries() == 0) {
        return;
    }
    Level opened = layout(*submenu);
    const Level& parent = levels_[static_cast<std::size_t>(level)];
    place(opened, parent.entries[static_cast<std::size_t>(index)], &parent);
    levels_.push_back(std::move(opened));
    ++revision_;
}

int MenuPopup::activeLevel() const {
    for (int level = levelCount() - 1; level > 0; --level) {
        if (levels_[static_cast<std::size_t>(level)].highlighted >= 0) {
            return level;
        }
    }
    return 0;
}

int MenuPopup::nextSelectable(const Level& level, int from, int step) const {
    const int count = static_cast<int>(level.entries.size());
    if (from < 0) {
        from = step > 0 ? -1 : count;
    }
    for (int k = 1; k <= count; ++k) {
        const int index = ((from + step * k) % count + count) % count;
        if (selectable(level, index)) {
            return index;
        }
    }
    return -1;
}

MenuPopup::Action MenuPopup::chooseOrOpen(int level, int index) {
    const Level& shown = levels_[static_cast<std::size_t>(level)];
    if (!selectable(shown, index)) {
        return {};
    }
    if (shown.menu->getSubMenu(index) != nullptr) {
        openSubmenu(level, index);
        if (levelCount() > level + 1) {
            highlight(level + 1, nextSelectable(levels_[static_cast<std::size_t>(level + 1)], -1, 1));
        }
        return {};
    }
    return {Action::kChoose, shown.menu, index};
}

MenuPopup::Action MenuPopup::mouseMoved(const CPoint& where, CButtonState buttons) {
    const Hit hit = hitTest(where);
    if (hit.level < 0) {
        // Off the pop-up: open submenus stay, the deepest level loses its highlight.
        highlight(levelCount() - 1, -1);
        return {};
    }
    const Level& shown = levels_[static_cast<std::size_t>(hit.level)];
    if (!selectable(shown, hit.index)) {
        highlight(hit.level, -1);
        return {};
    }
    highlight(hit.level, hit.index);
    if ((buttons & kLButton) != 0) {
        draggedOverEntry_ = true;
    }
    if (shown.menu->getSubMenu(hit.index) != nullptr) {
        openSubmenu(hit.level, hit.index);
    } else {
        closeLevelsAfter(hit.level);
    }
    return {};
}

MenuPopup::Action MenuPopup::mouseDown(const CPoint& where, CButtonState buttons) {
    const Hit hit = hitTest(where);
    if (hit.level < 0) {
        return {Action::kClose};
    }
    pressedInside_ = true;
    mouseMoved(where, buttons & ~static_cast<CButtonState>(kLButton));
    return {};
}

MenuPopup::Action MenuPopup::mouseUp(const CPoint& where, CButtonState /*buttons*/) {
    const bool mayChoose = pressedInside_ || draggedOverEntry_;
    pressedInside_ = false;
    draggedOverEntry_ = false;
    const Hit hit = hitTest(where);
    if (!mayChoose || hit.level < 0) {
        return {};
    }
    const Level& shown = levels_[static_cast<std::size_t>(hit.level)];
    if (!selectable(shown, hit.index) || shown.menu->getSubMenu(hit.index) != nullptr) {
        return {};
    }
    return {Action::kChoose, shown.menu, hit.index};
}

MenuPopup::Action MenuPopup::keyDown(const VstKeyCode& key) {
    const int level = activeLevel();
    const Level& shown = levels_[static_cast<std::size_t>(level)];
    switch (key.virt) {
        case kVirtKeyDown:
        case kVirtKeyUp:
            closeLevelsAfter(level);
            highlight(level, nextSelectable(shown, shown.highlighted, key.virt == kVirtKeyDown ? 1 : -1));
            return {};
        case kVirtKeyRight:
            if (shown.highlighted >= 0 && shown.menu->getSubMenu(shown.highlighted) != nullptr) {
                return chooseOrOpen(level, shown.highlighted);
            }
            return {};
        case kVirtKeyReturn:
        case kVirtKeySpace:
            return chooseOrOpen(level, shown.highlighted);
        case kVirtKeyLeft:
        case kVirtKeyEscape:
            if (level > 0) {
                closeLevelsAfter(level - 1);
                return {};
            }
            return key.virt == kVirtKeyEscape ? Action{Action::kClose} : Action{};
        default:
            return {};
    }
}

void MenuPopup::drawLevel(CDrawContext& context, int levelIndex) const {
    const Level& level = levels_[static_cast<std::size_t>(levelIndex)];
    const COptionMenu& menu = *level.menu;
    cairo_t* cr = context.cairo();

    context.setFillColor(kPanelColor);
    context.setFrameColor(kBorderColor);
    context.setLineWidth(1.0);
    context.drawRect(level.rect, CDrawStyle::kDrawFilledAndStroked);

    context.setFrameColor(kDividerColor);
    for (int column = 1; column < level.columns; ++column) {
        const int x = level.rect.left + kBorder + column * level.columnWidth - 1;
        context.drawLine({x, level.rect.top + kBorder + 2}, {x, level.rect.bottom - kBorder - 3});
    }

    context.setFont(kFontHeight);
    const int count = std::min(static_cast<int>(level.entries.size()), menu.getNbEntries());
    for (int i = 0; i < count; ++i) {
        const CRect& entry = level.entries[static_cast<std::size_t>(i)];
        if (menu.isSeparator(i)) {
            context.setFrameColor(kSeparatorColor);
            const int y = entry.top + entry.height() / 2;
            context.drawLine({entry.left + kSeparatorInset, y}, {entry.right - kSeparatorInset - 1, y});
            continue;
        }
        const bool lit = i == level.highlighted;
        if (lit) {
            const double left = entry.left + kHighlightInset;
            const double top = entry.top + 1;
            const double width = entry.width() - 2 * kHighlightInset;
            const double height = entry.height() - 2;
            const double radius = 3.0;
            cairo_new_path(cr);
            cairo_arc(cr, left + width - radius, top + radius, radius, -kPi / 2, 0);
            cairo_arc(cr, left + width - radius, top + height - radius, radius, 0, kPi / 2);
            cairo_arc(cr, left + radius, top + height - radius, radius, kPi / 2, kPi);
            cairo_arc(cr, left + radius, top + radius, radius, kPi, 3 * kPi / 2);
            cairo_close_path(cr);
            setSource(cr, kHighlightColor);
            cairo_fill(cr);
        }
        const CColor textColor =
            lit ? kHighlightTextColor : (opensEmptySubmenu(menu, i) ? kDisabledTextColor : kTextColor);

        if (i == menu.getCurrent() || menu.isChecked(i)) {
            // A tick, drawn rather than taken from the font so that any font shows it.
            const double x = entry.left + 6.5;
            const double y = entry.top + entry.height() / 2.0;
            cairo_new_path(cr);
            cairo_move_to(cr, x, y);
            cairo_line_to(cr, x + 3.0, y + 3.0);
            cairo_line_to(cr, x + 9.0, y - 4.0);
            setSource(cr, textColor);
            cairo_set_line_width(cr, 1.8);
            cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
            cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
            cairo_stroke(cr);
            cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
            cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
        }

        context.setFontColor(textColor);
        context.drawString(menu.getEntry(i), CRect(entry.left + kCheckColumnWidth, entry.top,
                                                   entry.right - kArrowColumnWidth + 4, entry.bottom));

        if (menu.getSubMenu(i) != nullptr) {
            const double x = entry.right - 13.0;
            const double y = entry.top + entry.height() / 2.0;
            cairo_new_path(cr);
            cairo_move_to(cr, x, y - 4.0);
            cairo_line_to(cr, x + 4.5, y);
            cairo_line_to(cr, x, y + 4.0);
            cairo_close_path(cr);
            setSource(cr, textColor);
            cairo_fill(cr);
        }
    }
}

}  // namespace vexo

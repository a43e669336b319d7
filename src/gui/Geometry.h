// Integer pixel geometry and colours of the editor toolkit.
#pragma once

#include <algorithm>
#include <cstdint>

namespace vexo {

struct CPoint {
    int x = 0;
    int y = 0;

    CPoint() = default;
    CPoint(int px, int py) : x(px), y(py) {}
    CPoint& offset(int dx, int dy) {
        x += dx;
        y += dy;
        return *this;
    }
    bool operator==(const CPoint&) const = default;
};

// Half-open rectangle: left <= x < right, top <= y < bottom.
struct CRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    CRect() = default;
    CRect(int l, int t, int r, int b) : left(l), top(t), right(r), bottom(b) {}
    static CRect fromSize(int x, int y, int width, int height) { return {x, y, x + width, y + height}; }

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool isEmpty() const { return right <= left || bottom <= top; }
    CPoint topLeft() const { return {left, top}; }

    CRect& offset(int dx, int dy) {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
        return *this;
    }
    CRect& moveTo(int x, int y) { return offset(x - left, y - top); }
    CRect& setWidth(int w) {
        right = left + w;
        return *this;
    }
    CRect& setHeight(int h) {
        bottom = top + h;
        return *this;
    }
    bool pointInside(const CPoint& p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    bool intersects(const CRect& r) const {
        return !isEmpty() && !r.isEmpty() && r.left < right && left < r.right && r.top < bottom && top < r.bottom;
    }
    // The common part, empty (all 0) when there is none.
    CRect intersection(const CRect& r) const {
        if (!intersects(r)) {
            return {};
        }
        return {std::max(left, r.left), std::max(top, r.top), std::min(right, r.right), std::min(bottom, r.bottom)};
    }
    // The smallest rectangle holding both; an empty operand adds nothing.
    CRect united(const CRect& r) const {
        if (isEmpty()) {
            return r;
        }
        if (r.isEmpty()) {
            return *this;
        }
        return {std::min(left, r.left), std::min(top, r.top), std::max(right, r.right), std::max(bottom, r.bottom)};
    }
    bool operator==(const CRect&) const = default;
};

struct CColor {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t alpha = 255;
    bool operator==(const CColor&) const = default;
};

constexpr CColor kBlackCColor{0, 0, 0, 255};
constexpr CColor kWhiteCColor{255, 255, 255, 255};
constexpr CColor kTransparentCColor{0, 0, 0, 0};

}  // namespace vexo

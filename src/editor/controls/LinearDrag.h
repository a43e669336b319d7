// A value dragged along a line: right and up increase it by a fixed amount per pixel.
#pragma once

#include "gui/Geometry.h"

namespace vexo {

class LinearDrag {
public:
    void begin(const CPoint& where, float value, float perPixel) {
        start_ = where;
        startValue_ = value;
        perPixel_ = perPixel;
    }
    // A new rate (the modifiers changed): the start moves so that the value at where stays.
    void rebase(const CPoint& where, float perPixel) {
        startValue_ += static_cast<float>(pixels(where)) * (perPixel_ - perPixel);
        perPixel_ = perPixel;
    }
    // Unclamped value for the pointer at where.
    float valueAt(const CPoint& where) const { return startValue_ + static_cast<float>(pixels(where)) * perPixel_; }

private:
    // Combined movement: pixels right plus pixels up.
    int pixels(const CPoint& where) const { return (where.x - start_.x) + (start_.y - where.y); }

    CPoint start_;
    float startValue_ = 0.0f;
    float perPixel_ = 0.0f;
};

}  // namespace vexo

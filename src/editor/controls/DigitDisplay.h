// A number shown digit by digit, each digit copied from a strip of the digits 0 to 9
// stacked vertically; dragged or wheeled to change it.
#pragma once

#include <array>

#include "editor/controls/LinearDrag.h"
#include "gui/Control.h"

namespace vexo {

constexpr int kMaxDisplayDigits = 7;
// Pixels of combined drag movement for the whole range (times 10 with Shift).
constexpr float kDigitDragRangePixels = 800.0f;
constexpr float kDigitFineDragFactor = 10.0f;

// The decimal digits of value, most significant first: the value truncated and clamped to
// 0 .. 10^count - 1 (count 1..7); entries past count are 0.
std::array<int, kMaxDisplayDigits> splitDigits(float value, int count);

class DigitDisplay : public CControl {
public:
    // The range becomes 0 .. 10^digitCount - 1 (digitCount is kept within 1..7), the default 0.
    DigitDisplay(const CRect& size, CControlListener* listener, std::int32_t tag, int digitCount);

    // Digit index counts from the left. Its digits are copied from strip, starting at
    // stripOffset, one rect-height apart. The control grows to cover rect.
    void setDigit(int index, const CRect& rect, SharedBitmap strip, const CPoint& stripOffset = {});
    int getDigitCount() const { return digitCount_; }

    void draw(CDrawContext& context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    // value += distance, or distance x 0.1 x wheel increment with Shift.
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;

private:
    struct Digit {
        CRect rect;
        SharedBitmap strip;
        CPoint stripOffset;
    };

    float perPixel(CButtonState buttons) const;
    void changeValue(float value);

    int digitCount_;
    std::array<Digit, kMaxDisplayDigits> digits_;
    LinearDrag drag_;
    CButtonState dragModifiers_ = 0;
    bool dragging_ = false;
};

}  // namespace vexo

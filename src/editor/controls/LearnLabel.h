// The small box over a learnable control that shows its MIDI controller (or key) while MIDI
// learn is on; the current learn target is framed in a highlight colour.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <string>

#include "editor/controls/FrameStepView.h"

namespace vexo {

constexpr int kLearnLabelImageAlpha = 180;
constexpr int kLearnLabelLineCount = 2;
constexpr int kLearnLabelLineSpacingPixels = 12;
constexpr std::array<std::size_t, kLearnLabelLineCount> kLearnLabelLineMaxBytes{255, 4095};
constexpr CColor kLearnLabelSelectedColor{235, 85, 35, 255};
constexpr CColor kLearnLabelNormalColor{64, 64, 64, 255};

class LearnLabel : public FrameStepView {
public:
    // Takes no mouse input, so clicks reach the control below. Starts hidden.
    LearnLabel(const CRect& size, CControlListener* listener, std::int32_t tag, SharedBitmap image, int frameCount = 1,
               int frameHeight = 0);

    // The setters only mark the label dirty; the frame repaints it on its next update.
    // Line 0 or 1, cut at its field size.
    void setLine(int line, const std::string& text);
    const std::string& getLine(int line) const;
    void setSelected(bool state);
    bool isSelected() const { return selected_.load(std::memory_order_relaxed); }
    void setFontColor(const CColor& color);

    // Only while shown: the image at alpha 180, a one-pixel frame, the text lines.
    void draw(CDrawContext& context) override;

private:
    std::array<std::string, kLearnLabelLineCount> lines_;
    std::atomic<bool> selected_{false};
    CColor fontColor_{16, 16, 16, 255};
};

}  // namespace vexo

#include "editor/controls/LearnLabel.h"

#include <utility>

namespace vexo {

namespace {

constexpr int kTextInsetPixels = 2;
const std::string kNoLine;

}  // namespace

LearnLabel::LearnLabel(const CRect& size, CControlListener* listener, std::int32_t tag, SharedBitmap image,
                       int frameCount, int frameHeight)
    : FrameStepView(size, listener, tag, std::move(image), frameCount, frameHeight) {
    setMouseEnabled(false);
}

void LearnLabel::setLine(int line, const std::string& text) {
    if (line < 0 || line >= kLearnLabelLineCount) {
        return;
    }
    std::string cut = text.substr(0, kLearnLabelLineMaxBytes[line]);
    if (cut != lines_[line]) {
        lines_[line] = std::move(cut);
        setDirty();
    }
}

const std::string& LearnLabel::getLine(int line) const {
    return line >= 0 && line < kLearnLabelLineCount ? lines_[line] : kNoLine;
}

void LearnLabel::setSelected(bool state) {
    if (selected_.exchange(state, std::memory_order_relaxed) != state) {
        setDirty();
    }
}

void LearnLabel::setFontColor(const CColor& color) {
    fontColor_ = color;
    setDirty();
}

void LearnLabel::draw(CDrawContext& context) {
    if (isShown()) {
        const CRect& rect = getViewSize();
        drawCurrentFrame(context, kLearnLabelImageAlpha);
        context.setLineWidth(1.0);
        context.setFrameColor(isSelected() ? kLearnLabelSelectedColor : kLearnLabelNormalColor);
        context.drawRect(rect, CDrawStyle::kDrawStroked);
        context.setFont(kSmallFontHeight);
        context.setFontColor(fontColor_);
        for (int line = 0; line < kLearnLabelLineCount; ++line) {
            const CRect lineRect =
                CRect::fromSize(rect.left + kTextInsetPixels, rect.top + line * kLearnLabelLineSpacingPixels,
                                rect.width() - 2 * kTextInsetPixels, rect.height());
            context.drawString(lines_[line], lineRect);
        }
    }
    setDirty(false);
}

}  // namespace vexo

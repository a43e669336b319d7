#include "editor/controls/FrameStepView.h"

#include <algorithm>
#include <utility>

namespace vexo {

FrameStepView::FrameStepView(const CRect& size, CControlListener* listener, std::int32_t tag, SharedBitmap image,
                             int frameCount, int frameHeight)
    : CControl(size, listener, tag, std::move(image)),
      frameCount_(std::max(frameCount, 1)),
      frameHeight_(frameHeight > 0 ? frameHeight : size.height()) {}

void FrameStepView::moveBy(int dx, int dy) {
    CRect moved = getViewSize();
    moved.offset(dx, dy);
    setViewSize(moved);
}

void FrameStepView::show() {
    if (!shown_.exchange(true, std::memory_order_relaxed)) {
        setDirty();
    }
}

void FrameStepView::hide() {
    if (shown_.exchange(false, std::memory_order_relaxed)) {
        setDirty();
    }
}

void FrameStepView::setFrameOffset(int offset) {
    frameOffset_ = offset;
    setDirty();
}

void FrameStepView::nextFrame() {
    const int next = frameOffset_ + frameHeight_;
    setFrameOffset(next >= frameCount_ * frameHeight_ ? 0 : next);
}

void FrameStepView::previousFrame() {
    const int previous = frameOffset_ - frameHeight_;
    setFrameOffset(previous < 0 ? (frameCount_ - 1) * frameHeight_ : previous);
}

void FrameStepView::drawCurrentFrame(CDrawContext& context, int alpha) const {
    if (const SharedBitmap& image = getBackground()) {
        const CRect& rect = getViewSize();
        const CRect frame = CRect::fromSize(rect.left, rect.top, rect.width(), std::min(rect.height(), frameHeight_));
        context.drawBitmap(*image, frame, CPoint(0, frameOffset_), alpha);
    }
}

}  // namespace vexo

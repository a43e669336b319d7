#include "editor/controls/SpriteView.h"

#include <utility>

namespace vexo {

SpriteView::SpriteView(const CRect& size, CControlListener* listener, std::int32_t tag, SharedBitmap image,
                       int frameCount, int frameHeight)
    : FrameStepView(size, listener, tag, std::move(image), frameCount, frameHeight) {}

// No copy of the panel below is kept: the frame repaints whatever lies under the sprite
// before drawing it, so its transparent pixels show the panel as it is now.
void SpriteView::draw(CDrawContext& context) {
    if (isShown()) {
        drawCurrentFrame(context, 255);
    }
    setDirty(false);
}

CMouseEventResult SpriteView::onMouseDown(CPoint& /*where*/, const CButtonState& /*buttons*/) {
    if (isShown()) {
        hide();
    } else {
        setFrameOffset(0);
        show();
        valueChanged();
    }
    return CMouseEventResult::kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

}  // namespace vexo

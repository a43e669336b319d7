// A small animated picture stepped frame by frame by the editor's idle calls; a click
// shows or hides it.
#pragma once

#include "editor/controls/FrameStepView.h"

namespace vexo {

class SpriteView : public FrameStepView {
public:
    // Starts hidden at frame 0.
    SpriteView(const CRect& size, CControlListener* listener, std::int32_t tag, SharedBitmap image, int frameCount,
               int frameHeight = 0);

    // Only while shown: the current frame.
    void draw(CDrawContext& context) override;
    // Hidden: shows from the first frame and tells the listener. Shown: hides.
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
};

}  // namespace vexo

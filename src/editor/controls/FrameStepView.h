// A control that shows one frame of an image strip at a time (frames stacked vertically),
// can be moved, shown and hidden. The base of the learn labels and the sprites.
#pragma once

#include <atomic>

#include "gui/Control.h"

namespace vexo {

class FrameStepView : public CControl {
public:
    // frameHeight 0: the control's height. Starts hidden at frame 0.
    FrameStepView(const CRect& size, CControlListener* listener, std::int32_t tag, SharedBitmap image, int frameCount,
                  int frameHeight);

    // User-interface thread: moves the view by dx, dy pixels, redrawing where it was and
    // where it is.
    virtual void moveBy(int dx, int dy);
    virtual int getLeft() const { return getViewSize().left; }
    virtual int getTop() const { return getViewSize().top; }
    // The frame and visibility changes below only mark the view dirty: the frame repaints it
    // on its next update.
    virtual void show();
    virtual void hide();
    // The next frame, back to the first after the last.
    virtual void nextFrame();
    // The previous frame, round to the last before the first.
    virtual void previousFrame();

    bool isShown() const { return shown_.load(std::memory_order_relaxed); }
    // Vertical pixel offset of the current frame in the image.
    int getFrameOffset() const { return frameOffset_; }
    int getFrameCount() const { return frameCount_; }
    int getFrameHeight() const { return frameHeight_; }

protected:
    void setFrameOffset(int offset);
    // The current frame of the image, 1:1 at the view's top-left, at alpha 0..255.
    void drawCurrentFrame(CDrawContext& context, int alpha) const;

private:
    int frameCount_;
    int frameHeight_;
    int frameOffset_ = 0;
    std::atomic<bool> shown_{false};  // learn labels are shown from the MIDI thread
};

}  // namespace vexo

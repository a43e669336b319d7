// The editor base a plug-in derives its editor from: the window rectangle, the frame, idle
// and key forwarding, knob mode and the host's edit gestures.
#pragma once

#include <memory>

#include "host/AudioEffect.h"

namespace vexo {

class CFrame;

class AEffGUIEditor : public AEffEditor {
public:
    explicit AEffGUIEditor(AudioEffect* effect);
    ~AEffGUIEditor() override;

    AudioEffect* getEffect() const { return effect_; }

    // User-interface thread (effEditGetRect): the window size the host should make room for.
    bool getRect(ERect** rect) override;
    // User-interface thread (effEditOpen): parentWindow is the host's X11 window id (0: a
    // top-level window of our own). Derived editors build their frame and call attachFrame.
    bool open(void* parentWindow) override;
    // User-interface thread (effEditClose).
    void close() override;
    bool isOpen() const { return frame_ != nullptr; }
    // User-interface thread (effEditIdle): window events and redraws.
    void idle() override;
    // User-interface thread (effEditKeyDown/Up): 1 when the editor used the key.
    VstInt32 onKeyDown(VstInt32 character, VstInt32 virtualKey, VstInt32 modifiers) override;
    VstInt32 onKeyUp(VstInt32 character, VstInt32 virtualKey, VstInt32 modifiers) override;
    // User-interface thread (effSetEditKnobMode): shared by all editors of the process and
    // passed on to the open frame.
    bool setKnobMode(VstInt32 mode) override;
    static VstInt32 getKnobMode() { return knobMode_; }

    // A parameter changed in the plug-in (any thread that sets parameters).
    virtual void setParameter(VstInt32 /*index*/, float /*value*/) {}
    // User-interface thread: host gestures around a drag of parameter index
    // (audioMasterBeginEdit/EndEdit).
    virtual void beginEdit(VstInt32 index);
    virtual void endEdit(VstInt32 index);

    CFrame* getFrame() const { return frame_.get(); }
    // Render into an image only (no window) from the next open on: screenshots and tests.
    void setOffscreen(bool state) { offscreen_ = state; }
    bool isOffscreen() const { return offscreen_; }
    void* getParentWindow() const { return parentWindow_; }

protected:
    // Gives frame its window (child of the parent, top-level or offscreen) and keeps it.
    // False when no window could be made; the frame is then dropped.
    bool attachFrame(std::unique_ptr<CFrame> frame, const char* title);
    void destroyFrame();

    ERect rect_{};
    AudioEffect* effect_;

private:
    // Linear (kLinearMode) until a host asks otherwise.
    static inline VstInt32 knobMode_ = 2;
    std::unique_ptr<CFrame> frame_;
    void* parentWindow_ = nullptr;
    bool offscreen_ = false;
};

}  // namespace vexo

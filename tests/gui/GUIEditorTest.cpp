// The editor base as a host drives it: rectangle, open/close with an offscreen frame, keys,
// knob mode and the edit gestures sent to the host.
#include <gtest/gtest.h>

#include <vector>

#include "GuiTestSupport.h"
#include "gui/Controls.h"
#include "gui/GUIEditor.h"

namespace vexo {
namespace {

std::vector<std::pair<VstInt32, VstInt32>>& hostCalls() {
    static std::vector<std::pair<VstInt32, VstInt32>> calls;
    return calls;
}

VstIntPtr recordingHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float) {
    hostCalls().emplace_back(opcode, index);
    return 0;
}

struct StubEffect : AudioEffect {
    StubEffect() : AudioEffect(&recordingHost, 1, 1) {}
    void processReplacing(float**, float**, VstInt32) override {}
};

struct KeyRecorder : CView {
    using CView::CView;
    std::int32_t onKeyDown(VstKeyCode& key) override {
        keys.push_back(key);
        return 1;
    }
    std::vector<VstKeyCode> keys;
};

struct TestEditor : AEffGUIEditor {
    explicit TestEditor(AudioEffect* effect) : AEffGUIEditor(effect) { rect_ = {0, 0, 60, 120}; }
    bool open(void* parent) override {
        AEffGUIEditor::open(parent);
        auto frame = std::make_unique<CFrame>(CRect(0, 0, 120, 60), this);
        recorder = new KeyRecorder(CRect(0, 0, 120, 60));
        frame->addView(recorder);
        return attachFrame(std::move(frame), "Test");
    }
    KeyRecorder* recorder = nullptr;
};

TEST(GUIEditor, OpensOffscreenForwardsKeysAndSendsEditGestures) {
    StubEffect effect;
    TestEditor editor(&effect);
    ERect* rect = nullptr;
    ASSERT_TRUE(editor.getRect(&rect));
    EXPECT_EQ(rect->right, 120);

    editor.setOffscreen(true);
    ASSERT_TRUE(editor.open(nullptr));
    ASSERT_TRUE(editor.isOpen());
    EXPECT_NE(dynamic_cast<OffscreenPlatform*>(editor.getFrame()->getPlatform()), nullptr);

    // effEditKeyDown: 'a' with Shift and Control (8), then the Up key (12).
    EXPECT_EQ(editor.onKeyDown('a', 0, 1 | 8), 1);
    EXPECT_EQ(editor.onKeyDown(0, 12, 0), 1);
    ASSERT_EQ(editor.recorder->keys.size(), 2u);
    EXPECT_EQ(editor.recorder->keys[0].character, 'a');
    EXPECT_EQ(editor.recorder->keys[0].modifier, kShift | kControl);
    EXPECT_EQ(editor.recorder->keys[1].virt, kVirtKeyUp);

    editor.setKnobMode(kCircularMode);
    EXPECT_EQ(editor.getFrame()->getKnobMode(), kCircularMode);
    EXPECT_EQ(AEffGUIEditor::getKnobMode(), kCircularMode);
    editor.setKnobMode(kLinearMode);

    hostCalls().clear();
    editor.beginEdit(3);
    editor.endEdit(3);
    EXPECT_EQ(hostCalls(),
              (std::vector<std::pair<VstInt32, VstInt32>>{{audioMasterBeginEdit, 3}, {audioMasterEndEdit, 3}}));

    editor.idle();
    editor.close();
    EXPECT_FALSE(editor.isOpen());
    EXPECT_EQ(editor.onKeyDown('a', 0, 0), 0);
}

}  // namespace
}  // namespace vexo

// The editor in a real X server (Xvfb): opened through the dispatcher in a host's window,
// driven with real pointer events, closed and reopened, two instances at once.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "EditorFixture.h"
#include "XTestDriver.h"
#include "XvfbServer.h"
#include "editor/controls/SkinKnob.h"
#include "editor/skin/SkinElements.h"
#include "gui/MenuPopup.h"

namespace vexo::test {
namespace {

class EditorX11Test : public EditorFixture {
protected:
    static void SetUpTestSuite() {
        if (XvfbServer::available()) {
            server_ = new XvfbServer;
            started_ = server_->start("1280x1024x24");
        }
    }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
    }
    void SetUp() override {
        if (!XvfbServer::available()) {
            GTEST_SKIP() << "Xvfb is not installed";
        }
        ASSERT_TRUE(started_);
        EditorFixture::SetUp();
        x_ = std::make_unique<XTestDriver>();
        ASSERT_TRUE(x_->connected());
    }

    // Opens the editor of plug-in effect in a new host window.
    BassEditor& openIn(EditorPlugin& effect, unsigned long& window) {
        ERect* rect = nullptr;
        AEffect* e = effect.getAeffect();
        e->dispatcher(e, effEditGetRect, 0, 0, &rect, 0);
        window = x_->createWindow(rect->right, rect->bottom, 0x303030);
        EXPECT_EQ(e->dispatcher(e, effEditOpen, 0, 0, reinterpret_cast<void*>(window), 0), 1);
        return *effect.bassEditor();
    }

    // Host idle calls every 10 ms for the given time.
    void idleFor(std::initializer_list<EditorPlugin*> effects, int milliseconds) {
        for (int t = 0; t < milliseconds; t += 10) {
            for (EditorPlugin* effect : effects) {
                effect->getAeffect()->dispatcher(effect->getAeffect(), effEditIdle, 0, 0, nullptr, 0);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    void clickAt(CPoint where) {
        x_->pointerTo(where.x, where.y);
        x_->button(1, true);
        x_->button(1, false);
    }

    static inline XvfbServer* server_ = nullptr;
    static inline bool started_ = false;
    std::unique_ptr<XTestDriver> x_;
};

TEST_F(EditorX11Test, PointerEventsReachKnobsKeysAndRockers) {
    auto& effect = create<EditorPlugin>();
    unsigned long window = 0;
    BassEditor& editor = openIn(effect, window);
    idleFor({&effect}, 100);
    EXPECT_TRUE(x_->hasViewableChild(window));

    const CRect knob = editor.control<CControl>(kCutoffKnob)->getViewSize();
    const float before = effect.getParameter(kCutoff);
    x_->pointerTo((knob.left + knob.right) / 2, (knob.top + knob.bottom) / 2);
    x_->button(1, true);
    idleFor({&effect}, 30);
    x_->pointerTo((knob.left + knob.right) / 2, (knob.top + knob.bottom) / 2 - 30);
    idleFor({&effect}, 30);
    x_->button(1, false);
    idleFor({&effect}, 30);
    EXPECT_GT(effect.getParameter(kCutoff), before);
    EXPECT_FALSE(host.automations.empty());

    // The fourth note key (D#) sets the edit step's note.
    const CRect key = editor.control<CControl>(kIlluButton4)->getViewSize();
    clickAt({key.left + key.width() / 2, key.bottom - 4});
    idleFor({&effect}, 30);
    EXPECT_EQ(effect.bank().current().step(effect.programmingPosition()).note & 0x1f, 3);

    const CRect rocker = editor.control<CControl>(kPatternRocker)->getViewSize();
    const int pattern = effect.bank().currentPattern();
    clickAt({rocker.left + rocker.width() / 2, rocker.top + 3});
    idleFor({&effect}, 30);
    EXPECT_EQ(effect.bank().currentPattern(), pattern + 1);

    // Closed and opened again in the same window.
    dispatch(effEditClose);
    idleFor({&effect}, 30);
    EXPECT_FALSE(x_->hasViewableChild(window));
    EXPECT_EQ(dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(window)), 1);
    idleFor({&effect}, 50);
    EXPECT_TRUE(x_->hasViewableChild(window));
}

TEST_F(EditorX11Test, AMenuOpensOnAClickAndAnEntryIsChosenByAClick) {
    auto& effect = create<EditorPlugin>();
    unsigned long window = 0;
    BassEditor& editor = openIn(effect, window);
    idleFor({&effect}, 60);
    const CRect button = editor.control<CControl>(kOptionMenu)->getViewSize();
    clickAt({button.left + button.width() / 2, button.top + button.height() / 2});
    idleFor({&effect}, 60);
    MenuPopup* popup = editor.getFrame()->openPopup();
    ASSERT_NE(popup, nullptr);
    const CRect entry = popup->entryRect(0, 0);  // "Activate MIDI learn"
    ASSERT_FALSE(entry.isEmpty());
    // Frame coordinates are screen coordinates here: the host window sits at 0,0.
    clickAt({entry.left + 10, entry.top + entry.height() / 2});
    idleFor({&effect}, 60);
    EXPECT_EQ(editor.getFrame()->openPopup(), nullptr);
    EXPECT_TRUE(effect.learn());
}

TEST_F(EditorX11Test, AHostThatNeverIdlesStillGetsALiveEditor) {
    auto& effect = create<EditorPlugin>();
    unsigned long window = 0;
    BassEditor& editor = openIn(effect, window);
    EXPECT_TRUE(editor.idleKeeperRunning());
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_TRUE(x_->hasViewableChild(window));
    const CRect rocker = editor.control<CControl>(kPatternRocker)->getViewSize();
    const int pattern = effect.bank().currentPattern();
    clickAt({rocker.left + rocker.width() / 2, rocker.top + 3});
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(effect.bank().currentPattern(), pattern + 1);
    dispatch(effEditClose);
    EXPECT_FALSE(editor.idleKeeperRunning());
}

TEST_F(EditorX11Test, TwoInstancesKeepTheirOwnEditorsAndABadParentFailsCleanly) {
    auto& first = create<EditorPlugin>();
    auto second = std::make_unique<EditorPlugin>(&recordingCallback, folder.dir());
    unsigned long window1 = 0;
    unsigned long window2 = 0;
    openIn(first, window1);
    BassEditor& editor2 = openIn(*second, window2);
    idleFor({&first, second.get()}, 100);
    EXPECT_TRUE(x_->hasViewableChild(window1));
    EXPECT_TRUE(x_->hasViewableChild(window2));

    const CRect knob = editor2.control<CControl>(kVolumeKnob)->getViewSize();
    x_->pointerTo((knob.left + knob.right) / 2, (knob.top + knob.bottom) / 2);
    x_->button(1, true);
    idleFor({&first, second.get()}, 20);
    x_->pointerTo((knob.left + knob.right) / 2, (knob.top + knob.bottom) / 2 + 40);
    idleFor({&first, second.get()}, 20);
    x_->button(1, false);
    idleFor({&first, second.get()}, 20);
    EXPECT_NE(second->getParameter(kVolume), first.getParameter(kVolume));

    // Destroying a plug-in with its editor open takes the window with it.
    second.reset();
    idleFor({&first}, 30);
    EXPECT_FALSE(x_->hasViewableChild(window2));

    dispatch(effEditClose);
    EXPECT_EQ(dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(x_->destroyedWindowId())), 0);
    EXPECT_EQ(first.bassEditor()->getFrame(), nullptr);
    dispatch(effEditClose);  // without an open editor
}

}  // namespace
}  // namespace vexo::test

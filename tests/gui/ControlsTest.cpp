// Mouse routing and capture in the frame, and the standard controls driven by synthetic events.
#include <gtest/gtest.h>

#include "GuiTestSupport.h"
#include "gui/Controls.h"

namespace vexo {
namespace {

using test::kBlue;
using test::kGreen;
using test::kRed;
using Floats = std::vector<float>;

class ControlsTest : public ::testing::Test {
protected:
    test::OffscreenFrame offscreen{200, 120};
    CFrame& frame = *offscreen.frame;
    test::RecordingListener listener;
};

TEST_F(ControlsTest, PressFallsThroughToTheTakerWhichKeepsTheDragUntilRelease) {
    auto* button = new CKickButton(CRect(10, 10, 50, 30), &listener, 7, 20, test::stackedImage(40, 20, {kRed, kGreen}));
    frame.addView(button);
    // A text line over the button takes no clicks: the press reaches the button below.
    frame.addView(new CTextEdit(CRect(0, 0, 60, 40), nullptr, 0, "label"));

    frame.handleMouseDown({20, 20}, kLButton);
    EXPECT_EQ(frame.mouseCapture(), button);
    EXPECT_EQ(offscreen.pixel(12, 12), kGreen);
    frame.handleMouseMoved({100, 100}, kLButton);
    EXPECT_EQ(offscreen.pixel(12, 12), kRed);
    frame.handleMouseMoved({40, 25}, kLButton);
    frame.handleMouseUp({40, 25}, kLButton);
    EXPECT_EQ(frame.mouseCapture(), nullptr);
    EXPECT_EQ(offscreen.pixel(12, 12), kRed);
    EXPECT_EQ(listener.values, (Floats{1.0f, 0.0f, 1.0f, 0.0f}));
    EXPECT_EQ(listener.begins, 1);
    EXPECT_EQ(listener.ends, 1);

    // Moves without a press, the right button and clicks beside the button change nothing.
    frame.handleMouseMoved({20, 20}, 0);
    offscreen.click({20, 20}, kRButton);
    offscreen.click({150, 100});
    EXPECT_EQ(listener.values.size(), 4u);

    // A view removed during its drag is forgotten: the release goes nowhere.
    frame.handleMouseDown({20, 20}, kLButton);
    frame.removeView(button);
    EXPECT_EQ(frame.mouseCapture(), nullptr);
    frame.handleMouseUp({20, 20}, kLButton);
}

TEST_F(ControlsTest, OnOffButtonTogglesAndModifierClicksGoToTheListener) {
    auto* toggle = new COnOffButton(CRect(0, 0, 20, 10), &listener, 1, test::stackedImage(20, 10, {kRed, kGreen}));
    frame.addView(toggle);
    offscreen.click({5, 5});
    EXPECT_EQ(offscreen.pixel(5, 5), kGreen);
    offscreen.click({5, 5});
    EXPECT_EQ(offscreen.pixel(5, 5), kRed);
    listener.modifierAnswer = 1;
    offscreen.click({5, 5}, kLButton | kAlt);
    EXPECT_EQ(listener.values, (Floats{1.0f, 0.0f}));
    EXPECT_EQ(frame.mouseCapture(), nullptr);
}

TEST_F(ControlsTest, RockerPressesItsHalvesAndReturnsToRest) {
    auto* rocker =
        new CRockerSwitch(CRect(0, 0, 10, 30), &listener, 2, 30, test::stackedImage(10, 30, {kRed, kGreen, kBlue}));
    frame.addView(rocker);
    EXPECT_EQ(offscreen.pixel(5, 5), kGreen);
    frame.handleMouseDown({5, 5}, kLButton);
    EXPECT_EQ(offscreen.pixel(5, 5), kRed);
    frame.handleMouseMoved({5, 25}, kLButton);
    EXPECT_EQ(offscreen.pixel(5, 5), kBlue);
    frame.handleMouseUp({5, 25}, kLButton);
    EXPECT_EQ(offscreen.pixel(5, 5), kGreen);
    EXPECT_EQ(listener.values, (Floats{-1.0f, 1.0f, 0.0f}));
    EXPECT_EQ(listener.ends, 1);
}

TEST_F(ControlsTest, MovieBitmapShowsTheRoundedFrame) {
    auto* movie =
        new CMovieBitmap(CRect(0, 0, 10, 10), nullptr, 3, 3, 10, test::stackedImage(10, 10, {kRed, kGreen, kBlue}));
    frame.addView(movie);
    movie->setValue(0.74f);
    EXPECT_EQ(movie->frameIndex(), 1);
    EXPECT_EQ(offscreen.pixel(5, 5), kGreen);
    movie->setValue(0.76f);
    EXPECT_EQ(offscreen.pixel(5, 5), kBlue);
    movie->setValue(-3.0f);
    EXPECT_EQ(movie->frameIndex(), 0);
}

TEST_F(ControlsTest, KnobDragsLinearlyFinerWithShiftAndControlClickRestoresTheDefault) {
    auto* knob = new CKnob(CRect(0, 0, 40, 40), &listener, 4, nullptr);
    frame.addView(knob);
    frame.setKnobMode(kLinearMode);
    knob->setValue(0.5f);
    knob->setDefaultValue(0.25f);

    frame.handleMouseDown({20, 20}, kLButton);
    frame.handleMouseMoved({30, 20}, kLButton);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.55f);
    frame.handleMouseMoved({30, 10}, kLButton);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.6f);
    // Shift mid-drag: the drag goes on from here, 1.5 times finer.
    frame.handleMouseMoved({30, 10}, kLButton | kShift);
    frame.handleMouseMoved({30, -5}, kLButton | kShift);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.65f);
    // Past the end and back: the value turns at once.
    frame.handleMouseMoved({400, -5}, kLButton | kShift);
    frame.handleMouseMoved({400, -5}, kLButton);
    frame.handleMouseMoved({900, -5}, kLButton);
    EXPECT_FLOAT_EQ(knob->getValue(), 1.0f);
    frame.handleMouseMoved({880, -5}, kLButton);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.9f);
    frame.handleMouseUp({880, -5}, kLButton);
    EXPECT_EQ(listener.begins, 1);
    EXPECT_EQ(listener.ends, 1);

    offscreen.click({20, 20}, kLButton | kControl);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.25f);
    EXPECT_EQ(frame.mouseCapture(), nullptr);

    frame.handleWheel({20, 20}, 1.0f, 0);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.35f);
    frame.handleWheel({20, 20}, -1.0f, kShift);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.34f);
}

TEST_F(ControlsTest, CircularKnobFollowsTheAngleButNeverJumpsAcrossTheGap) {
    auto* knob = new CKnob(CRect(0, 0, 100, 100), &listener, 5, nullptr);
    frame.addView(knob);
    frame.setKnobMode(kCircularMode);

    frame.handleMouseDown({50, 10}, kLButton);  // 12 o'clock: the middle of the sweep
    EXPECT_NEAR(knob->getValue(), 0.5f, 1e-5);
    frame.handleMouseMoved({90, 50}, kLButton);  // 3 o'clock
    EXPECT_NEAR(knob->getValue(), 0.8f, 1e-5);
    frame.handleMouseMoved({56, 95}, kLButton);  // in the gap, right half: the end
    EXPECT_FLOAT_EQ(knob->getValue(), 1.0f);
    frame.handleMouseMoved({44, 95}, kLButton);  // across the gap: stays at the end
    EXPECT_FLOAT_EQ(knob->getValue(), 1.0f);
    frame.handleMouseMoved({10, 50}, kLButton);  // 9 o'clock is still too far from the end
    EXPECT_FLOAT_EQ(knob->getValue(), 1.0f);
    frame.handleMouseMoved({90, 50}, kLButton);  // back over the top
    EXPECT_NEAR(knob->getValue(), 0.8f, 1e-5);
    frame.handleMouseUp({90, 50}, kLButton);

    // The default drawing shows the value: the pointer at 3 o'clock is drawn there.
    frame.updateDirty();
    EXPECT_GT(frame.image().pixel(70, 50).red, 200);
}

TEST_F(ControlsTest, KeysGoToTheViewUnderThePointerAndThenItsParents) {
    struct KeyView : CView {
        using CView::CView;
        std::int32_t onKeyDown(VstKeyCode& key) override {
            keys.push_back(key.virt);
            return key.virt == kVirtKeyUp ? 1 : -1;
        }
        std::vector<int> keys;
    };
    auto* container = new CViewContainer(CRect(0, 0, 100, 100));
    auto* inner = new KeyView(CRect(10, 10, 20, 20));
    container->addView(inner);
    frame.addView(container);
    frame.handleMouseMoved({15, 15}, 0);
    EXPECT_TRUE(frame.handleKeyDown(VstKeyCode{0, kVirtKeyUp, 0}));
    EXPECT_FALSE(frame.handleKeyDown(VstKeyCode{0, kVirtKeyDown, 0}));
    frame.handleMouseMoved({50, 50}, 0);
    EXPECT_FALSE(frame.handleKeyDown(VstKeyCode{0, kVirtKeyUp, 0}));
    EXPECT_EQ(inner->keys, (std::vector<int>{kVirtKeyUp, kVirtKeyDown}));
}

}  // namespace
}  // namespace vexo

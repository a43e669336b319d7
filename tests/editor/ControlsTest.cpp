// The panel's own controls on an offscreen frame: drawing checked by pixels, mouse through
// synthetic events.
#include <cairo.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "editor/controls/DigitDisplay.h"
#include "editor/controls/FolderMenu.h"
#include "editor/controls/IlluButton.h"
#include "editor/controls/LearnLabel.h"
#include "editor/controls/PatchDisplay.h"
#include "editor/controls/SkinKnob.h"
#include "editor/controls/SplashView.h"
#include "editor/controls/SpriteView.h"
#include "gui/Frame.h"

namespace vexo {
namespace {

constexpr CColor kRed{200, 0, 0, 255};
constexpr CColor kGreen{0, 200, 0, 255};
constexpr CColor kBlue{0, 0, 200, 255};
constexpr CColor kYellow{200, 200, 0, 255};
constexpr CColor kWhite{255, 255, 255, 255};

// An image of rows of rowHeight pixels, one colour each, stacked from the top.
SharedBitmap stripImage(int width, int rowHeight, const std::vector<CColor>& rows) {
    auto bitmap = std::make_shared<CBitmap>(width, rowHeight * static_cast<int>(rows.size()));
    cairo_t* cr = cairo_create(bitmap->surface());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        cairo_set_source_rgba(cr, rows[i].red / 255.0, rows[i].green / 255.0, rows[i].blue / 255.0, 1.0);
        cairo_rectangle(cr, 0, static_cast<double>(i) * rowHeight, width, rowHeight);
        cairo_fill(cr);
    }
    cairo_destroy(cr);
    return bitmap;
}

struct Recorder : CControlListener {
    std::vector<float> values;
    int begins = 0;
    int ends = 0;
    int modifierClicks = 0;
    void valueChanged(CControl* control) override { values.push_back(control->getValue()); }
    std::int32_t controlModifierClicked(CControl*, CButtonState) override {
        ++modifierClicks;
        return 0;
    }
    void controlBeginEdit(CControl*) override { ++begins; }
    void controlEndEdit(CControl*) override { ++ends; }
};

// An offscreen frame on a black background.
struct Panel {
    CFrame frame{CRect(0, 0, 400, 300), nullptr};
    Panel() { frame.setPlatform(std::make_unique<OffscreenPlatform>()); }
    template <class T>
    T* add(T* view) {
        frame.addView(view);
        return view;
    }
    CColor at(int x, int y) {
        frame.updateDirty();
        return frame.image().pixel(x, y);
    }
    void click(CPoint where, CButtonState buttons = kLButton) {
        frame.handleMouseDown(where, buttons);
        frame.handleMouseUp(where, buttons);
    }
};

void expectValues(const std::vector<float>& actual, const std::vector<float>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(actual[i], expected[i], 1e-3) << "change " << i;
    }
}

void expectColorNear(const CColor& actual, int red, int green, int blue) {
    EXPECT_NEAR(actual.red, red, 3);
    EXPECT_NEAR(actual.green, green, 3);
    EXPECT_NEAR(actual.blue, blue, 3);
}

TEST(SkinKnobTest, FrameOffsetIsLoweredToWholeFramesWithinTheStrip) {
    EXPECT_EQ(knobFrameOffset(0.0f, 64, 40), 0);
    EXPECT_EQ(knobFrameOffset(-0.5f, 64, 40), 0);
    EXPECT_EQ(knobFrameOffset(0.5f, 3, 10), 10);
    EXPECT_EQ(knobFrameOffset(0.49f, 3, 10), 0);  // 9.8 pixels: still the first frame
    EXPECT_EQ(knobFrameOffset(1.0f, 64, 40), 63 * 40);
    EXPECT_EQ(knobFrameOffset(3.0f, 64, 40), 63 * 40);
    EXPECT_EQ(knobFrameOffset(1.0f, 1, 40), 0);
}

TEST(SkinKnobTest, DrawsTheFrameOfItsValueAndASingleFrameAlways) {
    Panel panel;
    auto* knob =
        panel.add(new SkinKnob(CRect(10, 10, 30, 30), nullptr, 201, stripImage(20, 20, {kRed, kGreen, kBlue}), 3));
    auto* single = panel.add(new SkinKnob(CRect(40, 10, 60, 30), nullptr, 202, stripImage(20, 20, {kYellow}), 1));
    expectColorNear(panel.at(20, 20), 200, 0, 0);
    knob->setValue(0.5f);
    expectColorNear(panel.at(20, 20), 0, 200, 0);
    knob->setValue(1.0f);
    single->setValue(1.0f);
    expectColorNear(panel.at(20, 20), 0, 0, 200);
    expectColorNear(panel.at(50, 20), 200, 200, 0);
}

struct KnobDrag : ::testing::Test {
    Panel panel;
    Recorder recorder;
    SkinKnob* knob = panel.add(new SkinKnob(CRect(10, 10, 50, 50), &recorder, 201, nullptr, 1));
    void SetUp() override {
        knob->setZoomFactor(2.0f);
        knob->setValue(0.5f);
    }
    void move(int x, int y, CButtonState modifiers = 0) { panel.frame.handleMouseMoved({x, y}, kLButton | modifiers); }
};

TEST_F(KnobDrag, LinearDragMovesByTheRangeOver200PixelsAndRebasesOnShift) {
    panel.frame.setKnobMode(kLinearMode);
    panel.frame.handleMouseDown({30, 30}, kLButton);
    EXPECT_EQ(recorder.begins, 1);
    move(50, 30);          // 20 right
    move(50, 20);          // 10 up
    move(50, 20, kShift);  // modifiers change: no jump
    move(70, 20, kShift);  // 20 right at 1/400 per pixel
    move(70, 20);          // back to the full rate: no jump
    move(80, 20);
    move(80, 220);  // far down: clamped to the minimum
    panel.frame.handleMouseUp({80, 220}, kLButton);
    expectValues(recorder.values, {0.6f, 0.65f, 0.7f, 0.75f, 0.0f});
    EXPECT_EQ(recorder.ends, 1);
}

TEST_F(KnobDrag, AltSwapsLinearAndCircular) {
    panel.frame.setKnobMode(kCircularMode);
    panel.frame.handleMouseDown({30, 30}, kLButton | kAlt);
    move(50, 30, kAlt);
    panel.frame.handleMouseUp({50, 30}, kLButton);
    EXPECT_EQ(recorder.modifierClicks, 1);

    panel.frame.setKnobMode(kLinearMode);
    panel.frame.handleMouseDown({30, 12}, kLButton | kAlt);  // straight up: the middle of the sweep
    panel.frame.handleMouseUp({30, 12}, kLButton);
    expectValues(recorder.values, {0.6f, 150.0f / 310.0f});
}

TEST_F(KnobDrag, CircularFollowsTheAngleButNotAcrossTheGap) {
    panel.frame.setKnobMode(kRelativCircularMode);
    panel.frame.handleMouseDown({30, 12}, kLButton);  // 12 o'clock
    move(43, 43);                                     // 45 degrees below 3 o'clock
    move(27, 48);                                     // into the gap at the bottom
    move(14, 39);                                     // past the gap, near the minimum
    move(43, 43);
    panel.frame.handleMouseUp({43, 43}, kLButton);
    expectValues(recorder.values, {150.0f / 310.0f, 285.0f / 310.0f, 1.0f, 285.0f / 310.0f});
}

TEST(IlluButtonTest, MomentaryPressLeaveAndReleaseAreAllNotified) {
    Panel panel;
    Recorder recorder;
    panel.add(new IlluButton(CRect(10, 10, 30, 30), &recorder, 700, 0, nullptr));
    panel.frame.handleMouseDown({20, 20}, kLButton);
    panel.frame.handleMouseMoved({40, 20}, kLButton);
    panel.frame.handleMouseMoved({21, 20}, kLButton);
    panel.frame.handleMouseUp({21, 20}, kLButton);
    expectValues(recorder.values, {1.0f, 0.0f, 1.0f, 0.0f});
}

TEST(IlluButtonTest, DrawsTheRowOfItsStateAndCrossFades) {
    Panel panel;
    auto* key = panel.add(
        new IlluButton(CRect(10, 10, 30, 30), nullptr, 700, 20, stripImage(20, 20, {kRed, kBlue, kGreen, kYellow})));
    auto* twoRows =
        panel.add(new IlluButton(CRect(40, 10, 60, 30), nullptr, 701, 20, stripImage(20, 20, {kRed, kGreen})));
    expectColorNear(panel.at(20, 20), 200, 0, 0);
    panel.frame.handleMouseDown({20, 20}, kLButton);
    expectColorNear(panel.at(20, 20), 0, 0, 200);
    key->setLight(true);
    expectColorNear(panel.at(20, 20), 200, 200, 0);
    panel.frame.handleMouseUp({20, 20}, kLButton);
    expectColorNear(panel.at(20, 20), 0, 200, 0);
    twoRows->setLight(true);
    expectColorNear(panel.at(50, 20), 0, 200, 0);

    // Half faded: red at alpha 127, then green at alpha 128 over it, on black.
    key->setLight(false);
    key->setFade(true);
    key->setFadeLevel(0.5f);
    expectColorNear(panel.at(20, 20), 50, 100, 0);
}

TEST(IlluButtonTest, FadeHalvesTheDistanceEachStepAndStopsWithin001) {
    Panel panel;
    auto* key = panel.add(new IlluButton(CRect(10, 10, 30, 30), nullptr, 700, 0, nullptr));
    key->setFade(true);
    key->setLight(true);
    panel.frame.updateDirty();
    for (float expected : {0.5f, 0.75f, 0.875f, 0.9375f, 0.96875f, 0.984375f, 0.9921875f}) {
        EXPECT_TRUE(key->fadeStep());
        EXPECT_FLOAT_EQ(key->getFadeLevel(), expected);
        EXPECT_TRUE(key->isDirty());
        panel.frame.updateDirty();
    }
    EXPECT_FALSE(key->fadeStep());
    EXPECT_FALSE(key->isDirty());
    EXPECT_FLOAT_EQ(key->getFadeLevel(), 0.9921875f);

    key->setLight(true);  // on while already on: no more fading
    EXPECT_FLOAT_EQ(key->getFadeLevel(), 1.0f);
    key->setLight(false);
    EXPECT_TRUE(key->fadeStep());
    EXPECT_FLOAT_EQ(key->getFadeLevel(), 0.5f);
}

TEST(DigitDisplayTest, SplitsClampedTruncatedDigits) {
    EXPECT_EQ(splitDigits(1000.0f, 3), (std::array<int, 7>{9, 9, 9, 0, 0, 0, 0}));
    EXPECT_EQ(splitDigits(42.7f, 3), (std::array<int, 7>{0, 4, 2, 0, 0, 0, 0}));
    EXPECT_EQ(splitDigits(-5.0f, 2), (std::array<int, 7>{0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(splitDigits(1234567.0f, 7), (std::array<int, 7>{1, 2, 3, 4, 5, 6, 7}));
}

struct DigitPanel : ::testing::Test {
    Panel panel;
    Recorder recorder;
    DigitDisplay* display = panel.add(new DigitDisplay(CRect(10, 10, 28, 18), &recorder, 106, 3));
    void SetUp() override {
        std::vector<CColor> digits;
        for (int d = 0; d < 10; ++d) {
            digits.push_back({static_cast<std::uint8_t>(20 + 20 * d), 0, 0, 255});
        }
        const SharedBitmap strip = stripImage(6, 8, digits);
        for (int i = 0; i < 3; ++i) {
            display->setDigit(i, CRect::fromSize(10 + 6 * i, 10, 6, 8), strip);
        }
    }
    int digitShownAt(int i) { return (panel.at(13 + 6 * i, 14).red - 20) / 20; }
};

TEST_F(DigitPanel, DrawsEachDigitFromItsStripAndShows999For1000) {
    display->setValue(305.0f);
    EXPECT_EQ(digitShownAt(0), 3);
    EXPECT_EQ(digitShownAt(1), 0);
    EXPECT_EQ(digitShownAt(2), 5);
    display->setValue(1000.0f);
    EXPECT_EQ(digitShownAt(0), 9);
    EXPECT_EQ(digitShownAt(1), 9);
    EXPECT_EQ(digitShownAt(2), 9);
}

TEST_F(DigitPanel, DragWheelAndDefaultClick) {
    display->setValue(100.0f);
    panel.frame.handleMouseDown({13, 14}, kLButton);
    panel.frame.handleMouseMoved({21, 14}, kLButton);            // 8 right: 999 / 800 each
    panel.frame.handleMouseMoved({21, 14}, kLButton | kShift);   // no jump
    panel.frame.handleMouseMoved({21, -66}, kLButton | kShift);  // 80 up: 999 / 8000 each
    panel.frame.handleMouseUp({21, -66}, kLButton);
    display->setWheelInc(10.0f);
    panel.frame.handleWheel({13, 14}, 1.0f, 0);
    panel.frame.handleWheel({13, 14}, 2.0f, kShift);
    panel.click({13, 14}, kLButton | kControl);
    expectValues(recorder.values, {109.99f, 119.98f, 120.98f, 122.98f, 0.0f});
    panel.frame.handleWheel({13, 14}, -1.0f, 0);  // at the minimum: nothing changes
    EXPECT_EQ(recorder.values.size(), 5u);
}

TEST(FolderMenuTest, RefusesThe1024thEntry) {
    FolderMenu menu(CRect(), nullptr, 111);
    for (int i = 0; i < 1023; ++i) {
        ASSERT_TRUE(menu.addEntry(std::to_string(i)));
    }
    EXPECT_FALSE(menu.addEntry("one more"));
    EXPECT_FALSE(menu.addEntry(new FolderMenu(CRect(), nullptr, 0), "folder"));
    EXPECT_EQ(menu.getNbEntries(), 1023);
}

TEST(FolderMenuTest, SortsFromAPositionInByteOrderKeepingSubmenusAndCurrent) {
    FolderMenu menu(CRect(), nullptr, 111);
    menu.setPath(std::string(300, 'd'));
    EXPECT_EQ(menu.getPath().size(), 255u);
    auto* zeta = new FolderMenu(CRect(), nullptr, 0);
    auto* alpha = new FolderMenu(CRect(), nullptr, 0);
    menu.addEntry("load");
    menu.addEntry("-");
    menu.addEntry(zeta, "zeta");
    menu.addEntry("\xC3\xA9t\xC3\xA9");
    menu.addEntry("Beta");
    menu.addEntry(alpha, "alpha");
    menu.setCurrent(5);
    menu.sortEntries(2);
    const std::vector<std::string> expected{"load", "-", "Beta", "alpha", "zeta", "\xC3\xA9t\xC3\xA9"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(menu.getEntry(i), expected[i]);
    }
    EXPECT_EQ(menu.getSubMenu(3), alpha);
    EXPECT_EQ(menu.getSubMenu(4), zeta);
    EXPECT_EQ(menu.getSubMenu(2), nullptr);
    EXPECT_EQ(menu.getCurrent(), 3);
}

TEST(LearnLabelTest, DrawsOnlyWhileShownWithItsFrameColourAndLetsClicksThrough) {
    Panel panel;
    Recorder recorder;
    panel.add(new IlluButton(CRect(10, 10, 60, 40), &recorder, 700, 0, nullptr));
    auto* label = panel.add(new LearnLabel(CRect(10, 10, 40, 24), nullptr, 0, stripImage(30, 14, {kWhite})));
    auto* patch = panel.add(new PatchDisplay(CRect(40, 24, 60, 40), nullptr, 110, "Test"));
    label->setFontColor(kBlackCColor);
    EXPECT_EQ(panel.at(35, 20), kBlackCColor);
    label->show();
    expectColorNear(panel.at(35, 20), 180, 180, 180);  // the image at alpha 180 over black
    expectColorNear(panel.at(10, 17), 64, 64, 64);
    label->setSelected(true);
    expectColorNear(panel.at(10, 17), 235, 85, 35);
    label->setLine(0, "42");
    bool textDrawn = false;
    for (int x = 12; x < 38; ++x) {
        for (int y = 11; y < 23; ++y) {
            textDrawn = textDrawn || panel.at(x, y).red < 120;
        }
    }
    EXPECT_TRUE(textDrawn);

    panel.click({20, 15});
    panel.click({50, 30});
    expectValues(recorder.values, {1.0f, 0.0f, 1.0f, 0.0f});
    EXPECT_EQ(patch->getText(), "Test");
}

TEST(SpriteViewTest, StepsThroughFramesAndShowsOrHidesOnClick) {
    Panel panel;
    Recorder recorder;
    auto* sprite = panel.add(
        new SpriteView(CRect(10, 10, 26, 21), &recorder, 2016, stripImage(16, 11, {kRed, kGreen, kBlue}), 3, 11));
    std::vector<int> offsets{sprite->getFrameOffset()};
    for (int i = 0; i < 3; ++i) {
        sprite->nextFrame();
        offsets.push_back(sprite->getFrameOffset());
    }
    EXPECT_EQ(offsets, (std::vector<int>{0, 11, 22, 0}));
    sprite->previousFrame();
    EXPECT_EQ(sprite->getFrameOffset(), 22);
    EXPECT_EQ(panel.at(15, 15), kBlackCColor);

    panel.click({15, 15});
    EXPECT_TRUE(sprite->isShown());
    EXPECT_EQ(sprite->getFrameOffset(), 0);
    EXPECT_EQ(recorder.values.size(), 1u);
    sprite->nextFrame();
    expectColorNear(panel.at(15, 15), 0, 200, 0);
    panel.click({15, 15});
    EXPECT_FALSE(sprite->isShown());
    EXPECT_EQ(recorder.values.size(), 1u);
    EXPECT_EQ(panel.at(15, 15), kBlackCColor);
}

TEST(SplashViewTest, ShownWhileNonZeroWithTheDefaultVersionLine) {
    Panel panel;
    Recorder recorder;
    auto* splash = panel.add(new SplashView(CRect(0, 0, 337, 230), &recorder, 100, stripImage(337, 230, {kBlue})));
    panel.click({5, 5});
    EXPECT_TRUE(recorder.values.empty());  // hidden: takes no clicks
    EXPECT_EQ(panel.at(5, 5), kBlackCColor);

    splash->open();
    expectColorNear(panel.at(5, 5), 0, 0, 200);
    bool versionDrawn = false;
    for (int x = 17; x < 120; ++x) {
        for (int y = 160; y < 173; ++y) {
            versionDrawn = versionDrawn || panel.at(x, y).red > 100;
        }
    }
    EXPECT_TRUE(versionDrawn);

    panel.click({5, 5});
    expectValues(recorder.values, {0.0f});
    EXPECT_FALSE(splash->isVisible());
    EXPECT_EQ(panel.at(5, 5), kBlackCColor);
}

}  // namespace
}  // namespace vexo

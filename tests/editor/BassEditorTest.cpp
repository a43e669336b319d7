#include <gtest/gtest.h>

#include "EditorFixture.h"
#include "editor/PanelState.h"
#include "editor/controls/DigitDisplay.h"
#include "editor/controls/IlluButton.h"
#include "editor/controls/LearnLabel.h"
#include "editor/controls/SkinKnob.h"
#include "editor/controls/SpriteView.h"
#include "editor/skin/SkinElements.h"
#include "gui/Controls.h"

namespace vexo::test {
namespace {

using BassEditorTest = EditorFixture;

// Views the build leaves hidden until something shows them.
bool hiddenAtStart(int tag) {
    return tag == kSplash || tag == kSkinSplash || tag == kPatternDropDown || tag == kOptionDropDown;
}

// Every element with an image gets its control, and that control's rectangle shows more
// than the bare background.
void expectEveryElementDrawn(BassEditor& editor) {
    const SkinDefinition& skin = editor.skin();
    const SharedBitmap background = skin.elementImage(kBackground);
    ASSERT_TRUE(background);
    const CBitmap& shown = editor.getFrame()->image();
    int checked = 0;
    for (const SkinElement& element : skin.elements()) {
        const int id = element.id;
        if (id == kBackground || hiddenAtStart(id) || id == kMidiCcBox || id >= kStepsDigits10 ||
            !skin.elementImage(id)) {
            continue;
        }
        CControl* control = editor.control<CControl>(id);
        ASSERT_NE(control, nullptr) << "element " << id;
        const CRect r = control->getViewSize().intersection(CRect(0, 0, shown.getWidth(), shown.getHeight()));
        int differing = 0;
        for (int y = r.top; y < r.bottom; ++y) {
            for (int x = r.left; x < r.right; ++x) {
                differing += shown.pixel(x, y) != background->pixel(x, y) ? 1 : 0;
            }
        }
        EXPECT_GT(differing, 0) << "element " << id << " is not drawn";
        ++checked;
    }
    EXPECT_GT(checked, 100);
}

TEST_F(BassEditorTest, BuildsAndDrawsEveryElementOfBothShippedSkins) {
    BassEditor& editor = openEditor();
    ERect* rect = nullptr;
    ASSERT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect->right, editor.skin().elementRect(kBackground).right);
    expectEveryElementDrawn(editor);
    EXPECT_EQ(editor.learnLabels().size(), 55u);

    editor.close();
    ASSERT_TRUE(editor.selectSkin("DuzazezorAduviz2 Large"));
    ASSERT_TRUE(editor.open(nullptr));
    ASSERT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_GT(rect->right, 1500);
    expectEveryElementDrawn(editor);
}

TEST_F(BassEditorTest, KnobDragAutomatesTheHostAndHostChangesMoveTheKnob) {
    BassEditor& editor = openEditor();
    const CPoint start = centre(kCutoffKnob);
    const float before = synth().getParameter(kCutoff);
    frame().handleMouseDown(start, kLButton);
    frame().handleMouseMoved({start.x, start.y - 40}, kLButton);
    frame().handleMouseUp({start.x, start.y - 40}, kLButton);
    EXPECT_NEAR(synth().getParameter(kCutoff), std::min(1.0f, before + 0.2f), 1e-4);
    ASSERT_FALSE(host.automations.empty());
    EXPECT_EQ(host.automations.back().first, kCutoff);
    ASSERT_GE(host.edits.size(), 2u);
    EXPECT_EQ(host.edits.front(), std::make_pair(int{kCutoff}, true));
    EXPECT_EQ(host.edits.back(), std::make_pair(int{kCutoff}, false));

    synth().setParameter(kResonance, 0.25f);
    EXPECT_NE(editor.control<SkinKnob>(kResonanceKnob)->getValue(), 0.25f);  // drawn in idle only
    editor.idle();
    EXPECT_EQ(editor.control<SkinKnob>(kResonanceKnob)->getValue(), 0.25f);
    synth().setParameter(kWaveform, 1.0f);
    editor.idle();
    EXPECT_EQ(editor.control<COnOffButton>(kWaveformSwitch)->getValue(), 1.0f);
}

TEST_F(BassEditorTest, RefreshShowsTheEditStepPatternAndModes) {
    BassEditor& editor = openEditor();
    Pattern& pattern = synth().bank().current();
    pattern.setLength(12);
    pattern.setStep(3, Step{5, StepFlags::Gate | StepFlags::Up | StepFlags::Accent});
    pattern.setTriplet(true);
    synth().setProgrammingPosition(3);
    synth().selectPattern(synth().bank().currentPattern());
    editor.refresh();
    for (int led = 0; led < 13; ++led) {
        EXPECT_EQ(editor.control<CControl>(kNoteLed1 + led)->getValue(), led == 5 ? 1.0f : 0.0f);
        EXPECT_EQ(editor.control<IlluButton>(kIlluButton1 + led)->getLight(), led == 5);
    }
    EXPECT_EQ(editor.control<CControl>(kUpLed)->getValue(), 1.0f);
    EXPECT_EQ(editor.control<CControl>(kAccentLed)->getValue(), 1.0f);
    EXPECT_EQ(editor.control<CControl>(kDownLed)->getValue(), 0.0f);
    EXPECT_EQ(editor.control<CControl>(kTimeModeLed)->getValue(), 1.0f);  // the gate
    EXPECT_EQ(editor.control<CControl>(kTripletLed)->getValue(), 1.0f);
    EXPECT_EQ(editor.control<DigitDisplay>(kStepDisplay)->getValue(), 4.0f);
    EXPECT_EQ(editor.control<DigitDisplay>(kStepsDigits)->getValue(), 12.0f);

    // A MIDI key selects a pattern on the audio side; the next idle call shows it.
    sendMidi({{0, 0x90, 7, 100}});
    process(64);
    editor.idle();
    EXPECT_EQ(editor.control<DigitDisplay>(kPatternDigits)->getValue(), 7.0f);
}

TEST_F(BassEditorTest, TimedJobsFollowTheClock) {
    writeConfig("User.ini", "Eggs = 1\n");
    BassEditor& editor = openEditor();
    // The light show: frame 0 lights everything, frame 14 restores the pattern's note.
    const int noteLed = noteLedIndex(synth().bank().current().step(synth().programmingPosition()).note);
    const int otherLed = (noteLed + 6) % 13;
    advance(50);
    EXPECT_EQ(editor.lightShowFrame(), 1);
    EXPECT_EQ(editor.control<CControl>(kNoteLed1 + otherLed)->getValue(), 1.0f);
    advance(15 * 50);
    EXPECT_EQ(editor.lightShowFrame(), 15);
    EXPECT_EQ(editor.control<CControl>(kNoteLed1 + otherLed)->getValue(), 0.0f);
    EXPECT_EQ(editor.control<CControl>(kNoteLed1 + noteLed)->getValue(), 1.0f);

    // MIDI activity lights the LED for 75 ms.
    sendMidi({{0, 0xB0, 20, 5}});
    editor.idle();
    EXPECT_EQ(editor.control<CControl>(kMidiLed)->getValue(), 1.0f);
    advance(80);
    EXPECT_EQ(editor.control<CControl>(kMidiLed)->getValue(), 0.0f);

    // Holding the pattern rocker's upper half: one step at once, the next after 125 ms,
    // then one every 50 ms.
    auto* rocker = editor.control<CRockerSwitch>(kPatternRocker);
    const CRect r = rocker->getViewSize();
    const int first = synth().bank().currentPattern();
    frame().handleMouseDown({r.left + 2, r.top + 2}, kLButton);
    EXPECT_EQ(synth().bank().currentPattern(), first + 1);
    advance(120);
    EXPECT_EQ(synth().bank().currentPattern(), first + 1);
    advance(20);
    EXPECT_EQ(synth().bank().currentPattern(), first + 2);
    advance(60);
    EXPECT_EQ(synth().bank().currentPattern(), first + 3);
    frame().handleMouseUp({r.left + 2, r.top + 2}, kLButton);
    advance(200);
    EXPECT_EQ(synth().bank().currentPattern(), first + 3);
}

TEST_F(BassEditorTest, RunLedBlinksWhileRunningAndTheSpriteNeedsEggs) {
    writeConfig("User.ini", "Eggs = 0\n");
    BassEditor& editor = openEditor();
    advance(100);
    EXPECT_EQ(editor.lightShowFrame(), 0);
    click(centre(kIlluButton15));  // run
    ASSERT_TRUE(synth().stepClock().playing());
    int lit = 0;
    for (int i = 0; i < 8; ++i) {
        advance(100);
        lit += editor.control<CControl>(kRunStopLed)->getValue() == 1.0f ? 1 : 0;
    }
    EXPECT_GT(lit, 0);
    EXPECT_LT(lit, 8);

    for (int index = 0; index <= kAccent; ++index) {
        synth().setParameter(index, 1.0f);
    }
    editor.idle();  // the knobs follow, so the change below keeps the cutoff at 1
    editor.valueChanged(editor.control<CControl>(kCutoffKnob));
    EXPECT_FALSE(editor.control<SpriteView>(BassEditor::kHiddenSpriteTag)->isShown());
    synth().settings().eggs = 1;
    editor.valueChanged(editor.control<CControl>(kCutoffKnob));
    auto* sprite = editor.control<SpriteView>(BassEditor::kHiddenSpriteTag);
    EXPECT_TRUE(sprite->isShown());
    const int left = sprite->getLeft();
    advance(500);
    EXPECT_LT(sprite->getLeft(), left);
}

TEST_F(BassEditorTest, LearnLabelsShowTheControllerMap) {
    BassEditor& editor = openEditor();
    synth().setLearn(true);
    synth().controllerMap().assignController(74, kCutoff);
    editor.refresh();
    for (const auto& [label, number] : editor.learnLabels()) {
        if (number == kCutoff) {
            EXPECT_TRUE(label->isShown());
            EXPECT_EQ(label->getLine(0), "74");
        }
    }
    synth().setLearn(false);
    editor.refresh();
    editor.refreshLearnLabels();
    for (const auto& item : editor.learnLabels()) {
        EXPECT_FALSE(item.first->isShown());
    }
}

TEST_F(BassEditorTest, SettingsSurviveCloseAndAMissingSkinFallsBack) {
    writeConfig("Gui.ini", "Skin = \"No Such Skin\"\nKnobMode = 1\nFunctionButton1 = 4\n");
    BassEditor& editor = openEditor();
    EXPECT_EQ(editor.guiSettings().knobMode, 1);
    EXPECT_NE(editor.control<SkinKnob>(kCutoffKnob), nullptr);  // the default skin's images
    dispatch(effEditClose);
    EXPECT_NE(readFile(folder.file("Gui.ini")).find("FunctionButton1 = 4\n"), std::string::npos);
    EXPECT_EQ(dispatch(effEditIdle), 0);
    editor.setOffscreen(true);
    EXPECT_EQ(dispatch(effEditOpen), 1);
    EXPECT_NE(editor.getFrame(), nullptr);
    plugin.reset();  // closes the open editor on the way
}

}  // namespace
}  // namespace vexo::test

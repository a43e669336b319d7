// Programming the current pattern from a MIDI keyboard: the key decision, learning, and
// the programming functions of both modes.
#include <gtest/gtest.h>

#include "PluginFixture.h"
#include "config/ProgrammingCodes.h"

namespace vexo {
namespace {

namespace Code = ProgrammingCode;

class KeyboardProgramming : public test::PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        create();
        plugin->settings().midiKeyProgramming = 1;
        pattern().clear(false);
    }
    Pattern& pattern() { return plugin->bank().current(); }
    Step at(int i) { return pattern().step(i); }
    void key(int note) { plugin->handleMidi(0, 0x90, note, 100); }
    void run(int code) { plugin->programmingFunction(code); }
    int position() const { return plugin->programmingPosition(); }
    void timeMode() { plugin->settings().programmingMode = 1; }
};

TEST_F(KeyboardProgramming, PitchKeysSetTheNoteAtThePosition) {
    key(50);
    EXPECT_EQ(at(0).note, 2);
    key(60);
    EXPECT_EQ(at(0).note, 12);
    key(61);  // not a pitch key: passed on, it selects pattern 61
    EXPECT_EQ(plugin->bank().pattern(0).step(0).note, 12);
    EXPECT_EQ(plugin->bank().currentPattern(), 61);
    EXPECT_TRUE(plugin->stepClock().playing());
}

TEST_F(KeyboardProgramming, ConsumedKeysNeitherSelectNorStopPatterns) {
    key(36);  // Run/Stop starts the sequencer ...
    EXPECT_TRUE(plugin->stepClock().playing());
    EXPECT_EQ(plugin->bank().currentPattern(), 0);
    key(50);  // ... and programming keys leave it running
    EXPECT_TRUE(plugin->stepClock().playing());
    plugin->handleMidi(0, 0x80, 50, 0);
    EXPECT_TRUE(plugin->stepClock().playing());
    EXPECT_TRUE(plugin->editorRefreshPending());
}

TEST_F(KeyboardProgramming, FunctionKeysAreTestedInOrder) {
    key(78);  // Gate
    EXPECT_TRUE(at(0).has(StepFlags::Gate));
    key(72);  // Down
    key(74);  // Up
    key(76);  // Accent
    key(77);  // Slide
    EXPECT_EQ(at(0).flags, StepFlags::Gate | StepFlags::Down | StepFlags::Up | StepFlags::Accent | StepFlags::Slide);
    key(84);  // Next
    key(84);
    EXPECT_EQ(position(), 2);
    key(83);  // Back
    EXPECT_EQ(position(), 1);
    key(82);  // First step
    EXPECT_EQ(position(), 0);

    // A pitch-key range that covers a function key wins over it.
    plugin->keyMap().assignKey(KeyMap::PitchKeys, 70);
    key(72);
    EXPECT_EQ(at(0).note, 2);
    EXPECT_TRUE(at(0).has(StepFlags::Down));
    // With no pitch keys, no note is a pitch key.
    plugin->keyMap().setEntry(KeyMap::PitchKeys, -1);
    key(48);
    EXPECT_EQ(plugin->bank().currentPattern(), 48);
}

TEST_F(KeyboardProgramming, PatternChangeHandsOneNoteToPatternSelection) {
    key(37);  // Pattern Change: armed, and itself passed on
    EXPECT_TRUE(plugin->patternChangeArmed());
    key(50);  // selects pattern 50 instead of setting a note
    EXPECT_EQ(plugin->bank().currentPattern(), 50);
    EXPECT_FALSE(plugin->patternChangeArmed());
    key(52);  // programming works again
    EXPECT_EQ(plugin->bank().currentPattern(), 50);
    EXPECT_EQ(plugin->bank().pattern(50).step(0).note, 4);
}

TEST_F(KeyboardProgramming, LearningAssignsTheNextKey) {
    plugin->setLearn(true);
    run(Code::Clear);  // with learn on the function only becomes the learn target
    EXPECT_EQ(plugin->programmingLearnTarget(), Code::Clear + 13);
    pattern().setStep(0, Step{5, StepFlags::Gate});
    EXPECT_EQ(at(0).note, 5);
    key(84);  // Next's key moves to Clear
    EXPECT_EQ(plugin->keyMap().key(KeyMap::Clear), 84);
    EXPECT_EQ(plugin->keyMap().key(KeyMap::Next), -1);
    EXPECT_EQ(plugin->programmingLearnTarget(), -1);

    run(0);  // the first pitch key learns the whole pitch-key range
    key(60);
    EXPECT_EQ(plugin->keyMap().key(KeyMap::PitchKeys), 60);
    run(5);  // other pitch keys and codes without a key entry learn nothing, but consume the key
    key(40);
    run(Code::LengthUp);
    key(61);
    EXPECT_EQ(plugin->keyMap().key(KeyMap::PitchKeys), 60);
    EXPECT_EQ(plugin->bank().currentPattern(), 0);

    // Touching a knob cancels a pending key learn; a controller learn target replaces it.
    run(Code::Gate);
    plugin->setParameter(kCutoff, 0.4f);
    EXPECT_EQ(plugin->programmingLearnTarget(), -1);
    key(70);  // no target: passed on to pattern selection
    EXPECT_EQ(plugin->bank().currentPattern(), 70);
}

TEST_F(KeyboardProgramming, ModeZeroWrapsAndAutoAdvances) {
    pattern().setLength(16);
    run(Code::AutoAdvance);
    EXPECT_EQ(plugin->programmingAdvance(), 1);
    plugin->setProgrammingPosition(15);
    run(7);
    EXPECT_EQ(at(15).note, 7);
    EXPECT_EQ(position(), 0);  // wrapped
    run(Code::Back);
    EXPECT_EQ(position(), 15);
    run(Code::Next);
    EXPECT_EQ(position(), 0);
    plugin->setProgrammingPosition(6);
    run(Code::AutoAdvance);  // turning it off resets the position
    EXPECT_EQ(position(), 0);
    plugin->setProgrammingPosition(6);
    run(Code::AutoAdvance);  // turning it on keeps it
    EXPECT_EQ(position(), 6);
}

TEST_F(KeyboardProgramming, LengthLimits) {
    pattern().setLength(64);
    run(Code::LengthUp);
    EXPECT_EQ(pattern().length(), 64);
    pattern().setLength(1);
    run(Code::LengthDown);
    EXPECT_EQ(pattern().length(), 1);
    run(Code::LengthUp);
    EXPECT_EQ(pattern().length(), 2);
}

TEST_F(KeyboardProgramming, ClearFollowsClearNotesInModeZeroAndGatesInModeOne) {
    pattern().setStep(3, Step{9, StepFlags::Accent});
    pattern().setTriplet(true);
    plugin->setProgrammingPosition(5);
    plugin->settings().clearNotes = 0;
    run(Code::Clear);
    EXPECT_EQ(at(3), (Step{0, 0}));
    EXPECT_FALSE(pattern().isTriplet());
    EXPECT_EQ(position(), 0);
    timeMode();
    run(Code::Clear);
    EXPECT_EQ(at(3), (Step{0, StepFlags::Gate}));
}

TEST_F(KeyboardProgramming, ModeOnePitchEntryStopsAtTheLastStep) {
    timeMode();
    pattern().setLength(4);
    run(Code::AutoAdvance);  // pitch entry
    EXPECT_EQ(plugin->programmingAdvance(), 1);
    plugin->setProgrammingPosition(3);
    run(9);
    EXPECT_EQ(at(3).note, 9);
    EXPECT_EQ(position(), 3);  // no wrap
    run(Code::AutoAdvance);    // already in pitch entry: back to the first step
    EXPECT_EQ(position(), 0);
    run(Code::Down);
    run(Code::Up);
    run(Code::Accent);
    run(Code::Slide);
    EXPECT_EQ(at(0).flags, StepFlags::Down | StepFlags::Up | StepFlags::Accent | StepFlags::Slide);
}

TEST_F(KeyboardProgramming, ModeOneTimeEntryMarksNotesTiesAndRests) {
    timeMode();
    pattern().setLength(4);
    run(Code::AutoAdvance);  // pitch entry
    plugin->setProgrammingPosition(2);
    run(Code::Gate);  // time entry, entered from pitch entry: keeps the position
    EXPECT_EQ(plugin->programmingAdvance(), 0);
    EXPECT_EQ(position(), 2);
    run(Code::Gate);  // already in time entry: first step
    EXPECT_EQ(position(), 0);

    pattern().setStep(0, Step{3, StepFlags::Up | StepFlags::Tie | StepFlags::RestMark | StepFlags::Slide});
    pattern().setStep(1, Step{4, StepFlags::Gate | StepFlags::Accent | StepFlags::NoteMark});
    pattern().setStep(2, Step{5, StepFlags::Gate | StepFlags::Slide | StepFlags::Tie | StepFlags::Down});
    run(Code::Down);    // note
    run(Code::Up);      // tie
    run(Code::Accent);  // rest
    run(Code::Slide);   // nothing in time entry
    EXPECT_EQ(at(0), (Step{3, StepFlags::Up | StepFlags::Slide | StepFlags::Gate | StepFlags::NoteMark}));
    EXPECT_EQ(at(1), (Step{4, StepFlags::Gate | StepFlags::Accent | StepFlags::Tie}));
    EXPECT_EQ(at(2), (Step{5, StepFlags::Down | StepFlags::RestMark}));
    EXPECT_EQ(position(), 3);
    run(Code::Down);
    EXPECT_EQ(position(), 3);  // the last step: no wrap
}

TEST_F(KeyboardProgramming, ModeOneEditorButtons) {
    timeMode();
    pattern().setLength(4);
    run(Code::AutoAdvance);  // pitch entry
    pattern().setStep(0, Step{1, StepFlags::Slide});
    run(Code::GateOn);
    EXPECT_EQ(at(0), (Step{1, StepFlags::Gate}));
    EXPECT_EQ(position(), 1);
    pattern().setStep(1, Step{1, StepFlags::Gate | StepFlags::Slide});
    run(Code::GateOff);
    EXPECT_EQ(at(1), (Step{1, 0}));
    plugin->setProgrammingPosition(0);
    pattern().setStep(0, Step{2, StepFlags::Gate});
    run(Code::SlideBefore);  // slide on the step before: the last one from step 0
    EXPECT_TRUE(at(3).has(StepFlags::Slide));
    EXPECT_EQ(at(0), (Step{2, 0}));
    EXPECT_EQ(position(), 1);
    plugin->setProgrammingPosition(3);
    run(Code::Next);
    EXPECT_EQ(position(), 0);  // explicit moves wrap in both modes
}

TEST_F(KeyboardProgramming, RunStopFromTheEditorSendsItsMidiWithTheNextBlock) {
    plugin->settings().midiOutput = 1;
    plugin->settings().midiOutputChannel = 4;
    run(Code::RunStop);
    EXPECT_TRUE(plugin->stepClock().playing());
    plugin->stepClock().lastSentNote = 41;
    run(Code::RunStop);
    EXPECT_FALSE(plugin->stepClock().playing());
    EXPECT_TRUE(host.midi.empty());
    process(64);
    EXPECT_EQ(host.midi, (std::vector<test::SentMidi>{{0, 0x84, 41, 0, true}, {0, 0xB4, 123, 0, true}}));
}

TEST_F(KeyboardProgramming, AsymmetryToggles) {
    EXPECT_TRUE(plugin->voice().asymmetry());
    run(Code::Asymmetry);
    EXPECT_FALSE(plugin->voice().asymmetry());
    run(Code::Asymmetry);
    EXPECT_TRUE(plugin->voice().asymmetry());
}

TEST_F(KeyboardProgramming, OffOrInNoteModeKeysPlayAsUsual) {
    plugin->settings().midiKeyProgramming = 0;
    key(50);
    EXPECT_EQ(plugin->bank().currentPattern(), 50);
    plugin->settings().midiKeyProgramming = 1;
    plugin->settings().midiMode = 2;
    key(52);
    EXPECT_EQ(plugin->bank().pattern(50).step(0).note, 0);
    EXPECT_EQ(plugin->noteState().noteGate, 1);
}

TEST_F(KeyboardProgramming, KeyMapTravelsInMapFiles) {
    plugin->keyMap().assignKey(KeyMap::Slide, 90);
    ASSERT_TRUE(writeControllerMap(folder.file("keys.map"), plugin->controllerMap(), plugin->keyMap()));
    create();
    EXPECT_EQ(plugin->keyMap().key(KeyMap::Slide), 77);
    ASSERT_TRUE(readControllerMap(folder.file("keys.map"), plugin->controllerMap(), plugin->keyMap()));
    EXPECT_EQ(plugin->keyMap().key(KeyMap::Slide), 90);
}

}  // namespace
}  // namespace vexo

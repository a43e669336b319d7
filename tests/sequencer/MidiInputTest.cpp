// MIDI input: Pattern mode, Note mode, controllers and MIDI learn.
#include <gtest/gtest.h>

#include "PluginFixture.h"
#include "voice/PitchTables.h"

namespace vexo {
namespace {

class MidiInput : public test::PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        create();
    }
    void on(int key, int velocity = 100) { plugin->handleMidi(0, 0x90, key, velocity); }
    void off(int key) { plugin->handleMidi(0, 0x80, key, 0); }
    void cc(int controller, int value) { plugin->handleMidi(0, 0xB0, controller, value); }
    int current() const { return plugin->bank().currentPattern(); }
    bool playing() const { return plugin->stepClock().playing(); }
    float pitchOf(int key) const { return pitchTableStandard()[static_cast<std::size_t>(key)]; }
    Settings& settings() { return plugin->settings(); }
};

TEST_F(MidiInput, HeldKeySelectsAndRunsItsPattern) {
    on(127);
    EXPECT_EQ(current(), 127);
    EXPECT_TRUE(playing());
    EXPECT_TRUE(plugin->editorRefreshPending());
    off(127);
    EXPECT_FALSE(playing());
    EXPECT_EQ(plugin->noteState().noteGate, 0);
}

TEST_F(MidiInput, ReleaseReturnsToTheHighestHeldKey) {
    settings().midiOutput = 1;
    settings().midiOutputChannel = 2;
    on(5);
    on(9);
    EXPECT_EQ(current(), 9);
    off(9);
    EXPECT_EQ(current(), 5);
    EXPECT_TRUE(playing());
    sendMidi({{20, 0x80, 5, 0}});
    process(64);
    EXPECT_FALSE(playing());
    // All notes off, sent at once and queued for the block's event list.
    EXPECT_EQ(host.midi, (std::vector<test::SentMidi>{{0, 0xB2, 123, 0, true}, {0, 0xB2, 123, 0, true}}));
    EXPECT_EQ(host.listSizes, (std::vector<int>{1, 1}));
}

TEST_F(MidiInput, VelocityZeroIsARelease) {
    on(12);
    on(12, 0);
    EXPECT_FALSE(playing());
    EXPECT_FALSE(plugin->keyHeld(12));
}

TEST_F(MidiInput, ReleasingAKeyThatIsNotHeldChangesNothing) {
    plugin->runStop();  // started without a held key, as the Run/Stop key does
    off(50);
    on(51, 0);
    EXPECT_TRUE(playing());
}

TEST_F(MidiInput, ANewKeyWhilePlayingWrapsTheStepIndex) {
    plugin->bank().pattern(7).setLength(4);
    on(3);
    plugin->stepClock().stepIndex = 10;
    on(7);
    EXPECT_EQ(plugin->stepClock().stepIndex, 2);
    EXPECT_TRUE(playing());
}

TEST_F(MidiInput, SelectLockKeepsThePatternButStillStartsAndStops) {
    plugin->selectPattern(4);
    plugin->bank().setSelectLock(true);
    on(60);
    EXPECT_EQ(current(), 4);
    EXPECT_TRUE(playing());
    off(60);
    EXPECT_FALSE(playing());
}

TEST_F(MidiInput, NoteModeBringsKeysIntoRange) {
    settings().midiMode = 2;
    on(100);
    EXPECT_EQ(plugin->noteState().stepPitch, pitchOf(76));
    EXPECT_EQ(plugin->noteState().noteGate, 1);
    EXPECT_EQ(plugin->noteState().envTrigger, 1);
    off(100);
    settings().capNotes = 1;
    on(100);
    EXPECT_EQ(plugin->noteState().stepPitch, pitchOf(83));
    EXPECT_FALSE(playing());
}

TEST_F(MidiInput, NoteModeLegatoGlidesAndLastNoteReleases) {
    settings().midiMode = 2;
    on(60, 50);
    plugin->noteState().envTrigger = 0;
    on(90, 120);  // legato: glides, no retrigger, octaves down to 71 or below
    EXPECT_EQ(plugin->noteState().stepPitch, pitchOf(66));
    EXPECT_EQ(plugin->noteState().prevSlide, 1);
    EXPECT_EQ(plugin->noteState().envTrigger, 0);
    EXPECT_EQ(plugin->noteState().accentOn, 1);  // velocity above AccentVelocity
    off(60);                                     // not the sounding key: nothing happens
    EXPECT_EQ(plugin->noteState().noteGate, 1);
    off(90);
    EXPECT_EQ(plugin->noteState().noteGate, 0);
    EXPECT_FALSE(plugin->noteModeKeyDown());
}

TEST_F(MidiInput, NoteModeIgnoresTheStepClock) {
    plugin->bank().pattern(0).setStep(0, Step{0, StepFlags::Gate});
    settings().midiMode = 2;
    plugin->stepClock().start();
    on(40);
    EXPECT_FALSE(playing());  // every note-on stops the sequencer
}

TEST_F(MidiInput, AllNotesOffControllers) {
    on(3);
    on(4);
    cc(123, 0);
    EXPECT_FALSE(playing());
    EXPECT_FALSE(plugin->keyHeld(3));
    on(5);
    cc(126, 0);
    EXPECT_FALSE(playing());

    settings().midiMode = 2;
    on(50);
    cc(123, 0);
    EXPECT_EQ(plugin->noteState().noteGate, 0);

    settings().midiMode = 5;  // an unknown mode ignores notes and these controllers
    on(20);
    EXPECT_FALSE(playing());
}

TEST_F(MidiInput, ControllersMoveParametersThroughTheMap) {
    cc(7, 127);
    EXPECT_EQ(plugin->getParameter(kVolume), 1.0f);
    cc(74, 127);
    EXPECT_EQ(plugin->getParameter(kCutoff), 1.0f);
    const float before = plugin->getParameter(kResonance);
    cc(1, 64);  // unmapped
    EXPECT_EQ(plugin->getParameter(kResonance), before);
    cc(121, 0);  // 120..127 other than 123 and 126 are ignored
    plugin->controllerMap().assignController(64, kResonance);
    cc(64, 127);  // 64 is handled like any other controller
    EXPECT_EQ(plugin->getParameter(kResonance), 1.0f);
}

TEST_F(MidiInput, LearnBindsAControllerToTheLastTouchedParameter) {
    plugin->setLearn(true);
    plugin->setParameter(kDecay, 0.3f);  // touching the knob
    cc(20, 64);
    EXPECT_EQ(plugin->controllerMap().parameterFor(20), kDecay);
    EXPECT_EQ(plugin->controllerMap().parameterFor(78), -1);
    EXPECT_EQ(plugin->getParameter(kDecay), 64.0f / 127.0f);
    EXPECT_EQ(plugin->learnTarget(), -1);
    cc(20, 0);  // no further learning: controller 20 drives Decay
    EXPECT_EQ(plugin->getParameter(kDecay), 0.0f);
    EXPECT_EQ(plugin->controllerMap().parameterFor(20), kDecay);
}

TEST_F(MidiInput, ParameterChangesAreEchoedAsControllers) {
    settings().midiTransmitKnobs = 1;
    settings().midiOutputChannel = 0;
    plugin->setParameter(kCutoff, 0.5f);
    EXPECT_TRUE(host.midi.empty());  // MIDI output off
    settings().midiOutput = 1;
    plugin->setParameter(kCutoff, 0.5f);
    EXPECT_TRUE(host.midi.empty());  // outside a block: sent with the next one
    process(16);
    EXPECT_EQ(host.midi, (std::vector<test::SentMidi>{{0, 0xB0, 74, 63, true}}));
    host.midi.clear();
    plugin->setParameter(kHighpassFilter, 1.0f);  // no controller mapped
    process(16);
    EXPECT_TRUE(host.midi.empty());
}

TEST_F(MidiInput, EditorNotesPlayTheVoiceDirectly) {
    plugin->noteOn(48, 127, 17);
    EXPECT_EQ(plugin->stepClock().sliceOrigin, 17);
    EXPECT_EQ(plugin->noteState().stepPitch, pitchOf(48));
    EXPECT_EQ(plugin->noteState().accentOn, 1);
    EXPECT_FALSE(playing());
    plugin->noteOff();
    EXPECT_EQ(plugin->noteState().noteGate, 0);
}

TEST_F(MidiInput, EventsThroughTheBlockLoopStartTheSequencerAtTheirFrame) {
    test::copyPluginFolder(folder.path());  // the voice needs its wavetables to be clocked
    create();
    settings().midiOutput = 1;
    settings().midiOutputChannel = 0;
    plugin->bank().pattern(5).setStep(0, Step{0, StepFlags::Gate});
    sendMidi({{100, 0x95, 5, 100}});  // any channel is accepted
    process(512);
    ASSERT_FALSE(host.midi.empty());
    EXPECT_EQ(host.midi[0], (test::SentMidi{100, 0x90, 36, 99, true}));
}

}  // namespace
}  // namespace vexo

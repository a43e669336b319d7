// The step clock's timing, note state and MIDI, tick by tick.
#include <gtest/gtest.h>

#include <cmath>

#include "config/Settings.h"
#include "sequencer/StepClock.h"
#include "voice/PitchTables.h"

namespace vexo {
namespace {

struct Sent {
    long long tick;  // the tick during which it was queued
    int deltaFrames, status, data1, data2;
};

class RecordingOutput : public MidiOutput {
public:
    long long* tick = nullptr;
    std::vector<Sent> sent;
    void queueMidi(int deltaFrames, int status, int data1, int data2) override {
        sent.push_back({*tick, deltaFrames, status, data1, data2});
    }
    bool sendMidiNow(int, int, int, int) override { return true; }
};

// A running step clock at 120 BPM and 44.1 kHz, clocked frame by frame.
class StepClockTest : public ::testing::Test {
protected:
    static constexpr double kSampleRate = 44100.0;

    StepClockTest() : clock(bank, settings, note, output) {
        output.tick = &ticks;
        clock.setTempo(120.0, kSampleRate);
    }

    Pattern& pattern() { return bank.pattern(0); }
    void fill(int length, std::uint8_t flags, int note0 = 0) {
        pattern().setLength(length);
        for (int i = 0; i < length; ++i) {
            pattern().setStep(i, Step{static_cast<std::uint8_t>(note0), flags});
        }
    }
    // Ticks until frame `end`, recording the frames at which steps start and gates close.
    void runUntil(long long end) {
        while (ticks < end) {
            const int before = clock.stepFrameCounter;
            const int gateBefore = note.noteGate;
            const int indexBefore = clock.stepIndex;
            clock.tick();
            if (before == 0 && clock.playing()) {
                stepStarts.push_back(ticks);
                stepIndices.push_back(indexBefore);
            }
            if (gateBefore == 1 && note.noteGate == 0) {
                gateOffs.push_back(ticks);
            }
            ++ticks;
        }
    }
    std::vector<Sent> noteOns() const {
        std::vector<Sent> ons;
        for (const Sent& s : output.sent) {
            if ((s.status & 0xF0) == 0x90 && s.data2 > 0) {
                ons.push_back(s);
            }
        }
        return ons;
    }

    PatternBank bank;
    Settings settings;
    NoteState note;
    RecordingOutput output;
    StepClock clock;
    long long ticks = 0;
    std::vector<long long> stepStarts, gateOffs;
    std::vector<int> stepIndices;
};

TEST_F(StepClockTest, NothingStartsBeforePlayback) {
    fill(16, StepFlags::Gate);
    runUntil(20000);
    EXPECT_TRUE(stepStarts.empty());
    EXPECT_EQ(note.noteGate, 0);
}

TEST_F(StepClockTest, PlainStepsAt120BpmAnd44100Hz) {
    fill(16, StepFlags::Gate);
    clock.start();
    runUntil(16 * 5513 + 10);
    EXPECT_DOUBLE_EQ(clock.samplesPerStep, 5512.5);
    // A step lasts 5512.5 frames. The first note position counts its own frame, and a
    // step starts on the tick after the boundary, so steps start 5513 or 5512 apart.
    ASSERT_GE(stepStarts.size(), 17u);
    EXPECT_EQ(std::vector<long long>(stepStarts.begin(), stepStarts.begin() + 5),
              (std::vector<long long>{0, 5513, 11026, 16538, 22051}));
    for (std::size_t i = 3; i < stepStarts.size(); ++i) {
        EXPECT_EQ(stepStarts[i], stepStarts[i - 2] + 11025) << i;  // two steps: 11025 frames
    }
    // Each gate closes once the note position passes 0.51 step: 0.49 step (2701.1
    // frames, plus the step start's frame) before the next step starts.
    ASSERT_GE(gateOffs.size(), 16u);
    EXPECT_EQ(std::vector<long long>(gateOffs.begin(), gateOffs.begin() + 3),
              (std::vector<long long>{2811, 8323, 13836}));
    for (std::size_t i = 0; i < 16; ++i) {
        const long long early = stepStarts[i + 1] - gateOffs[i];
        EXPECT_TRUE(early == 2702 || early == 2703) << i;
    }
    // After the last step the pattern starts over.
    EXPECT_EQ(stepIndices[16], 0);
}

TEST_F(StepClockTest, FullShuffleAlternatesDoubleStepsAndSingleFrames) {
    fill(4, StepFlags::Gate);
    pattern().setShuffle(127);
    settings.midiOutput = 1;
    clock.start();
    runUntil(4 * 5513);
    ASSERT_GE(stepStarts.size(), 4u);
    EXPECT_EQ(stepStarts[1], 11026);  // twice the plain length
    EXPECT_EQ(stepStarts[2], 11027);  // the short step lasts one frame
    EXPECT_EQ(stepStarts[3], 22051);
    // The short step's gate opens and closes within its only frame.
    std::vector<Sent> inShortStep;
    for (const Sent& sent : output.sent) {
        if (sent.tick == stepStarts[1]) {
            inShortStep.push_back(sent);
        }
    }
    ASSERT_EQ(inShortStep.size(), 3u);  // note-on, note-off, note-on with velocity 0
    EXPECT_EQ(inShortStep[0].data2, 99);
    EXPECT_EQ(inShortStep[1].status, 0x8F);
}

TEST_F(StepClockTest, PairsAndTripletGroupsKeepTheirPlainLength) {
    fill(6, StepFlags::Gate);
    pattern().setShuffle(64);
    clock.start();
    runUntil(7 * 5513);
    ASSERT_GE(stepStarts.size(), 5u);
    EXPECT_NEAR(static_cast<double>(stepStarts[2] - stepStarts[0]), 2 * 5512.5, 2.0);
    EXPECT_NEAR(static_cast<double>(stepStarts[4] - stepStarts[2]), 2 * 5512.5, 2.0);
    EXPECT_GT(stepStarts[1] - stepStarts[0], stepStarts[2] - stepStarts[1]);  // long, then short

    // Triplets: three steps in the time of four sixteenths, the third one shortened.
    PatternBank tripletBank;
    tripletBank.pattern(0) = pattern();
    tripletBank.pattern(0).setTriplet(true);
    bank.pattern(0) = tripletBank.pattern(0);
    stepStarts.clear();
    ticks = 0;
    clock.start();
    runUntil(9 * 5513);
    ASSERT_GE(stepStarts.size(), 7u);
    EXPECT_NEAR(static_cast<double>(stepStarts[3] - stepStarts[0]), 4 * 5512.5, 2.0);
    EXPECT_NEAR(static_cast<double>(stepStarts[6] - stepStarts[3]), 4 * 5512.5, 2.0);
    EXPECT_EQ(stepStarts[1] - stepStarts[0], stepStarts[2] - stepStarts[1]);
    EXPECT_LT(stepStarts[3] - stepStarts[2], stepStarts[1] - stepStarts[0]);
}

TEST_F(StepClockTest, ClockSyncDoublesTheStepRate) {
    settings.clockSync = 1;
    fill(4, StepFlags::Gate);
    clock.start();
    runUntil(3 * 2757);
    ASSERT_GE(stepStarts.size(), 3u);
    EXPECT_NEAR(static_cast<double>(stepStarts[2] - stepStarts[0]), 5512.5, 2.0);
}

TEST_F(StepClockTest, TiedStepsFormOneNoteAndAreSkipped) {
    fill(8, StepFlags::Gate);
    for (int i = 1; i <= 3; ++i) {
        pattern().setStep(i, Step{0, StepFlags::Tie});
    }
    settings.midiOutput = 1;
    clock.start();
    runUntil(6 * 5513);
    ASSERT_GE(stepIndices.size(), 3u);
    EXPECT_EQ(stepIndices[0], 0);
    EXPECT_EQ(stepIndices[1], 4);          // the index moved past the tied steps at once
    EXPECT_EQ(stepStarts[1], 22051);       // four steps of 5512.5 frames
    EXPECT_EQ(gateOffs[0], 22051 - 2703);  // 0.49 step before the note ends
    const std::vector<Sent> ons = noteOns();
    ASSERT_GE(ons.size(), 2u);
    EXPECT_EQ(ons[0].tick, 0);  // one note-on for the tied note
    EXPECT_EQ(ons[1].tick, 22051);
}

TEST_F(StepClockTest, SlideGlidesWithoutRetriggerAndOverlapsMidiNotes) {
    fill(4, StepFlags::Gate);
    pattern().setStep(0, Step{0, StepFlags::Gate | StepFlags::Slide});
    pattern().setStep(1, Step{4, StepFlags::Gate});
    settings.midiOutput = 1;
    settings.midiOutputChannel = 0;
    clock.start();
    runUntil(1);
    EXPECT_EQ(note.envTrigger, 1);
    note.envTrigger = 0;  // the voice clears it
    runUntil(5514);
    ASSERT_EQ(stepStarts.size(), 2u);
    EXPECT_EQ(note.envTrigger, 0);  // not retriggered
    EXPECT_EQ(note.prevSlide, 1);
    EXPECT_EQ(note.stepPitch, pitchTableStandard()[40]);
    EXPECT_TRUE(gateOffs.empty());  // no gate-off within the sliding step
    runUntil(2 * 5513);
    // c on, e on while c still sounds, then both off (each as note-off and note-on 0).
    ASSERT_EQ(output.sent.size(), 6u);
    EXPECT_EQ(output.sent[0].data1, 36);
    EXPECT_EQ(output.sent[1].data1, 40);
    EXPECT_EQ(output.sent[1].status, 0x90);
    const Sent& offC = output.sent[2];
    EXPECT_EQ(offC.status, 0x80);
    EXPECT_EQ(offC.data1, 36);
    EXPECT_EQ(output.sent[3].status, 0x90);
    EXPECT_EQ(output.sent[3].data2, 0);
    EXPECT_EQ(output.sent[4].data1, 40);
    EXPECT_EQ(offC.deltaFrames, offC.tick + 1);  // note-offs carry the offset plus one
}

TEST_F(StepClockTest, AccentCarriesThroughASlide) {
    pattern().setLength(3);
    pattern().setStep(0, Step{0, StepFlags::Gate | StepFlags::Accent | StepFlags::Slide});
    pattern().setStep(1, Step{2, StepFlags::Gate});
    pattern().setStep(2, Step{2, StepFlags::Gate});
    settings.midiOutput = 1;
    clock.start();
    runUntil(16538);  // the pattern's three steps
    const std::vector<Sent> ons = noteOns();
    ASSERT_EQ(ons.size(), 3u);
    EXPECT_EQ(ons[0].data2, 127);
    EXPECT_EQ(ons[1].data2, 127);  // slid into from an accented step
    EXPECT_EQ(ons[2].data2, 99);   // AccentVelocity - 1
}

TEST_F(StepClockTest, VelocityAndOutputChannel) {
    fill(2, StepFlags::Gate);
    clock.start();
    runUntil(5513);
    EXPECT_TRUE(output.sent.empty());  // MIDI output off

    settings.midiOutput = 1;
    settings.accentVelocity = 0;  // never a velocity 0 note-on
    settings.midiOutputChannel = -1;
    runUntil(3 * 5513);
    const std::vector<Sent> ons = noteOns();
    ASSERT_FALSE(ons.empty());
    EXPECT_EQ(ons[0].data2, 1);
    EXPECT_EQ(ons[0].status, 0x9F);  // channel -1 sends on channel 16
}

TEST_F(StepClockTest, StepPitchesAndTables) {
    pattern().setLength(3);
    pattern().setStep(0, Step{20, StepFlags::Gate | StepFlags::Up});
    pattern().setStep(1, Step{0, StepFlags::Gate | StepFlags::Down});
    pattern().setStep(2, Step{35, StepFlags::Gate | StepFlags::Up});
    settings.midiOutput = 1;
    clock.start();
    runUntil(1);
    EXPECT_EQ(note.stepPitch, pitchTableStandard()[68]);
    runUntil(5514);
    EXPECT_EQ(note.stepPitch, pitchTableStandard()[24]);
    settings.tuningMode = 1;
    runUntil(11027);
    EXPECT_EQ(note.stepPitch, pitchTableAnalog()[51]);
    const std::vector<Sent> ons = noteOns();
    ASSERT_EQ(ons.size(), 3u);
    EXPECT_EQ(ons[0].data1, 68);
    EXPECT_EQ(ons[1].data1, 24);
    EXPECT_EQ(ons[2].data1, 51);
}

TEST_F(StepClockTest, SingleStepPatternRepeatsAndResetOscillatorRestartsThePhase) {
    fill(1, 0);  // a rest
    settings.resetOscillator = 1;
    clock.start();
    note.oscPhase = 0.7f;
    runUntil(1);
    EXPECT_EQ(note.oscPhase, 0.0f);  // also on steps without gate
    runUntil(3 * 5513);
    ASSERT_GE(stepIndices.size(), 3u);
    EXPECT_EQ(stepIndices[1], 0);
    EXPECT_EQ(stepIndices[2], 0);
    EXPECT_EQ(note.noteGate, 0);
}

TEST_F(StepClockTest, TempoFloorAndRewind) {
    clock.setTempo(0.0, kSampleRate);
    EXPECT_EQ(clock.tempo, 1e-6);
    EXPECT_TRUE(std::isfinite(clock.samplesPerStep));
    clock.setTempo(120.0, kSampleRate);
    fill(4, StepFlags::Gate | StepFlags::Slide);
    clock.start();
    runUntil(6000);
    clock.rewind();
    EXPECT_EQ(clock.stepIndex, 0);
    EXPECT_EQ(clock.stepFrameCounter, 0);
    EXPECT_EQ(note.stepSlide, 0);
    EXPECT_EQ(note.noteGate, 0);
}

TEST_F(StepClockTest, OverlongLengthsFromStoredPatternsStayInsideTheSteps) {
    pattern().header = 100;  // length field beyond 64
    for (int i = 0; i < 64; ++i) {
        pattern().setStep(i, Step{0, StepFlags::Gate});
    }
    clock.start();
    runUntil(70 * 5513);
    for (int index : stepIndices) {
        EXPECT_LT(index, 64);
    }
    pattern().header = 0;  // length field 0 plays one step
    runUntil(74 * 5513);
    EXPECT_EQ(stepIndices.back(), 0);
}

}  // namespace
}  // namespace vexo

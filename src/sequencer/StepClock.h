// The step clock: turns the current pattern into notes for the voice and, optionally,
// MIDI notes for the host. It is clocked once per output frame by the render loop.
#pragma once

#include <array>

#include "config/Settings.h"
#include "host/Shared.h"
#include "sequencer/Pattern.h"
#include "voice/NoteState.h"

namespace vexo {

struct Settings;

// Where outgoing MIDI goes: the block's output queue, or the host at once; outside the
// audio block both wait for the start of the next one.
class MidiOutput {
public:
    virtual ~MidiOutput() = default;
    virtual void queueMidi(int deltaFrames, int status, int data1, int data2) = 0;
    virtual bool sendMidiNow(int deltaFrames, int status, int data1, int data2) = 0;
};

class StepClock {
public:
    // Before a start, no step begins.
    static constexpr int kIdleFrameCounter = 10'000'000;
    static constexpr double kMinimumTempo = 1e-6;
    static constexpr double kDefaultTempo = 120.0;
    // The gate closes this many steps before the note's last step ends.
    static constexpr double kGateOffSteps = 0.49;

    StepClock(const PatternBank& bank, const Settings& settings, NoteState& note, MidiOutput& midi);

    // Audio thread, once per frame.
    inline void tick();

    void setTempo(double bpm, double sampleRate);
    // Samples per step from the current tempo.
    void updateSamplesPerStep(double sampleRate);
    void rewind();
    void start();
    void stop();

    bool playing() const { return playing_; }
    void setPlaying(bool on) { playing_ = on; }

    // Frame offset in the current block of the frame being ticked.
    int frameOffset() const { return sliceOrigin + sliceFrames; }
    void beginSlice(int origin) {
        sliceOrigin = origin;
        sliceFrames = 0;
    }

    // Step start and length of the current pattern as played: 1..64 steps.
    static int playLength(const Pattern& pattern);

    Shared<bool> playing_{false};
    int stepFrameCounter = kIdleFrameCounter;
    int stepIndex = 0;
    double notePosition = 0.0;
    int noteLength = 1;
    int swingCounter = 0;
    double shuffleAmount = 0.0;
    double stepDivisor = 1.0;
    Shared<double> tempo{kDefaultTempo};
    double samplesPerStep = 44100.0 / (kDefaultTempo / 60.0 * 4.0);
    int lastSentNote = 0;  // also the held key in Note mode
    std::array<bool, 128> notesOn{};

    int sliceOrigin = 0;
    int sliceFrames = 0;

private:
    void startStep();
    void gateOff();
    int outputChannel() const;

    const PatternBank& bank_;
    const Settings& settings_;
    NoteState& note_;
    MidiOutput& midi_;
};

// Inline: it runs once per frame inside the voice's render loop; the rare step start and
// gate-off are calls.
inline void StepClock::tick() {
    const bool running = playing_;
    if (stepFrameCounter == 0 && running) {
        startStep();
    }

    const Pattern& pattern = bank_.current();
    stepDivisor = settings_.clockSync == 1 ? 2.0 : 1.0;
    const bool triplet = pattern.isTriplet();
    if (triplet) {
        stepDivisor *= settings_.tripletScale;
    }
    if (!running) {
        return;
    }

    ++sliceFrames;

    // Shuffle factors: straight pairs get 1 + b and 1 - b, triplet groups 1 + b/3,
    // 1 + b/3 and 1 - 2b/3, so every pair or group keeps its plain total length. Only the
    // factor in use is computed: this runs once per frame.
    const double b = shuffleAmount;
    double factor;
    if (triplet) {
        factor = swingCounter % 3 == 0 ? 1.0 - 2.0 * b / 3.0 : 1.0 + b / 3.0;
        if (swingCounter > 2) {
            swingCounter -= 3;
        }
    } else {
        factor = swingCounter % 2 == 0 ? 1.0 - b : 1.0 + b;
        if (swingCounter > 1) {
            swingCounter -= 2;
        }
    }
    double stepFrames = samplesPerStep * factor;
    if (stepDivisor != 1.0) {  // dividing by 1 changes nothing
        stepFrames /= stepDivisor;
    }

    const double noteFrames = stepFrames * noteLength;
    const double position = notePosition + 1.0;
    if (position > noteFrames) {
        notePosition = position - noteFrames;
        stepFrameCounter = 0;
    } else {
        notePosition = position;
        ++stepFrameCounter;
    }

    if (note_.stepSlide == 0 && notePosition > stepFrames * (noteLength - kGateOffSteps) && note_.noteGate != 0) {
        gateOff();
    }
}

}  // namespace vexo

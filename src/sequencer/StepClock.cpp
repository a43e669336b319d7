#include "sequencer/StepClock.h"

#include <algorithm>

#include "config/Settings.h"
#include "voice/PitchTables.h"

namespace vexo {

StepClock::StepClock(const PatternBank& bank, const Settings& settings, NoteState& note, MidiOutput& midi)
    : bank_(bank), settings_(settings), note_(note), midi_(midi) {}

int StepClock::playLength(const Pattern& pattern) {
    return std::clamp(pattern.length(), 1, kMaxSteps);
}

int StepClock::outputChannel() const {
    return settings_.midiOutputChannel & 0x0f;
}

void StepClock::setTempo(double bpm, double sampleRate) {
    tempo = std::max(bpm, kMinimumTempo);
    updateSamplesPerStep(sampleRate);
}

void StepClock::updateSamplesPerStep(double sampleRate) {
    samplesPerStep = sampleRate / (tempo / 60.0 * 4.0);
}

void StepClock::rewind() {
    notePosition = 0.0;
    stepIndex = 0;
    note_.stepSlide = 0;
    note_.prevSlide = 0;
    note_.noteGate = 0;
    stepFrameCounter = 0;
    swingCounter = 0;
}

void StepClock::start() {
    notePosition = 0.0;
    stepIndex = 0;
    note_.stepSlide = 0;
    stepFrameCounter = 0;
    swingCounter = 0;
    playing_ = true;
}

void StepClock::stop() {
    playing_ = false;
    note_.noteGate = 0;
}

void StepClock::startStep() {
    if (settings_.resetOscillator != 0) {
        note_.oscPhase = 0.0f;
    }
    const Pattern& pattern = bank_.current();
    if (stepIndex < 0 || stepIndex >= kMaxSteps) {
        stepIndex = 0;
    }
    const Step step = pattern.step(stepIndex);
    const bool gate = step.has(StepFlags::Gate);
    const bool accent = step.has(StepFlags::Accent);

    note_.prevSlide = note_.stepSlide;
    note_.stepSlide = step.has(StepFlags::Slide) ? 1 : 0;
    note_.stepAccent = (accent && gate) ? 1 : 0;
    // An accented note that slides on keeps the next note accented.
    note_.accentOn = ((note_.prevSlide != 0 && note_.accentOn != 0) || (accent && gate)) ? 1 : 0;

    const int tied = pattern.tieLength(stepIndex);
    noteLength = tied;
    if (note_.prevSlide == 0) {
        note_.noteGate = gate ? 1 : 0;
    }

    if (gate) {
        const int midiNote = stepMidiNote(step);
        note_.stepPitch = pitchTableFor(settings_.tuningMode)[static_cast<std::size_t>(stepTableIndex(step))];
        if (settings_.midiOutput != 0 && note_.noteGate != 0) {
            // A note-on of velocity 0 would read as a note-off.
            const int velocity = note_.accentOn != 0 ? 127 : std::clamp(settings_.accentVelocity - 1, 1, 127);
            lastSentNote = midiNote;
            midi_.queueMidi(frameOffset(), 0x90 + outputChannel(), midiNote & 0xff, velocity);
            if (midiNote >= 0 && midiNote < 128) {
                notesOn[static_cast<std::size_t>(midiNote)] = true;
            }
        }
    } else if (!step.has(StepFlags::Tie)) {
        noteLength = 1;
    }

    stepIndex += tied;
    if (stepIndex >= playLength(pattern)) {
        stepIndex = 0;
    }
    if (note_.noteGate != 0 && note_.prevSlide == 0) {
        note_.envTrigger = 1;
        note_.attackRamp.value = 0.0;
        note_.samplesSinceTrigger = 0;
    }
    ++swingCounter;
    shuffleAmount = bank_.current().shuffle();
    stepFrameCounter = 1;
}

void StepClock::gateOff() {
    note_.noteGate = 0;
    if (settings_.midiOutput == 0) {
        return;
    }
    const int channel = outputChannel();
    for (int n = 0; n < 128; ++n) {
        if (notesOn[static_cast<std::size_t>(n)]) {
            // Some receivers only honour one of the two forms of note-off.
            midi_.queueMidi(frameOffset(), 0x80 + channel, n, 0);
            midi_.queueMidi(frameOffset(), 0x90 + channel, n, 0);
            notesOn[static_cast<std::size_t>(n)] = false;
        }
    }
}

}  // namespace vexo

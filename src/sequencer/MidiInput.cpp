// MIDI input: Pattern mode (a held key selects and runs a pattern), Note mode (keys play
// the voice directly) and controllers through the controller map.
#include <algorithm>

#include "host/SynthPlugin.h"

namespace vexo {
namespace {

constexpr int kMidiModePattern = 0;
constexpr int kMidiModePatternAlt = 1;
constexpr int kMidiModeNote = 2;
constexpr int kControllerAllNotesOff = 123;
constexpr int kControllerMonoOn = 126;
// Note mode brings keys into this range: new notes (or with CapNotes, capped) ...
constexpr int kHighestNoteModeKey = 83;
// ... and legato keys, always by octaves.
constexpr int kHighestLegatoKey = 71;

bool isPatternMode(int mode) {
    return mode == kMidiModePattern || mode == kMidiModePatternAlt;
}

}  // namespace

const PitchTable& SynthPlugin::pitchTable() const {
    return pitchTableFor(settings_.tuningMode);
}

void SynthPlugin::handleMidi(int /*channel*/, int status, int data1, int data2) {
    const int mode = settings_.midiMode;
    switch (status) {
        case 0x90:
            if (isPatternMode(mode)) {
                patternNoteOn(data1, data2);
            } else if (mode == kMidiModeNote) {
                noteModeNoteOn(data1, data2);
            }
            break;
        case 0x80:
            if (isPatternMode(mode)) {
                patternRelease(data1);
            } else if (mode == kMidiModeNote && data1 == clock_.lastSentNote) {
                noteModeRelease();
            }
            break;
        case 0xB0:
            if (data1 == kControllerAllNotesOff || data1 == kControllerMonoOn) {
                allNotesOffController();
            } else if (data1 < 120) {
                handleControlChange(data1, data2);
            }
            break;
        default:
            break;
    }
}

void SynthPlugin::patternNoteOn(int key, int velocity) {
    if (velocity == 0) {
        patternRelease(key);
        return;
    }
    if (settings_.midiKeyProgramming != 0 && handleProgrammingNote(key, velocity)) {
        // A consumed programming key was never held, so it releases nothing; otherwise
        // Run/Stop from the keyboard would stop the sequencer it had just started.
        return;
    }
    held_[static_cast<std::size_t>(key)] = true;
    selectPatternFromMidi(key);
    if (clock_.playing()) {
        clock_.stepIndex %= StepClock::playLength(bank_.current());
    } else {
        clock_.start();
    }
}

void SynthPlugin::stopAndSilenceOutput() {
    clock_.stop();
    releaseCarriedMidi();
    if (settings_.midiOutput != 0) {
        const int status = 0xB0 + outputChannel();
        sendMidiNow(0, status, kControllerAllNotesOff, 0);
        queueMidi(0, status, kControllerAllNotesOff, 0);
    }
}

void SynthPlugin::patternRelease(int key) {
    // Only a held key can end playback: keyboard programming keys are never held, and
    // their release must not stop a sequencer that Run/Stop started.
    if (!held_[static_cast<std::size_t>(key)]) {
        return;
    }
    held_[static_cast<std::size_t>(key)] = false;
    for (int k = 127; k >= 0; --k) {
        if (held_[static_cast<std::size_t>(k)]) {
            selectPatternFromMidi(k);
            return;
        }
    }
    stopAndSilenceOutput();
}

void SynthPlugin::noteModeRelease() {
    note_.noteGate = 0;
    note_.prevSlide = 0;
    keyDown_ = 0;
}

void SynthPlugin::noteModeNoteOn(int key, int velocity) {
    clock_.setPlaying(false);
    if (velocity == 0) {
        if (key == clock_.lastSentNote) {
            noteModeRelease();
        }
        return;
    }
    if (keyDown_ == 0) {
        startNote(key, velocity);
        return;
    }
    // Legato: glide to the new key without restarting the envelopes.
    clock_.lastSentNote = key;
    note_.prevSlide = 1;
    note_.accentOn = note_.stepAccent = velocity > settings_.accentVelocity ? 1 : 0;
    while (key > kHighestLegatoKey) {
        key -= 12;
    }
    note_.stepPitch = pitchTable()[static_cast<std::size_t>(key)];
}

void SynthPlugin::startNote(int key, int velocity) {
    clock_.lastSentNote = key;
    keyDown_ = 1;
    note_.accentOn = note_.stepAccent = velocity > settings_.accentVelocity ? 1 : 0;
    if (settings_.capNotes != 0) {
        key = std::min(key, kHighestNoteModeKey);
    } else {
        while (key > kHighestNoteModeKey) {
            key -= 12;
        }
    }
    note_.stepPitch = pitchTable()[static_cast<std::size_t>(std::clamp(key, 0, 127))];
    note_.attackRamp.value = 0.0;
    note_.stepSlide = 0;
    note_.prevSlide = 0;
    note_.noteGate = 1;
    note_.envTrigger = 1;
}

void SynthPlugin::noteOn(int key, int velocity, int offset) {
    clock_.sliceOrigin = offset;
    startNote(key, velocity);
}

void SynthPlugin::noteOff() {
    note_.noteGate = 0;
    keyDown_ = 0;
    note_.prevSlide = 0;
}

void SynthPlugin::allNotesOffController() {
    const int mode = settings_.midiMode;
    if (mode == kMidiModeNote) {
        noteModeRelease();
        releaseCarriedMidi();
    } else if (isPatternMode(mode)) {
        held_.fill(false);
        stopAndSilenceOutput();
    }
}

}  // namespace vexo

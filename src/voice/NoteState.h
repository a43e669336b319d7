// The note the voice plays, written by the step clock and by MIDI note handling and read
// by the voice once per sample. Only the audio thread touches it.
#pragma once

#include "voice/VoiceMath.h"

namespace vexo {

struct NoteState {
    float stepPitch = 110.0f;  // target frequency, Hz
    int noteGate = 0;          // 1 while the note sounds
    int accentOn = 0;          // accent of the sounding note, held across slides
    int stepAccent = 0;        // accent and gate of the step just started
    int stepSlide = 0;         // the step just started glides into the next one
    int prevSlide = 0;         // the current note is slid into: glide, no retrigger
    int envTrigger = 0;        // a new note restarts the envelopes; the voice clears it
    OnePole attackRamp{};      // rises from 0 toward 1 after each trigger
    int samplesSinceTrigger = 0;
    float oscPhase = 0.0f;  // oscillator position in its cycle, 0..1

    // A new note: restart the envelopes.
    void trigger() {
        envTrigger = 1;
        attackRamp.value = 0.0;
        samplesSinceTrigger = 0;
    }
};

}  // namespace vexo

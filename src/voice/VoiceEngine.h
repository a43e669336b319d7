// The monophonic bass voice: oscillator, envelopes and accent, filter, VCA, high-pass,
// distortion and output stage, computed one sample at a time in double precision.
#pragma once

#include "voice/NoteState.h"
#include "voice/VoiceMath.h"

namespace vexo {

struct WaveTablePair;

// Parameter values (0..1) as the host last set them, taken once per rendered slice.
struct VoiceControls {
    float tune = 0.5f;
    float cutoff = 0.5f;
    float resonance = 0.0f;
    float envMod = 0.2f;
    float decay = 0.1f;
    float accent = 0.0f;
    float drive = 0.25f;
    float distortion = 0.0f;
    float volume = 0.75f;
    float waveform = 0.0f;
    float distortionType = 0.0f;
    float highpassFilter = 0.0f;
};

// Settings the voice reads, taken once per rendered slice.
struct VoiceOptions {
    int filterMode = 1;
    int vcaLeveling = 0;
    int vcaNoise = 1;
    float vcoGain = 2.0f;
    float tm3 = 0.5f;
    float tm4 = 3.985f;
    float tm6 = 0.25f;
    float smoothSpeed = 0.002f;
    float vcaDecaySeconds = 5.0f;
    int activeClocks = 88200;
    int envmodKnob = 1;
    int outputClipping = 0;
};

class VoiceEngine {
public:
    VoiceEngine();

    // Start value of the cycle-to-cycle period factor (the RelativeTuning setting).
    void setRelativeTuning(float factor);

    void setWaveTables(const WaveTablePair* tables) { waveTables_ = tables; }

    // Once per rendered slice: computes the slice's coefficients. False when a wavetable
    // set is not ready or the sample rate is not positive; the slice is then silent.
    bool beginBlock(float sampleRate, const VoiceControls& controls, const VoiceOptions& options);
    // One frame after the step clock's tick: returns the mono sample.
    double renderFrame(NoteState& note);

    // The host's resume: the filter envelope and the VCA decay envelope restart from 0.
    void resetEnvelopes();
    // Switches the cycle-to-cycle period variation; returns the new state.
    bool toggleAsymmetry();
    bool asymmetry() const { return asymmetry_ != 0; }

private:
    const WaveTablePair* waveTables_ = nullptr;
    int asymmetry_ = 1;
};

}  // namespace vexo

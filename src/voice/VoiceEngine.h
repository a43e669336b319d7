// The monophonic bass voice: oscillator, envelopes and accent, filter, VCA, high-pass,
// distortion and output stage, computed one sample at a time in double precision.
#pragma once

#include <climits>
#include <cmath>

#include "voice/Envelopes.h"
#include "voice/FilterTables.h"
#include "voice/LowpassFilter.h"
#include "voice/NoteState.h"
#include "voice/Oscillator.h"
#include "voice/OutputStage.h"
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

constexpr double kSlideSeconds = 0.0653;

// The knob values after smoothing, two knobs per pair (the eighth lane is unused).
struct SmoothedControls {
    OnePolePair tuneCutoff;
    OnePolePair resonanceVolume;
    OnePolePair envModDistortion;
    OnePolePair driveSpare;

    double tune() const { return tuneCutoff.value[0]; }
    double cutoff() const { return tuneCutoff.value[1]; }
    double resonance() const { return resonanceVolume.value[0]; }
    double volume() const { return resonanceVolume.value[1]; }
    double envMod() const { return envModDistortion.value[0]; }
    double distortion() const { return envModDistortion.value[1]; }
    double drive() const { return driveSpare.value[0]; }
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
    // One frame after the step clock's tick: returns the mono sample. Only valid after a
    // beginBlock that returned true.
    VEXO_ALWAYS_INLINE double renderFrame(NoteState& note);

    // The host's resume: the filter envelope and the VCA decay envelope restart from 0.
    void resetEnvelopes();
    // Switches the cycle-to-cycle period variation; returns the new state.
    bool toggleAsymmetry();
    bool asymmetry() const { return asymmetry_ != 0; }

    // State, for tests and tools.
    const SmoothedControls& smoothed() const { return smoothed_; }
    const Envelopes& envelopes() const { return envelopes_; }
    const Oscillator& oscillator() const { return oscillator_; }
    const LowpassFilter& filter() const { return filter_; }
    const OutputStage& outputStage() const { return output_; }
    const OnePole& pitchGlide() const { return pitchGlide_; }
    int releaseCounter() const { return releaseCounter_; }
    // The oscillator frequency of the last rendered frame, Hz.
    double frequency() const { return frequency_; }
    float sampleRate() const { return sampleRate_; }
    int currentRateClass() const { return rateClass_; }

private:
    // Envelopes, pitch, oscillator, filter and output stage of one active frame.
    VEXO_ALWAYS_INLINE double renderActive(NoteState& note);

    const WaveTablePair* waveTables_ = nullptr;
    const FilterTables* filterTables_ = nullptr;
    int asymmetry_ = 1;

    // Per-slice values.
    float sampleRate_ = 0;
    int rateClass_ = 0;
    VoiceControls controls_;
    Double2 smoothSpeed_ = {0.002, 0.002};
    Double2 smoothTargets_[4] = {};  // the knob values in the lanes of SmoothedControls
    int activeClocks_ = 88200;
    double slideCoef_ = 0;
    EnvelopeBlock envelopeBlock_;
    OscillatorBlock oscillatorBlock_;
    FilterBlock filterBlock_;
    OutputBlock outputBlock_;

    // State.
    SmoothedControls smoothed_;
    int releaseCounter_ = 0;
    OnePole pitchGlide_;
    double frequency_ = 0;
    PowerOfTwoCache tuneFactor_;
    Envelopes envelopes_;
    Oscillator oscillator_;
    CutoffControl cutoffControl_;
    LowpassFilter filter_;
    OutputStage output_;
};

VEXO_ALWAYS_INLINE double VoiceEngine::renderFrame(NoteState& note) {
    eulerStep(smoothed_.tuneCutoff, smoothTargets_[0], smoothSpeed_);
    eulerStep(smoothed_.resonanceVolume, smoothTargets_[1], smoothSpeed_);
    eulerStep(smoothed_.envModDistortion, smoothTargets_[2], smoothSpeed_);
    eulerStep(smoothed_.driveSpare, smoothTargets_[3], smoothSpeed_);

    // Idle rule: ActiveClocks samples after the gate closed nothing moves any more.
    if (note.noteGate == 1) {
        releaseCounter_ = 0;
    } else if (releaseCounter_ < INT_MAX) {
        ++releaseCounter_;
    }
    if (releaseCounter_ >= activeClocks_ || controls_.volume <= 0.0f) {
        return 0.0;
    }
    return renderActive(note);
}

VEXO_ALWAYS_INLINE double VoiceEngine::renderActive(NoteState& note) {
    envelopes_.update(note, envelopeBlock_);

    double glideCoef = 1.0;
    if (note.prevSlide == 1) {
        glideCoef = slideCoef_;
    } else {
        pitchGlide_.value = note.stepPitch;
    }
    rk4Step(pitchGlide_, note.stepPitch, glideCoef);
    frequency_ = tuneFactor_(2 * smoothed_.tune() - 1) * pitchGlide_.value;
    const double oscillator = oscillator_.next(note.oscPhase, frequency_, oscillatorBlock_);

    CutoffInputs cutoff;
    cutoff.cutoff2 = smoothed_.cutoff() * smoothed_.cutoff();
    cutoff.envMod = smoothed_.envMod();
    cutoff.resonance = smoothed_.resonance();
    cutoff.filterEnv = envelopes_.filterEnv();
    cutoff.accentCapSmoothed = envelopes_.accentCapSmoothed();
    cutoff.accentOn = note.accentOn;
    cutoff.accentDrive = envelopes_.accentDrive();
    cutoff.attackRamp = note.attackRamp.value;
    const FilterControl control = cutoffControl_.compute(cutoff, filterBlock_);
    double y = filter_.process(oscillator, control, filterBlock_);

    y = output_.levelAndVca(y, control.level, envelopes_, outputBlock_);
    note.envTrigger = 0;
    const double volume2 = smoothed_.volume() * smoothed_.volume();
    return output_.finish(y, smoothed_.drive(), smoothed_.distortion(), volume2, outputBlock_);
}

}  // namespace vexo

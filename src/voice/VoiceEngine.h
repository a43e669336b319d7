// The monophonic bass voice: oscillator, envelopes and accent, filter, VCA, high-pass,
// distortion and output stage, computed one sample at a time in double precision.
#pragma once

#include <climits>
#include <cmath>
#include <cstring>
#include <utility>

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

    // One Euler step of every pair toward its lanes of targets.
    VEXO_ALWAYS_INLINE void step(const Double2 (&targets)[4], Double2 speed) {
        eulerStep(tuneCutoff, targets[0], speed);
        eulerStep(resonanceVolume, targets[1], speed);
        eulerStep(envModDistortion, targets[2], speed);
        eulerStep(driveSpare, targets[3], speed);
    }
};

// What a frame's filter and output stage need that is computed before the filter. None of
// it depends on the filter output, so the next frame can be prepared while this frame's
// filter runs.
struct FrameInputs {
    double oscillator = 0;
    FilterControl control;
    StageGains gains;
    double drive = 0;       // smoothed Drive
    double distortion = 0;  // smoothed Distortion
    double volume2 = 0;     // smoothed Volume, squared
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

    // The frames of one slice, with the same samples and the same note and state updates as
    // renderFrame frame by frame. Per frame i, in this order: hooks.tick() (the step clock),
    // the voice's reading and updating of the note, bool hooks.audition(double& extra)
    // (true when extra is to be added to the sample), hooks.write(i, sample), each in frame
    // order. When bool hooks.quiet() says that for this slice the ticks change nothing the
    // voice reads and every audition would return false, and the voice is silent and stays
    // so, the slice is only written (silence), without ticks or auditions. The writes of a
    // sub-block of kBlockPassFrames frames come after its ticks and the next frame's (see
    // renderSubBlocks). Only valid after a beginBlock that returned true.
    template <class Hooks>
    VEXO_ALWAYS_INLINE void renderSlice(NoteState& note, int frames, Hooks& hooks);

    // A slice whose note does not change leaves a voice that is idle (or at Volume 0) silent.
    bool staysSilent(const NoteState& note) const {
        return !(controls_.volume > 0.0f) || (note.noteGate != 1 && releaseCounter_ >= activeClocks_);
    }
    // What silent frames change, for a slice in which staysSilent holds: the idle rule's
    // count and the knob smoothing.
    void restFrames(const NoteState& note, int frames);

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
    // Knob smoothing over the silent frames of a slice. A settled smoother alternates
    // between two states (its flip offset) for as long as its target and speed stay the
    // same; once all four pairs do, a silent frame only notes which of the two is current.
    struct SilentSmoothing {
        bool checked = false;   // the smoothers were tested in this slice
        bool periodic = false;  // they alternate between smoothed_ and other
        bool ahead = false;     // the current state is other
        SmoothedControls other;
    };

    // renderFrame in two halves. prepareFrame runs everything before the filter, all the
    // reading and updating of the note: knob smoothing and the idle rule (prepareStart),
    // the envelopes, the pitch and oscillator, the cutoff control and the gains. It returns
    // false for a silent frame (idle or Volume 0), which then has no second half.
    // finishFrame runs the filter and the stages after it.
    VEXO_ALWAYS_INLINE bool prepareFrame(NoteState& note, FrameInputs& in);
    VEXO_ALWAYS_INLINE double finishFrame(const FrameInputs& in);
    VEXO_ALWAYS_INLINE bool prepareStart(NoteState& note);
    VEXO_ALWAYS_INLINE void prepareOscillator(NoteState& note, FrameInputs& in);
    VEXO_ALWAYS_INLINE void prepareControl(NoteState& note, FrameInputs& in);
    // prepareOscillator and prepareControl in halves, for the render loop to spread: the
    // pitch and the cycle to read, then the sample; the stage coefficient, then the rest of
    // the filter control and the gains.
    VEXO_ALWAYS_INLINE Oscillator::Choice chooseCycle(NoteState& note);
    VEXO_ALWAYS_INLINE void readOscillator(NoteState& note, const Oscillator::Choice& choice, FrameInputs& in);
    VEXO_ALWAYS_INLINE void prepareCutoff(const NoteState& note, FrameInputs& in);
    VEXO_ALWAYS_INLINE void prepareGains(NoteState& note, FrameInputs& in);
    VEXO_ALWAYS_INLINE double outputStage(double y, const FrameInputs& in);
    // The idle rule of one frame: true while the voice sounds.
    VEXO_ALWAYS_INLINE bool idleRule(const NoteState& note);
    // prepareFrame for the frame after a silent one, with the smoothing of SilentSmoothing.
    VEXO_ALWAYS_INLINE bool prepareAfterSilence(NoteState& note, FrameInputs& in, SilentSmoothing& silent);
    // The smoothed knobs one step on, into next; true when a second step leads back to the
    // current bits: the two states then alternate for as long as the targets stay.
    bool smoothingAlternates(SmoothedControls& next) const {
        next = smoothed_;
        next.step(smoothTargets_, smoothSpeed_);
        SmoothedControls back = next;
        back.step(smoothTargets_, smoothSpeed_);
        return std::memcmp(&back, &smoothed_, sizeof back) == 0;
    }
    // Brings smoothed_ up to the current state.
    VEXO_ALWAYS_INLINE void catchUp(SilentSmoothing& silent);
    // A sub-block of a slice: each frame's inputs, prepared one frame ahead of the filter
    // (entry n of a sub-block of n frames is the first frame of the next one), and what the
    // stages after the filter leave of its sounding frames for the block pass.
    struct SubBlock {
        FrameInputs inputs[kBlockPassFrames + 1];
        bool active[kBlockPassFrames + 1] = {};  // the frame sounds (not idle, Volume above 0)
        bool audition[kBlockPassFrames + 1] = {};
        double extra[kBlockPassFrames + 1] = {};  // the wave preview's sample, where audition
        BlockPassFrames sounding;
        double output[kBlockPassFrames] = {};  // the sounding frames' samples
    };
    // The states that the filter pass of a sub-block moves, to run it again.
    struct FilterPassState {
        LowpassFilter filter;
        OutputStage::FrontState front;
    };

    template <int Mode, class Hooks>
    VEXO_ALWAYS_INLINE void renderSubBlocks(NoteState& note, int frames, Hooks& hooks);
    // The filter pass of a sounding frame j and, in the gaps between its poles, the
    // preparation of frame j + 1 when prepareNext.
    template <int Mode, class Hooks>
    VEXO_ALWAYS_INLINE void filterFrame(NoteState& note, int j, bool prepareNext, Hooks& hooks, HalfStepGuard& guard);
    // The tick and preparation of frame f of the sub-block on their own: in full after a
    // sounding frame, else with the silent smoothing shortcut.
    template <class Hooks>
    VEXO_ALWAYS_INLINE void prepareAlone(NoteState& note, int f, bool afterSounding, Hooks& hooks,
                                         SilentSmoothing& silent);
    // The filter pass of the sub-block's n frames once more with the plain steps, from the
    // states it started with.
    template <int Mode>
    VEXO_NOINLINE void refilter(int n, const FilterPassState& start);
    // After the filter: the gains and the stages with state, into the block pass's frames.
    VEXO_ALWAYS_INLINE void afterFilter(double y, const FrameInputs& in);

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
    SnapStep pitchJump_;  // pitchGlide_ of a note that is not slid into
    double frequency_ = 0;
    PowerOfTwoCache tuneFactor_;
    Envelopes envelopes_;
    Oscillator oscillator_;
    CutoffControl cutoffControl_;
    LowpassFilter filter_;
    OutputStage output_;
    SubBlock subBlock_;
};

VEXO_ALWAYS_INLINE double VoiceEngine::renderFrame(NoteState& note) {
    FrameInputs in;
    return prepareFrame(note, in) ? finishFrame(in) : 0.0;
}

VEXO_ALWAYS_INLINE bool VoiceEngine::prepareFrame(NoteState& note, FrameInputs& in) {
    if (!prepareStart(note)) {
        return false;
    }
    envelopes_.update(note, envelopeBlock_);
    prepareOscillator(note, in);
    prepareControl(note, in);
    return true;
}

VEXO_ALWAYS_INLINE bool VoiceEngine::prepareStart(NoteState& note) {
    smoothed_.step(smoothTargets_, smoothSpeed_);
    return idleRule(note);
}

VEXO_ALWAYS_INLINE bool VoiceEngine::idleRule(const NoteState& note) {
    // ActiveClocks samples after the gate closed nothing moves any more.
    if (note.noteGate == 1) {
        releaseCounter_ = 0;
    } else if (releaseCounter_ < INT_MAX) {
        ++releaseCounter_;
    }
    return releaseCounter_ < activeClocks_ && controls_.volume > 0.0f;
}

VEXO_ALWAYS_INLINE bool VoiceEngine::prepareAfterSilence(NoteState& note, FrameInputs& in, SilentSmoothing& silent) {
    if (!silent.checked) {
        silent.checked = true;
        silent.periodic = smoothingAlternates(silent.other);
    }
    if (!silent.periodic) {
        return prepareFrame(note, in);
    }
    silent.ahead = !silent.ahead;
    if (!idleRule(note)) {
        return false;
    }
    // The voice sounds again and steps its smoothers itself.
    catchUp(silent);
    silent.periodic = false;
    envelopes_.update(note, envelopeBlock_);
    prepareOscillator(note, in);
    prepareControl(note, in);
    return true;
}

VEXO_ALWAYS_INLINE void VoiceEngine::catchUp(SilentSmoothing& silent) {
    if (silent.ahead) {
        std::swap(smoothed_, silent.other);
        silent.ahead = false;
    }
}

VEXO_ALWAYS_INLINE void VoiceEngine::prepareOscillator(NoteState& note, FrameInputs& in) {
    readOscillator(note, chooseCycle(note), in);
}

VEXO_ALWAYS_INLINE Oscillator::Choice VoiceEngine::chooseCycle(NoteState& note) {
    if (note.prevSlide == 1) {
        rk4Step(pitchGlide_, note.stepPitch, slideCoef_);
    } else {
        pitchJump_(pitchGlide_, note.stepPitch);
    }
    frequency_ = tuneFactor_(2 * smoothed_.tune() - 1) * pitchGlide_.value;
    return oscillator_.choose(frequency_, oscillatorBlock_);
}

VEXO_ALWAYS_INLINE void VoiceEngine::readOscillator(NoteState& note, const Oscillator::Choice& choice,
                                                    FrameInputs& in) {
    in.oscillator = oscillator_.read(note.oscPhase, choice, oscillatorBlock_);
}

VEXO_ALWAYS_INLINE void VoiceEngine::prepareControl(NoteState& note, FrameInputs& in) {
    prepareCutoff(note, in);
    prepareGains(note, in);
}

VEXO_ALWAYS_INLINE void VoiceEngine::prepareCutoff(const NoteState& note, FrameInputs& in) {
    CutoffInputs cutoff;
    cutoff.cutoff2 = smoothed_.cutoff() * smoothed_.cutoff();
    cutoff.envMod = smoothed_.envMod();
    cutoff.resonance = smoothed_.resonance();
    cutoff.filterEnv = envelopes_.filterEnv();
    cutoff.accentCapSmoothed = envelopes_.accentCapSmoothed();
    cutoff.accentOn = note.accentOn;
    cutoff.accentDrive = envelopes_.accentDrive();
    cutoff.attackRamp = note.attackRamp.value;
    in.control = cutoffControl_.computeCoefficient(cutoff, filterBlock_);
}

VEXO_ALWAYS_INLINE void VoiceEngine::prepareGains(NoteState& note, FrameInputs& in) {
    CutoffControl::completeControl(in.control, filterBlock_);
    in.gains = output_.gains(in.control.level, envelopes_, outputBlock_);
    note.envTrigger = 0;
    in.drive = smoothed_.drive();
    in.distortion = smoothed_.distortion();
    in.volume2 = smoothed_.volume() * smoothed_.volume();
}

VEXO_ALWAYS_INLINE double VoiceEngine::finishFrame(const FrameInputs& in) {
    return outputStage(filter_.process(in.oscillator, in.control, filterBlock_), in);
}

VEXO_ALWAYS_INLINE double VoiceEngine::outputStage(double y, const FrameInputs& in) {
    y = OutputStage::applyGains(y, in.gains);
    return output_.finish(y, in.drive, in.distortion, in.volume2, outputBlock_);
}

// The filter is a serial chain: four Runge-Kutta poles with a division each and up to three
// clippers with another, every operation waiting for the one before, so on its own it
// leaves most of the processor idle. Everything else in a frame is independent of it, but
// the processor only looks a few hundred instructions ahead, and the instructions waiting
// for the filter fill that window. So a slice runs in sub-blocks of kBlockPassFrames
// frames, each in two passes:
// - the filter pass, frame by frame: while the poles of frame j run, frame j + 1 is
//   prepared in the gaps between their halves (step clock tick, smoothing, envelopes,
//   oscillator, cutoff control), in pieces placed where the processor finds room for them:
//   measured, the placement changes the speed by up to a third, and the best found puts
//   most of the preparation after the first pole, the cutoff control after the third and
//   the gains after the fourth; then frame j's gains and the stages after the filter that
//   carry state from frame to frame (high-pass, the distortion's pre-filter);
// - the block pass over the sub-block's sounding frames: the distortion's clipper and
//   decimator, the wet mix and the volume, several frames at a time in vector lanes; the
//   output clipper; the samples to the hooks.
// The order of the operations on every state is the same as frame by frame; only
// independent work moves. The poles step with rk4StepHalfCoef; should its guard report a
// difference in a sub-block, the filter pass runs again with the plain steps.
template <int Mode, class Hooks>
VEXO_ALWAYS_INLINE void VoiceEngine::renderSubBlocks(NoteState& note, int frames, Hooks& hooks) {
    SubBlock& block = subBlock_;
    SilentSmoothing silent;
    prepareAlone(note, 0, true, hooks, silent);
    for (int first = 0; first < frames; first += kBlockPassFrames) {
        const int n = frames - first < kBlockPassFrames ? frames - first : kBlockPassFrames;
        const FilterPassState start{filter_, output_.frontState()};
        HalfStepGuard guard;
        block.sounding.count = 0;
        for (int j = 0; j < n; ++j) {
            const bool prepareNext = first + j + 1 < frames;
            if (block.active[j]) {
                filterFrame<Mode>(note, j, prepareNext, hooks, guard);
            } else if (prepareNext) {
                // After a silent frame the smoothing may take the silent shortcut.
                prepareAlone(note, j + 1, false, hooks, silent);
            }
        }
        if (!guard.exact()) {
            refilter<Mode>(n, start);
        }

        output_.finishFrames(block.sounding, block.output, outputBlock_);
        for (int j = 0, k = 0; j < n; ++j) {
            double sample = block.active[j] ? block.output[k++] : 0.0;
            if (block.audition[j]) {
                sample += block.extra[j];
            }
            hooks.write(first + j, sample);
        }
        block.inputs[0] = block.inputs[n];
        block.active[0] = block.active[n];
        block.audition[0] = block.audition[n];
        block.extra[0] = block.extra[n];
    }
    catchUp(silent);
}

template <class Hooks>
VEXO_ALWAYS_INLINE void VoiceEngine::prepareAlone(NoteState& note, int f, bool afterSounding, Hooks& hooks,
                                                  SilentSmoothing& silent) {
    SubBlock& block = subBlock_;
    hooks.tick();
    block.active[f] =
        afterSounding ? prepareFrame(note, block.inputs[f]) : prepareAfterSilence(note, block.inputs[f], silent);
    block.audition[f] = hooks.audition(block.extra[f]);
}

template <int Mode, class Hooks>
VEXO_ALWAYS_INLINE void VoiceEngine::filterFrame(NoteState& note, int j, bool prepareNext, Hooks& hooks,
                                                 HalfStepGuard& guard) {
    SubBlock& block = subBlock_;
    const FrameInputs& current = block.inputs[j];
    FrameInputs& next = block.inputs[j + 1];
    const FilterControl& control = current.control;
    filter_.pole<1, Mode, true>(current.oscillator, control, filterBlock_, guard);
    bool active = false;
    Oscillator::Choice cycle{};
    if (prepareNext) {
        hooks.tick();
        active = prepareStart(note);
    }
    if (active) {
        envelopes_.updateDecay(note, envelopeBlock_);
        envelopes_.updateAccent(note, envelopeBlock_);
        cycle = chooseCycle(note);
    }
    const auto in2 = filter_.poleInput<2, Mode>(current.oscillator, control, filterBlock_);
    if (active) {
        readOscillator(note, cycle, next);
    }
    filter_.poleStep<2, Mode, true>(in2, control, guard);
    const auto in3 = filter_.poleInput<3, Mode>(current.oscillator, control, filterBlock_);
    if (active) {
        envelopes_.updateFollowers(note, envelopeBlock_);
    }
    filter_.poleStep<3, Mode, true>(in3, control, guard);
    if (active) {
        prepareCutoff(note, next);
    }
    const auto in4 = filter_.poleInput<4, Mode>(current.oscillator, control, filterBlock_);
    const double y = filter_.poleStep<4, Mode, true>(in4, control, guard);
    if (active) {
        prepareGains(note, next);
    }
    afterFilter(y, current);
    if (prepareNext) {
        block.active[j + 1] = active;
        block.audition[j + 1] = hooks.audition(block.extra[j + 1]);
    }
}

VEXO_ALWAYS_INLINE void VoiceEngine::afterFilter(double y, const FrameInputs& in) {
    const FrontValues front = output_.front(OutputStage::applyGains(y, in.gains), in.drive, outputBlock_);
    subBlock_.sounding.add(front, in.drive, in.distortion, in.volume2);
}

template <int Mode>
VEXO_NOINLINE void VoiceEngine::refilter(int n, const FilterPassState& start) {
    filter_ = start.filter;
    output_.setFrontState(start.front);
    subBlock_.sounding.count = 0;
    for (int j = 0; j < n; ++j) {
        if (subBlock_.active[j]) {
            const FrameInputs& in = subBlock_.inputs[j];
            afterFilter(filter_.process<Mode>(in.oscillator, in.control, filterBlock_), in);
        }
    }
}

template <class Hooks>
VEXO_ALWAYS_INLINE void VoiceEngine::renderSlice(NoteState& note, int frames, Hooks& hooks) {
    if (frames <= 0) {
        return;
    }
    if (hooks.quiet() && staysSilent(note)) {
        restFrames(note, frames);
        for (int i = 0; i < frames; ++i) {
            hooks.write(i, 0.0);
        }
        return;
    }
    switch (filterBlock_.mode) {
        case kFilter24dB:
            renderSubBlocks<kFilter24dB>(note, frames, hooks);
            break;
        case kFilter18dBPure:
            renderSubBlocks<kFilter18dBPure>(note, frames, hooks);
            break;
        default:
            renderSubBlocks<kFilter18dBEmulated>(note, frames, hooks);
            break;
    }
}

}  // namespace vexo

#include "voice/VoiceEngine.h"

#include <algorithm>

#include "voice/WaveTables.h"

namespace vexo {
namespace {

constexpr double kSmoothSpeedMax = 1.0;        // an Euler step above 1 overshoots
constexpr double kVcaDecayMinSeconds = 0.001;  // keeps the decay coefficient finite and stable
constexpr double kTm4RateClass2 = 4.1;

}  // namespace

VoiceEngine::VoiceEngine() : filterTables_(&filterTables()) {}

void VoiceEngine::setRelativeTuning(float factor) {
    oscillator_.cycleFactorA = factor;
}

bool VoiceEngine::beginBlock(float sampleRate, const VoiceControls& controls, const VoiceOptions& options) {
    if (!(sampleRate > 0.0f) || !std::isfinite(sampleRate)) {
        return false;
    }
    if (waveTables_ == nullptr || !waveTables_->saw.isReady() || !waveTables_->square.isReady()) {
        return false;
    }
    sampleRate_ = sampleRate;
    controls_ = controls;
    const double rate = sampleRate;
    rateClass_ = rateClass(rate);

    const double smoothSpeed = std::clamp(static_cast<double>(options.smoothSpeed), 0.0, kSmoothSpeedMax);
    smoothSpeed_ = Double2{smoothSpeed, smoothSpeed};
    smoothTargets_[0] = Double2{controls.tune, controls.cutoff};
    smoothTargets_[1] = Double2{controls.resonance, controls.volume};
    smoothTargets_[2] = Double2{controls.envMod, controls.distortion};
    smoothTargets_[3] = Double2{controls.drive, 0.0};
    activeClocks_ = options.activeClocks;
    slideCoef_ = coef(rate, kSlideSeconds);

    const bool vcaNoise = options.vcaNoise != 0;
    const double R = controls.resonance;
    const double r = accentResonance(R);
    const double decay = controls.decay;
    const double accent = controls.accent;
    const double vcaDecaySeconds = std::max(static_cast<double>(options.vcaDecaySeconds), kVcaDecayMinSeconds);
    EnvelopeBlock& env = envelopeBlock_;
    env.decayCoef = (1 - decay) * coef(rate, kDecayMinSeconds) + decay * coef(rate, kDecayMaxSeconds);
    env.accentDecayCoef = coef(rate, kAccentDecaySeconds);
    env.vcaDecayCoef = coef(rate, vcaDecaySeconds);
    env.accentChargeCoef = coef(rate, accentChargeSeconds(r));
    env.accentVcaAttackCoef = coef(rate, accentVcaAttackSeconds(r));
    env.accentDischargeCoef = (1 - R) * 0.01 + R * 0.0002;
    env.accentVcaSmoothingCoef = 0.01 * R + 0.05 * (1 - R);
    env.accentAmount = accent * accent * kAccentGain;
    env.gateAttackCoef = vcaNoise ? kGateAttackCoefClicks : kGateAttackCoefSmooth;
    env.vcaNoise = vcaNoise;

    const bool square = controls.waveform > 0.5f;
    const double w = controls.waveform;
    OscillatorBlock& osc = oscillatorBlock_;
    osc.table = WaveTableView::of(square ? waveTables_->square.data : waveTables_->saw.data);
    osc.inverseSampleRate = 1 / rate;
    osc.mapScale = kLevelMapScales[rateClass_];
    osc.waveGain = square ? w : kSawtoothGain * (1 - w);
    osc.vcoGain = options.vcoGain;
    oscillator_.newBlock();

    const double R2 = R * R;
    const double a = 0.32 * R2 + 0.22 * (1 - R2);
    const double b = 0.665 * R2 + 0.64 * (1 - R2);
    FilterBlock& filter = filterBlock_;
    filter.tables = filterTables_;
    filter.mode = options.filterMode;
    filter.resonance = R;
    filter.oneMinusResonance = 1 - R;
    filter.baseLow = a;
    filter.baseSpan = b - a;
    filter.baseScale = 1 + 0.5 * (static_cast<double>(options.tm3) - 0.5);
    filter.accentWeight = 0.255 * R + 0.27 * (1 - R);
    filter.feedbackScale = rateClass_ == 2 ? kTm4RateClass2 : static_cast<double>(options.tm4);
    filter.vccFactor = 1 + 0.05 * static_cast<double>(options.tm6);
    filter.envmodCurve = options.envmodKnob != 0;
    filter.smoothControl = !vcaNoise;
    filter.halfRateScale = rateClass_ == 2;
    filter.vcaLeveling = options.vcaLeveling != 0;

    OutputBlock& out = outputBlock_;
    out.vcaNoise = vcaNoise;
    out.highpass = controls.highpassFilter >= 0.5f;
    out.highpassCoef = rateClass_ == 2 ? kHighpassCoefRateClass2 : kHighpassCoef;
    out.distortion = controls.distortion > 0.0f;
    // The switch parameter holds 0 or 1; anything larger selects the "repeat" branch.
    out.distortionType = controls.distortionType >= 1.0f ? (controls.distortionType >= 2.0f ? 2 : 1) : 0;
    out.outputClipping = options.outputClipping != 0;
    return true;
}

void VoiceEngine::restFrames(const NoteState& note, int frames) {
    if (note.noteGate == 1) {
        releaseCounter_ = 0;
    } else {
        releaseCounter_ = releaseCounter_ > INT_MAX - frames ? INT_MAX : releaseCounter_ + frames;
    }
    // A settled smoother alternates between two states, so only the parity of the steps
    // counts; one still moving takes every step.
    SmoothedControls next;
    if (smoothingAlternates(next)) {
        if (frames % 2 != 0) {
            smoothed_ = next;
        }
        return;
    }
    for (int i = 0; i < frames; ++i) {
        smoothed_.step(smoothTargets_, smoothSpeed_);
    }
}

void VoiceEngine::resetEnvelopes() {
    envelopes_.reset();
}

bool VoiceEngine::toggleAsymmetry() {
    asymmetry_ = asymmetry_ ? 0 : 1;
    oscillator_.cycleFactorA = asymmetry_ ? kDefaultCycleFactorA : 1.0f;
    return asymmetry_ != 0;
}

}  // namespace vexo

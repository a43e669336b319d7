// Envelopes and accent circuit: the VCA gate envelope, the filter envelope, the slow VCA
// decay envelope, and the accent capacitor, sweep and VCA accent level.
#pragma once

#include <climits>
#include <cmath>

#include "voice/NoteState.h"
#include "voice/VoiceMath.h"

namespace vexo {

constexpr double kAttackRampCoef = 0.014;
constexpr double kDecayMinSeconds = 0.19;
constexpr double kDecayMaxSeconds = 2.6;
constexpr double kAccentDecaySeconds = 0.2;
constexpr double kAccentSweepCarry = 0.42;
constexpr double kAccentSweepLoss = 0.0007;  // per sample
constexpr double kAccentGain = 0.92;
constexpr double kAccentCapSmoothingCoef = 0.07;
constexpr double kAccentVcaReleaseCoef = 0.0006;  // per sample, not scaled by the rate
constexpr double kGateAttackCoefClicks = 0.05;    // VCANoise on
constexpr double kGateAttackCoefSmooth = 0.014;   // VCANoise off
constexpr double kGateReleaseCoef = 0.018;
constexpr double kVcaGainSmoothingCoef = 0.01;

// Per-slice coefficients of the envelopes.
struct EnvelopeBlock {
    double decayCoef = 0;        // filter envelope of a plain note (Decay knob)
    double accentDecayCoef = 0;  // filter envelope of an accented note
    double vcaDecayCoef = 0;
    double accentChargeCoef = 0;
    double accentVcaAttackCoef = 0;
    double accentDischargeCoef = 0;
    double accentVcaSmoothingCoef = 0;
    double accentAmount = 0;  // Accent^2 * 0.92
    double gateAttackCoef = kGateAttackCoefClicks;
    bool vcaNoise = true;
};

// Resonance position r of the accent circuit: 0 up to Resonance 0.5, then the root of
// 2 (R - 0.5), reaching 1 at Resonance 1.
inline double accentResonance(double resonance) {
    return resonance < 0.5 ? 0.0 : std::sqrt(2 * (resonance - 0.5));
}

// Accent capacitor charge time in seconds: 0.52 ms at r = 0, 63 ms at r = 1.
inline double accentChargeSeconds(double r) {
    return (1 - r) * 0.00052 + r * 0.063;
}

// Accent VCA attack time in seconds: 0.92 ms at r = 0, 3.5 ms at r = 1.
inline double accentVcaAttackSeconds(double r) {
    return (1 - r) * 0.00092 + r * 0.0035;
}

class Envelopes {
public:
    // The gate envelope that opens and closes the VCA, then the filter and VCA decay
    // envelopes and the accent circuit; sets accentDrive. Independent one-poles of the same
    // kind are updated in pairs: the gate envelope with the attack ramp, the two decay
    // envelopes, the accent capacitor with the VCA accent level.
    VEXO_ALWAYS_INLINE void update(NoteState& note, const EnvelopeBlock& block) {
        updateDecay(note, block);
        updateAccent(note, block);
        updateFollowers(note, block);
    }

    // update in three parts, in this order: the decay envelopes; the accent circuit; the
    // gate envelope, attack ramp and the smoothers that follow the others. Each part is a
    // short chain of its own, so a render loop can spread them between other work.
    VEXO_ALWAYS_INLINE void updateDecay(NoteState& note, const EnvelopeBlock& block) {
        const bool gate = note.noteGate == 1;
        const double decay = note.accentOn != 0 ? block.accentDecayCoef : block.decayCoef;
        if (note.envTrigger != 0) {
            accentSweep_ = static_cast<float>(kAccentSweepCarry * accentCap());
            note.samplesSinceTrigger = 0;
        }
        if (gate && note.samplesSinceTrigger <= 0) {
            decay_.value = Double2{1.0, 1.0};
        } else {
            rk4Step(decay_, Double2{0.0, 0.0}, Double2{decay, block.vcaDecayCoef});
        }
        if (note.samplesSinceTrigger < INT_MAX) {
            ++note.samplesSinceTrigger;
        }
    }

    VEXO_ALWAYS_INLINE void updateAccent(NoteState& note, const EnvelopeBlock& block) {
        accentDrive_ = block.accentAmount * (filterEnv() + accentSweep_);
        accentSweep_ = static_cast<float>(accentSweep_ * (1 - kAccentSweepLoss));

        const bool charge = note.accentOn != 0 && accentDrive_ > accentCap();
        const bool rise = note.noteGate * vcaDecayEnv() >= accentVca();
        rk4Step(accent_, Double2{charge ? accentDrive_ : 0.0, rise ? note.stepAccent * accentDrive_ : 0.0},
                Double2{charge ? block.accentChargeCoef : block.accentDischargeCoef,
                        rise ? block.accentVcaAttackCoef : kAccentVcaReleaseCoef});
    }

    VEXO_ALWAYS_INLINE void updateFollowers(NoteState& note, const EnvelopeBlock& block) {
        const bool gate = note.noteGate == 1;
        rk4Step(accentCapSmoothed_, accentCap(), kAccentCapSmoothingCoef);

        // The gate envelope and the attack ramp as one pair, in registers.
        OnePolePair gateAndRamp;
        gateAndRamp.value = Double2{vcaGateEnv_.value, note.attackRamp.value};
        gateAndRamp.flip = Double2{vcaGateEnv_.flip, note.attackRamp.flip};
        rk4Step(gateAndRamp, Double2{static_cast<double>(note.noteGate), 1.0},
                Double2{gate ? block.gateAttackCoef : kGateReleaseCoef, kAttackRampCoef});
        vcaGateEnv_ = gateAndRamp.lane(0);
        note.attackRamp = gateAndRamp.lane(1);

        // vcaGain follows the gate envelope through a 0.01 smoother, or directly (plus its
        // flip offset) while the gate is open with VCANoise on; accentVcaSmoothed follows
        // accentVca.
        OnePolePair smoothers;
        smoothers.value = Double2{vcaGain_.value, accentVcaSmoothed_.value};
        smoothers.flip = Double2{vcaGain_.flip, accentVcaSmoothed_.flip};
        eulerStep(smoothers, Double2{vcaGateEnv_.value, accentVca()},
                  Double2{kVcaGainSmoothingCoef, block.accentVcaSmoothingCoef});
        if (gate && block.vcaNoise) {
            // The update negated the flip offset; the value takes the one it had before.
            smoothers.value[0] = vcaGateEnv_.value - smoothers.flip[0];
        }
        vcaGain_ = smoothers.lane(0);
        accentVcaSmoothed_ = smoothers.lane(1);
    }

    // The host's resume: both decay envelopes restart from silence.
    void reset() { decay_.value = Double2{0.0, 0.0}; }

    double vcaGateEnv() const { return vcaGateEnv_.value; }
    double filterEnv() const { return decay_.value[0]; }
    double vcaDecayEnv() const { return decay_.value[1]; }
    double accentCap() const { return accent_.value[0]; }
    double accentVca() const { return accent_.value[1]; }

    double vcaGain() const { return vcaGain_.value; }
    double accentVcaSmoothed() const { return accentVcaSmoothed_.value; }
    double accentCapSmoothed() const { return accentCapSmoothed_.value; }
    float accentSweep() const { return accentSweep_; }
    // This sample's accent drive, A * (filterEnv + accentSweep).
    double accentDrive() const { return accentDrive_; }

private:
    float accentSweep_ = 0;
    double accentDrive_ = 0;
    OnePole accentCapSmoothed_;
    OnePole vcaGateEnv_;
    OnePole vcaGain_;
    OnePole accentVcaSmoothed_;
    OnePolePair decay_;   // filterEnv, vcaDecayEnv
    OnePolePair accent_;  // accentCap, accentVca
};

}  // namespace vexo

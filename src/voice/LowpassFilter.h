// Cutoff control and the resonant low-pass filter with its three emulation modes.
#pragma once

#include "voice/FilterTables.h"
#include "voice/VoiceMath.h"

namespace vexo {

enum FilterMode : int {
    kFilter24dB = 0,          // four poles, saturation before the last one
    kFilter18dBEmulated = 1,  // non-linear resonant chain crossfaded with a linear three-pole tap
    kFilter18dBPure = 2,      // three poles in the signal path, four in the loop, no saturation
};

constexpr double kEnvDepthMin = 0.14;
constexpr double kEnvDepthMax = 0.65;
constexpr double kEnvOffset = 0.45;
constexpr double kControlLimit = 1.4;
constexpr double kControlSmoothingCoef = 0.1;
constexpr double kStageCoefScale = 1.4;
constexpr double kStageCoefScaleRateClass2 = 0.6;
constexpr double kSaturationScaleMin = 0.6;
constexpr double kSaturationScaleMax = 1.2;

// Per-slice values of the cutoff control and filter.
struct FilterBlock {
    const FilterTables* tables = nullptr;
    int mode = kFilter18dBEmulated;
    double resonance = 0;          // R, the raw Resonance parameter
    double oneMinusResonance = 1;  // 1 - R
    double baseLow = 0.22;         // a: control value at Cutoff 0
    double baseSpan = 0.42;        // b - a
    double baseScale = 1.0;        // 1 + 0.5 (TM3 - 0.5)
    double accentWeight = 0.27;    // w
    double feedbackScale = 3.985;  // TM4
    double vccFactor = 1.0125;     // F = 1 + 0.05 TM6
    bool envmodCurve = true;
    bool smoothControl = false;  // VCANoise off
    bool halfRateScale = false;  // rate class 2
    bool vcaLeveling = false;
};

// What the filter and the level compensation need for one sample.
struct FilterControl {
    double g = 0;                    // per-sample stage coefficient
    Double2 gPair = {0.0, 0.0};      // g in both lanes
    Double2 gHalfPair = {0.0, 0.0};  // g / 2 in both lanes
    double k = 0;                    // resonance amount
    double feedback = 0;             // G
    double saturationScale = 1;
    double inverseSaturationScale = 1;
    double level = 0;  // L, level compensation for the output stage
};

// Maps the Env.mod knob onto a curve through 0 and 1.
VEXO_ALWAYS_INLINE double envModCurve(double e) {
    return 39 / (130 - 100 * e) - 0.3;
}

struct EnvModCurve {
    double operator()(double e) const { return envModCurve(e); }
};

// This sample's inputs of the cutoff control.
struct CutoffInputs {
    double cutoff2 = 0;    // smoothed Cutoff, squared
    double envMod = 0;     // smoothed Env.mod
    double resonance = 0;  // smoothed Resonance
    double filterEnv = 0;
    double accentCapSmoothed = 0;
    int accentOn = 0;
    double accentDrive = 0;
    double attackRamp = 0;  // rises from 0 toward 1 after each trigger
};

class CutoffControl {
public:
    VEXO_ALWAYS_INLINE FilterControl compute(const CutoffInputs& in, const FilterBlock& block) {
        FilterControl c = computeCoefficient(in, block);
        completeControl(c, block);
        return c;
    }

    // compute in two halves, so that a render loop can put other work between them: the
    // stage coefficient g and the resonance amount k, then from them the rest.
    VEXO_ALWAYS_INLINE FilterControl computeCoefficient(const CutoffInputs& in, const FilterBlock& block) {
        const double e = block.envmodCurve ? envModCurve_(in.envMod) : in.envMod;
        const double depth = kEnvDepthMin + e * (kEnvDepthMax - kEnvDepthMin);
        const double R = block.resonance;
        const double c2 = in.cutoff2;
        double m =
            block.baseScale * (block.baseLow + c2 * block.baseSpan) + depth * (in.filterEnv - 0.05 - kEnvOffset) +
            block.accentWeight * (R * in.accentCapSmoothed + block.oneMinusResonance * in.accentOn * in.accentDrive) +
            0.1 * e * (1 - c2);
        if (m > kControlLimit) {
            m = kControlLimit;
        }
        if (block.smoothControl) {
            eulerStep(smoothA_, m, kControlSmoothingCoef);
            eulerStep(smoothB_, smoothA_.value, kControlSmoothingCoef);
            m = smoothB_.value;
        }

        FilterControl c;
        const FilterTables& tables = *block.tables;
        c.g = kStageCoefScale * interp(tables.cutoff, 1024 * m);
        if (block.halfRateScale) {
            c.g = kStageCoefScaleRateClass2 * c.g;
        }
        c.k = (0.93 + 0.07 * in.attackRamp) * in.resonance;
        return c;
    }

    VEXO_ALWAYS_INLINE static void completeControl(FilterControl& c, const FilterBlock& block) {
        const FilterTables& tables = *block.tables;
        c.gPair = Double2{c.g, c.g};
        c.gHalfPair = c.gPair * 0.5;
        const TablePosition curvePosition = tablePosition<kFilterCurveTableSize>(256 * c.g);
        c.feedback = interp(tables.feedbackGain, curvePosition) * block.feedbackScale;
        const double levelCurve = interp(tables.level, curvePosition);
        const double plain = 0.8 * (1 - c.k);
        c.level = block.vcaLeveling ? 1.5 * (plain + 1.6 * c.k * levelCurve) : plain + 0.8 * c.k * levelCurve;
        // Most of the time S sits at one of its limits, whose inverses are constants.
        const double s = 2.3 * c.g + 0.01;
        if (s < kSaturationScaleMin) {
            c.saturationScale = kSaturationScaleMin;
            c.inverseSaturationScale = 1 / kSaturationScaleMin;
        } else if (s > kSaturationScaleMax) {
            c.saturationScale = kSaturationScaleMax;
            c.inverseSaturationScale = 1 / kSaturationScaleMax;
        } else {
            c.saturationScale = s;
            c.inverseSaturationScale = 1 / s;
        }
    }

private:
    TwoResultCache<EnvModCurve> envModCurve_;
    OnePole smoothA_;  // two cascaded smoothers, used when VCANoise is off
    OnePole smoothB_;
};

// The stage coefficient g is 1.4 times a value of the cutoff curve (at most 1), times 0.6 in
// rate class 2: inside the range for which HalfStepGuard vouches.
static_assert(kStageCoefScaleRateClass2 * kStageCoefScale * kCutoffCurveMinimum >= HalfStepGuard::kCoefMin);
static_assert(kStageCoefScale <= HalfStepGuard::kCoefMax);

class LowpassFilter {
public:
    VEXO_ALWAYS_INLINE double process(double x, const FilterControl& c, const FilterBlock& block) {
        switch (block.mode) {
            case kFilter24dB:
                return process<kFilter24dB>(x, c, block);
            case kFilter18dBPure:
                return process<kFilter18dBPure>(x, c, block);
            default:
                return process<kFilter18dBEmulated>(x, c, block);
        }
    }

    template <int Mode>
    VEXO_ALWAYS_INLINE double process(double x, const FilterControl& c, const FilterBlock& block) {
        HalfStepGuard unused;
        pole<1, Mode, false>(x, c, block, unused);
        pole<2, Mode, false>(x, c, block, unused);
        pole<3, Mode, false>(x, c, block, unused);
        return pole<4, Mode, false>(x, c, block, unused);
    }

    // Pole P (1..4) of the filter in mode Mode; the fourth returns the output. The poles are
    // separate steps so that a caller can put independent work between them. With HalfCoef
    // the stages step with rk4StepHalfCoef and report to the guard: the same bits as the
    // plain steps while the guard stays exact.
    template <int P, int Mode, bool HalfCoef>
    VEXO_ALWAYS_INLINE double pole(double x, const FilterControl& c, const FilterBlock& block, HalfStepGuard& guard) {
        return poleStep<P, Mode, HalfCoef>(poleInput<P, Mode>(x, c, block), c, guard);
    }

    // A pole in two halves, for finer interleaving: its input (the feedback, or the clipper
    // on the stage before) and its step.
    template <int P, int Mode>
    VEXO_ALWAYS_INLINE auto poleInput(double x, const FilterControl& c, const FilterBlock& block) const {
        const double k = c.k;
        const double S = c.saturationScale;
        const double s = c.inverseSaturationScale;
        if constexpr (Mode == kFilter18dBEmulated) {
            // Lane 0 the non-linear resonant chain s1..s4, lane 1 the linear chain s5..s8.
            if constexpr (P == 1) {
                const Double2 feedback = Double2{block.vccFactor * c.feedback, c.feedback} *
                                         Double2{static_cast<double>(y1), static_cast<double>(y2)} * k;
                return x - feedback;
            } else {
                const OnePolePair& before = P == 2 ? stage1_ : (P == 3 ? stage2_ : stage3_);
                return Double2{sat(S * before.value[0]) * s, before.value[1]};
            }
        } else {
            if constexpr (P == 1) {
                const double feedback = Mode == kFilter24dB ? block.vccFactor * c.feedback : c.feedback;
                return x - feedback * y1 * k;
            } else if constexpr (P == 2) {
                return stage1_.value[0];
            } else if constexpr (P == 3) {
                return stage2_.value[0];
            } else if constexpr (Mode == kFilter24dB) {
                return sat(S * stage3_.value[0]) * s;
            } else {
                return stage3_.value[0];
            }
        }
    }

    template <int P, int Mode, bool HalfCoef, class Input>
    VEXO_ALWAYS_INLINE double poleStep(Input in, const FilterControl& c, HalfStepGuard& guard) {
        OnePolePair& stage = P == 1 ? stage1_ : (P == 2 ? stage2_ : (P == 3 ? stage3_ : stage4_));
        step<HalfCoef>(stage, in, c, guard);
        if constexpr (P < 4) {
            return 0.0;
        } else if constexpr (Mode == kFilter18dBEmulated) {
            y1 = static_cast<float>(stage4_.value[0]);
            y2 = static_cast<float>(stage4_.value[1]);
            const double g = c.g;
            const double k2 = c.k * c.k;
            return (1 - k2) * stage3_.value[1] + k2 * ((1 - g / 2) * stage4_.value[0] + (g / 2) * stage3_.value[0]);
        } else {
            y1 = static_cast<float>(stage4_.value[0]);
            return Mode == kFilter24dB ? stage4_.value[0] : stage3_.value[0];
        }
    }

    // Stage n (1..8) of the filter: 1..4 the resonant chain, 5..8 the linear chain.
    OnePole stage(int n) const {
        const OnePolePair* pairs[4] = {&stage1_, &stage2_, &stage3_, &stage4_};
        return pairs[(n - 1) % 4]->lane(n > 4 ? 1 : 0);
    }

    float y1 = 0;  // last output of the resonant chain
    float y2 = 0;  // last output of the linear chain

private:
    // Both chains' stages in pairs.
    template <bool HalfCoef>
    VEXO_ALWAYS_INLINE static void step(OnePolePair& s, Double2 x, const FilterControl& c, HalfStepGuard& guard) {
        if constexpr (HalfCoef) {
            rk4StepHalfCoef(s, x, c.gPair, c.gHalfPair, guard);
        } else {
            rk4Step(s, x, c.gPair);
        }
    }
    // The resonant chain alone (modes 0 and 2).
    template <bool HalfCoef>
    VEXO_ALWAYS_INLINE static void step(OnePolePair& s, double x, const FilterControl& c, HalfStepGuard& guard) {
        if constexpr (HalfCoef) {
            rk4StepHalfCoefLane0(s, x, c.g, c.gHalfPair[0], guard);
        } else {
            rk4StepLane0(s, x, c.g);
        }
    }

    // Lane 0 holds s1..s4, lane 1 s5..s8.
    OnePolePair stage1_;
    OnePolePair stage2_;
    OnePolePair stage3_;
    OnePolePair stage4_;
};

}  // namespace vexo

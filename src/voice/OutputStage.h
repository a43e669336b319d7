// After the filter: level compensation, VCA, high-pass, the distortion with its 2x
// oversampling and half-band decimator, the volume and the optional output clipper.
#pragma once

#include <cmath>

#include "voice/Envelopes.h"
#include "voice/VoiceMath.h"

namespace vexo {

constexpr double kLevelSmoothingCoef = 0.1;
constexpr double kVcaSmoothingCoef = 0.1;
constexpr double kAccentVcaGain = 2.4;
constexpr double kHighpassCoef = 0.06;
constexpr double kHighpassCoefRateClass2 = 0.03;
constexpr double kSaturatePrefilterCoef = 0.25;
constexpr double kVolumeGain = 0.6;
constexpr double kOutputDcCoef = 0.001;

enum DistortionType : int {
    kDistortionSaturate = 0,
    kDistortionFoldback = 1,
};

// 33-tap symmetric half-band low-pass that brings the 2x-rate distortion back to the
// sample rate. Only the odd taps and the centre are non-zero.
class HalfBandDecimator {
public:
    static constexpr int kTaps = 33;
    static constexpr int kCentre = 16;
    static constexpr double kCentreCoefficient = 0.500705786852609;
    // Coefficients of taps 1, 3, ..., 31.
    static constexpr double kOddCoefficients[16] = {
        -0.00188787839582,  0.003862478304199,  -0.008242466596548, 0.015947113970594,
        -0.028676559233976, 0.050718561562229,  -0.098015907472862, 0.315941764435879,
        0.315941764435879,  -0.098015907472862, 0.050718561562229,  -0.028676559233976,
        0.015947113970594,  -0.008242466596548, 0.003862478304199,  -0.00188787839582,
    };

    // Shifts the line by one (entry 32 drops out) and puts x at entry 0.
    VEXO_ALWAYS_INLINE void push(double x) {
        head_ = head_ == 0 ? kTaps - 1 : head_ - 1;
        line_[head_] = x;
        line_[head_ + kTaps] = x;
    }

    // Entry i of the line, 0 the newest.
    double entry(int i) const { return line_[head_ + i]; }

    // Sum of coefficient times entry over taps 1, 3, ..., 31, then the centre tap.
    VEXO_ALWAYS_INLINE double output() const {
        const double* e = line_ + head_;
        double sum = 0;
#pragma GCC unroll 16
        for (int j = 0; j < 16; ++j) {
            sum += kOddCoefficients[j] * e[2 * j + 1];
        }
        return sum + kCentreCoefficient * e[kCentre];
    }

private:
    // Each entry is stored twice, kTaps apart, so the 33 entries from head_ are contiguous.
    double line_[2 * kTaps] = {};
    int head_ = 0;
};

// Per-slice settings of the output stage.
struct OutputBlock {
    bool vcaNoise = true;
    bool highpass = false;
    double highpassCoef = kHighpassCoef;
    bool distortion = false;  // Distortion parameter above 0
    int distortionType = kDistortionSaturate;
    bool outputClipping = false;
};

struct StageGains {
    double level = 0;  // smoothed level compensation
    double vca = 0;
};

class OutputStage {
public:
    // Level compensation and VCA gain of one frame from L, the level value of the filter
    // control, and the envelopes; neither depends on the filter output.
    VEXO_ALWAYS_INLINE StageGains gains(double L, const Envelopes& env, const OutputBlock& block) {
        eulerStep(level_, 1.1 * L, kLevelSmoothingCoef);
        const double v = kAccentVcaGain * env.accentVcaSmoothed() + env.vcaGain() * env.vcaDecayEnv();
        if (block.vcaNoise) {
            return {level_.value, v};
        }
        eulerStep(vcaSmoother_, v, kVcaSmoothingCoef);
        return {level_.value, vcaSmoother_.value};
    }

    // The gains applied to y, the filter output.
    VEXO_ALWAYS_INLINE static double applyGains(double y, const StageGains& gains) {
        y = y * gains.level;
        return y * gains.vca;
    }

    // High-pass, distortion, volume and clipper. drive, distortion: smoothed knobs;
    // volume2: smoothed Volume squared.
    VEXO_ALWAYS_INLINE double finish(double y, double drive, double distortion, double volume2,
                                     const OutputBlock& block) {
        if (block.highpass) {
            eulerStep(highpass_, y, block.highpassCoef);
            y = y - highpass_.value;
        }
        if (block.distortion) {
            y = distort(y, drive, distortion, block.distortionType);
        }
        const double volume4 = volume2 * volume2;
        y = y * kVolumeGain * volume4;
        if (block.outputClipping) {
            const double q = sat(0.5 * y);
            eulerStep(outputDc_, 2 * q, kOutputDcCoef);
            y = 2 * q - outputDc_.value;
        }
        return y;
    }

    // Two half-rate samples from the same input, decimated back to one, mixed with the
    // direct half-rate signal by min(1, 10 d).
    VEXO_ALWAYS_INLINE double distort(double x, double D, double d, int type) {
        double h1;
        double h2;
        if (type == kDistortionSaturate) {
            // Both half-steps' clippers at once; the pre-filter runs twice on the same input.
            const double A = 100 * D + 0.05 * (1 - D);
            const double gain = 1 + 8 * D;
            eulerStep(preFilter_, x, kSaturatePrefilterCoef);
            const double first = preFilter_.value;
            eulerStep(preFilter_, x, kSaturatePrefilterCoef);
            const Double2 shaped = (2 * sat(A * Double2{first, preFilter_.value}) * gain / A) * d;
            h1 = shaped[0] + x * (1 - d);
            h2 = shaped[1] + h1 * (1 - d);
        } else if (type == kDistortionFoldback) {
            const double G = 10 * (D + 0.1 * (1 - D));
            const double c = 0.5 * (1 - 0.5 * D);
            eulerStep(preFilter_, x, c);
            h1 = (1 - d) * x + 0.7 * d * std::sin(G * preFilter_.value);
            eulerStep(preFilter_, x, c);
            h2 = (1 - d) * h1 + 0.7 * d * std::sin(G * preFilter_.value);
        } else {
            h1 = lastHalf_[0];
            h2 = lastHalf_[1];
        }
        lastHalf_[0] = static_cast<float>(h1);
        lastHalf_[1] = static_cast<float>(h2);
        decimator_.push(h1);
        const double decimated = decimator_.output();
        decimator_.push(h2);
        const double wetShare = 10 * d;
        const double wet = wetShare < 1.0 ? wetShare : 1.0;
        return wet * decimated + (1 - wet) * h2;
    }

    const HalfBandDecimator& decimator() const { return decimator_; }
    float lastHalf(int i) const { return lastHalf_[i]; }
    double preFilter() const { return preFilter_.value; }

private:
    OnePole level_;
    OnePole vcaSmoother_;
    OnePole highpass_;
    OnePole preFilter_;
    float lastHalf_[2] = {0, 0};  // the two half-rate outputs of the previous sample
    HalfBandDecimator decimator_;
    OnePole outputDc_;
};

}  // namespace vexo

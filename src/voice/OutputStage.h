// After the filter: level compensation, VCA, high-pass, the distortion with its 2x
// oversampling and half-band decimator, the volume and the optional output clipper.
#pragma once

#include <cmath>
#include <cstring>

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

// Frames the block pass of the output stage takes at a time.
constexpr int kBlockPassFrames = 32;

// 33-tap symmetric half-band low-pass that brings the 2x-rate distortion back to the
// sample rate. Only the odd taps and the centre are non-zero. Each frame puts its first
// half-sample into the line, takes the output, then puts in its second half-sample.
class HalfBandDecimator {
public:
    static constexpr int kTaps = 33;
    static constexpr double kCentreCoefficient = 0.500705786852609;
    // Coefficients of taps 1, 3, ..., 31.
    static constexpr double kOddCoefficients[16] = {
        -0.00188787839582,  0.003862478304199,  -0.008242466596548, 0.015947113970594,
        -0.028676559233976, 0.050718561562229,  -0.098015907472862, 0.315941764435879,
        0.315941764435879,  -0.098015907472862, 0.050718561562229,  -0.028676559233976,
        0.015947113970594,  -0.008242466596548, 0.003862478304199,  -0.00188787839582,
    };

    // One frame's two half-samples; returns the output.
    VEXO_ALWAYS_INLINE double process(double first, double second) {
        makeRoom(1);
        first_[end_] = first;
        second_[end_] = second;
        const double out = output(end_);
        ++end_;
        return out;
    }

    // The outputs of n frames (at most kBlockPassFrames) into out. The frames are
    // independent, so the compiler runs several at a time in vector lanes, each lane summing
    // its taps in the order of the one-frame output.
    void process(const double* __restrict first, const double* __restrict second, double* __restrict out, int n) {
        makeRoom(n);
        double* __restrict line1 = first_ + end_;
        double* __restrict line2 = second_ + end_;
        std::memcpy(line1, first, sizeof(double) * static_cast<std::size_t>(n));
        std::memcpy(line2, second, sizeof(double) * static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) {
            out[i] = taps(line1 + i, line2 + i);
        }
        end_ += n;
    }

    // Entry i of the line, 0 the newest (the last frame's second half-sample).
    double entry(int i) const {
        const int frame = end_ - 1 - i / 2;
        return i % 2 == 0 ? second_[frame] : first_[frame];
    }

private:
    // Frames the line reaches back, the newest included; room for several block passes
    // before the history moves to the front.
    static constexpr int kHistory = (kTaps + 1) / 2;
    static constexpr int kCapacity = kHistory + 4 * kBlockPassFrames;

    VEXO_ALWAYS_INLINE double output(int f) const { return taps(first_ + f, second_ + f); }

    // Sum of coefficient times entry over taps 1, 3, ..., 31, then the centre tap, for the
    // line after a frame's first half-sample went in, from that frame's place in the
    // first and second half-samples: tap 2m + 1 holds the second half-sample of the frame
    // m + 1 before, the centre the first half-sample of the frame 8 before.
    VEXO_ALWAYS_INLINE static double taps(const double* first, const double* second) {
        double sum = 0;
#pragma GCC unroll 16
        for (int m = 0; m < 16; ++m) {
            sum += kOddCoefficients[m] * second[-1 - m];
        }
        return sum + kCentreCoefficient * first[-8];
    }

    // Moves the history to the front when n more frames would not fit.
    void makeRoom(int n) {
        if (end_ + n > kCapacity) {
            std::memmove(first_, first_ + end_ - kHistory, sizeof(double) * kHistory);
            std::memmove(second_, second_ + end_ - kHistory, sizeof(double) * kHistory);
            end_ = kHistory;
        }
    }

    // The half-samples by frame, oldest first; the kHistory frames before end_ are the line.
    double first_[kCapacity] = {};
    double second_[kCapacity] = {};
    int end_ = kHistory;
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

// The high-pass output and the distortion pre-filter after each of the two half-steps: what
// the stages with state leave of one frame for the rest of the output stage.
struct FrontValues {
    double signal = 0;
    double firstHalf = 0;
    double secondHalf = 0;
};

// The sounding frames of a block pass, one entry per frame (struct of arrays).
struct BlockPassFrames {
    double signal[kBlockPassFrames] = {};
    double firstHalf[kBlockPassFrames] = {};
    double secondHalf[kBlockPassFrames] = {};
    double drive[kBlockPassFrames] = {};       // smoothed Drive
    double distortion[kBlockPassFrames] = {};  // smoothed Distortion
    double volume2[kBlockPassFrames] = {};     // smoothed Volume, squared
    int count = 0;

    VEXO_ALWAYS_INLINE void add(const FrontValues& front, double smoothedDrive, double smoothedDistortion,
                                double smoothedVolume2) {
        signal[count] = front.signal;
        firstHalf[count] = front.firstHalf;
        secondHalf[count] = front.secondHalf;
        drive[count] = smoothedDrive;
        distortion[count] = smoothedDistortion;
        volume2[count] = smoothedVolume2;
        ++count;
    }
};

// Saturate: the two pre-filtered half-samples p1, p2 of input x through the clipper, mixed
// with the direct half-rate signal by the smoothed Distortion d; D is the smoothed Drive.
VEXO_ALWAYS_INLINE void saturateHalves(double x, double p1, double p2, double D, double d, double& h1, double& h2) {
    const double A = 100 * D + 0.05 * (1 - D);
    const double gain = 1 + 8 * D;
    h1 = (2 * satSelect(A * p1) * gain / A) * d + x * (1 - d);
    h2 = (2 * satSelect(A * p2) * gain / A) * d + h1 * (1 - d);
}

// The share of the decimated signal in the distortion's output, min(1, 10 d) of the
// smoothed Distortion d (a NaN counting as 1; written so that loops vectorise).
VEXO_ALWAYS_INLINE double wetShare(double d) {
    const double share = 10 * d;
    return !(share < 1.0) ? 1.0 : share;
}

// The decimated signal F and the direct second half-sample h2 mixed by the wet share.
VEXO_ALWAYS_INLINE double wetMix(double F, double h2, double wet) {
    return wet * F + (1 - wet) * h2;
}

// Volume: 0.6 vol^4 from the smoothed Volume squared.
VEXO_ALWAYS_INLINE double applyVolume(double y, double volume2) {
    return y * kVolumeGain * (volume2 * volume2);
}

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

    // High-pass, distortion, volume and clipper of one frame. drive, distortion: smoothed
    // knobs; volume2: smoothed Volume squared.
    VEXO_ALWAYS_INLINE double finish(double y, double drive, double distortion, double volume2,
                                     const OutputBlock& block) {
        const FrontValues front = this->front(y, drive, block);
        y = front.signal;
        if (block.distortion) {
            y = distortFront(front, drive, distortion, block.distortionType);
        }
        return clip(applyVolume(y, volume2), block);
    }

    // The stages of finish with state that every frame must pass in order before the next:
    // the high-pass and the distortion's pre-filter.
    VEXO_ALWAYS_INLINE FrontValues front(double y, double drive, const OutputBlock& block) {
        FrontValues front;
        if (block.highpass) {
            eulerStep(highpass_, y, block.highpassCoef);
            y = y - highpass_.value;
        }
        front.signal = y;
        if (block.distortion && block.distortionType <= kDistortionFoldback) {
            // The pre-filter runs twice on the same input, once for each half-step.
            const double c =
                block.distortionType == kDistortionSaturate ? kSaturatePrefilterCoef : foldbackPrefilterCoef(drive);
            eulerStep(preFilter_, y, c);
            front.firstHalf = preFilter_.value;
            eulerStep(preFilter_, y, c);
            front.secondHalf = preFilter_.value;
        }
        return front;
    }

    // The rest of finish for the frames of a block pass, each from its front values:
    // out[i] for frame i. Apart from the output clipper's tracker, the frames are
    // independent here, so the compiler runs several at a time in vector lanes.
    void finishFrames(const BlockPassFrames& frames, double* __restrict out, const OutputBlock& block) {
        const int n = frames.count;
        if (n == 0) {
            return;
        }
        const double* y = frames.signal;
        if (block.distortion) {
            distortFrames(frames, block.distortionType, out);
            y = out;
        }
        for (int i = 0; i < n; ++i) {
            out[i] = applyVolume(y[i], frames.volume2[i]);
        }
        if (block.outputClipping) {
            for (int i = 0; i < n; ++i) {
                out[i] = clip(out[i], block);
            }
        }
    }

    // Two half-rate samples from the same input, decimated back to one, mixed with the
    // direct half-rate signal by min(1, 10 d).
    VEXO_ALWAYS_INLINE double distort(double x, double D, double d, int type) {
        OutputBlock block;
        block.distortion = true;
        block.distortionType = type;
        return distortFront(front(x, D, block), D, d, type);
    }

    // The states that front moves.
    struct FrontState {
        OnePole highpass;
        OnePole preFilter;
    };
    FrontState frontState() const { return {highpass_, preFilter_}; }
    void setFrontState(const FrontState& state) {
        highpass_ = state.highpass;
        preFilter_ = state.preFilter;
    }

    const HalfBandDecimator& decimator() const { return decimator_; }
    float lastHalf(int i) const { return lastHalf_[i]; }
    double preFilter() const { return preFilter_.value; }

private:
    static double foldbackPrefilterCoef(double D) { return 0.5 * (1 - 0.5 * D); }

    // Foldback: the sine folder on each pre-filtered half-sample.
    static void foldHalves(double x, double p1, double p2, double D, double d, double& h1, double& h2) {
        const double G = 10 * (D + 0.1 * (1 - D));
        h1 = (1 - d) * x + 0.7 * d * std::sin(G * p1);
        h2 = (1 - d) * h1 + 0.7 * d * std::sin(G * p2);
    }

    // The half-samples of one frame by type; any type but Saturate and Foldback repeats the
    // last ones.
    VEXO_ALWAYS_INLINE void halves(const FrontValues& front, double D, double d, int type, double& h1, double& h2) {
        if (type == kDistortionSaturate) {
            saturateHalves(front.signal, front.firstHalf, front.secondHalf, D, d, h1, h2);
        } else if (type == kDistortionFoldback) {
            foldHalves(front.signal, front.firstHalf, front.secondHalf, D, d, h1, h2);
        } else {
            h1 = lastHalf_[0];
            h2 = lastHalf_[1];
        }
        lastHalf_[0] = static_cast<float>(h1);
        lastHalf_[1] = static_cast<float>(h2);
    }

    VEXO_ALWAYS_INLINE double distortFront(const FrontValues& front, double D, double d, int type) {
        double h1;
        double h2;
        halves(front, D, d, type, h1, h2);
        return wetMix(decimator_.process(h1, h2), h2, wetShare(d));
    }

    // distortFront for the frames of a block pass: the wet output into out.
    void distortFrames(const BlockPassFrames& frames, int type, double* __restrict out) {
        const int n = frames.count;
        double h1[kBlockPassFrames];
        double h2[kBlockPassFrames];
        if (type == kDistortionSaturate) {
            for (int i = 0; i < n; ++i) {
                saturateHalves(frames.signal[i], frames.firstHalf[i], frames.secondHalf[i], frames.drive[i],
                               frames.distortion[i], h1[i], h2[i]);
            }
            lastHalf_[0] = static_cast<float>(h1[n - 1]);
            lastHalf_[1] = static_cast<float>(h2[n - 1]);
        } else {
            for (int i = 0; i < n; ++i) {
                const FrontValues front{frames.signal[i], frames.firstHalf[i], frames.secondHalf[i]};
                halves(front, frames.drive[i], frames.distortion[i], type, h1[i], h2[i]);
            }
        }
        double decimated[kBlockPassFrames];
        decimator_.process(h1, h2, decimated, n);
        // The shares in a loop of their own: with the mix in the same loop, the compiler
        // would branch on a share of 1 rather than vectorise.
        double wet[kBlockPassFrames];
        for (int i = 0; i < n; ++i) {
            wet[i] = wetShare(frames.distortion[i]);
        }
        for (int i = 0; i < n; ++i) {
            out[i] = wetMix(decimated[i], h2[i], wet[i]);
        }
    }

    // The optional output clipper.
    VEXO_ALWAYS_INLINE double clip(double y, const OutputBlock& block) {
        if (block.outputClipping) {
            const double q = sat(0.5 * y);
            eulerStep(outputDc_, 2 * q, kOutputDcCoef);
            y = 2 * q - outputDc_.value;
        }
        return y;
    }

    OnePole level_;
    OnePole vcaSmoother_;
    OnePole highpass_;
    OnePole preFilter_;
    float lastHalf_[2] = {0, 0};  // the two half-rate outputs of the previous sample
    HalfBandDecimator decimator_;
    OnePole outputDc_;
};

}  // namespace vexo

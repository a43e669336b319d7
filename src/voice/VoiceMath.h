// Numeric building blocks shared by every stage of the voice.
#pragma once

namespace vexo {

// A one-pole state. Each update adds the flip offset to its input and then negates it,
// so every input carries a +-1e-5 square wave at half the sample rate; this keeps the
// states away from denormals when a signal dies away.
struct OnePole {
    static constexpr double kInitialFlip = 1e-5;
    double value = 0.0;
    double flip = kInitialFlip;
};

// One explicit Euler step of y' = c * (x - y).
inline void eulerStep(OnePole& s, double x, double c) {
    const double d = x + s.flip - s.value;
    s.value += c * d;
    s.flip = -s.flip;
}

// One sample of y' = c * (x - y) integrated with four Runge-Kutta stages.
inline void rk4Step(OnePole& s, double x, double c) {
    const double d = x + s.flip - s.value;
    const double k1 = c * d;
    const double k2 = c * (d - k1 / 2);
    const double k3 = c * (d - k2 / 2);
    const double k4 = c * (d - k3);
    s.value += (k1 + 2 * k2 + 2 * k3 + k4) / 6;
    s.flip = -s.flip;
}

constexpr double kLn10 = 2.30258509299405;

// Per-sample coefficient that brings an rk4Step state within 10 % of its target in
// timeSeconds.
inline double coef(double sampleRate, double timeSeconds) {
    return kLn10 / (sampleRate * timeSeconds);
}

// Soft clipper: a rational approximation of tanh, exactly +-1 beyond +-3.
inline double sat(double v) {
    if (v < -3.0) {
        return -1.0;
    }
    if (v > 3.0) {
        return 1.0;
    }
    return v * (v * v + 27.0) / (9.0 * v * v + 27.0);
}

// Sample-rate class: 0 below 47999 Hz, 1 below 95999 Hz, 2 above.
inline int rateClass(double sampleRate) {
    if (sampleRate < 47999.0) {
        return 0;
    }
    if (sampleRate < 95999.0) {
        return 1;
    }
    return 2;
}

}  // namespace vexo

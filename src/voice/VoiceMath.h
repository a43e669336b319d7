// Numeric building blocks shared by every stage of the voice.
#pragma once

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The per-sample stages are small and called from one loop; forcing them inline keeps the
// whole frame in one function the compiler can schedule.
#if defined(__GNUC__) || defined(__clang__)
#define VEXO_ALWAYS_INLINE inline __attribute__((always_inline))
#define VEXO_NOINLINE __attribute__((noinline))
#else
#define VEXO_ALWAYS_INLINE inline
#define VEXO_NOINLINE
#endif

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
VEXO_ALWAYS_INLINE void eulerStep(OnePole& s, double x, double c) {
    const double d = x + s.flip - s.value;
    s.value += c * d;
    s.flip = -s.flip;
}

// One sample of y' = c * (x - y) integrated with four Runge-Kutta stages.
VEXO_ALWAYS_INLINE void rk4Step(OnePole& s, double x, double c) {
    const double d = x + s.flip - s.value;
    const double k1 = c * d;
    const double k2 = c * (d - k1 / 2);
    const double k3 = c * (d - k2 / 2);
    const double k4 = c * (d - k3);
    s.value += (k1 + 2 * k2 + 2 * k3 + k4) / 6;
    s.flip = -s.flip;
}

// Two independent one-poles updated together. Lane by lane the arithmetic is exactly that
// of the scalar updates (the same operations in the same order, each rounded the same
// way), so the results are identical; the pair only halves the instruction count.
typedef double Double2 __attribute__((vector_size(16)));

struct OnePolePair {
    Double2 value = {0.0, 0.0};
    Double2 flip = {OnePole::kInitialFlip, OnePole::kInitialFlip};

    OnePole lane(int i) const { return OnePole{value[i], flip[i]}; }
};

VEXO_ALWAYS_INLINE void eulerStep(OnePolePair& s, Double2 x, Double2 c) {
    const Double2 d = x + s.flip - s.value;
    s.value += c * d;
    s.flip = -s.flip;
}

VEXO_ALWAYS_INLINE void rk4Step(OnePolePair& s, Double2 x, Double2 c) {
    const Double2 d = x + s.flip - s.value;
    const Double2 k1 = c * d;
    const Double2 k2 = c * (d - k1 / 2);
    const Double2 k3 = c * (d - k2 / 2);
    const Double2 k4 = c * (d - k3);
    s.value += (k1 + 2 * k2 + 2 * k3 + k4) / 6;
    s.flip = -s.flip;
}

// rk4Step on lane 0 alone; lane 1 keeps its state.
VEXO_ALWAYS_INLINE void rk4StepLane0(OnePolePair& s, double x, double c) {
    OnePole lane{s.value[0], s.flip[0]};
    rk4Step(lane, x, c);
    s.value[0] = lane.value;
    s.flip[0] = lane.flip;
}

// Watches the differences d that rk4StepHalfCoef steps with. Its halvings (c / 2) d equal
// rk4Step's (c d) / 2 bit for bit unless c d / 2 falls below the normal range or c d
// overflows; for stage coefficients c between 2^-100 and 1.4 neither can happen while every
// non-zero |d| lies within 2^-900..2^900 (the second halving's operand, d - (c / 2) d, then
// lies within 0.3 |d|..|d|). A NaN d gives the same NaN both ways and is not counted.
class HalfStepGuard {
public:
    static constexpr double kSmallest = 0x1p-900;
    static constexpr double kLargest = 0x1p900;
    static constexpr double kCoefMin = 0x1p-100;
    static constexpr double kCoefMax = 1.4;

    VEXO_ALWAYS_INLINE void note(Double2 d) {
#if defined(__SSE2__)
        // min and max return their second operand when the first is a NaN.
        const __m128d magnitude = _mm_andnot_pd(_mm_set1_pd(-0.0), (__m128d)d);
        smallest_ = (Double2)_mm_min_pd(magnitude, (__m128d)smallest_);
        largest_ = (Double2)_mm_max_pd(magnitude, (__m128d)largest_);
#else
        for (int i = 0; i < 2; ++i) {
            const double magnitude = std::fabs(d[i]);
            smallest_[i] = magnitude < smallest_[i] ? magnitude : smallest_[i];
            largest_[i] = magnitude > largest_[i] ? magnitude : largest_[i];
        }
#endif
    }
    // d in lane 0; lane 1 is not stepped.
    VEXO_ALWAYS_INLINE void note(double d) {
        note(Double2{d, 1.0});
    }

    // Every d noted lay in the range (a d of exactly 0 did not: the halvings agree for it
    // too, but it is too rare to be worth telling apart).
    bool exact() const {
        return smallest_[0] >= kSmallest && smallest_[1] >= kSmallest && largest_[0] <= kLargest &&
               largest_[1] <= kLargest;
    }

private:
    Double2 smallest_ = {INFINITY, INFINITY};
    Double2 largest_ = {0.0, 0.0};
};

// rk4Step with its two halvings k1 / 2 and k2 / 2 taken as (c / 2) d and (c / 2) (d - k1 / 2):
// each then runs beside the multiplication by c instead of after it, which shortens the
// chain from x to the new value by two multiplications. halfC is c / 2. Bit for bit the same
// as rk4Step while the guard stays exact.
VEXO_ALWAYS_INLINE void rk4StepHalfCoef(OnePolePair& s, Double2 x, Double2 c, Double2 halfC, HalfStepGuard& guard) {
    const Double2 d = x + s.flip - s.value;
    guard.note(d);
    const Double2 k1 = c * d;
    const Double2 e2 = d - halfC * d;
    const Double2 k2 = c * e2;
    const Double2 k3 = c * (d - halfC * e2);
    const Double2 k4 = c * (d - k3);
    s.value += (k1 + 2 * k2 + 2 * k3 + k4) / 6;
    s.flip = -s.flip;
}

// rk4StepHalfCoef on lane 0 alone; lane 1 keeps its state.
VEXO_ALWAYS_INLINE void rk4StepHalfCoefLane0(OnePolePair& s, double x, double c, double halfC, HalfStepGuard& guard) {
    const double d = x + s.flip[0] - s.value[0];
    guard.note(d);
    const double k1 = c * d;
    const double e2 = d - halfC * d;
    const double k2 = c * e2;
    const double k3 = c * (d - halfC * e2);
    const double k4 = c * (d - k3);
    s.value[0] += (k1 + 2 * k2 + 2 * k3 + k4) / 6;
    s.flip[0] = -s.flip[0];
}

// x and y have the same bits. A function of x gives the same result for both, so a result
// kept for y answers for x (unlike ==, +0 does not match -0, which some functions tell
// apart, and a NaN matches only a NaN of the same bits).
VEXO_ALWAYS_INLINE bool sameBits(double x, double y) {
    return std::bit_cast<std::uint64_t>(x) == std::bit_cast<std::uint64_t>(y);
}

// rk4Step(s, x, 1) on a state first set to x. The result depends on x and the flip offset
// alone, and the flip offset takes only two values, so the result for each is kept: a held
// pitch costs a comparison instead of four Runge-Kutta stages and a division.
class SnapStep {
public:
    VEXO_ALWAYS_INLINE void operator()(OnePole& s, double x) {
        const int i = s.flip > 0.0 ? 1 : 0;
        if (sameBits(x, targets_[i]) && s.flip == flips_[i]) {
            s.value = values_[i];
            s.flip = -s.flip;
            return;
        }
        targets_[i] = x;
        flips_[i] = s.flip;
        s.value = x;
        rk4Step(s, x, 1.0);
        values_[i] = s.value;
    }

private:
    double targets_[2] = {0.0, 0.0};
    double flips_[2] = {0.0, 0.0};  // a flip offset is never 0: no entry matches before it is set
    double values_[2] = {0.0, 0.0};
};

constexpr double kLn10 = 2.30258509299405;

// Per-sample coefficient that brings an rk4Step state within 10 % of its target in
// timeSeconds.
inline double coef(double sampleRate, double timeSeconds) {
    return kLn10 / (sampleRate * timeSeconds);
}

// Soft clipper: a rational approximation of tanh, exactly +-1 beyond +-3. The curve is
// exactly +-1 at +-3 itself (3 (9 + 27) / (81 + 27)), so it is evaluated on the argument
// clamped to -3..3: two min/max operations instead of comparisons and selects after the
// division, and no branch that a resonant filter would mispredict. min and max take the
// argument as their second operand, which they return when it is a NaN.
VEXO_ALWAYS_INLINE double sat(double v) {
#if defined(__SSE2__)
    const double c = _mm_cvtsd_f64(_mm_min_sd(_mm_set_sd(3.0), _mm_max_sd(_mm_set_sd(-3.0), _mm_set_sd(v))));
#else
    const double c = v > 3.0 ? 3.0 : (v < -3.0 ? -3.0 : v);
#endif
    return c * (c * c + 27.0) / (9.0 * c * c + 27.0);
}

// sat on both lanes.
VEXO_ALWAYS_INLINE Double2 sat(Double2 v) {
#if defined(__SSE2__)
    const Double2 c = (Double2)_mm_min_pd(_mm_set1_pd(3.0), _mm_max_pd(_mm_set1_pd(-3.0), (__m128d)v));
#else
    const Double2 c = v > 3.0 ? Double2{3.0, 3.0} : (v < -3.0 ? Double2{-3.0, -3.0} : v);
#endif
    return c * (c * c + 27.0) / (9.0 * c * c + 27.0);
}

// sat for loops that the compiler vectorises: the same clamp written as selects, which
// vector code turns into max and min (a NaN passes through as with sat).
VEXO_ALWAYS_INLINE double satSelect(double v) {
    const double low = v < -3.0 ? -3.0 : v;
    const double c = low > 3.0 ? 3.0 : low;
    return c * (c * c + 27.0) / (9.0 * c * c + 27.0);
}

// F(x) that keeps the results of its last two arguments. A settled smoother alternates
// between two values (its flip offset), so a function of it is then reused, exactly,
// rather than recomputed every sample. F is a stateless function object.
template <class F>
class TwoResultCache {
public:
    VEXO_ALWAYS_INLINE double operator()(double x) {
        if (sameBits(x, arguments_[0])) {
            return results_[0];
        }
        if (sameBits(x, arguments_[1])) {
            return results_[1];
        }
        arguments_[1] = arguments_[0];
        results_[1] = results_[0];
        arguments_[0] = x;
        results_[0] = F{}(x);
        return results_[0];
    }

private:
    // Every entry is a real pair, so any argument may match it.
    double arguments_[2] = {0.0, 0.0};
    double results_[2] = {F{}(0.0), F{}(0.0)};
};

struct PowerOfTwo {
    double operator()(double x) const { return std::exp2(x); }
};

// 2^x of the smoothed Tune knob.
using PowerOfTwoCache = TwoResultCache<PowerOfTwo>;

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

// A position in a table of N entries: entry n and the fraction t toward entry n + 1.
// Positions below 0 (and NaN) read the first entry; positions past the last pair read the
// last entry, so no position can leave the table.
struct TablePosition {
    int n;
    double t;
};

template <std::size_t N>
VEXO_ALWAYS_INLINE TablePosition tablePosition(double x) {
    static_assert(N >= 2);
    if (!(x > 0.0)) {
        return {0, 0.0};
    }
    if (x >= static_cast<double>(N - 1)) {
        return {static_cast<int>(N - 2), 1.0};
    }
    const int n = static_cast<int>(x);
    return {n, x - n};
}

template <std::size_t N>
VEXO_ALWAYS_INLINE double interp(const float (&table)[N], TablePosition p) {
    return (1 - p.t) * table[p.n] + p.t * table[p.n + 1];
}

// Linear table lookup at position x (in entries).
template <std::size_t N>
VEXO_ALWAYS_INLINE double interp(const float (&table)[N], double x) {
    return interp(table, tablePosition<N>(x));
}

}  // namespace vexo

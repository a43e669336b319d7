// The numeric building blocks and filter tables against hand-computed values.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "voice/Envelopes.h"
#include "voice/FilterTables.h"
#include "voice/LowpassFilter.h"
#include "voice/VoiceMath.h"

namespace vexo {
namespace {

TEST(OnePole, EulerStepAddsTheFlipOffsetAndNegatesIt) {
    OnePole s;
    eulerStep(s, 1.0, 0.5);  // d = 1.00001
    EXPECT_DOUBLE_EQ(s.value, 0.500005);
    EXPECT_DOUBLE_EQ(s.flip, -1e-5);
    eulerStep(s, 1.0, 0.5);  // d = 1 - 0.00001 - 0.500005 = 0.499985
    EXPECT_DOUBLE_EQ(s.value, 0.7499975);
    EXPECT_DOUBLE_EQ(s.flip, 1e-5);
}

TEST(OnePole, Rk4StepIntegratesFourStages) {
    OnePole s;
    rk4Step(s, 1.0, 0.5);
    // k1 = 0.500005, k2 = 0.37500375, k3 = 0.4062540625, k4 = 0.29687796875.
    EXPECT_NEAR(s.value, 2.35939859375 / 6, 1e-15);
    EXPECT_DOUBLE_EQ(s.flip, -1e-5);
}

// rk4StepHalfCoef against rk4Step on both lanes: the same bits wherever the guard stays
// exact, and a reported difference where the halvings differ (c d / 2 below the normal range).
TEST(HalfStepGuard, TheFastStepEqualsThePlainOneWhereverTheGuardVouches) {
    const double inf = std::numeric_limits<double>::infinity();
    const double differences[] = {1e-5,   -3e-3, 0.25, -1.7, 123.0, 0x1p-899, -0x1p899, 7e-310,
                                  1e-300, 1e300, 0.0,  -0.0, inf,   -inf,     NAN};
    for (const double c : {0.0044, 0.37, 0.9, 1.4}) {
        for (const double d : differences) {
            // With value and flip 0 the step's own difference is the input.
            OnePolePair plain;
            plain.flip = Double2{0.0, 0.0};
            OnePolePair fast = plain;
            rk4Step(plain, Double2{d, -d}, Double2{c, c});
            HalfStepGuard guard;
            rk4StepHalfCoef(fast, Double2{d, -d}, Double2{c, c}, Double2{c / 2, c / 2}, guard);
            const bool inRange = std::isnan(d) || (std::fabs(d) >= 0x1p-900 && std::fabs(d) <= 0x1p900);
            EXPECT_EQ(guard.exact(), inRange) << c << " " << d;
            const bool same = std::memcmp(&plain.value, &fast.value, sizeof plain.value) == 0;
            if (guard.exact()) {
                EXPECT_TRUE(same) << c << " " << d;
            }
            if (c == 0.37 && d == 7e-310) {
                EXPECT_FALSE(same);  // the case the guard is there for
            }
        }
    }
    // The scalar form on lane 0 agrees with lane 0 of the pair.
    OnePolePair pair;
    OnePolePair lane;
    HalfStepGuard guard;
    rk4StepHalfCoef(pair, Double2{0.3, 7.0}, Double2{0.2, 0.2}, Double2{0.1, 0.1}, guard);
    rk4StepHalfCoefLane0(lane, 0.3, 0.2, 0.1, guard);
    EXPECT_EQ(lane.value[0], pair.value[0]);
    EXPECT_EQ(lane.value[1], 0.0);
    EXPECT_TRUE(guard.exact());
}

TEST(OnePole, CoefReachesTenPercentOfTheTargetInItsTime) {
    EXPECT_NEAR(coef(44100.0, 0.2), 2.30258509299405 / 8820.0, 1e-18);
    for (const double rate : {44100.0, 96000.0}) {
        OnePole s;
        const double c = coef(rate, 0.05);
        for (int i = 0; i < static_cast<int>(rate * 0.05); ++i) {
            rk4Step(s, 1.0, c);
        }
        EXPECT_NEAR(s.value, 0.9, 1e-3) << rate;
    }
}

TEST(OnePole, PairUpdatesMatchTwoScalarUpdatesExactly) {
    OnePole a{0.3, 1e-5};
    OnePole b{-0.7, -1e-5};
    OnePolePair pair;
    pair.value = Double2{a.value, b.value};
    pair.flip = Double2{a.flip, b.flip};
    for (int i = 0; i < 100; ++i) {
        const double xa = std::sin(i * 0.1);
        const double xb = std::cos(i * 0.37);
        rk4Step(a, xa, 0.11);
        rk4Step(b, xb, 0.03);
        rk4Step(pair, Double2{xa, xb}, Double2{0.11, 0.03});
        eulerStep(a, xb, 0.2);
        eulerStep(b, xa, 0.002);
        eulerStep(pair, Double2{xb, xa}, Double2{0.2, 0.002});
    }
    EXPECT_EQ(pair.value[0], a.value);
    EXPECT_EQ(pair.value[1], b.value);
    EXPECT_EQ(pair.flip[0], a.flip);
    EXPECT_EQ(pair.flip[1], b.flip);
}

TEST(Sat, RationalCurveInsideAndLimitsOutside) {
    EXPECT_EQ(sat(0.0), 0.0);
    EXPECT_DOUBLE_EQ(sat(1.0), 28.0 / 36.0);
    EXPECT_DOUBLE_EQ(sat(-1.0), -28.0 / 36.0);
    EXPECT_DOUBLE_EQ(sat(2.0), 62.0 / 63.0);
    EXPECT_DOUBLE_EQ(sat(3.0), 1.0);
    EXPECT_DOUBLE_EQ(sat(-3.0), -1.0);
    EXPECT_EQ(sat(3.5), 1.0);  // the curve itself would exceed 1 here
    EXPECT_EQ(sat(-40.0), -1.0);
    for (double v = -5.0; v <= 5.0; v += 0.37) {
        const Double2 both = sat(Double2{v, -v});
        EXPECT_EQ(both[0], sat(v));
        EXPECT_EQ(both[1], -sat(v));
    }
}

TEST(RateClass, Boundaries) {
    EXPECT_EQ(rateClass(44100.0), 0);
    EXPECT_EQ(rateClass(47998.9), 0);
    EXPECT_EQ(rateClass(47999.0), 1);
    EXPECT_EQ(rateClass(88200.0), 1);
    EXPECT_EQ(rateClass(95998.9), 1);
    EXPECT_EQ(rateClass(95999.0), 2);
    EXPECT_EQ(rateClass(192000.0), 2);
}

TEST(Interp, LinearWithinAndClampedOutside) {
    const float table[3] = {1.0f, 3.0f, 7.0f};
    EXPECT_EQ(interp(table, 0.0), 1.0);
    EXPECT_EQ(interp(table, 0.5), 2.0);
    EXPECT_EQ(interp(table, 1.25), 4.0);
    EXPECT_EQ(interp(table, 2.0), 7.0);
    EXPECT_EQ(interp(table, -0.5), 1.0);  // negative positions read the first entry
    EXPECT_EQ(interp(table, -300.0), 1.0);
    EXPECT_EQ(interp(table, NAN), 1.0);
    EXPECT_EQ(interp(table, 9.0), 7.0);
}

TEST(PowerOfTwoCache, ReturnsExactPowersForRepeatedAndNewArguments) {
    PowerOfTwoCache power;
    const double arguments[] = {0.25, -0.5, 0.25, -0.5, 0.75, 0.25, 0.0};
    for (const double x : arguments) {
        EXPECT_EQ(power(x), std::exp2(x)) << x;
    }
}

TEST(FilterTables, CutoffCurveAndItsLimit) {
    const FilterTables& t = filterTables();
    EXPECT_NEAR(t.cutoff[0], 148.4131591025766 / 22050 - 0.0015, 1e-8);
    EXPECT_GE(t.cutoff[0], kCutoffCurveMinimum);
    EXPECT_NEAR(t.cutoff[1024], 22026.465794806718 / 22050 - 0.0015, 1e-7);
    EXPECT_LT(t.cutoff[1024], 1.0f);
    EXPECT_EQ(t.cutoff[1025], 1.0f);  // exp(10.0049) / 22050 - 0.0015 > 1
    EXPECT_EQ(t.cutoff[2047], 1.0f);
    for (std::size_t i = 1; i < kCutoffTableSize; ++i) {
        ASSERT_GE(t.cutoff[i], t.cutoff[i - 1]) << i;
    }
}

TEST(FilterTables, CurvesRunThroughTheBreakpointsAndStayFlatAfter402) {
    const FilterTables& t = filterTables();
    EXPECT_EQ(t.feedbackGain[0], 0.5186f);
    EXPECT_EQ(t.feedbackGain[11], 0.6219f);
    EXPECT_NEAR(t.feedbackGain[5], 0.5186 + 5.0 / 11.0 * (0.6219 - 0.5186), 1e-6);
    EXPECT_EQ(t.feedbackGain[283], 3.7108f);
    EXPECT_NEAR(t.feedbackGain[290], 3.7155 + 6.0 / 14.0 * (3.5053 - 3.7155), 1e-6);
    EXPECT_EQ(t.level[52], 1.2431f);
    EXPECT_EQ(t.level[60], 1.2431f);
    EXPECT_EQ(t.level[72], 1.2431f);
    EXPECT_EQ(t.level[319], 2.8014f);
    for (std::size_t i = 402; i < kFilterCurveTableSize; ++i) {
        EXPECT_EQ(t.feedbackGain[i], 2.2830f);
        EXPECT_EQ(t.level[i], 2.8307f);
    }
}

TEST(AccentAndCutoffCurves, EndPoints) {
    EXPECT_EQ(accentResonance(0.3), 0.0);
    EXPECT_EQ(accentResonance(0.5), 0.0);
    EXPECT_DOUBLE_EQ(accentResonance(1.0), 1.0);
    EXPECT_DOUBLE_EQ(accentChargeSeconds(0.0), 0.00052);
    EXPECT_DOUBLE_EQ(accentChargeSeconds(1.0), 0.063);
    EXPECT_DOUBLE_EQ(accentVcaAttackSeconds(0.0), 0.00092);
    EXPECT_DOUBLE_EQ(accentVcaAttackSeconds(1.0), 0.0035);
    EXPECT_NEAR(envModCurve(0.0), 0.0, 1e-15);
    EXPECT_NEAR(envModCurve(1.0), 1.0, 1e-15);
    EXPECT_LT(envModCurve(0.5), 0.5);
}

TEST(CutoffControl, EnvModZeroLeavesOnlyTheEnvelopeOffsetTerm) {
    FilterBlock block;
    block.tables = &filterTables();
    CutoffControl control;
    CutoffInputs in;
    in.cutoff2 = 0.0;
    in.filterEnv = 1.0;
    const double withEnvelope = control.compute(in, block).g;
    in.filterEnv = 0.5;
    const double atOffset = control.compute(in, block).g;
    // M = 0.22 + 0.14 (filterEnv - 0.5): at filterEnv 0.5 exactly the base value.
    EXPECT_NEAR(atOffset, 1.4 * interp(filterTables().cutoff, 1024 * 0.22), 1e-12);
    EXPECT_NEAR(withEnvelope, 1.4 * interp(filterTables().cutoff, 1024 * (0.22 + 0.07)), 1e-12);
}

}  // namespace
}  // namespace vexo

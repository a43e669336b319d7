// Lookup tables of the filter: cutoff curve, feedback gain and level compensation.
#pragma once

#include <cstddef>

namespace vexo {

constexpr std::size_t kCutoffTableSize = 2048;
constexpr std::size_t kFilterCurveTableSize = 512;
// At or below every entry of the cutoff curve, whose first, exp(5) / 22050 - 0.0015, is its
// smallest.
constexpr double kCutoffCurveMinimum = 0.005;

struct FilterTables {
    // Control value times 1024 to the per-sample stage coefficient, before the 1.4 scale:
    // exp(5 * (1 + i / 1024)) / 22050 - 0.0015, limited to 0..1.
    float cutoff[kCutoffTableSize];
    // Stage coefficient times 256 to the resonance feedback gain (before TM4).
    float feedbackGain[kFilterCurveTableSize];
    // Stage coefficient times 256 to the resonance level compensation.
    float level[kFilterCurveTableSize];
};

// Built once on first use; read-only afterwards, shared by every voice.
const FilterTables& filterTables();

struct Breakpoint {
    int index;
    double value;
};

// Fills a table with the piecewise-linear curve through the breakpoints (sorted by
// index, the first at 0); entries past the last breakpoint keep its value.
void fillPiecewiseLinear(const Breakpoint* points, std::size_t count, float* table, std::size_t size);

}  // namespace vexo

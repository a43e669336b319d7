#include "voice/WaveTableBuilder.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace vexo {
namespace {

constexpr int kMapSize = 4096;
constexpr int kLevelsPerOctave = 6;
constexpr int kMinCycleLength = 256;
constexpr int kCycleOversampling = 8;
// Map scales of the oscillator's sample-rate classes 0, 1 and 2.
constexpr double kRateClassScales[] = {1.0884354, 1.0, 0.5};
// The cycle-to-cycle period factors raise the pitch by up to 1.0015 * 1.0005.
constexpr double kCycleFactorMargin = 1.0025;

int nextPowerOfTwo(int n) {
    int p = 1;
    while (p < n) {
        p *= 2;
    }
    return p;
}

// The shortest period (in samples at the running rate) that the oscillator maps to the
// index with the given scale: the smallest P with integer part of P * scale >= index.
int shortestPeriod(int mapIndex, double scale) {
    int period = std::max(1, static_cast<int>(mapIndex / scale) - 2);
    while (static_cast<int>(period * scale) < mapIndex) {
        ++period;
    }
    return period;
}

}  // namespace

int harmonicLimit(int mapIndex) {
    if (mapIndex < 1) {
        return 0;
    }
    // Harmonic h of a period P sits at h / P of the sample rate: it must stay below 1/2.
    double limit = 1e300;
    for (const double scale : kRateClassScales) {
        const int period = shortestPeriod(mapIndex, scale);
        limit = std::min(limit, period / (2.0 * kCycleFactorMargin));
    }
    // Strictly below the limit.
    const int h = static_cast<int>(std::ceil(limit)) - 1;
    return std::max(0, h);
}

WaveTablePlan planWaveTables() {
    WaveTablePlan plan;
    plan.mapSize = kMapSize;
    const double ratio = std::exp2(1.0 / kLevelsPerOctave);
    int first = 0;
    while (first < kMapSize) {
        const int harmonics = harmonicLimit(first);
        plan.firstIndex.push_back(first);
        plan.harmonics.push_back(harmonics);
        plan.lengths.push_back(std::max(kMinCycleLength, nextPowerOfTwo(kCycleOversampling * harmonics)));
        int next = first + 1;
        if (harmonics == 0) {
            while (next < kMapSize && harmonicLimit(next) == 0) {
                ++next;
            }
        } else {
            next = std::max(next, static_cast<int>(std::ceil(first * ratio)));
        }
        first = next;
    }
    return plan;
}

std::vector<float> bandLimitedCycle(WaveShape shape, int harmonics, int length) {
    std::vector<float> cycle(static_cast<std::size_t>(std::max(length, 0)), 0.0f);
    if (harmonics < 1 || length < 1) {
        return cycle;
    }
    // Exact sines of the cycle's own grid: harmonic h at sample n reads entry h * n mod N.
    std::vector<double> sine(static_cast<std::size_t>(length));
    for (int m = 0; m < length; ++m) {
        sine[static_cast<std::size_t>(m)] = std::sin(2.0 * std::numbers::pi * m / length);
    }
    // Fourier series: sawtooth (2/pi) sum sin(h x)/h falling from +1 to -1 over the cycle;
    // square (4/pi) sum over odd h of sin(h x)/h.
    const int step = shape == WaveShape::Square ? 2 : 1;
    const double scale = shape == WaveShape::Square ? 4.0 / std::numbers::pi : 2.0 / std::numbers::pi;
    std::vector<double> values(static_cast<std::size_t>(length), 0.0);
    double peak = 0.0;
    for (int n = 0; n < length; ++n) {
        double sum = 0.0;
        for (int h = 1; h <= harmonics; h += step) {
            const std::int64_t m = static_cast<std::int64_t>(h) * n % length;
            sum += sine[static_cast<std::size_t>(m)] / h;
        }
        values[static_cast<std::size_t>(n)] = scale * sum;
        peak = std::max(peak, std::abs(scale * sum));
    }
    if (peak > 0.0) {
        for (int n = 0; n < length; ++n) {
            cycle[static_cast<std::size_t>(n)] = static_cast<float>(values[static_cast<std::size_t>(n)] / peak);
        }
    }
    return cycle;
}

WaveTableData buildWaveTableSet(WaveShape shape, const WaveTablePlan& plan) {
    WaveTableData data;
    const std::size_t levels = plan.firstIndex.size();
    data.levelMap.assign(static_cast<std::size_t>(plan.mapSize), 0);
    for (std::size_t level = 0; level < levels; ++level) {
        const int from = plan.firstIndex[level];
        const int to = level + 1 < levels ? plan.firstIndex[level + 1] : plan.mapSize;
        for (int i = from; i < to && i < plan.mapSize; ++i) {
            data.levelMap[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(level);
        }
        const std::vector<float> cycle = bandLimitedCycle(shape, plan.harmonics[level], plan.lengths[level]);
        data.offsets.push_back(static_cast<std::int32_t>(data.samples.size()));
        data.lengths.push_back(static_cast<std::int32_t>(cycle.size()));
        data.samples.insert(data.samples.end(), cycle.begin(), cycle.end());
    }
    return data;
}

}  // namespace vexo

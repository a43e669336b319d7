// The wavetable oscillator: a band-limited level chosen by the period, linear
// interpolation within the cycle, and a small cycle-to-cycle period variation.
#pragma once

#include <cmath>
#include <cstdint>

#include "voice/VoiceMath.h"
#include "voice/WaveTables.h"

namespace vexo {

// Level-map scale by sample-rate class: converts the period at the running rate into the
// period at 48 kHz that the map is indexed with.
constexpr double kLevelMapScales[3] = {1.0884354, 1.0, 0.5};
constexpr float kDefaultCycleFactorA = 1.0015f;
constexpr float kDefaultCycleFactorB = 1.0005f;
constexpr double kSawtoothGain = 1.3;

// Read-only view of one loaded wavetable set.
struct WaveTableView {
    const std::uint8_t* levelMap = nullptr;
    const std::int32_t* offsets = nullptr;
    const std::int32_t* lengths = nullptr;
    const float* samples = nullptr;
    int mapSize = 0;

    static WaveTableView of(const WaveTableData& data) {
        return {data.levelMap.data(), data.offsets.data(), data.lengths.data(), data.samples.data(), data.mapSize()};
    }
};

// Level-map index for a phase increment (frequency / sample rate): the integer period in
// samples times the rate class's scale, clamped to the map. The period is limited before
// the integer conversion, so even a zero or negative frequency gives a valid index.
VEXO_ALWAYS_INLINE int levelMapIndex(double increment, double scale, int mapSize) {
    constexpr double kLongestPeriod = 1e9;
    const double period = 1 / increment;
    // Written as selects so they compile to min/max: a NaN period takes the longest one.
    const double longest = period < kLongestPeriod ? period : kLongestPeriod;
    const double bounded = longest > 0.0 ? longest : 0.0;
    const int index = static_cast<int>(static_cast<int>(bounded) * scale);
    return index < mapSize - 1 ? index : mapSize - 1;
}

// Linear interpolation within one cycle of L samples at position phase * L; the sample
// after the last one is the first, and a phase of exactly 1 reads the start.
VEXO_ALWAYS_INLINE double readCycle(const float* cycle, int length, float phase) {
    const double x = static_cast<double>(phase) * length;
    int n = static_cast<int>(x);
    const double t = x - n;
    if (static_cast<unsigned>(n) >= static_cast<unsigned>(length)) {
        n = (n % length + length) % length;
    }
    const int next = n + 1 < length ? n + 1 : 0;
    return (1 - t) * cycle[n] + t * cycle[next];
}

// Per-slice settings of the oscillator.
struct OscillatorBlock {
    WaveTableView table;           // the selected waveform's set
    double inverseSampleRate = 0;  // 1 / sample rate, from the float rate
    double mapScale = 1.0;
    double waveGain = 1.0;  // W for the square, 1.3 (1 - W) for the sawtooth
    double vcoGain = 2.0;
};

// One band-limited cycle of the wavetable set.
struct CycleView {
    const float* samples = nullptr;
    int length = 1;
};

// The cycle for a phase increment. The level map keeps a level over many periods, so the
// cycle of a lookup answers for every increment whose period certainly maps to the same
// level. Two such ranges are kept: a held note, whose frequency alternates between two
// values (the flip offsets of its smoothers) that may lie on both sides of a level's edge,
// and most of a glide cost a few comparisons; the level-map lookup with its division runs
// when the pitch leaves both ranges. Valid for one OscillatorBlock: reset with it whenever
// it changes.
class CycleCache {
public:
    VEXO_ALWAYS_INLINE CycleView operator()(double increment, const OscillatorBlock& block) {
        if (increment > ranges_[0].low && increment < ranges_[0].high) {
            return ranges_[0].cycle;
        }
        if (increment > ranges_[1].low && increment < ranges_[1].high) {
            return ranges_[1].cycle;
        }
        ranges_[1] = ranges_[0];
        ranges_[0] = lookup(increment, block);
        return ranges_[0].cycle;
    }

    void reset() { ranges_[0] = ranges_[1] = Range{}; }

private:
    // The increments strictly between low and high map to cycle; none do at first.
    struct Range {
        double low = 0.0;
        double high = 0.0;
        CycleView cycle;
    };

    // Periods further than this from the looked-up one are not searched for the same level.
    static constexpr int kSearchPeriods = 64;
    // Relative margin between a range and its exact bounds, far above the rounding of the
    // division that turns an increment into a period.
    static constexpr double kMargin = 0x1p-40;

    VEXO_NOINLINE static Range lookup(double increment, const OscillatorBlock& block) {
        const WaveTableView& table = block.table;
        const int level = table.levelMap[levelMapIndex(increment, block.mapScale, table.mapSize)];
        Range range;
        range.cycle = CycleView{table.samples + table.offsets[level], table.lengths[level]};
        const double period = 1 / increment;
        if (!(period >= 2.0 && period < 1e8)) {
            return range;  // an empty range: this increment only
        }
        // The whole periods around this one whose map index holds the same level.
        const int p = static_cast<int>(period);
        int first = p;
        while (first > 1 && p - first < kSearchPeriods && periodLevel(first - 1, block) == level) {
            --first;
        }
        int last = p;
        while (last - p < kSearchPeriods && periodLevel(last + 1, block) == level) {
            ++last;
        }
        // The increments whose computed period lies from first to below last + 1.
        range.low = (1.0 / (last + 1)) * (1 + kMargin);
        range.high = (1.0 / first) * (1 - kMargin);
        return range;
    }

    // The level of a whole period q, computed as levelMapIndex computes it from a period.
    static int periodLevel(int q, const OscillatorBlock& block) {
        const WaveTableView& table = block.table;
        const int index = static_cast<int>(q * block.mapScale);
        return table.levelMap[index < table.mapSize - 1 ? index : table.mapSize - 1];
    }

    Range ranges_[2];
};

class Oscillator {
public:
    // One output sample at the frequency in Hz, then the phase advances by one sample, in two
    // halves so that a render loop can put other work between them: choose takes the phase
    // increment and the band-limited cycle for the frequency, read the sample and the phase's
    // advance.
    struct Choice {
        double increment;
        CycleView cycle;
    };
    VEXO_ALWAYS_INLINE Choice choose(double frequency, const OscillatorBlock& block) {
        const double increment = frequency * block.inverseSampleRate;
        return {increment, cycles_(increment, block)};
    }
    VEXO_ALWAYS_INLINE double read(float& phase, const Choice& choice, const OscillatorBlock& block) {
        const double v = readCycle(choice.cycle.samples, choice.cycle.length, phase);
        const double out = block.waveGain * v * block.vcoGain;
        advance(phase, choice.increment);
        return out;
    }

    // The slice's OscillatorBlock changed.
    void newBlock() { cycles_.reset(); }

    // Four consecutive cycles run at A*B, B/A, A/B and 1/(A*B) of the nominal period
    // factor: the average pitch stays exact while neighbouring cycles differ slightly.
    VEXO_ALWAYS_INLINE void advance(float& phase, double increment) {
        phase = static_cast<float>(phase + increment * cycleFactorA * cycleFactorB);
        if (phase > 1.0f) {
            phase -= 1.0f;
            cycleFactorA = 1.0f / cycleFactorA;
            if (cycleFactorA > 1.0f) {
                cycleFactorB = 1.0f / cycleFactorB;
            }
            // Only a frequency above the sample rate gets here; keep the phase in its cycle.
            if (phase > 1.0f) {
                phase -= std::floor(phase);
            }
        }
    }

    float cycleFactorA = kDefaultCycleFactorA;
    float cycleFactorB = kDefaultCycleFactorB;

private:
    CycleCache cycles_;
};

}  // namespace vexo

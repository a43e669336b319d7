// Builds the band-limited sawtooth and square wavetable sets that the plug-in folder
// ships (see tools/wavetables for the choice of map size, levels and cycle lengths).
#pragma once

#include <vector>

#include "voice/WaveTables.h"

namespace vexo {

enum class WaveShape { Sawtooth, Square };

struct WaveTablePlan {
    int mapSize = 0;
    std::vector<int> firstIndex;  // first level-map index of each level, ascending
    std::vector<int> harmonics;   // highest harmonic each level holds (0: silent)
    std::vector<int> lengths;     // samples in each level's cycle
};

// Highest harmonic number that stays below the Nyquist frequency for every period the
// oscillator maps to this level-map index, in every sample-rate class.
int harmonicLimit(int mapIndex);
// Map size, level boundaries (a fixed fraction of an octave apart), harmonic counts and
// cycle lengths of the shipped sets.
WaveTablePlan planWaveTables();
// One single cycle of the shape holding harmonics 1..harmonics, peak magnitude 1 (all
// zeros without harmonics).
std::vector<float> bandLimitedCycle(WaveShape shape, int harmonics, int length);
WaveTableData buildWaveTableSet(WaveShape shape, const WaveTablePlan& plan);

}  // namespace vexo

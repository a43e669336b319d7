// Wavetables built in memory by the generator's own code, so voice tests need no files.
#pragma once

#include <gtest/gtest.h>

#include "voice/WaveTableBuilder.h"
#include "voice/WaveTables.h"

namespace vexo::test {

inline const WaveTablePair& testWaveTables() {
    static WaveTablePair pair;
    static const bool loaded = [] {
        const WaveTablePlan plan = planWaveTables();
        return installWaveTableSet(pair.saw, serializeWaveTableFile(buildWaveTableSet(WaveShape::Sawtooth, plan))) &&
               installWaveTableSet(pair.square, serializeWaveTableFile(buildWaveTableSet(WaveShape::Square, plan)));
    }();
    EXPECT_TRUE(loaded);
    return pair;
}

}  // namespace vexo::test

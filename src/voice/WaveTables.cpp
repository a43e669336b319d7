// Placeholder until the wavetable reader lands.
#include "voice/WaveTables.h"

namespace vexo {

WaveTablePair& acquireWaveTables() {
    static WaveTablePair pair;
    return pair;
}

void loadWaveTables(WaveTablePair&, const std::string&, const std::string&) {}

}  // namespace vexo

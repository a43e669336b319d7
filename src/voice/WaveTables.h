// Band-limited single-cycle wavetables, one set for the sawtooth and one for the square,
// shared by every plug-in instance of the process.
#pragma once

#include <string>

namespace vexo {

struct WaveTableSet {
    bool ready = false;
};

struct WaveTablePair {
    WaveTableSet saw;
    WaveTableSet square;
};

// The process-wide pair; the first caller creates it, each call counts one user.
WaveTablePair& acquireWaveTables();
// Loads each set that is not ready yet.
void loadWaveTables(WaveTablePair& pair, const std::string& sawPath, const std::string& squarePath);

}  // namespace vexo

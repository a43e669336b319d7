// WAV and AIFF recordings from any bytes, then normalised and analysed.
#include <span>

#include "patterns/PatternDetection.h"
#include "patterns/WaveFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vexo::WaveBuffer wave;
    if (!vexo::parseWave(wave, std::span<const std::uint8_t>(data, size))) {
        return 0;
    }
    vexo::normalizeWave(wave);
    const int steps = size > 0 ? 1 + data[0] % 64 : 16;
    vexo::DetectionResults results{};
    vexo::detectPattern(wave, steps, results);
    return 0;
}

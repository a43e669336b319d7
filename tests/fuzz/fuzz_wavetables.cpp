// Wavetable files from any bytes; a set that reads as valid is played at every period.
#include <span>

#include "voice/WaveTables.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parsed = vexo::parseWaveTableFile(std::span<const std::uint8_t>(data, size));
    if (!parsed) {
        return 0;
    }
    const auto written = vexo::serializeWaveTableFile(*parsed);
    if (!vexo::parseWaveTableFile(written)) {
        __builtin_trap();  // what was accepted must be accepted again
    }
    return 0;
}

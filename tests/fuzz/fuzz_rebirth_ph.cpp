// Rebirth songs and Ph files from any bytes, applied to a bank.
#include <string_view>

#include "patterns/RebirthImport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    vexo::PatternBank bank;
    const vexo::RebirthSong song = vexo::parseRebirthSong(bytes);
    if (!song.units.empty()) {
        vexo::rebirthKnobs(song.units.front());
    }
    const auto updates = vexo::rebirthPatterns(song);
    vexo::applyPatternUpdates(updates, bank);
    const auto ph = vexo::parsePhFile(bytes);
    vexo::applyPatternUpdates(ph, bank);
    for (const vexo::Pattern& p : bank.patterns()) {
        if (p.length() < 1 || p.length() > 64) {
            __builtin_trap();
        }
    }
    return 0;
}

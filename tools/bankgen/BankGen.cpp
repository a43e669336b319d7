// vexo_bankgen PLUGIN_DIR: writes "DefaultPatternBank.pat" (the composed lines, then
// generated ones up to 128 patterns) and the pattern library "Patterns/<folder>/<name>.pat"
// with knob settings.
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "Compositions.h"
#include "PatternNotation.h"
#include "patterns/KnobPositions.h"
#include "patterns/PatternText.h"

namespace {

using namespace vexo;
using namespace vexo::bankgen;

bool composedPattern(const Composition& line, Pattern& pattern) {
    std::string error;
    if (!parseNotation(line.steps, pattern, error)) {
        std::fprintf(stderr, "vexo_bankgen: %s: %s\n", line.name, error.c_str());
        return false;
    }
    pattern.setShuffle(line.shuffle);
    pattern.setTriplet(line.triplet);
    return true;
}

KnobPositions knobPositions(const KnobSetting& s) {
    KnobPositions knobs;
    const float values[] = {s.tune,    s.cutoff, s.resonance, s.envmod,   s.decay,    s.accent, s.waveform,
                            s.distort, s.drive,  s.volume,    s.distType, s.highPass, s.tempo};
    for (int slot = 0; slot <= kKnobTempo; ++slot) {
        knobs.set(slot, values[slot]);
    }
    return knobs;
}

bool writeDefaultBank(const std::string& dir, std::map<std::string, Pattern>& byName) {
    PatternBank bank;
    int slot = 0;
    for (const Composition& line : composedLines()) {
        Pattern& pattern = bank.pattern(slot++);
        if (!composedPattern(line, pattern)) {
            return false;
        }
        byName[line.name] = pattern;
    }
    for (int generated = 0; slot < kPatternCount; ++generated) {
        bank.pattern(slot++) = generatedLine(generated);
    }
    return writeBank(bank, dir + "/DefaultPatternBank.pat");
}

bool writeLibrary(const std::string& dir, const std::map<std::string, Pattern>& byName) {
    for (const LibraryEntry& entry : libraryEntries()) {
        const auto found = byName.find(entry.composition);
        if (found == byName.end()) {
            std::fprintf(stderr, "vexo_bankgen: %s: no line named %s\n", entry.file, entry.composition);
            return false;
        }
        const std::filesystem::path folder = std::filesystem::path(dir) / "Patterns" / entry.folder;
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        const KnobPositions knobs = knobPositions(entry.knobs);
        const std::string path = (folder / (std::string(entry.file) + ".pat")).string();
        if (!writePattern(found->second, path, &knobs)) {
            std::fprintf(stderr, "vexo_bankgen: cannot write %s\n", path.c_str());
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: vexo_bankgen PLUGIN_DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    std::map<std::string, Pattern> byName;
    if (!writeDefaultBank(dir, byName)) {
        std::fprintf(stderr, "vexo_bankgen: cannot write the default bank into %s\n", dir.c_str());
        return 1;
    }
    return writeLibrary(dir, byName) ? 0 : 1;
}

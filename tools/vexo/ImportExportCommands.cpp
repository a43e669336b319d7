// vexo export-midi and vexo import: the plug-in's MIDI file export and its Rebirth and Ph
// imports, on pattern and bank files.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Command.h"
#include "config/Settings.h"
#include "config/TextScanner.h"
#include "host/Parameters.h"
#include "patterns/MidiFileExport.h"
#include "patterns/PatternText.h"
#include "patterns/RebirthImport.h"

namespace vexo::cli {
namespace {

bool parseInt(const std::string& text, int& value) {
    char* end = nullptr;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != 0 || parsed < -100000 || parsed > 100000) {
        return false;
    }
    value = static_cast<int>(parsed);
    return true;
}

std::string trimmed(const char* text) {
    std::string s(text);
    while (!s.empty() && s.back() == ' ') {
        s.pop_back();
    }
    return s;
}

int runExportMidi(const std::vector<std::string>& raw) {
    constexpr const char* kName = "export-midi";
    Arguments args(raw);
    const Settings defaults;
    const std::string out = args.option("out");
    const std::string slotText = args.option("slot");
    const bool clockSync = args.flag("clock-sync");
    const std::string velocityText = args.option("accent-velocity", std::to_string(defaults.accentVelocity.load()));
    if (!args.checkAllUsed(kName)) {
        return 2;
    }
    const std::vector<std::string> rest = args.positional();
    if (rest.size() != 1 || out.empty()) {
        return usageError(kName, "one pattern or bank file and --out FILE.mid are needed");
    }
    int accentVelocity = 0;
    if (!parseInt(velocityText, accentVelocity)) {
        return usageError(kName, "--accent-velocity takes a whole number");
    }

    Pattern pattern;
    if (!slotText.empty()) {
        int slot = 0;
        if (!parseInt(slotText, slot) || slot < 0 || slot >= kPatternCount) {
            return usageError(kName, "--slot takes a pattern number 0..127");
        }
        PatternBank bank;
        if (!readBank(bank, rest[0])) {
            std::fprintf(stderr, "vexo %s: cannot read %s\n", kName, rest[0].c_str());
            return 1;
        }
        pattern = bank.pattern(slot);
    } else if (!readPattern(pattern, rest[0])) {
        std::fprintf(stderr, "vexo %s: cannot read %s\n", kName, rest[0].c_str());
        return 1;
    }

    const std::vector<MidiFileEvent> events = patternToMidiEvents(pattern, accentVelocity);
    if (!writeFileAtomically(out, encodeMidiFile(events, midiDivisionTicks(clockSync ? 1 : 0)))) {
        std::fprintf(stderr, "vexo %s: cannot create %s\n", kName, out.c_str());
        return 1;
    }
    std::printf("%s: %zu note events, %d steps, %d ticks per quarter note\n", out.c_str(), events.size(),
                pattern.length(), midiDivisionTicks(clockSync ? 1 : 0));
    return 0;
}

void printRebirthKnobs(const RebirthSong& song) {
    const RebirthKnobs knobs = rebirthKnobs(song.units[0]);
    std::printf("units: %d\n", song.unitChunks);
    for (const ParameterSetting& knob : knobs.parameters) {
        std::printf("  %-10s %g\n", trimmed(kParameterInfo[knob.index].name).c_str(), static_cast<double>(knob.value));
    }
    std::printf("  %-10s %d\n", "Pattern", knobs.patternNumber);
}

int runImport(const std::vector<std::string>& raw) {
    constexpr const char* kName = "import";
    Arguments args(raw);
    const std::string out = args.option("out");
    const std::string base = args.option("base");
    if (!args.checkAllUsed(kName)) {
        return 2;
    }
    const std::vector<std::string> rest = args.positional();
    if (rest.size() != 1 || out.empty()) {
        return usageError(kName, "one .rbs or .ph file and --out BANK.pat are needed");
    }
    const std::string& path = rest[0];
    const ImportFormat format = importFormatForPath(path);
    if (format == ImportFormat::None) {
        return usageError(kName, "the file name must contain .rbs or .ph");
    }

    // The bank a new plug-in starts with, unless another one is given.
    PatternBank bank;
    bank.clearAll(Settings{}.clearNotes != 0);
    if (!base.empty() && !readBank(bank, base)) {
        std::fprintf(stderr, "vexo %s: cannot read %s\n", kName, base.c_str());
        return 1;
    }
    std::string bytes;
    if (!readWholeFile(path, bytes)) {
        std::fprintf(stderr, "vexo %s: cannot read %s\n", kName, path.c_str());
        return 1;
    }

    if (format == ImportFormat::Rebirth) {
        const RebirthSong song = parseRebirthSong(bytes);
        if (song.unitChunks == 0) {
            std::fprintf(stderr, "vexo %s: no \"303 \" unit in %s\n", kName, path.c_str());
            return 1;
        }
        printRebirthKnobs(song);
        applyPatternUpdates(rebirthPatterns(song), bank);
    } else {
        applyPatternUpdates(parsePhFile(bytes), bank);
        std::printf("Ph file: %d patterns, no knobs\n", kPhPatterns);
    }

    if (!writeBank(bank, out)) {
        std::fprintf(stderr, "vexo %s: cannot create %s\n", kName, out.c_str());
        return 1;
    }
    return 0;
}

const Registration exportRegistration({"export-midi",
                                       "PATTERN.pat | [BANK.pat --slot N] --out FILE.mid [--clock-sync] "
                                       "[--accent-velocity V]",
                                       "write a pattern as a Standard MIDI File", runExportMidi});
const Registration importRegistration({"import", "FILE.rbs|FILE.ph --out BANK.pat [--base BANK.pat]",
                                       "import Rebirth or Ph patterns into a bank file", runImport});

}  // namespace
}  // namespace vexo::cli

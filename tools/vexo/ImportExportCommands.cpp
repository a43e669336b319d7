// vexo export-midi and vexo import: the plug-in's MIDI file export and its Rebirth and Ph
// imports, on pattern and bank files or on a saved plug-in state.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "ArgumentChecks.h"
#include "Command.h"
#include "FileAccess.h"
#include "config/Settings.h"
#include "host/Parameters.h"
#include "host/StateFile.h"
#include "patterns/MidiFileExport.h"
#include "patterns/PatternText.h"
#include "patterns/RebirthImport.h"

namespace vexo::cli {
namespace {

constexpr const char* kExportName = "export-midi";
constexpr const char* kImportName = "import";

std::string trimmed(const char* text) {
    std::string s(text);
    while (!s.empty() && s.back() == ' ') {
        s.pop_back();
    }
    return s;
}

// A state file (any of its forms) with its chunk decoded; false after saying why.
bool loadState(const std::string& command, const std::string& path, StateFile& state, ChunkContents& contents) {
    std::string error;
    if (!readStateFile(path, state, error)) {
        fail(command, "--state: " + error);
        return false;
    }
    readStateChunk(state.chunk.data(), state.chunk.size(), contents);
    return true;
}

// Writes the state back in the form it was read in.
bool saveState(const std::string& command, const std::string& path, StateFile& state, const ChunkContents& contents) {
    state.chunk.resize(kChunkBytes);
    writeStateChunk(contents, state.chunk.data());
    std::string error;
    if (!writeStateFile(path, state.format, state.chunk, state.preset.pluginVersion, error)) {
        fail(command, error);
        return false;
    }
    return true;
}

struct ExportOptions {
    std::string file;
    std::string state;
    std::string out;
    int slot = 0;
    bool clockSync = false;
    int accentVelocity = Settings{}.accentVelocity.load();
    CLI::Option* slotOption = nullptr;
};

int exportMidi(const ExportOptions& options) {
    if (options.file.empty() == options.state.empty()) {
        return usageError(kExportName, "give either a pattern or bank FILE or --state");
    }
    Pattern pattern;
    bool clockSync = options.clockSync;
    if (!options.state.empty()) {
        StateFile state;
        auto contents = std::make_unique<ChunkContents>();
        if (!loadState(kExportName, options.state, state, *contents)) {
            return kExitFailed;
        }
        const ChunkSettings& words = contents->settings;
        const int slot = options.slotOption->count() > 0
                             ? options.slot
                             : std::clamp(words[kChunkCurrentPatternWord], 0, kPatternCount - 1);
        pattern = contents->patterns[static_cast<std::size_t>(slot)];
        clockSync = clockSync || (words[kChunkSwitchesWord] & kChunkClockSyncSwitch) != 0;
    } else if (options.slotOption->count() > 0) {
        PatternBank bank;
        if (!loadBank(kExportName, options.file, bank)) {
            return kExitFailed;
        }
        pattern = bank.pattern(options.slot);
    } else if (!loadPattern(kExportName, options.file, pattern)) {
        return kExitFailed;
    }
    const int division = midiDivisionTicks(clockSync ? 1 : 0);
    const std::vector<MidiFileEvent> events = patternToMidiEvents(pattern, options.accentVelocity);
    if (!saveFile(kExportName, options.out, encodeMidiFile(events, division))) {
        return kExitFailed;
    }
    std::printf("%s: %zu note events, %d steps, %d ticks per quarter note\n", options.out.c_str(), events.size(),
                pattern.length(), division);
    return kExitSuccess;
}

Command setupExport(CLI::App& tool) {
    auto options = std::make_shared<ExportOptions>();
    CLI::App* app = tool.add_subcommand(kExportName, "Write a pattern as a Standard MIDI File");
    app->add_option("FILE", options->file, "Pattern file, or bank file with --slot")->type_name("");
    app->add_option(
           "--state", options->state,
           "A saved plug-in state (.fxb, .fxp or a bare chunk) instead of FILE: its current pattern, or --slot")
        ->type_name("FILE");
    app->add_option("--out", options->out, "MIDI file to write")->type_name("FILE")->required();
    options->slotOption =
        app->add_option("--slot", options->slot, "Bank slot")->transform(wholeNumberIn(0, kPatternCount - 1));
    app->add_flag("--clock-sync", options->clockSync,
                  "192 ticks per quarter note, as with the ClockSync setting on (a state's own setting also counts)");
    app->add_option("--accent-velocity", options->accentVelocity, "Velocity of accented notes")
        ->transform(wholeNumberIn(0, 127))
        ->capture_default_str();
    return {app, [options] { return exportMidi(*options); }};
}

void printRebirthKnobs(const RebirthSong& song) {
    const RebirthKnobs knobs = rebirthKnobs(song.units[0]);
    std::printf("units: %d\n", song.unitChunks);
    for (const ParameterSetting& knob : knobs.parameters) {
        std::printf("  %-10s %g\n", trimmed(kParameterInfo[knob.index].name).c_str(), static_cast<double>(knob.value));
    }
    std::printf("  %-10s %d\n", "Pattern", knobs.patternNumber);
}

// The knobs and the selected pattern of a Rebirth unit, as the plug-in takes them on import:
// into the current program and the pattern selection.
void applyRebirthKnobs(const RebirthKnobs& knobs, ChunkContents& contents) {
    ChunkSettings& words = contents.settings;
    const int program = std::clamp(words[kChunkCurrentProgramWord], 0, kProgramCount - 1);
    for (const ParameterSetting& knob : knobs.parameters) {
        if (std::isfinite(knob.value) && knob.index >= 0 && knob.index < kNumParameters && knob.index != kReserved) {
            contents.programs[static_cast<std::size_t>(program)].slots[kParameterInfo[knob.index].programSlot] =
                storedParameterValue(knob.index, knob.value);
        }
    }
    words[kChunkCurrentPatternWord] = std::clamp(knobs.patternNumber, 0, kPatternCount - 1);
}

struct ImportOptions {
    std::string file;
    std::string out;
    std::string base;
    std::string state;
};

int import(const ImportOptions& options) {
    const std::string& path = options.file;
    const ImportFormat format = importFormatForPath(path);
    if (format == ImportFormat::None) {
        return usageError(kImportName, "the file name must contain .rbs or .ph");
    }
    if (options.out.empty() && options.state.empty()) {
        return usageError(kImportName, "give --out, --state or both");
    }
    // The bank a new plug-in starts with, unless another one is given.
    PatternBank bank;
    bank.clearAll(Settings{}.clearNotes != 0);
    StateFile state;
    auto contents = std::make_unique<ChunkContents>();
    if (!options.state.empty()) {
        if (!loadState(kImportName, options.state, state, *contents)) {
            return kExitFailed;
        }
        bank.patterns() = contents->patterns;
    } else if (!options.base.empty() && !loadBank(kImportName, options.base, bank)) {
        return kExitFailed;
    }
    std::string bytes;
    if (!readInputFile(kImportName, path, bytes)) {
        return kExitFailed;
    }
    if (format == ImportFormat::Rebirth) {
        const RebirthSong song = parseRebirthSong(bytes);
        if (song.unitChunks == 0) {
            return fail(kImportName, "no \"303 \" unit in " + path);
        }
        printRebirthKnobs(song);
        applyPatternUpdates(rebirthPatterns(song), bank);
        applyRebirthKnobs(rebirthKnobs(song.units[0]), *contents);
    } else {
        applyPatternUpdates(parsePhFile(bytes), bank);
        std::printf("Ph file: %d patterns, no knobs\n", kPhPatterns);
    }
    if (!options.out.empty() && !saveBank(kImportName, options.out, bank)) {
        return kExitFailed;
    }
    if (!options.state.empty()) {
        contents->patterns = bank.patterns();
        if (!saveState(kImportName, options.state, state, *contents)) {
            return kExitFailed;
        }
    }
    return kExitSuccess;
}

Command setupImport(CLI::App& tool) {
    auto options = std::make_shared<ImportOptions>();
    CLI::App* app = tool.add_subcommand(kImportName, "Import Rebirth or Ph patterns into a bank file");
    app->add_option("FILE", options->file, "Rebirth song (.rbs) or Ph file (.ph)")->type_name("")->required();
    app->add_option("--out", options->out, "Bank file to write")->type_name("FILE");
    CLI::Option* base =
        app->add_option("--base", options->base, "Bank to import into (default: a new plug-in's)")->type_name("FILE");
    app->add_option("--state", options->state,
                    "A saved plug-in state (.fxb, .fxp or a bare chunk) to import into, patterns and knobs as the "
                    "plug-in takes them; written back in its own form")
        ->type_name("FILE")
        ->excludes(base);
    return {app, [options] { return import(*options); }};
}

const Registration exportRegistration(setupExport);
const Registration importRegistration(setupImport);

}  // namespace
}  // namespace vexo::cli

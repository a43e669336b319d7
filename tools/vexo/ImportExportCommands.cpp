// vexo export-midi and vexo import: the plug-in's MIDI file export and its Rebirth and Ph
// imports, on pattern and bank files.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>
#include <string>

#include "ArgumentChecks.h"
#include "Command.h"
#include "FileAccess.h"
#include "config/Settings.h"
#include "host/Parameters.h"
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

struct ExportOptions {
    std::string file;
    std::string out;
    int slot = 0;
    bool clockSync = false;
    int accentVelocity = Settings{}.accentVelocity.load();
    CLI::Option* slotOption = nullptr;
};

int exportMidi(const ExportOptions& options) {
    Pattern pattern;
    if (options.slotOption->count() > 0) {
        PatternBank bank;
        if (!loadBank(kExportName, options.file, bank)) {
            return kExitFailed;
        }
        pattern = bank.pattern(options.slot);
    } else if (!loadPattern(kExportName, options.file, pattern)) {
        return kExitFailed;
    }
    const int division = midiDivisionTicks(options.clockSync ? 1 : 0);
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
    app->add_option("FILE", options->file, "Pattern file, or bank file with --slot")->type_name("")->required();
    app->add_option("--out", options->out, "MIDI file to write")->type_name("FILE")->required();
    options->slotOption =
        app->add_option("--slot", options->slot, "Bank slot")->transform(wholeNumberIn(0, kPatternCount - 1));
    app->add_flag("--clock-sync", options->clockSync, "192 ticks per quarter note, as with the ClockSync setting on");
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

struct ImportOptions {
    std::string file;
    std::string out;
    std::string base;
};

int import(const ImportOptions& options) {
    const std::string& path = options.file;
    const ImportFormat format = importFormatForPath(path);
    if (format == ImportFormat::None) {
        return usageError(kImportName, "the file name must contain .rbs or .ph");
    }
    // The bank a new plug-in starts with, unless another one is given.
    PatternBank bank;
    bank.clearAll(Settings{}.clearNotes != 0);
    if (!options.base.empty() && !loadBank(kImportName, options.base, bank)) {
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
    } else {
        applyPatternUpdates(parsePhFile(bytes), bank);
        std::printf("Ph file: %d patterns, no knobs\n", kPhPatterns);
    }
    if (!saveBank(kImportName, options.out, bank)) {
        return kExitFailed;
    }
    return kExitSuccess;
}

Command setupImport(CLI::App& tool) {
    auto options = std::make_shared<ImportOptions>();
    CLI::App* app = tool.add_subcommand(kImportName, "Import Rebirth or Ph patterns into a bank file");
    app->add_option("FILE", options->file, "Rebirth song (.rbs) or Ph file (.ph)")->type_name("")->required();
    app->add_option("--out", options->out, "Bank file to write")->type_name("FILE")->required();
    app->add_option("--base", options->base, "Bank to import into (default: a new plug-in's)")->type_name("FILE");
    return {app, [options] { return import(*options); }};
}

const Registration exportRegistration(setupExport);
const Registration importRegistration(setupImport);

}  // namespace
}  // namespace vexo::cli

// vexo state: the plug-in's saved state in VST bank (.fxb) and program (.fxp) files and as
// the bare chunk: what it holds, and conversion between the three forms.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "Command.h"
#include "host/Parameters.h"
#include "host/StateFile.h"

namespace vexo::cli {
namespace {

constexpr const char* kName = "state";

const std::map<std::string, StateFormat> kFormatNames = {
    {"bank", StateFormat::Bank}, {"program", StateFormat::Program}, {"chunk", StateFormat::Chunk}};

struct StateOptions {
    std::string file;
    std::string out;
    std::string format;
    CLI::App* print = nullptr;
    CLI::App* convert = nullptr;
};

int gatedSteps(const Pattern& pattern) {
    int count = 0;
    for (int i = 0; i < pattern.length(); ++i) {
        count += pattern.step(i).has(StepFlags::Gate) ? 1 : 0;
    }
    return count;
}

std::string programName(const ProgramRecord& program) {
    return std::string(program.name, strnlen(program.name, kProgramNameBytes - 1));
}

const char* onOff(std::int32_t switches, int bit) {
    return ((switches >> bit) & 1) != 0 ? "on" : "off";
}

void printHeader(const std::string& path, const StateFile& state) {
    std::printf("%s: %s", path.c_str(), stateFormatName(state.format));
    if (state.format != StateFormat::Chunk) {
        const PresetFile& preset = state.preset;
        std::printf(", format version %d, plug-in '%s' version %d", preset.formatVersion,
                    fourCharText(preset.pluginId).c_str(), preset.pluginVersion);
        if (preset.kind == PresetKind::Bank) {
            std::printf(", %d programs, current program %d", preset.count, preset.currentProgram);
        } else {
            std::printf(", %d parameters, program \"%s\"", preset.count, preset.programName.c_str());
        }
    }
    std::printf("\n");
}

int print(const StateOptions& options) {
    StateFile state;
    std::string error;
    if (!readStateFile(options.file, state, error)) {
        return fail("state print", error);
    }
    auto contents = std::make_unique<ChunkContents>();
    const ChunkReadResult order = readStateChunk(state.chunk.data(), state.chunk.size(), *contents);
    printHeader(options.file, state);
    std::printf("chunk:           %zu bytes, %s\n", state.chunk.size(),
                order == ChunkReadResult::ReadSwapped ? "big-endian" : "little-endian");

    const ChunkSettings& words = contents->settings;
    const std::int32_t switches = words[kChunkSwitchesWord];
    std::printf("MIDI mode:       %d\nsync mode:       %d (%s)\n", words[kChunkMidiModeWord], words[kChunkSyncModeWord],
                words[kChunkSyncModeWord] == 1 ? "host tempo" : "internal tempo");
    std::printf(
        "switches:        highpass %s, filter mode %d, MIDI output %s, select lock %s, clock sync %s, "
        "transmit knobs %s\n",
        onOff(switches, 2), (switches >> 3) & 3, onOff(switches, 5), onOff(switches, 6),
        (switches & kChunkClockSyncSwitch) != 0 ? "48PPQ" : "24PPQ", onOff(switches, 8));

    const int current = std::clamp(words[kChunkCurrentPatternWord], 0, kPatternCount - 1);
    const Pattern& pattern = contents->patterns[static_cast<std::size_t>(current)];
    std::printf("current pattern: %d (%d steps, %d with notes)\n", current, pattern.length(), gatedSteps(pattern));
    const auto withNotes = std::count_if(contents->patterns.begin(), contents->patterns.end(),
                                         [](const Pattern& p) { return gatedSteps(p) > 0; });
    std::printf("patterns:        %ld of %d with notes\n", static_cast<long>(withNotes), kPatternCount);

    const int program = std::clamp(words[kChunkCurrentProgramWord], 0, kProgramCount - 1);
    std::printf("programs:\n");
    for (int i = 0; i < kProgramCount; ++i) {
        std::printf("  %2d%s %s\n", i, i == program ? "*" : " ",
                    programName(contents->programs[static_cast<std::size_t>(i)]).c_str());
    }
    std::printf("current program's parameters:\n");
    for (int i = 0; i < kNumParameters; ++i) {
        const float value = contents->programs[static_cast<std::size_t>(program)].slots[kParameterInfo[i].programSlot];
        std::printf("  %-15s %-9s (%g)\n", kParameterInfo[i].name, parameterDisplay(i, value).c_str(),
                    static_cast<double>(value));
    }
    return kExitSuccess;
}

int convert(const StateOptions& options) {
    StateFile state;
    std::string error;
    if (!readStateFile(options.file, state, error)) {
        return fail("state convert", error);
    }
    const StateFormat format =
        options.format.empty() ? stateFormatForPath(options.out) : kFormatNames.at(options.format);
    // A bare chunk names no plug-in version: the one the plug-in reports (1).
    const std::int32_t version = state.format == StateFormat::Chunk ? 1 : state.preset.pluginVersion;
    if (!writeStateFile(options.out, format, state.chunk, version, error)) {
        return fail("state convert", error);
    }
    std::printf("%s: %s\n", options.out.c_str(), stateFormatName(format));
    return kExitSuccess;
}

Command setupState(CLI::App& tool) {
    auto options = std::make_shared<StateOptions>();
    CLI::App* app = tool.add_subcommand(
        kName, "Print and convert saved plug-in states: VST bank (.fxb) and program (.fxp) files, bare chunks");
    app->require_subcommand(1);

    options->print = app->add_subcommand("print", "Print what a saved state holds");
    options->print->add_option("FILE", options->file, "A .fxb, .fxp or bare state chunk")->type_name("")->required();

    options->convert = app->add_subcommand("convert", "Write a saved state in another form");
    options->convert->add_option("FILE", options->file, "A .fxb, .fxp or bare state chunk")->type_name("")->required();
    options->convert->add_option("--out", options->out, "File to write")->type_name("FILE")->required();
    options->convert
        ->add_option("--format", options->format,
                     "bank (.fxb), program (.fxp) or chunk; by default chosen by the name given to --out, a bare "
                     "chunk for names other than .fxb and .fxp")
        ->check(CLI::IsMember(kFormatNames));
    return {app, [options] { return options->print->parsed() ? print(*options) : convert(*options); }};
}

const Registration registration(setupState);

}  // namespace
}  // namespace vexo::cli

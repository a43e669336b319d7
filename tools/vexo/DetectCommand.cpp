// vexo detect: the pattern detection of the "Analyze Pattern" dialog on a WAV or AIFF
// file, printed as step text and optionally written as a pattern file or into a bank.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "ArgumentChecks.h"
#include "Command.h"
#include "FileAccess.h"
#include "config/Settings.h"
#include "patterns/AnalyzeOperations.h"
#include "patterns/PatternDetection.h"
#include "patterns/PatternText.h"
#include "patterns/WaveFile.h"

namespace vexo::cli {
namespace {

constexpr const char* kName = "detect";

void printDetection(const std::string& path, const WaveBuffer& wave, const Pattern& pattern,
                    const DetectionResults& results) {
    std::printf("%s: %zu samples at %d Hz, %d steps%s\n", path.c_str(), wave.count(), wave.sampleRate, pattern.length(),
                pattern.isTriplet() ? ", triplet" : "");
    std::printf("step note midi gate slide accent\n");
    for (int i = 0; i < pattern.length(); ++i) {
        const Step step = pattern.step(i);
        char name[4];
        stepToText(step, name);
        std::printf("%02d   %s  %4d %4d %5d %6d\n", i + 1, name, results[static_cast<std::size_t>(i)].midiNote,
                    step.has(StepFlags::Gate) ? 1 : 0, step.has(StepFlags::Slide) ? 1 : 0,
                    step.has(StepFlags::Accent) ? 1 : 0);
    }
}

struct DetectOptions {
    std::string file;
    int steps = AnalyzeSession::kDefaultSteps;
    bool pitches = true;
    bool rhythm = true;
    std::string out;
    std::string bank;
    int slot = 0;
    CLI::Option* stepsOption = nullptr;
};

int detect(const DetectOptions& options) {
    const std::string& path = options.file;
    WaveBuffer wave;
    if (!loadWave(wave, path)) {
        std::string problem = readProblem(path);
        std::error_code error;
        if (problem.empty() && std::filesystem::file_size(path, error) > kMaxWaveFileBytes) {
            problem = "larger than " + std::to_string(kMaxWaveFileBytes >> 20) + " MiB, too large to analyse";
        }
        if (!problem.empty()) {
            return fail(kName, "cannot read " + path + ": " + problem);
        }
        std::string text = kUnsupportedWaveText;
        text.pop_back();  // the line end
        return fail(kName, path + ": " + kUnsupportedWaveTitle + "\n" + text);
    }
    int steps = AnalyzeSession::kDefaultSteps;
    bool triplet = false;
    parseWaveName(path, steps, triplet);
    if (options.stepsOption->count() > 0) {
        steps = options.steps;
    }
    normalizeWave(wave);
    DetectionResults results{};
    detectPattern(wave, steps, results);

    // The detection lands on a bank slot as the dialog's lands on the current pattern, or
    // on a pattern as a new plug-in has it.
    PatternBank bank;
    bank.clearAll(Settings{}.clearNotes != 0);
    std::error_code error;
    if (!options.bank.empty() && std::filesystem::exists(options.bank, error) && !loadBank(kName, options.bank, bank)) {
        return kExitFailed;
    }
    Pattern& pattern = bank.pattern(options.slot);
    applyDetection(pattern, steps, results, options.pitches, options.rhythm);
    if (triplet) {
        pattern.setTriplet(true);
    }
    printDetection(path, wave, pattern, results);

    if (!options.out.empty() && !savePattern(kName, options.out, pattern)) {
        return kExitFailed;
    }
    if (!options.bank.empty() && !saveBank(kName, options.bank, bank)) {
        return kExitFailed;
    }
    return kExitSuccess;
}

Command setupDetect(CLI::App& tool) {
    auto options = std::make_shared<DetectOptions>();
    CLI::App* app = tool.add_subcommand(kName, "Detect a pattern from a 16-bit WAV or AIFF recording of one pass");
    app->add_option("FILE", options->file, "WAV or AIFF file")->type_name("")->required();
    options->stepsOption = app->add_option("--steps", options->steps,
                                           "Steps in the recording (default: from the "
                                           "file name, else 16)")
                               ->transform(wholeNumberIn(1, kMaxSteps));
    app->add_flag("--pitches,!--no-pitches", options->pitches, "Take the pitches (default on)");
    app->add_flag("--rhythm,!--no-rhythm", options->rhythm, "Take gates, slides and accents (default on)");
    app->add_option("--out", options->out, "Pattern file to write")->type_name("FILE");
    CLI::Option* bankOption =
        app->add_option("--bank", options->bank, "Bank file to put the pattern into")->type_name("FILE");
    CLI::Option* slotOption =
        app->add_option("--slot", options->slot, "Slot of --bank")->transform(wholeNumberIn(0, kPatternCount - 1));
    bankOption->needs(slotOption);
    slotOption->needs(bankOption);
    return {app, [options] { return detect(*options); }};
}

const Registration registration(setupDetect);

}  // namespace
}  // namespace vexo::cli

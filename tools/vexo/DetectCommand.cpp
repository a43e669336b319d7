// vexo detect: the pattern detection of the "Analyze Pattern" dialog on a WAV or AIFF
// file, printed as step text and optionally written as a pattern file or into a bank.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "Command.h"
#include "config/Settings.h"
#include "patterns/AnalyzeOperations.h"
#include "patterns/PatternDetection.h"
#include "patterns/PatternText.h"

namespace vexo::cli {
namespace {

bool parseNumber(const std::string& text, int low, int high, int& value) {
    char* end = nullptr;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != 0 || parsed < low || parsed > high) {
        return false;
    }
    value = static_cast<int>(parsed);
    return true;
}

// "--name" / "--no-name": true unless only the negative form is given.
bool switchOption(Arguments& args, const std::string& name) {
    const bool on = args.flag(name);
    const bool off = args.flag("no-" + name);
    return on || !off;
}

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

int runDetect(const std::vector<std::string>& raw) {
    constexpr const char* kName = "detect";
    Arguments args(raw);
    const std::string stepsText = args.option("steps");
    const bool pitches = switchOption(args, "pitches");
    const bool rhythm = switchOption(args, "rhythm");
    const std::string out = args.option("out");
    const std::string bankPath = args.option("bank");
    const std::string slotText = args.option("slot");
    if (!args.checkAllUsed(kName)) {
        return 2;
    }
    const std::vector<std::string> rest = args.positional();
    if (rest.size() != 1) {
        return usageError(kName, "one WAV or AIFF file is needed");
    }
    int slot = 0;
    if (bankPath.empty() != slotText.empty() || (!slotText.empty() && !parseNumber(slotText, 0, 127, slot))) {
        return usageError(kName, "--bank BANK.pat and --slot 0..127 go together");
    }
    const std::string& path = rest[0];

    WaveBuffer wave;
    if (!loadWave(wave, path)) {
        std::fprintf(stderr, "vexo %s: %s: %s\n%s", kName, path.c_str(), kUnsupportedWaveTitle, kUnsupportedWaveText);
        return 1;
    }
    int steps = AnalyzeSession::kDefaultSteps;
    bool triplet = false;
    parseWaveName(path, steps, triplet);
    if (!stepsText.empty() && !parseNumber(stepsText, 1, kMaxSteps, steps)) {
        return usageError(kName, "--steps takes 1..64");
    }
    normalizeWave(wave);
    DetectionResults results{};
    detectPattern(wave, steps, results);

    // The detection lands on a bank slot as the dialog's lands on the current pattern, or
    // on a pattern as a new plug-in has it.
    PatternBank bank;
    bank.clearAll(Settings{}.clearNotes != 0);
    if (!bankPath.empty() && std::filesystem::exists(bankPath) && !readBank(bank, bankPath)) {
        std::fprintf(stderr, "vexo %s: cannot read %s\n", kName, bankPath.c_str());
        return 1;
    }
    Pattern& pattern = bank.pattern(slot);
    applyDetection(pattern, steps, results, pitches, rhythm);
    if (triplet) {
        pattern.setTriplet(true);
    }
    printDetection(path, wave, pattern, results);

    if (!out.empty() && !writePattern(pattern, out)) {
        std::fprintf(stderr, "vexo %s: cannot create %s\n", kName, out.c_str());
        return 1;
    }
    if (!bankPath.empty() && !writeBank(bank, bankPath)) {
        std::fprintf(stderr, "vexo %s: cannot create %s\n", kName, bankPath.c_str());
        return 1;
    }
    return 0;
}

const Registration registration({"detect",
                                 "FILE.wav [--steps N] [--pitches|--no-pitches] [--rhythm|--no-rhythm] "
                                 "[--out FILE.pat] [--bank BANK.pat --slot N]",
                                 "detect a pattern from a 16-bit WAV or AIFF recording of one pass", runDetect});

}  // namespace
}  // namespace vexo::cli

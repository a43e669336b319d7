// vexo pattern: pattern files and banks on the command line, through the same readers,
// writers and edit operations as the plug-in.
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "Command.h"
#include "patterns/PatternOperations.h"
#include "patterns/PatternText.h"

namespace vexo::cli {
namespace {

constexpr const char* kCommand = "pattern";
constexpr int kMaxTransposeSemitones = 255;

bool parseInt(const std::string& text, int low, int high, int& value) {
    char* end = nullptr;
    const long number = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != 0 || number < low || number > high) {
        return false;
    }
    value = static_cast<int>(number);
    return true;
}

bool anyKnobPresent(const KnobPositions& knobs) {
    for (int slot = 0; slot < kNamedKnobSlots; ++slot) {
        if (knobs.has(slot)) {
            return true;
        }
    }
    return false;
}

bool readBankOrReport(PatternBank& bank, const std::string& path) {
    if (!readBank(bank, path)) {
        std::fprintf(stderr, "vexo %s: cannot read %s\n", kCommand, path.c_str());
        return false;
    }
    return true;
}

struct Options {
    std::string slot;
    std::string out;
    std::string seed;
};

int print(const Options& options, const std::vector<std::string>& rest) {
    const std::string& slotText = options.slot;
    if (rest.size() != 2) {
        return usageError(kCommand, "print needs one file");
    }
    if (!slotText.empty()) {
        int slot = 0;
        if (!parseInt(slotText, 0, kPatternCount - 1, slot)) {
            return usageError(kCommand, "slot must be 0..127");
        }
        PatternBank bank;
        if (!readBankOrReport(bank, rest[1])) {
            return 1;
        }
        std::fputs(patternToText(bank.pattern(slot)).c_str(), stdout);
        return 0;
    }
    Pattern pattern;
    KnobPositions knobs;
    if (!readPattern(pattern, rest[1], &knobs)) {
        std::fprintf(stderr, "vexo %s: cannot read %s\n", kCommand, rest[1].c_str());
        return 1;
    }
    std::fputs(patternToText(pattern, anyKnobPresent(knobs) ? &knobs : nullptr).c_str(), stdout);
    return 0;
}

int extract(const std::vector<std::string>& rest) {
    int slot = 0;
    if (rest.size() != 4 || !parseInt(rest[2], 0, kPatternCount - 1, slot)) {
        return usageError(kCommand, "extract needs BANK SLOT(0..127) OUT");
    }
    PatternBank bank;
    if (!readBankOrReport(bank, rest[1])) {
        return 1;
    }
    if (!writePattern(bank.pattern(slot), rest[3])) {
        std::fprintf(stderr, "vexo %s: cannot write %s\n", kCommand, rest[3].c_str());
        return 1;
    }
    return 0;
}

int insert(const std::vector<std::string>& rest) {
    int slot = 0;
    if (rest.size() != 4 || !parseInt(rest[3], 0, kPatternCount - 1, slot)) {
        return usageError(kCommand, "insert needs FILE BANK SLOT(0..127)");
    }
    PatternBank bank;
    if (!readBankOrReport(bank, rest[2])) {
        return 1;
    }
    if (!readPattern(bank.pattern(slot), rest[1])) {
        std::fprintf(stderr, "vexo %s: cannot read %s\n", kCommand, rest[1].c_str());
        return 1;
    }
    if (!writeBank(bank, rest[2])) {
        std::fprintf(stderr, "vexo %s: cannot write %s\n", kCommand, rest[2].c_str());
        return 1;
    }
    return 0;
}

// Applies one named edit; false for an unknown name or a missing or bad amount.
bool applyEdit(Pattern& pattern, const std::string& operation, const std::vector<std::string>& amounts) {
    const RandomSource random = standardRandom;
    int amount = 0;
    const bool hasAmount =
        amounts.size() == 1 && parseInt(amounts[0], -kMaxTransposeSemitones, kMaxTransposeSemitones, amount);
    if (operation == "transpose" && hasAmount) {
        transposePattern(pattern, amount);
    } else if (operation == "shift" && hasAmount) {
        rotatePattern(pattern, amount);
    } else if (!amounts.empty()) {
        return false;
    } else if (operation == "randomize-pitches") {
        randomizePitches(pattern, random);
    } else if (operation == "randomize-all") {
        randomizeAll(pattern, random);
    } else if (operation == "alter") {
        alterPattern(pattern, random);
    } else if (operation == "clear") {
        pattern.clear(false);
    } else if (operation == "clear-gated") {
        pattern.clear(true);
    } else if (operation == "notes-off") {
        clearStepFlags(pattern, StepFlags::Gate | StepFlags::Tie);
    } else if (operation == "accents-off") {
        clearStepFlags(pattern, StepFlags::Accent);
    } else if (operation == "slides-off") {
        clearStepFlags(pattern, StepFlags::Slide);
    } else {
        return false;
    }
    return true;
}

int edit(const Options& options, const std::vector<std::string>& rest) {
    const std::string& out = options.out;
    const std::string& seedText = options.seed;
    if (rest.size() < 3) {
        return usageError(kCommand, "edit needs FILE OPERATION [AMOUNT]");
    }
    int seed = 0;
    if (!seedText.empty() && !parseInt(seedText, 0, 2147483647, seed)) {
        return usageError(kCommand, "seed must be a non-negative number");
    }
    std::srand(seedText.empty() ? static_cast<unsigned>(std::time(nullptr)) : static_cast<unsigned>(seed));

    Pattern pattern;
    KnobPositions knobs;
    if (!readPattern(pattern, rest[1], &knobs)) {
        std::fprintf(stderr, "vexo %s: cannot read %s\n", kCommand, rest[1].c_str());
        return 1;
    }
    if (!applyEdit(pattern, rest[2], std::vector<std::string>(rest.begin() + 3, rest.end()))) {
        return usageError(kCommand,
                          "operations: transpose N, shift N, randomize-pitches, randomize-all, alter, clear, "
                          "clear-gated, notes-off, accents-off, slides-off");
    }
    const std::string target = out.empty() ? rest[1] : out;
    if (!writePattern(pattern, target, anyKnobPresent(knobs) ? &knobs : nullptr)) {
        std::fprintf(stderr, "vexo %s: cannot write %s\n", kCommand, target.c_str());
        return 1;
    }
    return 0;
}

int runPattern(const std::vector<std::string>& raw) {
    Arguments args(raw);
    Options options;
    options.slot = args.option("slot");
    options.out = args.option("out");
    options.seed = args.option("seed");
    if (!args.checkAllUsed(kCommand)) {
        return 2;
    }
    const std::vector<std::string> rest = args.positional();
    const std::string verb = rest.empty() ? "" : rest[0];
    if (verb == "print") {
        return print(options, rest);
    }
    if (verb == "extract") {
        return extract(rest);
    }
    if (verb == "insert") {
        return insert(rest);
    }
    if (verb == "edit") {
        return edit(options, rest);
    }
    return usageError(kCommand, "unknown or missing action '" + verb + "'");
}

const Registration registration({kCommand,
                                 "print FILE [--slot N] | extract BANK SLOT OUT | insert FILE BANK SLOT | "
                                 "edit FILE OPERATION [N] [--out FILE] [--seed N]",
                                 "print, convert and edit pattern files and bank slots", runPattern});

}  // namespace
}  // namespace vexo::cli

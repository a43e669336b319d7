// vexo pattern: pattern files and banks on the command line, through the same readers,
// writers and edit operations as the plug-in.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "ArgumentChecks.h"
#include "Command.h"
#include "FileAccess.h"
#include "patterns/PatternOperations.h"
#include "patterns/PatternText.h"

namespace vexo::cli {
namespace {

constexpr const char* kName = "pattern";
constexpr int kMaxTransposeSemitones = 255;
constexpr long long kMaxSeed = 2147483647;

const std::vector<std::string> kOperations = {"transpose",   "shift",     "randomize-pitches", "randomize-all",
                                              "alter",       "clear",     "clear-gated",       "notes-off",
                                              "accents-off", "slides-off"};

bool anyKnobPresent(const KnobPositions& knobs) {
    for (int slot = 0; slot < kNamedKnobSlots; ++slot) {
        if (knobs.has(slot)) {
            return true;
        }
    }
    return false;
}

struct PatternOptions {
    std::string file;
    std::string bank;
    std::string out;
    int slot = 0;
    std::string operation;
    int amount = 0;
    long long seed = 0;
    CLI::App* print = nullptr;
    CLI::App* extract = nullptr;
    CLI::App* insert = nullptr;
    CLI::App* edit = nullptr;
    CLI::Option* slotOption = nullptr;  // of print
    CLI::Option* amountOption = nullptr;
    CLI::Option* seedOption = nullptr;
};

int print(const PatternOptions& options) {
    if (options.slotOption->count() > 0) {
        PatternBank bank;
        if (!loadBank("pattern print", options.file, bank)) {
            return kExitFailed;
        }
        std::fputs(patternToText(bank.pattern(options.slot)).c_str(), stdout);
        return kExitSuccess;
    }
    Pattern pattern;
    KnobPositions knobs;
    if (!loadPattern("pattern print", options.file, pattern, &knobs)) {
        return kExitFailed;
    }
    std::fputs(patternToText(pattern, anyKnobPresent(knobs) ? &knobs : nullptr).c_str(), stdout);
    return kExitSuccess;
}

int extract(const PatternOptions& options) {
    PatternBank bank;
    if (!loadBank("pattern extract", options.bank, bank) ||
        !savePattern("pattern extract", options.out, bank.pattern(options.slot))) {
        return kExitFailed;
    }
    return kExitSuccess;
}

int insert(const PatternOptions& options) {
    PatternBank bank;
    if (!loadBank("pattern insert", options.bank, bank) ||
        !loadPattern("pattern insert", options.file, bank.pattern(options.slot)) ||
        !saveBank("pattern insert", options.bank, bank)) {
        return kExitFailed;
    }
    return kExitSuccess;
}

void applyEdit(Pattern& pattern, const std::string& operation, int amount) {
    const RandomSource random = standardRandom;
    if (operation == "transpose") {
        transposePattern(pattern, amount);
    } else if (operation == "shift") {
        rotatePattern(pattern, amount);
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
    }
}

int edit(const PatternOptions& options) {
    const bool takesAmount = options.operation == "transpose" || options.operation == "shift";
    if (takesAmount != (options.amountOption->count() > 0)) {
        return usageError("pattern edit", takesAmount ? options.operation + " needs an AMOUNT"
                                                      : options.operation + " takes no AMOUNT");
    }
    std::srand(options.seedOption->count() > 0 ? static_cast<unsigned>(options.seed)
                                               : static_cast<unsigned>(std::time(nullptr)));
    Pattern pattern;
    KnobPositions knobs;
    if (!loadPattern("pattern edit", options.file, pattern, &knobs)) {
        return kExitFailed;
    }
    applyEdit(pattern, options.operation, options.amount);
    const std::string& target = options.out.empty() ? options.file : options.out;
    if (!savePattern("pattern edit", target, pattern, anyKnobPresent(knobs) ? &knobs : nullptr)) {
        return kExitFailed;
    }
    return kExitSuccess;
}

int runPattern(const PatternOptions& options) {
    if (options.print->parsed()) {
        return print(options);
    }
    if (options.extract->parsed()) {
        return extract(options);
    }
    if (options.insert->parsed()) {
        return insert(options);
    }
    return edit(options);
}

CLI::Option* addSlot(CLI::App& app, const char* name, int& slot) {
    return app.add_option(name, slot, "Bank slot")->transform(wholeNumberIn(0, kPatternCount - 1));
}

Command setupPattern(CLI::App& tool) {
    auto options = std::make_shared<PatternOptions>();
    CLI::App* app = tool.add_subcommand(kName, "Print, convert and edit pattern files and bank slots");
    app->require_subcommand(1);

    options->print = app->add_subcommand("print", "Print a pattern file, or one slot of a bank");
    options->print->add_option("FILE", options->file, "Pattern file, or bank file with --slot")
        ->type_name("")
        ->required();
    options->slotOption = addSlot(*options->print, "--slot", options->slot);

    options->extract = app->add_subcommand("extract", "Write one slot of a bank as a pattern file");
    options->extract->add_option("BANK", options->bank, "Bank file")->type_name("")->required();
    addSlot(*options->extract, "SLOT", options->slot)->required();
    options->extract->add_option("OUT", options->out, "Pattern file to write")->type_name("")->required();

    options->insert = app->add_subcommand("insert", "Put a pattern file into one slot of a bank file");
    options->insert->add_option("FILE", options->file, "Pattern file")->type_name("")->required();
    options->insert->add_option("BANK", options->bank, "Bank file, rewritten")->type_name("")->required();
    addSlot(*options->insert, "SLOT", options->slot)->required();

    options->edit = app->add_subcommand("edit", "Apply an edit operation to a pattern file");
    options->edit->add_option("FILE", options->file, "Pattern file, rewritten unless --out")->type_name("")->required();
    options->edit->add_option("OPERATION", options->operation, "The edit")
        ->required()
        ->check(CLI::IsMember(kOperations));
    options->amountOption = options->edit->add_option("AMOUNT", options->amount, "Semitones or steps")
                                ->transform(wholeNumberIn(-kMaxTransposeSemitones, kMaxTransposeSemitones));
    options->edit->add_option("--out", options->out, "Pattern file to write instead")->type_name("FILE");
    options->seedOption = options->edit->add_option("--seed", options->seed, "Seed of the randomizers")
                              ->transform(wholeNumberIn(0, kMaxSeed));
    return {app, [options] { return runPattern(*options); }};
}

const Registration registration(setupPattern);

}  // namespace
}  // namespace vexo::cli

// vexo program: plays a sequence of notes into the plug-in with keyboard programming on,
// then prints the pattern they programmed, so the key map can be tried without a keyboard.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>

#include "ArgumentChecks.h"
#include "Session.h"
#include "host/StateChunk.h"

namespace vexo::cli {
namespace {

constexpr const char* kName = "program";

void printPattern(const Pattern& pattern, int index) {
    std::printf("pattern %d: %d steps%s, shuffle %d\n", index, pattern.length(), pattern.isTriplet() ? ", triplet" : "",
                pattern.shuffleAmount());
    for (int i = 0; i < pattern.length(); ++i) {
        const Step s = pattern.step(i);
        std::printf("  %2d  %s%c  %s%s%s%s%s\n", i + 1, kNoteNames[s.note % 12], stepOctaveDigit(s),
                    s.has(StepFlags::Gate) ? "gate " : "rest ", s.has(StepFlags::Slide) ? "slide " : "",
                    s.has(StepFlags::Accent) ? "accent " : "", s.has(StepFlags::Tie) ? "tie " : "",
                    s.has(StepFlags::NoteMark)   ? "(note)"
                    : s.has(StepFlags::RestMark) ? "(rest)"
                                                 : "");
    }
}

struct ProgramOptions {
    SessionOptions session;
    std::vector<int> notes;
    int mode = 0;
    bool keepPattern = false;
};

int program(ProgramOptions& options) {
    SessionOptions& sessionOptions = options.session;
    sessionOptions.configLines.insert(sessionOptions.configLines.begin(),
                                      {"MidiKeyProgramming = 1", "ProgrammingMode = " + std::to_string(options.mode),
                                       options.keepPattern ? "; patterns as loaded" : "ClearNotes = 0",
                                       options.keepPattern ? "; bank as loaded" : "LoadDefaultBank = 0"});
    Session session;
    if (!session.open(sessionOptions, kName)) {
        return kExitFailed;
    }
    PluginHost& host = session.host();
    const int blockSize = sessionOptions.blockSize;
    std::vector<float> left(static_cast<std::size_t>(blockSize)), right(left.size());
    // Each note is a short key press: note-on, then its note-off in the next block.
    for (int note : options.notes) {
        host.sendEvents({{0, 0x90, static_cast<std::uint8_t>(note), 100}});
        host.process(left.data(), right.data(), blockSize);
        host.sendEvents({{0, 0x80, static_cast<std::uint8_t>(note), 0}});
        host.process(left.data(), right.data(), blockSize);
    }
    const std::vector<std::uint8_t> chunk = host.getChunk();
    session.close();

    ChunkContents contents;
    if (readStateChunk(chunk.data(), chunk.size(), contents) == ChunkReadResult::TooShort) {
        return fail(kName, "the plug-in returned no state chunk");
    }
    const int current = contents.settings[3];
    printPattern(contents.patterns[static_cast<std::size_t>(current)], current);
    std::printf("programming position %d, advance %d\n", contents.settings[2] + 1, contents.settings[4]);
    return kExitSuccess;
}

Command setupProgram(CLI::App& tool) {
    auto options = std::make_shared<ProgramOptions>();
    CLI::App* app = tool.add_subcommand(kName, "Program a pattern with keyboard-programming notes and print it");
    app->add_option("--notes", options->notes, "MIDI notes played one after the other, as N,N,...")
        ->required()
        ->delimiter(',')
        ->allow_extra_args(false)
        ->transform(wholeNumberIn(0, 127));
    app->add_option("--mode", options->mode, "Programming mode")->transform(wholeNumberIn(0, 1))->capture_default_str();
    app->add_flag("--keep", options->keepPattern, "Start from the bank and patterns as loaded, not cleared ones");
    options->session.addPluginOptions(*app);
    return {app, [options] { return program(*options); }};
}

const Registration registration(setupProgram);

}  // namespace
}  // namespace vexo::cli

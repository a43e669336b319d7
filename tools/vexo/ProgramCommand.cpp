// vexo program: plays a sequence of notes into the plug-in with keyboard programming on,
// then prints the pattern they programmed, so the key map can be tried without a keyboard.
#include <cstdio>
#include <sstream>

#include "Session.h"
#include "host/StateChunk.h"

namespace vexo::cli {
namespace {

bool parseNotes(const std::string& text, std::vector<int>& notes) {
    std::stringstream in(text);
    std::string item;
    while (std::getline(in, item, ',')) {
        try {
            const int note = std::stoi(item);
            if (note < 0 || note > 127) {
                return false;
            }
            notes.push_back(note);
        } catch (const std::exception&) {
            return false;
        }
    }
    return !notes.empty();
}

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

int runProgram(const std::vector<std::string>& raw) {
    Arguments args(raw);
    SessionOptions options;
    if (!options.parse(args, "program")) {
        return 2;
    }
    const std::string noteList = args.option("notes");
    const std::string mode = args.option("mode", "0");
    const bool keepPattern = args.flag("keep");
    if (!args.checkAllUsed("program") || !args.positional().empty()) {
        return usageError("program", "unexpected arguments");
    }
    std::vector<int> notes;
    if (!parseNotes(noteList, notes)) {
        return usageError("program", "--notes needs a comma-separated list of MIDI notes 0..127");
    }
    options.configLines.insert(options.configLines.begin(), {"MidiKeyProgramming = 1", "ProgrammingMode = " + mode,
                                                             keepPattern ? "; patterns as loaded" : "ClearNotes = 0",
                                                             keepPattern ? "; bank as loaded" : "LoadDefaultBank = 0"});

    Session session;
    std::string error;
    if (!session.open(options, error)) {
        std::fprintf(stderr, "vexo program: %s\n", error.c_str());
        return 1;
    }
    PluginHost& host = session.host();
    std::vector<float> left(static_cast<std::size_t>(options.blockSize)), right(left.size());
    // Each note is a short key press: note-on, then its note-off in the next block.
    for (int note : notes) {
        host.sendEvents({{0, 0x90, static_cast<std::uint8_t>(note), 100}});
        host.process(left.data(), right.data(), options.blockSize);
        host.sendEvents({{0, 0x80, static_cast<std::uint8_t>(note), 0}});
        host.process(left.data(), right.data(), options.blockSize);
    }
    const std::vector<std::uint8_t> chunk = host.getChunk();
    session.close();

    ChunkContents contents;
    if (readStateChunk(chunk.data(), chunk.size(), contents) == ChunkReadResult::TooShort) {
        std::fprintf(stderr, "vexo program: the plug-in returned no state chunk\n");
        return 1;
    }
    const int current = contents.settings[3];
    printPattern(contents.patterns[static_cast<std::size_t>(current)], current);
    std::printf("programming position %d, advance %d\n", contents.settings[2] + 1, contents.settings[4]);
    return 0;
}

const Registration registration({"program",
                                 "--notes N,N,... [--mode 0|1] [--keep] [--plugin DIR] [--config \"Key = value\" ...]",
                                 "program a pattern with keyboard-programming notes and print it", runProgram});

}  // namespace
}  // namespace vexo::cli

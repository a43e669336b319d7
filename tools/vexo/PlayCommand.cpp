// vexo play: holds a pattern's key and prints the MIDI the plug-in sends back, with the
// absolute frame of every message, so the sequencer's timing can be seen without a host.
#include <cstdio>

#include "Session.h"

namespace vexo::cli {
namespace {

int runPlay(const std::vector<std::string>& raw) {
    Arguments args(raw);
    SessionOptions options;
    if (!options.parse(args, "play")) {
        return 2;
    }
    const std::string seconds = args.option("seconds");
    const std::string bars = args.option("bars", "1");
    if (!args.checkAllUsed("play") || !args.positional().empty()) {
        return usageError("play", "unexpected arguments");
    }
    // The sequencer's notes go out on channel 1, at the tempo given, from the host.
    options.configLines.insert(options.configLines.begin(),
                               {"MidiOutput = 1", "MidiOutputChannel = 0", "SyncMode = 1"});

    Session session;
    std::string error;
    if (!session.open(options, error)) {
        std::fprintf(stderr, "vexo play: %s\n", error.c_str());
        return 1;
    }
    const long long held = seconds.empty() ? session.framesForBars(std::stod(bars))
                                           : static_cast<long long>(std::stod(seconds) * options.sampleRate);
    std::vector<float> left, right;
    session.renderHeld(held + options.blockSize, held, left, right);
    session.close();

    std::printf("# pattern %d held for %lld frames at %.2f BPM, %.0f Hz, blocks of %d\n", options.pattern, held,
                options.tempo, options.sampleRate, options.blockSize);
    std::printf("# %10s %8s  %s\n", "frame", "+frames", "message");
    long long previousNoteOn = -1;
    for (const ReceivedMidi& m : session.midi()) {
        const bool noteOn = (m.bytes[0] & 0xF0) == 0x90 && m.bytes[2] > 0;
        char gap[32] = "";
        if (noteOn && previousNoteOn >= 0) {
            std::snprintf(gap, sizeof gap, "%lld", m.frame() - previousNoteOn);
        }
        if (noteOn) {
            previousNoteOn = m.frame();
        }
        std::printf("  %10lld %8s  %s\n", m.frame(), gap, describeMidi(m).c_str());
    }
    return 0;
}

const Registration registration({"play",
                                 "[--plugin DIR] [--pattern N] [--pattern-file FILE.pat] [--bars B | --seconds S] "
                                 "[--tempo BPM] [--rate HZ] [--block FRAMES] [--set NAME=VALUE ...] "
                                 "[--config \"Key = value\" ...]",
                                 "hold a pattern's key and print the MIDI the plug-in sends", runPlay});

}  // namespace
}  // namespace vexo::cli

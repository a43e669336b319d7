// vexo play: holds a pattern's key and prints the MIDI the plug-in sends back, with the
// absolute frame of every message, so the sequencer's timing can be seen without a host.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>

#include "Session.h"

namespace vexo::cli {
namespace {

constexpr const char* kName = "play";

// Prints messages as they come, each note-on with its distance from the one before.
class MidiPrinter {
public:
    void print(const std::vector<ReceivedMidi>& messages) {
        for (const ReceivedMidi& m : messages) {
            const bool noteOn = (m.bytes[0] & 0xF0) == 0x90 && m.bytes[2] > 0;
            char gap[32] = "";
            if (noteOn && previousNoteOn_ >= 0) {
                std::snprintf(gap, sizeof gap, "%lld", m.frame() - previousNoteOn_);
            }
            if (noteOn) {
                previousNoteOn_ = m.frame();
            }
            std::printf("  %10lld %8s  %s\n", m.frame(), gap, describeMidi(m).c_str());
        }
    }

private:
    long long previousNoteOn_ = -1;
};

int play(SessionOptions& options) {
    if (!options.checkLength(kName)) {
        return kExitUsage;
    }
    // The sequencer's notes go out on channel 1, at the tempo given, from the host.
    options.configLines.insert(options.configLines.begin(),
                               {"MidiOutput = 1", "MidiOutputChannel = 0", "SyncMode = 1"});
    options.forceHostSync = true;
    options.forceMidiOutput = true;
    Session session;
    if (!session.open(options, kName)) {
        return kExitFailed;
    }
    const long long held = options.heldFrames();
    std::printf("# pattern %d held for %lld frames at %.2f BPM, %.0f Hz, blocks of %d\n", options.pattern, held,
                options.tempo, options.sampleRate, options.blockSize);
    std::printf("# %10s %8s  %s\n", "frame", "+frames", "message");
    MidiPrinter printer;
    // One block more than held, for the messages of the release.
    session.renderHeld(held + options.blockSize, held, [&](const float*, const float*, int) {
        printer.print(session.host().receivedMessages());
        session.host().clearReceived();
        return true;
    });
    session.close();
    printer.print(session.host().receivedMessages());
    return kExitSuccess;
}

Command setupPlay(CLI::App& tool) {
    auto options = std::make_shared<SessionOptions>();
    CLI::App* app = tool.add_subcommand(kName, "Hold a pattern's key and print the MIDI the plug-in sends");
    options->addPluginOptions(*app);
    options->addPlaybackOptions(*app);
    return {app, [options] { return play(*options); }};
}

const Registration registration(setupPlay);

}  // namespace
}  // namespace vexo::cli

// A render session of the vexo tool: the plug-in loaded from its folder like a host
// loads it, with optional extra settings, parameter values and a pattern put in place,
// then a key held while blocks are rendered.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Command.h"
#include "PluginHost.h"

namespace vexo::cli {

struct SessionOptions {
    std::string pluginDir;
    double sampleRate = 44100.0;
    int blockSize = 512;
    double tempo = 120.0;
    std::vector<std::string> configLines;    // "Key = value", applied as User.ini
    std::vector<std::string> parameterSets;  // "Name=value"
    std::string patternFile;                 // put into the played slot before rendering
    int pattern = 0;

    // Reads --plugin, --rate, --block, --tempo, --config, --set, --pattern, --pattern-file.
    bool parse(Arguments& args, const char* command);
};

class Session {
public:
    ~Session();
    // Loads the plug-in (from a private copy of its folder when settings are added).
    bool open(const SessionOptions& options, std::string& error);
    PluginHost& host() { return host_; }

    // Renders frames with the pattern's key held from frame 0 until releaseFrame.
    void renderHeld(long long frames, long long releaseFrame, std::vector<float>& left, std::vector<float>& right);
    // Frames for a number of bars of 16 steps at the session tempo.
    long long framesForBars(double bars) const;
    std::vector<ReceivedMidi> midi() const { return host_.receivedMessages(); }
    void close() { host_.close(); }

private:
    SessionOptions options_;
    PluginHost host_;
    std::string privateDir_;
};

// Percentage-free text of a MIDI message: "note-on 36 vel 99" and so on.
std::string describeMidi(const ReceivedMidi& m);

}  // namespace vexo::cli

// A render session of the vexo tool: the plug-in loaded from its folder like a host
// loads it, with optional extra settings, parameter values and a pattern put in place,
// then a key held while blocks are rendered.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "Command.h"
#include "PluginHost.h"

namespace CLI {
class Option;
}

namespace vexo::cli {

// Ranges of the session options. The voice runs at any rate; these are the rates audio
// files and interfaces use. Tempos are those the plug-in's three-digit tempo display shows.
constexpr double kMinSampleRateHz = 8000.0;
constexpr double kMaxSampleRateHz = 384000.0;
constexpr int kMaxBlockFrames = 8192;
constexpr double kMinTempoBpm = 1.0;
constexpr double kMaxTempoBpm = 999.0;
// One step of 16 up to far beyond any render that the length limit below lets through.
constexpr double kMinBars = 1.0 / 16.0;
constexpr double kMaxBars = 100000.0;
constexpr double kMinSeconds = 0.001;
// The longest a key is held and rendered: one day.
constexpr double kMaxHeldSeconds = 24.0 * 3600.0;

struct SessionOptions {
    std::string pluginDir = defaultPluginDir();
    double sampleRate = 44100.0;
    int blockSize = 512;
    double tempo = 120.0;
    std::vector<std::string> configLines;    // "Key = value", applied as User.ini
    std::vector<std::string> parameterSets;  // "Name=value"
    std::string patternFile;                 // put into the played slot before rendering
    int pattern = 0;
    double bars = 1.0;
    double seconds = 0.0;   // used instead of bars when given
    std::string stateFile;  // a state the plug-in starts from (.fxb, .fxp or a bare chunk)
    // Settings the command needs whatever the state says.
    bool forceHostSync = false;
    bool forceMidiOutput = false;

    // --plugin and --config.
    void addPluginOptions(CLI::App& app);
    // --pattern, --pattern-file, --bars, --seconds, --tempo, --rate, --block, --set, --state.
    void addPlaybackOptions(CLI::App& app);

    bool tempoGiven() const;
    // Frames the key is held: --seconds, else --bars of 16 steps at the tempo.
    long long heldFrames() const;
    // A usage error (and false) when the key would be held beyond kMaxHeldSeconds.
    bool checkLength(const std::string& command) const;

private:
    CLI::Option* tempoOption_ = nullptr;
    CLI::Option* secondsOption_ = nullptr;
};

class Session {
public:
    ~Session();
    // Loads the plug-in (from a private copy of its folder when settings are added) and
    // puts the options in place: the state file first, then the pattern file and the
    // parameter values. Failures are reported as "vexo COMMAND: ..." on stderr.
    bool open(const SessionOptions& options, const std::string& command);
    PluginHost& host() { return host_; }

    // Receives each rendered block; false stops the render.
    using BlockSink = std::function<bool(const float* left, const float* right, int frames)>;
    // Renders frames with the pattern's key held from frame 0 until releaseFrame, one block
    // at a time into the same two buffers. False when the sink stopped it.
    bool renderHeld(long long frames, long long releaseFrame, const BlockSink& sink);
    void close() { host_.close(); }

private:
    bool openPlugin(const SessionOptions& options, std::string& error);
    bool loadState(const SessionOptions& options, const std::string& command);

    SessionOptions options_;
    PluginHost host_;
    std::string privateDir_;
    std::vector<float> left_, right_;
};

// "Cutoff=0.3" or "1=0.3" into a parameter index and a value 0..1; false with the reason.
bool parseParameterSetting(const std::string& text, int& index, float& value, std::string& error);

// Percentage-free text of a MIDI message: "note-on 36 vel 99" and so on.
std::string describeMidi(const ReceivedMidi& m);

}  // namespace vexo::cli

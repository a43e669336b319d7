#include "Session.h"

#include <strings.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "ArgumentChecks.h"
#include "FileAccess.h"
#include "host/Parameters.h"
#include "host/StateChunk.h"
#include "host/StateFile.h"
#include "patterns/PatternText.h"

namespace vexo::cli {
namespace fs = std::filesystem;

namespace {

std::string parameterName(int index) {
    std::string name = kParameterInfo[index].name;
    name.erase(name.find_last_not_of(' ') + 1);
    return name;
}

std::string parameterNames() {
    std::string names;
    for (int i = 0; i < kNumParameters; ++i) {
        names += (i == 0 ? "" : ", ") + parameterName(i);
    }
    return names;
}

CLI::Validator parameterSetting() {
    return CLI::Validator(
        [](std::string& text) {
            int index = 0;
            float value = 0.0f;
            std::string error;
            parseParameterSetting(text, index, value, error);
            return error;
        },
        "");
}

// "Key = value": a key, an equals sign, anything after it.
CLI::Validator configLine() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            const std::size_t equals = text.find('=');
            if (equals == std::string::npos || text.find_first_not_of(" \t") >= equals ||
                text.find_first_of("\n\r") != std::string::npos) {
                return "'" + text + "' is no \"Key = value\" line";
            }
            return {};
        },
        "");
}

}  // namespace

bool parseParameterSetting(const std::string& text, int& index, float& value, std::string& error) {
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos) {
        error = "'" + text + "' is no NAME=VALUE";
        return false;
    }
    const std::string name = text.substr(0, equals);
    const std::string number = text.substr(equals + 1);
    index = -1;
    for (int i = 0; i < kNumParameters; ++i) {
        if (strcasecmp(parameterName(i).c_str(), name.c_str()) == 0 || name == std::to_string(i)) {
            index = i;
        }
    }
    if (index < 0) {
        error = "'" + name + "' is no parameter; the names are " + parameterNames() + " (or their numbers 0.." +
                std::to_string(kNumParameters - 1) + ")";
        return false;
    }
    char* end = nullptr;
    const double parsed = std::strtod(number.c_str(), &end);
    if (number.empty() || *end != 0 || !(parsed >= 0.0 && parsed <= 1.0)) {
        error = "the value of " + name + " must be a number in 0..1, not '" + number + "'";
        return false;
    }
    value = static_cast<float>(parsed);
    return true;
}

void SessionOptions::addPluginOptions(CLI::App& app) {
    app.add_option("--plugin", pluginDir, "Plug-in folder to load VEXO.so from")
        ->type_name("DIR")
        ->capture_default_str();
    app.add_option("--config", configLines, "A setting for this run, as a line of User.ini (repeatable)")
        ->type_name("\"Key = value\"")
        ->allow_extra_args(false)
        ->check(configLine());
}

void SessionOptions::addPlaybackOptions(CLI::App& app) {
    app.add_option("--pattern", pattern, "Pattern to play: the key held")
        ->transform(wholeNumberIn(0, kPatternCount - 1))
        ->capture_default_str();
    app.add_option("--pattern-file", patternFile, "Pattern file put into that slot first")->type_name("FILE");
    CLI::Option* barsOption = app.add_option("--bars", bars, "Bars of 16 steps to hold the key")
                                  ->transform(numberIn(kMinBars, kMaxBars))
                                  ->capture_default_str();
    secondsOption_ = app.add_option("--seconds", seconds, "Seconds to hold the key, instead of --bars")
                         ->transform(numberIn(kMinSeconds, kMaxHeldSeconds));
    barsOption->excludes(secondsOption_);
    tempoOption_ = app.add_option("--tempo", tempo, "Host tempo in BPM (also switches to host sync)")
                       ->transform(numberIn(kMinTempoBpm, kMaxTempoBpm))
                       ->capture_default_str();
    app.add_option("--rate", sampleRate, "Sample rate in Hz")
        ->transform(numberIn(kMinSampleRateHz, kMaxSampleRateHz))
        ->capture_default_str();
    app.add_option("--block", blockSize, "Frames per processing block")
        ->transform(wholeNumberIn(1, kMaxBlockFrames))
        ->capture_default_str();
    app.add_option("--set", parameterSets, "A parameter value, such as Cutoff=0.3 (repeatable)")
        ->type_name("NAME=0..1")
        ->allow_extra_args(false)
        ->check(parameterSetting());
    app.add_option("--state", stateFile,
                   "Plug-in state to start from: a VST bank (.fxb) or program (.fxp) file or a bare state chunk; it is "
                   "only read")
        ->type_name("FILE");
}

bool SessionOptions::tempoGiven() const {
    return tempoOption_ != nullptr && tempoOption_->count() > 0;
}

long long SessionOptions::heldFrames() const {
    if (secondsOption_ != nullptr && secondsOption_->count() > 0) {
        return std::llround(seconds * sampleRate);
    }
    const double framesPerStep = sampleRate / (tempo / 60.0 * 4.0);
    return std::llround(bars * 16.0 * framesPerStep);
}

bool SessionOptions::checkLength(const std::string& command) const {
    const double heldSeconds = static_cast<double>(heldFrames()) / sampleRate;
    if (heldSeconds <= kMaxHeldSeconds) {
        return true;
    }
    char message[160];
    std::snprintf(message, sizeof message, "--bars %g at %g BPM hold the key for %.0f s; at most %.0f s (24 hours)",
                  bars, tempo, heldSeconds, kMaxHeldSeconds);
    usageError(command, message);
    return false;
}

Session::~Session() {
    host_.close();
    if (!privateDir_.empty()) {
        std::error_code ignored;
        fs::remove_all(privateDir_, ignored);
    }
}

bool Session::open(const SessionOptions& options, const std::string& command) {
    options_ = options;
    std::string patternText;
    if (!options.patternFile.empty() && !readInputFile(command, options.patternFile, patternText)) {
        return false;
    }
    std::string error;
    if (!openPlugin(options, error)) {
        fail(command, error);
        return false;
    }
    if (!options.stateFile.empty() && !loadState(options, command)) {
        return false;
    }
    if (!options.patternFile.empty()) {
        std::vector<std::uint8_t> chunk = host_.getChunk();
        ChunkContents contents;
        if (readStateChunk(chunk.data(), chunk.size(), contents) == ChunkReadResult::TooShort) {
            fail(command, "the plug-in returned no state chunk");
            return false;
        }
        warnIfNoPattern(command, options.patternFile, patternText);
        readPatternText(contents.patterns[static_cast<std::size_t>(options.pattern)], patternText);
        writeStateChunk(contents, chunk.data());
        host_.setChunk(chunk);
    }
    for (const std::string& set : options.parameterSets) {
        int index = 0;
        float value = 0.0f;
        if (!parseParameterSetting(set, index, value, error)) {
            fail(command, "--set: " + error);
            return false;
        }
        host_.setParameter(index, value);
    }
    host_.resume();
    left_.assign(static_cast<std::size_t>(options.blockSize), 0.0f);
    right_.assign(left_.size(), 0.0f);
    return true;
}

bool Session::openPlugin(const SessionOptions& options, std::string& error) {
    std::string dir = options.pluginDir;
    if (!options.configLines.empty()) {
        // The installed folder stays as it is: settings go into a private copy.
        std::string pattern = (fs::temp_directory_path() / "vexo-session-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            error = "cannot create a temporary folder: " + std::string(std::strerror(errno));
            return false;
        }
        privateDir_ = pattern;
        std::error_code failed;
        if (!fs::is_directory(dir, failed)) {
            error = "cannot load the plug-in from " + dir + ": no such folder";
            return false;
        }
        fs::copy(dir, privateDir_, fs::copy_options::recursive, failed);
        if (failed) {
            error = "cannot copy " + dir + ": " + failed.message();
            return false;
        }
        std::ofstream user(privateDir_ + "/User.ini", std::ios::app);
        for (const std::string& line : options.configLines) {
            user << line << "\n";
        }
        user.close();
        if (!user) {
            error = "cannot write " + privateDir_ + "/User.ini";
            return false;
        }
        dir = privateDir_;
    }
    if (!host_.load(dir, error)) {
        return false;
    }
    host_.tempo = options.tempo;
    host_.open(options.sampleRate, options.blockSize);
    return true;
}

bool Session::loadState(const SessionOptions& options, const std::string& command) {
    StateFile state;
    std::string error;
    if (!readStateFile(options.stateFile, state, error)) {
        fail(command, "--state: " + error);
        return false;
    }
    if (options.forceHostSync || options.forceMidiOutput) {
        ChunkContents contents;
        readStateChunk(state.chunk.data(), state.chunk.size(), contents);
        if (options.forceHostSync) {
            contents.settings[kChunkSyncModeWord] = 1;
        }
        if (options.forceMidiOutput) {
            contents.settings[kChunkSwitchesWord] |= kChunkMidiOutputSwitch;
        }
        state.chunk.resize(kChunkBytes);
        writeStateChunk(contents, state.chunk.data());
    }
    host_.setChunk(state.chunk, state.format == StateFormat::Program);
    return true;
}

bool Session::renderHeld(long long frames, long long releaseFrame, const BlockSink& sink) {
    const auto key = static_cast<std::uint8_t>(options_.pattern);
    std::vector<PluginHost::Message> events;
    events.reserve(2);
    for (long long first = 0; first < frames; first += options_.blockSize) {
        const int count = static_cast<int>(std::min<long long>(options_.blockSize, frames - first));
        events.clear();
        if (first == 0) {
            events.push_back({0, 0x90, key, 100});
        }
        if (releaseFrame >= first && releaseFrame < first + count) {
            events.push_back({static_cast<int>(releaseFrame - first), 0x80, key, 0});
        }
        if (!events.empty()) {
            host_.sendEvents(events);
        }
        host_.process(left_.data(), right_.data(), count);
        if (!sink(left_.data(), right_.data(), count)) {
            return false;
        }
    }
    return true;
}

std::string describeMidi(const ReceivedMidi& m) {
    char text[64];
    const int kind = m.bytes[0] & 0xF0;
    const int channel = (m.bytes[0] & 0x0F) + 1;
    if (kind == 0x90 && m.bytes[2] > 0) {
        std::snprintf(text, sizeof text, "note-on  %3d vel %3d ch %d", m.bytes[1], m.bytes[2], channel);
    } else if (kind == 0x90 || kind == 0x80) {
        std::snprintf(text, sizeof text, "note-off %3d (%s) ch %d", m.bytes[1], kind == 0x80 ? "8x" : "9x vel 0",
                      channel);
    } else if (kind == 0xB0) {
        std::snprintf(text, sizeof text, "control  %3d val %3d ch %d", m.bytes[1], m.bytes[2], channel);
    } else {
        std::snprintf(text, sizeof text, "%02x %02x %02x", m.bytes[0], m.bytes[1], m.bytes[2]);
    }
    return text;
}

}  // namespace vexo::cli

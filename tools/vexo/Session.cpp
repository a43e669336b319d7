#include "Session.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "host/Parameters.h"
#include "host/StateChunk.h"
#include "patterns/PatternText.h"

namespace vexo::cli {
namespace fs = std::filesystem;

bool SessionOptions::parse(Arguments& args, const char* command) {
    pluginDir = args.option("plugin", defaultPluginDir());
    try {
        sampleRate = std::stod(args.option("rate", "44100"));
        blockSize = std::stoi(args.option("block", "512"));
        tempo = std::stod(args.option("tempo", "120"));
        pattern = std::stoi(args.option("pattern", "0"));
    } catch (const std::exception&) {
        usageError(command, "a numeric option has no number");
        return false;
    }
    if (sampleRate <= 0 || blockSize <= 0 || tempo <= 0 || pattern < 0 || pattern > 127) {
        usageError(command, "rate, block and tempo must be positive, the pattern 0..127");
        return false;
    }
    for (const std::string& line : args.options("config")) {
        configLines.push_back(line);
    }
    parameterSets = args.options("set");
    patternFile = args.option("pattern-file");
    return true;
}

Session::~Session() {
    host_.close();
    if (!privateDir_.empty()) {
        std::error_code ignored;
        fs::remove_all(privateDir_, ignored);
    }
}

bool Session::open(const SessionOptions& options, std::string& error) {
    options_ = options;
    std::string dir = options.pluginDir;
    if (!options.configLines.empty()) {
        // The installed folder stays as it is: settings go into a private copy.
        std::string pattern = (fs::temp_directory_path() / "vexo-session-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            error = "cannot create a temporary folder";
            return false;
        }
        privateDir_ = pattern;
        std::error_code failed;
        fs::copy(dir, privateDir_, fs::copy_options::recursive, failed);
        if (failed) {
            error = "cannot copy " + dir + ": " + failed.message();
            return false;
        }
        std::ofstream user(privateDir_ + "/User.ini", std::ios::app);
        for (const std::string& line : options.configLines) {
            user << line << "\n";
        }
        dir = privateDir_;
    }
    if (!host_.load(dir, error)) {
        return false;
    }
    host_.tempo = options.tempo;
    host_.open(options.sampleRate, options.blockSize);

    if (!options.patternFile.empty()) {
        std::vector<std::uint8_t> chunk = host_.getChunk();
        ChunkContents contents;
        if (readStateChunk(chunk.data(), chunk.size(), contents) == ChunkReadResult::TooShort) {
            error = "the plug-in returned no state chunk";
            return false;
        }
        Pattern& slot = contents.patterns[static_cast<std::size_t>(options.pattern)];
        if (!readPattern(slot, options.patternFile, nullptr)) {
            error = "cannot read " + options.patternFile;
            return false;
        }
        writeStateChunk(contents, chunk.data());
        host_.setChunk(chunk);
    }

    for (const std::string& set : options.parameterSets) {
        const std::size_t equals = set.find('=');
        bool found = false;
        if (equals != std::string::npos) {
            std::string name = set.substr(0, equals);
            const float value = std::strtof(set.c_str() + equals + 1, nullptr);
            for (int i = 0; i < kNumParameters; ++i) {
                std::string candidate = kParameterInfo[i].name;
                candidate.erase(candidate.find_last_not_of(' ') + 1);
                if (strcasecmp(candidate.c_str(), name.c_str()) == 0 || (name == std::to_string(i))) {
                    host_.setParameter(i, value);
                    found = true;
                }
            }
        }
        if (!found) {
            error = "unknown parameter in --set " + set;
            return false;
        }
    }
    host_.resume();
    return true;
}

long long Session::framesForBars(double bars) const {
    const double framesPerStep = options_.sampleRate / (options_.tempo / 60.0 * 4.0);
    return static_cast<long long>(bars * 16.0 * framesPerStep + 0.5);
}

void Session::renderHeld(long long frames, long long releaseFrame, std::vector<float>& left,
                         std::vector<float>& right) {
    left.assign(static_cast<std::size_t>(frames), 0.0f);
    right.assign(static_cast<std::size_t>(frames), 0.0f);
    const auto key = static_cast<std::uint8_t>(options_.pattern);
    for (long long first = 0; first < frames; first += options_.blockSize) {
        const int count = static_cast<int>(std::min<long long>(options_.blockSize, frames - first));
        std::vector<PluginHost::Message> events;
        if (first == 0) {
            events.push_back({0, 0x90, key, 100});
        }
        if (releaseFrame >= first && releaseFrame < first + count) {
            events.push_back({static_cast<int>(releaseFrame - first), 0x80, key, 0});
        }
        if (!events.empty()) {
            host_.sendEvents(events);
        }
        host_.process(left.data() + first, right.data() + first, count);
    }
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

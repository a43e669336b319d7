// Scripted renders: a sample rate, block size and length, a state chunk, parameter
// changes and MIDI events at absolute frames, replayed through a loaded plug-in exactly
// the way a host would deliver them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "PluginHost.h"

namespace vexo {

struct Scenario {
    struct ParameterChange {
        long long frame = -1;  // -1: before start-up completes
        int index = 0;
        float value = 0.0f;
    };
    struct Event {
        long long frame = 0;
        std::uint8_t status = 0, data1 = 0, data2 = 0;
    };

    double sampleRate = 44100.0;
    int blockSize = 512;
    long long frames = 0;
    std::vector<std::string> configLines;
    std::string chunkFile;  // relative to the scenario's folder
    std::vector<ParameterChange> parameters;
    std::vector<Event> events;
};

// Parses the text of a scenario; false with a message on a line it does not understand.
bool parseScenario(const std::string& text, Scenario& scenario, std::string& error);

struct ScenarioResult {
    std::vector<float> left;
    std::vector<float> right;
    std::vector<std::string> midiLog;  // one line per audioMasterProcessEvents call
};

// Replays the scenario through a loaded (not yet opened) plug-in. chunk may be empty.
ScenarioResult runScenario(PluginHost& host, const Scenario& scenario, const std::vector<std::uint8_t>& chunk);

// One line of the MIDI log: "blk B @F | DELTA ST D1 D2 | ..." or "pre B | ...".
std::string formatEventList(const ReceivedEventList& list);

}  // namespace vexo

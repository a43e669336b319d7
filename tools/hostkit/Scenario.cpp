#include "Scenario.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace vexo {

bool parseScenario(const std::string& text, Scenario& scenario, std::string& error) {
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        const std::size_t hash = line.find('#');
        if (hash != std::string::npos) {
            line.erase(hash);
        }
        std::istringstream in(line);
        std::string word;
        if (!(in >> word)) {
            continue;
        }
        bool ok = true;
        if (word == "samplerate") {
            ok = static_cast<bool>(in >> scenario.sampleRate);
        } else if (word == "blocksize") {
            ok = static_cast<bool>(in >> scenario.blockSize) && scenario.blockSize > 0;
        } else if (word == "frames") {
            ok = static_cast<bool>(in >> scenario.frames);
        } else if (word == "config") {
            std::string rest;
            std::getline(in, rest);
            scenario.configLines.push_back(rest.substr(rest.find_first_not_of(' ')));
        } else if (word == "chunk") {
            ok = static_cast<bool>(in >> scenario.chunkFile);
        } else if (word == "param") {
            Scenario::ParameterChange change;
            std::string first;
            in >> first;
            if (!first.empty() && first[0] == '@') {
                change.frame = std::stoll(first.substr(1));
                ok = static_cast<bool>(in >> change.index >> change.value);
            } else {
                change.index = std::stoi(first);
                ok = static_cast<bool>(in >> change.value);
            }
            scenario.parameters.push_back(change);
        } else if (word == "on" || word == "off" || word == "cc") {
            Scenario::Event event;
            int a = 0, b = 0;
            ok = static_cast<bool>(in >> event.frame >> a);
            if (word == "off") {
                event.status = 0x80;
            } else {
                ok = ok && static_cast<bool>(in >> b);
                event.status = word == "on" ? 0x90 : 0xB0;
            }
            event.data1 = static_cast<std::uint8_t>(a);
            event.data2 = static_cast<std::uint8_t>(b);
            scenario.events.push_back(event);
        } else {
            ok = false;
        }
        if (!ok) {
            error = "line " + std::to_string(number) + ": cannot read '" + line + "'";
            return false;
        }
    }
    return true;
}

std::string formatEventList(const ReceivedEventList& list) {
    char head[64];
    if (list.duringProcess) {
        std::snprintf(head, sizeof head, "blk %d @%lld", list.block, list.blockFrame);
    } else {
        std::snprintf(head, sizeof head, "pre %d", list.block);
    }
    std::string line = head;
    for (const ReceivedMidi& m : list.events) {
        char event[48];
        std::snprintf(event, sizeof event, " | %d %02x %02x %02x", m.deltaFrames, m.bytes[0], m.bytes[1], m.bytes[2]);
        line += event;
    }
    return line;
}

ScenarioResult runScenario(PluginHost& host, const Scenario& scenario, const std::vector<std::uint8_t>& chunk) {
    ScenarioResult result;
    host.open(scenario.sampleRate, scenario.blockSize);
    if (!chunk.empty()) {
        host.setChunk(chunk);
    }
    std::vector<bool> applied(scenario.parameters.size(), false);
    for (std::size_t i = 0; i < scenario.parameters.size(); ++i) {
        if (scenario.parameters[i].frame < 0) {
            host.setParameter(scenario.parameters[i].index, scenario.parameters[i].value);
            applied[i] = true;
        }
    }
    host.resume();

    result.left.resize(static_cast<std::size_t>(scenario.frames));
    result.right.resize(static_cast<std::size_t>(scenario.frames));
    for (long long first = 0; first < scenario.frames; first += scenario.blockSize) {
        const int count = static_cast<int>(std::min<long long>(scenario.blockSize, scenario.frames - first));
        for (std::size_t i = 0; i < scenario.parameters.size(); ++i) {
            if (!applied[i] && scenario.parameters[i].frame <= first) {
                host.setParameter(scenario.parameters[i].index, scenario.parameters[i].value);
                applied[i] = true;
            }
        }
        std::vector<PluginHost::Message> messages;
        for (const Scenario::Event& e : scenario.events) {
            if (e.frame >= first && e.frame < first + count) {
                messages.push_back({static_cast<int>(e.frame - first), e.status, e.data1, e.data2});
            }
        }
        if (!messages.empty()) {
            host.sendEvents(messages);
        }
        host.process(result.left.data() + first, result.right.data() + first, count);
    }
    host.close();
    for (const ReceivedEventList& list : host.received()) {
        result.midiLog.push_back(formatEventList(list));
    }
    return result;
}

}  // namespace vexo

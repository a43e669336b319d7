// A minimal LV2 host on lilv: loads one bundle, describes its plug-in and UIs, instantiates
// the plug-in with urid:map and urid:unmap, feeds it MIDI and time:Position events and
// control values, runs it block by block, records the MIDI it writes, and saves and
// restores its state.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "PluginHost.h"

namespace vexo {

struct Lv2PortInfo {
    std::uint32_t index = 0;
    std::string symbol;
    std::string name;
    std::string kind;  // "audio", "control" or "atom"
    bool input = false;
    float minimum = 0.0f, maximum = 0.0f, defaultValue = 0.0f;  // control ports
};

struct Lv2Description {
    std::string uri;
    std::string name;
    std::string binary;  // the module's path
    std::vector<std::string> requiredFeatures;
    std::vector<std::string> extensionData;
    std::vector<std::string> uis;  // "URI (class)"
    std::vector<Lv2PortInfo> ports;
};

// One property of a saved state.
struct Lv2StateProperty {
    std::string key;
    std::string type;
    std::vector<std::uint8_t> value;
};

class Lv2Host {
public:
    Lv2Host();
    ~Lv2Host();
    Lv2Host(const Lv2Host&) = delete;
    Lv2Host& operator=(const Lv2Host&) = delete;

    // Loads the bundle folder and finds the plug-in pluginUri in it. False with a message.
    bool load(const std::string& bundleDir, const std::string& pluginUri, std::string& error);
    const Lv2Description& description() const { return description_; }

    // Instantiates the plug-in (after load) and connects every port. False with a message
    // when the plug-in refuses.
    bool instantiate(double sampleRate, std::string& error);
    void activate();
    void deactivate();
    // The instance's handle, as instance-access hands it to UIs.
    void* handle() const;

    // For the next block: a control port's value, MIDI at a frame, a transport position.
    void setControl(std::uint32_t port, float value);
    float control(std::uint32_t port) const;
    void sendMidi(int frame, std::uint8_t status, std::uint8_t data1, std::uint8_t data2);
    void sendPosition(int frame, double beatsPerMinute, double speed, double bar, double barBeat);
    // Runs one block into left/right; the MIDI written is added to received().
    void run(float* left, float* right, int frames);
    // The three steps of run, for tests that watch the plug-in's part alone: the events
    // into the input port, the plug-in's run, the MIDI it wrote into received().
    void writeEvents(int frames);
    void runPlugin(float* left, float* right, int frames);
    void readMidiOut(int frames);
    const std::vector<ReceivedMidi>& received() const { return received_; }
    void clearReceived() { received_.clear(); }

    // The plug-in's state interface; empty / false when it has none or refuses.
    std::vector<Lv2StateProperty> saveState();
    bool restoreState(const std::vector<Lv2StateProperty>& properties);

    // Interns a URI (urid:map), as the plug-in sees it.
    std::uint32_t urid(const std::string& uri);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    Lv2Description description_;
    std::vector<ReceivedMidi> received_;
};

}  // namespace vexo

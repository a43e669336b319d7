// A minimal VST 2.4 host: loads a plug-in module with dlopen, calls its entry point,
// answers its callbacks, feeds it events and blocks, and records the MIDI it sends.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/vst2.h"

namespace vexo {

struct ReceivedMidi {
    int block = 0;             // index of the block during or before which it was sent
    long long blockFrame = 0;  // first frame of that block
    bool duringProcess = false;
    int deltaFrames = 0;
    std::uint8_t bytes[3] = {0, 0, 0};
    // Frame position within the whole render.
    long long frame() const { return blockFrame + deltaFrames; }
};

// One call of audioMasterProcessEvents.
struct ReceivedEventList {
    int block = 0;
    long long blockFrame = 0;
    bool duringProcess = false;
    std::vector<ReceivedMidi> events;
};

class PluginHost {
public:
    PluginHost() = default;
    ~PluginHost();
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    // Loads pluginDir/VEXO.so (or the given .so) and creates the plug-in. False with a
    // message when the module or its entry point is missing or the entry refuses.
    bool load(const std::string& pluginPath, std::string& error);
    AEffect* effect() const { return effect_; }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f);
    // effOpen, sample rate, block size.
    void open(double sampleRate, int blockSize);
    void resume() { dispatch(effMainsChanged, 0, 1); }
    void suspend() { dispatch(effMainsChanged, 0, 0); }
    void setParameter(int index, float value);
    float getParameter(int index);
    bool setChunk(const std::vector<std::uint8_t>& chunk, bool preset = false);
    std::vector<std::uint8_t> getChunk(bool preset = false);
    std::string text(VstInt32 opcode, VstInt32 index = 0);

    // Sends MIDI messages for the next block: (deltaFrames, status, data1, data2).
    struct Message {
        int deltaFrames;
        std::uint8_t status, data1, data2;
    };
    void sendEvents(const std::vector<Message>& messages);
    // Renders one block into left/right and advances the song position.
    void process(float* left, float* right, int frames);

    // Host transport as the plug-in sees it through audioMasterGetTime.
    double tempo = 120.0;
    bool timeInfoAvailable = true;
    double sampleRate() const { return sampleRate_; }
    long long position() const { return position_; }

    const std::vector<ReceivedEventList>& received() const { return received_; }
    std::vector<ReceivedMidi> receivedMessages() const;
    void clearReceived() { received_.clear(); }
    int automationCount() const { return automations_; }

    // effMainsChanged(0) and effClose; the module stays loaded until destruction.
    void close();

private:
    static VstIntPtr callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
    VstIntPtr handle(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

    void* module_ = nullptr;
    AEffect* effect_ = nullptr;
    double sampleRate_ = 44100.0;
    int blockSize_ = 512;
    long long position_ = 0;
    int blockIndex_ = 0;
    bool inProcess_ = false;
    VstTimeInfo timeInfo_{};
    std::vector<ReceivedEventList> received_;
    int automations_ = 0;
    std::vector<VstMidiEvent> pendingEvents_;
    std::vector<VstEvent*> pendingPointers_;
};

}  // namespace vexo

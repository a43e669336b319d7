// A SynthPlugin in a temporary plug-in folder, driven the way a host drives it, with a
// host callback that records what the plug-in sends.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "host/SynthPlugin.h"

namespace vexo::test {

struct SentMidi {
    int deltaFrames;
    int status, data1, data2;
    bool duringProcess;
    bool operator==(const SentMidi&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const SentMidi& m) {
    return out << "{" << m.deltaFrames << ": " << std::hex << m.status << " " << m.data1 << " " << m.data2 << std::dec
               << (m.duringProcess ? " in block" : " outside") << "}";
}

// What the recording host answers and remembers.
struct RecordingHost {
    double tempo = 120.0;
    bool provideTime = true;
    bool inProcess = false;
    VstTimeInfo time{};
    std::vector<SentMidi> midi;
    std::vector<int> listSizes;  // events per audioMasterProcessEvents call
    int wantMidiCalls = 0;
    std::vector<std::pair<int, float>> automations;
    std::vector<std::pair<int, bool>> edits;  // (parameter, true at begin / false at end)
    VstIntPtr versionAnswer = 2400;

    VstIntPtr handle(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
};

RecordingHost*& currentHost();
VstIntPtr recordingCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

// Builds plug-ins of type T (SynthPlugin or a test double derived from it).
class PluginFixture : public ::testing::Test {
protected:
    void SetUp() override { currentHost() = &host; }
    void TearDown() override {
        plugin.reset();
        currentHost() = nullptr;
    }

    // Writes a file into the plug-in folder before the plug-in is created.
    void writeConfig(const std::string& name, const std::string& text) { writeFile(folder.file(name), text); }

    template <class T = SynthPlugin>
    T& create() {
        auto made = std::make_unique<T>(&recordingCallback, folder.dir());
        T& ref = *made;
        made->getAeffect()->user = &host;
        plugin = std::move(made);
        return ref;
    }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f) {
        AEffect* e = plugin->getAeffect();
        return e->dispatcher(e, opcode, index, value, ptr, opt);
    }

    // Sends (deltaFrames, status, data1, data2) messages through processEvents.
    void sendMidi(const std::vector<std::array<int, 4>>& messages);
    // Renders one block into left/right (resized to frames).
    void process(int frames);
    // Renders frames in blocks of blockSize into left/right.
    void render(long long frames, int blockSize = 512);

    TempDir folder;
    RecordingHost host;
    std::unique_ptr<SynthPlugin> plugin;
    std::vector<float> left, right;
};

}  // namespace vexo::test

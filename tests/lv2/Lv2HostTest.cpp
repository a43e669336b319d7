// The LV2 build in a lilv host, against the VST build in the VST host: the same MIDI,
// tempo and parameter changes give the same samples and the same MIDI out, and the state
// an LV2 host saves is the VST chunk and comes back byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "Lv2Host.h"
#include "PluginHost.h"
#include "TestSupport.h"
#include "host/Parameters.h"
#include "host/StateChunk.h"
#include "lv2/Lv2Ports.h"

namespace vexo::test {
namespace {

namespace fs = std::filesystem;

constexpr double kRateHz = 44100.0;
constexpr int kBlockFrames = 512;
constexpr int kBlocks = 160;
constexpr double kHostTempoBpm = 133.0;
// Host sync, the sequencer's notes and the knobs' controllers sent on channel 1.
constexpr const char* kUserSettings = "SyncMode = 1\nMidiOutput = 1\nMidiOutputChannel = 0\nMidiTransmitKnobs = 1\n";

// One thing the test host does before or inside a block.
struct Step {
    int block;
    int frame;      // MIDI: frame in the block
    int parameter;  // >= 0: a parameter set before the block instead of MIDI
    std::uint8_t status, data1, data2;
    float value;
};

// Pattern key 5 held, a cutoff controller (CC 74) inside a block, two knob moves by the
// host, a second key while the first is held, and the release.
const Step kSequence[] = {
    {0, 100, -1, 0x90, 5, 100, 0.0f},  {20, 300, -1, 0xB0, 74, 90, 0.0f}, {40, 0, kResonance, 0, 0, 0, 0.7f},
    {41, 0, kWaveform, 0, 0, 0, 1.0f}, {60, 17, -1, 0x90, 9, 64, 0.0f},   {90, 400, -1, 0x80, 9, 0, 0.0f},
    {120, 7, -1, 0x80, 5, 0, 0.0f},
};

struct Render {
    std::vector<float> left, right;
    std::vector<ReceivedMidi> midi;
    std::vector<std::uint8_t> state;
};

void copyWithSettings(const std::string& from, const std::string& to) {
    fs::copy(from, to, fs::copy_options::recursive);
    writeFile(to + "/User.ini", kUserSettings);
}

Render renderVst(const std::string& folder) {
    PluginHost host;
    std::string error;
    EXPECT_TRUE(host.load(folder, error)) << error;
    host.tempo = kHostTempoBpm;
    host.open(kRateHz, kBlockFrames);
    host.resume();
    Render out;
    std::vector<float> left(kBlockFrames), right(kBlockFrames);
    for (int block = 0; block < kBlocks; ++block) {
        std::vector<PluginHost::Message> events;
        for (const Step& step : kSequence) {
            if (step.block == block && step.parameter >= 0) {
                host.setParameter(step.parameter, step.value);
            } else if (step.block == block) {
                events.push_back({step.frame, step.status, step.data1, step.data2});
            }
        }
        if (!events.empty()) {
            host.sendEvents(events);
        }
        host.process(left.data(), right.data(), kBlockFrames);
        out.left.insert(out.left.end(), left.begin(), left.end());
        out.right.insert(out.right.end(), right.begin(), right.end());
    }
    out.midi = host.receivedMessages();
    // A host keeps its events in frame order; within a frame, in the order sent.
    std::stable_sort(out.midi.begin(), out.midi.end(),
                     [](const ReceivedMidi& a, const ReceivedMidi& b) { return a.frame() < b.frame(); });
    out.state = host.getChunk();
    return out;
}

bool loadLv2(Lv2Host& host, const std::string& bundle) {
    std::string error;
    const bool loaded = host.load(bundle, lv2::kPluginUri, error) && host.instantiate(kRateHz, error);
    EXPECT_TRUE(loaded) << error;
    return loaded;
}

std::vector<std::uint8_t> savedChunk(Lv2Host& host) {
    const std::vector<Lv2StateProperty> state = host.saveState();
    if (state.size() != 1 || state[0].key != lv2::kStateChunkUri) {
        ADD_FAILURE() << "the saved state is not the one chunk property";
        return {};
    }
    EXPECT_EQ(state[0].type, "http://lv2plug.in/ns/ext/atom#Chunk");
    return state[0].value;
}

Render renderLv2(const std::string& bundle) {
    Lv2Host host;
    Render out;
    if (!loadLv2(host, bundle)) {
        return out;
    }
    host.activate();
    std::vector<float> left(kBlockFrames), right(kBlockFrames);
    for (int block = 0; block < kBlocks; ++block) {
        if (block == 0) {
            host.sendPosition(0, kHostTempoBpm, 1.0, 0.0, 0.0);
        }
        for (const Step& step : kSequence) {
            if (step.block == block && step.parameter >= 0) {
                host.setControl(lv2::kFirstParameterPort + static_cast<std::uint32_t>(step.parameter), step.value);
            } else if (step.block == block) {
                host.sendMidi(step.frame, step.status, step.data1, step.data2);
            }
        }
        host.run(left.data(), right.data(), kBlockFrames);
        out.left.insert(out.left.end(), left.begin(), left.end());
        out.right.insert(out.right.end(), right.begin(), right.end());
    }
    out.midi = host.received();
    out.state = savedChunk(host);
    host.deactivate();
    return out;
}

std::string describe(const std::vector<ReceivedMidi>& midi) {
    std::string text;
    for (const ReceivedMidi& m : midi) {
        char line[64];
        std::snprintf(line, sizeof line, "%lld: %02x %02x %02x\n", m.frame(), m.bytes[0], m.bytes[1], m.bytes[2]);
        text += line;
    }
    return text;
}

TEST(Lv2Host, RendersTheSameSamplesMidiAndStateAsTheVstBuild) {
    TempDir dir;
    copyWithSettings(VEXO_PLUGIN_DIR, dir.file("vst"));
    copyWithSettings(VEXO_LV2_DIR, dir.file(lv2::kBundleName));
    const Render vst = renderVst(dir.file("vst"));
    const Render lv2 = renderLv2(dir.file(lv2::kBundleName));

    ASSERT_EQ(lv2.left.size(), vst.left.size());
    EXPECT_GT(*std::max_element(vst.left.begin(), vst.left.end()), 0.01f) << "the sequence plays no sound";
    EXPECT_TRUE(lv2.left == vst.left && lv2.right == vst.right) << "the samples differ";
    ASSERT_GT(vst.midi.size(), 20u) << "the sequencer sent too little MIDI";
    EXPECT_EQ(describe(lv2.midi), describe(vst.midi));
    ASSERT_EQ(vst.state.size(), kChunkBytes);
    EXPECT_TRUE(lv2.state == vst.state) << "the saved state differs from the VST chunk";
}

TEST(Lv2Host, StateRoundTripsByteForByteAndOutlivesTheHostsPortValues) {
    TempDir dir;
    copyWithSettings(VEXO_LV2_DIR, dir.file(lv2::kBundleName));
    const Render played = renderLv2(dir.file(lv2::kBundleName));
    ASSERT_EQ(played.state.size(), kChunkBytes);

    Lv2Host host;
    ASSERT_TRUE(loadLv2(host, dir.file(lv2::kBundleName)));
    ASSERT_TRUE(host.restoreState({{lv2::kStateChunkUri, "http://lv2plug.in/ns/ext/atom#Chunk", played.state}}));
    EXPECT_TRUE(savedChunk(host) == played.state);
    // The host's ports still hold the defaults: the restored parameters stay.
    std::vector<float> left(kBlockFrames), right(kBlockFrames);
    host.activate();
    host.run(left.data(), right.data(), kBlockFrames);
    EXPECT_TRUE(savedChunk(host) == played.state);
    // A port the host moves afterwards counts.
    host.setControl(lv2::kFirstParameterPort + kCutoff, 0.125f);
    host.run(left.data(), right.data(), kBlockFrames);
    ChunkContents contents;
    const std::vector<std::uint8_t> moved = savedChunk(host);
    ASSERT_EQ(readStateChunk(moved.data(), moved.size(), contents), ChunkReadResult::Read);
    EXPECT_EQ(contents.programs[0].slots[kParameterInfo[kCutoff].programSlot], 0.125f);

    // Anything but a state chunk is refused and changes nothing.
    EXPECT_FALSE(host.restoreState({{lv2::kStateChunkUri, "http://lv2plug.in/ns/ext/atom#Chunk", {1, 2, 3}}}));
    EXPECT_TRUE(savedChunk(host) == moved);
}

// A host may move a port and save before the plug-in runs again (a scripted host, a
// bypassed plug-in): the state still holds the value the host shows and saves.
TEST(Lv2Host, SaveTakesAPortMovedSinceTheLastRun) {
    TempDir dir;
    const std::string bundle = dir.file(lv2::kBundleName);
    fs::copy(VEXO_LV2_DIR, bundle, fs::copy_options::recursive);
    constexpr float kMovedCutoff = 0.625f;
    std::vector<float> left(kBlockFrames), right(kBlockFrames);

    Lv2Host host;
    ASSERT_TRUE(loadLv2(host, bundle));
    host.activate();
    host.run(left.data(), right.data(), kBlockFrames);
    host.setControl(lv2::kFirstParameterPort + kCutoff, kMovedCutoff);
    const std::vector<std::uint8_t> saved = savedChunk(host);

    Lv2Host reloaded;
    ASSERT_TRUE(loadLv2(reloaded, bundle));
    ASSERT_TRUE(reloaded.restoreState({{lv2::kStateChunkUri, "http://lv2plug.in/ns/ext/atom#Chunk", saved}}));
    reloaded.activate();
    reloaded.run(left.data(), right.data(), kBlockFrames);
    const std::vector<std::uint8_t> resaved = savedChunk(reloaded);
    ChunkContents contents;
    ASSERT_EQ(readStateChunk(resaved.data(), resaved.size(), contents), ChunkReadResult::Read);
    EXPECT_EQ(contents.programs[0].slots[kParameterInfo[kCutoff].programSlot], kMovedCutoff);
}

}  // namespace
}  // namespace vexo::test

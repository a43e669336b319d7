// Several plug-in instances in one process, each on its own thread, created and destroyed
// in varied orders: the shared wavetables stay valid and every instance keeps playing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <thread>

#include "PluginFixture.h"

namespace vexo {
namespace {

VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

// Renders a held pattern and returns the output's peak.
double play(SynthPlugin& plugin, int blocks) {
    std::vector<float> left(256), right(256);
    float* outputs[2] = {left.data(), right.data()};
    plugin.setSampleRate(44100.0f);
    plugin.resume();
    plugin.handleMidi(0, 0x90, 0, 100);
    double peak = 0.0;
    for (int b = 0; b < blocks; ++b) {
        plugin.processReplacing(nullptr, outputs, 256);
        for (float v : left) {
            peak = std::max(peak, static_cast<double>(std::fabs(v)));
        }
    }
    return peak;
}

TEST(Instances, RunOnTheirOwnThreadsAndCloseInAnyOrder) {
    test::TempDir folder;
    test::copyPluginFolder(folder.path());
    constexpr int kInstances = 6;
    std::vector<std::unique_ptr<SynthPlugin>> plugins(kInstances);
    std::vector<double> peaks(kInstances, 0.0);

    // Created concurrently: whichever comes first loads the shared wavetables.
    {
        std::vector<std::thread> threads;
        for (int i = 0; i < kInstances; ++i) {
            threads.emplace_back([&, i] {
                plugins[static_cast<std::size_t>(i)] = std::make_unique<SynthPlugin>(&quietHost, folder.dir());
            });
        }
        for (auto& t : threads) {
            t.join();
        }
    }
    // Played concurrently; half of them are destroyed early, in reverse order, while the
    // others are still playing.
    {
        std::vector<std::thread> threads;
        for (int i = 0; i < kInstances; ++i) {
            threads.emplace_back([&, i] {
                auto& plugin = plugins[static_cast<std::size_t>(i)];
                peaks[static_cast<std::size_t>(i)] = play(*plugin, i % 2 == 0 ? 40 : 200);
                if (i % 2 == 0) {
                    plugin.reset();
                }
            });
        }
        for (auto& t : threads) {
            t.join();
        }
    }
    for (int i = 0; i < kInstances; ++i) {
        EXPECT_GT(peaks[static_cast<std::size_t>(i)], 0.01) << "instance " << i << " was silent";
    }
    // A new instance after others have gone still finds the tables.
    SynthPlugin late(&quietHost, folder.dir());
    EXPECT_GT(play(late, 40), 0.01);
    plugins.clear();
}

}  // namespace
}  // namespace vexo

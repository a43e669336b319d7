// MIDI produced outside the audio block waits in a lock-free queue and reaches the host
// only inside processReplacing.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <thread>

#include "PluginFixture.h"
#include "host/CrossThreadMidiQueue.h"

namespace vexo {
namespace {

TEST(CrossThreadMidiQueue, AFullQueueDropsItsOldestEchoesNeverARelease) {
    CrossThreadMidiQueue queue;
    std::vector<std::array<int, 3>> taken;
    auto drain = [&] {
        taken.clear();
        queue.drain([&](int status, int data1, int data2) { taken.push_back({status, data1, data2}); });
    };
    queue.push(0x80, 40, 0);
    for (int value = 0; value < 64; ++value) {
        queue.push(0xB0, 74, value);  // the 64th pushes out echo 0
    }
    EXPECT_TRUE(queue.push(0x90, 41, 0));  // and this one echo 1
    drain();
    ASSERT_EQ(taken.size(), 64u);
    EXPECT_EQ(taken[0], (std::array<int, 3>{0x80, 40, 0}));
    EXPECT_EQ(taken[1], (std::array<int, 3>{0xB0, 74, 2}));
    EXPECT_EQ(taken[63], (std::array<int, 3>{0x90, 41, 0}));

    for (int key = 0; key < 64; ++key) {
        queue.push(0x83, key, 0);
    }
    EXPECT_FALSE(queue.push(0xB3, 74, 1));  // no echo to push out
    EXPECT_FALSE(queue.push(0x85, 60, 0));  // a release without room ...
    drain();
    ASSERT_EQ(taken.size(), 65u);
    EXPECT_EQ(taken[63], (std::array<int, 3>{0x83, 63, 0}));
    EXPECT_EQ(taken[64], (std::array<int, 3>{0xB5, 123, 0}));  // ... is all notes off on its channel
}

// The editor turns Cutoff while the host automates Resonance between blocks on its audio
// thread: two producers at once. Their echoes arrive inside blocks, each in its order.
class CrossThreadEcho : public test::PluginFixture {};

TEST_F(CrossThreadEcho, KnobEchoFromTwoThreadsArrivesInsideTheNextBlocksInOrder) {
    test::copyPluginFolder(folder.path());
    writeConfig("Config.ini", "; echo\nMidiOutput = 1\nMidiOutputChannel = 0\nMidiTransmitKnobs = 1\n");
    create();
    plugin->resume();
    std::atomic<bool> turned{false};
    std::thread editor([&] {
        for (int value = 0; value <= 127; ++value) {
            plugin->setParameter(kCutoff, static_cast<float>(value) / 127.0f);
            std::this_thread::sleep_for(std::chrono::microseconds(100));  // a hand on the knob, while blocks run
        }
        turned = true;
    });
    for (int block = 0; !turned || block <= 127; ++block) {
        plugin->setParameter(kResonance, static_cast<float>(std::min(block, 127)) / 127.0f);
        process(64);
    }
    editor.join();
    process(64);

    std::map<int, int> last{{74, -1}, {76, -1}};
    for (const test::SentMidi& m : host.midi) {
        EXPECT_TRUE(m.duringProcess);
        EXPECT_EQ(m.deltaFrames, 0);
        ASSERT_TRUE(last.count(m.data1)) << m;
        EXPECT_GE(m.data2, last[m.data1]) << m;
        last[m.data1] = m.data2;
    }
    EXPECT_EQ(last[74], 127);
    EXPECT_EQ(last[76], 127);
}

}  // namespace
}  // namespace vexo

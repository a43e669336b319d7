// The block loop: events applied at their frame offsets between rendered slices, the
// tempo taken from the host, and the MIDI the plug-in sends back.
#include <gtest/gtest.h>

#include <random>

#include "PluginFixture.h"

namespace vexo {
namespace {

// Records the slices and events the block loop produces instead of rendering.
class SliceRecorder : public SynthPlugin {
public:
    using SynthPlugin::SynthPlugin;

    struct Entry {
        char kind;  // 'r' render, 'e' event
        int a, b;   // render: offset into the block, frames; event: data1, slice origin
        bool operator==(const Entry&) const = default;
    };
    std::vector<Entry> log;
    float* blockStart = nullptr;
    std::vector<int> queueOnEvent;  // notes queued by a handled event (data1 = how many)
    // Queued by the next slice, framesPastSlice frames after its end (a gate-off on a
    // slice's last frame is queued 1 frame after it, at 0 past its end).
    std::vector<std::array<int, 3>> queueAfterSlice;
    int framesPastSlice = 0;

    // Counts the slice's frames as a running step clock would.
    int renderVoice(float* outL, float*, int frames, bool) override {
        log.push_back({'r', static_cast<int>(outL - blockStart), frames});
        stepClock().sliceFrames += frames;
        for (const auto& m : queueAfterSlice) {
            queueMidi(stepClock().frameOffset() + framesPastSlice, m[0], m[1], m[2]);
        }
        queueAfterSlice.clear();
        return 1;
    }
    void handleMidi(int, int, int data1, int) override {
        log.push_back({'e', data1, stepClock().sliceOrigin});
        for (int i = 0; i < data1 % 4; ++i) {
            queueMidi(stepClock().frameOffset(), 0x90, 60 + i, 100);
        }
    }
};

std::ostream& operator<<(std::ostream& out, const SliceRecorder::Entry& e) {
    return out << e.kind << "(" << e.a << "," << e.b << ")";
}

class BlockLoop : public test::PluginFixture {
protected:
    SliceRecorder& recorder() { return static_cast<SliceRecorder&>(*plugin); }
    void SetUp() override {
        PluginFixture::SetUp();
        create<SliceRecorder>();
    }
    void run(int frames) {
        left.assign(static_cast<std::size_t>(frames), 0.0f);
        right.assign(static_cast<std::size_t>(frames), 0.0f);
        recorder().blockStart = left.data();
        float* outputs[2] = {left.data(), right.data()};
        host.inProcess = true;
        plugin->processReplacing(nullptr, outputs, frames);
        host.inProcess = false;
    }
    using Entry = SliceRecorder::Entry;
};

TEST_F(BlockLoop, BlockWithoutEventsIsOneSlice) {
    run(512);
    EXPECT_EQ(recorder().log, (std::vector<Entry>{{'r', 0, 512}}));
}

TEST_F(BlockLoop, EventsSplitTheBlockAtTheirOffsets) {
    sendMidi({{100, 0x90, 4, 1}, {300, 0x80, 8, 0}});
    run(512);
    EXPECT_EQ(recorder().log,
              (std::vector<Entry>{{'r', 0, 100}, {'e', 4, 0}, {'r', 100, 200}, {'e', 8, 100}, {'r', 300, 212}}));
}

TEST_F(BlockLoop, EqualOffsetsKeepHostOrderAndOffsetZeroComesFirst) {
    sendMidi({{50, 0x90, 12, 1}, {0, 0x90, 20, 1}, {50, 0x90, 16, 1}, {0, 0x90, 24, 1}});
    run(64);
    EXPECT_EQ(
        recorder().log,
        (std::vector<Entry>{{'e', 20, 0}, {'e', 24, 0}, {'r', 0, 50}, {'e', 12, 0}, {'e', 16, 50}, {'r', 50, 14}}));
}

TEST_F(BlockLoop, KeepsTheFirst64EventsSorted) {
    std::vector<std::array<int, 4>> events;
    for (int i = 0; i < 100; ++i) {
        events.push_back({99 - i, 0x90, i, 1});  // later host positions have earlier offsets
    }
    sendMidi(events);
    run(128);
    std::vector<int> applied;
    for (const Entry& e : recorder().log) {
        if (e.kind == 'e') {
            applied.push_back(e.a);
        }
    }
    std::vector<int> expected;
    for (int i = 63; i >= 0; --i) {
        expected.push_back(i);  // the first 64 of the list, by ascending offset
    }
    EXPECT_EQ(applied, expected);
}

TEST_F(BlockLoop, OffsetsOutsideTheBlockAreAppliedAtItsEdges) {
    sendMidi({{-5, 0x90, 4, 1}, {900, 0x90, 8, 1}});
    run(256);
    EXPECT_EQ(recorder().log, (std::vector<Entry>{{'e', 4, 0}, {'r', 0, 255}, {'e', 8, 0}, {'r', 255, 1}}));
}

TEST_F(BlockLoop, EventsNeverReachALaterBlock) {
    sendMidi({{10, 0x90, 4, 1}});
    run(64);
    recorder().log.clear();
    run(64);
    EXPECT_EQ(recorder().log, (std::vector<Entry>{{'r', 0, 64}}));
}

TEST_F(BlockLoop, QueuedMidiGoesOutAfterEachEventAtItsFrameOffset) {
    sendMidi({{10, 0x90, 2, 1}, {40, 0x90, 1, 1}});
    run(64);
    EXPECT_EQ(host.listSizes, (std::vector<int>{2, 1}));
    ASSERT_EQ(host.midi.size(), 3u);
    EXPECT_EQ(host.midi[0], (test::SentMidi{10, 0x90, 60, 100, true}));
    EXPECT_EQ(host.midi[1], (test::SentMidi{10, 0x90, 61, 100, true}));
    EXPECT_EQ(host.midi[2], (test::SentMidi{40, 0x90, 60, 100, true}));
}

TEST_F(BlockLoop, TempoComesFromTheHostOnlyInHostSync) {
    host.tempo = 140.0;
    run(16);
    EXPECT_EQ(plugin->stepClock().tempo, 120.0);
    plugin->settings().syncMode = 1;
    run(16);
    EXPECT_EQ(plugin->stepClock().tempo, 140.0);
    EXPECT_DOUBLE_EQ(plugin->stepClock().samplesPerStep, 44100.0 / (140.0 / 60.0 * 4.0));
    host.tempo = 0.0;
    run(16);
    EXPECT_EQ(plugin->stepClock().tempo, 1e-6);
    host.provideTime = false;
    host.tempo = 90.0;
    run(16);
    EXPECT_EQ(plugin->stepClock().tempo, 1e-6);
}

TEST(OutputEventQueue, DropsEventsBeyondItsCapacity) {
    OutputEventQueue queue;
    for (int i = 0; i < 70; ++i) {
        queue.push(i, 0x90, i, 1);
    }
    ASSERT_EQ(queue.size(), 64);
    EXPECT_EQ(queue[63].deltaFrames, 63);
    const auto* list = reinterpret_cast<const VstEventList<64>*>(queue.list());
    EXPECT_EQ(list->numEvents, 64);
    const auto* last = reinterpret_cast<const VstMidiEvent*>(list->events[63]);
    EXPECT_EQ(last->type, kVstMidiType);
    EXPECT_EQ(last->byteSize, 32);
    EXPECT_EQ(last->midiData[1], 63);
}

TEST_F(BlockLoop, SendMidiNowOutsideABlockWaitsForTheNextOne) {
    EXPECT_FALSE(plugin->sendMidiNow(0, 0xB0, 123, 0));  // channel -1: nothing is sent
    plugin->settings().midiOutputChannel = 0;
    EXPECT_TRUE(plugin->sendMidiNow(3, 0xB0, 123, 0));
    plugin->queueMidi(5, 0x80, 40, 0);
    EXPECT_TRUE(host.midi.empty());
    run(16);
    EXPECT_EQ(host.midi, (std::vector<test::SentMidi>{{0, 0xB0, 123, 0, true}, {0, 0x80, 40, 0, true}}));
}

TEST_F(BlockLoop, EventsPastTheBlockEndKeepTheirTimeUntilASuspendSendsThemNoteOffsFirst) {
    recorder().queueAfterSlice = {{0x90, 40, 100}, {0x80, 36, 0}};
    recorder().framesPastSlice = 20;  // frame 84 of the render
    run(64);
    run(16);
    run(32);
    EXPECT_EQ(host.midi, (std::vector<test::SentMidi>{{4, 0x90, 40, 100, true}, {4, 0x80, 36, 0, true}}));
    host.midi.clear();
    recorder().queueAfterSlice = {{0x90, 41, 100}, {0x80, 37, 0}};
    run(32);
    plugin->suspend();
    plugin->resume();
    run(64);
    EXPECT_EQ(host.midi, (std::vector<test::SentMidi>{{0, 0x80, 37, 0, true}, {0, 0x90, 41, 100, true}}));
}

TEST_F(BlockLoop, ResumeStopsTheSequencerAndAsksForMidi) {
    plugin->stepClock().start();
    plugin->noteState().noteGate = 1;
    plugin->noteState().prevSlide = 1;
    plugin->resume();
    EXPECT_FALSE(plugin->stepClock().playing());
    EXPECT_EQ(plugin->noteState().noteGate, 0);
    EXPECT_EQ(plugin->noteState().prevSlide, 0);
    EXPECT_EQ(host.wantMidiCalls, 1);
}

class SequencerMidiOut : public test::PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        test::copyPluginFolder(folder.path());
    }
    // Pattern 0 of the shipped bank (gates, slides, accents), its key held through blocks
    // of the given sizes: {frame in the whole render, status, data1, data2} of every
    // message, each of which must lie inside its block.
    std::vector<std::array<long long, 4>> play(const std::vector<int>& sizes) {
        create();
        plugin->settings().midiOutput = 1;
        plugin->settings().midiOutputChannel = 0;
        sendMidi({{0, 0x90, 0, 100}});
        std::vector<std::array<long long, 4>> sent;
        long long start = 0;
        for (int frames : sizes) {
            const std::size_t before = host.midi.size();
            process(frames);
            for (std::size_t i = before; i < host.midi.size(); ++i) {
                const test::SentMidi& m = host.midi[i];
                EXPECT_TRUE(m.duringProcess && m.deltaFrames >= 0 && m.deltaFrames < frames)
                    << m << " block " << frames;
                sent.push_back({start + m.deltaFrames, m.status, m.data1, m.data2});
            }
            start += frames;
        }
        host.midi.clear();
        return sent;
    }
};

TEST_F(SequencerMidiOut, GatesClosingOnBlockEndsKeepTheirFrames) {
    const int total = 3 * 44100;
    std::vector<int> hostBlocks(total / 4096, 4096);
    hostBlocks.push_back(total % 4096);
    const auto reference = play(hostBlocks);
    // Random blocks of 1..512 frames, cut so that every gate closes on a block's last frame:
    // its note-off, queued one frame later, belongs to the next block's first.
    std::mt19937 random(19);
    std::vector<int> sizes;
    long long at = 0;
    auto cutAt = [&](long long end) {
        while (at < end) {
            sizes.push_back(static_cast<int>(std::min<long long>(1 + random() % 512, end - at)));
            at += sizes.back();
        }
    };
    int noteOffs = 0;
    for (const auto& m : reference) {
        if (m[1] == 0x80) {
            cutAt(m[0]);
            ++noteOffs;
        }
    }
    cutAt(total);
    ASSERT_GE(noteOffs, 8);
    EXPECT_EQ(play(sizes), reference);
}

}  // namespace
}  // namespace vexo

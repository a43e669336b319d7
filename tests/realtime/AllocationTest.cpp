// The audio thread never allocates: every heap allocation of this test program is
// counted while processEvents and processReplacing run.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <random>

#include "Lv2Host.h"
#include "PluginFixture.h"
#include "lv2/Lv2Ports.h"

namespace {

thread_local bool countingAllocations = false;
std::atomic<long> allocations{0};

void noteAllocation() {
    if (countingAllocations) {
        allocations.fetch_add(1, std::memory_order_relaxed);
    }
}

}  // namespace

void* operator new(std::size_t size) {
    noteAllocation();
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    noteAllocation();
    return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// C allocations too, through glibc's own entry points (sanitizers replace these).
extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* malloc(std::size_t size) {
    noteAllocation();
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) {
    noteAllocation();
    return __libc_calloc(count, size);
}
void* realloc(void* p, std::size_t size) {
    noteAllocation();
    return __libc_realloc(p, size);
}
}
#endif

namespace vexo {
namespace {

class AudioThread : public test::PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        test::copyPluginFolder(folder.path());
        writeConfig("Config.ini", "; realtime test\nMidiOutput = 1\nMidiOutputChannel = 0\nMidiTransmitKnobs = 1\n");
        create();
        for (int p = 0; p < 4; ++p) {
            Pattern& pattern = plugin->bank().pattern(p);
            pattern.setLength(16);
            pattern.setShuffle(p * 30);
            pattern.setTriplet(p == 3);
            for (int i = 0; i < 16; ++i) {
                pattern.setStep(i,
                                Step{static_cast<std::uint8_t>((i * 5) % 13),
                                     static_cast<std::uint8_t>(StepFlags::Gate | (i % 3 == 0 ? StepFlags::Slide : 0) |
                                                               (i % 4 == 1 ? StepFlags::Accent : 0))});
            }
        }
        plugin->setSampleRate(44100.0f);
        plugin->resume();
        // The recording host stores what it receives; room made now keeps its own
        // bookkeeping out of the count.
        host.midi.reserve(1 << 20);
        host.listSizes.reserve(1 << 20);
    }
};

TEST_F(AudioThread, ThousandsOfBlocksWithEventsAllocateNothing) {
    std::mt19937 random(7);
    std::vector<float> outL(4096), outR(4096);
    float* outputs[2] = {outL.data(), outR.data()};
    std::vector<VstMidiEvent> events(40);
    std::vector<std::uint8_t> listStorage(sizeof(VstEvents) + sizeof(VstEvent*) * events.size());
    auto* list = reinterpret_cast<VstEvents*>(listStorage.data());

    long total = 0;
    for (int block = 0; block < 4000; ++block) {
        const int frames = 1 + static_cast<int>(random() % 1024);
        const int count = static_cast<int>(random() % 6);
        for (int i = 0; i < count; ++i) {
            VstMidiEvent& e = events[static_cast<std::size_t>(i)];
            e = VstMidiEvent{};
            e.type = kVstMidiType;
            e.byteSize = sizeof e;
            e.deltaFrames = static_cast<int>(random() % static_cast<unsigned>(frames));
            const int kind = static_cast<int>(random() % 5);
            const int statuses[] = {0x90, 0x80, 0xB0, 0xB0, 0x90};
            e.midiData[0] = static_cast<char>(statuses[kind]);
            e.midiData[1] = static_cast<char>(kind >= 2 && kind <= 3 ? 70 + random() % 60 : random() % 6);
            e.midiData[2] = static_cast<char>(random() % 128);
            VstEvent* pointer = reinterpret_cast<VstEvent*>(&e);
            std::memcpy(reinterpret_cast<char*>(list->events) + static_cast<std::size_t>(i) * sizeof pointer, &pointer,
                        sizeof pointer);
        }
        list->numEvents = count;
        plugin->settings().midiMode = block % 500 < 400 ? 0 : 2;

        allocations = 0;
        countingAllocations = true;
        plugin->processEvents(list);
        if (block % 50 == 0) {
            plugin->setParameter(static_cast<int>(random() % 13), static_cast<float>(random() % 1000) / 999.0f);
        }
        if (block % 700 == 0) {
            plugin->setProgram(static_cast<int>(random() % 16));
        }
        plugin->processReplacing(nullptr, outputs, frames);
        countingAllocations = false;
        total += allocations;
        ASSERT_EQ(allocations, 0) << "block " << block;
    }
    EXPECT_EQ(total, 0);
    EXPECT_FALSE(host.midi.empty());  // the sequencer really ran and sent notes
}

// The LV2 module's run: more events than the block loop takes at once, transport
// positions inside blocks and moving control ports, all without an allocation.
TEST(Lv2AudioThread, ThousandsOfRunsWithEventsAllocateNothing) {
    test::TempDir dir;
    const std::string bundle = dir.file(lv2::kBundleName);
    std::filesystem::copy(VEXO_LV2_DIR, bundle, std::filesystem::copy_options::recursive);
    test::writeFile(bundle + "/User.ini",
                    "MidiOutput = 1\nMidiOutputChannel = 0\nMidiTransmitKnobs = 1\nSyncMode = 1\n");
    Lv2Host host;
    std::string error;
    ASSERT_TRUE(host.load(bundle, lv2::kPluginUri, error) && host.instantiate(48000.0, error)) << error;
    host.activate();

    std::mt19937 random(11);
    std::vector<float> left(2048), right(2048);
    std::size_t sent = 0;
    for (int block = 0; block < 2000; ++block) {
        const int frames = 1 + static_cast<int>(random() % 2048);
        const int count = block % 10 == 0 ? 100 : static_cast<int>(random() % 6);
        for (int i = 0; i < count; ++i) {
            const std::uint8_t statuses[] = {0x90, 0x80, 0xB0};
            const std::uint8_t status = statuses[random() % 3];
            host.sendMidi(static_cast<int>(random() % static_cast<unsigned>(frames)), status,
                          static_cast<std::uint8_t>(status == 0xB0 ? 70 + random() % 12 : random() % 6),
                          static_cast<std::uint8_t>(random() % 128));
        }
        if (block % 100 == 0) {
            host.sendPosition(static_cast<int>(random() % static_cast<unsigned>(frames)), 60.0 + random() % 120, 1.0,
                              block / 10, 0.5);
        }
        if (block % 50 == 0) {
            host.setControl(lv2::kFirstParameterPort + random() % kNumParameters,
                            static_cast<float>(random() % 1000) / 999.0f);
        }
        host.writeEvents(frames);
        allocations = 0;
        countingAllocations = true;
        host.runPlugin(left.data(), right.data(), frames);
        countingAllocations = false;
        ASSERT_EQ(allocations, 0) << "block " << block;
        host.readMidiOut(frames);
        sent += host.received().size();
        host.clearReceived();
    }
    EXPECT_GT(sent, 0u);  // the sequencer really ran and sent notes
    host.deactivate();
}

}  // namespace
}  // namespace vexo

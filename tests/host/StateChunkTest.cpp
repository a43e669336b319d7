// The 20128-byte state chunk: layout, round trip, the other byte order, bad chunks.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>

#include "PluginFixture.h"

namespace vexo {
namespace {

std::uint32_t wordAt(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    return std::uint32_t{bytes[offset]} | (std::uint32_t{bytes[offset + 1]} << 8) |
           (std::uint32_t{bytes[offset + 2]} << 16) | (std::uint32_t{bytes[offset + 3]} << 24);
}

void putBigEndian(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
    bytes[offset] = static_cast<std::uint8_t>(value >> 24);
    bytes[offset + 1] = static_cast<std::uint8_t>(value >> 16);
    bytes[offset + 2] = static_cast<std::uint8_t>(value >> 8);
    bytes[offset + 3] = static_cast<std::uint8_t>(value);
}

class StateChunk : public test::PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        create();
    }
    std::vector<std::uint8_t> chunk() {
        void* data = nullptr;
        const VstInt32 size = plugin->getChunk(&data, false);
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        return std::vector<std::uint8_t>(bytes, bytes + size);
    }
    void load(std::vector<std::uint8_t> bytes, VstInt32 size = -1) {
        EXPECT_EQ(plugin->setChunk(bytes.data(), size < 0 ? static_cast<VstInt32>(bytes.size()) : size, false),
                  size < 0 ? static_cast<VstInt32>(bytes.size()) : size);
    }
    // A state that differs from a new plug-in everywhere the chunk reaches.
    void makeDistinctState() {
        Pattern& p = plugin->bank().pattern(5);
        p.header = 0x80000310;
        p.setStep(0, Step{7, StepFlags::Gate | StepFlags::Accent});
        p.setStep(63, Step{12, StepFlags::Tie});
        plugin->setProgram(3);
        char name[] = "Acid";
        plugin->setProgramName(name);
        plugin->setParameter(kCutoff, 0.25f);
        plugin->selectPattern(5);
        Settings& s = plugin->settings();
        s.midiMode = 2;
        s.syncMode = 1;
        s.highpass = 1;
        s.filterMode = 2;
        s.midiOutput = 1;
        s.clockSync = 1;
        s.midiTransmitKnobs = 1;
        s.filterSlope18 = 1;
        s.tuningMode = 1;
        plugin->bank().setSelectLock(true);
        plugin->setProgrammingPosition(9);
    }
};

TEST_F(StateChunk, LayoutOfTheWrittenChunk) {
    makeDistinctState();
    const std::vector<std::uint8_t> bytes = chunk();
    ASSERT_EQ(bytes.size(), 20128u);
    EXPECT_EQ(wordAt(bytes, 0), 200u);
    EXPECT_EQ(wordAt(bytes, 4), 20120u);
    EXPECT_EQ(wordAt(bytes, 8 + 5 * 132), 0x80000310u);
    EXPECT_EQ(bytes[8 + 5 * 132 + 4], 7);
    EXPECT_EQ(bytes[8 + 5 * 132 + 5], StepFlags::Gate | StepFlags::Accent);
    const std::size_t program3 = 16904 + 3 * 196;
    EXPECT_STREQ(reinterpret_cast<const char*>(&bytes[program3]), "Acid");
    EXPECT_EQ(std::bit_cast<float>(wordAt(bytes, program3 + 24)), 0.25f);  // slot 0: Cutoff
    EXPECT_EQ(wordAt(bytes, 20040), 2u);                                   // MidiMode
    EXPECT_EQ(wordAt(bytes, 20044), 1u);                                   // SyncMode
    EXPECT_EQ(wordAt(bytes, 20048), 9u);                                   // programming position
    EXPECT_EQ(wordAt(bytes, 20052), 5u);                                   // current pattern
    EXPECT_EQ(wordAt(bytes, 20060), 3u);                                   // current program
    EXPECT_EQ(wordAt(bytes, 20064), 0b111110111u);  // slope, tuning, highpass, mode 2, out, lock, sync, knobs
    for (std::size_t w = 7; w < 22; ++w) {
        EXPECT_EQ(wordAt(bytes, 20040 + 4 * w), 0u);
    }
}

TEST_F(StateChunk, RoundTripRestoresStateButNotSlopeAndTuning) {
    makeDistinctState();
    const std::vector<std::uint8_t> saved = chunk();

    create();  // a fresh plug-in takes the saved state
    load(saved);
    EXPECT_EQ(plugin->bank().pattern(5).header, 0x80000310u);
    EXPECT_EQ(plugin->bank().pattern(5).step(63), (Step{12, StepFlags::Tie}));
    EXPECT_EQ(plugin->bank().currentPattern(), 5);
    EXPECT_EQ(plugin->getProgram(), 3);
    EXPECT_EQ(plugin->getParameter(kCutoff), 0.25f);
    EXPECT_EQ(plugin->programmingPosition(), 9);
    const Settings& s = plugin->settings();
    EXPECT_EQ(s.midiMode, 2);
    EXPECT_EQ(s.syncMode, 1);
    EXPECT_EQ(s.highpass, 1);
    EXPECT_EQ(s.filterMode, 2);
    EXPECT_EQ(s.midiOutput, 1);
    EXPECT_EQ(s.clockSync, 1);
    EXPECT_EQ(s.midiTransmitKnobs, 1);
    EXPECT_TRUE(plugin->bank().selectLock());
    EXPECT_EQ(s.filterSlope18, 0);  // written, not restored
    EXPECT_EQ(s.tuningMode, 0);
    // Saving again gives the same bytes but for the two switches that were not taken.
    std::vector<std::uint8_t> again = chunk();
    again[20064] |= 0b11;
    EXPECT_EQ(again, saved);
}

TEST_F(StateChunk, OtherByteOrderIsReadWithoutCorruptingNames) {
    makeDistinctState();
    std::vector<std::uint8_t> bytes = chunk();
    // Rewrite every word big-endian: header, pattern headers, program floats, settings.
    auto swapWord = [&](std::size_t offset) { putBigEndian(bytes, offset, wordAt(bytes, offset)); };
    swapWord(0);
    swapWord(4);
    for (int p = 0; p < 128; ++p) {
        swapWord(8 + 132 * static_cast<std::size_t>(p));
    }
    for (int program = 0; program < 16; ++program) {
        for (int slot = 0; slot < 13; ++slot) {
            swapWord(16904 + 196 * static_cast<std::size_t>(program) + 24 + 4 * static_cast<std::size_t>(slot));
        }
    }
    for (int w = 0; w < 22; ++w) {
        swapWord(20040 + 4 * static_cast<std::size_t>(w));
    }
    ASSERT_EQ(wordAt(bytes, 0), 0xC8000000u);

    create();
    load(bytes);
    EXPECT_EQ(plugin->bank().pattern(5).header, 0x80000310u);
    EXPECT_EQ(plugin->bank().pattern(5).step(0), (Step{7, StepFlags::Gate | StepFlags::Accent}));
    EXPECT_EQ(plugin->getProgram(), 3);
    EXPECT_EQ(plugin->getParameter(kCutoff), 0.25f);
    EXPECT_EQ(plugin->program(15).slots[5], 0.75f);  // every program's floats, not only the first
    char name[64];
    plugin->getProgramName(name);
    EXPECT_STREQ(name, "Acid");
    EXPECT_EQ(plugin->settings().midiMode, 2);
    EXPECT_EQ(plugin->settings().filterMode, 2);
}

TEST_F(StateChunk, ShortNullOrUnknownChunksTakeNothing) {
    makeDistinctState();
    std::vector<std::uint8_t> other(20128, 0);
    other[0] = 200;
    other[4] = 0x98;
    other[5] = 0x4e;

    // Shorter than a chunk: nothing is read, not even from the host's buffer beyond size.
    std::vector<std::uint8_t> shortChunk(other.begin(), other.begin() + 1000);
    EXPECT_EQ(plugin->setChunk(shortChunk.data(), static_cast<VstInt32>(shortChunk.size()), false), 1000);
    EXPECT_EQ(plugin->setChunk(nullptr, 20128, false), 20128);
    std::vector<std::uint8_t> unknown = other;
    unknown[0] = 201;
    load(unknown);
    EXPECT_EQ(plugin->bank().pattern(5).header, 0x80000310u);
    EXPECT_EQ(plugin->bank().currentPattern(), 5);
}

// Counts the parameter values pushed into the plug-in.
class CountingPlugin : public SynthPlugin {
public:
    using SynthPlugin::SynthPlugin;
    int changes = 0;

protected:
    void parameterChanged(int, float) override { ++changes; }
};

TEST_F(StateChunk, CurrentProgramIsReappliedInEveryCase) {
    auto& counting = create<CountingPlugin>();
    std::vector<std::uint8_t> bytes(20128, 0);
    for (VstInt32 size : {20128, 10}) {
        counting.changes = 0;
        counting.setChunk(bytes.data(), size, false);  // unknown tag 0, then too short
        EXPECT_EQ(counting.changes, 13);
    }
}

TEST_F(StateChunk, IndicesOutOfRangeAreBroughtIntoRange) {
    std::vector<std::uint8_t> bytes = chunk();
    bytes[20052] = 0xC8;  // current pattern 200
    bytes[20060] = 0x40;  // current program 64
    bytes[20048] = 0x90;  // programming position 144
    load(bytes);
    EXPECT_EQ(plugin->bank().currentPattern(), 127);
    EXPECT_EQ(plugin->getProgram(), 15);
    EXPECT_EQ(plugin->programmingPosition(), 63);
    for (int b = 0; b < 4; ++b) {
        bytes[20052 + b] = 0xFF;  // -1
        bytes[20060 + b] = 0xFF;
    }
    load(bytes);
    EXPECT_EQ(plugin->bank().currentPattern(), 0);
    EXPECT_EQ(plugin->getProgram(), 0);
}

TEST_F(StateChunk, OverlongStoredNamesAreCut) {
    std::vector<std::uint8_t> bytes = chunk();
    std::memset(&bytes[16904], 'A', 24);  // no terminator in the stored name
    load(bytes);
    char name[64];
    plugin->getProgramName(name);
    EXPECT_EQ(std::string(name), std::string(23, 'A'));
}

}  // namespace
}  // namespace vexo

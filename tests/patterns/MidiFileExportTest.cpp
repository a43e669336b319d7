#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "host/SynthPlugin.h"
#include "patterns/MidiFileExport.h"

namespace vexo {
namespace {

// Reads back a file the way a sequencer would, apart from the writer: checks the framing,
// the track length, every status byte and End of Track, and lists the notes as
// "tick+key/velocity" (on) or "tick-key/velocity" (off), ticks absolute.
std::string readSmf(const std::string& b) {
    auto u8 = [&](std::size_t at) { return at < b.size() ? static_cast<unsigned char>(b[at]) : 0u; };
    const std::size_t trackLength = u8(18) << 24 | u8(19) << 16 | u8(20) << 8 | u8(21);
    if (b.compare(0, 12, std::string("MThd\0\0\0\x06\0\0\0\x01", 12)) != 0 || b.compare(14, 4, "MTrk") != 0 ||
        trackLength != b.size() - 22) {
        return "bad header";
    }
    std::string notes;
    std::uint32_t tick = 0;
    for (std::size_t at = 22; at < b.size(); at += 3) {
        std::uint32_t delta = 0;
        for (unsigned byte = 0x80; byte & 0x80; ++at) {
            byte = u8(at);
            delta = (delta << 7) | (byte & 0x7f);
        }
        tick += delta;
        if (u8(at) == 0xff) {
            const bool end = delta == 0 && u8(at + 1) == 0x2f && u8(at + 2) == 0 && at + 3 == b.size();
            return end ? notes.substr(0, notes.empty() ? 0 : notes.size() - 1) : "bad End of Track";
        }
        if (u8(at) != 0x90 && u8(at) != 0x80) {
            return "bad status";
        }
        notes += std::to_string(tick) + (u8(at) == 0x90 ? "+" : "-") + std::to_string(u8(at + 1)) + "/" +
                 std::to_string(u8(at + 2)) + " ";
    }
    return "no End of Track";
}

constexpr std::uint8_t G = StepFlags::Gate, S = StepFlags::Slide, A = StepFlags::Accent;

Pattern makePattern(const std::vector<Step>& steps, bool triplet = false) {
    Pattern p;
    p.setLength(static_cast<int>(steps.size()));
    p.setTriplet(triplet);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        p.setStep(static_cast<int>(i), steps[i]);
    }
    return p;
}

TEST(MidiFileExport, SixteenPlainSteps) {
    Pattern p;
    std::string expected;
    for (int i = 0; i < 16; ++i) {
        p.setStep(i, Step{0, G});
        expected += std::to_string(24 * i) + "+36/99 " + std::to_string(24 * i + 12) + "-36/99 ";
    }
    const std::string bytes = patternToMidiFile(p, 0, 100);
    EXPECT_EQ(bytes.substr(0, 14), std::string("MThd\0\0\0\x06\0\0\0\x01\0\x60", 14));
    EXPECT_EQ(readSmf(bytes) + " ", expected);
    // Deltas 0, 12, 12, ...: each event is one delta byte, status, key and velocity.
    EXPECT_EQ(bytes.substr(22, 8), std::string("\x00\x90\x24\x63\x0c\x80\x24\x63", 8));
    EXPECT_EQ(bytes.size(), 22u + 32 * 4 + 4);
}

TEST(MidiFileExport, WorkedCases) {
    const struct {
        const char* name;
        std::vector<Step> steps;
        int accentVelocity;
        bool triplet;
        const char* notes;
    } cases[] = {
        {"slide c to e, both off in e, c first",
         {{0, G | S}, {4, G}},
         100,
         false,
         "0+36/99 24+40/99 36-36/99 36-40/99"},
        {"notes off in key order", {{4, G | S}, {2, G}}, 100, false, "0+40/99 24+38/99 36-38/99 36-40/99"},
        {"slide into the same pitch", {{0, G | S}, {0, G}}, 100, false, "0+36/99 36-36/99"},
        {"rests after a slide", {{0, G | S}, {0, 0}, {7, 0}, {2, G}}, 100, false, "0+36/99 72+38/99 84-36/99 84-38/99"},
        {"slide on the last step", {{0, G}, {4, G | S}}, 100, false, "0+36/99 12-36/99 24+40/99"},
        {"slide before final rests", {{0, G | S}, {0, 0}}, 100, false, "0+36/99"},
        {"accent carried through slides, not by a rest",
         {{0, G | A | S}, {2, G | S}, {4, G}, {0, G}, {0, A}, {2, G}},
         100,
         false,
         "0+36/127 24+38/127 48+40/127 60-36/127 60-38/127 60-40/127 72+36/99 84-36/99 120+38/99 132-38/99"},
        {"triplet: 16-tick half-steps", {{0, G}, {0, G}}, 100, true, "0+36/99 16-36/99 32+36/99 48-36/99"},
        {"no gated step", {{0, A}, {4, S}, {7, 0}}, 100, false, ""},
        {"AccentVelocity 0", {{0, G}, {0, G | A}}, 0, false, "0+36/1 12-36/1 24+36/127 36-36/127"},
        {"AccentVelocity 1", {{0, G}}, 1, false, "0+36/1 12-36/1"},
        {"AccentVelocity above 128", {{0, G}}, 500, false, "0+36/127 12-36/127"},
        {"low five note bits, octave flags",
         {{0x25, G | StepFlags::Up}, {31, G | StepFlags::Down}, {12, G | StepFlags::Up | StepFlags::Down}},
         100,
         false,
         "0+53/99 12-53/99 24+55/99 36-55/99 48+48/99 60-48/99"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(readSmf(patternToMidiFile(makePattern(c.steps, c.triplet), 0, c.accentVelocity)), c.notes) << c.name;
    }
    EXPECT_EQ(patternToMidiFile(makePattern({{0, A}}), 0, 100).substr(14),
              std::string("MTrk\0\0\0\x04\0\xff\x2f\0", 12));
}

TEST(MidiFileExport, DivisionLongDeltasAndStepCount) {
    const std::string synced = patternToMidiFile(makePattern({{0, G}, {0, G}}), 1, 100);
    EXPECT_EQ(synced.substr(12, 2), std::string("\0\xc0", 2));  // 192; the steps stay 24 ticks
    EXPECT_EQ(readSmf(synced), "0+36/99 12-36/99 24+36/99 36-36/99");

    // 63 triplet rests, then a note: delta 2016 = 8F 60.
    Pattern p = makePattern({}, true);
    p.setLength(64);
    p.setStep(63, Step{0, G});
    EXPECT_EQ(patternToMidiFile(p, 0, 100).substr(22, 5), std::string("\x8f\x60\x90\x24\x63", 5));
    EXPECT_EQ(readSmf(patternToMidiFile(p, 0, 100)), "2016+36/99 2032-36/99");
    std::string vlq;
    for (std::uint32_t v : {0x00u, 0x7Fu, 0x80u, 0x3FFFu, 0x4000u, 0x0FFFFFFFu, 0xFFFFFFFFu}) {
        appendVariableLength(vlq, v);
    }
    EXPECT_EQ(vlq, std::string("\x00\x7f\x81\x00\xff\x7f\x81\x80\x00\xff\xff\xff\x7f\x8f\xff\xff\xff\x7f", 18));

    // A header from outside data may claim 127 steps or none: at most 64 are read.
    p.setStep(62, Step{0, G});
    p.header = 0x7f;
    EXPECT_EQ(readSmf(patternToMidiFile(p, 0, 100)), "1488+36/99 1500-36/99 1512+36/99 1524-36/99");
    p.header = 0;
    EXPECT_EQ(readSmf(patternToMidiFile(p, 0, 100)), "");
}

TEST(MidiFileExport, PluginWritesTheCurrentPatternWithItsSettings) {
    test::TempDir dir;
    SynthPlugin plugin(nullptr, dir.dir());
    plugin.settings().clockSync = 1;
    plugin.settings().accentVelocity = 64;
    plugin.bank().pattern(5) = makePattern({{3, G | S}, {3, G}, {0, 0}});
    plugin.selectPattern(5);
    ASSERT_TRUE(plugin.exportMidiFile(dir.file("out.mid")));
    const std::string bytes = test::readFile(dir.file("out.mid"));
    EXPECT_EQ(bytes, patternToMidiFile(plugin.bank().pattern(5), 1, 64));
    EXPECT_EQ(readSmf(bytes), "0+39/63 36-39/63");

    EXPECT_FALSE(plugin.exportMidiFile(dir.file("missing/out.mid")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);  // no temporary file left
}

}  // namespace
}  // namespace vexo

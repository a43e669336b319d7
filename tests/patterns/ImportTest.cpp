#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "ImportFileWriters.h"
#include "TestSupport.h"
#include "host/SynthPlugin.h"
#include "patterns/RebirthImport.h"

namespace vexo {
namespace {

using test::songChunk;
using test::songContainer;
using test::UnitWriter;

constexpr std::uint8_t G = StepFlags::Gate, Up = StepFlags::Up, Down = StepFlags::Down;
constexpr std::uint8_t Slide = StepFlags::Slide, Accent = StepFlags::Accent;

// A plug-in in its own folder whose bank is marked (triplet, shuffle 3, length 20, tied
// steps), so that what an import leaves alone shows.
class ImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int j = 0; j < kPatternCount; ++j) {
            plugin.bank().pattern(j).header = 0x80000314u;
            plugin.bank().pattern(j).steps.fill(Step{static_cast<std::uint8_t>(j % 7 + 20), StepFlags::Tie});
        }
        before = plugin.bank().patterns();
        plugin.takeEditorRefresh();
    }
    int importSong(const std::string& bytes) {
        test::writeFile(dir.file("song.rbs"), bytes);
        return plugin.importRebirthSong(dir.file("song.rbs"));
    }
    // Pattern j holds record k of the unit: its length (limited to 1..16) and notes; the
    // other header bits and the later steps are as before.
    void expectRecord(int j, const UnitWriter& unit, int k) {
        const std::size_t record = 10 + 34 * static_cast<std::size_t>(k);
        const int length = static_cast<unsigned char>(unit.data[record]);
        Pattern expected = before[static_cast<std::size_t>(j)];
        expected.setLength(std::clamp(length, 1, 16));
        for (int s = 0; s < std::min(length, 16); ++s) {
            expected.steps[static_cast<std::size_t>(s)].note = static_cast<std::uint8_t>(unit.data[record + 1 + 2 * s]);
            expected.steps[static_cast<std::size_t>(s)].flags = plugin.bank().pattern(j).step(s).flags;
        }
        EXPECT_EQ(plugin.bank().pattern(j), expected) << "pattern " << j;
    }
    void expectUntouched(int from, int to) {
        for (int j = from; j < to; ++j)
            EXPECT_EQ(plugin.bank().pattern(j), before[static_cast<std::size_t>(j)]) << j;
    }

    test::TempDir dir;
    SynthPlugin plugin{nullptr, dir.dir()};
    std::array<Pattern, kPatternCount> before{};
};

TEST_F(ImportTest, RebirthSongWithTwoUnitsInsideContainers) {
    UnitWriter first, second;
    first.knobs(42, 0, 1).numbered(0x00).pattern(
        1, 8, {{3, 0x10}, {5, 0x03}, {7, 0x04}, {9, 0x08}, {11, 0xE0}, {13, 0x1F}, {40, 0x00}, {255, 0x0C}});
    second.knobs(7, 100, 0).numbered(0x10);
    // Odd-sized (padded) chunks around and inside nested containers.
    const std::string inner = songContainer("DEVL", songChunk("MIXR", "12345") + first.chunk());
    EXPECT_EQ(
        importSong(songContainer("RBS ", songChunk("HEAD", "abc") + inner + songChunk("CAT?", "x") + second.chunk()) +
                   songChunk("TAIL", "z")),
        2);

    for (int i = 0; i < 6; ++i)
        EXPECT_FLOAT_EQ(plugin.getParameter(i), static_cast<float>(i) / 127.0f) << i;
    EXPECT_EQ(plugin.getParameter(kWaveform), 1.0f);
    EXPECT_EQ(plugin.bank().currentPattern(), 42);
    EXPECT_TRUE(plugin.takeEditorRefresh());
    for (int j = 0; j < 64; ++j)
        expectRecord(j, j < 32 ? first : second, j % 32);
    expectUntouched(64, 128);
    // Flag byte: bit 4 rest, bit 0 slide, bit 1 accent, bit 2 up, bit 3 down; tie cleared.
    const std::uint8_t flags[] = {0, G | Slide | Accent,         G | Up, G | Down,
                                  G, Slide | Accent | Up | Down, G,      G | Up | Down};
    for (int s = 0; s < 8; ++s)
        EXPECT_EQ(plugin.bank().pattern(1).step(s).flags, flags[s]) << s;
    EXPECT_EQ(plugin.bank().pattern(48).step(0).flags, 0);
    EXPECT_EQ(plugin.bank().pattern(0).length(), 1);  // length 0: one step, kept
}

TEST_F(ImportTest, RebirthUnitCountsAndSizes) {
    UnitWriter first, second, third;
    first.knobs(200, 10, 2).numbered(0);
    second.numbered(0);
    third.knobs(1, 50, 0).numbered(0x10);
    // One unit: a missing second unit leaves patterns 32..63 alone; 200 selects 127.
    EXPECT_EQ(importSong(first.chunk()), 1);
    EXPECT_EQ(plugin.bank().currentPattern(), 127);
    EXPECT_EQ(plugin.getParameter(kWaveform), 1.0f);
    for (int j = 0; j < 32; ++j)
        expectRecord(j, first, j);
    expectUntouched(32, 128);
    // A third unit is counted and ignored.
    EXPECT_EQ(importSong(first.chunk() + second.chunk() + third.chunk()), 3);
    EXPECT_FLOAT_EQ(plugin.getParameter(kTune), 10 / 127.0f);
    for (int j = 32; j < 64; ++j)
        expectRecord(j, second, j - 32);

    // A long chunk is cut (the walk goes on after it); a short one is zero-filled.
    first.pattern(30, 40, {});
    second = UnitWriter{};
    second.pattern(0, 12, {{5, 0}, {6, 0}});
    const std::string longChunk = songChunk("303 ", first.data + std::string(301, '\x7f'));
    EXPECT_EQ(importSong(longChunk + songChunk("303 ", second.data.substr(0, 15))), 2);
    expectRecord(30, first, 30);  // length 40 limited to 16
    expectRecord(31, first, 31);  // the last record, 33 bytes
    expectRecord(32, second, 0);
    EXPECT_EQ(plugin.bank().pattern(32).step(2), (Step{0, G}));
    EXPECT_EQ(plugin.bank().pattern(63).length(), 1);
}

TEST_F(ImportTest, RebirthWalkEndsAtSizesPastTheirEnd) {
    UnitWriter unit;
    unit.knobs(9, 50, 0).numbered(0);
    const std::string bad = songChunk("JUNK", "abcd", 100000);
    const struct {
        const char* name;
        std::string bytes;
        int units;
    } cases[] = {
        {"unit past the end of the file", songChunk("303 ", unit.data, 2000), 0},
        {"unit, then a chunk past the end", unit.chunk() + bad, 1},
        {"a chunk past the end hides the unit after it", bad + unit.chunk(), 0},
        {"chunk past its container", songContainer("RBS ", songChunk("JUNK", "abcd", 20)) + unit.chunk(), 0},
        {"container past the end", songChunk("CAT ", "RBS " + unit.chunk(), 5000), 0},
        {"truncated header at the end", unit.chunk() + std::string("303 \0\0", 6), 1},
        {"container shorter than its type", songChunk("CAT ", "RB") + unit.chunk(), 1},
        {"empty file", "", 0},
    };
    for (const auto& c : cases) {
        const RebirthSong song = parseRebirthSong(c.bytes);
        EXPECT_EQ(song.unitChunks, c.units) << c.name;
        EXPECT_EQ(std::string(song.units[0].begin(), song.units[0].end()),
                  c.units > 0 ? unit.data : std::string(1097, '\0'))
            << c.name;
    }
    // Without a unit (or a file) nothing changes.
    const float cutoff = plugin.getParameter(kCutoff);
    EXPECT_EQ(importSong(bad + unit.chunk()), 0);
    EXPECT_EQ(importSong(songChunk("MIXR", unit.data)), 0);
    EXPECT_EQ(plugin.importRebirthSong(dir.file("absent.rbs")), 0);
    EXPECT_FALSE(plugin.importPhFile(dir.file("absent.ph")));
    EXPECT_FALSE(plugin.takeEditorRefresh());
    EXPECT_EQ(plugin.getParameter(kCutoff), cutoff);
    EXPECT_EQ(plugin.bank().currentPattern(), 0);
    expectUntouched(0, 128);
}

TEST_F(ImportTest, PhFileFillsAllPatterns) {
    auto lengthOf = [](int b) { return b == 3 ? 24 : b == 4 ? 0 : b == 5 ? 100 : b % 64 + 1; };
    test::writeFile(dir.file("bank.ph"), test::phText(lengthOf));
    ASSERT_TRUE(plugin.importPhFile(dir.file("bank.ph")));
    // By s % 4: gate and slide; down; gate and up; up and down = up with note + 12.
    const std::uint8_t flags[4] = {G | Slide, Down, G | Up, Up};
    for (int j = 0; j < 128; ++j) {
        Pattern expected = before[static_cast<std::size_t>(j)];
        expected.setLength(lengthOf(j));
        for (int s = 0; s < 16; ++s) {
            const auto note = static_cast<std::uint8_t>((j + s) % 13 + (s % 4 == 3 ? 12 : 0));
            expected.setStep(s, Step{note, static_cast<std::uint8_t>(flags[s % 4] | (s % 3 == 0 ? Accent : 0))});
        }
        EXPECT_EQ(plugin.bank().pattern(j), expected) << "pattern " << j;
    }
    EXPECT_EQ(plugin.bank().pattern(3).length(), 24);
    EXPECT_EQ(plugin.bank().pattern(4).length(), 1);
    EXPECT_EQ(plugin.bank().pattern(5).length(), 64);
}

TEST(PhFile, FieldsThatFailToScanKeepTheirPreviousValues) {
    const std::string head = "5\t0\r\n0 \n 3 0 +1 1 1 0 9 9 9\n\n4 0 0 1 0 1 0 0 0  \v\f";
    // Ending inside a record: the note is scanned, the other fields are carried, and
    // every later block repeats the last pattern line and step record.
    const auto truncated = parsePhFile(head + "2 ");
    EXPECT_EQ(truncated[0].steps[0], (Step{3, G | Up | Accent}));
    EXPECT_EQ(truncated[0].steps[1], (Step{4, G | Slide}));
    EXPECT_EQ(truncated[0].steps[2], (Step{2, G | Slide}));
    EXPECT_EQ(truncated[127].steps[15], (Step{2, G | Slide}));
    EXPECT_EQ(truncated[127].length, 5);
    // Text that is no number stops all later scans, numbers after it included.
    const auto stopped = parsePhFile(head + "6 1 x 1 1 1 0 0 0\n 16 0 0");
    EXPECT_EQ(stopped[0].steps[2], (Step{6, G | Down | Slide}));
    EXPECT_EQ(stopped[127].steps[15], stopped[0].steps[2]);
    EXPECT_EQ(stopped[127].length, 5);
    EXPECT_EQ(parsePhFile(head + "7x 1 1")[0].steps[2], (Step{7, G | Slide}));
    for (const char* text : {"", "junk", "- 5"}) {  // nothing scanned: zeros
        EXPECT_EQ(parsePhFile(text)[0].length, 1);
        EXPECT_EQ(parsePhFile(text)[127].steps[15], (Step{0, 0}));
    }
    // Numbers are combined as they are: the note's low byte, gate 2 on the up bit.
    const auto odd =
        parsePhFile("16 0 0 300 0 0 2 0 0 0 0 0 -1 0 0 1 0 0 0 0 0 5 2 3 1 0 0 0 0 0 99999999999999999999 0 0");
    EXPECT_EQ(odd[0].steps[0], (Step{44, Up}));
    EXPECT_EQ(odd[0].steps[1], (Step{255, G}));
    EXPECT_EQ(odd[0].steps[2], (Step{17, G | Up | Down}));  // up 3: 3 * 2 = 6
    EXPECT_EQ(odd[0].steps[3].note, 0xff);                  // saturated, low byte
}

TEST_F(ImportTest, PathChoosesTheReader) {
    UnitWriter unit;
    const std::string song = unit.numbered(0).chunk(), ph = test::phText([](int) { return 16; });
    std::filesystem::create_directories(dir.file("d.rbs"));
    const struct {
        const char* name;
        const std::string* bytes;
        bool imported;
    } cases[] = {{"song.rbs.ph", &song, true}, {"d.rbs/x.ph", &song, true}, {"bank.ph", &ph, true},
                 {"bank.PH", &ph, false},      {"song.RBS", &song, false},  {"song.txt", &song, false},
                 {"absent.ph", nullptr, false}};
    for (const auto& c : cases) {
        if (c.bytes != nullptr)
            test::writeFile(dir.file(c.name), *c.bytes);
        plugin.bank().patterns() = before;
        plugin.importRebirthOrPh(dir.file(c.name));
        EXPECT_TRUE(plugin.takeEditorRefresh()) << c.name;
        EXPECT_EQ(plugin.bank().patterns() != before, c.imported) << c.name;
    }
}

}  // namespace
}  // namespace vexo

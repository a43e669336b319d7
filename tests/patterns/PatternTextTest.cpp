#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "patterns/PatternText.h"

namespace vexo {
namespace {

using namespace StepFlags;

std::string stepLines(int count, const char* line = "c-3 1 0 0\n") {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += line;
    }
    return text;
}

TEST(PatternText, WrittenPatternReadsBackWithTiesClearedAndOctavesInDigits) {
    Pattern original;
    original.header = 0x80AB0508u;  // triplet, reserved bits, shuffle 5, length 8
    original.steps[0] = {0, Gate};
    original.steps[1] = {3, Gate | Slide | Up};
    original.steps[2] = {7, Accent | Down};
    original.steps[3] = {11, Gate | Tie | Accent};
    original.steps[4] = {12, Gate};  // one octave above c, written as c with digit 4
    original.steps[5] = {12, Gate | Up};
    original.steps[6] = {5, Gate | Up | Down | RestMark | NoteMark};
    original.steps[7] = {9, Slide};
    original.steps[8] = {4, Gate | Tie};  // beyond the length: not written

    const std::string text = patternToText(original);
    EXPECT_EQ(text.substr(0, text.find('\n') + 1), "; VEXO Meta tag: 2158691592\n");
    EXPECT_NE(text.find("c-4 1 0 0\nc-5 1 0 0\nf-3 1 0 0\na-3 0 1 0\n"), std::string::npos);

    Pattern read;
    read.steps[8] = {2, Accent};
    readPatternText(read, text);
    EXPECT_EQ(read.header, original.header);
    const Step expected[] = {{0, Gate},      {3, Gate | Slide | Up}, {7, Accent | Down}, {11, Gate | Accent},
                             {0, Gate | Up}, {12, Gate | Up},        {5, Gate},          {9, Slide}};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(read.step(i), expected[i]) << "step " << i;
    }
    EXPECT_EQ(read.step(8), (Step{2, Accent})) << "steps beyond the length keep their contents";
}

TEST(PatternText, WritesTheDocumentedBytes) {
    Pattern p;
    p.header = 3;
    p.steps[0] = {0, Gate};
    p.steps[1] = {3, Gate | Slide | Up};
    p.steps[2] = {7, Accent | Down};
    KnobPositions knobs;
    knobs.set(kKnobTempo, 120.0f);
    knobs.set(kKnobTune, 0.5f);
    EXPECT_EQ(patternToText(p, &knobs),
              "; VEXO Meta tag: 3\n; Tune: 0.500000 Tempo: 120.000000 \nc-3 1 0 0\nd#4 1 1 0\ng-2 0 0 1\n");
    KnobPositions none;
    EXPECT_EQ(patternToText(p, &none), "; VEXO Meta tag: 3\n; \nc-3 1 0 0\nd#4 1 1 0\ng-2 0 0 1\n");
}

TEST(PatternText, OctaveCharactersSetNoteAndFlags) {
    struct Case {
        const char* line;
        Step step;
    };
    const Case cases[] = {{"d-0 1 0 0", {2, Gate | Down}}, {"d-1 1 0 0", {2, Gate | Down}},
                          {"d-2 1 0 0", {2, Gate | Down}}, {"d-3 1 0 0", {2, Gate}},
                          {"d-4 1 0 0", {2, Gate | Up}},   {"d-5 1 0 0", {14, Gate | Up}},
                          {"d-6 1 0 0", {26, Gate | Up}},  {"d-9 0 1 1", {2, Up | Slide | Accent}}};
    for (const Case& c : cases) {
        Pattern p;
        readPatternText(p, c.line);
        EXPECT_EQ(p.step(0), c.step) << c.line;
        EXPECT_EQ(p.length(), 1);
    }
}

TEST(PatternText, UnknownNamesRepeatThePreviousNote) {
    Pattern p;
    readPatternText(p, "C-3 1 0 0\nf#3 1 0 0\nC-3 1 0 0\nxy4 1 0 0\n");
    EXPECT_EQ(p.length(), 4);
    EXPECT_EQ(p.step(0).note, 0);
    EXPECT_EQ(p.step(1).note, 6);
    EXPECT_EQ(p.step(2).note, 6);
    EXPECT_EQ(p.step(3), (Step{6, Gate | Up}));
}

TEST(PatternText, LengthFollowsTheStepLinesAndTheHeader) {
    Pattern p;
    p.header = 0x00000310;
    std::string seventy;
    for (int i = 0; i < 70; ++i) {
        seventy += i == 63 ? "g-3 1 0 1\n" : "c-3 1 0 0\n";
    }
    readPatternText(p, seventy);
    EXPECT_EQ(p.header, 0x00000340u) << "64 steps, shuffle kept";
    EXPECT_EQ(p.step(63), (Step{7, Gate | Accent}));

    Pattern top;
    readPatternText(top, "; VEXO Meta tag: 2147483664\n" + stepLines(16));
    EXPECT_EQ(top.header, 2147483664u);
    EXPECT_TRUE(top.isTriplet());
    EXPECT_EQ(top.length(), 16);

    Pattern open;
    readPatternText(open, "; VEXO Meta tag: 0\n" + stepLines(20));
    EXPECT_EQ(open.length(), 20) << "length 0 in the header reads to the end";
    readPatternText(open, "; VEXO Meta tag: 0\n" + stepLines(9) + "c-3 1");
    EXPECT_EQ(open.length(), 9) << "or up to a bad line";

    Pattern empty;
    empty.header = 0x80000310;
    readPatternText(empty, "; VEXO Meta tag: 16\n");
    EXPECT_EQ(empty.header, 1u) << "no step line: length 1, header bits from the header line";
}

TEST(PatternText, ReadsStopAtTheHeaderLengthSoPatternsFollowOneAnother) {
    const std::string text = "; VEXO Meta tag: 4\n" + stepLines(4) + "e-3 1 0 0\nf-2 0 1 0\n";
    TextScanner in(text);
    Pattern first;
    readPattern(first, in);
    EXPECT_EQ(first.length(), 4);
    Pattern second;
    readPattern(second, in);
    EXPECT_EQ(second.length(), 2);
    EXPECT_EQ(second.step(0), (Step{4, Gate}));
    EXPECT_EQ(second.step(1), (Step{5, Down | Slide}));
    EXPECT_TRUE(in.atEnd());
}

TEST(PatternText, KnobLinesAreParsedWithTokenAndCommentLimits) {
    const std::string longName(40, 'a');
    const std::string text =
        "; VEXO Meta tag: 0\n; Cutoff: 0.75 Bogus: 3 Tune: 0.25 Version: 1.5 Tempo: 133.5 Decay: x \n"
        "; " +
        longName + "Resonance: 0.5 " + longName +
        "X Y Accent: 0.125\n"
        "; " +
        std::string(260, 'x') + " Drive: 0.5\nc-3 1 0 0\n";
    Pattern p;
    KnobPositions knobs;
    knobs.set(kKnobVolume, 0.3f);
    readPatternText(p, text, &knobs);
    EXPECT_EQ(p.length(), 1) << "the rest of an over-long comment is no step line";
    EXPECT_EQ(p.step(0), (Step{0, Gate}));
    EXPECT_FALSE(knobs.has(kKnobVolume)) << "cleared before reading";
    EXPECT_FALSE(knobs.has(kKnobResonance)) << "a 40-character token continues as the next token";
    EXPECT_FALSE(knobs.has(kKnobDrive)) << "beyond 255 characters of comment";
    EXPECT_FLOAT_EQ(knobs.values[kKnobAccent], 0.125f);
    const std::string written = patternToText(Pattern{}, &knobs);
    const std::size_t line = written.find('\n') + 1;
    EXPECT_EQ(
        written.substr(line, written.find('\n', line) - line),
        "; Tune: 0.250000 Cutoff: 0.750000 Decay: 0.000000 Accent: 0.125000 Tempo: 133.500000 Version: 1.500000 ");
}

TEST(PatternText, KnobValuesTooLargeToWriteBackAreIgnored) {
    // Found by fuzzing: 5.6e35 prints as 43 characters, which a token cannot hold.
    Pattern p;
    KnobPositions knobs;
    readPatternText(p, "; Accent: 555555555555555555555555555555555555 Tune: 0.5 Tempo: 1000000\nc-3 1 0 0\n", &knobs);
    EXPECT_FALSE(knobs.has(kKnobAccent));
    EXPECT_TRUE(knobs.has(kKnobTune));
    EXPECT_TRUE(knobs.has(kKnobTempo));
    KnobPositions again;
    const std::string written = patternToText(p, &knobs);
    readPatternText(p, written, &again);
    EXPECT_EQ(patternToText(p, &again), written);
}

TEST(PatternText, MalformedInputKeepsWhatWasRead) {
    Pattern base;
    base.header = 0x00000508;
    base.steps[5] = {9, Accent};

    Pattern p = base;
    readPatternText(p, "");
    EXPECT_EQ(p.header, 0x00000501u);
    EXPECT_EQ(p.step(5), base.step(5));

    p = base;
    readPatternText(p, "; VEXO Meta tag: 7\r\nd-3 1 0 0\r\ne-4 0 1 1\r\nf-3 1 0");
    EXPECT_EQ(p.header, 2u) << "CR-LF lines read, the truncated line dropped";
    EXPECT_EQ(p.step(1), (Step{4, Up | Slide | Accent}));

    p = base;
    readPatternText(p, "; comment without end");
    EXPECT_EQ(p.length(), 1);

    p = base;
    const char withZero[] = "c-3 1 0 0\n;\xff x\0\n g-3 1 1 1";
    readPatternText(p, std::string(withZero, sizeof withZero - 1));
    EXPECT_EQ(p.length(), 2) << "missing final newline";
    EXPECT_EQ(p.step(1), (Step{7, Gate | Slide | Accent}));

    std::srand(7);
    for (int round = 0; round < 200; ++round) {
        std::string garbage(static_cast<std::size_t>(std::rand() % 600), '\0');
        for (char& c : garbage) {
            c = static_cast<char>(std::rand() % 256);
        }
        p = base;
        KnobPositions knobs;
        readPatternText(p, garbage, &knobs);
        EXPECT_GE(p.length(), 1);
        EXPECT_LE(p.length(), 64);
    }
}

TEST(PatternText, BanksReadBackToBackAndStopAfterSlot127) {
    PatternBank bank;
    for (int slot = 0; slot < kPatternCount; ++slot) {
        Pattern& p = bank.pattern(slot);
        p.header = static_cast<std::uint32_t>(1 + slot % 64) | (slot % 3 == 0 ? Pattern::kTripletBit : 0);
        for (int i = 0; i < p.length(); ++i) {
            p.steps[static_cast<std::size_t>(i)] = {static_cast<std::uint8_t>((slot + i) % 12),
                                                    static_cast<std::uint8_t>(((slot * 7 + i) % 32) & ~Tie)};
        }
    }
    const std::string text = bankToText(bank);
    EXPECT_EQ(text.find("; \n"), std::string::npos) << "no knob line in banks";

    PatternBank read;
    read.clearAll(false);
    const std::string longer = text + "; VEXO Meta tag: 2\nc-3 1 0 0\nc-3 1 0 0\n";
    TextScanner in(longer);
    EXPECT_EQ(readBank(read, in), 128);
    EXPECT_FALSE(in.atEnd()) << "a 129th pattern is ignored";
    for (int slot = 0; slot < kPatternCount; ++slot) {
        const Pattern& a = bank.pattern(slot);
        const Pattern& b = read.pattern(slot);
        ASSERT_EQ(a.header, b.header) << slot;
        for (int i = 0; i < a.length(); ++i) {
            const Step s = a.step(i);
            ASSERT_EQ(stepMidiNote(s), stepMidiNote(b.step(i))) << slot << ":" << i;
            ASSERT_EQ(s.flags & (Gate | Slide | Accent), b.step(i).flags & (Gate | Slide | Accent));
        }
    }

    PatternBank partial;
    const std::string threeText =
        patternToText(bank.pattern(5)) + patternToText(bank.pattern(6)) + patternToText(bank.pattern(7));
    TextScanner three(threeText);
    EXPECT_EQ(readBank(partial, three), 3);
    EXPECT_EQ(partial.pattern(2).header, bank.pattern(7).header);
    EXPECT_EQ(partial.pattern(3), Pattern{});
}

TEST(PatternText, FilesReadAndWriteWithFailuresChangingNothing) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "vexo-pattern-text-test";
    std::filesystem::create_directories(dir);
    const std::string file = (dir / "one.pat").string();
    Pattern p;
    p.header = 0x1205;
    p.steps[4] = {10, Gate | Down};
    ASSERT_TRUE(writePattern(p, file));
    EXPECT_FALSE(writePattern(p, (dir / "missing" / "x.pat").string()));
    EXPECT_FALSE(writePattern(Pattern{}, dir.string())) << "a folder is never replaced";

    Pattern read;
    EXPECT_TRUE(readPattern(read, file));
    EXPECT_EQ(read, p);
    EXPECT_FALSE(readPattern(read, (dir / "none.pat").string()));
    EXPECT_EQ(read, p);

    PatternBank bank;
    bank.pattern(127) = p;
    ASSERT_TRUE(writeBank(bank, (dir / "bank.pat").string()));
    PatternBank back;
    EXPECT_TRUE(readBank(back, (dir / "bank.pat").string()));
    EXPECT_EQ(back.pattern(127), p);
    EXPECT_FALSE(readBank(back, (dir / "none.pat").string()));
    std::filesystem::remove_all(dir);
}

TEST(PatternText, StepNamesConvertBothWays) {
    char text[4];
    stepToText(Step{12, Down}, text);
    EXPECT_STREQ(text, "c-3");
    stepToText(Step{25, Up}, text);
    EXPECT_STREQ(text, "c#6");

    Step step{0, Gate | Slide | Down};
    EXPECT_TRUE(textToStep(step, "A#5"));
    EXPECT_EQ(step, (Step{22, Gate | Slide | Up}));
    EXPECT_TRUE(textToStep(step, "e-x"));
    EXPECT_EQ(step, (Step{4, Gate | Slide | Up})) << "no digit: flags stay";
    EXPECT_TRUE(textToStep(step, "g-1"));
    EXPECT_EQ(step, (Step{7, Gate | Slide | Down}));
    EXPECT_FALSE(textToStep(step, "h-3"));
    EXPECT_FALSE(textToStep(step, "c"));
    EXPECT_EQ(step, (Step{7, Gate | Slide | Down}));
}

}  // namespace
}  // namespace vexo

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <vector>

#include "patterns/PatternOperations.h"

namespace vexo {
namespace {

using namespace StepFlags;

// Hands out the given numbers in order and counts the draws.
struct ScriptedRandom {
    std::vector<int> numbers;
    std::size_t draws = 0;
    RandomSource source() {
        return [this] { return numbers.at(draws++); };
    }
};

Pattern numberedPattern(int length) {
    Pattern p;
    p.setLength(length);
    for (int i = 0; i < kMaxSteps; ++i) {
        p.steps[static_cast<std::size_t>(i)] = {static_cast<std::uint8_t>(i),
                                                static_cast<std::uint8_t>(i % 2 ? Gate : Accent)};
    }
    return p;
}

TEST(PatternOperations, TransposeReachesNormalFormsAndClamps) {
    struct Case {
        Step before;
        int semitones;
        Step after;
    };
    const Case cases[] = {
        {{0, Down}, -1, {0, Down}},   // lowest pitch stays
        {{0, Up}, 12, {12, Up}},      // pitch 24
        {{12, Up}, 12, {24, Up}},     // beyond 24 the note byte grows
        {{12, 0}, 1, {1, Up}},        //
        {{0, 0}, -1, {11, Down}},     //
        {{12, Down}, 1, {1, 0}},      // pitch 0 + 1
        {{5, Up | Down}, 1, {6, 0}},  // both flags cancel
        {{11, Up}, 1, {12, Up}},      //
        {{31, Up}, 1, {0, Up}},       // low five bits of the note
        {{3, Down}, -12, {0, Down}},  // -21 clamps to c with down
        {{7, Gate | Slide | Accent | Tie}, 12, {7, Gate | Slide | Accent | Tie | Up}},
        {{10, Down | RestMark}, 12, {10, RestMark}},
    };
    for (const Case& c : cases) {
        Pattern p;
        p.setLength(1);
        p.steps[0] = c.before;
        p.steps[1] = {4, Down};
        transposePattern(p, c.semitones);
        EXPECT_EQ(p.step(0), c.after) << int{c.before.note} << "/" << int{c.before.flags} << " by " << c.semitones;
        EXPECT_EQ(p.step(1), (Step{4, Down})) << "beyond the length";
    }
}

TEST(PatternOperations, RotateMovesWholeStepsInsideTheLength) {
    const Pattern original = numberedPattern(5);
    Pattern p = original;
    rotatePattern(p, -1);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(p.step(i), original.step((i + 1) % 5));
    }
    EXPECT_EQ(p.step(5), original.step(5));
    rotatePattern(p, 1);
    EXPECT_EQ(p, original);
    rotatePattern(p, 1);
    EXPECT_EQ(p.step(0), original.step(4));
    EXPECT_EQ(p.step(1), original.step(0));

    const Pattern single = numberedPattern(1);
    p = single;
    rotatePattern(p, -1);
    EXPECT_EQ(p, single);
    rotatePattern(p, 1);
    EXPECT_EQ(p, single);
}

TEST(PatternOperations, ClearStepFlagsClearsOnlyTheGivenBits) {
    Pattern p;
    p.setLength(2);
    p.steps[0] = {3, Gate | Tie | Slide | Accent | Up};
    p.steps[1] = {4, Tie};
    p.steps[2] = {5, Gate | Tie};
    clearStepFlags(p, Gate | Tie);
    EXPECT_EQ(p.step(0), (Step{3, Slide | Accent | Up}));
    EXPECT_EQ(p.step(1), (Step{4, 0}));
    EXPECT_EQ(p.tieLength(0), 1) << "no step remains tied";
    EXPECT_EQ(p.step(2), (Step{5, Gate | Tie}));
    clearStepFlags(p, Accent);
    EXPECT_EQ(p.step(0), (Step{3, Slide | Up}));
}

TEST(PatternOperations, RandomizersDrawInTheDocumentedOrder) {
    Pattern p;
    p.setLength(2);
    p.steps[0] = {0, Gate | Tie};
    p.steps[1] = {0, Slide | Down};
    p.steps[2] = {9, Accent};
    ScriptedRandom pitches{{5, 6, 27, 1, 2, 13}};
    randomizePitches(p, pitches.source());
    EXPECT_EQ(pitches.draws, 6u);
    EXPECT_EQ(p.step(0), (Step{13, Gate | Tie}));
    EXPECT_EQ(p.step(1), (Step{13, Slide | Down}));

    // accent, gate, slide, up, down, note
    ScriptedRandom all{{1, 4, 3, 1, 1, 27, 32766, 5, 2, 0, 2, 14}};
    randomizeAll(p, all.source());
    EXPECT_EQ(all.draws, 12u);
    EXPECT_EQ(p.step(0), (Step{13, Accent | Slide | Up | Down}));
    EXPECT_EQ(p.step(1), (Step{0, Gate}));
    EXPECT_EQ(p.step(2), (Step{9, Accent}));
}

TEST(PatternOperations, AlterIsAPermutationRedrawingUsedIndices) {
    Pattern p = numberedPattern(3);
    ScriptedRandom scripted{{5, 2, 0, 3, 1}};  // 2; 2 used, 0; 0 used, 1
    alterPattern(p, scripted.source());
    EXPECT_EQ(scripted.draws, 5u);
    const Pattern original = numberedPattern(3);
    EXPECT_EQ(p.step(0), original.step(2));
    EXPECT_EQ(p.step(1), original.step(0));
    EXPECT_EQ(p.step(2), original.step(1));

    std::mt19937 generator(12345);
    const RandomSource seeded = [&generator] { return static_cast<int>(generator() % kRandomRange); };
    for (int length : {64, 17, 2}) {
        const Pattern before = numberedPattern(length);
        Pattern after = before;
        alterPattern(after, seeded);
        std::vector<int> wordsBefore;
        std::vector<int> wordsAfter;
        for (int i = 0; i < length; ++i) {
            wordsBefore.push_back(before.step(i).word());
            wordsAfter.push_back(after.step(i).word());
        }
        if (length > 2) {
            EXPECT_NE(wordsBefore, wordsAfter) << "length " << length;
        }
        std::sort(wordsBefore.begin(), wordsBefore.end());
        std::sort(wordsAfter.begin(), wordsAfter.end());
        EXPECT_EQ(wordsBefore, wordsAfter) << "length " << length;
        if (length < kMaxSteps) {
            EXPECT_EQ(after.step(length), before.step(length));
        }
    }

    const Pattern single = numberedPattern(1);
    p = single;
    alterPattern(p, seeded);
    EXPECT_EQ(p, single);
}

TEST(PatternOperations, ClipboardStartsAsADefaultPattern) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process: nothing copied yet
    EXPECT_EXIT(
        {
            const Pattern empty = PatternClipboard::load();
            bool silent = empty.header == 16;
            for (const Step& s : empty.steps) {
                silent = silent && s.note == 0 && s.flags == 0;
            }
            std::exit(silent ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
    Pattern p = numberedPattern(7);
    p.setTriplet(true);
    PatternClipboard::store(p);
    EXPECT_EQ(PatternClipboard::load(), p);
}

}  // namespace
}  // namespace vexo

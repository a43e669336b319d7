// The pattern model's rules that every other part relies on.
#include <gtest/gtest.h>

#include "sequencer/Pattern.h"

namespace vexo {
namespace {

Step step(int note, std::uint8_t flags = 0) {
    return Step{static_cast<std::uint8_t>(note), flags};
}

TEST(Pattern, NewBankHas128SilentSixteenStepPatterns) {
    PatternBank bank;
    for (const Pattern& p : bank.patterns()) {
        EXPECT_EQ(p.header, 16u);
        for (const Step& s : p.steps) {
            EXPECT_EQ(s.word(), 0);
        }
    }
    EXPECT_EQ(bank.currentPattern(), 0);
    EXPECT_FALSE(bank.selectLock());
}

TEST(Pattern, HeaderFieldsKeepTheOtherBits) {
    Pattern p;
    p.header = 0x80000310;
    EXPECT_TRUE(p.isTriplet());
    EXPECT_EQ(p.length(), 16);
    EXPECT_DOUBLE_EQ(p.shuffle(), 3.0 / 127.0);

    p.header = 0x7fff0080;  // reserved bits set, length 0
    p.setLength(0);
    EXPECT_EQ(p.header, 0x7fff0081u);
    p.setLength(100);
    EXPECT_EQ(p.length(), 64);
    p.setShuffle(0x1ff);  // only the low byte counts
    EXPECT_EQ(p.header, 0x7fffff80u | 64u);
    p.setTriplet(true);
    EXPECT_EQ(p.header, 0xffffffc0u);
    p.setTriplet(false);
    EXPECT_EQ(p.header, 0x7fffffc0u);
}

TEST(Pattern, TieLengthCountsFollowingTiedStepsInsideTheLength) {
    Pattern p;
    p.setLength(8);
    EXPECT_EQ(p.tieLength(7), 1);  // the last step
    p.setStep(3, step(0, StepFlags::Tie));
    p.setStep(4, step(0, StepFlags::Tie));
    p.setStep(5, step(0, StepFlags::Tie | StepFlags::Gate));
    EXPECT_EQ(p.tieLength(2), 4);
    EXPECT_EQ(p.tieLength(3), 3);           // the flags of the step itself do not matter
    p.setStep(8, step(0, StepFlags::Tie));  // outside the pattern
    p.setStep(7, step(0, StepFlags::Tie));
    EXPECT_EQ(p.tieLength(6), 2);
    p.setLength(64);
    p.setStep(63, step(0, StepFlags::Tie));
    EXPECT_EQ(p.tieLength(62), 2);
}

TEST(Pattern, ClearKeepsLengthAndShuffleAndOnlyTouchesPlayedSteps) {
    Pattern p;
    p.header = 0x80000508;  // triplet, shuffle 5, length 8
    p.setStep(3, step(7, StepFlags::Accent));
    p.setStep(10, step(9, StepFlags::Slide));
    p.clear(true);
    EXPECT_EQ(p.header, 0x00000508u);
    EXPECT_EQ(p.step(3), step(0, StepFlags::Gate));
    EXPECT_EQ(p.step(10), step(9, StepFlags::Slide));
    p.clear(false);
    EXPECT_EQ(p.step(7), step(0));
}

TEST(Pattern, StepMidiNotes) {
    EXPECT_EQ(stepMidiNote(step(0)), 36);
    EXPECT_EQ(stepMidiNote(step(12, StepFlags::Down)), 36);
    EXPECT_EQ(stepMidiNote(step(20, StepFlags::Up)), 68);
    EXPECT_EQ(stepMidiNote(step(0, StepFlags::Down)), 24);
    EXPECT_EQ(stepMidiNote(step(35, StepFlags::Up)), 51);  // only the low five bits count
    EXPECT_EQ(stepMidiNote(step(5, StepFlags::Up | StepFlags::Down)), 41);
}

TEST(Pattern, StepNames) {
    EXPECT_EQ(stepOctaveDigit(step(0)), '3');
    EXPECT_EQ(stepOctaveDigit(step(11, StepFlags::Down)), '2');
    EXPECT_EQ(stepOctaveDigit(step(4, StepFlags::Up)), '4');
    EXPECT_EQ(stepOctaveDigit(step(12)), '4');
    EXPECT_EQ(stepOctaveDigit(step(12, StepFlags::Down)), '3');  // sounds as c-3
    EXPECT_EQ(stepOctaveDigit(step(3, StepFlags::Up | StepFlags::Down)), '3');
    EXPECT_STREQ(kNoteNames[12 % 12], "c-");
    EXPECT_STREQ(kNoteNames[10], "a#");
}

TEST(PatternBank, SelectionClampsAndReportsChanges) {
    PatternBank bank;
    EXPECT_TRUE(bank.selectPattern(200));
    EXPECT_EQ(bank.currentPattern(), 127);
    EXPECT_FALSE(bank.selectPattern(127));  // selecting the current one again
    EXPECT_TRUE(bank.selectPattern(-5));
    EXPECT_EQ(bank.currentPattern(), 0);

    bank.setSelectLock(true);
    EXPECT_FALSE(bank.selectPatternFromMidi(9));
    EXPECT_EQ(bank.currentPattern(), 0);
    EXPECT_TRUE(bank.selectPattern(9));  // the editor is not locked out
    bank.setSelectLock(false);
    EXPECT_TRUE(bank.selectPatternFromMidi(12));
    EXPECT_EQ(bank.currentPattern(), 12);
}

}  // namespace
}  // namespace vexo

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "DetectTestAudio.h"
#include "patterns/PatternDetection.h"

namespace vexo::test {
namespace {

constexpr int kRate = 44100;

WaveBuffer waveOf(std::vector<float> samples) {
    return WaveBuffer{std::move(samples), kRate};
}

DetectionResults detect(const WaveBuffer& wave, int steps) {
    DetectionResults results{};
    EXPECT_TRUE(detectPattern(wave, steps, results));
    return results;
}

// MIDI note of a period, worked out here from the equal-tempered scale (A4 = 440 Hz = 69).
int expectedNote(double periodSamples) {
    return static_cast<int>(std::trunc(69.0 + 12.0 * std::log2(kRate / periodSamples / 440.0)));
}

TEST(PatternDetection, SegmentsOfA16StepBarAt120BpmAre5513SamplesWithA379SampleTail) {
    // Segments 0 and 1 gate on a quiet start (0.1 over their first 4000 samples); one loud
    // sample then probes the windows. Segment 0's tail window is [4134, 4513): the windows
    // leave out the last 1000 samples, and a sample of 0.616 gives 0.616^2 / 379 > 0.001,
    // which it would not over 380 samples. Segment 1 starts at sample 5513.
    const auto probe = [](std::size_t at, float value) {
        std::vector<float> x(88200, 0.0f);
        std::fill(x.begin(), x.begin() + 4000, 0.1f);
        std::fill(x.begin() + 5513, x.begin() + 9513, 0.1f);
        x[at] = value;
        const DetectionResults r = detect(waveOf(x), 16);
        EXPECT_TRUE(r[0].gate && r[1].gate && !r[2].gate);
        return r;
    };
    EXPECT_TRUE(probe(4134, 0.616f)[0].slide);
    EXPECT_TRUE(probe(4512, 0.616f)[0].slide);
    EXPECT_FALSE(probe(4133, 0.616f)[0].slide);
    EXPECT_FALSE(probe(4513, 0.616f)[0].slide);
    EXPECT_FALSE(probe(4134, 0.615f)[0].slide);
    EXPECT_TRUE(probe(5512, 0.9f)[0].accent);
    EXPECT_FALSE(probe(5512, 0.9f)[1].accent);
    EXPECT_TRUE(probe(5513, 0.9f)[1].accent);
    EXPECT_FALSE(probe(5513, 0.9f)[0].accent);
    EXPECT_FALSE(probe(5513, 0.5f)[1].accent) << "accent needs more than half the peak";
}

TEST(PatternDetection, PitchComesFromTheAveragePeriodBetweenMarkedCrossings) {
    std::vector<float> x;
    appendCycles(x, 400, 25);  // 10000 samples per segment
    appendCycles(x, 100, 100);
    appendCycles(x, 400, 25, 0.4f);  // no accent: not above half of the peak
    x.resize(40000, 0.0f);
    const DetectionResults r = detect(waveOf(x), 4);
    EXPECT_EQ(r[0], (DetectionResult{45, true, true, true}));  // 110.25 Hz
    EXPECT_EQ(r[1], (DetectionResult{69, true, true, true}));  // 441 Hz
    EXPECT_EQ(r[2], (DetectionResult{45, true, false, true}));
    EXPECT_EQ(r[3], (DetectionResult{1, false, false, false}));

    using namespace StepFlags;
    Pattern pattern;
    pattern.setStep(3, Step{7, Gate | Tie | Up});
    applyDetection(pattern, 4, r, true, false);
    EXPECT_EQ(pattern.length(), 4);
    EXPECT_EQ(pattern.step(0), (Step{9, 0}));
    EXPECT_EQ(pattern.step(1), (Step{21, Up}));
    EXPECT_EQ(pattern.step(3), (Step{1, Gate | Tie | Down}));
    applyDetection(pattern, 4, r, false, true);
    EXPECT_EQ(pattern.step(1), (Step{21, Gate | Up | Accent | Slide}));
    EXPECT_EQ(pattern.step(2), (Step{9, Gate | Slide}));
    EXPECT_EQ(pattern.step(3), (Step{1, Tie | Down}));
}

TEST(PatternDetection, IrregularPeriodsAreUnpitchedUnlessTheStepIsSlidInto) {
    // An 8000-sample segment of single cycles whose periods change by 30 samples, then
    // silence; the silence after the last cycle marks its end. Returns the last period.
    const auto appendGlide = [](std::vector<float>& x, int period, int by) {
        const std::size_t end = x.size() + 8000;
        int last = period;
        for (; period > 0 && x.size() + static_cast<std::size_t>(period) <= end; period += by) {
            appendCycles(x, period, 1);
            last = period;
        }
        x.resize(end, 0.0f);
        return last;
    };
    std::vector<float> plain;
    appendGlide(plain, 200, 30);
    plain.resize(16000, 0.0f);
    const DetectionResults unslid = detect(waveOf(plain), 2);
    EXPECT_TRUE(unslid[0].gate);
    EXPECT_EQ(unslid[0].midiNote, kUnpitchedMidiNote);

    // The same glides after a sliding step give the glide's end point: the largest period
    // of a falling pitch, the smallest of a rising one.
    for (const int by : {30, -30}) {
        std::vector<float> slid;
        appendCycles(slid, 400, 20);  // 8000 samples, loud to the end: slides
        const int last = appendGlide(slid, by > 0 ? 200 : 800, by);
        const DetectionResults r = detect(waveOf(slid), 2);
        ASSERT_TRUE(r[0].slide);
        EXPECT_EQ(r[1].midiNote, expectedNote(last)) << by;
    }
}

TEST(PatternDetection, OctavesFoldOntoTheThreeOfTheInstrument) {
    using namespace StepFlags;
    const std::vector<std::pair<int, Step>> cases{{36, {0, 0}},    {47, {11, 0}},  {48, {0, Up}},   {60, {12, Up}},
                                                  {71, {23, Up}},  {72, {12, Up}}, {100, {16, Up}}, {35, {11, Down}},
                                                  {24, {0, Down}}, {-5, {7, Down}}};
    DetectionResults r{};
    for (std::size_t i = 0; i < cases.size(); ++i) {
        r[i].midiNote = cases[i].first;
    }
    Pattern pattern;
    applyDetection(pattern, static_cast<int>(cases.size()), r, true, false);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(pattern.step(static_cast<int>(i)), cases[i].second) << "MIDI note " << cases[i].first;
    }
    applyDetection(pattern, 100, r, false, false);
    EXPECT_EQ(pattern.length(), 64);
}

TEST(PatternDetection, HandlesOddStepCountsShortWavesAndUnusableFrequencies) {
    DetectionResults r{};
    r[0].midiNote = 99;
    EXPECT_FALSE(detectPattern(waveOf({0.5f}), 0, r));
    EXPECT_FALSE(detectPattern(waveOf({0.5f}), 65, r));
    EXPECT_EQ(r[0].midiNote, 99);
    std::vector<float> x;
    appendCycles(x, 100, 2);
    r = detect(waveOf(x), 64);  // segments of 4 samples, the last ones past the end
    EXPECT_EQ(std::count(r.begin(), r.end(), DetectionResult{}), 64);
    detect(WaveBuffer{}, 16);

    EXPECT_EQ(midiNoteForPeriod(kRate / 8.0, kRate), 0) << "8 Hz is note -0.37, truncated toward zero";
    EXPECT_EQ(midiNoteForPeriod(kRate / 4.0, kRate), -12);
    EXPECT_EQ(midiNoteForPeriod(100.0, 0), kUnpitchedMidiNote);
    EXPECT_EQ(midiNoteForPeriod(-100.0, kRate), kUnpitchedMidiNote);
}

TEST(PatternDetection, NormalizeScalesThePeakToOne) {
    WaveBuffer wave = waveOf({0.25f, -0.5f, 0.1f});
    normalizeWave(wave);
    EXPECT_EQ(wave.samples, (std::vector<float>{0.5f, -1.0f, 0.2f}));
    wave = waveOf({1e-7f, -1e-6f});
    normalizeWave(wave);
    EXPECT_EQ(wave.samples, (std::vector<float>{1e-7f, -1e-6f}));
}

TEST(PatternDetection, FileNamesGiveStepCountAndTriplet) {
    const auto parse = [](std::string_view path) {
        int steps = 16;
        bool triplet = false;
        parseWaveName(path, steps, triplet);
        return std::pair{steps, triplet};
    };
    EXPECT_EQ(parse("/loops/bass_8step.wav"), std::pair(8, false));
    EXPECT_EQ(parse("/loops/bass_8steps_triplet.wav"), std::pair(8, true));
    EXPECT_EQ(parse("/loops/bass.wav"), std::pair(16, false));
    EXPECT_EQ(parse("/loops/triplet.wav"), std::pair(16, true));
    EXPECT_EQ(parse("/loops/step_5.wav"), std::pair(5, false)) << "digits after the word count too";
    EXPECT_EQ(parse("/loops/ab128step.wav"), std::pair(28, false)) << "counting starts two characters before";
    EXPECT_EQ(parse("/loops/bass_99steps.wav"), std::pair(64, false));
    EXPECT_EQ(parse("/loops/bass_0step.wav"), std::pair(1, false));
    EXPECT_EQ(parse("/loops/bass_8STEP.wav"), std::pair(16, false));
    EXPECT_EQ(parse("step99999999999999999999.wav"), std::pair(64, false));
}

}  // namespace
}  // namespace vexo::test

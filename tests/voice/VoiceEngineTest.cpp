// The voice driven through VoiceEngine with a NoteState set by the test: worked figures,
// the oscillator, the output stage, and sound properties of rendered notes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "TestWaveTables.h"
#include "voice/VoiceEngine.h"
#include "voice/WaveTableBuilder.h"
#include "voice/WaveTables.h"

namespace vexo {
namespace {

struct Voice {
    explicit Voice(float sampleRate) : rate(sampleRate) { engine.setWaveTables(&test::testWaveTables()); }

    void play(float pitch, bool accent = false) {
        note.stepPitch = pitch;
        note.noteGate = 1;
        note.accentOn = note.stepAccent = accent ? 1 : 0;
        note.prevSlide = 0;
        note.trigger();
    }

    std::vector<double> render(double seconds) {
        std::vector<double> out;
        const int frames = static_cast<int>(seconds * rate);
        while (static_cast<int>(out.size()) < frames) {
            EXPECT_TRUE(engine.beginBlock(rate, controls, options));
            for (int i = 0; i < 256 && static_cast<int>(out.size()) < frames; ++i) {
                out.push_back(engine.renderFrame(note));
            }
        }
        return out;
    }

    float rate;
    VoiceEngine engine;
    NoteState note;
    VoiceControls controls;
    VoiceOptions options;
};

double rms(const std::vector<double>& x) {
    double sum = 0;
    for (const double v : x) {
        sum += v * v;
    }
    return std::sqrt(sum / static_cast<double>(x.size()));
}

// Frequency from the upward zero crossings: cycles counted between the first and the last
// crossing, each placed between its two samples by linear interpolation.
double zeroCrossingHz(const std::vector<double>& x, double rate) {
    double first = -1;
    double last = -1;
    int cycles = -1;
    for (std::size_t i = 1; i < x.size(); ++i) {
        if (x[i - 1] < 0 && x[i] >= 0) {
            last = static_cast<double>(i - 1) + x[i - 1] / (x[i - 1] - x[i]);
            first = first < 0 ? last : first;
            ++cycles;
        }
    }
    return cycles > 0 ? cycles * rate / (last - first) : 0.0;
}

TEST(Oscillator, WorkedLevelMapFigures) {
    EXPECT_EQ(static_cast<int>(1 / (110.0 * (1 / 44100.0))), 400);
    EXPECT_EQ(levelMapIndex(110.0 * (1 / 44100.0), kLevelMapScales[rateClass(44100)], 4096), 435);
    EXPECT_EQ(levelMapIndex(110.0 * (1 / 48000.0), kLevelMapScales[rateClass(48000)], 4096), 436);
    EXPECT_EQ(levelMapIndex(110.0 * (1 / 96000.0), kLevelMapScales[rateClass(96000)], 4096), 436);
    EXPECT_EQ(levelMapIndex(1.0 / 5000.0, 1.0, 4096), 4095);  // long periods clamp to the map
    EXPECT_EQ(levelMapIndex(0.0, 1.0, 4096), 4095);
    EXPECT_EQ(levelMapIndex(-0.01, 1.0, 4096), 0);
    EXPECT_EQ(levelMapIndex(3.0, 1.0, 4096), 0);
}

TEST(Oscillator, InterpolationWrapsAndPhaseOneReadsTheStart) {
    const float cycle[4] = {0.0f, 1.0f, 2.0f, 3.0f};
    EXPECT_EQ(readCycle(cycle, 4, 0.25f), 1.0);
    EXPECT_EQ(readCycle(cycle, 4, 0.375f), 1.5);
    EXPECT_EQ(readCycle(cycle, 4, 0.875f), 1.5);  // halfway from the last sample back to the first
    EXPECT_EQ(readCycle(cycle, 4, 1.0f), 0.0);
}

TEST(Oscillator, CycleFactorsRunThroughFourPeriods) {
    Oscillator osc;
    const double a = osc.cycleFactorA;
    const double b = osc.cycleFactorB;
    // After each wrap: B/A, A/B, 1/(A B), then A B again.
    const double expected[] = {b / a, a / b, 1 / (a * b), a * b};
    float phase = 0.0f;
    for (const double factor : expected) {
        const float before = osc.cycleFactorA;
        while (osc.cycleFactorA == before) {
            osc.advance(phase, 0.3);
        }
        EXPECT_NEAR(double(osc.cycleFactorA) * osc.cycleFactorB, factor, 1e-6);
        EXPECT_LE(phase, 1.0f);
    }
}

TEST(VoiceEngine, RefusesToRenderWithoutRateOrTables) {
    VoiceEngine engine;
    EXPECT_FALSE(engine.beginBlock(44100.0f, {}, {}));
    engine.setWaveTables(&test::testWaveTables());
    EXPECT_FALSE(engine.beginBlock(0.0f, {}, {}));
    EXPECT_FALSE(engine.beginBlock(-48000.0f, {}, {}));
    EXPECT_FALSE(engine.beginBlock(NAN, {}, {}));
    EXPECT_TRUE(engine.beginBlock(44100.0f, {}, {}));
    WaveTablePair halfLoaded;
    installWaveTableSet(halfLoaded.saw, serializeWaveTableFile(test::testWaveTables().saw.data));
    engine.setWaveTables(&halfLoaded);
    EXPECT_FALSE(engine.beginBlock(44100.0f, {}, {}));
}

TEST(VoiceEngine, PitchByZeroCrossingsAtSeveralRatesAndTunes) {
    const std::pair<float, double> tunes[] = {{0.5f, 110.0}, {0.0f, 55.0}, {1.0f, 220.0}};
    for (const float rate : {44100.0f, 48000.0f, 96000.0f}) {
        for (const auto& [tune, hz] : tunes) {
            Voice v(rate);
            v.controls.tune = tune;
            v.controls.cutoff = 0.3f;
            v.controls.envMod = 0.0f;
            v.play(110.0f);
            v.render(0.5);
            EXPECT_NEAR(v.engine.frequency(), hz, hz * 1e-6);
            EXPECT_NEAR(zeroCrossingHz(v.render(1.0), rate), hz, hz * 0.002) << rate << " Hz, Tune " << tune;
        }
    }
}

TEST(VoiceEngine, VolumeZeroGivesExactZerosWithTheChainFrozen) {
    Voice v(44100.0f);
    v.play(110.0f);
    v.render(0.1);
    v.controls.volume = 0.0f;
    const double filterEnv = v.engine.envelopes().filterEnv();
    const float phase = v.note.oscPhase;
    const OnePole stage = v.engine.filter().stage(4);
    const double smoothedVolume = v.engine.smoothed().volume();
    for (const double sample : v.render(0.1)) {
        ASSERT_EQ(sample, 0.0);
    }
    EXPECT_EQ(v.engine.envelopes().filterEnv(), filterEnv);
    EXPECT_EQ(v.note.oscPhase, phase);
    EXPECT_EQ(v.engine.filter().stage(4).value, stage.value);
    EXPECT_LT(v.engine.smoothed().volume(), smoothedVolume);  // the knob smoothing goes on
}

TEST(VoiceEngine, ExactZerosActiveClocksAfterTheLastGate) {
    Voice v(44100.0f);
    v.play(110.0f);
    v.render(0.3);
    v.note.noteGate = 0;
    const std::vector<double> tail = v.render(2.5);
    EXPECT_NE(tail[88198], 0.0);
    for (std::size_t i = 88199; i < tail.size(); ++i) {
        ASSERT_EQ(tail[i], 0.0) << i;
    }
    const float phase = v.note.oscPhase;
    v.render(0.1);
    EXPECT_EQ(v.note.oscPhase, phase);  // nothing moves while idle
    v.play(110.0f);
    EXPECT_GT(rms(v.render(0.1)), 0.01);
}

TEST(VoiceEngine, DistortionZeroBypassesExactly) {
    Voice plain(44100.0f);
    Voice other(44100.0f);
    other.controls.drive = 0.9f;
    other.controls.distortionType = 1.0f;
    plain.play(73.4f);
    other.play(73.4f);
    EXPECT_EQ(plain.render(0.3), other.render(0.3));
    EXPECT_EQ(plain.engine.outputStage().decimator().entry(1), 0.0);
    EXPECT_EQ(plain.engine.outputStage().lastHalf(1), 0.0f);
}

// The decimator output for the line as it stood after the first half-sample was pushed,
// from the entries after the call (shifted by the second push).
double decimatedBeforeSecondPush(const HalfBandDecimator& line) {
    const double odd[16] = {-0.00188787839582,  0.003862478304199,  -0.008242466596548, 0.015947113970594,
                            -0.028676559233976, 0.050718561562229,  -0.098015907472862, 0.315941764435879,
                            0.315941764435879,  -0.098015907472862, 0.050718561562229,  -0.028676559233976,
                            0.015947113970594,  -0.008242466596548, 0.003862478304199,  -0.00188787839582};
    double sum = 0;
    for (int j = 0; j < 16; ++j) {
        sum += odd[j] * line.entry(2 * j + 2);
    }
    return sum + 0.500705786852609 * line.entry(17);
}

TEST(OutputStage, WetShareOfTheDecimatedSignal) {
    for (const int type : {kDistortionSaturate, kDistortionFoldback}) {
        for (const auto& [d, wet] : {std::pair{0.05, 0.5}, std::pair{0.02, 0.2}, std::pair{0.3, 1.0}}) {
            OutputStage stage;
            for (int i = 0; i < 200; ++i) {
                const double y = stage.distort(0.4 * std::sin(i * 0.3), 0.6, d, type);
                const double h2 = stage.decimator().entry(0);
                EXPECT_NEAR(y, wet * decimatedBeforeSecondPush(stage.decimator()) + (1 - wet) * h2, 1e-12);
                // The line holds the half-samples in double; the kept copies are floats.
                EXPECT_EQ(stage.lastHalf(0), static_cast<float>(stage.decimator().entry(1)));
                EXPECT_EQ(stage.lastHalf(1), static_cast<float>(h2));
            }
        }
    }
}

// The block pass of the output stage against finish frame by frame: every distortion type,
// with and without the high-pass and the output clipper, in blocks of many lengths (enough
// frames for the decimator to move its line). Outputs and states agree bit for bit.
TEST(OutputStage, BlockPassEqualsFrameByFrameFinish) {
    for (const int type : {0, 1, 2}) {  // Saturate, Foldback, and a value that repeats the last half-samples
        for (const bool filters : {false, true}) {
            SCOPED_TRACE(testing::Message() << "type " << type << (filters ? ", high-pass and clipper" : ""));
            OutputBlock block;
            block.distortion = true;
            block.distortionType = type;
            block.highpass = filters;
            block.outputClipping = filters;
            OutputStage byFrame;
            OutputStage byBlock;
            std::mt19937 random(static_cast<unsigned>(type));
            std::uniform_real_distribution<double> uniform(-1.0, 1.0);
            for (const int n : {1, 2, 3, 5, 31, 32, 17, 32, 32, 9, 32, 32, 32, 32, 32}) {
                BlockPassFrames frames;
                double out[kBlockPassFrames];
                double expected[kBlockPassFrames];
                for (int i = 0; i < n; ++i) {
                    const double y = 0.8 * uniform(random);
                    const double drive = 0.5 + 0.5 * uniform(random);
                    const double distortion = 0.1 + 0.1 * uniform(random);  // wet shares below and at 1
                    const double volume2 = 0.6 + 0.1 * uniform(random);
                    expected[i] = byFrame.finish(y, drive, distortion, volume2, block);
                    frames.add(byBlock.front(y, drive, block), drive, distortion, volume2);
                }
                byBlock.finishFrames(frames, out, block);
                for (int i = 0; i < n; ++i) {
                    ASSERT_EQ(std::memcmp(&out[i], &expected[i], sizeof(double)), 0) << n << " " << i;
                }
                for (int e = 0; e < HalfBandDecimator::kTaps; ++e) {
                    ASSERT_EQ(byBlock.decimator().entry(e), byFrame.decimator().entry(e)) << e;
                }
                ASSERT_EQ(byBlock.lastHalf(0), byFrame.lastHalf(0));
                ASSERT_EQ(byBlock.lastHalf(1), byFrame.lastHalf(1));
            }
        }
    }
}

TEST(VoiceEngine, AccentIsLouder) {
    Voice plain(44100.0f);
    Voice accented(44100.0f);
    for (Voice* v : {&plain, &accented}) {
        v->controls.accent = 0.8f;
        v->controls.resonance = 0.5f;
    }
    plain.play(65.4f, false);
    accented.play(65.4f, true);
    EXPECT_GT(rms(accented.render(0.2)), 1.3 * rms(plain.render(0.2)));
}

TEST(VoiceEngine, SlideGlidesWithoutRetrigger) {
    Voice v(44100.0f);
    v.play(110.0f);
    v.render(0.1);
    const double filterEnv = v.engine.envelopes().filterEnv();
    v.note.stepPitch = 220.0f;
    v.note.prevSlide = 1;
    v.render(1.0 / 44100.0);
    EXPECT_LT(v.engine.frequency(), 112.0);
    EXPECT_LT(v.engine.envelopes().filterEnv(), filterEnv);
    v.render(0.0653 - 1.0 / 44100.0);
    EXPECT_NEAR(v.engine.frequency(), 220.0 - 0.1 * 110.0, 1.5);  // within 10 % after 65.3 ms
    v.render(0.3);
    EXPECT_NEAR(v.engine.frequency(), 220.0, 0.01);
    EXPECT_GT(v.note.samplesSinceTrigger, 44100 * 0.4);

    v.note.stepPitch = 110.0f;
    v.note.prevSlide = 0;  // a note that is not slid into jumps at once
    v.render(1.0 / 44100.0);
    EXPECT_NEAR(v.engine.frequency(), 110.0, 1e-3);
}

TEST(VoiceEngine, FilterModesSoundDifferent) {
    std::vector<double> renders[3];
    for (int mode = 0; mode < 3; ++mode) {
        Voice v(44100.0f);
        v.options.filterMode = mode;
        v.controls.resonance = 0.7f;
        v.play(55.0f);
        renders[mode] = v.render(0.3);
        EXPECT_GT(rms(renders[mode]), 0.02) << mode;
    }
    for (int a = 0; a < 3; ++a) {
        std::vector<double> difference(renders[a].size());
        for (std::size_t i = 0; i < difference.size(); ++i) {
            difference[i] = renders[a][i] - renders[(a + 1) % 3][i];
        }
        EXPECT_GT(rms(difference), 0.1 * rms(renders[a])) << a;
    }
}

TEST(VoiceEngine, LevelsAgreeAcrossSampleRates) {
    double level[3];
    const float rates[3] = {44100.0f, 48000.0f, 96000.0f};
    for (int i = 0; i < 3; ++i) {
        for (const float waveform : {1.0f, 0.0f}) {  // the sawtooth's levels are compared
            Voice v(rates[i]);
            v.controls.waveform = waveform;
            v.controls.resonance = 0.6f;
            v.play(65.4f);
            const std::vector<double> out = v.render(0.5);
            double peak = 0;
            for (const double s : out) {
                peak = std::max(peak, std::fabs(s));
            }
            EXPECT_LT(peak, 2.0) << rates[i];
            level[i] = rms(out);
            EXPECT_GT(level[i], 0.03) << rates[i];
            EXPECT_LT(level[i], 1.0) << rates[i];
        }
    }
    EXPECT_NEAR(level[1] / level[0], 1.0, 0.2);
    EXPECT_NEAR(level[2] / level[0], 1.0, 0.3);
}

TEST(VoiceEngine, AsymmetrySwitchAndResume) {
    Voice v(44100.0f);
    EXPECT_TRUE(v.engine.asymmetry());
    EXPECT_FALSE(v.engine.toggleAsymmetry());
    EXPECT_EQ(v.engine.oscillator().cycleFactorA, 1.0f);
    const float b = v.engine.oscillator().cycleFactorB;
    v.play(220.0f);
    v.render(0.2);
    EXPECT_EQ(v.engine.oscillator().cycleFactorA, 1.0f);
    EXPECT_EQ(v.engine.oscillator().cycleFactorB, b);
    EXPECT_TRUE(v.engine.toggleAsymmetry());
    EXPECT_EQ(v.engine.oscillator().cycleFactorA, 1.0015f);

    EXPECT_GT(v.engine.envelopes().filterEnv(), 0.0);
    v.engine.resetEnvelopes();
    EXPECT_EQ(v.engine.envelopes().filterEnv(), 0.0);
    EXPECT_EQ(v.engine.envelopes().vcaDecayEnv(), 0.0);
}

}  // namespace
}  // namespace vexo

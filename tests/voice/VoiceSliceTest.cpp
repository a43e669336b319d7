// The interleaved slice loop against frame-by-frame rendering, and the exact shortcuts the
// voice takes: the clamped clipper and the caches of values that a held note repeats.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "TestWaveTables.h"
#include "config/Settings.h"
#include "sequencer/StepClock.h"
#include "voice/VoiceEngine.h"
#include "voice/WaveTableBuilder.h"
#include "voice/WaveTables.h"

namespace vexo {
namespace {

bool sameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// A step clock for tests: every 700 frames a step starts (its pitch, accent and slide from
// the step number), the gate closes after 400 frames, now and then the phase resets, and
// three rests in every eight steps let the voice fall idle.
struct TestClock {
    int frame = 0;

    void tick(NoteState& note) {
        const int step = frame / 700;
        const int inStep = frame % 700;
        if (inStep == 0 && step % 8 >= 5) {
            note.prevSlide = note.stepSlide = 0;
            note.noteGate = 0;
        } else if (inStep == 0) {
            note.prevSlide = note.stepSlide;
            note.stepSlide = step % 3 == 1 ? 1 : 0;
            note.stepAccent = note.accentOn = step % 4 == 0 ? 1 : 0;
            note.stepPitch = static_cast<float>(55.0 * (1 + step % 5));
            note.noteGate = 1;
            if (note.prevSlide == 0) {
                note.trigger();
            }
            if (step % 7 == 3) {
                note.oscPhase = 0.0f;
            }
        }
        if (inStep == 400 && note.stepSlide == 0) {
            note.noteGate = 0;
        }
        ++frame;
    }

    // The next `frames` ticks lie within a rest and change nothing.
    bool restsFor(int frames) const {
        return (frame / 700) % 8 >= 5 && frame % 700 != 0 && frame % 700 + frames <= 700;
    }
};

// Records the order of the hook calls and adds a preview value on some frames.
struct RecordingHooks {
    TestClock& clock;
    NoteState& note;
    std::vector<double>& out;
    std::vector<char>& calls;
    int ticks = 0;
    bool previews = true;
    bool quietSlice = false;

    bool quiet() const { return quietSlice; }
    void tick() {
        calls.push_back('t');
        clock.tick(note);
        ++ticks;
    }
    bool audition(double& extra) {
        calls.push_back('a');
        if (!previews || ticks % 5 != 0) {
            return false;
        }
        extra = 0.001 * ticks;
        return true;
    }
    void write(int i, double sample) {
        calls.push_back('w');
        EXPECT_EQ(static_cast<std::size_t>(i), out.size());
        out.push_back(sample);
    }
};

struct VoiceSetup {
    float rate;
    VoiceControls controls;
    VoiceOptions options;
    bool previews = true;  // every fifth frame adds a preview sample
};

// The smoothed knobs at the end of each slice.
using SmoothedStates = std::vector<SmoothedControls>;

// Frame by frame: the reference order of the old render loop.
std::vector<double> renderByFrames(const VoiceSetup& setup, const std::vector<int>& slices, NoteState& note,
                                   VoiceEngine& engine, SmoothedStates& smoothed) {
    TestClock clock;
    std::vector<double> out;
    int ticks = 0;
    for (const int frames : slices) {
        EXPECT_TRUE(engine.beginBlock(setup.rate, setup.controls, setup.options));
        for (int i = 0; i < frames; ++i) {
            clock.tick(note);
            ++ticks;
            double sample = engine.renderFrame(note);
            if (setup.previews && ticks % 5 == 0) {
                sample += 0.001 * ticks;
            }
            out.push_back(sample);
        }
        smoothed.push_back(engine.smoothed());
    }
    return out;
}

std::vector<double> renderBySlices(const VoiceSetup& setup, const std::vector<int>& slices, NoteState& note,
                                   VoiceEngine& engine, SmoothedStates& smoothed, int* quietSlices = nullptr) {
    TestClock clock;
    std::vector<double> out;
    int ticks = 0;
    for (const int frames : slices) {
        EXPECT_TRUE(engine.beginBlock(setup.rate, setup.controls, setup.options));
        std::vector<double> slice;
        std::vector<char> calls;
        RecordingHooks hooks{
            clock, note, slice, calls, ticks, setup.previews, !setup.previews && clock.restsFor(frames)};
        engine.renderSlice(note, frames, hooks);
        ticks = hooks.ticks;
        EXPECT_EQ(static_cast<int>(slice.size()), frames);
        if (hooks.quietSlice && std::count(calls.begin(), calls.end(), 't') == 0) {
            // The idle voice skipped the quiet slice's ticks, which the clock still counts.
            if (quietSlices != nullptr) {
                ++*quietSlices;
            }
            clock.frame += frames;
            ticks += frames;
            out.insert(out.end(), slice.begin(), slice.end());
            smoothed.push_back(engine.smoothed());
            continue;
        }
        // Each frame's tick comes before its audition, each audition before the next tick.
        std::string order;
        for (const char c : calls) {
            if (c != 'w') {
                order += c;
            }
        }
        std::string expected;
        for (int i = 0; i < frames; ++i) {
            expected += "ta";
        }
        EXPECT_EQ(order, expected);
        out.insert(out.end(), slice.begin(), slice.end());
        smoothed.push_back(engine.smoothed());
    }
    return out;
}

std::vector<VoiceSetup> setups() {
    std::vector<VoiceSetup> all;
    for (int mode = 0; mode < 3; ++mode) {
        for (int variant = 0; variant < 4; ++variant) {
            VoiceSetup s;
            s.rate = variant == 3 ? 192000.0f : (variant == 2 ? 96000.0f : 44100.0f);
            s.options.filterMode = mode;
            s.options.vcaNoise = variant % 2;
            s.options.vcaLeveling = variant == 1 ? 1 : 0;
            s.options.outputClipping = variant == 2 ? 1 : 0;
            s.options.envmodKnob = variant == 3 ? 0 : 1;
            s.options.activeClocks = 1500;                         // idle stretches between the gated steps
            s.options.smoothSpeed = variant == 1 ? 0.3f : 0.002f;  // settles within the first idle stretch
            s.controls.resonance = 0.35f + 0.2f * static_cast<float>(variant);
            s.controls.cutoff = 0.2f + 0.15f * static_cast<float>(mode);
            s.controls.envMod = 0.7f;
            s.controls.accent = 0.8f;
            s.controls.decay = 0.3f;
            s.controls.distortion = variant == 0 ? 0.0f : (variant == 1 ? 0.05f : 0.6f);
            s.controls.distortionType = variant == 3 ? 1.0f : (variant == 2 ? 2.0f : 0.0f);
            s.controls.drive = 0.6f;
            s.controls.highpassFilter = variant >= 2 ? 1.0f : 0.0f;
            s.controls.waveform = variant == 1 ? 1.0f : 0.0f;
            all.push_back(s);
        }
    }
    return all;
}

// One setup and its slices rendered frame by frame (A) and by slices (B), each on an
// engine of its own.
struct BothWays {
    VoiceEngine byFrames;
    VoiceEngine bySlices;
    NoteState noteA;
    NoteState noteB;
    SmoothedStates smoothedA;
    SmoothedStates smoothedB;
    std::vector<double> a;
    std::vector<double> b;
    int quietSlices = 0;

    BothWays(const VoiceSetup& setup, const std::vector<int>& slices) {
        byFrames.setWaveTables(&test::testWaveTables());
        bySlices.setWaveTables(&test::testWaveTables());
        a = renderByFrames(setup, slices, noteA, byFrames, smoothedA);
        b = renderBySlices(setup, slices, noteB, bySlices, smoothedB, &quietSlices);
    }

    // The samples and the smoothed knobs after every slice, bit for bit.
    void expectSameBits() const {
        ASSERT_EQ(smoothedA.size(), smoothedB.size());
        for (std::size_t i = 0; i < smoothedA.size(); ++i) {
            EXPECT_EQ(std::memcmp(&smoothedA[i], &smoothedB[i], sizeof(SmoothedControls)), 0) << "after slice " << i;
        }
        ASSERT_EQ(a.size(), b.size());
        for (std::size_t i = 0; i < a.size(); ++i) {
            ASSERT_TRUE(sameBits(a[i], b[i])) << "frame " << i << ": " << a[i] << " against " << b[i];
        }
    }
};

TEST(VoiceSlice, SamplesAndStatesMatchFrameByFrameRendering) {
    // Slices of every awkward size, including single frames and a run longer than a step.
    const std::vector<int> slices = {1,    2, 3,    700, 5, 64,   399, 1,    1,  1,   512,
                                     1000, 7, 2500, 333, 2, 1201, 999, 2048, 77, 3001};
    for (const VoiceSetup& setup : setups()) {
        SCOPED_TRACE(testing::Message() << "mode " << setup.options.filterMode << ", rate " << setup.rate
                                        << ", distortion " << setup.controls.distortion);
        const BothWays r(setup, slices);
        r.expectSameBits();
        EXPECT_GT(std::count(r.a.begin(), r.a.end(), 0.0), 0);  // the idle rule was reached
        for (int n = 1; n <= 8; ++n) {
            EXPECT_TRUE(sameBits(r.byFrames.filter().stage(n).value, r.bySlices.filter().stage(n).value)) << n;
        }
        EXPECT_TRUE(sameBits(r.byFrames.envelopes().accentCapSmoothed(), r.bySlices.envelopes().accentCapSmoothed()));
        EXPECT_TRUE(sameBits(r.byFrames.outputStage().preFilter(), r.bySlices.outputStage().preFilter()));
        EXPECT_TRUE(sameBits(r.byFrames.frequency(), r.bySlices.frequency()));
        EXPECT_EQ(r.byFrames.releaseCounter(), r.bySlices.releaseCounter());
        EXPECT_EQ(r.noteA.oscPhase, r.noteB.oscPhase);
        EXPECT_EQ(r.noteA.envTrigger, r.noteB.envTrigger);
        EXPECT_EQ(r.noteA.samplesSinceTrigger, r.noteB.samplesSinceTrigger);
        EXPECT_TRUE(sameBits(r.noteA.attackRamp.value, r.noteB.attackRamp.value));
    }
}

// Without previews, the slices within a rest are quiet: once the voice is idle it skips
// them whole, and what it leaves is what frame-by-frame rendering leaves.
TEST(VoiceSlice, QuietSlicesOfAnIdleVoice) {
    const std::vector<int> slices(120, 100);
    for (VoiceSetup setup : setups()) {
        setup.previews = false;
        SCOPED_TRACE(testing::Message() << "mode " << setup.options.filterMode << ", rate " << setup.rate);
        const BothWays r(setup, slices);
        EXPECT_GT(r.quietSlices, 0);
        r.expectSameBits();
        EXPECT_EQ(r.byFrames.releaseCounter(), r.bySlices.releaseCounter());
    }
}

TEST(VoiceSlice, VolumeZeroAndEmptySlices) {
    VoiceSetup setup = setups()[5];
    setup.controls.volume = 0.0f;
    VoiceEngine engine;
    engine.setWaveTables(&test::testWaveTables());
    NoteState note;
    TestClock clock;
    std::vector<double> out;
    std::vector<char> calls;
    RecordingHooks hooks{clock, note, out, calls, 0};
    ASSERT_TRUE(engine.beginBlock(setup.rate, setup.controls, setup.options));
    engine.renderSlice(note, 0, hooks);
    EXPECT_TRUE(calls.empty());
    engine.renderSlice(note, 600, hooks);
    ASSERT_EQ(out.size(), 600u);
    for (std::size_t i = 0; i < out.size(); ++i) {
        // Frames with a preview value carry exactly that value.
        ASSERT_EQ(out[i], (i + 1) % 5 == 0 ? 0.001 * static_cast<double>(i + 1) : 0.0) << i;
    }
    EXPECT_EQ(engine.filter().stage(1).value, 0.0);
    EXPECT_EQ(engine.envelopes().filterEnv(), 0.0);
    EXPECT_EQ(note.oscPhase, 0.0f);
}

// A filter driven past every bound (no clipper, a feedback gain of 1e30) makes the fast
// poles' guard fail, so each sub-block runs its filter again with the plain steps; the
// samples, infinities and NaNs included, stay those of frame-by-frame rendering.
TEST(VoiceSlice, AnOverflowingFilterRendersTheSameBits) {
    VoiceSetup setup = setups()[8];  // mode 2
    setup.options.tm4 = 1e30f;
    setup.controls.resonance = 1.0f;
    const BothWays r(setup, {40, 33, 500, 7, 64});
    r.expectSameBits();
    EXPECT_GT(std::count_if(r.a.begin(), r.a.end(), [](double x) { return !std::isfinite(x); }), 0);
}

// --- Random patterns through the step clock, every instruction set the build may use

struct NoMidi : MidiOutput {
    void queueMidi(int, int, int, int) override {}
    bool sendMidiNow(int, int, int, int) override { return true; }
};

// A voice clocked by the real step clock from a random pattern, with random settings.
struct ClockedVoice {
    PatternBank bank;
    Settings settings;
    NoteState note;
    NoMidi midi;
    StepClock clock{bank, settings, note, midi};
    VoiceEngine engine;
    std::vector<double> out;

    // Slice hooks: the clock's tick, a wave-preview value on every seventh frame of a step
    // while the clock runs; a stopped clock makes the slice quiet.
    bool quiet() const { return !clock.playing(); }
    void tick() { clock.tick(); }
    bool audition(double& extra) {
        if (!clock.playing() || clock.stepFrameCounter % 7 != 3) {
            return false;
        }
        extra = 1e-3 * (clock.stepIndex % 11);
        return true;
    }
    void write(int, double sample) { out.push_back(sample); }
};

// Random settings, a random pattern at a random tempo, and slices of random sizes with the
// knobs moving and the clock starting or stopping between them.
struct RandomSession {
    float rate = 44100.0f;
    VoiceOptions options;
    Pattern pattern;
    double tempo = 120.0;
    std::vector<VoiceControls> controls;  // per slice
    std::vector<int> slices;
    std::vector<int> events;  // before each slice: 0 none, 1 start, 2 stop

    explicit RandomSession(std::mt19937& random) {
        auto pick = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(random); };
        auto unit = [&] { return std::uniform_real_distribution<float>(0.0f, 1.0f)(random); };
        const float rates[] = {22050.0f, 44100.0f, 48000.0f, 96000.0f, 192000.0f};
        rate = rates[pick(0, 4)];
        options.filterMode = pick(0, 2);
        options.vcaNoise = pick(0, 1);
        options.vcaLeveling = pick(0, 1);
        options.outputClipping = pick(0, 1);
        options.envmodKnob = pick(0, 1);
        options.tm3 = unit();
        options.tm6 = unit();
        options.smoothSpeed = pick(0, 1) ? 0.002f : 0.5f * unit();
        options.activeClocks = pick(0, 1) ? 88200 : pick(200, 4000);
        tempo = 60 + 180 * unit();
        pattern.setLength(pick(1, 16));
        pattern.setShuffle(pick(0, 1) ? pick(0, 127) : 0);
        pattern.setTriplet(pick(0, 3) == 0);
        for (int i = 0; i < kMaxSteps; ++i) {
            pattern.setStep(i, Step{static_cast<std::uint8_t>(pick(0, 31)), static_cast<std::uint8_t>(pick(0, 63))});
        }
        VoiceControls c;
        float* knobs[] = {&c.tune,  &c.cutoff, &c.resonance,  &c.envMod,         &c.decay,          &c.accent,
                          &c.drive, &c.volume, &c.distortion, &c.distortionType, &c.highpassFilter, &c.waveform};
        for (int n = pick(5, 60); n > 0; --n) {
            const int knob = pick(0, 11);
            *knobs[knob] = knob >= 9 ? static_cast<float>(pick(0, 1)) : (pick(0, 5) == 0 ? 0.0f : unit());
            controls.push_back(c);
            slices.push_back(pick(0, 2) == 0 ? pick(1, 40) : pick(100, 3000));
            events.push_back(controls.size() == 1 ? 1 : (pick(0, 7) == 0 ? pick(1, 2) : 0));
        }
    }

    // Renders every slice, each with render(engine, note, frames, hooks) after its event.
    template <class Render>
    void play(ClockedVoice& v, Render render) const {
        v.engine.setWaveTables(&test::testWaveTables());
        v.bank.pattern(0) = pattern;
        v.clock.setTempo(tempo, rate);
        for (std::size_t slice = 0; slice < slices.size(); ++slice) {
            if (events[slice] == 1) {
                v.clock.start();
            } else if (events[slice] == 2) {
                v.clock.stop();
            }
            ASSERT_TRUE(v.engine.beginBlock(rate, controls[slice], options));
            render(v.engine, v.note, slices[slice], v);
        }
    }
};

using SliceRenderer = void (*)(VoiceEngine&, NoteState&, int, ClockedVoice&);

void renderSliceBaseline(VoiceEngine& engine, NoteState& note, int frames, ClockedVoice& hooks) {
    engine.renderSlice(note, frames, hooks);
}

#if defined(__x86_64__) && defined(__GNUC__)
// The renderer compiled as the plug-in's AVX2 and AVX-512 copies are.
__attribute__((target("avx2"))) void renderSliceAvx2(VoiceEngine& engine, NoteState& note, int frames,
                                                     ClockedVoice& hooks) {
    engine.renderSlice(note, frames, hooks);
}
__attribute__((target("arch=x86-64-v4"))) void renderSliceAvx512(VoiceEngine& engine, NoteState& note, int frames,
                                                                 ClockedVoice& hooks) {
    engine.renderSlice(note, frames, hooks);
}
#endif

// The slice renderers this processor can run, by name.
std::vector<std::pair<const char*, SliceRenderer>> sliceRenderers() {
    std::vector<std::pair<const char*, SliceRenderer>> renderers = {{"x86-64 baseline", &renderSliceBaseline}};
#if defined(__x86_64__) && defined(__GNUC__)
    if (__builtin_cpu_supports("avx2")) {
        renderers.emplace_back("AVX2", &renderSliceAvx2);
    }
    if (__builtin_cpu_supports("x86-64-v4")) {
        renderers.emplace_back("AVX-512", &renderSliceAvx512);
    }
#endif
    return renderers;
}

TEST(VoiceSlice, RandomPatternsSettingsAndSlicesMatchFrameByFrameOnEveryInstructionSet) {
    std::mt19937 random(1600);
    for (int n = 0; n < 12; ++n) {
        const RandomSession session(random);
        ClockedVoice byFrames;
        session.play(byFrames, [](VoiceEngine& engine, NoteState& note, int frames, ClockedVoice& v) {
            for (int i = 0; i < frames; ++i) {
                v.tick();
                double sample = engine.renderFrame(note);
                double extra = 0.0;
                if (v.audition(extra)) {
                    sample += extra;
                }
                v.write(i, sample);
            }
        });
        for (const auto& [name, render] : sliceRenderers()) {
            SCOPED_TRACE(testing::Message() << "session " << n << ", " << name);
            ClockedVoice bySlices;
            session.play(bySlices, render);
            ASSERT_EQ(byFrames.out.size(), bySlices.out.size());
            for (std::size_t i = 0; i < byFrames.out.size(); ++i) {
                ASSERT_TRUE(sameBits(byFrames.out[i], bySlices.out[i]))
                    << "frame " << i << ": " << byFrames.out[i] << " against " << bySlices.out[i];
            }
            for (int s = 1; s <= 8; ++s) {
                EXPECT_TRUE(sameBits(byFrames.engine.filter().stage(s).value, bySlices.engine.filter().stage(s).value));
            }
            EXPECT_EQ(byFrames.note.oscPhase, bySlices.note.oscPhase);
            EXPECT_EQ(byFrames.clock.stepIndex, bySlices.clock.stepIndex);
            EXPECT_EQ(byFrames.engine.releaseCounter(), bySlices.engine.releaseCounter());
            EXPECT_EQ(std::memcmp(&byFrames.engine.smoothed(), &bySlices.engine.smoothed(), sizeof(SmoothedControls)),
                      0);
        }
    }
}

// The clipper as defined: -1 below -3, +1 above 3, the rational curve between.
double satReference(double v) {
    if (v < -3.0) {
        return -1.0;
    }
    if (v > 3.0) {
        return 1.0;
    }
    return v * (v * v + 27.0) / (9.0 * v * v + 27.0);
}

TEST(Sat, ClampedCurveMatchesTheDefinitionBitForBit) {
    std::vector<double> values = {0.0,
                                  -0.0,
                                  3.0,
                                  -3.0,
                                  std::nextafter(3.0, 4.0),
                                  std::nextafter(3.0, 0.0),
                                  std::nextafter(-3.0, -4.0),
                                  std::nextafter(-3.0, 0.0),
                                  1e-310,
                                  -1e-310,
                                  1e300,
                                  -1e300,
                                  std::numeric_limits<double>::infinity(),
                                  -std::numeric_limits<double>::infinity()};
    for (double v = -7.0; v <= 7.0; v += 0.0013) {
        values.push_back(v);
    }
    for (const double v : values) {
        EXPECT_TRUE(sameBits(sat(v), satReference(v))) << v;
        EXPECT_TRUE(sameBits(satSelect(v), satReference(v))) << v;
        const Double2 pair = sat(Double2{v, -v});
        EXPECT_TRUE(sameBits(pair[0], satReference(v))) << v;
        EXPECT_TRUE(sameBits(pair[1], satReference(-v))) << v;
    }
    EXPECT_TRUE(std::isnan(sat(NAN)));
    EXPECT_TRUE(std::isnan(satSelect(NAN)));
    EXPECT_TRUE(std::isnan(sat(Double2{NAN, 0.5})[0]));
    EXPECT_EQ(sat(Double2{NAN, 0.5})[1], satReference(0.5));
}

TEST(SnapStep, EqualsTheStepItReplaces) {
    SnapStep snap;
    OnePole cached;
    OnePole direct;
    // Held pitches (the cache answers), new ones, and a NaN that must never match.
    const double targets[] = {110.0, 110.0, 110.0, 110.0, 110.0, 220.0, 220.0, 110.0, 110.0, 110.0,
                              NAN,   NAN,   55.0,  55.0,  55.0,  55.0,  1e-3,  0.0,   0.0,   0.0};
    for (const double x : targets) {
        snap(cached, x);
        direct.value = x;
        rk4Step(direct, x, 1.0);
        EXPECT_TRUE(sameBits(cached.value, direct.value)) << x;
        EXPECT_TRUE(sameBits(cached.flip, direct.flip)) << x;
    }
}

// The cached cycle is the level map's for every increment: held and alternating ones, a
// glide over many levels in both directions (each range edge crossed), and odd values.
TEST(CycleCache, ReturnsTheCycleOfTheLevelMap) {
    const WaveTableData& data = test::testWaveTables().saw.data;
    OscillatorBlock block;
    block.table = WaveTableView::of(data);
    block.mapScale = kLevelMapScales[0];
    CycleCache cache;
    cache.reset();
    std::vector<double> increments = {0.0025, 0.0026, 0.0025, 0.0026, 0.0025, 0.01, 0.0026, 0.0025, NAN,
                                      0.0,    -0.0,   0.0,    -1.0,   0.01,   0.5,  2.0,    1e-9,   1e-12};
    for (double f = 20.0; f < 8000.0; f *= 1.003) {
        increments.push_back(f / 44100.0);
        increments.push_back(std::nextafter(f / 44100.0, 1.0));
    }
    for (double f = 8000.0; f > 20.0; f /= 1.005) {
        increments.push_back(f / 44100.0);
    }
    for (const double increment : increments) {
        const int level =
            data.levelMap[static_cast<std::size_t>(levelMapIndex(increment, block.mapScale, data.mapSize()))];
        const CycleView cycle = cache(increment, block);
        ASSERT_EQ(cycle.samples, data.samples.data() + data.offsets[static_cast<std::size_t>(level)]) << increment;
        ASSERT_EQ(cycle.length, data.lengths[static_cast<std::size_t>(level)]) << increment;
    }
    // A new block (here the square set) must not be answered from the old one.
    const WaveTableData& square = test::testWaveTables().square.data;
    block.table = WaveTableView::of(square);
    cache.reset();
    const int level = square.levelMap[static_cast<std::size_t>(levelMapIndex(0.01, block.mapScale, square.mapSize()))];
    EXPECT_EQ(cache(0.01, block).samples, square.samples.data() + square.offsets[static_cast<std::size_t>(level)]);
}

TEST(TwoResultCache, EnvModCurveForAlternatingAndNewArguments) {
    TwoResultCache<EnvModCurve> curve;
    const double arguments[] = {0.6, 0.61, 0.6, 0.61, 0.6, 0.2, 0.61, 0.6, 1.0, 0.0, 0.0};
    for (const double e : arguments) {
        EXPECT_TRUE(sameBits(curve(e), envModCurve(e))) << e;
    }
}

}  // namespace
}  // namespace vexo

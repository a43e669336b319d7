// Voice engine cost per frame: the voice alone (driven by a minimal in-bench sequencer),
// the whole processReplacing path of the plug-in, and the voice's own filter alone.
// FullChainBench.cpp sets the full chain against the floor loop of FilterFloor.c.
//
// Counters: time_per_frame (seconds per rendered frame) and realtime_x (seconds of audio
// rendered per second of CPU time on one core).
//
// Where the time goes (2-core AMD EPYC, Zen 4, 44.1 kHz, medians; the other core's load
// moves every figure by several per cent, so compare within one run):
// - The filter alone, ~91 ns with the plain Runge-Kutta steps, ~85 ns with the steps the
//   renderer takes (rk4StepHalfCoef: the same bits, two multiplications fewer per pole on
//   the chain). One serial chain per frame: four poles, each ending in a division by 6,
//   three clippers with a division each, the feedback's round trip through float. The
//   floor loop of FilterFloor.c (~80 ns) has neither the clipper's scales nor that round
//   trip nor varying coefficients.
// - The rest of a frame, ~890 instructions, has dependency chains of its own (step clock,
//   envelopes and accent, the cutoff control's table lookups); without the filter it takes
//   ~94 ns by itself. Frame by frame it waits behind the filter (PerFrame ~183 ns). The
//   sub-block renderer prepares frame n + 1 between the poles of frame n, moves the stages
//   after the filter that carry no state into a vectorised block pass, and caches what a
//   held note repeats: ~111 ns voice-only. The processor looks less than one frame's
//   instructions ahead, so not all of the rest hides beside the filter.
// - Through processReplacing the AVX-512 copy of the render loop runs on this machine:
//   ~113-115 ns, 1.44x the floor loop; the AVX2 copy is ~5 % slower, the x86-64 baseline
//   ~8 %. Idle: ~5.5 ns, 4.8 % of busy.
#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "host/SynthPlugin.h"
#include "voice/PitchTables.h"
#include "voice/VoiceEngine.h"
#include "voice/WaveTables.h"

namespace vexo {
namespace {

using bench::kAccents;
using bench::kBlockFrames;
using bench::kNotes;
using bench::kPatternKey;

constexpr double kTempoBpm = 120.0;
constexpr double kGateShare = 0.51;
constexpr int kIdleKey = 36;

enum class Chain { Plain, Distorted };

VoiceControls benchControls(Chain chain) {
    VoiceControls c;
    c.resonance = 0.8f;
    c.cutoff = 0.4f;
    c.envMod = 0.6f;
    c.decay = 0.4f;
    c.accent = 0.7f;
    if (chain == Chain::Distorted) {
        c.distortion = 0.6f;
        c.drive = 0.7f;
        c.distortionType = 0.0f;
        c.highpassFilter = 1.0f;
    }
    return c;
}

const WaveTablePair& benchWaveTables() {
    WaveTablePair& pair = acquireWaveTables();
    loadWaveTables(pair, std::string(VEXO_PLUGIN_DIR) + "/Data/1ca37741f.dat",
                   std::string(VEXO_PLUGIN_DIR) + "/Data/3c2a6627a.dat");
    return pair;
}

// Plays the 16-step pattern into a NoteState the way the step clock does: a trigger and
// the pitch at each step start, the gate closing after 51 % of the step.
class MiniSequencer {
public:
    explicit MiniSequencer(double sampleRate) : stepFrames_(sampleRate / (kTempoBpm / 60.0 * 4.0)) {}

    void tick(NoteState& note) {
        if (position_ >= stepFrames_) {
            position_ -= stepFrames_;
            step_ = (step_ + 1) % static_cast<int>(kNotes.size());
            started_ = false;
        }
        if (!started_) {
            started_ = true;
            const std::size_t i = static_cast<std::size_t>(step_);
            note.stepPitch = pitchTableStandard()[static_cast<std::size_t>(kLowestMidiNote + kNotes[i])];
            note.noteGate = 1;
            note.accentOn = note.stepAccent = kAccents[i] ? 1 : 0;
            note.trigger();
        }
        if (position_ > stepFrames_ * kGateShare) {
            note.noteGate = 0;
        }
        position_ += 1.0;
    }

private:
    double stepFrames_;
    double position_ = 0.0;
    int step_ = 0;
    bool started_ = false;
};

void setCounters(benchmark::State& state, double sampleRate, long long framesPerIteration) {
    const double frames = static_cast<double>(state.iterations()) * static_cast<double>(framesPerIteration);
    state.counters["time_per_frame"] =
        benchmark::Counter(frames, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["realtime_x"] = benchmark::Counter(frames / sampleRate, benchmark::Counter::kIsRate);
}

// --- The voice alone

// The slice loop of the voice as the plug-in drives it, with the mini sequencer as the clock.
struct BenchHooks {
    MiniSequencer& sequencer;
    NoteState& note;
    float* out;
    bool play;

    void tick() {
        if (play) {
            sequencer.tick(note);
        }
    }
    bool quiet() const { return !play; }
    bool audition(double&) { return false; }
    void write(int i, double sample) { out[i] = static_cast<float>(sample); }
};

// Loop::Slice is the plug-in's renderSlice; Loop::PerFrame calls renderFrame frame by frame,
// the reference the slice loop must match and the measure of what the interleaving gains.
enum class Loop { Slice, PerFrame };

void voiceBench(benchmark::State& state, Chain chain, bool idle, Loop loop = Loop::Slice) {
    const double sampleRate = static_cast<double>(state.range(0));
    auto voice = std::make_unique<VoiceEngine>();
    voice->setWaveTables(&benchWaveTables());
    NoteState note;
    MiniSequencer sequencer(sampleRate);
    const VoiceControls controls = benchControls(chain);
    const VoiceOptions options;
    std::vector<float> out(kBlockFrames);

    auto renderBlock = [&](bool play) {
        if (!voice->beginBlock(static_cast<float>(sampleRate), controls, options)) {
            state.SkipWithError("wavetables not loaded");
            return;
        }
        if (loop == Loop::Slice) {
            BenchHooks hooks{sequencer, note, out.data(), play};
            voice->renderSlice(note, kBlockFrames, hooks);
            return;
        }
        for (int i = 0; i < kBlockFrames; ++i) {
            if (play) {
                sequencer.tick(note);
            }
            out[static_cast<std::size_t>(i)] = static_cast<float>(voice->renderFrame(note));
        }
    };
    // Two seconds of playing, then for the idle case the release tail up to the idle rule.
    for (int frames = 0; frames < 2 * sampleRate; frames += kBlockFrames) {
        renderBlock(true);
    }
    if (idle) {
        note.noteGate = 0;
        for (int frames = 0; frames <= options.activeClocks + kBlockFrames; frames += kBlockFrames) {
            renderBlock(false);
        }
    }
    for (auto _ : state) {
        renderBlock(!idle);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    setCounters(state, sampleRate, kBlockFrames);
}

void BM_VoicePattern(benchmark::State& state) {
    voiceBench(state, Chain::Plain, false);
}
void BM_VoicePatternDistortedHighpass(benchmark::State& state) {
    voiceBench(state, Chain::Distorted, false);
}
void BM_VoicePatternDistortedHighpassPerFrame(benchmark::State& state) {
    voiceBench(state, Chain::Distorted, false, Loop::PerFrame);
}
void BM_VoiceIdle(benchmark::State& state) {
    voiceBench(state, Chain::Plain, true);
}

// --- The voice's own floor: the emulated filter alone, both chains and the feedback, on a
// sawtooth; with Steps::Plain its plain Runge-Kutta steps, with Steps::HalfCoef the steps
// the sub-block renderer takes (the same bits, a shorter chain).

enum class Steps { Plain, HalfCoef };

void filterFloor(benchmark::State& state, Steps steps) {
    const double sampleRate = static_cast<double>(state.range(0));
    FilterBlock block;
    block.tables = &filterTables();
    block.mode = kFilter18dBEmulated;
    block.resonance = 0.8;
    block.oneMinusResonance = 1 - 0.8;
    CutoffControl cutoff;
    CutoffInputs inputs;
    inputs.cutoff2 = 0.16;
    inputs.envMod = 0.6;
    inputs.resonance = 0.8;
    inputs.filterEnv = 0.5;
    inputs.attackRamp = 1.0;
    const FilterControl control = cutoff.compute(inputs, block);
    LowpassFilter filter;
    std::vector<double> input(kBlockFrames);
    for (std::size_t i = 0; i < input.size(); ++i) {
        input[i] = 2.6 * (1.0 - 2.0 * static_cast<double>(i % 128) / 128.0);
    }
    std::vector<float> out(kBlockFrames);
    HalfStepGuard guard;
    for (auto _ : state) {
        for (int i = 0; i < kBlockFrames; ++i) {
            const double x = input[static_cast<std::size_t>(i)];
            double y;
            if (steps == Steps::Plain) {
                y = filter.process(x, control, block);
            } else {
                filter.pole<1, kFilter18dBEmulated, true>(x, control, block, guard);
                filter.pole<2, kFilter18dBEmulated, true>(x, control, block, guard);
                filter.pole<3, kFilter18dBEmulated, true>(x, control, block, guard);
                y = filter.pole<4, kFilter18dBEmulated, true>(x, control, block, guard);
            }
            out[static_cast<std::size_t>(i)] = static_cast<float>(y);
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    if (!guard.exact()) {
        state.SkipWithError("the filter left the range of its fast steps");
    }
    setCounters(state, sampleRate, kBlockFrames);
}

void BM_FilterFloor(benchmark::State& state) {
    filterFloor(state, Steps::Plain);
}
void BM_FilterFloorHalfCoef(benchmark::State& state) {
    filterFloor(state, Steps::HalfCoef);
}

// --- The whole processReplacing path of the plug-in

void pluginBench(benchmark::State& state, Chain chain, bool idle) {
    const double sampleRate = static_cast<double>(state.range(0));
    auto plugin = bench::makePlugin(sampleRate, benchControls(chain), bench::Slides::Off);
    std::vector<float> left(kBlockFrames);
    std::vector<float> right(kBlockFrames);
    float* outputs[2] = {left.data(), right.data()};
    bench::sendMidi(*plugin, 0x90, idle ? kIdleKey : kPatternKey, 100);
    for (int frames = 0; frames < 2 * sampleRate; frames += kBlockFrames) {
        plugin->processReplacing(nullptr, outputs, kBlockFrames);
    }
    if (idle) {
        bench::sendMidi(*plugin, 0x80, kIdleKey, 0);
        for (int frames = 0; frames <= plugin->settings().activeClocks + kBlockFrames; frames += kBlockFrames) {
            plugin->processReplacing(nullptr, outputs, kBlockFrames);
        }
    }
    for (auto _ : state) {
        plugin->processReplacing(nullptr, outputs, kBlockFrames);
        benchmark::DoNotOptimize(left.data());
        benchmark::ClobberMemory();
    }
    setCounters(state, sampleRate, kBlockFrames);
}

void BM_PluginPattern(benchmark::State& state) {
    pluginBench(state, Chain::Plain, false);
}
void BM_PluginPatternDistortedHighpass(benchmark::State& state) {
    pluginBench(state, Chain::Distorted, false);
}
void BM_PluginIdle(benchmark::State& state) {
    pluginBench(state, Chain::Plain, true);
}

}  // namespace
}  // namespace vexo

BENCHMARK(vexo::BM_FilterFloor)->Arg(44100)->Arg(96000);
BENCHMARK(vexo::BM_FilterFloorHalfCoef)->Arg(44100)->Arg(96000);
BENCHMARK(vexo::BM_VoicePattern)->Arg(44100)->Arg(96000);
BENCHMARK(vexo::BM_VoicePatternDistortedHighpass)->Arg(44100)->Arg(96000);
BENCHMARK(vexo::BM_VoicePatternDistortedHighpassPerFrame)->Arg(44100)->Arg(96000);
BENCHMARK(vexo::BM_VoiceIdle)->Arg(44100)->Arg(96000);
BENCHMARK(vexo::BM_PluginPattern)->Arg(44100)->Arg(96000);
BENCHMARK(vexo::BM_PluginPatternDistortedHighpass)->Arg(44100)->Arg(96000);
BENCHMARK(vexo::BM_PluginIdle)->Arg(44100)->Arg(96000);

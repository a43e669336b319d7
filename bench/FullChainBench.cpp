// The full chain against the floor, measured side by side in one run, and what it costs
// to construct a plug-in instance.
//
// BM_FullChainAgainstFloor: 60 s of the 16-step bass line with slides and accents in
// blocks of 512 (saw, filter mode 1, Resonance 0.8, Env.mod 0.6, Accent 0.7, Saturate with
// Drive 0.5 and Distortion 0.6, high-pass on, Volume 0.8), CPU time inside processEvents
// and processReplacing only, against the floor loop of FilterFloor.c over as many frames;
// the best of five alternating repetitions of each. Counters: floor_ns and chain_ns per
// frame, ratio (chain / floor), idle_ns per frame once the voice has fallen idle and
// idle_pct (idle / chain, per cent).
//
// BM_PluginConstruction: a copy of the plug-in folder loaded through the entry point as a
// host does; the first instance of the module (which loads the wavetables) and a second
// one beside it. Counters: first_ms and further_ms (wall time, best of five), first_kib and
// further_kib (heap in use after construction, the module's static data not counted).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "FilterFloor.h"
#include "PluginHost.h"

namespace vexo::bench {
namespace {

constexpr double kScenarioSeconds = 60.0;
constexpr double kWarmUpSeconds = 2.0;
constexpr int kRepetitions = 5;

VoiceControls fullChainControls() {
    VoiceControls c;
    c.waveform = 0.0f;
    c.resonance = 0.8f;
    c.envMod = 0.6f;
    c.accent = 0.7f;
    c.distortionType = 0.0f;
    c.drive = 0.5f;
    c.distortion = 0.6f;
    c.highpassFilter = 1.0f;
    c.volume = 0.8f;
    return c;
}

double threadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// Renders whole blocks for at least `frames` frames; returns the CPU seconds they took.
double renderSeconds(SynthPlugin& plugin, long long frames) {
    static float left[kBlockFrames];
    static float right[kBlockFrames];
    float* outputs[2] = {left, right};
    const double start = threadCpuSeconds();
    for (long long done = 0; done < frames; done += kBlockFrames) {
        plugin.processReplacing(nullptr, outputs, kBlockFrames);
    }
    const double seconds = threadCpuSeconds() - start;
    benchmark::DoNotOptimize(left[0]);
    return seconds;
}

double floorSeconds(long long frames) {
    const double start = threadCpuSeconds();
    benchmark::DoNotOptimize(vexoFilterFloor(static_cast<int>(frames)));
    return threadCpuSeconds() - start;
}

void BM_FullChainAgainstFloor(benchmark::State& state) {
    const double sampleRate = static_cast<double>(state.range(0));
    const auto frames = static_cast<long long>(kScenarioSeconds * sampleRate);
    auto plugin = makePlugin(sampleRate, fullChainControls(), Slides::On);
    double bestFloor = 1e30;
    double bestChain = 1e30;
    double idle = 0.0;
    for (auto _ : state) {
        const double start = threadCpuSeconds();
        sendMidi(*plugin, 0x90, kPatternKey, 100);
        const double eventSeconds = threadCpuSeconds() - start;
        renderSeconds(*plugin, static_cast<long long>(kWarmUpSeconds * sampleRate));
        for (int r = 0; r < kRepetitions; ++r) {
            bestFloor = std::min(bestFloor, floorSeconds(frames));
            bestChain = std::min(bestChain, eventSeconds + renderSeconds(*plugin, frames));
        }
        sendMidi(*plugin, 0x80, kPatternKey, 0);
        renderSeconds(*plugin, plugin->settings().activeClocks + kBlockFrames);
        idle = renderSeconds(*plugin, frames);
    }
    const double floorNs = 1e9 * bestFloor / static_cast<double>(frames);
    const double chainNs = 1e9 * bestChain / static_cast<double>(frames);
    const double idleNs = 1e9 * idle / static_cast<double>(frames);
    state.counters["floor_ns"] = floorNs;
    state.counters["chain_ns"] = chainNs;
    state.counters["ratio"] = chainNs / floorNs;
    state.counters["idle_ns"] = idleNs;
    state.counters["idle_pct"] = 100.0 * idleNs / chainNs;
}

std::size_t heapInUse() {
    return mallinfo2().uordblks;
}

void BM_PluginConstruction(benchmark::State& state) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("vexo-bench-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::copy(VEXO_PLUGIN_DIR, folder, fs::copy_options::recursive);
    using Clock = std::chrono::steady_clock;
    double bestFirst = 1e30;
    double bestFurther = 1e30;
    std::size_t firstBytes = 0;
    std::size_t furtherBytes = 0;
    for (auto _ : state) {
        for (int r = 0; r < kRepetitions; ++r) {
            std::string error;
            const std::size_t heap0 = heapInUse();
            PluginHost first;
            const auto t0 = Clock::now();
            const bool loaded = first.load(folder.string(), error);
            const auto t1 = Clock::now();
            const std::size_t heap1 = heapInUse();
            PluginHost further;
            const bool loadedFurther = further.load(folder.string(), error);
            const auto t2 = Clock::now();
            const std::size_t heap2 = heapInUse();
            if (!loaded || !loadedFurther) {
                state.SkipWithError(error.c_str());
                break;
            }
            bestFirst = std::min(bestFirst, std::chrono::duration<double>(t1 - t0).count());
            bestFurther = std::min(bestFurther, std::chrono::duration<double>(t2 - t1).count());
            firstBytes = heap1 - heap0;
            furtherBytes = heap2 - heap1;
        }
    }
    fs::remove_all(folder);
    state.counters["first_ms"] = 1e3 * bestFirst;
    state.counters["further_ms"] = 1e3 * bestFurther;
    state.counters["first_kib"] = static_cast<double>(firstBytes) / 1024.0;
    state.counters["further_kib"] = static_cast<double>(furtherBytes) / 1024.0;
}

}  // namespace
}  // namespace vexo::bench

BENCHMARK(vexo::bench::BM_FullChainAgainstFloor)
    ->Arg(44100)
    ->Arg(48000)
    ->Arg(96000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(vexo::bench::BM_PluginConstruction)->Iterations(1)->Unit(benchmark::kMillisecond);

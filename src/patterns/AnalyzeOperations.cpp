#include "patterns/AnalyzeOperations.h"

#include <algorithm>

#include "host/SynthPlugin.h"
#include "patterns/PatternDetection.h"

namespace vexo {
namespace {

constexpr int kInternalClock = 0;
// A step is a sixteenth note: beats per minute = frames per second * 60 / (4 * frames per step).
constexpr double kSecondsPerMinute = 60.0;
constexpr double kStepsPerBeat = 4.0;

}  // namespace

AnalyzeSession& AnalyzeSession::processWide() {
    static AnalyzeSession session;
    return session;
}

void AnalyzeSession::open(SynthPlugin& plugin) {
    bankCopy_ = plugin.bank().patterns();
    syncModeAtOpening_ = plugin.settings().syncMode;
    tempoAtOpening_ = plugin.stepClock().tempo;
    openedOn_ = &plugin;
}

void AnalyzeSession::close(SynthPlugin& plugin) {
    if (isOpenOn(plugin)) {
        openedOn_ = nullptr;
    }
}

void AnalyzeSession::cancel(SynthPlugin& plugin) {
    if (!isOpenOn(plugin)) {
        return;
    }
    plugin.bank().patterns() = bankCopy_;
    plugin.requestEditorRefresh();
    openedOn_ = nullptr;
}

void AnalyzeSession::detect(SynthPlugin& plugin, Pattern& pattern, int steps) {
    DetectionResults results;
    if (!detectPattern(plugin.wavePreview().current(), steps, results)) {
        return;
    }
    applyDetection(pattern, steps, results, extractPitches_, extractRhythm_);
    plugin.requestEditorRefresh();
}

std::optional<UserMessage> AnalyzeSession::detectFromWave(SynthPlugin& plugin, const std::string& path) {
    WavePreview& preview = plugin.wavePreview();
    WaveBuffer& wave = preview.acquireSpare();
    if (!loadWave(wave, path)) {
        return UserMessage{kUnsupportedWaveTitle, kUnsupportedWaveText};
    }
    int steps = kDefaultSteps;
    bool triplet = false;
    parseWaveName(path, steps, triplet);
    normalizeWave(wave);
    preview.swap();
    // One pattern gets both, even if MIDI selects another one meanwhile.
    Pattern& pattern = plugin.bank().current();
    detect(plugin, pattern, steps);
    if (triplet) {
        pattern.setTriplet(true);
    }
    return std::nullopt;
}

void AnalyzeSession::update(SynthPlugin& plugin, int steps) {
    if (!plugin.wavePreview().current().empty()) {
        detect(plugin, plugin.bank().current(), steps);
    }
}

void AnalyzeSession::setSteps(SynthPlugin& plugin, int steps) {
    plugin.bank().current().setLength(steps);
    plugin.requestEditorRefresh();
}

void AnalyzeSession::stepsUp(SynthPlugin& plugin) {
    setSteps(plugin, plugin.bank().current().length() + 1);
}

void AnalyzeSession::stepsDown(SynthPlugin& plugin) {
    setSteps(plugin, plugin.bank().current().length() - 1);
}

void AnalyzeSession::setTriplet(SynthPlugin& plugin, bool on) {
    plugin.bank().current().setTriplet(on);
    plugin.requestEditorRefresh();
}

void AnalyzeSession::setScrollOffset(int offset) {
    scrollOffset_ = std::clamp(offset, 0, kMaxScrollOffset);
}

void AnalyzeSession::setMatchTempo(SynthPlugin& plugin, bool on) {
    matchTempo_ = on;
    applyMatchTempo(plugin);
}

void AnalyzeSession::applyMatchTempo(SynthPlugin& plugin) {
    StepClock& clock = plugin.stepClock();
    if (!matchTempo_) {
        if (isOpenOn(plugin)) {
            plugin.settings().syncMode = syncModeAtOpening_;
            clock.tempo = tempoAtOpening_;
        }
        return;
    }
    const auto waveSamples = static_cast<long long>(plugin.wavePreview().current().count());
    const long long samplesPerStep = waveSamples / StepClock::playLength(plugin.bank().current());
    const double sampleRate = plugin.getSampleRate();
    // No wave, or fewer samples than steps: there is no tempo to match.
    if (samplesPerStep < 1 || !(sampleRate > 0.0)) {
        return;
    }
    plugin.settings().syncMode = kInternalClock;
    // The render loop derives samples per step from the tempo at every block.
    clock.tempo = sampleRate * kSecondsPerMinute / (kStepsPerBeat * static_cast<double>(samplesPerStep));
}

void AnalyzeSession::toggleWavePlay(SynthPlugin& plugin) {
    WavePreview& preview = plugin.wavePreview();
    preview.setWavePlaying(!preview.wavePlaying());
}

bool AnalyzeSession::wavePlaying(SynthPlugin& plugin) const {
    return plugin.wavePreview().wavePlaying();
}

void AnalyzeSession::togglePatternPlay(SynthPlugin& plugin) {
    WavePreview& preview = plugin.wavePreview();
    if (preview.patternPlaying(plugin.stepClock())) {
        preview.requestPatternStop();
    } else {
        preview.requestPatternStart();
    }
}

bool AnalyzeSession::patternPlaying(SynthPlugin& plugin) const {
    return plugin.wavePreview().patternPlaying(plugin.stepClock());
}

}  // namespace vexo

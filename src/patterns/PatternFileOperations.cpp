// The plug-in's pattern file and pattern menu operations (user-interface thread).
#include <algorithm>
#include <cmath>

#include "host/SynthPlugin.h"
#include "patterns/PatternOperations.h"
#include "patterns/PatternText.h"

namespace vexo {
namespace {

// The parameter behind each knob slot 0..11, in slot order.
constexpr int kKnobParameters[kKnobTempo] = {
    kTune,     kCutoff,     kResonance, kEnvMod, kDecay,          kAccent,
    kWaveform, kDistortion, kDrive,     kVolume, kDistortionType, kHighpassFilter,
};

const RandomSource& pluginRandom() {
    static const RandomSource source = standardRandom;
    return source;
}

}  // namespace

void SynthPlugin::collectKnobPositions() {
    for (int slot = 0; slot < kKnobTempo; ++slot) {
        knobs_.set(slot, getParameter(kKnobParameters[slot]));
    }
    knobs_.set(kKnobTempo, static_cast<float>(clock_.tempo.load()));
}

void SynthPlugin::applyKnobPositions() {
    if (settings_.loadKnobPositions == 0) {
        return;
    }
    for (int slot = 0; slot < kKnobTempo; ++slot) {
        if (!knobs_.has(slot)) {
            continue;
        }
        // The value comes from a file: keep the voice's parameters inside 0..1 and the
        // switches at exactly 0 or 1, as the parameter interface does.
        float value = knobs_.values[static_cast<std::size_t>(slot)];
        if (!std::isfinite(value)) {
            continue;
        }
        value = std::clamp(value, 0.0f, 1.0f);
        const int parameter = kKnobParameters[slot];
        if (isSwitchParameter(parameter)) {
            value = value > 0.5f ? 1.0f : 0.0f;
        }
        parameters_[static_cast<std::size_t>(parameter)] = value;
    }
    if (knobs_.has(kKnobTempo) && settings_.syncMode == 0) {
        clock_.setTempo(std::max(static_cast<double>(knobs_.values[kKnobTempo]), StepClock::kMinimumTempo), sampleRate);
    }
}

bool SynthPlugin::savePattern(const std::string& path) {
    collectKnobPositions();
    if (!writePattern(bank_.current(), path, &knobs_)) {
        return false;
    }
    currentPatternPath_ = path;
    return true;
}

bool SynthPlugin::loadPatterns(const std::vector<std::string>& paths) {
    const int first = bank_.currentPattern();
    bool anyRead = false;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const int slot = first + static_cast<int>(i);
        if (slot >= kPatternCount) {
            break;
        }
        anyRead = readPattern(bank_.pattern(slot), paths[i], &knobs_) || anyRead;
    }
    if (!anyRead) {
        return false;
    }
    currentPatternPath_ = paths.front();
    applyKnobPositions();
    requestEditorRefresh();
    return true;
}

bool SynthPlugin::importPatterns(const std::string& path) {
    if (!readBank(bank_, path)) {
        return false;
    }
    requestEditorRefresh();
    return true;
}

bool SynthPlugin::exportPatterns(const std::string& path) {
    return writeBank(bank_, path);
}

void SynthPlugin::copyPattern() {
    PatternClipboard::store(bank_.current());
}

void SynthPlugin::pastePattern() {
    bank_.current().copyFrom(PatternClipboard::load());
}

void SynthPlugin::transposePattern(int semitones) {
    vexo::transposePattern(bank_.current(), semitones);
}

void SynthPlugin::rotatePattern(int steps) {
    vexo::rotatePattern(bank_.current(), steps);
}

void SynthPlugin::clearStepFlags(std::uint8_t flags) {
    vexo::clearStepFlags(bank_.current(), flags);
}

void SynthPlugin::randomizePitches() {
    vexo::randomizePitches(bank_.current(), pluginRandom());
}

void SynthPlugin::randomizeAll() {
    vexo::randomizeAll(bank_.current(), pluginRandom());
}

void SynthPlugin::alterPattern() {
    vexo::alterPattern(bank_.current(), pluginRandom());
}

}  // namespace vexo

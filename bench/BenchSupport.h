// What the benchmarks of this folder share: the bass line they play and a plug-in object
// set up to play it.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "host/SynthPlugin.h"

namespace vexo::bench {

constexpr int kBlockFrames = 512;
constexpr int kPatternKey = 36;

// A bass line of 16 gated steps: semitones above the lowest note, accents on the beats,
// and (where asked for) four slides into the following step.
constexpr std::array<int, 16> kNotes = {0, 0, 12, 0, 3, 0, 10, 0, 0, 7, 0, 12, 5, 0, 3, 10};
constexpr std::array<bool, 16> kAccents = {true, false, false, false, true, false, false, false,
                                           true, false, false, false, true, false, false, false};
constexpr std::array<bool, 16> kSlides = {false, false, true,  false, false, false, true, false,
                                          false, true,  false, false, false, false, true, false};

enum class Slides { Off, On };

inline VstIntPtr hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

// One MIDI message to the plug-in, delivered before its next block.
inline void sendMidi(SynthPlugin& plugin, int status, int key, int velocity) {
    VstMidiEvent event{};
    event.type = kVstMidiType;
    event.byteSize = sizeof(VstMidiEvent);
    event.midiData[0] = static_cast<char>(status);
    event.midiData[1] = static_cast<char>(key);
    event.midiData[2] = static_cast<char>(velocity);
    VstEvents events{};
    events.numEvents = 1;
    events.events[0] = reinterpret_cast<VstEvent*>(&event);
    plugin.processEvents(&events);
}

// A plug-in of the built folder at the sample rate, with the knobs of `controls`, filter
// mode 1, the internal tempo of 120 BPM and the bass line in the pattern of kPatternKey.
inline std::unique_ptr<SynthPlugin> makePlugin(double sampleRate, const VoiceControls& c, Slides slides) {
    auto plugin = std::make_unique<SynthPlugin>(hostCallback, std::string(VEXO_PLUGIN_DIR) + "/");
    plugin->setSampleRate(static_cast<float>(sampleRate));
    plugin->setBlockSize(kBlockFrames);
    plugin->resume();
    const float values[kNumParameters] = {c.tune,     c.cutoff,         c.resonance,     c.envMod, c.decay,
                                          c.accent,   c.drive,          c.distortion,    c.volume, 0.0f,
                                          c.waveform, c.distortionType, c.highpassFilter};
    for (int i = 0; i < kNumParameters; ++i) {
        if (i != kReserved) {
            plugin->setParameter(i, values[i]);
        }
    }
    plugin->settings().filterMode = kFilter18dBEmulated;
    plugin->settings().syncMode = 0;
    plugin->settings().midiMode = 0;
    Pattern& pattern = plugin->bank().pattern(kPatternKey);
    pattern.setLength(static_cast<int>(kNotes.size()));
    for (std::size_t i = 0; i < kNotes.size(); ++i) {
        std::uint8_t flags = StepFlags::Gate;
        flags |= kAccents[i] ? StepFlags::Accent : 0;
        flags |= slides == Slides::On && kSlides[i] ? StepFlags::Slide : 0;
        pattern.setStep(static_cast<int>(i), Step{static_cast<std::uint8_t>(kNotes[i]), flags});
    }
    return plugin;
}

}  // namespace vexo::bench

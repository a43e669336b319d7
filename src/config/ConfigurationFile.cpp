#include "config/ConfigurationFile.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <iterator>
#include <limits>

#include "config/TextScanner.h"

namespace vexo {
namespace {

struct ConfigValue {
    std::string_view text;
    int integer;
    double real;
};

using KeyHandler = void (*)(Settings&, const ConfigValue&, const ParameterSink&);

struct KeyEntry {
    const char* key;
    KeyHandler apply;
};

float limitUnit(double v) {
    return static_cast<float>(std::clamp(v, 0.0, 1.0));
}

// A number a float cannot hold counts as no number.
float toFloat(double v) {
    return std::fabs(v) <= static_cast<double>(std::numeric_limits<float>::max()) ? static_cast<float>(v) : 0.0f;
}

// A hand-edited file must not be able to make the voice unstable: the oscillator gain is
// kept within reason, and the filter's feedback scale at or below 4.0, beyond which the
// resonant filter's linear chain grows without bound at full resonance and cutoff.
constexpr double kMaxOscillatorGain = 10.0;
constexpr double kMaxFeedbackScale = 4.0;
float limitGain(double v) {
    return static_cast<float>(std::clamp(v, 0.0, kMaxOscillatorGain));
}
float limitFeedbackScale(double v) {
    return static_cast<float>(std::clamp(v, 0.0, kMaxFeedbackScale));
}

// The cycle-to-cycle period factor stays within an octave of 1.
float limitCycleFactor(double v) {
    return v >= 0.5 && v <= 2.0 ? static_cast<float>(v) : 1.0f;
}

// Each key with its handling; a key read from a file applies every entry it matches.
const KeyEntry kKeys[] = {
    {"FilterMode", [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.filterMode = v.integer; }},
    {"Filterslope",
     [](Settings& s, const ConfigValue& v, const ParameterSink&) {
         if (v.integer == 18) {
             s.filterMode = 1;
             s.filterSlope18 = 1;
         } else if (v.integer == 24) {
             s.filterMode = 0;
             s.filterSlope18 = 0;
         } else {
             s.filterMode = v.integer;
             s.filterSlope18 = 0;
         }
     }},
    {"VCALeveling", [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.vcaLeveling = v.integer; }},
    {"FilterLeveling", [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.vcaLeveling = v.integer; }},
    {"VCANoise", [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.vcaNoise = v.integer; }},
    {"VcoGain", [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.vcoGain = limitGain(v.real); }},
    {"TM6", [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.tm6 = limitUnit(v.real); }},
    {"TM3", [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.tm3 = limitUnit(v.real); }},
    {"TM4", [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.tm4 = limitFeedbackScale(v.real); }},
    {"TM2", [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.tm2 = toFloat(v.real); }},
    {"TM5",
     [](Settings& s, const ConfigValue& v, const ParameterSink&) {
         s.vcoGain = limitGain(v.real);
         s.filterTuning = v.integer;
     }},
    {"RelativeTuning",
     [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.relativeTuning = limitCycleFactor(v.real); }},
    {"SmoothSpeed", [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.smoothSpeed = toFloat(v.real); }},
    {"VcaDecay", [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.vcaDecaySeconds = toFloat(v.real); }},
    {"ActiveClocks", [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.activeClocks = v.integer; }},
    {"EnvmodKnob", [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.envmodKnob = v.integer & 0xff; }},
    {"TuningMode", [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.tuningMode = v.integer; }},
    {"SyncMode", [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.syncMode = v.integer; }},
    {"MidiMode", [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.midiMode = v.integer; }},
    {"Tempo",
     [](Settings&, const ConfigValue& v, const ParameterSink& set) {
         if (set) {
             set(9, static_cast<float>((v.integer - 25) / 225.0));
         }
     }},
    {"DefaultVolume",
     [](Settings&, const ConfigValue& v, const ParameterSink& set) {
         if (set) {
             set(8, static_cast<float>(v.integer / 127.0));
         }
     }},
    {"Highpass", [](Settings& s, const ConfigValue& v,
                    const ParameterSink&) { s.highpass = equalsIgnoreCase(v.text, "On") ? 1 : 0; }},
    {"Distortion", [](Settings& s, const ConfigValue& v,
                      const ParameterSink&) { s.distortionLinear = equalsIgnoreCase(v.text, "Linear") ? 1 : 0; }},
    {"Firststep", [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.firstStep = v.integer; }},
    {"ProgrammingMode", [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.programmingMode = v.integer; }},
    {"ClearNotes", [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.clearNotes = v.integer; }},
    {"AccentVelocity",
     [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.accentVelocity = std::clamp(v.integer, 0, 127); }},
    {"GuiKnobMode", [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.guiKnobMode = v.integer; }},
    {"Eggs", [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.eggs = v.integer; }},
    {"EmulationMode", [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.emulationMode = v.integer; }},
    {"PatternDir", [](Settings&, const ConfigValue&, const ParameterSink&) {}},
    {"ParameterSmoothing",
     [](Settings& s, const ConfigValue& v, const ParameterSink&) {
         if (equalsIgnoreCase(v.text, "On")) {
             s.parameterSmoothing = 65535;
         } else if (equalsIgnoreCase(v.text, "Off")) {
             s.parameterSmoothing = 0;
         } else {
             s.parameterSmoothing = v.integer;
         }
     }},
    {"DeltaFrames", [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.deltaFrames = v.integer; }},
    {"WaveformExclusive",
     [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.waveformExclusive = v.integer; }},
    {"BassBoostSaw", [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.bassBoostSaw = v.integer; }},
    {"BassBoostSqu", [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.bassBoostSqu = v.integer; }},
    {"BassBoostFreq",
     [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.bassBoostFreq = toFloat(v.real); }},
    {"VolumeSaw", [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.volumeSaw = v.integer; }},
    {"VolumeSqu", [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.volumeSqu = v.integer; }},
    {"GuiUpdate", [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.guiUpdate = v.integer; }},
    {"MidiOutput", [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.midiOutput = v.integer; }},
    {"MidiOutputChannel",
     [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.midiOutputChannel = v.integer; }},
    {"MidiTransmitKnobs",
     [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.midiTransmitKnobs = v.integer; }},
    {"MidiKeyProgramming",
     [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.midiKeyProgramming = v.integer; }},
    {"FilterTuning", [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.filterTuning = v.integer; }},
    {"ResonanceKnob", [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.resonanceKnob = v.integer; }},
    {"ClockSync", [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.clockSync = v.integer; }},
    {"TripletScale", [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.tripletScale = v.real; }},
    {"CapNotes", [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.capNotes = v.integer; }},
    {"LoadKnobPositions",
     [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.loadKnobPositions = v.integer; }},
    {"SaveKnobPositions",
     [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.saveKnobPositions = v.integer; }},
    {"LoadDefaultBank", [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.loadDefaultBank = v.integer; }},
    {"OutputClipping", [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.outputClipping = v.integer; }},
    {"AntiLogVolume", [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.antiLogVolume = v.integer; }},
    {"CutoffKnob", [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.cutoffKnob = v.integer; }},
    {"ResetOscillator", [](Settings& s, const ConfigValue& v, const ParameterSink&) { s.resetOscillator = v.integer; }},
};

void appendLine(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));

void appendLine(std::string& out, const char* format, ...) {
    char line[160];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    out += line;
    out += '\n';
}

}  // namespace

void applyConfigurationText(std::string_view text, Settings& settings, const ParameterSink& setParameter) {
    TextScanner in(text);
    for (;;) {
        in.skipSpace();
        if (in.atEnd()) {
            return;
        }
        if (in.peek() == ';') {
            in.skipLine();
            continue;
        }
        // A key, an "=" separated from it by whitespace, and a value; a key glued to its
        // "=" is read as one token and takes the next token as its value.
        const std::string_view key = in.token(kConfigTokenLength);
        in.literal('=');
        const std::string_view valueText = in.token(kConfigTokenLength);
        const ConfigValue value{valueText, parseIntAutoBase(valueText), parseDecimal(valueText)};
        for (const KeyEntry& entry : kKeys) {
            if (equalsIgnoreCase(key, entry.key)) {
                entry.apply(settings, value, setParameter);
            }
        }
    }
}

bool readConfigurationFile(const std::string& path, Settings& settings, const ParameterSink& setParameter) {
    std::string text;
    if (!readWholeFile(path, text)) {
        return false;
    }
    applyConfigurationText(text, settings, setParameter);
    return true;
}

std::string configurationText(const Settings& s) {
    std::string out;
    appendLine(out, "; VEXO Configuration");
    appendLine(out, "FilterMode = %d", s.filterMode.load());
    appendLine(out, "VCALeveling = %d", s.vcaLeveling.load());
    appendLine(out, "VCANoise = %d", s.vcaNoise.load());
    appendLine(out, "VcoGain = %f", static_cast<double>(s.vcoGain.load()));
    appendLine(out, "TM6 = %f", static_cast<double>(s.tm6.load()));
    appendLine(out, "TM3 = %f", static_cast<double>(s.tm3.load()));
    appendLine(out, "SyncMode = %d", s.syncMode.load());
    appendLine(out, "MidiMode = %d", s.midiMode.load());
    appendLine(out, "TuningMode = %d", s.tuningMode.load());
    appendLine(out, "ClearNotes = %d", s.clearNotes.load());
    appendLine(out, "ProgrammingMode = %d", s.programmingMode.load());
    appendLine(out, "AccentVelocity = %d", s.accentVelocity.load());
    appendLine(out, "ActiveClocks = %d", s.activeClocks.load());
    appendLine(out, "GuiKnobMode = %d", s.guiKnobMode.load());
    appendLine(out, "MidiOutput = %d", s.midiOutput.load());
    appendLine(out, "MidiOutputChannel = %d", s.midiOutputChannel.load());
    appendLine(out, "LoadKnobPositions = %d", s.loadKnobPositions.load());
    appendLine(out, "SaveKnobPositions = %d", s.saveKnobPositions.load());
    appendLine(out, "LoadDefaultBank = %d", s.loadDefaultBank.load());
    appendLine(out, "OutputClipping = %d", s.outputClipping.load());
    appendLine(out, "MidiTransmitKnobs = %d", s.midiTransmitKnobs.load());
    appendLine(out, "MidiKeyProgramming = %d", s.midiKeyProgramming.load());
    return out;
}

bool writeConfigurationFile(const std::string& path, const Settings& settings) {
    return writeFileAtomically(path, configurationText(settings));
}

}  // namespace vexo

// The thirteen host parameters: names as the host shows them (trailing blanks included),
// the program slot each one is stored in, and the defaults of a new program.
#pragma once

#include <cstddef>
#include <string>

namespace vexo {

enum ParameterIndex : int {
    kTune = 0,
    kCutoff = 1,
    kResonance = 2,
    kEnvMod = 3,
    kDecay = 4,
    kAccent = 5,
    kDrive = 6,
    kDistortion = 7,
    kVolume = 8,
    kReserved = 9,
    kWaveform = 10,
    kDistortionType = 11,
    kHighpassFilter = 12,
    kNumParameters = 13,
};

struct ParameterInfo {
    const char* name;
    int programSlot;
    float defaultValue;
};

extern const ParameterInfo kParameterInfo[kNumParameters];

// The stored default of the reserved parameter: the float with the bits 0x3ED82D83.
extern const float kReservedDefault;

// Parameters stored as exactly 0.0 or 1.0.
inline bool isSwitchParameter(int index) {
    return index == kWaveform || index == kDistortionType || index == kHighpassFilter;
}

// What a parameter stores when set to a finite value: clamped to 0..1, switches to
// exactly 0 or 1.
float storedParameterValue(int index, float value);

// The order in which a program's values are applied.
extern const int kProgramApplyOrder[kNumParameters];

// The text a host shows for a parameter value.
std::string parameterDisplay(int index, float value);

}  // namespace vexo

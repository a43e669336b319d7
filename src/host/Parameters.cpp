#include "host/Parameters.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>

namespace vexo {

const float kReservedDefault = std::bit_cast<float>(std::uint32_t{0x3ED82D83});

const ParameterInfo kParameterInfo[kNumParameters] = {
    {"Tune     ", 6, 0.5f},       {"Cutoff   ", 0, 0.5f},
    {"Resonance", 1, 0.0f},       {"Env.mod  ", 2, 0.2f},
    {"Decay    ", 3, 0.1f},       {"Accent   ", 4, 0.0f},
    {"Drive    ", 9, 0.25f},      {"Distortion", 8, 0.0f},
    {"Volume   ", 5, 0.75f},      {"Reserved  ", 10, kReservedDefault},
    {"Waveform ", 7, 0.0f},       {"DistortionType", 11, 0.0f},
    {"HighpassFilter", 12, 0.0f},
};

const int kProgramApplyOrder[kNumParameters] = {1, 2, 3, 4, 5, 8, 7, 9, 0, 6, 10, 11, 12};

float storedParameterValue(int index, float value) {
    value = std::clamp(value, 0.0f, 1.0f);
    if (isSwitchParameter(index)) {
        return value > 0.5f ? 1.0f : 0.0f;
    }
    return value;
}

std::string parameterDisplay(int index, float value) {
    switch (index) {
        case kReserved:
            return "N/A";
        case kWaveform:
            return value >= 0.5f ? "Square" : "Sawtooth";
        case kDistortionType:
            return value >= 0.5f ? "Foldback" : "Saturate";
        case kHighpassFilter:
            return value > 0.5f ? "On" : "Off";
        default:
            break;
    }
    if (index < 0 || index >= kNumParameters) {
        return "";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%3.1f%%", static_cast<double>(value) * 100.0);
    return text;
}

}  // namespace vexo

#include "patterns/KnobPositions.h"

namespace vexo {

const char* const kKnobNames[kNamedKnobSlots] = {
    "Tune:",    "Cutoff:", "Resonance:", "Envmod:",   "Decay:",    "Accent:", "Waveform:",
    "Distort:", "Drive:",  "Volume:",    "DistType:", "HighPass:", "Tempo:",  "Version:",
};

}  // namespace vexo

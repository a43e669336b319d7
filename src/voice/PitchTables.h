// Key number to frequency: equal temperament (key 69 = 440 Hz) and a stretched "analog"
// tuning. Both are filled by repeated multiplication from their first entry.
#pragma once

#include <array>

namespace vexo {

using PitchTable = std::array<float, 128>;

const PitchTable& pitchTableStandard();
const PitchTable& pitchTableAnalog();
// TuningMode 0 selects the standard table, any other value the analog one.
const PitchTable& pitchTableFor(int tuningMode);

}  // namespace vexo

#include "voice/PitchTables.h"

namespace vexo {
namespace {

PitchTable fillByMultiplication(double first, double ratio) {
    PitchTable table{};
    double frequency = first;
    for (float& entry : table) {
        entry = static_cast<float>(frequency);
        frequency *= ratio;
    }
    return table;
}

}  // namespace

const PitchTable& pitchTableStandard() {
    static const PitchTable table = fillByMultiplication(8.175798915636872, 1.059463094359);
    return table;
}

const PitchTable& pitchTableAnalog() {
    static const PitchTable table = fillByMultiplication(8.22218793583489, 1.061463094359);
    return table;
}

const PitchTable& pitchTableFor(int tuningMode) {
    return tuningMode == 0 ? pitchTableStandard() : pitchTableAnalog();
}

}  // namespace vexo

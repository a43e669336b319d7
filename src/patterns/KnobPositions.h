// The knob settings that travel with a single pattern file: fourteen named slots (of room
// for 128), each a value and a present flag.
#pragma once

#include <array>
#include <cstdint>

namespace vexo {

enum KnobSlot : int {
    kKnobTune = 0,
    kKnobCutoff = 1,
    kKnobResonance = 2,
    kKnobEnvmod = 3,
    kKnobDecay = 4,
    kKnobAccent = 5,
    kKnobWaveform = 6,
    kKnobDistort = 7,
    kKnobDrive = 8,
    kKnobVolume = 9,
    kKnobDistType = 10,
    kKnobHighPass = 11,
    kKnobTempo = 12,
    kKnobVersion = 13,
    kNamedKnobSlots = 14,
};

// Names as they stand in a pattern file, colon included.
extern const char* const kKnobNames[kNamedKnobSlots];

struct KnobPositions {
    static constexpr int kSlots = 128;
    std::array<float, kSlots> values{};
    std::array<std::int32_t, kSlots> present{};

    KnobPositions() { clear(); }
    void clear() {
        values.fill(-1.0f);
        present.fill(0);
    }
    void set(int slot, float value) {
        values[static_cast<std::size_t>(slot)] = value;
        present[static_cast<std::size_t>(slot)] = 1;
    }
    bool has(int slot) const { return present[static_cast<std::size_t>(slot)] != 0; }
};

}  // namespace vexo

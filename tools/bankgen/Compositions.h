// The patterns shipped with the plug-in: hand-written bass lines, lines generated from a
// fixed seed to fill the rest of the default bank, and the pattern library with knob
// settings for each entry.
#pragma once

#include <vector>

#include "sequencer/Pattern.h"

namespace vexo::bankgen {

struct Composition {
    const char* name;
    const char* steps;  // PatternNotation
    int shuffle;        // 0..127
    bool triplet;
};

// In bank order: 16-step lines, other lengths, shuffled lines, triplet lines.
const std::vector<Composition>& composedLines();

// Generated line number `index` (0, 1, ...): always the same pattern for the same index.
Pattern generatedLine(int index);

// Knob values as they stand in a pattern file: parameters 0..1, tempo in beats per minute.
struct KnobSetting {
    float tune, cutoff, resonance, envmod, decay, accent, waveform, distort, drive, volume, distType, highPass;
    float tempo;
};

struct LibraryEntry {
    const char* folder;       // below "Patterns/"
    const char* file;         // without ".pat"
    const char* composition;  // Composition::name
    KnobSetting knobs;
};

const std::vector<LibraryEntry>& libraryEntries();

}  // namespace vexo::bankgen

// Pattern detection from a recording of one pass of a pattern: the wave is cut into as
// many equal segments as the pattern has steps; each segment gives a gate (its energy),
// an accent (its peak), a slide (the energy near its end) and a pitch (the period between
// marked zero crossings).
#pragma once

#include <array>
#include <string_view>

#include "patterns/WaveFile.h"
#include "sequencer/Pattern.h"

namespace vexo {

// What one segment of the wave yields.
struct DetectionResult {
    int midiNote = 1;
    bool gate = false;
    bool accent = false;
    bool slide = false;

    bool operator==(const DetectionResult&) const = default;
};

using DetectionResults = std::array<DetectionResult, kMaxSteps>;

// The note of a gated segment in which no period could be measured.
constexpr int kUnpitchedMidiNote = 36;
// Samples at the end of each segment left out of the gate and slide energies (the release).
constexpr int kSegmentReleaseSamples = 1000;

// Scales the wave so that its largest absolute sample is 1; a wave whose peak is not above
// 0.000001 stays as it is.
void normalizeWave(WaveBuffer& wave);

// Detects `steps` steps (1..64) from the wave into results[0 .. steps-1]; false (results
// unchanged) for any other step count. A wave too short for all segments gives rests for
// the segments past its end.
bool detectPattern(const WaveBuffer& wave, int steps, DetectionResults& results);

// The MIDI note of a period (samples) at a sample rate (Hz), truncated toward zero;
// kUnpitchedMidiNote when the frequency is not a positive finite number.
int midiNoteForPeriod(double periodSamples, int sampleRate);

// Sets the pattern's length to `steps` (limited to 1..64) and, for each of those steps,
// the pitch (with pitches) and the gate, accent and slide (with rhythm) from the results.
// Other flags stay. MIDI notes 36..47 give plain steps, 48..59 up, 60..71 note + 12 with
// up; higher octaves fold onto the top one and lower ones onto the bottom one (down).
void applyDetection(Pattern& pattern, int steps, const DetectionResults& results, bool pitches, bool rhythm);

// Reads the step count and the triplet mark from a file path: after the first "step",
// counting from two characters before it, the first decimal number sets steps (limited to
// 1..64); steps stays as it is when there is no "step" or no digit. triplet tells whether
// the path contains "triplet". Both words are matched case-sensitively.
void parseWaveName(std::string_view path, int& steps, bool& triplet);

}  // namespace vexo

// Whole-pattern edits of the pattern menu. Each works on steps 0..length-1 only; steps
// beyond the length are never touched. The randomizers take their numbers from a source
// passed in, so a fixed sequence can be replayed.
#pragma once

#include <cstdint>
#include <functional>

#include "sequencer/Pattern.h"

namespace vexo {

// Uniformly distributed integers 0..kRandomRange-1 per call.
using RandomSource = std::function<int()>;
constexpr int kRandomRange = 32768;

// The plug-in's source: the standard library generator, reduced to 0..32767.
int standardRandom();

// Shifts each step's pitch by semitones and brings it to the normal form: pitches 0..12
// without octave flag, above 12 with up, below 0 with down (clamped at note 0 with down).
// Above 24 the note byte keeps growing in its low five bits. semitones: -255..255.
void transposePattern(Pattern& pattern, int semitones);
// Step i takes the old step (i - steps) mod length: -1 shifts left, +1 right.
void rotatePattern(Pattern& pattern, int steps);
// Clears the given StepFlags bits in every step.
void clearStepFlags(Pattern& pattern, std::uint8_t flags);
// Three draws per step; the third mod 14 becomes the note, the flags stay.
void randomizePitches(Pattern& pattern, const RandomSource& random);
// Six draws per step (accent, gate, slide, up, down, note) that replace the whole step.
void randomizeAll(Pattern& pattern, const RandomSource& random);
// A random permutation of the steps.
void alterPattern(Pattern& pattern, const RandomSource& random);

// One pattern shared by every plug-in instance of the process. Instances may run their
// editors on different threads, so access is serialised.
class PatternClipboard {
public:
    static void store(const Pattern& pattern);
    // A 16-step pattern of silent c steps until something was stored.
    static Pattern load();
};

}  // namespace vexo

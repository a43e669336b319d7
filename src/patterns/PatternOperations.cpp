#include "patterns/PatternOperations.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <mutex>

namespace vexo {
namespace {

constexpr int kOctaveSemitones = 12;
// randomizePitches and randomizeAll pick notes c .. c# an octave up.
constexpr int kRandomNoteCount = 14;
constexpr int kNoteByteMask = 0x1f;

// Steps an operation works on; a header from elsewhere may claim more than exist.
int editLength(const Pattern& pattern) {
    return std::min(pattern.length(), kMaxSteps);
}

Step transposeStep(Step step, int semitones) {
    const int pitch = step.note + (step.has(StepFlags::Up) ? kOctaveSemitones : 0) -
                      (step.has(StepFlags::Down) ? kOctaveSemitones : 0) + semitones;
    int note;
    bool up = false;
    bool down = false;
    if (pitch > kOctaveSemitones) {
        note = (pitch - kOctaveSemitones) & kNoteByteMask;
        up = true;
    } else if (pitch >= 0) {
        note = pitch;
    } else {
        note = std::max(pitch + kOctaveSemitones, 0);
        down = true;
    }
    step.note = static_cast<std::uint8_t>(note);
    step.set(StepFlags::Up, up);
    step.set(StepFlags::Down, down);
    return step;
}

// A draw reduced to 0..count-1, whatever sign the source's number has.
int draw(const RandomSource& random, int count) {
    const int r = random() % count;
    return r < 0 ? r + count : r;
}

std::mutex& clipboardMutex() {
    static std::mutex mutex;
    return mutex;
}

Pattern& clipboardPattern() {
    static Pattern pattern;
    return pattern;
}

}  // namespace

int standardRandom() {
    return std::rand() % kRandomRange;
}

void transposePattern(Pattern& pattern, int semitones) {
    const int length = editLength(pattern);
    for (int i = 0; i < length; ++i) {
        pattern.setStep(i, transposeStep(pattern.step(i), semitones));
    }
}

void rotatePattern(Pattern& pattern, int steps) {
    const int length = editLength(pattern);
    if (length <= 0) {
        return;
    }
    const int shift = steps % length;
    const Pattern source = pattern;
    for (int i = 0; i < length; ++i) {
        int from = (i - shift) % length;
        if (from < 0) {
            from += length;
        }
        pattern.setStep(i, source.step(from));
    }
}

void clearStepFlags(Pattern& pattern, std::uint8_t flags) {
    const int length = editLength(pattern);
    for (int i = 0; i < length; ++i) {
        Step step = pattern.step(i);
        step.flags = static_cast<std::uint8_t>(step.flags & ~flags);
        pattern.setStep(i, step);
    }
}

void randomizePitches(Pattern& pattern, const RandomSource& random) {
    const int length = editLength(pattern);
    for (int i = 0; i < length; ++i) {
        random();
        random();
        Step step = pattern.step(i);
        step.note = static_cast<std::uint8_t>(draw(random, kRandomNoteCount));
        pattern.setStep(i, step);
    }
}

void randomizeAll(Pattern& pattern, const RandomSource& random) {
    const int length = editLength(pattern);
    for (int i = 0; i < length; ++i) {
        Step step;
        step.set(StepFlags::Accent, draw(random, 2) == 1);
        step.set(StepFlags::Gate, draw(random, 4) != 0);
        step.set(StepFlags::Slide, draw(random, 3) == 0);
        step.set(StepFlags::Up, draw(random, 2) == 1);
        step.set(StepFlags::Down, draw(random, 2) == 1);
        step.note = static_cast<std::uint8_t>(draw(random, kRandomNoteCount));
        pattern.setStep(i, step);
    }
}

void alterPattern(Pattern& pattern, const RandomSource& random) {
    const int length = editLength(pattern);
    if (length <= 0) {
        return;
    }
    const Pattern source = pattern;
    std::array<bool, kMaxSteps> used{};
    for (int i = 0; i < length; ++i) {
        int from = draw(random, length);
        while (used[static_cast<std::size_t>(from)]) {
            from = draw(random, length);
        }
        used[static_cast<std::size_t>(from)] = true;
        pattern.setStep(i, source.step(from));
    }
}

void PatternClipboard::store(const Pattern& pattern) {
    const std::lock_guard<std::mutex> lock(clipboardMutex());
    clipboardPattern() = pattern;
}

Pattern PatternClipboard::load() {
    const std::lock_guard<std::mutex> lock(clipboardMutex());
    return clipboardPattern();
}

}  // namespace vexo

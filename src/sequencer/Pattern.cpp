#include "sequencer/Pattern.h"

#include <algorithm>

namespace vexo {

const char kNoteNames[12][3] = {"c-", "c#", "d-", "d#", "e-", "f-", "f#", "g-", "g#", "a-", "a#", "b-"};

int stepMidiNote(Step step) {
    int note = (step.note & 0x1f) + kLowestMidiNote;
    if (step.has(StepFlags::Up)) {
        note += 12;
    }
    if (step.has(StepFlags::Down)) {
        note -= 12;
    }
    return note;
}

int stepTableIndex(Step step) {
    return std::clamp(stepMidiNote(step), 0, 127);
}

char stepOctaveDigit(Step step) {
    int digit = 3 + step.note / 12;
    if (step.has(StepFlags::Up)) {
        ++digit;
    }
    if (step.has(StepFlags::Down)) {
        --digit;
    }
    return static_cast<char>('0' + digit);
}

void Pattern::setLength(int n) {
    n = std::clamp(n, 1, kMaxSteps);
    header = (header & ~kLengthMask) | static_cast<std::uint32_t>(n);
}

void Pattern::setShuffle(int s) {
    header = (header & ~(0xffu << kShuffleShift)) | ((static_cast<std::uint32_t>(s) & 0xffu) << kShuffleShift);
}

void Pattern::setTriplet(bool on) {
    header = on ? (header | kTripletBit) : (header & ~kTripletBit);
}

int Pattern::tieLength(int i) const {
    const int len = length();
    int count = 1;
    for (int next = i + 1; next < len && next < kMaxSteps; ++next) {
        if (!steps[static_cast<std::size_t>(next)].has(StepFlags::Tie)) {
            break;
        }
        ++count;
    }
    return count;
}

void Pattern::clear(bool gate) {
    setTriplet(false);
    const int len = std::min(length(), kMaxSteps);
    for (int i = 0; i < len; ++i) {
        steps[static_cast<std::size_t>(i)] = Step{0, gate ? StepFlags::Gate : std::uint8_t{0}};
    }
}

bool PatternBank::selectPattern(int index) {
    index = std::clamp(index, 0, kPatternCount - 1);
    const bool changed = index != currentPattern();
    current_.store(index, std::memory_order_relaxed);
    return changed;
}

bool PatternBank::selectPatternFromMidi(int index) {
    if (selectLock()) {
        return false;
    }
    return selectPattern(index);
}

void PatternBank::clearAll(bool gate) {
    for (Pattern& p : patterns_) {
        p.clear(gate);
    }
}

}  // namespace vexo

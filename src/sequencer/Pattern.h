// The pattern model. Its byte layout is also the layout of patterns inside the host's
// state chunk, so it is fixed to the byte: a 32-bit little-endian header word, then 64
// two-byte steps (note byte, then flags byte).
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

namespace vexo {

namespace StepFlags {
constexpr std::uint8_t Gate = 0x01;
constexpr std::uint8_t Up = 0x02;
constexpr std::uint8_t Down = 0x04;
constexpr std::uint8_t Slide = 0x08;
constexpr std::uint8_t Accent = 0x10;
constexpr std::uint8_t Tie = 0x20;
constexpr std::uint8_t RestMark = 0x40;  // entered as a rest in time-entry programming
constexpr std::uint8_t NoteMark = 0x80;  // entered as a note in time-entry programming
}  // namespace StepFlags

constexpr int kMaxSteps = 64;
constexpr int kPatternCount = 128;
constexpr int kDefaultPatternLength = 16;
constexpr int kLowestMidiNote = 36;  // note 0 without octave flags

struct Step {
    std::uint8_t note = 0;   // semitones above the lowest note; the sequencer uses note & 0x1f
    std::uint8_t flags = 0;  // StepFlags bits

    bool has(std::uint8_t flag) const { return (flags & flag) != 0; }
    void set(std::uint8_t flag, bool on) { flags = on ? (flags | flag) : (flags & ~flag); }
    void toggle(std::uint8_t flag) { flags ^= flag; }
    // The step as one 16-bit word: note + 256 * flags.
    std::uint16_t word() const { return static_cast<std::uint16_t>(note | (flags << 8)); }
    static Step fromWord(std::uint16_t w) {
        return Step{static_cast<std::uint8_t>(w & 0xff), static_cast<std::uint8_t>(w >> 8)};
    }
    bool operator==(const Step&) const = default;
};

static_assert(sizeof(Step) == 2);

// MIDI note of a step: (note & 0x1f) + 36, +12 for up, -12 for down. Not clamped.
int stepMidiNote(Step step);
// The same, clamped to 0..127 for indexing 128-entry tables.
int stepTableIndex(Step step);

class Pattern {
public:
    static constexpr std::uint32_t kLengthMask = 0x7f;
    static constexpr std::uint32_t kTripletBit = 0x80000000u;
    static constexpr int kShuffleShift = 8;

    std::uint32_t header = kDefaultPatternLength;
    std::array<Step, kMaxSteps> steps{};

    int length() const { return static_cast<int>(header & kLengthMask); }
    void setLength(int n);
    double shuffle() const { return static_cast<double>((header >> kShuffleShift) & 0xff) / 127.0; }
    int shuffleAmount() const { return static_cast<int>((header >> kShuffleShift) & 0xff); }
    void setShuffle(int s);
    bool isTriplet() const { return (header & kTripletBit) != 0; }
    void setTriplet(bool on);

    Step step(int i) const { return steps[static_cast<std::size_t>(i)]; }
    void setStep(int i, Step s) { steps[static_cast<std::size_t>(i)] = s; }

    // Steps the note starting at step i occupies: 1 plus each directly following tied
    // step inside the pattern length.
    int tieLength(int i) const;

    void copyFrom(const Pattern& other) { *this = other; }
    // Clears the triplet bit and sets the first length() steps to note 0 with only the
    // given gate; length, shuffle and the other header bits stay.
    void clear(bool gate);

    bool operator==(const Pattern&) const = default;
};

static_assert(sizeof(Pattern) == 132);

// The bank of 128 patterns and which of them is current. The editor refresh flag lives
// with the plug-in; selection reports whether the current pattern changed.
class PatternBank {
public:
    static constexpr std::size_t kBytes = sizeof(Pattern) * kPatternCount;

    Pattern& pattern(int index) { return patterns_[static_cast<std::size_t>(index)]; }
    const Pattern& pattern(int index) const { return patterns_[static_cast<std::size_t>(index)]; }
    Pattern& current() { return pattern(currentPattern()); }
    const Pattern& current() const { return pattern(currentPattern()); }

    int currentPattern() const { return current_.load(std::memory_order_relaxed); }
    // Clamps to 0..127; returns true when the current pattern changed.
    bool selectPattern(int index);
    // As selectPattern, but nothing changes while the select lock is set.
    bool selectPatternFromMidi(int index);

    bool selectLock() const { return selectLock_.load(std::memory_order_relaxed); }
    void setSelectLock(bool on) { selectLock_.store(on, std::memory_order_relaxed); }

    void clearAll(bool gate);

    std::array<Pattern, kPatternCount>& patterns() { return patterns_; }
    const std::array<Pattern, kPatternCount>& patterns() const { return patterns_; }

private:
    std::array<Pattern, kPatternCount> patterns_{};
    std::atomic<int> current_{0};
    std::atomic<bool> selectLock_{false};
};

static_assert(sizeof(std::array<Pattern, kPatternCount>) == 16896);

// Two-character note names: "c-", "c#", ... "b-".
extern const char kNoteNames[12][3];

// Octave digit of a step name: '2' + note/12, +1 for up, +1 unless down.
char stepOctaveDigit(Step step);

}  // namespace vexo

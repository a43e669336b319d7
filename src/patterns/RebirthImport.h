// Readers for the pattern data of two other programs: Rebirth song files (binary chunks;
// the two bass units' patterns and the first unit's knobs) and Ph pattern files (text,
// 128 patterns). Both work on bytes already read and return plain results that the
// plug-in then applies to its parameters and bank.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "sequencer/Pattern.h"

namespace vexo {

constexpr std::size_t kUnitRecordBytes = 1097;
constexpr int kRebirthUnits = 2;
constexpr int kUnitPatternRecords = 32;
constexpr std::size_t kFirstPatternRecordOffset = 10;
constexpr std::size_t kPatternRecordBytes = 34;
constexpr int kImportSteps = 16;  // steps of a Rebirth pattern record and of a Ph block
constexpr int kRebirthBankPatterns = kRebirthUnits * kUnitPatternRecords;
constexpr int kPhPatterns = kPatternCount;

// Offsets within a unit record.
constexpr std::size_t kUnitPatternNumberOffset = 1;
constexpr std::size_t kUnitFirstKnobOffset = 2;  // tune, cutoff, resonance, env.mod, decay, accent
constexpr std::size_t kUnitWaveformOffset = 8;

// Flag byte of a step in a Rebirth pattern record.
namespace RebirthStepBits {
constexpr std::uint8_t Slide = 0x01;
constexpr std::uint8_t Accent = 0x02;
constexpr std::uint8_t Up = 0x04;
constexpr std::uint8_t Down = 0x08;
constexpr std::uint8_t Rest = 0x10;
}  // namespace RebirthStepBits

using UnitRecord = std::array<std::uint8_t, kUnitRecordBytes>;

struct RebirthSong {
    int unitChunks = 0;  // "303 " chunks found, including those beyond the two kept
    // The first two units' data; a shorter chunk is zero-filled, a longer one cut.
    std::array<UnitRecord, kRebirthUnits> units{};
};

// Walks the chunks of a song file: a 4-byte id, a 32-bit big-endian size, the data and a
// pad byte after odd sizes. "CAT " containers are entered (after their 4-byte type) and
// left at their end; "303 " chunks are the units; everything else is skipped. A chunk
// whose size runs past the end of the file or of its container ends the walk.
RebirthSong parseRebirthSong(std::string_view bytes);

struct ParameterSetting {
    int index = 0;  // host parameter number
    float value = 0.0f;
};

struct RebirthKnobs {
    // Tune, Cutoff, Resonance, Env.mod, Decay, Accent (byte / 127), then Waveform (the
    // byte value itself), in the order they are to be set.
    std::array<ParameterSetting, 7> parameters{};
    int patternNumber = 0;  // the unit's selected pattern, 0..127
};

RebirthKnobs rebirthKnobs(const UnitRecord& unit);

// What an import writes into one bank pattern: the length, and the first stepCount
// steps. The other header bits and the steps from stepCount on keep their contents.
struct PatternUpdate {
    int length = 1;     // 1..64
    int stepCount = 0;  // 0..16
    std::array<Step, kImportSteps> steps{};

    void applyTo(Pattern& pattern) const;
};

// Bank pattern j (0..63) from unit j / 32, record j mod 32: length limited to 1..16 (a
// record holds 16 steps), steps 0..length-1 replaced; a length byte of 0 replaces none.
PatternUpdate rebirthPattern(const RebirthSong& song, int bankIndex);
// The patterns of the units found: 32 for a song with one unit (a unit that is not in
// the file leaves its bank patterns alone), 64 with two or more.
std::vector<PatternUpdate> rebirthPatterns(const RebirthSong& song);

// Reads 128 blocks of decimal numbers: a pattern line (length and two unused numbers),
// then 16 step records (note, down, up, gate, accent, slide, three unused). Numbers are
// scanned one after the other across any whitespace; once a number fails to scan (text
// that is no number, or the end of the file) every later one fails too, as the text is
// not consumed. A field whose number fails keeps its value from the previous record of
// the same kind, zero for the first. Every block sets its length (1..64) and all 16 steps.
std::array<PatternUpdate, kPhPatterns> parsePhFile(std::string_view text);

// Applies updates[i] to bank pattern i.
void applyPatternUpdates(std::span<const PatternUpdate> updates, PatternBank& bank);

enum class ImportFormat { None, Rebirth, Ph };

// ".rbs" anywhere in the path chooses Rebirth, else ".ph" anywhere chooses Ph; case matters.
ImportFormat importFormatForPath(std::string_view path);

}  // namespace vexo

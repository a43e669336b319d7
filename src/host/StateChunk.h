// The state chunk a host stores in its projects: all 128 patterns, the 16 programs and a
// block of settings, 20128 bytes, little-endian as written.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "sequencer/Pattern.h"

namespace vexo {

constexpr int kParameterCount = 13;
constexpr int kProgramCount = 16;
constexpr std::size_t kProgramNameBytes = 24;

struct ProgramRecord {
    char name[kProgramNameBytes];
    float slots[kParameterCount];  // in program-slot order, see kProgramSlotOfParameter
    std::uint8_t reserved[120];
};

static_assert(sizeof(ProgramRecord) == 196);

using ProgramBank = std::array<ProgramRecord, kProgramCount>;

constexpr std::uint32_t kChunkTag = 200;
constexpr std::uint32_t kChunkTagSwapped = 0xC8000000u;
constexpr std::size_t kChunkBytes = 20128;
constexpr std::size_t kChunkPatternsOffset = 8;
constexpr std::size_t kChunkProgramsOffset = kChunkPatternsOffset + 128 * sizeof(Pattern);
constexpr std::size_t kChunkSettingsOffset = kChunkProgramsOffset + kProgramCount * sizeof(ProgramRecord);
constexpr int kChunkSettingsWords = 22;

static_assert(kChunkProgramsOffset == 16904);
static_assert(kChunkSettingsOffset == 20040);
static_assert(kChunkSettingsOffset + 4 * kChunkSettingsWords == kChunkBytes);

using ChunkSettings = std::array<std::int32_t, kChunkSettingsWords>;

// Words of the settings block that tools read and change, and two of the switch bits.
constexpr int kChunkMidiModeWord = 0;
constexpr int kChunkSyncModeWord = 1;
constexpr int kChunkCurrentPatternWord = 3;
constexpr int kChunkCurrentProgramWord = 5;
constexpr int kChunkSwitchesWord = 6;
constexpr std::int32_t kChunkMidiOutputSwitch = 1 << 5;
constexpr std::int32_t kChunkClockSyncSwitch = 1 << 7;

struct ChunkContents {
    std::array<Pattern, kPatternCount> patterns{};
    ProgramBank programs{};
    ChunkSettings settings{};
};

// Writes the whole chunk into out, which holds kChunkBytes.
void writeStateChunk(const ChunkContents& contents, std::uint8_t* out);

enum class ChunkReadResult {
    Read,         // tag 200
    ReadSwapped,  // tag 0xC8000000: written with the other byte order
    Unknown,      // another tag: nothing taken
    TooShort,     // fewer than kChunkBytes: nothing taken
};

// Reads a chunk of size bytes. Patterns, programs and settings are decoded whatever the
// byte order of the writer; program names are bytes and never reordered.
ChunkReadResult readStateChunk(const void* data, std::size_t size, ChunkContents& contents);

}  // namespace vexo

#include "host/StateChunk.h"

#include <bit>
#include <cstring>

namespace vexo {
namespace {

void putWord(std::uint8_t* out, std::uint32_t value) {
    out[0] = static_cast<std::uint8_t>(value);
    out[1] = static_cast<std::uint8_t>(value >> 8);
    out[2] = static_cast<std::uint8_t>(value >> 16);
    out[3] = static_cast<std::uint8_t>(value >> 24);
}

std::uint32_t getWord(const std::uint8_t* in, bool bigEndian) {
    if (bigEndian) {
        return (std::uint32_t{in[0]} << 24) | (std::uint32_t{in[1]} << 16) | (std::uint32_t{in[2]} << 8) | in[3];
    }
    return std::uint32_t{in[0]} | (std::uint32_t{in[1]} << 8) | (std::uint32_t{in[2]} << 16) |
           (std::uint32_t{in[3]} << 24);
}

}  // namespace

void writeStateChunk(const ChunkContents& contents, std::uint8_t* out) {
    putWord(out, kChunkTag);
    putWord(out + 4, static_cast<std::uint32_t>(kChunkBytes - 8));

    std::uint8_t* p = out + kChunkPatternsOffset;
    for (const Pattern& pattern : contents.patterns) {
        putWord(p, pattern.header);
        for (int i = 0; i < kMaxSteps; ++i) {
            p[4 + 2 * i] = pattern.steps[static_cast<std::size_t>(i)].note;
            p[5 + 2 * i] = pattern.steps[static_cast<std::size_t>(i)].flags;
        }
        p += sizeof(Pattern);
    }

    for (const ProgramRecord& program : contents.programs) {
        std::memcpy(p, program.name, kProgramNameBytes);
        for (int s = 0; s < kParameterCount; ++s) {
            putWord(p + kProgramNameBytes + 4 * s, std::bit_cast<std::uint32_t>(program.slots[s]));
        }
        std::memcpy(p + kProgramNameBytes + 4 * kParameterCount, program.reserved, sizeof program.reserved);
        p += sizeof(ProgramRecord);
    }

    for (int w = 0; w < kChunkSettingsWords; ++w) {
        putWord(p + 4 * w, static_cast<std::uint32_t>(contents.settings[static_cast<std::size_t>(w)]));
    }
}

ChunkReadResult readStateChunk(const void* data, std::size_t size, ChunkContents& contents) {
    if (data == nullptr || size < kChunkBytes) {
        return ChunkReadResult::TooShort;
    }
    const auto* in = static_cast<const std::uint8_t*>(data);
    const std::uint32_t tag = getWord(in, false);
    if (tag != kChunkTag && tag != kChunkTagSwapped) {
        return ChunkReadResult::Unknown;
    }
    const bool bigEndian = tag == kChunkTagSwapped;

    const std::uint8_t* p = in + kChunkPatternsOffset;
    for (Pattern& pattern : contents.patterns) {
        pattern.header = getWord(p, bigEndian);
        for (int i = 0; i < kMaxSteps; ++i) {
            pattern.steps[static_cast<std::size_t>(i)] = Step{p[4 + 2 * i], p[5 + 2 * i]};
        }
        p += sizeof(Pattern);
    }

    for (ProgramRecord& program : contents.programs) {
        std::memcpy(program.name, p, kProgramNameBytes);
        for (int s = 0; s < kParameterCount; ++s) {
            program.slots[s] = std::bit_cast<float>(getWord(p + kProgramNameBytes + 4 * s, bigEndian));
        }
        std::memcpy(program.reserved, p + kProgramNameBytes + 4 * kParameterCount, sizeof program.reserved);
        p += sizeof(ProgramRecord);
    }

    for (int w = 0; w < kChunkSettingsWords; ++w) {
        contents.settings[static_cast<std::size_t>(w)] = static_cast<std::int32_t>(getWord(p + 4 * w, bigEndian));
    }
    return bigEndian ? ChunkReadResult::ReadSwapped : ChunkReadResult::Read;
}

}  // namespace vexo

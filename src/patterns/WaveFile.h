// One-channel audio read from 16-bit PCM WAV and AIFF files, for pattern detection and
// the wave preview. Only the first channel is kept; samples are scaled so that 32767 is
// 1.0. Files are parsed from bytes in memory, so truncated or damaged files are read only
// as far as they go and never past their end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vexo {

struct WaveBuffer {
    std::vector<float> samples;  // first channel, 32767 = 1.0
    int sampleRate = 0;          // Hz

    std::size_t count() const { return samples.size(); }
    bool empty() const { return samples.empty(); }
};

// Larger files are refused instead of being read into memory (more than three hours of
// 16-bit mono at 44100 Hz).
constexpr std::size_t kMaxWaveFileBytes = std::size_t{1} << 30;

// Parses a whole WAV ("WAVE") or AIFF ("AIFF") file. Succeeds when a sound data chunk
// with at least one frame was read; only then are the wave's samples and rate replaced.
// Refused: other form types, formats other than 16-bit PCM, no channels, a block align
// below two bytes, a sample rate outside 1 .. INT_MAX Hz, sound data before the format
// chunk. Chunk sizes past the end of the file are cut to what the file holds.
bool parseWave(WaveBuffer& wave, std::span<const std::uint8_t> bytes);

// Reads the file and parses it; false (wave unchanged) when it cannot be read or parsed.
bool loadWave(WaveBuffer& wave, const std::string& path);

}  // namespace vexo

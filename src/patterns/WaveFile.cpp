#include "patterns/WaveFile.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <fstream>

namespace vexo {
namespace {

constexpr std::size_t kFileHeaderBytes = 12;  // identifier, size, form type
constexpr std::size_t kChunkHeaderBytes = 8;  // identifier, size
constexpr std::size_t kBytesPerSample = 2;
constexpr int kRequiredBitsPerSample = 16;
constexpr float kFullScale = 32767.0f;

constexpr int kWavPcmFormatTag = 1;
constexpr std::size_t kWavFmtBytes = 16;

constexpr std::size_t kAiffCommBytes = 18;
constexpr std::size_t kAiffSsndPreludeBytes = 8;  // offset and block size words
// An 80-bit extended value whose 32-bit mantissa top, shifted right by this minus the
// exponent, is the integer part.
constexpr int kExtendedIntegerExponent = 16414;
constexpr int kExtendedSignBit = 0x8000;

// Reads integers at offsets of a byte range; callers check the range first.
class Bytes {
public:
    Bytes(std::span<const std::uint8_t> data, bool bigEndian) : data_(data), bigEndian_(bigEndian) {}

    std::size_t size() const { return data_.size(); }
    bool has(std::size_t offset, std::size_t n) const { return offset <= data_.size() && n <= data_.size() - offset; }
    std::uint16_t u16(std::size_t at) const {
        const unsigned a = data_[at], b = data_[at + 1];
        return static_cast<std::uint16_t>(bigEndian_ ? (a << 8) | b : (b << 8) | a);
    }
    std::uint32_t u32(std::size_t at) const {
        const std::uint32_t hi = u16(bigEndian_ ? at : at + 2), lo = u16(bigEndian_ ? at + 2 : at);
        return (hi << 16) | lo;
    }
    float sample(std::size_t at) const { return static_cast<float>(static_cast<std::int16_t>(u16(at))) / kFullScale; }
    bool idIs(std::size_t at, const char* id) const { return std::memcmp(data_.data() + at, id, 4) == 0; }
    Bytes sub(std::size_t offset, std::size_t n) const { return Bytes(data_.subspan(offset, n), bigEndian_); }

private:
    std::span<const std::uint8_t> data_;
    bool bigEndian_;
};

enum class ChunkResult { Next, Refuse };

// Visits the chunks after the file header while the position is below the header's size
// word and a whole chunk header remains; a chunk's data is cut to what the file holds.
// Chunks are padded to even sizes. False when the visitor refuses the file.
template <class Visitor>
bool forEachChunk(const Bytes& file, Visitor visit) {
    const std::uint64_t limit = file.u32(4);
    std::uint64_t position = kFileHeaderBytes;
    while (position < limit && file.has(static_cast<std::size_t>(position), kChunkHeaderBytes)) {
        const auto at = static_cast<std::size_t>(position);
        const std::uint32_t declared = file.u32(at + 4);
        const std::size_t available = file.size() - at - kChunkHeaderBytes;
        const std::size_t size = std::min<std::size_t>(declared, available);
        if (visit(file, at, file.sub(at + kChunkHeaderBytes, size)) == ChunkResult::Refuse) {
            return false;
        }
        position += kChunkHeaderBytes + std::uint64_t{declared} + (declared & 1u);
    }
    return true;
}

bool validRate(std::uint64_t rate) {
    return rate >= 1 && rate <= INT_MAX;
}

// Reads the first channel of `frames` frames spaced `stride` bytes apart.
std::vector<float> firstChannel(const Bytes& data, std::size_t start, std::size_t frames, std::size_t stride) {
    std::vector<float> samples(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        samples[i] = data.sample(start + i * stride);
    }
    return samples;
}

bool parseWav(WaveBuffer& wave, const Bytes& file) {
    bool haveFormat = false;
    std::size_t blockAlign = 0;
    std::uint32_t rate = 0;
    bool haveData = false;
    std::vector<float> samples;
    const bool ok = forEachChunk(file, [&](const Bytes& f, std::size_t at, const Bytes& chunk) {
        if (f.idIs(at, "fmt ")) {
            if (chunk.size() < kWavFmtBytes || chunk.u16(0) != kWavPcmFormatTag ||
                chunk.u16(14) != kRequiredBitsPerSample) {
                return ChunkResult::Refuse;
            }
            const std::uint16_t channels = chunk.u16(2);
            rate = chunk.u32(4);
            blockAlign = chunk.u16(12);
            if (channels == 0 || blockAlign < kBytesPerSample || !validRate(rate)) {
                return ChunkResult::Refuse;
            }
            haveFormat = true;
        } else if (f.idIs(at, "data")) {
            if (!haveFormat) {
                return ChunkResult::Refuse;
            }
            samples = firstChannel(chunk, 0, chunk.size() / blockAlign, blockAlign);
            haveData = true;
        }
        return ChunkResult::Next;
    });
    if (!ok || !haveData || samples.empty()) {
        return false;
    }
    wave.samples = std::move(samples);
    wave.sampleRate = static_cast<int>(rate);
    return true;
}

// The integer part of an 80-bit extended rate, rounded half up by the last bit shifted out;
// 0 when it is negative or outside 1 .. 2^32 - 1.
std::uint64_t extendedToRate(const Bytes& chunk, std::size_t at) {
    const int signAndExponent = chunk.u16(at);
    const std::uint32_t mantissaTop = chunk.u32(at + 2);
    const int shift = kExtendedIntegerExponent - signAndExponent;
    if ((signAndExponent & kExtendedSignBit) != 0 || shift < 0 || shift >= 32) {
        return 0;
    }
    std::uint64_t rate = mantissaTop >> shift;
    if (shift > 0) {
        rate += (mantissaTop >> (shift - 1)) & 1u;
    }
    return rate;
}

bool parseAiff(WaveBuffer& wave, const Bytes& file) {
    bool haveCommon = false;
    std::size_t frameBytes = 0;
    std::uint32_t frameCount = 0;
    std::uint64_t rate = 0;
    bool haveSound = false;
    std::vector<float> samples;
    const bool ok = forEachChunk(file, [&](const Bytes& f, std::size_t at, const Bytes& chunk) {
        if (f.idIs(at, "COMM")) {
            if (chunk.size() < kAiffCommBytes || chunk.u16(6) != kRequiredBitsPerSample) {
                return ChunkResult::Refuse;
            }
            const std::uint16_t channels = chunk.u16(0);
            frameCount = chunk.u32(2);
            rate = extendedToRate(chunk, 8);
            if (channels == 0 || !validRate(rate)) {
                return ChunkResult::Refuse;
            }
            frameBytes = channels * kBytesPerSample;
            haveCommon = true;
        } else if (f.idIs(at, "SSND")) {
            if (!haveCommon) {
                return ChunkResult::Refuse;
            }
            const std::size_t soundBytes = chunk.size() - std::min(chunk.size(), kAiffSsndPreludeBytes);
            const std::size_t frames = std::min<std::size_t>(frameCount, soundBytes / frameBytes);
            samples = firstChannel(chunk, kAiffSsndPreludeBytes, frames, frameBytes);
            haveSound = true;
        }
        return ChunkResult::Next;
    });
    if (!ok || !haveSound || samples.empty()) {
        return false;
    }
    wave.samples = std::move(samples);
    wave.sampleRate = static_cast<int>(rate);
    return true;
}

}  // namespace

bool parseWave(WaveBuffer& wave, std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kFileHeaderBytes) {
        return false;
    }
    const Bytes little(bytes, false);
    if (little.idIs(8, "WAVE")) {
        return parseWav(wave, little);
    }
    if (little.idIs(8, "AIFF")) {
        return parseAiff(wave, Bytes(bytes, true));
    }
    return false;
}

bool loadWave(WaveBuffer& wave, const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        return false;
    }
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<std::uint64_t>(size) > kMaxWaveFileBytes) {
        return false;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) {
        return false;
    }
    return parseWave(wave, bytes);
}

}  // namespace vexo

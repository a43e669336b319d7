#include "voice/WaveTables.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

namespace vexo {
namespace {

constexpr std::uint8_t kMagic[4] = {0x61, 0x70, 0x72, 0x6F};  // "apro"
constexpr std::size_t kHeaderBytes = 12;
// Far beyond any useful set; a larger file is not read into memory.
constexpr std::uint64_t kMaxFileBytes = 256ull * 1024 * 1024;

std::uint32_t readU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::int32_t readI32(const std::uint8_t* p) {
    return static_cast<std::int32_t>(readU32(p));
}

float readF32(const std::uint8_t* p) {
    const std::uint32_t bits = readU32(p);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void appendU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>(v >> shift));
    }
}

bool readFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        return false;
    }
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<std::uint64_t>(size) > kMaxFileBytes) {
        return false;
    }
    bytes.resize(static_cast<std::size_t>(size));
    in.seekg(0);
    return static_cast<bool>(in.read(reinterpret_cast<char*>(bytes.data()), size));
}

void loadSet(WaveTableSet& set, const std::string& path) {
    if (set.isReady()) {
        return;
    }
    std::vector<std::uint8_t> bytes;
    if (readFile(path, bytes)) {
        installWaveTableSet(set, bytes);
    }
}

}  // namespace

std::optional<WaveTableData> parseWaveTableFile(std::span<const std::uint8_t> bytes) {
    const std::uint64_t size = bytes.size();
    if (size < kHeaderBytes || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) {
        return std::nullopt;
    }
    const std::int32_t mapSize = readI32(bytes.data() + 4);
    const std::int32_t levelCount = readI32(bytes.data() + 8);
    if (mapSize < 1 || levelCount < 1) {
        return std::nullopt;
    }
    const std::uint64_t mapBytes = static_cast<std::uint64_t>(mapSize);
    const std::uint64_t offsetsAt = kHeaderBytes + mapBytes;
    const std::uint64_t lengthsAt = offsetsAt + 4ull * static_cast<std::uint64_t>(levelCount);
    const std::uint64_t samplesAt = lengthsAt + 4ull * static_cast<std::uint64_t>(levelCount);
    if (samplesAt > size) {
        return std::nullopt;
    }

    WaveTableData data;
    data.levelMap.assign(bytes.begin() + kHeaderBytes, bytes.begin() + static_cast<std::ptrdiff_t>(offsetsAt));
    data.offsets.resize(static_cast<std::size_t>(levelCount));
    data.lengths.resize(static_cast<std::size_t>(levelCount));
    std::uint64_t poolSize = 0;
    for (std::size_t level = 0; level < data.lengths.size(); ++level) {
        data.offsets[level] = readI32(bytes.data() + offsetsAt + 4 * level);
        data.lengths[level] = readI32(bytes.data() + lengthsAt + 4 * level);
        if (data.lengths[level] < 1 || data.offsets[level] < 0) {
            return std::nullopt;
        }
        poolSize += static_cast<std::uint64_t>(data.lengths[level]);
    }
    // At most 2^31 levels of at most 2^31 samples: the sum cannot overflow 64 bits.
    if (poolSize > (size - samplesAt) / 4) {
        return std::nullopt;
    }
    for (std::size_t level = 0; level < data.lengths.size(); ++level) {
        const std::uint64_t end =
            static_cast<std::uint64_t>(data.offsets[level]) + static_cast<std::uint64_t>(data.lengths[level]);
        if (end > poolSize) {
            return std::nullopt;
        }
    }
    for (const std::uint8_t level : data.levelMap) {
        if (level >= levelCount) {
            return std::nullopt;
        }
    }
    data.samples.resize(static_cast<std::size_t>(poolSize));
    const std::uint8_t* pool = bytes.data() + samplesAt;
    for (std::size_t i = 0; i < data.samples.size(); ++i) {
        data.samples[i] = readF32(pool + 4 * i);
        if (!std::isfinite(data.samples[i])) {
            return std::nullopt;
        }
    }
    return data;
}

std::vector<std::uint8_t> serializeWaveTableFile(const WaveTableData& data) {
    std::vector<std::uint8_t> out(std::begin(kMagic), std::end(kMagic));
    appendU32(out, static_cast<std::uint32_t>(data.levelMap.size()));
    appendU32(out, static_cast<std::uint32_t>(data.lengths.size()));
    out.insert(out.end(), data.levelMap.begin(), data.levelMap.end());
    for (const std::int32_t offset : data.offsets) {
        appendU32(out, static_cast<std::uint32_t>(offset));
    }
    for (const std::int32_t length : data.lengths) {
        appendU32(out, static_cast<std::uint32_t>(length));
    }
    for (const float sample : data.samples) {
        std::uint32_t bits;
        std::memcpy(&bits, &sample, sizeof bits);
        appendU32(out, bits);
    }
    return out;
}

bool installWaveTableSet(WaveTableSet& set, std::span<const std::uint8_t> bytes) {
    if (set.isReady()) {
        return false;
    }
    std::optional<WaveTableData> parsed = parseWaveTableFile(bytes);
    if (!parsed) {
        return false;
    }
    set.data = std::move(*parsed);
    set.ready.store(true, std::memory_order_release);
    return true;
}

WaveTablePair& acquireWaveTables() {
    static WaveTablePair pair;
    pair.saw.referenceCount.fetch_add(1, std::memory_order_relaxed);
    pair.square.referenceCount.fetch_add(1, std::memory_order_relaxed);
    return pair;
}

void loadWaveTables(WaveTablePair& pair, const std::string& sawPath, const std::string& squarePath) {
    const std::lock_guard<std::mutex> lock(pair.loadMutex);
    loadSet(pair.saw, sawPath);
    loadSet(pair.square, squarePath);
}

}  // namespace vexo

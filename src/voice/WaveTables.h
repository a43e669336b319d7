// Band-limited single-cycle wavetables, one set for the sawtooth and one for the square,
// shared by every plug-in instance of the process.
//
// File layout (little-endian): the bytes "apro"; int32 mapSize; int32 levelCount;
// mapSize bytes of level map; levelCount int32 offsets; levelCount int32 lengths; then the
// float32 sample pool, as many samples as the lengths add up to.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vexo {

// The parsed contents of one wavetable file. Every level-map entry names an existing
// level and every level's cycle lies inside the sample pool.
struct WaveTableData {
    // Level for a period of i samples counted at 48 kHz.
    std::vector<std::uint8_t> levelMap;
    std::vector<std::int32_t> offsets;  // start of each level's cycle in samples
    std::vector<std::int32_t> lengths;  // samples in each level's cycle, at least 1
    std::vector<float> samples;

    int mapSize() const { return static_cast<int>(levelMap.size()); }
    int levelCount() const { return static_cast<int>(lengths.size()); }
};

// Parses a whole wavetable file; nothing when the magic is wrong, the data is short, a
// count is negative or larger than the data, a length is 0, a cycle lies outside the pool,
// a map entry names a missing level or a sample is not finite.
std::optional<WaveTableData> parseWaveTableFile(std::span<const std::uint8_t> bytes);
// The file bytes of a set; parseWaveTableFile reads them back unchanged.
std::vector<std::uint8_t> serializeWaveTableFile(const WaveTableData& data);

struct WaveTableSet {
    // Set once the data is complete; the data never changes afterwards, so a reader that
    // sees ready (acquire) may use it without a lock.
    std::atomic<bool> ready{false};
    std::atomic<int> referenceCount{0};
    WaveTableData data;

    bool isReady() const { return ready.load(std::memory_order_acquire); }
};

struct WaveTablePair {
    WaveTableSet saw;
    WaveTableSet square;
    // Serialises loading between instances constructed on different threads.
    std::mutex loadMutex;
};

// The process-wide pair; the first caller creates it, each call counts one user.
WaveTablePair& acquireWaveTables();
// Loads each set that is not ready yet from its file; a set whose file is missing or
// broken stays not ready.
void loadWaveTables(WaveTablePair& pair, const std::string& sawPath, const std::string& squarePath);
// Installs parsed file bytes into a set that is not ready yet; false when the set was
// ready already or the bytes do not parse. Callers serialise through the pair's mutex.
bool installWaveTableSet(WaveTableSet& set, std::span<const std::uint8_t> bytes);

}  // namespace vexo

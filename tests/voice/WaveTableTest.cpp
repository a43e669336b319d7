// The wavetable file reader on good and broken byte streams, the reference and the
// shipped wavetable files, and the generator's band limits.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <numbers>
#include <string>
#include <vector>

#include "voice/Oscillator.h"
#include "voice/WaveTableBuilder.h"
#include "voice/WaveTables.h"

namespace vexo {
namespace {

using Bytes = std::vector<std::uint8_t>;

void put32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
}

// A file with the given header counts and contents, written field by field.
Bytes makeFile(std::int32_t mapSize, std::int32_t levelCount, const Bytes& map,
               const std::vector<std::int32_t>& offsets, const std::vector<std::int32_t>& lengths,
               const std::vector<float>& samples) {
    Bytes b = {'a', 'p', 'r', 'o'};
    put32(b, static_cast<std::uint32_t>(mapSize));
    put32(b, static_cast<std::uint32_t>(levelCount));
    b.insert(b.end(), map.begin(), map.end());
    for (const std::int32_t o : offsets) {
        put32(b, static_cast<std::uint32_t>(o));
    }
    for (const std::int32_t l : lengths) {
        put32(b, static_cast<std::uint32_t>(l));
    }
    for (const float s : samples) {
        std::uint32_t bits;
        std::memcpy(&bits, &s, 4);
        put32(b, bits);
    }
    return b;
}

// Two levels stored in reverse order: level 0 (3 samples) after level 1 (2 samples).
Bytes goodFile() {
    return makeFile(4, 2, {1, 1, 0, 0}, {2, 0}, {3, 2}, {0.5f, -0.5f, 1.0f, 0.0f, -1.0f});
}

Bytes readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

TEST(WaveTableReader, ReadsOffsetsBeforeLengths) {
    const auto data = parseWaveTableFile(goodFile());
    ASSERT_TRUE(data);
    EXPECT_EQ(data->mapSize(), 4);
    EXPECT_EQ(data->levelCount(), 2);
    EXPECT_EQ(data->levelMap, (Bytes{1, 1, 0, 0}));
    EXPECT_EQ(data->offsets, (std::vector<std::int32_t>{2, 0}));
    EXPECT_EQ(data->lengths, (std::vector<std::int32_t>{3, 2}));
    EXPECT_EQ(data->samples, (std::vector<float>{0.5f, -0.5f, 1.0f, 0.0f, -1.0f}));
    EXPECT_EQ(serializeWaveTableFile(*data), goodFile());
}

TEST(WaveTableReader, RejectsBrokenFiles) {
    Bytes badMagic = goodFile();
    badMagic[3] = 'x';
    const Bytes broken[] = {
        badMagic,
        {},
        makeFile(-4, 2, {}, {2, 0}, {3, 2}, {0, 0, 0, 0, 0}),                             // negative map size
        makeFile(0, 2, {}, {2, 0}, {3, 2}, {0, 0, 0, 0, 0}),                              // empty map
        makeFile(4, 0, {0, 0, 0, 0}, {}, {}, {}),                                         // no level
        makeFile(4, 0x7fffffff, {0, 0, 0, 0}, {2, 0}, {3, 2}, {0, 0, 0, 0, 0}),           // huge level count
        makeFile(4, -1, {0, 0, 0, 0}, {2, 0}, {3, 2}, {0, 0, 0, 0, 0}),                   // negative level count
        makeFile(4, 2, {1, 1, 0, 0}, {2, 0}, {3, 0}, {0, 0, 0}),                          // a length of 0
        makeFile(4, 2, {1, 1, 0, 0}, {2, 0}, {3, -2}, {0, 0, 0}),                         // a negative length
        makeFile(4, 2, {1, 1, 0, 0}, {3, 0}, {3, 2}, {0, 0, 0, 0, 0}),                    // cycle past the pool
        makeFile(4, 2, {1, 1, 0, 0}, {-1, 0}, {3, 2}, {0, 0, 0, 0, 0}),                   // negative offset
        makeFile(4, 2, {1, 2, 0, 0}, {2, 0}, {3, 2}, {0, 0, 0, 0, 0}),                    // map names level 2
        makeFile(4, 2, {1, 1, 0, 0}, {2, 0}, {0x7fffffff, 0x7fffffff}, {0, 0, 0, 0, 0}),  // pool beyond data
        makeFile(4, 2, {1, 1, 0, 0}, {2, 0}, {3, 2}, {0, 0, NAN, 0, 0}),                  // not a number
    };
    for (std::size_t i = 0; i < std::size(broken); ++i) {
        EXPECT_FALSE(parseWaveTableFile(broken[i])) << "case " << i;
    }
    const Bytes good = goodFile();
    for (std::size_t size = 0; size < good.size(); ++size) {
        EXPECT_FALSE(parseWaveTableFile(std::span(good.data(), size))) << "truncated to " << size;
    }
}

TEST(WaveTableSets, InstallOnceAndStayUnreadyOnFailure) {
    WaveTablePair pair;
    EXPECT_FALSE(installWaveTableSet(pair.saw, Bytes{'a', 'p', 'r', 'o'}));
    EXPECT_FALSE(pair.saw.isReady());
    EXPECT_TRUE(installWaveTableSet(pair.saw, goodFile()));
    EXPECT_TRUE(pair.saw.isReady());
    EXPECT_FALSE(installWaveTableSet(pair.saw, goodFile()));  // a ready set is never replaced
    loadWaveTables(pair, "/nonexistent/saw.dat", "/nonexistent/square.dat");
    EXPECT_TRUE(pair.saw.isReady());
    EXPECT_FALSE(pair.square.isReady());
}

TEST(WaveTableSets, ReferenceFilesWithReversedLevelsAndOddLengths) {
    for (const char* name : {"1ca37741f.dat", "3c2a6627a.dat"}) {
        const Bytes bytes = readBytes(std::string(VEXO_GOLDEN_DIR) + "/Data/" + name);
        if (bytes.empty()) {
            GTEST_SKIP() << "reference wavetables not found";
        }
        const auto data = parseWaveTableFile(bytes);
        ASSERT_TRUE(data) << name;
        EXPECT_EQ(data->mapSize(), 4096);
        ASSERT_EQ(data->levelCount(), 11);
        EXPECT_EQ(data->offsets[10], 0);  // the last level is stored first
        EXPECT_GT(data->offsets[0], data->offsets[1]);
        EXPECT_EQ(data->lengths[0], 9);
        // 110 Hz at 44.1 kHz: map index 435, level 7 (levels change at indexes 285 and 569).
        EXPECT_EQ(data->levelMap[static_cast<std::size_t>(levelMapIndex(110.0 / 44100.0, kLevelMapScales[0], 4096))],
                  7);
    }
}

// Magnitude of harmonic h in a single cycle, relative to a full-scale sine.
double harmonicMagnitude(const float* cycle, int length, int h) {
    std::complex<double> sum = 0;
    for (int n = 0; n < length; ++n) {
        sum += static_cast<double>(cycle[n]) * std::polar(1.0, -2.0 * std::numbers::pi * h * n / length);
    }
    return 2.0 * std::abs(sum) / length;
}

TEST(WaveTableGenerator, ShippedFilesAreBandLimitedPerLevel) {
    const WaveTablePlan plan = planWaveTables();
    for (const char* name : {"1ca37741f.dat", "3c2a6627a.dat"}) {
        const auto data = parseWaveTableFile(readBytes(std::string(VEXO_PLUGIN_DIR) + "/Data/" + name));
        ASSERT_TRUE(data) << name;
        ASSERT_EQ(data->levelCount(), static_cast<int>(plan.harmonics.size()));
        for (std::size_t level = 1; level < plan.harmonics.size(); level += 7) {
            const float* cycle = data->samples.data() + data->offsets[level];
            const int length = data->lengths[level];
            const int top = plan.harmonics[level];
            double peak = 0;
            for (int n = 0; n < length; ++n) {
                peak = std::max(peak, std::fabs(static_cast<double>(cycle[n])));
            }
            EXPECT_NEAR(peak, 1.0, 1e-6) << name << " level " << level;
            EXPECT_GT(harmonicMagnitude(cycle, length, 1), 0.5);
            EXPECT_GT(harmonicMagnitude(cycle, length, top % 2 == 1 ? top : top - 1), 0.3 / top);
            for (int h = top + 1; h < std::min(length / 2, top + 40); ++h) {
                EXPECT_LT(harmonicMagnitude(cycle, length, h), 1e-6) << name << " level " << level << " h " << h;
            }
        }
    }
}

TEST(WaveTableGenerator, HarmonicsStayBelowNyquistAcrossTheMap) {
    const WaveTablePlan plan = planWaveTables();
    const WaveTableData saw = buildWaveTableSet(WaveShape::Sawtooth, plan);
    for (const double rate : {44100.0, 48000.0, 96000.0, 22050.0}) {
        const double scale = kLevelMapScales[rateClass(rate)];
        for (double f = 20.0; f < 13000.0; f *= 1.01) {
            // The fastest cycle of the period variation is 1.0015 * 1.0005 times f.
            const double fastest = f * 1.0015 * 1.0005;
            const int level = saw.levelMap[static_cast<std::size_t>(levelMapIndex(f / rate, scale, saw.mapSize()))];
            const int harmonics = plan.harmonics[static_cast<std::size_t>(level)];
            EXPECT_LT(harmonics * fastest, rate / 2) << f << " Hz at " << rate;
            // Bass and mid notes keep their harmonics up to 17 kHz (80 % of a low rate's band).
            if (f < 2000.0) {
                EXPECT_GT((harmonics + 1) * f, std::min(0.8 * rate / 2, 17000.0)) << f << " Hz at " << rate;
            }
        }
    }
    EXPECT_EQ(serializeWaveTableFile(saw), serializeWaveTableFile(buildWaveTableSet(WaveShape::Sawtooth, plan)));
}

}  // namespace
}  // namespace vexo

#include <gtest/gtest.h>

#include "DetectTestAudio.h"
#include "TestSupport.h"
#include "patterns/WaveFile.h"

namespace vexo::test {
namespace {

const WaveBuffer kPrevious{{0.25f, -0.25f}, 8000};

// Refused files leave the wave read before untouched.
void expectRefused(const ByteVector& bytes, const char* what) {
    WaveBuffer wave = kPrevious;
    EXPECT_FALSE(parseWave(wave, bytes)) << what;
    EXPECT_TRUE(wave.samples == kPrevious.samples && wave.sampleRate == 8000) << what;
}

TEST(WaveFile, ReadsTheFirstChannelOfSixteenBitWavScaledBy32767) {
    WaveBuffer wave;
    ASSERT_TRUE(parseWave(wave, wavFile({32767, 1, -32767, 2, 16384, 3}, {.channels = 2, .rate = 22050})));
    EXPECT_EQ(wave.sampleRate, 22050);
    EXPECT_EQ(wave.samples, (std::vector<float>{1.0f, -1.0f, 16384.0f / 32767.0f}));

    // An odd-sized chunk before "fmt " is skipped with its pad byte.
    ASSERT_TRUE(parseWave(wave, container("WAVE", {chunk("junk", {1, 2, 3}, false), wavFmt({}), wavData({-8})})));
    EXPECT_EQ(wave.samples, (std::vector<float>{-8.0f / 32767.0f}));
}

TEST(WaveFile, RefusesWavItCannotRead) {
    const Pcm pcm{100, 200};
    expectRefused(wavFile(pcm, {.bits = 8}), "8-bit");
    expectRefused(wavFile(pcm, {.tag = 2}), "compressed");
    expectRefused(wavFile(pcm, {.blockAlign = 0}), "block align 0");
    expectRefused(wavFile(pcm, {.blockAlign = 1}), "block align 1");
    expectRefused(wavFile(pcm, {.channels = 0}), "no channels");
    expectRefused(wavFile(pcm, {.rate = 0}), "rate 0");
    expectRefused(container("WAVE", {wavData(pcm), wavFmt({})}), "data before fmt");
    expectRefused(container("WAVE", {wavFmt({})}), "no data");
    expectRefused(container("WAVE", {wavFmt({}), wavData({})}), "empty data");
    expectRefused(container("AVI ", {wavFmt({}), wavData(pcm)}), "other form type");
    ByteVector fmt = wavFmt({});
    fmt.resize(8 + 14);  // bits per sample cut off by the end of the file
    expectRefused(container("WAVE", {fmt}), "short fmt");
    expectRefused(ByteVector(11, 'R'), "shorter than a file header");
    // A chunk claiming more than the file holds before the data: nothing is read.
    expectRefused(container("WAVE", {wavFmt({}), chunk("LIST", {}, false, 0x7FFFFFFF), wavData(pcm)}), "oversized");
}

TEST(WaveFile, ReadsTruncatedWavAsFarAsItGoes) {
    WaveBuffer wave;
    // A huge data size and a cut-off last frame: the two whole frames present.
    ASSERT_TRUE(parseWave(wave, container("WAVE", {wavFmt({.channels = 2}), wavData({10, 0, 20, 0, 30}, 0xFFFFFFFF)})));
    EXPECT_EQ(wave.samples, (std::vector<float>{10.0f / 32767.0f, 20.0f / 32767.0f}));
    // A huge RIFF size and half a chunk header after the data.
    ByteVector bytes = container("WAVE", {wavFmt({}), wavData({5, 6, 7})}, 0xFFFFFFF0);
    bytes.insert(bytes.end(), {'L', 'I', 'S'});
    ASSERT_TRUE(parseWave(wave, bytes));
    EXPECT_EQ(wave.count(), 3u);
}

TEST(WaveFile, ReadsAiffAndRoundsItsExtendedRate) {
    WaveBuffer wave;
    ASSERT_TRUE(parseWave(wave, aiffFile({32767, 9, -16384, 9}, {.channels = 2})));
    EXPECT_EQ(wave.sampleRate, 44100);
    EXPECT_EQ(wave.samples, (std::vector<float>{1.0f, -16384.0f / 32767.0f}));

    // 22050 has 15 integer bits: exponent 16383 + 14, mantissa top = rate * 2^17, shifted
    // right by 17; the last bit shifted out rounds half up.
    for (const auto& [rate, expected] : {std::pair{22050.5, 22051}, {22050.25, 22050}, {22050.0, 22050}}) {
        const auto mantissa = static_cast<std::uint32_t>(rate * 131072.0);
        ASSERT_TRUE(parseWave(wave, aiffFile({1}, {.exponent = 16397, .mantissaTop = mantissa})));
        EXPECT_EQ(wave.sampleRate, expected) << rate;
    }
    ASSERT_TRUE(parseWave(wave, aiffFile({1}, {.exponent = 16383, .mantissaTop = 0x80000000})));
    EXPECT_EQ(wave.sampleRate, 1) << "a shift by 31";
}

TEST(WaveFile, RefusesOrLimitsBrokenAiff) {
    const Pcm pcm{100, 200, 300};
    expectRefused(aiffFile(pcm, {.sampleSize = 8}), "8-bit");
    expectRefused(aiffFile(pcm, {.channels = 0}), "no channels");
    expectRefused(aiffFile(pcm, {.exponent = 16382, .mantissaTop = 0x80000000}), "shift by 32");
    expectRefused(aiffFile(pcm, {.exponent = 100}), "shift far beyond 32");
    expectRefused(aiffFile(pcm, {.exponent = 16415}), "rate of 2^32 Hz or more");
    expectRefused(aiffFile(pcm, {.exponent = 0x8000 | 16398}), "negative rate");
    expectRefused(aiffFile(pcm, {}, true), "SSND before COMM");

    WaveBuffer wave;
    ASSERT_TRUE(parseWave(wave, aiffFile(pcm, {.frames = 1000})));
    EXPECT_EQ(wave.count(), 3u) << "frame count beyond the sound data";
    ASSERT_TRUE(parseWave(wave, aiffFile(pcm, {.frames = 2})));
    EXPECT_EQ(wave.count(), 2u);
}

TEST(WaveFile, LoadsFromAPath) {
    TempDir dir;
    WaveBuffer wave = kPrevious;
    EXPECT_FALSE(loadWave(wave, dir.file("missing.wav")));
    EXPECT_FALSE(loadWave(wave, dir.path()));
    writeFile(dir.file("a.aif"), asString(aiffFile({10, 20})));
    ASSERT_TRUE(loadWave(wave, dir.file("a.aif")));
    EXPECT_EQ(wave.count(), 2u);
}

}  // namespace
}  // namespace vexo::test

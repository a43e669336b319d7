// Audio for the detection tests: WAV and AIFF files written byte by byte, and sine cycles
// whose rising zero crossings fall on known samples.
#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>
#include <string>
#include <vector>

namespace vexo::test {

using ByteVector = std::vector<std::uint8_t>;
using Pcm = std::vector<std::int16_t>;

inline void put(ByteVector& out, std::uint32_t value, int bytes, bool bigEndian) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * (bigEndian ? bytes - 1 - i : i))));
    }
}

// An identifier, a size word (the body's size unless claimed), the body and a pad byte.
inline ByteVector chunk(const char* id, const ByteVector& body, bool bigEndian, std::int64_t claimed = -1) {
    ByteVector c(id, id + 4);
    put(c, static_cast<std::uint32_t>(claimed >= 0 ? claimed : static_cast<std::int64_t>(body.size())), 4, bigEndian);
    c.insert(c.end(), body.begin(), body.end());
    if (body.size() % 2 != 0) {
        c.push_back(0);
    }
    return c;
}

// "RIFF"/"FORM", the size word and the form type, then the chunks.
inline ByteVector container(const char* form, const std::vector<ByteVector>& chunks, std::int64_t claimed = -1) {
    const bool big = std::string(form) == "AIFF";
    ByteVector body(form, form + 4);
    for (const ByteVector& c : chunks) {
        body.insert(body.end(), c.begin(), c.end());
    }
    return chunk(big ? "FORM" : "RIFF", body, big, claimed);
}

inline ByteVector pcmBytes(const Pcm& samples, bool bigEndian) {
    ByteVector b;
    for (const std::int16_t s : samples) {
        put(b, static_cast<std::uint16_t>(s), 2, bigEndian);
    }
    return b;
}

struct WavFormat {
    std::uint16_t tag = 1;
    std::uint16_t channels = 1;
    std::uint32_t rate = 44100;
    std::uint16_t bits = 16;
    int blockAlign = -1;  // -1: channels * 2
};

inline ByteVector wavFmt(const WavFormat& f) {
    const auto align = static_cast<std::uint32_t>(f.blockAlign < 0 ? f.channels * 2 : f.blockAlign);
    ByteVector b;
    for (const auto& [value, bytes] : {std::pair<std::uint32_t, int>{f.tag, 2},
                                       {f.channels, 2},
                                       {f.rate, 4},
                                       {f.rate * align, 4},
                                       {align, 2},
                                       {f.bits, 2}}) {
        put(b, value, bytes, false);
    }
    return chunk("fmt ", b, false);
}

inline ByteVector wavData(const Pcm& samples, std::int64_t claimed = -1) {
    return chunk("data", pcmBytes(samples, false), false, claimed);
}

inline ByteVector wavFile(const Pcm& interleaved, const WavFormat& f = {}) {
    return container("WAVE", {wavFmt(f), wavData(interleaved)});
}

struct AiffFormat {
    std::uint16_t channels = 1;
    std::int64_t frames = -1;  // -1: as many as given
    std::uint16_t sampleSize = 16;
    std::uint16_t exponent = 16398;  // with this mantissa: 44100 Hz
    std::uint32_t mantissaTop = 0xAC440000;
};

inline ByteVector aiffFile(const Pcm& interleaved, const AiffFormat& f = {}, bool soundFirst = false) {
    ByteVector comm;
    put(comm, f.channels, 2, true);
    const std::size_t given = f.channels == 0 ? 0 : interleaved.size() / f.channels;
    put(comm, static_cast<std::uint32_t>(f.frames >= 0 ? f.frames : static_cast<std::int64_t>(given)), 4, true);
    put(comm, f.sampleSize, 2, true);
    put(comm, f.exponent, 2, true);
    put(comm, f.mantissaTop, 4, true);
    put(comm, 0, 4, true);
    ByteVector sound(8, 0);  // offset and block size
    const ByteVector pcm = pcmBytes(interleaved, true);
    sound.insert(sound.end(), pcm.begin(), pcm.end());
    const ByteVector c = chunk("COMM", comm, true), s = chunk("SSND", sound, true);
    return container("AIFF", soundFirst ? std::vector{s, c} : std::vector{c, s});
}

// Sine cycles, each starting a quarter sample past its rising zero crossing, so that the
// first sample of every cycle is a marked crossing.
inline void appendCycles(std::vector<float>& out, int period, int cycles, float amplitude = 0.8f) {
    for (int i = 0; i < cycles * period; ++i) {
        out.push_back(amplitude * static_cast<float>(std::sin(2.0 * std::numbers::pi * (i % period + 0.25) / period)));
    }
}

inline Pcm toPcm(const std::vector<float>& samples) {
    Pcm pcm;
    for (const float s : samples) {
        pcm.push_back(static_cast<std::int16_t>(std::lround(s * 32767.0f)));
    }
    return pcm;
}

inline std::string asString(const ByteVector& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace vexo::test

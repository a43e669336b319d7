// Writers for test input of the importers, built from the file layouts: Rebirth song
// chunks and unit records, and Ph pattern text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vexo::test {

// An IFF-style chunk: id, 32-bit big-endian size (or claimedSize), data, a pad byte
// after an odd size.
inline std::string songChunk(std::string_view id, std::string_view data, long long claimedSize = -1) {
    const auto size = static_cast<std::uint32_t>(claimedSize >= 0 ? claimedSize : static_cast<long long>(data.size()));
    std::string out(id);
    for (int shift = 24; shift >= 0; shift -= 8) {
        out += static_cast<char>((size >> shift) & 0xff);
    }
    return out + std::string(data) + (data.size() % 2 != 0 ? std::string(1, '\0') : "");
}

inline std::string songContainer(std::string_view type, std::string_view chunks) {
    return songChunk("CAT ", std::string(type) + std::string(chunks));
}

// The 1097 data bytes of a "303 " chunk: pattern number at 1, six knobs at 2..7, waveform
// at 8, then 32 pattern records of 34 bytes (length, 16 note/flag byte pairs) from 10.
struct UnitWriter {
    std::string data = std::string(1097, '\0');

    UnitWriter& knobs(int patternNumber, int firstKnob, int waveform) {
        data[1] = static_cast<char>(patternNumber);
        for (int i = 0; i < 6; ++i) {
            data[static_cast<std::size_t>(2 + i)] = static_cast<char>(firstKnob + i);
        }
        data[8] = static_cast<char>(waveform);
        return *this;
    }
    // Record k: the length byte and (note, flag byte) pairs.
    UnitWriter& pattern(int k, int length, const std::vector<std::pair<int, int>>& steps) {
        const std::size_t record = 10 + 34 * static_cast<std::size_t>(k);
        data[record] = static_cast<char>(length);
        for (std::size_t s = 0; s < steps.size(); ++s) {
            data[record + 1 + 2 * s] = static_cast<char>(steps[s].first);
            data[record + 2 + 2 * s] = static_cast<char>(steps[s].second);
        }
        return *this;
    }
    // Every record k: length k % 17, step s note k % 13 + s with the given flag byte.
    UnitWriter& numbered(int flagByte) {
        for (int k = 0; k < 32; ++k) {
            std::vector<std::pair<int, int>> steps;
            for (int s = 0; s < 16; ++s) {
                steps.emplace_back(k % 13 + s, flagByte);
            }
            pattern(k, k % 17, steps);
        }
        return *this;
    }
    std::string chunk() const { return songChunk("303 ", data); }
};

// One Ph step record: note, down, up, gate, accent, slide (three unused numbers follow).
struct PhStep {
    int note = 0, down = 0, up = 0, gate = 0, accent = 0, slide = 0;
};

// Step s of Ph block b: note (b + s) % 13, gate on even steps, accent every third, slide
// every fourth, octave flags from s % 4 (1 down, 2 up, 3 both).
inline PhStep numberedPhStep(int b, int s) {
    return PhStep{(b + s) % 13, s % 4 == 1 || s % 4 == 3, s % 4 >= 2, s % 2 == 0, s % 3 == 0, s % 4 == 0};
}

// Ph text of 128 numbered blocks of the given lengths.
template <class Length>
std::string phText(Length lengthOf) {
    std::string out;
    for (int b = 0; b < 128; ++b) {
        out += std::to_string(lengthOf(b)) + " 0 0\n";
        for (int s = 0; s < 16; ++s) {
            const PhStep p = numberedPhStep(b, s);
            for (int v : {p.note, p.down, p.up, p.gate, p.accent, p.slide, 0, 0, 0}) {
                out += std::to_string(v) + ' ';
            }
            out += '\n';
        }
    }
    return out;
}

}  // namespace vexo::test

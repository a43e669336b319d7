// Writes the sawtooth and square wavetable files of the plug-in folder.
//
// Layout of both sets (see src/voice/WaveTableBuilder.cpp):
//
// - Level map of 4096 entries. The oscillator indexes it with its period counted at 48 kHz
//   (period times 1.0884354 at 44.1 kHz, times 1 at 48 kHz, times 0.5 at 96 kHz), so the
//   map reaches periods of 4095 samples, 11.7 Hz. Lower notes clamp to the last level,
//   whose 1775 harmonics still reach 20.8 kHz at 11.7 Hz (14.6 kHz at the lowest key).
// - A new level every sixth of an octave of period, 57 levels in all. A level serves its
//   range of map indexes with the harmonic count of the range's shortest period, chosen
//   so that the top harmonic of the highest frequency that reaches the level stays below
//   the Nyquist frequency in every sample-rate class (the 44.1 kHz class is the tightest,
//   about 0.46 harmonics per map index), with a 0.25 % margin for the cycle-to-cycle
//   period factors. Nothing folds back at any key and any sample rate; at the bottom of a
//   range the top harmonic still reaches about 2^(-1/6) of the Nyquist frequency (19.6 kHz
//   at 44.1 kHz), so a glide across levels changes the brightness inaudibly. Map indexes
//   0 to 2 (fundamentals above 14.7 kHz at 44.1 kHz) get a silent level.
// - Cycle lengths: the power of two at or above 8 samples per harmonic, at least 256
//   (182784 samples in all, 0.7 MB per file). The oscillator interpolates linearly; its
//   images of harmonic h fall about (h / N)^2 below that harmonic, so with N >= 8 h every
//   image stays more than 60 dB below the fundamental, and the top harmonic loses less
//   than 0.5 dB to the interpolation.
// - Each cycle is the Fourier series of the shape (falling sawtooth, square) evaluated on
//   its own grid with exact sines, normalised to a peak magnitude of 1. The output depends
//   only on this program, so every build writes the same bytes.
#include <cstdio>
#include <fstream>
#include <vector>

#include "voice/WaveTableBuilder.h"

namespace {

bool writeFile(const char* path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: vexo_wavetablegen SAW_FILE SQUARE_FILE\n");
        return 2;
    }
    const vexo::WaveTablePlan plan = vexo::planWaveTables();
    const auto saw = vexo::serializeWaveTableFile(vexo::buildWaveTableSet(vexo::WaveShape::Sawtooth, plan));
    const auto square = vexo::serializeWaveTableFile(vexo::buildWaveTableSet(vexo::WaveShape::Square, plan));
    if (!writeFile(argv[1], saw) || !writeFile(argv[2], square)) {
        std::fprintf(stderr, "vexo_wavetablegen: cannot write %s or %s\n", argv[1], argv[2]);
        return 1;
    }
    return 0;
}

#include "patterns/PatternDetection.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>

namespace vexo {
namespace {

constexpr double kNormalizeFloor = 0.000001;
constexpr double kGateEnergy = 0.001;   // mean square over the segment without its release
constexpr double kSlideEnergy = 0.001;  // mean square over the last quarter without the release
constexpr double kTailStart = 0.75;     // of the segment length
constexpr double kAccentLevel = 0.5;    // of the normalised peak
constexpr double kArmLevel = 0.1;       // of the segment's peak, below zero
constexpr std::int64_t kPeriodToleranceSamples = 10;
constexpr double kMidiNoteZeroHz = 8.175799369812012;
constexpr double kLn2 = 0.6931471824645996;
constexpr int kSemitonesPerOctave = 12;
// Octaves of MIDI notes 36..47 (plain), 48..59 (up) and 60.. (note + 12, up).
constexpr int kBaseOctave = 3;
constexpr int kTopOctave = 5;
// Generous bounds for a truncated note: no positive rate and period come near them.
constexpr double kMidiNoteBound = 1e6;

using Index = std::int64_t;

// Mean square of x over [from, to); nothing when the window is empty.
std::optional<double> meanSquare(const std::vector<float>& x, Index from, Index to) {
    if (to <= from) {
        return std::nullopt;
    }
    double sum = 0.0;
    for (Index i = from; i < to; ++i) {
        const double v = x[static_cast<std::size_t>(i)];
        sum += v * v;
    }
    return sum / static_cast<double>(to - from);
}

bool energyAbove(const std::vector<float>& x, Index from, Index to, double threshold) {
    const std::optional<double> energy = meanSquare(x, from, to);
    return energy && *energy > threshold;
}

// Periods between marked zero crossings: a sample below -0.1 peak arms, the next rising
// crossing (a sample >= 0 after one < 0) is marked and disarms.
struct Periods {
    int count = 0;
    Index first = 0, last = 0, smallest = 0, largest = 0;
    // A period counts when it is within the tolerance of the one before it (the first is
    // compared with 0).
    int accepted = 0;
    double acceptedSum = 0.0;
};

Periods crossingPeriods(const std::vector<float>& x, Index start, Index end, double peak) {
    Periods p;
    double previous = 0.0;
    bool armed = false;
    std::optional<Index> lastMark;
    Index lastPeriod = 0;
    for (Index i = start; i < end; ++i) {
        const double v = x[static_cast<std::size_t>(i)];
        if (v < -kArmLevel * peak) {
            armed = true;
        } else if (armed && v >= 0.0 && previous < 0.0) {
            armed = false;
            if (lastMark) {
                const Index d = i - *lastMark;
                p.first = p.count == 0 ? d : p.first;
                p.smallest = p.count == 0 ? d : std::min(p.smallest, d);
                p.largest = p.count == 0 ? d : std::max(p.largest, d);
                p.last = d;
                ++p.count;
                if (std::llabs(d - lastPeriod) < kPeriodToleranceSamples) {
                    ++p.accepted;
                    p.acceptedSum += static_cast<double>(d);
                }
                lastPeriod = d;
            }
            lastMark = i;
        }
        previous = v;
    }
    return p;
}

// The period that gives the step's pitch, if there is one. A step slid into glides, so its
// pitch is the glide's end: the largest period when the periods grow, else the smallest.
std::optional<double> segmentPeriod(const Periods& p, bool slidInto) {
    if (slidInto) {
        if (p.count == 0) {
            return std::nullopt;
        }
        return static_cast<double>(p.first <= p.last ? p.largest : p.smallest);
    }
    if (p.accepted == 0) {
        return std::nullopt;
    }
    return p.acceptedSum / p.accepted;
}

int floorDiv(int a, int b) {
    const int q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

}  // namespace

void normalizeWave(WaveBuffer& wave) {
    double peak = 0.0;
    for (const float s : wave.samples) {
        peak = std::max(peak, static_cast<double>(std::fabs(s)));
    }
    if (!(peak > kNormalizeFloor)) {
        return;
    }
    const double gain = 1.0 / peak;
    for (float& s : wave.samples) {
        s = static_cast<float>(s * gain);
    }
}

int midiNoteForPeriod(double periodSamples, int sampleRate) {
    const double frequency = sampleRate / periodSamples;
    if (!std::isfinite(frequency) || !(frequency > 0.0)) {
        return kUnpitchedMidiNote;
    }
    const double note = (std::log(frequency) - std::log(kMidiNoteZeroHz)) * kSemitonesPerOctave / kLn2;
    return static_cast<int>(std::clamp(note, -kMidiNoteBound, kMidiNoteBound));
}

bool detectPattern(const WaveBuffer& wave, int steps, DetectionResults& results) {
    if (steps < 1 || steps > kMaxSteps) {
        return false;
    }
    const std::vector<float>& x = wave.samples;
    const auto count = static_cast<Index>(x.size());
    const Index length = (count + steps - 1) / steps;
    bool slidInto = false;
    for (int m = 0; m < steps; ++m) {
        const Index start = std::min(m * length, count);
        const Index end = std::min(start + length, count);
        const Index energyEnd = end - kSegmentReleaseSamples;
        const Index tailStart = start + static_cast<Index>(std::floor(kTailStart * static_cast<double>(length)));

        double peak = 0.0;
        for (Index i = start; i < end; ++i) {
            peak = std::max(peak, static_cast<double>(std::fabs(x[static_cast<std::size_t>(i)])));
        }
        const bool gate = energyAbove(x, start, energyEnd, kGateEnergy);
        const bool slide = energyAbove(x, tailStart, energyEnd, kSlideEnergy);
        const bool accent = peak > kAccentLevel;

        DetectionResult& r = results[static_cast<std::size_t>(m)];
        if (gate) {
            const std::optional<double> period = segmentPeriod(crossingPeriods(x, start, end, peak), slidInto);
            r = {period ? midiNoteForPeriod(*period, wave.sampleRate) : kUnpitchedMidiNote, true, accent, slide};
        } else {
            r = DetectionResult{};
        }
        slidInto = slide;
    }
    return true;
}

void applyDetection(Pattern& pattern, int steps, const DetectionResults& results, bool pitches, bool rhythm) {
    pattern.setLength(steps);
    const int count = std::min(steps, kMaxSteps);
    for (int i = 0; i < count; ++i) {
        const DetectionResult& r = results[static_cast<std::size_t>(i)];
        Step step = pattern.step(i);
        if (pitches) {
            const int octave = floorDiv(r.midiNote, kSemitonesPerOctave);
            const int pitchClass = r.midiNote - octave * kSemitonesPerOctave;
            step.note = static_cast<std::uint8_t>(pitchClass + (octave >= kTopOctave ? kSemitonesPerOctave : 0));
            step.set(StepFlags::Down, octave < kBaseOctave);
            step.set(StepFlags::Up, octave > kBaseOctave);
        }
        if (rhythm) {
            step.set(StepFlags::Gate, r.gate);
            step.set(StepFlags::Accent, r.accent);
            step.set(StepFlags::Slide, r.slide);
        }
        pattern.setStep(i, step);
    }
}

void parseWaveName(std::string_view path, int& steps, bool& triplet) {
    triplet = path.find("triplet") != std::string_view::npos;
    const std::size_t word = path.find("step");
    if (word == std::string_view::npos) {
        return;
    }
    std::size_t i = word >= 2 ? word - 2 : 0;
    while (i < path.size() && (path[i] < '0' || path[i] > '9')) {
        ++i;
    }
    if (i == path.size()) {
        return;
    }
    constexpr int kDigitsLimit = 1000;  // any larger number ends up as 64 as well
    int value = 0;
    for (; i < path.size() && path[i] >= '0' && path[i] <= '9'; ++i) {
        value = std::min(value * 10 + (path[i] - '0'), kDigitsLimit);
    }
    steps = std::clamp(value, 1, kMaxSteps);
}

}  // namespace vexo

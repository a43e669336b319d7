#include "Compositions.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>

#include "PatternNotation.h"

namespace vexo::bankgen {
namespace {

constexpr int kOctave = 12;
constexpr int kHighestPitch = 2 * kOctave;

// Shuffle amounts (0..127) from a light swing to nearly triplet feel.
constexpr int kLightSwing = 20;
constexpr int kSwing = 30;
constexpr int kHeavySwing = 42;

}  // namespace

const std::vector<Composition>& composedLines() {
    static const std::vector<Composition> lines = {
        // 16 steps
        {"PumpingOctaves", "c c4A c c4S c4 c d#4A c c c4AS c4 a#3 c g3A c4S c4", 0, false},
        {"PhrygianRoll", "c . c#A c c4S c . c g2 . c c#4AS c# c . g2A", 0, false},
        {"LowA", "a2 a2 a3AS a2 . a2 g3 a2A c3 a2 . a2S a2 e3A g3 a2", 0, false},
        {"OffbeatStabs", "c4A . c . d#4A . c . g3A . c4S a#3 . c c4A .", 0, false},
        {"ChromaticSlide", "c cS c# dS d# c4A . g2 c cS d#AS f f#S g . c4A", 0, false},
        {"Question", "f . f4A f . fS f g#A f . c4AS c#4 f . d#4A f", 0, false},
        {"OctaveBounce", "g2 g3A g2 g3 g2S g2 a#3A g2 g3 f3 g2A g2 d3S d#3 g2 g3A", 0, false},
        {"Minimal", "c . . c c4A . c . c . . c d#A . cS c", 0, false},
        {"Fifths", "c g c4A g c gS a# g c4A c g2 gAS g# g c c4", 0, false},
        {"RaveStab", "c c c4AS c4 c c a#3A c c c c4AS c4 c g3A c", 0, false},
        {"HeldNotes", "c - - c4A c - d#S f - . g - a#4A - g c", 0, false},
        {"DarkE", "e e f4A e . e e4S e f e . e g4A e f#S g", 0, false},
        {"Rolling", "c4A c4S c c d#A c c4 cS g2 c a#3A c cS c# c c4A", 0, false},
        {"DMinor", "d . d4A d c4 d . f4A d d4S d . a3A d c4 d", 0, false},
        {"Climber", "c cS d#S f gS a#S c4A c4 . c4S a#S g fS d#S c .", 0, false},
        {"Syncopated", "c4A . c c4 . c c4A . c c4 . c a#3AS c4 . c", 0, false},
        {"LowBb", "a#2 a#2A a#3 a#2 g#2S a#2 . a#2 c#3A a#2 a#3S a#3 a#2 f3A a#2 .", 0, false},
        {"SquelchStabs", "cA cA . c4 c . cA c4S d#4 . c cA . g3S a#3 c4A", 0, false},
        {"HalfStep", "c . c4 c c#4AS c4 c . c c4A . c g3 g#3AS g3 c", 0, false},
        {"LowFSharp", "f#2 f#3A f#2 f#2 e3S f#2 a3A f#2 f#2 f#3S f#3 c#3 f#2 a3A b3S f#3", 0, false},
        {"Driving", "c c c c4A c c d#4AS d#4 c c c c4A c g3S a#3 c4A", 0, false},
        {"SparseHits", "c . c# . c4A . c . c#4AS c# . c c4 . g2A .", 0, false},
        {"DWalk", "d d4A d f4 dS d4 d c4A d d d4AS d4 a c4 d d4A", 0, false},
        {"Tritone", "c4A c c . c4 c d#A c . c4AS a#3 c . f#3A g3 c", 0, false},
        // Other lengths
        {"Eight", "c c4A . c d#4AS c4 c .", 0, false},
        {"EightPhrygian", "c . c4A c c#S c . g2A", 0, false},
        {"Polymeter12", "c c4A . c d#4 c . c4S c4 a#3 g3A .", 0, false},
        {"Fifteen", "c c4A c . c c#4AS c# c . c4 c g2A . c c4", 0, false},
        {"Seven", "c4A c c4 . cS d# c", 0, false},
        {"Thirteen", "c . c4A c g3 c4S a#3 c . c d#4A c .", 0, false},
        {"TwoBar",
         "c c4A c c4S c4 c d#4A c c c4AS c4 a#3 c g3A c4S c4 "
         "f . f4A f . fS f g#A g . g4A g a#S c4 . c4A",
         0, false},
        {"LongLoop", "c . c4A c . c d#4 c . c4AS c4 . c . c4A c . c g2 g2AS a#2 c . c4A", 0, false},
        {"Ten", "c c4A c . c d#S f c4A . c", 0, false},
        // Shuffled
        {"SwingPump", "c c4A . c c d#4 c c4AS c4 . c g3A c . c4 c", kSwing, false},
        {"SwingMinimal", "c . c4A c . c c#4A c . cS c# c4A . c g2 c", kHeavySwing, false},
        {"SwingG", "g2 . g3A g2 g2 a#3S c4 g2 . g3A g2 f3 g2 . d3A g2", 25, false},
        {"SwingStabs", "c4A c . c c4S c4 . c d#A . c c4A . a#3S c4 .", 35, false},
        {"SwingA", "a2 a3A . a2 c3S d3 a2 . a2 a3A . e3 a2 g3S a3 .", 45, false},
        {"LightSwing", "c c c4A c c c c#4AS c# c c c4A c c g2A a#2S c", kLightSwing, false},
        // Triplets: 12 steps are one bar
        {"TripletPump", "c c4A c c c4S c4 c d#4A c c g3AS c", 0, true},
        {"TripletGaps", "c . c4A c . c c#A . c c4AS c4 .", 0, true},
        {"TripletA", "a2 a3A a2 . a2 g3S a2 a2 c3A a2 e3 a2", 0, true},
        {"TripletTwoBar", "c c4A . c c d#4S f4 . c c4A c . c c4A . c c#4AS c . c g2A . c4 c", 0, true},
        {"TripletSix", "c4A c c c4S c4 .", 0, true},
        {"TripletHolds", "c - c4A c . c d#A - c c4S c4 c", kLightSwing, true},
        {"TripletNine", "c c4A c g3 c a#3AS c4 c .", 0, true},
        {"TripletF", "f . f4A f fS g#A f . c4A f d#4S f4", 0, true},
    };
    return lines;
}

// --- Generated lines

namespace {

// A small linear congruential generator: the lines must not depend on the C library.
class LineRandom {
public:
    explicit LineRandom(std::uint32_t seed) : state_(seed * 2654435761u + 0x9e3779b9u) {}
    int below(int n) {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<int>((state_ >> 16) % static_cast<std::uint32_t>(n));
    }
    bool percent(int p) { return below(100) < p; }

private:
    std::uint32_t state_;
};

constexpr int kMinorPentatonic[] = {0, 3, 5, 7, 10};
constexpr int kMinor[] = {0, 2, 3, 5, 7, 8, 10};
constexpr int kPhrygian[] = {0, 1, 3, 5, 7, 8, 10};
constexpr int kDorian[] = {0, 2, 3, 5, 7, 9, 10};
constexpr int kBlues[] = {0, 3, 5, 6, 7, 10};
const std::array<std::span<const int>, 5> kScales = {kMinorPentatonic, kMinor, kPhrygian, kDorian, kBlues};

// Roots in semitones above the lowest c: C, A#, A, D, G, E, F, G#, C#, D# (the lower
// ones an octave down), so every line has room above its root.
constexpr int kRoots[] = {0, -2, -3, 2, -5, 4, 5, -4, 1, 3};

// Lengths of the generated lines, in turn; 12-step lines play as triplets.
constexpr int kLengths[] = {16, 16, 8, 16, 32, 16, 12, 16, 16, 15, 16, 24, 16, 7, 16, 64};

struct LineStyle {
    std::span<const int> scale;
    int root;
    int restPercent;
    int accentPercent;
    int slidePercent;
    int highPercent;  // root an octave up
};

struct Tone {
    bool gate = false;
    int pitch = 0;
    bool accent = false;
    bool slide = false;
};

Tone composeTone(LineRandom& random, const LineStyle& style, int position) {
    const bool downbeat = position % 4 == 0;
    const bool offbeat = position % 4 == 2;
    Tone tone;
    tone.pitch = style.root;
    const int rest = downbeat ? style.restPercent / 4 : (offbeat ? style.restPercent / 2 : style.restPercent);
    if (random.percent(rest)) {
        return tone;
    }
    tone.gate = true;
    const int choice = random.below(100);
    if (choice < 40 || (downbeat && choice < 60)) {
        tone.pitch = style.root;
    } else if (choice < 40 + style.highPercent) {
        tone.pitch = style.root + kOctave;
    } else {
        const int degree = style.scale[static_cast<std::size_t>(random.below(static_cast<int>(style.scale.size())))];
        tone.pitch = style.root + degree + (random.percent(30) ? kOctave : 0);
    }
    if (tone.pitch > kHighestPitch) {
        tone.pitch -= kOctave;
    }
    const bool high = tone.pitch >= style.root + kOctave;
    tone.accent =
        random.percent(offbeat ? style.accentPercent + 12 : style.accentPercent) || (high && random.percent(20));
    tone.slide = random.percent(style.slidePercent);
    return tone;
}

}  // namespace

Pattern generatedLine(int index) {
    LineRandom random(static_cast<std::uint32_t>(index) + 1);
    const int length = kLengths[static_cast<std::size_t>(index) % std::size(kLengths)];
    const bool triplet = length == 12 || (length == 24 && index % 2 == 0);
    LineStyle style;
    style.scale = kScales[static_cast<std::size_t>(random.below(static_cast<int>(kScales.size())))];
    style.root = kRoots[random.below(static_cast<int>(std::size(kRoots)))];
    style.restPercent = 20 + random.below(25);
    style.accentPercent = 12 + random.below(16);
    style.slidePercent = 10 + random.below(15);
    style.highPercent = 12 + random.below(18);

    // A motif, repeated with its last quarter varied each time: call and response. Every
    // third straight line uses a whole bar as its motif.
    int motif = length;
    if (triplet) {
        motif = 6;
    } else if (length % 8 == 0) {
        motif = index % 3 == 0 ? std::min(length, 16) : 8;
    }
    std::vector<Tone> tones;
    for (int i = 0; i < length; ++i) {
        const int position = i % motif;
        const bool varied = i >= motif && position >= motif - motif / 4 && random.percent(60);
        tones.push_back(i < motif || varied ? composeTone(random, style, position)
                                            : tones[static_cast<std::size_t>(position)]);
    }
    // The line starts on its root; most slides lead into a note, some of them hold their
    // note over the next step.
    tones[0].gate = true;
    tones[0].pitch = style.root;
    for (int i = 0; i + 1 < length; ++i) {
        Tone& next = tones[static_cast<std::size_t>(i + 1)];
        if (tones[static_cast<std::size_t>(i)].slide && !next.gate && random.percent(70)) {
            tones[static_cast<std::size_t>(i)].slide = false;
        }
        if (tones[static_cast<std::size_t>(i)].slide && next.gate && random.percent(30)) {
            next.pitch = tones[static_cast<std::size_t>(i)].pitch;
            next.accent = false;
        }
    }

    Pattern pattern;
    pattern.setLength(length);
    pattern.setTriplet(triplet);
    if (!triplet && index % 5 == 3) {
        pattern.setShuffle(18 + random.below(27));
    }
    for (int i = 0; i < length; ++i) {
        const Tone& t = tones[static_cast<std::size_t>(i)];
        std::uint8_t flags = 0;
        if (t.gate) {
            flags |= StepFlags::Gate;
            if (t.accent) {
                flags |= StepFlags::Accent;
            }
        }
        if (t.slide) {
            flags |= StepFlags::Slide;
        }
        pattern.steps[static_cast<std::size_t>(i)] = stepForPitch(t.pitch, flags);
    }
    return pattern;
}

// --- Pattern library

const std::vector<LibraryEntry>& libraryEntries() {
    // tune cutoff reso envmod decay accent wave distort drive volume disttype highpass tempo
    static const std::vector<LibraryEntry> entries = {
        {"Acid",
         "Pumping Octaves",
         "PumpingOctaves",
         {0.5f, 0.32f, 0.85f, 0.70f, 0.40f, 0.75f, 0, 0.00f, 0.35f, 0.75f, 0, 0, 132}},
        {"Acid",
         "Phrygian Roll",
         "PhrygianRoll",
         {0.5f, 0.28f, 0.88f, 0.65f, 0.45f, 0.80f, 0, 0.04f, 0.45f, 0.72f, 0, 0, 136}},
        {"Acid", "Question", "Question", {0.5f, 0.38f, 0.80f, 0.60f, 0.35f, 0.70f, 1, 0.00f, 0.30f, 0.75f, 0, 0, 128}},
        {"Acid",
         "Octave Bounce",
         "OctaveBounce",
         {0.5f, 0.30f, 0.90f, 0.75f, 0.50f, 0.85f, 0, 0.06f, 0.55f, 0.70f, 0, 1, 138}},
        {"Acid", "Climber", "Climber", {0.5f, 0.22f, 0.92f, 0.80f, 0.55f, 0.70f, 0, 0.00f, 0.25f, 0.75f, 0, 0, 130}},
        {"Acid", "Rave Stab", "RaveStab", {0.5f, 0.40f, 0.78f, 0.55f, 0.30f, 0.90f, 1, 0.08f, 0.60f, 0.68f, 1, 0, 140}},
        {"Acid",
         "Squelch Stabs",
         "SquelchStabs",
         {0.5f, 0.26f, 0.95f, 0.85f, 0.35f, 0.85f, 0, 0.03f, 0.40f, 0.72f, 0, 0, 134}},
        {"Acid",
         "Chromatic Slide",
         "ChromaticSlide",
         {0.5f, 0.35f, 0.82f, 0.62f, 0.45f, 0.65f, 0, 0.00f, 0.30f, 0.75f, 0, 0, 126}},
        {"Acid", "Fifths", "Fifths", {0.5f, 0.30f, 0.86f, 0.70f, 0.38f, 0.75f, 1, 0.05f, 0.50f, 0.70f, 0, 0, 135}},
        {"Acid",
         "Held Notes",
         "HeldNotes",
         {0.5f, 0.24f, 0.90f, 0.78f, 0.60f, 0.70f, 0, 0.00f, 0.30f, 0.75f, 0, 0, 128}},
        {"Acid", "Low Bb", "LowBb", {0.5f, 0.34f, 0.84f, 0.66f, 0.42f, 0.78f, 0, 0.07f, 0.50f, 0.68f, 0, 1, 137}},
        {"Acid",
         "Syncopated",
         "Syncopated",
         {0.5f, 0.36f, 0.80f, 0.60f, 0.32f, 0.80f, 1, 0.00f, 0.35f, 0.74f, 0, 0, 132}},
        {"Acid", "Two Bar", "TwoBar", {0.5f, 0.30f, 0.87f, 0.72f, 0.44f, 0.76f, 0, 0.04f, 0.45f, 0.72f, 0, 0, 133}},
        {"Deep", "Minimal", "Minimal", {0.5f, 0.22f, 0.60f, 0.35f, 0.65f, 0.40f, 1, 0.00f, 0.25f, 0.80f, 0, 0, 122}},
        {"Deep", "Dark E", "DarkE", {0.5f, 0.18f, 0.65f, 0.40f, 0.70f, 0.45f, 0, 0.00f, 0.25f, 0.80f, 0, 0, 120}},
        {"Deep",
         "Sparse Hits",
         "SparseHits",
         {0.5f, 0.25f, 0.55f, 0.30f, 0.75f, 0.50f, 1, 0.00f, 0.20f, 0.80f, 0, 0, 118}},
        {"Deep", "D Walk", "DWalk", {0.5f, 0.20f, 0.58f, 0.38f, 0.62f, 0.40f, 1, 0.00f, 0.25f, 0.80f, 0, 1, 124}},
        {"Deep",
         "Low F Sharp",
         "LowFSharp",
         {0.5f, 0.24f, 0.62f, 0.42f, 0.55f, 0.45f, 0, 0.02f, 0.30f, 0.78f, 1, 0, 121}},
        {"Deep", "Seven Steps", "Seven", {0.5f, 0.21f, 0.66f, 0.36f, 0.68f, 0.40f, 1, 0.00f, 0.25f, 0.80f, 0, 0, 123}},
        {"Deep",
         "Polymeter 12",
         "Polymeter12",
         {0.5f, 0.23f, 0.60f, 0.40f, 0.60f, 0.45f, 0, 0.00f, 0.25f, 0.80f, 0, 0, 124}},
        {"Deep", "Long Loop", "LongLoop", {0.5f, 0.19f, 0.64f, 0.34f, 0.72f, 0.40f, 1, 0.00f, 0.25f, 0.80f, 0, 0, 119}},
        {"Deep", "Thirteen", "Thirteen", {0.5f, 0.22f, 0.62f, 0.38f, 0.66f, 0.42f, 1, 0.00f, 0.22f, 0.80f, 0, 1, 122}},
        {"Triplets",
         "Triplet Pump",
         "TripletPump",
         {0.5f, 0.30f, 0.85f, 0.68f, 0.42f, 0.75f, 0, 0.00f, 0.35f, 0.75f, 0, 0, 126}},
        {"Triplets",
         "Triplet Gaps",
         "TripletGaps",
         {0.5f, 0.27f, 0.88f, 0.72f, 0.48f, 0.80f, 0, 0.04f, 0.45f, 0.72f, 0, 0, 130}},
        {"Triplets",
         "Triplet A",
         "TripletA",
         {0.5f, 0.33f, 0.80f, 0.60f, 0.40f, 0.70f, 1, 0.00f, 0.30f, 0.75f, 0, 0, 124}},
        {"Triplets",
         "Triplet Two Bar",
         "TripletTwoBar",
         {0.5f, 0.29f, 0.86f, 0.70f, 0.44f, 0.78f, 0, 0.05f, 0.50f, 0.70f, 0, 0, 128}},
        {"Triplets",
         "Triplet Six",
         "TripletSix",
         {0.5f, 0.31f, 0.90f, 0.76f, 0.36f, 0.82f, 0, 0.00f, 0.30f, 0.75f, 0, 0, 132}},
        {"Triplets",
         "Triplet Holds",
         "TripletHolds",
         {0.5f, 0.24f, 0.84f, 0.66f, 0.58f, 0.70f, 1, 0.00f, 0.30f, 0.76f, 0, 0, 120}},
        {"Triplets",
         "Triplet Nine",
         "TripletNine",
         {0.5f, 0.35f, 0.82f, 0.64f, 0.38f, 0.74f, 0, 0.06f, 0.55f, 0.70f, 1, 0, 127}},
        {"Triplets",
         "Triplet F",
         "TripletF",
         {0.5f, 0.28f, 0.87f, 0.70f, 0.46f, 0.78f, 0, 0.00f, 0.35f, 0.75f, 0, 1, 125}},
        {"Shuffle",
         "Swing Pump",
         "SwingPump",
         {0.5f, 0.32f, 0.84f, 0.68f, 0.40f, 0.75f, 0, 0.00f, 0.35f, 0.75f, 0, 0, 124}},
        {"Shuffle",
         "Swing Minimal",
         "SwingMinimal",
         {0.5f, 0.24f, 0.70f, 0.45f, 0.60f, 0.50f, 1, 0.00f, 0.25f, 0.78f, 0, 0, 118}},
        {"Shuffle", "Swing G", "SwingG", {0.5f, 0.30f, 0.86f, 0.70f, 0.45f, 0.78f, 0, 0.03f, 0.40f, 0.72f, 0, 0, 126}},
        {"Shuffle",
         "Swing Stabs",
         "SwingStabs",
         {0.5f, 0.36f, 0.80f, 0.58f, 0.34f, 0.85f, 1, 0.06f, 0.55f, 0.70f, 0, 0, 128}},
        {"Shuffle", "Swing A", "SwingA", {0.5f, 0.28f, 0.88f, 0.74f, 0.50f, 0.72f, 0, 0.00f, 0.30f, 0.75f, 0, 0, 122}},
        {"Shuffle",
         "Light Swing",
         "LightSwing",
         {0.5f, 0.33f, 0.83f, 0.66f, 0.40f, 0.76f, 0, 0.00f, 0.35f, 0.75f, 0, 1, 130}},
    };
    return entries;
}

}  // namespace vexo::bankgen

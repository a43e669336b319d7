#include "editor/PanelState.h"

#include <array>

#include "sequencer/Pattern.h"

namespace vexo {

namespace {

constexpr int kHighestFoldedNote = 83;
constexpr int kFoldFar = 60;
constexpr int kOctave = 12;

// Bits of the step word beyond the note byte.
constexpr std::uint16_t kWordGate = StepFlags::Gate << 8;
constexpr std::uint16_t kWordDown = StepFlags::Down << 8;
constexpr std::uint16_t kWordUp = StepFlags::Up << 8;
constexpr std::uint16_t kWordAccent = StepFlags::Accent << 8;
constexpr std::uint16_t kWordSlide = StepFlags::Slide << 8;
// Time-entry marks shown on the up, accent and down LEDs.
constexpr std::uint16_t kWordTie = 1u << 13;
constexpr std::uint16_t kWordRest = 1u << 14;
constexpr std::uint16_t kWordNote = 1u << 15;

// Rows of "1" (lit) and "0". The LED rows list the naturals first, then the sharps.
constexpr std::array<const char*, kLightShowFrames> kLedRows = {
    "1111111111111", "1100000000000", "0011000000000", "0000110000000", "0000001100000",
    "0000110000000", "0011000000000", "1100000000000", "0011000000000", "0000110000000",
    "0000001100000", "0000110000000", "0011000000000", "1100000000000"};
constexpr std::array<const char*, kLightShowFrames> kKeyRows = {
    "1111111111111", "1100000000000", "0011000000000", "0000110000000", "0000001100000",
    "0000000011000", "0000000000111", "0000000011000", "0000001100000", "0000110000000",
    "0011000000000", "1100000000000", "0000000000000", "1111111111111"};
// Character position of each LED in an LED row: LEDs 0, 2, 4, 5, 7, 9, 11, 12 are the
// first eight characters, LEDs 1, 3, 6, 8, 10 the last five.
constexpr std::array<int, kNoteLedCount> kLedCharacter = {0, 8, 1, 9, 2, 3, 10, 4, 11, 5, 12, 6, 7};

bool inRange(int frame, int light) {
    return frame >= 0 && frame < kLightShowFrames && light >= 0 && light < kNoteLedCount;
}

}  // namespace

int noteLedIndex(int note) {
    while (note > kHighestFoldedNote) {
        note -= kFoldFar;
    }
    while (note > kOctave) {
        note -= kOctave;
    }
    return note;
}

ModeLeds modeLeds(std::uint16_t word, bool timeEntry, bool pitchEntry, bool running) {
    ModeLeds leds;
    if (timeEntry && !pitchEntry) {
        leds.timeMode = true;
        leds.down = (word & kWordNote) != 0;
        leds.up = (word & kWordTie) != 0;
        leds.accent = (word & kWordRest) != 0;
        leds.runStop = running;
        return leds;
    }
    leds.down = (word & kWordDown) != 0;
    leds.up = (word & kWordUp) != 0;
    leds.accent = (word & kWordAccent) != 0;
    leds.slide = (word & kWordSlide) != 0;
    if (timeEntry) {
        leds.pitchMode = true;
        leds.runStop = running;
    } else {
        leds.timeMode = (word & kWordGate) != 0;
        leds.pitchMode = pitchEntry;
    }
    return leds;
}

bool lightShowNoteLed(int frame, int led) {
    return inRange(frame, led) &&
           kLedRows[static_cast<std::size_t>(frame)][kLedCharacter[static_cast<std::size_t>(led)]] == '1';
}

bool lightShowNoteKey(int frame, int key) {
    return inRange(frame, key) && kKeyRows[static_cast<std::size_t>(frame)][key] == '1';
}

}  // namespace vexo

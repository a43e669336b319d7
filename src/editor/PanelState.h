// What the panel's lights show, as pure functions of the plug-in's state: the note LED of
// a step, the mode LEDs and the light show played when the editor opens.
#pragma once

#include <cstdint>
#include <optional>

namespace vexo {

constexpr int kNoteLedCount = 13;

// The note LED (0..12) lit for a step's note byte: notes above 12 fold back by 60 while
// above 83, then by octaves.
int noteLedIndex(int note);

// LED states of the step modes; an empty run LED means "leave it as it is".
struct ModeLeds {
    bool timeMode = false;
    bool pitchMode = false;
    bool down = false;
    bool up = false;
    bool accent = false;
    bool slide = false;
    std::optional<bool> runStop;
};

// stepWord: note + 256 * flags of the edit step. timeEntry: programming mode 1;
// pitchEntry: its pitch-entry (advance) flag.
ModeLeds modeLeds(std::uint16_t stepWord, bool timeEntry, bool pitchEntry, bool running);

// The light show: 14 frames of 13 lights each, one frame per 50 ms after opening.
constexpr int kLightShowFrames = 14;
bool lightShowNoteLed(int frame, int led);
bool lightShowNoteKey(int frame, int key);

}  // namespace vexo

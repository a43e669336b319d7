// Standard MIDI File export of one pattern: the step grid becomes note-on and note-off
// events the way the sequencer plays it (gated steps sound for half a step, slides hold
// the note into the next step, accent becomes velocity), written as a format 0 file with
// one track.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sequencer/Pattern.h"

namespace vexo {

constexpr int kMidiDivisionTicks = 96;            // ticks per quarter note
constexpr int kMidiDivisionClockSyncTicks = 192;  // with "ClockSync" on
constexpr int kHalfStepTicks = 12;                // a step is a sixteenth: 24 ticks
constexpr int kHalfStepTripletTicks = 16;         // three steps per quarter: 32 ticks
constexpr int kAccentedVelocity = 127;

constexpr std::uint8_t kMidiNoteOnType = 9;
constexpr std::uint8_t kMidiNoteOffType = 8;

struct MidiFileEvent {
    std::uint32_t deltaTicks = 0;  // since the previous event
    std::uint8_t type = 0;         // kMidiNoteOnType or kMidiNoteOffType
    std::uint8_t channel = 0;
    std::uint8_t key = 0;
    std::uint8_t velocity = 0;

    bool operator==(const MidiFileEvent&) const = default;
};

// Ticks per quarter note for the "ClockSync" setting.
int midiDivisionTicks(int clockSync);
// Half a step in ticks: 16 for a triplet pattern, else 12.
int halfStepTicks(const Pattern& pattern);
// Velocity of an unaccented note: "AccentVelocity" minus 1, kept within 1..127 so that it
// is a valid data byte and never reads as a note-off.
int unaccentedVelocity(int accentVelocity);

// The note events of the pattern's steps 0..length-1 (at most 64). A note still held by
// a slide at the end of the pattern gets no note-off.
std::vector<MidiFileEvent> patternToMidiEvents(const Pattern& pattern, int accentVelocity);

// Appends value as a MIDI variable-length quantity: seven bits per byte, most significant
// group first, bit 7 set on every byte but the last.
void appendVariableLength(std::string& out, std::uint32_t value);

// The complete file: header chunk, one track with the events (each with its own status
// byte), End of Track, and the track length filled in.
std::string encodeMidiFile(const std::vector<MidiFileEvent>& events, int divisionTicks);

// patternToMidiEvents and encodeMidiFile together, with the two settings that matter.
std::string patternToMidiFile(const Pattern& pattern, int clockSync, int accentVelocity);

}  // namespace vexo

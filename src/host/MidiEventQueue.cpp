#include "host/MidiEventQueue.h"

#include <cstring>
#include <utility>

namespace vexo {

void InputEventQueue::assign(const VstEvents* events) {
    count_ = 0;
    if (events == nullptr || events->numEvents <= 0) {
        return;
    }
    const int available = events->numEvents < kEventQueueCapacity ? events->numEvents : kEventQueueCapacity;
    // The host allocates as many entries as it announces, beyond the two declared.
    VstEvent* const* entries = &events->events[0];
    for (int i = 0; i < available; ++i) {
        const VstEvent* event = entries[i];
        if (event != nullptr) {
            std::memcpy(&events_[static_cast<std::size_t>(count_++)], event, sizeof(VstEvent));
        }
    }
    // Bubble sort: swaps only on a strictly smaller later offset, so it is stable.
    for (int pass = 0; pass + 1 < count_; ++pass) {
        bool swapped = false;
        for (int i = 0; i + 1 < count_ - pass; ++i) {
            auto& a = events_[static_cast<std::size_t>(i)];
            auto& b = events_[static_cast<std::size_t>(i + 1)];
            if (b.deltaFrames < a.deltaFrames) {
                std::swap(a, b);
                swapped = true;
            }
        }
        if (!swapped) {
            break;
        }
    }
}

VstMidiEvent makeMidiEvent(int deltaFrames, int status, int data1, int data2) {
    VstMidiEvent event{};
    event.type = kVstMidiType;
    event.byteSize = sizeof(VstMidiEvent);
    event.deltaFrames = deltaFrames;
    event.midiData[0] = static_cast<char>(status);
    event.midiData[1] = static_cast<char>(data1);
    event.midiData[2] = static_cast<char>(data2);
    return event;
}

OutputEventQueue::OutputEventQueue() {
    for (std::size_t i = 0; i < events_.size(); ++i) {
        list_.events[i] = reinterpret_cast<VstEvent*>(&events_[i]);
    }
}

void OutputEventQueue::push(int deltaFrames, int status, int data1, int data2) {
    if (list_.numEvents >= kEventQueueCapacity) {
        return;
    }
    events_[static_cast<std::size_t>(list_.numEvents++)] = makeMidiEvent(deltaFrames, status, data1, data2);
}

}  // namespace vexo

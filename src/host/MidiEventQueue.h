// Fixed-size MIDI event queues of the block loop: nothing here allocates, so both are
// safe on the audio thread.
#pragma once

#include <array>

#include "host/vst2.h"

namespace vexo {

constexpr int kEventQueueCapacity = 64;

// The host's events for the next block, copied and ordered by frame offset.
class InputEventQueue {
public:
    // Copies the first 64 records of the host's list and sorts them by deltaFrames;
    // events with equal offsets keep the host's order.
    void assign(const VstEvents* events);
    void clear() { count_ = 0; }
    int size() const { return count_; }
    const VstEvent& operator[](int i) const { return events_[static_cast<std::size_t>(i)]; }

private:
    std::array<VstEvent, kEventQueueCapacity> events_{};
    int count_ = 0;
};

// MIDI the plug-in generates during a block, handed to the host as one list.
class OutputEventQueue {
public:
    OutputEventQueue();
    // The list points into this object's own events.
    OutputEventQueue(const OutputEventQueue&) = delete;
    OutputEventQueue& operator=(const OutputEventQueue&) = delete;

    // Appends one event; once 64 are queued further events are dropped.
    void push(int deltaFrames, int status, int data1, int data2);
    void clear() { list_.numEvents = 0; }
    int size() const { return list_.numEvents; }
    bool empty() const { return list_.numEvents == 0; }
    const VstMidiEvent& operator[](int i) const { return events_[static_cast<std::size_t>(i)]; }
    VstEvents* list() { return list_.asVstEvents(); }

private:
    std::array<VstMidiEvent, kEventQueueCapacity> events_{};
    VstEventList<kEventQueueCapacity> list_{};
};

// One MIDI message as the interface's event record.
VstMidiEvent makeMidiEvent(int deltaFrames, int status, int data1, int data2);

}  // namespace vexo

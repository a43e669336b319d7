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
    void push(const VstMidiEvent& event);
    void clear() { list_.numEvents = 0; }
    int size() const { return list_.numEvents; }
    bool empty() const { return list_.numEvents == 0; }
    bool full() const { return list_.numEvents >= kEventQueueCapacity; }

    // Events at or after frame `frames` (the block's length) move to the end of `later`
    // with `frames` subtracted: the same moment, counted from the next block's start.
    // Offsets below 0 become 0, so what stays lies in 0..frames-1.
    void moveLateEvents(int frames, OutputEventQueue& later);
    // Appends every event to `destination`, offsets unchanged, and empties this queue.
    void moveAllTo(OutputEventQueue& destination);
    // Every event at deltaFrames; those that release notes first, otherwise in order.
    void gatherAt(int deltaFrames);
    const VstMidiEvent& operator[](int i) const { return events_[static_cast<std::size_t>(i)]; }
    VstEvents* list() { return list_.asVstEvents(); }

private:
    std::array<VstMidiEvent, kEventQueueCapacity> events_{};
    VstEventList<kEventQueueCapacity> list_{};
};

// Whether a message ends sounding notes: note-off, note-on of velocity 0, all sound off,
// all notes off and the mode messages that imply it (controllers 123..127).
bool releasesNotes(int status, int data1, int data2);

// One MIDI message as the interface's event record.
VstMidiEvent makeMidiEvent(int deltaFrames, int status, int data1, int data2);

}  // namespace vexo

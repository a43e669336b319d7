#include "host/MidiEventQueue.h"

#include <algorithm>
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

bool releasesNotes(int status, int data1, int data2) {
    switch (status & 0xF0) {
        case 0x80:
            return true;
        case 0x90:
            return data2 == 0;
        case 0xB0:
            return data1 == 120 || data1 >= 123;
        default:
            return false;
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
    push(makeMidiEvent(deltaFrames, status, data1, data2));
}

void OutputEventQueue::push(const VstMidiEvent& event) {
    if (full()) {
        return;
    }
    events_[static_cast<std::size_t>(list_.numEvents++)] = event;
}

void OutputEventQueue::moveLateEvents(int frames, OutputEventQueue& later) {
    int kept = 0;
    for (int i = 0; i < list_.numEvents; ++i) {
        VstMidiEvent event = events_[static_cast<std::size_t>(i)];
        event.deltaFrames = std::max(event.deltaFrames, 0);
        if (event.deltaFrames >= frames) {
            event.deltaFrames -= frames;
            later.push(event);
        } else {
            events_[static_cast<std::size_t>(kept++)] = event;
        }
    }
    list_.numEvents = kept;
}

void OutputEventQueue::moveAllTo(OutputEventQueue& destination) {
    for (int i = 0; i < list_.numEvents; ++i) {
        destination.push(events_[static_cast<std::size_t>(i)]);
    }
    clear();
}

void OutputEventQueue::gatherAt(int deltaFrames) {
    const auto begin = events_.begin();
    auto releasesEnd = begin;
    for (auto it = begin; it != begin + list_.numEvents; ++it) {
        it->deltaFrames = deltaFrames;
        const auto status = static_cast<unsigned char>(it->midiData[0]);
        if (releasesNotes(status, it->midiData[1] & 0x7f, it->midiData[2] & 0x7f)) {
            // Moves it in front of the first event that releases nothing: stable, no buffer.
            std::rotate(releasesEnd, it, it + 1);
            ++releasesEnd;
        }
    }
}

}  // namespace vexo

// The MIDI the plug-in sends during one LV2 run call, kept in frame order until it is
// written to the output port: the plug-in may send a message for an earlier frame after a
// later one (a controller echo goes out at its slice's first frame). Nothing allocates.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "lv2/Lv2Ports.h"

namespace vexo::lv2 {

// Length of the MIDI message that starts with status: 1, 2 or 3 bytes.
std::uint32_t midiMessageBytes(std::uint8_t status);

class MidiOutList {
public:
    struct Message {
        std::uint32_t frame;
        std::uint32_t size;
        std::uint8_t bytes[3];
    };

    void clear() { count_ = 0; }
    // Inserted after every message at the same or an earlier frame; dropped (false) when full.
    bool add(std::uint32_t frame, const std::uint8_t (&bytes)[3]);
    std::size_t size() const { return count_; }
    const Message& operator[](std::size_t i) const { return messages_[i]; }

private:
    std::array<Message, kMaxOutputEvents> messages_{};
    std::size_t count_ = 0;
};

}  // namespace vexo::lv2

#include "lv2/MidiOutList.h"

namespace vexo::lv2 {

std::uint32_t midiMessageBytes(std::uint8_t status) {
    switch (status & 0xF0) {
        case 0xC0:  // program change
        case 0xD0:  // channel pressure
            return 2;
        case 0xF0:
            break;
        default:
            return 3;
    }
    switch (status) {
        case 0xF1:  // time code quarter frame
        case 0xF3:  // song select
            return 2;
        case 0xF2:  // song position
            return 3;
        default:
            return 1;
    }
}

bool MidiOutList::add(std::uint32_t frame, const std::uint8_t (&bytes)[3]) {
    if (count_ == messages_.size()) {
        return false;
    }
    std::size_t at = count_;
    while (at > 0 && messages_[at - 1].frame > frame) {
        messages_[at] = messages_[at - 1];
        --at;
    }
    messages_[at] = Message{frame, midiMessageBytes(bytes[0]), {bytes[0], bytes[1], bytes[2]}};
    ++count_;
    return true;
}

}  // namespace vexo::lv2

#include "patterns/MidiFileExport.h"

#include <algorithm>
#include <array>

namespace vexo {
namespace {

constexpr int kMidiKeys = 128;
constexpr std::uint8_t kMidiChannel = 0;
constexpr std::size_t kTrackLengthOffset = 18;  // after "MThd", its six bytes and "MTrk"

void appendBigEndian(std::string& out, std::uint32_t value, int bytes) {
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8) {
        out += static_cast<char>((value >> shift) & 0xff);
    }
}

}  // namespace

int midiDivisionTicks(int clockSync) {
    return clockSync != 0 ? kMidiDivisionClockSyncTicks : kMidiDivisionTicks;
}

int halfStepTicks(const Pattern& pattern) {
    return pattern.isTriplet() ? kHalfStepTripletTicks : kHalfStepTicks;
}

int unaccentedVelocity(int accentVelocity) {
    return std::clamp(accentVelocity - 1, 1, kAccentedVelocity);
}

std::vector<MidiFileEvent> patternToMidiEvents(const Pattern& pattern, int accentVelocity) {
    std::vector<MidiFileEvent> events;
    events.reserve(2 * kMaxSteps);

    // Velocity of every key switched on and not yet off; 0 = not held.
    std::array<std::uint8_t, kMidiKeys> held{};
    const auto halfStep = static_cast<std::uint32_t>(halfStepTicks(pattern));
    std::uint32_t now = 0;
    std::uint32_t lastEvent = 0;
    int previousKey = -1;
    bool previousSlide = false;
    bool carriedAccent = false;

    auto append = [&](std::uint8_t type, int key, int velocity) {
        events.push_back(MidiFileEvent{now - lastEvent, type, kMidiChannel, static_cast<std::uint8_t>(key),
                                       static_cast<std::uint8_t>(velocity)});
        lastEvent = now;
    };

    // The header may hold any 7-bit length (from a host chunk); only 64 steps exist.
    const int steps = std::min(pattern.length(), kMaxSteps);
    for (int i = 0; i < steps; ++i) {
        const Step step = pattern.step(i);
        const bool gate = step.has(StepFlags::Gate);
        const bool slide = step.has(StepFlags::Slide);
        const int key = stepTableIndex(step);

        // An accent lasts through a chain of slides.
        const bool accented = (step.has(StepFlags::Accent) && gate) || (previousSlide && carriedAccent);
        carriedAccent = accented;

        if (!gate) {
            now += 2 * halfStep;
        } else {
            const int velocity = accented ? kAccentedVelocity : unaccentedVelocity(accentVelocity);
            // The same pitch after a slide is still sounding: it simply goes on.
            if (key != previousKey) {
                append(kMidiNoteOnType, key, velocity);
                previousKey = key;
            }
            held[static_cast<std::size_t>(key)] = static_cast<std::uint8_t>(velocity);
            now += halfStep;
            if (!slide) {
                for (int k = 0; k < kMidiKeys; ++k) {
                    const std::uint8_t heldVelocity = held[static_cast<std::size_t>(k)];
                    if (heldVelocity != 0) {
                        append(kMidiNoteOffType, k, heldVelocity);
                        held[static_cast<std::size_t>(k)] = 0;
                        previousKey = -1;
                    }
                }
            }
            now += halfStep;
        }
        previousSlide = slide;
    }
    return events;
}

void appendVariableLength(std::string& out, std::uint32_t value) {
    // At most five groups of seven bits for 32 bits.
    std::array<char, 5> groups{};
    std::size_t count = 0;
    do {
        groups[count++] = static_cast<char>(value & 0x7f);
        value >>= 7;
    } while (value != 0);
    while (count > 1) {
        out += static_cast<char>(groups[--count] | 0x80);
    }
    out += groups[0];
}

std::string encodeMidiFile(const std::vector<MidiFileEvent>& events, int divisionTicks) {
    std::string out;
    out.reserve(kTrackLengthOffset + 4 + events.size() * 5 + 4);
    out += "MThd";
    appendBigEndian(out, 6, 4);  // header length
    appendBigEndian(out, 0, 2);  // format 0
    appendBigEndian(out, 1, 2);  // one track
    appendBigEndian(out, static_cast<std::uint32_t>(divisionTicks), 2);
    out += "MTrk";
    appendBigEndian(out, 0, 4);  // track length, filled in below

    for (const MidiFileEvent& event : events) {
        appendVariableLength(out, event.deltaTicks);
        out += static_cast<char>(((event.type & 0x0f) << 4) | (event.channel & 0x0f));
        out += static_cast<char>(event.key & 0x7f);
        out += static_cast<char>(event.velocity & 0x7f);
    }
    out += std::string("\x00\xff\x2f\x00", 4);  // End of Track

    const auto trackLength = static_cast<std::uint32_t>(out.size() - kTrackLengthOffset - 4);
    for (int i = 0; i < 4; ++i) {
        out[kTrackLengthOffset + static_cast<std::size_t>(i)] = static_cast<char>((trackLength >> (24 - 8 * i)) & 0xff);
    }
    return out;
}

std::string patternToMidiFile(const Pattern& pattern, int clockSync, int accentVelocity) {
    return encodeMidiFile(patternToMidiEvents(pattern, accentVelocity), midiDivisionTicks(clockSync));
}

}  // namespace vexo

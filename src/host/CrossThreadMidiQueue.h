// MIDI that the plug-in produces outside the audio block (knob echo, Run/Stop from the
// editor, MIDI output switched off), held until the audio thread sends it at the start of
// its next block: hosts take audioMasterProcessEvents only during processReplacing.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "host/MidiEventQueue.h"

namespace vexo {

// Bounded, lock-free and allocation-free. Any number of producer threads: setParameter may
// come from the host's user-interface thread and, between blocks, from its audio thread at
// the same time. One consumer: the audio thread.
//
// Every slot is one 64-bit word (sequence number and message), so a message is published,
// replaced or taken with a single compare-and-swap. A producer takes its sequence number
// before it publishes, and the consumer takes only numbers below the counter it read
// first: each producer's messages come out in the order it pushed them.
class CrossThreadMidiQueue {
public:
    static constexpr int kCapacity = 64;

    // Any thread. When every slot is taken, the oldest controller echo makes room; a
    // message that releases notes is never dropped: if no echo is left to drop, an all
    // notes off on its channel goes out with the next drain instead. False when the
    // message itself was dropped (or replaced by that all notes off).
    bool push(int status, int data1, int data2);

    // Audio thread: calls send(status, data1, data2) for every message pushed before the
    // call, oldest first, then once per channel whose release found the queue full.
    template <class Send>
    void drain(Send&& send);

private:
    using Word = std::uint64_t;
    static constexpr Word kFree = 0;
    static constexpr Word kOccupied = Word{1} << 24;  // set in every message word

    static Word pack(std::uint32_t sequence, int status, int data1, int data2);
    static std::uint32_t sequenceOf(Word word) { return static_cast<std::uint32_t>(word >> 32); }
    static int statusOf(Word word) { return static_cast<int>(word & 0xff); }
    static int data1Of(Word word) { return static_cast<int>((word >> 8) & 0xff); }
    static int data2Of(Word word) { return static_cast<int>((word >> 16) & 0xff); }
    static bool isEcho(Word word);
    // Sequence numbers wrap; only their distance counts.
    static bool before(std::uint32_t a, std::uint32_t b) { return static_cast<std::int32_t>(a - b) < 0; }

    // Audio thread: moves every message numbered below the counter, as read on entry, into
    // taken, sorted by number; returns how many.
    int take(std::array<Word, kCapacity>& taken);

    std::array<std::atomic<Word>, kCapacity> slots_{};
    std::atomic<std::uint32_t> nextSequence_{0};
    std::atomic<std::uint32_t> lostReleaseChannels_{0};  // bit n: channel n
};

template <class Send>
void CrossThreadMidiQueue::drain(Send&& send) {
    // Read before the messages are taken: whatever a producer pushed before its release
    // was lost is then taken too, and goes out ahead of the all notes off.
    std::uint32_t lostChannels = lostReleaseChannels_.load(std::memory_order_acquire);
    if (lostChannels != 0) {
        lostChannels = lostReleaseChannels_.exchange(0, std::memory_order_acq_rel);
    }
    std::array<Word, kCapacity> taken;
    const int count = take(taken);
    for (int i = 0; i < count; ++i) {
        const Word word = taken[static_cast<std::size_t>(i)];
        send(statusOf(word), data1Of(word), data2Of(word));
    }
    for (int channel = 0; channel < 16; ++channel) {
        if ((lostChannels >> channel) & 1u) {
            send(0xB0 + channel, 123, 0);
        }
    }
}

}  // namespace vexo

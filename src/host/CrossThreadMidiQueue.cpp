#include "host/CrossThreadMidiQueue.h"

namespace vexo {

CrossThreadMidiQueue::Word CrossThreadMidiQueue::pack(std::uint32_t sequence, int status, int data1, int data2) {
    return (static_cast<Word>(sequence) << 32) | kOccupied | static_cast<Word>(status & 0xff) |
           (static_cast<Word>(data1 & 0xff) << 8) | (static_cast<Word>(data2 & 0xff) << 16);
}

bool CrossThreadMidiQueue::isEcho(Word word) {
    return (statusOf(word) & 0xF0) == 0xB0 && !releasesNotes(statusOf(word), data1Of(word), data2Of(word));
}

bool CrossThreadMidiQueue::push(int status, int data1, int data2) {
    // Release: the consumer that reads a later counter value also sees every message this
    // thread published before taking this number.
    const std::uint32_t sequence = nextSequence_.fetch_add(1, std::memory_order_acq_rel);
    const Word word = pack(sequence, status, data1, data2);
    for (;;) {
        for (std::atomic<Word>& slot : slots_) {
            Word expected = kFree;
            if (slot.load(std::memory_order_relaxed) == kFree &&
                slot.compare_exchange_strong(expected, word, std::memory_order_acq_rel)) {
                return true;
            }
        }
        // Full: the oldest controller echo makes room.
        std::atomic<Word>* oldest = nullptr;
        Word oldestWord = kFree;
        for (std::atomic<Word>& slot : slots_) {
            const Word held = slot.load(std::memory_order_acquire);
            if (held != kFree && isEcho(held) &&
                (oldest == nullptr || before(sequenceOf(held), sequenceOf(oldestWord)))) {
                oldest = &slot;
                oldestWord = held;
            }
        }
        if (oldest == nullptr) {
            // Only releases and notes are waiting. A new echo is itself the oldest echo.
            if (releasesNotes(status, data1, data2)) {
                lostReleaseChannels_.fetch_or(1u << (status & 0x0F), std::memory_order_release);
            }
            return false;
        }
        if (oldest->compare_exchange_strong(oldestWord, word, std::memory_order_acq_rel)) {
            return true;
        }
        // Another producer or the audio thread changed that slot first: look again.
    }
}

int CrossThreadMidiQueue::take(std::array<Word, kCapacity>& taken) {
    const std::uint32_t end = nextSequence_.load(std::memory_order_acquire);
    int count = 0;
    for (std::atomic<Word>& slot : slots_) {
        Word held = slot.load(std::memory_order_acquire);
        // A failed exchange reloads held: a producer may have replaced an echo meanwhile.
        while (held != kFree && before(sequenceOf(held), end)) {
            if (slot.compare_exchange_weak(held, kFree, std::memory_order_acq_rel)) {
                taken[static_cast<std::size_t>(count++)] = held;
                break;
            }
        }
    }
    // Insertion sort: at most 64 entries, and nothing may allocate here.
    for (int i = 1; i < count; ++i) {
        const Word word = taken[static_cast<std::size_t>(i)];
        int j = i;
        while (j > 0 && before(sequenceOf(word), sequenceOf(taken[static_cast<std::size_t>(j - 1)]))) {
            taken[static_cast<std::size_t>(j)] = taken[static_cast<std::size_t>(j - 1)];
            --j;
        }
        taken[static_cast<std::size_t>(j)] = word;
    }
    return count;
}

}  // namespace vexo

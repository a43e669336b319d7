#include "patterns/WavePreview.h"

#include <chrono>
#include <thread>

namespace vexo {
namespace {

// How long the loader sleeps between looks while the audio thread still reads the spare;
// the audio thread holds a buffer for one sample at a time.
constexpr std::chrono::microseconds kSparePollInterval{50};

}  // namespace

void WavePreview::applyTransport(StepClock& clock) {
    if (transport_.load(std::memory_order_relaxed) == kNone) {
        return;
    }
    switch (transport_.exchange(kNone, std::memory_order_acq_rel)) {
        case kStart:
            clock.start();
            break;
        case kStop:
            clock.stop();
            clock.rewind();
            break;
        default:
            break;
    }
}

double WavePreview::nextSample(StepClock& clock) {
    applyTransport(clock);
    if (!wavePlaying_.load(std::memory_order_acquire)) {
        return 0.0;
    }
    if (restart_.load(std::memory_order_relaxed) && restart_.exchange(false, std::memory_order_acq_rel)) {
        position_.store(0, std::memory_order_relaxed);
    }

    // Announce the buffer, then make sure it was not swapped out meanwhile: a buffer that
    // is no longer current may already be refilled by the loader.
    const WaveBuffer* wave = current_.load(std::memory_order_seq_cst);
    inUse_.store(wave, std::memory_order_seq_cst);
    double sample = 0.0;
    if (current_.load(std::memory_order_seq_cst) == wave && !wave->empty()) {
        const std::size_t count = wave->count();
        std::size_t position = position_.load(std::memory_order_relaxed);
        sample = wave->samples[position % count];
        if (++position >= count) {
            position = 0;
            clock.rewind();
        }
        position_.store(position, std::memory_order_relaxed);
    }
    inUse_.store(nullptr, std::memory_order_release);
    return sample;
}

WaveBuffer* WavePreview::spareBuffer() {
    return current_.load(std::memory_order_relaxed) == &buffers_[0] ? &buffers_[1] : &buffers_[0];
}

WaveBuffer& WavePreview::acquireSpare() {
    WaveBuffer* spare = spareBuffer();
    while (inUse_.load(std::memory_order_seq_cst) == spare) {
        std::this_thread::sleep_for(kSparePollInterval);
    }
    return *spare;
}

void WavePreview::swap() {
    // The audio thread may still be reading the old current buffer; the next
    // acquireSpare() waits for it to let go.
    current_.store(spareBuffer(), std::memory_order_seq_cst);
}

void WavePreview::setWavePlaying(bool on) {
    if (on) {
        restart_.store(true, std::memory_order_release);
    }
    wavePlaying_.store(on, std::memory_order_release);
}

bool WavePreview::patternPlaying(const StepClock& clock) const {
    switch (transport_.load(std::memory_order_acquire)) {
        case kStart:
            return true;
        case kStop:
            return false;
        default:
            return clock.playing();
    }
}

}  // namespace vexo

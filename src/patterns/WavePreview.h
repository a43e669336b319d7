// The loaded recording of the pattern-detection dialog and its preview playback, mixed
// into the voice output in time with the sequencer.
//
// Threads. The user-interface thread loads, analyses and swaps waves and asks for
// transport changes; the audio thread plays the current wave. Neither ever locks, and the
// audio thread never allocates or waits:
// - Two WaveBuffers alternate as current and spare. The audio thread reaches the current
//   one through an atomic pointer and, for the one sample it reads, announces the buffer
//   it holds in a second atomic pointer (announce, then check it is still current; if not,
//   that frame plays nothing). A load writes only into the spare, and only once no
//   announcement names it: after a swap the old current buffer becomes the spare, and the
//   next load first waits, on the user-interface thread, until the audio thread has let
//   go of it. So the audio thread never reads a buffer that is being refilled or freed.
// - The play flag is an atomic word; the play position belongs to the audio thread, which
//   restarts it when asked by an atomic request.
// - The step clock is only changed on the audio thread: pattern start and stop requests
//   are an atomic word that the audio thread applies at its next frame, and playing()
//   reports such a request so that the render loop calls nextSample() to apply it.
// The user-interface side is meant for one thread at a time (the plug-in's editor).
#pragma once

#include <atomic>
#include <cstddef>

#include "patterns/WaveFile.h"
#include "sequencer/StepClock.h"

namespace vexo {

class WavePreview {
public:
    WavePreview() = default;
    WavePreview(const WavePreview&) = delete;
    WavePreview& operator=(const WavePreview&) = delete;

    // --- Audio thread
    // True while the preview needs the audio thread this frame: the wave plays or a
    // transport request waits.
    // Inline: the render loop asks once per frame.
    bool playing() const {
        return wavePlaying_.load(std::memory_order_relaxed) || transport_.load(std::memory_order_relaxed) != kNone;
    }
    // Once per frame while playing(): applies a waiting transport request to the clock,
    // then returns the next wave sample (0 when the wave is stopped or empty). When the
    // position reaches the end of the wave it returns to 0 and the clock is rewound, so
    // pattern and recording stay aligned. One file sample per output frame.
    double nextSample(StepClock& clock);

    // --- User-interface thread
    // The wave shown, played and analysed; stays valid until the next swap().
    const WaveBuffer& current() const { return *current_.load(std::memory_order_acquire); }
    // The buffer that a load fills, once the audio thread no longer reads it. Nobody else
    // sees it until swap().
    WaveBuffer& acquireSpare();
    // Makes the spare buffer current; the audio thread plays it from its next frame on.
    void swap();

    bool wavePlaying() const { return wavePlaying_.load(std::memory_order_relaxed); }
    // Starting restarts the wave at its first sample.
    void setWavePlaying(bool on);
    // Frames played since the wave last started or wrapped.
    std::size_t position() const { return position_.load(std::memory_order_relaxed); }

    // Start (as a MIDI start: step 0 at once) or stop (clear the run state, rewind and close
    // the gate) the sequencer from the audio thread's next frame.
    void requestPatternStart() { transport_.store(kStart, std::memory_order_release); }
    void requestPatternStop() { transport_.store(kStop, std::memory_order_release); }
    // The run state the sequencer has or is about to get.
    bool patternPlaying(const StepClock& clock) const;

private:
    enum TransportRequest : int { kNone = 0, kStart = 1, kStop = 2 };

    void applyTransport(StepClock& clock);
    WaveBuffer* spareBuffer();

    WaveBuffer buffers_[2];
    std::atomic<WaveBuffer*> current_{&buffers_[0]};
    std::atomic<const WaveBuffer*> inUse_{nullptr};  // announced by the audio thread
    std::atomic<bool> wavePlaying_{false};
    std::atomic<bool> restart_{false};
    std::atomic<std::size_t> position_{0};
    std::atomic<int> transport_{kNone};

    static_assert(std::atomic<WaveBuffer*>::is_always_lock_free);
    static_assert(std::atomic<std::size_t>::is_always_lock_free);
};

}  // namespace vexo

// Host time as the VST interface reports it (audioMasterGetTime), kept from the latest
// time:Position an LV2 host sent and moved on by the frames rendered since. Audio thread.
#pragma once

#include <cstdint>
#include <optional>

#include "host/vst2.h"

namespace vexo::lv2 {

class HostTransport {
public:
    // The fields of one time:Position; what the host left out stays as it was.
    struct Position {
        std::optional<double> frame;           // timeline position in frames
        std::optional<double> speed;           // 0 stopped, 1 playing
        std::optional<double> bar;             // bars from the start
        std::optional<double> barBeat;         // beats into the bar
        std::optional<double> beatsPerBar;     // time signature numerator
        std::optional<double> beatUnit;        // time signature denominator
        std::optional<double> beatsPerMinute;  // tempo
    };

    void setSampleRate(double rate) { sampleRate_ = rate; }
    void update(const Position& position);
    // frames were rendered since the position.
    void advance(std::uint32_t frames);
    // Null until the host sent a tempo: the plug-in then keeps its own.
    const VstTimeInfo* timeInfo();

private:
    double sampleRate_ = 44100.0;
    bool tempoKnown_ = false;
    bool beatsKnown_ = false;
    bool transportChanged_ = false;
    double frame_ = 0.0;
    double speed_ = 0.0;
    double beats_ = 0.0;  // from the start, in beats of beatUnit_
    double beatsPerBar_ = 4.0;
    double beatUnit_ = 4.0;
    double beatsPerMinute_ = 120.0;
    VstTimeInfo info_{};
};

}  // namespace vexo::lv2

#include "lv2/HostTransport.h"

#include <cmath>

namespace vexo::lv2 {
namespace {

constexpr double kQuarterNoteUnit = 4.0;
constexpr double kSecondsPerMinute = 60.0;

bool usable(const std::optional<double>& value) {
    return value.has_value() && std::isfinite(*value);
}

bool positive(const std::optional<double>& value) {
    return usable(value) && *value > 0.0;
}

}  // namespace

void HostTransport::update(const Position& position) {
    if (usable(position.frame)) {
        frame_ = *position.frame;
    }
    if (usable(position.speed)) {
        transportChanged_ = transportChanged_ || ((*position.speed != 0.0) != (speed_ != 0.0));
        speed_ = *position.speed;
    }
    if (positive(position.beatsPerBar)) {
        beatsPerBar_ = *position.beatsPerBar;
    }
    if (positive(position.beatUnit)) {
        beatUnit_ = *position.beatUnit;
    }
    if (positive(position.beatsPerMinute)) {
        beatsPerMinute_ = *position.beatsPerMinute;
        tempoKnown_ = true;
    }
    if (usable(position.bar) && usable(position.barBeat)) {
        beats_ = *position.bar * beatsPerBar_ + *position.barBeat;
        beatsKnown_ = true;
    }
}

void HostTransport::advance(std::uint32_t frames) {
    const double moved = static_cast<double>(frames) * speed_;
    frame_ += moved;
    beats_ += moved / sampleRate_ * beatsPerMinute_ / kSecondsPerMinute;
}

const VstTimeInfo* HostTransport::timeInfo() {
    if (!tempoKnown_) {
        return nullptr;
    }
    const double quartersPerBeat = kQuarterNoteUnit / beatUnit_;
    info_ = VstTimeInfo{};
    info_.samplePos = frame_;
    info_.sampleRate = sampleRate_;
    info_.tempo = beatsPerMinute_;
    info_.ppqPos = beats_ * quartersPerBeat;
    info_.barStartPos = std::floor(beats_ / beatsPerBar_) * beatsPerBar_ * quartersPerBeat;
    info_.timeSigNumerator = static_cast<VstInt32>(std::lround(beatsPerBar_));
    info_.timeSigDenominator = static_cast<VstInt32>(std::lround(beatUnit_));
    info_.flags = kVstTimeSigValid | kVstTempoValid;
    if (beatsKnown_) {
        info_.flags |= kVstPpqPosValid | kVstBarsValid;
    }
    if (speed_ != 0.0) {
        info_.flags |= kVstTransportPlaying;
    }
    if (transportChanged_) {
        info_.flags |= kVstTransportChanged;
        transportChanged_ = false;
    }
    return &info_;
}

}  // namespace vexo::lv2

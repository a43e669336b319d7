// The audio block loop: events are applied at their frame offsets, the voice renders the
// slices between them, and the MIDI the plug-in generates goes back to the host.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <thread>

#include "host/SynthPlugin.h"

namespace vexo {

void SynthPlugin::setSampleRate(float rate) {
    AudioEffect::setSampleRate(rate);
}

void SynthPlugin::resume() {
    clock_.setPlaying(false);
    note_.noteGate = 0;
    note_.prevSlide = 0;
    keyDown_ = 0;
    voice_.resetEnvelopes();
    releaseCarriedMidi();
    callHost(audioMasterWantMidi, 0, 1);
}

void SynthPlugin::suspend() {
    // Note-offs carried past the last block go out first thing after the next resume.
    releaseCarriedMidi();
}

VstInt32 SynthPlugin::processEvents(VstEvents* events) {
    inputQueue_.assign(events);
    for (int i = 0; i < inputQueue_.size(); ++i) {
        const VstEvent& event = inputQueue_[i];
        const auto status = static_cast<unsigned char>(reinterpret_cast<const VstMidiEvent&>(event).midiData[0]);
        if (event.type == kVstMidiType && (status & 0xF0) == 0xB0) {
            requestEditorRefresh();
        }
    }
    return 1;
}

void SynthPlugin::queueMidi(int deltaFrames, int status, int data1, int data2) {
    if (insideBlock()) {
        outputQueue_.push(deltaFrames, status, data1, data2);
    } else {
        crossThreadMidi_.push(status, data1, data2);
    }
}

bool SynthPlugin::sendMidiNow(int deltaFrames, int status, int data1, int data2) {
    if (settings_.midiOutputChannel < 0) {
        return false;
    }
    // The host's event buffer belongs to its audio thread during processReplacing only.
    if (!insideBlock()) {
        return crossThreadMidi_.push(status, data1, data2);
    }
    if (deltaFrames >= blockFrames_) {
        carried_.push(makeMidiEvent(deltaFrames - blockFrames_, status, data1, data2));
        return true;
    }
    VstMidiEvent event = makeMidiEvent(std::max(deltaFrames, 0), status, data1, data2);
    VstEventList<1> list{};
    list.numEvents = 1;
    list.events[0] = reinterpret_cast<VstEvent*>(&event);
    return sendVstEventsToHost(list.asVstEvents());
}

void SynthPlugin::sendCarriedIfReleased(int frame) {
    // A block without frames has no frame to send them on: the request waits.
    if (frame >= blockFrames_ || !releaseCarried_ || !releaseCarried_.exchange(false) || carried_.empty()) {
        return;
    }
    carried_.gatherAt(frame);
    sendVstEventsToHost(carried_.list());
    carried_.clear();
}

void SynthPlugin::flushOutputQueue(int frame) {
    sendCarriedIfReleased(frame);
    outputQueue_.moveLateEvents(blockFrames_, carried_);
    if (!outputQueue_.empty()) {
        sendVstEventsToHost(outputQueue_.list());
        outputQueue_.clear();
    }
}

void SynthPlugin::sendPendingMidi() {
    outputQueue_.clear();
    if (blockFrames_ == 0) {
        return;  // all of it waits for a block that has a frame to put it on
    }
    sendCarriedIfReleased(0);
    carried_.moveAllTo(outputQueue_);
    crossThreadMidi_.drain([this](int status, int data1, int data2) {
        if (outputQueue_.full()) {
            flushOutputQueue(0);
        }
        outputQueue_.push(0, status, data1, data2);
    });
    flushOutputQueue(0);
}

void SynthPlugin::processReplacing(float** /*inputs*/, float** outputs, VstInt32 frames) {
    if (outputs == nullptr || outputs[0] == nullptr || outputs[1] == nullptr) {
        inputQueue_.clear();
        return;
    }
    frames = std::max(frames, 0);
    processingThread_ = std::this_thread::get_id();
    blockFrames_ = frames;

    const VstTimeInfo* time = getTimeInfo(kVstTempoValid);
    if (settings_.syncMode == 1 && time != nullptr && std::isfinite(time->tempo)) {
        clock_.setTempo(time->tempo, sampleRate);
    }

    float* left = outputs[0];
    float* right = outputs[1];
    sendPendingMidi();
    int done = 0;
    for (int i = 0; i < inputQueue_.size(); ++i) {
        const VstEvent& event = inputQueue_[i];
        clock_.beginSlice(done);
        // An offset outside the block is applied at the nearest frame inside it.
        const int offset = std::clamp(event.deltaFrames, 0, std::max(frames - 1, 0));
        if (offset > done) {
            renderVoice(left + done, right + done, offset - done, true);
            done = offset;
        }
        if (event.type == kVstMidiType) {
            const auto& midi = reinterpret_cast<const VstMidiEvent&>(event);
            const int status = static_cast<unsigned char>(midi.midiData[0]);
            handleMidi(status & 0x0F, status & 0xF0, midi.midiData[1] & 0x7F, midi.midiData[2] & 0x7F);
        }
        flushOutputQueue(done);
    }
    clock_.beginSlice(done);
    if (frames > done) {
        renderVoice(left + done, right + done, frames - done, true);
        flushOutputQueue(frames - 1);
    }
    inputQueue_.clear();
    processingThread_ = std::thread::id();
}

VoiceControls SynthPlugin::voiceControls() const {
    VoiceControls c;
    c.tune = parameters_[kTune];
    c.cutoff = parameters_[kCutoff];
    c.resonance = parameters_[kResonance];
    c.envMod = parameters_[kEnvMod];
    c.decay = parameters_[kDecay];
    c.accent = parameters_[kAccent];
    c.drive = parameters_[kDrive];
    c.distortion = parameters_[kDistortion];
    c.volume = parameters_[kVolume];
    c.waveform = parameters_[kWaveform];
    c.distortionType = parameters_[kDistortionType];
    c.highpassFilter = parameters_[kHighpassFilter];
    return c;
}

VoiceOptions SynthPlugin::voiceOptions() const {
    VoiceOptions o;
    o.filterMode = settings_.filterMode;
    o.vcaLeveling = settings_.vcaLeveling;
    o.vcaNoise = settings_.vcaNoise;
    o.vcoGain = settings_.vcoGain;
    o.tm3 = settings_.tm3;
    o.tm4 = settings_.tm4;
    o.tm6 = settings_.tm6;
    o.smoothSpeed = settings_.smoothSpeed;
    o.vcaDecaySeconds = settings_.vcaDecaySeconds;
    o.activeClocks = settings_.activeClocks;
    o.envmodKnob = settings_.envmodKnob;
    o.outputClipping = settings_.outputClipping;
    return o;
}

int SynthPlugin::renderVoice(float* outL, float* outR, int frames, bool replacing) {
    const float rate = sampleRate;
    if (clock_.tempo > 0.0) {
        clock_.updateSamplesPerStep(rate);
    }
    if (frames <= 0) {
        return 1;
    }
    if (replacing) {
        std::memset(outL, 0, sizeof(float) * static_cast<std::size_t>(frames));
        std::memset(outR, 0, sizeof(float) * static_cast<std::size_t>(frames));
    }
    if (!voice_.beginBlock(rate, voiceControls(), voiceOptions())) {
        return 0;
    }
    renderSlice(outL, outR, frames);
    return 1;
}

// Where the build allows it, copies of the render loop for AVX-512 (x86-64-v4) and AVX2 are
// chosen at load time on processors that have them: the same operations on the same values
// (the build contracts nothing into fused multiply-adds), in fewer instructions and with
// more registers. The default copy runs everywhere else.
#if VEXO_RENDER_CLONES
__attribute__((target_clones("arch=x86-64-v4", "avx2", "default")))
#endif
void SynthPlugin::renderSlice(float* outL, float* outR, int frames) {
    // Per frame: the step clock's tick, the voice, the wave preview's sample, the outputs.
    struct Hooks {
        SynthPlugin& plugin;
        float* outL;
        float* outR;
        bool clocked;

        void tick() {
            if (clocked) {
                plugin.clock_.tick();
            }
        }
        // Stopped, the clock's ticks change nothing the voice reads.
        bool quiet() const { return (!clocked || !plugin.clock_.playing()) && !plugin.wavePreview_.playing(); }
        bool audition(double& extra) {
            if (!plugin.wavePreview_.playing()) {
                return false;
            }
            extra = plugin.wavePreview_.nextSample(plugin.clock_);
            return true;
        }
        void write(int i, double sample) {
            outL[i] += static_cast<float>(sample);
            outR[i] += static_cast<float>(sample);
        }
    };
    Hooks hooks{*this, outL, outR, settings_.midiMode != 2};
    voice_.renderSlice(note_, frames, hooks);
}

}  // namespace vexo

#include "PluginHost.h"

#include <dlfcn.h>

#include <cstring>

namespace vexo {
namespace {

using EntryPoint = AEffect* (*)(audioMasterCallback);

// The host being loaded: the plug-in calls back during its entry point, before the host
// has been able to tag the effect record.
thread_local PluginHost* loadingHost = nullptr;

}  // namespace

PluginHost::~PluginHost() {
    close();
    if (module_ != nullptr) {
        dlclose(module_);
    }
}

bool PluginHost::load(const std::string& pluginPath, std::string& error) {
    std::string path = pluginPath;
    if (path.size() < 3 || path.compare(path.size() - 3, 3, ".so") != 0) {
        path += "/VEXO.so";
    }
    module_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module_ == nullptr) {
        const char* reason = dlerror();
        error = "cannot load " + path + ": " + (reason != nullptr ? reason : "unknown error");
        return false;
    }
    auto entry = reinterpret_cast<EntryPoint>(dlsym(module_, "VSTPluginMain"));
    if (entry == nullptr) {
        entry = reinterpret_cast<EntryPoint>(dlsym(module_, "main"));
    }
    if (entry == nullptr) {
        error = path + " has no VSTPluginMain entry point";
        return false;
    }
    loadingHost = this;
    effect_ = entry(&PluginHost::callback);
    loadingHost = nullptr;
    if (effect_ == nullptr || effect_->magic != kEffectMagic) {
        error = path + ": the entry point returned no plug-in";
        effect_ = nullptr;
        return false;
    }
    effect_->user = this;
    return true;
}

VstIntPtr PluginHost::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    if (effect_ == nullptr) {
        return 0;
    }
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

void PluginHost::open(double sampleRate, int blockSize) {
    sampleRate_ = sampleRate;
    blockSize_ = blockSize;
    dispatch(effOpen);
    dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
    dispatch(effSetBlockSize, 0, blockSize);
}

void PluginHost::setParameter(int index, float value) {
    if (effect_ != nullptr) {
        effect_->setParameter(effect_, index, value);
    }
}

float PluginHost::getParameter(int index) {
    return effect_ != nullptr ? effect_->getParameter(effect_, index) : 0.0f;
}

bool PluginHost::setChunk(const std::vector<std::uint8_t>& chunk, bool preset) {
    std::vector<std::uint8_t> copy = chunk;
    return dispatch(effSetChunk, preset ? 1 : 0, static_cast<VstIntPtr>(copy.size()), copy.data()) ==
           static_cast<VstIntPtr>(copy.size());
}

std::vector<std::uint8_t> PluginHost::getChunk(bool preset) {
    void* data = nullptr;
    const VstIntPtr size = dispatch(effGetChunk, preset ? 1 : 0, 0, &data);
    if (data == nullptr || size <= 0) {
        return {};
    }
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return std::vector<std::uint8_t>(bytes, bytes + size);
}

std::string PluginHost::text(VstInt32 opcode, VstInt32 index) {
    char buffer[256] = {};
    dispatch(opcode, index, 0, buffer);
    buffer[sizeof buffer - 1] = 0;
    return buffer;
}

void PluginHost::sendEvents(const std::vector<Message>& messages) {
    pendingEvents_.clear();
    pendingPointers_.clear();
    for (const Message& m : messages) {
        VstMidiEvent event{};
        event.type = kVstMidiType;
        event.byteSize = sizeof(VstMidiEvent);
        event.deltaFrames = m.deltaFrames;
        event.midiData[0] = static_cast<char>(m.status);
        event.midiData[1] = static_cast<char>(m.data1);
        event.midiData[2] = static_cast<char>(m.data2);
        pendingEvents_.push_back(event);
    }
    for (VstMidiEvent& event : pendingEvents_) {
        pendingPointers_.push_back(reinterpret_cast<VstEvent*>(&event));
    }
    // The list header followed by as many pointers as there are events.
    std::vector<std::uint8_t> storage(sizeof(VstEvents) + sizeof(VstEvent*) * pendingPointers_.size());
    auto* list = reinterpret_cast<VstEvents*>(storage.data());
    list->numEvents = static_cast<VstInt32>(pendingPointers_.size());
    list->reserved = 0;
    if (!pendingPointers_.empty()) {
        std::memcpy(list->events, pendingPointers_.data(), sizeof(VstEvent*) * pendingPointers_.size());
    }
    dispatch(effProcessEvents, 0, 0, list);
}

void PluginHost::process(float* left, float* right, int frames) {
    float* outputs[2] = {left, right};
    inProcess_ = true;
    effect_->processReplacing(effect_, nullptr, outputs, frames);
    inProcess_ = false;
    position_ += frames;
    ++blockIndex_;
}

std::vector<ReceivedMidi> PluginHost::receivedMessages() const {
    std::vector<ReceivedMidi> all;
    for (const ReceivedEventList& list : received_) {
        all.insert(all.end(), list.events.begin(), list.events.end());
    }
    return all;
}

void PluginHost::close() {
    if (effect_ != nullptr) {
        dispatch(effMainsChanged, 0, 0);
        dispatch(effClose);
        effect_ = nullptr;
    }
}

VstIntPtr PluginHost::callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                               float opt) {
    PluginHost* host = effect != nullptr ? static_cast<PluginHost*>(effect->user) : nullptr;
    if (host == nullptr) {
        host = loadingHost;
    }
    if (host == nullptr) {
        return opcode == audioMasterVersion ? 2400 : 0;
    }
    return host->handle(opcode, index, value, ptr, opt);
}

VstIntPtr PluginHost::handle(VstInt32 opcode, VstInt32 /*index*/, VstIntPtr /*value*/, void* ptr, float /*opt*/) {
    switch (opcode) {
        case audioMasterVersion:
            return 2400;
        case audioMasterWantMidi:
            return 1;
        case audioMasterAutomate:
            ++automations_;
            return 0;
        case audioMasterGetTime:
            if (!timeInfoAvailable) {
                return 0;
            }
            timeInfo_ = VstTimeInfo{};
            timeInfo_.samplePos = static_cast<double>(position_);
            timeInfo_.sampleRate = sampleRate_;
            timeInfo_.tempo = tempo;
            timeInfo_.ppqPos = static_cast<double>(position_) / sampleRate_ * tempo / 60.0;
            timeInfo_.timeSigNumerator = 4;
            timeInfo_.timeSigDenominator = 4;
            timeInfo_.flags = kVstTransportPlaying | kVstTempoValid | kVstPpqPosValid | kVstTimeSigValid;
            return reinterpret_cast<VstIntPtr>(&timeInfo_);
        case audioMasterProcessEvents: {
            const auto* events = static_cast<const VstEvents*>(ptr);
            if (events == nullptr) {
                return 0;
            }
            ReceivedEventList list;
            list.block = blockIndex_;
            list.blockFrame = position_;
            list.duringProcess = inProcess_;
            VstEvent* const* entries = &events->events[0];  // as many as announced
            for (int i = 0; i < events->numEvents; ++i) {
                const VstEvent* event = entries[i];
                if (event == nullptr || event->type != kVstMidiType) {
                    continue;
                }
                const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
                ReceivedMidi m;
                m.block = blockIndex_;
                m.blockFrame = position_;
                m.duringProcess = inProcess_;
                m.deltaFrames = midi->deltaFrames;
                for (int b = 0; b < 3; ++b) {
                    m.bytes[b] = static_cast<std::uint8_t>(midi->midiData[b]);
                }
                list.events.push_back(m);
            }
            received_.push_back(std::move(list));
            return 1;
        }
        default:
            return 0;
    }
}

}  // namespace vexo

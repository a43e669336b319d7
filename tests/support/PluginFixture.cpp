#include "PluginFixture.h"

#include <cstring>

namespace vexo::test {

RecordingHost*& currentHost() {
    static RecordingHost* host = nullptr;
    return host;
}

VstIntPtr recordingCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    RecordingHost* host =
        effect != nullptr && effect->user != nullptr ? static_cast<RecordingHost*>(effect->user) : currentHost();
    if (host == nullptr) {
        return opcode == audioMasterVersion ? 2400 : 0;
    }
    return host->handle(opcode, index, value, ptr, opt);
}

VstIntPtr RecordingHost::handle(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    switch (opcode) {
        case audioMasterVersion:
            return versionAnswer;
        case audioMasterWantMidi:
            ++wantMidiCalls;
            return 1;
        case audioMasterAutomate:
            automations.emplace_back(index, opt);
            return 0;
        case audioMasterBeginEdit:
        case audioMasterEndEdit:
            edits.emplace_back(index, opcode == audioMasterBeginEdit);
            return 1;
        case audioMasterGetTime:
            if (!provideTime) {
                return 0;
            }
            time = VstTimeInfo{};
            time.tempo = tempo;
            time.sampleRate = 44100.0;
            time.flags = kVstTempoValid | kVstTransportPlaying;
            return reinterpret_cast<VstIntPtr>(&time);
        case audioMasterProcessEvents: {
            const auto* events = static_cast<const VstEvents*>(ptr);
            listSizes.push_back(events->numEvents);
            VstEvent* const* entries = &events->events[0];  // as many as announced
            for (int i = 0; i < events->numEvents; ++i) {
                const auto* e = reinterpret_cast<const VstMidiEvent*>(entries[i]);
                midi.push_back({e->deltaFrames, static_cast<unsigned char>(e->midiData[0]),
                                static_cast<unsigned char>(e->midiData[1]), static_cast<unsigned char>(e->midiData[2]),
                                inProcess});
            }
            return 1;
        }
        default:
            (void)value;
            return 0;
    }
}

void PluginFixture::sendMidi(const std::vector<std::array<int, 4>>& messages) {
    std::vector<VstMidiEvent> events;
    for (const auto& m : messages) {
        VstMidiEvent e{};
        e.type = kVstMidiType;
        e.byteSize = sizeof e;
        e.deltaFrames = m[0];
        e.midiData[0] = static_cast<char>(m[1]);
        e.midiData[1] = static_cast<char>(m[2]);
        e.midiData[2] = static_cast<char>(m[3]);
        events.push_back(e);
    }
    std::vector<std::uint8_t> storage(sizeof(VstEvents) + sizeof(VstEvent*) * events.size());
    auto* list = reinterpret_cast<VstEvents*>(storage.data());
    list->numEvents = static_cast<VstInt32>(events.size());
    for (std::size_t i = 0; i < events.size(); ++i) {
        VstEvent* pointer = reinterpret_cast<VstEvent*>(&events[i]);
        std::memcpy(reinterpret_cast<char*>(list->events) + i * sizeof(VstEvent*), &pointer, sizeof pointer);
    }
    dispatch(effProcessEvents, 0, 0, list);
}

void PluginFixture::process(int frames) {
    left.assign(static_cast<std::size_t>(frames), 1.0f);
    right.assign(static_cast<std::size_t>(frames), 1.0f);
    float* outputs[2] = {left.data(), right.data()};
    host.inProcess = true;
    plugin->getAeffect()->processReplacing(plugin->getAeffect(), nullptr, outputs, frames);
    host.inProcess = false;
}

void PluginFixture::render(long long frames, int blockSize) {
    std::vector<float> allLeft, allRight;
    for (long long done = 0; done < frames; done += blockSize) {
        process(static_cast<int>(std::min<long long>(blockSize, frames - done)));
        allLeft.insert(allLeft.end(), left.begin(), left.end());
        allRight.insert(allRight.end(), right.begin(), right.end());
    }
    left = std::move(allLeft);
    right = std::move(allRight);
}

}  // namespace vexo::test

// A MIDI event stream with random block sizes, parameter and program changes, settings
// and sample rates, driving processEvents and processReplacing.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "FuzzSupport.h"
#include "host/SynthPlugin.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vexo::fuzz::Bytes in(data, size);
    // Each run starts from the same files: the previous plug-in wrote its map on closing.
    std::remove((vexo::fuzz::scratchFolder() + "MidiCC.ini").c_str());
    auto owned = std::make_unique<vexo::SynthPlugin>(&vexo::fuzz::hostCallback, vexo::fuzz::scratchFolder());
    vexo::SynthPlugin& plugin = *owned;
    const float rates[] = {44100.0f, 48000.0f, 88200.0f, 96000.0f, 192000.0f, 22050.0f, 0.0f, -1.0f};
    plugin.setSampleRate(rates[in.byte() % 8]);
    plugin.settings().midiMode = in.byte() % 3;
    plugin.settings().midiKeyProgramming = in.byte() & 1;
    plugin.settings().programmingMode = in.byte() & 1;
    plugin.settings().midiOutput = in.byte() & 1;
    plugin.settings().midiOutputChannel = static_cast<int>(in.byte() % 17) - 1;
    plugin.settings().filterMode = in.byte() % 3;
    plugin.settings().syncMode = in.byte() & 1;
    plugin.settings().clockSync = in.byte() & 1;
    plugin.resume();

    std::vector<float> left(4096), right(4096);
    float* outputs[2] = {left.data(), right.data()};
    std::vector<VstMidiEvent> events(80);
    std::vector<std::uint8_t> storage(sizeof(VstEvents) + sizeof(VstEvent*) * events.size());
    auto* list = reinterpret_cast<VstEvents*>(storage.data());

    for (int block = 0; block < 64 && !in.empty(); ++block) {
        const int frames = static_cast<int>(in.word() % 4097);
        const int count = in.byte() % 80;
        for (int i = 0; i < count; ++i) {
            VstMidiEvent& e = events[static_cast<std::size_t>(i)];
            e = VstMidiEvent{};
            e.type = in.byte() % 4 == 0 ? 6 : kVstMidiType;
            e.byteSize = sizeof e;
            e.deltaFrames = static_cast<int>(in.word()) % 5000 - 200;
            e.midiData[0] = static_cast<char>(in.byte());
            e.midiData[1] = static_cast<char>(in.byte());
            e.midiData[2] = static_cast<char>(in.byte());
            VstEvent* pointer = reinterpret_cast<VstEvent*>(&e);
            std::memcpy(reinterpret_cast<char*>(list->events) + static_cast<std::size_t>(i) * sizeof pointer, &pointer,
                        sizeof pointer);
        }
        list->numEvents = count;
        plugin.processEvents(list);
        switch (in.byte() % 8) {
            case 0:
                plugin.setParameter(in.byte() % 15, in.unitFloat() * 1.2f - 0.1f);
                break;
            case 1:
                plugin.setProgram(static_cast<int>(in.byte()) - 20);
                break;
            case 2:
                plugin.programmingFunction(in.byte() % 30);
                break;
            case 3:
                plugin.setSampleRate(rates[in.byte() % 8]);
                break;
            default:
                break;
        }
        plugin.processReplacing(nullptr, outputs, frames);
        for (int i = 0; i < frames; ++i) {
            if (!std::isfinite(left[static_cast<std::size_t>(i)])) {
                __builtin_trap();  // the voice never outputs NaN or infinity
            }
        }
    }
    return 0;
}

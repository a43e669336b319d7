// The LV2 plug-in: the same plug-in object as the VST module (EditorPlugin), driven through
// its VST interface. The host callback it is built with answers from the LV2 side: host
// time from the latest time:Position, MIDI out into the atom output port, parameter edits
// of the editor towards the UI, which passes them on to the host.
#pragma once

#include <lv2/atom/atom.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <array>
#include <atomic>
#include <memory>
#include <string>

#include "host/MidiEventQueue.h"
#include "host/Shared.h"
#include "lv2/ControlPorts.h"
#include "lv2/HostTransport.h"
#include "lv2/Lv2Ports.h"
#include "lv2/MidiOutList.h"

namespace vexo {
class EditorPlugin;
}

namespace vexo::lv2 {

// Parameter edits made in the editor, waiting for the UI to hand them to the host: recorded
// on whichever thread runs the editor, taken on the host's user-interface thread.
class ParameterEdits {
public:
    void begin(int index) { mark(begun_, index); }
    void set(int index, float value);
    void end(int index) { mark(ended_, index); }

    // Per parameter with news, in parameter order: visit(index, began, changed, value, ended).
    template <class Visit>
    void take(Visit&& visit) {
        const std::uint32_t begun = begun_.exchange(0);
        const std::uint32_t changed = changed_.exchange(0);
        const std::uint32_t ended = ended_.exchange(0);
        for (int i = 0; i < kNumParameters; ++i) {
            const std::uint32_t bit = 1u << i;
            if (((begun | changed | ended) & bit) != 0) {
                visit(i, (begun & bit) != 0, (changed & bit) != 0, values_[static_cast<std::size_t>(i)].load(),
                      (ended & bit) != 0);
            }
        }
    }

private:
    static void mark(std::atomic<std::uint32_t>& bits, int index);

    std::array<Shared<float>, kNumParameters> values_{};
    std::atomic<std::uint32_t> begun_{0};
    std::atomic<std::uint32_t> changed_{0};
    std::atomic<std::uint32_t> ended_{0};
};

class Lv2Plugin {
public:
    // Host thread that instantiates; bundlePath is the folder of the bundle's data files.
    Lv2Plugin(double sampleRate, const std::string& bundlePath, const LV2_URID_Map& map);
    ~Lv2Plugin();
    Lv2Plugin(const Lv2Plugin&) = delete;
    Lv2Plugin& operator=(const Lv2Plugin&) = delete;

    // Audio thread (or any, while not running).
    void connectPort(std::uint32_t port, void* data);
    // Host's instantiation thread: the plug-in's resume and suspend.
    void activate();
    void deactivate();
    // Audio thread.
    void run(std::uint32_t frames);

    // State: save may run at the same time as run, restore may not.
    LV2_State_Status save(LV2_State_Store_Function store, LV2_State_Handle handle);
    LV2_State_Status restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);

    EditorPlugin& plugin() { return *plugin_; }
    ParameterEdits& edits() { return edits_; }
    // User-interface thread: one UI at a time may show the editor.
    bool claimUi() { return !uiClaimed_.exchange(true); }
    void releaseUi() { uiClaimed_ = false; }

private:
    struct Uris {
        LV2_URID atomChunk, atomSequence, atomObject, atomBlank, atomInt, atomLong, atomFloat, atomDouble;
        LV2_URID midiEvent, timePosition, timeFrame, timeSpeed, timeBar, timeBarBeat, timeBeatUnit, timeBeatsPerBar,
            timeBeatsPerMinute, stateChunk;
    };

    // The plug-in's callback: every call lands on the object in effect->user.
    static VstIntPtr hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                  float opt);
    VstIntPtr answerPlugin(VstInt32 opcode, VstInt32 index, void* ptr, float opt);

    void readPosition(const LV2_Atom_Object& position);
    bool addMidi(const LV2_Atom& body, std::uint32_t frame);
    // Renders frames start..end-1 of the run with the MIDI collected for them.
    void processSlice(std::uint32_t start, std::uint32_t end);
    void writeMidiOut();

    Uris uris_{};
    std::unique_ptr<EditorPlugin> plugin_;

    const LV2_Atom_Sequence* eventsIn_ = nullptr;
    LV2_Atom_Sequence* midiOut_ = nullptr;
    float* left_ = nullptr;
    float* right_ = nullptr;
    ControlPorts controls_;

    // The MIDI of the slice being collected, as the VST interface hands it over.
    std::array<VstMidiEvent, kEventQueueCapacity> midiIn_{};
    VstEventList<kEventQueueCapacity> midiInList_{};
    std::uint32_t sliceStart_ = 0;
    std::uint32_t runFrames_ = 0;

    HostTransport transport_;
    MidiOutList midiOutList_;
    ParameterEdits edits_;
    std::atomic<bool> uiClaimed_{false};
};

}  // namespace vexo::lv2

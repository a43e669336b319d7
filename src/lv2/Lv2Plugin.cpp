#include "lv2/Lv2Plugin.h"

#include <lv2/atom/util.h>
#include <lv2/midi/midi.h>
#include <lv2/time/time.h>

#include <algorithm>
#include <cstring>

#include "editor/EditorPlugin.h"

namespace vexo::lv2 {
namespace {

// A number of any of the atom types hosts use for time:Position fields.
struct NumberTypes {
    LV2_URID intType, longType, floatType, doubleType;
};

std::optional<double> numberOf(const LV2_Atom* atom, const NumberTypes& types) {
    if (atom == nullptr) {
        return std::nullopt;
    }
    if (atom->type == types.floatType && atom->size >= sizeof(float)) {
        return reinterpret_cast<const LV2_Atom_Float*>(atom)->body;
    }
    if (atom->type == types.doubleType && atom->size >= sizeof(double)) {
        return reinterpret_cast<const LV2_Atom_Double*>(atom)->body;
    }
    if (atom->type == types.intType && atom->size >= sizeof(std::int32_t)) {
        return reinterpret_cast<const LV2_Atom_Int*>(atom)->body;
    }
    if (atom->type == types.longType && atom->size >= sizeof(std::int64_t)) {
        return static_cast<double>(reinterpret_cast<const LV2_Atom_Long*>(atom)->body);
    }
    return std::nullopt;
}

}  // namespace

void ParameterEdits::mark(std::atomic<std::uint32_t>& bits, int index) {
    if (index >= 0 && index < kNumParameters) {
        bits.fetch_or(1u << index);
    }
}

void ParameterEdits::set(int index, float value) {
    if (index >= 0 && index < kNumParameters) {
        values_[static_cast<std::size_t>(index)] = value;
        mark(changed_, index);
    }
}

Lv2Plugin::Lv2Plugin(double sampleRate, const std::string& bundlePath, const LV2_URID_Map& map) {
    auto urid = [&map](const char* uri) { return map.map(map.handle, uri); };
    uris_ = Uris{urid(LV2_ATOM__Chunk),
                 urid(LV2_ATOM__Sequence),
                 urid(LV2_ATOM__Object),
                 urid(LV2_ATOM__Blank),
                 urid(LV2_ATOM__Int),
                 urid(LV2_ATOM__Long),
                 urid(LV2_ATOM__Float),
                 urid(LV2_ATOM__Double),
                 urid(LV2_MIDI__MidiEvent),
                 urid(LV2_TIME__Position),
                 urid(LV2_TIME__frame),
                 urid(LV2_TIME__speed),
                 urid(LV2_TIME__bar),
                 urid(LV2_TIME__barBeat),
                 urid(LV2_TIME__beatUnit),
                 urid(LV2_TIME__beatsPerBar),
                 urid(LV2_TIME__beatsPerMinute),
                 urid(kStateChunkUri)};
    plugin_ = std::make_unique<EditorPlugin>(&Lv2Plugin::hostCallback, bundlePath);
    plugin_->getAeffect()->user = this;
    plugin_->setSampleRate(static_cast<float>(sampleRate));
    transport_.setSampleRate(sampleRate);
    midiInList_.numEvents = 0;
    for (std::size_t i = 0; i < midiIn_.size(); ++i) {
        midiInList_.events[i] = reinterpret_cast<VstEvent*>(&midiIn_[i]);
    }
}

Lv2Plugin::~Lv2Plugin() = default;

void Lv2Plugin::connectPort(std::uint32_t port, void* data) {
    switch (port) {
        case kEventsInPort:
            eventsIn_ = static_cast<const LV2_Atom_Sequence*>(data);
            break;
        case kMidiOutPort:
            midiOut_ = static_cast<LV2_Atom_Sequence*>(data);
            break;
        case kLeftOutPort:
            left_ = static_cast<float*>(data);
            break;
        case kRightOutPort:
            right_ = static_cast<float*>(data);
            break;
        default:
            if (port >= kFirstParameterPort && port < kPortCount) {
                controls_.connect(static_cast<int>(port - kFirstParameterPort), static_cast<const float*>(data));
            }
            break;
    }
}

void Lv2Plugin::activate() {
    plugin_->resume();
}

void Lv2Plugin::deactivate() {
    plugin_->suspend();
}

VstIntPtr Lv2Plugin::hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr /*value*/, void* ptr,
                                  float opt) {
    auto* self = effect != nullptr ? static_cast<Lv2Plugin*>(effect->user) : nullptr;
    if (self == nullptr) {
        // Still inside the plug-in's constructor.
        return opcode == audioMasterVersion ? 2400 : 0;
    }
    return self->answerPlugin(opcode, index, ptr, opt);
}

VstIntPtr Lv2Plugin::answerPlugin(VstInt32 opcode, VstInt32 index, void* ptr, float opt) {
    switch (opcode) {
        case audioMasterVersion:
            return 2400;
        case audioMasterWantMidi:
            return 1;
        case audioMasterGetTime:
            // Const for the plug-in in practice; the interface's type has none.
            return reinterpret_cast<VstIntPtr>(const_cast<VstTimeInfo*>(transport_.timeInfo()));
        case audioMasterProcessEvents: {
            // Only ever called inside processReplacing, on the audio thread.
            const auto* events = static_cast<const VstEvents*>(ptr);
            if (events == nullptr) {
                return 0;
            }
            VstEvent* const* entries = &events->events[0];  // as many as announced
            const std::uint32_t lastFrame = runFrames_ > 0 ? runFrames_ - 1 : 0;
            for (VstInt32 i = 0; i < events->numEvents; ++i) {
                const VstEvent* event = entries[i];
                if (event == nullptr || event->type != kVstMidiType) {
                    continue;
                }
                const auto& midi = *reinterpret_cast<const VstMidiEvent*>(event);
                const std::uint32_t frame =
                    std::min(sliceStart_ + static_cast<std::uint32_t>(std::max(midi.deltaFrames, 0)), lastFrame);
                const std::uint8_t bytes[3] = {static_cast<std::uint8_t>(midi.midiData[0]),
                                               static_cast<std::uint8_t>(midi.midiData[1]),
                                               static_cast<std::uint8_t>(midi.midiData[2])};
                midiOutList_.add(frame, bytes);
            }
            return 1;
        }
        case audioMasterAutomate:
            edits_.set(index, opt);
            return 0;
        case audioMasterBeginEdit:
            edits_.begin(index);
            return 1;
        case audioMasterEndEdit:
            edits_.end(index);
            return 1;
        default:
            return 0;
    }
}

void Lv2Plugin::readPosition(const LV2_Atom_Object& position) {
    const LV2_Atom* frame = nullptr;
    const LV2_Atom* speed = nullptr;
    const LV2_Atom* bar = nullptr;
    const LV2_Atom* barBeat = nullptr;
    const LV2_Atom* beatUnit = nullptr;
    const LV2_Atom* beatsPerBar = nullptr;
    const LV2_Atom* beatsPerMinute = nullptr;
    lv2_atom_object_get(&position, uris_.timeFrame, &frame, uris_.timeSpeed, &speed, uris_.timeBar, &bar,
                        uris_.timeBarBeat, &barBeat, uris_.timeBeatUnit, &beatUnit, uris_.timeBeatsPerBar, &beatsPerBar,
                        uris_.timeBeatsPerMinute, &beatsPerMinute, 0);
    const NumberTypes types{uris_.atomInt, uris_.atomLong, uris_.atomFloat, uris_.atomDouble};
    transport_.update({numberOf(frame, types), numberOf(speed, types), numberOf(bar, types), numberOf(barBeat, types),
                       numberOf(beatsPerBar, types), numberOf(beatUnit, types), numberOf(beatsPerMinute, types)});
}

bool Lv2Plugin::addMidi(const LV2_Atom& body, std::uint32_t frame) {
    const auto* bytes = static_cast<const std::uint8_t*>(LV2_ATOM_BODY_CONST(&body));
    // The VST interface carries short messages only; system exclusive stays out, as there.
    if (body.size == 0 || body.size > 3 || (bytes[0] & 0x80) == 0 || bytes[0] == 0xF0 ||
        body.size < midiMessageBytes(bytes[0])) {
        return false;
    }
    VstMidiEvent& event = midiIn_[static_cast<std::size_t>(midiInList_.numEvents)];
    event = VstMidiEvent{};
    event.type = kVstMidiType;
    event.byteSize = sizeof(VstMidiEvent);
    event.deltaFrames = static_cast<VstInt32>(frame - sliceStart_);
    for (std::uint32_t b = 0; b < body.size; ++b) {
        event.midiData[b] = static_cast<char>(bytes[b]);
    }
    ++midiInList_.numEvents;
    return true;
}

void Lv2Plugin::processSlice(std::uint32_t start, std::uint32_t end) {
    if (midiInList_.numEvents > 0) {
        plugin_->processEvents(midiInList_.asVstEvents());
        midiInList_.numEvents = 0;
    }
    float* outputs[2] = {left_ + start, right_ + start};
    plugin_->processReplacing(nullptr, outputs, static_cast<VstInt32>(end - start));
    transport_.advance(end - start);
}

void Lv2Plugin::run(std::uint32_t frames) {
    runFrames_ = frames;
    midiOutList_.clear();
    if (left_ == nullptr || right_ == nullptr) {
        writeMidiOut();
        return;
    }
    controls_.takeUnlessClaimed(*plugin_);

    // Slices end where a time:Position takes effect and where the 64 events the block loop
    // takes at once are used up; the events in between keep their frames within the slice.
    sliceStart_ = 0;
    midiInList_.numEvents = 0;
    if (eventsIn_ != nullptr) {
        LV2_ATOM_SEQUENCE_FOREACH(eventsIn_, event) {
            const auto frame = static_cast<std::uint32_t>(
                std::clamp<std::int64_t>(event->time.frames, sliceStart_, frames > 0 ? frames - 1 : 0));
            if (event->body.type == uris_.midiEvent) {
                if (midiInList_.numEvents == kEventQueueCapacity) {
                    processSlice(sliceStart_, frame);
                    sliceStart_ = frame;
                }
                addMidi(event->body, frame);
            } else if (event->body.type == uris_.atomObject || event->body.type == uris_.atomBlank) {
                const auto& object = reinterpret_cast<const LV2_Atom_Object&>(event->body);
                if (object.body.otype == uris_.timePosition) {
                    if (frame > sliceStart_) {
                        processSlice(sliceStart_, frame);
                        sliceStart_ = frame;
                    }
                    readPosition(object);
                }
            }
        }
    }
    processSlice(sliceStart_, frames);
    writeMidiOut();
}

void Lv2Plugin::writeMidiOut() {
    if (midiOut_ == nullptr) {
        return;
    }
    // The host put the room it offers into the atom's size.
    const std::uint32_t capacity = midiOut_->atom.size;
    midiOut_->atom.type = uris_.atomSequence;
    midiOut_->body.unit = 0;
    midiOut_->body.pad = 0;
    lv2_atom_sequence_clear(midiOut_);
    for (std::size_t i = 0; i < midiOutList_.size(); ++i) {
        const MidiOutList::Message& message = midiOutList_[i];
        struct {
            LV2_Atom_Event header;
            std::uint8_t bytes[3];
        } event{};
        event.header.time.frames = message.frame;
        event.header.body.type = uris_.midiEvent;
        event.header.body.size = message.size;
        std::memcpy(event.bytes, message.bytes, sizeof event.bytes);
        if (lv2_atom_sequence_append_event(midiOut_, capacity, &event.header) == nullptr) {
            break;
        }
    }
}

LV2_State_Status Lv2Plugin::save(LV2_State_Store_Function store, LV2_State_Handle handle) {
    // A port moved since the last run belongs in the state: the host saves it as shown.
    controls_.take(*plugin_);
    void* data = nullptr;
    const VstInt32 size = plugin_->getChunk(&data, false);
    if (data == nullptr || size <= 0) {
        return LV2_STATE_ERR_UNKNOWN;
    }
    return store(handle, uris_.stateChunk, data, static_cast<std::size_t>(size), uris_.atomChunk,
                 LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

LV2_State_Status Lv2Plugin::restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle) {
    std::size_t size = 0;
    std::uint32_t type = 0;
    std::uint32_t flags = 0;
    const void* data = retrieve(handle, uris_.stateChunk, &size, &type, &flags);
    if (data == nullptr) {
        return LV2_STATE_ERR_NO_PROPERTY;
    }
    if (type != uris_.atomChunk) {
        return LV2_STATE_ERR_BAD_TYPE;
    }
    ChunkContents check;
    const ChunkReadResult result = readStateChunk(data, size, check);
    if (result != ChunkReadResult::Read && result != ChunkReadResult::ReadSwapped) {
        return LV2_STATE_ERR_UNKNOWN;
    }
    // The interface's pointer is not const; the plug-in only reads through it.
    plugin_->setChunk(const_cast<void*>(data), static_cast<VstInt32>(size), false);
    // The state wins over the ports' values where they differ: changes made inside the
    // plug-in (MIDI controllers, programs, preset files) never reach the host's ports, so
    // the values a host restores into them may be stale, while the state is complete. A
    // port the host moves afterwards counts again.
    controls_.adoptOnNextTake();
    return LV2_STATE_SUCCESS;
}

}  // namespace vexo::lv2

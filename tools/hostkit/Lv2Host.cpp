#include "Lv2Host.h"

#include <lilv/lilv.h>
#include <lv2/atom/forge.h>
#include <lv2/atom/util.h>
#include <lv2/midi/midi.h>
#include <lv2/state/state.h>
#include <lv2/time/time.h>
#include <lv2/urid/urid.h>

#include <algorithm>
#include <cstring>
#include <deque>

namespace vexo {
namespace {

// Room for the events of one block, in each direction: far more than any test sends.
constexpr std::size_t kAtomBufferBytes = 64 * 1024;

struct PendingEvent {
    int frame;
    bool position;
    std::uint8_t midi[3];
    double beatsPerMinute, speed, bar, barBeat;
};

std::string nodeText(const LilvNode* node) {
    return node != nullptr ? lilv_node_as_string(node) : "";
}

// Takes ownership of node.
std::string takeNodeText(LilvNode* node) {
    std::string text = nodeText(node);
    lilv_node_free(node);
    return text;
}

std::vector<std::string> takeNodeTexts(LilvNodes* nodes) {
    std::vector<std::string> texts;
    LILV_FOREACH(nodes, i, nodes) {
        texts.push_back(nodeText(lilv_nodes_get(nodes, i)));
    }
    lilv_nodes_free(nodes);
    return texts;
}

}  // namespace

struct Lv2Host::Impl {
    LilvWorld* world = lilv_world_new();
    const LilvPlugin* plugin = nullptr;
    LilvInstance* instance = nullptr;

    std::deque<std::string> uris;  // URID n is uris[n - 1]; a deque keeps their texts in place
    LV2_URID_Map map{this, &Impl::mapUri};
    LV2_URID_Unmap unmap{this, &Impl::unmapUri};
    LV2_Feature mapFeature{LV2_URID__map, &map};
    LV2_Feature unmapFeature{LV2_URID__unmap, &unmap};
    const LV2_Feature* features[3] = {&mapFeature, &unmapFeature, nullptr};

    std::vector<float> controls;
    std::vector<std::uint64_t> eventsIn = std::vector<std::uint64_t>(kAtomBufferBytes / 8);
    std::vector<std::uint64_t> eventsOut = std::vector<std::uint64_t>(kAtomBufferBytes / 8);
    std::vector<std::uint32_t> audioOuts;
    std::uint32_t eventsInPort = UINT32_MAX, eventsOutPort = UINT32_MAX;
    std::vector<PendingEvent> pending;
    LV2_Atom_Forge forge{};
    long long position = 0;
    int block = 0;

    std::vector<Lv2StateProperty> saving;
    const std::vector<Lv2StateProperty>* restoring = nullptr;

    ~Impl() {
        if (instance != nullptr) {
            lilv_instance_free(instance);
        }
        lilv_world_free(world);
    }

    std::uint32_t urid(const char* uri) {
        for (std::size_t i = 0; i < uris.size(); ++i) {
            if (uris[i] == uri) {
                return static_cast<std::uint32_t>(i + 1);
            }
        }
        uris.emplace_back(uri);
        return static_cast<std::uint32_t>(uris.size());
    }
    static LV2_URID mapUri(LV2_URID_Map_Handle handle, const char* uri) {
        return static_cast<Impl*>(handle)->urid(uri);
    }
    static const char* unmapUri(LV2_URID_Unmap_Handle handle, LV2_URID id) {
        const auto& all = static_cast<Impl*>(handle)->uris;
        return id >= 1 && id <= all.size() ? all[id - 1].c_str() : nullptr;
    }

    static LV2_State_Status store(LV2_State_Handle handle, std::uint32_t key, const void* value, std::size_t size,
                                  std::uint32_t type, std::uint32_t /*flags*/) {
        auto* self = static_cast<Impl*>(handle);
        const auto* bytes = static_cast<const std::uint8_t*>(value);
        self->saving.push_back({unmapUri(self, key), unmapUri(self, type), {bytes, bytes + size}});
        return LV2_STATE_SUCCESS;
    }
    static const void* retrieve(LV2_State_Handle handle, std::uint32_t key, std::size_t* size, std::uint32_t* type,
                                std::uint32_t* flags) {
        auto* self = static_cast<Impl*>(handle);
        for (const Lv2StateProperty& property : *self->restoring) {
            if (property.key == unmapUri(self, key)) {
                *size = property.value.size();
                *type = self->urid(property.type.c_str());
                *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
                return property.value.data();
            }
        }
        return nullptr;
    }
    const LV2_State_Interface* stateInterface() const {
        return instance == nullptr ? nullptr
                                   : static_cast<const LV2_State_Interface*>(
                                         lilv_instance_get_extension_data(instance, LV2_STATE__interface));
    }

    void writeEvents(int frames) {
        std::stable_sort(pending.begin(), pending.end(),
                         [](const PendingEvent& a, const PendingEvent& b) { return a.frame < b.frame; });
        lv2_atom_forge_set_buffer(&forge, reinterpret_cast<std::uint8_t*>(eventsIn.data()), kAtomBufferBytes);
        LV2_Atom_Forge_Frame sequence;
        lv2_atom_forge_sequence_head(&forge, &sequence, 0);
        for (const PendingEvent& event : pending) {
            lv2_atom_forge_frame_time(&forge, std::clamp(event.frame, 0, std::max(frames - 1, 0)));
            if (!event.position) {
                lv2_atom_forge_atom(&forge, 3, urid(LV2_MIDI__MidiEvent));
                lv2_atom_forge_write(&forge, event.midi, 3);
                continue;
            }
            LV2_Atom_Forge_Frame object;
            lv2_atom_forge_object(&forge, &object, 0, urid(LV2_TIME__Position));
            lv2_atom_forge_key(&forge, urid(LV2_TIME__beatsPerMinute));
            lv2_atom_forge_float(&forge, static_cast<float>(event.beatsPerMinute));
            lv2_atom_forge_key(&forge, urid(LV2_TIME__speed));
            lv2_atom_forge_float(&forge, static_cast<float>(event.speed));
            lv2_atom_forge_key(&forge, urid(LV2_TIME__bar));
            lv2_atom_forge_long(&forge, static_cast<std::int64_t>(event.bar));
            lv2_atom_forge_key(&forge, urid(LV2_TIME__barBeat));
            lv2_atom_forge_float(&forge, static_cast<float>(event.barBeat));
            lv2_atom_forge_key(&forge, urid(LV2_TIME__beatsPerBar));
            lv2_atom_forge_float(&forge, 4.0f);
            lv2_atom_forge_key(&forge, urid(LV2_TIME__beatUnit));
            lv2_atom_forge_int(&forge, 4);
            lv2_atom_forge_pop(&forge, &object);
        }
        lv2_atom_forge_pop(&forge, &sequence);
        pending.clear();
    }
};

Lv2Host::Lv2Host() : impl_(std::make_unique<Impl>()) {
    lv2_atom_forge_init(&impl_->forge, &impl_->map);
}

Lv2Host::~Lv2Host() = default;

std::uint32_t Lv2Host::urid(const std::string& uri) {
    return impl_->urid(uri.c_str());
}

bool Lv2Host::load(const std::string& bundleDir, const std::string& pluginUri, std::string& error) {
    Impl& d = *impl_;
    std::string dir = bundleDir;
    if (dir.empty() || dir.back() != '/') {
        dir += '/';
    }
    LilvNode* bundle = lilv_new_file_uri(d.world, nullptr, dir.c_str());
    lilv_world_load_bundle(d.world, bundle);
    lilv_node_free(bundle);
    LilvNode* uri = lilv_new_uri(d.world, pluginUri.c_str());
    d.plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(d.world), uri);
    lilv_node_free(uri);
    if (d.plugin == nullptr) {
        error = "no LV2 plug-in " + pluginUri + " in " + bundleDir;
        return false;
    }

    Lv2Description& out = description_;
    out.uri = pluginUri;
    out.name = takeNodeText(lilv_plugin_get_name(d.plugin));
    char* binary = lilv_file_uri_parse(nodeText(lilv_plugin_get_library_uri(d.plugin)).c_str(), nullptr);
    out.binary = binary != nullptr ? binary : "";
    lilv_free(binary);
    out.requiredFeatures = takeNodeTexts(lilv_plugin_get_required_features(d.plugin));
    out.extensionData = takeNodeTexts(lilv_plugin_get_extension_data(d.plugin));
    LilvUIs* uis = lilv_plugin_get_uis(d.plugin);
    LILV_FOREACH(uis, i, uis) {
        const LilvUI* ui = lilv_uis_get(uis, i);
        const LilvNodes* classes = lilv_ui_get_classes(ui);
        const std::string kind = lilv_nodes_size(classes) > 0 ? nodeText(lilv_nodes_get_first(classes)) : "";
        out.uis.push_back(nodeText(lilv_ui_get_uri(ui)) + " (" + kind + ")");
    }
    lilv_uis_free(uis);

    LilvNode* inputClass = lilv_new_uri(d.world, LILV_URI_INPUT_PORT);
    LilvNode* audioClass = lilv_new_uri(d.world, LILV_URI_AUDIO_PORT);
    LilvNode* controlClass = lilv_new_uri(d.world, LILV_URI_CONTROL_PORT);
    LilvNode* atomClass = lilv_new_uri(d.world, LV2_ATOM__AtomPort);
    const std::uint32_t count = lilv_plugin_get_num_ports(d.plugin);
    d.controls.assign(count, 0.0f);
    for (std::uint32_t i = 0; i < count; ++i) {
        const LilvPort* port = lilv_plugin_get_port_by_index(d.plugin, i);
        Lv2PortInfo info;
        info.index = i;
        info.symbol = nodeText(lilv_port_get_symbol(d.plugin, port));
        info.name = takeNodeText(lilv_port_get_name(d.plugin, port));
        info.input = lilv_port_is_a(d.plugin, port, inputClass);
        if (lilv_port_is_a(d.plugin, port, audioClass)) {
            info.kind = "audio";
        } else if (lilv_port_is_a(d.plugin, port, controlClass)) {
            info.kind = "control";
            LilvNode *defaultValue = nullptr, *minimum = nullptr, *maximum = nullptr;
            lilv_port_get_range(d.plugin, port, &defaultValue, &minimum, &maximum);
            info.defaultValue = defaultValue != nullptr ? lilv_node_as_float(defaultValue) : 0.0f;
            info.minimum = minimum != nullptr ? lilv_node_as_float(minimum) : 0.0f;
            info.maximum = maximum != nullptr ? lilv_node_as_float(maximum) : 1.0f;
            lilv_node_free(defaultValue);
            lilv_node_free(minimum);
            lilv_node_free(maximum);
            d.controls[i] = info.defaultValue;
        } else if (lilv_port_is_a(d.plugin, port, atomClass)) {
            info.kind = "atom";
        }
        out.ports.push_back(info);
    }
    lilv_node_free(inputClass);
    lilv_node_free(audioClass);
    lilv_node_free(controlClass);
    lilv_node_free(atomClass);
    return true;
}

bool Lv2Host::instantiate(double sampleRate, std::string& error) {
    Impl& d = *impl_;
    if (d.plugin == nullptr) {
        error = "no plug-in loaded";
        return false;
    }
    d.instance = lilv_plugin_instantiate(d.plugin, sampleRate, d.features);
    if (d.instance == nullptr) {
        error = "the plug-in " + description_.uri + " refused to instantiate";
        return false;
    }
    for (const Lv2PortInfo& port : description_.ports) {
        if (port.kind == "control") {
            lilv_instance_connect_port(d.instance, port.index, &d.controls[port.index]);
        } else if (port.kind == "atom" && port.input) {
            d.eventsInPort = port.index;
            lilv_instance_connect_port(d.instance, port.index, d.eventsIn.data());
        } else if (port.kind == "atom") {
            d.eventsOutPort = port.index;
            lilv_instance_connect_port(d.instance, port.index, d.eventsOut.data());
        } else if (port.kind == "audio" && !port.input) {
            d.audioOuts.push_back(port.index);
        }
    }
    return true;
}

void Lv2Host::activate() {
    lilv_instance_activate(impl_->instance);
}

void Lv2Host::deactivate() {
    lilv_instance_deactivate(impl_->instance);
}

void* Lv2Host::handle() const {
    return impl_->instance != nullptr ? lilv_instance_get_handle(impl_->instance) : nullptr;
}

void Lv2Host::setControl(std::uint32_t port, float value) {
    impl_->controls.at(port) = value;
}

float Lv2Host::control(std::uint32_t port) const {
    return impl_->controls.at(port);
}

void Lv2Host::sendMidi(int frame, std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
    impl_->pending.push_back({frame, false, {status, data1, data2}, 0.0, 0.0, 0.0, 0.0});
}

void Lv2Host::sendPosition(int frame, double beatsPerMinute, double speed, double bar, double barBeat) {
    impl_->pending.push_back({frame, true, {0, 0, 0}, beatsPerMinute, speed, bar, barBeat});
}

void Lv2Host::run(float* left, float* right, int frames) {
    writeEvents(frames);
    runPlugin(left, right, frames);
    readMidiOut(frames);
}

void Lv2Host::writeEvents(int frames) {
    Impl& d = *impl_;
    d.writeEvents(frames);
    auto* out = reinterpret_cast<LV2_Atom_Sequence*>(d.eventsOut.data());
    out->atom.type = d.urid(LV2_ATOM__Chunk);
    out->atom.size = static_cast<std::uint32_t>(kAtomBufferBytes - sizeof(LV2_Atom));
}

void Lv2Host::runPlugin(float* left, float* right, int frames) {
    Impl& d = *impl_;
    float* outputs[2] = {left, right};
    for (std::size_t i = 0; i < d.audioOuts.size() && i < 2; ++i) {
        lilv_instance_connect_port(d.instance, d.audioOuts[i], outputs[i]);
    }
    lilv_instance_run(d.instance, static_cast<std::uint32_t>(frames));
}

void Lv2Host::readMidiOut(int frames) {
    Impl& d = *impl_;
    const auto* out = reinterpret_cast<const LV2_Atom_Sequence*>(d.eventsOut.data());
    const LV2_URID midiType = d.urid(LV2_MIDI__MidiEvent);
    if (out->atom.type == d.urid(LV2_ATOM__Sequence)) {
        LV2_ATOM_SEQUENCE_FOREACH(out, event) {
            if (event->body.type != midiType) {
                continue;
            }
            ReceivedMidi m;
            m.block = d.block;
            m.blockFrame = d.position;
            m.duringProcess = true;
            m.deltaFrames = static_cast<int>(event->time.frames);
            const auto* bytes = static_cast<const std::uint8_t*>(LV2_ATOM_BODY_CONST(&event->body));
            std::memcpy(m.bytes, bytes, std::min<std::size_t>(event->body.size, sizeof m.bytes));
            received_.push_back(m);
        }
    }
    d.position += frames;
    ++d.block;
}

std::vector<Lv2StateProperty> Lv2Host::saveState() {
    Impl& d = *impl_;
    d.saving.clear();
    const LV2_State_Interface* state = d.stateInterface();
    if (state == nullptr || state->save(lilv_instance_get_handle(d.instance), &Impl::store, &d,
                                        LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, d.features) != LV2_STATE_SUCCESS) {
        return {};
    }
    return d.saving;
}

bool Lv2Host::restoreState(const std::vector<Lv2StateProperty>& properties) {
    Impl& d = *impl_;
    const LV2_State_Interface* state = d.stateInterface();
    if (state == nullptr) {
        return false;
    }
    d.restoring = &properties;
    const LV2_State_Status status =
        state->restore(lilv_instance_get_handle(d.instance), &Impl::retrieve, &d, 0, d.features);
    d.restoring = nullptr;
    return status == LV2_STATE_SUCCESS;
}

}  // namespace vexo

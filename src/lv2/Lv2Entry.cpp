// The LV2 module's only exported functions: the plug-in's descriptor and its UI's.
#include <lv2/core/lv2.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/state/state.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <cstring>
#include <new>

#include "gui/LibraryPinning.h"
#include "lv2/Lv2Plugin.h"
#include "lv2/Lv2Ui.h"

extern "C" __attribute__((visibility("default"))) const LV2_Descriptor* lv2_descriptor(uint32_t index);
extern "C" __attribute__((visibility("default"))) const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index);

// Runs when the host loads the module, before any plug-in object exists.
__attribute__((constructor)) static void keepGraphicsLibrariesLoaded() {
    vexo::pinGraphicsLibraries();
}

namespace {

using vexo::lv2::Lv2Plugin;
using vexo::lv2::Lv2Ui;

const LV2_Feature* findFeature(const LV2_Feature* const* features, const char* uri) {
    for (const LV2_Feature* const* f = features; f != nullptr && *f != nullptr; ++f) {
        if (std::strcmp((*f)->URI, uri) == 0) {
            return *f;
        }
    }
    return nullptr;
}

const void* featureData(const LV2_Feature* const* features, const char* uri) {
    const LV2_Feature* found = findFeature(features, uri);
    return found != nullptr ? found->data : nullptr;
}

Lv2Plugin& instanceOf(LV2_Handle handle) {
    return *static_cast<Lv2Plugin*>(handle);
}

// Host thread that instantiates. Without urid:map there is no way to read events.
LV2_Handle instantiate(const LV2_Descriptor*, double sampleRate, const char* bundlePath,
                       const LV2_Feature* const* features) {
    const auto* map = static_cast<const LV2_URID_Map*>(featureData(features, LV2_URID__map));
    if (map == nullptr || bundlePath == nullptr) {
        return nullptr;
    }
    try {
        return new Lv2Plugin(sampleRate, bundlePath, *map);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// The audio thread, or any host thread while the plug-in does not run.
void connectPort(LV2_Handle instance, uint32_t port, void* data) {
    instanceOf(instance).connectPort(port, data);
}

// Host's instantiation thread.
void activate(LV2_Handle instance) {
    instanceOf(instance).activate();
}

// Audio thread.
void run(LV2_Handle instance, uint32_t frames) {
    instanceOf(instance).run(frames);
}

// Host's instantiation thread.
void deactivate(LV2_Handle instance) {
    instanceOf(instance).deactivate();
}

// Host's instantiation thread, after the UI is gone.
void cleanup(LV2_Handle instance) {
    delete static_cast<Lv2Plugin*>(instance);
}

// Any host thread but the audio thread; saving may overlap run, restoring may not.
LV2_State_Status saveState(LV2_Handle instance, LV2_State_Store_Function store, LV2_State_Handle handle,
                           uint32_t /*flags*/, const LV2_Feature* const* /*features*/) {
    return instanceOf(instance).save(store, handle);
}

LV2_State_Status restoreState(LV2_Handle instance, LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle,
                              uint32_t /*flags*/, const LV2_Feature* const* /*features*/) {
    return instanceOf(instance).restore(retrieve, handle);
}

const LV2_State_Interface kStateInterface = {saveState, restoreState};

// Any host thread.
const void* extensionData(const char* uri) {
    return std::strcmp(uri, LV2_STATE__interface) == 0 ? &kStateInterface : nullptr;
}

const LV2_Descriptor kDescriptor = {vexo::lv2::kPluginUri, instantiate, connectPort, activate, run, deactivate, cleanup,
                                    extensionData};

// --- The UI: host's user-interface thread.

// A host that cannot hand over the plug-in instance gets no UI from us (and shows its own
// controls for the ports instead): the editor works on the instance itself.
LV2UI_Handle instantiateUi(const LV2UI_Descriptor*, const char* /*pluginUri*/, const char* /*bundlePath*/,
                           LV2UI_Write_Function write, LV2UI_Controller controller, LV2UI_Widget* widget,
                           const LV2_Feature* const* features) {
    const void* handle = featureData(features, LV2_INSTANCE_ACCESS_URI);
    if (handle == nullptr || write == nullptr) {
        return nullptr;
    }
    Lv2Plugin& instance = *static_cast<Lv2Plugin*>(const_cast<void*>(handle));
    if (!instance.claimUi()) {
        return nullptr;  // another UI shows this instance's editor
    }
    // ui:parent carries the window id itself as its data.
    const auto parent = reinterpret_cast<std::uintptr_t>(featureData(features, LV2_UI__parent));
    const auto* resize = static_cast<const LV2UI_Resize*>(featureData(features, LV2_UI__resize));
    const auto* touch = static_cast<const LV2UI_Touch*>(featureData(features, LV2_UI__touch));
    auto* ui = new (std::nothrow) Lv2Ui(instance, write, controller, touch);
    if (ui == nullptr) {
        instance.releaseUi();
        return nullptr;
    }
    if (!ui->open(parent, widget, resize)) {
        delete ui;
        return nullptr;
    }
    return ui;
}

void cleanupUi(LV2UI_Handle ui) {
    delete static_cast<Lv2Ui*>(ui);
}

// The editor reads the plug-in's values itself; the host's port news need no answer.
void portEvent(LV2UI_Handle, uint32_t, uint32_t, uint32_t, const void*) {}

int idleUi(LV2UI_Handle ui) {
    return static_cast<Lv2Ui*>(ui)->idle();
}

const LV2UI_Idle_Interface kIdleInterface = {idleUi};

const void* uiExtensionData(const char* uri) {
    return std::strcmp(uri, LV2_UI__idleInterface) == 0 ? &kIdleInterface : nullptr;
}

const LV2UI_Descriptor kUiDescriptor = {vexo::lv2::kUiUri, instantiateUi, cleanupUi, portEvent, uiExtensionData};

}  // namespace

// Any host thread (discovery).
const LV2_Descriptor* lv2_descriptor(uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}

const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index) {
    return index == 0 ? &kUiDescriptor : nullptr;
}

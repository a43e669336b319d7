// The module's only exported function: hosts find it as VSTPluginMain or as main.
#include <new>

#include "editor/EditorPlugin.h"
#include "gui/LibraryPinning.h"

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback audioMaster);

// Older hosts look the entry point up as "main".
extern "C" __attribute__((visibility("default"))) AEffect* vexoMainAlias(audioMasterCallback audioMaster) asm("main");

// Runs when the host loads the module, before any plug-in object exists.
__attribute__((constructor)) static void keepGraphicsLibrariesLoaded() {
    vexo::pinGraphicsLibraries();
}

// Host thread that loads the plug-in.
AEffect* VSTPluginMain(audioMasterCallback audioMaster) {
    if (audioMaster == nullptr || audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) {
        return nullptr;
    }
    auto* plugin = new (std::nothrow) vexo::EditorPlugin(audioMaster, vexo::moduleDirectory());
    return plugin == nullptr ? nullptr : plugin->getAeffect();
}

AEffect* vexoMainAlias(audioMasterCallback audioMaster) {
    return VSTPluginMain(audioMaster);
}

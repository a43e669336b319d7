// Writes "Config.ini", "DefaultConfig.ini", "MidiCC.ini" and "DefaultGui.ini" holding the
// built-in defaults, so that a fresh plug-in folder shows every setting a user may edit and
// the Preferences dialog's "Load Defaults" finds the editor's defaults too.
#include <cstdio>
#include <string>

#include "config/ConfigurationFile.h"
#include "config/ControllerMap.h"
#include "editor/GuiConfig.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: vexo_configgen PLUGIN_DIR\n");
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    const vexo::Settings defaults;
    const vexo::ControllerMap controllers;
    const vexo::KeyMap keys;
    const bool ok = vexo::writeConfigurationFile(dir + "DefaultConfig.ini", defaults) &&
                    vexo::writeConfigurationFile(dir + "Config.ini", defaults) &&
                    vexo::writeControllerMap(dir + "MidiCC.ini", controllers, keys) &&
                    vexo::writeGuiConfig(vexo::GuiSettings{}, dir + "DefaultGui.ini");
    if (!ok) {
        std::fprintf(stderr, "vexo_configgen: cannot write into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}

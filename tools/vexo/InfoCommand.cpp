// vexo info: what a host sees when it loads the plug-in, in both formats: the VST module
// through its entry point, the LV2 bundle through lilv.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "Command.h"
#include "Lv2Host.h"
#include "PluginHost.h"
#include "lv2/Lv2Ports.h"

namespace vexo::cli {
namespace {

constexpr const char* kName = "info";

std::string fourChars(VstInt32 id) {
    std::string s;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>((id >> shift) & 0xff);
        s += (c >= 32 && c < 127) ? c : '?';
    }
    return s;
}

std::string flagNames(VstInt32 flags) {
    struct Flag {
        VstInt32 bit;
        const char* name;
    };
    const Flag names[] = {{effFlagsHasEditor, "HasEditor"},         {effFlagsCanReplacing, "CanReplacing"},
                          {effFlagsProgramChunks, "ProgramChunks"}, {effFlagsIsSynth, "IsSynth"},
                          {effFlagsNoSoundInStop, "NoSoundInStop"}, {effFlagsCanDoubleReplacing, "CanDoubleReplacing"}};
    std::string s;
    for (const Flag& f : names) {
        if (flags & f.bit) {
            s += s.empty() ? "" : " ";
            s += f.name;
        }
    }
    return s;
}

const char* categoryName(VstIntPtr category) {
    switch (category) {
        case kPlugCategEffect:
            return "effect";
        case kPlugCategSynth:
            return "synth";
        default:
            return "unknown";
    }
}

struct InfoOptions {
    std::string dir = defaultPluginDir();
    std::string lv2Bundle;  // default: VEXO.lv2 beside the plug-in folder
};

std::string lv2BundleBeside(const std::string& pluginDir) {
    const std::filesystem::path dir = std::filesystem::path(pluginDir).lexically_normal();
    const std::filesystem::path folder = dir.has_filename() ? dir : dir.parent_path();
    return (folder.parent_path() / lv2::kBundleName).string();
}

// The LV2 bundle as lilv reads it, and the state an instance saves.
int lv2Info(const std::string& bundle) {
    std::printf("\nLV2 bundle:  %s\n", bundle.c_str());
    Lv2Host host;
    std::string error;
    if (!host.load(bundle, lv2::kPluginUri, error)) {
        return fail(kName, error);
    }
    const Lv2Description& d = host.description();
    std::printf("plug-in:     %s \"%s\"\nbinary:      %s\n", d.uri.c_str(), d.name.c_str(), d.binary.c_str());
    for (const std::string& feature : d.requiredFeatures) {
        std::printf("requires:    %s\n", feature.c_str());
    }
    for (const std::string& extension : d.extensionData) {
        std::printf("extension:   %s\n", extension.c_str());
    }
    for (const std::string& ui : d.uis) {
        std::printf("UI:          %s\n", ui.c_str());
    }
    std::printf("ports:       %zu\n", d.ports.size());
    for (const Lv2PortInfo& port : d.ports) {
        std::printf("  %2u  %-16s %-7s %-6s ", port.index, port.symbol.c_str(), port.kind.c_str(),
                    port.input ? "input" : "output");
        if (port.kind == "control") {
            std::printf("%-16s %g..%g, default %g\n", ("'" + port.name + "'").c_str(),
                        static_cast<double>(port.minimum), static_cast<double>(port.maximum),
                        static_cast<double>(port.defaultValue));
        } else {
            std::printf("'%s'\n", port.name.c_str());
        }
    }
    if (!host.instantiate(44100.0, error)) {
        return fail(kName, error);
    }
    for (const Lv2StateProperty& property : host.saveState()) {
        std::printf("state:       %s (%s, %zu bytes)\n", property.key.c_str(), property.type.c_str(),
                    property.value.size());
    }
    return kExitSuccess;
}

int info(const InfoOptions& options) {
    const std::string& dir = options.dir;
    PluginHost host;
    std::string error;
    if (!host.load(dir, error)) {
        return fail(kName, error);
    }
    std::printf("VST 2.4:     %s\n", dir.c_str());
    AEffect* e = host.effect();
    std::printf("effect name: %s\n", host.text(effGetEffectName).c_str());
    std::printf("vendor:      %s\n", host.text(effGetVendorString).c_str());
    std::printf("product:     %s\n", host.text(effGetProductString).c_str());
    std::printf("unique id:   %s (0x%08X)\n", fourChars(e->uniqueID).c_str(), static_cast<unsigned>(e->uniqueID));
    std::printf("version:     %d (vendor version %ld, VST %ld)\n", e->version,
                static_cast<long>(host.dispatch(effGetVendorVersion)),
                static_cast<long>(host.dispatch(effGetVstVersion)));
    std::printf("flags:       0x%X %s\n", static_cast<unsigned>(e->flags), flagNames(e->flags).c_str());
    std::printf("inputs:      %d\noutputs:     %d\n", e->numInputs, e->numOutputs);
    std::printf("category:    %s\n", categoryName(host.dispatch(effGetPlugCategory)));
    std::printf("parameters:  %d\n", e->numParams);
    for (int i = 0; i < e->numParams; ++i) {
        std::printf("  %2d  %-16s %-10s label '%s'  value %g\n", i, ("'" + host.text(effGetParamName, i) + "'").c_str(),
                    host.text(effGetParamDisplay, i).c_str(), host.text(effGetParamLabel, i).c_str(),
                    static_cast<double>(host.getParameter(i)));
    }
    std::printf("programs:    %d\n", e->numPrograms);
    for (int i = 0; i < e->numPrograms; ++i) {
        std::printf("  %2d  %s\n", i, host.text(effGetProgramNameIndexed, i).c_str());
    }
    std::printf("canDo:\n");
    for (const char* capability : {"receiveVstEvents", "receiveVstMidiEvent", "receiveVstTimeInfo", "sendVstEvents",
                                   "sendVstMidiEvent", "sendVstTimeInfo"}) {
        std::printf("  %-20s %ld\n", capability,
                    static_cast<long>(host.dispatch(effCanDo, 0, 0, const_cast<char*>(capability))));
    }
    std::printf("chunk size:  %zu bytes\n", host.getChunk().size());
    host.close();

    if (options.lv2Bundle.empty()) {
        const std::string beside = lv2BundleBeside(dir);
        std::error_code ignored;
        if (!std::filesystem::exists(beside, ignored)) {
            std::printf("\nLV2 bundle:  none beside the plug-in folder (%s)\n", beside.c_str());
            return kExitSuccess;
        }
        return lv2Info(beside);
    }
    return lv2Info(options.lv2Bundle);
}

Command setupInfo(CLI::App& tool) {
    auto options = std::make_shared<InfoOptions>();
    CLI::App* app = tool.add_subcommand(kName, "Print what a host sees of the plug-in, as VST and as LV2");
    app->add_option("PLUGIN_DIR", options->dir, "Plug-in folder to load VEXO.so from")
        ->type_name("")
        ->capture_default_str();
    app->add_option("--lv2", options->lv2Bundle, "LV2 bundle to describe (default: VEXO.lv2 beside PLUGIN_DIR)")
        ->type_name("DIR");
    return {app, [options] { return info(*options); }};
}

const Registration registration(setupInfo);

}  // namespace
}  // namespace vexo::cli

// vexo info: what a host sees when it loads the plug-in.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>

#include "Command.h"
#include "PluginHost.h"

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

int info(const std::string& dir) {
    PluginHost host;
    std::string error;
    if (!host.load(dir, error)) {
        return fail(kName, error);
    }
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
    return kExitSuccess;
}

Command setupInfo(CLI::App& tool) {
    auto dir = std::make_shared<std::string>(defaultPluginDir());
    CLI::App* app = tool.add_subcommand(kName, "Print what a host sees of the plug-in");
    app->add_option("PLUGIN_DIR", *dir, "Plug-in folder to load VEXO.so from")->type_name("")->capture_default_str();
    return {app, [dir] { return info(*dir); }};
}

const Registration registration(setupInfo);

}  // namespace
}  // namespace vexo::cli

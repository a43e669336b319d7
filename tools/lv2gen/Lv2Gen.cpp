// Writes the LV2 bundle's description (manifest.ttl and VEXO.ttl) from the plug-in's own
// tables: the parameters with their names, ranges, defaults and switch values.
//   vexo_lv2gen BUNDLE_DIR
#include <cctype>
#include <cstdio>
#include <string>

#include "config/TextScanner.h"
#include "host/Parameters.h"
#include "host/SynthPlugin.h"
#include "lv2/Lv2Ports.h"

namespace {

using namespace vexo;
using namespace vexo::lv2;

constexpr const char* kPrefixes =
    "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
    "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
    "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
    "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
    "@prefix midi: <http://lv2plug.in/ns/ext/midi#> .\n"
    "@prefix pprops: <http://lv2plug.in/ns/ext/port-props#> .\n"
    "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
    "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
    "@prefix rsz: <http://lv2plug.in/ns/ext/resize-port#> .\n"
    "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
    "@prefix time: <http://lv2plug.in/ns/ext/time#> .\n"
    "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n"
    "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n\n";

std::string trimmed(const char* text) {
    std::string s(text);
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

// "Env.mod" -> "env_mod", "DistortionType" -> "distortion_type".
std::string portSymbol(const std::string& name) {
    std::string symbol;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        const bool wordStart = i > 0 && std::isupper(c) && std::islower(static_cast<unsigned char>(name[i - 1]));
        if (std::isalnum(c)) {
            if (wordStart) {
                symbol += '_';
            }
            symbol += static_cast<char>(std::tolower(c));
        } else if (!symbol.empty() && symbol.back() != '_') {
            symbol += '_';
        }
    }
    return symbol;
}

// Exactly the float the plug-in holds, written so that a reader gets it back.
std::string number(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    std::string s = text;
    if (s.find_first_of(".e") == std::string::npos) {
        s += ".0";
    }
    return s;
}

std::string scalePoints(int index) {
    const std::string low = parameterDisplay(index, 0.0f);
    const std::string high = parameterDisplay(index, 1.0f);
    return "        lv2:scalePoint [ rdfs:label \"" + low + "\" ; rdf:value 0.0 ] , [ rdfs:label \"" + high +
           "\" ; rdf:value 1.0 ] ;\n";
}

std::string controlPort(int index) {
    const std::string name = trimmed(kParameterInfo[index].name);
    std::string port = "    [\n        a lv2:InputPort , lv2:ControlPort ;\n";
    port += "        lv2:index " + std::to_string(kFirstParameterPort + index) + " ;\n";
    port += "        lv2:symbol \"" + portSymbol(name) + "\" ;\n";
    port += "        lv2:name \"" + name + "\" ;\n";
    port += "        lv2:default " + number(kParameterInfo[index].defaultValue) + " ;\n";
    port += "        lv2:minimum 0.0 ;\n        lv2:maximum 1.0 ;\n";
    if (index == kHighpassFilter) {
        port += "        lv2:portProperty lv2:toggled ;\n";
    } else if (isSwitchParameter(index)) {
        port += "        lv2:portProperty lv2:integer , lv2:enumeration ;\n" + scalePoints(index);
    } else if (index == kReserved) {
        // Shown as "N/A" by the plug-in: nothing a user would set.
        port += "        lv2:portProperty pprops:notOnGUI ;\n";
    }
    port.erase(port.size() - 3);  // the last " ;\n"
    return port + "\n    ]";
}

std::string fixedPort(const char* classes, std::uint32_t index, const char* symbol, const char* name,
                      const std::string& properties) {
    return "    [\n        a " + std::string(classes) + " ;\n" + properties + "        lv2:index " +
           std::to_string(index) + " ;\n        lv2:symbol \"" + symbol + "\" ;\n        lv2:name \"" + name +
           "\"\n    ] ,\n";
}

std::string pluginDescription() {
    std::string ttl = kPrefixes;
    ttl += "<" + std::string(kPluginUri) + ">\n";
    ttl += "    a lv2:Plugin , lv2:InstrumentPlugin ;\n";
    ttl += "    doap:name \"" + std::string(kEffectName) + "\" ;\n";
    ttl += "    doap:maintainer [ foaf:name \"" + std::string(kVendorName) + "\" ] ;\n";
    ttl += "    lv2:minorVersion 0 ;\n    lv2:microVersion 0 ;\n";
    ttl += "    lv2:requiredFeature urid:map ;\n";
    ttl += "    lv2:optionalFeature lv2:hardRTCapable ;\n";
    ttl += "    lv2:extensionData state:interface ;\n";
    ttl += "    ui:ui <" + std::string(kUiUri) + "> ;\n";
    ttl += "    lv2:port\n";
    ttl += fixedPort("lv2:InputPort , atom:AtomPort", kEventsInPort, "events_in", "MIDI in",
                     "        atom:bufferType atom:Sequence ;\n"
                     "        atom:supports midi:MidiEvent , time:Position ;\n"
                     "        lv2:designation lv2:control ;\n");
    ttl += fixedPort("lv2:OutputPort , atom:AtomPort", kMidiOutPort, "midi_out", "MIDI out",
                     "        atom:bufferType atom:Sequence ;\n"
                     "        atom:supports midi:MidiEvent ;\n"
                     "        rsz:minimumSize " +
                         std::to_string(kMidiOutMinimumBytes) + " ;\n");
    ttl += fixedPort("lv2:OutputPort , lv2:AudioPort", kLeftOutPort, "out_left", "Left", "");
    ttl += fixedPort("lv2:OutputPort , lv2:AudioPort", kRightOutPort, "out_right", "Right", "");
    for (int i = 0; i < kNumParameters; ++i) {
        ttl += controlPort(i) + (i + 1 < kNumParameters ? " ,\n" : " .\n\n");
    }
    ttl += "<" + std::string(kUiUri) + ">\n";
    ttl += "    a ui:X11UI ;\n";
    ttl += "    lv2:requiredFeature <http://lv2plug.in/ns/ext/instance-access> , ui:idleInterface ;\n";
    ttl += "    lv2:optionalFeature ui:parent , ui:resize , ui:touch , ui:noUserResize ;\n";
    ttl += "    lv2:extensionData ui:idleInterface .\n";
    return ttl;
}

std::string manifest() {
    std::string ttl =
        "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
        "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
        "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n\n";
    ttl += "<" + std::string(kPluginUri) + ">\n    a lv2:Plugin ;\n    lv2:binary <" + kModuleFile +
           "> ;\n    rdfs:seeAlso <" + kPluginTtlFile + "> .\n\n";
    ttl += "<" + std::string(kUiUri) + ">\n    a ui:X11UI ;\n    ui:binary <" + kModuleFile +
           "> ;\n    rdfs:seeAlso <" + kPluginTtlFile + "> .\n";
    return ttl;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: vexo_lv2gen BUNDLE_DIR\n");
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    for (const auto& [name, text] : {std::pair{std::string("manifest.ttl"), manifest()},
                                     std::pair{std::string(kPluginTtlFile), pluginDescription()}}) {
        if (!writeFileAtomically(dir + name, text)) {
            std::fprintf(stderr, "vexo_lv2gen: cannot write %s%s\n", dir.c_str(), name.c_str());
            return 1;
        }
    }
    return 0;
}

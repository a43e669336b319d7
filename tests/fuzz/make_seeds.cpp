// Writes a seed corpus for every fuzz target with our own writers: a corpus folder per
// target under the folder given.
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "DetectTestAudio.h"
#include "FuzzSupport.h"
#include "ImportFileWriters.h"
#include "config/ConfigurationFile.h"
#include "config/ControllerMap.h"
#include "editor/GuiConfig.h"
#include "editor/skin/SkinSelection.h"
#include "host/StateFile.h"
#include "host/SynthPlugin.h"
#include "patterns/PatternText.h"

namespace fs = std::filesystem;

namespace {

void write(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        return 2;
    }
    const fs::path root = argv[1];
    const fs::path plugin = VEXO_PLUGIN_DIR;

    // State chunks: a new plug-in's, and one with patterns and settings changed.
    {
        vexo::SynthPlugin synth(&vexo::fuzz::hostCallback, vexo::fuzz::scratchFolder());
        void* data = nullptr;
        auto size = static_cast<std::size_t>(synth.getChunk(&data, false));
        write(root / "state_chunk" / "new", std::string(static_cast<const char*>(data), size));
        synth.bank().pattern(3).header = 0x80000308;
        synth.settings().midiMode = 2;
        synth.selectPattern(3);
        size = static_cast<std::size_t>(synth.getChunk(&data, false));
        std::string bytes(static_cast<const char*>(data), size);
        bytes.back() ^= 1;
        write(root / "state_chunk" / "changed", bytes);

        // Preset files of that state, in both kinds, and the bare chunk.
        const std::span<const std::uint8_t> chunk(static_cast<const std::uint8_t*>(data), size);
        for (const auto& [name, format] :
             {std::pair{"bank.fxb", vexo::StateFormat::Bank}, std::pair{"program.fxp", vexo::StateFormat::Program},
              std::pair{"chunk", vexo::StateFormat::Chunk}}) {
            const std::vector<std::uint8_t> file = vexo::encodeStateFile(format, chunk, 1);
            write(root / "preset_file" / name, std::string(file.begin(), file.end()));
        }
    }

    write(root / "configuration" / "defaults", vexo::configurationText(vexo::Settings{}));
    write(root / "configuration" / "keys",
          "; all kinds\nFilterslope = 18\nTempo = 140\nHighpass = On\n"
          "ParameterSmoothing = Off\nVcoGain = 2.5\nActiveClocks = 0x100\n");
    write(root / "controller_map" / "defaults", vexo::controllerMapText(vexo::ControllerMap{}, vexo::KeyMap{}));
    write(root / "controller_map" / "keys",
          "; map\nMidiCC.Cutoff = 21\nMidiCC.Decay=0x14\nMidiKeyMapping = 2\n40 41\n");

    write(root / "pattern_text" / "bank", readAll(plugin / "DefaultPatternBank.pat"));
    int count = 0;
    for (const auto& entry : fs::recursive_directory_iterator(plugin / "Patterns")) {
        if (entry.is_regular_file() && count < 8) {
            write(root / "pattern_text" / ("single" + std::to_string(count++)), readAll(entry.path()));
        }
    }

    {
        using namespace vexo::test;
        const std::string song = songChunk("HEAD", "abc") +
                                 songContainer("SONG", UnitWriter().knobs(5, 10, 1).numbered(0x13).chunk() +
                                                           UnitWriter().numbered(0x04).chunk()) +
                                 songChunk("303 ", std::string(40, '\x01'));
        write(root / "rebirth_ph" / "song", song);
        write(root / "rebirth_ph" / "ph", phText([](int b) { return b % 20; }));
    }

    {
        using namespace vexo::test;
        std::vector<float> cycles;
        appendCycles(cycles, 100, 40);
        appendCycles(cycles, 400, 10, 0.3f);
        const Pcm pcm = toPcm(cycles);
        write(root / "wave_file" / "wav", asString(wavFile(pcm)));
        write(root / "wave_file" / "aiff", asString(aiffFile(pcm)));
    }

    for (const char* table : {"1ca37741f.dat", "3c2a6627a.dat"}) {
        write(root / "wavetables" / table, readAll(plugin / "Data" / table));
    }

    // Skin files: the shipped default skin, every statement kind, and the GUI settings.
    const fs::path defaultSkin = plugin / (std::string(vexo::kFallbackSkinName) + vexo::kSkinFileExtension);
    if (fs::exists(defaultSkin)) {
        write(root / "skin_definition" / "default_skin", readAll(defaultSkin));
    }
    write(root / "skin_definition" / "statements",
          "; every statement\nNAME \"Seed\"\nVERSION 2\nCROSSFADE 1\nBLENDMODE 0\n"
          "TRANSPARENTCOLOR 255, 0, 255\nCABLETYPE 1\nCABLETINT 10, 20, 30\nLEDCOLOR 3, 1.0, 0.5, 0.25\n"
          "OFFSET 10, -20\nBACKGROUND \"bg.png\", 0, 0, 800, 600\nMIDILED \"led\\on.png\", 5, 5, -16, 16\n"
          "knob1 CUTOFFKNOB \"knob.png\", 1, 2, 3, 4, 5, 6, 7\nINCLUDE \"more.skn\"\n; end");
    write(root / "skin_definition" / "gui_settings", vexo::guiConfigText(vexo::GuiSettings{}));

    std::mt19937 random(1);
    for (int i = 0; i < 4; ++i) {
        std::string bytes(600, '\0');
        for (char& c : bytes) {
            c = static_cast<char>(random());
        }
        write(root / "midi_stream" / ("random" + std::to_string(i)), bytes);
    }
    return 0;
}

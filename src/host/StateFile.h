// The plug-in's whole state (the state chunk) in the files users keep: VST bank files
// (.fxb), VST program files (.fxp) and the bare chunk. Both preset kinds carry the same
// complete chunk; a program file also names the current program.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "host/PresetFile.h"
#include "host/StateChunk.h"

namespace vexo {

class SynthPlugin;

enum class StateFormat { Bank, Program, Chunk };

// Preset and state files are some 20 kB; anything far larger is refused unread.
constexpr std::size_t kMaxStateFileBytes = 1u << 20;

// ".fxb" a bank, ".fxp" a program (in any case), any other name the bare chunk.
StateFormat stateFormatForPath(const std::string& path);
// "bank file (.fxb)", "program file (.fxp)", "state chunk".
const char* stateFormatName(StateFormat format);

struct StateFile {
    StateFormat format = StateFormat::Chunk;
    PresetFile preset;  // the header read, for the preset formats
    std::vector<std::uint8_t> chunk;
};

// A preset file of this plug-in or a bare chunk, holding a state chunk the plug-in reads.
// False with the reason ("belongs to another plug-in ...") for anything else.
bool decodeStateFile(std::span<const std::uint8_t> bytes, StateFile& state, std::string& error);
// chunk: a state chunk. Banks name the chunk's current program, programs carry its name.
std::vector<std::uint8_t> encodeStateFile(StateFormat format, std::span<const std::uint8_t> chunk,
                                          std::int32_t pluginVersion);

// The same on files: errors begin with the path ("PATH belongs to another plug-in ...").
// Writing replaces the file only by a complete one.
bool readStateFile(const std::string& path, StateFile& state, std::string& error);
bool writeStateFile(const std::string& path, StateFormat format, std::span<const std::uint8_t> chunk,
                    std::int32_t pluginVersion, std::string& error);

// User-interface thread: the plug-in's state from or into a preset file, the format chosen
// by the file's content (reading) or name (writing). On failure nothing is changed.
bool loadPresetFile(SynthPlugin& plugin, const std::string& path, std::string& error);
bool savePresetFile(SynthPlugin& plugin, const std::string& path, std::string& error);

}  // namespace vexo

// VST 2 preset files that carry the plug-in's state as one opaque chunk: a program file
// (.fxp, 'FPCh') or a bank file (.fxb, 'FBCh'). Headers are big-endian 32-bit words:
// 'CcnK', the byte count after that word and itself, the kind, the format version, the
// plug-in's id and version, the parameter or program count, then a 28-byte program name
// (programs) or 128 bytes of which version-2 banks use the first word for the current
// program; then the chunk's size and the chunk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vexo {

enum class PresetKind { Program, Bank };

// Header bytes before the chunk.
constexpr std::size_t kProgramFileHeaderBytes = 60;
constexpr std::size_t kBankFileHeaderBytes = 160;
constexpr std::size_t kPresetNameBytes = 28;

struct PresetFile {
    PresetKind kind = PresetKind::Bank;
    std::int32_t formatVersion = 1;  // banks are written as version 2
    std::int32_t pluginId = 0;
    std::int32_t pluginVersion = 0;
    std::int32_t count = 0;           // parameters (programs) or programs (banks)
    std::int32_t currentProgram = 0;  // version-2 banks
    std::string programName;          // programs: at most 27 bytes
    std::vector<std::uint8_t> chunk;
};

std::vector<std::uint8_t> writePresetFile(const PresetFile& file);

// True when bytes start like a preset file ('CcnK'), whatever follows.
bool looksLikePresetFile(std::span<const std::uint8_t> bytes);

// Parses a whole preset file of the plug-in with id expectedId. False, with the reason in
// error ("belongs to another plug-in ..."), for anything else: too short, wrong magic, a
// preset of parameter values instead of a chunk, another plug-in, counts beyond the file.
bool readPresetFile(std::span<const std::uint8_t> bytes, std::int32_t expectedId, PresetFile& file, std::string& error);

// "VEXO", or the id in hexadecimal when it is no four printable characters.
std::string fourCharText(std::int32_t id);

}  // namespace vexo

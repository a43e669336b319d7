#include "host/StateFile.h"

#include <strings.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>

#include "config/TextScanner.h"
#include "host/SynthPlugin.h"

namespace vexo {
namespace {

bool endsWithIgnoringCase(const std::string& text, const char* tail) {
    const std::size_t length = std::strlen(tail);
    return text.size() >= length && strcasecmp(text.c_str() + text.size() - length, tail) == 0;
}

bool readableChunk(std::span<const std::uint8_t> chunk, ChunkContents& contents) {
    const ChunkReadResult result = readStateChunk(chunk.data(), chunk.size(), contents);
    return result == ChunkReadResult::Read || result == ChunkReadResult::ReadSwapped;
}

std::string chunkProblem(std::size_t size) {
    if (size < kChunkBytes) {
        return "holds no VEXO state: its chunk has " + std::to_string(size) + " bytes, a state has " +
               std::to_string(kChunkBytes);
    }
    return "holds no VEXO state: its chunk does not start with a state's tag";
}

}  // namespace

StateFormat stateFormatForPath(const std::string& path) {
    if (endsWithIgnoringCase(path, ".fxb")) {
        return StateFormat::Bank;
    }
    if (endsWithIgnoringCase(path, ".fxp")) {
        return StateFormat::Program;
    }
    return StateFormat::Chunk;
}

const char* stateFormatName(StateFormat format) {
    switch (format) {
        case StateFormat::Bank:
            return "bank file (.fxb)";
        case StateFormat::Program:
            return "program file (.fxp)";
        case StateFormat::Chunk:
            break;
    }
    return "state chunk";
}

bool decodeStateFile(std::span<const std::uint8_t> bytes, StateFile& state, std::string& error) {
    auto contents = std::make_unique<ChunkContents>();
    if (!looksLikePresetFile(bytes)) {
        if (!readableChunk(bytes, *contents)) {
            error = "is neither a VST preset file (.fxp, .fxb) nor a VEXO state chunk (" +
                    std::to_string(bytes.size()) + " bytes; a state chunk has " + std::to_string(kChunkBytes) + ")";
            return false;
        }
        state.format = StateFormat::Chunk;
        state.preset = PresetFile{};
        state.chunk.assign(bytes.begin(), bytes.end());
        return true;
    }
    PresetFile preset;
    if (!readPresetFile(bytes, kUniqueId, preset, error)) {
        return false;
    }
    if (!readableChunk(preset.chunk, *contents)) {
        error = chunkProblem(preset.chunk.size());
        return false;
    }
    state.format = preset.kind == PresetKind::Bank ? StateFormat::Bank : StateFormat::Program;
    state.chunk = std::move(preset.chunk);
    preset.chunk.clear();
    state.preset = std::move(preset);
    return true;
}

std::vector<std::uint8_t> encodeStateFile(StateFormat format, std::span<const std::uint8_t> chunk,
                                          std::int32_t pluginVersion) {
    if (format == StateFormat::Chunk) {
        return {chunk.begin(), chunk.end()};
    }
    auto contents = std::make_unique<ChunkContents>();
    readStateChunk(chunk.data(), chunk.size(), *contents);
    const int current = std::clamp(contents->settings[kChunkCurrentProgramWord], 0, kProgramCount - 1);
    const char* name = contents->programs[static_cast<std::size_t>(current)].name;

    PresetFile preset;
    preset.kind = format == StateFormat::Bank ? PresetKind::Bank : PresetKind::Program;
    preset.pluginId = kUniqueId;
    preset.pluginVersion = pluginVersion;
    preset.count = preset.kind == PresetKind::Bank ? kProgramCount : kNumParameters;
    preset.currentProgram = current;
    preset.programName.assign(name, strnlen(name, kProgramNameBytes));
    preset.chunk.assign(chunk.begin(), chunk.end());
    return writePresetFile(preset);
}

bool readStateFile(const std::string& path, StateFile& state, std::string& error) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<std::size_t>(size) > kMaxStateFileBytes) {
        error =
            path + " is no preset or state file: it is larger than " + std::to_string(kMaxStateFileBytes) + " bytes";
        return false;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) {
        error = "cannot read " + path;
        return false;
    }
    if (!decodeStateFile(bytes, state, error)) {
        error = path + " " + error;
        return false;
    }
    return true;
}

bool writeStateFile(const std::string& path, StateFormat format, std::span<const std::uint8_t> chunk,
                    std::int32_t pluginVersion, std::string& error) {
    const std::vector<std::uint8_t> bytes = encodeStateFile(format, chunk, pluginVersion);
    if (!writeFileAtomically(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()))) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool loadPresetFile(SynthPlugin& plugin, const std::string& path, std::string& error) {
    StateFile state;
    if (!readStateFile(path, state, error)) {
        return false;
    }
    plugin.setChunk(state.chunk.data(), static_cast<VstInt32>(state.chunk.size()),
                    state.format == StateFormat::Program);
    return true;
}

bool savePresetFile(SynthPlugin& plugin, const std::string& path, std::string& error) {
    void* data = nullptr;
    const StateFormat format = stateFormatForPath(path);
    const VstInt32 size = plugin.getChunk(&data, format == StateFormat::Program);
    const std::span<const std::uint8_t> chunk(static_cast<const std::uint8_t*>(data), static_cast<std::size_t>(size));
    return writeStateFile(path, format, chunk, plugin.getAeffect()->version, error);
}

}  // namespace vexo

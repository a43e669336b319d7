#include "host/PresetFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "host/vst2.h"

namespace vexo {
namespace {

constexpr std::int32_t kFileMagic = fourCharCode("CcnK");
constexpr std::int32_t kProgramChunkMagic = fourCharCode("FPCh");
constexpr std::int32_t kBankChunkMagic = fourCharCode("FBCh");
constexpr std::int32_t kProgramValuesMagic = fourCharCode("FxCk");
constexpr std::int32_t kBankValuesMagic = fourCharCode("FxBk");
constexpr std::int32_t kNewestFormatVersion = 2;
// Magic and byte count: the words the byte count does not include.
constexpr std::size_t kLeadBytes = 8;
constexpr std::size_t kBankFutureBytes = 128;

void putWord(std::vector<std::uint8_t>& out, std::int32_t value) {
    const auto word = static_cast<std::uint32_t>(value);
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(word >> shift));
    }
}

std::int32_t wordAt(std::span<const std::uint8_t> bytes, std::size_t offset) {
    std::uint32_t word = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        word = (word << 8) | bytes[offset + i];
    }
    return static_cast<std::int32_t>(word);
}

std::string quoted(std::int32_t id) {
    std::string text = "'";
    text += fourCharText(id);
    text += '\'';
    return text;
}

}  // namespace

std::string fourCharText(std::int32_t id) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto c = static_cast<char>((static_cast<std::uint32_t>(id) >> shift) & 0xff);
        if (c < 32 || c > 126) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(id));
            return hex;
        }
        text += c;
    }
    return text;
}

std::vector<std::uint8_t> writePresetFile(const PresetFile& file) {
    const bool bank = file.kind == PresetKind::Bank;
    const std::size_t header = bank ? kBankFileHeaderBytes : kProgramFileHeaderBytes;
    std::vector<std::uint8_t> out;
    out.reserve(header + file.chunk.size());
    putWord(out, kFileMagic);
    putWord(out, static_cast<std::int32_t>(header + file.chunk.size() - kLeadBytes));
    putWord(out, bank ? kBankChunkMagic : kProgramChunkMagic);
    putWord(out, bank ? kNewestFormatVersion : 1);
    putWord(out, file.pluginId);
    putWord(out, file.pluginVersion);
    putWord(out, file.count);
    if (bank) {
        putWord(out, file.currentProgram);
        out.resize(out.size() + kBankFutureBytes - 4, 0);
    } else {
        const std::size_t length = std::min(file.programName.size(), kPresetNameBytes - 1);
        out.insert(out.end(), file.programName.begin(), file.programName.begin() + static_cast<long>(length));
        out.resize(out.size() + kPresetNameBytes - length, 0);
    }
    putWord(out, static_cast<std::int32_t>(file.chunk.size()));
    out.insert(out.end(), file.chunk.begin(), file.chunk.end());
    return out;
}

bool looksLikePresetFile(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= 4 && wordAt(bytes, 0) == kFileMagic;
}

bool readPresetFile(std::span<const std::uint8_t> bytes, std::int32_t expectedId, PresetFile& file,
                    std::string& error) {
    if (!looksLikePresetFile(bytes)) {
        error = "is no VST preset file (it does not start with 'CcnK')";
        return false;
    }
    if (bytes.size() < 12) {
        error = "is cut short: " + std::to_string(bytes.size()) + " bytes are no VST preset file";
        return false;
    }
    const std::int32_t kind = wordAt(bytes, 8);
    if (kind == kProgramValuesMagic || kind == kBankValuesMagic) {
        error = "holds parameter values (" + quoted(kind) + "), not the plug-in's state chunk";
        return false;
    }
    if (kind != kProgramChunkMagic && kind != kBankChunkMagic) {
        error = "is a VST file of unknown kind " + quoted(kind);
        return false;
    }
    PresetFile read;
    read.kind = kind == kBankChunkMagic ? PresetKind::Bank : PresetKind::Program;
    const std::size_t header = read.kind == PresetKind::Bank ? kBankFileHeaderBytes : kProgramFileHeaderBytes;
    if (bytes.size() < header) {
        error = "is cut short: " + std::to_string(bytes.size()) + " bytes, but its header alone takes " +
                std::to_string(header);
        return false;
    }
    const auto declared = static_cast<std::uint32_t>(wordAt(bytes, 4));
    if (declared > bytes.size() - kLeadBytes) {
        error = "says it holds " + std::to_string(declared) + " bytes, but only " +
                std::to_string(bytes.size() - kLeadBytes) + " follow";
        return false;
    }
    read.formatVersion = wordAt(bytes, 12);
    if (read.formatVersion < 1 || read.formatVersion > kNewestFormatVersion) {
        error = "has format version " + std::to_string(read.formatVersion) + "; versions 1 and 2 are known";
        return false;
    }
    read.pluginId = wordAt(bytes, 16);
    if (read.pluginId != expectedId) {
        error = "belongs to another plug-in (id " + quoted(read.pluginId) + ", not " + quoted(expectedId) + ")";
        return false;
    }
    read.pluginVersion = wordAt(bytes, 20);
    read.count = wordAt(bytes, 24);
    if (read.kind == PresetKind::Bank) {
        read.currentProgram = read.formatVersion >= 2 ? wordAt(bytes, 28) : 0;
    } else {
        const auto* name = reinterpret_cast<const char*>(bytes.data() + 28);
        read.programName.assign(name, strnlen(name, kPresetNameBytes - 1));
    }
    const auto chunkBytes = static_cast<std::uint32_t>(wordAt(bytes, header - 4));
    if (chunkBytes > bytes.size() - header) {
        error = "says its chunk has " + std::to_string(chunkBytes) + " bytes, but only " +
                std::to_string(bytes.size() - header) + " follow";
        return false;
    }
    read.chunk.assign(bytes.begin() + static_cast<long>(header),
                      bytes.begin() + static_cast<long>(header + chunkBytes));
    file = std::move(read);
    return true;
}

}  // namespace vexo

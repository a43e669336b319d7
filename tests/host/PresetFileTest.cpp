// VST preset files with the state chunk: what our writer writes reads back, the layout is
// the standard one, and broken or foreign files are refused with a reason.
#include <gtest/gtest.h>

#include "PluginFixture.h"
#include "host/PresetFile.h"
#include "host/StateFile.h"

namespace vexo::test {
namespace {

std::vector<std::uint8_t> stateChunk(SynthPlugin& plugin) {
    void* data = nullptr;
    const VstInt32 size = plugin.getChunk(&data, false);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return {bytes, bytes + size};
}

std::uint32_t bigEndianWord(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
           (std::uint32_t{bytes[at + 2]} << 8) | bytes[at + 3];
}

void putBigEndianWord(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t word) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(word >> (24 - 8 * i));
    }
}

class PresetFileTest : public PluginFixture {};

TEST_F(PresetFileTest, BankAndProgramFilesHaveTheStandardLayoutAndReadBack) {
    SynthPlugin& plugin = create();
    plugin.setProgram(3);
    char name[] = "Squelch";
    plugin.setProgramName(name);
    const std::vector<std::uint8_t> chunk = stateChunk(plugin);

    const std::vector<std::uint8_t> bank = encodeStateFile(StateFormat::Bank, chunk, 1);
    ASSERT_EQ(bank.size(), kBankFileHeaderBytes + kChunkBytes);
    EXPECT_EQ(std::string(bank.begin(), bank.begin() + 4), "CcnK");
    EXPECT_EQ(bigEndianWord(bank, 4), bank.size() - 8);
    EXPECT_EQ(std::string(bank.begin() + 8, bank.begin() + 12), "FBCh");
    EXPECT_EQ(bigEndianWord(bank, 12), 2u);  // format version with the current program
    EXPECT_EQ(std::string(bank.begin() + 16, bank.begin() + 20), "VEXO");
    EXPECT_EQ(bigEndianWord(bank, 24), 16u);
    EXPECT_EQ(bigEndianWord(bank, 28), 3u);
    EXPECT_EQ(bigEndianWord(bank, 156), kChunkBytes);

    const std::vector<std::uint8_t> program = encodeStateFile(StateFormat::Program, chunk, 1);
    ASSERT_EQ(program.size(), kProgramFileHeaderBytes + kChunkBytes);
    EXPECT_EQ(std::string(program.begin() + 8, program.begin() + 12), "FPCh");
    EXPECT_EQ(bigEndianWord(program, 24), 13u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(program.data() + 28)), "Squelch");

    for (const auto& [bytes, format] : {std::pair{bank, StateFormat::Bank}, std::pair{program, StateFormat::Program},
                                        std::pair{chunk, StateFormat::Chunk}}) {
        StateFile read;
        std::string error;
        ASSERT_TRUE(decodeStateFile(bytes, read, error)) << error;
        EXPECT_EQ(read.format, format);
        EXPECT_TRUE(read.chunk == chunk);
    }
}

TEST_F(PresetFileTest, BrokenAndForeignFilesAreRefusedWithTheirReason) {
    SynthPlugin& plugin = create();
    const std::vector<std::uint8_t> good = encodeStateFile(StateFormat::Bank, stateChunk(plugin), 1);
    auto refusal = [](const std::vector<std::uint8_t>& bytes) {
        StateFile read;
        std::string error;
        EXPECT_FALSE(decodeStateFile(bytes, read, error));
        return error;
    };
    auto changed = [&good](std::size_t at, std::uint32_t word) {
        std::vector<std::uint8_t> bytes = good;
        putBigEndianWord(bytes, at, word);
        return bytes;
    };

    EXPECT_NE(refusal({}).find("neither a VST preset file"), std::string::npos);
    EXPECT_NE(refusal(changed(0, 0x43636E4C)).find("neither"), std::string::npos);  // "CcnL"
    EXPECT_NE(refusal({good.begin(), good.begin() + 100}).find("cut short"), std::string::npos);
    EXPECT_NE(refusal({good.begin(), good.end() - 1}).find("says it holds"), std::string::npos);
    EXPECT_NE(refusal(changed(156, kChunkBytes + 1)).find("says its chunk has 20129 bytes"), std::string::npos);
    EXPECT_NE(refusal(changed(156, 0xFFFFFFFF)).find("says its chunk has"), std::string::npos);
    EXPECT_NE(refusal(changed(16, 0x41424344)).find("another plug-in (id 'ABCD', not 'VEXO')"), std::string::npos);
    EXPECT_NE(refusal(changed(8, 0x46784236)).find("unknown kind"), std::string::npos);
    EXPECT_NE(refusal(changed(8, 0x4678426B)).find("parameter values"), std::string::npos);  // "FxBk"
    EXPECT_NE(refusal(changed(12, 3)).find("format version 3"), std::string::npos);
    EXPECT_NE(refusal(changed(kBankFileHeaderBytes, 0x12345678)).find("no VEXO state"), std::string::npos);
    std::vector<std::uint8_t> shortChunk(good.begin(), good.begin() + kBankFileHeaderBytes + 100);
    putBigEndianWord(shortChunk, 4, static_cast<std::uint32_t>(shortChunk.size() - 8));
    putBigEndianWord(shortChunk, 156, 100);
    EXPECT_NE(refusal(shortChunk).find("its chunk has 100 bytes, a state has 20128"), std::string::npos);
}

TEST_F(PresetFileTest, ThePluginLoadsAndSavesPresetFilesAndKeepsItsStateOnARefusal) {
    SynthPlugin& plugin = create();
    plugin.bank().pattern(7).setLength(5);
    plugin.selectPattern(7);
    plugin.setParameter(kCutoff, 0.25f);
    std::string error;
    ASSERT_TRUE(savePresetFile(plugin, folder.file("a.FXP"), error)) << error;
    ASSERT_TRUE(savePresetFile(plugin, folder.file("a.fxb"), error)) << error;
    const std::vector<std::uint8_t> saved = stateChunk(plugin);

    plugin.selectPattern(0);
    plugin.setParameter(kCutoff, 0.75f);
    ASSERT_TRUE(loadPresetFile(plugin, folder.file("a.FXP"), error)) << error;
    EXPECT_EQ(plugin.bank().currentPattern(), 7);
    EXPECT_EQ(plugin.getParameter(kCutoff), 0.25f);
    EXPECT_TRUE(stateChunk(plugin) == saved);

    writeFile(folder.file("other.fxb"), "CcnK....FBCh");
    plugin.selectPattern(2);
    EXPECT_FALSE(loadPresetFile(plugin, folder.file("other.fxb"), error));
    EXPECT_EQ(error.rfind(folder.file("other.fxb") + " is cut short", 0), 0u) << error;
    EXPECT_FALSE(loadPresetFile(plugin, folder.file("missing.fxb"), error));
    EXPECT_NE(error.find("cannot read"), std::string::npos);
    EXPECT_EQ(plugin.bank().currentPattern(), 2);
    EXPECT_FALSE(savePresetFile(plugin, folder.file("no/such/folder.fxb"), error));
}

}  // namespace
}  // namespace vexo::test

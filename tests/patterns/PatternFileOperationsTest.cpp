#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "config/TextScanner.h"
#include "host/SynthPlugin.h"
#include "patterns/PatternText.h"

namespace vexo {
namespace {

using namespace StepFlags;

class PatternFileOperations : public testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/vexo-pattern-files-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        dir_ = name;
        plugin_ = std::make_unique<SynthPlugin>(nullptr, dir_);
    }
    void TearDown() override {
        plugin_.reset();
        std::filesystem::remove_all(dir_);
    }
    std::string path(const std::string& name) const { return dir_ + "/" + name; }
    void writeText(const std::string& name, const std::string& text) const {
        ASSERT_TRUE(writeFileAtomically(path(name), text));
    }

    std::string dir_;
    std::unique_ptr<SynthPlugin> plugin_;
};

TEST_F(PatternFileOperations, LoadPatternFillsSlotsUpTo127) {
    EXPECT_EQ(plugin_->currentPatternPath(), dir_ + "/Patterns/*.pat");
    writeText("a.pat", "; VEXO Meta tag: 2\nd-3 1 0 0\nd-3 1 0 0\n");
    writeText("b.pat", "; VEXO Meta tag: 3\ne-3 1 0 0\ne-3 1 0 0\ne-3 1 0 0\n");
    writeText("c.pat", "; VEXO Meta tag: 4\nf-3 1 0 0\n");
    plugin_->selectPattern(126);
    plugin_->takeEditorRefresh();
    const Pattern before125 = plugin_->bank().pattern(125);
    const Pattern before0 = plugin_->bank().pattern(0);

    EXPECT_TRUE(plugin_->loadPatterns({path("a.pat"), path("b.pat"), path("c.pat")}));
    EXPECT_EQ(plugin_->bank().pattern(126).length(), 2);
    EXPECT_EQ(plugin_->bank().pattern(126).step(1).note, 2);
    EXPECT_EQ(plugin_->bank().pattern(127).length(), 3);
    EXPECT_EQ(plugin_->bank().pattern(127).step(2).note, 4);
    EXPECT_EQ(plugin_->bank().pattern(125), before125);
    EXPECT_EQ(plugin_->bank().pattern(0), before0) << "no wrap-around to the first slot";
    EXPECT_EQ(plugin_->currentPatternPath(), path("a.pat"));
    EXPECT_TRUE(plugin_->takeEditorRefresh());

    EXPECT_FALSE(plugin_->loadPatterns({path("missing.pat")}));
    EXPECT_EQ(plugin_->currentPatternPath(), path("a.pat"));
    EXPECT_FALSE(plugin_->editorRefreshPending());
}

TEST_F(PatternFileOperations, SaveAndLoadCarryKnobPositions) {
    plugin_->setParameter(kCutoff, 0.25f);
    plugin_->setParameter(kDrive, 0.5f);
    plugin_->setParameter(kWaveform, 1.0f);
    plugin_->stepClock().setTempo(133.0, plugin_->getSampleRate());
    plugin_->bank().current().steps[0] = {7, Gate | Accent};
    ASSERT_TRUE(plugin_->savePattern(path("saved.pat")));
    EXPECT_EQ(plugin_->currentPatternPath(), path("saved.pat"));
    std::string text;
    ASSERT_TRUE(readWholeFile(path("saved.pat"), text));
    EXPECT_NE(text.find("Cutoff: 0.250000 Resonance: 0.000000 "), std::string::npos);
    EXPECT_NE(text.find("Waveform: 1.000000 Distort: 0.000000 Drive: 0.500000 "), std::string::npos);
    EXPECT_NE(text.find("HighPass: 0.000000 Tempo: 133.000000 \ng-3 1 0 1\n"), std::string::npos);

    plugin_->setParameter(kCutoff, 0.9f);
    plugin_->setParameter(kDrive, 0.1f);
    plugin_->setParameter(kWaveform, 0.0f);
    plugin_->stepClock().setTempo(90.0, plugin_->getSampleRate());
    plugin_->setLearn(true);  // learn target -1: a parameter-setting call would set it
    plugin_->selectPattern(3);
    ASSERT_TRUE(plugin_->loadPatterns({path("saved.pat")}));
    EXPECT_FLOAT_EQ(plugin_->getParameter(kCutoff), 0.25f);
    EXPECT_FLOAT_EQ(plugin_->getParameter(kDrive), 0.5f);
    EXPECT_FLOAT_EQ(plugin_->getParameter(kWaveform), 1.0f);
    EXPECT_DOUBLE_EQ(plugin_->stepClock().tempo, 133.0);
    EXPECT_DOUBLE_EQ(plugin_->stepClock().samplesPerStep, 44100.0 / (133.0 / 60.0 * 4.0));
    EXPECT_EQ(plugin_->learnTarget(), -1) << "written directly, not through setParameter";
    EXPECT_FLOAT_EQ(plugin_->program(0).slots[kParameterInfo[kCutoff].programSlot], 0.9f);
    EXPECT_EQ(plugin_->bank().pattern(3).step(0), (Step{7, Gate | Accent}));
}

TEST_F(PatternFileOperations, ApplyKnobPositionsFollowsTheSwitchesAndLimits) {
    writeText("k.pat", "; Cutoff: 7 Resonance: -2 Waveform: 0.7 Tempo: 0 Version: 2 \nc-3 1 0 0\n");
    plugin_->settings().syncMode = 1;
    ASSERT_TRUE(plugin_->loadPatterns({path("k.pat")}));
    EXPECT_FLOAT_EQ(plugin_->getParameter(kCutoff), 1.0f);
    EXPECT_FLOAT_EQ(plugin_->getParameter(kResonance), 0.0f);
    EXPECT_FLOAT_EQ(plugin_->getParameter(kWaveform), 1.0f);
    EXPECT_DOUBLE_EQ(plugin_->stepClock().tempo, 120.0) << "host sync ignores the stored tempo";

    plugin_->settings().syncMode = 0;
    plugin_->applyKnobPositions();
    EXPECT_DOUBLE_EQ(plugin_->stepClock().tempo, 1e-6);

    ASSERT_TRUE(plugin_->savePattern(path("v.pat")));
    std::string text;
    ASSERT_TRUE(readWholeFile(path("v.pat"), text));
    EXPECT_NE(text.find(" Version: 2.000000 \n"), std::string::npos) << "carried from the last read";

    writeText("plain.pat", "c-3 1 0 0\n");
    plugin_->settings().loadKnobPositions = 0;
    plugin_->knobPositions().set(kKnobCutoff, 0.3f);
    plugin_->applyKnobPositions();
    EXPECT_FLOAT_EQ(plugin_->getParameter(kCutoff), 1.0f) << "switched off";
    ASSERT_TRUE(plugin_->loadPatterns({path("plain.pat")}));
    ASSERT_TRUE(plugin_->savePattern(path("v.pat")));
    ASSERT_TRUE(readWholeFile(path("v.pat"), text));
    EXPECT_EQ(text.find("Version:"), std::string::npos);
}

TEST_F(PatternFileOperations, ImportAndExportWholeBanks) {
    plugin_->bank().pattern(40).header = 0x80000205;
    plugin_->bank().pattern(40).steps[4] = {9, Gate | Up | Slide};
    ASSERT_TRUE(plugin_->exportPatterns(path("bank.pat")));
    const Pattern saved = plugin_->bank().pattern(40);
    plugin_->bank().clearAll(false);
    plugin_->bank().pattern(40).setLength(1);
    EXPECT_FALSE(plugin_->importPatterns(path("none.pat")));
    EXPECT_FALSE(plugin_->editorRefreshPending());
    EXPECT_TRUE(plugin_->importPatterns(path("bank.pat")));
    EXPECT_EQ(plugin_->bank().pattern(40), saved);
    EXPECT_TRUE(plugin_->takeEditorRefresh());
    EXPECT_FALSE(plugin_->exportPatterns(path("no/such/folder.pat")));
}

TEST_F(PatternFileOperations, MenuOperationsEditTheCurrentPatternAndShareTheClipboard) {
    SynthPlugin other(nullptr, dir_);
    plugin_->selectPattern(5);
    const Pattern neighbour = plugin_->bank().pattern(4);
    Pattern& source = plugin_->bank().pattern(5);
    source.header = 0x80000003;
    source.steps[0] = {0, Gate | Up};
    source.steps[1] = {4, Slide};
    source.steps[2] = {7, Accent};
    plugin_->copyPattern();
    other.selectPattern(9);
    other.pastePattern();
    EXPECT_EQ(other.bank().pattern(9), source) << "length and triplet bit come along";

    plugin_->transposePattern(12);
    EXPECT_EQ(source.step(0), (Step{12, Gate | Up}));
    plugin_->rotatePattern(1);
    EXPECT_EQ(source.step(0), (Step{7, Accent | Up}));
    plugin_->clearStepFlags(Accent);
    EXPECT_EQ(source.step(0), (Step{7, Up}));
    plugin_->randomizeAll();
    plugin_->alterPattern();
    plugin_->randomizePitches();
    for (int i = 0; i < 3; ++i) {
        EXPECT_LT(source.step(i).note, 14);
    }
    EXPECT_EQ(plugin_->bank().pattern(4), neighbour);
}

TEST(ShippedPatterns, DefaultBankAndLibraryReadCompletely) {
    const std::string folder = VEXO_PLUGIN_DIR;
    std::string text;
    ASSERT_TRUE(readWholeFile(folder + "/DefaultPatternBank.pat", text));
    PatternBank bank;
    TextScanner in(text);
    EXPECT_EQ(readBank(bank, in), kPatternCount);
    EXPECT_TRUE(in.atEnd());
    int triplets = 0;
    int shuffled = 0;
    for (const Pattern& p : bank.patterns()) {
        triplets += p.isTriplet() ? 1 : 0;
        shuffled += p.shuffleAmount() > 0 ? 1 : 0;
        int gates = 0;
        for (int i = 0; i < p.length(); ++i) {
            gates += p.step(i).has(Gate) ? 1 : 0;
        }
        EXPECT_GT(gates, p.length() / 4);
    }
    EXPECT_GT(triplets, 4);
    EXPECT_GT(shuffled, 4);

    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder + "/Patterns")) {
        if (entry.path().extension() != ".pat") {
            continue;
        }
        ++files;
        Pattern p;
        KnobPositions knobs;
        ASSERT_TRUE(readPattern(p, entry.path().string(), &knobs));
        for (int slot = 0; slot <= kKnobTempo; ++slot) {
            EXPECT_TRUE(knobs.has(slot)) << entry.path() << " slot " << slot;
        }
        EXPECT_GE(knobs.values[kKnobTempo], 100.0f);
    }
    EXPECT_GE(files, 24);
}

}  // namespace
}  // namespace vexo

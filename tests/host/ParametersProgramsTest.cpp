// The thirteen parameters and the sixteen programs.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "PluginFixture.h"

namespace vexo {
namespace {

// Records the order in which parameters reach the plug-in.
class RecordingPlugin : public SynthPlugin {
public:
    using SynthPlugin::SynthPlugin;
    std::vector<int> changed;

protected:
    void parameterChanged(int index, float) override { changed.push_back(index); }
};

class Parameters : public test::PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        create();
    }
    std::string display(int index) {
        char text[64];
        plugin->getParameterDisplay(index, text);
        return text;
    }
    std::string name(int index) {
        char text[64] = "unchanged";
        plugin->getParameterName(index, text);
        return text;
    }
};

TEST_F(Parameters, NamesKeepTheirTrailingBlanks) {
    const char* expected[] = {"Tune     ", "Cutoff   ",      "Resonance",     "Env.mod  ", "Decay    ",
                              "Accent   ", "Drive    ",      "Distortion",    "Volume   ", "Reserved  ",
                              "Waveform ", "DistortionType", "HighpassFilter"};
    for (int i = 0; i < 13; ++i) {
        EXPECT_EQ(name(i), expected[i]) << i;
    }
    EXPECT_EQ(name(13), "unchanged");
    EXPECT_EQ(name(-1), "unchanged");
}

TEST_F(Parameters, DefaultsOfANewPlugin) {
    const float expected[] = {0.5f, 0.5f, 0.0f, 0.2f, 0.1f, 0.0f, 0.25f, 0.0f, 0.75f, 0.0f, 0.0f, 0.0f, 0.0f};
    for (int i = 0; i < 13; ++i) {
        EXPECT_EQ(plugin->getParameter(i), expected[i]) << i;
    }
    // The reserved slot of a program holds its stored default, never applied.
    EXPECT_EQ(std::bit_cast<std::uint32_t>(plugin->program(0).slots[10]), 0x3ED82D83u);
    EXPECT_NEAR(plugin->program(0).slots[10], 0.42222223f, 1e-7);
}

TEST_F(Parameters, DisplayTexts) {
    EXPECT_EQ(display(1), "50.0%");
    plugin->setParameter(kTune, 0.123f);
    EXPECT_EQ(display(kTune), "12.3%");
    plugin->setParameter(kVolume, 1.0f);
    EXPECT_EQ(display(kVolume), "100.0%");
    EXPECT_EQ(display(kReserved), "N/A");
    EXPECT_EQ(parameterDisplay(kWaveform, 0.5f), "Square");
    EXPECT_EQ(parameterDisplay(kWaveform, 0.49f), "Sawtooth");
    EXPECT_EQ(parameterDisplay(kDistortionType, 0.5f), "Foldback");
    EXPECT_EQ(parameterDisplay(kDistortionType, 0.2f), "Saturate");
    EXPECT_EQ(parameterDisplay(kHighpassFilter, 0.5f), "Off");
    EXPECT_EQ(parameterDisplay(kHighpassFilter, 0.51f), "On");
    EXPECT_EQ(display(20), "");
}

TEST_F(Parameters, SwitchesStoreExactlyZeroOrOne) {
    for (int index : {kWaveform, kDistortionType, kHighpassFilter}) {
        plugin->setParameter(index, 0.5f);
        EXPECT_EQ(plugin->getParameter(index), 0.0f);
        plugin->setParameter(index, 0.51f);
        EXPECT_EQ(plugin->getParameter(index), 1.0f);
        EXPECT_EQ(plugin->program(0).slots[kParameterInfo[index].programSlot], 1.0f);
    }
}

TEST_F(Parameters, ReservedAndUnknownIndicesStoreNothing) {
    const ProgramRecord before = plugin->program(0);
    plugin->setParameter(kReserved, 0.9f);
    plugin->setParameter(13, 0.9f);
    plugin->setParameter(-2, 0.9f);
    EXPECT_EQ(plugin->getParameter(kReserved), 0.0f);
    EXPECT_EQ(plugin->getParameter(13), 0.0f);
    EXPECT_EQ(std::memcmp(&before, &plugin->program(0), sizeof before), 0);
}

TEST_F(Parameters, ValuesGoToTheCurrentProgramSlot) {
    plugin->setProgram(3);
    plugin->setParameter(kCutoff, 0.8f);
    plugin->setParameter(kTune, 0.3f);
    EXPECT_EQ(plugin->program(3).slots[0], 0.8f);  // Cutoff lives in slot 0
    EXPECT_EQ(plugin->program(3).slots[6], 0.3f);  // Tune in slot 6
    EXPECT_EQ(plugin->program(0).slots[0], 0.5f);
}

TEST_F(Parameters, HostValuesOutsideTheRangeNeverReachTheVoice) {
    plugin->setParameter(kCutoff, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(plugin->getParameter(kCutoff), 0.5f);
    plugin->setParameter(kCutoff, std::numeric_limits<float>::infinity());
    EXPECT_EQ(plugin->getParameter(kCutoff), 0.5f);
    plugin->setParameter(kCutoff, 1.7f);
    EXPECT_EQ(plugin->getParameter(kCutoff), 1.0f);
    plugin->setParameter(kResonance, -0.2f);
    EXPECT_EQ(plugin->getParameter(kResonance), 0.0f);
}

TEST_F(Parameters, AutomationFromTheEditorTellsTheHost) {
    plugin->setParameterAutomated(kDecay, 0.6f);
    EXPECT_EQ(plugin->getParameter(kDecay), 0.6f);
    ASSERT_EQ(host.automations.size(), 1u);
    EXPECT_EQ(host.automations[0], std::make_pair(4, 0.6f));
}

TEST_F(Parameters, ProgramsStartAsDefaultAndClamp) {
    for (int i = 0; i < 16; ++i) {
        char text[64];
        ASSERT_TRUE(plugin->getProgramNameIndexed(0, i, text));
        EXPECT_STREQ(text, "Default");
    }
    plugin->setProgram(20);
    EXPECT_EQ(plugin->getProgram(), 15);
    plugin->setProgram(-4);
    EXPECT_EQ(plugin->getProgram(), 0);
}

TEST_F(Parameters, SetProgramAppliesValuesInItsOrder) {
    auto& recording = create<RecordingPlugin>();
    recording.changed.clear();
    recording.setProgram(2);
    EXPECT_EQ(recording.changed, (std::vector<int>{1, 2, 3, 4, 5, 8, 7, 9, 0, 6, 10, 11, 12}));
}

TEST_F(Parameters, SwitchingProgramsRestoresTheirValues) {
    plugin->setProgram(1);
    plugin->setParameter(kCutoff, 0.9f);
    plugin->setParameter(kWaveform, 1.0f);
    plugin->setProgram(0);
    EXPECT_EQ(plugin->getParameter(kCutoff), 0.5f);
    EXPECT_EQ(plugin->getParameter(kWaveform), 0.0f);
    plugin->setProgram(1);
    EXPECT_EQ(plugin->getParameter(kCutoff), 0.9f);
    EXPECT_EQ(plugin->getParameter(kWaveform), 1.0f);
}

TEST_F(Parameters, CopyProgramCopiesTheWholeRecord) {
    plugin->setProgram(4);
    char name[] = "Squelch";
    plugin->setProgramName(name);
    plugin->setParameter(kAccent, 0.7f);
    EXPECT_EQ(plugin->copyProgram(9), 1);
    EXPECT_EQ(std::memcmp(&plugin->program(4), &plugin->program(9), sizeof(ProgramRecord)), 0);
    EXPECT_EQ(plugin->copyProgram(16), 0);
    EXPECT_EQ(plugin->copyProgram(-1), 0);
}

TEST_F(Parameters, MidiOutputOffSendsAllNotesOff) {
    plugin->settings().midiOutputChannel = 3;
    plugin->setMidiOutput(1);
    EXPECT_TRUE(host.midi.empty());
    plugin->setMidiOutput(0);
    process(16);
    EXPECT_EQ(host.midi, (std::vector<test::SentMidi>{{0, 0xB3, 123, 0, true}}));
}

}  // namespace
}  // namespace vexo

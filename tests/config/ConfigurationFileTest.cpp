// The configuration files: reading every kind of key, writing, and start-up order.
#include <gtest/gtest.h>

#include <map>

#include "PluginFixture.h"
#include "config/ConfigurationFile.h"

namespace vexo {
namespace {

struct Recorded {
    std::vector<std::pair<int, float>> parameters;
    ParameterSink sink() {
        return [this](int index, float value) { parameters.emplace_back(index, value); };
    }
};

Settings read(const std::string& text, Recorded* recorded = nullptr) {
    Settings s;
    Recorded ignored;
    applyConfigurationText(text, s, (recorded != nullptr ? recorded : &ignored)->sink());
    return s;
}

TEST(ConfigurationFile, DefaultsOfANewSettingsRecord) {
    const Settings s;
    EXPECT_EQ(s.filterMode, 1);
    EXPECT_EQ(s.vcaNoise, 1);
    EXPECT_EQ(s.vcoGain, 2.0f);
    EXPECT_EQ(s.activeClocks, 88200);
    EXPECT_EQ(s.accentVelocity, 100);
    EXPECT_EQ(s.midiOutputChannel, -1);
    EXPECT_EQ(s.tripletScale, 0.75);
    EXPECT_EQ(s.parameterSmoothing, 1048575);
    EXPECT_EQ(s.loadDefaultBank, 1);
}

TEST(ConfigurationFile, KeysAreMatchedWithoutCaseAndLastOneWins) {
    const Settings s = read("; comment line\nfiltermode = 0\nMIDIMODE = 2\nFilterMode = 2\n");
    EXPECT_EQ(s.filterMode, 2);
    EXPECT_EQ(s.midiMode, 2);
}

TEST(ConfigurationFile, SpecialHandlings) {
    EXPECT_EQ(read("Filterslope = 18").filterMode, 1);
    EXPECT_EQ(read("Filterslope = 18").filterSlope18, 1);
    EXPECT_EQ(read("Filterslope = 24").filterMode, 0);
    EXPECT_EQ(read("Filterslope = 2").filterMode, 2);
    EXPECT_EQ(read("Filterslope = 2").filterSlope18, 0);
    EXPECT_EQ(read("AccentVelocity = 200").accentVelocity, 127);
    EXPECT_EQ(read("AccentVelocity = -4").accentVelocity, 0);
    EXPECT_EQ(read("TM6 = 2").tm6, 1.0f);
    EXPECT_EQ(read("TM3 = -1").tm3, 0.0f);
    EXPECT_EQ(read("TM4 = 3.5").tm4, 3.5f);
    EXPECT_EQ(read("FilterLeveling = 1").vcaLeveling, 1);
    EXPECT_EQ(read("EnvmodKnob = 0x1FF").envmodKnob, 0xFF);
    EXPECT_EQ(read("Highpass = oN").highpass, 1);
    EXPECT_EQ(read("Highpass = yes").highpass, 0);
    EXPECT_EQ(read("Distortion = LINEAR").distortionLinear, 1);
    EXPECT_EQ(read("ParameterSmoothing = on").parameterSmoothing, 65535);
    EXPECT_EQ(read("ParameterSmoothing = Off").parameterSmoothing, 0);
    EXPECT_EQ(read("ParameterSmoothing = 12").parameterSmoothing, 12);
    const Settings tm5 = read("TM5 = 2.5");
    EXPECT_EQ(tm5.vcoGain, 2.5f);
    EXPECT_EQ(tm5.filterTuning, 2);
    EXPECT_EQ(read("TripletScale = 0.5").tripletScale, 0.5);
    EXPECT_EQ(read("PatternDir = /somewhere").filterMode, 1);
}

TEST(ConfigurationFile, IntegersTakeAutomaticBaseFloatsAreDecimal) {
    EXPECT_EQ(read("ActiveClocks = 0x10").activeClocks, 16);
    EXPECT_EQ(read("ActiveClocks = 010").activeClocks, 8);
    EXPECT_EQ(read("ActiveClocks = 99999999999").activeClocks, 2147483647);
    EXPECT_EQ(read("VcoGain = 0x10").vcoGain, 0.0f);
    EXPECT_EQ(read("VcoGain = 1.5e0").vcoGain, 1.5f);
    EXPECT_EQ(read("VcoGain = nan").vcoGain, 0.0f);
    EXPECT_EQ(read("VcoGain = inf").vcoGain, 0.0f);
    EXPECT_EQ(read("MidiOutput = yes").midiOutput, 0);  // not a number gives 0
}

TEST(ConfigurationFile, VoiceGainsStayInAStableRange) {
    EXPECT_EQ(read("VcoGain = 1e39").vcoGain, 10.0f);  // found by fuzzing: beyond a float
    EXPECT_EQ(read("TM2 = 1e39").tm2, 0.0f);
    EXPECT_EQ(read("SmoothSpeed = -1e300").smoothSpeed, 0.0f);
    EXPECT_EQ(read("VcoGain = 50").vcoGain, 10.0f);
    EXPECT_EQ(read("VcoGain = -1").vcoGain, 0.0f);
    EXPECT_EQ(read("TM4 = 1000").tm4, 4.0f);
    EXPECT_EQ(read("TM4 = 3.9").tm4, 3.9f);
    EXPECT_EQ(read("TM5 = 12").vcoGain, 10.0f);
    EXPECT_EQ(read("RelativeTuning = 5").relativeTuning, 1.0f);
    EXPECT_EQ(read("RelativeTuning = 1.002").relativeTuning, 1.002f);
}

TEST(ConfigurationFile, KeyGluedToItsEqualsSignSetsNothing) {
    // The whole "FilterMode=0" is a key, and the next token of the file its value.
    const Settings s = read("FilterMode=0\nVCANoise = 0\nMidiMode = 2\n");
    EXPECT_EQ(s.filterMode, 1);
    EXPECT_EQ(s.vcaNoise, 1);
    EXPECT_EQ(s.midiMode, 2);
}

TEST(ConfigurationFile, TempoAndDefaultVolumeSetParameters) {
    Recorded recorded;
    read("Tempo = 120\nDefaultVolume = 127\n", &recorded);
    ASSERT_EQ(recorded.parameters.size(), 2u);
    EXPECT_EQ(recorded.parameters[0].first, 9);
    EXPECT_FLOAT_EQ(recorded.parameters[0].second, 95.0f / 225.0f);
    EXPECT_EQ(recorded.parameters[1], std::make_pair(8, 1.0f));
}

TEST(ConfigurationFile, GarbageTruncatedAndOverlongInputNeverChangesUnreadSettings) {
    std::string garbage;
    for (int i = 0; i < 4096; ++i) {
        garbage += static_cast<char>((i * 7919) % 256);
    }
    const Settings s = read(garbage);
    EXPECT_EQ(s.filterMode, 1);
    EXPECT_EQ(s.accentVelocity, 100);

    EXPECT_EQ(read("MidiMode = ").midiMode, 0);  // ends before the value: read as 0
    EXPECT_EQ(read("MidiMode").midiMode, 0);
    EXPECT_EQ(read(";MidiMode = 2").midiMode, 0);
    // An over-long key is cut at 79 characters; the rest becomes the next token.
    EXPECT_EQ(read(std::string(100, 'K') + " = 5\nMidiMode = 2").midiMode, 2);
    EXPECT_EQ(read("MidiMode = 2\r\nSyncMode = 1\r\n").syncMode, 1);
    const std::string longValue = "MidiMode = " + std::string(200, '2');
    EXPECT_EQ(read(longValue).midiMode, 2147483647);
}

TEST(ConfigurationFile, WrittenFileHoldsTheTwentyTwoKeysAndReadsBack) {
    Settings s;
    s.filterMode = 0;
    s.vcaLeveling = 1;
    s.vcaNoise = 0;
    s.vcoGain = 1.25f;
    s.tm6 = 0.75f;
    s.tm3 = 0.125f;
    s.syncMode = 1;
    s.midiMode = 2;
    s.tuningMode = 1;
    s.clearNotes = 0;
    s.programmingMode = 1;
    s.accentVelocity = 64;
    s.activeClocks = 1000;
    s.guiKnobMode = 1;
    s.midiOutput = 1;
    s.midiOutputChannel = 9;
    s.loadKnobPositions = 0;
    s.saveKnobPositions = 0;
    s.loadDefaultBank = 0;
    s.outputClipping = 1;
    s.midiTransmitKnobs = 1;
    s.midiKeyProgramming = 1;
    s.capNotes = 1;  // not one of the written keys

    const std::string text = configurationText(s);
    EXPECT_EQ(text.substr(0, text.find('\n')), "; VEXO Configuration");
    EXPECT_NE(text.find("\nVcoGain = 1.250000\n"), std::string::npos);
    EXPECT_NE(text.find("\nMidiOutputChannel = 9\n"), std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 23);

    const Settings back = read(text);
    EXPECT_EQ(configurationText(back), text);
    EXPECT_EQ(back.capNotes, 0);  // lost by saving
}

TEST(ConfigurationFile, WritingIntoAMissingFolderFails) {
    EXPECT_FALSE(writeConfigurationFile("/nonexistent-folder/Config.ini", Settings{}));
    Settings s;
    EXPECT_FALSE(readConfigurationFile("/nonexistent-folder/Config.ini", s, {}));
}

class StartUp : public test::PluginFixture {};

TEST_F(StartUp, UserFileOverridesConfigAndTransmitKnobsIsNeverNegative) {
    writeConfig("Config.ini", "MidiMode = 2\nAccentVelocity = 90\nMidiTransmitKnobs = -3\n");
    writeConfig("User.ini", "AccentVelocity = 70\nDefaultVolume = 0\n");
    create();
    EXPECT_EQ(plugin->settings().midiMode, 2);
    EXPECT_EQ(plugin->settings().accentVelocity, 70);
    EXPECT_EQ(plugin->settings().midiTransmitKnobs, 0);
    EXPECT_EQ(plugin->getParameter(kVolume), 0.0f);
}

TEST_F(StartUp, ClearNotesDecidesHowPatternsStart) {
    create();
    EXPECT_EQ(plugin->bank().pattern(77).step(3), (Step{0, StepFlags::Gate}));
    writeConfig("Config.ini", "ClearNotes = 0\n");
    create();
    EXPECT_EQ(plugin->bank().pattern(77).step(3), (Step{0, 0}));
}

TEST_F(StartUp, PluginWritesAndReloadsItsConfiguration) {
    create();
    plugin->settings().filterMode = 2;
    EXPECT_EQ(plugin->writeConfiguration(), 1);
    EXPECT_EQ(test::readFile(folder.file("Config.ini")).find("FilterMode = 2\n"), 21u);
    plugin->settings().filterMode = 0;
    EXPECT_EQ(plugin->readConfiguration("Config.ini"), 1);
    EXPECT_EQ(plugin->settings().filterMode, 2);
    EXPECT_EQ(plugin->readConfiguration("Missing.ini"), 1);
}

}  // namespace
}  // namespace vexo

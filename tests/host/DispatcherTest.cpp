// What a host sees through the AEffect record and the dispatcher.
#include <gtest/gtest.h>

#include <cstring>

#include "PluginFixture.h"

namespace vexo {
namespace {

using test::PluginFixture;

class Dispatcher : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        create();
    }
    std::string text(VstInt32 opcode, VstInt32 index = 0) {
        char buffer[128];
        std::memset(buffer, 'x', sizeof buffer);
        buffer[sizeof buffer - 1] = 0;
        dispatch(opcode, index, 0, buffer);
        return buffer;
    }
};

TEST_F(Dispatcher, EffectRecordCarriesIdentity) {
    const AEffect* e = plugin->getAeffect();
    EXPECT_EQ(e->magic, 0x56737450);
    EXPECT_EQ(e->numPrograms, 16);
    EXPECT_EQ(e->numParams, 13);
    EXPECT_EQ(e->numInputs, 0);
    EXPECT_EQ(e->numOutputs, 2);
    EXPECT_EQ(e->flags, effFlagsCanReplacing | effFlagsProgramChunks | effFlagsIsSynth);
    EXPECT_FLOAT_EQ(e->ioRatio, 1.0f);
    EXPECT_EQ(e->uniqueID, ('V' << 24) | ('E' << 16) | ('X' << 8) | 'O');
    EXPECT_EQ(e->version, 1);
    EXPECT_EQ(e->object, plugin.get());
    EXPECT_NE(e->processReplacing, nullptr);
    EXPECT_EQ(e->processDoubleReplacing, nullptr);
    EXPECT_EQ(e->initialDelay, 0);
}

TEST_F(Dispatcher, AnswersTheFixedRequests) {
    EXPECT_EQ(dispatch(effOpen), 0);
    EXPECT_EQ(dispatch(effIdentify), ('N' << 24) | ('v' << 16) | ('E' << 8) | 'f');
    EXPECT_EQ(dispatch(effGetPlugCategory), kPlugCategSynth);
    EXPECT_EQ(dispatch(effGetVendorVersion), 1);
    EXPECT_EQ(dispatch(effGetTailSize), 0);
    EXPECT_EQ(dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(dispatch(effGetCurrentMidiProgram), -1);
    EXPECT_EQ(dispatch(effHasMidiProgramsChanged), 1);
    EXPECT_EQ(dispatch(effSetTotalSampleToProcess, 0, 12345), 12345);
    EXPECT_EQ(dispatch(effGetNumMidiInputChannels), 1);
    EXPECT_EQ(dispatch(effGetNumMidiOutputChannels), 1);
    EXPECT_EQ(dispatch(effGetInputProperties, 0, 0, nullptr), 0);
    for (int parameter = 0; parameter < 13; ++parameter) {
        EXPECT_EQ(dispatch(effCanBeAutomated, parameter), 1);
    }
    // Unknown opcodes and the editor opcodes without an editor do nothing.
    EXPECT_EQ(dispatch(9999), 0);
    EXPECT_EQ(dispatch(effEditOpen), 0);
    EXPECT_EQ(dispatch(effEditIdle), 0);
    ERect* rect = nullptr;
    EXPECT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 0);
    EXPECT_EQ(dispatch(effEditKeyDown, 'a', 0), 0);
}

TEST_F(Dispatcher, NamesAndStrings) {
    EXPECT_EQ(text(effGetEffectName), "VEXO");
    EXPECT_EQ(text(effGetVendorString), "Fernwave");
    EXPECT_EQ(text(effGetProductString), "VEXO");
    EXPECT_EQ(dispatch(effGetEffectName, 0, 0, text(effGetEffectName).data()), 1);
}

TEST_F(Dispatcher, CanDoMatchesExactly) {
    for (const char* yes : {"receiveVstEvents", "receiveVstMidiEvent", "receiveVstTimeInfo", "sendVstEvents",
                            "sendVstMidiEvent", "sendVstTimeInfo"}) {
        EXPECT_EQ(dispatch(effCanDo, 0, 0, const_cast<char*>(yes)), 1) << yes;
    }
    for (const char* no : {"ReceiveVstEvents", "receiveVstEvents ", "receiveVst", "offline", ""}) {
        EXPECT_EQ(dispatch(effCanDo, 0, 0, const_cast<char*>(no)), -1) << no;
    }
}

TEST_F(Dispatcher, OutputPins) {
    VstPinProperties pin;
    std::memset(&pin, 0x55, sizeof pin);
    EXPECT_EQ(dispatch(effGetOutputProperties, 0, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "VEXO 1");
    EXPECT_EQ(pin.flags, kVstPinIsActive | kVstPinIsStereo);
    EXPECT_EQ(dispatch(effGetOutputProperties, 1, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "VEXO 2");
    EXPECT_EQ(dispatch(effGetOutputProperties, 2, 0, &pin), 0);
    EXPECT_EQ(dispatch(effGetOutputProperties, -1, 0, &pin), 0);
}

TEST_F(Dispatcher, ProgramRequests) {
    EXPECT_EQ(dispatch(effGetProgram), 0);
    dispatch(effSetProgram, 0, 7);
    EXPECT_EQ(dispatch(effGetProgram), 7);
    dispatch(effSetProgram, 0, 16);  // 16 or more is ignored
    EXPECT_EQ(dispatch(effGetProgram), 7);
    dispatch(effSetProgram, 0, -1);  // negative values select program 0
    EXPECT_EQ(dispatch(effGetProgram), 0);

    char name[64] = "Bassline of the night, far too long to keep";
    dispatch(effSetProgramName, 0, 0, name);
    EXPECT_EQ(text(effGetProgramName), "Bassline of the night, ");  // cut to 23 characters
    EXPECT_EQ(dispatch(effGetProgramNameIndexed, 15, 0, name), 1);
    EXPECT_STREQ(name, "Default");
    EXPECT_EQ(dispatch(effGetProgramNameIndexed, 16, 0, name), 0);
    EXPECT_EQ(dispatch(effGetProgramNameIndexed, -3, 0, name), 0);
}

TEST_F(Dispatcher, ParameterTextsThroughTheDispatcher) {
    EXPECT_EQ(text(effGetParamName, 7), "Distortion");
    EXPECT_EQ(text(effGetParamDisplay, 1), "50.0%");
    EXPECT_EQ(text(effGetParamLabel, 1), " ");
    // Outside 0..12: the name stays as the host left it, the display is empty.
    EXPECT_EQ(text(effGetParamName, 13).substr(0, 3), "xxx");
    EXPECT_EQ(text(effGetParamDisplay, 13), "");
    EXPECT_EQ(text(effGetParamLabel, 13), " ");
}

TEST_F(Dispatcher, ChunkAndSetupRequests) {
    void* data = nullptr;
    EXPECT_EQ(dispatch(effGetChunk, 0, 0, &data), 20128);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(dispatch(effSetChunk, 0, 20128, data), 20128);
    dispatch(effSetSampleRate, 0, 0, nullptr, 96000.0f);
    EXPECT_EQ(plugin->getSampleRate(), 96000.0f);
    dispatch(effSetBlockSize, 0, 256);
    EXPECT_EQ(plugin->getBlockSize(), 256);
    dispatch(effMainsChanged, 0, 1);
    EXPECT_EQ(host.wantMidiCalls, 1);
    VstEvents none{};
    EXPECT_EQ(dispatch(effProcessEvents, 0, 0, &none), 1);
}

TEST_F(Dispatcher, MidiKeyNames) {
    MidiKeyName key{};
    key.thisKeyNumber = 5;
    EXPECT_EQ(dispatch(effGetMidiKeyName, 0, 0, &key), 1);
    EXPECT_STREQ(key.keyName, "Pattern 5");

    plugin->settings().midiKeyProgramming = 1;
    for (auto [number, name] : std::vector<std::pair<int, const char*>>{
             {36, "Run/Stop"}, {37, "Pattern"}, {39, "Clear"}, {48, "Start"}, {50, "C"}, {84, "Next"}}) {
        key.thisKeyNumber = number;
        EXPECT_EQ(dispatch(effGetMidiKeyName, 0, 0, &key), 1);
        EXPECT_STREQ(key.keyName, name);
    }
    std::strcpy(key.keyName, "untouched");
    key.thisKeyNumber = 60;
    EXPECT_EQ(dispatch(effGetMidiKeyName, 0, 0, &key), 1);
    EXPECT_STREQ(key.keyName, "untouched");

    plugin->settings().midiMode = 2;
    key.thisKeyNumber = 36;
    EXPECT_NE(dispatch(effGetMidiKeyName, 0, 0, &key), 0);
    EXPECT_STREQ(key.keyName, "untouched");
}

TEST_F(Dispatcher, CloseThroughTheRecordDeletesTheObject) {
    AEffect* e = plugin.release()->getAeffect();
    EXPECT_EQ(e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f), 1);
    // The destructor wrote the controller map back into the plug-in folder.
    EXPECT_FALSE(test::readFile(folder.file("MidiCC.ini")).empty());
}

TEST(Construction, WithoutHostCallbackLeavesPinsAndFlagsUnset) {
    test::TempDir folder;
    SynthPlugin plugin(nullptr, folder.dir());
    const AEffect* e = plugin.getAeffect();
    EXPECT_EQ(e->numOutputs, 0);
    EXPECT_EQ(e->flags & effFlagsIsSynth, 0);
    EXPECT_EQ(e->flags & effFlagsProgramChunks, effFlagsProgramChunks);
    EXPECT_EQ(e->uniqueID, kUniqueId);
}

}  // namespace
}  // namespace vexo

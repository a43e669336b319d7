// The controller map, the key map and the map files that carry both.
#include <gtest/gtest.h>

#include "PluginFixture.h"
#include "config/ControllerMap.h"

namespace vexo {
namespace {

TEST(ControllerMap, Defaults) {
    const ControllerMap map;
    const std::pair<int, int> defaults[] = {{7, 8},  {70, 10}, {71, 0},  {74, 1}, {76, 2}, {77, 3},
                                            {78, 4}, {79, 5},  {80, 11}, {91, 7}, {92, 6}};
    int mapped = 0;
    for (int c = 0; c < 128; ++c) {
        mapped += map.parameterFor(c) >= 0 ? 1 : 0;
    }
    EXPECT_EQ(mapped, 11);
    for (auto [controller, parameter] : defaults) {
        EXPECT_EQ(map.parameterFor(controller), parameter);
        EXPECT_EQ(map.controllerForParameter(parameter), controller);
    }
    EXPECT_EQ(map.controllerForParameter(9), -1);
    EXPECT_EQ(map.controllerForParameter(12), -1);
}

TEST(ControllerMap, AssignmentMovesAParameter) {
    ControllerMap map;
    map.assignController(21, 1);  // Cutoff from 74 to 21
    EXPECT_EQ(map.parameterFor(21), 1);
    EXPECT_EQ(map.parameterFor(74), -1);
    map.assignController(21, 2);  // Resonance takes 21; Cutoff loses its controller
    EXPECT_EQ(map.controllerForParameter(1), -1);
    EXPECT_EQ(map.controllerForParameter(2), 21);
    EXPECT_EQ(map.parameterFor(76), -1);
    map.assignController(128, 3);  // outside the map: ignored
    map.assignController(-1, 3);
    EXPECT_EQ(map.controllerForParameter(3), 77);
}

TEST(KeyMap, DefaultsAndLearning) {
    KeyMap keys;
    const int defaults[] = {48, 72, 74, 76, 77, 36, 38, 84, 83, 82, 37, 39, 78};
    for (int e = 0; e < KeyMap::Count; ++e) {
        EXPECT_EQ(keys.key(e), defaults[e]);
    }
    keys.assignKey(KeyMap::Gate, 36);  // Run/Stop's key moves to Gate
    EXPECT_EQ(keys.key(KeyMap::Gate), 36);
    EXPECT_EQ(keys.key(KeyMap::RunStop), -1);
}

TEST(ControllerMapFile, ItemsApplyInOrder) {
    ControllerMap map;
    KeyMap keys;
    applyControllerMapText(
        "; my map\nmidicc.cutoff = 21\nMidiCC.Resonance=21\n MidiCC.Decay = 0x4A ; hex\n"
        "MidiCC.Volume = 300\nUnknown = 5\n",
        map, keys);
    EXPECT_EQ(map.controllerForParameter(1), -1);
    EXPECT_EQ(map.controllerForParameter(2), 21);
    EXPECT_EQ(map.parameterFor(74), 4);
    EXPECT_EQ(map.controllerForParameter(8), 7);  // 300 is no controller: ignored
}

TEST(ControllerMapFile, BlocksNeverWriteOutsideTheirArrays) {
    ControllerMap map;
    KeyMap keys;
    applyControllerMapText("MidiMapSize = 3\n5\n6\n7\nMidiKeyMapping = 2\n60 61\n", map, keys);
    EXPECT_EQ(map.parameterFor(0), 5);
    EXPECT_EQ(map.parameterFor(2), 7);
    EXPECT_EQ(map.parameterFor(7), 8);  // beyond the block: untouched
    EXPECT_EQ(keys.key(0), 60);
    EXPECT_EQ(keys.key(1), 61);
    EXPECT_EQ(keys.key(2), 74);

    ControllerMap other;
    KeyMap otherKeys;
    // Sizes out of range are skipped without reading their numbers as items.
    applyControllerMapText("MidiMapSize = 500\nMidiKeyMapping = 14\nMidiCC.Tune = 3\n", other, otherKeys);
    EXPECT_EQ(other.parameterFor(3), 0);
    EXPECT_EQ(otherKeys.key(0), 48);
    // A block cut short by the end of the file keeps what it read.
    applyControllerMapText("MidiMapSize = 128\n1\n2", other, otherKeys);
    EXPECT_EQ(other.parameterFor(1), 2);
    EXPECT_EQ(other.parameterFor(2), -1);
}

TEST(ControllerMapFile, WrittenFileHas143LinesAndRoundTrips) {
    ControllerMap map;
    KeyMap keys;
    map.assignController(20, 4);
    keys.assignKey(KeyMap::Clear, 61);
    const std::string text = controllerMapText(map, keys);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 143);
    EXPECT_EQ(text.substr(0, 19), "MidiMapSize = 128\n-");
    EXPECT_NE(text.find("MidiKeyMapping = 13\n48\n"), std::string::npos);

    ControllerMap back;
    back.clear();
    KeyMap backKeys;
    backKeys.clear();
    applyControllerMapText(text, back, backKeys);
    EXPECT_EQ(controllerMapText(back, backKeys), text);
}

class MapFiles : public test::PluginFixture {};

TEST_F(MapFiles, ReadAtStartWrittenAtDestruction) {
    writeConfig("MidiCC.ini", "MidiCC.Cutoff = 30\nMidiKeyMapping = 1\n40\n");
    create();
    EXPECT_EQ(plugin->controllerMap().parameterFor(30), 1);
    EXPECT_EQ(plugin->keyMap().key(KeyMap::PitchKeys), 40);
    plugin->controllerMap().assignController(31, 2);
    plugin.reset();
    const std::string saved = test::readFile(folder.file("MidiCC.ini"));
    ControllerMap map;
    KeyMap keys;
    applyControllerMapText(saved, map, keys);
    EXPECT_EQ(map.parameterFor(30), 1);
    EXPECT_EQ(map.parameterFor(31), 2);
    EXPECT_EQ(keys.key(KeyMap::PitchKeys), 40);
    EXPECT_FALSE(readControllerMap(folder.file("missing.map"), map, keys));
    EXPECT_TRUE(writeControllerMap(folder.file("mine.map"), map, keys));
    EXPECT_EQ(test::readFile(folder.file("mine.map")), saved);
}

}  // namespace
}  // namespace vexo

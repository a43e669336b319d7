// The skin file grammar, its bounds against bad input, image loading and skin selection.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "TestSupport.h"
#include "editor/skin/SkinDefinition.h"
#include "editor/skin/SkinSelection.h"

namespace vexo {
namespace {

using test::TempDir;
using test::writeFile;

SkinDefinition parsed(const std::string& text) {
    SkinDefinition skin;
    skin.parseText(text);
    return skin;
}

void writePng(const std::string& path, int width, int height) {
    ASSERT_TRUE(CBitmap(width, height).savePng(path)) << path;
}

TEST(SkinDefinition, NameTableHasUniqueNamesAndIds) {
    std::set<std::string> names;
    std::set<int> ids;
    for (const SkinElementName& row : kSkinElementNames) {
        names.insert(row.name);
        ids.insert(row.id);
    }
    EXPECT_EQ(names.size(), 159u);
    EXPECT_EQ(ids.size(), 159u);
    EXPECT_EQ(SkinDefinition::elementName("cutoffKnob"), 202);
    EXPECT_EQ(SkinDefinition::elementName("ILLUBUTTON14"), 714);
    EXPECT_EQ(SkinDefinition::elementName("B_NEXT"), 323);
    EXPECT_EQ(SkinDefinition::elementName("highpass_switch"), 211);
    EXPECT_EQ(SkinDefinition::elementName("FUNCTIONLED1"), 802);
    EXPECT_EQ(SkinDefinition::elementName("CUTOFF"), -1);
}

TEST(SkinDefinition, GlobalSettingsAndResetKeepsVersionAndColours) {
    SkinDefinition skin = parsed(
        "NAME \"Studio Grey\"\nCROSSFADE 1\nTRANSPARENTCOLOR 1, 2 , 300\nCABLETYPE 3\n"
        "CABLETINT 4,5,6\nLEDCOLOR 5, 0.5, 0.25, 1\nLEDCOLOR 300, 9, 9, 9\nVERSION 3\n"
        "; a comment as the last line, without a line feed");
    EXPECT_EQ(skin.name(), "Studio Grey");
    EXPECT_EQ(skin.blendMode(), 1);
    EXPECT_EQ(skin.transparentColor(), (CColor{1, 2, 44, 255}));
    EXPECT_EQ(skin.cableType(), 3);
    EXPECT_EQ(skin.cableTint().blue, 6);
    EXPECT_EQ(skin.ledColors()[5].red, 0.5f);
    EXPECT_EQ(skin.ledColors()[5].blue, 1.0f);
    for (std::size_t i = 0; i < skin.ledColors().size(); ++i) {
        if (i != 5) {
            EXPECT_EQ(skin.ledColors()[i].red, 0.0f) << i;
        }
    }

    skin.parseText("BLENDMODE 0");
    EXPECT_EQ(skin.name(), "Default");
    EXPECT_EQ(skin.version(), 3);
    EXPECT_EQ(skin.transparentColor().red, 1);
    EXPECT_EQ(skin.cableType(), 3);
}

TEST(SkinDefinition, ElementsWithOffsetNegativeSizeAndFirstIdWinning) {
    const SkinDefinition skin = parsed(
        "OFFSET 10, 20\nBACKGROUND \"bg.png\", 0, 0, 800, 600\nOFFSET 0,0\n"
        "MIDILED \"led.png\" , 100, 5, -40, -6\nmidiled \"other.png\", 1, 1, 1, 1\n");
    ASSERT_EQ(skin.elements().size(), 3u);
    EXPECT_EQ(skin.elementRect(kBackground), CRect(10, 20, 810, 620));
    EXPECT_EQ(skin.elementRect(kMidiLed), CRect(60, -1, 100, 5));
    EXPECT_EQ(skin.elementIndex(kMidiLed), 1);
    EXPECT_EQ(skin.elements()[1].file, "led.png");
    EXPECT_EQ(skin.elements()[1].form, -1);
    EXPECT_EQ(skin.elementIndex(kSplash), -1);
    EXPECT_EQ(skin.elementRect(kSplash), CRect());
}

TEST(SkinDefinition, LabelledElementsNeedVersionTwo) {
    const SkinDefinition before = parsed("mylabel CUTOFFKNOB \"knob.png\", 1, 2, 3, 4, 5, 6, 7\n");
    // Below version 2 the label is skipped and CUTOFFKNOB reads as a plain element.
    ASSERT_EQ(before.elements().size(), 1u);
    EXPECT_EQ(before.elements()[0].form, -1);
    EXPECT_EQ(before.elements()[0].extra1, 0);

    const SkinDefinition skin = parsed(
        "VERSION 2\nmylabel CUTOFFKNOB \"knob.png\", 1, 2, 3, 4, 5, 6, 7\n"
        "other NOTHING \"x.png\", 1, 2, 3, 4, 5, 6, 7\nDECAYKNOB \"d.png\", 1, 1, 1, 1\n");
    ASSERT_EQ(skin.elements().size(), 2u);
    const SkinElement& e = skin.elements()[0];
    EXPECT_EQ(e.id, 202);
    EXPECT_EQ(e.label, "mylabel");
    EXPECT_EQ(e.form, 0);
    EXPECT_EQ(e.x, 1);
    EXPECT_EQ(e.y, 2);
    EXPECT_EQ(e.w, 3);
    EXPECT_EQ(e.h, 4);
    EXPECT_EQ(e.extra1, 5);
    EXPECT_EQ(e.extra2, 6);
    EXPECT_EQ(e.extra3, 7);
    EXPECT_EQ(skin.elements()[1].id, kDecayKnob);
}

TEST(SkinDefinition, MalformedNumbersAndLongTextsAreContained) {
    const SkinDefinition skin = parsed(
        "OFFSET 5, 6\nOFFSET 7, abc\nTRANSPARENTCOLOR 1, x, 3\nCROSSFADE 99999999999\n"
        "NAME \"" +
        std::string(300, 'n') +
        "\"\nNAME unquoted\n"
        "SPLASH \"" +
        std::string(400, 'f') + "\", 1, 2, 3, 4\nVERSION -");
    EXPECT_EQ(skin.offsetX(), 7);
    EXPECT_EQ(skin.offsetY(), 6);
    EXPECT_EQ(skin.transparentColor(), (CColor{1, 255, 0, 255}));
    EXPECT_EQ(skin.blendMode(), 2147483647);
    EXPECT_EQ(skin.name(), std::string(255, 'n'));
    EXPECT_EQ(skin.version(), 1);
    ASSERT_EQ(skin.elements().size(), 1u);
    EXPECT_EQ(skin.elements()[0].file, std::string(255, 'f'));
    EXPECT_EQ(skin.elementRect(kSplash), CRect(8, 8, 11, 12));
}

TEST(SkinDefinition, MoreThan1024ElementsAreRefused) {
    std::string text;
    for (int i = 0; i < 1100; ++i) {
        text += "LIGHTMAP1 \"l.png\", " + std::to_string(i) + ", 0, 1, 1\n";
    }
    text += "SPLASH \"s.png\", 0, 0, 1, 1\n";
    const SkinDefinition skin = parsed(text);
    ASSERT_EQ(skin.elements().size(), kMaxSkinElements);
    EXPECT_EQ(skin.elements().back().x, 1023);
    EXPECT_EQ(skin.elementIndex(kSplash), -1);
}

TEST(SkinDefinition, IncludeResetsKeepsVersionAndIsBounded) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("parts"));
    writeFile(dir.file("main.skn"),
              "VERSION 2\nBACKGROUND \"bg.png\", 0, 0, 10, 10\nINCLUDE \"parts\\knobs.skn\"\n"
              "MIDILED \"led.png\", 1, 1, 2, 2\n");
    writeFile(dir.file("parts/knobs.skn"), "TUNINGKNOB \"k.png\", 0, 0, 5, 5\n");
    SkinDefinition skin;
    skin.setSkinDirectory(dir.path());
    ASSERT_TRUE(skin.parse(dir.file("main.skn")));
    ASSERT_EQ(skin.elements().size(), 2u);
    EXPECT_EQ(skin.elements()[0].id, kTuningKnob);
    EXPECT_EQ(skin.elements()[1].id, kMidiLed);
    EXPECT_EQ(skin.version(), 2);

    // A file including itself goes on after the INCLUDE with what it has.
    writeFile(dir.file("cycle.skn"), "SPLASH \"s.png\", 0,0,1,1\nINCLUDE \"./cycle.skn\"\nMIDILED \"m.png\", 0,0,1,1");
    ASSERT_TRUE(skin.parse(dir.file("cycle.skn")));
    EXPECT_EQ(skin.elements().size(), 2u);

    // A chain of 20 files: the 17th level is not read.
    for (int i = 0; i < 20; ++i) {
        writeFile(dir.file("chain" + std::to_string(i) + ".skn"), "INCLUDE \"chain" + std::to_string(i + 1) +
                                                                      ".skn\"\nLIGHTMAP" + std::to_string(i + 1) +
                                                                      " \"l.png\", 0, 0, 1, 1\n");
    }
    ASSERT_TRUE(skin.parse(dir.file("chain0.skn")));
    EXPECT_EQ(skin.elements().size(), 17u);
    EXPECT_GE(skin.elementIndex(kLightMap17), 0);
    EXPECT_EQ(skin.elementIndex(kLightMap18), -1);

    EXPECT_FALSE(skin.parse(dir.file("missing.skn")));
    EXPECT_TRUE(skin.elements().empty());
}

TEST(SkinDefinition, ImagesLoadOncePerNameAndBadFilesLeaveNone) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("img"));
    writePng(dir.file("img/knob.png"), 40, 80);
    writeFile(dir.file("broken.png"), "not a png");
    SkinDefinition skin;
    skin.parseText(
        "CUTOFFKNOB \"img\\knob.png\", 0,0,40,40\nDECAYKNOB \"IMG/KNOB.PNG\", 50,0,40,40\n"
        "SPLASH \"broken.png\", 0,0,1,1\nMIDILED \"absent.png\", 0,0,1,1\nTEMPOROCKER \"\", 0,0,1,1\n");
    EXPECT_TRUE(skin.loadImages(dir.dir()));
    ASSERT_EQ(skin.images().size(), 1u);
    const SharedBitmap knob = skin.elementImage(kCutoffKnob);
    ASSERT_NE(knob, nullptr);
    EXPECT_EQ(knob->getHeight(), 80);
    EXPECT_EQ(skin.elementImage(kDecayKnob), knob);
    EXPECT_EQ(skin.elementImage(kSplash), nullptr);
    EXPECT_EQ(skin.elementImage(kMidiLed), nullptr);
    EXPECT_EQ(skin.elementImage(kTempoRocker), nullptr);
    EXPECT_EQ(skin.elementImage(kVolumeKnob), nullptr);
}

TEST(SkinDefinition, SelectionFallsBackToTheDefaultSkinWithItsImages) {
    TempDir dir;
    writePng(dir.file("panel.png"), 300, 200);
    writeFile(dir.file(std::string(kFallbackSkinName) + ".skn"), "BACKGROUND \"panel.png\", 0, 0, 300, 200\n");
    writeFile(dir.file("Other.skn"), "OFFSET 5, 5\nBACKGROUND \"panel.png\", 0, 0, 100, 50\n");
    SkinDefinition skin;
    int width = -1;
    int height = -1;

    EXPECT_TRUE(selectSkin(skin, dir.path(), "Other", width, height));
    EXPECT_EQ(width, 105);
    EXPECT_EQ(height, 55);

    EXPECT_FALSE(selectSkin(skin, dir.dir(), "", width, height));
    EXPECT_EQ(width, 300);
    EXPECT_EQ(height, 200);
    EXPECT_TRUE(skin.images().empty());  // decoded when the panel opens
    skin.loadImages(skin.skinDirectory());
    ASSERT_NE(skin.elementImage(kBackground), nullptr);
    EXPECT_EQ(skin.elementImage(kBackground)->getWidth(), 300);

    TempDir empty;
    EXPECT_FALSE(selectSkin(skin, empty.dir(), "Other", width, height));
    EXPECT_EQ(width, 0);
    EXPECT_EQ(height, 0);
    EXPECT_TRUE(skin.elements().empty());
    EXPECT_TRUE(skin.images().empty());
}

}  // namespace
}  // namespace vexo

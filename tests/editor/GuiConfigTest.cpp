// The editor's settings file: reading its keys, the exact saved form, and failures.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "editor/GuiConfig.h"

namespace vexo {
namespace {

GuiSettings read(const std::string& text) {
    GuiSettings s;
    readGuiConfigText(s, text);
    return s;
}

TEST(GuiConfig, ReadsEveryKeyWithoutCaseAndSkipsUnknownOnes) {
    const GuiSettings s = read(
        "; comment\nknobmode = 0\nSKINSHOWDIALOG = 0\nUseKeyboard = 3\nProgrammingMode = 2\n"
        "Unknown = 5\nFunctionButton1 = 4\nfunctionbutton2 = 17\nClearConfirm = 1\nAuditionNotes = 0\n"
        "Skin = \"My Skin\"\n");
    EXPECT_EQ(s.knobMode, 0);
    EXPECT_EQ(s.skinShowDialog, 0);
    EXPECT_EQ(s.useKeyboard, 1);
    EXPECT_EQ(s.programmingMode, 0);
    EXPECT_EQ(s.functionButton1, 4);
    EXPECT_EQ(s.functionButton2, 17);
    EXPECT_EQ(s.clearConfirm, 1);
    EXPECT_EQ(s.auditionNotes, 0);
    EXPECT_EQ(s.skin, "My Skin");
}

TEST(GuiConfig, EmptyMissingAndMalformedValues) {
    EXPECT_EQ(read("Skin = \"\"").skin, "");
    EXPECT_EQ(read("Skin = NoQuote\nKnobMode = 1").skin, "DuzazezorAduviz2");
    EXPECT_EQ(read("Skin = NoQuote\nKnobMode = 1").knobMode, 1);
    EXPECT_EQ(read("Skin = \"" + std::string(300, 's') + "\"").skin, std::string(255, 's'));
    // An unclosed quote ends with its line.
    const GuiSettings unclosed = read("Skin = \"Open\nKnobMode = 3\n");
    EXPECT_EQ(unclosed.skin, "Open");
    EXPECT_EQ(unclosed.knobMode, 3);
    EXPECT_EQ(read("ClearConfirm = 1\nKnobMode =").knobMode, 2);
    EXPECT_EQ(read("KnobMode = x\n").knobMode, 2);
    EXPECT_EQ(read("SkinShowDialog = 7x\n").skinShowDialog, 7);
    EXPECT_EQ(read("SkinShowDialog = off\n").skinShowDialog, 1);
    EXPECT_EQ(read("FunctionButton1 = 99999999999\n").functionButton1, 2147483647);
}

TEST(GuiConfig, WritesTheExactTenLinesAndReadsThemBack) {
    test::TempDir dir;
    GuiSettings s;
    s.skin = "Large";
    s.functionButton2 = 12;
    s.useKeyboard = 1;
    ASSERT_TRUE(writeGuiConfig(s, dir.file("Gui.ini")));
    EXPECT_EQ(test::readFile(dir.file("Gui.ini")),
              "; VEXO GUI configuration\n"
              "; Value of \"\" means default (built-in) skin\n"
              "Skin = \"Large\"\n"
              "SkinShowDialog = 1\n"
              "ClearConfirm = 0\n"
              "AuditionNotes = 1\n"
              "KnobMode = 2\n"
              ";\n"
              "FunctionButton1 = -1\n"
              "FunctionButton2 = 12\n");

    GuiSettings back;
    back.functionButton1 = 3;
    ASSERT_TRUE(readGuiConfig(back, dir.file("Gui.ini")));
    EXPECT_EQ(back.skin, "Large");
    EXPECT_EQ(back.functionButton1, -1);
    EXPECT_EQ(back.functionButton2, 12);
    EXPECT_EQ(back.useKeyboard, 0);
    EXPECT_EQ(guiConfigText(back), guiConfigText(s));
}

TEST(GuiConfig, MissingOrUnwritableFilesChangeNothing) {
    test::TempDir dir;
    GuiSettings s;
    s.knobMode = 1;
    EXPECT_FALSE(readGuiConfig(s, dir.file("absent.ini")));
    EXPECT_EQ(s.knobMode, 1);
    EXPECT_FALSE(writeGuiConfig(s, dir.file("no/such/folder/Gui.ini")));
}

}  // namespace
}  // namespace vexo

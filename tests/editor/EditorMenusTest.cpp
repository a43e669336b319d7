#include <gtest/gtest.h>

#include <filesystem>

#include "EditorFixture.h"
#include "editor/controls/FolderMenu.h"
#include "editor/skin/SkinElements.h"
#include "patterns/PatternText.h"

namespace vexo::test {
namespace {

class EditorMenusTest : public EditorFixture {
protected:
    FolderMenu& menu(int tag) { return *editor->control<FolderMenu>(tag); }

    // Chooses the entry with this text as a click in the pop-up would.
    void choose(COptionMenu& from, const std::string& text) {
        for (int i = 0; i < from.getNbEntries(); ++i) {
            if (from.getEntry(i) == text) {
                from.choose(i);
                editor->idle();
                return;
            }
        }
        ADD_FAILURE() << "no entry " << text;
    }
    void choose(int tag, const std::string& text) { choose(menu(tag), text); }
    std::string entryText(int tag, int position) { return menu(tag).getEntry(position); }

    Pattern pattern() { return synth().bank().current(); }
};

TEST_F(EditorMenusTest, PatternCommandsActOnTheCurrentPattern) {
    openEditor();
    EXPECT_EQ(entryText(BassEditor::kPatternMenuTag, 7), "Transpose  +1 semitone");
    EXPECT_EQ(entryText(BassEditor::kPatternMenuTag, 26), "Analyze Pattern...");
    const Pattern before = pattern();
    choose(BassEditor::kPatternMenuTag, "Transpose  +1 semitone");
    EXPECT_EQ(pattern().step(0).note, before.step(0).note + 1);
    choose(BassEditor::kPatternMenuTag, "Shift left");
    EXPECT_EQ(pattern().step(0).note, before.step(1).note + 1);
    choose(BassEditor::kPatternMenuTag, "All notes off");
    for (int i = 0; i < pattern().length(); ++i) {
        EXPECT_FALSE(pattern().step(i).has(StepFlags::Gate));
    }

    // File commands go through the chooser; a failed read says so.
    const std::string bank = folder.file("out.pat");
    desktop->queueChosenFiles({bank});
    choose(BassEditor::kPatternMenuTag, "Export patterns");
    ASSERT_TRUE(std::filesystem::exists(bank));
    const auto chooser = desktop->callsOf(ScriptedDesktop::CallKind::ChooseFiles).back().chooser;
    EXPECT_EQ(chooser.title, "Export Patterns");
    EXPECT_TRUE(chooser.save && chooser.overwritePrompt);
    desktop->queueChosenFiles({folder.file("missing.pat")});
    choose(BassEditor::kPatternMenuTag, "Import patterns");
    EXPECT_EQ(desktop->callsOf(ScriptedDesktop::CallKind::MessageBox).size(), 1u);
    choose(BassEditor::kPatternMenuTag, "Import patterns");  // cancelled: no word
    EXPECT_EQ(desktop->callsOf(ScriptedDesktop::CallKind::MessageBox).size(), 1u);
}

TEST_F(EditorMenusTest, OptionTextsFollowThePlugInsState) {
    openEditor();
    const int output = 1;
    EXPECT_EQ(entryText(BassEditor::kOptionsMenuTag, output), "Activate MIDI output [channel None]");
    synth().settings().midiOutputChannel = 3;
    editor->refresh();
    choose(BassEditor::kOptionsMenuTag, "Activate MIDI output [channel 4]");
    EXPECT_EQ(synth().settings().midiOutput, 1);
    EXPECT_EQ(entryText(BassEditor::kOptionsMenuTag, output), "Deactivate MIDI output [channel 4]");

    choose(BassEditor::kOptionsMenuTag, "Activate MIDI learn");
    EXPECT_TRUE(synth().learn());
    EXPECT_EQ(entryText(BassEditor::kOptionsMenuTag, 0), "Deactivate MIDI learn");
    choose(BassEditor::kOptionsMenuTag, "Ext. Clock sync: 24PPQ");
    EXPECT_EQ(synth().settings().clockSync, 1);
    EXPECT_EQ(entryText(BassEditor::kOptionsMenuTag, 4), "Ext. Clock sync: 48PPQ");

    choose(BassEditor::kOptionsMenuTag, "MIDI Programming: Off");
    EXPECT_EQ(synth().settings().midiKeyProgramming, 1);
    const auto notices = desktop->callsOf(ScriptedDesktop::CallKind::MessageBox);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].message.caption, "Fernwave Vexo");
    EXPECT_EQ(notices[0].message.text.rfind("MIDI Keyboard programming is now activated.\n", 0), 0u);

    choose(BassEditor::kOptionsMenuTag, "View Configuration files");
    const auto opened = desktop->callsOf(ScriptedDesktop::CallKind::OpenInTextEditor);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].paths,
              (std::vector<std::string>{folder.file("Config.ini"), folder.file("MidiCC.ini"), folder.file("Gui.ini")}));
}

TEST_F(EditorMenusTest, ArmedFunctionButtonsTakeTheNextPatternEntry) {
    openEditor();
    choose(BassEditor::kOptionsMenuTag, "Assign Function Button 1");
    choose(BassEditor::kOptionsMenuTag, "Assign Function Button 2");
    const Pattern before = pattern();
    choose(BassEditor::kPatternMenuTag, "Transpose  +1 semitone");
    EXPECT_EQ(pattern(), before);  // assigned, not run
    EXPECT_EQ(editor->guiSettings().functionButton1, 7);
    EXPECT_EQ(editor->guiSettings().functionButton2, -1);
    EXPECT_EQ(entryText(BassEditor::kOptionsMenuTag, 11), "Assign Function Button 1 (now Transpose  +1 semitone)");
    EXPECT_EQ(entryText(BassEditor::kOptionsMenuTag, 12), "Assign Function Button 2");

    click(centre(kIlluButton23));
    EXPECT_EQ(pattern().step(0).note, before.step(0).note + 1);
    click(centre(kIlluButton24));  // holds nothing
    EXPECT_EQ(pattern().step(0).note, before.step(0).note + 1);
}

TEST_F(EditorMenusTest, LoadPatternStopsAtTheLastSlotAndLibraryFilesLoad) {
    openEditor();
    Pattern distinct;
    distinct.setLength(5);
    distinct.setStep(0, Step{9, StepFlags::Gate});
    ASSERT_TRUE(writePattern(distinct, folder.file("a.pat"), nullptr));
    synth().selectPattern(126);
    const Pattern last = synth().bank().pattern(0);
    desktop->queueChosenFiles({folder.file("a.pat"), folder.file("a.pat"), folder.file("a.pat")});
    choose(BassEditor::kLibraryMenuTag, "Load Pattern");
    EXPECT_EQ(synth().bank().pattern(126).length(), 5);
    EXPECT_EQ(synth().bank().pattern(127).length(), 5);
    EXPECT_EQ(synth().bank().pattern(0), last);
    EXPECT_EQ(synth().currentPatternPath(), folder.file("a.pat"));

    // A file in a sub-folder of the library.
    FolderMenu& library = menu(BassEditor::kLibraryMenuTag);
    COptionMenu* sub = nullptr;
    for (int i = 0; i < library.getNbEntries() && sub == nullptr; ++i) {
        sub = library.getSubMenu(i);
    }
    ASSERT_NE(sub, nullptr);
    auto* folderMenu = dynamic_cast<FolderMenu*>(sub);
    ASSERT_NE(folderMenu, nullptr);
    choose(*folderMenu, folderMenu->getEntry(0));
    EXPECT_EQ(synth().currentPatternPath(), folderMenu->getPath() + "/" + folderMenu->getEntry(0) + ".pat");
    EXPECT_EQ(folderMenu->getPath().rfind(folder.dir() + "Patterns/", 0), 0u);
}

TEST_F(EditorMenusTest, SkinChoicesAndTheClearQuestion) {
    writeFile(folder.file("Gone.skn"), "BACKGROUND \"none.png\", 0, 0, 10, 10\n");
    openEditor();
    std::filesystem::remove(folder.file("Gone.skn"));
    choose(BassEditor::kSkinMenuTag, "Gone");
    EXPECT_EQ(editor->guiSettings().skin, "DuzazezorAduviz2");
    EXPECT_TRUE(desktop->calls().empty());
    choose(BassEditor::kSkinMenuTag, "DuzazezorAduviz2 Large");
    EXPECT_EQ(editor->guiSettings().skin, "DuzazezorAduviz2 Large");
    EXPECT_NE(readFile(folder.file("Gui.ini")).find("Skin = \"DuzazezorAduviz2 Large\""), std::string::npos);
    ASSERT_EQ(desktop->calls().size(), 1u);
    EXPECT_EQ(desktop->calls()[0].message.text, "Editor must be closed and reopened for new skin to take effect.");

    editor->guiSettings().clearConfirm = 1;
    const Pattern before = pattern();
    desktop->queueMessageAnswer(MessageAnswer::No);
    click(centre(kBPatternClear));
    editor->idle();
    EXPECT_EQ(pattern(), before);
    EXPECT_EQ(desktop->calls().back().message.caption, "Clear Pattern");
    desktop->queueMessageAnswer(MessageAnswer::Yes);
    click(centre(kBPatternClear));
    editor->idle();
    EXPECT_NE(pattern(), before);
}

}  // namespace
}  // namespace vexo::test

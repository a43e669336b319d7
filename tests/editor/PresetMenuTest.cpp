// "Save Preset File..." and "Load Preset File..." at the end of the options menu.
#include <gtest/gtest.h>

#include "EditorFixture.h"
#include "editor/controls/FolderMenu.h"

namespace vexo::test {
namespace {

class PresetMenuTest : public EditorFixture {
protected:
    void choose(const std::string& text) {
        auto& menu = *editor->control<FolderMenu>(BassEditor::kOptionsMenuTag);
        for (int i = 0; i < menu.getNbEntries(); ++i) {
            if (menu.getEntry(i) == text) {
                menu.choose(i);
                editor->idle();
                return;
            }
        }
        ADD_FAILURE() << "no entry " << text;
    }
};

TEST_F(PresetMenuTest, SavesAndLoadsTheWholeStateAndSaysWhyAFileIsRefused) {
    openEditor();
    const auto& menu = *editor->control<FolderMenu>(BassEditor::kOptionsMenuTag);
    EXPECT_EQ(menu.getEntry(menu.getNbEntries() - 1), "Save Preset File...");
    EXPECT_EQ(menu.getEntry(menu.getNbEntries() - 2), "Load Preset File...");

    synth().selectPattern(11);
    synth().setParameter(kDecay, 0.625f);
    desktop->queueChosenFiles({folder.file("mine.fxp")});
    choose("Save Preset File...");
    const auto chooser = desktop->callsOf(ScriptedDesktop::CallKind::ChooseFiles).back().chooser;
    EXPECT_TRUE(chooser.save && chooser.overwritePrompt);
    ASSERT_EQ(readFile(folder.file("mine.fxp")).substr(8, 4), "FPCh");

    synth().selectPattern(0);
    synth().setParameter(kDecay, 0.0f);
    desktop->queueChosenFiles({folder.file("mine.fxp")});
    choose("Load Preset File...");
    EXPECT_EQ(synth().bank().currentPattern(), 11);
    EXPECT_EQ(synth().getParameter(kDecay), 0.625f);
    EXPECT_TRUE(desktop->callsOf(ScriptedDesktop::CallKind::MessageBox).empty());

    writeFile(folder.file("foreign.fxb"), readFile(folder.file("mine.fxp")).replace(16, 4, "ABCD"));
    desktop->queueChosenFiles({folder.file("foreign.fxb")});
    choose("Load Preset File...");
    const auto boxes = desktop->callsOf(ScriptedDesktop::CallKind::MessageBox);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].message.text, "Could not load the preset file:\n" + folder.file("foreign.fxb") +
                                         " belongs to another plug-in (id 'ABCD', not 'VEXO')");
    EXPECT_EQ(synth().bank().currentPattern(), 11);
}

}  // namespace
}  // namespace vexo::test

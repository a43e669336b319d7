// The editor's own settings file ("Gui.ini", and "DefaultGui.ini" for the defaults):
// lines of "Key = value" with ";" comment lines, keys matched without regard to case.
#pragma once

#include <string>
#include <string_view>

#include "editor/skin/SkinSelection.h"

namespace vexo {

struct GuiSettings {
    // Skin file name without folder and extension; at most 255 characters.
    std::string skin = kFallbackSkinName;
    // Non-zero: after a skin change, tell the user to reopen the editor.
    int skinShowDialog = 1;
    // Read (bit 0) but never written.
    int useKeyboard = 0;
    int programmingMode = 0;
    // Pattern-menu positions assigned to the function buttons, -1 = none.
    int functionButton1 = -1;
    int functionButton2 = -1;
    // Non-zero: the Clear key asks before clearing.
    int clearConfirm = 0;
    // 0 relative circular, 1 absolute circular, 2 linear, 3 host decides.
    int knobMode = 2;
    // Non-zero: note keys sound while the sequencer is stopped.
    int auditionNotes = 1;
};

// Applies every item of the text in order. Values are stored as read, without a range
// test; a value that cannot be read leaves its setting unchanged.
void readGuiConfigText(GuiSettings& settings, std::string_view text);
// False, with the settings unchanged, when the file cannot be read.
bool readGuiConfig(GuiSettings& settings, const std::string& path);

// The saved form: ten lines; UseKeyboard and ProgrammingMode are not among them.
std::string guiConfigText(const GuiSettings& settings);
// Replaces the file only once the new one is completely written; false when it cannot be.
bool writeGuiConfig(const GuiSettings& settings, const std::string& path);

}  // namespace vexo

// The Preferences and Analyze Pattern dialogs, opened from the menus.
#include "editor/BassEditor.h"

namespace vexo {

void BassEditor::openPreferencesDialog() {}

void BassEditor::openAnalyzeDialog() {}

bool BassEditor::writeDialogScreenshot(const std::string& /*dialog*/, const std::string& /*path*/) {
    return false;
}

}  // namespace vexo

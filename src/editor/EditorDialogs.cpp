// The Preferences and Analyze Pattern dialogs, opened from the menus.
#include "editor/BassEditor.h"
#include "editor/dialogs/AnalyzeDialogWindow.h"
#include "editor/dialogs/PreferencesDialogWindow.h"
#include "gui/X11Clipboard.h"
#include "platform/Clipboard.h"

namespace vexo {

void BassEditor::openPreferencesDialog() {
    if (dialogs_.find<PreferencesDialogWindow>() != nullptr) {
        return;
    }
    auto window = std::make_unique<PreferencesDialogWindow>(plugin_, gui_);
    window->logic().setChangeHandler([this] { refresh(); });
    window->logic().setFailureHandler([this](const std::string& text) { reportFailure(text); });
    dialogs_.show(std::move(window));
}

void BassEditor::openAnalyzeDialog() {
    if (dialogs_.find<AnalyzeDialogWindow>() != nullptr) {
        return;
    }
    // The desktop's clipboard, on a connection of the dialog's own; offscreen editors keep
    // the text in the process.
    std::unique_ptr<Clipboard> clipboard;
    if (!isOffscreen()) {
        clipboard = X11Clipboard::open();
    }
    if (!clipboard) {
        clipboard = std::make_unique<ScriptedClipboard>();
    }
    dialogs_.show(std::make_unique<AnalyzeDialogWindow>(plugin_, desktop(), std::move(clipboard)));
}

bool BassEditor::writeDialogScreenshot(const std::string& dialog, const std::string& path) {
    if (dialog == "preferences") {
        openPreferencesDialog();
        auto* window = dialogs_.find<PreferencesDialogWindow>();
        return window != nullptr && window->snapshot()->savePng(path);
    }
    if (dialog == "analyze") {
        openAnalyzeDialog();
        auto* window = dialogs_.find<AnalyzeDialogWindow>();
        return window != nullptr && window->snapshot()->savePng(path);
    }
    return false;
}

}  // namespace vexo

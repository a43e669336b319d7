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
    dialogs_.show(std::make_unique<AnalyzeDialogWindow>(plugin_, desktop(), clipboard()));
}

Clipboard& BassEditor::clipboard() {
    // The desktop's clipboard on a connection of its own, kept by the editor so that a
    // copied pattern can still be pasted elsewhere after the dialog closed; offscreen
    // editors keep the text in the process.
    if (!clipboard_ && !isOffscreen()) {
        clipboard_ = X11Clipboard::open();
    }
    if (!clipboard_) {
        clipboard_ = std::make_unique<ScriptedClipboard>();
    }
    return *clipboard_;
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

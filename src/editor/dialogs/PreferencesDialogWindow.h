// The Preferences dialog on screen: the widgets of every control, laid out in two columns of
// groups, each telling the dialog's logic (PreferencesDialog) by its id and showing its state.
// User-interface thread.
#pragma once

#include <map>

#include "editor/dialogs/PreferencesDialog.h"
#include "gui/dialog/Dialog.h"

namespace vexo {

class CControl;

class PreferencesDialogWindow : public Dialog {
public:
    static constexpr int kWidth = 540;
    static constexpr int kHeight = 480;

    // Runs the opening steps of the dialog's logic.
    PreferencesDialogWindow(SynthPlugin& plugin, GuiSettings& gui);

    PreferencesDialog& logic() { return logic_; }
    // The widget of a control id (tests).
    CControl* control(int id) const;

    void valueChanged(CControl* control) override;

private:
    void build();
    // Every widget from the logic's state.
    void show();

    PreferencesDialog logic_;
    std::map<int, CControl*> controls_;
};

}  // namespace vexo

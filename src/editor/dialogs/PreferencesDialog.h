// What the Preferences dialog does, without any window: every control by its id, the state
// each one shows, and the command each one runs on the plug-in's settings and the editor's
// own settings. Changes take effect at once; Save writes them, Cancel restores the plug-in's
// settings from the backup taken on opening. The window (PreferencesDialogWindow) only
// presents this. The hidden controls (backward compatibility, high-pass filter, extra bright
// LEDs, set default skin) are left out: the high-pass filter stays on the panel and the host.
// User-interface thread.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "editor/GuiConfig.h"

namespace vexo {

class SynthPlugin;

class PreferencesDialog {
public:
    enum ControlId : int {
        kOk = 1,
        kCancel = 2,
        kSave = 1053,
        kClearConfirm = 1117,
        kAuditionNotes = 1118,
        kStandardTuning = 1120,
        kAnalogTuning = 1121,
        kInternalSync = 1122,
        kHostSync = 1123,
        kPatternMode = 1124,
        kNoteMode = 1125,
        kClearNotes = 1131,
        kMidiOutputChannel = 1133,
        kAccentVelocity = 1135,
        kFilter24dB = 1163,
        kFilter18dB = 1164,
        kFilter18dBPure = 1165,
        kVolumeLeveling = 1166,
        kPreGain = 1167,
        kVcaClicks = 1168,
        kRelativeCircular = 1169,
        kAbsoluteCircular = 1170,
        kLinear = 1171,
        kHostDecides = 1172,
        kProgrammingMode = 1173,
        kFilterVcc = 1174,
        kVcfFreq = 1175,
        kLoadDefaults = 1176,
        kLoadKnobPositions = 1177,
        kLoadDefaultBank = 1178,
        kNonlinearVca = 1179,
    };
    static constexpr int kSliderMaximum = 100;
    static constexpr int kAccentVelocityMaximum = 127;
    static constexpr const char* kBackupFile = "Config.bak";

    // gui: the editor's own settings, which the dialog edits too.
    PreferencesDialog(SynthPlugin& plugin, GuiSettings& gui);

    // The opening steps: the backup for Cancel, the channel list, the tooltips, every control
    // filled from the settings.
    void open();
    // Every control from the settings again.
    void refresh();

    // Commands, as a user gives them.
    void setChecked(int id, bool checked);
    void selectRadio(int id);
    void setSlider(int id, int position);
    void setText(int id, const std::string& text);
    void selectListItem(int id, int index);
    void press(int id);

    // State, as the controls show it.
    bool isChecked(int id) const;
    int sliderPosition(int id) const;
    const std::string& text(int id) const;
    // The selected index, -1 when none.
    int listSelection(int id) const;
    const std::vector<std::string>& listItems(int id) const;
    const std::string& tooltip(int id) const;
    bool isClosed() const { return closed_; }
    // True when the dialog ended with OK.
    bool accepted() const { return accepted_; }

    // Told after every command that changed a setting (the editor redraws its panel).
    void setChangeHandler(std::function<void()> handler) { changed_ = std::move(handler); }
    // Told when Save could not write a file, with the text for the user.
    void setFailureHandler(std::function<void(const std::string&)> handler) { failed_ = std::move(handler); }

    // The slider formulas: position from setting and setting from position.
    static int preGainPosition(float vcoGain);
    static float vcoGainFromPosition(int position);
    static int percentPosition(float value);
    // The accent velocity text as a decimal integer limited to 0..127; 0 when no number.
    static int accentVelocityFromText(const std::string& text);

private:
    void applySliders();
    void changed();

    SynthPlugin& plugin_;
    GuiSettings& gui_;
    std::map<int, bool> checked_;
    std::map<int, int> sliders_;
    std::map<int, std::string> texts_;
    std::vector<std::string> channels_;
    int channel_ = -1;
    std::map<int, std::string> tooltips_;
    // The settings as they were on opening, for Cancel when no backup file could be written.
    std::string backupText_;
    bool backupWritten_ = false;
    bool closed_ = false;
    bool accepted_ = false;
    std::function<void()> changed_;
    std::function<void(const std::string&)> failed_;
};

}  // namespace vexo

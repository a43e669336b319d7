#include "editor/dialogs/PreferencesDialog.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "config/ConfigurationFile.h"
#include "host/SynthPlugin.h"

namespace vexo {

namespace {

using Id = PreferencesDialog::ControlId;

constexpr int kChannelCount = 16;
// Positions are read back from floats such as 1 + 2 * 29 / 100 = 1.58f, whose exact value lies
// a hair below the step; without this margin the slider would jump back by one on release.
constexpr double kPositionTolerance = 1e-3;

// The radio groups: their buttons in order and the value each one stores.
struct RadioChoice {
    int id;
    int value;
};
constexpr RadioChoice kKnobModeChoices[] = {
    {Id::kRelativeCircular, 0}, {Id::kAbsoluteCircular, 1}, {Id::kLinear, 2}, {Id::kHostDecides, 3}};
constexpr RadioChoice kTuningChoices[] = {{Id::kStandardTuning, 0}, {Id::kAnalogTuning, 1}};
constexpr RadioChoice kSyncChoices[] = {{Id::kInternalSync, 0}, {Id::kHostSync, 1}};
constexpr RadioChoice kMidiModeChoices[] = {{Id::kPatternMode, 0}, {Id::kNoteMode, 2}};
constexpr RadioChoice kFilterChoices[] = {{Id::kFilter24dB, 0}, {Id::kFilter18dB, 1}, {Id::kFilter18dBPure, 2}};

const std::string kNoText;
const std::vector<std::string> kNoItems;

int boolValue(bool state) {
    return state ? 1 : 0;
}

}  // namespace

PreferencesDialog::PreferencesDialog(SynthPlugin& plugin, GuiSettings& gui) : plugin_(plugin), gui_(gui) {}

void PreferencesDialog::open() {
    backupText_ = configurationText(plugin_.settings());
    backupWritten_ = plugin_.writeConfiguration(kBackupFile) != 0;
    channels_ = {"None"};
    for (int channel = 1; channel <= kChannelCount; ++channel) {
        channels_.push_back(std::to_string(channel));
    }
    tooltips_[kPreGain] = "Sets the amount of filter pre-gain";
    tooltips_[kFilterVcc] = "Sets the voltage feed to filter";
    tooltips_[kVcfFreq] = "Sets the cutoff frequency offset";
    closed_ = false;
    accepted_ = false;
    refresh();
}

int PreferencesDialog::preGainPosition(float vcoGain) {
    const double position = (static_cast<double>(vcoGain) - 1.0) * 100.0 * 0.5 + kPositionTolerance;
    return std::clamp(static_cast<int>(position), 0, kSliderMaximum);
}

float PreferencesDialog::vcoGainFromPosition(int position) {
    return static_cast<float>(1.0 + 2.0 * position / 100.0);
}

int PreferencesDialog::percentPosition(float value) {
    const double position = static_cast<double>(value) * 100.0 + kPositionTolerance;
    return std::clamp(static_cast<int>(position), 0, kSliderMaximum);
}

int PreferencesDialog::accentVelocityFromText(const std::string& text) {
    std::size_t at = 0;
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])) != 0) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) {
        negative = text[at] == '-';
        ++at;
    }
    const std::size_t digitsStart = at;
    long long value = 0;
    for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])) != 0; ++at) {
        // Saturates well above the limit: a long run of digits stays a large number.
        value = std::min(value * 10 + (text[at] - '0'), 1000000LL);
    }
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])) != 0) {
        ++at;
    }
    if (at == digitsStart || at != text.size()) {
        return 0;
    }
    return static_cast<int>(std::clamp(negative ? -value : value, 0LL, static_cast<long long>(kAccentVelocityMaximum)));
}

void PreferencesDialog::refresh() {
    const Settings& s = plugin_.settings();
    sliders_[kPreGain] = preGainPosition(s.vcoGain);
    sliders_[kFilterVcc] = percentPosition(s.tm6);
    sliders_[kVcfFreq] = percentPosition(s.tm3);
    const int channel = s.midiOutputChannel + 1;
    channel_ = channel >= 0 && channel < static_cast<int>(channels_.size()) ? channel : -1;
    char velocity[16];
    std::snprintf(velocity, sizeof velocity, "%3d", s.accentVelocity.load());
    texts_[kAccentVelocity] = velocity;

    checked_[kClearConfirm] = gui_.clearConfirm != 0;
    checked_[kAuditionNotes] = gui_.auditionNotes != 0;
    checked_[kClearNotes] = s.clearNotes != 0;
    checked_[kProgrammingMode] = s.programmingMode != 0;
    checked_[kLoadKnobPositions] = s.loadKnobPositions != 0;
    checked_[kLoadDefaultBank] = s.loadDefaultBank != 0;
    checked_[kVolumeLeveling] = s.vcaLeveling != 0;
    checked_[kVcaClicks] = s.vcaNoise != 0;
    checked_[kNonlinearVca] = s.outputClipping != 0;
    const auto check = [this](const auto& choices, int value) {
        for (const RadioChoice& choice : choices) {
            checked_[choice.id] = choice.value == value;
        }
    };
    check(kKnobModeChoices, gui_.knobMode);
    check(kTuningChoices, s.tuningMode);
    check(kSyncChoices, s.syncMode);
    check(kMidiModeChoices, s.midiMode);
    check(kFilterChoices, s.filterMode);
}

void PreferencesDialog::changed() {
    if (changed_) {
        changed_();
    }
}

void PreferencesDialog::setChecked(int id, bool checked) {
    Settings& s = plugin_.settings();
    const int value = boolValue(checked);
    switch (id) {
        case kClearConfirm:
            gui_.clearConfirm = value;
            break;
        case kAuditionNotes:
            gui_.auditionNotes = value;
            break;
        case kClearNotes:
            s.clearNotes = value;
            break;
        case kProgrammingMode:
            s.programmingMode = value;
            break;
        case kLoadKnobPositions:
            s.loadKnobPositions = value;
            break;
        case kLoadDefaultBank:
            s.loadDefaultBank = value;
            break;
        case kVolumeLeveling:
            s.vcaLeveling = value;
            break;
        case kVcaClicks:
            s.vcaNoise = value;
            break;
        case kNonlinearVca:
            s.outputClipping = value;
            break;
        default:
            return;
    }
    checked_[id] = checked;
    changed();
}

void PreferencesDialog::selectRadio(int id) {
    Settings& s = plugin_.settings();
    const auto pick = [id](const auto& choices, auto&& store) {
        for (const RadioChoice& choice : choices) {
            if (choice.id == id) {
                store(choice.value);
                return true;
            }
        }
        return false;
    };
    const bool known = pick(kKnobModeChoices, [this](int v) { gui_.knobMode = v; }) ||
                       pick(kTuningChoices, [&s](int v) { s.tuningMode = v; }) ||
                       pick(kSyncChoices, [&s](int v) { s.syncMode = v; }) ||
                       pick(kMidiModeChoices, [&s](int v) { s.midiMode = v; }) ||
                       pick(kFilterChoices, [&s](int v) { s.filterMode = v; });
    if (!known) {
        return;
    }
    if (id == kNoteMode) {
        // Notes started in Pattern mode must not hang once keys play the voice directly.
        plugin_.noteOff();
    }
    // The other buttons of the group show the change; the texts stay as typed.
    const std::string typed = texts_[kAccentVelocity];
    refresh();
    texts_[kAccentVelocity] = typed;
    changed();
}

void PreferencesDialog::setSlider(int id, int position) {
    if (id != kPreGain && id != kFilterVcc && id != kVcfFreq) {
        return;
    }
    sliders_[id] = std::clamp(position, 0, kSliderMaximum);
    applySliders();
    refresh();
    changed();
}

void PreferencesDialog::applySliders() {
    Settings& s = plugin_.settings();
    s.vcoGain = vcoGainFromPosition(sliders_[kPreGain]);
    s.tm6 = static_cast<float>(sliders_[kFilterVcc] / 100.0);
    s.tm3 = static_cast<float>(sliders_[kVcfFreq] / 100.0);
}

void PreferencesDialog::setText(int id, const std::string& text) {
    if (id != kAccentVelocity) {
        return;
    }
    texts_[id] = text;
    plugin_.settings().accentVelocity = accentVelocityFromText(text);
    changed();
}

void PreferencesDialog::selectListItem(int id, int index) {
    if (id != kMidiOutputChannel || index < 0 || index >= static_cast<int>(channels_.size())) {
        return;
    }
    channel_ = index;
    plugin_.settings().midiOutputChannel = index - 1;
    changed();
}

void PreferencesDialog::press(int id) {
    switch (id) {
        case kSave: {
            const bool configWritten = plugin_.writeConfiguration("Config.ini") != 0;
            const bool guiWritten = writeGuiConfig(gui_, plugin_.configPath("Gui.ini"));
            if ((!configWritten || !guiWritten) && failed_) {
                failed_("Could not save the settings to\n" +
                        plugin_.configPath(configWritten ? "Gui.ini" : "Config.ini"));
            }
            return;
        }
        case kLoadDefaults:
            plugin_.readConfiguration("DefaultConfig.ini");
            readGuiConfig(gui_, plugin_.configPath("DefaultGui.ini"));
            refresh();
            changed();
            return;
        case kOk:
            closed_ = true;
            accepted_ = true;
            return;
        case kCancel:
            if (backupWritten_) {
                plugin_.readConfiguration(kBackupFile);
            } else {
                // No backup file could be written: an older one must not stand in for it.
                applyConfigurationText(backupText_, plugin_.settings(),
                                       [this](int index, float value) { plugin_.setParameter(index, value); });
            }
            closed_ = true;
            changed();
            return;
        default:
            return;
    }
}

bool PreferencesDialog::isChecked(int id) const {
    const auto found = checked_.find(id);
    return found != checked_.end() && found->second;
}

int PreferencesDialog::sliderPosition(int id) const {
    const auto found = sliders_.find(id);
    return found != sliders_.end() ? found->second : 0;
}

const std::string& PreferencesDialog::text(int id) const {
    const auto found = texts_.find(id);
    return found != texts_.end() ? found->second : kNoText;
}

int PreferencesDialog::listSelection(int id) const {
    return id == kMidiOutputChannel ? channel_ : -1;
}

const std::vector<std::string>& PreferencesDialog::listItems(int id) const {
    return id == kMidiOutputChannel ? channels_ : kNoItems;
}

const std::string& PreferencesDialog::tooltip(int id) const {
    const auto found = tooltips_.find(id);
    return found != tooltips_.end() ? found->second : kNoText;
}

}  // namespace vexo

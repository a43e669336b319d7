#include "editor/dialogs/PreferencesDialogWindow.h"

#include "gui/dialog/DialogTheme.h"
#include "gui/dialog/DialogWidgets.h"

namespace vexo {

namespace {

using Id = PreferencesDialog::ControlId;

// Layout, pixels. Widgets leave 2 pixels inside their rectangles for the focus ring.
constexpr int kMargin = 12;
constexpr int kColumnGap = 12;
constexpr int kColumnWidth = (PreferencesDialogWindow::kWidth - 2 * kMargin - kColumnGap) / 2;
constexpr int kLeftColumn = kMargin;
constexpr int kRightColumn = kMargin + kColumnWidth + kColumnGap;
constexpr int kGroupGap = 8;
constexpr int kGroupTitleSpace = 22;
constexpr int kGroupBottomSpace = 8;
constexpr int kGroupInset = 10;
constexpr int kRow = theme::kRowHeight;
constexpr int kFieldRow = theme::kFieldHeight + 4;
constexpr int kSliderRow = 26;
constexpr int kSliderLabelWidth = 72;
constexpr int kButtonWidth = 88;
constexpr int kWideButtonWidth = 116;
constexpr int kButtonRow = theme::kButtonHeight + 4;

// Places widgets down a group box: each add takes the next row.
class GroupLayout {
public:
    GroupLayout(CFrame& frame, int left, int top, int width, int contentHeight, const char* title)
        : frame_(frame), left_(left), width_(width), y_(top + kGroupTitleSpace) {
        frame.addView(new GroupBox(
            CRect::fromSize(left, top, width, kGroupTitleSpace + contentHeight + kGroupBottomSpace), title));
    }
    // The next row of the given height, across the group's inner width.
    CRect row(int height) {
        const CRect rect = CRect::fromSize(left_ + kGroupInset, y_, width_ - 2 * kGroupInset, height);
        y_ += height;
        return rect;
    }
    void skip(int pixels) { y_ += pixels; }
    CFrame& frame() { return frame_; }

private:
    CFrame& frame_;
    int left_;
    int width_;
    int y_;
};

int groupBottom(int top, int contentHeight) {
    return top + kGroupTitleSpace + contentHeight + kGroupBottomSpace;
}

}  // namespace

PreferencesDialogWindow::PreferencesDialogWindow(SynthPlugin& plugin, GuiSettings& gui)
    : Dialog(kWidth, kHeight, "Preferences"), logic_(plugin, gui) {
    logic_.open();
    build();
    show();
    frame().focusNext(false);
}

CControl* PreferencesDialogWindow::control(int id) const {
    const auto found = controls_.find(id);
    return found != controls_.end() ? found->second : nullptr;
}

void PreferencesDialogWindow::build() {
    DialogFrame& frame = this->frame();
    const auto keep = [this, &frame](CControl* control) {
        frame.addView(control);
        controls_[control->getTag()] = control;
        return control;
    };
    const auto checkBox = [&](GroupLayout& group, int id, const char* title) {
        keep(new CheckBox(group.row(kRow), this, id, title));
    };
    const auto radios = [&](GroupLayout& group, std::initializer_list<std::pair<int, const char*>> buttons) {
        auto shared = std::make_shared<RadioGroup>();
        for (const auto& [id, title] : buttons) {
            keep(new RadioButton(group.row(kRow), this, id, title, shared));
        }
    };

    // Left column: General, MIDI, Knob Mode.
    int top = kMargin - 2;
    const int generalHeight = 6 * kRow + 4 + kFieldRow;
    {
        GroupLayout general(frame, kLeftColumn, top, kColumnWidth, generalHeight, "General");
        checkBox(general, Id::kClearConfirm, "Clear confirm");
        checkBox(general, Id::kAuditionNotes, "Audition notes");
        checkBox(general, Id::kClearNotes, "Clear notes on");
        checkBox(general, Id::kProgrammingMode, "303 Style programming mode");
        checkBox(general, Id::kLoadKnobPositions, "Load knob positions with pattern");
        checkBox(general, Id::kLoadDefaultBank, "Load Default Bank on Start");
        general.skip(4);
        const CRect row = general.row(kFieldRow);
        frame.addView(new Label(CRect(row.left + 2, row.top, row.left + 112, row.bottom), "Accent velocity"));
        keep(
            new EditField(CRect::fromSize(row.left + 112, row.top, 58, kFieldRow), this, Id::kAccentVelocity, true, 6));
        frame.addView(new Label(CRect(row.left + 178, row.top, row.right, row.bottom), "0-127"));
    }
    top = groupBottom(top, generalHeight) + kGroupGap;
    {
        GroupLayout midi(frame, kLeftColumn, top, kColumnWidth, kFieldRow, "MIDI");
        const CRect row = midi.row(kFieldRow);
        frame.addView(new Label(CRect(row.left + 2, row.top, row.left + 140, row.bottom), "MIDI Output channel"));
        auto* list =
            new DropDownList(CRect(row.right - 90, row.top, row.right, row.bottom), this, Id::kMidiOutputChannel);
        for (const std::string& item : logic_.listItems(Id::kMidiOutputChannel)) {
            list->addEntry(item);
        }
        keep(list);
    }
    top = groupBottom(top, kFieldRow) + kGroupGap;
    {
        GroupLayout knobs(frame, kLeftColumn, top, kColumnWidth, 4 * kRow, "Knob Mode");
        radios(knobs, {{Id::kRelativeCircular, "Relative Circular"},
                       {Id::kAbsoluteCircular, "Absolute Circular"},
                       {Id::kLinear, "Linear"},
                       {Id::kHostDecides, "Host decides"}});
    }

    // Right column: Tuning and Sync side by side, MIDI Mode, Emulation.
    top = kMargin - 2;
    constexpr int kTuningWidth = 148;
    {
        GroupLayout tuning(frame, kRightColumn, top, kTuningWidth, 2 * kRow, "Tuning");
        radios(tuning, {{Id::kStandardTuning, "Standard tuning"}, {Id::kAnalogTuning, "Analog tuning"}});
    }
    {
        const int left = kRightColumn + kTuningWidth + kGroupGap;
        GroupLayout sync(frame, left, top, kRightColumn + kColumnWidth - left, 2 * kRow, "Sync");
        radios(sync, {{Id::kInternalSync, "Internal"}, {Id::kHostSync, "Host"}});
    }
    top = groupBottom(top, 2 * kRow) + kGroupGap;
    {
        GroupLayout mode(frame, kRightColumn, top, kColumnWidth, kRow, "MIDI Mode");
        const CRect row = mode.row(kRow);
        auto shared = std::make_shared<RadioGroup>();
        const int half = row.width() / 2;
        keep(new RadioButton(CRect(row.left, row.top, row.left + half, row.bottom), this, Id::kPatternMode, "Pattern",
                             shared));
        keep(new RadioButton(CRect(row.left + half, row.top, row.right, row.bottom), this, Id::kNoteMode, "Note",
                             shared));
    }
    top = groupBottom(top, kRow) + kGroupGap;
    {
        const int emulationHeight = 3 * kRow + 6 + 3 * kSliderRow + 6 + 3 * kRow;
        GroupLayout emulation(frame, kRightColumn, top, kColumnWidth, emulationHeight, "Emulation");
        radios(emulation, {{Id::kFilter24dB, "24dB (less overtone)"},
                           {Id::kFilter18dB, "18dB (303 emulated)"},
                           {Id::kFilter18dBPure, "18dB Pure (more overtone)"}});
        emulation.skip(6);
        for (const auto& [id, title] : {std::pair{Id::kPreGain, "Pre-gain"}, std::pair{Id::kFilterVcc, "Filter Vcc"},
                                        std::pair{Id::kVcfFreq, "VCF Freq"}}) {
            const CRect row = emulation.row(kSliderRow);
            frame.addView(new Label(CRect(row.left + 2, row.top, row.left + kSliderLabelWidth, row.bottom), title));
            CControl* slider = keep(new Slider(CRect(row.left + kSliderLabelWidth, row.top, row.right, row.bottom),
                                               this, id, 0, PreferencesDialog::kSliderMaximum));
            this->frame().setTooltip(slider, logic_.tooltip(id));
        }
        emulation.skip(6);
        checkBox(emulation, Id::kVolumeLeveling, "Volume leveling");
        checkBox(emulation, Id::kVcaClicks, "VCA Clicks");
        checkBox(emulation, Id::kNonlinearVca, "Nonlinear VCA");
    }

    // The buttons along the bottom: the file commands left, OK and Cancel right.
    const int buttonTop = kHeight - kMargin - kButtonRow + 2;
    keep(new PushButton(CRect::fromSize(kMargin - 2, buttonTop, kWideButtonWidth, kButtonRow), this, Id::kLoadDefaults,
                        "Load Defaults"));
    keep(new PushButton(CRect::fromSize(kMargin - 2 + kWideButtonWidth + 4, buttonTop, kButtonWidth, kButtonRow), this,
                        Id::kSave, "Save"));
    auto* cancel =
        new PushButton(CRect::fromSize(kWidth - kMargin + 2 - kButtonWidth, buttonTop, kButtonWidth, kButtonRow), this,
                       Id::kCancel, "Cancel");
    auto* ok = new PushButton(
        CRect::fromSize(kWidth - kMargin + 2 - 2 * kButtonWidth - 4, buttonTop, kButtonWidth, kButtonRow), this,
        Id::kOk, "OK");
    ok->setDefault(true);
    keep(ok);
    keep(cancel);
    frame.setDefaultButton(ok);
    frame.setCancelButton(cancel);
}

void PreferencesDialogWindow::show() {
    for (const auto& [id, control] : controls_) {
        if (auto* box = dynamic_cast<CheckBox*>(control)) {
            box->setChecked(logic_.isChecked(id));
        } else if (auto* radio = dynamic_cast<RadioButton*>(control)) {
            radio->setSelected(logic_.isChecked(id));
        } else if (auto* slider = dynamic_cast<Slider*>(control)) {
            slider->setPosition(logic_.sliderPosition(id));
        } else if (auto* field = dynamic_cast<EditField*>(control)) {
            field->setText(logic_.text(id));
        } else if (auto* list = dynamic_cast<DropDownList*>(control)) {
            list->setCurrent(logic_.listSelection(id));
            list->setDirty(true);
        }
    }
}

void PreferencesDialogWindow::valueChanged(CControl* control) {
    const int id = control->getTag();
    if (auto* box = dynamic_cast<CheckBox*>(control)) {
        logic_.setChecked(id, box->isChecked());
    } else if (dynamic_cast<RadioButton*>(control) != nullptr) {
        logic_.selectRadio(id);
    } else if (auto* slider = dynamic_cast<Slider*>(control)) {
        logic_.setSlider(id, slider->position());
    } else if (auto* field = dynamic_cast<EditField*>(control)) {
        logic_.setText(id, field->text());
    } else if (auto* list = dynamic_cast<DropDownList*>(control)) {
        logic_.selectListItem(id, list->getCurrent());
    } else if (dynamic_cast<PushButton*>(control) != nullptr) {
        logic_.press(id);
    }
    show();
    if (logic_.isClosed()) {
        close();
    }
}

}  // namespace vexo

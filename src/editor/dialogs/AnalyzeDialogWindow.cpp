#include "editor/dialogs/AnalyzeDialogWindow.h"

#include "editor/dialogs/WaveformView.h"
#include "gui/dialog/DialogTheme.h"
#include "gui/dialog/DialogWidgets.h"
#include "platform/Clipboard.h"

namespace vexo {

namespace {

using Id = AnalyzeDialog::ControlId;
using Column = AnalyzeDialog::RowColumn;

// Layout, pixels. Widgets leave 2 pixels inside their rectangles for the focus ring.
constexpr int kMargin = 12;
constexpr int kGroupGap = 8;
constexpr int kGroupTitleSpace = 22;
constexpr int kGroupBottomSpace = 8;
constexpr int kGroupInset = 10;
constexpr int kRow = theme::kRowHeight;
constexpr int kButtonRow = theme::kButtonHeight + 4;
constexpr int kButtonWidth = 88;
constexpr int kWideButtonWidth = 136;

// Left column: the waveform view with the detection, transport and setup groups below it.
constexpr int kLeftColumn = kMargin;
constexpr int kWaveInset = 12;
constexpr int kLeftWidth = WaveformView::kWidth + 2 * kWaveInset;
constexpr int kWaveGroupHeight = kGroupTitleSpace + WaveformView::kHeight + kWaveInset;
constexpr int kDetectContent = kButtonRow + 6 + kRow;
constexpr int kTransportContent = kButtonRow;
constexpr int kSetupContent = kButtonRow + 4 + kRow;

// Right column: the step rows with their scroll bar, then Copy, Paste and View.
constexpr int kRightColumn = kLeftColumn + kLeftWidth + kMargin;
constexpr int kRightWidth = AnalyzeDialogWindow::kWidth - kMargin - kRightColumn;
constexpr int kStepRow = 22;
constexpr int kHeaderRow = 18;
constexpr int kStepNumberWidth = 28;
constexpr int kNoteWidth = 52;
constexpr int kFlagColumnWidth = 48;
constexpr int kFlagBoxWidth = 18;   // the 14-pixel box and its focus ring
constexpr int kNoteCharacters = 3;  // "d#4"
constexpr int kPatternContent = kHeaderRow + AnalyzeDialog::kRows * kStepRow + 8 + kButtonRow;

constexpr int groupHeight(int content) {
    return kGroupTitleSpace + content + kGroupBottomSpace;
}

// The pattern group sets the height; the left groups share what the waveform leaves.
constexpr int kColumnsBottom = kMargin - 2 + groupHeight(kPatternContent);
constexpr int kLeftSpare = kColumnsBottom - (kMargin - 2) - kWaveGroupHeight - 3 * kGroupGap -
                           groupHeight(kDetectContent) - groupHeight(kTransportContent) - groupHeight(kSetupContent);
static_assert(kLeftSpare >= 0, "the left groups fit beside the step rows");

constexpr const char* kShiftHint = "Shift+click a box to set it in every step";

struct FlagColumn {
    Column column;
    const char* title;
};
constexpr FlagColumn kFlagColumns[] = {{Column::Gate, "Gate"}, {Column::Slide, "Slide"}, {Column::Accent, "Accent"}};

// A step row's box: remembers whether Shift was held when it was clicked (or toggled with
// Space), which the dialog applies to every step.
class StepFlagBox : public CheckBox {
public:
    StepFlagBox(const CRect& size, CControlListener* listener, std::int32_t tag) : CheckBox(size, listener, tag, "") {}
    bool shiftHeld() const { return shift_; }

    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override {
        shift_ = (buttons & kShift) != 0;
        return CheckBox::onMouseUp(where, buttons);
    }
    bool focusedKeyDown(const VstKeyCode& key) override {
        shift_ = (key.modifier & kShift) != 0;
        return CheckBox::focusedKeyDown(key);
    }

private:
    bool shift_ = false;
};

// Places widgets down a group box: each row takes the next band of the group's inner width.
class GroupLayout {
public:
    GroupLayout(CFrame& frame, int left, int top, int width, int contentHeight, const char* title)
        : left_(left), width_(width), y_(top + kGroupTitleSpace) {
        frame.addView(new GroupBox(CRect::fromSize(left, top, width, groupHeight(contentHeight)), title));
    }
    CRect row(int height) {
        const CRect rect = CRect::fromSize(left_ + kGroupInset, y_, width_ - 2 * kGroupInset, height);
        y_ += height;
        return rect;
    }
    void skip(int pixels) { y_ += pixels; }

private:
    int left_;
    int width_;
    int y_;
};

// The part of row from x (relative to its left) that is width wide.
CRect slice(const CRect& row, int x, int width) {
    return CRect::fromSize(row.left + x, row.top, width, row.height());
}

}  // namespace

AnalyzeDialogWindow::AnalyzeDialogWindow(SynthPlugin& plugin, DesktopServices& desktop, Clipboard& clipboard)
    : Dialog(kWidth, kHeight, kAnalyzeDialogTitle), clipboard_(clipboard), logic_(plugin, desktop, clipboard) {
    build();
    show();
    frame().focusNext(false);
}

AnalyzeDialogWindow::AnalyzeDialogWindow(SynthPlugin& plugin, DesktopServices& desktop,
                                         std::unique_ptr<Clipboard> clipboard)
    : Dialog(kWidth, kHeight, kAnalyzeDialogTitle),
      ownClipboard_(std::move(clipboard)),
      clipboard_(*ownClipboard_),
      logic_(plugin, desktop, clipboard_) {
    build();
    show();
    frame().focusNext(false);
}

CControl* AnalyzeDialogWindow::control(int id) const {
    const auto found = controls_.find(id);
    return found != controls_.end() ? found->second : nullptr;
}

void AnalyzeDialogWindow::build() {
    DialogFrame& frame = this->frame();
    const auto keep = [this, &frame](CControl* control) {
        frame.addView(control);
        controls_[control->getTag()] = control;
        return control;
    };
    const auto button = [&](const CRect& rect, int id) { keep(new PushButton(rect, this, id, logic_.text(id))); };
    const auto checkBox = [&](const CRect& rect, int id) { keep(new CheckBox(rect, this, id, logic_.text(id))); };
    const int spare = kLeftSpare / 3;

    // Left column, top to bottom. The focus order follows the order widgets are added in.
    int top = kMargin - 2;
    {
        frame.addView(new GroupBox(CRect::fromSize(kLeftColumn, top, kLeftWidth, kWaveGroupHeight), "Waveform View"));
        waveform_ = new WaveformView(CRect::fromSize(kLeftColumn + kWaveInset, top + kGroupTitleSpace,
                                                     WaveformView::kWidth, WaveformView::kHeight));
        frame.addView(waveform_);
    }
    top += kWaveGroupHeight + kGroupGap;
    {
        GroupLayout detect(frame, kLeftColumn, top, kLeftWidth, kDetectContent + spare, "Detect");
        const CRect buttons = detect.row(kButtonRow);
        button(slice(buttons, 0, kWideButtonWidth), Id::kDetectFromWave);
        button(slice(buttons, kWideButtonWidth + 8, kButtonWidth), Id::kUpdate);
        detect.skip(6 + spare / 2);
        const CRect boxes = detect.row(kRow);
        checkBox(slice(boxes, 0, kWideButtonWidth), Id::kExtractPitches);
        checkBox(slice(boxes, kWideButtonWidth + 8, kWideButtonWidth), Id::kExtractRhythm);
        top += groupHeight(kDetectContent + spare) + kGroupGap;
    }
    {
        GroupLayout transport(frame, kLeftColumn, top, kLeftWidth, kTransportContent + spare, "Transport");
        transport.skip(spare / 2);
        const CRect buttons = transport.row(kButtonRow);
        button(slice(buttons, 0, kWideButtonWidth), Id::kPlayWave);
        button(slice(buttons, kWideButtonWidth + 8, kWideButtonWidth), Id::kPlayPattern);
        top += groupHeight(kTransportContent + spare) + kGroupGap;
    }
    {
        const int content = kColumnsBottom - top - kGroupTitleSpace - kGroupBottomSpace;
        GroupLayout setup(frame, kLeftColumn, top, kLeftWidth, content, "Setup");
        setup.skip((content - kSetupContent) / 2);
        const CRect steps = setup.row(kButtonRow);
        frame.addView(new Label(slice(steps, 2, 44), "Steps"));
        keep(new UpDownNumber(CRect::fromSize(steps.left + 48, steps.top + 1, 84, kButtonRow - 2), this,
                              Id::kStepsUpDown, 1, kMaxSteps));
        setup.skip(4);
        const CRect boxes = setup.row(kRow);
        checkBox(slice(boxes, 0, kWideButtonWidth), Id::kTriplet);
        checkBox(slice(boxes, kWideButtonWidth + 8, kWideButtonWidth), Id::kMatchTempo);
    }

    // Right column: the step rows.
    top = kMargin - 2;
    GroupLayout pattern(frame, kRightColumn, top, kRightWidth, kPatternContent, "Pattern");
    const CRect header = pattern.row(kHeaderRow);
    const int noteLeft = kStepNumberWidth + 6;
    const int flagsLeft = noteLeft + kNoteWidth + 8;
    frame.addView(new Label(slice(header, 0, kStepNumberWidth), "Step", CHoriTxtAlign::kCenterText));
    frame.addView(new Label(slice(header, noteLeft, kNoteWidth), "Note", CHoriTxtAlign::kCenterText));
    for (std::size_t c = 0; c < std::size(kFlagColumns); ++c) {
        frame.addView(new Label(slice(header, flagsLeft + static_cast<int>(c) * kFlagColumnWidth, kFlagColumnWidth),
                                kFlagColumns[c].title, CHoriTxtAlign::kCenterText));
    }
    const int rowsTop = header.bottom;
    for (int row = 0; row < AnalyzeDialog::kRows; ++row) {
        const CRect line = pattern.row(kStepRow);
        stepNumbers_[row] = new Label(slice(line, 0, kStepNumberWidth), "", CHoriTxtAlign::kCenterText);
        frame.addView(stepNumbers_[row]);
        keep(new EditField(slice(line, noteLeft, kNoteWidth), this, AnalyzeDialog::rowControl(Column::Note, row), false,
                           kNoteCharacters));
        for (std::size_t c = 0; c < std::size(kFlagColumns); ++c) {
            const int columnLeft = flagsLeft + static_cast<int>(c) * kFlagColumnWidth;
            keep(new StepFlagBox(slice(line, columnLeft + (kFlagColumnWidth - kFlagBoxWidth) / 2, kFlagBoxWidth), this,
                                 AnalyzeDialog::rowControl(kFlagColumns[c].column, row)));
        }
    }
    const int barLeft = kRightColumn + kRightWidth - kGroupInset - ScrollBar::kWidth;
    auto* bar =
        new ScrollBar(CRect(barLeft, rowsTop, barLeft + ScrollBar::kWidth, rowsTop + AnalyzeDialog::kRows * kStepRow),
                      this, Id::kScrollBar);
    bar->setRange(kMaxSteps, AnalyzeDialog::kRows);
    keep(bar);
    pattern.skip(8);
    const CRect commands = pattern.row(kButtonRow);
    const int commandWidth = (commands.width() - 2 * 6) / 3;
    button(slice(commands, 0, commandWidth), Id::kCopy);
    button(slice(commands, commandWidth + 6, commandWidth), Id::kPaste);
    button(slice(commands, 2 * (commandWidth + 6), commands.width() - 2 * (commandWidth + 6)), Id::kView);

    // Along the bottom: the hint for the boxes, then OK and Cancel at the right.
    const int buttonTop = kHeight - kMargin - kButtonRow + 2;
    frame.addView(new Label(CRect::fromSize(kMargin, buttonTop, kLeftWidth, kButtonRow), kShiftHint));
    auto* cancel =
        new PushButton(CRect::fromSize(kWidth - kMargin + 2 - kButtonWidth, buttonTop, kButtonWidth, kButtonRow), this,
                       Id::kCancel, logic_.text(Id::kCancel));
    auto* ok = new PushButton(
        CRect::fromSize(kWidth - kMargin + 2 - 2 * kButtonWidth - 6, buttonTop, kButtonWidth, kButtonRow), this,
        Id::kOk, logic_.text(Id::kOk));
    ok->setDefault(true);
    keep(ok);
    keep(cancel);
    frame.setDefaultButton(ok);
    frame.setCancelButton(cancel);
}

void AnalyzeDialogWindow::show() {
    shownRevision_ = logic_.revision();
    for (const auto& [id, control] : controls_) {
        if (auto* box = dynamic_cast<CheckBox*>(control)) {
            box->setChecked(logic_.checked(id));
        } else if (auto* button = dynamic_cast<PushButton*>(control)) {
            button->setTitle(logic_.text(id));
        } else if (auto* number = dynamic_cast<UpDownNumber*>(control)) {
            shownSteps_ = logic_.steps();
            number->setNumber(shownSteps_);
        } else if (auto* bar = dynamic_cast<ScrollBar*>(control)) {
            bar->setPosition(logic_.scrollOffset());
        }
    }
    for (int row = 0; row < AnalyzeDialog::kRows; ++row) {
        stepNumbers_[row]->setText(logic_.text(AnalyzeDialog::rowControl(Column::StepNumber, row)));
        // Rows past the pattern's length stay editable but are shown dimmed.
        stepNumbers_[row]->setEnabled(logic_.rowStep(row) < logic_.steps());
    }
    showNoteFields();
    showWave();
}

void AnalyzeDialogWindow::showNoteFields() {
    const bool scrolled = logic_.scrollOffset() != shownOffset_;
    shownOffset_ = logic_.scrollOffset();
    for (int row = 0; row < AnalyzeDialog::kRows; ++row) {
        const int id = AnalyzeDialog::rowControl(Column::Note, row);
        auto* field = static_cast<EditField*>(controls_.at(id));
        if (scrolled || !field->hasFocus()) {
            field->setText(logic_.text(id));
        }
    }
}

void AnalyzeDialogWindow::showWave() {
    waveform_->setWave(&logic_.wave(), logic_.waveRevision());
    waveform_->setSteps(logic_.steps());
    waveform_->setPlayFraction(logic_.playFraction());
}

void AnalyzeDialogWindow::valueChanged(CControl* control) {
    const int id = control->getTag();
    // Boxes and the up-down arrows act on what the logic holds now, which may have changed
    // since the widgets last showed it.
    if (auto* box = dynamic_cast<StepFlagBox*>(control)) {
        logic_.command(id, box->shiftHeld());
    } else if (dynamic_cast<CheckBox*>(control) != nullptr) {
        logic_.command(id);
    } else if (auto* field = dynamic_cast<EditField*>(control)) {
        logic_.setText(id, field->text());
    } else if (auto* number = dynamic_cast<UpDownNumber*>(control)) {
        logic_.upDown(id, number->number() - shownSteps_);
    } else if (auto* bar = dynamic_cast<ScrollBar*>(control)) {
        logic_.setScrollOffset(bar->position());
    } else if (dynamic_cast<PushButton*>(control) != nullptr) {
        logic_.command(id);
    }
    show();
    if (logic_.finished()) {
        close();
    }
}

void AnalyzeDialogWindow::timer() {
    // The clipboard answers here (and serves other programs while our text is on it); the
    // chooser answers from the editor's idle; the wave plays on meanwhile.
    clipboard_.poll();
    logic_.timer();
    if (logic_.revision() != shownRevision_) {
        show();
    } else {
        showNoteFields();
        showWave();
    }
}

}  // namespace vexo

#include "editor/dialogs/AnalyzeDialog.h"

#include <cstdio>
#include <utility>

#include "config/TextScanner.h"
#include "host/SynthPlugin.h"
#include "patterns/AnalyzeOperations.h"
#include "patterns/PatternText.h"
#include "platform/Clipboard.h"
#include "platform/Desktop.h"

namespace vexo {

namespace {

constexpr const char* kChooserTitle = "Select audio file";
// The wave reader takes AIFF too, so the chooser offers those files as a second filter.
const FileFilter kWaveFilter{"Wave file (*.wav)", "*.wav"};
const FileFilter kAiffFilter{"AIFF file (*.aif, *.aiff)", "*.aif;*.aiff"};
constexpr const char* kWaveExtension = "wav";

bool inColumn(int id, int first) {
    return id >= first && id < first + AnalyzeDialog::kRows;
}

}  // namespace

int AnalyzeDialog::rowControl(RowColumn column, int row) {
    switch (column) {
        case RowColumn::StepNumber:
            return kFirstStepNumber + row;
        case RowColumn::Note:
            return kFirstNote + row;
        case RowColumn::Gate:
            return kFirstGate + row;
        case RowColumn::Slide:
            return kFirstSlide + row;
        case RowColumn::Accent:
            return kFirstAccent + row;
    }
    return -1;
}

AnalyzeDialog::AnalyzeDialog(SynthPlugin& plugin, DesktopServices& desktop, Clipboard& clipboard,
                             AnalyzeSession& session)
    : plugin_(plugin),
      desktop_(desktop),
      clipboard_(clipboard),
      session_(session),
      self_(std::make_shared<AnalyzeDialog*>(this)) {
    session_.open(plugin_);
    refresh();
}

AnalyzeDialog::AnalyzeDialog(SynthPlugin& plugin, DesktopServices& desktop, Clipboard& clipboard)
    : AnalyzeDialog(plugin, desktop, clipboard, AnalyzeSession::processWide()) {}

AnalyzeDialog::~AnalyzeDialog() {
    if (!finished()) {
        session_.close(plugin_);
    }
}

Pattern& AnalyzeDialog::pattern() {
    return plugin_.bank().current();
}

const Pattern& AnalyzeDialog::pattern() const {
    return plugin_.bank().current();
}

// --- Commands

void AnalyzeDialog::command(int id, bool shift) {
    if (finished()) {
        return;
    }
    switch (id) {
        case kOk:
            finish(Outcome::Ok);
            return;
        case kCancel:
            finish(Outcome::Cancelled);
            return;
        case kDetectFromWave:
            chooseWave();
            return;
        case kUpdate:
            session_.update(plugin_, pattern().length());
            refresh();
            return;
        case kPlayWave:
            session_.toggleWavePlay(plugin_);
            refresh();
            return;
        case kPlayPattern:
            session_.togglePatternPlay(plugin_);
            refresh();
            return;
        case kCopy:
            copyPattern();
            return;
        case kPaste:
            requestPaste();
            return;
        case kView:
            viewPattern();
            return;
        default:
            // Check boxes flip.
            setChecked(id, !checked(id), shift);
            return;
    }
}

void AnalyzeDialog::setChecked(int id, bool on, bool shift) {
    if (finished()) {
        return;
    }
    if (id == kExtractPitches) {
        session_.setExtractPitches(on);
    } else if (id == kExtractRhythm) {
        session_.setExtractRhythm(on);
    } else if (id == kTriplet) {
        session_.setTriplet(plugin_, on);
    } else if (id == kMatchTempo) {
        session_.setMatchTempo(plugin_, on);
    } else if (inColumn(id, kFirstGate)) {
        setRowFlag(id - kFirstGate, StepFlags::Gate, on, shift);
    } else if (inColumn(id, kFirstSlide)) {
        setRowFlag(id - kFirstSlide, StepFlags::Slide, on, shift);
    } else if (inColumn(id, kFirstAccent)) {
        setRowFlag(id - kFirstAccent, StepFlags::Accent, on, shift);
    } else {
        return;
    }
    refresh();
}

void AnalyzeDialog::setRowFlag(int row, std::uint8_t flag, bool on, bool shift) {
    Pattern& p = pattern();
    if (shift) {
        for (int i = 0; i < p.length(); ++i) {
            Step step = p.step(i);
            step.set(flag, on);
            p.setStep(i, step);
        }
        return;
    }
    Step step = p.step(rowStep(row));
    step.set(flag, on);
    p.setStep(rowStep(row), step);
}

void AnalyzeDialog::setText(int id, std::string_view text) {
    if (finished() || !inColumn(id, kFirstNote)) {
        return;
    }
    const int index = rowStep(id - kFirstNote);
    Step step = pattern().step(index);
    if (textToStep(step, text)) {
        pattern().setStep(index, step);
        refresh();
    }
}

void AnalyzeDialog::upDown(int id, int delta) {
    if (finished() || id != kStepsUpDown || delta == 0) {
        return;
    }
    session_.setSteps(plugin_, steps() + delta);
    refresh();
}

void AnalyzeDialog::setScrollOffset(int offset) {
    if (finished()) {
        return;
    }
    session_.setScrollOffset(offset);
    ++revision_;
}

void AnalyzeDialog::timer() {
    if (!finished() && shownState() != shown_) {
        refresh();
    }
}

void AnalyzeDialog::finish(Outcome outcome) {
    if (outcome == Outcome::Cancelled) {
        session_.cancel(plugin_);
    } else {
        session_.close(plugin_);
    }
    outcome_ = outcome;
    plugin_.requestEditorRefresh();
    ++revision_;
}

void AnalyzeDialog::refresh() {
    session_.applyMatchTempo(plugin_);
    plugin_.requestEditorRefresh();
    shown_ = shownState();
    ++revision_;
}

AnalyzeDialog::Shown AnalyzeDialog::shownState() const {
    return Shown{plugin_.bank().currentPattern(), pattern(), session_.wavePlaying(plugin_),
                 session_.patternPlaying(plugin_), plugin_.settings().firstStep};
}

// --- Detection

void AnalyzeDialog::chooseWave() {
    if (choosingWave_) {
        return;
    }
    choosingWave_ = true;
    FileChooserRequest request;
    request.title = kChooserTitle;
    request.filters = {kWaveFilter, kAiffFilter};
    request.defaultExtension = kWaveExtension;
    request.startPath = plugin_.pluginDirectory();
    desktop_.chooseFiles(std::move(request),
                         [self = std::weak_ptr<AnalyzeDialog*>(self_)](std::vector<std::string> paths) {
                             const std::shared_ptr<AnalyzeDialog*> alive = self.lock();
                             if (!alive) {
                                 return;
                             }
                             AnalyzeDialog& dialog = **alive;
                             dialog.choosingWave_ = false;
                             if (!dialog.finished() && !paths.empty()) {
                                 dialog.detectFrom(paths.front());
                             }
                         });
}

void AnalyzeDialog::detectFrom(const std::string& path) {
    if (const std::optional<UserMessage> message = session_.detectFromWave(plugin_, path)) {
        desktop_.messageBox({message->text, message->title, MessageButtons::Ok, MessageIcon::Warning},
                            [](MessageAnswer) {});
        return;
    }
    ++waveRevision_;
    refresh();
}

// --- Pattern text

void AnalyzeDialog::copyPattern() {
    const std::string path = plugin_.configPath(kClipboardPatternFile);
    if (!writePattern(pattern(), path)) {
        return;
    }
    clipboard_.setText(patternToText(pattern()));
}

void AnalyzeDialog::requestPaste() {
    if (pasting_) {
        return;
    }
    pasting_ = true;
    clipboard_.requestText([self = std::weak_ptr<AnalyzeDialog*>(self_)](std::optional<std::string> text) {
        const std::shared_ptr<AnalyzeDialog*> alive = self.lock();
        if (!alive) {
            return;
        }
        AnalyzeDialog& dialog = **alive;
        dialog.pasting_ = false;
        // An empty clipboard holds no pattern: the pattern stays as it is.
        if (!dialog.finished() && text && !text->empty()) {
            dialog.pasteText(*text);
        }
    });
}

void AnalyzeDialog::pasteText(const std::string& text) {
    // The text goes through the scratch file, byte for byte, and is read back from it.
    const std::string path = plugin_.configPath(kClipboardPatternFile);
    if (!writeFileAtomically(path, text) || !readPattern(pattern(), path)) {
        return;
    }
    refresh();
}

void AnalyzeDialog::viewPattern() {
    const std::string path = plugin_.configPath(kViewPatternFile);
    if (writePattern(pattern(), path)) {
        desktop_.openInTextEditor({path});
    }
}

// --- State out

bool AnalyzeDialog::checked(int id) const {
    if (id == kExtractPitches) {
        return session_.extractPitches();
    }
    if (id == kExtractRhythm) {
        return session_.extractRhythm();
    }
    if (id == kTriplet) {
        return pattern().isTriplet();
    }
    if (id == kMatchTempo) {
        return session_.matchTempo();
    }
    const auto flagOf = [this](int row, std::uint8_t flag) { return pattern().step(rowStep(row)).has(flag); };
    if (inColumn(id, kFirstGate)) {
        return flagOf(id - kFirstGate, StepFlags::Gate);
    }
    if (inColumn(id, kFirstSlide)) {
        return flagOf(id - kFirstSlide, StepFlags::Slide);
    }
    if (inColumn(id, kFirstAccent)) {
        return flagOf(id - kFirstAccent, StepFlags::Accent);
    }
    return false;
}

std::string AnalyzeDialog::text(int id) const {
    switch (id) {
        case kOk:
            return "OK";
        case kCancel:
            return "Cancel";
        case kDetectFromWave:
            return "Detect from Wave";
        case kExtractPitches:
            return "Extract Pitches";
        case kExtractRhythm:
            return "Extract Rhythm";
        case kUpdate:
            return "Update";
        case kSteps:
            return std::to_string(steps());
        case kTriplet:
            return "Triplet";
        case kMatchTempo:
            return "Match tempo";
        case kPlayWave:
            return session_.wavePlaying(plugin_) ? "Stop Wave" : "Play Wave";
        case kPlayPattern:
            return session_.patternPlaying(plugin_) ? "Stop Pattern" : "Play Pattern";
        case kCopy:
            return "Copy";
        case kPaste:
            return "Paste";
        case kView:
            return "View";
        default:
            break;
    }
    if (inColumn(id, kFirstNote)) {
        char name[4];
        stepToText(pattern().step(rowStep(id - kFirstNote)), name);
        return name;
    }
    if (inColumn(id, kFirstStepNumber)) {
        char number[16];
        std::snprintf(number, sizeof number, "%02d", rowStep(id - kFirstStepNumber) + plugin_.settings().firstStep);
        return number;
    }
    return {};
}

int AnalyzeDialog::scrollOffset() const {
    return session_.scrollOffset();
}

int AnalyzeDialog::steps() const {
    return pattern().length();
}

const WaveBuffer& AnalyzeDialog::wave() const {
    return plugin_.wavePreview().current();
}

std::optional<double> AnalyzeDialog::playFraction() const {
    const WaveBuffer& current = wave();
    if (!session_.wavePlaying(plugin_) || current.empty()) {
        return std::nullopt;
    }
    const double position = static_cast<double>(plugin_.wavePreview().position() % current.count());
    return position / static_cast<double>(current.count());
}

}  // namespace vexo

// The "Analyze Pattern" dialog apart from its window: every control by its id, the values
// the window passes in and the state it shows. The window only presents this; tests drive
// it directly.
//
// The dialog works on the plug-in's current pattern through the process-wide
// AnalyzeSession (which keeps the extract flags, "Match tempo" and the row scroll offset
// between openings). File choosers and message boxes go through the desktop services and
// the pattern text through the clipboard; both answer later, from the editor's idle calls,
// and an answer that arrives after the dialog has ended is dropped.
//
// User-interface thread only.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "sequencer/Pattern.h"

namespace vexo {

class AnalyzeSession;
class Clipboard;
class DesktopServices;
class SynthPlugin;
struct WaveBuffer;

constexpr const char* kAnalyzeDialogTitle = "Analyze Pattern";
// Scratch files in the plug-in folder.
constexpr const char* kClipboardPatternFile = "clipboard.pat";
constexpr const char* kViewPatternFile = "pattern.pat";

class AnalyzeDialog {
public:
    // Control ids. OK and Cancel keep the usual dialog numbers.
    enum ControlId : int {
        kOk = 1,
        kCancel = 2,
        kDetectFromWave = 1001,
        kExtractPitches = 1002,
        kExtractRhythm = 1003,
        kUpdate = 1004,
        kSteps = 1005,  // read-only number: the current pattern's length
        kStepsUpDown = 1006,
        kTriplet = 1007,
        kMatchTempo = 1008,
        kPlayWave = 1009,
        kPlayPattern = 1010,
        kCopy = 1011,
        kPaste = 1012,
        kView = 1013,
        kScrollBar = 1014,
        kWaveformView = 1015,
        // The step rows: first id of each column, plus the row 0..15.
        kFirstStepNumber = 1100,
        kFirstNote = 1120,
        kFirstGate = 1140,
        kFirstSlide = 1160,
        kFirstAccent = 1180,
    };
    static constexpr int kRows = 16;
    static constexpr int kMaxScrollOffset = kMaxSteps - kRows;

    enum class RowColumn { StepNumber, Note, Gate, Slide, Accent };
    static int rowControl(RowColumn column, int row);

    enum class Outcome { Open, Ok, Cancelled };

    // Opens the session on the plug-in: the bank is copied aside for "Cancel".
    AnalyzeDialog(SynthPlugin& plugin, DesktopServices& desktop, Clipboard& clipboard, AnalyzeSession& session);
    AnalyzeDialog(SynthPlugin& plugin, DesktopServices& desktop, Clipboard& clipboard);
    // A dialog dropped while still open (the editor closed) keeps its changes, as "OK".
    ~AnalyzeDialog();
    AnalyzeDialog(const AnalyzeDialog&) = delete;
    AnalyzeDialog& operator=(const AnalyzeDialog&) = delete;

    // --- Commands and values in (ids other than the ones named are ignored)
    // A push button pressed, or a check box clicked (its state flips). shift: Shift was
    // held, which makes a step row's box apply its new state to every step of the pattern.
    void command(int id, bool shift = false);
    // A check box set to a state.
    void setChecked(int id, bool on, bool shift = false);
    // A step row's note field edited: a step name such as "d#4"; text that is no step name
    // changes nothing.
    void setText(int id, std::string_view text);
    // The "Steps" up-down control: the length moves by delta (+1 up, -1 down), kept in 1..64.
    void upDown(int id, int delta);
    // The scroll bar of the step rows: the first step shown, kept in 0..48.
    void setScrollOffset(int offset);
    // The 50 ms timer: notices what changed elsewhere (another pattern selected by MIDI, the
    // sequencer stopped by the host) and refreshes.
    void timer();

    // --- State out
    bool checked(int id) const;
    // Button and box captions (with the labels that follow the play states), the step rows'
    // note texts and numbers, and the "Steps" number.
    std::string text(int id) const;
    int scrollOffset() const;
    int steps() const;
    // The step shown in a row.
    int rowStep(int row) const { return scrollOffset() + row; }

    Outcome outcome() const { return outcome_; }
    bool finished() const { return outcome_ != Outcome::Open; }
    // A file chooser or a clipboard read is on its way.
    bool waiting() const { return choosingWave_ || pasting_; }

    // Changes whenever a control may show something new; the window re-reads on a change.
    unsigned revision() const { return revision_; }
    // The wave shown in the waveform view, which changes with waveRevision() (the plug-in
    // reuses its buffers).
    const WaveBuffer& wave() const;
    unsigned waveRevision() const { return waveRevision_; }
    // Where the wave plays, 0..1 of its length; nullopt while it does not play.
    std::optional<double> playFraction() const;

private:
    struct Shown {
        int patternIndex = -1;
        Pattern pattern;
        bool wavePlaying = false;
        bool patternPlaying = false;
        int firstStep = 0;
        bool operator==(const Shown&) const = default;
    };

    void chooseWave();
    void detectFrom(const std::string& path);
    void copyPattern();
    void requestPaste();
    void pasteText(const std::string& text);
    void viewPattern();
    void setRowFlag(int id, std::uint8_t flag, bool on, bool shift);
    void finish(Outcome outcome);
    // After every change: "Match tempo" applied, the panel and the controls refreshed.
    void refresh();
    Shown shownState() const;
    Pattern& pattern();
    const Pattern& pattern() const;

    SynthPlugin& plugin_;
    DesktopServices& desktop_;
    Clipboard& clipboard_;
    AnalyzeSession& session_;
    Outcome outcome_ = Outcome::Open;
    bool choosingWave_ = false;
    bool pasting_ = false;
    unsigned revision_ = 0;
    unsigned waveRevision_ = 0;
    Shown shown_;
    // Answers hold it weakly: once the dialog is gone they do nothing.
    std::shared_ptr<AnalyzeDialog*> self_;
};

}  // namespace vexo

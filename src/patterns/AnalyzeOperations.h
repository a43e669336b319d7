// The operations of the "Analyze Pattern" dialog apart from its window: detecting the
// current pattern from a wave file, editing its length and triplet bit, matching the
// tempo to the wave, playing the wave and the pattern, and "Cancel".
//
// One session per process holds the dialog's settings between openings (the extract
// flags, "Match tempo", the row scroll offset), as the user expects the dialog to come
// back as it was left, whichever instance opens it. What belongs to one plug-in (the bank
// copy for "Cancel" and the sync mode and tempo in force at opening) is tagged with the
// plug-in the dialog was opened on and is never applied to another one. The waves live in
// each plug-in's WavePreview. User-interface thread only.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "sequencer/Pattern.h"

namespace vexo {

class SynthPlugin;

// A message box for the user.
struct UserMessage {
    std::string title;
    std::string text;
};

constexpr const char* kUnsupportedWaveTitle = "Unsupported wave format";
constexpr const char* kUnsupportedWaveText =
    "Must be uncompressed 16-bit .wav or .aiff.\nPlease try opening in a sample editor and resaving.\n";

class AnalyzeSession {
public:
    static constexpr int kDefaultSteps = 16;
    static constexpr int kMaxScrollOffset = kMaxSteps - 16;  // 16 step rows are shown

    // The session the dialog uses.
    static AnalyzeSession& processWide();

    // Opening: copies the whole bank aside and remembers the sync mode and tempo.
    void open(SynthPlugin& plugin);
    // "OK": keeps every change.
    void close(SynthPlugin& plugin);
    // "Cancel": puts the bank copied at opening back (nothing when the dialog was not
    // opened on this plug-in).
    void cancel(SynthPlugin& plugin);
    bool isOpenOn(const SynthPlugin& plugin) const { return openedOn_ == &plugin; }

    // "Detect from Wave": loads the file; on failure returns the message to show and
    // changes nothing. Otherwise the current pattern gets the steps named by the file
    // (16 without a name rule), its triplet bit when the path says "triplet", and the
    // detection; the new wave becomes current.
    std::optional<UserMessage> detectFromWave(SynthPlugin& plugin, const std::string& path);
    // "Update": detects `steps` steps from the current wave into the current pattern; does
    // nothing while no wave is loaded.
    void update(SynthPlugin& plugin, int steps);

    // "Steps" up-down control and "Triplet" box, on the current pattern.
    void setSteps(SynthPlugin& plugin, int steps);
    void stepsUp(SynthPlugin& plugin);
    void stepsDown(SynthPlugin& plugin);
    void setTriplet(SynthPlugin& plugin, bool on);

    bool extractPitches() const { return extractPitches_; }
    void setExtractPitches(bool on) { extractPitches_ = on; }
    bool extractRhythm() const { return extractRhythm_; }
    void setExtractRhythm(bool on) { extractRhythm_ = on; }
    int scrollOffset() const { return scrollOffset_; }
    void setScrollOffset(int offset);

    // "Match tempo": on, the internal clock runs one pass of the current pattern in the
    // length of the wave (samples per step = wave samples / pattern length); off, the sync
    // mode and tempo remembered at opening come back. The dialog applies it at every refresh.
    bool matchTempo() const { return matchTempo_; }
    void setMatchTempo(SynthPlugin& plugin, bool on);
    void applyMatchTempo(SynthPlugin& plugin);

    // "Play Wave"/"Stop Wave" (starting plays from the first sample) and "Play Pattern"/
    // "Stop Pattern" (stopping rewinds to the first step and closes the gate).
    void toggleWavePlay(SynthPlugin& plugin);
    bool wavePlaying(SynthPlugin& plugin) const;
    void togglePatternPlay(SynthPlugin& plugin);
    bool patternPlaying(SynthPlugin& plugin) const;

private:
    void detect(SynthPlugin& plugin, Pattern& pattern, int steps);

    bool extractPitches_ = true;
    bool extractRhythm_ = true;
    bool matchTempo_ = false;
    int scrollOffset_ = 0;

    const SynthPlugin* openedOn_ = nullptr;
    std::array<Pattern, kPatternCount> bankCopy_{};
    int syncModeAtOpening_ = 0;
    double tempoAtOpening_ = 0.0;  // beats per minute; the render loop derives samples per step from it
};

}  // namespace vexo

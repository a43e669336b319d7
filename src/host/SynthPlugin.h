// The plug-in object: parameters, programs and the state chunk, the audio block loop with
// its MIDI queues, and the sequencer, voice, settings and MIDI maps it owns.
#pragma once

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "config/ControllerMap.h"
#include "config/Settings.h"
#include "host/AudioEffect.h"
#include "host/CrossThreadMidiQueue.h"
#include "host/MidiEventQueue.h"
#include "host/Parameters.h"
#include "host/Shared.h"
#include "host/StateChunk.h"
#include "patterns/KnobPositions.h"
#include "patterns/WavePreview.h"
#include "sequencer/Pattern.h"
#include "sequencer/StepClock.h"
#include "voice/NoteState.h"
#include "voice/PitchTables.h"
#include "voice/VoiceEngine.h"

namespace vexo {

struct WaveTablePair;

constexpr VstInt32 kUniqueId = fourCharCode("VEXO");
constexpr const char* kEffectName = "VEXO";
constexpr const char* kVendorName = "Fernwave";
constexpr const char* kProductName = "VEXO";

// Where the plug-in's files live: the folder of the loaded module, ending in "/".
std::string moduleDirectory();

class SynthPlugin : public AudioEffectX, public MidiOutput {
public:
    // pluginDirectory: folder holding the configuration and data files, ending in "/".
    SynthPlugin(audioMasterCallback audioMaster, std::string pluginDirectory);
    ~SynthPlugin() override;

    // --- Parameters (audio or user-interface thread)
    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;
    void getParameterName(VstInt32 index, char* text) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    void getParameterLabel(VstInt32 index, char* label) override;

    // --- Programs (user-interface thread, sometimes the audio thread)
    void setProgram(VstInt32 index) override;
    VstInt32 getProgram() override { return curProgram; }
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;
    virtual VstInt32 copyProgram(VstInt32 destination);
    virtual void setMidiOutput(VstInt32 on);

    // --- MIDI out (any thread). Inside processReplacing, sendMidiNow hands the message to
    // the host at once and queueMidi adds it to the block's output queue; anywhere else
    // both keep it for the start of the next block, where it goes out at frame 0.
    bool sendMidiNow(int deltaFrames, int status, int data1, int data2) override;
    void queueMidi(int deltaFrames, int status, int data1, int data2) override;

    // --- State chunk (user-interface thread)
    VstInt32 getChunk(void** data, bool isPreset) override;
    VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset) override;

    // --- Set-up and processing
    void setSampleRate(float rate) override;                                           // user-interface thread
    void resume() override;                                                            // user-interface or audio thread
    void suspend() override;                                                           // user-interface thread
    VstInt32 processEvents(VstEvents* events) override;                                // audio thread
    void processReplacing(float** inputs, float** outputs, VstInt32 frames) override;  // audio thread

    // --- Identity and capabilities (any thread)
    bool getOutputProperties(VstInt32 index, VstPinProperties* properties) override;
    bool getInputProperties(VstInt32, VstPinProperties*) override { return false; }
    VstPlugCategory getPlugCategory() override { return kPlugCategSynth; }
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 getVendorVersion() override { return 1; }
    VstInt32 canDo(const char* text) override;
    VstInt32 getGetTailSize() override { return 0; }
    VstInt32 getVstVersion() override { return 2400; }
    VstInt32 getCurrentMidiProgram(VstInt32) override { return -1; }
    bool hasMidiProgramsChanged(VstInt32) override { return true; }
    VstInt32 getMidiKeyName(VstInt32 channel, MidiKeyName* keyName) override;
    VstInt32 getNumMidiInputChannels() override { return 1; }
    VstInt32 getNumMidiOutputChannels() override { return 1; }

    // --- Sequencer and MIDI input (audio thread)
    // One MIDI message from the block loop: status is the high nibble, data masked to 7 bits.
    virtual void handleMidi(int channel, int status, int data1, int data2);
    // Plays the voice directly, as a new Note-mode note (editor auditions).
    void noteOn(int key, int velocity, int offset);
    void noteOff();
    // Renders one slice: ticks the step clock once per frame, then the voice.
    virtual int renderVoice(float* outL, float* outR, int frames, bool replacing);

    // --- Keyboard programming
    // A Pattern-mode note-on offered to keyboard programming; true when consumed.
    bool handleProgrammingNote(int key, int velocity);
    void programmingFunction(int code);
    // Starts a stopped sequencer, stops a running one.
    void runStop();

    // --- Patterns
    PatternBank& bank() { return bank_; }
    const PatternBank& bank() const { return bank_; }
    void selectPattern(int index);
    void selectPatternFromMidi(int index);
    // The internal tempo in beats per minute (editor; the audio thread picks it up at its
    // next slice). Ignored while following the host's tempo is up to the caller.
    void setTempo(double bpm) { clock_.tempo = std::max(bpm, StepClock::kMinimumTempo); }
    // Set whenever the editor must redraw; the editor clears it in its idle call.
    bool takeEditorRefresh() { return editorRefresh_.exchange(false); }
    bool editorRefreshPending() const { return editorRefresh_; }
    void requestEditorRefresh() { editorRefresh_ = true; }

    // --- Settings and files
    Settings& settings() { return settings_; }
    const std::string& pluginDirectory() const { return directory_; }
    // The plug-in folder followed by name.
    std::string configPath(const std::string& name) const;
    // Reads a configuration file of the plug-in folder; 1 in every case.
    int readConfiguration(const std::string& name);
    // Writes a configuration file into the plug-in folder; 0 when it cannot be created.
    int writeConfiguration(const std::string& name = "Config.ini");

    // --- MIDI maps and learn
    ControllerMap& controllerMap() { return controllerMap_; }
    KeyMap& keyMap() { return keyMap_; }
    void setLearn(bool on);
    bool learn() const { return learn_; }
    int learnTarget() const { return learnTarget_; }
    int programmingLearnTarget() const { return programmingLearnTarget_; }
    // A controller below 120 (other than all-notes-off and mono-on), through the map or learn.
    void handleControlChange(int controller, int value);

    // --- Pattern files (user-interface thread; src/patterns/PatternFileOperations.cpp)
    KnobPositions& knobPositions() { return knobs_; }
    // Copies the twelve parameter values and the internal tempo into the knob record.
    void collectKnobPositions();
    // With "LoadKnobPositions" on, writes present knob values straight into the
    // parameters, and the tempo in internal sync.
    void applyKnobPositions();
    // "Save Pattern": the current pattern with the knob record.
    bool savePattern(const std::string& path);
    // "Load Pattern": file i into slot current + i while below 128, then knobs applied.
    bool loadPatterns(const std::vector<std::string>& paths);
    bool importPatterns(const std::string& path);  // a bank file into the whole bank
    bool exportPatterns(const std::string& path);
    const std::string& currentPatternPath() const { return currentPatternPath_; }
    // Pattern menu operations on the current pattern (PatternClipboard is process-wide).
    void copyPattern();
    void pastePattern();
    void transposePattern(int semitones);
    void rotatePattern(int steps);
    void clearStepFlags(std::uint8_t flags);
    void randomizePitches();
    void randomizeAll();
    void alterPattern();

    // --- MIDI file export and imports (src/patterns/ImportExportOperations.cpp)
    bool exportMidiFile(const std::string& path);
    // Number of "303 " units found; 0 when the file cannot be opened.
    int importRebirthSong(const std::string& path);
    bool importPhFile(const std::string& path);
    // The reader chosen by the path: ".rbs" anywhere, else ".ph"; refreshes the editor.
    void importRebirthOrPh(const std::string& path);

    // --- Pattern detection from audio (src/patterns/AnalyzeOperations.cpp)
    WavePreview& wavePreview() { return wavePreview_; }

    // --- State read by tests and tools
    StepClock& stepClock() { return clock_; }
    NoteState& noteState() { return note_; }
    VoiceEngine& voice() { return voice_; }
    const ProgramRecord& program(int index) const { return programs_[static_cast<std::size_t>(index)]; }
    int programmingPosition() const { return programmingPosition_; }
    void setProgrammingPosition(int step);
    int programmingAdvance() const { return programmingAdvance_; }
    bool patternChangeArmed() const { return patternChangeArmed_; }
    bool noteModeKeyDown() const { return keyDown_ != 0; }
    bool keyHeld(int key) const { return held_[static_cast<std::size_t>(key & 0x7f)]; }

protected:
    // Hooks for the editor: a parameter moved, the program changed, events arrived.
    virtual void parameterChanged(int /*index*/, float /*value*/) {}
    virtual void programChanged() {}
    // Audio thread: the knob values and settings the voice takes for a slice.
    VoiceControls voiceControls() const;
    VoiceOptions voiceOptions() const;

private:
    void applyChunkSettings(const ChunkSettings& words);
    ChunkSettings collectChunkSettings() const;
    // Any thread: whether the caller is the thread running processReplacing right now.
    bool insideBlock() const { return processingThread_.load() == std::this_thread::get_id(); }
    // Carried events, then MIDI produced outside the block, at the block's first frame.
    void sendPendingMidi();
    // Sends the output queue; events past the block's end are carried into the next one.
    // frame: where the block loop stands, for carried events released by a stop.
    void flushOutputQueue(int frame);
    void sendCarriedIfReleased(int frame);
    // Any thread: a stop, suspend or all notes off sends the carried events at the next
    // flush instead of at their later frames.
    void releaseCarriedMidi() { releaseCarried_ = true; }
    int outputChannel() const { return settings_.midiOutputChannel & 0x0f; }
    // Audio thread: renderVoice's frames after the voice's block set-up.
    void renderSlice(float* outL, float* outR, int frames);

    // MIDI input
    void patternNoteOn(int key, int velocity);
    void patternRelease(int key);
    void noteModeNoteOn(int key, int velocity);
    void startNote(int key, int velocity);
    void noteModeRelease();
    void allNotesOffController();
    void stopAndSilenceOutput();
    const PitchTable& pitchTable() const;

    std::string directory_;
    Settings settings_;
    PatternBank bank_;
    ProgramBank programs_{};
    std::array<Shared<float>, kNumParameters> parameters_{};
    std::unique_ptr<std::array<std::uint8_t, kChunkBytes>> chunk_;

    NoteState note_;
    StepClock clock_;
    VoiceEngine voice_;
    WaveTablePair* waveTables_ = nullptr;

    InputEventQueue inputQueue_;
    OutputEventQueue outputQueue_;
    // Events timed at or after the end of the last block, offsets from the next block's start.
    OutputEventQueue carried_;
    Shared<bool> releaseCarried_{false};
    CrossThreadMidiQueue crossThreadMidi_;
    Shared<std::thread::id> processingThread_{};  // the thread inside processReplacing, if any
    int blockFrames_ = 0;                         // length of the block being processed

    std::array<bool, 128> held_{};
    int keyDown_ = 0;  // Note mode: a key sounds

    ControllerMap controllerMap_;
    KeyMap keyMap_;
    Shared<bool> learn_{false};
    Shared<int> learnTarget_{-1};
    Shared<int> programmingLearnTarget_{-1};

    Shared<int> programmingPosition_{0};
    Shared<int> programmingAdvance_{0};
    Shared<bool> patternChangeArmed_{false};

    Shared<bool> editorRefresh_{false};

    KnobPositions knobs_;
    std::string currentPatternPath_;
    WavePreview wavePreview_;
};

}  // namespace vexo

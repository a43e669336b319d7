// The plug-in's editor: builds its panel from the current skin, keeps it in step with the
// plug-in (parameters, pattern, sequencer, MIDI activity) and turns every control event
// into an operation on the plug-in.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "editor/GuiConfig.h"
#include "editor/IdleKeeper.h"
#include "editor/dialogs/DialogHost.h"
#include "editor/skin/SkinDefinition.h"
#include "gui/Control.h"
#include "gui/GUIEditor.h"
#include "platform/Clipboard.h"
#include "platform/Desktop.h"

namespace vexo {

class SynthPlugin;
class CFrame;
class CMovieBitmap;
class CKickButton;
class COnOffButton;
class CRockerSwitch;
class SkinKnob;
class IlluButton;
class DigitDisplay;
class FolderMenu;
class LearnLabel;
class SpriteView;
class SplashView;
class PatchDisplay;

constexpr const char* kDefaultSkinName = kFallbackSkinName;
constexpr const char* kEditorVersionText = "Version 2.5.2";

class BassEditor : public AEffGUIEditor, public CControlListener {
public:
    // Tags of controls that have no skin element of their own.
    static constexpr int kPatternMenuTag = 10000;
    static constexpr int kOptionsMenuTag = 10001;
    static constexpr int kLibraryMenuTag = 111;
    static constexpr int kSkinMenuTag = 114;
    static constexpr int kHiddenSpriteTag = 2016;

    // Timed jobs of the idle cycle, in milliseconds.
    static constexpr std::uint32_t kMidiLedMs = 75;
    static constexpr std::uint32_t kAnimationMs = 50;
    static constexpr std::uint32_t kRepeatMs = 50;
    static constexpr std::uint32_t kRepeatDelayMs = 75;
    static constexpr std::uint32_t kBlinkMs = 200;
    static constexpr std::uint32_t kDeferredRefreshMs = 500;

    // User-interface thread (the plug-in's constructor): reads "Gui.ini", selects the skin.
    explicit BassEditor(SynthPlugin& plugin);
    // Writes "Gui.ini".
    ~BassEditor() override;

    // User-interface thread (effEditOpen): builds the panel in the host's window.
    bool open(void* parentWindow) override;
    // User-interface thread (effEditClose): writes "Gui.ini", drops the panel.
    void close() override;
    // User-interface thread (effEditIdle): window events, timed jobs, redraws.
    void idle() override;
    // User-interface thread (effEditKeyDown/Up).
    VstInt32 onKeyDown(VstInt32 character, VstInt32 virtualKey, VstInt32 modifiers) override;
    VstInt32 onKeyUp(VstInt32 character, VstInt32 virtualKey, VstInt32 modifiers) override;
    // Whether a thread of our own serves the window in place of the host's idle calls.
    bool idleKeeperRunning() const { return keeper_.running(); }
    // Any thread that sets parameters: the knob follows in the next idle call.
    void setParameter(VstInt32 index, float value) override;

    // Audio thread (after each block of host events): light the MIDI LED; a controller also
    // refreshes the learn labels and the panel. Only flags are set here.
    void showMidiActivity(bool on);
    void controllerReceived();

    // CControlListener: user-interface thread.
    void valueChanged(CControl* control) override;
    void controlBeginEdit(CControl* control) override;
    void controlEndEdit(CControl* control) override;

    // Lights the run key and LED as the blink shows them while the sequencer runs
    // (screenshots, which take no time for the blink).
    void showRunState();
    // Renders a dialog ("preferences", "analyze") offscreen into a PNG; false when there is
    // no such dialog or the file cannot be written.
    bool writeDialogScreenshot(const std::string& dialog, const std::string& path);

    // The full refresh: every control from the plug-in's state.
    void refresh();
    void refreshLearnLabels();
    // Selects a skin by name (shown from the next open); false when it fell back.
    bool selectSkin(const std::string& name);

    SynthPlugin& plugin() { return plugin_; }
    GuiSettings& guiSettings() { return gui_; }
    const SkinDefinition& skin() const { return skin_; }
    bool readGuiSettings(const std::string& fileName);
    bool writeGuiSettings(const std::string& fileName = "Gui.ini") const;

    // The control built for a skin element or menu tag, when it exists and has type T.
    template <class T>
    T* control(int tag) const {
        const auto index = static_cast<std::size_t>(tagSlot(tag));
        return index < controls_.size() ? dynamic_cast<T*>(controls_[index]) : nullptr;
    }
    const std::vector<std::pair<LearnLabel*, int>>& learnLabels() const { return learnLabels_; }
    int lightShowFrame() const { return lightShowFrame_; }

    // Message boxes, file choosers and launching, created on first use.
    DesktopServices& desktop();
    // The clipboard the Analyze Pattern dialog copies to and pastes from.
    Clipboard& clipboard();
    // Tests answer dialogs through a scripted desktop.
    void setDesktop(std::unique_ptr<DesktopServices> desktop);
    // The open dialogs; while one is open the panel takes no input.
    DialogHost& dialogs() { return dialogs_; }

    // Tests drive time through this instead of the system tick count.
    void setTickSource(std::function<std::uint32_t()> source) { ticks_ = std::move(source); }

private:
    // Slot of a tag in controls_: skin ids below 1300, then the tags without elements.
    static int tagSlot(int tag);
    void remember(int tag, CControl* control);

    void buildControls(CFrame& frame);
    void addKnobs(CFrame& frame);
    void addMovie(CFrame& frame, int id, bool transparent);
    void addKick(CFrame& frame, int id, bool transparent);
    void addIllu(CFrame& frame, int id);
    void addOnOff(CFrame& frame, int id);
    void addDigits(CFrame& frame, int id, int digits, int firstDigitId);
    void addLearnLabels(CFrame& frame);
    void buildMenus(CFrame& frame);

    void runIdle();
    void applyPendingParameters();
    void setControlValue(int tag, float value);
    void setLight(int ledTag, int illuTag, bool on);
    void runTimedJobs(std::uint32_t now);
    void runLightShow();
    void runRepeats(std::uint32_t now);
    void blink();
    void checkHiddenSprite();
    // Rocker and display steps shared by clicks and press-and-hold repeats.
    void stepTempo(float rockerValue);
    void stepLength(float rockerValue);
    void stepPattern(float rockerValue);
    void programmingKey(int code);
    void auditionNote(int key, bool press);
    void controlChanged(CControl& control, int tag, float value);
    void refreshMenuTexts();

    // Menus and commands (EditorMenus.cpp).
    void fillSkinMenu(FolderMenu& menu);
    void fillLibraryMenu(FolderMenu& menu);
    void fillPatternMenu(FolderMenu& menu, FolderMenu* library);
    void fillOptionsMenu(FolderMenu& menu, FolderMenu* skinMenu);
    void rebuildLibraryMenus();
    std::string functionButtonText(int button, int position) const;
    void popupMenu(int tag);
    void menuChosen(CControl& control, int tag);
    void patternMenuChosen(int position);
    void runPatternCommand(int position);
    void optionsMenuChosen(int position);
    void libraryChosen(FolderMenu& menu, int position);
    void skinChosen(const std::string& name);
    void runFunctionButton(int button);
    void clearPressed(CControl& control);
    void chooseFile(FileChooserRequest request, std::function<void(const std::string&)> done);
    void reportFailure(const std::string& text);
    void openPreferencesDialog();
    void openAnalyzeDialog();

    // Positions of the command entries, recorded while the menus are built.
    struct PatternMenuPositions {
        int library = -1, copy = -1, paste = -1, transposeUpOctave = -1, transposeDownOctave = -1, transposeUp = -1,
            transposeDown = -1, shiftLeft = -1, shiftRight = -1, notesOff = -1, accentsOff = -1, slidesOff = -1,
            randomizeAll = -1, randomizePitches = -1, alter = -1, importPatterns = -1, exportPatterns = -1,
            importRebirth = -1, exportMidi = -1, analyze = -1;
    };
    struct OptionsMenuPositions {
        int learn = -1, midiOutput = -1, transmitKnobs = -1, programming = -1, clock = -1, loadMap = -1, saveMap = -1,
            viewConfiguration = -1, reloadConfiguration = -1, functionButton1 = -1, functionButton2 = -1, skins = -1,
            defaultSkin = -1, preferences = -1, about = -1, web = -1, loadPreset = -1, savePreset = -1;
    };
    PatternMenuPositions patternPositions_;
    OptionsMenuPositions optionPositions_;
    std::uint32_t now() const;

    SynthPlugin& plugin_;
    SkinDefinition skin_;
    GuiSettings gui_;
    int width_ = 0;
    int height_ = 0;

    std::vector<CControl*> controls_;
    std::vector<std::pair<LearnLabel*, int>> learnLabels_;
    std::unique_ptr<DesktopServices> desktop_;
    std::unique_ptr<Clipboard> clipboard_;
    // After the desktop: goes first, answering its dialogs' callbacks while the desktop exists.
    DialogHost dialogs_;

    bool open_ = false;
    bool refreshPending_ = false;
    int idleCounter_ = 0;
    int lightShowFrame_ = 0;
    bool blinkPhase_ = false;
    std::uint32_t midiLedStamp_ = 0;
    std::uint32_t animationStamp_ = 0;
    std::uint32_t blinkStamp_ = 0;
    std::uint32_t deferredStamp_ = 0;
    std::uint32_t tempoDeadline_ = 0;
    std::uint32_t lengthDeadline_ = 0;
    std::uint32_t patternDeadline_ = 0;
    std::uint32_t runKeyDeadline_ = 0;

    // Set by other threads, taken in idle.
    std::atomic<std::uint32_t> pendingParameters_{0};
    std::atomic<bool> midiActivity_{false};
    std::atomic<bool> learnLabelsStale_{false};

    std::function<std::uint32_t()> ticks_;

    // Serialises the editor between the host's user-interface thread and the idle keeper.
    std::recursive_mutex lock_;
    IdleKeeper keeper_;
};

}  // namespace vexo

// The Preferences dialog: its logic by control id, its window offscreen in the editor, and
// the window in a real X server opened from the options menu.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "EditorFixture.h"
#include "XTestDriver.h"
#include "XvfbServer.h"
#include "editor/controls/FolderMenu.h"
#include "editor/dialogs/PreferencesDialogWindow.h"
#include "editor/skin/SkinElements.h"
#include "gui/dialog/DialogWidgets.h"

namespace vexo::test {
namespace {

using Id = PreferencesDialog::ControlId;

// "Preferences..." chosen from the options menu, as a click in its pop-up does.
void choosePreferences(BassEditor& bass) {
    auto& options = *bass.control<FolderMenu>(BassEditor::kOptionsMenuTag);
    for (int i = 0; i < options.getNbEntries(); ++i) {
        if (options.getEntry(i) == "Preferences...") {
            options.choose(i);
        }
    }
}

class PreferencesDialogTest : public EditorFixture {
protected:
    PreferencesDialog& openLogic() {
        create<EditorPlugin>();
        logic = std::make_unique<PreferencesDialog>(synth(), gui);
        logic->open();
        return *logic;
    }

    Settings& settings() { return synth().settings(); }

    void openPreferences(BassEditor& bass) {
        choosePreferences(bass);
        editor->idle();
    }

    GuiSettings gui;
    std::unique_ptr<PreferencesDialog> logic;
};

TEST_F(PreferencesDialogTest, OpeningBacksUpFillsTheListAndShowsTheSettings) {
    writeConfig("Config.ini", "VcoGain = 1.58\nTM6 = 0.29\nMidiOutputChannel = 3\nMidiMode = 1\nAccentVelocity = 64\n");
    PreferencesDialog& dialog = openLogic();
    EXPECT_TRUE(std::filesystem::exists(folder.file("Config.bak")));
    const std::vector<std::string>& channels = dialog.listItems(Id::kMidiOutputChannel);
    ASSERT_EQ(channels.size(), 17u);
    EXPECT_EQ(channels.front(), "None");
    EXPECT_EQ(channels.back(), "16");
    EXPECT_EQ(dialog.listSelection(Id::kMidiOutputChannel), 4);
    // 1.58 and 0.29 are a hair below their steps as floats; the positions are still 29.
    EXPECT_EQ(dialog.sliderPosition(Id::kPreGain), 29);
    EXPECT_EQ(dialog.sliderPosition(Id::kFilterVcc), 29);
    EXPECT_EQ(dialog.text(Id::kAccentVelocity), " 64");
    EXPECT_EQ(dialog.tooltip(Id::kVcfFreq), "Sets the cutoff frequency offset");
    EXPECT_FALSE(dialog.isChecked(Id::kPatternMode));  // MidiMode 1 checks neither button
    EXPECT_FALSE(dialog.isChecked(Id::kNoteMode));
    EXPECT_TRUE(dialog.isChecked(Id::kLinear));
}

TEST_F(PreferencesDialogTest, SlidersSetGainVccAndFrequency) {
    PreferencesDialog& dialog = openLogic();
    for (const auto& [position, gain] : {std::pair{0, 1.0f}, std::pair{50, 2.0f}, std::pair{100, 3.0f}}) {
        dialog.setSlider(Id::kPreGain, position);
        EXPECT_FLOAT_EQ(settings().vcoGain, gain);
        EXPECT_EQ(dialog.sliderPosition(Id::kPreGain), position);
    }
    dialog.setSlider(Id::kFilterVcc, 37);
    dialog.setSlider(Id::kVcfFreq, 140);
    EXPECT_FLOAT_EQ(settings().tm6, 0.37f);
    EXPECT_FLOAT_EQ(settings().tm3, 1.0f);
    EXPECT_EQ(dialog.sliderPosition(Id::kFilterVcc), 37);
    EXPECT_FLOAT_EQ(settings().vcoGain, 3.0f);
}

TEST_F(PreferencesDialogTest, AccentVelocityChannelChecksAndRadiosStoreAtOnce) {
    PreferencesDialog& dialog = openLogic();
    int changes = 0;
    dialog.setChangeHandler([&changes] { ++changes; });
    for (const auto& [text, velocity] :
         {std::pair{"300", 127}, std::pair{"-5", 0}, std::pair{"64", 64}, std::pair{"12ab", 0}, std::pair{"", 0}}) {
        dialog.setText(Id::kAccentVelocity, text);
        EXPECT_EQ(settings().accentVelocity, velocity) << text;
        EXPECT_EQ(dialog.text(Id::kAccentVelocity), text);
    }
    dialog.selectListItem(Id::kMidiOutputChannel, 0);
    EXPECT_EQ(settings().midiOutputChannel, -1);
    dialog.selectListItem(Id::kMidiOutputChannel, 16);
    EXPECT_EQ(settings().midiOutputChannel, 15);

    dialog.setChecked(Id::kClearConfirm, true);
    dialog.setChecked(Id::kNonlinearVca, true);
    dialog.setChecked(Id::kVcaClicks, false);
    EXPECT_EQ(gui.clearConfirm, 1);
    EXPECT_EQ(settings().outputClipping, 1);
    EXPECT_EQ(settings().vcaNoise, 0);

    dialog.selectRadio(Id::kHostDecides);
    dialog.selectRadio(Id::kFilter18dBPure);
    dialog.selectRadio(Id::kHostSync);
    EXPECT_EQ(gui.knobMode, 3);
    EXPECT_EQ(settings().filterMode, 2);
    EXPECT_EQ(settings().syncMode, 1);
    EXPECT_TRUE(dialog.isChecked(Id::kHostSync));
    EXPECT_FALSE(dialog.isChecked(Id::kInternalSync));

    // Note mode silences a note held in the voice.
    synth().noteOn(40, 100, 0);
    ASSERT_TRUE(synth().noteModeKeyDown());
    dialog.selectRadio(Id::kNoteMode);
    EXPECT_EQ(settings().midiMode, 2);
    EXPECT_FALSE(synth().noteModeKeyDown());
    EXPECT_EQ(changes, 14);  // every command above
}

TEST_F(PreferencesDialogTest, CancelRestoresThePluginSettingsFromTheBackupButNotTheEditorOnes) {
    PreferencesDialog& dialog = openLogic();
    dialog.setSlider(Id::kPreGain, 10);
    dialog.setSlider(Id::kFilterVcc, 90);
    dialog.setSlider(Id::kVcfFreq, 5);
    dialog.selectRadio(Id::kAnalogTuning);
    dialog.setChecked(Id::kAuditionNotes, false);
    dialog.press(Id::kCancel);
    EXPECT_TRUE(dialog.isClosed());
    EXPECT_FALSE(dialog.accepted());
    EXPECT_FLOAT_EQ(settings().vcoGain, 2.0f);
    EXPECT_FLOAT_EQ(settings().tm6, 0.25f);
    EXPECT_FLOAT_EQ(settings().tm3, 0.5f);
    EXPECT_EQ(settings().tuningMode, 0);
    EXPECT_EQ(gui.auditionNotes, 0);
}

TEST_F(PreferencesDialogTest, CancelWithoutABackupFileRestoresWhatWasOpenedNotAnOlderFile) {
    create<EditorPlugin>();
    // An old backup, then a folder in its place so that no new one can be written.
    settings().vcoGain = 1.2f;
    synth().writeConfiguration("Old.bak");
    std::filesystem::remove(folder.file("Config.bak"));
    std::filesystem::create_directory(folder.file("Config.bak"));
    settings().vcoGain = 2.6f;
    PreferencesDialog dialog(synth(), gui);
    dialog.open();
    dialog.setSlider(Id::kPreGain, 0);
    dialog.press(Id::kCancel);
    EXPECT_FLOAT_EQ(settings().vcoGain, 2.6f);
}

TEST_F(PreferencesDialogTest, SaveWritesBothFilesAndLoadDefaultsReadsBothDefaults) {
    PreferencesDialog& dialog = openLogic();
    ASSERT_TRUE(std::filesystem::exists(folder.file("DefaultGui.ini")));
    dialog.setSlider(Id::kPreGain, 100);
    dialog.selectRadio(Id::kRelativeCircular);
    dialog.press(Id::kSave);
    EXPECT_NE(readFile(folder.file("Config.ini")).find("VcoGain = 3.000000"), std::string::npos);
    EXPECT_NE(readFile(folder.file("Gui.ini")).find("KnobMode = 0"), std::string::npos);
    EXPECT_FALSE(dialog.isClosed());

    dialog.press(Id::kLoadDefaults);
    EXPECT_FLOAT_EQ(settings().vcoGain, 2.0f);
    EXPECT_EQ(gui.knobMode, 2);
    EXPECT_EQ(dialog.sliderPosition(Id::kPreGain), 50);
    EXPECT_TRUE(dialog.isChecked(Id::kLinear));
    dialog.press(Id::kOk);
    EXPECT_TRUE(dialog.accepted());
}

TEST_F(PreferencesDialogTest, SaveThatCannotWriteIsReported) {
    PreferencesDialog& dialog = openLogic();
    std::filesystem::remove(folder.file("Gui.ini"));  // an editor may have left one in the copied folder
    std::filesystem::create_directory(folder.file("Gui.ini"));
    std::string reported;
    dialog.setFailureHandler([&reported](const std::string& text) { reported = text; });
    dialog.press(Id::kSave);
    EXPECT_EQ(reported, "Could not save the settings to\n" + folder.file("Gui.ini"));
}

// The dialog opened from the options menu in the editor, offscreen.
TEST_F(PreferencesDialogTest, TheWindowFromTheOptionsMenuShieldsThePanelUntilOk) {
    BassEditor& bass = openEditor();
    openPreferences(bass);
    auto* window = bass.dialogs().find<PreferencesDialogWindow>();
    ASSERT_NE(window, nullptr);

    // The panel takes no clicks while the dialog is open.
    const int pattern = synth().bank().currentPattern();
    const CRect rocker = bass.control<CControl>(kPatternRocker)->getViewSize();
    click({rocker.left + rocker.width() / 2, rocker.top + 3});
    EXPECT_EQ(synth().bank().currentPattern(), pattern);

    // A click on "Note", then on "Clear confirm", then Return (OK).
    DialogFrame& dialog = window->frame();
    for (int id : {int(Id::kNoteMode), int(Id::kClearConfirm)}) {
        const CRect box = window->control(id)->getViewSize();
        dialog.pointerDown({box.left + 8, box.top + 10}, kLButton);
        dialog.pointerUp({box.left + 8, box.top + 10}, kLButton);
    }
    EXPECT_EQ(synth().settings().midiMode, 2);
    EXPECT_EQ(bass.control<CControl>(kModeSwitch)->getValue(), 1.0f);  // the panel follows
    dialog.keyDown(VstKeyCode{0, kVirtKeyReturn, 0});
    advance(20);
    EXPECT_FALSE(bass.dialogs().active());
    EXPECT_EQ(bass.guiSettings().clearConfirm, 1);
    click({rocker.left + rocker.width() / 2, rocker.top + 3});
    EXPECT_EQ(synth().bank().currentPattern(), pattern + 1);
}

TEST_F(PreferencesDialogTest, WidgetsDriveTheSettingsEscapeCancelsAndClosingTheEditorCancelsToo) {
    BassEditor& bass = openEditor();
    synth().settings().midiOutputChannel = 3;
    bass.refresh();
    auto& options = *bass.control<FolderMenu>(BassEditor::kOptionsMenuTag);
    ASSERT_EQ(options.getEntry(1), "Activate MIDI output [channel 4]");
    openPreferences(bass);
    auto* window = bass.dialogs().find<PreferencesDialogWindow>();
    ASSERT_NE(window, nullptr);
    DialogFrame& dialog = window->frame();

    // The channel list: "None" chosen in its pop-up shows in the options menu at once.
    auto* list = static_cast<DropDownList*>(window->control(Id::kMidiOutputChannel));
    const CRect box = list->getViewSize();
    dialog.pointerDown({box.left + 10, box.top + 10}, kLButton);
    dialog.pointerUp({box.left + 10, box.top + 10}, kLButton);
    ASSERT_NE(dialog.openPopup(), nullptr);
    const CRect none = dialog.openPopup()->entryRect(0, 0);
    dialog.pointerDown({none.left + 10, none.top + 5}, kLButton);
    dialog.pointerUp({none.left + 10, none.top + 5}, kLButton);
    EXPECT_EQ(synth().settings().midiOutputChannel, -1);
    EXPECT_EQ(options.getEntry(1), "Activate MIDI output [channel None]");

    // The pre-gain slider dragged to its right end, then Escape: the gain comes back.
    auto* slider = static_cast<Slider*>(window->control(Id::kPreGain));
    const CRect track = slider->getViewSize();
    dialog.pointerDown({track.left + track.width() / 2, track.top + 10}, kLButton);
    dialog.pointerMoved({track.right + 40, track.top + 10}, kLButton);
    dialog.pointerUp({track.right + 40, track.top + 10}, kLButton);
    EXPECT_FLOAT_EQ(synth().settings().vcoGain, 3.0f);
    dialog.keyDown(VstKeyCode{0, kVirtKeyEscape, 0});
    advance(20);
    EXPECT_FALSE(bass.dialogs().active());
    EXPECT_FLOAT_EQ(synth().settings().vcoGain, 2.0f);

    // A dialog open when the editor closes is cancelled with it.
    openPreferences(bass);
    window = bass.dialogs().find<PreferencesDialogWindow>();
    ASSERT_NE(window, nullptr);
    window->logic().setSlider(Id::kVcfFreq, 0);
    editor->close();
    EXPECT_FALSE(bass.dialogs().active());
    EXPECT_FLOAT_EQ(synth().settings().tm3, 0.5f);
}

class PreferencesX11Test : public EditorFixture {
protected:
    static void SetUpTestSuite() {
        if (XvfbServer::available()) {
            server_ = new XvfbServer;
            started_ = server_->start("1280x1024x24");
        }
    }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
    }
    void SetUp() override {
        if (!XvfbServer::available()) {
            GTEST_SKIP() << "Xvfb is not installed";
        }
        ASSERT_TRUE(started_);
        EditorFixture::SetUp();
        x_ = std::make_unique<XTestDriver>();
        ASSERT_TRUE(x_->connected());
    }

    void idleFor(EditorPlugin& effect, int milliseconds) {
        for (int t = 0; t < milliseconds; t += 10) {
            effect.getAeffect()->dispatcher(effect.getAeffect(), effEditIdle, 0, 0, nullptr, 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    void clickAt(CPoint where) {
        x_->pointerTo(where.x, where.y);
        x_->button(1, true);
        x_->button(1, false);
    }

    static inline XvfbServer* server_ = nullptr;
    static inline bool started_ = false;
    std::unique_ptr<XTestDriver> x_;
};

TEST_F(PreferencesX11Test, PreferencesOpenFromTheOptionsMenuInAWindowOfTheirOwnAndTakeClicks) {
    auto& effect = create<EditorPlugin>();
    ERect* rect = nullptr;
    dispatch(effEditGetRect, 0, 0, &rect);
    const int width = rect->right;
    const int height = rect->bottom;
    const unsigned long host = x_->createWindow(width, height, 0x303030);
    ASSERT_EQ(dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(host)), 1);
    BassEditor& bass = *effect.bassEditor();
    idleFor(effect, 100);

    choosePreferences(bass);
    idleFor(effect, 150);
    auto* window = bass.dialogs().find<PreferencesDialogWindow>();
    ASSERT_NE(window, nullptr);
    // Without a window manager the dialog stands where it asked to: centred over the host's
    // window, kept on the screen.
    const CPoint origin(std::max((width - PreferencesDialogWindow::kWidth) / 2, 0),
                        std::max((height - PreferencesDialogWindow::kHeight) / 2, 0));
    EXPECT_EQ(x_->screenPixel(origin.x + 4, origin.y + 4), 0xF0F0F1ul);

    const CRect box = window->control(Id::kClearConfirm)->getViewSize();
    clickAt({origin.x + box.left + 8, origin.y + box.top + 10});
    idleFor(effect, 60);
    EXPECT_EQ(bass.guiSettings().clearConfirm, 1);
    const CRect ok = window->control(Id::kOk)->getViewSize();
    clickAt({origin.x + (ok.left + ok.right) / 2, origin.y + (ok.top + ok.bottom) / 2});
    idleFor(effect, 60);
    EXPECT_FALSE(bass.dialogs().active());
    EXPECT_EQ(bass.guiSettings().clearConfirm, 1);
    dispatch(effEditClose);
}

}  // namespace
}  // namespace vexo::test

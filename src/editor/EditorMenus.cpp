// The pattern, options, pattern library and skin menus, the function buttons and the
// commands behind every menu entry.
#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "config/ControllerMap.h"
#include "config/ProgrammingCodes.h"
#include "editor/BassEditor.h"
#include "editor/controls/FolderMenu.h"
#include "editor/controls/SplashView.h"
#include "editor/controls/SpriteView.h"
#include "editor/skin/SkinElements.h"
#include "gui/Controls.h"
#include "gui/Frame.h"
#include "host/StateFile.h"
#include "host/SynthPlugin.h"
#include "platform/Desktop.h"

namespace vexo {

namespace {

constexpr const char* kCaption = "Fernwave Vexo";
constexpr const char* kSkinNotice = "Editor must be closed and reopened for new skin to take effect.";
constexpr const char* kProgrammingNotice =
    "MIDI Keyboard programming is now activated.\nYou can now use your MIDI keyboard to program patterns into VEXO. "
    "Use the MIDI Learn function to set up the key mappings to your preference.";
constexpr const char* kClearQuestion = "Are you sure you want to clear the pattern?";
constexpr const char* kWebAddress = "https://fernwave.example/vexo";
constexpr const char* kPatternFolder = "Patterns";
constexpr int kLibraryFixedEntries = 5;  // Load, Save, -, Load knobs, -
constexpr int kLibraryLoad = 0;
constexpr int kLibrarySave = 1;
constexpr int kLibraryKnobs = 3;
// The library menu pops up under the patch display, a little wider and taller.
constexpr int kLibraryMenuLeftInset = 3;
constexpr int kLibraryMenuExtraHeight = 20;

const FileFilter kPatternFilter{"Patterns (*.pat)", "*.pat"};
const FileFilter kSinglePatternFilter{"Pattern (*.pat)", "*.pat"};
const FileFilter kRebirthFilter{"Rebirth (*.rbs) and Ph (*.ph) files", "*.rbs;*.ph"};
const FileFilter kMidiFilter{"MIDI File (*.mid)", "*.mid"};
const FileFilter kMapFilter{"MidiCC (*.map)", "*.map"};
const FileFilter kPresetFilter{"VST preset files (*.fxb, *.fxp)", "*.fxb;*.fxp"};
const FileFilter kBankFilter{"VST bank file (*.fxb)", "*.fxb"};
const FileFilter kProgramFilter{"VST program file (*.fxp)", "*.fxp"};

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Fills a library menu from folder: sub-folders as submenus of the same kind, ".pat"
// files by name; entries from `first` on sorted by text.
void fillLibrary(FolderMenu& menu, const std::string& folder, CControlListener* listener, int first) {
    namespace fs = std::filesystem;
    menu.setPath(folder);
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const fs::path& path = it->path();
        const std::string name = path.filename().string();
        if (it->is_directory(error)) {
            auto* submenu = new FolderMenu(CRect(), listener, BassEditor::kLibraryMenuTag);
            fillLibrary(*submenu, folder + "/" + name, listener, 0);
            if (!menu.addEntry(submenu, name)) {
                break;
            }
        } else if (endsWith(name, ".pat")) {
            if (!menu.addEntry(name.substr(0, name.size() - 4))) {
                break;
            }
        }
    }
    menu.sortEntries(first);
}

}  // namespace

// --- Building

void BassEditor::buildMenus(CFrame& frame) {
    auto addHidden = [&frame](COptionMenu* menu) {
        menu->setVisible(false);
        menu->setMouseEnabled(false);
        frame.addView(menu);
    };

    // Order 4: the skin menu lives as the options menu's submenu.
    auto* skinMenu = new FolderMenu(CRect(), this, kSkinMenuTag);
    fillSkinMenu(*skinMenu);

    // Order 5: the pattern library menu under the patch display.
    CRect libraryRect = skin_.elementRect(kPatchDisplay);
    libraryRect.left -= kLibraryMenuLeftInset;
    libraryRect.bottom += kLibraryMenuExtraHeight;
    auto* library = new FolderMenu(libraryRect, this, kLibraryMenuTag);
    fillLibraryMenu(*library);
    addHidden(library);
    remember(kLibraryMenuTag, library);

    // Order 6: the pattern button and menu.
    if (const SharedBitmap image = skin_.elementImage(kPatternMenu)) {
        auto* button =
            new CKickButton(skin_.elementRect(kPatternMenu), this, kPatternMenu, image->getHeight() / 2, image);
        frame.addView(button);
        remember(kPatternMenu, button);
    }
    auto* patternMenu = new FolderMenu(skin_.elementRect(kPatternDropDown), this, kPatternMenuTag);
    auto* librarySubmenu = new FolderMenu(CRect(), this, kLibraryMenuTag);
    fillLibraryMenu(*librarySubmenu);
    fillPatternMenu(*patternMenu, librarySubmenu);
    addHidden(patternMenu);
    remember(kPatternMenuTag, patternMenu);

    // Order 7: the options button and menu.
    if (const SharedBitmap image = skin_.elementImage(kOptionMenu)) {
        auto* button =
            new CKickButton(skin_.elementRect(kOptionMenu), this, kOptionMenu, image->getHeight() / 2, image);
        frame.addView(button);
        remember(kOptionMenu, button);
    }
    auto* optionsMenu = new FolderMenu(skin_.elementRect(kOptionDropDown), this, kOptionsMenuTag);
    fillOptionsMenu(*optionsMenu, skinMenu);
    addHidden(optionsMenu);
    remember(kOptionsMenuTag, optionsMenu);
    remember(kSkinMenuTag, skinMenu);
}

void BassEditor::fillSkinMenu(FolderMenu& menu) {
    namespace fs = std::filesystem;
    menu.setPath(plugin_.pluginDirectory());
    std::error_code error;
    for (fs::directory_iterator it(plugin_.pluginDirectory(), error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (!endsWith(name, ".skn")) {
            continue;
        }
        const std::string skinName = name.substr(0, name.size() - 4);
        if (!menu.addEntry(skinName)) {
            break;
        }
        if (strcasecmp(skinName.c_str(), gui_.skin.c_str()) == 0) {
            menu.setCurrent(menu.getNbEntries() - 1);
        }
    }
}

void BassEditor::fillLibraryMenu(FolderMenu& menu) {
    menu.removeAllEntry();
    menu.addEntry("Load Pattern");
    menu.addEntry("Save Pattern");
    menu.addSeparator();
    menu.addEntry(plugin_.settings().loadKnobPositions != 0 ? "Load knobs: On" : "Load knobs: Off");
    menu.addSeparator();
    const std::string folder = plugin_.pluginDirectory() + kPatternFolder;
    fillLibrary(menu, folder, this, kLibraryFixedEntries);
}

void BassEditor::fillPatternMenu(FolderMenu& menu, FolderMenu* library) {
    auto add = [&menu](const char* text) {
        const int position = menu.getNbEntries();
        menu.addEntry(text);
        return position;
    };
    PatternMenuPositions& p = patternPositions_;
    p.library = menu.getNbEntries();
    menu.addEntry(library, "Pattern library");
    menu.addSeparator();
    p.copy = add("Copy Pattern");
    p.paste = add("Paste Pattern");
    menu.addSeparator();
    p.transposeUpOctave = add("Transpose +12 semitones");
    p.transposeDownOctave = add("Transpose -12 semitones");
    p.transposeUp = add("Transpose  +1 semitone");
    p.transposeDown = add("Transpose  -1 semitone");
    menu.addSeparator();
    p.shiftLeft = add("Shift left");
    p.shiftRight = add("Shift right");
    menu.addSeparator();
    p.notesOff = add("All notes off");
    p.accentsOff = add("All accents off");
    p.slidesOff = add("All slides off");
    menu.addSeparator();
    p.randomizeAll = add("Randomize all");
    p.randomizePitches = add("Randomize pitches");
    p.alter = add("Alter pattern");
    menu.addSeparator();
    p.importPatterns = add("Import patterns");
    p.exportPatterns = add("Export patterns");
    p.importRebirth = add("Import Rebirth Patterns");
    p.exportMidi = add("Export pattern as MIDI file");
    menu.addSeparator();
    p.analyze = add("Analyze Pattern...");
}

void BassEditor::fillOptionsMenu(FolderMenu& menu, FolderMenu* skinMenu) {
    auto add = [&menu](const char* text) {
        const int position = menu.getNbEntries();
        menu.addEntry(text);
        return position;
    };
    OptionsMenuPositions& p = optionPositions_;
    p.learn = add("Activate MIDI learn");
    p.midiOutput = add("Activate MIDI output");
    p.transmitKnobs = add("MIDI Transmit Knobs: Off");
    p.programming = add("Keyboard Programming: ON");
    p.clock = add("Ext. Clock sync: 24PPQ");
    menu.addSeparator();
    p.loadMap = add("Load MIDI CC map");
    p.saveMap = add("Save MIDI CC map");
    p.viewConfiguration = add("View Configuration files");
    p.reloadConfiguration = add("Reload Configuration");
    menu.addSeparator();
    p.functionButton1 = add("Assign Function Button 1");
    p.functionButton2 = add("Assign Function Button 2");
    menu.addSeparator();
    p.skins = menu.getNbEntries();
    menu.addEntry(skinMenu, "Select Skin");
    p.defaultSkin = add("Set Default Skin");
    menu.addSeparator();
    p.preferences = add("Preferences...");
    p.about = add("About VEXO");
    menu.addSeparator();
    p.web = add("Visit fernwave.example");
    // Later additions go last, so that the positions above stay where users know them.
    menu.addSeparator();
    p.loadPreset = add("Load Preset File...");
    p.savePreset = add("Save Preset File...");
}

void BassEditor::refreshMenuTexts() {
    SynthPlugin& plugin = plugin_;
    const Settings& settings = plugin.settings();
    if (auto* menu = control<FolderMenu>(kOptionsMenuTag)) {
        const OptionsMenuPositions& p = optionPositions_;
        menu->setEntry(p.learn, plugin.learn() ? "Deactivate MIDI learn" : "Activate MIDI learn");
        char channel[16] = "None";
        if (settings.midiOutputChannel >= 0) {
            std::snprintf(channel, sizeof channel, "%d", settings.midiOutputChannel + 1);
        }
        menu->setEntry(p.midiOutput, std::string(settings.midiOutput != 0 ? "Deactivate" : "Activate") +
                                         " MIDI output [channel " + channel + "]");
        menu->setEntry(p.transmitKnobs,
                       settings.midiTransmitKnobs != 0 ? "MIDI Transmit Knobs: On" : "MIDI Transmit Knobs: Off");
        menu->setEntry(p.programming,
                       settings.midiKeyProgramming != 0 ? "MIDI Programming: On" : "MIDI Programming: Off");
        menu->setEntry(p.clock, settings.clockSync != 0 ? "Ext. Clock sync: 48PPQ" : "Ext. Clock sync: 24PPQ");
        menu->setEntry(p.functionButton1, functionButtonText(1, gui_.functionButton1));
        menu->setEntry(p.functionButton2, functionButtonText(2, gui_.functionButton2));
    }
    const char* knobs = settings.loadKnobPositions != 0 ? "Load knobs: On" : "Load knobs: Off";
    if (auto* library = control<FolderMenu>(kLibraryMenuTag)) {
        library->setEntry(kLibraryKnobs, knobs);
    }
    if (auto* menu = control<FolderMenu>(kPatternMenuTag)) {
        if (COptionMenu* library = menu->getSubMenu(patternPositions_.library)) {
            library->setEntry(kLibraryKnobs, knobs);
        }
    }
}

std::string BassEditor::functionButtonText(int button, int position) const {
    std::string text = "Assign Function Button " + std::to_string(button);
    if (position >= 0) {
        const auto* menu = control<FolderMenu>(kPatternMenuTag);
        text += " (now " + (menu != nullptr ? menu->getEntry(position) : std::string()) + ")";
    }
    return text;
}

// --- Choosing

void BassEditor::popupMenu(int tag) {
    if (auto* menu = control<COptionMenu>(tag)) {
        menu->popup();
    }
}

void BassEditor::menuChosen(CControl& control, int tag) {
    const int position = static_cast<int>(control.getValue());
    switch (tag) {
        case kPatternMenuTag:
            patternMenuChosen(position);
            break;
        case kOptionsMenuTag:
            optionsMenuChosen(position);
            break;
        case kLibraryMenuTag:
            if (auto* menu = dynamic_cast<FolderMenu*>(&control)) {
                libraryChosen(*menu, position);
            }
            break;
        case kSkinMenuTag:
            if (auto* menu = dynamic_cast<FolderMenu*>(&control)) {
                skinChosen(menu->getEntry(position));
            }
            break;
        default:
            break;
    }
}

void BassEditor::patternMenuChosen(int position) {
    bool assigned = false;
    if (gui_.functionButton1 == -2) {
        gui_.functionButton1 = position;
        position = -1;
        assigned = true;
    }
    if (gui_.functionButton2 == -2) {
        gui_.functionButton2 = position;
        assigned = true;
    }
    if (!assigned) {
        runPatternCommand(position);
    }
    refresh();
}

void BassEditor::runPatternCommand(int position) {
    const PatternMenuPositions& p = patternPositions_;
    SynthPlugin& plugin = plugin_;
    if (position == p.copy) {
        plugin.copyPattern();
    } else if (position == p.paste) {
        plugin.pastePattern();
    } else if (position == p.transposeUpOctave) {
        plugin.transposePattern(12);
    } else if (position == p.transposeDownOctave) {
        plugin.transposePattern(-12);
    } else if (position == p.transposeUp) {
        plugin.transposePattern(1);
    } else if (position == p.transposeDown) {
        plugin.transposePattern(-1);
    } else if (position == p.shiftLeft) {
        plugin.rotatePattern(-1);
    } else if (position == p.shiftRight) {
        plugin.rotatePattern(1);
    } else if (position == p.notesOff) {
        plugin.clearStepFlags(StepFlags::Gate);
    } else if (position == p.accentsOff) {
        plugin.clearStepFlags(StepFlags::Accent);
    } else if (position == p.slidesOff) {
        plugin.clearStepFlags(StepFlags::Slide);
    } else if (position == p.randomizeAll) {
        plugin.randomizeAll();
    } else if (position == p.randomizePitches) {
        plugin.randomizePitches();
    } else if (position == p.alter) {
        plugin.alterPattern();
    } else if (position == p.importPatterns) {
        chooseFile({"Import Patterns", {kPatternFilter}, "pat", plugin.pluginDirectory(), false, false, false},
                   [this](const std::string& path) {
                       if (!plugin_.importPatterns(path)) {
                           reportFailure("Could not read the patterns from\n" + path);
                       }
                   });
    } else if (position == p.exportPatterns) {
        chooseFile({"Export Patterns", {kPatternFilter}, "pat", plugin.pluginDirectory(), true, false, true},
                   [this](const std::string& path) {
                       if (!plugin_.exportPatterns(path)) {
                           reportFailure("Could not write the patterns to\n" + path);
                       }
                   });
    } else if (position == p.importRebirth) {
        chooseFile(
            {"Import Rebirth RB-338 Song File", {kRebirthFilter}, "rbs", plugin.pluginDirectory(), false, false, false},
            [this](const std::string& path) { plugin_.importRebirthOrPh(path); });
    } else if (position == p.exportMidi) {
        chooseFile({"Export MIDI File", {kMidiFilter}, "mid", plugin.pluginDirectory(), true, false, true},
                   [this](const std::string& path) {
                       if (!plugin_.exportMidiFile(path)) {
                           reportFailure("Could not write the MIDI file\n" + path);
                       }
                   });
    } else if (position == p.analyze) {
        openAnalyzeDialog();
    }
}

void BassEditor::optionsMenuChosen(int position) {
    const OptionsMenuPositions& p = optionPositions_;
    SynthPlugin& plugin = plugin_;
    Settings& settings = plugin.settings();
    if (position == p.learn) {
        plugin.setLearn(!plugin.learn());
        refreshLearnLabels();
    } else if (position == p.preferences) {
        openPreferencesDialog();
    } else if (position == p.about) {
        if (auto* splash = control<SplashView>(kSplash)) {
            splash->show();
        }
    } else if (position == p.web) {
        desktop().openFolderOrUrl(kWebAddress);
    } else if (position == p.loadMap) {
        chooseFile({"Select MidiCC map", {kMapFilter}, "map", plugin.pluginDirectory(), false, false, false},
                   [this](const std::string& path) {
                       if (!readControllerMap(path, plugin_.controllerMap(), plugin_.keyMap())) {
                           reportFailure("Could not read the MIDI CC map\n" + path);
                       }
                       refreshLearnLabels();
                   });
    } else if (position == p.saveMap) {
        // A save chooser that asks before overwriting: a new map file must be possible.
        chooseFile({"Select MidiCC map", {kMapFilter}, "map", plugin.pluginDirectory(), true, false, true},
                   [this](const std::string& path) {
                       if (!writeControllerMap(path, plugin_.controllerMap(), plugin_.keyMap())) {
                           reportFailure("Could not write the MIDI CC map\n" + path);
                       }
                   });
    } else if (position == p.loadPreset) {
        chooseFile({"Load Preset File", {kPresetFilter}, "fxb", plugin.pluginDirectory(), false, false, false},
                   [this](const std::string& path) {
                       std::string error;
                       if (!loadPresetFile(plugin_, path, error)) {
                           reportFailure("Could not load the preset file:\n" + error);
                       }
                   });
    } else if (position == p.savePreset) {
        chooseFile(
            {"Save Preset File", {kBankFilter, kProgramFilter}, "fxb", plugin.pluginDirectory(), true, false, true},
            [this](const std::string& path) {
                std::string error;
                if (!savePresetFile(plugin_, path, error)) {
                    reportFailure("Could not save the preset file:\n" + error);
                }
            });
    } else if (position == p.reloadConfiguration) {
        plugin.readConfiguration("Config.ini");
        plugin.readConfiguration("User.ini");
        readGuiSettings("Gui.ini");
        readControllerMap(plugin.configPath("MidiCC.ini"), plugin.controllerMap(), plugin.keyMap());
    } else if (position == p.defaultSkin) {
        gui_.skin = kDefaultSkinName;
        selectSkin(gui_.skin);
        writeGuiSettings();
        desktop().messageBox({kSkinNotice, kCaption, MessageButtons::Ok, MessageIcon::Information},
                             [](MessageAnswer) {});
    } else if (position == p.midiOutput) {
        plugin.setMidiOutput(settings.midiOutput != 0 ? 0 : 1);
    } else if (position == p.transmitKnobs) {
        settings.midiTransmitKnobs = settings.midiTransmitKnobs != 0 ? 0 : 1;
    } else if (position == p.programming) {
        settings.midiKeyProgramming = settings.midiKeyProgramming != 0 ? 0 : 1;
        if (settings.midiKeyProgramming != 0) {
            desktop().messageBox({kProgrammingNotice, kCaption, MessageButtons::Ok, MessageIcon::Information},
                                 [](MessageAnswer) {});
        }
    } else if (position == p.functionButton1) {
        gui_.functionButton1 = -2;
    } else if (position == p.functionButton2) {
        gui_.functionButton2 = -2;
    } else if (position == p.viewConfiguration) {
        desktop().openInTextEditor(
            {plugin.configPath("Config.ini"), plugin.configPath("MidiCC.ini"), plugin.configPath("Gui.ini")});
    }
    if (position == p.clock) {
        settings.clockSync = settings.clockSync != 0 ? 0 : 1;
    }
    refresh();
}

void BassEditor::libraryChosen(FolderMenu& menu, int position) {
    const bool top = menu.getPath() == plugin_.pluginDirectory() + kPatternFolder;
    if (top && position == kLibraryLoad) {
        FileChooserRequest request{
            "Load Pattern", {kSinglePatternFilter}, "pat", plugin_.currentPatternPath(), false, true, false};
        desktop().chooseFiles(request, [this](std::vector<std::string> paths) {
            if (paths.empty()) {
                return;
            }
            if (!plugin_.loadPatterns(paths)) {
                reportFailure("Could not read the pattern file\n" + paths.front());
            }
            refresh();
        });
    } else if (top && position == kLibrarySave) {
        chooseFile({"Save Pattern", {kSinglePatternFilter}, "pat", plugin_.currentPatternPath(), true, false, true},
                   [this](const std::string& path) {
                       if (!plugin_.savePattern(path)) {
                           reportFailure("Could not write the pattern file\n" + path);
                       }
                       rebuildLibraryMenus();
                   });
    } else if (top && position == kLibraryKnobs) {
        Settings& settings = plugin_.settings();
        settings.loadKnobPositions = settings.loadKnobPositions != 0 ? 0 : 1;
        refresh();
    } else if (!top || position >= kLibraryFixedEntries) {
        const std::string path = menu.getPath() + "/" + menu.getEntry(position) + ".pat";
        if (plugin_.loadPatterns({path})) {
            refresh();
        } else {
            reportFailure("Could not read the pattern file\n" + path);
        }
    }
}

void BassEditor::skinChosen(const std::string& name) {
    if (name.empty() || !selectSkin(name)) {
        // The old skin stays: select it again so that the definition is the one on screen.
        selectSkin(gui_.skin);
        return;
    }
    gui_.skin = name;
    if (gui_.skinShowDialog != 0) {
        desktop().messageBox({kSkinNotice, kCaption, MessageButtons::Ok, MessageIcon::Information},
                             [](MessageAnswer) {});
    }
    writeGuiSettings();
}

void BassEditor::rebuildLibraryMenus() {
    if (auto* library = control<FolderMenu>(kLibraryMenuTag)) {
        fillLibraryMenu(*library);
    }
    if (auto* menu = control<FolderMenu>(kPatternMenuTag)) {
        if (auto* submenu = dynamic_cast<FolderMenu*>(menu->getSubMenu(patternPositions_.library))) {
            fillLibraryMenu(*submenu);
        }
    }
}

void BassEditor::runFunctionButton(int button) {
    const int position = button == 0 ? gui_.functionButton1 : gui_.functionButton2;
    if (position < 0) {
        return;
    }
    if (auto* menu = control<FolderMenu>(kPatternMenuTag)) {
        menu->setCurrent(position);
        menu->setValue(static_cast<float>(position));
    }
    runPatternCommand(position);
    refresh();
}

void BassEditor::clearPressed(CControl& control) {
    if (gui_.clearConfirm != 0) {
        control.setValue(0.0f);
        control.invalid();
        desktop().messageBox({kClearQuestion, "Clear Pattern", MessageButtons::YesNo, MessageIcon::Information},
                             [this](MessageAnswer answer) {
                                 if (answer == MessageAnswer::Yes) {
                                     plugin_.programmingFunction(ProgrammingCode::Clear);
                                     refresh();
                                 }
                             });
    } else {
        plugin_.programmingFunction(ProgrammingCode::Clear);
    }
    if (gui_.functionButton1 == -2) {
        gui_.functionButton1 = -1;
    }
    if (gui_.functionButton2 == -2) {
        gui_.functionButton2 = -1;
    }
    refresh();
}

// --- Desktop services

DesktopServices& BassEditor::desktop() {
    if (!desktop_) {
        desktop_ = createSystemDesktop(reinterpret_cast<unsigned long>(getParentWindow()));
    }
    return *desktop_;
}

void BassEditor::setDesktop(std::unique_ptr<DesktopServices> desktop) {
    desktop_ = std::move(desktop);
}

void BassEditor::chooseFile(FileChooserRequest request, std::function<void(const std::string&)> done) {
    desktop().chooseFiles(std::move(request), [this, done = std::move(done)](std::vector<std::string> paths) {
        if (!paths.empty()) {
            done(paths.front());
            refresh();
        }
    });
}

void BassEditor::reportFailure(const std::string& text) {
    desktop().messageBox({text, kCaption, MessageButtons::Ok, MessageIcon::Error}, [](MessageAnswer) {});
}

}  // namespace vexo

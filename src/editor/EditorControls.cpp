// What the panel's knobs, switches, keys, rockers and displays do to the plug-in.
#include <algorithm>
#include <cmath>

#include "config/ProgrammingCodes.h"
#include "editor/BassEditor.h"
#include "editor/controls/DigitDisplay.h"
#include "editor/controls/IlluButton.h"
#include "editor/controls/SplashView.h"
#include "editor/skin/SkinElements.h"
#include "gui/Controls.h"
#include "gui/Frame.h"
#include "host/SynthPlugin.h"

namespace vexo {

namespace {

constexpr int kFirstKnob = kTuningKnob;
constexpr int kLastKnob = kVolumeKnob;
constexpr int kFirstNoteButton = kNoteButton1;
constexpr int kLastNoteButton = kNoteButton13;
constexpr int kClearButton = kBPatternClear;
constexpr int kRunStopButton = kBRunStop;
constexpr int kLastFunctionButton = kBNext;
constexpr int kFirstIlluNote = kIlluButton1;
constexpr int kLastIlluNote = kIlluButton13;
constexpr int kIlluPitchMode = kIlluButton14;
constexpr int kIlluRunStop = kIlluButton15;
constexpr int kIlluTimeMode = kIlluButton16;
constexpr int kIlluSlide = kIlluButton20;
constexpr int kIlluLengthDown = kIlluButton21;
constexpr int kIlluLengthUp = kIlluButton22;
constexpr int kMaxTempoBpm = 999;  // what three digits show
// Programming codes of the illuminated mode keys 716..720.
constexpr int kIlluModeCodes[] = {ProgrammingCode::Gate, ProgrammingCode::Down, ProgrammingCode::Up,
                                  ProgrammingCode::Accent, ProgrammingCode::Slide};

int parameterOfSwitch(int tag) {
    switch (tag) {
        case kWaveformSwitch:
            return kWaveform;
        case kDistortionSwitch:
            return kDistortionType;
        case kHighpassSwitch:
            return kHighpassFilter;
        default:
            return -1;
    }
}

int parameterOfControl(int tag) {
    if (tag >= kFirstKnob && tag <= kLastKnob) {
        return tag - kFirstKnob;
    }
    return parameterOfSwitch(tag);
}

}  // namespace

void BassEditor::controlBeginEdit(CControl* control) {
    const int parameter = parameterOfControl(control->getTag());
    if (parameter >= 0) {
        beginEdit(parameter);
    }
}

void BassEditor::controlEndEdit(CControl* control) {
    const int parameter = parameterOfControl(control->getTag());
    if (parameter >= 0) {
        endEdit(parameter);
    }
}

void BassEditor::stepTempo(float rockerValue) {
    auto* display = control<DigitDisplay>(kTempoDigits);
    const double shown = display != nullptr ? display->getValue() : plugin_.stepClock().tempo.load();
    const double bpm = std::clamp(shown - rockerValue, 1.0, static_cast<double>(kMaxTempoBpm));
    plugin_.setTempo(bpm);
    setControlValue(kTempoDigits, static_cast<float>(bpm));
}

void BassEditor::stepLength(float rockerValue) {
    auto* display = control<DigitDisplay>(kStepsDigits);
    const float shown =
        display != nullptr ? display->getValue() : static_cast<float>(plugin_.bank().current().length());
    const int length = std::clamp(static_cast<int>(shown - rockerValue), 1, kMaxSteps);
    plugin_.bank().current().setLength(length);
    setControlValue(kStepsDigits, static_cast<float>(length));
}

void BassEditor::stepPattern(float rockerValue) {
    auto* display = control<DigitDisplay>(kPatternDigits);
    const float shown = display != nullptr ? display->getValue() : static_cast<float>(plugin_.bank().currentPattern());
    plugin_.selectPattern(static_cast<int>(shown - rockerValue));
    setControlValue(kPatternDigits, static_cast<float>(plugin_.bank().currentPattern()));
}

void BassEditor::programmingKey(int code) {
    plugin_.programmingFunction(code);
}

void BassEditor::auditionNote(int key, bool press) {
    if (gui_.auditionNotes == 0 || plugin_.stepClock().playing()) {
        return;
    }
    if (!press) {
        plugin_.noteOff();
        return;
    }
    const Pattern& pattern = plugin_.bank().current();
    const Step step = pattern.step(std::clamp(plugin_.programmingPosition(), 0, kMaxSteps - 1));
    int note = kLowestMidiNote + key;
    if (step.has(StepFlags::Up)) {
        note += 12;
    }
    if (step.has(StepFlags::Down)) {
        note -= 12;
    }
    plugin_.noteOn(note, step.has(StepFlags::Accent) ? 127 : 1, 0);
}

void BassEditor::valueChanged(CControl* control) {
    if (control == nullptr) {
        return;
    }
    if (plugin_.learn()) {
        refreshLearnLabels();
    }
    controlChanged(*control, control->getTag(), control->getValue());
    checkHiddenSprite();
}

void BassEditor::controlChanged(CControl& control, int tag, float value) {
    const bool pressed = value > 0.0f;
    const std::uint32_t tick = now();

    if (const int parameter = parameterOfControl(tag); parameter >= 0) {
        plugin_.setParameterAutomated(parameter, value);
        if (parameterOfSwitch(tag) >= 0) {
            refresh();
        }
        return;
    }
    if (tag >= kFirstNoteButton && tag <= kLastFunctionButton && tag != kClearButton) {
        if (tag <= kLastNoteButton) {
            auditionNote(tag - kFirstNoteButton, pressed);
        }
        if (pressed) {
            programmingKey(tag - kFirstNoteButton);
            if (tag == kRunStopButton) {
                runKeyDeadline_ = tick - kRepeatMs;
            }
            refresh();
        }
        return;
    }
    if (tag >= kFirstIlluNote && tag <= kLastIlluNote) {
        auditionNote(tag - kFirstIlluNote, pressed);
        if (!pressed) {
            programmingKey(tag - kFirstIlluNote);
            refresh();
        }
        return;
    }

    switch (tag) {
        case kSyncSwitch:
            plugin_.settings().syncMode = static_cast<int>(value);
            break;
        case kModeSwitch:
            if (value >= 0.5f) {
                plugin_.settings().midiMode = 2;
                plugin_.noteOff();
            } else {
                plugin_.settings().midiMode = 0;
            }
            refresh();
            break;
        case kOptionMenu:
            if (value > 0.5f) {
                popupMenu(kOptionsMenuTag);
            }
            break;
        case kPatternMenu:
            if (value > 0.5f) {
                popupMenu(kPatternMenuTag);
            }
            break;
        case kPatchButton:
            if (pressed) {
                popupMenu(kLibraryMenuTag);
            }
            break;
        case kPatternDigits:
            plugin_.selectPattern(std::clamp(static_cast<int>(value), 0, kPatternCount - 1));
            break;
        case kPatternRocker:
            patternDeadline_ = tick + kRepeatDelayMs;
            if (value != 0.0f) {
                stepPattern(value);
            }
            refresh();
            break;
        case kTempoDigits:
            if (plugin_.settings().syncMode == 0) {
                plugin_.setTempo(value);
            }
            setControlValue(kTempoDigits, static_cast<float>(plugin_.stepClock().tempo.load()));
            break;
        case kTempoRocker:
            if (plugin_.settings().syncMode != 0) {
                setControlValue(kTempoDigits, static_cast<float>(plugin_.stepClock().tempo.load()));
            } else {
                tempoDeadline_ = tick + kRepeatDelayMs;
                if (value != 0.0f) {
                    stepTempo(value);
                }
            }
            break;
        case kShuffleKnob:
            plugin_.bank().current().setShuffle(static_cast<int>(value * 127.0f));
            break;
        case kStepsDigits: {
            const int length = std::clamp(static_cast<int>(value), 1, kMaxSteps);
            plugin_.bank().current().setLength(length);
            setControlValue(kStepsDigits, static_cast<float>(length));
            break;
        }
        case kStepsRocker:
            lengthDeadline_ = tick + kRepeatDelayMs;
            if (value != 0.0f) {
                stepLength(value);
            }
            break;
        case kStepDisplay: {
            const int length = std::max(plugin_.bank().current().length(), 1);
            plugin_.setProgrammingPosition(std::clamp(static_cast<int>(value) - 1, 0, length - 1));
            setControlValue(kStepDisplay, static_cast<float>(plugin_.programmingPosition() + 1));
            plugin_.requestEditorRefresh();
            break;
        }
        case kClearButton:
            if (pressed) {
                clearPressed(control);
            }
            break;
        case kIlluPitchMode:
            if (!pressed) {
                programmingKey(ProgrammingCode::AutoAdvance);
                refresh();
            }
            break;
        case kIlluRunStop:
            if (!pressed) {
                programmingKey(ProgrammingCode::RunStop);
                runKeyDeadline_ = tick - kRepeatMs;
                refreshLearnLabels();
                refresh();
            }
            break;
        case kIlluLengthDown:
        case kIlluLengthUp:
            if (pressed) {
                programmingKey(tag == kIlluLengthDown ? ProgrammingCode::LengthDown : ProgrammingCode::LengthUp);
                lengthDeadline_ = tick + kRepeatDelayMs;
                refresh();
            }
            break;
        case kIlluButton23:
        case kIlluButton24:
            if (!pressed) {
                runFunctionButton(tag == kIlluButton23 ? 0 : 1);
            }
            break;
        case kFunctionButton1:
        case kFunctionButton2:
            if (pressed) {
                runFunctionButton(tag == kFunctionButton1 ? 0 : 1);
            }
            break;
        case kTripletButton:
        case kTripletIlluButton:
            if ((tag == kTripletButton) == pressed) {
                Pattern& pattern = plugin_.bank().current();
                pattern.setTriplet(!pattern.isTriplet());
                setLight(kTripletLed, kTripletIlluButton, pattern.isTriplet());
            }
            break;
        case kSplash:
            if (!pressed && getFrame() != nullptr) {
                getFrame()->invalidRect(CRect(0, 0, width_, height_));
            }
            break;
        default:
            if (tag >= kIlluTimeMode && tag <= kIlluSlide && !pressed) {
                programmingKey(kIlluModeCodes[tag - kIlluTimeMode]);
                refresh();
            } else {
                menuChosen(control, tag);
            }
            break;
    }
}

}  // namespace vexo

// Programming the current pattern from a MIDI keyboard or the editor's programming keys.
#include <algorithm>

#include "config/ProgrammingCodes.h"
#include "host/SynthPlugin.h"

namespace vexo {
namespace {

// Programming learn targets (a function code + 13) and the key-map entry each one learns.
struct LearnEntry {
    int target;
    int entry;
};

constexpr LearnEntry kLearnEntries[] = {
    {13, KeyMap::PitchKeys}, {26, KeyMap::Clear}, {27, KeyMap::RunStop}, {28, KeyMap::AutoAdvance},
    {29, KeyMap::FirstStep}, {30, KeyMap::Gate},  {31, KeyMap::Down},    {32, KeyMap::Up},
    {33, KeyMap::Accent},    {34, KeyMap::Slide}, {35, KeyMap::Back},    {36, KeyMap::Next},
};

// Function keys in the order they are tested, with the code each one runs.
struct FunctionKey {
    int entry;
    int code;
};

constexpr FunctionKey kFunctionKeys[] = {
    {KeyMap::Down, ProgrammingCode::Down},           {KeyMap::Up, ProgrammingCode::Up},
    {KeyMap::Accent, ProgrammingCode::Accent},       {KeyMap::Slide, ProgrammingCode::Slide},
    {KeyMap::Gate, ProgrammingCode::Gate},           {KeyMap::RunStop, ProgrammingCode::RunStop},
    {KeyMap::Clear, ProgrammingCode::Clear},         {KeyMap::AutoAdvance, ProgrammingCode::AutoAdvance},
    {KeyMap::Next, ProgrammingCode::Next},           {KeyMap::Back, ProgrammingCode::Back},
    {KeyMap::FirstStep, ProgrammingCode::FirstStep},
};

constexpr int kPitchKeyCount = 13;
constexpr int kLearnTargetOffset = 13;

}  // namespace

int keyForLearnTarget(const KeyMap& keys, int target) {
    if (target >= kLearnTargetOffset && target < kLearnTargetOffset + kPitchKeyCount) {
        const int first = keys.key(KeyMap::PitchKeys);
        return first < 0 ? -1 : first + (target - kLearnTargetOffset);
    }
    for (const LearnEntry& learnEntry : kLearnEntries) {
        if (learnEntry.target == target) {
            return keys.key(learnEntry.entry);
        }
    }
    return -1;
}

bool SynthPlugin::handleProgrammingNote(int key, int /*velocity*/) {
    if (learn_) {
        const int target = programmingLearnTarget_;
        if (target == -1 || target == 0) {
            return false;
        }
        for (const LearnEntry& learnEntry : kLearnEntries) {
            if (learnEntry.target == target) {
                keyMap_.assignKey(learnEntry.entry, key);
            }
        }
        programmingLearnTarget_ = -1;
        requestEditorRefresh();
        return true;
    }
    if (patternChangeArmed_) {
        // The armed latch hands exactly one note to pattern selection.
        patternChangeArmed_ = false;
        return false;
    }

    int code = -1;
    const int firstPitchKey = keyMap_.key(KeyMap::PitchKeys);
    if (firstPitchKey != -1 && key >= firstPitchKey && key <= firstPitchKey + kPitchKeyCount - 1) {
        code = key - firstPitchKey;
    } else {
        for (const FunctionKey& functionKey : kFunctionKeys) {
            if (key == keyMap_.key(functionKey.entry)) {
                code = functionKey.code;
                break;
            }
        }
    }
    if (code >= 0) {
        programmingFunction(code);
        requestEditorRefresh();
        return true;
    }
    if (key == keyMap_.key(KeyMap::PatternChange)) {
        patternChangeArmed_ = true;
    }
    return false;
}

void SynthPlugin::runStop() {
    if (clock_.playing()) {
        clock_.setPlaying(false);
        keyDown_ = 0;
        note_.noteGate = 0;
        note_.prevSlide = 0;
        releaseCarriedMidi();
        if (settings_.midiOutput != 0) {
            sendMidiNow(0, 0x80 + outputChannel(), clock_.lastSentNote & 0x7f, 0);
            queueMidi(0, 0xB0 + outputChannel(), 123, 0);
        }
    } else {
        clock_.start();
    }
}

void SynthPlugin::programmingFunction(int code) {
    if (learn_) {
        programmingLearnTarget_ = code + kLearnTargetOffset;
        learnTarget_ = -1;
        return;
    }

    Pattern& pattern = bank_.current();
    const int length = StepClock::playLength(pattern);
    int position = programmingPosition_;
    const int advanceFlag = programmingAdvance_;
    Step step = pattern.step(position);
    const bool timeMode = settings_.programmingMode == 1;
    const bool pitchEntry = advanceFlag == 1;

    bool edited = false;  // whether step S changed and must be written back
    auto wrapForward = [&] { position = position + 1 >= length ? 0 : position + 1; };
    // Time-mode advance stops at the last step.
    auto advanceNoWrap = [&] {
        if (position < length - 1) {
            ++position;
        }
    };

    switch (code) {
        case ProgrammingCode::Clear:
            pattern.clear(timeMode ? true : settings_.clearNotes != 0);
            position = 0;
            break;
        case ProgrammingCode::RunStop:
            runStop();
            break;
        case ProgrammingCode::AutoAdvance:
            if (timeMode) {
                if (advanceFlag == 1) {
                    position = 0;
                }
                programmingAdvance_ = 1;
            } else {
                if (advanceFlag == 1) {
                    position = 0;
                }
                programmingAdvance_ = advanceFlag == 1 ? 0 : 1;
            }
            break;
        case ProgrammingCode::FirstStep:
            position = 0;
            break;
        case ProgrammingCode::Gate:
            if (timeMode) {
                if (advanceFlag == 0) {
                    position = 0;
                }
                programmingAdvance_ = 0;
            } else {
                step.toggle(StepFlags::Gate);
                edited = true;
            }
            break;
        case ProgrammingCode::Down:
            if (timeMode && !pitchEntry) {
                // Time entry: a note.
                step.flags = static_cast<std::uint8_t>(
                    (step.flags & (StepFlags::Up | StepFlags::Down | StepFlags::Slide | StepFlags::Accent)) |
                    StepFlags::Gate | StepFlags::NoteMark);
                advanceNoWrap();
            } else {
                step.toggle(StepFlags::Down);
            }
            edited = true;
            break;
        case ProgrammingCode::Up:
            if (timeMode && !pitchEntry) {
                // Time entry: a tie.
                step.flags =
                    static_cast<std::uint8_t>((step.flags & (StepFlags::Gate | StepFlags::Up | StepFlags::Down |
                                                             StepFlags::Slide | StepFlags::Accent)) |
                                              StepFlags::Tie);
                advanceNoWrap();
            } else {
                step.toggle(StepFlags::Up);
            }
            edited = true;
            break;
        case ProgrammingCode::Accent:
            if (timeMode && !pitchEntry) {
                // Time entry: a rest.
                step.flags = static_cast<std::uint8_t>(
                    (step.flags & (StepFlags::Up | StepFlags::Down | StepFlags::Accent)) | StepFlags::RestMark);
                advanceNoWrap();
            } else {
                step.toggle(StepFlags::Accent);
            }
            edited = true;
            break;
        case ProgrammingCode::Slide:
            if (!timeMode || pitchEntry) {
                step.toggle(StepFlags::Slide);
                edited = true;
            }
            break;
        case ProgrammingCode::Back:
            position = position - 1 < 0 ? length - 1 : position - 1;
            break;
        case ProgrammingCode::Next:
            wrapForward();
            break;
        case ProgrammingCode::LengthUp:
            pattern.setLength(std::min(pattern.length() + 1, kMaxSteps));
            break;
        case ProgrammingCode::LengthDown:
            pattern.setLength(std::max(pattern.length() - 1, 1));
            break;
        case ProgrammingCode::GateOn:
        case ProgrammingCode::GateOff:
        case ProgrammingCode::SlideBefore:
            if (!timeMode) {
                break;
            }
            if (code == ProgrammingCode::SlideBefore) {
                const int previous = position == 0 ? length - 1 : position - 1;
                Step before = pattern.step(previous);
                before.set(StepFlags::Slide, true);
                pattern.setStep(previous, before);
            }
            step.set(StepFlags::Gate, code == ProgrammingCode::GateOn);
            step.set(StepFlags::Slide, false);
            edited = true;
            if (pitchEntry) {
                wrapForward();
            }
            break;
        case ProgrammingCode::Asymmetry:
            voice_.toggleAsymmetry();
            break;
        default:
            if (code >= 0 && code < kPitchKeyCount) {
                step.note = static_cast<std::uint8_t>(code);
                edited = true;
                if (timeMode) {
                    if (pitchEntry) {
                        advanceNoWrap();
                    }
                } else if (advanceFlag == 1) {
                    wrapForward();
                }
            }
            break;
    }

    if (edited) {
        pattern.setStep(programmingPosition_, step);
    }
    programmingPosition_ = position;
}

}  // namespace vexo

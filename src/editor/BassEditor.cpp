#include "editor/BassEditor.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "config/ControllerMap.h"
#include "config/ProgrammingCodes.h"
#include "editor/EditorResources.h"
#include "editor/PanelState.h"
#include "editor/controls/DigitDisplay.h"
#include "editor/controls/FolderMenu.h"
#include "editor/controls/IlluButton.h"
#include "editor/controls/LearnLabel.h"
#include "editor/controls/PatchDisplay.h"
#include "editor/controls/SkinKnob.h"
#include "editor/controls/SplashView.h"
#include "editor/controls/SpriteView.h"
#include "editor/dialogs/FallbackDialogs.h"
#include "editor/skin/SkinElements.h"
#include "editor/skin/SkinSelection.h"
#include "gui/Controls.h"
#include "gui/Frame.h"
#include "host/SynthPlugin.h"
#include "platform/TickCount.h"

namespace vexo {

namespace {

constexpr int kSkinIdSlots = 1300;
constexpr int kExtraTags[] = {BassEditor::kPatternMenuTag, BassEditor::kOptionsMenuTag, BassEditor::kHiddenSpriteTag};

constexpr int kKnobCount = 10;
// Knob elements in build order (the drive knob before the distortion knob), with the
// parameter each one moves (-1: the shuffle knob).
constexpr std::array<int, kKnobCount> kKnobOrder = {201, 202, 203, 204, 205, 206, 208, 207, 209, 212};
constexpr int kFirstKnob = kTuningKnob;
// The illuminated keys by role.
constexpr int kIlluPitchMode = kIlluButton14, kIlluRunStop = kIlluButton15, kIlluTimeMode = kIlluButton16,
              kIlluDown = kIlluButton17, kIlluUp = kIlluButton18, kIlluAccent = kIlluButton19,
              kIlluSlide = kIlluButton20, kIlluLengthDown = kIlluButton21, kIlluLengthUp = kIlluButton22,
              kIlluFunction1 = kIlluButton23, kIlluFunction2 = kIlluButton24;

constexpr int kSpriteWidth = 16;
constexpr int kSpriteFrameHeight = 11;
constexpr int kSpriteFrames = 3;
constexpr int kSpriteBottomInset = 16;
constexpr int kSpriteLastLeft = -15;
constexpr int kLearnLabelWidth = 30;
constexpr int kLearnLabelHeight = 14;

// Learnable controls and their learn numbers: parameters, then 13 + programming code.
struct Learnable {
    int tag;
    int number;
};
constexpr Learnable kLearnables[] = {
    {201, 0},  {202, 1},  {203, 2},  {204, 3},  {205, 4},  {206, 5},  {207, 6},  {208, 7},  {209, 8},  {200, 10},
    {210, 11}, {211, 12}, {300, 13}, {301, 14}, {302, 15}, {303, 16}, {304, 17}, {305, 18}, {306, 19}, {307, 20},
    {308, 21}, {309, 22}, {310, 23}, {311, 24}, {312, 25}, {313, 26}, {314, 27}, {315, 28}, {317, 30}, {318, 31},
    {319, 32}, {320, 33}, {321, 34}, {322, 35}, {323, 36}, {700, 13}, {701, 14}, {702, 15}, {703, 16}, {704, 17},
    {705, 18}, {706, 19}, {707, 20}, {708, 21}, {709, 22}, {710, 23}, {711, 24}, {712, 25}, {714, 28}, {715, 27},
    {716, 30}, {717, 31}, {718, 32}, {719, 33}, {720, 34}};

int frameCount(const SharedBitmap& image, const CRect& rect) {
    return rect.height() > 0 ? std::max(1, image->getHeight() / rect.height()) : 1;
}

}  // namespace

BassEditor::BassEditor(SynthPlugin& plugin)
    : AEffGUIEditor(&plugin), plugin_(plugin), controls_(kSkinIdSlots + std::size(kExtraTags), nullptr) {
    skin_.setSkinDirectory(plugin.pluginDirectory());
    readGuiSettings("Gui.ini");
    selectSkin(gui_.skin);
    const std::uint32_t start = now();
    midiLedStamp_ = animationStamp_ = blinkStamp_ = deferredStamp_ = start;
}

BassEditor::~BassEditor() {
    if (open_) {
        close();
    }
    writeGuiSettings();
}

int BassEditor::tagSlot(int tag) {
    if (tag >= 0 && tag < kSkinIdSlots) {
        return tag;
    }
    for (std::size_t i = 0; i < std::size(kExtraTags); ++i) {
        if (kExtraTags[i] == tag) {
            return kSkinIdSlots + static_cast<int>(i);
        }
    }
    return -1;
}

void BassEditor::remember(int tag, CControl* control) {
    const int slot = tagSlot(tag);
    if (slot >= 0) {
        controls_[static_cast<std::size_t>(slot)] = control;
    }
}

std::uint32_t BassEditor::now() const {
    return ticks_ ? ticks_() : tickCountMilliseconds();
}

bool BassEditor::readGuiSettings(const std::string& fileName) {
    return readGuiConfig(gui_, plugin_.configPath(fileName));
}

bool BassEditor::writeGuiSettings(const std::string& fileName) const {
    return writeGuiConfig(gui_, plugin_.configPath(fileName));
}

bool BassEditor::selectSkin(const std::string& name) {
    const bool selected = vexo::selectSkin(skin_, plugin_.pluginDirectory(), name, width_, height_);
    rect_.left = 0;
    rect_.top = 0;
    rect_.right = static_cast<std::int16_t>(std::clamp(width_, 0, 32767));
    rect_.bottom = static_cast<std::int16_t>(std::clamp(height_, 0, 32767));
    return selected;
}

// --- Opening and closing

bool BassEditor::open(void* parentWindow) {
    if (open_) {
        close();
    }
    std::lock_guard<std::recursive_mutex> guard(lock_);
    AEffGUIEditor::open(parentWindow);
    // The skin's pictures are decoded only while the panel is open: several megabytes and
    // some 20 ms per instance that hosts with many instances and closed editors are spared.
    skin_.loadImages(skin_.skinDirectory());
    auto frame = std::make_unique<CFrame>(CRect(0, 0, width_, height_), this);
    if (const SharedBitmap background = skin_.elementImage(kBackground)) {
        frame->setBackground(background);
    }
    buildControls(*frame);
    frame->setKnobMode(gui_.knobMode >= 0 && gui_.knobMode <= 2 ? gui_.knobMode : getKnobMode());
    if (!attachFrame(std::move(frame), "VEXO")) {
        std::fill(controls_.begin(), controls_.end(), nullptr);
        learnLabels_.clear();
        return false;
    }

    const std::uint32_t start = now();
    idleCounter_ = 0;
    lightShowFrame_ = 0;
    blinkPhase_ = false;
    midiLedStamp_ = animationStamp_ = blinkStamp_ = deferredStamp_ = start;
    pendingParameters_ = 0;
    midiActivity_ = false;
    open_ = true;
    refresh();
    getFrame()->redrawAll();
    plugin_.requestEditorRefresh();
    dialogs_.attach(*getFrame(), reinterpret_cast<unsigned long>(parentWindow), isOffscreen());
    desktop().setFallbackDialogs(makeFallbackDialogs(dialogs_));
    if (!isOffscreen()) {
        keeper_.start(lock_, [this] { runIdle(); });
    }
    return true;
}

void BassEditor::close() {
    keeper_.stop();
    std::lock_guard<std::recursive_mutex> guard(lock_);
    open_ = false;
    if (desktop_) {
        desktop_->cancelAll();
    }
    if (clipboard_) {
        clipboard_->cancelRequests();
    }
    dialogs_.detach();
    writeGuiSettings();
    std::fill(controls_.begin(), controls_.end(), nullptr);
    learnLabels_.clear();
    destroyFrame();
    skin_.clearImages();
    AEffGUIEditor::close();
}

// --- Building the panel from the skin

void BassEditor::buildControls(CFrame& frame) {
    addKnobs(frame);
    for (int id = kNoteLed1; id <= kTripletLed; ++id) {
        addMovie(frame, id, true);
    }
    for (int id = kNoteButton1; id <= kNoteButton13; ++id) {
        addKick(frame, id, true);
    }
    for (int id : {323, 322, 313, 314, 315, 317, 318, 319, 320, 321}) {
        addKick(frame, id, true);
    }
    buildMenus(frame);
    for (int id : {109, 107, 501}) {
        const SharedBitmap image = skin_.elementImage(id);
        if (image) {
            const CRect rect = skin_.elementRect(id);
            auto* rocker = new CRockerSwitch(rect, this, id, image->getHeight() / 3, image);
            frame.addView(rocker);
            remember(id, rocker);
        }
    }
    addMovie(frame, kMidiLed, false);
    addOnOff(frame, kSyncSwitch);
    addOnOff(frame, kModeSwitch);

    if (const SharedBitmap sprite = CBitmap::fromPngData(spriteImagePng().data, spriteImagePng().size)) {
        const CRect rect = CRect::fromSize(width_, height_ - kSpriteBottomInset, kSpriteWidth, kSpriteFrameHeight);
        auto* view = new SpriteView(rect, this, kHiddenSpriteTag, sprite, kSpriteFrames, kSpriteFrameHeight);
        view->hide();
        frame.addView(view);
        remember(kHiddenSpriteTag, view);
    }

    for (int id = kIlluButton1; id <= kIlluButton24; ++id) {
        if (id != kIlluButton13 + 1) {
            addIllu(frame, id);
        }
    }
    addKick(frame, kFunctionButton1, false);
    addKick(frame, kFunctionButton2, false);
    addMovie(frame, kFunctionLed1, false);
    addMovie(frame, kFunctionLed2, false);
    addIllu(frame, kTripletIlluButton);
    addKick(frame, kTripletButton, false);

    if (const SharedBitmap image = skin_.elementImage(kPatchDisplay)) {
        auto* display = new PatchDisplay(skin_.elementRect(kPatchDisplay), this, kPatchDisplay, "Test");
        frame.addView(display);
        remember(kPatchDisplay, display);
    }
    addKick(frame, kPatchButton, false);

    addDigits(frame, kStepsDigits, 2, kStepsDigits10);
    addDigits(frame, kStepDisplay, 2, kStepDigits10);
    addDigits(frame, kTempoDigits, 3, kTempoDigits100);
    addDigits(frame, kPatternDigits, 3, kPatternDigits100);

    addOnOff(frame, kWaveformSwitch);
    addOnOff(frame, kDistortionSwitch);
    addOnOff(frame, kHighpassSwitch);
    addLearnLabels(frame);

    if (const SharedBitmap image = skin_.elementImage(kSkinSplash)) {
        const CRect rect = skin_.elementRect(kSkinSplash);
        auto* view = new SpriteView(rect, this, kSkinSplash, image, frameCount(image, rect), rect.height());
        view->hide();
        frame.addView(view);
        remember(kSkinSplash, view);
    }
    if (const SharedBitmap splash = CBitmap::fromPngData(splashImagePng().data, splashImagePng().size)) {
        const int w = splash->getWidth();
        const int h = splash->getHeight();
        const CRect rect = CRect::fromSize((width_ - w) / 2, (height_ - h) / 2, w, h);
        auto* view = new SplashView(rect, this, kSplash, splash);
        frame.addView(view);
        remember(kSplash, view);
    }
}

void BassEditor::addKnobs(CFrame& frame) {
    for (int id : kKnobOrder) {
        const SharedBitmap image = skin_.elementImage(id);
        if (!image) {
            continue;
        }
        const CRect rect = skin_.elementRect(id);
        auto* knob = new SkinKnob(rect, this, id, image, frameCount(image, rect), rect.height());
        knob->setWheelInc(0.1f);
        knob->setZoomFactor(2.0f);
        frame.addView(knob);
        remember(id, knob);
    }
}

void BassEditor::addMovie(CFrame& frame, int id, bool transparent) {
    const SharedBitmap image = skin_.elementImage(id);
    if (!image) {
        return;
    }
    const CRect rect = skin_.elementRect(id);
    auto* movie = new CMovieBitmap(rect, this, id, frameCount(image, rect), rect.height(), image);
    movie->setTransparency(transparent);
    movie->setMouseEnabled(false);
    frame.addView(movie);
    remember(id, movie);
}

void BassEditor::addKick(CFrame& frame, int id, bool transparent) {
    const SharedBitmap image = skin_.elementImage(id);
    if (!image) {
        return;
    }
    const CRect rect = skin_.elementRect(id);
    auto* button = new CKickButton(rect, this, id, rect.height(), image);
    button->setTransparency(transparent);
    frame.addView(button);
    remember(id, button);
}

void BassEditor::addIllu(CFrame& frame, int id) {
    const SharedBitmap image = skin_.elementImage(id);
    if (!image) {
        return;
    }
    const CRect rect = skin_.elementRect(id);
    auto* button = new IlluButton(rect, this, id, rect.height(), image);
    button->setFade(skin_.blendMode() != 0);
    frame.addView(button);
    remember(id, button);
}

void BassEditor::addOnOff(CFrame& frame, int id) {
    const SharedBitmap image = skin_.elementImage(id);
    if (!image) {
        return;
    }
    auto* button = new COnOffButton(skin_.elementRect(id), this, id, image);
    frame.addView(button);
    remember(id, button);
}

void BassEditor::addDigits(CFrame& frame, int id, int digits, int firstDigitId) {
    const SharedBitmap image = skin_.elementImage(id);
    bool perDigit = true;
    for (int i = 0; i < digits; ++i) {
        perDigit = perDigit && skin_.elementImage(firstDigitId + i) != nullptr;
    }
    if (!image && !perDigit) {
        return;
    }
    const CRect rect = skin_.elementRect(id);
    auto* display = new DigitDisplay(rect, this, id, digits);
    for (int i = 0; i < digits; ++i) {
        if (perDigit) {
            display->setDigit(i, skin_.elementRect(firstDigitId + i), skin_.elementImage(firstDigitId + i));
        } else {
            CRect digitRect = rect;
            digitRect.offset(i * image->getWidth(), 0);
            display->setDigit(i, digitRect, image);
        }
    }
    frame.addView(display);
    remember(id, display);
}

void BassEditor::addLearnLabels(CFrame& frame) {
    learnLabels_.clear();
    const SharedBitmap box = skin_.elementImage(kMidiCcBox);
    for (const Learnable& item : kLearnables) {
        CControl* target = control<CControl>(item.tag);
        if (target == nullptr) {
            continue;
        }
        const CPoint corner = target->getViewSize().topLeft();
        auto* label = new LearnLabel(CRect::fromSize(corner.x, corner.y, kLearnLabelWidth, kLearnLabelHeight), this,
                                     item.tag, box);
        label->hide();
        frame.addView(label);
        learnLabels_.emplace_back(label, item.number);
    }
}

// --- Keeping the panel in step

void BassEditor::setParameter(VstInt32 index, float /*value*/) {
    if (index >= 0 && index < kNumParameters) {
        pendingParameters_.fetch_or(1u << index, std::memory_order_relaxed);
    }
}

void BassEditor::applyPendingParameters() {
    const std::uint32_t pending = pendingParameters_.exchange(0, std::memory_order_relaxed);
    for (int index = 0; index < kNumParameters; ++index) {
        if ((pending & (1u << index)) == 0) {
            continue;
        }
        const float value = plugin_.getParameter(index);
        if (index <= kVolume) {
            setControlValue(kFirstKnob + index, value);
        } else if (index == kWaveform) {
            setControlValue(kWaveformSwitch, value > 0.5f ? 1.0f : 0.0f);
        } else if (index == kDistortionType) {
            setControlValue(kDistortionSwitch, value > 0.5f ? 1.0f : 0.0f);
        } else if (index == kHighpassFilter) {
            setControlValue(kHighpassSwitch, value > 0.5f ? 1.0f : 0.0f);
        }
    }
}

void BassEditor::showMidiActivity(bool on) {
    midiActivity_.store(on, std::memory_order_relaxed);
}

void BassEditor::controllerReceived() {
    learnLabelsStale_.store(true, std::memory_order_relaxed);
    plugin_.requestEditorRefresh();
}

void BassEditor::setControlValue(int tag, float value) {
    if (CControl* c = control<CControl>(tag)) {
        if (c->getValue() != value) {
            c->setValue(value);
            c->invalid();
        }
    }
}

void BassEditor::setLight(int ledTag, int illuTag, bool on) {
    setControlValue(ledTag, on ? 1.0f : 0.0f);
    if (auto* key = control<IlluButton>(illuTag)) {
        key->setLight(on);
    }
}

void BassEditor::refresh() {
    if (!open_) {
        return;
    }
    if (plugin_.learn()) {
        refreshLearnLabels();
    }
    for (int index = 0; index <= kVolume; ++index) {
        setControlValue(kFirstKnob + index, plugin_.getParameter(index));
    }
    setControlValue(kWaveformSwitch, plugin_.getParameter(kWaveform) > 0.5f ? 1.0f : 0.0f);
    setControlValue(kDistortionSwitch, plugin_.getParameter(kDistortionType) > 0.5f ? 1.0f : 0.0f);
    setControlValue(kTempoDigits, plugin_.getParameter(kReserved));
    setControlValue(kHighpassSwitch, plugin_.getParameter(kHighpassFilter) > 0.5f ? 1.0f : 0.0f);

    const Pattern& pattern = plugin_.bank().current();
    setControlValue(kShuffleKnob, static_cast<float>(pattern.shuffleAmount()) / 127.0f);

    const int position = std::clamp(plugin_.programmingPosition(), 0, kMaxSteps - 1);
    const Step step = pattern.step(position);
    const int lit = noteLedIndex(step.note);
    for (int i = 0; i < kNoteLedCount; ++i) {
        setLight(kNoteLed1 + i, kIlluButton1 + i, i == lit);
    }

    const Settings& settings = plugin_.settings();
    const bool timeEntry = settings.programmingMode == 1;
    const bool running = plugin_.stepClock().playing();
    const ModeLeds leds = modeLeds(step.word(), timeEntry, plugin_.programmingAdvance() == 1, running);
    setLight(kTimeModeLed, kIlluTimeMode, leds.timeMode);
    setLight(kPitchModeLed, kIlluPitchMode, leds.pitchMode);
    setLight(kDownLed, kIlluDown, leds.down);
    setLight(kUpLed, kIlluUp, leds.up);
    setLight(kAccentLed, kIlluAccent, leds.accent);
    setLight(kSlideLed, kIlluSlide, leds.slide);
    if (leds.runStop) {
        setLight(kRunStopLed, kIlluRunStop, *leds.runStop);
    }

    setControlValue(kStepDisplay, static_cast<float>(position + settings.firstStep));
    setControlValue(kPatternDigits, static_cast<float>(plugin_.bank().currentPattern()));
    setControlValue(kStepsDigits, static_cast<float>(pattern.length()));
    setControlValue(kTempoDigits, static_cast<float>(plugin_.stepClock().tempo.load()));
    setControlValue(kModeSwitch, static_cast<float>(settings.midiMode / 2));
    setControlValue(kSyncSwitch, static_cast<float>(settings.syncMode));

    refreshMenuTexts();

    if (gui_.functionButton1 != -2) {
        setLight(kFunctionLed1, kIlluFunction1, gui_.functionButton1 >= 0);
    }
    if (gui_.functionButton2 != -2) {
        setLight(kFunctionLed2, kIlluFunction2, gui_.functionButton2 >= 0);
    }
    const bool triplet = pattern.isTriplet();
    setLight(kTripletLed, kTripletIlluButton, triplet);
}

void BassEditor::refreshLearnLabels() {
    const bool learning = plugin_.learn();
    const bool keys = plugin_.settings().midiKeyProgramming != 0;
    const int parameterTarget = plugin_.learnTarget();
    const int target = parameterTarget >= 0 ? parameterTarget : plugin_.programmingLearnTarget();
    for (auto& [label, number] : learnLabels_) {
        if (!learning) {
            label->hide();
            continue;
        }
        char text[16] = "--";
        const int key = number >= 13 ? keyForLearnTarget(plugin_.keyMap(), number) : -1;
        if (keys && key >= 0) {
            static constexpr const char* kKeyNames[12] = {"C-", "C#", "D-", "D#", "E-", "F-",
                                                          "F#", "G-", "G#", "A-", "A#", "B-"};
            std::snprintf(text, sizeof text, "%c%c%d", kKeyNames[key % 12][0], kKeyNames[key % 12][1], key / 12);
        } else if (number < 13) {
            const int controller = plugin_.controllerMap().controllerForParameter(number);
            if (controller >= 0) {
                std::snprintf(text, sizeof text, "%2d", controller);
            }
        }
        label->setLine(0, text);
        label->setSelected(number == target);
        label->show();
    }
}

// --- Idle

void BassEditor::idle() {
    keeper_.hostIdled();
    std::lock_guard<std::recursive_mutex> guard(lock_);
    runIdle();
}

VstInt32 BassEditor::onKeyDown(VstInt32 character, VstInt32 virtualKey, VstInt32 modifiers) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return AEffGUIEditor::onKeyDown(character, virtualKey, modifiers);
}

VstInt32 BassEditor::onKeyUp(VstInt32 character, VstInt32 virtualKey, VstInt32 modifiers) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return AEffGUIEditor::onKeyUp(character, virtualKey, modifiers);
}

void BassEditor::runIdle() {
    if (!open_ || getFrame() == nullptr) {
        return;
    }
    CFrame& frame = *getFrame();
    if (frame.getPlatform() != nullptr) {
        frame.getPlatform()->processEvents(frame);
    }
    if (!open_ || getFrame() == nullptr) {
        return;  // the events closed the editor
    }
    frame.setKnobMode(gui_.knobMode >= 0 && gui_.knobMode <= 2 ? gui_.knobMode : getKnobMode());
    applyPendingParameters();
    if (desktop_) {
        desktop_->poll();
    }
    if (clipboard_) {
        clipboard_->poll();
    }

    const std::uint32_t tick = now();
    dialogs_.idle(tick);
    if (midiActivity_.exchange(false, std::memory_order_relaxed) && control<CControl>(kMidiLed) != nullptr) {
        setControlValue(kMidiLed, 1.0f);
        midiLedStamp_ = tick;
    }
    if (auto* splash = control<SplashView>(kSplash); splash != nullptr && splash->isVisible()) {
        splash->setVersionText(kEditorVersionText);
        splash->invalid();
    }
    ++idleCounter_;
    if (auto* skinSplash = control<SpriteView>(kSkinSplash);
        skinSplash != nullptr && skinSplash->isShown() && idleCounter_ > 16) {
        skinSplash->nextFrame();
        skinSplash->invalid();
    }
    if (skin_.blendMode() != 0) {
        for (int id = kIlluButton1; id <= kTripletIlluButton; ++id) {
            if (auto* key = control<IlluButton>(id)) {
                key->fadeStep();
            }
        }
    }
    setControlValue(kTempoDigits, static_cast<float>(plugin_.stepClock().tempo.load()));
    if (plugin_.takeEditorRefresh()) {
        refresh();
        refreshLearnLabels();
    } else if (learnLabelsStale_.exchange(false, std::memory_order_relaxed)) {
        refreshLearnLabels();
    }
    runTimedJobs(tick);
    frame.updateDirty();
}

void BassEditor::runTimedJobs(std::uint32_t tick) {
    if (tick - midiLedStamp_ >= kMidiLedMs) {
        midiLedStamp_ = tick;
        if (auto* led = control<CControl>(kMidiLed); led != nullptr && led->getValue() == 1.0f) {
            setControlValue(kMidiLed, 0.0f);
        }
    }
    if (tick - animationStamp_ >= kAnimationMs) {
        animationStamp_ = tick;
        if (plugin_.settings().eggs > 0) {
            runLightShow();
        }
        if (auto* sprite = control<SpriteView>(kHiddenSpriteTag);
            sprite != nullptr && sprite->isShown() && sprite->getLeft() >= kSpriteLastLeft) {
            sprite->moveBy(-1, 0);
            sprite->nextFrame();
            getFrame()->invalidRect(CRect(0, 0, width_, height_));
        }
    }
    runRepeats(tick);
    if (tick - blinkStamp_ >= kBlinkMs) {
        blinkStamp_ = tick;
        blink();
    }
    if (tick - deferredStamp_ >= kDeferredRefreshMs) {
        deferredStamp_ = tick;
        if (refreshPending_) {
            refreshPending_ = false;
            refresh();
        }
    }
}

void BassEditor::runLightShow() {
    if (lightShowFrame_ < kLightShowFrames) {
        for (int i = 0; i < kNoteLedCount; ++i) {
            setControlValue(kNoteLed1 + i, lightShowNoteLed(lightShowFrame_, i) ? 1.0f : 0.0f);
            if (auto* key = control<IlluButton>(kIlluButton1 + i)) {
                key->setLight(lightShowNoteKey(lightShowFrame_, i));
            }
        }
    } else if (lightShowFrame_ == kLightShowFrames) {
        refresh();
    }
    if (lightShowFrame_ <= kLightShowFrames) {
        ++lightShowFrame_;
    }
}

void BassEditor::runRepeats(std::uint32_t tick) {
    auto due = [tick](std::uint32_t& deadline) {
        if (static_cast<std::int32_t>(tick - deadline) > static_cast<std::int32_t>(kRepeatMs)) {
            deadline = tick;
            return true;
        }
        return false;
    };
    if (auto* rocker = control<CRockerSwitch>(kTempoRocker);
        rocker != nullptr && rocker->getValue() != 0.0f && plugin_.settings().syncMode == 0 && due(tempoDeadline_)) {
        stepTempo(rocker->getValue());
    }
    auto* lengthRocker = control<CRockerSwitch>(kStepsRocker);
    auto* lengthDown = control<IlluButton>(kIlluLengthDown);
    auto* lengthUp = control<IlluButton>(kIlluLengthUp);
    const bool lengthHeld = (lengthRocker != nullptr && lengthRocker->getValue() != 0.0f) ||
                            (lengthDown != nullptr && lengthDown->getValue() != 0.0f) ||
                            (lengthUp != nullptr && lengthUp->getValue() != 0.0f);
    if (lengthHeld && due(lengthDeadline_)) {
        if (lengthRocker != nullptr && lengthRocker->getValue() != 0.0f) {
            stepLength(lengthRocker->getValue());
        }
        if (lengthDown != nullptr && lengthDown->getValue() != 0.0f) {
            plugin_.programmingFunction(ProgrammingCode::LengthDown);
        }
        if (lengthUp != nullptr && lengthUp->getValue() != 0.0f) {
            plugin_.programmingFunction(ProgrammingCode::LengthUp);
        }
        setControlValue(kStepsDigits, static_cast<float>(plugin_.bank().current().length()));
    }
    if (auto* rocker = control<CRockerSwitch>(kPatternRocker);
        rocker != nullptr && rocker->getValue() != 0.0f && due(patternDeadline_)) {
        stepPattern(rocker->getValue());
    }
}

void BassEditor::blink() {
    blinkPhase_ = !blinkPhase_;
    const bool running = plugin_.stepClock().playing();
    setLight(kRunStopLed, kIlluRunStop, running && blinkPhase_);
    if (gui_.functionButton1 == -2) {
        setLight(kFunctionLed1, kIlluFunction1, blinkPhase_);
    }
    if (gui_.functionButton2 == -2) {
        setLight(kFunctionLed2, kIlluFunction2, blinkPhase_);
    }
    if (plugin_.settings().programmingMode == 1 && plugin_.programmingAdvance() == 1) {
        const int position = std::clamp(plugin_.programmingPosition(), 0, kMaxSteps - 1);
        const bool noteMark = (plugin_.bank().current().step(position).word() & 0x8000) != 0;
        setLight(kTimeModeLed, kIlluTimeMode, noteMark && blinkPhase_);
    }
}

void BassEditor::showRunState() {
    blinkPhase_ = false;
    blink();
}

void BassEditor::checkHiddenSprite() {
    if (plugin_.settings().eggs <= 0) {
        return;
    }
    for (int index = 0; index <= kAccent; ++index) {
        if (plugin_.getParameter(index) != 1.0f) {
            return;
        }
    }
    if (auto* sprite = control<SpriteView>(kHiddenSpriteTag); sprite != nullptr && !sprite->isShown()) {
        sprite->show();
    }
}

}  // namespace vexo

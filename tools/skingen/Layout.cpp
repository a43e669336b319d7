#include "Layout.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string_view>

namespace skingen {

namespace {

// Header.
constexpr Rect kLogoRect{30, 12, 100, 26};
constexpr Rect kPatchDisplayRect{552, 14, 196, 22};
constexpr Rect kPatchButtonRect{758, 14, 24, 22};
constexpr Rect kPatternMenuRect{790, 14, 70, 22};
constexpr Rect kOptionMenuRect{864, 14, 70, 22};

// The editor shows every learn label at this size, whatever the skin's scale.
constexpr Rect kLearnBoxRect{0, 0, 30, 14};

// Sound section.
constexpr int kKnobSize = 72;
constexpr int kKnobCentreY = 110;
constexpr int kSoundTitleBaseline = 66;
constexpr int kToggleWidth = 24;
constexpr int kToggleHeight = 40;
// Column centres, left to right: the wave switch and six voice knobs, then the output group.
constexpr int kWaveSwitchX = 52;
constexpr int kFirstVoiceKnobX = 136;
constexpr int kVoiceKnobPitch = 78;
constexpr int kDriveKnobX = 614;
constexpr int kDistortionKnobX = 692;
constexpr int kDistortionTypeSwitchX = 752;
constexpr int kHighpassSwitchX = 818;
constexpr int kVolumeKnobX = 902;
constexpr int kOutputDividerX = 570;
constexpr int kVolumeDividerX = 856;
constexpr int kDividerTop = 58;
constexpr int kDividerBottom = 166;
// Toggle titles are centred over the lever and the position names beside it.
constexpr int kToggleTitleShift = 8;

// Sequencer section: displays on top, then two rows of keys with their LEDs.
constexpr int kDigitWidth = 20;
constexpr int kDigitHeight = 32;
constexpr int kDisplayTitleBaseline = 190;
constexpr int kDisplayY = 202;
constexpr int kRockerWidth = 20;
constexpr int kRockerHeight = 40;
constexpr int kControlRowY = kDisplayY - 4;  // rockers and toggles, level with the display bezels
constexpr int kSmallKnobSize = 50;
constexpr int kLedSize = 18;
constexpr int kKeyWidth = 40;
constexpr int kKeyHeight = 34;
constexpr int kKeyPitch = 48;
constexpr int kSharpLedY = 254;
constexpr int kSharpKeyY = kSharpLedY + kLedSize;
constexpr int kSharpLabelBaseline = kSharpKeyY + kKeyHeight + 10;
constexpr int kNaturalLedY = 326;
constexpr int kNaturalKeyY = kNaturalLedY + kLedSize;
constexpr int kNaturalLabelBaseline = kNaturalKeyY + kKeyHeight + 12;
constexpr int kKeyboardLeft = 216;  // the low C
constexpr int kSmallKeySize = 20;
constexpr int kGroupGap = 16;  // between the key groups of a row
// Left edges of the display row's groups (centres for the knob, switches and LED).
constexpr int kPatternDisplayX = 40;
constexpr int kTempoDisplayX = 168;
constexpr int kStepDisplayX = 300;
constexpr int kLengthDisplayX = 386;
constexpr int kShuffleKnobX = 544;
constexpr int kSyncSwitchX = 636;
constexpr int kModeSwitchX = 742;
constexpr int kMidiLedX = 872;
constexpr int kRockerGap = 10;  // from a display window to its rocker
// Left edges of the function keys.
constexpr int kRunKeyX = 40;
constexpr int kPitchKeyX = 104;
constexpr int kTimeKeyX = 152;

constexpr std::array<const char*, 13> kNoteNames = {"C", "C#", "D", "D#", "E", "F", "F#",
                                                    "G", "G#", "A", "A#", "B", "C"};
constexpr std::array<bool, 13> kIsSharp = {false, true, false, true, false, false, true,
                                           false, true, false, true, false, false};

class LayoutBuilder {
public:
    SkinLayout build() {
        layout_.logo = kLogoRect;
        add("BACKGROUND", ImageRole::kBackground, {0, 0, kPanelWidth, kPanelHeight});
        addSoundSection();
        addKeyRows();
        addHeader();
        addDisplayRow();
        add("MIDICCBOX", ImageRole::kLearnBox, kLearnBoxRect);
        add("SKINSPLASH", ImageRole::kLogoShimmer, kLogoRect);
        sortIntoBuildOrder();
        return layout_;
    }

private:
    void add(const std::string& name, ImageRole image, const Rect& rect) {
        layout_.elements.push_back({name, image, rect});
    }
    void label(const std::string& text, double x, double baseline, LabelSize size = LabelSize::kTitle,
               Align align = Align::kCentre) {
        layout_.labels.push_back({text, x, baseline, size, align});
    }

    void knob(const std::string& name, const std::string& title, int centreX) {
        const Rect rect{centreX - kKnobSize / 2, kKnobCentreY - kKnobSize / 2, kKnobSize, kKnobSize};
        add(name, ImageRole::kKnob, rect);
        layout_.knobScales.push_back(rect);
        label(title, centreX, kSoundTitleBaseline);
    }

    // A toggle with its title above and its two positions printed beside the lever.
    void toggle(const std::string& name, const std::string& title, const std::string& upper, const std::string& lower,
                int centreX, int top, int titleBaseline) {
        const Rect rect{centreX - kToggleWidth / 2, top, kToggleWidth, kToggleHeight};
        add(name, ImageRole::kToggle, rect);
        label(title, centreX + kToggleTitleShift, titleBaseline);
        label(upper, rect.right() + 1, top + 9, LabelSize::kSmall, Align::kLeft);
        label(lower, rect.right() + 1, rect.bottom() - 3, LabelSize::kSmall, Align::kLeft);
    }

    void addSoundSection() {
        const int toggleTop = kKnobCentreY - kToggleHeight / 2;
        toggle("WAVEFORMSWITCH", "WAVE SAW/SQR", "SQR", "SAW", kWaveSwitchX, toggleTop, kSoundTitleBaseline);
        const std::array<std::pair<const char*, const char*>, 6> voice = {{{"TUNINGKNOB", "TUNE"},
                                                                           {"CUTOFFKNOB", "CUTOFF"},
                                                                           {"RESONANCEKNOB", "RESO"},
                                                                           {"ENVMODKNOB", "ENV MOD"},
                                                                           {"DECAYKNOB", "DECAY"},
                                                                           {"ACCENTKNOB", "ACCENT"}}};
        int x = kFirstVoiceKnobX;
        for (const auto& [name, title] : voice) {
            knob(name, title, x);
            x += kVoiceKnobPitch;
        }
        layout_.dividers.push_back({kOutputDividerX, kDividerTop, kOutputDividerX, kDividerBottom});
        knob("DRIVEKNOB", "DRIVE", kDriveKnobX);
        knob("DISTORTKNOB", "DIST", kDistortionKnobX);
        toggle("DISTORTIONSWITCH", "DIST TYPE", "FOLD", "SAT", kDistortionTypeSwitchX, toggleTop, kSoundTitleBaseline);
        toggle("HIGHPASS_SWITCH", "HIGHPASS", "ON", "OFF", kHighpassSwitchX, toggleTop, kSoundTitleBaseline);
        layout_.dividers.push_back({kVolumeDividerX, kDividerTop, kVolumeDividerX, kDividerBottom});
        knob("VOLUMEKNOB", "VOLUME", kVolumeKnobX);
    }

    Rect keyRect(int x, bool upperRow) const {
        return {x, upperRow ? kSharpKeyY : kNaturalKeyY, kKeyWidth, kKeyHeight};
    }
    Rect ledRect(const Rect& key) const {
        return {key.x + (kKeyWidth - kLedSize) / 2, key.y - kLedSize, kLedSize, kLedSize};
    }

    // A key of the sequencer rows: its kick button, optionally its LED and its illuminated twin.
    void key(const std::string& kick, ImageRole kickImage, const std::string& illu, ImageRole illuImage,
             const std::string& led, const std::string& title, int x, bool upperRow) {
        const Rect rect = keyRect(x, upperRow);
        layout_.recesses.push_back({rect, RecessKind::kKeyWell});
        // Listed in the order the editor stacks them: a clear cover goes above its key.
        const bool coverOnTop = kickImage == ImageRole::kKeyCover;
        if (coverOnTop) {
            add(illu, illuImage, rect);
        }
        add(kick, kickImage, rect);
        if (!illu.empty() && !coverOnTop) {
            add(illu, illuImage, rect);
        }
        if (!led.empty()) {
            add(led, ImageRole::kLed, ledRect(rect));
        }
        label(title, rect.centreX(), upperRow ? kSharpLabelBaseline : kNaturalLabelBaseline,
              kick.rfind("NOTEBUTTON", 0) == 0 ? LabelSize::kNote : LabelSize::kTitle);
    }

    void addKeyRows() {
        int natural = 0;
        for (int note = 0; note < 13; ++note) {
            const std::string n = std::to_string(note + 1);
            const bool sharp = kIsSharp[static_cast<std::size_t>(note)];
            const int x = kKeyboardLeft + natural * kKeyPitch - (sharp ? kKeyPitch / 2 : 0);
            key("NOTEBUTTON" + n, sharp ? ImageRole::kSharpKey : ImageRole::kNaturalKey, "ILLUBUTTON" + n,
                sharp ? ImageRole::kSharpKeyLit : ImageRole::kNaturalKeyLit, "NOTELED" + n,
                kNoteNames[static_cast<std::size_t>(note)], x, sharp);
            if (!sharp) {
                ++natural;
            }
        }

        key("B_RUNSTOP", ImageRole::kRunKey, "ILLUBUTTON15", ImageRole::kRunKeyLit, "RUNSTOPLED", "RUN/STOP", kRunKeyX,
            false);
        key("B_PITCHMODE", ImageRole::kFunctionKey, "ILLUBUTTON14", ImageRole::kFunctionKeyLit, "PITCHMODELED", "PITCH",
            kPitchKeyX, false);
        key("B_TIMEMODE", ImageRole::kFunctionKey, "ILLUBUTTON16", ImageRole::kFunctionKeyLit, "TIMEMODELED", "TIME",
            kTimeKeyX, false);
        const int modifiersLeft = kKeyboardLeft + 8 * kKeyPitch + kGroupGap;
        const std::array<std::array<const char*, 4>, 4> modifiers = {
            {{"B_DOWN", "ILLUBUTTON17", "DOWNLED", "DOWN"},
             {"B_UP", "ILLUBUTTON18", "UPLED", "UP"},
             {"B_ACCENT", "ILLUBUTTON19", "ACCENTLED", "ACC"},
             {"B_SLIDE", "ILLUBUTTON20", "SLIDELED", "SLIDE"}}};
        for (std::size_t i = 0; i < modifiers.size(); ++i) {
            key(modifiers[i][0], ImageRole::kFunctionKey, modifiers[i][1], ImageRole::kFunctionKeyLit, modifiers[i][2],
                modifiers[i][3], modifiersLeft + static_cast<int>(i) * kKeyPitch, false);
        }
        // The triplet and assignable keys: their kick button lies on top of the illuminated key,
        // so its picture is a clear cover that only shades the key while pressed.
        key("TRIPLETBUTTON", ImageRole::kKeyCover, "TRIPLETILLUBUTTON", ImageRole::kFunctionKeyLit, "TRIPLETLED",
            "TRIPLET", modifiersLeft + 3 * kKeyPitch, true);
        key("FUNCTIONBUTTON1", ImageRole::kKeyCover, "ILLUBUTTON23", ImageRole::kFunctionKeyLit, "FUNCTIONLED1", "F1",
            kPitchKeyX, true);
        key("FUNCTIONBUTTON2", ImageRole::kKeyCover, "ILLUBUTTON24", ImageRole::kFunctionKeyLit, "FUNCTIONLED2", "F2",
            kTimeKeyX, true);

        key("B_PATTERNCLEAR", ImageRole::kPlainKey, "", ImageRole::kPlainKey, "", "CLEAR", kRunKeyX, true);
        const int stepKeysLeft = modifiersLeft + 4 * kKeyPitch + kGroupGap;
        key("B_BACK", ImageRole::kPlainKey, "", ImageRole::kPlainKey, "", "BACK", stepKeysLeft, false);
        key("B_NEXT", ImageRole::kPlainKey, "", ImageRole::kPlainKey, "", "NEXT", stepKeysLeft + kKeyPitch, false);
    }

    void addHeader() {
        add("PATCHDISPLAY", ImageRole::kTextWindow, kPatchDisplayRect);
        layout_.recesses.push_back({kPatchDisplayRect, RecessKind::kTextWindow});
        add("PATCHBUTTON", ImageRole::kLibraryButton, kPatchButtonRect);
        add("PATTERNMENU", ImageRole::kPatternButton, kPatternMenuRect);
        // The menus pop up below a one-unit strip along the bottom of their buttons.
        add("PATTERNDROPDOWN", ImageRole::kMenuDropdown,
            {kPatternMenuRect.x, kPatternMenuRect.bottom() - 1, kPatternMenuRect.w, 1});
        add("OPTIONMENU", ImageRole::kOptionsButton, kOptionMenuRect);
        add("OPTIONDROPDOWN", ImageRole::kMenuDropdown,
            {kOptionMenuRect.x, kOptionMenuRect.bottom() - 1, kOptionMenuRect.w, 1});
    }

    // A multi-digit display: the whole window as one element and each digit as its own.
    void digits(const std::string& display, const std::vector<std::string>& perDigit, const std::string& title, int x,
                const std::string& rocker) {
        const int count = static_cast<int>(perDigit.size());
        const Rect window{x, kDisplayY, count * kDigitWidth, kDigitHeight};
        layout_.recesses.push_back({window, RecessKind::kDigitWindow});
        add(display, ImageRole::kDigits, window);
        for (int i = 0; i < count; ++i) {
            add(perDigit[static_cast<std::size_t>(i)], ImageRole::kDigits,
                {x + i * kDigitWidth, kDisplayY, kDigitWidth, kDigitHeight});
        }
        double titleCentre = window.centreX();
        if (!rocker.empty()) {
            const Rect rect{window.right() + kRockerGap, kControlRowY, kRockerWidth, kRockerHeight};
            add(rocker, ImageRole::kRocker, rect);
            titleCentre = (window.x + rect.right()) * 0.5;
        }
        label(title, titleCentre, kDisplayTitleBaseline);
    }

    void addDisplayRow() {
        digits("PATTERNDIGITS", {"PATTERNDIGITS100", "PATTERNDIGITS10", "PATTERNDIGITS1"}, "PATTERN", kPatternDisplayX,
               "PATTERNROCKER");
        digits("TEMPODIGITS", {"TEMPODIGITS100", "TEMPODIGITS10", "TEMPODIGITS1"}, "TEMPO", kTempoDisplayX,
               "TEMPOROCKER");
        digits("STEPDISPLAY", {"STEPDIGITS10", "STEPDIGITS1"}, "STEP", kStepDisplayX, "");
        digits("STEPSDIGITS", {"STEPSDIGITS10", "STEPSDIGITS1"}, "LENGTH", kLengthDisplayX, "STEPSROCKER");
        const int smallKeysX = kLengthDisplayX + 2 * kDigitWidth + kRockerGap + kRockerWidth + 6;
        const Rect up{smallKeysX, kControlRowY, kSmallKeySize, kSmallKeySize};
        const Rect down{smallKeysX, kControlRowY + kSmallKeySize, kSmallKeySize, kSmallKeySize};
        add("ILLUBUTTON22", ImageRole::kLengthUpKeyLit, up);
        add("ILLUBUTTON21", ImageRole::kLengthDownKeyLit, down);
        layout_.recesses.push_back({{up.x, up.y, up.w, up.h + down.h}, RecessKind::kKeyWell});

        const Rect shuffle{kShuffleKnobX - kSmallKnobSize / 2, kControlRowY + kRockerHeight / 2 - kSmallKnobSize / 2,
                           kSmallKnobSize, kSmallKnobSize};
        add("SHUFFLEKNOB", ImageRole::kSmallKnob, shuffle);
        layout_.knobScales.push_back(shuffle);
        label("SHUFFLE", kShuffleKnobX, kDisplayTitleBaseline);

        toggle("SYNCSWITCH", "SYNC HOST", "HOST", "INT", kSyncSwitchX, kControlRowY, kDisplayTitleBaseline);
        toggle("MODESWITCH", "MODE PATTERN/NOTE", "NOTE", "PATTERN", kModeSwitchX, kControlRowY, kDisplayTitleBaseline);

        const Rect midi{kMidiLedX - kLedSize / 2, kControlRowY + kRockerHeight / 2 - kLedSize / 2, kLedSize, kLedSize};
        add("MIDILED", ImageRole::kLed, midi);
        label("MIDI", midi.centreX(), kDisplayTitleBaseline);
    }

    // The skin file lists the elements in the order the editor adds their controls; the first
    // rule that matches a name gives its place.
    static int buildGroup(const std::string& name) {
        enum class Match { kExact, kPrefix, kSuffix, kInfix };
        struct Rule {
            Match match;
            std::string_view text;
            int group;
        };
        static constexpr std::array<Rule, 21> kRules = {{
            {Match::kExact, "BACKGROUND", 0},   {Match::kSuffix, "KNOB", 1},
            {Match::kExact, "MIDILED", 7},      {Match::kPrefix, "FUNCTIONLED", 11},
            {Match::kPrefix, "NOTELED", 2},     {Match::kSuffix, "LED", 2},
            {Match::kPrefix, "NOTEBUTTON", 3},  {Match::kPrefix, "B_", 3},
            {Match::kPrefix, "PATTERNMENU", 4}, {Match::kPrefix, "PATTERNDROPDOWN", 4},
            {Match::kPrefix, "OPTION", 5},      {Match::kSuffix, "ROCKER", 6},
            {Match::kExact, "SYNCSWITCH", 8},   {Match::kExact, "MODESWITCH", 8},
            {Match::kPrefix, "ILLUBUTTON", 9},  {Match::kPrefix, "FUNCTIONBUTTON", 10},
            {Match::kPrefix, "TRIPLET", 12},    {Match::kPrefix, "PATCH", 13},
            {Match::kInfix, "DIGITS", 14},      {Match::kExact, "STEPDISPLAY", 14},
            {Match::kSuffix, "SWITCH", 15},
        }};
        const std::string_view word(name);
        for (const Rule& rule : kRules) {
            const std::size_t at = word.find(rule.text);
            const bool matches = (rule.match == Match::kExact && word == rule.text) ||
                                 (rule.match == Match::kPrefix && at == 0) ||
                                 (rule.match == Match::kSuffix && word.size() >= rule.text.size() &&
                                  word.substr(word.size() - rule.text.size()) == rule.text) ||
                                 (rule.match == Match::kInfix && at != std::string_view::npos);
            if (matches) {
                return rule.group;
            }
        }
        return name == "MIDICCBOX" ? 16 : 17;
    }

    void sortIntoBuildOrder() {
        std::stable_sort(layout_.elements.begin(), layout_.elements.end(),
                         [](const Element& a, const Element& b) { return buildGroup(a.name) < buildGroup(b.name); });
    }

    SkinLayout layout_;
};

}  // namespace

const SkinLayout& defaultLayout() {
    static const SkinLayout layout = LayoutBuilder().build();
    return layout;
}

const Element& findElement(const SkinLayout& layout, const std::string& name) {
    for (const Element& element : layout.elements) {
        if (element.name == name) {
            return element;
        }
    }
    throw std::out_of_range("no skin element " + name);
}

bool onSequencerSection(double y) {
    return y >= kSequencerTop;
}

}  // namespace skingen

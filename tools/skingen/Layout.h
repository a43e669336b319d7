// Where everything sits on the default panel, in skin units (pixels of the normal skin).
// The panel picture and the skin file are both drawn from this one description.
#pragma once

#include <string>
#include <vector>

#include "Canvas.h"

namespace skingen {

inline constexpr int kPanelWidth = 960;
inline constexpr int kPanelHeight = 420;
// The dark sequencer section covers the panel below this line.
inline constexpr int kSequencerTop = 174;

// The image files of the skin, by role. Every element names one of them.
enum class ImageRole {
    kBackground,
    kKnob,
    kSmallKnob,
    kLed,
    kNaturalKey,
    kNaturalKeyLit,
    kSharpKey,
    kSharpKeyLit,
    kFunctionKey,
    kFunctionKeyLit,
    kRunKey,
    kRunKeyLit,
    kPlainKey,
    kKeyCover,
    kLengthDownKeyLit,
    kLengthUpKeyLit,
    kRocker,
    kToggle,
    kDigits,
    kTextWindow,
    kLibraryButton,
    kPatternButton,
    kOptionsButton,
    kMenuDropdown,
    kLearnBox,
    kLogoShimmer,
};

struct Element {
    std::string name;  // the skin element name
    ImageRole image;
    Rect rect;
};

enum class LabelSize { kTitle, kSmall, kNote };

struct PanelLabel {
    std::string text;
    double x;
    double baseline;
    LabelSize size;
    Align align;
};

enum class RecessKind { kKeyWell, kDigitWindow, kTextWindow };

struct Recess {
    Rect rect;
    RecessKind kind;
};

struct Line {
    double x0, y0, x1, y1;
};

struct SkinLayout {
    std::vector<Element> elements;  // in the order the skin file lists them
    std::vector<PanelLabel> labels;
    std::vector<Recess> recesses;  // openings around keys and displays
    std::vector<Rect> knobScales;  // tick scales printed around knobs
    std::vector<Line> dividers;    // engraved lines between sections
    Rect logo;                     // the "VEXO" lettering (also the shimmer's rectangle)
};

const SkinLayout& defaultLayout();
const Element& findElement(const SkinLayout& layout, const std::string& name);
bool onSequencerSection(double y);

}  // namespace skingen

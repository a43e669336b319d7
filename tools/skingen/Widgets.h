// Drawing of each kind of control picture, one state at a time, in a box of w x h skin units
// whose top-left corner is the origin.
#pragma once

#include <string>

#include "Canvas.h"

namespace skingen {

// The red of every LED, lit key window and display segment.
inline constexpr Rgb kLedRed{1.0, 0.16, 0.08};

// Rotary knob: black cap and skirt, white pointer, soft shadow and a thin value arc.
// value 0..1 turns the pointer from 7 o'clock to 5 o'clock.
void drawKnob(cairo_t* cr, double size, double value);
// The knob sweep in radians from 12 o'clock, clockwise, for a value 0..1.
double knobAngle(double value);
inline constexpr double kKnobSweepDegrees = 300.0;
// Where a knob picture draws its cap and its value arc, as fractions of its size.
inline constexpr double kKnobBodyFraction = 0.325;
inline constexpr double kKnobArcFraction = 0.385;

void drawLed(cairo_t* cr, double size, bool lit);

enum class KeyColour { kNatural, kSharp, kFunction, kRun, kPlain };
enum class KeyGlyph { kNone, kArrowUp, kArrowDown };

struct KeyLook {
    KeyColour colour = KeyColour::kNatural;
    bool hasWindow = false;  // the light window of an illuminated key
    KeyGlyph glyph = KeyGlyph::kNone;
};

// A square-cornered push key with its shadow; lit switches its light window (or glyph) on.
void drawKey(cairo_t* cr, double w, double h, const KeyLook& look, bool pressed, bool lit);
// A clear cover over a key drawn below it: nothing when released, a press shade when pressed.
void drawKeyCover(cairo_t* cr, double w, double h, bool pressed);

// Bat-lever toggle switch, lever up when on.
void drawToggle(cairo_t* cr, double w, double h, bool on);

enum class RockerState { kUpperPressed, kRest, kLowerPressed };
void drawRocker(cairo_t* cr, double w, double h, RockerState state);

// Seven-segment digit (0..9) on dark red glass; unlit segments stay faintly visible.
void drawDigit(cairo_t* cr, double w, double h, int digit);
inline constexpr Rgb kDigitGlass{0.075, 0.02, 0.02};

// Dark text window whose text the editor draws.
void drawTextWindow(cairo_t* cr, double w, double h);
inline constexpr Rgb kTextWindowGlass{0.045, 0.06, 0.07};

// A wide key with a printed caption and a pop-up triangle (menu buttons).
void drawMenuButton(cairo_t* cr, double w, double h, const std::string& caption, bool pressed);

// Learn label box: a cream tag that the editor letters with the controller number.
void drawLearnBox(cairo_t* cr, double w, double h);

}  // namespace skingen

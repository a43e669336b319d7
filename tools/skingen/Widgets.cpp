#include "Widgets.h"

#include <array>
#include <cmath>

#include "Materials.h"

namespace skingen {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;

// Direction of an angle measured clockwise from 12 o'clock, in cairo's y-down space.
double dirX(double angle) {
    return std::sin(angle);
}
double dirY(double angle) {
    return -std::cos(angle);
}

Rgb capColour(KeyColour colour) {
    switch (colour) {
        case KeyColour::kNatural:
            return {0.86, 0.855, 0.83};
        case KeyColour::kSharp:
            return {0.16, 0.16, 0.17};
        case KeyColour::kFunction:
            return {0.33, 0.335, 0.345};
        case KeyColour::kRun:
            return {0.62, 0.13, 0.09};
        case KeyColour::kPlain:
            break;
    }
    return {0.24, 0.245, 0.255};
}

// Fills the current path with a top-to-bottom gradient between two shades of base.
void fillVertical(cairo_t* cr, double y0, double y1, const Rgb& base, double topFactor, double bottomFactor) {
    cairo_pattern_t* gradient = cairo_pattern_create_linear(0, y0, 0, y1);
    addStop(gradient, 0.0, shade(base, topFactor));
    addStop(gradient, 1.0, shade(base, bottomFactor));
    cairo_set_source(cr, gradient);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(gradient);
}

void triangle(cairo_t* cr, double cx, double cy, double size, bool pointsUp) {
    const double half = size * 0.5;
    const double tip = pointsUp ? -half * 0.8 : half * 0.8;
    cairo_move_to(cr, cx, cy + tip);
    cairo_line_to(cr, cx - half, cy - tip);
    cairo_line_to(cr, cx + half, cy - tip);
    cairo_close_path(cr);
}

}  // namespace

double knobAngle(double value) {
    return (-kKnobSweepDegrees * 0.5 + kKnobSweepDegrees * value) * kPi / 180.0;
}

void drawKnob(cairo_t* cr, double size, double value) {
    cairo_new_path(cr);
    const double c = size * 0.5;
    const double radius = size * kKnobBodyFraction;
    const double angle = knobAngle(value);

    // Value arc: a fine red line around the knob, from the start position to the pointer.
    const double arcRadius = size * kKnobArcFraction;
    const double start = knobAngle(0.0) - kPi * 0.5;
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    if (value > 0.0) {
        cairo_set_line_width(cr, size * 0.05);
        cairo_set_source_rgba(cr, kLedRed.r, kLedRed.g, kLedRed.b, 0.22);
        cairo_arc(cr, c, c, arcRadius, start, angle - kPi * 0.5);
        cairo_stroke(cr);
        cairo_set_line_width(cr, size * 0.022);
        cairo_set_source_rgba(cr, 0.95, 0.22, 0.12, 0.95);
        cairo_arc(cr, c, c, arcRadius, start, angle - kPi * 0.5);
        cairo_stroke(cr);
    }

    drawRoundShadow(cr, c + radius * 0.07, c + radius * 0.22, radius * 0.9, radius * 1.24, 0.65);

    // Skirt with a knurled grip that turns with the pointer.
    cairo_arc(cr, c, c, radius, 0, kTwoPi);
    cairo_pattern_t* skirt = cairo_pattern_create_linear(0, c - radius, 0, c + radius);
    cairo_pattern_add_color_stop_rgb(skirt, 0.0, 0.30, 0.30, 0.31);
    cairo_pattern_add_color_stop_rgb(skirt, 0.5, 0.11, 0.11, 0.115);
    cairo_pattern_add_color_stop_rgb(skirt, 1.0, 0.03, 0.03, 0.035);
    cairo_set_source(cr, skirt);
    cairo_fill(cr);
    cairo_pattern_destroy(skirt);

    const int ridges = 36;
    cairo_set_line_width(cr, radius * 0.05);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    for (int i = 0; i < ridges; ++i) {
        const double a = angle + kTwoPi * i / ridges;
        // Ridges facing the light catch it; those facing away stay dark.
        const double facing = 0.5 + 0.5 * std::cos(a + kPi * 0.25);
        cairo_set_source_rgba(cr, 1, 1, 1, 0.03 + 0.10 * facing * facing);
        cairo_move_to(cr, c + dirX(a) * radius * 0.80, c + dirY(a) * radius * 0.80);
        cairo_line_to(cr, c + dirX(a) * radius * 0.985, c + dirY(a) * radius * 0.985);
        cairo_stroke(cr);
    }
    cairo_arc(cr, c, c, radius - 0.25, 0, kTwoPi);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.85);
    cairo_set_line_width(cr, 0.5);
    cairo_stroke(cr);

    // Cap: satin black, lit from the upper left.
    const double capRadius = radius * 0.76;
    cairo_arc(cr, c, c, capRadius + radius * 0.04, 0, kTwoPi);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.7);
    cairo_fill(cr);
    cairo_arc(cr, c, c, capRadius, 0, kTwoPi);
    cairo_pattern_t* cap = cairo_pattern_create_linear(c - capRadius, c - capRadius, c + capRadius, c + capRadius);
    cairo_pattern_add_color_stop_rgb(cap, 0.0, 0.25, 0.25, 0.26);
    cairo_pattern_add_color_stop_rgb(cap, 0.55, 0.08, 0.08, 0.085);
    cairo_pattern_add_color_stop_rgb(cap, 1.0, 0.03, 0.03, 0.035);
    cairo_set_source(cr, cap);
    cairo_fill(cr);
    cairo_pattern_destroy(cap);
    cairo_pattern_t* gloss = cairo_pattern_create_radial(c - capRadius * 0.35, c - capRadius * 0.45, 0.0,
                                                         c - capRadius * 0.35, c - capRadius * 0.45, capRadius * 0.9);
    cairo_pattern_add_color_stop_rgba(gloss, 0.0, 1, 1, 1, 0.16);
    cairo_pattern_add_color_stop_rgba(gloss, 1.0, 1, 1, 1, 0.0);
    cairo_arc(cr, c, c, capRadius, 0, kTwoPi);
    cairo_set_source(cr, gloss);
    cairo_fill(cr);
    cairo_pattern_destroy(gloss);
    cairo_arc(cr, c, c, capRadius - 0.3, kPi * 1.05, kPi * 1.75);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.22);
    cairo_set_line_width(cr, 0.6);
    cairo_stroke(cr);

    // White pointer line across cap and skirt.
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    const double inner = radius * 0.30;
    const double outer = radius * 0.93;
    cairo_set_line_width(cr, radius * 0.13);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.5);
    cairo_move_to(cr, c + dirX(angle) * inner + 0.3, c + dirY(angle) * inner + 0.6);
    cairo_line_to(cr, c + dirX(angle) * outer + 0.3, c + dirY(angle) * outer + 0.6);
    cairo_stroke(cr);
    cairo_set_line_width(cr, radius * 0.10);
    cairo_set_source_rgb(cr, 0.97, 0.97, 0.95);
    cairo_move_to(cr, c + dirX(angle) * inner, c + dirY(angle) * inner);
    cairo_line_to(cr, c + dirX(angle) * outer, c + dirY(angle) * outer);
    cairo_stroke(cr);
}

void drawLed(cairo_t* cr, double size, bool lit) {
    cairo_new_path(cr);
    const double c = size * 0.5;
    const double bezel = size * 0.27;
    const double lens = size * 0.19;

    if (lit) {
        cairo_pattern_t* glow = cairo_pattern_create_radial(c, c, lens * 0.5, c, c, c);
        cairo_pattern_add_color_stop_rgba(glow, 0.0, 1.0, 0.25, 0.12, 0.65);
        cairo_pattern_add_color_stop_rgba(glow, 0.4, 1.0, 0.12, 0.05, 0.25);
        cairo_pattern_add_color_stop_rgba(glow, 1.0, 1.0, 0.1, 0.05, 0.0);
        cairo_set_source(cr, glow);
        cairo_paint(cr);
        cairo_pattern_destroy(glow);
    }

    // Black bezel ring, lighter on its lower edge.
    cairo_arc(cr, c, c, bezel, 0, kTwoPi);
    cairo_pattern_t* ring = cairo_pattern_create_linear(0, c - bezel, 0, c + bezel);
    cairo_pattern_add_color_stop_rgb(ring, 0.0, 0.02, 0.02, 0.02);
    cairo_pattern_add_color_stop_rgb(ring, 1.0, 0.35, 0.35, 0.36);
    cairo_set_source(cr, ring);
    cairo_fill(cr);
    cairo_pattern_destroy(ring);

    cairo_arc(cr, c, c, lens, 0, kTwoPi);
    cairo_pattern_t* body = cairo_pattern_create_radial(c - lens * 0.25, c - lens * 0.3, 0.0, c, c, lens);
    if (lit) {
        cairo_pattern_add_color_stop_rgb(body, 0.0, 1.0, 0.85, 0.75);
        cairo_pattern_add_color_stop_rgb(body, 0.35, 1.0, 0.30, 0.16);
        cairo_pattern_add_color_stop_rgb(body, 1.0, 0.80, 0.05, 0.03);
    } else {
        cairo_pattern_add_color_stop_rgb(body, 0.0, 0.42, 0.10, 0.08);
        cairo_pattern_add_color_stop_rgb(body, 1.0, 0.20, 0.025, 0.02);
    }
    cairo_set_source(cr, body);
    cairo_fill(cr);
    cairo_pattern_destroy(body);

    // Specular spot.
    cairo_arc(cr, c - lens * 0.35, c - lens * 0.4, lens * 0.28, 0, kTwoPi);
    cairo_set_source_rgba(cr, 1, 1, 1, lit ? 0.55 : 0.35);
    cairo_fill(cr);
}

void drawKey(cairo_t* cr, double w, double h, const KeyLook& look, bool pressed, bool lit) {
    cairo_new_path(cr);
    const Rgb base = capColour(look.colour);
    const double margin = 1.5;
    const double travel = pressed ? 1.0 : 0.0;
    const double x = margin;
    const double y = margin - 0.5 + travel;
    const double cw = w - 2 * margin;
    const double ch = h - 2 * margin - 1.0;
    const double radius = 2.2;

    drawSoftShadow(cr, x + 0.4, y + (pressed ? 0.6 : 1.4), cw - 0.8, ch, radius, pressed ? 0.8 : 1.6, 0.7);

    // Cap body with a rim that darkens towards the bottom.
    roundedRectangle(cr, x, y, cw, ch, radius);
    const Rgb body = pressed ? shade(base, 0.9) : base;
    fillVertical(cr, y, y + ch, body, 1.10, 0.80);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.55);
    cairo_set_line_width(cr, 0.6);
    cairo_stroke(cr);
    // Slightly domed top surface inside the rim.
    roundedRectangle(cr, x + 1.6, y + 1.2, cw - 3.2, ch - 3.4, radius * 0.7);
    fillVertical(cr, y + 1.2, y + ch - 2.2, body, pressed ? 1.0 : 1.06, 0.93);
    cairo_new_path(cr);
    // Highlight along the top edge.
    cairo_set_source_rgba(cr, 1, 1, 1, pressed ? 0.12 : 0.30);
    cairo_set_line_width(cr, 0.6);
    cairo_move_to(cr, x + radius, y + 0.7);
    cairo_line_to(cr, x + cw - radius, y + 0.7);
    cairo_stroke(cr);

    if (look.hasWindow) {
        const double ww = cw * 0.56;
        const double wh = std::max(3.0, ch * 0.13);
        const double wx = x + (cw - ww) * 0.5;
        const double wy = y + ch * 0.2;
        if (lit) {
            cairo_pattern_t* halo = cairo_pattern_create_radial(wx + ww * 0.5, wy + wh * 0.5, wh * 0.2, wx + ww * 0.5,
                                                                wy + wh * 0.5, ww * 0.75);
            cairo_pattern_add_color_stop_rgba(halo, 0.0, 1.0, 0.2, 0.1, 0.45);
            cairo_pattern_add_color_stop_rgba(halo, 1.0, 1.0, 0.2, 0.1, 0.0);
            cairo_save(cr);
            roundedRectangle(cr, x, y, cw, ch, radius);
            cairo_clip(cr);
            cairo_set_source(cr, halo);
            cairo_paint(cr);
            cairo_restore(cr);
            cairo_pattern_destroy(halo);
        }
        roundedRectangle(cr, wx, wy, ww, wh, wh * 0.45);
        cairo_pattern_t* glass = cairo_pattern_create_linear(0, wy, 0, wy + wh);
        if (lit) {
            cairo_pattern_add_color_stop_rgb(glass, 0.0, 1.0, 0.62, 0.50);
            cairo_pattern_add_color_stop_rgb(glass, 0.5, 1.0, 0.22, 0.10);
            cairo_pattern_add_color_stop_rgb(glass, 1.0, 0.85, 0.08, 0.04);
        } else {
            cairo_pattern_add_color_stop_rgb(glass, 0.0, 0.12, 0.03, 0.03);
            cairo_pattern_add_color_stop_rgb(glass, 1.0, 0.32, 0.07, 0.06);
        }
        cairo_set_source(cr, glass);
        cairo_fill_preserve(cr);
        cairo_pattern_destroy(glass);
        cairo_set_source_rgba(cr, 0, 0, 0, 0.6);
        cairo_set_line_width(cr, 0.5);
        cairo_stroke(cr);
    }

    if (look.glyph != KeyGlyph::kNone) {
        const double gx = x + cw * 0.5;
        const double gy = y + ch * 0.5;
        triangle(cr, gx, gy, std::min(cw, ch) * 0.42, look.glyph == KeyGlyph::kArrowUp);
        if (lit) {
            setSource(cr, kLedRed);
        } else {
            cairo_set_source_rgba(cr, 0.85, 0.85, 0.85, pressed ? 0.75 : 0.9);
        }
        cairo_fill(cr);
    }
}

void drawKeyCover(cairo_t* cr, double w, double h, bool pressed) {
    if (!pressed) {
        return;
    }
    const double margin = 1.5;
    roundedRectangle(cr, margin, margin - 0.5, w - 2 * margin, h - 2 * margin - 1.0, 2.2);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.3);
    cairo_fill(cr);
    // The pressed key sits lower: its top highlight is gone and a shadow line shows above it.
    cairo_set_source_rgba(cr, 0, 0, 0, 0.45);
    cairo_set_line_width(cr, 1.0);
    cairo_move_to(cr, margin + 2, margin);
    cairo_line_to(cr, w - margin - 2, margin);
    cairo_stroke(cr);
}

void drawToggle(cairo_t* cr, double w, double h, bool on) {
    cairo_new_path(cr);
    const double cx = w * 0.5;
    const double cy = h * 0.5;
    const double washer = w * 0.46;
    const double nut = w * 0.36;

    // Black washer, then the hexagonal chrome nut that holds the switch in the panel.
    drawRoundShadow(cr, cx + 0.5, cy + 1.0, washer * 0.9, washer * 1.25, 0.45);
    cairo_arc(cr, cx, cy, washer, 0, kTwoPi);
    cairo_pattern_t* ring = cairo_pattern_create_linear(0, cy - washer, 0, cy + washer);
    cairo_pattern_add_color_stop_rgb(ring, 0.0, 0.30, 0.30, 0.31);
    cairo_pattern_add_color_stop_rgb(ring, 1.0, 0.04, 0.04, 0.045);
    cairo_set_source(cr, ring);
    cairo_fill(cr);
    cairo_pattern_destroy(ring);
    for (int i = 0; i < 6; ++i) {
        const double a = i * kPi / 3.0;
        const double px = cx + nut * std::cos(a);
        const double py = cy + nut * std::sin(a);
        if (i == 0) {
            cairo_move_to(cr, px, py);
        } else {
            cairo_line_to(cr, px, py);
        }
    }
    cairo_close_path(cr);
    cairo_pattern_t* steel = cairo_pattern_create_linear(cx - nut, cy - nut, cx + nut, cy + nut);
    cairo_pattern_add_color_stop_rgb(steel, 0.0, 0.97, 0.97, 0.98);
    cairo_pattern_add_color_stop_rgb(steel, 0.5, 0.66, 0.67, 0.69);
    cairo_pattern_add_color_stop_rgb(steel, 1.0, 0.34, 0.35, 0.37);
    cairo_set_source(cr, steel);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(steel);
    cairo_set_source_rgba(cr, 0.05, 0.05, 0.05, 0.8);
    cairo_set_line_width(cr, 0.5);
    cairo_stroke(cr);
    cairo_arc(cr, cx, cy, nut * 0.5, 0, kTwoPi);
    cairo_set_source_rgb(cr, 0.05, 0.05, 0.055);
    cairo_fill(cr);

    // The bat lever, leaning towards the viewer, so its tip looks wider than its root.
    const double direction = on ? -1.0 : 1.0;
    const double length = h * 0.335;
    const double rootHalf = w * 0.10;
    const double tipHalf = w * 0.17;
    const double tipY = cy + direction * length;
    for (int pass = 0; pass < 2; ++pass) {
        const bool shadow = pass == 0;
        const double dx = shadow ? 1.4 : 0.0;
        const double dy = shadow ? 2.2 : 0.0;
        cairo_move_to(cr, cx - rootHalf + dx, cy + dy);
        cairo_line_to(cr, cx - tipHalf * 0.75 + dx, tipY + dy);
        cairo_line_to(cr, cx + tipHalf * 0.75 + dx, tipY + dy);
        cairo_line_to(cr, cx + rootHalf + dx, cy + dy);
        cairo_close_path(cr);
        cairo_new_sub_path(cr);
        cairo_arc(cr, cx + dx, tipY + dy, tipHalf, 0, kTwoPi);
        if (shadow) {
            cairo_set_source_rgba(cr, 0, 0, 0, 0.35);
            cairo_fill(cr);
            continue;
        }
        cairo_pattern_t* chrome = cairo_pattern_create_linear(cx - tipHalf, 0, cx + tipHalf, 0);
        cairo_pattern_add_color_stop_rgb(chrome, 0.0, 0.36, 0.37, 0.39);
        cairo_pattern_add_color_stop_rgb(chrome, 0.35, 0.99, 0.99, 1.0);
        cairo_pattern_add_color_stop_rgb(chrome, 0.6, 0.72, 0.73, 0.75);
        cairo_pattern_add_color_stop_rgb(chrome, 1.0, 0.28, 0.29, 0.31);
        cairo_set_source(cr, chrome);
        cairo_fill(cr);
        cairo_pattern_destroy(chrome);
    }
    cairo_arc(cr, cx, tipY, tipHalf, 0, kTwoPi);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.45);
    cairo_set_line_width(cr, 0.5);
    cairo_stroke(cr);
    cairo_arc(cr, cx - tipHalf * 0.3, tipY - tipHalf * 0.35, tipHalf * 0.35, 0, kTwoPi);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.75);
    cairo_fill(cr);
}

void drawRocker(cairo_t* cr, double w, double h, RockerState state) {
    cairo_new_path(cr);
    // Housing cut into the panel.
    roundedRectangle(cr, 0.5, 0.5, w - 1.0, h - 1.0, 2.5);
    cairo_set_source_rgb(cr, 0.04, 0.04, 0.045);
    cairo_fill_preserve(cr);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.12);
    cairo_set_line_width(cr, 0.6);
    cairo_stroke(cr);

    const double x = 2.0;
    const double cw = w - 4.0;
    const double half = (h - 4.0) * 0.5;
    const Rgb paddle{0.25, 0.255, 0.265};
    for (int part = 0; part < 2; ++part) {
        const bool upper = part == 0;
        const bool pressed =
            (upper && state == RockerState::kUpperPressed) || (!upper && state == RockerState::kLowerPressed);
        const bool raised =
            (upper && state == RockerState::kLowerPressed) || (!upper && state == RockerState::kUpperPressed);
        const double y = upper ? 2.0 : 2.0 + half;
        roundedRectangle(cr, x, y, cw, half, 1.8);
        // A rocker tilts: the pressed half falls into shade, the other half faces the light.
        const double top = pressed ? 0.62 : (raised ? 1.35 : (upper ? 1.18 : 0.95));
        const double bottom = pressed ? 0.80 : (raised ? 1.05 : (upper ? 0.95 : 0.72));
        fillVertical(cr, y, y + half, paddle, top, bottom);
        cairo_set_source_rgba(cr, 0, 0, 0, 0.6);
        cairo_set_line_width(cr, 0.5);
        cairo_stroke(cr);
        triangle(cr, w * 0.5, y + half * 0.5 + (pressed ? 0.5 : 0.0), cw * 0.42, upper);
        cairo_set_source_rgba(cr, 0.92, 0.92, 0.9, pressed ? 0.7 : 0.95);
        cairo_fill(cr);
    }
    // The pivot line between the halves.
    cairo_set_source_rgba(cr, 0, 0, 0, 0.8);
    cairo_set_line_width(cr, 0.8);
    cairo_move_to(cr, x, h * 0.5);
    cairo_line_to(cr, x + cw, h * 0.5);
    cairo_stroke(cr);
}

namespace {

// Segment order a..g: top, upper right, lower right, bottom, lower left, upper left, middle.
constexpr std::array<std::uint8_t, 10> kDigitSegments = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};

struct Segment {
    double x0, y0, x1, y1;  // centre line
};

void segmentPath(cairo_t* cr, const Segment& s, double thickness, double slant, double centreY) {
    const double half = thickness * 0.5;
    const bool horizontal = s.y0 == s.y1;
    auto point = [&](double x, double y) {
        const double skewed = x + (centreY - y) * slant;
        return std::array<double, 2>{skewed, y};
    };
    std::array<std::array<double, 2>, 6> p;
    if (horizontal) {
        p = {point(s.x0, s.y0), point(s.x0 + half, s.y0 - half), point(s.x1 - half, s.y0 - half),
             point(s.x1, s.y0), point(s.x1 - half, s.y0 + half), point(s.x0 + half, s.y0 + half)};
    } else {
        p = {point(s.x0, s.y0), point(s.x0 + half, s.y0 + half), point(s.x0 + half, s.y1 - half),
             point(s.x0, s.y1), point(s.x0 - half, s.y1 - half), point(s.x0 - half, s.y0 + half)};
    }
    cairo_move_to(cr, p[0][0], p[0][1]);
    for (std::size_t i = 1; i < p.size(); ++i) {
        cairo_line_to(cr, p[i][0], p[i][1]);
    }
    cairo_close_path(cr);
}

}  // namespace

void drawDigit(cairo_t* cr, double w, double h, int digit) {
    cairo_new_path(cr);
    cairo_rectangle(cr, 0, 0, w, h);
    setSource(cr, kDigitGlass);
    cairo_fill(cr);

    const double digitHeight = h * 0.68;
    const double digitWidth = digitHeight * 0.5;
    const double thickness = digitHeight * 0.15;
    const double gap = thickness * 0.22;
    const double slant = 0.09;
    const double cx = w * 0.5;
    const double cy = h * 0.5;
    const double left = cx - digitWidth * 0.5;
    const double right = cx + digitWidth * 0.5;
    const double top = cy - digitHeight * 0.5;
    const double bottom = cy + digitHeight * 0.5;
    const std::array<Segment, 7> segments = {{
        {left + gap, top, right - gap, top},
        {right, top + gap, right, cy - gap},
        {right, cy + gap, right, bottom - gap},
        {left + gap, bottom, right - gap, bottom},
        {left, cy + gap, left, bottom - gap},
        {left, top + gap, left, cy - gap},
        {left + gap, cy, right - gap, cy},
    }};
    const std::uint8_t lit = kDigitSegments[static_cast<std::size_t>(digit % 10)];

    for (std::size_t i = 0; i < segments.size(); ++i) {
        if ((lit >> i) & 1) {
            continue;
        }
        segmentPath(cr, segments[i], thickness, slant, cy);
        cairo_set_source_rgba(cr, 0.9, 0.12, 0.06, 0.10);
        cairo_fill(cr);
    }
    // Glow first, then the bright segments over it.
    for (std::size_t i = 0; i < segments.size(); ++i) {
        if ((lit >> i) & 1) {
            segmentPath(cr, segments[i], thickness, slant, cy);
        }
    }
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cr, thickness * 1.4);
    cairo_set_source_rgba(cr, 1.0, 0.1, 0.05, 0.16);
    cairo_stroke_preserve(cr);
    cairo_set_line_width(cr, thickness * 0.6);
    cairo_set_source_rgba(cr, 1.0, 0.12, 0.06, 0.3);
    cairo_stroke_preserve(cr);
    cairo_set_source_rgb(cr, 1.0, 0.22, 0.12);
    cairo_fill(cr);
    // Hot centres of the lit segments.
    for (std::size_t i = 0; i < segments.size(); ++i) {
        if ((lit >> i) & 1) {
            segmentPath(cr, segments[i], thickness * 0.35, slant, cy);
        }
    }
    cairo_set_source_rgba(cr, 1.0, 0.7, 0.55, 0.55);
    cairo_fill(cr);
}

void drawTextWindow(cairo_t* cr, double w, double h) {
    cairo_new_path(cr);
    cairo_rectangle(cr, 0, 0, w, h);
    setSource(cr, kTextWindowGlass);
    cairo_fill(cr);
    // Inner shadow along the top edge and a faint reflection across the glass.
    cairo_pattern_t* inner = cairo_pattern_create_linear(0, 0, 0, h * 0.35);
    cairo_pattern_add_color_stop_rgba(inner, 0.0, 0, 0, 0, 0.6);
    cairo_pattern_add_color_stop_rgba(inner, 1.0, 0, 0, 0, 0.0);
    cairo_rectangle(cr, 0, 0, w, h);
    cairo_set_source(cr, inner);
    cairo_fill(cr);
    cairo_pattern_destroy(inner);
    cairo_move_to(cr, w * 0.55, 0);
    cairo_line_to(cr, w * 0.75, 0);
    cairo_line_to(cr, w * 0.62, h);
    cairo_line_to(cr, w * 0.42, h);
    cairo_close_path(cr);
    cairo_set_source_rgba(cr, 0.6, 0.8, 1.0, 0.018);
    cairo_fill(cr);
}

void drawMenuButton(cairo_t* cr, double w, double h, const std::string& caption, bool pressed) {
    drawKey(cr, w, h, KeyLook{KeyColour::kPlain, false, KeyGlyph::kNone}, pressed, false);
    const double travel = pressed ? 1.0 : 0.0;
    TextStyle style;
    style.sizeUnits = std::min(8.0, h * 0.38);
    style.colour = {0.93, 0.93, 0.92};
    style.tracking = 0.5;
    const double triangleSize = h * 0.24;
    const double textW = textWidth(cr, caption, style);
    const double total = textW + triangleSize * 1.6;
    const double left = (w - total) * 0.5;
    const double baseline = h * 0.5 + style.sizeUnits * 0.36 - 0.5 + travel;
    drawText(cr, caption, left, baseline, style, Align::kLeft);
    triangle(cr, left + textW + triangleSize * 1.1, h * 0.5 - 0.5 + travel, triangleSize, false);
    setSource(cr, kLedRed, 0.95);
    cairo_fill(cr);
}

void drawLearnBox(cairo_t* cr, double w, double h) {
    cairo_rectangle(cr, 0, 0, w, h);
    cairo_set_source_rgb(cr, 0.98, 0.94, 0.78);
    cairo_fill(cr);
    cairo_rectangle(cr, 0.5, 0.5, w - 1.0, h - 1.0);
    cairo_set_source_rgb(cr, 0.55, 0.42, 0.2);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
}

}  // namespace skingen

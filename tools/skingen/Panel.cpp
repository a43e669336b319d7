#include "Panel.h"

#include <cmath>

#include "Materials.h"
#include "Widgets.h"

namespace skingen {

namespace {

constexpr double kPi = 3.14159265358979323846;

constexpr MetalFinish kAluminium{{0.995, 1.0, 1.02}, 0.80, 0.022, 0.018, 0.010, 0.05};
constexpr MetalFinish kAnodisedDark{{0.97, 1.0, 1.06}, 0.185, 0.010, 0.010, 0.006, 0.03};
constexpr std::uint32_t kUpperPlateSeed = 0x5EED0001u;
constexpr std::uint32_t kLowerPlateSeed = 0x5EED0002u;

constexpr Rgb kInkOnLight{0.12, 0.12, 0.13};
constexpr Rgb kInkOnDark{0.86, 0.86, 0.84};
constexpr Rgb kBrandRed{0.74, 0.11, 0.07};
constexpr double kScrewRadius = 5.0;
constexpr double kScrewInset = 12.0;

TextStyle labelStyle(LabelSize size, bool onDark) {
    TextStyle style;
    style.colour = onDark ? kInkOnDark : kInkOnLight;
    switch (size) {
        case LabelSize::kTitle:
            style.sizeUnits = 7.5;
            style.tracking = 0.6;
            break;
        case LabelSize::kSmall:
            style.sizeUnits = 6.0;
            style.tracking = 0.3;
            break;
        case LabelSize::kNote:
            style.sizeUnits = 7.5;
            style.bold = false;
            style.alpha = 0.8;
            break;
    }
    return style;
}

void drawPlates(Canvas& canvas) {
    fillBrushedMetal(canvas, {0, 0, kPanelWidth, kSequencerTop}, kAluminium, kUpperPlateSeed);
    fillBrushedMetal(canvas, {0, kSequencerTop, kPanelWidth, kPanelHeight - kSequencerTop}, kAnodisedDark,
                     kLowerPlateSeed);
    cairo_t* cr = canvas.cr();
    // The aluminium plate's lower edge throws a shadow onto the dark plate.
    cairo_pattern_t* shadow = cairo_pattern_create_linear(0, kSequencerTop, 0, kSequencerTop + 6);
    cairo_pattern_add_color_stop_rgba(shadow, 0.0, 0, 0, 0, 0.55);
    cairo_pattern_add_color_stop_rgba(shadow, 1.0, 0, 0, 0, 0.0);
    cairo_rectangle(cr, 0, kSequencerTop, kPanelWidth, 6);
    cairo_set_source(cr, shadow);
    cairo_fill(cr);
    cairo_pattern_destroy(shadow);
    cairo_set_line_width(cr, 1.0);
    cairo_set_source_rgba(cr, 0.35, 0.35, 0.36, 0.9);
    cairo_move_to(cr, 0, kSequencerTop - 0.5);
    cairo_line_to(cr, kPanelWidth, kSequencerTop - 0.5);
    cairo_stroke(cr);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.6);
    cairo_move_to(cr, 0, kSequencerTop - 1.5);
    cairo_line_to(cr, kPanelWidth, kSequencerTop - 1.5);
    cairo_stroke(cr);

    // Rounded-off outer edge of the panel.
    cairo_rectangle(cr, 0.5, 0.5, kPanelWidth - 1.0, kPanelHeight - 1.0);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.7);
    cairo_stroke(cr);
    cairo_move_to(cr, 1.5, kPanelHeight - 1.0);
    cairo_line_to(cr, 1.5, 1.5);
    cairo_line_to(cr, kPanelWidth - 1.0, 1.5);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.45);
    cairo_stroke(cr);
}

void drawScrews(cairo_t* cr) {
    const double far = kPanelWidth - kScrewInset;
    const double low = kPanelHeight - kScrewInset;
    drawScrew(cr, kScrewInset, kScrewInset, kScrewRadius, 0.35);
    drawScrew(cr, far, kScrewInset, kScrewRadius, 1.1);
    drawScrew(cr, kScrewInset, low, kScrewRadius, 0.8);
    drawScrew(cr, far, low, kScrewRadius, 0.1);
}

void drawDividers(cairo_t* cr, const SkinLayout& layout) {
    cairo_set_line_width(cr, 1.0);
    for (const Line& line : layout.dividers) {
        cairo_set_source_rgba(cr, 0, 0, 0, 0.35);
        cairo_move_to(cr, line.x0 + 0.5, line.y0);
        cairo_line_to(cr, line.x1 + 0.5, line.y1);
        cairo_stroke(cr);
        cairo_set_source_rgba(cr, 1, 1, 1, 0.6);
        cairo_move_to(cr, line.x0 + 1.5, line.y0);
        cairo_line_to(cr, line.x1 + 1.5, line.y1);
        cairo_stroke(cr);
    }
}

// Eleven ticks around each knob, longer at both ends and in the middle, and the faint groove
// in which the value arc runs.
void drawKnobScales(cairo_t* cr, const SkinLayout& layout) {
    for (const Rect& knob : layout.knobScales) {
        const bool onDark = onSequencerSection(knob.y);
        const double cx = knob.centreX();
        const double cy = knob.centreY();
        const double size = knob.w;
        const Rgb ink = onDark ? kInkOnDark : kInkOnLight;
        const double arcRadius = size * kKnobArcFraction;
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_set_line_width(cr, size * 0.022);
        cairo_set_source_rgba(cr, 0, 0, 0, onDark ? 0.5 : 0.16);
        cairo_arc(cr, cx, cy, arcRadius, knobAngle(0.0) - kPi * 0.5, knobAngle(1.0) - kPi * 0.5);
        cairo_stroke(cr);

        const int ticks = 11;
        for (int i = 0; i < ticks; ++i) {
            const double a = knobAngle(static_cast<double>(i) / (ticks - 1));
            const bool major = i == 0 || i == ticks - 1 || i == ticks / 2;
            const double inner = size * 0.435;
            const double outer = size * (major ? 0.495 : 0.475);
            cairo_set_line_width(cr, major ? 1.1 : 0.8);
            setSource(cr, ink, major ? 0.95 : 0.75);
            cairo_move_to(cr, cx + std::sin(a) * inner, cy - std::cos(a) * inner);
            cairo_line_to(cr, cx + std::sin(a) * outer, cy - std::cos(a) * outer);
            cairo_stroke(cr);
        }
    }
}

void drawRecesses(cairo_t* cr, const SkinLayout& layout) {
    for (const Recess& recess : layout.recesses) {
        const Rect& r = recess.rect;
        const bool onDark = onSequencerSection(r.y);
        switch (recess.kind) {
            case RecessKind::kKeyWell:
                drawRecess(cr, r.x + 0.5, r.y + 0.5, r.w - 1.0, r.h - 1.5, 3.0, onDark);
                break;
            case RecessKind::kDigitWindow:
            case RecessKind::kTextWindow: {
                // A glass window framed by a black bezel; the glass margin matches the
                // pictures drawn over it so they join without a seam.
                const double margin = recess.kind == RecessKind::kDigitWindow ? 4.0 : 3.0;
                const Rgb glass = recess.kind == RecessKind::kDigitWindow ? kDigitGlass : kTextWindowGlass;
                drawRecess(cr, r.x - margin - 2.0, r.y - margin - 2.0, r.w + 2 * margin + 4.0, r.h + 2 * margin + 4.0,
                           3.0, onDark);
                roundedRectangle(cr, r.x - margin, r.y - margin, r.w + 2 * margin, r.h + 2 * margin, 1.5);
                setSource(cr, glass);
                cairo_fill(cr);
                break;
            }
        }
    }
}

void drawLabels(cairo_t* cr, const SkinLayout& layout) {
    for (const PanelLabel& label : layout.labels) {
        const bool onDark = onSequencerSection(label.baseline);
        drawPrintedText(cr, label.text, label.x, label.baseline, labelStyle(label.size, onDark), label.align, onDark);
    }
}

void drawBrand(cairo_t* cr, const SkinLayout& layout) {
    drawLogoLettering(cr, layout.logo, -1.0);
    TextStyle model;
    model.sizeUnits = 19.0;
    model.bold = false;
    model.italic = true;
    model.colour = kBrandRed;
    const double modelX = layout.logo.right() + 12.0;
    drawPrintedText(cr, "Fernwave", modelX, layout.logo.bottom(), model, Align::kLeft, false);
    TextStyle tagline = labelStyle(LabelSize::kSmall, false);
    tagline.tracking = 1.2;
    tagline.colour = {0.3, 0.3, 0.32};
    const double taglineX = modelX + textWidth(cr, "Fernwave", model) + 14.0;
    drawPrintedText(cr, "MONOPHONIC BASS SYNTHESIZER", taglineX, layout.logo.bottom() - 9.0, tagline, Align::kLeft,
                    false);
    drawPrintedText(cr, "WITH STEP SEQUENCER", taglineX, layout.logo.bottom(), tagline, Align::kLeft, false);
}

}  // namespace

void drawLogoLettering(cairo_t* cr, const Rect& box, double highlight) {
    TextStyle style;
    style.bold = true;
    // DejaVu Sans Bold capitals stand 0.73 em tall.
    style.sizeUnits = box.h / 0.73;
    style.colour = {0.10, 0.10, 0.11};
    const double natural = textWidth(cr, "VEXO", style);
    style.tracking = (box.w - natural) / 3.0;
    if (highlight < 0.0) {
        drawPrintedText(cr, "VEXO", box.x, box.bottom(), style, Align::kLeft, false);
        return;
    }
    // The shimmer: the lettering again, filled with a light band that travels left to right.
    cairo_save(cr);
    cairo_push_group(cr);
    drawText(cr, "VEXO", box.x, box.bottom(), style, Align::kLeft);
    cairo_pop_group_to_source(cr);
    cairo_pattern_t* mask = cairo_get_source(cr);
    cairo_pattern_reference(mask);
    const double bandCentre = box.x - box.w * 0.3 + highlight * box.w * 1.6;
    cairo_pattern_t* band =
        cairo_pattern_create_linear(bandCentre - box.w * 0.3, box.y, bandCentre + box.w * 0.3, box.bottom());
    cairo_pattern_add_color_stop_rgba(band, 0.0, 0.9, 0.9, 0.95, 0.0);
    cairo_pattern_add_color_stop_rgba(band, 0.5, 0.92, 0.92, 0.98, 0.85);
    cairo_pattern_add_color_stop_rgba(band, 1.0, 0.9, 0.9, 0.95, 0.0);
    cairo_set_source(cr, band);
    cairo_mask(cr, mask);
    cairo_pattern_destroy(band);
    cairo_pattern_destroy(mask);
    cairo_restore(cr);
}

void drawPanel(Canvas& canvas, const SkinLayout& layout) {
    drawPlates(canvas);
    cairo_t* cr = canvas.cr();
    drawDividers(cr, layout);
    drawKnobScales(cr, layout);
    drawRecesses(cr, layout);
    drawLabels(cr, layout);
    drawBrand(cr, layout);
    drawScrews(cr);
}

}  // namespace skingen

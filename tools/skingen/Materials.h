// Surfaces and small hardware shared by the panel and the controls: brushed metal, screws,
// recesses and soft shadows.
#pragma once

#include <cstdint>

#include "Canvas.h"

namespace skingen {

// Appearance of a brushed metal plate. Brightness values are 0..1 grey levels.
struct MetalFinish {
    Rgb tint;               // multiplied into the grey level
    double level;           // mean grey level
    double rowContrast;     // line-to-line brightness spread (the brush grooves)
    double streakContrast;  // slow variation along each line
    double grain;           // per-pixel noise
    double sheen;           // broad highlight across the plate
};

// Fills area (in skin units) of the canvas with brushed metal; seed makes the pattern repeatable.
void fillBrushedMetal(Canvas& canvas, const Rect& area, const MetalFinish& finish, std::uint32_t seed);

// A cross-head screw seen from the front, with its shadow.
void drawScrew(cairo_t* cr, double cx, double cy, double radius, double slotAngleRadians);

// A rectangular opening cut into the panel: dark inner edge at the top and left, light edge at
// the bottom and right.
void drawRecess(cairo_t* cr, double x, double y, double w, double h, double radius, bool onDarkPanel);

// A soft shadow under a rounded rectangle, fading out over blur units.
void drawSoftShadow(cairo_t* cr, double x, double y, double w, double h, double radius, double blur, double alpha);

// A soft round shadow (knobs, LEDs), opaque up to innerRadius and gone at outerRadius.
void drawRoundShadow(cairo_t* cr, double cx, double cy, double innerRadius, double outerRadius, double alpha);

// Deterministic pseudo-random numbers for textures (the same skin on every build).
class NoiseSource {
public:
    explicit NoiseSource(std::uint32_t seed) : state_(seed ? seed : 0x9E3779B9u) {}
    // Uniform in [-1, 1).
    double next();

private:
    std::uint32_t state_;
};

}  // namespace skingen

#include "Materials.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace skingen {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Box blur of one line in place; three passes approximate a Gaussian.
void blurLine(std::vector<double>& line, int radius) {
    const int n = static_cast<int>(line.size());
    if (radius < 1 || n == 0) {
        return;
    }
    std::vector<double> out(line.size());
    for (int pass = 0; pass < 3; ++pass) {
        double sum = 0.0;
        for (int i = -radius; i <= radius; ++i) {
            sum += line[static_cast<std::size_t>(std::clamp(i, 0, n - 1))];
        }
        for (int i = 0; i < n; ++i) {
            out[static_cast<std::size_t>(i)] = sum / (2 * radius + 1);
            sum += line[static_cast<std::size_t>(std::min(i + radius + 1, n - 1))];
            sum -= line[static_cast<std::size_t>(std::max(i - radius, 0))];
        }
        line.swap(out);
    }
}

void normalise(std::vector<double>& line) {
    double sumSquares = 0.0;
    for (double v : line) {
        sumSquares += v * v;
    }
    const double rms = std::sqrt(sumSquares / std::max<std::size_t>(line.size(), 1));
    if (rms > 0.0) {
        for (double& v : line) {
            v /= rms;
        }
    }
}

std::uint8_t toByte(double value) {
    return static_cast<std::uint8_t>(std::clamp(value, 0.0, 1.0) * 255.0 + 0.5);
}

}  // namespace

double NoiseSource::next() {
    // xorshift32
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<double>(state_) / 2147483648.0 - 1.0;
}

void fillBrushedMetal(Canvas& canvas, const Rect& area, const MetalFinish& finish, std::uint32_t seed) {
    cairo_surface_t* surface = canvas.surface();
    cairo_surface_flush(surface);
    const double scale = canvas.scale();
    const int x0 = static_cast<int>(area.x * scale);
    const int y0 = static_cast<int>(area.y * scale);
    const int width = std::min(static_cast<int>(area.w * scale), canvas.pixelWidth() - x0);
    const int height = std::min(static_cast<int>(area.h * scale), canvas.pixelHeight() - y0);
    const int stride = cairo_image_surface_get_stride(surface);
    unsigned char* pixels = cairo_image_surface_get_data(surface);

    NoiseSource noise(seed);
    // Brush strokes are long along x; their length follows the skin scale so both sizes match.
    const int streakRadiusPixels = static_cast<int>(std::lround(18.0 * scale));
    std::vector<double> streak(static_cast<std::size_t>(width));
    for (int y = 0; y < height; ++y) {
        for (double& v : streak) {
            v = noise.next();
        }
        blurLine(streak, streakRadiusPixels);
        normalise(streak);
        const double row = noise.next() * finish.rowContrast;
        const double v = static_cast<double>(y) / std::max(height - 1, 1);
        auto* line = reinterpret_cast<std::uint32_t*>(pixels + static_cast<std::ptrdiff_t>(y0 + y) * stride) + x0;
        for (int x = 0; x < width; ++x) {
            const double u = static_cast<double>(x) / std::max(width - 1, 1);
            // A wide soft highlight across the plate, as under a studio lamp.
            const double sheen = finish.sheen * (std::cos(2.0 * kPi * (u * 0.9 - 0.35)) * 0.7 - (v - 0.5) * 0.6);
            const double grey = finish.level + sheen + row +
                                finish.streakContrast * streak[static_cast<std::size_t>(x)] +
                                finish.grain * noise.next();
            line[x] = 0xFF000000u | (static_cast<std::uint32_t>(toByte(grey * finish.tint.r)) << 16) |
                      (static_cast<std::uint32_t>(toByte(grey * finish.tint.g)) << 8) |
                      static_cast<std::uint32_t>(toByte(grey * finish.tint.b));
        }
    }
    cairo_surface_mark_dirty(surface);
}

void drawRoundShadow(cairo_t* cr, double cx, double cy, double innerRadius, double outerRadius, double alpha) {
    cairo_pattern_t* shadow = cairo_pattern_create_radial(cx, cy, innerRadius, cx, cy, outerRadius);
    cairo_pattern_add_color_stop_rgba(shadow, 0.0, 0, 0, 0, alpha);
    cairo_pattern_add_color_stop_rgba(shadow, 0.45, 0, 0, 0, alpha * 0.45);
    cairo_pattern_add_color_stop_rgba(shadow, 1.0, 0, 0, 0, 0.0);
    cairo_set_source(cr, shadow);
    cairo_arc(cr, cx, cy, outerRadius, 0.0, 2.0 * kPi);
    cairo_fill(cr);
    cairo_pattern_destroy(shadow);
}

void drawSoftShadow(cairo_t* cr, double x, double y, double w, double h, double radius, double blur, double alpha) {
    // Stacked translucent outlines growing outwards make a cheap, smooth blur.
    const int layers = 8;
    for (int i = layers; i >= 1; --i) {
        const double grow = blur * i / layers;
        roundedRectangle(cr, x - grow, y - grow, w + 2.0 * grow, h + 2.0 * grow, radius + grow);
        cairo_set_source_rgba(cr, 0, 0, 0, alpha / layers);
        cairo_fill(cr);
    }
}

void drawScrew(cairo_t* cr, double cx, double cy, double radius, double slotAngleRadians) {
    drawRoundShadow(cr, cx + 0.6, cy + 1.0, radius * 0.9, radius * 1.45, 0.45);

    cairo_pattern_t* head = cairo_pattern_create_linear(cx - radius, cy - radius, cx + radius, cy + radius);
    cairo_pattern_add_color_stop_rgb(head, 0.0, 0.93, 0.93, 0.94);
    cairo_pattern_add_color_stop_rgb(head, 0.5, 0.66, 0.67, 0.69);
    cairo_pattern_add_color_stop_rgb(head, 1.0, 0.42, 0.43, 0.45);
    cairo_set_source(cr, head);
    cairo_arc(cr, cx, cy, radius, 0.0, 2.0 * kPi);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(head);
    cairo_set_source_rgba(cr, 0.15, 0.15, 0.16, 0.8);
    cairo_set_line_width(cr, 0.6);
    cairo_stroke(cr);

    // The cross recess: a dark groove with a light lower lip.
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, slotAngleRadians);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    const double arm = radius * 0.62;
    for (int pass = 0; pass < 2; ++pass) {
        const double offset = pass == 0 ? 0.5 : 0.0;
        if (pass == 0) {
            cairo_set_source_rgba(cr, 1, 1, 1, 0.5);
        } else {
            cairo_set_source_rgba(cr, 0.12, 0.12, 0.13, 0.95);
        }
        cairo_set_line_width(cr, radius * 0.28);
        cairo_move_to(cr, -arm, offset);
        cairo_line_to(cr, arm, offset);
        cairo_move_to(cr, 0, -arm + offset);
        cairo_line_to(cr, 0, arm + offset);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
}

void drawRecess(cairo_t* cr, double x, double y, double w, double h, double radius, bool onDarkPanel) {
    const double lip = 1.2;
    // Light lower-right lip, then the dark upper-left edge, then the cavity.
    roundedRectangle(cr, x - lip, y - lip, w + 2 * lip, h + 2 * lip, radius + lip);
    cairo_set_source_rgba(cr, 1, 1, 1, onDarkPanel ? 0.10 : 0.55);
    cairo_fill(cr);
    roundedRectangle(cr, x - lip, y - lip, w + 2 * lip - 0.8, h + 2 * lip - 0.8, radius + lip);
    cairo_set_source_rgba(cr, 0, 0, 0, onDarkPanel ? 0.65 : 0.35);
    cairo_fill(cr);
    roundedRectangle(cr, x, y, w, h, radius);
    cairo_set_source_rgb(cr, 0.06, 0.06, 0.065);
    cairo_fill(cr);
}

}  // namespace skingen

#include "Canvas.h"

#include <algorithm>

namespace skingen {

Rgb shade(const Rgb& colour, double factor) {
    if (factor <= 1.0) {
        return {colour.r * factor, colour.g * factor, colour.b * factor};
    }
    const double towardsWhite = std::min(factor - 1.0, 1.0);
    return {colour.r + (1.0 - colour.r) * towardsWhite, colour.g + (1.0 - colour.g) * towardsWhite,
            colour.b + (1.0 - colour.b) * towardsWhite};
}

void setSource(cairo_t* cr, const Rgb& colour, double alpha) {
    cairo_set_source_rgba(cr, colour.r, colour.g, colour.b, alpha);
}

void addStop(cairo_pattern_t* pattern, double offset, const Rgb& colour, double alpha) {
    cairo_pattern_add_color_stop_rgba(pattern, offset, colour.r, colour.g, colour.b, alpha);
}

Canvas::Canvas(int widthUnits, int heightUnits, double scale) : scale_(scale) {
    surface_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(widthUnits * scale + 0.5),
                                          static_cast<int>(heightUnits * scale + 0.5));
    cr_ = cairo_create(surface_);
    cairo_scale(cr_, scale, scale);
}

Canvas::~Canvas() {
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
}

int Canvas::pixelWidth() const {
    return cairo_image_surface_get_width(surface_);
}
int Canvas::pixelHeight() const {
    return cairo_image_surface_get_height(surface_);
}

bool Canvas::writePng(const std::string& path) const {
    cairo_surface_flush(surface_);
    return cairo_surface_write_to_png(surface_, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

std::vector<unsigned char> Canvas::pngBytes() const {
    std::vector<unsigned char> bytes;
    cairo_surface_flush(surface_);
    cairo_surface_write_to_png_stream(
        surface_,
        [](void* closure, const unsigned char* data, unsigned int length) {
            auto* out = static_cast<std::vector<unsigned char>*>(closure);
            out->insert(out->end(), data, data + length);
            return CAIRO_STATUS_SUCCESS;
        },
        &bytes);
    return bytes;
}

void roundedRectangle(cairo_t* cr, double x, double y, double w, double h, double radius) {
    const double r = std::min({radius, w * 0.5, h * 0.5});
    const double quarter = 1.5707963267948966;
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -quarter, 0.0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0.0, quarter);
    cairo_arc(cr, x + r, y + h - r, r, quarter, 2.0 * quarter);
    cairo_arc(cr, x + r, y + r, r, 2.0 * quarter, 3.0 * quarter);
    cairo_close_path(cr);
}

namespace {

void selectFont(cairo_t* cr, const TextStyle& style) {
    cairo_select_font_face(cr, "DejaVu Sans", style.italic ? CAIRO_FONT_SLANT_OBLIQUE : CAIRO_FONT_SLANT_NORMAL,
                           style.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, style.sizeUnits);
    // Unhinted advances keep letter spacing even and identical at every skin scale.
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
}

// Glyph runs are laid out one UTF-8 character at a time when tracking is set.
std::vector<std::string> characters(const std::string& text) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = 1;
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead >= 0xF0) {
            length = 4;
        } else if (lead >= 0xE0) {
            length = 3;
        } else if (lead >= 0xC0) {
            length = 2;
        }
        out.push_back(text.substr(i, length));
        i += length;
    }
    return out;
}

double advance(cairo_t* cr, const std::string& text) {
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text.c_str(), &extents);
    return extents.x_advance;
}

}  // namespace

double textWidth(cairo_t* cr, const std::string& text, const TextStyle& style) {
    cairo_save(cr);
    selectFont(cr, style);
    double width = advance(cr, text);
    if (style.tracking != 0.0 && !text.empty()) {
        width += style.tracking * static_cast<double>(characters(text).size() - 1);
    }
    cairo_restore(cr);
    return width;
}

void drawText(cairo_t* cr, const std::string& text, double x, double baselineY, const TextStyle& style, Align align) {
    const double width = textWidth(cr, text, style);
    double left = x;
    if (align == Align::kCentre) {
        left = x - width * 0.5;
    } else if (align == Align::kRight) {
        left = x - width;
    }
    cairo_save(cr);
    selectFont(cr, style);
    setSource(cr, style.colour, style.alpha);
    if (style.tracking == 0.0) {
        cairo_move_to(cr, left, baselineY);
        cairo_show_text(cr, text.c_str());
    } else {
        double pen = left;
        for (const std::string& glyph : characters(text)) {
            cairo_move_to(cr, pen, baselineY);
            cairo_show_text(cr, glyph.c_str());
            pen += advance(cr, glyph) + style.tracking;
        }
    }
    cairo_restore(cr);
}

void drawPrintedText(cairo_t* cr, const std::string& text, double x, double baselineY, const TextStyle& style,
                     Align align, bool onDarkPanel) {
    TextStyle relief = style;
    if (onDarkPanel) {
        relief.colour = {0.0, 0.0, 0.0};
        relief.alpha = 0.55;
    } else {
        relief.colour = {1.0, 1.0, 1.0};
        relief.alpha = 0.45;
    }
    drawText(cr, text, x, baselineY + 0.8, relief, align);
    drawText(cr, text, x, baselineY, style, align);
}

}  // namespace skingen

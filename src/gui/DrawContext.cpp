#include "gui/DrawContext.h"

#include <cairo.h>

#include <cmath>
#include <numbers>

namespace vexo {
namespace {

constexpr const char* kFontFamily = "DejaVu Sans";

double radians(double degrees) {
    return degrees * std::numbers::pi / 180.0;
}

// Where a stroke of width lineWidth centred on integer coordinates would straddle two pixel
// rows: odd widths are moved by half a pixel so that they fill whole pixels.
double pixelAlignment(double lineWidth) {
    return std::fmod(std::round(lineWidth), 2.0) == 1.0 ? 0.5 : 0.0;
}

void ellipsePath(cairo_t* cr, double centreX, double centreY, double radiusX, double radiusY, double fromRadians,
                 double toRadians) {
    if (radiusX <= 0.0 || radiusY <= 0.0) {
        return;
    }
    cairo_save(cr);
    cairo_translate(cr, centreX, centreY);
    cairo_scale(cr, radiusX, radiusY);
    cairo_arc(cr, 0.0, 0.0, 1.0, fromRadians, toRadians);
    cairo_restore(cr);
}

}  // namespace

CDrawContext::CDrawContext(cairo_t* cr) : cr_(cr) {
    // Slight hinting and grey antialiasing keep the small panel texts sharp without the colour
    // fringes of subpixel rendering, which would also make screenshots depend on the screen.
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_set_font_options(cr_, options);
    cairo_font_options_destroy(options);
}

CDrawContext::~CDrawContext() {
    while (clipDepth_ > 0) {
        popClip();
    }
}

void CDrawContext::applyColor(const CColor& color) {
    cairo_set_source_rgba(cr_, color.red / 255.0, color.green / 255.0, color.blue / 255.0, color.alpha / 255.0);
}

void CDrawContext::applyFont() {
    // The toy font API goes through fontconfig, which falls back to any sans-serif face when
    // DejaVu Sans is not installed.
    cairo_select_font_face(cr_, kFontFamily, CAIRO_FONT_SLANT_NORMAL,
                           fontBold_ ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr_, fontHeight_);
}

void CDrawContext::drawBitmap(const CBitmap& bitmap, const CRect& destination, const CPoint& sourceOffset, int alpha) {
    if (alpha <= 0 || destination.isEmpty() || bitmap.surface() == nullptr) {
        return;
    }
    cairo_save(cr_);
    cairo_rectangle(cr_, destination.left, destination.top, destination.width(), destination.height());
    cairo_clip(cr_);
    cairo_set_source_surface(cr_, bitmap.surface(), destination.left - sourceOffset.x,
                             destination.top - sourceOffset.y);
    // 1:1 copies at integer offsets: nearest keeps every pixel exact.
    cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_NEAREST);
    if (alpha >= 255) {
        cairo_paint(cr_);
    } else {
        cairo_paint_with_alpha(cr_, alpha / 255.0);
    }
    cairo_restore(cr_);
}

void CDrawContext::drawBitmapScaled(const CBitmap& bitmap, const CRect& destination, int alpha) {
    if (alpha <= 0 || destination.isEmpty() || bitmap.getWidth() <= 0 || bitmap.getHeight() <= 0) {
        return;
    }
    cairo_save(cr_);
    cairo_rectangle(cr_, destination.left, destination.top, destination.width(), destination.height());
    cairo_clip(cr_);
    cairo_translate(cr_, destination.left, destination.top);
    cairo_scale(cr_, static_cast<double>(destination.width()) / bitmap.getWidth(),
                static_cast<double>(destination.height()) / bitmap.getHeight());
    cairo_set_source_surface(cr_, bitmap.surface(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_GOOD);
    // Pad: the edge pixels are repeated rather than blended with transparency when scaling.
    cairo_pattern_set_extend(cairo_get_source(cr_), CAIRO_EXTEND_PAD);
    cairo_paint_with_alpha(cr_, std::min(alpha, 255) / 255.0);
    cairo_restore(cr_);
}

void CDrawContext::setFont(double heightPixels, bool bold) {
    fontHeight_ = heightPixels;
    fontBold_ = bold;
}

void CDrawContext::drawLine(const CPoint& from, const CPoint& to) {
    const double align = pixelAlignment(lineWidth_);
    cairo_new_path(cr_);
    cairo_move_to(cr_, from.x + align, from.y + align);
    cairo_line_to(cr_, to.x + align, to.y + align);
    cairo_set_line_width(cr_, lineWidth_);
    // Square caps so that both end pixels are covered completely.
    cairo_set_line_cap(cr_, CAIRO_LINE_CAP_SQUARE);
    applyColor(frameColor_);
    cairo_stroke(cr_);
    cairo_set_line_cap(cr_, CAIRO_LINE_CAP_BUTT);
}

void CDrawContext::strokeOrFill(CDrawStyle style, const CRect& rect, bool ellipse) {
    const auto shape = [&](double inset) {
        cairo_new_path(cr_);
        const double width = rect.width() - 2.0 * inset;
        const double height = rect.height() - 2.0 * inset;
        if (width <= 0.0 || height <= 0.0) {
            return;
        }
        if (ellipse) {
            ellipsePath(cr_, rect.left + rect.width() / 2.0, rect.top + rect.height() / 2.0, width / 2.0, height / 2.0,
                        0.0, 2.0 * std::numbers::pi);
            cairo_close_path(cr_);
        } else {
            cairo_rectangle(cr_, rect.left + inset, rect.top + inset, width, height);
        }
    };
    if (style != CDrawStyle::kDrawStroked) {
        shape(0.0);
        applyColor(fillColor_);
        cairo_fill(cr_);
    }
    if (style != CDrawStyle::kDrawFilled) {
        // The stroke lies inside rect: its outer edge on the rectangle's edge.
        shape(lineWidth_ / 2.0);
        cairo_set_line_width(cr_, lineWidth_);
        applyColor(frameColor_);
        cairo_stroke(cr_);
    }
}

void CDrawContext::drawRect(const CRect& rect, CDrawStyle style) {
    strokeOrFill(style, rect, false);
}

void CDrawContext::drawEllipse(const CRect& rect, CDrawStyle style) {
    strokeOrFill(style, rect, true);
}

void CDrawContext::drawArc(const CRect& rect, double startDegrees, double endDegrees) {
    while (endDegrees < startDegrees) {
        endDegrees += 360.0;
    }
    const double inset = lineWidth_ / 2.0;
    cairo_new_path(cr_);
    ellipsePath(cr_, rect.left + rect.width() / 2.0, rect.top + rect.height() / 2.0, rect.width() / 2.0 - inset,
                rect.height() / 2.0 - inset, radians(startDegrees), radians(endDegrees));
    cairo_set_line_width(cr_, lineWidth_);
    applyColor(frameColor_);
    cairo_stroke(cr_);
}

void CDrawContext::drawString(const std::string& text, const CRect& rect, CHoriTxtAlign align) {
    if (text.empty() || rect.isEmpty()) {
        return;
    }
    applyFont();
    cairo_font_extents_t font;
    cairo_font_extents(cr_, &font);
    cairo_text_extents_t extents;
    cairo_text_extents(cr_, text.c_str(), &extents);

    double x = rect.left;
    if (align == CHoriTxtAlign::kCenterText) {
        x = rect.left + (rect.width() - extents.x_advance) / 2.0;
    } else if (align == CHoriTxtAlign::kRightText) {
        x = rect.right - extents.x_advance;
    }
    // The line box (ascent + descent) centred in rect; whole-pixel positions keep the hinted
    // glyphs sharp.
    const double baseline = rect.top + (rect.height() - (font.ascent + font.descent)) / 2.0 + font.ascent;

    cairo_save(cr_);
    cairo_rectangle(cr_, rect.left, rect.top, rect.width(), rect.height());
    cairo_clip(cr_);
    applyColor(fontColor_);
    cairo_move_to(cr_, std::round(x), std::round(baseline));
    cairo_show_text(cr_, text.c_str());
    cairo_restore(cr_);
}

double CDrawContext::stringWidth(const std::string& text) {
    applyFont();
    cairo_text_extents_t extents;
    cairo_text_extents(cr_, text.c_str(), &extents);
    return extents.x_advance;
}

void CDrawContext::pushClip(const CRect& rect) {
    cairo_save(cr_);
    cairo_rectangle(cr_, rect.left, rect.top, std::max(rect.width(), 0), std::max(rect.height(), 0));
    cairo_clip(cr_);
    ++clipDepth_;
}

void CDrawContext::popClip() {
    if (clipDepth_ > 0) {
        cairo_restore(cr_);
        --clipDepth_;
    }
}

}  // namespace vexo

#include "gui/dialog/DialogTheme.h"

#include <cairo.h>

#include <algorithm>
#include <numbers>

namespace vexo::theme {
namespace {

void setSource(cairo_t* cr, const CColor& color) {
    cairo_set_source_rgba(cr, color.red / 255.0, color.green / 255.0, color.blue / 255.0, color.alpha / 255.0);
}

}  // namespace

void roundedPath(CDrawContext& context, const CRect& rect, double radius, double inset) {
    cairo_t* cr = context.cairo();
    const double x = rect.left + inset;
    const double y = rect.top + inset;
    const double w = rect.width() - 2.0 * inset;
    const double h = rect.height() - 2.0 * inset;
    cairo_new_path(cr);
    if (w <= 0.0 || h <= 0.0) {
        return;
    }
    const double r = std::clamp(radius, 0.0, std::min(w, h) / 2.0);
    constexpr double kQuarter = std::numbers::pi / 2.0;
    cairo_arc(cr, x + w - r, y + r, r, -kQuarter, 0.0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0.0, kQuarter);
    cairo_arc(cr, x + r, y + h - r, r, kQuarter, 2.0 * kQuarter);
    cairo_arc(cr, x + r, y + r, r, 2.0 * kQuarter, 3.0 * kQuarter);
    cairo_close_path(cr);
}

void fillRounded(CDrawContext& context, const CRect& rect, double radius, const CColor& color) {
    roundedPath(context, rect, radius, 0.0);
    setSource(context.cairo(), color);
    cairo_fill(context.cairo());
}

void strokeRounded(CDrawContext& context, const CRect& rect, double radius, const CColor& color, double lineWidth) {
    roundedPath(context, rect, radius, lineWidth / 2.0);
    setSource(context.cairo(), color);
    cairo_set_line_width(context.cairo(), lineWidth);
    cairo_stroke(context.cairo());
}

void drawFace(CDrawContext& context, const CRect& rect, bool pressed, bool hovered, bool enabled) {
    cairo_t* cr = context.cairo();
    roundedPath(context, rect, kCornerRadius, 0.5);
    if (pressed) {
        setSource(cr, kFacePressed);
    } else {
        cairo_pattern_t* shade = cairo_pattern_create_linear(0.0, rect.top, 0.0, rect.bottom);
        cairo_pattern_add_color_stop_rgb(shade, 0.0, kFaceTop.red / 255.0, kFaceTop.green / 255.0,
                                         kFaceTop.blue / 255.0);
        cairo_pattern_add_color_stop_rgb(shade, 1.0, kFaceBottom.red / 255.0, kFaceBottom.green / 255.0,
                                         kFaceBottom.blue / 255.0);
        cairo_set_source(cr, shade);
        cairo_pattern_destroy(shade);
    }
    cairo_fill_preserve(cr);
    setSource(cr, !enabled ? kGroupLine : hovered ? kBorderHover : kBorder);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
}

void drawFocusRing(CDrawContext& context, const CRect& rect, double radius) {
    CRect ring = rect;
    ring.left -= 2;
    ring.top -= 2;
    ring.right += 2;
    ring.bottom += 2;
    strokeRounded(context, ring, radius + 2.0, kFocusRing, 2.0);
}

void drawField(CDrawContext& context, const CRect& rect, bool enabled) {
    fillRounded(context, rect, 2.0, enabled ? kFieldBackground : kWindow);
    strokeRounded(context, rect, 2.0, enabled ? kBorder : kGroupLine);
}

void drawText(CDrawContext& context, const std::string& text, const CRect& rect, const CColor& color,
              CHoriTxtAlign align, bool bold) {
    context.setFont(kFontHeight, bold);
    context.setFontColor(color);
    context.drawString(text, rect, align);
}

void drawChevron(CDrawContext& context, const CRect& rect, bool up, const CColor& color) {
    cairo_t* cr = context.cairo();
    const double cx = (rect.left + rect.right) / 2.0;
    const double cy = (rect.top + rect.bottom) / 2.0;
    constexpr double kHalfWidth = 4.0;
    constexpr double kHalfHeight = 2.0;
    const double tip = up ? -kHalfHeight : kHalfHeight;
    cairo_new_path(cr);
    cairo_move_to(cr, cx - kHalfWidth, cy - tip);
    cairo_line_to(cr, cx, cy + tip);
    cairo_line_to(cr, cx + kHalfWidth, cy - tip);
    setSource(cr, color);
    cairo_set_line_width(cr, 1.5);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
}

double textWidth(const std::string& text, bool bold) {
    cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    cairo_t* cr = cairo_create(scratch);
    double width = 0.0;
    {
        CDrawContext measure(cr);
        measure.setFont(kFontHeight, bold);
        width = measure.stringWidth(text);
    }
    cairo_destroy(cr);
    cairo_surface_destroy(scratch);
    return width;
}

}  // namespace vexo::theme

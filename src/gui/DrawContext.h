// Drawing on a cairo context: image blits, lines, shapes and text in the panel's small font.
#pragma once

#include <string>

#include "gui/Bitmap.h"
#include "gui/Geometry.h"

typedef struct _cairo cairo_t;

namespace vexo {

enum class CHoriTxtAlign { kLeftText, kCenterText, kRightText };

enum class CDrawStyle { kDrawStroked, kDrawFilled, kDrawFilledAndStroked };

class CDrawContext {
public:
    // Draws through cr (not owned); coordinates are the frame's pixels.
    explicit CDrawContext(cairo_t* cr);
    ~CDrawContext();
    CDrawContext(const CDrawContext&) = delete;
    CDrawContext& operator=(const CDrawContext&) = delete;

    cairo_t* cairo() const { return cr_; }

    // Copies the part of bitmap that starts at sourceOffset into destination, scaled 1:1,
    // with a global alpha of 0..255.
    void drawBitmap(const CBitmap& bitmap, const CRect& destination, const CPoint& sourceOffset = {}, int alpha = 255);
    // Stretches the whole bitmap over destination (splash pictures, scaled skins).
    void drawBitmapScaled(const CBitmap& bitmap, const CRect& destination, int alpha = 255);

    void setFrameColor(const CColor& color) { frameColor_ = color; }
    void setFillColor(const CColor& color) { fillColor_ = color; }
    void setFontColor(const CColor& color) { fontColor_ = color; }
    void setLineWidth(double width) { lineWidth_ = width; }
    // Sans-serif font height in pixels (the small font is 10).
    void setFont(double heightPixels, bool bold = false);

    void drawLine(const CPoint& from, const CPoint& to);
    void drawRect(const CRect& rect, CDrawStyle style = CDrawStyle::kDrawStroked);
    void drawEllipse(const CRect& rect, CDrawStyle style = CDrawStyle::kDrawStroked);
    // An arc inside rect from startDegrees to endDegrees, clockwise, 0 = 3 o'clock.
    void drawArc(const CRect& rect, double startDegrees, double endDegrees);
    // One line of text, vertically centred in rect, cut at its edges.
    void drawString(const std::string& text, const CRect& rect, CHoriTxtAlign align = CHoriTxtAlign::kLeftText);
    double stringWidth(const std::string& text);

    // Limits all drawing to rect (intersected with the clip in force) until the matching
    // popClip.
    void pushClip(const CRect& rect);
    void popClip();

private:
    void applyColor(const CColor& color);
    void applyFont();
    // Fills and/or strokes a rectangle or the ellipse inside it; strokes lie inside rect.
    void strokeOrFill(CDrawStyle style, const CRect& rect, bool ellipse);

    cairo_t* cr_;
    CColor frameColor_ = kBlackCColor;
    CColor fillColor_ = kWhiteCColor;
    CColor fontColor_ = kBlackCColor;
    double lineWidth_ = 1.0;
    double fontHeight_ = 10.0;
    bool fontBold_ = false;
    int clipDepth_ = 0;
};

// The font of the panel's small texts (labels, displays), in pixels.
constexpr double kSmallFontHeight = 10.0;

}  // namespace vexo

// A cairo image surface with its drawing context, addressed in skin units: one unit is one
// pixel of the normal skin and `scale` pixels of an enlarged one, so every picture is drawn
// as vectors at its final resolution.
#pragma once

#include <cairo.h>

#include <string>
#include <vector>

namespace skingen {

struct Rgb {
    double r = 0.0;
    double g = 0.0;
    double b = 0.0;
};

// Rgb scaled towards black (factor < 1) or white (factor > 1), keeping the hue.
Rgb shade(const Rgb& colour, double factor);
void setSource(cairo_t* cr, const Rgb& colour, double alpha = 1.0);
void addStop(cairo_pattern_t* pattern, double offset, const Rgb& colour, double alpha = 1.0);

struct Rect {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    int right() const { return x + w; }
    int bottom() const { return y + h; }
    double centreX() const { return x + w * 0.5; }
    double centreY() const { return y + h * 0.5; }
};

class Canvas {
public:
    // A transparent surface of widthUnits x heightUnits skin units.
    Canvas(int widthUnits, int heightUnits, double scale);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    // The context draws in skin units (scaled to pixels).
    cairo_t* cr() const { return cr_; }
    cairo_surface_t* surface() const { return surface_; }
    double scale() const { return scale_; }
    int pixelWidth() const;
    int pixelHeight() const;

    bool writePng(const std::string& path) const;
    std::vector<unsigned char> pngBytes() const;

private:
    cairo_surface_t* surface_ = nullptr;
    cairo_t* cr_ = nullptr;
    double scale_ = 1.0;
};

void roundedRectangle(cairo_t* cr, double x, double y, double w, double h, double radius);

enum class Align { kLeft, kCentre, kRight };

struct TextStyle {
    double sizeUnits = 8.0;
    bool bold = true;
    Rgb colour;
    double alpha = 1.0;
    // Extra space between characters, in skin units (wide-spaced lettering of panel labels).
    double tracking = 0.0;
    bool italic = false;
};

double textWidth(cairo_t* cr, const std::string& text, const TextStyle& style);
// Draws text with its baseline at y, aligned on x.
void drawText(cairo_t* cr, const std::string& text, double x, double baselineY, const TextStyle& style,
              Align align = Align::kCentre);
// Panel print: text with a faint highlight (light panel) or shadow (dark panel) one unit below,
// so it reads as printed on metal rather than floating above it.
void drawPrintedText(cairo_t* cr, const std::string& text, double x, double baselineY, const TextStyle& style,
                     Align align, bool onDarkPanel);

}  // namespace skingen

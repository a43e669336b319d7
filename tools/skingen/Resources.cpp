#include "Resources.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <vector>

#include "Materials.h"
#include "Widgets.h"

namespace skingen {

namespace {

constexpr double kPi = 3.14159265358979323846;

// The editor letters the splash itself: a caption at (17, 110) and the version at (17, 160).
// That band stays plain dark glass so light text reads on it.
constexpr double kTextBandTop = 96.0;
constexpr double kTextBandBottom = 174.0;
constexpr double kScopeTop = 180.0;
constexpr double kScopeBottom = 222.0;

// One period of a resonant sawtooth, the signature sound: the ramp with a decaying ring after
// each reset. phase in [0, 1), result about -1..1.
double resonantSaw(double phase) {
    const double ramp = 1.0 - 2.0 * phase;
    const double ring = std::exp(-phase * 4.5) * std::sin(2.0 * kPi * phase * 5.5);
    return 0.62 * ramp + 0.38 * ring;
}

void drawScope(cairo_t* cr) {
    const double left = 10.0;
    const double right = kSplashWidth - 10.0;
    // Graticule.
    cairo_set_line_width(cr, 0.5);
    cairo_set_source_rgba(cr, 0.9, 0.3, 0.2, 0.12);
    for (double x = left; x <= right + 0.1; x += (right - left) / 10.0) {
        cairo_move_to(cr, std::round(x) + 0.25, kScopeTop);
        cairo_line_to(cr, std::round(x) + 0.25, kScopeBottom);
    }
    for (int i = 0; i <= 4; ++i) {
        const double y = kScopeTop + (kScopeBottom - kScopeTop) * i / 4.0;
        cairo_move_to(cr, left, std::round(y) + 0.25);
        cairo_line_to(cr, right, std::round(y) + 0.25);
    }
    cairo_stroke(cr);

    const double periods = 3.5;
    const double mid = (kScopeTop + kScopeBottom) * 0.5;
    const double amplitude = (kScopeBottom - kScopeTop) * 0.42;
    for (double x = left; x <= right; x += 0.5) {
        const double t = (x - left) / (right - left) * periods;
        const double y = mid - amplitude * resonantSaw(t - std::floor(t));
        if (x == left) {
            cairo_move_to(cr, x, y);
        } else {
            cairo_line_to(cr, x, y);
        }
    }
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    const std::array<std::pair<double, double>, 3> glow = {{{6.0, 0.08}, {3.0, 0.2}, {1.2, 0.95}}};
    for (const auto& [width, alpha] : glow) {
        cairo_set_line_width(cr, width);
        cairo_set_source_rgba(cr, 1.0, width < 2.0 ? 0.45 : 0.18, width < 2.0 ? 0.35 : 0.08, alpha);
        cairo_stroke_preserve(cr);
    }
    cairo_new_path(cr);
}

void drawSplashPicture(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    fillBrushedMetal(canvas, {0, 0, kSplashWidth, kSplashHeight}, {{0.97, 1.0, 1.06}, 0.15, 0.010, 0.010, 0.006, 0.03},
                     0x5EED0100u);
    // Darker glass towards the edges.
    cairo_pattern_t* vignette = cairo_pattern_create_radial(
        kSplashWidth * 0.4, kSplashHeight * 0.35, 40.0, kSplashWidth * 0.5, kSplashHeight * 0.5, kSplashWidth * 0.75);
    cairo_pattern_add_color_stop_rgba(vignette, 0.0, 0, 0, 0, 0.0);
    cairo_pattern_add_color_stop_rgba(vignette, 1.0, 0, 0, 0, 0.55);
    cairo_set_source(cr, vignette);
    cairo_paint(cr);
    cairo_pattern_destroy(vignette);

    TextStyle logo;
    logo.sizeUnits = 44.0;
    logo.colour = {0.95, 0.95, 0.94};
    logo.tracking = 5.0;
    drawPrintedText(cr, "VEXO", 16.0, 56.0, logo, Align::kLeft, true);
    TextStyle model;
    model.sizeUnits = 22.0;
    model.bold = false;
    model.italic = true;
    model.colour = {0.95, 0.22, 0.12};
    drawPrintedText(cr, "Fernwave", 18.0, 83.0, model, Align::kLeft, true);

    // A knob and two LEDs of the panel, as a signature on the right.
    cairo_save(cr);
    cairo_translate(cr, 236.0, 8.0);
    drawKnob(cr, 86.0, 0.72);
    cairo_restore(cr);
    cairo_save(cr);
    cairo_translate(cr, 208.0, 18.0);
    drawLed(cr, 18.0, true);
    cairo_translate(cr, 0.0, 22.0);
    drawLed(cr, 18.0, false);
    cairo_restore(cr);

    // Hairlines framing the text band.
    cairo_set_line_width(cr, 0.6);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.18);
    cairo_move_to(cr, 17.0, kTextBandTop);
    cairo_line_to(cr, kSplashWidth - 17.0, kTextBandTop);
    cairo_move_to(cr, 17.0, kTextBandBottom);
    cairo_line_to(cr, kSplashWidth - 17.0, kTextBandBottom);
    cairo_stroke(cr);

    drawScope(cr);

    cairo_rectangle(cr, 0.5, 0.5, kSplashWidth - 1.0, kSplashHeight - 1.0);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.25);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
}

// A small box-shaped creature with a red LED eye and a knob on its back, walking left.
constexpr std::array<const char*, 8> kSpriteBody = {
    "......kkk.......",  //
    ".....kwwwk......",  //
    "..kkkkkkkkkkkk..",  //
    ".kgggggggggggggk",  //
    ".kgRggWWgWWgWWgk",  //
    ".kgggggggggggggk",  //
    ".kdddddddddddddk",  //
    "..kkkkkkkkkkkkk.",  //
};
constexpr std::array<std::array<const char*, 3>, kSpriteFrames> kSpriteLegs = {{
    {"...k..k...k..k..", "...k..k...k..k..", "..kk.kk..kk.kk.."},
    {"...k..k...k..k..", "..k..k...k..k...", ".kk.kk..kk.kk..."},
    {"...k..k...k..k..", "....k..k...k..k.", "...kk.kk..kk.kk."},
}};

Rgb spriteColour(char code) {
    switch (code) {
        case 'k':
            return {0.08, 0.08, 0.09};
        case 'w':
            return {0.96, 0.96, 0.95};
        case 'g':
            return {0.62, 0.63, 0.65};
        case 'd':
            return {0.40, 0.41, 0.43};
        case 'R':
            return {1.0, 0.16, 0.08};
        case 'W':
            return {0.93, 0.92, 0.88};
        default:
            break;
    }
    throw std::logic_error("unknown sprite colour code");
}

void paintSpriteRow(cairo_t* cr, const char* row, int y) {
    const std::string pixels(row);
    if (pixels.size() != static_cast<std::size_t>(kSpriteWidth)) {
        throw std::logic_error("sprite rows are 16 pixels wide");
    }
    for (int x = 0; x < kSpriteWidth; ++x) {
        const char code = pixels[static_cast<std::size_t>(x)];
        if (code == '.') {
            continue;
        }
        setSource(cr, spriteColour(code));
        cairo_rectangle(cr, x, y, 1, 1);
        cairo_fill(cr);
    }
}

bool writeArray(std::ostream& out, const char* name, const std::vector<unsigned char>& bytes) {
    out << "const unsigned char " << name << "[] = {";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i % 16 == 0) {
            out << "\n   ";
        }
        char hex[8];
        std::snprintf(hex, sizeof hex, " 0x%02x,", bytes[i]);
        out << hex;
    }
    out << "\n};\n";
    return !bytes.empty();
}

}  // namespace

std::unique_ptr<Canvas> renderSplash() {
    auto canvas = std::make_unique<Canvas>(kSplashWidth, kSplashHeight, 1.0);
    drawSplashPicture(*canvas);
    return canvas;
}

std::unique_ptr<Canvas> renderSprite() {
    auto canvas = std::make_unique<Canvas>(kSpriteWidth, kSpriteFrameHeight * kSpriteFrames, 1.0);
    cairo_t* cr = canvas->cr();
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    for (int frame = 0; frame < kSpriteFrames; ++frame) {
        const int top = frame * kSpriteFrameHeight;
        for (std::size_t row = 0; row < kSpriteBody.size(); ++row) {
            paintSpriteRow(cr, kSpriteBody[row], top + static_cast<int>(row));
        }
        for (std::size_t row = 0; row < 3; ++row) {
            paintSpriteRow(cr, kSpriteLegs[static_cast<std::size_t>(frame)][row],
                           top + static_cast<int>(kSpriteBody.size() + row));
        }
    }
    return canvas;
}

bool writeResourceSource(const std::string& cppPath) {
    namespace fs = std::filesystem;
    const fs::path path(cppPath);
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    const auto splash = renderSplash();
    const auto sprite = renderSprite();
    if (!splash->writePng((path.parent_path() / "splash.png").string()) ||
        !sprite->writePng((path.parent_path() / "sprite.png").string())) {
        std::cerr << "vexo_skingen: cannot write the pictures beside " << path << "\n";
        return false;
    }

    // Written to a temporary name first so an interrupted build never leaves half a file.
    const fs::path partial = path.string() + ".partial";
    std::ofstream out(partial);
    out << "// Generated by vexo_skingen at build time: the editor's splash picture and hidden sprite\n"
        << "// as PNG bytes. Edit tools/skingen instead.\n"
        << "#include \"editor/EditorResources.h\"\n\n"
        << "namespace vexo {\n\nnamespace {\n\n";
    writeArray(out, "kSplashPng", splash->pngBytes());
    out << "\n";
    writeArray(out, "kSpritePng", sprite->pngBytes());
    out << "\n}  // namespace\n\n"
        << "EmbeddedImage splashImagePng() { return {kSplashPng, sizeof kSplashPng}; }\n\n"
        << "EmbeddedImage spriteImagePng() { return {kSpritePng, sizeof kSpritePng}; }\n\n"
        << "}  // namespace vexo\n";
    out.close();
    if (!out) {
        std::cerr << "vexo_skingen: cannot write " << partial << "\n";
        return false;
    }
    fs::rename(partial, path, error);
    if (error) {
        std::cerr << "vexo_skingen: cannot write " << path << ": " << error.message() << "\n";
        return false;
    }
    return true;
}

}  // namespace skingen

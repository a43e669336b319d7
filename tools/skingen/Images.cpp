#include "Images.h"

#include <algorithm>
#include <map>
#include <stdexcept>

#include "Panel.h"
#include "Widgets.h"

namespace skingen {

namespace {

struct RoleDrawing {
    ImageRole role;
    const char* file;
    int frames;
    std::function<void(cairo_t*, double w, double h, int frame)> paint;
};

// Kick buttons hold released and pressed; illuminated keys add the lit pair below.
void paintKey(cairo_t* cr, double w, double h, int frame, KeyLook look) {
    drawKey(cr, w, h, look, frame % 2 == 1, frame >= 2);
}

std::vector<RoleDrawing> roleDrawings() {
    const KeyLook natural{KeyColour::kNatural, false, KeyGlyph::kNone};
    const KeyLook naturalLit{KeyColour::kNatural, true, KeyGlyph::kNone};
    const KeyLook sharp{KeyColour::kSharp, false, KeyGlyph::kNone};
    const KeyLook sharpLit{KeyColour::kSharp, true, KeyGlyph::kNone};
    const KeyLook function{KeyColour::kFunction, false, KeyGlyph::kNone};
    const KeyLook functionLit{KeyColour::kFunction, true, KeyGlyph::kNone};
    const KeyLook run{KeyColour::kRun, false, KeyGlyph::kNone};
    const KeyLook runLit{KeyColour::kRun, true, KeyGlyph::kNone};
    const KeyLook plain{KeyColour::kPlain, false, KeyGlyph::kNone};
    const KeyLook down{KeyColour::kPlain, false, KeyGlyph::kArrowDown};
    const KeyLook up{KeyColour::kPlain, false, KeyGlyph::kArrowUp};
    auto key = [](KeyLook look) {
        return [look](cairo_t* cr, double w, double h, int frame) { paintKey(cr, w, h, frame, look); };
    };
    return {
        {ImageRole::kBackground, "background.png", 1, nullptr},
        {ImageRole::kKnob, "knob.png", kKnobFrames,
         [](cairo_t* cr, double w, double, int frame) { drawKnob(cr, w, frame / double(kKnobFrames - 1)); }},
        {ImageRole::kSmallKnob, "knob-small.png", kKnobFrames,
         [](cairo_t* cr, double w, double, int frame) { drawKnob(cr, w, frame / double(kKnobFrames - 1)); }},
        {ImageRole::kLed, "led.png", 2, [](cairo_t* cr, double w, double, int frame) { drawLed(cr, w, frame == 1); }},
        {ImageRole::kNaturalKey, "key-natural.png", 2, key(natural)},
        {ImageRole::kNaturalKeyLit, "key-natural-lit.png", 4, key(naturalLit)},
        {ImageRole::kSharpKey, "key-sharp.png", 2, key(sharp)},
        {ImageRole::kSharpKeyLit, "key-sharp-lit.png", 4, key(sharpLit)},
        {ImageRole::kFunctionKey, "key-function.png", 2, key(function)},
        {ImageRole::kFunctionKeyLit, "key-function-lit.png", 4, key(functionLit)},
        {ImageRole::kRunKey, "key-run.png", 2, key(run)},
        {ImageRole::kRunKeyLit, "key-run-lit.png", 4, key(runLit)},
        {ImageRole::kPlainKey, "key-plain.png", 2, key(plain)},
        {ImageRole::kKeyCover, "key-cover.png", 2,
         [](cairo_t* cr, double w, double h, int frame) { drawKeyCover(cr, w, h, frame == 1); }},
        {ImageRole::kLengthDownKeyLit, "key-length-down-lit.png", 4, key(down)},
        {ImageRole::kLengthUpKeyLit, "key-length-up-lit.png", 4, key(up)},
        {ImageRole::kRocker, "rocker.png", 3,
         [](cairo_t* cr, double w, double h, int frame) { drawRocker(cr, w, h, static_cast<RockerState>(frame)); }},
        {ImageRole::kToggle, "toggle.png", 2,
         [](cairo_t* cr, double w, double h, int frame) { drawToggle(cr, w, h, frame == 1); }},
        {ImageRole::kDigits, "digits.png", 10,
         [](cairo_t* cr, double w, double h, int frame) { drawDigit(cr, w, h, frame); }},
        {ImageRole::kTextWindow, "pattern-file-window.png", 1,
         [](cairo_t* cr, double w, double h, int) { drawTextWindow(cr, w, h); }},
        {ImageRole::kLibraryButton, "button-library.png", 2,
         [](cairo_t* cr, double w, double h, int frame) { drawMenuButton(cr, w, h, "", frame == 1); }},
        {ImageRole::kPatternButton, "button-pattern.png", 2,
         [](cairo_t* cr, double w, double h, int frame) { drawMenuButton(cr, w, h, "PATTERN", frame == 1); }},
        {ImageRole::kOptionsButton, "button-options.png", 2,
         [](cairo_t* cr, double w, double h, int frame) { drawMenuButton(cr, w, h, "OPTIONS", frame == 1); }},
        // The menus use only their rectangle; a clear strip keeps them present in the skin.
        {ImageRole::kMenuDropdown, "menu-strip.png", 1, [](cairo_t*, double, double, int) {}},
        {ImageRole::kLearnBox, "learn-box.png", 1,
         [](cairo_t* cr, double w, double h, int) { drawLearnBox(cr, w, h); }},
        {ImageRole::kLogoShimmer, "logo-shimmer.png", kLogoShimmerFrames, nullptr},
    };
}

}  // namespace

std::vector<SkinImage> skinImages(const SkinLayout& layout) {
    // Elements sharing an image have its frame height; a multi-digit display window is as wide
    // as its digits together, so an image is as wide as its narrowest element.
    std::map<ImageRole, Rect> sizes;
    for (const Element& element : layout.elements) {
        const auto [it, inserted] = sizes.emplace(element.image, element.rect);
        if (!inserted && it->second.h != element.rect.h) {
            throw std::logic_error("elements sharing an image differ in height: " + element.name);
        }
        it->second.w = std::min(it->second.w, element.rect.w);
    }
    std::vector<SkinImage> images;
    for (const RoleDrawing& drawing : roleDrawings()) {
        const auto size = sizes.find(drawing.role);
        if (size == sizes.end()) {
            continue;
        }
        const double w = size->second.w;
        const double h = size->second.h;
        SkinImage image{drawing.role,   drawing.file,   size->second.w,
                        size->second.h, drawing.frames, drawing.role == ImageRole::kLearnBox,
                        nullptr};
        if (drawing.role == ImageRole::kLogoShimmer) {
            const Rect logo = layout.logo;
            image.paint = [logo](cairo_t* cr, int frame) {
                cairo_translate(cr, -logo.x, -logo.y);
                drawLogoLettering(cr, logo, frame / double(kLogoShimmerFrames - 1));
            };
        } else if (drawing.paint) {
            image.paint = [paint = drawing.paint, w, h](cairo_t* cr, int frame) { paint(cr, w, h, frame); };
        }
        images.push_back(std::move(image));
    }
    return images;
}

const SkinImage& imageFor(const std::vector<SkinImage>& images, ImageRole role) {
    for (const SkinImage& image : images) {
        if (image.role == role) {
            return image;
        }
    }
    throw std::out_of_range("no image for role");
}

std::unique_ptr<Canvas> renderImage(const SkinImage& image, const SkinLayout& layout, double scale) {
    const double pixelScale = image.fixedPixels ? 1.0 : scale;
    auto canvas = std::make_unique<Canvas>(image.width, image.height * image.frames, pixelScale);
    if (image.role == ImageRole::kBackground) {
        drawPanel(*canvas, layout);
        return canvas;
    }
    cairo_t* cr = canvas->cr();
    for (int frame = 0; frame < image.frames; ++frame) {
        cairo_save(cr);
        cairo_translate(cr, 0, static_cast<double>(frame) * image.height);
        cairo_rectangle(cr, 0, 0, image.width, image.height);
        cairo_clip(cr);
        image.paint(cr, frame);
        cairo_restore(cr);
    }
    return canvas;
}

}  // namespace skingen

#include "Preview.h"

#include <filesystem>
#include <iostream>
#include <map>
#include <vector>

#include "Images.h"
#include "Layout.h"
#include "Resources.h"
#include "SkinWriter.h"

namespace skingen {

namespace {

enum class PreviewState { kRest, kLit };

bool isDisplayWindow(const std::string& name) {
    return name == "PATTERNDIGITS" || name == "TEMPODIGITS" || name == "STEPSDIGITS" || name == "STEPDISPLAY";
}

// What the digit elements show in the preview: pattern 1, tempo 120, step 1, length 16.
int previewDigit(const std::string& name) {
    static const std::map<std::string, int> digits = {
        {"PATTERNDIGITS100", 0}, {"PATTERNDIGITS10", 0}, {"PATTERNDIGITS1", 1}, {"TEMPODIGITS100", 1},
        {"TEMPODIGITS10", 2},    {"TEMPODIGITS1", 0},    {"STEPDIGITS10", 0},   {"STEPDIGITS1", 1},
        {"STEPSDIGITS10", 1},    {"STEPSDIGITS1", 6}};
    const auto it = digits.find(name);
    return it == digits.end() ? 0 : it->second;
}

int previewFrame(const Element& element, const SkinImage& image, PreviewState state, int index) {
    if (image.role == ImageRole::kDigits) {
        return previewDigit(element.name);
    }
    if (state == PreviewState::kRest) {
        return 0;
    }
    switch (image.role) {
        case ImageRole::kKnob:
        case ImageRole::kSmallKnob:
            return (index * 37 + 20) % image.frames;
        case ImageRole::kLed:
        case ImageRole::kToggle:
            return 1;
        case ImageRole::kRocker:
            return 0;
        default:
            break;
    }
    return image.frames == 4 ? 2 : 0;
}

bool writeComposite(const std::string& path, double scale, PreviewState state) {
    const SkinLayout& layout = defaultLayout();
    const std::vector<SkinImage> images = skinImages(layout);
    std::map<ImageRole, std::unique_ptr<Canvas>> rendered;
    for (const SkinImage& image : images) {
        rendered[image.role] = renderImage(image, layout, scale);
    }
    Canvas& panel = *rendered[ImageRole::kBackground];
    cairo_t* cr = cairo_create(panel.surface());
    int index = 0;
    for (const Element& element : layout.elements) {
        ++index;
        if (element.image == ImageRole::kBackground || element.image == ImageRole::kLearnBox ||
            element.image == ImageRole::kLogoShimmer || isDisplayWindow(element.name)) {
            continue;
        }
        const SkinImage& image = imageFor(images, element.image);
        const Rect r = scaledRect(element, scale);
        const int frame = previewFrame(element, image, state, index);
        cairo_save(cr);
        cairo_rectangle(cr, r.x, r.y, r.w, r.h);
        cairo_clip(cr);
        cairo_set_source_surface(cr, rendered[element.image]->surface(), r.x, r.y - static_cast<double>(frame) * r.h);
        cairo_paint(cr);
        cairo_restore(cr);
    }
    cairo_destroy(cr);
    return panel.writePng(path);
}

// A part of a picture enlarged without smoothing, to judge single pixels.
bool writeZoomedCrop(const std::string& sourcePath, const Rect& area, int zoom, const std::string& path) {
    cairo_surface_t* source = cairo_image_surface_create_from_png(sourcePath.c_str());
    Canvas canvas(area.w * zoom, area.h * zoom, 1.0);
    cairo_t* cr = canvas.cr();
    cairo_scale(cr, zoom, zoom);
    cairo_set_source_surface(cr, source, -area.x, -area.y);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_paint(cr);
    cairo_surface_destroy(source);
    return canvas.writePng(path);
}

bool writeEnlargedSprite(const std::string& path) {
    const auto sprite = renderSprite();
    const int zoom = 8;
    Canvas canvas(kSpriteWidth * zoom, kSpriteFrameHeight * kSpriteFrames * zoom, 1.0);
    cairo_t* cr = canvas.cr();
    cairo_set_source_rgb(cr, 0.185, 0.185, 0.2);
    cairo_paint(cr);
    cairo_scale(cr, zoom, zoom);
    cairo_set_source_surface(cr, sprite->surface(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_paint(cr);
    return canvas.writePng(path);
}

}  // namespace

bool writePreviews(const std::string& directory) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::create_directories(directory, error);
    const fs::path dir(directory);
    bool ok = true;
    for (double scale : {1.0, 2.0}) {
        const std::string size = scale == 1.0 ? "normal" : "large";
        ok = ok && writeComposite((dir / ("panel-" + size + "-rest.png")).string(), scale, PreviewState::kRest);
        ok = ok && writeComposite((dir / ("panel-" + size + "-lit.png")).string(), scale, PreviewState::kLit);
    }
    const std::string normalLit = (dir / "panel-normal-lit.png").string();
    const std::vector<std::pair<const char*, Rect>> crops = {{"knobs", {0, 40, 320, 140}},
                                                             {"keys", {180, 240, 320, 170}},
                                                             {"displays", {20, 180, 320, 80}},
                                                             {"header", {540, 0, 420, 60}}};
    for (const auto& [name, area] : crops) {
        ok = ok && writeZoomedCrop(normalLit, area, 3, (dir / ("zoom-" + std::string(name) + ".png")).string());
    }
    ok = ok && renderSplash()->writePng((dir / "splash.png").string());
    ok = ok && writeEnlargedSprite((dir / "sprite-8x.png").string());
    if (!ok) {
        std::cerr << "vexo_skingen: cannot write the previews into " << directory << "\n";
    }
    return ok;
}

}  // namespace skingen

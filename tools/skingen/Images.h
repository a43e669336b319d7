// The picture files of a skin: one per image role, each a vertical strip of frames.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Canvas.h"
#include "Layout.h"

namespace skingen {

struct SkinImage {
    ImageRole role;
    std::string file;  // name inside the skin's image folder
    int width;         // one frame, in skin units
    int height;
    int frames;
    // Drawn at the normal size in every skin: the learn box, which the editor always shows
    // at 30 x 14 pixels.
    bool fixedPixels;
    // Draws frame number `frame` into (0, 0, width, height).
    std::function<void(cairo_t*, int frame)> paint;
};

// Every image the layout's elements name, sized from those elements.
std::vector<SkinImage> skinImages(const SkinLayout& layout);
const SkinImage& imageFor(const std::vector<SkinImage>& images, ImageRole role);

// All frames of image stacked vertically, at scale (the background is drawn by the panel).
std::unique_ptr<Canvas> renderImage(const SkinImage& image, const SkinLayout& layout, double scale);

inline constexpr int kKnobFrames = 128;
inline constexpr int kLogoShimmerFrames = 16;

}  // namespace skingen

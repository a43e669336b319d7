// An image held in memory as premultiplied ARGB32 pixels (a cairo image surface).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "gui/Geometry.h"

typedef struct _cairo_surface cairo_surface_t;

namespace vexo {

class CBitmap;
// Bitmaps are shared by the skin and every control that shows them.
using SharedBitmap = std::shared_ptr<CBitmap>;

class CBitmap {
public:
    // Takes ownership of a cairo image surface (one reference).
    explicit CBitmap(cairo_surface_t* surface);
    // A blank (fully transparent) image of the given size.
    CBitmap(int width, int height);
    virtual ~CBitmap();
    CBitmap(const CBitmap&) = delete;
    CBitmap& operator=(const CBitmap&) = delete;

    // Decodes a PNG file; null when the file is missing, unreadable or no valid PNG.
    static SharedBitmap loadPng(const std::string& path);
    // Decodes PNG bytes held in memory (compiled-in images); null when they are no valid PNG.
    static SharedBitmap fromPngData(const std::uint8_t* data, std::size_t size);

    int getWidth() const { return width_; }
    int getHeight() const { return height_; }
    // Writes the image as PNG; false when the file cannot be written.
    bool savePng(const std::string& path) const;
    // One pixel, unpremultiplied (tests and screenshots); transparent outside the image.
    CColor pixel(int x, int y) const;

    cairo_surface_t* surface() const { return surface_; }

private:
    cairo_surface_t* surface_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace vexo

#include "gui/Bitmap.h"

#include <cairo.h>

#include <cstring>

namespace vexo {
namespace {

// cairo's PNG loader yields RGB24 for images without alpha; every bitmap of the toolkit is
// ARGB32 so that pixel() and blits treat all images alike.
cairo_surface_t* toArgb32(cairo_surface_t* surface) {
    if (cairo_image_surface_get_format(surface) == CAIRO_FORMAT_ARGB32) {
        return surface;
    }
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    cairo_surface_t* converted = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(converted);
    cairo_set_source_surface(cr, surface, 0, 0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    return converted;
}

// Wraps a freshly decoded surface, or null (and frees it) when decoding failed.
SharedBitmap adoptDecoded(cairo_surface_t* surface) {
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    return std::make_shared<CBitmap>(toArgb32(surface));
}

struct MemoryReader {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t position;
};

cairo_status_t readFromMemory(void* closure, unsigned char* out, unsigned int length) {
    auto* reader = static_cast<MemoryReader*>(closure);
    if (reader->size - reader->position < length) {
        return CAIRO_STATUS_READ_ERROR;
    }
    std::memcpy(out, reader->data + reader->position, length);
    reader->position += length;
    return CAIRO_STATUS_SUCCESS;
}

}  // namespace

CBitmap::CBitmap(cairo_surface_t* surface) : surface_(surface) {
    if (surface_ != nullptr && cairo_surface_status(surface_) == CAIRO_STATUS_SUCCESS) {
        width_ = cairo_image_surface_get_width(surface_);
        height_ = cairo_image_surface_get_height(surface_);
    }
}

CBitmap::CBitmap(int width, int height)
    : CBitmap(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, std::max(width, 0), std::max(height, 0))) {}

CBitmap::~CBitmap() {
    cairo_surface_destroy(surface_);
}

SharedBitmap CBitmap::loadPng(const std::string& path) {
    return adoptDecoded(cairo_image_surface_create_from_png(path.c_str()));
}

SharedBitmap CBitmap::fromPngData(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr || size == 0) {
        return nullptr;
    }
    MemoryReader reader{data, size, 0};
    return adoptDecoded(cairo_image_surface_create_from_png_stream(&readFromMemory, &reader));
}

bool CBitmap::savePng(const std::string& path) const {
    return width_ > 0 && height_ > 0 && cairo_surface_write_to_png(surface_, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

CColor CBitmap::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return kTransparentCColor;
    }
    cairo_surface_flush(surface_);
    const unsigned char* row = cairo_image_surface_get_data(surface_) + y * cairo_image_surface_get_stride(surface_);
    std::uint32_t argb;
    std::memcpy(&argb, row + x * 4, sizeof argb);
    const unsigned alpha = argb >> 24;
    if (alpha == 0) {
        return kTransparentCColor;
    }
    auto unpremultiply = [alpha](unsigned channel) {
        return static_cast<std::uint8_t>(std::min(255u, (channel * 255 + alpha / 2) / alpha));
    };
    return {unpremultiply((argb >> 16) & 0xff), unpremultiply((argb >> 8) & 0xff), unpremultiply(argb & 0xff),
            static_cast<std::uint8_t>(alpha)};
}

}  // namespace vexo

#include "editor/controls/SkinBitmap.h"

#include <cairo.h>

namespace vexo {

std::shared_ptr<SkinBitmap> SkinBitmap::load(const std::string& path) {
    const SharedBitmap decoded = CBitmap::loadPng(path);
    if (!decoded) {
        return nullptr;
    }
    // The pixels are shared, not copied: the new image takes its own surface reference.
    return std::make_shared<SkinBitmap>(cairo_surface_reference(decoded->surface()));
}

}  // namespace vexo

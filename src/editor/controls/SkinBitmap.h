// A skin image read from a PNG file.
#pragma once

#include <memory>
#include <string>

#include "gui/Bitmap.h"

namespace vexo {

class SkinBitmap : public CBitmap {
public:
    using CBitmap::CBitmap;

    // Null when the file is missing, unreadable or no valid PNG.
    static std::shared_ptr<SkinBitmap> load(const std::string& path);
};

}  // namespace vexo

// Choosing the skin the editor is built from, with the fall-back to the skin installed
// beside the plug-in.
#pragma once

#include <string>

#include "editor/skin/SkinDefinition.h"

namespace vexo {

// The skin installed beside the plug-in, used when the chosen one cannot be read.
constexpr const char* kFallbackSkinName = "DuzazezorAduviz2";

// User-interface thread. Parses directory + name + ".skn" and drops the images of earlier
// selections (loadImages brings in the new skin's when they are needed); width and height become
// the right and bottom edges of the BACKGROUND element. When that file cannot be read the
// fall-back skin is taken the same way and the result is false; when that cannot be read
// either, the definition stays empty and the size is 0 x 0.
bool selectSkin(SkinDefinition& skin, const std::string& directory, const std::string& name, int& width, int& height);

}  // namespace vexo

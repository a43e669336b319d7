// Writes one skin into the plug-in folder: its ".skn" file and its picture folder.
#pragma once

#include <string>

#include "Layout.h"

namespace skingen {

struct SkinVariant {
    std::string name;         // the skin's name and file name without ".skn"
    std::string imageFolder;  // relative to the plug-in folder, "/"-separated
    double scale;             // pixels per skin unit
};

// False (with a message on stderr) when a file cannot be written.
bool writeSkin(const std::string& pluginDir, const SkinVariant& variant, const SkinLayout& layout);

// The rectangle an element has in a skin of that scale (the learn box keeps its pixel size).
Rect scaledRect(const Element& element, double scale);

}  // namespace skingen

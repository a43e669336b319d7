#include "SkinWriter.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "Images.h"

namespace skingen {

namespace {

int scaled(int units, double scale) {
    return static_cast<int>(std::lround(units * scale));
}

void writeHeader(std::ostream& out, const SkinVariant& variant) {
    out << "; " << variant.name << ": the default VEXO skin";
    if (variant.scale != 1.0) {
        out << " at " << variant.scale << " times the normal size, for high-resolution screens";
    }
    out << ".\n"
        << "; Drawn by vexo_skingen at build time; edits are lost on the next build.\n"
        << "; Each line: ELEMENT \"image file\", x, y, width, height (pixels). Pictures of several\n"
        << "; states or frames stack them vertically, one element height each: knobs 0 to max,\n"
        << "; LEDs off/on, kick buttons released/pressed, switches off/on, rockers upper/rest/lower,\n"
        << "; illuminated keys unlit, unlit pressed, lit, lit pressed; digit strips 0 to 9.\n"
        << "NAME \"" << variant.name << "\"\n"
        << "VERSION 1\n"
        << "TRANSPARENTCOLOR 255, 0, 255\n";
}

}  // namespace

Rect scaledRect(const Element& element, double scale) {
    const Rect& r = element.rect;
    if (element.image == ImageRole::kLearnBox) {
        return {scaled(r.x, scale), scaled(r.y, scale), r.w, r.h};
    }
    return {scaled(r.x, scale), scaled(r.y, scale), scaled(r.w, scale), scaled(r.h, scale)};
}

bool writeSkin(const std::string& pluginDir, const SkinVariant& variant, const SkinLayout& layout) {
    namespace fs = std::filesystem;
    const fs::path imageDir = fs::path(pluginDir) / variant.imageFolder;
    std::error_code error;
    fs::create_directories(imageDir, error);
    if (error) {
        std::cerr << "vexo_skingen: cannot create " << imageDir << ": " << error.message() << "\n";
        return false;
    }
    const std::vector<SkinImage> images = skinImages(layout);
    for (const SkinImage& image : images) {
        const fs::path path = imageDir / image.file;
        if (!renderImage(image, layout, variant.scale)->writePng(path.string())) {
            std::cerr << "vexo_skingen: cannot write " << path << "\n";
            return false;
        }
    }

    const fs::path sknPath = fs::path(pluginDir) / (variant.name + ".skn");
    std::ofstream skn(sknPath);
    writeHeader(skn, variant);
    for (const Element& element : layout.elements) {
        const Rect r = scaledRect(element, variant.scale);
        skn << element.name << " \"" << variant.imageFolder << "/" << imageFor(images, element.image).file << "\", "
            << r.x << ", " << r.y << ", " << r.w << ", " << r.h << "\n";
    }
    skn.close();
    if (!skn) {
        std::cerr << "vexo_skingen: cannot write " << sknPath << "\n";
        return false;
    }
    return true;
}

}  // namespace skingen

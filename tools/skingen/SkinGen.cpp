// vexo_skingen: draws the default skins and the editor's compiled-in pictures at build time.
//
//   vexo_skingen skins PLUGIN_DIR       the skin files and their pictures, normal and large
//   vexo_skingen resources OUT.cpp      the source file embedding the splash and the sprite
//   vexo_skingen --preview DIR          assembled panel pictures for inspection
#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <cstring>
#include <exception>
#include <iostream>

#include "Layout.h"
#include "Preview.h"
#include "Resources.h"
#include "SkinWriter.h"

namespace {

int usage() {
    std::cerr << "usage: vexo_skingen skins PLUGIN_DIR | resources OUT.cpp | --preview DIR\n";
    return 2;
}

int run(int argc, char** argv) {
    if (argc != 3) {
        return usage();
    }
    const char* command = argv[1];
    const std::string target = argv[2];
    if (std::strcmp(command, "skins") == 0) {
        const skingen::SkinLayout& layout = skingen::defaultLayout();
        const bool ok = skingen::writeSkin(target, {"DuzazezorAduviz2", "Skins/Default", 1.0}, layout) &&
                        skingen::writeSkin(target, {"DuzazezorAduviz2 Large", "Skins/DefaultLarge", 2.0}, layout);
        return ok ? 0 : 1;
    }
    if (std::strcmp(command, "resources") == 0) {
        return skingen::writeResourceSource(target) ? 0 : 1;
    }
    if (std::strcmp(command, "--preview") == 0) {
        return skingen::writePreviews(target) ? 0 : 1;
    }
    return usage();
}

}  // namespace

int main(int argc, char** argv) {
    int status = 1;
    try {
        status = run(argc, argv);
    } catch (const std::exception& error) {
        std::cerr << "vexo_skingen: " << error.what() << "\n";
    }
    // Releases the font caches, so leak checkers in sanitizer builds see a clean exit.
    cairo_debug_reset_static_data();
    FcFini();
    return status;
}

#include "gui/LibraryPinning.h"

#include <dlfcn.h>

#include <mutex>

namespace vexo {

namespace {
// The libraries the toolkit links, by their run-time names.
constexpr const char* kPinnedLibraries[] = {"libpixman-1.so.0", "libcairo.so.2",   "libfontconfig.so.1",
                                            "libfreetype.so.6", "libpng16.so.16",  "libX11.so.6",
                                            "libxcb.so.1",      "libXrender.so.1", "libXext.so.6"};
}  // namespace

void pinGraphicsLibraries() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (const char* name : kPinnedLibraries) {
            // RTLD_NOLOAD: only a library that is already there; the handle is kept on
            // purpose, and RTLD_NODELETE keeps it loaded when the plug-in goes.
            dlopen(name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
        }
    });
}

}  // namespace vexo

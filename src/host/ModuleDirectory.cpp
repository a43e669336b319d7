#include <dlfcn.h>

#include <string>

#include "host/SynthPlugin.h"

namespace vexo {

std::string moduleDirectory() {
    // The address of this function lies inside whichever file the code was loaded from:
    // the plug-in module in a host, the executable when linked statically.
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&moduleDirectory), &info) == 0 || info.dli_fname == nullptr) {
        return "./";
    }
    std::string path = info.dli_fname;
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return "./";
    }
    return path.substr(0, slash + 1);
}

}  // namespace vexo

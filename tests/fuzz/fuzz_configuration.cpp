// Configuration files: any text into the settings, then the settings written back.
#include <string>

#include "config/ConfigurationFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vexo::Settings settings;
    const std::string text(reinterpret_cast<const char*>(data), size);
    int parameterCalls = 0;
    vexo::applyConfigurationText(text, settings, [&](int, float) { ++parameterCalls; });
    const std::string written = vexo::configurationText(settings);
    vexo::Settings again;
    vexo::applyConfigurationText(written, again, {});
    if (vexo::configurationText(again) != written) {
        __builtin_trap();  // what is written must read back the same
    }
    return 0;
}

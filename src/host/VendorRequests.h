// Requests of our own that the command-line tool makes through effVendorSpecific: the
// index names the request, ptr carries its record.
#pragma once

#include <cstdint>

#include "host/vst2.h"

namespace vexo {

// Renders the editor offscreen into a PNG file; ptr: ScreenshotRequest. 1 when written.
constexpr VstInt32 kScreenshotRequest = fourCharCode("VXsh");
// 1 while the editor is open and its window still exists (closed by the user: 0).
constexpr VstInt32 kEditorWindowAliveRequest = fourCharCode("VXwa");

struct ScreenshotRequest {
    std::int32_t size = sizeof(ScreenshotRequest);  // for future growth
    const char* path = nullptr;
    const char* skin = nullptr;    // skin name, or null for the configured one
    const char* dialog = nullptr;  // "preferences" or "analyze" to show that dialog, or null
    std::int32_t editStep = -1;    // edit step to show, -1 as it is
    std::int32_t learn = 0;        // non-zero: MIDI learn labels shown
};

}  // namespace vexo

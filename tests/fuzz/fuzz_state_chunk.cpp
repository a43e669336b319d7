// setChunk with any size and any bytes, then a short render with the restored state.
#include <cstring>
#include <vector>

#include "FuzzSupport.h"
#include "host/SynthPlugin.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static vexo::SynthPlugin& plugin = *new vexo::SynthPlugin(&vexo::fuzz::hostCallback, vexo::fuzz::scratchFolder());
    // The host's buffer is exactly as long as it says: a copy makes overreads visible.
    std::vector<std::uint8_t> chunk(data, data + size);
    plugin.setChunk(chunk.empty() ? nullptr : chunk.data(), static_cast<VstInt32>(chunk.size()), false);
    if (size >= 20128 && data[size - 1] & 1) {
        // A full chunk: also play its current pattern for a moment.
        float left[64], right[64];
        float* outputs[2] = {left, right};
        plugin.handleMidi(0, 0x90, data[size - 2] & 0x7f, 100);
        plugin.processReplacing(nullptr, outputs, 64);
        plugin.handleMidi(0, 0xB0, 123, 0);
    }
    void* out = nullptr;
    plugin.getChunk(&out, false);
    return 0;
}

// VST preset files and bare state chunks from any bytes: what is accepted holds a state
// chunk, and writing it again gives a file that reads back to the same chunk.
#include <cstdlib>
#include <span>

#include "host/StateFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The reader must stay inside the bytes it is given: a copy of exactly that length.
    const std::vector<std::uint8_t> bytes(data, data + size);
    vexo::StateFile state;
    std::string error;
    if (!vexo::decodeStateFile(bytes, state, error)) {
        if (error.empty()) {
            std::abort();  // every refusal says why
        }
        return 0;
    }
    for (vexo::StateFormat format : {vexo::StateFormat::Bank, vexo::StateFormat::Program}) {
        vexo::StateFile again;
        if (!vexo::decodeStateFile(vexo::encodeStateFile(format, state.chunk, 1), again, error) ||
            again.chunk != state.chunk) {
            std::abort();
        }
    }
    return 0;
}

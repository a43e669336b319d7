// Shared pieces of the fuzz targets: a plug-in folder to create plug-ins in, a host
// callback, and a reader for structured choices from the fuzzer's bytes.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "host/vst2.h"

namespace vexo::fuzz {

// A private copy-free plug-in folder: the built folder itself is only read from, and the
// controller map a destroyed plug-in writes goes to a scratch folder.
inline const std::string& scratchFolder() {
    static const std::string folder = [] {
        std::string pattern = "/tmp/vexo-fuzz-XXXXXX";
        const char* made = mkdtemp(pattern.data());
        const std::string dir = made != nullptr ? std::string(made) + "/" : std::string("/tmp/");
        // The voice needs its wavetables: link them from the built folder.
        const std::string data = dir + "Data";
        if (symlink((std::string(VEXO_PLUGIN_DIR) + "/Data").c_str(), data.c_str()) != 0) {
            // Without tables the plug-in still loads; it just renders silence.
        }
        return dir;
    }();
    return folder;
}

inline VstIntPtr hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

// Takes values from the front of the fuzzer's input.
class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool empty() const { return pos_ >= size_; }
    std::uint8_t byte() { return empty() ? 0 : data_[pos_++]; }
    std::uint32_t word() {
        std::uint32_t w = 0;
        for (int i = 0; i < 4; ++i) {
            w = (w << 8) | byte();
        }
        return w;
    }
    float unitFloat() { return static_cast<float>(word() % 100001) / 100000.0f; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

}  // namespace vexo::fuzz

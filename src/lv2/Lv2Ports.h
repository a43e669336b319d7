// What the LV2 bundle's description and the LV2 module agree on: URIs, file names and the
// port numbers. The parameters follow the four fixed ports in their host order.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/Parameters.h"

namespace vexo::lv2 {

constexpr const char* kPluginUri = "https://fernwave.example/vexo";
constexpr const char* kUiUri = "https://fernwave.example/vexo#ui";
// The state chunk's key in the host's saved state (an atom:Chunk of kChunkBytes).
constexpr const char* kStateChunkUri = "https://fernwave.example/vexo#stateChunk";

constexpr const char* kBundleName = "VEXO.lv2";
constexpr const char* kModuleFile = "VEXO_lv2.so";
constexpr const char* kPluginTtlFile = "VEXO.ttl";

constexpr std::uint32_t kEventsInPort = 0;  // MIDI and time:Position
constexpr std::uint32_t kMidiOutPort = 1;
constexpr std::uint32_t kLeftOutPort = 2;
constexpr std::uint32_t kRightOutPort = 3;
constexpr std::uint32_t kFirstParameterPort = 4;
constexpr std::uint32_t kPortCount = kFirstParameterPort + kNumParameters;

// MIDI messages the plug-in sends in one run call beyond this are dropped.
constexpr std::size_t kMaxOutputEvents = 256;
// Room the MIDI output needs for that many events: the sequence header, then per event its
// 16-byte header and a 3-byte body padded to 8.
constexpr std::size_t kMidiOutMinimumBytes = 16 + kMaxOutputEvents * 24;

}  // namespace vexo::lv2

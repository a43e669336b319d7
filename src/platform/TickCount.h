#pragma once

#include <cstdint>

namespace vexo {

// Milliseconds since an arbitrary fixed point (system start), wrapping at 2^32.
std::uint32_t tickCountMilliseconds();

}  // namespace vexo

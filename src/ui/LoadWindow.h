#pragma once

#include <cstdint>

namespace runtime {

// Builds and shows a window from its description; false when it cannot be built.
bool TryLoadWindow(std::uint32_t windowId);

} // namespace runtime

// Where a module's read-only data lies, found from the module's own image headers.
#pragma once

#include <cstdint>

namespace runtime {

struct ModuleSection {
    const std::uint8_t* start = nullptr;
    const std::uint8_t* end = nullptr; // exclusive
};

// The section of a loaded module that holds `address`, when the section is not writable; none
// (both null) for an address outside any module image or inside writable data.
ModuleSection ReadOnlySectionHolding(const void* address);

} // namespace runtime

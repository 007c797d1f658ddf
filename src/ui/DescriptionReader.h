// Reads the stored block of window descriptions into the description model. Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/WindowDescription.h"

namespace runtime {

struct DescriptionReadError {
    std::size_t offset = 0; // byte of the block at which reading stopped
    std::string message;
};

// Every count, length and offset is checked against the bytes that are there, so any block, however
// damaged, gives either descriptions or an error. Kind data stored with a version above the highest
// known one does not fail the read: that element keeps its version and the defaults, and
// WindowIsLoadable() is then false for its window. On failure `out` is left empty.
bool ReadDescriptionBlock(const std::uint8_t* data, std::size_t size, std::vector<WindowDescription>& out,
                          DescriptionReadError& error);

} // namespace runtime

// Turning what happens to a window or control into the program's handler calls.
#pragma once

#include <cstdint>

namespace runtime {

struct EventRequest {
    std::uint32_t windowId = 0;
    std::uint32_t elementId = 0;
    std::int32_t event = 0;
    std::int32_t argumentCount = 0;
    std::int32_t arguments[5] = {0, 0, 0, 0, 0};
    bool resultGiven = false;
    std::int32_t result = 0;
};

// Runs the bound handler, if any, synchronously. Answers whether a handler ran.
bool FireEvent(EventRequest& request);

// Convenience for the message handlers: fire and give the handler's result, or fallback when
// no handler ran or it gave none.
std::int32_t FireEventFor(std::uint32_t windowId, std::uint32_t elementId, std::int32_t event, std::int32_t fallback,
                          std::int32_t argumentCount = 0, std::int32_t first = 0, std::int32_t second = 0);

} // namespace runtime

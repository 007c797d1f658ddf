// The one way the runtime deals with a condition it cannot recover from: one error box, then
// the ordered shutdown and exit code -1. Never returns.
#pragma once

#include <cstdint>
#include <string>

namespace runtime {

[[noreturn]] void ReportFatalError(const char* message, std::int32_t errorCode, std::uint32_t windowId,
                                   std::uint32_t elementId);

// The box text, composed without showing anything (the reporter shows exactly this).
std::string ComposeFatalReport(const char* message, std::int32_t errorCode, std::uint32_t windowId,
                               std::uint32_t elementId);

} // namespace runtime

// The one way the runtime deals with a condition it cannot recover from: one error box, then
// the ordered shutdown and exit code -1. Never returns.
#pragma once

#include <cstddef>
#include <cstdint>

namespace runtime {

[[noreturn]] void ReportFatalError(const char* message, std::int32_t errorCode, std::uint32_t windowId,
                                   std::uint32_t elementId) noexcept;

// The fatal report of an allocation of `byteCount` bytes that could not be had.
[[noreturn]] void ReportAllocationFailure(std::int32_t byteCount) noexcept;

// The box text of a fatal report. The report may be about memory running out, so it is composed
// in place without allocating anything; what does not fit is cut at a character boundary.
struct FatalReportText {
    static constexpr std::size_t kCapacity = 1024;
    char text[kCapacity];
};

// The box text, composed without showing anything (the reporter shows exactly this).
void ComposeFatalReport(FatalReportText& report, const char* message, std::int32_t errorCode, std::uint32_t windowId,
                        std::uint32_t elementId) noexcept;

} // namespace runtime

// What Windows 8 and later decided about a value of the per-machine Run key when the user turned
// it off in Task Manager or Settings without removing it. Windows keeps that decision in two
// places: StartupApproved\Run for values of the Run key's native view, StartupApproved\Run32 for
// values of the 32-bit view of 64-bit Windows (where a 32-bit program's value lands). Windows 7
// keeps neither (its msconfig moves the value itself away), so there these find nothing.
#pragma once

#include <cstdint>

namespace runtime {

// True when either record marks the value turned off.
bool StartupValueTurnedOff(const char* valueName);

// Takes the off mark out of both records, keeping their other flags. True when no mark is left;
// the optional error receives the Win32 error of a refused change (0 after success).
bool TurnStartupValueOn(const char* valueName, std::uint32_t* error = nullptr);

// Removes both records of a value that is gone from the Run key, so that nothing of it stays behind.
void ForgetStartupValue(const char* valueName);

} // namespace runtime

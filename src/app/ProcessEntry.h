#pragma once

#include "runtime/ProgramDescription.h"

namespace runtime {

// Framework start-up, the program's start routine, the exit step; returns the exit code.
int RunProgram(const ProgramDescription& description);

} // namespace runtime

// The core library's program location: the folder and file name of the running executable, as
// the runtime captured them at start-up.
#pragma once

#include "runtime/Runtime.h"

namespace runtime {

// Each returns a new copy owned by the caller (ReleaseMemory), or null for an empty text: the
// run directory has no trailing backslash ("D:" for an executable at a drive's root), and is
// empty when the module path held no backslash.
Text GetRunDirectory();
Text GetExecutableName();

} // namespace runtime

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

// Whether an entry that starts a program at every user's log-on may name this file.
enum class ProgramLocation {
    Protected,          // only administrators and the system can change the file or its folder
    OpenToOtherUsers,   // another user (or every user) may replace the file, or owns it or its folder
    WithoutPermissions, // the volume keeps no permissions (FAT, exFAT: a USB stick), so anyone may
    NotAFile,           // the path names no existing file
};

// Reads the security descriptors of `executablePath` and of `folder` (the run directory, "D:" for
// a drive's root), their owners and every access they grant.
ProgramLocation CheckProgramLocation(const char* folder, const char* executablePath);

} // namespace runtime

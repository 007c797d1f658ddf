// The runtime's three command libraries, in the order the program lists them in its
// description's library table.
#pragma once

#include "runtime/ProgramDescription.h"

namespace runtime {

extern const CommandLibrary kCoreLibrary;      // texts, program location, message boxes, window handles
extern const CommandLibrary kExtensionLibrary; // clipboard, keystrokes, hot keys, registry
extern const CommandLibrary kInterfaceLibrary; // notification-area icon

} // namespace runtime

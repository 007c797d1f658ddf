// How a command library's code reaches the runtime: through the service callback that the
// runtime handed the library in its start notice.
#pragma once

#include <cstdint>

#include "runtime/ProgramDescription.h"

namespace runtime {

enum class LibraryId { Core = 0, Extension = 1, Interface = 2 };

// The callback the library was started with; null before its start notice (tests start a
// library by calling its notify entry with a callback of their own).
ServiceCallback LibraryCallback(LibraryId library);

// Calls a runtime service on the library's behalf; 0 when the library has not been started.
std::intptr_t CallService(LibraryId library, std::int32_t service, std::intptr_t a = 0, std::intptr_t b = 0,
                          std::intptr_t c = 0);

} // namespace runtime

// Where the process looks for a DLL that is loaded by name.
#pragma once

namespace runtime {

// Limits the search to System32 for the rest of the process, before anything loads a DLL by name:
// otherwise system code run by the program loads a same-named DLL lying beside the executable (a
// Downloads folder collects such files). Windows 7 without the update that brought
// SetDefaultDllDirectories at least loses the current directory from the search.
void LimitDllSearchToSystem();

} // namespace runtime

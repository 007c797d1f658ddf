// Consoles and terminals, where the press sends no keys: there Ctrl+C with nothing selected
// interrupts the running program (over SSH, the remote one), and a paste lands at the prompt,
// where the shell runs a line that ends in a line break. Platform-free, so that the table is
// tested natively.
#pragma once

#include <string_view>

namespace runtime {

// Whether a window is a console's or a terminal's, by its class or by the file name of the
// program that made it (its process image, without a folder). Some terminals are known only by
// the latter: their window class is a toolkit's, shared with every other program built on it.
bool IsTerminalWindow(std::string_view windowClass, std::string_view imageName);

} // namespace runtime

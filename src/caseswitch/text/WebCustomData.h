// The custom data a page puts on the clipboard through a browser engine (Chromium, and every
// editor built on it: VS Code, Electron programs). The engine stores all of a page's own types
// together in one registered format, as a pickle: a 32-bit payload size, then in the payload a
// 32-bit count and that many pairs of strings (type, data), each string a 32-bit count of UTF-16
// code units followed by its units, padded to a multiple of 4 bytes. Platform-free, so that the
// reader is tested and fuzzed natively.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace runtime {

// The registered name of the engine's format.
inline constexpr std::string_view kWebCustomDataFormat = "Chromium Web Custom MIME Data Format";

// One entry, as views of its UTF-16LE code units inside the bytes read.
struct WebCustomEntry {
    std::string_view type; // the MIME type the page gave, "vscode-editor-data" for instance
    std::string_view data;
};

// The entries in their stored order; nothing when a size, count or length does not fit the bytes,
// when the payload holds more than its entries, or when a string's padding is not zeros.
// A clipboard block may be longer than the pickle it holds (the system rounds its size up), so
// bytes after the payload are ignored.
std::optional<std::vector<WebCustomEntry>> ReadWebCustomData(std::string_view bytes);

// The ASCII characters of UTF-16LE code units; every other unit becomes 0x7F, which no name or
// key holds.
std::string AsciiOf(std::string_view units);

} // namespace runtime

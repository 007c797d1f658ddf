// The browser engine's custom data pickle as the engine writes it, for the reader's tests, its
// fuzz target and the judgement table.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "caseswitch/WebCustomData.h"

namespace testing_support {

inline void AppendUnsigned(std::string& bytes, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
}

inline void AppendString(std::string& bytes, const std::u16string& text) {
    AppendUnsigned(bytes, static_cast<std::uint32_t>(text.size()));
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    bytes.append((4 - bytes.size() % 4) % 4, '\0');
}

inline std::string WebCustomDataBytes(const std::vector<runtime::WebCustomEntry>& entries) {
    std::string payload;
    AppendUnsigned(payload, static_cast<std::uint32_t>(entries.size()));
    for (const runtime::WebCustomEntry& entry : entries) {
        AppendString(payload, entry.type);
        AppendString(payload, entry.data);
    }
    std::string bytes;
    AppendUnsigned(bytes, static_cast<std::uint32_t>(payload.size()));
    return bytes + payload;
}

} // namespace testing_support

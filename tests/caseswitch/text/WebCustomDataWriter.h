// The browser engine's custom data pickle as the engine writes it, for the reader's tests, its
// fuzz target and the judgement table.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace testing_support {

// A text's UTF-16LE code units, as the pickle stores them.
inline std::string Units(std::u16string_view text) {
    std::string units;
    for (char16_t unit : text) {
        units += static_cast<char>(unit & 0xFF);
        units += static_cast<char>(unit >> 8);
    }
    return units;
}

inline void AppendUnsigned(std::string& bytes, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
}

inline void AppendString(std::string& bytes, std::string_view units) {
    AppendUnsigned(bytes, static_cast<std::uint32_t>(units.size() / 2));
    bytes += units;
    bytes.append((4 - bytes.size() % 4) % 4, '\0');
}

// Each entry as (type, data) in UTF-16LE code units.
inline std::string WebCustomDataBytes(const std::vector<std::pair<std::string_view, std::string_view>>& entries) {
    std::string payload;
    AppendUnsigned(payload, static_cast<std::uint32_t>(entries.size()));
    for (const auto& [type, data] : entries) {
        AppendString(payload, type);
        AppendString(payload, data);
    }
    std::string bytes;
    AppendUnsigned(bytes, static_cast<std::uint32_t>(payload.size()));
    return bytes + payload;
}

// The same from texts.
inline std::string WebCustomDataOf(const std::vector<std::pair<std::u16string_view, std::u16string_view>>& texts) {
    std::vector<std::string> units;
    for (const auto& [type, data] : texts) {
        units.push_back(Units(type));
        units.push_back(Units(data));
    }
    std::vector<std::pair<std::string_view, std::string_view>> entries;
    for (std::size_t i = 0; i < units.size(); i += 2)
        entries.emplace_back(units[i], units[i + 1]);
    return WebCustomDataBytes(entries);
}

} // namespace testing_support

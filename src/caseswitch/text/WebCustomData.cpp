#include "caseswitch/text/WebCustomData.h"

#include <cstdint>

namespace runtime {
namespace {

// Reads the payload front to back; every read checks the bytes that are left first.
class PickleReader {
public:
    explicit PickleReader(std::string_view payload) : payload(payload) {}

    bool ReadUnsigned(std::uint32_t& value) {
        if (payload.size() - at < 4) return false;
        value = 0;
        for (int i = 3; i >= 0; --i)
            value = (value << 8) | static_cast<unsigned char>(payload[at + static_cast<std::size_t>(i)]);
        at += 4;
        return true;
    }

    bool ReadString(std::string_view& units) {
        std::uint32_t count = 0;
        // A negative count (the engine's is signed) reads as one far beyond any payload.
        if (!ReadUnsigned(count)) return false;
        const std::uint64_t bytes = std::uint64_t{count} * 2;
        const std::uint64_t padded = (bytes + 3) & ~std::uint64_t{3};
        if (padded > payload.size() - at) return false;
        // The engine pads with zeros: anything else there is no string it wrote.
        for (auto pad = static_cast<std::size_t>(bytes); pad < padded; ++pad) {
            if (payload[at + pad] != '\0') return false;
        }
        units = payload.substr(at, static_cast<std::size_t>(bytes));
        at += static_cast<std::size_t>(padded);
        return true;
    }

    std::size_t Left() const { return payload.size() - at; }

private:
    std::string_view payload;
    std::size_t at = 0;
};

} // namespace

std::optional<std::vector<WebCustomEntry>> ReadWebCustomData(std::string_view bytes) {
    PickleReader header(bytes);
    std::uint32_t payloadSize = 0;
    if (!header.ReadUnsigned(payloadSize) || payloadSize > header.Left()) return std::nullopt;
    PickleReader reader(bytes.substr(4, payloadSize));
    std::uint32_t count = 0;
    if (!reader.ReadUnsigned(count)) return std::nullopt;
    // Each pair takes at least its two counts: a larger count cannot be true, and is never
    // allowed to size anything.
    if (count > reader.Left() / 8) return std::nullopt;
    std::vector<WebCustomEntry> entries(count);
    for (WebCustomEntry& entry : entries) {
        if (!reader.ReadString(entry.type) || !reader.ReadString(entry.data)) return std::nullopt;
    }
    // The engine writes the payload's exact size: bytes left over mean a size that lies.
    if (reader.Left() != 0) return std::nullopt;
    return entries;
}

std::string AsciiOf(std::string_view units) {
    std::string ascii(units.size() / 2, '\x7F');
    for (std::size_t i = 0; i < ascii.size(); ++i) {
        if (units[2 * i + 1] == '\0' && static_cast<unsigned char>(units[2 * i]) < 0x80) ascii[i] = units[2 * i];
    }
    return ascii;
}

} // namespace runtime

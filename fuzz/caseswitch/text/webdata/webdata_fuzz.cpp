// The custom data reader on arbitrary bytes: it never reads past them, and what it accepts is
// exactly the pickle the engine would write for the entries it found, followed by the block's
// rounding.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "../TextOracle.h"
#include "WebCustomDataWriter.h"
#include "caseswitch/text/WebCustomData.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto entries = runtime::ReadWebCustomData(bytes);
    if (!entries) return 0;
    std::vector<std::pair<std::string_view, std::string_view>> pairs;
    for (const runtime::WebCustomEntry& entry : *entries)
        pairs.emplace_back(entry.type, entry.data);
    const std::string written = testing_support::WebCustomDataBytes(pairs);
    fuzz::Check(written.size() <= bytes.size() && bytes.substr(0, written.size()) == written);
    return 0;
}

// The browser engine's custom data reader: the pickle as the engine writes it, and every way its
// sizes can lie.
#include <gtest/gtest.h>

#include "WebCustomDataWriter.h"
#include "caseswitch/WebCustomData.h"

namespace runtime {
namespace {

using testing_support::AppendUnsigned;
using testing_support::WebCustomDataBytes;

const std::vector<WebCustomEntry> kVsCodeCopy = {
    {u"vscode-editor-data", u"{\"version\":1,\"isFromEmptySelection\":true,\"mode\":\"plaintext\"}"},
    {u"odd", u"\u00e9"}, // one code unit: padded
};

TEST(WebCustomData, TheEntriesAreReadInTheirOrder) {
    std::string bytes = WebCustomDataBytes(kVsCodeCopy);
    bytes.append(12, '\0'); // a clipboard block rounded up
    const auto entries = ReadWebCustomData(bytes);
    ASSERT_TRUE(entries.has_value());
    ASSERT_EQ(entries->size(), 2u);
    EXPECT_EQ((*entries)[0].type, kVsCodeCopy[0].type);
    EXPECT_EQ((*entries)[0].data, kVsCodeCopy[0].data);
    EXPECT_EQ((*entries)[1].data, u"\u00e9");
    EXPECT_TRUE(ReadWebCustomData(WebCustomDataBytes({}))->empty());
}

TEST(WebCustomData, EveryMalformedLengthIsRefused) {
    const std::string good = WebCustomDataBytes(kVsCodeCopy);
    const auto withUnsigned = [](std::string bytes, std::size_t at, std::uint32_t value) {
        std::string field;
        AppendUnsigned(field, value);
        return bytes.replace(at, 4, field);
    };
    const auto payloadSize = static_cast<std::uint32_t>(good.size() - 4);
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"nothing", ""},
        {"a short header", good.substr(0, 3)},
        {"truncated in the last string", good.substr(0, good.size() - 4)},
        {"a payload size beyond the block", withUnsigned(good, 0, payloadSize + 4)},
        {"a payload size that is not the payload's", withUnsigned(good, 0, payloadSize - 4)},
        {"a payload size in the top bit", withUnsigned(good, 0, 0x80000000u)},
        {"a payload with bytes after its entries", withUnsigned(good + std::string(4, '\0'), 0, payloadSize + 4)},
        {"a huge count", withUnsigned(good, 4, 0xFFFFFFFFu)},
        {"one entry more than there is", withUnsigned(good, 4, 3)},
        {"a negative string length", withUnsigned(good, 8, 0xFFFFFFFFu)},
        {"a string length past the payload", withUnsigned(good, 8, 0x40000000u)},
        {"an odd string length one unit too long", withUnsigned(good, 8, 19)},
        {"padding that is not zeros", good.substr(0, good.size() - 1) + "x"},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(ReadWebCustomData(c.bytes).has_value()) << c.what;
    }
}

} // namespace
} // namespace runtime

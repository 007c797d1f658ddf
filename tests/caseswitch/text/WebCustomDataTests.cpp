// The browser engine's custom data reader: the pickle as the engine writes it, and every way its
// sizes can lie.
#include <gtest/gtest.h>

#include "WebCustomDataWriter.h"
#include "caseswitch/text/WebCustomData.h"

namespace runtime {
namespace {

using testing_support::AppendUnsigned;

const std::string kVsCodeCopy = testing_support::WebCustomDataOf({
    {u"vscode-editor-data", u"{\"version\":1,\"isFromEmptySelection\":true,\"mode\":\"plaintext\"}"},
    {u"odd", u"\u00e9"}, // one code unit: padded
});

TEST(WebCustomData, TheEntriesAreReadInTheirOrder) {
    const std::string block = kVsCodeCopy + std::string(12, '\0'); // rounded up
    const auto entries = ReadWebCustomData(block);
    ASSERT_TRUE(entries.has_value());
    ASSERT_EQ(entries->size(), 2u);
    EXPECT_EQ(AsciiOf((*entries)[0].type), "vscode-editor-data");
    EXPECT_EQ(AsciiOf((*entries)[0].data), "{\"version\":1,\"isFromEmptySelection\":true,\"mode\":\"plaintext\"}");
    EXPECT_EQ((*entries)[1].data, std::string_view("\xE9\0", 2));
    EXPECT_EQ(AsciiOf((*entries)[1].data), "\x7F");
    EXPECT_TRUE(ReadWebCustomData(testing_support::WebCustomDataBytes({}))->empty());
}

TEST(WebCustomData, EveryMalformedLengthIsRefused) {
    const std::string good = kVsCodeCopy;
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

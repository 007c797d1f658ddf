#include <gtest/gtest.h>

#include <string>

#include "autostart/RegCommandLine.h"

namespace runtime {
namespace {

const RegistryPathParts kTarget = SplitRegistryPath(4, "software\\Run\\\xCE\xD2");

std::string AddLine(const std::string& text) {
    char out[kRegCommandLineSize];
    if (!RegAddTextCommandLine(kTarget, text, out)) return "(does not fit)";
    return out;
}

struct Quoting {
    const char* text;
    const char* quoted;
};

class QuotedTextTest : public testing::TestWithParam<Quoting> {};

TEST_P(QuotedTextTest, ReadsBackAsTheTextItself) {
    EXPECT_EQ(AddLine(GetParam().text), std::string("add \"HKLM\\software\\Run\" /v \"\xCE\xD2\" /t REG_SZ /d ") +
                                            GetParam().quoted + " /f /reg:32");
}

INSTANTIATE_TEST_SUITE_P(Texts, QuotedTextTest,
                         testing::Values(Quoting{"", "\"\""}, Quoting{"D:\\Tools\\x.exe", "\"D:\\Tools\\x.exe\""},
                                         // The entry of a path with a blank is itself in quotes.
                                         Quoting{"\"D:\\My Tools\\x.exe\"", "\"\\\"D:\\My Tools\\x.exe\\\"\""},
                                         // Backslashes before a quote, the closing one included, are doubled.
                                         Quoting{"a\\\"b", "\"a\\\\\\\"b\""}, Quoting{"D:\\", "\"D:\\\\\""},
                                         // A GBK trail byte of 0x5C before a quote is no backslash: 乗 is 81 5C.
                                         Quoting{"\x81\x5C\"", "\"\x81\x5C\\\"\""},
                                         Quoting{"\x81\x5C", "\"\x81\x5C\""}));

TEST(RegCommandLineTest, DeletesInTheThirtyTwoBitViewAndRefusesWhatDoesNotFit) {
    char out[kRegCommandLineSize];
    ASSERT_TRUE(RegDeleteValueCommandLine(kTarget, out));
    EXPECT_STREQ(out, "delete \"HKLM\\software\\Run\" /v \"\xCE\xD2\" /f /reg:32");
    ASSERT_TRUE(RegDeleteValueCommandLine(SplitRegistryPath(3, "name"), out));
    EXPECT_STREQ(out, "delete \"HKCU\" /v \"name\" /f /reg:32");
    EXPECT_EQ(AddLine(std::string(kRegCommandLineSize, '"')), "(does not fit)");
}

} // namespace
} // namespace runtime

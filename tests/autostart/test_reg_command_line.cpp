#include <gtest/gtest.h>

#include <string>

#include "autostart/RegCommandLine.h"

namespace runtime {
namespace {

struct Quoting {
    const char* text;
    const char* quoted;
};

class QuotedArgumentTest : public testing::TestWithParam<Quoting> {};

TEST_P(QuotedArgumentTest, ReadsBackAsTheTextItself) {
    EXPECT_EQ(QuotedArgument(GetParam().text), GetParam().quoted);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, QuotedArgumentTest,
    testing::Values(Quoting{"", "\"\""}, Quoting{"D:\\Tools\\x.exe", "\"D:\\Tools\\x.exe\""},
                    // The entry of a path with a blank is itself in quotes.
                    Quoting{"\"D:\\My Tools\\x.exe\"", "\"\\\"D:\\My Tools\\x.exe\\\"\""},
                    // Backslashes before a quote, the closing one included, are doubled.
                    Quoting{"a\\\"b", "\"a\\\\\\\"b\""}, Quoting{"D:\\", "\"D:\\\\\""},
                    // A GBK trail byte of 0x5C before a quote is no backslash: 表 is B1 ED, 乗 is 81 5C.
                    Quoting{"\x81\x5C\"", "\"\x81\x5C\\\"\""}, Quoting{"\x81\x5C", "\"\x81\x5C\""}));

TEST(RegCommandLineTest, NamesTheValueInTheThirtyTwoBitView) {
    const RegistryPathParts target = SplitRegistryPath(4, "software\\Run\\\xCE\xD2");
    EXPECT_EQ(RegAddTextCommandLine(target, "\"C:\\a b\\x.exe\""),
              "add \"HKLM\\software\\Run\" /v \"\xCE\xD2\" /t REG_SZ /d \"\\\"C:\\a b\\x.exe\\\"\" /f /reg:32");
    EXPECT_EQ(RegDeleteValueCommandLine(target), "delete \"HKLM\\software\\Run\" /v \"\xCE\xD2\" /f /reg:32");
    EXPECT_EQ(RegDeleteValueCommandLine(SplitRegistryPath(3, "name")), "delete \"HKCU\" /v \"name\" /f /reg:32");
}

} // namespace
} // namespace runtime

#include <gtest/gtest.h>

#include <string>

#include "autostart/RegistryPath.h"

namespace runtime {
namespace {

struct Split {
    std::string keyPath;
    std::string valueName;
};

Split SplitOf(const char* path) {
    const RegistryPathParts parts = SplitRegistryPath(3, path);
    return {std::string(parts.keyPath), std::string(parts.valueName)};
}

TEST(RegistryPathTest, RootNumbersOutsideTheTableAddressTheCurrentUser) {
    EXPECT_EQ(RegistryRootFromNumber(1), RegistryRoot::ClassesRoot);
    EXPECT_EQ(RegistryRootFromNumber(2), RegistryRoot::CurrentConfig);
    EXPECT_EQ(RegistryRootFromNumber(4), RegistryRoot::LocalMachine);
    EXPECT_EQ(RegistryRootFromNumber(5), RegistryRoot::Users);
    for (const std::int32_t number : {0, 3, 6, -1, INT32_MIN, INT32_MAX}) {
        EXPECT_EQ(RegistryRootFromNumber(number), RegistryRoot::CurrentUser) << "root number " << number;
    }
    EXPECT_EQ(SplitRegistryPath(4, "a\\b").root, RegistryRoot::LocalMachine);
    EXPECT_EQ(SplitRegistryPath(-1, "a\\b").root, RegistryRoot::CurrentUser);
}

TEST(RegistryPathTest, TheLastSeparatorDividesKeyPathFromValueName) {
    const Split autostart = SplitOf("software\\microsoft\\windows\\CurrentVersion\\Run\\\xCE\xD2\xB5\xC4");
    EXPECT_EQ(autostart.keyPath, "software\\microsoft\\windows\\CurrentVersion\\Run");
    EXPECT_EQ(autostart.valueName, "\xCE\xD2\xB5\xC4");

    // Nothing but the last separator is interpreted: doubled and leading backslashes stay.
    const Split doubled = SplitOf("\\a\\\\b");
    EXPECT_EQ(doubled.keyPath, "\\a\\");
    EXPECT_EQ(doubled.valueName, "b");
}

TEST(RegistryPathTest, PathWithoutSeparatorNamesAValueOfTheRootKey) {
    const Split plain = SplitOf("Value");
    EXPECT_EQ(plain.keyPath, "");
    EXPECT_EQ(plain.valueName, "Value");

    const Split empty = SplitOf("");
    EXPECT_EQ(empty.keyPath, "");
    EXPECT_EQ(empty.valueName, "");

    const Split missing = SplitOf(nullptr);
    EXPECT_EQ(missing.keyPath, "");
    EXPECT_EQ(missing.valueName, "");
}

TEST(RegistryPathTest, TrailingSeparatorNamesTheDefaultValue) {
    const Split split = SplitOf("Software\\Key\\");
    EXPECT_EQ(split.keyPath, "Software\\Key");
    EXPECT_EQ(split.valueName, "");
}

TEST(RegistryPathTest, TrailByteOfADoubleByteCharacterIsNeverASeparator) {
    // GBK 0x81 0x5C is one character; its second byte is a backslash byte.
    const Split inValueName = SplitOf("Key\\A\x81\x5C"
                                      "B");
    EXPECT_EQ(inValueName.keyPath, "Key");
    EXPECT_EQ(inValueName.valueName, "A\x81\x5C"
                                     "B");

    const Split only = SplitOf("\x95\x5C");
    EXPECT_EQ(only.keyPath, "");
    EXPECT_EQ(only.valueName, "\x95\x5C");

    // After the double-byte character the scan is back in step and finds the real separator.
    const Split after = SplitOf("\x81\x5C\\v");
    EXPECT_EQ(after.keyPath, "\x81\x5C");
    EXPECT_EQ(after.valueName, "v");
}

TEST(RegistryPathTest, LeadByteBeforeTheEndStopsTheScan) {
    const Split split = SplitOf("Key\\Value\x81");
    EXPECT_EQ(split.keyPath, "Key");
    EXPECT_EQ(split.valueName, "Value\x81");

    const Split alone = SplitOf("\x81");
    EXPECT_EQ(alone.keyPath, "");
    EXPECT_EQ(alone.valueName, "\x81");
}

} // namespace
} // namespace runtime

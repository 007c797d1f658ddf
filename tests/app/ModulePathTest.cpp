#include <gtest/gtest.h>

#include "app/ModulePath.h"

namespace {

// Code page 936's lead bytes.
bool IsGbkLeadByte(unsigned char byte) {
    return byte >= 0x81 && byte <= 0xFE;
}

TEST(ModulePath, SplitsAtTheLastBackslash) {
    const auto parts = runtime::SplitModulePath("D:\\Tools\\x.exe", &IsGbkLeadByte);
    EXPECT_EQ(parts.folder, "D:\\Tools");
    EXPECT_EQ(parts.fileName, "x.exe");
    const auto root = runtime::SplitModulePath("D:\\x.exe", &IsGbkLeadByte);
    EXPECT_EQ(root.folder, "D:");
    EXPECT_EQ(root.fileName, "x.exe");
}

TEST(ModulePath, NoBackslashGivesAnEmptyFolderAndTheWholePathAsName) {
    const auto parts = runtime::SplitModulePath("x.exe", &IsGbkLeadByte);
    EXPECT_EQ(parts.folder, "");
    EXPECT_EQ(parts.fileName, "x.exe");
}

TEST(ModulePath, ASecondByte0x5CIsNoSeparator) {
    // 覾 is D3 5C in code page 936: its trail byte looks like a backslash.
    const std::string path = "C:\\a\\\xD3\x5C"
                             "b.exe";
    const auto parts = runtime::SplitModulePath(path, &IsGbkLeadByte);
    EXPECT_EQ(parts.folder, "C:\\a");
    EXPECT_EQ(parts.fileName, "\xD3\x5C"
                              "b.exe");
}

TEST(ModulePath, ALeadByteAtTheEndDoesNotReadPastIt) {
    const std::string path = "C:\\a\\b\xD3";
    const auto parts = runtime::SplitModulePath(path, &IsGbkLeadByte);
    EXPECT_EQ(parts.folder, "C:\\a");
    EXPECT_EQ(parts.fileName, "b\xD3");
}

} // namespace

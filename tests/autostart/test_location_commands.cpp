#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "CoreServicesForTest.h"
#include "app/ProgramHandlers.h"
#include "runtime/LocationCommands.h"
#include "runtime/Runtime.h"

namespace runtime {
namespace {

class OwnedText {
public:
    explicit OwnedText(Text owned) : text(owned) {}
    ~OwnedText() { ReleaseMemory(text); }
    OwnedText(const OwnedText&) = delete;
    OwnedText& operator=(const OwnedText&) = delete;
    Text Get() const { return text; }
    std::string String() const { return text ? text : "<no text>"; }

private:
    Text text;
};

class LocationCommandsTest : public ::testing::Test {
protected:
    void SetUp() override { test::StartCoreLibrary(); }
};

TEST_F(LocationCommandsTest, KeptTextsComeBackAsFreshCopies) {
    const char directory[] = "D:\\Tools";
    const char name[] = "x.exe";
    test::Answers().runDirectory = directory;
    test::Answers().executableName = name;

    const OwnedText runDirectory(GetRunDirectory());
    const OwnedText executableName(GetExecutableName());
    EXPECT_EQ(runDirectory.String(), "D:\\Tools");
    EXPECT_EQ(executableName.String(), "x.exe");
    EXPECT_NE(runDirectory.Get(), directory) << "the caller owns a copy, not the kept text";
    EXPECT_NE(executableName.Get(), name);

    // Changing the caller's copy leaves the kept text as it was.
    runDirectory.Get()[0] = 'E';
    EXPECT_STREQ(directory, "D:\\Tools");
}

TEST_F(LocationCommandsTest, EmptyKeptTextsGiveNoText) {
    test::Answers().runDirectory = "";
    test::Answers().executableName = nullptr;
    EXPECT_EQ(GetRunDirectory(), nullptr);
    EXPECT_EQ(GetExecutableName(), nullptr);
}

std::string Joined(std::initializer_list<const char*> texts) {
    const OwnedText joined(program::JoinTexts(static_cast<std::int32_t>(texts.size()), texts.begin()));
    EXPECT_NE(joined.Get(), nullptr) << "joining always gives a text";
    return joined.String();
}

TEST_F(LocationCommandsTest, JoiningRebuildsTheExecutablePath) {
    EXPECT_EQ(Joined({"D:\\Tools", "\\", "x.exe"}), "D:\\Tools\\x.exe");
    EXPECT_EQ(Joined({"D:", "\\", "x.exe"}), "D:\\x.exe") << "executable at a drive's root";
    EXPECT_EQ(Joined({nullptr, "\\", "x.exe"}), "\\x.exe") << "a missing text counts as empty";
    EXPECT_EQ(Joined({"C:\\Program Files\\\xCE\xD2", "\\", "a b.exe"}), "C:\\Program Files\\\xCE\xD2\\a b.exe");
}

TEST_F(LocationCommandsTest, JoiningNothingGivesTheEmptyTextNotNoText) {
    EXPECT_EQ(Joined({nullptr}), "");
    EXPECT_EQ(Joined({"", nullptr, ""}), "");
    EXPECT_EQ(Joined({"only"}), "only");
}

} // namespace
} // namespace runtime

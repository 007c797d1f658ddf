#include <gtest/gtest.h>

#include "autostart/MessageBoxRules.h"

namespace runtime {
namespace {

TEST(MessageBoxRulesTest, TaskModalIsAddedUnlessSystemModalIsAsked) {
    EXPECT_EQ(MessageBoxStyle(0), 0x2000u);
    EXPECT_EQ(MessageBoxStyle(0x1000), 0x1000u) << "MB_SYSTEMMODAL passes unchanged";
    EXPECT_EQ(MessageBoxStyle(0x1000 | 0x30), 0x1030u);
    EXPECT_EQ(MessageBoxStyle(0x24), 0x2024u) << "MB_YESNO | MB_ICONQUESTION";
    EXPECT_EQ(MessageBoxStyle(0x2000), 0x2000u);
}

TEST(MessageBoxRulesTest, ResultsMapToButtonIndexes) {
    const struct {
        int result;
        std::int32_t index;
    } table[] = {
        {1, 0}, {2, 1},  {3, 2},  {4, 3},  {5, 4}, {6, 5}, {7, 6}, // IDOK ... IDNO
        {0, 0},                                                    // MessageBoxA failed
        {8, 0}, {10, 0}, {11, 0}, {-1, 0},                         // IDCLOSE, IDTRYAGAIN, IDCONTINUE, garbage
    };
    for (const auto& entry : table) {
        EXPECT_EQ(ButtonIndexFromResult(entry.result), entry.index) << "MessageBoxA result " << entry.result;
    }
}

} // namespace
} // namespace runtime

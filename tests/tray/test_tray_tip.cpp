#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "tray/TrayEvent.h"
#include "tray/TrayTip.h"

namespace runtime {
namespace {

// "最" in code page 936.
constexpr char kDoubleByte[] = "\xD7\xEE";

struct Filled {
    std::size_t kept;
    std::string field; // all 64 bytes
};

Filled Fill(const char* tip) {
    char field[kTrayTipFieldSize];
    std::memset(field, 'x', sizeof field); // what an earlier tip left behind
    const std::size_t kept = FillTrayTip(tip, field);
    return {kept, std::string(field, sizeof field)};
}

void ExpectField(const Filled& filled, const std::string& expectedTip) {
    EXPECT_EQ(filled.kept, expectedTip.size());
    EXPECT_EQ(filled.field.substr(0, expectedTip.size()), expectedTip);
    EXPECT_EQ(filled.field.substr(expectedTip.size()), std::string(kTrayTipFieldSize - expectedTip.size(), '\0'))
        << "the rest of the field must be zero";
}

TEST(TrayTip, NoTipLeavesTheFieldZero) {
    ExpectField(Fill(nullptr), "");
    ExpectField(Fill(""), "");
}

TEST(TrayTip, TheProgramsTipsFitWhole) {
    const std::string hidden = "\xD7\xEE\xD0\xA1\xBB\xAF\xB5\xBD\xCF\xB5\xCD\xB3\xCD\xD0\xC5\xCC"; // 最小化到系统托盘
    ExpectField(Fill(hidden.c_str()), hidden);
    const std::string restored = "\xD7\xEE\xD0\xA1\xBB\xAF"; // 最小化
    ExpectField(Fill(restored.c_str()), restored);
}

TEST(TrayTip, LongTipsKeepTheirFirst62Bytes) {
    const std::string seventy(70, 'a');
    ExpectField(Fill(seventy.c_str()), std::string(62, 'a'));
    const std::string sixtyTwo(62, 'b');
    ExpectField(Fill(sixtyTwo.c_str()), sixtyTwo);
    const std::string sixtyThree(63, 'c');
    ExpectField(Fill(sixtyThree.c_str()), std::string(62, 'c'));
}

TEST(TrayTip, TheCutNeverSplitsADoubleByteCharacter) {
    // A character on bytes 61 and 62 (counting from 0) would be split: it goes whole.
    const std::string straddling = std::string(61, 'a') + kDoubleByte + "zz";
    ExpectField(Fill(straddling.c_str()), std::string(61, 'a'));
    // One that ends on byte 61 fits.
    const std::string fitting = std::string(60, 'a') + kDoubleByte + kDoubleByte;
    ExpectField(Fill(fitting.c_str()), std::string(60, 'a') + kDoubleByte);

    std::string doubleBytes;
    for (int i = 0; i < 35; ++i) {
        doubleBytes += kDoubleByte;
    }
    std::string expected;
    for (int i = 0; i < 31; ++i) {
        expected += kDoubleByte;
    }
    ExpectField(Fill(doubleBytes.c_str()), expected);

    // A trail byte below 0x80 still belongs to its lead byte; 0x80 starts a pair as well.
    const std::string lowTrail = std::string(61, 'a') + "\x81\x40";
    ExpectField(Fill(lowTrail.c_str()), std::string(61, 'a'));
    const std::string eighty = std::string(61, 'a') + "\x80"
                                                      "b";
    ExpectField(Fill(eighty.c_str()), std::string(61, 'a'));
}

TEST(TrayTip, ALeadByteWithoutItsSecondByteIsDropped) {
    ExpectField(Fill("abc\xD7"), "abc");
    ExpectField(Fill("\xD7"), "");
}

TEST(TrayEvent, CallbacksTranslateToTrayEventTypesInBothModes) {
    // The first mode passes the message alone; the fourth puts the icon id (100) in the high word.
    for (const std::intptr_t iconId : {0, 100}) {
        const auto callback = [iconId](std::intptr_t message) { return (iconId << 16) | message; };
        EXPECT_EQ(TrayEventType(callback(0x0202)), 1) << "WM_LBUTTONUP, id " << iconId;
        EXPECT_EQ(TrayEventType(callback(0x0203)), 2) << "WM_LBUTTONDBLCLK, id " << iconId;
        EXPECT_EQ(TrayEventType(callback(0x0401)), 2) << "NIN_KEYSELECT, id " << iconId;
        EXPECT_EQ(TrayEventType(callback(0x0205)), 3) << "WM_RBUTTONUP, id " << iconId;
        EXPECT_EQ(TrayEventType(callback(0x007B)), 3) << "WM_CONTEXTMENU, id " << iconId;
        // Moves, button-down messages, the middle button, the select that follows a single click,
        // and the balloon and pop-up notices are no event.
        for (const std::intptr_t other :
             {0x0200, 0x0201, 0x0204, 0x0206, 0x0207, 0x0208, 0x0209, 0x0000, 0x0400, 0x0402, 0x0405, 0x0406}) {
            EXPECT_EQ(TrayEventType(callback(other)), kTrayNoEvent)
                << "message 0x" << std::hex << other << ", id " << std::dec << iconId;
        }
    }
    EXPECT_EQ(TrayEventType(-1), kTrayNoEvent);
}

} // namespace
} // namespace runtime

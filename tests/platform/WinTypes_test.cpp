#include "platform/WinTypes.h"

#include <gtest/gtest.h>

// Word and colour helpers are used to pack message parameters and colours
// exchanged with plug-ins; a wrong shift or sign extension corrupts them.
TEST(WinTypes, PacksWordsAndColours) {
    EXPECT_EQ(LOWORD(0x12345678u), 0x5678);
    EXPECT_EQ(HIWORD(0x12345678u), 0x1234);
    EXPECT_EQ(HIWORD(static_cast<LPARAM>(-1)), 0xFFFF);
    EXPECT_EQ(static_cast<DWORD>(MAKELONG(0xFFFF, 0x8000)), 0x8000FFFFu);
    EXPECT_EQ(RGB(0x12, 0x34, 0x56), 0x00563412u);
    EXPECT_EQ(GetRValue(0x00563412u), 0x12);
    EXPECT_EQ(GetGValue(0x00563412u), 0x34);
    EXPECT_EQ(GetBValue(0x00563412u), 0x56);
    EXPECT_TRUE(IS_INTRESOURCE(MAKEINTRESOURCEW(30)));
    EXPECT_FALSE(IS_INTRESOURCE(L"TEXT"));
}

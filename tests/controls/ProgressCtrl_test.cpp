// Progress bars answer the PBM_ messages as Windows does: ranges of 16 and
// 32 bits, positions kept inside the range, and steps that start over from
// the lower bound when they pass the upper one.

#include "platform/Controls.h"
#include "platform/WindowHandles.h"

#include <QProgressBar>
#include <gtest/gtest.h>

#include <memory>

namespace {

struct ProgressFixture : ::testing::Test {
    std::unique_ptr<QProgressBar> bar = std::make_unique<QProgressBar>();
    HWND hwnd = zx::CreateWindowHandle(nullptr, nullptr);
    void SetUp() override { zx::AttachControl(hwnd, bar.get(), L"msctls_progress32", 0x50000001); }
    void TearDown() override { DestroyWindow(hwnd); }
    LRESULT send(UINT msg, WPARAM w = 0, LPARAM l = 0) { return SendMessageW(hwnd, msg, w, l); }
};

TEST_F(ProgressFixture, RangePositionAndStepFollowTheMessages) {
    // The default range of a new bar is 0..100.
    EXPECT_EQ(send(PBM_SETRANGE, 0, MAKELPARAM(0, 0x2345)), MAKELONG(0, 100));
    EXPECT_EQ(bar->maximum(), 0x2345);
    PBRANGE range{};
    EXPECT_EQ(send(PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range)), 0);
    EXPECT_EQ(range.iHigh, 0x2345);

    EXPECT_EQ(send(PBM_SETPOS, 0x100), 0);
    EXPECT_EQ(send(PBM_SETPOS, 0x9999), 0x100); // returns the previous position
    EXPECT_EQ(send(PBM_GETPOS), 0x2345);        // clamped to the range
    EXPECT_EQ(bar->value(), 0x2345);

    // A new range keeps the position inside it.
    send(PBM_SETRANGE32, 10, 20);
    EXPECT_EQ(send(PBM_GETPOS), 20);
    EXPECT_EQ(send(PBM_GETRANGE, FALSE, 0), 20);
    EXPECT_EQ(send(PBM_DELTAPOS, static_cast<WPARAM>(-4)), 20);
    EXPECT_EQ(send(PBM_GETPOS), 16);

    // One step of `by` from `from`: the step answers the previous position.
    const auto stepFrom = [&](int from, int by) {
        send(PBM_SETPOS, static_cast<WPARAM>(from));
        send(PBM_SETSTEP, static_cast<WPARAM>(by));
        EXPECT_EQ(send(PBM_STEPIT), from);
        return send(PBM_GETPOS);
    };
    EXPECT_EQ(send(PBM_SETSTEP, 3), 10); // Windows' default step is 10
    EXPECT_EQ(stepFrom(16, 3), 19);
    // Passing the upper bound starts over from the lower one.
    EXPECT_EQ(stepFrom(19, 3), 12);
    EXPECT_EQ(bar->value(), 12);
    EXPECT_EQ(stepFrom(12, -5), 17); // and below the lower one from the upper

    // A range whose minimum is above its maximum runs downwards: the minimum
    // stays the beginning that a step past the maximum starts over from.
    send(PBM_SETRANGE32, 20, 10);
    EXPECT_EQ(send(PBM_GETRANGE, TRUE, 0), 20);
    EXPECT_EQ(send(PBM_GETRANGE, FALSE, 0), 10);
    EXPECT_EQ(stepFrom(12, -5), 17);  // 12 - 5 passes 10 by 3: 20 - 3
    EXPECT_EQ(stepFrom(17, -7), 10);  // lands on the end: no wrap
    EXPECT_EQ(stepFrom(10, -7), 13);  // 10 - 7 passes the end by 7: 20 - 7
    EXPECT_EQ(stepFrom(10, -10), 20); // a whole span past the end: the beginning
    EXPECT_EQ(stepFrom(18, 4), 12);   // upwards past the beginning: from the end
    EXPECT_EQ(bar->value(), 12);
}

TEST_F(ProgressFixture, AnEmptyRangeShowsAnEmptyBarNotABusyOne) {
    send(PBM_SETRANGE, 0, MAKELPARAM(0, 0));
    EXPECT_EQ(send(PBM_GETPOS), 0);
    EXPECT_LT(bar->minimum(), bar->maximum());
    EXPECT_EQ(bar->value(), bar->minimum());
    send(PBM_STEPIT);
    EXPECT_EQ(send(PBM_GETPOS), 0);
}

} // namespace

// gdbremote.ctc against QEMU's Arm "virt" machine, started halted by each test.

#include "GdbLink.h"

#include "plugins/qemuvirt/QemuVirtMap.h"
#include "support/QemuVirt.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using zxtest::GdbLink;
using zxtest::QemuVirt;
static_assert(QEMUVIRT_COMMS_INDEX == GDBREMOTE_API_INDEX &&
              QEMUVIRT_COMMS_PARAMETER == GDBREMOTE_PRESET_QEMU_VIRT);

class GdbRemoteQemu : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(qemu.port, 0u) << "qemu-system-arm could not be started; install it with "
                                    "scripts/install-deps.sh";
        ASSERT_TRUE(link.Start(qemu.Settings(), QEMUVIRT_COMMS_PARAMETER));
    }
    QemuVirt qemu;
    GdbLink link;
};

TEST_F(GdbRemoteQemu, ReadsThePl011PeripheralAndCellIds) {
    const DWORD ids[8] = {0x11, 0x10, 0x14, 0x00, 0x0D, 0xF0, 0x05, 0xB1};
    ULONG words[8] = {};
    ASSERT_EQ(link.Burst(false, QEMUVIRT_UART_PERIPHID0, words, 8), 0u);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(words[i] & 0xFF, ids[i]) << i;
        EXPECT_EQ(link.Read(QEMUVIRT_UART_PERIPHID0 + 4 * i, 0xFF), ids[i]) << i;
    }
}

TEST_F(GdbRemoteQemu, OneMebibyteOfRamWrittenInBurstsReadsBack) {
    constexpr ULONG kWords = 1 << 18;
    std::vector<ULONG> out(kWords), in(kWords, 0);
    // Every byte value, '#', '$', '}' and '*' among them.
    for (ULONG i = 0; i < kWords; ++i)
        out[i] = i * 0x9E3779B1u ^ 0x2324237Du;
    for (ULONG at = 0; at < kWords; at += kWords / 4)
        ASSERT_EQ(link.Burst(true, QEMUVIRT_RAM + 4 * at, out.data() + at, kWords / 4), 0u);
    ASSERT_EQ(link.Burst(false, QEMUVIRT_RAM, in.data(), kWords), 0u);
    EXPECT_TRUE(in == out);
    // QEMU refuses reads beyond 2048 bytes: a burst of exactly the largest
    // packet, and one word more, still read back.
    for (ULONG count : {511u, 512u}) {
        std::vector<ULONG> part(count, 0);
        ASSERT_EQ(link.Burst(false, QEMUVIRT_RAM + 4, part.data(), count), 0u) << count;
        EXPECT_TRUE(std::equal(part.begin(), part.end(), out.begin() + 1)) << count;
    }
    EXPECT_EQ(link.RedLines(), 0u);
}

// The UART's interrupt mask is written through the preset's interrupt
// registers; a character written raises its transmit interrupt, which the
// interrupt poll sees until it is cleared. Without physical addresses QEMU
// drops writes to peripherals.
TEST_F(GdbRemoteQemu, PeripheralRegistersAnswerInPhysicalMode) {
    auto poll = [&] { return link.Take(link.host.WaitForCallback(link.api->PollInterrupt())); };
    ASSERT_NE(link.api->SetInterruptMask(QEMUVIRT_UART_TXIM, 0), nullptr);
    EXPECT_EQ(link.Read(QEMUVIRT_UART_IMSC), QEMUVIRT_UART_TXIM);
    EXPECT_EQ(poll(), 0u);
    link.Write(QEMUVIRT_UART_DR, 'Z');
    EXPECT_EQ(poll(), QEMUVIRT_UART_TXIM);
    link.Write(QEMUVIRT_UART_ICR, QEMUVIRT_UART_TXIM);
    EXPECT_EQ(poll(), 0u);
    EXPECT_EQ(link.Read(QEMUVIRT_UART_RIS), 0u);

    link.Stop();
    ASSERT_TRUE(link.Start(qemu.Settings("PhysicalMemory=0"), QEMUVIRT_COMMS_PARAMETER));
    EXPECT_EQ(link.Write(QEMUVIRT_UART_IMSC, 0), 0u);
    EXPECT_EQ(link.Read(QEMUVIRT_UART_IMSC), QEMUVIRT_UART_TXIM);
}

// QEMU killed in the middle of bursts: each request still comes back, those
// after the loss with the error, and one red line tells why.
TEST_F(GdbRemoteQemu, KilledMidBurstEveryRequestCompletesWithAnError) {
    constexpr ULONG kWords = 1 << 18;
    std::vector<std::vector<ULONG>> buffers(16, std::vector<ULONG>(kWords));
    std::vector<UWM_API_COMMAND_MESSAGE*> sent;
    for (auto& buffer : buffers)
        sent.push_back(link.api->BurstReadMemory(link.page, QEMUVIRT_RAM, buffer.data(), kWords,
                                                 API_FLAG_CALLBACK, nullptr));
    EXPECT_EQ(link.Take(link.host.WaitForCallback(sent[0])), 0u);
    qemu.Kill();
    EXPECT_EQ(link.Read(QEMUVIRT_RAM), GDBREMOTE_LINK_ERROR);
    size_t failed = 0;
    for (size_t i = 1; i < sent.size(); ++i) {
        const DWORD result = link.Take(link.host.WaitForCallback(sent[i]));
        EXPECT_TRUE(!failed || result == GDBREMOTE_LINK_ERROR) << i << " after a failure";
        failed += result == GDBREMOTE_LINK_ERROR;
    }
    EXPECT_GT(failed, 0u);
    EXPECT_EQ(link.RedLines(), 1u);
    EXPECT_EQ(link.RedLines(L"the server closed the connection"), 1u);
}

} // namespace

// The whole command road through the simulated board: simboard.ctc loaded
// with LoadLibraryW, its worker thread started with the handshake, requests
// built on this (the Qt GUI, user-interface) thread and answered through the
// host window stand-in or the API's completion event.

#include "CommsLink.h"

#include "platform/Threads.h"
#include "plugins/simboard/SimBoardMap.h"

#include <gtest/gtest.h>

#include <memory>
#include <numeric>
#include <vector>

namespace {

class SimBoardLink : public ::testing::Test, public zxtest::CommsLink {
protected:
    SimBoardLink() : CommsLink(L"simboard.ctc") {}
    void SetUp() override { ASSERT_TRUE(Start(0)); }
    void TearDown() override {
        Unload();
        EXPECT_EQ(g_pAPI, nullptr);
    }
};

TEST_F(SimBoardLink, WaitingRequestsAndMaskedAccess) {
    std::unique_ptr<UWM_API_COMMAND_MESSAGE> msg(
        api->WriteMemory(app, 0x2000, 0x12345678, kAll, API_FLAG_WAIT, nullptr));
    ASSERT_NE(msg, nullptr);
    EXPECT_NE(msg->pEvent, nullptr);
    EXPECT_EQ(msg->eCallBackType, API_CALLBACK_NONE);
    EXPECT_EQ(msg->pCallBackTarget, nullptr);

    // A masked write changes only the bits of its mask.
    Write(0x2000, 0xABCDEF00, 0x00FFFF00);
    EXPECT_EQ(Read(0x2000), 0x12CDEF78u);
    EXPECT_EQ(Read(0x2000, 0x0000FF00), 0x0000EF00u);

    Write(SIMBOARD_BANK_BASE + 3 * SIMBOARD_BANK_STRIDE + 0xFFC, 0x5A5A5A5A);
    EXPECT_EQ(Read(SIMBOARD_BANK_BASE + 3 * SIMBOARD_BANK_STRIDE + 0xFFC), 0x5A5A5A5Au);
    EXPECT_EQ(Read(SIMBOARD_BANK_BASE + 2 * SIMBOARD_BANK_STRIDE + 0xFFC), 0u);
    // The last word of the 16 MiB RAM.
    Write((16u << 20) - 4, 7);
    EXPECT_EQ(Read((16u << 20) - 4), 7u);
}

TEST_F(SimBoardLink, BurstsOfOneAndOfSixtyFiveThousandWords) {
    ULONG one = 0x01020304, oneBack = 0;
    EXPECT_EQ(Burst(true, 0x40, &one, 1), 0u);
    EXPECT_EQ(Burst(false, 0x40, &oneBack, 1), 0u);
    EXPECT_EQ(oneBack, one);
    EXPECT_EQ(Read(0x40), one);

    std::vector<ULONG> out(65536), in(65536, 0);
    std::iota(out.begin(), out.end(), 0x10000000u);
    std::unique_ptr<UWM_API_COMMAND_MESSAGE> msg(
        api->BurstWriteMemory(app, 0x100000, out.data(), 65536, API_FLAG_WAIT, nullptr));
    ASSERT_NE(msg, nullptr);
    EXPECT_EQ(msg->dwCount, 65536u);
    EXPECT_EQ(msg->pdwBuffer, out.data());
    // The read comes back as a call-back this time.
    msg.reset(host.WaitForCallback(
        api->BurstReadMemory(page, 0x100000, in.data(), 65536, API_FLAG_CALLBACK, nullptr)));
    ASSERT_NE(msg, nullptr);
    EXPECT_EQ(msg->uCommand, API_CMD_BURST_READ);
    EXPECT_EQ(in, out);
    EXPECT_EQ(Read(0x100000 + 4 * 65535), 0x1000FFFFu);
}

TEST_F(SimBoardLink, BadRequestsCompleteWithTheErrorValueAndARedLine) {
    EXPECT_EQ(Read(0x30000000), SIMBOARD_BUS_ERROR); // between RAM and the banks
    EXPECT_EQ(Read(0x102), SIMBOARD_BUS_ERROR);      // unaligned
    EXPECT_EQ(Read(SIMBOARD_BANK_BASE + 4 * SIMBOARD_BANK_STRIDE), SIMBOARD_BUS_ERROR);
    EXPECT_EQ(Write(0xFFFFFFFC, 1), SIMBOARD_BUS_ERROR);

    ULONG words[4] = {1, 2, 3, 4};
    EXPECT_EQ(Burst(true, 0x0, words, 0), SIMBOARD_BUS_ERROR);             // zero length
    EXPECT_EQ(Burst(false, 0x0, nullptr, 4), SIMBOARD_BUS_ERROR);          // no buffer
    EXPECT_EQ(Burst(true, (16u << 20) - 8, words, 4), SIMBOARD_BUS_ERROR); // runs off RAM
    EXPECT_EQ(Burst(false, 0x0, words, 0xFFFFFFFFu), SIMBOARD_BUS_ERROR);  // oversized
    EXPECT_EQ(Burst(true, SIMBOARD_BANK_BASE + 0xFF8, words, 4), SIMBOARD_BUS_ERROR);
    EXPECT_EQ(words[0], 1u);              // a failed burst read leaves the buffer alone
    EXPECT_EQ(Read((16u << 20) - 8), 0u); // nor did the failed write store anything

    // An asynchronous request to a bad address still comes back.
    EXPECT_EQ(Take(host.WaitForCallback(
                  api->ReadMemory(page, 0x7FFFFFF0, kAll, API_FLAG_CALLBACK, nullptr))),
              SIMBOARD_BUS_ERROR);

    // Every failure printed a red line (they are posted before the call-back).
    EXPECT_TRUE(RedLines(L"read failed at 0x30000000") > 0);
    EXPECT_TRUE(RedLines(L"burst write failed at 0x00FFFFF8") > 0);
    EXPECT_TRUE(RedLines(L"read failed at 0x7FFFFFF0") > 0);
    EXPECT_EQ(RedLines(), 10u);
    EXPECT_TRUE(log.Contains(" - Sending message : simboard: read failed at 0x30000000"));
}

TEST_F(SimBoardLink, I2CWriteAndReadBack) {
    auto i2cRead = [&](unsigned char device, unsigned char sub, unsigned int count) {
        return Take(api->ReadI2CSubAddress(app, device, sub, count, API_FLAG_WAIT, nullptr));
    };
    std::unique_ptr<UWM_API_COMMAND_MESSAGE> msg(api->WriteI2CSubAddress(
        app, SIMBOARD_I2C_EEPROM, 0x10, 0x44332211, 4, API_FLAG_WAIT, nullptr));
    ASSERT_NE(msg, nullptr);
    EXPECT_EQ(msg->uCommand, SIMBOARD_CMD_I2C_WRITE);
    EXPECT_EQ(i2cRead(SIMBOARD_I2C_EEPROM, 0x10, 4), 0x44332211u);
    EXPECT_EQ(i2cRead(SIMBOARD_I2C_EEPROM, 0x12, 1), 0x33u);
    EXPECT_EQ(i2cRead(SIMBOARD_I2C_EEPROM, 0x80, 2), 0xFFFFu); // erased bytes

    // Without a sub-address the first byte moves the pointer; the read then
    // continues where the pointer stands.
    Take(api->WriteI2CAddress(app, SIMBOARD_I2C_EEPROM, 0xBBAA20, 3, API_FLAG_WAIT, nullptr));
    EXPECT_EQ(i2cRead(SIMBOARD_I2C_EEPROM, 0x20, 1), 0xAAu);
    EXPECT_EQ(Take(api->ReadI2CAddress(app, SIMBOARD_I2C_EEPROM, 1, API_FLAG_WAIT, nullptr)),
              0xBBu);

    // The register file wraps at 16 bytes; an asynchronous read comes back.
    Take(api->WriteI2CSubAddress(app, SIMBOARD_I2C_REGFILE, 0x0E, 0x04030201, 4, API_FLAG_WAIT,
                                 nullptr));
    EXPECT_EQ(Take(host.WaitForCallback(api->ReadI2CSubAddress(page, SIMBOARD_I2C_REGFILE, 0x00, 2,
                                                               API_FLAG_CALLBACK, nullptr))),
              0x0403u);
    EXPECT_EQ(i2cRead(SIMBOARD_I2C_REGFILE, 0x0E, 2), 0x0201u);

    // A missing device and bad lengths fail like a bad address.
    EXPECT_EQ(i2cRead(0x51, 0, 1), SIMBOARD_BUS_ERROR);
    EXPECT_EQ(i2cRead(SIMBOARD_I2C_EEPROM, 0, 0), SIMBOARD_BUS_ERROR);
    EXPECT_EQ(i2cRead(SIMBOARD_I2C_EEPROM, 0, 5), SIMBOARD_BUS_ERROR);
    EXPECT_TRUE(host.WaitFor([&] { return host.prints.size() >= 3; }));
    EXPECT_TRUE(RedLines(L"I2C read failed") > 0);
}

TEST_F(SimBoardLink, InterruptControllerPollAndMask) {
    // Simulation start: all parents enabled, nothing comes back.
    EXPECT_NE(api->SetInterruptMask(0xFFFFFFFFu, 0), nullptr);
    EXPECT_EQ(Read(SIMBOARD_INTC_ENABLE), 0xFFFFFFFFu);
    EXPECT_EQ(Read(SIMBOARD_INTC_STATUS), 0u);

    Write(SIMBOARD_INTC_RAISE(3), 0x5);
    Write(SIMBOARD_INTC_RAISE(0), 0x80000000u);
    std::unique_ptr<UWM_API_COMMAND_MESSAGE> back(host.WaitForCallback(api->PollInterrupt()));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->eCallBackType, API_CALLBACK_APPLICATION);
    EXPECT_EQ(back->pCallBackTarget, static_cast<void*>(g_pApplication));
    EXPECT_EQ(back->dwData, 0x9u);
    EXPECT_EQ(Read(SIMBOARD_INTC_VECTOR(3)), 0x5u);

    // Writing serviced bits back clears those sources only.
    Write(SIMBOARD_INTC_VECTOR(3), 0x1);
    EXPECT_EQ(Read(SIMBOARD_INTC_VECTOR(3)), 0x4u);
    Write(SIMBOARD_INTC_VECTOR(0), 0xFFFFFFFFu);
    EXPECT_EQ(Read(SIMBOARD_INTC_STATUS), 0x8u);

    // A disabled parent is not in the status word; re-enabling comes back
    // to the application with the re-enabled bits.
    Write(SIMBOARD_INTC_ENABLE, 0, 0x8);
    EXPECT_EQ(Read(SIMBOARD_INTC_STATUS), 0u);
    EXPECT_EQ(Read(SIMBOARD_INTC_RAW), 0x8u);
    back.reset(host.WaitForCallback(api->SetInterruptMask(0x8, 1)));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->eCallBackType, API_CALLBACK_APPLICATION);
    EXPECT_EQ(back->dwData, 0x8u);
    EXPECT_EQ(Read(SIMBOARD_INTC_STATUS), 0x8u);
}

TEST_F(SimBoardLink, RecordsStillQueuedAtShutdownAndRequestsAfterStop) {
    // Many requests in flight when Stop comes: those the worker had not yet
    // served are freed (ASan reports any leak), those that came back are the
    // host's, which frees them.
    std::vector<ULONG> buffer(1024, 1);
    for (int i = 0; i < 200; ++i) {
        api->WriteMemory(page, 4 * i, i, kAll, 0, nullptr);
        api->BurstWriteMemory(page, 0x10000, buffer.data(), 1024, 0, nullptr);
        api->ReadMemory(page, 4 * i, kAll, API_FLAG_CALLBACK, nullptr);
    }
    EXPECT_TRUE(api->Stop());
    EXPECT_EQ(api->m_hThread, nullptr);
    EXPECT_EQ(api->m_dwThreadId, 0u);
    EXPECT_EQ(info.lExitRequest, 1);

    // After Stop a request is refused: a null record and a log line, no hang.
    EXPECT_EQ(api->ReadMemory(app, 0, kAll, API_FLAG_WAIT, nullptr), nullptr);
    EXPECT_EQ(api->WriteMemory(page, 0, 0, kAll, API_FLAG_CALLBACK, nullptr), nullptr);
    EXPECT_EQ(log.Count("made without a worker thread, dropped"), 2u);
    // A second Stop has nothing to do.
    EXPECT_TRUE(api->Stop());
}

TEST_F(SimBoardLink, RestartsWithRequestsInFlightLoseNoRecordAndServeAgain) {
    // Each Stop meets queued writes and a worker that may leave on the exit
    // flag before its exit record arrives (ASan reports any record lost).
    for (int round = 0; round < 20; ++round) {
        for (int i = 0; i < 4; ++i)
            api->WriteMemory(page, 4 * i, round, kAll, 0, nullptr);
        ASSERT_TRUE(api->Stop());
        ASSERT_TRUE(api->Open(&info));
        api->HardwareReset(true);
    }
    Write(12, 0x1234);
    EXPECT_EQ(Read(12), 0x1234u);
}

TEST(SimBoardParameter, SizesComeFromTheAttachParameterAndABadOneFailsTheStart) {
    zxtest::CommsLink link(L"simboard.ctc");
    ASSERT_TRUE(link.Start(SIMBOARD_PARAMETER(1, 1)));
    EXPECT_EQ(link.api->GetApiIndex(), SIMBOARD_API_INDEX);
    EXPECT_EQ(link.info.lFlags, WORKER_INIT_DONE | WORKER_CREATION_OK);
    EXPECT_EQ(link.info.lLinkCount, 2);
    EXPECT_EQ(link.Read((1u << 20) - 4), 0u);
    EXPECT_EQ(link.Read(1u << 20), SIMBOARD_BUS_ERROR);
    EXPECT_EQ(link.Read(SIMBOARD_BANK_BASE), 0u);
    EXPECT_EQ(link.Read(SIMBOARD_BANK_BASE + SIMBOARD_BANK_STRIDE), SIMBOARD_BUS_ERROR);
    EXPECT_TRUE(link.api->Stop());

    // Reserved bits: the worker reports failure, Create returns false, and
    // the failed worker ends by itself so Stop finds it gone.
    EXPECT_FALSE(link.Start(0x00010000));
    EXPECT_EQ(link.info.lFlags, WORKER_INIT_DONE);
    EXPECT_TRUE(link.log.Contains("UI:Worker Thread returned BAD CreationOK flag.\n"));
    EXPECT_TRUE(link.api->Stop());
    EXPECT_TRUE(link.host.WaitFor([&] { return link.RedLines(L"cannot set up") > 0; }));
    link.Unload();
    EXPECT_EQ(g_pAPI, nullptr);
}

} // namespace

// gdbremote.ctc against a GDB server of our own in the test process, which
// keeps QEMU's limits and injects the faults of real links.

#include "GdbLink.h"
#include "GdbTestServer.h"

#include "support/Waiting.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace {

using zxtest::GdbLink;
using zxtest::GdbTestServer;
constexpr ULONG kBase = 0x20000000;
constexpr size_t kPacketSize = 0x200; // small, so that bursts take many packets

struct Server : GdbTestServer {
    Server(bool noAck, bool binary) : GdbTestServer(kBase, 1 << 16, kPacketSize, noAck, binary) {}
    std::string Endpoint(const std::string& more = "") {
        return "Host=127.0.0.1;Port=" + std::to_string(port) + ";" + more;
    }
    template <class F> auto Locked(F f) {
        std::lock_guard lock(mutex);
        return f();
    }
};

// Every mode of the link moves the same data: with acknowledgements or
// without, hexadecimal or binary writes, run-length encoded replies and
// noise between packets, bursts split at exactly the server's packet size.
TEST(GdbRemote, AccessesInEveryModeSplitAtThePacketSize) {
    for (int mode = 0; mode < 4; ++mode) {
        SCOPED_TRACE(mode);
        Server server(mode & 1, mode & 2);
        server.SetFaults({.garbage = mode == 2, .runLength = mode == 1});
        GdbLink link;
        ASSERT_TRUE(link.Start(server.Endpoint()));

        EXPECT_EQ(link.Write(kBase + 8, 0x12345678), 0x12345678u);
        EXPECT_EQ(link.Read(kBase + 8), 0x12345678u);
        EXPECT_EQ(server.Locked([&] { return server.memory[8]; }), 0x78); // little-endian
        // A partial mask changes only its bits, a zero mask nothing.
        link.Write(kBase + 8, 0xABCDEF00, 0x00FFFF00);
        link.Write(kBase + 8, 0xFFFFFFFF, 0);
        EXPECT_EQ(link.Read(kBase + 8), 0x12CDEF78u);
        EXPECT_EQ(link.Read(kBase + 8, 0x0000FF00), 0x0000EF00u);

        // Bursts of one word, of one whole packet, one word more, and many,
        // whose words include the characters binary data must escape.
        const ULONG readWords = ((kPacketSize - 4) / 2) / 4;
        for (ULONG count : {1u, readWords, readWords + 1, 3000u}) {
            std::vector<ULONG> out(count), in(count, 0);
            std::iota(out.begin(), out.end(), 0x7D232A24u - count);
            ASSERT_EQ(link.Burst(true, kBase + 0x100, out.data(), count), 0u);
            ASSERT_EQ(link.Burst(false, kBase + 0x100, in.data(), count), 0u);
            EXPECT_EQ(in, out) << count;
        }
        server.Locked([&] {
            EXPECT_LE(server.largestFrame, kPacketSize);
            EXPECT_GE(server.largestFrame, kPacketSize - 16); // no packet left half empty
            EXPECT_EQ(server.largestRead, readWords * 4);
            EXPECT_EQ(server.kinds.find('M') == std::string::npos, bool(mode & 2));
            EXPECT_GT(server.mostInFlight, 1u);
            return 0;
        });
        link.Stop(); // detaching lets the target run again
        EXPECT_TRUE(
            zxtest::WaitUntil([&] { return server.Locked([&] { return server.detaches; }) == 1; }));
        EXPECT_EQ(link.RedLines(), 0u);
    }
}

// A damaged reply is asked for again ('-') where the server can repeat it,
// or the packet is sent again; an "E NN" reply fails only its request; a
// reply longer than asked fails its request and what follows is matched
// correctly again.
TEST(GdbRemote, DamagedRefusedAndOversizedRepliesFailOnlyTheirRequest) {
    for (bool noAck : {false, true}) {
        SCOPED_TRACE(noAck);
        Server server(noAck, false);
        GdbLink link;
        ASSERT_TRUE(link.Start(server.Endpoint()));
        link.Write(kBase, 0xC0FFEE);
        server.SetFaults({.badChecksumAt = 0});
        EXPECT_EQ(link.Read(kBase), 0xC0FFEEu);
        std::vector<ULONG> words(2000, 0);
        server.SetFaults({.badChecksumAt = 3});
        EXPECT_EQ(link.Burst(false, kBase, words.data(), 2000), 0u);
        EXPECT_EQ(words[0], 0xC0FFEEu);
        EXPECT_EQ(server.Locked([&] { return server.naksReceived; }), noAck ? 0 : 1);
        // 32 packets of at most 252 bytes, and the damaged one once more.
        EXPECT_EQ(server.Locked([&] { return server.memoryPackets; }), 33);

        server.SetFaults({.errorAddress = kBase + 0x40});
        EXPECT_EQ(link.Read(kBase + 0x40), GDBREMOTE_TARGET_ERROR(0x0E));
        EXPECT_EQ(link.Burst(true, kBase, words.data(), 100), GDBREMOTE_TARGET_ERROR(0x0E));
        EXPECT_EQ(link.Read(kBase), 0xC0FFEEu);
        EXPECT_EQ(link.RedLines(L"refused to read 4 bytes at 0x20000040 (E0e)"), 1u);

        server.SetFaults({.longerReplies = true});
        EXPECT_EQ(link.Read(kBase), GDBREMOTE_LINK_ERROR);
        server.SetFaults({});
        EXPECT_EQ(link.Read(kBase), 0xC0FFEEu);
        EXPECT_EQ(link.RedLines(L"a reply of 12 characters to a read of 4 bytes"), 1u);
    }
}

// A connection lost in the middle of bursts: everything in flight comes back
// with the error, waiting requests return, one red line says so, and the
// next start connects again.
TEST(GdbRemote, ConnectionLostMidBurstFailsEverythingInFlightAndTheNextStartReconnects) {
    for (bool silent : {false, true}) {
        SCOPED_TRACE(silent);
        Server server(true, false);
        GdbLink link;
        ASSERT_TRUE(link.Start(server.Endpoint("ReplyTimeoutMs=300")));
        std::vector<std::vector<ULONG>> buffers(8, std::vector<ULONG>(4000));
        if (silent)
            server.SetFaults({.silentAt = 20});
        else
            server.SetFaults({.dropAt = 20});
        std::vector<UWM_API_COMMAND_MESSAGE*> sent;
        for (auto& buffer : buffers)
            sent.push_back(link.api->BurstReadMemory(link.page, kBase, buffer.data(), 4000,
                                                     API_FLAG_CALLBACK, nullptr));
        EXPECT_EQ(link.Read(kBase), GDBREMOTE_LINK_ERROR);
        for (auto* record : sent)
            EXPECT_EQ(link.Take(link.host.WaitForCallback(record)), GDBREMOTE_LINK_ERROR);
        EXPECT_EQ(link.Write(kBase, 1), GDBREMOTE_LINK_ERROR);
        EXPECT_EQ(link.RedLines(), 1u);
        EXPECT_EQ(link.RedLines(L"the link to 127.0.0.1:"), 1u);
        EXPECT_EQ(link.RedLines(silent ? L"stopped answering (nothing for 300 ms)"
                                       : L"the server closed the connection"),
                  1u);
        link.Stop();
        server.SetFaults({});
        ASSERT_TRUE(link.Start(server.Endpoint()));
        EXPECT_EQ(link.Write(kBase, 7), 7u);
        EXPECT_EQ(link.Read(kBase), 7u);
        EXPECT_EQ(server.Locked([&] { return server.connections; }), 2);
    }
}

// No server: the start fails as a failing worker fails, with a red line that
// says where the link looked; a bad setting fails the same way, naming it.
TEST(GdbRemote, StartFailsClearlyWithoutAServerOrWithABadSetting) {
    GdbLink link;
    // A port that was free a moment ago, and nobody listens on it.
    const int port = int(Server(true, false).port);
    EXPECT_FALSE(link.Start("Port=" + std::to_string(port)));
    EXPECT_EQ(zxtest::Read(&link.info.lFlags), WORKER_INIT_DONE);
    EXPECT_EQ(link.RedLines(L"no GDB server answers at 127.0.0.1:" + std::to_wstring(port)), 1u);
    EXPECT_TRUE(link.log.Contains("UI:Worker Thread returned BAD CreationOK flag.\n"));
    link.Stop();
    EXPECT_FALSE(link.Start("Port=70000"));
    EXPECT_EQ(link.RedLines(L"Port \"70000\" (from ZARVEX_GDB_REMOTE) is not a TCP port"), 1u);
    link.Stop();
    EXPECT_FALSE(link.Start("Port=1;Colour=blue"));
    EXPECT_EQ(link.RedLines(L"\"Colour=blue\" in ZARVEX_GDB_REMOTE"), 1u);
    link.Stop();
    EXPECT_FALSE(link.Start("", 7));
    EXPECT_EQ(link.RedLines(L"parameter 7 names no board preset"), 1u);
}

// The saved settings name the server; interrupts read the registers the
// settings name, or report none; I2C fails with its own value.
TEST(GdbRemote, SavedSettingsInterruptRegistersAndNoI2C) {
    Server server(true, false);
    GdbLink link;
    CRegistry registry;
    registry.SetKey(L"Software\\Zarvex\\GdbRemote\\Generic");
    registry.OpenUpdateKey();
    CString port(std::to_wstring(server.port).c_str()), status(L"0x20000010");
    registry.RegistryAccess(L"Port", port);
    registry.RegistryAccess(L"InterruptStatus", status);
    registry.CloseKey();
    ASSERT_TRUE(link.Start(""));
    link.Write(kBase + 0x10, 0x9);
    std::unique_ptr<UWM_API_COMMAND_MESSAGE> back(
        link.host.WaitForCallback(link.api->PollInterrupt()));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->eCallBackType, API_CALLBACK_APPLICATION);
    EXPECT_EQ(back->dwData, 0x9u);
    // No mask register: re-enabling comes back at once with its bits.
    EXPECT_EQ(link.api->SetInterruptMask(0xFFFFFFFF, 0), nullptr);
    EXPECT_EQ(link.Take(link.host.WaitForCallback(link.api->SetInterruptMask(0x8, 1))), 0x8u);

    EXPECT_EQ(link.Take(link.api->ReadI2CSubAddress(link.app, 0x50, 1, 1, API_FLAG_WAIT, nullptr)),
              GDBREMOTE_NO_I2C);
    EXPECT_EQ(link.RedLines(L"I2C read from device 0x50 failed"), 1u);
    link.Stop();
    // The QEMU preset's own status register (outside this server's memory)
    // stands where the user saved nothing.
    ASSERT_TRUE(link.Start("Port=" + std::to_string(server.port), GDBREMOTE_PRESET_QEMU_VIRT));
    EXPECT_EQ(link.Take(link.host.WaitForCallback(link.api->PollInterrupt())),
              GDBREMOTE_TARGET_ERROR(0x0E));
    EXPECT_EQ(link.RedLines(L"read at 0x09000040 failed"), 1u);
}

} // namespace

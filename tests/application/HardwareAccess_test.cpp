// The application's own requests and its DMA check, on a board whose memory
// counts in words (as the check addresses it) and on the simulated board.

#include "AppHarness.h"

#include "fixtures/comms/FixtureApi.h"
#include "zarvexapp/application/WindowsRand.h"
#include "zarvexapp/command/Worker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>

namespace {

using Msg = UWM_API_COMMAND_MESSAGE;
constexpr ULONG kAll = 0xFFFFFFFFu;

// Records every request; can invert the word stored at `fault` and end its
// worker thread on burst number `dieAt` without answering it.
class WordBoard final : public CFixtureApi {
public:
    bool Open(WORKER_THREAD_INFO* info) override {
        SetThreadWorkerInfo(info);
        return Create(&Run, info);
    }
    void Release() override {}
    Msg* WriteI2CSubAddress(unsigned char device, unsigned char sub, ULONG, unsigned int,
                            ULONG flags, void* target, t_API_MSG_CALLBACK_TYPE type,
                            void*) override {
        return new Msg{0, flags, device, 0, sub, 0, nullptr, nullptr, nullptr, type, target};
    }
    Msg* ReadI2CAddress(unsigned char device, unsigned int, ULONG flags, void* target,
                        t_API_MSG_CALLBACK_TYPE type, void*) override {
        return new Msg{0, flags, device, 0, 0, 0, nullptr, nullptr, nullptr, type, target};
    }
    std::vector<Msg> Seen() {
        std::lock_guard lock(mutex);
        return seen;
    }

    static inline WordBoard* s_board = nullptr;
    std::vector<DWORD> words = std::vector<DWORD>(0x30000);
    DWORD fault = kAll;
    int dieAt = 0;

private:
    static DWORD WINAPI Run(void* parameter) {
        WordBoard& b = *s_board;
        CWorker worker(parameter, &b);
        worker.InitialisationComplete(true);
        MSG msg;
        int bursts = 0;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            auto* r = reinterpret_cast<Msg*>(msg.wParam);
            std::lock_guard lock(b.mutex);
            b.seen.push_back(*r);
            const bool burst = r->uCommand >= API_CMD_BURST_READ;
            if (r->uCommand == API_CMD_EXIT || (burst && ++bursts == b.dieAt)) {
                delete r;
                return 0;
            }
            for (DWORD i = 0; burst && i < r->dwCount; ++i) {
                DWORD& word = b.words.at(r->dwAddress + i);
                if (r->uCommand == API_CMD_BURST_READ)
                    r->pdwBuffer[i] = word;
                else
                    word = r->dwAddress + i == b.fault ? ~r->pdwBuffer[i] : r->pdwBuffer[i];
            }
            if (r->uCommand == API_CMD_WRITE)
                b.words.at(r->dwAddress) = r->dwData;
            r->dwData = b.words.at(r->dwAddress);
            worker.ReadMemory(r); // every completion is the same routine
        }
        return 0;
    }
    std::mutex mutex;
    std::vector<Msg> seen;
};

class AppRequests : public ::testing::Test {
protected:
    void SetUp() override {
        fx.Init();
        WordBoard::s_board = board = new WordBoard;
        app().m_pAPI = board;
        ASSERT_TRUE(board->Open(&app().m_WorkerThreadInfo));
        board->HardwareReset(false);
        zx::WindowsSrand(1);
    }
    void TearDown() override {
        board->Stop();
        app().m_pAPI = nullptr;
        delete board;
    }
    zxtest::TestApp& app() { return *fx.app; }
    std::vector<std::wstring> Lines(ULONG colour) {
        std::vector<std::wstring> lines;
        for (const auto& p : app().prints)
            if (p.colour == colour)
                lines.push_back(p.text);
        return lines;
    }

    zxtest::AppFixture fx;
    WordBoard* board = nullptr;
};

TEST_F(AppRequests, WrappersFixFlagsAddSelectedBasesAndNameTheApplication) {
    app().m_lBaseAddress[0] = 0x100;
    app().m_lBaseAddress[1] = 0x200;
    app().m_lBaseAddress[3] = -0x1000; // wraps
    int tag = 0;
    ASSERT_NE(app().WriteMemory(0x10, 7, kAll, API_FLAG_WAIT | API_FLAG_BASE0, &tag), nullptr);
    app().WriteMemoryAndWait(0x20, 9, kAll, API_FLAG_CALLBACK | 0x18, nullptr);
    EXPECT_EQ(app().ReadMemoryAndWait(0x1320, kAll, API_FLAG_BASE3, nullptr), 9u);
    ASSERT_NE(app().ReadMemory(0x10, kAll, API_FLAG_BASE0, &tag), nullptr);
    ULONG pair[2] = {1, 2}, back[2] = {};
    app().BurstWriteMemoryAndWait(0x40, pair, 2, API_FLAG_BASE1 | API_FLAG_CALLBACK, nullptr);
    app().BurstReadMemoryAndWait(0x241, back, 1, 0, nullptr);
    const std::vector<Msg> seen = board->Seen();
    ASSERT_EQ(seen.size(), 6u);
    const DWORD flags[] = {0x08, 0x1A, 0x42, 0x09, 0x12, 0x02};
    const DWORD addresses[] = {0x110, 0x320, 0x320, 0x110, 0x240, 0x241};
    for (size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i].dwFlags, flags[i]) << i;
        EXPECT_EQ(seen[i].dwAddress, addresses[i]) << i;
    }
    EXPECT_EQ(seen[0].pUserData, &tag);
    EXPECT_EQ(seen[3].pCallBackTarget, &app());
    EXPECT_EQ(seen[3].eCallBackType, API_CALLBACK_APPLICATION);
    EXPECT_EQ(back[0], 2u);

    // I2C: the API's own record back, no base added.
    std::unique_ptr<Msg> i2c(app().WriteI2CSubAddress(0x50, 3, 0, 1, 0x0A, nullptr));
    EXPECT_EQ(i2c->dwAddress, 0x50u);
    EXPECT_EQ(i2c->dwFlags, 0x08u);
    i2c.reset(app().ReadI2CAddress(0x60, 1, 0x42, nullptr));
    EXPECT_EQ(i2c->dwFlags, 0x41u);
    EXPECT_EQ(i2c->pCallBackTarget, &app());

    // Without an API nothing is sent.
    app().m_pAPI = nullptr;
    EXPECT_EQ(app().ReadMemory(0, kAll, 0, nullptr), nullptr);
    EXPECT_EQ(app().ReadMemoryAndWait(0, kAll, 0, nullptr), 0u);
    EXPECT_EQ(app().WriteI2CSubAddress(0x50, 0, 0, 1, 0, nullptr), nullptr);
    app().BurstReadMemoryAndWait(0, back, 2, 0, nullptr);
    app().m_pAPI = board;
    EXPECT_EQ(board->Seen().size(), 6u);
}

TEST_F(AppRequests, DmaCheckSendsPiecesAndVerifiesTheWindowsRandomWords) {
    EXPECT_TRUE(app().PerformDmaCheck(0x10001, 0x100, kAll));
    EXPECT_EQ(board->words[0x100], (41u << 16) | 18467u);
    EXPECT_EQ(board->words[0x101], (6334u << 16) | 26500u);
    EXPECT_TRUE(app().PerformDmaCheck(0x10000, 0x100, kAll));
    EXPECT_TRUE(app().PerformDmaCheck(0, 0x100, kAll));
    std::vector<std::pair<DWORD, DWORD>> bursts;
    for (const Msg& m : board->Seen()) {
        EXPECT_EQ(m.dwFlags, API_FLAG_WAIT);
        bursts.emplace_back(m.dwAddress, m.dwCount);
    }
    const std::vector<std::pair<DWORD, DWORD>> expected = {
        {0x100, 0x10000}, {0x10100, 1},     {0x100, 0x10000}, {0x10100, 1}, // 0x10001 words
        {0x100, 0x10000}, {0x100, 0x10000},                                 // 0x10000 words
        {0x100, 0},       {0x100, 0}};                                      // none
    EXPECT_EQ(bursts, expected);
    const std::vector<std::wstring> lines = Lines(0);
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[0].rfind(L"Time taken to write 65537 32-bit words = ", 0), 0u);
    EXPECT_NE(lines[0].find(L" second(s) .... @ "), std::wstring::npos);
    EXPECT_EQ(lines[1].rfind(L"Time taken to read 65537 32-bit words = ", 0), 0u);
    EXPECT_NE(lines[1].find(L" second(s) ....  @ "), std::wstring::npos);
    EXPECT_EQ(lines[1].substr(lines[1].size() - 10), L" kbits/sec");
    EXPECT_EQ(lines[2], L"Starting verify...");
    EXPECT_EQ(lines[3], L"Verify complete...");
}

TEST_F(AppRequests, DmaCheckReportsMismatchesUnderItsMask) {
    board->fault = 0x105;
    EXPECT_FALSE(app().PerformDmaCheck(8, 0x100, kAll));
    const DWORD expected = board->words[0x105] ^ kAll;
    CString line;
    line.Format(L"ERROR : Data[5] at address 105   ..... %X ... expected %X\n", ~expected,
                expected);
    EXPECT_EQ(Lines(0x80), std::vector<std::wstring>{line.str()});
    EXPECT_EQ(fx.log.Count(zx::WideToUtf8(line.str())), 1u);
    EXPECT_TRUE(app().PerformDmaCheck(8, 0x100, 0)); // mask 0: every word verifies
}

TEST_F(AppRequests, DmaCheckThatCannotRunSaysSoAndNeverHangs) {
    board->dieAt = 2; // the second write burst is never answered
    EXPECT_FALSE(app().PerformDmaCheck(0x20000, 0x100, kAll));
    app().m_pAPI = nullptr;
    EXPECT_FALSE(app().PerformDmaCheck(4, 0x100, kAll));
    EXPECT_FALSE(app().PerformDmaCheck(0x40000000, 0x100, kAll));
    app().m_pAPI = board;
    EXPECT_EQ(board->Seen().size(), 2u);
    const std::vector<std::wstring> errors = Lines(0x80);
    ASSERT_EQ(errors.size(), 3u);
    EXPECT_NE(errors[0].find(L"stopped answering: 131072 of the 131072"), std::wstring::npos);
    EXPECT_NE(errors[1].find(L"No target communications"), std::wstring::npos);
    EXPECT_NE(errors[2].find(L"Cannot allocate buffers for a DMA check of 1073741824"),
              std::wstring::npos);
    EXPECT_EQ(Lines(0).size(), 8u); // both runs print their rates and verify lines
}

TEST(WindowsRand, SeedOneGivesTheWindowsSequence) {
    zx::WindowsSrand(1);
    const int first[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    for (int value : first)
        EXPECT_EQ(zx::WindowsRand(), value);
    zx::WindowsSrand(1);
    EXPECT_EQ(zx::WindowsRand(), 41);

    // Words drawn in bulk take the same numbers in pairs and leave the
    // sequence where single draws would.
    std::uint32_t words[2] = {};
    zx::WindowsRandWords(words, 2);
    EXPECT_EQ(words[0], (18467u << 16) | 6334u);
    EXPECT_EQ(words[1], (26500u << 16) | 19169u);
    EXPECT_EQ(zx::WindowsRand(), 15724);
}

TEST(DmaCheckOnSimBoard, VerifiesItsMemoryAndReportsABurstOutsideIt) {
    zxtest::TestPlatform platform;
    zxtest::AppFixture fx;
    ASSERT_TRUE(fx.StartOnSimBoard());
    EXPECT_TRUE(fx.app->PerformDmaCheck(0x10000, 0, kAll));
    EXPECT_FALSE(fx.app->PerformDmaCheck(4, 0x100000, kAll)); // past its 1 MiB
    EXPECT_TRUE(fx.host.WaitFor([&] {
        return std::ranges::any_of(fx.app->prints, [](const zxtest::Printed& p) {
            return p.colour == 0xFF && p.text.find(L"burst write failed") != std::wstring::npos;
        });
    }));
}

} // namespace

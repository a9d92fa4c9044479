// CZarvexAppBase: the application's own hardware requests, its progress bar
// steps and the DMA check.

#include "zarvexapp/application/ZarvexAppBase.h"

#include "platform/ControlMessages.h"
#include "platform/Threads.h"
#include "zarvexapp/application/WindowsRand.h"
#include "zarvexapp/command/API.h"
#include "zarvexapp/command/RequestFlags.h"
#include "zarvexapp/shell/ProgressControl.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <optional>
#include <sys/mman.h>

namespace {

constexpr ULONG kDarkRed = 0x00000080;
constexpr unsigned int kPieceWords = 65536;
// Each buffer's size in bytes must fit in 32 bits, as on the board.
constexpr unsigned int kMaxCheckWords = 0xFFFFFFFFu / sizeof(DWORD);

using zx::AsyncCallBackFlags;
using zx::AsyncFlags;
using zx::WaitFlags;

// A block of zero-filled words for the check, mapped in before the timing
// starts. Fresh memory otherwise faults a page at a time (in the timed
// bursts, or in a zero fill of its own), which on this kind of machine costs
// more than the transfer; huge pages, where granted, cut the faults and the
// TLB misses of the copies.
class CheckWords {
public:
    explicit CheckWords(unsigned int count)
        : m_bytes(std::max<size_t>(size_t{count} * sizeof(DWORD), sizeof(DWORD))) {
        void* block =
            mmap(nullptr, m_bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (block == MAP_FAILED)
            return;
        madvise(block, m_bytes, MADV_HUGEPAGE);
        if (madvise(block, m_bytes, MADV_POPULATE_WRITE) != 0) {
            if (errno != EINVAL) { // the memory cannot be had
                munmap(block, m_bytes);
                return;
            }
            std::memset(block, 0, m_bytes); // a kernel without populate
        }
        m_words = static_cast<DWORD*>(block);
    }
    ~CheckWords() {
        if (m_words)
            munmap(m_words, m_bytes);
    }
    CheckWords(const CheckWords&) = delete;
    CheckWords& operator=(const CheckWords&) = delete;

    DWORD* get() const { return m_words; }
    explicit operator bool() const { return m_words != nullptr; }
    DWORD& operator[](size_t i) const { return m_words[i]; }

private:
    size_t m_bytes;
    DWORD* m_words = nullptr;
};

} // namespace

// ---- Memory requests --------------------------------------------------------------

UWM_API_COMMAND_MESSAGE* CZarvexAppBase::WriteMemory(ULONG address, ULONG data, ULONG mask,
                                                     unsigned int flags, void* userData) {
    return m_pAPI ? m_pAPI->WriteMemory(this, zx::AddBaseAddresses(address, flags, m_lBaseAddress),
                                        data, mask, AsyncFlags(flags), userData)
                  : nullptr;
}

UWM_API_COMMAND_MESSAGE* CZarvexAppBase::ReadMemory(ULONG address, ULONG mask, unsigned int flags,
                                                    void* userData) {
    return m_pAPI ? m_pAPI->ReadMemory(this, zx::AddBaseAddresses(address, flags, m_lBaseAddress),
                                       mask, AsyncCallBackFlags(flags), userData)
                  : nullptr;
}

UWM_API_COMMAND_MESSAGE* CZarvexAppBase::BurstWriteMemory(ULONG address, ULONG* buffer, ULONG count,
                                                          unsigned int flags, void* userData) {
    return m_pAPI ? m_pAPI->BurstWriteMemory(this,
                                             zx::AddBaseAddresses(address, flags, m_lBaseAddress),
                                             buffer, count, AsyncFlags(flags), userData)
                  : nullptr;
}

UWM_API_COMMAND_MESSAGE* CZarvexAppBase::BurstReadMemory(ULONG address, ULONG* buffer, ULONG count,
                                                         unsigned int flags, void* userData) {
    return m_pAPI
               ? m_pAPI->BurstReadMemory(this, zx::AddBaseAddresses(address, flags, m_lBaseAddress),
                                         buffer, count, AsyncCallBackFlags(flags), userData)
               : nullptr;
}

void CZarvexAppBase::WriteMemoryAndWait(ULONG address, ULONG data, ULONG mask, unsigned int flags,
                                        void* userData) {
    if (m_pAPI)
        delete m_pAPI->WriteMemory(this, zx::AddBaseAddresses(address, flags, m_lBaseAddress), data,
                                   mask, WaitFlags(flags), userData);
}

ULONG CZarvexAppBase::ReadMemoryAndWait(ULONG address, ULONG mask, unsigned int flags,
                                        void* userData) {
    if (!m_pAPI)
        return 0;
    UWM_API_COMMAND_MESSAGE* msg =
        m_pAPI->ReadMemory(this, zx::AddBaseAddresses(address, flags, m_lBaseAddress), mask,
                           WaitFlags(flags), userData);
    const ULONG value = msg ? msg->dwData : 0;
    delete msg;
    return value;
}

void CZarvexAppBase::BurstWriteMemoryAndWait(ULONG address, ULONG* buffer, ULONG count,
                                             unsigned int flags, void* userData) {
    if (m_pAPI)
        delete m_pAPI->BurstWriteMemory(this, zx::AddBaseAddresses(address, flags, m_lBaseAddress),
                                        buffer, count, WaitFlags(flags), userData);
}

void CZarvexAppBase::BurstReadMemoryAndWait(ULONG address, ULONG* buffer, ULONG count,
                                            unsigned int flags, void* userData) {
    if (m_pAPI)
        delete m_pAPI->BurstReadMemory(this, zx::AddBaseAddresses(address, flags, m_lBaseAddress),
                                       buffer, count, WaitFlags(flags), userData);
}

// ---- I2C requests -------------------------------------------------------------------

UWM_API_COMMAND_MESSAGE* CZarvexAppBase::WriteI2CAddress(unsigned char address, ULONG data,
                                                         unsigned int count, unsigned int flags,
                                                         void* userData) {
    return m_pAPI ? m_pAPI->WriteI2CAddress(this, address, data, count, AsyncFlags(flags), userData)
                  : nullptr;
}

UWM_API_COMMAND_MESSAGE* CZarvexAppBase::ReadI2CAddress(unsigned char address, unsigned int count,
                                                        unsigned int flags, void* userData) {
    return m_pAPI
               ? m_pAPI->ReadI2CAddress(this, address, count, AsyncCallBackFlags(flags), userData)
               : nullptr;
}

UWM_API_COMMAND_MESSAGE* CZarvexAppBase::WriteI2CSubAddress(unsigned char address,
                                                            unsigned char subAddress, ULONG data,
                                                            unsigned int count, unsigned int flags,
                                                            void* userData) {
    return m_pAPI ? m_pAPI->WriteI2CSubAddress(this, address, subAddress, data, count,
                                               AsyncFlags(flags), userData)
                  : nullptr;
}

UWM_API_COMMAND_MESSAGE* CZarvexAppBase::ReadI2CSubAddress(unsigned char address,
                                                           unsigned char subAddress,
                                                           unsigned int count, unsigned int flags,
                                                           void* userData) {
    return m_pAPI ? m_pAPI->ReadI2CSubAddress(this, address, subAddress, count,
                                              AsyncCallBackFlags(flags), userData)
                  : nullptr;
}

// ---- Progress bar -----------------------------------------------------------------------

void CZarvexAppBase::StepProgress() {
    if (m_pProgressControl && m_pProgressControl->m_ProgressCtrl.GetSafeHwnd())
        m_pProgressControl->m_ProgressCtrl.SendMessageW(PBM_STEPIT, 0, 0);
}

void CZarvexAppBase::ForceProgessClear() {
    if (m_pProgressControl)
        m_pProgressControl->ForceClear();
}

// ---- DMA check ----------------------------------------------------------------------------

bool CZarvexAppBase::PerformDmaCheck(unsigned int uWords, unsigned int uAddress,
                                     unsigned int uMask) {
    CString line;
    auto reportError = [&] {
        Print(line, kDarkRed);
        PrintToDebugFile(L"%s", line);
    };

    // The read-back buffer is zero-filled: a word the board never answered
    // holds no leftovers.
    std::optional<CheckWords> written;
    std::optional<CheckWords> read;
    if (uWords <= kMaxCheckWords) {
        written.emplace(uWords);
        read.emplace(uWords);
    }
    if (!written || !*written || !*read) {
        line.Format(L"ERROR : Cannot allocate buffers for a DMA check of %u 32-bit words\n",
                    uWords);
        reportError();
        return false;
    }
    zx::WindowsRandWords(written->get(), uWords);

    // Moves the block in pieces of 65536 words (one piece of 0 words when
    // there are none) and returns how many words the board answered for. A
    // piece not answered means the link is gone: no later piece is sent.
    // Without an API nothing is sent and nothing is answered.
    const bool hasApi = m_pAPI != nullptr;
    auto transfer = [&](bool toBoard, DWORD* words) {
        unsigned int done = 0;
        DWORD address = uAddress;
        while (hasApi) {
            const unsigned int count = std::min(uWords - done, kPieceWords);
            UWM_API_COMMAND_MESSAGE* msg =
                toBoard ? m_pAPI->BurstWriteMemory(this, address, words + done, count,
                                                   API_FLAG_WAIT, nullptr)
                        : m_pAPI->BurstReadMemory(this, address, words + done, count, API_FLAG_WAIT,
                                                  nullptr);
            if (!msg)
                break;
            delete msg;
            done += count;
            address += kPieceWords;
            if (done == uWords)
                break;
        }
        return done;
    };
    const double bits = static_cast<double>(uWords) * 32.0;
    auto timed = [&](bool toBoard, DWORD* words, unsigned int& answered) {
        const DWORD start = GetTickCount();
        answered = transfer(toBoard, words);
        return static_cast<double>(static_cast<DWORD>(GetTickCount() - start));
    };

    unsigned int wroteWords = 0;
    double elapsed = timed(true, written->get(), wroteWords);
    line.Format(L"Time taken to write %u 32-bit words = % 6.3f second(s) .... @ %6.3f kbits/sec",
                uWords, elapsed / 1000.0, bits / elapsed);
    Print(line, nullptr, 0);

    unsigned int readWords = 0;
    elapsed = timed(false, read->get(), readWords);
    line.Format(L"Time taken to read %u 32-bit words = %6.3f second(s) ....  @ %6.3f kbits/sec",
                uWords, elapsed / 1000.0, bits / elapsed);
    Print(line, nullptr, 0);

    Print(L"Starting verify...", nullptr, 0);
    bool ok = true;
    const unsigned int checked = std::min(wroteWords, readWords);
    if (!hasApi) {
        line.Format(L"ERROR : No target communications are loaded: none of the %u 32-bit words "
                    L"were written or read back\n",
                    uWords);
        reportError();
        ok = false;
    } else if (checked < uWords) {
        line.Format(L"ERROR : The target communications stopped answering: %u of the %u 32-bit "
                    L"words were not written and read back\n",
                    uWords - checked, uWords);
        reportError();
        ok = false;
    }
    for (unsigned int i = 0; i < checked; ++i) {
        if (((*read)[i] & uMask) == ((*written)[i] & uMask))
            continue;
        line.Format(L"ERROR : Data[%u] at address %x   ..... %X ... expected %X\n", i,
                    static_cast<DWORD>(uAddress + i), (*read)[i], (*written)[i]);
        reportError();
        ok = false;
    }
    written.reset();
    read.reset();
    Print(L"Verify complete...", nullptr, 0);
    return ok;
}

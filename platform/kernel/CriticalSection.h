#pragma once
// CCriticalSection and the CRITICAL_SECTION calls: recursive locks, as on
// Windows, where the owning thread may enter again as often as it leaves.
// Leaving a section one does not own is refused instead of corrupting it.

#include "platform/WinTypes.h"

#include <atomic>
#include <pthread.h>

struct CRITICAL_SECTION {
    pthread_mutex_t mutex;
    std::atomic<DWORD> owner; // thread id of the owner, 0 when free
    LONG recursion;           // touched by the owner only
};
using LPCRITICAL_SECTION = CRITICAL_SECTION*;

void InitializeCriticalSection(CRITICAL_SECTION* section);
void DeleteCriticalSection(CRITICAL_SECTION* section);
void EnterCriticalSection(CRITICAL_SECTION* section);
BOOL TryEnterCriticalSection(CRITICAL_SECTION* section);
// Returns FALSE when the caller does not own the section (Windows returns
// nothing; plug-ins ignore the result).
BOOL LeaveCriticalSection(CRITICAL_SECTION* section);

class CCriticalSection {
public:
    CCriticalSection();
    ~CCriticalSection();
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    BOOL Lock();
    // Time-outs are not supported for critical sections; the value is ignored.
    BOOL Lock(DWORD timeout);
    BOOL Unlock();

    operator CRITICAL_SECTION*() { return &m_sect; }

    CRITICAL_SECTION m_sect;
};

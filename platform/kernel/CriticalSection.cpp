#include "platform/CriticalSection.h"

#include "platform/Threads.h"

void InitializeCriticalSection(CRITICAL_SECTION* section) {
    if (!section)
        return;
    pthread_mutex_init(&section->mutex, nullptr);
    section->owner.store(0);
    section->recursion = 0;
}

void DeleteCriticalSection(CRITICAL_SECTION* section) {
    if (section)
        pthread_mutex_destroy(&section->mutex);
}

void EnterCriticalSection(CRITICAL_SECTION* section) {
    if (!section)
        return;
    const DWORD self = GetCurrentThreadId();
    // Only the owner itself can find its own id here.
    if (section->owner.load(std::memory_order_relaxed) != self) {
        pthread_mutex_lock(&section->mutex);
        section->owner.store(self, std::memory_order_relaxed);
    }
    ++section->recursion;
}

BOOL TryEnterCriticalSection(CRITICAL_SECTION* section) {
    if (!section)
        return FALSE;
    const DWORD self = GetCurrentThreadId();
    if (section->owner.load(std::memory_order_relaxed) != self) {
        if (pthread_mutex_trylock(&section->mutex) != 0)
            return FALSE;
        section->owner.store(self, std::memory_order_relaxed);
    }
    ++section->recursion;
    return TRUE;
}

BOOL LeaveCriticalSection(CRITICAL_SECTION* section) {
    if (!section || section->owner.load(std::memory_order_relaxed) != GetCurrentThreadId())
        return FALSE;
    if (--section->recursion == 0) {
        section->owner.store(0, std::memory_order_relaxed);
        pthread_mutex_unlock(&section->mutex);
    }
    return TRUE;
}

CCriticalSection::CCriticalSection() {
    InitializeCriticalSection(&m_sect);
}

CCriticalSection::~CCriticalSection() {
    DeleteCriticalSection(&m_sect);
}

BOOL CCriticalSection::Lock() {
    EnterCriticalSection(&m_sect);
    return TRUE;
}

BOOL CCriticalSection::Lock(DWORD) {
    return Lock();
}

BOOL CCriticalSection::Unlock() {
    return LeaveCriticalSection(&m_sect);
}

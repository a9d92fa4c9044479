#pragma once
// Interlocked operations on the plain 32-bit fields of records shared between
// threads (and with plug-ins, so the fields stay plain LONGs, not atomics).
// Like their Windows namesakes they are full barriers.

#include "platform/WinTypes.h"

#include <atomic>

namespace zx {
inline std::atomic_ref<LONG> AtomicField(volatile LONG* target) {
    // The records are plain data; volatile only mirrors the Windows signature.
    return std::atomic_ref<LONG>(*const_cast<LONG*>(target));
}
// Counters wrap around like the Windows ones instead of overflowing.
inline LONG WrapAdd(LONG a, LONG b) {
    return static_cast<LONG>(static_cast<ULONG>(a) + static_cast<ULONG>(b));
}
} // namespace zx

// Returns the value the field held before.
inline LONG InterlockedExchange(volatile LONG* target, LONG value) {
    return zx::AtomicField(target).exchange(value);
}

// Returns the new value.
inline LONG InterlockedIncrement(volatile LONG* addend) {
    return zx::WrapAdd(zx::AtomicField(addend).fetch_add(1), 1);
}

// Returns the new value.
inline LONG InterlockedDecrement(volatile LONG* addend) {
    return zx::WrapAdd(zx::AtomicField(addend).fetch_sub(1), -1);
}

// Stores `exchange` when the field equals `comparand`; returns the value it held.
inline LONG InterlockedCompareExchange(volatile LONG* destination, LONG exchange, LONG comparand) {
    zx::AtomicField(destination).compare_exchange_strong(comparand, exchange);
    return comparand;
}

// Returns the value the field held before the addition.
inline LONG InterlockedExchangeAdd(volatile LONG* addend, LONG value) {
    return zx::AtomicField(addend).fetch_add(value);
}

inline void* InterlockedExchangePointer(void* volatile* target, void* value) {
    return std::atomic_ref<void*>(*const_cast<void**>(target)).exchange(value);
}

inline void* InterlockedCompareExchangePointer(void* volatile* destination, void* exchange,
                                               void* comparand) {
    std::atomic_ref<void*>(*const_cast<void**>(destination))
        .compare_exchange_strong(comparand, exchange);
    return comparand;
}

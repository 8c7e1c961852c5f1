// Interlocked operations on 32-bit values that other threads change too. Each is
// one sequentially consistent atomic operation on the target, so plain LONG fields
// can be shared as on the target platform; every access of such a field from
// more than one thread must go through these functions.
#pragma once

#include "platform/wintypes.h"

// The new value.
inline LONG InterlockedIncrement(volatile LONG* target) { return __atomic_add_fetch(target, 1, __ATOMIC_SEQ_CST); }
inline LONG InterlockedDecrement(volatile LONG* target) { return __atomic_sub_fetch(target, 1, __ATOMIC_SEQ_CST); }

// The old value.
inline LONG InterlockedExchange(volatile LONG* target, LONG value) {
  return __atomic_exchange_n(target, value, __ATOMIC_SEQ_CST);
}

// Stores `exchange` when the target holds `comparand`; the old value either way.
inline LONG InterlockedCompareExchange(volatile LONG* target, LONG exchange, LONG comparand) {
  __atomic_compare_exchange_n(target, &comparand, exchange, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
  return comparand;
}

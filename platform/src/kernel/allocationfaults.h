// Injected allocation failures for the test hooks of the allocators.
#pragma once

#include "platform/wintypes.h"

#include <atomic>

class AllocationFaults {
 public:
  // The next `count` allocations fail.
  void FailNext(ULONG count) { pending_.store(count); }

  // Whether this allocation is one of them; each call uses one up.
  bool ShouldFail() {
    ULONG pending = pending_.load();
    while (pending > 0) {
      if (pending_.compare_exchange_weak(pending, pending - 1)) return true;
    }
    return false;
  }

 private:
  std::atomic<ULONG> pending_{0};
};
